// The sonar confirmation statement: its keys, clicks, answers and
// self-close on the test clock, its box and wrap on full and split
// screens, and the cut of an over-long text.
#include "sonar/history/t_n_history_conf.h"

#include "sonar/history/t_n_history.h"
#include "sonar/tests/history_world.h"

#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "kernel/l_clock.h"
#include "kernel/l_sema.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace history_test;

constexpr MBOX VIEW_STANDIN = 61;

int s_yes = 0;
int s_no = 0;
void vYes(void) { ++s_yes; }
void vNo(void) { ++s_no; }

bool signalled(SEMA sema) { return L_SEMA_WaitTicks(sema, 1) == 0; }

void drain(MBOX box)
{
    while (MSGHEADER* p = L_MBOX_Receive(box))
        H_MEMORY_vFree(p);
}

struct Click {
    bool good;
    bool bad;
};
Click clicks() { return {signalled(SEMA_KEYCLICK_GOOD), signalled(SEMA_KEYCLICK_BAD)}; }

MSG_KEY_CHANGE key(U32 bit, CURSOR_POSITION cursor = CURSOR_UP)
{
    MSG_KEY_CHANGE m{};
    m.header.Cmd = CMD_ID_KEY_CHANGE;
    m.key = bit;
    m.state = KEY_DOWN;
    m.count = 1;
    m.cursor = cursor;
    return m;
}

class HistoryConf : public ::testing::Test {
protected:
    void SetUp() override
    {
        world();
        U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
        gCOLOR_pcolColorTable[67] = 0xF800;
        gCOLOR_pcolColorTable[35] = 0x0010;
        gCOLOR_pcolColorTable[68] = 0xFFFF;
        keyboardStandIn();
        setU32("TVUE", VIEW_STANDIN);
        setU32("CVEW", 1);
        setU32("SLNG", 0);
        T_N_HISTORY_CONF_vReset(0);
        L_CLOCK_vResetTestClock();
        flush();
        s_yes = s_no = 0;
    }
    void TearDown() override
    {
        T_N_HISTORY_CONF_vReset(0);
        L_CLOCK_vResetTestClock();
        flush();
    }
    static void flush()
    {
        drain(KEYBOARD_STANDIN);
        drain(VIEW_STANDIN);
        drain(HISTORY_MAILBOX);
        clicks();
    }
    // One frame; returns the self-close key mailed to the history task.
    static bool frameSendsLeftKey()
    {
        gt::TestBitmap frame(800, 600, 0);
        T_N_HISTORY_CONF_vRender(frame, nullptr);
        MSGHEADER* p = L_MBOX_Receive(HISTORY_MAILBOX);
        if (p == nullptr)
            return false;
        const auto* m = reinterpret_cast<const MSG_KEY_CHANGE*>(p);
        const bool left = m->header.Cmd == CMD_ID_KEY_CHANGE && m->key == KEY_CURSOR && m->state == KEY_DOWN &&
                          m->cursor == CURSOR_WEST;
        const BOOLEAN taken = T_N_HISTORY_CONF_bHandleKeys(m);
        H_MEMORY_vFree(p);
        return left && taken;
    }
    static t_n_history_conf::SNAPSHOT drawn(U32 height = 600)
    {
        gt::TestBitmap frame(800, height, 0);
        T_N_HISTORY_CONF_vRender(frame, nullptr);
        return t_n_history_conf::sSnapshot();
    }
};

TEST_F(HistoryConf, EmptyStatementBoxIsFifteenWideAndSizedByMode)
{
    const struct {
        U8 mode;
        S32 height;
    } cases[] = {{0, 17}, {1, 50}, {2, 50}};
    for (const auto& c : cases) {
        T_N_HISTORY_CONF_vSetup("", nullptr, nullptr, c.mode, 0);
        const auto s = drawn();
        EXPECT_EQ(s.nLines, 0) << "mode " << int(c.mode);
        EXPECT_EQ(s.W, 15) << "mode " << int(c.mode);
        EXPECT_EQ(s.H, c.height) << "mode " << int(c.mode);
        EXPECT_EQ(s.x0, (800 - 15) / 2);
        EXPECT_EQ(s.y0, (600 - c.height) / 2);
        T_N_HISTORY_CONF_vReset(0);
    }
}

