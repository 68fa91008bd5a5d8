// The depth finder on a 4,000- and a 55,000-sample ping of the 200 kHz beam
// (threshold curve, target search, tracker and smoothing), beside
// std::nth_element over the same 25-sample windows that the curve takes
// medians of, in the same run.
#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_depth.h"
#include "store/h_database.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

constexpr U32 PERIOD_US = 26;
constexpr U32 WINDOW = 25;
constexpr U32 MEDIAN_RANK = 12;

// Gain-corrected samples as the processing task hands them over: a
// noise floor, a bottom echo with its tail at a third of the ping, its
// multiple, and a few fish above it.
struct Ping {
    std::vector<U8> raw, tvgd;
    PING_DESCRIPTOR d = {};
    U32 n;
    explicit Ping(U32 samples) : raw(PING_MAX_SAMPLES), tvgd(PING_MAX_SAMPLES), n(samples)
    {
        std::mt19937 rng(5);
        for (U32 i = 0; i < n; ++i)
            tvgd[i] = (U8)(rng() % 12);
        const U32 bottom = n / 3;
        for (U32 k = 0; k < 60 && bottom + k < n; ++k) {
            tvgd[bottom + k] = (U8)(k < 20 ? 180 + rng() % 10 : 180 - 3 * (k - 20));
            if (2 * bottom + k < n)
                tvgd[2 * bottom + k] = (U8)(k < 20 ? 90 : 60);
        }
        for (U32 f = 1; f <= 4; ++f)
            for (U32 k = 0; k < 8; ++k)
                tvgd[f * bottom / 5 + k] = 120;
        for (U32 i = 0; i < n; ++i)
            raw[i] = (U8)std::min(255, tvgd[i] + 60);
        d.Beam = 1;
        d.u32NumberOfSamples = n;
        d.u32SamplePeriodMicroSeconds = PERIOD_US;
        d.u32TransmitFrequencyHertz = 200000;
        d.u8Transducer = 1;
        d.pu8RawSonarData = raw.data();
        d.pu8TvgdData = tvgd.data();
    }
};

void BM_FindDepth(benchmark::State& state)
{
    H_DATABASE_vInit();
    S_DEPTH_vResetForTests();
    Ping p((U32)state.range(0));
    U32 ms = 10000;
    for (auto _ : state) {
        p.d.u32TimeStampMilliSeconds = ms;
        ms += 100;
        benchmark::DoNotOptimize(S_DEPTH_u32FindDepth(&p.d, 0, p.n * PERIOD_US));
    }
    state.SetBytesProcessed((int64_t)state.iterations() * p.n);
}
BENCHMARK(BM_FindDepth)->Arg(4000)->Arg(55000);

// The reference: the medians alone, by the standard library, over the
// curve's windows (the first at 0, then one every skip samples).
void BM_NthElementWindows(benchmark::State& state)
{
    Ping p((U32)state.range(0));
    const U32 n = p.n;
    const U32 step = n <= 850 ? 10 : 30;
    const U32 skip = n <= 850 ? 20 : 50;
    std::vector<U32> starts = {0};
    for (U32 t = 1; t < n - WINDOW * step; t += skip)
        starts.push_back(t);
    for (auto _ : state) {
        U32 sum = 0;
        for (U32 t : starts) {
            U8 w[WINDOW];
            for (U32 j = 0; j < WINDOW; ++j) {
                const U32 i = t + j * step;
                w[j] = i < n ? p.tvgd[i] : 0;
            }
            std::nth_element(w, w + MEDIAN_RANK, w + WINDOW);
            sum += w[MEDIAN_RANK];
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * n);
}
BENCHMARK(BM_NthElementWindows)->Arg(4000)->Arg(55000);

} // namespace

BENCHMARK_MAIN();
