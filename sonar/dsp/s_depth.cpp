// The depth finder (see the header).
//
// The search reads its samples through a padded copy of the ping: 32
// copies of the first sample before it and 32 zeros after it, which is
// what the running average reads beyond either end, so the per-sample
// loops need no bounds tests. The threshold is one array for both modes
// (the single level is spread over it), so the loops do not ask which.
#include "sonar/dsp/s_depth.h"

#include "kernel/error.h"
#include "sonar/dsp/s_vector.h"
#include "store/h_database.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* SOURCE = "./Working/SOURCE/s_depth";

constexpr U32 U32_MAX = 0xFFFFFFFFu;
constexpr BEAM BEAM_255 = 255;
constexpr U32 SLOT_BEAM_255 = 4;

// The threshold curve.
constexpr U32 CURVE_ABOVE_SAMPLES = 300;
constexpr U32 SHORT_CURVE_SAMPLES = 850;
constexpr U32 SHORT_STEP = 10;
constexpr U32 SHORT_SKIP = 20;
constexpr U32 LONG_STEP = 30;
constexpr U32 LONG_SKIP = 50;
constexpr U32 WINDOW = 25;
constexpr U32 WINDOW_CENTRE = 12; // in steps; also the median's rank
constexpr U8 CURVE_FLOOR = 10;
constexpr double TRANSDUCER_8_SCALE = 0.58823526;
constexpr U8 TRANSDUCER_SCALED = 8;
constexpr U8 DOWN_BEAM_TRANSDUCERS[3] = {15, 17, 18};

// The target search.
constexpr U32 PAD = 32; // the longest half average
constexpr U32 AVERAGE_LIMIT_METRES[3] = {250, 500, 750};
constexpr U32 AVERAGE_HALF[4] = {4, 8, 16, 32};
constexpr U32 AVERAGE_SHIFT[4] = {3, 4, 5, 6}; // log2 of twice the half
constexpr double NEAR_RANGE_FEET = 4.0;
constexpr double NEAR_RANGE_FEET_BEAM_255 = 1.0;
constexpr U8 NEAR_RANGE_STRONG_RAW = 230;
constexpr double ELONGATION_ROW_FEET[2] = {10.0, 20.0};
// Minimum elongations (us) by row (peak before offset + 10 ft, before
// offset + 20 ft, deeper) and frequency band.
constexpr U32 ELONGATION_MIN_US[3][3] = {{300, 200, 200}, {600, 400, 400}, {800, 600, 600}};
constexpr double HEIGHT_TEST_SCALE = 0.0001;

// The decision.
constexpr U32 SHALLOW_STRONGEST_US = 10399;
constexpr U8 KEEP_TRACKED = 254;
constexpr U32 PEAK_BACK_OFF = 7;
constexpr U32 HISTORY_SPAN_MS = 500;

constexpr U32 SLOPE_TABLE_PERIOD_US = 26;

typedef struct tag_DEPTH_HISTORY {
    U32 u32Depth[S_DEPTH_HISTORY_LENGTH]; // samples
    U32 u32Timestamp[S_DEPTH_HISTORY_LENGTH];
    int nIndex;
} DEPTH_HISTORY;

