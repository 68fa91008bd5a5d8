// The navigation task's reaction to the changes of the keys it watches.

#include "nav/core/newdata_standins.h"
#include "nav/core/t_nav_draw.h"
#include "nav/core/t_nav_newdata.h"
#include "nav/core/t_nav_overlay.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/tests/nav_fabric_standin.h"
#include "nav/tests/nav_stevrin_world.h"

#include "gmsg/gsocket.h"
#include "gmsg/u_gmsg.h"
#include "kernel/l_sema.h"
#include "nav/core/t_nav_share.h"
#include "sonar/screens/t_n_history_screens.h"
#include "ui/t_info_bar.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace stw;

void chartDraw(BITMAP*, WINDOW_SPECIFICATION*) {}

MESSAGE_NEW_DATA mail(const char* key, DB_DATA_TYPE v, bool valid = true)
{
    MESSAGE_NEW_DATA m{};
    m.Header.Cmd = CMD_ID_NEW_DATA;
    m.FourCharId = k(key);
    m.dbValue = v;
    m.bValid = valid ? TRUE : FALSE;
    return m;
}

// The key is written as its owner would, then its change reaches the task.
void changeU(const char* key, U32 v)
{
    setU(key, v);
    DB_DATA_TYPE d{};
    d.u32Val = v;
    MESSAGE_NEW_DATA m = mail(key, d);
    T_NAV_vHandleNewData(&m);
}

void changeS(const char* key, S32 v)
{
    setS(key, v);
    DB_DATA_TYPE d{};
    d.s32Val = v;
    MESSAGE_NEW_DATA m = mail(key, d);
    T_NAV_vHandleNewData(&m);
}

void changeF(const char* key, float v, bool valid = true)
{
    setF(key, v);
    DB_DATA_TYPE d{};
    d.fVal = v;
    MESSAGE_NEW_DATA m = mail(key, d, valid);
    T_NAV_vHandleNewData(&m);
}

std::vector<std::string> standinCalls()
{
    std::vector<std::string> out = NAV_NEWDATA_STANDIN_vCalls();
    NAV_NEWDATA_STANDIN_vForget();
    return out;
}

// Hot-menu registrations of the item sent to the menu task.
size_t registrations(const std::vector<Mail>& mails, const TEXT_TABLE* item)
{
    size_t n = 0;
    for (const Mail& m : mails)
        n += m.cmd == CMD_ID_REGISTER_MENU_ITEM && m.as<MSG_ADD_MENU_ITEM>().descriptor.pMenuName == item;
    return n;
}

// Titles of the items registered ("+") and removed ("-"), with counts, and
// the tab changes.
std::map<std::string, int> menuChanges(const std::vector<Mail>& mails)
{
    std::map<std::string, int> out;
    for (const Mail& m : mails) {
        if (m.cmd == CMD_ID_REGISTER_MENU_ITEM)
            ++out["+" + std::string((*m.as<MSG_ADD_MENU_ITEM>().descriptor.pMenuName)[0])];
        else if (m.cmd == CMD_ID_UNREGISTER_MENU_ITEM)
            ++out["-" + std::string((*m.as<MSG_REMOVE_MENU>().pMenuName)[0])];
        else if (m.cmd == CMD_ID_REGISTER_MENU_TAB)
            ++out["+tab"];
        else if (m.cmd == CMD_ID_UNREGISTER_MENU_TAB)
            ++out["-tab"];
    }
    return out;
}

