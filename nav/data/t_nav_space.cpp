// Navigation data spaces and the card-import buffers.
#include "nav/data/t_nav_space.h"

#include "kernel/h_memory.h"
#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_track.h"
#include "nav/data/t_nav_twr_waypoint.h"

#include <cstdio>
#include <cstring>

TEXT_TABLE Home = {"Home",   "Hjem", "Thuis", "Koti", "Accueil", "Start", "Home", "Otthon",
                   "Casa",   "Hjem", "Dom",   "Casa", "Inicio",  "Hem",   "Domu", "Dom",
                   "Home",   "Home", "Kodu",  "Majas", "Namai",  "Ev"};

// Constants ---------------------------------------------------------------

namespace {

constexpr U16 NONE = NAV_ID_NONE;
constexpr U32 SLOTS = NAV_WAYPOINT_SLOTS;
constexpr U32 ROUTES = NAV_ROUTE_SLOTS;
constexpr U32 TRACKS = NAV_TRACK_SLOTS;
constexpr U32 RUMBRELS = NAV_RUMBREL_SLOTS;

} // namespace

// Statics and helpers -------------------------------------------------------------

namespace {

NAV_SPACE_GARBAGE_COLLECTOR s_pfnCollector = nullptr;
NAV_DATA_SPACE* s_pSelectNavData = nullptr;

TRACK_HEADER* s_pTrackHeader_MMC = nullptr;
RUMBREL_HEADER* s_pRumbrelHeader_MMC = nullptr;
WAYPOINT* s_pWaypoint_MMC = nullptr;
ROUTE* s_pRoute_MMC = nullptr;

class NavLock {
public:
    NavLock() { L_MUTEX_LockWait(RES_NAV_DATA); }
    ~NavLock() { L_MUTEX_Unlock(RES_NAV_DATA); }
    NavLock(const NavLock&) = delete;
    NavLock& operator=(const NavLock&) = delete;
};

template <typename T> T* pCalloc(U32 n)
{
    return static_cast<T*>(H_MEMORY_pvCalloc(n, sizeof(T)));
}

template <typename T> void vRelease(T*& p)
{
    if (p != nullptr)
        H_MEMORY_vFree(p);
    p = nullptr;
}

void vCollect(NAV_DATA_SPACE* pData)
{
    if (s_pfnCollector != nullptr)
        s_pfnCollector(pData, T_NAV_GROUP_DATA_nGetRootGroup());
}

bool bIsWaypointStatus(U32 status)
{
    return status == WP_STATUS_PERMANENT || status == WP_STATUS_TEMPORARY || status == WP_STATUS_MOB;
}

bool bRouteFree(const ROUTE& r)
{
    return r.nCount == 0 && r.u32DateTime == 0;
}

bool bIsRoot(const WAYPOINT& w)
{
    if (w.u8Status != WP_STATUS_GROUP_HEADER)
        return false;
    GROUP_SLOT g;
    T_NAV_GROUP_vFromWaypoint(&w, &g);
    if (g.header.u16ParentIndex != NONE)
        return false;
    char word[GROUP_NAME_CHARS] = {};
    const char* pcHome = Home[nCurrentLanguage()];
    memcpy(word, pcHome, strnlen(pcHome, sizeof word));
    return memcmp(word, g.header.sName, sizeof word) == 0;
}

S32 nRootSlot(const WAYPOINT* pSlots, U32 count)
{
    if (pSlots == nullptr)
        return -1;
    for (U32 s = 0; s < count; ++s)
        if (bIsRoot(pSlots[s]))
            return (S32)s;
    return -1;
}

U32 u32SpaceSlots(const NAV_DATA_SPACE* pData)
{
    if (pData->pWaypoint == nullptr)
        return 0;
    return pData->u16WaypointCount < SLOTS ? pData->u16WaypointCount : SLOTS;
}

U32 u32SpaceRoutes(const NAV_DATA_SPACE* pData)
{
    if (pData->pRoute == nullptr)
        return 0;
    return pData->u16RouteCount < ROUTES ? pData->u16RouteCount : ROUTES;
}

U32 u32SpaceTracks(const NAV_DATA_SPACE* pData)
{
    if (pData->pTrackHeader == nullptr)
        return 0;
    return pData->u16TrackCount < TRACKS ? pData->u16TrackCount : TRACKS;
}

U32 u32SpaceRumbrels(const NAV_DATA_SPACE* pData)
{
    if (pData->pRumbrelHeader == nullptr)
        return 0;
    return pData->u16RumbrelCount < RUMBRELS ? pData->u16RumbrelCount : RUMBRELS;
}

S32 nFreeSlot(const NAV_DATA_SPACE* pData)
{
    const U32 n = u32SpaceSlots(pData);
    for (U32 s = 0; s < n; ++s)
        if (pData->pWaypoint[s].u8Status == WP_STATUS_FREE)
            return (S32)s;
    return -1;
}

S32 nFreeRoute(const NAV_DATA_SPACE* pData)
{
    const U32 n = u32SpaceRoutes(pData);
    for (U32 i = 0; i < n; ++i)
        if (bRouteFree(pData->pRoute[i]))
            return (S32)i;
    return -1;
}

S32 nFreeRumbrel(const NAV_DATA_SPACE* pData)
{
    const U32 n = u32SpaceRumbrels(pData);
    for (U32 i = 0; i < n; ++i)
        if (pData->pRumbrelHeader[i].nCount == 0)
            return (S32)i;
    return -1;
}

// The slot a group id names in a set of `count` slots: 2999 for 0xCFFF,
// the slot of a group id; -1 otherwise.
S32 nGroupSlotOf(U16 u16Id)
{
    if (u16Id == NAV_ID_SEPARATOR)
        return NAV_ROOT_LOCKED_SLOT;
    if ((u16Id & 0xC000) == NAV_ID_GROUP_TAG && (u16Id & 0x3FFF) < SLOTS)
        return u16Id & 0x3FFF;
    return -1;
}

void vCopyHeader(TRACK_HEADER* pOut, const TRACK* pTrack)
{
    *pOut = *static_cast<const TRACK_HEADER*>(pTrack);
}

} // namespace

