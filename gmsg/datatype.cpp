// The standard serializer: length, serialize, deserialize, free and align for
// every format, the basic descriptors and the unit conversion helpers.
//
// Wire form: packed, little-endian; compound values carry a 32-bit count
// (arrays), marker (pointers) or version (structs) ahead of their parts.
// In memory, members of a struct lie at offsets rounded up to their struct
// alignment, which follows this machine's layout (8 for 64-bit numbers and
// for every form that holds a pointer), so descriptors of plain C structs
// match what the compiler lays out. Values are read and written through
// byte codecs, never by dereferencing, so a value need only be aligned to 4.
//
// Children are reached through their own descriptor functions; a standard
// child is written directly, without measuring it again, since the caller
// has already measured the whole value.
#include "gmsg/datatype.h"

#include "gmsg/gmsg_wire.h"
#include "kernel/h_memory.h"
#include "kernel/lm_log.h"

#include <climits>
#include <cstdint>
#include <cstring>

using namespace gmsg_wire;

namespace {

constexpr int ALIGN_WIDE_STRUCT = 8; // 64-bit numbers inside a struct
constexpr int ALIGN_WIDE_MEMORY = 4; // anything read through the byte codecs
constexpr int POINTER_SIZE = (int)sizeof(void*);
constexpr int POINTER_ALIGN = (int)alignof(void*);
constexpr int WIRE_WORD = 4; // counts, markers, versions, lengths
constexpr int MAX_VERSION_CHAIN = 32;

thread_local int s_nDepth; // nesting of the deserializer in this thread

// ---------------------------------------------------------------- helpers

bool isStandardDeserializer(const G_DATA_TYPE* t) { return t->pfDeserialize == DATATYPE_nStandardDeserializer; }

void* ptrAt(const void* slot)
{
    void* p;
    memcpy(&p, slot, sizeof p);
    return p;
}

void setPtrAt(void* slot, void* p) { memcpy(slot, &p, sizeof p); }

void freeBlock(void* p)
{
    if (p)
        H_MEMORY_vFree(p);
}

void* allocZeroed(S64 n)
{
    if (n <= 0)
        n = 1;
    void* p = H_MEMORY_pvMalloc((U32)n);
    if (p)
        memset(p, 0, (size_t)n);
    return p;
}

int roundUp(S64 off, int a) { return a > 1 ? (int)((off + a - 1) / a * a) : (int)off; }

// The natural in-memory width a scalar format needs; 0 for the others.
int scalarWidth(G_DATA_FORMAT f)
{
    switch (f) {
    case G_DF_UNSIGNED64:
    case G_DF_SIGNED64:
    case G_DF_DOUBLE:
        return 8;
    case G_DF_UNSIGNED32:
    case G_DF_SIGNED32:
    case G_DF_FLOAT:
        return 4;
    case G_DF_VOID_POINTER:
        return POINTER_SIZE;
    case G_DF_UNSIGNED16:
    case G_DF_SIGNED16:
        return 2;
    case G_DF_BOOLEAN:
    case G_DF_UNSIGNED8:
    case G_DF_SIGNED8:
        return 1;
    default:
        return 0;
    }
}

// Does the descriptor's member list and size suit its format? A descriptor
// laid out for 32-bit pointers is refused here rather than misread.
int checkShape(const G_DATA_TYPE* t)
{
    if (!t)
        return DATATYPE_ERR_FORMAT;
    const G_DATA_FORMAT f = t->eDataFormat;
    const bool hasList = t->DataTypes != nullptr;
    if (f >= G_DF_UNSIGNED64 && f <= G_DF_EXCLUDED) {
        if (hasList || t->nSizeofType < 0)
            return DATATYPE_ERR_FORMAT;
        const int w = scalarWidth(f);
        if (w && t->nSizeofType != w)
            return DATATYPE_ERR_FORMAT;
        // Enums are whole numbers of 1, 2, 4 or 8 bytes, and alignments are
        // powers of two, so every standard memory alignment divides 4.
        if (f == G_DF_ENUM && t->nSizeofType != 1 && t->nSizeofType != 2 && t->nSizeofType != 4 &&
            t->nSizeofType != 8)
            return DATATYPE_ERR_FORMAT;
        if (f == G_DF_OPAQUE && t->nSizeofType == 0)
            return DATATYPE_ERR_FORMAT;
        if ((f == G_DF_OPAQUE || f == G_DF_EXCLUDED) && (t->nAlignment < 0 || (t->nAlignment & (t->nAlignment - 1))))
            return DATATYPE_ERR_FORMAT;
        if (f == G_DF_BUFFER && t->nSizeofType != (int)sizeof(C_BUFFER))
            return DATATYPE_ERR_FORMAT;
        return 0;
    }
    if (f < G_DF_FIXED_ARRAY || f > G_DF_STRUCT || !hasList)
        return DATATYPE_ERR_FORMAT;
    if (f == G_DF_STRUCT)
        return t->nSizeofType >= 0 ? 0 : DATATYPE_ERR_FORMAT;
    const G_DATA_TYPE* e = t->DataTypes[0];
    if (!e)
        return DATATYPE_ERR_FORMAT;
    switch (f) {
    case G_DF_FIXED_ARRAY:
        return e->nSizeofType > 0 && t->nSizeofType >= 0 ? 0 : DATATYPE_ERR_FORMAT;
    case G_DF_DYNAMIC_ARRAY:
        return e->nSizeofType > 0 && t->nSizeofType == (int)sizeof(G_DYNAMIC_ARRAY) ? 0 : DATATYPE_ERR_FORMAT;
    case G_DF_NULL_TERM_PTR_ARRAY:
        return e->eDataFormat == G_DF_POINTER_TO_TYPE && e->nSizeofType == POINTER_SIZE &&
                       t->nSizeofType == POINTER_SIZE
                   ? 0
                   : DATATYPE_ERR_FORMAT;
    default: // G_DF_POINTER_TO_TYPE
        return t->nSizeofType == POINTER_SIZE ? 0 : DATATYPE_ERR_FORMAT;
    }
}

int checkAlignment(const void* pv, const G_DATA_TYPE* t)
{
    if (!t->pfAlignment)
        return DATATYPE_ERR_FORMAT;
    // No standard memory alignment exceeds 4 (see checkShape); the walk of a
    // struct's members reports a member whose alignment is not computable.
    if (t->pfAlignment == DATATYPE_nStandardAlignment && ((uintptr_t)pv & 3) == 0)
        return 0;
    const int a = t->pfAlignment(ALIGN_MEMORY, t);
    if (a < 0)
        return a;
    if (a > 1 && (uintptr_t)pv % (uintptr_t)a != 0)
        return DATATYPE_ERR_ALIGNMENT;
    return 0;
}

int checkEntry(const void* pv, const G_DATA_TYPE* t)
{
    int r = checkShape(t);
    if (r < 0)
        return r;
    if (!pv)
        return DATATYPE_ERR_FORMAT;
    return checkAlignment(pv, t);
}

// Walks the members of a struct at their in-memory offsets. fn(member,
// offset) returns a negative error to stop. A member whose alignment cannot
// be computed stops the walk with that error, or with alignErr when given.
template <class F>
int forEachMember(const G_DATA_TYPE* st, int alignErr, F&& fn)
{
    if (!st->pfAlignment)
        return DATATYPE_ERR_FORMAT;
    S64 off = 0;
    for (const G_DATA_TYPE* const* m = st->DataTypes; *m; ++m) {
        const G_DATA_TYPE* mt = *m;
        const int a = st->pfAlignment(ALIGN_STRUCT, mt);
        if (a < 0)
            return alignErr ? alignErr : a;
        off = roundUp(off, a);
        if (mt->nSizeofType < 0 || off + mt->nSizeofType > st->nSizeofType)
            return DATATYPE_ERR_FORMAT;
        const int r = fn(mt, (size_t)off);
        if (r < 0)
            return r;
        off += mt->nSizeofType;
    }
    return 0;
}

int childLength(void* pv, const G_DATA_TYPE* t)
{
    if (!t || !t->pfLength)
        return DATATYPE_ERR_FORMAT;
    return t->pfLength(pv, t);
}

// The fewest wire bytes a value of the type can take; 0 when unknown (a
// custom descriptor). Bounds how many elements a count may announce.
S64 minWireLength(const G_DATA_TYPE* t, int depth = 0)
{
    if (!t || !isStandardDeserializer(t) || depth > DATATYPE_MAX_DEPTH)
        return 0;
    switch (t->eDataFormat) {
    case G_DF_UNSIGNED64:
    case G_DF_SIGNED64:
    case G_DF_DOUBLE:
        return 8;
    case G_DF_UNSIGNED32:
    case G_DF_SIGNED32:
    case G_DF_FLOAT:
    case G_DF_VOID_POINTER:
    case G_DF_WSTRING:
    case G_DF_BUFFER:
    case G_DF_DYNAMIC_ARRAY:
    case G_DF_NULL_TERM_PTR_ARRAY:
    case G_DF_POINTER_TO_TYPE:
        return 4;
    case G_DF_ENUM:
    case G_DF_OPAQUE:
        return t->nSizeofType > 0 ? t->nSizeofType : 0;
    case G_DF_UNSIGNED16:
    case G_DF_SIGNED16:
        return 2;
    case G_DF_BOOLEAN:
    case G_DF_UNSIGNED8:
    case G_DF_SIGNED8:
    case G_DF_STRING:
        return 1;
    case G_DF_FIXED_ARRAY: {
        const G_DATA_TYPE* e = t->DataTypes ? t->DataTypes[0] : nullptr;
        if (!e || e->nSizeofType <= 0)
            return 0;
        return (S64)(t->nSizeofType / e->nSizeofType) * minWireLength(e, depth + 1);
    }
    case G_DF_STRUCT: {
        S64 n = 4;
        for (const G_DATA_TYPE* const* m = t->DataTypes; m && *m; ++m)
            n += minWireLength(*m, depth + 1);
        return n;
    }
    default:
        return 0;
    }
}

// ---------------------------------------------------------------- writing

int writeValue(void* pv, U8* out, int* pnRemaining, int* pnSize, const G_DATA_TYPE* t);

int writeChild(void* pv, U8* out, int* pnRemaining, int* pnSize, const G_DATA_TYPE* t)
{
    if (t->pfSerialize == DATATYPE_nStandardSerializer) {
        const int r = checkEntry(pv, t);
        if (r < 0)
            return r;
        return writeValue(pv, out, pnRemaining, pnSize, t);
    }
    if (!t->pfSerialize)
        return DATATYPE_ERR_FORMAT;
    void* pos = out;
    return t->pfSerialize(pv, &pos, pnRemaining, pnSize, t);
}

// Writes the wire form; the room has been checked by the caller.
int writeValue(void* pv, U8* out, int* pnRemaining, int* pnSize, const G_DATA_TYPE* t)
{
    const U8* v = (const U8*)pv;
    int n = 0;
    auto emit = [&](int count) {
        n += count;
        *pnRemaining -= count;
        *pnSize += count;
    };
    auto word = [&](U32 w) {
        putU32(out + n, w);
        emit(WIRE_WORD);
    };
    auto child = [&](void* cv, const G_DATA_TYPE* ct) {
        const int r = writeChild(cv, out + n, pnRemaining, pnSize, ct);
        if (r > 0)
            n += r;
        return r;
    };

    switch (t->eDataFormat) {
    case G_DF_UNSIGNED64:
    case G_DF_SIGNED64:
    case G_DF_DOUBLE: {
        U64 x;
        memcpy(&x, v, 8);
        putU64(out, x);
        emit(8);
        break;
    }
    case G_DF_UNSIGNED32:
    case G_DF_SIGNED32:
    case G_DF_FLOAT: {
        U32 x;
        memcpy(&x, v, 4);
        word(x);
        break;
    }
    case G_DF_VOID_POINTER:
        // The peer gets the low 32 bits: the value means nothing outside this
        // process, and the unit's pointers are 32 bits wide.
        word((U32)(uintptr_t)ptrAt(v));
        break;
    case G_DF_UNSIGNED16:
    case G_DF_SIGNED16: {
        U16 x;
        memcpy(&x, v, 2);
        putU16(out, x);
        emit(2);
        break;
    }
    case G_DF_BOOLEAN:
    case G_DF_UNSIGNED8:
    case G_DF_SIGNED8:
        out[0] = v[0];
        emit(1);
        break;
    case G_DF_ENUM:
        switch (t->nSizeofType) {
        case 2: {
            U16 x;
            memcpy(&x, v, 2);
            putU16(out, x);
            break;
        }
        case 4: {
            U32 x;
            memcpy(&x, v, 4);
            putU32(out, x);
            break;
        }
        case 8: {
            U64 x;
            memcpy(&x, v, 8);
            putU64(out, x);
            break;
        }
        default:
            memcpy(out, v, (size_t)t->nSizeofType);
        }
        emit(t->nSizeofType);
        break;
    case G_DF_OPAQUE:
        memcpy(out, v, (size_t)t->nSizeofType);
        emit(t->nSizeofType);
        break;
    case G_DF_STRING: {
        const size_t len = strlen((const char*)v) + 1;
        memcpy(out, v, len);
        emit((int)len);
        break;
    }
    case G_DF_WSTRING: {
        U32 c;
        do {
            memcpy(&c, v + n, 4);
            word(c);
        } while (c != 0);
        break;
    }
    case G_DF_BUFFER: {
        C_BUFFER b;
        memcpy(&b, v, sizeof b);
        const int len = b.nSize > 0 ? b.nSize : 0;
        word((U32)len);
        if (len) {
            memcpy(out + n, b.pData, (size_t)len);
            emit(len);
        }
        break;
    }
    case G_DF_EXCLUDED:
        break;
    case G_DF_FIXED_ARRAY: {
        const G_DATA_TYPE* e = t->DataTypes[0];
        const int count = t->nSizeofType / e->nSizeofType;
        for (int i = 0; i < count; ++i) {
            const int r = child((void*)(v + (size_t)i * e->nSizeofType), e);
            if (r < 0)
                return r;
        }
        break;
    }
    case G_DF_DYNAMIC_ARRAY: {
        const G_DATA_TYPE* e = t->DataTypes[0];
        G_DYNAMIC_ARRAY a;
        memcpy(&a, v, sizeof a);
        word((U32)a.nCount);
        for (int i = 0; i < a.nCount && a.pvElements; ++i) {
            const int r = child((U8*)a.pvElements + (size_t)i * e->nSizeofType, e);
            if (r < 0)
                return r;
        }
        break;
    }
    case G_DF_NULL_TERM_PTR_ARRAY: {
        const G_DATA_TYPE* e = t->DataTypes[0];
        U8* arr = (U8*)ptrAt(v);
        U32 count = 0;
        while (arr && ptrAt(arr + (size_t)count * POINTER_SIZE))
            ++count;
        word(count);
        for (U32 i = 0; i < count; ++i) {
            const int r = child(arr + (size_t)i * POINTER_SIZE, e);
            if (r < 0)
                return r;
        }
        break;
    }
    case G_DF_POINTER_TO_TYPE: {
        void* p = ptrAt(v);
        if (!p) {
            word(0);
            break;
        }
        word(DATATYPE_POINTER_MARKER);
        const int r = child(p, t->DataTypes[0]);
        if (r < 0)
            return r;
        break;
    }
    case G_DF_STRUCT: {
        word((U32)t->nVersion);
        const int r = forEachMember(t, DATATYPE_ERR_ALIGNMENT, [&](const G_DATA_TYPE* mt, size_t off) {
            return child((void*)(v + off), mt);
        });
        if (r < 0)
            return r;
        break;
    }
    default:
        return DATATYPE_ERR_FORMAT;
    }
    return n;
}

// ---------------------------------------------------------------- reading

struct DepthGuard {
    DepthGuard() { ++s_nDepth; }
    ~DepthGuard() { --s_nDepth; }
    bool tooDeep() const { return s_nDepth > DATATYPE_MAX_DEPTH; }
};

int readValue(void** ppv, const U8* in, int* pnRemaining, int* pnSize, const G_DATA_TYPE* t);

int readChild(void** ppv, const U8* in, int* pnRemaining, int* pnSize, const G_DATA_TYPE* t)
{
    if (isStandardDeserializer(t))
        return readValue(ppv, in, pnRemaining, pnSize, t);
    if (!t->pfDeserialize)
        return DATATYPE_ERR_FORMAT;
    return t->pfDeserialize(ppv, (void*)in, pnRemaining, pnSize, t);
}

// Frees what the standard deallocator would free inside a value.
void freeInside(void* pv, const G_DATA_TYPE* t)
{
    if (t->pfDeallocate)
        t->pfDeallocate(pv, FALSE, t);
}

// Reads a string into the value; *ppv null means a block of the string's
// own length is allocated for it. Characters are `unit` bytes wide.
int readString(void** ppv, const U8* in, int* pnRemaining, const G_DATA_TYPE* t, int unit)
{
    const int rem = *pnRemaining;
    int len = -1; // characters before the terminator
    if (unit == 1) {
        const void* z = memchr(in, 0, (size_t)rem);
        if (z)
            len = (int)((const U8*)z - in);
    } else {
        for (int i = 0; i + 4 <= rem; i += 4) {
            if (getU32(in + i) == 0) {
                len = i / 4;
                break;
            }
        }
    }
    if (len < 0)
        return DATATYPE_ERR_MALFORMED;
    const S64 bytes = (S64)(len + 1) * unit;
    if (!*ppv) {
        if (bytes > DATATYPE_MAX_BLOCK)
            return DATATYPE_ERR_LIMIT;
        *ppv = H_MEMORY_pvMalloc((U32)bytes);
        if (!*ppv)
            return DATATYPE_ERR_NO_MEMORY;
    } else if (bytes > t->nSizeofType) {
        // A string held inline has only its field.
        return DATATYPE_ERR_LIMIT;
    }
    U8* out = (U8*)*ppv;
    if (unit == 1) {
        memcpy(out, in, (size_t)bytes);
    } else {
        for (int i = 0; i <= len; ++i) {
            const U32 c = getU32(in + (size_t)i * 4);
            memcpy(out + (size_t)i * 4, &c, 4);
        }
    }
    return (int)bytes;
}

// Reads `count` elements into consecutive slots; on failure the elements
// already read are freed again.
int readElements(U8* base, int count, const U8* in, int* pnRemaining, int* pnSize, const G_DATA_TYPE* e, int* pnUsed)
{
    int used = 0;
    for (int i = 0; i < count; ++i) {
        void* slot = base + (size_t)i * e->nSizeofType;
        const int r = readChild(&slot, in + used, pnRemaining, pnSize, e);
        if (r < 0) {
            for (int k = 0; k < i; ++k)
                freeInside(base + (size_t)k * e->nSizeofType, e);
            return r;
        }
        used += r;
    }
    *pnUsed = used;
    return 0;
}

// Reads the members of struct type st (without its version word) into pv.
int readMembers(U8* pv, const U8* in, int* pnRemaining, int* pnSize, const G_DATA_TYPE* st)
{
    int used = 0;
    int membersRead = 0;
    const int r = forEachMember(st, 0, [&](const G_DATA_TYPE* mt, size_t off) {
        void* slot = pv + off;
        const int n = readChild(&slot, in + used, pnRemaining, pnSize, mt);
        if (n < 0)
            return n;
        used += n;
        ++membersRead;
        return 0;
    });
    if (r < 0) {
        int k = 0;
        forEachMember(st, 0, [&](const G_DATA_TYPE* mt, size_t off) {
            if (k++ >= membersRead)
                return -1;
            freeInside(pv + off, mt);
            return 0;
        });
        return r;
    }
    return used;
}

int readStruct(U8* pv, const U8* in, int* pnRemaining, int* pnSize, const G_DATA_TYPE* t)
{
    const int version = (int)getU32(in);
    *pnRemaining -= WIRE_WORD;
    *pnSize += WIRE_WORD;
    in += WIRE_WORD;
    if (version == t->nVersion) {
        const int r = readMembers(pv, in, pnRemaining, pnSize, t);
        return r < 0 ? r : r + WIRE_WORD;
    }
    const G_DATA_TYPE* old = t->pPreviousVersionType;
    for (int step = 0; old && old->nVersion != version; ++step) {
        if (step >= MAX_VERSION_CHAIN)
            return DATATYPE_ERR_VERSION;
        old = old->pPreviousVersionType;
    }
    if (!old || !old->pfVersionConvert || old->eDataFormat != G_DF_STRUCT || checkShape(old) < 0)
        return DATATYPE_ERR_VERSION;
    if ((U32)old->nSizeofType > DATATYPE_MAX_BLOCK)
        return DATATYPE_ERR_LIMIT;
    U8* tmp = (U8*)allocZeroed(old->nSizeofType);
    if (!tmp)
        return DATATYPE_ERR_NO_MEMORY;
    const int r = readMembers(tmp, in, pnRemaining, pnSize, old);
    if (r < 0) {
        freeBlock(tmp);
        return r;
    }
    const int c = old->pfVersionConvert(pv, tmp, t, old);
    if (c < 0)
        freeInside(tmp, old);
    freeBlock(tmp);
    return c < 0 ? c : r + WIRE_WORD;
}

// Reads the wire form into the value at *ppv (allocated here when null).
int readBody(void* pv, const U8* in, int* pnRemaining, int* pnSize, const G_DATA_TYPE* t)
{
    U8* v = (U8*)pv;
    const int rem = *pnRemaining;
    auto need = [&](int n) { return rem >= n; };
    auto consume = [&](int n) {
        *pnRemaining -= n;
        *pnSize += n;
        return n;
    };

    switch (t->eDataFormat) {
    case G_DF_UNSIGNED64:
    case G_DF_SIGNED64:
    case G_DF_DOUBLE: {
        if (!need(8))
            return DATATYPE_ERR_MALFORMED;
        const U64 x = getU64(in);
        memcpy(v, &x, 8);
        return consume(8);
    }
    case G_DF_UNSIGNED32:
    case G_DF_SIGNED32:
    case G_DF_FLOAT: {
        if (!need(4))
            return DATATYPE_ERR_MALFORMED;
        const U32 x = getU32(in);
        memcpy(v, &x, 4);
        return consume(4);
    }
    case G_DF_VOID_POINTER:
        if (!need(4))
            return DATATYPE_ERR_MALFORMED;
        setPtrAt(v, (void*)(uintptr_t)getU32(in));
        return consume(4);
    case G_DF_UNSIGNED16:
    case G_DF_SIGNED16: {
        if (!need(2))
            return DATATYPE_ERR_MALFORMED;
        const U16 x = getU16(in);
        memcpy(v, &x, 2);
        return consume(2);
    }
    case G_DF_BOOLEAN:
    case G_DF_UNSIGNED8:
    case G_DF_SIGNED8:
        if (!need(1))
            return DATATYPE_ERR_MALFORMED;
        v[0] = in[0];
        return consume(1);
    case G_DF_ENUM: {
        const int n = t->nSizeofType;
        if (!need(n))
            return DATATYPE_ERR_MALFORMED;
        if (n == 2) {
            const U16 x = getU16(in);
            memcpy(v, &x, 2);
        } else if (n == 4) {
            const U32 x = getU32(in);
            memcpy(v, &x, 4);
        } else if (n == 8) {
            const U64 x = getU64(in);
            memcpy(v, &x, 8);
        } else {
            memcpy(v, in, (size_t)n);
        }
        return consume(n);
    }
    case G_DF_OPAQUE:
        if (!need(t->nSizeofType))
            return DATATYPE_ERR_MALFORMED;
        memcpy(v, in, (size_t)t->nSizeofType);
        return consume(t->nSizeofType);
    case G_DF_EXCLUDED:
        memset(v, 0, (size_t)t->nSizeofType);
        return 0;
    case G_DF_BUFFER: {
        if (!need(WIRE_WORD))
            return DATATYPE_ERR_MALFORMED;
        const U32 len = getU32(in);
        if (len > (U32)(rem - WIRE_WORD))
            return DATATYPE_ERR_MALFORMED;
        C_BUFFER b{(int)len, nullptr};
        if (len) {
            if (len > DATATYPE_MAX_BLOCK)
                return DATATYPE_ERR_LIMIT;
            b.pData = H_MEMORY_pvMalloc(len);
            if (!b.pData)
                return DATATYPE_ERR_NO_MEMORY;
            memcpy(b.pData, in + WIRE_WORD, len);
        }
        memcpy(v, &b, sizeof b);
        return consume(WIRE_WORD + (int)len);
    }
    case G_DF_FIXED_ARRAY: {
        const G_DATA_TYPE* e = t->DataTypes[0];
        int used = 0;
        const int r = readElements(v, t->nSizeofType / e->nSizeofType, in, pnRemaining, pnSize, e, &used);
        return r < 0 ? r : used;
    }
    case G_DF_DYNAMIC_ARRAY: {
        const G_DATA_TYPE* e = t->DataTypes[0];
        if (!need(WIRE_WORD))
            return DATATYPE_ERR_MALFORMED;
        const int count = (int)getU32(in);
        G_DYNAMIC_ARRAY a{count, nullptr};
        if (count > 0) {
            const S64 minEach = minWireLength(e) > 0 ? minWireLength(e) : 1;
            if ((S64)count * minEach > rem - WIRE_WORD)
                return DATATYPE_ERR_MALFORMED;
            const S64 bytes = (S64)count * e->nSizeofType;
            if (bytes > DATATYPE_MAX_BLOCK)
                return DATATYPE_ERR_LIMIT;
            U8* elems = (U8*)allocZeroed(bytes);
            if (!elems)
                return DATATYPE_ERR_NO_MEMORY;
            consume(WIRE_WORD);
            int used = 0;
            const int r = readElements(elems, count, in + WIRE_WORD, pnRemaining, pnSize, e, &used);
            if (r < 0) {
                freeBlock(elems);
                return r;
            }
            a.pvElements = elems;
            memcpy(v, &a, sizeof a);
            return WIRE_WORD + used;
        }
        memcpy(v, &a, sizeof a);
        return consume(WIRE_WORD);
    }
    case G_DF_NULL_TERM_PTR_ARRAY: {
        const G_DATA_TYPE* e = t->DataTypes[0];
        if (!need(WIRE_WORD))
            return DATATYPE_ERR_MALFORMED;
        const int count = (int)getU32(in);
        setPtrAt(v, nullptr);
        if (count <= 0)
            return consume(WIRE_WORD);
        if ((S64)count * WIRE_WORD > rem - WIRE_WORD)
            return DATATYPE_ERR_MALFORMED;
        const S64 bytes = ((S64)count + 1) * POINTER_SIZE;
        if (bytes > DATATYPE_MAX_BLOCK)
            return DATATYPE_ERR_LIMIT;
        U8* arr = (U8*)allocZeroed(bytes);
        if (!arr)
            return DATATYPE_ERR_NO_MEMORY;
        consume(WIRE_WORD);
        int used = 0;
        int r = readElements(arr, count, in + WIRE_WORD, pnRemaining, pnSize, e, &used);
        if (r >= 0) {
            // A null element would end the array early and strand the rest.
            for (int i = 0; i < count; ++i) {
                if (!ptrAt(arr + (size_t)i * POINTER_SIZE)) {
                    for (int k = 0; k < count; ++k)
                        freeInside(arr + (size_t)k * POINTER_SIZE, e);
                    r = DATATYPE_ERR_MALFORMED;
                    break;
                }
            }
        }
        if (r < 0) {
            freeBlock(arr);
            return r;
        }
        setPtrAt(v, arr);
        return WIRE_WORD + used;
    }
    case G_DF_POINTER_TO_TYPE: {
        setPtrAt(v, nullptr);
        if (!need(WIRE_WORD))
            return DATATYPE_ERR_MALFORMED;
        // Only 0 means null; any other word announces the pointee.
        const U32 marker = getU32(in);
        consume(WIRE_WORD);
        if (marker == 0)
            return WIRE_WORD;
        void* p = nullptr;
        const int r = readChild(&p, in + WIRE_WORD, pnRemaining, pnSize, t->DataTypes[0]);
        if (r < 0)
            return r;
        setPtrAt(v, p);
        return WIRE_WORD + r;
    }
    case G_DF_STRUCT:
        if (!need(WIRE_WORD))
            return DATATYPE_ERR_MALFORMED;
        return readStruct(v, in, pnRemaining, pnSize, t);
    default:
        return DATATYPE_ERR_FORMAT;
    }
}

int readValue(void** ppv, const U8* in, int* pnRemaining, int* pnSize, const G_DATA_TYPE* t)
{
    DepthGuard depth;
    if (depth.tooDeep())
        return DATATYPE_ERR_LIMIT;
    int r = checkShape(t);
    if (r < 0)
        return r;
    if (*pnRemaining < 0)
        *pnRemaining = 0;
    if (*ppv) {
        r = checkAlignment(*ppv, t);
        if (r < 0)
            return r;
    }
    const G_DATA_FORMAT f = t->eDataFormat;
    if (f == G_DF_STRING || f == G_DF_WSTRING) {
        r = readString(ppv, in, pnRemaining, t, f == G_DF_STRING ? 1 : 4);
        if (r > 0) {
            *pnRemaining -= r;
            *pnSize += r;
        }
        return r;
    }
    bool allocated = false;
    if (!*ppv) {
        if ((U32)t->nSizeofType > DATATYPE_MAX_BLOCK)
            return DATATYPE_ERR_LIMIT;
        *ppv = allocZeroed(t->nSizeofType);
        if (!*ppv)
            return DATATYPE_ERR_NO_MEMORY;
        allocated = true;
    }
    r = readBody(*ppv, in, pnRemaining, pnSize, t);
    if (r < 0 && allocated) {
        freeBlock(*ppv);
        *ppv = nullptr;
    }
    return r;
}

// ---------------------------------------------------------------- units

const G_DATA_DIMENSION s_DataDimensionTable[G_DATA_UNIT_COUNT] = {
    G_DD_SCALAR,
    G_DD_DISTANCE_DEPTH_ALTITUDE, G_DD_DISTANCE_DEPTH_ALTITUDE, G_DD_DISTANCE_DEPTH_ALTITUDE,
    G_DD_DISTANCE_DEPTH_ALTITUDE, G_DD_DISTANCE_DEPTH_ALTITUDE, G_DD_DISTANCE_DEPTH_ALTITUDE,
    G_DD_DISTANCE_DEPTH_ALTITUDE,
    G_DD_SPEED, G_DD_SPEED, G_DD_SPEED, G_DD_SPEED,
    G_DD_TIME, G_DD_TIME, G_DD_TIME, G_DD_TIME,
    G_DD_PRESSURE, G_DD_PRESSURE, G_DD_PRESSURE, G_DD_PRESSURE,
    G_DD_VOLUME, G_DD_VOLUME, G_DD_VOLUME, G_DD_VOLUME,
    G_DD_POTENTIAL,
    G_DD_CURRENT, G_DD_CURRENT,
    G_DD_TEMPERATURE, G_DD_TEMPERATURE,
    G_DD_HEADING,
    G_DD_RATEOFTURN,
    G_DD_LATITUDE,
    G_DD_LONGITUDE,
};

// Each figure is the single-precision value nearest to it, held as a double.
constexpr double f32(float x) { return (double)x; }

const DATA_UNIT_CONVERSION_INFO s_DataConversionTable[G_DATA_UNIT_COUNT] = {
    {f32(1.0f), 0.0},          {f32(1.0f), 0.0},         {f32(1609.3472f), 0.0},   {f32(1852.0f), 0.0},
    {f32(1000.0f), 0.0},       {f32(0.0254f), 0.0},      {f32(0.3048f), 0.0},      {f32(1.8288037f), 0.0},
    {f32(1.0f), 0.0},          {f32(0.5144456f), 0.0},   {f32(0.44704f), 0.0},     {f32(0.2777778f), 0.0},
    {f32(1.0f), 0.0},          {f32(60.0f), 0.0},        {f32(3600.0f), 0.0},      {f32(86400.0f), 0.0},
    {f32(1.0f), 0.0},          {f32(1.0f), 0.0},         {f32(33.8639f), 0.0},     {f32(1.33322f), 0.0},
    {f32(1.0f), 0.0},          {f32(0.001f), 0.0},       {f32(0.0037854118f), 0.0}, {f32(0.004546092f), 0.0},
    {f32(1.0f), 0.0},          {f32(1.0f), 0.0},         {f32(0.001f), 0.0},       {f32(1.0f), 0.0},
    {f32(0.5555556f), f32(-17.777779f)},
    {f32(1.0f), 0.0},          {f32(1.0f), 0.0},         {f32(1.0f), 0.0},         {f32(1.0f), 0.0},
};

double convert(double dValue, int from, int to)
{
    if (from < 0 || from >= G_DATA_UNIT_COUNT || to < 0 || to >= G_DATA_UNIT_COUNT ||
        s_DataDimensionTable[from] != s_DataDimensionTable[to]) {
        log_me("DATATYPE_dConvertDataToUnit: Incompatible unit conversion - returning 0.0");
        return 0.0;
    }
    const DATA_UNIT_CONVERSION_INFO& f = s_DataConversionTable[from];
    const DATA_UNIT_CONVERSION_INFO& t = s_DataConversionTable[to];
    return (dValue * f.dConversionRatio + f.dConversionOffset - t.dConversionOffset) / t.dConversionRatio;
}

} // namespace

