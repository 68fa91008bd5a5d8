// The 360 unit's alarms as the history task raises them: one mail to the
// alarm task, whose texts and callbacks must outlive the alarm, so they
// are static tables here.
#include "sonar/history/t_n_history_mss.h"

#include "accessories/t_alarm.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/lm_log.h"
#include "store/lang.h"

#include <cstring>

namespace {

#define ALARM_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE MSS_Maintenance_Msg1 =
    ALARM_TEXT("The 360 transducer is due for maintenance.  See the owner's manual.");
TEXT_TABLE MSS_Maintenance_Msg2 =
    ALARM_TEXT("The 360 maintenance schedule has passed.  Further use may damage the unit.");
TEXT_TABLE MSS_Partial_Retract =
    ALARM_TEXT("The 360 unit has not fully retracted. Check for obstructions and retract again.");
TEXT_TABLE MSS_Partial_Deploy =
    ALARM_TEXT("360 sonar deployed partially.  Please retract and re-deploy to reach requested depth.");
TEXT_TABLE Okay = ALARM_TEXT("OK");

const TEXT_TABLE* pTextOf(ALARM_PRIORITY ePriority)
{
    switch (ePriority) {
    case MAINTENANCE_ALARM1:
        return &MSS_Maintenance_Msg1;
    case MAINTENANCE_ALARM2:
        return &MSS_Maintenance_Msg2;
    case RETRACTION_ALARM:
        return &MSS_Partial_Retract;
    case DEPLOYMENT_ALARM:
        return &MSS_Partial_Deploy;
    default:
        return nullptr;
    }
}

} // namespace

void T_N_HISTORY_vAlarm(ALARM_PRIORITY ePriority)
{
    const TEXT_TABLE* pText = pTextOf(ePriority);
    if (pText == nullptr) {
        log_me("[%d]%s: not a 360 alarm: %d\n", __LINE__, __func__, (int)ePriority);
        return;
    }
    const U32 lang = nCurrentLanguage();
    auto* pMail = static_cast<ALARM_SET_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(ALARM_SET_MESSAGE)));
    if (pMail == nullptr)
        return;
    memset(static_cast<void*>(pMail), 0, sizeof *pMail);
    pMail->header.Cmd = CMD_ID_SET_ALARM;
    pMail->Priority = ePriority;
    pMail->pMessageString = (*pText)[lang];
    pMail->InitialToneID = TONE_ALARM_ALERT;
    pMail->ReminderToneID = TONE_USE_CUSTOM;
    if (ePriority == MAINTENANCE_ALARM2) {
        pMail->header.Cmd = CMD_ID_SET_EXT_ALARM;
        pMail->pRightChoice = Okay[lang];
        pMail->pFunctionCbRightKeyAction = T_N_HISTORY_vMaintenanceWarningAcknowledged;
    }
    if (L_MBOX_Send(ALARM_MAILBOX, &pMail->header.msghdr, ALARM_MAIL_PRIORITY, 0) != 0)
        H_MEMORY_vFree(pMail);
}