void T_NAV_SPACE_vSetGarbageCollector(NAV_SPACE_GARBAGE_COLLECTOR pfnCollector)
{
    s_pfnCollector = pfnCollector;
}

// The selection space ---------------------------------------------------------------

void T_NAV_vInitializeNavDataBuffer(void)
{
    T_NAV_vFreeNavDataBuffer();
    NAV_DATA_SPACE* p = pCalloc<NAV_DATA_SPACE>(1);
    p->pTrackHeader = pCalloc<TRACK_HEADER>(TRACKS);
    p->pWaypoint = pCalloc<WAYPOINT>(SLOTS);
    p->pRoute = pCalloc<ROUTE>(ROUTES);
    p->pRumbrelHeader = pCalloc<RUMBREL_HEADER>(RUMBRELS);
    if (p->pRumbrelHeader == nullptr)
        log_me("IntializeNavData Buffer - Memory Allocation for pRumbrelHeader failed");
    p->u16WaypointCount = SLOTS;
    p->u16RouteCount = ROUTES;
    p->u16TrackCount = TRACKS;
    p->u16RumbrelCount = RUMBRELS;
    s_pSelectNavData = p;
}

void T_NAV_vFreeNavDataBuffer(void)
{
    NAV_DATA_SPACE* p = s_pSelectNavData;
    if (p == nullptr)
        return;
    p->u16WaypointCount = p->u16RouteCount = p->u16TrackCount = p->u16RumbrelCount = 0;
    vRelease(p->pTrackHeader);
    vRelease(p->pWaypoint);
    vRelease(p->pRoute);
    vRelease(p->pRumbrelHeader);
    vRelease(s_pSelectNavData);
}

NAV_DATA_SPACE* T_NAV_nGetSelectNavDataSpace(void)
{
    return s_pSelectNavData;
}

