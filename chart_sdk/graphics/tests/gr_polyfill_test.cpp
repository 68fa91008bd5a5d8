// Polygon fill and the inverse mask: the scan of the edge table, the even-odd
// rule across rings, painting cut to the clip rectangle, separated parts of
// one area, and a comparison with a plain reference rasteriser.
#include "chart_sdk/graphics/tests/gr_fixture.h"

#include "chart_sdk/graphics/gr_polyfill.h"

#include <cmath>
#include <memory>
#include <random>

using grt::Box;
using grt::Canvas;
using grt::PixelSet;
using grt::Row;

namespace {

// A fill over a mask of the canvas's size; the record lives on the heap.
struct Fill {
    explicit Fill(int w, int h) : mask(static_cast<size_t>((w + 31) / 32) * h), pf(std::make_unique<GL_POLYFILL>())
    {
        pf->inversefillmask = nullptr;
        gr_PolyFillInit(pf.get(), PIXELDIM{w, h}, reinterpret_cast<VSCREENPTR>(mask.data()));
    }
    bool bit(int x, int r) const
    {
        return (mask[static_cast<size_t>(r) * pf->polyctx.scrdim.rowsize + x / 32] >> (x % 32)) & 1;
    }
    PixelSet bits() const
    {
        PixelSet out;
        for (int r = 0; r < pf->polyctx.pixdim.ph; ++r) {
            for (int x = 0; x < pf->polyctx.pixdim.pw; ++x) {
                if (bit(x, r)) {
                    out.insert({x, r});
                }
            }
        }
        return out;
    }
    ERRORCODE add(std::vector<PIXELPOS> v) { return gr_PolyFillAddVertices(pf.get(), v.data(), static_cast<SINT>(v.size())); }
    std::vector<U32> mask;
    std::unique_ptr<GL_POLYFILL> pf;
};

std::vector<PIXELPOS> Square(SINT x0, SINT y0, SINT x1, SINT y1)
{
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
}

// Even-odd reference over logical vertex rings: the columns where the edges
// cross buffer row `row`, each edge covering rows [smaller, larger). Pixel
// (c, row) is inside when an odd number of crossings lie right of c + 0.5.
std::vector<double> Crossings(const std::vector<std::vector<PIXELPOS>>& rings, int ph, int row)
{
    std::vector<double> xs;
    for (const auto& ring : rings) {
        for (size_t i = 0; i + 1 < ring.size(); ++i) {
            double x0 = ring[i].px, r0 = ph - 1 - ring[i].py;
            double x1 = ring[i + 1].px, r1 = ph - 1 - ring[i + 1].py;
            if (r0 == r1) {
                continue;
            }
            if (r0 > r1) {
                std::swap(x0, x1);
                std::swap(r0, r1);
            }
            if (row >= r0 && row < r1) {
                xs.push_back(x0 + (x1 - x0) * (row - r0) / (r1 - r0));
            }
        }
    }
    return xs;
}

bool ReferenceInside(const std::vector<double>& crossings, int c)
{
    bool inside = false;
    for (double x : crossings) {
        if (x > c + 0.5) {
            inside = !inside;
        }
    }
    return inside;
}

int cancelCalls = 0;
SINT CancelAfterThree()
{
    return ++cancelCalls > 3;
}

} // namespace

TEST(GrPolyFill, TriangleRows)
{
    Fill f(100, 100);
    gr_PolyFillStart(f.pf.get(), nullptr, 1);
    EXPECT_EQ(f.add({{10, 10}, {20, 10}, {15, 20}, {10, 10}}), GR_OK);
    EXPECT_EQ(f.pf->gtblnoedges, 2); // the horizontal base is dropped
    EXPECT_EQ(f.pf->edgestable.ymin[0], 79);
    EXPECT_EQ(f.pf->edgestable.ymax[0], 89);
    EXPECT_EQ(gr_PolyFillProcess(f.pf.get(), nullptr), GR_OK);
    EXPECT_EQ(f.pf->gtblnoedges, 0);
    const PixelSet bits = f.bits();
    for (const grt::Pixel& p : bits) {
        EXPECT_TRUE(p.second >= 80 && p.second <= 88) << p.first << "," << p.second;
    }
    PixelSet row88;
    for (const grt::Pixel& p : bits) {
        if (p.second == 88) {
            row88.insert(p);
        }
    }
    EXPECT_EQ(row88, Row(88, 11, 19));
    EXPECT_EQ(f.pf->polyctx.clipbox.ymin, 79);
}

