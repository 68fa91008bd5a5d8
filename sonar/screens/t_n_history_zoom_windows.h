// The magnifiers around the sonar cursor on the imaging panes: FvZoomWin
// over the Flankview waterfall, KvZoomWin over the Keelview picture.
//
// While the cursor is active and the user has stepped the pane's zoom level
// ("ISIZ" or "IDIZ") above 0, a framed picture about half the pane wide and
// half the image high shows the cursor's neighbourhood 2, 4 or 6 times
// larger. It is not a scaled copy of the screen: every stored ping of the
// imaging beams is resampled once onto the magnified grid, and each
// magnified ping row (Flankview) or column (Keelview) lies linearly between
// the two stored pings nearest to it.
//
// Both halves run in the view task: the update from the pane's draw
// callback on every frame (shown or not, placed about the cursor, rebuilt
// only when the cursor, the level or a picture setting changed), the draw
// from the cursor readout layer after the sonar layer (border, cursor marks
// and the factor the readout prints). The history task only raises
// bForceUpdate, under mutex 28; the update reads the settings and clears
// that flag under the same mutex and the column stores under mutex 27.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "sonar/history/t_n_history_state.h"
#include "ui/u_view.h"

// Bring the window up to date for the pane being drawn; TRUE while it is
// active (callers may ignore it).
BOOLEAN T_N_HISTORY_bUpdateFvZoomWindow(WINDOW_SPECIFICATION* psWindowSpec);
BOOLEAN T_N_HISTORY_bUpdateKvZoomWindow(WINDOW_SPECIFICATION* psWindowSpec);

// The picture with its border and cursor marks into the frame; the factor
// and the top offset go to the outputs (each may be null), 0 and 0 with a
// FALSE result when no window is shown in the pane.
BOOLEAN T_N_HISTORY_bDrawFvZoomWindow(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec, S32* ps32FvZoomFactor,
                                      S32* ps32TopOffset);
BOOLEAN T_N_HISTORY_bDrawKvZoomWindow(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec, S32* ps32KvZoomFactor,
                                      S32* ps32TopOffset);

// The pane shows the side-looking picture: view 47, the left pane of 38,
// the right pane of 40, 42 and 52. UNKNOWN_VIEW / UNKNOWN_SPLIT stand for
// the current view or pane.
BOOLEAN T_N_HISTORY_bIsSideImageView(LAYER_ID eView, SPLIT_WINDOW_TYPE eSplit);
// The pane shows the down-looking picture: view 39, the left pane of 40,
// 33 and 42, the right pane of 41.
BOOLEAN T_N_HISTORY_bIsDownImageView(LAYER_ID eView, SPLIT_WINDOW_TYPE eSplit);

// The picture fills, for a window whose geometry is set (callers hold
// mutex 28; mutex 27 is taken inside). The result means nothing.
BOOLEAN T_N_HISTORY_bFillFvZoomBitmap(FV_ZOOM_WINDOW_TYPE* pFvZoomWin, WINDOW_SPECIFICATION* psWindowSpec);
BOOLEAN T_N_HISTORY_bFillKvZoomBitmap(FV_ZOOM_WINDOW_TYPE* pKvZoomWin, WINDOW_SPECIFICATION* psWindowSpec);

// One Flankview row of stored column u32Index: the left image (beam 2)
// reversed so that its shallowest sample ends next to s32LCPixel, the right
// image (beam 3) from s32RCPixel on; s32WindowWidth bytes, 0 where a side has
// no data. Caller holds mutex 27.
void T_N_HISTORY_vBuildFvZoomRow(U32 u32Index, U8* u8ZoomRow, S32 s32LCPixel, S32 s32RCPixel, S32 s32WindowWidth,
                                 S32 s32MinDepthL, S32 s32MaxDepthL, S32 s32MinDepthR, S32 s32MaxDepthR,
                                 BOOLEAN bLeftBeamActive, BOOLEAN bRightBeamActive);
// The two down-looking columns of stored column u32Index, beam 2's into
// u8ZoomColumnL and beam 3's into u8ZoomColumnR, s32WindowHeight bytes each.
// Caller holds mutex 27.
void T_N_HISTORY_vBuildKvZoomColumn(U32 u32Index, U8* u8ZoomColumnL, U8* u8ZoomColumnR, S32 s32WindowHeight,
                                    S32 s32MinDepthL, S32 s32MaxDepthL, S32 s32MinDepthR, S32 s32MaxDepthR);

namespace t_n_history {

// Zoom factors of the levels 0-3 ("ISIZ", "IDIZ"); level 0: no window.
extern const U8 s_u8FvZoomTable[4];
extern const U8 s_u8KvZoomTable[4];

// Longest Keelview zoom column: the fusion works over the Keelview window's
// whole height, which may be up to 600 rows.
constexpr U32 KV_ZOOM_COLUMN_BYTES = 600;

// The Keelview sharpening of one fused zoom column of the last fill's
// height, in place (its state carries over from column to column).
void vFilterKeelviewBeams(U8* u8Column);

// The cursor mark the Keelview draw repeats in the 2D half of view 42's
// left pane; the composition root hands over the cursor icon (none: no
// second mark).
void vSetZoomCursorIcon(const ICON* pIcon);

} // namespace t_n_history
