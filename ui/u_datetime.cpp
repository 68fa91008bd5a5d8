// The date and time form (see the header).
#include "ui/u_datetime.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_icon.h"
#include "graphics/g_line.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_sema.h"
#include "kernel/l_utils.h"
#include "store/lang.h"
#include "ui/menu_icons.h"
#include "ui/t_menu.h"
#include "ui/u_menu.h"
#include "ui/u_menu_client.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <mutex>

// Constants ---------------------------------------------------------------

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

namespace {

TEXT_TABLE Enter_Time_and_Date = ALL_LANGUAGES("Enter Time and Date");
TEXT_TABLE Time = ALL_LANGUAGES("Time");
TEXT_TABLE Date = ALL_LANGUAGES("Date");
TEXT_TABLE Save = ALL_LANGUAGES("Save");
TEXT_TABLE Hours = ALL_LANGUAGES("Hours");
TEXT_TABLE Minutes = ALL_LANGUAGES("Minutes");
TEXT_TABLE Seconds_ = ALL_LANGUAGES("Seconds");
TEXT_TABLE Month = ALL_LANGUAGES("Month");
TEXT_TABLE Day = ALL_LANGUAGES("Day");
TEXT_TABLE Year = ALL_LANGUAGES("Year");
TEXT_TABLE Confirm = ALL_LANGUAGES("Confirm:");
TEXT_TABLE Save_Changes = ALL_LANGUAGES("Save Changes?");
TEXT_TABLE Yes = ALL_LANGUAGES("Yes");
TEXT_TABLE No = ALL_LANGUAGES("No");

// Among the clock settings of the "Setup" tab.
constexpr MENU_PRIORITY MENU_DATE_TIME_SETUP = (MENU_PRIORITY)161;

constexpr U32 KEYS_BUT_CURSOR = 0xFFEF;
constexpr U32 LAST_YEAR = 38;

// Colour-table entries.
constexpr U32 WHITE = 64;
constexpr U32 NAVY = 67;
constexpr U32 BLACK = 68;
constexpr U32 LIGHT_GREEN = 71;
constexpr U32 LIGHT_GREY = 129;
constexpr U32 TEXT_BLACK = 131;

// The panel's lower-left corner; the rest is placed from it.
constexpr S32 PANEL_X = 160;
constexpr S32 PANEL_Y = 239;
constexpr U32 PANEL_WIDTH = 480;
constexpr U32 PANEL_HEIGHT = 227;
constexpr U32 TITLE_HEIGHT = 51;
constexpr U32 DIGIT_BOX_HEIGHT = 52;
constexpr U32 BUTTON_HEIGHT = 29;
constexpr U32 ARROW_SIZE = 17;
constexpr U32 CONFIRM_HEIGHT = 102;
constexpr S32 FIELD_COLUMNS[3] = {160, 273, 384};
constexpr S32 SEPARATOR_COLUMNS[2] = {249, 360};

} // namespace

// Statics -----------------------------------------------------------------

