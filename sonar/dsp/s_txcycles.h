// Transmit cycles: the pulse length, in carrier periods, of a beam for the
// depth a ping must reach and the transducer that pings it. Longer pulses
// carry further; the tables and caps keep them short where the echo of
// the pulse itself would hide shallow targets.
#pragma once

#include "kernel/l_types.h"
#include "platform/h_recselect.h"

typedef struct tag_DEPTHCYCLES {
    U32 u32Depth; // whole metres, the row index
    U32 u32TxCycles;
} DEPTHCYCLES;

extern const DEPTHCYCLES gDepthCycles200kHzMapping[153];
extern const DEPTHCYCLES gDepthCycles455kHzDownBeamMapping[47];
extern const DEPTHCYCLES gDepthCycles455kHzKVMapping[17];

// Beams 0 (low-frequency 2D), 1 (200 kHz), 2 (455 kHz down) and 3 (down
// imaging); any other beam is a fatal error ("Invalid beam"). fSpeedInMPH is
// not used.
U8 S_TXCYCLES_u8CalculateTxCycles(BEAM Beam, float fDepthInMetres, float fSpeedInMPH, U32 u32Transducer);
