// Chart raster graphics over a 1024 x 768 buffer: spans, lines and polygon
// fills, each beside a plain reference measured in the same run.
#include "chart_sdk/graphics/gr_context.h"
#include "chart_sdk/graphics/gr_line.h"
#include "chart_sdk/graphics/gr_pixel.h"
#include "chart_sdk/graphics/gr_polyfill.h"
#include "chart_sdk/graphics/u_poly.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr SINT kWidth = 1024;
constexpr SINT kHeight = 768;

struct Screen {
    Screen() : words(static_cast<size_t>(kWidth / 2) * kHeight)
    {
        gr_InitGC(&gc, PIXELDIM{kWidth, kHeight}, reinterpret_cast<VSCREENPTR>(words.data()));
        gr_SetColor(&gc, GR_DIRECT_COLOUR | 0x07E0);
    }
    std::vector<U32> words;
    GR_CONTEXT gc{};
};

struct Span {
    SINT x, r, n;
};

std::vector<Span> RandomSpans()
{
    std::mt19937 rng(1);
    std::vector<Span> spans(4096);
    for (Span& s : spans) {
        s.x = rng() % kWidth;
        s.r = rng() % kHeight;
        s.n = static_cast<SINT>(rng() % kWidth) - s.x;
    }
    return spans;
}

void BM_HorLine(benchmark::State& state)
{
    Screen sc;
    gr_SetGMode(&sc.gc, static_cast<UCHAR>(state.range(0)));
    const std::vector<Span> spans = RandomSpans();
    S64 pixels = 0;
    size_t i = 0;
    for (auto _ : state) {
        const Span& s = spans[i++ & 4095];
        gf_HorLine(&sc.gc, s.x, s.r, s.n);
        pixels += s.n < 0 ? -s.n : s.n;
    }
    benchmark::DoNotOptimize(sc.words.data());
    state.SetItemsProcessed(state.iterations());
    state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(pixels), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_HorLine)->Arg(GR_MODE_REPLACE)->Arg(GR_MODE_XOR);

// Reference: the same spans written one pixel at a time.
void BM_HorLineReferencePerPixel(benchmark::State& state)
{
    Screen sc;
    const std::vector<Span> spans = RandomSpans();
    S64 pixels = 0;
    size_t i = 0;
    for (auto _ : state) {
        const Span& s = spans[i++ & 4095];
        const SINT xa = s.n >= 0 ? s.x : s.x + s.n + 1;
        const SINT count = s.n >= 0 ? s.n : -s.n;
        for (SINT k = 0; k < count; ++k) {
            gf_PutPixel(&sc.gc, xa + k, s.r);
        }
        pixels += count;
    }
    benchmark::DoNotOptimize(sc.words.data());
    state.SetItemsProcessed(state.iterations());
    state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(pixels), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_HorLineReferencePerPixel);

struct Segment {
    SINT x0, y0, x1, y1;
};

std::vector<Segment> RandomSegments(SINT margin)
{
    std::mt19937 rng(2);
    std::vector<Segment> segs(4096);
    for (Segment& s : segs) {
        s.x0 = static_cast<SINT>(rng() % (kWidth + 2 * margin)) - margin;
        s.y0 = static_cast<SINT>(rng() % (kHeight + 2 * margin)) - margin;
        s.x1 = static_cast<SINT>(rng() % (kWidth + 2 * margin)) - margin;
        s.y1 = static_cast<SINT>(rng() % (kHeight + 2 * margin)) - margin;
    }
    return segs;
}

// Pen lines; range(0) selects the kind: 0 solid, 1 patterned, 2 brush of size 3.
void BM_PenLine(benchmark::State& state)
{
    static const UCHAR dash[1] = {0x3F};
    Screen sc;
    gr_InitPattern(dash, 9, PIXELDIM{8, 1}, 1);
    if (state.range(0) == 1) {
        gr_SetPatternType(&sc.gc, 9);
        gr_SetPatternStatus(&sc.gc, TRUE);
    } else if (state.range(0) == 2) {
        gr_SetDrawingTool(&sc.gc, BRUSH);
        gr_SetPixelSize(&sc.gc, 3);
    }
    const std::vector<Segment> segs = RandomSegments(200);
    size_t i = 0;
    for (auto _ : state) {
        const Segment& s = segs[i++ & 4095];
        gr_SetAbsPenPos(&sc.gc, s.x0, s.y0);
        gr_DrawAbsLine(&sc.gc, s.x1, s.y1);
    }
    benchmark::DoNotOptimize(sc.words.data());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PenLine)->Arg(0)->Arg(1)->Arg(2);

void BM_SmartLine(benchmark::State& state)
{
    Screen sc;
    const std::vector<Segment> segs = RandomSegments(200);
    size_t i = 0;
    for (auto _ : state) {
        const Segment& s = segs[i++ & 4095];
        gr_SmartDrawLine(&sc.gc, 1, s.x0, s.y0, s.x1, s.y1);
    }
    benchmark::DoNotOptimize(sc.words.data());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SmartLine);

