// The confirmation dialog's queue and keys: questions shown in turn, the
// keys and layer it takes while open, removal by statement, and its
// callbacks run outside its lock.
#include "nav/tests/nav_core_world.h"

#include "nav/core/t_nav_conf.h"

#include "kernel/l_mutex.h"
#include "kernel/l_task.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace {

using namespace navw;

// Statements: the dialog knows a question by its statement's address.
const char A[] = "Delete waypoint A?";
const char B[] = "Delete waypoint B?";
const char X[] = "Delete route X?";
const char Y[] = "Delete route Y?";

// The answers given, in order: +n for the yes of question n, -n for its no.
std::vector<int> s_answers;
template <int N>
void yes()
{
    s_answers.push_back(N);
}
template <int N>
void no()
{
    s_answers.push_back(-N);
}

BOOLEAN press(U32 key, CURSOR_POSITION cursor = CURSOR_UP)
{
    MSG_KEY_CHANGE m{};
    m.header.Cmd = CMD_ID_KEY_CHANGE;
    m.key = key;
    m.state = KEY_DOWN;
    m.count = 1;
    m.cursor = cursor;
    return T_NAV_CONF_bHandleKeys(&m);
}

BOOLEAN east() { return press(KEY_CURSOR, CURSOR_EAST); }

class NavConfirm : public NavCore {
protected:
    void SetUp() override
    {
        NavCore::SetUp();
        T_NAV_CONF_vReset(0);
        s_answers.clear();
        settle();
    }
    void TearDown() override { T_NAV_CONF_vReset(0); }
    // Forgets the mails and signals so far.
    void settle()
    {
        drain(KEYBOARD_BOX);
        drain(VIEW_BOX);
        for (SEMA sema : {(SEMA)102, (SEMA)103, SEMA_VIEW_UPDATE})
            L_SEMA_SetPending(sema);
        for (SEMA sema : {(SEMA)102, (SEMA)103, SEMA_VIEW_UPDATE})
            signalled(sema);
    }
    // Answers every question left with Yes; the answers given.
    std::vector<int> yesToAll()
    {
        s_answers.clear();
        for (int i = 0; i < 20 && east(); ++i) {
        }
        return s_answers;
    }
};

// ---- Opening and closing ----

TEST_F(NavConfirm, OpeningTakesTheKeysAndTheLayerAndClosingGivesThemBack)
{
    T_NAV_CONF_vSetup(A, yes<1>, no<1>);
    auto keys = drain(KEYBOARD_BOX);
    ASSERT_EQ(keys.size(), 2u);
    const auto& plain = keys[0].as<MSG_REGISTER_FOR_KEYS>();
    EXPECT_EQ(keys[0].cmd, CMD_ID_REGISTER_FOR_KEYS);
    EXPECT_EQ(plain.keys, 0xFFEFu);
    EXPECT_EQ(plain.mailbox, NAV_MAILBOX);
    EXPECT_EQ(plain.state, KEY_DOWN);
    EXPECT_FALSE(plain.repeat);
    EXPECT_FALSE(plain.accelerate);
    EXPECT_EQ(plain.cursor_mode, NOT_CURSOR_KEY);
    EXPECT_EQ(plain.usage, REGISTER_DIALOG_BOX);
    const auto& cursor = keys[1].as<MSG_REGISTER_FOR_KEYS>();
    EXPECT_EQ(cursor.keys, 0x10u);
    EXPECT_EQ(cursor.mailbox, NAV_MAILBOX);
    EXPECT_EQ(cursor.state, KEY_DOWN);
    EXPECT_TRUE(cursor.repeat);
    EXPECT_TRUE(cursor.accelerate);
    EXPECT_EQ(cursor.cursor_mode, CURSOR_4);
    EXPECT_EQ(cursor.usage, REGISTER_DIALOG_BOX);
    auto view = drain(VIEW_BOX);
    ASSERT_EQ(view.size(), 1u);
    ASSERT_EQ(view[0].cmd, CMD_ID_REGISTER_LAYER);
    const auto& layer = view[0].as<MSG_REGISTER_LAYER>();
    EXPECT_EQ(layer.layer, NAV_CONF_LAYER);
    EXPECT_EQ(layer.where_used, USED_BY_ALL);
    EXPECT_EQ(layer.pDrawFunction, T_NAV_CONF_vRender);
    EXPECT_EQ(layer.fcidDisplayFlag, 0u);
    EXPECT_TRUE(layer.bDisplay);
    EXPECT_TRUE(signalled(SEMA_VIEW_UPDATE)) << "the new dialog is drawn";

    T_NAV_CONF_vSetup(B, yes<2>, no<2>);
    EXPECT_TRUE(drain(KEYBOARD_BOX).empty()) << "already open";
    EXPECT_TRUE(drain(VIEW_BOX).empty());

    ASSERT_TRUE(east());
    EXPECT_TRUE(drain(KEYBOARD_BOX).empty()) << "the second question is shown";
    EXPECT_TRUE(drain(VIEW_BOX).empty());
    ASSERT_TRUE(east());
    keys = drain(KEYBOARD_BOX);
    ASSERT_EQ(keys.size(), 1u);
    ASSERT_EQ(keys[0].cmd, CMD_ID_UNREGISTER_FOR_KEYS);
    EXPECT_EQ(keys[0].as<MSG_UNREGISTER_FOR_KEYS>().keys, 0xFFFEu);
    EXPECT_EQ(keys[0].as<MSG_UNREGISTER_FOR_KEYS>().mailbox, NAV_MAILBOX);
    view = drain(VIEW_BOX);
    ASSERT_EQ(view.size(), 1u);
    ASSERT_EQ(view[0].cmd, CMD_ID_UNREGISTER_LAYER);
    EXPECT_EQ(view[0].as<MSG_UNREGISTER_LAYER>().layer, NAV_CONF_LAYER);
    EXPECT_FALSE(east()) << "closed";
}

