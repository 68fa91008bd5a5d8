// Whole-frame fills and copies of the 2D drawing library beside memset and
// memcpy of the same 960,000 bytes, in the same run.
#include "graphics/g_bmp.h"
#include "graphics/g_box.h"
#include "graphics/g_buffers.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr size_t FRAME_BYTES = 800 * 600 * sizeof(COLOR);

struct Frames {
    Frames()
    {
        G_BMP_vSet(source, 0x1234);
        G_BMP_vSet(destination, 0x0000);
    }
    ~Frames()
    {
        G_BUFFERS_vFreeFullScreenBitmap(source);
        G_BUFFERS_vFreeFullScreenBitmap(destination);
    }
    BITMAP* source = G_BUFFERS_pCreateFullScreenBitmap();
    BITMAP* destination = G_BUFFERS_pCreateFullScreenBitmap();
};

void setBytes(benchmark::State& state) { state.SetBytesProcessed((int64_t)state.iterations() * FRAME_BYTES); }

// Argument: the colour. 0x0000 has two equal bytes and becomes a byte fill;
// 0x1234 takes the word loop.
void BM_FillFrame_G_BMP_vSet(benchmark::State& state)
{
    Frames f;
    const COLOR color = (COLOR)state.range(0);
    for (auto _ : state) {
        G_BMP_vSet(f.destination, color);
        benchmark::ClobberMemory();
    }
    setBytes(state);
}
BENCHMARK(BM_FillFrame_G_BMP_vSet)->Arg(0x1234)->Arg(0x0000);

void BM_FillFrame_G_BOX_vDrawFilled(benchmark::State& state)
{
    Frames f;
    const POINT anchor{0, 0};
    const COLOR color = (COLOR)state.range(0);
    for (auto _ : state) {
        G_BOX_vDrawFilled(f.destination, color, &anchor, 800, 600);
        benchmark::ClobberMemory();
    }
    setBytes(state);
}
BENCHMARK(BM_FillFrame_G_BOX_vDrawFilled)->Arg(0x1234)->Arg(0x0000);

void BM_FillFrame_memset(benchmark::State& state)
{
    Frames f;
    for (auto _ : state) {
        memset(f.destination->pBuffer, 0x12, FRAME_BYTES);
        benchmark::ClobberMemory();
    }
    setBytes(state);
}
BENCHMARK(BM_FillFrame_memset);

void BM_CopyFrame_G_BMP_vCopyRegion(benchmark::State& state)
{
    Frames f;
    for (auto _ : state) {
        G_BMP_vCopyRegion(f.source, f.destination, 0, 0, 800);
        benchmark::ClobberMemory();
    }
    setBytes(state);
}
BENCHMARK(BM_CopyFrame_G_BMP_vCopyRegion);

void BM_CopyFrame_G_BMP_vPlaceLogicalOnLogical(benchmark::State& state)
{
    Frames f;
    const POINT origin{0, 0};
    for (auto _ : state) {
        G_BMP_vPlaceLogicalOnLogical(f.destination, &origin, f.source, &origin, 800, 600);
        benchmark::ClobberMemory();
    }
    setBytes(state);
}
BENCHMARK(BM_CopyFrame_G_BMP_vPlaceLogicalOnLogical);

void BM_CopyFrame_memcpy(benchmark::State& state)
{
    Frames f;
    for (auto _ : state) {
        memcpy(f.destination->pBuffer, f.source->pBuffer, FRAME_BYTES);
        benchmark::ClobberMemory();
    }
    setBytes(state);
}
BENCHMARK(BM_CopyFrame_memcpy);

} // namespace

BENCHMARK_MAIN();
