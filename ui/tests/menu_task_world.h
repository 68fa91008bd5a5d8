// The menu task's world in a test process: the data store with unit
// conversion, and task 15 running T_MENU_vMain. The test plays the
// neighbours: the keyboard task (mailbox 10, "TKBD") and the view task
// (mailbox 5, "TVUE") are mailboxes it reads; key clicks are read off
// their semaphores, and a frame request off semaphore 106 and the view
// task's expedited-request state. Registrations go through the client
// calls, as every task makes them.
//
// The task is started once per process; fresh() gives each test (or each
// case of a table) empty menus by running the task's own start-up step in
// the test's thread while the task waits for mail.
#pragma once

#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "store/h_database.h"
#include "ui/t_menu.h"
#include "ui/t_menu_state.h"
#include "ui/t_view_state.h"
#include "ui/u_menu_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <ostream>
#include <thread>
#include <vector>

namespace mt {

constexpr MBOX VIEW_MAILBOX = 5;
constexpr MBOX KEYBOARD_MAILBOX = 10;
constexpr SEMA ACK_SEMA = 152; // the test's own acknowledgements

#define MT_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

inline U32 fetchU32(const char (&key)[5])
{
    U32 v = 0xDEADBEEF;
    H_DATABASE_bFetchU32(FCID(key), &v, nullptr, nullptr);
    return v;
}

inline void setU32(const char (&key)[5], U32 value) { H_DATABASE_bUpdateValueU32(FCID(key), value, P_NORMAL); }
inline void setS32(const char (&key)[5], S32 value) { H_DATABASE_bUpdateValueS32(FCID(key), value, P_NORMAL); }

// A key with a type, written now.
inline void defineU32(const char (&key)[5], U32 value, DATA_TYPE type)
{
    H_DATABASE_bUpdateEverythingU32(FCID(key), value, P_NORMAL, type, nullptr, DB_TIMEOUT_NEVER);
}
inline void defineFloat(const char (&key)[5], float value, DATA_TYPE type)
{
    H_DATABASE_bUpdateEverythingFloat(FCID(key), value, P_NORMAL, type, nullptr, DB_TIMEOUT_NEVER);
}

// Sends a mail to the menu task and returns once the task has handled it
// (and, mail of one priority being first in, first out, everything the
// test's client calls posted before it).
inline void sendAndWait(GENERIC_MESSAGE* pMail)
{
    ASSERT_EQ(0, L_MBOX_SendWaitTicks(MENU_MAILBOX, &pMail->msghdr, 3, ACK_SEMA, 5000));
}

template <typename MAIL>
MAIL* newMail(CMD_ID cmd)
{
    MAIL* p = static_cast<MAIL*>(H_MEMORY_pvMalloc(sizeof(MAIL)));
    memset(static_cast<void*>(p), 0, sizeof(MAIL));
    p->header.Cmd = cmd;
    return p;
}

inline void command(CMD_ID cmd)
{
    auto* p = static_cast<GENERIC_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(GENERIC_MESSAGE)));
    memset(static_cast<void*>(p), 0, sizeof *p);
    p->Cmd = cmd;
    sendAndWait(p);
    H_MEMORY_vFree(p);
}

// Waits until the task has taken in every mail posted so far.
inline void settle() { command(CMD_ID_INVALID_ID); }

inline bool signalled(SEMA s) { return L_SEMA_WaitTicks(s, 1) == 0; }

