// STAND-INS of the draw functions of the menu layers (declared in
// ui/t_menu.h), until the layers are built: they take RES_MENU, make the
// main menu's first-draw rebuild of the visible list, record the main and
// sub-menu levels' window and highlight for the way back up, and draw
// nothing. The module that draws the layers deletes this file.
#include "kernel/l_mutex.h"
#include "ui/t_menu_state.h"

using namespace t_menu;

namespace {

bool bSubMenuLevel(ACTIVE_MENU eMenu)
{
    return (eMenu >= EXPRESS_SUB_MENU && eMenu <= MAIN_SUB_MENU_3) || eMenu == INFO_SUB_MENU;
}

} // namespace

void T_MENU_vDrawHotMenuLayer(BITMAP*, WINDOW_SPECIFICATION*)
{
    L_MUTEX_LockWait(RES_MENU);
    L_MUTEX_Unlock(RES_MENU);
}

void T_MENU_vDrawMainMenuLayer(BITMAP*, WINDOW_SPECIFICATION*)
{
    L_MUTEX_LockWait(RES_MENU);
    if (s_activeMenu == MAIN_MENU) {
        if (s_bActivatingMainMenu) {
            T_MENU_vUpdateActiveMenuList();
            s_bActivatingMainMenu = FALSE;
        }
        MenuItemRange[0] = {s_BottomMenuItem, s_TopMenuItem, s_activeMenuItemIndex};
    }
    L_MUTEX_Unlock(RES_MENU);
}

void T_MENU_vDrawSubMenuLayer(BITMAP*, WINDOW_SPECIFICATION*)
{
    L_MUTEX_LockWait(RES_MENU);
    if (bSubMenuLevel(s_activeMenu) && s_menuLevel >= 0 && s_menuLevel <= MAX_SUB_MENU_LEVELS)
        MenuItemRange[s_menuLevel] = {s_BottomMenuItem, s_TopSubMenuItem, s_activeMenuItemIndex};
    L_MUTEX_Unlock(RES_MENU);
}

void T_MENU_vDrawQuickMenuLayer(BITMAP*, WINDOW_SPECIFICATION*)
{
    L_MUTEX_LockWait(RES_MENU);
    L_MUTEX_Unlock(RES_MENU);
}

void T_MENU_vDrawConfirmMenuLayer(BITMAP*, WINDOW_SPECIFICATION*)
{
    L_MUTEX_LockWait(RES_MENU);
    L_MUTEX_Unlock(RES_MENU);
}
