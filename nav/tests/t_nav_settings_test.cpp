// The navigation defaults: what a start writes for each market, what
// survives a start, what a factory reset replaces, and the module state a
// reset leaves.
#include "nav/core/t_nav_conf.h"
#include "nav/core/t_nav_settings.h"
#include "nav/core/u_movinand_standin.h"
#include "nav/data/t_nav_card_standins.h"
#include "nav/tests/nav_core_world.h"

#include "kernel/l_mbox.h"
#include "ui/u_keyboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace navw;

BOOLEAN bImperialModel = FALSE;
BOOLEAN domestic(void) { return bImperialModel; }

constexpr U32 P = 0xFF; // the call's priority: 14 at start, 2 on a factory reset
constexpr int ANY_TYPE = -1;

// One key as the defaults leave it; a D_DISTANCE float differs by market.
struct Row {
    const char* key;
    char format; // 'u' unsigned, 's' signed, 'f' float, 'b' boolean
    double metric;
    double imperial;
    int type;
    U32 priority;
    const char* text = nullptr; // the key's name in English; null: none
};

const std::vector<Row>& everyKey()
{
    static const std::vector<Row> rows = {
        {"SUHD", 'u', 30, 30, D_UNITS, P},
        {"SCOR", 'u', 0, 0, D_UNKNOWN, P},
        {"SNTI", 's', 1, 1, D_TIME, P},
        {"SNTD", 'f', 5, 4.8768, D_DISTANCE, P},
        {"SNCR", 'f', 0, 0, D_DISTANCE, P},
        {"SNWP", 'b', 0, 0, D_UNKNOWN, P},
        {"SNWD", 'b', 1, 1, D_UNKNOWN, P},
        {"SSCW", 'u', 266, 266, D_UNKNOWN, P},
        {"SSDW", 'u', 266, 266, D_UNKNOWN, P},
        {"SNAO", 'f', 100, 91.44, D_DISTANCE, P},
        {"SNAA", 'f', 50, 45.72, D_DISTANCE, P},
        {"CNDA", 'f', 0, 0, D_DISTANCE, P},
        {"SDTM", 'u', 0, 0, D_UNKNOWN, P},
        {"SCCP", 'u', 1, 1, D_UNKNOWN, P},
        {"SPVO", 'b', 1, 1, D_UNKNOWN, P},
        {"SNGA", 'f', 0, 0, D_FLOAT, P},
        // The table writes them at P; clearing the target and the grid then
        // writes them again at 2.
        {"ITWP", 'u', 0xFFFF, 0xFFFF, D_WAYPOINT, P_NORMAL},
        {"IGWP", 'u', 0xFFFF, 0xFFFF, D_WAYPOINT, P_NORMAL},
        {"SNCM", 'b', 0, 0, D_UNKNOWN, P},
        {"SNUP", 'b', 0, 0, D_UNKNOWN, P},
        {"SNOS", 'f', 2.2352, 2.2352, D_SPEED, P},
        {"SVOS", 'u', 0, 0, D_UNKNOWN, P_NORMAL},
        {"SAZM", 'b', 0, 0, D_UNKNOWN, P_NORMAL},
        {"SARS", 'b', 0, 0, D_UNKNOWN, P_NORMAL},
        {"SDST", 'b', 0, 0, D_UNKNOWN, P},
        {"SLTZ", 's', -300, -300, D_UNKNOWN, P},
        {"SIDF", 'u', 0, 0, D_UNKNOWN, P},
        {"SITF", 'u', 3, 3, D_UNKNOWN, P},
        {"SIPF", 'u', 6, 6, D_UNKNOWN, P},
        {"SNBS", 's', 18, 18, D_UNKNOWN, P},
        {"SNCS", 's', 17, 17, D_UNKNOWN, P},
        {"SNCL", 's', 17, 17, D_UNKNOWN, P},
        {"INCN", 's', 16, 16, D_UNKNOWN, P_DEFAULT_SETTING},
        {"SNLT", 's', 6532084, 2944465, D_POSITION_LAT_MM, P_DEFAULT_SETTING},
        {"SNLN", 's', -117220, -8930670, D_POSITION_LON_MM, P_DEFAULT_SETTING},
        {"SNTV", 'u', 0xFFFFFFFF, 0xFFFFFFFF, D_UNKNOWN, P},
        {"SNV2", 'u', 0xFFFFFFFF, 0xFFFFFFFF, D_UNKNOWN, P},
        {"SNS1", 'u', 0, 0, D_UNKNOWN, P},
        {"SNS8", 'u', 0, 0, D_UNKNOWN, P},
        {"SNC1", 'u', 0, 0, D_UNKNOWN, P},
        {"SNC8", 'u', 0, 0, D_UNKNOWN, P},
        {"SNRC", 'u', 0, 0, D_UNKNOWN, P},
        {"SNDC", 'u', 0, 0, D_UNKNOWN, P},
        {"SNDS", 'u', 0, 0, D_UNKNOWN, P},
        {"SNDV", 'u', 0xFFFFFFFF, 0xFFFFFFFF, D_UNKNOWN, P},
        {"SNCC", 'u', 7, 7, D_UNKNOWN, P},
        {"SNCP", 'u', 3, 3, D_UNKNOWN, P},
        {"IPEN", 'b', 0, 0, D_UNKNOWN, P_DEFAULT_SETTING},
        {"IPPB", 'b', 0, 0, D_UNKNOWN, P_DEFAULT_SETTING},
        {"SPOT", 'u', 60, 60, D_UNKNOWN, P},
        {"SPVT", 'u', 1, 1, D_UNKNOWN, P},
        {"SPCO", 'u', 0, 0, D_UNKNOWN, P},
        {"SP3E", 'b', 1, 1, D_UNKNOWN, P},
        {"SP23", 'b', 0, 0, D_UNKNOWN, P},
        {"SP3O", 'b', 1, 1, D_UNKNOWN, P},
        {"SPNI", 'b', 0, 0, D_UNKNOWN, P},
        {"SPRG", 'b', 0, 0, D_UNKNOWN, P},
        {"SPRB", 'b', 0, 0, D_UNKNOWN, P},
        {"SVNA", 'b', 1, 1, D_UNKNOWN, P, "Chart View"},
        {"SVHI", 'b', 1, 1, D_UNKNOWN, P, "Bird's Eye View"},
        {"SVCH", 'b', 0, 0, D_UNKNOWN, P, "Chart/Pilot Book View"},
        {"SZCH", 's', 50, 50, D_UNKNOWN, P, "Chart/Pilot Book View"},
        {"SVCB", 'b', 1, 1, D_UNKNOWN, P, "Chart/Bird's Eye Combo View"},
        {"SZCB", 's', 50, 50, D_UNKNOWN, P, "Chart/Bird's Eye Combo View"},
        {"SVCC", 'b', 1, 1, D_UNKNOWN, P, "Chart/Chart Combo View"},
        {"SZCC", 's', 50, 50, D_UNKNOWN, P, "Chart/Chart Combo View"},
        {"SVCO", 'b', 1, 1, D_UNKNOWN, P, "Chart/Sonar Combo View"},
        {"SZCO", 's', 50, 50, D_UNKNOWN, P, "Chart/2D Combo View"},
        {"SVCQ", 'b', 1, 1, D_UNKNOWN, P, "Chart/Down Combo View"},
        {"SZCD", 's', 50, 50, D_UNKNOWN, P, "Chart/Down Combo View"},
        {"SVCS", 'b', 1, 1, D_UNKNOWN, P, "Chart/Side Combo View"},
        {"SZCS", 's', 50, 50, D_UNKNOWN, P, "Chart/Side Combo View"},
        {"OSXS", 'f', 0, 0, ANY_TYPE, P_NORMAL},
        {"OSYS", 'f', 0, 0, ANY_TYPE, P_NORMAL},
        {"OSXL", 'f', 0, 0, ANY_TYPE, P_NORMAL},
        {"OSYL", 'f', 0, 0, ANY_TYPE, P_NORMAL},
        {"KSMC", 'f', 0, 0, ANY_TYPE, P_NORMAL},
        {"KSLC", 'f', 0, 0, ANY_TYPE, P_NORMAL},
        {"KZMC", 's', 0, 0, ANY_TYPE, P_NORMAL},
        {"KZLC", 's', 0, 0, ANY_TYPE, P_NORMAL},
        {"KTMC", 's', 0, 0, ANY_TYPE, P_NORMAL},
        {"KTLC", 's', 0, 0, ANY_TYPE, P_NORMAL},
        {"CTRE", 'b', 1, 1, ANY_TYPE, P_NORMAL},
    };
    return rows;
}

