// STAND-INS of the transducer database's neighbours (see the header).
#include "sonar/dsp/s_transducer_standins.h"

void T_N_HISTORY_vSetHeadingOffsetStartArea(void) {}
void T_N_HISTORY_vDeployAction(void) {}
void T_N_HISTORY_vRetractAction(void) {}
