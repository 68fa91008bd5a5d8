// Little-endian codecs of the navigation records. Each codec walks its
// layout in offset order through a cursor, so the offsets of a layout read
// top to bottom in one function; each ends at exactly its layout's size.
#include "nav/data/t_nav_record.h"

#include <cassert>
#include <cstring>

// Statics -----------------------------------------------------------------

namespace {

struct WRITER {
    U8* p;
    void u8(U8 v) { *p++ = v; }
    void u16(U16 v)
    {
        u8((U8)v);
        u8((U8)(v >> 8));
    }
    void u32(U32 v)
    {
        u16((U16)v);
        u16((U16)(v >> 16));
    }
    void u64(U64 v)
    {
        u32((U32)v);
        u32((U32)(v >> 32));
    }
    void s16(S16 v) { u16((U16)v); }
    void s32(S32 v) { u32((U32)v); }
    void pt(POINT v)
    {
        s32(v.x);
        s32(v.y);
    }
    void bytes(const void* v, size_t n)
    {
        memcpy(p, v, n);
        p += n;
    }
};

struct READER {
    const U8* p;
    U8 u8() { return *p++; }
    U16 u16()
    {
        U16 lo = u8();
        return (U16)(lo | u8() << 8);
    }
    U32 u32()
    {
        U32 lo = u16();
        return lo | (U32)u16() << 16;
    }
    U64 u64()
    {
        U64 lo = u32();
        return lo | (U64)u32() << 32;
    }
    S16 s16() { return (S16)u16(); }
    S32 s32() { return (S32)u32(); }
    POINT pt()
    {
        POINT v;
        v.x = s32();
        v.y = s32();
        return v;
    }
    void bytes(void* v, size_t n)
    {
        memcpy(v, p, n);
        p += n;
    }
};

} // namespace

// Waypoint-table slot, 28 bytes ---------------------------------------------

void T_NAV_RECORD_vEncodeWaypoint(const WAYPOINT* pRecord, U8* pu8Out)
{
    WRITER w{pu8Out};
    w.u8((U8)(pRecord->u8Status | pRecord->bHide << 6 | pRecord->bWpNotShared << 7));
    w.u8(pRecord->u8Icon);
    w.u16(pRecord->u16Depth);
    w.u32(pRecord->u32DateTime);
    w.pt(pRecord->pt);
    w.bytes(pRecord->sName, WAYPOINT_NAME_CHARS);
    assert(w.p == pu8Out + WAYPOINT_BYTES);
}

void T_NAV_RECORD_vDecodeWaypoint(const U8* pu8In, WAYPOINT* pRecord)
{
    READER r{pu8In};
    U8 flags = r.u8();
    pRecord->u8Status = flags & 0x3F;
    pRecord->bHide = flags >> 6 & 1;
    pRecord->bWpNotShared = flags >> 7 & 1;
    pRecord->u8Icon = r.u8();
    pRecord->u16Depth = r.u16();
    pRecord->u32DateTime = r.u32();
    pRecord->pt = r.pt();
    r.bytes(pRecord->sName, WAYPOINT_NAME_CHARS);
    assert(r.p == pu8In + WAYPOINT_BYTES);
}

// Route, 128 bytes ------------------------------------------------------------

void T_NAV_RECORD_vEncodeRoute(const ROUTE* pRecord, U8* pu8Out)
{
    WRITER w{pu8Out};
    w.u32(pRecord->nCount | (U32)pRecord->bHide << 30 | (U32)pRecord->bRtNotShared << 31);
    w.u32(pRecord->u32DateTime);
    w.bytes(pRecord->sName, ROUTE_NAME_CHARS);
    for (U32 i = 0; i < ROUTE_MAX_POINTS; ++i)
        w.u16(pRecord->anWaypoint[i]);
    assert(w.p == pu8Out + ROUTE_BYTES);
}

void T_NAV_RECORD_vDecodeRoute(const U8* pu8In, ROUTE* pRecord)
{
    READER r{pu8In};
    U32 first = r.u32();
    pRecord->nCount = first & 0x3FFFFFFF;
    pRecord->bHide = first >> 30 & 1;
    pRecord->bRtNotShared = first >> 31 & 1;
    pRecord->u32DateTime = r.u32();
    r.bytes(pRecord->sName, ROUTE_NAME_CHARS);
    for (U32 i = 0; i < ROUTE_MAX_POINTS; ++i)
        pRecord->anWaypoint[i] = r.u16();
    assert(r.p == pu8In + ROUTE_BYTES);
}

// Track, 60-byte header and 131072-byte record ------------------------------------

void T_NAV_RECORD_vEncodeTrackHeader(const TRACK_HEADER* pRecord, U8* pu8Out)
{
    WRITER w{pu8Out};
    w.u16(pRecord->u16Count);
    w.u16(pRecord->u16FirstDelta);
    w.u32(pRecord->u32DateTime);
    w.pt(pRecord->ptFirst);
    w.pt(pRecord->ptLast);
    w.pt(pRecord->ptLowerLeft);
    w.pt(pRecord->ptUpperRight);
    w.bytes(pRecord->sName, TRACK_NAME_CHARS);
    assert(w.p == pu8Out + TRACK_HEADER_BYTES);
}

