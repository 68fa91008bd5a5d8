// The sonar simulation (see the header).
//
// The replay reads one index entry after another and plays the record it
// points at. It loops: at the end of the index, or when the record file has
// been read to its end, both files start again from the beginning. One call
// passes over the index at most once, so an index without a playable record
// costs one pass and gives no ping instead of looping for ever.
//
// The synthesiser works in scene positions (one per 20 ms of the scene
// clock, 0.04 m of travel each). Beam 255 takes beam 1's tables and its slot
// for the previous position.
#include "sonar/dsp/s_synthsim.h"

#include "kernel/error.h"
#include "kernel/l_clock.h"
#include "kernel/linux_fs.h"
#include "kernel/lm_log.h"
#include "sonar/dsp/neighbour_standins.h"
#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_tvg.h"
#include "store/h_database.h"

#include <cmath>
#include <iterator>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* SOURCE = "./Working/SOURCE/s_synthsim";
constexpr U32 INVALID_BEAM_LINE = 1018;
constexpr U32 FILE_BUFFER_BYTES = 16384;
constexpr U32 BEAM_SLOTS = 4;
constexpr U32 MAX_FISH_IN_LIST = FISH_TARGETS_PER_LIST;

// ---- Scene tables ---------------------------------------------------------

typedef struct tag_SIM_DEPTH {
    U32 u32PingCount;
    float fDepthMetres;
    U8 u8Hardness;
    float fLeftOffset;
    float fRightOffset;
} SIM_DEPTH;

const SIM_DEPTH DepthData[] = {
    {0, 4.8f, 64, 0, 0},      {1100, 8.5f, 64, 1, -1},  {1400, 8.5f, 64, -1, 1}, {2300, 5.5f, 64, 0, 0},
    {2800, 3.0f, 64, 2, 2},   {2950, 3.2f, 64, 1, -1},  {3150, 3.5f, 180, 1, -1}, {3400, 3.5f, 180, 2, 2},
    {4000, 4.0f, 64, 0, 0},   {4350, 4.8f, 64, 1, -1},  {4600, 6.8f, 64, 0, 0},  {4850, 7.7f, 48, 1, -1},
    {5000, 8.5f, 32, 0, 0},   {5200, 8.3f, 32, 0, 0},   {5600, 8.7f, 32, 1, -1}, {5700, 8.6f, 32, 1, -1},
    {6000, 8.9f, 64, 0, 0},   {6350, 8.5f, 48, 0, 0},   {6500, 7.0f, 64, 1, -1}, {7200, 4.8f, 64, 0, 0},
};
constexpr U32 DEPTH_ROWS = std::size(DepthData);

const S32 s32BottomReturnLevel[BEAM_SLOTS] = {120, 160, 160, 160};

const SIM_FISH FishData200kHz[] = {
    {420, 3.5f, 0},  {580, 3.8f, 1},  {620, 5.8f, 2},  {750, 4.5f, 2},  {870, 4.3f, 1},  {890, 6.0f, 1},
    {1000, 7.5f, 1}, {1200, 6.5f, 2}, {1280, 6.3f, 2}, {1380, 2.0f, 1}, {1580, 3.0f, 0}, {1680, 3.2f, 0},
    {1690, 2.5f, 1}, {1880, 2.9f, 0}, {2000, 4.5f, 0}, {2150, 4.0f, 2}, {2300, 5.0f, 0}, {2560, 2.8f, 2},
    {2730, 2.3f, 1}, {2810, 2.0f, 1}, {2900, 1.5f, 0}, {3130, 2.5f, 1}, {3500, 2.9f, 1}, {3610, 2.7f, 1},
    {3680, 2.2f, 1}, {4100, 1.8f, 1}, {4210, 2.5f, 1}, {4340, 2.6f, 0}, {4820, 5.2f, 2}, {4950, 5.8f, 2},
    {5400, 5.2f, 1}, {5700, 4.6f, 2}, {6000, 7.0f, 1}, {6550, 5.2f, 1}, {6690, 4.5f, 0}, {6850, 4.4f, 0},
};
const SIM_FISH FishData83kHz[] = {
    {1750, 2.0f, 0}, {1900, 3.5f, 1}, {3530, 3.3f, 1}, {4440, 4.5f, 0},
    {5000, 8.0f, 1}, {5100, 6.5f, 1}, {5400, 7.5f, 2}, {6100, 7.8f, 1},
};
const SIM_FISH FishData455kHzL[] = {
    {500, 2.0f, 1}, {520, 2.2f, 1}, {1800, 5.0f, 1}, {1900, 5.5f, 2}, {3000, 2.5f, 1}, {4900, 3.5f, 0}, {5000, 4.0f, 0},
};
const SIM_FISH FishData455kHzR[] = {
    {600, 4.0f, 0}, {700, 5.0f, 1}, {2000, 4.5f, 1}, {2100, 5.5f, 2}, {3250, 2.5f, 1}, {5200, 6.5f, 0}, {5300, 6.0f, 0},
};

