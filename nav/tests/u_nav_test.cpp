// The track-point ring: appends (long steps, the antimeridian, a full ring
// with and without gaps, dropping over a marker), scanning, the gap test
// and trimming, and a long random run that keeps the ring's invariants.
#include "nav/core/u_nav.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace {

struct Scanned {
    POINT pt;
    U16 depth;
    TRACKPOINT_TYPE type;
};

std::vector<Scanned> scan(const TRACK& t)
{
    std::vector<Scanned> out;
    U16 it = 0;
    POINT p{};
    U16 d = 0;
    for (;;) {
        TRACKPOINT_TYPE ty = U_NAV_eScanTrack(&t, &it, &p, &d);
        if (ty == TRACKPOINT_INVALID)
            return out;
        out.push_back({p, d, ty});
        if (out.size() > TRACK_MAX_POINTS)
            return out; // the test fails on the size
    }
}

std::unique_ptr<TRACK> emptyTrack()
{
    auto t = std::make_unique<TRACK>();
    U_NAV_vClearTrack(t.get());
    return t;
}

void add(TRACK* t, S32 x, S32 y, U16 depth = 0, BOOLEAN gap = FALSE)
{
    U_NAV_vAddTrackPoint(t, POINT{x, y}, depth, gap);
}

U32 steps(const TRACK& t)
{
    return t.u16Count ? t.u16Count - 1u : 0;
}

const TRACK_DELTA_DEPTH_TRIPLE& step(const TRACK& t, U32 k)
{
    return t.aDelta[(t.u16FirstDelta + k) % TRACK_DELTA_COUNT];
}

// Fills an empty track to a full ring of one-metre steps east.
void fill(TRACK* t, S32 x0 = 0)
{
    add(t, x0, 0);
    for (S32 i = 1; t->u16Count < TRACK_MAX_POINTS; ++i)
        add(t, x0 + i, 0, (U16)i);
}

bool eq(POINT a, POINT b)
{
    return a.x == b.x && a.y == b.y;
}

TEST(TrackRing, TheFirstAppendStartsTheTrackWhateverTheGapFlag)
{
    for (BOOLEAN gap : {FALSE, TRUE}) {
        auto t = emptyTrack();
        t->u16FirstDelta = 17;
        add(t.get(), -5, 7, 99, gap);
        EXPECT_EQ(t->u16Count, 1);
        EXPECT_EQ(t->u16FirstDelta, 17) << "the first position keeps its value";
        for (POINT p : {t->ptFirst, t->ptLast, t->ptLowerLeft, t->ptUpperRight})
            EXPECT_TRUE(eq(p, POINT{-5, 7}));
        std::vector<Scanned> s = scan(*t);
        ASSERT_EQ(s.size(), 1u);
        EXPECT_EQ(s[0].depth, 0) << "the first point carries no depth";
    }
}

TEST(TrackRing, StepsThatDoNotFitSixteenBitsAreBisected)
{
    struct Case {
        POINT from, to;
        U32 steps;
        S32 dx; // of the first step
    };
    const Case cases[] = {
        {{0, 0}, {32767, 0}, 1, 32767},
        {{0, 0}, {32768, 0}, 2, 16384},
        {{0, 0}, {-32767, 0}, 1, -32767},
        {{0, 0}, {-32768, 0}, 2, -16384},
        {{0, 0}, {0, 32768}, 2, 0},
        {{0, 0}, {100000, 0}, 4, 25000},
        // Across the antimeridian the short way, 600 m east.
        {{20038000, 0}, {-20038000, 0}, 1, 600},
        {{-20038000, 0}, {20038000, 0}, 1, -600},
        {{-100, 5}, {100, 5}, 1, 200},
        // 100 km west across the antimeridian, in four quarters.
        {{-20000000, 0}, {19976600, 0}, 4, -25000},
    };
    for (const Case& c : cases) {
        auto t = emptyTrack();
        add(t.get(), c.from.x, c.from.y);
        add(t.get(), c.to.x, c.to.y, 321);
        ASSERT_EQ(steps(*t), c.steps) << c.to.x;
        EXPECT_EQ(step(*t, 0).x, c.dx) << c.to.x;
        EXPECT_TRUE(eq(t->ptLast, c.to));
        std::vector<Scanned> s = scan(*t);
        ASSERT_EQ(s.size(), c.steps + 1);
        EXPECT_TRUE(eq(s.back().pt, c.to)) << c.to.x;
        for (size_t i = 1; i < s.size(); ++i)
            EXPECT_EQ(s[i].depth, 321) << "every midpoint carries the depth";
    }
}

