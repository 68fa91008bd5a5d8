// Recorded-track proximity and the back-track (see t_nav_twr_proximity.h).
//
// Distances are the chart geodesy's rhumb line in nautical miles along the
// bearing from the reference to the point; every closest-point search
// converts each point to latitude and longitude. The start/end search uses
// integer arithmetic only.
#include "nav/data/t_nav_twr_proximity.h"

#include "nav/core/t_nav.h" // T_NAV_pGetCurrentTrackPtr
#include "nav/core/u_nav.h"
#include "nav/core/u_nav_geometry.h"

#include "chart_sdk/geodesy/nv_calc.h"
#include "chart_sdk/geodesy/nv_conv.h"
#include "chart_sdk/geodesy/nv_distn.h"
#include "kernel/h_memory.h"
#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_link.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_startup.h"
#include "store/h_database.h"
#include "trolling/u_stevrin_standin.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Constants ---------------------------------------------------------------

constexpr double START_MINIMUM_NM = 3141592.653589793;
constexpr double METRES_PER_NM = 1852.0;
constexpr double METRES_PER_FOOT = 0.3048;
constexpr double METRES_PER_STATUTE_MILE = 1609.344;
constexpr double NM_PER_STATUTE_MILE = 0.86897624;
constexpr S32 WORLD_HALF_X = 20038300;
constexpr S32 WORLD_X = 40076600;
constexpr S32 SCALE_LIMIT = 16383;
constexpr U16 NO_SLOT = 0xFFFF;

// Static helpers ------------------------------------------------------------

POINT ptBoat(void)
{
    S32 s32Lat = 0;
    S32 s32Lon = 0;
    BOOLEAN bLat = FALSE;
    BOOLEAN bLon = FALSE;
    if (!H_DATABASE_bFetchS32(FCID("ILAT"), &s32Lat, &bLat, nullptr) ||
        !H_DATABASE_bFetchS32(FCID("ILON"), &s32Lon, &bLon, nullptr) || !bLat || !bLon)
        return {0, 0};
    return {s32Lon, s32Lat};
}

// Rhumb-line distance (nautical miles) and bearing from a to b.
double dDistanceNM(const POINT& a, const POSITION& posA, const POINT& b, double* pdBearing)
{
    double dBearing = 0.0;
    nv_RouteAngle(&a, &b, &dBearing);
    POSITION posB = {};
    nv_MeterToDegr(&b, &posB);
    double d = 0.0;
    nv_CalcDistance(&posA, &posB, dBearing, &d);
    if (pdBearing != nullptr)
        *pdBearing = dBearing;
    return d;
}

double dDistanceNM(const POINT& a, const POINT& b)
{
    POSITION posA = {};
    nv_MeterToDegr(&a, &posA);
    return dDistanceNM(a, posA, b, nullptr);
}

U32 u32Closest(const POINT& ref, const RUMBREL* pTrack, U32* pnBearing, U32* pnDistance)
{
    POSITION posRef = {};
    nv_MeterToDegr(&ref, &posRef);
    double dBest = START_MINIMUM_NM;
    double dBestBearing = 0.0;
    U32 u32Best = 0;
    const U32 n = std::min<U32>(pTrack->nCount, RUMBREL_MAX_POINTS);
    for (U32 k = 0; k < n; ++k) {
        double dBearing = 0.0;
        const double d = dDistanceNM(ref, posRef, pTrack->aTrackPoints[k], &dBearing);
        if (d < dBest) {
            dBest = d;
            dBestBearing = dBearing;
            u32Best = k;
        }
    }
    const double dMetres = dBest * METRES_PER_NM;
    *pnBearing = (U32)dBestBearing;
    *pnDistance = dMetres >= (double)NAV_CLOSEST_NONE_DTG ? NAV_CLOSEST_NONE_DTG : (U32)dMetres;
    return u32Best;
}

void vStoreClosest(const POINT& ref, RUMBREL* pTrack)
{
    U32 u32Bearing = 0;
    U32 u32Distance = 0;
    pTrack->u32ClosestTP = u32Closest(ref, pTrack, &u32Bearing, &u32Distance);
    pTrack->u32ClosestBRG = u32Bearing;
    pTrack->u32ClosestDTG = u32Distance;
}

