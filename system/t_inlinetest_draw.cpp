// The test screen: the background view of the test state, drawn by the
// view task from the inline-test task's state under RES_INLINETEST. It
// shows what the current test wants of the operator and what it measured;
// with no test of its own on screen it shows the status line.
#include "system/t_inlinetest.h"

#include "system/t_inlinetest_state.h"
#include "system/u_inlinetest.h"

#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/u_fonts.h"
#include "kernel/l_mutex.h"
#include "ui/u_dialog.h"

#include <cstdio>

// Constants ---------------------------------------------------------------

namespace {

constexpr U32 COLOR_INDEX_BACKGROUND = 35;
constexpr U32 COLOR_INDEX_TEXT = 32;
constexpr U32 COLOR_INDEX_OUTLINE = 130;
constexpr U32 BIG_BOX_WIDTH = 790;
constexpr U32 TEXT_BYTES = 256;

// The keypad test's prompt per step: press, then release, key by key.
constexpr const char* s_apcKeyPrompts[32] = {
    "Press VIEW Key.",
    "Release VIEW Key.",
    "Press MENU Key.",
    "Release MENU Key.",
    "Press EXIT Key.",
    "Release EXIT Key.",
    "Press Top Soft Key.",
    "Release Top Soft Key.",
    "Press Center Soft Key.",
    "Release Center Soft Key.",
    "Press Bottom Soft Key.",
    "Release Bottom Soft Key.",
    "Press POWER Key.",
    "Release POWER Key.",
    "Press GO TO Key.",
    "Release GO TO Key.",
    "Press MARK Key.",
    "Release MARK Key.",
    "Press INFO Key.",
    "Release INFO To Key.",
    "Press Zoom Out (-) Key.",
    "Release Zoom Out (-) Key.",
    "Press Zoom In (+) Key.",
    "Release Zoom In (+) Key.",
    "Press Cursor North Key.",
    "Release Cursor North Key.",
    "Press Cursor South Key.",
    "Release Cursor South Key.",
    "Press Cursor East Key.",
    "Release Cursor East Key.",
    "Press Cursor West Key.",
    "Release Cursor West Key.",
};

// The display test's colours by counter modulo 4: blue, green, red, black.
constexpr COLOR s_aDisplayColors[4] = {0x001F, 0x07E0, 0xF800, 0x0000};

} // namespace

// Static functions --------------------------------------------------------