TEST(GrPolyFill, RingsCombineEvenOdd)
{
    Fill f(64, 64);
    gr_PolyFillStart(f.pf.get(), nullptr, 1);
    f.add(Square(10, 10, 40, 40));
    f.add(Square(10, 10, 40, 40));
    gr_PolyFillProcess(f.pf.get(), nullptr);
    EXPECT_TRUE(f.bits().empty());

    gr_PolyFillStart(f.pf.get(), nullptr, 1);
    f.add(Square(10, 10, 40, 40));
    f.add(Square(20, 20, 30, 30));
    gr_PolyFillProcess(f.pf.get(), nullptr);
    // Logical y 10..40 covers buffer rows 23..52; the hole rows 33..42.
    PixelSet expect = Box(10, 23, 39, 52);
    for (const grt::Pixel& p : Box(20, 33, 29, 42)) {
        expect.erase(p);
    }
    EXPECT_EQ(f.bits(), expect);
}

TEST(GrPolyFill, SeparatePartsOfOneAreaAreAllFilled)
{
    Fill f(64, 64);
    gr_PolyFillStart(f.pf.get(), nullptr, 1);
    f.add(Square(5, 5, 15, 15));
    f.add(Square(30, 40, 50, 60));
    EXPECT_EQ(gr_PolyFillProcess(f.pf.get(), nullptr), GR_OK);
    EXPECT_EQ(f.bits(), grt::Union(Box(5, 48, 14, 57), Box(30, 3, 49, 22)));
}

TEST(GrPolyFill, EdgeTableLimitAndEmptyScan)
{
    Fill f(64, 64);
    gr_PolyFillStart(f.pf.get(), nullptr, 1);
    EXPECT_EQ(gr_PolyFillProcess(f.pf.get(), nullptr), GR_POLYFILL_EMPTY);
    f.add(Square(5, 5, 15, 15));
    const SINT used = f.pf->gtblnoedges;
    std::vector<PIXELPOS> many(static_cast<size_t>(GL_MAX_EDGES - used), PIXELPOS{1, 1});
    EXPECT_EQ(gr_PolyFillAddVertices(f.pf.get(), many.data(), static_cast<SINT>(many.size())), GR_TOO_MANY_EDGES);
    EXPECT_EQ(f.pf->gtblnoedges, used);
    for (size_t i = 0; i < many.size(); ++i) {
        many[i] = {static_cast<SINT>(i % 2), static_cast<SINT>(i % 64)};
    }
    EXPECT_EQ(gr_PolyFillAddVertices(f.pf.get(), many.data(), static_cast<SINT>(many.size()) - 1), GR_OK);
    EXPECT_EQ(gr_PolyFillProcess(f.pf.get(), nullptr), GR_OK);
}

TEST(GrPolyFill, BoxModes)
{
    Fill f(64, 64);
    const GL_BOUNDINGBOX inside = {5, 5, 20, 20};
    gr_PolyFillStart(f.pf.get(), &inside, 1);
    EXPECT_EQ(f.pf->status, GL_POLYFILL_NOCLIP);
    const GL_BOUNDINGBOX outside = {70, 5, 90, 20};
    gr_PolyFillStart(f.pf.get(), &outside, 1);
    EXPECT_EQ(f.pf->status, GL_POLYFILL_SKIP);
    EXPECT_EQ(f.add(Square(1, 1, 9, 9)), GR_OK);
    EXPECT_EQ(f.pf->gtblnoedges, 0);
    Canvas cv(64, 64);
    EXPECT_EQ(gr_PolyFillDraw(f.pf.get(), &cv.gc, GR_DIRECT_COLOUR | 0xFFFF, nullptr), GR_POLYFILL_EMPTY);
    const GL_BOUNDINGBOX partly = {-10, 50, 10, 70};
    gr_PolyFillStart(f.pf.get(), &partly, 1);
    EXPECT_EQ(f.pf->status, GL_POLYFILL_CLIPPED);
    EXPECT_EQ(f.pf->polyctx.clipbox.xmin, 0);
    EXPECT_EQ(f.pf->polyctx.clipbox.ymax, 63);
    // A polygon larger than its box stays inside the box, so that the next
    // Start clears every bit it left.
    f.add(Square(0, 0, 40, 40));
    gr_PolyFillProcess(f.pf.get(), nullptr);
    for (const grt::Pixel& p : f.bits()) {
        EXPECT_TRUE(p.first <= 10 && p.second >= 50) << p.first << "," << p.second;
    }
    gr_PolyFillStart(f.pf.get(), nullptr, 1);
    EXPECT_TRUE(f.bits().empty());
}

