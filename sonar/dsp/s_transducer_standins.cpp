// STAND-INS of the transducer database's neighbours (see the header).
#include "sonar/dsp/s_transducer_standins.h"


void T_N_HISTORY_vDrawZoomSonar(BITMAP*, WINDOW_SPECIFICATION*) {}
void T_N_HISTORY_vDrawDownAndSidebeamView(BITMAP*, WINDOW_SPECIFICATION*) {}
void T_N_HISTORY_vDrawDualBeamView(BITMAP*, WINDOW_SPECIFICATION*) {}
void T_N_HISTORY_vDrawSonarSplit(BITMAP*, WINDOW_SPECIFICATION*) {}

void T_N_HISTORY_vSetHeadingOffsetStartArea(void) {}
void T_N_HISTORY_vDeployAction(void) {}
void T_N_HISTORY_vRetractAction(void) {}
