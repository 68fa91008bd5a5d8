// The column adder: after every ping the processing task asks for the
// display columns the ping is worth, and this turns the beam's newest
// accumulated data into one column per window that shows the beam, into the
// blend window of its group, into the beam's column store and into its fish
// history. It runs in the processing task's thread while the view task
// copies the same bitmaps, so every bitmap write holds the history's mutex
// (4) and every store write holds mutex 27; the two are never nested.
//
// A ping that is worth several columns draws one new column and repeats it:
// the accumulator reports no new data for the later ones.
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_fusion.h"
#include "sonar/history/t_n_history_standins.h"
#include "sonar/neighbour_standins.h"
#include "sonar/history/t_n_history_state.h"

#include "graphics/g_pixel.h"
#include "kernel/error.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_filter.h"
#include "sonar/dsp/s_fishid.h"
#include "sonar/dsp/s_grayscale.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/process/t_n_process.h"
#include "store/h_database.h"
#include "ui/u_view.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace t_n_history;

namespace {

// ---- Constants ----

constexpr U32 COLUMN_MAX = 800;
constexpr U32 STATE_PLAYBACK = 11;
constexpr U8 TRANSDUCER_NONE = 15;
constexpr U32 AVERAGE_DEPTH_COLUMNS = 5;
constexpr U8 SOURCE_2D = 0;
constexpr U8 SOURCE_IMAGING = 1;

// ---- Working columns (processing thread only) ----

U8 au8MainColumn[COLUMN_MAX];
U8 au8ZoomColumn[COLUMN_MAX];
U8 au8KeelviewColumn[COLUMN_MAX];
U8 au8KeelviewColumnSave[COLUMN_MAX];
COLOR s_aColorColumnKeelview[COLUMN_MAX];
BOOLEAN sbKvFilterNeedsInit = TRUE;
S32 s32Line = 0;
U8 su8Filter[3 * 600];
SONAR_WINDOW default_sonar_window;
U32 s_u32SideDampedPeak = 0;
U32 s_u32DownDampedPeak = 0;
BOOLEAN (*s_pfnIsMyChartView)(void) = nullptr;

bool bIn(U8 v, std::initializer_list<U8> set)
{
    return std::find(set.begin(), set.end(), v) != set.end();
}

bool bViewIn(LAYER_ID v, std::initializer_list<LAYER_ID> set)
{
    return std::find(set.begin(), set.end(), v) != set.end();
}

bool bImagingBeam(BEAM Beam, U8 u8Imaging)
{
    return ((Beam == 2 || Beam == 3) && bIn(u8Imaging, {5, 9, 10, 16})) ||
           (Beam == 3 && bIn(u8Imaging, {15, 17, 18}));
}

bool bPlayback(void) { return s_u32SystemState == STATE_PLAYBACK; }

// ---- Bitmap columns ----

COLOR* pcolColumnTop(const SONAR_HISTORY* pHistory, U32 u32Column)
{
    return G_PIXEL_pcolPhysical(pHistory->pBmp, static_cast<PIXEL>(u32Column), 0);
}

U32 u32Stride(const SONAR_HISTORY* pHistory) { return pHistory->pBmp->__u32PixelWidthOfBuffer; }

U32 u32Rows(const SONAR_HISTORY* pHistory) { return pHistory->pBmp->pixels_high_full_screen; }

// Caller holds the history's mutex.
void vFillColumn(SONAR_HISTORY* pHistory, U32 u32Column, U32 u32FromRow, U32 u32ToRowExclusive, COLOR color)
{
    COLOR* p = pcolColumnTop(pHistory, u32Column);
    const U32 stride = u32Stride(pHistory);
    for (U32 r = u32FromRow; r < u32ToRowExclusive; ++r)
        p[r * stride] = color;
}

} // namespace

// ---- Ring advance ----

U16 t_n_history::u16GetFreeColumn(const SONAR_HISTORY* pHistory, U16 u16Column)
{
    const U32 wide = pHistory->pBmp->pixels_wide;
    if (wide == 0)
        return 0;
    if (s_bReverseScroll)
        return static_cast<U16>(u16Column == 0 ? wide - 1 : u16Column - 1u);
    return static_cast<U16>(u16Column + 1u >= wide ? 0 : u16Column + 1u);
}

