// The navigation update: once a second, from the boat position, speed and
// heading in the data store, the route being navigated and the settings,
// it moves the simulated boat, records the current track, publishes the
// navigation readouts, decides arrival, passing, off course and drift,
// checks the AIS targets and refreshes the cursor's bearing and distance.
//
// Rules the whole tick keeps:
// - No position (missing, not valid, or x or y exactly 0) ends the tick
//   before anything is written and before the alarms hear of it. Every
//   other tick calls T_NAV_vUpdateAlarms exactly once, because the alarm
//   code counts its calls as seconds.
// - A missing input of the navigation step, or a destination whose
//   waypoint does not exist, writes no readout: only the drift decision
//   reaches the alarms that tick.
// - Readouts keep their last value when navigation ends; only "ISMG" is
//   ever deleted here.
// - Bearings and distances are rhumb lines in double precision; readouts
//   are stored as float.
#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/core/t_nav_route.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/task_standins.h"

#include "chart_sdk/geodesy/nv_calc.h"
#include "chart_sdk/geodesy/nv_distn.h"
#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "nav/core/u_nav.h"
#include "store/h_database.h"
#include "ui/t_display.h"
#include "util/u_convert.h"

#include <cmath>

// Constants ---------------------------------------------------------------

namespace {

constexpr double DEG_TO_RAD = M_PI / 180.0;
constexpr U32 ZOOM_HOLD_MS = 1799;
constexpr U32 CCST_SIMULATION = 4;
constexpr U32 CCST_POINT_OF_SALE = 6;
constexpr U32 CCST_PLAYBACK = 11;
constexpr U32 STEVRIN_RUMBREL_REV_MODE = 1;
constexpr U32 STEVRIN_RUMBREL_FWD_MODE = 2;
constexpr float MADE_GOOD_MIN_METRES = 5.0f;
constexpr U32 LEG_MIN_SECONDS = 5;

} // namespace

// Static functions ----------------------------------------------------------

namespace {

BOOLEAN bFetchU32(FOURCHARID key, U32* pValue)
{
    return H_DATABASE_bFetchU32(key, pValue, nullptr, nullptr);
}

BOOLEAN bFetchFloat(FOURCHARID key, float* pValue)
{
    return H_DATABASE_bFetchFloat(key, pValue, nullptr, nullptr);
}

BOOLEAN bFetchValidFloat(FOURCHARID key, float* pValue)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchFloat(key, pValue, &bValid, nullptr) && bValid;
}

// Present and TRUE.
bool bFlagSet(FOURCHARID key)
{
    BOOLEAN b = FALSE;
    return H_DATABASE_bFetchBoolean(key, &b, nullptr, nullptr) && b;
}

void vWriteFloat(FOURCHARID key, double dValue, DATA_TYPE type)
{
    H_DATABASE_bUpdateEverythingFloat(key, (float)dValue, P_NORMAL, type, nullptr, DB_TIMEOUT_NEVER);
}

void vWriteS32(FOURCHARID key, S32 s32Value, DATA_TYPE type)
{
    H_DATABASE_bUpdateEverythingS32(key, s32Value, P_NORMAL, type, nullptr, DB_TIMEOUT_NEVER);
}

void vWriteU32(FOURCHARID key, U32 u32Value, DATA_TYPE type)
{
    H_DATABASE_bUpdateEverythingU32(key, u32Value, P_NORMAL, type, nullptr, DB_TIMEOUT_NEVER);
}

