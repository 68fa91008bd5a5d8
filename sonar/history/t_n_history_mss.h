// The 360 unit's control: the user's actions (deploy, retract, find home,
// sweep areas, heading offset), the sweep mode for the view on screen, the
// small dialog and alarm callbacks, and the unit's state key.
//
// The unit is driven only through data-store keys. The actions run in the
// menu task or the history task; they share the history module's 360 state
// with plain word stores.
#pragma once

#include "accessories/t_alarm.h"
#include "kernel/l_types.h"
#include "store/database_msg.h"
#include "ui/u_view.h"

#include <atomic>

// The sweep-area modes (t_n_history_ppi.h).
enum tag_SWEEPING_SETTING_STATUS : int;

void T_N_HISTORY_vDeployAction(void);
void T_N_HISTORY_vRetractAction(void);
void T_N_HISTORY_vFindHome(void);
// Decides (and mostly publishes as "YSPL") what the unit does for a view.
void T_N_HISTORY_vHandleSweepingStatus(LAYER_ID eView);
void T_N_HISTORY_vSetSweepingSetting(tag_SWEEPING_SETTING_STATUS SweepingSetting);
void T_N_HISTORY_vSetIsolateSweepArea(void);
void T_N_HISTORY_vCreateIsolateSweepArea(void);
void T_N_HISTORY_vClearIsolateSweepArea(void);
void T_N_HISTORY_vSetHeadingOffsetStartArea(void);
void T_N_HISTORY_vSetSweepSpeed(void);
void T_N_HISTORY_vAutoDeployUserCancelled(void);
void T_N_HISTORY_vMaintenanceWarningAcknowledged(void);
void T_N_HISTORY_vUpdateToneState(BOOLEAN bComplete);
// Raises one of the 360 unit's alarms (maintenance due or overdue, partial
// retraction, partial deployment) through the alarm task; other kinds are
// not the history task's and are only logged.
void T_N_HISTORY_vAlarm(ALARM_PRIORITY ePriority);

namespace t_n_history {

// The unit's flags this file keeps beside the history module's.
extern std::atomic<BOOLEAN> s_bMSSRetracting;
extern std::atomic<BOOLEAN> s_bMSSWaitConfirm;
extern std::atomic<BOOLEAN> s_bAutoDeployUserCancelled;
extern std::atomic<BOOLEAN> s_bMaintWarningAck;
extern std::atomic<BOOLEAN> s_bToneComplete;
extern std::atomic<U32> s_u32NumberOf360Clients;

// "MSSS" and "YMSS": 0 no unit, 1 connected and retracted, 2 deployed.
void vHandle360State(const MESSAGE_NEW_DATA* pMail);
// The statement asking to deploy over a 360 view ("Yes" only, no time).
void vAskToDeployForView(void);
// A view change while the unit is not deployed: over a 360 view of a
// connected unit (not in playback) the deploy question; elsewhere any
// statement goes.
void vAskForDeployment(LAYER_ID view);

// A pod reported bow-mounted: no retract alarm, main deploy and retract or
// hot "Retract" items; "Start 360 Ping" or "Stop 360 Ping" (by the unit's
// state) in the 360 panes instead.
void vMenusForBowMountedPod(void);

// The unit's report and setting keys (t_n_history_mss_keys.cpp).
void vHandleYASS(const MESSAGE_NEW_DATA* p);
void vHandleYISS(const MESSAGE_NEW_DATA* p);
void vHandleYISR(const MESSAGE_NEW_DATA* p);
void vHandleYQSS(const MESSAGE_NEW_DATA* p);
void vHandleYQSR(const MESSAGE_NEW_DATA* p);
void vHandleYQSO(const MESSAGE_NEW_DATA* p);
void vHandleYSPL(const MESSAGE_NEW_DATA* p);
void vHandleYMRR(const MESSAGE_NEW_DATA* p);
void vHandleYBT2(const MESSAGE_NEW_DATA* p);
void vHandleYMSE(const MESSAGE_NEW_DATA* p);
void vHandleYMSM(const MESSAGE_NEW_DATA* p);
void vHandleYMSC(const MESSAGE_NEW_DATA* p);
void vHandleMBMS(const MESSAGE_NEW_DATA* p);
void vHandleYBMT(const MESSAGE_NEW_DATA* p);
void vHandleSSAS(const MESSAGE_NEW_DATA* p);
void vHandleISPD(const MESSAGE_NEW_DATA* p);
// "SADS" and "YADS".
void vHandleAutoDeploySpeed(const MESSAGE_NEW_DATA* p);
// The side ranges "SSSR", "YSSR" and the 360 unit's range "YASR".
void vHandleSSSR(const MESSAGE_NEW_DATA* p);
void vHandleYSSR(const MESSAGE_NEW_DATA* p);
void vHandleYASR(const MESSAGE_NEW_DATA* p);
// The "Resume Full Sweep" items are up.
BOOLEAN bResumeFullRegistered(void);

} // namespace t_n_history