// Entry i is round(0xFFFFFFFF x r^(i - 255)) with ln r = 0.0812677 (0.353
// dB a step), which meets 14534 at 100 and 1905543 at 160.
const U32 s_au32AntiLog[S_DEPTH_ANTILOG_ENTRIES] = {
    4u, 5u, 5u, 5u, 6u, 6u, 7u, 8u,
    8u, 9u, 10u, 11u, 11u, 12u, 13u, 15u,
    16u, 17u, 19u, 20u, 22u, 24u, 26u, 28u,
    30u, 33u, 36u, 39u, 42u, 45u, 49u, 53u,
    58u, 63u, 68u, 74u, 80u, 87u, 94u, 102u,
    111u, 120u, 130u, 141u, 153u, 166u, 181u, 196u,
    212u, 230u, 250u, 271u, 294u, 319u, 346u, 375u,
    407u, 441u, 479u, 519u, 563u, 611u, 663u, 719u,
    779u, 845u, 917u, 995u, 1079u, 1170u, 1269u, 1377u,
    1493u, 1620u, 1757u, 1906u, 2067u, 2242u, 2432u, 2638u,
    2861u, 3103u, 3366u, 3651u, 3960u, 4295u, 4659u, 5053u,
    5481u, 5945u, 6448u, 6994u, 7586u, 8228u, 8925u, 9681u,
    10500u, 11389u, 12353u, 13399u, 14534u, 15764u, 17099u, 18546u,
    20116u, 21819u, 23667u, 25670u, 27844u, 30201u, 32758u, 35531u,
    38539u, 41802u, 45341u, 49179u, 53343u, 57859u, 62758u, 68071u,
    73834u, 80084u, 86864u, 94219u, 102195u, 110847u, 120232u, 130411u,
    141451u, 153427u, 166416u, 180505u, 195787u, 212362u, 230341u, 249842u,
    270994u, 293937u, 318822u, 345814u, 375091u, 406846u, 441291u, 478651u,
    519174u, 563128u, 610803u, 662514u, 718604u, 779441u, 845430u, 917005u,
    994640u, 1078847u, 1170184u, 1269253u, 1376709u, 1493263u, 1619685u, 1756809u,
    1905543u, 2066869u, 2241852u, 2431650u, 2637517u, 2860812u, 3103012u, 3365717u,
    3650663u, 3959732u, 4294968u, 4658585u, 5052987u, 5480779u, 5944788u, 6448081u,
    6993984u, 7586103u, 8228352u, 8924974u, 9680574u, 10500143u, 11389098u, 12353313u,
    13399160u, 14533549u, 15763977u, 17098575u, 18546161u, 20116302u, 21819373u, 23666628u,
    25670273u, 27843550u, 30200820u, 32757658u, 35530962u, 38539057u, 41801821u, 45340814u,
    49179423u, 53343014u, 57859099u, 62757521u, 68070650u, 73833595u, 80084438u, 86864485u,
    94218539u, 102195196u, 110847167u, 120231625u, 130410582u, 141451302u, 153426744u, 166416040u,
    180505027u, 195786804u, 212362356u, 230341214u, 249842185u, 270994131u, 293936828u, 318821881u,
    345813733u, 375090749u, 406846393u, 441290509u, 478650706u, 519173864u, 563127762u, 610802850u,
    662514171u, 718603435u, 779441285u, 845429743u, 917004865u, 994639624u, 1078847038u, 1170183555u,
    1269252733u, 1376709230u, 1493263127u, 1619684619u, 1756809111u, 1905542730u, 2066868321u, 2241851934u,
    2431649876u, 2637516344u, 2860811721u, 3103011560u, 3365716334u, 3650662017u, 3959731553u, 4294967295u,
};

BOTTOMTRACKER BottomTrackerInfo[S_DEPTH_TRACKERS];
DEPTH_HISTORY s_DepthHistory[S_DEPTH_TRACKERS];
U8 u8Threshold[PING_MAX_SAMPLES];
U8 s_au8Padded[PAD + PING_MAX_SAMPLES + PAD];

// What one ping's search needs, worked out once.
typedef struct tag_DEPTH_SEARCH {
    const U8* pu8Samples; // the padded copy: pu8Samples[-32] to pu8Samples[n + 31]
    const U8* pu8Raw;
    const U8* pu8Threshold;
    U32 u32Samples;
    U32 u32Last; // n - 5: the search ends there
    U32 u32Period;
    U32 u32Speed;
    BOOLEAN bCurve;
    S64 s64NearRangeIndex;
    S64 s64RowIndex[2]; // offset + 10 ft and + 20 ft
    int nFrequencyBand; // -1: no elongation test
    double dLowerDepthMetres;
} DEPTH_SEARCH;

