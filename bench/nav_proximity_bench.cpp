// The closest-point update of all 50 recorded tracks of 352 points each,
// relative to the boat, beside GeographicLib's rhumb-line inverse over the
// same boat-to-point pairs (latitudes and longitudes converted once, before
// the timing). Both compute a bearing and a loxodromic distance per point;
// the update also converts each point from Mercator metres. Each reports
// its time per point (the "per_point" counter, in seconds).
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_proximity.h"
#include "nav/data/t_nav_twr_rumbrel.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "store/h_database.h"
#include "util/u_convert.h"

#include <GeographicLib/Rhumb.hpp>
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr U32 TRACKS = 50;
constexpr U32 POINTS = RUMBREL_MAX_POINTS;
constexpr POINT BOAT = {-9350000, 4000000};

struct Pair {
    double lat1, lon1, lat2, lon2;
};

// The tables hold 50 full tracks within about 20 km of the boat; the same
// pairs in degrees for the reference.
const std::vector<Pair>& setUp()
{
    static const std::vector<Pair> pairs = [] {
        U_CONVERT_vInitialiseConversionUtility();
        H_DATABASE_vInit();
        T_NAV_TWR_vClearTables();
        H_DATABASE_bUpdateValueS32(FCID("ILAT"), BOAT.y, P_NORMAL);
        H_DATABASE_bUpdateValueS32(FCID("ILON"), BOAT.x, P_NORMAL);
        std::mt19937 rng(9116);
        std::uniform_int_distribution<S32> d(-20000, 20000);
        POSITION boat = {};
        nv_MeterToDegr(&BOAT, &boat);
        std::vector<Pair> v;
        for (U32 slot = 0; slot < TRACKS; ++slot) {
            RUMBREL* r = T_NAV_pGetRumbrel(slot);
            memset(static_cast<void*>(r), 0, sizeof(RUMBREL));
            r->nCount = POINTS;
            r->u32DateTime = 1;
            for (U32 i = 0; i < POINTS; ++i) {
                r->aTrackPoints[i] = {BOAT.x + d(rng), BOAT.y + d(rng)};
                POSITION p = {};
                nv_MeterToDegr(&r->aTrackPoints[i], &p);
                v.push_back({boat.lat, boat.lon, p.lat, p.lon});
            }
        }
        return v;
    }();
    return pairs;
}

void BM_SetAllRumbrelClosest(benchmark::State& state)
{
    setUp();
    for (auto _ : state) {
        T_NAV_vSetAllRumbrelClosest();
        benchmark::DoNotOptimize(T_NAV_pGetRumbrel(TRACKS - 1)->u32ClosestDTG);
    }
    state.counters["per_point"] =
        benchmark::Counter((double)TRACKS * POINTS, benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

void BM_GeographicLibRhumbInverse(benchmark::State& state)
{
    const std::vector<Pair>& pairs = setUp();
    const GeographicLib::Rhumb& rhumb = GeographicLib::Rhumb::WGS84();
    for (auto _ : state) {
        double best = 1e300;
        for (const Pair& p : pairs) {
            double s12 = 0;
            double azi12 = 0;
            rhumb.Inverse(p.lat1, p.lon1, p.lat2, p.lon2, s12, azi12);
            if (s12 < best)
                best = s12;
        }
        benchmark::DoNotOptimize(best);
    }
    state.counters["per_point"] =
        benchmark::Counter((double)pairs.size(), benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_SetAllRumbrelClosest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeographicLibRhumbInverse)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
