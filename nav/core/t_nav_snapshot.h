// The snapshot preview over a chart: the thumbnail of the snapshot taken
// at the cursor waypoint, framed beside the point with a leader line.
#pragma once

#include "graphics/g_types.h"
#include "ui/u_view.h"

constexpr LAYER_ID CHART_PLUS_FV_VIEW_PRIORITY = 36;
constexpr U32 NAV_PREVIEW_FRAME_WIDTH = 214;
constexpr U32 NAV_PREVIEW_FRAME_HEIGHT = 164;

// Layer callback of the preview layer (209): nothing while no thumbnail is
// shown. Takes RES_NAV_DATA while it reads the thumbnail.
void T_NAV_vDrawPreviewThumbnail(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
