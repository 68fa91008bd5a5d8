// STAND-INS: what the transducer database and its views and menus ask of
// their neighbours, until those are built: the history task's menu
// actions, which do nothing. Delete an
// entry here when its real module lands.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "store/lang.h"
#include "ui/t_info_bar.h"
#include "ui/u_view.h"

// The views' draw callbacks and the enhance dialogs are built.
#include "sonar/history/t_n_history_ppi.h"
#include "sonar/screens/t_n_history_imaging.h"
#include "sonar/screens/t_n_history_screens.h"

// The history task's 360 menu actions are built.
#include "sonar/history/t_n_history_mss.h"
