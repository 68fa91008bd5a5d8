// Exchange records: byte order per field, the older layouts and their
// upgrade, and the position-hold icon of version-2 waypoints.
//
// Every converter here works on a byte buffer whose length it is given,
// and reads a count only to bound a loop over entries that the layout
// holds: a record never makes a converter touch a byte outside it.
#include "nav/data/t_nav_data.h"

#include "kernel/h_memory.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"

#include <algorithm>
#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr U32 TRACK_RING_OFFSET = TRACK_HEADER_BYTES;
constexpr U32 TRACK_TRIPLE_BYTES = 6;
constexpr U32 ROUTE_IDS_OFFSET = 28;
constexpr U32 ROUTE_V1_IDS_OFFSET = 8;
constexpr U32 ROUTE_V1_NAME_OFFSET = 48;
constexpr U32 OLD_TRACK_RING_OFFSET = 24;
constexpr U32 RUMBREL_POINTS_OFFSET = RUMBREL_HEADER_BYTES;
constexpr U32 ROUTE_COUNT_MASK = 0x3FFFFFFF;
constexpr U8 STATUS_MASK = 0x3F;
constexpr U32 GROUP_BODY_WORDS = 13;

// The running position of an upgraded track wraps at the antimeridian and
// stops at the poles of the unit's projection.
constexpr S64 HALF_WORLD_X = 20038300;
constexpr S64 WORLD_X = 40076600;
constexpr S64 MAX_Y = 15433198;

} // namespace

// Statics -------------------------------------------------------------------