// The view registrations and removals as "+layer/pane draw key split" and
// "-layer/pane".
std::vector<std::string> viewChanges(const std::vector<Mail>& mails)
{
    std::vector<std::string> out;
    for (const Mail& m : mails) {
        if (m.cmd == CMD_ID_REGISTER_LAYER) {
            const auto& r = m.as<MSG_REGISTER_LAYER>();
            const DRAW_FUNCTION* d = r.pDrawFunction;
            std::string draw = d == T_N_HISTORY_vDrawSonarSplit                                ? "sonar"
                               : d == T_HTML_vDrawHtmlView                                     ? "book"
                               : d == chartDraw                                                ? "chart"
                               : d == T_INFO_vDrawInfoLayer_Instrumentation_TrackChartView ? "info"
                                                                                               : "?";
            std::string keys =
                r.fcidDisplayFlag == 0 ? "-" : std::string(reinterpret_cast<const char*>(&r.fcidDisplayFlag), 4);
            if (r.fcidSplitControl != 0)
                keys += "/" + std::string(reinterpret_cast<const char*>(&r.fcidSplitControl), 4);
            out.push_back("+" + std::to_string(r.layer) + "/" + std::to_string((int)r.eLocation) + " in " +
                          std::to_string(r.where_used) + " " + draw + " " + keys + (r.bDisplay ? " shown" : ""));
        } else if (m.cmd == CMD_ID_UNREGISTER_LAYER) {
            const auto& r = m.as<MSG_UNREGISTER_LAYER>();
            out.push_back("-" + std::to_string(r.layer) + "/" + std::to_string((int)r.eLocation));
        }
    }
    return out;
}

class NewData : public Stevrin {
protected:
    void SetUp() override
    {
        Stevrin::SetUp();
        T_NAV_NEWDATA_vReset();
        NAV_NEWDATA_STANDIN_vForget();
        static const NAV_CHART_PANE_DRAWS draws = {chartDraw, chartDraw};
        T_NAV_vInstallChartPaneDraws(&draws);
        drain(MENU_BOX);
        drain(VIEW_BOX);
        alarmMails();
    }
};

// The key masks taken ("+hex") and released ("-hex").
std::vector<std::string> keyChanges(const std::vector<Mail>& mails)
{
    std::vector<std::string> out;
    char ac[16];
    for (const Mail& m : mails) {
        if (m.cmd == CMD_ID_REGISTER_FOR_KEYS) {
            snprintf(ac, sizeof ac, "+%x", (unsigned)m.as<MSG_REGISTER_FOR_KEYS>().keys);
            out.push_back(ac);
        } else if (m.cmd == CMD_ID_UNREGISTER_FOR_KEYS) {
            snprintf(ac, sizeof ac, "-%x", (unsigned)m.as<MSG_UNREGISTER_FOR_KEYS>().keys);
            out.push_back(ac);
        }
    }
    return out;
}

// The panes registered ("+layer/pane") and removed ("-layer/pane").
std::vector<std::string> panes(const std::vector<Mail>& mails)
{
    std::vector<std::string> out;
    for (const Mail& m : mails) {
        if (m.cmd == CMD_ID_REGISTER_LAYER)
            out.push_back("+" + std::to_string(m.as<MSG_REGISTER_LAYER>().layer) + "/" +
                          std::to_string((int)m.as<MSG_REGISTER_LAYER>().eLocation));
        else if (m.cmd == CMD_ID_UNREGISTER_LAYER)
            out.push_back("-" + std::to_string(m.as<MSG_UNREGISTER_LAYER>().layer) + "/" +
                          std::to_string((int)m.as<MSG_UNREGISTER_LAYER>().eLocation));
    }
    return out;
}

TEST_F(NewData, ImagingViewsFollowTheTwoImagingKeys)
{
    // 18 is a down-imaging transducer (chart plus Keelview only), 10 one
    // that images to the sides as well (chart plus Flankview too).
    using V = std::vector<std::string>;
    struct Case {
        const char* name;
        U32 yst2;
        U32 yst3;
        const char* changed;
        V expected;
    };
    const Case cases[] = {
        {"down imaging appears", 18, 0, "YST2", {"+33/2", "+33/3"}},
        {"side imaging appears", 0, 10, "YST3", {"+38/2", "+38/3"}},
        {"down imaging goes, side stays", 0, 10, "YST2", {}},
        {"side imaging goes, down stays", 18, 0, "YST3", {}},
        {"the last imaging goes", 0, 0, "YST2", {"-38/2", "-38/3", "-33/2", "-33/3"}},
    };
    setU("CCST", 1);
    for (const Case& c : cases) {
        setU("YST2", c.yst2);
        setU("YST3", c.yst3);
        drain(VIEW_BOX);
        changeU(c.changed, std::string(c.changed) == "YST2" ? c.yst2 : c.yst3);
        EXPECT_EQ(panes(drain(VIEW_BOX)), c.expected) << c.name;
    }
}

