// The rows every menu list is made of, their widths, the highlighted row
// with its control and the scroll tab (see ui/t_menu.h).
#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_line.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/error.h"
#include "store/h_database.h"
#include "ui/menu_icons.h"
#include "ui/t_menu_draw.h"
#include "ui/u_menu.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace t_menu;

namespace t_menu {

U32 s_minMenuWidth = 0;
U32 s_minSelectorWidth = 0;
POINT s_activeItemAnchor = {0, 0};

COLOR colorAt(U32 u32Index) { return gCOLOR_pcolColorTable[u32Index]; }

const FONT_DEF* rowFont(void)
{
    const FONT_DEF* pFont = std_16x17_font_def_ptr;
    return pFont != nullptr ? pFont : &vondrel_16x17_font_def;
}

const FONT_DEF* headerFont(void)
{
    const FONT_DEF* pFont = std_11x14_font_def_ptr;
    return pFont != nullptr ? pFont : &vondrel_11x14_font_def;
}

S32 textWidth(const FONT_DEF* pFont, const char* pc)
{
    return (S32)G_STRING_u32GetWidth(pFont, reinterpret_cast<const BYTE*>(pc));
}

void vText(BITMAP* pBitmap, U32 u32Color, const FONT_DEF* pFont, S32 x, S32 y, const char* pc)
{
    POINT at = {x, y};
    G_STRING_vPut(pBitmap, colorAt(u32Color), &at, pFont, reinterpret_cast<const BYTE*>(pc));
}

void vBox(BITMAP* pBitmap, U32 u32Color, S32 x, S32 y, S32 w, S32 h, U32 u32Radius, bool bFilled)
{
    if (w <= 0 || h <= 0)
        return;
    const POINT at = {x, y};
    if (u32Radius == 0) {
        if (bFilled)
            G_BOX_vDrawFilled(pBitmap, colorAt(u32Color), &at, (U32)w, (U32)h);
        else
            G_BOX_vDraw(pBitmap, colorAt(u32Color), &at, (U32)w, (U32)h);
    } else if (bFilled) {
        G_BOX_vDrawRoundedFilled(pBitmap, colorAt(u32Color), &at, (U32)w, (U32)h, u32Radius);
    } else {
        G_BOX_vDrawRounded(pBitmap, colorAt(u32Color), &at, (U32)w, (U32)h, u32Radius);
    }
}

void vLine(BITMAP* pBitmap, U32 u32Color, S32 x0, S32 y0, S32 x1, S32 y1)
{
    POINT a = {x0, y0};
    POINT b = {x1, y1};
    G_LINE_vDraw(pBitmap, colorAt(u32Color), &a, &b);
}

void vIcon(BITMAP* pBitmap, const ICON* pIcon, S32 x, S32 y)
{
    if (pIcon == nullptr)
        return;
    const POINT at = {x, y};
    G_ICON_vPut(pBitmap, pIcon, &at);
}

const char* pcTitle(const TEXT_TABLE* pTable)
{
    if (pTable == nullptr)
        return "";
    const char* pc = (*pTable)[nCurrentLanguage()];
    return pc != nullptr ? pc : "";
}

} // namespace t_menu

