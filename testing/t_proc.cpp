#include "testing/t_proc.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vt {

namespace {

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point t0)
{
    return (long)std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
}

} // namespace

std::string buildPath(const std::string& rel)
{
    const char* b = getenv("VONDREL_BINARY_DIR");
    return std::string(b ? b : ".") + "/" + rel;
}

std::string sourcePath(const std::string& rel)
{
    const char* s = getenv("VONDREL_SOURCE_DIR");
    return std::string(s ? s : ".") + "/" + rel;
}

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& env)
{
    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0)
        return;
    std::vector<std::string> envStore;
    for (char** e = environ; *e; ++e)
        envStore.emplace_back(*e);
    for (const auto& kv : env) {
        std::string name = kv.substr(0, kv.find('='));
        std::erase_if(envStore, [&](const std::string& s) { return s.compare(0, name.size() + 1, name + "=") == 0; });
        envStore.push_back(kv);
    }
    std::vector<char*> cargv, cenv;
    for (const auto& a : argv)
        cargv.push_back(const_cast<char*>(a.c_str()));
    cargv.push_back(nullptr);
    for (const auto& e : envStore)
        cenv.push_back(const_cast<char*>(e.c_str()));
    cenv.push_back(nullptr);

    pid_ = fork();
    if (pid_ == 0) {
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        setpgid(0, 0);
        execve(cargv[0], cargv.data(), cenv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    outFd_ = outPipe[0];
    errFd_ = errPipe[0];
    reader_ = std::thread([this] { read(); });
}

Child::~Child()
{
    if (pid_ > 0 && !reaped_) {
        kill(-pid_, SIGKILL);
        kill(pid_, SIGKILL);
        waitpid(pid_, &rawStatus_, 0);
    }
    stop_ = true;
    if (reader_.joinable())
        reader_.join();
    if (outFd_ >= 0)
        close(outFd_);
    if (errFd_ >= 0)
        close(errFd_);
}

void Child::read()
{
    while (!stop_) {
        pollfd fds[2];
        int n = 0;
        if (outFd_ >= 0)
            fds[n++] = {outFd_, POLLIN, 0};
        if (errFd_ >= 0)
            fds[n++] = {errFd_, POLLIN, 0};
        if (n == 0)
            break;
        if (poll(fds, n, 50) <= 0)
            continue;
        for (int i = 0; i < n; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buf[65536];
            const ssize_t r = ::read(fds[i].fd, buf, sizeof buf);
            const bool isOut = fds[i].fd == outFd_;
            if (r > 0) {
                const std::lock_guard<std::mutex> lock(mutex_);
                (isOut ? out_ : err_).append(buf, (size_t)r);
            } else if (r == 0 || (r < 0 && errno != EINTR && errno != EAGAIN)) {
                close(fds[i].fd);
                (isOut ? outFd_ : errFd_) = -1;
            }
        }
        more_.notify_all();
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    closed_ = outFd_ < 0 && errFd_ < 0;
    more_.notify_all();
}

void Child::pump(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (!closed_) {
        more_.wait_for(lock, std::chrono::milliseconds(timeoutMs));
        return;
    }
    lock.unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
}

bool Child::running()
{
    if (pid_ <= 0 || reaped_)
        return false;
    pid_t r = waitpid(pid_, &rawStatus_, WNOHANG);
    if (r == pid_)
        reaped_ = true;
    return !reaped_;
}

void Child::signal(int sig)
{
    if (pid_ > 0 && !reaped_)
        kill(pid_, sig);
}

bool Child::wait(ProcResult& result, int timeoutMs)
{
    auto t0 = Clock::now();
    while (running() && msSince(t0) < timeoutMs)
        pump(10);
    bool ok = !running();
    if (!ok) {
        result.timedOut = true;
        kill(-pid_, SIGKILL);
        kill(pid_, SIGKILL);
        waitpid(pid_, &rawStatus_, 0);
        reaped_ = true;
    }
    // The rest of the output, unless a descendant keeps the pipes open.
    for (;;) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (closed_)
            break;
        const size_t before = out_.size() + err_.size();
        more_.wait_for(lock, std::chrono::milliseconds(200));
        if (out_.size() + err_.size() == before && msSince(t0) > timeoutMs + 2000)
            break;
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    result.out = out_;
    result.err = err_;
    if (WIFEXITED(rawStatus_))
        result.status = WEXITSTATUS(rawStatus_);
    if (WIFSIGNALED(rawStatus_))
        result.signal = WTERMSIG(rawStatus_);
    return ok;
}

std::string Child::out()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return out_;
}

std::string Child::err()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return err_;
}

bool Child::waitForOutput(const std::string& text, int timeoutMs)
{
    const auto t0 = Clock::now();
    std::unique_lock<std::mutex> lock(mutex_);
    while (out_.find(text) == std::string::npos) {
        if (closed_ || msSince(t0) >= timeoutMs)
            return false;
        more_.wait_for(lock, std::chrono::milliseconds(20));
    }
    return true;
}

ProcResult runProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env, int timeoutMs)
{
    Child c(argv, env);
    ProcResult r;
    c.wait(r, timeoutMs);
    return r;
}

} // namespace vt
