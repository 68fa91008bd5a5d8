// The 360 view's frame: the retracted window, the zoom's pan scaling, the
// rings, the display classes and edges of an isolated area, the sweep
// line's thickness, the pixel map, and two pictures.
#include "sonar/history/t_n_history_ppi.h"
#include "sonar/process/t_n_process.h"
#include "sonar/tests/history_world.h"

#include "graphics/g_icon.h"
#include "graphics/u_fonts.h"

#include "graphics/g_circle.h"
#include "graphics/tests/g_testing.h"
#include "kernel/l_sema.h"
#include "ui/t_info_bar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace history_test;
using namespace t_n_history;

namespace {

constexpr COLOR WHITE = 0xFFFF;
constexpr COLOR BLACK = 0x0000;
constexpr COLOR RED = 0xF800;
constexpr COLOR SHADE_BACK = 0x0841;

class PPIDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        worldWithWindows();
        U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
        G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
        strip(VIEW_PPI_DISPLAY, false);
        gCOLOR_pcolColorTable[32] = SHADE_BACK;
        gCOLOR_pcolColorTable[35] = WHITE;
        gCOLOR_pcolColorTable[36] = RED;
        L_MUTEX_LockWait(RES_S_INFO);
        vInit360();
        for (U32 i = 0; i < GRAYSCALE_LEVELS; ++i)
            SweepscanGrayScaleTable.acColor[i] = (COLOR)(i >> 3 << 11 | i >> 2 << 5 | i >> 3);
        SonarViewInfo.Window[4].fLowerDisplayedMetres = 40.0f;
        L_MUTEX_Unlock(RES_S_INFO);
        // Retracted, so that no frame rebuilds the picture from the empty
        // raw store before the test has laid it out.
        s_bMSSDeployed = FALSE;
        s_bMSSConnected = TRUE;
        s_bMSSSweepLineHide = TRUE;
        for (FOURCHARID k : {FCID("SRNG"), FCID("SMSB"), FCID("SNIM")})
            H_DATABASE_bUpdateEverythingBoolean(k, FALSE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        setU32("PPIZ", 0);
        setU32("YUDP", 10);
        while (L_SEMA_WaitTicks(SEMA_VIEW_UPDATE, 0) == 0) {
        }
    }

    static void on(const char (&key)[5])
    {
        H_DATABASE_bUpdateEverythingBoolean(FCID(key), TRUE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    }

    static WINDOW_SPECIFICATION full()
    {
        WINDOW_SPECIFICATION window = {};
        window.currentLayer = VIEW_PPI_DISPLAY;
        window.drawWindowType = SPLIT_FULL_WINDOW;
        window.activeWindow = SPLIT_FULL_WINDOW;
        window.drawWindow = {0, 599, 799, 0};
        return window;
    }

    // Rings of 40 samples and spokes every 100 sectors: a picture that shows
    // where each sector and sample lands.
    static void pattern()
    {
        for (U32 s = 0; s < PPI_SECTORS; ++s)
            for (U32 i = 0; i < PPI_MAX_SAMPLES; ++i) {
                const U32 level = (i / 40) % 2 ? 90 : 180;
                s_aPPIColorData[s][i] = SweepscanGrayScaleTable.acColor[s % 100 < 6 ? 255 : level - s / 40];
            }
    }

    static void draw(gt::TestBitmap& frame, WINDOW_SPECIFICATION window)
    {
        s_bMSSDeployed = TRUE;
        // The first frame lays the geometry out and rebuilds the picture at
        // its radius; the test's picture goes in after it.
        T_N_HISTORY_vDrawPPIDisplay(frame, &window);
        pattern();
        s_bMSSDeployed = FALSE;
        T_N_HISTORY_vRecalculateMSSData(); // retracted: leaves the pattern
        s_bMSSDeployed = TRUE;
        T_N_HISTORY_vDrawPPIDisplay(frame, &window);
    }
};

TEST_F(PPIDisplay, ARetractedTransducerGivesAnEmptyWindowAndFramesKeepComing)
{
    gt::TestBitmap frame(800, 600, BLACK);
    WINDOW_SPECIFICATION window = full();
    on("SRNG");
    on("SMSB");
    T_N_HISTORY_vDrawPPIDisplay(frame, &window);
    EXPECT_EQ(frame.count(SHADE_BACK), 800u * 600u);
    EXPECT_EQ(L_SEMA_WaitTicks(SEMA_VIEW_UPDATE, 0), 0) << "the next frame was asked for";
    EXPECT_EQ(frame->s32ClipTop, 599) << "the clip box is restored";
}

TEST_F(PPIDisplay, AZoomStepKeepsThePannedPointUnderTheSameImagePoint)
{
    struct Case {
        POINT offset;
        U32 oldOuter, newOuter;
        POINT scaled;
    };
    const Case cases[] = {
        {{100, 0}, 300, 372, {124, 0}}, // zoom 0 -> 1 at an outer radius of 300
        {{-50, 30}, 372, 300, {-40, 24}},
        {{7, -7}, 300, 300, {7, -7}},
    };
    for (const Case& c : cases) {
        const POINT p = ptScaleCursorOffset(c.offset, c.oldOuter, c.newOuter);
        EXPECT_EQ(p.x, c.scaled.x);
        EXPECT_EQ(p.y, c.scaled.y);
    }

    // Through a frame: the pan offset follows the radius from level 0 to 1.
    gt::TestBitmap frame(800, 600, BLACK);
    WINDOW_SPECIFICATION window = full();
    s_bMSSDeployed = TRUE;
    T_N_HISTORY_vDrawPPIDisplay(frame, &window);
    const U32 outer0 = s_PPIDisplayDescriptor.u32Width + 2u;
    s_PPIDisplayDescriptor.s32CursorOffset = {100, 0};
    setU32("PPIZ", 1);
    T_N_HISTORY_vDrawPPIDisplay(frame, &window);
    const U32 outer1 = s_PPIDisplayDescriptor.u32Width + 2u;
    EXPECT_EQ(outer1, outer0 + 72);
    EXPECT_EQ(s_PPIDisplayDescriptor.s32CursorOffset.x, (S32)(100 * outer1 / outer0));
    EXPECT_EQ(s_PPIDisplayDescriptor.CenterX, 399 + s_PPIDisplayDescriptor.s32CursorOffset.x);
}

TEST_F(PPIDisplay, RangeRingsAtAWidthOf300)
{
    // A pane that leaves 479 rows above the info strip's origin gives a
    // width of 72 - 11 + 239 = 300 at zoom level 1.
    gt::TestBitmap frame(800, 600, BLACK);
    WINDOW_SPECIFICATION window = full();
    window.currentLayer = VIEW_PPI_PLUS_2D;
    window.drawWindowType = SPLIT_RIGHT_WINDOW;
    strip(VIEW_PPI_PLUS_2D, false);
    const S32 y0 = (S32)T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_FULL_WINDOW);
    window.drawWindow = {100, 478 + y0, 799, 0};
    setU32("PPIZ", 1);
    on("SRNG");
    s_bMSSDeployed = TRUE;
    T_N_HISTORY_vDrawPPIDisplay(frame, &window);
    ASSERT_EQ(s_PPIDisplayDescriptor.u32Width, 300u);
    for (auto& row : s_aPPIColorData)
        std::fill(std::begin(row), std::end(row), BLACK);
    frame.clear();
    T_N_HISTORY_vDrawPPIDisplay(frame, &window);

