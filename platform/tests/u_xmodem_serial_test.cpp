// XMODEM through the serial-port task against lrzsz's sx and rx on the
// other end of a pseudo-terminal, both directions, byte-exact, and with an
// acknowledgement lost on the way.
//
// A pump thread copies bytes between the unit port's pseudo-terminal and
// the peer program (xmodem_peer.h), and can lose a byte on purpose.
#include "platform/tests/uart_task.h"
#include "platform/tests/xmodem_peer.h"

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
