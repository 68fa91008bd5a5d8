// The menus the navigation task registers when the system starts running.

#include "nav/core/newdata_standins.h"
#include "nav/core/t_nav_menus.h"
#include "nav/core/t_nav_newdata.h"
#include "nav/core/t_nav_route.h"
#include "nav/tests/nav_core_world.h"

#include "ui/menu_types.h"
#include "ui/t_info_bar.h"
#include "ui/t_info_task.h"
#include "ui/u_keyboard.h"

#include <algorithm>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace navw;

std::string text(const TEXT_TABLE* t) { return t == nullptr ? "" : (*t)[0]; }

std::string key(FOURCHARID k) { return k == 0 ? "" : std::string(reinterpret_cast<const char*>(&k), 4); }

// One registered item: "title @ container priority level confirm key".
std::string item(const MSG_ADD_MENU_ITEM& m)
{
    const MENU_DESCRIPTOR& d = m.descriptor;
    const std::string where = m.pInfoMenuName != nullptr ? text(m.pInfoMenuName) : text(m.pTabName);
    std::string out = text(d.pMenuName) + " @ " + where + " " + std::to_string((int)d.menuPriority) + " L" +
                      std::to_string((int)d.menuUserLevel);
    if (d.control == M_ACTION)
        out += d.parameters.action.confirm ? " confirm" : "";
    if (d.control == M_ACTION_LIST)
        out += " list" + std::to_string(d.parameters.actionList.numberChoices) + " " +
               key(d.parameters.actionList.FourCharId);
    return out;
}

using RunSystem = NavCore;

TEST_F(RunSystem, RegistersTheCursorInfoMenusAndTheFormatAction)
{
    T_NAV_vHandleRunSystem();
    std::vector<std::string> items;
    size_t infoMenus = 0;
    std::vector<const MSG_ADD_MENU_ITEM*> lists;
    const std::vector<Mail> mails = drain(MENU_BOX);
    for (const Mail& m : mails) {
        if (m.cmd == CMD_ID_REGISTER_INFO_MENU)
            ++infoMenus;
        if (m.cmd == CMD_ID_REGISTER_MENU_ITEM) {
            items.push_back(item(m.as<MSG_ADD_MENU_ITEM>()));
            if (m.as<MSG_ADD_MENU_ITEM>().descriptor.control == M_ACTION_LIST)
                lists.push_back(&m.as<MSG_ADD_MENU_ITEM>());
        }
    }
    EXPECT_EQ(infoMenus, 2u);
    EXPECT_EQ(items, (std::vector<std::string>{
                         "Chart Info @ Waypoint Info 705 L1",
                         "View Snapshot @ Waypoint Info 706 L1",
                         "Go To Point @ GoTo Menu 658 L1",
                         "Forward from Point @ GoTo Menu 659 L1",
                         "Reverse from Point @ GoTo Menu 660 L1",
                         "Travel Forward @ GoTo Menu 661 L1",
                         "Travel Reverse @ GoTo Menu 662 L1",
                         "Route @ GoTo Menu 663 L1 list4 IRT0",
                         "Route @ GoTo Menu 664 L1 list4 IRT1",
                         "Route @ GoTo Menu 665 L1 list4 IRT2",
                         "Route @ GoTo Menu 666 L1 list4 IRT3",
                         "Route @ GoTo Menu 667 L1 list4 IRT4",
                         // The same slots while their route is travelled.
                         "Route @ GoTo Menu 663 L1 list2 IRT0",
                         "Route @ GoTo Menu 664 L1 list2 IRT1",
                         "Route @ GoTo Menu 665 L1 list2 IRT2",
                         "Route @ GoTo Menu 666 L1 list2 IRT3",
                         "Route @ GoTo Menu 667 L1 list2 IRT4",
                         "Format Nav Directories @ Setup 150 L2",
                     }));

    // Every slot's list runs that slot's handlers, in the order of its choices.
    using F = MENU_ACTION_FUNC*;
    const F expected[5][4] = {
        {T_NAV_vForwardFromPoint0, T_NAV_vReverseFromPoint0, T_NAV_vTravelForwardRoute0, T_NAV_vTravelReverseRoute0},
        {T_NAV_vForwardFromPoint1, T_NAV_vReverseFromPoint1, T_NAV_vTravelForwardRoute1, T_NAV_vTravelReverseRoute1},
        {T_NAV_vForwardFromPoint2, T_NAV_vReverseFromPoint2, T_NAV_vTravelForwardRoute2, T_NAV_vTravelReverseRoute2},
        {T_NAV_vForwardFromPoint3, T_NAV_vReverseFromPoint3, T_NAV_vTravelForwardRoute3, T_NAV_vTravelReverseRoute3},
        {T_NAV_vForwardFromPoint4, T_NAV_vReverseFromPoint4, T_NAV_vTravelForwardRoute4, T_NAV_vTravelReverseRoute4},
    };
    ASSERT_EQ(lists.size(), 10u);
    for (size_t k = 0; k < 5; ++k) {
        const M_ACTION_LIST_PARAMETERS& p = lists[k]->descriptor.parameters.actionList;
        for (size_t c = 0; c < 4; ++c)
            EXPECT_EQ(p.pt2Function[c], expected[k][c]) << k << "/" << c;
        EXPECT_EQ(text(p.pActionListChoices[0]), "Forward from Point");
        EXPECT_EQ(text(p.pActionListChoices[3]), "Travel Reverse");
        // The travelled route's variant: forward and reverse from the point.
        const M_ACTION_LIST_PARAMETERS& nav = lists[5 + k]->descriptor.parameters.actionList;
        for (size_t c = 0; c < 2; ++c)
            EXPECT_EQ(nav.pt2Function[c], expected[k][c]) << k << "/" << c;
        EXPECT_EQ(text(nav.pActionListChoices[0]), "Forward from Point");
        EXPECT_EQ(text(nav.pActionListChoices[1]), "Reverse from Point");
    }
    // The ten slot items are distinct items of the one info menu.
    for (size_t k = 0; k < 10; ++k)
        for (size_t j = 0; j < k; ++j)
            EXPECT_NE(lists[k]->descriptor.pMenuName, lists[j]->descriptor.pMenuName) << k << "/" << j;
}

