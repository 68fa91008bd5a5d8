// The data store per operation: an update with 0, 1 and 8 subscribers (each
// subscriber's mail is received and freed inside the loop, as its task
// would), and a fetch; beside a std::unordered_map under a std::mutex, the
// plainest shared map a task could use instead.
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "store/h_database.h"

#include <benchmark/benchmark.h>

#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

constexpr int NUM_KEYS = 1000; // about as many as the unit holds

std::vector<FOURCHARID> makeKeys()
{
    std::vector<FOURCHARID> keys;
    const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int i = 0; i < NUM_KEYS; ++i) {
        char name[5] = {"SICY"[i % 4], digits[i % 36], digits[(i / 36) % 36], digits[(i / 7) % 36], 0};
        keys.push_back(FCID(name));
    }
    return keys;
}

const std::vector<FOURCHARID>& keys()
{
    static const std::vector<FOURCHARID> k = [] {
        H_DATABASE_vInit();
        auto made = makeKeys();
        for (FOURCHARID id : made)
            H_DATABASE_bUpdateValueU32(id, 0, P_NORMAL);
        return made;
    }();
    return k;
}

void drainAll(int subscribers)
{
    for (int s = 0; s < subscribers; ++s) {
        while (MSGHEADER* h = L_MBOX_Receive(20 + s))
            H_MEMORY_vFree(h);
    }
}

void BM_StoreUpdate(benchmark::State& state)
{
    const int subscribers = (int)state.range(0);
    const auto& k = keys();
    const FOURCHARID key = subscribers == 0 ? k[1] : FCID("IBEN");
    for (int s = 0; s < subscribers; ++s)
        H_DATABASE_bRegisterForDataWithConditions(key, 20 + s, TRUE, FALSE, FALSE);
    U32 v = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(H_DATABASE_bUpdateValueU32(key, ++v, P_NORMAL));
        drainAll(subscribers);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StoreUpdate)->Arg(0)->Arg(1)->Arg(8);

void BM_StoreFetch(benchmark::State& state)
{
    const auto& k = keys();
    size_t i = 0;
    for (auto _ : state) {
        U32 v;
        BOOLEAN valid;
        benchmark::DoNotOptimize(H_DATABASE_bFetchU32(k[i], &v, &valid, nullptr));
        benchmark::DoNotOptimize(v);
        i = (i + 1) % k.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StoreFetch);

struct LockedMap {
    std::mutex lock;
    std::unordered_map<U32, U32> map;
};

LockedMap& lockedMap()
{
    static LockedMap m;
    static const bool filled = [] {
        for (FOURCHARID id : makeKeys())
            m.map[id] = 0;
        return true;
    }();
    (void)filled;
    return m;
}

void BM_MapUpdate(benchmark::State& state)
{
    LockedMap& m = lockedMap();
    const FOURCHARID key = keys()[1];
    U32 v = 0;
    for (auto _ : state) {
        std::lock_guard<std::mutex> g(m.lock);
        m.map[key] = ++v;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MapUpdate);

void BM_MapFetch(benchmark::State& state)
{
    LockedMap& m = lockedMap();
    const auto& k = keys();
    size_t i = 0;
    for (auto _ : state) {
        U32 v = 0;
        {
            std::lock_guard<std::mutex> g(m.lock);
            auto it = m.map.find(k[i]);
            if (it != m.map.end())
                v = it->second;
        }
        benchmark::DoNotOptimize(v);
        i = (i + 1) % k.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MapFetch);

} // namespace

BENCHMARK_MAIN();