// -------------------------------------------------------------------- tables

const char* const gDATATYPE_DataFormatString[G_DATA_FORMAT_COUNT] = {
    "Undefined", "Unsigned64", "Signed64",    "Double",   "Unsigned32",   "Signed32",     "Enum",
    "Float",     "VoidPointer", "Boolean",    "Unsigned16", "Signed16",   "Unsigned8",    "Signed8",
    "String",    "WideString", "Buffer",      "Opaque",   "Excluded",     "FixedArray",   "DynamicArray",
    "NullTermPtrArray", "PointerToType", "Struct", "Custom",
};

const char* const gDATATYPE_DataUnitString[G_DATA_UNIT_COUNT] = {
    "Scalar",         "Meters",           "StatuteMiles",     "NauticalMiles",  "Kilometers",
    "Inches",         "Feet",             "Fathoms",          "MetersPerSecond", "Knots",
    "MilesPerHour",   "KilometersPerHour", "Seconds",         "Minutes",        "Hours",
    "Days",           "Hectopascals",     "Millibars",        "InchesOfMercury", "MillimetersOfMercury",
    "Cubic_Meters",   "Liters",           "GallonsUS",        "GallonsUK",      "Volts",
    "Amperes",        "Milliamperes",     "DegreesCelcius",   "DegreesFahrenheit", "DegreesTrue",
    "DegreesPerMinute", "DegreesLatitude", "DegreesLongitude",
};

