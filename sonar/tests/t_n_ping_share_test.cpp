// Sonar sharing in one process: the server's table of clients (lists per
// source, settings kept in step, depths, dropping a client after a run of
// failed sends) and the client's states (switching to a server, completing
// the connection, losing the server, pings without a free descriptor).
//
// There is no message fabric here, so every send fails: a client's count
// of failed sends shows which clients a change was sent to.
#include "gmsg/t_net_standins.h"
#include "gmsg/u_networkdest.h"
#include "gmsg/u_server_monitor.h"
#include "kernel/l_clock.h"
#include "sonar/history/t_n_history.h"
#include "sonar/ping/t_n_ping_codec.h"
#include "sonar/ping/t_n_ping_cycles.h"
#include "sonar/ping/t_n_ping_server.h"
#include "sonar/tests/ping_world.h"

#include <chrono>
#include <cmath>

namespace ping_test {
namespace {

using namespace t_n_ping;

constexpr U32 CLIENT_A = 0x0A01A8C0; // 192.168.1.10
constexpr U32 CLIENT_B = 0x0B01A8C0; // 192.168.1.11
constexpr U32 SERVER = 0x1401A8C0;   // 192.168.1.20

BOOLEAN domestic() { return TRUE; }
BOOLEAN international() { return FALSE; }

template <typename MAIL>
std::vector<MAIL> drain(MBOX mbox, CMD_ID cmd)
{
    std::vector<MAIL> out;
    while (MSGHEADER* p = L_MBOX_Receive(mbox)) {
        if (((GENERIC_MESSAGE*)p)->Cmd == cmd)
            out.push_back(*(MAIL*)p);
        H_MEMORY_vFree(p);
    }
    return out;
}

class Share : public ::testing::Test {
protected:
    void SetUp() override
    {
        worldWithPool();
        if (s_pvNetworkDestinations.load() == nullptr)
            s_pvNetworkDestinations = U_NETWORKDEST_pvNew();
        T_N_PING_bRemoveAllClients();
        setU32("ELPM", 0);
        setU32("ENPM", 0);
        setU32("ECPM", 0);
        setU32("SMAC", 0x21);
        U_PING_vInitServerAddress();
        for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s)
            U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_LOCAL, s);
        drain<GENERIC_MESSAGE>(SLP_CLIENT_MAILBOX, CMD_ID_COUNT);
        drain<GENERIC_MESSAGE>(PING_MAILBOX, CMD_ID_COUNT);
        T_N_HISTORY_vInstallDomesticModelQuery(international);
    }

    GMSG_INFO from(U32 ip, void* payload)
    {
        header_ = GMSG_HEADER{};
        GMSG_vMakeSocketAddress(&header_.SrcAddress, ip, 50688);
        GMSG_INFO info{};
        info.pMsgHeader = &header_;
        info.pStructMsg = payload;
        info.bReceived = TRUE;
        return info;
    }
    void request(U32 ip, U32 flag, U32 source)
    {
        sonarRequestDataType r{flag, 55000, source};
        GMSG_INFO info = from(ip, &r);
        T_N_PING_bHandleNewDataRequest(PING_MAILBOX, &info, nullptr, nullptr);
    }
    void change(U32 ip, const char (&key)[5], U32 value, U32 advise)
    {
        controlChangeType c{FCID(key), value, advise};
        GMSG_INFO info = from(ip, &c);
        T_N_PING_bHandleControlChangeRecieve(PING_MAILBOX, &info, nullptr, nullptr);
    }
    static U32 errors(U32 ip)
    {
        const perClientDataType* p = T_N_PING_pGetClientData(ip);
        return p ? p->u32SendConsecutiveErrorCount : 0xFFFFFFFF;
    }
    static void clearErrors()
    {
        for (U32 ip : {CLIENT_A, CLIENT_B})
            if (perClientDataType* p = T_N_PING_pGetClientData(ip))
                p->u32SendConsecutiveErrorCount = 0;
    }
    static bool listed(U32 s, U32 ip)
    {
        for (const sonarRegisteredClientNode* p = sonarSourcesArray[s]; p; p = p->next)
            if (p->u32ClientAddress == ip)
                return true;
        return false;
    }
    static void serve(U32 s, NETWORK_CLIENT_STATE state)
    {
        GMSG_ADDRESS server;
        GMSG_vMakeSocketAddress(&server, SERVER, 50688);
        U_PING_vSetServerAddress(&server, s);
        U_PING_vSetNetworkClientState(state, s);
        setU32("ENPM", u32("ENPM") | (1u << s));
    }