GROUP_SLOT* T_NAV_pGetRootGroupSlotEX(NAV_DATA_SPACE* pData)
{
    if (pData == nullptr)
        return nullptr;
    const S32 s = nRootSlot(pData->pWaypoint, u32SpaceSlots(pData));
    return s < 0 ? nullptr : reinterpret_cast<GROUP_SLOT*>(&pData->pWaypoint[s]);
}

U16 T_NAV_vGetRootGroupIDEx(NAV_DATA_SPACE* pData)
{
    if (pData == nullptr)
        return NONE;
    const S32 s = nRootSlot(pData->pWaypoint, u32SpaceSlots(pData));
    return s < 0 ? NONE : (U16)(NAV_ID_GROUP_TAG | s);
}

// The EX family ------------------------------------------------------------------------

WAYPOINT* T_NAV_pGetWaypointEX(NAV_DATA_SPACE* pData, U32 id)
{
    if (pData == nullptr)
        return T_NAV_pGetWaypoint(id);
    if (id == NONE || id >= u32SpaceSlots(pData))
        return nullptr;
    return &pData->pWaypoint[id];
}

U16 T_NAV_u16WaypointAddEX(NAV_DATA_SPACE* pData, const WAYPOINT* pWaypoint, BOOLEAN bImport)
{
    if (pData == nullptr)
        return T_NAV_u16WaypointAdd(pWaypoint, bImport, FALSE);
    if (pWaypoint == nullptr || !bIsWaypointStatus(pWaypoint->u8Status))
        return NONE;
    const S32 s = nFreeSlot(pData);
    if (s < 0) {
        vCollect(pData);
        return NONE;
    }
    pData->pWaypoint[s] = *pWaypoint;
    return (U16)s;
}

S32 T_NAV_nAddWaypointEX(NAV_DATA_SPACE* pData, const WAYPOINT* pWaypoint, BOOLEAN bImport)
{
    return T_NAV_u16WaypointAddEX(pData, pWaypoint, bImport);
}

BOOLEAN T_NAV_bDeleteWaypointEX(NAV_DATA_SPACE* pData, U32 id, BOOLEAN bOverridePointOfSale)
{
    if (pData == nullptr)
        return T_NAV_bDeleteWaypoint(id, bOverridePointOfSale);
    WAYPOINT* w = T_NAV_pGetWaypointEX(pData, id);
    if (w != nullptr && w->u8Status != WP_STATUS_FREE)
        memset(w, 0, sizeof *w);
    return FALSE;
}

BOOLEAN T_NAV_bWaypointsExistEX(NAV_DATA_SPACE* pData)
{
    if (pData == nullptr)
        return T_NAV_bWaypointsExist();
    const U32 n = u32SpaceSlots(pData);
    for (U32 s = 0; s < n; ++s)
        if (bIsWaypointStatus(pData->pWaypoint[s].u8Status))
            return TRUE;
    return FALSE;
}

BOOLEAN T_NAV_bIsNotSharedLinkEX(NAV_DATA_SPACE* pData, U16 u16Id)
{
    if (pData == nullptr)
        return T_NAV_bIsNotSharedLink(u16Id);
    NAV_ITEM_ID item;
    switch (T_NAV_TWR_eDecodeId(u16Id, &item)) {
    case TWR_TYPE_WAYPOINT:
    case TWR_TYPE_GROUP: {
        const WAYPOINT* w = T_NAV_pGetWaypointEX(pData, item.u16Index);
        return w != nullptr && w->bWpNotShared ? TRUE : FALSE;
    }
    case TWR_TYPE_ROUTE: {
        const ROUTE* r = T_NAV_pGetRouteEX(pData, item.u16Index);
        return r != nullptr && r->bRtNotShared ? TRUE : FALSE;
    }
    default:
        return FALSE;
    }
}

ROUTE* T_NAV_pGetRouteEX(NAV_DATA_SPACE* pData, U32 i)
{
    if (pData == nullptr)
        return T_NAV_pGetRoute(i);
    return i < u32SpaceRoutes(pData) ? &pData->pRoute[i] : nullptr;
}

