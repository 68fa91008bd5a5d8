// A stand-in sonar coprocessor served over a SEQPACKET socket:
//
//   vondrel_sonar_peer SOCKET [SCENE]
//
// It listens at SOCKET (made afresh), prints "ready" once it does, and
// serves one connection at a time with the simulated coprocessor and the
// scene file SCENE (default SOCKET.scene). Each message received is one
// write of the device. Like a pinging coprocessor that has its next ping
// ready, it sends the next block as soon as a transmit block has been
// written and the block sent before has been read, so that each read of the
// unit takes one block. A block still unread when a new transmit block
// arrives stays in the socket: the first read after the change may still
// show the old sequence, as a ping in flight would. Ends on SIGTERM or
// SIGINT.
#include "platform/dd_coproc.h"
#include "platform/h_coproc.h"
#include "platform/sim_coproc.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <linux/sockios.h>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int POLL_MS = 1;
constexpr int ACCEPT_POLL_MS = 100;
constexpr size_t WRITE_BYTES = 4096; // room for any transmit block and more

volatile sig_atomic_t s_stop = 0;

void vStop(int)
{
    s_stop = 1;
}

void vSetBuffers(int fd)
{
    const int bytes = DD_COPROC_SOCKET_BUFFER_BYTES;
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

void vServe(int fd, const std::string& scene)
{
    SIM_COPROC_vOpen(scene.c_str());
    std::vector<U8> block(H_COPROC_BLOCK_BYTES);
    U8 au8Write[WRITE_BYTES];
    while (!s_stop) {
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, POLL_MS) < 0)
            continue; // a signal: look at the stop flag
        if (p.revents & POLLIN) {
            const ssize_t n = recv(fd, au8Write, sizeof au8Write, MSG_TRUNC);
            if (n <= 0)
                return; // the unit went away
            if ((size_t)n <= sizeof au8Write)
                SIM_COPROC_s32Write(au8Write, (U32)n);
            else
                fprintf(stderr, "sonar peer: %zd-byte write refused\n", n);
            continue;
        }
        if (p.revents & (POLLHUP | POLLERR))
            return;
        int queued = 0;
        if (ioctl(fd, SIOCOUTQ, &queued) != 0 || queued != 0)
            continue;
        const S32 n = SIM_COPROC_s32Read(block.data(), (U32)block.size());
        if (n > 0 && send(fd, block.data(), (size_t)n, MSG_NOSIGNAL) < 0)
            return;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: %s SOCKET [SCENE]\n", argv[0]);
        return 2;
    }
    const std::string path = argv[1];
    const std::string scene = argc > 2 ? argv[2] : path + ".scene";
    struct sockaddr_un addr = {};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) {
        fprintf(stderr, "sonar peer: socket path too long\n");
        return 2;
    }
    memcpy(addr.sun_path, path.c_str(), path.size() + 1);

    struct sigaction sa = {};
    sa.sa_handler = vStop;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);

    const int listener = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    unlink(path.c_str());
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(listener, 1) != 0) {
        perror("sonar peer");
        return 1;
    }
    printf("ready\n");
    fflush(stdout);
    while (!s_stop) {
        pollfd p = {listener, POLLIN, 0};
        if (poll(&p, 1, ACCEPT_POLL_MS) <= 0 || !(p.revents & POLLIN))
            continue;
        const int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        vSetBuffers(fd);
        vServe(fd, scene);
        close(fd);
    }
    close(listener);
    unlink(path.c_str());
    return 0;
}
