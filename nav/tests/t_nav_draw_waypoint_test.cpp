// Waypoints on panes: which waypoints are drawn and with which symbol, the
// name shortened to the declutter room, the proximity list, casting rings,
// the target's range rings and the grid with their labels, the cursor
// waypoint, the proximity flag's layouts and text, and a picture of them
// all together.
#include "nav/tests/nav_pane.h"

#include "graphics/g_box.h"
#include "graphics/g_circle.h"
#include "graphics/g_string.h"
#include "nav/core/t_nav_scale_bar.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_waypoint.h"

#include <string>
#include <vector>

using namespace pane;

namespace {

constexpr U16 OWN = 5;
constexpr U16 OWN_2 = 6;
constexpr U16 PEER = (1 << 12) | 7;

std::vector<std::string> namesDrawn()
{
    std::vector<std::string> out;
    for (const NAV_STANDIN_NAME& n : NAV_STANDIN_vNamesDrawn())
        out.push_back(n.sText);
    return out;
}

// The icon as the waypoint painter centres it on a pixel.
POINT iconCorner(const ICON* icon, POINT px)
{
    return {px.x + 1 - (S32)G_ICON_u32GetWidth(icon) / 2, px.y - (S32)G_ICON_u32GetHeight(icon) / 2};
}

// A scale label boxed the way the ring and grid labels are: the picture a
// label of that text must leave at that pixel.
struct Label {
    POINT box;
    U32 w;
};
Label drawLabel(gt::TestBitmap& bmp, POINT at, const char* text)
{
    const FONT_DEF* font = std_11x14_font_def_ptr.load();
    const U32 w = G_STRING_u32GetWidth(font, (const BYTE*)text);
    POINT box = {at.x + 1 - (S32)(w / 2), at.y - 3};
    G_BOX_vDrawFilled(bmp, entry(100), &box, w + 1, 16);
    POINT anchor = {box.x + 1, box.y + 1};
    G_STRING_vPut(bmp, entry(33), &anchor, font, (const BYTE*)text);
    return {box, w};
}

// Differences between two pictures inside a label's box.
int labelDifferences(const Pane& p, const gt::TestBitmap& expected, const Label& l)
{
    int n = 0;
    for (int y = l.box.y; y < l.box.y + 16; ++y)
        for (int x = l.box.x; x <= l.box.x + (int)l.w; ++x)
            n += p.at(x, y) != expected.at(x, y);
    return n;
}

// --- Which waypoints, which symbols ---------------------------------------------------

TEST_F(Painters, OnlyWaypointStatusesOneToThreeAreDrawnWithTheirNameColour)
{
    struct Case {
        U8 status;
        bool drawn;
        COLOR colour;
    };
    const Case cases[] = {
        {0, false, 0},        {16, false, 0},       {17, false, 0},       {63, false, 0},
        {1, true, entry(101)}, {2, true, entry(102)}, {3, true, entry(101)},
    };
    for (const Case& c : cases) {
        Pane p;
        NAV_STANDIN_vForgetDrawing();
        WAYPOINT& w = place(OWN, p.mm(0, 0), "MARK", c.status);
        T_NAV_vRenderWaypoint(OWN, &w, &p.nvi, NAV_DECLUTTER_NONE, FALSE, TRUE);
        const auto names = NAV_STANDIN_vNamesDrawn();
        if (!c.drawn) {
            EXPECT_TRUE(p.drawn().empty()) << (int)c.status;
            EXPECT_TRUE(names.empty()) << (int)c.status;
            continue;
        }
        ASSERT_EQ(names.size(), 1u) << (int)c.status;
        EXPECT_EQ(names[0].sText, "MARK");
        EXPECT_EQ(names[0].color, c.colour) << (int)c.status;
        EXPECT_EQ(names[0].pFont, labelFont());
        EXPECT_EQ(names[0].ptAnchor.x, 400 + 10 + 1);
        EXPECT_EQ(names[0].ptAnchor.y, 300 - 7);
    }
}

TEST_F(Painters, TheSymbolFollowsDeclutterOwnershipTheRouteStartAndTheManOverboardIcon)
{
    struct Case {
        const char* what;
        bool declutter;
        S32 room;
        U8 icon;
        U16 id;
        bool routeStart;
        const ICON* symbol;
        bool named;
    };
    const Case cases[] = {
        {"own, decluttered", true, NAV_DECLUTTER_OVERLAP, 5, OWN, false, &Waypoint_dctr_icon, false},
        {"shared, decluttered", true, NAV_DECLUTTER_OVERLAP, 5, PEER, false, &Waypoint_dctr_remote_icon, false},
        {"man overboard stays whole but loses its name", true, NAV_DECLUTTER_OVERLAP, 30, OWN, false,
         g_NAV_Icons_Large[30], false},
        {"declutter off keeps the icon and the name", false, NAV_DECLUTTER_OVERLAP, 5, OWN, false,
         g_NAV_Icons_Large[5], true},
        {"room for the label", true, NAV_DECLUTTER_NONE, 5, PEER, false, g_NAV_Icons_Remote[5], true},
        {"an icon number past the table shows the first icon", false, NAV_DECLUTTER_NONE, 200, OWN, false,
         g_NAV_Icons_Large[0], true},
        {"the first point of the route being navigated", true, NAV_DECLUTTER_OVERLAP, 5, OWN, true,
         &WaypointStart_icon, false},
    };
    for (const Case& c : cases) {
        Pane p(POINT{0, EXACT_Y}, PX_PER_M_1, 13); // no casting rings at 13
        NAV_STANDIN_vForgetDrawing();
        setU32("SNWD", c.declutter ? 1 : 0);
        s_CurrentRoute = ROUTE{};
        if (c.routeStart) {
            s_CurrentRoute.nCount = 2;
            s_CurrentRoute.anWaypoint[0] = c.id;
            s_CurrentRoute.anWaypoint[1] = OWN_2;
        }
        WAYPOINT& w = place(c.id, p.mm(30, -40), "ROCK", 1, c.icon);
        T_NAV_vRenderWaypoint(c.id, &w, &p.nvi, c.room, FALSE, TRUE);

        gt::TestBitmap expected(800, 600, BACKGROUND);
        POINT corner = iconCorner(c.symbol, {430, 260});
        G_ICON_vPut(expected, c.symbol, &corner);
        for (NAV_STANDIN_NAME n : NAV_STANDIN_vNamesDrawn())
            G_STRING_vPut(expected, n.color, &n.ptAnchor, n.pFont, (const BYTE*)n.sText.c_str());
        EXPECT_EQ(p.drawn(), expected.drawn()) << c.what;
        EXPECT_EQ(namesDrawn().size(), c.named ? 1u : 0u) << c.what;
    }
}

TEST_F(Painters, AWaypointWithATwinOrOffThePaneIsNotDrawn)
{
    Pane p;
    WAYPOINT& a = place(OWN, p.mm(0, 0));
    place(OWN_2, p.mm(0, 0));
    T_NAV_TWR_vHashWaypoints(); // recounts the bank the scan walks
    T_NAV_TWR_vDuplicateWaypointsScan();
    ASSERT_TRUE(T_NAV_TWR_bIsDuplicateWaypoint(OWN_2));
    WAYPOINT& twin = *T_NAV_pGetWaypoint(OWN_2);
    T_NAV_vRenderWaypoint(OWN_2, &twin, &p.nvi, NAV_DECLUTTER_NONE, FALSE, TRUE);
    EXPECT_TRUE(p.drawn().empty());
    T_NAV_vRenderWaypoint(OWN_2, &twin, &p.nvi, NAV_DECLUTTER_NONE, FALSE, FALSE);
    EXPECT_FALSE(p.drawn().empty());

    Pane q;
    a.pt = q.mm(800, 0); // the box's edge, 800 pixels out
    T_NAV_vRenderWaypoint(OWN, &a, &q.nvi, NAV_DECLUTTER_NONE, FALSE, TRUE);
    EXPECT_TRUE(q.drawn().empty());
}

// --- Names ----------------------------------------------------------------------------

TEST_F(Painters, ANameIsShortenedToTheRoomItsDeclutterEntryLeaves)
{
    const char* name = "Tilt Lift Fr";
    ASSERT_EQ(width(name), 90u);
    ASSERT_EQ(width("..."), 15u);
    ASSERT_EQ(G_ICON_u32GetWidth(g_NAV_Icons_Large[0]), 20u);
    struct Case {
        bool declutter;
        S32 room; // metres, one pixel each
        const char* shown; // null: no name
    };
    const Case cases[] = {
        {true, 40, "..."},            // nothing of the name fits before the dots
        {true, 60, "Til..."},         // 22 of the 25 pixels left
        {true, 57, "Ti..."},          // "Til" would fill the 22 pixels left exactly
        {true, 109, "Tilt Lift ..."}, // 70 of 74
        {true, 110, name},            // icon and name fit exactly
        {true, 36, "..."},
        {true, 35, nullptr},          // not even the icon and the dots
        {true, 20, nullptr},
        {true, 0, name},              // no room given: the whole name
        {true, NAV_DECLUTTER_NONE, name},
        {true, NAV_DECLUTTER_OVERLAP, nullptr},
        {false, 40, name},
        {false, NAV_DECLUTTER_OVERLAP, name},
    };
    for (const Case& c : cases) {
        Pane p(POINT{0, EXACT_Y}, PX_PER_M_1, 13);
        NAV_STANDIN_vForgetDrawing();
        setU32("SNWD", c.declutter);
        WAYPOINT& w = place(OWN, p.mm(0, 0), name);
        T_NAV_vRenderWaypoint(OWN, &w, &p.nvi, c.room, FALSE, TRUE);
        const std::vector<std::string> names = namesDrawn();
        if (c.shown == nullptr) {
            EXPECT_TRUE(names.empty()) << c.room;
        } else {
            ASSERT_EQ(names.size(), 1u) << c.room;
            EXPECT_EQ(names[0], c.shown) << c.room;
        }
    }
}

TEST_F(Painters, ATwelveLetterNameIsDrawnWholeAndTheRecordKeepsIt)
{
    Pane p;
    WAYPOINT& w = place(OWN, p.mm(0, 0), "ABCDEFGHIJKL");
    T_NAV_vRenderWaypoint(OWN, &w, &p.nvi, NAV_DECLUTTER_NONE, FALSE, TRUE);
    setU32("ICWP", OWN);
    T_NAV_vRenderCursorWaypoint(&p.nvi, FALSE);
    EXPECT_EQ(namesDrawn(), (std::vector<std::string>{"ABCDEFGHIJKL", "ABCDEFGHIJKL"}));
    EXPECT_EQ(std::string(w.sName, WAYPOINT_NAME_CHARS), "ABCDEFGHIJKL");
}

// --- Proximity list -----------------------------------------------------------------------

TEST_F(Painters, TheProximityListTakesWaypointsAtCloseScalesAndSlowSpeedsUpToItsSize)
{
    struct Case {
        bool flags;
        S32 scale;
        std::optional<float> speed;
        bool listed;
    };
    const Case cases[] = {
        {true, 16, 15.0f, true},  {true, 8, 0.0f, true},     {true, 17, 1.0f, false},
        {true, 16, 15.5f, false}, {true, 16, std::nullopt, false}, {false, 10, 1.0f, false},
    };
    for (const Case& c : cases) {
        H_DATABASE_vInit();
        setU32("SNWP", c.flags);
        if (c.speed)
            setFloat("ISPD", *c.speed);
        Pane p(POINT{0, EXACT_Y}, PX_PER_M_1, c.scale);
        s_u32WPPCount = 0;
        WAYPOINT& w = place(PEER, p.mm(0, 0));
        T_NAV_vRenderWaypoint(PEER, &w, &p.nvi, NAV_DECLUTTER_NONE, FALSE, TRUE);
        EXPECT_EQ(s_u32WPPCount, c.listed ? 1u : 0u) << c.scale;
        if (c.listed) {
            EXPECT_EQ((U16)s_ProxTable[0], PEER);
        }
    }

    // Own waypoints and three peer banks can qualify far more than the
    // list holds in one frame: the rest go without a flag.
    setU32("SNWP", 1);
    setFloat("ISPD", 0.0f);
    Pane p(POINT{0, EXACT_Y}, PX_PER_M_1, 10);
    WAYPOINT& w = place(OWN, p.mm(0, 0));
    s_u32WPPCount = NAV_PROXIMITY_IDS - 1;
    s_ProxTable[NAV_PROXIMITY_IDS - 1] = -1;
    T_NAV_vRenderWaypoint(OWN, &w, &p.nvi, NAV_DECLUTTER_NONE, FALSE, TRUE);
    EXPECT_EQ(s_u32WPPCount, NAV_PROXIMITY_IDS);
    EXPECT_EQ(s_ProxTable[NAV_PROXIMITY_IDS - 1], OWN);
    T_NAV_vRenderWaypoint(OWN, &w, &p.nvi, NAV_DECLUTTER_NONE, FALSE, TRUE);
    EXPECT_EQ(s_u32WPPCount, NAV_PROXIMITY_IDS);
}

// --- Casting rings --------------------------------------------------------------------

TEST_F(Painters, CastingRingsHaveTheDiameterOfTwiceTheSettingAtScale12AndCloser)
{
    // 16 pixels per metre where a ground metre is a Mercator metre: 20 m of
    // ground are 320 pixels.
    const S32 n = 16 * PX_PER_M_1;
    const S32 groundPixels = (S32)(((((S64)n * 20 + 512) >> 10) * 1024 + 0x80000) >> 20);
    ASSERT_EQ(groundPixels, 320);
    struct Case {
        const char* what;
        S32 scale;
        std::optional<float> setting;
        S32 diameter; // 0: nothing
    };
    const Case cases[] = {
        {"10 m at scale 12", 12, 10.0f, groundPixels},
        {"10 m at scale 8", 8, 10.0f, groundPixels},
        {"scale 13", 13, 10.0f, 0},
        {"off", 12, 0.0f, 0},
        {"no setting", 12, std::nullopt, 0},
        {"a negative setting", 12, -5.0f, 0},
    };
    for (const Case& c : cases) {
        H_DATABASE_vInit();
        setU32("SUDS", U_KM);
        if (c.setting)
            setFloat("SNCR", *c.setting);
        Pane p(POINT{0, EXACT_Y}, n, c.scale);
        POINT centre = {400, 300};
        T_NAV_vDrawCastingRings(&p.nvi, &centre);
        gt::TestBitmap expected(800, 600, BACKGROUND);
        if (c.diameter > 0) {
            G_CIRCLE_vDraw(expected, entry(39), &centre, c.diameter);
            G_CIRCLE_vDraw(expected, entry(39), &centre, c.diameter + 1);
        }
        EXPECT_EQ(p.drawn(), expected.drawn()) << c.what;
    }
}

// --- Target rings ---------------------------------------------------------------------------

TEST_F(Painters, TheTargetHasThreeRingsLabelledBelowTheWaypointInTheScaleBarsUnits)
{
    struct Case {
        const char* what;
        U32 units;
        S32 pixelsPerRing; // at 8 pixels per metre
        const char* labels[3];
    };
    const Case cases[] = {
        {"kilometres at scale 9", U_KM, 80, {"10m", "20m", "30m"}},
        {"nautical miles with feet at scale 9", U_NAUT_MILES_FT, 48, {"20ft", "40ft", "60ft"}},
    };
    for (const Case& c : cases) {
        setU32("SUDS", c.units);
        setU32("ITWP", OWN);
        Pane p(POINT{0, EXACT_Y}, 8 * PX_PER_M_1, 9); // above 0xFFFF: the rings are rescaled
        place(OWN, p.mm(0, 0));
        T_NAV_vRenderWaypointTarget(&p.nvi, FALSE);

        gt::TestBitmap expected(800, 600, BACKGROUND);
        for (int k = 1; k <= 3; ++k) {
            const S32 r = k * c.pixelsPerRing;
            EXPECT_EQ(p.at(400 + r, 300), RINGS) << c.what << " ring " << k;
            EXPECT_EQ(p.at(400, 300 + r), RINGS) << c.what << " ring " << k;
            EXPECT_EQ(p.at(400 + r + 3, 300), BACKGROUND) << c.what << " ring " << k;
            const Label l = drawLabel(expected, {400, 300 - r}, c.labels[k - 1]);
            EXPECT_EQ(labelDifferences(p, expected, l), 0) << c.what << " label " << c.labels[k - 1];
        }
        EXPECT_EQ(p.nvi.GrContext.DrTool, STD_PEN);
        EXPECT_EQ(p.nvi.GrContext.PixelSize, 1);
    }
}

TEST_F(Painters, TargetRingsNeedATargetAndLabelOnlyNearTheBitmap)
{
    struct Case {
        const char* what;
        std::optional<U32> target;
        U8 status;
        S32 south; // metres south of the centre, 8 pixels each
        bool rings;
        bool labels;
    };
    const Case cases[] = {
        {"no target key", std::nullopt, 1, 0, false, false},
        {"no target", 0xFFFF, 1, 0, false, false},
        {"a free slot", OWN, 0, 0, false, false},
        {"a target on the pane", OWN, 1, 0, true, true},
        // The waypoint 44 pixels above the bottom edge: the first label
        // would sit 36 pixels below the bitmap, more than the 32 allowed,
        // the others lower still; the rings reach up into the pane.
        {"a target at the bottom edge", OWN, 1, 32, true, false},
    };
    for (const Case& c : cases) {
        H_DATABASE_vInit();
        setU32("SUDS", U_KM);
        if (c.target)
            setU32("ITWP", *c.target);
        Pane p(POINT{0, EXACT_Y}, 8 * PX_PER_M_1, 9);
        place(OWN, p.mm(0, -c.south), "T", c.status);
        T_NAV_vRenderWaypointTarget(&p.nvi, FALSE);
        EXPECT_EQ(p.count(RINGS) > 0, c.rings) << c.what;
        gt::TestBitmap labels(800, 600, BACKGROUND);
        if (c.labels)
            for (int k = 1; k <= 3; ++k)
                drawLabel(labels, {400, 300 - 80 * k}, (std::to_string(10 * k) + "m").c_str());
        EXPECT_EQ(p.count(entry(100)), labels.count(entry(100))) << c.what;
    }
}

// --- Grid ------------------------------------------------------------------------------------

TEST_F(Painters, AGridTurnedByFortyFiveDegreesHasSevenLinesEachWaySixSpacingsLong)
{
    setU32("IGWP", OWN);
    setFloat("SNGA", 45.0f);
    Pane p(POINT{0, EXACT_Y}, 2 * PX_PER_M_1, 11); // 25 m spacing, 50 pixels
    place(OWN, p.mm(0, 0));
    T_NAV_vRenderWaypointGrid(&p.nvi, FALSE);

    GP_ROTCONTEXT rc;
    gr_ResetRotationContext(&rc);
    gr_SetRotationAngle(&rc, 45.0);
    const auto px = [&](S32 x, S32 y) {
        POINT m = {x, y};
        U_NAV_vRotatePoint(&rc, &m, &m);
        return p.pixelOf(p.mm(m.x, m.y));
    };
    const S32 s = 25;
    for (S32 i = -3; i <= 3; ++i) {
        // Both families between their crossings, and clear just beyond
        // both ends.
        EXPECT_EQ(p.at(px(-40, i * s)), RINGS) << "line y = " << i;
        EXPECT_EQ(p.at(px(40, i * s)), RINGS) << "line y = " << i;
        EXPECT_EQ(p.at(px(i * s, -40)), RINGS) << "line x = " << i;
        EXPECT_EQ(p.at(px(i * s, 40)), RINGS) << "line x = " << i;
        EXPECT_EQ(p.at(px(-3 * s - 4, i * s)), BACKGROUND) << "beyond line y = " << i;
        EXPECT_EQ(p.at(px(3 * s + 4, i * s)), BACKGROUND) << "beyond line y = " << i;
        EXPECT_EQ(p.at(px(i * s, -3 * s - 4)), BACKGROUND) << "beyond line x = " << i;
        EXPECT_EQ(p.at(px(i * s, 3 * s + 4)), BACKGROUND) << "beyond line x = " << i;
    }
    // Labels on the south half of the turned centre line only.
    gt::TestBitmap expected(800, 600, BACKGROUND);
    const char* texts[] = {"25m", "50m", "75m"};
    for (int k = 1; k <= 3; ++k) {
        const Label l = drawLabel(expected, px(0, -k * s), texts[k - 1]);
        EXPECT_EQ(labelDifferences(p, expected, l), 0) << texts[k - 1];
    }
    EXPECT_EQ(p.count(entry(100)), expected.count(entry(100)));
    EXPECT_EQ(p.nvi.GrContext.DrTool, STD_PEN);
}

TEST_F(Painters, AGridNeedsItsWaypointAndItsAngle)
{
    for (int k = 0; k < 3; ++k) {
        H_DATABASE_vInit();
        setU32("SUDS", U_KM);
        if (k != 0)
            setU32("IGWP", k == 1 ? 0xFFFF : OWN);
        if (k != 2)
            setFloat("SNGA", 10.0f);
        Pane p(POINT{0, EXACT_Y}, 2 * PX_PER_M_1, 11);
        place(OWN, p.mm(0, 0));
        T_NAV_vRenderWaypointGrid(&p.nvi, FALSE);
        EXPECT_TRUE(p.drawn().empty()) << k;
    }
}

// --- Cursor waypoint -------------------------------------------------------------------------

TEST_F(Painters, TheCursorWaypointHasItsNameBoxedInTheLargeFontOnChartsOnly)
{
    struct Case {
        const char* what;
        U8 status;
        BOOLEAN radar;
        COLOR colour;
        bool box;
    };
    const Case cases[] = {
        {"permanent on a chart", 1, FALSE, entry(101), true},
        {"temporary on a chart", 2, FALSE, entry(102), true},
        {"man overboard on a chart", 3, FALSE, entry(101), true},
        {"on radar", 2, TRUE, entry(35), false},
    };
    for (const Case& c : cases) {
        NAV_STANDIN_vForgetDrawing();
        setU32("ICWP", OWN);
        Pane p(POINT{0, EXACT_Y}, PX_PER_M_1, 13);
        place(OWN, p.mm(0, 0), "CURSOR", c.status);
        T_NAV_vRenderCursorWaypoint(&p.nvi, c.radar);
        const auto names = NAV_STANDIN_vNamesDrawn();
        ASSERT_EQ(names.size(), 1u) << c.what;
        EXPECT_EQ(names[0].sText, "CURSOR");
        EXPECT_EQ(names[0].color, c.colour) << c.what;
        EXPECT_EQ(names[0].pFont, cursorFont()) << c.what;
        EXPECT_EQ(names[0].ptAnchor.x, 412);
        EXPECT_EQ(names[0].ptAnchor.y, 292);
        const S32 w = (S32)width("CURSOR", cursorFont());
        EXPECT_EQ(p.at(412 + w, 292) == entry(100), c.box) << c.what;
        EXPECT_EQ(p.at(412 + w + 1, 292), BACKGROUND) << c.what;
    }
}

TEST_F(Painters, TheCursorWaypointNeedsAWaypointOfItsOwnOnThePane)
{
    struct Case {
        const char* what;
        std::optional<U32> cursor;
        U16 id;
        U8 status;
        S32 east;
    };
    const Case cases[] = {
        {"no key", std::nullopt, OWN, 1, 0},
        {"no cursor waypoint", 0xFFFF, OWN, 1, 0},
        {"a free slot", OWN, OWN, 0, 0},
        {"a group record", OWN, OWN, 16, 0},
        {"off the pane", OWN, OWN, 1, 800},
        {"the second of two at one place", OWN_2, OWN_2, 1, 0},
    };
    for (const Case& c : cases) {
        H_DATABASE_vInit();
        NAV_STANDIN_vForgetDrawing();
        T_NAV_TWR_vClearTables();
        if (c.cursor)
            setU32("ICWP", *c.cursor);
        Pane p(POINT{0, EXACT_Y}, PX_PER_M_1, 13);
        place(OWN, p.mm(c.east, 0), "A", c.status);
        if (c.id == OWN_2) {
            place(OWN_2, p.mm(c.east, 0), "A", c.status);
            T_NAV_TWR_vHashWaypoints();
            T_NAV_TWR_vDuplicateWaypointsScan();
        }
        T_NAV_vRenderCursorWaypoint(&p.nvi, FALSE);
        EXPECT_TRUE(p.drawn().empty()) << c.what;
        EXPECT_TRUE(namesDrawn().empty()) << c.what;
    }
}

TEST_F(Painters, InA360ViewTheCursorWaypointMarksTheSweepAndLabelsYieldToIt)
{
    setU32("CVEW", 57);
    setU32("ICWP", OWN);
    setU32("SMSC", 2);
    Pane p(POINT{0, EXACT_Y}, PX_PER_M_1, 13);
    WAYPOINT& w = place(OWN, p.mm(10, 20), "SWEEP");
    T_NAV_vRenderCursorWaypoint(&p.nvi, TRUE);
    const std::vector<POINT> marks = NAV_STANDIN_vMSSCursorWaypoints();
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].x, 410);
    EXPECT_EQ(marks[0].y, 320);
    gt::TestBitmap cursor(800, 600, BACKGROUND);
    POINT corner = {410 - 19, 320 - 19};
    G_ICON_vPut(cursor, &Cursor_icon, &corner);
    // Its left half: the name covers part of the right.
    for (const gt::Pixel& px : cursor.drawn()) {
        if (px.first < 410) {
            EXPECT_EQ(p.at(px.first, px.second), cursor.at(px.first, px.second)) << px.first << "," << px.second;
        }
    }
    ASSERT_EQ(NAV_STANDIN_vNamesDrawn().size(), 1u);
    EXPECT_EQ(NAV_STANDIN_vNamesDrawn()[0].color, entry(101)); // the second sweep scheme

    // The waypoint painter leaves the name to the cursor waypoint there.
    NAV_STANDIN_vForgetDrawing();
    T_NAV_vRenderWaypoint(OWN, &w, &p.nvi, NAV_DECLUTTER_NONE, TRUE, TRUE);
    EXPECT_TRUE(namesDrawn().empty());
    setU32("CVEW", CHART_VIEW_PRIORITY);
    T_NAV_vRenderWaypoint(OWN, &w, &p.nvi, NAV_DECLUTTER_NONE, TRUE, TRUE);
    ASSERT_EQ(NAV_STANDIN_vNamesDrawn().size(), 1u);
    EXPECT_EQ(NAV_STANDIN_vNamesDrawn()[0].color, entry(35));
}

