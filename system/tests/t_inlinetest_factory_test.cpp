// The factory tests of the "t" command, driven as the station drives them
// through port 3's queues, with the operator's keys as key mails to the
// task, serial ports 0 and 2 played by the test, and the sonar coprocessor
// simulated from a scene file with a planted echo.
#include "system/tests/inlinetest_world.h"

#include "kernel/l_clock.h"
#include "kernel/l_timer.h"
#include "platform/dd_sd.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace {

struct Clicks {
    bool good;
    bool bad;
};

class Factory : public InlineTest {
protected:
    void SetUp() override
    {
        InlineTest::SetUp();
        if (IsSkipped())
            return;
        // The Ethernet test's file is made in the working directory: each
        // test process has its own, as the unit has.
        vt::makeDirs(root_.cwd());
        ASSERT_EQ(chdir(root_.cwd().c_str()), 0);
        enter();
    }
    void TearDown() override
    {
        stopEcho_ = true;
        if (echo_.joinable())
            echo_.join();
        L_TIMER_vHoldDelivery(FALSE);
        InlineTest::TearDown();
    }

    // One key event, handled by the task before this returns; the clicks
    // it gave.
    static Clicks key(U32 mask, KEY_STATE state, CURSOR_POSITION cursor = CURSOR_UP)
    {
        L_SEMA_SetPending(SEMA_KEYCLICK_GOOD);
        L_SEMA_SetPending(SEMA_KEYCLICK_BAD);
        auto* mail = static_cast<MSG_KEY_CHANGE*>(H_MEMORY_pvMalloc(sizeof(MSG_KEY_CHANGE)));
        memset(static_cast<void*>(mail), 0, sizeof *mail);
        mail->header.Cmd = CMD_ID_KEY_CHANGE;
        mail->key = mask;
        mail->state = state;
        mail->count = 1;
        mail->cursor = cursor;
        EXPECT_EQ(L_MBOX_SendWaitTicks(INLINETEST_MBOX, &mail->header.msghdr, 1, 274, 10000), 0);
        H_MEMORY_vFree(mail);
        return {L_SEMA_WaitTicks(SEMA_KEYCLICK_GOOD, 1) == 0, L_SEMA_WaitTicks(SEMA_KEYCLICK_BAD, 1) == 0};
    }
    static Clicks press(U32 mask, CURSOR_POSITION cursor = CURSOR_UP) { return key(mask, KEY_DOWN, cursor); }

    static S32 keypadStep()
    {
        L_MUTEX_LockWait(RES_INLINETEST);
        const S32 step = s_inlineTest.s32CurrentKey;
        L_MUTEX_Unlock(RES_INLINETEST);
        return step;
    }
    static TEST_TYPE currentTest()
    {
        L_MUTEX_LockWait(RES_INLINETEST);
        const TEST_TYPE t = s_inlineTest.eCurrentTest;
        L_MUTEX_Unlock(RES_INLINETEST);
        return t;
    }

    // The 32 steps of the keypad test as the operator works them.
    static void workKeypad()
    {
        const U32 keys[] = {KEY_VIEW, KEY_MENU,  KEY_EXIT, KEY_SOFT_KEY_1, KEY_SOFT_KEY_2, KEY_SOFT_KEY_3,
                            KEY_POWER, KEY_GOTO, KEY_MARK, KEY_INFO, KEY_ZOOM_OUT, KEY_ZOOM_IN};
        for (U32 k : keys) {
            key(k, KEY_DOWN);
            key(k, KEY_UP);
        }
        for (CURSOR_POSITION c : {CURSOR_NORTH, CURSOR_SOUTH, CURSOR_EAST, CURSOR_WEST}) {
            key(KEY_CURSOR, KEY_DOWN, c);
            key(KEY_CURSOR, KEY_UP, CURSOR_UP);
        }
    }

