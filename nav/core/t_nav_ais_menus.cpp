// The AIS sub-menu's actions (see t_nav_ais_menus.h).
#include "nav/core/t_nav_ais_menus.h"

#include "nav/core/chart_menu_standins.h" // the group manager's AIS list and editor

#include "kernel/l_sema.h"
#include "ui/u_keyboard.h"

void T_NAV_vAisTargetList(void)
{
    L_SEMA_Signal(T_NAV_vAisTargetListSetup() ? SEMA_KEYCLICK_GOOD : SEMA_KEYCLICK_BAD);
}

void T_NAV_vAisCPALimit(void)
{
    T_NAV_EDIT_vAisLimitsSetUp();
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
}
