// Terrain texture fusion of one 512 x 512 tile, and software projection in
// points per second, each beside a memcpy of the same bytes in the same run.
#include "render3d/ts_display.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr size_t kTexels = 512 * 512;
constexpr size_t kTileBytes = kTexels * sizeof(U16);
constexpr int kPoints = 4096;

struct TileInputs {
    std::vector<U8> height = std::vector<U8>(kTexels);
    std::vector<U8> shade = std::vector<U8>(kTexels);
    std::vector<U16> colours = std::vector<U16>(65536);
    std::vector<U16> photo = std::vector<U16>(kTexels);
    std::vector<U16> out = std::vector<U16>(kTexels);
    TileInputs()
    {
        std::mt19937 rng(3);
        for (size_t i = 0; i < kTexels; ++i) {
            height[i] = static_cast<U8>(rng());
            shade[i] = static_cast<U8>(rng());
            photo[i] = static_cast<U16>(rng());
        }
        for (U16& c : colours) {
            c = static_cast<U16>(rng());
        }
    }
};

TileInputs& tile()
{
    static TileInputs inputs;
    return inputs;
}

void BM_FuseShadeHeight(benchmark::State& state)
{
    TileInputs& t = tile();
    for (auto _ : state) {
        tsDisplay_FuseShadeHeight(t.out.data(), t.shade.data(), t.height.data(), t.colours.data());
        benchmark::DoNotOptimize(t.out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kTileBytes));
}
BENCHMARK(BM_FuseShadeHeight);

void BM_FusePhotoShadeHeight(benchmark::State& state)
{
    TileInputs& t = tile();
    for (auto _ : state) {
        tsDisplay_FusePhotoShadeHeight(t.out.data(), t.photo.data(), t.shade.data(), t.height.data(),
                                       t.colours.data(), FALSE);
        benchmark::DoNotOptimize(t.out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kTileBytes));
}
BENCHMARK(BM_FusePhotoShadeHeight);

void BM_MemcpyTile(benchmark::State& state)
{
    TileInputs& t = tile();
    for (auto _ : state) {
        std::memcpy(t.out.data(), t.photo.data(), kTileBytes);
        benchmark::DoNotOptimize(t.out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kTileBytes));
}
BENCHMARK(BM_MemcpyTile);

// The 3D chart camera over ground points spread in front of it.
struct ProjectionInputs {
    std::unique_ptr<tsDisplay> display = std::make_unique<tsDisplay>();
    std::vector<S32> vertices = std::vector<S32>(3 * kPoints);
    std::vector<S32> tcoords = std::vector<S32>(2 * kPoints, 0);
    std::vector<S32> copy = std::vector<S32>(3 * kPoints);
    ProjectionInputs()
    {
        tsDisplay* d = display.get();
        tsDisplay_Init(d, 800, 600, nullptr, nullptr, 0);
        tsDisplay_MatrixMode(d, TS_PROJECTION);
        tsDisplay_LoadIdentity(d);
        tsDisplay_Perspective(d, 35.0f, 4.0f / 3.0f, 0.1f, 10000.0f);
        tsDisplay_MatrixMode(d, TS_MODELVIEW);
        const S32 centre[3] = {0, 20 << 16, 0};
        tsMatrix camera;
        tsMatrix_Set(&camera, 0x1234, 245396, 0, centre);
        tsDisplay_LoadMatrixx(d, &camera);
        tsDisplay_CombineMatrices(d);
        std::mt19937 rng(5);
        for (int i = 0; i < kPoints; ++i) {
            vertices[3 * i] = static_cast<S32>(rng() % 200000) - 100000;
            vertices[3 * i + 1] = static_cast<S32>(rng() % 400000);
            vertices[3 * i + 2] = static_cast<S32>(rng() % 20000);
        }
        tsDisplay_VertexPointer(d, 3, 0, 0, vertices.data());
        tsDisplay_TexCoordPointer(d, 2, 0, 0, tcoords.data());
    }
    ~ProjectionInputs() { tsDisplay_SetVertexBuffers(display.get(), nullptr, nullptr, 0); }
};

ProjectionInputs& points()
{
    static ProjectionInputs inputs;
    return inputs;
}

void BM_ProjectPoint(benchmark::State& state)
{
    ProjectionInputs& p = points();
    for (auto _ : state) {
        S32 sum = 0;
        for (int i = 0; i < kPoints; ++i) {
            S32 sx = 0;
            S32 sy = 0;
            tsDisplay_ProjectPoint(p.display.get(), p.vertices[3 * i] << 5, p.vertices[3 * i + 1] << 5,
                                   p.vertices[3 * i + 2] << 5, &sx, &sy);
            sum += sx ^ sy;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kPoints);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kPoints * 12);
}
BENCHMARK(BM_ProjectPoint);

void BM_ProcessVertices(benchmark::State& state)
{
    ProjectionInputs& p = points();
    p.display->RenderMode = tsRM_FULL;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tsDisplay_ProcessVertices(p.display.get(), 0, kPoints));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kPoints);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kPoints * 12);
}
BENCHMARK(BM_ProcessVertices);

void BM_MemcpyPoints(benchmark::State& state)
{
    ProjectionInputs& p = points();
    for (auto _ : state) {
        std::memcpy(p.copy.data(), p.vertices.data(), sizeof(S32) * 3 * kPoints);
        benchmark::DoNotOptimize(p.copy.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kPoints);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kPoints * 12);
}
BENCHMARK(BM_MemcpyPoints);

} // namespace

BENCHMARK_MAIN();