    // A reading as its task publishes it; one not valid is one whose
    // time-out (1 s) has run out.
    static void setFloat(const char* name, float value, BOOLEAN valid = TRUE)
    {
        const FOURCHARID fcid = (U32)(U8)name[0] | (U32)(U8)name[1] << 8 | (U32)(U8)name[2] << 16 | (U32)(U8)name[3] << 24;
        DB_DATA_TYPE v = {};
        v.fVal = value;
        H_DATABASE_bUpdateEverything(fcid, v, P_NORMAL, D_UNKNOWN, nullptr, valid ? 600 : 1);
        if (!valid)
            L_CLOCK_vAdvanceTestClock(2000);
    }

    // Serial ports 2 and 0 looped back on themselves, or only port 2.
    void loopPorts(bool port0)
    {
        echo_ = std::thread([this, port0] {
            const std::pair<QUEUE, QUEUE> loops[] = {{5, 6}, {1, 2}};
            while (!stopEcho_) {
                bool any = false;
                for (size_t i = 0; i < (port0 ? 2u : 1u); ++i) {
                    U8 byte;
                    while (L_QUEUE_Get(loops[i].first, &byte) == 0) {
                        const U16 element = byte;
                        L_QUEUE_PutWait(loops[i].second, &element);
                        any = true;
                    }
                }
                if (!any)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    }

    // The simulated coprocessor's scene, replaced whole.
    void scene(const std::string& text)
    {
        const std::string tmp = root_.at("/dev/scene.tmp");
        ASSERT_TRUE(vt::writeFile(tmp, text));
        ASSERT_EQ(rename(tmp.c_str(), root_.at("/dev/sonar0.scene").c_str()), 0);
    }

    static U32 passedTests()
    {
        U32 u = 0;
        H_DATABASE_bFetchU32(FCID("STTP"), &u, nullptr, nullptr);
        return u;
    }

    std::atomic<bool> stopEcho_{false};
    std::thread echo_;
};

TEST_F(Factory, MeasuringTestsAnswerInTheirFrame)
{
    vt::makeDirs(root_.at("/nand"));
    ASSERT_TRUE(vt::writeFile(root_.at("/nand/a"), "map"));
    struct Case {
        std::function<void()> before;
        std::string frame;
        std::string answer;
    } cases[] = {
        {{}, "#t8,30,10\r", "Paddle Wheel Test --No speed detected\n\r"},
        {{}, "#t9,40,0\r", "#NAK\n\r"},
        {{}, "#t4\r", "4"}, // no such test: the argument is echoed
        {{}, "#t0,1\r", "0,1"},
        {{}, "#tx\r", "x"},
        {{}, "#t3\r", ""},
        {[] { setFloat("ISTW", 12.4f); }, "#t8,30,10\r", "Paddle Wheel Test Pass , 12\n\r"},
        {{}, "#t8,10,0\r", "Paddle Wheel Test Fail , 12\n\r"},
        {[] { setFloat("ITMT", 21.6f); }, "#t9,40,0\r", "Transducer Water Test Pass , 22\n\r"},
        {{}, "#t9,20,0\r", "Transducer Water Test Fail , 22\n\r"},
        {[] { setFloat("ITMS", 15.0f, FALSE); }, "#t10,40,0\r", "#NAK\n\r"}, // not valid: no reading
        {[] { setFloat("ITMS", 15.0f); }, "#t10,40,0\r", "Speed Water Test Pass , 15\n\r"},
        {[] { setFloat("IVLT", 12.2f); }, "#t12,14,10\r", "Battery Test Pass , 12\n\r"},
        {{}, "#t12,11,10\r", "Battery Test Fail , 12\n\r"},
        {[] { setFloat("IVLT", 3.0f, FALSE); }, "#t12,14,10\r", "Battery Test Fail , 12\n\r"}, // value kept
        {{}, "#t13,/nand/a,/nand/b,1\r", "NAND Map Test Fail \n\r"},
        {{}, "#t13,/nand/a,/nand/b,0\r", "NAND Map Test Pass \n\r"},
        {{}, "#t14,/nand/b\r", "NAND Simulator Test Fail \n\r"},
        {{}, "#t14,,/nand/a\r", "NAND Simulator Test Pass \n\r"}, // empty fields vanish: /nand/a is path 1
        {{}, "#t15,1,0,999\r", "GPS Test Pass , 998\n\r"}, // no data on the GPS port
        {{}, "#t15,1,0,100\r", "GPS Test Fail , 998\n\r"},
        {{}, "#t17,0\r", "MMC Test Pass in Left slot\n\r"},
        {{}, "#t16,7\r", "MMC Test Fail Card not Found in slot\n\r"}, // no such slot
        {{}, "#t20\r", "Ethernet Test Fail--Error No.address pinged grep Failed!\n\r"},
        {{}, "#t20,10.1.2.3\r", "Ethernet Test Pass ping address 10.1.2.3grep Failed!\n\r"},
        {{}, "#t32\r", "#NAK\n\r"},
    };
    for (const Case& c : cases) {
        if (c.before)
            c.before();
        EXPECT_EQ(answer(c.frame), c.answer) << c.frame;
    }
    // Passes recorded: speed, both water temperatures, battery, both NAND
    // checks, GPS.
    EXPECT_EQ(passedTests(), (1u << 7) | (1u << 8) | (1u << 9) | (1u << 11) | (1u << 12) | (1u << 13) | (1u << 14));
    EXPECT_EQ(s_testParams.s16MaxSpeed, 10);
    EXPECT_EQ(s_testParams.s16MaxTransducerTemp, 40); // limits kept from the pass only
    EXPECT_EQ(s_testParams.s16MaxVoltage, 14);
    EXPECT_EQ(s_testParams.s16MaxCNOvalue, 100);
    EXPECT_EQ(currentTest(), TESTING_FINISHED_FAIL);
}

TEST_F(Factory, ALongTimeOutKeepsPollingUntilTheReadingArrives)
{
    // 40000 ms as a signed 16-bit value would be negative and end the
    // polling at once without a reading.
    std::thread later([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        setFloat("ISTW", 20.0f);
    });
    const auto start = Clock::now();
    EXPECT_EQ(answer("#t8,30,10,40000\r"), "Paddle Wheel Test Pass , 20\n\r");
    later.join();
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(250));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(30));
}

TEST_F(Factory, CardTestsReadTheTestFileAndSeeTheCardTaken)
{
    for (const char* host : {"mmc0", "mmc2"}) {
        const std::string card = root_.at(std::string("/sys/class/mmc_host/") + host + "/" + host + ":0001");
        vt::makeDirs(card + "/block/mmcblk" + (std::string(host) == "mmc0" ? "0" : "2"));
        vt::writeFile(card + "/cid", "0123456789abcdef0123456789abcdef\n");
        vt::writeFile(card + "/type", "SD\n");
    }
    vt::makeDirs(root_.at("/cards/right"));
    ASSERT_TRUE(vt::writeFile(root_.at("/cards/right/TEST.TXT"), "test"));
    ASSERT_EQ(symlink(root_.at("/cards/right").c_str(), root_.at("/dev/mmcblk2p1").c_str()), 0);
    vt::makeDirs(root_.at("/mnt/mmc0"));
    vt::makeDirs(root_.at("/mnt/mmc1"));
    DD_SD_vInit();

    EXPECT_EQ(answer("#t16,1\r"), "MMC Test Pass in Right slot\n\r");
    EXPECT_EQ(s_testParams.u8NumberMMC_Slots, 1);
    EXPECT_EQ(passedTests(), 1u << 15);
    EXPECT_EQ(answer("#t17,0\r"), "MMC Test Fail Card Still in Unit in Left slot\n\r");
    EXPECT_EQ(currentTest(), TESTING_IF_MMC_CARD_PRESENT);
}

TEST_F(Factory, EthernetTestRemovesTheAddressFileAndReportsTheFailedPing)
{
    vt::makeDirs(root_.at("/bin"));
    ASSERT_TRUE(vt::writeFile(root_.at("/bin/ifconfig"), "#!/bin/sh\necho 'inet addr:10.0.0.2  Bcast:10.0.0.255'\n"));
    ASSERT_TRUE(vt::writeFile(root_.at("/bin/ping"), "#!/bin/sh\nexit 1\n"));
    chmod(root_.at("/bin/ifconfig").c_str(), 0755);
    chmod(root_.at("/bin/ping").c_str(), 0755);
    EXPECT_EQ(answer("#t20,10.0.0.9\r"),
              "Ethernet Test Fail--Error No.256address pinged 10.0.0.9inet addr:10.0.0.2  Bcast:10.0.0.255\n\n\r");
    EXPECT_FALSE(vt::fileExists("ipadd.txt"));
}

TEST_F(Factory, SerialLoopbackNeedsBothPortsToAnswer)
{
    loopPorts(false);
    const auto start = Clock::now();
    EXPECT_EQ(answer("#t18\r"), "External NMEA Test Fail\n\r"); // port 0 silent
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(200));
    stopEcho_ = true;
    echo_.join();
    stopEcho_ = false;
    loopPorts(true);
    EXPECT_EQ(answer("#t18\r"), "External NMEA Test Pass %TEST PASSED\n\n\r");
    EXPECT_EQ(passedTests(), 1u << 17);
}

