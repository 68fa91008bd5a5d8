// The walker rules that decide which rows end registered, and the
// registration functions' own rules: which panes an item skips, the range
// family's limits and depth, the super-user items, the dual-beam view's
// transducer check, the 360 menus with the bow-mounted variant, the
// "PPIZ" reset and the jigging item's single registration.
#include "sonar/dsp/s_mss.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/dsp/s_transducer_common.h"
#include "sonar/dsp/s_transducer_menus.h"
#include "sonar/tests/transducer_mail_log.h"

#include <map>
#include <regex>

namespace sonar_test {
namespace {

// What a sequence of mails leaves registered: the last mail for a view
// pane, a menu item in its place, or a tab decides.
std::map<std::string, bool> netState(const std::vector<std::string>& lines)
{
    static const std::regex view(R"(^view ([+-])layer (\S+))");
    static const std::regex item(R"(^menu ([+-])item ((?:tab|sub) "[^"]*"|hot \S+) ("[^"]*"))");
    static const std::regex tab(R"(^menu ([+-])tab ("[^"]*"))");
    std::map<std::string, bool> state;
    std::smatch m;
    for (const std::string& l : lines) {
        if (std::regex_search(l, m, view))
            state["view " + m[2].str()] = m[1] == "+";
        else if (std::regex_search(l, m, item))
            state[m[2].str() + " " + m[3].str()] = m[1] == "+";
        else if (std::regex_search(l, m, tab))
            state["tab " + m[2].str()] = m[1] == "+";
    }
    return state;
}

std::vector<std::string> registered(const std::map<std::string, bool>& state)
{
    std::vector<std::string> out;
    for (const auto& [k, on] : state)
        if (on)
            out.push_back(k);
    return out;
}

class Registrations : public ::testing::Test {
protected:
    void SetUp() override
    {
        publishViewAndMenuTasks();
        forgetHistoryKeys();
        U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_INIT, SONAR_SOURCE_360);
        setFlankviewClient(FALSE);
        S_TRANSDUCER_vEnable(FALSE);
        vMenuJigging(0, 0);
        vMenuSuperUserExtras(FALSE);
        forget(FCID("YJIG"));
        drainLines();
    }
    void TearDown() override { U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_INIT, SONAR_SOURCE_360); }

    template <typename F>
    static std::vector<std::string> mailsOf(F&& f)
    {
        f();
        return drainLines();
    }
};

// ---- The walkers ----

TEST_F(Registrations, SecondEnableKeepsTheConnectionItemsButStillRemovesEverything)
{
    setU32(FCID("YST1"), 1);
    const auto first = mailsOf([] { S_TRANSDUCER_vEnable(TRUE); });
    EXPECT_EQ(linesWith(first, {"menu +tab \"Sonar\""}).size(), 1u);
    EXPECT_EQ(linesWith(first, {"+item", "\"Connected Transducer\""}).size(), 1u);
    EXPECT_EQ(linesWith(first, {"+hot_menu"}).size(), 22u);

    S_TRANSDUCER_v2DEnable(1);
    EXPECT_EQ(S_TRANSDUCER_u8CurrentTransducer(0), 1);
    drainLines();
    const auto second = mailsOf([] { S_TRANSDUCER_vEnable(TRUE); });
    EXPECT_TRUE(linesWith(second, {"+tab"}).empty());
    EXPECT_TRUE(linesWith(second, {"Connected Transducer"}).empty());
    EXPECT_TRUE(linesWith(second, {"Imaging Frequency"}).empty());
    EXPECT_TRUE(linesWith(second, {"+hot_menu"}).empty());
    // The removal sweep is the same as the first one's.
    const std::vector<std::string> sweep(first.end() - (long)second.size(), first.end());
    EXPECT_EQ(second, sweep);
    EXPECT_EQ(S_TRANSDUCER_u8CurrentTransducer(0), 1) << "a TRUE enable keeps the current transducers";

    // FALSE removes the tab and forgets the transducers, so the next TRUE
    // registers afresh.
    const auto off = mailsOf([] { S_TRANSDUCER_vEnable(FALSE); });
    EXPECT_EQ(off.front(), "menu -tab \"Sonar\"");
    EXPECT_EQ(S_TRANSDUCER_u8CurrentTransducer(0), 0);
    EXPECT_EQ(linesWith(mailsOf([] { S_TRANSDUCER_vEnable(TRUE); }), {"menu +tab \"Sonar\""}).size(), 1u);
}

