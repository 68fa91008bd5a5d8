// Sonar sharing over the message fabric on loopback: a control changed on a
// unit that shows a source from a server reaches that server as a change
// to pass on, and a server's ping sent as a GMSG message arrives at the
// client's processing task through the message table.
#include "gmsg/tests/gmsg_endpoint.h"
#include "sonar/ping/t_n_ping_codec.h"
#include "sonar/ping/t_n_ping_server.h"
#include "sonar/tests/ping_world.h"

#include <mutex>

namespace ping_test {
namespace {

using namespace t_n_ping;

TEST(ShareWire, AControlChangedOnAClientReachesItsServerAndTheServersPingReachesProcessing)
{
    worldWithPool();
    gte::startGmsgTasks();
    L_MBOX_DefineSema(PING_MAILBOX, SEMA_MBOX_PING);
    const U16 port = gte::freePort();
    ASSERT_TRUE(U_GMSG_bRegisterMailbox(PING_MAILBOX, RES_PING, SEMA_GMSG_PING, s_PING_MsgMapInfo, port));

    std::mutex lock;
    std::vector<controlChangeType> heard;
    gte::Endpoint server(gte::kTempIds, {{GMSG_ID_SONAR_CONTROL_CHANGE, &DT_CONTROL_CHANGE}});
    server.setHandler([&](MBOX, GMSG_INFO* info) {
        std::lock_guard<std::mutex> guard(lock);
        heard.push_back(*(const controlChangeType*)info->pStructMsg);
        return TRUE;
    });
    ASSERT_TRUE(server.registerMailbox(gte::freePort()));

    const GMSG_ADDRESS serverAddress = server.address();
    U_PING_vSetServerAddress(&serverAddress, SONAR_SOURCE_2D);
    U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_CONNECTED, SONAR_SOURCE_2D);
    setU32("ENPM", 0x1);
    setU32("ELPM", 0x0);
    T_N_PING_bControlChangeSend(FCID("YSNF"), 6, 0, nullptr);
    ASSERT_TRUE(gte::waitUntil([&] {
        std::lock_guard<std::mutex> guard(lock);
        return !heard.empty();
    }));
    EXPECT_EQ(heard[0].fcid, FCID("YSNF"));
    EXPECT_EQ(heard[0].value, 6u);
    EXPECT_EQ(heard[0].advise, 0u) << "the server passes it on to its other clients";

    // The server's ping as a GMSG message to this unit's sonar port.
    std::vector<U8> samples(1000, 0x42);
    PING_DESCRIPTOR ping{};
    ping.Beam = 1;
    ping.u8TransmitCycles = 20;
    ping.u32NumberOfSamples = 1000;
    ping.pu8RawSonarData = samples.data();
    GMSG_ADDRESS me;
    ASSERT_TRUE(U_GMSG_bGetMailboxAddress(&me, PING_MAILBOX));
    U_PING_vSetSystemState(STATE_NORMAL_RUN);
    ASSERT_TRUE(
        U_GMSG_bSendMsgNoReply(server.mbox(), &me, GMSG_ID_SONAR_RECEIVE_DATA, &DT_PING_DESCRIPTOR, &ping, 0));
    MSGHEADER* mail = L_MBOX_ReceiveWaitTicks(PING_MAILBOX, 5000);
    ASSERT_NE(mail, nullptr);
    EXPECT_TRUE(T_N_PING_bHandleNetworkMail((GENERIC_MESSAGE*)mail));
    H_MEMORY_vDumpMail(mail);
    const std::vector<Processed> mails = process();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].descriptor->u32NumberOfSamples, 1000u);
    EXPECT_EQ(mails[0].descriptor->pu8RawSonarData[999], 0x42);
    U_GMSG_bUnregisterMailbox(PING_MAILBOX);
}

} // namespace
} // namespace ping_test
