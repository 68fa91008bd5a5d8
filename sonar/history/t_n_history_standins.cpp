// Stand-ins of the history module's neighbours (see the header).
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_standins.h"
#include "sonar/history/t_n_history_state.h"

#include "kernel/lm_log.h"
#include "store/h_database.h"

namespace t_n_history {

void vUpdateCursorDepthHorizScroll(void) {}

void vHandleKeys(const MSG_KEY_CHANGE*) {}

void vMakeCursorInactive(void)
{
    s_bCursorActive = FALSE;
    H_DATABASE_bUpdateValueBoolean(FCID("ICAC"), FALSE, P_NORMAL);
}

void vAskForDeployment(LAYER_ID view)
{
    if (view == VIEW_PPI_DISPLAY || view == VIEW_PPI_PLUS_2D || view == VIEW_PPI_PLUS_CHART)
        s_u8IsolateSweepSetuped = 0;
}

} // namespace t_n_history

void T_N_HISTORY_vHandleSweepingStatus(LAYER_ID) {}

void T_N_HISTORY_vAlarm(ALARM_PRIORITY ePriority) { log_me("[%d]%s: alarm %d\n", __LINE__, __func__, (int)ePriority); }

void S_SPEEDALARM_vInitSpeedAlarms(void) {}

void S_SPEEDALARM_vCompareNewSpeedAgainstAlarmSetPoint(U32, float, float) {}

