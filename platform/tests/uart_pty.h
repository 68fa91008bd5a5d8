// Test helpers for the serial ports: a pseudo-terminal pair whose slave
// stands in for a port device under the process's unit root, driven from
// the master side.
#pragma once

#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace uartt {

// One unit root per process: the root path is read once per process.
inline vt::TempRoot& root()
{
    static vt::TempRoot* r = [] {
        auto* t = new vt::TempRoot();
        t->exportEnv();
        return t;
    }();
    return *r;
}

inline const char* portDevice(int port)
{
    static const char* const names[] = {"/dev/ttyO4", "/dev/ttyO1", "/dev/ttyO2", "/dev/ttyO3"};
    return names[port];
}

class Pty {
public:
    Pty()
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
            slave_ = ptsname(master_);
    }
    ~Pty()
    {
        if (master_ >= 0)
            close(master_);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return master_ >= 0 && !slave_.empty(); }
    int master() const { return master_; }
    const std::string& slave() const { return slave_; }

    // Makes ROOT/dev/ttyO<n> of the port a link to this slave.
    void linkAs(int port) const
    {
        std::string link = root().at(portDevice(port));
        unlink(link.c_str());
        EXPECT_EQ(symlink(slave_.c_str(), link.c_str()), 0) << link;
    }

    void write(const std::string& bytes) const
    {
        size_t done = 0;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (done < bytes.size() && std::chrono::steady_clock::now() < deadline) {
            ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += (size_t)n;
            } else {
                struct pollfd p = {master_, POLLOUT, 0};
                poll(&p, 1, 10);
            }
        }
        EXPECT_EQ(done, bytes.size());
    }

    // Everything that arrives within ms, or until max bytes have come.
    std::string read(int ms, size_t max = SIZE_MAX) const
    {
        std::string out;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (out.size() < max) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                              std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            struct pollfd p = {master_, POLLIN, 0};
            if (poll(&p, 1, (int)left.count()) <= 0)
                continue;
            char buf[4096];
            size_t want = std::min(sizeof buf, max - out.size());
            ssize_t n = ::read(master_, buf, want);
            if (n > 0)
                out.append(buf, (size_t)n);
            else if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                break;
        }
        return out;
    }

private:
    int master_ = -1;
    std::string slave_;
};

// Polls cond every millisecond for up to ms.
template <typename F>
bool waitFor(F cond, int ms = 2000)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Threads of this process whose name is name.
inline int countThreadsNamed(const std::string& name)
{
    int count = 0;
    DIR* d = opendir("/proc/self/task");
    if (!d)
        return -1;
    while (struct dirent* e = readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        std::ifstream in(std::string("/proc/self/task/") + e->d_name + "/comm");
        std::string comm;
        std::getline(in, comm);
        if (comm == name)
            ++count;
    }
    closedir(d);
    return count;
}

inline std::string allBytes()
{
    std::string s;
    for (int i = 0; i < 256; ++i)
        s += (char)i;
    return s;
}

} // namespace uartt