TEST_F(NewData, SonarEnabledCombinesTheMasksWithThePresentSonars)
{
    using V = std::vector<std::string>;
    const U32 bit360 = 1u << 3; // the rotating sonar's element
    struct Case {
        const char* name;
        U32 local, network, isen, yst2, yst4;
        V expected; // one case after the other
    };
    const Case cases[] = {
        {"local 360 while sonar is on", bit360, 0, 1, 10, 1,
         {"+38/2", "+38/3", "+33/2", "+33/3", "+58/2", "+58/3", "+227/1"}},
        {"local 360 while sonar is off", bit360, 0, 0, 10, 1,
         {"-38/2", "-38/3", "-33/2", "-33/3", "-227/1", "-58/2", "-58/3"}},
        {"network 360 while sonar is off", 0, bit360, 0, 0, 1, {"+58/2", "+58/3", "+227/1"}},
        {"360 element but no 360 sonar", bit360, 0, 1, 0, 0, {"-227/1", "-58/2", "-58/3"}},
    };
    setU("CCST", 1);
    for (const Case& c : cases) {
        T_NAV_NEWDATA_vReset();
        changeU("ELPM", c.local);
        changeU("ENPM", c.network);
        setU("YST2", c.yst2);
        setU("YST3", 0);
        setU("YST4", c.yst4);
        drain(VIEW_BOX);
        changeU("ISEN", c.isen);
        V got;
        for (const std::string& p : panes(drain(VIEW_BOX)))
            if (p.rfind("+35", 0) != 0 && p.rfind("-35", 0) != 0)
                got.push_back(p);
        EXPECT_EQ(got, c.expected) << c.name;
        EXPECT_EQ(T_NAV_u32LocalElementMask(), c.local) << c.name;
        EXPECT_EQ(T_NAV_u32NetworkElementMask(), c.network) << c.name;
    }
}

TEST_F(NewData, TheChartPlus2DViewNeedsSonarOnAnd2DSonarPresent)
{
    using V = std::vector<std::string>;
    const V registered = {"+35/2 in 0 sonar SVCO/SZCO shown", "+35/3 in 0 chart SVCO/SZCO shown"};
    const V removed = {"-35/2", "-35/3"};
    setU("YST1", 1);
    changeU("ISEN", 0);
    EXPECT_EQ(viewChanges(drain(VIEW_BOX)), V{}) << "sonar off";
    changeU("ISEN", 1);
    EXPECT_EQ(viewChanges(drain(VIEW_BOX)), registered);
    changeU("ISEN", 1);
    changeU("YST1", 1);
    EXPECT_EQ(viewChanges(drain(VIEW_BOX)), V{}) << "registered once";
    EXPECT_TRUE(T_NAV_bChartPlus2DViewRegistered());
    changeU("YST1", 0);
    EXPECT_EQ(viewChanges(drain(VIEW_BOX)), removed);
    changeU("ISEN", 0);
    EXPECT_EQ(viewChanges(drain(VIEW_BOX)), V{}) << "already gone";
    EXPECT_FALSE(T_NAV_bChartPlus2DViewRegistered());
}

TEST_F(NewData, PilotBookViewComesAndGoesAndLeavesTheChartOnScreen)
{
    using V = std::vector<std::string>;
    changeU("IPPB", 1);
    EXPECT_EQ(viewChanges(drain(VIEW_BOX)),
              (V{"+29/2 in 0 chart SVCH/SZCH shown", "+29/3 in 0 book SVCH/SZCH shown", "+231/1 in 29 info - shown"}));

    setS("CVEW", CHART_PLUS_PILOT_BOOK_VIEW_PRIORITY);
    changeU("IPPB", 0x100); // only the low byte counts
    EXPECT_EQ(s("CVEW"), CHART_VIEW_PRIORITY);
    EXPECT_EQ(viewChanges(drain(VIEW_BOX)), (V{"-231/1", "-29/2", "-29/3"}));

    setS("CVEW", CHART_PLUS_2D_VIEW_PRIORITY);
    changeU("IPPB", 0);
    EXPECT_EQ(s("CVEW"), CHART_PLUS_2D_VIEW_PRIORITY) << "another view stays";
}

