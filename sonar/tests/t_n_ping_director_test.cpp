// The director: which descriptors go to the processing task, which go
// straight back to the pool, the blank columns of a playback, the samples
// of pings synthesised only for the network, and the lists of network
// clients.
#include "kernel/l_mutex.h"
#include "kernel/l_task.h"
#include "sonar/tests/ping_world.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace ping_test {
namespace {

using namespace t_n_ping;

enum Route { POOL, PROCESS, BLANK };

struct Ping {
    SYSTEM_STATE state = STATE_NORMAL_RUN;
    U32 network = 0; // "ENPM"
    BEAM beam = 1;
    NET_SOURCE_TYPE source = SONAR_SOURCE_2D;
    NETWORK_CLIENT_STATE client = NETWORK_CLIENT_STATE_LOCAL; // of the source
    U32 mss = 0;                                              // "MSSS"
    U32 sideSource = 0;                                       // "YST3"
    bool playedBack = false;
    networkSonarProcessType type = NETWORK_SONAR_PROCESS;
};

class Director : public ::testing::Test {
protected:
    void SetUp() override
    {
        worldWithPool();
        s_bZeroAllPingDataBeforeSending = FALSE;
    }

    // Routes one descriptor from the pool and says where it went.
    Route route(const Ping& p, PING_DESCRIPTOR** pOut = nullptr)
    {
        U_PING_vSetSystemState(p.state);
        s_u32NetworkPingMask = p.network;
        U_PING_vSetNetworkClientState(p.client, (U32)p.source);
        setU32("MSSS", p.mss);
        setU32("YST3", p.sideSource);
        PING_DESCRIPTOR* d = take();
        d->Beam = p.beam;
        d->bIsLocal = FALSE;
        const U32 before = poolCount();
        X_pingDataDirector(p.source, p.playedBack, p.type, d);
        const bool back = poolCount() == before + 1;
        const std::vector<Processed> mails = process();
        U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_LOCAL, (U32)p.source);
        if (pOut)
            *pOut = d;
        if (mails.empty()) {
            EXPECT_TRUE(back);
            return POOL;
        }
        EXPECT_EQ(mails.size(), 1u);
        if (mails[0].cmd == CMD_ID_BLANK_SCROLL_PING) {
            EXPECT_TRUE(back) << "a blank column's descriptor is not kept";
            EXPECT_EQ(mails[0].beam, p.beam);
            return BLANK;
        }
        EXPECT_EQ(mails[0].cmd, CMD_ID_SONAR_PROCESS_PING);
        EXPECT_FALSE(back);
        EXPECT_EQ(mails[0].descriptor, d);
        EXPECT_TRUE(d->bIsLocal) << "a processed ping is marked as this unit's";
        return PROCESS;
    }
};

TEST_F(Director, ProcessesWhatThisUnitShowsAndReturnsTheRest)
{
    const struct {
        const char* what;
        Ping ping;
        Route expected;
    } cases[] = {
        {"a 2D ping", {}, PROCESS},
        {"the low-frequency beam", {.beam = 0}, PROCESS},
        {"2D shown from a server", {.network = 1, .beam = 1}, POOL},
        {"2D from a server leaves the imaging beams", {.network = 1, .beam = 3, .source = SONAR_SOURCE_KV}, PROCESS},
        {"Keelview from a server", {.network = 2, .beam = 2, .source = SONAR_SOURCE_KV}, POOL},
        {"Flankview from a server", {.network = 4, .beam = 3, .source = SONAR_SOURCE_KV}, POOL},
        {"imaging while 2D comes from a server... of 360",
         {.network = 8, .beam = 3, .source = SONAR_SOURCE_KV, .sideSource = 5},
         PROCESS},
        {"the 360 unit is the side source and is shown from a server",
         {.network = 8, .beam = 3, .source = SONAR_SOURCE_KV, .sideSource = 16},
         POOL},
        {"imaging in simulation, whatever is shown from servers",
         {.state = STATE_SIMULATION, .network = 0xE, .beam = 3, .source = SONAR_SOURCE_KV},
         PROCESS},
        {"imaging in the shop", {.state = STATE_POINT_OF_SALE, .network = 6, .beam = 2}, PROCESS},
        {"2D in simulation shown from a server", {.state = STATE_SIMULATION, .network = 1, .beam = 0}, POOL},
        {"the source is connected to a server", {.client = NETWORK_CLIENT_STATE_CONNECTED}, POOL},
        {"connected, but a 360 unit is about", {.client = NETWORK_CLIENT_STATE_CONNECTED, .mss = 1}, PROCESS},
        {"a server registration pending", {.client = NETWORK_CLIENT_STATE_REGISTER}, PROCESS},
        {"a live ping during playback", {.state = STATE_PLAYBACK}, POOL},
        {"a played-back ping", {.state = STATE_PLAYBACK, .playedBack = true}, PROCESS},
        {"a played-back ping, 2D shown from a server", {.state = STATE_PLAYBACK, .network = 1, .playedBack = true},
         PROCESS},
        {"a played-back imaging ping", {.state = STATE_PLAYBACK, .network = 6, .beam = 2, .playedBack = true},
         PROCESS},
        {"a played-back ping of a connected source",
         {.state = STATE_PLAYBACK, .client = NETWORK_CLIENT_STATE_CONNECTED, .playedBack = true},
         PROCESS},
        {"a blank column",
         {.state = STATE_PLAYBACK, .beam = 2, .playedBack = true, .type = NETWORK_SONAR_PROCESS_BLANK},
         BLANK},
        {"a live blank during playback", {.state = STATE_PLAYBACK, .type = NETWORK_SONAR_PROCESS_BLANK}, POOL},
        {"a blank of a connected source",
         {.client = NETWORK_CLIENT_STATE_CONNECTED, .playedBack = true, .type = NETWORK_SONAR_PROCESS_BLANK},
         POOL},
    };
    for (const auto& c : cases)
        EXPECT_EQ(route(c.ping), c.expected) << c.what;
    EXPECT_EQ(poolCount(), PING_DESCRIPTOR_COUNT);
}