const char* const gDATATYPE_DataDimensionString[G_DATA_DIMENSION_COUNT] = {
    "Scalar", "DistanceDepthAltitude", "Speed", "Time", "Pressure", "Volume", "Potential",
    "Current", "Temperature", "Heading", "RateOfTurn", "Latitude", "Longitude",
};

const G_DATA_UNIT gDATATYPE_BaseDataUnit[G_DATA_DIMENSION_COUNT] = {
    G_DU_NONE,    G_DU_METERS,   G_DU_MPS,     G_DU_SECONDS,        G_DU_HECTOPASCALS,
    G_DU_M3,      G_DU_VOLTS,    G_DU_AMPERES, G_DU_CELSIUS,        G_DU_DEG_TRUE,
    G_DU_DEG_PER_MINUTE, G_DU_DEG_LATITUDE, G_DU_DEG_LONGITUDE,
};

// ------------------------------------------------------- standard functions

int DATATYPE_nStandardAlignment(ALIGN_TYPE eAlignType, const G_DATA_TYPE* pDataType)
{
    if (!pDataType)
        return DATATYPE_ERR_FORMAT;
    const G_DATA_TYPE* t = pDataType;
    const bool inStruct = eAlignType == ALIGN_STRUCT;
    const int wide = inStruct ? ALIGN_WIDE_STRUCT : ALIGN_WIDE_MEMORY;
    const int pointerAlign = inStruct ? POINTER_ALIGN : ALIGN_WIDE_MEMORY;
    auto smaller = [](int a, int b) { return a < b ? a : b; };

    if (!t->DataTypes) {
        switch (t->eDataFormat) {
        case G_DF_UNSIGNED64:
        case G_DF_SIGNED64:
        case G_DF_DOUBLE:
            return wide;
        case G_DF_UNSIGNED32:
        case G_DF_SIGNED32:
        case G_DF_FLOAT:
        case G_DF_WSTRING:
            return 4;
        case G_DF_VOID_POINTER:
        case G_DF_BUFFER:
            return pointerAlign;
        case G_DF_ENUM:
            return smaller(wide, t->nSizeofType);
        case G_DF_BOOLEAN:
        case G_DF_UNSIGNED8:
        case G_DF_SIGNED8:
        case G_DF_STRING:
            return 1;
        case G_DF_UNSIGNED16:
        case G_DF_SIGNED16:
            return 2;
        case G_DF_OPAQUE:
        case G_DF_EXCLUDED:
            return smaller(wide, t->nAlignment);
        default:
            return DATATYPE_ERR_FORMAT;
        }
    }
    switch (t->eDataFormat) {
    case G_DF_FIXED_ARRAY: {
        const G_DATA_TYPE* e = t->DataTypes[0];
        if (!e || !e->pfAlignment)
            return DATATYPE_ERR_FORMAT;
        return e->pfAlignment(eAlignType, e);
    }
    case G_DF_DYNAMIC_ARRAY:
    case G_DF_NULL_TERM_PTR_ARRAY:
    case G_DF_POINTER_TO_TYPE:
        return pointerAlign;
    case G_DF_STRUCT: {
        int best = 1;
        for (const G_DATA_TYPE* const* m = t->DataTypes; *m; ++m) {
            if (!(*m)->pfAlignment)
                return DATATYPE_ERR_FORMAT;
            const int a = (*m)->pfAlignment(eAlignType, *m);
            if (a < 0)
                return a;
            if (a > best)
                best = a;
        }
        return best;
    }
    default:
        return DATATYPE_ERR_FORMAT;
    }
}

