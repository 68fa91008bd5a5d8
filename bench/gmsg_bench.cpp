// Serializer throughput (bytes of wire form per second) beside memcpy of the
// same number of bytes, for a message of many small records and for one
// large buffer. Serializing writes into a caller block as the message layer
// does; deserializing includes allocating and freeing the decoded value.
#include "gmsg/datatype.h"
#include "kernel/h_memory.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>

namespace {

struct Sounding {
    U32 u32Time;
    float fDepth;
    double dLatitude;
    double dLongitude;
    U16 u16Flags;
    U8 u8Quality;
};

const G_DATA_TYPE* const s_SoundingMembers[] = {&DT_DATETIME, &DT_DEPTH,     &DT_DOUBLE,
                                                &DT_DOUBLE,   &DT_UNSIGNED16, &DT_UNSIGNED8, nullptr};
const G_DATA_TYPE DT_SOUNDING = DATATYPE_Standard("DT_SOUNDING", G_DF_STRUCT, sizeof(Sounding), s_SoundingMembers, 1);
const G_DATA_TYPE* const s_SoundingList[] = {&DT_SOUNDING, nullptr};
const G_DATA_TYPE DT_SOUNDINGS =
    DATATYPE_Standard("DT_SOUNDINGS", G_DF_DYNAMIC_ARRAY, sizeof(G_DYNAMIC_ARRAY), s_SoundingList);

constexpr int kRecords = 2048;
constexpr int kBufferBytes = 64 * 1024;

struct Case {
    const G_DATA_TYPE* type;
    void* value;
    std::vector<U8> wire;
};

Case& records()
{
    static std::vector<Sounding> data(kRecords);
    static G_DYNAMIC_ARRAY array;
    static Case c = [] {
        for (int i = 0; i < kRecords; ++i)
            data[i] = {(U32)i, 1.5f * (float)i, 45.0 + i * 1e-6, -90.0 - i * 1e-6, (U16)i, (U8)i};
        array = {kRecords, data.data()};
        return Case{&DT_SOUNDINGS, &array, {}};
    }();
    return c;
}

Case& buffer()
{
    static std::vector<U8> data(kBufferBytes, 0x5A);
    static C_BUFFER b = {kBufferBytes, data.data()};
    static Case c{&DT_BUFFER, &b, {}};
    return c;
}

std::vector<U8>& wireOf(Case& c)
{
    if (c.wire.empty()) {
        c.wire.resize((size_t)c.type->pfLength(c.value, c.type));
        void* pos = c.wire.data();
        int remaining = (int)c.wire.size();
        int size = 0;
        c.type->pfSerialize(c.value, &pos, &remaining, &size, c.type);
    }
    return c.wire;
}

void serialize(benchmark::State& state, Case& c)
{
    std::vector<U8> out(wireOf(c).size());
    for (auto _ : state) {
        void* pos = out.data();
        int remaining = (int)out.size();
        int size = 0;
        benchmark::DoNotOptimize(c.type->pfSerialize(c.value, &pos, &remaining, &size, c.type));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)out.size());
}

void deserialize(benchmark::State& state, Case& c)
{
    std::vector<U8>& wire = wireOf(c);
    for (auto _ : state) {
        void* value = nullptr;
        int remaining = (int)wire.size();
        int size = 0;
        benchmark::DoNotOptimize(c.type->pfDeserialize(&value, wire.data(), &remaining, &size, c.type));
        c.type->pfDeallocate(value, TRUE, c.type);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)wire.size());
}

void copy(benchmark::State& state, Case& c)
{
    std::vector<U8>& wire = wireOf(c);
    std::vector<U8> out(wire.size());
    for (auto _ : state) {
        memcpy(out.data(), wire.data(), wire.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)wire.size());
}

void BM_Records_Serialize(benchmark::State& s) { serialize(s, records()); }
void BM_Records_Deserialize(benchmark::State& s) { deserialize(s, records()); }
void BM_Records_Memcpy(benchmark::State& s) { copy(s, records()); }
void BM_Buffer_Serialize(benchmark::State& s) { serialize(s, buffer()); }
void BM_Buffer_Deserialize(benchmark::State& s) { deserialize(s, buffer()); }
void BM_Buffer_Memcpy(benchmark::State& s) { copy(s, buffer()); }

BENCHMARK(BM_Records_Serialize);
BENCHMARK(BM_Records_Deserialize);
BENCHMARK(BM_Records_Memcpy);
BENCHMARK(BM_Buffer_Serialize);
BENCHMARK(BM_Buffer_Deserialize);
BENCHMARK(BM_Buffer_Memcpy);

} // namespace

BENCHMARK_MAIN();
