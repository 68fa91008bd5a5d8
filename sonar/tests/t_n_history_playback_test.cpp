// The history's playback operations: the direction of each mode, turning
// the direction and the end fill, and the time stamps of the columns at
// the edge a playback continues from.
#include "sonar/tests/history_world.h"

#include "graphics/g_bmp.h"
#include "graphics/g_pixel.h"
#include "kernel/l_sema.h"
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_state.h"
#include "ui/u_view.h"

using namespace history_test;
using namespace t_n_history;

namespace {

class HistoryPlayback : public ::testing::Test {
protected:
    void SetUp() override
    {
        worldWithWindows();
        T_N_HISTORY_vSetReverseScroll(FALSE, FALSE);
        for (SONAR_WINDOW& w : SonarViewInfo.Window)
            w.bTriggerTotalScreenUpdate = FALSE;
    }

    static bool anyTrigger()
    {
        for (const SONAR_WINDOW& w : SonarViewInfo.Window)
            if (w.bTriggerTotalScreenUpdate)
                return true;
        return false;
    }
};

TEST(HistoryPlaybackDirection, EachModeScrollsItsWay)
{
    struct Case {
        U32 mode;
        BOOLEAN current;
        BOOLEAN reverse;
    } cases[] = {
        {6, FALSE, FALSE}, {6, TRUE, TRUE},   // paused: as it is
        {12, FALSE, TRUE},                    // end fill: reverse
        {13, TRUE, FALSE},                    // stop: forward
        {2, FALSE, TRUE},  {5, FALSE, TRUE},  // the reverse modes
        {7, TRUE, FALSE},  {10, TRUE, FALSE}, // the forward modes
        {1, TRUE, TRUE},   {11, FALSE, FALSE}, {14, TRUE, TRUE}, {15, TRUE, TRUE}, {16, FALSE, FALSE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(T_N_HISTORY_bReverseScrollForMode(c.mode, c.current), c.reverse) << "mode " << c.mode;
}

TEST_F(HistoryPlayback, SettingTheSameDirectionAndFillDoesNothing)
{
    setU32("CTCU", 77);
    T_N_HISTORY_vSetReverseScroll(FALSE, FALSE);
    EXPECT_FALSE(anyTrigger());
    EXPECT_EQ(u32("CTCU"), 77u);
    T_N_HISTORY_vSetReverseScroll(TRUE, FALSE);
    EXPECT_TRUE(anyTrigger()) << "a turn redraws";
    for (SONAR_WINDOW& w : SonarViewInfo.Window)
        w.bTriggerTotalScreenUpdate = FALSE;
    T_N_HISTORY_vSetReverseScroll(TRUE, FALSE);
    EXPECT_FALSE(anyTrigger());
}

TEST_F(HistoryPlayback, EnteringTheEndFillPublishesZeroAndEmptiesThePictures)
{
    setU32("CTCU", 77);
    SONAR_WINDOW& w = SonarViewInfo.Window[0];
    ASSERT_NE(w.ScreenHistory.pBmp, nullptr);
    G_BMP_vSet(w.ScreenHistory.pBmp, 0x1234);
    w.ScreenHistory.u16NextFreeColumn = 300;
    TSUStore[0].u32NextFreeColumn = 5;
    TSUStore[0].aTsuStore[4].u32TimeStamp = 99;
    L_SEMA_WaitTicks(SEMA_VIEW_UPDATE, 0);
    T_N_HISTORY_vSetReverseScroll(TRUE, TRUE);
    EXPECT_EQ(u32("CTCU"), 0u);
    EXPECT_EQ(L_SEMA_WaitTicks(SEMA_VIEW_UPDATE, 0), 0) << "a frame is asked for";
    EXPECT_EQ(w.ScreenHistory.u16NextFreeColumn, 0);
    EXPECT_EQ(TSUStore[0].u32NextFreeColumn, 0u);
    EXPECT_EQ(TSUStore[0].aTsuStore[4].u32TimeStamp, 0u);
    EXPECT_EQ(*G_PIXEL_pcolLogical(w.ScreenHistory.pBmp, 10, 10), BackGroundColor.load());
    EXPECT_EQ(*G_PIXEL_pcolLogical(w.ScreenHistory.pBmp, 700, 500), BackGroundColor.load());
    EXPECT_TRUE(anyTrigger());
    T_N_HISTORY_vSetReverseScroll(FALSE, FALSE);
}

TEST_F(HistoryPlayback, TheLookUpTakesTheNewestColumnForwardAndTheOneAfterTheNextInReverse)
{
    for (U32 b = 0; b < SONAR_STORED_BEAMS; ++b) {
        TSUStore[b].u32NextFreeColumn = 0;
        TSUStore[b].aTsuStore[819].u32TimeStamp = 8190 + b;
        TSUStore[b].aTsuStore[1].u32TimeStamp = 10 + b;
    }
    TSUStore[2].u32NextFreeColumn = 5;
    TSUStore[2].aTsuStore[4].u32TimeStamp = 444;
    TSUStore[2].aTsuStore[6].u32TimeStamp = 666;
    U32 stamps[4] = {};
    T_N_HISTORY_vLookupColumnPingTimeStamps(FALSE, stamps);
    EXPECT_EQ(stamps[0], 8190u);
    EXPECT_EQ(stamps[1], 8191u);
    EXPECT_EQ(stamps[2], 444u);
    EXPECT_EQ(stamps[3], 8193u);
    T_N_HISTORY_vLookupColumnPingTimeStamps(TRUE, stamps);
    EXPECT_EQ(stamps[0], 10u);
    EXPECT_EQ(stamps[2], 666u);
    EXPECT_EQ(stamps[3], 13u);
}

} // namespace