namespace {

std::mutex s_lock;
DATE_TIME_MENU_CTRL s_DateTimeMenuCtrl = {EDIT_TIME, FALSE, FALSE};
U32 s_u32Hours = 0;
U32 s_u32Minutes = 0;
U32 s_u32Seconds = 0;
U32 s_u32Month = 0;
U32 s_u32Day = 0;
U32 s_u32Year = 0;
BOOLEAN s_bOpen = FALSE;

// Static functions --------------------------------------------------------

COLOR colour(U32 u32Index) { return gCOLOR_pcolColorTable[u32Index]; }

const BYTE* text(const TEXT_TABLE& table) { return reinterpret_cast<const BYTE*>(table[nCurrentLanguage()]); }

const FONT_DEF* font11(void)
{
    const FONT_DEF* p = std_11x14_font_def_ptr.load();
    return p != nullptr ? p : &vondrel_11x14_font_def;
}

const FONT_DEF* font16(void)
{
    const FONT_DEF* p = std_16x17_font_def_ptr.load();
    return p != nullptr ? p : &vondrel_16x17_font_def;
}

void vGoodClick(const MSG_KEY_CHANGE* pMsg)
{
    if (pMsg->state == KEY_DOWN)
        L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
}

void vBadClick(const MSG_KEY_CHANGE* pMsg)
{
    if (pMsg->state == KEY_DOWN)
        L_SEMA_Signal(SEMA_KEYCLICK_BAD);
}

// The field a state edits, with its range.
struct FIELD {
    U32* pu32Value;
    U32 u32Min;
    U32 u32Max;
};

bool bField(DATE_TIME_MENU_STATE eState, FIELD* pField)
{
    switch (eState) {
    case EDIT_HOURS:
        *pField = {&s_u32Hours, 0, 23};
        return true;
    case EDIT_MINUTES:
        *pField = {&s_u32Minutes, 0, 59};
        return true;
    case EDIT_SECONDS:
        *pField = {&s_u32Seconds, 0, 59};
        return true;
    case EDIT_MONTH:
        *pField = {&s_u32Month, 1, 12};
        return true;
    case EDIT_DAY:
        *pField = {&s_u32Day, 1, 31};
        return true;
    case EDIT_YEAR:
        *pField = {&s_u32Year, 0, LAST_YEAR};
        return true;
    default:
        return false;
    }
}

// Closing: the layer and the keys go; the fields stay until the next
// opening sets them to 0.
void vClose(void)
{
    s_bOpen = FALSE;
    U_VIEW_bUnRegisterLayer(DATETIME_MENU_LAYER);
    U_KEYBOARD_bUnregisterKeys(M_SYSTIME_EDIT, KEYS_BUT_CURSOR);
    U_KEYBOARD_bUnregisterKeys(M_SYSTIME_EDIT, KEY_CURSOR);
}

// Sets the clock from the fields and closes. A day or month of 0 names no
// date, and is refused: FALSE, the form stays as it was.
bool bApply(void)
{
    if (s_u32Month == 0 || s_u32Day == 0)
        return false;
    s_DateTimeMenuCtrl.bConfirm = FALSE;
    s_DateTimeMenuCtrl.bDateTimeChanged = FALSE;
    s_DateTimeMenuCtrl.eMenuState = EDIT_TIME;
    struct tm tm = {};
    tm.tm_sec = (int)s_u32Seconds;
    tm.tm_min = (int)s_u32Minutes;
    tm.tm_hour = (int)s_u32Hours;
    tm.tm_mday = (int)s_u32Day;
    tm.tm_mon = (int)s_u32Month - 1;
    tm.tm_year = (int)s_u32Year + 100;
    tm.tm_isdst = 0;
    const time_t t = mktime(&tm);
    L_UTILS_vSetSysDate((U32)t);
    vClose();
    return true;
}

// One cursor key; true when it was taken.
bool bCursor(const MSG_KEY_CHANGE* pMsg)
{
    DATE_TIME_MENU_CTRL& c = s_DateTimeMenuCtrl;
    FIELD field;
    const bool bInField = bField(c.eMenuState, &field);
    switch (pMsg->cursor) {
    case CURSOR_NORTH:
        if (bInField) {
            U32& v = *field.pu32Value;
            v = v >= field.u32Max ? field.u32Min : v + 1;
            c.bDateTimeChanged = TRUE;
        } else if (c.eMenuState == EDIT_SAVE) {
            c.eMenuState = EDIT_DATE;
        } else if (c.eMenuState == EDIT_DATE) {
            c.eMenuState = EDIT_TIME;
        } else {
            return false;
        }
        return true;
    case CURSOR_SOUTH:
        if (bInField) {
            U32& v = *field.pu32Value;
            v = v <= field.u32Min ? field.u32Max : v - 1;
            c.bDateTimeChanged = TRUE;
        } else if (c.eMenuState == EDIT_TIME) {
            c.eMenuState = EDIT_DATE;
        } else if (c.eMenuState == EDIT_DATE) {
            c.eMenuState = EDIT_SAVE;
        } else {
            return false;
        }
        return true;
    case CURSOR_EAST:
        if (!c.bConfirm && c.eMenuState != EDIT_SAVE) {
            static constexpr DATE_TIME_MENU_STATE s_aNext[] = {EDIT_SAVE,    EDIT_MONTH, EDIT_HOURS,
                                                               EDIT_MINUTES, EDIT_SECONDS, EDIT_DATE,
                                                               EDIT_DAY,     EDIT_YEAR,   EDIT_SAVE};
            c.eMenuState = s_aNext[c.eMenuState];
            return true;
        }
        return c.bDateTimeChanged && bApply();
    case CURSOR_WEST:
        if (c.bConfirm) {
            c.bConfirm = FALSE;
            c.bDateTimeChanged = FALSE;
            vClose();
            return true;
        }
        switch (c.eMenuState) {
        case EDIT_HOURS:
            c.eMenuState = EDIT_TIME;
            return true;
        case EDIT_MINUTES:
        case EDIT_SECONDS:
        case EDIT_DAY:
        case EDIT_YEAR:
            c.eMenuState = (DATE_TIME_MENU_STATE)(c.eMenuState - 1);
            return true;
        case EDIT_MONTH:
            c.eMenuState = EDIT_DATE;
            return true;
        default:
            return false;
        }
    default:
        return false;
    }
}

// ---- Drawing ----

void vDigitBox(BITMAP* pBitmap, S32 x, S32 y, U32 u32Width, U32 u32Value, bool bEdited)
{
    const POINT box = {x, y};
    if (bEdited)
        G_BOX_vDrawRoundedFilled(pBitmap, colour(WHITE), &box, u32Width, DIGIT_BOX_HEIGHT, 2);
    G_BOX_vDrawRounded(pBitmap, colour(NAVY), &box, u32Width, DIGIT_BOX_HEIGHT, 2);
    char acDigits[12];
    snprintf(acDigits, sizeof acDigits, "%02u", (unsigned)u32Value);
    POINT at = {x + 5, y + 7};
    G_STRING_vPut(pBitmap, colour(BLACK), &at, &f21x38_font_def, reinterpret_cast<const BYTE*>(acDigits));
}

void vCentred(BITMAP* pBitmap, const FONT_DEF* pFont, const BYTE* pText, S32 s32CentreX, S32 y, COLOR color)
{
    POINT at = {s32CentreX - (S32)G_STRING_u32GetWidth(pFont, pText) / 2, y};
    G_STRING_vPut(pBitmap, color, &at, pFont, pText);
}

void vDoubleOutline(BITMAP* pBitmap, POINT at, U32 u32Width, U32 u32Height)
{
    G_BOX_vDrawRounded(pBitmap, colour(NAVY), &at, u32Width, u32Height, 2);
    const POINT inner = {at.x + 1, at.y + 1};
    G_BOX_vDrawRounded(pBitmap, colour(NAVY), &inner, u32Width - 2, u32Height - 2, 2);
}

void vDrawConfirmation(BITMAP* pBitmap)
{
    const FONT_DEF* pFont = font16();
    const U32 u32Icon = G_ICON_u32GetWidth(&confirm_icon);
    const U32 u32Blank = G_STRING_u32GetWidth(pFont, reinterpret_cast<const BYTE*>(" "));
    const U32 u32Confirm = G_STRING_u32GetWidth(pFont, text(Confirm));
    const U32 u32Yes = G_STRING_u32GetWidth(pFont, text(Yes));
    const U32 u32No = G_STRING_u32GetWidth(pFont, text(No));
    const U32 u32Question = G_STRING_u32GetWidth(pFont, text(Save_Changes));
    const U32 W = std::max({u32Yes + u32No + 68, 3 * u32Icon + u32Confirm, u32Question}) + 17;
    const S32 X = ((S32)pBitmap->pixels_wide - (S32)W) / 2;
    const S32 Y = ((S32)pBitmap->pixels_high - (S32)CONFIRM_HEIGHT) / 2;

    const POINT outer = {X, Y};
    G_BOX_vDrawRounded(pBitmap, colour(NAVY), &outer, W, CONFIRM_HEIGHT, 5);
    const POINT inner = {X + 1, Y + 1};
    G_BOX_vDrawRounded(pBitmap, colour(NAVY), &inner, W - 2, CONFIRM_HEIGHT - 2, 3);
    const POINT fill = {X + 2, Y + 2};
    G_BOX_vDrawRoundedFilled(pBitmap, colour(LIGHT_GREEN), &fill, W - 4, CONFIRM_HEIGHT - 4, 3);
    POINT from = {X, Y + 68};
    POINT to = {X + (S32)W - 1, Y + 68};
    G_LINE_vDraw(pBitmap, colour(NAVY), &from, &to);

    const S32 s32IconX = X + ((S32)W - (S32)u32Blank - (S32)u32Confirm - 2 * (S32)u32Icon) / 2;
    const POINT icon = {s32IconX, Y + 77};
    G_ICON_vPut(pBitmap, &confirm_icon, &icon);
    POINT title = {s32IconX + (S32)u32Icon + (S32)u32Blank, Y + 77};
    G_STRING_vPut(pBitmap, colour(BLACK), &title, pFont, text(Confirm));

    vCentred(pBitmap, pFont, text(Save_Changes), X + (S32)W / 2, Y + 42, colour(BLACK));

    U_MENU_vDrawArrowLeft(pBitmap, POINT{X + 16, Y + 5}, ARROW_SIZE, colour(BLACK));
    POINT no = {X + 24, Y + 5};
    G_STRING_vPut(pBitmap, colour(BLACK), &no, pFont, text(No));
    const S32 s32RightArrow = X + (S32)W - (S32)ARROW_SIZE;
    U_MENU_vDrawArrowRight(pBitmap, POINT{s32RightArrow, Y + 5}, ARROW_SIZE, colour(BLACK));
    POINT yes = {s32RightArrow - 4 - (S32)u32Yes, Y + 5};
    G_STRING_vPut(pBitmap, colour(BLACK), &yes, pFont, text(Yes));
}

void vDrawForm(BITMAP* pBitmap, const DATE_TIME_FORM& f)
{
    const S32 px = PANEL_X, py = PANEL_Y;
    const DATE_TIME_MENU_STATE eState = f.ctrl.eMenuState;

    const POINT panel = {px, py};
    G_BOX_vDrawRoundedFilled(pBitmap, colour(LIGHT_GREY), &panel, PANEL_WIDTH, PANEL_HEIGHT, 2);
    vDoubleOutline(pBitmap, panel, PANEL_WIDTH, PANEL_HEIGHT);

    // The six fields: the time row, then the date row.
    const U32 D = G_STRING_u32GetWidth(&f21x38_font_def, reinterpret_cast<const BYTE*>("00")) + 10;
    const U32 au32Values[6] = {f.u32Hours, f.u32Minutes, f.u32Seconds, f.u32Month, f.u32Day, f.u32Year};
    const TEXT_TABLE* apLabels[6] = {&Hours, &Minutes, &Seconds_, &Month, &Day, &Year};
    for (U32 i = 0; i < 6; ++i) {
        const bool bTime = i < 3;
        const S32 x = px + FIELD_COLUMNS[i % 3];
        const S32 y = py + (bTime ? 140 : 53);
        vDigitBox(pBitmap, x, y, D, au32Values[i], eState == (DATE_TIME_MENU_STATE)(EDIT_HOURS + i));
        vCentred(pBitmap, font11(), text(*apLabels[i]), x + (S32)D / 2, py + (bTime ? 201 : 114), colour(BLACK));
    }
    for (S32 s32Column : SEPARATOR_COLUMNS) {
        POINT colon = {px + s32Column, py + 159};
        G_STRING_vPut(pBitmap, colour(BLACK), &colon, &f21x38_font_def, reinterpret_cast<const BYTE*>(":"));
        vCentred(pBitmap, &f21x38_font_def, reinterpret_cast<const BYTE*>("/"), px + s32Column, py + 60,
                 colour(BLACK));
    }

    // The row buttons, the current row's white with its arrow.
    const FONT_DEF* pFont = font16();
    const U32 B = std::max({G_STRING_u32GetWidth(pFont, text(Time)), G_STRING_u32GetWidth(pFont, text(Date)),
                            G_STRING_u32GetWidth(pFont, text(Save))}) +
                  29;
    const struct {
        const TEXT_TABLE* pText;
        S32 y;
        DATE_TIME_MENU_STATE eRow;
    } rows[3] = {{&Time, 151, EDIT_TIME}, {&Date, 63, EDIT_DATE}, {&Save, 15, EDIT_SAVE}};
    for (const auto& row : rows) {
        const POINT button = {px + 20, py + row.y};
        if (eState == row.eRow)
            G_BOX_vDrawRoundedFilled(pBitmap, colour(WHITE), &button, B, BUTTON_HEIGHT, 2);
        G_BOX_vDrawRounded(pBitmap, colour(NAVY), &button, B, BUTTON_HEIGHT, 2);
        POINT at = {button.x + 6, button.y + 6};
        G_STRING_vPut(pBitmap, colour(BLACK), &at, pFont, text(*row.pText));
        if (eState == row.eRow)
            U_MENU_vDrawArrowRight(pBitmap, POINT{button.x + (S32)B - (S32)ARROW_SIZE, button.y + 6}, ARROW_SIZE,
                                   colour(TEXT_BLACK));
    }

    // The title bar on top of the panel.
    const POINT title = {px, py + (S32)PANEL_HEIGHT - 2};
    G_BOX_vDrawRoundedFilled(pBitmap, colour(WHITE), &title, PANEL_WIDTH, TITLE_HEIGHT, 2);
    vDoubleOutline(pBitmap, title, PANEL_WIDTH, TITLE_HEIGHT);
    vCentred(pBitmap, pFont, text(Enter_Time_and_Date), px + (S32)PANEL_WIDTH / 2, title.y + 1 + 17, colour(BLACK));

    if (f.ctrl.bConfirm)
        vDrawConfirmation(pBitmap);
}

DATE_TIME_FORM sForm(void)
{
    return {s_DateTimeMenuCtrl, s_u32Hours, s_u32Minutes, s_u32Seconds, s_u32Month, s_u32Day, s_u32Year, s_bOpen};
}

} // namespace

