// Time-varied gain (see the header).
//
// How the curves are made. Each is given by a few anchor rows, the
// attenuation it must have at chosen times: 0 dB at the surface up to the
// first step, then the values that make the picture even over depth at 2,
// 5, 10, 20, 50 ms and so on, and the time the whole curve spans. Between
// two anchors the curve falls linearly in time. It is cut into a fixed
// number of pairs: every stretch between anchors gets one pair, and the
// rest are shared out by how far the stretch falls (largest remainders
// first, earlier stretches winning ties). Within a stretch of m pairs,
// pair k is centred at tA + k (tB - tA) / m with the attenuation rounded
// from the line there, and neighbouring pairs meet half way between their
// centres; so every anchor time lies in the middle of a pair that holds the
// anchor's value. A stretch with more pairs than steps of attenuation has
// neighbours of equal value; one with fewer skips values. The first pair
// (the near-surface stretch) is given outright.
//
// The curves are built by the compiler; a curve whose anchors fall back or
// whose pairs would be empty does not compile.
#include "sonar/dsp/s_tvg.h"

#include "sonar/dsp/s_vector.h"

#include <cstddef>

namespace {

typedef struct tag_TVG_ANCHOR {
    U32 u32TimeMicroSeconds;
    U8 u8Attenuation;
} TVG_ANCHOR;

// Called only when a curve's anchors are inconsistent: a call to a
// function that is not constexpr stops the compile.
void vBadTvgAnchors(void) {}

template <size_t N, size_t M>
constexpr std::array<ATT_DEPTH_PAIR, N> aMakeCurve(U8 u8First, U32 u32FirstRun, U8 u8Second,
                                                   const TVG_ANCHOR (&anchors)[M])
{
    // Points: (first run end, second value), then the anchors; the last
    // anchor's time is where the curve ends.
    TVG_ANCHOR pts[M + 1] = {};
    pts[0] = {u32FirstRun, u8Second};
    for (size_t j = 0; j < M; ++j)
        pts[j + 1] = anchors[j];

    U32 drops[M] = {};
    U32 total = 0;
    for (size_t j = 0; j < M; ++j) {
        if (pts[j + 1].u8Attenuation > pts[j].u8Attenuation ||
            pts[j + 1].u32TimeMicroSeconds <= pts[j].u32TimeMicroSeconds)
            vBadTvgAnchors();
        drops[j] = (U32)(pts[j].u8Attenuation - pts[j + 1].u8Attenuation);
        total += drops[j];
    }
    if (N < M + 2 || total == 0 || u8Second > u8First)
        vBadTvgAnchors();

    // Pairs per stretch.
    const U32 rest = (U32)(N - 2 - M);
    U32 m[M] = {};
    U32 rem[M] = {};
    bool bonus[M] = {};
    U32 given = 0;
    for (size_t j = 0; j < M; ++j) {
        m[j] = 1 + rest * drops[j] / total;
        rem[j] = rest * drops[j] % total;
        given += m[j] - 1;
    }
    for (U32 left = rest - given; left; --left) {
        size_t best = M;
        for (size_t j = 0; j < M; ++j)
            if (!bonus[j] && (best == M || rem[j] > rem[best]))
                best = j;
        bonus[best] = true;
        ++m[best];
    }

    // Centres and values: N - 1 points after the first pair.
    U32 times[N - 1] = {};
    U8 values[N - 1] = {};
    size_t p = 0;
    times[p] = u32FirstRun;
    values[p++] = u8Second;
    for (size_t j = 0; j < M; ++j) {
        const U32 tA = pts[j].u32TimeMicroSeconds;
        const U32 tB = pts[j + 1].u32TimeMicroSeconds;
        const U32 d = drops[j];
        for (U32 k = 1; k <= m[j]; ++k) {
            times[p] = tA + (U32)((U64)(tB - tA) * k / m[j]);
            values[p++] = (U8)(pts[j].u8Attenuation - (2 * d * k + m[j]) / (2 * m[j]));
        }
    }

    std::array<ATT_DEPTH_PAIR, N> curve = {};
    curve[0] = {u8First, u32FirstRun};
    U32 end = u32FirstRun;
    for (size_t i = 0; i < N - 1; ++i) {
        const U32 next = i + 2 < N ? (times[i] + times[i + 1]) / 2 : pts[M].u32TimeMicroSeconds;
        if (next <= end)
            vBadTvgAnchors();
        curve[i + 1] = {values[i], next - end};
        end = next;
    }
    return curve;
}

constexpr TVG_ANCHOR LOW_ANCHORS[] = {{2000, 186},   {5000, 146},   {10000, 131},  {20000, 117},
                                      {50000, 95},   {100000, 78},  {200000, 61},  {500000, 42},
                                      {1000000, 20}, {1011759, 20}};
constexpr TVG_ANCHOR MID_ANCHORS[] = {{1000, 139},   {2000, 120},   {5000, 99},    {10000, 84},
                                      {20000, 67},   {50000, 48},   {100000, 34},  {200000, 24},
                                      {500000, 16},  {1000000, 12}, {1011759, 12}};
constexpr TVG_ANCHOR ANCHORS_455[] = {{500, 193},  {1000, 143},  {2000, 110}, {5000, 71},
                                      {10000, 49}, {20000, 22},  {50000, 5},  {55114, 5}};
constexpr TVG_ANCHOR ANCHORS_800[] = {{500, 193},  {1000, 143},  {2000, 118}, {5000, 62},
                                      {10000, 33}, {20000, 16},  {50000, 5},  {55114, 5}};

// The widest vector the subtraction loops use.
constexpr U32 VECTOR_BYTES = 64;

// Where a ping's walk along its curve stands.
struct TVG_CURSOR {
    const RLE_TVG_DESCRIPTOR* pCurve;
    U32 u32Pair;
    U32 u32PairsLeft;
    U64 u64RunEnd; // us, where the current pair's run ends
    U32 u32Scale;  // 1024ths, 0 unscaled
    U32 u32Attenuation;
};

U32 u32Scaled(U8 u8Attenuation, U32 u32Scale)
{
    return u32Scale ? (U32)(((U64)u8Attenuation * u32Scale) >> 10) : u8Attenuation;
}

void vStart(TVG_CURSOR& c, const RLE_TVG_DESCRIPTOR* pCurve, U32 u32Scale)
{
    c.pCurve = pCurve;
    c.u32Pair = 0;
    c.u32PairsLeft = pCurve->u32TableLength - 1;
    c.u64RunEnd = pCurve->pAttDepthTable[0].u32RunLengthMicroSeconds;
    c.u32Scale = u32Scale;
    c.u32Attenuation = u32Scaled(pCurve->pAttDepthTable[0].u8Attenuation, u32Scale);
}

void vStep(TVG_CURSOR& c, U64 t)
{
    while (c.u32PairsLeft && t > c.u64RunEnd) {
        ++c.u32Pair;
        --c.u32PairsLeft;
        const ATT_DEPTH_PAIR& pair = c.pCurve->pAttDepthTable[c.u32Pair];
        c.u64RunEnd += pair.u32RunLengthMicroSeconds;
        c.u32Attenuation = u32Scaled(pair.u8Attenuation, c.u32Scale);
    }
}

// The last sample that the current pair covers, at most u32Last:
// floor(run end / period), found through the period's reciprocal and
// corrected by one step, since a division per pair would cost more than
// the short pairs' samples.
U32 u32ChunkEnd(const TVG_CURSOR& c, U32 u32Period, double dInversePeriod, U32 u32Last)
{
    if (!c.u32PairsLeft || u32Period == 0)
        return u32Last;
    U64 k = (U64)((double)c.u64RunEnd * dInversePeriod);
    while (k && k * u32Period > c.u64RunEnd)
        --k;
    while ((k + 1) * u32Period <= c.u64RunEnd)
        ++k;
    return k < u32Last ? (U32)k : u32Last;
}

VECTOR_CLONES void vSubtractApart(const U8* __restrict in, U8* __restrict out, U32 n, U8 a)
{
    for (U32 i = 0; i < n; ++i)
        out[i] = in[i] > a ? (U8)(in[i] - a) : 0;
}

VECTOR_CLONES void vSubtractInPlace(U8* inout, U32 n, U8 a)
{
    for (U32 i = 0; i < n; ++i)
        inout[i] = inout[i] > a ? (U8)(inout[i] - a) : 0;
}

void vAddBack(const U8* in, U8* out, U32 n, U32 a)
{
    for (U32 i = 0; i < n; ++i) {
        const U32 v = in[i] + a;
        out[i] = in[i] == 0 ? 0 : v > 255 ? 255 : (U8)v;
    }
}

} // namespace