TEST(TrackRing, AFullRingDropsTheOldestPointForEachNewOne)
{
    auto t = emptyTrack();
    fill(t.get());
    ASSERT_EQ(t->u16Count, TRACK_MAX_POINTS);
    EXPECT_EQ(t->u16FirstDelta, 0);
    add(t.get(), 21836, 0, 1);
    EXPECT_EQ(t->u16Count, TRACK_MAX_POINTS);
    EXPECT_EQ(t->u16FirstDelta, 1);
    EXPECT_TRUE(eq(t->ptFirst, POINT{1, 0}));
    EXPECT_EQ(t->ptLowerLeft.x, 0) << "dropping does not shrink the box";

    // A gap first drops down to 21833 points, then adds three steps.
    add(t.get(), 21900, 0, 1, TRUE);
    EXPECT_EQ(t->u16Count, TRACK_MAX_POINTS);
    EXPECT_TRUE(eq(t->ptFirst, POINT{4, 0}));
    std::vector<Scanned> s = scan(*t);
    ASSERT_EQ(s.size(), TRACK_MAX_POINTS - 2u) << "the marker's two steps are no points";
    EXPECT_EQ(s.back().type, TRACKPOINT_GAP);
    EXPECT_TRUE(eq(s.back().pt, POINT{21900, 0}));
}

TEST(TrackRing, DroppingTheOldestPointTakesAMarkerWithItsStep)
{
    auto t = emptyTrack();
    add(t.get(), 0, 0);
    add(t.get(), 500, 0, 7, TRUE); // steps: marker, marker, real
    for (S32 i = 1; t->u16Count < TRACK_MAX_POINTS; ++i)
        add(t.get(), 500 + i, 0);
    ASSERT_TRUE(U_NAV_bTrackDeltaIsGapPoint(t.get(), t->u16FirstDelta));
    add(t.get(), 30000, 0);
    EXPECT_EQ(t->u16Count, TRACK_MAX_POINTS - 2);
    EXPECT_EQ(t->u16FirstDelta, 3);
    EXPECT_TRUE(eq(t->ptFirst, POINT{500, 0}));
    std::vector<Scanned> s = scan(*t);
    EXPECT_EQ(s.size(), (size_t)t->u16Count);
    EXPECT_TRUE(eq(s.back().pt, t->ptLast));
}

TEST(TrackRing, ScanningAGapGivesThePointAfterTheMarkerAsANewSegment)
{
    auto t = emptyTrack();
    add(t.get(), 10, 10);
    add(t.get(), 20, 10, 5);
    add(t.get(), 900, -40, 6, TRUE);
    add(t.get(), 910, -40, 7);
    U16 it = 0;
    POINT p{};
    U16 d = 99;
    const struct {
        TRACKPOINT_TYPE type;
        POINT pt;
        U16 depth;
        U16 iterator;
    } expected[] = {
        {TRACKPOINT_NORMAL, {10, 10}, 0, 1},
        {TRACKPOINT_NORMAL, {20, 10}, 5, 2},
        {TRACKPOINT_GAP, {900, -40}, 6, 5},
        {TRACKPOINT_NORMAL, {910, -40}, 7, 6},
        {TRACKPOINT_INVALID, {910, -40}, 7, 7},
        {TRACKPOINT_INVALID, {910, -40}, 7, 8},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(U_NAV_eScanTrack(t.get(), &it, &p, &d), e.type);
        EXPECT_TRUE(eq(p, e.pt)) << p.x << "," << p.y;
        EXPECT_EQ(d, e.depth);
        EXPECT_EQ(it, e.iterator);
    }
    EXPECT_TRUE(U_NAV_bTrackDeltaIsGapPoint(t.get(), 1));
    EXPECT_FALSE(U_NAV_bTrackDeltaIsGapPoint(t.get(), 2));
    EXPECT_FALSE(U_NAV_bTrackDeltaIsGapPoint(t.get(), TRACK_DELTA_COUNT)) << "a position past the ring";
}

