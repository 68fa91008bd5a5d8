// The snapshot preview over a chart: the thumbnail of the snapshot taken
// at the cursor waypoint, framed beside the point with a leader line; and
// the full-screen viewer of that snapshot.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "ui/t_view_capture.h"
#include "ui/u_view.h"

constexpr LAYER_ID CHART_PLUS_FV_VIEW_PRIORITY = 36;
constexpr U32 NAV_PREVIEW_FRAME_WIDTH = 214;
constexpr U32 NAV_PREVIEW_FRAME_HEIGHT = 164;

// The card task acknowledges the viewer's image load on this semaphore.
constexpr SEMA SEMA_NAV_SNAPSHOT_IMAGE = 137;
// How long the viewer waits for the card task's load before it gives up
// (the load takes a fraction of this).
constexpr TICKS NAV_SNAPSHOT_LOAD_TICKS = 5000;

// Layer callback of the preview layer (209): nothing while no thumbnail is
// shown. Takes RES_NAV_DATA while it reads the thumbnail.
void T_NAV_vDrawPreviewThumbnail(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

// The card task's thumbnail of the snapshot taken at a position (Mercator
// metres), null when there is none. The entry stays valid while the unit
// runs. Installed from above; without one no snapshot is ever found.
typedef THUMBNAIL_HEADER_TYPE* NAV_THUMBNAIL_LOOKUP(const POINT* pPosition);
void T_NAV_vInstallThumbnailLookup(NAV_THUMBNAIL_LOOKUP* pfnLookup);

// The preview's share of a cursor-waypoint change: 0xFFFF removes a shown
// preview. Otherwise a preview of a snapshot taken where the waypoint lies
// stays; any other is removed and the snapshot at the waypoint, if any,
// is looked up for the overlay to show (s_bRegisterThumbnailLayer).
void T_NAV_vUpdateSnapshotPreview(U32 u32Waypoint);

// "View Snapshot": opens the previewed snapshot full screen (layer 298 in
// the current view) once the card task has loaded it; the bad key click
// when no usable preview is shown, no page is free, the card task cannot be
// asked or does not answer in time. A load that did not answer keeps its
// page and mail until the card task acknowledges it; no new load starts
// before that.
void T_NAV_vViewSnapshot(void);
// Layer callback of the viewer: the image (under RES_NAV_DATA), then the
// frame.
void T_NAV_vRenderViewSnapshot(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
