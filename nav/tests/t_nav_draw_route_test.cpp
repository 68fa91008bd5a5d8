// Routes on panes: the legs of the route being navigated in their colours,
// the stored legs navigation skips, joining in the middle, the line to the
// final point after arrival and the line to the cursor; stored routes, their
// box test and their names; the selection preview; and a picture.
#include "nav/tests/nav_pane.h"

#include <cmath>
#include <cstring>
#include <vector>

using namespace pane;

namespace {

// Four waypoints on a zigzag, 1 pixel per metre round the pane centre.
constexpr U16 A = 1, B = 2, C = 3, D = 4;
constexpr U16 START = 9; // where the travel began

class Routes : public Painters {
protected:
    void SetUp() override
    {
        Painters::SetUp();
        place(A, p.mm(-300, -200), "A");
        place(B, p.mm(-100, 150), "B");
        place(C, p.mm(100, -150), "C");
        place(D, p.mm(300, 200), "D");
        place(START, p.mm(-300, 100), "S");
        stored = ROUTE{};
    }

    POINT at(U16 id) const { return T_NAV_pGetWaypoint(id)->pt; }
    // The colour halfway between two waypoints.
    COLOR midColour(const Pane& pane, U16 a, U16 b) const
    {
        const POINT pa = pane.pixelOf(at(a));
        const POINT pb = pane.pixelOf(at(b));
        return pane.at((pa.x + pb.x) / 2, (pa.y + pb.y) / 2);
    }
    COLOR midColour(U16 a, U16 b) const { return midColour(p, a, b); }

    static void setRoute(ROUTE& r, std::vector<U16> ids)
    {
        r.nCount = (U32)ids.size();
        for (size_t i = 0; i < ids.size(); ++i)
            r.anWaypoint[i] = ids[i];
    }
    // Navigation along the listed waypoints: the current route and the leg
    // points, heading for the point at target.
    void navigate(std::vector<U16> ids, U32 target)
    {
        setRoute(s_CurrentRoute, ids);
        T_NAV_vClearRoutePoint();
        for (U16 id : ids)
            T_NAV_vAddRoutePoint(at(id));
        s_nRoutePointTarget = target;
        setU32("INIP", target);
    }

