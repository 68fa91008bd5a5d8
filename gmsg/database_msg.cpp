// The remote data-store client. It keeps no state; every call runs in the
// calling task and sends one request from the client's registered mailbox.
#include "gmsg/database_msg.h"

#include "gmsg/u_gmsg.h"
#include "kernel/h_memory.h"
#include "kernel/lm_log.h"

namespace {

const G_DATA_TYPE* const s_FetchMembers[] = {&DT_PTR_TO_STRING, nullptr};
const G_DATA_TYPE* const s_RegisterMembers[] = {&DT_PTR_TO_STRING, &DT_UNSIGNED32, nullptr};
const G_DATA_TYPE* const s_UnregisterMembers[] = {&DT_PTR_TO_STRING, nullptr};
const G_DATA_TYPE* const s_UpdateMembers[] = {&DT_PTR_TO_STRING, &DT_BUFFER, nullptr};
const G_DATA_TYPE* const s_NewDataMembers[] = {&DT_PTR_TO_STRING, &DT_UNSIGNED32, &DT_BUFFER, nullptr};

bool hasData(const GMSG_DATABASE_NEW_DATA* p) { return p && p->Buffer.nSize > 0 && p->Buffer.pData; }

} // namespace

const G_DATA_TYPE D_GMSG_DATABASE_FETCH =
    DATATYPE_Standard("D_GMSG_DATABASE_FETCH", G_DF_STRUCT, (int)sizeof(GMSG_DATABASE_FETCH), s_FetchMembers, 1);
const G_DATA_TYPE D_GMSG_DATABASE_REGISTER = DATATYPE_Standard(
    "D_GMSG_DATABASE_REGISTER", G_DF_STRUCT, (int)sizeof(GMSG_DATABASE_REGISTER), s_RegisterMembers, 1);
const G_DATA_TYPE D_GMSG_DATABASE_UNREGISTER = DATATYPE_Standard(
    "D_GMSG_DATABASE_UNREGISTER", G_DF_STRUCT, (int)sizeof(GMSG_DATABASE_UNREGISTER), s_UnregisterMembers, 1);
const G_DATA_TYPE D_GMSG_DATABASE_UPDATE =
    DATATYPE_Standard("D_GMSG_DATABASE_UPDATE", G_DF_STRUCT, (int)sizeof(GMSG_DATABASE_UPDATE), s_UpdateMembers, 1);
const G_DATA_TYPE D_GMSG_DATABASE_NEW_DATA = DATATYPE_Standard(
    "D_GMSG_DATABASE_NEW_DATA", G_DF_STRUCT, (int)sizeof(GMSG_DATABASE_NEW_DATA), s_NewDataMembers, 1);

BOOLEAN DATABASE_bClientInitDatabase(DATABASE_CLIENT* pDatabaseClient, const GMSG_ADDRESS* pDatabaseAddress,
                                     MBOX Mailbox)
{
    if (!pDatabaseClient || !pDatabaseAddress)
        return FALSE;
    pDatabaseClient->DatabaseAddress = *pDatabaseAddress;
    pDatabaseClient->Mailbox = Mailbox;
    return TRUE;
}

BOOLEAN DATABASE_bClientRequest(DATABASE_CLIENT* pDatabaseClient, U32 eMsgId, const G_DATA_TYPE* pDataType,
                                void* pPayload, U64 u64Token)
{
    if (!pDatabaseClient)
        return FALSE;
    return U_GMSG_bRequest(pDatabaseClient->Mailbox, &pDatabaseClient->DatabaseAddress, eMsgId, pDataType, pPayload,
                           u64Token);
}

BOOLEAN DATABASE_bClientRegisterData(DATABASE_CLIENT* pDatabaseClient, const char* pcDataId, BOOLEAN bChanged,
                                     BOOLEAN bInvalid, BOOLEAN bUpdated, U64 u64Token)
{
    GMSG_DATABASE_REGISTER payload;
    payload.pDataId = pcDataId;
    payload.u32ConditionFlags = (bChanged ? DATABASE_CONDITION_CHANGED : 0) |
                                (bInvalid ? DATABASE_CONDITION_INVALID : 0) |
                                (bUpdated ? DATABASE_CONDITION_UPDATED : 0);
    return DATABASE_bClientRequest(pDatabaseClient, GMSG_ID_DATABASE_REGISTER, &D_GMSG_DATABASE_REGISTER, &payload,
                                   u64Token);
}

