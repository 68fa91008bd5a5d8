// The inline-test task driven as the station drives it: bytes into port
// 3's receive queue, answers read off its transmit queue. Its neighbours
// are played by the test: one recorder reads the mailboxes of the
// serial-port, view, keyboard, ping, sonar, history, card and NMEA tasks
// and acknowledges every mail; the chart task is a task that only waits;
// the NVRAM task is the real one where the settings matter.
#include "system/t_inlinetest.h"

#include "system/t_inlinetest_state.h"
#include "system/u_inlinetest.h"

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/l_queue.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "nmea/t_nmea_gps_standin.h"
#include "platform/h_coproc.h"
#include "platform/t_uart.h"
#include "store/database_msg.h"
#include "store/h_database.h"
#include "store/h_nvram.h"
#include "store/t_nvram.h"
#include "testing/t_root.h"
#include "ui/u_keyboard.h"
#include "ui/u_view.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr MBOX VIEW_MBOX = 5;
constexpr MBOX KEYBOARD_MBOX = 10;
constexpr MBOX DISPLAY_MBOX = 4;
constexpr TASK CHART_TASK = 13;

// One mail as it arrived, with the fields the tests look at.
struct Mail {
    MBOX mbox;
    CMD_ID cmd;
    PRIORITY priority;
    SEMA sema;
    S32 a = 0, b = 0, c = 0; // per command, below
};