int DATATYPE_nStandardSerializedLength(void* pvStruct, const G_DATA_TYPE* pDataType)
{
    const G_DATA_TYPE* t = pDataType;
    int r = checkEntry(pvStruct, t);
    if (r < 0)
        return r;
    const U8* v = (const U8*)pvStruct;
    S64 n = 0;
    auto add = [&](void* cv, const G_DATA_TYPE* ct) {
        const int len = childLength(cv, ct);
        if (len < 0)
            return len;
        n += len;
        return n > INT_MAX ? (int)DATATYPE_ERR_LIMIT : 0;
    };

    switch (t->eDataFormat) {
    case G_DF_UNSIGNED64:
    case G_DF_SIGNED64:
    case G_DF_DOUBLE:
        return 8;
    case G_DF_UNSIGNED32:
    case G_DF_SIGNED32:
    case G_DF_FLOAT:
    case G_DF_VOID_POINTER:
        return 4;
    case G_DF_ENUM:
    case G_DF_OPAQUE:
        return t->nSizeofType;
    case G_DF_BOOLEAN:
    case G_DF_UNSIGNED8:
    case G_DF_SIGNED8:
        return 1;
    case G_DF_UNSIGNED16:
    case G_DF_SIGNED16:
        return 2;
    case G_DF_STRING:
        n = (S64)strlen((const char*)v) + 1;
        break;
    case G_DF_WSTRING: {
        U32 c;
        do {
            memcpy(&c, v + n, 4);
            n += 4;
        } while (c != 0 && n <= INT_MAX);
        break;
    }
    case G_DF_BUFFER: {
        C_BUFFER b;
        memcpy(&b, v, sizeof b);
        n = WIRE_WORD + (S64)(b.nSize > 0 ? b.nSize : 0);
        break;
    }
    case G_DF_EXCLUDED:
        return 0;
    case G_DF_FIXED_ARRAY: {
        const G_DATA_TYPE* e = t->DataTypes[0];
        const int count = t->nSizeofType / e->nSizeofType;
        for (int i = 0; i < count; ++i) {
            r = add((void*)(v + (size_t)i * e->nSizeofType), e);
            if (r < 0)
                return r;
        }
        break;
    }
    case G_DF_DYNAMIC_ARRAY: {
        const G_DATA_TYPE* e = t->DataTypes[0];
        G_DYNAMIC_ARRAY a;
        memcpy(&a, v, sizeof a);
        n = WIRE_WORD;
        for (int i = 0; i < a.nCount && a.pvElements; ++i) {
            r = add((U8*)a.pvElements + (size_t)i * e->nSizeofType, e);
            if (r < 0)
                return r;
        }
        break;
    }
    case G_DF_NULL_TERM_PTR_ARRAY: {
        const G_DATA_TYPE* e = t->DataTypes[0];
        U8* arr = (U8*)ptrAt(v);
        n = WIRE_WORD;
        for (size_t i = 0; arr && ptrAt(arr + i * POINTER_SIZE); ++i) {
            r = add(arr + i * POINTER_SIZE, e);
            if (r < 0)
                return r;
        }
        break;
    }
    case G_DF_POINTER_TO_TYPE: {
        void* p = ptrAt(v);
        n = WIRE_WORD;
        if (p) {
            r = add(p, t->DataTypes[0]);
            if (r < 0)
                return r;
        }
        break;
    }
    case G_DF_STRUCT:
        n = WIRE_WORD;
        r = forEachMember(t, 0, [&](const G_DATA_TYPE* mt, size_t off) { return add((void*)(v + off), mt); });
        if (r < 0)
            return r;
        break;
    default:
        return DATATYPE_ERR_FORMAT;
    }
    return n > INT_MAX ? (int)DATATYPE_ERR_LIMIT : (int)n;
}