S32 s32WrapDx(S64 dx)
{
    if (dx > WORLD_HALF_X)
        dx -= WORLD_X;
    else if (dx < -WORLD_HALF_X)
        dx += WORLD_X;
    return (S32)dx;
}

BOOLEAN bDisplayed(const RUMBREL_HEADER* h)
{
    return h->nCount != 0 && h->u32DateTime != 0 && h->u32Visible != 0 && h->u32DisplayedOnChart != 0 &&
           h->nCount <= RUMBREL_MAX_POINTS;
}

// The Manhattan distance of q in the rectangle ahead, or -1 when q is not
// in it.
S64 s64AheadDistance(const POINT& pt, const POINT& q, S32 h, S32 nWidthMM, S32 nLengthMM, U16 nDirection)
{
    S32 dx = s32WrapDx((S64)q.x - pt.x);
    S32 dy = (S32)((S64)q.y - pt.y);
    if (std::abs((S64)dx) > h || std::abs((S64)dy) > h || (dx == 0 && dy == 0))
        return -1;
    const S64 s = U_NAV_nIntSin(nDirection);
    const S64 c = U_NAV_nIntCos(nDirection);
    S32 shift = 16;
    if (std::abs((S64)dx) > SCALE_LIMIT || std::abs((S64)dy) > SCALE_LIMIT) {
        const S32 j = std::max<S32>(0, std::min(29 - U_NAV_nIntLog2(dx), 29 - U_NAV_nIntLog2(dy)));
        dx = (S32)(((S64)dx + ((S64)1 << (15 - j))) >> (16 - j));
        dy = (S32)(((S64)dy + ((S64)1 << (15 - j))) >> (16 - j));
        shift = j;
    }
    const S64 along = (c * dy + s * dx) >> shift;
    const S64 across = (c * dx - s * dy) >> shift;
    if (along <= 0 || along > nLengthMM || across < -(S64)nWidthMM || across > nWidthMM)
        return -1;
    return std::abs((S64)dx) + std::abs((S64)dy);
}

} // namespace

// Closest points -----------------------------------------------------------------

void T_NAV_vSetAllRumbrelClosest2Pos(POINT* pt)
{
    if (pt == nullptr)
        return;
    for (U32 slot = 0; slot < NAV_RUMBREL_SLOTS; ++slot) {
        RUMBREL* p = T_NAV_pGetRumbrel(slot);
        if (p != nullptr && p->nCount != 0)
            vStoreClosest(*pt, p);
    }
}

void T_NAV_vSetAllRumbrelClosest(void)
{
    POINT boat = ptBoat();
    T_NAV_vSetAllRumbrelClosest2Pos(&boat);
}

void T_NAV_vSetRumbrelClosest(U32 slot)
{
    RUMBREL* p = slot < NAV_RUMBREL_SLOTS ? T_NAV_pGetRumbrel(slot) : nullptr;
    if (p != nullptr)
        vStoreClosest(ptBoat(), p);
}

U32 T_NAV_u32FindClosestRumbrelPoint(RUMBREL* track, U32* pnBearing, U32* pnDistance)
{
    POINT boat = ptBoat();
    return T_NAV_u32FindClosestRumbrelPoint2Pos(&boat, track, pnBearing, pnDistance);
}

U32 T_NAV_u32FindClosestRumbrelPoint2Pos(POINT* pt, RUMBREL* track, U32* pnBearing, U32* pnDistance)
{
    if (pt == nullptr || track == nullptr)
        return 0;
    U32 u32Bearing = 0;
    U32 u32Distance = 0;
    const U32 k = u32Closest(*pt, track, &u32Bearing, &u32Distance);
    if (pnBearing != nullptr)
        *pnBearing = u32Bearing;
    if (pnDistance != nullptr)
        *pnDistance = u32Distance;
    return k;
}