TEST_F(Factory, KeypadStepsPassEvenAfterTheTimeOut)
{
    EXPECT_EQ(answer("#t1,10\r"), "");
    EXPECT_EQ(read(21), "Fail--Timeout occured");
    EXPECT_EQ(currentTest(), TESTING_KEYPAD);

    Clicks c = press(KEY_MENU); // out of order at step 0
    EXPECT_TRUE(c.bad);
    EXPECT_EQ(keypadStep(), 0);
    c = key(KEY_VIEW, KEY_UP); // a release where a press is wanted
    EXPECT_FALSE(c.bad);
    EXPECT_EQ(keypadStep(), 0);
    c = press(KEY_VIEW);
    EXPECT_TRUE(c.good);
    EXPECT_EQ(keypadStep(), 1);
    press(KEY_VIEW); // a second press where the release is wanted: nothing
    EXPECT_EQ(keypadStep(), 1);
    key(KEY_VIEW, KEY_UP);
    EXPECT_EQ(keypadStep(), 2);
    c = key(KEY_CURSOR, KEY_DOWN, CURSOR_EAST); // out of order: back to MENU's press
    EXPECT_TRUE(c.bad);
    EXPECT_EQ(keypadStep(), 2);
    c = press(0x400); // no key of the sequence
    EXPECT_TRUE(c.bad);
    EXPECT_EQ(keypadStep(), 2);
    L_MUTEX_LockWait(RES_INLINETEST);
    EXPECT_STREQ(s_inlineTest.strLastKeyAction, "Pressed");
    EXPECT_STREQ(s_inlineTest.strPrevKeyAction, "Cursor East Key--Pressed");
    L_MUTEX_Unlock(RES_INLINETEST);

    EXPECT_EQ(answer("#t1,20000\r"), "");
    workKeypad();
    EXPECT_EQ(read(4), "Pass");
    EXPECT_EQ(currentTest(), WAITING_FOR_TEST);
    L_MUTEX_LockWait(RES_INLINETEST);
    EXPECT_STREQ(s_inlineTest.strLastKeyAction, "");
    L_MUTEX_Unlock(RES_INLINETEST);

    // The run's end after the keypad and GPS passes.
    EXPECT_EQ(answer("#t15,1,0,999\r"), "GPS Test Pass , 998\n\r");
    EXPECT_EQ(answer("#t31\r"), "#ACK\n\r"); // no NVRAM task: the save fails, the answer goes all the same
    EXPECT_EQ(passedTests(), (1u << 0) | (1u << 14) | (1u << 30));
    EXPECT_EQ(currentTest(), TESTING_FINISHED_PASS);
}

