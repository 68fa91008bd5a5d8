// What the signal code asks of neighbouring subsystems, stood in until they
// are built. Each answers as the real one does (the same keys, the same
// files), so that nothing changes for the callers when the real module
// replaces this file.
#pragma once

#include "kernel/l_types.h"

#include <cstdio>

// The card task's buffered file layer, reading side: reads go through the
// handle's buffer, one block of the file at a time; a seek inside the block
// held is served from it. pFile is the underlying stream, for its error
// state and size.
typedef struct tag_BUFFERED_IO_CONTROL {
    FILE* pFile;
    U8* pu8Buffer;
    U32 u32BufferLength;
    U32 u32Held;     // bytes of the file in the buffer
    U32 u32Next;     // the next of them to hand out
    long lHeldFrom;  // file offset of the buffer's first byte
    BOOLEAN bOwnBuffer;
} BUFFERED_IO_CONTROL;

// Opens a unit path (resolved under the unit root) for buffered reading
// ("r" or "rb"); with a buffer of the caller's the handle uses it, else it
// has one of u32BufferLength bytes (16384 for 0). Null when the file cannot
// be opened or the mode is not a reading one.
BUFFERED_IO_CONTROL* U_MMC_psBufferedOpen(const char* pcPath, const char* pcMode, U8* pu8Buffer,
                                          U32 u32BufferLength);
// The bytes read: fewer at the end of the file or on a read error (which
// the stream keeps), 0 for a null handle.
int U_MMC_nBufferedRead(void* pvDestination, U32 u32Bytes, BUFFERED_IO_CONTROL* psHandle);
// Origin 0 start, 1 current, 2 end; 0, or -1 on failure.
int U_MMC_nBufferedSeek(BUFFERED_IO_CONTROL* psHandle, long lOffset, int nOrigin);
// The logical position: the stream's position less what is still buffered;
// -1 on failure.
long U_MMC_nBufferedTell(BUFFERED_IO_CONTROL* psHandle);
// Closes the stream and frees the handle; 0, or EOF when the close failed.
int U_MMC_nBufferedClose(BUFFERED_IO_CONTROL* psHandle);
