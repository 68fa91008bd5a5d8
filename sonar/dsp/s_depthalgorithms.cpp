// The bottom tracker (see the header).
//
// Window sizes and movements are worked in 64 bits and saturate: after a
// long time without a lock the window grows beyond any ping, which is what
// the growth means, instead of wrapping back to a narrow window somewhere
// else.
#include "sonar/dsp/s_depthalgorithms.h"

#include "sonar/dsp/s_coproc.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr U32 DEFAULT_SPEED = 1463;
constexpr U64 MICROSECONDS_FOOT_TIMES_SPEED = 609600; // us x m/s of one foot, both ways
constexpr U32 U32_MAX = 0xFFFFFFFFu;

// Feet in tenths, so that the 1.5 ft base stays an integer.
constexpr U64 BASE_SHALLOW_LIMIT_TENTHS = 50;
constexpr U64 BASE_MID_LIMIT_TENTHS = 100;
constexpr U64 BASE_DEEP_LIMIT_TENTHS = 200;
constexpr U64 BASE_TENTHS[4] = {15, 25, 50, 100};
constexpr U64 GROWTH_MS_PER_FOOT = 100;
constexpr U32 REFERENCE_SHARE_DIVISOR = 50; // 2 %

constexpr U64 RELOCK_MIN_ENERGY = 100;
constexpr U64 RELOCK_ENERGY_FACTOR = 10;
constexpr double RELOCK_RANGE_FEET = 10.0;
constexpr U64 FOLLOW_FEET_PER_SECOND_TENTHS = 100; // 10 ft/s
constexpr U32 UNLOCK_MS = 2500;
constexpr U32 UNLOCK_DEEP_MS = 5000;
constexpr U64 DEEP_METRES = 600;

constexpr double SECOND_RETURN_SHARE = 0.075;
constexpr S64 SECOND_RETURN_MIN = 12;
constexpr S64 SECOND_RETURN_MAX = 48;
constexpr U32 MAX_LOOKED_AT = 254;

U32 u32Saturate(U64 v)
{
    return v > U32_MAX ? U32_MAX : (U32)v;
}

// Tenths of a foot as two-way microseconds, truncated as whole feet are.
U64 u64FeetTenthsToUs(U64 tenths, U32 speed)
{
    return tenths * MICROSECONDS_FOOT_TIMES_SPEED / 10 / speed;
}

U32 u32Position(const TARGETCANDIDATE& c, BOOLEAN bUsePeak)
{
    return bUsePeak ? c.u32PeakIndex : c.u32StartIndex;
}

// Milliseconds from the lock to now. A lock time ahead of now means the
// clock wrapped; the same millisecond is no time at all.
U32 u32TimeSinceLock(U32 u32LockMs, U32 u32NowMs)
{
    if (u32LockMs < u32NowMs)
        return u32NowMs - u32LockMs;
    if (u32LockMs == u32NowMs)
        return 0;
    return U32_MAX - u32LockMs + u32NowMs;
}

} // namespace

U32 S_DEPTHALGORITHMS_u32Speed(void)
{
    return S_COPROC_u32SpeedOfSound(DEFAULT_SPEED);
}

S64 S_DEPTHALGORITHMS_s64FeetToSamples(double dFeet, U32 u32SamplePeriodMicroseconds)
{
    if (u32SamplePeriodMicroseconds == 0)
        return 0;
    if (std::isnan(dFeet))
        dFeet = 0.0;
    // Far beyond any ping either way; keeps the conversion defined.
    constexpr double LIMIT_US = 1e15;
    double us = std::trunc(dFeet * (double)MICROSECONDS_FOOT_TIMES_SPEED / (double)S_DEPTHALGORITHMS_u32Speed());
    if (us > LIMIT_US)
        us = LIMIT_US;
    if (us < -LIMIT_US)
        us = -LIMIT_US;
    const S64 p = (S64)u32SamplePeriodMicroseconds;
    return ((S64)us + p / 2) / p;
}