TEST_F(Factory, DisplayAndBackLightTakeMenuOnlyOnceShown)
{
    // Ticks held: nothing has been shown yet.
    L_TIMER_vHoldDelivery(TRUE);
    EXPECT_EQ(answer("#t2,1\r"), "");
    EXPECT_TRUE(press(KEY_MENU).bad);
    EXPECT_TRUE(press(KEY_VIEW).bad);
    L_TIMER_vHoldDelivery(FALSE);
    ASSERT_TRUE(waitFor([] {
        L_MUTEX_LockWait(RES_INLINETEST);
        const S32 n = s_inlineTest.s32DisplayNextColor;
        L_MUTEX_Unlock(RES_INLINETEST);
        return n >= 5;
    }));
    EXPECT_TRUE(press(KEY_MENU).good);
    EXPECT_EQ(read(4), "Pass");

    // Without the watch flag MENU counts at once; EXIT fails.
    EXPECT_EQ(answer("#t2,0\r"), "");
    EXPECT_TRUE(press(KEY_MENU).good);
    EXPECT_EQ(read(4), "Pass");
    EXPECT_EQ(answer("#t2,0\r"), "");
    EXPECT_TRUE(press(KEY_EXIT).good);
    EXPECT_EQ(read(4), "Fail");

    auto backlight = [] {
        U32 u = 0;
        H_DATABASE_bFetchU32(FCID("CBAK"), &u, nullptr, nullptr);
        return u;
    };
    L_TIMER_vHoldDelivery(TRUE);
    EXPECT_EQ(answer("#t5,1\r"), "5");
    EXPECT_TRUE(press(KEY_MENU).bad);
    L_TIMER_vHoldDelivery(FALSE);
    // The third level of the cycle 3, 6, 10 comes with the third tick.
    ASSERT_TRUE(waitFor([&] { return backlight() == 10; }));
    EXPECT_TRUE(press(KEY_MENU).good);
    EXPECT_EQ(read(4), "Pass");
    EXPECT_EQ(answer("#t6\r"), "6");
    EXPECT_TRUE(press(KEY_EXIT).good);
    EXPECT_EQ(read(4), "Fail");
    EXPECT_EQ(passedTests(), (1u << 1) | (1u << 4));
}