void vWriteBoolean(FOURCHARID key, BOOLEAN bValue)
{
    H_DATABASE_bUpdateEverythingBoolean(key, bValue, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

// Any angle into [0, 360).
double dDegrees360(double d)
{
    double r = std::fmod(d, 360.0);
    return r < 0.0 ? r + 360.0 : r;
}

double dBearing(const POINT& from, const POINT& to)
{
    return T_NAV_dBearing(&from, &to);
}

// The rhumb-line distance sailed on a given course, in metres; 0 where the
// chart arithmetic refuses the points.
double dDistanceOnCourse(const POINT& from, const POINT& to, double dCourse)
{
    POSITION posFrom = {0.0, 0.0};
    POSITION posTo = {0.0, 0.0};
    double dNauticalMiles = 0.0;
    if (nv_MeterToDegr(&from, &posFrom) != NV_OK || nv_MeterToDegr(&to, &posTo) != NV_OK ||
        nv_CalcDistance(&posFrom, &posTo, dCourse, &dNauticalMiles) != NV_OK)
        return 0.0;
    return dConvertToInternal(dNauticalMiles, D_DISTANCE, U_NAUT_MILES);
}

// Position of entry u32Index of the current route; entries from nCount on
// do not exist.
bool bRoutePointPosition(U32 u32Index, POINT* pPoint)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    bool bFound = false;
    if (u32Index < s_CurrentRoute.nCount && u32Index < ROUTE_MAX_POINTS)
        bFound = T_NAV_bWaypointPosition(s_CurrentRoute.anWaypoint[u32Index], pPoint);
    L_MUTEX_Unlock(RES_NAV_DATA);
    return bFound;
}

// The sum of the route's legs from entry u32From to its last entry; a leg
// with a missing waypoint adds nothing.
double dRemainingLegs(U32 u32From)
{
    double dSum = 0.0;
    L_MUTEX_LockWait(RES_NAV_DATA);
    const U32 u32Count = s_CurrentRoute.nCount < ROUTE_MAX_POINTS ? s_CurrentRoute.nCount : ROUTE_MAX_POINTS;
    for (U32 i = u32From; i + 1 < u32Count; ++i) {
        POINT a;
        POINT b;
        if (T_NAV_bWaypointPosition(s_CurrentRoute.anWaypoint[i], &a) &&
            T_NAV_bWaypointPosition(s_CurrentRoute.anWaypoint[i + 1], &b))
            dSum += T_NAV_fDistanceBetweenPoints(&a, &b);
    }
    L_MUTEX_Unlock(RES_NAV_DATA);
    return dSum;
}

// Seconds to cover the distance at the closing speed, to the nearest
// second; -1 when not closing or when it would be NAV_TIME_TO_GO_LIMIT or more.
S32 s32TimeToGo(double dDistance, double dClosing)
{
    if (!(dClosing > 0.0))
        return -1;
    const double dSeconds = dDistance / dClosing;
    if (!(dSeconds < (double)NAV_TIME_TO_GO_LIMIT - 0.5) || !(dSeconds > -0.5))
        return -1;
    return (S32)std::lround(dSeconds);
}

// ILAT and ILON, both present, valid and non-zero.
bool bBoatPosition(POINT* pBoat)
{
    S32 s32Lat = 0;
    S32 s32Lon = 0;
    BOOLEAN bLatValid = FALSE;
    BOOLEAN bLonValid = FALSE;
    if (!H_DATABASE_bFetchS32(FCID("ILAT"), &s32Lat, &bLatValid, nullptr) ||
        !H_DATABASE_bFetchS32(FCID("ILON"), &s32Lon, &bLonValid, nullptr) || !bLatValid || !bLonValid)
        return false;
    if (s32Lat == 0 || s32Lon == 0)
        return false;
    pBoat->x = s32Lon;
    pBoat->y = s32Lat;
    return true;
}

void vAlarmsDriftOnly(BOOLEAN bDrift)
{
    T_NAV_vUpdateAlarms(FALSE, bDrift, FALSE, FALSE, T_NAV_vOnArrival);
}

// What the tick knows before the navigation step.
struct TICK {
    POINT boat;
    U32 u32Inip;         // 0: not navigating
    bool bIpno;          // the trolling motor navigates
    bool bFollowRumbrel; // ... along one of its tracks
    BOOLEAN bDrift;
};

// Step 9: the readouts and decisions of one navigating tick.
void vNavigate(const TICK& t)
{
    float fLimit = 0.0f;
    float fRadius = 0.0f;
    U32 u32Destination = 0;
    float fTrk = 0.0f;
    float fSog = 0.0f;
    float fHdg = 0.0f;
    BOOLEAN bContinuous = FALSE;
    BOOLEAN bContinuousReached = FALSE;
    const bool bInputs =
        bFetchFloat(t.bIpno ? FCID("SIOC") : FCID("SNAO"), &fLimit) &&
        bFetchFloat(t.bIpno ? FCID("SIAA") : FCID("SNAA"), &fRadius) && bFetchU32(FCID("IDWP"), &u32Destination) &&
        bFetchFloat(FCID("ITRK"), &fTrk) && bFetchValidFloat(FCID("ISOG"), &fSog) &&
        bFetchValidFloat(FCID("IHDG"), &fHdg) &&
        H_DATABASE_bFetchBoolean(FCID("SNCM"), &bContinuous, nullptr, nullptr) &&
        H_DATABASE_bFetchBoolean(FCID("CCNC"), &bContinuousReached, nullptr, nullptr);
    if (!bInputs) {
        vAlarmsDriftOnly(t.bDrift);
        return;
    }
    bFetchFloat(FCID("IHDC"), &fHdg);

    // Destination, bearing (BRG), computed distance (DTG) and the distance
    // shown (REM).
    POINT destination;
    double dBrg = 0.0;
    double dDtg = 0.0;
    double dRem = 0.0;
    if (t.bFollowRumbrel) {
        T_STEVRIN_vGetRumbrelTargetPt(&destination);
        dBrg = (double)T_STEVRIN_u32GetStevrinBearingDeg();
        dDtg = dDistanceOnCourse(t.boat, destination, dBrg);
        dRem = dConvertToInternal((double)T_STEVRIN_u32GetStevrinRemainDistFt(), D_DISTANCE, U_FEET);
    } else {
        if (!T_NAV_bWaypointPosition(u32Destination, &destination)) {
            vAlarmsDriftOnly(t.bDrift);
            return;
        }
        dBrg = dBearing(t.boat, destination);
        dDtg = T_NAV_fDistanceBetweenPoints(&t.boat, &destination);
        dRem = dDtg;
    }
    vWriteFloat(FCID("IBRG"), dBrg, D_HEADING);
    vWriteFloat(FCID("IDTG"), dRem, D_DISTANCE);

    const double dA = dDegrees360((double)fTrk - dBrg + 360.0);
    const float fXte = (float)(std::sin(dA * DEG_TO_RAD) * dDtg);
    vWriteFloat(FCID("IXTE"), fXte, D_DISTANCE);

    const double dDcv = std::cos(dDegrees360((double)fHdg - dBrg + 360.0) * DEG_TO_RAD) * (double)fSog;
    vWriteFloat(FCID("IDCV"), dDcv, D_SPEED);
    const S32 s32Ttg = s32TimeToGo(dRem, dDcv);
    vWriteS32(FCID("ITTG"), s32Ttg, D_TIME);

    // Arrival decisions.
    const S64 s64Last = (S64)s_CurrentRoute.nCount - 1;
    const bool bInside = (double)fRadius > dRem;
    const bool bPassed = dA >= 90.0 && dA <= 270.0;
    bool bArrival = false;
    bool bPast = false;
    bool bDecided = true;
    if (bContinuous && (S64)t.u32Inip == s64Last) {
        bContinuousReached = (bContinuousReached || bInside || bPassed) ? TRUE : FALSE;
        bDecided = false;
    } else if (t.bIpno && t.u32Inip == 0) {
        bArrival = bInside;
    } else if (t.bIpno) {
        bArrival = bInside && (S64)t.u32Inip == s64Last;
    } else {
        bArrival = bInside;
        bPast = bPassed;
    }
    if (bDecided) {
        vWriteBoolean(FCID("IACE"), bArrival ? TRUE : FALSE);
        vWriteBoolean(FCID("IPPD"), bPast ? TRUE : FALSE);
    }
    vWriteBoolean(FCID("CCNC"), bContinuousReached ? TRUE : FALSE);

    // To the final point.
    const double dDtf = t.bFollowRumbrel ? dRem : dDtg + dRemainingLegs(t.u32Inip);
    vWriteFloat(FCID("IDTF"), dDtf, D_DISTANCE);
    const S32 s32Ttf = s32TimeToGo(dDtf, dDcv);
    vWriteS32(FCID("ITTF"), s32Ttf, D_TIME);

    // Course and velocity made good.
    POINT legStart;
    if (t.bFollowRumbrel)
        vWriteFloat(FCID("ICMG"), dBearing(s_ptOWT, t.boat), D_HEADING);
    else if (t.u32Inip > 0 && bRoutePointPosition(t.u32Inip - 1, &legStart))
        vWriteFloat(FCID("ICMG"), dBearing(legStart, t.boat), D_HEADING);
    const bool bMob = s_u16MOBWaypoint != NAV_NO_MOB_WAYPOINT;
    const float fHdgMinusTrk = fHdg - fTrk;
    const double dVmg = bMob ? 0.0 : std::cos(dDegrees360((double)fHdgMinusTrk + 360.0) * DEG_TO_RAD) * (double)fSog;
    vWriteFloat(FCID("IVMG"), dVmg, D_SPEED);

    // Leg progress: the distance made good from the leg start towards the
    // destination.
    double dMade = 0.0;
    POINT legEnd;
    bool bLegEnd = t.bFollowRumbrel;
    if (t.bFollowRumbrel)
        T_STEVRIN_vGetRumbrelTargetPt(&legEnd);
    else
        bLegEnd = bRoutePointPosition(t.u32Inip, &legEnd);
    if (bLegEnd) {
        const double dC1 = dBearing(s_ptOWT, t.boat);
        const double dC2 = dBearing(s_ptOWT, legEnd);
        dMade = std::cos(dDegrees360(dC2 + 360.0 - dC1) * DEG_TO_RAD) * T_NAV_fDistanceBetweenPoints(&s_ptOWT, &t.boat);
    }

    // Times.
    U32 u32Now = 0;
    bFetchU32(FCID("IDTM"), &u32Now);
    const U32 u32LegTime = u32Now - s_u32TimeOWT;
    if (s_u32NavStartTime == 0)
        s_u32NavStartTime = u32Now;
    H_DATABASE_bUpdateValueS32(FCID("IETM"), (S32)(u32Now - s_u32NavStartTime), P_NORMAL);
    if (dMade > MADE_GOOD_MIN_METRES && u32LegTime > LEG_MIN_SECONDS)
        vWriteFloat(FCID("ISMG"), dMade / (double)u32LegTime, D_SPEED);
    else
        H_DATABASE_vDeleteEntry(FCID("ISMG"));
    vWriteU32(FCID("IETA"), s32Ttg == -1 ? NAV_NO_DATE_TIME : (U32)s32Ttg + u32Now, D_DATETIME);
    vWriteU32(FCID("IETF"), s32Ttf == -1 ? NAV_NO_DATE_TIME : (U32)s32Ttf + u32Now, D_DATETIME);

    if (bMob) {
        vWriteU32(FCID("MOBT"), u32LegTime >= NAV_TIME_TO_GO_LIMIT ? NAV_NO_DATE_TIME : u32LegTime, D_LONG_TIME);
        vAlarmsDriftOnly(t.bDrift);
        return;
    }

    // Off course.
    bool bOff = false;
    const double dLimit = fLimit;
    if (fLimit == 0.0f || T_STEVRIN_bIsNavigationPaused()) {
        bOff = false;
    } else if ((double)fXte < -dLimit || (double)fXte > dLimit) {
        bOff = true;
    } else if (!bDecided && bPassed && dDtg > dLimit) {
        bOff = true;
    } else {
        POINT origin;
        U32 u32Origin = 0;
        bool bOrigin = t.bFollowRumbrel;
        if (t.bFollowRumbrel)
            T_STEVRIN_vGetRumbrelOriginPt(&origin);
        else
            bOrigin = bFetchU32(FCID("IOWP"), &u32Origin) && T_NAV_bWaypointPosition(u32Origin, &origin);
        if (bOrigin) {
            const double dB = dDegrees360((double)fTrk - dBearing(t.boat, origin) + 360.0);
            if (dB < 90.0 || dB > 270.0)
                bOff = T_NAV_fDistanceBetweenPoints(&t.boat, &origin) > dLimit;
        }
    }

    if (t.bIpno) {
        T_NAV_vUpdateAlarms(FALSE, t.bDrift, FALSE, FALSE, nullptr);
        T_NAV_vUpdateStevrinAlarms(bArrival ? TRUE : FALSE, bArrival ? FALSE : (bOff ? TRUE : FALSE));
    } else {
        T_NAV_vUpdateAlarms(bOff ? TRUE : FALSE, t.bDrift, bPast ? TRUE : FALSE, bArrival ? TRUE : FALSE,
                            T_NAV_vOnArrival);
    }
}

// Step 11: every target of the pool once. A target that times out is
// removed and the next one takes its index, so the index stays.
void vCheckAisTargets(void)
{
    if (!bFlagSet(FCID("SAIS")))
        return;
    L_MUTEX_LockWait(RES_AIS_DATA);
    S32 index = 0;
    ais_DeviceInfo* pTarget = nullptr;
    while (T_NMEA_bScanAisPoints(index, &pTarget)) {
        if (T_NMEA_bAisCheckTimeout(pTarget, index))
            continue;
        T_NAV_vUpdateAisAlarm(T_NMEA_bAisHasAlarm(pTarget) ? TRUE : FALSE, pTarget);
        ++index;
    }
    L_MUTEX_Unlock(RES_AIS_DATA);
}

} // namespace

