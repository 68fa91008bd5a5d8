// lrzsz beside the unit: a program run on one end of a socket pair (lrzsz
// flushes a terminal's output as it exits, which on a pseudo-terminal would
// throw its last ACK away), and a pump that carries bytes between it and a
// terminal. What the peer sends may be held to a line rate and cut off
// after a number of bytes (a cable pulled mid-transfer).
#pragma once

#include "testing/t_socket_peer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace pcct {

// Bytes per second of a 115200-baud line (ten bits a character).
constexpr double LINE_115200 = 11520.0;

using Peer = vt::SocketPeer;

class Pump {
public:
    // Carries bytes between the terminal and the peer until destroyed; the
    // peer's bytes at most bytesPerSecond (0: as fast as they come) and at
    // most limit of them.
    Pump(int terminal, int peer, double bytesPerSecond = 0, size_t limit = SIZE_MAX)
        : term_(terminal), peer_(peer), rate_(bytesPerSecond), limit_(limit)
    {
        // A peer that was killed leaves a line nobody reads; a write to it
        // is an error here, not the end of the test program.
        signal(SIGPIPE, SIG_IGN);
        thread_ = std::thread([this] { run(); });
    }
    ~Pump()
    {
        // A peer that has just ended may still have its last bytes (the
        // acknowledgement of the end of a transfer) on its line: carry them
        // before letting go, or the unit waits for them and eats what comes next.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop_ = true;
        thread_.join();
    }
    Pump(const Pump&) = delete;
    Pump& operator=(const Pump&) = delete;
    size_t carried() const { return carried_; }
    // NAK bytes (0x15) that went from the terminal to the peer.
    size_t naks() const { return naks_; }

private:
    bool writeAll(int to, const char* p, size_t n)
    {
        size_t done = 0;
        while (done < n && !stop_) {
            ssize_t w = ::write(to, p + done, n - done);
            if (w > 0) {
                done += (size_t)w;
            } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
                return false;
            } else {
                struct pollfd pf = {to, POLLOUT, 0};
                poll(&pf, 1, 10);
            }
        }
        return done == n;
    }
    // A line delivers its bytes a few at a time, never faster than its rate.
    void towardTerminal(const char* p, size_t n)
    {
        constexpr size_t PIECE = 16;
        for (size_t at = 0; at < n && !stop_; at += PIECE) {
            const size_t k = std::min(PIECE, n - at);
            if (rate_ > 0) {
                std::this_thread::sleep_until(next_);
                next_ = std::max(next_, std::chrono::steady_clock::now()) +
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>((double)k / rate_));
            }
            writeAll(term_, p + at, k);
        }
    }
    void run()
    {
        next_ = std::chrono::steady_clock::now();
        char buf[4096];
        while (!stop_) {
            struct pollfd fds[2] = {{term_, POLLIN, 0}, {peer_, POLLIN, 0}};
            if (poll(fds, 2, 20) <= 0)
                continue;
            if (fds[0].revents & POLLIN) {
                ssize_t n = ::read(term_, buf, sizeof buf);
                if (n > 0) {
                    naks_ += (size_t)std::count(buf, buf + n, '\x15');
                    writeAll(peer_, buf, (size_t)n);
                }
            }
            if (fds[1].revents & POLLIN) {
                ssize_t n = ::read(peer_, buf, sizeof buf);
                if (n > 0) {
                    size_t k = std::min((size_t)n, limit_ - carried_);
                    carried_ += k;
                    towardTerminal(buf, k);
                }
            }
        }
    }
    int term_, peer_;
    double rate_;
    size_t limit_;
    std::chrono::steady_clock::time_point next_;
    std::atomic<size_t> carried_{0};
    std::atomic<size_t> naks_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace pcct