TEST_F(NewData, DriftAnchorTakesTheFixOrShowsTheError)
{
    boatAt(at(100, 200));
    changeF("CNDA", 50.0f);
    EXPECT_EQ(s("IDLT"), at(100, 200).y);
    EXPECT_EQ(s("IDLN"), at(100, 200).x);
    EXPECT_EQ(raised(alarmMails(), NAV_UI_ALARM), 0u);

    boatAt(at(900, 900));
    expire("ILAT");
    changeF("CNDA", 60.0f);
    EXPECT_EQ(s("IDLT"), at(100, 200).y) << "the anchor stays where it was";
    EXPECT_EQ(s("IDLN"), at(100, 200).x);
    EXPECT_EQ(lastRaise(alarmMails(), NAV_UI_ALARM).text, "GPS Fix required for this operation");
}

TEST_F(NewData, PlaybackEmptiesTheTrackOnceAndLeavingItRestoresTheLog)
{
    changeU("CCST", 3); // the log is written in the normal-run state
    T_NAV_NVRAM_vInit();
    T_NAV_NVRAM_vEraseCurrentTrack();
    const POINT logged = at(10, 20);
    U_NAV_vAddTrackPoint(&s_CurrentTrack, logged, 0, FALSE);
    T_NAV_NVRAM_vAddCurrentTrackPoint(&s_CurrentTrack, 0, NAV_TRACK_LOG_FIRST_POINT, FALSE);

    changeU("CCST", 11);
    EXPECT_EQ(s_CurrentTrack.u16Count, 0u);
    EXPECT_EQ(u("IPFI"), 2u);

    // A point drawn during playback survives a second playback change.
    U_NAV_vAddTrackPoint(&s_CurrentTrack, at(500, 500), 0, FALSE);
    changeU("CCST", 11);
    EXPECT_EQ(s_CurrentTrack.u16Count, 1u) << "emptied only on entering playback";

    changeU("CCST", 3);
    ASSERT_EQ(s_CurrentTrack.u16Count, 1u);
    EXPECT_EQ(s_CurrentTrack.ptLast.x, logged.x) << "the track comes back from its log";
    EXPECT_EQ(s_CurrentTrack.ptLast.y, logged.y);
}

TEST_F(NewData, ReverseIsRegisteredOnceForATravelledRoute)
{
    changeS("CCRT", -1);
    EXPECT_EQ(registrations(drain(MENU_BOX), &Reverse), 0u);

    changeS("CCRT", 2);
    EXPECT_EQ(registrations(drain(MENU_BOX), &Reverse), NAV_VIEW_COUNT);
    changeS("CCRT", 3);
    EXPECT_EQ(registrations(drain(MENU_BOX), &Reverse), 0u) << "already there";

    // The end of navigation withdraws it; the next route brings it back.
    T_NAV_vUnregister_Current_Traveling_Route_Menu();
    drain(MENU_BOX);
    changeS("CCRT", 1);
    EXPECT_EQ(registrations(drain(MENU_BOX), &Reverse), NAV_VIEW_COUNT);
    T_NAV_vUnregister_Current_Traveling_Route_Menu();
}

TEST_F(NewData, ATravelledRouteUnderTheCursorGetsItsMenuAgain)
{
    setS("CVEW", CHART_VIEW_PRIORITY);
    T_NAV_vRegister_Routes_Under_Cursor_Menu(CHART_VIEW_PRIORITY, SPLIT_FULL_WINDOW, 1, 7);
    T_NAV_vRegister_Routes_Under_Cursor_Menu(CHART_VIEW_PRIORITY, SPLIT_FULL_WINDOW, 3, 7);
    changeS("CCRT", 7);
    EXPECT_EQ(s_aRoutesUnderCursor[1], 7);
    EXPECT_EQ(s_aRoutesUnderCursor[3], 7) << "only the first slot is redone";
    T_NAV_vUnregister_Current_Traveling_Route_Menu();
    T_NAV_vUnregister_Routes_Under_Cursor_Menu(CHART_VIEW_PRIORITY, SPLIT_FULL_WINDOW, -1);
}