// Public functions -----------------------------------------------------------

double T_NAV_dBearing(const POINT* pFrom, const POINT* pTo)
{
    double dCourse = 0.0;
    nv_RouteAngle(pFrom, pTo, &dCourse);
    return dCourse;
}

BOOLEAN T_NAV_bWaypointPosition(U32 u32Id, POINT* pPoint)
{
    NAV_ITEM_ID item;
    if (pPoint == nullptr || u32Id > 0xFFFF || T_NAV_TWR_eDecodeId((U16)u32Id, &item) != TWR_TYPE_WAYPOINT)
        return FALSE;
    BOOLEAN bFound = FALSE;
    L_MUTEX_LockWait(RES_NAV_DATA);
    const WAYPOINT* pWaypoint = T_NAV_pGetWaypoint(u32Id);
    if (pWaypoint != nullptr && pWaypoint->u8Status >= WP_STATUS_PERMANENT && pWaypoint->u8Status <= WP_STATUS_MOB) {
        *pPoint = pWaypoint->pt;
        bFound = TRUE;
    }
    L_MUTEX_Unlock(RES_NAV_DATA);
    return bFound;
}

FLOAT T_NAV_fDistanceBetweenPoints(const POINT* pptA, const POINT* pptB)
{
    if (pptA == nullptr || pptB == nullptr)
        return 0.0;
    return (float)dDistanceOnCourse(*pptA, *pptB, dBearing(*pptA, *pptB));
}

