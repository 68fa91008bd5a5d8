// Task 12 itself: its start, its mailbox after a shutdown, and the pool
// under a storm of pings, setting changes, played-back pings and returns
// from several threads.
#include "kernel/l_mutex.h"
#include "kernel/l_task.h"
#include "sonar/tests/ping_world.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <random>
#include <set>
#include <thread>

namespace ping_test {
namespace {

using namespace t_n_ping;

using std::chrono::milliseconds;

constexpr SEMA ACK_SEMA = 151; // the test's acknowledgements

template <typename F>
bool waitFor(F&& condition, int ms = 5000)
{
    const auto end = std::chrono::steady_clock::now() + milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(milliseconds(1));
    }
    return false;
}

// The unit as the start-up task leaves it: a transducer found, the system
// state decided, this unit's id; then task 12 runs until the history task
// has published its mailbox, and is told the system runs.
void startTask(SYSTEM_STATE state, U32 transducer)
{
    world();
    setU32("SMAC", 0x00C0FE);
    setU32("ITXD", 1);
    setU32("SSTS", transducer);
    setU32("SSES", S_TRANSDUCER_u32GetSonarSources((U8)transducer));
    setU32("CCST", state);
    L_MBOX_DefineSema(PING_MAILBOX, SEMA_MBOX_PING);
    const TASK_PARAM params = {2048, 100, T_N_PING_vMain};
    ASSERT_EQ(L_TASK_SetParams(PING_TASK, &params), 0);
    ASSERT_EQ(L_TASK_Start(PING_TASK), 0);
    ASSERT_TRUE(waitFor([] { return u32("TPNG") == PING_MAILBOX && poolCount() == PING_DESCRIPTOR_COUNT; }));
    setU32("TSMG", 31);
    auto* pRun = (GENERIC_MESSAGE*)H_MEMORY_pvMalloc(sizeof(GENERIC_MESSAGE));
    *pRun = GENERIC_MESSAGE{};
    pRun->Cmd = CMD_ID_RUN_SYSTEM;
    ASSERT_EQ(L_MBOX_SendWaitTicks(PING_MAILBOX, &pRun->msghdr, PING_MAIL_PRIORITY, ACK_SEMA, 5000), 0);
    H_MEMORY_vFree(pRun);
}

// A mail to task 12 that returns once the task has handled it, and with it
// every mail queued before; false when the task did not answer in time
// (the mail is then left to it).
bool send(CMD_ID cmd, FOURCHARID key = 0, U32 value = 0)
{
    auto* pMail = (MESSAGE_NEW_DATA*)H_MEMORY_pvMalloc(sizeof(MESSAGE_NEW_DATA));
    *pMail = MESSAGE_NEW_DATA{};
    pMail->Header.Cmd = cmd;
    pMail->FourCharId = key;
    pMail->dbValue.u32Val = value;
    pMail->bValid = TRUE;
    if (L_MBOX_SendWaitTicks(PING_MAILBOX, &pMail->Header.msghdr, PING_MAIL_PRIORITY, ACK_SEMA, 5000) != 0)
        return false;
    H_MEMORY_vFree(pMail);
    return true;
}

// ---- Many threads at the pool ----

// Who holds which descriptor outside the queue, as far as the test's own
// threads can tell; a descriptor taken twice is a fault.
class Holdings {
public:
    void take(PING_DESCRIPTOR* p)
    {
        std::lock_guard<std::mutex> g(lock_);
        if (!held_.insert(p).second)
            ++faults_;
    }
    void give(PING_DESCRIPTOR* p)
    {
        std::lock_guard<std::mutex> g(lock_);
        held_.erase(p);
    }
    size_t held()
    {
        std::lock_guard<std::mutex> g(lock_);
        return held_.size();
    }
    int faults()
    {
        std::lock_guard<std::mutex> g(lock_);
        return faults_;
    }

private:
    std::mutex lock_;
    std::set<PING_DESCRIPTOR*> held_;
    int faults_ = 0;
};

// The processing task: one thread takes the mails of mailbox 9 and hands
// each descriptor to one of three workers, which return it a little later.
class Processing {
public:
    explicit Processing(Holdings& h) : holdings_(h)
    {
        receiver_ = std::thread([this] { receive(); });
        for (int i = 0; i < 3; ++i)
            workers_.emplace_back([this, i] { work((unsigned)i); });
    }
    ~Processing() { stop(); }
    void stop()
    {
        stop_ = true;
        cv_.notify_all();
        if (receiver_.joinable())
            receiver_.join();
        for (std::thread& w : workers_)
            if (w.joinable())
                w.join();
    }
    bool idle()
    {
        std::lock_guard<std::mutex> g(lock_);
        return pending_.empty() && busy_ == 0;
    }
    U32 pings() const { return pings_; }

private:
    void receive()
    {
        while (!stop_) {
            MSGHEADER* pMail = L_MBOX_ReceiveWaitTicks(PROCESS_MAILBOX, 5);
            if (!pMail)
                continue;
            const GENERIC_MESSAGE* pGeneric = (const GENERIC_MESSAGE*)pMail;
            if (pGeneric->Cmd == CMD_ID_SONAR_PROCESS_PING) {
                PING_DESCRIPTOR* p = ((PING_MESSAGE*)pMail)->pReturnDescriptor;
                holdings_.take(p);
                EXPECT_TRUE(p->bIsLocal);
                std::lock_guard<std::mutex> g(lock_);
                pending_.push_back(p);
                cv_.notify_one();
            }
            H_MEMORY_vFree(pMail);
        }
    }
    void work(unsigned seed)
    {
        std::mt19937 random(seed);
        for (;;) {
            PING_DESCRIPTOR* p = nullptr;
            {
                std::unique_lock<std::mutex> g(lock_);
                cv_.wait(g, [this] { return stop_ || !pending_.empty(); });
                if (pending_.empty())
                    return;
                p = pending_.front();
                pending_.pop_front();
                ++busy_;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 1500));
            holdings_.give(p);
            ++pings_;
            EXPECT_EQ(L_QUEUE_Put(Q_PING, &p), 0);
            std::lock_guard<std::mutex> g(lock_);
            --busy_;
        }
    }

