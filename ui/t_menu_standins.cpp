// STAND-INS of the menu task's neighbours and of its layers' drawing (see
// the header).
#include "ui/t_menu_standins.h"

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
