// The navigation keys: where the cursor key works, snapping to a waypoint
// and resting on it, the edges of the world, the range steps of the zoom
// keys and the go-to refusals and menus.
#include "nav/tests/nav_core_world.h"
#include "nav/tests/nav_tables_util.h"

#include "nav/core/newdata_standins.h"
#include "nav/core/t_nav_keys.h"
#include "nav/core/t_nav_marks.h"
#include "nav/core/t_nav_menus.h"
#include "nav/core/task_standins.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_waypoint.h"

#include <map>

namespace {

using namespace navw;

struct Pt {
    S32 x, y;
    Pt(POINT p) : x(p.x), y(p.y) {}
    bool operator==(const Pt&) const = default;
};
void PrintTo(const Pt& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

constexpr S32 ONE_PIXEL_PER_METRE = 1 << 20;

enum Click { NONE, GOOD, BAD };

Click click()
{
    const bool good = signalled(SEMA_KEYCLICK_GOOD);
    const bool bad = signalled(SEMA_KEYCLICK_BAD);
    return good && !bad ? GOOD : bad && !good ? BAD : NONE;
}

void key(U32 mask, U32 count = 1, CURSOR_POSITION cursor = CURSOR_UP, KEY_STATE state = KEY_DOWN)
{
    MSG_KEY_CHANGE m{};
    m.header.Cmd = CMD_ID_KEY_CHANGE;
    m.key = mask;
    m.state = state;
    m.count = count;
    m.cursor = cursor;
    T_NAV_vHandleKeys(&m);
}

POINT cursorAt()
{
    return {*s("ICLN"), *s("ICLT")};
}

U16 addWaypoint(POINT pt)
{
    WAYPOINT w{};
    w.u8Status = WP_STATUS_PERMANENT;
    w.pt = pt;
    const S32 id = T_NAV_nAddWaypoint(&w, FALSE);
    EXPECT_GE(id, 0);
    return (U16)id;
}

class NavKeys : public NavCore {
protected:
    void SetUp() override
    {
        NavCore::SetUp();
        NAV_TASK_STANDIN_vForget();
        NAV_NEWDATA_STANDIN_vForget();
        s_nSnapCount = 0;
        boatAt(origin());
        setF("IHDG", 0.0f);
        setS("ICPM", ONE_PIXEL_PER_METRE);
        setU("SCOR", 0);
        setS("CVEW", CHART_VIEW_PRIORITY);
        setS("CVAS", SPLIT_FULL_WINDOW);
        click();
    }
};

TEST_F(NavKeys, TheCursorKeyWorksOnlyInCursorPanes)
{
    struct Case {
        LAYER_ID view;
        SPLIT_WINDOW_TYPE split;
        bool works;
    } cases[] = {
        {CHART_VIEW_PRIORITY, SPLIT_FULL_WINDOW, true},
        {CHART_PLUS_2D_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW, true},
        {CHART_PLUS_2D_VIEW_PRIORITY, SPLIT_LEFT_WINDOW, false}, // the sonar half
        {SONAR_PPI_PLUS_CHART_VIEW_PRIORITY, SPLIT_LEFT_WINDOW, true},
        {1, SPLIT_FULL_WINDOW, false}, // a sonar-only view
        {BIRDS_EYE_VIEW_PRIORITY, SPLIT_FULL_WINDOW, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.view << "/" << c.split);
        setB("ICAC", false);
        setS("CVEW", c.view);
        setS("CVAS", c.split);
        key(KEY_CURSOR, 1, CURSOR_NORTH);
        EXPECT_EQ(click(), c.works ? GOOD : BAD);
        EXPECT_EQ(*b("ICAC"), c.works);
    }
}

TEST_F(NavKeys, HeldTowardAWaypointTheCursorSnapsRestsFourRepeatsAndMovesOn)
{
    const POINT wp = at(0, 8);
    const U16 id = addWaypoint(wp);
    key(KEY_CURSOR, 1, CURSOR_NORTH);
    EXPECT_EQ(Pt(cursorAt()), Pt(wp));
    EXPECT_EQ(*u("ICWP"), id);
    EXPECT_EQ(click(), GOOD);
    for (U32 n = 2; n <= 5; ++n) {
        key(KEY_CURSOR, n, CURSOR_NORTH);
        EXPECT_EQ(Pt(cursorAt()), Pt(wp)) << "repeat " << n;
    }
    EXPECT_EQ(click(), NONE) << "repeats are silent";
    key(KEY_CURSOR, 6, CURSOR_NORTH);
    EXPECT_GT(cursorAt().y, wp.y);
    EXPECT_EQ(*u("ICWP"), NAV_ID_NONE);
    // A new press forgets the snap.
    key(KEY_CURSOR, 1, CURSOR_SOUTH);
    EXPECT_EQ(s_nSnapCount, 1) << "back onto the waypoint just behind";
    EXPECT_EQ(Pt(cursorAt()), Pt(wp));
}

TEST_F(NavKeys, ASnapCandidateWithinSixPixelsOfTheLastSnapIsPassedOver)
{
    for (S32 gap : {5, 7}) {
        SCOPED_TRACE(gap);
        T_NAV_TWR_vClearTables();
        setB("ICAC", false);
        s_nSnapCount = 0;
        const POINT first = at(0, 8);
        addWaypoint(first);
        const POINT second = at(0, 8 + gap); // the rule counts true metres

        addWaypoint(second);
        key(KEY_CURSOR, 1, CURSOR_NORTH);
        ASSERT_EQ(Pt(cursorAt()), Pt(first));
        for (U32 n = 2; n <= 6; ++n)
            key(KEY_CURSOR, n, CURSOR_NORTH);
        if (gap > 6)
            EXPECT_EQ(Pt(cursorAt()), Pt(second));
        else
            EXPECT_EQ(Pt(cursorAt()), Pt((POINT{first.x, first.y + 1}))) << "one free step";
    }
}

TEST_F(NavKeys, TheCursorStopsAtTheNorthEdgeAndWrapsEastWest)
{
    struct Case {
        POINT from;
        CURSOR_POSITION dir;
        POINT to;
        Click click;
    } cases[] = {
        {{0, NAV_CURSOR_MAX_Y}, CURSOR_NORTH, {0, NAV_CURSOR_MAX_Y}, BAD},
        {{0, -NAV_CURSOR_MAX_Y}, CURSOR_SOUTH, {0, -NAV_CURSOR_MAX_Y}, BAD},
        {{NAV_CURSOR_MAX_X, 0}, CURSOR_EAST, {NAV_CURSOR_MAX_X + 1 - NAV_CURSOR_WORLD_X, 0}, GOOD},
        {{-NAV_CURSOR_MAX_X, 0}, CURSOR_WEST, {-NAV_CURSOR_MAX_X - 1 + NAV_CURSOR_WORLD_X, 0}, GOOD},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from.x << "," << c.from.y);
        setB("ICAC", true);
        setS("ICLT", c.from.y);
        setS("ICLN", c.from.x);
        setF("ICHD", 0.0f);
        key(KEY_CURSOR, 1, c.dir);
        EXPECT_EQ(Pt(cursorAt()), Pt(c.to));
        EXPECT_EQ(click(), c.click);
    }
}

TEST_F(NavKeys, ZoomStepsOnReleaseWithinTheRangeLimits)
{
    struct Case {
        U32 key;
        S32 from;
        BOOLEAN card;
        S32 to;
        Click click;
    } cases[] = {
        {KEY_ZOOM_IN, 9, TRUE, 9, BAD},   {KEY_ZOOM_IN, 9, FALSE, 8, GOOD}, {KEY_ZOOM_IN, 8, FALSE, 8, BAD},
        {KEY_ZOOM_OUT, 25, FALSE, 25, BAD}, {KEY_ZOOM_OUT, 24, FALSE, 25, GOOD},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.key << " from " << c.from << " card " << (int)c.card);
        NAV_TASK_STANDIN_vSetChartCardOpen(c.card);
        setS("SNCS", c.from);
        key(c.key, 1, CURSOR_UP, KEY_DOWN);
        EXPECT_EQ(*s("SNCS"), c.from) << "nothing on the press";
        EXPECT_EQ(click(), NONE);
        key(c.key, 1, CURSOR_UP, KEY_UP);
        EXPECT_EQ(*s("SNCS"), c.to);
        EXPECT_EQ(click(), c.click);
    }
    // A release whose press was not seen changes nothing.
    setS("SNCS", 12);
    key(KEY_ZOOM_IN, 1, CURSOR_UP, KEY_UP);
    EXPECT_EQ(*s("SNCS"), 12);
    EXPECT_EQ(click(), NONE);
}

