// The frame every sonar draw callback follows. The view task calls a
// sonar layer's callback while it composes a page; the callback
//   1. asks the info bar how many rows it reserves at the bottom
//      (u32SonarFrameYOffset), the image then runs from that row to 599;
//   2. and 3. under mutex 28 lays the windows out again when the view
//      changed and copies the windows and settings it draws from
//      (vSonarFrameSnapshot); an ordinary frame takes over the windows'
//      rebuild requests, an expedited one leaves them for the next frame;
//   4. sets CursorWindow to the part of the page the cursor may use;
//   5. rebuilds a requested window from its column store
//      (vSonarFrameRebuild), never on an expedited frame;
//   6. copies each history into the page (vDrawSonarWindow);
//   7. and 8. draws its overlays and the real-time strip
//      (vDrawRealTimeStrip) and, in the full-screen 2D view, the colour bar.
// Nothing below step 3 holds mutex 28, and nothing is allocated while
// drawing: the strip buffers are static, the settings are copied.
//
// Pages are 800 x 600 with y counting up from the bottom row (599 is the
// top row); every drawing is clipped by the graphics layer.
#pragma once

#include "graphics/g_types.h"
#include "sonar/history/t_n_history_state.h"
#include "ui/u_view.h"

#include <atomic>

namespace t_n_history {

constexpr U32 SONAR_FRAME_WIDTH = 800;
constexpr U32 SONAR_FRAME_HEIGHT = 600;
constexpr U32 SONAR_FRAME_RIGHT = 799;
constexpr U32 RTS_ROWS = 600;
constexpr U32 RTS_WIDTH_ASCOPE = 100; // the amplitude trace; any other width is a colour column
constexpr BEAM RTS_FIRST_NO_BEAM = 4; // strip beams from here on mean "no strip"

// Colour-table entries of the frame's lines, boxes and labels.
constexpr U32 FRAME_COLOR_WHITE = 128;
constexpr U32 FRAME_COLOR_GREY = 130;
constexpr U32 FRAME_COLOR_BLACK = 131;

// Where the sonar cursor may move: written by the draw callbacks in the
// view task, read by the history task without a lock. Each edge is a word
// of its own, so a reader may see one frame's edge beside the previous
// frame's (harmless for one frame), never a torn value.
struct CURSOR_WINDOW {
    std::atomic<S32> s32ClipLeft{0};
    std::atomic<S32> s32ClipTop{0};
    std::atomic<S32> s32ClipRight{0};
    std::atomic<S32> s32ClipBottom{0};
    CURSOR_WINDOW() = default;
    CURSOR_WINDOW& operator=(const WINDOW_LOCATION& w)
    {
        s32ClipLeft = w.s32ClipLeft;
        s32ClipTop = w.s32ClipTop;
        s32ClipRight = w.s32ClipRight;
        s32ClipBottom = w.s32ClipBottom;
        return *this;
    }
    WINDOW_LOCATION tGet(void) const
    {
        return WINDOW_LOCATION{s32ClipLeft.load(), s32ClipTop.load(), s32ClipRight.load(), s32ClipBottom.load()};
    }
};
extern CURSOR_WINDOW CursorWindow;

// The snapshot of one frame: what was copied under mutex 28.
typedef struct tag_SONAR_FRAME {
    U32 u32YOffset;      // rows the info bar keeps at the bottom: 0 or 105
    U32 u32Height;       // h = 600 - u32YOffset
    BOOLEAN bExpedited;  // no rebuild on this frame
    U32 u32WindowMask;   // bit n: window n was copied
    SONAR_WINDOW Window[SONAR_WINDOWS];
    BEAM RTSBeamCopy;
    U32 u32RTSWidthCopy;
    U32 u32DepthLinesCopy;
    POST_PROCESS_MODE BottomViewCopy;
    UNIT_TYPE unitsDepthCopy;
    BOOLEAN bFishIDCopy;
    BOOLEAN bColorIntensityBarCopy;
    U32 u32ZoomLevelCopy;
    BOOLEAN bBottomLockZoomCopy;
    QUAD_LAYOUT eQuadLayoutCopy;
    U32 u32UnZoomedWidthCopy; // "SSZW"
} SONAR_FRAME;

constexpr U32 FRAME_WINDOW(U32 n) { return 1u << n; }

// Step 1: the info bar's rows for the pane (0 or 105).
U32 u32SonarFrameYOffset(SPLIT_WINDOW_TYPE ePane);
// Steps 2 and 3 for the callback's own layer: the view check, then the
// windows of u32WindowMask and the scalar settings into *pFrame; on an
// ordinary frame the copied windows' rebuild requests are taken over
// (cleared in SonarViewInfo, kept in the copy). u32YOffset is step 1's.
void vSonarFrameSnapshot(SONAR_FRAME* pFrame, const WINDOW_SPECIFICATION* psWindowSpec, LAYER_ID layer,
                         U32 u32WindowMask, U32 u32YOffset);
// Step 4 for split panes: a full-screen view, or the pane that has the
// focus (the pane whose left edge is 0 counts as the left one).
BOOLEAN bCursorAppearsInThisWindow(const WINDOW_SPECIFICATION* psWindowSpec);
// Step 5: rebuilds window n of the snapshot when it was requested and the
// frame is ordinary; a width or height of 0 rebuilds nothing.
void vSonarFrameRebuild(const SONAR_FRAME* pFrame, U32 u32Window, U32 u32Height, U32 u32Width,
                        BOOLEAN bBottomLockZoom = FALSE);
// The width left of a strip of u32StripWidth pixels and its 3-pixel gap in
// u32Room pixels, 0 when nothing is left (a strip setting near the screen
// width must not wrap round).
U32 u32WidthBesideStrip(U32 u32Room, U32 u32StripWidth);

// ---- The real-time strip ----

// One sample per row for the strip of pWindow's range, entry 0 at the top
// of the image: all 0 during end fill and, with bPlaybackCases, the store
// column at the next free index while the history scrolls backwards;
// otherwise the strip beam's newest ping for u32Height rows.
void vFillRtsValues(U8* pu8RtsValues, const SONAR_FRAME* pFrame, const SONAR_WINDOW* pWindow, U32 u32Height,
                    BOOLEAN bPlaybackCases);
// The amplitude trace: a white strip, then one black line per row from
// the strip's left edge as long as the sample (full scale 180 in the
// gain-view, else 256, so strong samples may pass the strip).
void vDrawAScopeRTS(BITMAP* pBitmap, const U8* pu8DirectData, U32 u32XOffset, U32 u32Width);
// The colour column: every row in the 2D palette's colour of its sample.
void vDrawFlasherRTS(BITMAP* pBitmap, const U8* pu8DirectData, U16 u16XOffset, U16 u16Width, S8 s8Gain);
// Step 8 of a view with a strip at x0: nothing when the strip is off or
// has no beam; the values filled into pu8RtsValues, then the style of the
// width.
void vDrawRealTimeStrip(BITMAP* pBitmap, const SONAR_FRAME* pFrame, const SONAR_WINDOW* pWindow, U8* pu8RtsValues,
                        U32 u32Height, S32 s32X0, BOOLEAN bPlaybackCases);

} // namespace t_n_history

// The colour intensity bar of the full-screen 2D view: a white column of
// s32Width pixels at x = pt->x over the whole page, 31 blocks of s32Height
// rows in the palette's entries 31 down to 1 from the top, the background
// entry below them down to row pt->y, and its edge lines over the
// u32ScrnYSize rows of the image.
void T_N_HISTORY_vDrawColorIntensityBar(BITMAP* pBitmap, POINT* pt, S32 s32Width, S32 s32Height, U32 u32ScrnYSize);
