// The rules every navigation painter shares: points relative to the pane
// centre across the date line, the pixel of a point on a turned pane, the
// clipped polyline, icons centred on a point, the trolling-motor heading
// line, the proximity comparators and the scale-bar rows.
#include "nav/tests/nav_pane.h"

#include "nav/core/t_nav_scale_bar.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace pane;

namespace {

// --- Relative points and pixels ------------------------------------------------

TEST_F(Painters, PointsAreRelativeToTheCentreWithXWrappedOnceAroundTheWorld)
{
    struct Case {
        const char* what;
        POINT centre, point, relative;
    };
    const Case cases[] = {
        {"300 m east of the date line from 300 m west of it", {20038000, 0}, {-20038000, 0}, {600, 0}},
        {"300 m west of the date line from 300 m east of it", {-20038000, 0}, {20038000, 0}, {-600, 0}},
        {"a plain offset", {1000, 2000}, {1500, -500}, {500, -2500}},
        {"exactly half the world is not wrapped", {0, 0}, {20038300, 0}, {20038300, 0}},
        {"y is never wrapped", {0, -15000000}, {0, 15000000}, {0, 30000000}},
        {"a position outside the world saturates", {0, -2000000000}, {0, 2000000000}, {0, INT32_MAX}},
    };
    for (const Case& c : cases) {
        Pane p(c.centre);
        const POINT r = T_NAV_ptRelativeToCenter(&p.nvi, c.point);
        EXPECT_EQ(r.x, c.relative.x) << c.what;
        EXPECT_EQ(r.y, c.relative.y) << c.what;
    }
}

TEST_F(Painters, OnAPaneTurnedByNinetyDegreesAPointNorthLandsToTheSideAtTheScalesDistance)
{
    Pane p({0, EXACT_Y}, 4 * PX_PER_M_1, 12, 90); // 4 pixels per metre
    const POINT north = p.pixelOf(p.mm(0, 100));
    EXPECT_EQ(north.y, 300);
    EXPECT_EQ(std::abs(north.x - 400), 400);
    p.turn(0);
    const POINT unturned = p.pixelOf(p.mm(0, 100));
    EXPECT_EQ(unturned.x, 400);
    EXPECT_EQ(unturned.y, 700);
}

TEST_F(Painters, TheClipBoxReachesEightHundredPixelsAndAPaneWithoutScaleHasNone)
{
    Pane p({0, EXACT_Y}, 2 * PX_PER_M_1);
    EXPECT_EQ(T_NAV_nClipHalfWidth(&p.nvi, FALSE), 400);
    p.nvi.fPixelsPerMM = 0.5f;
    EXPECT_EQ(T_NAV_nClipHalfWidth(&p.nvi, TRUE), 1600);
    EXPECT_EQ(T_NAV_nTrackClipHalfWidth(&p.nvi, FALSE), 400); // the larger side is 800
    EXPECT_EQ(T_NAV_nTrackClipHalfWidth(&p.nvi, TRUE), 1600);
    p.nvi.nPixelsPerMMM = 0;
    p.nvi.fPixelsPerMM = -1.0f;
    EXPECT_EQ(T_NAV_nClipHalfWidth(&p.nvi, FALSE), 0);
    EXPECT_EQ(T_NAV_nClipHalfWidth(&p.nvi, TRUE), 0);

    const POINT inside = {399, -399};
    const POINT edge = {400, 0};
    EXPECT_TRUE(T_NAV_bInsideClipBox(&inside, 400));
    EXPECT_FALSE(T_NAV_bInsideClipBox(&edge, 400));
}

// --- Polyline -----------------------------------------------------------------------

// A wide bitmap with the pane centre near its bottom shows the box's east
// and west edges, 800 pixels from the centre: columns 50 and 1650.
constexpr U32 WIDE_W = 1700;
constexpr U32 WIDE_H = 280;

TEST_F(Painters, APolylineIsClippedSegmentBySegmentToTheBox)
{
    struct Case {
        const char* what;
        std::vector<POINT> points; // metres from the centre, one pixel each
        std::vector<POINT> drawn;  // pixels that must carry the line
        std::vector<POINT> clear;  // pixels that must not
        std::optional<POINT> pen;  // where the pen ends
    };
    const POINT c = {850, 40};
    const Case cases[] = {
        {"one point inside moves the pen and draws nothing", {{10, 20}}, {}, {}, POINT{860, 60}},
        {"a count of 0 draws nothing and leaves the pen", {}, {}, {}, POINT{3, 4}},
        {"points all east of the box draw nothing",
         {{900, 0}, {1000, 100}, {5000, -50}, {801, 0}},
         {},
         {},
         POINT{3, 4}},
        {"points all north of the box draw nothing", {{0, 900}, {-5000, 1000}}, {}, {}, POINT{3, 4}},
        {"a segment to far outside ends at the box edge",
         {{0, 0}, {5000, 0}},
         {{c.x + 1, c.y}, {c.x + 798, c.y}},
         {{c.x + 800, c.y}, {c.x + 820, c.y}},
         POINT{c.x + 799, c.y}},
        {"the next segment starts at the box edge it crosses, not at the pen",
         {{0, 0}, {5000, 0}, {0, 200}},
         {{c.x + 400, c.y + 184}, {c.x + 700, c.y + 172}},
         {{c.x + 400, c.y + 100}, {c.x + 700, c.y + 25}},
         POINT{c.x, c.y + 200}},
        {"a segment along outside the box and back in",
         {{0, 0}, {5000, 0}, {5000, 200}, {0, 200}},
         {{c.x + 400, c.y + 200}, {c.x + 1, c.y + 200}},
         {{c.x + 400, c.y + 100}, {c.x + 801, c.y + 100}},
         POINT{c.x, c.y + 200}},
        {"a segment entering from outside sets the pen inside",
         {{-3000, 100}, {0, 100}, {0, -30}},
         {{c.x - 799, c.y + 100}, {c.x - 1, c.y + 100}, {c.x, c.y}},
         {{c.x - 801, c.y + 100}},
         POINT{c.x, c.y - 30}},
    };
    for (const Case& k : cases) {
        Pane p({0, EXACT_Y}, PX_PER_M_1, 12, 0, WIDE_W, WIDE_H);
        p.nvi.CenterOffset = c;
        gr_SetAbsPenPos(&p.nvi.GrContext, 3, 4);
        gr_SetColor(&p.nvi.GrContext, NAV_PALETTE_AHEAD);
        std::vector<POINT> pts = k.points;
        T_NAV_vRenderPolyLineMM(pts.data(), (S32)pts.size(), &p.nvi, FALSE);
        if (k.drawn.empty()) {
            EXPECT_TRUE(p.drawn().empty()) << k.what << ": " << gt::describe(p.drawn());
        }
        for (const POINT& d : k.drawn)
            EXPECT_EQ(p.at(d), AHEAD) << k.what << " at " << d.x << "," << d.y;
        for (const POINT& d : k.clear)
            EXPECT_EQ(p.at(d), BACKGROUND) << k.what << " at " << d.x << "," << d.y;
        if (k.pen) {
            EXPECT_EQ(p.pen().x, k.pen->x) << k.what;
            EXPECT_EQ(p.pen().y, k.pen->y) << k.what;
        }
    }
}

TEST_F(Painters, ARadarPolylineUsesTheRadarScale)
{
    Pane p({0, EXACT_Y}, PX_PER_M_1);
    p.nvi.fPixelsPerMM = 0.5f; // box 1600 m
    POINT pts[] = {{0, 0}, {600, 0}};
    gr_SetColor(&p.nvi.GrContext, NAV_PALETTE_AHEAD);
    T_NAV_vRenderPolyLineMM(pts, 2, &p.nvi, TRUE);
    EXPECT_EQ(p.pen().x, 700);
    EXPECT_EQ(p.at(650, 300), AHEAD);
    EXPECT_EQ(p.at(720, 300), BACKGROUND);
}

// --- Icons -------------------------------------------------------------------------

TEST_F(Painters, AnIconIsCentredOnItsPointAndLeftOutsideTheBox)
{
    Pane p({0, EXACT_Y});
    POINT at = p.mm(10, -20);
    T_NAV_vRenderRumbrelIcon(&p.nvi, &Cursor_icon, &at, FALSE);
    EXPECT_EQ(at.x, 410 + 1 - 19);
    EXPECT_EQ(at.y, 280 - 19);
    gt::TestBitmap expected(800, 600, BACKGROUND);
    G_ICON_vPut(expected, &Cursor_icon, &at);
    EXPECT_EQ(p.drawn(), expected.drawn());

    Pane q({0, EXACT_Y});
    POINT far = q.mm(800, 0);
    T_NAV_vRenderRumbrelIcon(&q.nvi, &Cursor_icon, &far, FALSE);
    EXPECT_TRUE(q.drawn().empty());
    EXPECT_EQ(far.x, 800); // left relative to the centre
}

// --- Heading line ---------------------------------------------------------------------

TEST_F(Painters, TheHeadingLineRunsFromTheBowSpaceToTwoAndAHalfTimesTheShorterReach)
{
    struct Case {
        const char* what;
        U32 heading;
        S32 rotation;
        S32 w, h;
        POINT start, end; // offsets from the boat pixel
    };
    const Case cases[] = {
        {"north on an unrotated 800 x 600 pane", 0, 0, 800, 600, {0, 30}, {0, 1350}},
        {"east", 90, 0, 800, 600, {30, 0}, {1350, 0}},
        {"east on a pane turned 90 degrees is up", 90, 90, 800, 600, {0, 30}, {0, 1350}},
        {"north on a pane turned 90 degrees is left", 0, 90, 800, 600, {-30, 0}, {-1350, 0}},
        {"south on a pane turned by -90", 180, -90, 800, 600, {-30, 0}, {-1350, 0}},
        {"a pane narrower than nine tenths of its height", 0, 0, 400, 600, {0, 30}, {0, 1000}},
        {"a heading past a full turn", 360 + 90, 0, 800, 600, {30, 0}, {1350, 0}},
    };
    for (const Case& c : cases) {
        Pane p({0, EXACT_Y}, PX_PER_M_1, 12, c.rotation, 800, 600);
        p.nvi.nWindowWidth = c.w;
        p.nvi.nWindowHeight = c.h;
        const POINT boat = {400, 100};
        T_NAV_vRenderHeadingLine(&p.nvi, c.heading, boat, 30, STCOLOR_CUSTOM_APHEADING_LINE);
        EXPECT_EQ(p.pen().x, boat.x + c.end.x) << c.what;
        EXPECT_EQ(p.pen().y, boat.y + c.end.y) << c.what;
        const POINT start = {boat.x + c.start.x, boat.y + c.start.y};
        const POINT beforeStart = {boat.x + c.start.x * 8 / 10, boat.y + c.start.y * 8 / 10};
        EXPECT_EQ(p.at(start), 0xD23A) << c.what;
        EXPECT_EQ(p.at(beforeStart), BACKGROUND) << c.what;
        EXPECT_EQ(p.nvi.GrContext.DrTool, BRUSH) << c.what;
        EXPECT_EQ(p.nvi.GrContext.PixelSize, 2) << c.what;
    }
}

// --- Proximity comparators -----------------------------------------------------------------

TEST_F(Painters, TheProximityComparatorsOrderNearestFirstAndCallEqualDistancesEqual)
{
    const NAV_PROXIMITY_ENTRY a = {100.0f, 5.0f, 1, 2};
    const NAV_PROXIMITY_ENTRY b = {100.0f, 7.0f, -9, 99};
    const NAV_PROXIMITY_ENTRY c = {50.0f, 5.0f, 3, 3};
    EXPECT_EQ(T_NAV_iProximitySortBoat(&a, &b), 0);
    EXPECT_EQ(T_NAV_iProximitySortBoat(&a, &c), 1);
    EXPECT_EQ(T_NAV_iProximitySortBoat(&c, &a), -1);
    EXPECT_EQ(T_NAV_iProximitySortCenter(&a, &c), 0);
    EXPECT_EQ(T_NAV_iProximitySortCenter(&a, &b), -1);
    EXPECT_EQ(T_NAV_iProximitySortCenter(&b, &a), 1);

    std::vector<NAV_PROXIMITY_ENTRY> list = {{30, 1, 0, 0}, {10, 3, 1, 0}, {20, 2, 2, 0}};
    qsort(list.data(), list.size(), sizeof(NAV_PROXIMITY_ENTRY), T_NAV_iProximitySortBoat);
    EXPECT_EQ(list[0].x, 1);
    EXPECT_EQ(list[2].x, 0);
    qsort(list.data(), list.size(), sizeof(NAV_PROXIMITY_ENTRY), T_NAV_iProximitySortCenter);
    EXPECT_EQ(list[0].x, 0);
    EXPECT_EQ(list[2].x, 1);
    EXPECT_EQ(sizeof(NAV_PROXIMITY_ENTRY), 16u);
}

// --- Scale-bar rows -------------------------------------------------------------------------

TEST_F(Painters, TheScaleBarRowFollowsTheDistanceUnit)
{
    struct Case {
        U32 units;
        S32 scale;
        const char *n1, *n2, *n3, *unit;
        S32 metres;
    };
    const Case cases[] = {
        {U_KM, 8, "5", "10", "15", "m", 5},
        {U_KM, 12, "50", "100", "150", "m", 50},
        {U_KM, 16, "1", "2", "3", "km", 1000},
        {U_KM, 25, "500", "1000", "1500", "km", 500000},
        {U_NAUT_MILES_M, 15, "0.25", "0.5", "0.75", "nm", 463},
        {U_NAUT_MILES_FT, 17, "1", "2", "3", "nm", 1852},
        {U_NAUT_MILES_FT, 8, "10", "20", "30", "ft", 3},
        {U_STAT_MILES, 25, "250", "500", "750", "sm", 402336},
        {U_STAT_MILES, 16, "0.5", "1", "1.5", "sm", 805},
        {U_NONE, 21, "20", "40", "60", "sm", 32187}, // any other unit: statute miles
    };
    for (const Case& c : cases) {
        setU32("SUDS", c.units);
        const SCALE_BAR_LENGTHS* row = T_NAV_pGetScaleBarLengths(c.scale);
        ASSERT_NE(row, nullptr);
        EXPECT_STREQ(row->sNumber, c.n1) << c.units << "/" << c.scale;
        EXPECT_STREQ(row->sNumber2, c.n2) << c.units << "/" << c.scale;
        EXPECT_STREQ(row->sNumber3, c.n3) << c.units << "/" << c.scale;
        EXPECT_STREQ((*row->sUnits)[nCurrentLanguage()], c.unit) << c.units << "/" << c.scale;
        EXPECT_EQ(row->nMeters, c.metres) << c.units << "/" << c.scale;
    }
    EXPECT_EQ(T_NAV_pGetScaleBarLengths(7), nullptr);
    EXPECT_EQ(T_NAV_pGetScaleBarLengths(26), nullptr);
}

} // namespace
