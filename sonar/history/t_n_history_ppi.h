// The 360 picture: a polar image of 1600 sectors (the rotating transducer's
// stepper positions, 0.225 degrees each, sector 0 straight up on the
// display, numbers growing clockwise) by up to 976 samples from the centre
// outwards, held as ready colours. The processing task writes pings into
// it; the view task draws it through a pixel map (sonar/screens/).
//
// The image is rebuilt from the processing module's raw 360 store whenever
// a display setting changes; the raw store and the image are guarded by
// mutex 98 (RES_MSS), which is taken after mutex 28 (RES_S_INFO) when both
// are needed. Every writer of the image (the ping processing, the rebuild)
// holds 28 and then 98, so a frame never sees a row half written.
#pragma once

#include "graphics/g_icon.h"
#include "kernel/l_types.h"
#include "platform/h_recselect.h" // BEAM
#include "sonar/dsp/s_grayscale.h"
#include "ui/u_view.h"
#include "util/u_pixels.h"

#include <atomic>

// ---- Sizes ----

constexpr U32 PPI_SECTORS = 1600;
constexpr U32 PPI_MAX_SAMPLES = 976;
constexpr U32 PPI_MAX_STEPS = 16; // interpolated rows per ping
constexpr U32 PPI_FRAME_WIDTH = 800;
constexpr U32 PPI_FRAME_HEIGHT = 600;

// ---- Records ----

// Geometry of the 360 picture, written by the draw callback.
typedef struct tag_PPI_DISPLAY_DESCRIPTOR {
    PIXEL CenterX; // y counts up from the bottom row
    PIXEL CenterY;
    PIXEL IsolateCenterX;
    PIXEL IsolateCenterY;
    U16 u32CenterRadius; // the empty disc around the centre; always 2
    U16 u32Width;        // from that disc to the outer edge
    U16 u32MaxSamples;   // display samples per sector row: u32Width + 11, at most 976
    POINT s32CursorOffset;
    POINT s32IsolateCursorOffset;
    S32 u8ZoomLevel; // "PPIZ" of the last geometry
    BOOLEAN bRotated90;
    const ICON* pIcon;
} PPI_DISPLAY_DESCRIPTOR;

typedef enum tag_SWEEP_STATUS : int {
    SWEEP_NO_PINGING = 0,
    FULL_SWEEP = 1,
    SIDE_SWEEP = 2,
    SWEEP_IN_AREA = 3
} SWEEP_STATUS;

typedef enum tag_SWEEPING_SETTING_STATUS : int {
    SWEEP_SETTING_OFF = 0,
    QUICK_SWEEP_SETTING = 1,
    QUICK_SWEEP_ON = 2,
    ISOLATE_SWEEP_SETTING = 3,
    ISOLATE_SWEEP_ON = 4,
    QUICK_SWEEP_IN_ISOLATE_SETTING = 5,
    QUICK_SWEEP_IN_ISOLATE_ON = 6,
    SWEEP_NUM_ITEMS = 7
} SWEEPING_SETTING_STATUS;

// The sweep state of the 360 unit. An area runs from s32SweepStart -
// s32SweepRange up to s32SweepStart (sectors), across sector 0 when needed.
typedef struct tag_MSS_STATUS_DESCRIPTOR {
    SWEEP_STATUS SweepStatus; // published as "YSPL"
    BOOLEAN bMSSEnabled;
    U8 u8CurrentTransducer;
    U32 u8LocalTransducer;
    BOOLEAN bSweep_Navigation;
    SWEEPING_SETTING_STATUS SweepingSetting; // published as "YASS"
    S32 bIsLastSweepFull;
    S32 s32SweepStart;
    S32 s32SweepRange;
    S32 s32QuickSweepRangeInIsolate;
    S32 s32SweepDisplayStart; // the shown part of a quick sweep inside an isolated area
    S32 s32SweepDisplayRange;
    S32 s32SweepStartSaved; // the isolated area kept for re-use
    S32 s32SweepRangeSaved;
    BOOLEAN bPassedZero;
    BOOLEAN bMSSDeployed;
    U32 u32PPISectorStepFactor;
    S32 s32PPISector;
    U32 u32PPIViewOffset;
    U32 u32PPIViewOffsetSaved;
    BOOLEAN bLastSonarIsSweepingView;
} MSS_STATUS_DESCRIPTOR;

// What the navigation overlay needs of the 360 picture, filled each frame.
typedef struct tag_MSS_NAV_VIEW {
    BITMAP* pBitmap;
    S32 nWindowWidth;
    S32 nWindowHeight;
    POINT CenterOffset; // pixel of the boat inside the window
    float fPixelsPerMM; // pixels per Mercator metre
    S32 nPixelsPerMMM;  // the same in 20-bit fixed point
    POINT ptCenterMM;   // boat position, Mercator metres
    float fHeading;     // degrees; the picture turns with it
} MSS_NAV_VIEW;
typedef void MSS_NAV_OVERLAY(const MSS_NAV_VIEW* pView, BOOLEAN bActive, S32 s32Unused);

// ---- Calls of the other tasks ----