TEST_F(NewData, AViewChangeResetsTheCursorAndTheChartOffsets)
{
    for (const char* key : {"KZMC", "KZLC", "KTMC", "KTLC"})
        setS(key, 9);
    for (const char* key : {"KSMC", "KSLC", "OMLC", "OLLC", "OLPC", "OMPC"})
        setF(key, 9.0f);
    setU("ICWP", 4);
    setS("CVAS", SPLIT_RIGHT_WINDOW);
    drain(KEYBOARD_BOX);
    changeS("CVEW", CHART_PLUS_2D_VIEW_PRIORITY);
    EXPECT_EQ(keyChanges(drain(KEYBOARD_BOX)), (std::vector<std::string>{"+60", "+200", "+10", "-8"}))
        << "the chart pane of the view takes the cursor keys; the hidden cursor lets its key go";
    EXPECT_EQ(u("ICWP"), NAV_ID_NONE);
    for (const char* key : {"KZMC", "KZLC", "KTMC", "KTLC"})
        EXPECT_EQ(s(key), 0) << key;
    for (const char* key : {"KSMC", "KSLC", "OLPC", "OMPC"})
        EXPECT_EQ(f(key), 0.0f) << key;
    EXPECT_EQ(f("OMLC"), -380.0f);
    EXPECT_EQ(f("OLLC"), -380.0f);
    EXPECT_EQ(u("OMCC"), 0u);

    // Opening the pilot book keeps the cursor, once.
    setU("ICWP", 4);
    s_bPilotBookOpening = TRUE;
    changeS("CVEW", CHART_PLUS_PILOT_BOOK_VIEW_PRIORITY);
    EXPECT_EQ(u("ICWP"), 4u);
    EXPECT_FALSE(s_bPilotBookOpening);
    changeS("CVAS", SPLIT_LEFT_WINDOW);
    EXPECT_EQ(u("ICWP"), NAV_ID_NONE);
    EXPECT_EQ(keyChanges(drain(KEYBOARD_BOX)), (std::vector<std::string>{"-270", "+60", "+200", "+10", "-8"}))
        << "the pilot book's right pane has no chart; its left pane has";
}

TEST_F(NewData, AerialPhotoMenusFollowTheFeatureAndOverlayKeys)
{
    using Changes = std::map<std::string, int>;
    setU("SPCO", 1);
    changeU("IPEN", 1);
    EXPECT_EQ(menuChanges(drain(MENU_BOX)), (Changes{{"+Overlay Transparency", 10},
                                                     {"+tab", 1},
                                                     {"+Chart Aerial Overlay", 1},
                                                     {"+Vuruzave 3D", 1},
                                                     {"+3D Aerial Overlay", 1},
                                                     {"+Exaggeration", 2}}));

    changeU("SPCO", 0);
    EXPECT_EQ(menuChanges(drain(MENU_BOX)), (Changes{{"-Overlay Transparency", 10}}));
    changeU("SPCO", 2);
    EXPECT_EQ(menuChanges(drain(MENU_BOX)), (Changes{{"+Overlay Transparency", 10}}));

    changeU("IPEN", 0);
    EXPECT_EQ(menuChanges(drain(MENU_BOX)), (Changes{{"-Overlay Transparency", 10},
                                                     {"-tab", 1},
                                                     {"-Chart Aerial Overlay", 1},
                                                     {"-Vuruzave 3D", 1},
                                                     {"-3D Aerial Overlay", 1},
                                                     {"-Exaggeration", 2}}));
}