    Pane p;
    ROUTE stored;
};

// --- The route being navigated ------------------------------------------------------

TEST_F(Routes, AGoToHasNoSkippedLegs)
{
    navigate({START, B}, 1);
    T_NAV_vRenderRoute(&s_CurrentRoute, &p.nvi, FALSE);
    EXPECT_EQ(midColour(START, B), ACTIVE);
    EXPECT_EQ(p.count(TRAVELLED), 0u);
    EXPECT_EQ(p.nvi.GrContext.DrTool, STD_PEN);
    EXPECT_EQ(p.nvi.GrContext.PixelSize, 1);
}

TEST_F(Routes, LegsAreColouredByWhetherTheyAreTravelledActiveAheadOrSkipped)
{
    struct Case {
        const char* what;
        std::vector<U16> stored; // empty: no stored route
        std::vector<U16> navigated;
        U32 target;
        bool middle;
        bool stevrin;
        std::vector<std::pair<std::pair<U16, U16>, COLOR>> legs;
    };
    const COLOR stevrinActive = COLOR_vGetStevrinColorDef(19);
    const Case cases[] = {
        {"skipping the second of four stored points",
         {A, B, C, D},
         {START, A, C, D},
         1,
         false,
         false,
         {{{START, A}, ACTIVE}, {{A, B}, TRAVELLED}, {{B, C}, TRAVELLED}, {{A, C}, AHEAD}, {{C, D}, AHEAD}}},
        {"the first leg done, the second active",
         {},
         {START, A, B, C, D},
         2,
         false,
         false,
         {{{START, A}, BACKGROUND}, {{A, B}, ACTIVE}, {{B, C}, AHEAD}, {{C, D}, AHEAD}}},
        {"the last leg active",
         {},
         {START, A, B, C, D},
         4,
         false,
         false,
         {{{A, B}, TRAVELLED}, {{B, C}, TRAVELLED}, {{C, D}, ACTIVE}}},
        {"joined in the middle: from the start straight to the target",
         {},
         {START, A, B, C, D},
         2,
         true,
         false,
         {{{START, B}, ACTIVE}, {{A, B}, TRAVELLED}, {{B, C}, AHEAD}}},
        {"the trolling motor navigates",
         {},
         {START, A, B},
         1,
         false,
         true,
         {{{START, A}, stevrinActive}, {{A, B}, AHEAD}}},
        {"a stored route whose first point is skipped",
         {A, B, C},
         {START, B, C},
         1,
         false,
         false,
         {{{START, A}, TRAVELLED}, {{A, B}, TRAVELLED}, {{START, B}, ACTIVE}, {{B, C}, AHEAD}}},
    };
    for (const Case& c : cases) {
        H_DATABASE_vInit();
        Pane q;
        stored = ROUTE{};
        s_pCurrentRoute = nullptr;
        if (!c.stored.empty()) {
            setRoute(stored, c.stored);
            s_pCurrentRoute = &stored;
        }
        s_bStartedRouteInMiddle = c.middle;
        setBool("IPNE", c.stevrin);
        navigate(c.navigated, c.target);
        T_NAV_vRenderRoute(&s_CurrentRoute, &q.nvi, FALSE);
        for (const auto& [leg, colour] : c.legs)
            EXPECT_EQ(midColour(q, leg.first, leg.second), colour)
                << c.what << ": leg " << leg.first << "-" << leg.second;
    }
}

TEST_F(Routes, AfterArrivalInContinuousNavigationOnlyTheLineToTheFinalPointRemains)
{
    for (bool cursor : {false, true}) {
        Pane q;
        setRoute(stored, {A, B, C, D});
        s_pCurrentRoute = &stored;
        navigate({START, A, B, C, D}, 3);
        setBool("CCNC", true);
        q.nvi.ptBoatMM = q.mm(50, 250);
        q.nvi.bCursorActive = cursor;
        T_NAV_vRenderRoute(&s_CurrentRoute, &q.nvi, FALSE);
        EXPECT_EQ(q.at(q.pixelOf(q.mm(175, 225))), FINAL) << cursor;
        EXPECT_EQ(q.count(TRAVELLED), 0u) << cursor;
        EXPECT_EQ(q.count(ACTIVE), 0u) << cursor;
        EXPECT_EQ(q.count(AHEAD) > 0, cursor) << cursor;
        if (cursor) {
            // Dashed from the final point to the pane centre, where the
            // cursor is: every green pixel lies on that segment.
            for (const gt::Pixel& px : q.drawn()) {
                if (q.at(px.first, px.second) != AHEAD)
                    continue;
                // D is at (700, 500): the segment is y - 300 = (x - 400) * 2 / 3.
                EXPECT_NEAR(px.second - 300, (px.first - 400) * 2.0 / 3.0, 1.5) << px.first << "," << px.second;
                EXPECT_GE(px.first, 400);
                EXPECT_LE(px.first, 700);
            }
            EXPECT_EQ(q.nvi.GrContext.ptrnattrib.status, FALSE);
        }
    }
}

TEST_F(Routes, AfterArrivalToAManOverboardTheLegsAreStillDrawn)
{
    navigate({START, A}, 1);
    setBool("CCNC", true);
    s_u16MOBWaypoint = A;
    T_NAV_vRenderRoute(&s_CurrentRoute, &p.nvi, FALSE);
    EXPECT_EQ(midColour(START, A), ACTIVE);
    EXPECT_EQ(p.count(FINAL), 0u);
}

TEST_F(Routes, TheCursorLineRunsFromTheLastWaypointToThePaneCentreDashed)
{
    // A dash pattern of four on, four off.
    static const UCHAR dash[] = {0xF0};
    gr_InitPattern(dash, NAV_DASH_PATTERN_TYPE, PIXELDIM{8, 1}, 1);
    navigate({START, C}, 1);
    p.nvi.bCursorActive = TRUE;
    T_NAV_vRenderRoute(&s_CurrentRoute, &p.nvi, FALSE);
    // C is at (500, 150), the centre at (400, 300): along the segment some
    // pixels carry the line and some are gaps.
    int on = 0, off = 0;
    for (int y = 165; y <= 285; ++y) {
        const int x = 400 + (int)std::lround((300 - y) / 1.5);
        const bool lit = p.at(x, y) == AHEAD || p.at(x - 1, y) == AHEAD || p.at(x + 1, y) == AHEAD;
        (lit ? on : off) += 1;
    }
    EXPECT_GT(on, 40);
    EXPECT_GT(off, 40);
    EXPECT_EQ(p.nvi.GrContext.ptrnattrib.status, FALSE);
    gr_InitPattern(nullptr, NAV_DASH_PATTERN_TYPE, PIXELDIM{0, 0}, 0);
}

TEST_F(Routes, NothingIsDrawnWithoutANavigatedRoute)
{
    T_NAV_vRenderRoute(&s_CurrentRoute, &p.nvi, FALSE);
    p.nvi.bCursorActive = TRUE;
    T_NAV_vRenderRoute(&s_CurrentRoute, &p.nvi, FALSE);
    EXPECT_TRUE(p.drawn().empty());
}

// --- Stored routes ---------------------------------------------------------------------

TEST_F(Routes, AStoredRouteIsDrawnWithTheNameOfTheNewestRouteStartingThere)
{
    setRoute(*T_NAV_pGetRoute(4), {B, C});
    T_NAV_pGetRoute(4)->u32DateTime = 10;
    strcpy(T_NAV_pGetRoute(4)->sName, "OLDER");
    setRoute(*T_NAV_pGetRoute(7), {B, D});
    T_NAV_pGetRoute(7)->u32DateTime = 20;
    memcpy(T_NAV_pGetRoute(7)->sName, "TWENTY CHARACTERS AB", ROUTE_NAME_CHARS); // no terminator
    setRoute(*T_NAV_pGetRoute(9), {B, A});
    T_NAV_pGetRoute(9)->u32DateTime = 30;
    T_NAV_pGetRoute(9)->bHide = 1;

    T_NAV_vRenderSavedRoute(T_NAV_pGetRoute(4), &p.nvi, FALSE, FALSE);
    EXPECT_EQ(midColour(B, C), 0x0008);
    std::vector<NAV_STANDIN_NAME> names = NAV_STANDIN_vNamesDrawn();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].sText, "TWENTY CHARACTERS AB");
    EXPECT_EQ(names[0].pFont, labelFont());
    EXPECT_EQ(names[0].color, entry(101));
    const POINT b = p.pixelOf(at(B));
    EXPECT_EQ(names[0].ptAnchor.x, b.x + 16);
    EXPECT_EQ(names[0].ptAnchor.y, b.y - 37);

    // Highlighted, and its first waypoint under the cursor: boxed in the
    // large font.
    NAV_STANDIN_vForgetDrawing();
    setU32("ICWP", B);
    T_NAV_vRenderSavedRoute(T_NAV_pGetRoute(4), &p.nvi, FALSE, TRUE);
    EXPECT_EQ(midColour(B, C), entry(40));
    names = NAV_STANDIN_vNamesDrawn();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].pFont, cursorFont());
    const S32 w = (S32)width("TWENTY CHARACTERS AB", cursorFont());
    EXPECT_EQ(p.at(b.x + 16 + w, b.y - 37), entry(100));
    EXPECT_EQ(p.nvi.GrContext.DrTool, STD_PEN);
}