    POINT c{s_PPIDisplayDescriptor.CenterX, s_PPIDisplayDescriptor.CenterY};
    gt::TestBitmap rings(800, 600, BLACK);
    for (U32 d : {455u, 305u, 155u})
        G_CIRCLE_vDrawWithNoBound(rings, WHITE, &c, d);
    // Down the column through the centre, inside the ticks (the outer 15
    // pixels): the rings and nothing else.
    for (S32 y = c.y - 285; y <= c.y - 20; ++y)
        EXPECT_EQ(frame.at(c.x, y), rings.at(c.x, y)) << "radius " << c.y - y;
    for (S32 k = 0; k < 3; ++k)
        EXPECT_EQ(frame.at(c.x, c.y - (S32)(455 - 150 * k) / 2), WHITE);
}

TEST_F(PPIDisplay, AnIsolatedAreaShowsItsSectorsAndBlanksTheRest)
{
    s_MSSObject.SweepingSetting = ISOLATE_SWEEP_ON;
    s_MSSObject.s32SweepStart = 100;
    s_MSSObject.s32SweepRange = 200;
    vComputeDisplayClasses();
    for (S32 s = 0; s < 1600; ++s) {
        const bool shown = s < 100 || s >= 1501;
        EXPECT_EQ(s_u8PPIAlphaBlending[s], shown ? 0 : 2) << "sector " << s;
    }

    // The first frame only fits the area into the window and draws
    // nothing, but asks for the next frame: without pings nothing else
    // would. The edges then lie at sectors 100 and 1501, out from the centre.
    gt::TestBitmap frame(800, 600, BLACK);
    WINDOW_SPECIFICATION window = full();
    s_bMSSDeployed = TRUE;
    T_N_HISTORY_vDrawPPIDisplay(frame, &window);
    EXPECT_EQ(s_u8IsolateSweepSetuped.load(), 1);
    EXPECT_TRUE(frame.drawn().empty());
    EXPECT_EQ(L_SEMA_WaitTicks(SEMA_VIEW_UPDATE, 0), 0) << "the next frame was asked for";
    for (int k = 0; k < 3; ++k)
        T_N_HISTORY_vDrawPPIDisplay(frame, &window);
    EXPECT_EQ(s_u8IsolateSweepSetuped.load(), 3);
    const PPI_DISPLAY_DESCRIPTOR& d = s_PPIDisplayDescriptor;
    for (S32 sector : {100, 1501}) {
        const double a = sector * 2.0 * 3.14159265358979 / 1600.0;
        for (double r : {40.0, 120.0}) {
            const S32 x = d.CenterX + (S32)std::lround(std::sin(a) * r);
            const S32 y = d.CenterY + (S32)std::lround(std::cos(a) * r);
            bool red = false;
            for (S32 dx = -1; dx <= 1; ++dx)
                for (S32 dy = -1; dy <= 1; ++dy)
                    red = red || frame.at(x + dx, y + dy) == RED;
            EXPECT_TRUE(red) << "sector " << sector << " radius " << r;
        }
    }
}