BOOLEAN T_NAV_bDeleteRouteEX(NAV_DATA_SPACE* pData, U32 i, BOOLEAN bOverridePointOfSale)
{
    if (pData == nullptr)
        return T_NAV_bDeleteRoute(i, bOverridePointOfSale);
    ROUTE* r = T_NAV_pGetRouteEX(pData, i);
    if (r == nullptr || bRouteFree(*r))
        return FALSE;
    memset(r, 0, sizeof *r);
    return TRUE;
}

U16 T_NAV_u16FindAvailableRouteEX(NAV_DATA_SPACE* pData, BOOLEAN bNotShared)
{
    if (pData == nullptr)
        return T_NAV_u16FindAvailableRoute(bNotShared);
    S32 i = nFreeRoute(pData);
    if (i < 0) {
        vCollect(pData);
        i = nFreeRoute(pData);
    }
    return i < 0 ? NONE : (U16)i;
}

U16 T_NAV_u16RouteAddEX(NAV_DATA_SPACE* pData, const ROUTE* pRoute)
{
    if (pData == nullptr)
        return T_NAV_u16RouteAdd(pRoute);
    if (pRoute == nullptr)
        return NONE;
    const U16 i = T_NAV_u16FindAvailableRouteEX(pData, pRoute->bRtNotShared ? TRUE : FALSE);
    if (i == NONE)
        return NONE;
    pData->pRoute[i] = *pRoute;
    return i;
}

S32 T_NAV_nAddRouteEX(NAV_DATA_SPACE* pData, const ROUTE* pRoute)
{
    if (pData == nullptr)
        return T_NAV_nAddRoute(pRoute);
    return T_NAV_u16RouteAddEX(pData, pRoute);
}

void T_NAV_vRouteStoreEX(NAV_DATA_SPACE* pData, U32 i, ROUTE* pRoute, BOOLEAN bOverridePointOfSale)
{
    if (i == NONE || pRoute == nullptr)
        return;
    if (pData == nullptr) {
        T_NAV_bSaveRoute(i, pRoute, bOverridePointOfSale);
        return;
    }
    ROUTE* r = T_NAV_pGetRouteEX(pData, i);
    if (r != nullptr)
        *r = *pRoute;
}

void T_NAV_vSaveRouteEX(NAV_DATA_SPACE* pData, U32 i, ROUTE* pRoute, BOOLEAN bOverridePointOfSale)
{
    T_NAV_vRouteStoreEX(pData, i, pRoute, bOverridePointOfSale);
}

TRACK_HEADER* T_NAV_pGetTrackHeaderEX(NAV_DATA_SPACE* pData, U32 i)
{
    if (pData == nullptr)
        return T_NAV_pGetTrackHeader(i);
    return i < u32SpaceTracks(pData) ? &pData->pTrackHeader[i] : nullptr;
}

S32 T_NAV_nAddTrackEX(NAV_DATA_SPACE* pData, const TRACK* pTrack, U32 u32DateTime, const char* pcName,
                      BOOLEAN bOverridePointOfSale, U16 i)
{
    if (pData == nullptr)
        return T_NAV_nAddTrack(pTrack, u32DateTime, pcName, bOverridePointOfSale);
    if (pTrack == nullptr)
        return NONE;
    const U32 n = u32SpaceTracks(pData);
    bool full = true;
    for (U32 t = 0; t < n && full; ++t)
        full = pData->pTrackHeader[t].u16Count != 0;
    if (full)
        vCollect(pData);
    if (i >= n)
        return NONE;
    TRACK_HEADER h;
    vCopyHeader(&h, pTrack);
    h.u32DateTime = u32DateTime;
    memset(h.sName, 0, sizeof h.sName);
    if (pcName != nullptr && pcName[0] != '\0')
        memcpy(h.sName, pcName, strnlen(pcName, TRACK_NAME_CHARS - 1));
    else
        snprintf(h.sName, sizeof h.sName, "%02d", i + 1);
    pData->pTrackHeader[i] = h;
    return i;
}

void T_NAV_vDeleteTrackEX(NAV_DATA_SPACE* pData, U32 i, BOOLEAN bOverridePointOfSale)
{
    if (pData == nullptr) {
        T_NAV_vDeleteTrack(i, bOverridePointOfSale);
        return;
    }
    TRACK_HEADER* h = T_NAV_pGetTrackHeaderEX(pData, i);
    if (h != nullptr)
        memset(h, 0, sizeof *h);
}