TEST_F(HistoryConf, SetupRegistersKeysAndLayerAndRemovalUnregistersThem)
{
    T_N_HISTORY_CONF_vSetup("Notice", nullptr, nullptr, 0, 0);
    auto mails = keyMails();
    EXPECT_TRUE(has(mails, CMD_ID_REGISTER_FOR_KEYS, KEY_CURSOR));
    EXPECT_TRUE(has(mails, CMD_ID_REGISTER_FOR_KEYS, 0xFFEE));
    MSGHEADER* p = L_MBOX_Receive(VIEW_STANDIN);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<GENERIC_MESSAGE*>(p)->Cmd, CMD_ID_REGISTER_LAYER);
    H_MEMORY_vFree(p);

    // A second setup while one is up is dropped and registers nothing.
    T_N_HISTORY_CONF_vSetup("Other", vYes, vNo, 2, 0);
    EXPECT_TRUE(keyMails().empty());
    EXPECT_EQ(t_n_history_conf::sSnapshot().u8Mode, 0);

    const MSG_KEY_CHANGE menu = key(KEY_MENU);
    EXPECT_TRUE(T_N_HISTORY_CONF_bHandleKeys(&menu));
    mails = keyMails();
    EXPECT_TRUE(has(mails, CMD_ID_UNREGISTER_FOR_KEYS, 0xFFFE));
    p = L_MBOX_Receive(VIEW_STANDIN);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<GENERIC_MESSAGE*>(p)->Cmd, CMD_ID_UNREGISTER_LAYER);
    H_MEMORY_vFree(p);
    EXPECT_FALSE(t_n_history_conf::sSnapshot().bUp);
    EXPECT_FALSE(T_N_HISTORY_CONF_bHandleKeys(&menu)) << "nothing up: the key goes on";
}

TEST_F(HistoryConf, NoticeGoesAfterItsSelfCloseOrAtTheFirstKey)
{
    // After 15 s: the self-close key, then the good click.
    T_N_HISTORY_CONF_vSetup("Retracting", vYes, vNo, 0, 15);
    flush();
    L_CLOCK_vAdvanceTestClock(14000);
    EXPECT_FALSE(frameSendsLeftKey()) << "not yet";
    EXPECT_TRUE(t_n_history_conf::sSnapshot().bUp);
    L_CLOCK_vAdvanceTestClock(1500);
    EXPECT_TRUE(frameSendsLeftKey());
    EXPECT_FALSE(t_n_history_conf::sSnapshot().bUp);
    auto c = clicks();
    EXPECT_TRUE(c.good);
    EXPECT_FALSE(c.bad);
    EXPECT_EQ(s_yes + s_no, 0) << "a notice calls nothing";

    // Or at the first key, whichever key it is.
    T_N_HISTORY_CONF_vSetup("Retracting", vYes, vNo, 0, 15);
    flush();
    const MSG_KEY_CHANGE zoom = key(KEY_ZOOM_IN);
    EXPECT_TRUE(T_N_HISTORY_CONF_bHandleKeys(&zoom));
    EXPECT_FALSE(t_n_history_conf::sSnapshot().bUp);
    EXPECT_EQ(t_n_history_conf::sSnapshot().u32SelfClose, 0u);
    c = clicks();
    EXPECT_TRUE(c.good);
    EXPECT_EQ(s_yes + s_no, 0);
    L_CLOCK_vAdvanceTestClock(20000);
    EXPECT_FALSE(frameSendsLeftKey()) << "the self-close went with the statement";
}

TEST_F(HistoryConf, QuestionLeftUnansweredAnswersNoAfterItsTime)
{
    T_N_HISTORY_CONF_vSetup("Deploy?", vYes, vNo, 2, 30);
    flush();
    L_CLOCK_vAdvanceTestClock(29000);
    EXPECT_FALSE(frameSendsLeftKey());
    L_CLOCK_vAdvanceTestClock(1500);
    EXPECT_TRUE(frameSendsLeftKey());
    EXPECT_EQ(s_no, 1);
    EXPECT_EQ(s_yes, 0);
    EXPECT_FALSE(t_n_history_conf::sSnapshot().bUp);
    EXPECT_TRUE(clicks().good);
}

