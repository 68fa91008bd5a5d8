// The ping task's world in a test process: the unit root, the data store,
// the unit conversion and the descriptor pool. Most tests play the ping
// task themselves: they set the task's state, hand it key changes as its
// mailbox would, run its steps in the test thread and act as the
// processing task by draining mailbox 9. The tests that run task 12 itself
// start it once; each test runs in a process of its own.
#pragma once

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_queue.h"
#include "kernel/l_sema.h"
#include "sonar/ping/t_n_ping.h"
#include "sonar/ping/t_n_ping_state.h"
#include "sonar/tests/sonar_root.h"
#include "store/h_database.h"
#include "util/u_convert.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

namespace ping_test {

inline void world()
{
    static const bool ready = [] {
        sonar_test::unitRoot();
        H_DATABASE_vInit();
        U_CONVERT_vInitialiseConversionUtility();
        return true;
    }();
    (void)ready;
}

// The world and queue 9 with its 24 descriptors.
inline void worldWithPool()
{
    world();
    static const bool ready = [] {
        t_n_ping::vInitialisePingDescriptorQueue();
        return true;
    }();
    (void)ready;
}

inline void setU32(const char (&key)[5], U32 value)
{
    H_DATABASE_bUpdateEverythingU32(FCID(key), value, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

inline void setFloat(const char (&key)[5], float value)
{
    H_DATABASE_bUpdateEverythingFloat(FCID(key), value, P_NORMAL, D_DEPTH, nullptr, DB_TIMEOUT_NEVER);
}

inline void forget(const char (&key)[5]) { H_DATABASE_vDeleteEntry(FCID(key)); }

inline bool has(const char (&key)[5]) { return H_DATABASE_bFetch(FCID(key), nullptr, nullptr, nullptr) != FALSE; }

inline U32 u32(const char (&key)[5], U32 absent = 0xDEADBEEF)
{
    U32 value = absent;
    H_DATABASE_bFetchU32(FCID(key), &value, nullptr, nullptr);
    return value;
}

// A key change as the ping task's mailbox delivers it: stored, then handled.
inline void apply(const char (&key)[5], U32 value)
{
    setU32(key, value);
    t_n_ping::vHandleNewData(FCID(key), value);
}

inline void applyFloat(const char (&key)[5], float value)
{
    setFloat(key, value);
    t_n_ping::vHandleNewData(FCID(key), std::bit_cast<U32>(value));
}

// One mail that arrived in the processing task's mailbox.
struct Processed {
    CMD_ID cmd;
    PING_DESCRIPTOR* descriptor; // command 4
    BEAM beam;                   // command 6
    U32 mode;                    // command 8
};

// Empties mailbox 9, putting every descriptor mailed for processing back
// into the pool as the processing task would.
inline std::vector<Processed> process()
{
    std::vector<Processed> out;
    while (MSGHEADER* pMail = L_MBOX_Receive(PROCESS_MAILBOX)) {
        const GENERIC_MESSAGE* pGeneric = (const GENERIC_MESSAGE*)pMail;
        Processed p{pGeneric->Cmd, nullptr, 0, 0};
        if (p.cmd == CMD_ID_SONAR_PROCESS_PING) {
            p.descriptor = ((PING_MESSAGE*)pMail)->pReturnDescriptor;
            L_QUEUE_Put(Q_PING, &p.descriptor);
        } else if (p.cmd == CMD_ID_BLANK_SCROLL_PING) {
            p.beam = ((MSG_BLANK_SCROLL_PING*)pMail)->Beam;
        } else if (p.cmd == CMD_ID_NEW_PLAYBACK_STATE) {
            p.mode = ((MSG_NEW_PLAYBACK_STATE*)pMail)->u32NewPlaybackState;
        }
        H_MEMORY_vFree(pMail);
        out.push_back(p);
    }
    return out;
}

// Whether semaphore 126 was signalled since the last look; clears it.
inline bool descriptorPut() { return L_SEMA_WaitTicks(SEMA_PING_QNE, 0) == 0; }

inline U32 poolCount() { return (U32)L_QUEUE_Inquire(Q_PING); }

inline PING_DESCRIPTOR* take()
{
    PING_DESCRIPTOR* p = nullptr;
    EXPECT_EQ(L_QUEUE_Get(Q_PING, &p), 0);
    return p;
}

// Log lines written while the object lives.
class LogCapture {
public:
    LogCapture() { testing::internal::CaptureStdout(); }
    ~LogCapture()
    {
        if (!taken_)
            testing::internal::GetCapturedStdout();
    }
    std::string text()
    {
        if (!taken_) {
            fflush(stdout);
            text_ = testing::internal::GetCapturedStdout();
            taken_ = true;
        }
        return text_;
    }

private:
    bool taken_ = false;
    std::string text_;
};

} // namespace ping_test
