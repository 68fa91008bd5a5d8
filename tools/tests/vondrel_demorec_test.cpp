// vondrel-demorec beside the unit: the recording it writes replays through
// the sonar simulation ping by ping, beams 0 to 3 in turn, and loops; files
// already there are kept unless forced.
#include "sonar/dsp/s_synthsim.h"
#include "sonar/tests/sonar_root.h"

#include "kernel/lm_log.h"
#include "store/h_database.h"
#include "testing/t_proc.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using sonar_test::at;

vt::ProcResult demorec(const std::vector<std::string>& args)
{
    std::vector<std::string> argv = {vt::buildPath("tools/vondrel-demorec")};
    argv.insert(argv.end(), args.begin(), args.end());
    return vt::runProcess(argv);
}

TEST(DemoRecording, ReplaysBeamByBeamAndLoops)
{
    sonar_test::unitRoot();
    opt_nolog = TRUE;
    H_DATABASE_vInit();
    const std::string folder = at("/usr/vondrel/SONARSIM");
    const vt::ProcResult r = demorec({"--force", "--positions", "3", folder});
    ASSERT_EQ(r.status, 0) << r.err;
    S_SYNTHSIM_vResetForTests();

    std::vector<U8> samples(PING_MAX_SAMPLES);
    const U32 hertz[4] = {83000, 200000, 455000, 455000};
    for (int ping = 0; ping < 3 * 4 + 2; ++ping) {
        SCOPED_TRACE(ping);
        PING_DESCRIPTOR p = {};
        p.Beam = 9;
        p.pu8RawSonarData = samples.data();
        S_SYNTHSIM_fSynthesizeReturn(&p);
        const int beam = ping % 4;
        ASSERT_EQ(p.Beam, beam);
        EXPECT_EQ(p.u32TransmitFrequencyHertz, hertz[beam]);
        EXPECT_EQ(p.u32NumberOfSamples, S_SYNTHSIM_SAMPLES);
        EXPECT_EQ(p.u32SamplePeriodMicroSeconds, 26u);
        EXPECT_FALSE(p.bSimulated);
        U32 loud = 0;
        for (U32 i = 0; i < p.u32NumberOfSamples; ++i)
            loud += samples[i] > 200;
        EXPECT_GT(loud, 0u) << "the bottom echo is in the raw samples";
    }
    S_SYNTHSIM_vResetForTests();
}

TEST(DemoRecording, KeepsFilesThatAreThereUnlessForced)
{
    sonar_test::unitRoot();
    const std::string folder = at("/tmp/demorec-keep");
    vt::makeDirs(folder);
    ASSERT_TRUE(vt::writeFile(folder + "/KVREV2.SON", "mine"));
    ASSERT_TRUE(vt::writeFile(folder + "/KVREV2.IDX", "mine"));
    ASSERT_EQ(demorec({folder}).status, 0);
    EXPECT_EQ(vt::readFile(folder + "/KVREV2.SON"), "mine");
    ASSERT_EQ(demorec({"--force", "--positions", "1", folder}).status, 0);
    EXPECT_EQ(vt::readFile(folder + "/KVREV2.IDX").size(), 4u * 4);
    EXPECT_EQ(vt::readFile(folder + "/KVREV2.SON").size(), 4u * (23 + 2048));

    EXPECT_NE(demorec({}).status, 0);
    EXPECT_NE(demorec({"--positions", "0", folder}).status, 0);
}

} // namespace
