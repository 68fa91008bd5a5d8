// STAND-INS for what the navigation update, the boat simulation, track
// recording and man overboard need of modules not built yet: the
// groups, the track editors, the AIS target pool, the
// trolling-motor link's queries, the view tests of the cursor items, the
// radar and chart redraw calls and the info task's time formatter.
//
// Each keeps the name and arguments of the real call so that the callers do
// not change when the real module replaces it; delete the stand-in then.
// The recorders keep what they were given for the tests to read; every
// recorder is safe to call from any thread.
#pragma once

#include "nmea/t_nmea_ais_standin.h"

#include "chart_sdk/graphics/gr_rotate.h"
#include "graphics/g_icon.h"
#include "kernel/l_mbox.h"
#include "kernel/l_types.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/core/t_nav_views.h" // UNKNOWN_VIEW
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_init.h"
#include "nav/data/t_nav_record.h"
#include "store/lang.h"
#include "ui/t_info.h" // T_INFO_vFormatTimeAscii
#include "ui/u_view.h"

#include <ctime>
#include <string>
#include <vector>

// Forgets every recorded call of every recorder in this file.
void NAV_STANDIN_vForget(void);

// ---- Groups (in memory) ----
// The default group is the group tree's (nav/data/t_nav_group_data.h).

// The unit id is the group start-up's (nav/data/t_nav_group_init.h).
// Linking into groups is the group tree's (nav/data/t_nav_group_link.h).

// ---- Editors (counted) ----

void T_NAV_EDIT_vCurrentTrackAppearanceSetup(void);
void T_NAV_EDIT_vTrackDefaultsSetup(void);
U32 NAV_STANDIN_u32AppearanceEditorOpened(void);
U32 NAV_STANDIN_u32TrackDefaultsEditorOpened(void);

// ---- The AIS target pool (scriptable) ----

// The pool itself is the NMEA task's stand-in (nmea/t_nmea_ais_standin.h).
// Replaces the pool.
void NAV_STANDIN_vSetAisTargets(const std::vector<ais_DeviceInfo>& targets);
U32 NAV_STANDIN_u32AisTargetCount(void);


// ---- Trolling-motor link queries (all zero unless a test sets them) ----

BOOLEAN T_STEVRIN_bIsNavigationPaused(void);
// TRUE while the motor navigates along a track (scriptable, FALSE).
BOOLEAN U_NAV_STEVRIN_bIsRumbrelNavActive(void);
// The name of the motor's active target, 12 characters at most
// (scriptable, empty); the waypoint last saved as a position-hold point
// (scriptable, 0xFFFF).
void T_STEVRIN_vGetActiveStr(char* pacStr);
U16 T_STEVRIN_u16GetStayvaneIndex(void);
void NAV_STANDIN_vSetStevrinQueries(BOOLEAN bPaused, BOOLEAN bRumbrelNav, const char* pcActive, U16 u16Stayvane);

// ---- The chart-info pages; the radar's info view ----

// Counted.
void T_NAV_INFO_vReset(void);
U32 NAV_STANDIN_u32ChartInfoResets(void);
// The view shows the radar's info boxes (scriptable, never).
BOOLEAN T_RADAR_bIsMyRadarInfoView(LAYER_ID view);
void NAV_STANDIN_vSetRadarInfoView(LAYER_ID view);
U32 T_STEVRIN_u32GetStevrinBearingDeg(void);
U32 T_STEVRIN_u32GetStevrinRemainDistFt(void);
void T_STEVRIN_vGetRumbrelCurrentPt(POINT* pOut);
void T_STEVRIN_vGetRumbrelTargetPt(POINT* pOut);
void T_STEVRIN_vGetRumbrelOriginPt(POINT* pOut);

// ---- Radar; chart redraw ----

BOOLEAN T_RADAR_bIsMyRadarView(LAYER_ID view, SPLIT_WINDOW_TYPE split); // never
void T_RADAR_vUpdateCursorPosition(void);
void T_CHART_vReRenderAll(void);
U32 NAV_STANDIN_u32ChartReRenders(void);

// ---- AIS neighbours (counted; otherwise nothing) ----
//
// The chart-info task's nearest-target entry and the radar view's AIS
// state.

void T_CHART_INFO_vAddNearestTargetVessel(void);
void T_RADAR_vSetAisConnected(U32 u32Connected);
typedef struct tag_NAV_STANDIN_AIS_CALLS {
    U32 u32NearestTargetVessel;
    U32 u32RadarAisConnected;
    U32 u32LastRadarAisConnected;
} NAV_STANDIN_AIS_CALLS;
NAV_STANDIN_AIS_CALLS NAV_STANDIN_tAisCalls(void);
void NAV_STANDIN_vForgetAisCalls(void);