typedef struct tag_SIM_BAIT_BALL {
    U32 u32PingCount;
    float fDepth;
    float fThickness;
} SIM_BAIT_BALL;

const SIM_BAIT_BALL BaitBall[] = {{900, 3.0f, 0.5f}, {5200, 2.5f, 0.75f}};

typedef struct tag_SIM_THERMOCLINE {
    U32 u32StartPingCount;
    U32 u32EndPingCount;
    float fDepth;
    float fThickness;
} SIM_THERMOCLINE;

const SIM_THERMOCLINE Thermocline = {4500, 7000, 6.2f, 0.5f};
constexpr U32 THERMOCLINE_START_LEVEL = 60;

typedef struct tag_SIM_WEED {
    U32 u32PingCount;
    U32 u32Width; // half width in scene positions
    float fDepthToTop;
} SIM_WEED;

const SIM_WEED Weed_200kHz[] = {{1200, 130, 7.8f}, {2850, 130, 2.8f}, {5900, 100, 8.3f}};
const SIM_WEED Weed_83kHz[] = {{1200, 180, 7.8f}, {2850, 180, 2.8f}, {5900, 150, 8.3f}};
const SIM_WEED Weed_455kHz_L[] = {{600, 100, 7.0f}};
const SIM_WEED Weed_455kHz_R[] = {{800, 150, 8.0f}};

const U32 u32FishArchWidth[BEAM_SLOTS] = {15, 10, 5, 5};
const U32 u32BaitBallWidth[BEAM_SLOTS] = {75, 50, 25, 25};

constexpr float METRES_PER_POSITION = 0.04f;
constexpr U32 CLUTTER_LEVEL = 140;
constexpr float CLUTTER_DEPTH = 1.0f;

// ---- State ------------------------------------------------------------------

TICKS s_TimeStamp;
U32 s_u32PingCounter;
U32 s_u32PrevPingCounter[BEAM_SLOTS];

BUFFERED_IO_CONTROL* s_pRecordFile;
BUFFERED_IO_CONTROL* s_pIndexFile;
U8 s_au8RecordBuffer[FILE_BUFFER_BYTES];
U8 s_au8IndexBuffer[FILE_BUFFER_BYTES];

// ---- Helpers ----------------------------------------------------------------

U32 u32Be(const U8* p)
{
    return (U32)p[0] << 24 | (U32)p[1] << 16 | (U32)p[2] << 8 | p[3];
}

void vPutBe(U32 v, U8* p)
{
    p[0] = (U8)(v >> 24);
    p[1] = (U8)(v >> 16);
    p[2] = (U8)(v >> 8);
    p[3] = (U8)v;
}