int DATATYPE_nStandardSerializer(void* pvStruct, void** ppvSerialized, int* pnRemaining, int* pnSize,
                                 const G_DATA_TYPE* pDataType)
{
    const G_DATA_TYPE* t = pDataType;
    if (!ppvSerialized || !pnRemaining || !pnSize)
        return DATATYPE_ERR_FORMAT;
    int r = checkEntry(pvStruct, t);
    if (r < 0)
        return r;
    const int length = childLength(pvStruct, t);
    if (length < 0)
        return length;

    bool allocated = false;
    if (!*ppvSerialized) {
        if ((U32)length > DATATYPE_MAX_BLOCK)
            return DATATYPE_ERR_NO_MEMORY;
        *ppvSerialized = H_MEMORY_pvMalloc((U32)(length ? length : 1));
        if (!*ppvSerialized)
            return DATATYPE_ERR_NO_MEMORY;
        *pnRemaining = length;
        *pnSize = 0;
        allocated = true;
    }
    if (*pnRemaining < length)
        return DATATYPE_ERR_NO_ROOM;

    r = writeValue(pvStruct, (U8*)*ppvSerialized, pnRemaining, pnSize, t);
    if (r >= 0 && r != length)
        r = DATATYPE_ERR_LENGTH;
    if (r < 0 && allocated) {
        freeBlock(*ppvSerialized);
        *ppvSerialized = nullptr;
    }
    return r;
}

