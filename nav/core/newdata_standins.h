// STAND-INS for the navigation task's view and key bookkeeping that the
// change handler calls before the modules owning them are built: the sonar
// view switches, the pilot-book pane, the key registration that follows a view or pane change,
// and the trolling-motor link's contour text.
//
// Each keeps the name and arguments of the real call; delete the stand-in
// when the real module arrives. Every call is recorded as a line of text
// for the tests to read; the recorder is safe from any thread.
#pragma once

#include "kernel/l_types.h"
#include "store/database_msg.h"
#include "store/lang.h"
#include "ui/u_view.h"

#include <string>
#include <vector>

// The pilot-book viewer's pane: draws nothing until the viewer is built.
void T_HTML_vDrawHtmlView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

// "advanced <enable> <value>"
void T_NAV_vEnableSonarAdvancedDisplays(BOOLEAN bEnable, U32 u32Value);
// "360 <enable>"
void T_NAV_vEnableSonar360Displays(BOOLEAN bEnable);
// The group manager's editor on the route "CLRT" names: "edit <route>".
void T_NAV_vEditLastSavedRoute(void);
// The chart cursor's menus. Menus know items by their text's address.
extern TEXT_TABLE Cursor_To_Menu; // "Cursor To"
extern TEXT_TABLE Waypoint_Menu;  // "Waypoint"
// "cursor-to": sets s_bCursorToWaypointMenuCreated (t_nav_newdata.h).
void T_NAV_vUpdateCursorToWaypointMenuRegistration(void);
// "last-waypoint"
void T_NAV_vRegister_Last_Waypoint_Menu(void);
// "cursor-waypoint <id>", "cursor-track <slot>"; they publish "ICWP" and
// "ICIT" as the real calls do.
void T_NAV_vUpdateCursorWaypoint(U16 u16Id);
void T_NAV_vUpdateCursorRumbrel(U16 u16Slot);
// The group manager's share of a change mail: "group <key>".
void T_NAV_GROUP_vHandleNewData(const MESSAGE_NEW_DATA* pMessage);
// Menu actions of the cursor's info menus and the Setup tab: "chart-info",
// "view-snapshot", "wipe-nav".
void T_NAV_vHandleInfo(void);
void T_NAV_vViewSnapshot(void);
void T_NAV_vWipeNav(void);
// "keys <view> <split>"; -3 stands for "unchanged".
void T_NAV_vCheckKeyRegistration(S32 s32View, S32 s32Split);
// "contour <text>"
void U_STEVRIN_vUpdateContourStr(const char* pcText);

std::vector<std::string> NAV_NEWDATA_STANDIN_vCalls(void);
void NAV_NEWDATA_STANDIN_vForget(void);
