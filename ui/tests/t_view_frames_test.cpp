// The view task's frames with short real times: the 100 ms throttle, the
// expedited frames and the cancelled frame, the frame without a view,
// which overlays go over which view, the split view's panes, mark, dimming
// and divider (one checked-in picture), and the split geometry.
//
// On a difference from the picture, the frame is written beside the build
// for a look; with VONDREL_UPDATE_GOLDEN=1 it replaces the checked-in one
// (look at it before committing).
#include "ui/tests/view_task_world.h"

#include "graphics/g_png.h"
#include "testing/t_proc.h"

#include <cstdlib>

using namespace vw;

namespace {

constexpr SPLIT_WINDOW_TYPE L = SPLIT_LEFT_WINDOW;
constexpr SPLIT_WINDOW_TYPE R = SPLIT_RIGHT_WINDOW;
constexpr COLOR LEFT_FILL = 0x001F;
constexpr COLOR RIGHT_FILL = 0x07E0;

U64 now() { return L_CLOCK_qwGetTimeInMillis(); }

COLOR entry(U32 i) { return gCOLOR_pcolColorTable[i]; }

// The colour a pane fill has under the dimming box.
COLOR dimmed(COLOR fill)
{
    gt::TestBitmap one(2, 2, fill);
    const POINT at = {0, 0};
    G_BOX_vDrawFilledAlpha(one, entry(128), &at, 1, 1, 86);
    return one.at(0, 0);
}

// Frames, each the user words of its calls in order, split where the
// marker (drawn last in every frame) was called.
std::vector<std::vector<U32>> frames(const std::vector<Draw>& all, U32 marker)
{
    std::vector<std::vector<U32>> out(1);
    for (const Draw& d : all) {
        out.back().push_back(d.user);
        if (d.user == marker)
            out.emplace_back();
    }
    out.pop_back();
    return out;
}

TEST_F(ViewTask, RequestsWithin100msMergeIntoOneFrameAtTheEndOfThe100ms)
{
    ASSERT_TRUE(registerLayer({MARKER, USED_BY_ALL, NO_FILL | 1}));
    requestFrame();
    ASSERT_TRUE(waitForDraws(1));
    sleepMs(150);
    forgetDraws();
    T_VIEW_s32RefreshesSinceLastRequest();

    const U64 t0 = now();
    requestFrame();
    ASSERT_TRUE(waitForDraws(1));
    sleepMs(30);
    const U64 t1 = now();
    requestFrame();
    sleepMs(20);
    requestFrame(); // merged into the timer's frame
    sleepMs(250);

    const std::vector<Draw> d = draws();
    ASSERT_EQ(d.size(), 2u);
    EXPECT_LE(d[0].ms - t0, 25u) << "the first request composes at once";
    // The task stamps a frame as it starts it, at or after t0.
    EXPECT_GE(d[1].ms - t0, 98u) << "no two ordinary frames closer than 100 ms";
    EXPECT_LE(d[1].ms - t0, 160u);
    EXPECT_GE(d[1].ms - t1, 50u) << "the second request waits for the rest of the 100 ms";
    EXPECT_FALSE(d[0].expedited);
    EXPECT_FALSE(d[1].expedited);
    EXPECT_EQ(T_VIEW_s32RefreshesSinceLastRequest(), 2);
    EXPECT_EQ(T_VIEW_s32RefreshesSinceLastRequest(), 0);
}

TEST_F(ViewTask, AnExpediteDuringAnExpeditedFrameGivesExactlyOneMore)
{
    ASSERT_TRUE(registerLayer({MARKER, USED_BY_ALL, NO_FILL | 1}));
    static int expedited = 0; // counted in the view task
    s_onDraw = [](const Draw& d) {
        if (d.expedited && ++expedited == 1) {
            T_VIEW_vRequestExpeditedViewUpdate();
            T_VIEW_vRequestExpeditedViewUpdate(); // already requested: nothing more
        }
    };
    T_VIEW_vRequestExpeditedViewUpdate();
    sleepMs(300);
    const std::vector<Draw> d = draws();
    ASSERT_EQ(d.size(), 2u);
    EXPECT_TRUE(d[0].expedited);
    EXPECT_TRUE(d[1].expedited);
    EXPECT_LE(d[1].ms - d[0].ms, 50u) << "an expedited frame does not wait for the throttle";
    EXPECT_EQ(t_view::s_eExpeditedViewUpdateState.load(), t_view::EVU_DONE);
}

TEST_F(ViewTask, AnExpediteCancelsTheOrdinaryFrameAndItsPageGoesBackUnshown)
{
    constexpr U32 FIRST = NO_FILL | 1, SECOND = NO_FILL | 2;
    ASSERT_TRUE(registerLayer({600, USED_BY_ALL, FIRST}));
    ASSERT_TRUE(registerLayer({700, USED_BY_ALL, SECOND}));
    s_onDraw = [](const Draw& d) {
        if (d.user == FIRST && !d.expedited) {
            T_VIEW_vRequestExpeditedViewUpdate();
            EXPECT_TRUE(T_VIEW_bViewUpdateCancelled());
        }
    };
    const U32 shownBefore = panCount();
    requestFrame();
    ASSERT_TRUE(waitForDraws(3));
    sleepMs(100);
    const std::vector<Draw> d = draws();
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0].user, FIRST);
    EXPECT_FALSE(d[0].expedited);
    EXPECT_EQ(d[1].user, FIRST) << "the cancelled frame stopped before its next layer";
    EXPECT_TRUE(d[1].expedited);
    EXPECT_EQ(d[2].user, SECOND);
    // The cancelled page was back in the pool, so the expedited frame had
    // it again; a page shown or kept would not have been handed out.
    EXPECT_EQ(d[1].page, d[0].page);
    ASSERT_TRUE(waitShown(d[1].page));
    EXPECT_EQ(panCount(), shownBefore + 1) << "only the expedited frame was shown";
}