TEST_F(NewData, TheLastSavedRouteMenuIsMadeOnceWithTheRoutesUnderTheCursor)
{
    WAYPOINT w = {};
    w.u8Status = WP_STATUS_PERMANENT;
    w.pt = at(50, 50);
    strncpy(w.sName, "UNDER", sizeof w.sName);
    const S32 id = T_NAV_nAddWaypoint(&w, TRUE);
    ASSERT_GE(id, 0);
    ROUTE r = {};
    r.nCount = 1;
    r.anWaypoint[0] = (U16)id;
    strncpy(r.sName, "R1", sizeof r.sName);
    r.u32DateTime = T0;
    const U16 slot = T_NAV_u16RouteAdd(&r);
    ASSERT_NE(slot, NAV_ID_NONE);
    drain(MENU_BOX);

    setS("CVEW", CHART_VIEW_PRIORITY);
    setU("ICWP", (U32)id);
    changeS("CLRT", slot);
    EXPECT_EQ(menuChanges(drain(MENU_BOX))["+Route"], (int)NAV_VIEW_COUNT + 1)
        << "the route's item in every chart pane and its slot under the cursor";
    EXPECT_EQ(s_aRoutesUnderCursor[0], (S32)slot);
    EXPECT_EQ(s_aRoutesUnderCursor[1], -1);

    changeS("CLRT", slot);
    EXPECT_EQ(menuChanges(drain(MENU_BOX))["+Route"], 0) << "made once";

    // Its Delete removes the route named.
    T_NAV_vDeleteLastSavedRoute();
    EXPECT_EQ(T_NAV_pGetRoute(slot)->nCount, 0u);
    T_NAV_vUnregister_Routes_Under_Cursor_Menu(CHART_VIEW_PRIORITY, SPLIT_FULL_WINDOW, -1);
}

TEST_F(NewData, ALastWaypointAndTheMotorsNavigationRebuildTheCursorMenus)
{
    using V = std::vector<std::string>;
    using Changes = std::map<std::string, int>;
    WAYPOINT w = {};
    w.u8Status = WP_STATUS_PERMANENT;
    for (const POINT p : {at(0, 0), at(100, 0)}) {
        w.pt = p;
        ASSERT_GE(T_NAV_nAddWaypoint(&w, TRUE), 0);
    }
    changeU("CLWC", 0);
    changeU("CLWC", 1);
    EXPECT_EQ(standinCalls(), (V{"group CLWC", "group CLWC"}));
    EXPECT_EQ(menuChanges(drain(MENU_BOX)), (Changes{{"+Waypoint", 12}, {"+Cursor To Waypoint", 10}}))
        << "each made once";

    // The motor's navigation: "Cursor To" offers its points, the last
    // waypoint and the cursor waypoint offer "Stayvane".
    setS("CVEW", CHART_VIEW_PRIORITY);
    setU("ICWP", 1);
    setU("ICIT", NAV_ID_NONE);
    changeU("IPNE", 1);
    const std::vector<Mail> mails = drain(MENU_BOX);
    EXPECT_EQ(menuChanges(mails), (Changes{{"-Cursor To Waypoint", 10},
                                           {"+Cursor To", 10},
                                           {"-Waypoint", 13},
                                           {"+Waypoint", 13}}));
    std::vector<U32> choices;
    for (const Mail& m : mails)
        if (m.cmd == CMD_ID_REGISTER_MENU_ITEM && m.as<MSG_ADD_MENU_ITEM>().descriptor.control == M_ACTION_LIST)
            choices.push_back(m.as<MSG_ADD_MENU_ITEM>().descriptor.parameters.actionList.numberChoices);
    ASSERT_EQ(choices.size(), 13u);
    EXPECT_EQ(choices.front(), 6u) << "last waypoint with Stayvane";
    EXPECT_EQ(choices.back(), 5u) << "cursor waypoint with Stayvane";
    EXPECT_EQ(u("ICWP"), 1u);

    setU("ICWP", NAV_ID_NONE);
    setU("ICIT", 7);
    changeU("IPNE", 0);
    EXPECT_EQ(menuChanges(drain(MENU_BOX)), (Changes{{"-Cursor To", 10},
                                                     {"+Cursor To Waypoint", 10},
                                                     {"-Waypoint", 12},
                                                     {"+Waypoint", 12},
                                                     {"-Rumbrel", 1},
                                                     {"+Rumbrel", 1}}));
}

