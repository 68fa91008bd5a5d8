// The navigation task's side of the trolling-motor link: the requests and
// notifications the link and the contour-following menus mail to mailbox 16
// (command word CMD_ID_NAV_STEVRIN), the trolling-motor track the motor
// follows or records as the chart shows it, contour following over the
// lake chart, its minimum-depth alarm and the heading-adjust menu.
//
// Ownership: every pData block of a mail belongs to the navigation side
// once the mail is executed; it is released when handled, used or not. A
// track an event hands over becomes the held track of s_tNavRumbrelData
// and is released when that state is cleared. Tracks of more than 352
// points are refused wherever they come in.
//
// Locks: RES_NAV_DATA (9) guards s_tNavRumbrelData, s_tContourRumbrel and
// the waypoint changes made here; RES_DORRIM_QUELLMARIMAGE (104) guards the
// lake-chart library's contour states and the pick (s_pContourAddr,
// s_tFTCData.pStevrinStructAddr, the two folder paths, s_bInGoToContourMenu,
// s_bChartRefreshReqd). The chart task renders with 104 and then its
// overlay takes 9, so wherever both are held 104 comes first; a handler
// that holds 9 and must end contour following lets 9 go before it takes
// 104. Both are nestable by their owner. Every call into the lake-chart
// library is made with 104 held and preceded by T_CHART_vSetStevrinPath.
//
// Threads: the mail handlers and T_NAV_STEVRIN_bFollowContour run in the
// navigation task; T_NAV_vHandleGoTo_ShowFollowContour, T_NAV_vClearContour
// and the heading menu's callbacks in the menu task; the alarm's key
// actions in the alarm task.
#pragma once

#include "nav/core/neighbour_standins.h"

#include "kernel/l_mbox.h"
#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"
#include "store/h_profile.h"
#include "store/lang.h"

#include <atomic>

// Constants ---------------------------------------------------------------

constexpr MUTEX RES_DORRIM_QUELLMARIMAGE = 104;

constexpr U32 FTC_PICK_TEXT_CHARS = 32;
constexpr U32 FTC_PATH_CHARS = 8;          // a lake-chart folder path id
constexpr U32 STEVRIN_CONTOUR_MODE = 9;    // "IPMD" while the motor follows a contour
constexpr U32 NAV_STEVRIN_NOT_INDEXED = 0xFFFF; // u32ClosestTP of a recording
constexpr S32 FTC_MIN_DEPTH_TENTHS_FT = 50;     // shallower paths raise the alarm
constexpr U32 FTC_TRACK_STYLE = 1;
constexpr U32 FTC_TRACK_COLOR = 19;
constexpr U32 RECORDING_TRACK_COLOR = 17;

constexpr MENU_PRIORITY MENU_RUMBREL_NAV_TO_START = (MENU_PRIORITY)603;
constexpr MENU_PRIORITY MENU_FOLLOW_CONTOUR = (MENU_PRIORITY)688;
constexpr MENU_PRIORITY MENU_CONTOUR_OFFSET = (MENU_PRIORITY)689;

// Types -------------------------------------------------------------------

typedef enum tag_NAV_STEVRIN_CMD : int {
    NAV_STEVRIN_FTC = 1,     // follow the contour
    NAV_STEVRIN_RUMBREL = 2, // track navigation and recording events
    NAV_STEVRIN_MENU = 3
} NAV_STEVRIN_CMD;

typedef enum tag_NAV_ST_FTC_CMD : int {
    NAV_ST_FTC_START_1 = 1, // "Navigate to Start"
    NAV_ST_FTC_START_2 = 2, // "Navigate to End"
    NAV_ST_FTC_EXTEND = 3,
    NAV_ST_FTC_REVERSE = 4,
    NAV_ST_FTC_OFFSET = 5, // offsets arrive through "IPOT" instead
    NAV_ST_FTC_END = 6,
    NAV_ST_FTC_NOTIFY_START = 7, // pData: the RUMBREL the motor follows
    NAV_ST_FTC_NOTIFY_EXTEND = 8,
    NAV_ST_FTC_NOTIFY_NEW_OFFSET = 9,
    NAV_ST_FTC_NOTIFY_REVERSE = 10,
    NAV_ST_FTC_NOTIFY_END = 11
} NAV_ST_FTC_CMD;

