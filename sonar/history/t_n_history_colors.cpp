// Sonar colours: the 2D and imaging palettes, where they go in the system
// colour table, the sonar background, and the four grayscale tables that
// turn sample levels into colours.
//
// A table takes its colours from the colour table when it is built: the 2D
// table from entries 0-31, the imaging tables from entries 200-231. So the
// palette of an imaging picture is staged in 200-231 right before its table
// is rebuilt, and a table keeps its colours when another picture's palette
// is staged later. Tables are rebuilt only when a setting changes; the
// column adder reads them under mutex 28, as the handlers here write them.
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_state.h"

#include "graphics/color.h"
#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "sonar/dsp/s_transducer.h"
#include "store/h_database.h"

using namespace t_n_history;

// ---- Tables and settings ----

namespace t_n_history {

GRAYSCALE_TABLE StandardBeamGrayScaleTable;
GRAYSCALE_TABLE SidescanGrayScaleTable;
GRAYSCALE_TABLE KeelviewGrayScaleTable;
GRAYSCALE_TABLE SweepscanGrayScaleTable;
std::atomic<COLOR> s_colorFrequencyIndicator{0x424A};
U32 s_u32FVColor = 6;
U32 s_u32KVColor = 6;
U32 s_u32SweepscanColor = 5;
U32 s_u32SideScanSensitivity = 10, s_u32SideScanGamma = 10, s_u32SideScanContrast = 10;
U32 s_u32KeelviewSensitivity = 10, s_u32KeelviewGamma = 10, s_u32KeelviewContrast = 10;
U32 s_u32SweepScanSensitivity = 10, s_u32SweepScanGamma = 10, s_u32SweepScanContrast = 10;
std::atomic<U32> s_u32SideScanFilter{0}, s_u32KeelviewFilter{0}, s_u32SweepScanFilter{0};
BOOLEAN s_bSideScanAutoSensitivity = FALSE, s_bKeelviewAutoSensitivity = FALSE, s_bSweepScanAutoSensitivity = FALSE;
FOURCHARID s_fcidSideViewFreq = FCID("SSF4");

} // namespace t_n_history

