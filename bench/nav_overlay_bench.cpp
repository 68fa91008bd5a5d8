// The saved-track pass over 50 full visible tracks (21836 points each),
// its painter replaced by a point counter, beside read(2) of the same 50
// files into one buffer: the pass loads and decodes each file into the
// shared track buffer, and should stay within three times the bare reads
// (otherwise the pass wants a cache of decoded tracks). And one whole chart
// frame with the real painters over a full store (3000 waypoints, 50
// routes of 50 points, 50 saved tracks, the boat), reported per frame.
#include "chart_sdk/graphics/gr_context.h"
#include "graphics/g_buffers.h"
#include "kernel/lm_log.h"
#include "nav/core/t_nav_overlay.h"
#include "nav/core/u_nav.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_track.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"
#include "util/u_convert.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int TRACKS = 50;
constexpr POINT CENTRE = {1200000, 6100000};

std::string s_root;
BITMAP* s_pBitmap = nullptr;
NAV_VIEW_INFO s_nvi{};
U64 s_u64Points = 0;

void vFillStore(void)
{
    T_NAV_NVRAM_vInit();
    T_NAV_TWR_vClearTables();
    std::mt19937 rng(76);
    std::uniform_int_distribution<S32> step(-2, 2);
    auto track = std::make_unique<TRACK>();
    for (int t = 0; t < TRACKS; ++t) {
        U_NAV_vClearTrack(track.get());
        POINT p = {CENTRE.x - 300 + 12 * t, CENTRE.y - 200 + 8 * t};
        for (int i = 0; i < TRACK_MAX_POINTS; ++i) {
            p.x += step(rng);
            p.y += step(rng);
            U_NAV_vAddTrackPoint(track.get(), p, 0, FALSE);
        }
        char name[24];
        snprintf(name, sizeof name, "Track %02d", t);
        T_NAV_nAddTrack(track.get(), 1000 + t, name, TRUE);
    }
    std::uniform_int_distribution<S32> offset(-700, 700);
    for (U32 s = 0; s < NAV_WAYPOINT_SLOTS; ++s) {
        WAYPOINT& w = *T_NAV_TWR_pGetNetworkWaypoint(s, 0);
        w = WAYPOINT{};
        w.u8Status = WP_STATUS_TEMPORARY;
        w.u8Icon = (U8)(s % 7);
        w.u32DateTime = 1000000 + s;
        w.pt = {CENTRE.x + offset(rng), CENTRE.y + offset(rng)};
        snprintf(w.sName, sizeof w.sName, "WP%04u", s);
    }
    T_NAV_TWR_vHashWaypoints();
    for (U32 r = 0; r < NAV_ROUTE_SLOTS; ++r) {
        ROUTE& route = *T_NAV_pGetRoute(r);
        route = ROUTE{};
        route.nCount = ROUTE_MAX_POINTS;
        snprintf(route.sName, sizeof route.sName, "R%02u", r);
        for (U32 i = 0; i < ROUTE_MAX_POINTS; ++i)
            route.anWaypoint[i] = (U16)((r * 53 + i * 7) % NAV_WAYPOINT_SLOTS);
    }
}

void vMakePane(void)
{
    s_pBitmap = G_BUFFERS_pCreateBitmap(800, 600, nullptr, nullptr);
    s_nvi.pBitmap = s_pBitmap;
    gr_InitGC(&s_nvi.GrContext, PIXELDIM{800, 600}, (VSCREENPTR)s_pBitmap->pBuffer);
    gr_ResetRotationContext(&s_nvi.RotContext);
    s_nvi.CenterOffset = {400, 300};
    s_nvi.ptCenterMM = CENTRE;
    s_nvi.ptBoatMM = {CENTRE.x + 20, CENTRE.y - 30};
    s_nvi.fBoatHeading = 30.0f;
    s_nvi.nPixelsPerMMM = 1 << 20;
    s_nvi.nChartScale = 12;
    s_nvi.nWindowWidth = 800;
    s_nvi.nWindowHeight = 600;
    s_nvi.fPixelsPerMM = 1.0f;
}

void vCountPoints(TRACK* pTrack, NAV_VIEW_INFO*, BOOLEAN, U32, U32, BOOLEAN)
{
    s_u64Points += pTrack->u16Count;
}

void BM_ReadOfTheTrackFiles(benchmark::State& state)
{
    std::vector<U8> buffer(2 * TRACK_BYTES);
    for (auto _ : state) {
        for (int t = 0; t < TRACKS; ++t) {
            const std::string path = s_root + "/usr/vondrel/tracks/" + std::to_string(t);
            const int fd = open(path.c_str(), O_RDONLY);
            if (fd < 0) {
                state.SkipWithError("no track file");
                return;
            }
            benchmark::DoNotOptimize(read(fd, buffer.data(), buffer.size()));
            close(fd);
        }
    }
}

void BM_SavedTrackPass(benchmark::State& state)
{
    g_tNavOverlayRenderers.pfnRenderTrack = vCountPoints;
    s_u64Points = 0;
    for (auto _ : state)
        T_NAV_vRenderSavedTracks(&s_nvi, FALSE);
    g_tNavOverlayRenderers = g_ctNavDefaultOverlayRenderers;
    if (s_u64Points != (U64)state.iterations() * TRACKS * TRACK_MAX_POINTS)
        state.SkipWithError("not every track was drawn whole");
}

void BM_WholeChartFrame(benchmark::State& state)
{
    for (auto _ : state) {
        T_NAV_vRenderSavedTracks(&s_nvi, FALSE);
        T_NAV_vDrawChartOverlay(&s_nvi, TRUE, FALSE);
    }
}

BENCHMARK(BM_ReadOfTheTrackFiles)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SavedTrackPass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WholeChartFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    char tmpl[] = "/tmp/vondrel-nav-overlay-bench-XXXXXX";
    const char* root = mkdtemp(tmpl);
    if (!root)
        return 1;
    s_root = root;
    setenv("VONDREL_ROOT", root, 1);
    opt_nolog = TRUE;
    U_CONVERT_vInitialiseConversionUtility();
    H_DATABASE_vInit();
    vFillStore();
    vMakePane();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return 0;
}
