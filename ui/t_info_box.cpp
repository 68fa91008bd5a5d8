// Readout boxes: the background styles, the titles, the big value with its
// tenths and unit, the blank and blink rules, and the trolling motor's
// propeller icons.
#include "ui/t_info.h"
#include "ui/t_info_state.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_icon.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "store/h_database.h"
#include "ui/icon_art.h"

#include <cstring>

namespace {

#define INFO_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

constexpr U32 COLOR_ENTRY_BLACK = 32;
constexpr U32 COLOR_ENTRY_TICK_DARK = 34;
constexpr U32 COLOR_ENTRY_WHITE = 35;
constexpr U32 COLOR_ENTRY_RED = 36;

constexpr S32 DIGITS_BOX_MAX_WIDTH = 158;
constexpr U32 STAYVANE_MODE = 3;
constexpr U32 CONTOUR_FOLLOWING_MODE = 9;

COLOR colour(U32 entry) { return gCOLOR_pcolColorTable[entry]; }

bool fetchTrue(const char (&key)[5])
{
    BOOLEAN b = FALSE;
    return H_DATABASE_bFetchBoolean(FCID(key), &b, nullptr, nullptr) && b != FALSE;
}

U32 fetchU32Or(const char (&key)[5], U32 fallback)
{
    U32 v = fallback;
    H_DATABASE_bFetchU32(FCID(key), &v, nullptr, nullptr);
    return v;
}

void resolve(const BITMAP* pBitmap, S32* pX, S32* pY)
{
    if (*pX < 0)
        *pX += (S32)pBitmap->pixels_wide;
    if (*pY < 0)
        *pY += (S32)pBitmap->pixels_high;
}

bool inRadarView(void)
{
    auto* const pfn = t_info::neighbours().pfnIsMyRadarInfoView;
    return pfn != nullptr && pfn(U_VIEW_eCurrentView());
}

S32 textWidth(const FONT_DEF* pFont, const char* s)
{
    return pFont != nullptr && s != nullptr ? (S32)G_STRING_u32GetWidth(pFont, (const BYTE*)s) : 0;
}

void put(BITMAP* pBitmap, COLOR c, POINT* pPt, const FONT_DEF* pFont, const char* s)
{
    if (pFont != nullptr && s != nullptr)
        G_STRING_vPut(pBitmap, c, pPt, pFont, (const BYTE*)s);
}

// The three outlines of the bordered styles, each one pixel further in.
void drawOutlines(BITMAP* pBitmap, COLOR c, S32 x, S32 y, S32 w, S32 h)
{
    const POINT outer = {x, y};
    const POINT middle = {x + 1, y + 1};
    const POINT inner = {x + 2, y + 2};
    G_BOX_vDrawRounded(pBitmap, c, &outer, (U32)w, (U32)h, 5);
    G_BOX_vDrawRounded(pBitmap, c, &middle, (U32)(w - 2), (U32)(h - 2), 3);
    G_BOX_vDrawRounded(pBitmap, c, &inner, (U32)(w - 4), (U32)(h - 4), 3);
}

struct Title {
    FOURCHARID key;
    const TEXT_TABLE* pText;
    const TEXT_TABLE* pNumbered; // with "SFEF", or null
};

const TEXT_TABLE txtSpeed = INFO_TEXT("Speed");
const TEXT_TABLE txtHeading = INFO_TEXT("Heading");
const TEXT_TABLE txtCog = INFO_TEXT("COG");
const TEXT_TABLE txtSog = INFO_TEXT("SOG");
const TEXT_TABLE txtXte = INFO_TEXT("XTE");
const TEXT_TABLE txtVmg = INFO_TEXT("VMG");
const TEXT_TABLE txtBearing = INFO_TEXT("Bearing");
const TEXT_TABLE txtDtg = INFO_TEXT("DTG");
const TEXT_TABLE txtTtg = INFO_TEXT("TTG");
const TEXT_TABLE txtDist = INFO_TEXT("DIST");
const TEXT_TABLE txtDepth = INFO_TEXT("Depth");
const TEXT_TABLE txtRDepth = INFO_TEXT("R Depth");
const TEXT_TABLE txtPitch = INFO_TEXT("Pitch");
const TEXT_TABLE txtRoll = INFO_TEXT("Roll");
const TEXT_TABLE txtTime = INFO_TEXT("Time");
const TEXT_TABLE txtVlt = INFO_TEXT("VLT");
const TEXT_TABLE txtTimer = INFO_TEXT("Timer");
const TEXT_TABLE txtStw = INFO_TEXT("STW");
const TEXT_TABLE txtTemp = INFO_TEXT("Temp");
const TEXT_TABLE txtAuxTemp = INFO_TEXT("Aux Temp");
const TEXT_TABLE txtRTemp = INFO_TEXT("R Temp");
const TEXT_TABLE txtRATemp = INFO_TEXT("R A Temp");
const TEXT_TABLE txtTemp1 = INFO_TEXT("Temp.1");
const TEXT_TABLE txtTemp2 = INFO_TEXT("Temp.2");
const TEXT_TABLE txtTemp3 = INFO_TEXT("Temp.3");
const TEXT_TABLE txtTemp4 = INFO_TEXT("Temp.4");

const Title TITLES[] = {
    {FCID("ISPD"), &txtSpeed, nullptr},     {FCID("IHDC"), &txtHeading, nullptr},
    {FCID("IHDG"), &txtCog, nullptr},       {FCID("ISOG"), &txtSog, nullptr},
    {FCID("IXTE"), &txtXte, nullptr},       {FCID("IVMG"), &txtVmg, nullptr},
    {FCID("IBRG"), &txtBearing, nullptr},   {FCID("IDTG"), &txtDtg, nullptr},
    {FCID("ITTG"), &txtTtg, nullptr},       {FCID("IDST"), &txtDist, nullptr},
    {FCID("IDEP"), &txtDepth, nullptr},     {FCID("IDER"), &txtRDepth, nullptr},
    {FCID("IPTH"), &txtPitch, nullptr},     {FCID("IROL"), &txtRoll, nullptr},
    {FCID("ITMO"), &txtTime, nullptr},      {FCID("IVLT"), &txtVlt, nullptr},
    {FCID("ITAW"), &txtTimer, nullptr},     {FCID("ISTW"), &txtStw, nullptr},
    {FCID("ITMP"), &txtTemp, &txtTemp1},    {FCID("ITMT"), &txtTemp, &txtTemp1},
    {FCID("ITMS"), &txtAuxTemp, &txtTemp2}, {FCID("IRTP"), &txtRTemp, &txtTemp3},
    {FCID("IRTS"), &txtRATemp, &txtTemp4},
};

// ---- Propeller icons: three frames of a turning propeller and the cruise mark ----

constexpr const char* prop_rows[3][16] = {
    {"......4444......", "......4444......", ".......44.......", ".......44.......", ".......44.......",
     ".......44.......", "......4444......", "4444444..4444444", "4444444..4444444", "......4444......",
     ".......44.......", ".......44.......", ".......44.......", ".......44.......", "......4444......",
     "......4444......"},
    {"..44............", ".4444...........", "..4444..........", "...4444.........", "....4444........",
     ".....4444.....44", "......44.....444", ".......4....444.", ".444....4..444..", "444.....44444...",
     "44.....4444.....", "........4444....", ".........4444...", "..........4444..", "...........4444.",
     "............44.."},
    {"............44..", "...........4444.", "..........4444..", ".........4444...", "........4444....",
     "44.....4444.....", "444.....44......", ".444....4.......", "..444....4..444.", "...44444.....444",
     ".....4444.....44", "....4444........", "...4444.........", "..4444..........", ".4444...........",
     "..44............"},
};
constexpr const char* cruise_rows[16] = {
    "................", ".....444444.....", "...4444444444...", "..444......444..", ".444........444.",
    ".44..........44.", "44.....44.....44", "44....444.....44", "44...444......44", "44..444.......44",
    ".44.44.......44.", ".444........444.", "..444......444..", "...4444444444...", ".....444444.....",
    "................"};
static_assert(icon_art::rowsFit<16>(prop_rows[0]) && icon_art::rowsFit<16>(prop_rows[1]) &&
              icon_art::rowsFit<16>(prop_rows[2]) && icon_art::rowsFit<16>(cruise_rows));
constexpr auto prop0 = icon_art::pack<16>(prop_rows[0]);
constexpr auto prop1 = icon_art::pack<16>(prop_rows[1]);
constexpr auto prop2 = icon_art::pack<16>(prop_rows[2]);
constexpr auto cruise = icon_art::pack<16>(cruise_rows);

const ICON s_aPropIconData[3] = {
    {prop0.data(), &icon_art::u8Transparent, 16, 16, ICON_TRANSPARENT_COLOR},
    {prop1.data(), &icon_art::u8Transparent, 16, 16, ICON_TRANSPARENT_COLOR},
    {prop2.data(), &icon_art::u8Transparent, 16, 16, ICON_TRANSPARENT_COLOR},
};
const ICON* const s_apPropIcons[3] = {&s_aPropIconData[0], &s_aPropIconData[1], &s_aPropIconData[2]};
const ICON s_cruiseIcon = {cruise.data(), &icon_art::u8Transparent, 16, 16, ICON_TRANSPARENT_COLOR};

// The value in the value font, its tenths (after the '.') in the tenths
// font straight behind; the point ends where the text ended.
void drawValue(BITMAP* pBitmap, COLOR c, POINT* pPt, const char* sValue, const FONT_DEF* pValueFont,
               const FONT_DEF* pTenthsFont)
{
    const char* pDot = strchr(sValue, '.');
    if (pTenthsFont != nullptr && pTenthsFont != pValueFont && pDot != nullptr) {
        char head[24] = {};
        const size_t n = (size_t)(pDot - sValue) + 1;
        memcpy(head, sValue, n < sizeof head ? n : sizeof head - 1);
        put(pBitmap, c, pPt, pValueFont, head);
        put(pBitmap, c, pPt, pTenthsFont, pDot + 1);
        return;
    }
    put(pBitmap, c, pPt, pValueFont, sValue);
}

bool trollingMotorConnected(void) { return fetchTrue("IPUF"); }
bool navigationPaused(void)
{
    auto* const pfn = t_info::neighbours().pfnStevrinNavigationPaused;
    return pfn != nullptr && pfn();
}

// Whether the readout has no meaning just now and shows the blank.
bool isBlank(FOURCHARID fcid, bool bMotor, U32 u32Mode, bool bFullRules)
{
    const bool bVmgXte = fcid == FCID("IVMG") || fcid == FCID("IXTE");
    if (bVmgXte && fetchTrue("SNCM") && fetchTrue("CCNC"))
        return true;
    if (!bFullRules)
        return false;
    if (fcid == FCID("INVL"))
        return true;
    if (!bMotor)
        return false;
    const bool bPaused = navigationPaused();
    if (fcid == FCID("IXTE") && bPaused)
        return true;
    if (u32Mode == CONTOUR_FOLLOWING_MODE && fcid == FCID("ITTG"))
        return true;
    if (u32Mode == STAYVANE_MODE || bPaused)
        for (FOURCHARID k : {FCID("IDTG"), FCID("ITTG"), FCID("IDST"), FCID("IXTE"), FCID("IVMG")})
            if (fcid == k)
                return true;
    return false;
}

struct Formatted {
    char sValue[20] = {};
    const char* pUnits = "";
    BOOLEAN bValid = FALSE;
    S32 vw = 0, uw = 0;
    const FONT_DEF* pValueFont = nullptr;
    const FONT_DEF* pTenthsFont = nullptr;
    S32 w = 0;
};

// Steps 3 to 6 shared by both boxes: format, blank, width and font fallback.
bool format(Formatted* f, S32 nMinWidth, FOURCHARID fcid, const FONT_DEF* pValueFont, const FONT_DEF* pUnitsFont,
            const FONT_DEF* pTenthsFont, DIGITS_FORMAT eFormat, bool bFullRules)
{
    const bool bMotor = bFullRules && trollingMotorConnected();
    const U32 u32Mode = bMotor ? fetchU32Or("IPMD", 0) : 0;
    if (eFormat == DONT_FORCE)
        eFormat = (DIGITS_FORMAT)fetchU32Or("SFMT", LARGE_TENTHS);
    if (eFormat == LARGE_TENTHS)
        pTenthsFont = pValueFont;
    f->pValueFont = pValueFont;
    f->pTenthsFont = pTenthsFont;
    if (!(bFullRules && fcid == FCID("INVL"))) {
        if (T_INFO_nInfoStrings(f->sValue, &f->pUnits, &f->bValid, nMinWidth, fcid, pValueFont, pUnitsFont,
                                pTenthsFont, eFormat, nCurrentLanguage(), 16, &f->vw, &f->uw) == 0 &&
            !H_DATABASE_bFetch(fcid, nullptr, nullptr, nullptr))
            return false;
    }
    if (isBlank(fcid, bMotor, u32Mode, bFullRules)) {
        strcpy(f->sValue, "---");
        f->pUnits = "";
        f->uw = 0;
        f->vw = textWidth(pValueFont, f->sValue);
        if (fcid == FCID("INVL"))
            f->bValid = TRUE;
    }
    S32 w = f->uw + 4 > f->vw ? f->uw + 4 : f->vw;
    if (w < nMinWidth)
        w = nMinWidth;
    if (w > DIGITS_BOX_MAX_WIDTH && pValueFont == f34x62_font_def_ptr) {
        w = DIGITS_BOX_MAX_WIDTH;
        if (f->pTenthsFont == f->pValueFont)
            f->pTenthsFont = f31x57_font_def_ptr;
        f->pValueFont = f31x57_font_def_ptr;
        const char* pDot = strchr(f->sValue, '.');
        if (f->pTenthsFont != f->pValueFont && pDot != nullptr) {
            char head[24] = {};
            memcpy(head, f->sValue, (size_t)(pDot - f->sValue) + 1);
            f->vw = textWidth(f->pValueFont, head) + textWidth(f->pTenthsFont, pDot + 1);
        } else {
            f->vw = textWidth(f->pValueFont, f->sValue);
        }
    }
    f->w = w;
    return true;
}

} // namespace

