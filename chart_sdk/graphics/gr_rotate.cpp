// Rotation contexts.
//
// The angle is normalised to (-180, 180] degrees before anything is derived
// from it; the trigonometric functions run only when the angle changes, and
// point rotation is two integer products per coordinate and a division by
// 1024 rounded half away from zero.
#include "chart_sdk/graphics/gr_rotate.h"

#include <cmath>

namespace {

constexpr double kRadPerDeg = 0.017453292520882225; // 1 / 57.29577951
constexpr double kDegPerRad = 57.29577951;
constexpr double kInv360 = 0.002777777777777778;

// Divides by 1024, rounding half away from zero. The products are formed in
// 64 bits; callers keep coordinates within +-1048575 so the result fits.
inline SINT Round1024(S64 v)
{
    return static_cast<SINT>(v >= 0 ? (v + 512) / 1024 : (v - 512) / 1024);
}

inline SLONG Scaled(double v)
{
    return static_cast<SLONG>(std::trunc(v * 1024.0));
}

} // namespace

ERRORCODE gr_ResetRotationContext(GP_ROTCONTEXT* rc)
{
    *rc = GP_ROTCONTEXT{};
    rc->Quadrant = 1;
    rc->IntCosAngle = 1024;
    return GR_OK;
}

ERRORCODE gr_SetRotationAngle(GP_ROTCONTEXT* rc, DOUBLE degrees)
{
    double a = degrees;
    if (!std::isfinite(a)) {
        a = 0.0;
    }
    if (a > 360.0) {
        a = a - 360.0 * std::trunc(a * kInv360);
    } else if (a <= -180.0) {
        a = a + 360.0 * (std::trunc(-a * kInv360) + 1.0);
    }
    if (a > 180.0) {
        a -= 360.0;
    }
    rc->AngleRad = a * kRadPerDeg;
    double remainder;
    if (a >= -45.0 && a < 45.0) {
        rc->Quadrant = 1;
        remainder = a;
    } else if (a >= 45.0 && a < 135.0) {
        rc->Quadrant = 2;
        remainder = a - 90.0;
    } else if (a >= -135.0 && a < -45.0) {
        rc->Quadrant = 4;
        remainder = a + 90.0;
    } else {
        rc->Quadrant = 3;
        remainder = a > 0 ? a - 180.0 : a + 180.0;
    }
    rc->AngleNorm = remainder * kRadPerDeg;
    rc->IntSinAngle = Scaled(std::sin(rc->AngleRad));
    rc->IntCosAngle = Scaled(std::cos(rc->AngleRad));
    rc->IntShearX = Scaled(-std::tan(rc->AngleNorm * 0.5));
    rc->IntShearY = Scaled(std::sin(rc->AngleNorm));
    if (rc->AngleRad == 0.0) {
        rc->RotAreaDestOrg = {0, 0};
    }
    return GR_OK;
}

ERRORCODE gr_StepRotationAngle(GP_ROTCONTEXT* rc, DOUBLE degrees)
{
    return gr_SetRotationAngle(rc, degrees + rc->AngleRad * kDegPerRad);
}

ERRORCODE gr_SetCenterOfRotation(GP_ROTCONTEXT* rc, SINT x, SINT y)
{
    rc->CenterX = x;
    rc->CenterY = y;
    return GR_OK;
}

ERRORCODE gr_SetRotationAreaSource(GP_ROTCONTEXT* rc, GRCONTEXTPTR gc)
{
    rc->pSrcGC = gc;
    return GR_OK;
}

ERRORCODE gr_SetRotationAreaDim(GP_ROTCONTEXT* rc, PIXELDIM dim)
{
    rc->RotAreaDim = {dim.pw - 1, dim.ph - 1};
    return GR_OK;
}

ERRORCODE gr_SetRotationAreaSrcOrg(GP_ROTCONTEXT* rc, PIXELPOS pos)
{
    rc->RotAreaSrcOrg = pos;
    return GR_OK;
}

ERRORCODE gr_SetRotationAreaDestOrg(GP_ROTCONTEXT* rc, PIXELPOS pos)
{
    rc->RotAreaDestOrg = pos;
    return GR_OK;
}

ERRORCODE gr_RotatePoint(const GP_ROTCONTEXT* rc, SINT x, SINT y, SINT* xOut, SINT* yOut)
{
    const S64 c = rc->IntCosAngle;
    const S64 s = rc->IntSinAngle;
    *xOut = Round1024(x * c - y * s);
    *yOut = Round1024(x * s + y * c);
    return GR_OK;
}

ERRORCODE gr_PutStraightPoint(const GP_ROTCONTEXT* rc, SINT x, SINT y, SINT* xOut, SINT* yOut)
{
    const S64 c = rc->IntCosAngle;
    const S64 s = rc->IntSinAngle;
    *xOut = Round1024(x * c + y * s);
    *yOut = Round1024(y * c - x * s);
    return GR_OK;
}
