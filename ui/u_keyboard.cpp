// The keyboard task's client calls: each looks the task's mailbox up under
// "TKBD" and posts one mail that the keyboard task frees.
#include "ui/u_keyboard.h"

#include "kernel/h_memory.h"
#include "store/h_database.h"

#include <cstring>

namespace {

constexpr FOURCHARID KEY_TKBD = FCID("TKBD");
constexpr PRIORITY CLIENT_MAIL_PRIORITY = 3;

// The keyboard task's mailbox, or 0 while "TKBD" is absent or not valid.
MBOX mboxKeyboard(void)
{
    U32 u32Mbox = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(KEY_TKBD, &u32Mbox, &bValid, nullptr) || !bValid)
        return 0;
    return (MBOX)u32Mbox;
}

template <typename MAIL>
MAIL* newMail(CMD_ID cmd)
{
    MAIL* pMail = static_cast<MAIL*>(H_MEMORY_pvMalloc(sizeof(MAIL)));
    memset(static_cast<void*>(pMail), 0, sizeof(MAIL));
    pMail->header.Cmd = cmd;
    return pMail;
}

template <typename MAIL>
void post(MBOX mbox, MAIL* pMail)
{
    if (L_MBOX_Send(mbox, &pMail->header.msghdr, CLIENT_MAIL_PRIORITY, 0) != 0)
        H_MEMORY_vFree(pMail);
}

} // namespace

BOOLEAN U_KEYBOARD_bRegisterKeys(MBOX mboxOwner, U32 u32Keys, KEY_STATE state, BOOLEAN bRepeat,
                                 BOOLEAN bAccelerate, CURSOR_MODE cursorMode, KEY_USAGE usage)
{
    const MBOX mbox = mboxKeyboard();
    if (mbox == 0)
        return FALSE;
    auto* pMail = newMail<MSG_REGISTER_FOR_KEYS>(CMD_ID_REGISTER_FOR_KEYS);
    pMail->keys = u32Keys;
    pMail->mailbox = mboxOwner;
    pMail->state = state;
    pMail->usage = usage;
    pMail->cursor_mode = cursorMode;
    pMail->repeat = bRepeat;
    pMail->accelerate = bAccelerate;
    post(mbox, pMail);
    return TRUE;
}

BOOLEAN U_KEYBOARD_bUnregisterKeys(MBOX mboxOwner, U32 u32Keys)
{
    const MBOX mbox = mboxKeyboard();
    if (mbox == 0)
        return FALSE;
    auto* pMail = newMail<MSG_UNREGISTER_FOR_KEYS>(CMD_ID_UNREGISTER_FOR_KEYS);
    pMail->keys = u32Keys;
    pMail->mailbox = mboxOwner;
    post(mbox, pMail);
    return TRUE;
}
