// Transducer detection at start-up.
//
// Before the system state is chosen the start-up task asks whether a
// transducer is plugged in. An explicit transducer choice is trusted, a
// transducer whose temperature sensor reads is taken as connected, and
// otherwise up to ten short 200 kHz test pings compare the energy just
// after transmission with the noise recorded before it: six pings with the
// echo at least the margin ("SDET", 32 by default) above the noise mean a
// transducer. Attempts 0-4 publish their energy difference under
// "DET1".."DET5"; later attempts publish nothing, as there is no key for
// them. Runs once, in the start-up task, before the ping task uses the
// coprocessor.
#pragma once

#include "kernel/l_types.h"

constexpr U32 S_DETECT_MAX_ATTEMPTS = 10;
constexpr U32 S_DETECT_NEEDED_SUCCESSES = 6;
constexpr U32 S_DETECT_NOISE_SAMPLES = 256;
constexpr U32 S_DETECT_RETURN_SAMPLES = 32;
constexpr U8 S_DETECT_DEFAULT_MARGIN = 32;

BOOLEAN S_DETECT_bTransducerConnected(void);

// The margin's low byte from "SDET"; when the key is missing or 0 the
// default is written there and used.
U8 u8GetDetectDelta(U8 u8DefaultDelta);
// "AD02" exists and reads below 0xFD00 (an open sensor reads near full scale).
BOOLEAN bThermistorConnected(void);
// Mean of the bytes, truncated; 0 for none.
U8 u8AverageLevel(const U8* pau8RawData, U32 u32NumberOfSamples);