// The writer priority holding the key, told apart by whether a write at
// P_NVR gets through: 2 keeps its value, 14 gives way. The probe leaves
// its own value behind.
U32 holder(const char* key)
{
    DB_DATA_TYPE v{};
    EXPECT_TRUE(H_DATABASE_bFetch(k(key), &v, nullptr, nullptr)) << key;
    DB_DATA_TYPE probe = v;
    probe.RawData ^= 0x5A5A5A5A;
    return H_DATABASE_bUpdateValue(k(key), probe, P_NVR) ? (U32)P_NORMAL : (U32)P_DEFAULT_SETTING;
}

// Every key of the table with its value, format, type and text; the
// priorities last, as their probe changes the values.
void expectEveryKey(bool imperial, U32 callPriority)
{
    for (const Row& r : everyKey()) {
        SCOPED_TRACE(std::string(r.key) + (imperial ? " imperial" : " metric"));
        const double want = imperial ? r.imperial : r.metric;
        DB_DATA_TYPE v{};
        DB_ATTRIBUTES a{};
        BOOLEAN valid = FALSE;
        ASSERT_TRUE(H_DATABASE_bFetch(k(r.key), &v, &valid, &a));
        EXPECT_TRUE(valid);
        switch (r.format) {
        case 'u':
            EXPECT_EQ(v.u32Val, (U32)want);
            break;
        case 's':
            EXPECT_EQ(v.s32Val, (S32)want);
            break;
        case 'f':
            EXPECT_NEAR(v.fVal, want, 1e-4);
            break;
        case 'b':
            EXPECT_EQ(v.u32Val, (U32)want);
            break;
        }
        if (r.type != ANY_TYPE) {
            EXPECT_EQ((int)a.DataType, r.type);
        }
        if (r.text != nullptr) {
            ASSERT_NE(a.ppcText, nullptr);
            EXPECT_STREQ((*a.ppcText)[0], r.text);
        } else if (r.type != ANY_TYPE) {
            EXPECT_EQ(a.ppcText, nullptr);
        }
        if (r.type != ANY_TYPE) {
            EXPECT_EQ(a.u32TimeOut, DB_TIMEOUT_NEVER);
        }
    }
    for (const Row& r : everyKey())
        EXPECT_EQ(holder(r.key), r.priority == P ? callPriority : r.priority) << r.key;
}

