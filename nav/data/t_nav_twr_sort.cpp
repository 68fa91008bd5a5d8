// Sorted lists and their comparators.
#include "nav/data/t_nav_twr_sort.h"

#include "chart_sdk/geodesy/nv_calc.h"
#include "chart_sdk/geodesy/nv_conv.h"
#include "chart_sdk/geodesy/nv_distn.h"
#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "store/h_database.h"
#include "store/lang.h"
#include "util/u_convert.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr U32 SLOTS = NAV_WAYPOINT_SLOTS;
constexpr U16 NONE = NAV_ID_NONE;
constexpr U32 START = 1;
constexpr U32 END = 2;

TEXT_TABLE s_apcToStart = {"to start", "to start", "to start", "to start", "to start", "to start",
                           "to start", "to start", "to start", "to start", "to start", "to start",
                           "to start", "to start", "to start", "to start", "to start", "to start",
                           "to start", "to start", "to start", "to start"};
TEXT_TABLE s_apcToEnd = {"to end", "to end", "to end", "to end", "to end", "to end", "to end", "to end",
                         "to end", "to end", "to end", "to end", "to end", "to end", "to end", "to end",
                         "to end", "to end", "to end", "to end", "to end", "to end"};

} // namespace

// Statics -----------------------------------------------------------------

namespace {

class NavLock {
public:
    NavLock() { L_MUTEX_LockWait(RES_NAV_DATA); }
    ~NavLock() { L_MUTEX_Unlock(RES_NAV_DATA); }
    NavLock(const NavLock&) = delete;
    NavLock& operator=(const NavLock&) = delete;
};

double s_adDistance[NAV_WAYPOINT_ID_ENTRIES];
POINT s_ptBoat = {0, 0};
POSITION s_posBoat = {0, 0};

U32 u32CacheIndex(U16 id)
{
    return (U32)(id >> 12 & 3) * 4096 + (id & 0x0FFF);
}

double dDistanceTo(const POINT& pt)
{
    POSITION to = {0, 0};
    nv_MeterToDegr(&pt, &to);
    double course = 0, distance = 0;
    nv_RouteAngle(&s_ptBoat, &pt, &course);
    nv_CalcDistance(&s_posBoat, &to, course, &distance);
    return distance;
}

double dWaypointDistance(U16 id)
{
    const WAYPOINT* w = T_NAV_pGetWaypoint(id);
    if (w == nullptr)
        return -1.0;
    double& cached = s_adDistance[u32CacheIndex(id)];
    if (cached < 0.0)
        cached = dDistanceTo(w->pt);
    return cached;
}

// A distance that could not be computed sorts last, all such equal, so the
// order stays consistent.
int nOrder(double a, double b)
{
    a = std::isnan(a) ? HUGE_VAL : a;
    b = std::isnan(b) ? HUGE_VAL : b;
    return a < b ? -1 : a > b ? 1 : 0;
}

int nNewestFirst(U32 a, U32 b)
{
    return a > b ? -1 : a < b ? 1 : 0;
}

U16 u16Id(const void* p)
{
    return *static_cast<const U16*>(p);
}

const ST_POINT_TYPE_INDEX& ref(const void* p)
{
    return *static_cast<const ST_POINT_TYPE_INDEX*>(p);
}

// Equal keys are told apart by kind, index and then the point: a track's or
// route's first point ahead of the whole ahead of its last point. Two
// references to one item share its name and date-time, so by name and by
// time the first point of a track or route always comes before its last.
// (Putting the first point first also by distance would contradict the
// distances themselves whenever another item lies between the two ends,
// and qsort needs a consistent order: by distance each end sorts by its
// own distance.)
U32 u32PointRank(const ST_POINT_TYPE_INDEX& r)
{
    const U32 se = r.nType == TWR_POINT_TYPE_RUMBREL ? r.nRumbrelStartEnd
                   : r.nType == TWR_POINT_TYPE_ROUTE ? r.nRouteStartEnd
                                                     : 0;
    return se == START ? 0 : se == 0 ? 1 : 2;
}

int nTieBreak(const ST_POINT_TYPE_INDEX& a, const ST_POINT_TYPE_INDEX& b)
{
    if (a.nType != b.nType)
        return a.nType < b.nType ? -1 : 1;
    if (a.nIndex != b.nIndex)
        return a.nIndex < b.nIndex ? -1 : 1;
    const U32 ra = u32PointRank(a), rb = u32PointRank(b);
    return ra < rb ? -1 : ra > rb ? 1 : 0;
}

const ROUTE* pUsedRoute(U32 i)
{
    const ROUTE* r = T_NAV_pGetRoute(i);
    return r != nullptr && (r->nCount != 0 || r->u32DateTime != 0) ? r : nullptr;
}

// The position of a route's first or last waypoint; FALSE when there is
// none.
bool bRoutePoint(const ROUTE* r, bool bEnd, POINT* pt)
{
    const U32 n = r->nCount < ROUTE_MAX_POINTS ? r->nCount : ROUTE_MAX_POINTS;
    if (n == 0)
        return false;
    const U16 id = r->anWaypoint[bEnd ? n - 1 : 0];
    const WAYPOINT* w = id == NONE ? nullptr : T_NAV_pGetWaypoint(id);
    if (w == nullptr)
        return false;
    *pt = w->pt;
    return true;
}

bool bCounted(U32 status, BOOLEAN bTemp)
{
    return status == WP_STATUS_PERMANENT || (bTemp && status == WP_STATUS_TEMPORARY);
}

void vAppendName(char* buf, U32 len, const char* pcName, U32 nameChars, U32 u32StartEnd, bool bSuffix)
{
    U32 n = (U32)strnlen(pcName, nameChars);
    if (n > len - 1)
        n = len - 1;
    memcpy(buf, pcName, n);
    buf[n] = '\0';
    if (bSuffix && (u32StartEnd == START || u32StartEnd == END)) {
        const char* word = (u32StartEnd == START ? s_apcToStart : s_apcToEnd)[nCurrentLanguage()];
        snprintf(buf + n, len - n, " %s", word);
    }
}

} // namespace

