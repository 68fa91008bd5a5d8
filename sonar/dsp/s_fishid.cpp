// Fish detection: the sizing tables, the scan of one ping and the merge of
// several beams' lists (see the header).
//
// The scan reads the samples between two quiet stretches only: the first
// one after the transmit ring-down and the last one above the bottom, so
// neither the ring-down nor the bottom echo can pass for a fish. An echo
// starts where the samples rise faster than the depth finder's slope table
// allows; it lasts while the samples stay at or above its entry level. The
// peak test and the symmetry test (the peak in the middle fifth of the
// echo) weed out the sloping edges of larger returns.
#include "sonar/dsp/s_fishid.h"

#include "kernel/error.h"
#include "kernel/l_mutex.h"
#include "sonar/dsp/s_depthalgorithms.h"
#include "sonar/dsp/s_fishid_internal.h"
#include "sonar/dsp/s_transducer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr const char* SOURCE = "./Working/SOURCE/s_fishid";

constexpr U32 U32_MAX = 0xFFFFFFFFu;
constexpr U32 QUIET_RUN = 8; // zero samples that make a quiet stretch
constexpr float SALT_LOW_BEAM_SHARE = 0.8f;
constexpr float SALT_LOW_BEAM_FLOOR_METRES = 30.0f;
constexpr U32 LOW_BEAM_50KHZ = 50000;
constexpr U8 TRANSDUCER_VELTRA = 11;
constexpr U8 TRANSDUCER_SARVIL = 3;
constexpr float CARRIER_PERIOD_200KHZ_US = 5.0f;
constexpr float CARRIER_PERIOD_455KHZ_US = 2.2026432f;

// ---- Sizing tables ----

constexpr FISH_SIZING_TABLE SARVIL_455KHZ_SALT = {
    208,
    {{176, 188, 200}, {164, 178, 194}, {152, 170, 188}, {140, 158, 178}, {124, 146, 168}, {108, 132, 156},
     {92, 118, 144}, {78, 102, 128}, {66, 88, 110}, {56, 76, 94}, {48, 64, 80}}};

constexpr FISH_SIZING_TABLE QUADBEAM_455KHZ_FRESH = {
    175,
    {{106, 122, 138}, {102, 118, 134}, {98, 114, 130}, {90, 106, 122}, {82, 98, 114}, {74, 90, 106},
     {66, 82, 98}, {60, 76, 92}, {56, 72, 88}, {52, 68, 84}, {48, 64, 80}}};

// What one scan measures against.
struct SEARCH_LIMITS {
    U8 u8MinPeakAmplitude; // a peak must lie strictly between these
    U8 u8MaxPeakAmplitude;
    U32 u32MinElongationHold; // and its length within these, inclusive
    U32 u32MaxElongationHold;
    U32 u32MinElongationMicroseconds; // kept with the fish for confirmation
    U32 u32MaxElongationMicroseconds;
};

POTENTIAL_FISH_TARGET_LIST ListOfPotentialTargets;

[[noreturn]] void vInvalidBeam(U32 u32Line)
{
    ERROR_error(SOURCE, u32Line, "Invalid beam");
    U_RESET_vReset(0, 0);
}

U32 u32Saturate(U64 u64Value) { return u64Value > U32_MAX ? U32_MAX : (U32)u64Value; }

// Salt water on the low-frequency beam is searched to 80 % of the bottom,
// never less than 30 m: its wide beam sees the bottom's slope as echoes
// above the bottom. A depth that is no positive number is no bottom.
U32 u32SearchLimitMicroSeconds(const PING_DESCRIPTOR* pReturn, WATER_TYPE eWaterType)
{
    float d = pReturn->fDepthMetres;
    if (!(d > 0.0f))
        return 0;
    if (eWaterType != WATER_FRESH && pReturn->Beam == 0 && d >= SALT_LOW_BEAM_FLOOR_METRES)
        d = std::max(SALT_LOW_BEAM_SHARE * d, SALT_LOW_BEAM_FLOOR_METRES);
    const float us = d * 2000000.0f / (float)S_DEPTHALGORITHMS_u32Speed();
    return us >= 4294967295.0f ? U32_MAX : (U32)us;
}

