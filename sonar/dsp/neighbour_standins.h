// What the transmit-cycle rules ask of the transducer database, stood in
// until it is built; it answers from the same key as the real one, so that
// nothing changes for the callers when the real module replaces this file.
#pragma once

#include "kernel/l_types.h"

// The low-frequency 2D beam's frequency in hertz: "CSFL" (kHz) x 1000, 0
// when the key cannot be read.
U32 S_TRANSDUCER_u32LFBeamFrequencyHertz(void);
