// The neighbour services of the display task, stood in (see the header).
//
// The client calls look their task's mailbox up the way the real ones do
// and send the same mails at mail priority 3 without a semaphore, so the
// receiver frees them.
#include "ui/neighbour_standins.h"

#include "kernel/h_memory.h"
#include "store/h_database.h"

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

BOOLEAN U_VIEW_bRegisterLayer(DRAW_FUNCTION* pfnDraw, LAYER_ID layer, LAYER_ID layerWhereUsed, U32 u32User,
                              FOURCHARID fcidControl, BOOLEAN bDefaultState, const TEXT_TABLE* pPlaybackString,
                              const TEXT_TABLE* pSimString, const TEXT_TABLE* pPOSString)
{
    const MBOX mbox = mboxOwner(FCID("TVUE"));
    if (mbox == 0)
        return FALSE;
    auto* pMail = newMail<MSG_REGISTER_LAYER>(CMD_ID_REGISTER_LAYER);
    if (pMail == nullptr)
        return FALSE;
    pMail->layer = layer;
    pMail->where_used = layerWhereUsed;
    pMail->pDrawFunction = pfnDraw;
    pMail->fcidDisplayFlag = fcidControl;
    pMail->bDisplay = bDefaultState;
    pMail->user = u32User;
    pMail->pPlaybackString = pPlaybackString;
    pMail->pSimString = pSimString;
    pMail->pPOSString = pPOSString;
    pMail->eLocation = SPLIT_FULL_WINDOW;
    post(mbox, pMail);
    return TRUE;
}

BOOLEAN U_VIEW_bUnRegisterLayer(LAYER_ID layer)
{
    const MBOX mbox = mboxOwner(FCID("TVUE"));
    if (mbox == 0)
        return FALSE;
    auto* pMail = newMail<MSG_UNREGISTER_LAYER>(CMD_ID_UNREGISTER_LAYER);
    if (pMail == nullptr)
        return FALSE;
    pMail->layer = layer;
    pMail->eLocation = SPLIT_FULL_WINDOW;
    post(mbox, pMail);
    return TRUE;
}

U32 S_TRANSDUCER_u32GetElementBit(U32 u32SonarElementSelection, U32 eNetSourceType)
{
    if (eNetSourceType > 3)
        return 0;
    return u32SonarElementSelection & (1u << eNetSourceType);
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
