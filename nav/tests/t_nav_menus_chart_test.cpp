// The chart menu items as the menu task holds them after the navigation
// core's registrations: card layers, chart detail, lake list, alarm
// distances, and the chart-plus-sonar split views.

#include "nav/core/chart_menu_standins.h"
#include "nav/core/t_nav_menus.h"
#include "nav/core/t_nav_menus_chart.h"
#include "nav/core/t_nav_newdata.h"
#include "nav/tests/nav_menu_registry.h"

#include "sonar/dsp/s_transducer_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace navw;
using namespace navr;

constexpr LAYER_ID CC = CHART_PLUS_CHART_VIEW_PRIORITY;
constexpr SPLIT_WINDOW_TYPE RIGHT = SPLIT_RIGHT_WINDOW;

class ChartMenus : public NavCore {
protected:
    void SetUp() override
    {
        NavCore::SetUp();
        freshRegistry({{&Chart_Tab, CHART_TAB_PRIORITY}, {&txtTabAlarms, ALARM_TAB_PRIORITY}});
    }
    void TearDown() override { T_MENU_vInitRegistry(); }

    static void cards(const std::vector<U32>& left, const std::vector<U32>& right)
    {
        NAV_CHART_STANDIN_vSetFolders(0, left);
        NAV_CHART_STANDIN_vSetFolders(1, right);
        T_NAV_vUpdateCardLayerMenus();
    }
};

const std::string SATELLITE_BASE = "Base Layer [Default=1, Satellite + Contour=" +
                                   std::to_string(NAV_BASE_SATELLITE_CONTOUR) +
                                   ", Satellite-Land=" + std::to_string(NAV_BASE_SATELLITE_LAND) +
                                   ", Satellite-Only=2]";

TEST_F(ChartMenus, BaseAndOverlayFollowTheFoldersOfTheChosenCard)
{
    struct Case {
        const char* name;
        std::vector<U32> left, right;
        U32 cacr, scsl;
        std::string hotBase, mainBase, hotOverlay, mainOverlay;
    };
    const Case cases[] = {
        {"only Default", {0}, {}, 0, 0, "", "", "", ""},
        {"Default and Satellite-Only", {0, 1}, {}, 0, 0, SATELLITE_BASE, SATELLITE_BASE, "", ""},
        {"a third folder", {0, 1, 2}, {}, 0, 0,
         "Base Layer [Default=1, Satellite + Contour=65, Satellite-Land=64, Satellite-Only=2, MF=3]",
         "Base Layer [Default=1, Satellite + Contour=65, Satellite-Land=64, Satellite-Only=2, MF=3]",
         "Overlay [Off=0, Satellite-Only=1, MF=2]", "Overlay [Off=0, Satellite-Only=1, MF=2]"},
        {"regulations are no satellite picture", {0, 36}, {}, 0, 0,
         "Base Layer [Default=1, Fishing Regulations=37]", "Base Layer [Default=1, Fishing Regulations=37]",
         "Overlay [Off=0, Fishing Regulations=36]", "Overlay [Off=0, Fishing Regulations=36]"},
        {"hot menu on the right card", {0, 26}, {0, 27}, 1, 0,
         "Base Layer [Default=1, Government Raster Chart=28]", "Base Layer [Default=1, Topographic Map=27]",
         "Overlay [Off=0, Government Raster Chart=27]", "Overlay [Off=0, Topographic Map=26]"},
        {"main menu on the right card", {0, 26}, {0, 27}, 0, 4,
         "Base Layer [Default=1, Topographic Map=27]", "Base Layer [Default=1, Government Raster Chart=28]",
         "Overlay [Off=0, Topographic Map=26]", "Overlay [Off=0, Government Raster Chart=27]"},
        {"only a right card", {}, {0, 62}, 0, 0, "Base Layer [Default=1, AER2020=63]",
         "Base Layer [Default=1, AER2020=63]", "Overlay [Off=0, AER2020=62]", "Overlay [Off=0, AER2020=62]"},
    };
    for (const Case& c : cases) {
        freshRegistry({{&Chart_Tab, CHART_TAB_PRIORITY}});
        T_NAV_MENUS_CHART_vReset();
        setU("CACR", c.cacr);
        setU("SCSL", c.scsl);
        setU("CSD0", c.left.empty() ? 0 : 1);
        setU("CSD1", c.right.empty() ? 0 : 1);
        cards(c.left, c.right);
        EXPECT_EQ(hotItem(CC, RIGHT, "Base Layer"), c.hotBase) << c.name;
        EXPECT_EQ(tabItem(CHART_TAB_PRIORITY, "Base Layer"), c.mainBase) << c.name;
        EXPECT_EQ(hotItem(CC, RIGHT, "Overlay"), c.hotOverlay) << c.name;
        EXPECT_EQ(tabItem(CHART_TAB_PRIORITY, "Overlay"), c.mainOverlay) << c.name;
        // The transparency comes and goes with its overlay.
        EXPECT_EQ(hotItem(CC, RIGHT, "Overlay Transparency").empty(), c.hotOverlay.empty()) << c.name;
        EXPECT_EQ(tabItem(CHART_TAB_PRIORITY, "Overlay Transparency").empty(), c.mainOverlay.empty()) << c.name;
        // The card items live only in the chart-plus-chart view's right pane.
        EXPECT_EQ(hotItem(CC, SPLIT_LEFT_WINDOW, "Base Layer"), "") << c.name;
    }
}