TEST_F(Director, ADescriptorWithoutDataIsGiven200kHz)
{
    for (const Ping& p : {Ping{.beam = PING_NO_BEAM}, Ping{.state = STATE_PLAYBACK, .beam = PING_NO_BEAM,
                                                           .playedBack = true}}) {
        PING_DESCRIPTOR* d = nullptr;
        EXPECT_EQ(route(p), PROCESS);
        route(p, &d);
        EXPECT_EQ(d->u32TransmitFrequencyHertz, 200000u);
    }
    PING_DESCRIPTOR* d = nullptr;
    route(Ping{.beam = 1}, &d);
    d->u32TransmitFrequencyHertz = 455000;
    route(Ping{.beam = 1}, &d);
    EXPECT_NE(d->u32TransmitFrequencyHertz, 200000u) << "only a descriptor without a beam is given a frequency";
}

// Pings are synthesised only for network clients outside the demonstration
// states: their samples are cleared, within the sample buffer.
TEST_F(Director, SynthesisedPingsForTheNetworkCarryNoSamples)
{
    const struct {
        bool zero;
        bool playedBack;
        U32 samples;
        U32 cleared;
    } cases[] = {
        {true, false, 1000, 1000},
        {true, false, 60000, PING_MAX_SAMPLES}, // never past the buffer
        {true, true, 1000, 0},
        {false, false, 1000, 0},
    };
    for (const auto& c : cases) {
        s_bZeroAllPingDataBeforeSending = c.zero;
        U_PING_vSetSystemState(c.playedBack ? STATE_PLAYBACK : STATE_NORMAL_RUN);
        PING_DESCRIPTOR* d = take();
        memset(d->pu8RawSonarData, 0x77, PING_MAX_SAMPLES);
        memset(d->pu8TvgdData, 0x55, PING_MAX_SAMPLES);
        d->Beam = 1;
        d->u32NumberOfSamples = c.samples;
        X_pingDataDirector(SONAR_SOURCE_2D, c.playedBack, NETWORK_SONAR_PROCESS, d);
        const std::vector<Processed> mails = process();
        ASSERT_EQ(mails.size(), 1u);
        U32 zeros = 0;
        while (zeros < PING_MAX_SAMPLES && d->pu8RawSonarData[zeros] == 0)
            ++zeros;
        EXPECT_EQ(zeros, c.cleared) << c.samples;
        if (zeros < PING_MAX_SAMPLES) {
            EXPECT_EQ(d->pu8RawSonarData[zeros], 0x77);
        }
        EXPECT_EQ(d->pu8TvgdData[0], 0x55) << "the gain buffer behind the samples is left alone";
    }
    s_bZeroAllPingDataBeforeSending = FALSE;
}

// The processing task may take the blank's column mail at once and find
// the pool short otherwise: the descriptor is back before the mail is sent.
// With the queue full the put waits, and no mail may be seen meanwhile.
TEST_F(Director, ABlankIsBackInThePoolBeforeItsMail)
{
    U_PING_vSetSystemState(STATE_PLAYBACK);
    U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_LOCAL, SONAR_SOURCE_KV);
    PING_DESCRIPTOR extra{};
    extra.Beam = 3;
    ASSERT_EQ(poolCount(), PING_DESCRIPTOR_COUNT);
    std::atomic<bool> done{false};
    std::thread director([&] {
        X_pingDataDirector(SONAR_SOURCE_KV, TRUE, NETWORK_SONAR_PROCESS_BLANK, &extra);
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(done.load());
    EXPECT_EQ(L_MBOX_Receive(PROCESS_MAILBOX), nullptr) << "the mail went before the descriptor";
    PING_DESCRIPTOR* p = take();
    director.join();
    const std::vector<Processed> mails = process();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].cmd, CMD_ID_BLANK_SCROLL_PING);
    EXPECT_EQ(mails[0].beam, 3);
    PING_DESCRIPTOR* back = nullptr;
    for (U32 i = 0; i < PING_DESCRIPTOR_COUNT; ++i) {
        ASSERT_EQ(L_QUEUE_Get(Q_PING, &back), 0);
        if (back == &extra)
            break;
        L_QUEUE_Put(Q_PING, &back);
    }
    EXPECT_EQ(back, &extra);
    L_QUEUE_Put(Q_PING, &p);
}