    Holdings& holdings_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::condition_variable cv_;
    std::deque<PING_DESCRIPTOR*> pending_;
    int busy_ = 0;
    std::atomic<U32> pings_{0};
    std::thread receiver_;
    std::vector<std::thread> workers_;
};

TEST(PingTask, AfterShutdownNewDataIsDiscardedWithoutNetworkTraffic)
{
    Holdings holdings;
    Processing processing(holdings);
    startTask(STATE_NORMAL_RUN, 1);
    EXPECT_EQ(U_PING_eGetSystemState(), STATE_NORMAL_RUN);
    EXPECT_EQ(u32("ELPM"), 0x1u) << "2D switched to the local transducer at start";

    ASSERT_TRUE(send(CMD_ID_NEW_DATA, FCID("SSTP"), 2));
    EXPECT_EQ(s_u32TransmitPower, 2u) << "new data is handled while the task runs";
    U_PING_vAddClientNode(&sonarSourcesArray[SONAR_SOURCE_2D], 0xC0000214);

    ASSERT_TRUE(send(CMD_ID_SHUTDOWN));
    EXPECT_FALSE(T_N_PING_bCheckActiveClientList(SONAR_SOURCE_2D)) << "every client dropped";
    const PING_CYCLE_RECORD pingsBefore = tCycleRecordForTests();

    ASSERT_TRUE(send(CMD_ID_NEW_DATA, FCID("SSTP"), 3));
    setU32("ELPM", 0x3); // a followed key: its change mail is discarded too
    ASSERT_TRUE(send(CMD_ID_NEW_DATA, FCID("SSTC"), 9));
    EXPECT_EQ(s_u32TransmitPower, 2u);
    EXPECT_EQ(s_u32TransmitCycles, 0u);
    EXPECT_EQ(s_u32LocalPingMask, 0x1u);

    // A returned descriptor no longer wakes a ping.
    PING_DESCRIPTOR* p = nullptr;
    ASSERT_EQ(L_QUEUE_GetWaitTicks(Q_PING, &p, 1000), 0);
    L_QUEUE_Put(Q_PING, &p);
    std::this_thread::sleep_for(milliseconds(50));
    const PING_CYCLE_RECORD pingsAfter = tCycleRecordForTests();
    for (int c = 0; c < PING_CYCLE_COUNT; ++c)
        EXPECT_EQ(pingsAfter.au32Pings[c], pingsBefore.au32Pings[c]);
}

