// The processing task's world in a test process: the unit root, the data
// store, the descriptor pool (queue 9), the task's keys registered and
// their mails handled, and a recorder put around the signal functions a
// ping passes through. The tests play the processing task: they hand it
// mails and pings in the test thread; each test runs in a process of its
// own.
#pragma once

#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_queue.h"
#include "sonar/dsp/s_coproc.h"
#include "sonar/ping/t_n_ping.h"
#include "sonar/ping/t_n_ping_state.h"
#include "sonar/process/t_n_process.h"
#include "sonar/process/t_n_process_state.h"
#include "sonar/tests/sonar_root.h"
#include "store/h_database.h"
#include "util/u_convert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace process_test {

using namespace t_n_process;

// ---- The recorder ----

struct Call {
    std::string name;
    std::vector<long> args;
};

inline std::vector<Call>& calls()
{
    static std::vector<Call> log;
    return log;
}

inline std::vector<std::string> names()
{
    std::vector<std::string> out;
    for (const Call& c : calls())
        out.push_back(c.name);
    return out;
}

inline const Call* find(const std::string& name, int nth = 0)
{
    for (const Call& c : calls())
        if (c.name == name && nth-- == 0)
            return &c;
    return nullptr;
}

// The current transducer of sources 0 and 1 as the tests set them.
inline U8 g_au8Transducer[2] = {0, 0};
// The bottom the depth finder reports (us); 0 = the real finder.
inline U32 g_u32BottomUs = 0;
// Pointers that name the buffers in the log: the ping's raw and TVG buffers.
inline const U8* g_pRaw = nullptr;
inline const U8* g_pTvg = nullptr;

inline long which(const U8* p)
{
    if (p == g_pRaw)
        return 1; // the ping's raw samples
    if (p == g_pTvg)
        return 2; // the ping's TVG buffer
    return 0;     // a working buffer of the task
}

inline void recTvg(const PING_DESCRIPTOR* p, const U8* in, U8* out, U8 clutter, BOOLEAN suppress, WATER_TYPE w,
                   U32 scale)
{
    calls().push_back({"tvg", {which(in), which(out), clutter, suppress, w, (long)scale}});
    REAL_CALLS.pfnTvg(p, in, out, clutter, suppress, w, scale);
}
inline void rec2of2(U32 n, const U8* in, U8* prev, U8* out)
{
    calls().push_back({"2of2", {(long)n, which(in)}});
    REAL_CALLS.pfn2of2(n, in, prev, out);
}
inline void recExp(U32 n, BEAM b, const U8* in, U8* out, U8 factor)
{
    calls().push_back({"expavg", {(long)n, b, factor}});
    REAL_CALLS.pfnExpAverage(n, b, in, out, factor);
}
inline void recNoise(U32 n, const U8* noise, const U8* in, U8* out, U8 level)
{
    calls().push_back({"noise", {(long)n, which(noise), level}});
    REAL_CALLS.pfnNoiseRemoval(n, noise, in, out, level);
}
inline U32 recDepth(const PING_DESCRIPTOR* p, U32 start, U32 stop)
{
    calls().push_back({"depth", {(long)start, (long)stop}});
    return g_u32BottomUs != 0 ? g_u32BottomUs : REAL_CALLS.pfnFindDepth(p, start, stop);
}
inline void recFish(FISH_TARGET_LIST* l, PING_DESCRIPTOR* p, WATER_TYPE w, U8 s)
{
    calls().push_back({"fish", {w, s}});
    REAL_CALLS.pfnScanForFish(l, p, w, s);
}
inline void recMerge(FISH_TARGET_LIST* a, const FISH_TARGET_LIST* b)
{
    calls().push_back({"merge", {b->u8NumberOfTargets}});
    REAL_CALLS.pfnMergeFish(a, b);
}
inline void recSave(PING_DESCRIPTOR* p) { calls().push_back({"save", {p->Beam}}); }
inline void recColumns(U32 n, BEAM b, U8 t) { calls().push_back({"columns", {(long)n, b, t}}); }
inline void recPPI(S32 pos, BEAM b, U32 f, BOOLEAN cw) { calls().push_back({"ppi", {pos, b, (long)f, cw}}); }
inline U8 fakeTransducer(U8 source) { return source < 2 ? g_au8Transducer[source] : 0; }

constexpr PROCESS_CALLS RECORDER = {recTvg,   rec2of2, recExp,     recNoise, recDepth,       recFish,
                                    recMerge, recSave, recColumns, recPPI,   fakeTransducer};

