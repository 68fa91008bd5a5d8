// The orderly shutdown.
//
// One mail serves task after task while each acknowledges it in time. A
// task that does not answer within 500 ms keeps the mail - it still lies in
// that task's mailbox and belongs to it now - and a new one is taken for the
// next task. The NVRAM task is told last and waited for without limit, so
// that the settings files are complete before the caller ends the process.
#include "system/u_shutdown.h"

#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "store/h_database.h"
#include "ui/u_keyboard.h"

#include <cstring>

namespace {

constexpr const char* SOURCE_FILE = "./Working/SOURCE/u_shutdown.c";
constexpr FOURCHARID KEY_TNVR = FCID("TNVR");
constexpr FOURCHARID KEY_TKBD = FCID("TKBD");
constexpr PRIORITY SHUTDOWN_MAIL_PRIORITY = 3;
constexpr TICKS ACK_TICKS = 500;

GENERIC_MESSAGE* pNewMail(void)
{
    auto* pMail = static_cast<GENERIC_MESSAGE*>(H_MEMORY_pvMallocNoWait(sizeof(GENERIC_MESSAGE)));
    if (pMail != nullptr)
        memset(static_cast<void*>(pMail), 0, sizeof *pMail);
    return pMail;
}

bool bInList(const FOURCHARID* pfcidList, FOURCHARID key)
{
    for (const FOURCHARID* p = pfcidList; *p != 0; ++p)
        if (*p == key)
            return true;
    return false;
}

} // namespace

void U_SHUTDOWN_vShutdown(FOURCHARID* pfcidNoKillList)
{
    GENERIC_MESSAGE* pMail = pNewMail();
    bool bNvramKnown = false;
    MBOX mboxNvram = 0;

    MULTI_FETCH_CONTROL_STRUCTURE control{};
    control.cMatch = 'T';
    control.__bNotFirst = FALSE;
    while (H_DATABASE_bFetchNextBeginningWith(&control)) {
        if (pMail == nullptr) {
            ERROR_error(SOURCE_FILE, __LINE__, "Out of messages in shutdown");
            U_RESET_vReset(FALSE, FALSE);
        }
        if (control.id == KEY_TNVR) {
            bNvramKnown = true;
            mboxNvram = (MBOX)control.data.u32Val;
            continue;
        }
        if (control.id == KEY_TKBD || bInList(pfcidNoKillList, control.id))
            continue;
        pMail->Cmd = CMD_ID_SHUTDOWN;
        const ERC rc = L_MBOX_SendWaitTicks((MBOX)control.data.u32Val, &pMail->msghdr, SHUTDOWN_MAIL_PRIORITY,
                                            SEMA_SHUTDOWN_KEYB, ACK_TICKS);
        // A key that names no mailbox queued nothing: the mail is still ours.
        if (rc != 0 && rc != -lsMBOX_INVALID)
            pMail = pNewMail();
    }

    if (pMail == nullptr)
        return;
    if (bNvramKnown) {
        pMail->Cmd = CMD_ID_SHUTDOWN;
        const ERC rc = L_MBOX_SendWait(mboxNvram, &pMail->msghdr, SHUTDOWN_MAIL_PRIORITY, SEMA_SHUTDOWN_KEYB);
        if (rc != 0 && rc != -lsMBOX_INVALID)
            return;
    }
    H_MEMORY_vFree(pMail);
}
