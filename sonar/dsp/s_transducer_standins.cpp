// STAND-INS of the transducer database's neighbours (see the header).
#include "sonar/dsp/s_transducer_standins.h"


void T_N_HISTORY_vDrawKeelview(BITMAP*, WINDOW_SPECIFICATION*) {}
void T_N_HISTORY_vDrawKeelviewSplit(BITMAP*, WINDOW_SPECIFICATION*) {}
void T_N_HISTORY_vDrawKeelviewSonarSplit(BITMAP*, WINDOW_SPECIFICATION*) {}
void T_N_HISTORY_vDrawVerticalScrollView(BITMAP*, WINDOW_SPECIFICATION*) {}
void T_N_HISTORY_vDrawPPIDisplay(BITMAP*, WINDOW_SPECIFICATION*) {}

void T_N_HISTORY_vCreateFvEnhanceDialog(void) {}
void T_N_HISTORY_vCreateKvEnhanceDialog(void) {}
void T_N_HISTORY_vCreateSweepEnhanceDialog(void) {}
void T_N_HISTORY_vSetHeadingOffsetStartArea(void) {}
void T_N_HISTORY_vDeployAction(void) {}
void T_N_HISTORY_vRetractAction(void) {}