// ---- The trolling-motor bridge's neighbours ----
//
// STAND-INS for what the trolling-motor command bridge needs until the
// lake-chart renderer, the trolling-motor link's mailers, the depth alarm's
// tones, the chart task's lake-chart path, the cursor and the text splitter
// of the navigation data are built. The link's client calls are
// the trolling/ stand-in's.

// The lake-chart library's contour following (scripted). A state is an
// opaque handle. Each DORRIMStevrinRequestTrack answers from a queue the
// test fills (an empty queue answers null); GetFTCTrack and
// GetFTCTrackDepths give what the state was made with. Every call records
// the path id in force and whether the caller held mutex 104.

typedef POINT FTC_POINT; // x longitude, y latitude, millionths of a degree
typedef struct tag_FTC_RGBQUAD {
    U8 rgbBlue;
    U8 rgbGreen;
    U8 rgbRed;
    U8 rgbReserved;
} FTC_RGBQUAD;

void* DORRIMStevrinRequestTrack(void* pState, S32 nOption, double dLongitude, double dLatitude, double dZero1,
                                double dZero2, double dOffsetMetres, S32 nOffsetLimit, S32 nZero, S32 nOne);
FTC_POINT* GetFTCTrack(void* pState, U32* pnCount);
S32* GetFTCTrackDepths(void* pState, U32* pnCount);
void DORRIMStevrinClear(void* pState);
// The open lake chart supports contour following (never, here).
BOOLEAN IsFTCCompatible(void);
void DORRIMStevrinEnableSelectedContourHighlight(void* pState, U32 u32Colour, S32 nEnable);
void DORRIMStevrinEnableSelectionImage(void* pState, const FTC_RGBQUAD* pColours, S32 nEnable, S32 nZero);

typedef struct tag_NAV_STANDIN_LAKE_TRACK {
    std::vector<FTC_POINT> points;
    std::vector<S32> depths; // tenths of a foot
    bool bPoints = true;     // false: GetFTCTrack answers null
    bool bDepths = true;     // false: GetFTCTrackDepths answers null
} NAV_STANDIN_LAKE_TRACK;

typedef enum tag_NAV_STANDIN_LAKE_ANSWER {
    LAKE_ANSWER_NEW,  // a new state with the track
    LAKE_ANSWER_NULL, // no state
    LAKE_ANSWER_SAME  // the state asked with
} NAV_STANDIN_LAKE_ANSWER;

// A live state as a pick would leave it.
void* NAV_STANDIN_pNewLakeState(const NAV_STANDIN_LAKE_TRACK& track);
void NAV_STANDIN_vQueueLakeAnswer(NAV_STANDIN_LAKE_ANSWER eAnswer, const NAV_STANDIN_LAKE_TRACK& track = {});

typedef struct tag_NAV_STANDIN_LAKE_CALL {
    std::string sCall; // "request", "track", "depths", "clear", "highlight", "selection"
    void* pState;
    S32 nOption;       // request
    double dLongitude; // request
    double dLatitude;
    double dOffset;
    S32 anArgs[5];     // request: nOffsetLimit, nZero, nOne; highlight: colour, enable;
                       // selection: enable, zero
    double adZero[2];  // request
    FTC_RGBQUAD aColours[2]; // selection
    void* pAnswer;     // request
    std::string sPath; // the path id in force
    bool bUnder104;    // the caller held mutex 104
} NAV_STANDIN_LAKE_CALL;

std::vector<NAV_STANDIN_LAKE_CALL> NAV_STANDIN_vLakeCalls(void);
bool NAV_STANDIN_bLakeStateLive(void* pState);
U32 NAV_STANDIN_u32LiveLakeStates(void);
// Calls that named a state that was never made or was already cleared.
U32 NAV_STANDIN_u32BadLakeUses(void);

// Forgets the lake-chart calls, answers and states (all cleared) and the
// path.
void NAV_STANDIN_vForgetStevrin(void);

// The chart task's lake-chart folder path id: the first 8 characters.
void T_CHART_vSetStevrinPath(const char* pcPathId);
std::string NAV_STANDIN_sStevrinPath(void);

