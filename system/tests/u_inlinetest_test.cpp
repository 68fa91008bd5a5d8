// The test parameter record as it leaves the process, the save through the
// NVRAM task into "sonar.dat", the passed-tests word, and the test screen
// as drawn for the current test.
#include "system/u_inlinetest.h"

#include "system/t_inlinetest.h"
#include "system/t_inlinetest_state.h"

#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "kernel/l_mbox.h"
#include "kernel/l_task.h"
#include "store/h_database.h"
#include "store/t_nvram.h"
#include "testing/t_root.h"
#include "ui/u_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace {

U16 u16At(const std::string& bytes, size_t offset)
{
    return (U16)((U8)bytes[offset] | (U8)bytes[offset + 1] << 8);
}

// A record with GPS limits and one beam row, every other field distinct.
V3_TEST_PARAMETERS gpsAndBeam(U32 beam)
{
    V3_TEST_PARAMETERS p = {};
    p.s16SatelliteNo = 7;
    p.s16MinCNOvalue = -30; // a negative limit shows the sign's bytes
    p.s16MaxCNOvalue = 0x1234;
    V3_BEAM_DATA& b = p.aBeamData[beam];
    b.s16TransmitFrequency = 200;
    b.s16RecieverNumber = 2;
    b.s16Bandwidth = 0x0A0B;
    b.s16MinSignalLevel = 10;
    b.s16MaxSignalLevel = 900;
    b.s16MinDepth = 3;
    b.s16MaxDepth = 40;
    b.s16NoiseFloor = 77;
    return p;
}

TEST(TestRecord, EncodesEveryFieldAtItsOffsetLittleEndian)
{
    V3_TEST_PARAMETERS p = {};
    p.u32Version_X10 = 0x04030201;
    p.s16MaxSpeed = 0x0605;
    p.s16MinSpeed = 0x0807;
    p.s16MaxTransducerTemp = 0x0A09;
    p.s16MinTransducerTemp = 0x0C0B;
    p.s16MaxPaddleWheelTemp = 0x0E0D;
    p.s16MinPaddleWheelTemp = 0x100F;
    p.s16MaxVoltage = 0x1211;
    p.s16MinVoltage = 0x1413;
    p.s16SatelliteNo = 0x1615;
    p.s16MinCNOvalue = 0x1817;
    p.s16MaxCNOvalue = 0x1A19;
    p.u8NumberMMC_Slots = 0x1B;
    p.u8NumberSonarBeams = 0x1C;
    for (U32 i = 0; i < 6; ++i)
        p.s16Reserve[i] = (S16)((30 + 2 * i) << 8 | (29 + 2 * i));
    for (U32 k = 0; k < V3_BEAM_COUNT; ++k) {
        S16* f = &p.aBeamData[k].s16TransmitFrequency;
        for (U32 i = 0; i < 14; ++i) {
            const U32 at = 40 + 28 * k + 2 * i;
            f[i] = (S16)(((at + 2) & 0xFF) << 8 | ((at + 1) & 0xFF));
        }
    }
    U8 out[V3_TEST_PARAMETERS_BYTES];
    U_INLINETEST_vEncodeTestParameters(&p, out);
    // Each byte holds its offset + 1: every field went to its place, low byte first.
    for (U32 i = 0; i < V3_TEST_PARAMETERS_BYTES; ++i)
        ASSERT_EQ(out[i], (U8)(i + 1)) << "byte " << i;
}

// The NVRAM task writes the saved block at the start of "sonar.dat".
class SavedRecord : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool s_started = false;
        if (s_started)
            GTEST_SKIP() << "needs a process of its own";
        s_started = true;
        root_.exportEnv();
        H_DATABASE_vInit();
        L_MBOX_DefineSema(NVRAM_MBOX, 45);
        const TASK_PARAM p = {1024, 100, T_NVRAM_vMain};
        ASSERT_EQ(L_TASK_SetParams(NVRAM_TASK, &p), 0);
        ASSERT_EQ(L_TASK_Start(NVRAM_TASK), 0);
        for (int i = 0; i < 500 && !H_DATABASE_bFetch(FCID("TNVR"), nullptr, nullptr, nullptr); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_TRUE(H_DATABASE_bFetch(FCID("TNVR"), nullptr, nullptr, nullptr));
    }
    vt::TempRoot root_;
};

