// Store iterators and the route-start lookup.
#include "nav/data/t_nav_twr_scan.h"

#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_track.h"
#include "nav/data/t_nav_twr_waypoint.h"

#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr S64 HALF_WORLD_X = 20038300;
constexpr S64 WORLD_X = 40076600;
constexpr U32 SLOT_BITS = 12;
constexpr U32 SLOT_MASK = 0xFFF;

} // namespace

// Statics -------------------------------------------------------------------

namespace {

S64 s64WrapX(S64 dx)
{
    if (dx > HALF_WORLD_X)
        return dx - WORLD_X;
    if (dx < -HALF_WORLD_X)
        return dx + WORLD_X;
    return dx;
}

bool bNear(const TRACK_HEADER& h, const POINT& centre, S64 limit)
{
    return s64WrapX((S64)h.ptLowerLeft.x - centre.x) <= limit && (S64)h.ptLowerLeft.y - centre.y <= limit &&
           s64WrapX((S64)h.ptUpperRight.x - centre.x) >= -limit && (S64)h.ptUpperRight.y - centre.y >= -limit;
}

} // namespace

// Iterators -------------------------------------------------------------------

BOOLEAN T_NAV_bScanVisibleTracks(const POINT* centre, S32 nMMClipLimit, S32* pnIndex, TRACK_HEADER** out)
{
    if (centre == nullptr || pnIndex == nullptr || out == nullptr)
        return FALSE;
    S32 i = *pnIndex < -1 ? 0 : *pnIndex + 1;
    for (; i < (S32)NAV_TRACK_SLOTS; ++i) {
        TRACK_HEADER* h = T_NAV_pGetTrackHeader((U32)i);
        if (T_NAV_bGetTrackVisibility((U32)i) && bNear(*h, *centre, nMMClipLimit)) {
            *pnIndex = i;
            *out = h;
            return TRUE;
        }
    }
    *pnIndex = (S32)NAV_TRACK_SLOTS;
    return FALSE;
}

BOOLEAN T_NAV_bScanWaypoints(S32* pnIndex, WAYPOINT** out, BOOLEAN bOnlyScanRemote)
{
    if (pnIndex == nullptr || out == nullptr)
        return FALSE;
    S32 bank = (*pnIndex >> SLOT_BITS) & 3;
    S32 slot = *pnIndex & SLOT_MASK;
    if (slot >= (S32)NAV_WAYPOINT_SLOTS) {
        bank = bOnlyScanRemote ? 1 : 0;
        slot = 0;
    } else {
        ++slot;
    }
    while (bank < (S32)NAV_WAYPOINT_BANKS) {
        if (slot < T_NAV_TWR_nGetMaxUsedWaypointIndex(bank) && slot < (S32)NAV_WAYPOINT_SLOTS) {
            *pnIndex = bank << SLOT_BITS | slot;
            *out = T_NAV_TWR_pGetNetworkWaypoint((U32)slot, bank);
            return TRUE;
        }
        do
            ++bank;
        while (bank < (S32)NAV_WAYPOINT_BANKS && T_NAV_TWR_nGetMaxUsedWaypointIndex(bank) <= 0);
        slot = 0;
    }
    return FALSE;
}

BOOLEAN T_NAV_bScanRoutes(S32* pnIndex, ROUTE** out)
{
    if (pnIndex == nullptr || out == nullptr || *pnIndex >= (S32)NAV_ROUTE_SLOTS - 1)
        return FALSE;
    *pnIndex = *pnIndex < -1 ? 0 : *pnIndex + 1;
    *out = T_NAV_pGetRoute((U32)*pnIndex);
    return TRUE;
}

// Route start -------------------------------------------------------------------

S32 T_NAV_TWR_s32GetIndexOfLastRouteStartingAt(S32 id)
{
    if (id == NAV_ID_NONE)
        return -1;
    S32 found = -1;
    U32 newest = 0;
    for (U32 s = 0; s < NAV_ROUTE_SLOTS; ++s) {
        const ROUTE* r = T_NAV_pGetRoute(s);
        if (r->bHide || r->anWaypoint[0] != (U32)id)
            continue;
        if (found < 0 || r->u32DateTime > newest) {
            found = (S32)s;
            newest = r->u32DateTime;
        }
    }
    return found;
}

BOOLEAN T_NAV_TWR_bGetNameOfLastRouteStartingAt(U32 id, char* out)
{
    if (id > 0xFFFF)
        return FALSE;
    const S32 slot = T_NAV_TWR_s32GetIndexOfLastRouteStartingAt((S32)id);
    if (slot < 0)
        return FALSE;
    if (out != nullptr)
        memcpy(out, T_NAV_pGetRoute((U32)slot)->sName, ROUTE_NAME_CHARS);
    return TRUE;
}