void t_n_history::vAdvanceHistory(SONAR_HISTORY* pHistory)
{
    __atomic_store_n(&pHistory->u16NextFreeColumn, u16GetFreeColumn(pHistory, pHistory->u16NextFreeColumn),
                     __ATOMIC_RELAXED);
}

SONAR_WINDOW t_n_history::tCopyWindow(const SONAR_WINDOW& Window)
{
    SONAR_WINDOW tCopy;
    const size_t field = offsetof(SONAR_WINDOW, ScreenHistory) + offsetof(SONAR_HISTORY, u16NextFreeColumn);
    const size_t after = field + sizeof(Window.ScreenHistory.u16NextFreeColumn);
    memcpy(reinterpret_cast<char*>(&tCopy), reinterpret_cast<const char*>(&Window), field);
    memcpy(reinterpret_cast<char*>(&tCopy) + after, reinterpret_cast<const char*>(&Window) + after,
           sizeof(SONAR_WINDOW) - after);
    tCopy.ScreenHistory.u16NextFreeColumn = __atomic_load_n(&Window.ScreenHistory.u16NextFreeColumn, __ATOMIC_RELAXED);
    return tCopy;
}

void t_n_history::vDrawColumnInHistory(const COLOR* pNewColumn, SONAR_HISTORY* pHistory, U32 u32UpperPixel,
                                       U32 u32LowerPixel)
{
    L_MUTEX_LockWait(pHistory->Resource);
    const U32 rows = u32Rows(pHistory);
    if (u32UpperPixel < rows && u32LowerPixel <= u32UpperPixel) {
        COLOR* p = pcolColumnTop(pHistory, pHistory->u16NextFreeColumn);
        const U32 stride = u32Stride(pHistory);
        for (U32 k = 0; k <= u32UpperPixel - u32LowerPixel; ++k)
            p[(rows - 1 - (u32UpperPixel - k)) * stride] = pNewColumn[k];
        vFillColumn(pHistory, pHistory->u16NextFreeColumn, rows - u32LowerPixel, rows, BackGroundColor);
    }
    vAdvanceHistory(pHistory);
    L_MUTEX_Unlock(pHistory->Resource);
}

void t_n_history::vDuplicateColumnInHistory(SONAR_HISTORY* pHistory)
{
    L_MUTEX_LockWait(pHistory->Resource);
    const U32 wide = pHistory->pBmp->pixels_wide;
    const U32 next = pHistory->u16NextFreeColumn;
    U32 previous;
    if (s_bReverseScroll)
        previous = next + 1 >= wide ? 0 : next + 1;
    else
        previous = next == 0 ? wide - 1 : next - 1;
    const COLOR* src = pcolColumnTop(pHistory, previous);
    COLOR* dst = pcolColumnTop(pHistory, next);
    const U32 stride = u32Stride(pHistory);
    for (U32 r = 0; r < u32Rows(pHistory); ++r)
        dst[r * stride] = src[r * stride];
    vAdvanceHistory(pHistory);
    L_MUTEX_Unlock(pHistory->Resource);
}

void t_n_history::vClearColumnInHistory(SONAR_HISTORY* pHistory, BOOLEAN bAdvance)
{
    L_MUTEX_LockWait(pHistory->Resource);
    vFillColumn(pHistory, pHistory->u16NextFreeColumn, 0, u32Rows(pHistory), BackGroundColor);
    if (bAdvance)
        vAdvanceHistory(pHistory);
    L_MUTEX_Unlock(pHistory->Resource);
}

