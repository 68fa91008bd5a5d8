// Fish history: the ring of per-column fish lists, the check of a new list
// against the columns before it, and the fish alarm (see s_fishid.h).
//
// A fish shows up in several consecutive columns, a little deeper or
// shallower each time. Each new fish is looked for in the 12 columns
// before it within a window that widens by half a foot per column (at
// most a foot and a half): when found, the two are linked and only one of
// them stays visible, the shallower one unless the new one is more than
// 16 samples deeper (then the older one stays and takes the larger size).
// A fish that was not seen before must meet its sizing table's strict
// limits; the scan let it through on looser ones so that a fish already
// being followed is not lost at the edge of the table.
#include "sonar/dsp/s_fishid.h"

#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "sonar/dsp/s_depthalgorithms.h"
#include "sonar/dsp/s_fishid_internal.h"

#include <algorithm>
#include <atomic>

namespace {

// Divided by the speed of sound: the two-way time of half a foot and of a
// foot and a half of depth in microseconds.
constexpr U32 HALF_FOOT_SPEED_PRODUCT = 304800;
constexpr U32 FOOT_AND_A_HALF_SPEED_PRODUCT = 914400;
constexpr U32 SAMPLE_PERIOD_US = 26;
constexpr U32 DEEPER_THAN_ITSELF = 16; // samples; deeper again and the new sighting is hidden

std::atomic<BOOLEAN> s_bReverseScroll{FALSE};

U32 u32NewIndex(const FISH_TARGET_HISTORY* pHistory)
{
    const U32 newest = S_FISHID_u32Newest(pHistory);
    return s_bReverseScroll.load() ? S_FISHID_u32Backward(newest) : S_FISHID_u32Forward(newest);
}

U32 u32Count(const FISH_TARGET_LIST* pList)
{
    return std::min<U32>(pList->u8NumberOfTargets, FISH_TARGETS_PER_LIST);
}

BOOLEAN bMeetsItsTable(const FISH_TARGET& f)
{
    const FISH_CRITERIA& c = f.criteria;
    return f.u8Peak > c.u8MinPeakAmplitude && f.u8Peak < c.u8MaxPeakAmplitude &&
           f.criteria.u32ElongationUs >= c.u32MinElongationUs && f.criteria.u32ElongationUs <= c.u32MaxElongationUs;
}

// One earlier column, u8UpdatesBetweenCurrentAndPrevious columns back; the
// twelfth (bLastPrevious) also settles the fish that nobody saw before.
void vCheckNewTargetsAgainstHistory(FISH_TARGET_LIST* PreviousTargets, FISH_TARGET_LIST* CurrentTargets,
                                    U8 u8UpdatesBetweenCurrentAndPrevious, BOOLEAN bLastPrevious)
{
    const U32 limit =
        std::min(u8UpdatesBetweenCurrentAndPrevious * S_FISHID_u32HalfFootSamples(), S_FISHID_u32FootAndAHalfSamples());
    const U32 previous = u32Count(PreviousTargets);
    const U32 current = u32Count(CurrentTargets);
    for (U32 c = 0; c < current; ++c) {
        FISH_TARGET& C = CurrentTargets->target[c];
        if (C.pPreviousInstance != nullptr || C.bIgnoreThisFish)
            continue;
        for (U32 e = 0; e < previous; ++e) {
            FISH_TARGET& E = PreviousTargets->target[e];
            if (E.criteria.bRemovedFish)
                continue;
            if (S_FISHID_u32Distance(E.u32DepthInSamples, C.u32DepthInSamples) >= limit)
                continue;
            // A hidden sighting at or below the new fish does not claim it.
            if (E.bIgnoreThisFish && E.u32DepthInSamples >= C.u32DepthInSamples)
                continue;
            C.pPreviousInstance = &E;
            if (E.beam == 1)
                C.beam = 1;
            const U8 u8Larger = std::max(C.u8Size, E.u8Size);
            if (E.bIgnoreThisFish) {
                C.bIgnoreThisFish = TRUE;
            } else if ((U64)C.u32DepthInSamples > (U64)E.u32DepthInSamples + DEEPER_THAN_ITSELF) {
                C.bIgnoreThisFish = TRUE;
                E.u8Size = u8Larger;
            } else {
                E.bIgnoreThisFish = TRUE;
                C.u8Size = u8Larger;
            }
        }
    }
    if (!bLastPrevious)
        return;
    for (U32 c = 0; c < current; ++c) {
        FISH_TARGET& C = CurrentTargets->target[c];
        if (C.pPreviousInstance != nullptr || C.bIgnoreThisFish || bMeetsItsTable(C))
            continue;
        C.bIgnoreThisFish = TRUE;
        C.criteria.bRemovedFish = TRUE;
        C.pPreviousInstance = &C; // settled: no later check looks at it again
    }
}

} // namespace

BOOLEAN S_FISHID_bReverseScroll(void) { return s_bReverseScroll.load(); }

U32 S_FISHID_u32HalfFootSamples(void)
{
    return (HALF_FOOT_SPEED_PRODUCT / S_DEPTHALGORITHMS_u32Speed() + SAMPLE_PERIOD_US / 2) / SAMPLE_PERIOD_US;
}

U32 S_FISHID_u32FootAndAHalfSamples(void)
{
    return (FOOT_AND_A_HALF_SPEED_PRODUCT / S_DEPTHALGORITHMS_u32Speed() + SAMPLE_PERIOD_US / 2) / SAMPLE_PERIOD_US;
}

