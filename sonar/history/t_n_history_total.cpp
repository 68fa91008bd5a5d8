// The total screen update: after a change of range, size, colours or
// filters, a window's whole visible history is rebuilt from the beams'
// column stores, so the picture shows at once at the new scale. A window of
// one beam is redrawn from that beam's store; the blended 2D window from
// every beam whose blend target it is, through the beams' blends.
//
// Runs in the view task on the caller's copy of the window, while the
// column adder adds at the next free column of the same stores and bitmaps.
// Each stored column is read under mutex 27 and each bitmap column written
// under the history's mutex (4), never nested and only for one column, so
// neither side sees the other's half-written column. The rebuild stops when
// the view changes (asked every 16 columns).
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_fusion.h"
#include "sonar/history/t_n_history_state.h"

#include "graphics/g_line.h"
#include "graphics/g_pixel.h"
#include "kernel/l_mutex.h"
#include "sonar/dsp/s_filter.h"
#include "sonar/dsp/s_fresamp.h"
#include "sonar/dsp/s_grayscale.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/process/t_n_process.h"
#include "ui/t_view.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace t_n_history;

namespace {

constexpr U32 COLUMN_MAX = 800;
constexpr U32 FILTER_ROW = 800;
constexpr U32 CANCEL_TEST_COLUMNS = 16;
constexpr U32 BOTTOM_BLACK_HOLD = 5;

U8 u8TsuRedrawColumn[COLUMN_MAX];
COLOR ColorTsuRedrawColumn[COLUMN_MAX];
S32 s32LineLeft = 0;
U8 su8FilterLeft[3 * FILTER_ROW];
S32 s32LineRight = 0;
U8 su8FilterRight[3 * FILTER_ROW];
BOOLEAN sbFilterNeedsInit = TRUE;
U8 u8TsuRedrawColumnKVSave[COLUMN_MAX];
S32 s32LineKV = 0;
U8 su8FilterKV[3 * 600];
BOOLEAN sbKvFilterNeedsInit = TRUE;

bool bIn(U8 v, std::initializer_list<U8> set) { return std::find(set.begin(), set.end(), v) != set.end(); }

// One stored column's span cut to the window and resampled to its height.
struct SPAN {
    U32 s; // first stored sample
    U32 k; // stored samples mapped
    U32 o; // blank rows at the top
    U32 q; // window samples per pixel, x 256 (blends)
};

SPAN spanOf(const TSU_STORE_COLUMN& col, const SONAR_WINDOW& w, U32 H, BOOLEAN bBottomLock, U32 D, bool bTerrain)
{
    const U32 f = col.u8SampleFactor;
    const U32 U = w.u32UpperSample, L = w.u32LowerSample;
    SPAN sp{0, 0, 0, 0};
    U32 span = L > U ? L - U : 0;
    if (bTerrain) {
        const float d = col.fDepthMetres, R = w.fLowerDisplayedMetres;
        sp.s = u32MetresToSamples(d) / f;
        const float h = R * R > d * d ? std::sqrt(R * R - d * d) : 0.0f;
        const U32 end = u32MetresToSamples(h) / f;
        sp.k = end > sp.s ? end - sp.s : 0;
    } else if (bBottomLock) {
        if (D >= U) {
            sp.s = (D - U) / f;
            sp.k = (U + L) / f;
            span = U + L;
        } else {
            sp.k = (L + D) / f;
            const U32 whole = (L + U) / f;
            sp.o = whole != 0 ? std::min(((U - D) / f * H) / whole, H) : 0;
            span = L + D;
        }
    } else {
        sp.s = U / f;
        sp.k = span / f;
    }
    sp.q = H != 0 ? span * 256 / H : 0;
    std::memset(u8TsuRedrawColumn, 0, sp.o);
    const U32 available = sp.s < col.u32SamplesInStore ? col.u32SamplesInStore - sp.s : 0;
    S_FRESAMPLE_vFastResample(col.au8Data + std::min(sp.s, col.u32SamplesInStore), sp.k, available,
                              u8TsuRedrawColumn + sp.o, H - sp.o);
    return sp;
}

struct BOTTOM_BLACK {
    U32 B;
    U32 n;
};

void vBottomBlack(BOTTOM_BLACK* bb, const TSU_STORE_COLUMN& col, const SONAR_WINDOW& w, U32 H,
                  POST_PROCESS_MODE BottomView)
{
    const float d = col.fDepthMetres;
    if (d > 0.0f && BottomView == POST_PROCESS_BOTTOM_BLACK && w.Beam != 2 && w.Beam != 3) {
        bb->n = BOTTOM_BLACK_HOLD;
        if (d <= w.fUpperDisplayedMetres)
            bb->B = 0;
        else if (d > w.fLowerDisplayedMetres)
            bb->B = H;
        else
            bb->B = static_cast<U32>(static_cast<float>(H) * (d - w.fUpperDisplayedMetres) /
                                         (w.fLowerDisplayedMetres - w.fUpperDisplayedMetres) +
                                     0.5f);
    } else if (bb->n > 0) {
        --bb->n;
    } else {
        bb->B = H;
    }
}

U32 u32StartColumn(U32 u32Next, U32 u32Count, U32 u32Ring)
{
    return u32Next >= u32Count ? u32Next - u32Count : u32Next + u32Ring - u32Count;
}

void vSingleBeam(const SONAR_WINDOW& w, U32 H, U32 count, U32 x, POST_PROCESS_MODE BottomView,
                 BOOLEAN bBottomLock, const GRAYSCALE_TABLE* pTable, U8 u8Imaging)
{
    const BEAM b = w.Beam;
    const FULL_SCREEN_TSU* pStore = s_sBeamInfo[b].pTSUStore;
    if (pStore == nullptr)
        return;
    L_MUTEX_LockWait(RES_TSU);
    U32 c = u32StartColumn(pStore->u32NextFreeColumn % TSU_STORE_COLUMNS, count % (TSU_STORE_COLUMNS + 1),
                           TSU_STORE_COLUMNS) %
            TSU_STORE_COLUMNS;
    L_MUTEX_Unlock(RES_TSU);
    const BITMAP* pBmp = w.ScreenHistory.pBmp;
    const U32 wide = pBmp->pixels_wide, rows = pBmp->pixels_high_full_screen, stride = pBmp->__u32PixelWidthOfBuffer;
    const bool bTerrain = s_bTerrainMode && (b == 2 || b == 3);
    const bool bFilter = s_u32SideScanFilter != 0 && (b == 2 || b == 3) &&
                         (bIn(u8Imaging, {5, 9, 10, 16}) || (b == 3 && bIn(u8Imaging, {15, 17, 18})));
    const COLOR background = BackGroundColor;
    BOTTOM_BLACK bb{H, 0};
    for (U32 left = count; left > 0;) {
        // The store column is read under mutex 27 and the bitmap column
        // written under the history's mutex, one after the other, so the
        // column adder working at the ring's head never meets a half-read
        // column.
        L_MUTEX_LockWait(RES_TSU);
        const TSU_STORE_COLUMN& col = pStore->aTsuStore[c];
        const bool bDraw = col.u8SampleFactor != 0 && col.u32SamplesInStore != 0;
        SPAN sp{0, 0, 0, 0};
        if (bDraw) {
            vBottomBlack(&bb, col, w, H, BottomView);
            sp = spanOf(col, w, H, bBottomLock, col.u32SmoothedDepthInSamples, bTerrain);
        }
        L_MUTEX_Unlock(RES_TSU);
        if (bDraw) {
            if (bFilter) {
                if (sbFilterNeedsInit) {
                    std::memset(su8FilterLeft, 0, sizeof su8FilterLeft);
                    std::memset(su8FilterRight, 0, sizeof su8FilterRight);
                    s32LineLeft = s32LineRight = 0;
                    sbFilterNeedsInit = FALSE;
                }
                U8* p = u8TsuRedrawColumn + sp.o;
                S_FILTER_v2D_Flankview_Filter(H - sp.o, p, p, static_cast<FILTER_TYPE>(s_u32SideScanFilter.load()),
                                              b == 2 ? &s32LineLeft : &s32LineRight,
                                              b == 2 ? su8FilterLeft : su8FilterRight, FILTER_ROW);
            }
            if ((b == 2 || b == 3) && u8Imaging == 2)
                for (U32 i = 0; i < H; ++i)
                    u8TsuRedrawColumn[i] =
                        static_cast<U8>(std::min<U32>(u8TsuRedrawColumn[i] / 2u + 2u * u8TsuRedrawColumn[i], 255u));
            // A rebuild of the table takes mutex 27 too: no column mixes two tables.
            L_MUTEX_LockWait(RES_TSU);
            S_GRAYSCALE_vCategorize(u8TsuRedrawColumn, ColorTsuRedrawColumn, H, pTable, bb.B, s_sBeamInfo[b].s8Gain);
            L_MUTEX_Unlock(RES_TSU);
            L_MUTEX_LockWait(w.ScreenHistory.Resource);
            COLOR* p = G_PIXEL_pcolPhysical(pBmp, static_cast<PIXEL>(x), 0);
            for (U32 r = 0; r < rows; ++r)
                p[r * stride] = r < H ? ColorTsuRedrawColumn[r] : background;
            L_MUTEX_Unlock(w.ScreenHistory.Resource);
        }
        c = c + 1 >= TSU_STORE_COLUMNS ? 0 : c + 1;
        x = x + 1 >= wide ? 0 : x + 1;
        --left;
        if (left % CANCEL_TEST_COLUMNS == 0 && T_VIEW_bViewChangedWhileRendering())
            return;
    }
}

// The Keelview window (beam 5) takes the fusion of beams 2 and 3: the left
// element's samples wait in the save column (blank when its store column
// is), the right one's are fused with them and drawn.
void vCombined(const SONAR_WINDOW& w, U32 H, U32 count, U32 x, POST_PROCESS_MODE BottomView, BOOLEAN bBottomLock,
               const GRAYSCALE_TABLE* pTable, U8 u8Imaging)
{
    const bool bKeelview = w.Beam == 5;
    const bool bSingleElement = bIn(u8Imaging, {15, 17, 18});
    BEAM beams[SONAR_STORED_BEAMS];
    U32 columns[SONAR_STORED_BEAMS];
    U32 n = 0;
    L_MUTEX_LockWait(RES_TSU);
    if (w.Beam == 4 || bKeelview)
        for (BEAM b = 0; b < SONAR_STORED_BEAMS; ++b) {
            const BEAM_INFO& info = s_sBeamInfo[b];
            if (info.beamBlend != w.Beam || info.pTSUStore == nullptr || info.pfBlend == nullptr)
                continue;
            if (bKeelview && b == 2 && bSingleElement)
                continue;
            beams[n] = b;
            columns[n] = u32StartColumn(info.pTSUStore->u32NextFreeColumn % TSU_STORE_COLUMNS,
                                        count % (TSU_STORE_COLUMNS + 1), TSU_STORE_COLUMNS) %
                         TSU_STORE_COLUMNS;
            ++n;
        }
    L_MUTEX_Unlock(RES_TSU);
    BITMAP* pBmp = w.ScreenHistory.pBmp;
    const U32 wide = pBmp->pixels_wide, rows = pBmp->pixels_high_full_screen, stride = pBmp->__u32PixelWidthOfBuffer;
    const COLOR background = BackGroundColor;
    BOTTOM_BLACK bb{H, 0};
    static COLOR aColumn[COLUMN_MAX];
    const U32 drawn = std::min(H, rows);
    for (U32 left = count; left > 0;) {
        std::fill(aColumn, aColumn + drawn, background);
        std::memset(u8TsuRedrawColumnKVSave, 0, sizeof u8TsuRedrawColumnKVSave);
        L_MUTEX_LockWait(RES_TSU);
        U32 D = 0;
        if (bBottomLock && n == 2)
            D = T_N_PROCESS_u32SelectBestDepthInSamples(
                s_sBeamInfo[1].pTSUStore->aTsuStore[columns[1]].u32SmoothedDepthInSamples,
                s_sBeamInfo[0].pTSUStore->aTsuStore[columns[0]].u32SmoothedDepthInSamples);
        L_MUTEX_Unlock(RES_TSU);
        for (U32 i = 0; i < n; ++i) {
            const BEAM b = beams[i];
            L_MUTEX_LockWait(RES_TSU);
            const TSU_STORE_COLUMN& col = s_sBeamInfo[b].pTSUStore->aTsuStore[columns[i]];
            columns[i] = columns[i] + 1 >= TSU_STORE_COLUMNS ? 0 : columns[i] + 1;
            const bool bSkip =
                col.u8SampleFactor == 0 || col.u32SamplesInStore == 0 || (b == 0 && col.bNoiseTooHighForBlend);
            SPAN sp{0, 0, 0, 0};
            if (!bSkip) {
                vBottomBlack(&bb, col, w, H, BottomView);
                sp = spanOf(col, w, H, bBottomLock, D, false);
            }
            L_MUTEX_Unlock(RES_TSU);
            if (bSkip)
                continue;
            if (bKeelview && b == 2) {
                std::memcpy(u8TsuRedrawColumnKVSave, u8TsuRedrawColumn, H);
                continue;
            }
            if (bKeelview && b == 3) {
                if (bSingleElement)
                    std::memcpy(u8TsuRedrawColumnKVSave, u8TsuRedrawColumn, H);
                vCombineKeelviewBeamsOfHeight(u8TsuRedrawColumnKVSave, u8TsuRedrawColumn, u8TsuRedrawColumn,
                                              w.u32HistoryHeight);
                if (sbKvFilterNeedsInit) {
                    std::memset(su8FilterKV, 0, sizeof su8FilterKV);
                    s32LineKV = 0;
                    sbKvFilterNeedsInit = FALSE;
                }
                // The Keelview window is this one; its copy, not the live
                // record a view change rewrites.
                if (s_u32KeelviewFilter != 0 && w.u32HistoryHeight <= 600)
                    S_FILTER_v2D_Flankview_Filter(w.u32HistoryHeight, u8TsuRedrawColumn, u8TsuRedrawColumn,
                                                  static_cast<FILTER_TYPE>(s_u32KeelviewFilter.load()), &s32LineKV,
                                                  su8FilterKV, 600);
            }
            // A rebuild of the table takes mutex 27 too: no column mixes two tables.
            L_MUTEX_LockWait(RES_TSU);
            S_GRAYSCALE_vCategorize(u8TsuRedrawColumn, ColorTsuRedrawColumn, H, pTable, bb.B, s_sBeamInfo[b].s8Gain);
            L_MUTEX_Unlock(RES_TSU);
            BLENDING_FUNCTION* pfBlend = s_sBeamInfo[b].pfBlend;
            for (U32 r = 0; r < drawn; ++r) {
                const COLOR c = ColorTsuRedrawColumn[r];
                if (c == background)
                    continue;
                const COLOR out = pfBlend(c, sp.s + (sp.q * r) / 256, FALSE);
                if (out != background)
                    aColumn[r] = out;
            }
        }
        L_MUTEX_LockWait(w.ScreenHistory.Resource);
        COLOR* p = G_PIXEL_pcolPhysical(pBmp, static_cast<PIXEL>(x), 0);
        for (U32 r = 0; r < rows; ++r)
            p[r * stride] = r < drawn ? aColumn[r] : background;
        L_MUTEX_Unlock(w.ScreenHistory.Resource);
        x = x + 1 >= wide ? 0 : x + 1;
        --left;
        if (left % CANCEL_TEST_COLUMNS == 0 && T_VIEW_bViewChangedWhileRendering())
            return;
    }
}

} // namespace

