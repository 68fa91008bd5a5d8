// STAND-INS of the history module's calls that the processing task makes
// and that are not built yet: the 360 ping processing. Each does what the
// processing task may rely on of the real one; delete an entry when its
// real module lands.
#pragma once

#include "kernel/l_types.h"
#include "platform/h_recselect.h" // BEAM
#include "sonar/history/t_n_history.h" // T_N_HISTORY_vAddColumns

// One ping of the rotating transducer into the 360 picture: nothing here.
void T_N_HISTORY_vProcessPPISonar(S32 s32CurrentPosition, BEAM Beam, U32 u32TargetFactor, BOOLEAN bClockwise);
