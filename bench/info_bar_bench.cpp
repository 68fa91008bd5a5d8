// The instrument bar's y origin for the current view beside a single
// data-store fetch in the same run. Several layers ask it in every frame and
// it keeps no cache, so it should cost no more than about fifteen fetches.
// The view measured is the side view, which looks at all five boxes.
#include "store/h_database.h"
#include "ui/t_info_bar.h"
#include "ui/t_info_state.h"

#include <benchmark/benchmark.h>

namespace {

void world()
{
    static const bool once = [] {
        H_DATABASE_vInit();
        H_DATABASE_bUpdateEverythingFloat(FCID("IDEP"), 12.5f, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        H_DATABASE_bUpdateEverythingU32(FCID("BDEP"), FCID("IDEP"), P_NORMAL, D_FCID, nullptr, DB_TIMEOUT_NEVER);
        H_DATABASE_bUpdateEverythingU32(FCID("INIP"), 0, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        const FOURCHARID* set = t_info::selectionStandard();
        for (int k = 0; k < 5; ++k)
            H_DATABASE_bUpdateEverythingU32(set[k], k % 2 ? FCID("BDEP") : 0, P_NORMAL, D_FCID, nullptr,
                                            DB_TIMEOUT_NEVER);
        t_info::setCurrentView(47);
        return true;
    }();
    (void)once;
}

void BM_SingleFetch(benchmark::State& state)
{
    world();
    U32 value = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(H_DATABASE_bFetchU32(FCID("INIP"), &value, nullptr, nullptr));
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_SingleFetch);

void BM_YOrigin(benchmark::State& state)
{
    world();
    for (auto _ : state)
        benchmark::DoNotOptimize(T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_FULL_WINDOW));
}
BENCHMARK(BM_YOrigin);

} // namespace

BENCHMARK_MAIN();