namespace {

constexpr const char* NO_MENUS = "No Menus Available";
constexpr const char* STAYVANE = "Stayvane";
constexpr S32 CHECK_BOX_IMAGE_WIDTH = 44; // the check-box picture a check row makes room for
constexpr S32 POSITION_HOLD_ICON = 71;
constexpr MENU_PRIORITY MENU_CURRENT_ACTIVE_ROUTE = (MENU_PRIORITY)115;
constexpr S32 FIRST_SOURCE_PRIORITY = 379;
constexpr S32 LAST_SOURCE_PRIORITY = 507;
constexpr S32 SLIDER_WIDTH = 148;
constexpr S32 CONTROL_HEIGHT = 24;
constexpr S32 CONTROL_ROW_HEIGHT = 27;
constexpr S32 MIN_SELECTOR = 148;
constexpr S32 MAX_SELECTOR = 750;

T_MENU_DRAW_NEIGHBOURS s_drawNeighbours = {};

const FOURCHARID KEY_CCRT = FCID("CCRT");

// What an action list shows of the object its key names.
enum OBJECT_KIND { OBJECT_NONE, OBJECT_WAYPOINT, OBJECT_ROUTE, OBJECT_TRACK };

struct OBJECT_KEY {
    FOURCHARID key;
    OBJECT_KIND kind;
};

constexpr OBJECT_KEY OBJECT_KEYS[] = {
    {FCID("CLWC"), OBJECT_WAYPOINT}, {FCID("ICWP"), OBJECT_WAYPOINT}, {FCID("ICIT"), OBJECT_TRACK},
    {FCID("CLRT"), OBJECT_ROUTE},    {FCID("IRT0"), OBJECT_ROUTE},    {FCID("IRT1"), OBJECT_ROUTE},
    {FCID("IRT2"), OBJECT_ROUTE},    {FCID("IRT3"), OBJECT_ROUTE},    {FCID("IRT4"), OBJECT_ROUTE},
};

[[noreturn]] void vNotInMenuList(void)
{
    ERROR_error("./Working/SOURCE/t_menu.c", 1587, "FCID Not in menu list");
    U_RESET_vReset(FALSE, FALSE);
}

void vCopy(OBJECT_KIND kind, U32 u32Index, MENU_NAV_OBJECT* pObject)
{
    vStandInCopyObject(u32Index, pObject);
    void (*pfn)(U32, MENU_NAV_OBJECT*) = kind == OBJECT_WAYPOINT ? s_drawNeighbours.pfnCopyWaypoint
                                         : kind == OBJECT_ROUTE  ? s_drawNeighbours.pfnCopyRoute
                                                                 : s_drawNeighbours.pfnCopyTrack;
    if (pfn != nullptr)
        pfn(u32Index, pObject);
    pObject->acName[MENU_OBJECT_NAME_SIZE - 1] = '\0';
}

// The row's title, object name and icon once the object it names (if any)
// is known.
struct ROW_TEXT {
    const char* pcTitle;
    char acObject[MENU_OBJECT_NAME_SIZE + 1]; // " name", or empty
    const ICON* pIcon;                        // in front of the title
};

ROW_TEXT rowText(const MENU_ITEM* pItem)
{
    ROW_TEXT t = {pcTitle(pItem->pMenuTitle), {}, nullptr};
    const bool bSubLevel = bIsSubMenuLevel(s_activeMenu);
    switch (pItem->control) {
    case M_ACTION_EXT:
        if (pItem->parameters.actionExt.bDispIconAlways)
            t.pIcon = pItem->pMenuIcon;
        if (pItem->parameters.actionExt.bDispIconOnly)
            t.pcTitle = "";
        break;
    case M_SUB_MENU:
        if (!bSubLevel)
            t.pIcon = pItem->pMenuIcon; // sub levels show it at the right end
        break;
    default:
        if (!bSubLevel)
            t.pIcon = pItem->pMenuIcon;
        break;
    }

    MENU_NAV_OBJECT object = {};
    bool bObject = false;
    if (pItem->control == M_ACTION_LIST || pItem->control == M_ACTION_LIST_SHRUNKEN) {
        const FOURCHARID key = pItem->parameters.actionList.FourCharId;
        if (key != 0) {
            OBJECT_KIND kind = OBJECT_NONE;
            for (const OBJECT_KEY& k : OBJECT_KEYS)
                if (k.key == key)
                    kind = k.kind;
            if (kind == OBJECT_NONE)
                vNotInMenuList();
            U32 u32Index = 0;
            if (H_DATABASE_bFetchU32(key, &u32Index, nullptr, nullptr)) {
                vCopy(kind, u32Index, &object);
                bObject = true;
                if (kind != OBJECT_ROUTE && object.pIcon != nullptr)
                    t.pIcon = object.pIcon;
                if (kind == OBJECT_WAYPOINT && object.s32IconNumber == POSITION_HOLD_ICON)
                    t.pcTitle = STAYVANE;
            }
        }
    } else if ((pItem->control == M_ACTION || pItem->control == M_ACTION_HOT) &&
               pItem->priority == MENU_CURRENT_ACTIVE_ROUTE) {
        S32 s32Route = -1;
        if (H_DATABASE_bFetchS32(KEY_CCRT, &s32Route, nullptr, nullptr) && s32Route >= 0) {
            vCopy(OBJECT_ROUTE, (U32)s32Route, &object);
            bObject = true;
        }
    }
    if (bObject && object.acName[0] != '\0')
        snprintf(t.acObject, sizeof t.acObject, " %s", object.acName);
    return t;
}

bool bIconsOnly(const MENU_ITEM* pItem)
{
    return pItem->control == M_SELECTION_BOX && pItem->parameters.selectionBox.pSelectionList == nullptr &&
           pItem->parameters.selectionBox.pSelectionIcons != nullptr;
}

// The end captions of a slider, progress bar or numeric entry: the caption
// when set, else the limit printed.
struct ENDS {
    const TEXT_TABLE* pLeft;
    const TEXT_TABLE* pRight;
    const char* pcMin;
    const char* pcMax;
    const TEXT_TABLE* pSuffix;
};

ENDS endsOf(const MENU_ITEM* pItem)
{
    const CONTROL_PARAMETERS& p = pItem->parameters;
    switch (pItem->control) {
    case M_PROGRESS_BAR:
        return {p.progressBar.pCtrlTextLeft, p.progressBar.pCtrlTextRight, p.progressBar.minString,
                p.progressBar.maxString, p.progressBar.valueStrSuffix};
    case M_NUMERIC_ENTRY:
        return {p.numericEntry.pCtrlTextLeft, p.numericEntry.pCtrlTextRight, p.numericEntry.minString,
                p.numericEntry.maxString, p.numericEntry.valueStrSuffix};
    default:
        return {p.slider.pCtrlTextLeft, p.slider.pCtrlTextRight, p.slider.minString, p.slider.maxString,
                p.slider.valueStrSuffix};
    }
}

// A limit string of the record, which need not end in a NUL.
S32 limitWidth(const char* pcLimit)
{
    char ac[13];
    memcpy(ac, pcLimit, 12);
    ac[12] = '\0';
    return textWidth(headerFont(), ac);
}

S32 widerCaption(const MENU_ITEM* pItem)
{
    const ENDS e = endsOf(pItem);
    const S32 left = e.pLeft != nullptr ? textWidth(headerFont(), pcTitle(e.pLeft)) : limitWidth(e.pcMin);
    const S32 right = e.pRight != nullptr ? textWidth(headerFont(), pcTitle(e.pRight)) : limitWidth(e.pcMax);
    return std::max(left, right) + 4;
}

const char* pcUnitName(const MENU_ITEM* pItem)
{
    if ((U32)pItem->units >= NUMBER_OF_UNIT_TYPES || pItem->units == U_MINUTES)
        return "";
    const char* pc = H_DATABASE_pcUnitsString(pItem->units, nCurrentLanguage());
    return pc != nullptr ? pc : "";
}

// The widest choice of a selection box, within 148 .. 750.
S32 selectorWidth(const MENU_ITEM* pItem)
{
    const M_SELECTION_BOX_PARAMETERS& box = pItem->parameters.selectionBox;
    S32 widest = 0;
    for (U32 i = 0; i < box.numberSelections; ++i) {
        if (box.pSelectionList != nullptr) {
            S32 w = textWidth(headerFont(), pcTitle(box.pSelectionList[i])) + 4;
            widest = std::max(widest, w + (w & 1));
        } else if (box.pSelectionIcons != nullptr) {
            widest = std::max(widest, (S32)G_ICON_u32GetWidth(box.pSelectionIcons[i]) + 2);
        }
    }
    return std::clamp(widest, MIN_SELECTOR, MAX_SELECTOR);
}

// The tallest choice icon of an icons-only selection box.
S32 tallestIcon(const MENU_ITEM* pItem)
{
    const M_SELECTION_BOX_PARAMETERS& box = pItem->parameters.selectionBox;
    S32 tallest = 0;
    for (U32 i = 0; i < box.numberSelections; ++i)
        tallest = std::max(tallest, (S32)G_ICON_u32GetHeight(box.pSelectionIcons[i]));
    return tallest;
}

S32 selectorHeight(const MENU_ITEM* pItem)
{
    return bIconsOnly(pItem) ? tallestIcon(pItem) + 2 : (S32)G_STRING_u32GetHeight(headerFont());
}

bool bShowsLeadingIcons(ACTIVE_MENU eMenu) { return !bIsSubMenuLevel(eMenu) && eMenu != QUICK_SETUP_MENU; }

S32 titleRowWidth(const MENU_ITEM* pItem)
{
    const ROW_TEXT t = rowText(pItem);
    S32 w = textWidth(rowFont(), t.pcTitle) + 10;
    switch (pItem->control) {
    case M_SLIDER:
    case M_SLIDER_VARIABLE_STEP:
    case M_SLIDER_IMMEDIATE:
    case M_PROGRESS_BAR:
        w += 22 + textWidth(rowFont(), pcUnitName(pItem)) + widerCaption(pItem) +
             textWidth(rowFont(), pcTitle(endsOf(pItem).pSuffix));
        break;
    case M_NUMERIC_ENTRY:
        w += 12 + textWidth(rowFont(), pcUnitName(pItem)) + widerCaption(pItem);
        break;
    default:
        if (t.acObject[0] != '\0')
            w += textWidth(rowFont(), t.acObject);
        else
            w += textWidth(rowFont(), pItem->value_string);
        break;
    }
    if (bShowsLeadingIcons(s_activeMenu) && t.pIcon != nullptr)
        w += (S32)G_ICON_u32GetWidth(t.pIcon) + 6;
    if (pItem->control == M_CHECK_LIST || pItem->control == M_CHECK_BOX)
        w += CHECK_BOX_IMAGE_WIDTH;
    return w;
}

S32 controlRowWidth(const MENU_ITEM* pItem)
{
    switch (pItem->control) {
    case M_SLIDER:
    case M_SLIDER_VARIABLE_STEP:
    case M_SLIDER_IMMEDIATE:
    case M_PROGRESS_BAR:
        return 160 + 2 * widerCaption(pItem);
    case M_NUMERIC_ENTRY:
        return (S32)T_MENU_u32FindNumericEntryBoxWidth(&pItem->parameters.numericEntry, pItem->dataFormat) +
               2 * (widerCaption(pItem) + 4) + 40;
    case M_SELECTION_BOX: {
        const S32 sel = selectorWidth(pItem);
        s_minSelectorWidth = (U32)std::max((S32)s_minSelectorWidth, sel);
        const S32 h = bIconsOnly(pItem) ? tallestIcon(pItem) : (S32)G_STRING_u32GetHeight(headerFont());
        return sel + 18 + 2 * ((std::max(h, 1) - 1) / 2);
    }
    case M_ANGLE_ADJUST: {
        const M_ANGLE_ADJUST_PARAMETERS& a = pItem->parameters.angleAdjust;
        return (S32)G_ICON_u32GetWidth(a.pChkIcon) + 10 + textWidth(headerFont(), pcTitle(a.pChkItemName));
    }
    default:
        return 0;
    }
}

// The digits of |x| left of the point, 0 counting as one; NaN and the
// infinities, which have no digits to show, count as one.
U32 u32DigitsOf(double x)
{
    x = std::fabs(x);
    if (!std::isfinite(x) || x < 1.0)
        return 1;
    return (U32)std::floor(std::log10(x)) + 1;
}

double dOf(DB_DATA_TYPE v, DATA_FORMAT format)
{
    switch (format) {
    case DF_FLOAT:
        return v.fVal;
    case DF_UNSIGNED32:
        return v.u32Val;
    default:
        return v.s32Val;
    }
}

void vValueAtRight(BITMAP* pBitmap, U32 u32Color, S32 x, S32 y, S32 width, S32 margin, const char* pc)
{
    vText(pBitmap, u32Color, rowFont(), x + width - margin - textWidth(rowFont(), pc), y, pc);
}

U32 u32TextColor(const MENU_ITEM* pItem)
{
    if (s_activeMenu == QUICK_SETUP_MENU)
        return C_QUICK;
    if (pItem->priority >= FIRST_SOURCE_PRIORITY && pItem->priority <= LAST_SOURCE_PRIORITY) {
        U32 u32Context = 0;
        memcpy(&u32Context, &pItem->parameters, sizeof u32Context);
        BOOLEAN (*pfn)(U32) = s_drawNeighbours.pfnIsSourceAvailable != nullptr ? s_drawNeighbours.pfnIsSourceAvailable
                                                                                : bStandInSourceAvailable;
        if (!pfn(u32Context))
            return C_SOURCE_MISSING;
    }
    return C_ROW_TEXT;
}

// What every row shows above and right of its control: the title (behind
// its icon), the object's name and the value string or its stand-in
// pictures. Returns the x the title starts at.
void vRowContents(BITMAP* pBitmap, MENU_ITEM* pItem, S32 x, S32 y, bool bHighlighted)
{
    const S32 width = (S32)s_minMenuWidth;
    const ROW_TEXT t = rowText(pItem);
    const U32 u32Color = u32TextColor(pItem);
    S32 tx = x + 6;
    if (t.pIcon != nullptr) {
        vIcon(pBitmap, t.pIcon, x + 6, y + (ROW_HEIGHT - (S32)G_ICON_u32GetHeight(t.pIcon)) / 2);
        tx += (S32)G_ICON_u32GetWidth(t.pIcon) + 6;
    }
    const bool bAngle = bHighlighted && pItem->control == M_ANGLE_ADJUST;
    if (bAngle) {
        vIcon(pBitmap, &Radar_hdg_left_icon, tx, y + 32);
        tx += (S32)G_ICON_u32GetWidth(&Radar_hdg_left_icon) + 4;
    }
    POINT at = {tx, y + 32};
    G_STRING_vPut(pBitmap, colorAt(u32Color), &at, rowFont(), reinterpret_cast<const BYTE*>(t.pcTitle));
    G_STRING_vPut(pBitmap, colorAt(u32Color), &at, rowFont(), reinterpret_cast<const BYTE*>(t.acObject));
    if (bAngle)
        vIcon(pBitmap, &Radar_hdg_right_icon, at.x + 4, y + 32);

    const S32 margin = s_activeMenu == MAIN_MENU ? 2 : 4;
    // The highlighted row's control takes its lower half, so its value
    // moves up beside the title.
    const S32 valueY = bHighlighted ? y + 32 : y + 5;
    switch (pItem->control) {
    case M_SELECTION_BOX:
        if (bIconsOnly(pItem)) {
            const M_SELECTION_BOX_PARAMETERS& box = pItem->parameters.selectionBox;
            if (!bHighlighted && box.CurSelection < box.numberSelections) {
                const ICON* pIcon = box.pSelectionIcons[box.CurSelection];
                vIcon(pBitmap, pIcon, x + width - margin - (S32)G_ICON_u32GetWidth(pIcon),
                      y + (ROW_HEIGHT - (S32)G_ICON_u32GetHeight(pIcon)) / 2);
            }
            break;
        }
        vValueAtRight(pBitmap, u32Color, x, valueY, width, margin, pItem->value_string);
        break;
    case M_SUB_MENU:
    case M_SUB_MENU_HOT:
        if (bIsSubMenuLevel(s_activeMenu) && pItem->pMenuIcon != nullptr)
            vIcon(pBitmap, pItem->pMenuIcon, x + width - 10 - (S32)G_ICON_u32GetWidth(pItem->pMenuIcon),
                  y + (ROW_HEIGHT - (S32)G_ICON_u32GetHeight(pItem->pMenuIcon)) / 2);
        break;
    case M_CHECK_LIST:
    case M_CHECK_BOX:
        if (!bHighlighted) {
            const bool bSet = pItem->parameters.checkList.getCheck != nullptr &&
                              pItem->parameters.checkList.getCheck(pItem->parameters.checkList.context);
            const S32 iy = y + (ROW_HEIGHT - (S32)G_ICON_u32GetHeight(&unselected_radio_button)) / 2;
            if (!bSet || pItem->control == M_CHECK_LIST)
                vIcon(pBitmap, &unselected_radio_button, x + width - 35, iy);
            if (bSet && pItem->control == M_CHECK_LIST)
                vIcon(pBitmap, &selected_radio_button, x + width - 35, iy);
        }
        break;
    case M_ANGLE_ADJUST:
        break;
    default:
        vValueAtRight(pBitmap, u32Color, x, valueY, width, margin, pItem->value_string);
        break;
    }
}

void vRowFrame(BITMAP* pBitmap, S32 x, S32 y, U32 u32Fill, U32 u32Outline, U32 u32Line)
{
    const S32 width = (S32)s_minMenuWidth;
    vBox(pBitmap, u32Fill, x, y, width, ROW_HEIGHT, 2, true);
    vBox(pBitmap, u32Outline, x, y, width, ROW_HEIGHT, 2, false);
    vLine(pBitmap, u32Line, x + 2, y + 1, x + width - 3, y + 1);
    vLine(pBitmap, C_FRAME, x + 2, y + 53, x + width - 3, y + 53);
}

// The arrow of the scroll tabs: eight lines from 30 pixels wide, two
// narrower each side per line.
void vTabArrow(BITMAP* pBitmap, S32 x, S32 y, bool bUp)
{
    for (S32 k = 0; k < 8; ++k) {
        const S32 yk = bUp ? y + k : y - k;
        vLine(pBitmap, C_UPPER_LINE, x + 2 * k, yk, x + 29 - 2 * k, yk);
    }
}

} // namespace