// What a key did that the user sees and hears.
struct Response {
    bool good = false;
    bool bad = false;
    bool frame = false;     // semaphore 106
    bool expedited = false; // asked of the view task at once
    bool operator==(const Response&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Response& r)
{
    return os << "{good " << r.good << ", bad " << r.bad << ", frame " << r.frame << ", expedited " << r.expedited
              << "}";
}
constexpr Response GOOD = {true, false, true, true};
constexpr Response BAD = {false, true, true, true};
constexpr Response SILENT = {false, false, true, true};
constexpr Response GOOD_SLIDER = {true, false, true, false};  // a slider frame at the ordinary rate
constexpr Response SILENT_SLIDER = {false, false, true, false};
constexpr Response BAD_SLIDER = {false, true, true, false};
constexpr Response NOTHING = {};

inline void clearSignals()
{
    for (SEMA s : {SEMA_KEYCLICK_GOOD, SEMA_KEYCLICK_BAD, SEMA_VIEW_UPDATE})
        L_SEMA_SetPending(s);
    t_view::s_eExpeditedViewUpdateState = t_view::EVU_DONE;
}

inline Response responseNow()
{
    Response r{signalled(SEMA_KEYCLICK_GOOD), signalled(SEMA_KEYCLICK_BAD), signalled(SEMA_VIEW_UPDATE), false};
    r.expedited = t_view::s_eExpeditedViewUpdateState != t_view::EVU_DONE;
    return r;
}

// One key event as the keyboard task sends it.
inline Response event(U32 key, KEY_STATE state, CURSOR_POSITION cursor = CURSOR_UP, U32 count = 1)
{
    clearSignals();
    auto* p = newMail<MSG_KEY_CHANGE>(CMD_ID_KEY_CHANGE);
    p->key = key;
    p->state = state;
    p->count = count;
    p->cursor = cursor;
    sendAndWait(&p->header);
    H_MEMORY_vFree(p);
    return responseNow();
}
inline Response press(U32 key) { return event(key, KEY_DOWN); }
inline Response cursor(CURSOR_POSITION direction, U32 count = 1)
{
    return event(KEY_CURSOR, KEY_DOWN, direction, count);
}
inline Response release() { return event(KEY_CURSOR, KEY_UP, CURSOR_UP); }
// A whole cursor press, down and up; the response is the press's.
inline Response tap(CURSOR_POSITION direction)
{
    const Response r = cursor(direction);
    release();
    return r;
}

// Past the time east and west wait for after an opening or vertical move.
inline void letSettle() { L_CLOCK_vAdvanceTestClock(600); }

// ---- The neighbours' mailboxes ----

struct Mail {
    CMD_ID cmd;
    std::vector<U8> bytes;
    template <typename MAIL>
    const MAIL& as() const
    {
        return *reinterpret_cast<const MAIL*>(bytes.data());
    }
};

inline size_t mailSize(CMD_ID cmd)
{
    switch (cmd) {
    case CMD_ID_REGISTER_FOR_KEYS:
        return sizeof(MSG_REGISTER_FOR_KEYS);
    case CMD_ID_UNREGISTER_FOR_KEYS:
        return sizeof(MSG_UNREGISTER_FOR_KEYS);
    case CMD_ID_REGISTER_LAYER:
        return sizeof(MSG_REGISTER_LAYER);
    case CMD_ID_UNREGISTER_LAYER:
        return sizeof(MSG_UNREGISTER_LAYER);
    default:
        return sizeof(GENERIC_MESSAGE);
    }
}

inline std::vector<Mail> drain(MBOX mbox)
{
    std::vector<Mail> out;
    while (MSGHEADER* h = L_MBOX_Receive(mbox)) {
        const CMD_ID cmd = reinterpret_cast<GENERIC_MESSAGE*>(h)->Cmd;
        Mail m{cmd, std::vector<U8>(sizeof(MSG_REGISTER_LAYER) + sizeof(MSG_REGISTER_FOR_KEYS))};
        memcpy(m.bytes.data(), h, mailSize(cmd));
        out.push_back(m);
        H_MEMORY_vDumpMail(h);
    }
    return out;
}

// The keyboard mails, one per line: "+mask usage" for a registration,
// "-mask" for a release, masks in hex.
inline std::vector<std::string> keyMails()
{
    std::vector<std::string> out;
    char ac[64];
    for (const Mail& m : drain(KEYBOARD_MAILBOX)) {
        if (m.cmd == CMD_ID_REGISTER_FOR_KEYS) {
            const auto& r = m.as<MSG_REGISTER_FOR_KEYS>();
            snprintf(ac, sizeof ac, "+%X %d", r.keys, (int)r.usage);
        } else if (m.cmd == CMD_ID_UNREGISTER_FOR_KEYS) {
            snprintf(ac, sizeof ac, "-%X", m.as<MSG_UNREGISTER_FOR_KEYS>().keys);
        } else {
            snprintf(ac, sizeof ac, "?%d", (int)m.cmd);
        }
        out.push_back(ac);
    }
    return out;
}

// The view mails: "+layer" for a registration, "-layer" for a removal.
inline std::vector<std::string> layerMails()
{
    std::vector<std::string> out;
    for (const Mail& m : drain(VIEW_MAILBOX)) {
        if (m.cmd == CMD_ID_REGISTER_LAYER)
            out.push_back("+" + std::to_string(m.as<MSG_REGISTER_LAYER>().layer));
        else if (m.cmd == CMD_ID_UNREGISTER_LAYER)
            out.push_back("-" + std::to_string(m.as<MSG_UNREGISTER_LAYER>().layer));
    }
    return out;
}

inline void clearMailboxes()
{
    drain(KEYBOARD_MAILBOX);
    drain(VIEW_MAILBOX);
}

inline bool waitForMail(MBOX mbox, int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (MSGHEADER* h = L_MBOX_Receive(mbox)) {
            L_MBOX_Send(mbox, h, 0, 0); // put it back in front
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// ---- The task ----

inline void world()
{
    static bool made = false;
    if (made)
        return;
    made = true;
    H_DATABASE_vInit();
    U_CONVERT_vInitialiseConversionUtility();
    H_DATABASE_bUpdateEverythingU32(FCID("TVUE"), VIEW_MAILBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingU32(FCID("TKBD"), KEYBOARD_MAILBOX, P_NORMAL, D_MAILBOX, nullptr,
                                    DB_TIMEOUT_NEVER);
    L_MBOX_DefineSema(MENU_MAILBOX, SEMA_MBOX_MENU);
    const TASK_PARAM params = {4098, 98, T_MENU_vMain};
    L_TASK_SetParams(MENU_TASK, &params);
    L_TASK_Start(MENU_TASK);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    U32 u32Mbox = 0;
    while (std::chrono::steady_clock::now() < end &&
           !(H_DATABASE_bFetchU32(FCID("TMNU"), &u32Mbox, nullptr, nullptr) && u32Mbox == MENU_MAILBOX))
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    settle();
}

// Empty menus, no menu open, the view 10 in its full window, the user
// level advanced, and nothing waiting in the neighbours' mailboxes.
inline void fresh()
{
    world();
    settle();
    // An exit timer still running would fire into the next case.
    for (int i = 0; i < 100; ++i) {
        L_MUTEX_LockWait(RES_MENU);
        const bool bHeld = t_menu::bExitHoldRunning();
        L_MUTEX_Unlock(RES_MENU);
        if (!bHeld)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    settle();
    T_MENU_vInit();
    setU32("CMNU", NO_MENU);
    T_MENU_vInstallNeighbours(nullptr);
    setS32("CVEW", 10);
    setS32("CVAS", SPLIT_FULL_WINDOW);
    setU32("CUSR", M_ADVANCED);
    settle();
    clearMailboxes();
    letSettle();
}

class MenuTask : public ::testing::Test {
protected:
    void SetUp() override { fresh(); }
};

} // namespace mt