// Sonar: the simulated coprocessor with one echo planted, silent otherwise.
const char* const ECHO_AT_9_FEET = "connected 1\nbottom 0\nnoise 0\nfish 3.0 150\n";


// The next answer line, waited for up to the given time.
std::string line(int ms)
{
    std::string out;
    U8 byte;
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end && L_QUEUE_GetWaitTicks(Q_TRANSMIT_UART3, &byte, 100) != 0) {
    }
    if (Clock::now() >= end)
        return out;
    out += (char)byte;
    while (out.back() != '\r' && L_QUEUE_GetWaitTicks(Q_TRANSMIT_UART3, &byte, 2000) == 0)
        out += (char)byte;
    return out;
}

TEST_F(Factory, SonarTestDecidesOnThePingAndAnswersOneTickLater)
{
    scene(ECHO_AT_9_FEET);
    const auto start = Clock::now();
    EXPECT_EQ(answer("#t7,0,200,0,0,100,200,5,20,10,3000\r"), "");
    EXPECT_EQ(line(10000), "Sonar Test Pass,150,9,0\n\r");
    // Decided on the first ping (15 ms), sent on the next (1000 ms).
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(900));
    EXPECT_EQ(passedTests(), 1u << 6);
    EXPECT_EQ(s_testParams.u8NumberSonarBeams, 1);
    EXPECT_EQ(s_testParams.aBeamData[0].s16TransmitFrequency, 200);
    EXPECT_EQ(s_testParams.aBeamData[0].s16NoiseFloor, 10);
    EXPECT_TRUE(press(KEY_MENU).bad);
    EXPECT_EQ(currentTest(), TESTING_SONAR);

    // A second verdict counts, but the bit is set only with the first.
    H_DATABASE_bUpdateValueU32(FCID("STTP"), 0, P_TESTMODE);
    EXPECT_EQ(answer("#t7,1,200,0,0,100,200,5,20,10,3000\r"), "");
    EXPECT_EQ(line(10000), "Sonar Test Pass,150,9,0\n\r");
    EXPECT_EQ(passedTests(), 0u);
    EXPECT_EQ(s_testParams.u8NumberSonarBeams, 2);
    EXPECT_EQ(answer("#S\r"), "");

    // Beams beyond the table are refused without a ping.
    EXPECT_EQ(answer("#t7,7,200,0,0,100,200,5,20,10,3000\r"), "#NAK\n\r");
    EXPECT_EQ(answer("#t21,7,200,0,0,10,100\r"), "#NAK\n\r");
}

