// The inline-test task's world for its tests: the station drives it with
// bytes into port 3's receive queue and reads answers off its transmit
// queue. Its neighbours are played by the test: one recorder reads the
// mailboxes of the serial-port, view, keyboard, ping, sonar, history, card
// and NMEA tasks and acknowledges every mail; the chart task is a task that
// only waits. Each test file that includes this runs the task once per
// process.
#pragma once

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

} // namespace