namespace t_menu {

void vDrawRow(BITMAP* pBitmap, MENU_ITEM* pItem, S32 x, S32 y, bool bHighlighted)
{
    if (bHighlighted) {
        s_activeItemAnchor = {x, y};
        return;
    }
    const bool bQuick = s_activeMenu == QUICK_SETUP_MENU;
    vRowFrame(pBitmap, x, y, C_ROW, bQuick ? C_QUICK : C_INNER, C_UPPER_LINE);
    vRowContents(pBitmap, pItem, x, y, false);
}

void vDrawNoMenusRow(BITMAP* pBitmap, S32 x, S32 y)
{
    vRowFrame(pBitmap, x, y, C_ROW, C_INNER, C_UPPER_LINE);
    vText(pBitmap, C_HEADER_TEXT, rowFont(), x + 6, y + 32, NO_MENUS);
}

void vDrawRows(BITMAP* pBitmap, S32 first, S32 last, S32 x, S32 yTop)
{
    MENU_ITEM* pHighlighted = nullptr;
    for (S32 i = first; i <= last && i < s_numActiveMenuItems; ++i) {
        if (i < 0)
            continue;
        MENU_ITEM* pItem = s_activeMenuList[i];
        const bool bHighlighted = pItem == pHighlightedItem() && i == s_activeMenuItemIndex;
        vDrawRow(pBitmap, pItem, x, yTop - ROW_HEIGHT - (i - first) * ROW_PITCH, bHighlighted);
        if (bHighlighted)
            pHighlighted = pItem;
    }
    if (pHighlighted != nullptr)
        T_MENU_vDrawMenuActiveItem(pBitmap, pHighlighted);
}

} // namespace t_menu