TEST(GrPolyFill, WholeMaskIncludingItsLastColumn)
{
    Fill f(800, 8);
    gr_PolyFillStart(f.pf.get(), nullptr, 1);
    f.add(Square(-5, -5, 900, 20));
    gr_PolyFillProcess(f.pf.get(), nullptr);
    EXPECT_EQ(f.bits(), Box(0, 0, 799, 7));
    Canvas cv(800, 8);
    EXPECT_EQ(gr_PolyFillDraw(f.pf.get(), &cv.gc, GR_DIRECT_COLOUR | 0x1234, nullptr), GR_OK);
    EXPECT_EQ(cv.changed(), Box(0, 0, 799, 7));
}

TEST(GrPolyFill, PaintingKeepsToTheExactClipColumns)
{
    Fill f(128, 16);
    gr_PolyFillStart(f.pf.get(), nullptr, 1);
    f.add(Square(0, 0, 128, 16));
    gr_PolyFillProcess(f.pf.get(), nullptr);
    Canvas cv(128, 16);
    gr_SetClipArea(&cv.gc, 40, 2, 30, 10); // columns 40..69, rows 4..13
    gr_SetColor(&cv.gc, GR_DIRECT_COLOUR | 0x0042);
    EXPECT_EQ(gr_PolyFillDraw(f.pf.get(), &cv.gc, GR_DIRECT_COLOUR | 0xF800, nullptr), GR_OK);
    EXPECT_EQ(cv.changed(), Box(40, 4, 69, 13));
    EXPECT_EQ(cv.at(50, 5), 0xF800);
    EXPECT_EQ(cv.gc.colour, 0x0042u);
}

TEST(GrPolyFill, InverseMaskPaintsTheComplement)
{
    Fill f(70, 40);
    std::vector<U32> inverse(f.mask.size(), 0);
    f.pf->inversefillmask = reinterpret_cast<VSCREENPTR>(inverse.data());
    gr_PolyFillClearInverseMask(f.pf.get());
    gr_PolyFillStart(f.pf.get(), nullptr, 1);
    f.add({{10, 5}, {60, 12}, {30, 35}, {10, 5}});
    gr_PolyFillProcess(f.pf.get(), nullptr);
    const PixelSet polygon = f.bits();
    ASSERT_FALSE(polygon.empty());
    gr_PolyFillAddToInverseMask(f.pf.get());
    Canvas cv(70, 40);
    EXPECT_EQ(gr_PolyFillDrawInverseMask(f.pf.get(), &cv.gc, GR_DIRECT_COLOUR | 0x00FF, nullptr), GR_OK);
    PixelSet complement = Box(0, 0, 69, 39);
    for (const grt::Pixel& p : polygon) {
        complement.erase(p);
    }
    EXPECT_EQ(cv.changed(), complement);
    // Filling the polygon too covers the whole picture exactly once.
    gr_SetGMode(&cv.gc, GR_MODE_XOR);
    gr_PolyFillDraw(f.pf.get(), &cv.gc, GR_DIRECT_COLOUR | 0x00FF, nullptr);
    EXPECT_EQ(cv.changed(), Box(0, 0, 69, 39));
}