BOOLEAN T_NAV_bGetTrackVisibilityEX(NAV_DATA_SPACE* pData, U32 i)
{
    if (pData == nullptr)
        return T_NAV_bGetTrackVisibility(i);
    return i < TRACKS ? TRUE : FALSE;
}

RUMBREL_HEADER* T_NAV_pGetRumbrelHeaderEX(NAV_DATA_SPACE* pData, U32 i)
{
    if (pData == nullptr)
        return T_NAV_pGetRumbrelHeader((U16)i);
    return i < u32SpaceRumbrels(pData) ? &pData->pRumbrelHeader[i] : nullptr;
}

S32 T_NAV_nAddRumbrelHeaderEX(NAV_DATA_SPACE* pData, const RUMBREL_HEADER* pHeader, BOOLEAN)
{
    if (pData == nullptr) {
        log_me("RumbrelHeaderEX is called for DEFAULT_NAV_DATA_SPACE. We shouldn't be here");
        return NONE;
    }
    if (pHeader == nullptr)
        return NONE;
    S32 i = nFreeRumbrel(pData);
    if (i < 0) {
        vCollect(pData);
        i = nFreeRumbrel(pData);
    }
    if (i < 0)
        return NONE;
    pData->pRumbrelHeader[i] = *pHeader;
    return i;
}

void T_NAV_vDeleteRumbrelEX(NAV_DATA_SPACE* pData, U32 i, BOOLEAN)
{
    if (pData == nullptr) {
        log_me("DeleteRumbrel EX function is called with DEFAULT_NAV_DATA_SPACE. We shouldn't be here");
        return;
    }
    RUMBREL_HEADER* h = T_NAV_pGetRumbrelHeaderEX(pData, i);
    if (h != nullptr)
        memset(h, 0, sizeof *h);
}

U16 T_NAV_nAllocGroupSlotEX(NAV_DATA_SPACE* pData, BOOLEAN bNotShared)
{
    if (pData == nullptr)
        return T_NAV_nAllocGroupSlot(bNotShared);
    const S32 s = nFreeSlot(pData);
    if (s < 0) {
        vCollect(pData);
        return NONE;
    }
    WAYPOINT* w = &pData->pWaypoint[s];
    memset(w, 0, sizeof *w);
    w->u8Status = WP_STATUS_GROUP_WRITING;
    return (U16)(NAV_ID_GROUP_TAG | s);
}

void T_NAV_vFreeGroupSlotEX(NAV_DATA_SPACE* pData, U16 u16Id)
{
    if (pData == nullptr) {
        T_NAV_vFreeGroupSlot(u16Id);
        return;
    }
    if ((u16Id & 0xC000) != NAV_ID_GROUP_TAG)
        return;
    const U32 s = u16Id & 0x3FFF;
    if (s >= u32SpaceSlots(pData))
        return;
    WAYPOINT* w = &pData->pWaypoint[s];
    if (T_NAV_GROUP_bIsGroupStatus(w->u8Status))
        memset(w, 0, sizeof *w);
}

GROUP_SLOT* T_NAV_pGetGroupSlotEX(NAV_DATA_SPACE* pData, U16 u16Id)
{
    if (pData == nullptr)
        return T_NAV_pGetGroupSlot(u16Id);
    const S32 s = nGroupSlotOf(u16Id);
    if (s < 0 || (U32)s >= u32SpaceSlots(pData))
        return nullptr;
    WAYPOINT* w = &pData->pWaypoint[s];
    return T_NAV_GROUP_bIsGroupStatus(w->u8Status) ? reinterpret_cast<GROUP_SLOT*>(w) : nullptr;
}