constinit const std::array<ATT_DEPTH_PAIR, TVG_LOW_PAIRS> TVG_Curve50kHz =
    aMakeCurve<TVG_LOW_PAIRS>(200, 1551, 198, LOW_ANCHORS);
constinit const std::array<ATT_DEPTH_PAIR, TVG_LOW_PAIRS> TVG_Curve83kHz =
    aMakeCurve<TVG_LOW_PAIRS>(200, 1551, 198, LOW_ANCHORS);
constinit const std::array<ATT_DEPTH_PAIR, TVG_LOW_PAIRS> TVG_Curve200kHz =
    aMakeCurve<TVG_LOW_PAIRS>(200, 595, 198, MID_ANCHORS);
constinit const std::array<ATT_DEPTH_PAIR, TVG_HIGH_PAIRS> TVG_Curve455kHz =
    aMakeCurve<TVG_HIGH_PAIRS>(210, 442, 201, ANCHORS_455);
constinit const std::array<ATT_DEPTH_PAIR, TVG_HIGH_PAIRS> TVG_Curve800kHz =
    aMakeCurve<TVG_HIGH_PAIRS>(210, 442, 201, ANCHORS_800);

const RLE_TVG_DESCRIPTOR DefaultTvg50kHzTable = {TVG_LOW_PAIRS, TVG_Curve50kHz.data()};
const RLE_TVG_DESCRIPTOR DefaultTvg83kHzTable = {TVG_LOW_PAIRS, TVG_Curve83kHz.data()};
const RLE_TVG_DESCRIPTOR DefaultTvg200kHzTable = {TVG_LOW_PAIRS, TVG_Curve200kHz.data()};
const RLE_TVG_DESCRIPTOR DefaultTvg455kHzTable = {TVG_HIGH_PAIRS, TVG_Curve455kHz.data()};
const RLE_TVG_DESCRIPTOR DefaultTvg800kHzTable = {TVG_HIGH_PAIRS, TVG_Curve800kHz.data()};

