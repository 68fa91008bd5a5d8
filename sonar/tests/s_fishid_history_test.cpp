// The fish history: the ring's ends in either direction, which earlier
// sighting a new fish is linked to and which of the two stays visible,
// the confirmation of fish nobody saw before, the duplicate and empty
// columns, the fish alarm and the depth label's text.
#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_fishid.h"
#include "sonar/tests/sonar_root.h"

#include "kernel/l_sema.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace sonar_test {
namespace {

// A fish that meets its table: peak 100 between 56 and 175, ten samples
// long between 78 and 520 us.
FISH_TARGET fish(U32 depth, U8 size = 0, BEAM beam = 0)
{
    FISH_TARGET f = {};
    f.u32DepthInSamples = depth;
    f.u8Size = size;
    f.u8Peak = 100;
    f.beam = beam;
    f.bIdPlusThisFish = TRUE;
    f.criteria = FISH_CRITERIA{56, 175, FALSE, 78, 520, 260};
    return f;
}

FISH_TARGET_LIST listOf(std::initializer_list<FISH_TARGET> fishes, BOOLEAN simulated = FALSE)
{
    FISH_TARGET_LIST l = {};
    for (const FISH_TARGET& f : fishes)
        l.target[l.u8NumberOfTargets++] = f;
    l.bSimulatedFishList = simulated;
    return l;
}

class FishHistory : public ::testing::Test {
protected:
    std::unique_ptr<FISH_TARGET_HISTORY> history = std::make_unique<FISH_TARGET_HISTORY>();

    void SetUp() override
    {
        unitRoot();
        g_u32SpeedOfSoundInWater = 1463;
        S_FISHID_vSetReverseScroll(FALSE);
        S_FISHID_vInitialiseHistory(history.get());
    }
    void TearDown() override { S_FISHID_vSetReverseScroll(FALSE); }

    U32 newest() const { return history->u16IndexToMostRecentTargets; }
    FISH_TARGET_LIST& column() { return history->Items[newest()]; }
    // Appends a list; the fish as stored.
    FISH_TARGET_LIST& add(FISH_TARGET_LIST list)
    {
        S_FISHID_vAddFishTargetListToHistory(history.get(), &list);
        return column();
    }
    void addEmpty(U32 columns)
    {
        for (U32 c = 0; c < columns; ++c)
            S_FISHID_vAddEmptyFishTargetListToHistory(history.get());
    }
};

TEST_F(FishHistory, NewColumnsGoRoundTheRingInEitherDirection)
{
    enum Op { ADD, DUPLICATE, EMPTY };
    struct Case {
        Op op;
        BOOLEAN reverse;
        U16 from, to;
    };
    const Case cases[] = {
        {ADD, FALSE, 819, 0},   {DUPLICATE, FALSE, 819, 0}, {EMPTY, FALSE, 819, 0}, {ADD, FALSE, 5, 6},
        {ADD, TRUE, 0, 819},    {DUPLICATE, TRUE, 0, 819},  {EMPTY, TRUE, 0, 819},  {ADD, TRUE, 5, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "operation " << c.op << ", reverse " << (int)c.reverse << ", from "
                                        << c.from);
        S_FISHID_vSetReverseScroll(c.reverse);
        S_FISHID_vInitialiseHistory(history.get());
        history->u16IndexToMostRecentTargets = c.from;
        history->Items[c.from] = listOf({fish(700)});
        history->Items[c.to] = listOf({fish(1), fish(2)}, TRUE);
        if (c.op == ADD)
            add(listOf({fish(300)}));
        else if (c.op == DUPLICATE)
            S_FISHID_vDuplicateFishTargetListInHistory(history.get());
        else
            addEmpty(1);
        EXPECT_EQ(newest(), c.to);
        const FISH_TARGET_LIST& written = history->Items[c.to];
        EXPECT_EQ(written.u8NumberOfTargets, c.op == EMPTY ? 0 : 1);
        EXPECT_FALSE(written.bSimulatedFishList);
        if (c.op != EMPTY) {
            EXPECT_EQ(written.target[0].u32DepthInSamples, c.op == ADD ? 300u : 700u);
        }
    }
}

TEST_F(FishHistory, TheSameFishMayMoveHalfAFootPerColumnUpToAFootAndAHalf)
{
    // At 1463 m/s: half a foot is 8 samples, a foot and a half 24.
    struct Case {
        U32 columnsBack;
        U32 apart;
        bool same;
    };
    const Case cases[] = {{1, 7, true},   {1, 8, false},   {1, 20, false},  {3, 20, true},  {3, 23, true},
                          {3, 24, false}, {12, 23, true},  {12, 24, false}, {13, 2, false}, {2, 15, true}};
    for (BOOLEAN reverse : {FALSE, TRUE}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.apart << " samples apart, " << c.columnsBack
                                            << " columns back, reverse " << (int)reverse);
            S_FISHID_vSetReverseScroll(reverse);
            S_FISHID_vInitialiseHistory(history.get());
            FISH_TARGET* earlier = &add(listOf({fish(1000)})).target[0];
            addEmpty(c.columnsBack - 1);
            // Shallower, so that the new sighting is the one on show.
            const FISH_TARGET& now = add(listOf({fish(1000 - c.apart)})).target[0];
            EXPECT_EQ(now.pPreviousInstance, c.same ? earlier : nullptr);
            EXPECT_FALSE(now.bIgnoreThisFish);
            EXPECT_EQ(earlier->bIgnoreThisFish != FALSE, c.same);
        }
    }
}