// Reference: the same lines inside the buffer by a plain DDA with a clip
// test per pixel.
void BM_LineReferenceDda(benchmark::State& state)
{
    Screen sc;
    const std::vector<Segment> segs = RandomSegments(200);
    size_t i = 0;
    for (auto _ : state) {
        const Segment& s = segs[i++ & 4095];
        const SINT dx = s.x1 - s.x0;
        const SINT dy = s.y1 - s.y0;
        const SINT steps = std::max(std::abs(dx), std::abs(dy));
        for (SINT k = 0; k < steps; ++k) {
            const SINT x = s.x0 + static_cast<SINT>(static_cast<double>(dx) * k / steps);
            const SINT y = s.y0 + static_cast<SINT>(static_cast<double>(dy) * k / steps);
            if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) {
                gf_PutPixel(&sc.gc, x, kHeight - 1 - y);
            }
        }
    }
    benchmark::DoNotOptimize(sc.words.data());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LineReferenceDda);

// 10,000 chart-like areas: closed rings of 8 to 60 vertices with ragged
// outlines, from a few pixels to a third of the screen, some reaching past
// its edges.
struct Area {
    std::vector<SINT> xy;
    SINT edges;
};

const std::vector<Area>& ChartAreas()
{
    static const std::vector<Area> areas = [] {
        std::mt19937 rng(3);
        std::vector<Area> out(10000);
        for (Area& a : out) {
            const int n = 8 + static_cast<int>(rng() % 53);
            const double cx = static_cast<double>(rng() % (kWidth + 200)) - 100;
            const double cy = static_cast<double>(rng() % (kHeight + 200)) - 100;
            const double radius = 3.0 + static_cast<double>(rng() % 1000) * (rng() % 8 == 0 ? 0.3 : 0.05);
            for (int i = 0; i < n; ++i) {
                const double angle = 6.283185307179586 * i / n;
                const double r = radius * (0.6 + 0.4 * static_cast<double>(rng() % 1000) / 1000.0);
                a.xy.push_back(static_cast<SINT>(cx + r * std::cos(angle)));
                a.xy.push_back(static_cast<SINT>(cy + r * std::sin(angle)));
            }
            a.xy.push_back(a.xy[0]);
            a.xy.push_back(a.xy[1]);
            a.edges = n;
        }
        return out;
    }();
    return areas;
}

void BM_PolyFillChartAreas(benchmark::State& state)
{
    Screen sc;
    auto pf = std::make_unique<GL_POLYFILL>();
    std::vector<U32> mask(static_cast<size_t>(kWidth / 32) * kHeight);
    gr_PolyFillInit(pf.get(), PIXELDIM{kWidth, kHeight}, reinterpret_cast<VSCREENPTR>(mask.data()));
    const std::vector<Area>& areas = ChartAreas();
    S64 edges = 0;
    for (auto _ : state) {
        for (const Area& a : areas) {
            gr_PolyFillStart(pf.get(), nullptr, 1);
            U_POLY_eClipSegment(pf.get(), a.xy.data(), static_cast<SINT>(a.xy.size() / 2));
            gr_PolyFillProcess(pf.get(), nullptr);
            gr_PolyFillDraw(pf.get(), &sc.gc, GR_DIRECT_COLOUR | 0x1F, nullptr);
            edges += a.edges;
        }
    }
    benchmark::DoNotOptimize(sc.words.data());
    state.counters["edges/s"] = benchmark::Counter(static_cast<double>(edges), benchmark::Counter::kIsRate);
    state.counters["polygons/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 10000.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PolyFillChartAreas)->Unit(benchmark::kMillisecond);

// Reference: the same areas by a plain scanline fill that intersects every
// edge with every row of the area's box.
void BM_PolyFillReferenceScanline(benchmark::State& state)
{
    Screen sc;
    const std::vector<Area>& areas = ChartAreas();
    std::vector<double> xs;
    S64 edges = 0;
    for (auto _ : state) {
        for (const Area& a : areas) {
            const size_t n = a.xy.size() / 2;
            SINT ylo = kHeight, yhi = -1;
            for (size_t i = 0; i < n; ++i) {
                ylo = std::min(ylo, a.xy[2 * i + 1]);
                yhi = std::max(yhi, a.xy[2 * i + 1]);
            }
            ylo = std::max<SINT>(ylo, 0);
            yhi = std::min<SINT>(yhi, kHeight - 1);
            for (SINT y = ylo; y <= yhi; ++y) {
                xs.clear();
                for (size_t i = 0; i + 1 < n; ++i) {
                    const double x0 = a.xy[2 * i], y0 = a.xy[2 * i + 1];
                    const double x1 = a.xy[2 * i + 2], y1 = a.xy[2 * i + 3];
                    if ((y0 <= y && y < y1) || (y1 <= y && y < y0)) {
                        xs.push_back(x0 + (x1 - x0) * (y - y0) / (y1 - y0));
                    }
                }
                std::sort(xs.begin(), xs.end());
                for (size_t k = 0; k + 1 < xs.size(); k += 2) {
                    const SINT xa = std::max<SINT>(0, static_cast<SINT>(std::lround(xs[k])));
                    const SINT xb = std::min<SINT>(kWidth, static_cast<SINT>(std::lround(xs[k + 1])));
                    if (xa < xb) {
                        gf_HorLine(&sc.gc, xa, kHeight - 1 - y, xb - xa);
                    }
                }
            }
            edges += a.edges;
        }
    }
    benchmark::DoNotOptimize(sc.words.data());
    state.counters["edges/s"] = benchmark::Counter(static_cast<double>(edges), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PolyFillReferenceScanline)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