// ---- Backgrounds and texts ----

void T_INFO_vDrawInfoBar(BITMAP* pBitmap, S32 nBoxWidth, S32 nHeight, S32 nXPosition, S32 nYPosition,
                         INFO_BOX_STYLE eBoxStyle)
{
    resolve(pBitmap, &nXPosition, &nYPosition);
    const S32 w = nBoxWidth, h = nHeight, x = nXPosition, y = nYPosition;
    if (w <= 0 || h <= 0)
        return;
    const POINT at = {x, y};
    const POINT in3 = {x + 3, y + 3};
    const auto roundedBar = [&](U32 entry) { G_BOX_vDrawRoundedFilled(pBitmap, colour(entry), &at, (U32)w, (U32)h, 10); };
    const auto bar = [&](U32 entry) { G_BOX_vDrawFilled(pBitmap, colour(entry), &at, (U32)w, (U32)h); };
    const bool bInner = w > 6 && h > 6;
    switch (eBoxStyle) {
    case IBS_GRAY_ROUNDED_BORDER: {
        const bool bDark = T_INFO_bIsMssView();
        drawOutlines(pBitmap, colour(bDark ? INFO_COLOR_BACKGROUND : INFO_COLOR_DARK), x, y, w, h);
        if (bInner)
            G_BOX_vDrawRoundedFilled(pBitmap, colour(bDark ? INFO_COLOR_TEXT : INFO_COLOR_BACKGROUND), &in3,
                                     (U32)(w - 6), (U32)(h - 6), 3);
        break;
    }
    case IBS_RED_ROUNDED_BORDER:
        drawOutlines(pBitmap, colour(COLOR_ENTRY_RED), x, y, w, h);
        if (bInner)
            G_BOX_vDrawRoundedFilled(pBitmap, colour(INFO_COLOR_BACKGROUND), &in3, (U32)(w - 6), (U32)(h - 6), 3);
        break;
    case IBS_BLACK_ROUNDED_BAR: roundedBar(INFO_COLOR_TEXT); break;
    case IBS_ALWAYS_BLACK_ROUNDED_BAR: roundedBar(COLOR_ENTRY_BLACK); break;
    case IBS_DK_GRAY_ROUNDED_BAR: roundedBar(INFO_COLOR_DARK); break;
    case IBS_LT_GRAY_ROUNDED_BAR: roundedBar(INFO_COLOR_LIGHT); break;
    case IBS_WHITE_ROUNDED_BAR: roundedBar(INFO_COLOR_BACKGROUND); break;
    case IBS_ALWAYS_WHITE_ROUNDED_BAR: roundedBar(COLOR_ENTRY_WHITE); break;
    case IBS_BLACK_BAR: bar(INFO_COLOR_TEXT); break;
    case IBS_ALWAYS_BLACK_BAR: bar(COLOR_ENTRY_BLACK); break;
    case IBS_DK_GRAY_BAR: bar(INFO_COLOR_DARK); break;
    case IBS_LT_GRAY_BAR: bar(INFO_COLOR_LIGHT); break;
    case IBS_WHITE_BAR: bar(INFO_COLOR_BACKGROUND); break;
    case IBS_ALWAYS_WHITE_BAR: bar(COLOR_ENTRY_WHITE); break;
    case IBS_SEMITRANSPARENT_WHITE_BAR:
        G_BOX_vDrawFilledAlpha(pBitmap, colour(INFO_COLOR_BACKGROUND), &at, (U32)w, (U32)h, t_info::alpha());
        break;
    case IBS_SEMITRANSPARENT_WHITE_ROUNDED_BAR:
        G_BOX_vDrawRoundedFilledAlpha(pBitmap, colour(INFO_COLOR_BACKGROUND), &at, (U32)w, (U32)h, 10,
                                      t_info::alpha());
        break;
    case IBS_SEMITRANSPARENT_GRAY_ROUNDED_BORDER:
        drawOutlines(pBitmap, colour(INFO_COLOR_DARK), x, y, w, h);
        if (bInner)
            G_BOX_vDrawRoundedFilledAlpha(pBitmap, colour(INFO_COLOR_BACKGROUND), &in3, (U32)(w - 6), (U32)(h - 6),
                                          3, t_info::alpha());
        break;
    default: // IBS_NONE, IBS_GRAY_ROUNDED_BORDER_SANS_BACKGROUND, IBS_RED_BAR
        break;
    }
}

