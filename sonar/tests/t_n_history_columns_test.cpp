// The sonar pictures: columns added after pings (new, repeated, blank, the
// cursor's stand-still, bottom black, the frame request), the ring copy into
// the frame, the depth-line labels, and the total redraw from the column
// stores (start columns, bottom black held, empty columns, the blended
// window without beam 0's noisy columns).
#include "sonar/tests/process_world.h"

#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/g_buffers.h"
#include "graphics/g_icon.h"
#include "graphics/g_pixel.h"
#include "graphics/g_png.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "testing/t_proc.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "ui/t_view.h"
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_state.h"
#include "ui/t_view_state.h"
#include "ui/u_view.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <chrono>
#include <thread>
#include <vector>

using namespace t_n_history;

namespace {

constexpr COLOR BACKGROUND = 0x1234;
constexpr U32 HEIGHT = 100;

COLOR pixel(const BITMAP* p, U32 x, U32 row) { return *G_PIXEL_pcolPhysical(p, (PIXEL)x, (PIXEL)row); }

std::vector<COLOR> column(const BITMAP* p, U32 x, U32 rows)
{
    std::vector<COLOR> c;
    for (U32 r = 0; r < rows; ++r)
        c.push_back(pixel(p, x, r));
    return c;
}

class Pictures : public ::testing::Test {
  protected:
    void SetUp() override
    {
        process_test::world();
        static const bool ready = [] {
            gCOLOR_pcolColorTable[0] = BACKGROUND;
            vCreateWindowsAndStores();
            return true;
        }();
        (void)ready;
        process_test::apply("YSNF", 0);
        T_N_PROCESS_vClearAllAccumulators();
        s_bCursorActive = FALSE;
        s_bReverseScroll = FALSE;
        s_bEndFill = FALSE;
        s_bWaitEndFillDone = FALSE;
        s_u32SystemState = 0;
        BackGroundColor = BACKGROUND;
        SonarViewInfo.BottomView = POST_PROCESS_NONE;
        // A table where every level has its own colour and bottom black is
        // a colour of its own.
        for (U32 v = 0; v < GRAYSCALE_LEVELS; ++v)
            StandardBeamGrayScaleTable.acColor[v] = v == 0 ? BACKGROUND : (COLOR)(0x4000 + v);
        StandardBeamGrayScaleTable.ePostProcessMode = POST_PROCESS_NONE;
        gCOLOR_pcolColorTable[GRAYSCALE_ENTRY_BOTTOM_BLACK] = 0x0020;
        for (BEAM b = 0; b < SONAR_BEAMS; ++b) {
            s_sBeamInfo[b].pMain = nullptr;
            s_sBeamInfo[b].pZoom = nullptr;
            s_sBeamInfo[b].bPinging = TRUE;
            s_sBeamInfo[b].s8Gain = 0;
        }
        for (FULL_SCREEN_TSU& store : TSUStore) {
            store.u32NextFreeColumn = 0;
            store.u32ColumnsInUse = 0;
            for (TSU_STORE_COLUMN& c : store.aTsuStore)
                S_TSU_vResetColumn(&c);
        }
        // Window 0 shows beam 1 over 100 rows of the first 4000 samples.
        for (U32 i = 0; i < SONAR_WINDOWS; ++i) {
            SONAR_WINDOW& w = SonarViewInfo.Window[i];
            w.Beam = SONAR_NO_BEAM;
            w.bManualDepthRange = TRUE; // no automatic range between columns
            BITMAP* p = w.ScreenHistory.pBmp;
            p->pixels_wide = 800;
            G_BMP_vSet(p, BACKGROUND);
            w.ScreenHistory.u16NextFreeColumn = 0;
        }
        window().Beam = 1;
        window().u32HistoryHeight = HEIGHT;
        window().u32UpperSample = 0;
        window().u32LowerSample = 4000;
        window().fUpperDisplayedMetres = 0.0f;
        window().fLowerDisplayedMetres = 20.0f;
        s_sBeamInfo[1].pMain = &window();
        consumeAll();
    }
    static SONAR_WINDOW& window(U32 i = 0) { return SonarViewInfo.Window[i]; }
    static const BITMAP* bmp(U32 i = 0) { return window(i).ScreenHistory.pBmp; }
    static void consumeAll()
    {
        std::vector<U8> slot(2048), out(800);
        for (BEAM b = 0; b < 4; ++b) {
            TSU_STORE_COLUMN c{};
            c.au8Data = slot.data();
            c.u32TSUDataLength = 2048;
            FISH_TARGET_LIST fish{};
            BOOLEAN noise = FALSE;
            T_N_PROCESS_eGetDataForDisplay(b, &c, out.data(), 0, 0, nullptr, 0, 0, nullptr, 0, 0, &fish, 800, 0, 0,
                                           FALSE, &noise);
        }
    }
};

// ---- Column adder ----

TEST_F(Pictures, APingWorthThreeColumnsDrawsOneNewAndTwoRepeats)
{
    process_test::vProcessPing(process_test::ping(1, 4000));
    T_N_HISTORY_vAddColumns(3, 1, 0);
    EXPECT_EQ(window().ScreenHistory.u16NextFreeColumn, 3);
    const std::vector<COLOR> first = column(bmp(), 0, 600);
    EXPECT_NE(first, std::vector<COLOR>(600, BACKGROUND));
    EXPECT_EQ(column(bmp(), 1, 600), first);
    EXPECT_EQ(column(bmp(), 2, 600), first);
    // Below the window's height the column is background.
    for (U32 r = HEIGHT; r < 600; ++r)
        ASSERT_EQ(first[r], BACKGROUND) << r;
    // The store keeps the new column and its two copies.
    EXPECT_EQ(TSUStore[1].u32NextFreeColumn, 3u);
    EXPECT_EQ(TSUStore[1].u32ColumnsInUse, 3u);
    for (U32 c = 0; c < 3; ++c)
        EXPECT_GT(TSUStore[1].aTsuStore[c].u32SamplesInStore, 0u) << c;
}

TEST_F(Pictures, AnUnpingedBeamRepeatsItsLastColumnWhileItsStoreStaysBlank)
{
    window().Beam = 0;
    s_sBeamInfo[1].pMain = nullptr;
    s_sBeamInfo[0].pMain = &window();
    T_N_HISTORY_vAddColumns(2, 0, 0);
    EXPECT_EQ(window().ScreenHistory.u16NextFreeColumn, 2);
    EXPECT_EQ(column(bmp(), 0, 600), column(bmp(), 799, 600)); // duplicates of the column before
    for (U32 c = 0; c < 2; ++c) {
        EXPECT_EQ(TSUStore[0].aTsuStore[c].u32SamplesInStore, 0u);
        EXPECT_FALSE(TSUStore[0].aTsuStore[c].Location.bPositionValid);
    }
}

TEST_F(Pictures, WithTheCursorActiveNothingIsDrawnAndTheAccumulatorsAreEmptied)
{
    process_test::vProcessPing(process_test::ping(1, 4000));
    s_bCursorActive = TRUE;
    T_N_HISTORY_vAddColumns(1, 1, 0);
    EXPECT_EQ(window().ScreenHistory.u16NextFreeColumn, 0);
    EXPECT_EQ(TSUStore[1].u32NextFreeColumn, 0u);
    s_bCursorActive = FALSE;
    T_N_HISTORY_vAddColumns(1, 1, 0);
    // The ping was thrown away: the store column is blank.
    EXPECT_EQ(TSUStore[1].aTsuStore[0].u32SamplesInStore, 0u);
}

TEST_F(Pictures, BottomBlackStartsAtTheRowOfTheDepth)
{
    struct Case {
        float depth;
        U32 row;
    } cases[] = {{0.0f, 0}, {5.0f, 25}, {10.0f, 50}, {20.0f, 100}, {20.5f, 100}, {-1.0f, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(u32DepthToPixel(c.depth, 0.0f, 20.0f, HEIGHT), c.row) << c.depth;
}

TEST_F(Pictures, TheBlendedWindowTakesBothBeamsAndOpensAFreshColumnForBeamOne)
{
    window(1).Beam = 4;
    window(1).u32HistoryHeight = HEIGHT;
    window(1).u32UpperSample = 0;
    window(1).u32LowerSample = 4000;
    s_sBeamInfo[4].pMain = &window(1);
    process_test::vProcessPing(process_test::ping(1, 4000));
    T_N_HISTORY_vAddColumns(1, 1, 0);
    // The target advanced once, and its column carries beam 1's echoes.
    EXPECT_EQ(window(1).ScreenHistory.u16NextFreeColumn, 1);
    EXPECT_NE(column(bmp(1), 0, HEIGHT), std::vector<COLOR>(HEIGHT, BACKGROUND));
    s_sBeamInfo[4].pMain = nullptr;
}

TEST_F(Pictures, OnlySonarViewsGetAFrameRequest)
{
    struct Case {
        LAYER_ID view;
        bool frame;
    } cases[] = {{49, true}, {35, true}, {56, false}, {59, false}, {1, false}};
    for (const Case& c : cases) {
        const LAYER_ID saved = U_VIEW_eCurrentView();
        H_DATABASE_bUpdateEverythingS32(FCID("CVEW"), c.view, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        while (L_SEMA_WaitTicks(SEMA_VIEW_UPDATE, 0) == 0) {
        }
        T_N_HISTORY_vAddColumns(0, 1, 0);
        EXPECT_EQ(L_SEMA_WaitTicks(SEMA_VIEW_UPDATE, 0) == 0, c.frame) << c.view;
        H_DATABASE_bUpdateEverythingS32(FCID("CVEW"), saved, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    }
}

// ---- Ring copy and labels ----

TEST_F(Pictures, TheRingCopyEndsWithTheNewestColumnAtTheOffset)
{
    static U32 pixels[800 * 600 / 2];
    static BITMAP frameHeader;
    BITMAP* frame = G_BUFFERS_pCreateBitmap(800, 600, &frameHeader, pixels);
    BITMAP* h = window().ScreenHistory.pBmp;
    for (U32 x = 0; x < 800; ++x)
        *G_PIXEL_pcolPhysical(h, (PIXEL)x, 0) = (COLOR)(x + 1);
    struct Case {
        U16 next;
        U32 width;
        U32 offset;
    } cases[] = {{0, 800, 799}, {0, 100, 99}, {5, 800, 799}, {300, 200, 599}};
    for (const Case& c : cases) {
        G_BMP_vSet(frame, 0);
        window().ScreenHistory.u16NextFreeColumn = c.next;
        vCopyHistoryToBitmap(frame, &window().ScreenHistory, c.width, c.offset);
        const U32 newest = c.next == 0 ? 799 : c.next - 1u;
        for (U32 i = 0; i < c.width; ++i) {
            const U32 src = (newest + 800 - i) % 800;
            ASSERT_EQ(pixel(frame, c.offset - i, 0), (COLOR)(src + 1)) << c.next << " " << i;
        }
        if (c.offset + 1 < 800) {
            EXPECT_EQ(pixel(frame, c.offset + 1, 0), 0);
        }
    }
}

TEST_F(Pictures, DepthLineLabelsRoundToTenthsOrWholeUnits)
{
    struct Case {
        U32 height;
        std::vector<std::string> labels; // lines 3, 2, 1
    } cases[] = {{495, {"22.5", "15", "7.5"}}, {40, {"23", "15", "8"}}};
    for (const Case& c : cases) {
        std::vector<std::string> got;
        for (U32 k = 3; k >= 1; --k) {
            char label[16];
            vDepthLabel(u32DepthLineTenths(k, 3, 0, 30, c.height), label, sizeof label);
            got.push_back(label);
        }
        EXPECT_EQ(got, c.labels) << c.height;
    }
    char label[16];
    vDepthLabel(5, label, sizeof label);
    EXPECT_STREQ(label, "0.5");
}

// ---- Total redraw ----

class TotalRedraw : public Pictures {
  protected:
    void SetUp() override
    {
        Pictures::SetUp();
        // Stored columns of beam 1: sample value = 100 + column % 100, one
        // sample per stored sample, 4000 samples.
        for (U32 c = 0; c < TSU_STORE_COLUMNS; ++c)
            fill(1, c, (U8)(100 + c % 100), 0.0f);
    }
    static void fill(BEAM b, U32 c, U8 value, float depth, BOOLEAN noisy = FALSE)
    {
        TSU_STORE_COLUMN& col = TSUStore[b].aTsuStore[c];
        col.u8SampleFactor = 2;
        col.u32SamplesInStore = 2000;
        memset(col.au8Data, value, 2000);
        col.fDepthMetres = depth;
        col.bNoiseTooHighForBlend = noisy;
    }
    static void empty(BEAM b, U32 c)
    {
        TSU_STORE_COLUMN& col = TSUStore[b].aTsuStore[c];
        col.u8SampleFactor = 1;
        col.u32SamplesInStore = 0;
        col.fDepthMetres = 0.0f;
    }
    static std::vector<COLOR> colours(U8 value, U32 black = HEIGHT)
    {
        U8 in[HEIGHT];
        COLOR out[HEIGHT];
        memset(in, value, sizeof in);
        S_GRAYSCALE_vCategorize(in, out, HEIGHT, &StandardBeamGrayScaleTable, black, 0);
        return std::vector<COLOR>(out, out + HEIGHT);
    }
};

TEST_F(TotalRedraw, WidthZeroDrawsNothing)
{
    vTotalScreenUpdate(&window(), HEIGHT, 0, POST_PROCESS_NONE, FALSE);
    for (U32 x = 0; x < 800; x += 37)
        EXPECT_EQ(column(bmp(), x, 600), std::vector<COLOR>(600, BACKGROUND));
}

TEST_F(TotalRedraw, TheFirstStoreColumnReadWrapsRoundTheStore)
{
    TSUStore[1].u32NextFreeColumn = 5;
    window().ScreenHistory.u16NextFreeColumn = 400;
    vTotalScreenUpdate(&window(), HEIGHT, 400, POST_PROCESS_NONE, FALSE);
    // History column 0 is the oldest rebuilt, from store column 425.
    EXPECT_EQ(column(bmp(), 0, HEIGHT), colours(100 + 425 % 100));
    EXPECT_EQ(column(bmp(), 399, HEIGHT), colours(100 + 4));
    EXPECT_EQ(column(bmp(), 400, HEIGHT), std::vector<COLOR>(HEIGHT, BACKGROUND)); // not rebuilt
}

TEST_F(TotalRedraw, ReverseScrollRedrawsTheWholeRing)
{
    s_bReverseScroll = TRUE;
    vTotalScreenUpdate(&window(), HEIGHT, 1, POST_PROCESS_NONE, FALSE);
    s_bReverseScroll = FALSE;
    for (U32 x = 0; x < 800; x += 53)
        EXPECT_NE(column(bmp(), x, HEIGHT), std::vector<COLOR>(HEIGHT, BACKGROUND)) << x;
}

TEST_F(TotalRedraw, BottomBlackHoldsForFiveColumnsWithoutADepth)
{
    window().ScreenHistory.u16NextFreeColumn = 10;
    TSUStore[1].u32NextFreeColumn = 10;
    fill(1, 0, 150, 10.0f); // 10 m of a 0-20 m window: half the height
    for (U32 c = 1; c < 10; ++c)
        fill(1, c, 150, 0.0f);
    StandardBeamGrayScaleTable.ePostProcessMode = POST_PROCESS_BOTTOM_BLACK;
    vTotalScreenUpdate(&window(), HEIGHT, 10, POST_PROCESS_BOTTOM_BLACK, FALSE);
    const std::vector<COLOR> black = colours(150, 50);
    ASSERT_NE(black, colours(150));
    for (U32 x = 0; x < 6; ++x)
        EXPECT_EQ(column(bmp(), x, HEIGHT), black) << x;
    for (U32 x = 6; x < 10; ++x)
        EXPECT_EQ(column(bmp(), x, HEIGHT), colours(150)) << x;
}

TEST_F(TotalRedraw, EmptyStoreColumnsKeepASingleBeamWindowAndClearABlendedOne)
{
    window().ScreenHistory.u16NextFreeColumn = 4;
    TSUStore[1].u32NextFreeColumn = 4;
    for (U32 c = 0; c < 4; ++c)
        empty(1, c);
    BITMAP* h = window().ScreenHistory.pBmp;
    *G_PIXEL_pcolPhysical(h, 2, 0) = 0x0BAD;
    vTotalScreenUpdate(&window(), HEIGHT, 4, POST_PROCESS_NONE, FALSE);
    EXPECT_EQ(pixel(h, 2, 0), 0x0BAD);

    SONAR_WINDOW blended = window(1);
    blended.Beam = 4;
    blended.u32HistoryHeight = HEIGHT;
    blended.u32UpperSample = 0;
    blended.u32LowerSample = 4000;
    blended.ScreenHistory.u16NextFreeColumn = 4;
    TSUStore[0].u32NextFreeColumn = 4;
    *G_PIXEL_pcolPhysical(blended.ScreenHistory.pBmp, 2, 0) = 0x0BAD;
    vTotalScreenUpdate(&blended, HEIGHT, 4, POST_PROCESS_NONE, FALSE);
    EXPECT_EQ(pixel(blended.ScreenHistory.pBmp, 2, 0), BACKGROUND);
}

TEST_F(TotalRedraw, BeamZerosNoisyColumnsStayOutOfTheBlendedWindow)
{
    SONAR_WINDOW blended = window(1);
    blended.Beam = 4;
    blended.u32HistoryHeight = HEIGHT;
    blended.u32UpperSample = 0;
    blended.u32LowerSample = 4000;
    blended.ScreenHistory.u16NextFreeColumn = 2;
    TSUStore[0].u32NextFreeColumn = 2;
    TSUStore[1].u32NextFreeColumn = 2;
    fill(0, 0, 200, 0.0f, TRUE); // noisy: left out
    fill(0, 1, 200, 0.0f, FALSE);
    empty(1, 0);
    empty(1, 1);
    vTotalScreenUpdate(&blended, HEIGHT, 2, POST_PROCESS_NONE, FALSE);
    EXPECT_EQ(column(blended.ScreenHistory.pBmp, 0, HEIGHT), std::vector<COLOR>(HEIGHT, BACKGROUND));
    EXPECT_EQ(column(blended.ScreenHistory.pBmp, 1, HEIGHT), colours(200));
}

} // namespace

namespace {

TEST_F(TotalRedraw, BottomLockAboveTheSurfaceLeavesBlankRowsAtTheTop)
{
    constexpr U32 H = 480;
    TSU_STORE_COLUMN& col = TSUStore[1].aTsuStore[0];
    col.u8SampleFactor = 1;
    col.u32SamplesInStore = 2000;
    memset(col.au8Data, 150, 2000);
    col.u32SmoothedDepthInSamples = 100;
    TSUStore[1].u32NextFreeColumn = 1;
    SONAR_WINDOW w = window();
    w.u32UpperSample = 400; // above the bottom
    w.u32LowerSample = 80;  // below it
    w.ScreenHistory.u16NextFreeColumn = 1;
    vTotalScreenUpdate(&w, H, 1, POST_PROCESS_NONE, TRUE);
    // (400 - 100) x 480 / 480 rows lie above the surface.
    const std::vector<COLOR> c = column(bmp(), 0, H);
    for (U32 r = 0; r < 300; ++r)
        ASSERT_EQ(c[r], BACKGROUND) << r;
    for (U32 r = 300; r < H; ++r)
        ASSERT_EQ(c[r], (COLOR)(0x4000 + 150)) << r;
}

TEST_F(TotalRedraw, TerrainBelowTheLowerRangeGivesAnAllZeroColumn)
{
    s_bTerrainMode = TRUE;
    TSUStore[2].u32NextFreeColumn = 1;
    TSU_STORE_COLUMN& col = TSUStore[2].aTsuStore[0];
    col.u8SampleFactor = 1;
    col.u32SamplesInStore = 2000;
    memset(col.au8Data, 150, 2000);
    col.fDepthMetres = 30.0f; // below the 20 m lower range
    SONAR_WINDOW w = window();
    w.Beam = 2;
    w.ScreenHistory.u16NextFreeColumn = 1;
    *G_PIXEL_pcolPhysical(w.ScreenHistory.pBmp, 0, 0) = 0x0BAD;
    vTotalScreenUpdate(&w, HEIGHT, 1, POST_PROCESS_NONE, FALSE);
    s_bTerrainMode = FALSE;
    EXPECT_EQ(column(bmp(), 0, HEIGHT), std::vector<COLOR>(HEIGHT, BACKGROUND));
}

// The column adder (processing thread) and the rebuild and ring copy (view
// thread) work on the same store and bitmap. The view side runs as a kernel
// task: the kernel's mutexes belong to tasks, and every plain thread counts
// as the main thread's task.
std::atomic<bool> s_bViewerStop{false};
std::atomic<bool> s_bViewerDone{false};
std::atomic<int> s_nViewerRounds{0};
const SONAR_WINDOW* s_pViewerWindow = nullptr;
BITMAP* s_pViewerFrame = nullptr;

void vViewerTask(void)
{
    while (!s_bViewerStop) {
        vTotalScreenUpdate(s_pViewerWindow, HEIGHT, 800, POST_PROCESS_NONE, FALSE);
        vCopyHistoryToBitmap(s_pViewerFrame, &SonarViewInfo.Window[0].ScreenHistory, 800, 799);
        ++s_nViewerRounds;
    }
    s_bViewerDone = true;
}

TEST_F(TotalRedraw, AdderAndRedrawRunTogether)
{
    static U32 pixels[800 * 600 / 2];
    static BITMAP frameHeader;
    BITMAP* frame = G_BUFFERS_pCreateBitmap(800, 600, &frameHeader, pixels);
    const SONAR_WINDOW copy = window();
    s_pViewerWindow = &copy;
    s_pViewerFrame = frame;
    s_bViewerStop = false;
    s_bViewerDone = false;
    s_nViewerRounds = 0;
    const TASK_PARAM viewer = {4096, 50, vViewerTask};
    ASSERT_EQ(L_TASK_SetParams(VIEW_TASK, &viewer), 0);
    ASSERT_EQ(L_TASK_Start(VIEW_TASK), 0);
    for (int i = 0; i < 60; ++i) {
        process_test::vProcessPing(process_test::ping(1, 4000));
        T_N_HISTORY_vAddColumns(2, 1, 0);
    }
    // At least one whole rebuild overlapped the adder or followed it.
    for (int i = 0; i < 5000 && s_nViewerRounds.load() < 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    s_bViewerStop = true;
    for (int i = 0; i < 5000 && !s_bViewerDone; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(s_bViewerDone.load());
    EXPECT_GE(s_nViewerRounds.load(), 1);
    EXPECT_EQ(window().ScreenHistory.u16NextFreeColumn, 120);
    EXPECT_EQ(TSUStore[1].u32NextFreeColumn, 120u);
}

} // namespace

namespace {

void expectGolden(gt::TestBitmap& screen, const char* name)
{
    const std::string golden = vt::sourcePath(std::string("sonar/tests/golden/") + name + ".png");
    const char* update = getenv("VONDREL_UPDATE_GOLDEN");
    if (update != nullptr && update[0] == '1') {
        ASSERT_TRUE(G_PNG_bWriteBitmap(screen, golden.c_str()));
    }
    const gt::Rgb expected = gt::readPng(golden);
    const gt::Rgb drawn = gt::toRgb(screen);
    ASSERT_EQ(expected.width, drawn.width) << "cannot read " << golden;
    ASSERT_EQ(expected.height, drawn.height);
    size_t differing = 0;
    for (size_t i = 0; i < drawn.data.size(); i += 3)
        differing += memcmp(&drawn.data[i], &expected.data[i], 3) != 0;
    if (differing != 0) {
        const std::string actual = vt::buildPath(std::string(name) + ".actual.png");
        G_PNG_bWriteBitmap(screen, actual.c_str());
        ADD_FAILURE() << differing << " pixels differ from " << golden << "; the picture drawn is in " << actual;
    }
}

TEST_F(Pictures, AFullWindowWithLinesScaleAndTemperatureChart)
{
    U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
    gCOLOR_pcolColorTable[128] = 0x0000;
    gCOLOR_pcolColorTable[130] = 0xFFE0;
    gCOLOR_pcolColorTable[131] = 0xFFFF;
    // 800 columns of a bottom that rises and falls, echoes above it.
    constexpr U32 H = 500;
    window().u32HistoryHeight = H;
    window().u32UpperDigits = 0;
    window().u32LowerDigits = 30;
    window().bManualDepthRange = FALSE;
    static COLOR col[H];
    for (U32 x = 0; x < 800; ++x) {
        const U32 bottom = 300 + (U32)(60 * std::sin(x / 60.0));
        for (U32 r = 0; r < H; ++r)
            col[r] = r < 20 ? 0x001F : r >= bottom ? (r < bottom + 12 ? 0xF800 : 0x7800) : (COLOR)(0x0010 + r % 7);
        vDrawColumnInHistory(col, &window().ScreenHistory, 599, 600 - H);
    }
    // A water temperature warming by half a degree over the picture.
    vResetTemperature();
    for (U32 i = 0; i < 800; ++i) {
        process_test::setFloat("ITMP", 20.0f + (float)i / 1600.0f + (i % 97 == 0 ? 3.0f : 0.0f));
        vProcessTemperature();
    }
    gt::TestBitmap screen(800, 600, 0x2104);
    vDrawSonarWindow(screen, &window(), 0, 760, H, U_METRES, 3, FALSE, TRUE);
    POINT pt{0, 500};
    T_N_HISTORY_vDrawTemperatureChart(screen, &pt, 800, 40);
    expectGolden(screen, "sonar_window");
    window().bManualDepthRange = TRUE;
    window().u32HistoryHeight = HEIGHT;
}

} // namespace

namespace {

TEST_F(Pictures, ThePixelCopyMatchesTheRingCopyAndStopsOnACancelledFrame)
{
    static U32 ringPixels[800 * 600 / 2], genericPixels[800 * 600 / 2];
    static BITMAP ringHeader, genericHeader;
    BITMAP* ring = G_BUFFERS_pCreateBitmap(800, 600, &ringHeader, ringPixels);
    BITMAP* generic = G_BUFFERS_pCreateBitmap(800, 600, &genericHeader, genericPixels);
    BITMAP* h = window().ScreenHistory.pBmp;
    for (U32 x = 0; x < 800; ++x)
        for (U32 r = 0; r < 600; r += 7)
            *G_PIXEL_pcolPhysical(h, (PIXEL)x, (PIXEL)r) = (COLOR)(x * 3 + r);
    window().ScreenHistory.u16NextFreeColumn = 123;
    G_BMP_vSet(ring, 0);
    G_BMP_vSet(generic, 0);
    vCopyHistoryToBitmap(ring, &window().ScreenHistory, 800, 799);
    const POINT deep{0, 0}, young{799, 599};
    vCopyHistoryToBitmapGeneric(generic, &window(), &deep, &young);
    EXPECT_EQ(memcmp(ringPixels, genericPixels, sizeof ringPixels), 0);

    G_BMP_vSet(generic, 0);
    t_view::s_bViewUpdateCancelled = TRUE;
    vCopyHistoryToBitmapGeneric(generic, &window(), &deep, &young);
    t_view::s_bViewUpdateCancelled = FALSE;
    EXPECT_EQ(pixel(generic, 799, 0), 0);
}

} // namespace

namespace {

TEST_F(Pictures, ReversePlaybackWritesTheEdgeColumnBackOnEveryColumn)
{
    struct Edge {
        S32 lat, lon;
        float heading, depth;
    } edges[] = {{111000, 222000, 45.0f, 7.5f}, {-5000, 9000, 270.0f, 12.25f}};
    TSUStore[1].u32NextFreeColumn = 10;
    TSUStore[1].u32ColumnsInUse = 10;
    for (U32 i = 0; i < 2; ++i) {
        TSU_STORE_COLUMN& c = TSUStore[1].aTsuStore[9 - i];
        c.Location = {TRUE, edges[i].lon, edges[i].lat};
        c.fHeadingTrueDegrees = edges[i].heading;
        c.fDepthMetres = edges[i].depth;
    }
    s_u32SystemState = 11;
    s_bReverseScroll = TRUE;
    for (const Edge& e : edges) {
        T_N_HISTORY_vAddColumns(1, 1, 0);
        S32 lat = 0, lon = 0;
        H_DATABASE_bFetchS32(FCID("ILAT"), &lat, nullptr, nullptr);
        H_DATABASE_bFetchS32(FCID("ILON"), &lon, nullptr, nullptr);
        EXPECT_EQ(lat, e.lat);
        EXPECT_EQ(lon, e.lon);
        EXPECT_FLOAT_EQ(process_test::f32("IHDG"), e.heading);
        EXPECT_FLOAT_EQ(process_test::f32("IDE2"), e.depth);
    }
    EXPECT_EQ(TSUStore[1].u32NextFreeColumn, 8u);
    // Reverse scroll moves the window's ring backwards too.
    EXPECT_EQ(window().ScreenHistory.u16NextFreeColumn, 798);
    s_bReverseScroll = FALSE;
    s_u32SystemState = 0;
}

} // namespace

namespace {

TEST_F(Pictures, ASixDegreeTraceIsCentredAndMissingReadingsLeaveGaps)
{
    U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
    gCOLOR_pcolColorTable[131] = 0xFFFF;
    gCOLOR_pcolColorTable[128] = 0x0000;
    ASSERT_NE(H_DATABASE_CurrentUnits(D_TEMPERATURE), U_FAHRENHEIT);
    vResetTemperature();
    for (float reading : {20.0f, 26.0f}) {
        process_test::setFloat("ITMP", reading);
        vProcessTemperature();
    }
    EXPECT_EQ(u32TemperatureRange, 10u);
    gt::TestBitmap screen(800, 600, 0x2104);
    POINT pt{0, 500};
    T_N_HISTORY_vDrawTemperatureChart(screen, &pt, 800, 40);
    // 18 to 28 degrees at 4 rows a degree: 26 sits at 505 + 32, 20 at 505 + 8.
    const auto marked = [&](S32 x, S32 y) { return screen.at(x, y) == 0xFFFF; };
    EXPECT_TRUE(marked(799, 537 - 4));
    EXPECT_TRUE(marked(798, 513 - 4));
    for (S32 y = 495; y < 545; ++y)
        EXPECT_FALSE(marked(797, y)) << y; // no reading: a gap
}

} // namespace

namespace {

TEST_F(Pictures, TheDividerIsLeftOutAtTheScreenEdgeAndLabelsAreLeftOutInView41)
{
    U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
    gCOLOR_pcolColorTable[128] = 0x0000;
    gCOLOR_pcolColorTable[130] = 0xFFE0;
    gCOLOR_pcolColorTable[131] = 0xFFFF;
    struct Case {
        U32 right;
        bool divider;
    } cases[] = {{799, false}, {700, true}};
    for (const Case& c : cases) {
        gt::TestBitmap screen(800, 600, 0x2104);
        vDrawDepthScale(screen, c.right, 0, 30, 500, 0, FALSE, FALSE);
        // The middle divider line runs the window's height, between the labels.
        EXPECT_EQ(screen.at((int)c.right - 1, 300) == 0xFFFF, c.divider) << c.right;
    }
    const LAYER_ID saved = U_VIEW_eCurrentView();
    for (LAYER_ID view : {49, 41}) {
        H_DATABASE_bUpdateEverythingS32(FCID("CVEW"), view, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        gt::TestBitmap screen(800, 600, 0x2104);
        vDrawDepthLines(screen, 3, 0, 799, 495, 0, 0, 30);
        // The shallowest line (7.5) ends at the label in 2D views and crosses
        // the window in view 41.
        const int y = 105 + (495 * (300 - 75) + 5 * 30) / 300;
        EXPECT_EQ(screen.at(799, y) == 0xFFE0, view == 41) << view;
        EXPECT_EQ(screen.at(0, y), 0xFFE0) << view;
    }
    H_DATABASE_bUpdateEverythingS32(FCID("CVEW"), saved, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

} // namespace

namespace {

TEST_F(Pictures, AManualRangePutsItsIconJustLeftOfTheLowerLabel)
{
    U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
    G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
    gCOLOR_pcolColorTable[128] = 0x0000;
    gCOLOR_pcolColorTable[131] = 0xFFFF;
    constexpr COLOR SCREEN = 0x2104;
    gt::TestBitmap automatic(800, 600, SCREEN), manual(800, 600, SCREEN);
    vDrawDepthScale(automatic, 799, 0, 30, 500, 0, FALSE, FALSE);
    vDrawDepthScale(manual, 799, 0, 30, 500, 0, TRUE, FALSE);
    int left = 800, right = -1, bottom = 600, top = -1;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if (automatic.at(x, y) != manual.at(x, y)) {
                left = std::min(left, x), right = std::max(right, x);
                bottom = std::min(bottom, y), top = std::max(top, y);
            }
    ASSERT_GE(right, 0) << "no icon drawn";
    EXPECT_EQ(right - left + 1, 12);
    EXPECT_EQ(top - bottom + 1, 14);
    EXPECT_EQ(bottom, 100) << "level with the lower label's box";
    // The label's box starts one pixel left of its text and just right of the icon.
    int box = 799;
    while (box > 0 && automatic.at(box - 1, bottom + 2) != SCREEN)
        --box;
    EXPECT_EQ(right, box) << "the icon's right edge meets the label's box";
}

} // namespace
