// The sonar history module's shared records: the six beams, the five
// sonar windows with their history bitmaps, the four column stores, the two
// zoom windows, and the window layout and display settings (SonarViewInfo).
// The history task owns them; the processing task adds columns to them and
// the view task's draw callbacks copy from them.
//
// Two rings, not to be confused:
// - a history bitmap lives in 820 x 600 pixels of static memory, but the
//   layout gives it pixels_wide 800 (600 for a vertically scrolling window,
//   which is then 800 high) and the picture scrolls over those pixels_wide
//   columns;
// - a column store (FULL_SCREEN_TSU) is a ring of 820 stored columns, each
//   with its own fixed 2048-byte sample slot.
//
// Locks, in the order they may be nested:
// - mutex 28 (RES_S_INFO): SonarViewInfo (ranges, layout, trigger flags),
//   the beam links and the settings the column adder reads; 98, 99 and 101
//   may be taken inside it;
// - mutex 27 (RES_TSU): the four column stores; taken inside 28 by the draw
//   callbacks, alone at start-up;
// - mutex 4 (RES_HISTORY): every window's SONAR_HISTORY; taken alone.
// The flags marked atomic below are written by the history task and read
// and cleared by the processing or view task without a lock.
#pragma once

#include "kernel/l_mbox.h"
#include "kernel/l_timer.h"
#include "kernel/l_types.h"
#include "sonar/dsp/s_fishid.h"
#include "sonar/dsp/s_grayscale.h"
#include "sonar/dsp/s_tsu.h"
#include "sonar/dsp/s_types.h"
#include "store/database_msg.h"
#include "ui/u_view.h"
#include "util/u_convert.h"
#include "util/u_pixels.h"

#include <atomic>

// ---- Locks ----

constexpr MUTEX RES_HISTORY = 4;
constexpr MUTEX RES_TSU = 27;
constexpr MUTEX RES_S_INFO = 28;
constexpr MUTEX RES_MSS = 98;
constexpr MUTEX RES_HISTORY_CONF = 99;
constexpr MUTEX RES_MSS_VIEW = 101;

// ---- Sizes ----

constexpr U32 SONAR_WINDOWS = 5;
constexpr U32 SONAR_BEAMS = 6;
constexpr U32 SONAR_STORED_BEAMS = 4; // beams 0-3 have a column store
constexpr BEAM SONAR_NO_BEAM = 0xFF;
constexpr U32 HISTORY_MEMORY_COLUMNS = 820;
constexpr U32 HISTORY_MEMORY_ROWS = 600;
constexpr U32 TSU_SLOT_BYTES = 2048;
constexpr U32 ZOOM_WINDOW_WIDTH = 400;
constexpr U32 ZOOM_WINDOW_HEIGHT = 300;

// ---- Records ----

// The colour to draw for one pixel of a beam's column in its blend window.
typedef COLOR BLENDING_FUNCTION(COLOR color, U32 u32SampleIndex, BOOLEAN bNoiseTooHighForBlend);

// The scrolling picture of one window.
typedef struct tag_SONAR_HISTORY {
    BITMAP* pBmp;          // over 820 x 600 pixels of static memory
    U16 u16NextFreeColumn; // the column the next display column goes to
    MUTEX Resource;        // RES_HISTORY for every window
} SONAR_HISTORY;

typedef struct tag_SONAR_WINDOW {
    BEAM Beam; // SONAR_NO_BEAM: shows nothing, receives no columns
    SONAR_HISTORY ScreenHistory;
    BOOLEAN bTriggerTotalScreenUpdate; // redraw the whole window from the column store
    BOOLEAN bManualDepthRange;
    float fUpperDisplayedMetres;
    float fLowerDisplayedMetres;
    U32 u32UpperDigits; // in the display unit, rounded
    U32 u32LowerDigits;
    U32 u32UpperSample;
    U32 u32LowerSample;
    U32 u32HistoryHeight;      // column length in pixels
    U32 u32DepthRangeLookback; // newest columns of the depth-range look-back
    BOOLEAN bVerticalScroll;   // columns drawn as rows (side-looking windows)
} SONAR_WINDOW;

