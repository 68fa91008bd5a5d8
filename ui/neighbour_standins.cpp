// The neighbour services of the display task, stood in (see the header).
//
// The client calls send the same mails as the real ones at mail priority 3
// without a semaphore, so the receiver frees them.
#include "ui/neighbour_standins.h"

#include "kernel/h_memory.h"
#include "store/h_database.h"

#include <atomic>
#include <cstring>

namespace {

constexpr PRIORITY CLIENT_MAIL_PRIORITY = 3;

// A zeroed mail with its command word, or null when the heap has none.
template <typename MAIL>
MAIL* newMail(CMD_ID cmd)
{
    MAIL* pMail = static_cast<MAIL*>(H_MEMORY_pvMallocNoWait(sizeof(MAIL)));
    if (pMail != nullptr) {
        memset(static_cast<void*>(pMail), 0, sizeof(MAIL));
        pMail->header.Cmd = cmd;
    }
    return pMail;
}

template <typename MAIL>
void post(MBOX mbox, MAIL* pMail)
{
    if (L_MBOX_Send(mbox, &pMail->header.msghdr, CLIENT_MAIL_PRIORITY, 0) != 0)
        H_MEMORY_vFree(pMail);
}

} // namespace

namespace {

std::atomic<T_DISPLAY_ELEMENT_BIT_QUERY*> s_pfnElementBitQuery{nullptr};

} // namespace

void T_DISPLAY_vInstallElementBitQuery(T_DISPLAY_ELEMENT_BIT_QUERY* pfnQuery) { s_pfnElementBitQuery = pfnQuery; }

U32 T_DISPLAY_u32GetElementBit(U32 u32SonarElementSelection, U32 eNetSourceType)
{
    T_DISPLAY_ELEMENT_BIT_QUERY* const pfnQuery = s_pfnElementBitQuery.load();
    return pfnQuery != nullptr ? pfnQuery(u32SonarElementSelection, eNetSourceType) : 0;
}

namespace {

void postMotorCommand(U32 u32Command)
{
    auto* pMail = newMail<STEVRIN_DATA_MSG>(CMD_ID_STEVRIN);
    if (pMail == nullptr)
        return;
    pMail->eStevrinCmd = u32Command;
    post(STEVRIN_MAILBOX, pMail);
}

} // namespace

void U_STEVRIN_vStowMotor(void) { postMotorCommand(ST_CMD_STOW_MOTOR); }
void U_STEVRIN_vDeployMotor(void) { postMotorCommand(ST_CMD_DEPLOY_MOTOR); }
void U_STEVRIN_vPauseMotor(void) { postMotorCommand(ST_CMD_PAUSE_STOWDEPLOY); }
