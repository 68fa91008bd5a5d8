// The key layer over the keypad driver: presses, releases and repeats on
// the test clock, the cursor directions, the order of events and keys held
// at start.
#include "ui/tests/keys_world.h"

#include <gtest/gtest.h>

using keys::Event;

namespace {

class KeyLayer : public ::testing::Test {
protected:
    void SetUp() override
    {
        keys::keypad();
        keys::releaseAll();
        H_KEYBOARD_vInit();
    }
    void TearDown() override { keys::releaseAll(); }
};

TEST_F(KeyLayer, AHeldKeyRepeatsAt500ThenEvery125MsWithItsCount)
{
    // The key held from 0 to 1000 ms and released at 1025: the times of its
    // events and the counts they carry; the last is the release.
    struct Case {
        const char* what;
        BOOLEAN repeat, accelerate;
        std::vector<int> times;
        std::vector<U32> counts;
    };
    const Case cases[] = {
        {"accelerating", TRUE, TRUE, {0, 500, 625, 750, 875, 1000, 1025}, {1, 2, 3, 4, 5, 6, 6}},
        {"repeating", TRUE, FALSE, {0, 500, 625, 750, 875, 1000, 1025}, {1, 1, 1, 1, 1, 1, 1}},
        {"not repeating", FALSE, FALSE, {0, 1025}, {0, 0}},
    };
    for (const Case& c : cases) {
        H_KEYBOARD_vSetupKey(HKEY_MENU, c.repeat, c.accelerate, NOT_CURSOR_KEY);
        keys::set(DKEY_MENU, true);
        std::vector<Event> got = keys::sample(0);
        for (const Event& e : keys::run(0, 1000))
            got.push_back(e);
        keys::set(DKEY_MENU, false);
        for (const Event& e : keys::run(1000, 25))
            got.push_back(e);

        std::vector<Event> expected;
        for (size_t i = 0; i < c.times.size(); ++i)
            expected.push_back({c.times[i], HKEY_MENU, i + 1 < c.times.size() ? KEY_DOWN : KEY_UP, c.counts[i],
                                CURSOR_UP});
        EXPECT_EQ(got, expected) << c.what;
    }
}

TEST_F(KeyLayer, ALateSampleLandingOnARepeatKeepsTheKeyRepeating)
{
    H_KEYBOARD_vSetupKey(HKEY_ZOOM_IN, TRUE, TRUE, NOT_CURSOR_KEY);
    keys::set(DKEY_ZOOM_IN, true);
    ASSERT_EQ(keys::sample(0).size(), 1u);
    L_CLOCK_vAdvanceTestClock(500);
    ASSERT_EQ(keys::sample(500).size(), 1u);
    // 250 ms without a sample: the repeat due at 625 comes at 750, and the
    // one due at 750 is due at once.
    L_CLOCK_vAdvanceTestClock(250);
    ASSERT_EQ(keys::sample(750).size(), 1u);
    std::vector<int> repeats;
    for (const Event& e : keys::run(750, 250))
        repeats.push_back(e.at);
    EXPECT_EQ(repeats, (std::vector<int>{775, 875, 1000}));
}

TEST_F(KeyLayer, CursorKeysGiveOneDirection)
{
    const DKEY_ID UP = DKEY_CURSOR_UP, DOWN = DKEY_CURSOR_DOWN, LEFT = DKEY_CURSOR_LEFT, RIGHT = DKEY_CURSOR_RIGHT;
    // The direction of each set of keys, in the two modes; a diagonal is
    // refused in CURSOR_4, like any other set that makes no direction.
    struct Case {
        std::vector<DKEY_ID> held;
        CURSOR_POSITION eight, four;
    };
    const Case cases[] = {
        {{UP}, CURSOR_NORTH, CURSOR_NORTH},
        {{DOWN}, CURSOR_SOUTH, CURSOR_SOUTH},
        {{LEFT}, CURSOR_WEST, CURSOR_WEST},
        {{RIGHT}, CURSOR_EAST, CURSOR_EAST},
        {{UP, LEFT}, CURSOR_NORTH_WEST, CURSOR_ILLEGAL},
        {{UP, RIGHT}, CURSOR_NORTH_EAST, CURSOR_ILLEGAL},
        {{DOWN, LEFT}, CURSOR_SOUTH_WEST, CURSOR_ILLEGAL},
        {{DOWN, RIGHT}, CURSOR_SOUTH_EAST, CURSOR_ILLEGAL},
        {{UP, DOWN}, CURSOR_ILLEGAL, CURSOR_ILLEGAL},
        {{LEFT, RIGHT}, CURSOR_ILLEGAL, CURSOR_ILLEGAL},
        {{UP, DOWN, LEFT}, CURSOR_ILLEGAL, CURSOR_ILLEGAL},
        {{UP, DOWN, RIGHT}, CURSOR_ILLEGAL, CURSOR_ILLEGAL},
        {{UP, LEFT, RIGHT}, CURSOR_ILLEGAL, CURSOR_ILLEGAL},
        {{DOWN, LEFT, RIGHT}, CURSOR_ILLEGAL, CURSOR_ILLEGAL},
        {{UP, DOWN, LEFT, RIGHT}, CURSOR_ILLEGAL, CURSOR_ILLEGAL},
    };
    for (CURSOR_MODE mode : {CURSOR_8, CURSOR_4}) {
        H_KEYBOARD_vSetupKey(HKEY_CURSOR, FALSE, FALSE, mode);
        for (const Case& c : cases) {
            for (DKEY_ID k : c.held)
                keys::set(k, true);
            const CURSOR_POSITION expected = mode == CURSOR_8 ? c.eight : c.four;
            EXPECT_EQ(keys::sample(), (std::vector<Event>{{0, HKEY_CURSOR, KEY_DOWN, 0, expected}}))
                << "mode " << mode << ", " << c.held.size() << " keys";
            keys::releaseAll();
            EXPECT_EQ(keys::sample(), (std::vector<Event>{{0, HKEY_CURSOR, KEY_UP, 0, CURSOR_UP}}));
        }
    }
}

TEST_F(KeyLayer, TurningTheCursorWhileHeldIsAnEventOfItsOwn)
{
    for (CURSOR_MODE mode : {CURSOR_8, CURSOR_4}) {
        H_KEYBOARD_vSetupKey(HKEY_CURSOR, FALSE, FALSE, mode);
        keys::set(DKEY_CURSOR_UP, true);
        BOOLEAN bReported = FALSE;
        EXPECT_EQ(keys::sample(0, &bReported), (std::vector<Event>{{0, HKEY_CURSOR, KEY_DOWN, 0, CURSOR_NORTH}}));
        EXPECT_TRUE(bReported);
        keys::set(DKEY_CURSOR_RIGHT, true);
        const CURSOR_POSITION turned = mode == CURSOR_8 ? CURSOR_NORTH_EAST : CURSOR_ILLEGAL;
        EXPECT_EQ(keys::sample(0, &bReported), (std::vector<Event>{{0, HKEY_CURSOR, KEY_DOWN, 0, turned}}))
            << "mode " << mode;
        EXPECT_FALSE(bReported) << "a turn is no press, release or repeat";
        keys::releaseAll();
        EXPECT_EQ(keys::sample(0, &bReported), (std::vector<Event>{{0, HKEY_CURSOR, KEY_UP, 0, CURSOR_UP}}));
        EXPECT_TRUE(bReported);
    }
}

TEST_F(KeyLayer, KeysChangedInOneSampleComeLowestIdFirst)
{
    keys::set(DKEY_SOFT_KEY_3, true);
    keys::set(DKEY_CURSOR_DOWN, true);
    keys::set(DKEY_VIEW, true);
    keys::set(DKEY_MENU, true);
    std::vector<HKEY_ID> order;
    for (const Event& e : keys::sample())
        order.push_back(e.key);
    EXPECT_EQ(order, (std::vector<HKEY_ID>{HKEY_MENU, HKEY_VIEW, HKEY_CURSOR, HKEY_SOFT_KEY_3}));
    EXPECT_TRUE(H_KEYBOARD_bIsDown(HKEY_VIEW));
    EXPECT_FALSE(H_KEYBOARD_bIsDown(HKEY_EXIT));
}

TEST_F(KeyLayer, AKeyHeldAtStartGivesOnlyItsRelease)
{
    keys::set(DKEY_GOTO, true);
    H_KEYBOARD_vInit();
    EXPECT_TRUE(H_KEYBOARD_bIsDown(HKEY_GOTO));
    EXPECT_TRUE(keys::sample().empty());
    keys::set(DKEY_GOTO, false);
    EXPECT_EQ(keys::sample(), (std::vector<Event>{{0, HKEY_GOTO, KEY_UP, 0, CURSOR_UP}}));
}

TEST_F(KeyLayer, SettingAKeyUpDropsItsEventNotYetFetched)
{
    keys::set(DKEY_INFO, true);
    ASSERT_TRUE(H_KEYBOARD_bProcessKeys());
    H_KEYBOARD_vSetupKey(HKEY_INFO, TRUE, FALSE, NOT_CURSOR_KEY);
    HKEY_ID key;
    KEY_STATE state;
    U32 count;
    CURSOR_POSITION cursor;
    EXPECT_FALSE(H_KEYBOARD_bFetchKeyEvent(&key, &state, &count, &cursor));
    // The key set up while held repeats 500 ms after the set-up.
    EXPECT_EQ(keys::run(0, 500), (std::vector<Event>{{500, HKEY_INFO, KEY_DOWN, 1, CURSOR_UP}}));
}

TEST_F(KeyLayer, ThePowerKeyIsReadFromTheDriverWithoutASample)
{
    keys::set(DKEY_POWER, true);
    EXPECT_TRUE(H_KEYBOARD_bIsPowerPressed());
    EXPECT_FALSE(H_KEYBOARD_bIsDown(HKEY_POWER)) << "not sampled yet";
    EXPECT_EQ(keys::sample(), (std::vector<Event>{{0, HKEY_POWER, KEY_DOWN, 0, CURSOR_UP}}));
    EXPECT_TRUE(H_KEYBOARD_bIsDown(HKEY_POWER));
    keys::set(DKEY_POWER, false);
    EXPECT_FALSE(H_KEYBOARD_bIsPowerPressed());
}

} // namespace
