// AIS targets and alarm limits on panes: the class and variant of a
// target's symbol, its course sector and quarter turn, the course line, the
// closest-approach crosses, the label; the drift circle, arrival circle and
// off-course corridor in each kind of navigation; and a picture.
#include "nav/tests/nav_pane.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "nav/core/g_nav_overlay_icons.h"
#include "nav/core/neighbour_standins.h"

#include <cmath>
#include <functional>
#include <vector>

using namespace pane;

namespace {

constexpr U32 NOW = 100000; // "IDTM"
constexpr COLOR COURSE = 0x2104; // palette 0 of the tests

class Ais : public Painters {
protected:
    void SetUp() override
    {
        Painters::SetUp();
        setU32("IDTM", NOW);
        H_DATABASE_bUpdateValueS32(FCID("STCL"), 0, P_NORMAL);
        setBool("SLBL", false);
        setFloat("ISOG", 0.0f);
    }

    // A target at so many metres from the pane centre, heard just now.
    ais_DeviceInfo target(S32 east, S32 north, U8 type = 53) const
    {
        ais_DeviceInfo t{};
        POSITION pos{};
        const POINT mm = p.mm(east, north);
        nv_MeterToDegr(&mm, &pos);
        t.aisInfo.validTarget = 1;
        t.aisInfo.MMSI = 366123456;
        t.aisInfo.Latitude = pos.lat;
        t.aisInfo.Longitude = pos.lon;
        t.aisInfo.ShipType = type;
        t.ReceiveLastTime = (S32)NOW;
        return t;
    }
    static ais_DeviceInfo withCourse(ais_DeviceInfo t, double cog, double sog = 0.0)
    {
        t.aisInfo.Cog = cog;
        t.aisInfo.Sog = sog;
        t.aisInfo.validityFlag[COG_FLAG_INDEX] = 1;
        return t;
    }
    // The target's pixel, as the painter finds it.
    POINT pixelOf(const ais_DeviceInfo& t) const
    {
        const POSITION pos = {t.aisInfo.Latitude, t.aisInfo.Longitude};
        POINT mm{};
        nv_DegrToMeter(&pos, &mm);
        return p.pixelOf(mm);
    }
    // A symbol turned by quarter turns at the corner the painter takes, with
    // a course line of no length and its circle, on a fresh pane.
    static gt::PixelSet symbolWithStub(const ICON* icon, S32 turn, POINT at)
    {
        Pane q;
        const S32 w = (S32)G_ICON_u32GetWidth(icon);
        const S32 h = (S32)G_ICON_u32GetHeight(icon);
        const POINT corners[4] = {{at.x + 1 - w / 2, at.y - h / 2},
                                  {at.x - h / 2, at.y + w / 2 - 1},
                                  {at.x + w / 2 - 1, at.y + h / 2},
                                  {at.x + h / 2 - 1, at.y - w / 2}};
        G_ICON_vPutRotated(q.bitmap(), icon, &corners[turn], (G_ICON_ROTATION)turn);
        gr_SetColor(&q.nvi.GrContext, 0);
        gr_SetAbsPenPos(&q.nvi.GrContext, at.x, at.y);
        gr_DrawAbsLine(&q.nvi.GrContext, at.x, at.y);
        const POINT c = {at.x - 4, at.y - 4};
        G_ICON_vPut(q.bitmap(), &AIS_circle, &c);
        return q.drawn();
    }
    static gt::PixelSet iconCentred(const ICON* icon, POINT at)
    {
        Pane q;
        const POINT c = {at.x - (S32)G_ICON_u32GetWidth(icon) / 2, at.y - (S32)G_ICON_u32GetHeight(icon) / 2};
        G_ICON_vPut(q.bitmap(), icon, &c);
        return q.drawn();
    }
    static bool contains(const gt::PixelSet& big, const gt::PixelSet& small)
    {
        return std::includes(big.begin(), big.end(), small.begin(), small.end());
    }

