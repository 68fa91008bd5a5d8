// Little-endian field codecs of the network forms (serialized payloads, the
// GMSG header). Every multi-byte number leaves the process through these, in
// the unit's own order whatever the host's.
#pragma once

#include "kernel/l_types.h"

namespace gmsg_wire {

inline void putU16(U8* p, U16 v)
{
    p[0] = (U8)v;
    p[1] = (U8)(v >> 8);
}

inline void putU32(U8* p, U32 v)
{
    p[0] = (U8)v;
    p[1] = (U8)(v >> 8);
    p[2] = (U8)(v >> 16);
    p[3] = (U8)(v >> 24);
}

inline void putU64(U8* p, U64 v)
{
    putU32(p, (U32)v);
    putU32(p + 4, (U32)(v >> 32));
}

inline U16 getU16(const U8* p) { return (U16)(p[0] | (p[1] << 8)); }

inline U32 getU32(const U8* p)
{
    return (U32)p[0] | ((U32)p[1] << 8) | ((U32)p[2] << 16) | ((U32)p[3] << 24);
}

inline U64 getU64(const U8* p) { return (U64)getU32(p) | ((U64)getU32(p + 4) << 32); }

} // namespace gmsg_wire