TEST_F(NavKeys, GoToDuringManOverboardIsRefused)
{
    s_u16MOBWaypoint = addWaypoint(at(0, 50));
    setB("ICAC", true);
    setS("ICLT", at(0, 100).y);
    setS("ICLN", at(0, 100).x);
    key(KEY_GOTO);
    EXPECT_EQ(click(), BAD);
    EXPECT_EQ(s_CurrentRoute.nCount, 0u) << "no go-to started";
    std::vector<std::string> texts;
    for (const AlarmMail& m : alarmMails())
        if (m.cmd == CMD_ID_SET_ALARM)
            texts.push_back(m.text);
    EXPECT_EQ(texts, std::vector<std::string>{"MOB navigation is in progress"});
}

TEST_F(NavKeys, GoToOnAWaypointInSeveralRoutesListsAtMostFiveOfThem)
{
    for (U32 routes : {1u, 3u, 7u}) {
        SCOPED_TRACE(routes);
        T_NAV_TWR_vClearTables();
        const U16 a = addWaypoint(at(0, 8));
        const U16 b2 = addWaypoint(at(0, 80));
        for (U32 r = 0; r < routes; ++r) {
            ROUTE rt = navr::route({a, b2}, false, 5000 + r);
            ASSERT_NE(T_NAV_u16RouteAdd(&rt), NAV_ID_NONE);
        }
        setB("ICAC", true);
        setS("ICLT", at(0, 8).y);
        setS("ICLN", at(0, 8).x);
        setU("ICWP", a);
        setS("CCRT", -1);
        drain(MENU_BOX);
        key(KEY_GOTO);
        EXPECT_EQ(click(), GOOD);
        U32 items = 0;
        for (const Mail& m : drain(MENU_BOX))
            if (m.cmd == CMD_ID_ACTIVATE_INFO_MENU)
                items = m.as<MSG_ACTIVATE_INFO_MENU>().u8numActiveMenus;
        EXPECT_EQ(items, routes == 1 ? 5u : std::min(routes, 5u) + 1);
    }
}

