// Tracks and trolling-motor tracks on panes: the line to the boat, the
// track settings and palette swaps, breadcrumbs, the box test and clipped
// start of a trolling-motor track, the approach, contour and recording
// lines, the track under the cursor, the move/copy arrow, and a picture.
#include "nav/tests/nav_pane.h"
#include "nav/tests/nav_stevrin_world.h"

#include "chart_sdk/graphics/gr_bitmap.h"
#include "nav/core/g_nav_overlay_icons.h"
#include "nav/core/u_nav.h"
#include "nav/data/t_nav_twr_rumbrel.h"

#include <memory>
#include <vector>

using namespace pane;

namespace {

// The tracks' chart palette: every colour a track may be swapped between is
// told apart, and the breadcrumb bitmaps' entries (12, 13) as well.
constexpr COLOR C0 = 0x0841;
constexpr COLOR C12 = 0xFD20;  // also the current track's dots
constexpr COLOR C13 = 0x7BEF;  // the saved tracks' dots
constexpr COLOR C15 = 0x001F;
constexpr COLOR C21 = AHEAD;

const U16* trackPalette()
{
    static const std::array<U16, 48> palette = [] {
        std::array<U16, 48> p{};
        const U16* base = testPalette();
        std::copy(base, base + 48, p.begin());
        p[0] = C0;
        p[12] = C12;
        p[13] = C13;
        p[15] = C15;
        return p;
    }();
    return palette.data();
}

struct Pt {
    S32 east;
    S32 north;
    bool gap = false;
};

class Tracks : public Painters {
protected:
    void SetUp() override
    {
        Painters::SetUp();
        gr_SetColorPalette(trackPalette());
        G_NAV_vRegisterBreadcrumbBitmaps(&p.nvi.GrContext);
        s_bFTCNavOn = FALSE;
        s_tNavRumbrelData = {nullptr, FALSE, NAV_ID_NONE, 0, RUMBREL_TYPE_REGULAR, FALSE, {0, 0}};
        s_tMoveCopyRumbrel = RUMBREL{};
    }
    void TearDown() override
    {
        s_tNavRumbrelData = {nullptr, FALSE, NAV_ID_NONE, 0, RUMBREL_TYPE_REGULAR, FALSE, {0, 0}};
        Painters::TearDown();
    }

    std::unique_ptr<TRACK> track(std::vector<Pt> pts) const
    {
        auto t = std::make_unique<TRACK>();
        U_NAV_vClearTrack(t.get());
        for (const Pt& q : pts)
            U_NAV_vAddTrackPoint(t.get(), p.mm(q.east, q.north), 0, q.gap ? TRUE : FALSE);
        return t;
    }

    // A trolling-motor track through the points, its box computed.
    RUMBREL rumbrel(std::vector<Pt> pts, const char* name = "LAKE RUN", U32 color = 8) const
    {
        RUMBREL r{};
        r.nCount = (U32)pts.size();
        r.u32DateTime = 1;
        r.u32Color = color;
        r.u32Style = RUMBREL_STYLE_THIN_LINE;
        memcpy(r.sName, name, std::min(strlen(name), sizeof r.sName));
        for (size_t i = 0; i < pts.size(); ++i)
            r.aTrackPoints[i] = p.mm(pts[i].east, pts[i].north);
        T_NAV_STEVRIN_vCalculateLLURPoints(&r);
        return r;
    }

    COLOR mid(POINT a, POINT b) const
    {
        const POINT pa = p.pixelOf(a);
        const POINT pb = p.pixelOf(b);
        return p.at((pa.x + pb.x) / 2, (pa.y + pb.y) / 2);
    }

    // Where an icon centred on a point has its lower-left corner.
    POINT corner(POINT mm, const ICON* icon) const
    {
        const POINT px = p.pixelOf(mm);
        return {px.x + 1 - (S32)G_ICON_u32GetWidth(icon) / 2, px.y - (S32)G_ICON_u32GetHeight(icon) / 2};
    }

    // The pixels an icon leaves at a corner on a fresh pane.
    static gt::PixelSet iconAt(const ICON* icon, POINT at)
    {
        Pane q;
        G_ICON_vPut(q.bitmap(), icon, &at);
        return q.drawn();
    }
    static bool contains(const gt::PixelSet& big, const gt::PixelSet& small)
    {
        return std::includes(big.begin(), big.end(), small.begin(), small.end());
    }