typedef enum tag_PASS_RESULT { PASS_TARGET, PASS_REJECTED, PASS_END } PASS_RESULT;

U32 u32Saturate(U64 v)
{
    return v > U32_MAX ? U32_MAX : (U32)v;
}

BOOLEAN bDownBeamTransducer(const PING_DESCRIPTOR* pPing)
{
    if (pPing->Beam != 2 && pPing->Beam != 3)
        return FALSE;
    for (U8 t : DOWN_BEAM_TRANSDUCERS)
        if (pPing->u8Transducer == t)
            return TRUE;
    return FALSE;
}

// The tracker and history slot of a beam; fatal for a beam that has none.
U32 u32Slot(BEAM Beam)
{
    if (Beam == BEAM_255)
        return SLOT_BEAM_255;
    if (Beam >= SLOT_BEAM_255) {
        ERROR_error(SOURCE, __LINE__, "Invalid beam");
        U_RESET_vReset(0, 0);
    }
    return Beam;
}

int nFrequencyBand(U32 u32Hertz)
{
    if (u32Hertz <= 99999)
        return 0;
    if (u32Hertz >= 100001 && u32Hertz <= 249999)
        return 1;
    if (u32Hertz >= 250001 && u32Hertz <= 499999)
        return 2;
    return -1;
}

// The 25-sample window starting at a sample: its median, scaled for
// transducer 8, at least 10.
U8 u8WindowMedian(const U8* pu8Samples, U32 n, U32 u32Start, U32 u32Step, BOOLEAN bScale)
{
    U8 au8Window[WINDOW];
    for (U32 j = 0; j < WINDOW; ++j) {
        const U64 index = (U64)u32Start + (U64)j * u32Step;
        au8Window[j] = index < n ? pu8Samples[index] : 0;
    }
    U8 v = S_DEPTH_u8GetKthSmallest(au8Window, WINDOW, WINDOW_CENTRE);
    if (bScale)
        v = (U8)((double)v * TRANSDUCER_8_SCALE);
    return v > CURVE_FLOOR ? v : CURVE_FLOOR;
}

VECTOR_CLONES U64 u64AbsoluteDeviation(const U8* __restrict a, const U8* __restrict b, U32 n)
{
    U64 sum = 0;
    for (U32 i = 0; i < n; ++i)
        sum += (U32)(a[i] > b[i] ? a[i] - b[i] : b[i] - a[i]);
    return sum;
}

VECTOR_CLONES void vRaise(U8* __restrict pu8Threshold, U32 n, U8 u8By)
{
    for (U32 i = 0; i < n; ++i) {
        const U32 v = (U32)pu8Threshold[i] + u8By;
        pu8Threshold[i] = (U8)(v > 255 ? 255 : v);
    }
}

U32 u32AverageRow(U32 u32Index, const DEPTH_SEARCH& s)
{
    const U64 metres = (U64)u32Index * s.u32Period * s.u32Speed / 2000000;
    U32 row = 0;
    while (row < 3 && metres > AVERAGE_LIMIT_METRES[row])
        ++row;
    return row;
}

