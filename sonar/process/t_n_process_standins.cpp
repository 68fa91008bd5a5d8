// The history calls of the processing task (see the header).
#include "sonar/process/t_n_process_standins.h"

void T_N_HISTORY_vProcessPPISonar(S32, BEAM, U32, BOOLEAN) {}