namespace {

// ---- Constants ----

constexpr U32 PALETTE_COLOURS = 32;
constexpr U32 ENTRY_2D = 0;
constexpr U32 ENTRY_IMAGING = 200;
constexpr U32 PALETTE2 = 2; // system palettes ("SPAL")
constexpr U32 PALETTE3 = 3;
constexpr U32 SIDESCAN_FIRST = 1;
constexpr U32 SIDESCAN_LAST = 8; // SIDESCAN_CUSTOM (9) has no palette
constexpr U8 LINEAR = 10;        // gamma and contrast of the 2D table
constexpr U8 AUTO_SENSITIVITY_360 = 20;

typedef COLOR PALETTE[PALETTE_COLOURS];

// ---- 2D palettes ("SSPL"), entry 0 first ----

const PALETTE acSonarPaletteRedToPurple = {
    0xFFFF, 0x0000, 0x0007, 0x0009, 0x000C, 0x100F, 0x2812, 0x3812, 0x5012, 0x6012, 0x780F,
    0x880B, 0xA007, 0xB003, 0xC800, 0xD800, 0xF000, 0xF880, 0xF8E0, 0xF960, 0xF9E0, 0xFA60,
    0xFB60, 0xFBE0, 0xFC60, 0xFCE0, 0xFD60, 0xFDE0, 0xFE60, 0xFEE0, 0xFF60, 0xFFE0};
const PALETTE acSonarPaletteYellowToNavy = {
    0xFFFF, 0x1003, 0x1005, 0x1807, 0x1808, 0x180A, 0x280C, 0x280E, 0x2810, 0x3011, 0x30AF,
    0x318C, 0x2A8A, 0x1B27, 0x13C5, 0x0C02, 0x0500, 0x1540, 0x25A0, 0x3DE0, 0x4E40, 0x66E0,
    0x7F80, 0x8FE0, 0xA7E0, 0xB7E0, 0xCFE0, 0xD7E0, 0xDFE0, 0xE7E0, 0xF7E0, 0xFFE0};
const PALETTE acSonarPaletteRedToNavy = {
    0xFFFF, 0x0009, 0x000C, 0x000F, 0x00CF, 0x018F, 0x022F, 0x032F, 0x03EF, 0x1BEC, 0x24AC,
    0x2D8C, 0x362C, 0x4709, 0x4FE6, 0x67E3, 0x7FE0, 0x97E0, 0xAFE0, 0xCFE0, 0xE7E0, 0xFFE0,
    0xF700, 0xFE40, 0xFD60, 0xFCA0, 0xFBE0, 0xFB20, 0xFA40, 0xE240, 0xC980, 0x9000};
const PALETTE acSonarPalette4 = {
    0xFFFF, 0x07FF, 0x073F, 0x06BF, 0x065F, 0x05FC, 0x0577, 0x04F2, 0x0550, 0x05AE, 0x05EC,
    0x062A, 0x0668, 0x06A6, 0x4EC3, 0x6F00, 0x9740, 0xB780, 0xD7C0, 0xF7E0, 0xFFE0, 0xFF80,
    0xFF00, 0xFE60, 0xFDC0, 0xFD00, 0xFC60, 0xFBA0, 0xF2A0, 0xD9A0, 0xC000, 0xA800};
const PALETTE acSonarPaletteGray = {
    0xFFDF, 0xF79E, 0xEF5D, 0xE71C, 0xDEDB, 0xD69A, 0xCE59, 0xC618, 0xBDD7, 0xB596, 0xAD56,
    0xA514, 0x9CD3, 0x9492, 0x8C51, 0x8410, 0x7BCF, 0x738E, 0x6B4D, 0x630C, 0x5ACB, 0x528A,
    0x4A49, 0x4208, 0x39C7, 0x3186, 0x2945, 0x2104, 0x18C3, 0x1082, 0x0841, 0x0000};
const PALETTE acSonarPaletteGrayInv = {
    0xFFFF, 0x0000, 0x0841, 0x1082, 0x18C3, 0x2104, 0x2945, 0x3186, 0x39C7, 0x4208, 0x4A49,
    0x528A, 0x5ACB, 0x630C, 0x6B4D, 0x738E, 0x7BCF, 0x8410, 0x8C51, 0x9492, 0x9CD3, 0xA514,
    0xAD56, 0xB596, 0xBDD7, 0xC618, 0xCE59, 0xD69A, 0xDEDB, 0xE71C, 0xEF5D, 0xF79E};
const PALETTE acSonarPaletteGreen = {
    0x0000, 0x0040, 0x0080, 0x00C0, 0x0100, 0x0140, 0x0180, 0x01C0, 0x0200, 0x0240, 0x0280,
    0x02C0, 0x0300, 0x0340, 0x0380, 0x03C0, 0x0400, 0x0440, 0x0480, 0x04C0, 0x0500, 0x0540,
    0x0580, 0x05C0, 0x0600, 0x0640, 0x0680, 0x06C0, 0x0700, 0x0740, 0x0780, 0x07C0};

// ---- Imaging palettes ("SSSC", "SDSC", "SMSC") ----

const PALETTE acSideScanPaletteInv = {
    0xFFDF, 0xF79E, 0xEF5D, 0xE71C, 0xDEDB, 0xD69A, 0xCE59, 0xC618, 0xBDD7, 0xB596, 0xAD56,
    0xA514, 0x9CD3, 0x9492, 0x8C51, 0x8410, 0x7BCF, 0x738E, 0x6B4D, 0x630C, 0x5ACB, 0x528A,
    0x4A49, 0x4208, 0x39C7, 0x3186, 0x2945, 0x2104, 0x18C3, 0x1082, 0x0841, 0x0000};
const PALETTE acSideScanPaletteGray = {
    0x0000, 0x0841, 0x1082, 0x18C3, 0x2104, 0x2945, 0x3186, 0x39C7, 0x4208, 0x4A49, 0x528A,
    0x5ACB, 0x630C, 0x6B4D, 0x738E, 0x7BCF, 0x8410, 0x8C51, 0x9492, 0x9CD3, 0xA514, 0xAD56,
    0xB596, 0xBDD7, 0xC618, 0xCE59, 0xD69A, 0xDEDB, 0xE71C, 0xEF5D, 0xF79E, 0xFFDF};
const PALETTE acSideScanPaletteGreen = {
    0xFFFF, 0xFFFC, 0xFFFA, 0xFFF6, 0xFFF0, 0xFFEB, 0xFFE5, 0xFFE0, 0xE7E0, 0xBFE0, 0xAFE0,
    0x7FE0, 0x6FE0, 0x47E0, 0x27E0, 0x07E0, 0x0780, 0x0720, 0x06E0, 0x0680, 0x0640, 0x05A0,
    0x0500, 0x0460, 0x03C0, 0x0320, 0x0280, 0x0220, 0x01E0, 0x0180, 0x00E0, 0x0000};
const PALETTE acSideScanPaletteInverseBrown = {
    0xFFFF, 0xF79A, 0xF716, 0xE692, 0xE60E, 0xD58A, 0xD526, 0xC4E2, 0xC4C0, 0xB480, 0xB460,
    0xA420, 0xA400, 0x93C0, 0x9380, 0x8360, 0x8320, 0x72E0, 0x72C0, 0x6280, 0x6260, 0x5220,
    0x5200, 0x41C0, 0x4180, 0x3160, 0x3120, 0x20E0, 0x20C0, 0x1080, 0x1060, 0x0000};
const PALETTE acSideScanPaletteBlue = {
    0xFFBF, 0xF79F, 0xEF5F, 0xE71E, 0xDEDE, 0xD69E, 0xCE5D, 0xC61D, 0xBDDD, 0xB59C, 0xAD5C,
    0xA51C, 0x9CDA, 0x949A, 0x8C58, 0x8418, 0x7BD6, 0x7396, 0x6B54, 0x6314, 0x5AD2, 0x5292,
    0x4A50, 0x4210, 0x39CE, 0x318E, 0x294C, 0x210C, 0x18CA, 0x108A, 0x0848, 0x0008};
const PALETTE acSideScanPaletteAmber1 = {
    0xFFFF, 0xFFF5, 0xFFF1, 0xFFED, 0xFFEA, 0xFFE6, 0xF6E3, 0xEEA0, 0xEE60, 0xEE40, 0xEE00,
    0xE5E0, 0xE5A0, 0xE580, 0xE540, 0xDD20, 0xDCE0, 0xDCC0, 0xDC80, 0xD460, 0xC3E0, 0xB360,
    0xA2E0, 0x9280, 0x8220, 0x71C0, 0x6160, 0x5120, 0x40C0, 0x3080, 0x2060, 0x1020};
const PALETTE acSideScanPaletteAmber2 = {
    0xFFFF, 0xFFF5, 0xFFF1, 0xFFED, 0xFFEA, 0xFFE6, 0xF6E3, 0xEEA0, 0xEE60, 0xEE40, 0xFE40,
    0xFDE0, 0xFDA0, 0xFD80, 0xFD40, 0xFD20, 0xFCE0, 0xFCC0, 0xFC80, 0xFC40, 0xFBE0, 0xFB60,
    0xE2E0, 0xCA80, 0xCA20, 0xA9C0, 0x9160, 0x9120, 0x7880, 0x6080, 0x3060, 0x0000};
const PALETTE acSideScanPaletteGreenRed = {
    0xF800, 0xF800, 0xF800, 0xF800, 0xF800, 0xF800, 0xF800, 0xF800, 0xF800, 0xF800, 0xF800,
    0xF800, 0xF800, 0xF800, 0xF800, 0xF800, 0x07E0, 0x07E0, 0x07E0, 0x07E0, 0x07E0, 0x07E0,
    0x07E0, 0x07E0, 0x07E0, 0x07E0, 0x07E0, 0x07E0, 0x07E0, 0x07E0, 0x07E0, 0x0000};

// Indexed by the imaging palette value 1-8.
const PALETTE* const apImagingPalettes[SIDESCAN_LAST + 1] = {
    nullptr,
    &acSideScanPaletteInv,
    &acSideScanPaletteGray,
    &acSideScanPaletteGreen,
    &acSideScanPaletteInverseBrown,
    &acSideScanPaletteBlue,
    &acSideScanPaletteAmber1,
    &acSideScanPaletteAmber2,
    &acSideScanPaletteGreenRed,
};

const PALETTE& palette2D(U32 u32Choice)
{
    switch (u32Choice) {
    case 2:
        return acSonarPaletteYellowToNavy;
    case 3:
        return acSonarPaletteRedToNavy;
    case 4:
        return acSonarPalette4;
    case 5:
        return acSonarPaletteGray;
    case 6:
        return acSonarPaletteGrayInv;
    case 7:
        return acSonarPaletteGreen;
    default:
        return acSonarPaletteRedToPurple;
    }
}

bool bImagingPalette(U32 u32Value) { return u32Value >= SIDESCAN_FIRST && u32Value <= SIDESCAN_LAST; }

void vRedrawResampleFrame(void)
{
    vTriggerAllTotalScreenUpdate();
    vResample();
    vNewFrame();
}

void vRedrawResample360Frame(void)
{
    vTriggerAllTotalScreenUpdate();
    vResample();
    vReset360();
    vNewFrame();
}

// "SSSC" and "SDSC": a value without a palette is dropped; the menus offer
// only the eight, so such a value comes from a peer, a profile or NVRAM and
// is not worth a reset.
bool bAcceptImagingColor(const MESSAGE_NEW_DATA* p)
{
    if (bImagingPalette(p->dbValue.u32Val))
        return true;
    log_me("[%d]%s: imaging palette %u ignored\n", __LINE__, __func__, (unsigned)p->dbValue.u32Val);
    return false;
}

} // namespace