// ---- A GPS detected ----

void chartDraw(BITMAP*, WINDOW_SPECIFICATION*) {}
void perspectiveDraw(BITMAP*, WINDOW_SPECIFICATION*) {}

std::string drawName(DRAW_FUNCTION* d)
{
    return d == chartDraw                                                  ? "chart"
           : d == perspectiveDraw                                          ? "3d"
           : d == T_INFO_vDrawInfoLayer_Instrumentation_TrackChartView    ? "boxes"
           : d == T_INFO_vDrawInfoLayer_Instrumentation_BirdsEyeView       ? "3d-boxes"
                                                                           : "?";
}

// "+layer/pane in view draw enable/split" and "-layer/pane".
std::vector<std::string> views(const std::vector<Mail>& mails)
{
    std::vector<std::string> out;
    for (const Mail& m : mails) {
        if (m.cmd == CMD_ID_REGISTER_LAYER) {
            const auto& r = m.as<MSG_REGISTER_LAYER>();
            std::string keys = key(r.fcidDisplayFlag);
            if (r.fcidSplitControl != 0)
                keys += "/" + key(r.fcidSplitControl);
            out.push_back("+" + std::to_string(r.layer) + "/" + std::to_string((int)r.eLocation) + " in " +
                          std::to_string(r.where_used) + " " + drawName(r.pDrawFunction) + " " + keys +
                          (r.bDisplay ? "" : " hidden"));
        } else if (m.cmd == CMD_ID_UNREGISTER_LAYER) {
            const auto& r = m.as<MSG_UNREGISTER_LAYER>();
            out.push_back("-" + std::to_string(r.layer) + "/" + std::to_string((int)r.eLocation));
        }
    }
    return out;
}

class GpsDetected : public NavCore {
protected:
    void SetUp() override
    {
        NavCore::SetUp();
        T_NAV_MENUS_vReset();
        T_NAV_NEWDATA_vReset();
        static const NAV_CHART_PANE_DRAWS draws = {chartDraw, perspectiveDraw};
        T_NAV_vInstallChartPaneDraws(&draws);
        for (MBOX m : {MENU_BOX, VIEW_BOX, KEYBOARD_BOX})
            drain(m);
    }
    void TearDown() override { T_NAV_MENUS_vReset(); }
};