// Public functions --------------------------------------------------------

void U_DATETIME_vDateTimeSetup(void)
{
    {
        std::lock_guard<std::mutex> lock(s_lock);
        s_DateTimeMenuCtrl.bConfirm = FALSE;
        s_DateTimeMenuCtrl.eMenuState = EDIT_TIME;
        s_u32Hours = s_u32Minutes = s_u32Seconds = 0;
        s_u32Month = s_u32Day = s_u32Year = 0;
        s_bOpen = TRUE;
    }
    U_VIEW_bRegisterLayer(U_DATETIME_vDrawDateTimeMenu, DATETIME_MENU_LAYER, USED_BY_ALL, 0, 0, TRUE, nullptr,
                          nullptr, nullptr);
    U_KEYBOARD_bRegisterKeys(M_SYSTIME_EDIT, KEYS_BUT_CURSOR, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY,
                             REGISTER_DIALOG_BOX);
    U_KEYBOARD_bRegisterKeys(M_SYSTIME_EDIT, KEY_CURSOR, KEY_DOWN, TRUE, TRUE, CURSOR_4, REGISTER_DIALOG_BOX);
}

void U_DATETIME_bHandleKeys(MSG_KEY_CHANGE* pMsg)
{
    if (pMsg == nullptr)
        return;
    std::lock_guard<std::mutex> lock(s_lock);
    if (!s_bOpen)
        return;
    DATE_TIME_MENU_CTRL& c = s_DateTimeMenuCtrl;
    if (pMsg->key == KEY_CURSOR) {
        if (bCursor(pMsg))
            vGoodClick(pMsg);
        else
            vBadClick(pMsg);
        return;
    }
    if (pMsg->key == KEY_EXIT) {
        if (c.eMenuState > EDIT_YEAR)
            return;
        if (c.eMenuState == EDIT_SAVE && c.bConfirm) {
            vBadClick(pMsg);
        } else if (c.bDateTimeChanged) {
            c.bConfirm = TRUE;
            vGoodClick(pMsg);
        } else {
            vClose();
        }
        return;
    }
    vBadClick(pMsg);
}

