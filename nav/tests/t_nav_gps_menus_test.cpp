// The main-menu items a detected GPS registers: the Chart tab's view items,
// the Setup tab's time, date and position formats by market, the drift
// alarm, the Nav tab, and the chart items of each chart source; the hot
// menus' declutter item and the chart-source item registered once.
#include "nav/core/chart_menu_standins.h"
#include "nav/core/gps_menu_standins.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_gps_menus.h"
#include "nav/core/t_nav_menus.h"
#include "nav/core/t_nav_newdata.h"
#include "nav/core/t_nav_settings.h"
#include "nav/tests/nav_core_world.h"

#include "sonar/history/t_n_history_state.h"
#include "ui/menu_types.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace navw;

std::string text(const TEXT_TABLE* t) { return t == nullptr ? "" : (*t)[0]; }

std::string key(FOURCHARID k) { return k == 0 ? "" : std::string(reinterpret_cast<const char*>(&k), 4); }

std::string unit(UNIT_TYPE u)
{
    switch (u) {
    case U_METRES: return "metres";
    case U_FEET: return "feet";
    case U_FATHOMS: return "fathoms";
    case U_KPH: return "kph";
    case U_MPH: return "mph";
    case U_KNOTS: return "knots";
    case U_NONE: return "other";
    default: return "unit" + std::to_string((int)u);
    }
}

std::string number(float f)
{
    char ac[32];
    snprintf(ac, sizeof ac, "%g", (double)f);
    return ac;
}

std::string where(const TEXT_TABLE* pTab, LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    if (pTab != nullptr)
        return text(pTab);
    return "hot " + std::to_string(view) + "/" + std::to_string((int)split);
}

// "name @ where priority Llevel" and what the control carries: a selector's
// "KEY [choice=value,...]", a slider's "KEY {unit min..max/step,...}" with
// its left text and suffix, an action's confirmation, an action list's
// choices (! marks a confirmed one). A removal is "-name @ where".
std::string describe(const Mail& m)
{
    if (m.cmd == CMD_ID_UNREGISTER_MENU_ITEM) {
        const auto& r = m.as<MSG_REMOVE_MENU>();
        return "-" + text(r.pMenuName) + " @ " + where(r.pTabName, r.view, r.splitType);
    }
    const auto& a = m.as<MSG_ADD_MENU_ITEM>();
    const MENU_DESCRIPTOR& d = a.descriptor;
    std::string out = text(d.pMenuName) + " @ " + where(a.pTabName, a.view, a.splitType) + " " +
                      std::to_string((int)d.menuPriority) + " L" + std::to_string((int)d.menuUserLevel);
    switch (d.control) {
    case M_SELECTION_BOX: {
        const M_SELECTION_BOX_PARAMETERS& p = d.parameters.selectionBox;
        out += " " + key(p.FourCharId) + " [";
        for (U32 i = 0; i < p.numberSelections; ++i)
            out += (i ? "," : "") + text(p.pSelectionList[i]) + "=" + std::to_string((S32)p.pSelectionValueArray[i]);
        out += "]";
        break;
    }
    case M_SLIDER: {
        const M_SLIDER_PARAMETERS& p = d.parameters.slider;
        out += " " + key(p.FourCharId) + " {";
        for (const MENU_LIMITS* l = p.pLimits;; ++l) {
            out += (l != p.pLimits ? ", " : "") + unit(l->Units) + " " + number(l->fMinimum) + ".." +
                   number(l->fMaximum) + "/" + number(l->fIncrement);
            if (l->Units == U_NONE)
                break;
        }
        out += "}";
        if (p.pCtrlTextLeft != nullptr)
            out += " left=" + text(p.pCtrlTextLeft);
        if (p.valueStrSuffix != nullptr)
            out += " suffix=" + text(p.valueStrSuffix);
        break;
    }
    case M_ACTION:
    case M_ACTION_HOT:
        out += d.parameters.action.confirm ? " action confirm" : " action";
        break;
    case M_ACTION_LIST: {
        const M_ACTION_LIST_PARAMETERS& p = d.parameters.actionList;
        out += " list [";
        for (U32 i = 0; i < p.numberChoices; ++i)
            out += (i ? "," : "") + text(p.pActionListChoices[i]) + (p.bConfirm != nullptr && p.bConfirm[i] ? "!" : "");
        out += "]";
        break;
    }
    default:
        out += " control" + std::to_string((int)d.control);
        break;
    }
    return out;
}

