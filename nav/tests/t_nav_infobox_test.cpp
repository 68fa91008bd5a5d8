// The navigation's readout boxes: one info row of them while a route is
// navigated, while nothing navigates and while the trolling motor holds
// position, against checked-in pictures; the name they report on; the
// anchor a box laid out to the right moves on.
#include "nav/core/t_nav_infobox.h"
#include "nav/core/t_nav_route.h"
#include "nav/tests/nav_core_world.h"

#include "graphics/color.h"
#include "graphics/g_icon.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "nav/data/t_nav_twr.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace navw;

constexpr COLOR BACKGROUND = 0x4208; // a dark grey under the see-through bars
constexpr U32 ROW_HEIGHT = NAV_INFOBOX_HEIGHT;

void name(U16 slot, const char* pc, U8 icon)
{
    WAYPOINT* w = T_NAV_pGetWaypoint(slot);
    memset(w->sName, 0, sizeof w->sName);
    memcpy(w->sName, pc, strnlen(pc, sizeof w->sName));
    w->u8Icon = icon;
}

void writeReadouts()
{
    const U32 never = DB_TIMEOUT_NEVER;
    H_DATABASE_bUpdateEverythingFloat(k("IXTE"), 12.0f, P_NORMAL, D_DISTANCE, nullptr, never);
    H_DATABASE_bUpdateEverythingFloat(k("IDTG"), 1852.0f, P_NORMAL, D_DISTANCE, nullptr, never);
    H_DATABASE_bUpdateEverythingS32(k("ITTG"), 754, P_NORMAL, D_TIME, nullptr, never);
    H_DATABASE_bUpdateEverythingU32(k("IETA"), T0 + 754, P_NORMAL, D_DATETIME, nullptr, never);
    H_DATABASE_bUpdateEverythingFloat(k("IDTF"), 5556.0f, P_NORMAL, D_DISTANCE, nullptr, never);
    H_DATABASE_bUpdateEverythingS32(k("ITTF"), 2262, P_NORMAL, D_TIME, nullptr, never);
    H_DATABASE_bUpdateEverythingU32(k("IETF"), T0 + 2262, P_NORMAL, D_DATETIME, nullptr, never);
    H_DATABASE_bUpdateEverythingFloat(k("ICMG"), 45.0f, P_NORMAL, D_HEADING, nullptr, never);
    H_DATABASE_bUpdateEverythingFloat(k("ISMG"), 2.5f, P_NORMAL, D_SPEED, nullptr, never);
    H_DATABASE_bUpdateEverythingFloat(k("ITRK"), 47.0f, P_NORMAL, D_HEADING, nullptr, never);
    H_DATABASE_bUpdateEverythingFloat(k("IDST"), 926.0f, P_NORMAL, D_DISTANCE, nullptr, never);
    H_DATABASE_bUpdateEverythingS32(k("IETM"), 380, P_NORMAL, D_TIME, nullptr, never);
    H_DATABASE_bUpdateEverythingFloat(k("ISPD"), 2.5f, P_NORMAL, D_SPEED, nullptr, never);
    H_DATABASE_bUpdateEverythingFloat(k("ILTD"), 34.0123f, P_NORMAL, D_POSITION_LAT, nullptr, never);
    H_DATABASE_bUpdateEverythingFloat(k("ILND"), -84.0456f, P_NORMAL, D_POSITION_LON, nullptr, never);
    H_DATABASE_bUpdateEverythingU32(k("IDTM"), T0, P_NORMAL, D_DATETIME, nullptr, never);
}

class NavInfoBoxes : public NavCore {
protected:
    void SetUp() override
    {
        NavCore::SetUp();
        U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
        G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
        setS("CVEW", CHART_VIEW_PRIORITY);
        setU("SUDS", U_NAUT_MILES_FT);
        setU("SUSP", U_KNOTS);
        setU("SUHD", U_DEG_TRUE);
        setU("SIPF", 6);
        setU("SITF", 3);
        setU("SIDF", 0);
        setS("SLTZ", 0);
        setU("SDST", 0);
        setU("SFMT", 3);
        putWaypoint(0, at(0, 0));
        putWaypoint(1, at(0, 1000));
        putWaypoint(2, at(800, 2000));
        name(0, "HOME", 1);
        name(1, "DOCKSIDE9", 5);
        name(2, "NORTH END", 12);
        writeReadouts();
        T_NAV_INFOBOX_vPublish();
    }

