// The start-up task driven step by step in the test's thread: the state
// prepared without a choice, the start with and without the disclaimer, the
// start-up menu's keys, a state written by another task, the 2000 ms
// period, System Status with its service sequence, the quick-setup menu's
// removal and the shutdown.
//
// The neighbours are mailboxes the test reads: the view task (5, served by
// a thread that acknowledges the registrations that wait), the keyboard
// (10), the menu (15) and the NVRAM task (14); every task mailbox of the
// run broadcast is drained. Detection is left out with fake_transducer,
// which answers "no transducer" without touching the coprocessor.
#include "system/t_startup.h"

#include "system/t_startup_edit.h"

#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_sema.h"
#include "platform/h_options.h"
#include "store/database_msg.h"
#include "store/h_database.h"
#include "store/t_nvram.h"
#include "ui/u_menu_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr MBOX VIEW_MAILBOX = 5;
constexpr MBOX KEYBOARD_MAILBOX = 10;
constexpr MBOX MENU_MAILBOX = 15;
constexpr MBOX NVRAM_MAILBOX = 14;

struct Mail {
    MBOX mbox;
    CMD_ID cmd;
    std::vector<U8> bytes;
    template <typename MAIL>
    const MAIL& as() const
    {
        return *reinterpret_cast<const MAIL*>(bytes.data());
    }
};

size_t mailSize(CMD_ID cmd)
{
    switch (cmd) {
    case CMD_ID_REGISTER_LAYER:
        return sizeof(MSG_REGISTER_LAYER);
    case CMD_ID_UNREGISTER_LAYER:
        return sizeof(MSG_UNREGISTER_LAYER);
    case CMD_ID_REGISTER_FOR_KEYS:
        return sizeof(MSG_REGISTER_FOR_KEYS);
    case CMD_ID_UNREGISTER_FOR_KEYS:
        return sizeof(MSG_UNREGISTER_FOR_KEYS);
    case CMD_ID_WRITE_TO_HEADER:
        return sizeof(MSG_NVRAM_WRITE_TO_HEADER);
    case CMD_ID_WRITE_TO_NVR:
        return sizeof(MSG_NVRAM_WRITE_TO_NVR);
    default:
        return sizeof(GENERIC_MESSAGE);
    }
}

Mail copy(MBOX mbox, MSGHEADER* pHeader)
{
    const auto* pMsg = reinterpret_cast<const GENERIC_MESSAGE*>(pHeader);
    Mail m{mbox, pMsg->Cmd, std::vector<U8>(sizeof(MSG_REGISTER_LAYER) + 64)};
    memcpy(m.bytes.data(), pHeader, mailSize(pMsg->Cmd));
    return m;
}

std::vector<Mail> drain(MBOX mbox)
{
    std::vector<Mail> out;
    while (MSGHEADER* pHeader = L_MBOX_Receive(mbox)) {
        out.push_back(copy(mbox, pHeader));
        H_MEMORY_vDumpMail(pHeader);
    }
    return out;
}

// The view task: takes every mail, accepts the registrations that wait.
class ViewPeer {
public:
    ViewPeer()
        : thread_([this] {
              while (!stop_) {
                  MSGHEADER* pHeader = L_MBOX_ReceiveWaitTicks(VIEW_MAILBOX, 5);
                  if (pHeader == nullptr)
                      continue;
                  auto* pMsg = reinterpret_cast<GENERIC_MESSAGE*>(pHeader);
                  if (pMsg->Cmd == CMD_ID_REGISTER_LAYER)
                      reinterpret_cast<MSG_REGISTER_LAYER*>(pMsg)->flag = TRUE;
                  {
                      std::lock_guard<std::mutex> lock(mutex_);
                      mails_.push_back(copy(VIEW_MAILBOX, pHeader));
                      runs_ += pMsg->Cmd == CMD_ID_RUN_SYSTEM;
                  }
                  H_MEMORY_vDumpMail(pHeader);
              }
          })
    {
    }
    ~ViewPeer()
    {
        stop_ = true;
        thread_.join();
        drain(VIEW_MAILBOX);
    }
    // What arrived so far, and forgets it.
    std::vector<Mail> take()
    {
        // Mails posted before the call are taken within a few polls.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(mails_, {});
    }
    // Run mails so far, and forgets them.
    int takeRuns()
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(runs_, 0);
    }

private:
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<Mail> mails_;
    int runs_ = 0;
    std::thread thread_;
};