TEST_F(Registrations, ImagingFrequencyOfTheFirstEnable)
{
    constexpr U32 UNSET = 0xFFFFFFFF;
    const struct {
        U32 yst2, yst3;       // UNSET: never written
        const char* expected; // the item's choices, or null: removed
    } cases[] = {
        {0, 9, nullptr},                                   // side-looking 455 kHz only
        {UNSET, UNSET, "[\"455 kHz\", \"800 kHz\"] values=[SSF4, SSF5]"}, // 15 by default
        {0, UNSET, "[\"455 kHz\", \"800 kHz\"] values=[SSF4, SSF5]"},
        {17, 5, "[\"455 kHz\", \"800 kHz\"] values=[SSF4, SSF5]"},        // down-looking first
        {0, 5, "[\"455 kHz\", \"262kHz\"] values=[SSF4, SSF3]"},
        {UNSET, 10, "[\"455 kHz\", \"800 kHz\"] values=[SSF4, SSF5]"},
        {0, 0, nullptr},
        {0, 16, nullptr},
        {0, 77, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.yst2) + "/" + std::to_string(c.yst3));
        S_TRANSDUCER_vEnable(FALSE);
        c.yst2 == UNSET ? forget(FCID("YST2")) : setU32(FCID("YST2"), c.yst2);
        c.yst3 == UNSET ? forget(FCID("YST3")) : setU32(FCID("YST3"), c.yst3);
        drainLines();
        const auto lines = mailsOf([] { S_TRANSDUCER_vEnable(TRUE); });
        const auto added = linesWith(lines, {"+item tab \"Sonar\" \"Imaging Frequency\""});
        const auto removed = linesWith(lines, {"-item tab \"Sonar\" \"Imaging Frequency\""});
        if (c.expected == nullptr) {
            EXPECT_TRUE(added.empty());
            EXPECT_EQ(removed.size(), 1u);
        } else {
            ASSERT_EQ(added.size(), 1u);
            EXPECT_TRUE(removed.empty());
            EXPECT_TRUE(contains(added[0], "key=YSSF choices=" + std::string(c.expected))) << added[0];
            EXPECT_TRUE(contains(added[0], "prio=279 level=1")) << added[0];
        }
    }
}

TEST_F(Registrations, DownLookingImagingTakesTheSideLookingRowsAway)
{
    setU32(FCID("YST2"), 15);
    setU32(FCID("YST3"), 10);
    auto lines = mailsOf([] { S_TRANSDUCER_vImagingEnable(10); });
    const auto after10 = netState(lines);
    ASSERT_TRUE(after10.at("view 47/full"));
    ASSERT_TRUE(after10.at("hot 47/full \"FV Side\""));
    for (const std::string& l : mailsOf([] { S_TRANSDUCER_vImagingEnable(15); }))
        lines.push_back(l);
    const auto state = netState(lines);
    // Rows of side-looking transducers only.
    for (const char* k : {"view 47/full", "view 212/full", "view 40/left", "view 40/right", "view 221/full",
                          "hot 47/full \"FV Side\"", "hot 38/left \"FV Range\"", "tab \"Sonar\" \"FV Range Lines\""})
        EXPECT_FALSE(state.at(k)) << k;
    // Rows transducer 15 has as well (its settings include the side panes' colours).
    for (const char* k : {"view 39/full", "view 220/full", "hot 47/full \"FV Sensitivity\"",
                          "hot 39/full \"KV Enhance\"", "hot 33/left \"KV Colors\"", "hot 52/right \"FV Colors\"",
                          "tab \"Sonar\" \"455kHz Sensitivity\""})
        EXPECT_TRUE(state.at(k)) << k;
    EXPECT_EQ(S_TRANSDUCER_u8CurrentTransducer(1), 15);

    // A side-looking call after it brings the rows back.
    for (const std::string& l : mailsOf([] { S_TRANSDUCER_vImagingEnable(10); }))
        lines.push_back(l);
    EXPECT_TRUE(netState(lines).at("hot 47/full \"FV Side\""));
}

TEST_F(Registrations, Disconnected360LeavesEveryRowOfItsOwnRemoved)
{
    setU32(FCID("YST3"), 16);
    U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_DISCONNECTED, SONAR_SOURCE_360);
    const auto lines = mailsOf([] { S_TRANSDUCER_vImagingEnable(16); });
    EXPECT_FALSE(linesWith(lines, {"+layer"}).empty()) << "each row registers before it is taken away";
    EXPECT_EQ(registered(netState(lines)), std::vector<std::string>{});
    EXPECT_EQ(S_TRANSDUCER_u8CurrentTransducer(1), 16);

    U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_LOCAL, SONAR_SOURCE_360);
    const auto connected = netState(mailsOf([] { S_TRANSDUCER_vImagingEnable(16); }));
    EXPECT_TRUE(connected.at("view 47/full"));
    EXPECT_TRUE(connected.at("hot 47/full \"FV Range\""));
}