namespace {

void drawTextIn(BITMAP* pBitmap, S32 x, S32 y, const TEXT_TABLE* pString, const FONT_DEF* pFont, U32 nLang,
                U32 entry)
{
    if (pString == nullptr || nLang >= (U32)DB_NUM_LANGUAGES)
        return;
    resolve(pBitmap, &x, &y);
    POINT pt = {x, y};
    put(pBitmap, colour(entry), &pt, pFont, (*pString)[nLang]);
}

} // namespace

void T_INFO_vDrawText(BITMAP* pBitmap, S32 nXPosition, S32 nYPosition, const TEXT_TABLE* pString,
                      const FONT_DEF* pFont, U32 nLang)
{
    const U32 entry = inRadarView()         ? COLOR_ENTRY_BLACK
                      : T_INFO_bIsMssView() ? COLOR_ENTRY_WHITE
                                            : INFO_COLOR_TEXT;
    drawTextIn(pBitmap, nXPosition, nYPosition, pString, pFont, nLang, entry);
}

void T_INFO_vDrawInfoTitleText(BITMAP* pBitmap, S32 nXPosition, S32 nYPosition, const TEXT_TABLE* pString,
                               const FONT_DEF* pFont, U32 nLang)
{
    const U32 entry = inRadarView() || T_INFO_bIsMssView() ? COLOR_ENTRY_WHITE : INFO_COLOR_TEXT;
    drawTextIn(pBitmap, nXPosition, nYPosition, pString, pFont, nLang, entry);
}

