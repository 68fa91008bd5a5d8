// Serial-port driver: the four ports as terminal devices in raw 8N1, one
// reader thread per open port that moves received bytes into a 256-byte
// ring, and plain one-byte writes. Its only user is the serial-port task
// (through H_UART) and that task's client calls.
//
// The ring of a port has one writer of each index: the reader thread
// advances putidx, the serial-port task advances getidx. It is empty when
// the two are equal and full when putidx + 1 = getidx (modulo 256), so it
// holds at most 255 bytes; a full ring stalls the reader thread (and so the
// kernel's input buffer) rather than overwrite a byte.
#pragma once

#include "kernel/l_types.h"

#include <atomic>
#include <pthread.h>

constexpr int UART_PORT_COUNT = 4;
constexpr U32 UART_RING_SIZE = 256;

typedef struct UART_INFO_STD {
    const char* dev_name;          // unit path of the device
    std::atomic<S32> dev_handle;   // <= 0: closed
    SEMA receive_sema;             // signalled when bytes enter the ring
    std::atomic<BOOLEAN> xmit_enable;
    std::atomic<pthread_t> uart_read_thread; // 0 when no reader runs
    std::atomic<U32> getidx;       // advanced by the ring's reader only
    std::atomic<U32> putidx;       // advanced by the reader thread only
    U8 qbuffer[UART_RING_SIZE];
} UART_INFO;

extern UART_INFO uart_info[UART_PORT_COUNT];

typedef struct XLAT_BAUD_STD {
    int baudrate; // bits per second
    int baudbits; // the terminal interface's speed code
} XLAT_BAUD;

void DD_UART_vInit(U8 u8Port);
void DD_UART_vChangeBaudRate(U8 u8Port, U32 u32Baud);
void DD_UART_vTxRxEnable(U8 u8Port, BOOLEAN bTransmit, BOOLEAN bReceive);
void DD_UART_vSendByte(U8 u8Port, U8 u8Byte);
// The next byte of the ring; 0xFF when it is empty (test
// DD_UART_bRxCharAvail first: 0xFF is also a valid byte).
U8 DD_UART_u8Getch(U8 u8Port);
BOOLEAN DD_UART_bRxCharAvail(U8 u8Port);
// Bytes still in the kernel's output queue; 0 for a closed port.
U32 DD_UART_u32FetchTxCount(U8 u8Port);
BOOLEAN DD_UART_bIsTxShifterEmpty(U8 u8Port);
BOOLEAN DD_UART_bTxComplete(U8 u8Port);
// Stops and joins the port's reader thread, then closes the device.
void DD_UART_vKill(U8 u8Port);

// Constant answers on this board.
BOOLEAN DD_UART_bTxBufferEmpty(U8 u8Port);
U8 DD_UART_u8GetRxStatus(U8 u8Port);
U32 DD_UART_u32ReadReceiveError(U8 u8Port);
BOOLEAN DD_UART_bIsRxIntEnabled(U8 u8Port);