void t_n_history::vTotalScreenUpdate(const SONAR_WINDOW* pSonarWindow, U32 u32ScreenHeight, U32 u32Width,
                                     POST_PROCESS_MODE BottomView, BOOLEAN bBottomLockZoom)
{
    const SONAR_WINDOW& w = *pSonarWindow;
    if (w.ScreenHistory.pBmp == nullptr || w.Beam >= SONAR_BEAMS)
        return;
    const U32 H = std::min({u32ScreenHeight, COLUMN_MAX, w.ScreenHistory.pBmp->pixels_high_full_screen});
    const U8 u8Imaging = S_TRANSDUCER_u8CurrentTransducer(1);
    const GRAYSCALE_TABLE* pTable = &StandardBeamGrayScaleTable;
    if (w.Beam == 5)
        pTable = &KeelviewGrayScaleTable;
    else if (((w.Beam == 2 || w.Beam == 3) && bIn(u8Imaging, {5, 9, 10, 16})) ||
             (w.Beam == 3 && bIn(u8Imaging, {15, 17, 18})))
        pTable = &SidescanGrayScaleTable;

    SONAR_HISTORY* pHistory = const_cast<SONAR_HISTORY*>(&w.ScreenHistory);
    L_MUTEX_LockWait(pHistory->Resource);
    const U32 wide = pHistory->pBmp->pixels_wide;
    const U32 count = std::min(s_bReverseScroll ? wide : u32Width, wide);
    const U32 x = wide != 0 ? u32StartColumn(pHistory->u16NextFreeColumn % wide, count, wide) % wide : 0;
    L_MUTEX_Unlock(pHistory->Resource);
    if (count == 0 || H == 0)
        return;
    if (w.Beam < SONAR_STORED_BEAMS)
        vSingleBeam(w, H, count, x, BottomView, bBottomLockZoom, pTable, u8Imaging);
    else
        vCombined(w, H, count, x, BottomView, bBottomLockZoom, pTable, u8Imaging);
}