BOOLEAN T_NAV_bReadGroupSlotEX(NAV_DATA_SPACE* pData, U16 u16Id, GROUP_SLOT* pSlot)
{
    if (pData == nullptr)
        return T_NAV_bReadGroupSlot(u16Id, pSlot);
    const S32 s = nGroupSlotOf(u16Id);
    if (s < 0 || (U32)s >= u32SpaceSlots(pData) || !T_NAV_GROUP_bIsGroupStatus(pData->pWaypoint[s].u8Status))
        return FALSE;
    T_NAV_GROUP_vFromWaypoint(&pData->pWaypoint[s], pSlot);
    return TRUE;
}

BOOLEAN T_NAV_bSetGroupSlotEX(NAV_DATA_SPACE* pData, U16 u16Id, const GROUP_SLOT* pRecord)
{
    if (pData == nullptr)
        return T_NAV_bSetGroupSlot(u16Id, pRecord);
    if ((u16Id & 0xC000) != NAV_ID_GROUP_TAG || pRecord == nullptr)
        return FALSE;
    const U32 s = u16Id & 0x3FFF;
    const U32 status = pRecord->body.u8Status;
    if (s >= u32SpaceSlots(pData) || (status != WP_STATUS_GROUP_HEADER && status != WP_STATUS_GROUP_BODY))
        return FALSE;
    T_NAV_GROUP_vToWaypoint(pRecord, &pData->pWaypoint[s]);
    return TRUE;
}

// The card-import buffers ---------------------------------------------------------------

void T_NAV_vInitializeImportingBuffer(void)
{
    T_NAV_vFreeImportingBuffer();
    s_pTrackHeader_MMC = pCalloc<TRACK_HEADER>(TRACKS);
    s_pRumbrelHeader_MMC = pCalloc<RUMBREL_HEADER>(RUMBRELS);
    s_pWaypoint_MMC = pCalloc<WAYPOINT>(SLOTS);
    s_pRoute_MMC = pCalloc<ROUTE>(ROUTES);
    T_NAV_TWR_vSetMaxUsedWaypointIndexMMC(0);
}

void T_NAV_vFreeImportingBuffer(void)
{
    T_NAV_TWR_vSetMaxUsedWaypointIndexMMC(0);
    vRelease(s_pTrackHeader_MMC);
    vRelease(s_pRumbrelHeader_MMC);
    vRelease(s_pWaypoint_MMC);
    vRelease(s_pRoute_MMC);
}

WAYPOINT* T_NAV_pGetWaypointFromMMC(U32 i)
{
    return s_pWaypoint_MMC != nullptr && i < SLOTS ? &s_pWaypoint_MMC[i] : nullptr;
}

WAYPOINT* T_NAV_pGetWaypointDataSpaceOnMMC(void)
{
    return s_pWaypoint_MMC;
}

U16 T_NAV_u16WaypointAddFromMMC(const WAYPOINT* pRecord, BOOLEAN)
{
    const S32 at = T_NAV_TWR_s32GetMaxUsedWaypointIndexMMC();
    if (pRecord == nullptr || s_pWaypoint_MMC == nullptr || at < 0 || at >= (S32)SLOTS)
        return NONE;
    s_pWaypoint_MMC[at] = *pRecord;
    return (U16)at;
}

S32 T_NAV_nAddWaypointFromMMC(const WAYPOINT* pRecord, BOOLEAN bImport)
{
    return T_NAV_u16WaypointAddFromMMC(pRecord, bImport);
}

U16 T_NAV_u16GroupAddFromMMC(const WAYPOINT* pRecord, BOOLEAN bImport)
{
    return T_NAV_u16WaypointAddFromMMC(pRecord, bImport);
}

S32 T_NAV_nAddGroupFromMMC(const WAYPOINT* pRecord, BOOLEAN bImport)
{
    return T_NAV_u16WaypointAddFromMMC(pRecord, bImport);
}

U16 T_NAV_u16ReplaceRootGroup(const WAYPOINT* pGroup, BOOLEAN)
{
    if (pGroup == nullptr || s_pWaypoint_MMC == nullptr ||
        (pGroup->u8Status != WP_STATUS_GROUP_HEADER && pGroup->u8Status != WP_STATUS_GROUP_BODY))
        return NONE;
    s_pWaypoint_MMC[0] = *pGroup;
    if (T_NAV_TWR_s32GetMaxUsedWaypointIndexMMC() < 1)
        T_NAV_TWR_vSetMaxUsedWaypointIndexMMC(1);
    return 0;
}

