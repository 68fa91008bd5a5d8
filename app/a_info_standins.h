// The info code's calls into the navigation core, the sonar history, the
// radar and the trolling-motor link for its navigation strip and cursor
// readout (ui/t_info.h). The navigation core's icons are its own; the rest
// are STAND-INS (a_info_standins.cpp) until those subsystems are built.
#pragma once

#include "ui/t_info.h"

// Fills the strip's and the cursor readout's members of the hooks.
void A_INFO_STANDINS_vFill(T_INFO_NEIGHBOURS* pHooks);