TEST(ClientLists, EachAddressOnceInOrderOfArrival)
{
    world();
    auto contents = [](sonarRegisteredClientNode* head) {
        std::vector<U32> out;
        for (; head; head = head->next)
            out.push_back(head->u32ClientAddress);
        return out;
    };
    sonarRegisteredClientNode*& list = sonarSourcesArray[SONAR_SOURCE_FV];
    EXPECT_FALSE(T_N_PING_bCheckActiveClientList(SONAR_SOURCE_FV));
    U_PING_vDeleteClientNode(&list, 7); // empty: nothing happens
    U_PING_vAddClientNode(&list, 7);
    U_PING_vAddClientNode(&list, 7);
    EXPECT_EQ(contents(list), (std::vector<U32>{7}));
    U_PING_vAddClientNode(&list, 9);
    U_PING_vAddClientNode(&list, 8);
    U_PING_vAddClientNode(&list, 9);
    EXPECT_EQ(contents(list), (std::vector<U32>{7, 9, 8}));
    EXPECT_TRUE(T_N_PING_bCheckActiveClientList(SONAR_SOURCE_FV));
    EXPECT_FALSE(T_N_PING_bCheckActiveClientList(SONAR_SOURCE_2D));
    EXPECT_FALSE(T_N_PING_bCheckActiveClientList(7));
    U_PING_vDeleteClientNode(&list, 5); // absent
    U_PING_vDeleteClientNode(&list, 9);
    EXPECT_EQ(contents(list), (std::vector<U32>{7, 8}));
    U_PING_vDeleteClientNode(&list, 7);
    EXPECT_EQ(contents(list), (std::vector<U32>{8}));
    U_PING_vAddClientNode(&sonarSourcesArray[SONAR_SOURCE_2D], 8);
    T_N_PING_bRemoveAllClients();
    for (sonarRegisteredClientNode* head : sonarSourcesArray)
        EXPECT_EQ(head, nullptr);
    EXPECT_FALSE(T_N_PING_bCheckActiveClientList(SONAR_SOURCE_FV));
}

// The history task asks for and changes the lists without mutex 100 while
// the ping task walks them under it: each operation takes the lock itself,
// so no walk sees a node being freed or linked.
std::atomic<bool> s_bStopChanging{false};
std::atomic<U32> s_u32Changes{0};
std::atomic<bool> s_bChangesDone{false};

void vChangeClients(void)
{
    sonarRegisteredClientNode** ppList = &sonarSourcesArray[SONAR_SOURCE_2D];
    for (U32 i = 0; !s_bStopChanging; ++i) {
        U_PING_vAddClientNode(ppList, 100 + i % 16);
        U_PING_vDeleteClientNode(ppList, 100 + (i * 7) % 16);
        T_N_PING_bCheckActiveClientList(SONAR_SOURCE_2D);
        s_u32Changes++;
    }
    s_bChangesDone = true;
}

TEST(ClientLists, ChangesFromAnotherTaskKeepTheListWhole)
{
    world();
    constexpr TASK HISTORY_TASK = 30;
    const TASK_PARAM params = {2048, 100, vChangeClients};
    ASSERT_EQ(L_TASK_SetParams(HISTORY_TASK, &params), 0);
    ASSERT_EQ(L_TASK_Start(HISTORY_TASK), 0);
    sonarRegisteredClientNode* const& list = sonarSourcesArray[SONAR_SOURCE_2D];
    for (int walk = 0; walk < 2000 || s_u32Changes < 100; ++walk) {
        L_MUTEX_LockWait(RES_SONAR_SHARE);
        U32 seen = 0, nodes = 0;
        for (const sonarRegisteredClientNode* p = list; p; p = p->next, ++nodes) {
            ASSERT_GE(p->u32ClientAddress, 100u);
            ASSERT_LT(p->u32ClientAddress, 116u);
            const U32 bit = 1u << (p->u32ClientAddress - 100);
            EXPECT_EQ(seen & bit, 0u) << "an address twice";
            seen |= bit;
        }
        EXPECT_LE(nodes, 16u);
        L_MUTEX_Unlock(RES_SONAR_SHARE);
        std::this_thread::yield();
    }
    s_bStopChanging = true;
    while (!s_bChangesDone)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    T_N_PING_bRemoveAllClients();
    EXPECT_EQ(list, nullptr);
}

} // namespace
} // namespace ping_test