// One ping of beam 2 or 3 at a stepper position, N steps since the last
// one, turning clockwise or not (runs in the processing task). Other beams
// are dropped.
void T_N_HISTORY_vProcessPPISonar(S32 s32CurrentPosition, BEAM Beam, U32 u32TargetFactor, BOOLEAN bClockwise);
// Rebuilds all 1600 rows from the raw store; nothing while the transducer
// is retracted or the unit not connected.
void T_N_HISTORY_vRecalculateMSSData(void);
// FALSE below ISOLATE_SWEEP_ON; otherwise TRUE, and the pan offset is taken
// off the point unless the picture is zoomed or the cursor was placed
// without moving.
BOOLEAN T_N_HISTORY_bMSSCursorOffset(POINT* pPoint);
BOOLEAN T_N_HISTORY_bCursoredWaypointInMSS(void);
void T_N_HISTORY_vUpdateMSSCurosrWaypoint(POINT ptCursor);
// The 360 layers' draw callback (layers 56-59, sonar/screens/).
void T_N_HISTORY_vDrawPPIDisplay(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
// The sweep line (colour 35) or an area edge (colour 36) at a sector.
void T_N_HISTORY_vDrawPPISweepLine(BITMAP* pBitmap, S32 SweepPosition, COLOR LineColor);
void T_N_HISTORY_vDrawSweepInfoBox(BITMAP* pBitmap, U32 u32WindowLeft);
void T_N_HISTORY_vUpdateFVKVMSSiconDataboxOffset(U32 u32Offset);
// The navigation overlay over the 360 picture, installed by the
// composition root; null draws none.
void T_N_HISTORY_vInstallSweepOverlay(MSS_NAV_OVERLAY* pfnOverlay);

namespace t_n_history {

// ---- The picture (process lifetime) ----

extern COLOR s_aPPIColorData[PPI_SECTORS][PPI_MAX_SAMPLES];
extern float s_fMssDepth[PPI_SECTORS];
// Display class per sector, recomputed every frame: 0 normal, 1 shaded, 2 blank.
extern U8 s_u8PPIAlphaBlending[PPI_SECTORS];
extern PPI_DISPLAY_DESCRIPTOR s_PPIDisplayDescriptor;
extern MSS_STATUS_DESCRIPTOR s_MSSObject;

// ---- State shared with the display and the unit control ----

extern std::atomic<S32> s_s32PPISector;        // sector of the sweep line
extern std::atomic<BOOLEAN> s_bClockwise;      // direction of the last ping
extern std::atomic<U32> s_nNumberOfPPISectors; // 1600
extern std::atomic<BOOLEAN> s_bMSSSweepLineHide;
extern std::atomic<BOOLEAN> s_bMSSDataLocked; // frozen: zoomed with the cursor active
extern std::atomic<BOOLEAN> s_bLockedPosValid;
extern float s_fLockedHeading;
extern POINT s_ptLockedPosition;
extern float s_fLockedLat, s_fLockedLon;
extern std::atomic<BOOLEAN> s_bClearMSSBuffer;
extern std::atomic<BOOLEAN> s_bQuickSweepLeftEdgeSet;
extern std::atomic<S32> s_s32QuickSweepLeftEdge;
extern std::atomic<U32> s_u32PPIZoom;              // the zoom level the keys set
extern std::atomic<BOOLEAN> s_bCursorInitWithNoMove; // the cursor was placed, not moved
extern std::atomic<U32> s_u32360HeadingOffsetEnabled; // "MHLE"
extern std::atomic<S32> s_s32HeadingOffsetDegrees;    // "SMHL", "YMHL"
extern POINT s_ptCursorWaypoint;

// Whether a (heading-corrected) ping position belongs to the picture under
// the current sweep setting. Keeps state across calls (the quick-sweep
// lay-out drops pings until the start edge comes round).
BOOLEAN bIsSectorInSweepArea(S32 S32CurrentPos, BOOLEAN bClockwise, U32 u32TargetFactor);

// Start values of the 360 state, the empty picture and pixel map
// (start-up of the history task; tests).
void vInit360(void);

// The pixel map (sonar/screens/): for each frame pixel the image entry
// shown there as sector << 10 | sample, or PPI_NO_PIXEL.
constexpr U32 PPI_NO_PIXEL = 0xFFFFFFFFu;
constexpr U32 PPI_SAMPLE_BITS = 10;
// Empties the map (start-up, tests); the next frame builds it again.
void vResetPixelMap(void);
// The entry of frame pixel (x, y); PPI_NO_PIXEL outside the frame.
U32 u32PixelMapEntry(S32 x, S32 y);
// Pixels written by the last map build (each pixel of the circle once).
U32 u32PixelMapWrites(void);
// Builds the map for the descriptor's centre and radii, limited to the
// bitmap's clip box (caller holds mutex 98).
void vRebuildPixelMap(const BITMAP* pBitmap);
// The 1600 display classes for the current sweep setting.
void vComputeDisplayClasses(void);
// Copies the image through the map into the window's clip rectangle;
// bBackground paints only the shaded, blank and empty pixels.
void vDrawPPIPixels(const BITMAP* pDest, const WINDOW_SPECIFICATION* psWindowSpec, BOOLEAN bBackground);
// The pan offset scaled from one outer radius to another (zoom steps).
POINT ptScaleCursorOffset(POINT ptOffset, U32 u32OldOuterRadius, U32 u32NewOuterRadius);

} // namespace t_n_history