// ---- Public calls ----

void T_MENU_vInstallDrawNeighbours(const T_MENU_DRAW_NEIGHBOURS* pNeighbours)
{
    s_drawNeighbours = pNeighbours != nullptr ? *pNeighbours : T_MENU_DRAW_NEIGHBOURS{};
}

U32 T_MENU_u32FindNumericEntryBoxWidth(const M_NUMERIC_ENTRY_PARAMETERS* pParameters, DATA_FORMAT dataFormat)
{
    U32 u32Digits = std::max(u32DigitsOf(dOf(pParameters->maxValue, dataFormat)),
                             u32DigitsOf(dOf(pParameters->minValue, dataFormat)));
    if (dataFormat == DF_FLOAT)
        u32Digits += pParameters->u8precision;
    else if (dataFormat != DF_UNSIGNED32)
        u32Digits += 1;
    return u32Digits * G_STRING_u32GetWidth(headerFont(), reinterpret_cast<const BYTE*>("0")) + 6;
}

U32 T_MENU_u32FindMinMenuWidths(S32 numMenuItems)
{
    const S32 count = std::clamp<S32>(numMenuItems, 0, std::min<S32>(MAX_ACTIVE_MENU_ITEMS, s_numActiveMenuItems));
    S32 widest = 0;
    s_minSelectorWidth = 0;
    for (S32 i = 0; i < count; ++i) {
        MENU_ITEM* pItem = s_activeMenuList[i];
        T_MENU_vUpdateDisplayStrings(pItem, FALSE);
        widest = std::max({widest, titleRowWidth(pItem), controlRowWidth(pItem)});
    }
    if (s_minSelectorWidth == 0)
        s_minSelectorWidth = MIN_SELECTOR;
    if (count == 0)
        widest = textWidth(rowFont(), NO_MENUS) + 12;
    if (widest + 2 > FRAME_WIDTH)
        widest = (S32)WIDEST_MENU;
    s_minMenuWidth = (U32)widest;
    return s_minMenuWidth;
}