void U_DATETIME_vDrawDateTimeMenu(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    (void)psWindowSpec;
    DATE_TIME_FORM form;
    {
        std::lock_guard<std::mutex> lock(s_lock);
        form = sForm();
    }
    vDrawForm(pBitmap, form);
}

void U_DATETIME_vServeMailbox(void)
{
    while (MSGHEADER* pHeader = L_MBOX_Receive(M_SYSTIME_EDIT)) {
        GENERIC_MESSAGE* pMail = reinterpret_cast<GENERIC_MESSAGE*>(pHeader);
        if (pMail->Cmd == CMD_ID_KEY_CHANGE)
            U_DATETIME_bHandleKeys(reinterpret_cast<MSG_KEY_CHANGE*>(pHeader));
        H_MEMORY_vDumpMail(pHeader);
    }
}

void U_DATETIME_vRegisterSetupAction(BOOLEAN bRegister)
{
    if (bRegister)
        U_MENU_bRegisterMainActionMenu(&Enter_Time_and_Date, T_MENU_pSetupTabName, MENU_DATE_TIME_SETUP,
                                       U_DATETIME_vDateTimeSetup, FALSE, M_BASIC);
    else
        U_MENU_bUnregisterMainMenuItem(&Enter_Time_and_Date, T_MENU_pSetupTabName);
}

DATE_TIME_FORM U_DATETIME_sGetForm(void)
{
    std::lock_guard<std::mutex> lock(s_lock);
    return sForm();
}
