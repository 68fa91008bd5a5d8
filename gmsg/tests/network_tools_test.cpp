// The tools the service tasks build on the message fabric: destination
// tables, server monitors, the service directory and the alarm-peer mails.
#include "gmsg/u_alarm.h"
#include "gmsg/u_gmsg.h"
#include "gmsg/u_networkdest.h"
#include "gmsg/u_server_monitor.h"
#include "gmsg/u_service_directory.h"
#include "gmsg/tests/gmsg_endpoint.h"
#include "gmsg/tests/gmsg_test_util.h"

#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <string>
#include <vector>

namespace {

GMSG_ADDRESS peer(const char* ip, U32 port, U32 spare = 0)
{
    GMSG_ADDRESS a;
    GMSG_vMakeSocketAddress(&a, inet_addr(ip), port);
    a.uAddr.Socket.u32Unused1 = spare;
    return a;
}

// The taken slots of a table, in slot order, as (port, user data).
std::vector<std::pair<U32, U32>> taken(void* table)
{
    std::vector<std::pair<U32, U32>> out;
    int index = 0;
    U32 data = 0;
    while (const GMSG_ADDRESS* a = U_NETWORKDEST_gapNext(table, &index, &data))
        out.push_back({a->uAddr.Socket.u32Port, data});
    EXPECT_EQ(index, NETWORKDEST_SLOTS);
    return out;
}

using Slots = std::vector<std::pair<U32, U32>>;

// -------------------------------------------------------------- destinations

TEST(NetworkDestinations, AnEntryIsTheAddressWithItsUserData)
{
    void* t = U_NETWORKDEST_pvNew();
    const GMSG_ADDRESS a = peer("10.0.0.1", 100);
    EXPECT_TRUE(U_NETWORKDEST_bRegisterNetworkDestination(t, &a, TRUE, 7));
    EXPECT_TRUE(U_NETWORKDEST_bRegisterNetworkDestination(t, &a, TRUE, 7));
    EXPECT_EQ(taken(t), (Slots{{100, 7}}));
    // The spare words take no part in the comparison.
    const GMSG_ADDRESS spare = peer("10.0.0.1", 100, 99);
    EXPECT_TRUE(U_NETWORKDEST_bRegisterNetworkDestination(t, &spare, TRUE, 7));
    EXPECT_EQ(taken(t), (Slots{{100, 7}}));
    EXPECT_TRUE(U_NETWORKDEST_bRegisterNetworkDestination(t, &a, TRUE, 8));
    EXPECT_EQ(taken(t), (Slots{{100, 7}, {100, 8}}));

    // Removing needs the same user data, or the wildcard, which takes the first.
    EXPECT_FALSE(U_NETWORKDEST_bRegisterNetworkDestination(t, &a, FALSE, 9));
    EXPECT_TRUE(U_NETWORKDEST_bRegisterNetworkDestination(t, &a, FALSE, NETWORKDEST_ANY_USER_DATA));
    EXPECT_EQ(taken(t), (Slots{{100, 8}}));
    EXPECT_TRUE(U_NETWORKDEST_bRegisterNetworkDestination(t, &a, FALSE, 8));
    EXPECT_TRUE(taken(t).empty());
    EXPECT_FALSE(U_NETWORKDEST_bRegisterNetworkDestination(t, &a, FALSE, NETWORKDEST_ANY_USER_DATA));
    U_NETWORKDEST_pvFree(t);
}

TEST(NetworkDestinations, ATwentyFirstDestinationIsRefused)
{
    void* t = U_NETWORKDEST_pvNew();
    for (U32 i = 0; i < NETWORKDEST_SLOTS; ++i) {
        const GMSG_ADDRESS a = peer("10.0.0.1", 1000 + i);
        ASSERT_TRUE(U_NETWORKDEST_bRegisterNetworkDestination(t, &a, TRUE, i));
    }
    const Slots full = taken(t);
    const GMSG_ADDRESS extra = peer("10.0.0.2", 1);
    EXPECT_FALSE(U_NETWORKDEST_bRegisterNetworkDestination(t, &extra, TRUE, 0));
    EXPECT_EQ(taken(t), full);
    // An entry already there is still accepted.
    const GMSG_ADDRESS again = peer("10.0.0.1", 1005);
    EXPECT_TRUE(U_NETWORKDEST_bRegisterNetworkDestination(t, &again, TRUE, 5));
    U_NETWORKDEST_pvFree(t);
}

TEST(NetworkDestinations, IterationAndSearchSeeOnlyTakenSlots)
{
    void* t = U_NETWORKDEST_pvNew();
    for (U32 i = 0; i < 18; ++i) {
        const GMSG_ADDRESS a = peer("10.0.0.1", 2000 + i);
        ASSERT_TRUE(U_NETWORKDEST_bRegisterNetworkDestination(t, &a, TRUE, i));
    }
    for (U32 i = 0; i < 18; ++i) {
        if (i == 3 || i == 17)
            continue;
        const GMSG_ADDRESS a = peer("10.0.0.1", 2000 + i);
        ASSERT_TRUE(U_NETWORKDEST_bRegisterNetworkDestination(t, &a, FALSE, i));
    }
    int index = 0;
    U32 data = 0;
    const GMSG_ADDRESS* first = U_NETWORKDEST_gapNext(t, &index, &data);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->uAddr.Socket.u32Port, 2003u);
    EXPECT_EQ(data, 3u);
    EXPECT_EQ(index, 4);
    const GMSG_ADDRESS* second = U_NETWORKDEST_gapNext(t, &index, &data);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->uAddr.Socket.u32Port, 2017u);
    EXPECT_EQ(index, 18);
    EXPECT_EQ(U_NETWORKDEST_gapNext(t, &index, &data), nullptr);
    EXPECT_EQ(index, NETWORKDEST_SLOTS);

    // The user data of an address, whatever its port; free slots never answer,
    // not even to the address 0 that they hold.
    const GMSG_ADDRESS other = peer("10.0.0.9", 5);
    ASSERT_TRUE(U_NETWORKDEST_bRegisterNetworkDestination(t, &other, TRUE, 42));
    struct {
        const char* ip;
        U32 expected;
    } cases[] = {{"10.0.0.9", 42}, {"10.0.0.1", 3}, {"0.0.0.0", 0xABCD}, {"10.9.9.9", 0xABCD}};
    for (const auto& c : cases) {
        U32 found = 0xABCD;
        U_NETWORKDEST_vFindUserData(t, inet_addr(c.ip), &found);
        EXPECT_EQ(found, c.expected) << c.ip;
    }
    U_NETWORKDEST_pvFree(t);

    // A null table has nothing.
    index = 0;
    EXPECT_EQ(U_NETWORKDEST_gapNext(nullptr, &index, &data), nullptr);
    EXPECT_EQ(index, NETWORKDEST_SLOTS);
    EXPECT_FALSE(U_NETWORKDEST_bRegisterNetworkDestination(nullptr, &other, TRUE, 0));
}

