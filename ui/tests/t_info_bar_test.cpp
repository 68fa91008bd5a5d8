// The instrument bar's y origins and box bands: which panes start above
// the bar for each view and divider position, chart panes that run under a
// partly filled bar, and guarding against a divider key that names no box.
#include "ui/t_info_bar.h"
#include "ui/t_info_icons.h"
#include "ui/t_info_state.h"
#include "ui/t_info_task.h"
#include "ui/t_view.h"
#include "ui/tests/draw_fixture.h"

#include "graphics/g_box.h"
#include "graphics/g_string.h"
#include "util/u_convert.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace dtest;

namespace {

// Readouts: "BDEP" shows the existing data key "IDEP"; "BGON" names a data
// key that does not exist; "BPTR" draws itself; "BNON" does not exist.
void world()
{
    prepareWorld();
    static const bool once = [] {
        H_DATABASE_bUpdateEverythingFloat(FCID("IDEP"), 12.5f, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        H_DATABASE_bUpdateEverythingU32(FCID("BDEP"), FCID("IDEP"), P_NORMAL, D_FCID, nullptr, DB_TIMEOUT_NEVER);
        H_DATABASE_bUpdateEverythingU32(FCID("BGON"), FCID("IGON"), P_NORMAL, D_FCID, nullptr, DB_TIMEOUT_NEVER);
        H_DATABASE_bUpdateEverythingVoidPointer(FCID("BPTR"), nullptr, P_NORMAL, D_POINTER, nullptr,
                                                DB_TIMEOUT_NEVER);
        return true;
    }();
    (void)once;
}

void setU32(const char (&key)[5], U32 v)
{
    H_DATABASE_bUpdateEverythingU32(FCID(key), v, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}
void setS32(const char (&key)[5], S32 v)
{
    H_DATABASE_bUpdateEverythingS32(FCID(key), v, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

// One character per box, left to right: 'x' the depth readout, 'd' a
// readout whose data key is gone, 'g' a readout that is gone, 'p' a drawn
// readout, '.' off.
void fill(const FOURCHARID* set, const std::string& boxes)
{
    for (size_t k = 0; k < 5; ++k) {
        const char c = k < boxes.size() ? boxes[k] : '.';
        const FOURCHARID readout = c == 'x' ? FCID("BDEP") : c == 'd' ? FCID("BGON") : c == 'g' ? FCID("BNON") : c == 'p' ? FCID("BPTR") : 0;
        H_DATABASE_bUpdateEverythingU32(set[k], readout, P_NORMAL, D_FCID, nullptr, DB_TIMEOUT_NEVER);
    }
}

// The standard set holds the boxes, the navigation set is empty and off.
void standard(const std::string& boxes)
{
    setU32("INIP", 0);
    fill(t_info::selectionStandard(), boxes);
    fill(t_info::selectionNavigation(), ".....");
}

U32 yOrigin(S32 view, SPLIT_WINDOW_TYPE eSplit)
{
    t_info::setCurrentView(view);
    return T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(eSplit);
}

struct YCase {
    S32 view;
    SPLIT_WINDOW_TYPE pane;
    FOURCHARID splitKey; // 0: the view has none
    S32 percent;
    const char* boxes;
    U32 expected;
};

TEST(InfoBarYOrigin, TruthTable)
{
    world();
    const std::vector<YCase> cases = {
        // No box: views that follow the bar start at the bottom, the rest never do.
        {0, SPLIT_FULL_WINDOW, 0, 0, ".....", 0},
        {23, SPLIT_FULL_WINDOW, 0, 0, ".....", 0},
        {46, SPLIT_FULL_WINDOW, 0, 0, ".....", 0},
        {48, SPLIT_LEFT_WINDOW, 0, 0, ".....", 0},
        {50, SPLIT_FULL_WINDOW, 0, 0, ".....", 0},
        {51, SPLIT_FULL_WINDOW, 0, 0, ".....", 0},
        {65, SPLIT_FULL_WINDOW, 0, 0, ".....", 0},
        {66, SPLIT_LEFT_WINDOW, 0, 0, ".....", 0},
        {105, SPLIT_FULL_WINDOW, 0, 0, ".....", 0},
        {106, SPLIT_FULL_WINDOW, 0, 0, ".....", 0},
        {10, SPLIT_FULL_WINDOW, 0, 0, ".....", 105},
        {28, SPLIT_FULL_WINDOW, 0, 0, ".....", 105},
        {56, SPLIT_FULL_WINDOW, 0, 0, ".....", 105},
        {-2, SPLIT_FULL_WINDOW, 0, 0, ".....", 105},
        // Any box, but only one whose readout exists.
        {65, SPLIT_FULL_WINDOW, 0, 0, "....x", 105},
        {0, SPLIT_FULL_WINDOW, 0, 0, "gg.gg", 0},
        // Keelview and 2D sonar sit at the right edge.
        {39, SPLIT_FULL_WINDOW, 0, 0, "xxxx.", 0},
        {49, SPLIT_FULL_WINDOW, 0, 0, "....x", 105},
        // The side view needs three boxes.
        {47, SPLIT_FULL_WINDOW, 0, 0, "xx...", 0},
        {47, SPLIT_FULL_WINDOW, 0, 0, "x.x.x", 105},
        {47, SPLIT_FULL_WINDOW, 0, 0, "xgx.x", 105},
        {47, SPLIT_FULL_WINDOW, 0, 0, "xgx.g", 0},
        // Chart plus chart at 50 %: left width 398, box 2 under the divider.
        {26, SPLIT_RIGHT_WINDOW, FCID("SZCC"), 50, "..x..", 105},
        {26, SPLIT_LEFT_WINDOW, FCID("SZCC"), 50, "xx.xx", 0},
        {29, SPLIT_LEFT_WINDOW, FCID("SZCH"), 20, "x....", 105},
        {35, SPLIT_LEFT_WINDOW, FCID("SZCO"), 80, "...x.", 105},
        {38, SPLIT_LEFT_WINDOW, FCID("SZCS"), 70, "xxx.x", 0},
        // Chart plus perspective looks at the box under the right pane's width.
        {25, SPLIT_RIGHT_WINDOW, FCID("SZCB"), 30, "...x.", 105}, // right width 557
        {25, SPLIT_RIGHT_WINDOW, FCID("SZCB"), 30, "xxx.x", 0},
        // Left pane: the divider's box; other panes: any box from it on.
        {40, SPLIT_LEFT_WINDOW, FCID("SZDS"), 50, "...x.", 0},
        {40, SPLIT_RIGHT_WINDOW, FCID("SZDS"), 50, "...x.", 105},
        {52, SPLIT_LEFT_WINDOW, FCID("SZS2"), 40, ".x...", 105},
        {52, SPLIT_RIGHT_WINDOW, FCID("SZS2"), 40, "x....", 0},
        // Keelview plus 2D: the divider's box or the last.
        {41, SPLIT_LEFT_WINDOW, FCID("SZD2"), 50, "....x", 105},
        {41, SPLIT_RIGHT_WINDOW, FCID("SZD2"), 50, "..x..", 105},
        {41, SPLIT_RIGHT_WINDOW, FCID("SZD2"), 50, "xx.x.", 0},
        // Three panes: the left reaches boxes 0 to the divider's.
        {42, SPLIT_LEFT_WINDOW, FCID("SZDZ"), 50, "x....", 105},
        {42, SPLIT_LEFT_WINDOW, FCID("SZDZ"), 50, "...xx", 0},
        {42, SPLIT_RIGHT_WINDOW, FCID("SZDZ"), 50, "x....", 0},
        {42, SPLIT_QUICK_WINDOW, FCID("SZDZ"), 50, "....x", 105},
        // A divider outside the slider's range names no box: nothing past
        // the five selections is read and no single box answers.
        {26, SPLIT_LEFT_WINDOW, FCID("SZCC"), 100, "xxxxx", 0},
        {33, SPLIT_LEFT_WINDOW, FCID("SZCD"), -10, "xxxxx", 0},
        {40, SPLIT_RIGHT_WINDOW, FCID("SZDS"), 90, "xxxxx", 0},
        {41, SPLIT_RIGHT_WINDOW, FCID("SZD2"), 90, "xxxx.", 0},
    };
    for (const YCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "view " << c.view << " pane " << c.pane << " boxes " << c.boxes
                                        << " at " << c.percent);
        if (c.splitKey != 0)
            H_DATABASE_bUpdateEverythingS32(c.splitKey, c.percent, P_NORMAL, D_UNKNOWN, nullptr,
                                            DB_TIMEOUT_NEVER);
        standard(c.boxes);
        EXPECT_EQ(yOrigin(c.view, c.pane), c.expected);
    }
}

TEST(InfoBarYOrigin, NavigationSetWhileNavigating)
{
    world();
    fill(t_info::selectionStandard(), ".....");
    fill(t_info::selectionNavigation(), "..x..");
    setU32("INIP", 0);
    EXPECT_EQ(yOrigin(0, SPLIT_FULL_WINDOW), 0u);
    setU32("INIP", 7);
    EXPECT_EQ(yOrigin(0, SPLIT_FULL_WINDOW), 105u);
    setU32("INIP", 0);
}

TEST(InfoBarYOrigin, EveryAnswerGoesToTheSonarHistory)
{
    world();
    struct Report {
        LAYER_ID view;
        SPLIT_WINDOW_TYPE pane;
        U32 y;
    };
    static std::vector<Report> reports;
    reports.clear();
    T_INFO_NEIGHBOURS hooks = {};
    hooks.pfnReportSonarYOrigin = [](LAYER_ID view, SPLIT_WINDOW_TYPE pane, U32 y) {
        reports.push_back({view, pane, y});
    };
    T_INFO_vInstallNeighbours(&hooks);
    standard("....x");
    yOrigin(39, SPLIT_LEFT_WINDOW);
    yOrigin(46, SPLIT_FULL_WINDOW);
    standard(".....");
    yOrigin(46, SPLIT_FULL_WINDOW);
    T_INFO_vInstallNeighbours(nullptr);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].view, 39);
    EXPECT_EQ(reports[0].pane, SPLIT_LEFT_WINDOW);
    EXPECT_EQ(reports[0].y, 105u);
    EXPECT_EQ(reports[1].y, 105u);
    EXPECT_EQ(reports[2].view, 46);
    EXPECT_EQ(reports[2].y, 0u);
}

struct ChartCase {
    LAYER_ID view;
    SPLIT_WINDOW_TYPE pane;
    S32 percent; // of "SZCC" and "SZCT"
    U32 inip;
    const char* navigation;
    const char* standard;
    S32 expected;
};

TEST(InfoBarYOrigin, ChartPanesNeedEveryBoxOverThem)
{
    world();
    const std::vector<ChartCase> cases = {
        {28, SPLIT_FULL_WINDOW, 50, 0, ".....", "xxxx.", 0},
        {28, SPLIT_FULL_WINDOW, 50, 0, ".....", "xxdxx", 105}, // occupied, though it will draw nothing
        {28, SPLIT_FULL_WINDOW, 50, 0, ".....", "xxxxx", 105},
        {28, SPLIT_FULL_WINDOW, 50, 0, "xxxxx", "xxxxg", 0}, // not navigating: the navigation set is ignored
        {28, SPLIT_FULL_WINDOW, 50, 1, "xxxxx", ".....", 105},
        {28, SPLIT_FULL_WINDOW, 50, 1, "xxxx.", "xxxxx", 105}, // falls back on the standard set
        // Chart plus chart at 50 %: box 2 under the divider.
        {26, SPLIT_RIGHT_WINDOW, 50, 0, ".....", "..xxx", 105},
        {26, SPLIT_RIGHT_WINDOW, 50, 0, ".....", "xx.xx", 0},
        {26, SPLIT_LEFT_WINDOW, 50, 0, ".....", "xxx..", 105},
        {26, SPLIT_LEFT_WINDOW, 50, 0, ".....", "xx.xx", 0},
        {26, SPLIT_FULL_WINDOW, 50, 0, ".....", ".....", 105},
        {34, SPLIT_LEFT_WINDOW, 20, 1, "x....", ".....", 105},
        // No box under the divider: the right pane is clear of the bar,
        // the left one runs under it.
        {26, SPLIT_RIGHT_WINDOW, 95, 0, ".....", ".....", 105},
        {26, SPLIT_LEFT_WINDOW, 95, 0, ".....", "xxxxx", 0},
        {10, SPLIT_FULL_WINDOW, 50, 0, ".....", "xxxxx", 0},
    };
    for (const ChartCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "view " << c.view << " pane " << c.pane << " nav " << c.navigation
                                        << " std " << c.standard << " at " << c.percent);
        setS32("SZCC", c.percent);
        setS32("SZCT", c.percent);
        fill(t_info::selectionNavigation(), c.navigation);
        fill(t_info::selectionStandard(), c.standard);
        setU32("INIP", c.inip);
        EXPECT_EQ(T_INFO_s32Instrumentation2_Chart_YOrigin(c.view, c.pane), c.expected);
    }
    setU32("INIP", 0);
}

struct BandCase {
    const char* boxes;
    S32 minY;
    S32 maxY;
    S32 expected;
};

TEST(InfoBarBoxWidth, Bands)
{
    world();
    const std::vector<BandCase> cases = {
        {"x....", 0, 50, 162},
        {"x....", 104, 300, 162},
        {"x....", 105, 300, 0}, // above the bar
        {"p....", 20, 30, 162},  // a drawn readout counts
        {"d....", 20, 30, 0},    // its data key is gone
        {"g....", 20, 30, 0},    // the readout is gone
        {".....", 20, 30, 0},
        {".x...", 0, 50, 162},   // row 0 lies in box 1's band too
        {".x...", 2, 50, 0},     // above band 1
        {"....x", -420, -400, 162},
        {"....x", -500, -450, 0},
    };
    for (const BandCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.boxes << " rows " << c.minY << ".." << c.maxY);
        standard(c.boxes);
        EXPECT_EQ(T_INFO_nBoxWidth_Common(c.minY, c.maxY, t_info::selectionStandard()), c.expected);
        EXPECT_EQ(T_INFO_nBoxWidth_SonarView(c.minY, c.maxY), c.expected);
        EXPECT_EQ(T_INFO_nBoxWidth_TrackChartView(c.minY, c.maxY), c.expected);
    }
    fill(t_info::selectionNavigation(), "x....");
    standard(".....");
    fill(t_info::selectionNavigation(), "x....");
    setU32("INIP", 1);
    EXPECT_EQ(T_INFO_nBoxWidth_SonarView(0, 50), 162);
    setU32("INIP", 0);
    EXPECT_EQ(T_INFO_nBoxWidth_SonarView(0, 50), 0);
}

