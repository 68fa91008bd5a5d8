// The common steps of a task's client calls: the task's mailbox from the
// "T" key it publishes, a zeroed mail from the program heap, and the post.
// A mail belongs to the task once it is queued; a mailbox number the kernel
// does not know leaves it with the caller, who gets FALSE.
#pragma once

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "store/database_msg.h"
#include "store/h_database.h"

#include <cstring>

// The mailbox named by the task's key, or 0 while the key is absent or not
// valid.
inline MBOX H_CLIENT_mboxTask(FOURCHARID fcidTaskKey)
{
    U32 u32Mbox = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(fcidTaskKey, &u32Mbox, &bValid, nullptr) || !bValid)
        return 0;
    return (MBOX)u32Mbox;
}

// A zeroed mail of its kind with its command filled in; every mail starts
// with its GENERIC_MESSAGE head.
template <typename MAIL>
MAIL* H_CLIENT_pNewMail(CMD_ID cmd)
{
    MAIL* pMail = static_cast<MAIL*>(H_MEMORY_pvMalloc(sizeof(MAIL)));
    memset(static_cast<void*>(pMail), 0, sizeof(MAIL));
    reinterpret_cast<GENERIC_MESSAGE*>(pMail)->Cmd = cmd;
    return pMail;
}

template <typename MAIL>
BOOLEAN H_CLIENT_bPost(MBOX mbox, MAIL* pMail, PRIORITY priority)
{
    GENERIC_MESSAGE* pHead = reinterpret_cast<GENERIC_MESSAGE*>(pMail);
    if (L_MBOX_Send(mbox, &pHead->msghdr, priority, 0) != 0) {
        H_MEMORY_vFree(pMail);
        return FALSE;
    }
    return TRUE;
}
