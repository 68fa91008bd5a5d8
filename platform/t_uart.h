// Serial-port task (task 2) and the mails of its client calls.
//
// The task owns the four ports. It moves received characters from the
// driver into one receive queue per port and queued transmit bytes out to
// the driver, and it decides which task a port belongs to: a task captures
// a port outright (or by force), or registers a trigger character for it.
// While nobody owns a port, the first character of each line is compared
// with the registered characters; a match hands the port to the registered
// task, signals its semaphore and delivers the character. An owner reads
// its port's receive queue directly (16-bit elements, the character in the
// low byte), waiting on the queue's semaphore.
#pragma once

#include "kernel/l_mbox.h"
#include "kernel/l_types.h"

#include <atomic>

typedef U8 BYTE;

constexpr MBOX MBOX_UART = 2;
constexpr TASK TASK_UART = 2;
constexpr PRIORITY TASK_UART_TABLE_PRIORITY = 70;

typedef struct tag_CONDITIONAL_CHANNEL_LOCK {
    BYTE cTriggerCharacter;
    SEMA semaNotify;
    TASK taskOwner;
    struct tag_CONDITIONAL_CHANNEL_LOCK* pNext;
} CONDITIONAL_CHANNEL_LOCK;

typedef struct tag_CHANNEL_CONTROL {
    std::atomic<TASK> taskOwner; // 0 = none; read by other tasks without a lock
    U32 u32CharacterTime;
    U32 u32CurrentBaudrate;
    CONDITIONAL_CHANNEL_LOCK* pConditionalList; // newest registration first
    BOOLEAN bFindInitialCR; // drop input until a line end
    BOOLEAN bLastCharCR;    // the next character starts a line
    BOOLEAN bHalfDuplex;
    U32 u32InitialBaudRate;
    QUEUE queueTransmit;
    QUEUE queueReceive;
    SEMA semaTransmit;
    SEMA semaReceive;
} CHANNEL_CONTROL;

// Mails to the task (all sent at mail priority 3 without a semaphore; the
// task writes its verdict into flag and frees the mail).
typedef struct tag_MSG_CHANGE_BAUD_RATE {
    GENERIC_MESSAGE msg;
    U32 baud_rate;
    U8 uart;
    BOOLEAN flag;
} MSG_CHANGE_BAUD_RATE;

typedef struct tag_MSG_DISCONNECT {
    GENERIC_MESSAGE msg;
    U8 channel;
    BOOLEAN flag; // TRUE: fall back to 4800 baud, else to the initial rate
} MSG_DISCONNECT;

typedef struct tag_MSG_CAPTURE_CHANNEL {
    GENERIC_MESSAGE msg;
    U8 uart;
    BYTE byteMatchCharacter;
    SEMA semaphore; // 0 capture, -1 forced capture, else a trigger registration
    BOOLEAN flag;
} MSG_CAPTURE_CHANNEL;

// The port's transmit (TRUE) or receive queue; -1 for a port above 3.
QUEUE T_UART_nGetQueue(U8 u8Channel, BOOLEAN bTxNotRx);
BOOLEAN T_UART_bChannelIsOwned(U8 u8Channel);
// Moves queued transmit bytes to the port (after shutdown: purges them).
void T_UART_vHandleTransmit(U8 u8Port);
void T_UART_vHandleReceive(U8 u8Port);
void T_UART_vHandleLineTurnAround(void);
void T_UART_vMain(void);
