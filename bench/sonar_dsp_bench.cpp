// The processing chain of one 55,000-sample ping, step by step and whole:
// two-of-two filter, exponential average, time-varied gain, noise removal,
// resampling to a 600-pixel column and colouring it; beside a memcpy of the
// ping's 55,000 bytes in the same run.
#include "graphics/color.h"
#include "sonar/dsp/s_filter.h"
#include "sonar/dsp/s_fresamp.h"
#include "sonar/dsp/s_grayscale.h"
#include "sonar/dsp/s_tvg.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr U32 SAMPLES = 55000;
constexpr U32 PIXELS = 600;
constexpr U8 AVERAGING = 4;
constexpr U8 NOISE_LEVEL = 20;

// A ping as the coprocessor returns it: noise, a bottom echo with its tail
// and a multiple.
struct Ping {
    std::vector<U8> raw, previous, filtered, averaged, tvgd, column;
    std::vector<COLOR> colours;
    PING_DESCRIPTOR descriptor = {};
    GRAYSCALE_TABLE table = {};
    Ping()
        : raw(SAMPLES), previous(SAMPLES), filtered(SAMPLES), averaged(SAMPLES), tvgd(SAMPLES), column(PIXELS),
          colours(PIXELS)
    {
        std::mt19937 rng(1);
        for (U32 i = 0; i < SAMPLES; ++i) {
            U32 v = 180 + rng() % 40;
            if (i >= 20000 && i < 20400)
                v = 255;
            if (i >= 40000 && i < 40300)
                v = 240;
            raw[i] = (U8)v;
            previous[i] = (U8)(v - rng() % 30);
        }
        descriptor.Beam = 1;
        descriptor.u32NumberOfSamples = SAMPLES;
        descriptor.u32SamplePeriodMicroSeconds = 26;
        descriptor.u32TransmitFrequencyHertz = 200000;
        descriptor.pu8RawSonarData = raw.data();
        descriptor.pu8TvgdData = tvgd.data();
        S_GRAYSCALE_vRecalulateGrayScaleTableDirect(&table, POST_PROCESS_BOTTOM_BLACK, 40, 160, 0);
        S_FILTER_vInitExponentialAverageData();
    }
};

void vFinish(benchmark::State& state, U32 bytes)
{
    state.SetBytesProcessed((int64_t)state.iterations() * bytes);
}

void BM_MemcpyPing(benchmark::State& state)
{
    Ping p;
    for (auto _ : state) {
        std::memcpy(p.filtered.data(), p.raw.data(), SAMPLES);
        benchmark::DoNotOptimize(p.filtered.data());
        benchmark::ClobberMemory();
    }
    vFinish(state, SAMPLES);
}
BENCHMARK(BM_MemcpyPing);

void BM_TwoOfTwo(benchmark::State& state)
{
    Ping p;
    for (auto _ : state) {
        S_FILTER_v2of2Filter(SAMPLES, p.raw.data(), p.previous.data(), p.filtered.data());
        benchmark::ClobberMemory();
    }
    vFinish(state, SAMPLES);
}
BENCHMARK(BM_TwoOfTwo);

void BM_ExponentialAverage(benchmark::State& state)
{
    Ping p;
    for (auto _ : state) {
        S_FILTER_vGetExponentialAverageData(SAMPLES, 1, p.raw.data(), p.averaged.data(), AVERAGING);
        benchmark::ClobberMemory();
    }
    vFinish(state, SAMPLES);
}
BENCHMARK(BM_ExponentialAverage);

void BM_Tvg(benchmark::State& state)
{
    Ping p;
    for (auto _ : state) {
        S_TVG_TvgRawSonar(&p.descriptor, p.raw.data(), p.tvgd.data(), 1, FALSE, WATER_FRESH, 0);
        benchmark::ClobberMemory();
    }
    vFinish(state, SAMPLES);
}
BENCHMARK(BM_Tvg);

void BM_NoiseRemoval(benchmark::State& state)
{
    Ping p;
    for (auto _ : state) {
        S_FILTER_vNoiseRemoval(SAMPLES, p.raw.data(), p.tvgd.data(), p.tvgd.data(), NOISE_LEVEL);
        benchmark::ClobberMemory();
    }
    vFinish(state, SAMPLES);
}
BENCHMARK(BM_NoiseRemoval);

void BM_ResampleTo600(benchmark::State& state)
{
    Ping p;
    for (auto _ : state) {
        S_FRESAMPLE_vFastResample(p.raw.data(), SAMPLES, SAMPLES, p.column.data(), PIXELS);
        benchmark::ClobberMemory();
    }
    vFinish(state, SAMPLES);
}
BENCHMARK(BM_ResampleTo600);

void BM_Categorize600(benchmark::State& state)
{
    Ping p;
    S_FRESAMPLE_vFastResample(p.raw.data(), SAMPLES, SAMPLES, p.column.data(), PIXELS);
    for (auto _ : state) {
        S_GRAYSCALE_vCategorize(p.column.data(), p.colours.data(), PIXELS, &p.table, 500, 3);
        benchmark::ClobberMemory();
    }
    vFinish(state, PIXELS);
}
BENCHMARK(BM_Categorize600);

// The processing task's order: two-of-two into the filtered buffer, the
// average of that, gain, the raw noise test on the corrected samples, then
// one display column.
void BM_Chain(benchmark::State& state)
{
    Ping p;
    for (auto _ : state) {
        S_FILTER_v2of2Filter(SAMPLES, p.raw.data(), p.previous.data(), p.filtered.data());
        S_FILTER_vGetExponentialAverageData(SAMPLES, 1, p.filtered.data(), p.averaged.data(), AVERAGING);
        S_TVG_TvgRawSonar(&p.descriptor, p.averaged.data(), p.tvgd.data(), 1, FALSE, WATER_FRESH, 0);
        S_FILTER_vNoiseRemoval(SAMPLES, p.raw.data(), p.tvgd.data(), p.tvgd.data(), NOISE_LEVEL);
        S_FRESAMPLE_vFastResample(p.tvgd.data(), SAMPLES, SAMPLES, p.column.data(), PIXELS);
        S_GRAYSCALE_vCategorize(p.column.data(), p.colours.data(), PIXELS, &p.table, 500, 3);
        benchmark::ClobberMemory();
    }
    vFinish(state, SAMPLES);
}
BENCHMARK(BM_Chain);

} // namespace

BENCHMARK_MAIN();
