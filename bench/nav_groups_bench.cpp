// Whether every waypoint lies in a visible group, asked once per waypoint
// as the chart overlay asks while it draws a frame (3000 walks of the
// tree), beside one walk of the same tree into a bitmap of all answers.
// The tree: 250 groups nested four to a parent, each holding about nine
// of 2200 waypoints, and 50 routes of 20 points linked across them; every
// tenth group is hidden. If the per-frame questions cost more than twice
// the single walk, the overlay is better served by a bitmap rebuilt on
// each change of the tree, whose unchanged-frame cost is measured too.
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_slot.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr U32 WAYPOINTS = 2200;
constexpr U32 GROUPS = 250;
constexpr U32 FIRST_HEADER = WAYPOINTS;          // 2200-2449
constexpr U32 FIRST_BODY = FIRST_HEADER + GROUPS; // two bodies each: 2450-2949
constexpr U32 ROUTES = 50;

U16 gid(U32 s)
{
    return (U16)(0xC000 | s);
}

void put(U32 s, const GROUP_SLOT& g)
{
    T_NAV_GROUP_vToWaypoint(&g, T_NAV_TWR_pGetNetworkWaypoint(s, 0));
}

void build()
{
    static bool s_built = false;
    if (s_built)
        return;
    s_built = true;
    H_DATABASE_vInit();
    T_NAV_TWR_vClearTables();
    std::mt19937 rng(11);
    for (U32 s = 0; s < WAYPOINTS; ++s) {
        WAYPOINT& w = *T_NAV_TWR_pGetNetworkWaypoint(s, 0);
        w = WAYPOINT{};
        w.u8Status = WP_STATUS_PERMANENT;
        w.u32DateTime = 1000 + s;
        w.pt = {(S32)(rng() % 40000), (S32)(rng() % 40000)};
    }
    for (U32 r = 0; r < ROUTES; ++r) {
        ROUTE* route = T_NAV_pGetRoute(r);
        *route = ROUTE{};
        route->u32DateTime = 5000 + r;
        route->nCount = 20;
        for (U32 p = 0; p < 20; ++p)
            route->anWaypoint[p] = (U16)(rng() % WAYPOINTS);
    }
    // Links per group: its children, its share of the waypoints, a route.
    std::vector<std::vector<U16>> links(GROUPS);
    for (U32 g = 1; g < GROUPS; ++g)
        links[(g - 1) / 4].push_back(gid(FIRST_HEADER + g));
    for (U32 s = 0; s < WAYPOINTS; ++s)
        links[s % GROUPS].push_back((U16)s);
    for (U32 r = 0; r < ROUTES; ++r)
        links[(r * 5 + 3) % GROUPS].push_back((U16)(0x8800 | r));
    for (U32 g = 0; g < GROUPS; ++g) {
        GROUP_SLOT h{};
        h.header.u8Status = WP_STATUS_GROUP_HEADER;
        h.header.bHide = g != 0 && g % 10 == 0 ? 1 : 0;
        h.header.u16ParentIndex = g == 0 ? 0xFFFF : gid(FIRST_HEADER + (g - 1) / 4);
        h.header.u16FirstBodyIndex = gid(FIRST_BODY + 2 * g);
        put(FIRST_HEADER + g, h);
        for (U32 b = 0; b < 2; ++b) {
            GROUP_SLOT body{};
            body.body.u8Status = WP_STATUS_GROUP_BODY;
            body.body.u16NextIndex = b == 0 ? gid(FIRST_BODY + 2 * g + 1) : 0xFFFF;
            for (U32 i = 0; i < GROUP_BODY_LINKS; ++i) {
                const U32 k = b * GROUP_BODY_LINKS + i;
                body.body.u16Item[i] = k < links[g].size() ? links[g][k] : 0xFFFF;
            }
            put(FIRST_BODY + 2 * g + b, body);
        }
    }
    T_NAV_TWR_vHashWaypoints();
    T_NAV_GROUP_DATA_vSetRootGroup(gid(FIRST_HEADER));
}

void BM_VisibleAskedPerWaypoint(benchmark::State& state)
{
    build();
    for (auto _ : state) {
        U32 visible = 0;
        for (U16 s = 0; s < NAV_WAYPOINT_SLOTS; ++s)
            visible += T_NAV_GROUP_DATA_bIsInAnyVisibleGroup(s) ? 1 : 0;
        benchmark::DoNotOptimize(visible);
    }
    state.SetItemsProcessed(state.iterations() * NAV_WAYPOINT_SLOTS);
}

void BM_VisibleBitmapOneWalk(benchmark::State& state)
{
    build();
    U8 bitmap[NAV_GROUP_VISITED / 8];
    for (auto _ : state) {
        T_NAV_GROUP_DATA_vBuildVisibleBitmap(bitmap);
        benchmark::DoNotOptimize(bitmap[0]);
    }
    state.SetItemsProcessed(state.iterations() * NAV_WAYPOINT_SLOTS);
}

// What the overlay pays per frame while the tree is unchanged.
void BM_VisibleBitmapPerFrame(benchmark::State& state)
{
    build();
    for (auto _ : state)
        benchmark::DoNotOptimize(T_NAV_GROUP_DATA_pu8GetVisibleBitmap()[0]);
    state.SetItemsProcessed(state.iterations() * NAV_WAYPOINT_SLOTS);
}

BENCHMARK(BM_VisibleAskedPerWaypoint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VisibleBitmapOneWalk)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VisibleBitmapPerFrame)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
