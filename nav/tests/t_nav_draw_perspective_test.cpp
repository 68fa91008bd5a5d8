// Navigation objects in perspective panes: the edges of the view and its
// horizon, the segment rule, breadcrumb sizes by height, pins, AIS targets
// behind the eye, the boat at other scales and the 3D view stack, and one
// highway frame.
#include "nav/tests/nav_pane.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "nav/core/g_nav_overlay_icons.h"
#include "nav/core/neighbour_standins.h"
#include "nav/core/u_nav.h"
#include "nav/data/t_nav_twr_rumbrel.h"

#include <cmath>
#include <memory>
#include <vector>

using namespace pane;

namespace {

// A highway pane at a chart scale: the eye offset and scale of the chart
// application's highway view, the horizon 150 pixels below the top.
class Perspective : public Painters {
protected:
    void SetUp() override
    {
        Painters::SetUp();
        highway(12);
        s_CurrentRoute = ROUTE{};
    }
    void highway(S32 scale)
    {
        p.nvi.bVuruzaveRender = FALSE;
        p.nvi.nChartScale = scale;
        p.nvi.nEyeOffsetMM = T_CHART_nCalculateHighwayEyeOffsetMM(scale);
        p.nvi.nPixelsPerMMM = T_CHART_nCalculateHighwayPixelsPerMMM(scale);
        p.nvi.CenterOffset = {400, 450};
        NAV_STANDIN_vSet3DView(p.nvi.nEyeOffsetMM, p.nvi.nPixelsPerMMM, p.nvi.CenterOffset, &p.nvi.RotContext);
    }
    S32 E() const { return p.nvi.nEyeOffsetMM; }

    std::unique_ptr<TRACK> track(std::vector<POINT> offsets) const
    {
        auto t = std::make_unique<TRACK>();
        U_NAV_vClearTrack(t.get());
        for (POINT o : offsets)
            U_NAV_vAddTrackPoint(t.get(), p.mm(o.x, o.y), 0, FALSE);
        return t;
    }
    POINT project(POINT offset, S32 altitude = 0) const
    {
        U_NAV_vConvertMMToHighwayViewPixel(&offset, altitude, &p.nvi.RotContext, &p.nvi.CenterOffset,
                                           p.nvi.nPixelsPerMMM, p.nvi.nEyeOffsetMM);
        return offset;
    }
    static gt::PixelSet iconAt(const ICON* icon, POINT at)
    {
        Pane q;
        G_ICON_vPut(q.bitmap(), icon, &at);
        return q.drawn();
    }