const std::vector<std::string> kLayers = {
    "+234/1 in 28 boxes ", "+238/1 in 35 boxes ", "+223/1 in 33 boxes ", "+241/1 in 25 boxes ",
    "+245/1 in 26 boxes ", "+247/1 in 38 boxes ", "+240/1 in 23 3d-boxes ",
};

std::vector<std::string> expectedViews(bool lake)
{
    std::vector<std::string> v = {"+28/1 in 0 chart SVNA", "+23/1 in 0 3d SVHI"};
    if (lake) {
        v.insert(v.end(), {"-25/2", "-25/3"});
    } else {
        v.insert(v.end(), {"+25/2 in 0 3d SVCB/SZCB", "+25/3 in 0 chart SVCB/SZCB"});
    }
    v.insert(v.end(), {"+26/2 in 0 chart SVCC/SZCC", "+26/3 in 0 chart SVCC/SZCC"});
    for (const std::string& l : kLayers)
        v.push_back(l.substr(0, l.size() - 1) + " ");
    return v;
}

TEST_F(GpsDetected, RegistersViewsLayersKeysAndTabsAndRepeatsAllButTheTabs)
{
    T_NAV_vHandleGPSDetected();
    EXPECT_TRUE(s_b_GPSDetected);
    drain(VIEW_BOX); // the next test reads the views

    const std::vector<Mail> menu = drain(MENU_BOX);
    size_t tabs = 0, express = 0, clear = 0, save = 0;
    for (const Mail& m : menu) {
        tabs += m.cmd == CMD_ID_REGISTER_MENU_TAB;
        express += m.cmd == CMD_ID_REGISTER_HOT_MENU;
        if (m.cmd == CMD_ID_REGISTER_MENU_ITEM) {
            const MENU_DESCRIPTOR& d = m.as<MSG_ADD_MENU_ITEM>().descriptor;
            clear += d.pMenuName == &Clear_Current_Track && d.menuPriority == MENU_CLEAR_CTRACK &&
                     d.parameters.action.confirm;
            save += d.pMenuName == &Save_Current_Track && d.menuPriority == MENU_SAVE_CTRACK &&
                    d.parameters.action.confirm;
        }
    }
    EXPECT_EQ(tabs, 2u);
    EXPECT_EQ(express, NAV_VIEW_COUNT);
    EXPECT_EQ(clear, NAV_VIEW_COUNT);
    EXPECT_EQ(save, NAV_VIEW_COUNT);

    const std::vector<Mail> keys = drain(KEYBOARD_BOX);
    ASSERT_EQ(keys.size(), 1u);
    const auto& k = keys[0].as<MSG_REGISTER_FOR_KEYS>();
    EXPECT_EQ(k.keys, 0x180u);
    EXPECT_EQ(k.mailbox, NAV_MAILBOX);
    EXPECT_EQ(k.state, KEY_DOWN);
    EXPECT_EQ(k.usage, REGISTER_EXCLUSIVE);
    EXPECT_EQ(k.cursor_mode, NOT_CURSOR_KEY);
    EXPECT_FALSE(k.repeat);
    EXPECT_FALSE(k.accelerate);

    // Again: the same registrations, the tabs not.
    T_NAV_vHandleGPSDetected();
    size_t tabsAgain = 0;
    for (const Mail& m : drain(MENU_BOX))
        tabsAgain += m.cmd == CMD_ID_REGISTER_MENU_TAB;
    EXPECT_EQ(tabsAgain, 0u);
    EXPECT_EQ(drain(KEYBOARD_BOX).size(), 1u);
}

