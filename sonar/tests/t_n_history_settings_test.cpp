// The history task's settings: what its key registration leaves in the
// store on a first start and after a reset of the settings, what the ping
// task's defaults of the same keys leave, the range and gain rules, the
// sonar palettes and grayscale tables, the transducer keys with the view
// enabling (through a recorder of the walker calls), and the ping mode.
// The handlers run here in the test's thread, as the task runs them.
#include "graphics/color.h"
#include "kernel/l_mbox.h"
#include "kernel/l_sema.h"
#include "kernel/l_timer.h"
#include "sonar/ping/t_n_ping_state.h"
#include "sonar/tests/history_world.h"

#include <bit>
#include <chrono>
#include <cmath>
#include <set>
#include <string>
#include <thread>

namespace history_test {
namespace {

using namespace t_n_history;

constexpr U32 STATE_NORMAL = 3;
constexpr U32 STATE_SIM = 4;
constexpr SEMA SEMA_TRANSDUCER_DELAY = 201;

// A key named at run time.
FOURCHARID fc(const char* s)
{
    char a[5] = {s[0], s[1], s[2], s[3], 0};
    return FCID(a);
}

bool g_bDomestic = false;
BOOLEAN bDomestic(void) { return g_bDomestic ? TRUE : FALSE; }

void drainHistoryMailbox()
{
    while (MSGHEADER* p = L_MBOX_Receive(HISTORY_MAILBOX))
        H_MEMORY_vFree(p);
}

void drainFrames()
{
    while (L_SEMA_WaitTicks(SEMA_VIEW_UPDATE, 0) == 0) {
    }
}

void handle(const char (&key)[5], U32 value)
{
    MESSAGE_NEW_DATA m = {};
    m.Header.Cmd = CMD_ID_NEW_DATA;
    m.FourCharId = fc(key);
    m.dbValue.u32Val = value;
    m.bValid = TRUE;
    vHandleNewData(&m);
}

void handleFloat(const char (&key)[5], float value) { handle(key, std::bit_cast<U32>(value)); }

void handleFloat2(const char* key, float value)
{
    MESSAGE_NEW_DATA m = {};
    m.Header.Cmd = CMD_ID_NEW_DATA;
    m.FourCharId = fc(key);
    m.dbValue.fVal = value;
    m.bValid = TRUE;
    vHandleNewData(&m);
}

void setBoolean(const char (&key)[5], BOOLEAN b)
{
    H_DATABASE_bUpdateEverythingBoolean(fc(key), b, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

// Every test starts from an empty store in a normal state, metres, no
// transducer state and the real walkers.
class HistorySettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        worldWithWindows();
        H_DATABASE_vInit();
        H_DATABASE_vInstallDomesticModelQuery(bDomestic);
        T_N_HISTORY_vInstallDomesticModelQuery(bDomestic);
        g_bDomestic = false;
        setU32("CCST", STATE_NORMAL);
        vForgetTransducers();
        vInstallWalkers(nullptr);
        CurrentView = VIEW_SONAR;
        SonarViewInfo.unitsDepth = U_METRES;
        SonarViewInfo.fMinDepthRangeDifference = 3.0f;
        drainHistoryMailbox();
        drainFrames();
    }
    void TearDown() override
    {
        vInstallWalkers(nullptr);
        H_DATABASE_vInstallDomesticModelQuery(nullptr);
        T_N_HISTORY_vInstallDomesticModelQuery(nullptr);
        drainHistoryMailbox();
    }

    void registerKeys(BOOLEAN bReset)
    {
        vRegisterDatabaseItems(bReset);
        drainHistoryMailbox();
    }
};

// ---- Registration ----

struct DefaultRow {
    const char* key;
    U32 bits;       // the value's 32 bits
    DATA_TYPE type;
    U32 priority;   // the writer priority it stands with at a first start
};

void expectDefaults(const std::vector<DefaultRow>& rows)
{
    for (const DefaultRow& r : rows) {
        const FOURCHARID fcid = fc(r.key);
        DB_DATA_TYPE v = {};
        DB_ATTRIBUTES a = {};
        ASSERT_TRUE(H_DATABASE_bFetch(fcid, &v, nullptr, &a)) << r.key;
        EXPECT_EQ(v.u32Val, r.bits) << r.key;
        EXPECT_EQ(a.DataType, r.type) << r.key;
        // The stored writer shows in which writes still land: those of the
        // same or a stronger priority (weakest probe first).
        for (U32 probe : {(U32)P_UNOWNED, (U32)P_DEFAULT_SETTING, (U32)P_NVR}) {
            H_DATABASE_bUpdateValueU32(fcid, 0xA5A5A5A5, probe);
            U32 now = 0;
            H_DATABASE_bFetchU32(fcid, &now, nullptr, nullptr);
            const bool bLanded = now == 0xA5A5A5A5;
            EXPECT_EQ(bLanded, probe <= r.priority) << r.key << " probed at " << probe;
            if (bLanded)
                H_DATABASE_bUpdateValueU32(fcid, r.bits, probe);
        }
    }
}

U32 bitsOf(float f) { return std::bit_cast<U32>(f); }

TEST_F(HistorySettings, AFirstStartWritesTheDefaultsOfTheModel)
{
    for (bool domestic : {true, false}) {
        SCOPED_TRACE(domestic ? "domestic" : "export");
        H_DATABASE_vInit();
        setU32("CCST", STATE_NORMAL);
        g_bDomestic = domestic;
        registerKeys(FALSE);
        const U32 unit = domestic ? U_FEET : U_METRES;
        const float bottom = domestic ? 4.572f : 5.0f;
        EXPECT_NEAR(SonarViewInfo.fMinDepthRangeDifference, domestic ? 3.048f : 3.0f, 1e-4);
        EXPECT_EQ(SonarViewInfo.unitsDepth, (UNIT_TYPE)unit);
        EXPECT_NEAR(f32("SSBR"), bottom, 1e-4);
        EXPECT_NEAR(f32("SSSR"), domestic ? 39.624f : 40.0f, 1e-3);
        EXPECT_NEAR(f32("SASR"), domestic ? 36.576f : 36.0f, 1e-3);
        expectDefaults({
            {"SUDP", unit, D_UNITS, P_DEFAULT_SETTING},
            {"YUDP", unit, D_UNITS, P_DEFAULT_SETTING},
            {"SSS2", 10, D_UNKNOWN, P_DEFAULT_SETTING},
            {"SSS8", 0, D_SIGNED32, P_DEFAULT_SETTING},
            {"SSST", 256, D_SIGNED32, P_DEFAULT_SETTING},
            {"SSWF", 140, D_UNKNOWN, P_DEFAULT_SETTING},
            {"SSTO", TRUE, D_UNKNOWN, P_DEFAULT_SETTING},
            {"SSZB", 25, D_PERCENT, P_DEFAULT_SETTING},
            {"SSWV", 3, D_UNKNOWN, P_DEFAULT_SETTING},
            {"YSWA", 0, D_UNKNOWN, P_UNOWNED},
            {"CSPD", bitsOf(30.0f), D_DEPTH, P_UNOWNED},
            {"CSCH", 600, D_UNKNOWN, P_UNOWNED},
            {"CSIR", bitsOf(0.0f), D_DEPTH, P_NORMAL},
            {"SSAS", bitsOf(3.57632f), D_SPEED, P_NORMAL},
            {"SSPL", 1, D_UNKNOWN, P_DEFAULT_SETTING},
            {"SSSC", 6, D_UNKNOWN, P_DEFAULT_SETTING},
            {"SMSS", 10, D_UNKNOWN, P_DEFAULT_SETTING},
            {"SVSO", TRUE, D_UNKNOWN, P_DEFAULT_SETTING},
            {"SVSS", FALSE, D_UNKNOWN, P_DEFAULT_SETTING},
            {"YSSV", 1, D_UNKNOWN, P_DEFAULT_SETTING},
            {"SSPS", 4, D_UNKNOWN, P_DEFAULT_SETTING},
            {"SSPO", 1, D_UNKNOWN, P_DEFAULT_SETTING},
            {"MHLE", 0, D_UNSIGNED32, P_DEFAULT_SETTING},
            {"SMVW", FALSE, D_UNKNOWN, P_HIGHEST},
            {"TSMG", HISTORY_MAILBOX, D_MAILBOX, P_NORMAL},
        });
    }
}

TEST_F(HistorySettings, ADomesticModelShowsDepthsOnlyInFeetOrFathoms)
{
    for (bool domestic : {true, false}) {
        SCOPED_TRACE(domestic ? "domestic" : "export");
        H_DATABASE_vInit();
        setU32("CCST", STATE_NORMAL);
        g_bDomestic = domestic;
        H_DATABASE_bUpdateEverythingU32(FCID("YUDP"), U_METRES, P_NVR, D_UNITS, nullptr, DB_TIMEOUT_NEVER);
        registerKeys(FALSE);
        EXPECT_EQ(u32("YUDP"), domestic ? (U32)U_FEET : (U32)U_METRES);
    }
}

TEST_F(HistorySettings, TheFollowedKeysMailOnTheirConditions)
{
    registerKeys(FALSE);
    struct Case {
        const char* key;
        bool sameValueMails; // a write of the stored value
    } cases[] = {{"SSVL", true}, {"MSSC", true}, {"SARM", true}, {"SSTO", false}, {"SSS2", false}};
    for (const Case& c : cases) {
        U32 stored = 0;
        H_DATABASE_bFetchU32(fc(c.key), &stored, nullptr, nullptr);
        H_DATABASE_bUpdateValueU32(fc(c.key), stored, P_NORMAL);
        MSGHEADER* p = L_MBOX_Receive(HISTORY_MAILBOX);
        EXPECT_EQ(p != nullptr, c.sameValueMails) << c.key;
        H_MEMORY_vFree(p);
        drainHistoryMailbox();
        H_DATABASE_bUpdateValueU32(fc(c.key), stored + 1, P_NORMAL);
        p = L_MBOX_Receive(HISTORY_MAILBOX);
        EXPECT_NE(p, nullptr) << c.key << " did not mail a change";
        H_MEMORY_vFree(p);
        drainHistoryMailbox();
    }
    // Not followed: the user's copies of keys the task follows in another form.
    H_DATABASE_bUpdateValueU32(FCID("SSLD"), 99, P_NORMAL);
    EXPECT_EQ(L_MBOX_Receive(HISTORY_MAILBOX), nullptr);
}

TEST_F(HistorySettings, AResetWritesOverTheUserButKeepsThe360UnitsStepAndOffset)
{
    registerKeys(FALSE);
    // The user's values, as NVRAM would restore them.
    H_DATABASE_bUpdateValueFloat(FCID("SSAS"), 2.0f, P_NVR);
    H_DATABASE_bUpdateValueU32(FCID("SSS2"), 17, P_NVR);
    for (const char* key : {"YSPS", "SSPS"}) {
        H_DATABASE_bUpdateValueU32(fc(key), 8, P_NVR);
        MESSAGE_NEW_DATA m = {};
        m.FourCharId = fc(key);
        m.dbValue.u32Val = 8;
        vHandleNewData(&m);
    }
    H_DATABASE_bUpdateValueU32(FCID("SSPO"), 3, P_NVR);
    s_u32PPIViewOffset = 3;

    registerKeys(TRUE);
    EXPECT_NEAR(f32("SSAS"), 3.57632f, 1e-4) << "8 mph";
    EXPECT_EQ(u32("SSS2"), 10u);
    EXPECT_EQ(u32("YSPS"), 8u);
    EXPECT_EQ(u32("SSPS"), 8u);
    EXPECT_EQ(u32("SSPO"), 3u);
    s_u32PPISectorStepFactor = 4;
    s_u32PPIViewOffset = 1;
}

TEST_F(HistorySettings, KeysThePingTaskDefaultsTooKeepTheStrongerWriter)
{
    registerKeys(FALSE);
    // The ping task registers once "TSMG" exists.
    t_n_ping::vRegisterDatabaseItems(FALSE);
    EXPECT_EQ(u32("SUDP"), (U32)U_METRES) << "the history task's 14 beats the ping task's 15";
    EXPECT_FLOAT_EQ(f32("SSSR"), 10.0f) << "both write 14: the later writer stands";
    EXPECT_FLOAT_EQ(f32("SASR"), 10.0f);
    EXPECT_FLOAT_EQ(f32("CSPD"), 0.0f) << "the ping task's 2 beats the history task's 15";
}

// ---- Range and gain rules ----

TEST_F(HistorySettings, UpperAndLowerRangesKeepTheMinimumDifference)
{
    SONAR_WINDOW& w = SonarViewInfo.Window[0];
    struct Case {
        const char* what;
        float lower;     // window 0's manual lower range
        float ssud;      // stored upper range
        const char* key; // the key that changes
        float value;
        const char* out; // the key the rule writes
        float expected;
    } cases[] = {
        {"upper raised into the difference", 32.0f, 0.0f, "SSUD", 30.0f, "YSLD", 33.0f},
        {"lower set under the upper range", 0.0f, 4.0f, "YSLD", 5.0f, "SSUD", 2.0f},
        {"lower set under the difference", 0.0f, 2.0f, "YSLD", 2.0f, "SSUD", 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        w.bManualDepthRange = TRUE;
        w.fLowerDisplayedMetres = c.lower;
        setFloat("SSUD", c.ssud);
        setFloat("YSLD", c.lower);
        handleFloat2(c.key, c.value);
        float now = -1.0f;
        H_DATABASE_bFetchFloat(fc(c.out), &now, nullptr, nullptr);
        EXPECT_FLOAT_EQ(now, c.expected);
    }
}

TEST_F(HistorySettings, RelativeGainsReachBeamZeroOnlyForTheirFrequency)
{
    setU32("CSFL", 83);
    s_sBeamInfo[0].s8Gain = 0;
    handle("SSS8", 20);
    EXPECT_EQ(s_sBeamInfo[0].s8Gain, 127) << "5 x 20 + 30 = 130, clamped";
    handle("SSS8", (U32)-40);
    EXPECT_EQ(s_sBeamInfo[0].s8Gain, -128) << "5 x -40 + 30, clamped";

    setU32("CSFL", 50);
    s_sBeamInfo[0].s8Gain = 7;
    handle("SSS8", 20);
    EXPECT_EQ(s_sBeamInfo[0].s8Gain, 7) << "an 83 kHz setting on a 50 kHz transducer";
    handle("SSS5", 2);
    EXPECT_EQ(s_sBeamInfo[0].s8Gain, 40);
}

TEST_F(HistorySettings, ABadDepthUnitIsDroppedAndTheOldOneKept)
{
    handle("YUDP", U_FEET);
    EXPECT_EQ(SonarViewInfo.unitsDepth, U_FEET);
    EXPECT_NEAR(SonarViewInfo.fMinDepthRangeDifference, 3.048f, 1e-4);
    for (U32 bad : {0u, 9u, 13u, 0xFFFFFFFFu}) {
        handle("YUDP", bad);
        EXPECT_EQ(SonarViewInfo.unitsDepth, U_FEET) << bad;
        EXPECT_NEAR(SonarViewInfo.fMinDepthRangeDifference, 3.048f, 1e-4) << bad;
    }
}

TEST_F(HistorySettings, TheSideBeamViewIsAtMostBoth)
{
    handle("SSWV", 7);
    EXPECT_EQ(db_u32SideBeamView, 3u);
    handle("SSWV", 1);
    EXPECT_EQ(db_u32SideBeamView, 1u);
}

// ---- Palettes and grayscale tables ----

std::vector<COLOR> entries(U32 first, U32 count)
{
    std::vector<COLOR> out(count);
    COLOR_vFetchColorTableSection(first, count, out.data());
    return out;
}

const std::vector<COLOR> kRedToNavy = {0xFFFF, 0x0009, 0x000C, 0x000F, 0x00CF, 0x018F, 0x022F, 0x032F,
                                       0x03EF, 0x1BEC, 0x24AC, 0x2D8C, 0x362C, 0x4709, 0x4FE6, 0x67E3,
                                       0x7FE0, 0x97E0, 0xAFE0, 0xCFE0, 0xE7E0, 0xFFE0, 0xF700, 0xFE40,
                                       0xFD60, 0xFCA0, 0xFBE0, 0xFB20, 0xFA40, 0xE240, 0xC980, 0x9000};
const std::vector<COLOR> kRedToPurple = {0xFFFF, 0x0000, 0x0007, 0x0009, 0x000C, 0x100F, 0x2812, 0x3812,
                                         0x5012, 0x6012, 0x780F, 0x880B, 0xA007, 0xB003, 0xC800, 0xD800,
                                         0xF000, 0xF880, 0xF8E0, 0xF960, 0xF9E0, 0xFA60, 0xFB60, 0xFBE0,
                                         0xFC60, 0xFCE0, 0xFD60, 0xFDE0, 0xFE60, 0xFEE0, 0xFF60, 0xFFE0};
const std::vector<COLOR> kGreen = {0xFFFF, 0xFFFC, 0xFFFA, 0xFFF6, 0xFFF0, 0xFFEB, 0xFFE5, 0xFFE0,
                                   0xE7E0, 0xBFE0, 0xAFE0, 0x7FE0, 0x6FE0, 0x47E0, 0x27E0, 0x07E0,
                                   0x0780, 0x0720, 0x06E0, 0x0680, 0x0640, 0x05A0, 0x0500, 0x0460,
                                   0x03C0, 0x0320, 0x0280, 0x0220, 0x01E0, 0x0180, 0x00E0, 0x0000};
const std::vector<COLOR> kBlue = {0xFFBF, 0xF79F, 0xEF5F, 0xE71E, 0xDEDE, 0xD69E, 0xCE5D, 0xC61D,
                                  0xBDDD, 0xB59C, 0xAD5C, 0xA51C, 0x9CDA, 0x949A, 0x8C58, 0x8418,
                                  0x7BD6, 0x7396, 0x6B54, 0x6314, 0x5AD2, 0x5292, 0x4A50, 0x4210,
                                  0x39CE, 0x318E, 0x294C, 0x210C, 0x18CA, 0x108A, 0x0848, 0x0008};

// How many of a table's colours are not from the palette, and how many
// different palette colours it uses.
std::pair<int, size_t> fit(const GRAYSCALE_TABLE& t, const std::vector<COLOR>& palette)
{
    const std::set<COLOR> allowed(palette.begin(), palette.end());
    std::set<COLOR> used;
    int foreign = 0;
    for (COLOR c : t.acColor) {
        if (allowed.count(c))
            used.insert(c);
        else
            ++foreign;
    }
    return {foreign, used.size()};
}

TEST_F(HistorySettings, The2DPaletteAndBackgroundFollowSystemAndSonarPalettes)
{
    setU32("SSPL", 3);
    handle("SPAL", 2);
    const std::vector<COLOR> e = entries(0, 32);
    EXPECT_EQ(e[0], 0x2815);
    EXPECT_EQ(std::vector<COLOR>(e.begin() + 1, e.end()), std::vector<COLOR>(kRedToNavy.begin() + 1, kRedToNavy.end()));
    EXPECT_EQ(s_colorFrequencyIndicator.load(), 0x8C94);
    EXPECT_EQ(BackGroundColor.load(), 0x2815);

    struct Case {
        U32 spal;
        COLOR background;
        COLOR indicator;
    } cases[] = {{1, 0xFFFF, 0x424A}, {3, 0x0000, 0x8C94}, {4, 0xFFFF, 0x424A}};
    setU32("SSPL", 9); // no such palette: the first one
    for (const Case& c : cases) {
        handle("SPAL", c.spal);
        const std::vector<COLOR> now = entries(0, 32);
        EXPECT_EQ(now[0], c.background) << c.spal;
        EXPECT_EQ(std::vector<COLOR>(now.begin() + 1, now.end()),
                  std::vector<COLOR>(kRedToPurple.begin() + 1, kRedToPurple.end()))
            << c.spal;
        EXPECT_EQ(s_colorFrequencyIndicator.load(), c.indicator) << c.spal;
    }
}

TEST_F(HistorySettings, EachImagingTableKeepsThePaletteStagedForIt)
{
    handle("SSSC", 3);
    handle("SDSC", 5);
    EXPECT_EQ(entries(200, 32), kBlue) << "the last palette staged";
    const auto flank = fit(SidescanGrayScaleTable, kGreen);
    const auto keel = fit(KeelviewGrayScaleTable, kBlue);
    EXPECT_EQ(flank.first, 0) << "Flankview colours outside the green palette";
    EXPECT_EQ(keel.first, 0) << "Keelview colours outside the blue palette";
    EXPECT_GT(flank.second, 8u);
    EXPECT_GT(keel.second, 8u);
}

TEST_F(HistorySettings, AnImagingColourWithoutAPaletteIsIgnored)
{
    handle("SSSC", 3);
    const std::vector<COLOR> staged = entries(200, 32);
    const GRAYSCALE_TABLE before = SidescanGrayScaleTable;
    for (U32 bad : {0u, 9u, 200u}) {
        handle("SSSC", bad);
        handle("SDSC", bad);
        EXPECT_EQ(s_u32FVColor, 3u) << bad;
        EXPECT_EQ(entries(200, 32), staged) << bad;
        EXPECT_EQ(memcmp(&before, &SidescanGrayScaleTable, sizeof before), 0) << bad;
    }
    T_N_HISTORY_vSetSonarColorTable(9);
    EXPECT_EQ(entries(200, 32), staged);
}

TEST_F(HistorySettings, AContrastWrittenWithItsValueRebuildsNothing)
{
    handle("SSSN", 12);
    drainFrames();
    memset(&SidescanGrayScaleTable, 0x5A, sizeof SidescanGrayScaleTable);
    memset(&KeelviewGrayScaleTable, 0x5A, sizeof KeelviewGrayScaleTable);
    handle("SSSN", 12);
    EXPECT_EQ(SidescanGrayScaleTable.acColor[100], 0x5A5A);
    EXPECT_EQ(KeelviewGrayScaleTable.acColor[100], 0x5A5A);
    EXPECT_NE(L_SEMA_WaitTicks(SEMA_VIEW_UPDATE, 0), 0) << "a frame was asked for";

    handle("SSSN", 13);
    EXPECT_NE(SidescanGrayScaleTable.acColor[100], 0x5A5A);
    EXPECT_EQ(L_SEMA_WaitTicks(SEMA_VIEW_UPDATE, 0), 0);
}

TEST_F(HistorySettings, An360SensitivityOfZeroIsAutomatic)
{
    handle("SMSS", 0);
    EXPECT_EQ(s_u32SweepScanSensitivity, (U32)S_GRAYSCALE_pu8GetSSSensitivityLE(FCID("SSF4"), 20));
    EXPECT_TRUE(s_bSweepScanAutoSensitivity);
    handle("SMSS", 7);
    EXPECT_EQ(s_u32SweepScanSensitivity, 7u);
    EXPECT_FALSE(s_bSweepScanAutoSensitivity);
}

// ---- Transducers and view enabling ----

// The walker calls in order, one line each.
std::vector<std::string> g_calls;

HISTORY_WALKERS recorder()
{
    HISTORY_WALKERS w;
    w.pfnEnable = [](BOOLEAN b) { g_calls.push_back(std::string("enable ") + (b ? "1" : "0")); };
    w.pfn2DEnable = [](U8 id) { g_calls.push_back("2d " + std::to_string(id)); };
    w.pfnImagingEnable = [](U8 id) { g_calls.push_back("imaging " + std::to_string(id)); };
    w.pfn360ImagingEnable = [](U8 id) { g_calls.push_back("360 " + std::to_string(id)); };
    w.pfnCompositeEnable = [](U8 id, U32 m) {
        g_calls.push_back("composite " + std::to_string(id) + " " + std::to_string(m));
    };
    w.pfnComposite360Enable = [](U8 id, U32 m) {
        g_calls.push_back("composite360 " + std::to_string(id) + " " + std::to_string(m));
    };
    w.pfnMenuJigging = [](U32, U32) {};
    w.pfnMenuSideScanFrequency = [](U32) {};
    w.pfnMenuSweepingSonarSettings = [](BOOLEAN) { g_calls.push_back("sweep menus"); };
    w.pfnMenuPPIDisplay = [](BOOLEAN) { g_calls.push_back("ppi menus"); };
    return w;
}

size_t count(const std::string& call)
{
    size_t n = 0;
    for (const std::string& c : g_calls)
        n += c == call;
    return n;
}

class HistoryTransducers : public HistorySettings {
protected:
    void SetUp() override
    {
        HistorySettings::SetUp();
        g_calls.clear();
        walkers = recorder();
        vInstallWalkers(&walkers);
        setBoolean("ISEN", TRUE);
    }
    HISTORY_WALKERS walkers;
};

TEST_F(HistoryTransducers, TheStartUpFloodRegistersOnceAtOnceAndOnceAfterTheLast)
{
    setU32("YST1", 1);
    setU32("YST3", 0);
    handle("ELPM", 1);
    EXPECT_EQ(count("enable 1"), 1u) << "the first request registers at once";
    EXPECT_EQ(count("2d 1"), 1u);

    handle("YST1", 1);
    setU32("YST3", 16);
    handle("YST3", 16);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    handle("ELPM", 1);
    EXPECT_EQ(count("enable 1"), 1u) << "later requests wait";
    EXPECT_GT(L_TIMER_GetRemaining(s_pTransducerSelectionDelay), 1500) << "the wait runs from the last request";

    ASSERT_EQ(L_SEMA_WaitTicks(SEMA_TRANSDUCER_DELAY, 10000), 0);
    vSemaphoreAction(SEMA_TRANSDUCER_DELAY);
    EXPECT_EQ(count("enable 1"), 2u);
    EXPECT_EQ(count("2d 1"), 2u);
    EXPECT_EQ(count("enable 0"), 1u) << "the 2D beams changed: everything is removed first";
    EXPECT_EQ(L_TIMER_GetRemaining(s_pTransducerSelectionDelay), 0) << "the timer stops itself";
    EXPECT_NE(L_SEMA_WaitTicks(SEMA_TRANSDUCER_DELAY, 2500), 0) << "no second expiry";
}

TEST_F(HistoryTransducers, AChangeToTheQuadTransducerRemovesEverythingFirst)
{
    setU32("YST1", 1);
    handle("ELPM", ELEMENT_2D | ELEMENT_FV);
    handle("YST1", 1);
    vDelayedViewEnabling();
    setU32("YST3", 2);
    handle("YST3", 2);
    g_calls.clear();
    vDelayedViewEnabling();
    ASSERT_GE(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0], "enable 0");
    EXPECT_EQ(g_calls[1], "enable 1");
    EXPECT_FALSE(s_bQuadBeamChange);
}

TEST_F(HistoryTransducers, NothingLeftToShowWhenTheDelayRunsOutRemovesTheViews)
{
    setU32("YST1", 1);
    handle("ELPM", 1);
    handle("ELPM", 1);
    setBoolean("ISEN", FALSE);
    handle("ISEN", FALSE);
    g_calls.clear();
    vDelayedViewEnabling();
    EXPECT_EQ(g_calls, std::vector<std::string>{"enable 0"});
}

TEST_F(HistoryTransducers, TheSonarSwitchRegistersWhatIsShownAtOnce)
{
    s_u32LocalPingMask = ELEMENT_2D | ELEMENT_KV;
    s_db_TransducerSelectArray[SELECT_2D] = 15;
    s_db_TransducerSelectArray[SELECT_IMAGING] = 15;
    handle("ISEN", TRUE);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"enable 1", "2d 15", "imaging 15", "composite 15 3"}));
    EXPECT_TRUE(db_SonarEnabled.load());

    g_calls.clear();
    handle("ISEN", FALSE);
    EXPECT_EQ(g_calls, std::vector<std::string>{"enable 0"}) << "nothing from the network either";

    // Shown from another unit while the own sonar is off.
    g_calls.clear();
    s_u32NetworkPingMask = ELEMENT_2D;
    handle("ISEN", FALSE);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"enable 1", "2d 15", "composite 15 1"}));
    s_u32NetworkPingMask = 0;
}

