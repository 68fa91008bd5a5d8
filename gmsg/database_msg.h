// The remote data-store client: GMSG requests through which a task
// subscribes to, reads and writes named items of a data store held by
// another unit, and the unpacking of the change notices such a store sends
// back. Items are named by strings; an item's value travels as a buffer
// holding its own serialized form, whose payload type the two tasks agree
// on. Only the client side exists in this system.
//
// Every payload is a struct of version 1. On the wire a register request is
// U32 1, the name as a pointer form (U32 0x87654321, the characters, a 0
// byte), then the U32 condition flags.
#pragma once

#include "gmsg/datatype.h"
#include "gmsg/gmsg.h"
#include "kernel/l_types.h"

constexpr U32 GMSG_ID_DATABASE_UNKNOWN = GMSG_MAKE_ID(SERVICE_CLASS_DATABASE, 0);
constexpr U32 GMSG_ID_DATABASE_LAST = GMSG_MAKE_ID(SERVICE_CLASS_DATABASE, 6);

// Subscription conditions, as the data store's.
constexpr U32 DATABASE_CONDITION_CHANGED = 0x1;
constexpr U32 DATABASE_CONDITION_INVALID = 0x2;
constexpr U32 DATABASE_CONDITION_UPDATED = 0x4;

typedef struct tag_DATABASE_CLIENT {
    GMSG_ADDRESS DatabaseAddress; // the serving unit's end point
    MBOX Mailbox;                 // the client task's registered mailbox, which gets the replies
} DATABASE_CLIENT;

typedef struct tag_GMSG_DATABASE_FETCH {
    const char* pDataId;
} GMSG_DATABASE_FETCH;

typedef struct tag_GMSG_DATABASE_REGISTER {
    const char* pDataId;
    U32 u32ConditionFlags;
} GMSG_DATABASE_REGISTER;

typedef struct tag_GMSG_DATABASE_UNREGISTER {
    const char* pDataId;
} GMSG_DATABASE_UNREGISTER;

typedef struct tag_GMSG_DATABASE_UPDATE {
    const char* pDataId;
    C_BUFFER Buffer; // the value, serialized
} GMSG_DATABASE_UPDATE;

typedef struct tag_GMSG_DATABASE_NEW_DATA {
    const char* pDataId;
    U32 bValid;
    C_BUFFER Buffer;
} GMSG_DATABASE_NEW_DATA;

extern const G_DATA_TYPE D_GMSG_DATABASE_FETCH;
extern const G_DATA_TYPE D_GMSG_DATABASE_REGISTER;
extern const G_DATA_TYPE D_GMSG_DATABASE_UNREGISTER;
extern const G_DATA_TYPE D_GMSG_DATABASE_UPDATE;
extern const G_DATA_TYPE D_GMSG_DATABASE_NEW_DATA;

BOOLEAN DATABASE_bClientInitDatabase(DATABASE_CLIENT* pDatabaseClient, const GMSG_ADDRESS* pDatabaseAddress,
                                     MBOX Mailbox);
BOOLEAN DATABASE_bClientRegisterData(DATABASE_CLIENT* pDatabaseClient, const char* pcDataId, BOOLEAN bChanged,
                                     BOOLEAN bInvalid, BOOLEAN bUpdated, U64 u64Token);
BOOLEAN DATABASE_bClientUnregisterData(DATABASE_CLIENT* pDatabaseClient, const char* pcDataId, U64 u64Token);
BOOLEAN DATABASE_bClientFetchData(DATABASE_CLIENT* pDatabaseClient, const char* pcDataId, U64 u64Token);
BOOLEAN DATABASE_bClientUpdateData(DATABASE_CLIENT* pDatabaseClient, const char* pcDataId,
                                   const G_DATA_TYPE* pDataType, void* pData, U64 u64Token);
// Decodes the value of a change notice into a new value (*ppStruct, null on
// FALSE); free it with DATABASE_bFreeNewData.
BOOLEAN DATABASE_bGetNewData(const GMSG_DATABASE_NEW_DATA* pNewDataMsg, void** ppStruct,
                             const G_DATA_TYPE* pDataType);
BOOLEAN DATABASE_bFreeNewData(const GMSG_DATABASE_NEW_DATA* pNewDataMsg, void* pStruct,
                              const G_DATA_TYPE* pDataType);
BOOLEAN DATABASE_bClientRequest(DATABASE_CLIENT* pDatabaseClient, U32 eMsgId, const G_DATA_TYPE* pDataType,
                                void* pPayload, U64 u64Token);