TEST_F(NavConfirm, AQuestionWithoutAStatementIsNotAsked)
{
    T_NAV_CONF_vSetup(nullptr, yes<1>, no<1>);
    T_NAV_CONF_vShowOptions("Title", nullptr, nullptr, "L", "R", no<1>, yes<1>);
    EXPECT_TRUE(drain(KEYBOARD_BOX).empty());
    EXPECT_TRUE(drain(VIEW_BOX).empty());
    EXPECT_FALSE(east());
    EXPECT_TRUE(s_answers.empty());
}

// ---- Keys ----

TEST_F(NavConfirm, QuestionsAreAnsweredInTurnByExitWestAndEast)
{
    const struct {
        const char* name;
        U32 key;
        CURSOR_POSITION cursor;
        int sign; // +1 the yes callback, -1 the no callback
    } rows[] = {
        {"east", KEY_CURSOR, CURSOR_EAST, +1},
        {"west", KEY_CURSOR, CURSOR_WEST, -1},
        {"exit", KEY_EXIT, CURSOR_UP, -1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SetUp();
        T_NAV_CONF_vSetup(A, yes<1>, no<1>);
        T_NAV_CONF_vShowOptions(nullptr, nullptr, B, "Left", "Right", no<2>, yes<2>);
        settle();
        const std::vector<int> both = {r.sign * 1, r.sign * 2};
        for (size_t n = 1; n <= 2; ++n) {
            ASSERT_TRUE(press(r.key, r.cursor));
            EXPECT_EQ(s_answers, std::vector<int>(both.begin(), both.begin() + n));
            EXPECT_TRUE(signalled(SEMA_VIEW_UPDATE));
            EXPECT_FALSE(signalled(102)) << "the callback clicks, if it wants";
            EXPECT_FALSE(signalled(103));
        }
        EXPECT_FALSE(press(r.key, r.cursor)) << "closed";
    }
}

TEST_F(NavConfirm, KeysTheDialogDoesNotAnswerWithAreRefusedOrPassedOn)
{
    const struct {
        const char* name;
        U32 key;
        CURSOR_POSITION cursor;
        bool used; // refused with a bad click; otherwise passed on
    } rows[] = {
        {"cursor north", KEY_CURSOR, CURSOR_NORTH, true},
        {"cursor south-east", KEY_CURSOR, CURSOR_SOUTH_EAST, true},
        {"cursor up", KEY_CURSOR, CURSOR_UP, true},
        {"info", KEY_INFO, CURSOR_UP, true},
        {"go to", KEY_GOTO, CURSOR_UP, true},
        {"mark", KEY_MARK, CURSOR_UP, true},
        {"zoom in", KEY_ZOOM_IN, CURSOR_UP, false},
        {"zoom out", KEY_ZOOM_OUT, CURSOR_UP, false},
        {"menu", KEY_MENU, CURSOR_UP, false},
    };
    T_NAV_CONF_vSetup(A, yes<1>, no<1>);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        settle();
        EXPECT_EQ(press(r.key, r.cursor) != FALSE, r.used);
        EXPECT_EQ(signalled(103), r.used);
        EXPECT_FALSE(signalled(102));
        EXPECT_EQ(signalled(SEMA_VIEW_UPDATE), r.used);
        EXPECT_TRUE(s_answers.empty());
    }
    EXPECT_EQ(yesToAll(), std::vector<int>({1})) << "the question is still there";

    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        settle();
        EXPECT_FALSE(press(r.key, r.cursor)) << "no question: every key is passed on";
        EXPECT_FALSE(signalled(103));
    }
    EXPECT_FALSE(press(KEY_EXIT));
    EXPECT_FALSE(T_NAV_CONF_bHandleKeys(nullptr));
}