    GMSG_HEADER header_{};
};

// ---- Server side ----

TEST_F(Share, AnImagingClientJoinsBothImagingListsAndLeavesBothTogether)
{
    request(CLIENT_A, 1, SONAR_SOURCE_FV);
    EXPECT_TRUE(listed(SONAR_SOURCE_KV, CLIENT_A));
    EXPECT_TRUE(listed(SONAR_SOURCE_FV, CLIENT_A));
    EXPECT_FALSE(listed(SONAR_SOURCE_2D, CLIENT_A));
    EXPECT_EQ(u32("ECPM"), 0x4u);
    ASSERT_NE(T_N_PING_pGetClientData(CLIENT_A), nullptr);
    EXPECT_EQ(T_N_PING_pGetClientData(CLIENT_A)->u32MaximumSampleCount, 55000u);

    request(CLIENT_B, 1, SONAR_SOURCE_2D);
    EXPECT_TRUE(listed(SONAR_SOURCE_2D, CLIENT_B));
    EXPECT_EQ(u32("ECPM"), 0x5u);

    request(CLIENT_A, 0, SONAR_SOURCE_KV);
    EXPECT_FALSE(listed(SONAR_SOURCE_KV, CLIENT_A));
    EXPECT_FALSE(listed(SONAR_SOURCE_FV, CLIENT_A));
    EXPECT_EQ(u32("ECPM"), 0x1u) << "both imaging bits go with the last imaging client";
    EXPECT_EQ(T_N_PING_pGetClientData(CLIENT_A), nullptr);
    EXPECT_NE(T_N_PING_pGetClientData(CLIENT_B), nullptr);

    request(CLIENT_B, 1, 7); // no such source: nothing
    EXPECT_EQ(u32("ECPM"), 0x1u);
}

TEST_F(Share, AClientsChangeIsAppliedHereAndForwardedToTheOtherClientsOnly)
{
    setU32("ELPM", 0x1);
    request(CLIENT_A, 1, SONAR_SOURCE_2D);
    request(CLIENT_B, 1, SONAR_SOURCE_2D);
    clearErrors();

    change(CLIENT_A, "YSNF", 7, 0);
    EXPECT_EQ(u32("SSNF"), 7u) << "the saved setting follows the client's control";
    EXPECT_EQ(u32("YSNF"), 7u);
    EXPECT_EQ(errors(CLIENT_B), 1u) << "the other client was sent the change";
    EXPECT_EQ(errors(CLIENT_A), 0u) << "the sender is not sent its own change";

    // A unit that is neither client nor server is not heard.
    change(0x6401A8C0, "YSNF", 9, 0);
    EXPECT_EQ(u32("SSNF"), 7u);
}

TEST_F(Share, ALocalControlChangeUpdatesItsSettingAndClientsHearTheSetting)
{
    setU32("ELPM", 0x1);
    request(CLIENT_A, 1, SONAR_SOURCE_2D);
    clearErrors();
    setU32("YSMD", 30);
    T_N_PING_bControlChangeSend(FCID("YSMD"), 30, 0, nullptr);
    EXPECT_EQ(u32("SSMD"), 30u);
    EXPECT_EQ(errors(CLIENT_A), 1u);

    // Without the local transducer on the source, a control change stays here.
    setU32("ELPM", 0x0);
    clearErrors();
    T_N_PING_bControlChangeSend(FCID("YSMD"), 40, 0, nullptr);
    EXPECT_EQ(u32("SSMD"), 30u);
    EXPECT_EQ(errors(CLIENT_A), 0u);
}