namespace {

// One byte per own slot: the highest file version the start-up scan met
// there; exists from the first scanned slot file to the rewrite.
U8* s_u8RewriteWaypointFlags = nullptr;

void vSwap16(U8* p)
{
    std::swap(p[0], p[1]);
}

void vSwap32(U8* p)
{
    std::swap(p[0], p[3]);
    std::swap(p[1], p[2]);
}

void vSwap64(U8* p)
{
    for (int i = 0; i < 4; ++i)
        std::swap(p[i], p[7 - i]);
}

void vSwapWords(U8* p, U32 u32Offset, U32 u32Words)
{
    for (U32 i = 0; i < u32Words; ++i)
        vSwap32(p + u32Offset + 4 * i);
}

U16 u16Le(const U8* p)
{
    return (U16)(p[0] | p[1] << 8);
}

U32 u32Le(const U8* p)
{
    return (U32)p[0] | (U32)p[1] << 8 | (U32)p[2] << 16 | (U32)p[3] << 24;
}

void vPutLe16(U8* p, U16 v)
{
    p[0] = (U8)v;
    p[1] = (U8)(v >> 8);
}

void vPutLe32(U8* p, U32 v)
{
    vPutLe16(p, (U16)v);
    vPutLe16(p + 2, (U16)(v >> 16));
}

// The layouts, one function each. bToCard: the counts are read before
// the swap (host order in hand); otherwise after it.

void vSwapTrack(U8* b, bool bToCard)
{
    if (!bToCard) {
        vSwap16(b);
        vSwap16(b + 2);
    }
    const U32 n = std::min<U32>(u16Le(b), TRACK_DELTA_COUNT);
    for (U32 i = 0; i < n; ++i) {
        U8* t = b + TRACK_RING_OFFSET + TRACK_TRIPLE_BYTES * i;
        vSwap16(t);
        vSwap16(t + 2);
        vSwap16(t + 4);
    }
    if (bToCard) {
        vSwap16(b);
        vSwap16(b + 2);
    }
    vSwapWords(b, 4, 1 + 8); // date-time, four corners
}

// Older tracks are only ever read.
void vSwapOldTrackToHost(U8* b, U32 u32Ring)
{
    vSwap16(b);
    vSwap16(b + 2);
    vSwapWords(b, 4, 1 + 4); // date-time, first and last point
    const U32 n = std::min<U32>(u16Le(b), u32Ring);
    for (U32 i = 0; i < n; ++i) {
        vSwap16(b + OLD_TRACK_RING_OFFSET + 4 * i);
        vSwap16(b + OLD_TRACK_RING_OFFSET + 4 * i + 2);
    }
}

void vSwapWaypoint(U8* b)
{
    vSwap16(b + 2);
    vSwapWords(b, 4, 3); // date-time, x, y
}

void vSwapGroupHeader(U8* b)
{
    vSwap16(b + 2);
    vSwap32(b + 4);
    for (U32 off = 8; off < 16; off += 2)
        vSwap16(b + off);
}

void vSwapGroupBody(U8* b)
{
    for (U32 i = 0; i < GROUP_BODY_WORDS; ++i)
        vSwap16(b + 2 + 2 * i);
}

// A slot by its status byte (as is in both orders).
void vSwapSlot(U8* b)
{
    switch (b[0] & STATUS_MASK) {
    case WP_STATUS_GROUP_HEADER:
        vSwapGroupHeader(b);
        break;
    case WP_STATUS_GROUP_BODY:
        vSwapGroupBody(b);
        break;
    default:
        vSwapWaypoint(b);
        break;
    }
}

void vSwapRouteIds(U8* b, U32 u32Offset, U32 u32Max, bool bToCard)
{
    if (!bToCard)
        vSwapWords(b, 0, 2);
    const U32 n = std::min<U32>(u32Le(b) & ROUTE_COUNT_MASK, u32Max);
    for (U32 i = 0; i < n; ++i)
        vSwap16(b + u32Offset + 2 * i);
    if (bToCard)
        vSwapWords(b, 0, 2);
}

void vSwapRoute(U8* b, bool bToCard)
{
    vSwapRouteIds(b, ROUTE_IDS_OFFSET, ROUTE_MAX_POINTS, bToCard);
}

void vSwapRumbrel(U8* b, bool bToCard)
{
    if (!bToCard)
        vSwap32(b);
    const U32 n = std::min<U32>(u32Le(b), RUMBREL_MAX_POINTS);
    for (U32 i = 0; i < n; ++i)
        vSwapWords(b, RUMBREL_POINTS_OFFSET + 8 * i, 2);
    if (bToCard)
        vSwap32(b);
    vSwap32(b + 4);   // date-time
    vSwapWords(b, 28, 9); // length, last used, visible, style, colour, box
    vSwap64(b + 64);  // uid as one value
    vSwap32(b + 72);  // last modified
    memset(b + 80, 0, 12); // closest point, distance and bearing: the reader's own
}

void vUpgradeTrack(const U8* pOld, U32 u32Ring, TRACK* pNew)
{
    memset(pNew, 0, sizeof *pNew);
    const U16 count = u16Le(pOld);
    const U16 first = u16Le(pOld + 2);
    POINT ptFirst = {(S32)u32Le(pOld + 8), (S32)u32Le(pOld + 12)};
    pNew->u16Count = count;
    pNew->u16FirstDelta = 0;
    pNew->u32DateTime = u32Le(pOld + 4);
    pNew->ptFirst = pNew->ptLowerLeft = pNew->ptUpperRight = ptFirst;
    pNew->ptLast = {(S32)u32Le(pOld + 16), (S32)u32Le(pOld + 20)};
    memcpy(pNew->sName, pOld + OLD_TRACK_RING_OFFSET + 4 * u32Ring, TRACK_NAME_CHARS);
    if (first >= u32Ring) {
        // The ring has no such step: nothing of it can be trusted.
        pNew->u16Count = 0;
        return;
    }
    const U32 steps = std::min<U32>(count, u32Ring);
    S64 x = ptFirst.x, y = ptFirst.y;
    for (U32 i = 0; i < steps; ++i) {
        const U8* step = pOld + OLD_TRACK_RING_OFFSET + 4 * ((first + i) % u32Ring);
        TRACK_DELTA_DEPTH_TRIPLE& d = pNew->aDelta[i];
        d.x = (S16)u16Le(step);
        d.y = (S16)u16Le(step + 2);
        d.u16Depth = 0;
        x += d.x;
        y += d.y;
        if (x > HALF_WORLD_X)
            x -= WORLD_X;
        else if (x < -HALF_WORLD_X)
            x += WORLD_X;
        y = std::clamp(y, -MAX_Y, MAX_Y);
        pNew->ptLowerLeft.x = std::min(pNew->ptLowerLeft.x, (S32)x);
        pNew->ptLowerLeft.y = std::min(pNew->ptLowerLeft.y, (S32)y);
        pNew->ptUpperRight.x = std::max(pNew->ptUpperRight.x, (S32)x);
        pNew->ptUpperRight.y = std::max(pNew->ptUpperRight.y, (S32)y);
    }
}

bool bHasPositionHoldName(const U8* pName)
{
    return memcmp(pName, NAV_DATA_POSITION_HOLD_PREFIX, 2) == 0;
}

} // namespace