typedef enum tag_QUAD_LAYOUT : int {
    QUAD_LAYOUT_VERTICAL = 0,
    QUAD_LAYOUT_HORIZONTAL = 1,
    QUAD_LAYOUT_3_PANE_FLAT = 2,
    QUAD_LAYOUT_3_PANE_SLANTED = 3
} QUAD_LAYOUT;

typedef struct tag_SONAR_VIEW_INFO {
    SONAR_WINDOW Window[SONAR_WINDOWS]; // window 0 carries the view's main range
    BEAM RTSBeam;                       // beam of the real-time strip; SONAR_NO_BEAM none
    U32 u32RTSWidth;                    // 0: the strip is off
    U32 u32DepthLines;
    U32 u32ZoomLevel; // index into u8ZoomLevelTable
    U32 u32ChartSpeed;
    POST_PROCESS_MODE BottomView;
    UNIT_TYPE unitsDepth; // U_METRES, U_FEET or U_FATHOMS
    float fMinDepthRangeDifference;
    BOOLEAN bFishID;
    BOOLEAN bColorIntensityBar;
    BOOLEAN bBottomLockZoom;
    float fBottomRange; // metres above the bottom in bottom-lock zoom
    QUAD_LAYOUT eQuadLayout;
} SONAR_VIEW_INFO;

typedef struct tag_BEAM_INFO {
    BOOLEAN bPinging;
    BEAM beamBlend; // the window that also receives this beam's columns; SONAR_NO_BEAM none
    BOOLEAN bFishListDirty;
    BLENDING_FUNCTION* pfBlend;
    SONAR_WINDOW* pMain;
    SONAR_WINDOW* pZoom;
    FULL_SCREEN_TSU* pTSUStore; // beams 0-3
    FISH_TARGET_LIST FishList;
    FISH_TARGET_HISTORY FishHistory;
    std::atomic<S8> s8Gain; // set by the history task, read by the view task's redraws
} BEAM_INFO;

// The Flankview and Keelview zoom pictures over the cursor.
typedef struct tag_FV_ZOOM_WINDOW_TYPE {
    BOOLEAN bActive;
    BOOLEAN bForceUpdate;
    S32 s32Width;
    S32 s32Height;
    S32 s32LeftEdge;
    S32 s32RightEdge;
    S32 s32TopEdge;
    S32 s32TopOffset;
    S32 s32BottomEdge;
    S32 s32ZoomWidth;
    S32 s32ZoomHeight;
    S32 s32ZoomFactor;
    POINT ptWindow;
    POINT ptCursor;
    BITMAP* pBitmap;
    LAYER_ID eView;
    GRAYSCALE_TABLE* pGrayScaleTable;
} FV_ZOOM_WINDOW_TYPE;

