#include "nav/core/t_nav_snapshot.h"

#include "nav/core/t_nav.h"
#include "nav/core/t_nav_draw.h"
#include "nav/core/t_nav_mob.h"
#include "nav/core/t_nav_overlay.h"
#include "nav/core/t_nav_overlay_util.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_waypoint.h"

#include "chart_sdk/graphics/gr_context.h"
#include "chart_sdk/graphics/gr_line.h"
#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/g_box.h"
#include "graphics/g_buffers.h"
#include "graphics/g_icon.h"
#include "graphics/g_pixel.h"
#include "kernel/h_memory.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "platform/h_display.h"
#include "sonar/review/t_view_review.h"
#include "ui/t_info_icons.h"
#include "ui/t_view_capture.h"
#include "ui/u_keyboard.h"

#include <atomic>
#include <cstring>

namespace {

using t_nav_overlay_util::NavLock;

constexpr U32 FRAME_OUTER_COLOUR = 128;
constexpr U32 FRAME_INNER_COLOUR = 131;

bool bSideImagingView(LAYER_ID view)
{
    // The chart plus Flankview view is registered as 38 here.
    return view == CHART_PLUS_FV_VIEW_PRIORITY || view == CHART_PLUS_FLANKVIEW_VIEW_PRIORITY;
}

std::atomic<NAV_THUMBNAIL_LOOKUP*> s_pfnThumbnailLookup{nullptr};

// A load the card task has not acknowledged yet: it still owns the mail
// and may still write into the page (the viewer's task only).
MSG_LOAD_BMP* s_pUnansweredMail = nullptr;
BITMAP* s_pUnansweredImage = nullptr;

void vClick(bool bGood) { L_SEMA_Signal(bGood ? SEMA_KEYCLICK_GOOD : SEMA_KEYCLICK_BAD); }

void vFreeImage(BITMAP* pImage)
{
    if (pImage == nullptr)
        return;
    H_DISPLAY_vFreeDisplayBuffer(pImage->pBuffer);
    G_BUFFERS_vFreeFullScreenBitmapHeader(pImage);
}

// True when no earlier load is outstanding; one answered since is released.
bool bEarlierLoadAnswered(void)
{
    if (s_pUnansweredMail == nullptr)
        return true;
    if (L_SEMA_WaitTicks(SEMA_NAV_SNAPSHOT_IMAGE, 0) != 0)
        return false;
    H_MEMORY_vFree(s_pUnansweredMail);
    vFreeImage(s_pUnansweredImage);
    s_pUnansweredMail = nullptr;
    s_pUnansweredImage = nullptr;
    return true;
}

} // namespace

void T_NAV_vInstallThumbnailLookup(NAV_THUMBNAIL_LOOKUP* pfnLookup) { s_pfnThumbnailLookup = pfnLookup; }

void T_NAV_vUpdateSnapshotPreview(U32 u32Waypoint)
{
    if (u32Waypoint == NAV_ID_NONE) {
        NavLock lock(RES_NAV_DATA);
        if (s_pSnapshotThumbnailPreview != nullptr)
            U_VIEW_bUnRegisterLayer(SNAPSHOT_THUMBNAIL_LAYER);
        s_pSnapshotThumbnailPreview = nullptr;
        return;
    }
    POINT pt = {0, 0};
    T_NAV_vCopyWaypointPoint(u32Waypoint, &pt);
    {
        NavLock lock(RES_NAV_DATA);
        const auto* pShown = static_cast<const THUMBNAIL_HEADER_TYPE*>(s_pSnapshotThumbnailPreview);
        if (pShown != nullptr) {
            if (pShown->snapshot != nullptr && pShown->snapshot->Header.Image_Waypoint.pt.x == pt.x &&
                pShown->snapshot->Header.Image_Waypoint.pt.y == pt.y)
                return;
            U_VIEW_bUnRegisterLayer(SNAPSHOT_THUMBNAIL_LAYER);
            s_pSnapshotThumbnailPreview = nullptr;
        }
    }
    // The card task's list is searched without the navigation data held.
    NAV_THUMBNAIL_LOOKUP* pfnLookup = s_pfnThumbnailLookup.load();
    THUMBNAIL_HEADER_TYPE* pFound = pfnLookup != nullptr ? pfnLookup(&pt) : nullptr;
    NavLock lock(RES_NAV_DATA);
    s_pSnapshotThumbnailPreview = pFound;
    s_bRegisterThumbnailLayer = TRUE;
}

void T_NAV_vViewSnapshot(void)
{
    if (!bEarlierLoadAnswered()) {
        vClick(false);
        return;
    }
    char acName[THUMBNAIL_NAME_BYTES] = {};
    {
        NavLock lock(RES_NAV_DATA);
        const auto* pThumb = static_cast<const THUMBNAIL_HEADER_TYPE*>(s_pSnapshotThumbnailPreview);
        if (pThumb != nullptr && !pThumb->bWrongSizeThumbnail && !s_bSnapshotPreviewImage)
            memcpy(acName, pThumb->sName, sizeof acName - 1);
    }
    if (acName[0] == '\0') {
        vClick(false);
        return;
    }
    BITMAP* pImage = nullptr;
    MSG_LOAD_BMP* pSent = nullptr;
    L_SEMA_SetPending(SEMA_NAV_SNAPSHOT_IMAGE);
    if (!T_VIEW_bRequestSnapshotImage(&pImage, acName, SEMA_NAV_SNAPSHOT_IMAGE, &pSent)) {
        vFreeImage(pImage);
        vClick(false);
        return;
    }
    // The image is shown only once the card task is done with it, so that
    // the drawing never reads a page being written; the mail is the
    // viewer's to free after the acknowledgement.
    if (L_SEMA_WaitTicks(SEMA_NAV_SNAPSHOT_IMAGE, NAV_SNAPSHOT_LOAD_TICKS) != 0) {
        s_pUnansweredMail = pSent;
        s_pUnansweredImage = pImage;
        vClick(false);
        return;
    }
    H_MEMORY_vFree(pSent);
    {
        NavLock lock(RES_NAV_DATA);
        s_pSnapshotPreviewImage = pImage;
        s_bSnapshotPreviewImage = TRUE;
        // Registered under the lock so that a removal cannot overtake it.
        U_VIEW_bRegisterLayer(T_NAV_vRenderViewSnapshot, SNAPSHOT_PREVIEW_LAYER, U_VIEW_eCurrentView(), 0, 0, TRUE,
                              nullptr, nullptr, nullptr);
    }
    vClick(true);
}

void T_NAV_vRenderViewSnapshot(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    (void)psWindowSpec;
    if (pBitmap == nullptr)
        return;
    {
        NavLock lock(RES_NAV_DATA);
        if (s_pSnapshotPreviewImage != nullptr)
            G_BMP_vCopyRegion(s_pSnapshotPreviewImage, pBitmap, 0, 0, 800);
    }
    T_VIEW_vDrawSnapshotPreviewBorder(pBitmap);
}

void T_NAV_vUnRegisterSnapshotPreviewLayer(void)
{
    BITMAP* pImage = nullptr;
    {
        NavLock lock(RES_NAV_DATA);
        if (!s_bSnapshotPreviewImage)
            return;
        U_VIEW_bUnRegisterLayer(SNAPSHOT_PREVIEW_LAYER);
        s_bSnapshotPreviewImage = FALSE;
        pImage = s_pSnapshotPreviewImage;
        s_pSnapshotPreviewImage = nullptr;
    }
    // The drawing reads the image only under the lock and finds none now.
    vFreeImage(pImage);
}

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