TEST(TrackRing, AMarkerIsAGapOnlyWithTheStepAfterIt)
{
    auto t = emptyTrack();
    add(t.get(), 0, 0);
    add(t.get(), 1, 0);
    // A marker pair with no step after it, as a damaged record may hold.
    t->aDelta[1] = {TRACK_GAP_MARK1, TRACK_GAP_MARK1, 0};
    t->aDelta[2] = {TRACK_GAP_MARK2, TRACK_GAP_MARK2, 0};
    t->u16Count = 4;
    EXPECT_FALSE(U_NAV_bTrackDeltaIsGapPoint(t.get(), 1));
    U_NAV_vClearTrack(t.get());
    EXPECT_FALSE(U_NAV_bTrackDeltaIsGapPoint(t.get(), 1)) << "an empty track has no steps";

    // A real step of (32767, 32767) as the newest, with what an earlier
    // track left after it in the ring looking like the second marker.
    add(t.get(), 0, 0);
    add(t.get(), 32767, 32767, 4);
    ASSERT_EQ(t->u16Count, 2);
    EXPECT_FALSE(U_NAV_bTrackDeltaIsGapPoint(t.get(), 0));
    std::vector<Scanned> s = scan(*t);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[1].type, TRACKPOINT_NORMAL);
    EXPECT_TRUE(eq(s[1].pt, POINT{32767, 32767}));
    add(t.get(), 32800, 32767, 5);
    EXPECT_EQ(scan(*t).size(), 3u);
}

// Points along x at 0, 100, 200, ... with a gap before `gapAt` (points
// after it lie 10 km further east).
std::unique_ptr<TRACK> line(int points, int gapAt = -1)
{
    auto t = emptyTrack();
    for (int i = 0; i < points; ++i) {
        S32 x = 100 * i + (gapAt >= 0 && i >= gapAt ? 10000 : 0);
        add(t.get(), x, 0, (U16)i, i == gapAt ? TRUE : FALSE);
    }
    return t;
}

TEST(TrackRing, TrimmingTakesTheNewestPointsBackToAPosition)
{
    struct Case {
        const char* name;
        int points, gapAt;
        POINT at;
        BOOLEAN result;
        int count; // after
        POINT last;
        S32 boxRight;
    };
    const Case cases[] = {
        {"between two points", 4, -1, {150, 0}, TRUE, 2, {100, 0}, 100},
        {"on a point", 4, -1, {100, 0}, TRUE, 1, {0, 0}, 0},
        {"on the newest point", 4, -1, {300, 0}, TRUE, 3, {200, 0}, 200},
        {"off the line", 4, -1, {150, 1}, FALSE, 4, {300, 0}, 300},
        // 16-bit differences would wrap 65531 m to -5 m and cut the track.
        {"far past the end", 4, -1, {300 + 65531, 0}, FALSE, 4, {300, 0}, 300},
        {"32768 m past the end", 4, -1, {300 + 32768, 0}, FALSE, 4, {300, 0}, 300},
        {"at the first point", 4, -1, {0, 0}, TRUE, 0, {300, 0}, 300},
        // Walking back over a marker: the point before it is reached
        // without moving by the marker's steps.
        {"before a gap", 5, 2, {50, 0}, TRUE, 1, {0, 0}, 0},
        // Trimming the point after a marker takes the marker too.
        {"on the point after a gap", 5, 2, {10200, 0}, TRUE, 2, {100, 0}, 100},
        {"after a gap", 5, 2, {10350, 0}, TRUE, 6, {10300, 0}, 10300},
    };
    for (const Case& c : cases) {
        auto t = line(c.points, c.gapAt);
        EXPECT_EQ(U_NAV_bRemoveTrackPoint(t.get(), c.at), c.result) << c.name;
        EXPECT_EQ(t->u16Count, c.count) << c.name;
        if (t->u16Count == 0)
            continue;
        EXPECT_TRUE(eq(t->ptLast, c.last)) << c.name << ": " << t->ptLast.x;
        EXPECT_EQ(t->ptUpperRight.x, c.boxRight) << c.name;
        std::vector<Scanned> s = scan(*t);
        EXPECT_TRUE(eq(s.back().pt, t->ptLast)) << c.name;
        // The track goes on from the trimmed end.
        add(t.get(), t->ptLast.x + 7, 0);
        EXPECT_TRUE(eq(scan(*t).back().pt, t->ptLast)) << c.name;
    }
}