    Pane p;
};

// --- The view -------------------------------------------------------------------------------

TEST_F(Perspective, APointIsInViewUpToEachEdgeAndTheHorizonAndNotOneMetreBeyond)
{
    p.nvi.nEyeOffsetMM = 1000;
    struct Case {
        const char* what;
        POINT offset;
        bool in;
    };
    const Case cases[] = {
        {"on the right edge, 2x' - y' = E", {500, 0}, true},
        {"one metre right of it", {501, 0}, false},
        {"on the left edge", {-500, 0}, true},
        {"one metre left of it", {-501, 0}, false},
        {"on the near edge", {0, -500}, true},
        {"one metre nearer", {0, -501}, false},
        {"behind the eye", {0, -1500}, false},
        {"on the horizon, 4E ahead", {0, 4000}, true},
        {"4E + 1 ahead", {0, 4001}, false},
        {"4E + 1 beside, inside the edges", {2001, 3479}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(T_NAV_bPerspectiveInView(&p.nvi, &c.offset) != FALSE, c.in) << c.what;
    }
    // Turned a quarter: the right edge runs through what lies south.
    p.turn(90);
    const POINT south = {0, -500};
    const POINT further = {0, -501};
    EXPECT_EQ(T_NAV_bPerspectiveInView(&p.nvi, &south) != FALSE, true);
    EXPECT_EQ(T_NAV_bPerspectiveInView(&p.nvi, &further) != FALSE, false);
}

TEST_F(Perspective, APolylineOfOnePointDrawsNothingNotEvenAPenMove)
{
    gr_SetAbsPenPos(&p.nvi.GrContext, 7, 7);
    POINT one[1] = {{0, 0}};
    T_NAV_vRenderPerspectivePolyLineMM(one, 1, &p.nvi);
    EXPECT_EQ(p.pen().x, 7);
    EXPECT_EQ(p.pen().y, 7);
    EXPECT_TRUE(p.drawn().empty());

    POINT two[2] = {{-5, 0}, {5, 10}};
    T_NAV_vRenderPerspectivePolyLineMM(two, 2, &p.nvi);
    EXPECT_EQ(p.pen().x, project(two[1]).x);
    EXPECT_EQ(p.pen().y, project(two[1]).y);
    EXPECT_EQ(p.nvi.GrContext.DrTool, BRUSH);
    EXPECT_EQ(p.nvi.GrContext.PixelSize, 2);
}

TEST_F(Perspective, InThe3DChartViewEveryPointGoesThroughItsProjection)
{
    p.nvi.bVuruzaveRender = TRUE;
    NAV_STANDIN_vSet3DView(E(), p.nvi.nPixelsPerMMM, {400, 300}, &p.nvi.RotContext);
    gr_SetColor(&p.nvi.GrContext, 21);
    POINT pts[3] = {{-5, 0}, {0, 10}, {5, 20}};
    T_NAV_vRenderPerspectivePolyLineMM(pts, 3, &p.nvi);
    EXPECT_EQ(NAV_STANDIN_t3DCalls().u32Projections, 3u);
    POINT last = pts[2];
    T_CHART_3D_vProjectPoint(&last, 0, nullptr, nullptr, nullptr);
    EXPECT_EQ(p.pen().x, last.x);
    EXPECT_EQ(p.pen().y, last.y);
    EXPECT_NE(project(pts[2]).y, last.y) << "not the highway projection";
}

TEST_F(Perspective, TheSegmentRuleClipsCrossingsAndSkipsWhatLiesBeyondOneEdge)
{
    // E is 25 m at scale 12: both ends right of the view, then behind the
    // eye on both ends: nothing.
    POINT right[2] = {{40, 0}, {60, 30}};
    T_NAV_vRenderPerspectivePolyLineMM(right, 2, &p.nvi);
    POINT behind[2] = {{-5, -30}, {5, -40}};
    T_NAV_vRenderPerspectivePolyLineMM(behind, 2, &p.nvi);
    EXPECT_TRUE(p.drawn().empty());

    // From the centre to beyond the horizon: drawn up to the roof only,
    // and the far end breaks the line: the next point starts afresh.
    gr_SetColor(&p.nvi.GrContext, 21);
    POINT far[3] = {{0, 0}, {0, 4 * E() + 1}, {5, 0}};
    T_NAV_vRenderPerspectivePolyLineMM(far, 3, &p.nvi);
    const POINT centre = project({0, 0});
    EXPECT_EQ(p.at(centre.x, centre.y + 30), AHEAD);
    EXPECT_NE(p.pen().y, project({0, 4 * E() + 1}).y) << "the pen never stood on the far point";
}

TEST_F(Perspective, BreadcrumbsGrowFromTheBottomOfThePaneToItsCentreHeight)
{
    // A point a quarter of E ahead of the near edge, low on the pane.
    auto near = track({{0, -E() / 4}});
    T_NAV_vRenderPerspectiveTrack(near.get(), &p.nvi, TRUE, TRACK_STYLE_BREADCRUMBS, 21);
    const POINT px = project({0, -E() / 4});
    const S32 k = std::clamp(px.y * 11 / p.nvi.CenterOffset.y, 0, 10);
    EXPECT_LT(k, 5);
    EXPECT_EQ(p.drawn(), iconAt(s_pCurrentTrackpointIcons[k], {px.x - 1, px.y}));

    // The 3D view puts the same point above the pane centre's height: the
    // largest dot, of the saved tracks' kind.
    p.bitmap().clear();
    p.nvi.bVuruzaveRender = TRUE;
    NAV_STANDIN_vSet3DView(E(), p.nvi.nPixelsPerMMM, {400, 750}, &p.nvi.RotContext);
    T_NAV_vRenderPerspectiveTrack(near.get(), &p.nvi, FALSE, TRACK_STYLE_BREADCRUMBS, 21);
    POINT at = {0, -E() / 4};
    T_CHART_3D_vProjectPoint(&at, 0, nullptr, nullptr, nullptr);
    ASSERT_GE(at.y, p.nvi.CenterOffset.y);
    EXPECT_EQ(p.drawn(), iconAt(s_pSavedTrackpointIcons[10], {at.x - 1, at.y}));

    // The current track is hidden with "SCTV" in perspective too.
    p.bitmap().clear();
    setBool("SCTV", false);
    T_NAV_vRenderPerspectiveTrack(near.get(), &p.nvi, TRUE, TRACK_STYLE_BREADCRUMBS, 21);
    EXPECT_TRUE(p.drawn().empty());
}

TEST_F(Perspective, ATrollingMotorTrackStandsItsPinsOnItsEnds)
{
    RUMBREL r{};
    r.nCount = 3;
    r.u32DateTime = 1;
    r.aTrackPoints[0] = p.mm(-10, 0);
    r.aTrackPoints[1] = p.mm(0, 20);
    r.aTrackPoints[2] = p.mm(10, 40);
    const auto pinAt = [&](POINT offset, const ICON* icon) {
        const POINT px = project(offset);
        return iconAt(icon, {px.x - (S32)(G_ICON_u32GetWidth(icon) - 1) / 2, px.y});
    };
    struct Case {
        const char* what;
        std::optional<U32> palette;
        const ICON* start;
        const ICON* end;
    };
    const Case cases[] = {
        {"palette 1", 1u, &Wpt_pin_start_icon, &Wpt_pin_end_icon},
        {"palette 2", 2u, &Wpt_pin_start_wht_icon, &Wpt_pin_end_wht_icon},
        {"no palette", std::nullopt, &Wpt_pin_start_wht_icon, &Wpt_pin_end_wht_icon},
    };
    for (const Case& c : cases) {
        H_DATABASE_vInit();
        if (c.palette)
            setU32("SPAL", *c.palette);
        p.bitmap().clear();
        T_NAV_vRenderPerspectiveRumbrel(&p.nvi, &r, 0, 2, 8, RUMBREL_STYLE_WIDE_LINE, TRUE, TRUE);
        gt::PixelSet expected = pinAt({-10, 0}, c.start);
        const gt::PixelSet end = pinAt({10, 40}, c.end);
        const gt::PixelSet drawn = p.drawn();
        EXPECT_TRUE(std::includes(drawn.begin(), drawn.end(), expected.begin(), expected.end())) << c.what;
        EXPECT_TRUE(std::includes(drawn.begin(), drawn.end(), end.begin(), end.end())) << c.what;
        EXPECT_EQ(p.nvi.GrContext.DrTool, STD_PEN) << c.what;
    }
    r.u32DateTime = 0;
    p.bitmap().clear();
    T_NAV_vRenderPerspectiveRumbrel(&p.nvi, &r, 0, 2, 8, RUMBREL_STYLE_WIDE_LINE, TRUE, TRUE);
    EXPECT_TRUE(p.drawn().empty()) << "a track without a date";
}

TEST_F(Perspective, AnAisTargetBehindTheNearEdgeIsNotDrawn)
{
    const auto targetAt = [&](POINT offset) {
        ais_DeviceInfo t{};
        POSITION pos{};
        const POINT mm = p.mm(offset.x, offset.y);
        nv_MeterToDegr(&mm, &pos);
        t.aisInfo.Latitude = pos.lat;
        t.aisInfo.Longitude = pos.lon;
        t.aisInfo.MMSI = 42;
        t.aisInfo.ShipType = 36;
        return t;
    };
    p.nvi.nEyeOffsetMM = 20;
    ais_DeviceInfo behind = targetAt({0, -11}); // 2y' = -22 < -E
    T_NAV_vRenderPerspectiveAis(&behind, &p.nvi);
    EXPECT_TRUE(p.drawn().empty());

    ais_DeviceInfo ahead = targetAt({0, 10});
    T_NAV_vRenderPerspectiveAis(&ahead, &p.nvi);
    const POSITION pos = {ahead.aisInfo.Latitude, ahead.aisInfo.Longitude};
    POINT mm{};
    nv_DegrToMeter(&pos, &mm);
    const POINT px = project(T_NAV_ptRelativeToCenter(&p.nvi, mm));
    const ICON* bird = G_NAV_pAisBirdsEyeIcon(NAV_AIS_SAIL, NAV_AIS_NORMAL);
    const gt::PixelSet symbol = iconAt(bird, {px.x - (S32)(G_ICON_u32GetWidth(bird) - 1) / 2, px.y});
    const gt::PixelSet drawn = p.drawn();
    EXPECT_TRUE(std::includes(drawn.begin(), drawn.end(), symbol.begin(), symbol.end()));
    EXPECT_GT(drawn.size(), symbol.size()) << "the MMSI above it";
}

TEST_F(Perspective, TheLegsNavigationSkipsAreDrawnInTheTravelledColour)
{
    // Stored A B C; navigated from S straight to C: the legs S-A, A-B and
    // B-C of the stored route are skipped ones.
    place(1, p.mm(-10, 10), "A");
    place(2, p.mm(0, 30), "B");
    place(3, p.mm(10, 50), "C");
    place(9, p.mm(0, 0), "S");
    ROUTE stored{};
    stored.nCount = 3;
    stored.anWaypoint[0] = 1;
    stored.anWaypoint[1] = 2;
    stored.anWaypoint[2] = 3;
    s_CurrentRoute.nCount = 2;
    s_CurrentRoute.anWaypoint[0] = 9;
    s_CurrentRoute.anWaypoint[1] = 3;
    T_NAV_vRenderPerspectiveSkipedLeg(&stored, &p.nvi);
    const auto midOf = [&](POINT a, POINT b) {
        const POINT pa = project(a);
        const POINT pb = project(b);
        return p.at((pa.x + pb.x) / 2, (pa.y + pb.y) / 2);
    };
    EXPECT_EQ(midOf({0, 0}, {-10, 10}), TRAVELLED);
    EXPECT_EQ(midOf({-10, 10}, {0, 30}), TRAVELLED);
    EXPECT_EQ(midOf({0, 30}, {10, 50}), TRAVELLED);
    EXPECT_EQ(p.nvi.GrContext.DrTool, STD_PEN);

    // Nothing is skipped when navigation follows the stored route.
    p.bitmap().clear();
    s_CurrentRoute = stored;
    T_NAV_vRenderPerspectiveSkipedLeg(&stored, &p.nvi);
    EXPECT_TRUE(p.drawn().empty());
}

// --- The boat --------------------------------------------------------------------------------

TEST_F(Perspective, AtScale20TheBoatsDistanceIsQuarteredSoTheModelKeepsItsSize)
{
    highway(18);
    p.nvi.ptBoatMM = p.mm(100, 200);
    p.nvi.fBoatHeading = 30.0f;
    T_NAV_vRenderPerspectiveBoat(&p.nvi);
    const gt::PixelSet at18 = p.drawn();
    ASSERT_FALSE(at18.empty());

    Pane q;
    q.nvi = p.nvi;
    q.nvi.pBitmap = q.bitmap();
    gr_InitGC(&q.nvi.GrContext, PIXELDIM{800, 600}, (VSCREENPTR)q.bitmap()->pBuffer);
    q.nvi.nChartScale = 20;
    q.nvi.nEyeOffsetMM = T_CHART_nCalculateHighwayEyeOffsetMM(20);
    q.nvi.ptBoatMM = q.mm(400, 800);
    T_NAV_vRenderPerspectiveBoat(&q.nvi);
    EXPECT_EQ(q.drawn(), at18);
    EXPECT_EQ(q.nvi.GrContext.DrTool, STD_PEN);
}

TEST_F(Perspective, TheBoatBeyondTheHorizonIsNotDrawnAndEveryPushIsPopped)
{
    p.nvi.ptBoatMM = p.mm(0, 4 * E() + 1);
    T_NAV_vRenderPerspectiveBoat(&p.nvi);
    EXPECT_TRUE(p.drawn().empty());

    highway(18);
    p.nvi.bVuruzaveRender = TRUE;
    p.nvi.ptBoatMM = p.mm(0, 0);
    NAV_STANDIN_vSet3DView(E(), p.nvi.nPixelsPerMMM, p.nvi.CenterOffset, &p.nvi.RotContext);
    T_NAV_vRenderPerspectiveBoat(&p.nvi);
    const NAV_STANDIN_3D_CALLS calls = NAV_STANDIN_t3DCalls();
    EXPECT_EQ(calls.u32Pushes, 1u);
    EXPECT_EQ(calls.u32Pops, 1u);
    EXPECT_EQ(calls.u32Updates, 1u);
    EXPECT_EQ(calls.nDepth, 0);
    EXPECT_EQ(calls.u32CustomColor, 3u);
    EXPECT_GT(calls.u32Projections, 0u);
    EXPECT_EQ(calls.nEyeOffsetAtLastProjection, T_CHART_nCalculateHighwayEyeOffsetMM(18));
    EXPECT_FALSE(p.drawn().empty());
    EXPECT_EQ(p.nvi.GrContext.DrTool, STD_PEN);

    // Beyond the 3D horizon nothing is pushed.
    p.nvi.ptBoatMM = p.mm(0, 4 * E() + 10);
    T_NAV_vRenderPerspectiveBoat(&p.nvi);
    EXPECT_EQ(NAV_STANDIN_t3DCalls().u32Pushes, 1u);
}

// --- A picture --------------------------------------------------------------------------------

TEST_F(Perspective, AHighwayFrameWithTracksAndTheBoatLooksRight)
{
    highway(16);
    std::vector<POINT> crumbs;
    std::vector<POINT> line;
    for (int i = 0; i < 60; ++i) {
        crumbs.push_back({(S32)(-180 + 60 * std::sin(i / 6.0)), -150 + 25 * i});
        line.push_back({(S32)(220 + 80 * std::sin(i / 7.0)), -180 + 28 * i});
    }
    auto saved = track(crumbs);
    T_NAV_vRenderPerspectiveTrack(saved.get(), &p.nvi, FALSE, TRACK_STYLE_BREADCRUMBS, 21);
    auto current = track(line);
    T_NAV_vRenderPerspectiveTrack(current.get(), &p.nvi, TRUE, TRACK_STYLE_WIDE_LINE, 21);

    RUMBREL r{};
    r.nCount = 5;
    r.u32DateTime = 1;
    const POINT pts[5] = {{-200, 300}, {0, 700}, {300, 1100}, {100, 1500}, {-300, 1800}};
    for (int i = 0; i < 5; ++i)
        r.aTrackPoints[i] = p.mm(pts[i].x, pts[i].y);
    T_NAV_vRenderPerspectiveRumbrel(&p.nvi, &r, 0, 4, 16, RUMBREL_STYLE_WIDE_LINE, TRUE, TRUE);

    p.nvi.ptBoatMM = p.mm(0, -100);
    p.nvi.fBoatHeading = 20.0f;
    T_NAV_vRenderPerspectiveBoat(&p.nvi);
    expectGolden(p.bitmap(), "nav_highway");
}

} // namespace