TEST_F(NavConfirm, AnswerWithoutACallbackClosesWithAGoodClick)
{
    const struct {
        const char* name;
        U32 key;
        CURSOR_POSITION cursor;
    } rows[] = {{"east", KEY_CURSOR, CURSOR_EAST},
                {"west", KEY_CURSOR, CURSOR_WEST},
                {"exit", KEY_EXIT, CURSOR_UP}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SetUp();
        T_NAV_CONF_vSetup(A, nullptr, nullptr);
        settle();
        ASSERT_TRUE(press(r.key, r.cursor));
        EXPECT_TRUE(signalled(102));
        EXPECT_FALSE(signalled(103));
        EXPECT_TRUE(signalled(SEMA_VIEW_UPDATE));
        EXPECT_EQ(drain(VIEW_BOX).size(), 1u) << "the layer went";
        EXPECT_FALSE(east());
    }
}

// ---- Callbacks that change the queue ----

void removeA()
{
    s_answers.push_back(-1);
    T_NAV_CONF_vRemoveAllMatching(A);
}

void askX()
{
    s_answers.push_back(1);
    T_NAV_CONF_vSetup(X, yes<3>, no<3>);
}

TEST_F(NavConfirm, ANoThatRemovesItsOwnStatementLeavesTheNextQuestionShown)
{
    for (U32 key : {KEY_EXIT, KEY_CURSOR}) {
        SCOPED_TRACE(key);
        SetUp();
        T_NAV_CONF_vSetup(A, yes<1>, removeA);
        T_NAV_CONF_vSetup(B, yes<2>, no<2>);
        ASSERT_TRUE(press(key, CURSOR_WEST));
        EXPECT_EQ(s_answers, std::vector<int>({-1}));
        EXPECT_EQ(yesToAll(), std::vector<int>({2}));
    }
}

TEST_F(NavConfirm, ACallbackMayAskTheNextQuestion)
{
    T_NAV_CONF_vSetup(A, askX, no<1>);
    settle();
    ASSERT_TRUE(east());
    // Closed with the last question, opened again by the callback's.
    const auto keys = drain(KEYBOARD_BOX);
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].cmd, CMD_ID_UNREGISTER_FOR_KEYS);
    EXPECT_EQ(keys[1].cmd, CMD_ID_REGISTER_FOR_KEYS);
    EXPECT_EQ(keys[2].cmd, CMD_ID_REGISTER_FOR_KEYS);
    EXPECT_EQ(yesToAll(), std::vector<int>({3}));
}

// ---- Removal and reset ----

TEST_F(NavConfirm, RemovingTheQuestionOnShowShowsTheNext)
{
    T_NAV_CONF_vSetup(A, yes<1>, no<1>);
    T_NAV_CONF_vSetup(B, yes<2>, no<2>);
    settle();
    T_NAV_CONF_vRemoveAllMatching(A);
    EXPECT_TRUE(signalled(SEMA_VIEW_UPDATE));
    EXPECT_TRUE(drain(VIEW_BOX).empty()) << "still open";
    EXPECT_TRUE(s_answers.empty()) << "removal calls nothing";
    EXPECT_EQ(yesToAll(), std::vector<int>({2}));
}