// One pass of the search from *pu32Index: skips the samples whose running
// average lies below the threshold, takes the stretch where it stays at or
// above it, and tests that target. *pu32Index ends where the pass stopped.
PASS_RESULT eFindNextTarget(const DEPTH_SEARCH& s, U32* pu32Index, TARGETCANDIDATE* pTarget)
{
    U32 i = *pu32Index;
    if (i >= s.u32Last)
        return PASS_END;
    const U8* x = s.pu8Samples;
    const U8* thr = s.pu8Threshold;
    const U32 row = u32AverageRow(i, s);
    const S64 L = AVERAGE_HALF[row];
    const U32 shift = AVERAGE_SHIFT[row];
    U32 sum = 0;
    for (S64 j = (S64)i - L; j < (S64)i + L; ++j)
        sum += x[j];

    U32 u32Start, u32End, u32PeakIndex;
    U8 u8Peak;
    U64 u64Energy, u64Total;
    for (;;) {
        while (i < s.u32Last && (sum >> shift) < thr[i]) {
            sum += x[i + L];
            sum -= x[(S64)i - L];
            ++i;
        }
        if (i >= s.u32Last) {
            *pu32Index = i;
            return PASS_END;
        }
        u32Start = i;
        u8Peak = x[i];
        u32PeakIndex = i;
        u64Energy = 0;
        u64Total = 0;
        while (i <= s.u32Last && (sum >> shift) >= thr[i]) {
            const U8 v = x[i];
            const U8 t = thr[i];
            if (v > t)
                u64Energy += g_pu32AntiLogTable[v - t];
            u64Total += g_pu32AntiLogTable[v];
            if (v > u8Peak) {
                u8Peak = v;
                u32PeakIndex = i;
            }
            sum += x[i + L];
            sum -= x[(S64)i - L];
            ++i;
        }
        u32End = i;
        // Near the transducer only a strong echo counts; the search goes on
        // with the same average.
        if ((S64)u32PeakIndex <= s.s64NearRangeIndex && s.pu8Raw[u32PeakIndex] <= NEAR_RANGE_STRONG_RAW)
            continue;
        break;
    }
    *pu32Index = i;

    const U32 u32Elongation = u32Saturate((U64)(u32End - u32Start) * s.u32Period);
    if (s.nFrequencyBand >= 0) {
        const S64 peak = u32PeakIndex;
        const U32 elongationRow = peak < s.s64RowIndex[0] ? 0 : peak < s.s64RowIndex[1] ? 1 : 2;
        if (u32Elongation < ELONGATION_MIN_US[elongationRow][s.nFrequencyBand])
            return PASS_REJECTED;
    }
    // A threshold high for the range, deeper than the manual lower depth,
    // is clutter rather than bottom.
    if (s.bCurve && (double)thr[u32PeakIndex] > 255.0 / (1.0 + (double)u32PeakIndex * HEIGHT_TEST_SCALE) &&
        (double)u32PeakIndex * s.u32Period * s.u32Speed * 0.0000005 > s.dLowerDepthMetres)
        return PASS_REJECTED;

    pTarget->u32StartIndex = u32Start;
    pTarget->u32StopIndex = u32End - 1;
    pTarget->u32PeakIndex = u32PeakIndex;
    pTarget->u8TVGPeak = u8Peak;
    pTarget->u8RawPeak = s.pu8Raw[u32PeakIndex];
    pTarget->u32ElongationMicroSeconds = u32Elongation;
    pTarget->u64Energy = u64Energy;
    pTarget->u64EnergyTotal = u64Total;
    return PASS_TARGET;
}

// The samples used of a ping, 0 when it cannot be searched.
U32 u32UsableSamples(const PING_DESCRIPTOR* pPing)
{
    if (!pPing || !pPing->pu8TvgdData || !pPing->pu8RawSonarData || pPing->u32SamplePeriodMicroSeconds == 0)
        return 0;
    const U32 n = std::min(pPing->u32NumberOfSamples, PING_MAX_SAMPLES);
    return n > S_DEPTH_END_MARGIN ? n : 0;
}

float fLowerDepthMetres(void)
{
    float f = 0.0f;
    if (!H_DATABASE_bFetchFloat(FCID("YSLD"), &f, nullptr, nullptr))
        f = 0.0f;
    return f;
}