void T_INFO_vDrawTextRight(BITMAP* pBitmap, S32 nXPosition, S32 nYPosition, const TEXT_TABLE* pString,
                           const FONT_DEF* pFont, U32 nLang)
{
    if (pString == nullptr || nLang >= (U32)DB_NUM_LANGUAGES)
        return;
    resolve(pBitmap, &nXPosition, &nYPosition);
    S32 x = nXPosition - textWidth(pFont, (*pString)[nLang]);
    drawTextIn(pBitmap, x < 0 ? 0 : x, nYPosition, pString, pFont, nLang, INFO_COLOR_TEXT);
}

void T_INFO_vDrawInfoBoxTitle(BITMAP* pBitmap, POINT* ppt, FOURCHARID fcid, const FONT_DEF* pUnitsFont, U32 nLang)
{
    if (pUnitsFont == std_11x14_font_def_ptr.load()) {
        ppt->x += 2;
        ppt->y += 1;
    }
    for (const Title& t : TITLES)
        if (t.key == fcid) {
            const TEXT_TABLE* pText = t.pNumbered != nullptr && fetchTrue("SFEF") ? t.pNumbered : t.pText;
            T_INFO_vDrawInfoTitleText(pBitmap, ppt->x, ppt->y, pText, pUnitsFont, nLang);
            return;
        }
}

