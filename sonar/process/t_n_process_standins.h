// STAND-INS of the history module's calls that the processing task makes
// and that are not built yet: the playback look-ups. Each does what the processing task may rely
// on of the real one; delete an entry when its real module lands.
#pragma once

#include "kernel/l_types.h"
#include "platform/h_recselect.h" // BEAM
#include "sonar/history/t_n_history.h" // T_N_HISTORY_vAddColumns
#include "sonar/history/t_n_history_ppi.h" // T_N_HISTORY_vProcessPPISonar

// A playback starts with the next recorded ping: nothing to prepare here.
void T_N_HISTORY_vPrepareForPlayback(void);
// The history's scroll direction: nothing is scrolled here.
void T_N_HISTORY_vSetReverseScroll(BOOLEAN bReverse, BOOLEAN bEndFill);
// The ping time stamps of the columns on screen, one per stored beam (0-3):
// no columns are stored here, so every stamp is 0.
void T_N_HISTORY_vLookupColumnPingTimeStamps(BOOLEAN bReverse, U32* pu32TimeStamps);