TEST_F(FishHistory, OfTwoSightingsTheShallowerShowsUnlessTheNewOneIsMoreThanSixteenSamplesDeeper)
{
    struct Case {
        int apart; // new minus earlier
        U8 earlierSize, newSize;
        BEAM earlierBeam, newBeam;
        bool newShows;
        U8 shownSize;
        BEAM newBeamAfter;
    };
    const Case cases[] = {
        {17, 1, 2, 0, 0, false, 2, 0},
        {16, 2, 0, 0, 0, true, 2, 0},
        {-16, 2, 0, 0, 0, true, 2, 0},
        {-20, 0, 1, 1, 0, true, 1, 1},
        {20, 0, 0, 1, 2, false, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.apart);
        S_FISHID_vInitialiseHistory(history.get());
        FISH_TARGET& earlier = add(listOf({fish(1000, c.earlierSize, c.earlierBeam)})).target[0];
        addEmpty(2);
        const FISH_TARGET& now = add(listOf({fish((U32)(1000 + c.apart), c.newSize, c.newBeam)})).target[0];
        ASSERT_EQ(now.pPreviousInstance, &earlier);
        EXPECT_EQ(now.bIgnoreThisFish == FALSE, c.newShows);
        EXPECT_EQ(earlier.bIgnoreThisFish == FALSE, !c.newShows);
        EXPECT_EQ(c.newShows ? now.u8Size : earlier.u8Size, c.shownSize);
        EXPECT_EQ(now.beam, c.newBeamAfter) << "a fish once seen by the 200 kHz beam stays its";
    }
}