// The carrier period of a beam in microseconds; 0 while the low-frequency
// beam's frequency cannot be read.
float fPeriodMicroSeconds(BEAM Beam)
{
    switch (Beam) {
    case 0: {
        const U32 hz = S_TRANSDUCER_u32LFBeamFrequencyHertz();
        return hz == 0 ? 0.0f : 1000000.0f / (float)hz;
    }
    case 1:
        return CARRIER_PERIOD_200KHZ_US;
    case 2:
    case 3:
        return CARRIER_PERIOD_455KHZ_US;
    default:
        vInvalidBeam(__LINE__);
    }
}

// The end of the transmit ring-down: the first quiet stretch ending before
// the depth index, else the last eight samples before it.
U32 u32FindStartSearchIndex(const U8* pu8TvgdData, U32 u32DepthInSamples)
{
    if (u32DepthInSamples < QUIET_RUN)
        return 0;
    U32 run = 0;
    for (U32 j = 0; j < u32DepthInSamples; ++j) {
        run = pu8TvgdData[j] == 0 ? run + 1 : 0;
        if (run == QUIET_RUN)
            return j + 1 - QUIET_RUN;
    }
    return u32DepthInSamples + 1 - QUIET_RUN;
}

// The last quiet stretch above the bottom: the deepest index, not beyond
// the depth index, that ends eight zero samples; 7 when there is none.
U32 u32FindStopSearchIndex(const U8* pu8TvgdData, U32 u32DepthInSamples)
{
    if (u32DepthInSamples < QUIET_RUN)
        return u32DepthInSamples;
    U32 run = 0;
    for (U32 j = u32DepthInSamples; j >= 1; --j) {
        run = pu8TvgdData[j] == 0 ? run + 1 : 0;
        if (run == QUIET_RUN)
            return j + QUIET_RUN - 1;
    }
    return QUIET_RUN - 1;
}

// The minimum slope of the sample being looked at, and the index from
// which the next row of the slope table holds. It only ever moves deeper,
// so one walk serves the whole search.
struct SLOPE_WALK {
    const SLOPETESTVALUE* pTable;
    U32 u32SamplePeriodMicroseconds;
    int m;
    U32 u32Next;
};

void vSlopeAt(SLOPE_WALK* pWalk, U32 i)
{
    pWalk->m = S_DEPTH_u8GetMinimumSlopeValue(&pWalk->u32Next, i, pWalk->pTable, pWalk->u32SamplePeriodMicroseconds);
}

// The first index from i below limit whose sample is followed by a rise
// steeper than m (p[k] + m < p[k + 1]), or limit. Silent water lies
// between most echoes, so the samples are compared 16 at a time:
// p[k + 1] - m > p[k] in saturating byte arithmetic is the same test.
U32 u32FindRise(const U8* p, U32 i, U32 limit, int m)
{
#if defined(__SSE2__)
    const __m128i slope = _mm_set1_epi8((char)(U8)m);
    for (; i + 16 <= limit; i += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
        const __m128i lowered = _mm_subs_epu8(after, slope);
        // Bits of the samples not followed by a steep rise.
        const int flat = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(lowered, here), here));
        if (flat != 0xFFFF)
            return i + (U32)__builtin_ctz(~flat & 0xFFFF);
    }
#endif
    while (i < limit && p[i] + m >= p[i + 1])
        ++i;
    return i;
}