U32 u32Targets(const PING_DESCRIPTOR* pPing, U32 n, U32 u32StartSearchMicroSeconds,
               TARGETCANDIDATE pList[S_DEPTH_CANDIDATES])
{
    const U8* x = pPing->pu8TvgdData;
    DEPTH_SEARCH s = {};
    s.bCurve = S_DEPTH_bUsesThresholdCurve(pPing);
    if (s.bCurve) {
        S_DEPTH_vBuildThresholdCurve(x, n, pPing->u8Transducer == TRANSDUCER_SCALED, u8Threshold);
    } else {
        const U8 u8Single = S_DEPTH_u8SingleThreshold(x, n);
        if (u8Single == 0)
            return 0;
        memset(u8Threshold, u8Single, n);
    }
    memset(s_au8Padded, x[0], PAD);
    memcpy(s_au8Padded + PAD, x, n);
    memset(s_au8Padded + PAD + n, 0, PAD);

    const U32 P = pPing->u32SamplePeriodMicroSeconds;
    const double offset = (double)pPing->fDepthOffsetFeet;
    s.pu8Samples = s_au8Padded + PAD;
    s.pu8Raw = pPing->pu8RawSonarData;
    s.pu8Threshold = u8Threshold;
    s.u32Samples = n;
    s.u32Last = n - S_DEPTH_END_MARGIN;
    s.u32Period = P;
    s.u32Speed = S_DEPTHALGORITHMS_u32Speed();
    s.s64NearRangeIndex = S_DEPTHALGORITHMS_s64FeetToSamples(
        offset + (pPing->Beam == BEAM_255 ? NEAR_RANGE_FEET_BEAM_255 : NEAR_RANGE_FEET), P);
    for (U32 r = 0; r < 2; ++r)
        s.s64RowIndex[r] = S_DEPTHALGORITHMS_s64FeetToSamples(offset + ELONGATION_ROW_FEET[r], P);
    s.nFrequencyBand = nFrequencyBand(pPing->u32TransmitFrequencyHertz);
    s.dLowerDepthMetres = s.bCurve ? (double)fLowerDepthMetres() : 0.0;

    U32 u32Count = 0;
    U32 i = u32StartSearchMicroSeconds / P;
    TARGETCANDIDATE target;
    for (;;) {
        const PASS_RESULT e = eFindNextTarget(s, &i, &target);
        if (e == PASS_END)
            break;
        if (e == PASS_TARGET)
            S_DEPTH_vAddCandidateToList(pList, &u32Count, &target, S_DEPTH_CANDIDATES);
    }
    return u32Count;
}

// Stores a beam's bottom and gives the weighted mean of its last half
// second: the newer a bottom, the more it weighs.
U32 u32Smoothed(DEPTH_HISTORY& h, U32 u32Index, U32 u32Now)
{
    h.u32Depth[h.nIndex] = u32Index;
    h.u32Timestamp[h.nIndex] = u32Now;
    h.nIndex = (h.nIndex + 1) % (int)S_DEPTH_HISTORY_LENGTH;
    U64 u64Weighted = 0;
    U64 u64Weights = 0;
    for (U32 k = 0; k < S_DEPTH_HISTORY_LENGTH; ++k) {
        const U32 age = u32Now - h.u32Timestamp[k];
        if (h.u32Depth[k] == 0 || age >= HISTORY_SPAN_MS)
            continue;
        const U64 w = HISTORY_SPAN_MS - age;
        u64Weighted += w * h.u32Depth[k];
        u64Weights += w;
    }
    return u64Weights ? u32Saturate((u64Weighted + u64Weights / 2) / u64Weights) : u32Index;
}

} // namespace

const U32* const g_pu32AntiLogTable = s_au32AntiLog;

const SLOPETESTVALUE g_BottomSlopeTestValues[S_DEPTH_BOTTOM_SLOPE_ROWS] = {
    {5, 240}, {4, 800}, {3, 2240}, {2, U32_MAX}};

const U16 u16StandardDepthRangesFeet[S_DEPTH_RANGES_FEET] = {10,   20,   30,   40,   60,   80,   100,  120,
                                                              160,  200,  240,  320,  400,  480,  600,  800,
                                                              1000, 1200, 1400, 1600, 1800, 2000, 2200, 2400,
                                                              2600, 2800, 3000, 3200, 3280};
