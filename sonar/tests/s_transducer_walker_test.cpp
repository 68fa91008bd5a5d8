// The walkers as the history task drives them: the whole mail traffic of
// its walker sequence for one transducer, compared line by line with the
// logs in sonar/tests/walker_logs/ (VONDREL_UPDATE_LOGS=1 rewrites them;
// read the difference before committing one). The rules behind single
// rows are pinned in s_transducer_menus_test.cpp.
#include "sonar/dsp/s_mss.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/dsp/s_transducer_menus.h"
#include "sonar/tests/transducer_mail_log.h"

#include "testing/t_proc.h"

#include <cstdlib>
#include <fstream>

namespace sonar_test {
namespace {

// Every test starts from a unit without a transducer, the store without
// the history task's keys, and an empty mailbox.
class Walkers : public ::testing::Test {
protected:
    void SetUp() override
    {
        publishViewAndMenuTasks();
        forgetHistoryKeys();
        U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_INIT, SONAR_SOURCE_360);
        setFlankviewClient(FALSE);
        S_TRANSDUCER_vEnable(FALSE);
        vMenuJigging(0, 0);
        vMenuSuperUserExtras(FALSE);
        forget(FCID("YJIG"));
        drainLines();
    }

    // The lines of one call, headed by the call.
    std::vector<std::string> log;
    template <typename F>
    void step(const std::string& call, F&& f)
    {
        log.push_back("# " + call);
        f();
        for (std::string& l : drainLines())
            log.push_back(std::move(l));
    }

    // The history task after a transducer change with one transducer
    // connected and every source it feeds pinged locally (normal run).
    void historySequence(U8 id)
    {
        const U32 mask = S_TRANSDUCER_u32GetSonarSources(id);
        const U32 yst1 = (mask & ELEMENT_2D) ? id : 0;
        const U32 yst2 = (mask & ELEMENT_KV) ? id : 0;
        const U32 yst3 = (mask & ELEMENT_FV) ? id : 0;
        const U32 yst4 = (mask & ELEMENT_360) ? id : 0;
        setU32(FCID("YST1"), yst1);
        setU32(FCID("YST2"), yst2);
        setU32(FCID("YST3"), yst3);
        setU32(FCID("YST4"), yst4);
        setU32(FCID("ELPM"), mask);
        const std::string m = std::to_string(mask);
        step("S_TRANSDUCER_vEnable(TRUE)", [] { S_TRANSDUCER_vEnable(TRUE); });
        U8 last = 0;
        if ((mask & ELEMENT_2D) && yst1 != 0)
            step("S_TRANSDUCER_v2DEnable(" + std::to_string(yst1) + ")", [&] { S_TRANSDUCER_v2DEnable((U8)yst1); });
        if ((mask & ELEMENT_KV) && yst2 != 0) {
            step("S_TRANSDUCER_vImagingEnable(" + std::to_string(yst2) + ")",
                 [&] { S_TRANSDUCER_vImagingEnable((U8)yst2); });
            last = (U8)yst2;
        }
        if (mask & ELEMENT_FV) {
            if (yst3 != 0) {
                step("S_TRANSDUCER_vImagingEnable(" + std::to_string(yst3) + ")",
                     [&] { S_TRANSDUCER_vImagingEnable((U8)yst3); });
                last = (U8)yst3;
            }
            step("vMenuJigging(" + std::to_string(yst1) + ", " + std::to_string(yst3) + ")",
                 [&] { vMenuJigging(yst1, yst3); });
        }
        step("S_TRANSDUCER_vCompositeEnable(" + std::to_string(last) + ", " + m + ")",
             [&] { S_TRANSDUCER_vCompositeEnable(last, mask); });
        if (mask & ELEMENT_360) {
            if (yst4 != 0) {
                step("S_TRANSDUCER_vGyreviewEnable(" + std::to_string(yst4) + ")",
                     [&] { S_TRANSDUCER_vGyreviewEnable((U8)yst4); });
                step("S_TRANSDUCER_vComposite360Enable(" + std::to_string(yst4) + ", " + m + ")",
                     [&] { S_TRANSDUCER_vComposite360Enable((U8)yst4, mask); });
            } else {
                step("S_TRANSDUCER_vComposite360Enable(0, " + m + ")",
                     [&] { S_TRANSDUCER_vComposite360Enable(0, mask); });
            }
        }
    }
};

std::vector<std::string> readLines(const std::string& path)
{
    std::vector<std::string> out;
    std::ifstream in(path);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

class WalkerLog : public Walkers, public ::testing::WithParamInterface<int> {};

TEST_P(WalkerLog, HistorySequenceSendsTheCheckedInMails)
{
    const U8 id = (U8)GetParam();
    historySequence(id);
    const std::string path = vt::sourcePath("sonar/tests/walker_logs/transducer_" + std::to_string(id) + ".log");
    const char* update = getenv("VONDREL_UPDATE_LOGS");
    if (update != nullptr && update[0] == '1') {
        std::ofstream out(path);
        for (const std::string& l : log)
            out << l << "\n";
        GTEST_SKIP() << "rewrote " << path;
    }
    const std::vector<std::string> expected = readLines(path);
    ASSERT_FALSE(expected.empty()) << "no log at " << path;
    for (size_t i = 0; i < std::min(expected.size(), log.size()); ++i)
        ASSERT_EQ(log[i], expected[i]) << "line " << i + 1 << " of " << path;
    EXPECT_EQ(log.size(), expected.size()) << path;
}

INSTANTIATE_TEST_SUITE_P(Transducers, WalkerLog, ::testing::Values(1, 4, 10, 15, 16, 17),
                         [](const ::testing::TestParamInfo<int>& p) {
                             return "transducer_" + std::to_string(p.param);
                         });

} // namespace
} // namespace sonar_test
