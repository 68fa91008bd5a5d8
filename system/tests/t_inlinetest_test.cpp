// The inline-test task driven as the station drives it: bytes into port
// 3's receive queue, answers read off its transmit queue. Its neighbours
// are played by the test: one recorder reads the mailboxes of the
// serial-port, view, keyboard, ping, sonar, history, card and NMEA tasks
// and acknowledges every mail; the chart task is a task that only waits;
// the NVRAM task is the real one where the settings matter.
#include "system/tests/inlinetest_world.h"

namespace {

TEST_F(InlineTest, FramesAnswerAsTheStationExpects)
{
    enter();
    struct Case {
        std::string frame;
        std::string answer;
    } cases[] = {
        {"#v\r", "7.790\n\r"},
        {"#vx", ""},                       // a byte other than a line end drops the frame
        {"#q\r", ""},                      // a letter not in the table
        {"junk#v\n", "7.790\n\r"},         // garbage before the "#" is skipped
        {"#rABCD\r", "#NAK\n\r"},          // never written
        {"#wABCD=17\r", "#ACK\n\r"},
        {"#rABCD\r", "17\n\r"},
        {"#wABCD 4294967295\r", "#ACK\n\r"}, // saturates at the 32-bit limit
        {"#rABCD\r", "2147483647\n\r"},
        {"#wABCD=-5\r", "#ACK\n\r"},
        {"#rABCD\r", "-5\n\r"},
        {"#wABC\r", "#NAK\n\r"},           // too short for a key, a separator and a digit
        {"#wABCD=\r", "#NAK\n\r"},
        {"#rAB\r", "#NAK\n\r"},
        {"#f3\r", "Program Command Sent\r\n"},
        {"#f7\r", "7\r\n"},
        {"#f1\r", "\r\n"},                 // the receiver's text: none yet
        {"#ifree text\n", "free text"},
        {"#S\r", ""},
        {"#m\r", "\n\r"},
        {"#lfalse\r", "Command Completed Successfully!\n\r"}, // recorded by the root's runner
        {"#t4\r", "4"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(answer(c.frame), c.answer) << c.frame;
}

TEST_F(InlineTest, StatusLineFollowsTheDisplayCommand)
{
    enter();
    EXPECT_EQ(statusLine(), "Waiting for Test Command");
    EXPECT_EQ(answer("#dHello\r"), "Hello");
    EXPECT_EQ(statusLine(), "Hello");
    EXPECT_EQ(answer("#d\r"), "");
    EXPECT_EQ(statusLine(), "Waiting for Test Command");
}

TEST_F(InlineTest, ArgumentsStopAt512CharactersAndTheRestOfTheLineIsSkipped)
{
    enter();
    const std::string arg(512, 'a');
    EXPECT_EQ(answer("#i" + arg + "bbbb\r"), arg);
    EXPECT_EQ(answer("#i" + arg + "\r"), arg);
    EXPECT_EQ(answer("#i" + std::string(511, 'c') + "d\r"), std::string(511, 'c') + "d");
}

TEST_F(InlineTest, GpsResetAnswersAfterHalfASecondAndResetsTwice)
{
    enter();
    recorder_->settle();
    const size_t before = recorder_->mails(CMD_ID_NMEA_GPS_RESET).size();
    EXPECT_EQ(before, 2u); // the entry's two
    const auto start = Clock::now();
    send("#g\r");
    EXPECT_EQ(read(11), "GPS Reset\n\r");
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(450));
    recorder_->settle();
    ASSERT_EQ(recorder_->mails(CMD_ID_NMEA_GPS_RESET).size(), before + 2);
    for (const Mail& m : recorder_->mails(CMD_ID_NMEA_GPS_RESET)) {
        EXPECT_EQ(m.a, NMEA_RESET_FACTORY);
        EXPECT_EQ(m.b, ID_INTERNAL_GPS);
    }
}

TEST_F(InlineTest, BytesBeforeTheConnectStayUnread)
{
    startTask();
    send("#v\r");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(L_QUEUE_Inquire(Q_RECEIVE_UART3), 3);
    EXPECT_EQ(L_QUEUE_Inquire(Q_TRANSMIT_UART3), 0);
}

TEST_F(InlineTest, EntryStopsTheTasksTakesThePortsAndTheScreen)
{
    startTask();
    // Port 3 is asked for at start, with the connect semaphore.
    {
        const Mail m = recorder_->mails(CMD_ID_CAPTURE_CHANNEL)[0];
        EXPECT_EQ(m.a, 3);
        EXPECT_EQ(m.b, '?');
        EXPECT_EQ(m.c, SEMA_TEST_CONNECT);
    }

    // A task that holds the chart images' mutex stops the entry after the
    // mutexes before it in the order; one waiting for the first mutex gets
    // it only when every other is free again.
    std::atomic<bool> release{false};
    s_agents[0].job = [&] {
        L_MUTEX_LockWait(21);
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        L_MUTEX_Unlock(21);
    };
    L_SEMA_Signal(s_agents[0].go);
    ASSERT_TRUE(waitFor([] { return L_MUTEX_GetOwnerTaskID(21) == 40; }));

    L_SEMA_Signal(SEMA_TEST_CONNECT);
    ASSERT_TRUE(waitFor([] { return L_MUTEX_GetOwnerTaskID(18) == INLINETEST_TASK; }));
    for (MUTEX m : {20, 15, 19})
        EXPECT_EQ(L_MUTEX_GetOwnerTaskID(m), INLINETEST_TASK) << "mutex " << m;
    EXPECT_NE(L_MUTEX_GetOwnerTaskID(1), INLINETEST_TASK);
    EXPECT_EQ(L_TASK_bIsRunning(CHART_TASK), CHART_TASK_RUNS);

    std::atomic<bool> othersFree{false}, chartEnded{false};
    s_agents[1].job = [&] {
        L_MUTEX_LockWait(20);
        bool free = true;
        for (MUTEX m : {15, 19, 18, 21, 1})
            free = free && L_MUTEX_GetOwnerTaskID(m) != INLINETEST_TASK;
        othersFree = free;
        chartEnded = !L_TASK_bIsRunning(CHART_TASK);
        L_MUTEX_Unlock(20);
    };
    L_SEMA_Signal(s_agents[1].go);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    release = true;

    EXPECT_EQ(read(6), "#ACK\n\r");
    ASSERT_TRUE(waitFor([] { return s_agents[1].done.load(); }));
    EXPECT_TRUE(othersFree);
    EXPECT_TRUE(chartEnded);

    U32 state = 0, view = 0;
    EXPECT_TRUE(H_DATABASE_bFetchU32(FCID("CCST"), &state, nullptr, nullptr));
    EXPECT_EQ(state, 9u);
    EXPECT_TRUE(H_DATABASE_bFetchU32(FCID("CVEW"), &view, nullptr, nullptr));
    EXPECT_EQ(view, (U32)IN_LINE_TEST_LAYER);

    recorder_->settle();
    // The mails in the order they were handled.
    std::vector<MBOX> shutdowns, runs;
    for (const Mail& m : recorder_->mails()) {
        if (m.cmd == CMD_ID_SHUTDOWN) {
            shutdowns.push_back(m.mbox);
            EXPECT_EQ(m.sema, SEMA_SONAR_SHUTDOWN);
        }
        if (m.cmd == CMD_ID_RUN_SYSTEM)
            runs.push_back(m.mbox);
    }
    EXPECT_EQ(shutdowns, (std::vector<MBOX>{8, 9, 31, 29}));
    EXPECT_EQ(runs, (std::vector<MBOX>{NMEA_MBOX}));

    const std::vector<Mail> captures = recorder_->mails(CMD_ID_CAPTURE_CHANNEL);
    ASSERT_EQ(captures.size(), 3u);
    EXPECT_EQ(captures[1].a, 2);
    EXPECT_EQ(captures[1].c, -1);
    EXPECT_EQ(captures[2].a, 0);
    EXPECT_EQ(captures[2].c, -1);

    const std::vector<Mail> keys = recorder_->mails(CMD_ID_REGISTER_FOR_KEYS);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].a, 0xFFFE);
    EXPECT_EQ(keys[0].b, REGISTER_DIAGNOSTIC);
    EXPECT_EQ(keys[0].c, CURSOR_4);
    EXPECT_EQ(keys[1].a, 0x0001);
    EXPECT_EQ(keys[1].c, NOT_CURSOR_KEY);

