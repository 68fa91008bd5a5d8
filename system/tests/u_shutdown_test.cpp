// The orderly shutdown against tasks played by threads of the test: each
// publishes its mailbox under a "T" key and acknowledges the shutdown mail
// after a delay of its own, or never.
#include "system/u_shutdown.h"

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "store/h_database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int SILENT = -1;

struct Told {
    std::string task;
    const void* mail;
    int order;
};

// One task: answers each mail after its delay (ms), or keeps it (SILENT).
class FakeTask {
public:
    FakeTask(const std::string& key, MBOX mbox, int delayMs, std::vector<Told>& log, std::mutex& m,
             std::atomic<int>& counter)
        : key_(key), mbox_(mbox), delayMs_(delayMs), log_(log), m_(m), counter_(counter)
    {
        H_DATABASE_bUpdateEverythingU32(fcid(), (U32)mbox, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
        thread_ = std::thread([this] { run(); });
    }
    ~FakeTask()
    {
        stop_ = true;
        thread_.join();
        H_DATABASE_vDeleteEntry(fcid());
        for (MSGHEADER* h : kept_)
            H_MEMORY_vFree(h);
        while (MSGHEADER* h = L_MBOX_Receive(mbox_))
            H_MEMORY_vDumpMail(h);
    }

private:
    FOURCHARID fcid() const
    {
        return (U32)(U8)key_[0] | (U32)(U8)key_[1] << 8 | (U32)(U8)key_[2] << 16 | (U32)(U8)key_[3] << 24;
    }
    void run()
    {
        while (!stop_) {
            MSGHEADER* h = L_MBOX_ReceiveWaitTicks(mbox_, 20);
            if (!h)
                continue;
            EXPECT_EQ(reinterpret_cast<GENERIC_MESSAGE*>(h)->Cmd, CMD_ID_SHUTDOWN);
            {
                std::lock_guard<std::mutex> lock(m_);
                log_.push_back({key_, h, counter_++});
            }
            if (delayMs_ == SILENT) {
                kept_.push_back(h);
                continue;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs_));
            H_MEMORY_vDumpMail(h);
        }
    }
    std::string key_;
    MBOX mbox_;
    int delayMs_;
    std::vector<Told>& log_;
    std::mutex& m_;
    std::atomic<int>& counter_;
    std::vector<MSGHEADER*> kept_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class Shutdown : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const bool once = (H_DATABASE_vInit(), true);
        (void)once;
    }
    // The tasks by key and delay; mailboxes 30 and up.
    void tasks(const std::vector<std::pair<std::string, int>>& list)
    {
        MBOX mbox = 30;
        for (const auto& [key, delay] : list)
            tasks_.push_back(std::make_unique<FakeTask>(key, mbox++, delay, told_, m_, counter_));
    }
    // Runs the shutdown; its duration in ms.
    long shutdown(std::vector<FOURCHARID> noKill)
    {
        noKill.push_back(0);
        const auto start = Clock::now();
        U_SHUTDOWN_vShutdown(noKill.data());
        const long ms = (long)std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        std::this_thread::sleep_for(std::chrono::milliseconds(50)); // a late mail would show now
        return ms;
    }
    std::vector<std::string> names()
    {
        std::lock_guard<std::mutex> lock(m_);
        std::vector<std::string> out;
        for (const Told& t : told_)
            out.push_back(t.task);
        return out;
    }
    void TearDown() override { tasks_.clear(); }

    std::vector<Told> told_;
    std::mutex m_;
    std::atomic<int> counter_{0};
    std::vector<std::unique_ptr<FakeTask>> tasks_;
};

TEST_F(Shutdown, EveryTaskButTheKeyboardTaskIsToldOnceAndTheSettingsLast)
{
    tasks({{"TAAA", 0}, {"TNVR", 0}, {"TBBB", 0}, {"TKBD", 0}, {"TCCC", 0}});
    shutdown({});
    std::vector<std::string> got = names();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got.back(), "TNVR");
    std::sort(got.begin(), got.end() - 1);
    EXPECT_EQ(got, (std::vector<std::string>{"TAAA", "TBBB", "TCCC", "TNVR"}));
    std::set<const void*> mails;
    for (const Told& t : told_)
        mails.insert(t.mail);
    EXPECT_EQ(mails.size(), 1u) << "one mail serves every task that answers";
}

TEST_F(Shutdown, TheTasksOfTheListAreNotTold)
{
    tasks({{"TAAA", 0}, {"TBBB", 0}, {"TCCC", 0}, {"TKBD", 0}});
    shutdown({FCID("TBBB"), FCID("TCCC")});
    EXPECT_EQ(names(), std::vector<std::string>{"TAAA"});
}

TEST_F(Shutdown, ASilentTaskCosts500MsAndKeepsItsMail)
{
    tasks({{"TAAA", 0}, {"TBBB", SILENT}, {"TCCC", 0}, {"TDDD", 0}, {"TNVR", 0}});
    const long ms = shutdown({});
    EXPECT_GE(ms, 500);
    EXPECT_LT(ms, 1500);

    std::vector<Told> told = told_;
    ASSERT_EQ(told.size(), 5u);
    EXPECT_EQ(told.back().task, "TNVR");
    const auto silent = std::find_if(told.begin(), told.end(), [](const Told& t) { return t.task == "TBBB"; });
    ASSERT_NE(silent, told.end());
    // Up to the silent task one mail, after it another one for all.
    std::set<const void*> before, after;
    for (auto it = told.begin(); it != told.end(); ++it)
        (it <= silent ? before : after).insert(it->mail);
    EXPECT_EQ(before.size(), 1u);
    EXPECT_EQ(after.size(), 1u);
    EXPECT_EQ(after.count(silent->mail), 0u) << "the silent task's mail is not sent again";
}

TEST_F(Shutdown, TheSettingsAreWaitedForWithoutLimit)
{
    tasks({{"TAAA", 0}, {"TNVR", 800}});
    const long ms = shutdown({});
    EXPECT_GE(ms, 800);
    EXPECT_EQ(names(), (std::vector<std::string>{"TAAA", "TNVR"}));
}

TEST_F(Shutdown, WithoutTheNvramTaskItReturnsAfterTheWalk)
{
    tasks({{"TAAA", 0}, {"TBBB", 0}});
    const long ms = shutdown({});
    EXPECT_LT(ms, 400);
    EXPECT_EQ(names().size(), 2u);
}

TEST_F(Shutdown, AKeyNamingNoMailboxIsPassedOver)
{
    H_DATABASE_bUpdateEverythingU32(FCID("TBAD"), 500, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    tasks({{"TAAA", 0}, {"TNVR", 0}});
    const long ms = shutdown({});
    H_DATABASE_vDeleteEntry(FCID("TBAD"));
    EXPECT_LT(ms, 400);
    EXPECT_EQ(names(), (std::vector<std::string>{"TAAA", "TNVR"}));
    EXPECT_EQ(told_[0].mail, told_[1].mail) << "no mail was lost to it";
}

} // namespace
