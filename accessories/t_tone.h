// The tone task's client side: the standard tone sequences and the custom
// bursts that alarm raisers hand it, by pointer, to play.
//
// A burst is played s32RepeatCount times (-1 without end): u32NumPulses of
// its five pulses, each a tone then a silence, and a silence between two
// repetitions. The tone task picks one of a pulse's three frequencies by
// the user's pitch setting ("STON"). The sender owns the burst and keeps it
// valid while it plays: raisers use static tables.
#pragma once

#include "kernel/l_types.h"

typedef enum tag_TONE_SEQUENCE : int {
    TONE_USE_CUSTOM = 0, // with a burst plays the burst; without one, nothing
    TONE_TEST = 1,
    TONE_START = 2,
    TONE_KEYCLICK_GOOD = 3,
    TONE_KEYCLICK_BAD = 4,
    TONE_LARGE_FISH = 5,
    TONE_MEDIUM_FISH = 6,
    TONE_SMALL_FISH = 7,
    TONE_GENERAL_ALERT = 8,
    TONE_ALARM_ALERT = 9,
    NUM_STANDARD_TONES = 10
} TONE_SEQUENCE;

typedef struct tag_TONE_FREQUENCY {
    float fHigh;   // Hz
    float fNormal; // Hz
    float fLow;    // Hz
} TONE_FREQUENCY;

typedef struct tag_TONE_PULSE {
    TONE_FREQUENCY sFreq;
    TICKS ticksToneDuration;  // ms the beeper sounds
    TICKS ticksSpaceDuration; // ms of silence after it
} TONE_PULSE;

constexpr U32 TONE_BURST_PULSES = 5;

typedef struct tag_TONE_BURST {
    U32 u32NumPulses;   // 0 to 5 used
    S32 s32RepeatCount; // -1 plays it without end
    TONE_PULSE tone[TONE_BURST_PULSES];
    TICKS ticksSpaceBetweenBurstDuration;
} TONE_BURST;