TEST_F(Registrations, CompositeRowsNeedEveryElementOfTheirRow)
{
    // 15 with the 2D element only: the six rows for every transducer and
    // none of 15's own, which need 2D and down-looking imaging.
    setBoolean(FCID("SMSU"), TRUE);
    auto lines = mailsOf([] { S_TRANSDUCER_vCompositeEnable(15, 0x1); });
    EXPECT_TRUE(linesWith(lines, {"view"}).empty());
    EXPECT_TRUE(linesWith(lines, {"Digital Depth Source"}).empty());
    for (const char* name : {"\"Sensitivity\"", "\"Chart Speed\"", "\"Depth Lines\"", "\"Water Type\"",
                             "\"Temperature Graph\"", "\"Transmit Power\""})
        EXPECT_FALSE(linesWith(lines, {"+item", name}).empty()) << name;

    lines = mailsOf([] { S_TRANSDUCER_vCompositeEnable(15, 0x3); });
    EXPECT_EQ(linesWith(lines, {"view +layer 41/"}).size(), 2u);
    EXPECT_EQ(linesWith(lines, {"+item", "Digital Depth Source"}).size(), 1u);
}

TEST_F(Registrations, The360TransducersSideImageDecidesItsCombinedViews)
{
    const struct {
        NETWORK_CLIENT_STATE state;
        U32 yst3;
        bool combinedViews; // the views of rows 3, 12 and 20 (layers 42, 41, 52)
    } cases[] = {
        {NETWORK_CLIENT_STATE_INIT, 5, true},
        {NETWORK_CLIENT_STATE_INIT, 16, false},
        {NETWORK_CLIENT_STATE_LOCAL, 9, true},
        {NETWORK_CLIENT_STATE_LOCAL, 16, false},
        {NETWORK_CLIENT_STATE_DISCONNECTED, 16, false},
        {NETWORK_CLIENT_STATE_DISCONNECTED, 10, true}, // their rows keep the side-looking bit
        {(NETWORK_CLIENT_STATE)3, 16, true},           // any other state changes nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.state) + "/" + std::to_string(c.yst3));
        U_PING_vSetNetworkClientState(c.state, SONAR_SOURCE_360);
        setU32(FCID("YST3"), c.yst3);
        const auto state = netState(mailsOf([] { S_TRANSDUCER_vCompositeEnable(16, 0xD); }));
        for (const char* k : {"view 42/right", "view 42/left", "view 41/left", "view 52/right", "view 217/full"})
            EXPECT_EQ(state.at(k), c.combinedViews) << k;
        EXPECT_TRUE(state.at("hot 49/full \"Sensitivity\""));
    }
}

TEST_F(Registrations, The360ComboViewNeedsThe2DAnd360Elements)
{
    EXPECT_TRUE(mailsOf([] { S_TRANSDUCER_vComposite360Enable(16, 0xC); }).empty());
    EXPECT_TRUE(mailsOf([] { S_TRANSDUCER_vComposite360Enable(0, 0x9); }).empty());
    EXPECT_EQ(mailsOf([] { S_TRANSDUCER_vComposite360Enable(16, 0x9); }),
              (std::vector<std::string>{
                  "view +layer 57/right used_by=0 draw=T_N_HISTORY_vDrawPPIDisplay key=SVP2 split_key=SZP2 shown=1 "
                  "user=0x0 captions=\"Playback\"/\"Simulation\"/\"Optional Accessory Required to Support This View\"",
                  "view +layer 57/left used_by=0 draw=T_N_HISTORY_vDrawSonarSplit key=SVP2 split_key=SZP2 shown=1 "
                  "user=0x0 captions=\"Playback\"/\"Simulation\"/\"Simulation\"",
                  "view +layer 226/full used_by=57 draw=T_INFO_vDrawInfoLayer_Instrumentation_SonarView key=- "
                  "split_key=- shown=1 user=0x0 captions=-/-/-"}));
    EXPECT_EQ(mailsOf([] { vViewPPIDisplay2DCombo(FALSE); }),
              (std::vector<std::string>{"view -layer 226/full", "view -layer 57/left", "view -layer 57/right"}));
}

TEST_F(Registrations, WalkersWithoutATransducerOnlySetTheCurrentOne)
{
    S_TRANSDUCER_v2DEnable(4);
    S_TRANSDUCER_vImagingEnable(15);
    drainLines();
    EXPECT_TRUE(mailsOf([] { S_TRANSDUCER_v2DEnable(0); }).empty());
    EXPECT_TRUE(mailsOf([] { S_TRANSDUCER_vImagingEnable(0); }).empty());
    EXPECT_TRUE(mailsOf([] { S_TRANSDUCER_vGyreviewEnable(0); }).empty());
    EXPECT_EQ(S_TRANSDUCER_u8CurrentTransducer(0), 0);
    EXPECT_EQ(S_TRANSDUCER_u8CurrentTransducer(1), 0);
    // An id without rows of its own gets the rows for every transducer.
    const auto lines = mailsOf([] { S_TRANSDUCER_v2DEnable(99); });
    EXPECT_EQ(netState(lines).count("view 49/full"), 1u);
    EXPECT_TRUE(linesWith(lines, {"Beam Select"}).empty());
    EXPECT_EQ(S_TRANSDUCER_u8CurrentTransducer(0), 99);
}

// ---- Hot items and the range family ----

