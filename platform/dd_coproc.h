// The devices behind the sonar coprocessor interface: the coprocessor
// (/dev/sonar0) and the analogue inputs (/dev/ainput0, 1, 2).
//
// Without a unit root these are the unit's device files, opened and used as
// they are. Under a root they are stand-ins:
// - /dev/sonar0 is the simulated coprocessor in this process, with its
//   scene file /dev/sonar0.scene beside it, unless ROOT/dev/sonar0 is a Unix
//   socket: then it is a SOCK_SEQPACKET connection to whoever listens there
//   (one write sends one message, one read takes one message), with socket
//   buffers that hold the largest received block.
// - an analogue input that does not exist is made as a file holding the
//   reading of a connected unit (battery about 13 V, transducer thermistor at
//   about 22 degrees C, no external temperature sensor), and an existing
//   file is never rewritten. A file's reading is its first two bytes, read
//   afresh each time, so that rewriting the file changes the reading.
#pragma once

#include "kernel/l_types.h"

// Buffers of the socket form: room for a 165,251-byte block and more.
constexpr int DD_COPROC_SOCKET_BUFFER_BYTES = 176 * 1024;

// Coprocessor. Handles are above 0; -1 when the device cannot be opened.
S32 DD_COPROC_s32Open(const char* pcUnitPath);
// One write / one read, with write()'s and read()'s results.
S32 DD_COPROC_s32Write(S32 s32Handle, const U8* pau8Data, U32 u32Bytes);
S32 DD_COPROC_s32Read(S32 s32Handle, U8* pau8Data, U32 u32Bytes);

// Analogue inputs, opened read-only. Handles are above 0; -1 on failure.
S32 DD_COPROC_s32OpenInput(const char* pcUnitPath);
// One two-byte little-endian reading; FALSE when the read fails or is short.
BOOLEAN DD_COPROC_bReadInput(S32 s32Handle, U16* pu16Reading);

// Closes either kind of handle.
void DD_COPROC_vClose(S32 s32Handle);