// The slot of a beam's tables; any beam but 0-3 and 255 ends the unit.
U32 u32Slot(BEAM Beam)
{
    if (Beam < BEAM_SLOTS)
        return Beam;
    if (Beam == PING_NO_BEAM)
        return 1;
    ERROR_error(SOURCE, INVALID_BEAM_LINE, "Invalid beam");
    U_RESET_vReset(0, 0);
}

U32 u32Speed(void)
{
    return S_COPROC_u32SpeedOfSound(1463);
}

// Depth in metres as a sample index: (trunc(d x 2,000,000 / c) + T / 2) / T.
U32 u32Samples(float fMetres, U32 T)
{
    const float x = fMetres * 2000000.0f / (float)u32Speed();
    const U32 whole = x <= 0 ? 0 : x >= 4294967040.0f ? 0xFFFFFF00u : (U32)x;
    return (U32)(((U64)whole + T / 2) / T);
}

// A ping without a sample period is sampled as every sequence of the unit.
U32 u32Period(const PING_DESCRIPTOR* pPing)
{
    return pPing->u32SamplePeriodMicroSeconds ? pPing->u32SamplePeriodMicroSeconds : PING_SAMPLE_PERIOD_US;
}

U32 u32AtMost(U32 v, U32 limit)
{
    return v < limit ? v : limit;
}

void vRaise(U8* s, U32 i, S32 v)
{
    if (v < 0)
        return;
    if (v > 255)
        v = 255;
    if (s[i] < v)
        s[i] = (U8)v;
}

void vCopyPosition(PING_DESCRIPTOR* pPing)
{
    S32 lat = 0;
    S32 lon = 0;
    BOOLEAN bLat = FALSE;
    BOOLEAN bLon = FALSE;
    if (!H_DATABASE_bFetchS32(FCID("ILAT"), &lat, &bLat, nullptr))
        bLat = FALSE;
    if (!H_DATABASE_bFetchS32(FCID("ILON"), &lon, &bLon, nullptr))
        bLon = FALSE;
    pPing->Location.s32LatitudeMM = lat;
    pPing->Location.s32LongitudeMM = lon;
    pPing->Location.bPositionValid = bLat && bLon;
}

// ---- Scene clock ------------------------------------------------------------

void vAdvancePingCounter(void)
{
    const TICKS now = (TICKS)L_CLOCK_qwGetTimeInTicks();
    const TICKS elapsed = now - s_TimeStamp;
    if (elapsed <= 1)
        return;
    U32 n = s_u32PingCounter + (U32)((U64)(elapsed / 2) * 100 / 1000);
    if (n > S_SYNTHSIM_SCENE_LENGTH)
        n = (n - 1) % S_SYNTHSIM_SCENE_LENGTH + 1;
    s_u32PingCounter = n;
    s_TimeStamp = now;
}

// ---- Scene parts --------------------------------------------------------------

void vGenerateBottom(PING_DESCRIPTOR* pPing, U32 slot, float fDepth, U8 h, float fSlope, U32 S)
{
    U8* s = pPing->pu8RawSonarData;
    const U32 count = pPing->u32NumberOfSamples;
    const U32 T = u32Period(pPing);
    U32 returns = 3;
    float k = 0.0000109375f;
    if (slot == 0) {
        k = 0.0000078125f;
    } else if (slot >= 2) {
        returns = 2;
        k = 0.0000125f;
    }
    const float w = fDepth > 0 && 10.0f / fDepth > 1.0f ? 10.0f / fDepth : 1.0f;
    const float r = 1.0f - (float)T * k * (float)h * w;
    const U32 L = (U32)(7.0f * (1.0f + fabsf(fSlope) * 0.6666667f));
    const S32 TL = (S32)(((5100 - 20 * (U32)h) & ~0xFFu) + 4608);
    for (U32 m = 1; m <= returns; ++m) {
        S32 peak = s32BottomReturnLevel[slot] - (S32)(m - 1) * TL / 92;
        const U8 P = peak < 0 ? 0 : (U8)peak;
        const U64 start = (U64)m * S;
        if (start >= count)
            continue;
        float D = 1.0f;
        for (U32 j = 0; start + j < count; ++j) {
            const U32 i = (U32)start + j;
            if (j < L) {
                vRaise(s, i, (S32)((U32)P * (j + 1) / L));
                continue;
            }
            S32 noise = rand() % 10;
            if (rand() & 1)
                noise = -noise;
            vRaise(s, i, (S32)((float)noise + D * (float)P));
            D *= r;
            if (D < 0.001953125f)
                break;
        }
    }
}

