// STAND-IN for the alarm task (see the header).
#include "accessories/t_alarm_standin.h"

#include "accessories/t_alarm.h"

#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"
#include "store/h_database.h"

namespace {

// The text is read at once: a raiser may reuse its buffer for the next
// alarm of the same kind.
void vLog(const GENERIC_MESSAGE* pMail)
{
    switch (pMail->Cmd) {
    case CMD_ID_SET_ALARM:
    case CMD_ID_SET_EXT_ALARM: {
        const auto* pSet = reinterpret_cast<const ALARM_SET_MESSAGE*>(pMail);
        if (pSet->pMessageString != nullptr)
            log_me("alarm %d raised: \"%s\"", (int)pSet->Priority, pSet->pMessageString);
        else
            log_me("alarm %d raised", (int)pSet->Priority);
        break;
    }
    case CMD_ID_CLEAR_ALARM:
        log_me("alarm %d cleared", (int)reinterpret_cast<const ALARM_CLEAR_MESSAGE*>(pMail)->Priority);
        break;
    default:
        break;
    }
}

} // namespace

void T_ALARM_vMain(void)
{
    log_me("stand-in: logs each alarm raised and cleared, shows none");
    if (H_DATABASE_bUpdateEverythingU32(FCID("TALR"), (U32)ALARM_MAILBOX, P_NORMAL, D_MAILBOX, nullptr,
                                        DB_TIMEOUT_NEVER)) {
        ERROR_error(__FILE_NAME__, __LINE__, "Somebody else registered the Alarm Task Maibox");
        U_RESET_vReset(0, 0);
    }
    for (;;) {
        L_SEMA_Wait(SEMA_MBOX_ALARM);
        while (MSGHEADER* pMail = L_MBOX_Receive(ALARM_MAILBOX)) {
            vLog(reinterpret_cast<const GENERIC_MESSAGE*>(pMail));
            H_MEMORY_vDumpMail(pMail);
        }
    }
}