// Never advances the target: its column is opened and closed by the group's
// second beam.
void t_n_history::vBlendColumnInHistory(const COLOR* pColumn, const SONAR_WINDOW* pTarget,
                                        BLENDING_FUNCTION* pfBlend, BOOLEAN bNoise, U32 u32UpperSample,
                                        U32 u32LowerSample)
{
    if (pfBlend == nullptr || pTarget->u32HistoryHeight == 0)
        return;
    SONAR_HISTORY* pHistory = const_cast<SONAR_HISTORY*>(&pTarget->ScreenHistory);
    const U32 height = std::min(pTarget->u32HistoryHeight, COLUMN_MAX);
    const U32 rows = u32Rows(pHistory);
    const U32 span = u32LowerSample > u32UpperSample ? u32LowerSample - u32UpperSample : 0;
    const U32 step = height > 1 ? span * 256 / (height - 1) : 0;
    const COLOR background = BackGroundColor;
    L_MUTEX_LockWait(pHistory->Resource);
    COLOR* p = pcolColumnTop(pHistory, pHistory->u16NextFreeColumn);
    const U32 stride = u32Stride(pHistory);
    for (U32 i = 0; i < height && i < rows; ++i) {
        const COLOR c = pfBlend(pColumn[i], u32UpperSample + (step * i) / 256, bNoise);
        if (c != background)
            p[i * stride] = c;
    }
    L_MUTEX_Unlock(pHistory->Resource);
}

U32 t_n_history::u32MetresToSamples(float fMetres)
{
    const U32 sos = std::max<U32>(g_u32SpeedOfSoundInWater.load(), 1);
    return (static_cast<U32>(fMetres * 2000000.0f / static_cast<float>(sos)) + 13) / 26;
}

U32 t_n_history::u32DepthToPixel(float fDepthMetres, float fUpperMetres, float fLowerMetres, U32 u32Height)
{
    if (fDepthMetres <= fUpperMetres)
        return 0;
    if (fDepthMetres > fLowerMetres || fLowerMetres <= fUpperMetres)
        return u32Height;
    return static_cast<U32>((fDepthMetres - fUpperMetres) * static_cast<float>(u32Height) /
                                (fLowerMetres - fUpperMetres) +
                            0.5f);
}

void T_N_HISTORY_vInstallChartViewQuery(BOOLEAN (*pfnIsMyChartView)(void)) { s_pfnIsMyChartView = pfnIsMyChartView; }