TEST_F(NewData, TheMoveWorkingCopyFollowsDirectionAndDistance)
{
    RUMBREL* source = T_NAV_pGetRumbrel(2);
    ASSERT_NE(source, nullptr);
    *source = RUMBREL{};
    source->nCount = 3;
    source->aTrackPoints[0] = at(0, 0);
    source->aTrackPoints[1] = at(300, 100);
    source->aTrackPoints[2] = at(600, -200);
    s_tMoveCopyRumbrel = *source;
    s_u32MoveCopyRumbrelId = 2;

    setF("IPID", -90.0f); // west
    changeF("IPIO", 1000.0f);
    for (U32 i = 0; i < 3; ++i) {
        EXPECT_NEAR(distance(source->aTrackPoints[i], s_tMoveCopyRumbrel.aTrackPoints[i]), 1000.0, 10.0) << i;
        EXPECT_NEAR(bearing(source->aTrackPoints[i], s_tMoveCopyRumbrel.aTrackPoints[i]), 270.0, 0.5) << i;
    }
    // A new direction moves from the source again, not from the last place.
    changeF("IPID", 0.0f);
    EXPECT_NEAR(distance(source->aTrackPoints[1], s_tMoveCopyRumbrel.aTrackPoints[1]), 1000.0, 10.0);
    EXPECT_NEAR(bearing(source->aTrackPoints[1], s_tMoveCopyRumbrel.aTrackPoints[1]), 0.0, 0.5);

    // Without a chosen track nothing moves.
    s_u32MoveCopyRumbrelId = NAV_NO_MOVE_COPY_RUMBREL;
    const POINT before = s_tMoveCopyRumbrel.aTrackPoints[0];
    changeF("IPIO", 2000.0f);
    EXPECT_EQ(s_tMoveCopyRumbrel.aTrackPoints[0].x, before.x);
    EXPECT_EQ(s_tMoveCopyRumbrel.aTrackPoints[0].y, before.y);
    s_tMoveCopyRumbrel = RUMBREL{};
}

// The GMSG task's side of a registration: the request is kept and granted.
TEST_F(NewData, TheNetworkIsJoinedOnceWhenTheAddressIsReady)
{
    GSOCKET_vSetInterface("lo");
    std::vector<MSG_GMSG_REGISTER> seen;
    {
        navt::FabricStandIn fabric;
        changeU("IERD", 1);
        changeU("IERD", 1);
        seen = fabric.registrations();
    }
    GSOCKET_vSetInterface(nullptr);

    ASSERT_EQ(seen.size(), 1u) << "joined once";
    EXPECT_EQ(seen[0].Mailbox, NAV_MAILBOX);
    EXPECT_EQ(seen[0].u16Port, 50816);
    EXPECT_EQ(seen[0].ResLock, (RESOURCE)86);
    EXPECT_EQ(seen[0].Sema, (SEMA)213);
    EXPECT_EQ(seen[0].pMsgMapInfo, s_NAV_MsgMapInfo);
    EXPECT_FALSE(seen[0].bUdp);
    EXPECT_NE(T_NAV_SHARE_pvDestinations(), nullptr);
}

// ---- The contour offset ----

class ContourOffset : public NewData {
protected:
    void SetUp() override
    {
        NewData::SetUp();
        followed = follow(contour(6));
        L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
        s_tFTCData.fCtrOffsetInMeters = 10.0f;
        L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
        requestsBefore = lakeCalls("request").size();
    }
    // The requests to the lake chart since the contour was followed.
    std::vector<NAV_STANDIN_LAKE_CALL> requests() const
    {
        const auto all = lakeCalls("request");
        return {all.begin() + (std::ptrdiff_t)requestsBefore, all.end()};
    }
    size_t requestsBefore = 0;
    // A stored offset as the user sees it, in the store's distance unit.
    static float stored(float metres) { return (float)dConvertToInternal(metres, D_DISTANCE, U_METRES); }
    void* followed = nullptr;
};

TEST_F(ContourOffset, AChosenOffsetStartsTheWaitOnlyWhileAContourIsFollowed)
{
    changeF("IPFO", stored(15.0f));
    EXPECT_EQ(f("IPOT"), stored(15.0f));

    setF("IPOT", 0.0f);
    makePick(contour(2, 5));
    changeF("IPFO", stored(20.0f));
    EXPECT_EQ(f("IPOT"), 0.0f) << "a contour picked for the Go-To menu has the offset";
}

TEST_F(ContourOffset, AValidPendingOffsetOnlyStopsTheCountdown)
{
    s_nOffsetRumbrelTimeout = 2;
    changeF("IPOT", stored(25.0f), true);
    EXPECT_EQ(s_nOffsetRumbrelTimeout, -1);
    EXPECT_TRUE(requests().empty());
}