    const std::vector<Mail> layers = recorder_->mails(CMD_ID_REGISTER_LAYER);
    ASSERT_EQ(layers.size(), 1u);
    EXPECT_EQ(layers[0].a, IN_LINE_TEST_LAYER);
    EXPECT_EQ(layers[0].b, USED_BY_NONE);
    EXPECT_EQ(layers[0].c, 1);

    bool viewTold = false;
    for (const Mail& m : recorder_->mails(CMD_ID_NEW_DATA))
        viewTold = viewTold || (m.mbox == NMEA_MBOX && (U32)m.a == FCID("CVEW") && m.b == IN_LINE_TEST_LAYER);
    EXPECT_TRUE(viewTold);

    // A second "?" changes nothing.
    L_SEMA_Signal(SEMA_TEST_CONNECT);
    EXPECT_EQ(answer("#v\r"), "7.790\n\r");
    EXPECT_EQ(recorder_->mails(CMD_ID_SHUTDOWN).size(), 4u);
}

TEST_F(InlineTest, MapCheckSetsItsSettingOnceTheListChecksAndIsThenSkipped)
{
    enter();
    // A stand-in md5sum that finds a file changed.
    vt::makeDirs(root_.at("/bin"));
    ASSERT_TRUE(vt::writeFile(root_.at("/bin/md5sum"), "#!/bin/sh\necho \"$@\" >> " + root_.at("/tmp/md5.log") +
                                                             "\nexit 1\n"));
    chmod(root_.at("/bin/md5sum").c_str(), 0755);
    auto checked = [] {
        BOOLEAN b = FALSE;
        return H_DATABASE_bFetchBoolean(FCID("SNMV"), &b, nullptr, nullptr) && b;
    };
    EXPECT_EQ(answer("#m\r"), "\n\r"); // the verdict is not reported
    EXPECT_FALSE(checked());
    EXPECT_EQ(vt::readFile(root_.at("/tmp/md5.log")), "-c /usr/vondrel/ORVANE/CHARTS/varnel.md5\n");

    // In burn-in the run command checks too; now the files match.
    ASSERT_TRUE(vt::writeFile(root_.at("/bin/md5sum"), "#!/bin/sh\necho \"$@\" >> " + root_.at("/tmp/md5.log") +
                                                             "\nexit 0\n"));
    H_DATABASE_bUpdateValueU32(FCID("CCST"), 2, P_HIGHEST);
    auto* run = static_cast<GENERIC_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(GENERIC_MESSAGE)));
    run->Cmd = CMD_ID_RUN_SYSTEM;
    ASSERT_EQ(L_MBOX_SendWaitTicks(INLINETEST_MBOX, &run->msghdr, 3, 273, 10000), 0);
    H_MEMORY_vFree(run);
    EXPECT_TRUE(checked());

    // Once set, no further check runs.
    EXPECT_EQ(answer("#m\r"), "\n\r");
    EXPECT_EQ(vt::readFile(root_.at("/tmp/md5.log")),
              "-c /usr/vondrel/ORVANE/CHARTS/varnel.md5\n-c /usr/vondrel/ORVANE/CHARTS/varnel.md5\n");
}