U32 S_DEPTHALGORITHMS_u32WindowSize(U32 u32ReferenceMicroSeconds, U32 u32TimeSinceLockMs)
{
    const U32 speed = S_DEPTHALGORITHMS_u32Speed();
    const U64 ref = u32ReferenceMicroSeconds;
    U64 half = ((U64)u32TimeSinceLockMs / GROWTH_MS_PER_FOOT) * MICROSECONDS_FOOT_TIMES_SPEED / speed +
               ref / REFERENCE_SHARE_DIVISOR;
    U32 row = 3;
    if (ref < u64FeetTenthsToUs(BASE_SHALLOW_LIMIT_TENTHS, speed))
        row = 0;
    else if (ref < u64FeetTenthsToUs(BASE_MID_LIMIT_TENTHS, speed))
        row = 1;
    else if (ref < u64FeetTenthsToUs(BASE_DEEP_LIMIT_TENTHS, speed))
        row = 2;
    half += u64FeetTenthsToUs(BASE_TENTHS[row], speed);
    return u32Saturate(half);
}

U8 S_DEPTHALGORITHMS_u8WindowTest(const TARGETCANDIDATE* pCandidates, U32 u32Candidates,
                                  U32 u32SamplePeriodMicroseconds, BOTTOMTRACKER* pBottomTrackerInfo,
                                  BOOLEAN bUsePeak, U32 u32TimeStampMs)
{
    if (!pCandidates || !pBottomTrackerInfo || u32Candidates == 0 || u32SamplePeriodMicroseconds == 0)
        return S_DEPTHALGORITHMS_NONE;
    if (u32Candidates > MAX_LOOKED_AT)
        u32Candidates = MAX_LOOKED_AT;
    BOTTOMTRACKER& t = *pBottomTrackerInfo;
    const U32 P = u32SamplePeriodMicroseconds;
    const U32 speed = S_DEPTHALGORITHMS_u32Speed();

    const bool bLocked = t.u8LockedCounter > S_DEPTHALGORITHMS_LOCKED_ABOVE;
    const U32 u32Reference = bLocked ? t.u32LastLockedDepthMicroseconds : t.u32PrevTallestDepthMicroseconds;
    const U64 u64ReferenceIndex = u32Reference / P;
    const U32 u32SinceLock = u32TimeSinceLock(t.u32LastLockTimeMs, u32TimeStampMs);
    t.u32DepthWindowSizeDividedBy2 = S_DEPTHALGORITHMS_u32WindowSize(u32Reference, u32SinceLock);
    const U64 u64HalfIndexes = t.u32DepthWindowSizeDividedBy2 / P;
    const U64 u64Low = u64ReferenceIndex > u64HalfIndexes ? u64ReferenceIndex - u64HalfIndexes : 0;
    const U64 u64High = u64ReferenceIndex + u64HalfIndexes;
    auto inWindow = [&](U32 pos) { return pos > u64Low && pos < u64High; };

    if (!bLocked)
        t.u64LockedEnergy = 0;

    const TARGETCANDIDATE& strongest = pCandidates[0];
    const U32 u32Strongest = u32Position(strongest, bUsePeak);
    U8 chosen = S_DEPTHALGORITHMS_NONE;
    if (inWindow(u32Strongest)) {
        chosen = 0;
        t.u8TallestLockedCounter = 0;
        t.u64TallestEnergy = 0;
    } else {
        for (U32 i = 1; i < u32Candidates; ++i) {
            if (inWindow(u32Position(pCandidates[i], bUsePeak))) {
                chosen = (U8)i;
                break;
            }
        }
    }
    if (chosen != S_DEPTHALGORITHMS_NONE) {
        if (t.u8LockedCounter < 255)
            ++t.u8LockedCounter;
        t.u64LockedEnergy = pCandidates[chosen].u64Energy;
    }

    // A much stronger echo where the strongest was last time: the bottom
    // the tracker followed was something else.
    if (t.u8LockedCounter > S_DEPTHALGORITHMS_LOCKED_ABOVE && strongest.u64Energy > RELOCK_MIN_ENERGY &&
        strongest.u64Energy > RELOCK_ENERGY_FACTOR * t.u64LockedEnergy) {
        const S64 s64Range = S_DEPTHALGORITHMS_s64FeetToSamples(RELOCK_RANGE_FEET, P);
        const S64 s64Distance = std::llabs((S64)u32Strongest - (S64)(t.u32PrevTallestDepthMicroseconds / P));
        if (s64Distance < s64Range) {
            chosen = 0;
            t.u8LockedCounter = S_DEPTHALGORITHMS_LOCKED_ABOVE;
            t.u8TallestLockedCounter = 0;
            t.u64LockedEnergy = strongest.u64Energy;
        }
    }

    const U32 u32StrongestUs = u32Saturate((U64)u32Strongest * P);
    if (chosen == S_DEPTHALGORITHMS_NONE) {
        const bool bDeep = (U64)t.u32LastLockedDepthMicroseconds * speed > DEEP_METRES * 2000000;
        if (u32SinceLock > (bDeep ? UNLOCK_DEEP_MS : UNLOCK_MS))
            t.u8LockedCounter = 0;
        t.u32PrevTallestDepthMicroseconds = u32StrongestUs;
        return S_DEPTHALGORITHMS_NONE;
    }

    t.u32LastLockTimeMs = u32TimeStampMs;
    const U32 u32ChosenUs = u32Saturate((U64)u32Position(pCandidates[chosen], bUsePeak) * P);
    if (t.u8LockedCounter == S_DEPTHALGORITHMS_LOCKED_ABOVE) {
        t.u32LastLockedDepthMicroseconds = u32ChosenUs;
    } else if (t.u8LockedCounter > S_DEPTHALGORITHMS_LOCKED_ABOVE) {
        const U64 u64MaxStep =
            u64FeetTenthsToUs(FOLLOW_FEET_PER_SECOND_TENTHS, speed) * (U64)u32SinceLock / 1000;
        const U32 u32Now = t.u32LastLockedDepthMicroseconds;
        if (u32ChosenUs > u32Now)
            t.u32LastLockedDepthMicroseconds = u32ChosenUs - u32Now <= u64MaxStep ? u32ChosenUs
                                                                                 : u32Now + (U32)u64MaxStep;
        else
            t.u32LastLockedDepthMicroseconds = u32Now - u32ChosenUs <= u64MaxStep ? u32ChosenUs
                                                                                 : u32Now - (U32)u64MaxStep;
    }
    t.u32PrevTallestDepthMicroseconds = u32StrongestUs;
    return chosen;
}