TEST_F(PPIDisplay, TheSweepLineIsThickenedAcrossItsDirection)
{
    s_bMSSSweepLineHide = FALSE;
    s_PPIDisplayDescriptor.CenterX = 400;
    s_PPIDisplayDescriptor.CenterY = 300;
    s_PPIDisplayDescriptor.u32Width = 98;
    struct Case {
        S32 sector;
        int xSpread, ySpread; // columns and rows the line covers
    };
    for (const Case& c : {Case{0, 3, 201}, Case{400, 201, 3}, Case{800, 3, 201}}) {
        SCOPED_TRACE(c.sector);
        gt::TestBitmap frame(800, 600, BLACK);
        T_N_HISTORY_vDrawPPISweepLine(frame, c.sector, WHITE);
        std::set<int> xs, ys;
        for (const gt::Pixel& p : frame.drawn()) {
            xs.insert(p.first);
            ys.insert(p.second);
        }
        EXPECT_EQ((int)xs.size(), c.xSpread);
        EXPECT_EQ((int)ys.size(), c.ySpread);
        EXPECT_EQ(frame.at(400, 300), WHITE);
    }
    // Hidden after a dropped ping, and never over a frozen picture.
    s_bMSSSweepLineHide = TRUE;
    gt::TestBitmap frame(800, 600, BLACK);
    T_N_HISTORY_vDrawPPISweepLine(frame, 0, WHITE);
    EXPECT_TRUE(frame.drawn().empty());
}

TEST_F(PPIDisplay, ThePixelMapCoversEachPixelOfTheCircleOnce)
{
    struct Case {
        S32 cx, cy;
        U32 width;
    };
    for (const Case& c : {Case{400, 300, 200}, Case{30, 560, 150}}) {
        SCOPED_TRACE(c.cx);
        PPI_DISPLAY_DESCRIPTOR& d = s_PPIDisplayDescriptor;
        d.CenterX = c.cx;
        d.CenterY = c.cy;
        d.u32Width = (U16)c.width;
        d.u32MaxSamples = (U16)(c.width + 11);
        gt::TestBitmap frame(800, 600, BLACK);
        vRebuildPixelMap(frame);
        const S32 outer = (S32)c.width + 2;
        U32 inside = 0;
        U32 wrong = 0;
        for (S32 y = 0; y < 600; ++y)
            for (S32 x = 0; x < 800; ++x) {
                const S32 dx = x - c.cx, dy = y - c.cy;
                const S32 d2 = dx * dx + dy * dy;
                const bool in = d2 >= 4 && d2 <= outer * outer;
                const U32 e = u32PixelMapEntry(x, y);
                if (!in) {
                    wrong += e != PPI_NO_PIXEL;
                    continue;
                }
                ++inside;
                if (e == PPI_NO_PIXEL) {
                    ++wrong;
                    continue;
                }
                // The bearing clockwise from straight up, in sectors.
                double bearing = std::atan2((double)dx, (double)dy) * 1600.0 / (2.0 * 3.14159265358979);
                if (bearing < 0)
                    bearing += 1600.0;
                const S32 sector = (S32)(e >> PPI_SAMPLE_BITS);
                double diff = std::fabs(bearing - sector);
                diff = std::min(diff, 1600.0 - diff);
                const U32 sample = e & ((1u << PPI_SAMPLE_BITS) - 1);
                if (diff > 2.0 || sample != (U32)std::sqrt((double)d2))
                    ++wrong;
            }
        EXPECT_EQ(wrong, 0u);
        EXPECT_EQ(u32PixelMapWrites(), inside) << "no pixel written twice";
    }
}

TEST_F(PPIDisplay, FullScreenPictureWithRings)
{
    gt::TestBitmap frame(800, 600, BLACK);
    on("SRNG");
    on("SMSB");
    s_bMSSSweepLineHide = FALSE;
    s_s32PPISector = 250;
    draw(frame, full());
    gt::expectGolden(frame, "sonar/tests/golden", "ppi_full_rings");
}

TEST_F(PPIDisplay, QuickSweepPicture)
{
    gt::TestBitmap frame(800, 600, BLACK);
    s_MSSObject.SweepingSetting = QUICK_SWEEP_ON;
    s_MSSObject.s32SweepStart = 300;
    s_MSSObject.s32SweepRange = 200;
    s_bMSSSweepLineHide = FALSE;
    s_s32PPISector = 250;
    draw(frame, full());
    gt::expectGolden(frame, "sonar/tests/golden", "ppi_quick_sweep");
}

} // namespace