TEST_F(ViewTask, AnExpediteThatMeetsTheThrottleTimerIsNotLost)
{
    ASSERT_TRUE(registerLayer({MARKER, USED_BY_ALL, NO_FILL | 1}));
    requestFrame();
    ASSERT_TRUE(waitForDraws(1));
    sleepMs(30);
    requestFrame(); // starts the throttle timer, ~70 ms
    // Keep the task busy (a registration waiting for the list) while the
    // timer fires, then ask for an expedited frame: both semaphores are
    // signalled when it next waits, the timer's first.
    ASSERT_EQ(L_MUTEX_LockWait(RES_VIEW_LIST), 0);
    ASSERT_TRUE(U_VIEW_bRegisterLayer(testLayer, 800, USED_BY_ALL, NO_FILL | 2, 0, TRUE, nullptr, nullptr, nullptr));
    sleepMs(120);
    T_VIEW_vRequestExpeditedViewUpdate();
    L_MUTEX_Unlock(RES_VIEW_LIST);
    sleepMs(300);
    const std::vector<Draw> d = draws();
    bool expeditedSeen = false;
    for (const Draw& x : d)
        expeditedSeen |= x.expedited != FALSE;
    EXPECT_TRUE(expeditedSeen);
    EXPECT_EQ(t_view::s_eExpeditedViewUpdateState.load(), t_view::EVU_DONE);
}