// ---- Boxes ----

S32 T_INFO_nDrawDigitsInfoBox(BITMAP* pBitmap, S32 nMinWidth, S32 nHeight, S32 nXPosition, S32 nYPosition,
                              FOURCHARID fcid, const FONT_DEF* pValueFont, const FONT_DEF* pUnitsFont,
                              const FONT_DEF* pTenthsFont, DIGITS_FORMAT eForceFormat, INFO_BOX_STYLE eBoxStyle,
                              INFO_JUSTIFICATION eJustification, U32 nLang)
{
    U32 textEntry = INFO_COLOR_TEXT, tickEntry = INFO_COLOR_LIGHT;
    const bool bMob = fcid == FCID("MOBX") || fcid == FCID("MOBT") || fcid == FCID("MOBY");
    if (!bMob && (inRadarView() || T_INFO_bIsMssView())) {
        textEntry = COLOR_ENTRY_WHITE;
        tickEntry = COLOR_ENTRY_TICK_DARK;
    }
    Formatted f;
    if (!format(&f, nMinWidth, fcid, pValueFont, pUnitsFont, pTenthsFont, eForceFormat, true))
        return 0;
    const S32 w = f.w, h = nHeight;
    resolve(pBitmap, &nXPosition, &nYPosition);
    const S32 x = nXPosition, y = nYPosition;
    T_INFO_vDrawInfoBar(pBitmap, w, h, x, y, eBoxStyle);
    if (!f.bValid && !T_INFO_bBlinkState())
        return w;

    const bool bUnit = f.pUnits != nullptr && f.pUnits[0] != '\0';
    const S32 ch = pUnitsFont != nullptr ? (S32)G_FONTS_u32GetCoreHeight(pUnitsFont) : 0;
    POINT value = {x + w - f.vw, y + 4};
    bool bUnitCorner = true, bTick = false, bTitle = true;
    POINT title = {x + 4, y + h - 15};
    switch (eJustification) {
    case INSTRUMENTATION_JUSTIFY_LEFT:
        value.x = x + w - f.vw - (bUnit ? f.uw + 4 : 0);
        break;
    case INSTRUMENTATION_JUSTIFY_RIGHT_NO_TICK:
        break;
    case CHARTPLOTTER_JUSTIFY_RIGHT:
        value = {x + w - f.uw - f.vw, y};
        bUnitCorner = false;
        bTitle = false;
        break;
    case JUSTIFY_LEFT:
        value = {x + 4, y + 4};
        bUnitCorner = false;
        title = {x + 108, y + h - 2 - ch};
        break;
    default:
        bTick = w >= DIGITS_BOX_MAX_WIDTH;
        break;
    }
    const COLOR text = colour(textEntry);
    drawValue(pBitmap, text, &value, f.sValue, f.pValueFont, f.pTenthsFont);
    if (bUnitCorner) {
        POINT unit = {x + w - 2 - f.uw, y + h - 2 - ch};
        if (bTick && bUnit) {
            const POINT tick = {x + w - 8 - f.uw, unit.y};
            G_BOX_vDraw(pBitmap, colour(tickEntry), &tick, 2, (U32)(ch + 2));
        }
        put(pBitmap, text, &unit, pUnitsFont, f.pUnits);
    } else {
        POINT unit = {value.x + 2, value.y + 2};
        put(pBitmap, text, &unit, pUnitsFont, f.pUnits);
    }
    if (bTitle) {
        T_INFO_vDrawInfoBoxTitle(pBitmap, &title, fcid, std_9x13_font_def_ptr.load(), nLang);
        if (trollingMotorConnected() && (fcid == FCID("ISPD") || fcid == FCID("ISOG")))
            T_INFO_vDisplayStevrinSpeedBoxIcons(pBitmap, &title);
    }
    return w;
}