// A fresh unit started in simulation: the state arrives before any
// transducer is stored (the history task stores the simulated one a little
// later), so the switch to the local transducer that comes with the state
// finds none. Once the transducer is stored, 2D and Keelview are shown from
// it and pings reach the processing task.
TEST(PingTask, AFreshUnitInSimulationPingsOnceItsTransducerIsStored)
{
    Holdings holdings;
    Processing processing(holdings);
    world();
    setU32("SMAC", 0x00C0FE);
    setU32("ITXD", 0xFFFFFFFF); // not decided yet
    setU32("CCST", STATE_STARTUP);
    L_MBOX_DefineSema(PING_MAILBOX, SEMA_MBOX_PING);
    const TASK_PARAM params = {2048, 100, T_N_PING_vMain};
    ASSERT_EQ(L_TASK_SetParams(PING_TASK, &params), 0);
    ASSERT_EQ(L_TASK_Start(PING_TASK), 0);
    ASSERT_TRUE(waitFor([] { return u32("TPNG") == PING_MAILBOX && poolCount() == PING_DESCRIPTOR_COUNT; }));
    setU32("TSMG", 31);
    ASSERT_TRUE(send(CMD_ID_RUN_SYSTEM));

    setU32("CCST", STATE_SIMULATION);
    ASSERT_TRUE(waitFor([] { return u32("ITXD") == 1u; })) << "the state is handled";
    ASSERT_TRUE(send(CMD_ID_NEW_DATA, FCID("SSTP"), 0)); // and every mail before it
    EXPECT_NE(U_PING_eGetNetworkClientState(SONAR_SOURCE_2D), NETWORK_CLIENT_STATE_LOCAL) << "no transducer yet";
    EXPECT_EQ(processing.pings(), 0u);

    setU32("SSTS", 15);
    EXPECT_TRUE(waitFor([] { return u32("ELPM") == 0x3u; })) << u32("ELPM");
    EXPECT_TRUE(waitFor([] {
        return U_PING_eGetNetworkClientState(SONAR_SOURCE_2D) == NETWORK_CLIENT_STATE_LOCAL &&
               U_PING_eGetNetworkClientState(SONAR_SOURCE_KV) == NETWORK_CLIENT_STATE_LOCAL;
    }));
    EXPECT_EQ(u32("YST1"), 15u);
    EXPECT_EQ(u32("YST2"), 15u);
    EXPECT_TRUE(waitFor([&] { return processing.pings() >= 10; }, 10000)) << processing.pings();

    ASSERT_TRUE(send(CMD_ID_SHUTDOWN));
    ASSERT_TRUE(waitFor([&] { return poolCount() == PING_DESCRIPTOR_COUNT && processing.idle(); }));
    processing.stop();
    EXPECT_EQ(holdings.faults(), 0);
}

// The history task reads and changes the client lists meanwhile, taking
// mutex 100 against the ping task.
std::atomic<bool> s_bStopClients{false};
std::atomic<bool> s_bClientsDone{false};

