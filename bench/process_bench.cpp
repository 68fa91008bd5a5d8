// The processing task's per-ping work and its display read, each beside a
// plain reference measured in the same run:
// - one transmit cycle of 55,000-sample pings on beams 1 and 3 with every
//   filter on (two-of-two, averaging, two gains, depth offset, noise cut,
//   bottom, fish, merge) beside memcpy of 10 x 55,000 bytes, and the same
//   with the bottom and fish searches answering at once;
// - one accumulator read (55,000 samples to a 2048-byte store column of
//   2037 samples to an 800-pixel column) beside a plain max-pool loop over
//   the same bytes.
#include "kernel/l_mbox.h"
#include "kernel/l_queue.h"
#include "sonar/dsp/s_coproc.h"
#include "sonar/ping/t_n_ping.h"
#include "sonar/ping/t_n_ping_state.h"
#include "sonar/process/t_n_process.h"
#include "sonar/process/t_n_process_state.h"
#include "store/h_database.h"
#include "util/u_convert.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr U32 SAMPLES = 55000;
constexpr U32 STORE = 2048;
constexpr U32 PIXELS = 800;

std::vector<U8> s_template(SAMPLES);

void vWorld()
{
    static const bool ready = [] {
        H_DATABASE_vInit();
        U_CONVERT_vInitialiseConversionUtility();
        t_n_ping::vInitialisePingDescriptorQueue();
        g_u32SpeedOfSoundInWater = 1463;
        H_DATABASE_bUpdateEverythingU32(FCID("CCST"), 3, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        t_n_process::vStart();
        while (MSGHEADER* p = L_MBOX_Receive(PROCESS_MAILBOX))
            t_n_process::vHandleMail(reinterpret_cast<GENERIC_MESSAGE*>(p));
        // Every filter on, and a depth offset to shift by.
        H_DATABASE_bUpdateEverythingFloat(FCID("YDPO"), 0.5f, P_NORMAL, D_DEPTH, nullptr, DB_TIMEOUT_NEVER);
        std::mt19937 rng(1);
        for (U32 i = 0; i < SAMPLES; ++i) {
            U32 v = 20 + rng() % 40;
            if (i >= 20000 && i < 20400)
                v = 255;
            if (i >= 40000 && i < 40300)
                v = 240;
            s_template[i] = (U8)v;
        }
        return true;
    }();
    (void)ready;
}

PING_DESCRIPTOR* pPing(BEAM beam)
{
    PING_DESCRIPTOR* p = nullptr;
    L_QUEUE_Get(Q_PING, &p);
    memcpy(p->pu8RawSonarData, s_template.data(), SAMPLES);
    p->Beam = beam;
    p->u8TransmitCycles = 10;
    p->u32NumberOfSamples = SAMPLES;
    p->u32SamplePeriodMicroSeconds = 26;
    p->u32TransmitFrequencyHertz = beam == 1 ? 200000 : 455000;
    p->u8NoiseLevel = 30;
    p->u8PeakNoiseLevel = 60;
    p->bIsLocal = TRUE;
    p->bSimulated = FALSE;
    p->u32TimeStampMilliSeconds = 1000;
    return p;
}

void vFinish(benchmark::State& state, U64 bytes) { state.SetBytesProcessed((int64_t)(state.iterations() * bytes)); }

void BM_ProcessPingBeams1And3(benchmark::State& state)
{
    vWorld();
    for (auto _ : state) {
        t_n_process::vProcessPing(pPing(1));
        t_n_process::vProcessPing(pPing(3));
    }
    vFinish(state, 2ull * SAMPLES);
}
BENCHMARK(BM_ProcessPingBeams1And3);

// The same cycle with the bottom and fish searches answering at once: the
// task's own passes (copies, gains, shift, noise cut, merge, keys).
U32 u32NoBottom(const PING_DESCRIPTOR*, U32, U32) { return 0; }
void vNoFish(FISH_TARGET_LIST* pList, PING_DESCRIPTOR*, WATER_TYPE, U8) { pList->u8NumberOfTargets = 0; }

void BM_ProcessPingBeams1And3_WithoutSearches(benchmark::State& state)
{
    vWorld();
    t_n_process::g_Calls.pfnFindDepth = u32NoBottom;
    t_n_process::g_Calls.pfnScanForFish = vNoFish;
    for (auto _ : state) {
        t_n_process::vProcessPing(pPing(1));
        t_n_process::vProcessPing(pPing(3));
    }
    t_n_process::g_Calls = t_n_process::REAL_CALLS;
    vFinish(state, 2ull * SAMPLES);
}
BENCHMARK(BM_ProcessPingBeams1And3_WithoutSearches);

void BM_Reference_Memcpy10Pings(benchmark::State& state)
{
    std::vector<U8> a(SAMPLES, 1), b(SAMPLES);
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) {
            memcpy(b.data(), a.data(), SAMPLES);
            benchmark::DoNotOptimize(b.data());
            benchmark::ClobberMemory();
        }
    }
    vFinish(state, 2ull * SAMPLES);
}
BENCHMARK(BM_Reference_Memcpy10Pings);

void BM_AccumulatorRead(benchmark::State& state)
{
    vWorld();
    t_n_process::vProcessPing(pPing(1));
    std::vector<U8> store(STORE), display(PIXELS);
    TSU_STORE_COLUMN column = {};
    column.au8Data = store.data();
    column.u32TSUDataLength = STORE;
    for (auto _ : state) {
        BOOLEAN noise = FALSE;
        benchmark::DoNotOptimize(T_N_PROCESS_eGetDataForDisplay(1, &column, display.data(), 0, SAMPLES, nullptr, 0,
                                                                0, nullptr, 0, 0, nullptr, PIXELS, 0, 0, TRUE,
                                                                &noise));
        benchmark::ClobberMemory();
    }
    vFinish(state, SAMPLES);
}
BENCHMARK(BM_AccumulatorRead);

// The same two squeezes as plain loops: the largest of each group.
void BM_Reference_MaxPool(benchmark::State& state)
{
    std::vector<U8> in(s_template), store(STORE), display(PIXELS);
    const U32 factor = (SAMPLES + STORE - 1) / STORE;
    const U32 stored = SAMPLES / factor;
    for (auto _ : state) {
        for (U32 k = 0; k < stored; ++k)
            store[k] = *std::max_element(&in[k * factor], &in[k * factor] + factor);
        for (U32 k = 0; k < PIXELS; ++k) {
            const U32 from = k * stored / PIXELS;
            const U32 to = std::max(from + 1, (k + 1) * stored / PIXELS);
            display[k] = *std::max_element(&store[from], &store[0] + to);
        }
        benchmark::DoNotOptimize(display.data());
        benchmark::ClobberMemory();
    }
    vFinish(state, SAMPLES);
}
BENCHMARK(BM_Reference_MaxPool);

} // namespace

BENCHMARK_MAIN();