void vGenerateBaitBall(PING_DESCRIPTOR* pPing, U32 slot, U32 n)
{
    U8* s = pPing->pu8RawSonarData;
    const U32 count = pPing->u32NumberOfSamples;
    const U32 T = u32Period(pPing);
    for (const SIM_BAIT_BALL& ball : BaitBall) {
        const float reach = ball.fDepth * ball.fThickness * (float)u32BaitBallWidth[slot] + 0.5f;
        const S64 R = reach >= 100.0f ? 100 : (S64)reach;
        const S64 off = n > ball.u32PingCount ? n - ball.u32PingCount : ball.u32PingCount - n;
        if (off > R || R == 0)
            continue;
        const S64 centre = u32AtMost(u32Samples(ball.fDepth, T), count);
        const S64 H = u32Samples(ball.fThickness, T);
        if (H == 0)
            continue;
        const S64 first = centre - H > 0 ? centre - H : 0;
        const S64 end = centre + H - 1 < (S64)count - 1 ? centre + H - 1 : (S64)count - 1;
        for (S64 i = first; i < end; i += 2) {
            const S64 away = i > centre ? i - centre : centre - i;
            const S64 threshold = (H - away) * 256 * (R - off) / (R * H);
            S32 value = 0;
            if (rand() % 512 < threshold)
                value = 40 + rand() % 60;
            if (s[i] == 0)
                s[i] = (U8)value;
            if (s[i + 1] == 0)
                s[i + 1] = (U8)value;
        }
    }
}

void vGenerateThermocline(PING_DESCRIPTOR* pPing, float fDepth, U32 n)
{
    if (n < Thermocline.u32StartPingCount || n > Thermocline.u32EndPingCount)
        return;
    U8* s = pPing->pu8RawSonarData;
    const U32 count = pPing->u32NumberOfSamples;
    const U32 T = u32Period(pPing);
    const float top = Thermocline.fDepth < fDepth ? Thermocline.fDepth : fDepth;
    const float bottomOfBand = Thermocline.fDepth + Thermocline.fThickness;
    const float bottom = bottomOfBand < fDepth ? bottomOfBand : fDepth;
    const U32 from = u32AtMost(u32Samples(top, T), count);
    const U32 to = u32AtMost(u32Samples(bottom, T), count);
    U32 level = THERMOCLINE_START_LEVEL;
    // The level falls at every sample it marks; once it is 0 the band has
    // nothing left to add.
    for (U32 i = from; i < to && level; ++i) {
        if (rand() & 1)
            continue;
        vRaise(s, i, rand() % (S32)level);
        level = level * 240 / 255;
    }
}

