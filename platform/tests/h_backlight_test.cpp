// Backlight: the level table chosen by the board revision, what reaches the
// two brightness files, the "CBAK" key's steps, save and restore, and the
// change mails of the display task's subscription.
#include "platform/h_backlight.h"
#include "platform/tests/platform_root.h"

#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "store/h_database.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace platform_test {
namespace {

constexpr const char* REVISION = "/sys/module/board_am335x_caldrun/parameters/system_id";
constexpr const char* ANALOG = "/sys/class/backlight/lcd-bl/brightness";
constexpr const char* DIGITAL = "/sys/class/backlight/pwm-backlight/brightness";
constexpr FOURCHARID CBAK = FCID("CBAK");
constexpr MBOX DISPLAY_MBOX = 20;

// The "CBAK" values mailed to a mailbox since the last call.
std::vector<U32> mails(MBOX mbox)
{
    std::vector<U32> out;
    while (MSGHEADER* h = L_MBOX_Receive(mbox)) {
        out.push_back(reinterpret_cast<MESSAGE_NEW_DATA*>(h)->dbValue.u32Val);
        H_MEMORY_vFree(h);
    }
    return out;
}

U32 level()
{
    U32 v = 0xFFFFFFFF;
    H_DATABASE_bFetchU32(CBAK, &v, nullptr, nullptr);
    return v;
}

class Backlight : public ::testing::Test {
protected:
    void SetUp() override
    {
        unitRoot();
        H_DATABASE_vInit();
        mails(DISPLAY_MBOX);
        put(ANALOG, "");
        put(DIGITAL, "");
        drop(REVISION);
    }
    void TearDown() override { mails(DISPLAY_MBOX); }
};

struct PanelCase {
    const char* revision; // text of the revision file, null for none
    U32 level;
    const char* analog;
    const char* digital;
};

class BacklightPanel : public Backlight, public ::testing::WithParamInterface<PanelCase> {};

TEST_P(BacklightPanel, RevisionWordPicksTheLevelTable)
{
    const PanelCase& c = GetParam();
    if (c.revision)
        put(REVISION, c.revision);
    H_DATABASE_bUpdateValueU32(CBAK, c.level, P_NORMAL);
    H_BACKLIGHT_vSetup(DISPLAY_MBOX);
    EXPECT_EQ(contents(ANALOG), c.analog);
    EXPECT_EQ(contents(DIGITAL), c.digital);
}

INSTANTIATE_TEST_SUITE_P(
    Revisions, BacklightPanel,
    ::testing::Values(PanelCase{"18\n", 5, "41", "29"},   // 0x12: board 2, display kind 1: KOE panel
                      PanelCase{"34", 0, "23", "6"},      // 0x22: KOE as well
                      PanelCase{"2\n", 5, "66", "41"},    // board 2 without a display kind
                      PanelCase{"19\n", 5, "66", "41"},   // 0x13: another board
                      PanelCase{nullptr, 3, "52", "10"},  // no revision file: plain table
                      PanelCase{"18123", 7, "93", "100"}), // four characters count: 1812 = 0x714, board 4
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(Backlight, SetupCreatesTheKeyAtFullBrightness)
{
    H_BACKLIGHT_vSetup(DISPLAY_MBOX);
    EXPECT_EQ(level(), 10u);
    EXPECT_EQ(contents(ANALOG), "255");
    EXPECT_EQ(contents(DIGITAL), "100");
    DB_ATTRIBUTES a = {};
    BOOLEAN valid = FALSE;
    U32 v = 0;
    ASSERT_TRUE(H_DATABASE_bFetchU32(CBAK, &v, &valid, &a));
    EXPECT_TRUE(valid);
    ASSERT_NE(a.ppcText, nullptr);
    EXPECT_STREQ((*a.ppcText)[0], "Light");
    EXPECT_EQ(a.u32TimeOut, DB_TIMEOUT_NEVER);
}

TEST_F(Backlight, WrittenLevelReadsBackAndAnOutOfRangeLevelWritesNothing)
{
    put(REVISION, "18");
    H_BACKLIGHT_vSetup(DISPLAY_MBOX);
    H_BACKLIGHT_vChangeIntensity(DISPLAY_BACKLIGHT_LOW);
    EXPECT_EQ(contents(ANALOG), "35");
    EXPECT_EQ(contents(DIGITAL), "12");
    H_BACKLIGHT_vChangeIntensity((DISPLAY_BACKLIGHT)11);
    H_BACKLIGHT_vChangeIntensity((DISPLAY_BACKLIGHT)-1);
    EXPECT_EQ(contents(ANALOG), "35");
    EXPECT_EQ(contents(DIGITAL), "12");
}

TEST_F(Backlight, MissingBrightnessFileLeavesTheOtherAlone)
{
    H_BACKLIGHT_vSetup(DISPLAY_MBOX); // no revision file: the plain table
    H_BACKLIGHT_vChangeIntensity(DISPLAY_BACKLIGHT_MEDIUM);
    ASSERT_EQ(contents(ANALOG), "74");
    drop(DIGITAL);
    H_BACKLIGHT_vChangeIntensity(DISPLAY_BACKLIGHT_1);
    EXPECT_EQ(contents(ANALOG), "74");
    EXPECT_FALSE(vt::fileExists(at(DIGITAL))); // never created by the driver
}

struct StepCase {
    U32 from;
    S32 amount;
    bool result;
    U32 to;
};

class BacklightStep : public Backlight, public ::testing::WithParamInterface<StepCase> {};

TEST_P(BacklightStep, StepsWithinZeroToTen)
{
    const StepCase& c = GetParam();
    H_DATABASE_bUpdateValueU32(CBAK, c.from, P_NORMAL);
    EXPECT_EQ(H_BACKLIGHT_bChange(c.amount), c.result ? TRUE : FALSE);
    EXPECT_EQ(level(), c.to);
}

INSTANTIATE_TEST_SUITE_P(Steps, BacklightStep,
                         ::testing::Values(StepCase{9, 3, true, 10}, StepCase{10, 1, false, 10},
                                           StepCase{2, -5, true, 0}, StepCase{0, -1, false, 0},
                                           StepCase{5, 0, false, 5}, StepCase{4, 2, true, 6},
                                           StepCase{10, -1, true, 9}),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(Backlight, StepNeedsAValidLevel)
{
    EXPECT_FALSE(H_BACKLIGHT_bChange(1)); // never written
    H_DATABASE_bUpdateEverythingU32(CBAK, 4, P_NORMAL, D_UNKNOWN, nullptr, 1);
    L_CLOCK_vAdvanceTestClock(1500); // past its one-second time-out
    EXPECT_FALSE(H_BACKLIGHT_bChange(1));
    L_CLOCK_vResetTestClock();
    EXPECT_EQ(level(), 4u);
}

TEST_F(Backlight, RestoreWritesBackTheSavedLevel)
{
    H_DATABASE_bUpdateValueU32(CBAK, 7, P_NORMAL);
    H_BACKLIGHT_vSave();
    H_DATABASE_bUpdateValueU32(CBAK, 2, P_NORMAL);
    H_BACKLIGHT_vRestore();
    EXPECT_EQ(level(), 7u);
}

TEST_F(Backlight, DisplayTaskIsToldOfChangesOnly)
{
    H_DATABASE_bUpdateValueU32(CBAK, 6, P_NORMAL);
    H_BACKLIGHT_vSetup(DISPLAY_MBOX);
    EXPECT_EQ(level(), 6u); // a level written before set-up stays
    EXPECT_EQ(contents(ANALOG), "74");
    EXPECT_TRUE(mails(DISPLAY_MBOX).empty());
    H_DATABASE_bUpdateValueU32(CBAK, 6, P_NORMAL); // same value: no mail
    EXPECT_TRUE(mails(DISPLAY_MBOX).empty());
    ASSERT_TRUE(H_BACKLIGHT_bChange(-2));
    EXPECT_EQ(mails(DISPLAY_MBOX), std::vector<U32>{4});
}

} // namespace
} // namespace platform_test