    Pane p;
};

// --- Tracks -------------------------------------------------------------------------

TEST_F(Tracks, TheCurrentTrackRunsOnToTheBoatUnlessItsLastPointStartsASegment)
{
    struct Case {
        const char* what;
        bool lastIsGap;
        bool ftc;
        COLOR between; // halfway from the last point to the boat
    };
    const Case cases[] = {
        {"a normal last point", false, false, C21},
        {"a gap point last", true, false, BACKGROUND},
        {"while a contour is followed", false, true, BACKGROUND},
    };
    for (const Case& c : cases) {
        Pane q;
        p.bitmap().clear();
        s_bFTCNavOn = c.ftc ? TRUE : FALSE;
        p.nvi.ptBoatMM = p.mm(200, 150);
        auto t = track({{-200, 0}, {0, 0}, {100, 0, c.lastIsGap}});
        T_NAV_vRenderTrack(t.get(), &p.nvi, TRUE, TRACK_STYLE_THIN_LINE, 21, FALSE);
        EXPECT_EQ(mid(p.mm(100, 0), p.mm(200, 150)), c.between) << c.what;
        EXPECT_EQ(mid(p.mm(-200, 0), p.mm(0, 0)), C21) << c.what;
        if (!c.ftc) {
            const POINT boat = p.pixelOf(p.nvi.ptBoatMM);
            EXPECT_EQ(p.pen().x, boat.x) << c.what << ": the pen ends on the boat";
            EXPECT_EQ(p.pen().y, boat.y) << c.what;
        }
        EXPECT_EQ(p.nvi.GrContext.DrTool, STD_PEN) << c.what;
        EXPECT_EQ(p.nvi.GrContext.PixelSize, 1) << c.what;
    }
}

TEST_F(Tracks, AGapPointBreaksTheLineAndAPointOutsideTheBoxIsSkippedWithoutClipping)
{
    auto t = track({{-300, 0}, {-100, 0}, {100, 0, true}, {300, 0}, {300, 200}});
    T_NAV_vRenderTrack(t.get(), &p.nvi, FALSE, TRACK_STYLE_THIN_LINE, 21, FALSE);
    EXPECT_EQ(mid(p.mm(-300, 0), p.mm(-100, 0)), C21);
    EXPECT_EQ(mid(p.mm(-100, 0), p.mm(100, 0)), BACKGROUND) << "into the gap point";
    EXPECT_EQ(mid(p.mm(100, 0), p.mm(300, 0)), BACKGROUND) << "out of the gap point";
    EXPECT_EQ(mid(p.mm(300, 0), p.mm(300, 200)), C21);

    // 900 m out lies beyond the 800-pixel box: both its segments vanish.
    p.bitmap().clear();
    auto far = track({{-300, 0}, {-100, 0}, {900, 0}, {100, 100}, {300, 100}});
    T_NAV_vRenderTrack(far.get(), &p.nvi, FALSE, TRACK_STYLE_THIN_LINE, 21, FALSE);
    EXPECT_EQ(mid(p.mm(-300, 0), p.mm(-100, 0)), C21);
    EXPECT_EQ(p.at(p.pixelOf(p.mm(390, 0))), BACKGROUND);
    EXPECT_EQ(mid(p.mm(100, 100), p.mm(300, 100)), C21);
}

TEST_F(Tracks, SCTVHidesOnlyTheCurrentTrackAndAnUnreadableSettingShowsIt)
{
    auto t = track({{-200, 0}, {200, 0}});
    setBool("SCTV", false);
    T_NAV_vRenderTrack(t.get(), &p.nvi, TRUE, TRACK_STYLE_THIN_LINE, 21, FALSE);
    EXPECT_TRUE(p.drawn().empty());
    T_NAV_vRenderTrack(t.get(), &p.nvi, FALSE, TRACK_STYLE_THIN_LINE, 21, FALSE);
    EXPECT_EQ(mid(p.mm(-200, 0), p.mm(200, 0)), C21);

    H_DATABASE_vInit(); // no "SCTV" at all
    p.bitmap().clear();
    T_NAV_vRenderTrack(t.get(), &p.nvi, TRUE, TRACK_STYLE_THIN_LINE, 21, FALSE);
    EXPECT_EQ(mid(p.mm(-200, 0), p.mm(200, 0)), C21);
}

TEST_F(Tracks, PalettesSwapTheColoursTheyWouldHide)
{
    struct Case {
        U32 palette;
        U32 colour;
        COLOR drawn;
    };
    const Case cases[] = {
        {2, 12, C15}, {1, 15, C0}, {3, 0, C15}, {1, 12, C12}, {2, 15, C15}, {4, 0, C0},
    };
    auto t = track({{-200, 0}, {200, 0}});
    for (const Case& c : cases) {
        p.bitmap().clear();
        setU32("SPAL", c.palette);
        T_NAV_vRenderTrack(t.get(), &p.nvi, FALSE, TRACK_STYLE_WIDE_LINE, c.colour, FALSE);
        EXPECT_EQ(mid(p.mm(-200, 0), p.mm(200, 0)), c.drawn) << "palette " << c.palette << ", colour " << c.colour;
    }
}

TEST_F(Tracks, BreadcrumbsDotEveryNormalPointAtMostOncePerFourPixels)
{
    // 1 pixel per metre: the second point is 3 pixels from the first dot,
    // the third 4; the gap point sets the dot position without a dot.
    auto t = track({{0, 0}, {3, 3}, {4, 0}, {40, 0, true}, {42, 2}, {60, 0}});
    T_NAV_vRenderTrack(t.get(), &p.nvi, TRUE, TRACK_STYLE_BREADCRUMBS, 21, FALSE);
    const auto dotsAt = [&](std::vector<POINT> mms, COLOR colour) {
        Pane q;
        for (POINT mm : mms) {
            const POINT px = q.pixelOf(mm);
            gr_SetAbsPenPos(&q.nvi.GrContext, px.x - 1, px.y - 1);
            gr_PrintBitmapWithType(&q.nvi.GrContext, colour == C12 ? NAV_BREADCRUMB_CURRENT : NAV_BREADCRUMB_SAVED, 0);
        }
        return q.drawn();
    };
    EXPECT_EQ(p.drawn(), dotsAt({p.mm(0, 0), p.mm(4, 0), p.mm(60, 0)}, C12));
    EXPECT_EQ(p.count(C12), 27u);

    p.bitmap().clear();
    T_NAV_vRenderTrack(t.get(), &p.nvi, FALSE, TRACK_STYLE_BREADCRUMBS, 21, FALSE);
    EXPECT_EQ(p.count(C13), 27u) << "saved tracks print bitmap 5";
    EXPECT_EQ(p.count(C12), 0u);
}

TEST_F(Tracks, AnEmptyTrackOrAPaneWithoutScaleDrawsNothing)
{
    auto empty = track({});
    for (U32 style : {TRACK_STYLE_BREADCRUMBS, TRACK_STYLE_THIN_LINE}) {
        T_NAV_vRenderTrack(empty.get(), &p.nvi, TRUE, style, 21, FALSE);
        EXPECT_TRUE(p.drawn().empty());
    }
    auto t = track({{-200, 0}, {200, 0}});
    p.nvi.nPixelsPerMMM = 0;
    T_NAV_vRenderTrack(t.get(), &p.nvi, TRUE, TRACK_STYLE_THIN_LINE, 21, FALSE);
    EXPECT_TRUE(p.drawn().empty());
}

// --- Trolling-motor tracks ------------------------------------------------------------

TEST_F(Tracks, ATrackWhoseBoxMissesThePaneIsMarkedUndisplayedAndNotDrawn)
{
    RUMBREL west = rumbrel({{-1500, 0}, {-900, 100}});
    west.u32DisplayedOnChart = 1;
    T_NAV_vRenderRumbrel(&west, &p.nvi, FALSE, TRUE, TRUE, FALSE);
    EXPECT_EQ(west.u32DisplayedOnChart, 0u);
    EXPECT_TRUE(p.drawn().empty());
    EXPECT_TRUE(NAV_STANDIN_vNamesDrawn().empty());

    RUMBREL near = rumbrel({{-100, 0}, {100, 100}});
    T_NAV_vRenderRumbrel(&near, &p.nvi, FALSE, TRUE, TRUE, FALSE);
    EXPECT_EQ(near.u32DisplayedOnChart, 1u);
    EXPECT_EQ(mid(p.mm(-100, 0), p.mm(100, 100)), COLOR_vGetStevrinColorDef(8));

    RUMBREL empty{};
    empty.u32DisplayedOnChart = 1;
    T_NAV_vRenderRumbrel(&empty, &p.nvi, FALSE, TRUE, TRUE, FALSE);
    EXPECT_EQ(empty.u32DisplayedOnChart, 1u) << "an empty track is left alone";
}

TEST_F(Tracks, AStartOutsideTheBoxGivesTheClippedLineWithoutStartMarkOrName)
{
    RUMBREL r = rumbrel({{-1000, 0}, {100, 0}});
    T_NAV_vRenderRumbrel(&r, &p.nvi, FALSE, TRUE, TRUE, FALSE);
    const COLOR line = COLOR_vGetStevrinColorDef(8);
    EXPECT_EQ(p.at(p.pixelOf(p.mm(-390, 0))), line) << "clipped to the pane";
    EXPECT_TRUE(NAV_STANDIN_vNamesDrawn().empty());
    EXPECT_TRUE(contains(p.drawn(), iconAt(&rumbrelEnd_icon, corner(p.mm(100, 0), &rumbrelEnd_icon))));
    EXPECT_EQ(p.count(COLOR_colorRead(&gCOLOR_pcolColorTable[80 + 10])), 0u) << "no start mark";
}

TEST_F(Tracks, TheNameStandsBesideTheStartMarkInTheSmallFont)
{
    RUMBREL r = rumbrel({{-100, -50}, {100, 0}, {150, 120}}, "TWELVE CHARSXX");
    r.u32Style = RUMBREL_STYLE_WIDE_LINE;
    T_NAV_vRenderRumbrel(&r, &p.nvi, FALSE, TRUE, FALSE, FALSE);
    const POINT c = corner(p.mm(-100, -50), &rumbrelStart_icon);
    const auto names = NAV_STANDIN_vNamesDrawn();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].sText, "TWELVE CHARS");
    EXPECT_EQ(names[0].ptAnchor.x, c.x + 16 + 1);
    EXPECT_EQ(names[0].ptAnchor.y, c.y + 8 - 7);
    EXPECT_EQ(names[0].pFont, labelFont());
    EXPECT_EQ(names[0].color, entry(101));
    EXPECT_FALSE(contains(p.drawn(), iconAt(&rumbrelEnd_icon, corner(p.mm(150, 120), &rumbrelEnd_icon))));
    EXPECT_EQ(p.nvi.GrContext.DrTool, STD_PEN);
    EXPECT_EQ(p.nvi.GrContext.PixelSize, 1);
}

