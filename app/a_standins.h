// STAND-INS of the calls the menu task makes upward, into subsystems not
// built yet; the composition root installs them as the menu task's
// neighbours (ui/t_menu.h). Each answers as the subsystem does while it
// has nothing to show: the navigation group manager has no screens to
// close; no view shows the radar
// and its tuning is refused; the engine and gauge views have no
// readout-selection sub menu. The module that builds one of them deletes
// its declaration here and its definition in a_standins.cpp.
#pragma once

#include "kernel/l_types.h"
#include "store/lang.h"
#include "ui/u_view.h" // LAYER_ID, SPLIT_WINDOW_TYPE

// Navigation group manager.
void T_NAV_GROUP_vShutdown(void);

// Radar (its view question is stood in by the navigation core's
// neighbours, nav/core/neighbour_standins.h).
BOOLEAN T_RADAR_bHandleTune(void);
void T_RADAR_vHandleManualTune(void);

// Engine and gauge views.
BOOLEAN GUI_vGetReadoutSubMenuStatus(void);
void GUI_vUpdateReadoutMenuItems(void);
void GUI_vResetReadoutSubMenuStatus(void);
void GUI_vRegisterReadoutSubMenuItems(U32 u32Index);
void GUI_pGetCurrentItemName(U32 u32Index, const char* const (**ppName)[DB_NUM_LANGUAGES]);

// ---- The info task's neighbours above it (ui/t_info.h) ----
//
// The alarm task's one-second timer check does nothing; the trolling motor's
// navigation is not enabled. (The radar's info-view question is stood in by
// the navigation core's neighbours.)
void T_ALARM_vCheckTimer(void);
BOOLEAN U_NAV_STEVRIN_bIsStevrinNavigationEnabled(void);
