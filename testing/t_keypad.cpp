#include "testing/t_keypad.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace vt {

Keypad::~Keypad()
{
    close();
}

bool Keypad::open(int timeoutMs)
{
    close();
    // A unit that went away must fail the write, not end the test with it.
    signal(SIGPIPE, SIG_IGN);
    const std::string path = root_ + "/dev/input/event6";
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        // Without a reader a non-blocking open fails (ENXIO) instead of waiting.
        fd_ = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ >= 0)
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void Keypad::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool Keypad::event(U16 type, U16 code, S32 value)
{
    U8 record[DD_KEYBOARD_EVENT_BYTES];
    DD_KEYBOARD_vEncodeEvent(record, type, code, value);
    return write(record, sizeof record);
}

bool Keypad::write(const void* pvBytes, size_t szBytes)
{
    if (fd_ < 0)
        return false;
    const auto* p = static_cast<const char*>(pvBytes);
    while (szBytes > 0) {
        const ssize_t n = ::write(fd_, p, szBytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        szBytes -= (size_t)n;
    }
    return true;
}

} // namespace vt
