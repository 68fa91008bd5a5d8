// The store's start-up from a full flash folder (every own slot in use: a
// root group of 250 bodies and 2748 waypoints; 50 routes, 50 saved tracks,
// 50 recorded tracks, all linked in the root) beside `cat` of the same
// tree, which reads every byte once; the aim is within three times. And one
// clean-up run on those full tables beside one pass that reads every slot,
// route and group link once; the aim is within ten times.
//
// The folder is written by the fixture writer of the store's tests. No
// "CCST" is set, so nothing is written back and every start sees the same
// files.
#include "kernel/lm_log.h"
#include "nav/data/t_nav_group_clean.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_slot.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_startup.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string s_folder;

void BM_CatOfTheTree(benchmark::State& state)
{
    const std::string cmd = "find " + s_folder + " -type f -exec cat {} + > /dev/null";
    for (auto _ : state)
        if (system(cmd.c_str()) != 0)
            state.SkipWithError("cat failed");
}

void BM_StartUpFromFullFolder(benchmark::State& state)
{
    for (auto _ : state)
        T_NAV_vInitTracksWaypointsRoutes();
    if (T_NAV_GROUP_DATA_nGetRootGroup() != 0xC000 || T_NAV_TWR_nGetMaxUsedWaypointIndex(0) != 3000)
        state.SkipWithError("the store did not come back whole");
}

void BM_OnePassOverTablesAndLinks(benchmark::State& state)
{
    T_NAV_vInitTracksWaypointsRoutes();
    for (auto _ : state) {
        U32 sum = 0;
        for (U32 s = 0; s < NAV_WAYPOINT_SLOTS; ++s)
            sum += T_NAV_TWR_pGetNetworkWaypoint(s, 0)->u8Status;
        for (U32 r = 0; r < NAV_ROUTE_SLOTS; ++r) {
            const ROUTE* route = T_NAV_pGetRoute(r);
            for (U32 p = 0; p < route->nCount && p < ROUTE_MAX_POINTS; ++p)
                sum += T_NAV_pGetWaypoint(route->anWaypoint[p])->u8Status;
        }
        GROUP_SLOT g{};
        T_NAV_bReadGroupSlot(T_NAV_GROUP_DATA_nGetRootGroup(), &g);
        U16 body = g.header.u16FirstBodyIndex;
        while (body != 0xFFFF && T_NAV_bReadGroupSlot(body, &g)) {
            for (U16 link : g.body.u16Item)
                sum += link;
            body = g.body.u16NextIndex;
        }
        benchmark::DoNotOptimize(sum);
    }
}

void BM_CleanUpOnFullTables(benchmark::State& state)
{
    T_NAV_vInitTracksWaypointsRoutes();
    for (auto _ : state)
        T_NAV_GROUP_DATA_vScanGroupForGarbageCollection(T_NAV_GROUP_DATA_nGetRootGroup());
    if (T_NAV_TWR_nGetMaxUsedWaypointIndex(0) != 3000)
        state.SkipWithError("the clean-up deleted linked items");
}

BENCHMARK(BM_CatOfTheTree)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StartUpFromFullFolder)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OnePassOverTablesAndLinks)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CleanUpOnFullTables)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    char tmpl[] = "/tmp/vondrel-nav-startup-bench-XXXXXX";
    const char* root = mkdtemp(tmpl);
    if (!root)
        return 1;
    setenv("VONDREL_ROOT", root, 1);
    opt_nolog = TRUE;
    H_DATABASE_vInit();
    s_folder = std::string(root) + "/usr/vondrel";
    const std::string cmd = std::string("/usr/bin/python3 ") + VONDREL_SOURCE_DIR +
                            "/nav/tests/nav_store_fixture.py full " + s_folder;
    if (system(cmd.c_str()) != 0)
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return 0;
}
