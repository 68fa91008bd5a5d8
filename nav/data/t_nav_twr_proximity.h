// Geometric questions asked of the recorded tracks: the point of a track
// closest to the boat or a position (with its rhumb-line distance and
// bearing), the displayed track near the cursor, the displayed track whose
// start or end lies in a rectangle ahead of a point; and the back-track,
// the last stretch of the current track turned into a recorded track that
// leads from the boat back the way it came, handed to the motor.
//
// The boat is "ILAT", "ILON"; without a valid value it is taken at (0, 0).
// The closest-point updates do not lock: their callers hold RES_NAV_DATA
// or accept a momentary inconsistency. The searches and the back-track
// lock.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"

// Constants ---------------------------------------------------------------

constexpr U32 NAV_BACKTRACK_RING_POINTS = 4000;  // newest current-track points looked at
constexpr double NAV_BACKTRACK_JUMP_NM = 0.10862203; // 660 feet: a jump ends the back-track
constexpr float NAV_BACKTRACK_DEFAULT_METRES = 528.0f; // "SIBT" without a valid value
constexpr double NAV_BACKTRACK_MIN_MILES = 0.1;  // statute miles
constexpr double NAV_BACKTRACK_MAX_MILES = 2.0;
constexpr U32 NAV_BACKTRACK_STYLE = 1;
constexpr U32 NAV_BACKTRACK_COLOR = 17;
constexpr U32 NAV_CLOSEST_NONE_DTG = 0xFFFFFFFF; // distance of a track without points

// Closest points ------------------------------------------------------------

// For every used slot: the closest point to pt / to the boat, stored in the
// header (u32ClosestTP, u32ClosestBRG whole degrees, u32ClosestDTG metres).
void T_NAV_vSetAllRumbrelClosest2Pos(POINT* pt);
void T_NAV_vSetAllRumbrelClosest(void);
// The same for one slot (0-49; anything else is ignored).
void T_NAV_vSetRumbrelClosest(U32 slot);
// The closest point's index; bearing and distance written instead of
// stored. The first of equal distances wins.
U32 T_NAV_u32FindClosestRumbrelPoint(RUMBREL* track, U32* pnBearing, U32* pnDistance);
U32 T_NAV_u32FindClosestRumbrelPoint2Pos(POINT* pt, RUMBREL* track, U32* pnBearing, U32* pnDistance);
// Feet from the boat to the waypoint, truncated; 0xFFFFFFFF when the id
// names no waypoint.
U32 T_NAV_u32BoatPosToWayptinFt(U16 id);

// Searches (lock) -------------------------------------------------------------

// The first displayed track whose closest point to pt lies within the
// square of half-side max(nWidthMM, nLengthMM) around it (x wrapped at the
// 180-degree meridian); its u32ClosestTP is set. 0xFFFF for none.
U16 T_NAV_nFindNearbyRumbrel(POINT pt, S32 nWidthMM, S32 nLengthMM);
// The displayed track whose start (or, when that is not taken, end) lies
// nearest (Manhattan) in the rectangle nLengthMM ahead of pt in direction
// nDirection (degrees) and nWidthMM to either side; the point goes to
// ptNear. 0xFFFF for none.
U16 T_NAV_nFindNearbyRumbrelStartEnd(POINT pt, S32 nWidthMM, S32 nLengthMM, U16 nDirection, POINT* ptNear);

// Back-track ------------------------------------------------------------------

// Builds the back-track from the current track with points at least
// fSpacingInMeters apart, stores it, links it into the default group and
// asks the motor to follow it. Nothing happens with fewer than 5 points,
// a full table or no memory.
void T_NAV_TWR_vCreateBackTrackRumbrel(double fSpacingInMeters); // FLOAT of the navigation core