    void navigateRoute()
    {
        s_CurrentRoute.nCount = 3;
        for (U16 i = 0; i < 3; ++i)
            s_CurrentRoute.anWaypoint[i] = i;
        setU("INIP", 1);
        setU("IDWP", 1);
        setU("IOWP", 0);
    }

    // The boxes side by side from x = 0, each laid out downwards.
    void row(gt::TestBitmap& page, const std::vector<INFO_BOX_RENDERING_FUNCTION*>& boxes)
    {
        page.clear();
        for (size_t i = 0; i < boxes.size(); ++i) {
            POINT at = {(S32)i * NAV_INFOBOX_WIDTH, 0};
            boxes[i](page, &at, VIBD_DOWN, 0);
        }
    }

    static std::vector<INFO_BOX_RENDERING_FUNCTION*> published()
    {
        std::vector<INFO_BOX_RENDERING_FUNCTION*> out;
        for (const NAV_INFOBOX_ENTRY& e : g_aNavInfoBoxes)
            out.push_back(e.pfnRender);
        return out;
    }

    // One box alone on a page of its size.
    gt::Rgb one(INFO_BOX_RENDERING_FUNCTION* pfn)
    {
        gt::TestBitmap page(NAV_INFOBOX_WIDTH, ROW_HEIGHT, BACKGROUND);
        POINT at = {0, 0};
        pfn(page, &at, VIBD_DOWN, 0);
        return gt::toRgb(page);
    }
};

TEST_F(NavInfoBoxes, TheRowWhileARouteIsNavigated)
{
    navigateRoute();
    auto boxes = published();
    boxes.push_back(IBRF_vRenderWayPointOverTimeToGoInfoBox);
    gt::TestBitmap page(NAV_INFOBOX_WIDTH * (U32)boxes.size(), ROW_HEIGHT, BACKGROUND);
    row(page, boxes);
    gt::expectGolden(page, "nav/tests/golden", "nav_infobox_route");
}

TEST_F(NavInfoBoxes, TheRowWithNothingNavigatingOnA24HourClock)
{
    setU("SITF", 4);
    gt::TestBitmap page(NAV_INFOBOX_WIDTH * NAV_INFOBOX_COUNT, ROW_HEIGHT, BACKGROUND);
    row(page, published());
    gt::expectGolden(page, "nav/tests/golden", "nav_infobox_idle");
    // "BCTD" and "BTSP" (the fourth and fifth) leave their places empty.
    for (int x = 3 * NAV_INFOBOX_WIDTH; x < 5 * NAV_INFOBOX_WIDTH; ++x)
        for (int y = 0; y < (int)ROW_HEIGHT; ++y)
            ASSERT_EQ(page.at(x, y), BACKGROUND) << x << ", " << y;
}

TEST_F(NavInfoBoxes, TheRowWhileTheMotorHoldsPosition)
{
    setB("IPNO", true);
    setU("IPUF", 1);
    setU("IPMD", 3);
    NAV_STANDIN_vSetStevrinQueries(FALSE, FALSE, "", 1);
    gt::TestBitmap page(NAV_INFOBOX_WIDTH * NAV_INFOBOX_COUNT, ROW_HEIGHT, BACKGROUND);
    row(page, published());
    gt::expectGolden(page, "nav/tests/golden", "nav_infobox_hold");
}

TEST_F(NavInfoBoxes, AWaypointBoxShowsFiveCharactersOfTheDestination)
{
    navigateRoute();
    const gt::Rgb nine = one(IBRF_vRenderDistanceToGoOverTimeToGoInfoBox);
    name(1, "DOCKS", 5);
    EXPECT_EQ(one(IBRF_vRenderDistanceToGoOverTimeToGoInfoBox).data, nine.data);
    name(1, "DOCKX", 5);
    EXPECT_NE(one(IBRF_vRenderDistanceToGoOverTimeToGoInfoBox).data, nine.data) << "the five are drawn";
}