void T_NAV_vUpdateCursorDistAndBearing(const POINT* pptBoatMM, const POINT* pptCursorMM)
{
    if (pptBoatMM == nullptr || pptCursorMM == nullptr)
        return;
    vWriteFloat(FCID("ICBH"), dBearing(*pptBoatMM, *pptCursorMM), D_HEADING);
    vWriteFloat(FCID("ICBD"), T_NAV_fDistanceBetweenPoints(pptBoatMM, pptCursorMM), D_DISTANCE);
}

void T_NAV_vUpdateStevrinOWT(const POINT* ptNewOWT, BOOLEAN bInitStartTime)
{
    if (ptNewOWT == nullptr)
        return;
    U32 u32Now = 0;
    bFetchU32(FCID("IDTM"), &u32Now);
    s_ptOWT = *ptNewOWT;
    s_u32TimeOWT = u32Now;
    if (bInitStartTime)
        s_u32NavStartTime = u32Now;
}

float T_NAV_vGetTargetBearing(U32 Navigation_target)
{
    S32 s32Lat = 0;
    S32 s32Lon = 0;
    BOOLEAN bLatValid = FALSE;
    BOOLEAN bLonValid = FALSE;
    if (!H_DATABASE_bFetchS32(FCID("ILAT"), &s32Lat, &bLatValid, nullptr) ||
        !H_DATABASE_bFetchS32(FCID("ILON"), &s32Lon, &bLonValid, nullptr) || !bLatValid || !bLonValid)
        return 0.0f;
    POINT target;
    if (!bRoutePointPosition(Navigation_target, &target))
        return 0.0f;
    const POINT boat = {s32Lon, s32Lat};
    return (float)dBearing(boat, target);
}

