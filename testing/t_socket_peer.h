// A program run beside a test with one end of a socket pair as its standard
// input and output (the serial-transfer tests run lrzsz so). A socket rather
// than a terminal: lrzsz flushes its terminal's output as it exits, which on
// a pseudo-terminal throws away its last ACK unless the other side has read
// it already.
#pragma once

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vt {

class SocketPeer {
public:
    // Runs argv in dir (lrzsz takes file names relative to where it runs)
    // with standard error into dir/peer.err.
    SocketPeer(const std::string& dir, const std::vector<std::string>& argv)
    {
        int sv[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0)
            return;
        fd_ = sv[0];
        fcntl(fd_, F_SETFL, O_NONBLOCK);
        const std::string errPath = dir + "/peer.err";
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
    ~SocketPeer()
    {
        kill();
        if (fd_ >= 0)
            close(fd_);
    }
    SocketPeer(const SocketPeer&) = delete;
    SocketPeer& operator=(const SocketPeer&) = delete;

    // Ends the program at once (a cable pulled).
    void kill()
    {
        if (pid_ > 0 && !reaped_) {
            ::kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            reaped_ = true;
        }
    }
    // As at the keyboard: lrzsz then cancels the transfer and ends.
    void interrupt()
    {
        if (pid_ > 0 && !reaped_)
            ::kill(pid_, SIGINT);
    }
    // The exit status, or -1 when it did not end within ms.
    int wait(int ms)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) != pid_) {
            if (std::chrono::steady_clock::now() > deadline)
                return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        reaped_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    int fd() const { return fd_; }

private:
    int fd_ = -1;
    pid_t pid_ = -1;
    bool reaped_ = false;
};

} // namespace vt