// Items other modules register through calls made here, and the per-pane
// track items of the hot menus: not part of these tables.
bool others(const Mail& m)
{
    static const std::set<std::string> owned = {"Off Course Alarm", "Arrival Alarm", "Chart Detail Level"};
    if (m.cmd == CMD_ID_UNREGISTER_MENU_ITEM)
        return owned.count(text(m.as<MSG_REMOVE_MENU>().pMenuName)) != 0;
    const MENU_DESCRIPTOR& d = m.as<MSG_ADD_MENU_ITEM>().descriptor;
    if (d.menuPriority == MENU_CLEAR_CTRACK || d.menuPriority == MENU_SAVE_CTRACK ||
        d.menuPriority == MENU_CHART_DECLUTTER)
        return true;
    if (m.as<MSG_ADD_MENU_ITEM>().pTabName == nullptr && text(d.pMenuName) != "Chart Card")
        return true;
    static const std::set<std::string> registeredByOthers = {"Base Layer", "Overlay", "Overlay Transparency"};
    return owned.count(text(d.pMenuName)) != 0 || registeredByOthers.count(text(d.pMenuName)) != 0;
}

std::vector<std::string> registrations(const std::vector<Mail>& mails)
{
    std::vector<std::string> out;
    for (const Mail& m : mails)
        if ((m.cmd == CMD_ID_REGISTER_MENU_ITEM || m.cmd == CMD_ID_UNREGISTER_MENU_ITEM) && !others(m))
            out.push_back(describe(m));
    return out;
}

std::vector<std::string> only(const std::vector<std::string>& all, const std::string& where)
{
    std::vector<std::string> out;
    for (const std::string& s : all)
        if (s.find(" @ " + where) != std::string::npos)
            out.push_back(s);
    return out;
}

std::string choices(const std::vector<std::pair<const char*, int>>& c)
{
    std::string out = "[";
    for (size_t i = 0; i < c.size(); ++i)
        out += (i ? "," : "") + std::string(c[i].first) + "=" + std::to_string(c[i].second);
    return out + "]";
}

const std::string OFF_ON = "[Off=0,On=1]";
const std::string HIDDEN_VISIBLE = "[Hidden=0,Visible=1]";
const std::string DEG = "\xBA";

const std::string ZONES_35 = choices({
    {"UTC-11", -660},         {"HST (UTC-10)", -600},   {"AKST (UTC-9)", -540},    {"PST (UTC-8)", -480},
    {"MST (UTC-7)", -420},    {"CST (UTC-6)", -360},    {"EST (UTC-5)", -300},     {"AST (UTC-4)", -240},
    {"NST (UTC-3:30)", -210}, {"UTC-3", -180},          {"UTC-2", -120},           {"UTC-1", -60},
    {"GMT (UTC)", 0},         {"CET (UTC+1)", 60},      {"EET (UTC+2)", 120},      {"MSK (UTC+3)", 180},
    {"UTC+3:30", 210},        {"UTC+4", 240},           {"UTC+4:30", 270},         {"UTC+5", 300},
    {"UTC+5:30", 330},        {"UTC+5:45", 345},        {"UTC+6", 360},            {"UTC+6:30", 390},
    {"UTC+7", 420},           {"AWST (UTC+8)", 480},    {"UTC+9", 540},            {"ACST (UTC+9:30)", 570},
    {"AEST (UTC+10)", 600},   {"UTC+11", 660},          {"NFT (UTC+11:30)", 690},  {"NZST (UTC+12)", 720},
    {"CHAST (UTC+12:45)", 765}, {"UTC+13", 780},        {"UTC+14", 840},
});
const std::string ZONES_7 = choices({{"HST (UTC-10)", -600}, {"AKST (UTC-9)", -540}, {"PST (UTC-8)", -480},
                                     {"MST (UTC-7)", -420}, {"CST (UTC-6)", -360}, {"EST (UTC-5)", -300},
                                     {"AST (UTC-4)", -240}});
