// Child processes for process-level tests: run the unit (or any program)
// with arguments and environment, capture its output and exit status.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace vt {

struct ProcResult {
    int status = -1;      // exit status, or -1 when it did not exit normally
    int signal = 0;       // terminating signal, if any
    bool timedOut = false;
    std::string out;      // standard output
    std::string err;      // standard error
};

// Path of a program built in this tree, e.g. buildPath("app/vondrel").
std::string buildPath(const std::string& rel);
std::string sourcePath(const std::string& rel);

// Runs argv[0] with the rest as arguments and "NAME=VALUE" entries added to
// the environment; kills it after timeoutMs.
ProcResult runProcess(const std::vector<std::string>& argv,
                      const std::vector<std::string>& env = {},
                      int timeoutMs = 30000);

// A child that keeps running while the test drives it.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::vector<std::string>& env = {});
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    void signal(int sig);
    // Waits for the exit; fills result. False on time-out (the child is killed).
    bool wait(ProcResult& result, int timeoutMs = 30000);
    // Output so far. A background reader drains standard output and error all
    // the time, so a chatty child never blocks on a full pipe.
    std::string out();
    std::string err();
    // Waits until standard output contains text; false on time-out.
    bool waitForOutput(const std::string& text, int timeoutMs = 10000);

private:
    void read();
    // Waits up to timeoutMs for more output or the end of both pipes.
    void pump(int timeoutMs);
    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    bool reaped_ = false;
    int rawStatus_ = 0;
    std::mutex mutex_;
    std::condition_variable more_;
    std::string out_; // under mutex_
    std::string err_; // under mutex_
    bool closed_ = false; // both pipes at their end; under mutex_
    std::atomic<bool> stop_{false};
    std::thread reader_;
};

} // namespace vt
