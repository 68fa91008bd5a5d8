// The info task and its readouts: the user's choice of readout for each box
// of the instrument bar, the choice menus, the blink phase and info palette
// that every readout drawing uses, the formatter that turns a data-store
// value into a value and a unit text, and the drawing of one readout box.
//
// The task thread only keeps state up to date; formatting and drawing run
// in the caller's thread (mostly the view task's while it composes a frame)
// and read that state without a lock: each is one aligned word or byte, and
// a reader that sees the old value draws one frame late.
#pragma once

#include "graphics/g_fonts.h"
#include "graphics/g_icon.h"
#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "store/lang.h"
#include "ui/u_view.h"

#include <ctime>

// ---- Settings and styles ----

typedef enum tag_DIGITS_FORMAT {
    DONT_FORCE = 0,
    SMALL_TENTHS = 1,
    LARGE_TENTHS = 2,
    NO_TENTHS = 3
} DIGITS_FORMAT;

typedef enum tag_INFO_BOX_STYLE {
    IBS_NONE = 1,
    IBS_GRAY_ROUNDED_BORDER = 2,
    IBS_GRAY_ROUNDED_BORDER_SANS_BACKGROUND = 3,
    IBS_RED_ROUNDED_BORDER = 4,
    IBS_BLACK_ROUNDED_BAR = 5,
    IBS_ALWAYS_BLACK_ROUNDED_BAR = 6,
    IBS_DK_GRAY_ROUNDED_BAR = 7,
    IBS_LT_GRAY_ROUNDED_BAR = 8,
    IBS_WHITE_ROUNDED_BAR = 9,
    IBS_ALWAYS_WHITE_ROUNDED_BAR = 10,
    IBS_BLACK_BAR = 11,
    IBS_ALWAYS_BLACK_BAR = 12,
    IBS_RED_BAR = 13,
    IBS_DK_GRAY_BAR = 14,
    IBS_LT_GRAY_BAR = 15,
    IBS_WHITE_BAR = 16,
    IBS_ALWAYS_WHITE_BAR = 17,
    IBS_SEMITRANSPARENT_WHITE_BAR = 18,
    IBS_SEMITRANSPARENT_WHITE_ROUNDED_BAR = 19,
    IBS_SEMITRANSPARENT_GRAY_ROUNDED_BORDER = 20
} INFO_BOX_STYLE;

typedef enum tag_INFO_JUSTIFICATION {
    INSTRUMENTATION_JUSTIFY_LEFT = 1,
    INSTRUMENTATION_JUSTIFY_CENTER = 2,
    INSTRUMENTATION_JUSTIFY_RIGHT = 3,
    INSTRUMENTATION_JUSTIFY_RIGHT_NO_TICK = 4,
    CHARTPLOTTER_JUSTIFY_RIGHT = 5,
    JUSTIFY_LEFT = 6,
    JUSTIFY_CENTER = 7,
    JUSTIFY_RIGHT = 8,
    JUSTIFY_LEFT_INDENTED = 9
} INFO_JUSTIFICATION;

typedef enum tag_VIB_DIRECTION {
    VIBD_DOWN = 0,
    VIBD_RIGHT = 1
} VIB_DIRECTION;

// A compound readout draws itself: the bitmap, the box's anchor (moved on
// by the function), the direction of the bar and the language.
typedef void INFO_BOX_RENDERING_FUNCTION(BITMAP* pBitmap, POINT* pPoint, VIB_DIRECTION eDirection, U32 nLang);

// The info palette's colour-table entries.
constexpr U32 INFO_COLOR_BACKGROUND = 128;
constexpr U32 INFO_COLOR_LIGHT = 129;
constexpr U32 INFO_COLOR_DARK = 130;
constexpr U32 INFO_COLOR_TEXT = 131;

// ---- Neighbours above this layer ----