TEST_F(Tracks, TheWorkingCopyOfAMoveIsDashedOnlyWhileItHoldsPoints)
{
    RUMBREL r = rumbrel({{-100, 0}, {100, 0}});
    r.u32Style = RUMBREL_STYLE_WIDE_LINE;
    p.nvi.GrContext.ptrnattrib.type = 0;
    T_NAV_vRenderRumbrel(&r, &p.nvi, FALSE, FALSE, FALSE, TRUE);
    EXPECT_NE(p.nvi.GrContext.ptrnattrib.type, NAV_DASH_PATTERN_TYPE) << "no working copy yet";
    const POINT below = p.pixelOf(p.mm(0, 0));
    EXPECT_EQ(p.at(below.x, below.y - 1), COLOR_vGetStevrinColorDef(8)) << "the wide line";

    s_tMoveCopyRumbrel = r;
    T_NAV_vRenderRumbrel(&r, &p.nvi, FALSE, FALSE, FALSE, TRUE);
    EXPECT_EQ(p.nvi.GrContext.ptrnattrib.type, NAV_DASH_PATTERN_TYPE);
    EXPECT_FALSE(p.nvi.GrContext.ptrnattrib.status) << "switched off afterwards";
}

TEST_F(Tracks, TheMoveCopyArrowFollowsTheDirectionInFiveDegreeSteps)
{
    struct Case {
        float direction;
        U32 arrow;
    };
    const Case cases[] = {
        {2.9f, 360}, {0.0f, 360}, {7.0f, 5}, {-7.0f, 355}, {-180.0f, 180}, {-180.5f, 180},
        {185.0f, 180}, {180.0f, 180}, {-4.9f, 360}, {95.0f, 95},
    };
    for (const Case& c : cases)
        EXPECT_EQ(T_NAV_pMoveCopyArrowIcon(c.direction), G_NAV_pRumbrelOffsetArrow(c.arrow)) << c.direction;
    EXPECT_EQ(T_NAV_pMoveCopyArrowIcon(std::nanf("")), g_NAV_RumbrelOffsetArrows[0]);
    EXPECT_EQ(g_NAV_RumbrelOffsetArrows[0], G_NAV_pRumbrelOffsetArrow(180));
    EXPECT_EQ(g_NAV_RumbrelOffsetArrows[NAV_ARROW_ICONS - 1], G_NAV_pRumbrelOffsetArrow(180));

    setFloat("IPID", 2.9f);
    T_NAV_vRenderMoveCopyRumbrelOffsetArrow(&p.nvi, FALSE);
    const ICON* arrow = G_NAV_pRumbrelOffsetArrow(360);
    EXPECT_EQ(p.drawn(), iconAt(arrow, POINT{400 + 1 - 10, 300 - 10}));
}