TEST(GrPolyFill, AreaPatternAndCancel)
{
    static const UCHAR checker[2] = {0x01, 0x02}; // 2 x 2 tile
    gr_InitPattern(checker, 11, PIXELDIM{2, 2}, 2);
    Fill f(32, 32);
    gr_PolyFillStart(f.pf.get(), nullptr, 1);
    f.add(Square(0, -1, 32, 31)); // edges cover buffer rows 0..31
    gr_PolyFillProcess(f.pf.get(), nullptr);
    Canvas cv(32, 32);
    gr_SetPatternType(&cv.gc, 11);
    gr_SetPatternStatus(&cv.gc, TRUE);
    gr_PolyFillDraw(f.pf.get(), &cv.gc, GR_DIRECT_COLOUR | 0xFFFF, nullptr);
    EXPECT_EQ(cv.changed().size(), 32u * 32u / 2u);

    gr_PolyFillStart(f.pf.get(), nullptr, 1);
    f.add(Square(0, 0, 32, 32));
    cancelCalls = 0;
    EXPECT_EQ(gr_PolyFillProcess(f.pf.get(), CancelAfterThree), GR_CANCELLED);
    EXPECT_EQ(f.pf->gtblnoedges, 0);
    Fill big(1024, 64);
    gr_PolyFillStart(big.pf.get(), nullptr, 1);
    big.add(Square(0, 0, 1024, 64));
    gr_PolyFillProcess(big.pf.get(), nullptr);
    Canvas wide(1024, 64);
    cancelCalls = 0;
    EXPECT_EQ(gr_PolyFillDraw(big.pf.get(), &wide.gc, GR_DIRECT_COLOUR | 0x1111, CancelAfterThree), GR_CANCELLED);
    EXPECT_EQ(cancelCalls, 4);
}

TEST(GrPolyFill, MatchesAReferenceRasteriserWithinAPixel)
{
    std::mt19937 rng(99);
    const int w = 90, h = 70;
    for (int trial = 0; trial < 150; ++trial) {
        Fill f(w, h);
        std::vector<std::vector<PIXELPOS>> rings(1 + rng() % 3);
        gr_PolyFillStart(f.pf.get(), nullptr, 1);
        for (auto& ring : rings) {
            const int n = 3 + rng() % 8;
            for (int i = 0; i < n; ++i) {
                ring.push_back({static_cast<SINT>(rng() % (w + 40)) - 20, static_cast<SINT>(rng() % (h + 40)) - 20});
            }
            ring.push_back(ring.front());
            f.add(ring);
        }
        gr_PolyFillProcess(f.pf.get(), nullptr);
        for (int r = 0; r < h; ++r) {
            const std::vector<double> here = Crossings(rings, h, r);
            for (int x = 0; x < w; ++x) {
                if (f.bit(x, r) == ReferenceInside(here, x)) {
                    continue;
                }
                // A difference is allowed only on an edge: within one pixel
                // of a crossing on this row or the rows next to it.
                bool edge = false;
                for (int dr = -1; dr <= 1; ++dr) {
                    for (double cx : Crossings(rings, h, r + dr)) {
                        edge = edge || std::abs(cx - (x + 0.5)) <= 1.0;
                    }
                }
                ASSERT_TRUE(edge) << "trial " << trial << " pixel " << x << "," << r;
            }
        }
    }
}

TEST(GrPolyFill, NothingIsPaintedOutsideTheClip)
{
    std::mt19937 rng(5);
    const int w = 100, h = 60;
    Fill f(w, h);
    Canvas cv(w, h);
    for (int trial = 0; trial < 200; ++trial) {
        cv.clear();
        gr_InitGC(&cv.gc, PIXELDIM{w, h}, cv.gc.vsptr);
        gr_SetClipArea(&cv.gc, static_cast<SINT>(rng() % 120) - 10, static_cast<SINT>(rng() % 80) - 10,
                       static_cast<SINT>(rng() % 80), static_cast<SINT>(rng() % 60));
        gr_PolyFillStart(f.pf.get(), nullptr, 1);
        std::vector<PIXELPOS> ring;
        for (int i = 0; i < 8; ++i) {
            ring.push_back({static_cast<SINT>(rng() % 160) - 30, static_cast<SINT>(rng() % 120) - 30});
        }
        ring.push_back(ring.front());
        f.add(ring);
        gr_PolyFillProcess(f.pf.get(), nullptr);
        gr_PolyFillDraw(f.pf.get(), &cv.gc, GR_DIRECT_COLOUR | 0xFFFF, nullptr);
        const GR_CONTEXT& gc = cv.gc;
        for (const grt::Pixel& p : cv.changed()) {
            ASSERT_TRUE(p.first >= gc.cliporig.px && p.first <= gc.cliplim.px && p.second >= gc.cliporig.py &&
                        p.second <= gc.cliplim.py)
                << "trial " << trial;
            ASSERT_TRUE(f.bit(p.first, p.second));
        }
    }
}
