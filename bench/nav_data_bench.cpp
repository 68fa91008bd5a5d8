// A whole navigation store (50 full tracks, 3000 waypoints, 50 routes)
// streamed as exchange records by the producer and gathered block by block
// by the consumer, as a PC download followed by an upload does, beside
// memcpy of the same bytes block by block. The navigation-data mutex is
// held for each direction's whole pass: its hold time per pass is
// reported (hold_ms), to set beside the serial line, which carries about
// 11 KB per second, so a full store takes about ten minutes on the wire.
#include "kernel/lm_log.h"
#include "nav/data/t_nav_data.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "store/h_database.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<U8> s_stream; // the store's stream, taken once

void vFillStore(void)
{
    H_DATABASE_vInit();
    H_DATABASE_bUpdateValueU32(FCID("CCST"), 3, P_NORMAL);
    T_NAV_NVRAM_vInit();
    T_NAV_TWR_vClearTables();
    auto t = std::make_unique<TRACK>();
    t->u16Count = TRACK_MAX_POINTS;
    t->ptFirst = t->ptLast = t->ptLowerLeft = t->ptUpperRight = {1000, 2000};
    for (U32 i = 0; i < TRACK_DELTA_COUNT; ++i)
        t->aDelta[i] = {(S16)(i % 7), (S16)-(S16)(i % 5), (U16)i};
    for (U16 i = 0; i < NAV_TRACK_SLOTS; ++i) {
        snprintf(t->sName, sizeof t->sName, "TRACK %u", i);
        T_NAV_NVRAM_vSaveTrack(t.get(), i, TRUE);
        *T_NAV_pGetTrackHeader(i) = *t;
    }
    for (U32 i = 0; i < NAV_WAYPOINT_SLOTS; ++i) {
        WAYPOINT* w = T_NAV_pGetWaypoint(i);
        w->u8Status = WP_STATUS_PERMANENT;
        w->u32DateTime = i;
        w->pt = {(S32)i * 100, -(S32)i * 100};
        snprintf(w->sName, sizeof w->sName, "WPT %u", i);
    }
    for (U32 i = 0; i < NAV_ROUTE_SLOTS; ++i) {
        ROUTE* r = T_NAV_pGetRoute(i);
        r->nCount = ROUTE_MAX_POINTS;
        r->u32DateTime = i + 1;
        for (U32 p = 0; p < ROUTE_MAX_POINTS; ++p)
            r->anWaypoint[p] = (U16)(i * 50 + p);
    }
}

double dMs(std::chrono::steady_clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
}

// The reference: the same bytes, block by block, into a block and out of it.
void BM_MemcpyOfTheStream(benchmark::State& state)
{
    std::vector<U8> out(s_stream.size());
    U8 block[NAV_DATA_BLOCK_BYTES];
    for (auto _ : state) {
        for (size_t at = 0; at < s_stream.size(); at += NAV_DATA_BLOCK_BYTES) {
            const size_t n = std::min<size_t>(NAV_DATA_BLOCK_BYTES, s_stream.size() - at);
            memcpy(block, s_stream.data() + at, n);
            benchmark::DoNotOptimize(block);
            memcpy(out.data() + at, block, n);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)(state.iterations() * s_stream.size()));
}

void BM_ProducerThenConsumer(benchmark::State& state)
{
    // The blocks the producer hands out are kept as the wire would keep
    // them, back to back, and fed to the consumer from there.
    std::vector<U8> wire(s_stream.size() + NAV_DATA_BLOCK_BYTES);
    double produceMs = 0, consumeMs = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        size_t length = 0;
        T_NAV_DATA_vFillBufferInit();
        while (U32 n = T_NAV_DATA_u32FillBufferSegment(wire.data() + length, nullptr))
            length += n;
        produceMs += dMs(start);

        start = std::chrono::steady_clock::now();
        T_NAV_DATA_vSaveBufferInit();
        for (size_t at = 0; at < length; at += NAV_DATA_BLOCK_BYTES)
            T_NAV_DATA_vSaveBufferSegment((U32)std::min<size_t>(NAV_DATA_BLOCK_BYTES, length - at), wire.data() + at,
                                          nullptr);
        consumeMs += dMs(start);
        // The gathered records are dropped: putting them in place is the
        // files' cost, measured by the nav benchmark.
        T_NAV_DATA_vSaveBufferFree(FALSE);
        if (length != s_stream.size() ||
            T_NAV_DATA_u32GetSavedRecordCount() != NAV_TRACK_SLOTS + NAV_WAYPOINT_SLOTS + NAV_ROUTE_SLOTS)
            state.SkipWithError("records lost");
    }
    state.SetBytesProcessed((int64_t)(state.iterations() * s_stream.size()));
    state.counters["hold_ms_producer"] = produceMs / (double)state.iterations();
    state.counters["hold_ms_consumer"] = consumeMs / (double)state.iterations();
    state.counters["line_s"] = (double)s_stream.size() / 11000.0;
}

BENCHMARK(BM_MemcpyOfTheStream)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ProducerThenConsumer)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    char tmpl[] = "/tmp/vondrel-nav-data-bench-XXXXXX";
    const char* root = mkdtemp(tmpl);
    if (!root)
        return 1;
    setenv("VONDREL_ROOT", root, 1);
    opt_nolog = TRUE;
    vFillStore();
    T_NAV_DATA_vFillBufferInit();
    U8 block[NAV_DATA_BLOCK_BYTES];
    while (U32 n = T_NAV_DATA_u32FillBufferSegment(block, nullptr))
        s_stream.insert(s_stream.end(), block, block + n);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return 0;
}