TEST_F(Registrations, ChartSpeedIsNeverOnTheFlasher)
{
    const auto lines = mailsOf([] { vMenuChartSpeed(TRUE); });
    EXPECT_EQ(lines.size(), 21u); // 11 2D panes, 5 side panes, 5 Keelview panes
    EXPECT_TRUE(linesWith(lines, {"hot 55/"}).empty());
    const auto removal = mailsOf([] { vMenuChartSpeed(FALSE); });
    EXPECT_EQ(removal.size(), 21u);
    EXPECT_TRUE(linesWith(removal, {"hot 55/"}).empty());
}

TEST_F(Registrations, TheZoomViewHasALowerRangeButNoUpperRange)
{
    const auto lines = mailsOf([] {
        vMenuUpperRange1500ft(TRUE);
        vMenuLowerRange1500ft(TRUE);
    });
    EXPECT_TRUE(linesWith(lines, {"hot 50/full \"Upper Range\""}).empty());
    EXPECT_EQ(linesWith(lines, {"hot 50/full \"Lower Range\""}).size(), 1u);
    EXPECT_EQ(linesWith(lines, {"\"Upper Range\" prio=43 level=2"}).size(), 16u);
    EXPECT_EQ(linesWith(lines, {"\"Lower Range\" prio=44 level=1"}).size(), 17u);
    const auto removal = mailsOf([] { vMenuUpperRange1500ft(FALSE); });
    EXPECT_EQ(removal.size(), 16u);
    EXPECT_TRUE(linesWith(removal, {"hot 50/"}).empty());
}

TEST_F(Registrations, RangeFamilyLimitsAndDepth)
{
    const struct {
        TRANSDUCER_ENABLE_FUNC* fn;
        const char* limits;
        float metres; // the maximum depth range it sets, or 0 for an upper member
    } cases[] = {
        {vMenuUpperRange240ft, "[ft 0..230/1, m 0..72/1, fa 0..38/1, none 1..10/1]", 0},
        {vMenuUpperRange1500ft, "[ft 0..1490/1, m 0..497/1, fa 0..248/1, none 1..10/1]", 0},
        {vMenuUpperRange3280ft, "[ft 0..3270/1, m 0..997/1, fa 0..543/1, none 1..10/1]", 0},
        {vMenuLowerRange240ft, "[ft 1..240/1, m 0..75/1, fa 0..40/1, none 1..10/1]", 75.0f},
        {vMenuLowerRange1000ft, "[ft 1..1000/1, m 0..330/1, fa 0..170/1, none 1..10/1]", 330.0f},
        {vMenuLowerRange1500ft, "[ft 1..1500/1, m 0..500/1, fa 0..250/1, none 1..10/1]", 500.0f},
        {vMenuLowerRange3280ft, "[ft 1..3280/1, m 0..1000/1, fa 0..545/1, none 1..10/1]", 1000.0f},
    };
    const std::string steps = " levels=[ft 50/150, m 15/45, fa 10/25, none 15/45]";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limits);
        S_TRANSDUCER_vSetMaximumDepthRangeMetres(123.0f);
        const auto lines = mailsOf([&] { c.fn(TRUE); });
        EXPECT_EQ(linesWith(lines, {std::string("limits=") + c.limits + steps}).size(), lines.size());
        if (c.metres == 0) {
            EXPECT_FLOAT_EQ(S_TRANSDUCER_fMaximumDepthRangeMetres(), 123.0f);
            continue;
        }
        EXPECT_FLOAT_EQ(S_TRANSDUCER_fMaximumDepthRangeMetres(), c.metres);
        EXPECT_EQ(
            linesWith(lines, {"tab \"Sonar\" \"Max Depth\" prio=305 level=2", "key=YSMD", "left=\"Auto\""}).size(),
            1u);
        const auto removal = mailsOf([&] { c.fn(FALSE); });
        EXPECT_FLOAT_EQ(S_TRANSDUCER_fMaximumDepthRangeMetres(), 100.0f);
        EXPECT_EQ(removal.front(), "menu -item tab \"Sonar\" \"Max Depth\"");
        EXPECT_EQ(removal.size(), 18u);
    }
}

// ---- Main-menu items ----

