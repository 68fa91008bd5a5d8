// Client calls of the serial-port task. Each mail sender returns TRUE when
// its request was sent, not when it was granted: the task decides when the
// mail arrives.
#pragma once

#include "kernel/l_types.h"

typedef U8 BYTE;

// Captures the port when it is free (or already the caller's and without
// registrations).
BOOLEAN U_UART_bAllocateChannel(U8 u8Port);
// Registers a trigger character with the semaphore to signal on a match;
// semaphore -1 asks for a forced capture.
BOOLEAN U_UART_bRegisterForChannel(U8 u8Port, BYTE byteMatchChar, SEMA semaphore);
// Gives the port back (owner only), at 4800 baud or at its initial rate.
BOOLEAN U_UART_bReleaseChannel(U8 u8Port, BOOLEAN bForce4800);
BOOLEAN U_UART_bChangeBaudRate(U8 u8Port, U32 u32BaudRate);
// Queues nSize bytes for transmission, waiting while the queue is full.
BOOLEAN U_UART_bTransmitData(U8 u8Port, const char* pcData, int nSize);