TEST_F(ChartMenus, AShortRightCardRemovesTheHotBaseLayerTheLeftCardRegistered)
{
    setU("CSD0", 1);
    cards({0, 1}, {});
    ASSERT_EQ(hotItem(CC, RIGHT, "Base Layer"), SATELLITE_BASE);

    setU("CACR", 1);
    setU("CSD1", 1);
    cards({0, 1}, {5});
    EXPECT_EQ(hotItem(CC, RIGHT, "Base Layer"), "");
    // A card with a short list removes the item whichever card is chosen,
    // in the main menu too.
    EXPECT_EQ(tabItem(CHART_TAB_PRIORITY, "Base Layer"), "");
}

TEST_F(ChartMenus, DetailLevelLakeListAndAlarmDistances)
{
    // Chart detail: absent for the lake-chart source, "Custom" only when the
    // layers need it, and the custom layer menu only while it is chosen.
    setU("IPCS", 1);
    T_NAV_vRegisterChartDetailMenuItem();
    EXPECT_EQ(tabItem(CHART_TAB_PRIORITY, "Chart Detail Level"), "");
    setU("IPCS", 0);
    T_NAV_vRegisterChartDetailMenuItem();
    EXPECT_EQ(tabItem(CHART_TAB_PRIORITY, "Chart Detail Level"),
              "Chart Detail Level [Basic=0, Navigation=1, Underwater=2, All=3]");
    NAV_CHART_STANDIN_vSetLakeList(0, TRUE);
    setU("SCDL", 4);
    T_NAV_vRegisterChartDetailMenuItem();
    EXPECT_EQ(tabItem(CHART_TAB_PRIORITY, "Chart Detail Level"),
              "Chart Detail Level [Basic=0, Navigation=1, Underwater=2, All=3, Custom=4]");
    EXPECT_EQ(NAV_CHART_STANDIN_vCalls(),
              (std::vector<std::string>{"custom-layers 0", "custom-layers 1"}));

    T_NAV_vRegisterLakeList();
    EXPECT_EQ(tabItem(CHART_TAB_PRIORITY, "Lake List"), "");
    NAV_CHART_STANDIN_vSetLakeList(3, FALSE);
    T_NAV_vRegisterLakeList();
    EXPECT_EQ(tabItem(CHART_TAB_PRIORITY, "Lake List"), "Lake List");

    T_NAV_vRegisterArrivalAlarms(FALSE);
    EXPECT_EQ(tabItems(ALARM_TAB_PRIORITY), (std::vector<std::string>{"Off Course Alarm", "Arrival Alarm"}));
    T_NAV_vRegisterArrivalAlarms(TRUE);
    EXPECT_EQ(tabItems(ALARM_TAB_PRIORITY), std::vector<std::string>{});
}

// The split views registered ("+layer") and removed ("-layer"), one entry
// per view however many panes.
std::vector<std::string> viewLog()
{
    std::vector<std::string> out;
    for (const Mail& m : drain(VIEW_BOX)) {
        std::string s;
        if (m.cmd == CMD_ID_REGISTER_LAYER)
            s = "+" + std::to_string(m.as<MSG_REGISTER_LAYER>().layer);
        else if (m.cmd == CMD_ID_UNREGISTER_LAYER)
            s = "-" + std::to_string(m.as<MSG_UNREGISTER_LAYER>().layer);
        if (!s.empty() && (out.empty() || out.back() != s))
            out.push_back(s);
    }
    return out;
}

