// STAND-INS for the navigation task's view and key bookkeeping that the
// change handler calls before the modules owning them are built: the
// pilot-book pane, the group manager's share of a change, and the
// trolling-motor link's contour text.
//
// Each keeps the name and arguments of the real call; delete the stand-in
// when the real module arrives. Every call is recorded as a line of text
// for the tests to read; the recorder is safe from any thread.
#pragma once

#include "kernel/l_types.h"
#include "store/database_msg.h"
#include "store/lang.h"
#include "ui/u_view.h"
// The real menus and cursor items that replaced stand-ins of this file.
#include "nav/core/t_nav_cursor_items.h"
#include "nav/core/t_nav_menus_chart.h"
#include "nav/core/t_nav_snapshot.h"
#include "nav/core/t_nav_wipe.h"

#include <string>
#include <vector>

// The pilot-book viewer's pane: draws nothing until the viewer is built.
void T_HTML_vDrawHtmlView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

// The group manager's share of a change mail: "group <key>".
void T_NAV_GROUP_vHandleNewData(const MESSAGE_NEW_DATA* pMessage);
// "contour <text>"
void U_STEVRIN_vUpdateContourStr(const char* pcText);

std::vector<std::string> NAV_NEWDATA_STANDIN_vCalls(void);
void NAV_NEWDATA_STANDIN_vForget(void);