TEST_F(NavInfoBoxes, BoxesLaidOutToTheRightMoveTheAnchorOn)
{
    navigateRoute();
    gt::TestBitmap page(NAV_INFOBOX_WIDTH * 2, ROW_HEIGHT, BACKGROUND);
    const struct {
        INFO_BOX_RENDERING_FUNCTION* pfn;
        bool moves;
    } cases[] = {
        {IBRF_vRenderPositionInfoBox, false},
        {IBRF_vRenderTimeDateInfoBox, false},
        {IBRF_vRenderTimeOnlyInfoBox, true},
        {IBRF_vRenderCrossTrackOverErrorDistanceToGoInfoBox, false},
        {IBRF_vRenderCourseMadeGoodOverSpeedMadeGoodInfoBox, false},
        {IBRF_vRenderDistanceToGoOverTimeToGoInfoBox, true},
        {IBRF_vRenderDistanceToGoOverEstimatedTimeArrivalFinalInfoBox, true},
        {IBRF_vRenderWayPointOverTimeToGoInfoBox, true},
    };
    for (const auto& c : cases) {
        for (VIB_DIRECTION d : {VIBD_DOWN, VIBD_RIGHT}) {
            POINT at = {5, 0};
            c.pfn(page, &at, d, 0);
            EXPECT_EQ(at.x, c.moves && d == VIBD_RIGHT ? 5 + NAV_INFOBOX_WIDTH : 5);
            EXPECT_EQ(at.y, 0);
        }
    }
}

TEST_F(NavInfoBoxes, EachBoxIsPublishedUnderItsKeyWithItsTitle)
{
    const struct {
        const char* key;
        INFO_BOX_RENDERING_FUNCTION* pfn;
        const char* title;
    } cases[] = {
        {"BPOS", IBRF_vRenderPositionInfoBox, "Position"},
        {"BTMO", IBRF_vRenderTimeOnlyInfoBox, "Time"},
        {"BCTD", IBRF_vRenderCrossTrackOverErrorDistanceToGoInfoBox, nullptr},
        {"QETF", IBRF_vRenderDistanceToGoOverEstimatedTimeArrivalFinalInfoBox, "WPTend/ETA/DTG"},
        {"QTOC", IBRF_vRenderCurrentTrackOverCourseMadeGoodInfoBox, "TRK/CMG"},
    };
    for (const auto& c : cases) {
        DB_DATA_TYPE v{};
        DB_ATTRIBUTES a{};
        ASSERT_TRUE(H_DATABASE_bFetch(k(c.key), &v, nullptr, &a)) << c.key;
        EXPECT_EQ(a.DataType, D_POINTER) << c.key;
        EXPECT_EQ(v.vpPointer, reinterpret_cast<void*>(c.pfn)) << c.key;
        if (c.title == nullptr)
            EXPECT_EQ(a.ppcText, nullptr) << c.key;
        else
            EXPECT_STREQ((*a.ppcText)[0], c.title) << c.key;
    }
}

std::string activeName(BOOLEAN bFinal, U8* pIcon)
{
    char ac[NAV_INFOBOX_NAME_BYTES];
    memset(ac, 'x', sizeof ac);
    T_NAV_INFOBOX_vGetStevrinActiveStr(ac, pIcon, bFinal);
    return ac;
}

TEST_F(NavInfoBoxes, TheNameReportedOnFollowsNavigationOrTheMotorsMode)
{
    navigateRoute();
    name(2, "ABCDEFGHIJKLM", 12);
    U8 icon = 0xEE;
    EXPECT_EQ(activeName(FALSE, &icon), "DOCKSIDE9");
    EXPECT_EQ(icon, 5);
    EXPECT_EQ(activeName(TRUE, &icon), "ABCDEFGHIJKL") << "twelve characters at most";
    EXPECT_EQ(icon, 12);

    setU("INIP", 0);
    NAV_STANDIN_vSetStevrinQueries(FALSE, FALSE, "Track 7", 2);
    const struct {
        U32 mode;
        const char* text;
        U8 icon; // 0xEE: left alone
    } cases[] = {
        {1, "Track 7", 0xEE}, {2, "Track 7", 0xEE}, {9, "Track 7", 0xEE}, {3, "ABCDEFGHIJKL", 12}, {0, "", 0xEE},
    };
    for (const auto& c : cases) {
        setU("IPMD", c.mode);
        icon = 0xEE;
        EXPECT_EQ(activeName(FALSE, &icon), c.text) << c.mode;
        EXPECT_EQ(icon, c.icon) << c.mode;
    }
    EXPECT_EQ(activeName(FALSE, nullptr), "") << "no icon wanted";
}

} // namespace