// The bar's frame around drawn cells: rules above them, a separator between
// two drawn cells, a wide edge where a drawn cell meets an empty one, and
// nothing over empty cells. Also the perspective views' background strip.
TEST(InfoBarDrawing, CellsRulesAndSeparators)
{
    world();
    static const bool once = [] {
        T_INFO_vInit(); // the info palette in entries 128-131
        return true;
    }();
    (void)once;
    const COLOR text = color(INFO_COLOR_TEXT), background = color(INFO_COLOR_BACKGROUND),
                separator = color(INFO_COLOR_LIGHT);
    standard("xx.d.");
    T_INFO_vSetAlpha(0);
    WINDOW_SPECIFICATION spec = {};
    spec.currentLayer = 10;
    gt::TestBitmap screen(800, 600, BACKGROUND);
    T_INFO_vDrawInfoLayer_Instrumentation_Common(screen, &spec, t_info::selectionStandard());
    EXPECT_EQ(screen.at(10, 102), text);
    EXPECT_EQ(screen.at(170, 102), text);
    EXPECT_EQ(screen.at(10, 104), background);
    EXPECT_EQ(screen.at(0, 50), background) << "left edge of cell 0";
    EXPECT_EQ(screen.at(158, 50), separator);
    EXPECT_EQ(screen.at(159, 2), background);
    for (int x : {318, 319, 320})
        EXPECT_EQ(screen.at(x, 50), text) << x;
    EXPECT_EQ(screen.at(321, 50), background);
    // Cell 3 names a missing data key and cell 2 is off: both stay empty.
    for (int x : {330, 500, 650, 799})
        for (int y : {0, 50, 102, 104})
            EXPECT_EQ(screen.at(x, y), BACKGROUND) << x << "," << y;
    EXPECT_EQ(screen.at(10, 105), BACKGROUND) << "nothing above the bar";

    // The perspective instrument view while navigating: a 210-high strip.
    spec.currentLayer = CHART_PLUS_BIRDS_EYE_INSTRUMENT_VIEW_PRIORITY;
    H_DATABASE_bUpdateEverythingS32(FCID("SZI2"), 50, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    for (U32 inip : {1u, 0u}) {
        SCOPED_TRACE(inip);
        setU32("INIP", inip);
        gt::TestBitmap strip(800, 600, BACKGROUND);
        T_INFO_vDrawInfoLayer_Instrumentation_Common(strip, &spec, t_info::selectionStandard());
        EXPECT_EQ(strip.at(390, 209), inip ? background : BACKGROUND);
        EXPECT_EQ(strip.at(390, 104), background);
        EXPECT_EQ(strip.at(390, inip ? 210 : 105), BACKGROUND);
        EXPECT_EQ(strip.at(500, 150), BACKGROUND) << "the strip covers the left pane only";
    }
}

// ---- The navigation strip above the bar ----

// What the strip asks of the navigation core, the radar and the trolling
// motor, scripted per test; the calls to the radar are logged in order.
struct StripWorld {
    BOOLEAN bMob = FALSE;
    BOOLEAN bRadarView = FALSE;
    BOOLEAN bStayvane = FALSE;
    std::string targetName;
    std::vector<std::string> calls;
};
StripWorld g_strip;

constexpr COLOR RADAR_INK = 0x07FF;
const COLOR MARK_COLOUR = 0x0360; // icon index 9

const U8 s_markData[50] = {0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99,
                           0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99,
                           0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99,
                           0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99};
const U8 s_markTransparent = 15;
// A 10 x 10 square: the man-overboard waypoint's icon in these tests.
const ICON s_mark = {s_markData, &s_markTransparent, 10, 10, ICON_TRANSPARENT_COLOR};

void stripWorld()
{
    world();
    static const bool once = [] {
        U_CONVERT_vInitialiseConversionUtility();
        T_INFO_vInit();
        return true;
    }();
    (void)once;
    g_strip = StripWorld{};
    T_INFO_NEIGHBOURS hooks = {};
    hooks.pfnMOBInProgress = [] { return g_strip.bMob; };
    hooks.pfnIsMyRadarInfoView = [](LAYER_ID) { return g_strip.bRadarView; };
    hooks.pfnSetRadarReadoutBoxDrawing = [] { g_strip.calls.push_back("radar told"); };
    // The radar's boxes: a 60 x 60 block.
    hooks.pfnDrawRadarReadoutInfoBox = [](BITMAP* pBitmap, S32 x, S32 y) -> U32 {
        g_strip.calls.push_back("radar boxes at " + std::to_string(x) + "," + std::to_string(y));
        const POINT at = {x, y < 0 ? y + 600 - 60 : y};
        G_BOX_vDrawFilled(pBitmap, RADAR_INK, &at, 60, 60);
        return 60;
    };
    hooks.pfnRadarSplitPosition = [](S32, S32 percent) { return percent * 8; };
    hooks.pfnStayvaneActive = [] { return g_strip.bStayvane; };
    hooks.pfnStevrinTargetName = [](char* pacName, U32 u32Size) {
        snprintf(pacName, u32Size, "%s", g_strip.targetName.c_str());
    };
    hooks.pfnLargeWaypointIcon = [](U32) -> const ICON* { return &s_mark; };
    hooks.pfnCopyWaypointName = [](U32, char* pcName, U32 u32Limit) { snprintf(pcName, u32Limit, "HARBOUR"); };
    T_INFO_vInstallNeighbours(&hooks);
    T_INFO_vSetAlpha(0);
    for (FOURCHARID key : {FCID("INIP"), FCID("IPMD"), FCID("IPAH"), FCID("SATO"), FCID("IDWP"), FCID("ICAC")})
        H_DATABASE_bUpdateEverythingU32(key, 0, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingBoolean(FCID("IPNO"), FALSE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingBoolean(FCID("IPUF"), FALSE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingS32(FCID("CVEW"), 10, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

void setTrue(const char (&key)[5], BOOLEAN b)
{
    H_DATABASE_bUpdateEverythingBoolean(FCID(key), b, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

// Every pixel of the icon drawn with its lower-left corner at (x, y).
void expectIconAt(gt::TestBitmap& screen, const ICON* pIcon, int x, int y)
{
    gt::TestBitmap alone(800, 600, BACKGROUND);
    const POINT at = {x, y};
    G_ICON_vPut(alone, pIcon, &at);
    int drawn = 0, differing = 0;
    for (int py = 0; py < 600; ++py)
        for (int px = 0; px < 800; ++px)
            if (alone.at(px, py) != BACKGROUND) {
                ++drawn;
                differing += screen.at(px, py) != alone.at(px, py);
            }
    EXPECT_GT(drawn, 0);
    EXPECT_EQ(differing, 0) << "icon at " << x << "," << y;
}

bool anyPixelOf(gt::TestBitmap& screen, COLOR c) { return extentOf(screen, c).has_value(); }

TEST(InfoBarStrip, ManOverboardInARadarSplitViewDrawsTheRadarBoxesThenTheMOBBar)
{
    stripWorld();
    setU32("INIP", 1);
    fill(t_info::selectionNavigation(), "x....");
    setS32("SZRC", 50);
    g_strip.bMob = TRUE;
    WINDOW_SPECIFICATION spec = {};
    spec.currentLayer = 66;
    gt::TestBitmap screen(800, 600, BACKGROUND);
    T_INFO_vDrawInfoLayer_Instrumentation_Common(screen, &spec, t_info::selectionNavigation());

    // A cell was drawn: the strip starts at y 107; the radar boxes sit at
    // the divider + 2.
    EXPECT_EQ(g_strip.calls, (std::vector<std::string>{"radar told", "radar boxes at 402,107"}));
    const COLOR red = color(36), white = color(35), background = color(INFO_COLOR_BACKGROUND);
    // The MOB bar's frame (x0 = 3, half = 373) lies over the radar's boxes.
    for (int x : {0, 300, 410, 799})
        EXPECT_EQ(screen.at(x, 105), red) << x;
    EXPECT_EQ(screen.at(410, 159), red) << "the top rule over the radar's block";
    EXPECT_EQ(screen.at(410, 161), white);
    EXPECT_EQ(screen.at(410, 130), background) << "the bar's background over the radar's block";
    EXPECT_EQ(screen.at(410, 165), RADAR_INK) << "the block shows above the bar";
    for (int x : {0, 2, 54, 55, 427, 428})
        EXPECT_EQ(screen.at(x, 130), red) << "vertical at " << x;
    EXPECT_EQ(screen.at(3, 107 + 54), white);
    // The waypoint's icon centred in the 48 x 51 area at (6, 107).
    expectIconAt(screen, &s_mark, 6 + 19, 107 + 20);
    EXPECT_EQ(screen.at(10, 200), BACKGROUND) << "nothing above the strip";

    // No man-overboard: the radar boxes from the top, then the
    // destination's bar at the strip's anchor.
    g_strip.bMob = FALSE;
    g_strip.calls.clear();
    gt::TestBitmap plain(800, 600, BACKGROUND);
    T_INFO_vDrawInfoLayer_Instrumentation_Common(plain, &spec, t_info::selectionNavigation());
    EXPECT_EQ(g_strip.calls, (std::vector<std::string>{"radar told", "radar boxes at 402,-1"}));
    EXPECT_NE(plain.at(410, 105), red);
    expectIconAt(plain, &s_mark, 3 + 4, 104 + 4);
}

TEST(InfoBarStrip, TrollingMotorTargetsAndPrefixes)
{
    struct Case {
        const char* name;
        U32 mode;
        U32 heading; // "IPAH"
        const ICON* content;
        const ICON* prefix; // drawn at its place, or null
        int p;              // the prefix's width in the bar
    };
    const Case cases[] = {
        // Recording without navigation: no navigation prefix, the
        // recording icon and the target's name.
        {"recording", 4, 0, &TrackRecording_icon, nullptr, 0},
        // With an autopilot heading the autopilot takes the prefix.
        {"recording on autopilot", 4, 90, &TrackRecording_icon, &AutopilotLegacy_icon, 28},
        {"to a track's start", 1, 0, &TrackStart_icon, &StevrinNav_icon, 28},
        {"to a track's end", 2, 0, &TrackEnd_icon, &StevrinNav_icon, 28},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        stripWorld();
        fill(t_info::selectionStandard(), ".....");
        setTrue("IPNO", TRUE);
        setU32("IPMD", c.mode);
        setU32("IPAH", c.heading);
        g_strip.targetName = "TRACK 7";
        WINDOW_SPECIFICATION spec = {};
        spec.currentLayer = 10;
        gt::TestBitmap screen(800, 600, BACKGROUND);
        T_INFO_vDrawInfoLayer_Instrumentation_Common(screen, &spec, t_info::selectionStandard());

        // No cell: the bar's anchor is (3, 0); icons are 20 high under a
        // 24-high navigation icon, so the box is 32 high.
        const int x = 3, y = 0, ih = 24;
        const int tw = (int)G_STRING_u32GetWidth(std_16x17_font_def_ptr.load(), (const BYTE*)"TRACK 7");
        const int w = 20 + c.p + 16 + tw;
        const COLOR text = color(INFO_COLOR_TEXT);
        EXPECT_EQ(screen.at(x + w, 10), text) << "right rule after the name";
        EXPECT_EQ(screen.at(x + w + 3, 10), BACKGROUND);
        EXPECT_EQ(screen.at(x + w / 2, y + ih + 9), text) << "top rule";
        expectIconAt(screen, c.content, x + c.p + 4, y + 4);
        if (c.prefix == &StevrinNav_icon)
            expectIconAt(screen, c.prefix, x + 4, y + 4);
        else if (c.prefix != nullptr)
            expectIconAt(screen, c.prefix, x, y);
        if (c.prefix != &StevrinNav_icon) {
            EXPECT_FALSE(anyPixelOf(screen, color(80 + 12))) << "no navigation icon";
        }
    }
}

TEST(InfoBarStrip, AutopilotIconWithoutNavigation)
{
    for (U32 style : {0u, 1u}) {
        SCOPED_TRACE(style);
        stripWorld();
        fill(t_info::selectionStandard(), "x....");
        setTrue("IPUF", TRUE);
        setU32("IPMD", 1);
        setU32("IPAH", 45);
        setU32("SATO", style);
        WINDOW_SPECIFICATION spec = {};
        spec.currentLayer = 10;
        gt::TestBitmap screen(800, 600, BACKGROUND);
        T_INFO_vDrawInfoLayer_Instrumentation_Common(screen, &spec, t_info::selectionStandard());
        expectIconAt(screen, style != 0 ? &Autopilot_icon : &AutopilotLegacy_icon, 3, 104);
        // In recording mode the autopilot icon belongs to the target's bar.
        setU32("IPMD", 4);
        gt::TestBitmap recording(800, 600, BACKGROUND);
        T_INFO_vDrawInfoLayer_Instrumentation_Common(recording, &spec, t_info::selectionStandard());
        EXPECT_EQ(extentOf(recording, std::nullopt)->top, 104) << "nothing above the bar";
    }
}

TEST(InfoBarStrip, PositionHoldPutsTheChartOnTheNavigationSet)
{
    stripWorld();
    fill(t_info::selectionNavigation(), "x....");
    fill(t_info::selectionStandard(), ".....");
    g_strip.bStayvane = TRUE;
    WINDOW_SPECIFICATION spec = {};
    spec.currentLayer = 28;
    gt::TestBitmap chart(800, 600, BACKGROUND);
    T_INFO_vDrawInfoLayer_Instrumentation_TrackChartView(chart, &spec);
    EXPECT_EQ(chart.at(10, 102), color(INFO_COLOR_TEXT)) << "the navigation set's box";
    spec.currentLayer = 23;
    gt::TestBitmap perspective(800, 600, BACKGROUND);
    T_INFO_vDrawInfoLayer_Instrumentation_BirdsEyeView(perspective, &spec);
    EXPECT_NE(perspective.at(10, 102), color(INFO_COLOR_TEXT)) << "the perspective view keeps the standard set";
}

TEST(InfoBarStrip, GoldenFiveBoxesUnderTheMOBBar)
{
    stripWorld();
    static const bool once = [] {
        H_DATABASE_bUpdateEverythingFloat(FCID("ISPD"), 4.2f, P_NORMAL, D_SPEED, nullptr, DB_TIMEOUT_NEVER);
        H_DATABASE_bUpdateEverythingFloat(FCID("IHDG"), 213.0f, P_NORMAL, D_HEADING, nullptr, DB_TIMEOUT_NEVER);
        H_DATABASE_bUpdateEverythingFloat(FCID("IVLT"), 13.1f, P_NORMAL, D_VOLTAGE, nullptr, DB_TIMEOUT_NEVER);
        H_DATABASE_bUpdateEverythingFloat(FCID("IDTG"), 0.3f, P_NORMAL, D_DISTANCE, nullptr, DB_TIMEOUT_NEVER);
        for (auto [readout, data] : {std::pair{FCID("BSPX"), FCID("ISPD")}, std::pair{FCID("BHDX"), FCID("IHDG")},
                                     std::pair{FCID("BVLX"), FCID("IVLT")}, std::pair{FCID("BDTX"), FCID("IDTG")}})
            H_DATABASE_bUpdateEverythingU32(readout, data, P_NORMAL, D_FCID, nullptr, DB_TIMEOUT_NEVER);
        return true;
    }();
    (void)once;
    H_DATABASE_bUpdateEverythingFloat(FCID("IDEP"), 12.5f, P_NORMAL, D_DEPTH, nullptr, DB_TIMEOUT_NEVER);
    setU32("SFMT", SMALL_TENTHS);
    setU32("INIP", 1);
    setU32("IDWP", 3);
    const FOURCHARID readouts[5] = {FCID("BDEP"), FCID("BSPX"), FCID("BHDX"), FCID("BDTX"), FCID("BVLX")};
    for (int k = 0; k < 5; ++k)
        H_DATABASE_bUpdateEverythingU32(t_info::selectionNavigation()[k], readouts[k], P_NORMAL, D_FCID, nullptr,
                                        DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingFloat(FCID("MOBX"), 45.5f, P_NORMAL, D_POSITION_LAT, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingFloat(FCID("MOBY"), -93.25f, P_NORMAL, D_POSITION_LON, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingU32(FCID("MOBT"), 125, P_NORMAL, D_LONG_TIME, nullptr, DB_TIMEOUT_NEVER);
    setU32("SIPF", 5);
    T_INFO_NEIGHBOURS hooks = t_info::neighbours();
    hooks.pfnFormatPosition = [](DATA_TYPE eType, double dValue, char* sValue, U32, U32) {
        snprintf(sValue, 20, "%c %.3f", eType == D_POSITION_LAT ? 'N' : 'W', dValue < 0 ? -dValue : dValue);
    };
    T_INFO_vInstallNeighbours(&hooks);
    g_strip.bMob = TRUE;
    WINDOW_SPECIFICATION spec = {};
    spec.currentLayer = 10;
    spec.u32User = 0;
    gt::TestBitmap screen(800, 200, 0x7BEF);
    T_INFO_vDrawInfoLayer_Instrumentation_TrackChartView(screen, &spec);
    expectGolden(screen, "info_bar_mob");
}

} // namespace