typedef enum tag_NAV_ST_RUMBREL_CMD : int {
    NAV_ST_RUMBREL_NAV_STARTED = 0,    // RUMBREL_NAV_START_MSG with the track
    NAV_ST_RUMBREL_NAV_REVERSED = 1,   // RUMBREL_NAV_START_MSG without a track
    NAV_ST_RUMBREL_NAV_ENDED = 2,
    NAV_ST_RUMBREL_REC_STARTED = 3,    // POINT: the first recorded point
    NAV_ST_RUMBREL_REC_ADD_POINT = 4,  // POINT
    NAV_ST_RUMBREL_REC_ENDED = 5,
    NAV_ST_RUMBREL_REC_SYNC = 6        // RUMBREL_NAV_START_MSG, the recording so far
} NAV_ST_RUMBREL_CMD;

typedef enum tag_NAV_ST_MENU_CMD : int {
    NAV_ST_MENU_SHOW_AP_OFFSET = 0
} NAV_ST_MENU_CMD;

// CMD_ID_NAV_STEVRIN.
typedef struct tag_NAV_STEVRIN_DATA_MSG {
    GENERIC_MESSAGE header;
    S32 eStCmd;    // NAV_STEVRIN_CMD
    S32 eStSubCmd; // the sub-command enumeration of eStCmd
    void* pData;   // a program-heap block or null
} NAV_STEVRIN_DATA_MSG;

typedef enum tag_RUMBREL_TYPE : int {
    RUMBREL_TYPE_REGULAR = 1,
    RUMBREL_TYPE_BACKTRACK = 2,
    RUMBREL_TYPE_FTC = 3,
    RUMBREL_TYPE_RECORDING = 4
} RUMBREL_TYPE;

typedef struct tag_RUMBREL_NAV_START_MSG {
    RUMBREL* pRumbrel; // a program-heap copy made by the link, or null
    BOOLEAN bToStart;  // the motor heads for the track's start
    U16 nClosestTP;    // where navigation joins the track
    RUMBREL_TYPE eRumbrelType;
} RUMBREL_NAV_START_MSG;

// The track the motor follows or records, as the chart draws it.
typedef struct tag_ST_NAV_RUMBREL_DATA {
    RUMBREL* pRumbrel; // held, program heap; null when none
    BOOLEAN bToStart;
    U16 u16wpt;        // start of the approach line; 0xFFFF none
    U32 u32ClosestTP;  // below pRumbrel->nCount, 0 for an empty track; 0xFFFF while recording
    RUMBREL_TYPE eRumbrelType;
    BOOLEAN bValidBoatPos;
    POINT ptBoatAtFTCSegStart; // where the current contour segment began
} ST_NAV_RUMBREL_DATA;

// The contour being followed.
typedef struct tag_FTCDATA_STRUCT {
    char achPickText[FTC_PICK_TEXT_CHARS]; // sent to the motor as the track's name
    S32 nPickDepthActual;                  // whole feet
    float fCtrOffsetInMeters;              // as the user set it, either sign
    S32 nOffsetSign;                       // the deeper side of the direction; each reversal negates it
    void* pStevrinStructAddr;              // the library state followed; null when none
    FTC_POINT astCtrPoints[RUMBREL_MAX_POINTS]; // sent to the motor, in its order
    S32 nCtrPoints;
    BOOLEAN bInitiatedByMe;  // this unit started the following
    BOOLEAN bReverseFTCData; // astCtrPoints hold the library's points last-first
} FTCDATA_STRUCT;

// State --------------------------------------------------------------------

extern ST_NAV_RUMBREL_DATA s_tNavRumbrelData; // RES_NAV_DATA
extern FTCDATA_STRUCT s_tFTCData;
// The followed contour as a track in Mercator metres, in the library's
// order; drawn while u32Visible is set. RES_NAV_DATA.
extern RUMBREL s_tContourRumbrel;

// The pick the cursor's Go-To action made (RES_DORRIM_QUELLMARIMAGE).
extern void* s_pContourAddr;
extern char s_achPickText[FTC_PICK_TEXT_CHARS];
extern S32 s_nPickDepthActual;
extern S32 s_anAzimuthFromStart[2]; // degrees, the two directions along the contour
extern S32 s_anDeeperFlag[2];       // +1 or -1: the deeper side of each direction
extern char sMapfoldStevrinPath[FTC_PATH_CHARS];         // folder of the pick
extern char sMapfoldStevrinPathSelected[FTC_PATH_CHARS]; // folder of the followed contour
extern BOOLEAN s_bInGoToContourMenu;
extern BOOLEAN s_bChartRefreshReqd; // the pick's directions are on the chart

