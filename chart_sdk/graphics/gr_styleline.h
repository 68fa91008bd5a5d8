// The two special line styles that the patterned line hands over (pattern
// type 0, index 255 and 254): the undulated line, a chain of small half
// circles, and the cross line, a line with perpendicular ticks every seven
// pixels. Both take buffer coordinates, test every pixel against the clip
// rectangle, leave the pen alone and switch the pattern status off while
// they draw and on again afterwards (restarting the pattern position).
#pragma once

#include "chart_sdk/graphics/gr_types.h"

ERRORCODE gf_DrawUndulatedLine(GR_CONTEXT* gc, SINT x0, SINT r0, SINT x1, SINT r1);
ERRORCODE gf_DrawCrossLine(GR_CONTEXT* gc, SINT x0, SINT r0, SINT x1, SINT r1, SINT gaps);

// Half-circle helpers of the undulated line: the radius-2 direction vector
// (vx, vr) from an anchor toward an offset (ex, er), and the half circle
// from the anchor round the centre anchor + v to anchor + 2v, clockwise on
// the picture.
void gf_FindArc(SINT ex, SINT er, SINT* vx, SINT* vr);
ERRORCODE gf_DrawArc(GR_CONTEXT* gc, SINT ax, SINT ar, SINT vx, SINT vr);