    Pane p;
};

// --- Targets -------------------------------------------------------------------------------

TEST_F(Ais, ShipTypesChooseTheClassOfTheSymbol)
{
    struct Case {
        U8 type;
        NAV_AIS_CLASS cls;
    };
    std::vector<Case> cases = {{51, NAV_AIS_UNKNOWN},  {53, NAV_AIS_CARGO},   {30, NAV_AIS_PASSENGER},
                               {20, NAV_AIS_DREDGE},   {39, NAV_AIS_DREDGE}, {59, NAV_AIS_DREDGE},
                               {89, NAV_AIS_CARGO},    {37, NAV_AIS_PASSENGER}, {52, NAV_AIS_TUG},
                               {35, NAV_AIS_LAW},      {32, NAV_AIS_TOW},    {36, NAV_AIS_SAIL},
                               {0, NAV_AIS_UNKNOWN},   {19, NAV_AIS_UNKNOWN}, {255, NAV_AIS_UNKNOWN}};
    for (U8 t = 90; t <= 99; ++t)
        cases.push_back({t, NAV_AIS_UNKNOWN});
    for (const Case& c : cases)
        EXPECT_EQ(T_NAV_eAisClass(c.type), c.cls) << (int)c.type;

    // Without a course: symbol 0 of the set, unturned, one pixel further left.
    for (U8 type : {51, 53, 30}) {
        Ais::p.bitmap().clear();
        ais_DeviceInfo t = target(-50, 30, type);
        T_NAV_vRenderAIS(&t, &p.nvi, FALSE);
        const ICON* icon = G_NAV_pAisShipIcon(T_NAV_eAisClass(type), NAV_AIS_NORMAL, 0);
        const POINT at = pixelOf(t);
        Pane q;
        const POINT corner = {at.x - 10 - 1, at.y - 12};
        G_ICON_vPut(q.bitmap(), icon, &corner);
        EXPECT_EQ(p.drawn(), q.drawn()) << (int)type;
    }
}

TEST_F(Ais, ATargetTurnsGreyAfter659SilentSecondsAndRedInAlarmWhateverItsAge)
{
    struct Case {
        const char* what;
        S32 age;
        bool alarm;
        bool idtm;
        NAV_AIS_VARIANT variant;
    };
    const Case cases[] = {
        {"heard 659 s ago", 659, false, true, NAV_AIS_NORMAL},
        {"heard 660 s ago", 660, false, true, NAV_AIS_GREY},
        {"in alarm, long silent", 5000, true, true, NAV_AIS_RED},
        {"in alarm, just heard", 0, true, true, NAV_AIS_RED},
        {"no clock", 5000, false, false, NAV_AIS_NORMAL},
    };
    for (const Case& c : cases) {
        H_DATABASE_vInit();
        if (c.idtm)
            setU32("IDTM", NOW);
        ais_DeviceInfo t = target(0, 0);
        t.ReceiveLastTime = (S32)NOW - c.age;
        t.bAisAlarmActive = c.alarm;
        EXPECT_EQ(T_NAV_eAisVariant(&t), c.variant) << c.what;
    }
}

TEST_F(Ais, TheCourseChoosesOneOfThirtySixSectorsAsASymbolAndAQuarterTurn)
{
    struct Case {
        double cog;
        S32 rotation;
        U32 step;
        S32 turn;
    };
    const Case cases[] = {
        {355.0, 0, 0, 0},  {94.0, 0, 0, 1},  {4.9, 0, 0, 0},    {5.0, 0, 1, 0},   {185.0, 0, 1, 2}, {184.9, 0, 0, 2},
        {268.0, 0, 0, 3},  {80.0, 0, 8, 0},  {100.0, 90, 1, 0}, {10.0, 90, 1, 3}, {359.99, 0, 0, 0},
        {-20.0, 0, 7, 3},
    };
    for (const Case& c : cases) {
        p.bitmap().clear();
        ais_DeviceInfo t = withCourse(target(40, -20), c.cog);
        p.turn(c.rotation);
        T_NAV_vRenderAIS(&t, &p.nvi, FALSE);
        const ICON* icon = G_NAV_pAisShipIcon(NAV_AIS_CARGO, NAV_AIS_NORMAL, c.step);
        EXPECT_EQ(p.drawn(), symbolWithStub(icon, c.turn, pixelOf(t))) << c.cog << " on a chart turned " << c.rotation;
    }
}

TEST_F(Ais, TheCourseLineRunsSogTimesSTCLAndEndsInACircle)
{
    H_DATABASE_bUpdateValueS32(FCID("STCL"), 60, P_NORMAL);
    ais_DeviceInfo t = withCourse(target(-200, 0), 90.0, 10.0); // 308 m ahead
    T_NAV_vRenderAIS(&t, &p.nvi, FALSE);
    const POINT at = pixelOf(t);
    EXPECT_EQ(p.at(at.x + 200, at.y), COURSE);
    EXPECT_TRUE(contains(p.drawn(), iconCentred(&AIS_circle, {at.x + 308, at.y})));

    // Far beyond the box: the line stops at twice the half-width.
    p.bitmap().clear();
    t = withCourse(target(-200, 0), 90.0, 1.0e6);
    T_NAV_vRenderAIS(&t, &p.nvi, FALSE);
    EXPECT_EQ(p.at(700, at.y), COURSE);
    EXPECT_TRUE(contains(p.drawn(), iconCentred(&AIS_circle, {800, at.y}))) << "clipped to the 800-pixel box";
}

TEST_F(Ais, InAlarmTheCrossesMarkBothClosestApproachPositions)
{
    struct Case {
        const char* what;
        double tcpa;  // minutes
        float ownMps; // "ISOG"
        S32 targetDx; // pixels from the target to its cross
        S32 ownDy;    // from the boat to its cross (heading north)
    };
    const Case cases[] = {
        {"TCPA 0: both crosses on the vessels", 0.0, 5.0f, 0, 0},
        {"own speed 0.2 kn: the own cross on the boat", 1.0, 0.2f * 0.5144444f, 123, 0},
        {"both moving", 1.0, 2.0f * 0.5144444f, 123, 61},
    };
    for (const Case& c : cases) {
        p.bitmap().clear();
        setFloat("ISOG", c.ownMps);
        p.nvi.ptBoatMM = p.mm(0, -200);
        p.nvi.fBoatHeading = 0.0f;
        ais_DeviceInfo t = withCourse(target(-200, 100), 90.0, 4.0);
        t.aisInfo.TCPA = c.tcpa;
        t.bAisAlarmActive = TRUE;
        T_NAV_vRenderAIS(&t, &p.nvi, FALSE);
        const POINT at = pixelOf(t);
        const POINT boat = p.pixelOf(p.nvi.ptBoatMM);
        EXPECT_TRUE(contains(p.drawn(), iconCentred(&red_x_icon, {at.x + c.targetDx, at.y}))) << c.what;
        EXPECT_TRUE(contains(p.drawn(), iconCentred(&red_x_icon, {boat.x, boat.y + c.ownDy}))) << c.what;
    }
}

TEST_F(Ais, TheMMSILabelShowsAtScale17AndCloserWhenAsked)
{
    ais_DeviceInfo t = withCourse(target(0, 0), 0.0);
    T_NAV_vRenderAIS(&t, &p.nvi, FALSE);
    const gt::PixelSet plain = p.drawn();
    setBool("SLBL", true);
    for (S32 scale : {17, 18}) {
        p.bitmap().clear();
        p.nvi.nChartScale = scale;
        T_NAV_vRenderAIS(&t, &p.nvi, FALSE);
        const gt::PixelSet drawn = p.drawn();
        if (scale == 18) {
            EXPECT_EQ(drawn, plain);
            continue;
        }
        ASSERT_GT(drawn.size(), plain.size());
        const POINT at = pixelOf(t);
        for (const gt::Pixel& px : drawn) {
            if (!plain.count(px)) {
                EXPECT_GE(px.first, at.x + 10 + 1) << "the label stands right of the symbol";
            }
        }
    }
}

TEST_F(Ais, ATargetOutsideTheBoxOrWithoutAPositionDrawsNothing)
{
    ais_DeviceInfo far = withCourse(target(900, 0), 0.0);
    T_NAV_vRenderAIS(&far, &p.nvi, FALSE);
    ais_DeviceInfo nowhere = target(0, 0);
    nowhere.aisInfo.Latitude = 91.0 * 10; // not a position
    T_NAV_vRenderAIS(&nowhere, &p.nvi, FALSE);
    ais_DeviceInfo nan = withCourse(target(0, 0), std::nan(""));
    T_NAV_vRenderAIS(&nan, &p.nvi, FALSE); // no course: the unturned symbol
    Pane q;
    const POINT at = pixelOf(nan);
    const POINT corner = {at.x - 11, at.y - 12};
    G_ICON_vPut(q.bitmap(), G_NAV_pAisShipIcon(NAV_AIS_CARGO, NAV_AIS_NORMAL, 0), &corner);
    EXPECT_EQ(p.drawn(), q.drawn());
}

// --- Alarm limits ---------------------------------------------------------------------------

class Limits : public Ais {
protected:
    void SetUp() override
    {
        Ais::SetUp();
        place(A, p.mm(-200, -100), "A");
        place(B, p.mm(150, 100), "B");
        s_CurrentRoute.nCount = 2;
        s_CurrentRoute.anWaypoint[0] = A;
        s_CurrentRoute.anWaypoint[1] = B;
        s_bRecalculate = FALSE;
        setU32("INIP", 1);
        setFloat("CNDA", 60.0f);
        H_DATABASE_bUpdateValueS32(FCID("IDLT"), p.mm(0, 0).y, P_NORMAL);
        H_DATABASE_bUpdateValueS32(FCID("IDLN"), p.mm(-300, 0).x, P_NORMAL);
        setFloat("SNAO", 30.0f);
        setFloat("SNAA", 50.0f);
        setFloat("SIOC", 20.0f);
        setFloat("SIAA", 40.0f);
        setBool("IPNO", false);
        setBool("CCNC", false);
        // The leg's course: atan2(350, 200) from north.
        setFloat("ITRK", 60.3f);
        NAV_STANDIN_vSetRumbrelEndPt(p.mm(250, -150));
    }
    void TearDown() override
    {
        s_u16MOBWaypoint = NAV_NO_MOB_WAYPOINT;
        Ais::TearDown();
    }