TEST_F(HistoryTransducers, The360ViewsComeAndGoWithThe360Transducer)
{
    // The first "ISEN" came before the unit's 360 transducer was known.
    s_u32LocalPingMask = ELEMENT_FV | ELEMENT_360;
    handle("ELPM", ELEMENT_FV | ELEMENT_360);
    handle("ISEN", TRUE);
    EXPECT_EQ(count("360 16"), 0u);

    // The unit reports it: its views after the selection delay.
    g_calls.clear();
    setU32("YST4", 16);
    handle("YST4", 16);
    EXPECT_GT(L_TIMER_GetRemaining(s_pTransducerSelectionDelay), 0);
    vDelayedViewEnabling();
    EXPECT_EQ(count("360 16"), 1u);

    // It goes: the next registration removes everything and leaves it out.
    g_calls.clear();
    setU32("YST4", 0);
    handle("YST4", 0);
    EXPECT_GT(L_TIMER_GetRemaining(s_pTransducerSelectionDelay), 0) << "no new registration";
    vDelayedViewEnabling();
    EXPECT_EQ(count("enable 1"), 1u);
    EXPECT_EQ(count("360 16"), 0u);
    EXPECT_EQ(count("composite360 0 12"), 1u);

    // In a simulation the 360 unit is there from the first "ISEN" on.
    g_calls.clear();
    setU32("CCST", 4);
    handle("CCST", 4);
    g_calls.clear();
    handle("ISEN", TRUE);
    EXPECT_EQ(count("360 16"), 1u);
    setU32("CCST", STATE_NORMAL);
    handle("CCST", STATE_NORMAL);
}

