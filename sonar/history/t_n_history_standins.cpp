// STAND-INS of the sonar history task's answers to the ping task, until the
// history task is built: no view is a sweeping view, the last imaging view
// was not the 360 unit's, and short transmit pulses are not tracked. The
// scroll direction of a playback mode already follows the history task's
// rule, since the ping task's seek decision depends on it.
#include "sonar/history/t_n_history.h"

BOOLEAN T_N_HISTORY_bIsSweepingView(LAYER_ID) { return FALSE; }

BOOLEAN T_N_HISTORY_bGetNon360FVOrQuadViewLastVisited(void) { return TRUE; }

void T_N_HISTORY_vEnableShortTransmit(BOOLEAN) {}

BOOLEAN T_N_HISTORY_bReverseScrollForMode(U32 u32PlaybackMode, BOOLEAN bCurrentReverse)
{
    switch (u32PlaybackMode) {
    case 2: // the reverse modes
    case 3:
    case 4:
    case 5:
    case 12: // end fill
        return TRUE;
    case 7: // the forward modes
    case 8:
    case 9:
    case 10:
    case 13: // stop
        return FALSE;
    default:
        return bCurrentReverse;
    }
}