U8 S_DEPTHALGORITHMS_u8SecondReturnTest(const TARGETCANDIDATE* pCandidates, U32 u32Candidates,
                                        U32 u32SamplePeriodMicroseconds, BOTTOMTRACKER* pBottomTrackerInfo,
                                        BOOLEAN bUseModifiedSecondReturnTest, BOOLEAN bUsePeak)
{
    (void)bUseModifiedSecondReturnTest;
    if (!pCandidates || !pBottomTrackerInfo || u32Candidates == 0 || u32SamplePeriodMicroseconds == 0)
        return S_DEPTHALGORITHMS_NONE;
    if (u32Candidates > MAX_LOOKED_AT)
        u32Candidates = MAX_LOOKED_AT;
    U8 best = S_DEPTHALGORITHMS_NONE;
    U32 u32BestPosition = 0;
    for (U32 c = 0; c < u32Candidates; ++c) {
        const U32 p = u32Position(pCandidates[c], bUsePeak);
        S64 tolerance = (S64)((double)p * SECOND_RETURN_SHARE);
        if (tolerance < SECOND_RETURN_MIN)
            tolerance = SECOND_RETURN_MIN;
        if (tolerance > SECOND_RETURN_MAX)
            tolerance = SECOND_RETURN_MAX;
        const S64 twice = 2 * (S64)p;
        bool bQualifies = false;
        for (U32 q = 0; q < u32Candidates && !bQualifies; ++q)
            bQualifies = pCandidates[q].u8RawPeak > S_DEPTHALGORITHMS_STRONG_RAW_PEAK &&
                         std::llabs((S64)u32Position(pCandidates[q], bUsePeak) - twice) < tolerance;
        if (bQualifies && (best == S_DEPTHALGORITHMS_NONE || p < u32BestPosition)) {
            best = (U8)c;
            u32BestPosition = p;
        }
    }
    if (best != S_DEPTHALGORITHMS_NONE)
        pBottomTrackerInfo->u32LastLockedDepthMicroseconds =
            u32Saturate((U64)u32BestPosition * u32SamplePeriodMicroseconds);
    return best;
}