void T_NAV_vRecalculate(void)
{
    U32 u32Inip = 0;
    if (!bFetchU32(FCID("INIP"), &u32Inip) || u32Inip == 0)
        return;
    S32 s32Lat = 0;
    S32 s32Lon = 0;
    BOOLEAN bLatValid = FALSE;
    BOOLEAN bLonValid = FALSE;
    if (!H_DATABASE_bFetchS32(FCID("ILAT"), &s32Lat, &bLatValid, nullptr) ||
        !H_DATABASE_bFetchS32(FCID("ILON"), &s32Lon, &bLonValid, nullptr) || !bLatValid || !bLonValid)
        return;
    const POINT boat = {s32Lon, s32Lat};
    L_MUTEX_LockWait(RES_NAV_DATA);
    s_ptRecalculateOrigin = boat;
    s_bRecalculate = TRUE;
    L_MUTEX_Unlock(RES_NAV_DATA);
    POINT destination;
    if (bRoutePointPosition(u32Inip, &destination))
        H_DATABASE_bUpdateValueFloat(FCID("ITRK"), (float)dBearing(boat, destination), P_NORMAL);
}

void T_NAV_vResetXTE(void)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    T_NAV_vRecalculate();
    if (s_nRoutePointUsed < NAV_LEG_POINTS) {
        for (U32 i = s_nRoutePointUsed; i > s_nRoutePointTarget; --i)
            s_ptRoutePoint[i] = s_ptRoutePoint[i - 1];
        ++s_nRoutePointUsed;
        if (s_nRoutePointTarget < NAV_LEG_POINTS) {
            s_ptRoutePoint[s_nRoutePointTarget] = s_ptRecalculateOrigin;
            ++s_nRoutePointTarget;
        }
    }
    L_MUTEX_Unlock(RES_NAV_DATA);
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
}