// Seconds until an offset change goes to the motor; -1 idle (navigation
// task).
extern S32 s_nOffsetRumbrelTimeout;
// The boat painter draws the proposed heading "IPAO" while set.
extern std::atomic<BOOLEAN> s_bDisplayAPNewHeadingLine;

// Menus know these by their address.
extern TEXT_TABLE Follow_the_Contour;
extern TEXT_TABLE Navigate_Rumbrel;

// Mails --------------------------------------------------------------------

// Executes one CMD_ID_NAV_STEVRIN mail and releases its pData; the caller
// releases the mail. Unknown commands change nothing.
void T_NAV_STEVRIN_vExecuteStevrinCmd(NAV_STEVRIN_DATA_MSG* pMessage);
void T_NAV_STEVRIN_vExecuteFTCCmd(S32 eSubCmd, void* pData);
void T_NAV_STEVRIN_vExecuteRumbrelCmd(S32 eSubCmd, void* pData);
void T_NAV_STEVRIN_vExecuteMenuCmd(S32 eSubCmd);

// Contour following ----------------------------------------------------------

// Makes a new library state from pStevrinCntrAddr (the pick or the state
// followed) the followed contour: options 1 and 2 start in one of the two
// directions, 3 extends from the point after the motor's target, 4
// reverses, 5 applies a new offset (metres, with its sign), 6 extends from
// the track point nearest to the origin. The caller holds
// RES_DORRIM_QUELLMARIMAGE. On success the state it was made from is
// released. FALSE leaves the followed contour and the pick as they were;
// s_nOffsetRumbrelTimeout is -1 afterwards in every case.
BOOLEAN T_NAV_STEVRIN_bFollowContour(void* pStevrinCntrAddr, S32 nOptionSelected, float fCountourOffset);
void T_NAV_STEVRIN_vFollowContour_1(void);
void T_NAV_STEVRIN_vFollowContour_2(void);
void T_NAV_STEVRIN_vExtendFTC(void);
void T_NAV_STEVRIN_vReverseFTC(void);
void T_NAV_STEVRIN_vEndFTC(void);
// The motor's notifications 7-11; pRumbrel is handed over (7-10).
void T_NAV_STEVRIN_vOnFTCNotify(RUMBREL* pRumbrel, S32 eSubCmd);
// Raises the minimum-depth alarm when a depth along the state's track is
// below 5 feet, clears it otherwise.
void T_NAV_STEVRIN_vCheckForMinDepth(void* pStevrinState);

// "Follow the Contour" of the cursor's Go-To menu (menu task).
void T_NAV_vHandleGoTo_ShowFollowContour(void);
// Exit of the Go-To and "Follow the Contour" menus: drops the pick.
void T_NAV_vClearContour(void);

// The minimum-depth alarm and its "No" / "Yes" key actions (alarm task).
void T_NAV_STEVRIN_vPlayWaterDepthAlarmSound(BOOLEAN bAlarmOn);
void T_NAV_STEVRIN_vCancelFTCNavReqFromUser(void);
void T_NAV_STEVRIN_vContinueFTCNavReqFromUser(void);

// The heading-adjust menu's confirm action and exit (menu task).
void T_NAV_STEVRIN_vOnSetNewAPHeading(void);
void T_NAV_STEVRIN_vOnNewAPHeadingMenuExit(void);

// The held track ------------------------------------------------------------

// Releases the held track and deletes its start waypoint when that is a
// temporary one; takes RES_NAV_DATA.
void T_NAV_STEVRIN_vClearNavRumbrelInfo(void);
// The own waypoint exactly at the position, else a new temporary one there;
// 0xFFFF when none could be made.
U16 T_NAV_STEVRIN_u16GetOrCreateWaypointIdAtPos(const POINT* ptPosMM);
// The same at the boat ("ILON", "ILAT"); 0xFFFF without a valid position.
U16 T_NAV_STEVRIN_u16GetOrCreateWaypointIdAtBoat(void);
// TRUE when stored trolling-motor track slot u32RumbrelId is the regular
// track the motor follows: same count, name and points.
BOOLEAN T_NAV_STEVRIN_bIsRumbrelUnderNavigation(U32 u32RumbrelId);