const U16 u16StandardDepthRangesMetres[S_DEPTH_RANGES_METRES] = {5,   10,  15,  20,  25,  30,  40,  50,
                                                                  60,  80,  100, 120, 160, 200, 240, 280,
                                                                  300, 400, 500, 600, 700, 800, 900, 1000};
const U16 u16StandardDepthRangesFathoms[S_DEPTH_RANGES_FATHOMS] = {2,   3,   5,   8,   10,  15,  20,  25,  30,
                                                                    35,  40,  60,  70,  90,  100, 120, 160,
                                                                    200, 250, 300, 350, 400, 450, 500, 545};

U8 S_DEPTH_u8GetKthSmallest(U8* pu8Values, U32 u32Count, U32 k)
{
    if (!pu8Values || u32Count == 0)
        return 0;
    if (k >= u32Count)
        k = u32Count - 1;
    // Wirth's selection: partition round the value at k until the part
    // that holds k is one value wide.
    S32 l = 0;
    S32 m = (S32)u32Count - 1;
    const S32 kk = (S32)k;
    while (l < m) {
        const U8 x = pu8Values[kk];
        S32 i = l;
        S32 j = m;
        do {
            while (pu8Values[i] < x)
                ++i;
            while (x < pu8Values[j])
                --j;
            if (i <= j) {
                std::swap(pu8Values[i], pu8Values[j]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (j < kk)
            l = i;
        if (kk < i)
            m = j;
    }
    return pu8Values[kk];
}

BOOLEAN S_DEPTH_bUsesThresholdCurve(const PING_DESCRIPTOR* pPing)
{
    if (!pPing)
        return FALSE;
    if (pPing->Beam == 0 || pPing->Beam == 1)
        return pPing->u32NumberOfSamples > CURVE_ABOVE_SAMPLES;
    return bDownBeamTransducer(pPing);
}

U8 S_DEPTH_u8SingleThreshold(const U8* pu8Samples, U32 u32Samples)
{
    if (!pu8Samples)
        return 0;
    U64 sum = 0;
    U32 count = 0;
    for (U32 i = 0; i < u32Samples; ++i) {
        sum += pu8Samples[i];
        count += pu8Samples[i] != 0;
    }
    return count ? (U8)((sum + count - 1) / count) : 0;
}

void S_DEPTH_vBuildThresholdCurve(const U8* pu8Samples, U32 u32Samples, BOOLEAN bScaleForTransducer8,
                                  U8* pu8Threshold)
{
    if (!pu8Samples || !pu8Threshold || u32Samples == 0)
        return;
    const U32 n = u32Samples;
    const U32 step = n <= SHORT_CURVE_SAMPLES ? SHORT_STEP : LONG_STEP;
    const U32 skip = n <= SHORT_CURVE_SAMPLES ? SHORT_SKIP : LONG_SKIP;
    const U32 centre = WINDOW_CENTRE * step;
    const U32 span = WINDOW * step;

    const U8 u8First = u8WindowMedian(pu8Samples, n, 0, step, bScaleForTransducer8);
    memset(pu8Threshold, u8First, std::min(centre + 1, n));

    U32 u32Anchor = centre;
    U8 u8Anchor = u8First;
    bool bAnchored = false;
    for (U32 t = 1; n > span && t < n - span; t += skip) {
        const U32 a = t + centre;
        const U8 v = u8WindowMedian(pu8Samples, n, t, step, bScaleForTransducer8);
        if (bAnchored) {
            const S32 slope = (((S32)v - (S32)u8Anchor) * 65536) / (S32)skip;
            for (U32 j = 1; u32Anchor + j < a; ++j) {
                const S32 value = (S32)u8Anchor + (((S32)j * slope) >> 16);
                pu8Threshold[u32Anchor + j] = (U8)std::clamp(value, 0, 255);
            }
        }
        pu8Threshold[a] = v;
        u32Anchor = a;
        u8Anchor = v;
        bAnchored = true;
    }
    if (u32Anchor + 1 < n)
        memset(pu8Threshold + u32Anchor + 1, u8Anchor, n - u32Anchor - 1);

    if (n > span) {
        // The deviation over the samples whose windows lay wholly inside
        // the ping, divided by n less one window.
        const U64 sum = u64AbsoluteDeviation(pu8Threshold + centre, pu8Samples + centre, n - 2 * centre);
        const U64 deviation = sum / (n - span);
        if (deviation)
            vRaise(pu8Threshold, n, (U8)std::min<U64>(deviation, 255));
    }
}

U32 S_DEPTH_u32FindTargets(const PING_DESCRIPTOR* pPing, U32 u32StartSearchMicroSeconds,
                           TARGETCANDIDATE pList[S_DEPTH_CANDIDATES])
{
    const U32 n = u32UsableSamples(pPing);
    if (n == 0 || !pList)
        return 0;
    return u32Targets(pPing, n, u32StartSearchMicroSeconds, pList);
}

U32 S_DEPTH_u32FindDepth(const PING_DESCRIPTOR* pPing, U32 u32StartSearchMicroSeconds,
                         U32 u32StopSearchMicroSeconds)
{
    // The search always runs to the end of the ping.
    (void)u32StopSearchMicroSeconds;
    if (!pPing)
        return 0;
    const U32 slot = u32Slot(pPing->Beam);
    const U32 n = u32UsableSamples(pPing);
    if (n == 0)
        return 0;
    TARGETCANDIDATE list[S_DEPTH_CANDIDATES];
    const U32 u32Count = u32Targets(pPing, n, u32StartSearchMicroSeconds, list);
    if (u32Count == 0)
        return 0;

    const U32 P = pPing->u32SamplePeriodMicroSeconds;
    const U32 now = pPing->u32TimeStampMilliSeconds;
    BOTTOMTRACKER& tracker = BottomTrackerInfo[slot];
    U8 sel = S_DEPTHALGORITHMS_u8WindowTest(list, u32Count, P, &tracker, TRUE, now);
    if (sel == S_DEPTHALGORITHMS_NONE && tracker.u8LockedCounter > S_DEPTHALGORITHMS_LOCKED_ABOVE)
        sel = KEEP_TRACKED;

    // A strong shallow bottom: its second return may be the stronger echo.
    U32 shallowest = 0;
    for (U32 c = 1; c < u32Count; ++c)
        if (list[c].u32StartIndex < list[shallowest].u32StartIndex)
            shallowest = c;
    if ((U64)list[0].u32StartIndex * P <= SHALLOW_STRONGEST_US &&
        list[shallowest].u8RawPeak > S_DEPTHALGORITHMS_STRONG_RAW_PEAK) {
        const U8 second = S_DEPTHALGORITHMS_u8SecondReturnTest(list, u32Count, P, &tracker, FALSE, TRUE);
        if (second != S_DEPTHALGORITHMS_NONE)
            sel = second;
    }

    const BOOLEAN bPeakRule = pPing->Beam == 1 || pPing->Beam == BEAM_255 || bDownBeamTransducer(pPing);
    U32 u32Bottom = 0;
    if (sel == KEEP_TRACKED) {
        u32Bottom = tracker.u32LastLockedDepthMicroseconds / P;
    } else if (sel != S_DEPTHALGORITHMS_NONE) {
        const TARGETCANDIDATE& c = list[sel];
        // A peak in the first samples has no room to back off into.
        u32Bottom = bPeakRule ? (c.u32PeakIndex > PEAK_BACK_OFF ? c.u32PeakIndex - PEAK_BACK_OFF : 0)
                              : c.u32StartIndex;
        if (pPing->Beam != BEAM_255 && c.u8RawPeak <= S_DEPTHALGORITHMS_STRONG_RAW_PEAK &&
            (S64)u32Bottom < S_DEPTHALGORITHMS_s64FeetToSamples((double)pPing->fDepthOffsetFeet + NEAR_RANGE_FEET, P))
            u32Bottom = 0;
    }

    const U32 u32Result = u32Smoothed(s_DepthHistory[slot], u32Bottom, now);
    return u32Saturate((U64)u32Result * P);
}

U16 S_DEPTH_u16SelectDepthRange(U16 u16DepthInAnyUnits, UNIT_TYPE uUnits)
{
    const U16* table;
    U32 rows;
    switch (uUnits) {
    case U_FEET:
        table = u16StandardDepthRangesFeet;
        rows = S_DEPTH_RANGES_FEET;
        break;
    case U_METRES:
        table = u16StandardDepthRangesMetres;
        rows = S_DEPTH_RANGES_METRES;
        break;
    case U_FATHOMS:
        table = u16StandardDepthRangesFathoms;
        rows = S_DEPTH_RANGES_FATHOMS;
        break;
    default:
        return S_DEPTH_RANGE_OTHER_UNITS;
    }
    const U32 scaled = (U32)u16DepthInAnyUnits * 100 / 85;
    for (U32 r = 0; r < rows; ++r)
        if (table[r] > scaled)
            return table[r];
    return table[rows - 1];
}

void S_DEPTH_vAddCandidateToList(TARGETCANDIDATE* pSortedCandidates, U32* pu32CandidatesInList,
                                 const TARGETCANDIDATE* pCandidate, U32 u32SizeOfList)
{
    if (!pSortedCandidates || !pu32CandidatesInList || !pCandidate || u32SizeOfList == 0)
        return;
    U32 count = std::min(*pu32CandidatesInList, u32SizeOfList);
    U32 at = 0;
    while (at < count && pSortedCandidates[at].u64Energy > pCandidate->u64Energy)
        ++at;
    if (at >= u32SizeOfList)
        return;
    const U32 moved = (count < u32SizeOfList ? count : u32SizeOfList - 1) - at;
    memmove(pSortedCandidates + at + 1, pSortedCandidates + at, moved * sizeof *pSortedCandidates);
    pSortedCandidates[at] = *pCandidate;
    if (count < u32SizeOfList)
        ++count;
    *pu32CandidatesInList = count;
}

U8 S_DEPTH_u8GetMinimumSlopeValue(U32* pu32NextSlopeChangeIndex, U32 u32SamplesSinceTransmit,
                                  const SLOPETESTVALUE* pSlopeTable, U32 u32SamplePeriodMicroseconds)
{
    if (!pSlopeTable || u32SamplePeriodMicroseconds == 0)
        return 0;
    const U32 P = u32SamplePeriodMicroseconds;
    const U64 sample = std::min<U64>((U64)u32SamplesSinceTransmit * P / SLOPE_TABLE_PERIOD_US, U32_MAX);
    const SLOPETESTVALUE* row = pSlopeTable;
    while (row->u32ValidUntilSample < sample)
        ++row;
    if (pu32NextSlopeChangeIndex) {
        const U64 limit = row->u32ValidUntilSample;
        const U64 next = P == SLOPE_TABLE_PERIOD_US ? limit + 1 : (limit * SLOPE_TABLE_PERIOD_US + P - 1) / P + 1;
        *pu32NextSlopeChangeIndex = u32Saturate(next);
    }
    return row->u8MinimumSlope;
}

void S_DEPTH_vResetForTests(void)
{
    memset(BottomTrackerInfo, 0, sizeof BottomTrackerInfo);
    memset(s_DepthHistory, 0, sizeof s_DepthHistory);
}

BOTTOMTRACKER* S_DEPTH_pTrackerForTests(U32 u32Slot)
{
    return u32Slot < S_DEPTH_TRACKERS ? &BottomTrackerInfo[u32Slot] : nullptr;
}