void vGenerateWeed(PING_DESCRIPTOR* pPing, U32 slot, float fDepth, U32 n)
{
    static const SIM_WEED* const tables[BEAM_SLOTS] = {Weed_83kHz, Weed_200kHz, Weed_455kHz_L, Weed_455kHz_R};
    static const U32 rows[BEAM_SLOTS] = {std::size(Weed_83kHz), std::size(Weed_200kHz), std::size(Weed_455kHz_L),
                                         std::size(Weed_455kHz_R)};
    U8* s = pPing->pu8RawSonarData;
    const U32 count = pPing->u32NumberOfSamples;
    const U32 T = u32Period(pPing);
    for (U32 i = 0; i < rows[slot]; ++i) {
        const SIM_WEED& weed = tables[slot][i];
        const U32 off = n > weed.u32PingCount ? n - weed.u32PingCount : weed.u32PingCount - n;
        if (off > weed.u32Width)
            continue;
        const float top = weed.fDepthToTop < fDepth ? weed.fDepthToTop : fDepth;
        float height = fDepth - top;
        const U32 fromEdge = weed.u32Width - off;
        if (fromEdge <= 99)
            height *= (float)fromEdge * 0.01f;
        const U32 from = u32AtMost(u32Samples(fDepth - height, T), count);
        const U32 to = u32AtMost(u32Samples(fDepth, T), count);
        for (U32 k = from; k < to; ++k)
            if ((rand() & 1) == 0)
                vRaise(s, k, rand() % 130);
        return;
    }
}

void vGenerateSurfaceClutter(PING_DESCRIPTOR* pPing)
{
    U8* s = pPing->pu8RawSonarData;
    const U32 count = pPing->u32NumberOfSamples;
    const U32 length = u32AtMost(u32Samples(CLUTTER_DEPTH, u32Period(pPing)) + rand() % 16, count);
    for (U32 i = 0; i < length; ++i)
        vRaise(s, i, (S32)((U32)(rand() % CLUTTER_LEVEL) * (length - i) / length));
}

// ---- Demo recording -----------------------------------------------------------

void vCloseDemoFiles(void)
{
    U_MMC_nBufferedClose(s_pRecordFile);
    U_MMC_nBufferedClose(s_pIndexFile);
    s_pRecordFile = nullptr;
    s_pIndexFile = nullptr;
}

BOOLEAN bOpenDemoFiles(void)
{
    if (s_pRecordFile)
        return TRUE;
    s_pRecordFile = U_MMC_psBufferedOpen(S_SYNTHSIM_RECORD_FILE, "rb", s_au8RecordBuffer, sizeof s_au8RecordBuffer);
    if (!s_pRecordFile)
        return FALSE;
    s_pIndexFile = U_MMC_psBufferedOpen(S_SYNTHSIM_INDEX_FILE, "rb", s_au8IndexBuffer, sizeof s_au8IndexBuffer);
    if (!s_pIndexFile) {
        // Both are tried again at the next call.
        vCloseDemoFiles();
        return FALSE;
    }
    return TRUE;
}

BOOLEAN bRecordFileAtEnd(void)
{
    const long position = U_MMC_nBufferedTell(s_pRecordFile);
    const U32 size = FS_GetFileSize(s_pRecordFile->pFile);
    return position < 0 || size == 0xFFFFFFFFu || (U32)position >= size;
}

// Reads the record at u32Offset into the descriptor; FALSE, leaving the
// descriptor's fields alone, when it cannot be read whole or is out of range.
BOOLEAN bReadRecord(U32 u32Offset, PING_DESCRIPTOR* pPing)
{
    if (u32Offset > 0x7FFFFFFFu || U_MMC_nBufferedSeek(s_pRecordFile, (long)u32Offset, SEEK_SET) != 0)
        return FALSE;
    clearerr(s_pRecordFile->pFile);
    U8 head[S_SYNTHSIM_RECORD_HEADER_BYTES];
    if (U_MMC_nBufferedRead(head, sizeof head, s_pRecordFile) != (int)sizeof head)
        return FALSE;
    SYNTHSIM_RECORD record;
    S_SYNTHSIM_vDecodeRecordHeader(head, &record);
    if (!S_SYNTHSIM_bRecordIsPlayable(&record))
        return FALSE;
    if (U_MMC_nBufferedRead(pPing->pu8RawSonarData, record.u32NumberOfSamples, s_pRecordFile) !=
            (int)record.u32NumberOfSamples ||
        ferror(s_pRecordFile->pFile))
        return FALSE;
    pPing->Beam = record.Beam;
    pPing->u32TransmitFrequencyHertz = record.u32TransmitFrequencyHertz;
    pPing->u8TransmitCycles = record.u8TransmitCycles;
    pPing->u8TransmitPower = record.u8TransmitPower;
    pPing->u32NumberOfSamples = record.u32NumberOfSamples;
    pPing->u32SamplePeriodMicroSeconds = record.u32SamplePeriodMicroSeconds;
    return TRUE;
}

