// One rebuild of the Flankview magnifier (both sides, factor 2, cursor in
// the middle of a full-screen pane: a 389 x 258 picture) beside its bare
// minimum measured in the same run: resampling each stored ping the picture
// shows once, both sides, onto the same picture columns.
#include "graphics/color.h"
#include "graphics/g_buffers.h"
#include "sonar/dsp/s_fresamp.h"
#include "sonar/dsp/s_grayscale.h"
#include "sonar/history/t_n_history_state.h"
#include "sonar/screens/t_n_history_zoom_windows.h"
#include "store/h_database.h"

#include <benchmark/benchmark.h>

#include <random>

using namespace t_n_history;

namespace {

constexpr U32 SLOT = 2048;
constexpr U32 LOWER_SAMPLE = 4000; // both side images: about 10 samples per screen column
constexpr U32 NEXT_FREE = 700;

U8 s_au8Slots[2][TSU_STORE_COLUMNS][SLOT];
U32 s_au32Pixels[ZOOM_WINDOW_WIDTH * ZOOM_WINDOW_HEIGHT / 2];
BITMAP s_Bitmap;

void vSetU32(const char (&key)[5], U32 value)
{
    H_DATABASE_bUpdateEverythingU32(FCID(key), value, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

WINDOW_SPECIFICATION tPane(void)
{
    WINDOW_SPECIFICATION s{};
    s.currentLayer = VIEW_SIDEVIEW;
    s.activeWindow = SPLIT_FULL_WINDOW;
    s.drawWindowType = SPLIT_FULL_WINDOW;
    s.drawWindow = {0, 599, 799, 0};
    return s;
}

void vWorld()
{
    static const bool ready = [] {
        H_DATABASE_vInit();
        vSetU32("ICAC", 1);
        vSetU32("ISIZ", 1);
        H_DATABASE_bUpdateEverythingS32(FCID("ICPX"), 400, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        H_DATABASE_bUpdateEverythingS32(FCID("ICPY"), 300, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        vSetU32("SSWV", SIDE_BEAM_BOTH);
        vSetU32("YST3", 5);
        std::mt19937 rng(1);
        for (U32 side = 0; side < 2; ++side) {
            const BEAM beam = (BEAM)(2 + side);
            SONAR_WINDOW& w = SonarViewInfo.Window[1 + side];
            w.u32UpperSample = 0;
            w.u32LowerSample = LOWER_SAMPLE;
            s_sBeamInfo[beam].pMain = &w;
            s_sBeamInfo[beam].pTSUStore = &TSUStore[beam];
            TSUStore[beam].u32NextFreeColumn = NEXT_FREE;
            for (U32 c = 0; c < TSU_STORE_COLUMNS; ++c) {
                TSU_STORE_COLUMN& col = TSUStore[beam].aTsuStore[c];
                col.au8Data = s_au8Slots[side][c];
                col.u32TSUDataLength = SLOT;
                col.u32SamplesInStore = SLOT;
                col.u8SampleFactor = 1;
                for (U32 i = 0; i < SLOT; ++i)
                    col.au8Data[i] = (U8)(20 + rng() % 200);
            }
        }
        for (U32 v = 0; v < GRAYSCALE_LEVELS; ++v)
            SidescanGrayScaleTable.acColor[v] = (COLOR)(v * 0x0101);
        FvZoomWin.pBitmap = G_BUFFERS_pCreateBitmap(ZOOM_WINDOW_WIDTH, ZOOM_WINDOW_HEIGHT, &s_Bitmap, s_au32Pixels);
        return true;
    }();
    (void)ready;
}

void BM_FlankviewMagnifierRebuild(benchmark::State& state)
{
    vWorld();
    WINDOW_SPECIFICATION s = tPane();
    for (auto _ : state) {
        FvZoomWin.bForceUpdate = TRUE;
        T_N_HISTORY_bUpdateFvZoomWindow(&s);
        benchmark::ClobberMemory();
    }
    if (FvZoomWin.s32ZoomWidth != 389 || FvZoomWin.s32ZoomHeight != 258)
        state.SkipWithError("not the 389 x 258 picture");
}
BENCHMARK(BM_FlankviewMagnifierRebuild);

// The same pings (a picture of 258 rows at factor 2 spans 129 pings and
// their two neighbours) and the same spans: each side's samples from the
// centre out to the picture's outer edge onto the picture columns of that
// side.
void BM_Reference_ResampleTheSamePingsOnce(benchmark::State& state)
{
    vWorld();
    WINDOW_SPECIFICATION s = tPane();
    FvZoomWin.bForceUpdate = TRUE;
    T_N_HISTORY_bUpdateFvZoomWindow(&s);
    const FV_ZOOM_WINDOW_TYPE& z = FvZoomWin;
    const S32 Z = z.s32ZoomFactor, cx = z.ptCursor.x, L = z.s32LeftEdge, Wd = z.s32Width;
    const S32 eL = L + (Wd - 5) / 2, eR = L + (Wd + 5) / 2;
    const S32 LC = (eL - cx) * Z + (cx - z.ptWindow.x), RC = (eR - cx) * Z + (cx - z.ptWindow.x);
    const double sL = (double)LOWER_SAMPLE / (eL - L), sR = (double)LOWER_SAMPLE / (z.s32RightEdge - eR);
    const double a = (double)(z.ptWindow.x + z.s32ZoomWidth - cx) / Z, b = (double)(cx - z.ptWindow.x) / Z;
    const U32 spanL = (U32)(sL * ((eL - cx) + b)), spanR = (U32)(sR * ((cx - eR) + a));
    const U32 pings = (U32)(z.s32ZoomHeight / Z) + 2;
    U8 row[ZOOM_WINDOW_WIDTH + 1];
    for (auto _ : state) {
        for (U32 k = 0; k < pings; ++k) {
            const U32 c = NEXT_FREE - 1 - k;
            S_FRESAMPLE_vFastResample(TSUStore[2].aTsuStore[c].au8Data, spanL, SLOT, row, (U32)LC - 1);
            S_FRESAMPLE_vFastResample(TSUStore[3].aTsuStore[c].au8Data, spanR, SLOT, row + RC,
                                      (U32)(z.s32ZoomWidth - RC - 1));
            benchmark::DoNotOptimize(row);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Reference_ResampleTheSamePingsOnce);

} // namespace

BENCHMARK_MAIN();