namespace {

const char* pcResultWord(TEST_RESULT eResult)
{
    switch (eResult) {
    case PENDING:
        return "PENDING";
    case PASS:
        return "PASS";
    case FAIL:
        return "FAIL";
    default:
        return "";
    }
}

// "%d--%s" of the shown value and the result word; pcMissing in place of it
// while the result is pending, when given.
void vValueText(char* pcOut, size_t size, const char* pcPrefix, const char* pcMissing)
{
    const INLINETEST_STATE& s = s_inlineTest;
    if (s.eTestResult == PENDING && pcMissing != nullptr)
        snprintf(pcOut, size, "%s%s", pcPrefix, pcMissing);
    else if (s.eTestResult == PENDING)
        snprintf(pcOut, size, "%s", pcPrefix);
    else
        snprintf(pcOut, size, "%s%d--%s", pcPrefix, (int)s.u32DisplayValue, pcResultWord(s.eTestResult));
}

void vDrawBigBox(BITMAP* pBitmap, const char* pcText)
{
    const POINT anchor = {5, 300};
    const FONT_DEF* pFont = std_16x17_font_def_ptr.load();
    U_DIALOG_vDrawMessageBlockOutlined(pBitmap, pcText, pFont != nullptr ? pFont : &vondrel_16x17_font_def, 0, JUSTIFICATION_CENTER, JUSTIFICATION_CENTER, &anchor, BIG_BOX_WIDTH,
                                       gCOLOR_pcolColorTable[COLOR_INDEX_BACKGROUND],
                                       gCOLOR_pcolColorTable[COLOR_INDEX_TEXT],
                                       gCOLOR_pcolColorTable[COLOR_INDEX_OUTLINE]);
}

void vDrawSonarLines(BITMAP* pBitmap)
{
    const INLINETEST_STATE& s = s_inlineTest;
    const U32 u32Beam = s.u32SonarBeam < V3_BEAM_COUNT ? s.u32SonarBeam : 0;
    char acLine[TEXT_BYTES];
    snprintf(acLine, sizeof acLine, "%s %d %s %s", "Sonar Frequency   ",
             (int)s_testParams.aBeamData[u32Beam].s16TransmitFrequency,
             s.pcBeamFreqString != nullptr ? s.pcBeamFreqString : "",
             s.pcBeamDisplayNumber != nullptr ? s.pcBeamDisplayNumber : "");
    U_INLINETEST_vDrawSonarData(pBitmap, acLine, 1);
    const SONAR_DISPLAY_DATA& d = s.sonarDisplay;
    snprintf(acLine, sizeof acLine, "Depth   %u%s", (unsigned)d.u16Depth, d.bDepthPass ? "   PASS" : "   FAIL");
    U_INLINETEST_vDrawSonarData(pBitmap, acLine, 5);
    snprintf(acLine, sizeof acLine, "Signal   %u%s", (unsigned)d.u16Signal, d.bSignalPass ? "   PASS" : "   FAIL");
    U_INLINETEST_vDrawSonarData(pBitmap, acLine, 6);
    snprintf(acLine, sizeof acLine, "Noise   %u%s", (unsigned)d.u16Noise, d.bNoisePass ? "   PASS" : "   FAIL");
    U_INLINETEST_vDrawSonarData(pBitmap, acLine, 7);
}

void vDrawCardScreen(BITMAP* pBitmap)
{
    const INLINETEST_STATE& s = s_inlineTest;
    const char* pcVerdict;
    if (s.eCurrentTest == TESTING_MMC)
        pcVerdict = s.eTestResult == PENDING ? "-- Card Not Found!" : s.eTestResult == FAIL ? "-- FAIL!" : "-- PASS!";
    else
        pcVerdict = s.eTestResult == PENDING ? "-- Card in Unit!" : "-- PASS!";
    char acText[TEXT_BYTES];
    snprintf(acText, sizeof acText, "%sMMC Test %s", s.pcWhichSlot != nullptr ? s.pcWhichSlot : "", pcVerdict);
    vDrawBigBox(pBitmap, acText);
}

void vDrawCurrentTest(BITMAP* pBitmap)
{
    const INLINETEST_STATE& s = s_inlineTest;
    char acText[TEXT_BYTES];
    switch (s.eCurrentTest) {
    case TESTING_KEYPAD:
        if (s.s32CurrentKey >= 0 && s.s32CurrentKey < 32)
            U_INLINETEST_vDrawKeyMessage(pBitmap, s_apcKeyPrompts[s.s32CurrentKey], s.strLastKeyAction,
                                         s.strPrevKeyAction);
        break;
    case TESTING_DISPLAY:
        G_BMP_vSet(pBitmap, s_aDisplayColors[(U32)s.s32DisplayNextColor % 4]);
        break;
    case TESTING_BACK_LIGHT:
        U_INLINETEST_vDrawStatusMessage(pBitmap, "Testing Back Light ");
        break;
    case TESTING_BUZZER:
        U_INLINETEST_vDrawStatusMessage(pBitmap, "Testing Audio Press MENU if Good");
        break;
    case TESTING_SONAR:
        vDrawSonarLines(pBitmap);
        break;
    case TESTING_SPEED:
        vValueText(acText, sizeof acText, "Speed = ", "Missing");
        U_INLINETEST_vDrawStatusMessage(pBitmap, acText);
        break;
    case TESTING_TRANSDUCER_WATER_TEMPERATURE:
        vValueText(acText, sizeof acText, "Water Temp. from Transducer = ", "Missing");
        vDrawBigBox(pBitmap, acText);
        break;
    case TESTING_SPEED_WATER_TEMPERATURE:
        vValueText(acText, sizeof acText, "Water Temp. from Speed Port = ", "Missing");
        vDrawBigBox(pBitmap, acText);
        break;
    case TESTING_BATTERY_VOLTAGE:
        vValueText(acText, sizeof acText, "Battery Voltage = ", nullptr);
        U_INLINETEST_vDrawStatusMessage(pBitmap, acText);
        break;
    case TESTING_NAND_MAP:
    case TESTING_NAND_SIM:
    case TESTING_EXTERNAL_NMEA:
    case TESTING_ETHERNET: {
        const char* pcHeader = s.eCurrentTest == TESTING_NAND_MAP   ? "NAND Map Test "
                               : s.eCurrentTest == TESTING_NAND_SIM ? "NAND Simulator Test "
                               : s.eCurrentTest == TESTING_ETHERNET ? "Ethernet Test "
                                                                    : "External NMEA Test ";
        snprintf(acText, sizeof acText, "%s%s", pcHeader, pcResultWord(s.eTestResult));
        U_INLINETEST_vDrawStatusMessage(pBitmap, acText);
        break;
    }
    case TESTING_INTERNAL_GPS:
        vValueText(acText, sizeof acText, "GPS CNO Average = ", "Missing");
        U_INLINETEST_vDrawStatusMessage(pBitmap, acText);
        break;
    case TESTING_MMC:
    case TESTING_IF_MMC_CARD_PRESENT:
        vDrawCardScreen(pBitmap);
        break;
    case TESTING_FINISHED_PASS:
        U_INLINETEST_vDrawStatusMessage(pBitmap, "Testing Passed");
        break;
    case TESTING_FINISHED_FAIL:
        U_INLINETEST_vDrawStatusMessage(pBitmap, "Testing Failed");
        break;
    default:
        U_INLINETEST_vDrawStatusMessage(pBitmap, s.strStartingTest);
        break;
    }
}

} // namespace

// Public functions --------------------------------------------------------

void T_INLINETEST_vDrawTestLayer(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    (void)psWindowSpec;
    L_MUTEX_LockWait(RES_INLINETEST);
    G_BMP_vSet(pBitmap, gCOLOR_pcolColorTable[COLOR_INDEX_BACKGROUND]);
    vDrawCurrentTest(pBitmap);
    L_MUTEX_Unlock(RES_INLINETEST);
}