// Header codecs ---------------------------------------------------------------

void T_NAV_DATA_vEncodeHeader(const NAV_DATA_STRUCTURE_HEADER* pHeader, U8* pu8Out)
{
    T_NAV_DATA_vEncodeHostHeader(pHeader, pu8Out);
    vSwap16(pu8Out + 2);
    vSwap16(pu8Out + 4);
}

void T_NAV_DATA_vDecodeHeader(const U8* pu8In, NAV_DATA_STRUCTURE_HEADER* pHeader)
{
    pHeader->u8Type = pu8In[0];
    pHeader->u8Version = pu8In[1];
    pHeader->u16Size = (U16)(pu8In[2] << 8 | pu8In[3]);
    pHeader->u16Index = (U16)(pu8In[4] << 8 | pu8In[5]);
    pHeader->u16Reserved = u16Le(pu8In + 6);
}

void T_NAV_DATA_vEncodeHostHeader(const NAV_DATA_STRUCTURE_HEADER* pHeader, U8* pu8Out)
{
    pu8Out[0] = pHeader->u8Type;
    pu8Out[1] = pHeader->u8Version;
    vPutLe16(pu8Out + 2, pHeader->u16Size);
    vPutLe16(pu8Out + 4, pHeader->u16Index);
    vPutLe16(pu8Out + 6, pHeader->u16Reserved);
}

void T_NAV_DATA_vDecodeHostHeader(const U8* pu8In, NAV_DATA_STRUCTURE_HEADER* pHeader)
{
    pHeader->u8Type = pu8In[0];
    pHeader->u8Version = pu8In[1];
    pHeader->u16Size = u16Le(pu8In + 2);
    pHeader->u16Index = u16Le(pu8In + 4);
    pHeader->u16Reserved = u16Le(pu8In + 6);
}

// Byte order ----------------------------------------------------------------------

U32 T_NAV_DATA_u32BodyBytes(U8 u8Type, U8 u8Version, const U8* pBody, U32 u32Have)
{
    switch (u8Type) {
    case NAV_DATA_TRACK:
        if (u8Version <= 1)
            return TRACK_V1_BYTES;
        if (u8Version == 2)
            return TRACK_V2_BYTES;
        return u8Version == 3 ? TRACK_BYTES : 0;
    case NAV_DATA_WAYPOINT: {
        if (pBody == nullptr || u32Have < WAYPOINT_BYTES)
            return WAYPOINT_BYTES;
        const U8 status = pBody[0] & STATUS_MASK;
        if (status == WP_STATUS_GROUP_HEADER || status == WP_STATUS_GROUP_BODY)
            return WAYPOINT_BYTES;
        return u8Version <= 3 ? WAYPOINT_BYTES : 0;
    }
    case NAV_DATA_ROUTE:
        if (u8Version <= 2)
            return ROUTE_V1_BYTES;
        return u8Version == 3 ? ROUTE_BYTES : 0;
    case NAV_DATA_RUMBREL:
        return RUMBREL_BYTES;
    default:
        return 0;
    }
}

void T_NAV_DATA_vHostToBigEndian(U8* pSource, U32 u32Bytes)
{
    if (pSource == nullptr || u32Bytes < NAV_DATA_HEADER_BYTES)
        return;
    vSwap16(pSource + 2);
    vSwap16(pSource + 4);
    U8* body = pSource + NAV_DATA_HEADER_BYTES;
    const U32 have = u32Bytes - NAV_DATA_HEADER_BYTES;
    switch (pSource[0]) {
    case NAV_DATA_TRACK:
        if (have >= TRACK_BYTES)
            vSwapTrack(body, true);
        break;
    case NAV_DATA_WAYPOINT:
        if (have >= WAYPOINT_BYTES)
            vSwapSlot(body);
        break;
    case NAV_DATA_ROUTE:
        if (have >= ROUTE_BYTES)
            vSwapRoute(body, true);
        break;
    case NAV_DATA_RUMBREL:
        if (have >= RUMBREL_BYTES)
            vSwapRumbrel(body, true);
        break;
    default:
        break;
    }
}