// ---- Colour table ----

void T_N_HISTORY_vSet2DColorTable(U32 u32Palette)
{
    U32 u32Choice = 1;
    H_DATABASE_bFetchU32(FCID("SSPL"), &u32Choice, nullptr, nullptr);
    COLOR_vSetColorTableSection(ENTRY_2D, PALETTE_COLOURS, palette2D(u32Choice));
    const COLOR background = u32Palette == PALETTE2 ? 0x2815 : u32Palette == PALETTE3 ? 0x0000 : 0xFFFF;
    BackGroundColor = background;
    s_colorFrequencyIndicator = u32Palette == PALETTE2 || u32Palette == PALETTE3 ? 0x8C94 : 0x424A;
    COLOR_vSetColorTableSection(ENTRY_2D, 1, &background);
}

void T_N_HISTORY_vSetSonarColorTable(U32 u32Palette)
{
    if (!bImagingPalette(u32Palette))
        return;
    COLOR_vSetColorTableSection(ENTRY_IMAGING, PALETTE_COLOURS, *apImagingPalettes[u32Palette]);
}

// ---- The four rebuilds ----
//
// The processing task categorizes columns with these tables while it holds
// the store mutex (the sweep table: the sonar-info mutex); a rebuild takes
// the same mutex so that no column mixes two tables.