// With the real NVRAM task: "c" clears the owner text and the navigation
// data; "e" erases the settings behind an orderly shutdown that spares
// this task, the view task and the display task.
class InlineTestSettings : public InlineTest {
protected:
    void SetUp() override
    {
        InlineTest::SetUp();
        if (IsSkipped())
            return;
        L_MBOX_DefineSema(NVRAM_MBOX, 45);
        const TASK_PARAM p = {1024, 100, T_NVRAM_vMain};
        ASSERT_EQ(L_TASK_SetParams(NVRAM_TASK, &p), 0);
        ASSERT_EQ(L_TASK_Start(NVRAM_TASK), 0);
        ASSERT_TRUE(waitFor([] { return H_DATABASE_bFetch(FCID("TNVR"), nullptr, nullptr, nullptr); }));
    }
};

TEST_F(InlineTestSettings, ClearUserInfoEmptiesTheOwnerTextAndTheNavigationData)
{
    PERSONALIZATION_DATA_BLOCK owner = {};
    owner.u16Data[0] = 'J' | 'o' << 8;
    ASSERT_TRUE(H_NVRAM_bWritePersonalizationData(&owner));
    enter();
    EXPECT_EQ(answer("#c\r"), "#ACK\n\r");
    PERSONALIZATION_DATA_BLOCK read = {};
    read.u16Data[0] = 0xFFFF;
    ASSERT_TRUE(H_NVRAM_bReadPersonalizationData(&read));
    EXPECT_EQ(read.u16Data[0], 0);
    EXPECT_EQ(s_navDeletes.load(), 1);
}

