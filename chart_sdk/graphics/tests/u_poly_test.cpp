// Polygon clipping: clamped ends, crossings truncated toward zero, the
// duplicate rule, long inputs that need more than 128 output vertices, and
// a property check that every output vertex lies in the box.
#include "chart_sdk/graphics/u_poly.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace {

using Points = std::vector<std::pair<int, int>>;

Points Clip(SINT left, SINT right, SINT top, SINT bottom, Points in, SINT* result = nullptr)
{
    std::vector<SINT> v;
    for (auto& p : in) {
        v.push_back(p.first);
        v.push_back(p.second);
    }
    const SINT capacity = static_cast<SINT>(in.size()) * 8 + 8;
    v.resize(static_cast<size_t>(capacity) * 2);
    const SINT n = U_POLY_nClip(left, right, top, bottom, v.data(), static_cast<SINT>(in.size()), capacity);
    if (result) {
        *result = n;
    }
    Points out;
    for (SINT i = 0; i < n; ++i) {
        out.push_back({v[2 * i], v[2 * i + 1]});
    }
    return out;
}

} // namespace

TEST(UPoly, Cases)
{
    struct Case {
        const char* what;
        Points in;
        Points out;
    };
    const Case cases[] = {
        {"inside, duplicates removed", {{1, 1}, {4, 1}, {4, 1}, {4, 4}, {1, 1}}, {{1, 1}, {4, 1}, {4, 4}, {1, 1}}},
        {"first vertex clamped", {{-10, 7}, {2, 2}, {3, 3}}, {{0, 7}, {0, 2}, {2, 2}, {3, 3}}},
        {"entirely left", {{-10, 1}, {-10, 3}, {-10, 1}}, {}},
        {"enters at the crossing", {{-3, 1}, {4, 8}, {4, 1}}, {{0, 1}, {0, 4}, {4, 8}, {4, 1}}},
        {"last vertex clamped", {{1, 1}, {3, 3}, {19, 3}}, {{1, 1}, {3, 3}, {10, 3}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Clip(0, 10, 10, 0, c.in), c.out) << c.what;
    }
    // Box 0..5 x 0..5 for the first-vertex example.
    EXPECT_EQ(Clip(0, 5, 5, 0, {{-10, 7}, {2, 2}, {3, 3}}).front(), (std::pair<int, int>{0, 5}));
    EXPECT_EQ(Clip(0, 5, 5, 0, {{1, 1}, {3, 3}, {9, 3}}), (Points{{1, 1}, {3, 3}, {5, 3}}));
}

TEST(UPoly, CrossingsTruncateTowardZero)
{
    // Offsets of 2.7 and -2.7 from the new point on the line x = 0.
    EXPECT_EQ(Clip(0, 20, 30, -20, {{-90, 27}, {10, 0}, {10, 5}}), (Points{{0, 27}, {0, 2}, {10, 0}, {10, 5}}));
    EXPECT_EQ(Clip(0, 20, 30, -20, {{-90, -27}, {10, 0}, {10, 5}}), (Points{{0, -20}, {0, -2}, {10, 0}, {10, 5}}));
}

TEST(UPoly, NoRoomLeavesTheArrayUnchanged)
{
    // A triangle over a corner of the box needs more vertices than it has.
    std::vector<SINT> v = {-5, 5, 5, -5, 15, 15, -5, 5};
    const std::vector<SINT> before = v;
    const SINT n = U_POLY_nClip(0, 10, 10, 0, v.data(), 4);
    EXPECT_LT(n, -4);
    EXPECT_EQ(v, before);
    std::vector<SINT> roomy = v;
    roomy.resize(static_cast<size_t>(-n) * 2);
    EXPECT_EQ(U_POLY_nClip(0, 10, 10, 0, roomy.data(), 4, -n), -n);
    // Fewer than two vertices left: 0, array unchanged.
    std::vector<SINT> away = {-9, 1, -8, 2, -9, 1};
    EXPECT_EQ(U_POLY_nClip(0, 10, 10, 0, away.data(), 3), 0);
    EXPECT_EQ(away, (std::vector<SINT>{-9, 1, -8, 2, -9, 1}));
}

TEST(UPoly, ClippedPolygonsLieInsideTheBox)
{
    std::mt19937 rng(31);
    for (int trial = 0; trial < 2000; ++trial) {
        const SINT left = static_cast<SINT>(rng() % 50) - 25;
        const SINT bottom = static_cast<SINT>(rng() % 50) - 25;
        const SINT right = left + static_cast<SINT>(rng() % 60);
        const SINT top = bottom + static_cast<SINT>(rng() % 60);
        Points in;
        const int n = 2 + rng() % 300;
        const int spread = (trial % 10 == 0) ? 2000000 : 150;
        for (int i = 0; i < n; ++i) {
            in.push_back({static_cast<int>(rng() % (2 * spread)) - spread, static_cast<int>(rng() % (2 * spread)) - spread});
        }
        SINT count = 0;
        const Points out = Clip(left, right, top, bottom, in, &count);
        ASSERT_GE(count, 0);
        for (size_t i = 0; i < out.size(); ++i) {
            ASSERT_TRUE(out[i].first >= left && out[i].first <= right && out[i].second >= bottom && out[i].second <= top)
                << "trial " << trial << " vertex " << i;
            if (i > 0) {
                ASSERT_NE(out[i], out[i - 1]);
            }
        }
    }
}

TEST(UPoly, ManyCrossingsGoToTheFillWithoutLoss)
{
    auto pf = std::make_unique<GL_POLYFILL>();
    std::vector<U32> mask(static_cast<size_t>(4) * 100);
    gr_PolyFillInit(pf.get(), PIXELDIM{100, 100}, reinterpret_cast<VSCREENPTR>(mask.data()));
    gr_PolyFillStart(pf.get(), nullptr, 1);
    // A comb of 400 teeth crossing the top edge: far more than 128 outputs.
    std::vector<SINT> v;
    for (int i = 0; i < 400; ++i) {
        v.push_back(i / 4);
        v.push_back(i % 2 ? 150 : 50);
    }
    const std::vector<SINT> before = v;
    EXPECT_EQ(U_POLY_eClipSegment(pf.get(), v.data(), 400), GR_OK);
    EXPECT_EQ(v, before);
    EXPECT_GT(pf->gtblnoedges, 300);
    // Nothing left: success, no edges.
    gr_PolyFillStart(pf.get(), nullptr, 1);
    std::vector<SINT> away = {-9, 1, -8, 2, -9, 1};
    EXPECT_EQ(U_POLY_eClipSegment(pf.get(), away.data(), 3), GR_OK);
    EXPECT_EQ(pf->gtblnoedges, 0);
}