// Codec ----------------------------------------------------------------------

void T_NAV_vEncodeTwrPoint(const ST_POINT_TYPE_INDEX* pRef, U8* pu8Out)
{
    const U32 w0 = (U32)pRef->nIndex | (U32)pRef->nReserved << 16 | (U32)pRef->nRouteStartEnd << 26 |
                   (U32)pRef->nRumbrelStartEnd << 28 | (U32)pRef->nUnused0 << 30;
    const U32 w1 = (U32)pRef->nType | (U32)pRef->nUnused1 << 4;
    for (int i = 0; i < 4; ++i) {
        pu8Out[i] = (U8)(w0 >> (8 * i));
        pu8Out[4 + i] = (U8)(w1 >> (8 * i));
    }
}

void T_NAV_vDecodeTwrPoint(const U8* pu8In, ST_POINT_TYPE_INDEX* pRef)
{
    U32 w0 = 0, w1 = 0;
    for (int i = 0; i < 4; ++i) {
        w0 |= (U32)pu8In[i] << (8 * i);
        w1 |= (U32)pu8In[4 + i] << (8 * i);
    }
    pRef->nIndex = w0 & 0xFFFF;
    pRef->nReserved = w0 >> 16 & 0x3FF;
    pRef->nRouteStartEnd = w0 >> 26 & 3;
    pRef->nRumbrelStartEnd = w0 >> 28 & 3;
    pRef->nUnused0 = w0 >> 30 & 3;
    pRef->nType = w1 & 0xF;
    pRef->nUnused1 = w1 >> 4;
}

// Distances ------------------------------------------------------------------

void T_NAV_vResetDistanceCache(void)
{
    NavLock lock;
    for (double& d : s_adDistance)
        d = -1.0;
    S32 lat = 0, lon = 0;
    BOOLEAN bLatValid = FALSE, bLonValid = FALSE;
    const bool bFix = H_DATABASE_bFetchS32(FCID("ILAT"), &lat, &bLatValid, nullptr) && bLatValid &&
                      H_DATABASE_bFetchS32(FCID("ILON"), &lon, &bLonValid, nullptr) && bLonValid;
    s_ptBoat = bFix ? POINT{lon, lat} : POINT{0, 0};
    s_posBoat = {0, 0};
    nv_MeterToDegr(&s_ptBoat, &s_posBoat);
}