// ---- Keys ----

inline void setU32(const char (&key)[5], U32 value)
{
    H_DATABASE_bUpdateEverythingU32(FCID(key), value, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

inline void setFloat(const char (&key)[5], float value)
{
    H_DATABASE_bUpdateEverythingFloat(FCID(key), value, P_NORMAL, D_DEPTH, nullptr, DB_TIMEOUT_NEVER);
}

inline bool has(const char (&key)[5]) { return H_DATABASE_bFetch(FCID(key), nullptr, nullptr, nullptr) != FALSE; }

inline float f32(const char (&key)[5], float absent = -1.0f)
{
    float value = absent;
    H_DATABASE_bFetchFloat(FCID(key), &value, nullptr, nullptr);
    return value;
}

inline U32 u32(const char (&key)[5], U32 absent = 0xDEADBEEF)
{
    U32 value = absent;
    H_DATABASE_bFetchU32(FCID(key), &value, nullptr, nullptr);
    return value;
}

// Hands every mail waiting in mailbox 9 to the task's handler.
inline void drain()
{
    while (MSGHEADER* p = L_MBOX_Receive(PROCESS_MAILBOX))
        vHandleMail(reinterpret_cast<GENERIC_MESSAGE*>(p));
}

// A key change as the task's mailbox delivers it.
inline void apply(const char (&key)[5], U32 value)
{
    setU32(key, value);
    drain();
}

inline void applyFloat(const char (&key)[5], float value)
{
    setFloat(key, value);
    drain();
}

inline void mail(CMD_ID cmd, U32 payload)
{
    auto* p = static_cast<MSG_NEW_PLAYBACK_STATE*>(H_MEMORY_pvMalloc(sizeof(MSG_NEW_PLAYBACK_STATE)));
    memset(p, 0, sizeof *p);
    p->Header.Cmd = cmd;
    p->u32NewPlaybackState = payload;
    if (cmd == CMD_ID_BLANK_SCROLL_PING)
        reinterpret_cast<MSG_BLANK_SCROLL_PING*>(p)->Beam = (BEAM)payload;
    ASSERT_EQ(L_MBOX_Send(PROCESS_MAILBOX, &p->Header.msghdr, 3, 0), 0);
    drain();
}

// ---- The world ----

inline void world()
{
    static const bool ready = [] {
        sonar_test::unitRoot();
        H_DATABASE_vInit();
        U_CONVERT_vInitialiseConversionUtility();
        t_n_ping::vInitialisePingDescriptorQueue();
        g_u32SpeedOfSoundInWater = 1463;
        setU32("CCST", 3);
        g_Calls = RECORDER;
        vStart();
        drain();
        s_u32SupportedBeams = 0xFFFFFFFF;
        return true;
    }();
    (void)ready;
    calls().clear();
}

// ---- Pings ----

constexpr U32 PERIOD_US = 26;

// A descriptor from the pool, filled as a live ping of the beam: count
// samples of noise at 20 with a bottom echo at 255 from sample count / 2.
inline PING_DESCRIPTOR* ping(BEAM beam, U32 count = 4000, U32 frequency = 200000)
{
    PING_DESCRIPTOR* p = nullptr;
    EXPECT_EQ(L_QUEUE_Get(Q_PING, &p), 0);
    U8* raw = p->pu8RawSonarData;
    U8* tvg = p->pu8TvgdData;
    *p = PING_DESCRIPTOR{};
    p->pu8RawSonarData = raw;
    p->pu8TvgdData = tvg;
    g_pRaw = raw;
    g_pTvg = tvg;
    p->Beam = beam;
    p->u8TransmitCycles = 5;
    p->u32NumberOfSamples = count;
    p->u32SamplePeriodMicroSeconds = PERIOD_US;
    p->u32TransmitFrequencyHertz = frequency;
    p->u8NoiseLevel = 10;
    p->u8PeakNoiseLevel = 40;
    p->bIsLocal = TRUE;
    p->u32TimeStampMilliSeconds = 1000;
    const U32 n = count < PING_MAX_SAMPLES ? count : PING_MAX_SAMPLES;
    memset(raw, 20, n);
    if (n > 0)
        memset(raw + n / 2, 255, n / 2 > 40 ? 40 : n / 2);
    return p;
}

// Descriptors in the pool.
inline U32 pooled() { return (U32)L_QUEUE_Inquire(Q_PING); }

} // namespace process_test
