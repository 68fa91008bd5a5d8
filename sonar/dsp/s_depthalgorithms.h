// The bottom tracker of the depth finder: which of a ping's candidate
// echoes is the bottom, given where the bottom was.
//
// Each beam keeps one BOTTOMTRACKER. It is locked while its counter is
// above 3: consecutive pings chose a candidate inside the tracking window,
// a window around the tracked bottom (or, unlocked, around the previous
// ping's strongest echo) that grows by one foot of depth for every 100 ms
// since the last choice. A locked tracker follows the chosen echo at no
// more than ten feet of depth a second, jumps at once to an echo ten times
// stronger than the one it follows when that echo stays put, and unlocks
// after 2.5 s without a choice (5 s when the tracked bottom lies deeper
// than 600 m).
//
// Times are microseconds of two-way travel, positions sample indexes, the
// clock the pings' millisecond time stamps (which may wrap). One foot of
// depth is 609600 / speed microseconds, speed being the speed of sound in
// water in m/s. A candidate's position is its peak index, or its start
// index when the caller asks for that.
//
// Trackers belong to the caller; nothing here is locked.
#pragma once

#include "kernel/l_types.h"

// No candidate chosen.
constexpr U8 S_DEPTHALGORITHMS_NONE = 255;
// The counter above which a tracker is locked.
constexpr U8 S_DEPTHALGORITHMS_LOCKED_ABOVE = 3;
// Raw peaks above this are strong echoes (second returns, near range).
constexpr U8 S_DEPTHALGORITHMS_STRONG_RAW_PEAK = 229;

// One echo of a ping, cut out where its running average stayed at or
// above the detection threshold.
typedef struct tag_TARGETCANDIDATE {
    U32 u32StartIndex;             // first index at which the average reached the threshold
    U32 u32StopIndex;              // last index of the target
    U32 u32PeakIndex;              // the largest sample (first of equals)
    U8 u8TVGPeak;                  // that sample, gain-corrected
    U8 u8RawPeak;                  // the raw sample at the peak index
    U32 u32ElongationMicroSeconds; // how long the average stayed up
    U64 u64Energy;                 // anti-logs of the samples' height over the threshold
    U64 u64EnergyTotal;            // anti-logs of the samples themselves
} TARGETCANDIDATE;

typedef struct tag_BOTTOMTRACKER {
    U8 u8LockedCounter; // pings in a row that chose a candidate in the window, at most 255
    U8 u8TallestLockedCounter;
    U32 u32DepthWindowSizeDividedBy2;    // us
    U32 u32PrevTallestDepthMicroseconds; // the previous ping's strongest echo
    U32 u32LastLockedDepthMicroseconds;  // the tracked bottom
    U32 u32LastLockTimeMs;               // the last ping that chose a candidate
    U64 u64LockedEnergy;                 // energy of the last chosen candidate
    U64 u64TallestEnergy;
} BOTTOMTRACKER;

// The samples of x feet of depth: (trunc(x x 609600 / speed) + P / 2) / P.
// Negative below the surface; a depth that is not a number counts as 0.
// The speed is g_u32SpeedOfSoundInWater (1463 while it is 0).
S64 S_DEPTHALGORITHMS_s64FeetToSamples(double dFeet, U32 u32SamplePeriodMicroseconds);
// The speed of sound used here: g_u32SpeedOfSoundInWater, 1463 while 0.
U32 S_DEPTHALGORITHMS_u32Speed(void);

// Half the tracking window in microseconds for a reference position and
// the milliseconds since the last lock: one foot per 100 ms, 2 % of the
// reference, and a base of 1.5, 2.5, 5 or 10 ft for references shallower
// than 5, 10 and 20 ft and beyond. At most 0xFFFFFFFF.
U32 S_DEPTHALGORITHMS_u32WindowSize(U32 u32ReferenceMicroSeconds, U32 u32TimeSinceLockMs);

// Chooses the candidate of a ping (sorted strongest first) that the
// tracker follows and updates the tracker; the candidate's index, or
// S_DEPTHALGORITHMS_NONE. With no candidate, a null list or tracker, or a
// sample period of 0, nothing is chosen and the tracker stays. At most the
// first 254 candidates are looked at.
U8 S_DEPTHALGORITHMS_u8WindowTest(const TARGETCANDIDATE* pCandidates, U32 u32Candidates,
                                  U32 u32SamplePeriodMicroseconds, BOTTOMTRACKER* pBottomTrackerInfo,
                                  BOOLEAN bUsePeak, U32 u32TimeStampMs);

// The shallowest candidate whose second return (a strong echo at twice
// its position, within 7.5 % of that position but no less than 12 and no
// more than 48 samples) is among the candidates; the tracked bottom moves
// to it. S_DEPTHALGORITHMS_NONE when none has one. The modified form of
// the test is not distinguished: both flags give this test.
U8 S_DEPTHALGORITHMS_u8SecondReturnTest(const TARGETCANDIDATE* pCandidates, U32 u32Candidates,
                                        U32 u32SamplePeriodMicroseconds, BOTTOMTRACKER* pBottomTrackerInfo,
                                        BOOLEAN bUseModifiedSecondReturnTest, BOOLEAN bUsePeak);
