// Basic types of the whole system: fixed-width numbers, BOOLEAN, the kernel
// object ids and the kernel result codes. Kernel calls return 0 or a negated
// LINUX_SVC_RETURN_CODES value.
#pragma once

#include <cstddef>
#include <cstdint>

typedef uint8_t U8;
typedef uint16_t U16;
typedef uint32_t U32;
typedef uint64_t U64;
typedef int8_t S8;
typedef int16_t S16;
typedef int32_t S32;
typedef int64_t S64;
typedef U8 BOOLEAN;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

typedef S32 ERC;      // 0 or a negated LINUX_SVC_RETURN_CODES value
typedef S32 TASK;     // 1..69 tasks, 70 the main thread and every plain thread
typedef S32 MBOX;     // 1..71
typedef S32 SEMA;     // 1..280
typedef S32 MUTEX;    // 1..104
typedef MUTEX RESOURCE;
typedef MUTEX GMUTEX;
typedef S32 QUEUE;    // 1..12
typedef S32 MAP;      // 1..8 memory partitions
typedef U32 TICKS;    // 1 ms
typedef U16 PRIORITY; // mail priority, lower first

enum LINUX_SVC_RETURN_CODES {
    lsSUCCESS = 0,
    lsTIMEOUT = 1,
    lsSEMA_INVALID = 2,
    lsSEMA_OVERRUN = 3,
    lsSEMA_PENDING = 4,
    lsSEMA_DONE = 5,
    lsSEMA_WAIT_CONFLICT = 6,
    lsTASK_INVALID = 7,
    lsTASK_PARAMS = 8,
    lsTASK_MEMORY = 9,
    lsTASK_START = 10,
    lsNO_TIMER = 11,
    lsTIMER_ILLEGAL = 12,
    lsTIMER_UNINIT = 13,
    lsTIMER_INACTIVE = 14,
    lsNO_CLOCK = 15,
    lsQUEUE_INVALID = 16,
    lsQCOND_INVALID = 17,
    lsQUEUE_NO_MEMORY = 18,
    lsQUEUE_FULL = 19,
    lsQUEUE_EMPTY = 20,
    lsMUTEX_INVALID = 21,
    lsMUTEX_BUSY = 22,
    lsMUTEX_NESTED = 23,
    lsMAP_INVALID = 24,
    lsMAP_CROSSED = 25,
    lsMAP_NO_MEMORY = 26,
    lsMAP_NONE_AVAIL = 27,
    lsMBOX_INVALID = 28,
    lsCOUNT = 29
};

// Kernel object counts of this configuration.
constexpr int ntasks = 69;
constexpr int nmboxes = 71;
constexpr int nsemas = 280;
constexpr int nres = 104;
constexpr int nqueues = 12;
constexpr int ntmrs = 50;
constexpr int nmaps = 0;
constexpr int dnmaps = 8;

// A point: Mercator metres for positions, pixels when it addresses a bitmap.
typedef struct tag_POINT {
    S32 x;
    S32 y;
} POINT;

constexpr TASK TASK_MAINTHREAD = 70; // id of the main thread and of plain threads
