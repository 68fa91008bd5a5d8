// STAND-INS of the calls the menu task makes upward, into subsystems not
// built yet; the composition root installs them as the menu task's
// neighbours (ui/t_menu.h). Each answers as the subsystem does while it
// has nothing to show: the navigation group manager has no screens to
// close and the navigation task no note to show; no view shows the radar
// and its tuning is refused; the engine and gauge views have no
// readout-selection sub menu. The module that builds one of them deletes
// its declaration here and its definition in a_standins.cpp.
#pragma once

#include "kernel/l_types.h"
#include "store/lang.h"
#include "ui/u_view.h" // LAYER_ID, SPLIT_WINDOW_TYPE

// Navigation group manager and navigation task.
void T_NAV_GROUP_vShutdown(void);
void T_NAV_vSetNavUINoteWithTimeout(const TEXT_TABLE* pText, U32 u32Unused, U32 u32TimeOut, U32 u32Unused2);

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
