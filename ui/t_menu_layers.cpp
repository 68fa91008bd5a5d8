// The draw functions of the five menu layers (see ui/t_menu.h): where each
// menu's frame, header, tab bar and rows go. The rows themselves are in
// t_menu_rows.cpp.
#include "graphics/g_string.h"
#include "kernel/l_mutex.h"
#include "ui/menu_icons.h"
#include "ui/t_menu_draw.h"
#include "ui/u_dialog.h"
#include "ui/u_menu.h"

#include <algorithm>
#include <cstdio>

using namespace t_menu;

namespace {

constexpr const char* QUICK_TITLE = "Quick Setup";
constexpr const char* QUICK_MESSAGE = "Choose settings and EXIT to continue";
constexpr S32 TAB_ADVANCE = 44;
constexpr S32 LONGEST_BAR = 790;
constexpr LAYER_ID FIRST_ENGINE_VIEW = 67;
constexpr LAYER_ID LAST_ENGINE_VIEW = 70;

class MenuLock {
public:
    MenuLock() { L_MUTEX_LockWait(RES_MENU); }
    ~MenuLock() { L_MUTEX_Unlock(RES_MENU); }
    MenuLock(const MenuLock&) = delete;
    MenuLock& operator=(const MenuLock&) = delete;
};

S32 headerHeight(void) { return (S32)G_STRING_u32GetHeight(headerFont()); }

bool bOutsideWindow(S32 top, S32 bottom, bool* pbUp, bool* pbDown)
{
    *pbUp = top > 0;
    *pbDown = bottom < s_numActiveMenuItems - 1;
    return *pbUp || *pbDown;
}

// ---- Hot menu ----

void vHotList(BITMAP* pBitmap)
{
    const S32 count = s_numActiveMenuItems;
    if (s_activeMenuItemIndex == 0) {
        s_TopMenuItem = 0;
        s_BottomMenuItem = MAX_HOT_ROWS - 1;
    } else if (s_activeMenuItemIndex > s_BottomMenuItem) {
        s_BottomMenuItem = s_activeMenuItemIndex;
        s_TopMenuItem = count > MAX_HOT_ROWS ? std::max(s_activeMenuItemIndex - (MAX_HOT_ROWS - 1), 0) : 0;
    }
    // A window that never was set up (or outlived a shorter list) still
    // shows at most nine rows of the list.
    s_TopMenuItem = std::clamp(s_TopMenuItem, 0, std::max(count - 1, 0));
    s_BottomMenuItem = std::clamp(s_BottomMenuItem, s_TopMenuItem,
                                  std::min(s_TopMenuItem + MAX_HOT_ROWS - 1, std::max(count - 1, 0)));
    const S32 width = (S32)T_MENU_u32FindMinMenuWidths(count);
    const S32 rows = std::clamp(count, 1, MAX_HOT_ROWS);
    const S32 x = (FRAME_WIDTH - width) / 2 - 1;
    const S32 y = 596 - rows * ROW_PITCH - 2;
    vBox(pBitmap, C_FRAME, x, y, width + 4, rows * ROW_PITCH + 5, 3, true);
    vBox(pBitmap, C_INNER, x + 1, y + 1, width + 2, rows * ROW_PITCH + 3, 3, true);
    bool bUp = false;
    bool bDown = false;
    if (count > 0 && bOutsideWindow(s_TopMenuItem, s_BottomMenuItem, &bUp, &bDown))
        T_MENU_vDrawMoreDownTab(pBitmap, POINT{x, y}, (U32)width + 4, bUp, bDown, TRUE, FALSE);
    const S32 top = y + 3 + rows * ROW_PITCH;
    if (count == 0)
        vDrawNoMenusRow(pBitmap, x + 2, top - ROW_HEIGHT);
    else
        vDrawRows(pBitmap, s_TopMenuItem, s_BottomMenuItem, x + 2, top);
}

// A tab on the row's edge holding an arrow: above the row (bUp) or below.
void vRowTab(BITMAP* pBitmap, S32 x, S32 y, bool bUp)
{
    vBox(pBitmap, C_FRAME, x, y, 43, 23, 3, true);
    vBox(pBitmap, C_INNER, x + 1, y + 1, 41, 21, 0, true);
    vBox(pBitmap, C_ROW, x + 3, y + 3, 37, 17, 0, true);
    for (S32 k = 0; k < 8; ++k) {
        const S32 yk = bUp ? y + 8 + k : y + 15 - k;
        vLine(pBitmap, C_UPPER_LINE, x + 6 + 2 * k, yk, x + 35 - 2 * k, yk);
    }
}

void vHotRowOnly(BITMAP* pBitmap)
{
    MENU_ITEM* pItem = pHighlightedItem();
    if (pItem == nullptr)
        return;
    T_MENU_vUpdateDisplayStrings(pItem, FALSE);
    const S32 width = (S32)s_minMenuWidth;
    const S32 ax = s_activeItemAnchor.x;
    const S32 ay = s_activeItemAnchor.y;
    vBox(pBitmap, C_FRAME, ax - 2, ay - 2, width + 4, 59, 3, true);
    if (s_activeMenuItemIndex > 0)
        vRowTab(pBitmap, ax + width - 41, ay + 50, true);
    if (s_activeMenuItemIndex < s_numActiveMenuItems - 1)
        vRowTab(pBitmap, ax + width - 41, ay - 18, false);
    vBox(pBitmap, C_INNER, ax - 1, ay - 1, width + 2, 57, 0, false);
    T_MENU_vDrawMenuActiveItem(pBitmap, pItem);
}

// ---- Main menu ----

struct TAB_BAR {
    S32 active[NUM_TAB_PRIORITIES];
    S32 n;
    S32 selected; // index into active, -1: none
    S32 sel;      // the selected tab's width
    S32 advance;  // w
    S32 length;
};

S32 tabIconWidth(S32 slot) { return (S32)G_ICON_u32GetWidth(s_mainMenuTabs[slot].pTabIcon); }

TAB_BAR tabBar(void)
{
    TAB_BAR bar = {};
    bar.selected = -1;
    for (S32 i = 0; i <= s_lastTabIndex && i < NUM_TAB_PRIORITIES; ++i)
        if (s_mainMenuTabs[i].bTabActive) {
            if (i == s_activeTab)
                bar.selected = bar.n;
            bar.active[bar.n++] = i;
        }
    bar.advance = TAB_ADVANCE;
    if (bar.n == 0)
        return bar;
    if (bar.selected < 0)
        bar.selected = 0;
    const S32 slot = bar.active[bar.selected];
    bar.sel = tabIconWidth(slot) + textWidth(headerFont(), pcTitle(s_mainMenuTabs[slot].pTabTitle)) + 16;
    bar.length = TAB_ADVANCE * (bar.n - 1) + bar.sel + 4;
    if (bar.length > LONGEST_BAR && bar.n > 1) {
        bar.advance = std::max<S32>((LONGEST_BAR - 4 - bar.sel) / (bar.n - 1), 0);
        bar.sel = LONGEST_BAR - 4 - (bar.n - 1) * bar.advance;
        bar.length = LONGEST_BAR;
    }
    return bar;
}

void vPlainTab(BITMAP* pBitmap, S32 slot, S32 x, S32 y, S32 h, S32 lineEnd)
{
    vBox(pBitmap, C_ROW, x, y, TAB_ADVANCE, h + 6, 3, true);
    vBox(pBitmap, C_UPPER_LINE, x, y, TAB_ADVANCE, h + 6, 3, false);
    const ICON* pIcon = s_mainMenuTabs[slot].pTabIcon;
    vIcon(pBitmap, pIcon, x + (TAB_ADVANCE - (S32)G_ICON_u32GetWidth(pIcon)) / 2,
          y + (h + 6 - (S32)G_ICON_u32GetHeight(pIcon)) / 2);
    vLine(pBitmap, C_INNER, x, y + 3, lineEnd, y + 3);
}

// Returns the bar's length.
S32 vDrawTabBar(BITMAP* pBitmap)
{
    const TAB_BAR bar = tabBar();
    if (bar.n == 0)
        return 0;
    const S32 h = headerHeight();
    const S32 y = 590 - h;
    vBox(pBitmap, C_FRAME, 0, 591 - h, bar.length + 6, h + 10, 3, true);
    S32 x = 3;
    for (S32 i = 0; i < bar.selected; ++i) {
        vPlainTab(pBitmap, bar.active[i], x, y, h, x + bar.advance);
        x += bar.advance;
    }
    if (bar.advance != TAB_ADVANCE && bar.selected > 0)
        x += 1;
    const S32 selectedX = x;
    x = bar.length - 41;
    for (S32 i = bar.n - 1; i > bar.selected; --i) {
        vPlainTab(pBitmap, bar.active[i], x, y, h, bar.length);
        x -= bar.advance;
    }
    const S32 slot = bar.active[bar.selected];
    vBox(pBitmap, C_INNER, selectedX, y, bar.sel + 4, h + 8, 3, true);
    vBox(pBitmap, C_FRAME, selectedX + 2, y - 2, bar.sel, h + 8, 3, true);
    const ICON* pIcon = s_mainMenuTabs[slot].pTabIcon;
    const char* pcName = pcTitle(s_mainMenuTabs[slot].pTabTitle);
    const S32 iconW = (S32)G_ICON_u32GetWidth(pIcon);
    const S32 contentX = selectedX + 2 + (bar.sel - iconW - textWidth(headerFont(), pcName) - 4) / 2;
    vIcon(pBitmap, pIcon, contentX, y - 2 + (h + 8 - (S32)G_ICON_u32GetHeight(pIcon)) / 2);
    vText(pBitmap, C_HEADER_TEXT, headerFont(), contentX + iconW + 4, y + 2, pcName);
    return bar.length;
}

// ---- Sub, info, floating and single-centred menus ----

const char* pcSubMenuHeader(void)
{
    switch (s_activeMenu) {
    case INFO_MENU:
        return s_activeInfoMenu >= 0 && s_activeInfoMenu < NUM_INFO_MENUS
                   ? pcTitle(s_infoMenus[s_activeInfoMenu].pInfoMenuName)
                   : "";
    case FLOATING_MENU:
        if (s_activeFloatingMenu < 0 || s_activeFloatingMenu >= NUM_FLOATING_MENUS)
            return "";
        return s_floatingMenus[s_activeFloatingMenu].bDisplayAltName
                   ? s_floatingMenus[s_activeFloatingMenu].aStrAltName
                   : pcTitle(s_floatingMenus[s_activeFloatingMenu].pFloatingMenuName);
    case SINGLE_CENTERED_MENU:
        return s_activeSingleCenteredMenu >= 0 && s_activeSingleCenteredMenu < NUM_SINGLE_CENTERED_MENUS
                   ? pcTitle(s_singleCenteredMenus[s_activeSingleCenteredMenu].pSingleCenteredMenuName)
                   : "";
    default: {
        if (s_menuLevel < 0 || s_menuLevel > MAX_SUB_MENU_LEVELS)
            return "";
        const S32 slot = s_activeSubMenu[s_menuLevel];
        return slot >= 0 && slot < NUM_SUB_MENUS ? pcTitle(s_subMenus[slot].pSubMenuName) : "";
    }
    }
}

bool bDrawsSubMenuLayer(ACTIVE_MENU eMenu)
{
    return bIsSubMenuLevel(eMenu) || eMenu == INFO_MENU || eMenu == FLOATING_MENU || eMenu == SINGLE_CENTERED_MENU;
}

void vSubMenu(BITMAP* pBitmap)
{
    const S32 count = s_numActiveMenuItems;
    const char* pcHeader = pcSubMenuHeader();
    S32 width = (S32)T_MENU_u32FindMinMenuWidths(count);
    width = std::max(width, textWidth(headerFont(), pcHeader) + 4);
    if (width + 2 > FRAME_WIDTH)
        width = (S32)WIDEST_MENU;
    s_minMenuWidth = (U32)width;

    S32 x = 0;
    if (s_activeMenu == EXPRESS_SUB_MENU)
        x = 402 - width / 2;
    else if (s_activeMenu == SINGLE_CENTERED_MENU)
        x = (FRAME_WIDTH - width) / 2;

    const S32 h = headerHeight();
    S32 top = 596;
    if (s_activeMenu != SINGLE_CENTERED_MENU) {
        vBox(pBitmap, C_FRAME, x - 1, 587 - h, width + 4, h + 12, 3, true);
        vBox(pBitmap, C_INNER, x, 588 - h, width + 2, h + 10, 3, true);
        vBox(pBitmap, C_ROW, x + 2, 590 - h, width - 2, h + 6, 3, true);
        vText(pBitmap, C_HEADER_TEXT, headerFont(), x + 2 + (width - 2 - textWidth(headerFont(), pcHeader)) / 2,
              592 - h + (h + 6 - h) / 2, pcHeader);
        top = 590 - h;
    }

    const LAYER_ID view = currentView();
    MENU_ITEM* pHighlighted = pHighlightedItem();
    if (view >= FIRST_ENGINE_VIEW && view <= LAST_ENGINE_VIEW && pHighlighted != nullptr &&
        pHighlighted->pMenuIcon != nullptr)
        vIcon(pBitmap, pHighlighted->pMenuIcon, x + width + 8,
              598 - (S32)G_ICON_u32GetHeight(pHighlighted->pMenuIcon) + 1);

    S32 first = s_TopSubMenuItem;
    S32 last = s_BottomMenuItem;
    switch (s_activeMenu) {
    case INFO_MENU:
        first = s_TopInfoMenuItem;
        last = s_BottomInfoMenuItem;
        break;
    case FLOATING_MENU:
        first = s_TopFloatingMenuItem;
        break;
    case SINGLE_CENTERED_MENU:
        first = s_TopSingleCenteredMenuItem;
        break;
    default:
        if (s_menuLevel >= 0 && s_menuLevel <= MAX_SUB_MENU_LEVELS)
            MenuItemRange[s_menuLevel] = {s_BottomMenuItem, s_TopSubMenuItem, s_activeMenuItemIndex};
        break;
    }
    last = std::min(last, count - 1);
    first = std::max(first, 0);
    const S32 rows = count == 0 ? 1 : std::max(last - first + 1, 1);

    vBox(pBitmap, C_FRAME, x - 3, top - 2 - rows * ROW_PITCH, width + 4, rows * ROW_PITCH + 2, 3, true);
    vBox(pBitmap, C_INNER, x - 2, top - 1 - rows * ROW_PITCH, width + 2, rows * ROW_PITCH + 2, 3, true);
    if (count == 0) {
        vDrawNoMenusRow(pBitmap, x, top - ROW_HEIGHT);
        return;
    }
    bool bUp = false;
    bool bDown = false;
    if (bOutsideWindow(first, last, &bUp, &bDown))
        T_MENU_vDrawMoreDownTab(pBitmap, POINT{x, top}, (U32)width, bUp, bDown, FALSE, FALSE);
    vDrawRows(pBitmap, first, last, x, top);
}

// ---- Quick setup ----

void vQuickMessage(BITMAP* pBitmap, S32 frameTop)
{
    LINEOFTEXT lines[U_DIALOG_MAX_LINES];
    const U16 n = std::min<U16>(U_DIALOG_u16ExtractTextIntoLines(QUICK_MESSAGE, lines, rowFont(), 776), 2);
    if (n == 0)
        return;
    S32 widest = 0;
    for (U16 i = 0; i < n; ++i)
        widest = std::max(widest, (S32)lines[i].u16WidthOfLine + 1);
    const S32 extra = n == 2 ? 20 : 0;
    const S32 boxW = widest + 4 + extra;
    const S32 boxH = 17 * n + 7 * (n + 1);
    const S32 x = (FRAME_WIDTH - (widest + extra)) / 2 - 2;
    vBox(pBitmap, C_QUICK_MESSAGE, x, frameTop, boxW, boxH, 3, true);
    vBox(pBitmap, C_QUICK, x, frameTop, boxW, boxH, 3, false);
    for (U16 i = 0; i < n; ++i) {
        char ac[128];
        const U32 len = std::min<U32>(lines[i].u8NumberOfCharsInLine, sizeof ac - 1);
        std::copy(lines[i].pcStartOfText, lines[i].pcStartOfText + len, ac);
        ac[len] = '\0';
        vText(pBitmap, C_QUICK, rowFont(), (FRAME_WIDTH - textWidth(rowFont(), ac)) / 2,
              frameTop + boxH - 24 * (i + 1), ac);
    }
}

void vQuickMenu(BITMAP* pBitmap)
{
    const S32 count = s_numActiveMenuItems;
    const S32 width = std::max(textWidth(rowFont(), QUICK_TITLE), (S32)T_MENU_u32FindMinMenuWidths(count));
    s_minMenuWidth = (U32)width;
    const S32 rows = std::min(count, MAX_QUICK_ROWS);
    const S32 height = rows * ROW_HEIGHT + 34;
    const S32 x = (FRAME_WIDTH - width) / 2 - 1;
    const S32 y = (705 - height) / 2;
    vBox(pBitmap, C_ROW, x, y, width + 4, height + 2, 3, true);
    vBox(pBitmap, C_QUICK, x + 1, y + 1, width + 2, height, 3, false);
    const S32 outlineTop = y + height;
    vText(pBitmap, C_QUICK, rowFont(), x + 2 + (width - textWidth(rowFont(), QUICK_TITLE)) / 2, outlineTop - 24,
          QUICK_TITLE);
    vQuickMessage(pBitmap, y + height + 2);

    if (count == 0)
        return;
    if (s_activeMenuItemIndex > s_BottomMenuItem) {
        s_BottomMenuItem = s_activeMenuItemIndex;
        s_TopMenuItem = count > MAX_QUICK_ROWS ? std::max(s_activeMenuItemIndex - (MAX_QUICK_ROWS - 1), 0) : 0;
    }
    s_TopMenuItem = std::max(s_TopMenuItem, 0);
    const S32 last = std::min(s_TopMenuItem + rows - 1, count - 1);
    bool bUp = false;
    bool bDown = false;
    if (bOutsideWindow(s_TopMenuItem, last, &bUp, &bDown))
        T_MENU_vDrawMoreDownTab(pBitmap, POINT{x, y}, (U32)width + 4, bUp, bDown, TRUE, FALSE);
    vDrawRows(pBitmap, s_TopMenuItem, last, x + 2, outlineTop - 33);
}

// ---- Confirmation ----

void vConfirm(BITMAP* pBitmap)
{
    MENU_ITEM* pItem = pHighlightedItem();
    if (pItem == nullptr)
        return;
    const FONT_DEF* pFont = rowFont();
    const S32 h = (S32)pFont->u32Height;
    const S32 descender = (S32)pFont->u32Descender;
    const S32 arrow = h - descender - 1;
    char acItem[160];
    const bool bList = pItem->control == M_ACTION_LIST || pItem->control == M_ACTION_LIST_SHRUNKEN;
    const M_ACTION_LIST_PARAMETERS& list = pItem->parameters.actionList;
    if (bList && list.pActionListChoices != nullptr && pItem->value.u32Val < list.numberChoices)
        snprintf(acItem, sizeof acItem, "%s %s", pcTitle(list.pActionListChoices[pItem->value.u32Val]),
                 pcTitle(pItem->pMenuTitle));
    else
        snprintf(acItem, sizeof acItem, "%s", pcTitle(pItem->pMenuTitle));

    const S32 iconW = (S32)G_ICON_u32GetWidth(&confirm_icon);
    S32 width = std::max({textWidth(pFont, "Yes") + textWidth(pFont, "No") + 2 * arrow + 16,
                          textWidth(pFont, "Confirm:") + 2 * iconW + 28, textWidth(pFont, acItem) + 16});
    const S32 rowX = s_activeItemAnchor.x;
    const S32 rowY = s_activeItemAnchor.y;
    S32 x = rowX + (S32)s_minMenuWidth / 2 - (width + 2) / 2;
    if (width >= (S32)WIDEST_MENU) {
        width = FRAME_WIDTH - 2;
        x = -1;
    }
    const S32 frameH = (S32)pBitmap->pixels_high;
    S32 y = rowY - 27;
    if (rowY >= frameH - 106)
        y = frameH - 107;
    else if (rowY <= 26)
        y = 0;

    vBox(pBitmap, C_FRAME, x, y, width + 2, 108, 3, true);
    vBox(pBitmap, C_INNER, x + 1, y + 1, width, 106, 0, true);
    vBox(pBitmap, C_CONFIRM, x + 3, y + 3, width - 4, 102, 2, true);

    const S32 confirmW = textWidth(pFont, "Confirm:");
    const S32 cx = x + 1 + (width - confirmW) / 2;
    const S32 baseline = y + 110 - h;
    vText(pBitmap, C_HEADER_TEXT, pFont, cx, baseline, "Confirm:");
    vIcon(pBitmap, &confirm_icon, cx - 10 - iconW, baseline - 1);
    vLine(pBitmap, C_HEADER_TEXT, x + 1, baseline - descender - 1, x + width - 1, baseline - descender - 1);
    vText(pBitmap, C_HEADER_TEXT, pFont, x + 1 + (width - textWidth(pFont, acItem)) / 2, y + 106 - 2 * h, acItem);
    const S32 leftArrowX = x + 9 + arrow / 2;
    U_MENU_vDrawArrowLeft(pBitmap, POINT{leftArrowX, y + 9}, (U32)std::max(arrow, 1), colorAt(C_HEADER_TEXT));
    vText(pBitmap, C_HEADER_TEXT, pFont, leftArrowX + 7, y + 10, "No");
    const S32 rightArrowX = x + width - 8 - arrow / 2;
    U_MENU_vDrawArrowRight(pBitmap, POINT{rightArrowX, y + 9}, (U32)std::max(arrow, 1), colorAt(C_HEADER_TEXT));
    vText(pBitmap, C_HEADER_TEXT, pFont, rightArrowX - 5 - textWidth(pFont, "Yes"), y + 10, "Yes");
}

} // namespace

