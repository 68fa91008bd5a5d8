// The types of the data store shared by the whole system: keys, values,
// attributes, writer priorities and storage formats. The data types and
// display units themselves are those of the unit conversion.
#pragma once

#include "kernel/l_types.h"
#include "util/u_convert.h"

#include <cstdint>

// Four ASCII characters, the first in the low byte: "SLNG" is 0x474E4C53.
// The first letter gives the class by convention: S persisted setting,
// F factory item, C current state, I input data, T a task's mailbox number,
// Y sonar and transducer items.
typedef U32 FOURCHARID;

constexpr FOURCHARID FCID(const char (&s)[5])
{
    return (U32)(U8)s[0] | (U32)(U8)s[1] << 8 | (U32)(U8)s[2] << 16 | (U32)(U8)s[3] << 24;
}

// One stored value. The store copies and compares values without looking
// at them. A 32-bit value is held zero-extended in the slot, so its 32 bits
// are all that count; only a pointer (written through the pointer forms or
// to a key of type D_POINTER) fills the slot. A pointer never leaves the
// process.
typedef union tag_DB_DATA_TYPE {
    U32 RawData;
    U32 u32Val;
    S32 s32Val;
    float fVal;
    void* vpPointer;
    uintptr_t RawSlot;
} DB_DATA_TYPE;

// Writer priority, lower is stronger.
typedef enum tag_ITEM_PRIORITY {
    P_HIGHEST = 0,
    P_TESTMODE = 1,
    P_NORMAL = 2,
    P_SELECTED_GPS_OVERRIDE = 3,
    P_NETWORK_GPS = 4,
    P_GATEWAY_ATTACHED_GPS = 5,
    P_EXTERNAL_GPS = 6,
    P_INTERNAL_GPS = 7,
    P_REMOTE_EXTERNAL_GPS = 8,
    P_REMOTE_INTERNAL_GPS = 9,
    P_NMEA2K_GPS = 10,
    P_EXTERNAL_AIS = 11,
    P_EXTERNAL_AIS2 = 12,
    P_NVR = 13,
    P_DEFAULT_SETTING = 14,
    P_UNOWNED = 15
} ITEM_PRIORITY;

typedef enum tag_DATA_FORMAT {
    DF_ERROR = 0,
    DF_FLOAT = 1,
    DF_UNSIGNED32 = 2,
    DF_SIGNED32 = 3,
    DF_VOID_POINTER = 4,
    DF_ENUMERATED = 5
} DATA_FORMAT;

constexpr int DB_NUM_LANGUAGES = 22;   // every display text is a table of 22 strings
constexpr U32 DB_TIMEOUT_NEVER = 0xFFFFFFFF;

typedef struct tag_DB_ATTRIBUTES {
    DATA_TYPE DataType;
    const char* (*ppcText)[DB_NUM_LANGUAGES]; // the key's name per language; null when none
    U32 u32TimeOut; // seconds a written value stays valid; DB_TIMEOUT_NEVER; 0 with a write keeps the stored one
} DB_ATTRIBUTES;

// On a key: what its last operation did. On a subscriber: the conditions
// for which it wants mail (a condition counts only when its byte is 1).
typedef struct tag_DB_CONDITION_FLAGS {
    BOOLEAN bChanged;
    BOOLEAN bUpdated;
    BOOLEAN bInvalid;
} DB_CONDITION_FLAGS;