// Reads the fake tasks' mailboxes in one thread, so that the log has one
// order; every mail is disposed of as its receiver would (acknowledged or
// freed).
class Recorder {
public:
    explicit Recorder(std::vector<MBOX> mboxes) : mboxes_(std::move(mboxes))
    {
        thread_ = std::thread([this] { run(); });
    }
    ~Recorder()
    {
        stop_ = true;
        thread_.join();
    }
    std::vector<Mail> mails()
    {
        std::lock_guard<std::mutex> lock(m_);
        return log_;
    }
    // Returns once every mail queued before the call has been logged: two
    // whole sweeps over the mailboxes have begun and ended since.
    void settle()
    {
        const U64 start = sweeps_;
        while (sweeps_ < start + 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::vector<Mail> mails(CMD_ID cmd)
    {
        std::vector<Mail> out;
        for (const Mail& m : mails())
            if (m.cmd == cmd)
                out.push_back(m);
        return out;
    }

private:
    void run()
    {
        while (!stop_) {
            bool any = false;
            for (MBOX mbox : mboxes_) {
                while (MSGHEADER* h = L_MBOX_Receive(mbox)) {
                    any = true;
                    record(mbox, h);
                    H_MEMORY_vDumpMail(h);
                }
            }
            ++sweeps_;
            if (!any)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    void record(MBOX mbox, MSGHEADER* h)
    {
        Mail m{mbox, reinterpret_cast<GENERIC_MESSAGE*>(h)->Cmd, h->MsgPriority, h->sema};
        switch (m.cmd) {
        case CMD_ID_CAPTURE_CHANNEL: {
            auto* p = reinterpret_cast<MSG_CAPTURE_CHANNEL*>(h);
            m.a = p->uart, m.b = p->byteMatchCharacter, m.c = p->semaphore;
            break;
        }
        case CMD_ID_REGISTER_LAYER: {
            auto* p = reinterpret_cast<MSG_REGISTER_LAYER*>(h);
            m.a = p->layer, m.b = p->where_used, m.c = p->pDrawFunction == T_INLINETEST_vDrawTestLayer;
            break;
        }
        case CMD_ID_REGISTER_FOR_KEYS: {
            auto* p = reinterpret_cast<MSG_REGISTER_FOR_KEYS*>(h);
            m.a = (S32)p->keys, m.b = p->usage, m.c = p->cursor_mode;
            break;
        }
        case CMD_ID_NEW_DATA: {
            auto* p = reinterpret_cast<MESSAGE_NEW_DATA*>(h);
            m.a = (S32)p->FourCharId, m.b = p->dbValue.s32Val;
            break;
        }
        case CMD_ID_NMEA_GPS_RESET: {
            auto* p = reinterpret_cast<MSG_NMEA_GPS_RESET*>(h);
            m.a = p->reset, m.b = p->source;
            break;
        }
        default:
            break;
        }
        std::lock_guard<std::mutex> lock(m_);
        log_.push_back(m);
    }
    std::vector<MBOX> mboxes_;
    std::atomic<U64> sweeps_{0};
    std::mutex m_;
    std::vector<Mail> log_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

bool waitFor(const std::function<bool()>& cond, int ms = 10000)
{
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        if (cond())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return cond();
}

// A task of its own that runs one job when told, so that kernel mutexes
// see a distinct owner.
struct Agent {
    SEMA go = 0;
    std::function<void()> job;
    std::atomic<bool> done{false};
};
Agent s_agents[2];

template <int N>
void agentEntry(void)
{
    for (;;) {
        L_SEMA_Wait(s_agents[N].go);
        s_agents[N].job();
        s_agents[N].done = true;
    }
}

// The kernel ends another task with a signal whose handler leaves the
// thread, which ThreadSanitizer reports as a call unsafe inside a signal;
// in that tree the chart task is not started and its end is not checked.
#if defined(__SANITIZE_THREAD__)
constexpr bool CHART_TASK_RUNS = false;
#else
constexpr bool CHART_TASK_RUNS = true;
#endif

void chartEntry(void)
{
    for (;;)
        L_SEMA_Wait(270);
}

std::atomic<int> s_navDeletes{0}, s_navErases{0}, s_navInits{0};

class InlineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Task 26 runs once per process (ctest gives every test its own).
        static bool s_started = false;
        if (s_started)
            GTEST_SKIP() << "needs a process of its own";
        s_started = true;
        root_.exportEnv();
        H_DATABASE_vInit();
        H_COPROC_vInitialize();
        L_MBOX_DefineSema(INLINETEST_MBOX, SEMA_MBOX_INLINETEST);
        L_QUEUE_DefineSema(Q_RECEIVE_UART3, SEMA_QUEUE_RX3, QNE);
        static const T_INLINETEST_NEIGHBOURS nav = {[](BOOLEAN) { ++s_navDeletes; }, [] { ++s_navErases; },
                                                    [] { ++s_navInits; }};
        T_INLINETEST_vInstallNeighbours(&nav);
        recorder_ = std::make_unique<Recorder>(
            std::vector<MBOX>{MBOX_UART, VIEW_MBOX, KEYBOARD_MBOX, DISPLAY_MBOX, 8, 9, 31, 29, NMEA_MBOX});
        publish("TURT", MBOX_UART);
        publish("TVUE", VIEW_MBOX);
        publish("TKBD", KEYBOARD_MBOX);
        publish("TDSP", DISPLAY_MBOX);
        publish("TSMG", 31);
        publish("TNME", NMEA_MBOX);
        if (CHART_TASK_RUNS) {
            const TASK_PARAM chart = {1024, 100, chartEntry};
            ASSERT_EQ(L_TASK_SetParams(CHART_TASK, &chart), 0);
            ASSERT_EQ(L_TASK_Start(CHART_TASK), 0);
        }
        TASK_ENTRY* entries[2] = {agentEntry<0>, agentEntry<1>};
        for (int i = 0; i < 2; ++i) {
            s_agents[i].go = (SEMA)(271 + i);
            const TASK_PARAM p = {1024, 100, entries[i]};
            ASSERT_EQ(L_TASK_SetParams(40 + i, &p), 0);
            ASSERT_EQ(L_TASK_Start(40 + i), 0);
        }
    }
    void TearDown() override { recorder_.reset(); }

    static void publish(const char* key, MBOX mbox)
    {
        const FOURCHARID fcid = (U32)(U8)key[0] | (U32)(U8)key[1] << 8 | (U32)(U8)key[2] << 16 | (U32)(U8)key[3] << 24;
        H_DATABASE_bUpdateEverythingU32(fcid, (U32)mbox, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    }

    void startTask()
    {
        const TASK_PARAM p = {4096, 100, T_INLINETEST_vMain};
        ASSERT_EQ(L_TASK_SetParams(INLINETEST_TASK, &p), 0);
        ASSERT_EQ(L_TASK_Start(INLINETEST_TASK), 0);
        ASSERT_TRUE(waitFor([] { return H_DATABASE_bFetch(FCID("TTST"), nullptr, nullptr, nullptr); }));
        // Port 3 is asked for after the start's state is set: once its mail
        // is here, the task's start is seen complete.
        ASSERT_TRUE(waitFor([&] { return !recorder_->mails(CMD_ID_CAPTURE_CHANNEL).empty(); }));
    }
    // The station's "?": the serial-port task signals the connect semaphore.
    void connect()
    {
        L_SEMA_Signal(SEMA_TEST_CONNECT);
        EXPECT_EQ(read(6), "#ACK\n\r");
    }
    void enter()
    {
        startTask();
        connect();
    }
    static void send(const std::string& bytes)
    {
        for (char ch : bytes) {
            const U16 element = (U8)ch;
            L_QUEUE_PutWait(Q_RECEIVE_UART3, &element);
        }
    }
    // Up to n bytes of the answer, or fewer when none comes for a while.
    static std::string read(size_t n, int quietMs = 5000)
    {
        std::string out;
        U8 byte;
        while (out.size() < n && L_QUEUE_GetWaitTicks(Q_TRANSMIT_UART3, &byte, (TICKS)quietMs) == 0)
            out += (char)byte;
        return out;
    }
    // The answer to a frame: a marker frame follows it, whose echo ends the
    // read, so that "no answer" is seen at once and for certain.
    static std::string answer(const std::string& frame)
    {
        send(frame + "#i|\r");
        std::string out;
        U8 byte;
        while (L_QUEUE_GetWaitTicks(Q_TRANSMIT_UART3, &byte, 10000) == 0) {
            if (byte == '|')
                return out;
            out += (char)byte;
        }
        ADD_FAILURE() << "no marker after " << frame;
        return out;
    }
    static std::string statusLine()
    {
        L_MUTEX_LockWait(RES_INLINETEST);
        std::string s = s_inlineTest.strStartingTest;
        L_MUTEX_Unlock(RES_INLINETEST);
        return s;
    }

    vt::TempRoot root_;
    std::unique_ptr<Recorder> recorder_;
};

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