// The calls the info code makes into subsystems above the user interface,
// installed by the composition root. Every member may be null: a question
// then answers FALSE, a formatter gives the blank and a call is left out.
typedef struct tag_T_INFO_NEIGHBOURS {
    // Alarm task: the one-second tick of its timer.
    void (*pfnAlarmCheckTimer)(void);
    // Navigation: a latitude or longitude text in a position format
    // (5, 6 or 7), spaced; a waypoint's name, at most u32Limit bytes with
    // the terminator; the trolling motor's navigation text (16 at most).
    void (*pfnFormatPosition)(DATA_TYPE eType, double dValue, char* sValue, U32 u32Format, U32 nLang);
    void (*pfnCopyWaypointName)(U32 id, char* pcName, U32 u32Limit);
    void (*pfnStevrinActiveStr)(char* sText, U32 u32Size);
    // Radar: whether the view shows the radar's info boxes.
    BOOLEAN (*pfnIsMyRadarInfoView)(LAYER_ID view);
    // Trolling motor: its navigation is paused; its navigation is enabled.
    BOOLEAN (*pfnStevrinNavigationPaused)(void);
    BOOLEAN (*pfnStevrinNavigationEnabled)(void);
    // Model table: a domestic model offers no metres for depth.
    BOOLEAN (*pfnDomesticModel)(void);
    // Sonar history: the bar's y origin just computed for a view's pane.
    void (*pfnReportSonarYOrigin)(LAYER_ID view, SPLIT_WINDOW_TYPE eSplit, U32 u32YOrigin);

    // The navigation strip and the cursor readout.
    // Navigation: a man-overboard is in progress; the pane shows a chart with
    // a cursor; the chart cursor icon; a waypoint's large icon (null: none).
    BOOLEAN (*pfnMOBInProgress)(void);
    BOOLEAN (*pfnIsMyChartCursorView)(LAYER_ID view, SPLIT_WINDOW_TYPE eSplit);
    const ICON* (*pfnCursorIcon)(void);
    const ICON* (*pfnLargeWaypointIcon)(U32 u32Waypoint);
    // Sonar history: the pane shows a sonar picture with a cursor; the
    // side- and down-looking zoom windows of the pane, drawn when shown
    // (their factor and top offset, 0 when not shown); the 360-degree
    // picture's offset of a cursor point; the 360-degree cursor rests on a
    // waypoint.
    BOOLEAN (*pfnIsMyCursorView)(LAYER_ID view, SPLIT_WINDOW_TYPE eSplit);
    BOOLEAN (*pfnDrawSiZoomWindow)(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec, S32* pFactor, S32* pTop);
    BOOLEAN (*pfnDrawDiZoomWindow)(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec, S32* pFactor, S32* pTop);
    BOOLEAN (*pfnMSSCursorOffset)(POINT* pPoint);
    BOOLEAN (*pfnCursoredWaypointInMSS)(void);
    // Radar: its readout boxes are drawn by the info layer in this frame;
    // draw them at x, y (a negative y from the top), giving their height;
    // x of the radar split divider for a width and a percentage.
    void (*pfnSetRadarReadoutBoxDrawing)(void);
    U32 (*pfnDrawRadarReadoutInfoBox)(BITMAP* pBitmap, S32 x, S32 y);
    S32 (*pfnRadarSplitPosition)(S32 s32Width, S32 s32Percent);
    // Trolling motor: position hold is active; its waypoint; the name of
    // the active target (12 characters at most).
    BOOLEAN (*pfnStayvaneActive)(void);
    U16 (*pfnStayvaneIndex)(void);
    void (*pfnStevrinTargetName)(char* pacName, U32 u32Size);
} T_INFO_NEIGHBOURS;

// Copies the hooks; null removes them all.
void T_INFO_vInstallNeighbours(const T_INFO_NEIGHBOURS* pNeighbours);

// ---- Task, client calls and queries ----

// Entry of task 10; never returns.
void T_INFO_vMain(void);

// Records a request for a readout in a window (1-6) and places it; six at most.
BOOLEAN U_INFO_bDisplayInInfoBox(FOURCHARID fcidItemToBeDisplayed, U32 u32Desired_window);
// Places a readout in the first free slot "SIS1"-"SIS6" from the window on.
BOOLEAN U_INFO_bSelectBox(FOURCHARID fcidItemToBeDisplayed, U32 u32Desired_window);
// Places every recorded request again, in recording order.
void U_INFO_vReinitializeInfoBoxes(void);

BOOLEAN T_INFO_bBlinkState(void);
U8 T_INFO_u8ConvertAlphaVector(U32 u32AlphaVector);
void T_INFO_vSetAlpha(U32 u32AlphaVector);
BOOLEAN T_INFO_bFCIDNonZero(FOURCHARID fcid);
BOOLEAN T_INFO_bFCIDIsValidSelection(FOURCHARID fcid);
BOOLEAN T_INFO_bIsMssView(void);
BOOLEAN T_INFO_bIsMssSplit(void);

// ---- Formatting ----

// The value and unit texts of a key in the user's units and formats; the
// total width in pixels, 0 (nothing touched) for a key that does not exist.
// sValue has room for 20 bytes; the text is at most 15 characters.
S32 T_INFO_nInfoStrings(char* sValue, const char** psUnits, BOOLEAN* pbDataValid, S32 nMinWidth, FOURCHARID fcid,
                        const FONT_DEF* pValueFont, const FONT_DEF* pUnitsFont, const FONT_DEF* pTenthsFont,
                        DIGITS_FORMAT eDigitsFormat, U32 nLang, S32 nValueStringSize, S32* pnValueWidth,
                        S32* pnUnitsWidth);