double T_NAV_dGetTwrPointDistance(const ST_POINT_TYPE_INDEX* pTwr)
{
    if (pTwr == nullptr)
        return -1.0;
    switch (pTwr->nType) {
    case TWR_POINT_TYPE_WPT:
        return dWaypointDistance((U16)pTwr->nIndex);
    case TWR_POINT_TYPE_RUMBREL: {
        const RUMBREL_HEADER* h = T_NAV_pGetRumbrelHeader(pTwr->nIndex);
        if (h == nullptr)
            return -1.0;
        return dConvertFromInternal(h->u32ClosestDTG, D_DISTANCE, U_NAUT_MILES);
    }
    case TWR_POINT_TYPE_ROUTE: {
        const ROUTE* r = T_NAV_pGetRoute(pTwr->nIndex);
        POINT pt;
        if (r == nullptr || !bRoutePoint(r, pTwr->nRouteStartEnd == END, &pt))
            return -1.0;
        return dDistanceTo(pt);
    }
    default:
        return -1.0;
    }
}

// Comparators ------------------------------------------------------------------

int T_NAV_nCompareWaypointsByName(const void* pA, const void* pB)
{
    const WAYPOINT* a = T_NAV_pGetWaypoint(u16Id(pA));
    const WAYPOINT* b = T_NAV_pGetWaypoint(u16Id(pB));
    return strncmp(a ? a->sName : "", b ? b->sName : "", WAYPOINT_NAME_CHARS);
}

int T_NAV_nCompareWaypointsByTime(const void* pA, const void* pB)
{
    const WAYPOINT* a = T_NAV_pGetWaypoint(u16Id(pA));
    const WAYPOINT* b = T_NAV_pGetWaypoint(u16Id(pB));
    return nNewestFirst(a ? a->u32DateTime : 0, b ? b->u32DateTime : 0);
}

int T_NAV_nCompareWaypointsByDistance(const void* pA, const void* pB)
{
    return nOrder(dWaypointDistance(u16Id(pA)), dWaypointDistance(u16Id(pB)));
}

int T_NAV_nCompareTwrPointsByName(const void* pA, const void* pB)
{
    char a[TWR_POINT_NAME_CHARS], b[TWR_POINT_NAME_CHARS];
    T_NAV_vGetTwrPointName(&ref(pA), a, sizeof a, FALSE);
    T_NAV_vGetTwrPointName(&ref(pB), b, sizeof b, FALSE);
    if (const int r = strcmp(a, b))
        return r;
    return nTieBreak(ref(pA), ref(pB));
}

int T_NAV_nCompareTwrPointsByTime(const void* pA, const void* pB)
{
    U32 ta = 0, tb = 0;
    POINT pt;
    T_NAV_vGetTwrPointDateTime(&ref(pA), &ta, &pt);
    T_NAV_vGetTwrPointDateTime(&ref(pB), &tb, &pt);
    if (const int r = nNewestFirst(ta, tb))
        return r;
    return nTieBreak(ref(pA), ref(pB));
}

int T_NAV_nCompareTwrPointsByDistance(const void* pA, const void* pB)
{
    if (const int r = nOrder(T_NAV_dGetTwrPointDistance(&ref(pA)), T_NAV_dGetTwrPointDistance(&ref(pB))))
        return r;
    return nTieBreak(ref(pA), ref(pB));
}

// Lists ----------------------------------------------------------------------------

void T_NAV_vGetSortedWaypoints(NAV_WPT_SORT_ORDER eSortBy, U32* pnCount, U16* pu16Indexes,
                               BOOLEAN bIncludeTempWaypoints, BOOLEAN bIncludeNonLocalWaypoints)
{
    if (pnCount == nullptr || pu16Indexes == nullptr)
        return;
    NavLock lock;
    const int banks = bIncludeNonLocalWaypoints ? (int)NAV_WAYPOINT_BANKS : 1;
    U32 nMob = 0, nOther = 0;
    for (int bank = 0; bank < banks; ++bank) {
        for (U32 s = 0; s < SLOTS; ++s) {
            const U32 st = T_NAV_TWR_pGetNetworkWaypoint(s, bank)->u8Status;
            nMob += st == WP_STATUS_MOB ? 1 : 0;
            nOther += bCounted(st, bIncludeTempWaypoints) ? 1 : 0;
        }
    }
    U32 iMob = 0, iOther = nMob;
    for (int bank = 0; bank < banks; ++bank) {
        for (U32 s = 0; s < SLOTS; ++s) {
            const U32 st = T_NAV_TWR_pGetNetworkWaypoint(s, bank)->u8Status;
            const U16 id = (U16)((U32)bank << 12 | s);
            if (st == WP_STATUS_MOB)
                pu16Indexes[iMob++] = id;
            else if (bCounted(st, bIncludeTempWaypoints))
                pu16Indexes[iOther++] = id;
        }
    }
    int (*compare)(const void*, const void*) = T_NAV_nCompareWaypointsByName;
    if (eSortBy == NAV_WPT_SORT_BY_DISTANCE) {
        T_NAV_vResetDistanceCache();
        compare = T_NAV_nCompareWaypointsByDistance;
    } else if (eSortBy == NAV_WPT_SORT_BY_TIME) {
        compare = T_NAV_nCompareWaypointsByTime;
    }
    qsort(pu16Indexes, nMob, sizeof *pu16Indexes, compare);
    qsort(pu16Indexes + nMob, nOther, sizeof *pu16Indexes, compare);
    *pnCount = nMob + nOther;
}

