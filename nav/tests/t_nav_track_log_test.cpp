// The current-track log: its records as bytes, the (1, 1) sentinel of a
// file that starts with a gap, rotation and a restore across it, records
// torn by a crash, and the states in which the log is left alone.
#include "nav/tests/nav_test_util.h"

#include "nav/core/u_nav.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* LOG1 = "/usr/vondrel/cr_track/track.1";
constexpr const char* LOG2 = "/usr/vondrel/cr_track/track.2";

std::string le16(U16 v)
{
    return std::string{(char)(v & 0xFF), (char)(v >> 8)};
}

std::string le32(U32 v)
{
    return le16((U16)v) + le16((U16)(v >> 16));
}

std::string stepBytes(S16 x, S16 y, U16 depth)
{
    return le16((U16)x) + le16((U16)y) + le16(depth);
}

// Appends a point to the track and logs its new steps, as the navigation
// task does while it records.
void record(TRACK* t, S32 x, S32 y, U16 depth = 0, BOOLEAN gap = FALSE)
{
    if (t->u16Count == 0) {
        U_NAV_vAddTrackPoint(t, POINT{x, y}, depth, gap);
        T_NAV_NVRAM_vAddCurrentTrackPoint(t, 0, NAV_TRACK_LOG_FIRST_POINT, FALSE);
        return;
    }
    U32 next = (t->u16FirstDelta + t->u16Count - 1u) % TRACK_DELTA_COUNT;
    U_NAV_vAddTrackPoint(t, POINT{x, y}, depth, gap);
    U16 newest = (U16)((t->u16FirstDelta + t->u16Count - 2u) % TRACK_DELTA_COUNT);
    U32 fresh = (newest + TRACK_DELTA_COUNT - next) % TRACK_DELTA_COUNT + 1;
    for (U32 k = 0; k < fresh;) {
        U16 pos = (U16)((next + k) % TRACK_DELTA_COUNT);
        BOOLEAN g = U_NAV_bTrackDeltaIsGapPoint(t, pos);
        T_NAV_NVRAM_vAddCurrentTrackPoint(t, pos, newest, g);
        k += g ? 3 : 1;
    }
}

::testing::AssertionResult sameTrack(const TRACK& a, const TRACK& b)
{
    if (!navt::sameTrackHeader(a, b))
        return ::testing::AssertionFailure()
               << "headers differ: count " << a.u16Count << "/" << b.u16Count << ", first " << a.u16FirstDelta
               << "/" << b.u16FirstDelta << ", last " << a.ptLast.x << "," << a.ptLast.y << "/" << b.ptLast.x
               << "," << b.ptLast.y;
    if (!navt::sameRing(a, b))
        return ::testing::AssertionFailure() << "rings differ";
    return ::testing::AssertionSuccess();
}

std::unique_ptr<TRACK> emptyTrack()
{
    auto t = std::make_unique<TRACK>();
    U_NAV_vClearTrack(t.get());
    return t;
}

std::unique_ptr<TRACK> restored()
{
    auto t = std::make_unique<TRACK>();
    t->u16Count = 77; // rebuilding starts from an empty track
    T_NAV_NVRAM_vScanCurrentTrack(t.get());
    return t;
}

class TrackLog : public navt::NavFiles {
protected:
    void SetUp() override
    {
        NavFiles::SetUp();
        T_NAV_NVRAM_vEraseCurrentTrack();
    }
    std::string log1() const { return vt::readFile(at("cr_track/track.1")); }
    std::string log2() const { return vt::readFile(at("cr_track/track.2")); }
};

TEST_F(TrackLog, RecordsAreABaseThenSixBytesPerStepAndEighteenPerGap)
{
    auto t = emptyTrack();
    record(t.get(), 1000, -2000, 40);
    EXPECT_EQ(log2(), le32(1000) + le32((U32)-2000) + le16(0)) << "the first point carries no depth";
    record(t.get(), 1005, -1995, 60);
    EXPECT_EQ(log2().size(), 16u);
    EXPECT_EQ(log2().substr(10), stepBytes(5, 5, 60));
    record(t.get(), 1500, -1995, 61, TRUE);
    EXPECT_EQ(log2().size(), 34u);
    EXPECT_EQ(log2().substr(16),
              stepBytes(32767, 32767, 0) + stepBytes(-32768, -32768, 0) + stepBytes(495, 0, 61));
    EXPECT_FALSE(vt::fileExists(at("cr_track/track.1")));
    EXPECT_TRUE(sameTrack(*restored(), *t));
}

TEST_F(TrackLog, AFileThatStartsWithAGapHoldsTheSentinelAndRestoresAsANewSegment)
{
    auto t = emptyTrack();
    record(t.get(), 0, 0);
    record(t.get(), 10, 10, 3);
    auto before = std::make_unique<TRACK>(*t);
    // The log starts over while the track goes on: its next file begins
    // with a point that starts a segment.
    T_NAV_NVRAM_vEraseCurrentTrack();
    record(t.get(), 700, 700, 9, TRUE);
    EXPECT_EQ(log2(), le32(700) + le32(700) + le16(9) + stepBytes(32767, 32767, 9) +
                          stepBytes(-32768, -32768, 9) + stepBytes(1, 1, 9));
    EXPECT_EQ(T_NAV_NVRAM_vScanCurrentTrackFile(before.get(), LOG2), 28);
    EXPECT_TRUE(sameTrack(*before, *t));
    std::vector<TRACKPOINT_TYPE> types;
    U16 it = 0, depth = 0;
    POINT p{};
    for (TRACKPOINT_TYPE ty; (ty = U_NAV_eScanTrack(before.get(), &it, &p, &depth)) != TRACKPOINT_INVALID;)
        types.push_back(ty);
    EXPECT_EQ(types, (std::vector<TRACKPOINT_TYPE>{TRACKPOINT_NORMAL, TRACKPOINT_NORMAL, TRACKPOINT_GAP}));
}