// ------------------------------------------------------------ server monitors

// The monitor table is one per process, so its cases share one test.
TEST(ServerMonitor, SilentServersAreReportedOnceAndHandlesRunOut)
{
    const MBOX client = 30;
    auto takeTimeout = [&]() -> MSG_GMSG_DISCONNECT* {
        return (MSG_GMSG_DISCONNECT*)L_MBOX_Receive(client);
    };
    const SERVER_MOINITOR_HANDLE_TYPE h = U_SERVER_MONITOR_u32Allocate();
    ASSERT_EQ(h, 0);
    const GMSG_ADDRESS server = peer("10.1.2.3", 50688);
    U_SERVER_MONITOR_vSetServerAddress(h, &server);
    U_SERVER_MONITOR_vSetMailbox(h, client);
    U_SERVER_MONITOR_vSetUserName(h, "sonar server");
    U_SERVER_MONITOR_vSetActive(h, TRUE);

    // Inactive monitors and handles never handed out do nothing.
    const SERVER_MOINITOR_HANDLE_TYPE idle = U_SERVER_MONITOR_u32Allocate();
    U_SERVER_MONITOR_vSetMailbox(idle, client);
    U_SERVER_MONITOR_vSetActive(5, TRUE);
    U_SERVER_MONITOR_vSetActive(-1, TRUE);

    // Real time runs on beside the steps, so they stay clear of the edge.
    L_CLOCK_vAdvanceTestClock(59900);
    U_SERVER_MONITOR_vCheckForTimeouts();
    EXPECT_EQ(takeTimeout(), nullptr);
    // A sign of life restarts the silence.
    U_SERVER_MONITOR_vReceivedMessage(h);
    L_CLOCK_vAdvanceTestClock(59900);
    U_SERVER_MONITOR_vCheckForTimeouts();
    EXPECT_EQ(takeTimeout(), nullptr);

    L_CLOCK_vAdvanceTestClock(101);
    gt::LogCapture log;
    U_SERVER_MONITOR_vCheckForTimeouts();
    MSG_GMSG_DISCONNECT* m = takeTimeout();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->Header.Cmd, CMD_ID_SERVER_MONITOR_TIMEOUT);
    EXPECT_EQ(m->Header.msghdr.MsgPriority, GMSG_MAIL_PRIORITY);
    EXPECT_EQ(m->Header.msghdr.sema, 0);
    EXPECT_EQ(m->Mailbox, client);
    EXPECT_TRUE(GMSG_bAddressEqual(&m->Address, &server));
    H_MEMORY_vDumpMail(&m->Header.msghdr);
    EXPECT_EQ(takeTimeout(), nullptr);
    EXPECT_TRUE(log.has("U_SERVER_MONITOR_vCheckForTimeouts: Timeout! pName = sonar server"));
    EXPECT_TRUE(log.has("mtServerMonitorArray[0].u32TimeoutTimeInterval = 60000"));

    // Once reported, quiet until activated again.
    L_CLOCK_vAdvanceTestClock(120000);
    U_SERVER_MONITOR_vCheckForTimeouts();
    EXPECT_EQ(takeTimeout(), nullptr);

    // Silence measured across the wrap of the millisecond counter.
    const U32 nowMs = H_TICK_u32ReadFreeRunningTimerInMilliSeconds();
    L_CLOCK_vAdvanceTestClock((U64)(0xFFFFFFFFu - nowMs) - 500);
    U_SERVER_MONITOR_vSetTimeoutInterval(h, 1000);
    U_SERVER_MONITOR_vSetActive(h, TRUE);
    L_CLOCK_vAdvanceTestClock(1001);
    ASSERT_LT(H_TICK_u32ReadFreeRunningTimerInMilliSeconds(), 1000u);
    U_SERVER_MONITOR_vCheckForTimeouts();
    m = takeTimeout();
    ASSERT_NE(m, nullptr);
    H_MEMORY_vDumpMail(&m->Header.msghdr);

    // Handles 0 to 18, then none.
    std::vector<SERVER_MOINITOR_HANDLE_TYPE> handles;
    for (int i = 0; i < 18; ++i)
        handles.push_back(U_SERVER_MONITOR_u32Allocate());
    EXPECT_EQ(handles[16], 18);
    EXPECT_EQ(handles[17], SERVER_MONITOR_NONE); // the 20th call
}