U32 T_NAV_u32BoatPosToWayptinFt(U16 id)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    const WAYPOINT* w = T_NAV_pGetWaypoint(id);
    const BOOLEAN bUsed = w != nullptr && w->u8Status >= WP_STATUS_PERMANENT && w->u8Status <= WP_STATUS_MOB;
    const POINT pt = bUsed ? w->pt : POINT{0, 0};
    L_MUTEX_Unlock(RES_NAV_DATA);
    if (!bUsed)
        return 0xFFFFFFFF;
    const double dFeet = dDistanceNM(ptBoat(), pt) * METRES_PER_NM / METRES_PER_FOOT;
    return dFeet >= 4294967295.0 ? 0xFFFFFFFF : (U32)dFeet;
}

// Searches --------------------------------------------------------------------------

U16 T_NAV_nFindNearbyRumbrel(POINT pt, S32 nWidthMM, S32 nLengthMM)
{
    const S64 h = std::max(nWidthMM, nLengthMM);
    L_MUTEX_LockWait(RES_NAV_DATA);
    for (U32 slot = 0; slot < NAV_RUMBREL_SLOTS; ++slot) {
        RUMBREL* p = T_NAV_pGetRumbrel(slot);
        if (p == nullptr || !bDisplayed(p))
            continue;
        U32 u32Bearing = 0;
        U32 u32Distance = 0;
        const U32 k = u32Closest(pt, p, &u32Bearing, &u32Distance);
        const POINT& q = p->aTrackPoints[k];
        const S64 dx = s32WrapDx((S64)q.x - pt.x);
        const S64 dy = (S64)q.y - pt.y;
        if (std::abs(dx) <= h && std::abs(dy) <= h) {
            p->u32ClosestTP = k;
            L_MUTEX_Unlock(RES_NAV_DATA);
            return (U16)slot;
        }
    }
    L_MUTEX_Unlock(RES_NAV_DATA);
    return NO_SLOT;
}

U16 T_NAV_nFindNearbyRumbrelStartEnd(POINT pt, S32 nWidthMM, S32 nLengthMM, U16 nDirection, POINT* ptNear)
{
    const S32 h = std::max(nWidthMM, nLengthMM);
    S64 best = 2 * (S64)h + 1;
    U16 result = NO_SLOT;
    L_MUTEX_LockWait(RES_NAV_DATA);
    for (U32 slot = 0; slot < NAV_RUMBREL_SLOTS; ++slot) {
        const RUMBREL* p = T_NAV_pGetRumbrel(slot);
        if (p == nullptr || !bDisplayed(p))
            continue;
        for (const POINT& q : {p->aTrackPoints[0], p->aTrackPoints[p->nCount - 1]}) {
            const S64 d = s64AheadDistance(pt, q, h, nWidthMM, nLengthMM, nDirection);
            if (d < 0 || d >= best)
                continue;
            best = d;
            result = (U16)slot;
            if (ptNear != nullptr)
                *ptNear = q;
            break; // the end is looked at only when the start is not taken
        }
    }
    L_MUTEX_Unlock(RES_NAV_DATA);
    return result;
}

// Back-track -------------------------------------------------------------------------

