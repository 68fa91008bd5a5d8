// What the sonar history task (task 30) answers to the ping task. The
// answers are marked stand-ins in t_n_history_standins.cpp until the
// history task is built.
#pragma once

#include "kernel/l_types.h"
#include "ui/u_view.h" // LAYER_ID

// TRUE for the three 360 views.
BOOLEAN T_N_HISTORY_bIsSweepingView(LAYER_ID eView);
// TRUE when the last imaging or side-and-down view shown was not served by
// the 360 unit.
BOOLEAN T_N_HISTORY_bGetNon360FVOrQuadViewLastVisited(void);
// Whether 2D pings may use short transmit pulses.
void T_N_HISTORY_vEnableShortTransmit(BOOLEAN bEnable);
// Whether a playback mode scrolls the history in reverse, given the
// direction it scrolls now.
BOOLEAN T_N_HISTORY_bReverseScrollForMode(U32 u32PlaybackMode, BOOLEAN bCurrentReverse);
