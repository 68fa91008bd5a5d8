// The menu mails' world in a test process: the data store with "TMNU"
// published (or not), and the test reading what reaches the menu task's
// mailbox. The mails are read back as the bytes of their record.
#pragma once

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "store/h_database.h"
#include "ui/t_menu.h"
#include "ui/u_menu_client.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace mw {

inline void initStoreOnce()
{
    static bool bDone = false;
    if (!bDone) {
        H_DATABASE_vInit();
        bDone = true;
    }
}

// "TMNU" names the mailbox, written by the menu task's writer priority.
inline void publishMenuTask(U32 u32Mailbox = MENU_MAILBOX)
{
    H_DATABASE_vDeleteEntry(FCID("TMNU"));
    H_DATABASE_bUpdateEverythingU32(FCID("TMNU"), u32Mailbox, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
}

// "TMNU" never written.
inline void withdrawMenuTask() { H_DATABASE_vDeleteEntry(FCID("TMNU")); }

inline size_t mailSize(CMD_ID cmd)
{
    switch (cmd) {
    case CMD_ID_REGISTER_MENU_TAB:
        return sizeof(MSG_ADD_MENU_TAB);
    case CMD_ID_REGISTER_MENU_ITEM:
    case CMD_ID_REGISTER_FLOATING_MENU_ITEM:
        return sizeof(MSG_ADD_MENU_ITEM);
    case CMD_ID_REGISTER_SUB_MENU:
        return sizeof(MSG_ADD_SUB_MENU);
    case CMD_ID_REGISTER_HOT_MENU:
        return sizeof(MSG_ADD_HOT_MENU);
    case CMD_ID_REGISTER_INFO_MENU:
        return sizeof(MSG_ADD_INFO_MENU);
    case CMD_ID_REGISTER_FLOATING_MENU:
        return sizeof(MSG_ADD_FLOATING_MENU);
    case CMD_ID_UNREGISTER_FLOATING_MENU:
    case CMD_ID_ACTIVATE_FLOATING_MENU:
        return sizeof(MSG_REMOVE_FLOATING_MENU);
    case CMD_ID_UNREGISTER_SINGLE_CENTERED_MENU:
        return sizeof(MSG_REMOVE_SINGLE_CENTERED_MENU);
    case CMD_ID_REGISTER_SINGLE_CENTERED_MENU_ITEM:
        return sizeof(MSG_ADD_SINGLE_CENTERED_MENU_ITEM);
    case CMD_ID_ACTIVATE_SINGLE_CENTERED_MENU:
        return sizeof(MSG_ACTIVATE_SINGLE_CENTERED_MENU);
    case CMD_ID_UNREGISTER_MENU_TAB:
        return sizeof(MSG_REMOVE_TAB);
    case CMD_ID_UNREGISTER_MENU_ITEM:
        return sizeof(MSG_REMOVE_MENU);
    case CMD_ID_ACTIVATE_INFO_MENU:
        return sizeof(MSG_ACTIVATE_INFO_MENU);
    default:
        return sizeof(GENERIC_MESSAGE);
    }
}

// One mail as it arrived.
struct Mail {
    CMD_ID cmd;
    PRIORITY priority;
    SEMA sema;
    std::vector<U8> bytes;
    template <typename MAIL>
    const MAIL& as() const
    {
        return *reinterpret_cast<const MAIL*>(bytes.data());
    }
};

// Every mail waiting in the menu task's mailbox, oldest first; the mails
// are freed.
inline std::vector<Mail> drain(MBOX mbox = MENU_MAILBOX)
{
    std::vector<Mail> out;
    while (MSGHEADER* pHeader = L_MBOX_Receive(mbox)) {
        const GENERIC_MESSAGE* pMsg = reinterpret_cast<const GENERIC_MESSAGE*>(pHeader);
        // Room for the largest record, so that as<>() never reads past it.
        Mail m{pMsg->Cmd, pHeader->MsgPriority, pHeader->sema, std::vector<U8>(sizeof(MSG_ADD_SINGLE_CENTERED_MENU_ITEM))};
        memcpy(m.bytes.data(), pHeader, mailSize(pMsg->Cmd));
        out.push_back(std::move(m));
        H_MEMORY_vDumpMail(pHeader);
    }
    return out;
}

} // namespace mw
