// The neighbour services of the display task, stood in (see the header).
//
// The client calls look their task's mailbox up the way the real ones do
// and send the same mails at mail priority 3 without a semaphore, so the
// receiver frees them.
#include "ui/neighbour_standins.h"

#include "kernel/h_memory.h"
#include "store/h_database.h"

#include <atomic>
#include <cstring>

namespace {

constexpr PRIORITY CLIENT_MAIL_PRIORITY = 3;

// The mailbox published under the key, or 0 when it is absent or not valid.
MBOX mboxOwner(FOURCHARID key)
{
    U32 u32Mbox = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(key, &u32Mbox, &bValid, nullptr) || !bValid)
        return 0;
    return (MBOX)u32Mbox;
}

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

BOOLEAN U_KEYBOARD_bRegisterKeys(MBOX mboxOwnerOfKeys, U32 u32Keys, KEY_STATE state, BOOLEAN bRepeat,
                                 BOOLEAN bAccelerate, CURSOR_MODE cursorMode, KEY_USAGE usage)
{
    const MBOX mbox = mboxOwner(FCID("TKBD"));
    if (mbox == 0)
        return FALSE;
    auto* pMail = newMail<MSG_REGISTER_FOR_KEYS>(CMD_ID_REGISTER_FOR_KEYS);
    if (pMail == nullptr)
        return FALSE;
    pMail->keys = u32Keys;
    pMail->mailbox = mboxOwnerOfKeys;
    pMail->state = state;
    pMail->usage = usage;
    pMail->cursor_mode = cursorMode;
    pMail->repeat = bRepeat;
    pMail->accelerate = bAccelerate;
    post(mbox, pMail);
    return TRUE;
}

BOOLEAN U_KEYBOARD_bUnregisterKeys(MBOX mboxOwnerOfKeys, U32 u32Keys)
{
    const MBOX mbox = mboxOwner(FCID("TKBD"));
    if (mbox == 0)
        return FALSE;
    auto* pMail = newMail<MSG_UNREGISTER_FOR_KEYS>(CMD_ID_UNREGISTER_FOR_KEYS);
    if (pMail == nullptr)
        return FALSE;
    pMail->keys = u32Keys;
    pMail->mailbox = mboxOwnerOfKeys;
    post(mbox, pMail);
    return TRUE;
}

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
void U_STEVRIN_vPauseMotor(void) { postMotorCommand(ST_CMD_PAUSE_MOTOR); }