void T_NAV_DATA_vBigEndianToHost(U8* pHeader, U8* pSource, U32 u32BodyBytes)
{
    if (pHeader == nullptr)
        return;
    vSwap16(pHeader + 2);
    vSwap16(pHeader + 4);
    const U8 type = pHeader[0], version = pHeader[1];
    const U32 need = pSource ? T_NAV_DATA_u32BodyBytes(type, version, pSource, u32BodyBytes) : 0;
    if (need == 0 || u32BodyBytes < need) {
        pHeader[0] = 0;
        return;
    }
    switch (type) {
    case NAV_DATA_TRACK:
        if (version == 3)
            vSwapTrack(pSource, false);
        else
            vSwapOldTrackToHost(pSource, version == 2 ? TRACK_V2_DELTAS : TRACK_V1_DELTAS);
        break;
    case NAV_DATA_WAYPOINT:
        vSwapSlot(pSource);
        break;
    case NAV_DATA_ROUTE:
        if (version == 3)
            vSwapRoute(pSource, false);
        else
            vSwapRouteIds(pSource, ROUTE_V1_IDS_OFFSET, ROUTE_V1_MAX_POINTS, false);
        break;
    case NAV_DATA_RUMBREL:
        vSwapRumbrel(pSource, false);
        break;
    default:
        break;
    }
}

namespace {

void vGndSwap(U8 u8Type, U8* p, bool bToCard)
{
    if (p == nullptr)
        return;
    switch (u8Type) {
    case NAV_DATA_TRACK:
        vSwapTrack(p, bToCard);
        break;
    case NAV_DATA_WAYPOINT:
        if ((p[0] & STATUS_MASK) != WP_STATUS_FREE)
            vSwapSlot(p);
        break;
    case NAV_DATA_ROUTE:
        vSwapRoute(p, bToCard);
        break;
    case NAV_DATA_RUMBREL:
        vSwapRumbrel(p, bToCard);
        break;
    case NAV_DATA_GROUP_HEADER:
        vSwapGroupHeader(p);
        break;
    case NAV_DATA_GROUP_BODY:
        vSwapGroupBody(p);
        break;
    default:
        break;
    }
}

} // namespace

void T_NAV_DATA_vGNDHostToBigEndian(U8 DataType, U8* pSource)
{
    vGndSwap(DataType, pSource, true);
}

void T_NAV_DATA_vGNDBigEndianToHost(U8, U8 dataType, U8* pSource)
{
    vGndSwap(dataType, pSource, false);
}

// Upgrades and conversion -----------------------------------------------------------

void vConvertV1ToV3Track(const U8* pOldTrack, TRACK* pNewTrack)
{
    if (pOldTrack && pNewTrack)
        vUpgradeTrack(pOldTrack, TRACK_V1_DELTAS, pNewTrack);
}

void vConvertV2ToV3Track(const U8* pOldTrack, TRACK* pNewTrack)
{
    if (pOldTrack && pNewTrack)
        vUpgradeTrack(pOldTrack, TRACK_V2_DELTAS, pNewTrack);
}