TEST_F(Registrations, SuperUserItemsFollowTheSettingAtRegistration)
{
    // Off or unreadable: nothing registers.
    EXPECT_TRUE(mailsOf([] { vMenuSuperUserExtras(TRUE); }).empty());
    setBoolean(FCID("SMSU"), FALSE);
    EXPECT_TRUE(mailsOf([] { vMenuSuperUserExtras(TRUE); }).empty());
    EXPECT_TRUE(mailsOf([] { vMenuSuperUserExtras(FALSE); }).empty()) << "nothing to remove";

    setBoolean(FCID("SMSU"), TRUE);
    const auto lines = mailsOf([] { vMenuSuperUserExtras(TRUE); });
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_TRUE(contains(lines[0], "\"Transmit Power\" prio=308 level=2"));
    EXPECT_TRUE(contains(lines[1], "\"Transmit Cycles\" prio=311 level=2 icon=- slider key=SSTC limits=[none 0..80/1] "
                                   "left=\"Auto\""));
    EXPECT_TRUE(contains(lines[2], "\"WhiteLine Level\" prio=307 level=2 icon=- progress_bar key=SSWF "
                                   "limits=[none 1..256/1]"));
    for (size_t i = 3; i < 7; ++i)
        EXPECT_TRUE(contains(lines[i], "Cutoff") && contains(lines[i], "limits=[none 1..255/1]")) << lines[i];
    for (size_t i = 7; i < 10; ++i)
        EXPECT_TRUE(contains(lines[i], "values=[0, 1, 3, 2]")) << lines[i];

    // Switched off later: the removal still takes them away, once.
    setBoolean(FCID("SMSU"), FALSE);
    const auto removal = mailsOf([] { vMenuSuperUserExtras(FALSE); });
    EXPECT_EQ(removal.size(), 10u);
    auto all = lines;
    all.insert(all.end(), removal.begin(), removal.end());
    EXPECT_EQ(registered(netState(all)), std::vector<std::string>{});
    EXPECT_TRUE(mailsOf([] { vMenuSuperUserExtras(FALSE); }).empty());
}

TEST_F(Registrations, FrequencyAdjustmentOnlyWithSuperUserMenus)
{
    EXPECT_TRUE(mailsOf([] {
                    vMenuLFFrequency(TRUE);
                    vMenu200kHzFrequency(TRUE);
                    vMenuLFFrequency(FALSE);
                }).empty());
    setBoolean(FCID("SMSU"), TRUE);
    const auto lines = mailsOf([] {
        vMenuLFFrequency(TRUE);
        vMenu200kHzFrequency(TRUE);
        vMenu200kHzFrequency(FALSE);
    });
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(contains(lines[0], "\"/LF Adj\" prio=285 level=1 icon=- slider key=CSFL limits=[none 10..200/1]"));
    EXPECT_TRUE(contains(lines[1], "\"/200kHz Adj\" prio=284 level=1 icon=- slider key=CSF2 limits=[none 50..400/1]"));
    EXPECT_EQ(lines[2], "menu -item tab \"Sonar\" \"/200kHz Adj\"");
}

TEST_F(Registrations, DualBeamViewNeedsALowFrequencyOr455kHz2DBeam)
{
    constexpr U32 UNSET = 0xFFFFFFFF;
    const struct {
        U32 yst1;
        bool registers;
    } cases[] = {{7, false}, {UNSET, false}, {0, false}, {19, false}, {255, false},   {1, true},
                 {4, true},  {15, true},     {6, true}, {16, false}, {0x10001, false}};
    for (const auto& c : cases) {
        c.yst1 == UNSET ? forget(FCID("YST1")) : setU32(FCID("YST1"), c.yst1);
        const auto lines = mailsOf([] { vViewDualBeamScreen(TRUE); });
        EXPECT_EQ(!lines.empty(), c.registers) << c.yst1;
        // The removal does not look.
        EXPECT_EQ(mailsOf([] { vViewDualBeamScreen(FALSE); }),
                  (std::vector<std::string>{"view -layer 218/full", "view -layer 51/full"}))
            << c.yst1;
    }
}

TEST_F(Registrations, BeamSelectChoicesOfTheDownLookingTransducers)
{
    const struct {
        U32 yst1;
        const char* choices;
    } cases[] = {
        {17, "choices=[\"200 kHz\", \"83 kHz\"] values=[1, 0]"},
        {18, "choices=[\"200 kHz\", \"50 kHz\"] values=[1, 0]"},
        {15, "choices=[\"200 kHz\", \"455 kHz\"] values=[1, 2]"},
        {0, "choices=[\"200 kHz\", \"455 kHz\"] values=[1, 2]"},
    };
    for (const auto& c : cases) {
        setU32(FCID("YST1"), c.yst1);
        const auto lines = mailsOf([] { vMenuBeam200kHzSelect(TRUE); });
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_TRUE(contains(lines[0], "\"Beam Select\" prio=276 level=1 icon=- selector key=YSSV " +
                                           std::string(c.choices)))
            << lines[0];
    }
    // The low-frequency beam is written, never cleared.
    vSetLFBeam50kHz(TRUE);
    vSetLFBeam83kHz(FALSE);
    EXPECT_EQ(S_TRANSDUCER_u32LFBeamFrequencyHertz(), 50000u);
    vSetLFBeam83kHz(TRUE);
    EXPECT_EQ(S_TRANSDUCER_u32LFBeamFrequencyHertz(), 83000u);
    EXPECT_TRUE(drainLines().empty());
}

