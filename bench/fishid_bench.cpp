// The fish scan of one 55,000-sample ping of the 200 kHz beam (start and
// stop searches, the slope walk over every sample above the bottom, the
// candidate list and the cut to six), beside one linear maximum scan of
// the same samples, in the same run.
#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_fishid.h"
#include "store/h_database.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr U32 SAMPLES = 55000;
constexpr U32 PERIOD_US = 26;
constexpr U32 BOTTOM = 54000;
constexpr U32 CLUTTER_EVERY = 200;

// Gain-corrected samples as the processing task hands them over, the
// noise floor removed: the transmit ring-down, a silent water column with
// a weak return one sample in CLUTTER_EVERY (each of them an echo for the
// search to cut out and refuse), a fish every 1,500 samples and the bottom
// near the end.
struct Ping {
    std::vector<U8> tvgd;
    PING_DESCRIPTOR d = {};
    Ping() : tvgd(PING_MAX_SAMPLES, 0)
    {
        std::mt19937 rng(7);
        for (U32 i = 0; i < 80; ++i)
            tvgd[i] = (U8)(220 - 2 * i);
        for (U32 i = 100; i < BOTTOM; ++i)
            if (rng() % CLUTTER_EVERY == 0)
                tvgd[i] = (U8)(1 + rng() % 30);
        for (U32 f = 1000; f + 20 < BOTTOM - 100; f += 1500) {
            static const U8 shape[] = {0, 90, 110, 130, 150, 160, 150, 130, 110, 90, 0};
            for (U32 k = 0; k < sizeof shape; ++k)
                tvgd[f + k] = shape[k];
        }
        for (U32 i = BOTTOM; i < SAMPLES; ++i)
            tvgd[i] = (U8)(200 - (i - BOTTOM) / 10);
        d.Beam = 1;
        d.u8TransmitCycles = 10;
        d.u32NumberOfSamples = SAMPLES;
        d.u32SamplePeriodMicroSeconds = PERIOD_US;
        d.u32TransmitFrequencyHertz = 200000;
        d.pu8TvgdData = tvgd.data();
        d.fDepthMetres = (float)(BOTTOM * PERIOD_US * 1463.0 / 2000000.0);
    }
};

void BM_ScanForFish(benchmark::State& state)
{
    H_DATABASE_vInit();
    g_u32SpeedOfSoundInWater = 1463;
    Ping p;
    FISH_TARGET_LIST list = {};
    for (auto _ : state) {
        S_FISHID_vScanForFish(&list, &p.d, WATER_FRESH, 5);
        benchmark::DoNotOptimize(list);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * SAMPLES);
}
BENCHMARK(BM_ScanForFish);

// The reference: the largest sample, in one pass.
void BM_LinearMaximum(benchmark::State& state)
{
    Ping p;
    for (auto _ : state) {
        U8 largest = 0;
        for (U32 i = 0; i < SAMPLES; ++i)
            largest = p.tvgd[i] > largest ? p.tvgd[i] : largest;
        benchmark::DoNotOptimize(largest);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * SAMPLES);
}
BENCHMARK(BM_LinearMaximum);

} // namespace

BENCHMARK_MAIN();
