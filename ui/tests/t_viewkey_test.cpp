// The view-key task's steps in the test's thread beside the running view
// task, and the view task's three select calls: which view VIEW, EXIT, run
// start, reset and shutdown leave in "CVEW" and "SVEW".
#include "ui/tests/view_task_world.h"

#include "kernel/l_utils.h"
#include "ui/neighbour_standins.h"
#include "ui/t_view_select.h"
#include "ui/t_viewkey.h"
#include "ui/u_keyboard.h"

#include <cstdlib>
#include <optional>
#include <thread>
#include <tuple>

using namespace vw;

namespace {

constexpr MBOX KEYBOARD_TEST_MAILBOX = 64;
constexpr SEMA KEY_ACK = 152;

// Views 20, 25 and 33 shown, 30 hidden, 27 an overlay of 25 with a
// display key, each with a name.
const char* NAME_20[DB_NUM_LANGUAGES];
const char* NAME_25[DB_NUM_LANGUAGES];
const char* NAME_27[DB_NUM_LANGUAGES];
const char* NAME_30[DB_NUM_LANGUAGES];
const char* NAME_33[DB_NUM_LANGUAGES];
const char* NAME_LONG[DB_NUM_LANGUAGES];
const std::string LONG_NAME = "Sonar And Chart With Both Imaging Views Side By Side";

void name(const char* (&table)[DB_NUM_LANGUAGES], const char* text)
{
    for (const char*& n : table)
        n = text;
}

void views()
{
    static const bool made = [] {
        name(NAME_20, "Sonar");
        name(NAME_25, "Chart Birds Eye");
        name(NAME_27, "Depth Box");
        name(NAME_30, "Side Imaging");
        name(NAME_33, "Chart Down Imaging");
        name(NAME_LONG, LONG_NAME.c_str());
        const std::tuple<LAYER_ID, LAYER_ID, FOURCHARID, BOOLEAN, const char* (*)[DB_NUM_LANGUAGES]> all[] = {
            {20, USED_BY_NONE, FCID("SV20"), TRUE, &NAME_20},   {25, USED_BY_NONE, FCID("SV25"), TRUE, &NAME_25},
            {27, 25, FCID("SV27"), TRUE, &NAME_27},             {30, USED_BY_NONE, FCID("SV30"), FALSE, &NAME_30},
            {33, USED_BY_NONE, FCID("SV33"), TRUE, &NAME_33},   {40, USED_BY_NONE, FCID("SV40"), FALSE, &NAME_LONG},
        };
        for (const auto& [layer, where, key, shown, names] : all) {
            H_DATABASE_bUpdateEverythingBoolean(key, shown, P_NORMAL, D_UNKNOWN, names, DB_TIMEOUT_NEVER);
            EXPECT_TRUE(registerLayer({layer, where, NO_FILL, key, shown}));
        }
        T_VIEWKEY_vStart();
        return true;
    }();
    (void)made;
}

S32 cvew() { return fetchS32("CVEW"); }
S32 svew() { return fetchS32("SVEW"); }
BOOLEAN shown(const char (&key)[5])
{
    U32 v = 7;
    H_DATABASE_bFetchU32(FCID(key), &v, nullptr, nullptr);
    return (BOOLEAN)v;
}

// The view task has taken the view as its current one and drawn it.
void show(LAYER_ID view)
{
    setView(view);
    settle();
    waitExpeditedDone();
    settle();
}

// A mail to the view-key task, handled in this thread; it stays the test's.
void viewKey(GENERIC_MESSAGE* p)
{
    p->msghdr.sema = KEY_ACK;
    T_VIEWKEY_vHandleMail(&p->msghdr);
    H_MEMORY_vFree(p);
}

void command(CMD_ID cmd)
{
    viewKey(&newMail<MSG_LAYER_FROM_HOT>(cmd)->header);
}

bool key(U32 mask)
{
    for (SEMA s : {SEMA_KEYCLICK_GOOD, SEMA_KEYCLICK_BAD})
        L_SEMA_SetPending(s);
    auto* p = newMail<MSG_KEY_CHANGE>(CMD_ID_KEY_CHANGE);
    p->key = mask;
    p->state = KEY_DOWN;
    p->count = 1;
    p->cursor = CURSOR_UP;
    viewKey(&p->header);
    const bool good = L_SEMA_WaitTicks(SEMA_KEYCLICK_GOOD, 1) == 0;
    const bool bad = L_SEMA_WaitTicks(SEMA_KEYCLICK_BAD, 1) == 0;
    EXPECT_NE(good, bad);
    return good;
}

void setState(std::optional<U32> state)
{
    if (state)
        H_DATABASE_bUpdateValueU32(FCID("CCST"), *state, P_NORMAL);
    else
        H_DATABASE_vDeleteEntry(FCID("CCST"));
}

class ViewKeyTask : public ViewTask {
protected:
    void SetUp() override
    {
        ViewTask::SetUp();
        views();
    }
};

TEST_F(ViewKeyTask, ViewAndExitStepThroughTheShownBackgroundViews)
{
    struct Case {
        LAYER_ID from;
        U32 key;
        LAYER_ID to;
    };
    const Case cases[] = {
        {25, KEY_VIEW, 33}, {25, KEY_EXIT, 20}, {20, KEY_EXIT, 33}, {33, KEY_VIEW, 20},
        {33, KEY_EXIT, 25}, {20, KEY_VIEW, 25},
    };
    for (const Case& c : cases) {
        show(c.from);
        EXPECT_TRUE(key(c.key)) << "a good click";
        EXPECT_EQ(cvew(), c.to) << (c.key == KEY_VIEW ? "VIEW" : "EXIT") << " at " << c.from;
    }
    show(25);
    EXPECT_FALSE(key(KEY_MENU)) << "an error click for any other key";
    EXPECT_EQ(cvew(), 25);
}

TEST_F(ViewKeyTask, ExitFromAViewHiddenMeanwhileTakesTheLastShownViewBeforeItsPlace)
{
    H_DATABASE_bUpdateValueBoolean(FCID("SV30"), TRUE, P_NORMAL);
    settle();
    show(30);
    // Hidden while on the screen; no frame has moved on from it yet.
    H_DATABASE_bUpdateValueBoolean(FCID("SV30"), FALSE, P_NORMAL);
    settle();
    EXPECT_TRUE(key(KEY_EXIT));
    EXPECT_EQ(cvew(), 25);
}

TEST_F(ViewKeyTask, WithOneShownViewBothKeysSelectItAgain)
{
    for (FOURCHARID k : {FCID("SV20"), FCID("SV25")})
        H_DATABASE_bUpdateValueBoolean(k, FALSE, P_NORMAL);
    settle();
    for (U32 k : {KEY_VIEW, KEY_EXIT}) {
        show(33);
        key(k);
        EXPECT_EQ(cvew(), 33) << k;
    }
    H_DATABASE_bUpdateValueBoolean(FCID("SV33"), FALSE, P_NORMAL);
    settle();
    show(33);
    key(KEY_EXIT);
    EXPECT_EQ(cvew(), NO_VIEW_PRIORITY) << "no view is shown";
    for (FOURCHARID k : {FCID("SV20"), FCID("SV25"), FCID("SV33")})
        H_DATABASE_bUpdateValueBoolean(k, TRUE, P_NORMAL);
    settle();
}

TEST_F(ViewKeyTask, ShutdownKeepsTheViewOnlyInTheStatesTheUserChoseIt)
{
    struct Case {
        U32 state;
        LAYER_ID view;
        bool kept;
    };
    const Case cases[] = {
        {STATE_NORMAL_RUN, 25, true}, {STATE_SIMULATION, 20, true}, {11, 33, true}, // playback
        {STATE_POINT_OF_SALE, 20, false}, {STATE_INLINE_TEST, 20, false},          {STATE_DIAGNOSTIC, 20, false},
        {STATE_NORMAL_RUN, NO_VIEW_PRIORITY, false},
    };
    for (const Case& c : cases) {
        H_DATABASE_bUpdateValueS32(FCID("SVEW"), 99, P_NORMAL);
        setState(c.state);
        H_DATABASE_bUpdateValueS32(FCID("CVEW"), c.view, P_NORMAL);
        command(CMD_ID_SHUTDOWN);
        EXPECT_EQ(svew(), c.kept ? c.view : 99) << "state " << c.state << ", view " << c.view;
    }
}

TEST_F(ViewKeyTask, AResetShowsTheDefaultViewExceptInTheInlineTest)
{
    for (auto [state, expected] : {std::pair{STATE_NORMAL_RUN, 33}, std::pair{STATE_INLINE_TEST, 20}}) {
        setState(state);
        H_DATABASE_bUpdateValueS32(FCID("CVEW"), 20, P_NORMAL);
        command(CMD_ID_RESET_POS);
        EXPECT_EQ(cvew(), expected) << "state " << state;
    }
}

// ---- Run start ----

// The first run command in a process of its own: the view it leaves in
// "CVEW" (99 stands for untouched) is the child's exit status.
void runStartInChild(std::optional<U32> state, std::optional<S32> saved)
{
    setState(state);
    if (saved)
        H_DATABASE_bUpdateValueS32(FCID("SVEW"), *saved, P_NORMAL);
    else
        H_DATABASE_vDeleteEntry(FCID("SVEW"));
    H_DATABASE_bUpdateValueS32(FCID("CVEW"), 99, P_NORMAL);
    command(CMD_ID_RUN_SYSTEM);
    exit(cvew());
}

TEST_F(ViewKeyTask, TheFirstRunStartPutsBackTheViewByState)
{
    H_DATABASE_bUpdateEverythingU32(FCID("TKBD"), KEYBOARD_TEST_MAILBOX, P_NORMAL, D_MAILBOX, nullptr,
                                    DB_TIMEOUT_NEVER);
    struct Case {
        const char* what;
        std::optional<U32> state;
        std::optional<S32> saved;
        int view;
    };
    const Case cases[] = {
        {"no state", std::nullopt, 20, 33},
        {"normal run", STATE_NORMAL_RUN, 20, 20},
        {"normal run, nothing saved", STATE_NORMAL_RUN, std::nullopt, 33},
        {"simulation", STATE_SIMULATION, 25, 25},
        {"point of sale", STATE_POINT_OF_SALE, 20, 33},
        {"inline test", STATE_INLINE_TEST, 20, 99},
        {"System Status", STATE_DIAGNOSTIC, 20, 99},
    };
    for (const Case& c : cases)
        EXPECT_EXIT(runStartInChild(c.state, c.saved), ::testing::ExitedWithCode(c.view), "") << c.what;
    while (MSGHEADER* h = L_MBOX_Receive(KEYBOARD_TEST_MAILBOX))
        H_MEMORY_vDumpMail(h);
}

TEST_F(ViewKeyTask, RunStartTakesViewAndExitOnceTheKeyboardTaskRuns)
{
    H_DATABASE_vDeleteEntry(FCID("TKBD"));
    setState(STATE_NORMAL_RUN);
    H_DATABASE_bUpdateValueS32(FCID("SVEW"), 25, P_NORMAL);
    // The keyboard task publishes its key while the run command waits for it.
    std::thread keyboard([] {
        sleepMs(50);
        H_DATABASE_bUpdateEverythingU32(FCID("TKBD"), KEYBOARD_TEST_MAILBOX, P_NORMAL, D_MAILBOX, nullptr,
                                        DB_TIMEOUT_NEVER);
    });
    command(CMD_ID_RUN_SYSTEM);
    keyboard.join();
    EXPECT_EQ(cvew(), 25);

    MSGHEADER* h = L_MBOX_Receive(KEYBOARD_TEST_MAILBOX);
    ASSERT_NE(h, nullptr);
    const auto* reg = reinterpret_cast<const MSG_REGISTER_FOR_KEYS*>(h);
    EXPECT_EQ(reg->header.Cmd, CMD_ID_REGISTER_FOR_KEYS);
    EXPECT_EQ(reg->keys, KEY_VIEW | KEY_EXIT);
    EXPECT_EQ(reg->mailbox, VIEWKEY_MAILBOX);
    EXPECT_EQ(reg->state, KEY_DOWN);
    EXPECT_EQ(reg->usage, REGISTER_EXCLUSIVE);
    EXPECT_EQ(reg->cursor_mode, NOT_CURSOR_KEY);
    EXPECT_FALSE(reg->repeat);
    EXPECT_FALSE(reg->accelerate);
    H_MEMORY_vDumpMail(h);

    // Later run commands change nothing.
    H_DATABASE_bUpdateValueS32(FCID("CVEW"), 20, P_NORMAL);
    command(CMD_ID_RUN_SYSTEM);
    EXPECT_EQ(cvew(), 20);
    EXPECT_EQ(L_MBOX_Receive(KEYBOARD_TEST_MAILBOX), nullptr);
}

TEST_F(ViewKeyTask, ExitWithoutAValidCurrentViewIsFatal)
{
    struct Case {
        void (*spoil)(void);
        const char* text;
    };
    const Case cases[] = {
        {[] { H_DATABASE_vDeleteEntry(FCID("CVEW")); }, "T_VIEW, no CVEW item"},
        {[] {
             H_DATABASE_bUpdateEverythingS32(FCID("CVEW"), 25, P_NORMAL, D_UNKNOWN, nullptr, 1);
             L_CLOCK_vAdvanceTestClock(2000);
         },
         "T_VIEW, CVEW invalid"},
    };
    for (const Case& c : cases) {
        EXPECT_EXIT(
            {
                c.spoil();
                key(KEY_EXIT);
            },
            ::testing::ExitedWithCode(10), "");
        const std::string fatal = vt::readFile(std::string(L_UTILS_cpGetPathnamePtr()) + "/FATAL.LOG");
        EXPECT_NE(fatal.find(c.text), std::string::npos) << fatal;
    }
}

// ---- The select calls ----

TEST_F(ViewKeyTask, ASpecifiedViewMustBeAShownBackgroundView)
{
    const std::pair<LAYER_ID, LAYER_ID> cases[] = {
        {25, 25}, {33, 33}, {30, NO_VIEW_PRIORITY}, {27, NO_VIEW_PRIORITY}, {99, NO_VIEW_PRIORITY}};
    for (const auto& [asked, got] : cases) {
        H_DATABASE_bUpdateValueS32(FCID("CVEW"), 20, P_NORMAL);
        T_VIEW_vSetSpcifiedBackgroundLayer(asked);
        EXPECT_EQ(cvew(), got) << asked;
    }
    T_VIEW_vSetBackgroundLayer(30);
    EXPECT_EQ(cvew(), 30) << "unchecked";
}

TEST_F(ViewKeyTask, AViewIsFoundByItsUpperCasedNameAndMadeVisible)
{
    ASSERT_FALSE(shown("SV30"));
    EXPECT_EQ(T_VIEW_GetSelectableView("SIDE IMAGING"), 30);
    EXPECT_TRUE(shown("SV30")) << "the hidden view is listed as visible";
    settle();
    show(30);
    EXPECT_EQ(cvew(), 30);
    EXPECT_EQ(T_VIEW_GetSelectableView("DEPTH BOX"), 27) << "overlays with a display key are named too";
    EXPECT_EQ(T_VIEW_GetSelectableView("SONAR"), 20);

    // No such name: nothing changes.
    H_DATABASE_bUpdateValueBoolean(FCID("SV30"), FALSE, P_NORMAL);
    for (const char* missing : {"Sonar", "SONA", "SONAR ", "", "NO SUCH VIEW"})
        EXPECT_EQ(T_VIEW_GetSelectableView(missing), -3) << "\"" << missing << "\"";
    EXPECT_EQ(T_VIEW_GetSelectableView(nullptr), -3);
    EXPECT_FALSE(shown("SV30"));

    // A name longer than 39 characters is passed over, whole or cut.
    std::string upper = LONG_NAME;
    for (char& ch : upper)
        ch = (char)toupper((unsigned char)ch);
    EXPECT_EQ(T_VIEW_GetSelectableView(upper.c_str()), -3);
    EXPECT_EQ(T_VIEW_GetSelectableView(upper.substr(0, 39).c_str()), -3);
    EXPECT_FALSE(shown("SV40"));
    settle();
}

} // namespace