BOOLEAN DATABASE_bClientUnregisterData(DATABASE_CLIENT* pDatabaseClient, const char* pcDataId, U64 u64Token)
{
    GMSG_DATABASE_UNREGISTER payload = {pcDataId};
    return DATABASE_bClientRequest(pDatabaseClient, GMSG_ID_DATABASE_UNREGISTER, &D_GMSG_DATABASE_UNREGISTER,
                                   &payload, u64Token);
}

BOOLEAN DATABASE_bClientFetchData(DATABASE_CLIENT* pDatabaseClient, const char* pcDataId, U64 u64Token)
{
    GMSG_DATABASE_FETCH payload = {pcDataId};
    return DATABASE_bClientRequest(pDatabaseClient, GMSG_ID_DATABASE_FETCH, &D_GMSG_DATABASE_FETCH, &payload,
                                   u64Token);
}

BOOLEAN DATABASE_bClientUpdateData(DATABASE_CLIENT* pDatabaseClient, const char* pcDataId,
                                   const G_DATA_TYPE* pDataType, void* pData, U64 u64Token)
{
    GMSG_DATABASE_UPDATE payload;
    payload.pDataId = pcDataId;
    payload.Buffer.nSize = 0;
    payload.Buffer.pData = nullptr;
    int remaining = 0;
    const int r = pDataType && pDataType->pfSerialize
                      ? pDataType->pfSerialize(pData, &payload.Buffer.pData, &remaining, &payload.Buffer.nSize,
                                               pDataType)
                      : (int)DATATYPE_ERR_FORMAT;
    if (r < 0) {
        log_me("DATABASE_bClientUpdateData: Error Serializing Data for %s", pcDataId ? pcDataId : "(null)");
        if (payload.Buffer.pData)
            H_MEMORY_vFree(payload.Buffer.pData);
        return FALSE;
    }
    const BOOLEAN bSent = DATABASE_bClientRequest(pDatabaseClient, GMSG_ID_DATABASE_UPDATE, &D_GMSG_DATABASE_UPDATE,
                                                  &payload, u64Token);
    if (!bSent)
        log_me("DATABASE_bClientUpdateData: Error Processing Request for %s", pcDataId ? pcDataId : "(null)");
    if (payload.Buffer.pData)
        H_MEMORY_vFree(payload.Buffer.pData);
    return bSent;
}

BOOLEAN DATABASE_bGetNewData(const GMSG_DATABASE_NEW_DATA* pNewDataMsg, void** ppStruct,
                             const G_DATA_TYPE* pDataType)
{
    if (!ppStruct)
        return FALSE;
    *ppStruct = nullptr;
    if (!hasData(pNewDataMsg) || !pDataType || !pDataType->pfDeserialize)
        return FALSE;
    int remaining = pNewDataMsg->Buffer.nSize;
    int size = 0;
    const int r = pDataType->pfDeserialize(ppStruct, pNewDataMsg->Buffer.pData, &remaining, &size, pDataType);
    if (r < 0) {
        *ppStruct = nullptr;
        log_me("DATABASE_bGetNewData: Deserialization failed");
        return FALSE;
    }
    return TRUE;
}

BOOLEAN DATABASE_bFreeNewData(const GMSG_DATABASE_NEW_DATA* pNewDataMsg, void* pStruct,
                              const G_DATA_TYPE* pDataType)
{
    if (!hasData(pNewDataMsg) || !pStruct || !pDataType || !pDataType->pfDeallocate)
        return FALSE;
    if (pDataType->pfDeallocate(pStruct, TRUE, pDataType) < 0) {
        log_me("DATABASE_bFreeNewData: Deallocation failed");
        return FALSE;
    }
    return TRUE;
}