TEST_F(HistoryTransducers, TheSonarOnSettingRestoresTheLocalSourcesOnce)
{
    setU32("ELPM", ELEMENT_2D | ELEMENT_FV);
    handle("SSEN", 1);
    EXPECT_EQ(s_u32LocalPingMask, ELEMENT_2D | ELEMENT_FV);
    setU32("ELPM", ELEMENT_KV);
    handle("SSEN", 1);
    EXPECT_EQ(s_u32LocalPingMask, ELEMENT_2D | ELEMENT_FV) << "the same value again changes nothing";
    handle("SSEN", 0);
    EXPECT_EQ(s_u32LocalPingMask, 0u);
    handle("SSEN", 1);
    EXPECT_EQ(s_u32LocalPingMask, ELEMENT_KV);
}

TEST_F(HistoryTransducers, TheBeamChoiceFitsTheTransducer)
{
    // Transducer 15 has a 455 kHz down beam but no low frequency;
    // transducer 1 has 200 and 83 kHz.
    struct Case {
        U32 yst1;
        U32 choice;
        BEAM expected;
        bool laidOut;
    } cases[] = {{15, 0, 1, false}, {15, 4, 1, false}, {1, 3, 4, true}, {1, 9, 4, true}, {1, 2, 1, false},
                 {15, 2, 2, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.yst1) + "/" + std::to_string(c.choice));
        setU32("YST1", c.yst1);
        SonarViewInfo.Window[4].Beam = 0x77; // a layout marker
        handle("YSSV", c.choice);
        EXPECT_EQ(s_beamSelect, c.expected);
        EXPECT_EQ(SonarViewInfo.Window[4].Beam != 0x77, c.laidOut);
    }
    SonarViewInfo.Window[4].Beam = SONAR_NO_BEAM;
}