void T_NAV_vHandleUpdateTimer(void)
{
    U32 u32DateTime = 0;
    bFetchU32(FCID("IDTM"), &u32DateTime);

    if (s_u32ZoomKeyDownTime != 0 &&
        H_TICK_u32ElapsedTime(s_u32ZoomKeyDownTime, H_TICK_u32ReadFreeRunningTimerInMilliSeconds()) > ZOOM_HOLD_MS) {
        H_DATABASE_bUpdateValueBoolean(FCID("KZHD"), TRUE, P_NORMAL);
        s_u32ZoomKeyDownTime = 0;
    }

    NAV_TASK_STANDIN_vTestWalk();
    TICK t = {};
    if (!bBoatPosition(&t.boat))
        return;

    U32 u32State = 0;
    bFetchU32(FCID("CCST"), &u32State);
    if (u32State == CCST_SIMULATION || u32State == CCST_POINT_OF_SALE)
        T_NAV_vSimulationStep(u32DateTime, &t.boat);

    // A recording played backwards takes the track back with it.
    U32 u32Playback = 1;
    if (u32State == CCST_PLAYBACK)
        bFetchU32(FCID("CPSP"), &u32Playback);
    if (u32State == CCST_PLAYBACK && ((u32Playback >= 2 && u32Playback <= 5) || u32Playback == 12)) {
        L_MUTEX_LockWait(RES_NAV_DATA);
        U_NAV_bRemoveTrackPoint(&s_CurrentTrack, t.boat);
        L_MUTEX_Unlock(RES_NAV_DATA);
    } else {
        T_NAV_vRecordTrackStep(t.boat, u32State);
    }

    t.bIpno = bFlagSet(FCID("IPNO"));
    U32 u32Mode = 0;
    t.bFollowRumbrel = t.bIpno && bFetchU32(FCID("IPMD"), &u32Mode) &&
                       (u32Mode == STEVRIN_RUMBREL_REV_MODE || u32Mode == STEVRIN_RUMBREL_FWD_MODE);
    if (t.bFollowRumbrel)
        T_STEVRIN_vGetRumbrelCurrentPt(&t.boat);

    bFetchU32(FCID("INIP"), &t.u32Inip);
    if (t.u32Inip != 0 && !t.bIpno) {
        if (s_fDistTraveled == -1.0f) {
            s_fDistTraveled = 0.0f;
        } else {
            s_fDistTraveled += (float)T_NAV_fDistanceBetweenPoints(&ptPrevBoatMM, &t.boat);
            H_DATABASE_bUpdateValueFloat(FCID("IDST"), s_fDistTraveled, P_NORMAL);
        }
        ptPrevBoatMM = t.boat;
    } else {
        s_fDistTraveled = -1.0f;
    }

    float fDriftRadius = 0.0f;
    S32 s32DriftLat = 0;
    S32 s32DriftLon = 0;
    if (bFetchFloat(FCID("CNDA"), &fDriftRadius) && fDriftRadius > 0.0f &&
        H_DATABASE_bFetchS32(FCID("IDLT"), &s32DriftLat, nullptr, nullptr) &&
        H_DATABASE_bFetchS32(FCID("IDLN"), &s32DriftLon, nullptr, nullptr)) {
        const POINT centre = {s32DriftLon, s32DriftLat};
        t.bDrift = T_NAV_fDistanceBetweenPoints(&t.boat, &centre) > (double)fDriftRadius ? TRUE : FALSE;
    }

    if (t.u32Inip != 0 || t.bFollowRumbrel)
        vNavigate(t);
    else
        vAlarmsDriftOnly(t.bDrift);

    if (t.bIpno && T_STEVRIN_bIsNavigationPaused())
        vWriteS32(FCID("ITTG"), 0, D_TIME);

    vCheckAisTargets();

    S32 s32CursorLat = 0;
    S32 s32CursorLon = 0;
    if (bFlagSet(FCID("ICAC")) && H_DATABASE_bFetchS32(FCID("ICLT"), &s32CursorLat, nullptr, nullptr) &&
        H_DATABASE_bFetchS32(FCID("ICLN"), &s32CursorLon, nullptr, nullptr)) {
        const POINT cursor = {s32CursorLon, s32CursorLat};
        T_NAV_vUpdateCursorDistAndBearing(&t.boat, &cursor);
    }
}
