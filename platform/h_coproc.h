// The sonar coprocessor interface: the device /dev/sonar0, the one transfer
// block that both directions use, and the three analogue inputs read
// beside the pings.
//
// One ping is one write and one read: the caller builds the transmit block
// in gpu8NonCachedDataBlock (all 247 bytes cleared first), sends 247 bytes,
// then receives up to H_COPROC_BLOCK_BYTES into the same block. Devices
// are opened by H_COPROC_vInitialize, which may be called any number of
// times and completes only what is missing; nothing is ever closed. No
// locks: the ping task owns the block and the readings while it pings, and
// the start-up detection and the factory test use them only in their own
// states.
//
// The analogue inputs are read at most every 500 ms (the first time at
// once), each reading published shifted left by 4 at priority 2: "AD05"
// the battery (/dev/ainput0), "AD02" the transducer temperature
// (/dev/ainput2), "AD00" the external temperature (/dev/ainput1). An input
// that cannot be opened switches the reading off (opt_noadc) for the run.
#pragma once

#include "kernel/l_types.h"

// The largest received block; the transmit block uses its first 247 bytes.
constexpr U32 H_COPROC_BLOCK_BYTES = 165251;

typedef enum tag_COPROC_DATA_DIRECTION {
    COPROC_INVALID = 0,
    SEND_TO_COPROC = 1,
    RECEIVE_FROM_COPROC = 2
} COPROC_DATA_DIRECTION;

// The transfer block, allocated once by the first initialisation.
extern U8* gpu8NonCachedDataBlock;

void H_COPROC_vInitialize(void);
// One write (send) or one read (receive) of the sonar device; the result is
// write()'s or read()'s. 0xFFFFFFFF at once for any other direction, and
// without device access while the device is not open. A receive that gave
// -1 or more than 8 bytes, or found the device closed, refreshes the
// analogue inputs.
U32 H_COPROC_u32Transfer(U8* pau8Data, U32 u32TransferSize, U32 eDirection);
BOOLEAN H_COPROC_bCoprocessorReady(void);
void H_COPROC_vReadAdcInputs(void);
// Told when pings switch between real and synthesised; nothing to do here.
void H_COPROC_vSimulate(BOOLEAN bSimulate);

// Tests only: closes the devices and forgets the readings and their time,
// as a fresh process would have them; the block stays.
void H_COPROC_vResetForTests(void);
