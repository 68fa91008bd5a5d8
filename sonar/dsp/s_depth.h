// The depth finder: where the bottom of a ping lies.
//
// S_DEPTH_u32FindDepth works on a ping's gain-corrected samples. It builds
// a detection threshold (one level for the whole ping, or a curve of
// running medians for long pings of the 2D beams and of the down beams of
// the transducers that have them), cuts out the stretches whose short
// running average stays at or above it, drops those that are too near the
// transducer, too short or too weak for their range, keeps the ten with
// the most energy and lets the beam's bottom tracker (s_depthalgorithms)
// choose among them, with a second-return test for strong shallow
// bottoms. The result is smoothed over the last half second of the beam's
// pings and returned as a two-way time in microseconds; 0 is no bottom.
//
// Sample k lies at k x P microseconds, P the ping's sample period; depth
// in metres is time x speed x 0.0000005, speed being
// g_u32SpeedOfSoundInWater. The samples of x feet are
// (trunc(x x 609600 / speed) + P / 2) / P.
//
// The trackers, the depth histories and the threshold curve live for the
// process and belong to the processing task's thread; nothing is locked.
// Beams 0-3 have a tracker and a history each, and the pings of beam 255
// a fifth of their own. Any other beam is a fatal error ("Invalid beam").
#pragma once

#include "kernel/l_types.h"
#include "sonar/dsp/s_depthalgorithms.h"
#include "sonar/dsp/s_types.h"
#include "util/u_convert.h"

// The candidates a ping keeps.
constexpr U32 S_DEPTH_CANDIDATES = 10;
// Slots of trackers and histories: beams 0-3, then beam 255.
constexpr U32 S_DEPTH_TRACKERS = 5;
constexpr U32 S_DEPTH_HISTORY_LENGTH = 5;
// Samples a ping needs beyond the search's start.
constexpr U32 S_DEPTH_END_MARGIN = 5;

// From a sample number on (counted in 26 us samples), the steepest an echo
// must rise to count: each row holds until its sample, inclusive. A table
// ends with a row valid until 0xFFFFFFFF.
typedef struct tag_SLOPETESTVALUE {
    U8 u8MinimumSlope;
    U32 u32ValidUntilSample;
} SLOPETESTVALUE;

constexpr U32 S_DEPTH_BOTTOM_SLOPE_ROWS = 4;
extern const SLOPETESTVALUE g_BottomSlopeTestValues[S_DEPTH_BOTTOM_SLOPE_ROWS];

// 256 anti-logs growing by about 0.352 dB a step, from 4 to 0xFFFFFFFF:
// the energy of a sample v levels above a reference.
constexpr U32 S_DEPTH_ANTILOG_ENTRIES = 256;
extern const U32* const g_pu32AntiLogTable;

constexpr U32 S_DEPTH_RANGES_FEET = 29;
constexpr U32 S_DEPTH_RANGES_METRES = 24;
constexpr U32 S_DEPTH_RANGES_FATHOMS = 25;
extern const U16 u16StandardDepthRangesFeet[S_DEPTH_RANGES_FEET];
extern const U16 u16StandardDepthRangesMetres[S_DEPTH_RANGES_METRES];
extern const U16 u16StandardDepthRangesFathoms[S_DEPTH_RANGES_FATHOMS];
// The range of any unit that has no table.
constexpr U16 S_DEPTH_RANGE_OTHER_UNITS = 11;

// The bottom of a ping as a two-way time in microseconds, 0 for none. The
// search runs from index u32StartSearchMicroSeconds / P to n - 5 whatever
// the stop time. Reads Beam, u32NumberOfSamples (n, at most 55,000 are
// used), pu8TvgdData, pu8RawSonarData, u32SamplePeriodMicroSeconds,
// fDepthOffsetFeet, u8Transducer, u32TransmitFrequencyHertz and
// u32TimeStampMilliSeconds, and the manual lower depth "YSLD" (metres; 0
// while the key cannot be read). A ping without buffers, with a sample
// period of 0, of 5 samples or fewer, or without a non-zero sample gives 0
// and leaves the beam's tracker and history as they were, as does a ping
// in which no target is found.
U32 S_DEPTH_u32FindDepth(const PING_DESCRIPTOR* pPing, U32 u32StartSearchMicroSeconds,
                         U32 u32StopSearchMicroSeconds);

// The depth-scale range for a depth in U_FEET, U_METRES or U_FATHOMS: the
// first of the unit's standard ranges above depth x 100 / 85 (so the depth
// fills at most 85 % of it), or the largest. S_DEPTH_RANGE_OTHER_UNITS for
// any other unit.
U16 S_DEPTH_u16SelectDepthRange(U16 u16DepthInAnyUnits, UNIT_TYPE uUnits);

// Inserts a copy of *pCandidate into a list of at most u32SizeOfList
// candidates held in order of falling u64Energy, before the first whose
// energy is not greater (so before its equals); when the list is full the
// last falls out, and a candidate that would come after it is dropped.
// *pu32CandidatesInList counts the list.
void S_DEPTH_vAddCandidateToList(TARGETCANDIDATE* pSortedCandidates, U32* pu32CandidatesInList,
                                 const TARGETCANDIDATE* pCandidate, U32 u32SizeOfList);

// The minimum slope at a sample number of a ping sampled every P us, from
// a table in 26 us samples; the ping's sample number at which the next row
// starts goes to *pu32NextSlopeChangeIndex (at most 0xFFFFFFFF, which the
// last row gives at 26 us). 0, and nothing written, for a null table or a
// period of 0.
U8 S_DEPTH_u8GetMinimumSlopeValue(U32* pu32NextSlopeChangeIndex, U32 u32SamplesSinceTransmit,
                                  const SLOPETESTVALUE* pSlopeTable, U32 u32SamplePeriodMicroseconds);

// The k-th smallest (from 0) of u32Count values, found in place (the
// values are reordered). k beyond the values gives the largest; no values
// give 0.
U8 S_DEPTH_u8GetKthSmallest(U8* pu8Values, U32 u32Count, U32 k);

// TRUE when a ping is searched against the threshold curve: more than 300
// samples on beam 0 or 1, or on beam 2 or 3 of transducer 15, 17 or 18.
BOOLEAN S_DEPTH_bUsesThresholdCurve(const PING_DESCRIPTOR* pPing);
// The single threshold: the mean of the non-zero samples rounded up; 0
// when there is none.
U8 S_DEPTH_u8SingleThreshold(const U8* pu8Samples, U32 u32Samples);
// The threshold curve of u32Samples samples into pu8Threshold: running
// medians of 25 samples spaced 10 (30 beyond 850 samples) apart, at least
// 10, scaled by 0.58823526 for transducer 8 (bScaleForTransducer8), joined
// by straight lines, and raised by the samples' average deviation from it.
void S_DEPTH_vBuildThresholdCurve(const U8* pu8Samples, U32 u32Samples, BOOLEAN bScaleForTransducer8,
                                  U8* pu8Threshold);
// The search alone: the threshold and the accepted targets of a ping from
// the start index on, strongest first, into pList; their count. Nothing of
// the trackers or histories is touched.
U32 S_DEPTH_u32FindTargets(const PING_DESCRIPTOR* pPing, U32 u32StartSearchMicroSeconds,
                           TARGETCANDIDATE pList[S_DEPTH_CANDIDATES]);

// Tests only: the trackers and histories as a fresh process has them.
void S_DEPTH_vResetForTests(void);
// Tests only: the tracker of a beam's slot (0-3, 4 for beam 255).
BOTTOMTRACKER* S_DEPTH_pTrackerForTests(U32 u32Slot);