TEST_F(ViewTask, WithoutAViewTheFirstFrameIsColour34UnderTheOverlaysOfEveryView)
{
    constexpr U32 VIEW35 = 0x7800, VIEW40 = 0x03E0, OVER35 = NO_FILL | 2, EVERY = NO_FILL | 3;
    ASSERT_EQ(fetchS32("CVEW"), NO_VIEW_PRIORITY);
    ASSERT_TRUE(registerLayer({35, USED_BY_NONE, VIEW35}));
    ASSERT_TRUE(registerLayer({40, USED_BY_NONE, VIEW40}));
    ASSERT_TRUE(registerLayer({45, 35, OVER35}));
    ASSERT_TRUE(registerLayer({MARKER, USED_BY_ALL, EVERY}));
    requestFrame();
    ASSERT_TRUE(waitForDraws(4));
    sleepMs(100);
    std::vector<Draw> d = draws();
    ASSERT_EQ(frames(d, EVERY), (std::vector<std::vector<U32>>{{EVERY}, {VIEW35, OVER35, EVERY}}));
    EXPECT_EQ(d[0].current, NO_VIEW_PRIORITY);
    EXPECT_FALSE(d[0].expedited);
    EXPECT_EQ(d[1].current, 35);
    EXPECT_TRUE(d[1].expedited) << "the change of view brings an expedited frame";
    EXPECT_EQ(fetchS32("CVEW"), 35);
    // The first frame's page, untouched since: colour 34 all over.
    const COLOR* page = reinterpret_cast<const COLOR*>(d[0].page);
    size_t other = 0;
    for (size_t i = 0; i < DD_LCD_SCREEN_PIXELS; ++i)
        other += page[i] != entry(34);
    EXPECT_EQ(other, 0u);

    forgetDraws();
    setView(40);
    ASSERT_TRUE(waitForDraws(2));
    sleepMs(100);
    d = draws();
    EXPECT_EQ(frames(d, EVERY), (std::vector<std::vector<U32>>{{VIEW40, EVERY}})) << "view 35's overlay stays off";
    EXPECT_EQ(d[0].current, 40);
}

// A split view of id 20 and one of id 25, which is never dimmed, both
// halved by "SZTS"; a frame of the view is composed for each case.
class SplitView : public ViewTask {
protected:
    void SetUp() override
    {
        ViewTask::SetUp();
        H_DATABASE_bUpdateValueS32(FCID("SZTS"), 50, P_NORMAL);
        for (LAYER_ID id : {20, 25}) {
            ASSERT_TRUE(registerLayer({id, USED_BY_NONE, LEFT_FILL, 0, TRUE, L, FCID("SZTS")}));
            ASSERT_TRUE(registerLayer({id, USED_BY_NONE, RIGHT_FILL, 0, TRUE, R, FCID("SZTS")}));
        }
        ASSERT_TRUE(registerLayer({MARKER, USED_BY_ALL, NO_FILL | 1}));
    }

    // A frame of the view with the menu and the active side given, copied
    // off the screen once it is shown.
    void compose(LAYER_ID view, U32 menu, SPLIT_WINDOW_TYPE active)
    {
        H_DATABASE_bUpdateValueU32(FCID("CMNU"), menu, P_NORMAL);
        H_DATABASE_bUpdateValueS32(FCID("CVAS"), active, P_NORMAL);
        setView(view);
        settle();
        sleepMs(150); // the frames these changes bring
        forgetDraws();
        T_VIEW_vRequestExpeditedViewUpdate();
        ASSERT_TRUE(waitForDraws(3));
        ASSERT_TRUE(waitShown(draws()[2].page));
        copyShown(screen);
    }

    gt::TestBitmap screen{800, 600};
};

TEST_F(SplitView, TheActivePaneIsMarkedAndTheOtherDimmedWhileTheExpressMenuIsOpen)
{
    struct Case {
        LAYER_ID view;
        U32 menu;
        SPLIT_WINDOW_TYPE active;
        bool leftDimmed, rightDimmed;
    };
    const Case cases[] = {
        {20, 2, R, true, false}, {20, 2, L, false, true}, {20, 0, R, false, false},
        {20, 3, L, false, false}, {25, 2, R, false, false},
    };
    // Inside each pane, 50 pixels below the top, 10 pixels from the divider.
    const int iconY = 599 - 50 + 9;
    const int leftIconX = 397 - 10 - 18 + 9, rightIconX = 403 + 10 + 9;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "view " << c.view << " menu " << c.menu << " active " << c.active);
        compose(c.view, c.menu, c.active);
        EXPECT_EQ(screen.at(100, 300), c.leftDimmed ? dimmed(LEFT_FILL) : LEFT_FILL);
        EXPECT_EQ(screen.at(700, 300), c.rightDimmed ? dimmed(RIGHT_FILL) : RIGHT_FILL);
        const COLOR leftAtIcon = screen.at(leftIconX, iconY), rightAtIcon = screen.at(rightIconX, iconY);
        EXPECT_EQ(leftAtIcon != LEFT_FILL && leftAtIcon != dimmed(LEFT_FILL), c.active == L);
        EXPECT_EQ(rightAtIcon != RIGHT_FILL && rightAtIcon != dimmed(RIGHT_FILL), c.active == R);
        // The divider, from the bottom row to the top.
        for (int y : {0, 300, 599}) {
            const std::vector<COLOR> divider = {screen.at(397, y), screen.at(398, y), screen.at(399, y),
                                                screen.at(400, y), screen.at(401, y), screen.at(402, y),
                                                screen.at(403, y)};
            EXPECT_EQ(divider[1], entry(128));
            EXPECT_EQ(divider[2], entry(131));
            EXPECT_EQ(divider[4], entry(131));
            EXPECT_EQ(divider[5], entry(128));
            EXPECT_NE(divider[0], entry(128));
            EXPECT_NE(divider[6], entry(128));
        }
    }
}

