// The boat simulation: in the simulation and point-of-sale states the
// navigation task moves a simulated boat once a second and writes its
// speed, heading and position at writer priority 2, stronger than every
// GPS source, so that the rest of the system sees an ordinary boat.
//
// Without navigation the boat sails a 1000-metre square from its start
// point; the first navigation switches the square off until the process
// restarts, and from then on the boat steers for the last aim point. While
// navigating it holds 2.5 m/s towards the destination with a rudder that
// wanders in the first 4 s of every 20 s.
//
// The move uses the real time since the previous step, the turn does not:
// it is per step. The simulated clock ("IDTM") runs one second per step.
#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/t_nav_views.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "kernel/error.h"
#include "kernel/l_clock.h"
#include "kernel/l_sema.h"
#include "kernel/l_timer.h"
#include "nav/core/u_nav.h"
#include "store/h_database.h"
#include "ui/t_display.h"
#include "util/datum.h"
#include "util/magvar.h"

#include <algorithm>
#include <cmath>

// Constants ---------------------------------------------------------------

namespace {

constexpr double DEG_TO_RAD = M_PI / 180.0;
constexpr U32 CCST_SIMULATION = 4;
constexpr U32 CCST_POINT_OF_SALE = 6;
constexpr double DEFAULT_START_LAT = 34.325;
constexpr double DEFAULT_START_LON = -83.95833333333333;
constexpr float START_HEADING = 90.0f;
constexpr float START_SPEED_LIMIT = 2.5f;
constexpr float TURN_GAIN = 0.2f;
constexpr float START_ACCELERATION = 0.1f;
constexpr S32 FIRST_AIM_NORTH = 1000;
constexpr double AIM_REACHED_METRES = 15.0;
constexpr float RUDDER_LIMIT = 20.0f;
constexpr U32 JITTER_PERIOD_MS = 20000;
constexpr U32 JITTER_WINDOW_MS = 4000;
constexpr U32 SIMULATED_DATE_TIME = 1213461000; // 14 June 2008, 16:30:00 UTC
constexpr U32 ID_INTERNAL_GPS = 7;

// The satellites 4, 7, 28, 24, 20, 9, 5, 2 and 8 in the GPS code's layout;
// all but 9 and 2 used in the fix.
constexpr U32 SATELLITES[9] = {0xA67B4804, 0xA60DBF07, 0xA6472B1C, 0xA873A618, 0xA51B1814,
                               0x23911609, 0x9F9E8805, 0x002B0A02, 0xA89F3B08};

} // namespace

// Static functions ----------------------------------------------------------

namespace {

void vWriteEverythingU32(FOURCHARID key, U32 u32Value, DATA_TYPE type)
{
    H_DATABASE_bUpdateEverythingU32(key, u32Value, P_NORMAL, type, nullptr, DB_TIMEOUT_NEVER);
}

void vWriteEverythingS32(FOURCHARID key, S32 s32Value, DATA_TYPE type)
{
    H_DATABASE_bUpdateEverythingS32(key, s32Value, P_NORMAL, type, nullptr, DB_TIMEOUT_NEVER);
}

void vWriteEverythingFloat(FOURCHARID key, double dValue, DATA_TYPE type)
{
    H_DATABASE_bUpdateEverythingFloat(key, (float)dValue, P_NORMAL, type, nullptr, DB_TIMEOUT_NEVER);
}

// Latitude and longitude in the map datum "SDTM" when it is set.
void vToMapDatum(POSITION* pPos)
{
    U32 u32Datum = 0;
    if (H_DATABASE_bFetchU32(FCID("SDTM"), &u32Datum, nullptr, nullptr) && u32Datum < (U32)NO_MORE_DATUMS)
        WGS84_2_Datum(pPos->lat, pPos->lon, &pPos->lat, &pPos->lon, (DATUM_PLANE)u32Datum);
}

POINT ptOffset(POINT base, POINT offset)
{
    POINT p;
    p.x = U_NAV_s32NormaliseX((S64)base.x + offset.x);
    p.y = U_NAV_s32ClampY((S64)base.y + offset.y);
    return p;
}

POINT ptBoat(const BOAT_DESCRIPTOR& boat)
{
    POINT p;
    p.x = U_NAV_s32NormaliseX(std::llrint(boat.CurrentPositionDoubleMM.dX));
    p.y = U_NAV_s32ClampY(std::llrint(boat.CurrentPositionDoubleMM.dY));
    return p;
}

double dDegrees360(double d)
{
    double r = std::fmod(d, 360.0);
    return r < 0.0 ? r + 360.0 : r;
}

} // namespace