TEST_F(ChartMenus, SonarSplitViewsFollowTheTransducerAndTheSystemState)
{
    using V = std::vector<std::string>;
    setU("CCST", 1);
    drain(VIEW_BOX);
    struct Step {
        const char* name;
        bool enable;
        U32 transducer;
        V expected;
    };
    const Step steps[] = {
        {"down imaging only", true, 18, {"+33"}},
        {"side imaging too", true, 10, {"+38"}},
        {"again: nothing new", true, 16, {}},
        {"2D only", true, 2, {"-38", "-33"}},
        {"Keelview types", true, 15, {"+33"}},
        {"disabled", false, 0, {"-33"}},
    };
    for (const Step& s : steps) {
        T_NAV_vEnableSonarAdvancedDisplays(s.enable ? TRUE : FALSE, s.transducer);
        EXPECT_EQ(viewLog(), s.expected) << s.name;
    }

    // Simulation and point of sale keep the views.
    T_NAV_vEnableSonarAdvancedDisplays(TRUE, 10);
    viewLog();
    for (U32 state : {4u, 6u}) {
        setU("CCST", state);
        T_NAV_vEnableSonarAdvancedDisplays(FALSE, 0);
        EXPECT_EQ(viewLog(), V{}) << state;
    }

    // The chart-plus-360 view with its info layer, kept in states 4 and 6.
    setU("CCST", 1);
    T_NAV_vEnableSonar360Displays(TRUE);
    EXPECT_EQ(viewLog(), (V{"+58", "+227"}));
    T_NAV_vEnableSonar360Displays(TRUE);
    EXPECT_EQ(viewLog(), V{});
    for (U32 state : {4u, 6u}) {
        setU("CCST", state);
        T_NAV_vEnableSonar360Displays(FALSE);
        EXPECT_EQ(viewLog(), V{}) << state;
    }
    setU("CCST", 3);
    T_NAV_vEnableSonar360Displays(FALSE);
    EXPECT_EQ(viewLog(), (V{"-227", "-58"}));
    H_DATABASE_vDeleteEntry(FCID("CCST"));
    T_NAV_vEnableSonar360Displays(FALSE);
    EXPECT_EQ(viewLog(), V{}) << "an unreadable state counts as 1";
}

TEST_F(ChartMenus, MovingTheCursorNeedsPositionAndHeading)
{
    setU("SDTM", 0);
    boatAt(origin());
    const POINT target = at(300, 400);
    H_DATABASE_vDeleteEntry(FCID("IHDG"));
    T_NAV_vMoveCursorToWaypoint(const_cast<POINT*>(&target));
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_BAD));
    EXPECT_FALSE(s("ICLT").has_value());

    setF("IHDG", 90.0f);
    setB("ICAC", false);
    drain(KEYBOARD_BOX);
    T_NAV_vMoveCursorToWaypoint(const_cast<POINT*>(&target));
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
    EXPECT_EQ(b("ICAC"), true);
    EXPECT_EQ(drain(KEYBOARD_BOX).size(), 1u) << "the cursor's key";
    EXPECT_EQ(s("ICLT"), target.y);
    EXPECT_EQ(s("ICLN"), target.x);
    EXPECT_EQ(f("ICHD"), 90.0f);
    EXPECT_NEAR(*f("ICBD"), distance(origin(), target), 1.0);
    EXPECT_NEAR(*f("ICBH"), bearing(origin(), target), 0.1);

    // A lake from the list: the map offset is taken off and the scale goes
    // to the left chart of the chart-plus-chart view.
    setS("SCON", 100);
    setS("SCOT", -50);
    setS("CVEW", CHART_PLUS_CHART_VIEW_PRIORITY);
    setS("CVAS", SPLIT_LEFT_WINDOW);
    NAV_CHART_STANDIN_vSetLakePoint(target, 7);
    T_NAV_vCursorToLakeList(2);
    EXPECT_EQ(s("ICLN"), target.x - 100);
    EXPECT_EQ(s("ICLT"), target.y + 50);
    EXPECT_EQ(s("SNCL"), 7);
    EXPECT_FALSE(s("SNCS").has_value());
}

} // namespace
