// Stand-ins of the history module's neighbours (see the header).
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_standins.h"
#include "sonar/history/t_n_history_state.h"

#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "sonar/history/t_n_history_ppi.h"
#include "sonar/process/t_n_process.h"
#include "store/h_database.h"

namespace t_n_history {

void vAskForDeployment(LAYER_ID view)
{
    if (view == VIEW_PPI_DISPLAY || view == VIEW_PPI_PLUS_2D || view == VIEW_PPI_PLUS_CHART)
        s_u8IsolateSweepSetuped = 0;
}

void vHandle360State(const MESSAGE_NEW_DATA* pMail)
{
    constexpr U32 STATE_SIMULATION = 4, STATE_POINT_OF_SALE = 6, STATE_PLAYBACK = 11;
    const U32 u32Unit = pMail->dbValue.u32Val;
    const U32 u32System = s_u32SystemState;
    if (u32Unit == 0 && (u32System == STATE_SIMULATION || u32System == STATE_POINT_OF_SALE))
        return;
    if (u32Unit < 2 && u32System == STATE_PLAYBACK)
        return;
    if (u32Unit == 2) {
        s_bMSSConnected = TRUE;
        s_bMSSDeployed = TRUE;
        L_MUTEX_LockWait(RES_MSS);
        T_N_PROCESS_vClearMssBuffer();
        T_N_HISTORY_vRecalculateMSSData();
        L_MUTEX_Unlock(RES_MSS);
        return;
    }
    s_bMSSDeployed = FALSE;
    s_bMSSConnected = u32Unit == 1 ? TRUE : FALSE;
    if (u32Unit == 0)
        s_u32SweepStatus = 0;
}

} // namespace t_n_history

void T_N_HISTORY_vHandleSweepingStatus(LAYER_ID) {}

void T_N_HISTORY_vAlarm(ALARM_PRIORITY ePriority) { log_me("[%d]%s: alarm %d\n", __LINE__, __func__, (int)ePriority); }

void S_SPEEDALARM_vInitSpeedAlarms(void) {}

void S_SPEEDALARM_vCompareNewSpeedAgainstAlarmSetPoint(U32, float, float) {}