TEST_F(Registrations, ItemsRemovedFromTheTabTheyWentTo)
{
    const auto lines = mailsOf([] {
        vMenuDepthAlarm(TRUE);
        vMenuFishAlarm(TRUE);
        vMenuDepthOffset(TRUE);
        vMenuDepthAlarm(FALSE);
        vMenuFishAlarm(FALSE);
        vMenuDepthOffset(FALSE);
    });
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_TRUE(contains(lines[0], "+item tab \"Alarms\" \"Depth Alarm\" prio=525 level=1 icon=- slider key=YSDA "
                                   "limits=[ft 0..100/1, m 0..30/0.5, fa 0..50/0.1, none 1..10/1] left=\"Off\""));
    EXPECT_TRUE(contains(lines[1], "+item tab \"Alarms\" \"Fish ID Alarm\" prio=528 level=1 icon=- selector key=YSFA "
                                   "choices=[Off_icon, LRMSfish_icon, LRMfish_icon, LRfish_icon] values=[0, 1, 2, 3]"));
    EXPECT_TRUE(contains(lines[2], "+item tab \"Setup\" \"Depth Offset\" prio=153 level=2"));
    EXPECT_EQ(lines[3], "menu -item tab \"Alarms\" \"Depth Alarm\"");
    EXPECT_EQ(lines[4], "menu -item tab \"Alarms\" \"Fish ID Alarm\"");
    EXPECT_EQ(lines[5], "menu -item tab \"Setup\" \"Depth Offset\"");
}

// ---- Imaging settings ----

TEST_F(Registrations, ImagingSettingsWithoutSuperUserMenusLeaveTheSideViewTabAlone)
{
    for (U32 id : {5u, 9u, 10u, 15u}) {
        const auto lines = mailsOf([&] {
            vMenuSideScanSettingsAll(TRUE, id);
            vMenuSideScanSettingsAll(FALSE, id);
        });
        EXPECT_TRUE(linesWith(lines, {"Side View"}).empty()) << id;
        EXPECT_EQ(lines.size(), 2u * (5 + 5 + 5)) << id; // side, Keelview and main colour items
    }
}