const std::string POSITION_FORMATS =
    "[dd.ddddd" + DEG + "=5,dd" + DEG + "mm.mmm'=6,dd" + DEG + "mm'ss\"=7]";
const std::string DATUMS = choices({
    {"Australian Geod. 1966", 7},      {"Australian Geod. 1984", 8},    {"Bermuda 1957", 10},
    {"Cape Canaveral Mean", 11},       {"Chatham 1971", 1},             {"European 1950 Mean", 2},
    {"European 1979 Mean", 3},         {"Geodetic Datum 1949", 12},     {"Ireland 1965", 4},
    {"L.C. 5 Astro 1961", 13},         {"N American 1927 Alaska", 14},  {"N American 1927 Bahamas", 15},
    {"N American 1927 Canada", 16},    {"N American 1927 Canal", 17},   {"N American 1927 Carrib.", 18},
    {"N American 1927 Central", 19},   {"N American 1927 Cuba", 20},    {"N American 1927 Grnland", 21},
    {"N American 1927 Mean", 22},      {"N American 1927 Mexico", 23},  {"N American 1927 San Salv.", 24},
    {"N American 1983", 25},           {"Old Hawaiian Mean", 26},       {"Ord. Surv. Gr. Brit. 36", 5},
    {"Puerto Rico", 27},               {"Rome 1940", 6},                {"S American 1969 Mean", 28},
    {"Swiss CH 1903", 9},              {"Tokyo Mean", 29},              {"WGS 84 (Default)", 0},
});
const std::string ALARM_LIMITS = "{metres 0..1000/10, feet 0..3000/25, other 0..1000/10} left=Off";

const std::vector<std::string> kChartViewItems = {
    "Auto Zoom @ Chart 258 L2 SAZM " + OFF_ON,
    "Auto Range @ Chart 259 L2 SARS " + OFF_ON,
    "Vessel Offset @ Chart 260 L2 SVOS " + OFF_ON,
    "Offset Speed @ Chart 261 L2 SNOS {kph 8..95/1, mph 5..60/1, knots 5..50/1, other 1..10/1}",
};

const std::vector<std::string> kInternationalSetup = {
    "Local Time Zone @ Setup 158 L2 SLTZ " + ZONES_35,
    "Date Format @ Setup 163 L2 SIDF [mm/dd/yy=0,dd.mm.yy=1,yy.mm.dd=2]",
    "Time Format @ Setup 162 L2 SITF [12-Hour=3,24-Hour=4]",
    "Daylight Saving Time @ Setup 159 L2 SDST " + OFF_ON,
    "Position Format @ Setup 160 L2 SIPF " + POSITION_FORMATS,
};

const std::vector<std::string> kDomesticSetup = {
    "Local Time Zone @ Setup 158 L2 SLTZ " + ZONES_7,
    "Daylight Saving Time @ Setup 159 L2 SDST " + OFF_ON,
    "Position Format @ Setup 160 L2 SIPF " + POSITION_FORMATS,
};

const std::vector<std::string> kAlarms = {"Drift Alarm @ Alarms 540 L1 CNDA " + ALARM_LIMITS};