TEST_F(ContourOffset, AStandingOffsetEqualToTheOneInUseChangesNothing)
{
    s_nOffsetRumbrelTimeout = 2;
    changeF("IPOT", stored(10.0f), false);
    EXPECT_TRUE(requests().empty());
    EXPECT_EQ(s_nOffsetRumbrelTimeout, 2);
}

TEST_F(ContourOffset, ANewStandingOffsetGoesToTheMotorWithTheSideSign)
{
    s_tFTCData.nOffsetSign = -1;
    NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(contour(6, 3)));
    changeF("IPOT", stored(25.0f), false);
    const auto asked = requests();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].nOption, 5);
    EXPECT_EQ(asked[0].pState, followed);
    EXPECT_NEAR(asked[0].dOffset, -25.0, 0.01);
    EXPECT_TRUE(asked[0].bUnder104);
    EXPECT_NEAR(s_tFTCData.fCtrOffsetInMeters, 25.0f, 0.01f);
    EXPECT_EQ(s_nOffsetRumbrelTimeout, 3);
}

// Two changes a second apart: the motor gets the offset contour once,
// three ticks after the second.
TEST_F(ContourOffset, AnOffsetChangedTwiceWithinThreeSecondsReachesTheMotorOnce)
{
    const auto offsetSends = [] {
        U32 n = 0;
        for (U32 i = 0; i < U_STEVRIN_STANDIN_u32CallCount(); ++i)
            n += std::string(U_STEVRIN_STANDIN_pcCall(i)).find("Offset") != std::string::npos;
        return n;
    };
    U_STEVRIN_STANDIN_vClearCalls();
    NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(contour(6, 3)));
    changeF("IPOT", stored(25.0f), false);
    T_NAV_STEVRIN_vHandleNavTimer();
    NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(contour(6, 4)));
    changeF("IPOT", stored(30.0f), false);
    std::vector<U32> sends;
    for (int tick = 0; tick < 6; ++tick) {
        T_NAV_STEVRIN_vHandleNavTimer();
        sends.push_back(offsetSends());
    }
    EXPECT_EQ(sends, (std::vector<U32>{0, 0, 1, 1, 1, 1}));
}

TEST_F(ContourOffset, ARefusedOffsetPutsTheOneInUseBack)
{
    setF("IPFO", stored(25.0f));
    NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NULL);
    changeF("IPOT", stored(25.0f), false);
    EXPECT_EQ(requests().size(), 1u);
    EXPECT_NEAR(*f("IPFO"), stored(10.0f), 0.001f);
    EXPECT_NEAR(s_tFTCData.fCtrOffsetInMeters, 10.0f, 0.01f);
    EXPECT_EQ(s_nOffsetRumbrelTimeout, -1);
}

TEST_F(ContourOffset, ContourDepthSoundsTheShallowAlarmAndSendsTheText)
{
    struct Case {
        const char* name;
        std::vector<S32> depths;
        float offsetFeet;
        const char* text;
        bool shallow;
    };
    const Case cases[] = {
        {"deep enough", {60, 80}, 3.0f, "contour 15 feet", false},
        {"a shallow point", {60, 49}, -2.0f, "contour 10 feet", true},
        {"never below zero", {60}, -40.0f, "contour 0 feet", false},
        {"no depths", {}, 0.0f, "contour 12 feet", false},
    };
    for (const Case& c : cases) {
        resetStevrin();
        follow(contour(6), c.depths);
        s_tFTCData.nPickDepthActual = 12;
        NAV_NEWDATA_STANDIN_vForget();
        changeF("SCLO", (float)dConvertToInternal(c.offsetFeet, D_DEPTH, U_FEET));
        EXPECT_EQ(standinCalls(), std::vector<std::string>{c.text}) << c.name;
        const auto alarms = ftcAlarms();
        ASSERT_FALSE(alarms.empty()) << c.name;
        EXPECT_EQ(alarms.back().cmd, c.shallow ? CMD_ID_SET_EXT_ALARM : CMD_ID_CLEAR_ALARM) << c.name;
    }
    resetStevrin();
    changeF("SCLO", 1.0f);
    EXPECT_TRUE(standinCalls().empty()) << "no contour followed";
}

} // namespace