// ---------------------------------------------------------- service directory

ServiceDirectoryType* directory(std::initializer_list<const char*> items)
{
    ServiceDirectoryType* d = U_SERVICE_DIRECTORY_pNew();
    for (const char* s : items)
        EXPECT_TRUE(U_SERVICE_DIRECTORY_bAddElement(d, U_UTILS_strdup(s)));
    return d;
}

std::vector<std::string> items(const ServiceDirectoryType* d)
{
    std::vector<std::string> out;
    for (U32 i = 0; i < U_SERVICE_DIRECTORY_u32GetNumberOfItems(d); ++i)
        out.push_back(U_SERVICE_DIRECTORY_u32GetItem(d, i));
    return out;
}

using Items = std::vector<std::string>;

TEST(ServiceDirectory, SetDifferenceKeepsTheOrderOfTheFirst)
{
    ServiceDirectoryType* abc = directory({"a", "b", "c"});
    ServiceDirectoryType* b = directory({"b"});
    ServiceDirectoryType* d1 = U_SERVICE_DIRECTORY_pcSetDifference(abc, b);
    ServiceDirectoryType* d2 = U_SERVICE_DIRECTORY_pcSetDifference(b, abc);
    EXPECT_EQ(items(d1), (Items{"a", "c"}));
    ASSERT_NE(d2, nullptr);
    EXPECT_TRUE(items(d2).empty());
    // Copies: freeing the result leaves the operands whole.
    EXPECT_NE(U_SERVICE_DIRECTORY_u32GetItem(d1, 0), U_SERVICE_DIRECTORY_u32GetItem(abc, 0));
    EXPECT_EQ(U_SERVICE_DIRECTORY_pcSetDifference(abc, nullptr), nullptr);
    EXPECT_EQ(U_SERVICE_DIRECTORY_pcSetDifference(nullptr, b), nullptr);
    for (ServiceDirectoryType* d : {abc, b, d1, d2})
        EXPECT_TRUE(U_SERVICE_DIRECTORY_vFree(d));
    EXPECT_FALSE(U_SERVICE_DIRECTORY_vFree(nullptr));
}