void vReplayNext(PING_DESCRIPTOR* pPing)
{
    const long start = U_MMC_nBufferedTell(s_pIndexFile);
    BOOLEAN bWrapped = FALSE;
    U32 skipped = 0;
    for (;;) {
        const long at = U_MMC_nBufferedTell(s_pIndexFile);
        if (start < 0 || at < 0 || (bWrapped && at >= start))
            break;
        U8 entry[S_SYNTHSIM_INDEX_ENTRY_BYTES];
        const int got = U_MMC_nBufferedRead(entry, sizeof entry, s_pIndexFile);
        if (got < (int)sizeof entry || bRecordFileAtEnd()) {
            if (bWrapped)
                break;
            bWrapped = TRUE;
            if (U_MMC_nBufferedSeek(s_pIndexFile, 0, SEEK_SET) != 0 ||
                U_MMC_nBufferedSeek(s_pRecordFile, 0, SEEK_SET) != 0)
                break;
            continue;
        }
        if (!bReadRecord(u32Be(entry), pPing)) {
            ++skipped;
            continue;
        }
        if (skipped)
            log_me("SYNTHSIM: skipped %u unreadable demo records", (unsigned)skipped);
        vCopyPosition(pPing);
        pPing->bSimulated = FALSE;
        return;
    }
    log_me("SYNTHSIM: no playable record in the demo recording (%u skipped)", (unsigned)skipped);
}

} // namespace

void S_SYNTHSIM_vEncodeRecordHeader(const SYNTHSIM_RECORD* pRecord, U8* pau8Out)
{
    pau8Out[0] = pRecord->Beam;
    vPutBe(pRecord->u32TransmitFrequencyHertz, pau8Out + 1);
    vPutBe((U32)pRecord->s32LongitudeMM, pau8Out + 5);
    vPutBe((U32)pRecord->s32LatitudeMM, pau8Out + 9);
    pau8Out[13] = pRecord->u8TransmitCycles;
    pau8Out[14] = pRecord->u8TransmitPower;
    vPutBe(pRecord->u32NumberOfSamples, pau8Out + 15);
    vPutBe(pRecord->u32SamplePeriodMicroSeconds, pau8Out + 19);
}

void S_SYNTHSIM_vDecodeRecordHeader(const U8* pau8In, SYNTHSIM_RECORD* pRecord)
{
    pRecord->Beam = pau8In[0];
    pRecord->u32TransmitFrequencyHertz = u32Be(pau8In + 1);
    pRecord->s32LongitudeMM = (S32)u32Be(pau8In + 5);
    pRecord->s32LatitudeMM = (S32)u32Be(pau8In + 9);
    pRecord->u8TransmitCycles = pau8In[13];
    pRecord->u8TransmitPower = pau8In[14];
    pRecord->u32NumberOfSamples = u32Be(pau8In + 15);
    pRecord->u32SamplePeriodMicroSeconds = u32Be(pau8In + 19);
}

BOOLEAN S_SYNTHSIM_bRecordIsPlayable(const SYNTHSIM_RECORD* pRecord)
{
    return pRecord->Beam < BEAM_SLOTS && pRecord->u32NumberOfSamples <= PING_MAX_SAMPLES;
}

void S_SYNTHSIM_vEncodeIndexEntry(U32 u32Offset, U8* pau8Out)
{
    vPutBe(u32Offset, pau8Out);
}