namespace {

// ---- Steps of one column ----

// The newest non-zero depth of the last five store columns before u32Column.
float fRecentDepth(const FULL_SCREEN_TSU* pStore, U32 u32Column)
{
    for (U32 i = 0; i < AVERAGE_DEPTH_COLUMNS; ++i) {
        const U32 c = (u32Column + TSU_STORE_COLUMNS - i) % TSU_STORE_COLUMNS;
        if (pStore->aTsuStore[c].fDepthMetres > 0.0f)
            return pStore->aTsuStore[c].fDepthMetres;
    }
    return 0.0f;
}

void vBlankStoreColumn(TSU_STORE_COLUMN* p)
{
    p->u32SamplesInStore = 0;
    p->Location.bPositionValid = FALSE;
    p->bNoiseTooHighForBlend = FALSE;
    p->fDepthMetres = 0.0f;
    p->u32TimeStamp = 0;
    p->HeadingSource = HEADING_SOURCE_NO_DATA;
    p->fHeadingTrueDegrees = 0.0f;
    p->u32PingIndex = 0;
}

void vAutoSensitivity(U8 u8Imaging, BEAM Beam)
{
    const bool bSide = s_bSideScanAutoSensitivity && bIn(u8Imaging, {5, 9, 10, 16}) && (Beam == 2 || Beam == 3);
    const bool bDown = s_bKeelviewAutoSensitivity && bIn(u8Imaging, {5, 9, 10, 16, 15, 17, 18});
    if (!bSide && !bDown)
        return;
    const U32 peak = *std::max_element(au8MainColumn, au8MainColumn + COLUMN_MAX);
    const U32 lo = S_GRAYSCALE_pu8GetSSSensitivityUE(s_fcidSideViewFreq, 20);
    const U32 hi = S_GRAYSCALE_pu8GetSSSensitivityUE(s_fcidSideViewFreq, 1);
    const U32 lowest = std::min(lo, hi), highest = std::max(lo, hi);
    U32& damped = bSide ? s_u32SideDampedPeak : s_u32DownDampedPeak;
    damped = std::clamp((damped * 1000 + peak * 24) >> 10, lowest, highest);
    const U32 clip = std::clamp(((damped * 308) & 0xFFFF) / 256, lowest, highest);
    GRAYSCALE_TABLE* pTable = bSide ? &SidescanGrayScaleTable : &KeelviewGrayScaleTable;
    S_GRAYSCALE_vRecalulateGrayScaleTableDirect(pTable, POST_PROCESS_SIDESCAN,
                                                S_GRAYSCALE_pu8GetSSSensitivityLE(s_fcidSideViewFreq, 20),
                                                static_cast<U8>(clip), 0);
    vTriggerAllTotalScreenUpdate();
    bForceResample = TRUE;
}

void vScaleQuadBeamColumnData(U8* p, U32 n)
{
    for (U32 i = 0; i < n; ++i)
        p[i] = static_cast<U8>(std::min<U32>(p[i] / 2u + 2u * p[i], 255u));
}

// The edge column of a reverse playback goes back to the data store, so the
// position, heading and depth on screen follow the picture.
void vReplayColumn(const TSU_STORE_COLUMN* p, BEAM Beam, U8 u8Imaging)
{
    if (p->Location.bPositionValid) {
        H_DATABASE_bUpdateEverythingS32(FCID("ILAT"), p->Location.s32LatitudeMM, P_NORMAL, D_POSITION_LAT_MM,
                                        nullptr, DB_TIMEOUT_NEVER);
        H_DATABASE_bUpdateEverythingS32(FCID("ILON"), p->Location.s32LongitudeMM, P_NORMAL, D_POSITION_LON_MM,
                                        nullptr, DB_TIMEOUT_NEVER);
        H_DATABASE_bUpdateEverythingFloat(FCID("IHDG"), p->fHeadingTrueDegrees, P_NORMAL, D_HEADING, nullptr,
                                          DB_TIMEOUT_NEVER);
        if (s_pfnIsMyChartView != nullptr && s_pfnIsMyChartView())
            L_SEMA_Signal(SEMA_VIEW_UPDATE);
    }
    T_N_PROCESS_vUpdateDepthInDatabase(p->fDepthMetres);
    FOURCHARID key = 0;
    if (Beam == 1)
        key = FCID("IDE2");
    else if (Beam == 0)
        key = FCID("IDE8");
    else if (bIn(u8Imaging, {15, 17, 18}))
        key = FCID("IDE4");
    if (key != 0)
        H_DATABASE_bUpdateEverythingFloat(key, p->fDepthMetres, P_NORMAL, D_DEPTH, nullptr, DB_TIMEOUT_NEVER);
}

void vEndFillBookkeeping(void)
{
    const SONAR_WINDOW& w0 = SonarViewInfo.Window[0];
    const BEAM beam = w0.Beam == 0 ? 0 : 1;
    const FULL_SCREEN_TSU* pStore = s_sBeamInfo[beam].pTSUStore;
    if (pStore == nullptr) {
        ERROR_error("t_n_history", __LINE__, "No TSUStore for Window 0");
        U_RESET_vReset(FALSE, FALSE);
    }
    if (!s_bEndFill) {
        if (pStore->u32ColumnsInUse == 0)
            H_DATABASE_bUpdateEverythingU32(FCID("CPSP"), PLAYBACK_MODE_BEGIN, P_NORMAL, D_UNKNOWN, nullptr,
                                            DB_TIMEOUT_NEVER);
        return;
    }
    H_DATABASE_bUpdateEverythingU32(FCID("CTCU"), 819 - std::min<U32>(pStore->u32NextFreeColumn, 819), P_NORMAL,
                                    D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    if (pStore->u32NextFreeColumn < 2) {
        H_DATABASE_bUpdateEverythingU32(FCID("CPSP"), PLAYBACK_MODE_PAUSED_END, P_NORMAL, D_UNKNOWN, nullptr,
                                        DB_TIMEOUT_NEVER);
        T_MMC_vSetEndFillDone();
        s_bWaitEndFillDone = TRUE;
    }
}

struct GROUP {
    BEAM aBeams[2];
    U32 u32Count;
    BEAM Target;
    bool bFresh;
};

bool bGroupOf(BEAM Beam, U8 u8Source0, GROUP* g)
{
    const bool bNone = u8Source0 == TRANSDUCER_NONE;
    switch (Beam) {
    case 0:
    case 1:
        *g = {{0, 1}, 2, 4, Beam == 1};
        return true;
    case 2:
        *g = bNone ? GROUP{{2, 0}, 1, SONAR_NO_BEAM, false} : GROUP{{2, 3}, 2, 5, false};
        return true;
    case 3:
        *g = bNone ? GROUP{{3, 0}, 1, 5, true} : GROUP{{2, 3}, 2, 5, true};
        return true;
    default:
        return false;
    }
}

SONAR_WINDOW* pTargetMain(BEAM Target) { return Target < SONAR_BEAMS ? s_sBeamInfo[Target].pMain : nullptr; }
SONAR_WINDOW* pTargetZoom(BEAM Target) { return Target < SONAR_BEAMS ? s_sBeamInfo[Target].pZoom : nullptr; }

void vOneColumn(BEAM Beam, const GROUP& g, U8 u8Imaging)
{
    BEAM_INFO& info = s_sBeamInfo[Beam];
    BEAM_INFO* pTarget = g.Target < SONAR_BEAMS ? &s_sBeamInfo[g.Target] : nullptr;
    const bool bNotPingingInPlayback = bPlayback() && !info.bPinging;

    // 2: open a fresh column in the target's windows.
    if (g.bFresh && pTarget != nullptr) {
        for (SONAR_WINDOW* w : {pTargetMain(g.Target), pTargetZoom(g.Target)})
            if (w != nullptr)
                vClearColumnInHistory(&w->ScreenHistory, FALSE);
        pTarget->bFishListDirty = FALSE;
    }

    // 3 and 4.
    const bool bImaging = bImagingBeam(Beam, u8Imaging);
    const GRAYSCALE_TABLE* pTable = bImaging ? &SidescanGrayScaleTable : &StandardBeamGrayScaleTable;
    SONAR_WINDOW* pMain = info.pMain != nullptr ? info.pMain : pTargetMain(g.Target);
    if (pMain == nullptr)
        pMain = &default_sonar_window;
    SONAR_WINDOW* pZoom = info.pZoom != nullptr ? info.pZoom : pTargetZoom(g.Target);
    const U32 mainHeight = std::min(pMain->u32HistoryHeight, COLUMN_MAX);
    const U32 zoomHeight = pZoom != nullptr ? std::min(pZoom->u32HistoryHeight, COLUMN_MAX) : 0;
    SONAR_WINDOW* pKeel = g.Target == 5 ? pTargetMain(5) : nullptr;
    if (pKeel != nullptr && (pKeel->u32HistoryHeight == 0 || pKeel->u32HistoryHeight > 600))
        pKeel = nullptr;
    const U32 keelHeight = pKeel != nullptr ? pKeel->u32HistoryHeight : 0;
    const U32 keelOffset = pKeel != nullptr ? pKeel->u32UpperSample : 0;
    const U32 keelCount = pKeel != nullptr && pKeel->u32LowerSample > keelOffset ? pKeel->u32LowerSample - keelOffset : 0;
    bool bKeelviewColumn = false;

    // 5: the data request, with the store under mutex 27.
    FULL_SCREEN_TSU* pStore = info.pTSUStore;
    if (pStore == nullptr)
        return;
    L_MUTEX_LockWait(RES_TSU);
    const U32 index = pStore->u32NextFreeColumn % TSU_STORE_COLUMNS;
    TSU_STORE_COLUMN* pColumn = &pStore->aTsuStore[index];
    U32 mainOffset = pMain->u32UpperSample;
    U32 mainCount = pMain->u32LowerSample > pMain->u32UpperSample ? pMain->u32LowerSample - pMain->u32UpperSample : 0;
    if (bImaging && s_bTerrainMode) {
        const float lower = pMain->fLowerDisplayedMetres, depth = s_fCurrentDepth;
        const float h = lower * lower > depth * depth ? std::sqrt(lower * lower - depth * depth) : 0.0f;
        mainCount = u32MetresToSamples(h);
    }
    U32 zoomOffset = 0, zoomCount = 0, zoomTop = 0;
    if (pZoom != nullptr) {
        zoomOffset = pZoom->u32UpperSample;
        zoomCount = pZoom->u32LowerSample > zoomOffset ? pZoom->u32LowerSample - zoomOffset : 0;
        if (SonarViewInfo.bBottomLockZoom) {
            const U32 depth = T_N_PROCESS_u32GetSmoothedDepthInSamples(Beam);
            const U32 above = pZoom->u32UpperSample, below = pZoom->u32LowerSample;
            zoomCount = above + below;
            if (depth >= above) {
                zoomOffset = depth - above;
            } else {
                zoomOffset = 0;
                zoomTop = zoomCount > 0 ? (above - depth) * zoomHeight / zoomCount : 0;
                zoomCount = below + depth;
            }
        }
    }
    std::memset(au8ZoomColumn, 0, sizeof au8ZoomColumn);
    BOOLEAN bNoise = FALSE;
    const ACCUMULATOR_STATUS status = T_N_PROCESS_eGetDataForDisplay(
        Beam, pColumn, au8MainColumn, mainOffset, mainCount, pZoom != nullptr ? au8ZoomColumn + zoomTop : nullptr,
        zoomOffset, zoomCount, pKeel != nullptr ? au8KeelviewColumn : nullptr, keelOffset, keelCount, &info.FishList,
        mainHeight, zoomHeight - std::min(zoomTop, zoomHeight), keelHeight, bForceResample, &bNoise);

    // 6: the store column and the fish history by result.
    const bool bNew = status == ACCUMULATOR_HAD_NEW_DATA;
    if (status == ACCUMULATOR_HAD_NO_DATA || (status == ACCUMULATOR_HAD_NO_NEW_DATA && !info.bPinging)) {
        vBlankStoreColumn(pColumn);
        S_FISHID_vAddEmptyFishTargetListToHistory(&info.FishHistory);
    } else if (status == ACCUMULATOR_HAD_NO_NEW_DATA) {
        const U32 previous = (index + TSU_STORE_COLUMNS - 1) % TSU_STORE_COLUMNS;
        S_TSU_vCopyTsuColumn(pColumn, &pStore->aTsuStore[previous]);
        S_FISHID_vDuplicateFishTargetListInHistory(&info.FishHistory);
    } else {
        S_FISHID_vAddFishTargetListToHistory(&info.FishHistory, &info.FishList);
        if (SonarViewInfo.bFishID && s_FishAlarmSize != 0)
            S_FISHID_vCheckAlarm(&info.FishHistory, static_cast<FISH_SIZE_ALARM>(s_FishAlarmSize));
        if (pTarget != nullptr) {
            if (!pTarget->bFishListDirty) {
                S_FISHID_vCopyFishTargetList(&pTarget->FishList, &info.FishList);
                pTarget->bFishListDirty = TRUE;
            } else {
                S_FISHID_vMergeFishTargetLists(&pTarget->FishList, &info.FishList);
            }
        }

        // 7-10: the main colour column.
        U32 black = mainHeight;
        if (SonarViewInfo.BottomView == POST_PROCESS_BOTTOM_BLACK && !bImaging)
            black = u32DepthToPixel(fRecentDepth(pStore, index), pMain->fUpperDisplayedMetres,
                                    pMain->fLowerDisplayedMetres, mainHeight);
        if (bImaging)
            vAutoSensitivity(u8Imaging, Beam);
        if ((Beam == 2 || Beam == 3) && u8Imaging == 2)
            vScaleQuadBeamColumnData(au8MainColumn, mainHeight);
        S_GRAYSCALE_vCategorize(au8MainColumn, s_aColorColumnMain[Beam], mainHeight, pTable, black, info.s8Gain);
        // 11: the left element's samples wait for the right one's; a
        // single down-looking element is fused with itself.
        if (pKeel != nullptr) {
            const bool bSingle = bIn(u8Imaging, {15, 17, 18});
            if (Beam == 2 && !bSingle) {
                std::memcpy(au8KeelviewColumnSave, au8KeelviewColumn, keelHeight);
            } else if (Beam == 3) {
                if (bSingle)
                    std::memcpy(au8KeelviewColumnSave, au8KeelviewColumn, keelHeight);
                vCombineKeelviewBeams(au8KeelviewColumnSave, au8KeelviewColumn, au8KeelviewColumnSave);
                if (sbKvFilterNeedsInit) {
                    std::memset(su8Filter, 0, sizeof su8Filter);
                    s32Line = 0;
                    sbKvFilterNeedsInit = FALSE;
                }
                if (s_u32KeelviewFilter != 0)
                    S_FILTER_v2D_Flankview_Filter(keelHeight, au8KeelviewColumnSave, au8KeelviewColumnSave,
                                                  static_cast<FILTER_TYPE>(s_u32KeelviewFilter.load()), &s32Line, su8Filter,
                                                  600);
                S_GRAYSCALE_vCategorize(au8KeelviewColumnSave, s_aColorColumnKeelview, keelHeight,
                                        &KeelviewGrayScaleTable, keelHeight, info.s8Gain);
                bKeelviewColumn = true;
            }
        }
        // 12: the zoom colour column against the zoom window's range.
        if (pZoom != nullptr) {
            U32 zoomBlack = zoomHeight;
            if (SonarViewInfo.BottomView == POST_PROCESS_BOTTOM_BLACK && !bImaging)
                zoomBlack = u32DepthToPixel(fRecentDepth(pStore, index), pZoom->fUpperDisplayedMetres,
                                            pZoom->fLowerDisplayedMetres, zoomHeight);
            S_GRAYSCALE_vCategorize(au8ZoomColumn, s_aColorColumnZoom, zoomHeight, pTable, zoomBlack, info.s8Gain);
        }
    }

    // 13: the store advances.
    if (!s_bReverseScroll) {
        pStore->u32NextFreeColumn = index + 1 >= TSU_STORE_COLUMNS ? 0 : index + 1;
        pStore->u32ColumnsInUse = std::min(pStore->u32ColumnsInUse + 1, TSU_STORE_COLUMNS);
    } else {
        pStore->u32NextFreeColumn = index == 0 ? TSU_STORE_COLUMNS - 1 : index - 1;
        vReplayColumn(&pStore->aTsuStore[pStore->u32NextFreeColumn], Beam, u8Imaging);
    }
    if (s_bEndFill && bNew)
        pStore->u32ColumnsInUse = std::min(pStore->u32ColumnsInUse + 1, TSU_STORE_COLUMNS);
    if (bNotPingingInPlayback && pStore->u32ColumnsInUse > 0)
        --pStore->u32ColumnsInUse;
    L_MUTEX_Unlock(RES_TSU);

    // 14: the beam's own main window.
    const auto bSkipAtEndFill = [](const SONAR_WINDOW* w) {
        return s_bEndFill && w->ScreenHistory.u16NextFreeColumn == 1;
    };
    if (info.pMain != nullptr && !bSkipAtEndFill(info.pMain)) {
        SONAR_HISTORY* h = &info.pMain->ScreenHistory;
        if (bNew)
            vDrawColumnInHistory(s_aColorColumnMain[Beam], h, u32Rows(h) - 1, u32Rows(h) - mainHeight);
        else if (bNotPingingInPlayback)
            vClearColumnInHistory(h, TRUE);
        else
            vDuplicateColumnInHistory(h);
    }

    // 15: the group's colours into the blend target; the Keelview window
    // takes the fused column once the right element has made it (the left
    // element's blend would land in the column the right one clears).
    SONAR_WINDOW* pBlendMain = pTargetMain(g.Target);
    if (pBlendMain != nullptr && g.Target == 4 && bNew && !bSkipAtEndFill(pBlendMain))
        vBlendColumnInHistory(s_aColorColumnMain[Beam], pBlendMain, info.pfBlend, bNoise, pBlendMain->u32UpperSample,
                              pBlendMain->u32LowerSample);
    else if (pBlendMain != nullptr && bKeelviewColumn && !bSkipAtEndFill(pBlendMain))
        vBlendColumnInHistory(s_aColorColumnKeelview, pBlendMain, info.pfBlend, bNoise, pBlendMain->u32UpperSample,
                              pBlendMain->u32LowerSample);

    // 16: the zoom window.
    if (info.pZoom != nullptr && !bSkipAtEndFill(info.pZoom)) {
        SONAR_HISTORY* h = &info.pZoom->ScreenHistory;
        if (bNew)
            vDrawColumnInHistory(s_aColorColumnZoom, h, u32Rows(h) - 1, u32Rows(h) - zoomHeight);
        else if (bNotPingingInPlayback)
            vClearColumnInHistory(h, TRUE);
        else
            vDuplicateColumnInHistory(h);
    } else if (pZoom != nullptr && g.Target == 4 && bNew) {
        vBlendColumnInHistory(s_aColorColumnZoom, pZoom, info.pfBlend, bNoise, zoomOffset, zoomOffset + zoomCount);
    }

    // 17: close the fresh target column.
    if (g.bFresh && pTarget != nullptr) {
        if (!s_bEndFill)
            for (SONAR_WINDOW* w : {pTargetMain(g.Target), pTargetZoom(g.Target)})
                if (w != nullptr) {
                    L_MUTEX_LockWait(w->ScreenHistory.Resource);
                    vAdvanceHistory(&w->ScreenHistory);
                    L_MUTEX_Unlock(w->ScreenHistory.Resource);
                }
        if (pTarget->bFishListDirty)
            S_FISHID_vAddFishTargetListToHistory(&pTarget->FishHistory, &pTarget->FishList);
        else
            S_FISHID_vDuplicateFishTargetListInHistory(&pTarget->FishHistory);
    }

    // 18.
    if (bPlayback() && s_bReverseScroll)
        vEndFillBookkeeping();
    bForceResample = FALSE;
}

void vClosingSteps(void)
{
    vProcessTemperature();
    const LAYER_ID view = U_VIEW_eCurrentView();
    // The range mode is changed by the history task under mutex 28.
    L_MUTEX_LockWait(RES_S_INFO);
    if (!SonarViewInfo.Window[0].bManualDepthRange) {
        vAutoSelectLowerDepthRange();
        vCalculateDisplayedDepthRanges(FALSE);
        if (view == VIEW_DUAL_BEAM) {
            SONAR_WINDOW& w0 = SonarViewInfo.Window[0];
            SONAR_WINDOW& w1 = SonarViewInfo.Window[1];
            w1.fUpperDisplayedMetres = w0.fUpperDisplayedMetres;
            w1.fLowerDisplayedMetres = w0.fLowerDisplayedMetres;
            w1.u32UpperDigits = w0.u32UpperDigits;
            w1.u32LowerDigits = w0.u32LowerDigits;
            w1.u32UpperSample = w0.u32UpperSample;
            w1.u32LowerSample = w0.u32LowerSample;
            w1.bManualDepthRange = w0.bManualDepthRange;
            w1.bTriggerTotalScreenUpdate = w0.bTriggerTotalScreenUpdate;
        }
    }
    L_MUTEX_Unlock(RES_S_INFO);
    if (bViewIn(view, {36, 38, 40, 42, 46, 47, 48, 52, 56, 57, 58})) {
        L_MUTEX_LockWait(RES_S_INFO);
        vSetSideBeamRange(FALSE);
        L_MUTEX_Unlock(RES_S_INFO);
    }
    if (view == VIEW_SONAR_ZOOM) {
        L_MUTEX_LockWait(RES_S_INFO);
        vSetupZoomRange(FALSE);
        L_MUTEX_Unlock(RES_S_INFO);
    }
    if (bViewIn(view, {33, 35, 36, 38, 39, 40, 41, 42, 46, 47, 48, 49, 50, 51, 52, 53, 55, 57, 58, 60}))
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
}

} // namespace

void T_N_HISTORY_vAddColumns(U32 u32NumColumns, BEAM Beam, U8 u8Transducer)
{
    (void)u8Transducer;
    if (s_bCursorActive) {
        T_N_PROCESS_vClearAllAccumulators();
        return;
    }
    GROUP g{};
    const U8 u8Source0 = S_TRANSDUCER_u8CurrentTransducer(SOURCE_2D);
    if (bGroupOf(Beam, u8Source0, &g)) {
        const U8 u8Imaging = S_TRANSDUCER_u8CurrentTransducer(SOURCE_IMAGING);
        // The history task lays the windows out under the sonar-info mutex;
        // they hold still while the columns go in.
        L_MUTEX_LockWait(RES_S_INFO);
        for (U32 n = 0; n < u32NumColumns; ++n) {
            if (bPlayback() && s_bWaitEndFillDone)
                continue;
            vOneColumn(Beam, g, u8Imaging);
        }
        L_MUTEX_Unlock(RES_S_INFO);
    }
    vClosingSteps();
}
