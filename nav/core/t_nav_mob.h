// Man overboard and the navigation module's small services: starting,
// stopping and querying man-overboard navigation, the AIS sub-menu added
// when AIS data first arrives, the removal of the snapshot preview, and
// the full-screen busy notice shown during long operations on navigation
// data.
//
// Man overboard changes the navigation state under RES_NAV_DATA. The busy
// calls run in the navigation task, which sleeps a second after showing
// the notice so that it is on screen before the long work starts. The
// preview is removed from the view-key task.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "store/h_profile.h"
#include "store/lang.h"
#include "ui/u_view.h"

#include <atomic>

// Constants ---------------------------------------------------------------

constexpr LAYER_ID SNAPSHOT_PREVIEW_LAYER = 298;
constexpr LAYER_ID NOTE_LAYER = 302;
constexpr TICKS NAV_BUSY_NOTICE_SETTLE_MS = 1000;

constexpr MENU_PRIORITY MENU_AIS = (MENU_PRIORITY)651;
constexpr MENU_PRIORITY MENU_AIS_TRACK_OPTION = (MENU_PRIORITY)652;
constexpr MENU_PRIORITY MENU_AIS_CPA_LIMIT = (MENU_PRIORITY)653;
constexpr MENU_PRIORITY MENU_AIS_TARGET_LIST = (MENU_PRIORITY)654;
constexpr MENU_PRIORITY MENU_AIS_COURSE_LINE = (MENU_PRIORITY)655;
constexpr MENU_PRIORITY MENU_AIS_LABEL_OPTION = (MENU_PRIORITY)656;

// Texts -------------------------------------------------------------------

extern TEXT_TABLE MOB_Navigation_Started;
extern TEXT_TABLE Processing_Data_Notice;
extern TEXT_TABLE AIS_Menu;
extern TEXT_TABLE AIS_Tracking_Target;
extern TEXT_TABLE AIS_CPA_Limits;
extern TEXT_TABLE AIS_Target_List;
extern TEXT_TABLE AIS_Target_Course_Line;
extern TEXT_TABLE AIS_MMSI_Label;

// State -------------------------------------------------------------------

extern BOOLEAN s_bProcessingData;     // the busy notice is up
extern BOOLEAN s_bOnMarkedWaypoint;   // the user marked a waypoint
extern BOOLEAN s_bAISMenusRegistered; // the AIS sub-menu exists
// The snapshot preview in SNAPSHOT_PREVIEW_LAYER and the full-screen image
// it shows (its header and display buffer are freed with the preview). The
// image is set, drawn and taken under RES_NAV_DATA; the flag is also read
// without it by the key handling.
extern std::atomic<BOOLEAN> s_bSnapshotPreviewImage;
extern BITMAP* s_pSnapshotPreviewImage;

// Man overboard -------------------------------------------------------------

// Ends any navigation at once, makes the waypoint the target and navigates
// to it; the chart view comes up with the note "MOB navigation started".
void T_NAV_vInitiateMOB(U16 u16MOBIndex);
// Ends navigation at once, removes the target and forgets the waypoint,
// also when no man overboard is active.
void T_NAV_vStopMOB(void);
BOOLEAN T_NAV_bIsMOBInProgress(void);
U16 T_NAV_u16GetMOBWaypoint(void);

// Services --------------------------------------------------------------------

// The AIS sub-menu in the "Accessories" tab; the NMEA parser calls it once,
// on the first AIS sentence.
void T_NAV_vSetupAISMenuItems(void);
// Removes the snapshot preview; nothing when none is shown. Any task
// (t_nav_snapshot.cpp).
void T_NAV_vUnRegisterSnapshotPreviewLayer(void);
void T_NAV_vOnMarkedWaypoint(BOOLEAN bMarked);
BOOLEAN T_NAV_bIsBusyNotice(void);
void T_NAV_vSetBusyNotice(BOOLEAN bNotice);
void T_NAV_vStartBusy(void);
void T_NAV_vStopBusy(void);
void T_NAV_vRefreshBusy(void);
// The busy notice's painter (view task).
void T_NAV_vBusyNoticeDisplay(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
