// The integer geometry every navigation painter, chart view and the track
// code share: logarithm, sine and cosine of whole degrees, segment
// crossings, a cheap distance test, box clipping, the conversion of
// Mercator-metre offsets to pixels for the 2D chart, the perspective
// ("highway") view and radar, clipping to the visible part of the
// perspective view, point rotation, the Mercator scale by latitude band and
// heading arithmetic.
//
// Offsets are Mercator metres from a view centre (x east, y north, x already
// wrapped once around the earth by the painter). Pixels are those of a
// BITMAP, y counting up from the bottom row; the pane's centre offset is
// added last. Fixed-point forms:
//   sine and cosine results, segment parameters of the crossing and of the
//   perspective clip: 16.16 (0x10000 = 1.0, the segment's end);
//   box-clip parameters: 2.30 (0x40000000 = the segment's end);
//   IntSinAngle / IntCosAngle of a rotation context: 1024 = 1.0;
//   nPixelsPerMMM: pixels per 2^20 Mercator metres; fPixelsPerMM: pixels
//   per Mercator metre (radar and sweep panes).
//
// Every function is pure: no state, no locks, no allocation; any task may
// call them for every point of every frame.
#pragma once

#include "chart_sdk/graphics/gr_rotate.h"
#include "kernel/l_types.h"

// Constants ---------------------------------------------------------------

constexpr S32 NAV_PARALLEL = 0x7FFFFFFF;         // crossing of two parallel lines
constexpr S32 NAV_SEGMENT_END = 0x10000;         // 16.16 parameter of a segment's end
constexpr S32 NAV_BOX_SEGMENT_END = 0x40000000;  // 2.30 parameter of a segment's end
// The 2D painters clip their offsets to +-(NAV_BOX_PIXEL_SPAN / nPixelsPerMMM)
// before converting, so that the offsets span at most 800 pixels each way.
constexpr S32 NAV_BOX_PIXEL_SPAN = 0x32000000;

// Arithmetic ----------------------------------------------------------------

// floor(log2 |n|); 0 for 0 and +-1.
S32 U_NAV_nIntLog2(S32 n);
S32 U_NAV_nIntLog2_S64(S64 n);

// Sine and cosine of any whole number of degrees, 16.16.
S32 U_NAV_nIntSin(S32 nAngle);
S32 U_NAV_nIntCos(S32 nAngle);

// heading1 - heading2 in -179..180 (whole degrees).
S16 U_NAV_nHeadingDiff(U16 u16Heading1, U16 u16Heading2);
// heading + offset in 0..359.
U16 U_NAV_nHeadingSum(U16 u16Heading, S16 s16Offset);

// Mercator metres per 1024 true metres in the band of 65536 Mercator metres
// of |y| around y. A true distance d becomes d * entry / 1024 Mercator metres.
U16 U_NAV_u16ScalingMMPerKm(S32 y);

// Segments ------------------------------------------------------------------

// Where pt1->pt2 crosses the unbounded line through pt3 and pt4, as a 16.16
// parameter along pt1->pt2, saturated to S32; NAV_PARALLEL when the lines
// are parallel. pnCross, when given, receives (pt2 - pt1) x (pt4 - pt3)
// saturated to S32: 0 exactly when the lines are parallel.
S32 U_NAV_s32LineSegmentIntersection(POINT pt1, POINT pt2, POINT pt3, POINT pt4, S32* pnCross);

// |vector| <= nThreshold, without a square root and within 32-bit squares
// (approximate once the threshold exceeds 15 bits).
BOOLEAN U_NAV_bDistanceLessThanOrEqual(POINT vector, S32 nThreshold);

// Shortens p0->p1 to the square [lower, upper] on both axes and clamps every
// coordinate into it. There is no rejection: a segment that misses the box
// comes back as points on its border.
void U_NAV_vClipLineToBox(POINT* p0, POINT* p1, S32 nLower, S32 nUpper);

// Rotation --------------------------------------------------------------------

// after = the rotation of before (both may be the same point).
void U_NAV_vRotatePoint(const GP_ROTCONTEXT* pRot, const POINT* pBefore, POINT* pAfter);

// Conversions to pixels -------------------------------------------------------