std::vector<std::string> navItems(bool fvNavigation)
{
    std::vector<std::string> v = {
        "Saved Tracks Defaults @ Nav 211 L1 action",
        "Waypoints, Routes, Tracks @ Nav 209 L1 action",
        "Waypoint Settings @ Nav 210 L1 action",
        "Current Track @ Nav 208 L1 list [Save!,Clear!,Appearance,Stop Tracking]",
        "Map Datum @ Nav 229 L2 SDTM " + DATUMS,
    };
    if (fvNavigation)
        v.push_back("FV Navigation @ Nav 242 L1 SSIN " + OFF_ON);
    v.insert(v.end(), {
        "Course Projection Line @ Nav 233 L1 SCCP [Hidden=0,Standard=1,Single Vector=2,COG/SOG=3]",
        "3D View Outline @ Nav 236 L1 SPVO " + HIDDEN_VISIBLE,
        "Trolling Grid Rotation @ Nav 225 L1 SNGA {other 0..89/1} suffix=" + DEG,
        "Continuous Navigation Mode @ Nav 240 L1 SNCM " + OFF_ON,
        "Casting Rings @ Nav 215 L1 SNCR {metres 0..50/1, feet 0..150/1, other 0..50/1} left=Off",
        "North Up Indicator @ Nav 232 L1 SNUP " + OFF_ON,
        "Chart Orientation @ Nav 214 L1 SCOR [North-Up=0,Head-Up=1,Course-Up=2]",
        "North Reference @ Nav 222 L1 SUHD [True=30,Magnetic=31]",
        "Trackpoint Interval @ Nav 226 L1 SNTI [1 second=1,5 seconds=5,10 seconds=10,15 seconds=15,30 seconds=30,"
        "60 seconds=60]",
        "Track Min Distance @ Nav 227 L2 SNTD {metres 1..100/1, feet 1..300/1, other 1..100/1}",
        "Waypoint Proximity Flags @ Nav 223 L2 SNWP " + HIDDEN_VISIBLE,
        "Waypoint Decluttering @ Nav 224 L2 SNWD " + OFF_ON,
    });
    return v;
}

std::vector<std::string> otherSourceChart(bool offsetInUse)
{
    std::vector<std::string> v = {
        "Shaded Depth @ Chart 243 L1 SCSD {metres 0..60/1, feet 0..180/1, fathoms 0..30/1, other 0..10/1} left=Off",
        "Map Borders @ Chart 246 L1 SCMB [Hidden=0,MMC/SD Only=1,All Visible=2]",
        "Lat/Lon Grid @ Chart 218 L1 SCLG " + HIDDEN_VISIBLE,
        "Spot Soundings @ Chart 247 L1 SCSS " + HIDDEN_VISIBLE,
        "Navaids on Bird's Eye View @ Chart 219 L1 SCSN " + HIDDEN_VISIBLE,
        "Set Simulation Position @ Chart 230 L2 action confirm",
    };
    for (const char* item : {"Lake List", "Depth Colors", "Contour Lines", "Depth Highlight",
                             "Depth Highlight Range (+/-)", "Water Level Offset", "Shallow Water Highlight", "Base Layer",
                             "Overlay", "Overlay Transparency"})
        v.push_back(std::string("-") + item + " @ Chart");
    for (const char* item : {"Overlay Transparency", "Overlay", "Base Layer", "Chart Card"})
        v.push_back(std::string("-") + item + " @ hot 26/3");
    if (offsetInUse)
        v.insert(v.end(), {"-Set Map Offset @ Chart", "Clear Map Offset @ Chart 231 L2 action confirm"});
    else
        v.insert(v.end(), {"-Clear Map Offset @ Chart", "Set Map Offset @ Chart 231 L2 action confirm"});
    return v;
}

std::vector<std::string> lakeChart(bool chartCard, bool lakeList)
{
    std::vector<std::string> v = {
        "-Shaded Depth @ Chart",
        "Lat/Lon Grid @ Chart 218 L1 SCLG " + HIDDEN_VISIBLE,
        "Navaids on Bird's Eye View @ Chart 219 L1 SCSN " + HIDDEN_VISIBLE,
        "Set Simulation Position @ Chart 230 L2 action confirm",
    };
    if (chartCard)
        v.push_back("Chart Card @ hot 26/3 74 L1 CACR [Left Chart Card=0,Right Chart Card=1]");
    if (lakeList)
        v.push_back("Lake List @ Chart 686 L1 action");
    v.insert(v.end(), {
        "Depth Colors @ Chart 676 L1 SCDC {other 0..10/1} left=Off",
        "Contour Lines @ Chart 675 L1 SCCL " + HIDDEN_VISIBLE,
        "Depth Highlight @ Chart 677 L1 SCHD {metres 0..260/0.25, feet 0..800/1, fathoms 0..130/1, other 0..260/1} "
        "left=Off",
        "Depth Highlight Range (+/-) @ Chart 678 L1 SCHR {metres 0..20/0.25, feet 0..60/1, fathoms 0..10/1, other "
        "0..10/1}",
        "Water Level Offset @ Chart 679 L1 SCLO {metres -60..10/0.25, feet -200..30/1, fathoms -33..5/1, other "
        "-20..10/1}",
        "Shallow Water Highlight @ Chart 680 L1 SCHZ {metres 0..10/0.25, feet 0..30/1, fathoms 0..5/1, other 0..10/1}",
        "-Set Map Offset @ Chart",
        "-Clear Map Offset @ Chart",
    });
    return v;
}

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