// The next echo from *pu32StartIndex on that ends before the stop index;
// FALSE when the search is over. *pu32StartIndex moves past the echo.
BOOLEAN bFindNextPeak(const U8* pu8Return, SLOPE_WALK* pSlope, U32* pu32StartIndex, U32 u32StopIndex,
                      TARGETCANDIDATE* pCandidate)
{
    U32 i = *pu32StartIndex;
    // The rising edge: the first sample followed by a rise steeper than the
    // slope there. A rise at the stop index itself would start an echo past
    // it, so the sample after the stop index is never needed.
    for (;;) {
        if (i >= pSlope->u32Next)
            vSlopeAt(pSlope, i);
        // At periods other than 26 us a row may end at the very sample
        // it was fetched for; that sample is still looked at with it.
        const U32 limit = std::min(u32StopIndex, std::max(pSlope->u32Next, i + 1));
        i = u32FindRise(pu8Return, i, limit, pSlope->m);
        if (i < limit)
            break;
        if (i >= u32StopIndex) {
            *pu32StartIndex = i;
            return FALSE;
        }
    }
    const U32 pos = i + 1;
    const U8 entry = pu8Return[pos];
    U8 peak = entry;
    U32 k = pos;
    U32 j = pos + 1;
    for (; j <= u32StopIndex && pu8Return[j] >= entry; ++j) {
        if (pu8Return[j] > peak) {
            peak = pu8Return[j];
            k = j;
        }
    }
    *pu32StartIndex = j;
    if (j >= u32StopIndex)
        return FALSE; // runs into the bottom's side of the search
    const U32 length = j - pos;
    const U32 ratio = (10 * (k - pos) + 5) / length;
    if (ratio < 4 || ratio > 6)
        peak = 0;
    *pCandidate = TARGETCANDIDATE{};
    pCandidate->u32StartIndex = pos;
    pCandidate->u32StopIndex = j - 1;
    pCandidate->u32PeakIndex = k;
    pCandidate->u8TVGPeak = peak;
    pCandidate->u32ElongationMicroSeconds = u32Saturate((U64)length * pSlope->u32SamplePeriodMicroseconds);
    return TRUE;
}

U8 u8CategorizeAFish(U8 u8Peak, const FISH_SIZE_THRESHOLD* pThresh)
{
    if (u8Peak > pThresh->u8Large)
        return 2;
    if (u8Peak > pThresh->u8Medium)
        return 1;
    return 0;
}

void vAddFishToList(POTENTIAL_FISH_TARGET_LIST* pList, const FISH_TARGET* pFish)
{
    if (pList->u8NumberOfTargets < FISH_POTENTIAL_TARGETS)
        pList->target[pList->u8NumberOfTargets++] = *pFish;
}

// Transmit length D and the sample period P give the length limits: at
// most ten pulses, at least one and a half, rounded to whole samples.
SEARCH_LIMITS limitsFor(const FISH_SIZING_TABLE* pTable, const FISH_SIZE_THRESHOLD* pRow, U32 u32TransmitDurationUs,
                        U32 P)
{
    const U64 D = u32TransmitDurationUs;
    SEARCH_LIMITS l{};
    l.u32MaxElongationMicroseconds = u32Saturate(P * ((10 * D + P - 1) / P));
    l.u32MaxElongationHold = u32Saturate((U64)l.u32MaxElongationMicroseconds * 5 / 4);
    // trunc((P - 1 + 1.5 D) / P) in integers.
    l.u32MinElongationMicroseconds = u32Saturate(P * ((2 * ((U64)P - 1) + 3 * D) / (2 * (U64)P)));
    l.u32MinElongationHold = u32Saturate((U64)l.u32MinElongationMicroseconds * 3 / 4);
    l.u8MinPeakAmplitude = (U8)(3 * pRow->u8Small / 4);
    l.u8MaxPeakAmplitude = (U8)std::min(5 * pTable->u8MaxPeak / 4, 255);
    return l;
}