TEST(ServiceDirectory, MatchingNarrowsByEveryText)
{
    ServiceDirectoryType* d = directory({"(service=radarMaster),(unit=1)", "(service=sonar),(unit=1)",
                                         "(service=radarMaster),(unit=2)", "(service=radarSlave),(unit=2)"});
    ServiceDirectoryType* radar = U_SERVICE_DIRECTORY_pcFindElementsMatchingAttribute(d, "(service=radarMaster)");
    EXPECT_EQ(items(radar), (Items{"(service=radarMaster),(unit=1)", "(service=radarMaster),(unit=2)"}));
    ServiceDirectoryType* both =
        U_SERVICE_DIRECTORY_pcFindElementsMatchingAttributes(d, "(service=radarMaster)", "(unit=2)", nullptr);
    EXPECT_EQ(items(both), (Items{"(service=radarMaster),(unit=2)"}));
    EXPECT_EQ(U_SERVICE_DIRECTORY_pcFindElementsMatchingAttributes(d, "(service=sonar)", "(unit=2)", nullptr),
              nullptr);
    EXPECT_EQ(U_SERVICE_DIRECTORY_pcFindElementsMatchingAttribute(d, "(service=gps)"), nullptr);
    EXPECT_EQ(U_SERVICE_DIRECTORY_pcFindElementsMatchingAttribute(nullptr, "x"), nullptr);

    EXPECT_TRUE(U_SERVICE_DIRECTORY_pcContainsItem(d, "(service=sonar),(unit=1)"));
    EXPECT_FALSE(U_SERVICE_DIRECTORY_pcContainsItem(d, "(service=sonar)"));
    EXPECT_FALSE(U_SERVICE_DIRECTORY_bRemoveElement(d, "(service=sonar),(unit=1)"));
    EXPECT_EQ(U_SERVICE_DIRECTORY_u32GetNumberOfItems(d), 4u);
    EXPECT_EQ(U_SERVICE_DIRECTORY_u32GetItem(d, 4), nullptr);
    EXPECT_EQ(U_SERVICE_DIRECTORY_u32GetNumberOfItems(nullptr), 0u);
    for (ServiceDirectoryType* x : {d, radar, both})
        U_SERVICE_DIRECTORY_vFree(x);
}

