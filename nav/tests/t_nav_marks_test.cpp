// Marks and man overboard: where a mark is taken, its depth, one waypoint
// per spot, and the man-overboard waypoint's name and single start.
#include "nav/tests/nav_core_world.h"

#include "nav/core/newdata_standins.h"
#include "nav/core/t_nav_keys.h"
#include "nav/core/t_nav_marks.h"
#include "nav/core/t_nav_mob.h"
#include "nav/core/t_nav_overlay.h"
#include "nav/core/task_standins.h"
#include "nav/data/t_nav_twr_waypoint.h"

#include <cstring>
#include <string>

namespace {

using namespace navw;

struct Pt {
    S32 x, y;
    Pt(POINT p) : x(p.x), y(p.y) {}
    bool operator==(const Pt&) const = default;
};
void PrintTo(const Pt& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

constexpr LAYER_ID SONAR_CURSOR_VIEW = 1;

BOOLEAN sonarCursorView(LAYER_ID view, SPLIT_WINDOW_TYPE) { return view == SONAR_CURSOR_VIEW ? TRUE : FALSE; }

U32 waypointCount()
{
    U32 n = 0;
    for (U16 i = 0; i < 3000; ++i) {
        const WAYPOINT* w = T_NAV_pGetWaypoint(i);
        if (w != nullptr && w->u8Status != WP_STATUS_FREE)
            ++n;
    }
    return n;
}

const WAYPOINT* onlyWaypoint()
{
    for (U16 i = 0; i < 3000; ++i) {
        const WAYPOINT* w = T_NAV_pGetWaypoint(i);
        if (w != nullptr && w->u8Status != WP_STATUS_FREE)
            return w;
    }
    return nullptr;
}

class NavMarks : public NavCore {
protected:
    void SetUp() override
    {
        NavCore::SetUp();
        NAV_TASK_STANDIN_vForget();
        T_NAV_vSetSonarCursorViewTest(sonarCursorView);
        boatAt(at(0, 0));
        setS("CVEW", CHART_VIEW_PRIORITY);
        setS("CVAS", SPLIT_FULL_WINDOW);
        setB("ICAC", false);
    }
    void TearDown() override { T_NAV_vSetSonarCursorViewTest(nullptr); }
};

TEST_F(NavMarks, SevenHundredMetresIsStoredAsTheDeepestDepth)
{
    struct Case {
        const char* where;
        bool sonarCursor;
    } cases[] = {{"boat", false}, {"sonar cursor", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        T_NAV_TWR_vClearTables();
        setF("IDEP", c.sonarCursor ? 3.0f : 700.0f);
        if (c.sonarCursor) {
            setS("CVEW", SONAR_CURSOR_VIEW);
            setB("ICAC", true);
            setB("ICLV", true);
            setF("ICDP", 700.0f);
            setS("ICLT", at(0, 30).y);
            setS("ICLN", at(0, 30).x);
        }
        T_NAV_vHandleMark();
        ASSERT_EQ(waypointCount(), 1u);
        EXPECT_EQ(onlyWaypoint()->u16Depth, 65535);
        EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
    }
}

TEST_F(NavMarks, ACursorInAPaneThatTakesNoMarkClicksBad)
{
    setS("CVEW", CHART_PLUS_2D_VIEW_PRIORITY);
    setS("CVAS", SPLIT_LEFT_WINDOW);
    setB("ICAC", true);
    setS("ICLT", at(0, 30).y);
    setS("ICLN", at(0, 30).x);
    T_NAV_vHandleMark();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_BAD));
    EXPECT_EQ(waypointCount(), 0u);
}

TEST_F(NavMarks, MarkingTwiceAtOneSpotKeepsOneWaypoint)
{
    T_NAV_vHandleMark();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
    alarmMails();
    T_NAV_vHandleMark();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD)) << "the existing waypoint is no fault";
    EXPECT_EQ(waypointCount(), 1u);
    EXPECT_FALSE(alarmMails().empty()) << "the already-exists note";
}

TEST_F(NavMarks, NoFixNoMark)
{
    expire("ILAT");
    T_NAV_vHandleMark();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_BAD));
    EXPECT_EQ(waypointCount(), 0u);
}

TEST_F(NavMarks, TheManOverboardNameUsesTheLocalTime)
{
    // 2021-03-09 18:07:00 UTC.
    setU("IDTM", 1615313220);
    setS("SLTZ", -300);
    setB("SDST", true);
    char name[16] = {};
    T_NAV_vCreateMOBName(name, sizeof name);
    EXPECT_STREQ(name, "MOB03091407") << "four hours behind";
    expire("IDTM");
    T_NAV_vCreateMOBName(name, sizeof name);
    EXPECT_STREQ(name, "MOB");
}

TEST_F(NavMarks, ManOverboardStoresOneWaypointAndNavigatesToIt)
{
    setF("IDEP", 4.5f);
    setU("IDTM", 1615313220); // 2021-03-09 18:07:00 UTC
    setS("SLTZ", -300);
    setB("SDST", true);
    T_NAV_vStartMOB();
    ASSERT_NE(s_u16MOBWaypoint, NAV_NO_MOB_WAYPOINT);
    const WAYPOINT* w = T_NAV_pGetWaypoint(s_u16MOBWaypoint);
    EXPECT_EQ(std::string(w->sName, strnlen(w->sName, sizeof w->sName)), "MOB03091407") << "local time";
    EXPECT_EQ(w->u8Status, WP_STATUS_MOB);
    EXPECT_EQ(w->u8Icon, 30);
    EXPECT_EQ(w->u16Depth, 450);
    EXPECT_EQ(Pt(w->pt), Pt(at(0, 0)));
    EXPECT_EQ(*u("INIP"), 1u);
    EXPECT_TRUE(f("MOBX").has_value());
    const U16 first = s_u16MOBWaypoint;
    boatAt(at(0, 500));
    T_NAV_vStartMOB();
    EXPECT_EQ(s_u16MOBWaypoint, first);
    EXPECT_EQ(waypointCount(), 1u) << "a second signal is ignored";
}

} // namespace