// --- Lines of trolling-motor navigation -----------------------------------------------------

TEST_F(Tracks, FollowingTowardTheStartFromPointZeroLeavesOnlyTheApproachLine)
{
    RUMBREL r = rumbrel({{-200, 0}, {0, 0}, {200, 0}});
    place(7, p.mm(-200, -200), "S");
    const COLOR approach = COLOR_vGetStevrinColorDef(19);
    const COLOR own = COLOR_vGetStevrinColorDef(8);
    struct Case {
        bool toStart;
        U32 closest;
        COLOR secondLeg;
    };
    const Case cases[] = {{true, 0, own}, {false, 0, approach}, {true, 2, approach}, {false, 2, own}};
    for (const Case& c : cases) {
        p.bitmap().clear();
        s_tNavRumbrelData = {&r, (BOOLEAN)(c.toStart ? TRUE : FALSE), 7, c.closest, RUMBREL_TYPE_REGULAR, FALSE, {0, 0}};
        T_NAV_vRenderRouteToRumbrel(&p.nvi, FALSE);
        EXPECT_EQ(mid(p.mm(0, 0), p.mm(200, 0)), c.secondLeg) << c.toStart << " from " << c.closest;
        EXPECT_EQ(mid(p.mm(-200, -200), r.aTrackPoints[c.closest]), approach);
    }
}