int DATATYPE_nStandardDeserializer(void** ppvStruct, void* pvSerialized, int* pnRemaining, int* pnSize,
                                   const G_DATA_TYPE* pDataType)
{
    if (!ppvStruct || !pnRemaining || !pnSize || (!pvSerialized && *pnRemaining > 0))
        return DATATYPE_ERR_FORMAT;
    static const U8 s_empty[1] = {0};
    return readValue(ppvStruct, pvSerialized ? (const U8*)pvSerialized : s_empty, pnRemaining, pnSize, pDataType);
}

int DATATYPE_nStandardDeallocator(void* pvStruct, BOOLEAN bTypeAllocated, const G_DATA_TYPE* pDataType)
{
    const G_DATA_TYPE* t = pDataType;
    if (!pvStruct)
        return 0;
    int r = checkEntry(pvStruct, t);
    if (r < 0)
        return r;
    U8* v = (U8*)pvStruct;
    switch (t->eDataFormat) {
    case G_DF_BUFFER: {
        C_BUFFER b;
        memcpy(&b, v, sizeof b);
        freeBlock(b.pData);
        b.pData = nullptr;
        memcpy(v, &b, sizeof b);
        break;
    }
    case G_DF_FIXED_ARRAY: {
        const G_DATA_TYPE* e = t->DataTypes[0];
        const int count = t->nSizeofType / e->nSizeofType;
        for (int i = 0; i < count; ++i)
            freeInside(v + (size_t)i * e->nSizeofType, e);
        break;
    }
    case G_DF_DYNAMIC_ARRAY: {
        const G_DATA_TYPE* e = t->DataTypes[0];
        G_DYNAMIC_ARRAY a;
        memcpy(&a, v, sizeof a);
        if (a.nCount > 0 && a.pvElements) {
            for (int i = 0; i < a.nCount; ++i)
                freeInside((U8*)a.pvElements + (size_t)i * e->nSizeofType, e);
            freeBlock(a.pvElements);
            a.pvElements = nullptr;
            memcpy(v, &a, sizeof a);
        }
        break;
    }
    case G_DF_NULL_TERM_PTR_ARRAY: {
        const G_DATA_TYPE* e = t->DataTypes[0];
        U8* arr = (U8*)ptrAt(v);
        if (arr) {
            for (size_t i = 0; ptrAt(arr + i * POINTER_SIZE); ++i)
                freeInside(arr + i * POINTER_SIZE, e);
            freeBlock(arr);
            setPtrAt(v, nullptr);
        }
        break;
    }
    case G_DF_POINTER_TO_TYPE: {
        void* p = ptrAt(v);
        const G_DATA_TYPE* e = t->DataTypes[0];
        if (p && e->pfDeallocate)
            e->pfDeallocate(p, TRUE, e);
        setPtrAt(v, nullptr);
        break;
    }
    case G_DF_STRUCT:
        r = forEachMember(t, 0, [&](const G_DATA_TYPE* mt, size_t off) {
            freeInside(v + off, mt);
            return 0;
        });
        if (r < 0)
            return r;
        break;
    default: // scalars and strings hold nothing
        break;
    }
    if (bTypeAllocated)
        freeBlock(pvStruct);
    return 0;
}