float S_FISHID_fSamplesToMetres(U32 u32Samples)
{
    return (float)S_DEPTHALGORITHMS_u32Speed() * 0.0000005f * (float)((U64)SAMPLE_PERIOD_US * u32Samples);
}

void S_FISHID_vInitialiseHistory(FISH_TARGET_HISTORY* pFishTargetHistory)
{
    if (pFishTargetHistory == nullptr)
        return;
    pFishTargetHistory->u16IndexToMostRecentTargets = 0;
    for (FISH_TARGET_LIST& column : pFishTargetHistory->Items) {
        column.u8NumberOfTargets = 0;
        column.bSimulatedFishList = FALSE;
    }
}

void S_FISHID_vSetReverseScroll(BOOLEAN bState) { s_bReverseScroll.store(bState ? TRUE : FALSE); }

void S_FISHID_vAddFishTargetListToHistory(FISH_TARGET_HISTORY* pFishTargetHistory, FISH_TARGET_LIST* pFishTargetList)
{
    if (pFishTargetHistory == nullptr || pFishTargetList == nullptr)
        return;
    L_MUTEX_LockWait(RES_FISHID);
    pFishTargetList->u8NumberOfTargets = (U8)u32Count(pFishTargetList);
    if (!pFishTargetList->bSimulatedFishList) {
        // Older columns lie backward from the newest, forward in reverse
        // scroll.
        const bool bReverse = s_bReverseScroll.load();
        U32 column = S_FISHID_u32Newest(pFishTargetHistory);
        for (U8 k = 1; k <= FISH_HISTORY_LOOKBACK; ++k) {
            vCheckNewTargetsAgainstHistory(&pFishTargetHistory->Items[column], pFishTargetList, k,
                                           k == FISH_HISTORY_LOOKBACK ? TRUE : FALSE);
            column = bReverse ? S_FISHID_u32Forward(column) : S_FISHID_u32Backward(column);
        }
    }
    const U32 next = u32NewIndex(pFishTargetHistory);
    S_FISHID_vCopyFishTargetList(&pFishTargetHistory->Items[next], pFishTargetList);
    pFishTargetHistory->u16IndexToMostRecentTargets = (U16)next;
    L_MUTEX_Unlock(RES_FISHID);
}

void S_FISHID_vDuplicateFishTargetListInHistory(FISH_TARGET_HISTORY* pFishTargetHistory)
{
    if (pFishTargetHistory == nullptr)
        return;
    L_MUTEX_LockWait(RES_FISHID);
    FISH_TARGET_LIST& from = pFishTargetHistory->Items[S_FISHID_u32Newest(pFishTargetHistory)];
    const U32 next = u32NewIndex(pFishTargetHistory);
    FISH_TARGET_LIST& to = pFishTargetHistory->Items[next];
    const U32 count = u32Count(&from);
    to.u8NumberOfTargets = (U8)count;
    to.bSimulatedFishList = from.bSimulatedFishList;
    // Only the newest copy of a fish is drawn.
    for (U32 t = 0; t < count; ++t) {
        to.target[t] = from.target[t];
        to.target[t].pPreviousInstance = &from.target[t];
        from.target[t].bIgnoreThisFish = TRUE;
    }
    pFishTargetHistory->u16IndexToMostRecentTargets = (U16)next;
    L_MUTEX_Unlock(RES_FISHID);
}

void S_FISHID_vAddEmptyFishTargetListToHistory(FISH_TARGET_HISTORY* pFishTargetHistory)
{
    if (pFishTargetHistory == nullptr)
        return;
    L_MUTEX_LockWait(RES_FISHID);
    const U32 next = u32NewIndex(pFishTargetHistory);
    pFishTargetHistory->Items[next].u8NumberOfTargets = 0;
    pFishTargetHistory->Items[next].bSimulatedFishList = FALSE;
    pFishTargetHistory->u16IndexToMostRecentTargets = (U16)next;
    L_MUTEX_Unlock(RES_FISHID);
}

void S_FISHID_vCheckAlarm(FISH_TARGET_HISTORY* pTargetHistory, FISH_SIZE_ALARM FishAlarmSize)
{
    if (pTargetHistory == nullptr || FishAlarmSize == FISH_SIZE_ALARM_OFF)
        return;
    const FISH_TARGET_LIST& newest = pTargetHistory->Items[S_FISHID_u32Newest(pTargetHistory)];
    bool bLarge = false, bMedium = false, bSmall = false;
    for (U32 t = 0; t < u32Count(&newest); ++t) {
        const FISH_TARGET& f = newest.target[t];
        if (f.bIgnoreThisFish || f.pPreviousInstance != nullptr)
            continue;
        bLarge |= f.u8Size == 2;
        bMedium |= f.u8Size == 1;
        bSmall |= f.u8Size == 0;
    }
    if (bLarge)
        L_SEMA_Signal(SEMA_FISH_ALARM_LARGE);
    else if (bMedium && FishAlarmSize != FISH_SIZE_ALARM_L)
        L_SEMA_Signal(SEMA_FISH_ALARM_MEDIUM);
    else if (bSmall && FishAlarmSize == FISH_SIZE_ALARM_SML)
        L_SEMA_Signal(SEMA_FISH_ALARM_SMALL);
}
