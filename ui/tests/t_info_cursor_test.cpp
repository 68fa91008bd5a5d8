// The cursor readout along the top of the screen and the cursor mark: the
// panes that get a box and those that get nothing, the sonar box's columns
// with and without a position and a zoom window, the radar's own icons,
// and a picture of the sonar box with a position.
#include "ui/t_info_bar.h"
#include "ui/t_info_icons.h"
#include "ui/t_info_state.h"
#include "ui/t_info_task.h"
#include "ui/tests/draw_fixture.h"

#include "graphics/g_string.h"
#include "util/u_convert.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace dtest;

namespace {

// What the readout asks of the sonar history, the navigation core and the
// radar, scripted per test.
struct CursorWorld {
    BOOLEAN bSonarPane = FALSE;
    BOOLEAN bChartPane = FALSE;
    BOOLEAN bRadarPane = FALSE;
    S32 siZoom = 0; // 0: no side-looking zoom window
    S32 diZoom = 0;
    std::vector<std::string> calls;
};
CursorWorld g_cursor;

// A 20 x 20 cursor in icon colour 9.
U8 s_cursorData[200];
const U8 s_cursorTransparent = 15;
const ICON s_cursor = {s_cursorData, &s_cursorTransparent, 20, 20, ICON_TRANSPARENT_COLOR};
const COLOR CURSOR_COLOUR = 0x0360;

constexpr S32 ICON_WIDTH = 20;
constexpr S32 Q = (780 - ICON_WIDTH) / 4; // 190

void setU32(const char (&key)[5], U32 v, DATA_TYPE eType = D_UNKNOWN)
{
    H_DATABASE_bUpdateEverythingU32(FCID(key), v, P_NORMAL, eType, nullptr, DB_TIMEOUT_NEVER);
}
void setS32(const char (&key)[5], S32 v)
{
    H_DATABASE_bUpdateEverythingS32(FCID(key), v, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}
void setFloat(const char (&key)[5], float v, DATA_TYPE eType)
{
    H_DATABASE_bUpdateEverythingFloat(FCID(key), v, P_NORMAL, eType, nullptr, DB_TIMEOUT_NEVER);
}

void world()
{
    prepareWorld();
    static const bool once = [] {
        U_CONVERT_vInitialiseConversionUtility();
        T_INFO_vInit();
        memset(s_cursorData, 0x99, sizeof s_cursorData);
        return true;
    }();
    (void)once;
    g_cursor = CursorWorld{};
    T_INFO_NEIGHBOURS hooks = {};
    hooks.pfnCursorIcon = []() -> const ICON* { return &s_cursor; };
    hooks.pfnIsMyCursorView = [](LAYER_ID, SPLIT_WINDOW_TYPE) { return g_cursor.bSonarPane; };
    hooks.pfnIsMyChartCursorView = [](LAYER_ID, SPLIT_WINDOW_TYPE) { return g_cursor.bChartPane; };
    hooks.pfnIsMyRadarInfoView = [](LAYER_ID) { return g_cursor.bRadarPane; };
    hooks.pfnDrawSiZoomWindow = [](BITMAP*, WINDOW_SPECIFICATION*, S32* pFactor, S32*) {
        g_cursor.calls.push_back("side zoom");
        if (pFactor != nullptr)
            *pFactor = g_cursor.siZoom;
        return (BOOLEAN)(g_cursor.siZoom != 0);
    };
    hooks.pfnDrawDiZoomWindow = [](BITMAP*, WINDOW_SPECIFICATION*, S32* pFactor, S32*) {
        g_cursor.calls.push_back("down zoom");
        if (pFactor != nullptr)
            *pFactor = g_cursor.diZoom;
        return (BOOLEAN)(g_cursor.diZoom != 0);
    };
    T_INFO_vInstallNeighbours(&hooks);
    T_INFO_vSetAlpha(0);
    if (!T_INFO_bBlinkState())
        T_INFO_vBlinkTick();
    setS32("CVEW", 10);
    setS32("CVAS", SPLIT_FULL_WINDOW);
    t_info::setCurrentView(10);
    setU32("SFMT", SMALL_TENTHS);
    setU32("ICAC", 1);
    setU32("ICLV", 0);
    setS32("ICPX", 400);
    setS32("ICPY", 300);
    setU32("ICWP", 0xFFFF);
    setU32("ICIT", 0xFFFF);
    setFloat("ICDP", 8.5f, D_DEPTH);
    setFloat("ICCD", 4.2f, D_DEPTH);
    setFloat("ICBH", 123.0f, D_HEADING);
    setFloat("ICBD", 0.4f, D_DISTANCE);
}

void drawReadout(gt::TestBitmap& screen, LAYER_ID layer = 10)
{
    WINDOW_SPECIFICATION spec = {};
    spec.currentLayer = layer;
    spec.activeWindow = SPLIT_FULL_WINDOW;
    T_INFO_vDrawInfoLayer_ActiveCursor(screen, &spec, POINT{800, 0});
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

// Text-coloured pixels inside a rectangle of the box.
int inkIn(gt::TestBitmap& screen, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            n += screen.at(x, y) == color(INFO_COLOR_TEXT);
    return n;
}

// Column c from the right of a box W wide.
int columnX(int W, int q, int c) { return W - (c + 1) * (q + 2); }

// The label of a column: right-aligned, its top rows near the box's top.
struct Span {
    int left, right;
};
Span labelSpan(int x, int q, const char* text)
{
    const int tw = (int)G_STRING_u32GetWidth(std_11x14_font_def_ptr.load(), (const BYTE*)text);
    return {x + q - 4 - tw, x + q - 5};
}

TEST(InfoCursor, InactiveCursorDrawsNothing)
{
    world();
    g_cursor.bSonarPane = TRUE;
    setU32("ICAC", 0);
    gt::TestBitmap screen(800, 600, BACKGROUND);
    drawReadout(screen);
    EXPECT_FALSE(extentOf(screen, std::nullopt).has_value());
    EXPECT_TRUE(g_cursor.calls.empty()) << "not even the zoom windows";

    // Through the bar as well: no box, no mark.
    gt::TestBitmap bar(800, 600, BACKGROUND);
    WINDOW_SPECIFICATION spec = {};
    spec.currentLayer = 10;
    T_INFO_vDrawInfoLayer_Instrumentation_Common(bar, &spec, t_info::selectionStandard());
    EXPECT_FALSE(extentOf(bar, std::nullopt).has_value());
}

TEST(InfoCursor, OtherPanesDrawNothing)
{
    world();
    gt::TestBitmap screen(800, 600, BACKGROUND);
    drawReadout(screen);
    EXPECT_FALSE(extentOf(screen, std::nullopt).has_value());
}

TEST(InfoCursor, SonarCursorWithoutPosition)
{
    for (bool bDepth : {true, false}) {
        SCOPED_TRACE(bDepth ? "with a depth" : "depth 0");
        world();
        g_cursor.bSonarPane = TRUE;
        if (!bDepth)
            setFloat("ICDP", 0.0f, D_DEPTH);
        gt::TestBitmap screen(800, 600, BACKGROUND);
    drawReadout(screen);

        // Two columns: "Depth" and "Cursor", then the icon.
        const int W = (Q + 2) * 2 + ICON_WIDTH + 8;
        EXPECT_EQ(extentOf(screen, color(INFO_COLOR_BACKGROUND)), (Extent{0, 554, W - 1, 599}));
        EXPECT_EQ(screen.at(W + 1, 570), color(INFO_COLOR_TEXT)) << "right rule";
        EXPECT_EQ(screen.at(W / 2, 552), color(INFO_COLOR_TEXT)) << "rule below";
        const int depthX = columnX(W, Q, 0), cursorX = columnX(W, Q, 1);
        EXPECT_EQ(screen.at(cursorX + Q, 570), color(INFO_COLOR_TEXT)) << "separator";
        expectIconAt(screen, &s_cursor, cursorX - 4 - ICON_WIDTH, 577 - 10);

        // The depth column: its label always, its value only with a depth.
        const Span depth = labelSpan(depthX, Q, "Depth");
        EXPECT_GT(inkIn(screen, depth.left, 580, depth.right, 599), 0) << "\"Depth\"";
        EXPECT_EQ(inkIn(screen, depthX, 554, depth.left - 1, 599) > 0, bDepth) << "the depth's value";
        const Span cursor = labelSpan(cursorX, Q, "Cursor");
        EXPECT_GT(inkIn(screen, cursor.left, 580, cursor.right, 599), 0) << "\"Cursor\"";
        EXPECT_GT(inkIn(screen, cursorX, 554, cursor.left - 1, 599), 0) << "the cursor's depth";

        // And the mark at the cursor.
        expectIconAt(screen, &s_cursor, 400 - 10, 300 - 10);
    }
}

TEST(InfoCursor, SonarCursorWithPositionAndZoomSplitsTheBearingColumn)
{
    for (S32 zoom : {0, 4}) {
        SCOPED_TRACE(zoom);
        world();
        g_cursor.bSonarPane = TRUE;
        g_cursor.siZoom = zoom;
        setU32("ICLV", 1);
        gt::TestBitmap screen(800, 600, BACKGROUND);
    drawReadout(screen);

        const int W = ICON_WIDTH + 20 + 4 * Q + (780 - ICON_WIDTH) % 4;
        EXPECT_EQ(W, 800);
        const int bearingX = columnX(W, Q, 0);
        const int lineRow = 554 + 22;
        const bool bFullLine = inkIn(screen, bearingX, lineRow, bearingX + Q - 1, lineRow) == Q;
        EXPECT_EQ(bFullLine, zoom != 0) << "the line across the column at half height";
        const Span bearing = labelSpan(bearingX, Q, "Bearing");
        if (zoom != 0) {
            // "Zoom 4x" centred on the lower half, the bearing above.
            char text[16];
            snprintf(text, sizeof text, "Zoom %dx", zoom);
            const int tw = (int)G_STRING_u32GetWidth(std_11x14_font_def_ptr.load(), (const BYTE*)text);
            const int left = bearingX + (Q - tw) / 2;
            EXPECT_GT(inkIn(screen, left, 554, left + tw - 1, lineRow - 1), 0);
            EXPECT_EQ(inkIn(screen, bearingX, 554, left - 1, lineRow - 1), 0);
            EXPECT_GT(inkIn(screen, bearingX, lineRow + 2, bearingX + Q - 1, 599), 0);
            EXPECT_EQ(inkIn(screen, 380, 280, 420, 320), 0);
            EXPECT_FALSE(extentOf(screen, CURSOR_COLOUR)->bottom < 554) << "no mark while zoomed";
        } else {
            EXPECT_GT(inkIn(screen, bearing.left, 580, bearing.right, 599), 0) << "\"Bearing\"";
            expectIconAt(screen, &s_cursor, 400 - 10, 300 - 10);
        }
        // Four columns, whatever the zoom, and the icon before the last.
        expectIconAt(screen, &s_cursor, columnX(W, Q, 3) - 4 - ICON_WIDTH, 567);
        // The down-looking zoom window is asked first and drawn again last.
        EXPECT_EQ(g_cursor.calls, (std::vector<std::string>{"side zoom", "down zoom", "down zoom"}));
    }
}

TEST(InfoCursor, RadarCursorOnATrack)
{
    world();
    g_cursor.bRadarPane = TRUE;
    setU32("ICIT", 3);
    gt::TestBitmap screen(800, 600, BACKGROUND);
    drawReadout(screen, 65);
    // The radar's own icon at the box's left end, the waypoint cursor at the
    // cursor, a black box with white labels.
    const int iw = 31, q = (786 - iw) / 3, W = iw + 14 + 3 * q + (786 - iw) % 3;
    expectIconAt(screen, &RadarCursor_icon, columnX(W, q, 2) - 4 - iw, 577 - 15);
    expectIconAt(screen, &Waypointcursor_icon, 400 - 15, 300 - 15);
    EXPECT_EQ(screen.at(300, 560), color(32));
    EXPECT_EQ(screen.at(300, 552), color(35)) << "rule below in white";
    EXPECT_FALSE(extentOf(screen, CURSOR_COLOUR).has_value()) << "no plain cursor";

    // Off the track: the radar cursor at the cursor.
    setU32("ICIT", 0xFFFF);
    gt::TestBitmap off(800, 600, BACKGROUND);
    drawReadout(off, 65);
    expectIconAt(off, &RadarCursor_icon, 400 - 15, 300 - 15);
}

TEST(InfoCursor, ChartCursorMarksAWaypoint)
{
    world();
    g_cursor.bChartPane = TRUE;
    setU32("ICWP", 7);
    gt::TestBitmap screen(800, 600, BACKGROUND);
    drawReadout(screen, 28);
    expectIconAt(screen, &Waypointcursor_icon, 400 - 15, 300 - 15);
    expectIconAt(screen, &s_cursor, columnX(800, (786 - 20) / 3, 2) - 4 - 20, 567);
    EXPECT_EQ(screen.at(150, 570), color(INFO_COLOR_BACKGROUND)) << "no position: an empty column";

    // The sonar's mark never shows the waypoint cursor for "ICWP".
    gt::TestBitmap mark(800, 600, BACKGROUND);
    T_INFO_vDrawCursor(mark, 0, FALSE);
    expectIconAt(mark, &s_cursor, 400 - 10, 300 - 10);
}

TEST(InfoCursor, ThreePaneViewMirrorsTheMarkOnItsLeftPane)
{
    world();
    t_info::setCurrentView(42);
    setS32("CVEW", 42);
    setS32("CVAS", SPLIT_LEFT_WINDOW);
    for (int k = 0; k < 5; ++k) // no box: the left pane starts at 0
        H_DATABASE_bUpdateEverythingU32(t_info::selectionStandard()[k], 0, P_NORMAL, D_FCID, nullptr,
                                        DB_TIMEOUT_NEVER);
    setU32("INIP", 0);
    setS32("ICPY", 450);
    gt::TestBitmap screen(800, 600, BACKGROUND);
    T_INFO_vDrawCursor(screen, 0, FALSE);
    expectIconAt(screen, &s_cursor, 390, 440);
    expectIconAt(screen, &s_cursor, 390, 440 - 300);
}

TEST(InfoCursor, The360PaneHasItsOwnBlackBox)
{
    for (BOOLEAN bOnWaypoint : {FALSE, TRUE}) {
        SCOPED_TRACE(bOnWaypoint ? "on a waypoint" : "free");
        world();
        static BOOLEAN s_bOnWaypoint;
        s_bOnWaypoint = bOnWaypoint;
        T_INFO_NEIGHBOURS hooks = t_info::neighbours();
        hooks.pfnCursoredWaypointInMSS = [] { return s_bOnWaypoint; };
        hooks.pfnMSSCursorOffset = [](POINT* pPoint) {
            pPoint->x += 7;
            return (BOOLEAN)TRUE;
        };
        T_INFO_vInstallNeighbours(&hooks);
        setS32("CVEW", 56);
        t_info::setCurrentView(56);
        setFloat("ICMB", 45.0f, D_HEADING);
        setFloat("ICMD", 0.2f, D_DISTANCE);
        gt::TestBitmap screen(800, 600, BACKGROUND);
        WINDOW_SPECIFICATION spec = {};
        spec.currentLayer = 56;
        T_INFO_vDrawInfoLayer_Instrumentation_Common(screen, &spec, t_info::selectionStandard());

        // Bearing and distance, a white separator after each, the icon.
        const int W = ICON_WIDTH + 2 * Q + 11;
        EXPECT_EQ(screen.at(1 + W + 1, 570), color(35)) << "right edge";
        EXPECT_EQ(screen.at(100, 552), color(35)) << "edge below";
        EXPECT_EQ(screen.at(1 + Q, 570), color(35));
        EXPECT_EQ(screen.at(1 + 2 * Q + 2, 570), color(35));
        EXPECT_EQ(screen.at(1 + W + 5, 570), BACKGROUND);
        EXPECT_EQ(extentOf(screen, color(35))->top, 599);
        if (bOnWaypoint) {
            EXPECT_FALSE(extentOf(screen, CURSOR_COLOUR).has_value()) << "neither icon nor mark";
        } else {
            expectIconAt(screen, &s_cursor, 1 + W - 4 - ICON_WIDTH, 567);
            // The mark, moved by the picture's offset.
            expectIconAt(screen, &s_cursor, 400 + 1 - 10 + 7, 300 - 10);
        }
    }
}

TEST(InfoCursor, DebugBoxesDownTheLeftEdge)
{
    world();
    setFloat("DDB1", 1.5f, D_FLOAT);
    setFloat("DDB3", 3.5f, D_FLOAT);
    gt::TestBitmap screen(800, 600, BACKGROUND);
    T_INFO_vDrawInfoLayer_Debug(screen, JUSTIFY_LEFT, 0);
    const COLOR white = color(INFO_COLOR_BACKGROUND);
    EXPECT_EQ(screen.at(1, 600 - 24), white) << "DDB1 from the top";
    EXPECT_EQ(screen.at(1, 600 - 48), BACKGROUND) << "DDB2 does not exist";
    EXPECT_EQ(screen.at(1, 600 - 72), white);
    EXPECT_EQ(extentOf(screen, std::nullopt)->bottom, 600 - 72);
}

TEST(InfoCursor, GoldenSonarBoxWithPosition)
{
    world();
    g_cursor.bSonarPane = TRUE;
    setU32("ICLV", 1);
    H_DATABASE_bUpdateEverythingU32(FCID("YUDP"), U_METRES, P_NORMAL, D_UNITS, nullptr, DB_TIMEOUT_NEVER);
    setS32("ICPY", 500);
    gt::TestBitmap screen(800, 600, 0x7BEF);
    WINDOW_SPECIFICATION spec = {};
    spec.currentLayer = 10;
    spec.activeWindow = SPLIT_FULL_WINDOW;
    T_INFO_vDrawInfoLayer_ActiveCursor(screen, &spec, POINT{800, 0});
    expectGolden(screen, "info_cursor_sonar");
}

} // namespace
