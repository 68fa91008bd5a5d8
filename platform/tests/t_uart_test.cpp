// The serial-port task: hand-over by trigger characters at the start of a
// line, capture and forced capture, release and baud rates by owner only,
// the blanking after start, transmit, shutdown and the client calls' own
// refusals.
#include "platform/tests/uart_task.h"

#include "kernel/error.h"

#include <gtest/gtest.h>

namespace {

using namespace uartt;

constexpr SEMA SEMA_NMEA_DETECTED = 107;
constexpr SEMA SEMA_PC_CONNECT = 109;
constexpr SEMA SEMA_OPEN_GPS_CHANNEL = 136;

TEST_F(UartTask, TriggerAtLineStartHandsThePortOver)
{
    agent(0).run([] { EXPECT_TRUE(U_UART_bRegisterForChannel(3, '#', SEMA_PC_CONNECT)); });
    afterBlanking();
    L_SEMA_SetPending(SEMA_PC_CONNECT);
    // The first line end only ends the dropping after start; then 'x' is no
    // trigger and '#' is not at a line start: the whole line is dropped.
    ptys[3]->write("noise\rxx#A\r");
    EXPECT_EQ(L_SEMA_WaitTicks(SEMA_PC_CONNECT, 200), -lsTIMEOUT);
    EXPECT_FALSE(T_UART_bChannelIsOwned(3));
    ptys[3]->write("#A\r");
    EXPECT_EQ(L_SEMA_WaitTicks(SEMA_PC_CONNECT, 2000), 0);
    EXPECT_TRUE(T_UART_bChannelIsOwned(3));
    EXPECT_EQ(queued(3), "#A\r");

    // Another task's capture is refused: its baud change then changes nothing.
    agent(1).run([] {
        EXPECT_TRUE(U_UART_bAllocateChannel(3));
        EXPECT_TRUE(U_UART_bChangeBaudRate(3, 9600));
    });
    sync();
    EXPECT_EQ(speedOf(3), (speed_t)B38400);

    // A forced capture takes the port; now the baud change applies, and the
    // old owner can no longer release it.
    agent(1).run([] {
        EXPECT_TRUE(U_UART_bRegisterForChannel(3, 0, -1));
        EXPECT_TRUE(U_UART_bChangeBaudRate(3, 9600));
    });
    sync();
    EXPECT_EQ(speedOf(3), (speed_t)B9600);
    agent(0).run([] { EXPECT_TRUE(U_UART_bReleaseChannel(3, FALSE)); });
    sync();
    EXPECT_TRUE(T_UART_bChannelIsOwned(3));

    // The owner's release returns the port to its initial rate; the '#'
    // registration is still there for the next line.
    agent(1).run([] { EXPECT_TRUE(U_UART_bReleaseChannel(3, FALSE)); });
    sync();
    EXPECT_FALSE(T_UART_bChannelIsOwned(3));
    EXPECT_EQ(speedOf(3), (speed_t)B38400);
    ptys[3]->write("#B\r#C\r");
    EXPECT_EQ(L_SEMA_WaitTicks(SEMA_PC_CONNECT, 2000), 0);
    EXPECT_EQ(queued(3), "#C\r"); // dropping up to the first line end again
}

TEST_F(UartTask, NewestMatchingRegistrationWinsAndKeepsThePort)
{
    agent(0).run([] { EXPECT_TRUE(U_UART_bRegisterForChannel(3, '!', SEMA_NMEA_DETECTED)); });
    agent(1).run([] { EXPECT_TRUE(U_UART_bRegisterForChannel(3, '$', SEMA_OPEN_GPS_CHANNEL)); });
    agent(2).run([] { EXPECT_TRUE(U_UART_bRegisterForChannel(3, '$', SEMA_PC_CONNECT)); });
    afterBlanking();
    L_SEMA_SetPending(SEMA_NMEA_DETECTED);
    L_SEMA_SetPending(SEMA_OPEN_GPS_CHANNEL);
    ptys[3]->write("\n$GPGGA\r\n!AIVDM\r\n");
    EXPECT_EQ(L_SEMA_WaitTicks(SEMA_PC_CONNECT, 2000), 0);
    EXPECT_EQ(queued(3), "$GPGGA\r\n!AIVDM\r\n");
    EXPECT_EQ(L_SEMA_WaitTicks(SEMA_OPEN_GPS_CHANNEL, 0), -lsTIMEOUT);
    EXPECT_EQ(L_SEMA_WaitTicks(SEMA_NMEA_DETECTED, 0), -lsTIMEOUT);
}

TEST_F(UartTask, CaptureAndRegistrationVerdicts)
{
    auto capture = [](U8 port, BYTE c, SEMA s) {
        MSG_CAPTURE_CHANNEL m = {};
        m.msg.Cmd = CMD_ID_CAPTURE_CHANNEL;
        m.uart = port;
        m.byteMatchCharacter = c;
        m.semaphore = s;
        return sendAndWait(m, 261).flag;
    };
    BOOLEAN f = 0xAA;
    // Port 0: free, so capture is granted; registering on a port that has
    // an owner and no registrations is refused.
    agent(0).run([&] { f = capture(0, 0, 0); });
    EXPECT_EQ(f, TRUE);
    agent(1).run([&] { f = capture(0, '!', 107); });
    EXPECT_EQ(f, FALSE);
    agent(1).run([&] { f = capture(0, 0, 0); });
    EXPECT_EQ(f, FALSE);
    agent(1).run([&] { f = capture(0, 0, -1); });
    EXPECT_EQ(f, TRUE);
    // Port 2: registrations do not stop a plain capture of a free port.
    agent(0).run([&] { f = capture(2, '!', 107); });
    EXPECT_EQ(f, TRUE);
    agent(0).run([&] { f = capture(2, 0, 0); });
    EXPECT_EQ(f, TRUE);
    // Owned with registrations: a re-capture by the owner is refused, a
    // further registration accepted.
    agent(0).run([&] { f = capture(2, 0, 0); });
    EXPECT_EQ(f, FALSE);
    agent(1).run([&] { f = capture(2, '$', 108); });
    EXPECT_EQ(f, TRUE);
    // Port 4 does not exist.
    agent(0).run([&] { f = capture(4, 0, 0); });
    EXPECT_EQ(f, FALSE);

    MSG_CHANGE_BAUD_RATE b = {};
    b.msg.Cmd = CMD_ID_CHANGE_BAUD_RATE;
    b.uart = 4;
    b.baud_rate = 9600;
    EXPECT_EQ(sendAndWait(b, 261).flag, FALSE);
    b.uart = 1; // free port: anyone may change the rate
    EXPECT_EQ(sendAndWait(b, 261).flag, TRUE);
    EXPECT_EQ(speedOf(1), (speed_t)B9600);
}

TEST_F(UartTask, ReleaseFallsBackTo4800OrTheInitialRate)
{
    struct {
        BOOLEAN force4800;
        speed_t after;
    } cases[] = {{TRUE, B4800}, {FALSE, B38400}};
    for (auto& c : cases) {
        agent(0).run([] {
            EXPECT_TRUE(U_UART_bAllocateChannel(1));
            EXPECT_TRUE(U_UART_bChangeBaudRate(1, 115200));
        });
        sync();
        EXPECT_EQ(speedOf(1), (speed_t)B115200);
        agent(0).run([&] { EXPECT_TRUE(U_UART_bReleaseChannel(1, c.force4800)); });
        sync();
        EXPECT_FALSE(T_UART_bChannelIsOwned(1));
        EXPECT_EQ(speedOf(1), c.after);
    }
}

TEST_F(UartTask, InputIsDroppedDuringBlankingAndBeforeTheFirstLineEnd)
{
    // Port 0 is captured at once, port 2 waits for '!' lines.
    EXPECT_TRUE(U_UART_bAllocateChannel(0));
    agent(0).run([] { EXPECT_TRUE(U_UART_bRegisterForChannel(2, '!', SEMA_NMEA_DETECTED)); });
    sync();
    ptys[0]->write("early\r");
    ptys[2]->write("!early\r");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(queued(0, SIZE_MAX, 50), "");
    afterBlanking();
    EXPECT_EQ(queued(0, SIZE_MAX, 50), "");
    EXPECT_EQ(queued(2, SIZE_MAX, 50), "");
    EXPECT_FALSE(T_UART_bChannelIsOwned(2));

    ptys[0]->write("late");
    EXPECT_EQ(queued(0, 4), "late"); // a capture needs no line end first
    ptys[2]->write("!abc\r!def\r");
    EXPECT_EQ(queued(2, 5), "!def\r");
}

TEST_F(UartTask, TransmitDataReachesTheLineInOrder)
{
    afterBlanking();
    std::string data;
    for (int i = 0; i < 3000; ++i)
        data += (char)(i * 13 + (i >> 8));
    std::string got;
    std::thread reader([&] { got = ptys[0]->read(10000, data.size()); });
    EXPECT_TRUE(U_UART_bTransmitData(0, data.data(), (int)data.size())); // > queue depth 128
    agent(0).run([&] { EXPECT_TRUE(U_UART_bTransmitData(0, "tail", 4)); });
    reader.join();
    EXPECT_EQ(got, data);
    EXPECT_EQ(ptys[0]->read(2000, 4), "tail");
    EXPECT_TRUE(U_UART_bTransmitData(0, "x", 0)); // nothing to queue
}

TEST_F(UartTask, ShutdownClosesThePortsAndPurgesTransmitData)
{
    afterBlanking();
    EXPECT_TRUE(U_UART_bAllocateChannel(0));
    struct SHUT {
        GENERIC_MESSAGE msg;
    } shut = {};
    shut.msg.Cmd = CMD_ID_SHUTDOWN;
    sendAndWait(shut, 262);
    EXPECT_FALSE(T_UART_bChannelIsOwned(0));
    for (int p = 0; p < 4; ++p)
        EXPECT_LE(uart_info[p].dev_handle.load(), 0) << p;
    EXPECT_TRUE(waitFor([] { return countThreadsNamed("uart") == 0; }));

    EXPECT_TRUE(U_UART_bTransmitData(0, "lost", 4));
    EXPECT_TRUE(waitFor([] { return L_QUEUE_Inquire(T_UART_nGetQueue(0, TRUE)) == 0; }));
    EXPECT_EQ(ptys[0]->read(100), "");
    sync(); // mails are still taken
}

TEST(UartClient, RefusesBadPortsAndAMissingTask)
{
    H_DATABASE_vInit();
    EXPECT_EQ(T_UART_nGetQueue(4, TRUE), -1);
    EXPECT_EQ(T_UART_nGetQueue(3, TRUE), 7);
    EXPECT_EQ(T_UART_nGetQueue(3, FALSE), 8);
    EXPECT_FALSE(T_UART_bChannelIsOwned(4));
    EXPECT_FALSE(U_UART_bTransmitData(4, "x", 1));
    // No "TURT" yet: nothing is sent.
    EXPECT_FALSE(U_UART_bAllocateChannel(0));
    EXPECT_FALSE(U_UART_bRegisterForChannel(0, '!', 107));
    EXPECT_FALSE(U_UART_bReleaseChannel(0, FALSE));
    EXPECT_FALSE(U_UART_bChangeBaudRate(0, 4800));
    EXPECT_EQ(L_MBOX_Receive(MBOX_UART), nullptr);
    H_DATABASE_bUpdateEverythingU32(FCID("TURT"), (U32)MBOX_UART, P_NORMAL, D_MAILBOX, nullptr, 0xFFFFFFFFu);
    EXPECT_FALSE(U_UART_bAllocateChannel(4));
    EXPECT_TRUE(U_UART_bAllocateChannel(0));
    MSGHEADER* m = L_MBOX_Receive(MBOX_UART);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->MsgPriority, 3);
    EXPECT_EQ(m->sema, 0);
    EXPECT_EQ(((MSG_CAPTURE_CHANNEL*)m)->semaphore, 0);
    H_MEMORY_vFree(m);
}

TEST(UartTaskDeath, SecondOwnerOfTheMailboxKeyIsFatal)
{
    uartt::root();
    EXPECT_EXIT(
        {
            H_DATABASE_vInit();
            H_DATABASE_bUpdateEverythingU32(FCID("TURT"), 5, P_NORMAL, D_MAILBOX, nullptr, 0xFFFFFFFFu);
            T_UART_vMain();
        },
        ::testing::ExitedWithCode(10), "");
    std::string log = vt::readFile(uartt::root().cwd() + "/FATAL.LOG");
    EXPECT_NE(log.find("Somebody else registered the UART Task Mailbox"), std::string::npos) << log;
}

} // namespace