void T_MENU_vDrawHotMenuLayer(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    MenuLock lock;
    if (s_bMenuHidden || s_activeMenu != EXPRESS_MENU || s_activeHotMenu < 0 || s_activeHotMenu >= NUM_HOT_MENUS)
        return;
    if (s_hotMenus[s_activeHotMenu].numMenuItems == 0) {
        T_MENU_vDoRemoveMenus(FALSE);
        return;
    }
    if (s_bShowMenuList)
        vHotList(pBitmap);
    else
        vHotRowOnly(pBitmap);
}

void T_MENU_vDrawMainMenuLayer(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    MenuLock lock;
    if (s_activeMenu == MAIN_MENU && s_bActivatingMainMenu) {
        T_MENU_vUpdateActiveMenuList();
        s_bActivatingMainMenu = FALSE;
    }
    if (s_bMenuHidden || s_activeMenu == NO_MENU || bIsMainSubMenuLevel(s_activeMenu))
        return;
    const S32 barLength = vDrawTabBar(pBitmap);
    const S32 count = s_numActiveMenuItems;
    const S32 width = std::max((S32)T_MENU_u32FindMinMenuWidths(count), barLength + 2);
    s_minMenuWidth = (U32)std::min(width, (S32)WIDEST_MENU);
    const S32 h = headerHeight();
    const S32 first = std::max(s_TopMenuItem, 0);
    const S32 last = std::min(s_BottomMenuItem, count - 1);
    const S32 rows = count == 0 ? 1 : std::max(last - first + 1, 1);
    const S32 y = 537 - h - (rows - 1) * ROW_PITCH;
    const S32 w = (S32)s_minMenuWidth;
    vBox(pBitmap, C_FRAME, 0, y, w + 4, rows * ROW_PITCH + 3, 3, true);
    vBox(pBitmap, C_INNER, 1, y + 1, w + 2, rows * ROW_PITCH + 1, 3, true);
    const S32 top = y + 2 + rows * ROW_PITCH;
    if (s_activeMenu == MAIN_MENU)
        MenuItemRange[0] = {s_BottomMenuItem, s_TopMenuItem, s_activeMenuItemIndex};
    if (count == 0) {
        vDrawNoMenusRow(pBitmap, 2, top - ROW_HEIGHT);
        return;
    }
    bool bUp = false;
    bool bDown = false;
    if (bOutsideWindow(first, last, &bUp, &bDown))
        T_MENU_vDrawMoreDownTab(pBitmap, POINT{0, top}, (U32)w, bUp, bDown, FALSE, FALSE);
    vDrawRows(pBitmap, first, last, 2, top);
}

void T_MENU_vDrawSubMenuLayer(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    MenuLock lock;
    if (s_bMenuHidden || !bDrawsSubMenuLayer(s_activeMenu))
        return;
    vSubMenu(pBitmap);
}

void T_MENU_vDrawQuickMenuLayer(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    MenuLock lock;
    if (s_bMenuHidden || s_activeMenu != QUICK_SETUP_MENU)
        return;
    vQuickMenu(pBitmap);
}

void T_MENU_vDrawConfirmMenuLayer(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    MenuLock lock;
    if (s_bMenuHidden || !s_bConfirmActive)
        return;
    vConfirm(pBitmap);
}
