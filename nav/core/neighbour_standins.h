// STAND-INS for what the navigation update, the boat simulation, track
// recording and man overboard need of modules not built yet: the
// navigation task's entry, arrival and cancel-MOB of the navigation
// control, the groups, the track editors, the AIS target pool, the
// trolling-motor link's queries, the view tests of the cursor items, the
// radar and chart redraw calls and the info task's time formatter.
//
// Each keeps the name and arguments of the real call so that the callers do
// not change when the real module replaces it; delete the stand-in then.
// The recorders keep what they were given for the tests to read; every
// recorder is safe to call from any thread.
#pragma once

#include "nmea/t_nmea_ais_standin.h"

#include "kernel/l_types.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_record.h"
#include "store/lang.h"
#include "ui/t_info.h" // T_INFO_vFormatTimeAscii
#include "ui/u_view.h"

#include <ctime>
#include <string>
#include <vector>

// ---- The navigation task (task 16) ----

// In states 4 and 6 it starts the simulation; in the normal-run state it
// brings the current track back from its log. Then it runs the update on
// every expiry of a 1000 ms timer on semaphore 81 and drains mailbox 16; a
// key the confirmation dialog does not use closes the track memory
// warning. It publishes "BHDG" = "IHDG".
void T_NAV_vMain(void);

// ---- Arrival and cancel-MOB of the navigation control ----

// Counts its calls and completes at once (pfnComplete, when not null).
void T_NAV_vOnArrival(NAV_COMPLETION_FN* pfnComplete);
U32 NAV_STANDIN_u32Arrivals(void);
void T_NAV_vCancelMOB(void);
// Forgets every recorded call of every recorder in this file.
void NAV_STANDIN_vForget(void);

// ---- Groups (in memory) ----
// The default group is the group tree's (nav/data/t_nav_group_data.h).

U16 T_NAV_GROUP_DATA_u16Getu7UnitID(void); // 64
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


// ---- Trolling-motor link queries (all zero) ----

BOOLEAN T_STEVRIN_bIsNavigationPaused(void);
U32 T_STEVRIN_u32GetStevrinBearingDeg(void);
U32 T_STEVRIN_u32GetStevrinRemainDistFt(void);
void T_STEVRIN_vGetRumbrelCurrentPt(POINT* pOut);
void T_STEVRIN_vGetRumbrelTargetPt(POINT* pOut);
void T_STEVRIN_vGetRumbrelOriginPt(POINT* pOut);

// ---- View tests of the cursor items; radar; chart redraw ----

// UNKNOWN_VIEW (-3) takes "CVEW".
constexpr LAYER_ID UNKNOWN_VIEW = -3;
BOOLEAN T_NAV_bIsMyChartView(LAYER_ID view);
BOOLEAN T_NAV_bIsMyBirdsEyeView(LAYER_ID view);
BOOLEAN T_RADAR_bIsMyRadarView(LAYER_ID view, SPLIT_WINDOW_TYPE split); // never
void T_RADAR_vUpdateCursorPosition(void);
void T_CHART_vReRenderAll(void);
U32 NAV_STANDIN_u32ChartReRenders(void);