int DATATYPE_nStandardXmlWriter(void*, GXML_WRITER*, const char*, const G_DATA_TYPE*)
{
    return DATATYPE_ERR_XML_WRITE;
}

int DATATYPE_nStandardXmlReader(void**, GXML_READER*, const G_DATA_TYPE*) { return DATATYPE_ERR_XML_READ; }

BOOLEAN DATATYPE_bCompatibleTypes(const G_DATA_TYPE* pDataType1, const G_DATA_TYPE* pDataType2)
{
    const G_DATA_TYPE* a = pDataType1;
    const G_DATA_TYPE* b = pDataType2;
    for (int depth = 0; depth <= DATATYPE_MAX_DEPTH; ++depth) {
        if (a == b)
            return TRUE;
        if (!a || !b || a->eDataFormat != b->eDataFormat)
            return FALSE;
        switch (a->eDataFormat) {
        case G_DF_ENUM:
        case G_DF_OPAQUE:
        case G_DF_EXCLUDED:
            return a->nSizeofType == b->nSizeofType;
        case G_DF_FIXED_ARRAY:
        case G_DF_DYNAMIC_ARRAY:
        case G_DF_NULL_TERM_PTR_ARRAY:
        case G_DF_POINTER_TO_TYPE:
            if (!a->DataTypes || !b->DataTypes)
                return FALSE;
            a = a->DataTypes[0];
            b = b->DataTypes[0];
            continue;
        case G_DF_STRUCT: {
            if (!a->DataTypes || !b->DataTypes)
                return FALSE;
            const G_DATA_TYPE* const* ma = a->DataTypes;
            const G_DATA_TYPE* const* mb = b->DataTypes;
            for (; *ma && *mb; ++ma, ++mb)
                if (!DATATYPE_bCompatibleTypes(*ma, *mb))
                    return FALSE;
            return *ma == nullptr && *mb == nullptr;
        }
        case G_DF_UNDEFINED:
        case G_DF_CUSTOM:
            return FALSE;
        default:
            return a->eDataFormat > G_DF_UNDEFINED && a->eDataFormat < G_DF_CUSTOM;
        }
    }
    return FALSE;
}

