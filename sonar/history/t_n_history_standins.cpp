// Stand-ins of the history module's neighbours (see the header).
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_standins.h"
#include "sonar/history/t_n_history_state.h"

#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "sonar/history/t_n_history_ppi.h"
#include "sonar/process/t_n_process.h"
#include "store/h_database.h"

void S_SPEEDALARM_vInitSpeedAlarms(void) {}

void S_SPEEDALARM_vCompareNewSpeedAgainstAlarmSetPoint(U32, float, float) {}