TEST_F(Tracks, AClosestPointPastTheTrackIsTakenAsItsLastPoint)
{
    RUMBREL r = rumbrel({{-200, 0}, {0, 0}, {200, 0}});
    place(7, p.mm(-200, -200), "S");
    s_tNavRumbrelData = {&r, FALSE, 7, 5000, RUMBREL_TYPE_REGULAR, FALSE, {0, 0}};
    T_NAV_vRenderRouteToRumbrel(&p.nvi, FALSE);
    EXPECT_EQ(mid(p.mm(-200, -200), p.mm(200, 0)), COLOR_vGetStevrinColorDef(19));

    p.bitmap().clear();
    s_tNavRumbrelData = {&r, FALSE, 7, 5000, RUMBREL_TYPE_FTC, TRUE, p.mm(0, 200)};
    T_NAV_STEVRIN_vRenderFTCRumbrel(&p.nvi, FALSE);
    EXPECT_EQ(mid(p.mm(0, 200), p.mm(200, 0)), COLOR_vGetStevrinColorDef(19));
}

class Recording : public Tracks {
protected:
    void SetUp() override
    {
        Tracks::SetUp();
        T_NAV_ALARM_vInit();
        navw::publishNeighbourMailboxes();
        stw::ftcAlarms();
    }
};