// Public functions -----------------------------------------------------------

void T_NAV_vInitSimulation(void)
{
    U32 u32DateTime = 0;
    H_DATABASE_bFetchU32(FCID("IDTM"), &u32DateTime, nullptr, nullptr);

    POINT start;
    POSITION pos = {DEFAULT_START_LAT, DEFAULT_START_LON};
    S32 s32Lat = 0;
    S32 s32Lon = 0;
    if (H_DATABASE_bFetchS32(FCID("SNLN"), &s32Lon, nullptr, nullptr) &&
        H_DATABASE_bFetchS32(FCID("SNLT"), &s32Lat, nullptr, nullptr)) {
        start.x = s32Lon;
        start.y = s32Lat;
        nv_MeterToDegr(&start, &pos);
    } else {
        start = {0, 0};
        nv_DegrToMeter(&pos, &start);
    }
    s_ptSimulationStartPoint = start;

    BOAT_DESCRIPTOR& boat = s_BoatDescriptor;
    boat.fHeadingDegrees = START_HEADING;
    boat.fSpeedMetresPerSecond = 0.0f;
    boat.fSpeedLimitMetresPerSecond = START_SPEED_LIMIT;
    boat.fTurnGain = TURN_GAIN;
    boat.fRudderAngle = 0.0f;
    boat.fAccelerationMetresPerSecondPerSecond = START_ACCELERATION;
    boat.CurrentPositionDoubleMM.dX = start.x;
    boat.CurrentPositionDoubleMM.dY = start.y;
    s_ptAbsoluteAimPoint = ptOffset(start, POINT{0, FIRST_AIM_NORTH});

    vToMapDatum(&pos);

    vWriteEverythingU32(FCID("IPFI"), 2, D_UNKNOWN);
    static const FOURCHARID satelliteKeys[9] = {FCID("ISA1"), FCID("ISA2"), FCID("ISA3"),
                                                FCID("ISA4"), FCID("ISA5"), FCID("ISA6"),
                                                FCID("ISA7"), FCID("ISA8"), FCID("ISA9")};
    for (U32 i = 0; i < 9; ++i)
        vWriteEverythingU32(satelliteKeys[i], SATELLITES[i], D_UNKNOWN);
    vWriteEverythingU32(FCID("IGSM"), 3, D_UNKNOWN);
    vWriteEverythingFloat(FCID("IHDP"), 1.0, D_FLOAT);
    vWriteEverythingFloat(FCID("IEPE"), 5.3, D_DISTANCE);
    vWriteEverythingFloat(FCID("IALT"), 330.0, D_DEPTH);
    vWriteEverythingS32(FCID("ILAT"), start.y, D_POSITION_LAT_MM);
    vWriteEverythingS32(FCID("ILON"), start.x, D_POSITION_LON_MM);
    vWriteEverythingU32(FCID("CGPS"), ID_INTERNAL_GPS, D_UNKNOWN);
    vWriteEverythingFloat(FCID("ILTD"), pos.lat, D_POSITION_LAT);
    vWriteEverythingFloat(FCID("ILND"), pos.lon, D_POSITION_LON);
    // The chart cursor starts on the boat.
    vWriteEverythingS32(FCID("ICLT"), start.y, D_POSITION_LAT_MM);
    vWriteEverythingS32(FCID("ICLN"), start.x, D_POSITION_LON_MM);
    vWriteEverythingFloat(FCID("ICTD"), pos.lat, D_POSITION_LAT);
    vWriteEverythingFloat(FCID("ICND"), pos.lon, D_POSITION_LON);
    vWriteEverythingFloat(FCID("IHDG"), 0.0, D_HEADING);
    vWriteEverythingFloat(FCID("ISOG"), 0.0, D_SPEED);
    vWriteEverythingFloat(FCID("IMGV"), dMagneticVariation(0.0, pos.lat, pos.lon, u32DateTime), D_UNKNOWN);
    vWriteEverythingU32(FCID("IDTM"), SIMULATED_DATE_TIME, D_DATETIME);
}

