// The track-point ring: a track is its first point plus a ring of 21835
// steps of 16-bit metres with a depth each.
//
// u16Count counts points: the first one and one per step in the ring. The
// steps sit at ring positions u16FirstDelta, u16FirstDelta + 1, ... (modulo
// 21835); applying them in order to ptFirst (x normalised, y clamped after
// each) gives every point and ends at ptLast. A real step never holds
// -32768. A gap marker is the two steps {32767, 32767, 0} and {-32768,
// -32768, 0} in a row, always followed by a real step: the point after it
// starts a new segment, and the marker itself moves no point.
//
// Once the ring is full every append drops the oldest point, a marker
// together with its step. The box encloses every point added since the
// track started; dropping does not shrink it, trimming recomputes it.
//
// Nothing here locks or allocates; the caller holds the navigation-data
// mutex while it works on a shared track.
//
// The module's geometry and position text have headers of their own,
// included here so that one include gives the whole module.
#pragma once

#include "kernel/l_types.h"
#include "nav/core/u_nav_geometry.h"
#include "nav/core/u_nav_position.h"
#include "nav/data/t_nav_record.h"

// Constants ---------------------------------------------------------------

constexpr S32 NAV_X_MAX = 20038300;             // x lies in [-NAV_X_MAX, NAV_X_MAX]
constexpr S32 NAV_X_CIRCUMFERENCE = 40076600;   // 2 * NAV_X_MAX
constexpr S32 NAV_Y_MAX = 15433198;             // y lies in [-NAV_Y_MAX, NAV_Y_MAX]
constexpr S16 TRACK_GAP_MARK1 = 32767;          // both coordinates of the first marker step
constexpr S16 TRACK_GAP_MARK2 = -32768;         // both coordinates of the second

// Positions -----------------------------------------------------------------

// x brought into [-NAV_X_MAX, NAV_X_MAX] by whole turns of the circumference.
S32 U_NAV_s32NormaliseX(S64 x);
// y clamped to [-NAV_Y_MAX, NAV_Y_MAX].
S32 U_NAV_s32ClampY(S64 y);

// The ring ------------------------------------------------------------------

// Empties the track: count and first position 0, nothing else touched.
void U_NAV_vClearTrack(TRACK_HEADER* header);
// Appends a point (depth in cm), with bGapPoint as the start of a new
// segment. Steps of 32768 m or more are bisected until each fits; every
// midpoint carries the depth and the gap flag.
void U_NAV_vAddTrackPoint(TRACK* track, POINT pt, U16 u16Depth, BOOLEAN bGapPoint);
// TRUE when a gap marker starts at the ring position and the track holds
// the real step after it.
BOOLEAN U_NAV_bTrackDeltaIsGapPoint(const TRACK* track, U16 position);
// Takes the newest points off back to a position; TRUE when something went.
BOOLEAN U_NAV_bRemoveTrackPoint(TRACK* track, POINT pt);
// The next point: start with *iterator 0 and keep *pt between calls.
TRACKPOINT_TYPE U_NAV_eScanTrack(const TRACK* track, U16* iterator, POINT* pt, U16* u16Depth);
