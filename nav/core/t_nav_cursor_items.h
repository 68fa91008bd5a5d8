// The chart cursor's hot items and what they act on: the routes through
// the waypoint under the cursor, the last created waypoint, "Cursor To",
// the waypoint and the trolling-motor track under the cursor, the cursor
// keys, the info key, marking, the map offset and the move and copy of a
// track.
//
// Actions run in the menu task or the navigation task and acknowledge with
// the good (102) or bad (103) key click. Changes to the waypoint, route
// and track tables are made under RES_NAV_DATA (mutex 9).
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "nav/data/t_nav_twr_sort.h" // ST_POINT_TYPE_INDEX
#include "store/lang.h"
#include "ui/u_menu_client.h"
#include "ui/u_view.h"

constexpr MENU_PRIORITY MENU_MARK = (MENU_PRIORITY)29;
constexpr MENU_PRIORITY MENU_CURSOR_WAYPOINT = (MENU_PRIORITY)68;
constexpr MENU_PRIORITY MENU_LAST_CREATED_WYPT = (MENU_PRIORITY)109;
constexpr MENU_PRIORITY MENU_CURSORED_ROUTE_0 = (MENU_PRIORITY)110; // slot i is 110 + i
constexpr MENU_PRIORITY MENU_MAP_OFFSET = (MENU_PRIORITY)231;
constexpr MENU_PRIORITY MENU_MOVECOPY_RUMBREL_DIRECTION = (MENU_PRIORITY)1;
constexpr MENU_PRIORITY MENU_MOVECOPY_RUMBREL_DISTANCE = (MENU_PRIORITY)2;
constexpr MENU_PRIORITY MENU_COPY_RUMBREL = (MENU_PRIORITY)3;
constexpr MENU_PRIORITY MENU_MOVE_RUMBREL = (MENU_PRIORITY)3;
constexpr U32 NAV_STAYVANE_ICON = 71; // a position-hold point never offers "Stayvane"
constexpr U32 NAV_CURSOR_KEY_MASK = 0x270;

// Menus know items by the address of their text.
extern TEXT_TABLE Cursor_To_Menu;          // "Cursor To"
extern TEXT_TABLE Cursor_To_Waypoint_Menu; // "Cursor To Waypoint"
extern TEXT_TABLE Waypoint_Menu;           // "Waypoint", the last created waypoint
extern TEXT_TABLE Cursor_Waypoint_Menu;    // "Waypoint", the waypoint under the cursor
extern TEXT_TABLE Rumbrel_Menu;            // "Rumbrel", the track under the cursor
extern TEXT_TABLE Set_Map_Offset;
extern TEXT_TABLE Clear_Map_Offset;
extern TEXT_TABLE Copy_Rumbrel_Menu; // "Copy Rumbrel"
extern TEXT_TABLE Move_Rumbrel_Menu; // "Move Rumbrel"

extern BOOLEAN s_bLastWaypointMenuCreated;
extern BOOLEAN s_bKeysRegistered;

// ---- Routes under the cursor (slots 0-4, keys "IRT0"-"IRT4") ----

void T_NAV_vRegister_Routes_Under_Cursor_Menu(LAYER_ID view, SPLIT_WINDOW_TYPE split, S32 nSlot, U32 u32Route);
// nSlot negative: every slot. The key gets -1.
void T_NAV_vUnregister_Routes_Under_Cursor_Menu(LAYER_ID view, SPLIT_WINDOW_TYPE split, S32 nSlot);
void T_NAV_vDeleteCursoredRoute(U32 u32Index);
void T_NAV_vDeleteCursoredRoute0(void);
void T_NAV_vDeleteCursoredRoute1(void);
void T_NAV_vDeleteCursoredRoute2(void);
void T_NAV_vDeleteCursoredRoute3(void);
void T_NAV_vDeleteCursoredRoute4(void);
// The route items of the waypoint under the cursor made again in the
// cursor's pane.
void T_NAV_vRebuildRoutesUnderCursor(void);

// ---- Last created waypoint, "Cursor To" ----

void T_NAV_vRegister_Last_Waypoint_Menu(void);
void T_NAV_vUnregister_Last_Waypoint_Menu(void);
void T_NAV_vUpdateCursorToWaypointMenuRegistration(void);
void T_NAV_vUnregister_CursorTo_Waypoint_Menu(void);
BOOLEAN T_NAV_bCursorToWaypointMenuCreated(void);

// ---- The cursor ----

// Takes the zoom, info and cursor keys while the pane carries navigation,
// releases them otherwise; -3 stands for the current view or pane.
void T_NAV_vCheckKeyRegistration(S32 s32View, S32 s32Split);
U16 T_NAV_nCursorRumbrel(void);
void T_NAV_vUpdateCursorWaypoint(U32 u32Id);
void T_NAV_vUpdateCursorRumbrel(U32 u32Id);
void T_NAV_vCursorToWaypoint(U32 u32Id);
void T_NAV_vCursorToTWRPoint(const ST_POINT_TYPE_INDEX* pPoint);
U16 T_NAV_nNearByCursorRumbrel(void);
void T_NAV_vHandleInfo(void);

// ---- Waypoint and track actions ----

void T_NAV_vEditCursorWaypoint(void);
void T_NAV_vDeleteCursorWaypoint(void);
void T_NAV_vDeleteLastWaypoint(void);
void T_NAV_vDeleteCursorRumbrel(void);
void T_NAV_vMoveCursorRumbrel(void);
void T_NAV_vCopyCursorRumbrel(void);
void T_NAV_vResetMoveCopyRumbrel(void);
// A mark at the cursor or the boat (the general mark of the marks module).
void T_NAV_vHandleNamedMarkWithIcon(const char* sWaypointName, U8 u8Icon);
// Both leave "Set Map Offset" or "Clear Map Offset" on the Chart tab by the
// offset in use (T_NAV_vRegisterSetOrClearMapOffsetMenuItem).
void T_NAV_vSetMapOffset(void);
void T_NAV_vClearMapOffset(void);

// ---- Commands on the route, waypoint and track under the cursor ----

void T_NAV_vEditCursoredRoute(U32 n);
void T_NAV_vEditCursoredRoute0(void);
void T_NAV_vEditCursoredRoute1(void);
void T_NAV_vEditCursoredRoute2(void);
void T_NAV_vEditCursoredRoute3(void);
void T_NAV_vEditCursoredRoute4(void);
void T_NAV_vEditLastSavedRoute(void);
void T_NAV_vEditLastWaypoint(void);
void T_NAV_vSelectWaypointToCursorTo(void);
void T_NAV_vSelectTWRPointToCursorTo(void);
void T_NAV_vEditCursorRumbrel(void);
void T_NAV_vNavigateToCursorRumbrel(BOOLEAN bStart);
void T_NAV_vNavigateToStartCursorRumbrel(void);
void T_NAV_vNavigateToEndCursorRumbrel(void);
void T_NAV_vGoToCursorRumbrel_NavToStart(void);
void T_NAV_vGoToCursorRumbrel_NavToEnd(void);
void T_NAV_vShowCopyCursorRumbrelMenu(void);
void T_NAV_vShowMoveCursorRumbrelMenu(void);

// Every flag of the cursor items as at power-up.
void T_NAV_CURSOR_vReset(void);