TEST_F(Share, DepthUnitsFromAServerAreUnitsAndMetresBecomeFeetOnADomesticModel)
{
    serve(SONAR_SOURCE_2D, NETWORK_CLIENT_STATE_CONNECTED);
    const struct {
        const char* what;
        bool domestic;
        U32 sent;
        U32 kept;
    } cases[] = {
        {"metres on a domestic model", true, 10, 11},
        {"metres elsewhere", false, 10, 10},
        {"fathoms", true, 12, 12},
        {"no unit", true, 13, 12},
        {"no unit either", false, 0, 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        T_N_HISTORY_vInstallDomesticModelQuery(c.domestic ? domestic : international);
        change(SERVER, "SUDP", c.sent, 1);
        EXPECT_EQ(u32("YUDP"), c.kept);
    }
}

TEST_F(Share, AClientsDepthIsNeverShallowerThanTenMetres)
{
    request(CLIENT_A, 1, SONAR_SOURCE_2D);
    const struct {
        float listen, ping;
        float wantListen, wantPing;
    } cases[] = {{3.0f, 25.0f, 10.0f, 25.0f}, {40.0f, 2.0f, 40.0f, 10.0f}, {NAN, INFINITY, 10.0f, 10.0f}};
    for (const auto& c : cases) {
        sonarPingDepthType d{c.listen, c.ping};
        GMSG_INFO info = from(CLIENT_A, &d);
        T_N_PING_bHandleReceivePingDepth(PING_MAILBOX, &info, nullptr, nullptr);
        EXPECT_EQ(s_fNetworkDepthToListen.load(), c.wantListen);
        EXPECT_EQ(s_fNetworkDepthToPing.load(), c.wantPing);
    }
    sonarPingDepthType d{50.0f, 50.0f};
    GMSG_INFO info = from(CLIENT_B, &d);
    T_N_PING_bHandleReceivePingDepth(PING_MAILBOX, &info, nullptr, nullptr);
    EXPECT_EQ(s_fNetworkDepthToPing.load(), 10.0f) << "a unit that is no client is not heard";
}

TEST_F(Share, ElevenFailedSendsKeepAClientAndTheTwelfthDropsIt)
{
    request(CLIENT_A, 1, SONAR_SOURCE_2D);
    clearErrors();
    for (int i = 0; i < 11; ++i)
        T_N_PING_vSendTransducerChange(1);
    ASSERT_NE(T_N_PING_pGetClientData(CLIENT_A), nullptr);
    EXPECT_EQ(errors(CLIENT_A), 11u);
    T_N_PING_vSendTransducerChange(1);
    EXPECT_EQ(T_N_PING_pGetClientData(CLIENT_A), nullptr);
}

// ---- Client side ----

TEST_F(Share, AnotherUnitsFlankviewChosenWhileKeelviewIsLocalDropsBothLocalImagingSources)
{
    setU32("ELPM", 0x3);
    setU32("ITXD", 1);
    T_N_PING_vSwitchToNetworkSonar(SONAR_SOURCE_FV, 5, 0x99);
    EXPECT_EQ(u32("ELPM"), 0x1u);
    EXPECT_EQ(U_PING_eGetNetworkClientState(SONAR_SOURCE_KV), NETWORK_CLIENT_STATE_DISCONNECTED);
    EXPECT_EQ(U_PING_eGetNetworkClientState(SONAR_SOURCE_FV), NETWORK_CLIENT_STATE_DISCONNECTED);
    EXPECT_EQ(U_PING_eGetNetworkClientState(SONAR_SOURCE_2D), NETWORK_CLIENT_STATE_LOCAL);
    EXPECT_EQ(u32("YST3"), 5u);
    EXPECT_EQ(u32("YST2"), 0u);
    EXPECT_EQ(u32("ENPM"), 0x4u);
}

TEST_F(Share, TheServersFirstWordCompletesTheConnection)
{
    serve(SONAR_SOURCE_2D, NETWORK_CLIENT_STATE_REGISTER);
    setU32("ELPM", 0x1);
    change(SERVER, "SSNF", 3, 1);
    EXPECT_EQ(U_PING_eGetNetworkClientState(SONAR_SOURCE_2D), NETWORK_CLIENT_STATE_CONNECTED);
    EXPECT_EQ(u32("ENPM"), 0x1u);
    EXPECT_EQ(u32("ELPM"), 0x0u);
    EXPECT_EQ(u32("YSNF"), 3u) << "the server's setting shows in the control";
    const auto connects =
        drain<NETWORK_SERVER_CONNECT_MESSAGE>(SLP_CLIENT_MAILBOX, CMD_ID_NETWORK_SERVER_CONNECT_MESSAGE);
    ASSERT_EQ(connects.size(), 1u);
    EXPECT_EQ(connects[0].eService, (U32)SONAR_SOURCE_2D);
    EXPECT_EQ(connects[0].sServerAddress.uAddr.Socket.u32Address, SERVER);
}

TEST_F(Share, A360ServerIsAlsoOfferedAsAFlankviewSource)
{
    serve(SONAR_SOURCE_360, NETWORK_CLIENT_STATE_REGISTER);
    const size_t before = T_ETHERNET_STANDIN_vNetSources().size();
    T_N_PING_vSetConnected(SONAR_SOURCE_360);
    const auto sources = T_ETHERNET_STANDIN_vNetSources();
    ASSERT_EQ(sources.size(), before + 1);
    EXPECT_EQ(sources.back().eSourceType, (U32)SONAR_SOURCE_FV);
    EXPECT_EQ(sources.back().u32ModelCode, 24u);
    EXPECT_EQ(sources.back().sName, "0114") << "the server's third and fourth octets";
    EXPECT_EQ(U_PING_eGetNetworkClientState(SONAR_SOURCE_360), NETWORK_CLIENT_STATE_CONNECTED);
}

TEST_F(Share, APingWithoutAFreeDescriptorIsDroppedWithoutWaiting)
{
    U_PING_vSetSystemState(STATE_NORMAL_RUN);
    std::vector<PING_DESCRIPTOR*> held;
    while (poolCount() > 0)
        held.push_back(take());
    std::vector<U8> samples(100, 9);
    PING_DESCRIPTOR ping{};
    ping.Beam = 1;
    ping.u32NumberOfSamples = 100;
    ping.pu8RawSonarData = samples.data();
    const U32 before = T_N_PING_u32NetworkPingsWithoutDescriptor();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(T_N_PING_bHandOnNetworkPing(&ping));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(T_N_PING_u32NetworkPingsWithoutDescriptor(), before + 1);
    for (PING_DESCRIPTOR* p : held)
        L_QUEUE_Put(Q_PING, &p);

    // With one free, the ping is handed on, shortened to what a descriptor holds.
    samples.assign(PING_MAX_SAMPLES + 10, 9);
    ping.u32NumberOfSamples = PING_MAX_SAMPLES + 10;
    ping.pu8RawSonarData = samples.data();
    ping.bIsLocal = TRUE;
    EXPECT_TRUE(T_N_PING_bHandOnNetworkPing(&ping));
    const std::vector<Processed> mails = process();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].descriptor->u32NumberOfSamples, PING_MAX_SAMPLES);
    EXPECT_FALSE(mails[0].descriptor->bIsLocal);
}

