// The serializer: the wire form of every format, round trips, the layout of
// mixed structs on this machine, every error result, bounded reading of bad
// data, versions, alignment, compatibility and units.
#include "gmsg/datatype.h"
#include "gmsg/tests/gmsg_test_types.h"
#include "gmsg/tests/gmsg_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

using namespace gt;

namespace {

// ------------------------------------------------------------ golden bytes

U64 g_u64 = 0x0102030405060708ull;
S64 g_s64 = -2;
double g_double = 1.0;
U32 g_u32 = 0xA1B2C3D4u;
S32 g_s32 = -1;
U32 g_enum32 = 3;
U16 g_enum16 = 0x0102;
float g_float = 1.5f;
void* g_pointer = (void*)(uintptr_t)0x12345678u;
U8 g_boolean = 1;
U16 g_u16 = 0xBEEF;
S16 g_s16 = -2;
U8 g_u8 = 0x7F;
S8 g_s8 = -128;
char g_string[] = "abc";
U32 g_wstring[] = {0x41, 0x20AC, 0};
char g_bufferData[] = "xyz";
C_BUFFER g_buffer = {3, g_bufferData};
U8 g_opaque[6] = {1, 2, 3, 4, 5, 6};
U8 g_excluded[8] = {9, 9, 9, 9, 9, 9, 9, 9};
U16 g_fixed[3] = {1, 2, 0xFFFF};
U32 g_dynData[2] = {7, 0x100};
G_DYNAMIC_ARRAY g_dyn = {2, g_dynData};
U16 g_ntA = 0xAAAA, g_ntB = 0xBBBB;
void* g_ntArray[] = {&g_ntA, &g_ntB, nullptr};
void* g_ntSlot = g_ntArray;
char* g_ptrString = g_string;
Inner g_inner = {5, 0x11223344};
U32 g_customValue = 0x0F;
void* g_ptrCustom = &g_customValue;

struct Golden {
    const char* what;
    const G_DATA_TYPE* type;
    const void* value;
    const char* wire;
};

const Golden kGolden[] = {
    {"unsigned 64", &DT_UNSIGNED64, &g_u64, "08 07 06 05 04 03 02 01"},
    {"signed 64", &DT_SIGNED64, &g_s64, "FE FF FF FF FF FF FF FF"},
    {"double", &DT_DOUBLE, &g_double, "00 00 00 00 00 00 F0 3F"},
    {"unsigned 32", &DT_UNSIGNED32, &g_u32, "D4 C3 B2 A1"},
    {"signed 32", &DT_SIGNED32, &g_s32, "FF FF FF FF"},
    {"enum of 4 bytes", &DT_T_ENUM32, &g_enum32, "03 00 00 00"},
    {"enum of 2 bytes", &DT_T_ENUM16, &g_enum16, "02 01"},
    {"float", &DT_FLOAT, &g_float, "00 00 C0 3F"},
    {"void pointer, 4 bytes on the wire", &DT_POINTER, &g_pointer, "78 56 34 12"},
    {"boolean", &DT_BOOLEAN, &g_boolean, "01"},
    {"unsigned 16", &DT_UNSIGNED16, &g_u16, "EF BE"},
    {"signed 16", &DT_SIGNED16, &g_s16, "FE FF"},
    {"unsigned 8", &DT_UNSIGNED8, &g_u8, "7F"},
    {"signed 8", &DT_SIGNED8, &g_s8, "80"},
    {"string", &DT_STRING, g_string, "61 62 63 00"},
    {"wide string", &DT_WSTRING, g_wstring, "41 00 00 00 AC 20 00 00 00 00 00 00"},
    {"buffer", &DT_BUFFER, &g_buffer, "03 00 00 00 78 79 7A"},
    {"opaque", &DT_T_OPAQUE6, g_opaque, "01 02 03 04 05 06"},
    {"excluded", &DT_T_EXCLUDED8, g_excluded, ""},
    {"fixed array", &DT_T_FIXED_U16X3, g_fixed, "01 00 02 00 FF FF"},
    {"dynamic array", &DT_T_DYN_U32, &g_dyn, "02 00 00 00 07 00 00 00 00 01 00 00"},
    {"null-terminated pointer array", &DT_T_NULLTERM_U16, &g_ntSlot,
     "02 00 00 00 21 43 65 87 AA AA 21 43 65 87 BB BB"},
    {"pointer to a string", &DT_PTR_TO_STRING, &g_ptrString, "21 43 65 87 61 62 63 00"},
    {"struct", &DT_T_INNER, &g_inner, "01 00 00 00 05 44 33 22 11"},
    {"custom behind a pointer", &DT_T_PTR_CUSTOM, &g_ptrCustom, "21 43 65 87 F0 FF FF FF"},
};

TEST(Serializer, EveryFormatHasItsWireFormAndComesBackUnchanged)
{
    for (const Golden& g : kGolden) {
        SCOPED_TRACE(g.what);
        const Bytes wire = hex(g.wire);
        Bytes out;
        ASSERT_EQ(serialize(g.value, g.type, out), (int)wire.size());
        EXPECT_EQ(out, wire);
        EXPECT_EQ(g.type->pfLength(const_cast<void*>(g.value), g.type), (int)wire.size());

        void* back = nullptr;
        int consumed = -1;
        ASSERT_EQ(deserialize(wire, g.type, &back, &consumed), (int)wire.size());
        EXPECT_EQ(consumed, (int)wire.size());
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(serialized(back, g.type), wire);
        EXPECT_EQ(g.type->pfDeallocate(back, TRUE, g.type), 0);
    }
}

TEST(Serializer, DecodedValuesMatchTheOriginals)
{
    void* v = nullptr;
    ASSERT_GT(deserialize(hex("21 43 65 87 61 62 63 00"), &DT_PTR_TO_STRING, &v), 0);
    EXPECT_STREQ(*(char**)v, "abc");
    DT_PTR_TO_STRING.pfDeallocate(v, TRUE, &DT_PTR_TO_STRING);

    v = nullptr;
    ASSERT_GT(deserialize(hex("02 00 00 00 21 43 65 87 AA AA 21 43 65 87 BB BB"), &DT_T_NULLTERM_U16, &v), 0);
    U16** arr = *(U16***)v;
    ASSERT_NE(arr, nullptr);
    EXPECT_EQ(*arr[0], 0xAAAA);
    EXPECT_EQ(*arr[1], 0xBBBB);
    EXPECT_EQ(arr[2], nullptr);
    DT_T_NULLTERM_U16.pfDeallocate(v, TRUE, &DT_T_NULLTERM_U16);

    v = nullptr;
    ASSERT_GT(deserialize(hex("78 56 34 12"), &DT_POINTER, &v), 0);
    EXPECT_EQ(*(void**)v, (void*)(uintptr_t)0x12345678u);
    DT_POINTER.pfDeallocate(v, TRUE, &DT_POINTER);
}

TEST(Serializer, EdgeFormsOfEmptyAndNullValues)
{
    char* none = nullptr;
    EXPECT_EQ(serialized(&none, &DT_PTR_TO_STRING), hex("00 00 00 00"));

    G_DYNAMIC_ARRAY empty = {0, nullptr};
    EXPECT_EQ(serialized(&empty, &DT_T_DYN_U32), hex("00 00 00 00"));
    G_DYNAMIC_ARRAY back = {5, (void*)&back};
    void* into = &back;
    EXPECT_EQ(deserialize(hex("00 00 00 00"), &DT_T_DYN_U32, &into), 4);
    EXPECT_EQ(back.nCount, 0);
    EXPECT_EQ(back.pvElements, nullptr);

    C_BUFFER nothing = {0, nullptr};
    EXPECT_EQ(serialized(&nothing, &DT_BUFFER), hex("00 00 00 00"));

    // A count below zero on the wire means no elements.
    into = &back;
    EXPECT_EQ(deserialize(hex("FF FF FF FF"), &DT_T_DYN_U32, &into), 4);
    EXPECT_EQ(back.pvElements, nullptr);

    // Only 0 is null: any other word announces the pointee.
    void* v = nullptr;
    ASSERT_EQ(deserialize(hex("01 00 00 00 61 00"), &DT_PTR_TO_STRING, &v), 6);
    EXPECT_STREQ(*(char**)v, "a");
    DT_PTR_TO_STRING.pfDeallocate(v, TRUE, &DT_PTR_TO_STRING);
}

TEST(Serializer, ExcludedMemberTakesNoBytesAndReturnsAsZeros)
{
    static BigElement big;
    big.u8Tag = 7;
    memset(big.au32Space, 0xCC, sizeof big.au32Space);
    const Bytes wire = serialized(&big, &DT_T_BIG_ELEMENT);
    EXPECT_EQ(wire, hex("01 00 00 00 07"));
    void* v = nullptr;
    ASSERT_EQ(deserialize(wire, &DT_T_BIG_ELEMENT, &v), 5);
    const BigElement* back = (const BigElement*)v;
    EXPECT_EQ(back->u8Tag, 7);
    for (U32 w : back->au32Space)
        ASSERT_EQ(w, 0u);
    DT_T_BIG_ELEMENT.pfDeallocate(v, TRUE, &DT_T_BIG_ELEMENT);
}

// ---------------------------------------------------- mixed struct layout

Sink makeSink(std::vector<Inner>& items, char* name, U8* bufferData)
{
    Sink s;
    memset(&s, 0, sizeof s);
    s.u8First = 0x11;
    s.u64Big = 0x8877665544332211ull;
    s.Buffer = {2, bufferData};
    s.pcName = name;
    s.Items = {(int)items.size(), items.data()};
    s.u16Short = 0x1234;
    s.In = {0, 0xFFFFFFFFu};
    s.dValue = 2.0;
    s.as32Fixed[0] = 1;
    s.as32Fixed[1] = -1;
    s.as32Fixed[2] = 2;
    s.pvHandle = (void*)(uintptr_t)0xDEADBEEFu;
    return s;
}

const char* kSinkWire = "03 00 00 00"                           // version
                        "11"                                    // u8First
                        "11 22 33 44 55 66 77 88"               // u64Big
                        "02 00 00 00 AB CD"                     // Buffer
                        "21 43 65 87 68 69 00"                  // pcName
                        "01 00 00 00 01 00 00 00 01 02 00 00 00" // Items
                        "34 12"                                 // u16Short
                        "01 00 00 00 00 FF FF FF FF"            // In
                        "00 00 00 00 00 00 00 40"               // dValue
                        "01 00 00 00 FF FF FF FF 02 00 00 00"   // as32Fixed
                        "EF BE AD DE";                          // pvHandle

TEST(Serializer, MembersAreFoundWhereThisMachineLaysThemOut)
{
    std::vector<Inner> items = {{1, 2}};
    char name[] = "hi";
    U8 data[] = {0xAB, 0xCD};
    Sink s = makeSink(items, name, data);
    const Bytes wire = hex(kSinkWire);
    EXPECT_EQ(serialized(&s, &DT_T_SINK), wire);

    void* v = nullptr;
    ASSERT_EQ(deserialize(wire, &DT_T_SINK, &v), (int)wire.size());
    const Sink* b = (const Sink*)v;
    EXPECT_EQ(b->u8First, 0x11);
    EXPECT_EQ(b->u64Big, 0x8877665544332211ull);
    ASSERT_EQ(b->Buffer.nSize, 2);
    EXPECT_EQ(memcmp(b->Buffer.pData, data, 2), 0);
    EXPECT_STREQ(b->pcName, "hi");
    ASSERT_EQ(b->Items.nCount, 1);
    EXPECT_EQ(((Inner*)b->Items.pvElements)[0].u32Value, 2u);
    EXPECT_EQ(b->u16Short, 0x1234);
    EXPECT_EQ(b->In.u32Value, 0xFFFFFFFFu);
    EXPECT_EQ(b->dValue, 2.0);
    EXPECT_EQ(b->as32Fixed[1], -1);
    EXPECT_EQ(b->pvHandle, (void*)(uintptr_t)0xDEADBEEFu);
    DT_T_SINK.pfDeallocate(v, TRUE, &DT_T_SINK);
}

// ---------------------------------------------------------- bad payloads

TEST(Serializer, EveryTruncationOfAValueIsRefusedWithoutLeaks)
{
    std::vector<Bytes> wires = {hex(kSinkWire)};
    for (const Golden& g : kGolden)
        wires.push_back(hex(g.wire));
    const G_DATA_TYPE* types[] = {&DT_T_SINK};
    for (size_t w = 0; w < wires.size(); ++w) {
        const G_DATA_TYPE* t = w == 0 ? types[0] : kGolden[w - 1].type;
        for (size_t len = 0; len < wires[w].size(); ++len) {
            SCOPED_TRACE(std::string(t->pTypeId) + " cut to " + std::to_string(len));
            Bytes cut(wires[w].begin(), wires[w].begin() + (long)len);
            void* v = nullptr;
            EXPECT_EQ(deserialize(cut, t, &v), DATATYPE_ERR_MALFORMED);
            EXPECT_EQ(v, nullptr);
        }
    }
}

TEST(Serializer, ImpossibleCountsAndLengthsAreRefused)
{
    struct Case {
        const char* what;
        const G_DATA_TYPE* type;
        Bytes wire;
        int result;
    };
    Bytes bigArray = hex("2C 01 00 00"); // 300 elements of 5 wire bytes, 4100 bytes each in memory
    for (int i = 0; i < 300; ++i) {
        const Bytes element = hex("01 00 00 00 07");
        bigArray.insert(bigArray.end(), element.begin(), element.end());
    }
    const Case cases[] = {
        {"buffer longer than the data", &DT_BUFFER, hex("F0 FF FF FF 01 02"), DATATYPE_ERR_MALFORMED},
        {"array count beyond the data", &DT_T_DYN_U32, hex("E8 03 00 00 01 00 00 00 02 00 00 00"),
         DATATYPE_ERR_MALFORMED},
        {"huge array count", &DT_T_DYN_INNER, hex("FF FF FF 7F"), DATATYPE_ERR_MALFORMED},
        {"null element inside a null-terminated array", &DT_T_NULLTERM_U16,
         hex("02 00 00 00 21 43 65 87 AA AA 00 00 00 00"), DATATYPE_ERR_MALFORMED},
        {"string without terminator", &DT_PTR_TO_STRING, hex("21 43 65 87 61 62 63"), DATATYPE_ERR_MALFORMED},
        {"wide string without terminator", &DT_PTR_TO_WSTRING, hex("21 43 65 87 41 00 00 00 00 00"),
         DATATYPE_ERR_MALFORMED},
        {"array whose memory exceeds the largest block", &DT_T_DYN_BIG, bigArray, DATATYPE_ERR_LIMIT},
        {"inline string longer than its field", &DT_T_NAME8, hex("01 00 00 00 61 62 63 64 65 66 67 68 00"),
         DATATYPE_ERR_LIMIT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        void* v = nullptr;
        EXPECT_EQ(deserialize(c.wire, c.type, &v), c.result);
        EXPECT_EQ(v, nullptr);
    }

    void* v = nullptr;
    ASSERT_EQ(deserialize(hex("01 00 00 00 61 62 63 64 65 66 67 00"), &DT_T_NAME8, &v), 12);
    EXPECT_STREQ(((Name8*)v)->acName, "abcdefg");
    DT_T_NAME8.pfDeallocate(v, TRUE, &DT_T_NAME8);
}

Bytes listWire(int nodes)
{
    Bytes wire;
    for (int i = 0; i < nodes; ++i) {
        const Bytes node = hex("21 43 65 87 01 00 00 00 2A 00 00 00"); // pointer, version, value
        wire.insert(wire.end(), node.begin(), node.end());
    }
    const Bytes end = hex("00 00 00 00");
    wire.insert(wire.end(), end.begin(), end.end());
    return wire;
}

TEST(Serializer, NestingIsBoundedAndAFailedDeepValueIsFreed)
{
    void* v = nullptr;
    const Bytes shallow = listWire(20);
    ASSERT_EQ(deserialize(shallow, &DT_T_PTR_LIST, &v), (int)shallow.size());
    int length = 0;
    for (const ListNode* n = *(ListNode**)v; n; n = n->pNext, ++length)
        EXPECT_EQ(n->u32Value, 42u);
    EXPECT_EQ(length, 20);
    EXPECT_EQ(serialized(v, &DT_T_PTR_LIST), shallow);
    DT_T_PTR_LIST.pfDeallocate(v, TRUE, &DT_T_PTR_LIST);

    v = nullptr;
    EXPECT_EQ(deserialize(listWire(DATATYPE_MAX_DEPTH), &DT_T_PTR_LIST, &v), DATATYPE_ERR_LIMIT);
    EXPECT_EQ(v, nullptr);
}

// ----------------------------------------------------------- error results

int lyingLength(void*, const G_DATA_TYPE*) { return 5; }

TEST(Serializer, EveryErrorResult)
{
    Bytes out;

    // -1: a member that writes fewer bytes than it measured.
    G_DATA_TYPE liar = DT_T_CUSTOM_U32;
    liar.pfLength = lyingLength;
    const G_DATA_TYPE* liarList[] = {&liar, nullptr};
    const G_DATA_TYPE ptrToLiar = DATATYPE_Standard("ptrToLiar", G_DF_POINTER_TO_TYPE, sizeof(void*), liarList);
    U32 x = 1;
    void* px = &x;
    EXPECT_EQ(serialize(&px, &ptrToLiar, out), DATATYPE_ERR_LENGTH);

    // -2: a version that is neither the current one nor a previous one.
    void* v = nullptr;
    EXPECT_EQ(deserialize(hex("02 00 00 00 05 44 33 22 11"), &DT_T_INNER, &v), DATATYPE_ERR_VERSION);
    EXPECT_EQ(deserialize(hex("07 00 00 00 01 00 00 00"), &DT_T_RECORD_V2, &v), DATATYPE_ERR_VERSION);
    EXPECT_EQ(v, nullptr);

    // -3: an output block larger than the allocator hands out.
    std::vector<U8> huge(1000000);
    C_BUFFER hugeBuffer = {(int)huge.size(), huge.data()};
    EXPECT_EQ(serialize(&hugeBuffer, &DT_BUFFER, out), DATATYPE_ERR_NO_MEMORY);

    // -4: formats and member lists the standard functions do not handle.
    const G_DATA_TYPE* u32List[] = {&DT_UNSIGNED32, nullptr};
    const G_DATA_TYPE* u16List[] = {&DT_UNSIGNED16, nullptr};
    const G_DATA_TYPE scalarWithList = DATATYPE_Standard("scalarWithList", G_DF_UNSIGNED32, 4, u32List);
    const G_DATA_TYPE structWithout = DATATYPE_Standard("structWithout", G_DF_STRUCT, 4);
    const G_DATA_TYPE ntOfScalars = DATATYPE_Standard("ntOfScalars", G_DF_NULL_TERM_PTR_ARRAY, sizeof(void*), u16List);
    const G_DATA_TYPE narrowPointer = DATATYPE_Standard("narrowPointer", G_DF_POINTER_TO_TYPE, 4, u16List);
    const G_DATA_TYPE beyondTable = DATATYPE_Standard("beyondTable", (G_DATA_FORMAT)25, 4);
    G_DATA_TYPE customAsStandard = DATATYPE_Standard("customAsStandard", G_DF_CUSTOM, 4);
    const G_DATA_TYPE oddEnum = DATATYPE_Standard("oddEnum", G_DF_ENUM, 3);
    const G_DATA_TYPE oddAlignment = DATATYPE_Standard("oddAlignment", G_DF_OPAQUE, 6, nullptr, 0, G_DU_NONE, 3);
    const G_DATA_TYPE* rejected[] = {&DT_DEFAULT,  &scalarWithList,   &structWithout, &ntOfScalars, &narrowPointer,
                                     &beyondTable, &customAsStandard, &oddEnum,       &oddAlignment};
    U8 scratch[16] = {};
    for (const G_DATA_TYPE* t : rejected) {
        SCOPED_TRACE(t->pTypeId);
        EXPECT_EQ(serialize(scratch, t, out), DATATYPE_ERR_FORMAT);
        EXPECT_EQ(t->pfLength(scratch, t), DATATYPE_ERR_FORMAT);
        v = nullptr;
        EXPECT_EQ(deserialize(hex("00 00 00 00"), t, &v), DATATYPE_ERR_FORMAT);
        EXPECT_EQ(t->pfDeallocate(scratch, FALSE, t), DATATYPE_ERR_FORMAT);
    }

    // -6, -7: no XML form.
    EXPECT_EQ(DT_UNSIGNED32.pfXmlWrite(&x, nullptr, "x", &DT_UNSIGNED32), DATATYPE_ERR_XML_WRITE);
    EXPECT_EQ(DT_UNSIGNED32.pfXmlRead(&v, nullptr, &DT_UNSIGNED32), DATATYPE_ERR_XML_READ);

    // -8: a value off its memory alignment.
    alignas(8) U8 raw[16] = {};
    void* odd = raw + 1;
    EXPECT_EQ(serialize(odd, &DT_UNSIGNED32, out), DATATYPE_ERR_ALIGNMENT);
    EXPECT_EQ(DT_UNSIGNED32.pfLength(odd, &DT_UNSIGNED32), DATATYPE_ERR_ALIGNMENT);
    EXPECT_EQ(deserialize(hex("01 00 00 00"), &DT_UNSIGNED32, &odd), DATATYPE_ERR_ALIGNMENT);
    EXPECT_EQ(DT_UNSIGNED32.pfDeallocate(odd, FALSE, &DT_UNSIGNED32), DATATYPE_ERR_ALIGNMENT);

    // -10: one byte short of room, and nothing written.
    Bytes room(9, 0xEE);
    void* pos = room.data();
    int remaining = 8;
    int size = 0;
    EXPECT_EQ(DT_T_INNER.pfSerialize(&g_inner, &pos, &remaining, &size, &DT_T_INNER), DATATYPE_ERR_NO_ROOM);
    EXPECT_EQ(room, Bytes(9, 0xEE));
    EXPECT_EQ(remaining, 8);
    EXPECT_EQ(size, 0);
    remaining = 9;
    EXPECT_EQ(DT_T_INNER.pfSerialize(&g_inner, &pos, &remaining, &size, &DT_T_INNER), 9);
}

TEST(Serializer, CallerBufferCountsBytesAcrossCalls)
{
    U8 room[32];
    void* pos = room;
    int remaining = sizeof room;
    int size = 0;
    ASSERT_EQ(DT_UNSIGNED32.pfSerialize(&g_u32, &pos, &remaining, &size, &DT_UNSIGNED32), 4);
    pos = room + size;
    ASSERT_EQ(DT_T_INNER.pfSerialize(&g_inner, &pos, &remaining, &size, &DT_T_INNER), 9);
    EXPECT_EQ(size, 13);
    EXPECT_EQ(remaining, 19);
    EXPECT_EQ(Bytes(room, room + 13), hex("D4 C3 B2 A1 01 00 00 00 05 44 33 22 11"));
}

TEST(Serializer, OlderVersionIsReadAndConverted)
{
    void* v = nullptr;
    ASSERT_EQ(deserialize(hex("01 00 00 00 15 00 00 00"), &DT_T_RECORD_V2, &v), 8);
    const RecordV2* r = (const RecordV2*)v;
    EXPECT_EQ(r->u32A, 21u);
    EXPECT_EQ(r->u32Twice, 42u);
    DT_T_RECORD_V2.pfDeallocate(v, TRUE, &DT_T_RECORD_V2);

    v = nullptr;
    ASSERT_EQ(deserialize(hex("02 00 00 00 01 00 00 00 02 00 00 00"), &DT_T_RECORD_V2, &v), 12);
    EXPECT_EQ(((const RecordV2*)v)->u32Twice, 2u);
    DT_T_RECORD_V2.pfDeallocate(v, TRUE, &DT_T_RECORD_V2);
}

// ------------------------------------------------- alignment, compatibility

TEST(Serializer, AlignmentFollowsThisMachineInStructsAndFourInMemory)
{
    struct Case {
        const G_DATA_TYPE* type;
        int memory;
        int member;
    };
    const Case cases[] = {
        {&DT_UNSIGNED64, 4, 8},
        {&DT_DOUBLE, 4, 8},
        {&DT_UNSIGNED32, 4, 4},
        {&DT_WSTRING, 4, 4},
        {&DT_POINTER, 4, (int)alignof(void*)},
        {&DT_BUFFER, 4, (int)alignof(C_BUFFER)},
        {&DT_T_ENUM16, 2, 2},
        {&DT_UNSIGNED16, 2, 2},
        {&DT_STRING, 1, 1},
        {&DT_BOOLEAN, 1, 1},
        {&DT_T_OPAQUE6, 4, 4},
        {&DT_T_FIXED_U16X3, 2, 2},
        {&DT_T_DYN_U32, 4, (int)alignof(G_DYNAMIC_ARRAY)},
        {&DT_PTR_TO_UNSIGNED8, 4, (int)alignof(void*)},
        {&DT_T_INNER, 4, (int)alignof(Inner)},
        {&DT_T_SINK, 4, (int)alignof(Sink)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type->pTypeId);
        EXPECT_EQ(DATATYPE_nStandardAlignment(ALIGN_MEMORY, c.type), c.memory);
        EXPECT_EQ(DATATYPE_nStandardAlignment(ALIGN_STRUCT, c.type), c.member);
    }
    EXPECT_EQ(DATATYPE_nStandardAlignment(ALIGN_STRUCT, &DT_DEFAULT), DATATYPE_ERR_FORMAT);
    EXPECT_EQ(DATATYPE_nStandardAlignment(ALIGN_STRUCT, &DT_T_CUSTOM_U32), DATATYPE_ERR_FORMAT);
}

TEST(Serializer, CompatibleTypesShareAWireForm)
{
    const G_DATA_TYPE* u32List[] = {&DT_UNSIGNED32, &DT_UNSIGNED32, &DT_UNSIGNED64, nullptr};
    const G_DATA_TYPE* shortList[] = {&DT_UNSIGNED32, &DT_UNSIGNED32, nullptr};
    const G_DATA_TYPE* otherList[] = {&DT_SIGNED32, &DT_DATETIME, &DT_SIGNED64, nullptr};
    const G_DATA_TYPE statusLike = DATATYPE_Standard("a", G_DF_STRUCT, 16, u32List, 1);
    const G_DATA_TYPE shorter = DATATYPE_Standard("b", G_DF_STRUCT, 8, shortList, 1);
    const G_DATA_TYPE other = DATATYPE_Standard("c", G_DF_STRUCT, 16, otherList, 1);
    const G_DATA_TYPE undefinedToo = DATATYPE_Standard("d", G_DF_UNDEFINED, 0);
    struct Case {
        const G_DATA_TYPE* a;
        const G_DATA_TYPE* b;
        BOOLEAN same;
    };
    const Case cases[] = {
        {&DT_DISTANCE, &DT_SPEED, TRUE},
        {&DT_STRING, &DT_WSTRING, FALSE},
        {&DT_T_ENUM16, &DT_T_ENUM32, FALSE},
        {&DT_PTR_TO_UNSIGNED8, &DT_PTR_TO_SIGNED8, FALSE},
        {&DT_PTR_TO_FLOAT, &DT_PTR_TO_FLOAT, TRUE},
        {&statusLike, &shorter, FALSE},
        {&shorter, &statusLike, FALSE},
        {&DT_DEFAULT, &DT_DEFAULT, TRUE},
        {&DT_DEFAULT, &undefinedToo, FALSE},
        {&DT_T_CUSTOM_U32, &DT_T_CUSTOM_U32, TRUE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DATATYPE_bCompatibleTypes(c.a, c.b), c.same) << c.a->pTypeId << " / " << c.b->pTypeId;
    // Members are compared by format, so a signed struct differs.
    EXPECT_FALSE(DATATYPE_bCompatibleTypes(&statusLike, &other));
}

// ------------------------------------------------------------------- units

TEST(Units, ConversionsWithinADimension)
{
    EXPECT_DOUBLE_EQ(DATATYPE_dConvertUnitToUnit(212.0, G_DU_FAHRENHEIT, G_DU_CELSIUS),
                     (212.0 * (double)0.5555556f + (double)-17.777779f));
    EXPECT_NEAR(DATATYPE_dConvertUnitToUnit(212.0, G_DU_FAHRENHEIT, G_DU_CELSIUS), 100.0, 1e-4);
    EXPECT_NEAR(DATATYPE_dConvertDataToUnit(1.0, &DT_SPEED, G_DU_KNOTS), 1.0 / 0.5144456, 1e-5);
    EXPECT_DOUBLE_EQ(DATATYPE_dConvertUnitToUnit(1.0, G_DU_STAT_MILES, G_DU_NAUT_MILES),
                     (double)1609.3472f / 1852.0);
    EXPECT_DOUBLE_EQ(DATATYPE_dConvertUnitToData(1.0, G_DU_KNOTS, &DT_SPEED), (double)0.5144456f);
    EXPECT_DOUBLE_EQ(DATATYPE_dConvertUnitToData(10.0, G_DU_FEET, &DT_DEPTH), 10.0 * (double)0.3048f);
}

TEST(Units, DifferentDimensionsGiveZeroAndALog)
{
    LogCapture log;
    EXPECT_EQ(DATATYPE_dConvertUnitToUnit(5.0, G_DU_METERS, G_DU_KNOTS), 0.0);
    EXPECT_EQ(DATATYPE_dConvertDataToUnit(5.0, &DT_TEMPERATURE, G_DU_VOLTS), 0.0);
    EXPECT_EQ(DATATYPE_dConvertUnitToUnit(5.0, (G_DATA_UNIT)40, G_DU_METERS), 0.0);
    EXPECT_TRUE(log.has("DATATYPE_dConvertDataToUnit: Incompatible unit conversion - returning 0.0"));
}

TEST(Units, NamesAndBaseUnits)
{
    EXPECT_STREQ(gDATATYPE_DataFormatString[G_DF_NULL_TERM_PTR_ARRAY], "NullTermPtrArray");
    EXPECT_STREQ(gDATATYPE_DataFormatString[G_DF_CUSTOM], "Custom");
    EXPECT_STREQ(gDATATYPE_DataUnitString[G_DU_CELSIUS], "DegreesCelcius");
    EXPECT_STREQ(gDATATYPE_DataUnitString[G_DU_DEG_LONGITUDE], "DegreesLongitude");
    EXPECT_STREQ(gDATATYPE_DataDimensionString[G_DD_RATEOFTURN], "RateOfTurn");
    // Each dimension's base unit converts to itself with ratio 1.
    for (int d = 0; d < G_DATA_DIMENSION_COUNT; ++d)
        EXPECT_EQ(DATATYPE_dConvertUnitToUnit(3.5, gDATATYPE_BaseDataUnit[d], gDATATYPE_BaseDataUnit[d]), 3.5);
    EXPECT_EQ(gDATATYPE_BaseDataUnit[G_DD_VOLUME], G_DU_M3);
}

} // namespace