void T_MENU_vDrawMoreDownTab(BITMAP* pBitmap, POINT anchor, U32 u32Width, BOOLEAN bUp, BOOLEAN bDown,
                             BOOLEAN bHotMenu, BOOLEAN bNetworkSetup)
{
    S32 x = anchor.x + (S32)u32Width - 75;
    S32 y = bHotMenu ? anchor.y - 18 : anchor.y - 450;
    if (bNetworkSetup) {
        x = anchor.x;
        y = anchor.y;
    }
    vBox(pBitmap, C_FRAME, x, y, 77, 19, 3, true);
    vBox(pBitmap, C_INNER, x + 1, y - 1, 75, 21, 0, true);
    vBox(pBitmap, C_ROW, x + 3, y + 1, 71, 17, 0, true);
    if (bUp)
        vTabArrow(pBitmap, x + 4, y + 5, true);
    if (bDown)
        vTabArrow(pBitmap, x + 40, y + 13, false);
}

void T_MENU_vDrawMenuActiveItem(BITMAP* pBitmap, MENU_ITEM* pItem)
{
    if (pItem == nullptr)
        return;
    const S32 x = s_activeItemAnchor.x;
    const S32 y = s_activeItemAnchor.y;
    const S32 width = (S32)s_minMenuWidth;
    vRowFrame(pBitmap, x, y, C_FRAME, s_activeMenu == QUICK_SETUP_MENU ? C_QUICK : C_INNER, C_ROW);
    vRowContents(pBitmap, pItem, x, y, true);

    const POINT anchor = {x, y};
    const CONTROL_PARAMETERS& p = pItem->parameters;
    switch (pItem->control) {
    case M_SLIDER:
    case M_SLIDER_IMMEDIATE:
        U_MENU_vDrawControlSlider(pBitmap, POINT{x + 4 + (width - SLIDER_WIDTH) / 2, y + 2}, pItem->unitsValue,
                                  &p.slider, pItem->dataFormat, SLIDER_WIDTH, CONTROL_HEIGHT);
        break;
    case M_SLIDER_VARIABLE_STEP:
        U_MENU_vDrawControlSlider(pBitmap, POINT{x + (width - SLIDER_WIDTH) / 2, y + 2}, pItem->unitsValue,
                                  &p.slider, pItem->dataFormat, SLIDER_WIDTH, CONTROL_HEIGHT);
        break;
    case M_PROGRESS_BAR:
        U_MENU_vDrawControlProgressBar(pBitmap, POINT{x + (width - SLIDER_WIDTH) / 2, y + 2}, pItem->unitsValue,
                                       &p.progressBar, pItem->dataFormat, SLIDER_WIDTH, CONTROL_HEIGHT);
        break;
    case M_NUMERIC_ENTRY: {
        const S32 box = (S32)T_MENU_u32FindNumericEntryBoxWidth(&p.numericEntry, pItem->dataFormat);
        U_MENU_vDrawControlNumericEntry(pBitmap, POINT{x + (width - box) / 2, y + 2}, pItem->unitsValue,
                                        &p.numericEntry, pItem->dataFormat, (U32)box, CONTROL_HEIGHT);
        break;
    }
    case M_SELECTION_BOX: {
        const S32 sel = (S32)s_minSelectorWidth;
        const S32 h = selectorHeight(pItem);
        U_MENU_vDrawControlSelectionBox(pBitmap, POINT{x + (width - sel) / 2, y + 14 - h / 2},
                                        p.selectionBox.CurSelection, &p.selectionBox, (U32)sel, (U32)h,
                                        colorAt(C_ROW));
        break;
    }
    case M_ACTION:
    case M_ACTION_EXT:
    case M_ACTION_HOT:
        U_MENU_vDrawControlAction(pBitmap, anchor, 0, (U32)width, CONTROL_ROW_HEIGHT);
        break;
    case M_SUB_MENU:
        if (!(bIsSubMenuLevel(s_activeMenu) && pItem->pMenuIcon != nullptr))
            U_MENU_vDrawControlSubMenu(pBitmap, anchor, pItem->value.u32Val, &p.subMenu, (U32)width,
                                       CONTROL_ROW_HEIGHT);
        break;
    case M_SUB_MENU_HOT:
        if (!(bIsSubMenuLevel(s_activeMenu) && pItem->pMenuIcon != nullptr))
            U_MENU_vDrawControlSubMenuWithNoArrow(pBitmap, anchor, pItem->value.u32Val, &p.subMenu, (U32)width,
                                                  CONTROL_ROW_HEIGHT);
        break;
    case M_ACTION_LIST:
    case M_ACTION_LIST_SHRUNKEN:
        U_MENU_vDrawControlActionList(pBitmap, anchor, pItem->value.u32Val, &p.actionList, (U32)width,
                                      CONTROL_ROW_HEIGHT);
        break;
    case M_CHECK_LIST:
    case M_CHECK_BOX: {
        const U32 u32Checked = pItem->unitsValue.u32Val;
        if (u32Checked == 0)
            vIcon(pBitmap, &unselected_radio_button, x + width - 35,
                  y + (ROW_HEIGHT - (S32)G_ICON_u32GetHeight(&unselected_radio_button)) / 2);
        else if (pItem->control == M_CHECK_LIST)
            U_MENU_vDrawControlCheckList(pBitmap, anchor, u32Checked, (U32)width, CONTROL_ROW_HEIGHT);
        else
            U_MENU_vDrawControlCheckBox(pBitmap, anchor, u32Checked, (U32)width, CONTROL_ROW_HEIGHT);
        break;
    }
    case M_ANGLE_ADJUST: {
        const M_ANGLE_ADJUST_PARAMETERS& a = p.angleAdjust;
        vIcon(pBitmap, a.pChkIcon, x + 6, y + 6);
        vText(pBitmap, C_HEADER_TEXT, headerFont(), x + 6 + (S32)G_ICON_u32GetWidth(a.pChkIcon) + 4, y + 6,
              pcTitle(a.pChkItemName));
        break;
    }
    default:
        break;
    }
}