void T_NAV_TWR_vCreateBackTrackRumbrel(double fSpacingInMeters)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    const TRACK* pTrack = T_NAV_pGetCurrentTrackPtr();
    if (pTrack == nullptr || pTrack->u16Count <= 4) {
        L_MUTEX_Unlock(RES_NAV_DATA);
        return;
    }
    auto* pRumbrel = static_cast<RUMBREL*>(H_MEMORY_pvMallocNoWait(sizeof(RUMBREL)));
    auto* pRing = static_cast<POINT*>(H_MEMORY_pvMallocNoWait(NAV_BACKTRACK_RING_POINTS * sizeof(POINT)));
    if (pRumbrel == nullptr || pRing == nullptr) {
        if (pRumbrel != nullptr)
            H_MEMORY_vFree(pRumbrel);
        if (pRing != nullptr)
            H_MEMORY_vFree(pRing);
        L_MUTEX_Unlock(RES_NAV_DATA);
        log_me("back-track: no memory");
        return;
    }
    memset(static_cast<void*>(pRumbrel), 0, sizeof(RUMBREL));

    // The ring keeps the newest points; u32Seen counts every point read.
    U32 u32Seen = 0;
    U16 u16Iterator = 0;
    POINT pt = {0, 0};
    U16 u16Depth = 0;
    while (U_NAV_eScanTrack(pTrack, &u16Iterator, &pt, &u16Depth) != TRACKPOINT_INVALID)
        pRing[u32Seen++ % NAV_BACKTRACK_RING_POINTS] = pt;
    const U32 u32Kept = std::min(u32Seen, NAV_BACKTRACK_RING_POINTS);
    auto ring = [&](U32 ageFromNewest) { return pRing[(u32Seen - 1 - ageFromNewest) % NAV_BACKTRACK_RING_POINTS]; };

    U16 u16Slot = NO_SLOT;
    if (u32Kept > 4) {
        float fMaxMetres = NAV_BACKTRACK_DEFAULT_METRES;
        BOOLEAN bValid = FALSE;
        if (!H_DATABASE_bFetchFloat(FCID("SIBT"), &fMaxMetres, &bValid, nullptr) || !bValid)
            fMaxMetres = NAV_BACKTRACK_DEFAULT_METRES;
        const double dMaxMiles =
            std::clamp((double)fMaxMetres / METRES_PER_STATUTE_MILE, NAV_BACKTRACK_MIN_MILES, NAV_BACKTRACK_MAX_MILES);
        const double dLimitNM = dMaxMiles * NM_PER_STATUTE_MILE;
        const double dSpacingNM = fSpacingInMeters / METRES_PER_NM;

        POINT from = ring(0);
        pRumbrel->aTrackPoints[0] = from;
        U32 n = 1;
        double dLength = 0.0;
        for (U32 age = 1; age < u32Kept; ++age) {
            const POINT q = ring(age);
            const double d = dDistanceNM(from, q);
            if (!(d > dSpacingNM) && age + 1 != u32Kept)
                continue;
            if (d >= NAV_BACKTRACK_JUMP_NM || dLength + d >= dLimitNM)
                break;
            pRumbrel->aTrackPoints[n++] = q;
            dLength += d;
            from = q;
            if (n == RUMBREL_MAX_POINTS)
                break;
        }

        pRumbrel->nCount = n;
        U32 u32DateTime = 0;
        bValid = FALSE;
        if (!H_DATABASE_bFetchU32(FCID("IDTM"), &u32DateTime, &bValid, nullptr) || !bValid)
            u32DateTime = 0;
        pRumbrel->u32DateTime = u32DateTime;
        U32 u32Number = 1;
        bValid = FALSE;
        if (!H_DATABASE_bFetchU32(FCID("SIID"), &u32Number, &bValid, nullptr) || !bValid)
            u32Number = 1;
        char acName[RUMBREL_NAME_CHARS + 8] = {};
        snprintf(acName, sizeof acName, "IT%04u", (unsigned)u32Number);
        memcpy(pRumbrel->sName, acName, std::min<size_t>(strlen(acName), RUMBREL_NAME_CHARS));
        H_DATABASE_bUpdateValueU32(FCID("SIID"), u32Number + 1, P_NORMAL);
        pRumbrel->u32Visible = 1;
        pRumbrel->u32TotalLengthFt = (U32)(dLength * METRES_PER_NM / METRES_PER_FOOT);
        T_NAV_STEVRIN_vCalculateLLURPoints(pRumbrel);
        U_STEVRIN_COMMON_vGenerateRumbrelUID(pRumbrel);
        pRumbrel->u32Style = NAV_BACKTRACK_STYLE;
        pRumbrel->u32Color = NAV_BACKTRACK_COLOR;

        u16Slot = T_NAV_u16RumbrelAdd(pRumbrel);
        if (u16Slot != NO_SLOT)
            T_NAV_GROUP_DATA_bAddLink(T_NAV_GROUP_DATA_nGetDefaultGroup(), (U16)(NAV_ID_RUMBREL_TAG | u16Slot));
    }
    H_MEMORY_vFree(pRing);
    H_MEMORY_vFree(pRumbrel);
    L_MUTEX_Unlock(RES_NAV_DATA);
    if (u16Slot != NO_SLOT)
        U_STEVRIN_vFollowBackTrack(u16Slot);
}