TEST_F(SplitView, HalfSplitFrameMatchesThePicture)
{
    compose(20, 2, R);
    gt::expectGolden(screen, "ui/tests/golden", "view_split_50");
}

TEST(ViewGeometry, TheTwoPanesAndTheDividerTileTheWidth)
{
    for (S32 w : {800, 799, 320}) {
        for (S32 p : {0, 20, 30, 33, 50, 67, 80, 100}) {
            SCOPED_TRACE(testing::Message() << w << " wide, " << p << "%");
            const S32 left = T_VIEW_s32SplitViewLeftWidth(w, p), right = T_VIEW_s32SplitViewRightWidth(w, p);
            EXPECT_EQ(left + 5 + right, w);
            EXPECT_EQ(T_VIEW_s32SplitViewClipLeft(w, p, L), 0);
            EXPECT_EQ(T_VIEW_s32SplitViewClipRight(w, p, L), left - 1);
            EXPECT_EQ(T_VIEW_s32SplitViewClipLeft(w, p, R), w - right);
            EXPECT_EQ(T_VIEW_s32SplitViewClipRight(w, p, R), w - 1);
            EXPECT_EQ(T_VIEW_s32SplitViewClipLeft(w, p, SPLIT_FULL_WINDOW), 0);
            EXPECT_EQ(T_VIEW_s32SplitViewClipRight(w, p, SPLIT_FULL_WINDOW), w - 1);
        }
    }
}

TEST_F(ViewTask, PaneWindowsFollowTheSplitKeyAndStayOnThePage)
{
    struct Case {
        S32 percent;
        WINDOW_LOCATION left, right; // left, top, right, bottom
    };
    const Case cases[] = {
        {30, {0, 599, 237, 0}, {243, 599, 799, 0}},
        {50, {0, 599, 397, 0}, {403, 599, 799, 0}},
        // A damaged setting: one pane gets the page, the other nothing.
        {150, {0, 599, 799, 0}, {800, 599, 799, 0}},
        {-20, {0, 599, -1, 0}, {0, 599, 799, 0}},
    };
    ASSERT_TRUE(registerLayer({60, USED_BY_NONE, NO_FILL | 1, 0, TRUE, L, FCID("SZTG")}));
    ASSERT_TRUE(registerLayer({60, USED_BY_NONE, NO_FILL | 2, 0, TRUE, R, FCID("SZTG")}));
    setView(60);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.percent);
        H_DATABASE_bUpdateValueS32(FCID("SZTG"), c.percent, P_NORMAL);
        settle();
        sleepMs(120);
        forgetDraws();
        T_VIEW_vRequestExpeditedViewUpdate();
        ASSERT_TRUE(waitForDraws(2));
        const std::vector<Draw> d = draws();
        auto box = [](const WINDOW_LOCATION& w) {
            return std::vector<S32>{w.s32ClipLeft, w.s32ClipTop, w.s32ClipRight, w.s32ClipBottom};
        };
        EXPECT_EQ(d[0].type, L);
        EXPECT_EQ(box(d[0].box), box(c.left));
        EXPECT_EQ(d[1].type, R);
        EXPECT_EQ(box(d[1].box), box(c.right));
    }
}

} // namespace