// --- Proximity flag ------------------------------------------------------------------------------

TEST_F(Painters, TheFlagTextFollowsTheDistanceUnit)
{
    struct Case {
        std::optional<U32> units;
        float metres;
        const char* text;
    };
    const Case cases[] = {
        {U_KM, 999.0f, "999m"},
        {U_KM, 1000.0f, "1.00km"},
        {U_KM, 5.0f, "  5m"},
        {U_KM, 12345.0f, "12.35km"},
        {U_NAUT_MILES_M, 999.0f, "999m"},
        {U_NAUT_MILES_M, 1852.0f, "1.00nm"},
        {U_NAUT_MILES_FT, 264.0f, "866ft"},  // below 1000 by its own factor
        {U_NAUT_MILES_FT, 265.0f, "0.14nm"},
        {U_STAT_MILES, 304.0f, "997ft"},
        {U_STAT_MILES, 305.0f, "0.19sm"},
        {U_STAT_MILES, 1609.344f, "1.00sm"},
        {std::nullopt, 1500.0f, "1.50km"},
        {U_METRES, 20.0f, "0.02km"},
    };
    for (const Case& c : cases) {
        H_DATABASE_vInit();
        if (c.units)
            setU32("SUDS", *c.units);
        char text[32];
        T_NAV_vFormatProximityDistance(c.metres, text, sizeof text);
        EXPECT_STREQ(text, c.text) << c.metres;
    }
}