const RLE_TVG_DESCRIPTOR* pTvg50kHzTable = &DefaultTvg50kHzTable;
const RLE_TVG_DESCRIPTOR* pTvg83kHzTable = &DefaultTvg83kHzTable;
const RLE_TVG_DESCRIPTOR* pTvg200kHzTable = &DefaultTvg200kHzTable;
const RLE_TVG_DESCRIPTOR* pTvg455kHzTable = &DefaultTvg455kHzTable;
const RLE_TVG_DESCRIPTOR* pTvg800kHzTable = &DefaultTvg800kHzTable;

const S16 s16SuppressionSlopes[2][TVG_SUPPRESSION_LEVELS] = {
    {90, 60, 40, 20, 10, 0, -10, -20, -30, -40},
    {130, 110, 100, 90, 80, 60, 40, 20, 10, 0},
};

const RLE_TVG_DESCRIPTOR* S_TVG_pGetCurve(U32 u32TransmitFrequencyHertz)
{
    if (u32TransmitFrequencyHertz < 60000)
        return pTvg50kHzTable;
    if (u32TransmitFrequencyHertz < 100000)
        return pTvg83kHzTable;
    if (u32TransmitFrequencyHertz < 300000)
        return pTvg200kHzTable;
    if (u32TransmitFrequencyHertz < 500000)
        return pTvg455kHzTable;
    return pTvg800kHzTable;
}