void T_NAV_vSetBoatSimulationStartPosition(void)
{
    BOOLEAN bCursor = FALSE;
    if (!H_DATABASE_bFetchBoolean(FCID("ICAC"), &bCursor, nullptr, nullptr) || !bCursor) {
        T_NAV_vSetNavUINote(&Position_Cursor_First, nullptr, FALSE);
        L_SEMA_Signal(SEMA_KEYCLICK_BAD);
        return;
    }
    S32 s32Lat = 0;
    S32 s32Lon = 0;
    if (!H_DATABASE_bFetchS32(FCID("ICLT"), &s32Lat, nullptr, nullptr) ||
        !H_DATABASE_bFetchS32(FCID("ICLN"), &s32Lon, nullptr, nullptr)) {
        // The cursor task writes both before it makes the cursor active.
        ERROR_error(__FILE__, __LINE__, "Cursor position unknown");
        U_RESET_vReset(0, 0);
    }
    H_DATABASE_bUpdateValueS32(FCID("SNLT"), s32Lat, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("SNLN"), s32Lon, P_NORMAL);
    U32 u32State = 0;
    H_DATABASE_bFetchU32(FCID("CCST"), &u32State, nullptr, nullptr);
    if (u32State == CCST_SIMULATION || u32State == CCST_POINT_OF_SALE)
        T_NAV_vInitSimulation();
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
}