double DATATYPE_dConvertUnitToUnit(double dValue, G_DATA_UNIT eUnitFrom, G_DATA_UNIT eUnitTo)
{
    return convert(dValue, eUnitFrom, eUnitTo);
}

double DATATYPE_dConvertDataToUnit(double dValue, const G_DATA_TYPE* pDataTypeFrom, G_DATA_UNIT eUnitTo)
{
    return convert(dValue, pDataTypeFrom ? (int)pDataTypeFrom->eDataUnit : -1, eUnitTo);
}

double DATATYPE_dConvertUnitToData(double dValue, G_DATA_UNIT eUnitFrom, const G_DATA_TYPE* pDataTypeTo)
{
    return convert(dValue, eUnitFrom, pDataTypeTo ? (int)pDataTypeTo->eDataUnit : -1);
}

// -------------------------------------------------------- basic descriptors

#define DT_BASIC(name, format, size, unit) \
    const G_DATA_TYPE name = DATATYPE_Standard(#name, format, size, nullptr, 0, unit)

DT_BASIC(DT_DEFAULT, G_DF_UNDEFINED, 0, G_DU_NONE);
DT_BASIC(DT_UNSIGNED64, G_DF_UNSIGNED64, 8, G_DU_NONE);
DT_BASIC(DT_SIGNED64, G_DF_SIGNED64, 8, G_DU_NONE);
DT_BASIC(DT_DOUBLE, G_DF_DOUBLE, 8, G_DU_NONE);
DT_BASIC(DT_UNSIGNED32, G_DF_UNSIGNED32, 4, G_DU_NONE);
DT_BASIC(DT_SIGNED32, G_DF_SIGNED32, 4, G_DU_NONE);
DT_BASIC(DT_FLOAT, G_DF_FLOAT, 4, G_DU_NONE);
DT_BASIC(DT_POINTER, G_DF_VOID_POINTER, (int)sizeof(void*), G_DU_NONE);
DT_BASIC(DT_UNSIGNED16, G_DF_UNSIGNED16, 2, G_DU_NONE);
DT_BASIC(DT_SIGNED16, G_DF_SIGNED16, 2, G_DU_NONE);
DT_BASIC(DT_UNSIGNED8, G_DF_UNSIGNED8, 1, G_DU_NONE);
DT_BASIC(DT_SIGNED8, G_DF_SIGNED8, 1, G_DU_NONE);
DT_BASIC(DT_BOOLEAN, G_DF_BOOLEAN, 1, G_DU_NONE);
DT_BASIC(DT_STRING, G_DF_STRING, 4, G_DU_NONE);
DT_BASIC(DT_WSTRING, G_DF_WSTRING, 8, G_DU_NONE);
DT_BASIC(DT_BUFFER, G_DF_BUFFER, (int)sizeof(C_BUFFER), G_DU_NONE);

DT_BASIC(DT_DISTANCE, G_DF_FLOAT, 4, G_DU_METERS);
DT_BASIC(DT_DEPTH, G_DF_FLOAT, 4, G_DU_METERS);
DT_BASIC(DT_ALTITUDE, G_DF_FLOAT, 4, G_DU_METERS);
DT_BASIC(DT_SPEED, G_DF_FLOAT, 4, G_DU_MPS);
DT_BASIC(DT_TIME, G_DF_FLOAT, 4, G_DU_SECONDS);
DT_BASIC(DT_DATETIME, G_DF_UNSIGNED32, 4, G_DU_SECONDS);
DT_BASIC(DT_PRESSURE, G_DF_FLOAT, 4, G_DU_HECTOPASCALS);
DT_BASIC(DT_VOLUME, G_DF_FLOAT, 4, G_DU_M3);
DT_BASIC(DT_POTENTIAL, G_DF_FLOAT, 4, G_DU_VOLTS);
DT_BASIC(DT_CURRENT, G_DF_FLOAT, 4, G_DU_AMPERES);
DT_BASIC(DT_TEMPERATURE, G_DF_FLOAT, 4, G_DU_CELSIUS);
DT_BASIC(DT_HEADING, G_DF_FLOAT, 4, G_DU_DEG_TRUE);
DT_BASIC(DT_MAGVAR, G_DF_FLOAT, 4, G_DU_DEG_TRUE);
DT_BASIC(DT_RATEOFTURN, G_DF_FLOAT, 4, G_DU_DEG_PER_MINUTE);
DT_BASIC(DT_LATITUDE, G_DF_FLOAT, 4, G_DU_DEG_LATITUDE);
DT_BASIC(DT_LONGITUDE, G_DF_FLOAT, 4, G_DU_DEG_LONGITUDE);

#define DT_POINTER_TO(name, pointee)                                                                  \
    static const G_DATA_TYPE* const name##_MEMBER_LIST[] = {&pointee, nullptr};                       \
    const G_DATA_TYPE name = DATATYPE_Standard(#name, G_DF_POINTER_TO_TYPE, (int)sizeof(void*), name##_MEMBER_LIST)

DT_POINTER_TO(DT_PTR_TO_UNSIGNED64, DT_UNSIGNED64);
DT_POINTER_TO(DT_PTR_TO_SIGNED64, DT_SIGNED64);
DT_POINTER_TO(DT_PTR_TO_DOUBLE, DT_DOUBLE);
DT_POINTER_TO(DT_PTR_TO_UNSIGNED32, DT_UNSIGNED32);
DT_POINTER_TO(DT_PTR_TO_SIGNED32, DT_SIGNED32);
DT_POINTER_TO(DT_PTR_TO_FLOAT, DT_FLOAT);
DT_POINTER_TO(DT_PTR_TO_POINTER, DT_POINTER);
DT_POINTER_TO(DT_PTR_TO_UNSIGNED16, DT_UNSIGNED16);
DT_POINTER_TO(DT_PTR_TO_SIGNED16, DT_SIGNED16);
DT_POINTER_TO(DT_PTR_TO_UNSIGNED8, DT_UNSIGNED8);
DT_POINTER_TO(DT_PTR_TO_SIGNED8, DT_SIGNED8);
DT_POINTER_TO(DT_PTR_TO_BOOLEAN, DT_BOOLEAN);
DT_POINTER_TO(DT_PTR_TO_STRING, DT_STRING);
DT_POINTER_TO(DT_PTR_TO_WSTRING, DT_WSTRING);
DT_POINTER_TO(DT_PTR_TO_BUFFER, DT_BUFFER);