TEST_F(FishHistory, HiddenAndRemovedSightingsClaimNoNewFishBelowThem)
{
    struct Case {
        const char* what;
        bool hidden, removed;
        int apart;
        bool linked, newShows;
    };
    const Case cases[] = {
        {"hidden, new fish deeper", true, false, 5, true, false},
        {"hidden, new fish at the same depth", true, false, 0, false, true},
        {"hidden, new fish shallower", true, false, -5, false, true},
        {"removed", false, true, 5, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        S_FISHID_vInitialiseHistory(history.get());
        FISH_TARGET earlierFish = fish(1000);
        earlierFish.bIgnoreThisFish = c.hidden || c.removed;
        earlierFish.criteria.bRemovedFish = c.removed;
        FISH_TARGET& earlier = add(listOf({earlierFish}, TRUE)).target[0];
        const FISH_TARGET& now = add(listOf({fish((U32)(1000 + c.apart))})).target[0];
        EXPECT_EQ(now.pPreviousInstance, c.linked ? &earlier : nullptr);
        EXPECT_EQ(now.bIgnoreThisFish == FALSE, c.newShows);
    }
}

TEST_F(FishHistory, AFishNobodySawBeforeMustMeetItsTableStrictly)
{
    struct Case {
        U8 peak;
        U32 elongation;
        bool stays;
    };
    const Case cases[] = {{56, 260, false}, {57, 260, true},  {174, 260, true}, {175, 260, false},
                          {100, 77, false}, {100, 78, true},  {100, 520, true}, {100, 521, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "peak " << (int)c.peak << ", " << c.elongation << " us");
        S_FISHID_vInitialiseHistory(history.get());
        FISH_TARGET f = fish(1000);
        f.u8Peak = c.peak;
        f.criteria.u32ElongationUs = c.elongation;
        FISH_TARGET_LIST list = listOf({f});
        S_FISHID_vAddFishTargetListToHistory(history.get(), &list);
        const FISH_TARGET& stored = column().target[0];
        EXPECT_EQ(stored.bIgnoreThisFish == FALSE, c.stays);
        EXPECT_EQ(stored.criteria.bRemovedFish != FALSE, !c.stays);
        EXPECT_EQ(list.target[0].pPreviousInstance, c.stays ? nullptr : &list.target[0])
            << "a removed fish is settled: it points to itself";
    }
}

TEST_F(FishHistory, ASimulatedListIsStoredWithoutAnyCheck)
{
    FISH_TARGET& earlier = add(listOf({fish(1000)})).target[0];
    FISH_TARGET weak = fish(1002);
    weak.u8Peak = 0;
    const FISH_TARGET_LIST& stored = add(listOf({weak}, TRUE));
    EXPECT_TRUE(stored.bSimulatedFishList);
    EXPECT_EQ(stored.target[0].pPreviousInstance, nullptr);
    EXPECT_FALSE(stored.target[0].bIgnoreThisFish);
    EXPECT_FALSE(stored.target[0].criteria.bRemovedFish);
    EXPECT_FALSE(earlier.bIgnoreThisFish);
}

TEST_F(FishHistory, DuplicatedColumnsShowOnlyTheNewestCopy)
{
    FISH_TARGET_LIST& first = add(listOf({fish(1000, 1), fish(2000, 2)}));
    S_FISHID_vDuplicateFishTargetListInHistory(history.get());
    FISH_TARGET_LIST& second = column();
    S_FISHID_vDuplicateFishTargetListInHistory(history.get());
    FISH_TARGET_LIST& third = column();
    ASSERT_EQ(third.u8NumberOfTargets, 2);
    for (U32 t = 0; t < 2; ++t) {
        SCOPED_TRACE(t);
        EXPECT_TRUE(first.target[t].bIgnoreThisFish);
        EXPECT_TRUE(second.target[t].bIgnoreThisFish);
        EXPECT_FALSE(third.target[t].bIgnoreThisFish);
        EXPECT_EQ(second.target[t].pPreviousInstance, &first.target[t]);
        EXPECT_EQ(third.target[t].pPreviousInstance, &second.target[t]);
        EXPECT_EQ(third.target[t].u8Size, first.target[t].u8Size);
    }
    // The next sighting links to the copy on show.
    const FISH_TARGET& next = add(listOf({fish(1003)})).target[0];
    EXPECT_EQ(next.pPreviousInstance, &third.target[0]);

    addEmpty(1);
    EXPECT_EQ(column().u8NumberOfTargets, 0);
    EXPECT_FALSE(column().bSimulatedFishList);
}

TEST_F(FishHistory, TheAlarmSignalsTheLargestNewFishTheSettingCovers)
{
    enum Kind { NEW, HIDDEN, LINKED };
    struct Seen {
        U8 size;
        Kind kind;
    };
    struct Case {
        FISH_SIZE_ALARM setting;
        std::vector<Seen> fishes;
        SEMA signalled; // 0: none
    };
    const Case cases[] = {
        {FISH_SIZE_ALARM_ML, {{0, NEW}}, 0},
        {FISH_SIZE_ALARM_ML, {{1, NEW}, {2, NEW}}, SEMA_FISH_ALARM_LARGE},
        {FISH_SIZE_ALARM_ML, {{1, NEW}, {0, NEW}}, SEMA_FISH_ALARM_MEDIUM},
        {FISH_SIZE_ALARM_L, {{1, NEW}, {0, NEW}}, 0},
        {FISH_SIZE_ALARM_L, {{0, NEW}, {2, NEW}}, SEMA_FISH_ALARM_LARGE},
        {FISH_SIZE_ALARM_SML, {{0, NEW}}, SEMA_FISH_ALARM_SMALL},
        {FISH_SIZE_ALARM_SML, {{2, HIDDEN}, {1, LINKED}, {0, NEW}}, SEMA_FISH_ALARM_SMALL},
        {FISH_SIZE_ALARM_SML, {{2, LINKED}}, 0},
        {FISH_SIZE_ALARM_OFF, {{2, NEW}}, 0},
    };
    const SEMA alarms[] = {SEMA_FISH_ALARM_LARGE, SEMA_FISH_ALARM_MEDIUM, SEMA_FISH_ALARM_SMALL};
    FISH_TARGET somewhere = fish(1);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        for (SEMA s : alarms)
            L_SEMA_SetPending(s);
        FISH_TARGET_LIST& latest = column();
        latest = listOf({});
        for (const Seen& s : c.fishes) {
            FISH_TARGET f = fish(500, s.size);
            f.bIgnoreThisFish = s.kind == HIDDEN;
            f.pPreviousInstance = s.kind == LINKED ? &somewhere : nullptr;
            latest.target[latest.u8NumberOfTargets++] = f;
        }
        S_FISHID_vCheckAlarm(history.get(), c.setting);
        for (SEMA s : alarms)
            EXPECT_EQ(L_SEMA_WaitTicks(s, 1) == 0, s == c.signalled) << "semaphore " << s;
    }
}

TEST(FishDepthLabel, OneDecimalBelowTenAndNoneFromThere)
{
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {{0.0, "0.0"}, {3.26, "3.3"}, {9.94, "9.9"}, {9.95, "10"}, {10.4, "10"}, {123.5, "124"}};
    for (const Case& c : cases) {
        char text[16] = "x";
        S_FISHID_vFormatDepthLabel(c.value, text, sizeof text);
        EXPECT_STREQ(text, c.text) << c.value;
    }
}

} // namespace
} // namespace sonar_test
