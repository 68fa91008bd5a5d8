// Serial-port abstraction: set-up, line modes, baud rates, one-character
// send and fetch over the driver. The serial-port task is its only user.
#pragma once

#include "kernel/l_types.h"

typedef U8 BYTE;

typedef enum tag_UART_MODE {
    UART_OFF = 1,
    UART_HALF_DUPLEX_RECEIVE = 2,
    UART_HALF_DUPLEX_TRANSMIT = 3,
    UART_FULL_DUPLEX = 4
} UART_MODE;

// Microseconds to send one ten-bit character at the rate; 0 for a rate
// below 10.
U32 H_UART_u32CharacterTime(U32 u32Baud);

// Opens the port (at the rate unless it is 0), receive on, transmit off;
// returns the character time. bHalfDuplex is not used here: the task
// chooses the mode afterwards.
U32 H_UART_u32Setup(U8 u8Port, U32 u32Baud, BOOLEAN bHalfDuplex);
// Baud 0 changes nothing and returns 0; otherwise the character time of the
// requested rate, even when the driver keeps the old rate (not in its table).
U32 H_UART_u32SetBaudRate(U8 u8Port, U32 u32Baud);
void H_UART_vSetMode(U8 u8Port, UART_MODE eMode);
void H_UART_vPutChar(U8 u8Port, BYTE c);
U16 H_UART_u16FetchRx(U8 u8Port);
void H_UART_vShutdown(U8 u8Port);