// The Go To menu's items as the menu task would list them: the title and,
// for a route slot, the key it is bound to and how many choices it offers.
TEST_F(NavKeys, GoToOnTheTravelledRouteOffersOnlyForwardAndReverseFromThePoint)
{
    T_NAV_vHandleRunSystem();
    std::map<const TEXT_TABLE*, std::string> registered;
    for (const Mail& m : drain(MENU_BOX)) {
        if (m.cmd != CMD_ID_REGISTER_MENU_ITEM)
            continue;
        const MENU_DESCRIPTOR& d = m.as<MSG_ADD_MENU_ITEM>().descriptor;
        std::string s = (*d.pMenuName)[0];
        if (d.control == M_ACTION_LIST) {
            const FOURCHARID k = d.parameters.actionList.FourCharId;
            s += " " + std::string(reinterpret_cast<const char*>(&k), 4) + " x" +
                 std::to_string(d.parameters.actionList.numberChoices);
        }
        registered[d.pMenuName] = s;
    }
    using V = std::vector<std::string>;
    // Routes are made oldest first; the slots list them newest first.
    struct Case {
        U32 routes;
        S32 travelled; // the route being travelled, by age; -1 none
        V items;
    } cases[] = {
        {1, -1, {"Go To Point", "Forward from Point", "Reverse from Point", "Travel Forward", "Travel Reverse"}},
        {1, 0, {"Go To Point", "Forward from Point", "Reverse from Point"}},
        {3, -1, {"Go To Point", "Route IRT0 x4", "Route IRT1 x4", "Route IRT2 x4"}},
        {3, 0, {"Go To Point", "Route IRT0 x4", "Route IRT1 x4", "Route IRT2 x2"}},
        {3, 2, {"Go To Point", "Route IRT0 x2", "Route IRT1 x4", "Route IRT2 x4"}},
        {7, 5, {"Go To Point", "Route IRT0 x4", "Route IRT1 x2", "Route IRT2 x4", "Route IRT3 x4", "Route IRT4 x4"}},
        {7, 0, {"Go To Point", "Route IRT0 x4", "Route IRT1 x4", "Route IRT2 x4", "Route IRT3 x4", "Route IRT4 x4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.routes << " routes, travelled " << c.travelled);
        T_NAV_TWR_vClearTables();
        const U16 a = addWaypoint(at(0, 8));
        const U16 b2 = addWaypoint(at(0, 80));
        S32 travelled = -1;
        for (U32 r = 0; r < c.routes; ++r) {
            ROUTE rt = navr::route({a, b2}, false, 5000 + r);
            const U16 id = T_NAV_u16RouteAdd(&rt);
            ASSERT_NE(id, NAV_ID_NONE);
            if ((S32)r == c.travelled)
                travelled = id;
        }
        setB("ICAC", true);
        setS("ICLT", at(0, 8).y);
        setS("ICLN", at(0, 8).x);
        setU("ICWP", a);
        setS("CCRT", travelled);
        drain(MENU_BOX);
        key(KEY_GOTO);
        EXPECT_EQ(click(), GOOD);
        V items;
        for (const Mail& m : drain(MENU_BOX))
            if (m.cmd == CMD_ID_ACTIVATE_INFO_MENU) {
                const MSG_ACTIVATE_INFO_MENU& shown = m.as<MSG_ACTIVATE_INFO_MENU>();
                for (U32 i = 0; i < shown.u8numActiveMenus; ++i)
                    items.push_back(registered.count(shown.pActiveMenus[i]) ? registered[shown.pActiveMenus[i]]
                                                                            : "?");
            }
        EXPECT_EQ(items, c.items);
    }
}

} // namespace