    // The colour at the ring's vertex due east of a centre.
    COLOR east(POINT centre, S32 r) const { return p.at(p.pixelOf({centre.x + r, centre.y})); }
    // The colour halfway along the corridor's left side (k - 90 degrees).
    COLOR corridor() const
    {
        const double k = 60.0 * 3.14159265358979 / 180.0;
        const POINT a = p.mm(-200, -100);
        const POINT b = p.mm(150, 100);
        const POINT mid = {(a.x + b.x) / 2 - (S32)std::lround(30 * std::cos(k)),
                           (a.y + b.y) / 2 + (S32)std::lround(30 * std::sin(k))};
        const POINT px = p.pixelOf(mid);
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (p.at(px.x + dx, px.y + dy) != BACKGROUND)
                    return p.at(px.x + dx, px.y + dy);
        return BACKGROUND;
    }

    static constexpr U16 A = 1, B = 2;
};

TEST_F(Limits, EachKindOfNavigationShowsItsOwnLimits)
{
    const COLOR stevrin16 = COLOR_vGetStevrinColorDef(16);
    struct Case {
        const char* what;
        std::function<void()> setup;
        bool drift;
        COLOR arrivalAtB;
        COLOR arrivalAtTrackEnd;
        COLOR corridor;
    };
    const std::vector<Case> cases = {
        {"a route", [] {}, true, FINAL, BACKGROUND, FINAL},
        {"continuous navigation has arrived", [] { setBool("CCNC", true); }, true, BACKGROUND, BACKGROUND,
         BACKGROUND},
        {"man overboard", [] { s_u16MOBWaypoint = 1; }, true, BACKGROUND, BACKGROUND, BACKGROUND},
        {"not navigating", [] { setU32("INIP", 0); }, true, BACKGROUND, BACKGROUND, BACKGROUND},
        {"no drift limit", [] { setFloat("CNDA", 0.0f); }, false, FINAL, BACKGROUND, FINAL},
        {"no off-course limit", [] { setFloat("SNAO", 0.0f); }, true, FINAL, BACKGROUND, BACKGROUND},
        {"the motor follows a track",
         [] {
             setBool("IPNO", true);
             setU32("IPMD", 1);
             setU32("INIP", 0);
         },
         true, BACKGROUND, stevrin16, BACKGROUND},
        {"the motor heads for the route's last point",
         [] {
             setBool("IPNO", true);
             setU32("IPMD", 5);
         },
         true, stevrin16, BACKGROUND, BACKGROUND},
        {"the motor heads for a middle point",
         [] {
             setBool("IPNO", true);
             setU32("IPMD", 5);
             setU32("INIP", 0);
         },
         true, BACKGROUND, BACKGROUND, BACKGROUND},
    };
    for (const Case& c : cases) {
        SetUp();
        p.bitmap().clear();
        c.setup();
        T_NAV_vRenderAlarmLimits(&p.nvi, FALSE);
        const bool bStevrin = c.arrivalAtTrackEnd != BACKGROUND || c.arrivalAtB == stevrin16;
        EXPECT_EQ(east(p.mm(-300, 0), 60), c.drift ? FINAL : BACKGROUND) << c.what;
        EXPECT_EQ(east(p.mm(150, 100), bStevrin ? 40 : 50), c.arrivalAtB) << c.what;
        EXPECT_EQ(east(p.mm(250, -150), 40), c.arrivalAtTrackEnd) << c.what;
        EXPECT_EQ(corridor(), c.corridor) << c.what;
        EXPECT_EQ(p.nvi.GrContext.DrTool, STD_PEN) << c.what;
        TearDown();
    }
}

TEST_F(Limits, OnARadarPaneTheCirclesFollowItsPixelsPerMetre)
{
    p.nvi.fPixelsPerMM = 0.5f;
    p.nvi.nPixelsPerMMM = 0;
    T_NAV_vRenderAlarmLimits(&p.nvi, TRUE);
    // The drift centre 300 m west lies 150 pixels left of the pane centre;
    // its ring's east point 30 pixels right of that.
    EXPECT_EQ(p.at(400 - 150 + 30, 300), FINAL);
    EXPECT_EQ(p.at(400 - 150, 300), BACKGROUND);
}

// --- A picture -------------------------------------------------------------------------------

TEST_F(Limits, AisSymbolsWithClosestApproachLinesAndTheThreeLimitsLookRight)
{
    H_DATABASE_bUpdateValueS32(FCID("STCL"), 30, P_NORMAL);
    setBool("SLBL", true);
    setFloat("ISOG", 3.0f);
    p.nvi.ptBoatMM = p.mm(-50, -200);
    p.nvi.fBoatHeading = 30.0f;
    T_NAV_vRenderAlarmLimits(&p.nvi, FALSE);

    const struct {
        S32 east, north;
        U8 type;
        double cog, sog;
        S32 age;
        bool alarm;
    } targets[] = {
        {-320, 200, 70, 135.0, 12.0, 0, false}, {-150, 220, 60, 250.0, 8.0, 0, false},
        {20, 230, 36, 10.0, 4.0, 700, false},    {200, 200, 31, 300.0, 6.0, 0, false},
        {300, -50, 52, 200.0, 9.0, 0, true},     {-330, -220, 99, 0.0, 0.0, 0, false},
    };
    for (const auto& d : targets) {
        ais_DeviceInfo t = withCourse(target(d.east, d.north, d.type), d.cog, d.sog);
        t.ReceiveLastTime = (S32)NOW - d.age;
        t.bAisAlarmActive = d.alarm;
        t.aisInfo.TCPA = 2.5;
        T_NAV_vRenderAIS(&t, &p.nvi, FALSE);
    }
    expectGolden(p.bitmap(), "nav_ais_limits");
}

} // namespace