namespace {

void vRebuildUnder(MUTEX mutex, GRAYSCALE_TABLE* pTable, U8 u8Sensitivity, U8 u8Gamma, U8 u8Contrast,
                   POST_PROCESS_MODE eMode, U8 u8WhiteLine)
{
    L_MUTEX_LockWait(mutex);
    S_GRAYSCALE_vRecalulateGrayScaleTable(pTable, u8Sensitivity, u8Gamma, u8Contrast, eMode, u8WhiteLine, 0);
    L_MUTEX_Unlock(mutex);
}

} // namespace

void t_n_history::vRebuild2DTable(void)
{
    vRebuildUnder(RES_TSU, &StandardBeamGrayScaleTable, s_u8FullScreenSensitivity200kHz, LINEAR, LINEAR,
                  SonarViewInfo.BottomView, s_u8WhiteLineLevel);
}

void t_n_history::vRebuildFlankviewTable(void)
{
    vRebuildUnder(RES_TSU, &SidescanGrayScaleTable, (U8)s_u32SideScanSensitivity, (U8)s_u32SideScanGamma,
                  (U8)s_u32SideScanContrast, POST_PROCESS_SIDESCAN, 0);
}

void t_n_history::vRebuildKeelviewTable(void)
{
    vRebuildUnder(RES_TSU, &KeelviewGrayScaleTable, (U8)s_u32KeelviewSensitivity, (U8)s_u32KeelviewGamma,
                  (U8)s_u32KeelviewContrast, POST_PROCESS_SIDESCAN, 0);
}