TEST_F(GpsDetected, PublishesTheReadoutKeysAndTellsTheInfoTask)
{
    L_SEMA_SetPending(SEMA_INFOBOX_UPDATE);
    setS("ITAW", 77);
    T_NAV_vHandleGPSDetected();
    EXPECT_TRUE(signalled(SEMA_INFOBOX_UPDATE));
    struct Row {
        const char* key;
        DATA_TYPE type;
        const char* value; // the input key shown, or "" for a value or renderer
        const char* title; // "" for none
    };
    const Row rows[] = {
        {"BHDG", D_FCID, "IHDG", "Course"},  {"BPOS", D_POINTER, "", "Position"},
        {"BTIM", D_POINTER, "", "Time+Date"}, {"BTMO", D_POINTER, "", "Time"},
        {"ITAW", D_TIME, "", ""},             {"BTAW", D_FCID, "ITAW", "Timer"},
        {"IXTE", D_DISTANCE, "", ""},         {"IBRG", D_HEADING, "", ""},
        {"IVMG", D_SPEED, "", ""},            {"ITTG", D_TIME, "", ""},
        {"BTTG", D_FCID, "ITTG", ""},         {"QTTG", D_FCID, "ITTG", "TTG"},
        {"BBRG", D_FCID, "IBRG", ""},         {"BCTD", D_POINTER, "", ""},
        {"BTSP", D_POINTER, "", ""},          {"BXTE", D_FCID, "IXTE", ""},
        {"BDTG", D_FCID, "IDTG", ""},         {"QBRG", D_FCID, "IBRG", "Bearing"},
        {"QXTE", D_FCID, "IXTE", "XTE"},      {"QVMG", D_FCID, "IVMG", "VMG"},
        {"QDET", D_POINTER, "", "DIST+Elapsed Time"}, {"QDTG", D_POINTER, "", "WPTnext/TTG/DTG"},
        {"QETA", D_POINTER, "", "WPTnext/ETA/DTG"},   {"QDTF", D_POINTER, "", "WPTend/TTG/DTG"},
        {"QETF", D_POINTER, "", "WPTend/ETA/DTG"},    {"QCOS", D_POINTER, "", "CMG/SMG"},
        {"QTOC", D_POINTER, "", "TRK/CMG"},
    };
    for (const Row& r : rows) {
        DB_DATA_TYPE v{};
        DB_ATTRIBUTES a{};
        ASSERT_TRUE(H_DATABASE_bFetch(k(r.key), &v, nullptr, &a)) << r.key;
        EXPECT_EQ(a.DataType, r.type) << r.key;
        EXPECT_EQ(a.u32TimeOut, DB_TIMEOUT_NEVER) << r.key;
        EXPECT_EQ(a.ppcText == nullptr ? std::string() : std::string((*a.ppcText)[0]), r.title) << r.key;
        if (r.type == D_FCID) {
            EXPECT_EQ(v.u32Val, k(r.value)) << r.key;
        }
        if (r.type == D_POINTER) {
            EXPECT_NE(v.vpPointer, nullptr) << r.key;
        }
    }
    EXPECT_EQ(s("ITAW"), 0);
    EXPECT_EQ(s("ITTG"), -1);
}

TEST_F(GpsDetected, TheViewsFollowTheChartSourceAndTheSonars)
{
    auto trimmed = [](std::vector<std::string> v) {
        for (std::string& s : v)
            while (!s.empty() && s.back() == ' ')
                s.pop_back();
        return v;
    };
    T_NAV_vHandleGPSDetected();
    EXPECT_EQ(trimmed(views(drain(VIEW_BOX))), trimmed(expectedViews(false)));

    setU("IPCS", 1);
    T_NAV_vHandleGPSDetected();
    EXPECT_EQ(trimmed(views(drain(VIEW_BOX))), trimmed(expectedViews(true))) << "lake chart";

    // Sonar on with a 2D sonar adds the chart plus 2D view once.
    setU("IPCS", 0);
    setU("ISEN", 1);
    setU("YST1", 1);
    T_NAV_vHandleGPSDetected();
    std::vector<std::string> got = trimmed(views(drain(VIEW_BOX)));
    EXPECT_EQ(std::count(got.begin(), got.end(), "+35/2 in 0 ? SVCO/SZCO"), 1) << ::testing::PrintToString(got);
    T_NAV_vHandleGPSDetected();
    got = trimmed(views(drain(VIEW_BOX)));
    EXPECT_EQ(std::count(got.begin(), got.end(), "+35/2 in 0 ? SVCO/SZCO"), 0);
}

} // namespace
