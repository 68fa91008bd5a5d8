// Descriptors of the test payload types.
#include "gmsg/tests/gmsg_test_types.h"

#include "kernel/h_memory.h"

#include <cstring>

namespace gt {

namespace {

const G_DATA_TYPE* const s_U16List[] = {&DT_UNSIGNED16, nullptr};
const G_DATA_TYPE* const s_U32List[] = {&DT_UNSIGNED32, nullptr};
const G_DATA_TYPE* const s_S32List[] = {&DT_SIGNED32, nullptr};
const G_DATA_TYPE* const s_PtrU16List[] = {&DT_PTR_TO_UNSIGNED16, nullptr};
const G_DATA_TYPE* const s_InnerMembers[] = {&DT_UNSIGNED8, &DT_UNSIGNED32, nullptr};
const G_DATA_TYPE* const s_InnerList[] = {&DT_T_INNER, nullptr};
const G_DATA_TYPE* const s_SinkMembers[] = {&DT_UNSIGNED8,    &DT_UNSIGNED64, &DT_BUFFER,
                                            &DT_PTR_TO_STRING, &DT_T_DYN_INNER, &DT_UNSIGNED16,
                                            &DT_T_INNER,      &DT_DOUBLE,     &DT_T_FIXED_S32X3,
                                            &DT_POINTER,      nullptr};
const G_DATA_TYPE* const s_SinkList[] = {&DT_T_SINK, nullptr};
const G_DATA_TYPE* const s_ListMembers[] = {&DT_UNSIGNED32, &DT_T_PTR_LIST, nullptr};
const G_DATA_TYPE* const s_ListList[] = {&DT_T_LIST, nullptr};
const G_DATA_TYPE* const s_V1Members[] = {&DT_UNSIGNED32, nullptr};
const G_DATA_TYPE* const s_V2Members[] = {&DT_UNSIGNED32, &DT_UNSIGNED32, nullptr};
const G_DATA_TYPE* const s_BigList[] = {&DT_T_BIG_ELEMENT, nullptr};
const G_DATA_TYPE DT_T_STRING8 = DATATYPE_Standard("DT_T_STRING8", G_DF_STRING, 8);
const G_DATA_TYPE* const s_Name8Members[] = {&DT_T_STRING8, nullptr};
const G_DATA_TYPE* const s_CustomList[] = {&DT_T_CUSTOM_U32, nullptr};
const G_DATA_TYPE DT_T_SPACE = DATATYPE_Standard("DT_T_SPACE", G_DF_EXCLUDED, 4096, nullptr, 0, G_DU_NONE, 4);
const G_DATA_TYPE* const s_BigMembers2[] = {&DT_UNSIGNED8, &DT_T_SPACE, nullptr};

int convertV1(void* pvTarget, void* pvOld, const G_DATA_TYPE*, const G_DATA_TYPE*)
{
    RecordV1 old;
    memcpy(&old, pvOld, sizeof old);
    RecordV2 now{old.u32A, old.u32A * 2};
    memcpy(pvTarget, &now, sizeof now);
    return 0;
}

constexpr G_DATA_TYPE makeV1()
{
    G_DATA_TYPE t = DATATYPE_Standard("DT_T_RECORD_V1", G_DF_STRUCT, sizeof(RecordV1), s_V1Members, 1);
    t.pfVersionConvert = convertV1;
    return t;
}

constexpr G_DATA_TYPE makeV2()
{
    G_DATA_TYPE t = DATATYPE_Standard("DT_T_RECORD_V2", G_DF_STRUCT, sizeof(RecordV2), s_V2Members, 2);
    t.pPreviousVersionType = &DT_T_RECORD_V1;
    return t;
}

int customAlign(ALIGN_TYPE, const G_DATA_TYPE*) { return 4; }
int customLength(void*, const G_DATA_TYPE*) { return 4; }

int customSerialize(void* pv, void** ppvOut, int* pnRemaining, int* pnSize, const G_DATA_TYPE*)
{
    if (*pnRemaining < 4)
        return DATATYPE_ERR_NO_ROOM;
    U32 v;
    memcpy(&v, pv, 4);
    v = ~v;
    U8* out = (U8*)*ppvOut;
    for (int i = 0; i < 4; ++i)
        out[i] = (U8)(v >> (8 * i));
    *pnRemaining -= 4;
    *pnSize += 4;
    return 4;
}

int customDeserialize(void** ppv, void* pvIn, int* pnRemaining, int* pnSize, const G_DATA_TYPE*)
{
    if (*pnRemaining < 4)
        return DATATYPE_ERR_MALFORMED;
    const U8* in = (const U8*)pvIn;
    U32 v = ~((U32)in[0] | ((U32)in[1] << 8) | ((U32)in[2] << 16) | ((U32)in[3] << 24));
    if (!*ppv)
        *ppv = H_MEMORY_pvMalloc(4);
    memcpy(*ppv, &v, 4);
    *pnRemaining -= 4;
    *pnSize += 4;
    return 4;
}

int customFree(void* pv, BOOLEAN bTypeAllocated, const G_DATA_TYPE*)
{
    if (bTypeAllocated && pv)
        H_MEMORY_vFree(pv);
    return 0;
}

constexpr G_DATA_TYPE makeCustom()
{
    G_DATA_TYPE t = DATATYPE_Standard("DT_T_CUSTOM_U32", G_DF_CUSTOM, 4);
    t.pfSerialize = customSerialize;
    t.pfDeserialize = customDeserialize;
    t.pfLength = customLength;
    t.pfDeallocate = customFree;
    t.pfAlignment = customAlign;
    return t;
}

} // namespace

const G_DATA_TYPE DT_T_ENUM16 = DATATYPE_Standard("DT_T_ENUM16", G_DF_ENUM, 2);
const G_DATA_TYPE DT_T_ENUM32 = DATATYPE_Standard("DT_T_ENUM32", G_DF_ENUM, 4);
const G_DATA_TYPE DT_T_OPAQUE6 = DATATYPE_Standard("DT_T_OPAQUE6", G_DF_OPAQUE, 6, nullptr, 0, G_DU_NONE, 4);
const G_DATA_TYPE DT_T_EXCLUDED8 = DATATYPE_Standard("DT_T_EXCLUDED8", G_DF_EXCLUDED, 8, nullptr, 0, G_DU_NONE, 4);
const G_DATA_TYPE DT_T_FIXED_U16X3 = DATATYPE_Standard("DT_T_FIXED_U16X3", G_DF_FIXED_ARRAY, 6, s_U16List);
const G_DATA_TYPE DT_T_DYN_U32 =
    DATATYPE_Standard("DT_T_DYN_U32", G_DF_DYNAMIC_ARRAY, sizeof(G_DYNAMIC_ARRAY), s_U32List);
const G_DATA_TYPE DT_T_NULLTERM_U16 =
    DATATYPE_Standard("DT_T_NULLTERM_U16", G_DF_NULL_TERM_PTR_ARRAY, sizeof(void*), s_PtrU16List);
const G_DATA_TYPE DT_T_INNER = DATATYPE_Standard("DT_T_INNER", G_DF_STRUCT, sizeof(Inner), s_InnerMembers, 1);
const G_DATA_TYPE DT_T_DYN_INNER =
    DATATYPE_Standard("DT_T_DYN_INNER", G_DF_DYNAMIC_ARRAY, sizeof(G_DYNAMIC_ARRAY), s_InnerList);
const G_DATA_TYPE DT_T_FIXED_S32X3 = DATATYPE_Standard("DT_T_FIXED_S32X3", G_DF_FIXED_ARRAY, 12, s_S32List);
const G_DATA_TYPE DT_T_SINK = DATATYPE_Standard("DT_T_SINK", G_DF_STRUCT, sizeof(Sink), s_SinkMembers, 3);
const G_DATA_TYPE DT_T_PTR_SINK = DATATYPE_Standard("DT_T_PTR_SINK", G_DF_POINTER_TO_TYPE, sizeof(void*), s_SinkList);
const G_DATA_TYPE DT_T_LIST = DATATYPE_Standard("DT_T_LIST", G_DF_STRUCT, sizeof(ListNode), s_ListMembers, 1);
const G_DATA_TYPE DT_T_PTR_LIST = DATATYPE_Standard("DT_T_PTR_LIST", G_DF_POINTER_TO_TYPE, sizeof(void*), s_ListList);
const G_DATA_TYPE DT_T_RECORD_V1 = makeV1();
const G_DATA_TYPE DT_T_RECORD_V2 = makeV2();
const G_DATA_TYPE DT_T_BIG_ELEMENT =
    DATATYPE_Standard("DT_T_BIG_ELEMENT", G_DF_STRUCT, sizeof(BigElement), s_BigMembers2, 1);
const G_DATA_TYPE DT_T_DYN_BIG =
    DATATYPE_Standard("DT_T_DYN_BIG", G_DF_DYNAMIC_ARRAY, sizeof(G_DYNAMIC_ARRAY), s_BigList);
const G_DATA_TYPE DT_T_NAME8 = DATATYPE_Standard("DT_T_NAME8", G_DF_STRUCT, sizeof(Name8), s_Name8Members, 1);
const G_DATA_TYPE DT_T_CUSTOM_U32 = makeCustom();
const G_DATA_TYPE DT_T_PTR_CUSTOM =
    DATATYPE_Standard("DT_T_PTR_CUSTOM", G_DF_POINTER_TO_TYPE, sizeof(void*), s_CustomList);

} // namespace gt