TEST_F(Recording, WithoutAFixEveryRedrawRaisesTheNoteAndStillDrawsTheTrack)
{
    RUMBREL r = rumbrel({{-200, 0}, {0, 0}}, "REC", 17);
    s_tNavRumbrelData = {&r, FALSE, NAV_ID_NONE, NAV_STEVRIN_NOT_INDEXED, RUMBREL_TYPE_RECORDING, FALSE, {0, 0}};
    p.nvi.ptBoatMM = p.mm(100, 150);
    for (int redraw = 0; redraw < 2; ++redraw) {
        T_NAV_STEVRIN_vRenderRecordingRumbrel(&p.nvi, FALSE);
        std::vector<std::string> texts;
        for (const auto& a : stw::ftcAlarms())
            if (a.cmd == CMD_ID_SET_ALARM)
                texts.push_back(a.text);
        EXPECT_EQ(texts, std::vector<std::string>{"GPS Fix required for this operation"}) << redraw;
    }
    EXPECT_EQ(mid(p.mm(-200, 0), p.mm(0, 0)), COLOR_vGetStevrinColorDef(17));
    EXPECT_EQ(mid(p.mm(0, 0), p.mm(100, 150)), BACKGROUND);
    ASSERT_EQ(NAV_STANDIN_vNamesDrawn().size(), 2u);

    H_DATABASE_bUpdateValueS32(FCID("ILAT"), 1000, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("ILON"), 1000, P_NORMAL);
    T_NAV_STEVRIN_vRenderRecordingRumbrel(&p.nvi, FALSE);
    EXPECT_EQ(mid(p.mm(0, 0), p.mm(100, 150)), COLOR_vGetStevrinColorDef(17));
}

TEST_F(Tracks, TheTrackUnderTheCursorShowsItsStartAndBoxedName)
{
    RUMBREL* slot = T_NAV_pGetRumbrel(3);
    ASSERT_NE(slot, nullptr);
    *slot = rumbrel({{-50, 20}, {100, 0}}, "CURSOR");
    setU32("ICIT", 0xFFFF);
    T_NAV_vRenderCurosrRumbrel(&p.nvi, FALSE);
    EXPECT_TRUE(p.drawn().empty());

    setU32("ICIT", 3);
    T_NAV_vRenderCurosrRumbrel(&p.nvi, FALSE);
    const POINT c = corner(p.mm(-50, 20), &rumbrelStart_icon);
    const auto names = NAV_STANDIN_vNamesDrawn();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].sText, "CURSOR");
    EXPECT_EQ(names[0].pFont, cursorFont());
    EXPECT_EQ(names[0].ptAnchor.x, c.x + 17);
    EXPECT_EQ(names[0].ptAnchor.y, c.y + 8 - 8);
    EXPECT_EQ(p.at(c.x + 17, c.y + 18), entry(100)) << "the box's top row";
    EXPECT_EQ(p.at(c.x + 17 + (S32)width("CURSOR", cursorFont()), c.y), entry(100)) << "one pixel wider than the name";

    *slot = RUMBREL{};
    p.bitmap().clear();
    T_NAV_vRenderCurosrRumbrel(&p.nvi, FALSE);
    EXPECT_TRUE(p.drawn().empty());
}

// --- A picture --------------------------------------------------------------------------------

TEST_F(Tracks, TracksBreadcrumbsAndATrollingMotorTrackLookRight)
{
    std::vector<Pt> crumbs;
    for (int i = 0; i <= 60; ++i)
        crumbs.push_back({-350 + 6 * i, (S32)(120 + 60 * std::sin(i / 8.0))});
    auto saved = track(crumbs);
    T_NAV_vRenderTrack(saved.get(), &p.nvi, FALSE, TRACK_STYLE_BREADCRUMBS, 21, FALSE);

    auto current = track({{-350, -50}, {-250, -20}, {-150, -60}, {-100, -40, true}, {-50, -30}, {0, 0}});
    p.nvi.ptBoatMM = p.mm(40, 20);
    T_NAV_vRenderTrack(current.get(), &p.nvi, TRUE, TRACK_STYLE_WIDE_LINE, 21, FALSE);

    auto dashed = track({{-350, -200}, {-200, -150}, {-50, -220}});
    T_NAV_vRenderTrack(dashed.get(), &p.nvi, FALSE, TRACK_STYLE_SHORT_DASHED_LINE, 15, FALSE);

    RUMBREL r = rumbrel({{60, -200}, {150, -120}, {250, -160}, {330, -40}, {280, 60}}, "SHORELINE", 16);
    r.u32Style = RUMBREL_STYLE_WIDE_LINE;
    T_NAV_vRenderRumbrel(&r, &p.nvi, FALSE, TRUE, TRUE, FALSE);
    expectGolden(p.bitmap(), "nav_tracks");
}

} // namespace