TEST_F(Painters, TheFlagOpensLeftNearTheRightEdgeAndHangsDownNearTheTop)
{
    struct Case {
        const char* what;
        POINT at;
        bool cursor;
        S32 clipTop;
        bool drawn, left, down;
    };
    const Case cases[] = {
        {"in the open", {400, 300}, false, 599, true, false, false},
        {"near the right edge", {790, 300}, false, 599, true, true, false},
        {"near the top", {400, 590}, false, 599, true, false, true},
        {"in the top right corner", {790, 590}, false, 599, true, true, true},
        {"under the cursor's readout", {400, 540}, true, 599, true, false, true},
        {"the same place without the cursor", {400, 540}, false, 599, true, false, false},
        {"no room above or below", {400, 20}, false, 50, false, false, false},
    };
    for (const Case& c : cases) {
        H_DATABASE_vInit();
        setU32("SUDS", U_KM);
        setBool("ICAC", c.cursor);
        Pane p;
        p.bitmap().setClip(0, 0, 799, c.clipTop);
        POINT at = c.at;
        T_NAV_vDrawProximityFlag(&p.nvi, &at, 123.0f);
        const gt::PixelSet drawn = p.drawn();
        if (!c.drawn) {
            EXPECT_TRUE(drawn.empty()) << c.what;
            continue;
        }
        ASSERT_FALSE(drawn.empty()) << c.what;
        int minX = 800, maxX = -1, minY = 600, maxY = -1;
        for (const gt::Pixel& px : drawn) {
            minX = std::min(minX, px.first);
            maxX = std::max(maxX, px.first);
            minY = std::min(minY, px.second);
            maxY = std::max(maxY, px.second);
        }
        EXPECT_EQ(c.left ? maxX : minX, c.at.x) << c.what;
        EXPECT_EQ(c.down ? maxY : minY, c.at.y) << c.what;
        // The pointer's tip is the waypoint pixel.
        EXPECT_NE(p.at(c.at), BACKGROUND) << c.what;
    }
}