TEST_F(InlineTestSettings, EraseSparesTheScreenTasksAndScratchesTheSettings)
{
    enter();
    EXPECT_EQ(answer("#wSABC=5\r"), "#ACK\n\r");
    U_INLINETEST_vSaveTestResults();
    ASSERT_TRUE(vt::fileExists(root_.cwd() + "/sonar.dat"));

    EXPECT_EQ(answer("#e\r"), "");
    EXPECT_EQ(statusLine(), "NVR Erased");
    EXPECT_FALSE(vt::fileExists(root_.cwd() + "/sonar.dat"));
    NVR_ENTRY entry = {FCID("SABC"), {}};
    EXPECT_FALSE(H_NVRAM_bGetItemByID(&entry));
    EXPECT_EQ(s_navErases.load(), 1);
    EXPECT_EQ(s_navInits.load(), 1);

    std::vector<MBOX> told;
    for (const Mail& m : recorder_->mails(CMD_ID_SHUTDOWN))
        if (m.sema == SEMA_SHUTDOWN_KEYB)
            told.push_back(m.mbox);
    EXPECT_NE(std::find(told.begin(), told.end(), MBOX_UART), told.end());
    EXPECT_EQ(std::find(told.begin(), told.end(), VIEW_MBOX), told.end());
    EXPECT_EQ(std::find(told.begin(), told.end(), DISPLAY_MBOX), told.end());
    EXPECT_EQ(std::find(told.begin(), told.end(), KEYBOARD_MBOX), told.end());
}

TEST_F(InlineTest, EraseBeforeTheEntryDoesNothing)
{
    startTask();
    // Frames are not read before the entry, so the handler is called here.
    char buffer[INLINETEST_FRAME_BYTES] = "";
    EXPECT_TRUE(T_INLINETEST_bHandleScratchNVR(buffer));
    EXPECT_EQ(statusLine(), "Waiting for Test Command");
    EXPECT_TRUE(recorder_->mails(CMD_ID_SHUTDOWN).empty());
}

} // namespace

namespace {

TEST(InlineTestFatal, ASecondOwnerOfTheTaskKeyEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "fast"); // the child keeps this root
    vt::TempRoot root;
    root.exportEnv();
    EXPECT_EXIT(
        {
            H_DATABASE_vInit();
            H_DATABASE_bUpdateEverythingU32(FCID("TTST"), 9, P_HIGHEST, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
            T_INLINETEST_vMain();
        },
        testing::ExitedWithCode(10), "");
    const std::string log = vt::readFile(root.cwd() + "/FATAL.LOG");
    EXPECT_NE(log.find("Somebody else registered the Inline Test Task Maibox"), std::string::npos) << log;
    EXPECT_NE(log.find("t_inlinetest"), std::string::npos) << log;
}

} // namespace
