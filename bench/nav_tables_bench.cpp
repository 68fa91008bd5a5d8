// Rebuilding the duplicate table and both declutter tables, as a deletion,
// the end of a bulk change or the navigation task's start does, at 3000
// used slots (the own bank) and 12,000 (all four banks); beside the
// hash-bucket rebuild of the same tables, which the navigation tests prove
// to give the same entries. The own waypoints lie in a 40 km square; half
// of each peer's are copies of own ones. Scales 17 (right pane) and 15
// (left). The rebuild must take a 100 ms frame at most on the unit, about
// ten times slower than this host: 10 ms here.
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "nav/tests/nav_declutter_grid.h"
#include "store/h_database.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

constexpr S32 RIGHT_SCALE = 17;
constexpr S32 LEFT_SCALE = 15;

// Fills the tables with `slots` used slots, the own bank first.
void fill(U32 slots)
{
    static U32 s_filled = 0;
    if (s_filled == slots)
        return;
    s_filled = slots;
    H_DATABASE_vInit();
    H_DATABASE_bUpdateValueS32(FCID("SNCS"), RIGHT_SCALE, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("SNCL"), LEFT_SCALE, P_NORMAL);
    T_NAV_TWR_vClearTables();
    std::mt19937 rng(7);
    std::uniform_int_distribution<S32> offset(0, 40000);
    const U32 own = std::min<U32>(slots, NAV_WAYPOINT_SLOTS);
    for (U32 s = 0; s < own; ++s) {
        WAYPOINT& w = *T_NAV_TWR_pGetNetworkWaypoint(s, 0);
        w = WAYPOINT{};
        w.u8Status = WP_STATUS_PERMANENT;
        w.u8Icon = (U8)(s % 7);
        w.u32DateTime = 1000000 + s;
        w.pt = {1200000 + offset(rng), 6100000 + offset(rng)};
        snprintf(w.sName, sizeof w.sName, "WP%04u", s % 10000);
    }
    T_NAV_TWR_vHashWaypoints();
    T_NAV_TWR_vTemporarilyDisableScanForDuplicates(TRUE);
    T_NAV_TWR_vTemporarilyDisableDeclutterWaypointsScan(TRUE);
    T_NAV_TWR_vSetMultiWaypointFlag(TRUE);
    for (U32 i = own; i < slots; ++i) {
        const U32 bank = i / NAV_WAYPOINT_SLOTS, s = i % NAV_WAYPOINT_SLOTS;
        WAYPOINT w = *T_NAV_TWR_pGetNetworkWaypoint(rng() % own, 0);
        if (rng() % 2) {
            w.pt = {1200000 + offset(rng), 6100000 + offset(rng)};
            w.u32DateTime += 7;
        }
        T_NAV_TWR_nAddNetworkWaypoint(s, &w, (S32)bank);
    }
    T_NAV_TWR_vSetMultiWaypointFlag(FALSE);
    T_NAV_TWR_vTemporarilyDisableScanForDuplicates(FALSE);
    T_NAV_TWR_vTemporarilyDisableDeclutterWaypointsScan(FALSE);
}

void BM_ShippedRebuild(benchmark::State& state)
{
    fill((U32)state.range(0));
    for (auto _ : state) {
        T_NAV_TWR_vDuplicateWaypointsScan();
        T_NAV_TWR_vDeclutterWaypointsScan(DCLTR_TABLE_BOTH);
        benchmark::DoNotOptimize(T_NAV_TWR_pGetDeclutterWaypointTable(FALSE)[0]);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_HashBucketRebuild(benchmark::State& state)
{
    fill((U32)state.range(0));
    navg::Tables right, left;
    for (auto _ : state) {
        std::fill(right.duplicate.begin(), right.duplicate.end(), 0);
        std::fill(right.twin.begin(), right.twin.end(), 0);
        std::fill(right.declutter.begin(), right.declutter.end(), NAV_DECLUTTER_NONE);
        std::fill(left.declutter.begin(), left.declutter.end(), NAV_DECLUTTER_NONE);
        navg::buildDuplicates(&right);
        left.duplicate = right.duplicate;
        navg::buildDeclutter(&right, RIGHT_SCALE);
        navg::buildDeclutter(&left, LEFT_SCALE);
        benchmark::DoNotOptimize(right.declutter[0]);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_ShippedRebuild)->Arg(3000)->Arg(12000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HashBucketRebuild)->Arg(3000)->Arg(12000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
