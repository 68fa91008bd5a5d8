// STAND-IN of the chart panes (see the header).
#include "chart/t_chart_standin.h"

#include "chart_sdk/graphics/gr_context.h"
#include "graphics/g_box.h"
#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav_overlay.h"
#include "store/h_database.h"

#include <algorithm>

namespace {

constexpr S32 SCALE_FIRST = 0;
constexpr S32 SCALE_LAST = 25;

bool bKeyS32(const char (&key)[5], S32* pValue)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchS32(FCID(key), pValue, &bValid, nullptr) && bValid;
}

bool bKeyTrue(const char (&key)[5])
{
    BOOLEAN b = FALSE;
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchBoolean(FCID(key), &b, &bValid, nullptr) && bValid && b;
}

float fKeyFloat(const char (&key)[5])
{
    float f = 0.0f;
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchFloat(FCID(key), &f, &bValid, nullptr) && bValid ? f : 0.0f;
}

// The pane's box from the frame description, or the whole bitmap.
void vPaneBox(const BITMAP* pBitmap, const WINDOW_SPECIFICATION* psWindowSpec, POINT* pLowerLeft, S32* pnWidth,
              S32* pnHeight)
{
    const WINDOW_LOCATION* w = psWindowSpec != nullptr ? &psWindowSpec->drawWindow : nullptr;
    if (w != nullptr && w->s32ClipRight >= w->s32ClipLeft && w->s32ClipTop >= w->s32ClipBottom) {
        *pLowerLeft = {w->s32ClipLeft, w->s32ClipBottom};
        *pnWidth = w->s32ClipRight - w->s32ClipLeft + 1;
        *pnHeight = w->s32ClipTop - w->s32ClipBottom + 1;
        return;
    }
    *pLowerLeft = {0, 0};
    *pnWidth = (S32)pBitmap->pixels_wide;
    *pnHeight = (S32)pBitmap->pixels_high;
}

void vDraw(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec, BOOLEAN bPerspective)
{
    if (pBitmap == nullptr)
        return;
    NAV_VIEW_INFO nvi;
    T_CHART_vStandInViewInfo(pBitmap, psWindowSpec, bPerspective, &nvi);
    POINT ll{};
    S32 w = 0, h = 0;
    vPaneBox(pBitmap, psWindowSpec, &ll, &w, &h);
    G_BOX_vDrawFilled(pBitmap, T_CHART_STANDIN_SEA, &ll, (U32)w, (U32)h);
    H_DATABASE_bUpdateValueS32(FCID(bPerspective ? "IBPM" : "ICPM"), nvi.nPixelsPerMMM, P_NORMAL);
    H_DATABASE_bUpdateValueFloat(FCID("ICHH"), 0.0f, P_NORMAL);
    if (bPerspective) {
        T_NAV_vDrawHighwayCompass(&nvi);
        T_NAV_vDrawHighwayOverlay(&nvi);
        return;
    }
    T_NAV_vRenderSavedTracks(&nvi, FALSE);
    T_NAV_vDrawChartOverlay(&nvi, nvi.bCursorActive,
                            psWindowSpec != nullptr && psWindowSpec->drawWindowType == SPLIT_LEFT_WINDOW ? TRUE
                                                                                                          : FALSE);
}

} // namespace

S32 T_CHART_nStandInPixelsPerMMM(S32 nChartScale)
{
    // Scales 0 and 1 would not fit 32 bits; they draw as scale 2.
    return (S32)((S64)1 << (32 - std::clamp(nChartScale, 2, SCALE_LAST)));
}

void T_CHART_vStandInViewInfo(BITMAP* pBitmap, const WINDOW_SPECIFICATION* psWindowSpec, BOOLEAN bPerspective,
                              NAV_VIEW_INFO* pNVI)
{
    *pNVI = NAV_VIEW_INFO{};
    POINT ll{};
    S32 w = 0, h = 0;
    vPaneBox(pBitmap, psWindowSpec, &ll, &w, &h);
    pNVI->pBitmap = pBitmap;
    gr_InitGC(&pNVI->GrContext, PIXELDIM{(SINT)pBitmap->pixels_wide, (SINT)pBitmap->pixels_high},
              (VSCREENPTR)pBitmap->pBuffer);
    gr_ResetRotationContext(&pNVI->RotContext);
    S32 x = 0, y = 0;
    if (bKeyS32("ILON", &x) && bKeyS32("ILAT", &y))
        pNVI->ptBoatMM = {x, y};
    pNVI->fBoatHeading = fKeyFloat("IHDG");
    pNVI->ptCenterMM = pNVI->ptBoatMM;
    pNVI->bCursorActive = bKeyTrue("ICAC") && !bPerspective ? TRUE : FALSE;
    if (pNVI->bCursorActive && bKeyS32("ICLN", &x) && bKeyS32("ICLT", &y))
        pNVI->ptCenterMM = {x, y};
    pNVI->nWindowWidth = w;
    pNVI->nWindowHeight = h;
    S32 scale = T_CHART_STANDIN_DEFAULT_SCALE;
    if (!bKeyS32(bPerspective ? "SNBS" : "SNCS", &scale))
        scale = T_CHART_STANDIN_DEFAULT_SCALE;
    pNVI->nChartScale = std::clamp(scale, SCALE_FIRST, SCALE_LAST);
    if (bPerspective) {
        // The highway view: the boat near the bottom, looking along its
        // heading, the horizon a quarter down the pane.
        pNVI->nPixelsPerMMM = T_CHART_nCalculateHighwayPixelsPerMMM(pNVI->nChartScale);
        pNVI->nEyeOffsetMM = T_CHART_nCalculateHighwayEyeOffsetMM(pNVI->nChartScale);
        pNVI->nHorizonMM = 4 * pNVI->nEyeOffsetMM;
        pNVI->fHeading = pNVI->fBoatHeading;
        gr_SetRotationAngle(&pNVI->RotContext, pNVI->fHeading);
        pNVI->CenterOffset = {ll.x + w / 2, ll.y + h * 3 / 4};
    } else {
        pNVI->nPixelsPerMMM = T_CHART_nStandInPixelsPerMMM(pNVI->nChartScale);
        pNVI->CenterOffset = {ll.x + w / 2, ll.y + h / 2};
    }
    pNVI->fPixelsPerMM = (float)pNVI->nPixelsPerMMM / (float)(1 << 20);
}

void T_CHART_vDrawChartView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    vDraw(pBitmap, psWindowSpec, FALSE);
}

void T_CHART_3D_vDrawVuruzave(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    vDraw(pBitmap, psWindowSpec, TRUE);
}
