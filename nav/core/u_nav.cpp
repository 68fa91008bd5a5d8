// The track-point ring.
//
// Ring positions always go through u16Pos, so whatever a track's counts
// hold (a track read from a damaged file included), every access stays
// inside the ring. Differences of coordinates are taken in 64 bits: a
// point from a file may lie anywhere in S32 before it is normalised.
#include "nav/core/u_nav.h"

// Statics -----------------------------------------------------------------

namespace {

U16 u16Pos(U32 u32Position)
{
    return (U16)(u32Position % TRACK_DELTA_COUNT);
}

bool bIsMark1(const TRACK_DELTA_DEPTH_TRIPLE& d)
{
    return d.x == TRACK_GAP_MARK1 && d.y == TRACK_GAP_MARK1;
}

bool bIsMark2(const TRACK_DELTA_DEPTH_TRIPLE& d)
{
    return d.x == TRACK_GAP_MARK2 && d.y == TRACK_GAP_MARK2;
}

POINT ptMoved(POINT p, S32 dx, S32 dy)
{
    POINT q;
    q.x = U_NAV_s32NormaliseX((S64)p.x + dx);
    q.y = U_NAV_s32ClampY((S64)p.y + dy);
    return q;
}

POINT ptMovedBy(POINT p, const TRACK_DELTA_DEPTH_TRIPLE& d)
{
    return ptMoved(p, d.x, d.y);
}

// Where the next step goes; the track holds at least its first point.
U16 u16NextPosition(const TRACK* t)
{
    return u16Pos((U32)t->u16FirstDelta + t->u16Count - 1);
}

void vWiden(TRACK_HEADER* h, POINT p)
{
    if (p.x < h->ptLowerLeft.x)
        h->ptLowerLeft.x = p.x;
    if (p.y < h->ptLowerLeft.y)
        h->ptLowerLeft.y = p.y;
    if (p.x > h->ptUpperRight.x)
        h->ptUpperRight.x = p.x;
    if (p.y > h->ptUpperRight.y)
        h->ptUpperRight.y = p.y;
}

// Drops the oldest point; a marker goes together with the step after it.
void vDropOldest(TRACK* t)
{
    if (t->u16Count < 2)
        return;
    U16 first = t->u16FirstDelta;
    U16 n = 1;
    if (U_NAV_bTrackDeltaIsGapPoint(t, first))
        n = 3;
    t->ptFirst = ptMovedBy(t->ptFirst, t->aDelta[u16Pos((U32)first + n - 1)]);
    t->u16FirstDelta = u16Pos((U32)first + n);
    t->u16Count = (U16)(t->u16Count - n);
}

void vPutStep(TRACK* t, S32 dx, S32 dy, U16 u16Depth)
{
    TRACK_DELTA_DEPTH_TRIPLE& d = t->aDelta[u16NextPosition(t)];
    d.x = (S16)dx;
    d.y = (S16)dy;
    d.u16Depth = u16Depth;
    ++t->u16Count;
}

// The x to step to from xFrom: across the antimeridian when that is shorter.
S64 s64NearX(S32 x, S32 xFrom)
{
    S64 d = (S64)x - xFrom;
    if (d > NAV_X_MAX)
        return (S64)x - NAV_X_CIRCUMFERENCE;
    if (d < -NAV_X_MAX)
        return (S64)x + NAV_X_CIRCUMFERENCE;
    return x;
}

// One coordinate of a trim: u = position - B, v = position - A (= u + s).
// The position is at B, or strictly between A and B.
bool bBetween(S64 u, S64 v)
{
    return u == 0 || (u < 0 && v > 0) || (u > 0 && v < 0);
}

// The box over the points the track holds now.
void vRecomputeBox(TRACK* t)
{
    POINT p = t->ptFirst;
    t->ptLowerLeft = t->ptUpperRight = p;
    U32 steps = t->u16Count ? t->u16Count - 1u : 0;
    for (U32 i = 0; i < steps; ++i) {
        U16 pos = u16Pos((U32)t->u16FirstDelta + i);
        if (U_NAV_bTrackDeltaIsGapPoint(t, pos)) {
            ++i; // the next i takes the step after the marker
            continue;
        }
        p = ptMovedBy(p, t->aDelta[pos]);
        vWiden(t, p);
    }
}

} // namespace

// Positions -----------------------------------------------------------------

S32 U_NAV_s32NormaliseX(S64 x)
{
    if (x > NAV_X_MAX || x < -NAV_X_MAX) {
        // Into [-NAV_X_MAX, NAV_X_MAX); +NAV_X_MAX itself never gets here.
        x = ((x + NAV_X_MAX) % NAV_X_CIRCUMFERENCE + NAV_X_CIRCUMFERENCE) % NAV_X_CIRCUMFERENCE - NAV_X_MAX;
    }
    return (S32)x;
}

S32 U_NAV_s32ClampY(S64 y)
{
    if (y > NAV_Y_MAX)
        return NAV_Y_MAX;
    if (y < -NAV_Y_MAX)
        return -NAV_Y_MAX;
    return (S32)y;
}

// The ring ------------------------------------------------------------------

void U_NAV_vClearTrack(TRACK_HEADER* header)
{
    header->u16Count = 0;
    header->u16FirstDelta = 0;
}