TEST_F(HistoryConf, AnswerKeysByMode)
{
    const struct {
        const char* name;
        U8 mode;
        MSG_KEY_CHANGE key;
        bool taken, good, bad, stays;
        int yes, no;
    } cases[] = {
        {"right, yes only", 1, key(KEY_CURSOR, CURSOR_EAST), true, true, false, false, 1, 0},
        {"left, yes only", 1, key(KEY_CURSOR, CURSOR_WEST), true, false, true, true, 0, 1},
        {"right, yes and no", 2, key(KEY_CURSOR, CURSOR_EAST), true, true, false, false, 1, 0},
        {"left, yes and no", 2, key(KEY_CURSOR, CURSOR_WEST), true, true, false, false, 0, 1},
        {"up", 2, key(KEY_CURSOR, CURSOR_NORTH), true, false, true, true, 0, 0},
        {"down", 1, key(KEY_CURSOR, CURSOR_SOUTH), true, false, true, true, 0, 0},
        {"diagonal", 2, key(KEY_CURSOR, CURSOR_NORTH_EAST), true, false, true, true, 0, 0},
        {"info", 2, key(KEY_INFO), true, false, true, true, 0, 0},
        {"go-to", 1, key(KEY_GOTO), true, false, true, true, 0, 0},
        {"mark", 2, key(KEY_MARK), true, false, true, true, 0, 0},
        {"menu", 2, key(KEY_MENU), false, false, false, true, 0, 0},
        {"exit", 1, key(KEY_EXIT), false, false, false, true, 0, 0},
        {"view", 2, key(KEY_VIEW), false, false, false, true, 0, 0},
        {"zoom out", 2, key(KEY_ZOOM_OUT), false, false, false, true, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        s_yes = s_no = 0;
        T_N_HISTORY_CONF_vSetup("Deploy?", vYes, vNo, c.mode, 0);
        flush();
        EXPECT_EQ(T_N_HISTORY_CONF_bHandleKeys(&c.key), c.taken ? TRUE : FALSE);
        const Click k = clicks();
        EXPECT_EQ(k.good, c.good);
        EXPECT_EQ(k.bad, c.bad);
        EXPECT_EQ(bool(t_n_history_conf::sSnapshot().bUp), c.stays);
        EXPECT_EQ(s_yes, c.yes);
        EXPECT_EQ(s_no, c.no);
        const auto mails = keyMails();
        EXPECT_EQ(has(mails, CMD_ID_UNREGISTER_FOR_KEYS, KEY_CURSOR), !c.stays);
        T_N_HISTORY_CONF_vReset(0);
    }
}

// An answer that clears the statement itself (the deploy action does).
void vYesThatResets(void)
{
    ++s_yes;
    T_N_HISTORY_CONF_vReset(0);
}

TEST_F(HistoryConf, AnswerMayResetTheStatementItself)
{
    T_N_HISTORY_CONF_vSetup("Deploy?", vYesThatResets, nullptr, 1, 0);
    flush();
    const MSG_KEY_CHANGE right = key(KEY_CURSOR, CURSOR_EAST);
    EXPECT_TRUE(T_N_HISTORY_CONF_bHandleKeys(&right));
    EXPECT_EQ(s_yes, 1);
    EXPECT_FALSE(t_n_history_conf::sSnapshot().bUp);
    const auto mails = keyMails();
    int unregisters = 0;
    for (const KeyMail& m : mails)
        unregisters += m.cmd == CMD_ID_UNREGISTER_FOR_KEYS;
    EXPECT_EQ(unregisters, 1) << "the keys go once";
    T_N_HISTORY_CONF_vSetup("Again", nullptr, nullptr, 0, 0);
    EXPECT_TRUE(t_n_history_conf::sSnapshot().bUp) << "a new statement is taken";
}

TEST_F(HistoryConf, YesAndNoKeepTheLanguageOfSetup)
{
    setU32("SLNG", 3);
    T_N_HISTORY_CONF_vSetup("Deploy?", vYes, vNo, 2, 0);
    setU32("SLNG", 5);
    drawn();
    EXPECT_EQ(t_n_history_conf::sSnapshot().nLang, 3u);
    setU32("SLNG", 0);
}

TEST_F(HistoryConf, SplitViewWrapsAndCentresInTheRightPane)
{
    const char* text = "360 sonar unit is retracted.  Deploy 360 sonar?  This statement is long enough to wrap "
                       "over several lines on a narrow pane of the split screen.";
    const struct {
        U32 view;
        U32 szp2;
        bool split;
        U16 wrap;
    } cases[] = {{57, 30, true, 384}, {57, 50, true, 256}, {57, 51, false, 576}, {1, 30, false, 576}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.view) + "/" + std::to_string(c.szp2));
        setU32("CVEW", c.view);
        setU32("SZP2", c.szp2);
        T_N_HISTORY_CONF_vSetup(text, nullptr, nullptr, 0, 0);
        const auto s = drawn();
        EXPECT_EQ(bool(s.bOnSplit), c.split);
        EXPECT_EQ(s.u16WrapWidth, c.wrap);
        EXPECT_LE(s.W, c.wrap + 15);
        EXPECT_GT(s.nLines, 1);
        if (c.split) {
            const S32 pane = S32(100 - c.szp2) * 8;
            EXPECT_NEAR(s.x0 + s.W / 2, 800 - pane + pane / 2, 1) << "centred in the right pane";
        } else {
            EXPECT_EQ(s.x0, (800 - s.W) / 2);
        }
        T_N_HISTORY_CONF_vReset(0);
    }
    setU32("CVEW", 1);
}

TEST_F(HistoryConf, OverlongStatementKeepsTenLines)
{
    std::string text;
    for (int i = 0; i < 25; ++i)
        text += "Line" + std::string(40, 'x') + " ";
    T_N_HISTORY_CONF_vSetup(text.c_str(), nullptr, nullptr, 2, 0);
    const auto s = drawn();
    EXPECT_EQ(s.nLines, 10);
    EXPECT_EQ(s.H, 10 * 24 + 50);
}

TEST_F(HistoryConf, QuestionGolden)
{
    T_N_HISTORY_CONF_vSetup("360 sonar unit is retracted.  Deploy 360 sonar?", vYes, vNo, 2, 0);
    gt::TestBitmap frame(800, 600, 0);
    T_N_HISTORY_CONF_vRender(frame, nullptr);
    gt::expectGolden(frame, "sonar/tests/golden", "conf_question");
}

} // namespace
