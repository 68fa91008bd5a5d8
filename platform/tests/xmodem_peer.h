// Peers of the XMODEM tests: lrzsz's sx or rx run with a socket as their
// standard input and output, and a pump thread that copies bytes between
// the unit port's pseudo-terminal and the peer, so the peer's terminal
// handling never touches the unit's port, and that can lose a byte on
// purpose.
#pragma once

#include "platform/tests/uart_pty.h"
#include "testing/t_socket_peer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace uartt {

constexpr char XMODEM_PEER_ACK = 0x06;

// lrzsz run in ROOT/tmp (it takes file names relative to where it runs).
class Peer : public vt::SocketPeer {
public:
    explicit Peer(const std::vector<std::string>& argv) : vt::SocketPeer(root().at("/tmp"), argv) {}
};

// Copies bytes both ways between the unit's terminal and the peer until
// stopped. dropAck > 0
// loses that ACK (counted from 1) on its way from the unit to the peer.
class Pump {
public:
    Pump(int unitMaster, int peerMaster, int dropAck = 0)
        : unit_(unitMaster), peer_(peerMaster), dropAck_(dropAck), thread_([this] { run(); })
    {
    }
    ~Pump()
    {
        stop_ = true;
        thread_.join();
    }
    int dropped() const { return dropped_; }
    // Bytes passed on from the peer to the unit so far.
    size_t fromPeer() const { return fromPeer_; }

private:
    void copy(int from, int to, bool fromUnit)
    {
        char buf[4096];
        ssize_t n = ::read(from, buf, sizeof buf);
        if (n <= 0)
            return;
        std::string out;
        for (ssize_t i = 0; i < n; ++i) {
            if (fromUnit && buf[i] == XMODEM_PEER_ACK && ++acks_ == dropAck_) {
                ++dropped_;
                continue;
            }
            out += buf[i];
        }
        size_t done = 0;
        while (done < out.size() && !stop_) {
            ssize_t w = ::write(to, out.data() + done, out.size() - done);
            if (w > 0) {
                done += (size_t)w;
                if (!fromUnit)
                    fromPeer_ += (size_t)w;
            } else {
                struct pollfd p = {to, POLLOUT, 0};
                poll(&p, 1, 10);
            }
        }
    }
    void run()
    {
        while (!stop_) {
            struct pollfd fds[2] = {{unit_, POLLIN, 0}, {peer_, POLLIN, 0}};
            if (poll(fds, 2, 20) <= 0)
                continue;
            if (fds[0].revents & POLLIN)
                copy(unit_, peer_, true);
            if (fds[1].revents & POLLIN)
                copy(peer_, unit_, false);
        }
    }
    int unit_, peer_;
    int dropAck_;
    int acks_ = 0;
    std::atomic<int> dropped_{0};
    std::atomic<size_t> fromPeer_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace uartt