TEST_F(Factory, SonarTestFailsOnThePingThatReachesTheTimeOut)
{
    scene(ECHO_AT_9_FEET);
    const auto start = Clock::now();
    // The echo is weaker than the least signal asked for.
    EXPECT_EQ(answer("#t7,0,200,0,0,200,250,5,20,10,3000\r"), "");
    EXPECT_EQ(line(15000), "Sonar Test Fail,150,9,0\n\r");
    // The fourth ping (985 x 4 >= 3000) decides, the fifth answers.
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(3800));
    EXPECT_EQ(passedTests(), 0u);
    EXPECT_EQ(answer("#S\r"), "");
}

TEST_F(Factory, EqualPeaksGiveTheEarlierDepthAndNoTimeOutMeansNoAnswer)
{
    scene("connected 1\nbottom 0\nnoise 0\nfish 3.0 150\nfish 5.0 150\n");
    EXPECT_EQ(answer("#t7,0,200,0,0,100,200,5,20,10,0\r"), "");
    ASSERT_TRUE(waitFor([] {
        L_MUTEX_LockWait(RES_INLINETEST);
        const bool decided = s_inlineTest.eTestResult != PENDING;
        L_MUTEX_Unlock(RES_INLINETEST);
        return decided;
    }));
    L_MUTEX_LockWait(RES_INLINETEST);
    const SONAR_DISPLAY_DATA d = s_inlineTest.sonarDisplay;
    const TEST_RESULT result = s_inlineTest.eTestResult;
    L_MUTEX_Unlock(RES_INLINETEST);
    EXPECT_EQ(d.u16Depth, 9);
    EXPECT_EQ(d.u16Signal, 150);
    EXPECT_TRUE(d.bDepthPass && d.bSignalPass && d.bNoisePass);
    EXPECT_EQ(result, PASS);
    // One-shot: the verdict is shown, never sent.
    EXPECT_EQ(line(1500), "");
}

TEST_F(Factory, SonarTuningAnswersTheSamplesAroundTheDepth)
{
    // An echo of 200 from sample 160 (10 feet) for the pulse's 10 samples.
    scene("connected 1\nbottom 0\nnoise 0\nfish 3.04 200\n");
    EXPECT_EQ(answer("#t21,3,200,1,2,10,100\r"),
              "0, 0, 0, 0, 0, 0, 0, 0, 0, >> 200 << 200, 200, 200, 200, 200, 200, 200, 200, 200, \n\r");
    EXPECT_EQ(s_testParams.aBeamData[3].s16TransmitFrequency, 200);
    EXPECT_EQ(s_testParams.aBeamData[3].s16RecieverNumber, 1);
    EXPECT_EQ(s_testParams.aBeamData[3].s16Bandwidth, 2);
    EXPECT_EQ(answer("#t21,3,200,1,2,10,0\r"), "200\n\r");
    // A window past the last sample tells only the samples received.
    EXPECT_EQ(answer("#t21,3,200,1,2,256,100\r"), "0, 0, 0, 0, 0, 0, 0, 0, 0, \n\r");
    EXPECT_EQ(answer("#t21,3,200,1,2,300,100\r"), "\n\r");

    EXPECT_EQ(currentTest(), TEST_SONAR_TUNING);
    EXPECT_TRUE(press(KEY_VIEW).bad);
    EXPECT_TRUE(press(KEY_MENU).good);
    EXPECT_EQ(read(6), "Pass\n\r");
    EXPECT_EQ(currentTest(), WAITING_FOR_TEST);
    EXPECT_EQ(passedTests(), 0u);
}

} // namespace