// The link's mailers to the navigation task: NAV_STEVRIN_DATA_MSG
// (t_nav_stevrin.h) to mailbox 16 at mail priority 3. A track given to the
// vOnFTC* calls is passed on (a program-heap block the navigation task then
// owns); the others send new copies. Nothing is sent when no block is free
// (a passed-on track is then released).
void U_NAV_STEVRIN_vFollowContour_1(void);
void U_NAV_STEVRIN_vFollowContour_2(void);
void U_NAV_STEVRIN_vExtendFTC(void);
void U_NAV_STEVRIN_vReverseFTC(void);
void U_NAV_STEVRIN_vEndFTC(void);
void U_NAV_STEVRIN_vOnFTCStarted(RUMBREL* pFTCRumbrel);
void U_NAV_STEVRIN_vOnFTCExtended(RUMBREL* pFTCRumbrel);
void U_NAV_STEVRIN_vOnFTCNewOffset(RUMBREL* pFTCRumbrel);
void U_NAV_STEVRIN_vOnFTCReversed(RUMBREL* pFTCRumbrel);
void U_NAV_STEVRIN_vOnFTCEnded(void);
// eRumbrelType is a RUMBREL_TYPE.
void U_NAV_STEVRIN_vRumbrelNavStarted(const RUMBREL* pRumbrel, BOOLEAN bToStart, U16 nStartIndex, S32 eRumbrelType);
void U_NAV_STEVRIN_vRumbrelNavReversed(BOOLEAN bNewToStart, U16 nStartIndex);
void U_NAV_STEVRIN_vRumbrelNavEnded(void);
void U_NAV_STEVRIN_vRumbrelRecordingStarted(const POINT* pptStart);
void U_NAV_STEVRIN_vRumbrelRecordPoint(const POINT* pptRumbrel);
void U_NAV_STEVRIN_vRumbrelRecordingEnded(void);
void U_NAV_STEVRIN_vRumbrelRecordingSync(const RUMBREL* pRumbrel);
void U_NAV_STEVRIN_vDisplayAutopilotAdjustMenu(void);

// The depth alarm's two tone bursts.
extern const TONE_BURST g_tDepthAlarmTone;
extern const TONE_BURST g_tDepthAlarmReminderTone;


// The text splitter is the card exchange's (nav/data/t_nav_data_card.h).

// ---- The trolling-motor link's followed track; the 3D chart view ----
//
// STAND-INS for the link's end point of the followed track (scriptable) and
// for the 3D chart task's projection of the perspective painters: a plain
// pinhole camera standing nEyeOffsetMM behind the view centre and half that
// above the ground, looking forward level (the geometry of the highway
// view, in floating point), over a stack of view descriptions that a
// test sets with NAV_STANDIN_vSet3DView. The calls are counted.

void T_STEVRIN_vGetRumbrelEndPt(POINT* pOut);
void NAV_STANDIN_vSetRumbrelEndPt(POINT pt);

struct tag_NAV_VIEW_INFO;
typedef struct tag_T_CHART_3D_VIEW {
    S32 nEyeOffsetMM;
    S32 nPixelsPerMMM;
    POINT CenterOffset;
    GP_ROTCONTEXT RotContext;
} T_CHART_3D_VIEW;

// Mask 8 right edge, 4 left edge, 18 near edge, 0 horizon, 127 all four.
BOOLEAN T_CHART_3D_bIn3DView(const POINT* pptRelative, U32 u32Mask, struct tag_NAV_VIEW_INFO* pNVI);
BOOLEAN T_CHART_3D_bClipLineTo3DView(POINT* p0, POINT* p1, GP_ROTCONTEXT* pRot, struct tag_NAV_VIEW_INFO* pNVI);
void T_CHART_3D_vProjectPoint(POINT* pt, S32 nAltitude, POINT* ptOffsetCenterMM, POINT* ptDataOrigin, void* pDisplay);
// A copy of the view on top of the stack, for the caller to change.
T_CHART_3D_VIEW* T_CHART_3D_pPush3DView(void);
void T_CHART_3D_vUpdate3DView(void);
// Drops the top copy; the bottom view is never dropped.
T_CHART_3D_VIEW* T_CHART_3D_pPop3DView(void);
// The highway view's eye offset (1600 metres at scale 18, doubling with
// each step) and scale (2^(36 - scale) pixels per 2^20 metres) of a chart
// scale: the ground at the view centre lies 200 pixels below the horizon.
S32 T_CHART_nCalculateHighwayEyeOffsetMM(S32 nChartScale);
S32 T_CHART_nCalculateHighwayPixelsPerMMM(S32 nChartScale);
void T_CHART_vSetVuruzaveHighwayViewCustomColor(U32 u32Index);

void NAV_STANDIN_vSet3DView(S32 nEyeOffsetMM, S32 nPixelsPerMMM, POINT CenterOffset, const GP_ROTCONTEXT* pRot);
typedef struct tag_NAV_STANDIN_3D_CALLS {
    U32 u32Pushes;
    U32 u32Pops;
    U32 u32Updates;
    U32 u32Projections;
    U32 u32CustomColor; // last set
    S32 nDepth;         // copies on the stack now
    S32 nEyeOffsetAtLastProjection;
} NAV_STANDIN_3D_CALLS;
NAV_STANDIN_3D_CALLS NAV_STANDIN_t3DCalls(void);
