// The processing task's keys: the defaults it owns and their writer
// priorities, and the settings it follows (beam selection, imaging
// frequency).
#include "sonar/tests/process_world.h"

namespace process_test {
namespace {

class ProcessKeys : public ::testing::Test {
  protected:
    void SetUp() override { world(); }
};

TEST_F(ProcessKeys, DefaultsAreWrittenAndAResetWritesOverTheUser)
{
    EXPECT_EQ(u32("TSNR"), PROCESS_MAILBOX);
    EXPECT_EQ(u32("BDEP"), FCID("IDEP"));
    EXPECT_EQ(u32("CSRB"), 255u);
    struct Row {
        FOURCHARID key;
        U32 value;
    };
    for (const Row& r : {Row{FCID("SSN5"), 80}, Row{FCID("SSN8"), 100}, Row{FCID("SSN2"), 160},
                         Row{FCID("SSN4"), 255}, Row{FCID("SSCL"), 5}, Row{FCID("YSNF"), 25}, Row{FCID("YSNU"), 75},
                         Row{FCID("SDBW"), 2}, Row{FCID("YSFS"), 5}, Row{FCID("SEAF"), 3}}) {
        U32 v = 0;
        EXPECT_TRUE(H_DATABASE_bFetchU32(r.key, &v, nullptr, nullptr));
        EXPECT_EQ(v, r.value) << std::hex << r.key;
    }
    EXPECT_NEAR(f32("SSSD"), 0.3048f, 1e-6f);

    // A stored setting (priority 13) survives a normal start; a reset of
    // the settings writes over it.
    H_DATABASE_bUpdateValueU32(FCID("SSN5"), 60, P_NVR);
    vRegisterDatabaseItems(FALSE);
    drain();
    EXPECT_EQ(u32("SSN5"), 60u);
    EXPECT_EQ(u8FishIDCutOffThreshold50kHz, 60);
    mail(CMD_ID_RESET_POS, 0);
    EXPECT_EQ(u32("SSN5"), 80u);
    EXPECT_EQ(u8FishIDCutOffThreshold50kHz, 80);
}

TEST_F(ProcessKeys, BeamSelectionFallsBackToWhatTheTransducerHas)
{
    struct Case {
        U32 transducer;
        U32 requested;
        U32 selected;
    };
    // 7: 200 kHz only; 1: 200 and 83 kHz; 15: 200 and 455 kHz.
    const Case cases[] = {{7, 0, 1},  {7, 4, 1},  {1, 0, 0}, {1, 4, 4},  {1, 2, 1},
                          {15, 2, 2}, {15, 0, 1}, {1, 3, 4}, {1, 255, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.transducer << " asked " << c.requested);
        setU32("YST1", c.transducer);
        apply("YSSV", 99); // a change mail for every case
        apply("YSSV", c.requested);
        EXPECT_EQ(s_BeamSelected.load(), c.selected);
    }
    // Choosing the low frequency makes it the preferred depth from now on.
    vResetBeamDepthHistory();
    setU32("YST1", 1);
    apply("YSSV", 0);
    EXPECT_EQ(BeamDepthHistory.u32LFBeamValidCnt.load(), 6u);
    EXPECT_EQ(BeamDepthHistory.u32HFBeamValidCnt.load(), 0u);
}

TEST_F(ProcessKeys, ImagingFrequencyNeedsABeamOfTheModel)
{
    s_u32SupportedBeams = 0x1000; // 262 kHz only
    apply("YSSF", FCID("SSF5"));
    EXPECT_EQ(s_fcidSideViewFreq, FCID("SSF4"));
    apply("YSSF", FCID("SSF3"));
    EXPECT_EQ(s_fcidSideViewFreq, FCID("SSF3"));
    apply("YSSF", FCID("SSF4"));
    EXPECT_EQ(s_fcidSideViewFreq, FCID("SSF4"));
    s_u32SupportedBeams = 0xFFFFFFFF;
}

} // namespace
} // namespace process_test