S32 T_NAV_DATA_nConvertRecord(U8* pDestHeader, U8* pDestData, const U8* pSource, U32 u32SourceBytes)
{
    if (pDestData == nullptr || pSource == nullptr || u32SourceBytes < NAV_DATA_HEADER_BYTES)
        return 0;
    NAV_DATA_STRUCTURE_HEADER in;
    T_NAV_DATA_vDecodeHostHeader(pSource, &in);
    const U8* body = pSource + NAV_DATA_HEADER_BYTES;
    const U32 have = u32SourceBytes - NAV_DATA_HEADER_BYTES;
    NAV_DATA_STRUCTURE_HEADER out = {in.u8Type, 0, 0, in.u16Index, in.u16Reserved};
    S32 written = 0;
    switch (in.u8Type) {
    case NAV_DATA_WAYPOINT:
        if (have >= WAYPOINT_BYTES) {
            memcpy(pDestData, body, WAYPOINT_BYTES);
            written = WAYPOINT_BYTES;
            out.u16Size = NAV_DATA_WAYPOINT_RECORD_BYTES;
        }
        break;
    case NAV_DATA_ROUTE:
        if (in.u8Version >= 3 && have >= ROUTE_BYTES) {
            memcpy(pDestData, body, ROUTE_BYTES);
            written = ROUTE_BYTES;
        } else if (in.u8Version < 3 && have >= ROUTE_V1_BYTES) {
            // The older route knows nothing of hiding or sharing: the slot's
            // own bits stay.
            const U32 first = (u32Le(pDestData) & ~ROUTE_COUNT_MASK) | (u32Le(body) & ROUTE_COUNT_MASK);
            vPutLe32(pDestData, first);
            memcpy(pDestData + 4, body + 4, 4);
            memcpy(pDestData + 8, body + ROUTE_V1_NAME_OFFSET, ROUTE_NAME_CHARS);
            memcpy(pDestData + ROUTE_IDS_OFFSET, body + ROUTE_V1_IDS_OFFSET, 2 * ROUTE_V1_MAX_POINTS);
            memset(pDestData + ROUTE_IDS_OFFSET + 2 * ROUTE_V1_MAX_POINTS, 0,
                   2 * (ROUTE_MAX_POINTS - ROUTE_V1_MAX_POINTS));
            written = ROUTE_BYTES;
        }
        if (written)
            out.u16Size = NAV_DATA_ROUTE_RECORD_BYTES;
        break;
    case NAV_DATA_TRACK:
        if (in.u8Version >= 3 && have >= TRACK_BYTES) {
            memcpy(pDestData, body, TRACK_BYTES);
            written = TRACK_BYTES;
        } else if (in.u8Version < 3) {
            const bool v2 = in.u8Version == 2;
            if (have >= (v2 ? TRACK_V2_BYTES : TRACK_V1_BYTES)) {
                TRACK* t = static_cast<TRACK*>(H_MEMORY_pvMalloc(sizeof(TRACK)));
                if (v2)
                    vConvertV2ToV3Track(body, t);
                else
                    vConvertV1ToV3Track(body, t);
                T_NAV_RECORD_vEncodeTrack(t, pDestData);
                H_MEMORY_vFree(t);
                written = TRACK_BYTES;
            }
        }
        break;
    default:
        break;
    }
    if (written)
        out.u8Version = NAV_DATA_CURRENT_VERSION;
    if (pDestHeader)
        T_NAV_DATA_vEncodeHostHeader(&out, pDestHeader);
    return written;
}

// The position-hold icon of version-2 waypoints ------------------------------------

void T_NAV_DATA_vFixBadStayvaneIcon(U16 u16Index, U8 u8Version, WAYPOINT* pWaypt)
{
    if (u16Index >= NAV_WAYPOINT_SLOTS || pWaypt == nullptr)
        return;
    if (s_u8RewriteWaypointFlags == nullptr)
        s_u8RewriteWaypointFlags = static_cast<U8*>(H_MEMORY_pvCalloc(NAV_WAYPOINT_SLOTS, 1));
    if (u8Version == 2 && pWaypt->u8Status != WP_STATUS_FREE && pWaypt->u8Icon == NAV_DATA_OLD_POSITION_HOLD_ICON &&
        bHasPositionHoldName(reinterpret_cast<const U8*>(pWaypt->sName)))
        pWaypt->u8Icon = NAV_DATA_POSITION_HOLD_ICON;
    U8& seen = s_u8RewriteWaypointFlags[u16Index];
    seen = std::max(seen, u8Version);
}

void T_NAV_DATA_vRewriteFlaggedWaypoints(WAYPOINT* pWaypoints)
{
    if (s_u8RewriteWaypointFlags == nullptr)
        return;
    if (pWaypoints) {
        for (U16 i = 0; i < NAV_WAYPOINT_SLOTS; ++i) {
            const U8 version = s_u8RewriteWaypointFlags[i];
            const U8 status = pWaypoints[i].u8Status;
            if (version != 0 && version != NAV_DATA_CURRENT_VERSION && status != WP_STATUS_FREE &&
                status != WP_STATUS_TEMPORARY)
                T_NAV_NVRAM_vSaveWaypoint(&pWaypoints[i], i, TRUE);
        }
    }
    H_MEMORY_vFree(s_u8RewriteWaypointFlags);
    s_u8RewriteWaypointFlags = nullptr;
}

BOOLEAN T_NAV_DATA_bFixCardStayvaneIcon(U8* pRecord, U32 u32Bytes)
{
    if (pRecord == nullptr || u32Bytes < NAV_DATA_WAYPOINT_RECORD_BYTES || pRecord[0] != NAV_DATA_WAYPOINT ||
        pRecord[1] != 2)
        return FALSE;
    U8* body = pRecord + NAV_DATA_HEADER_BYTES;
    if (body[1] != NAV_DATA_OLD_POSITION_HOLD_ICON || !bHasPositionHoldName(body + 16))
        return FALSE;
    body[1] = NAV_DATA_POSITION_HOLD_ICON;
    pRecord[1] = NAV_DATA_CURRENT_VERSION;
    return TRUE;
}
