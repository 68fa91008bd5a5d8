// One ping through the coprocessor interface with the simulated coprocessor
// in process (a 247-byte write and a read of 50 noise and 55,000 return
// samples), and the de-interleave of one channel of such a block; beside a
// memcpy of the 55,050 bytes that the de-interleave produces.
#include "platform/h_coproc.h"
#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_demultiplex.h"

#include "kernel/lm_log.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr U16 NOISE = 50;
constexpr U16 RETURNS = 55000;
constexpr size_t CHANNEL_BYTES = NOISE + RETURNS;

// A unit root of its own, so that /dev/sonar0 is the simulated device.
struct Root {
    std::string path;
    Root()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "vondrel-bench-XXXXXX").string();
        path = mkdtemp(tmpl.data()) ? tmpl : "";
        std::filesystem::create_directories(path + "/dev");
        setenv("VONDREL_ROOT", path.c_str(), 1);
    }
    ~Root()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

void BM_SimulatedTransfer(benchmark::State& state)
{
    static Root root;
    opt_nolog = TRUE;
    H_COPROC_vInitialize();
    U8* block = gpu8NonCachedDataBlock;
    U32 received = 0;
    for (auto _ : state) {
        std::memset(block, 0, MULTI_TX_BYTES);
        S_COPROC_vBuildTxSequence200kHz(block, 30, TXPOWER_HI, 1, RETURNS, 200, FALSE);
        H_COPROC_u32Transfer(block, MULTI_TX_BYTES, SEND_TO_COPROC);
        received = H_COPROC_u32Transfer(block, H_COPROC_BLOCK_BYTES, RECEIVE_FROM_COPROC);
        benchmark::DoNotOptimize(block);
    }
    if (received != S_DEMULTIPLEX_HEAD_BYTES + 3 * CHANNEL_BYTES)
        state.SkipWithError("unexpected block size");
    state.SetBytesProcessed((int64_t)state.iterations() * received);
}
BENCHMARK(BM_SimulatedTransfer);

std::vector<U8> frames()
{
    std::vector<U8> f(3 * CHANNEL_BYTES);
    std::mt19937 rng(1);
    for (U8& b : f)
        b = (U8)rng();
    return f;
}

void BM_DeinterleaveOneChannel(benchmark::State& state)
{
    const std::vector<U8> source = frames();
    std::vector<U8> noise(NOISE), returns(RETURNS);
    for (auto _ : state) {
        S_DEMULTIPLEX_vGetExtractRxData(source.data(), 1, NOISE, RETURNS, noise.data(), returns.data());
        benchmark::DoNotOptimize(returns.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)state.iterations() * CHANNEL_BYTES);
}
BENCHMARK(BM_DeinterleaveOneChannel);

void BM_MemcpyChannelBytes(benchmark::State& state)
{
    const std::vector<U8> source = frames();
    std::vector<U8> destination(CHANNEL_BYTES);
    for (auto _ : state) {
        std::memcpy(destination.data(), source.data() + 1, CHANNEL_BYTES);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)state.iterations() * CHANNEL_BYTES);
}
BENCHMARK(BM_MemcpyChannelBytes);

} // namespace

BENCHMARK_MAIN();