void U_NAV_vAddTrackPoint(TRACK* track, POINT pt, U16 u16Depth, BOOLEAN bGapPoint)
{
    pt.x = U_NAV_s32NormaliseX(pt.x);
    pt.y = U_NAV_s32ClampY(pt.y);
    if (track->u16Count == 0) {
        track->u16Count = 1;
        track->ptFirst = track->ptLast = pt;
        track->ptLowerLeft = track->ptUpperRight = pt;
        return;
    }
    S64 x, dx, dy;
    for (;;) {
        x = s64NearX(pt.x, track->ptLast.x);
        dx = x - track->ptLast.x;
        dy = (S64)pt.y - track->ptLast.y;
        if (dx < 32768 && dx > -32768 && dy < 32768 && dy > -32768)
            break;
        // Each midpoint halves the distance left, so the recursion is as
        // deep as the number of halvings (about ten at most).
        POINT mid;
        mid.x = U_NAV_s32NormaliseX((x + track->ptLast.x) / 2);
        mid.y = U_NAV_s32ClampY(((S64)pt.y + track->ptLast.y) / 2);
        U_NAV_vAddTrackPoint(track, mid, u16Depth, bGapPoint);
    }
    if (bGapPoint) {
        while (track->u16Count > TRACK_MAX_POINTS - 3)
            vDropOldest(track);
        vPutStep(track, TRACK_GAP_MARK1, TRACK_GAP_MARK1, 0);
        vPutStep(track, TRACK_GAP_MARK2, TRACK_GAP_MARK2, 0);
    } else {
        // Only a full ring drops; a count above it (a damaged record) is
        // brought back down the same way.
        while (track->u16Count >= TRACK_MAX_POINTS)
            vDropOldest(track);
    }
    vPutStep(track, (S32)dx, (S32)dy, u16Depth);
    track->ptLast = pt;
    vWiden(track, pt);
}

BOOLEAN U_NAV_bTrackDeltaIsGapPoint(const TRACK* track, U16 position)
{
    if (track->u16Count < 2 || position >= TRACK_DELTA_COUNT)
        return FALSE;
    // The marker and the step after it must all be steps the track holds:
    // a real step of (32767, 32767) as the newest one is followed only by
    // what an earlier track left in the ring.
    U32 k = (position + TRACK_DELTA_COUNT - (U32)track->u16FirstDelta % TRACK_DELTA_COUNT) % TRACK_DELTA_COUNT;
    if (k + 2 >= (U32)track->u16Count - 1)
        return FALSE;
    return bIsMark1(track->aDelta[position]) && bIsMark2(track->aDelta[u16Pos((U32)position + 1)]) ? TRUE : FALSE;
}

BOOLEAN U_NAV_bRemoveTrackPoint(TRACK* track, POINT pt)
{
    if (track->u16Count == 0)
        return FALSE;
    auto equals = [](POINT a, POINT b) { return a.x == b.x && a.y == b.y; };
    if (track->u16Count == 1) {
        if (!equals(pt, track->ptLast))
            return FALSE;
        track->u16Count = 0;
        return TRUE;
    }
    POINT b = track->ptLast;
    // k: the step's place counted from the oldest step.
    for (S32 k = track->u16Count - 2; k >= 0; --k) {
        // The second step of a marker: the marker moves no point, so the
        // step before it leads to the same B.
        if (k >= 1 && U_NAV_bTrackDeltaIsGapPoint(track, u16Pos((U32)track->u16FirstDelta + k - 1))) {
            --k;
            continue;
        }
        const TRACK_DELTA_DEPTH_TRIPLE& s = track->aDelta[u16Pos((U32)track->u16FirstDelta + k)];
        POINT a = ptMoved(b, -s.x, -s.y);
        S64 ux = U_NAV_s32NormaliseX((S64)pt.x - b.x);
        S64 uy = (S64)pt.y - b.y;
        if (bBetween(ux, ux + s.x) && bBetween(uy, uy + s.y)) {
            // B and every newer point go; a marker left last would have no
            // step to start, so it goes with them.
            U32 steps = (U32)k;
            if (steps >= 2 && bIsMark1(track->aDelta[u16Pos((U32)track->u16FirstDelta + steps - 2)]) &&
                bIsMark2(track->aDelta[u16Pos((U32)track->u16FirstDelta + steps - 1)]))
                steps -= 2;
            track->u16Count = (U16)(steps + 1);
            track->ptLast = a;
            vRecomputeBox(track);
            return TRUE;
        }
        b = a;
    }
    if (!equals(pt, track->ptFirst))
        return FALSE;
    track->u16Count = 0;
    return TRUE;
}

TRACKPOINT_TYPE U_NAV_eScanTrack(const TRACK* track, U16* iterator, POINT* pt, U16* u16Depth)
{
    U16 it = *iterator;
    if (it >= track->u16Count) {
        // Past the end the iterator keeps counting, but never wraps back to
        // the first point.
        if (it != 0xFFFF)
            *iterator = (U16)(it + 1);
        return TRACKPOINT_INVALID;
    }
    if (it == 0) {
        *pt = track->ptFirst;
        *u16Depth = 0;
        *iterator = 1;
        return TRACKPOINT_NORMAL;
    }
    TRACKPOINT_TYPE type = TRACKPOINT_NORMAL;
    U16 pos = u16Pos((U32)track->u16FirstDelta + it - 1);
    if (U_NAV_bTrackDeltaIsGapPoint(track, pos)) {
        it = (U16)(it + 2);
        pos = u16Pos((U32)pos + 2);
        type = TRACKPOINT_GAP;
    }
    *pt = ptMovedBy(*pt, track->aDelta[pos]);
    *u16Depth = track->aDelta[pos].u16Depth;
    *iterator = (U16)(it + 1);
    return type;
}