float S_SYNTHSIM_fSynthesizeReturn(PING_DESCRIPTOR* pPing)
{
    if (!pPing) {
        vAdvancePingCounter();
        return fGetCurrentDepthAndHardness(1, s_u32PingCounter, nullptr, nullptr);
    }
    if (!pPing->pu8RawSonarData || !bOpenDemoFiles())
        return 0;
    vReplayNext(pPing);
    return 0;
}

float fGetCurrentDepthAndHardness(BEAM Beam, U32 u32CurrentPingCount, U8* pu8Hardness, float* pfSlope)
{
    U32 i = 0;
    while (i + 2 < DEPTH_ROWS && u32CurrentPingCount > DepthData[i + 1].u32PingCount)
        ++i;
    const SIM_DEPTH& a = DepthData[i];
    const SIM_DEPTH& b = DepthData[i + 1];
    float start = a.fDepthMetres;
    float end = b.fDepthMetres;
    if (Beam == 2) {
        start += a.fLeftOffset;
        end += b.fLeftOffset;
    } else if (Beam == 3) {
        start += a.fRightOffset;
        end += b.fRightOffset;
    }
    const float t = ((float)u32CurrentPingCount - (float)a.u32PingCount) /
                    ((float)b.u32PingCount - (float)a.u32PingCount);
    const float angle = t * 3.14159f;
    const float curve = (1.0f - cosf(angle)) / 2.0f;
    if (pfSlope)
        *pfSlope = sinf(angle) * (start - end);
    if (pu8Hardness)
        *pu8Hardness = (U8)((float)a.u8Hardness + curve * ((float)b.u8Hardness - (float)a.u8Hardness));
    return start + curve * (end - start);
}

void vSearchAndAddFish(PING_DESCRIPTOR* pPing, U32 u32PrevPingCount, U32 u32CurrentPingCount,
                       const SIM_FISH* pFishTable, U32 u32TableLength)
{
    const U32 slot = u32Slot(pPing->Beam);
    U8* s = pPing->pu8RawSonarData;
    const U32 count = pPing->u32NumberOfSamples;
    const U32 T = u32Period(pPing);
    const U32 n = u32CurrentPingCount;
    for (U32 f = 0; f < u32TableLength; ++f) {
        const SIM_FISH& fish = pFishTable[f];
        const float reach = (float)u32FishArchWidth[slot] * fish.fDepth + 0.5f;
        const S32 R = reach <= 0 ? 0 : (S32)reach;
        const S32 off = (S32)(n > fish.u32PingCount ? n - fish.u32PingCount : fish.u32PingCount - n);
        if (off > R || R == 0)
            continue;
        const S32 level = (R / 2 + (R - off) * 120) / R;
        const float across = (float)off * METRES_PER_POSITION;
        const float slant = sqrtf(fish.fDepth * fish.fDepth + across * across);
        const U32 atSlant = u32Samples(slant, T);
        const U32 upper = u32AtMost(atSlant, count);
        const float length = (float)(fish.u8Size + 3) * 116666.67f / (float)u32Speed();
        const U32 lower = u32AtMost(upper + (U32)(((U64)(length <= 0 ? 0 : (U32)length) + T / 2) / T), count);
        for (U32 i = upper; i < lower; ++i) {
            if (s[i])
                continue;
            S32 v;
            if (i + 5 > lower)
                v = (S32)(lower - i) * level / 5;
            else if (i < upper + 5)
                v = (S32)(i - upper) * level / 5;
            else
                v = level;
            s[i] = v > 254 ? 255 : (U8)v;
        }
        FISH_TARGET_LIST& list = pPing->SimulatedFishList;
        if (fish.u32PingCount > u32PrevPingCount && fish.u32PingCount <= n &&
            list.u8NumberOfTargets < MAX_FISH_IN_LIST) {
            FISH_TARGET& target = list.target[list.u8NumberOfTargets++];
            memset(&target, 0, sizeof target);
            target.u32DepthInSamples = atSlant;
            target.u8Size = fish.u8Size;
            target.u8Peak = 120;
            target.beam = pPing->Beam;
            target.bIgnoreThisFish = FALSE;
            target.bIdPlusThisFish = pPing->Beam < 2;
            target.pPreviousInstance = nullptr;
        }
    }
}

