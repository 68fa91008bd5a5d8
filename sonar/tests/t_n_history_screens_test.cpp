// The 2D sonar views drawn into a page: the real-time strip and colour bar
// by their settings, the amplitude trace's scale, an expedited frame that
// leaves the rebuild for the next one, the cursor's rectangle of a split
// pane, and the dual-beam view's frequency labels; the side-and-down
// view's layouts and the 2D zoom view's panes, frame, markers and fish.
#include "sonar/tests/process_world.h"

#include "sonar/tests/history_world.h"

#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/g_icon.h"
#include "graphics/g_pixel.h"
#include "graphics/g_string.h"
#include "sonar/dsp/s_transducer_texts.h"
#include "store/lang.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "sonar/dsp/s_fishid.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_state.h"
#include "sonar/screens/t_n_history_frame.h"
#include "sonar/screens/t_n_history_screens.h"

#include <cstring>
#include <memory>
#include <vector>

using namespace t_n_history;

namespace {

constexpr COLOR PAGE = 0x2104;    // the page before the callback draws
constexpr COLOR HISTORY = 0x0F0F; // every pixel of window 0's history
constexpr COLOR WHITE = 0xFFFF;   // colour-table entry 128
constexpr COLOR BLACK = 0x0000;   // colour-table entry 131

class SonarScreens : public ::testing::Test {
protected:
    void SetUp() override
    {
        process_test::world();
        static const bool ready = [] {
            vCreateWindowsAndStores();
            U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
            return true;
        }();
        (void)ready;
        gCOLOR_pcolColorTable[FRAME_COLOR_WHITE] = WHITE;
        gCOLOR_pcolColorTable[FRAME_COLOR_BLACK] = BLACK;
        for (U32 v = 0; v < 32; ++v)
            gCOLOR_pcolColorTable[v] = (COLOR)(0x4000 + v);
        for (U32 v = 0; v < GRAYSCALE_LEVELS; ++v)
            StandardBeamGrayScaleTable.acColor[v] = (COLOR)(0x6000 + v);
        // The view laid out already: the callbacks' view check leaves the
        // windows as set here.
        CurrentView = VIEW_SONAR;
        s_bEndFill = FALSE;
        s_bReverseScroll = FALSE;
        s_bSonarDoNotDisplayScale = TRUE; // the image alone
        bTemperatureOverlay = FALSE;
        SonarViewInfo.u32DepthLines = 0;
        SonarViewInfo.bFishID = FALSE;
        SonarViewInfo.bColorIntensityBar = FALSE;
        SonarViewInfo.RTSBeam = 1;
        SonarViewInfo.u32RTSWidth = 0;
        for (U32 i = 0; i < SONAR_WINDOWS; ++i) {
            SONAR_WINDOW& w = SonarViewInfo.Window[i];
            w.bTriggerTotalScreenUpdate = FALSE;
            w.ScreenHistory.pBmp->pixels_wide = 800;
            G_BMP_vSet(w.ScreenHistory.pBmp, HISTORY);
            w.ScreenHistory.u16NextFreeColumn = 0;
            w.u32UpperSample = 0;
            w.u32LowerSample = 4000;
            w.u32UpperDigits = 0;
            w.u32LowerDigits = 20;
        }
        SonarViewInfo.Window[0].Beam = 1;
        T_N_PROCESS_vClearAllAccumulators();
    }
    void TearDown() override { s_bSonarDoNotDisplayScale = FALSE; }