TEST_F(Routes, AStoredRouteIsSkippedOrNamedByWhereItLies)
{
    struct Case {
        const char* what;
        std::vector<POINT> points; // metres from the centre
        bool drawn;
        bool named;
    };
    // The track box of an 800 x 600 bitmap: 800 metres each way.
    const Case cases[] = {
        {"on the pane", {{-100, 0}, {100, 50}}, true, true},
        {"wholly north of the box", {{-100, 850}, {100, 2000}}, false, false},
        {"wholly west of the box", {{-5000, 0}, {-801, 50}}, false, false},
        {"first waypoint off the pane, the rest on it", {{-1500, 0}, {100, 50}, {200, -50}}, true, false},
        {"first waypoint on the pane, the rest off it", {{100, 50}, {2000, 0}}, true, true},
    };
    for (const Case& c : cases) {
        Pane q;
        NAV_STANDIN_vForgetDrawing();
        T_NAV_TWR_vClearTables();
        std::vector<U16> ids;
        for (size_t i = 0; i < c.points.size(); ++i) {
            place((U16)(20 + i), q.mm(c.points[i].x, c.points[i].y), "R");
            ids.push_back((U16)(20 + i));
        }
        ROUTE& r = *T_NAV_pGetRoute(0);
        setRoute(r, ids);
        strcpy(r.sName, "ROUTE");
        gr_SetAbsPenPos(&q.nvi.GrContext, 1, 2);
        q.nvi.GrContext.colour = 0x1234;
        T_NAV_vRenderSavedRoute(&r, &q.nvi, FALSE, FALSE);
        EXPECT_EQ(!q.drawn().empty(), c.drawn) << c.what;
        EXPECT_EQ(NAV_STANDIN_vNamesDrawn().size(), c.named ? 1u : 0u) << c.what;
        if (!c.drawn) {
            // Passed over before anything was set up or converted.
            EXPECT_EQ(q.nvi.GrContext.colour, 0x1234u) << c.what;
            EXPECT_EQ(q.pen().x, 1) << c.what;
            EXPECT_EQ(q.pen().y, 2) << c.what;
        }
    }
}

