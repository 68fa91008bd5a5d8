// Display range of a map: the range the map view computed, snapped to the
// nearest of 1/32, 1/16, 1/8, 1/4, 1/2 and 1 when close to one of them
// (tested in that order), otherwise rounded to a whole number.
#include "chart_sdk/geodesy/ctk2rang.h"

#include <cmath>

ERRORCODE ctk2r_GetViewRange(const MAPCONTEXT2* ctx, double* range)
{
    if (ctx->sHeader.iMapId == -1) {
        return CTK2R_ERR_NO_MAP;
    }
    struct Snap {
        double value;
        double tolerance;
    };
    static constexpr Snap kSnaps[] = {
        {1.0 / 32, 1.0 / 64}, {1.0 / 16, 1.0 / 32}, {1.0 / 8, 1.0 / 16},
        {1.0 / 4, 1.0 / 16},  {1.0 / 2, 1.0 / 16},  {1.0, 1.0 / 16},
    };
    double r = ctx->sView.fRange;
    for (const Snap& s : kSnaps) {
        if (std::fabs(r - s.value) <= s.tolerance) {
            *range = s.value;
            return NV_OK;
        }
    }
    *range = std::floor(r + 0.5);
    return NV_OK;
}
