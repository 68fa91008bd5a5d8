// Serial-port driver and abstraction over pseudo-terminals: raw 8N1, the
// 255-byte ring and its stall, rates, the transmit switch, closed ports,
// and closing and re-opening without a second reader thread.
#include "platform/dd_uart.h"
#include "platform/h_uart.h"

#include "platform/tests/uart_pty.h"

#include <gtest/gtest.h>

#include <sys/ioctl.h>
#include <termios.h>

namespace {

using uartt::Pty;
using uartt::waitFor;

U32 ringCount(int port)
{
    const UART_INFO& u = uart_info[port];
    return (u.putidx.load() + UART_RING_SIZE - u.getidx.load()) % UART_RING_SIZE;
}

// Takes every byte the ring holds now.
std::string drain(U8 port)
{
    std::string out;
    while (DD_UART_bRxCharAvail(port))
        out += (char)DD_UART_u8Getch(port);
    return out;
}

// Takes bytes as they come until n have arrived or ms have passed.
std::string receive(U8 port, size_t n, int ms = 2000)
{
    std::string out;
    waitFor(
        [&] {
            out += drain(port);
            return out.size() >= n;
        },
        ms);
    return out;
}

class UartDriver : public ::testing::Test {
protected:
    void SetUp() override
    {
        uartt::root();
        ASSERT_TRUE(pty.ok());
        pty.linkAs(0);
    }
    void TearDown() override
    {
        for (U8 p = 0; p < UART_PORT_COUNT; ++p)
            DD_UART_vKill(p);
        uartt::waitFor([] { return uartt::countThreadsNamed("uart") == 0; });
    }
    Pty pty;
};

TEST_F(UartDriver, OpensRawEightNOne)
{
    EXPECT_EQ(H_UART_u32Setup(0, 4800, FALSE), 2083u);
    ASSERT_GT(uart_info[0].dev_handle.load(), 0);
    struct termios tio;
    ASSERT_EQ(tcgetattr(uart_info[0].dev_handle.load(), &tio), 0);
    EXPECT_EQ(tio.c_iflag, 0u);
    EXPECT_EQ(tio.c_oflag, 0u);
    EXPECT_EQ(tio.c_lflag, 0u);
    EXPECT_EQ(tio.c_cflag & CSIZE, (tcflag_t)CS8);
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_TRUE(tio.c_cflag & CLOCAL);
    EXPECT_EQ(cfgetospeed(&tio), (speed_t)B4800);

    // Line ends, control characters and flow-control bytes pass unchanged
    // both ways.
    H_UART_vSetMode(0, UART_FULL_DUPLEX);
    const std::string raw = std::string("\r\n\x03\x11\x13\x7f\x00\xff", 8);
    pty.write(raw);
    EXPECT_EQ(receive(0, raw.size()), raw);
    for (char c : raw)
        H_UART_vPutChar(0, (BYTE)c);
    EXPECT_EQ(pty.read(2000, raw.size()), raw);
}

TEST_F(UartDriver, RingHolds255BytesAndTheNextWaitsInTheKernel)
{
    DD_UART_vInit(0);
    const std::string all = uartt::allBytes();
    pty.write(all);
    ASSERT_TRUE(waitFor([] { return ringCount(0) == 255; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(ringCount(0), 255u);
    int waiting = -1;
    ASSERT_EQ(ioctl(uart_info[0].dev_handle.load(), FIONREAD, &waiting), 0);
    EXPECT_EQ(waiting, 1);

    // Taking one byte lets the 256th in; nothing is lost or reordered, and
    // the last byte 0xFF is told from "empty" only by the availability test.
    EXPECT_EQ(DD_UART_u8Getch(0), 0x00);
    std::string rest = receive(0, 255);
    EXPECT_EQ(rest, all.substr(1));
    EXPECT_FALSE(DD_UART_bRxCharAvail(0));
    EXPECT_EQ(DD_UART_u8Getch(0), 0xFF);
}

TEST_F(UartDriver, UnsupportedRateKeepsTheOldOne)
{
    H_UART_u32Setup(0, 9600, FALSE);
    auto speed = [] {
        struct termios tio;
        tcgetattr(uart_info[0].dev_handle.load(), &tio);
        return cfgetospeed(&tio);
    };
    EXPECT_EQ(speed(), (speed_t)B9600);
    EXPECT_EQ(H_UART_u32SetBaudRate(0, 14400), 694u); // the requested rate's time
    EXPECT_EQ(speed(), (speed_t)B9600);
    EXPECT_EQ(H_UART_u32SetBaudRate(0, 115200), 86u);
    EXPECT_EQ(speed(), (speed_t)B115200);
    EXPECT_EQ(H_UART_u32SetBaudRate(0, 0), 0u);
    EXPECT_EQ(speed(), (speed_t)B115200);
}

TEST(UartCharacterTime, TenBitsPerCharacter)
{
    struct {
        U32 baud, micros;
    } cases[] = {{4800, 2083}, {38400, 260}, {115200, 86}, {300, 33333}, {0, 0}, {9, 0}};
    for (auto& c : cases)
        EXPECT_EQ(H_UART_u32CharacterTime(c.baud), c.micros) << c.baud;
}

TEST_F(UartDriver, TransmitSwitchAndModes)
{
    H_UART_u32Setup(0, 4800, FALSE); // transmit off after set-up
    DD_UART_vSendByte(0, 'a');
    EXPECT_EQ(pty.read(50), "");

    // (A pseudo-terminal keeps its receiver on whatever CREAD says, so only
    // the transmit side of the modes shows here.)
    struct {
        UART_MODE mode;
        bool transmits;
    } modes[] = {{UART_FULL_DUPLEX, true},
                 {UART_HALF_DUPLEX_TRANSMIT, true},
                 {UART_HALF_DUPLEX_RECEIVE, false},
                 {UART_OFF, false}};
    for (auto& m : modes) {
        H_UART_vSetMode(0, m.mode);
        DD_UART_vSendByte(0, 'x');
        EXPECT_EQ(pty.read(m.transmits ? 1000 : 50, 1), m.transmits ? "x" : "") << m.mode;
    }
    H_UART_vSetMode(0, (UART_MODE)9); // unknown: nothing changes
    EXPECT_FALSE(uart_info[0].xmit_enable.load());
}

TEST_F(UartDriver, ClosedOrMissingPortAnswersQuietly)
{
    // Port 1 has no device under the root: it stays closed.
    EXPECT_EQ(H_UART_u32Setup(1, 38400, FALSE), 260u);
    for (U8 port : {(U8)1, (U8)4}) {
        DD_UART_vTxRxEnable(port, TRUE, TRUE);
        DD_UART_vSendByte(port, 'x');
        EXPECT_FALSE(DD_UART_bRxCharAvail(port));
        EXPECT_EQ(DD_UART_u8Getch(port), 0xFF);
        EXPECT_EQ(DD_UART_u32FetchTxCount(port), 0u);
        EXPECT_TRUE(DD_UART_bIsTxShifterEmpty(port));
        EXPECT_TRUE(DD_UART_bTxComplete(port));
    }
    EXPECT_LE(uart_info[1].dev_handle.load(), 0);
    EXPECT_EQ(uartt::countThreadsNamed("uart"), 0);
}

TEST_F(UartDriver, ReopeningAHundredTimesLeavesOneReader)
{
    for (int i = 0; i < 100; ++i) {
        H_UART_u32Setup(0, 4800, FALSE);
        H_UART_vShutdown(0);
    }
    EXPECT_EQ(uartt::countThreadsNamed("uart"), 0);
    H_UART_u32Setup(0, 115200, FALSE);
    H_UART_vSetMode(0, UART_FULL_DUPLEX);
    EXPECT_EQ(uartt::countThreadsNamed("uart"), 1);
    DD_UART_vInit(0); // already open and reading: no second reader
    EXPECT_EQ(uartt::countThreadsNamed("uart"), 1);

    // The one reader delivers a long stream whole and in order.
    std::string data;
    for (int i = 0; i < 4000; ++i)
        data += (char)(i * 7);
    std::thread writer([&] { pty.write(data); });
    EXPECT_EQ(receive(0, data.size(), 5000), data);
    writer.join();
}

TEST_F(UartDriver, ReceptionKeepsToTheLineRate)
{
    // 200 bytes written at once take their line time to come in: about
    // 2083 us each at 4800 baud (less a short burst), far less at 115200.
    struct {
        U32 baud;
        int minMs, maxMs;
    } cases[] = {{4800, 330, 3000}, {115200, 0, 300}};
    DD_UART_vInit(0);
    for (auto& c : cases) {
        DD_UART_vChangeBaudRate(0, c.baud);
        std::string data(200, 'x');
        auto t0 = std::chrono::steady_clock::now();
        pty.write(data);
        EXPECT_EQ(receive(0, data.size(), 5000), data);
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
        EXPECT_GE(ms, c.minMs) << c.baud;
        EXPECT_LE(ms, c.maxMs) << c.baud;
    }
}

TEST_F(UartDriver, ReaderEndsWhenTheFarEndHangsUpAndReopenStartsANewOne)
{
    auto other = std::make_unique<Pty>();
    ASSERT_TRUE(other->ok());
    other->linkAs(2);
    DD_UART_vInit(2);
    ASSERT_TRUE(waitFor([] { return uartt::countThreadsNamed("uart") == 1; }));
    other.reset(); // the master closes: reads fail
    EXPECT_TRUE(waitFor([] { return uart_info[2].uart_read_thread.load() == 0; }));
    DD_UART_vKill(2);

    Pty fresh;
    fresh.linkAs(2);
    DD_UART_vInit(2);
    DD_UART_vTxRxEnable(2, TRUE, TRUE);
    fresh.write("ok");
    EXPECT_EQ(receive(2, 2), "ok");
    EXPECT_EQ(uartt::countThreadsNamed("uart"), 1);
}

} // namespace
