// A fresh data store per test, a stepped kernel clock, and the change mails
// that reached a mailbox.
#pragma once

#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "store/h_database.h"

#include <gtest/gtest.h>

#include <vector>

namespace store_test {

struct Mail {
    FOURCHARID id;
    U32 value;
    BOOLEAN valid;
    bool operator==(const Mail&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Mail& m)
{
    return os << "{" << std::string(reinterpret_cast<const char*>(&m.id), 4) << " " << m.value << " "
              << (m.valid ? "valid" : "invalid") << "}";
}

// Takes every mail out of the mailbox, frees it and returns the change mails.
inline std::vector<Mail> drain(MBOX mbox)
{
    std::vector<Mail> out;
    while (MSGHEADER* h = L_MBOX_Receive(mbox)) {
        auto* m = reinterpret_cast<MESSAGE_NEW_DATA*>(h);
        EXPECT_EQ(m->Header.Cmd, CMD_ID_NEW_DATA);
        EXPECT_EQ(h->sema, 0);
        EXPECT_EQ(h->MsgPriority, DATABASE_PRIORITY);
        out.push_back(Mail{m->FourCharId, m->dbValue.u32Val, m->bValid});
        H_MEMORY_vFree(m);
    }
    return out;
}

// Mailboxes the tests subscribe; none of them has a task here.
constexpr MBOX MB_A = 20, MB_B = 21, MB_C = 22, MB_D = 23;

class Store : public ::testing::Test {
protected:
    void SetUp() override
    {
        L_CLOCK_vResetTestClock();
        H_DATABASE_vInit();
        for (MBOX m = 1; m <= nmboxes; ++m)
            drain(m);
    }
    void TearDown() override
    {
        for (MBOX m = 1; m <= nmboxes; ++m)
            drain(m);
        L_CLOCK_vResetTestClock();
    }
    // Real time runs on under the stepped clock, so a check just below a
    // time-out keeps a margin for the time the test itself takes.
    static void advanceSeconds(double s) { L_CLOCK_vAdvanceTestClock((U64)(s * 1000)); }
    static U32 fetchU32(FOURCHARID id, BOOLEAN* pbValid = nullptr)
    {
        U32 v = 0xDEADBEEF;
        EXPECT_TRUE(H_DATABASE_bFetchU32(id, &v, pbValid, nullptr));
        return v;
    }
};

} // namespace store_test
