// Synced group data and the navigation data hashes.
#include "nav/data/t_nav_twr_sync.h"

#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_data.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_waypoint.h"

#include <algorithm>
#include <cstring>
#include <zlib.h>

// Statics -------------------------------------------------------------------

namespace {

// Big-endian copies for the hashes that build no buffer.
U8 s_au8SlotScratch[NAV_WAYPOINT_SLOTS * WAYPOINT_BYTES];
U8 s_au8RouteScratch[NAV_ROUTE_SLOTS * ROUTE_BYTES];

class NavLock {
public:
    NavLock() { L_MUTEX_LockWait(RES_NAV_DATA); }
    ~NavLock() { L_MUTEX_Unlock(RES_NAV_DATA); }
    NavLock(const NavLock&) = delete;
    NavLock& operator=(const NavLock&) = delete;
};

U32 u32SharedSlots(void)
{
    return (U32)std::clamp<S32>(T_NAV_s16GetMaxShareWaypointIndex() + 1, 0, (S32)NAV_WAYPOINT_SLOTS);
}

U32 u32SharedRoutes(void)
{
    return (U32)std::clamp<S32>(T_NAV_s16GetMaxShareRouteIndex() + 1, 0, (S32)NAV_ROUTE_SLOTS);
}

void vSlotToCard(U32 u32Slot, U8* pu8Out)
{
    T_NAV_RECORD_vEncodeWaypoint(T_NAV_pGetWaypoint(u32Slot), pu8Out);
    T_NAV_DATA_vGNDHostToBigEndian(NAV_DATA_WAYPOINT, pu8Out);
}

void vRouteToCard(U32 u32Slot, U8* pu8Out)
{
    T_NAV_RECORD_vEncodeRoute(T_NAV_pGetRoute(u32Slot), pu8Out);
    T_NAV_DATA_vGNDHostToBigEndian(NAV_DATA_ROUTE, pu8Out);
}

// Both parts in card order, slots then routes, into the two areas given.
U32 u32HashTables(U32 nSlots, U32 nRoutes, U8* pu8Slots, U8* pu8Routes)
{
    for (U32 i = 0; i < nSlots; ++i)
        vSlotToCard(i, pu8Slots + WAYPOINT_BYTES * i);
    for (U32 i = 0; i < nRoutes; ++i)
        vRouteToCard(i, pu8Routes + ROUTE_BYTES * i);
    uLong crc = crc32(0L, pu8Slots, nSlots * WAYPOINT_BYTES);
    return (U32)crc32(crc, pu8Routes, nRoutes * ROUTE_BYTES);
}

void vPutBe16(U8* p, U16 v)
{
    p[0] = (U8)(v >> 8);
    p[1] = (U8)v;
}

void vPutBe32(U8* p, U32 v)
{
    vPutBe16(p, (U16)(v >> 16));
    vPutBe16(p + 2, (U16)v);
}

// A route the table can hold, from a big-endian record.
bool bRouteFromCard(const U8* pu8Card, ROUTE* pRoute)
{
    U8 bytes[ROUTE_BYTES];
    memcpy(bytes, pu8Card, ROUTE_BYTES);
    T_NAV_DATA_vGNDBigEndianToHost(NAV_DATA_CURRENT_VERSION, NAV_DATA_ROUTE, bytes);
    T_NAV_RECORD_vDecodeRoute(bytes, pRoute);
    return pRoute->nCount <= ROUTE_MAX_POINTS;
}

void vSlotFromCard(const U8* pu8Card, WAYPOINT* pSlot)
{
    U8 bytes[WAYPOINT_BYTES];
    memcpy(bytes, pu8Card, WAYPOINT_BYTES);
    T_NAV_DATA_vGNDBigEndianToHost(NAV_DATA_CURRENT_VERSION, NAV_DATA_WAYPOINT, bytes);
    T_NAV_RECORD_vDecodeWaypoint(bytes, pSlot);
}

void vClearRoute(U16 i)
{
    memset(T_NAV_pGetRoute(i), 0, sizeof(ROUTE));
    T_NAV_NVRAM_vDeleteRoute(i, FALSE);
    memset(T_NAV_pGetOldRoute(i), 0, sizeof(ROUTE));
}

void vWriteRoute(U16 i)
{
    T_NAV_NVRAM_vSaveRoute(T_NAV_pGetRoute(i), i, FALSE);
    *T_NAV_pGetOldRoute(i) = *T_NAV_pGetRoute(i);
}

} // namespace