TEST(TrackRing, TrimmingAOnePointTrackNeedsThatPoint)
{
    auto t = line(1);
    EXPECT_FALSE(U_NAV_bRemoveTrackPoint(t.get(), POINT{1, 0}));
    EXPECT_EQ(t->u16Count, 1);
    EXPECT_TRUE(U_NAV_bRemoveTrackPoint(t.get(), POINT{0, 0}));
    EXPECT_EQ(t->u16Count, 0);
    EXPECT_FALSE(U_NAV_bRemoveTrackPoint(t.get(), POINT{0, 0})) << "nothing left to trim";
}

TEST(TrackRing, TrimmingAcrossTheAntimeridian)
{
    auto t = emptyTrack();
    add(t.get(), 20037900, 0);
    add(t.get(), 20038200, 0);
    add(t.get(), -20038100, 0); // 300 m east of the last point
    add(t.get(), -20037900, 0);
    EXPECT_TRUE(U_NAV_bRemoveTrackPoint(t.get(), POINT{20038250, 0}));
    EXPECT_EQ(t->u16Count, 2);
    EXPECT_EQ(t->ptLast.x, 20038200);
}

TEST(TrackRing, ManyRandomAppendsKeepTheRingWhole)
{
    std::mt19937 rng(20240611);
    auto t = emptyTrack();
    POINT at{0, 0};
    for (int i = 0; i < 100000; ++i) {
        U32 r = rng() % 1000;
        if (r < 3) {
            at = {(S32)(rng() % 40076601) - 20038300, (S32)(rng() % 30866397) - 15433198};
        } else {
            at.x = U_NAV_s32NormaliseX((S64)at.x + (S32)(rng() % 20001) - 10000);
            at.y = U_NAV_s32ClampY((S64)at.y + (S32)(rng() % 20001) - 10000);
        }
        add(t.get(), at.x, at.y, (U16)rng(), r % 50 == 7 ? TRUE : FALSE);
        ASSERT_LE(t->u16Count, TRACK_MAX_POINTS) << i;
        if (i % 5000 == 4999) {
            std::vector<Scanned> s = scan(*t);
            ASSERT_FALSE(s.empty());
            EXPECT_TRUE(eq(s.front().pt, t->ptFirst)) << i;
            EXPECT_TRUE(eq(s.back().pt, t->ptLast)) << i;
            for (const Scanned& p : s) {
                ASSERT_GE(p.pt.x, t->ptLowerLeft.x);
                ASSERT_LE(p.pt.x, t->ptUpperRight.x);
                ASSERT_GE(p.pt.y, t->ptLowerLeft.y);
                ASSERT_LE(p.pt.y, t->ptUpperRight.y);
            }
            for (U32 k = 0; k < steps(*t); ++k) {
                if (U_NAV_bTrackDeltaIsGapPoint(t.get(), (U16)((t->u16FirstDelta + k) % TRACK_DELTA_COUNT))) {
                    k += 2;
                    continue;
                }
                ASSERT_NE(step(*t, k).x, -32768) << "a real step never holds -32768";
                ASSERT_NE(step(*t, k).y, -32768);
            }
        }
    }
}

} // namespace
