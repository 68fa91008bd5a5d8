#include "nav/core/t_nav_snapshot.h"

#include "nav/core/t_nav.h"
#include "nav/core/t_nav_draw.h"
#include "nav/core/t_nav_overlay.h"

#include "chart_sdk/graphics/gr_context.h"
#include "chart_sdk/graphics/gr_line.h"
#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_icon.h"
#include "graphics/g_pixel.h"
#include "kernel/l_mutex.h"
#include "ui/t_info_icons.h"
#include "ui/t_view_capture.h"

namespace {

constexpr U32 FRAME_OUTER_COLOUR = 128;
constexpr U32 FRAME_INNER_COLOUR = 131;

bool bSideImagingView(LAYER_ID view)
{
    // The chart plus Flankview view is registered as 38 here.
    return view == CHART_PLUS_FV_VIEW_PRIORITY || view == CHART_PLUS_FLANKVIEW_VIEW_PRIORITY;
}

} // namespace

void T_NAV_vDrawPreviewThumbnail(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    (void)psWindowSpec;
    if (pBitmap == nullptr)
        return;
    L_MUTEX_LockWait(RES_NAV_DATA);
    const auto* pThumb = static_cast<const THUMBNAIL_HEADER_TYPE*>(s_pSnapshotThumbnailPreview);
    if (pThumb == nullptr || pThumb->snapshot == nullptr || s_SnapshotNVI.nPixelsPerMMM <= 0) {
        L_MUTEX_Unlock(RES_NAV_DATA);
        return;
    }
    const S32 n = (S32)G_ICON_u32GetWidth(&Waypointcursor_icon) / 2;
    POINT pt = T_NAV_ptRelativeToCenter(&s_SnapshotNVI, pThumb->snapshot->Header.Image_Waypoint.pt);
    T_NAV_vConvertToPixel(&s_SnapshotNVI, &pt, FALSE);
    const S32 x = pt.x, y = pt.y;

    POINT corner, leader;
    if (bSideImagingView(U_VIEW_eCurrentView())) {
        corner = {x + n, y - 82};
        leader = {x + n + 1, y};
    } else {
        corner = {x - 107, y - n - 164};
        if (x + 107 > pBitmap->s32ClipRight)
            corner.x = pBitmap->s32ClipRight - (S32)NAV_PREVIEW_FRAME_WIDTH;
        leader = {x, y + 1 - n};
    }
    const COLOR outer = gCOLOR_pcolColorTable[FRAME_OUTER_COLOUR];
    const COLOR inner = gCOLOR_pcolColorTable[FRAME_INNER_COLOUR];
    G_BOX_vDrawFilled(pBitmap, outer, &corner, NAV_PREVIEW_FRAME_WIDTH, NAV_PREVIEW_FRAME_HEIGHT);
    const POINT c1 = {corner.x + 1, corner.y + 1};
    G_BOX_vDrawFilled(pBitmap, inner, &c1, NAV_PREVIEW_FRAME_WIDTH - 2, NAV_PREVIEW_FRAME_HEIGHT - 2);
    const POINT c6 = {corner.x + 6, corner.y + 6};
    G_BOX_vDrawFilled(pBitmap, outer, &c6, NAV_PREVIEW_FRAME_WIDTH - 12, NAV_PREVIEW_FRAME_HEIGHT - 12);
    const COLOR* pImage = pThumb->snapshot->ImageData;
    for (S32 r = 0; r < (S32)THUMBNAIL_HEIGHT; ++r)
        for (S32 col = 0; col < (S32)THUMBNAIL_WIDTH; ++col)
            G_PIXEL_vPut(pBitmap, corner.x + 7 + col, corner.y + 7 + r, pImage[r * (S32)THUMBNAIL_WIDTH + col]);
    L_MUTEX_Unlock(RES_NAV_DATA);

    GR_CONTEXT* gc = &s_SnapshotNVI.GrContext;
    gc->colour = inner;
    gr_SetDrawingTool(gc, BRUSH);
    gr_SetPixelSize(gc, 2);
    gr_SetAbsPenPos(gc, leader.x, leader.y);
    gr_DrawAbsLine(gc, x, y);
}