// Buffers ---------------------------------------------------------------------

U32 T_NAV_u32GetGroupNavDataBytes(void)
{
    return NAV_SYNC_HEADER_BYTES + WAYPOINT_BYTES * u32SharedSlots() + ROUTE_BYTES * u32SharedRoutes();
}

U8* T_NAV_pGetGroupNavData(U8* p)
{
    if (p == nullptr)
        return nullptr;
    const U32 w = u32SharedSlots(), r = u32SharedRoutes();
    U8* slots = p + NAV_SYNC_HEADER_BYTES;
    U8* routes = slots + WAYPOINT_BYTES * w;
    const U32 crc = u32HashTables(w, r, slots, routes);
    vPutBe32(p, crc);
    vPutBe16(p + 4, (U16)w);
    vPutBe16(p + 6, (U16)r);
    vPutBe16(p + 8, 0);
    vPutBe16(p + 10, 0);
    return routes + ROUTE_BYTES * r;
}

U8* T_NAV_pBufferSendSyncedGroupNavDataBack(U8* p)
{
    NavLock lock;
    return T_NAV_pGetGroupNavData(p);
}

U8* T_NAV_pBufferSendSyncedGroupNavDataToTrelvo(U8* p)
{
    NavLock lock;
    return T_NAV_pGetGroupNavData(p);
}

// Hashes ------------------------------------------------------------------------

U32 T_NAV_u32HashAllSharedNavData(void)
{
    return u32HashTables(u32SharedSlots(), u32SharedRoutes(), s_au8SlotScratch, s_au8RouteScratch);
}

U32 T_NAV_u32HashAllSharedNavDataInBuffer(const U8* records)
{
    if (records == nullptr)
        return 0;
    const U32 bytes = WAYPOINT_BYTES * u32SharedSlots() + ROUTE_BYTES * u32SharedRoutes();
    return (U32)crc32(0L, records, bytes);
}

U32 T_NAV_u32HashAllNavData(void)
{
    return u32HashTables(NAV_WAYPOINT_SLOTS, NAV_ROUTE_SLOTS, s_au8SlotScratch, s_au8RouteScratch);
}

// Replacing the shared part ---------------------------------------------------------

void T_NAV_vStoreAllSyncedGroupNavDataReceived(const U8* wpts, U32 nWpts, const U8* routes, U32 nRoutes)
{
    if ((nWpts > 0 && wpts == nullptr) || (nRoutes > 0 && routes == nullptr) || nWpts > NAV_WAYPOINT_SLOTS ||
        nRoutes > NAV_ROUTE_SLOTS) {
        log_me("Synced navigation data refused: %u slots, %u routes", nWpts, nRoutes);
        return;
    }
    for (U32 i = 0; i < nRoutes; ++i) {
        ROUTE r;
        if (!bRouteFromCard(routes + ROUTE_BYTES * i, &r)) {
            log_me("Synced navigation data refused: route %u has %u points", i, (unsigned)r.nCount);
            return;
        }
    }
    NavLock lock;
    const U32 w = u32SharedSlots(), r = u32SharedRoutes();
    for (U32 i = 0; i < nWpts; ++i) {
        WAYPOINT* slot = T_NAV_pGetWaypoint(i);
        vSlotFromCard(wpts + WAYPOINT_BYTES * i, slot);
        T_NAV_NVRAM_vSaveWaypoint(slot, (U16)i, FALSE);
    }
    for (U32 i = nWpts; i < w; ++i) {
        memset(T_NAV_pGetWaypoint(i), 0, sizeof(WAYPOINT));
        T_NAV_NVRAM_vDeleteWaypoint((U16)i, FALSE);
    }
    for (U32 i = 0; i < nRoutes; ++i) {
        bRouteFromCard(routes + ROUTE_BYTES * i, T_NAV_pGetRoute(i));
        vWriteRoute((U16)i);
    }
    for (U32 i = nRoutes; i < r; ++i)
        vClearRoute((U16)i);
}