void T_INFO_vFormatTimeAscii(time_t nTime, BOOLEAN bIncludeSeconds, BOOLEAN bIncludeAMPM, char* sTime, char* sDate,
                             BOOLEAN* pbBlinkStateOn, BOOLEAN bForceUnicode);
void T_INFO_vFormatTime(time_t nTime, BOOLEAN bIncludeSeconds, BOOLEAN bIncludeAMPM, char* sTime, char* sDate,
                        BOOLEAN* pbBlinkStateOn);
void T_INFO_vFormatDistance(double dDistance, UNIT_TYPE* punits, char* sValue);
void T_INFO_vFormatDepth(double dDistance, UNIT_TYPE units, char* sValue, BOOLEAN bNoTenths);
BOOLEAN T_INFO_pSplitTenths(char* pSource, char* pInteger, char** ppTenths, BOOLEAN bKeepDecimal);
void T_INFO_vGetData(FOURCHARID fcid, BOOLEAN* pbDataValid, char* psValue, char* psUnits, const FONT_DEF* pValueFont,
                     const FONT_DEF* pUnitFont, U32 nLang);
S32 T_INFO_nMeasureInfoBox(S32 nMinWidth, FOURCHARID fcid, const FONT_DEF* pValueFont, const FONT_DEF* pUnitsFont,
                           INFO_BOX_STYLE eBoxStyle, U32 nLang);
S32 T_INFO_nMeasureDigitsInfoBox(S32 nMinWidth, FOURCHARID fcid, const FONT_DEF* pValueFont,
                                 const FONT_DEF* pUnitsFont, const FONT_DEF* pTenthsFont, DIGITS_FORMAT eForceFormat,
                                 INFO_BOX_STYLE eBoxStyle, U32 nLang);

// ---- Box drawing ----
//
// Positions are the bitmap's (y upwards); a negative x counts from the right
// edge, a negative y from the top. A box's anchor is its lower-left corner.

void T_INFO_vDrawInfoBar(BITMAP* pBitmap, S32 nBoxWidth, S32 nHeight, S32 nXPosition, S32 nYPosition,
                         INFO_BOX_STYLE eBoxStyle);
void T_INFO_vDrawText(BITMAP* pBitmap, S32 nXPosition, S32 nYPosition, const TEXT_TABLE* pString,
                      const FONT_DEF* pFont, U32 nLang);
void T_INFO_vDrawInfoTitleText(BITMAP* pBitmap, S32 nXPosition, S32 nYPosition, const TEXT_TABLE* pString,
                               const FONT_DEF* pFont, U32 nLang);
void T_INFO_vDrawTextRight(BITMAP* pBitmap, S32 nXPosition, S32 nYPosition, const TEXT_TABLE* pString,
                           const FONT_DEF* pFont, U32 nLang);
void T_INFO_vDrawInfoBoxTitle(BITMAP* pBitmap, POINT* ppt, FOURCHARID fcid, const FONT_DEF* pUnitsFont, U32 nLang);
// The box of a data key; its width, 0 (nothing drawn) for a key that does not exist.
S32 T_INFO_nDrawDigitsInfoBox(BITMAP* pBitmap, S32 nMinWidth, S32 nHeight, S32 nXPosition, S32 nYPosition,
                              FOURCHARID fcid, const FONT_DEF* pValueFont, const FONT_DEF* pUnitsFont,
                              const FONT_DEF* pTenthsFont, DIGITS_FORMAT eForceFormat, INFO_BOX_STYLE eBoxStyle,
                              INFO_JUSTIFICATION eJustification, U32 nLang);
S32 T_INFO_nDrawInfoBox(BITMAP* pBitmap, S32 nMinWidth, S32 nHeight, S32 nXPosition, S32 nYPosition,
                        FOURCHARID fcid, const FONT_DEF* pValueFont, const FONT_DEF* pUnitsFont,
                        INFO_BOX_STYLE eBoxStyle, INFO_JUSTIFICATION eJustification, U32 nLang);
// For boxes laid over a dark image: no background, white text, 46 high.
S32 T_INFO_nDrawBlackDigitsInfoBox(BITMAP* pBitmap, S32 nMinWidth, S32 nXPosition, S32 nYPosition,
                                   FOURCHARID fcid, const FONT_DEF* pValueFont, const FONT_DEF* pUnitsFont,
                                   const FONT_DEF* pTenthsFont, U32 nLang);
void T_INFO_vDisplayStevrinSpeedBoxIcons(BITMAP* pBitmap, POINT* tpPointPos);
