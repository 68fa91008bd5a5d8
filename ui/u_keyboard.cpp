// The keyboard task's client calls: each looks the task's mailbox up under
// "TKBD" and posts one mail that the keyboard task frees.
#include "ui/u_keyboard.h"

#include "store/h_client.h"

namespace {

constexpr FOURCHARID KEY_TKBD = FCID("TKBD");
constexpr PRIORITY CLIENT_MAIL_PRIORITY = 3;

} // namespace

BOOLEAN U_KEYBOARD_bRegisterKeys(MBOX mboxOwner, U32 u32Keys, KEY_STATE state, BOOLEAN bRepeat,
                                 BOOLEAN bAccelerate, CURSOR_MODE cursorMode, KEY_USAGE usage)
{
    const MBOX mbox = H_CLIENT_mboxTask(KEY_TKBD);
    if (mbox == 0)
        return FALSE;
    auto* pMail = H_CLIENT_pNewMail<MSG_REGISTER_FOR_KEYS>(CMD_ID_REGISTER_FOR_KEYS);
    pMail->keys = u32Keys;
    pMail->mailbox = mboxOwner;
    pMail->state = state;
    pMail->usage = usage;
    pMail->cursor_mode = cursorMode;
    pMail->repeat = bRepeat;
    pMail->accelerate = bAccelerate;
    H_CLIENT_bPost(mbox, pMail, CLIENT_MAIL_PRIORITY);
    return TRUE;
}

BOOLEAN U_KEYBOARD_bUnregisterKeys(MBOX mboxOwner, U32 u32Keys)
{
    const MBOX mbox = H_CLIENT_mboxTask(KEY_TKBD);
    if (mbox == 0)
        return FALSE;
    auto* pMail = H_CLIENT_pNewMail<MSG_UNREGISTER_FOR_KEYS>(CMD_ID_UNREGISTER_FOR_KEYS);
    pMail->keys = u32Keys;
    pMail->mailbox = mboxOwner;
    H_CLIENT_bPost(mbox, pMail, CLIENT_MAIL_PRIORITY);
    return TRUE;
}