void vHistoryTaskAtTheClientLists(void)
{
    std::mt19937 random(77);
    while (!s_bStopClients) {
        const U32 source = random() % SONAR_SOURCE_COUNT;
        if (random() % 2)
            U_PING_vAddClientNode(&sonarSourcesArray[source], 0xC0000200 + random() % 4);
        else
            U_PING_vDeleteClientNode(&sonarSourcesArray[source], 0xC0000200 + random() % 4);
        T_N_PING_bCheckActiveClientList(source);
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    s_bClientsDone = true;
}

TEST(PingTask, TwentyFourDescriptorsStayInCirculation)
{
    Holdings holdings;
    Processing processing(holdings);
    startTask(STATE_SIMULATION, 15);
    constexpr TASK HISTORY_TASK = 30;
    const TASK_PARAM history = {2048, 100, vHistoryTaskAtTheClientLists};
    ASSERT_EQ(L_TASK_SetParams(HISTORY_TASK, &history), 0);
    ASSERT_EQ(L_TASK_Start(HISTORY_TASK), 0);
    std::mt19937 random(4242);
    auto pick = [&](std::initializer_list<U32> values) { return *(values.begin() + random() % values.size()); };

    const auto end = std::chrono::steady_clock::now() + milliseconds(1500);
    U32 playedBack = 0, operations = 0;
    while (std::chrono::steady_clock::now() < end || operations < 200) {
        ++operations;
        switch (random() % 7) {
        case 0:
            setU32("ENPM", random() % 16);
            break;
        case 1:
            setU32(random() % 2 ? "ELPM" : "ECPM", random() % 16);
            break;
        case 2:
            H_DATABASE_bUpdateValueBoolean(FCID("SSEN"), (BOOLEAN)(random() % 4 != 0), P_NORMAL);
            break;
        case 3:
            setU32("SSTS", pick({1, 5, 15, 16, 3, 17}));
            break;
        case 4:
            setU32("CCST", pick({STATE_NORMAL_RUN, STATE_SIMULATION, STATE_POINT_OF_SALE, STATE_PLAYBACK}));
            setU32("CPSP", random() % 17);
            break;
        case 5: {
            // The playback task's road through the director.
            PING_DESCRIPTOR* p = nullptr;
            if (L_QUEUE_GetWaitTicks(Q_PING, &p, 5) != 0)
                break;
            holdings.take(p);
            p->Beam = (BEAM)pick({0, 1, 2, 3, PING_NO_BEAM});
            p->u32NumberOfSamples = random() % 2000;
            holdings.give(p);
            X_pingDataDirector(p->Beam >= 2 && p->Beam <= 3 ? SONAR_SOURCE_KV : SONAR_SOURCE_2D, random() % 4 != 0,
                               random() % 5 ? NETWORK_SONAR_PROCESS : NETWORK_SONAR_PROCESS_BLANK, p);
            ++playedBack;
            break;
        }
        default:
            std::this_thread::sleep_for(milliseconds(1));
            break;
        }
    }

    // Settle: the task stops pinging, the processing task hands back what it holds.
    ASSERT_TRUE(send(CMD_ID_SHUTDOWN)) << "task 12 is stuck; descriptors in the pool: " << poolCount();
    s_bStopClients = true;
    ASSERT_TRUE(waitFor([] { return s_bClientsDone.load(); }));
    ASSERT_TRUE(waitFor([&] { return poolCount() == PING_DESCRIPTOR_COUNT && processing.idle(); }))
        << "descriptors missing: " << PING_DESCRIPTOR_COUNT - poolCount();
    processing.stop();

    EXPECT_EQ(holdings.faults(), 0) << "a descriptor was handed out twice";
    EXPECT_GT(processing.pings(), 20u) << "the pool hardly moved";
    EXPECT_GT(playedBack, 0u);
    ASSERT_EQ(poolCount(), PING_DESCRIPTOR_COUNT);
    std::set<PING_DESCRIPTOR*> distinct;
    for (U32 i = 0; i < PING_DESCRIPTOR_COUNT; ++i) {
        PING_DESCRIPTOR* p = nullptr;
        ASSERT_EQ(L_QUEUE_Get(Q_PING, &p), 0);
        distinct.insert(p);
    }
    EXPECT_EQ(distinct.size(), PING_DESCRIPTOR_COUNT);
    for (PING_DESCRIPTOR* p : distinct)
        L_QUEUE_Put(Q_PING, &p);
}

} // namespace
} // namespace ping_test