std::vector<LAYER_ID> registered(const std::vector<Mail>& mails)
{
    std::vector<LAYER_ID> out;
    for (const Mail& m : mails)
        if (m.cmd == CMD_ID_REGISTER_LAYER)
            out.push_back(m.as<MSG_REGISTER_LAYER>().layer);
    return out;
}

std::vector<LAYER_ID> unregistered(const std::vector<Mail>& mails)
{
    std::vector<LAYER_ID> out;
    for (const Mail& m : mails)
        if (m.cmd == CMD_ID_UNREGISTER_LAYER)
            out.push_back(m.as<MSG_UNREGISTER_LAYER>().layer);
    return out;
}

bool contains(const std::vector<LAYER_ID>& v, LAYER_ID l) { return std::find(v.begin(), v.end(), l) != v.end(); }

// A key named at run time.
FOURCHARID fcid(const char* k)
{
    return (U32)(U8)k[0] | (U32)(U8)k[1] << 8 | (U32)(U8)k[2] << 16 | (U32)(U8)k[3] << 24;
}

bool signalled(SEMA s) { return L_SEMA_WaitTicks(s, 1) == 0; }

U32 u32(const char* key, U32 otherwise = 0xDEADBEEF)
{
    U32 v = otherwise;
    H_DATABASE_bFetchU32(fcid(key), &v, nullptr, nullptr);
    return v;
}

void set(const char* key, S32 value) { H_DATABASE_bUpdateValueS32(fcid(key), value, P_NORMAL); }

struct Clicks {
    bool good = false;
    bool bad = false;
    bool operator==(const Clicks&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Clicks& c) { return os << "{good " << c.good << ", bad " << c.bad << "}"; }
constexpr Clicks GOOD = {true, false};
constexpr Clicks BAD = {false, true};

class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        H_DATABASE_vInit();
        T_STARTUP_vResetForTests();
        // Past the first 6 s of the process: no start waits for the clock.
        L_CLOCK_vAdvanceTestClock(60000);
        opt_fake_transducer = TRUE;
        opt_nodisclaimer = FALSE;
        H_DATABASE_bUpdateValueU32(FCID("TVUE"), VIEW_MAILBOX, P_NORMAL);
        H_DATABASE_bUpdateValueU32(FCID("TKBD"), KEYBOARD_MAILBOX, P_NORMAL);
        H_DATABASE_bUpdateValueU32(FCID("TMNU"), MENU_MAILBOX, P_NORMAL);
        H_DATABASE_bUpdateValueU32(FCID("TNVR"), NVRAM_MAILBOX, P_NORMAL);
        // Quick setup done, nothing to restore.
        H_DATABASE_bUpdateValueBoolean(FCID("SQCD"), TRUE, P_NORMAL);
        H_DATABASE_bUpdateValueBoolean(FCID("SRDF"), FALSE, P_NORMAL);
        H_DATABASE_bUpdateValueBoolean(FCID("SSRD"), FALSE, P_NORMAL);
        set("CCST", STATE_STARTUP);
        drainAll();
        for (SEMA s : {SEMA_KEYCLICK_GOOD, SEMA_KEYCLICK_BAD, (SEMA)104, (SEMA)116, (SEMA)118})
            L_SEMA_SetPending(s);
    }
    void TearDown() override
    {
        T_STARTUP_vResetForTests();
        opt_fake_transducer = FALSE;
        opt_nodisclaimer = FALSE;
        L_CLOCK_vResetTestClock();
        drainAll();
    }
    void drainAll()
    {
        view_.take();
        view_.takeRuns();
        for (MBOX m : T_STARTUP_mboxTaskMailboxes)
            if (m != VIEW_MAILBOX)
                drain(m);
        drain(STARTUP_MAILBOX);
    }
    // One key press (or release) through the task's mailbox.
    Clicks key(U32 u32Key, CURSOR_POSITION cursor = CURSOR_UP, KEY_STATE state = KEY_DOWN)
    {
        L_SEMA_SetPending(SEMA_KEYCLICK_GOOD);
        L_SEMA_SetPending(SEMA_KEYCLICK_BAD);
        auto* pMsg = static_cast<MSG_KEY_CHANGE*>(H_MEMORY_pvMalloc(sizeof(MSG_KEY_CHANGE)));
        memset(static_cast<void*>(pMsg), 0, sizeof *pMsg);
        pMsg->header.Cmd = CMD_ID_KEY_CHANGE;
        pMsg->key = u32Key;
        pMsg->state = state;
        pMsg->count = 1;
        pMsg->cursor = cursor;
        T_STARTUP_vHandleMail(&pMsg->header.msghdr);
        return {signalled(SEMA_KEYCLICK_GOOD), signalled(SEMA_KEYCLICK_BAD)};
    }
    // A change of a key as the data store tells it.
    void newData(const char* key, U32 value)
    {
        auto* pMsg = static_cast<MESSAGE_NEW_DATA*>(H_MEMORY_pvMalloc(sizeof(MESSAGE_NEW_DATA)));
        memset(static_cast<void*>(pMsg), 0, sizeof *pMsg);
        pMsg->Header.Cmd = CMD_ID_NEW_DATA;
        pMsg->FourCharId = fcid(key);
        pMsg->dbValue.u32Val = value;
        pMsg->bValid = TRUE;
        T_STARTUP_vHandleMail(&pMsg->Header.msghdr);
    }
    STARTUP_STATE_VIEW state() { return T_STARTUP_sGetState(); }
    // The prepared state of a unit whose detection found nothing.
    void prepare(std::initializer_list<std::pair<const char*, S32>> keys)
    {
        for (auto [k, v] : keys)
            set(k, v);
        T_STARTUP_vDetectAndPrepareState();
    }
    // The run broadcast: how many run mails each mailbox got, drained.
    std::vector<int> runMails()
    {
        std::vector<int> counts;
        for (MBOX m : T_STARTUP_mboxTaskMailboxes) {
            if (m == VIEW_MAILBOX) {
                counts.push_back(view_.takeRuns());
                continue;
            }
            int n = 0;
            for (const Mail& mail : drain(m))
                n += mail.cmd == CMD_ID_RUN_SYSTEM;
            counts.push_back(n);
        }
        return counts;
    }

    ViewPeer view_;
};