void vExtractFishFromReturnIntoList(const PING_DESCRIPTOR* pReturn, POTENTIAL_FISH_TARGET_LIST* pList,
                                    U32 u32DepthInMicroSeconds, WATER_TYPE eWaterType, U8 u8FishSensitivity)
{
    const FISH_SIZING_TABLE* pTable =
        S_FISHID_pSizingTable(pReturn->Beam, pReturn->u32TransmitFrequencyHertz, eWaterType);
    const FISH_SIZE_THRESHOLD* pRow = &pTable->Table[std::min<U32>(u8FishSensitivity, FISH_SENSITIVITY_ROWS - 1)];
    const float period = fPeriodMicroSeconds(pReturn->Beam);
    pList->u8NumberOfTargets = 0;

    const U32 P = pReturn->u32SamplePeriodMicroSeconds;
    const U32 samples = std::min(pReturn->u32NumberOfSamples, PING_MAX_SAMPLES);
    const U8* pu8Data = pReturn->pu8TvgdData;
    if (P == 0 || samples == 0 || pu8Data == nullptr || !(period > 0.0f))
        return;
    const U32 D = (U32)(period * (float)pReturn->u8TransmitCycles);
    const SEARCH_LIMITS limits = limitsFor(pTable, pRow, D, P);
    const BOOLEAN bIdPlus = pReturn->Beam < 2 ? TRUE : FALSE;

    // Nothing beyond the ping's last sample is searched, however deep the
    // bottom was placed.
    const U32 N = (U32)std::min<U64>(((U64)u32DepthInMicroSeconds + P / 2) / P, samples - 1);
    U32 i = u32FindStartSearchIndex(pu8Data, N);
    const U32 stop = u32FindStopSearchIndex(pu8Data, N);

    // Every candidate carries energy 0, so each goes to the front and the
    // shallowest falls out of a full list: the deepest twelve remain.
    TARGETCANDIDATE aCandidates[FISH_POTENTIAL_TARGETS];
    U32 u32Candidates = 0;
    TARGETCANDIDATE candidate;
    SLOPE_WALK slope = {FishSlopeTestValues, P, 0, 0};
    vSlopeAt(&slope, i);
    while (bFindNextPeak(pu8Data, &slope, &i, stop, &candidate)) {
        const U8 peak = candidate.u8TVGPeak;
        const U32 elongation = candidate.u32ElongationMicroSeconds;
        if (peak > limits.u8MinPeakAmplitude && peak < limits.u8MaxPeakAmplitude &&
            elongation >= limits.u32MinElongationHold && elongation <= limits.u32MaxElongationHold)
            S_DEPTH_vAddCandidateToList(aCandidates, &u32Candidates, &candidate, FISH_POTENTIAL_TARGETS);
    }

    for (U32 c = 0; c < u32Candidates; ++c) {
        FISH_TARGET fish{};
        fish.u32DepthInSamples = aCandidates[c].u32PeakIndex;
        fish.u8Peak = aCandidates[c].u8TVGPeak;
        fish.u8Size = u8CategorizeAFish(fish.u8Peak, pRow);
        fish.beam = pReturn->Beam;
        fish.bIgnoreThisFish = FALSE;
        fish.bIdPlusThisFish = bIdPlus;
        fish.criteria.u8MinPeakAmplitude = pRow->u8Small;
        fish.criteria.u8MaxPeakAmplitude = pTable->u8MaxPeak;
        fish.criteria.bRemovedFish = FALSE;
        fish.criteria.u32MinElongationUs = limits.u32MinElongationMicroseconds;
        fish.criteria.u32MaxElongationUs = limits.u32MaxElongationMicroseconds;
        fish.criteria.u32ElongationUs = aCandidates[c].u32ElongationMicroSeconds;
        fish.pPreviousInstance = nullptr;
        vAddFishToList(pList, &fish);
    }
}

} // namespace

const FISH_SIZING_TABLE FishThresholdTable50kHzSalt = {
    208,
    {{120, 128, 136}, {109, 117, 125}, {99, 107, 115}, {89, 97, 105}, {79, 87, 95}, {69, 77, 85},
     {58, 66, 74}, {48, 56, 64}, {38, 46, 54}, {28, 36, 44}, {18, 26, 34}}};
const FISH_SIZING_TABLE FishThresholdTable83kHzSaltVeltra = {
    178,
    {{109, 117, 125}, {99, 107, 115}, {89, 97, 105}, {79, 87, 95}, {69, 77, 85}, {58, 66, 74},
     {48, 56, 64}, {38, 46, 54}, {28, 36, 44}, {17, 25, 33}, {7, 15, 23}}};
const FISH_SIZING_TABLE FishThresholdTable83kHzSalt = {
    208,
    {{130, 138, 146}, {120, 128, 136}, {109, 117, 125}, {99, 107, 115}, {89, 97, 105}, {79, 87, 95},
     {69, 77, 85}, {58, 66, 74}, {48, 56, 64}, {38, 46, 54}, {28, 36, 44}}};
const FISH_SIZING_TABLE FishThresholdTable200kHzSaltVeltra = {
    198,
    {{164, 178, 194}, {152, 170, 188}, {140, 158, 178}, {124, 146, 168}, {108, 132, 156}, {92, 118, 144},
     {78, 102, 128}, {66, 88, 110}, {56, 76, 94}, {41, 68, 94}, {28, 55, 83}}};