namespace t_n_history {

// ---- View numbers ----

// A view test given this view takes the current one (UNKNOWN_SPLIT for panes).
constexpr LAYER_ID UNKNOWN_VIEW = -3;

constexpr LAYER_ID VIEW_DIAGNOSTIC_A_SCOPE = 4;
constexpr LAYER_ID VIEW_CHART_PLUS_KEELVIEW = 33;
constexpr LAYER_ID VIEW_CHART_PLUS_2D = 35;
constexpr LAYER_ID VIEW_CHART_PLUS_FV = 36;
constexpr LAYER_ID VIEW_CHART_PLUS_FLANKVIEW = 38;
constexpr LAYER_ID VIEW_KEELVIEW = 39;
constexpr LAYER_ID VIEW_KEELVIEW_PLUS_FLANKVIEW = 40;
constexpr LAYER_ID VIEW_KEELVIEW_PLUS_2D = 41;
constexpr LAYER_ID VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D = 42;
constexpr LAYER_ID VIEW_SIDEVIEW_AND_DOWN = 46;
constexpr LAYER_ID VIEW_SIDEVIEW = 47;
constexpr LAYER_ID VIEW_2D_PLUS_FV = 48;
constexpr LAYER_ID VIEW_SONAR = 49;
constexpr LAYER_ID VIEW_SONAR_ZOOM = 50;
constexpr LAYER_ID VIEW_DUAL_BEAM = 51;
constexpr LAYER_ID VIEW_FLANKVIEW_PLUS_2D = 52;
constexpr LAYER_ID VIEW_MEGA_DIGIT = 53;
constexpr LAYER_ID VIEW_FLASHER = 55;
constexpr LAYER_ID VIEW_PPI_DISPLAY = 56;
constexpr LAYER_ID VIEW_PPI_PLUS_2D = 57;
constexpr LAYER_ID VIEW_PPI_PLUS_CHART = 58;
constexpr LAYER_ID VIEW_SONAR_3D_PLUS_2D = 60;

// The side views "SSWV" chooses.
constexpr U32 SIDE_BEAM_LEFT = 1;
constexpr U32 SIDE_BEAM_RIGHT = 2;
constexpr U32 SIDE_BEAM_BOTH = 3;

// Zoom factors of u32ZoomLevel.
extern const U8 u8ZoomLevelTable[4];

// ---- Records (guarded as the file head says) ----

extern SONAR_VIEW_INFO SonarViewInfo;
extern BEAM_INFO s_sBeamInfo[SONAR_BEAMS];
extern FULL_SCREEN_TSU TSUStore[SONAR_STORED_BEAMS];
extern FV_ZOOM_WINDOW_TYPE FvZoomWin;
extern FV_ZOOM_WINDOW_TYPE KvZoomWin;
// One column of colours per window, filled by the column adder.
extern COLOR s_aColorColumnMain[SONAR_WINDOWS][HISTORY_MEMORY_ROWS];
extern COLOR s_aColorColumnZoom[HISTORY_MEMORY_ROWS];

// ---- Module state (under mutex 28 unless atomic) ----

extern std::atomic<LAYER_ID> CurrentView; // the view laid out; NO_VIEW_PRIORITY at start
extern BEAM s_beamSelect;     // the user's 2D beam: 0, 1, 2 or 4
extern std::atomic<U32> db_u32SideBeamView; // SIDE_BEAM_*; the view task reads it
// The second is the side-imaging transducer ("YST3"); read by the ping task.
extern std::atomic<U32> s_db_TransducerSelectArray[3];
extern float s_fCurrentDepth; // "IDEP", metres
extern U32 s_u32UnZoomedWidth;
extern float s_fCurrentDisplayedLowerRange;
extern std::atomic<U32> s_u32MSSIconYoffset;
extern BOOLEAN s_bZoomKeysRegistered;
extern BOOLEAN s_bCursorKeysRegistered;
extern BOOLEAN s_bFvZoomKeysRegistered;
extern BOOLEAN s_bKVZoomKeysRegistered;
extern U32 s_u32SupportedBeams;

extern std::atomic<COLOR> BackGroundColor;
extern std::atomic<BOOLEAN> bRtsWindowUpdateable; // the current view shows the real-time strip
extern std::atomic<BOOLEAN> db_SonarEnabled;      // "ISEN"
extern std::atomic<U32> s_u32NetworkPingMask;     // "ENPM"
extern std::atomic<BOOLEAN> s_bCursorActive;      // mirrored to "ICAC"

// The four follow-up actions' flags and the 360 state the task's timers touch.
extern std::atomic<BOOLEAN> bForceResample;
extern std::atomic<BOOLEAN> s_bPPIDisplayReset;
extern std::atomic<BOOLEAN> s_bClearFVBuffer;
extern std::atomic<BOOLEAN> s_bSweepingUsedAsSide;
extern std::atomic<BOOLEAN> s_bMSSDeployed;
extern std::atomic<BOOLEAN> s_bMSSConnected;
extern std::atomic<BOOLEAN> s_bPodIsBowMounted;
extern std::atomic<BOOLEAN> s_bEnableShortTxPing;
extern std::atomic<BOOLEAN> s_bNon360FVOrQuadViewLastVisited;
extern std::atomic<BOOLEAN> s_bSweepSpeedAlarmWait;
extern std::atomic<U32> s_u32PPIViewOffset;
extern std::atomic<U32> s_u32PPIViewOffsetSaved;
extern std::atomic<U32> s_u32TempPPIViewOffset;
extern std::atomic<U32> s_u32SweepStatus; // the 360 unit's sweep status
extern std::atomic<float> s_fCurrentSpeed;
extern std::atomic<float> s_dbfSpeedAlarm;
extern std::atomic<U8> s_u8IsolateSweepSetuped;
extern std::atomic<BOOLEAN> s_bFvEnhanceDialogActive;
extern std::atomic<BOOLEAN> s_bKvEnhanceDialogActive;

// ---- The task's nine timers (allocated at start, in this order) ----

extern TIMER_INFO* s_pTransducerSelectionDelay; // semaphore 201
extern TIMER_INFO* pMSSDepthDelayTimer;         // 256
extern TIMER_INFO* s_pSidePositionLockDelay;    // 254
extern TIMER_INFO* s_pSweepSpeedAlarmDelay;     // 255
extern TIMER_INFO* s_pStartSweepingDelay;       // 267
extern TIMER_INFO* pMSSViewOffsetDelayTimer;    // 265
extern TIMER_INFO* pMSSDelayYASRUpdateTimer;    // 266
extern TIMER_INFO* s_pMSSRetractDoneTimer;      // 269
extern TIMER_INFO* s_pDeploymentMessageTimer;   // 270

// ---- Columns, copies and the total redraw (t_n_history_columns.cpp,
// t_n_history_draw.cpp, t_n_history_total.cpp) ----

// The column after u16Column in the scroll direction, wrapping over the
// bitmap's pixels_wide.
U16 u16GetFreeColumn(const SONAR_HISTORY* pHistory, U16 u16Column);
// The next free column moves on; caller holds the history's mutex.
void vAdvanceHistory(SONAR_HISTORY* pHistory);
// A copy of a window for the draw callbacks, taken under mutex 28 while the
// column adder may be moving the history's next free column (under mutex 4
// only): that one field is read atomically, as the adder writes it.
SONAR_WINDOW tCopyWindow(const SONAR_WINDOW& Window);
// Entry k of pNewColumn to y = u32UpperPixel - k of the next free column,
// background below u32LowerPixel, then advance. Takes the history's mutex.
void vDrawColumnInHistory(const COLOR* pNewColumn, SONAR_HISTORY* pHistory, U32 u32UpperPixel, U32 u32LowerPixel);
// The previous column again, then advance. Takes the history's mutex.
void vDuplicateColumnInHistory(SONAR_HISTORY* pHistory);
// The next free column to the background, advanced when asked.
void vClearColumnInHistory(SONAR_HISTORY* pHistory, BOOLEAN bAdvance);
// A beam's colours into a target window's next free column through its
// blend; a background result leaves the pixel. Never advances.
void vBlendColumnInHistory(const COLOR* pColumn, const SONAR_WINDOW* pTarget, BLENDING_FUNCTION* pfBlend,
                           BOOLEAN bNoise, U32 u32UpperSample, U32 u32LowerSample);
// First bottom-black row of a window for a depth (0 above, height below).
U32 u32DepthToPixel(float fDepthMetres, float fUpperMetres, float fLowerMetres, U32 u32Height);
// Metres to 26 us samples at the current speed of sound.
U32 u32MetresToSamples(float fMetres);

// The water-temperature readings of the chart, newest first (-300 none).
constexpr U32 TEMPERATURE_READINGS = 800;
constexpr float NO_TEMPERATURE = -300.0f;
extern float fTemperatureReading[TEMPERATURE_READINGS];
extern float fMinTemperatureReading;
extern float fMaxTemperatureReading;
extern U32 u32TemperatureRange;
extern BOOLEAN bInitialTemperatureCycle;
extern BOOLEAN s_bSonarDoNotDisplayScale;
// One "ITMP" reading into the chart's readings.
void vProcessTemperature(void);
// The chart back to its start (tests and the history task's reset).
void vResetTemperature(void);

// The newest u32DestinationWidthInPixels columns of a horizontally
// scrolling history, the newest at x = u32XOffset; under the history's mutex.
void vCopyHistoryToBitmap(BITMAP* pBmp, SONAR_HISTORY* pHistory, U32 u32DestinationWidthInPixels, U32 u32XOffset);
// Pixel by pixel between the young (newest, shallow) and deep corners, in
// either scroll direction; a cancelled frame ends it.
void vCopyHistoryToBitmapGeneric(BITMAP* pBmp, const SONAR_WINDOW* pWindow, const POINT* pDeepOldest,
                                 const POINT* pShallowYoungest);
void vDrawDepthLines(BITMAP* pBitmap, U32 u32DepthLines, U32 u32LeftPixel, U32 u32RightPixel, U32 u32Height,
                     U32 u32TopOffset, U32 u32UpperDigits, U32 u32LowerDigits);
void vDrawDepthLinesWhite(BITMAP* pBitmap, U32 u32DepthLines, U32 u32LeftPixel, U32 u32RightPixel, U32 u32Height,
                          U32 u32TopOffset, U32 u32UpperDigits, U32 u32LowerDigits);
void vDrawDepthScale(BITMAP* pBitmap, U32 u32RightPixel, U32 u32UpperDigits, U32 u32LowerDigits, U32 u32Height,
                     U32 u32TopOffset, BOOLEAN bManualFlag, BOOLEAN bSuppressDivider);
void vDrawSonarWindow(BITMAP* pBitmap, SONAR_WINDOW* pWindow, U32 u32LeftPixel, U32 u32RightPixel, U32 u32Height,
                      UNIT_TYPE unitsDepth, U32 u32DepthLines, BOOLEAN bFishID, BOOLEAN bDrawScale);
// Depth of line k of n (1 the shallowest) in tenths of a display unit.
U32 u32DepthLineTenths(U32 k, U32 n, U32 upper, U32 lower, U32 height);
// The label text of a depth in tenths ("225" -> "22.5", "230" -> "23",
// "5" -> "0.5").
void vDepthLabel(U32 u32Tenths, char* pszOut, U32 u32Size);
// Rebuilds the newest u32Width columns of a window (a copy taken by the
// caller) from the column stores.
void vTotalScreenUpdate(const SONAR_WINDOW* pSonarWindow, U32 u32ScreenHeight, U32 u32Width,
                        POST_PROCESS_MODE BottomView, BOOLEAN bBottomLockZoom);

// ---- Follow-up actions of the settings handlers ----

// Redraw all: every window's trigger, under mutex 28.
void vTriggerAllTotalScreenUpdate(void);
// Resample: the column adder resamples the accumulators at the new settings.
void vResample(void);
// New frame: semaphore 106.
void vNewFrame(void);
// 360 reset: the 360 image is rebuilt before its next frame.
void vReset360(void);
// The "Bottom Range" hot slider of the zoom view while bottom lock is on.
void vUpdateBottomRangeSlider(void);

// ---- Windows and depth ranges (callers hold mutex 28) ----

void vSetupSonarWindows(void);
void vCalculateDisplayedDepthRanges(BOOLEAN bForceRecalculation);
void vAutoSelectLowerDepthRange(void);
void vSetSplitSonarRange(void);
void vSetSideBeamRange(BOOLEAN bForceRecalculation);
void vSetupZoomRange(BOOLEAN bForceRecalculation);
// Sample index of a depth given in whole display digits of a unit.
U32 u32CalculateSamples(U32 u32Digits, UNIT_TYPE eUnit);
// Whole display digits of a depth in metres (adding 0.5 and truncating).
U32 u32Digits(float fMetres, UNIT_TYPE eUnit);
// The range statics back to their start values (tests).
void vForgetRanges(void);

// ---- View changes ----

// The view check: lays the windows out again for a view other than the
// one laid out. Takes mutex 28 itself.
void vVerifyAndUpdateWindowSettings(LAYER_ID view);
// Takes or releases the history task's keys; UNKNOWN_VIEW / UNKNOWN_SPLIT
// stand for the current view or pane.
void vCheckKeyRegistration(LAYER_ID view, SPLIT_WINDOW_TYPE eSplit);
// "CVEW" and "CVAS" changed.
void vHandleViewChange(LAYER_ID view);
void vHandlePaneChange(SPLIT_WINDOW_TYPE eSplit);

// ---- Blends ----

COLOR colorBlend200(COLOR color, U32 u32SampleIndex, BOOLEAN bNoiseTooHighForBlend);
COLOR colorBlend83(COLOR color, U32 u32SampleIndex, BOOLEAN bNoiseTooHighForBlend);
COLOR colorBlendKVLeft(COLOR color, U32 u32SampleIndex, BOOLEAN bNoiseTooHighForBlend);
COLOR colorBlendKVRight(COLOR color, U32 u32SampleIndex, BOOLEAN bNoiseTooHighForBlend);

// ---- Display settings (t_n_history_keys.cpp, under mutex 28) ----

extern U8 s_u8FullScreenSensitivity200kHz; // "SSS2"
extern S8 s_s8RelativeGainSetting83kHz;    // "SSS8"
extern S8 s_s8RelativeGainSetting50kHz;    // "SSS5"
extern S32 db_s32SidebeamSensitivity;      // "SSS4"
extern U8 s_u8WhiteLineLevel;              // "SSWF"
extern BOOLEAN s_bSelectTvgView;           // "YTVG"; TRUE until written
extern BOOLEAN bTemperatureOverlay;        // "SSTO"
extern S32 s_s32ZoomBias;                  // "SSZB", percent
extern U32 db_u32ComboViewSonarWindowHeight; // "CSCH"
extern U32 db_u32ComboViewSonarWindowWidth;  // "CSCW"
extern float fCurrentPingDepthMetres;        // "CSPD"
extern U32 s_FishAlarmSize;                  // "YSFA"; 0 off
extern U32 s_u32PPISectorStepFactor;         // "SSPS", "YSPS"
extern std::atomic<BOOLEAN> s_bTerrainMode;  // "SITM"; read by the column adder
extern std::atomic<BOOLEAN> s_bSweepTerrainMode; // "SMTM"; read by the 360 processing

// ---- Colour tables (t_n_history_colors.cpp, under mutex 28) ----

extern GRAYSCALE_TABLE StandardBeamGrayScaleTable; // 2D beams 0, 1 and 4
extern GRAYSCALE_TABLE SidescanGrayScaleTable;     // Flankview
extern GRAYSCALE_TABLE KeelviewGrayScaleTable;     // Keelview
extern GRAYSCALE_TABLE SweepscanGrayScaleTable;    // 360 image
extern std::atomic<COLOR> s_colorFrequencyIndicator;
extern U32 s_u32FVColor;        // "SSSC"
extern U32 s_u32KVColor;        // "SDSC"
extern U32 s_u32SweepscanColor; // "SMSC"
extern U32 s_u32SideScanSensitivity, s_u32SideScanGamma, s_u32SideScanContrast; // "SSSS", "SSSG", "SSSN"
extern U32 s_u32KeelviewSensitivity, s_u32KeelviewGamma, s_u32KeelviewContrast; // "SDSS", "SDSG", "SDSN"
extern U32 s_u32SweepScanSensitivity, s_u32SweepScanGamma, s_u32SweepScanContrast; // "SMSS", "SMSG", "SMSN"
extern std::atomic<U32> s_u32SideScanFilter, s_u32KeelviewFilter, s_u32SweepScanFilter; // "SSSL", "SDSL", "SMSL"
extern BOOLEAN s_bSideScanAutoSensitivity, s_bKeelviewAutoSensitivity, s_bSweepScanAutoSensitivity;
extern FOURCHARID s_fcidSideViewFreq; // "YSSF"

// The four rebuilds, each from its picture's settings and the colours the
// colour table holds now.
void vRebuild2DTable(void);
void vRebuildFlankviewTable(void);
void vRebuildKeelviewTable(void);
void vRebuild360Table(void);

// ---- Transducers, view enabling and ping mode (t_n_history_transducers.cpp) ----

// Element and transducer indices of s_db_TransducerSelectArray.
constexpr U32 SELECT_2D = 0;
constexpr U32 SELECT_IMAGING = 1;
constexpr U32 SELECT_360 = 2;

extern U32 s_u32LocalTransducer;     // this unit's own transducer
extern U32 s_u32CurrentTransducer;   // the transducer of the Flankview screens
extern U32 s_u32LocalPingMask;       // "ELPM"
extern U32 s_db_SonarElementSelect;  // local OR network mask
extern U32 s_u32SupportedBeamsLast2D;
extern BOOLEAN s_bTransducerChanged, s_b2DBeamChange, s_bQuadBeamChange;
extern BOOLEAN s_bInitTransducer;
extern BOOLEAN s_bMSSViewEnabled;
extern U32 s_bCompassReady;
extern U32 s_u32SystemState; // "CCST" as last handled
// Playback state that a change of the system state resets.
extern U32 s_u32ReadBeamPingMask;
extern BOOLEAN s_bReverseScroll;
extern U32 s_u32OldPlaybackMode;
extern BOOLEAN s_bEndFill, s_bWaitEndFillDone;

// The transducer database's walkers and menus the view enabling calls; the
// tests record the calls in place of the real ones.
typedef struct tag_HISTORY_WALKERS {
    void (*pfnEnable)(BOOLEAN bConnected);
    void (*pfn2DEnable)(U8 u8Transducer);
    void (*pfnImagingEnable)(U8 u8Transducer);
    void (*pfn360ImagingEnable)(U8 u8Transducer);
    void (*pfnCompositeEnable)(U8 u8Transducer, U32 u32Elements);
    void (*pfnComposite360Enable)(U8 u8Transducer, U32 u32Elements);
    void (*pfnMenuJigging)(U32 u32Transducer2D, U32 u32TransducerFV);
    void (*pfnMenuSideScanFrequency)(U32 u32Transducer);
    void (*pfnMenuSweepingSonarSettings)(BOOLEAN bEnable);
    void (*pfnMenuPPIDisplay)(BOOLEAN bEnable);
} HISTORY_WALKERS;
// Null puts the real ones back.
void vInstallWalkers(const HISTORY_WALKERS* pWalkers);

// The transducer keys' defaults inside the key registration (priority p).
void vRegisterTransducerKeys(U32 u32Priority);
// Semaphore 201: the re-registration after the start-up flood.
void vDelayedViewEnabling(void);
// Sets bPinging of beams 0-3 for the current screens.
void vSelectPingMode(void);
// Beams 2 and 3 from "SSS4".
void vSetImagingGains(void);
// Beam 0 from "SSS8" or "SSS5" when the low frequency is theirs.
void vSetLowFrequencyGain(void);
// The transducer state back to its start values (tests).
void vForgetTransducers(void);

// Handlers of the colour, transducer and state keys.
void vHandle2DPalette(const MESSAGE_NEW_DATA* p);      // "SSPL"
void vHandleSystemPalette(const MESSAGE_NEW_DATA* p);  // "SPAL"
void vHandleFVColor(const MESSAGE_NEW_DATA* p);        // "SSSC"
void vHandleKVColor(const MESSAGE_NEW_DATA* p);        // "SDSC"
void vHandle360Color(const MESSAGE_NEW_DATA* p);       // "SMSC"
void vHandleFVSensitivity(const MESSAGE_NEW_DATA* p);  // "SSSS"
void vHandleKVSensitivity(const MESSAGE_NEW_DATA* p);  // "SDSS"
void vHandle360Sensitivity(const MESSAGE_NEW_DATA* p); // "SMSS"
void vHandleFVContrast(const MESSAGE_NEW_DATA* p);     // "SSSN"
void vHandleKVContrast(const MESSAGE_NEW_DATA* p);     // "SDSN"
void vHandle360Contrast(const MESSAGE_NEW_DATA* p);    // "SMSN"
void vHandleFVFilter(const MESSAGE_NEW_DATA* p);       // "SSSL"
void vHandleKVFilter(const MESSAGE_NEW_DATA* p);       // "SDSL"
void vHandle360Filter(const MESSAGE_NEW_DATA* p);      // "SMSL"
void vHandleFVFrequency(const MESSAGE_NEW_DATA* p);    // "YSSF"
void vHandlePictureSources(const MESSAGE_NEW_DATA* p); // "CPF2", "CPFL", "CPFS", "CPTS"
void vHandleSonarEnabled(const MESSAGE_NEW_DATA* p);   // "ISEN"
void vHandleSonarOn(const MESSAGE_NEW_DATA* p);        // "SSEN"
void vHandleLocalMask(const MESSAGE_NEW_DATA* p);      // "ELPM"
void vHandleNetworkMask(const MESSAGE_NEW_DATA* p);    // "ENPM"
void vHandleYST1(const MESSAGE_NEW_DATA* p);
void vHandleYST2(const MESSAGE_NEW_DATA* p);
void vHandleYST3(const MESSAGE_NEW_DATA* p);
void vHandleYST4(const MESSAGE_NEW_DATA* p);
void vHandleImagingSensitivity(const MESSAGE_NEW_DATA* p); // "SSS4"
void vHandleBeamChoice(const MESSAGE_NEW_DATA* p);         // "YSSV"
void vHandleDepth(const MESSAGE_NEW_DATA* p);              // "IDEP"
void vHandleSystemState(const MESSAGE_NEW_DATA* p);        // "CCST"
void vHandleReadBeamPingMask(const MESSAGE_NEW_DATA* p);   // "CSBP"

// ---- Keys (t_n_history_keys.cpp) ----

// How a key's default is written: with the caller's priority (14 at a
// normal start, 2 on a reset of the settings), or always with one of its own.
typedef enum tag_HISTORY_DEFAULT : int {
    DEFAULT_NONE = 0,  // followed only
    DEFAULT_BY_CALL,   // attributes and value
    DEFAULT_ALWAYS_2,  // attributes and value, priority 2
    DEFAULT_VALUE_15,  // the value only, priority 15
    DEFAULT_ALWAYS_15, // attributes and value, priority 15
    DEFAULT_VALUE_2    // the value only, priority 2
} HISTORY_DEFAULT;

typedef void HISTORY_KEY_HANDLER(const MESSAGE_NEW_DATA* pMail);
// A default that depends on the model or on other keys, asked at registration.
typedef U32 HISTORY_DEFAULT_FN(void);

// One row of the history task's keys: its default, whether mailbox 31
// follows it (on a change; also on an invalidation or on every write), and
// what a change does (null: nothing).
typedef struct tag_HISTORY_KEY {
    FOURCHARID fcid;
    HISTORY_DEFAULT eDefault;
    DATA_TYPE DataType;
    U32 u32Default; // the value's 32 bits
    BOOLEAN bFollow;
    BOOLEAN bInvalid;
    BOOLEAN bUpdated;
    HISTORY_KEY_HANDLER* pfnHandler;
    HISTORY_DEFAULT_FN* pfnDefault; // null: u32Default
} HISTORY_KEY;

// Whether this is a domestic model (feet by default), by the query the
// composition root installs; none installed: not domestic.
BOOLEAN bDomesticModel(void);

// Waits until "CCST" can be read, writes the defaults, follows the keys,
// publishes "TSMG" and asks for one mail per followed key.
void vRegisterDatabaseItems(BOOLEAN bFactoryDefaults);
// A change mail of a followed key: its row's handler (caller holds mutex 28).
void vHandleNewData(const MESSAGE_NEW_DATA* pMail);

// ---- The task's steps (t_n_history.cpp) ----

// Start-up steps 2 to 12: timers, beams, stores, bitmaps, blends, then
// semaphore 220.
void vCreateWindowsAndStores(void);
// The semaphore list of the next wait (0-terminated, static).
const SEMA* pWaitList(void);
// One mail of mailbox 31 (not disposed of here).
void vHandleMail(GENERIC_MESSAGE* pMail);
// Drains mailbox 31; after a shutdown only disposes of mails.
void vDrainMailbox(void);
// The action of a semaphore other than 37.
void vSemaphoreAction(SEMA sema);
// Forgets a shutdown (tests).
void vForgetShutdown(void);
BOOLEAN bShutdownReceived(void);

} // namespace t_n_history