TEST_F(SavedRecord, SonarDatHoldsTheRecordThenZeros)
{
    s_testParams = gpsAndBeam(2);
    U_INLINETEST_vSaveTestResults();
    const std::string bytes = vt::readFile(root_.cwd() + "/sonar.dat");
    ASSERT_GE(bytes.size(), 508u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(bytes[i], 0) << "version byte " << i;
    EXPECT_EQ(u16At(bytes, 20), 7);
    EXPECT_EQ((S16)u16At(bytes, 22), -30);
    EXPECT_EQ(u16At(bytes, 24), 0x1234);
    const size_t row = 40 + 28 * 2;
    EXPECT_EQ(u16At(bytes, row + 0), 200);
    EXPECT_EQ(u16At(bytes, row + 2), 2);
    EXPECT_EQ(u16At(bytes, row + 4), 0x0A0B);
    EXPECT_EQ(u16At(bytes, row + 14), 77);
    for (size_t i = 40; i < 264; ++i) {
        if (i >= row && i < row + 16)
            continue;
        ASSERT_EQ(bytes[i], 0) << "byte " << i << " of another beam row";
    }
    for (size_t i = 264; i < 508; ++i)
        ASSERT_EQ(bytes[i], 0) << "byte " << i << " past the record";
}

TEST_F(SavedRecord, WithoutTheNvramTaskNothingIsWritten)
{
    // The key goes, as before the NVRAM task runs.
    H_DATABASE_vDeleteEntry(FCID("TNVR"));
    SONAR_DATA_BLOCK block;
    U_INLINETEST_vFillSonarBlock(&s_testParams, &block);
    EXPECT_FALSE(U_INLINETEST_bWriteSonarData(&block));
}

TEST(PassedTests, BitsAccumulateInTheSetting)
{
    H_DATABASE_vInit();
    H_DATABASE_bUpdateEverythingU32(FCID("STTP"), 0, P_NVR, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    U_INLINETEST_u32SetPassedTestBit(0);
    U_INLINETEST_u32SetPassedTestBit(14);
    EXPECT_EQ(U_INLINETEST_u32SetPassedTestBit(30), (1u << 0 | 1u << 14 | 1u << 30));
    U32 value = 0;
    ASSERT_TRUE(H_DATABASE_bFetchU32(FCID("STTP"), &value, nullptr, nullptr));
    EXPECT_EQ(value, (1u << 0 | 1u << 14 | 1u << 30));
}

// ---- The screen ----

constexpr COLOR BACKGROUND = 0x1082;

class TestScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
        gCOLOR_pcolColorTable[35] = BACKGROUND;
        gCOLOR_pcolColorTable[32] = 0xFFFF;
        gCOLOR_pcolColorTable[130] = 0xF800;
        gCOLOR_pcolColorTable[128] = 0x4208;
        gCOLOR_pcolColorTable[131] = 0xFFE0;
        s_inlineTest = {};
        snprintf(s_inlineTest.strStartingTest, sizeof s_inlineTest.strStartingTest, "Waiting for Test Command");
    }
    // The layer as drawn now.
    void drawLayer(gt::TestBitmap& bmp) { T_INLINETEST_vDrawTestLayer(bmp, nullptr); }
    // A background with one status dialog.
    void drawStatus(gt::TestBitmap& bmp, const char* text)
    {
        G_BMP_vSet(bmp, BACKGROUND);
        U_INLINETEST_vDrawStatusMessage(bmp, text);
    }
    void expectSame(gt::TestBitmap& got, gt::TestBitmap& want, const std::string& what)
    {
        size_t differ = 0;
        for (size_t i = 0; i < got.elements(); ++i)
            differ += got.element(i) != want.element(i);
        EXPECT_EQ(differ, 0u) << what;
    }
};

TEST_F(TestScreen, ShowsTheStatusLineOrTheTestsValueText)
{
    struct Case {
        TEST_TYPE test;
        TEST_RESULT result;
        U32 value;
        const char* status;
        const char* shown;
    } cases[] = {
        {TESTING_SPEED, PENDING, 0, "", "Speed = Missing"},
        {TESTING_SPEED, FAIL, 12, "", "Speed = 12--FAIL"},
        {WAITING_FOR_TEST, PASS, 12, "Ready", "Ready"},
        {TESTING_VCOM, PENDING, 0, "NVR Erased", "NVR Erased"},
        {TESTING_BATTERY_VOLTAGE, PENDING, 5, "", "Battery Voltage = "},
        {TESTING_INTERNAL_GPS, PASS, 41, "", "GPS CNO Average = 41--PASS"},
        {TESTING_NAND_MAP, FAIL, 0, "", "NAND Map Test FAIL"},
        {TESTING_FINISHED_FAIL, PASS, 0, "", "Testing Failed"},
    };
    for (const Case& c : cases) {
        s_inlineTest.eCurrentTest = c.test;
        s_inlineTest.eTestResult = c.result;
        s_inlineTest.u32DisplayValue = c.value;
        if (c.status[0] != '\0')
            snprintf(s_inlineTest.strStartingTest, sizeof s_inlineTest.strStartingTest, "%s", c.status);
        gt::TestBitmap got(800, 600), want(800, 600);
        drawLayer(got);
        drawStatus(want, c.shown);
        expectSame(got, want, c.shown);
        // Not an empty picture that two empty dialogs would also match.
        EXPECT_GT(got.count(0xFFE0), 50u) << c.shown;
    }
}