BOOLEAN T_NAV_bReplaceSharedNavDataSpace(NAV_DATA_SPACE* src)
{
    if (src == nullptr)
        return FALSE;
    NavLock lock;
    if (src->pWaypoint == nullptr || src->u16WaypointCount == 0 ||
        src->u16WaypointCount >= T_NAV_s16GetMinLockWaypointIndex() ||
        src->u16RouteCount >= T_NAV_s16GetMinLockRouteIndex())
        return FALSE;
    const bool withRoutes = src->pRoute != nullptr && src->u16RouteCount != 0;
    const U32 nRoutes = withRoutes ? std::min<U32>(src->u16RouteCount, NAV_ROUTE_SLOTS) : 0;
    for (U32 i = 0; i < nRoutes; ++i) {
        if (src->pRoute[i].nCount > ROUTE_MAX_POINTS)
            return FALSE;
    }

    const U32 nSlots = std::min<U32>(src->u16WaypointCount, NAV_WAYPOINT_SLOTS);
    for (U32 i = 0; i < nSlots; ++i)
        *T_NAV_pGetWaypoint(i) = src->pWaypoint[i];
    S32 separator, maxShare, minLock;
    T_NAV_TWR_vGetShareSplit(&separator, &maxShare, &minLock);
    T_NAV_TWR_vSetShareSplit(separator, (S32)nSlots - 1, minLock);
    for (U32 i = 0; i < nSlots; ++i) {
        const WAYPOINT* slot = T_NAV_pGetWaypoint(i);
        if (slot->u8Status != WP_STATUS_FREE)
            T_NAV_NVRAM_vSaveWaypoint(slot, (U16)i, FALSE);
    }

    if (withRoutes) {
        for (U32 i = 0; i < nRoutes; ++i)
            *T_NAV_pGetRoute(i) = src->pRoute[i];
        T_NAV_TWR_vSetMaxShareRouteIndex((S16)(nRoutes - 1));
        for (U32 i = 0; i < nRoutes; ++i) {
            if (T_NAV_pGetRoute(i)->u32DateTime != 0)
                vWriteRoute((U16)i);
        }
    } else {
        T_NAV_TWR_vSetMaxShareRouteIndex(0);
    }
    return TRUE;
}

void T_NAV_vSaveGpWpSlot(U16 id, const U8* record)
{
    if (record == nullptr || !T_NAV_TWR_bIsLocalWaypoint(id))
        return;
    NavLock lock;
    WAYPOINT* slot = T_NAV_pGetWaypoint(id);
    if (slot == nullptr)
        return;
    vSlotFromCard(record, slot);
    T_NAV_NVRAM_vSaveWaypoint(slot, (U16)(id & 0xFFF), FALSE);
}

void T_NAV_vSaveRouteSlot(U16 i, const U8* route)
{
    if (route == nullptr || i >= NAV_ROUTE_SLOTS)
        return;
    ROUTE r;
    if (!bRouteFromCard(route, &r)) {
        log_me("Synced route %u refused: %u points", i, (unsigned)r.nCount);
        return;
    }
    NavLock lock;
    *T_NAV_pGetRoute(i) = r;
    vWriteRoute(i);
}

void T_NAV_vDeleteRouteSlot(U16 i)
{
    if (i >= NAV_ROUTE_SLOTS)
        return;
    NavLock lock;
    vClearRoute(i);
}