S32 T_INFO_nDrawInfoBox(BITMAP* pBitmap, S32 nMinWidth, S32 nHeight, S32 nXPosition, S32 nYPosition,
                        FOURCHARID fcid, const FONT_DEF* pValueFont, const FONT_DEF* pUnitsFont,
                        INFO_BOX_STYLE eBoxStyle, INFO_JUSTIFICATION eJustification, U32 nLang)
{
    return T_INFO_nDrawDigitsInfoBox(pBitmap, nMinWidth, nHeight, nXPosition, nYPosition, fcid, pValueFont,
                                     pUnitsFont, pValueFont, DONT_FORCE, eBoxStyle, eJustification, nLang);
}

S32 T_INFO_nDrawBlackDigitsInfoBox(BITMAP* pBitmap, S32 nMinWidth, S32 nXPosition, S32 nYPosition,
                                   FOURCHARID fcid, const FONT_DEF* pValueFont, const FONT_DEF* pUnitsFont,
                                   const FONT_DEF* pTenthsFont, U32 nLang)
{
    Formatted f;
    if (!format(&f, nMinWidth, fcid, pValueFont, pUnitsFont, pTenthsFont, DONT_FORCE, false))
        return 0;
    resolve(pBitmap, &nXPosition, &nYPosition);
    const S32 x = nXPosition, y = nYPosition;
    if (!f.bValid && !T_INFO_bBlinkState())
        return f.w;
    const COLOR white = colour(COLOR_ENTRY_WHITE);
    const S32 ch = pUnitsFont != nullptr ? (S32)G_FONTS_u32GetCoreHeight(pUnitsFont) : 0;
    POINT value = {x + 4, y + 4};
    drawValue(pBitmap, white, &value, f.sValue, f.pValueFont, f.pTenthsFont);
    POINT unit = {value.x + 2, value.y + 2};
    put(pBitmap, white, &unit, pUnitsFont, f.pUnits);
    POINT title = {x + 108, y + 44 - ch};
    for (const Title& t : TITLES)
        if (t.key == fcid) {
            const TEXT_TABLE* pText = t.pNumbered != nullptr && fetchTrue("SFEF") ? t.pNumbered : t.pText;
            drawTextIn(pBitmap, title.x, title.y, pText, std_9x13_font_def_ptr.load(), nLang, COLOR_ENTRY_WHITE);
        }
    return f.w;
}