void T_NAV_vSimulationStep(U32 u32DateTime, POINT* pBoat)
{
    float fSog = 0.0f;
    float fHdg = 0.0f;
    U32 u32Dtm = 0;
    if (!H_DATABASE_bFetchFloat(FCID("ISOG"), &fSog, nullptr, nullptr) ||
        !H_DATABASE_bFetchFloat(FCID("IHDG"), &fHdg, nullptr, nullptr) ||
        !H_DATABASE_bFetchU32(FCID("IDTM"), &u32Dtm, nullptr, nullptr))
        return;

    BOAT_DESCRIPTOR& boat = s_BoatDescriptor;
    const POINT here = ptBoat(boat);

    U32 u32Inip = 0;
    const bool bNavigating = H_DATABASE_bFetchU32(FCID("INIP"), &u32Inip, nullptr, nullptr) && u32Inip != 0;
    if (bNavigating) {
        U32 u32Destination = 0;
        POINT aim;
        if (H_DATABASE_bFetchU32(FCID("IDWP"), &u32Destination, nullptr, nullptr) &&
            T_NAV_bWaypointPosition(u32Destination, &aim))
            s_ptAbsoluteAimPoint = aim;
        boat.fSpeedMetresPerSecond = NAV_SIMULATION_SPEED;
        boat.fSpeedLimitMetresPerSecond = NAV_SIMULATION_SPEED;
        boat.fAccelerationMetresPerSecondPerSecond = 0.0f;
        s_bSimulatingSquare = FALSE;
    } else if (s_bSimulatingSquare && T_NAV_fDistanceBetweenPoints(&here, &s_ptAbsoluteAimPoint) < AIM_REACHED_METRES) {
        const U32 u32Next = s_u32IndexInAimpointList + 1;
        s_u32IndexInAimpointList = u32Next >= NAV_SIMULATION_STEPS ? 0 : u32Next;
        const SIMULATION_STEP& step = s_BoatSimulatorAimPoints[s_u32IndexInAimpointList];
        s_ptAbsoluteAimPoint = ptOffset(s_ptSimulationStartPoint, step.ptAimpoint);
        boat.fAccelerationMetresPerSecondPerSecond = step.fAcceleration;
        boat.fSpeedLimitMetresPerSecond = step.fSpeedLimit;
    }

    // Rudder.
    double dError = T_NAV_dBearing(&here, &s_ptAbsoluteAimPoint) - boat.fHeadingDegrees;
    if (dError > 180.0)
        dError -= 360.0;
    else if (dError < -180.0)
        dError += 360.0;
    if (boat.fSpeedMetresPerSecond == 0.0f)
        boat.fRudderAngle = 0.0f;
    else
        boat.fRudderAngle = std::clamp((float)(dError / (boat.fSpeedMetresPerSecond * boat.fTurnGain)),
                                       -RUDDER_LIMIT, RUDDER_LIMIT);
    if (bNavigating && H_TICK_u32ReadFreeRunningTimerInMilliSeconds() % JITTER_PERIOD_MS < JITTER_WINDOW_MS) {
        s_u32RudderAdjustmentIndex =
            s_u32RudderAdjustmentIndex + 1 >= NAV_RUDDER_ADJUSTMENTS ? 0 : s_u32RudderAdjustmentIndex + 1;
        boat.fRudderAngle += (float)s_as32RudderAdjustment[s_u32RudderAdjustmentIndex];
    }

    // Move with the speed before this step's change, then turn.
    const float fDt = (float)L_TIMER_GetElapsed(&s_TimeStamp) * 0.001f;
    const S32 s32Y = U_NAV_s32ClampY(std::llrint(boat.CurrentPositionDoubleMM.dY));
    const float fD = (float)U_NAV_u16ScalingMMPerKm(s32Y) * (boat.fSpeedMetresPerSecond / 1024.0f) * fDt;
    const double dHeading = boat.fHeadingDegrees * DEG_TO_RAD;
    boat.CurrentPositionDoubleMM.dX += fD * std::sin(dHeading);
    boat.CurrentPositionDoubleMM.dY += fD * std::cos(dHeading);
    boat.fHeadingDegrees = (float)dDegrees360(boat.fHeadingDegrees + 360.0 +
                                              boat.fSpeedMetresPerSecond * boat.fTurnGain * boat.fRudderAngle);

    boat.fSpeedMetresPerSecond += boat.fAccelerationMetresPerSecondPerSecond * fDt;
    if (boat.fAccelerationMetresPerSecondPerSecond > 0.0f)
        boat.fSpeedMetresPerSecond = std::min(boat.fSpeedMetresPerSecond, boat.fSpeedLimitMetresPerSecond);
    else
        boat.fSpeedMetresPerSecond = std::max(boat.fSpeedMetresPerSecond, boat.fSpeedLimitMetresPerSecond);

    H_DATABASE_bUpdateValueFloat(FCID("ISOG"), boat.fSpeedMetresPerSecond, P_NORMAL);
    H_DATABASE_bUpdateValueFloat(FCID("IHDG"), (float)boat.fHeadingDegrees, P_NORMAL);

    const POINT moved = ptBoat(boat);
    H_DATABASE_bUpdateValueS32(FCID("ILAT"), moved.y, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("ILON"), moved.x, P_NORMAL);
    *pBoat = moved;

    POSITION pos = {0.0, 0.0};
    nv_MeterToDegr(&moved, &pos);
    H_DATABASE_bUpdateValueFloat(FCID("IMGV"), (float)dMagneticVariation(0.0, pos.lat, pos.lon, u32DateTime),
                                 P_NORMAL);
    vToMapDatum(&pos);
    H_DATABASE_bUpdateValueFloat(FCID("ILTD"), (float)pos.lat, P_NORMAL);
    H_DATABASE_bUpdateValueFloat(FCID("ILND"), (float)pos.lon, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("IDTM"), u32Dtm + 1, P_NORMAL);

    if (T_NAV_bIsMyChartView(UNKNOWN_VIEW) || T_NAV_bIsMyBirdsEyeView(UNKNOWN_VIEW))
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
    if (T_RADAR_bIsMyRadarView(UNKNOWN_VIEW, UNKNOWN_SPLIT)) {
        T_RADAR_vUpdateCursorPosition();
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
    }
}