S32 T_NAV_nReplaceRootGroup(const WAYPOINT* pGroup, BOOLEAN bImport)
{
    return T_NAV_u16ReplaceRootGroup(pGroup, bImport);
}

GROUP_SLOT* T_NAV_pGetGroupSlotFromMMC(U16 u16Id)
{
    if (s_pWaypoint_MMC == nullptr)
        return nullptr;
    S32 at = -1;
    if (u16Id == NAV_ID_SEPARATOR)
        at = T_NAV_TWR_s32GetMaxUsedWaypointIndexMMC();
    else if ((u16Id & 0xC000) == NAV_ID_GROUP_TAG && (u16Id & 0x3FFF) < SLOTS)
        at = u16Id & 0x3FFF;
    if (at < 0 || at >= (S32)SLOTS || !T_NAV_GROUP_bIsGroupStatus(s_pWaypoint_MMC[at].u8Status))
        return nullptr;
    return reinterpret_cast<GROUP_SLOT*>(&s_pWaypoint_MMC[at]);
}

GROUP_SLOT* T_NAV_pGetRootSlotFromMMC(void)
{
    const S32 s = nRootSlot(s_pWaypoint_MMC, SLOTS);
    return s < 0 ? nullptr : reinterpret_cast<GROUP_SLOT*>(&s_pWaypoint_MMC[s]);
}

ROUTE* T_NAV_pGetRouteFromMMC(U32 i)
{
    return s_pRoute_MMC != nullptr && i < ROUTES ? &s_pRoute_MMC[i] : nullptr;
}

U16 T_NAV_u16FindAvailableRouteFromMMC(void)
{
    if (s_pRoute_MMC == nullptr)
        return NONE;
    for (U32 i = 0; i < ROUTES; ++i)
        if (bRouteFree(s_pRoute_MMC[i]))
            return (U16)i;
    return NONE;
}

void T_NAV_vSaveRouteFromMMC(U32 i, const ROUTE* pRoute, BOOLEAN)
{
    ROUTE* r = T_NAV_pGetRouteFromMMC(i);
    if (r != nullptr && pRoute != nullptr)
        *r = *pRoute;
}

TRACK_HEADER* T_NAV_pGetTrackHeaderFromMMC(U32 i)
{
    return s_pTrackHeader_MMC != nullptr && i < TRACKS ? &s_pTrackHeader_MMC[i] : nullptr;
}

S32 T_NAV_nAddTrackFromMMC(const TRACK* pTrack, U32 u32DateTime, const char*, BOOLEAN)
{
    NavLock lock;
    if (pTrack == nullptr || s_pTrackHeader_MMC == nullptr)
        return NONE;
    for (U32 i = 0; i < TRACKS; ++i) {
        if (s_pTrackHeader_MMC[i].u16Count == 0) {
            vCopyHeader(&s_pTrackHeader_MMC[i], pTrack);
            s_pTrackHeader_MMC[i].u32DateTime = u32DateTime;
            return (S32)i;
        }
    }
    return NONE;
}

RUMBREL_HEADER* T_NAV_pGetRumbrelHeaderFromMMC(U32 i)
{
    return s_pRumbrelHeader_MMC != nullptr && i < RUMBRELS ? &s_pRumbrelHeader_MMC[i] : nullptr;
}

S32 T_NAV_nAddRumbrelHeaderFromMMC(const RUMBREL_HEADER* pHeader, U32 u32DateTime, const char*, BOOLEAN)
{
    NavLock lock;
    if (pHeader == nullptr || s_pRumbrelHeader_MMC == nullptr)
        return NONE;
    for (U32 i = 0; i < RUMBRELS; ++i) {
        if (s_pRumbrelHeader_MMC[i].nCount == 0) {
            s_pRumbrelHeader_MMC[i] = *pHeader;
            s_pRumbrelHeader_MMC[i].u32DateTime = u32DateTime;
            return (S32)i;
        }
    }
    return NONE;
}
