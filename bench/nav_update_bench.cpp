// One navigation tick while navigating a leg, with 0, 50 and 500 targets in
// the AIS pool, every one of them checked for a CPA alarm. Before the timed
// loop each run times the same tick with an empty pool; the "per_target"
// counter is the extra time of a tick for one target (seconds), so the runs
// with 50 and 500 targets show whether the walk stays linear, and
// "empty_tick" is the reference measured in the same run.
#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_state.h"
#include "nav/data/t_nav_twr.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "store/h_database.h"
#include "util/u_convert.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

namespace {

constexpr U32 NOW = 1300000000;
constexpr int REFERENCE_TICKS = 4000;

void vWorld(void)
{
    static bool done = false;
    if (done)
        return;
    done = true;
    U_CONVERT_vInitialiseConversionUtility();
    H_DATABASE_vInit();
    T_NAV_TWR_vClearTables();

    const POSITION p = {34.0, -84.0};
    POINT a = {0, 0};
    nv_DegrToMeter(&p, &a);
    const POINT b = {a.x + 1500, a.y + 2400};
    for (U16 i = 0; i < 2; ++i) {
        WAYPOINT* w = T_NAV_pGetWaypoint(i);
        *w = WAYPOINT{};
        w->u8Status = WP_STATUS_PERMANENT;
        w->pt = i == 0 ? a : b;
        s_CurrentRoute.anWaypoint[i] = i;
    }
    s_CurrentRoute.nCount = 2;
    s_ptOWT = a;
    s_u32TimeOWT = NOW - 100;
    const POINT boat = {a.x + 300, a.y + 600};
    H_DATABASE_bUpdateValueS32(FCID("ILAT"), boat.y, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("ILON"), boat.x, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("CCST"), 3, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("IDTM"), NOW, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("INIP"), 1, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("IDWP"), 1, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("IOWP"), 0, P_NORMAL);
    H_DATABASE_bUpdateValueFloat(FCID("ITRK"), 32.0f, P_NORMAL);
    H_DATABASE_bUpdateValueFloat(FCID("SNAO"), 50.0f, P_NORMAL);
    H_DATABASE_bUpdateValueFloat(FCID("SNAA"), 20.0f, P_NORMAL);
    H_DATABASE_bUpdateValueFloat(FCID("ISOG"), 4.0f, P_NORMAL);
    H_DATABASE_bUpdateValueFloat(FCID("IHDG"), 30.0f, P_NORMAL);
    H_DATABASE_bUpdateValueBoolean(FCID("SNCM"), FALSE, P_NORMAL);
    H_DATABASE_bUpdateValueBoolean(FCID("CCNC"), FALSE, P_NORMAL);
    H_DATABASE_bUpdateValueBoolean(FCID("SAIS"), TRUE, P_NORMAL);
}

std::vector<ais_DeviceInfo> vTargets(int n)
{
    std::vector<ais_DeviceInfo> v((size_t)n);
    for (int i = 0; i < n; ++i) {
        v[(size_t)i].aisInfo.MMSI = 366000000u + (U32)i;
        v[(size_t)i].ReceiveLastTime = (S32)NOW - 30;
        v[(size_t)i].bStandinHasAlarm = (i % 7) == 0;
    }
    return v;
}

// No "TALR": the alarms change their state but send no mails that would
// pile up unread.
void vTick(U64& n)
{
    T_NAV_vHandleUpdateTimer();
    ++n;
}

double dSecondsPerTick(int ticks)
{
    U64 n = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < ticks; ++i)
        vTick(n);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / ticks;
}

void BM_NavTickWithAisTargets(benchmark::State& state)
{
    const int targets = (int)state.range(0);
    vWorld();
    NAV_STANDIN_vSetAisTargets({});
    dSecondsPerTick(REFERENCE_TICKS / 4); // warm up
    const double empty = dSecondsPerTick(REFERENCE_TICKS);
    NAV_STANDIN_vSetAisTargets(vTargets(targets));

    U64 n = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        vTick(n);
    const double perTick =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / (double)state.iterations();
    if (NAV_STANDIN_u32AisTargetCount() != (U32)targets)
        state.SkipWithError("a target left the pool");
    state.counters["empty_tick"] = empty;
    if (targets > 0)
        state.counters["per_target"] = (perTick - empty) / targets;
}

BENCHMARK(BM_NavTickWithAisTargets)->Arg(0)->Arg(50)->Arg(500);

} // namespace

BENCHMARK_MAIN();
