// Drawing 50 saved tracks of 21835 points each with the track painter (a
// thin line over an 800 x 600 pane, a quarter of the points outside its box)
// beside a plain loop that converts the same points to pixels with
// U_NAV_vConvertMMToPixel. The painter also walks the tracks' step rings,
// tests every point against the box and draws the lines; it should stay
// within 20 times the bare conversion. Each reports its time per point
// ("per_point", seconds).
#include "nav/core/t_nav_draw.h"
#include "nav/core/u_nav.h"

#include "chart_sdk/graphics/gr_context.h"
#include "graphics/g_buffers.h"
#include "store/h_database.h"
#include "util/u_convert.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int TRACKS = 50;
constexpr int POINTS = 21835;
constexpr S32 PIXELS_PER_MMM = 1 << 20; // one pixel per metre

struct World {
    std::vector<std::unique_ptr<TRACK>> tracks;
    std::vector<POINT> points; // every track's points, relative to the centre
    BITMAP* pBitmap = nullptr;
    NAV_VIEW_INFO nvi{};
};

World& world()
{
    static World w = [] {
        World v;
        U_CONVERT_vInitialiseConversionUtility();
        H_DATABASE_vInit();
        std::mt19937 rng(8121);
        std::uniform_int_distribution<S32> step(-3, 3);
        for (int t = 0; t < TRACKS; ++t) {
            auto track = std::make_unique<TRACK>();
            U_NAV_vClearTrack(track.get());
            // A wandering walk of metre steps that leaves the pane now and
            // then.
            POINT p = {-500 + 20 * t, -300 + 12 * t};
            for (int i = 0; i < POINTS; ++i) {
                p.x += step(rng) + (int)(2.0 * std::sin(i / 900.0));
                p.y += step(rng) + (int)(2.0 * std::cos(i / 1300.0 + t));
                U_NAV_vAddTrackPoint(track.get(), p, 0, FALSE);
            }
            U16 it = 0;
            U16 depth = 0;
            POINT pt{};
            while (U_NAV_eScanTrack(track.get(), &it, &pt, &depth) != TRACKPOINT_INVALID)
                v.points.push_back(pt);
            v.tracks.push_back(std::move(track));
        }
        v.pBitmap = G_BUFFERS_pCreateBitmap(800, 600, nullptr, nullptr);
        v.nvi.pBitmap = v.pBitmap;
        gr_InitGC(&v.nvi.GrContext, PIXELDIM{800, 600}, (VSCREENPTR)v.pBitmap->pBuffer);
        gr_ResetRotationContext(&v.nvi.RotContext);
        gr_SetRotationAngle(&v.nvi.RotContext, 17.0);
        v.nvi.nChartRotation = 17;
        v.nvi.CenterOffset = {400, 300};
        v.nvi.nPixelsPerMMM = PIXELS_PER_MMM;
        v.nvi.nChartScale = 12;
        return v;
    }();
    return w;
}

void setPerPoint(benchmark::State& state, size_t points)
{
    state.counters["per_point"] = benchmark::Counter(
        (double)points, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_RenderSavedTracks(benchmark::State& state)
{
    World& w = world();
    for (auto _ : state) {
        for (auto& t : w.tracks)
            T_NAV_vRenderTrack(t.get(), &w.nvi, FALSE, TRACK_STYLE_THIN_LINE, 21, FALSE);
        benchmark::ClobberMemory();
    }
    setPerPoint(state, w.points.size());
}

void BM_ConvertSamePoints(benchmark::State& state)
{
    World& w = world();
    std::vector<POINT> out(w.points.size());
    for (auto _ : state) {
        for (size_t i = 0; i < w.points.size(); ++i) {
            POINT p = w.points[i];
            U_NAV_vConvertMMToPixel(&p, &w.nvi.RotContext, &w.nvi.CenterOffset, PIXELS_PER_MMM);
            out[i] = p;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setPerPoint(state, w.points.size());
}

} // namespace

BENCHMARK(BM_ConvertSamePoints)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderSavedTracks)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
