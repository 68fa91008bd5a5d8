// Rotation contexts: one rotation angle in the forms the drawing code
// needs: radians, sine and cosine scaled by 1024 for integer point rotation,
// and a quarter turn plus a remainder within [-45, 45) degrees with its
// shear factors. Degrees convert to radians with the factor 1 / 57.29577951.
// The centre, working positions and area fields are only stored here.
#pragma once

#include "chart_sdk/graphics/gr_types.h"

typedef struct gp_rotcontext_tag {
    DOUBLE AngleRad;
    DOUBLE AngleNorm; // remainder after the quarter turn, radians
    SINT Quadrant;    // 1 none, 2 +90, 3 180, 4 -90 degrees
    SINT CenterX;
    SINT CenterY;
    SINT CurrX;
    SINT CurrY;
    SINT PrevRotX;
    SINT PrevRotY;
    SINT x;
    SINT y;
    SINT xrot;
    SINT yrot;
    GRCONTEXTPTR pSrcGC; // borrowed
    PIXELPOS RotAreaSrcOrg;
    PIXELPOS RotAreaDestOrg;
    PIXELDIM RotAreaDim; // last column and row offsets (size - 1)
    SLONG IntSinAngle;
    SLONG IntCosAngle;
    SLONG IntShearX;
    SLONG IntShearY;
} GP_ROTCONTEXT;

ERRORCODE gr_ResetRotationContext(GP_ROTCONTEXT* rc);
ERRORCODE gr_SetRotationAngle(GP_ROTCONTEXT* rc, DOUBLE degrees);
ERRORCODE gr_StepRotationAngle(GP_ROTCONTEXT* rc, DOUBLE degrees);
ERRORCODE gr_SetCenterOfRotation(GP_ROTCONTEXT* rc, SINT x, SINT y);
ERRORCODE gr_SetRotationAreaSource(GP_ROTCONTEXT* rc, GRCONTEXTPTR gc);
ERRORCODE gr_SetRotationAreaDim(GP_ROTCONTEXT* rc, PIXELDIM dim);
ERRORCODE gr_SetRotationAreaSrcOrg(GP_ROTCONTEXT* rc, PIXELPOS pos);
ERRORCODE gr_SetRotationAreaDestOrg(GP_ROTCONTEXT* rc, PIXELPOS pos);
// Rotates (x, y) about the origin by the angle.
ERRORCODE gr_RotatePoint(const GP_ROTCONTEXT* rc, SINT x, SINT y, SINT* xOut, SINT* yOut);
// Rotates (x, y) back by the angle (the inverse rotation).
ERRORCODE gr_PutStraightPoint(const GP_ROTCONTEXT* rc, SINT x, SINT y, SINT* xOut, SINT* yOut);