void S_TVG_TvgRawSonar(const PING_DESCRIPTOR* pPing, const U8* pu8RawData, U8* pu8TvgdData, U8 u8SuppressionLevel,
                       BOOLEAN bUseSuppression, WATER_TYPE eWaterType, U32 u32TvgScale)
{
    const U32 n = pPing->u32NumberOfSamples;
    const U32 T = pPing->u32SamplePeriodMicroSeconds;
    const RLE_TVG_DESCRIPTOR* pCurve = S_TVG_pGetCurve(pPing->u32TransmitFrequencyHertz);
    if (n == 0 || !pCurve || pCurve->u32TableLength == 0)
        return;
    TVG_CURSOR c;
    vStart(c, pCurve, u32TvgScale);
    if (pPing->Beam == PING_NO_BEAM)
        c.u32Attenuation = 0;

    U32 k = 0;
    U64 t = 0;
    if (bUseSuppression) {
        const U8 level = u8SuppressionLevel < 1 ? 1 : u8SuppressionLevel > 10 ? 10 : u8SuppressionLevel;
        const S32 S = s16SuppressionSlopes[eWaterType == WATER_SALT_DEEP ? 1 : 0][level - 1];
        for (; k < n && t < TVG_SUPPRESSION_END_US; ++k) {
            const S64 total = (S64)c.u32Attenuation + (S64)S * (S64)(TVG_SUPPRESSION_END_US - t) /
                                                          (S64)TVG_SUPPRESSION_END_US;
            const U8 raw = pu8RawData[k];
            if (total > 255)
                pu8TvgdData[k] = 0;
            else {
                const S64 cut = total < 0 ? 0 : total;
                pu8TvgdData[k] = raw > cut ? (U8)(raw - cut) : 0;
            }
            t += T;
            vStep(c, t);
        }
    }
    const double inverse = T ? 1.0 / T : 0;
    while (k < n) {
        const U32 last = u32ChunkEnd(c, T, inverse, n - 1);
        const U8 a = c.u32Attenuation > 255 ? 255 : (U8)c.u32Attenuation;
        const U32 count = last - k + 1;
        if (pu8RawData != pu8TvgdData) {
            // Whole vectors only: a run's last vector may reach into the
            // next run's samples, which that run writes again from the
            // untouched input. Most pairs of a curve's steep start cover a
            // sample or two, and a tail loop per pair would cost more than
            // all the long runs.
            const U32 whole = (count + VECTOR_BYTES - 1) / VECTOR_BYTES * VECTOR_BYTES;
            vSubtractApart(pu8RawData + k, pu8TvgdData + k, whole < n - k ? whole : n - k, a);
        } else {
            vSubtractInPlace(pu8TvgdData + k, count, a);
        }
        k = last + 1;
        t = (U64)k * T;
        vStep(c, t);
    }
}

void S_TVG_ReverseTvgSonar(const PING_DESCRIPTOR* pPing, const U8* pu8TvgdData, U8* pu8RawData)
{
    const U32 n = pPing->u32NumberOfSamples;
    const U32 T = pPing->u32SamplePeriodMicroSeconds;
    const RLE_TVG_DESCRIPTOR* pCurve = S_TVG_pGetCurve(pPing->u32TransmitFrequencyHertz);
    if (n == 0 || !pCurve || pCurve->u32TableLength == 0)
        return;
    TVG_CURSOR c;
    vStart(c, pCurve, 0);
    const double inverse = T ? 1.0 / T : 0;
    for (U32 k = 0; k < n;) {
        const U32 last = u32ChunkEnd(c, T, inverse, n - 1);
        vAddBack(pu8TvgdData + k, pu8RawData + k, last - k + 1, c.u32Attenuation);
        k = last + 1;
        vStep(c, (U64)k * T);
    }
}