TEST_F(HistoryTransducers, ADownImagingOnlyTransducerPingsItsDownBeamShallow)
{
    setU32("ELPM", 3);
    t_n_ping::vHandleNewData(FCID("ELPM"), 3);
    s_db_TransducerSelectArray[SELECT_IMAGING] = 15;
    for (SONAR_WINDOW& w : SonarViewInfo.Window)
        w.Beam = 1;
    s_beamSelect = 1;
    struct Case {
        float depth;
        BEAM choice;
        bool shown;
        bool pings;
    } cases[] = {{4.0f, 1, false, true}, {5.0f, 1, false, true}, {6.0f, 1, false, false},
                 {6.0f, 2, false, true}, {6.0f, 1, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.depth) + " m, choice " + std::to_string(c.choice));
        s_beamSelect = c.choice;
        SonarViewInfo.Window[2].Beam = c.shown ? 2 : 1;
        handleFloat("IDEP", c.depth);
        EXPECT_EQ(s_sBeamInfo[2].bPinging != FALSE, c.pings);
        EXPECT_TRUE(s_sBeamInfo[3].bPinging);
        EXPECT_TRUE(s_sBeamInfo[1].bPinging);
    }
    for (SONAR_WINDOW& w : SonarViewInfo.Window)
        w.Beam = SONAR_NO_BEAM;
    t_n_ping::vHandleNewData(FCID("ELPM"), 0);
}