void T_INFO_vDisplayStevrinSpeedBoxIcons(BITMAP* pBitmap, POINT* tpPointPos)
{
    auto* const pfnEnabled = t_info::neighbours().pfnStevrinNavigationEnabled;
    if (pfnEnabled == nullptr || !pfnEnabled())
        return;
    const U32 u32Mode = fetchU32Or("IPMD", 0);
    const bool bRunning = fetchTrue("IPRP");
    U32 frame = t_info::propFrame() % 3;
    bool bBlinks = false;
    if (bRunning) {
        if (fetchU32Or("IPPT", 1) == 0)
            frame = 0;
    } else if (u32Mode != 0) {
        frame = 0;
        bBlinks = true;
    } else if ((S32)fetchU32Or("IPAH", 0) >= 1 || fetchU32Or("IPCA", 0) != 0 || fetchTrue("IPRA")) {
        frame = 0;
        bBlinks = true;
    }
    const ICON* pIcon = s_apPropIcons[frame];
    tpPointPos->y -= pIcon->nHeight + 12;
    if (bRunning || (bBlinks && T_INFO_bBlinkState()))
        G_ICON_vPut(pBitmap, pIcon, tpPointPos);
    if (fetchTrue("IPCA")) {
        const POINT cruisePt = {tpPointPos->x + 34, tpPointPos->y};
        G_ICON_vPut(pBitmap, &s_cruiseIcon, &cruisePt);
    }
}