TEST_F(Painters, TheFlagTextIsBlueUnderTheSecondPalette)
{
    for (U32 palette : {0u, 2u}) {
        H_DATABASE_vInit();
        setU32("SUDS", U_KM);
        setU32("SPAL", palette);
        Pane p;
        POINT at = {300, 200};
        T_NAV_vDrawProximityFlag(&p.nvi, &at, 42.0f);
        EXPECT_EQ(p.count(entry(40)) > 0, palette == 2) << palette;
    }
}

// --- Picture --------------------------------------------------------------------------------

TEST_F(Painters, WaypointsRingsGridAndFlagsLookRight)
{
    setU32("SUDS", U_KM);
    setFloat("SNCR", 10.0f);
    setU32("SNWD", 1);
    setU32("ITWP", 1);
    setU32("IGWP", 2);
    setFloat("SNGA", 30.0f);
    Pane p(POINT{0, EXACT_Y}, 4 * PX_PER_M_1, 10); // 4 pixels per metre, 15 m spacing
    place(1, p.mm(-50, 25), "Harbour");
    place(2, p.mm(45, -30), "Weed Bed", WP_STATUS_TEMPORARY);
    place(PEER, p.mm(-70, -50), "Shared Reef");
    place(3, p.mm(95, 60), "MOB 0312", WP_STATUS_MOB, NAV_MOB_ICON);
    place(4, p.mm(-20, 55), "Stump Field 2");

    T_NAV_vRenderWaypointTarget(&p.nvi, FALSE);
    T_NAV_vRenderWaypointGrid(&p.nvi, FALSE);
    const std::pair<U16, S32> drawn[] = {{1, NAV_DECLUTTER_NONE}, {2, NAV_DECLUTTER_NONE}, {PEER, 160},
                                         {3, NAV_DECLUTTER_OVERLAP}, {4, 200}};
    for (const auto& [id, room] : drawn)
        T_NAV_vRenderWaypoint(id, T_NAV_pGetWaypoint(id), &p.nvi, room, FALSE, TRUE);
    POINT flagA = p.pixelOf(T_NAV_pGetWaypoint(4)->pt);
    T_NAV_vDrawProximityFlag(&p.nvi, &flagA, 56.0f);
    POINT flagB = p.pixelOf(T_NAV_pGetWaypoint(3)->pt);
    T_NAV_vDrawProximityFlag(&p.nvi, &flagB, 1234.0f);
    expectGolden(p.bitmap(), "nav_waypoints");
}

} // namespace