class NavSettings : public NavCore {
protected:
    void SetUp() override
    {
        NavCore::SetUp();
        T_NAV_CONF_vReset(0);
        NAV_STANDIN_vForgetManagerResets();
        U_MOVINAND_STANDIN_vSetState(MOVINAND_STATE_UNKNOWN);
        bImperialModel = FALSE;
        T_NAV_vInstallDomesticModelQuery(domestic);
    }
    void TearDown() override
    {
        T_NAV_vInstallDomesticModelQuery(nullptr);
        U_MOVINAND_STANDIN_vSetState(MOVINAND_STATE_UNKNOWN);
        T_NAV_CONF_vReset(0);
    }
};

TEST_F(NavSettings, AStartWritesEveryKeyAtItsPriorityForEitherMarket)
{
    for (bool imperial : {false, true}) {
        SetUp();
        bImperialModel = imperial;
        T_NAV_vSetDefaultSettings(FALSE);
        expectEveryKey(imperial, P_DEFAULT_SETTING);
    }
}

TEST_F(NavSettings, AFactoryResetWritesTheSameValuesAtUserPriority)
{
    for (bool imperial : {false, true}) {
        SetUp();
        bImperialModel = imperial;
        // Without a system state the simulation start keeps priority 14
        // (see below for the states).
        T_NAV_vSetDefaultSettings(TRUE);
        expectEveryKey(imperial, P_NORMAL);
        EXPECT_EQ(*u("SWDI"), 0u);
        EXPECT_EQ(*b("STOS"), false);
    }
}