BOOLEAN s_bDomestic = FALSE;
BOOLEAN domestic(void) { return s_bDomestic; }

class GpsMenus : public NavCore {
protected:
    void SetUp() override
    {
        NavCore::SetUp();
        T_NAV_MENUS_vReset();
        T_NAV_NEWDATA_vReset();
        NAV_GPS_STANDIN_vForget();
        NAV_CHART_STANDIN_vForget();
        s_bDomestic = FALSE;
        T_NAV_vInstallDomesticModelQuery(domestic);
        t_n_history::s_db_TransducerSelectArray[1] = 0;
        for (MBOX m : {MENU_BOX, VIEW_BOX, KEYBOARD_BOX})
            drain(m);
    }
    void TearDown() override
    {
        T_NAV_MENUS_vReset();
        T_NAV_vInstallDomesticModelQuery(nullptr);
        t_n_history::s_db_TransducerSelectArray[1] = 0;
        NAV_GPS_STANDIN_vForget();
        NAV_CHART_STANDIN_vForget();
    }
    std::vector<std::string> detect()
    {
        T_NAV_vHandleGPSDetected();
        drain(VIEW_BOX);
        drain(KEYBOARD_BOX);
        return registrations(drain(MENU_BOX));
    }
};

TEST_F(GpsMenus, AnInternationalUnitWithAnotherChartSourceRegistersTheWholeTableInOrder)
{
    const std::vector<std::string> expected =
        concat({kChartViewItems, kInternationalSetup, kAlarms, navItems(false), otherSourceChart(false)});
    EXPECT_EQ(detect(), expected);
    // A second detection repeats every registration.
    EXPECT_EQ(detect(), expected);
}

TEST_F(GpsMenus, ADomesticUnitHasSevenTimeZonesAndNoDateOrTimeFormat)
{
    s_bDomestic = TRUE;
    EXPECT_EQ(only(detect(), "Setup"), kDomesticSetup);
}

TEST_F(GpsMenus, FVNavigationOnlyWithASideImagingTransducerThatCanSteer)
{
    const struct {
        U32 type;
        bool offered;
    } cases[] = {{0, false}, {3, true}, {4, false}, {5, true}, {9, true}, {10, true}, {16, false}};
    for (const auto& c : cases) {
        t_n_history::s_db_TransducerSelectArray[1] = c.type;
        EXPECT_EQ(only(detect(), "Nav"), navItems(c.offered)) << "transducer " << c.type;
    }
}

TEST_F(GpsMenus, AMapOffsetInUseOffersItsClearing)
{
    const struct {
        bool scot, scon;
        S32 east, north;
        bool inUse;
    } cases[] = {
        {true, true, 0, 0, false}, {true, true, 12, 0, true}, {true, true, 0, -3, true},
        {false, true, 0, 5, false}, // only one of the two known: none in use
    };
    for (const auto& c : cases) {
        H_DATABASE_vInit();
        publishNeighbourMailboxes();
        if (c.scot)
            setS("SCOT", c.east);
        if (c.scon)
            setS("SCON", c.north);
        const std::vector<std::string> chart = only(detect(), "Chart");
        const std::vector<std::string> expected = otherSourceChart(c.inUse);
        ASSERT_GE(chart.size(), 2u);
        EXPECT_EQ(std::vector<std::string>(chart.end() - 2, chart.end()),
                  std::vector<std::string>(expected.end() - 2, expected.end()))
            << c.east << "/" << c.north;
    }
}

