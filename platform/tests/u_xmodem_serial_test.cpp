// XMODEM through the serial-port task against lrzsz's sx and rx on the
// other end of a pseudo-terminal, both directions, byte-exact, and with an
// acknowledgement lost on the way.
//
// A pump thread copies bytes between the unit port's pseudo-terminal and
// the peer program, so the peer's terminal handling never touches the
// unit's port, and the pump can lose a byte on purpose.
#include "platform/tests/uart_task.h"

#include "util/u_xmodem.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/socket.h>
#include <sys/wait.h>

namespace {

using namespace uartt;

constexpr U8 PORT = 3;
constexpr char ACK = 0x06;
constexpr char SUB = 0x1A;

std::string randomData(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s)
        c = (char)rng();
    return s;
}

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

private:
    void copy(int from, int to, bool fromUnit)
    {
        char buf[4096];
        ssize_t n = ::read(from, buf, sizeof buf);
        if (n <= 0)
            return;
        std::string out;
        for (ssize_t i = 0; i < n; ++i) {
            if (fromUnit && buf[i] == ACK && ++acks_ == dropAck_) {
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
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class XmodemSerial : public UartTask {
protected:
    void SetUp() override
    {
        UartTask::SetUp();
        ASSERT_TRUE(access("/usr/bin/sx", X_OK) == 0 && access("/usr/bin/rx", X_OK) == 0) << "lrzsz missing";
        afterBlanking();
        // The PC tool's usual rate; the port keeps to the line rate.
        ASSERT_TRUE(U_UART_bAllocateChannel(PORT));
        ASSERT_TRUE(U_UART_bChangeBaudRate(PORT, 115200));
        sync();
        ASSERT_TRUE(T_UART_bChannelIsOwned(PORT));
    }

    // The unit receives what sx sends from a file.
    void unitReceives(const std::string& data, int dropAck)
    {
        ASSERT_TRUE(vt::writeFile(root().at("/tmp/send.bin"), data));
        Peer sx({"/usr/bin/sx", "-k", "-t", "10", "send.bin"});
        Pump pump(ptys[PORT]->master(), sx.fd(), dropAck);
        std::vector<U8> buf(data.size() + 2048);
        S32 size = (S32)buf.size();
        EXPECT_TRUE(U_XMODEM_bReceive(PORT, buf.data(), &size, nullptr, nullptr));
        EXPECT_EQ(sx.wait(10000), 0) << vt::readFile(root().at("/tmp/peer.err"));
        // XMODEM carries whole blocks: the data, then SUB padding.
        ASSERT_GE((size_t)size, data.size());
        EXPECT_LT((size_t)size - data.size(), 1024u);
        EXPECT_TRUE(std::string((const char*)buf.data(), data.size()) == data) << "payload differs";
        EXPECT_EQ(std::string((const char*)buf.data() + data.size(), (size_t)size - data.size()),
                  std::string((size_t)size - data.size(), SUB));
        if (dropAck) {
            EXPECT_EQ(pump.dropped(), 1);
        }
    }

    // The unit sends to rx, which writes a file.
    void unitSends(const std::string& data)
    {
        std::string file = root().at("/tmp/recv.bin");
        unlink(file.c_str());
        Peer rx({"/usr/bin/rx", "-c", "-t", "10", "recv.bin"});
        Pump pump(ptys[PORT]->master(), rx.fd());
        EXPECT_TRUE(U_XMODEM_bTransmit(PORT, (BYTE*)data.data(), (S32)data.size(), nullptr, nullptr));
        EXPECT_EQ(rx.wait(10000), 0) << vt::readFile(root().at("/tmp/peer.err"));
        std::string got = vt::readFile(file);
        size_t padded = (data.size() + 1023) / 1024 * 1024;
        ASSERT_EQ(got.size(), padded);
        EXPECT_TRUE(got.substr(0, data.size()) == data) << "payload differs";
        EXPECT_EQ(got.substr(data.size()), std::string(padded - data.size(), SUB));
    }
};

TEST_F(XmodemSerial, ReceiveFromSx1500Bytes) { unitReceives(randomData(1500, 1), 0); }
TEST_F(XmodemSerial, ReceiveFromSx100KB) { unitReceives(randomData(100 * 1024, 2), 0); }
TEST_F(XmodemSerial, SendToRx1500Bytes) { unitSends(randomData(1500, 3)); }
TEST_F(XmodemSerial, SendToRx100KB) { unitSends(randomData(100 * 1024, 4)); }
TEST_F(XmodemSerial, LostAckMakesSxRepeatABlockThatIsAcknowledgedAgain)
{
    unitReceives(randomData(5000, 5), 2);
}

} // namespace