TEST_F(Routes, StoredRoutesAreNotDrawnInTheStoreDemonstration)
{
    setRoute(stored, {A, B});
    setU32("CCST", 6);
    setBool("IPCG", true);
    T_NAV_vRenderSavedRoute(&stored, &p.nvi, FALSE, FALSE);
    EXPECT_TRUE(p.drawn().empty());
    setBool("IPCG", false);
    T_NAV_vRenderSavedRoute(&stored, &p.nvi, FALSE, FALSE);
    EXPECT_FALSE(p.drawn().empty());
}

TEST_F(Routes, APointWhoseWaypointIsGoneIsLeftOut)
{
    setRoute(stored, {A, 0xFFFF, C, D});
    T_NAV_vRenderSavedRoute(&stored, &p.nvi, FALSE, FALSE);
    EXPECT_EQ(midColour(A, C), 0x0008);
    EXPECT_EQ(midColour(C, D), 0x0008);
}

TEST_F(Routes, ThePreviewDrawsEveryLegInTheColourAhead)
{
    setRoute(stored, {A, B, C, D});
    T_NAV_vRenderRouteForPopupWindow(&stored, &p.nvi, FALSE);
    EXPECT_EQ(midColour(A, B), AHEAD);
    EXPECT_EQ(midColour(B, C), AHEAD);
    EXPECT_EQ(midColour(C, D), AHEAD);
    EXPECT_EQ(p.nvi.GrContext.DrTool, STD_PEN);
}

// --- Picture --------------------------------------------------------------------------------

TEST_F(Routes, ANavigatedRouteWithSkippedLegsBesideAStoredRouteLooksRight)
{
    place(10, p.mm(150, -200), "E");
    place(11, p.mm(280, -100), "F");
    place(12, p.mm(380, -230), "G");
    setRoute(*T_NAV_pGetRoute(3), {10, 11, 12});
    strcpy(T_NAV_pGetRoute(3)->sName, "Bay Loop");
    setRoute(stored, {A, B, C, D});
    s_pCurrentRoute = &stored;
    navigate({START, A, C, D}, 2);
    p.nvi.ptBoatMM = p.mm(-150, -150);
    T_NAV_vRenderSavedRoute(T_NAV_pGetRoute(3), &p.nvi, FALSE, FALSE);
    T_NAV_vRenderRoute(&s_CurrentRoute, &p.nvi, FALSE);
    expectGolden(p.bitmap(), "nav_routes");
}

} // namespace