TEST_F(NavSettings, StrongerValuesSurviveAStartAndAFactoryResetReplacesThem)
{
    struct Kept {
        const char* key;
        U32 priority;
        float value;
        float metricDefault;
    };
    const Kept kept[] = {
        {"SNAO", P_NORMAL, 333.0f, 100.0f},
        {"SNTD", P_NVR, 12.0f, 5.0f},
        {"SNGA", P_NVR, 45.0f, 0.0f},
        {"SNOS", P_NORMAL, 5.5f, 2.2352f},
    };
    for (const Kept& c : kept)
        H_DATABASE_bUpdateEverythingFloat(k(c.key), c.value, c.priority, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateValueU32(k("SIPF"), 5, P_NORMAL);
    H_DATABASE_bUpdateValueBoolean(k("SVNA"), FALSE, P_NVR);
    H_DATABASE_bUpdateValueU32(k("SVOS"), 1, P_NORMAL);
    H_DATABASE_bUpdateValueBoolean(k("SARS"), TRUE, P_NORMAL);

    T_NAV_vSetDefaultSettings(FALSE);
    for (const Kept& c : kept)
        EXPECT_FLOAT_EQ(*f(c.key), c.value) << c.key;
    EXPECT_EQ(*u("SIPF"), 5u);
    EXPECT_EQ(*b("SVNA"), false);
    EXPECT_EQ(*u("SVOS"), 1u);
    EXPECT_EQ(*b("SARS"), true);
    DB_ATTRIBUTES a{};
    ASSERT_TRUE(H_DATABASE_bFetch(k("SNAO"), nullptr, nullptr, &a));
    EXPECT_EQ(a.DataType, D_DISTANCE) << "the refused default still gives the bare key its type";

    H_DATABASE_bUpdateValueU32(k("CCST"), 3, P_NORMAL);
    T_NAV_vSetDefaultSettings(TRUE);
    for (const Kept& c : kept)
        EXPECT_NEAR(*f(c.key), c.metricDefault, 1e-4) << c.key;
    EXPECT_EQ(*u("SIPF"), 6u);
    EXPECT_EQ(*b("SVNA"), true);
    EXPECT_EQ(*u("SVOS"), 0u);
    EXPECT_EQ(*b("SARS"), false);
}

TEST_F(NavSettings, AValidOffsetSpeedOfAnEarlierStartIsKept)
{
    H_DATABASE_bUpdateEverythingFloat(k("SNOS"), 8.0f, P_DEFAULT_SETTING, D_SPEED, nullptr, DB_TIMEOUT_NEVER);
    T_NAV_vSetDefaultSettings(FALSE);
    EXPECT_FLOAT_EQ(*f("SNOS"), 8.0f);
    // Expired, it takes the default again.
    expire("SNOS");
    T_NAV_vSetDefaultSettings(FALSE);
    EXPECT_NEAR(*f("SNOS"), 2.2352f, 1e-6);
}

TEST_F(NavSettings, TheSimulationStartSurvivesAFactoryResetOnlyAtThePointOfSaleOrWithoutAState)
{
    struct Case {
        bool factory;
        int state; // -1: "CCST" never written
        bool survives;
    };
    const Case cases[] = {
        {false, 3, true}, {true, 6, true}, {true, 3, false}, {true, 4, false}, {true, -1, true},
    };
    for (const Case& c : cases) {
        SetUp();
        SCOPED_TRACE(std::to_string(c.factory) + " state " + std::to_string(c.state));
        if (c.state >= 0)
            H_DATABASE_bUpdateValueU32(k("CCST"), (U32)c.state, P_NORMAL);
        H_DATABASE_bUpdateValueS32(k("SNLT"), 111, P_NORMAL);
        H_DATABASE_bUpdateValueS32(k("SNLN"), 222, P_NORMAL);
        T_NAV_vSetDefaultSettings(c.factory ? TRUE : FALSE);
        EXPECT_EQ(*s("SNLT"), c.survives ? 111 : 6532084);
        EXPECT_EQ(*s("SNLN"), c.survives ? 222 : -117220);
    }
}

TEST_F(NavSettings, AnImperialUnitStartsOnTheLakesWhenItsFlashHoldsTheLakeCharts)
{
    bImperialModel = TRUE;
    const struct {
        MOVINAND_STATE state;
        S32 lat, lon;
    } cases[] = {
        {MOVINAND_STATE_VARNEL, 4030779, -9350309},
        {MOVINAND_STATE_NVB, 2944465, -8930670},
        {MOVINAND_STATE_BLANK, 2944465, -8930670},
    };
    for (const auto& c : cases) {
        H_DATABASE_vInit();
        U_MOVINAND_STANDIN_vSetState(c.state);
        T_NAV_vSetDefaultSettings(FALSE);
        EXPECT_EQ(*s("SNLT"), c.lat) << (int)c.state;
        EXPECT_EQ(*s("SNLN"), c.lon) << (int)c.state;
    }
    bImperialModel = FALSE;
    H_DATABASE_vInit();
    U_MOVINAND_STANDIN_vSetState(MOVINAND_STATE_VARNEL);
    T_NAV_vSetDefaultSettings(FALSE);
    EXPECT_EQ(*s("SNLT"), 6532084) << "a metric unit ignores the flash";
}

BOOLEAN east()
{
    MSG_KEY_CHANGE m{};
    m.header.Cmd = CMD_ID_KEY_CHANGE;
    m.key = KEY_CURSOR;
    m.state = KEY_DOWN;
    m.count = 1;
    m.cursor = CURSOR_EAST;
    return T_NAV_CONF_bHandleKeys(&m);
}

int s_yes = 0;
void yes() { ++s_yes; }

TEST_F(NavSettings, AResetEndsNavigationManOverboardQuestionsAndRestartsTracking)
{
    navigate({at(0, 0), at(0, 500), at(300, 900)});
    s_u16MOBWaypoint = 1;
    setU("ITWP", 1);
    setU("IGWP", 2);
    setF("OSXS", 12.0f);
    setS("KZMC", 3);
    s_yes = 0;
    T_NAV_CONF_vSetup("Delete it?", yes, nullptr);
    T_NAV_CONF_vSetup("And this?", yes, nullptr);
    s_bTrackEnable = FALSE;
    const U32 infoResets = NAV_STANDIN_u32ChartInfoResets();

    H_DATABASE_bUpdateValueU32(k("CCST"), 3, P_NORMAL);
    T_NAV_vSetDefaultSettings(TRUE);

    EXPECT_EQ(*u("INIP"), 0u);
    EXPECT_EQ(s_CurrentRoute.nCount, 0u);
    EXPECT_EQ(s_u16MOBWaypoint, NAV_NO_MOB_WAYPOINT);
    EXPECT_EQ(*u("ITWP"), 0xFFFFu);
    EXPECT_EQ(*u("IGWP"), 0xFFFFu);
    EXPECT_FALSE(east()) << "no question is left";
    EXPECT_EQ(s_yes, 0) << "none was answered";
    EXPECT_FLOAT_EQ(*f("OSXS"), 0.0f);
    EXPECT_EQ(*s("KZMC"), 0);
    EXPECT_TRUE(s_bTrackEnable);
    EXPECT_EQ(*b("CTRE"), true);
    const NAV_STANDIN_RESETS r = NAV_STANDIN_tManagerResets();
    EXPECT_EQ(r.u32EditorResets, 1u);
    EXPECT_EQ(r.s32EditorPriority, (S32)P_NORMAL);
    EXPECT_EQ(r.u32GroupResets, 1u);
    EXPECT_EQ(r.s32GroupPriority, (S32)P_NORMAL);
    EXPECT_EQ(NAV_STANDIN_u32ChartInfoResets(), infoResets + 1);

    // A start passes its own priority on.
    T_NAV_vSetDefaultSettings(FALSE);
    EXPECT_EQ(NAV_STANDIN_tManagerResets().s32GroupPriority, (S32)P_DEFAULT_SETTING);
}

} // namespace
