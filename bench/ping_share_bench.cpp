// The director's network send of one 55,276-byte ping (55,000 samples)
// beside a plain loopback sendto of the same bytes, in the same run. The
// send covers what the ping task pays per ping for its clients: the
// descriptor image and sample copy into a fresh block, the hand-over to the
// segmented-UDP sender, and that sender's datagram to the multicast group
// on the loopback interface.
#include "gmsg/t_net_standins.h"
#include "gmsg/tests/gmsg_endpoint.h"
#include "gmsg/u_networkdest.h"
#include "sonar/ping/t_n_ping_codec.h"
#include "sonar/ping/t_n_ping_server.h"
#include "sonar/ping/t_n_ping_state.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

using namespace gte;

namespace {

constexpr U32 kSamples = PING_MAX_SAMPLES;
constexpr U32 kClient = 0x0200007F; // 127.0.0.2

struct Road {
    std::vector<U8> samples = std::vector<U8>(kSamples, 0x5A);
    PING_DESCRIPTOR ping{};
    bool ready = false;
    Road()
    {
        startGmsgTasks();
        ready = U_GMSG_bRegisterMailbox(PING_MAILBOX, RES_PING, SEMA_GMSG_PING, s_PING_MsgMapInfo, freePort());
        t_n_ping::s_pvNetworkDestinations = U_NETWORKDEST_pvNew();
        GMSG_ADDRESS client;
        GMSG_vMakeSocketAddress(&client, kClient, PING_SERVICE_PORT);
        ready = ready &&
                T_N_PING_bRegisterNetworkDestination(t_n_ping::s_pvNetworkDestinations, &client, TRUE, kSamples);
        ping.Beam = 1;
        ping.u8TransmitCycles = 20;
        ping.u32SamplePeriodMicroSeconds = 26;
        ping.pu8RawSonarData = samples.data();
    }
};

Road& road()
{
    static Road r;
    return r;
}

void BM_DirectorMulticastSend(benchmark::State& state)
{
    Road& r = road();
    if (!r.ready) {
        state.SkipWithError("the sonar service could not be registered");
        return;
    }
    for (auto _ : state) {
        r.ping.u32NumberOfSamples = kSamples;
        if (!t_n_ping::T_N_PING_bSendToNetworkDestinations(SONAR_SOURCE_2D, NETWORK_SONAR_PROCESS, &r.ping)) {
            state.SkipWithError("send refused");
            break;
        }
        // The segmented-UDP sender's part, in this thread.
        MSGHEADER* mail = L_MBOX_Receive(SUDP_OUT_MBOX);
        if (mail == nullptr) {
            state.SkipWithError("nothing handed to the sender");
            break;
        }
        const BOOLEAN sent = T_SUDP_OUT_bSend((MSG_SUDP_OUT_SEND*)mail);
        H_MEMORY_vFree(mail);
        if (!sent) {
            state.SkipWithError("sendto failed");
            break;
        }
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (PING_IMAGE_BYTES + kSamples));
}
BENCHMARK(BM_DirectorMulticastSend);

void BM_LoopbackSendto(benchmark::State& state)
{
    road(); // the same interface set-up
    std::vector<U8> bytes(PING_IMAGE_BYTES + kSamples, 0x5A);
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    struct in_addr lo;
    lo.s_addr = htonl(INADDR_LOOPBACK);
    setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &lo, sizeof lo);
    const int size = 4 * 1024 * 1024;
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    U32 group = 0, port = 0;
    T_N_PING_vGetMulticastTarget(SONAR_SOURCE_2D, &group, &port);
    struct sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons((U16)port);
    to.sin_addr.s_addr = group;
    for (auto _ : state) {
        if (sendto(fd, bytes.data(), bytes.size(), 0, (struct sockaddr*)&to, sizeof to) != (ssize_t)bytes.size()) {
            state.SkipWithError("sendto failed");
            break;
        }
    }
    close(fd);
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)bytes.size());
}
BENCHMARK(BM_LoopbackSendto);

} // namespace

BENCHMARK_MAIN();