float S_SYNTHSIM_fSynthesizeAt(PING_DESCRIPTOR* pPing, U32 u32ScenePosition)
{
    const U32 n = u32ScenePosition;
    if (!pPing || !pPing->pu8RawSonarData)
        return fGetCurrentDepthAndHardness(1, n, nullptr, nullptr);
    const U32 slot = u32Slot(pPing->Beam);
    if (pPing->u32SamplePeriodMicroSeconds == 0)
        pPing->u32SamplePeriodMicroSeconds = PING_SAMPLE_PERIOD_US;
    const U32 T = u32Period(pPing);

    pPing->u32NumberOfSamples = S_SYNTHSIM_SAMPLES;
    memset(pPing->pu8RawSonarData, 0, S_SYNTHSIM_SAMPLES);
    pPing->SimulatedFishList.bSimulatedFishList = TRUE;
    pPing->SimulatedFishList.u8NumberOfTargets = 0;
    U8 hardness = 0;
    float slope = 0;
    const float depth = fGetCurrentDepthAndHardness(pPing->Beam, n, &hardness, &slope);
    pPing->fDepthMetres = depth;
    const U32 S = u32Samples(depth, T);

    vGenerateBottom(pPing, slot, depth, hardness, slope, S);
    const U32 prev = s_u32PrevPingCounter[slot];
    switch (slot) {
    case 0:
        vSearchAndAddFish(pPing, prev, n, FishData200kHz, std::size(FishData200kHz));
        vSearchAndAddFish(pPing, prev, n, FishData83kHz, std::size(FishData83kHz));
        break;
    case 1:
        vSearchAndAddFish(pPing, prev, n, FishData200kHz, std::size(FishData200kHz));
        break;
    case 2:
        vSearchAndAddFish(pPing, prev, n, FishData455kHzL, std::size(FishData455kHzL));
        break;
    default:
        vSearchAndAddFish(pPing, prev, n, FishData455kHzR, std::size(FishData455kHzR));
        break;
    }
    vGenerateBaitBall(pPing, slot, n);
    vGenerateThermocline(pPing, depth, n);
    vGenerateWeed(pPing, slot, depth, n);
    vGenerateSurfaceClutter(pPing);
    S_TVG_ReverseTvgSonar(pPing, pPing->pu8RawSonarData, pPing->pu8RawSonarData);

    s_u32PrevPingCounter[slot] = n;
    vCopyPosition(pPing);
    pPing->bSimulated = TRUE;
    return pPing->fDepthMetres;
}

float fSynthesizeReturn(PING_DESCRIPTOR* pPing)
{
    if (pPing)
        u32Slot(pPing->Beam);
    vAdvancePingCounter();
    if (!pPing || !pPing->pu8RawSonarData)
        return fGetCurrentDepthAndHardness(1, s_u32PingCounter, nullptr, nullptr);
    return S_SYNTHSIM_fSynthesizeAt(pPing, s_u32PingCounter);
}

void S_SYNTHSIM_vResetForTests(void)
{
    vCloseDemoFiles();
    s_TimeStamp = 0;
    s_u32PingCounter = 0;
    memset(s_u32PrevPingCounter, 0, sizeof s_u32PrevPingCounter);
}

void S_SYNTHSIM_vSetSceneForTests(U32 u32ScenePosition, TICKS tTimeStamp)
{
    s_u32PingCounter = u32ScenePosition;
    s_TimeStamp = tTimeStamp;
}

void S_SYNTHSIM_vGetSceneForTests(U32* pu32ScenePosition, TICKS* ptTimeStamp)
{
    *pu32ScenePosition = s_u32PingCounter;
    *ptTimeStamp = s_TimeStamp;
}