TEST_F(HistoryTransducers, InSimulationA360CapableTransducerAddsThe360Element)
{
    setU32("SSTS", 16);
    setU32("CCST", STATE_SIM);
    handle("CCST", STATE_SIM);
    EXPECT_EQ(s_u32LocalPingMask & ELEMENT_360, ELEMENT_360);
    EXPECT_EQ(s_db_SonarElementSelect, s_u32LocalPingMask);
    EXPECT_EQ(u32("YMSS"), 2u);
    EXPECT_GE(count("sweep menus"), 1u);
    EXPECT_EQ(count("360 16"), 1u);

    // A transducer without the 360 unit adds nothing.
    vForgetTransducers();
    H_DATABASE_vDeleteEntry(FCID("YMSS"));
    setU32("SSTS", 15);
    handle("CCST", STATE_SIM);
    EXPECT_EQ(s_u32LocalPingMask, 0u);
    EXPECT_EQ(u32("YMSS"), 0xDEADBEEFu);
}

TEST_F(HistoryTransducers, ClearingTheKeelviewTransducerWhileAFlankviewOneIsSetChangesNothing)
{
    setU32("YST3", 9);
    handle("YST3", 9);
    ASSERT_EQ(s_db_TransducerSelectArray[SELECT_IMAGING].load(), 9u);
    s_bTransducerChanged = FALSE;
    handle("YST2", 0);
    EXPECT_EQ(s_db_TransducerSelectArray[SELECT_IMAGING].load(), 9u);
    EXPECT_FALSE(s_bTransducerChanged);
}

TEST_F(HistoryTransducers, ImagingGainsFollowTheImagingTransducer)
{
    struct Case {
        U32 transducer;
        S32 sensitivity;
        S8 beam2, beam3;
    } cases[] = {{2, 4, 20, 20}, {15, 4, 20, 33}, {9, 4, 0, 0}, {2, 100, 127, 127}, {2, -100, -128, -128},
                 {2, 0x7FFFFFFF, 127, 127}};
    for (const Case& c : cases) {
        s_db_TransducerSelectArray[SELECT_IMAGING] = c.transducer;
        s_sBeamInfo[3].s8Gain = 33;
        handle("SSS4", (U32)c.sensitivity);
        EXPECT_EQ(s_sBeamInfo[2].s8Gain, c.beam2) << c.transducer << "/" << c.sensitivity;
        EXPECT_EQ(s_sBeamInfo[3].s8Gain, c.beam3) << c.transducer << "/" << c.sensitivity;
    }
}

} // namespace
} // namespace history_test