void T_NAV_vGetSortedPointsList(NAV_WPT_SORT_ORDER eSortBy, U32* pnCount, ST_POINT_TYPE_INDEX* list,
                                BOOLEAN bIncludeTempWaypoints, BOOLEAN bIncludeNonLocalWaypoints,
                                BOOLEAN bStevrinConnected, BOOLEAN bInclRumbrelStartEnd)
{
    if (pnCount == nullptr || list == nullptr)
        return;
    NavLock lock;
    const int banks = bIncludeNonLocalWaypoints ? (int)NAV_WAYPOINT_BANKS : 1;
    const bool bWaypoints = eSortBy <= NAV_WPT_SORT_BY_WAYPOINTS;
    const bool bCommon = eSortBy <= NAV_WPT_SORT_BY_DISTANCE;
    auto put = [&](U32 at, U32 type, U32 index, U32 startEnd) {
        ST_POINT_TYPE_INDEX& e = list[at];
        e.nType = type & 0xF;
        e.nIndex = index & 0xFFFF;
        if (type == TWR_POINT_TYPE_RUMBREL)
            e.nRumbrelStartEnd = startEnd & 3;
        else if (type == TWR_POINT_TYPE_ROUTE)
            e.nRouteStartEnd = startEnd & 3;
    };

    // The man-overboard block goes ahead of the rest: count it first.
    U32 nMob = 0;
    if (bWaypoints)
        for (int bank = 0; bank < banks; ++bank)
            for (U32 s = 0; s < SLOTS; ++s)
                nMob += T_NAV_TWR_pGetNetworkWaypoint(s, bank)->u8Status == WP_STATUS_MOB ? 1 : 0;
    U32 iMob = 0, n = nMob;
    if (bWaypoints || eSortBy == NAV_WPT_SORT_BY_STAYVANES) {
        for (int bank = 0; bank < banks; ++bank) {
            for (U32 s = 0; s < SLOTS; ++s) {
                const WAYPOINT* w = T_NAV_TWR_pGetNetworkWaypoint(s, bank);
                const U32 id = (U32)bank << 12 | s;
                if (eSortBy == NAV_WPT_SORT_BY_STAYVANES) {
                    if (bCounted(w->u8Status, bIncludeTempWaypoints) && w->u8Icon == STEVRIN_STAYVANE_ICON)
                        put(n++, TWR_POINT_TYPE_WPT, id, 0);
                } else if (w->u8Status == WP_STATUS_MOB) {
                    put(iMob++, TWR_POINT_TYPE_WPT, id, 0);
                } else if (bCounted(w->u8Status, bIncludeTempWaypoints) &&
                           !(eSortBy == NAV_WPT_SORT_BY_WAYPOINTS && w->u8Icon == STEVRIN_STAYVANE_ICON)) {
                    put(n++, TWR_POINT_TYPE_WPT, id, 0);
                }
            }
        }
    }
    if (bStevrinConnected && (bCommon || eSortBy == NAV_WPT_SORT_BY_RUMBRELS)) {
        for (U32 i = 0; i < NAV_RUMBREL_SLOTS; ++i) {
            if (T_NAV_pGetRumbrelHeader(i)->nCount == 0)
                continue;
            if (bInclRumbrelStartEnd) {
                put(n++, TWR_POINT_TYPE_RUMBREL, i, START);
                put(n++, TWR_POINT_TYPE_RUMBREL, i, END);
            } else {
                put(n++, TWR_POINT_TYPE_RUMBREL, i, 0);
            }
        }
    }
    if (bCommon || eSortBy == NAV_WPT_SORT_BY_ROUTES) {
        for (U32 i = 0; i < NAV_ROUTE_SLOTS; ++i) {
            if (pUsedRoute(i) == nullptr)
                continue;
            if (bInclRumbrelStartEnd) {
                put(n++, TWR_POINT_TYPE_ROUTE, i, START);
                put(n++, TWR_POINT_TYPE_ROUTE, i, END);
            } else {
                put(n++, TWR_POINT_TYPE_ROUTE, i, 0);
            }
        }
    }
    if (n != 0) {
        int (*compare)(const void*, const void*) = T_NAV_nCompareTwrPointsByName;
        if (eSortBy == NAV_WPT_SORT_BY_DISTANCE) {
            T_NAV_vResetDistanceCache();
            compare = T_NAV_nCompareTwrPointsByDistance;
        } else if (eSortBy == NAV_WPT_SORT_BY_TIME) {
            compare = T_NAV_nCompareTwrPointsByTime;
        }
        qsort(list, nMob, sizeof *list, compare);
        qsort(list + nMob, n - nMob, sizeof *list, compare);
    }
    *pnCount = n;
}