TEST_F(Startup, TheRunMailGoesToTheThirtySixMailboxesInTableOrder)
{
    const MBOX expected[STARTUP_RUN_MAILBOXES] = {4,  10, 15, 14, 6,  5,  2,  26, 18, 12, 23, 11,
                                                  29, 13, 40, 41, 16, 33, 19, 20, 21, 24, 25, 32,
                                                  8,  9,  31, 69, 59, 60, 61, 63, 64, 70, 62, 71};
    EXPECT_TRUE(std::equal(expected, expected + STARTUP_RUN_MAILBOXES, T_STARTUP_mboxTaskMailboxes));
    opt_nodisclaimer = TRUE;
    T_STARTUP_vHandleAutoStart();
    EXPECT_EQ(runMails(), std::vector<int>(STARTUP_RUN_MAILBOXES, 1));
    EXPECT_EQ(u32("CCST"), (U32)STATE_NORMAL_RUN);
    // Once started, the timer's end starts nothing again.
    T_STARTUP_vHandleAutoStart();
    EXPECT_EQ(runMails(), std::vector<int>(STARTUP_RUN_MAILBOXES, 0));
}

TEST_F(Startup, TheUnitHeaderKeysGetTheirDefaultsAndOneHeaderWriteEach)
{
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, S32>> stored;
        std::vector<std::pair<const char*, S32>> after;
        std::vector<const char*> written;
    };
    const Case cases[] = {
        {"empty settings",
         {},
         {{"SMDL", 410}, {"CREV", 0}, {"SEDB", -1}, {"SEDU", -1}, {"SEIB", -1}, {"SEIU", -1}, {"SENB", -1},
          {"SENU", -1}, {"SETB", -1}},
         {"SMDL", "CREV", "SEDB", "SEDU", "SEIB", "SEIU", "SENB", "SENU", "SETB"}},
        {"model 0 becomes 410, other values stay",
         {{"SMDL", 0}, {"CREV", 3}, {"SEDB", 1}, {"SEDU", 2}, {"SEIB", 3}, {"SEIU", 4}, {"SENB", 5}, {"SENU", 6},
          {"SETB", 7}},
         {{"SMDL", 410}, {"CREV", 3}, {"SENU", 6}},
         {"SMDL"}},
        {"model 409 stays", {{"SMDL", 409}}, {{"SMDL", 409}, {"CREV", 0}}, {"CREV", "SEDB", "SEDU", "SEIB", "SEIU",
                                                                           "SENB", "SENU", "SETB"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        H_DATABASE_vInit();
        H_DATABASE_bUpdateValueU32(FCID("TNVR"), NVRAM_MAILBOX, P_NORMAL);
        for (auto [k, v] : c.stored)
            set(k, v);
        T_STARTUP_vNVRVirginSetup();
        for (auto [k, v] : c.after)
            EXPECT_EQ((S32)u32(k), v) << k;
        std::vector<FOURCHARID> got;
        for (const Mail& m : drain(NVRAM_MAILBOX)) {
            ASSERT_EQ(m.cmd, CMD_ID_WRITE_TO_HEADER);
            got.push_back(m.as<MSG_NVRAM_WRITE_TO_HEADER>().id);
        }
        std::vector<FOURCHARID> want;
        for (const char* k : c.written)
            want.push_back(fcid(k));
        EXPECT_EQ(got, want);
    }
}

TEST_F(Startup, TheStatePreparedWithoutAChoiceFollowsTheTable)
{
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, S32>> keys;
        SYSTEM_STATE state;
        S32 itxd;
        bool message; // layer 303 registered
    };
    const Case cases[] = {
        {"no transducer, no serial number", {{"SENU", -1}, {"SDEN", 1}, {"SSEN", 1}, {"SFEF", 0}}, STATE_BURN_IN, 0,
         true},
        {"no transducer, a serial number", {{"SENU", 1234}, {"SDEN", 1}, {"SSEN", 1}}, STATE_POINT_OF_SALE, 0, true},
        {"no serial key at all", {}, STATE_POINT_OF_SALE, 0, true},
        {"demonstration off: treated as present", {{"SENU", -1}, {"SDEN", 0}}, STATE_NORMAL_RUN, 1, false},
        {"sonar off", {{"SENU", -1}, {"SSEN", 0}}, STATE_NORMAL_RUN, 0, false},
        {"sonar from the network", {{"SENU", -1}, {"SFEF", 1}}, STATE_NORMAL_RUN, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        H_DATABASE_vInit();
        H_DATABASE_bUpdateValueU32(FCID("TVUE"), VIEW_MAILBOX, P_NORMAL);
        T_STARTUP_vResetForTests();
        view_.take();
        for (auto [k, v] : c.keys)
            set(k, v);
        T_STARTUP_vDetectAndPrepareState();
        EXPECT_EQ(state().eState, c.state);
        EXPECT_EQ((S32)u32("ITXD"), c.itxd);
        EXPECT_EQ(T_STARTUP_bIsSonarTransducerDetected() != FALSE, c.itxd == 1);
        EXPECT_EQ(contains(registered(view_.take()), TRANSDUCER_NOT_DETECTED_LAYER), c.message);
        if (c.state == STATE_NORMAL_RUN) {
            EXPECT_EQ(state().s32TransducerConnectedTimer, 0);
        }
    }
}

TEST_F(Startup, TheTransducerMessageStaysInBurnInAndLeavesAtTheFirstPeriodOtherwise)
{
    struct Case {
        S32 senu;
        SYSTEM_STATE state;
        std::vector<bool> removedAt; // periods 1, 2, 3
    };
    const Case cases[] = {
        {-1, STATE_BURN_IN, {false, false, false}},
        {1234, STATE_POINT_OF_SALE, {true, true, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.senu);
        T_STARTUP_vResetForTests();
        prepare({{"SENU", c.senu}, {"SDEN", 1}, {"SSEN", 1}});
        T_STARTUP_vHandleAutoStart();
        EXPECT_EQ(u32("CCST"), (U32)c.state) << "no disclaimer in these states";
        EXPECT_EQ(state().eDisclaimerState, DISCLAIMER_INACTIVE);
        drainAll();
        for (size_t i = 0; i < c.removedAt.size(); ++i)
        {
            T_STARTUP_vHandleDBPOLLTimer();
            EXPECT_EQ(contains(unregistered(view_.take()), TRANSDUCER_NOT_DETECTED_LAYER), c.removedAt[i])
                << "period " << i + 1;
        }
    }
}

TEST_F(Startup, TheOperatingAgeGrowsBySixHundredEveryThreeHundredPeriods)
{
    set("SAGE", 3600);
    opt_nodisclaimer = TRUE;
    T_STARTUP_vHandleAutoStart();
    for (U32 period = 1; period <= 900; ++period) {
        T_STARTUP_vHandleDBPOLLTimer();
        const U32 expected = 3600 + 600 * (period / 300);
        ASSERT_EQ(u32("SAGE"), expected) << "period " << period;
        if (period >= 300) {
            ASSERT_EQ(u32("SAGS"), expected) << "period " << period;
        }
    }
    // Without the key nothing counts.
    H_DATABASE_vDeleteEntry(FCID("SAGE"));
    const U32 before = state().u32AgeCountdown;
    T_STARTUP_vHandleDBPOLLTimer();
    EXPECT_EQ(state().u32AgeCountdown, before);
}

TEST_F(Startup, TheDisclaimerComesBeforeTheStatesThatShowChartsAndWaitsForAKey)
{
    struct Case {
        const char* what;
        SYSTEM_STATE prepared;
        bool nodisclaimer;
        bool disclaimer;
        SYSTEM_STATE started;
    };
    const Case cases[] = {
        {"normal run", STATE_NORMAL_RUN, false, true, STATE_NORMAL_RUN},
        {"simulation", STATE_SIMULATION, false, true, STATE_SIMULATION},
        {"pre-point-of-sale: a key starts normal run", STATE_PRE_POINT_OF_SALE, false, true, STATE_NORMAL_RUN},
        {"point of sale", STATE_POINT_OF_SALE, false, false, STATE_POINT_OF_SALE},
        {"burn-in", STATE_BURN_IN, false, false, STATE_BURN_IN},
        {"nodisclaimer", STATE_NORMAL_RUN, true, false, STATE_NORMAL_RUN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        T_STARTUP_vResetForTests();
        drainAll();
        set("CCST", STATE_STARTUP);
        opt_nodisclaimer = c.nodisclaimer;
        STARTUP_STATE_VIEW s = state();
        s.eState = c.prepared;
        T_STARTUP_vSetForTests(&s);
        T_STARTUP_vHandleAutoStart();
        const std::vector<Mail> shown = view_.take();
        EXPECT_EQ(contains(registered(shown), STARTUP_CHART_DISCLAIMER), c.disclaimer);
        EXPECT_EQ(state().bSystemStarted != FALSE, !c.disclaimer);
        if (c.disclaimer) {
            EXPECT_EQ(u32("CVEW"), 3u);
            EXPECT_EQ(u32("CCST"), (U32)STATE_STARTUP);
            EXPECT_EQ(runMails(), std::vector<int>(STARTUP_RUN_MAILBOXES, 0));
            EXPECT_EQ(key(KEY_ZOOM_IN), GOOD) << "any key";
            EXPECT_EQ(state().eDisclaimerState, DISCLAIMER_FINISHED);
        }
        EXPECT_TRUE(state().bSystemStarted);
        EXPECT_EQ(u32("CCST"), (U32)c.started);
        EXPECT_EQ(runMails(), std::vector<int>(STARTUP_RUN_MAILBOXES, 1));
    }
}

TEST_F(Startup, TheStartUpMenuKeys)
{
    struct Case {
        const char* what;
        bool transducer;
        std::vector<std::pair<CURSOR_POSITION, Clicks>> moves;
        S32 line;
        SYSTEM_STATE chosen;
    };
    const Case cases[] = {
        {"Normal first with a transducer", true, {}, 0, STATE_NORMAL_RUN},
        {"Simulator first without one", false, {}, 1, STATE_SIMULATION},
        {"down to System Status and no further", true,
         {{CURSOR_SOUTH, GOOD}, {CURSOR_SOUTH, GOOD}, {CURSOR_SOUTH, BAD}}, 2, STATE_DIAGNOSTIC},
        {"up stops at Normal", false, {{CURSOR_NORTH, GOOD}, {CURSOR_NORTH, BAD}, {CURSOR_WEST, BAD}}, 0,
         STATE_NORMAL_RUN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        T_STARTUP_vResetForTests();
        set("CCST", STATE_STARTUP);
        STARTUP_STATE_VIEW s = state();
        s.bTransducerConnected = c.transducer;
        s.eState = c.transducer ? STATE_NORMAL_RUN : STATE_POINT_OF_SALE;
        T_STARTUP_vSetForTests(&s);
        drainAll();
        EXPECT_EQ(key(KEY_CURSOR, CURSOR_SOUTH), Clicks{}) << "the cursor does nothing on the splash";
        EXPECT_EQ(key(KEY_MENU), GOOD);
        const std::vector<Mail> shown = view_.take();
        EXPECT_TRUE(contains(registered(shown), STARTUP_MENU_VIEW_PRIORITY));
        EXPECT_TRUE(contains(unregistered(shown), TRANSDUCER_NOT_DETECTED_LAYER));
        EXPECT_EQ(u32("CVEW"), 2u);
        EXPECT_EQ(state().s32MenuLine, c.transducer ? 0 : 1);
        EXPECT_EQ(key(KEY_MENU), BAD) << "MENU again";
        for (auto [direction, clicks] : c.moves)
            EXPECT_EQ(key(KEY_CURSOR, direction), clicks) << direction;
        EXPECT_EQ(state().s32MenuLine, c.line);
        EXPECT_EQ(key(KEY_ZOOM_OUT), BAD);
        EXPECT_EQ(key(KEY_CURSOR, CURSOR_EAST), GOOD);
        if (c.chosen != STATE_DIAGNOSTIC) {
            EXPECT_EQ(state().eDisclaimerState, DISCLAIMER_ACTIVE);
            key(KEY_EXIT);
        }
        EXPECT_EQ(u32("CCST"), (U32)c.chosen);
    }
}

TEST_F(Startup, WithTheMenuOpenTheStartComesFiveSecondsAfterTheLastKey)
{
    L_SEMA_SetPending(SEMA_STARTUP_AUTOSTART);
    key(KEY_MENU);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const auto lastKey = std::chrono::steady_clock::now();
    key(KEY_CURSOR, CURSOR_SOUTH);
    ASSERT_EQ(L_SEMA_WaitTicks(SEMA_STARTUP_AUTOSTART, 30000), 0) << "the timer runs out";
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - lastKey).count();
    EXPECT_GE(s, 4.5) << "counted from the last key";
    // The timer's end starts the highlighted row's state.
    T_STARTUP_vHandleAutoStart();
    EXPECT_EQ(state().eDisclaimerState, DISCLAIMER_ACTIVE);
    key(KEY_EXIT);
    EXPECT_EQ(u32("CCST"), (U32)STATE_SIMULATION);
}

TEST_F(Startup, AStateWrittenByAnotherTaskStartsTheSystemInThatState)
{
    // PC connect before the start: no disclaimer, the keys given back.
    set("CCST", STATE_PC_CONNECT);
    newData("CCST", STATE_PC_CONNECT);
    EXPECT_TRUE(state().bSystemStarted);
    EXPECT_EQ(state().eDisclaimerState, DISCLAIMER_INACTIVE);
    EXPECT_EQ(u32("CCST"), (U32)STATE_PC_CONNECT);
    EXPECT_FALSE(contains(registered(view_.take()), STARTUP_CHART_DISCLAIMER));
    bool keysGiven = false;
    int keyboardRuns = 0;
    for (const Mail& m : drain(KEYBOARD_MAILBOX)) {
        keysGiven |= m.cmd == CMD_ID_UNREGISTER_FOR_KEYS && m.as<MSG_UNREGISTER_FOR_KEYS>().keys == 0xFFFE &&
                     m.as<MSG_UNREGISTER_FOR_KEYS>().mailbox == STARTUP_MAILBOX;
        keyboardRuns += m.cmd == CMD_ID_RUN_SYSTEM;
    }
    EXPECT_TRUE(keysGiven);
    std::vector<int> runs = runMails();
    runs[1] += keyboardRuns; // mailbox 10, read above
    EXPECT_EQ(runs, std::vector<int>(STARTUP_RUN_MAILBOXES, 1));
    // Later changes are followed but start nothing again; the inline test
    // takes the transducer message away.
    view_.take();
    newData("CCST", STATE_INLINE_TEST);
    EXPECT_EQ(state().eState, STATE_INLINE_TEST);
    EXPECT_TRUE(contains(unregistered(view_.take()), TRANSDUCER_NOT_DETECTED_LAYER));
    EXPECT_EQ(runMails(), std::vector<int>(STARTUP_RUN_MAILBOXES, 0));
}

TEST_F(Startup, ANewModelTakesTheLanguageBackToEnglish)
{
    // The domestic model 409 knows only English; the change is saved.
    set("SMDL", 409);
    set("SLNG", 3);
    newData("SMDL", 409);
    EXPECT_EQ(u32("SLNG"), 0u);
    std::vector<FOURCHARID> saved;
    for (const Mail& m : drain(NVRAM_MAILBOX))
        if (m.cmd == CMD_ID_WRITE_TO_NVR)
            saved.push_back(m.as<MSG_NVRAM_WRITE_TO_NVR>().id);
    EXPECT_EQ(saved, std::vector<FOURCHARID>{FCID("SLNG")});
}

TEST_F(Startup, AStateWrittenWhileTheDisclaimerWaitsIsTheOneTheKeyStarts)
{
    T_STARTUP_vHandleAutoStart();
    ASSERT_EQ(state().eDisclaimerState, DISCLAIMER_ACTIVE);
    newData("CCST", STATE_SIMULATION);
    EXPECT_FALSE(state().bSystemStarted);
    key(KEY_MENU);
    EXPECT_EQ(u32("CCST"), (U32)STATE_SIMULATION);
}

TEST_F(Startup, SystemStatusPagesAndTheHiddenServiceSequence)
{
    H_DATABASE_bUpdateValueBoolean(FCID("SVST"), FALSE, P_NORMAL);
    STARTUP_STATE_VIEW s = state();
    s.eState = STATE_DIAGNOSTIC;
    T_STARTUP_vSetForTests(&s);
    T_STARTUP_vHandleAutoStart();
    ASSERT_EQ(u32("CCST"), (U32)STATE_DIAGNOSTIC);
    EXPECT_EQ(u32("CVEW"), 151u);
    EXPECT_EQ(u32("SVST"), 1u);
    bool statusKeys = false;
    for (const Mail& m : drain(KEYBOARD_MAILBOX))
        statusKeys |= m.cmd == CMD_ID_REGISTER_FOR_KEYS && m.as<MSG_REGISTER_FOR_KEYS>().keys == 0xFBFE &&
                      m.as<MSG_REGISTER_FOR_KEYS>().state == KEY_CHANGE &&
                      m.as<MSG_REGISTER_FOR_KEYS>().usage == REGISTER_SYSTEM_STATUS;
    EXPECT_TRUE(statusKeys);

    // VIEW forward, EXIT back; the GPS page only with a valid fix indicator.
    std::vector<U32> pages;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(key(KEY_VIEW), GOOD);
        EXPECT_EQ(key(KEY_VIEW, CURSOR_UP, KEY_UP), Clicks{}) << "a release does nothing";
        pages.push_back(u32("CVEW"));
    }
    EXPECT_EQ(pages, (std::vector<U32>{152, 151, 152}));
    set("IPFI", 1);
    pages.clear();
    for (int i = 0; i < 3; ++i) {
        key(KEY_VIEW);
        pages.push_back(u32("CVEW"));
    }
    EXPECT_EQ(pages, (std::vector<U32>{153, 151, 152}));
    key(KEY_EXIT);
    EXPECT_EQ(u32("CVEW"), 151u);
    key(KEY_EXIT);
    EXPECT_EQ(u32("CVEW"), 153u);

    // Five presses north, each refused; then east switches the service level
    // on, west off, and either may be repeated.
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(key(KEY_CURSOR, CURSOR_NORTH), BAD);
    EXPECT_EQ(key(KEY_CURSOR, CURSOR_EAST), Clicks{});
    EXPECT_EQ(u32("SMSU"), 1u);
    EXPECT_TRUE(signalled(104)) << "settings saved";
    EXPECT_TRUE(signalled(116)) << "the large-fish tone";
    key(KEY_CURSOR, CURSOR_WEST);
    EXPECT_EQ(u32("SMSU"), 0u);
    EXPECT_TRUE(signalled(118)) << "the small-fish tone";

    // A switch direction too early, south, or VIEW between: the count starts again.
    struct Broken {
        const char* what;
        int norths;
        U32 interruption;
        CURSOR_POSITION direction;
    };
    const Broken broken[] = {
        {"east after four", 4, KEY_CURSOR, CURSOR_EAST},
        {"south after five", 5, KEY_CURSOR, CURSOR_SOUTH},
        {"VIEW after five", 5, KEY_VIEW, CURSOR_UP},
    };
    for (const Broken& b : broken) {
        SCOPED_TRACE(b.what);
        key(KEY_EXIT); // resets the count
        for (int i = 0; i < b.norths; ++i)
            key(KEY_CURSOR, CURSOR_NORTH);
        key(b.interruption, b.direction);
        EXPECT_EQ(key(KEY_CURSOR, CURSOR_EAST), BAD);
        EXPECT_EQ(u32("SMSU"), 0u);
        EXPECT_EQ(state().u32SuperUserCount, 0u);
    }

    // MENU opens the network address editor, which then sees the keys
    // first; a reset of the settings closes it.
    EXPECT_EQ(key(KEY_MENU), GOOD);
    ASSERT_EQ(T_STARTUP_EDIT_eGetEditRecord(nullptr), STARTUP_EDIT_IPADDRESS);
    const U32 before = u32("CVEW");
    key(KEY_CURSOR, CURSOR_SOUTH);
    EXPECT_EQ(state().u32SuperUserCount, 0u);
    auto* pReset = static_cast<GENERIC_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(GENERIC_MESSAGE)));
    memset(static_cast<void*>(pReset), 0, sizeof *pReset);
    pReset->Cmd = CMD_ID_RESET_POS;
    T_STARTUP_vHandleMail(&pReset->msghdr);
    EXPECT_EQ(T_STARTUP_EDIT_eGetEditRecord(nullptr), STARTUP_EDIT_NONE);
    EXPECT_EQ(u32("CVEW"), before);
    drainAll();

    // Shutdown gives "SVST" its earlier value; later keys do nothing.
    const U32 page = u32("CVEW");
    auto* pShutdown = static_cast<GENERIC_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(GENERIC_MESSAGE)));
    memset(static_cast<void*>(pShutdown), 0, sizeof *pShutdown);
    pShutdown->Cmd = CMD_ID_SHUTDOWN;
    T_STARTUP_vHandleMail(&pShutdown->msghdr);
    EXPECT_EQ(u32("SVST"), 0u);
    const std::vector<LAYER_ID> gone = unregistered(view_.take());
    for (LAYER_ID l : {TRANSDUCER_NOT_DETECTED_LAYER, STARTUP_SPLASH_VIEW_PRIORITY, STARTUP_MENU_VIEW_PRIORITY,
                       STARTUP_CHART_DISCLAIMER})
        EXPECT_TRUE(contains(gone, l)) << l;
    EXPECT_EQ(key(KEY_VIEW), Clicks{});
    EXPECT_EQ(u32("CVEW"), page);
}