TEST_F(TestScreen, WaterTemperatureAndCardScreensUseTheBigBox)
{
    struct Case {
        TEST_TYPE test;
        TEST_RESULT result;
        const char* slot;
        const char* shown;
    } cases[] = {
        {TESTING_TRANSDUCER_WATER_TEMPERATURE, PENDING, nullptr, "Water Temp. from Transducer = Missing"},
        {TESTING_MMC, PENDING, "Right ", "Right MMC Test -- Card Not Found!"},
        {TESTING_IF_MMC_CARD_PRESENT, FAIL, nullptr, "MMC Test -- PASS!"},
    };
    for (const Case& c : cases) {
        s_inlineTest.eCurrentTest = c.test;
        s_inlineTest.eTestResult = c.result;
        s_inlineTest.pcWhichSlot = c.slot;
        gt::TestBitmap got(800, 600), want(800, 600);
        drawLayer(got);
        G_BMP_vSet(want, BACKGROUND);
        const POINT anchor = {5, 300};
        U_DIALOG_vDrawMessageBlockOutlined(want, c.shown, &vondrel_16x17_font_def, 0, JUSTIFICATION_CENTER,
                                           JUSTIFICATION_CENTER, &anchor, 790, BACKGROUND, 0xFFFF, 0xF800);
        expectSame(got, want, c.shown);
        EXPECT_GT(got.count(0xF800), 100u) << c.shown;
    }
}

TEST_F(TestScreen, DisplayTestFillsTheScreenWithTheCountersColour)
{
    s_inlineTest.eCurrentTest = TESTING_DISPLAY;
    const COLOR colours[] = {0x001F, 0x07E0, 0xF800, 0x0000, 0x001F};
    for (S32 counter = 0; counter < 5; ++counter) {
        s_inlineTest.s32DisplayNextColor = counter + 4;
        gt::TestBitmap got(800, 600);
        drawLayer(got);
        EXPECT_EQ(got.count(colours[counter]), 800u * 600u) << "counter " << counter + 4;
    }
}

TEST_F(TestScreen, KeypadScreenShowsTheStepsPromptAndNothingOnceDone)
{
    s_inlineTest.eCurrentTest = TESTING_KEYPAD;
    snprintf(s_inlineTest.strLastKeyAction, sizeof s_inlineTest.strLastKeyAction, "Menu Key--Pressed");
    snprintf(s_inlineTest.strPrevKeyAction, sizeof s_inlineTest.strPrevKeyAction, "View Key--Released");
    s_inlineTest.s32CurrentKey = 3;
    gt::TestBitmap got(800, 600), want(800, 600);
    drawLayer(got);
    G_BMP_vSet(want, BACKGROUND);
    U_INLINETEST_vDrawKeyMessage(want, "Release MENU Key.", "Menu Key--Pressed", "View Key--Released");
    expectSame(got, want, "step 3");
    // The two key logs sit at the bottom left, the latest lowest.
    gt::TestBitmap logs(800, 600);
    G_BMP_vSet(logs, BACKGROUND);
    U_INLINETEST_vDrawKeyMessage(logs, "", "Menu Key--Pressed", "");
    bool low = false;
    for (int y = 0; y < 40 && !low; ++y)
        for (int x = 0; x < 200 && !low; ++x)
            low = logs.at(x, y) == 0xFFFF;
    EXPECT_TRUE(low) << "the latest key log near the bottom left";

    s_inlineTest.s32CurrentKey = 32;
    gt::TestBitmap done(800, 600);
    drawLayer(done);
    EXPECT_EQ(done.count(BACKGROUND), 800u * 600u) << "nothing after the last step";
}

TEST_F(TestScreen, SonarLinesStandAnEighthOfTheScreenApart)
{
    // The highest row a line's box reaches.
    auto top = [](const char* text, U32 line) {
        gt::TestBitmap bmp(800, 600, BACKGROUND);
        U_INLINETEST_vDrawSonarData(bmp, text, line);
        int highest = -1;
        for (const gt::Pixel& p : bmp.drawn())
            highest = std::max(highest, p.second);
        return highest;
    };
    EXPECT_EQ(top("Depth   12   PASS", 1) - top("Depth   12   PASS", 5), 300);
    EXPECT_EQ(top("Noise   3   FAIL", 1) - top("Noise   3   FAIL", 7), 450);
    // The box follows its text, up to the screen's width less two.
    auto width = [](const std::string& text) {
        gt::TestBitmap bmp(800, 600, BACKGROUND);
        U_INLINETEST_vDrawSonarData(bmp, text.c_str(), 1);
        int left = 800, right = -1;
        for (const gt::Pixel& p : bmp.drawn())
            left = std::min(left, p.first), right = std::max(right, p.first);
        return right - left + 1;
    };
    EXPECT_LT(width("Signal   1   PASS"), width("Signal   100000   PASS   PASS"));
    EXPECT_LE(width(std::string(120, 'W')), 800);
}

} // namespace