TEST(ServiceDirectory, GrowsPrintsAndGivesEveryBlockBack)
{
    const size_t before = gte::freeBlocks();
    ServiceDirectoryType* d = U_SERVICE_DIRECTORY_pNew();
    {
        gt::LogCapture log;
        U_SERVICE_DIRECTORY_vPrint(d);
        EXPECT_TRUE(log.has("pRealDirectory is EMPTY!"));
    }
    for (int i = 0; i < 70; ++i)
        U_SERVICE_DIRECTORY_bAddElement(d, U_UTILS_strdup(("item" + std::to_string(i)).c_str()));
    EXPECT_EQ(U_SERVICE_DIRECTORY_u32GetNumberOfItems(d), 70u);
    EXPECT_STREQ(U_SERVICE_DIRECTORY_u32GetItem(d, 69), "item69");
    {
        gt::LogCapture log;
        U_SERVICE_DIRECTORY_vPrint(d);
        EXPECT_TRUE(log.has("pRealDirectory->pValueArray[69] = item69"));
    }
    U_SERVICE_DIRECTORY_vFree(d);
    EXPECT_EQ(gte::freeBlocks(), before);
}

TEST(ServiceDirectory, TheGlobalDirectoryIsReplacedWhole)
{
    EXPECT_EQ(U_SERVICE_DIRECTORY_pObtainGobalServiceDirectory(), nullptr);
    EXPECT_EQ(L_MUTEX_GetOwnerTaskID(RES_GLOBAL_SERVICE_DIRECTORY), 0);
    const size_t before = gte::freeBlocks();

    EXPECT_TRUE(U_SERVICE_DIRECTORY_bSetGobalServiceDirectory(directory({"first"})));
    ServiceDirectoryType* g = U_SERVICE_DIRECTORY_pObtainGobalServiceDirectory();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(L_MUTEX_GetOwnerTaskID(RES_GLOBAL_SERVICE_DIRECTORY), TASK_MAINTHREAD);
    ServiceDirectoryType* copy = U_SERVICE_DIRECTORY_pcFindElementsMatchingAttribute(g, "first");
    U_SERVICE_DIRECTORY_vReleaseGobalServiceDirectory(g);
    EXPECT_EQ(L_MUTEX_GetOwnerTaskID(RES_GLOBAL_SERVICE_DIRECTORY), 0);
    EXPECT_EQ(items(copy), (Items{"first"}));
    U_SERVICE_DIRECTORY_vFree(copy);

    // The previous directory goes with its replacement.
    EXPECT_TRUE(U_SERVICE_DIRECTORY_bSetGobalServiceDirectory(directory({"second", "third"})));
    g = U_SERVICE_DIRECTORY_pObtainGobalServiceDirectory();
    EXPECT_EQ(items(g), (Items{"second", "third"}));
    U_SERVICE_DIRECTORY_vReleaseGobalServiceDirectory(g);
    U_SERVICE_DIRECTORY_bSetGobalServiceDirectory(nullptr);
    EXPECT_EQ(gte::freeBlocks(), before);
}

// ---------------------------------------------------------------- alarm peers

// The alarm task stands here as a fake: the test reads its mailbox.
TEST(AlarmPeers, AddAndRemoveAreMailedToTheAlarmTask)
{
    const GMSG_ADDRESS a = peer("10.0.0.5", 1234, 77);
    EXPECT_TRUE(U_ALARM_bAddPeer(a));
    EXPECT_TRUE(U_ALARM_bRemovePeer(a));
    for (BOOLEAN expected : {TRUE, FALSE}) {
        ALARM_NETWORK_PEER_ADD_MSG* m = (ALARM_NETWORK_PEER_ADD_MSG*)L_MBOX_Receive(ALARM_MBOX);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->Header.Cmd, CMD_ID_ALARM_ADD_PEER);
        EXPECT_EQ(m->Header.msghdr.MsgPriority, GMSG_MAIL_PRIORITY);
        EXPECT_EQ(m->Header.msghdr.sema, 0);
        EXPECT_EQ(m->bAdd, expected);
        EXPECT_EQ(memcmp(&m->gmsgAddress, &a, sizeof a), 0);
        H_MEMORY_vDumpMail(&m->Header.msghdr);
    }
    EXPECT_EQ(L_MBOX_Receive(ALARM_MBOX), nullptr);
}

} // namespace