TEST_F(Startup, TheQuickSetupMenuOfTheStartIsTakenAwayOnce)
{
    T_STARTUP_vRemoveQuickConfigMenu();
    EXPECT_TRUE(drain(MENU_MAILBOX).empty()) << "not the start's menu: nothing";
    EXPECT_TRUE(drain(KEYBOARD_MAILBOX).empty());

    // A first start: the quick setup opens after the start.
    H_DATABASE_bUpdateValueBoolean(FCID("SRDF"), TRUE, P_NORMAL);
    opt_nodisclaimer = TRUE;
    T_STARTUP_vHandleAutoStart();
    EXPECT_TRUE(state().bQuickConfigMenuDisplayed);
    EXPECT_EQ(u32("SQCD"), 0u);
    drainAll();

    T_STARTUP_vRemoveQuickConfigMenu();
    EXPECT_FALSE(state().bQuickConfigMenuDisplayed);
    EXPECT_EQ(u32("SRDF"), 0u);
    EXPECT_EQ(u32("SQCD"), 1u);
    EXPECT_TRUE(contains(unregistered(view_.take()), 329));
    int removed = 0;
    for (const Mail& m : drain(MENU_MAILBOX))
        removed += m.cmd == CMD_ID_UNREGISTER_MENU_ITEM;
    EXPECT_EQ(removed, 3);
    bool keys = false;
    for (const Mail& m : drain(KEYBOARD_MAILBOX))
        keys |= m.cmd == CMD_ID_UNREGISTER_FOR_KEYS && m.as<MSG_UNREGISTER_FOR_KEYS>().mailbox == MENU_MAILBOX &&
                m.as<MSG_UNREGISTER_FOR_KEYS>().keys == 0xFFFE;
    EXPECT_TRUE(keys);
    T_STARTUP_vRemoveQuickConfigMenu();
    EXPECT_TRUE(drain(MENU_MAILBOX).empty()) << "only once";
}