void t_n_history::vRebuild360Table(void)
{
    vRebuildUnder(RES_S_INFO, &SweepscanGrayScaleTable, (U8)s_u32SweepScanSensitivity, (U8)s_u32SweepScanGamma,
                  (U8)s_u32SweepScanContrast, POST_PROCESS_SIDESCAN, 0);
}

// ---- Handlers ----

void t_n_history::vHandle2DPalette(const MESSAGE_NEW_DATA*)
{
    U32 u32System = 1;
    H_DATABASE_bFetchU32(FCID("SPAL"), &u32System, nullptr, nullptr);
    T_N_HISTORY_vSet2DColorTable(u32System);
    vRebuild2DTable();
    vRedrawResampleFrame();
}

void t_n_history::vHandleSystemPalette(const MESSAGE_NEW_DATA* p)
{
    T_N_HISTORY_vSet2DColorTable(p->dbValue.u32Val);
    vRebuild2DTable();
    vRedrawResampleFrame();
}

void t_n_history::vHandleFVColor(const MESSAGE_NEW_DATA* p)
{
    if (!bAcceptImagingColor(p))
        return;
    s_u32FVColor = p->dbValue.u32Val;
    T_N_HISTORY_vSetSonarColorTable(s_u32FVColor);
    FvZoomWin.bForceUpdate = TRUE;
    vRebuildFlankviewTable();
    vRedrawResampleFrame();
}

void t_n_history::vHandleKVColor(const MESSAGE_NEW_DATA* p)
{
    if (!bAcceptImagingColor(p))
        return;
    s_u32KVColor = p->dbValue.u32Val;
    T_N_HISTORY_vSetSonarColorTable(s_u32KVColor);
    KvZoomWin.bForceUpdate = TRUE;
    vRebuildKeelviewTable();
    vRedrawResampleFrame();
}

void t_n_history::vHandle360Color(const MESSAGE_NEW_DATA* p)
{
    s_u32SweepscanColor = p->dbValue.u32Val;
    T_N_HISTORY_vSetSonarColorTable(s_u32SweepscanColor);
    vRebuild360Table();
    vReset360();
    vNewFrame();
}

void t_n_history::vHandleFVSensitivity(const MESSAGE_NEW_DATA* p)
{
    s_u32SideScanSensitivity = p->dbValue.u32Val;
    T_N_HISTORY_vSetSonarColorTable(s_u32FVColor);
    if (s_u32SideScanSensitivity == 0) {
        s_bSideScanAutoSensitivity = TRUE;
    } else {
        vRebuildFlankviewTable();
        s_bSideScanAutoSensitivity = FALSE;
    }
    FvZoomWin.bForceUpdate = TRUE;
    vRedrawResample360Frame();
}

void t_n_history::vHandleKVSensitivity(const MESSAGE_NEW_DATA* p)
{
    s_u32KeelviewSensitivity = p->dbValue.u32Val;
    if (s_u32KeelviewSensitivity == 0) {
        s_bKeelviewAutoSensitivity = TRUE;
    } else {
        KvZoomWin.bForceUpdate = TRUE;
        T_N_HISTORY_vSetSonarColorTable(s_u32KVColor);
        vRebuildKeelviewTable();
        s_bKeelviewAutoSensitivity = FALSE;
    }
    vRedrawResampleFrame();
}

void t_n_history::vHandle360Sensitivity(const MESSAGE_NEW_DATA* p)
{
    s_u32SweepScanSensitivity = p->dbValue.u32Val;
    T_N_HISTORY_vSetSonarColorTable(s_u32SweepscanColor);
    if (s_u32SweepScanSensitivity == 0) {
        s_u32SweepScanSensitivity = S_GRAYSCALE_pu8GetSSSensitivityLE(FCID("SSF4"), AUTO_SENSITIVITY_360);
        vRebuild360Table();
        s_bSweepScanAutoSensitivity = TRUE;
    } else {
        vRebuild360Table();
        s_bSweepScanAutoSensitivity = FALSE;
    }
    vReset360();
    vNewFrame();
}

