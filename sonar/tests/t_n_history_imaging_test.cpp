// The imaging screens: the Keelview fusion of the two down-looking beams
// (alone and through the column adder), the FlankviewScreen waterfall's layout
// (one side, the other, both in terrain mode, with and without range
// lines), its rebuild rules and readouts, the Keelview panes' halves, fish
// and rebuild rules, the enhance dialogs' texts and arrows, and three
// pictures drawn from pings through the real processing and column adder.
#include "sonar/tests/process_world.h"

#include "sonar/tests/history_world.h"

#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/g_fonts.h"
#include "graphics/g_icon.h"
#include "graphics/g_pixel.h"
#include "graphics/g_string.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "sonar/dsp/s_fishid.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_fusion.h"
#include "sonar/history/t_n_history_state.h"
#include "sonar/screens/t_n_history_imaging.h"
#include "sonar/screens/t_n_history_imaging_icons.h"
#include "ui/u_view.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace t_n_history;

namespace {

constexpr COLOR BACK = 0x1234;       // sonar background, entry 0
constexpr COLOR BAND = 0xFFFF;       // entry 128
constexpr COLOR BODY = 0x7BEF;       // entry 129
constexpr COLOR INK = 0x07E0;        // entry 131
constexpr COLOR LINE_WHITE = 0xFFDE; // entry 35
constexpr COLOR BLANK = 0x0841;      // entry 32, its low byte not 0
constexpr COLOR SIDE_MARK = 0xF800;  // a whole history painted in one colour
constexpr S32 BOAT_H = 38;
constexpr MBOX VIEW_STANDIN = 61;

WINDOW_SPECIFICATION spec(LAYER_ID layer, SPLIT_WINDOW_TYPE pane, S32 left, S32 right, BOOLEAN bExpedited = FALSE,
                          SPLIT_WINDOW_TYPE active = SPLIT_RIGHT_WINDOW)
{
    WINDOW_SPECIFICATION s{};
    s.currentLayer = layer;
    s.activeWindow = active;
    s.drawWindowType = pane;
    s.drawWindow = {left, 599, right, 0};
    s.bExpedited = bExpedited;
    return s;
}

class ImagingScreen : public ::testing::Test {
  protected:
    void SetUp() override
    {
        process_test::world();
        static const bool ready = [] {
            vCreateWindowsAndStores();
            return true;
        }();
        (void)ready;
        U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
        G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
        gCOLOR_pcolColorTable[0] = BACK;
        gCOLOR_pcolColorTable[32] = BLANK;
        gCOLOR_pcolColorTable[35] = LINE_WHITE;
        gCOLOR_pcolColorTable[128] = BAND;
        gCOLOR_pcolColorTable[129] = BODY;
        gCOLOR_pcolColorTable[130] = 0x8410;
        gCOLOR_pcolColorTable[131] = INK;
        BackGroundColor = BACK;
        // Three tables that tell their pictures apart: level v is a shade of
        // blue (2D), of red (Flankview) or of green (Keelview).
        for (U32 v = 0; v < GRAYSCALE_LEVELS; ++v) {
            StandardBeamGrayScaleTable.acColor[v] = v == 0 ? BACK : (COLOR)(v >> 3);
            SidescanGrayScaleTable.acColor[v] = v == 0 ? BACK : (COLOR)((v >> 3) << 11);
            KeelviewGrayScaleTable.acColor[v] = v == 0 ? BACK : (COLOR)((v >> 2) << 5);
        }
        StandardBeamGrayScaleTable.ePostProcessMode = POST_PROCESS_NONE;
        SidescanGrayScaleTable.ePostProcessMode = POST_PROCESS_NONE;
        KeelviewGrayScaleTable.ePostProcessMode = POST_PROCESS_NONE;
        SonarViewInfo.BottomView = POST_PROCESS_NONE;
        SonarViewInfo.bFishID = FALSE;
        SonarViewInfo.u32DepthLines = 0;
        s_bCursorActive = FALSE;
        s_bReverseScroll = FALSE;
        s_bEndFill = FALSE;
        s_u32SystemState = 0;
        s_bTerrainMode = FALSE;
        s_bSweepingUsedAsSide = FALSE;
        s_bMSSDeployed = FALSE;
        s_u32SweepStatus = 0;
        s_bClearFVBuffer = FALSE;
        s_u32FVColor = 0;
        s_u32KeelviewFilter = 0;
        bTemperatureOverlay = FALSE;
        s_db_TransducerSelectArray[SELECT_IMAGING] = 5;
        for (FULL_SCREEN_TSU& store : TSUStore) {
            store.u32NextFreeColumn = 0;
            store.u32ColumnsInUse = 0;
            for (TSU_STORE_COLUMN& c : store.aTsuStore)
                S_TSU_vResetColumn(&c);
        }
        for (BEAM_INFO& b : s_sBeamInfo) {
            S_FISHID_vInitialiseHistory(&b.FishHistory);
            b.bPinging = TRUE;
            b.s8Gain = 0;
        }
        flag("SSVL", FALSE);
        flag("SIRO", TRUE);
        process_test::setU32("SDBW", 2);
        process_test::apply("YSNF", 0);
        T_N_PROCESS_vClearAllAccumulators();
    }