const FISH_SIZING_TABLE FishThresholdTable200kHzSalt = {
    208,
    {{180, 192, 204}, {176, 188, 200}, {164, 178, 194}, {152, 170, 188}, {140, 158, 178}, {124, 146, 168},
     {108, 132, 156}, {92, 118, 144}, {78, 102, 128}, {66, 88, 110}, {56, 76, 94}}};
const FISH_SIZING_TABLE FishThresholdTableSarvil455kHzSalt = SARVIL_455KHZ_SALT;
const FISH_SIZING_TABLE FishThresholdTableQuadBeam455kHzSalt = SARVIL_455KHZ_SALT;
const FISH_SIZING_TABLE FishThresholdTableQuadBeam455kHzFresh = QUADBEAM_455KHZ_FRESH;
const FISH_SIZING_TABLE FishThresholdTableSarvil455kHzFresh = QUADBEAM_455KHZ_FRESH;
const FISH_SIZING_TABLE FishThresholdTable200kHzFresh = {
    175,
    {{114, 130, 146}, {110, 126, 142}, {106, 122, 138}, {102, 118, 134}, {98, 114, 130}, {90, 106, 122},
     {82, 98, 114}, {74, 90, 106}, {66, 82, 98}, {60, 76, 92}, {56, 72, 88}}};
const FISH_SIZING_TABLE FishThresholdTable200kHzFreshVeltra = {
    166,
    {{106, 122, 138}, {102, 118, 134}, {98, 114, 130}, {90, 106, 122}, {82, 98, 114}, {74, 90, 106},
     {66, 82, 98}, {60, 76, 92}, {56, 72, 88}, {50, 66, 82}, {44, 60, 76}}};
const FISH_SIZING_TABLE FishThresholdTable83kHzFresh = {
    175,
    {{82, 89, 98}, {77, 84, 93}, {72, 79, 88}, {66, 74, 82}, {61, 69, 77}, {55, 63, 71},
     {50, 58, 66}, {45, 53, 61}, {39, 47, 55}, {34, 42, 50}, {28, 36, 44}}};
const FISH_SIZING_TABLE FishThresholdTable83kHzFreshVeltra = {
    157,
    {{72, 79, 88}, {66, 74, 82}, {61, 69, 77}, {55, 63, 71}, {50, 58, 66}, {45, 53, 61},
     {39, 47, 55}, {34, 42, 50}, {28, 36, 44}, {23, 31, 39}, {18, 26, 34}}};
const FISH_SIZING_TABLE FishThresholdTable50kHzFresh = {
    175,
    {{72, 80, 88}, {66, 74, 82}, {61, 69, 77}, {55, 63, 71}, {50, 58, 66}, {45, 53, 61},
     {39, 47, 55}, {34, 42, 50}, {28, 36, 44}, {23, 31, 39}, {18, 26, 34}}};

const SLOPETESTVALUE FishSlopeTestValues[S_DEPTH_BOTTOM_SLOPE_ROWS] = {{5, 240}, {4, 800}, {3, 2240}, {2, U32_MAX}};

const FISH_SIZING_TABLE* S_FISHID_pSizingTable(BEAM Beam, U32 u32TransmitFrequencyHertz, WATER_TYPE eWaterType)
{
    const bool bSalt = eWaterType != WATER_FRESH;
    switch (Beam) {
    case 0:
        if (u32TransmitFrequencyHertz == LOW_BEAM_50KHZ)
            return bSalt ? &FishThresholdTable50kHzSalt : &FishThresholdTable50kHzFresh;
        if (S_TRANSDUCER_u8CurrentTransducer(0) == TRANSDUCER_VELTRA)
            return bSalt ? &FishThresholdTable83kHzSaltVeltra : &FishThresholdTable83kHzFreshVeltra;
        return bSalt ? &FishThresholdTable83kHzSalt : &FishThresholdTable83kHzFresh;
    case 1:
        if (S_TRANSDUCER_u8CurrentTransducer(0) == TRANSDUCER_VELTRA)
            return bSalt ? &FishThresholdTable200kHzSaltVeltra : &FishThresholdTable200kHzFreshVeltra;
        return bSalt ? &FishThresholdTable200kHzSalt : &FishThresholdTable200kHzFresh;
    case 2:
    case 3:
        if (S_TRANSDUCER_u8CurrentTransducer(1) == TRANSDUCER_SARVIL)
            return bSalt ? &FishThresholdTableSarvil455kHzSalt : &FishThresholdTableSarvil455kHzFresh;
        return bSalt ? &FishThresholdTableQuadBeam455kHzSalt : &FishThresholdTableQuadBeam455kHzFresh;
    default:
        vInvalidBeam(__LINE__);
    }
}