TEST_F(Registrations, SuperUserImagingItemsGoToTheSideViewTab)
{
    setBoolean(FCID("SMSU"), TRUE);
    const struct {
        U32 id;
        std::vector<std::string> added, removed;
    } cases[] = {
        {10, {"TVG Adjust", "/800kHz Adj", "/462kHz Adj"}, {"/800kHz Adj", "/262kHz Adj", "/462kHz Adj", "TVG Adjust"}},
        {17, {"TVG Adjust", "/800kHz Adj", "/462kHz Adj"}, {"/262kHz Adj", "/462kHz Adj", "TVG Adjust"}},
        {9, {"TVG Adjust", "/462kHz Adj"}, {"/462kHz Adj", "TVG Adjust"}},
        {5, {"TVG Adjust", "/462kHz Adj", "/262kHz Adj"}, {"/262kHz Adj", "/462kHz Adj", "TVG Adjust"}},
        {2, {"TVG Adjust"}, {"/262kHz Adj", "/462kHz Adj", "TVG Adjust"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        static const std::regex sideView(R"re(^menu ([+-])(?:item tab "Side View" "([^"]*)"|tab "Side View"))re");
        std::vector<std::string> added, removed;
        std::smatch m;
        for (const std::string& l : mailsOf([&] { vMenuSideScanSettingsAll(TRUE, c.id); }))
            if (std::regex_search(l, m, sideView))
                added.push_back(m[2].str());
        for (const std::string& l : mailsOf([&] { vMenuSideScanSettingsAll(FALSE, c.id); }))
            if (std::regex_search(l, m, sideView))
                removed.push_back(m[2].matched ? m[2].str() : "tab");
        EXPECT_EQ(added, c.added);
        auto expectedRemoved = c.removed;
        expectedRemoved.push_back("tab");
        EXPECT_EQ(removed, expectedRemoved);
    }
}

TEST_F(Registrations, SideImageRangeOfThe360TransducerHasNoAutoCaption)
{
    for (U32 yst3 : {16u, 10u}) {
        setU32(FCID("YST3"), yst3);
        const auto lines = mailsOf([] { vMenuSideScanRange(TRUE); });
        ASSERT_EQ(lines.size(), 5u);
        EXPECT_EQ(linesWith(lines, {"left=\"Auto\""}).size(), yst3 == 16 ? 0u : 5u);
        EXPECT_EQ(linesWith(lines, {"limits=[ft 6..360/1, m 2..120/1, fa 1..60/1, none 0..10/1]"}).size(), 5u);
    }
}

TEST_F(Registrations, KeelviewSettingsFollowTheDownLookingTransducer)
{
    setBoolean(FCID("SMSU"), TRUE);
    for (U32 yst2 : {17u, 18u, 15u, 9u}) {
        setU32(FCID("YST2"), yst2);
        const auto lines = mailsOf([] { vMenuKVSettings(TRUE); });
        EXPECT_EQ(linesWith(lines, {"/800kHz Adj"}).size(), 1u) << yst2; // 9 counts as 15
    }
}

TEST_F(Registrations, DigitalDepthSourceCrossCheck)
{
    EXPECT_EQ(mailsOf([] { S_TRANSDUCER_vCrossCheckDigitalDepthSource(0); }).size(), 1u);
    EXPECT_TRUE(mailsOf([] { S_TRANSDUCER_vCrossCheckDigitalDepthSource(1); }).empty());
}

TEST_F(Registrations, JiggingRegistersOnceAndRemovesOnce)
{
    setBoolean(FCID("YJIG"), TRUE);
    // Before any registration nothing happens, and "YJIG" stays.
    EXPECT_TRUE(mailsOf([] { vMenuJigging(1, 0); }).empty());
    BOOLEAN bJig = FALSE;
    ASSERT_TRUE(H_DATABASE_bFetchBoolean(FCID("YJIG"), &bJig, nullptr, nullptr));
    EXPECT_TRUE(bJig);

    const auto first = mailsOf([] { vMenuJigging(9, 5); });
    ASSERT_EQ(first.size(), 12u);
    EXPECT_TRUE(
        contains(first[0], "hot 51/full \"Jigging Mode\" prio=83 level=1 icon=Bottomlock_icon selector key=YJIG"));
    EXPECT_TRUE(mailsOf([] { vMenuJigging(9, 5); }).empty());
    EXPECT_TRUE(mailsOf([] { vMenuJigging(2, 16); }).empty());

    const auto removal = mailsOf([] { vMenuJigging(1, 0); });
    EXPECT_EQ(removal.size(), 12u);
    ASSERT_TRUE(H_DATABASE_bFetchBoolean(FCID("YJIG"), &bJig, nullptr, nullptr));
    EXPECT_FALSE(bJig);
    EXPECT_TRUE(mailsOf([] { vMenuJigging(1, 0); }).empty());
}

TEST_F(Registrations, JiggingStaysOnWhileSideImagingIsUsedLocallyOrByAClient)
{
    const struct {
        U32 elpm;
        BOOLEAN client;
        bool switchedOff;
    } cases[] = {{0x4, FALSE, false}, {0x5, FALSE, false}, {0x1, TRUE, false}, {0x1, FALSE, true}, {0x0, FALSE, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.elpm) + (c.client ? " with a client" : ""));
        setBoolean(FCID("YJIG"), TRUE);
        setU32(FCID("ELPM"), c.elpm);
        setFlankviewClient(c.client);
        vMenuJigging(10, 10);
        drainLines();
        const auto removal = mailsOf([] { vMenuJigging(4, 10); }); // another 2D transducer
        EXPECT_EQ(removal.size(), 12u);
        BOOLEAN bJig = FALSE;
        H_DATABASE_bFetchBoolean(FCID("YJIG"), &bJig, nullptr, nullptr);
        EXPECT_EQ(bJig == FALSE, c.switchedOff);
    }
    setFlankviewClient(FALSE);
}

// ---- The 360 sonar ----

TEST_F(Registrations, PPIPanesAndTheHalfViewWithoutEnhance)
{
    const auto lines = mailsOf([] { vMenuPPIDisplay(TRUE); });
    for (const char* pane : {"56/full", "59/full", "57/right", "58/right"}) {
        EXPECT_EQ(linesWith(lines, {std::string("menu +hot_menu ") + pane}).size(), 1u) << pane;
        EXPECT_EQ(linesWith(lines, {std::string("hot ") + pane + " \"360 Sensitivity\" prio=36"}).size(), 1u) << pane;
        EXPECT_EQ(linesWith(lines, {std::string("hot ") + pane + " \"360 Range\" prio=37", "key=YASR",
                                    "limits=[ft 6..360/1, m 2..120/1, fa 1..60/1, none 1..10/1]"})
                      .size(),
                  1u)
            << pane;
        EXPECT_EQ(linesWith(lines, {std::string("hot ") + pane + " \"360 Enhance\" prio=62"}).size(),
                  std::string(pane) == "59/full" ? 0u : 1u)
            << pane;
    }
    EXPECT_EQ(linesWith(lines, {"hot 56/full \"Display\" prio=60", "values=[1, 2, 3, 4, 5]"}).size(), 1u);
}

TEST_F(Registrations, BowMountedUnitHasNoDeployRetractDepthOrAlarm)
{
    const char* const deployItems[] = {"\"Deploy 360 Sonar\"", "\"Retract 360 Sonar\"", "\"Deploy Speed\"",
                                       "\"360 Depth\"", "\"360 Retract Alarm\""};
    for (bool bow : {false, true}) {
        SCOPED_TRACE(bow ? "bow-mounted" : "deploying");
        setBoolean(FCID("YBMT"), bow ? TRUE : FALSE);
        const auto lines = mailsOf([] {
            vMenuPPIDisplay(TRUE);
            vMenuSweepingSonarSettings(TRUE);
        });
        for (const char* item : deployItems)
            EXPECT_EQ(linesWith(lines, {"+item", item}).size(), bow ? 0u : 1u) << item;
        const auto offset = linesWith(lines, {"+item sub \"360 Sonar Settings\" \"360 Offset\" prio=345"});
        ASSERT_EQ(offset.size(), 1u);
        EXPECT_TRUE(contains(offset[0], bow ? "limits=[none -30..0/1]" : "limits=[none 0..100/1]")) << offset[0];
        EXPECT_TRUE(contains(offset[0], "suffix=\"ft\"")) << offset[0];
        EXPECT_EQ(linesWith(lines, {"+item tab \"Accessories\" \"360 Sonar Settings\" prio=340",
                                    "sub_menu choices=- opens=[\"360 Sonar Settings\"]"})
                      .size(),
                  1u);
        if (!bow) {
            EXPECT_EQ(linesWith(lines, {"+item tab \"Alarms\" \"360 Retract Alarm\" prio=531",
                                        "limits=[kph 0..12/1, mph 0..7/0.5, kn 0..6/0.2, none 1..10/1] left=\"Off\""})
                          .size(),
                      1u);
        }
    }
}

TEST_F(Registrations, BowMountedSwitchLeavesTheSubMenuAsABowMountedOneWouldBe)
{
    forget(FCID("YBMT"));
    auto lines = mailsOf([] { vMenuSweepingSonarSettings(TRUE); });
    for (const std::string& l : mailsOf([] { vMenuBowMounted360Offset(FALSE); }))
        lines.push_back(l);
    const auto state = netState(lines);
    EXPECT_FALSE(state.at("sub \"360 Sonar Settings\" \"Deploy Speed\""));
    EXPECT_FALSE(state.at("sub \"360 Sonar Settings\" \"360 Depth\""));
    EXPECT_TRUE(contains(lines.back(), "\"360 Offset\" prio=345 level=1 icon=- slider key=YMSO limits=[none -30..0/1]"))
        << lines.back();

    // Removal takes every item it names and the tab's item last.
    const auto removal = mailsOf([] { vMenuSweepingSonarSettings(FALSE); });
    EXPECT_EQ(removal.front(), "menu -item tab \"Alarms\" \"360 Retract Alarm\"");
    EXPECT_EQ(removal.back(), "menu -item tab \"Accessories\" \"360 Sonar Settings\"");
    EXPECT_EQ(linesWith(removal, {"\"360 Speed\""}).size(), 3u);
}

TEST_F(Registrations, PPIDisplayViewResetsItsSettingEachTime)
{
    for (U32 before : {7u, 5u}) {
        setU32(FCID("PPIZ"), before);
        const auto lines = mailsOf([] { vViewPPIDisplay(TRUE); });
        EXPECT_EQ(lines.size(), 2u);
        EXPECT_EQ(S_TRANSDUCER_u32ReadKey(FCID("PPIZ")), 0u);
    }
    setU32(FCID("PPIZ"), 3);
    vViewPPIDisplay(FALSE);
    EXPECT_EQ(S_TRANSDUCER_u32ReadKey(FCID("PPIZ")), 3u);
}

TEST_F(Registrations, PPIScanSensitivityOfOnePane)
{
    const auto lines = mailsOf([] {
        vMenuPPIScanGrayscaleAdjust(TRUE, (MENU_PRIORITY)40, 59, SPLIT_FULL_WINDOW);
        vMenuPPIScanGrayscaleAdjust(TRUE, (MENU_PRIORITY)40, 58, SPLIT_RIGHT_WINDOW);
        vMenuPPIScanGrayscaleAdjust(FALSE, (MENU_PRIORITY)40, 58, SPLIT_RIGHT_WINDOW);
    });
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(contains(lines[0], "hot 59/full \"360 Sensitivity\" prio=40"));
    EXPECT_TRUE(contains(lines[1], "hot 58/right \"360 Sensitivity\" prio=40"));
    EXPECT_TRUE(contains(lines[2], "hot 58/right \"360 Enhance\" prio=62"));
    EXPECT_EQ(lines[3], "menu -item hot 58/right \"360 Sensitivity\"");
    EXPECT_EQ(lines[4], "menu -item hot 58/right \"360 Enhance\"");
}

TEST_F(Registrations, NothingIsSentWhileTheTasksAreNotThere)
{
    forget(FCID("TVUE"));
    forget(FCID("TMNU"));
    setU32(FCID("YST1"), 1);
    S_TRANSDUCER_vEnable(TRUE);
    S_TRANSDUCER_v2DEnable(1);
    vMenuPPIDisplay(TRUE);
    EXPECT_TRUE(drainLines().empty());
    EXPECT_EQ(S_TRANSDUCER_u8CurrentTransducer(0), 1);
    publishViewAndMenuTasks();
}

} // namespace
} // namespace sonar_test
