// Setting profiles: loading over the defaults, saving to the profile keys,
// switching and restoring (writing only what differs), and recording a
// changed setting into the profile in effect, each into the place of the
// key it belongs to.
#include "store/h_profile.h"

#include "store/tests/nvram_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace {

using nvt::db;
using nvt::fc;

int g_layerCalls;
std::vector<BOOLEAN> g_layerForce;

} // namespace

void T_CHART_LAYER_vSetupDatabaseItems(BOOLEAN bForce)
{
    ++g_layerCalls;
    g_layerForce.push_back(bForce);
}

namespace {

constexpr MBOX MB_WATCH = 21;

const char* const CHART_KEYS[20] = {"SNWD", "SNCM", "SCLG", "SCSS", "SCTC", "SNUP", "SAZM", "SARS", "SLAY", "SCOR",
                                    "SUHD", "SDTM", "SCCP", "SCSN", "SCDL", "SCMB", "SVOS", "SNGA", "SCSD", "SNOS"};
const char* const SONAR_KEYS[] = {"YTVG", "SSIN", "SSBL", "YSNF", "YSMD", "YSWA", "SRPS", "YSFI", "YSFS",
                                  "YUDP", "SSSP", "SSS2", "SSQL", "SSBV", "SSZW", "SSDL", "SSCL", "SSPL",
                                  "SSWV", "SSSS", "SSSN", "SSSL", "SITM", "SSSC", "SDSS", "SDSN", "SDSL",
                                  "SDSC", "SSS8", "SSS4", "SSRW", "YSSR", "YSLD", "YDPO", "SSUD", "SSBR"};

TEST(ProfileFresh, NothingIsRecordedOrAppliedBeforeALoadAndTheTemplatesAreTheFirstDefaults)
{
    // A fresh process (the test binary run again for this test alone): no
    // profile loaded, no snapshot taken.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            H_DATABASE_vInit();
            bool ok = !H_PROFILE_bUpdateChartMenuSetting(0) && !H_PROFILE_bUpdateSonarMenuSetting(0) &&
                      !H_PROFILE_bRestoreChartMenuSetting() && !H_PROFILE_bRestoreSonarMenuSetting() &&
                      !H_PROFILE_bSaveChartMenuSetting(MENU_CHART_ORIENTATION, db(1)) &&
                      !H_PROFILE_bSaveSonarMenuSetting(MENU_FISH_ID, db(1)) &&
                      !H_PROFILE_bSaveChartNonMenuSetting(fc("SLAY"), db(1)) &&
                      !H_PROFILE_bSaveSonarNonMenuSetting(fc("SSSS"), db(1)) && g_layerCalls == 0;
            // Loading over an empty store: every profile holds the templates.
            H_PROFILE_bLoadChartProfile(nullptr);
            H_PROFILE_bLoadSonarProfile(nullptr);
            H_PROFILE_bSaveChartProfile(nullptr);
            H_PROFILE_bSaveSonarProfile(nullptr);
            for (char p = '1'; p <= '3'; ++p) {
                for (int n = 1; n <= 20; ++n) {
                    std::string key = std::string("S") + p + char('0' + n / 10) + char('0' + n % 10);
                    U32 v = 77;
                    ok = ok && H_DATABASE_bFetchU32(fc(key.c_str()), &v, nullptr, nullptr);
                    ok = ok && v == (n == 9 ? 0xFFFFFFFF : n == 20 ? 2u : 0u);
                }
                for (int d = 21; d <= 59; ++d) {
                    std::string key = std::string("S") + p + char('0' + d / 10) + char('0' + d % 10);
                    bool used = d != 46 && d != 48 && d != 49;
                    ok = ok && H_DATABASE_bFetch(fc(key.c_str()), nullptr, nullptr, nullptr) == used;
                }
            }
            exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

class Profile : public ::testing::Test {
protected:
    void SetUp() override
    {
        H_DATABASE_vInit();
        nvt::drainAll();
        g_layerCalls = 0;
        g_layerForce.clear();
        // Every setting written, so the snapshots take known defaults.
        for (const char* k : CHART_KEYS)
            set(k, 0);
        for (const char* k : SONAR_KEYS)
            set(k, 0);
        H_PROFILE_vSetChartDefaultValue();
        H_PROFILE_vSetNavDefaultValue();
        H_PROFILE_vSetChartLayerDefaultValue();
        H_PROFILE_vSetSonarDefaultValue();
        for (const char* k : CHART_KEYS)
            H_DATABASE_bRegisterForDataWithConditions(fc(k), MB_WATCH, TRUE, FALSE, TRUE);
        for (const char* k : SONAR_KEYS)
            H_DATABASE_bRegisterForDataWithConditions(fc(k), MB_WATCH, TRUE, FALSE, TRUE);
    }
    void TearDown() override { nvt::drainAll(); }

    static void set(const char* key, U32 v) { H_DATABASE_bUpdateValueU32(fc(key), v, P_NORMAL); }
    static U32 get(const std::string& key)
    {
        U32 v = 0xDEADBEEF;
        EXPECT_TRUE(H_DATABASE_bFetchU32(fc(key), &v, nullptr, nullptr)) << key;
        return v;
    }
    static bool written(const std::string& key) { return H_DATABASE_bFetch(fc(key), nullptr, nullptr, nullptr); }
    // The settings written since the last call, in order.
    static std::vector<std::string> writes()
    {
        std::vector<std::string> out;
        while (MSGHEADER* h = L_MBOX_Receive(MB_WATCH)) {
            FOURCHARID id = reinterpret_cast<MESSAGE_NEW_DATA*>(h)->FourCharId;
            out.push_back(std::string(reinterpret_cast<const char*>(&id), 4));
            H_MEMORY_vFree(h);
        }
        return out;
    }
    static void loadBoth()
    {
        ASSERT_TRUE(H_PROFILE_bLoadChartProfile(nullptr));
        ASSERT_TRUE(H_PROFILE_bLoadSonarProfile(nullptr));
        writes();
    }
};

TEST_F(Profile, LoadTakesTheProfileKeysOverTheDefaultsAndTheProfileInEffect)
{
    set("S210", 5);  // profile 1's chart orientation
    set("S310", 6);
    set("S227", 3);  // profile 1's fish-ID sensitivity
    set("SUPC", 1);
    set("SUPS", 1);
    loadBoth();
    // Restoring the profile in effect writes what it holds over the defaults.
    EXPECT_TRUE(H_PROFILE_bRestoreChartMenuSetting());
    EXPECT_TRUE(H_PROFILE_bRestoreSonarMenuSetting());
    EXPECT_EQ(writes(), (std::vector<std::string>{"SCOR", "YSFS"}));
    EXPECT_EQ(get("SCOR"), 5u);
    EXPECT_EQ(get("YSFS"), 3u);

    // Without a valid selector, profile 0 is in effect.
    for (U32 selector : {0xFFFFFFFFu, 3u}) {
        if (selector == 3)
            set("SUPC", 3);
        else
            H_DATABASE_vDeleteEntry(fc("SUPC"));
        set("S110", 9);
        set("SCOR", 0);
        ASSERT_TRUE(H_PROFILE_bLoadChartProfile(nullptr));
        writes();
        H_PROFILE_bRestoreChartMenuSetting();
        EXPECT_EQ(writes(), (std::vector<std::string>{"SCOR"})) << selector;
        EXPECT_EQ(get("SCOR"), 9u);
    }
}

TEST_F(Profile, SwitchingWritesOnlyWhatDiffersAndAlwaysFollowsTheLayerMask)
{
    set("S105", 1);
    set("S205", 2);
    set("S210", 4);
    set("S209", 0x0F);
    loadBoth();

    EXPECT_TRUE(H_PROFILE_bUpdateChartMenuSetting(0));
    EXPECT_EQ(writes(), std::vector<std::string>{}) << "the profile already in effect";
    EXPECT_EQ(g_layerCalls, 1);
    EXPECT_EQ(g_layerForce, std::vector<BOOLEAN>{FALSE});

    EXPECT_TRUE(H_PROFILE_bUpdateChartMenuSetting(1));
    EXPECT_EQ(writes(), (std::vector<std::string>{"SCTC", "SLAY", "SCOR"}));
    EXPECT_EQ(get("SCTC"), 2u);
    EXPECT_EQ(get("SLAY"), 0x0Fu);
    EXPECT_EQ(g_layerCalls, 2);

    EXPECT_FALSE(H_PROFILE_bUpdateChartMenuSetting(3));
    EXPECT_FALSE(H_PROFILE_bUpdateSonarMenuSetting(3));
    EXPECT_EQ(writes(), std::vector<std::string>{});
    EXPECT_EQ(g_layerCalls, 2);

    // After a reset every profile is the default: restoring writes nothing.
    EXPECT_TRUE(H_PROFILE_bResetChartMenuSetting());
    EXPECT_TRUE(H_PROFILE_bResetSonarMenuSetting());
    EXPECT_TRUE(H_PROFILE_bRestoreChartMenuSetting());
    EXPECT_TRUE(H_PROFILE_bRestoreSonarMenuSetting());
    EXPECT_EQ(writes(), std::vector<std::string>{});
}

TEST_F(Profile, ARecordedSettingGoesToThePlaceOfItsOwnKey)
{
    set("S349", 7); // a stray value where a second SSSC would be kept
    loadBoth();
    struct Chart {
        MENU_PRIORITY item;
        const char* profileKey;
    };
    for (const Chart& c : {Chart{MENU_CHART_ORIENTATION, "S110"}, Chart{MENU_OFFSET_SPEED, "S120"},
                           Chart{MENU_WAYPOINT_DECLUTTERING, "S101"}}) {
        EXPECT_TRUE(H_PROFILE_bSaveChartMenuSetting(c.item, db(0x100)));
        H_PROFILE_bSaveChartProfile(nullptr);
        EXPECT_EQ(get(c.profileKey), 0x100u) << c.profileKey;
    }
    EXPECT_FALSE(H_PROFILE_bSaveChartMenuSetting(MENU_FISH_ID, db(1))) << "a sonar item";

    // The layer mask is kept as "SLAY", not under the chart-layer default.
    EXPECT_TRUE(H_PROFILE_bSaveChartNonMenuSetting(fc("SLAY"), db(0x1234)));
    EXPECT_TRUE(H_PROFILE_bSaveChartNonMenuSetting(fc("SCOR"), db(0x99))) << "ignored";
    H_PROFILE_bSaveChartProfile(nullptr);
    EXPECT_EQ(get("S109"), 0x1234u);
    EXPECT_EQ(get("S105"), 0u);
    EXPECT_EQ(get("S110"), 0x100u);

    struct Sonar {
        MENU_PRIORITY item;
        const char* profileKey;
    };
    for (const Sonar& s : {Sonar{MENU_SONAR_TVG_SELECT, "S121"}, Sonar{MENU_SIDE_VIEW_SONAR_COLORS, "S142"},
                           Sonar{MENU_SIDESCAN_SENSITIVITY_CHART_PLUS_SI_VIEW, "S138"},
                           Sonar{MENU_WATER_TYPE, "S159"}}) {
        EXPECT_TRUE(H_PROFILE_bSaveSonarMenuSetting(s.item, db(0x200)));
        H_PROFILE_bSaveSonarProfile(nullptr);
        EXPECT_EQ(get(s.profileKey), 0x200u) << s.profileKey;
    }
    EXPECT_FALSE(H_PROFILE_bSaveSonarMenuSetting(MENU_CHART_ORIENTATION, db(1)));
    EXPECT_FALSE(written("S149")) << "the second place of SSSC holds no setting";

    // Non-menu sonar settings: by their own keys only.
    EXPECT_TRUE(H_PROFILE_bSaveSonarNonMenuSetting(fc("YSMD"), db(0x300)));
    EXPECT_TRUE(H_PROFILE_bSaveSonarNonMenuSetting(fc("SDSC"), db(0x301)));
    EXPECT_TRUE(H_PROFILE_bSaveSonarNonMenuSetting(fc("SSMD"), db(0x302))) << "not a profile key: ignored";
    EXPECT_TRUE(H_PROFILE_bSaveSonarNonMenuSetting(fc("SSWA"), db(0x303))) << "not a profile key: ignored";
    H_PROFILE_bSaveSonarProfile(nullptr);
    EXPECT_EQ(get("S158"), 0x300u);
    EXPECT_EQ(get("S147"), 0x301u);
    EXPECT_EQ(get("S159"), 0x200u);

    // Switching away and back writes each recorded setting to its own key,
    // and nothing writes SSSC a second time.
    writes();
    H_PROFILE_bUpdateChartMenuSetting(2);
    H_PROFILE_bUpdateChartMenuSetting(0);
    H_PROFILE_bUpdateSonarMenuSetting(2);
    H_PROFILE_bUpdateSonarMenuSetting(0);
    std::vector<std::string> w = writes();
    EXPECT_EQ(std::count(w.begin(), w.end(), "SSSC"), 2) << "once away, once back";
    EXPECT_EQ(get("SLAY"), 0x1234u);
    EXPECT_EQ(get("SCTC"), 0u);
    EXPECT_EQ(get("SSSC"), 0x200u);
    EXPECT_EQ(get("YSMD"), 0x300u);
    EXPECT_EQ(get("YSWA"), 0x200u);
    EXPECT_EQ(get("SDSC"), 0x301u);
}

} // namespace

namespace {

// The menu task records settings while another task saves and switches
// profiles (the shutdown path does): each profile key then holds its
// default or a recorded value, and the switches and records never meet
// half done (ThreadSanitizer checks the lock).
TEST_F(Profile, RecordingWhileAnotherTaskSavesAndSwitchesKeepsEveryProfileWhole)
{
    loadBoth();
    std::thread menu([] {
        for (U32 i = 1; i <= 300; ++i)
            H_PROFILE_bSaveChartMenuSetting(MENU_LAT_LON_GRID, db(i));
    });
    for (U32 i = 0; i < 30; ++i) {
        EXPECT_TRUE(H_PROFILE_bUpdateChartMenuSetting(i % PROFILE_COUNT));
        EXPECT_TRUE(H_PROFILE_bSaveChartProfile(nullptr));
        writes();
    }
    menu.join();
    EXPECT_TRUE(H_PROFILE_bSaveChartProfile(nullptr));
    for (const char* key : {"S103", "S203", "S303"})
        EXPECT_LE(get(key), 300u) << key; // "SCLG" of each profile
    writes();
}

} // namespace