TEST_F(NavConfirm, EveryMatchGoesAlsoTwoInARowAndAtTheTail)
{
    struct Q {
        const char* statement;
        CONF_FUNCTION* yesFn;
    };
    const Q a1 = {A, yes<1>}, a2 = {A, yes<2>}, x = {X, yes<3>}, y = {Y, yes<4>};
    const struct {
        const char* name;
        std::vector<Q> queue;
        std::vector<int> left;
    } rows[] = {
        {"two in a row in the middle", {x, a1, a2, y}, {3, 4}},
        {"two in a row at the tail", {x, y, a1, a2}, {3, 4}},
        {"at the head and after the next", {a1, x, a2}, {3}},
        {"the whole queue", {a1, a2}, {}},
        {"none", {x, y}, {3, 4}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SetUp();
        for (const Q& q : r.queue)
            T_NAV_CONF_vSetup(q.statement, q.yesFn, nullptr);
        settle();
        T_NAV_CONF_vRemoveAllMatching(A);
        if (r.left.empty()) {
            EXPECT_EQ(drain(VIEW_BOX).size(), 1u) << "closed";
            EXPECT_EQ(drain(KEYBOARD_BOX).size(), 1u);
        }
        EXPECT_EQ(yesToAll(), r.left);
    }
}

TEST_F(NavConfirm, ResetEmptiesTheQueueWithoutCallingAnything)
{
    T_NAV_CONF_vSetup(A, yes<1>, no<1>);
    T_NAV_CONF_vSetup(B, yes<2>, no<2>);
    settle();
    T_NAV_CONF_vReset(7);
    EXPECT_EQ(drain(VIEW_BOX).size(), 1u);
    EXPECT_EQ(drain(KEYBOARD_BOX).size(), 1u);
    EXPECT_FALSE(east());
    EXPECT_TRUE(s_answers.empty());
    T_NAV_CONF_vReset(0);
    EXPECT_TRUE(drain(VIEW_BOX).empty()) << "nothing to close";
}

// ---- Threads ----

// The navigation task answers Yes with a callback that takes the
// navigation data (mutex 9) while another task, holding mutex 9, asks the
// next question. The answer's callback runs outside the dialog's mutex, so
// neither waits for the other for good.
constexpr U32 ROUNDS = 300;
constexpr TASK ANSWERING_TASK = 60;
constexpr TASK ASKING_TASK = 61;
std::atomic<U32> s_yeses{0};
std::atomic<bool> s_answeringDone{false};
std::atomic<bool> s_askingDone{false};
const char QUESTION[] = "Import the card's navigation data?";

void yesTakingNavData()
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    std::this_thread::yield();
    L_MUTEX_Unlock(RES_NAV_DATA);
    ++s_yeses;
}

void answeringTask()
{
    while (s_yeses.load() < ROUNDS) {
        if (!east())
            std::this_thread::yield();
    }
    s_answeringDone = true;
    L_TASK_Terminate(0);
}

void askingTask()
{
    for (U32 i = 0; i < ROUNDS; ++i) {
        L_MUTEX_LockWait(RES_NAV_DATA);
        T_NAV_CONF_vSetup(QUESTION, yesTakingNavData, nullptr);
        std::this_thread::yield();
        L_MUTEX_Unlock(RES_NAV_DATA);
    }
    s_askingDone = true;
    L_TASK_Terminate(0);
}

TEST_F(NavConfirm, AYesTakingMutex9WhileAnotherTaskHoldingItAsksNeverDeadlocks)
{
    // No neighbour mailboxes: the dialog's key and layer mails go nowhere.
    for (const char* key : {"TKBD", "TVUE"})
        H_DATABASE_vDeleteEntry(k(key));
    const TASK_PARAM answering = {16384, 98, answeringTask};
    const TASK_PARAM asking = {16384, 98, askingTask};
    ASSERT_EQ(L_TASK_SetParams(ANSWERING_TASK, &answering), 0);
    ASSERT_EQ(L_TASK_SetParams(ASKING_TASK, &asking), 0);
    ASSERT_EQ(L_TASK_Start(ANSWERING_TASK), 0);
    ASSERT_EQ(L_TASK_Start(ASKING_TASK), 0);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while ((!s_answeringDone || !s_askingDone) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(s_answeringDone && s_askingDone) << "stuck after " << s_yeses << " answers";
    EXPECT_EQ(s_yeses, ROUNDS);
    EXPECT_FALSE(east()) << "every question answered";
}

} // namespace