TEST_F(GpsMenus, TheLakeChartSourceRegistersItsOwnBranchAndTheChartCardByTheCards)
{
    setU("IPCS", 1);
    // The "Chart Card" choice needs a base chart on one card and lake-chart
    // folders or a base chart on the other.
    const struct {
        U32 folders0, folders1;
        bool base0, base1;
        bool chartCard;
    } cases[] = {
        {0, 0, false, false, false}, {3, 2, false, false, false}, {0, 0, true, true, true},
        {2, 0, false, true, true},   {0, 4, true, false, true},   {2, 0, true, false, false},
        {0, 0, true, false, false},
    };
    for (const auto& c : cases) {
        NAV_CHART_STANDIN_vSetFolders(0, std::vector<U32>(c.folders0, 1));
        NAV_CHART_STANDIN_vSetFolders(1, std::vector<U32>(c.folders1, 1));
        NAV_GPS_STANDIN_vSetBaseChart(0, c.base0 ? TRUE : FALSE);
        NAV_GPS_STANDIN_vSetBaseChart(1, c.base1 ? TRUE : FALSE);
        const std::vector<std::string> got = detect();
        std::vector<std::string> chart = only(got, "Chart");
        const std::vector<std::string> hot = only(got, "hot");
        chart.erase(chart.begin(), chart.begin() + (long)kChartViewItems.size());
        chart.insert(chart.end(), hot.begin(), hot.end());
        // The card layers' own items follow the folders; they are not this
        // table's concern.
        std::erase_if(chart, [](const std::string& item) {
            return item.rfind("-Overlay", 0) == 0 || item.rfind("-Base Layer", 0) == 0;
        });
        std::vector<std::string> expected = lakeChart(false, false);
        if (c.chartCard)
            expected.push_back("Chart Card @ hot 26/3 74 L1 CACR [Left Chart Card=0,Right Chart Card=1]");
        EXPECT_EQ(chart, expected) << c.folders0 << " " << c.folders1 << " " << c.base0 << " " << c.base1;
    }

    NAV_CHART_STANDIN_vSetFolders(0, {});
    NAV_CHART_STANDIN_vSetFolders(1, {});
    NAV_GPS_STANDIN_vSetBaseChart(0, FALSE);
    NAV_GPS_STANDIN_vSetBaseChart(1, FALSE);
    NAV_CHART_STANDIN_vSetLakeList(12, FALSE);
    EXPECT_EQ(concat({kChartViewItems, lakeChart(false, true)}), only(detect(), "Chart"));
}

TEST_F(GpsMenus, EveryChartPaneButThePerspectiveOnesGetsTheDeclutterItem)
{
    T_NAV_vHandleGPSDetected();
    std::vector<std::string> declutter;
    for (const Mail& m : drain(MENU_BOX))
        if (m.cmd == CMD_ID_REGISTER_MENU_ITEM && m.as<MSG_ADD_MENU_ITEM>().descriptor.menuPriority == MENU_CHART_DECLUTTER) {
            const auto& a = m.as<MSG_ADD_MENU_ITEM>();
            EXPECT_EQ(a.descriptor.parameters.action.pt2Function, T_CHART_vChartDeclutter);
            declutter.push_back(describe(m));
        }
    std::vector<std::string> expected;
    for (const VIEW_AND_SPLIT& v : s_aNavViews) {
        const bool perspective = (v.eView == BIRDS_EYE_VIEW_PRIORITY && v.eSplit == SPLIT_FULL_WINDOW) ||
                                 (v.eView == CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY && v.eSplit == SPLIT_LEFT_WINDOW);
        if (!perspective)
            expected.push_back("Chart Declutter @ hot " + std::to_string(v.eView) + "/" + std::to_string((int)v.eSplit) +
                               " 69 L2 action");
    }
    EXPECT_EQ(expected.size(), NAV_VIEW_COUNT - 2);
    EXPECT_EQ(declutter, expected);

    // The chart-source item comes with the tabs: once.
    T_NAV_vHandleGPSDetected();
    const std::vector<std::string> calls = NAV_GPS_STANDIN_vCalls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "chart-select"), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "waypoint-route-items"), 2) << "every run";
}

} // namespace