// Point references --------------------------------------------------------

void T_NAV_vGetTwrPointName(const ST_POINT_TYPE_INDEX* ref, char* buf, int len, BOOLEAN bIncludeStartEnd)
{
    if (buf == nullptr || len <= 0)
        return;
    buf[0] = '\0';
    if (ref == nullptr)
        return;
    switch (ref->nType) {
    case TWR_POINT_TYPE_WPT: {
        const WAYPOINT* w = T_NAV_pGetWaypoint(ref->nIndex);
        if (w != nullptr)
            vAppendName(buf, (U32)len, w->sName, WAYPOINT_NAME_CHARS, 0, false);
        return;
    }
    case TWR_POINT_TYPE_RUMBREL: {
        const RUMBREL_HEADER* h = T_NAV_pGetRumbrelHeader(ref->nIndex);
        if (h != nullptr)
            vAppendName(buf, (U32)len, h->sName, RUMBREL_NAME_CHARS, ref->nRumbrelStartEnd, bIncludeStartEnd);
        return;
    }
    case TWR_POINT_TYPE_ROUTE: {
        const ROUTE* r = T_NAV_pGetRoute(ref->nIndex);
        if (r != nullptr)
            vAppendName(buf, (U32)len, r->sName, ROUTE_NAME_CHARS, ref->nRouteStartEnd, bIncludeStartEnd);
        return;
    }
    default:
        log_me("WRONG TWR nType: %d", (int)ref->nType);
        return;
    }
}

void T_NAV_vGetTwrPointDateTime(const ST_POINT_TYPE_INDEX* ref, U32* pu32DateTime, POINT* pt)
{
    if (ref == nullptr || pu32DateTime == nullptr || pt == nullptr)
        return;
    switch (ref->nType) {
    case TWR_POINT_TYPE_WPT: {
        const WAYPOINT* w = T_NAV_pGetWaypoint(ref->nIndex);
        if (w != nullptr) {
            *pu32DateTime = w->u32DateTime;
            *pt = w->pt;
        }
        return;
    }
    case TWR_POINT_TYPE_RUMBREL: {
        const RUMBREL* r = T_NAV_pGetRumbrel(ref->nIndex);
        if (r == nullptr)
            return;
        *pu32DateTime = r->u32DateTime;
        const U32 n = r->nCount < RUMBREL_MAX_POINTS ? r->nCount : RUMBREL_MAX_POINTS;
        if (n != 0)
            *pt = r->aTrackPoints[ref->nRumbrelStartEnd == END ? n - 1 : 0];
        return;
    }
    case TWR_POINT_TYPE_ROUTE: {
        const ROUTE* r = T_NAV_pGetRoute(ref->nIndex);
        if (r == nullptr)
            return;
        *pu32DateTime = r->u32DateTime;
        bRoutePoint(r, ref->nRouteStartEnd == END, pt);
        return;
    }
    default:
        return;
    }
}