    static void flag(const char (&key)[5], BOOLEAN b)
    {
        H_DATABASE_bUpdateEverythingBoolean(FCID(key), b, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    }

    static SONAR_WINDOW& window(U32 i) { return SonarViewInfo.Window[i]; }

    // Lays the windows out for a view as its first frame would, then
    // clears the histories and the rebuild flags.
    static void layOut(LAYER_ID view, U32 side, bool bStrip)
    {
        process_test::setU32("SZDZ", 50);
        process_test::setU32("SZDS", 50);
        process_test::setU32("SZS2", 50);
        // Every box of the info strip filled, so that it covers every pane.
        history_test::strip(view, bStrip);
        process_test::setU32("CVEW", (U32)view);
        const FOURCHARID* set = t_info::selectionStandard();
        for (int k = 0; k < 5; ++k)
            H_DATABASE_bUpdateEverythingU32(set[k], bStrip ? FCID("BDEP") : 0, P_NORMAL, D_FCID, nullptr,
                                            DB_TIMEOUT_NEVER);
        L_MUTEX_LockWait(RES_S_INFO);
        s_beamSelect = 1;
        db_u32SideBeamView = side;
        CurrentView = NO_VIEW_PRIORITY;
        vVerifyAndUpdateWindowSettings(view);
        for (SONAR_WINDOW& w : SonarViewInfo.Window) {
            w.bTriggerTotalScreenUpdate = FALSE;
            L_MUTEX_LockWait(RES_HISTORY);
            G_BMP_vSet(w.ScreenHistory.pBmp, BACK);
            w.ScreenHistory.u16NextFreeColumn = 0;
            L_MUTEX_Unlock(RES_HISTORY);
        }
        L_MUTEX_Unlock(RES_S_INFO);
    }

    // One ping of the beam through the processing and the column adder:
    // noise, a bottom at the given share of the window's range, and a
    // target where asked.
    static void ping(BEAM beam, float fBottom, float fTarget = 0.0f, U32 u32Seed = 1)
    {
        // Beams without a window of their own feed the Keelview window.
        const SONAR_WINDOW* w = s_sBeamInfo[beam].pMain != nullptr ? s_sBeamInfo[beam].pMain : s_sBeamInfo[5].pMain;
        const U32 range = w != nullptr && w->u32LowerSample > 0 ? w->u32LowerSample : 800;
        PING_DESCRIPTOR* p = process_test::ping(beam, 4000);
        U8* raw = p->pu8RawSonarData;
        U32 state = u32Seed * 2654435761u + beam;
        for (U32 i = 0; i < 4000; ++i) {
            state = state * 1103515245u + 12345u;
            raw[i] = (U8)(18 + ((state >> 16) & 15));
        }
        const U32 bottom = (U32)(fBottom * (float)range);
        for (U32 i = bottom; i < 4000; ++i)
            raw[i] = (U8)std::max<U32>(60, i < bottom + 30 ? 250 - (i - bottom) * 3 : 140 - std::min<U32>(80, (i - bottom) / 8));
        if (fTarget > 0.0f) {
            const U32 t = (U32)(fTarget * (float)range);
            for (U32 i = t; i < t + 12 && i < 4000; ++i)
                raw[i] = 240;
        }
        process_test::vProcessPing(p);
        T_N_HISTORY_vAddColumns(1, beam, 0);
    }

    static bool allOf(const BITMAP* p, COLOR c)
    {
        for (S32 y = 0; y < (S32)p->pixels_high_full_screen; ++y)
            for (S32 x = 0; x < (S32)p->pixels_wide; ++x)
                if (*G_PIXEL_pcolPhysical(p, (PIXEL)x, (PIXEL)y) != c)
                    return false;
        return true;
    }
};

// ---- Looking at a frame ----

// Whether the text, in the font and colour, stands with its anchor on
// row y somewhere from x0 to x1.
bool textOnRow(gt::TestBitmap& screen, S32 y, const FONT_DEF* pFont, const char* text, COLOR ink, S32 x0 = 0,
               S32 x1 = 799)
{
    gt::TestBitmap scratch(800, 600, 0x0001);
    POINT pt{0, y};
    G_STRING_vPut(scratch, 0xF81F, &pt, pFont, reinterpret_cast<const BYTE*>(text));
    const gt::PixelSet mask = scratch.drawn();
    if (mask.empty())
        return false;
    int right = 0, top = 0, bottom = 599;
    for (const gt::Pixel& p : mask) {
        right = std::max(right, p.first);
        top = std::max(top, p.second);
        bottom = std::min(bottom, p.second);
    }
    for (S32 x = x0; x <= x1 && x + right <= 799; ++x) {
        bool bAll = true, bGap = false;
        for (const gt::Pixel& p : mask)
            if (screen.at(x + p.first, p.second) != ink) {
                bAll = false;
                break;
            }
        if (!bAll)
            continue;
        for (int yy = bottom; yy <= top && !bGap; ++yy)
            for (int xx = 0; xx <= right && !bGap; ++xx)
                bGap = mask.count({xx, yy}) == 0 && screen.at(x + xx, yy) != ink;
        if (bGap)
            return true;
    }
    return false;
}

// Whether the boat icon stands with its lower-left corner at (x, y).
bool boatAt(gt::TestBitmap& screen, S32 x, S32 y)
{
    gt::TestBitmap scratch(800, 600, 0x0001);
    const POINT pt{x, y};
    G_ICON_vPut(scratch, &BoatLarge_icon, &pt);
    const gt::PixelSet drawn = scratch.drawn();
    if (drawn.size() < 100)
        return false;
    for (const gt::Pixel& p : drawn)
        if (screen.at(p.first, p.second) != scratch.at(p.first, p.second))
            return false;
    return true;
}

const FONT_DEF* small() { return std_11x14_font_def_ptr.load(); }

// ---- Fusion ----

TEST_F(ImagingScreen, TheBeamWidthMixesMinimumAndMaximum)
{
    layOut(VIEW_KEELVIEW, SIDE_BEAM_BOTH, false);
    struct Case {
        const char* what;
        int width; // -1: the key cannot be read
        U8 expected;
    } cases[] = {{"narrow", 0, 100}, {"mixed", 1, 135}, {"wide", 2, 200}, {"other", 7, 200}, {"unreadable", -1, 200}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.width < 0)
            H_DATABASE_vDeleteEntry(FCID("SDBW"));
        else
            process_test::setU32("SDBW", (U32)c.width);
        std::vector<U8> left(600, 200), right(600, 100), out(600, 7);
        vCombineKeelviewBeams(left.data(), right.data(), out.data());
        const U32 h = window(0).u32HistoryHeight;
        EXPECT_EQ(out[0], c.expected);
        EXPECT_EQ(out[h - 1], c.expected);
        if (h < 600) {
            EXPECT_EQ(out[h], 7) << "past the window's height";
        }
        // The output may be the left input.
        std::vector<U8> inPlace(600, 100), other(600, 200);
        vCombineKeelviewBeams(inPlace.data(), other.data(), inPlace.data());
        EXPECT_EQ(inPlace[0], c.expected);
    }
}

TEST_F(ImagingScreen, NoFusedColumnWithoutAPlausibleKeelviewWindow)
{
    layOut(VIEW_KEELVIEW, SIDE_BEAM_BOTH, false);
    std::vector<U8> left(800, 200), right(800, 100), out(800, 7);
    for (U32 height : {0u, 601u, 700u}) {
        window(0).u32HistoryHeight = height;
        vCombineKeelviewBeams(left.data(), right.data(), out.data());
        EXPECT_EQ(std::count(out.begin(), out.end(), 7), 800) << height;
    }
    s_sBeamInfo[5].pMain = nullptr;
    vCombineKeelviewBeams(left.data(), right.data(), out.data());
    EXPECT_EQ(std::count(out.begin(), out.end(), 7), 800);
}

TEST_F(ImagingScreen, The360UnitAsSideSourceBlanksTheKeelviewUnlessItLooksSideways)
{
    layOut(VIEW_KEELVIEW, SIDE_BEAM_BOTH, false);
    const U32 h = window(0).u32HistoryHeight;
    std::vector<U8> left(600, 200), right(600, 100), out(600, 7);
    s_bSweepingUsedAsSide = TRUE;

    // Retracted: a blank column of the weakest sample, whatever colour 32 is.
    window(0).ScreenHistory.u16NextFreeColumn = 9;
    vCombineKeelviewBeams(left.data(), right.data(), out.data());
    EXPECT_EQ(std::count(out.begin(), out.begin() + h, 0), (long)h);
    EXPECT_EQ(window(0).ScreenHistory.u16NextFreeColumn, 9) << "a retracted unit leaves the history";

    // Deployed, looking ahead: the history too is blanked and starts again.
    s_bMSSDeployed = TRUE;
    s_u32SweepStatus = 1;
    vCombineKeelviewBeams(left.data(), right.data(), out.data());
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(window(0).ScreenHistory.u16NextFreeColumn, 0);
    EXPECT_TRUE(allOf(window(0).ScreenHistory.pBmp, BLANK));

    // Deployed and looking sideways: fused as usual.
    s_u32SweepStatus = 2;
    vCombineKeelviewBeams(left.data(), right.data(), out.data());
    EXPECT_EQ(out[0], 200);
}

TEST_F(ImagingScreen, TheKeelviewWindowTakesOneFusedColumnPerPairOfPings)
{
    layOut(VIEW_KEELVIEW, SIDE_BEAM_BOTH, false);
    const BITMAP* p = window(0).ScreenHistory.pBmp;
    const U32 h = window(0).u32HistoryHeight;
    ping(2, 0.4f, 0.2f);
    EXPECT_EQ(window(0).ScreenHistory.u16NextFreeColumn, 0) << "the left element waits for the right one";
    ping(3, 0.6f);
    ASSERT_EQ(window(0).ScreenHistory.u16NextFreeColumn, 1);
    // The fused column is mapped through the Keelview table: greens only.
    U32 coloured = 0;
    for (U32 r = 600 - h; r < 600; ++r) {
        const COLOR c = *G_PIXEL_pcolPhysical(p, 0, (PIXEL)(599 - r));
        if (c == BACK)
            continue;
        ++coloured;
        EXPECT_EQ(c & 0xF81F, 0) << "row " << r;
    }
    EXPECT_GT(coloured, h / 3);

    // Between the two elements' bottoms the widest picture shows the left
    // element's bottom echo, the narrowest the right element's water.
    const PIXEL between = (PIXEL)(h / 2);
    const COLOR wide = *G_PIXEL_pcolPhysical(p, 0, between);
    process_test::setU32("SDBW", 0);
    ping(2, 0.4f, 0.2f);
    ping(3, 0.6f);
    const COLOR narrow = *G_PIXEL_pcolPhysical(p, 1, between);
    EXPECT_GT(wide >> 5, narrow == BACK ? 0 : narrow >> 5);
}

// ---- FlankviewScreen ----

struct FlankCase {
    const char* name;
    U32 side;
    bool bTerrain;
    bool bLines;
};

class FlankviewScreen : public ImagingScreen {
  protected:
    // View 47 with both side histories painted in one colour, ranges 80.
    gt::TestBitmap& draw(const FlankCase& c, BOOLEAN bExpedited = FALSE)
    {
        layOut(VIEW_SIDEVIEW, c.side, false);
        s_bTerrainMode = c.bTerrain ? TRUE : FALSE;
        flag("SSVL", c.bLines ? TRUE : FALSE);
        for (U32 i : {1u, 2u}) {
            G_BMP_vSet(window(i).ScreenHistory.pBmp, SIDE_MARK);
            window(i).u32LowerDigits = 80;
        }
        screen.clear();
        WINDOW_SPECIFICATION s = spec(VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799, bExpedited);
        T_N_HISTORY_vDrawVerticalScrollView(screen, &s);
        return screen;
    }
    gt::TestBitmap screen{800, 600, 0x0002};
};

TEST_F(FlankviewScreen, OneSideSpansThePaneWithTheBoatHalfOutsideAndSevenLabelledLines)
{
    const S32 top = 579 - BOAT_H, labelY = 583 - BOAT_H;
    const S32 s = (800 - 1) / 8; // (x1 - x0) / 8
    {
        SCOPED_TRACE("left only");
        gt::TestBitmap& f = draw({"left", SIDE_BEAM_LEFT, false, true});
        EXPECT_TRUE(boatAt(f, 799 - 1 - 13, 582 - BOAT_H));
        EXPECT_EQ(f.at(798, 300), SIDE_MARK);
        EXPECT_EQ(f.at(1, top), SIDE_MARK);
        for (S32 k = 1; k <= 7; ++k) {
            const S32 x = 1 + k * s;
            EXPECT_EQ(f.at(x, 300), LINE_WHITE) << k;
            const std::string label = std::to_string(80 * (8 - k) / 8);
            EXPECT_TRUE(textOnRow(f, labelY, small(), label.c_str(), INK, x - 12, x)) << label;
        }
        EXPECT_TRUE(textOnRow(f, labelY, small(), "80", INK, 1, 1));
    }
    {
        SCOPED_TRACE("right only");
        gt::TestBitmap& f = draw({"right", SIDE_BEAM_RIGHT, false, true});
        EXPECT_TRUE(boatAt(f, 0 + 2 - 13, 582 - BOAT_H));
        EXPECT_EQ(f.at(1, 300), SIDE_MARK);
        for (S32 k = 1; k <= 7; ++k) {
            const S32 x = 1 + k * s;
            EXPECT_EQ(f.at(x, 300), LINE_WHITE) << k;
            const std::string label = std::to_string(80 * k / 8);
            EXPECT_TRUE(textOnRow(f, labelY, small(), label.c_str(), INK, x - 12, x)) << label;
        }
    }
}

TEST_F(FlankviewScreen, BothSidesInTerrainModeMeetAtTheCentreWithoutLineOrLineLabels)
{
    const S32 centre = 799 / 2, labelY = 583 - BOAT_H;
    const S32 s = 799 / 8;
    gt::TestBitmap& plain = draw({"both", SIDE_BEAM_BOTH, false, true});
    EXPECT_EQ(plain.at(centre - 1, 300), INK);
    EXPECT_EQ(plain.at(centre, 300), INK);
    EXPECT_EQ(plain.at(centre + 1, 300), BACK);
    EXPECT_TRUE(textOnRow(plain, labelY, small(), "60", INK, 1 + s - 12, 1 + s));
    EXPECT_TRUE(boatAt(plain, centre - 13, 582 - BOAT_H));

    gt::TestBitmap& terrain = draw({"terrain", SIDE_BEAM_BOTH, true, true});
    for (S32 x = centre - 3; x <= centre + 3; ++x)
        EXPECT_EQ(terrain.at(x, 300), SIDE_MARK) << x;
    EXPECT_FALSE(textOnRow(terrain, labelY, small(), "60", INK, 1 + s - 12, 1 + s));
    EXPECT_EQ(terrain.at(1 + s, 300), LINE_WHITE) << "the lines themselves stay";
    EXPECT_EQ(terrain.at(1 + 4 * s, 300), SIDE_MARK) << "no line at the centre";
    EXPECT_TRUE(textOnRow(terrain, labelY, small(), "80", INK, 1, 1)) << "edge labels stay";
}

// Terrain mode moves only the meeting point of two sides: a single side
// still ends at the pane's edge and writes nothing beyond it (the frame's
// rows run on in memory, and its last row ends the buffer).
TEST_F(FlankviewScreen, TerrainModeWithOneSideStaysInsideThePane)
{
    for (U32 side : {SIDE_BEAM_LEFT, SIDE_BEAM_RIGHT}) {
        SCOPED_TRACE(side);
        gt::TestBitmap& f = draw({"terrain", side, true, true});
        EXPECT_EQ(f.at(0, 300), SIDE_MARK);
        EXPECT_EQ(f.at(799, 300), SIDE_MARK);
        EXPECT_EQ(f.at(0, 0), SIDE_MARK);
        EXPECT_EQ(f.at(799, 0), SIDE_MARK);
    }
}

TEST_F(FlankviewScreen, RangeLinesOffRaiseTheBandAndThePicturesAndPutTheRangeInTheSideLabels)
{
    const S32 labelY = 602 + (S32)G_FONTS_u32GetAscenderHeight(small()) - (S32)G_FONTS_u32GetHeight(small());
    struct Case {
        bool bLines;
        S32 bandLower, top;
        const char* leftLabel;
    } cases[] = {{true, 580 - BOAT_H, 579 - BOAT_H, "Left"}, {false, 597 - BOAT_H, 596 - BOAT_H, "80 Left"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bLines ? "lines" : "no lines");
        gt::TestBitmap& f = draw({"both", SIDE_BEAM_BOTH, false, c.bLines});
        EXPECT_EQ(f.at(200, c.top), SIDE_MARK);
        EXPECT_EQ(f.at(200, c.top + 1), BACK);
        EXPECT_EQ(f.at(200, c.bandLower), BACK);
        EXPECT_EQ(f.at(200, c.bandLower + 1), INK);
        EXPECT_EQ(f.at(200, c.bandLower - 1), SIDE_MARK);
        EXPECT_TRUE(textOnRow(f, labelY, small(), c.leftLabel, INK, 1, 1));
        EXPECT_EQ(textOnRow(f, labelY, small(), "Right 80", INK), !c.bLines);
    }
}

TEST_F(FlankviewScreen, AnExpeditedFrameNeverRebuildsAndAHiddenSideKeepsItsFlag)
{
    layOut(VIEW_SIDEVIEW, SIDE_BEAM_LEFT, false);
    for (int i = 0; i < 20; ++i)
        ping(2, 0.5f, 0.0f, (U32)i);
    G_BMP_vSet(window(1).ScreenHistory.pBmp, SIDE_MARK);
    window(1).bTriggerTotalScreenUpdate = TRUE;
    window(2).bTriggerTotalScreenUpdate = TRUE;

    gt::TestBitmap screen(800, 600);
    WINDOW_SPECIFICATION fast = spec(VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799, TRUE);
    T_N_HISTORY_vDrawVerticalScrollView(screen, &fast);
    EXPECT_TRUE(allOf(window(1).ScreenHistory.pBmp, SIDE_MARK));
    EXPECT_TRUE(window(1).bTriggerTotalScreenUpdate);

    WINDOW_SPECIFICATION ordinary = spec(VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799, FALSE);
    T_N_HISTORY_vDrawVerticalScrollView(screen, &ordinary);
    EXPECT_FALSE(allOf(window(1).ScreenHistory.pBmp, SIDE_MARK)) << "rebuilt from the store";
    EXPECT_FALSE(window(1).bTriggerTotalScreenUpdate);
    EXPECT_TRUE(window(2).bTriggerTotalScreenUpdate) << "the right side is not shown";
}

TEST_F(FlankviewScreen, AClearRequestEmptiesBothSideStoresOnTheNextFrame)
{
    layOut(VIEW_SIDEVIEW, SIDE_BEAM_BOTH, false);
    ping(2, 0.5f);
    ping(3, 0.5f);
    ASSERT_GT(TSUStore[2].u32ColumnsInUse, 0u);
    s_bClearFVBuffer = TRUE;
    gt::TestBitmap screen(800, 600);
    WINDOW_SPECIFICATION s = spec(VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799);
    T_N_HISTORY_vDrawVerticalScrollView(screen, &s);
    EXPECT_FALSE(s_bClearFVBuffer);
    for (BEAM b : {2, 3}) {
        EXPECT_EQ(TSUStore[b].u32ColumnsInUse, 0u);
        EXPECT_EQ(TSUStore[b].u32NextFreeColumn, 0u);
        EXPECT_EQ(TSUStore[b].aTsuStore[0].u32SamplesInStore, 0u);
    }
}

TEST_F(FlankviewScreen, ReadoutsShowWhatIsValidInTheChosenUnits)
{
    flag("SIRO", FALSE);
    H_DATABASE_bUpdateEverythingU32(FCID("BTMP"), FCID("ITMP"), P_NORMAL, D_FCID, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingFloat(FCID("ITMP"), 20.0f, P_NORMAL, D_TEMPERATURE, nullptr, DB_TIMEOUT_NEVER);
    process_test::setU32("SUTE", U_CELSIUS);
    const char celsius[4] = {(char)0xBA, 'C', 0};
    struct Case {
        const char* what;
        bool bDepth;
        U32 unit;
        const char* unitText; // null: no depth text
    } cases[] = {{"no valid depth", false, U_METRES, nullptr},
                 {"fathoms", true, U_FATHOMS, "ftm"},
                 {"feet", true, U_FEET, "ft"},
                 {"metres", true, U_METRES, "m"},
                 {"unknown unit", true, 99, "m"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // "BDEP" names "IDEP" (the strip helper writes it): 12.3 m, or a
        // reading that has timed out.
        layOut(VIEW_SIDEVIEW, SIDE_BEAM_BOTH, false);
        H_DATABASE_bUpdateEverythingFloat(FCID("IDEP"), 12.3f, P_NORMAL, D_DEPTH, nullptr, 60);
        if (!c.bDepth) {
            L_CLOCK_vAdvanceTestClock(61000);
            BOOLEAN bValid = TRUE;
            H_DATABASE_bFetchFloat(FCID("IDEP"), nullptr, &bValid, nullptr);
            ASSERT_FALSE(bValid);
        }
        process_test::setU32("YUDP", c.unit);
        gt::TestBitmap f(800, 600, 0x0002);
        WINDOW_SPECIFICATION s = spec(VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799);
        T_N_HISTORY_vDrawVerticalScrollView(f, &s);
        EXPECT_TRUE(textOnRow(f, 82, f18x32_font_def_ptr, "20.0", BAND, 20, 20));
        EXPECT_TRUE(textOnRow(f, 82, std_16x17_font_def_ptr.load(), celsius, BAND));
        if (c.unitText == nullptr) {
            EXPECT_FALSE(textOnRow(f, 10, f34x62_font_def_ptr, "12.", BAND, 20, 20));
            continue;
        }
        EXPECT_TRUE(textOnRow(f, 10, f34x62_font_def_ptr, "12.", BAND, 20, 20) ||
                    textOnRow(f, 10, f34x62_font_def_ptr, "40.", BAND, 20, 20) ||
                    textOnRow(f, 10, f34x62_font_def_ptr, "6.", BAND, 20, 20));
        EXPECT_TRUE(textOnRow(f, 10, std_16x17_font_def_ptr.load(), c.unitText, BAND));
        if (std::string(c.unitText) == "ft") {
            EXPECT_FALSE(textOnRow(f, 10, std_16x17_font_def_ptr.load(), "ftm", BAND));
        }
    }
}

// ---- Keelview ----

TEST_F(ImagingScreen, TheThreePaneHalvesFollowTheInfoStrip)
{
    struct Case {
        bool bStrip;
        S32 P, D;
    } cases[] = {{true, 247, 352}, {false, 300, 300}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bStrip ? "info boxes" : "no info boxes");
        layOut(VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D, SIDE_BEAM_BOTH, c.bStrip);
        G_BMP_vSet(window(3).ScreenHistory.pBmp, 0x00E0);
        G_BMP_vSet(window(0).ScreenHistory.pBmp, 0x0007);
        gt::TestBitmap screen(800, 600, 0x0002);
        WINDOW_SPECIFICATION s = spec(VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D, SPLIT_LEFT_WINDOW, 0, 397);
        T_N_HISTORY_vDrawKeelviewSonarSplit(screen, &s);
        const S32 yOff = c.bStrip ? 105 : 0;
        EXPECT_EQ(screen.at(100, 599), 0x00E0);
        EXPECT_EQ(screen.at(100, 600 - c.P + 2), 0x00E0);
        EXPECT_EQ(screen.at(100, yOff), 0x0007);
        EXPECT_EQ(screen.at(100, yOff - 1 + c.P - 3), 0x0007);
        EXPECT_EQ(screen.at(100, c.D - 2), BACK);
        EXPECT_EQ(screen.at(100, c.D - 1), INK);
        EXPECT_EQ(screen.at(100, c.D), INK);
        EXPECT_EQ(screen.at(100, c.D + 1), BACK);
        if (c.bStrip) {
            EXPECT_EQ(screen.at(100, 50), 0x0002) << "below the pane stays for the info boxes";
        }
    }
}

TEST_F(ImagingScreen, TheSplitPaneLeavesTheInfoStripsRowsInTheBackgroundColour)
{
    for (bool bStrip : {true, false}) {
        SCOPED_TRACE(bStrip ? "info boxes" : "no info boxes");
        layOut(VIEW_KEELVIEW_PLUS_FLANKVIEW, SIDE_BEAM_BOTH, bStrip);
        G_BMP_vSet(window(0).ScreenHistory.pBmp, 0x00E0);
        gt::TestBitmap screen(800, 600, 0x0002);
        WINDOW_SPECIFICATION s = spec(VIEW_KEELVIEW_PLUS_FLANKVIEW, SPLIT_LEFT_WINDOW, 0, 397);
        T_N_HISTORY_vDrawKeelviewSplit(screen, &s);
        EXPECT_EQ(screen.at(100, 300), 0x00E0);
        EXPECT_EQ(screen.at(600, 50), bStrip ? BACK : 0x0002);
        EXPECT_EQ(screen.at(100, 104), bStrip ? BACK : 0x00E0);
        EXPECT_EQ(screen.at(100, 105), 0x00E0);
    }
}

TEST_F(ImagingScreen, SingleElementTransducersDrawNoFishOverTheFullScreenKeelview)
{
    struct Case {
        U32 transducer;
        bool bFullScreenFish;
    } cases[] = {{5, true}, {15, false}, {17, false}, {18, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.transducer);
        s_db_TransducerSelectArray[SELECT_IMAGING] = c.transducer;
        const auto fishDrawn = [&](LAYER_ID view, DRAW_FUNCTION* pfnDraw, S32 left) {
            const auto frame = [&](BOOLEAN bFish) {
                layOut(view, SIDE_BEAM_BOTH, false);
                SonarViewInfo.bFishID = bFish;
                SONAR_WINDOW& w = window(0);
                w.u32UpperSample = 0;
                w.u32LowerSample = 1000;
                FISH_TARGET_LIST list{};
                list.u8NumberOfTargets = 1;
                list.target[0].u32DepthInSamples = (w.u32UpperSample + w.u32LowerSample) / 2;
                list.target[0].u8Size = 2;
                list.target[0].u8Peak = 200;
                list.target[0].beam = 3;
                list.bSimulatedFishList = TRUE;
                S_FISHID_vInitialiseHistory(&s_sBeamInfo[5].FishHistory);
                S_FISHID_vAddFishTargetListToHistory(&s_sBeamInfo[5].FishHistory, &list);
                gt::TestBitmap screen(800, 600, 0x0002);
                WINDOW_SPECIFICATION s = spec(view, view == VIEW_KEELVIEW ? SPLIT_FULL_WINDOW : SPLIT_LEFT_WINDOW,
                                              left, view == VIEW_KEELVIEW ? 799 : 397);
                pfnDraw(screen, &s);
                return gt::toRgb(screen).data;
            };
            return frame(TRUE) != frame(FALSE);
        };
        EXPECT_EQ(fishDrawn(VIEW_KEELVIEW, T_N_HISTORY_vDrawKeelview, 0), c.bFullScreenFish);
        EXPECT_TRUE(fishDrawn(VIEW_KEELVIEW_PLUS_FLANKVIEW, T_N_HISTORY_vDrawKeelviewSplit, 0));
    }
}

TEST_F(ImagingScreen, TheKeelviewHalfTakesTheTwoDHalfsNewRangeOnTheNextFrame)
{
    layOut(VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D, SIDE_BEAM_BOTH, false);
    L_MUTEX_LockWait(RES_S_INFO);
    window(0).u32UpperDigits = 10;
    window(0).u32LowerDigits = 90;
    window(0).u32UpperSample = 400;
    window(0).u32LowerSample = 3600;
    window(0).bManualDepthRange = TRUE;
    window(0).bTriggerTotalScreenUpdate = TRUE;
    L_MUTEX_Unlock(RES_S_INFO);
    gt::TestBitmap screen(800, 600);
    WINDOW_SPECIFICATION s = spec(VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D, SPLIT_LEFT_WINDOW, 0, 397);
    T_N_HISTORY_vDrawKeelviewSonarSplit(screen, &s);
    EXPECT_EQ(window(3).u32UpperDigits, 10u);
    EXPECT_EQ(window(3).u32LowerDigits, 90u);
    EXPECT_EQ(window(3).u32UpperSample, 400u);
    EXPECT_EQ(window(3).u32LowerSample, 3600u);
    EXPECT_TRUE(window(3).bManualDepthRange);
    EXPECT_FALSE(window(3).bTriggerTotalScreenUpdate) << "rebuilt with the 2D half";
    EXPECT_FALSE(window(0).bTriggerTotalScreenUpdate);
}

TEST_F(ImagingScreen, ExpeditedKeelviewFramesRebuildNothingAndKeepTheFlags)
{
    struct Case {
        LAYER_ID view;
        DRAW_FUNCTION* pfnDraw;
        SPLIT_WINDOW_TYPE pane;
        U32 window;
    } cases[] = {{VIEW_KEELVIEW, T_N_HISTORY_vDrawKeelview, SPLIT_FULL_WINDOW, 0},
                 {VIEW_KEELVIEW_PLUS_FLANKVIEW, T_N_HISTORY_vDrawKeelviewSplit, SPLIT_LEFT_WINDOW, 0},
                 {VIEW_KEELVIEW_PLUS_2D, T_N_HISTORY_vDrawKeelviewSplit, SPLIT_RIGHT_WINDOW, 1},
                 {VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D, T_N_HISTORY_vDrawKeelviewSonarSplit, SPLIT_LEFT_WINDOW, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.view);
        layOut(c.view, SIDE_BEAM_BOTH, false);
        for (SONAR_WINDOW& w : SonarViewInfo.Window) {
            G_BMP_vSet(w.ScreenHistory.pBmp, SIDE_MARK);
            w.bTriggerTotalScreenUpdate = TRUE;
        }
        gt::TestBitmap screen(800, 600);
        const S32 left = c.pane == SPLIT_RIGHT_WINDOW ? 402 : 0;
        const S32 right = c.pane == SPLIT_LEFT_WINDOW ? 397 : 799;
        WINDOW_SPECIFICATION fast = spec(c.view, c.pane, left, right, TRUE);
        c.pfnDraw(screen, &fast);
        EXPECT_TRUE(window(c.window).bTriggerTotalScreenUpdate);
        EXPECT_TRUE(allOf(window(c.window).ScreenHistory.pBmp, SIDE_MARK));
        if (c.view == VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D) {
            EXPECT_TRUE(window(0).bTriggerTotalScreenUpdate);
            EXPECT_TRUE(allOf(window(0).ScreenHistory.pBmp, SIDE_MARK));
        }
        WINDOW_SPECIFICATION ordinary = spec(c.view, c.pane, left, right, FALSE);
        c.pfnDraw(screen, &ordinary);
        EXPECT_FALSE(window(c.window).bTriggerTotalScreenUpdate);
    }
}

// ---- Enhance dialogs ----

class EnhanceDialogs : public ImagingScreen {
  protected:
    gt::TestBitmap screen{800, 600, 0x0002};
    void render(DRAW_FUNCTION* pfn)
    {
        screen.clear();
        pfn(screen, nullptr);
    }
    // Row anchor of item k of n.
    static S32 row(S32 k, S32 n) { return 105 + 7 + (n - k) * 21; }
};

TEST_F(EnhanceDialogs, ValueTextsFollowTheirKeysAndAnUnreadableValueShowsZero)
{
    struct Case {
        const char* what;
        DRAW_FUNCTION* pfn;
        FOURCHARID key;
        int value; // -1: the key cannot be read
        S32 item, items;
        const char* text;
    } cases[] = {
        {"360 sensitivity 0", T_N_HISTORY_vRenderSweepEnhance, FCID("SMSS"), 0, 1, 4, "Auto"},
        {"360 sensitivity 7", T_N_HISTORY_vRenderSweepEnhance, FCID("SMSS"), 7, 1, 4, "07"},
        {"360 sensitivity unreadable", T_N_HISTORY_vRenderSweepEnhance, FCID("SMSS"), -1, 1, 4, "Auto"},
        {"FlankviewScreen sensitivity 0", T_N_HISTORY_vRenderFvEnhance, FCID("SSSS"), 0, 1, 4, "00"},
        {"FlankviewScreen contrast 20", T_N_HISTORY_vRenderFvEnhance, FCID("SSSN"), 20, 2, 4, "20"},
        {"FlankviewScreen sharpness 2", T_N_HISTORY_vRenderFvEnhance, FCID("SSSL"), 2, 3, 4, "Med"},
        {"FlankviewScreen sharpness unreadable", T_N_HISTORY_vRenderFvEnhance, FCID("SSSL"), -1, 3, 4, "Off"},
        {"FlankviewScreen contour on", T_N_HISTORY_vRenderFvEnhance, FCID("SITM"), 1, 4, 4, "On"},
        {"Keelview contrast unreadable", T_N_HISTORY_vRenderKvEnhance, FCID("SDSN"), -1, 2, 3, "00"},
        {"Keelview sharpness 3", T_N_HISTORY_vRenderKvEnhance, FCID("SDSL"), 3, 3, 3, "High"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.value < 0)
            H_DATABASE_vDeleteEntry(c.key);
        else
            H_DATABASE_bUpdateEverythingU32(c.key, (U32)c.value, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        render(c.pfn);
        EXPECT_TRUE(textOnRow(screen, row(c.item, c.items), small(), c.text, INK));
    }
    // The title sits in its bar over the body, 95 rows high with 4 items.
    render(T_N_HISTORY_vRenderFvEnhance);
    EXPECT_TRUE(textOnRow(screen, 105 + 95 + 3, small(), "FV Enhance", INK));
    render(T_N_HISTORY_vRenderKvEnhance);
    EXPECT_TRUE(textOnRow(screen, 105 + 70 + 3, small(), "KV Enhance", INK));
}

TEST_F(EnhanceDialogs, AtTheHighestContrastOnlyTheLeftArrowIsDrawn)
{
    // The pixels of item 2's row that the arrows add.
    const S32 y = row(2, 4);
    const auto rowPixels = [&](U32 contrast, S32 active) {
        process_test::setU32("SSSN", contrast);
        s_s32ActiveDialogItem = active;
        render(T_N_HISTORY_vRenderFvEnhance);
        gt::PixelSet out;
        for (const gt::Pixel& p : screen.drawn())
            if (p.second >= y && p.second < y + 14 && screen.at(p.first, p.second) == INK)
                out.insert(p);
        return out;
    };
    const auto arrowsOf = [&](U32 contrast) {
        const gt::PixelSet with = rowPixels(contrast, 2), without = rowPixels(contrast, 1);
        gt::PixelSet added;
        for (const gt::Pixel& p : with)
            if (without.count(p) == 0)
                added.insert(p);
        return added;
    };
    const gt::PixelSet both = arrowsOf(10), top = arrowsOf(20), bottom = arrowsOf(1);
    ASSERT_FALSE(both.empty());
    ASSERT_FALSE(top.empty());
    EXPECT_EQ(top.size() * 2, both.size());
    EXPECT_EQ(bottom.size() * 2, both.size());
    int splitX = 0;
    for (const gt::Pixel& p : top) {
        EXPECT_EQ(both.count(p), 1u);
        splitX = std::max(splitX, p.first);
    }
    for (const gt::Pixel& p : bottom)
        EXPECT_GT(p.first, splitX) << "the lowest value keeps only the right arrow";
    s_s32ActiveDialogItem = 1;
}

TEST_F(EnhanceDialogs, OpeningTakesTheKeysAndTheLayerAndClosingGivesThemBack)
{
    history_test::keyboardStandIn();
    process_test::setU32("TVUE", VIEW_STANDIN);
    history_test::keyMails();
    while (MSGHEADER* p = L_MBOX_Receive(VIEW_STANDIN))
        H_MEMORY_vFree(p);
    struct Case {
        void (*pfnOpen)(void);
        void (*pfnClose)(void);
        std::atomic<BOOLEAN>* pbOpen;
        LAYER_ID layer;
        DRAW_FUNCTION* pfnRender;
    } cases[] = {{T_N_HISTORY_vCreateFvEnhanceDialog, vDestroyFvEnhanceDialog, &s_bFvEnhanceDialogActive, 294,
                  T_N_HISTORY_vRenderFvEnhance},
                 {T_N_HISTORY_vCreateKvEnhanceDialog, vDestroyKvEnhanceDialog, &s_bKvEnhanceDialogActive, 295,
                  T_N_HISTORY_vRenderKvEnhance},
                 {T_N_HISTORY_vCreateSweepEnhanceDialog, T_N_HISTORY_vDestroySweepEnhanceDialog,
                  &s_bSweepEnhanceDialogActive, 296, T_N_HISTORY_vRenderSweepEnhance}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layer);
        c.pfnOpen();
        EXPECT_TRUE(c.pbOpen->load());
        auto mails = history_test::keyMails();
        EXPECT_TRUE(history_test::has(mails, CMD_ID_REGISTER_FOR_KEYS, 0xFFEF));
        EXPECT_TRUE(history_test::has(mails, CMD_ID_REGISTER_FOR_KEYS, 0x10));
        bool bRegistered = false;
        while (MSGHEADER* p = L_MBOX_Receive(VIEW_STANDIN)) {
            const auto* reg = reinterpret_cast<const MSG_REGISTER_LAYER*>(p);
            if (reg->header.Cmd == CMD_ID_REGISTER_LAYER && reg->layer == c.layer) {
                bRegistered = true;
                EXPECT_EQ(reg->where_used, -1);
                EXPECT_EQ(reg->pDrawFunction, c.pfnRender);
            }
            H_MEMORY_vFree(p);
        }
        EXPECT_TRUE(bRegistered);

        c.pfnClose();
        EXPECT_FALSE(c.pbOpen->load());
        mails = history_test::keyMails();
        EXPECT_TRUE(history_test::has(mails, CMD_ID_UNREGISTER_FOR_KEYS, 0xFFEF));
        EXPECT_TRUE(history_test::has(mails, CMD_ID_UNREGISTER_FOR_KEYS, 0x10));
        bool bUnregistered = false;
        while (MSGHEADER* p = L_MBOX_Receive(VIEW_STANDIN)) {
            const auto* unreg = reinterpret_cast<const MSG_UNREGISTER_LAYER*>(p);
            bUnregistered |= unreg->header.Cmd == CMD_ID_UNREGISTER_LAYER && unreg->layer == c.layer;
            H_MEMORY_vFree(p);
        }
        EXPECT_TRUE(bUnregistered);
    }
}

// ---- ImagingPictures from pings ----

class ImagingPictures : public ImagingScreen {
  protected:
    // The side-looking transducer serves the imaging beams, so the side
    // pictures take the Flankview table.
    void SetUp() override
    {
        ImagingScreen::SetUp();
        S_TRANSDUCER_vImagingEnable(5);
    }
    void TearDown() override { S_TRANSDUCER_vImagingEnable(0); }
    // A bottom that rises and falls on each side and a few targets.
    static void pingSides(U32 n, bool bSides = true, bool b2D = false)
    {
        for (U32 i = 0; i < n; ++i) {
            const float f = (float)i;
            if (b2D)
                ping(1, 0.55f + 0.12f * std::sin(f / 25.0f), i % 60 < 8 ? 0.3f : 0.0f, i);
            if (bSides) {
                ping(2, 0.35f + 0.1f * std::sin(f / 18.0f), i % 90 < 10 ? 0.7f : 0.0f, i);
                ping(3, 0.45f + 0.08f * std::cos(f / 23.0f), i % 70 < 6 ? 0.25f : 0.0f, i + 1000);
            }
        }
    }
};

TEST_F(ImagingPictures, FlankviewBothSidesWithRangeLines)
{
    layOut(VIEW_SIDEVIEW, SIDE_BEAM_BOTH, true);
    flag("SSVL", TRUE);
    pingSides(300);
    gt::TestBitmap screen(800, 600, 0x0002);
    WINDOW_SPECIFICATION s = spec(VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799);
    T_N_HISTORY_vDrawVerticalScrollView(screen, &s);
    gt::expectGolden(screen, "sonar/tests/golden", "flankview_both_lines");
}

TEST_F(ImagingPictures, KeelviewFullScreen)
{
    layOut(VIEW_KEELVIEW, SIDE_BEAM_BOTH, false);
    process_test::setU32("SDBW", 1);
    SonarViewInfo.u32DepthLines = 3;
    pingSides(420);
    gt::TestBitmap screen(800, 600, 0x0002);
    WINDOW_SPECIFICATION s = spec(VIEW_KEELVIEW, SPLIT_FULL_WINDOW, 0, 799);
    T_N_HISTORY_vDrawKeelview(screen, &s);
    gt::expectGolden(screen, "sonar/tests/golden", "keelview_full");
}

TEST_F(ImagingPictures, KeelviewAbove2DBesideFlankview)
{
    layOut(VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D, SIDE_BEAM_BOTH, true);
    flag("SSVL", TRUE);
    SonarViewInfo.u32DepthLines = 2;
    pingSides(260, true, true);
    gt::TestBitmap screen(800, 600, 0x0002);
    WINDOW_SPECIFICATION left = spec(VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D, SPLIT_LEFT_WINDOW, 0, 397);
    WINDOW_SPECIFICATION right = spec(VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D, SPLIT_RIGHT_WINDOW, 403, 799);
    T_N_HISTORY_vDrawKeelviewSonarSplit(screen, &left);
    T_N_HISTORY_vDrawVerticalScrollView(screen, &right);
    gt::expectGolden(screen, "sonar/tests/golden", "keelview_flankview_2d");
}

} // namespace