// 2D chart: the offset, rotated when pRot is given, scaled by nPixelsPerMMM
// and moved by the centre offset. Above 65536 pixels per 2^20 metres the
// offset is scaled up 16 times first, so the rotation rounds in sixteenths of
// a metre. Every point a 2D painter draws comes through here, so the two are
// defined below, where a painter's loop compiles them in place (the scale
// test and the rotation's sine and cosine then leave the loop).
inline void U_NAV_vConvertMMToPixel(POINT* pOffset, const GP_ROTCONTEXT* pRot, const POINT* pCenterOffset,
                                    S32 nPixelsPerMMM);
inline void U_NAV_vConvertMMToPixelNoRotation(POINT* pOffset, const POINT* pCenterOffset, S32 nPixelsPerMMM);

// Perspective view: the eye stands nEyeOffsetMM metres behind the view centre
// and half that above the ground, looks forward horizontally at an image
// plane nEyeOffsetMM in front of it; the horizon lies on the centre offset's
// row. nAltitude is the point's height above the ground. A point at or behind
// the eye becomes (0, 0).
void U_NAV_vConvertMMToHighwayViewPixel(POINT* pOffset, S32 nAltitude, const GP_ROTCONTEXT* pRot,
                                        const POINT* pCenterOffset, S32 nPixelsPerMMM, S32 nEyeOffsetMM);

// Shortens p0->p1 (offsets, unrotated) to the part inside the visible
// pentagon of the perspective view (E = nEyeOffsetMM, the eye at (0, -E) of
// the rotated frame; no rotation when pRot is null): between the two side
// lines from the eye, ahead of the near line halfway from the eye to the
// centre, and below the roof that peaks 4E ahead of the centre. A segment
// parallel to a border line is kept or dropped by the side it lies on. The
// new ends lie one parameter step inside the crossings they replace, floored
// to the metre. FALSE, and the points untouched, when nothing of the segment
// is visible, and for an E outside 1..0x1FFFFFFF (no pentagon in 32 bits).
BOOLEAN U_NAV_bClipLineToHighwayView(POINT* p0, POINT* p1, const GP_ROTCONTEXT* pRot, S32 nEyeOffsetMM);

// Radar and sweep panes: single-precision pixels per metre, truncated toward
// zero.
void U_NAV_vConvertMMToRadarPixel(POINT* pOffset, const GP_ROTCONTEXT* pRot, const POINT* pCenterOffset,
                                  float fPixelsPerMM);
void U_NAV_vConvertMMToRadarPixelNoRotation(POINT* pOffset, const POINT* pCenterOffset, float fPixelsPerMM);

// The 2D conversions -------------------------------------------------------------

// In 64 bits: within the painters' clip box every product fits 32 bits, and
// beyond it nothing overflows (x16 scaled and rotated stays below 2^37, n
// below 2^27 when it was divided).
inline void U_NAV_vConvertMMToPixel(POINT* pOffset, const GP_ROTCONTEXT* pRot, const POINT* pCenterOffset,
                                    S32 nPixelsPerMMM)
{
    if (pOffset == nullptr || pCenterOffset == nullptr)
        return;
    S64 x = pOffset->x;
    S64 y = pOffset->y;
    S64 n = nPixelsPerMMM;
    if (n > 65536) {
        x *= 16;
        y *= 16;
        n >>= 4;
    }
    if (pRot != nullptr) {
        const S64 c = pRot->IntCosAngle;
        const S64 s = pRot->IntSinAngle;
        const S64 xr = (c * x - s * y + 512) >> 10;
        const S64 yr = (c * y + s * x + 512) >> 10;
        x = xr;
        y = yr;
    }
    pOffset->x = (S32)(((n * x + 0x80000) >> 20) + pCenterOffset->x);
    pOffset->y = (S32)(((n * y + 0x80000) >> 20) + pCenterOffset->y);
}

inline void U_NAV_vConvertMMToPixelNoRotation(POINT* pOffset, const POINT* pCenterOffset, S32 nPixelsPerMMM)
{
    U_NAV_vConvertMMToPixel(pOffset, nullptr, pCenterOffset, nPixelsPerMMM);
}