void S_FISHID_vScanForFish(FISH_TARGET_LIST* pFishTargetList, PING_DESCRIPTOR* pReturn, WATER_TYPE eWaterType,
                           U8 u8FishSensitivity)
{
    if (pFishTargetList == nullptr || pReturn == nullptr)
        return;
    L_MUTEX_LockWait(RES_FISHID);
    const U32 u32DepthInMicroSeconds = u32SearchLimitMicroSeconds(pReturn, eWaterType);
    vExtractFishFromReturnIntoList(pReturn, &ListOfPotentialTargets, u32DepthInMicroSeconds, eWaterType,
                                   u8FishSensitivity);
    // Stable, so that of equal peaks the deeper one comes first.
    const U32 count = ListOfPotentialTargets.u8NumberOfTargets;
    std::stable_sort(ListOfPotentialTargets.target, ListOfPotentialTargets.target + count,
                     [](const FISH_TARGET& a, const FISH_TARGET& b) { return iCompareTargets(&a, &b) < 0; });
    const U32 kept = std::min(count, FISH_TARGETS_PER_LIST);
    pFishTargetList->u8NumberOfTargets = (U8)kept;
    pFishTargetList->bSimulatedFishList = FALSE;
    std::copy(ListOfPotentialTargets.target, ListOfPotentialTargets.target + kept, pFishTargetList->target);
    L_MUTEX_Unlock(RES_FISHID);
}

void S_FISHID_vMergeFishTargetLists(FISH_TARGET_LIST* pExistingFish, const FISH_TARGET_LIST* pNewFish)
{
    if (pExistingFish == nullptr || pNewFish == nullptr)
        return;
    L_MUTEX_LockWait(RES_FISHID);
    const U32 X = S_FISHID_u32HalfFootSamples();
    const U32 u32New = std::min<U32>(pNewFish->u8NumberOfTargets, FISH_TARGETS_PER_LIST);
    for (U32 n = 0; n < u32New; ++n) {
        const FISH_TARGET fish = pNewFish->target[n];
        const U32 existing = std::min<U32>(pExistingFish->u8NumberOfTargets, FISH_TARGETS_PER_LIST);
        bool bMerged = false;
        if (!fish.bIgnoreThisFish) {
            for (U32 e = 0; e < existing && !bMerged; ++e) {
                FISH_TARGET& old = pExistingFish->target[e];
                if (old.bIgnoreThisFish || S_FISHID_u32Distance(old.u32DepthInSamples, fish.u32DepthInSamples) >= X)
                    continue;
                old.u8Size = std::max(old.u8Size, fish.u8Size);
                old.beam = std::max(old.beam, fish.beam);
                bMerged = true;
            }
        }
        if (!bMerged && existing < FISH_TARGETS_PER_LIST) {
            pExistingFish->target[existing] = fish;
            pExistingFish->u8NumberOfTargets = (U8)(existing + 1);
        }
    }
    if (pNewFish->bSimulatedFishList)
        pExistingFish->bSimulatedFishList = TRUE;
    L_MUTEX_Unlock(RES_FISHID);
}

void S_FISHID_vCopyFishTargetList(FISH_TARGET_LIST* pDestination, const FISH_TARGET_LIST* pSource)
{
    if (pDestination == nullptr || pSource == nullptr || pDestination == pSource)
        return;
    const U32 count = std::min<U32>(pSource->u8NumberOfTargets, FISH_TARGETS_PER_LIST);
    pDestination->u8NumberOfTargets = (U8)count;
    pDestination->bSimulatedFishList = pSource->bSimulatedFishList;
    std::copy(pSource->target, pSource->target + count, pDestination->target);
}

int iCompareTargets(const void* pTarget1, const void* pTarget2)
{
    return (int)static_cast<const FISH_TARGET*>(pTarget2)->u8Peak -
           (int)static_cast<const FISH_TARGET*>(pTarget1)->u8Peak;
}
