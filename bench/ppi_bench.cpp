// The 360 picture's per-ping and per-frame work, each beside a plain
// reference measured in the same run:
// - one ping of 16 steps (16 raw-store refreshes, interpolation of 16 rows)
//   beside 16 copies of 55,000 bytes into the next rows of a store as large
//   as the raw store, and one resample to 976 samples;
// - the rebuild of all 1600 rows beside memcpy of the 88 MB raw store;
// - the frame copy through the pixel map beside memcpy of 960 KB, with the
//   map's rebuild reported in milliseconds.
#include "graphics/g_buffers.h"
#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_fresamp.h"
#include "sonar/history/t_n_history_ppi.h"
#include "sonar/history/t_n_history_state.h"
#include "sonar/process/t_n_process.h"
#include "sonar/process/t_n_process_state.h"
#include "store/h_database.h"
#include "util/u_convert.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

using namespace t_n_history;

namespace {

constexpr U32 RAW = ACCUMULATOR_SAMPLES; // 55,000
constexpr U32 STEPS = 16;

U32 s_au32Frame[800 * 600 / 2];
BITMAP s_Frame;

void vWorld()
{
    static const bool ready = [] {
        H_DATABASE_vInit();
        U_CONVERT_vInitialiseConversionUtility();
        g_u32SpeedOfSoundInWater = 1463;
        vInit360();
        std::mt19937 rng(7);
        for (BEAM b : {2, 3}) {
            RETURN_ACCUMULATOR& a = t_n_process::Accumulator[b];
            for (U32 i = 0; i < RAW; ++i)
                a.pu8RtsData[i] = (U8)rng();
            a.u32RtsSamples = RAW;
        }
        SonarViewInfo.Window[4].u32UpperSample = 0;
        SonarViewInfo.Window[4].u32LowerSample = RAW;
        s_PPIDisplayDescriptor.u32MaxSamples = PPI_MAX_SAMPLES;
        s_bMSSDeployed = TRUE;
        s_bMSSConnected = TRUE;
        G_BUFFERS_pCreateBitmap(800, 600, &s_Frame, s_au32Frame);
        return true;
    }();
    (void)ready;
}

void BM_PingOf16Steps(benchmark::State& state)
{
    vWorld();
    S32 pos = 0;
    for (auto _ : state) {
        T_N_HISTORY_vProcessPPISonar(pos, 2, STEPS, TRUE);
        pos = (pos + (S32)STEPS) % (S32)PPI_SECTORS;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PingOf16Steps);

void BM_Reference_SixteenCopiesAndOneResample(benchmark::State& state)
{
    vWorld();
    // The copies go where the ping's go: 16 rows on in a store of 1600
    // rows of 55,000 bytes, so both pay the same trips to memory.
    static std::vector<U8> store((size_t)PPI_SECTORS * RAW);
    U8 row[PPI_MAX_SAMPLES];
    const U8* in = t_n_process::Accumulator[2].pu8RtsData;
    U32 first = 0;
    for (auto _ : state) {
        for (U32 k = 0; k < STEPS; ++k) {
            memcpy(&store[(size_t)(first + k) * RAW], in, RAW);
            benchmark::DoNotOptimize(store.data());
        }
        first = (first + STEPS) % PPI_SECTORS;
        S_FRESAMPLE_vFastResample(in, RAW, RAW, row, PPI_MAX_SAMPLES);
        benchmark::DoNotOptimize(row);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Reference_SixteenCopiesAndOneResample);

void BM_RebuildOf1600Rows(benchmark::State& state)
{
    vWorld();
    for (S32 s = 0; s < (S32)PPI_SECTORS; s += (S32)STEPS)
        T_N_HISTORY_vProcessPPISonar(s, 2, STEPS, TRUE);
    for (auto _ : state) {
        T_N_HISTORY_vRecalculateMSSData();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RebuildOf1600Rows)->Unit(benchmark::kMillisecond);

void BM_Reference_Memcpy88MB(benchmark::State& state)
{
    std::vector<U8> a((size_t)PPI_SECTORS * RAW, 1), b((size_t)PPI_SECTORS * RAW);
    for (auto _ : state) {
        memcpy(b.data(), a.data(), a.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)(state.iterations() * a.size()));
}
BENCHMARK(BM_Reference_Memcpy88MB)->Unit(benchmark::kMillisecond);

WINDOW_SPECIFICATION fullWindow()
{
    WINDOW_SPECIFICATION window = {};
    window.currentLayer = 56;
    window.drawWindowType = SPLIT_FULL_WINDOW;
    window.drawWindow = {0, 599, 799, 0};
    return window;
}

// A circle filling the frame's height: the largest full-screen picture.
void vLargestCircle()
{
    PPI_DISPLAY_DESCRIPTOR& d = s_PPIDisplayDescriptor;
    d.CenterX = 400;
    d.CenterY = 300;
    d.u32Width = 296;
    d.u32MaxSamples = 307;
}

void BM_FrameCopyThroughTheMap(benchmark::State& state)
{
    vWorld();
    vLargestCircle();
    vRebuildPixelMap(&s_Frame);
    const WINDOW_SPECIFICATION window = fullWindow();
    for (auto _ : state) {
        vDrawPPIPixels(&s_Frame, &window, FALSE);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)(state.iterations() * 800 * 600 * 2));
}
BENCHMARK(BM_FrameCopyThroughTheMap);

void BM_Reference_Memcpy960KB(benchmark::State& state)
{
    std::vector<U8> a(800 * 600 * 2, 1), b(800 * 600 * 2);
    for (auto _ : state) {
        memcpy(b.data(), a.data(), a.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)(state.iterations() * a.size()));
}
BENCHMARK(BM_Reference_Memcpy960KB);

void BM_PixelMapRebuild(benchmark::State& state)
{
    vWorld();
    vLargestCircle();
    for (auto _ : state) {
        vRebuildPixelMap(&s_Frame);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PixelMapRebuild)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