// A server is lost when its monitor has heard nothing for a minute (test
// clock) or when its connection drops; either way the unit says why and
// which dialog to show, forgets the server and leaves the source empty.
TEST_F(Share, ALostServerIsReportedWithItsReasonAndForgotten)
{
    struct Case {
        const char* what;
        bool silent; // the server monitor's time-out, else the connection drops
        U32 reason;
    };
    const Case cases[] = {
        {"silent for a minute", true, CONNECTION_LOST_TIMEOUT},
        {"connection dropped", false, CONNECTION_LOST_DISCONNECT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        const SERVER_MOINITOR_HANDLE_TYPE h = U_SERVER_MONITOR_u32Allocate();
        U_SERVER_MONITOR_vSetMailbox(h, PING_MAILBOX);
        U_SERVER_MONITOR_vSetTimeoutInterval(h, SERVER_MONITOR_DEFAULT_INTERVAL_MS);
        U_PING_vSetServerMonitorHandle(h, SONAR_SOURCE_2D);
        serve(SONAR_SOURCE_2D, NETWORK_CLIENT_STATE_REGISTER);
        T_N_PING_vSetConnected(SONAR_SOURCE_2D);
        drain<GENERIC_MESSAGE>(SLP_CLIENT_MAILBOX, CMD_ID_COUNT);

        MSGHEADER* pMail = nullptr;
        if (c.silent) {
            L_CLOCK_vAdvanceTestClock(SERVER_MONITOR_DEFAULT_INTERVAL_MS - 2000);
            U_SERVER_MONITOR_vCheckForTimeouts();
            EXPECT_EQ(L_MBOX_Receive(PING_MAILBOX), nullptr) << "not yet a minute";
            L_CLOCK_vAdvanceTestClock(4000);
            U_SERVER_MONITOR_vCheckForTimeouts();
            pMail = L_MBOX_Receive(PING_MAILBOX);
            ASSERT_NE(pMail, nullptr);
            ASSERT_EQ(((GENERIC_MESSAGE*)pMail)->Cmd, CMD_ID_SERVER_MONITOR_TIMEOUT);
        } else {
            auto* pDrop = (MSG_GMSG_DISCONNECT*)H_MEMORY_pvMalloc(sizeof(MSG_GMSG_DISCONNECT));
            *pDrop = MSG_GMSG_DISCONNECT{};
            pDrop->Header.Cmd = CMD_ID_GMSG_DISCONNECT;
            pDrop->Mailbox = PING_MAILBOX;
            GMSG_vMakeSocketAddress(&pDrop->Address, SERVER, 50688);
            pMail = &pDrop->Header.msghdr;
        }
        EXPECT_TRUE(T_N_PING_bHandleNetworkMail((GENERIC_MESSAGE*)pMail));
        H_MEMORY_vFree(pMail);
        U_SERVER_MONITOR_vSetActive(h, FALSE);

        const auto lost = drain<NETWORK_SERVER_CONNECTION_LOST_MESSAGE>(SLP_CLIENT_MAILBOX,
                                                                        CMD_ID_NETWORK_SERVER_CONNECTION_LOST_MESSAGE);
        ASSERT_EQ(lost.size(), 1u);
        EXPECT_EQ(lost[0].eConnectionLostReason, c.reason);
        EXPECT_EQ(lost[0].u32SourceEnum, DIA_SONAR_2D_SOURCE_LOST);
        EXPECT_EQ(lost[0].sServerAddress.uAddr.Socket.u32Address, SERVER);
        EXPECT_EQ(U_PING_eGetNetworkClientState(SONAR_SOURCE_2D), NETWORK_CLIENT_STATE_DISCONNECTED);
        EXPECT_EQ(u32("ENPM"), 0x0u);
        EXPECT_EQ(u32("YST1"), 0u);
        GMSG_ADDRESS server;
        U_PING_vGetServerAddress(&server, SONAR_SOURCE_2D);
        EXPECT_EQ(server.uAddr.Socket.u32Address, 0u) << "the server is forgotten";
        const auto leaves = drain<MSG_SUDP_IN_REGISTER>(SUDP_IN_MBOX, CMD_ID_SUDP_IN_REGISTER);
        ASSERT_EQ(leaves.size(), 1u);
        EXPECT_EQ(leaves[0].doRegister, 0u);
        EXPECT_STREQ(leaves[0].mcastAddress, "239.0.1.20");
    }
}

} // namespace
} // namespace ping_test