TEST_F(TrackLog, ARestoreAcrossARotationEqualsTheTrack)
{
    auto t = emptyTrack();
    record(t.get(), -20038000, 100);
    for (U32 i = 1; i <= TRACK_DELTA_COUNT; ++i)
        record(t.get(), U_NAV_s32NormaliseX(-20038000 - 3 * (S64)i), 100 + (S32)(i % 7), (U16)i);
    ASSERT_EQ(log2().size(), 131020u);
    ASSERT_FALSE(vt::fileExists(at("cr_track/track.1")));

    // The next append rotates, and its file begins with a gap.
    const S32 x0 = t->ptLast.x;
    record(t.get(), x0 + 500, 5000, 1, TRUE);
    EXPECT_EQ(log1().size(), 131020u);
    EXPECT_EQ(log2().size(), 28u);
    for (S32 i = 1; i <= 300; ++i)
        record(t.get(), x0 + 500 + 40 * i, 5000, (U16)i, i % 100 == 0 ? TRUE : FALSE);
    ASSERT_EQ(t->u16Count, TRACK_MAX_POINTS);
    const size_t size2 = 28 + 297 * 6 + 3 * 18;
    EXPECT_EQ(log2().size(), size2);
    EXPECT_TRUE(sameTrack(*restored(), *t)) << "the newest points of both files";

    // After the restore the log goes on where it stood.
    auto again = restored();
    for (S32 i = 1; i <= 10; ++i)
        record(again.get(), x0 + 13000 + i, 5000, 2);
    EXPECT_EQ(log2().size(), size2 + 6 * 10);
    EXPECT_TRUE(sameTrack(*restored(), *again));
}

TEST_F(TrackLog, ARecordTornByACrashIsDroppedAndTheLogGoesOnInStep)
{
    struct Case {
        const char* name;
        std::string tail;
    };
    const Case cases[] = {
        {"part of a step", std::string("\x07\x00\x08\x00", 4)},
        {"a marker without its step", stepBytes(32767, 32767, 0) + stepBytes(-32768, -32768, 0)},
        {"a marker and part of its step", stepBytes(32767, 32767, 0) + stepBytes(-32768, -32768, 0) + "\x01"},
    };
    for (const Case& c : cases) {
        T_NAV_NVRAM_vEraseCurrentTrack();
        auto t = emptyTrack();
        for (S32 i = 0; i < 20; ++i)
            record(t.get(), 30 * i, -7 * i, (U16)i, i == 9 ? TRUE : FALSE);
        const size_t whole = log2().size();
        vt::writeFile(at("cr_track/track.2"), log2() + c.tail);

        // A restart: the track comes back without the torn record ...
        auto back = restored();
        EXPECT_TRUE(sameTrack(*back, *t)) << c.name;
        EXPECT_EQ(T_NAV_NVRAM_vScanCurrentTrackFile(emptyTrack().get(), LOG2), (S32)whole) << c.name;
        // ... and a record appended after it is read in step: it replaces
        // the torn bytes, however many there were.
        record(back.get(), 600, 0, 1);
        EXPECT_EQ(log2().size(), whole + 6) << c.name;
        EXPECT_TRUE(sameTrack(*restored(), *back)) << c.name;
    }
}

TEST_F(TrackLog, AFileOfItsBaseAloneRestoresItsPoint)
{
    auto t = emptyTrack();
    record(t.get(), 123, 456);
    auto back = restored();
    EXPECT_EQ(back->u16Count, 1);
    EXPECT_TRUE(sameTrack(*back, *t));
    // The restored track goes on with steps, not with a second first point.
    record(back.get(), 130, 456, 8);
    U_NAV_vAddTrackPoint(t.get(), POINT{130, 456}, 8, FALSE);
    EXPECT_EQ(log2().size(), 16u);
    EXPECT_TRUE(sameTrack(*restored(), *t));
}

TEST_F(TrackLog, ANewTrackDoesNotBringBackTheOneTheLogStillHeld)
{
    auto t = emptyTrack();
    for (S32 i = 0; i < 5; ++i)
        record(t.get(), i, i);
    // Cleared in a state that leaves the log alone, then recording anew.
    navt::setState(4);
    T_NAV_NVRAM_vEraseCurrentTrack();
    navt::setState(3);
    auto fresh = emptyTrack();
    record(fresh.get(), 900, 900);
    record(fresh.get(), 901, 900, 1);
    EXPECT_TRUE(sameTrack(*restored(), *fresh));
}

TEST_F(TrackLog, OutsideTheNormalRunStateTheLogIsNeitherWrittenReadNorErased)
{
    auto t = emptyTrack();
    for (S32 i = 0; i < 5; ++i)
        record(t.get(), i, i);
    const std::string one = "track.1 of an earlier run";
    vt::writeFile(at("cr_track/track.1"), one);
    const std::string two = log2();
    for (int state : {4, 6, -1}) {
        if (state < 0)
            H_DATABASE_vInit();
        else
            navt::setState((U32)state);
        record(t.get(), 50, 50, 1);
        T_NAV_NVRAM_vEraseCurrentTrack();
        auto untouched = std::make_unique<TRACK>(*t);
        T_NAV_NVRAM_vScanCurrentTrack(untouched.get());
        EXPECT_TRUE(sameTrack(*untouched, *t)) << "state " << state;
        EXPECT_EQ(log1(), one) << "state " << state;
        EXPECT_EQ(log2(), two) << "state " << state;
    }
}

} // namespace