void t_n_history::vHandleFVContrast(const MESSAGE_NEW_DATA* p)
{
    if (p->dbValue.u32Val == s_u32SideScanContrast)
        return;
    s_u32SideScanContrast = p->dbValue.u32Val;
    T_N_HISTORY_vSetSonarColorTable(s_u32FVColor);
    if (s_u32SideScanGamma != LINEAR) {
        s_u32SideScanGamma = LINEAR;
        H_DATABASE_bUpdateEverythingU32(FCID("SSSG"), LINEAR, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    }
    T_N_HISTORY_vSetSonarColorTable(s_u32FVColor);
    FvZoomWin.bForceUpdate = TRUE;
    vRebuildFlankviewTable();
    T_N_HISTORY_vSetSonarColorTable(s_u32KVColor);
    vRebuildKeelviewTable();
    vRedrawResample360Frame();
}

void t_n_history::vHandleKVContrast(const MESSAGE_NEW_DATA* p)
{
    if (p->dbValue.u32Val == s_u32KeelviewContrast)
        return;
    s_u32KeelviewContrast = p->dbValue.u32Val;
    if (s_u32KeelviewGamma != LINEAR) {
        s_u32KeelviewGamma = LINEAR;
        H_DATABASE_bUpdateEverythingU32(FCID("SDSG"), LINEAR, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    }
    KvZoomWin.bForceUpdate = TRUE;
    T_N_HISTORY_vSetSonarColorTable(s_u32KVColor);
    vRebuildKeelviewTable();
    vRedrawResampleFrame();
}

void t_n_history::vHandle360Contrast(const MESSAGE_NEW_DATA* p)
{
    if (p->dbValue.u32Val == s_u32SweepScanContrast)
        return;
    T_N_HISTORY_vSetSonarColorTable(s_u32SweepscanColor);
    s_u32SweepScanContrast = p->dbValue.u32Val;
    if (s_u32SweepScanGamma != LINEAR) {
        s_u32SweepScanGamma = LINEAR;
        H_DATABASE_bUpdateEverythingU32(FCID("SMSG"), LINEAR, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    }
    vRebuild360Table();
    vReset360();
    vNewFrame();
}

void t_n_history::vHandleFVFilter(const MESSAGE_NEW_DATA* p)
{
    s_u32SideScanFilter = p->dbValue.u32Val;
    T_N_HISTORY_vSetSonarColorTable(s_u32FVColor);
    FvZoomWin.bForceUpdate = TRUE;
    vRebuildFlankviewTable();
    T_N_HISTORY_vSetSonarColorTable(s_u32KVColor);
    vRebuildKeelviewTable();
    vRedrawResampleFrame();
}

void t_n_history::vHandleKVFilter(const MESSAGE_NEW_DATA* p)
{
    KvZoomWin.bForceUpdate = TRUE;
    s_u32KeelviewFilter = p->dbValue.u32Val;
    T_N_HISTORY_vSetSonarColorTable(s_u32KVColor);
    vRebuildKeelviewTable();
    vRedrawResampleFrame();
}

void t_n_history::vHandle360Filter(const MESSAGE_NEW_DATA* p)
{
    s_u32SweepScanFilter = p->dbValue.u32Val;
    vRebuild360Table();
    vReset360();
    vNewFrame();
}

void t_n_history::vHandleFVFrequency(const MESSAGE_NEW_DATA* p)
{
    const FOURCHARID fcid = p->dbValue.u32Val;
    if ((fcid == FCID("SSF3") && !(s_u32SupportedBeams & BEAM_262KHZ_FV)) ||
        (fcid == FCID("SSF5") && !(s_u32SupportedBeams & BEAM_800KHZ_FV)))
        return;
    s_fcidSideViewFreq = fcid;
    vRebuildFlankviewTable();
    T_N_HISTORY_vSetSonarColorTable(s_u32KVColor);
    vRebuildKeelviewTable();
    vRedrawResampleFrame();
}

void t_n_history::vHandlePictureSources(const MESSAGE_NEW_DATA*)
{
    vRebuild2DTable();
    vRebuildFlankviewTable();
    vRebuildKeelviewTable();
    vRedrawResampleFrame();
}
