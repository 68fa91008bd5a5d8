// The per-point navigation geometry over the same 1,000,000 Mercator-metre
// offsets: the 2D conversion with and without rotation, the box clip of the
// segments between consecutive offsets, and the perspective clip with the
// projection of both ends; beside a double-precision affine transform of the
// same points into pixels, rounded to the nearest pixel as the integer
// conversion rounds. Every drawn point of every frame goes through one of
// these. The 2D conversion compiles into its caller's loop, and so does the
// reference; the clips and the projection are calls. Each reports its time
// per point (the "per_point" counter, in seconds).
#include "nav/core/u_nav.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr size_t POINTS = 1000000;
constexpr S32 PIXELS_PER_MMM = 1 << 20;  // one pixel per metre
constexpr S32 EYE_OFFSET = 400;          // metres
constexpr double ROTATION = 23.0;        // degrees

// Offsets up to twice the pane's clip box, so that the box clip has work.
const std::vector<POINT>& offsets()
{
    static const std::vector<POINT> points = [] {
        std::mt19937 rng(8230);
        const S32 L = NAV_BOX_PIXEL_SPAN / PIXELS_PER_MMM;
        std::uniform_int_distribution<S32> d(-2 * L, 2 * L);
        std::vector<POINT> v(POINTS);
        for (POINT& p : v)
            p = {d(rng), d(rng)};
        return v;
    }();
    return points;
}

const GP_ROTCONTEXT& rotation()
{
    static const GP_ROTCONTEXT rc = [] {
        GP_ROTCONTEXT r;
        gr_ResetRotationContext(&r);
        gr_SetRotationAngle(&r, ROTATION);
        return r;
    }();
    return rc;
}

void setPerPoint(benchmark::State& state)
{
    state.SetItemsProcessed((int64_t)state.iterations() * POINTS);
    state.counters["per_point"] = benchmark::Counter(
        (double)POINTS, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The references: rotate, scale and move in doubles, then round to the
// nearest pixel as the integer conversion does; and, as the cheapest bound,
// truncate instead (which puts negative coordinates one pixel off).
struct AFFINE {
    double a, b, c, d, e, f;
};

AFFINE affine()
{
    const double s = std::sin(ROTATION * M_PI / 180) * PIXELS_PER_MMM / 1048576.0;
    const double c = std::cos(ROTATION * M_PI / 180) * PIXELS_PER_MMM / 1048576.0;
    return {c, -s, 400, s, c, 300};
}

void vAffineRounded(POINT* p, const AFFINE* m)
{
    const double x = p->x, y = p->y;
    p->x = (S32)std::floor(m->a * x + m->b * y + m->c + 0.5);
    p->y = (S32)std::floor(m->d * x + m->e * y + m->f + 0.5);
}

void vAffineTruncated(POINT* p, const AFFINE* m)
{
    const double x = p->x, y = p->y;
    p->x = (S32)(m->a * x + m->b * y + m->c);
    p->y = (S32)(m->d * x + m->e * y + m->f);
}

template <void (*TRANSFORM)(POINT*, const AFFINE*)>
void affineReference(benchmark::State& state)
{
    const std::vector<POINT>& in = offsets();
    std::vector<POINT> out(POINTS);
    const AFFINE m = affine();
    for (auto _ : state) {
        for (size_t i = 0; i < POINTS; ++i) {
            out[i] = in[i];
            TRANSFORM(&out[i], &m);
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setPerPoint(state);
}

void BM_AffineDoubleReference(benchmark::State& state)
{
    affineReference<vAffineRounded>(state);
}

void BM_AffineDoubleTruncatedReference(benchmark::State& state)
{
    affineReference<vAffineTruncated>(state);
}

void BM_ConvertMMToPixel(benchmark::State& state)
{
    const std::vector<POINT>& in = offsets();
    std::vector<POINT> out(POINTS);
    const POINT centre = {400, 300};
    const GP_ROTCONTEXT* rc = &rotation();
    for (auto _ : state) {
        for (size_t i = 0; i < POINTS; ++i) {
            out[i] = in[i];
            U_NAV_vConvertMMToPixel(&out[i], rc, &centre, PIXELS_PER_MMM);
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setPerPoint(state);
}

void BM_ConvertMMToPixelNoRotation(benchmark::State& state)
{
    const std::vector<POINT>& in = offsets();
    std::vector<POINT> out(POINTS);
    const POINT centre = {400, 300};
    for (auto _ : state) {
        for (size_t i = 0; i < POINTS; ++i) {
            out[i] = in[i];
            U_NAV_vConvertMMToPixelNoRotation(&out[i], &centre, PIXELS_PER_MMM);
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setPerPoint(state);
}

// The segments between consecutive offsets, one per point.
void BM_ClipLineToBox(benchmark::State& state)
{
    const std::vector<POINT>& in = offsets();
    std::vector<POINT> out(POINTS);
    const S32 L = NAV_BOX_PIXEL_SPAN / PIXELS_PER_MMM;
    for (auto _ : state) {
        for (size_t i = 0; i < POINTS; ++i) {
            POINT a = in[i];
            POINT b = in[i + 1 < POINTS ? i + 1 : 0];
            U_NAV_vClipLineToBox(&a, &b, -L, L);
            out[i] = a;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setPerPoint(state);
}

// The same segments clipped to the perspective view, then both ends of the
// visible ones projected.
void BM_ClipLineToHighwayViewAndProject(benchmark::State& state)
{
    const std::vector<POINT>& in = offsets();
    std::vector<POINT> out(POINTS);
    const POINT centre = {400, 200};
    const GP_ROTCONTEXT* rc = &rotation();
    size_t shown = 0;
    for (auto _ : state) {
        shown = 0;
        for (size_t i = 0; i < POINTS; ++i) {
            POINT a = in[i];
            POINT b = in[i + 1 < POINTS ? i + 1 : 0];
            if (U_NAV_bClipLineToHighwayView(&a, &b, rc, EYE_OFFSET)) {
                U_NAV_vConvertMMToHighwayViewPixel(&a, 0, rc, &centre, PIXELS_PER_MMM, EYE_OFFSET);
                U_NAV_vConvertMMToHighwayViewPixel(&b, 0, rc, &centre, PIXELS_PER_MMM, EYE_OFFSET);
                ++shown;
            }
            out[i] = a;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setPerPoint(state);
    state.counters["visible"] = (double)shown / POINTS;
}

BENCHMARK(BM_AffineDoubleReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AffineDoubleTruncatedReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertMMToPixel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertMMToPixelNoRotation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClipLineToBox)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClipLineToHighwayViewAndProject)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