TEST(StartupOwnerText, SeparatorsSplitIntoAtMostFourLines)
{
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const std::string sep(1, STARTUP_LINE_SEPARATOR);
    const Case cases[] = {
        {"A" + sep + sep + "B", {"A", "", "B"}},
        {"", {}},
        {"one line", {"one line"}},
        {sep + "B", {"", "B"}},
        {"1" + sep + "2" + sep + "3" + sep + "4" + sep + "5", {"1", "2", "3", "4"}},
        {sep + sep + sep + sep + sep + "X", {"", "", "", ""}},
    };
    for (const Case& c : cases) {
        std::vector<char> buf(STARTUP_PERSONAL_BYTES + 1, '\0');
        memcpy(buf.data(), c.text.data(), c.text.size());
        const char* lines[4] = {};
        const U32 n = T_STARTUP_u32SplitOwnerText(buf.data(), STARTUP_PERSONAL_BYTES, lines);
        std::vector<std::string> got(lines, lines + n);
        EXPECT_EQ(got, c.lines) << c.text;
    }
    // A full block without a terminator stays inside it.
    std::vector<char> full(STARTUP_PERSONAL_BYTES, 'x');
    const char* lines[4] = {};
    EXPECT_EQ(T_STARTUP_u32SplitOwnerText(full.data(), STARTUP_PERSONAL_BYTES, lines), 1u);
}

} // namespace