void T_NAV_RECORD_vDecodeTrackHeader(const U8* pu8In, TRACK_HEADER* pRecord)
{
    READER r{pu8In};
    pRecord->u16Count = r.u16();
    pRecord->u16FirstDelta = r.u16();
    pRecord->u32DateTime = r.u32();
    pRecord->ptFirst = r.pt();
    pRecord->ptLast = r.pt();
    pRecord->ptLowerLeft = r.pt();
    pRecord->ptUpperRight = r.pt();
    r.bytes(pRecord->sName, TRACK_NAME_CHARS);
    assert(r.p == pu8In + TRACK_HEADER_BYTES);
}

void T_NAV_RECORD_vEncodeTrack(const TRACK* pRecord, U8* pu8Out)
{
    T_NAV_RECORD_vEncodeTrackHeader(pRecord, pu8Out);
    WRITER w{pu8Out + TRACK_HEADER_BYTES};
    for (const TRACK_DELTA_DEPTH_TRIPLE& d : pRecord->aDelta) {
        w.s16(d.x);
        w.s16(d.y);
        w.u16(d.u16Depth);
    }
    w.u16(pRecord->u16Reserved);
    assert(w.p == pu8Out + TRACK_BYTES);
}

void T_NAV_RECORD_vDecodeTrack(const U8* pu8In, TRACK* pRecord)
{
    T_NAV_RECORD_vDecodeTrackHeader(pu8In, pRecord);
    READER r{pu8In + TRACK_HEADER_BYTES};
    for (TRACK_DELTA_DEPTH_TRIPLE& d : pRecord->aDelta) {
        d.x = r.s16();
        d.y = r.s16();
        d.u16Depth = r.u16();
    }
    pRecord->u16Reserved = r.u16();
    assert(r.p == pu8In + TRACK_BYTES);
}

// Trolling-motor track, 3072 bytes ---------------------------------------------

void T_NAV_RECORD_vEncodeRumbrel(const RUMBREL* pRecord, U8* pu8Out)
{
    WRITER w{pu8Out};
    w.u32(pRecord->nCount);
    w.u32(pRecord->u32DateTime);
    w.bytes(pRecord->sName, RUMBREL_NAME_CHARS);
    w.u32(pRecord->pad1);
    w.u32(pRecord->u32Flags);
    w.u32(pRecord->u32TotalLengthFt);
    w.u32(pRecord->u32DateTimeLastUsed);
    w.u32(pRecord->u32Visible);
    w.u32(pRecord->u32Style);
    w.u32(pRecord->u32Color);
    w.pt(pRecord->ptLowerLeft);
    w.pt(pRecord->ptUpperRight);
    w.u64(pRecord->u64UID);
    w.u32(pRecord->u32LastModifiedTimeNDate);
    w.u32(pRecord->u32DisplayedOnChart);
    w.u32(pRecord->u32ClosestTP);
    w.u32(pRecord->u32ClosestDTG);
    w.u32(pRecord->u32ClosestBRG);
    w.u32(pRecord->u32MMCToRumbrelId);
    w.pt(pRecord->ptOriginPt);
    w.u32(pRecord->u32PointsHash);
    w.bytes(pRecord->pad, sizeof pRecord->pad);
    assert(w.p == pu8Out + RUMBREL_HEADER_BYTES);
    for (const POINT& p : pRecord->aTrackPoints)
        w.pt(p);
    assert(w.p == pu8Out + RUMBREL_BYTES);
}

void T_NAV_RECORD_vDecodeRumbrel(const U8* pu8In, RUMBREL* pRecord)
{
    READER r{pu8In};
    pRecord->nCount = r.u32();
    pRecord->u32DateTime = r.u32();
    r.bytes(pRecord->sName, RUMBREL_NAME_CHARS);
    pRecord->pad1 = r.u32();
    pRecord->u32Flags = r.u32();
    pRecord->u32TotalLengthFt = r.u32();
    pRecord->u32DateTimeLastUsed = r.u32();
    pRecord->u32Visible = r.u32();
    pRecord->u32Style = r.u32();
    pRecord->u32Color = r.u32();
    pRecord->ptLowerLeft = r.pt();
    pRecord->ptUpperRight = r.pt();
    pRecord->u64UID = r.u64();
    pRecord->u32LastModifiedTimeNDate = r.u32();
    pRecord->u32DisplayedOnChart = r.u32();
    pRecord->u32ClosestTP = r.u32();
    pRecord->u32ClosestDTG = r.u32();
    pRecord->u32ClosestBRG = r.u32();
    pRecord->u32MMCToRumbrelId = r.u32();
    pRecord->ptOriginPt = r.pt();
    pRecord->u32PointsHash = r.u32();
    r.bytes(pRecord->pad, sizeof pRecord->pad);
    assert(r.p == pu8In + RUMBREL_HEADER_BYTES);
    for (POINT& p : pRecord->aTrackPoints)
        p = r.pt();
    assert(r.p == pu8In + RUMBREL_BYTES);
}