    static WINDOW_SPECIFICATION full(LAYER_ID layer = VIEW_SONAR)
    {
        WINDOW_SPECIFICATION spec{};
        spec.currentLayer = layer;
        spec.activeWindow = SPLIT_FULL_WINDOW;
        spec.drawWindowType = SPLIT_FULL_WINDOW;
        spec.drawWindow = {0, 599, 799, 0};
        return spec;
    }
};

// ---- Strip and colour bar ----

TEST_F(SonarScreens, TheStripAndTheImageFollowTheStripSettings)
{
    const struct {
        const char* what;
        U32 width;
        BEAM beam;
        U32 imageRight;   // last column of the history
        COLOR atStripLeft; // the column where a strip would begin
    } cases[] = {
        {"no strip: the image reaches the edge", 0, 1, 799, HISTORY},
        {"the amplitude trace: a white strip of 100", 100, 1, 696, WHITE},
        {"a colour column of 66 in the zero sample's colour", 66, 1, 730, (COLOR)0x6000},
        {"a strip without a beam draws nothing", 66, 4, 730, PAGE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SonarViewInfo.u32RTSWidth = c.width;
        SonarViewInfo.RTSBeam = c.beam;
        gt::TestBitmap page(800, 600, PAGE);
        WINDOW_SPECIFICATION spec = full();
        T_N_HISTORY_vDrawFullScreenSonar(page, &spec);
        EXPECT_EQ(page.at((int)c.imageRight, 300), HISTORY);
        if (c.imageRight < 799) {
            EXPECT_EQ(page.at((int)c.imageRight + 1, 300), PAGE) << "the gap";
            EXPECT_EQ(page.at(800 - (int)c.width, 300), c.atStripLeft);
            EXPECT_EQ(page.at(799, 300), c.atStripLeft);
        }
        EXPECT_EQ(CursorWindow.s32ClipRight, (S32)c.imageRight);
    }
}

TEST_F(SonarScreens, AStripSettingNearTheScreenWidthLeavesNoImageInsteadOfWrapping)
{
    SonarViewInfo.u32RTSWidth = 797;
    gt::TestBitmap page(800, 600, PAGE);
    WINDOW_SPECIFICATION spec = full();
    T_N_HISTORY_vDrawFullScreenSonar(page, &spec);
    EXPECT_EQ(page.at(0, 300), PAGE);
}

TEST_F(SonarScreens, TheColourBarsBlocksFollowTheImageHeight)
{
    const struct {
        U32 y;      // rows of the info bar
        S32 b;      // block height
        S32 bottom; // rows of the background block
    } cases[] = {{0, 18, 42}, {105, 15, 30}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.y);
        gt::TestBitmap page(800, 600, PAGE);
        const S32 h = 600 - (S32)c.y;
        ASSERT_EQ(h / 32, c.b);
        POINT pt{799 - 2 * c.b, (S32)c.y};
        T_N_HISTORY_vDrawColorIntensityBar(page, &pt, 2 * c.b, c.b, (U32)h);
        const int x = 799 - 2 * c.b; // the bar's left column
        // From the top: entry 31 first, entry 1 in the 31st block.
        EXPECT_EQ(page.at(x, 599), gCOLOR_pcolColorTable[31]);
        EXPECT_EQ(page.at(x + 2 * c.b - 1, 600 - 31 * c.b), gCOLOR_pcolColorTable[1]);
        // The background block fills the rows down to the image's bottom.
        EXPECT_EQ(page.at(x, (int)c.y), gCOLOR_pcolColorTable[0]);
        EXPECT_EQ(page.at(x, (int)c.y + c.bottom - 1), gCOLOR_pcolColorTable[0]);
        EXPECT_EQ(page.at(x, (int)c.y + c.bottom), gCOLOR_pcolColorTable[1]);
        // The edge lines, and the white column under the info bar.
        EXPECT_EQ(page.at(x - 2, 300), BLACK);
        EXPECT_EQ(page.at(x - 1, 300), WHITE);
        EXPECT_EQ(page.at(x - 3, 300), WHITE);
        EXPECT_EQ(page.at(x - 4, 300), PAGE);
        if (c.y != 0) {
            EXPECT_EQ(page.at(x, 0), WHITE);
        }
    }
}

TEST_F(SonarScreens, TheFullScreenImageEndsLeftOfTheColourBar)
{
    SonarViewInfo.bColorIntensityBar = TRUE;
    gt::TestBitmap page(800, 600, PAGE);
    WINDOW_SPECIFICATION spec = full();
    T_N_HISTORY_vDrawFullScreenSonar(page, &spec);
    // b = 18: the drawing area ends at 796 - 36 = 760.
    EXPECT_EQ(page.at(759, 300), HISTORY);
    EXPECT_EQ(page.at(760, 300), WHITE);
    EXPECT_EQ(CursorWindow.s32ClipRight, 759);
}

TEST_F(SonarScreens, TheAmplitudeTraceIsScaledToItsFullScaleAndSkipsZeroSamples)
{
    std::vector<U8> values(600, 0);
    gt::TestBitmap zero(800, 600, PAGE);
    vDrawAScopeRTS(zero, values.data(), 600, 100);
    for (int y = 0; y < 600; y += 7)
        for (int x = 600; x < 700; x += 5)
            EXPECT_EQ(zero.at(x, y), WHITE) << "no trace line in an all-zero strip";

    values[0] = 255; // the top row
    values[599] = 128;
    const BOOLEAN saved = s_bSelectTvgView;
    for (BOOLEAN tvg : {FALSE, TRUE}) {
        s_bSelectTvgView = tvg;
        gt::TestBitmap page(800, 600, PAGE);
        vDrawAScopeRTS(page, values.data(), 600, 100);
        const int end = tvg ? 600 + 141 : 600 + 99;
        EXPECT_EQ(page.at(end, 599), BLACK) << (int)tvg;
        EXPECT_NE(page.at(end + 1, 599), BLACK) << (int)tvg;
        EXPECT_EQ(page.at(600 + (tvg ? 71 : 50), 0), BLACK);
    }
    s_bSelectTvgView = saved;
}

// ---- The frame ----

TEST_F(SonarScreens, AnExpeditedFrameLeavesTheRebuildToTheNextOrdinaryOne)
{
    // Stored columns of beam 1 that the rebuild turns into the history.
    for (U32 c = 0; c < TSU_STORE_COLUMNS; ++c) {
        TSU_STORE_COLUMN& col = TSUStore[1].aTsuStore[c];
        col.u8SampleFactor = 2;
        col.u32SamplesInStore = 2000;
        memset(col.au8Data, 200, 2000);
    }
    SonarViewInfo.Window[0].u32HistoryHeight = 600;
    SonarViewInfo.Window[0].bTriggerTotalScreenUpdate = TRUE;
    WINDOW_SPECIFICATION spec = full();
    spec.bExpedited = TRUE;
    gt::TestBitmap before(800, 600, PAGE);
    T_N_HISTORY_vDrawFullScreenSonar(before, &spec);
    EXPECT_EQ(before.at(400, 300), HISTORY) << "the old image";
    EXPECT_TRUE(SonarViewInfo.Window[0].bTriggerTotalScreenUpdate) << "the request stays";

    spec.bExpedited = FALSE;
    gt::TestBitmap after(800, 600, PAGE);
    T_N_HISTORY_vDrawFullScreenSonar(after, &spec);
    EXPECT_NE(after.at(400, 300), HISTORY) << "the rebuilt image";
    EXPECT_FALSE(SonarViewInfo.Window[0].bTriggerTotalScreenUpdate);
    for (TSU_STORE_COLUMN& col : TSUStore[1].aTsuStore)
        S_TSU_vResetColumn(&col);
}

TEST_F(SonarScreens, ASplitPaneTakesTheCursorOnlyWhenItIsTheActiveOne)
{
    CurrentView = VIEW_CHART_PLUS_2D;
    const struct {
        S32 left, right;
        SPLIT_WINDOW_TYPE active;
        bool takes;
    } cases[] = {
        {0, 399, SPLIT_LEFT_WINDOW, true},
        {0, 399, SPLIT_RIGHT_WINDOW, false},
        {400, 799, SPLIT_RIGHT_WINDOW, true},
        {400, 799, SPLIT_LEFT_WINDOW, false},
    };
    for (const auto& c : cases) {
        CursorWindow = {-1, -1, -1, -1};
        WINDOW_SPECIFICATION spec = full(VIEW_CHART_PLUS_2D);
        spec.drawWindowType = c.left == 0 ? SPLIT_LEFT_WINDOW : SPLIT_RIGHT_WINDOW;
        spec.activeWindow = c.active;
        spec.drawWindow = {c.left, 599, c.right, 0};
        gt::TestBitmap page(800, 600, PAGE);
        T_N_HISTORY_vDrawSonarSplit(page, &spec);
        EXPECT_EQ(CursorWindow.s32ClipLeft == c.left && CursorWindow.s32ClipRight == c.right, c.takes)
            << c.left << " " << (int)c.active;
        // The pane's image, and nothing outside it.
        EXPECT_EQ(page.at(c.left, 300), HISTORY);
        EXPECT_EQ(page.at(c.right, 300), HISTORY);
        EXPECT_EQ(page.at(c.left == 0 ? 400 : 399, 300), PAGE);
    }
}

TEST_F(SonarScreens, DualBeamLabelsTheLowFrequencyItHas)
{
    CurrentView = VIEW_DUAL_BEAM;
    s_colorFrequencyIndicator = 0xF81F;
    const U32 supported = S_TRANSDUCER_u32GetBeamsSupportedByModel();
    // Transducers whose 2D beams have 83 kHz, or only 50 kHz.
    U32 with83 = 0, with50Only = 0;
    for (U32 id = 1; id <= 18; ++id) {
        const U32 beams = S_TRANSDUCER_u32GetBeamsForTransducerAndSource((U8)id, 0) & supported;
        if ((beams & 0x2) && !with83)
            with83 = id;
        if ((beams & 0x4) && !(beams & 0x2) && !with50Only)
            with50Only = id;
    }
    ASSERT_NE(with83, 0u);
    auto label = [](U32 transducer) {
        H_DATABASE_bUpdateEverythingU32(FCID("YST1"), transducer, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        gt::TestBitmap page(800, 600, PAGE);
        WINDOW_SPECIFICATION spec = full(VIEW_DUAL_BEAM);
        T_N_HISTORY_vDrawDualBeamView(page, &spec);
        // The label's pixels in the left pane's bottom corner.
        std::vector<COLOR> row;
        for (int y = 1; y < 16; ++y)
            for (int x = 1; x < 80; ++x)
                row.push_back(page.at(x, y) == 0xF81F ? 1 : 0);
        return row;
    };
    auto drawn = [](const TEXT_TABLE& text) {
        gt::TestBitmap page(800, 600, PAGE);
        POINT pt{1, 1};
        G_STRING_vPut(page, 0xF81F, &pt, std_11x14_font_def_ptr.load(),
                      reinterpret_cast<const BYTE*>(text[nCurrentLanguage()]));
        std::vector<COLOR> row;
        for (int y = 1; y < 16; ++y)
            for (int x = 1; x < 80; ++x)
                row.push_back(page.at(x, y) == 0xF81F ? 1 : 0);
        return row;
    };
    EXPECT_EQ(label(with83), drawn(txt83kHz));
    if (with50Only != 0) {
        EXPECT_EQ(label(with50Only), drawn(txt50kHz));
    }
    // The choice by the beams: with both low frequencies 83 kHz wins.
    const struct {
        U32 beams;
        const TEXT_TABLE* label;
    } choices[] = {{0x1 | 0x2 | 0x4, &txt83kHz}, {0x2 | 0x4, &txt83kHz}, {0x1 | 0x4, &txt50kHz},
                   {0x1, &txt455kHz},            {0, &txt455kHz}};
    for (const auto& c : choices)
        EXPECT_EQ(T_N_HISTORY_pDualBeamLowLabel(c.beams), c.label) << c.beams;
    // The right pane's label and the panes either side of the gap.
    gt::TestBitmap page(800, 600, PAGE);
    WINDOW_SPECIFICATION spec = full(VIEW_DUAL_BEAM);
    T_N_HISTORY_vDrawDualBeamView(page, &spec);
    EXPECT_EQ(page.at(397, 300), HISTORY);
    EXPECT_EQ(page.at(401, 300), HISTORY);
    EXPECT_EQ(page.at(399, 300), PAGE);
}

} // namespace

namespace {

// ---- Side-and-down view ----

class SideAndDown : public SonarScreens {
protected:
    void SetUp() override
    {
        SonarScreens::SetUp();
        CurrentView = VIEW_SIDEVIEW_AND_DOWN;
        for (U32 i = 0; i < 3; ++i) {
            SONAR_WINDOW& w = SonarViewInfo.Window[i];
            w.Beam = i == 0 ? 1 : (BEAM)(i + 1);
            w.bVerticalScroll = FALSE;
            G_BMP_vSet(w.ScreenHistory.pBmp, (COLOR)(0x1000 * (i + 1)));
        }
    }
    void TearDown() override
    {
        SonarViewInfo.eQuadLayout = QUAD_LAYOUT_HORIZONTAL;
        SonarScreens::TearDown();
    }
    static gt::TestBitmap* draw(QUAD_LAYOUT layout)
    {
        SonarViewInfo.eQuadLayout = layout;
        auto* page = new gt::TestBitmap(800, 600, PAGE);
        WINDOW_SPECIFICATION spec = full(VIEW_SIDEVIEW_AND_DOWN);
        T_N_HISTORY_vDrawDownAndSidebeamView(*page, &spec);
        return page;
    }
};

TEST_F(SideAndDown, TheHorizontalLayoutPutsTheSidesBelowAndTheDividersBetween)
{
    std::unique_ptr<gt::TestBitmap> page(draw(QUAD_LAYOUT_HORIZONTAL));
    EXPECT_EQ(page->at(100, 150), 0x2000) << "left side";
    EXPECT_EQ(page->at(700, 150), 0x3000) << "right side";
    EXPECT_EQ(page->at(100, 297), 0x2000) << "the sides' top row";
    EXPECT_EQ(page->at(100, 450), 0x1000) << "the down beam above";
    const COLOR divider[3] = {WHITE, BLACK, WHITE}; // y 298, 299, 300
    for (int y = 298; y <= 300; ++y)
        EXPECT_EQ(page->at(100, y), divider[y - 298]) << y;
    EXPECT_EQ(page->at(398, 150), WHITE);
    EXPECT_EQ(page->at(399, 150), BLACK);
    EXPECT_EQ(page->at(400, 150), BLACK);
    EXPECT_EQ(page->at(401, 150), WHITE);
}

TEST_F(SideAndDown, TheVerticalLayoutUnderTheInfoStripRebuildsTheSidesAtTheirHeight)
{
    // Info boxes shown: Y = 105, half = (600 - 105) / 2 = 247, the side
    // waterfalls from row 105 up to 349 and a side history of 245 columns.
    history_test::strip(VIEW_SIDEVIEW_AND_DOWN, true);
    BackGroundColor = 0x0841;
    for (U32 c = 0; c < TSU_STORE_COLUMNS; ++c) {
        TSU_STORE_COLUMN& col = TSUStore[2].aTsuStore[c];
        col.u8SampleFactor = 2;
        col.u32SamplesInStore = 2000;
        memset(col.au8Data, 200, 2000);
    }
    TSUStore[2].u32NextFreeColumn = 300;
    SONAR_WINDOW& left = SonarViewInfo.Window[1];
    left.bVerticalScroll = TRUE;
    left.u32HistoryHeight = 398;
    left.ScreenHistory.u16NextFreeColumn = 500;
    left.bTriggerTotalScreenUpdate = TRUE;
    std::unique_ptr<gt::TestBitmap> page(draw(QUAD_LAYOUT_VERTICAL));

    const BITMAP* history = left.ScreenHistory.pBmp;
    const auto column = [&](int x) { return *G_PIXEL_pcolPhysical(history, (PIXEL)x, 10); };
    EXPECT_NE(column(499), 0x2000) << "the newest column rebuilt";
    EXPECT_NE(column(500 - 245), 0x2000) << "the 245th-newest rebuilt";
    EXPECT_EQ(column(500 - 246), 0x2000) << "and no more";
    EXPECT_FALSE(left.bTriggerTotalScreenUpdate);

    EXPECT_EQ(page->at(100, 104), 0x0841) << "the info strip's rows";
    EXPECT_EQ(page->at(700, 200), 0x3000) << "the right waterfall";
    EXPECT_NE(page->at(300, 105), PAGE) << "the sides' bottom row";
    EXPECT_NE(page->at(300, 349), PAGE) << "the sides' top row";
    const COLOR divider[3] = {WHITE, BLACK, WHITE}; // y 350, 351, 352
    for (int y = 350; y <= 352; ++y)
        EXPECT_EQ(page->at(300, y), divider[y - 350]) << y;
    EXPECT_EQ(page->at(100, 450), 0x1000) << "the down beam above";

    history_test::strip(VIEW_SIDEVIEW_AND_DOWN, false);
    for (TSU_STORE_COLUMN& col : TSUStore[2].aTsuStore)
        S_TSU_vResetColumn(&col);
    TSUStore[2].u32NextFreeColumn = 0;
}

TEST_F(SideAndDown, FlatPanesShareOneScaleOnlyWhenTheirRangesAgree)
{
    s_bSonarDoNotDisplayScale = FALSE;
    const auto labelsAt = [](const gt::TestBitmap& page, int x) {
        size_t dark = 0;
        for (int y = 570; y < 600; ++y)
            for (int dx = -16; dx < -2; ++dx)
                dark += page.at(x + dx, y) == BLACK;
        return dark;
    };
    std::unique_ptr<gt::TestBitmap> same(draw(QUAD_LAYOUT_3_PANE_FLAT));
    EXPECT_GT(labelsAt(*same, 799), 0u) << "the right pane's scale";
    EXPECT_EQ(labelsAt(*same, 266), 0u);
    EXPECT_EQ(same->at(534, 300), BLACK) << "the divider between down and right";

    SonarViewInfo.Window[2].u32LowerDigits = 40;
    std::unique_ptr<gt::TestBitmap> differ(draw(QUAD_LAYOUT_3_PANE_FLAT));
    EXPECT_GT(labelsAt(*differ, 266), 0u);
    EXPECT_GT(labelsAt(*differ, 535), 0u);
    EXPECT_GT(labelsAt(*differ, 799), 0u);
}

TEST_F(SideAndDown, TheSlantedLayoutDrawsTheNewestColumnAtTheFrontCorner)
{
    // The down window's newest column (history column 9, since 10 is next)
    // gets a mark in its shallowest row, the 263rd-newest another.
    SONAR_WINDOW& down = SonarViewInfo.Window[0];
    down.ScreenHistory.u16NextFreeColumn = 10;
    *G_PIXEL_pcolPhysical(down.ScreenHistory.pBmp, 9, 0) = 0x07E0;
    *G_PIXEL_pcolPhysical(down.ScreenHistory.pBmp, (PIXEL)((10 - 263 + 800) % 800), 0) = 0x001F;
    std::unique_ptr<gt::TestBitmap> page(draw(QUAD_LAYOUT_3_PANE_SLANTED));
    EXPECT_EQ(page->at(533 - 1, 597), 0x07E0);
    EXPECT_EQ(page->at(533 - 1 - 262, 597 - 262), 0x001F);
    EXPECT_EQ(page->at(799 - 1, 497), 0x3000) << "the right pane, below its scale";
    EXPECT_EQ(page->at(267 - 1, 497), 0x2000) << "the left pane";
}

} // namespace

namespace {

// ---- 2D zoom view ----

class Zoom : public SonarScreens {
protected:
    void SetUp() override
    {
        SonarScreens::SetUp();
        CurrentView = VIEW_SONAR_ZOOM;
        s_u32UnZoomedWidth = 400;
        SonarViewInfo.bBottomLockZoom = FALSE;
        SonarViewInfo.u32ZoomLevel = 3;
        SONAR_WINDOW& zoom = SonarViewInfo.Window[1];
        zoom.Beam = 1;
        G_BMP_vSet(zoom.ScreenHistory.pBmp, 0x5555);
        // Window 0 shows 0-80, the magnified pane 40-50: an eighth.
        SonarViewInfo.Window[0].u32LowerDigits = 80;
        zoom.u32UpperDigits = 40;
        zoom.u32LowerDigits = 50;
        zoom.u32UpperSample = 2000;
        zoom.u32LowerSample = 2500;
    }
    void TearDown() override
    {
        SonarViewInfo.bBottomLockZoom = FALSE;
        s_bReverseScroll = FALSE;
        SonarScreens::TearDown();
    }
    static std::unique_ptr<gt::TestBitmap> draw()
    {
        auto page = std::make_unique<gt::TestBitmap>(800, 600, PAGE);
        WINDOW_SPECIFICATION spec = full(VIEW_SONAR_ZOOM);
        T_N_HISTORY_vDrawZoomSonar(*page, &spec);
        return page;
    }
};

TEST_F(Zoom, TheUnzoomedPaneTakesTheRightAndTheFrameAnEighthOfItsHeight)
{
    std::unique_ptr<gt::TestBitmap> page = draw();
    EXPECT_EQ(page->at(400, 200), HISTORY) << "un-zoomed pane from x 400";
    EXPECT_EQ(page->at(396, 200), 0x5555) << "magnified pane up to x 396";
    EXPECT_EQ(page->at(398, 200), BLACK) << "the zoom scale's divider at 397-399";
    EXPECT_EQ(page->at(399, 200), WHITE);
    // The range frame's outer ring from x 399 over the un-zoomed pane: rows
    // (80 - 50) * 600 / 80 = 225 up to 225 + 10 * 600 / 80 - 1 = 299.
    EXPECT_EQ(page->at(600, 225), WHITE);
    EXPECT_EQ(page->at(600, 299), WHITE);
    EXPECT_EQ(page->at(600, 224), HISTORY);
    EXPECT_EQ(page->at(600, 300), HISTORY);
}

TEST_F(Zoom, BottomLockMarkersAreDroppedAtTheImageEdgesAndReverseScrollReadsTheOldestEnd)
{
    SonarViewInfo.bBottomLockZoom = TRUE;
    SONAR_WINDOW& zoom = SonarViewInfo.Window[1];
    zoom.u32UpperSample = 1000; // the span above the bottom
    zoom.u32LowerSample = 200;  // a fifth below it
    FULL_SCREEN_TSU& store = TSUStore[1];
    s_sBeamInfo[1].pTSUStore = &store;
    store.u32NextFreeColumn = 10;
    // Newest column (9): the bottom near the range's lower edge, the lower
    // marker falls below the image. Oldest end (11): a bottom in the middle.
    store.aTsuStore[9].u32SmoothedDepthInSamples = 3950;
    store.aTsuStore[11].u32SmoothedDepthInSamples = 2000;
    const auto markerAt = [](const gt::TestBitmap& page, int y) { return page.at(790, y) == BLACK; };

    std::unique_ptr<gt::TestBitmap> page = draw();
    // Bottom row 600 * (4000 - 3950 - 200) / 4000 < 0: no lower marker, the
    // bar from row 0; the upper marker at 600 * 50 / 4000 + 150 = 157.
    EXPECT_TRUE(markerAt(*page, 157 + 1));
    EXPECT_FALSE(markerAt(*page, 0));
    EXPECT_EQ(page->at(797, 40), BLACK) << "the bar runs from row 0";

    s_bReverseScroll = TRUE;
    page = draw();
    // The oldest end: bottom at row 300, lower marker at 270, upper at 450.
    EXPECT_TRUE(markerAt(*page, 270 - 2));
    EXPECT_TRUE(markerAt(*page, 450 + 1));
    EXPECT_FALSE(markerAt(*page, 158));
    store.aTsuStore[9].u32SmoothedDepthInSamples = 0;
    store.aTsuStore[11].u32SmoothedDepthInSamples = 0;
}

TEST_F(Zoom, BothTwoDBeamsDrawTheFishOfEachAndLockOnBeamOnesBottom)
{
    // A fish in the newest column of beam 0 (near the top of the magnified
    // span) and of beam 1 (near its bottom).
    S_FISHID_vSetReverseScroll(FALSE);
    G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
    for (U32 i = 0; i < COLOR_SECTION_ICON_COUNT; ++i)
        gCOLOR_pcolColorTable[COLOR_SECTION_ICON + i] = (COLOR)(0x8000 + 0x0841 * i);
    for (BEAM b : {(BEAM)0, (BEAM)1}) {
        FISH_TARGET_HISTORY& history = s_sBeamInfo[b].FishHistory;
        S_FISHID_vInitialiseHistory(&history);
        FISH_TARGET_LIST& newest = history.Items[history.u16IndexToMostRecentTargets];
        FISH_TARGET f{};
        f.u32DepthInSamples = b == 0 ? 2100 : 2400;
        f.beam = b;
        f.u8Size = 2;
        newest.target[newest.u8NumberOfTargets++] = f;
    }
    // Rows of the two fish: 600 - 100 * 600 / 500 = 480 and 120.
    const auto fishNear = [](const gt::TestBitmap& fish, const gt::TestBitmap& none, int row) {
        size_t differ = 0;
        for (int y = row - 25; y < row + 25; ++y)
            for (int x = 340; x <= 396; ++x)
                differ += fish.at(x, y) != none.at(x, y);
        return differ > 20;
    };
    const struct {
        BEAM beam;
        bool beam0, beam1;
    } cases[] = {{4, true, true}, {1, false, true}, {0, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE((int)c.beam);
        SonarViewInfo.Window[0].Beam = c.beam;
        SonarViewInfo.Window[1].Beam = c.beam;
        SonarViewInfo.bFishID = FALSE;
        std::unique_ptr<gt::TestBitmap> none = draw();
        SonarViewInfo.bFishID = TRUE;
        std::unique_ptr<gt::TestBitmap> fish = draw();
        EXPECT_EQ(fishNear(*fish, *none, 480), c.beam0);
        EXPECT_EQ(fishNear(*fish, *none, 120), c.beam1);
    }
    SonarViewInfo.bFishID = FALSE;

    // Bottom lock on both beams reads beam 1's store: its bottom in the
    // middle puts the upper marker at row 450; beam 0's bottom would put
    // it at 157.
    SonarViewInfo.bBottomLockZoom = TRUE;
    SONAR_WINDOW& zoom = SonarViewInfo.Window[1];
    zoom.u32UpperSample = 1000;
    zoom.u32LowerSample = 200;
    SonarViewInfo.Window[0].Beam = 4;
    zoom.Beam = 4;
    s_sBeamInfo[0].pTSUStore = &TSUStore[0];
    s_sBeamInfo[1].pTSUStore = &TSUStore[1];
    TSUStore[0].u32NextFreeColumn = 10;
    TSUStore[1].u32NextFreeColumn = 10;
    TSUStore[0].aTsuStore[9].u32SmoothedDepthInSamples = 3950;
    TSUStore[1].aTsuStore[9].u32SmoothedDepthInSamples = 2000;
    std::unique_ptr<gt::TestBitmap> page = draw();
    EXPECT_EQ(page->at(790, 451), BLACK);
    EXPECT_NE(page->at(790, 158), BLACK);
    TSUStore[0].aTsuStore[9].u32SmoothedDepthInSamples = 0;
    TSUStore[1].aTsuStore[9].u32SmoothedDepthInSamples = 0;
    for (BEAM b : {(BEAM)0, (BEAM)1})
        S_FISHID_vInitialiseHistory(&s_sBeamInfo[b].FishHistory);
}

TEST_F(Zoom, AnEmptyRangeDrawsOnlyTheBottomBlock)
{
    SonarViewInfo.Window[0].u32LowerDigits = SonarViewInfo.Window[0].u32UpperDigits;
    std::unique_ptr<gt::TestBitmap> page = draw();
    EXPECT_EQ(page->at(600, 300), PAGE);
    EXPECT_EQ(page->at(100, 50), WHITE);
}

} // namespace
