// Payload types and descriptors shared by the serializer tests, the fuzz
// targets and the benchmark: one of each format, a struct that mixes them
// in this machine's layout, a self-referencing list and a versioned pair.
#pragma once

#include "gmsg/datatype.h"

#include <cstddef>

namespace gt {

struct Inner {
    U8 u8Flag;
    U32 u32Value;
};

struct Sink {
    U8 u8First;
    U64 u64Big;
    C_BUFFER Buffer;
    char* pcName;
    G_DYNAMIC_ARRAY Items; // of Inner
    U16 u16Short;
    Inner In;
    double dValue;
    S32 as32Fixed[3];
    void* pvHandle;
};

struct ListNode {
    U32 u32Value;
    ListNode* pNext;
};

struct RecordV1 {
    U32 u32A;
};

struct RecordV2 {
    U32 u32A;
    U32 u32Twice; // filled from u32A when a version-1 record arrives
};

struct BigElement { // a few wire bytes, a large block in memory
    U8 u8Tag;
    U32 au32Space[1024];
};

extern const G_DATA_TYPE DT_T_ENUM16;
extern const G_DATA_TYPE DT_T_ENUM32;
extern const G_DATA_TYPE DT_T_OPAQUE6;
extern const G_DATA_TYPE DT_T_EXCLUDED8;
extern const G_DATA_TYPE DT_T_FIXED_U16X3;
extern const G_DATA_TYPE DT_T_DYN_U32;
extern const G_DATA_TYPE DT_T_NULLTERM_U16;
extern const G_DATA_TYPE DT_T_INNER;
extern const G_DATA_TYPE DT_T_DYN_INNER;
extern const G_DATA_TYPE DT_T_FIXED_S32X3;
extern const G_DATA_TYPE DT_T_SINK;
extern const G_DATA_TYPE DT_T_PTR_SINK;
extern const G_DATA_TYPE DT_T_LIST;
extern const G_DATA_TYPE DT_T_PTR_LIST;
extern const G_DATA_TYPE DT_T_RECORD_V1;
extern const G_DATA_TYPE DT_T_RECORD_V2;
extern const G_DATA_TYPE DT_T_BIG_ELEMENT;
extern const G_DATA_TYPE DT_T_DYN_BIG;
extern const G_DATA_TYPE DT_T_NAME8; // a struct with an 8-byte inline string
extern const G_DATA_TYPE DT_T_CUSTOM_U32; // its own functions: a U32 sent inverted
extern const G_DATA_TYPE DT_T_PTR_CUSTOM;

struct Name8 {
    char acName[8];
};

} // namespace gt
