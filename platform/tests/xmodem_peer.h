// Peers of the XMODEM tests: lrzsz's sx or rx run with a socket as their
// standard input and output, and a pump thread that copies bytes between
// the unit port's pseudo-terminal and the peer, so the peer's terminal
// handling never touches the unit's port, and that can lose a byte on
// purpose.
#pragma once

#include "platform/tests/uart_pty.h"

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

// Runs a program in ROOT/tmp (lrzsz takes file names relative to where it
// runs) with one end of a socket pair as its standard input and output. A
// socket rather than a terminal: lrzsz flushes its terminal's output as it
// exits, which on a pseudo-terminal throws away its last ACK unless the
// other side has read it already.
class Peer {
public:
    explicit Peer(const std::vector<std::string>& argv)
    {
        int sv[2];
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv), 0);
        fd_ = sv[0];
        fcntl(fd_, F_SETFL, O_NONBLOCK);
        std::string dir = root().at("/tmp");
        std::string errPath = dir + "/peer.err";
        pid_ = fork();
        if (pid_ == 0) {
            if (chdir(dir.c_str()) != 0)
                _exit(127);
            int e = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(sv[1], 0);
            dup2(sv[1], 1);
            if (e >= 0)
                dup2(e, 2);
            std::vector<char*> args;
            for (auto& a : argv)
                args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
        close(sv[1]);
    }
    ~Peer()
    {
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(fd_);
    }
    // The exit status, or -1 when it did not end within ms.
    int wait(int ms)
    {
        int status = 0;
        bool ended = waitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, ms);
        if (!ended)
            return -1;
        reaped_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    int fd() const { return fd_; }
    // As at the keyboard: lrzsz then cancels the transfer and ends.
    void interrupt()
    {
        if (pid_ > 0 && !reaped_)
            kill(pid_, SIGINT);
    }

private:
    int fd_ = -1;
    pid_t pid_ = -1;
    bool reaped_ = false;
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
