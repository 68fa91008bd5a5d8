#include "nav/core/t_nav_menus.h"

#include "nav/core/newdata_standins.h"
#include "nav/core/t_nav_goto.h"
#include "nav/core/t_nav_route.h"

#include "ui/t_menu.h"
#include "ui/u_menu_client.h"

#define NAV_MENU_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE Waypoint_Info_Menu = NAV_MENU_TEXT("Waypoint Info");
TEXT_TABLE GoTo_Menu = NAV_MENU_TEXT("GoTo Menu");

namespace {

TEXT_TABLE Chart_Info = NAV_MENU_TEXT("Chart Info");
TEXT_TABLE View_Snapshot = NAV_MENU_TEXT("View Snapshot");
TEXT_TABLE Go_To_Point = NAV_MENU_TEXT("Go To Point");
TEXT_TABLE Forward_From_Point = NAV_MENU_TEXT("Forward from Point");
TEXT_TABLE Reverse_From_Point = NAV_MENU_TEXT("Reverse from Point");
TEXT_TABLE Travel_Forward = NAV_MENU_TEXT("Travel Forward");
TEXT_TABLE Travel_Reverse = NAV_MENU_TEXT("Travel Reverse");
TEXT_TABLE Format_Nav_Directories = NAV_MENU_TEXT("Format Nav Directories");
// One table per slot: an info menu knows its items by their text's address.
TEXT_TABLE Route_Slot0 = NAV_MENU_TEXT("Route");
TEXT_TABLE Route_Slot1 = NAV_MENU_TEXT("Route");
TEXT_TABLE Route_Slot2 = NAV_MENU_TEXT("Route");
TEXT_TABLE Route_Slot3 = NAV_MENU_TEXT("Route");
TEXT_TABLE Route_Slot4 = NAV_MENU_TEXT("Route");

const TEXT_TABLE* const s_apRouteSlots[NAV_GOTO_ROUTE_SLOTS] = {&Route_Slot0, &Route_Slot1, &Route_Slot2,
                                                                &Route_Slot3, &Route_Slot4};
const TEXT_TABLE* const s_apRouteChoices[] = {&Forward_From_Point, &Reverse_From_Point, &Travel_Forward,
                                              &Travel_Reverse};
MENU_ACTION_FUNC* const s_apfnRouteActions[NAV_GOTO_ROUTE_SLOTS][4] = {
    {T_NAV_vForwardFromPoint0, T_NAV_vReverseFromPoint0, T_NAV_vTravelForwardRoute0, T_NAV_vTravelReverseRoute0},
    {T_NAV_vForwardFromPoint1, T_NAV_vReverseFromPoint1, T_NAV_vTravelForwardRoute1, T_NAV_vTravelReverseRoute1},
    {T_NAV_vForwardFromPoint2, T_NAV_vReverseFromPoint2, T_NAV_vTravelForwardRoute2, T_NAV_vTravelReverseRoute2},
    {T_NAV_vForwardFromPoint3, T_NAV_vReverseFromPoint3, T_NAV_vTravelForwardRoute3, T_NAV_vTravelReverseRoute3},
    {T_NAV_vForwardFromPoint4, T_NAV_vReverseFromPoint4, T_NAV_vTravelForwardRoute4, T_NAV_vTravelReverseRoute4},
};

// "IRT0" to "IRT4": the routes under the cursor, slot by slot.
constexpr FOURCHARID fcidRouteSlot(U32 u32Slot) { return FCID("IRT0") + (u32Slot << 24); }

} // namespace

void T_NAV_vHandleRunSystem(void)
{
    U_MENU_bRegisterInfoMenu(&Waypoint_Info_Menu);
    U_MENU_bRegisterInfoActionMenu(&Chart_Info, &Waypoint_Info_Menu, MENU_CHART_INFO, T_NAV_vHandleInfo, FALSE,
                                   M_BASIC);
    U_MENU_bRegisterInfoActionMenu(&View_Snapshot, &Waypoint_Info_Menu, MENU_SNAPSHOT_INFO, T_NAV_vViewSnapshot,
                                   FALSE, M_BASIC);

    U_MENU_bRegisterInfoMenu(&GoTo_Menu);
    U_MENU_bRegisterInfoActionMenu(&Go_To_Point, &GoTo_Menu, MENU_GO_TO_WAYPOINT, T_NAV_vGoToWaypointInMenu, FALSE,
                                   M_BASIC);
    U_MENU_bRegisterInfoActionMenu(&Forward_From_Point, &GoTo_Menu, MENU_FORWARD_FROM_POINT,
                                   T_NAV_vForwardFromPoint0, FALSE, M_BASIC);
    U_MENU_bRegisterInfoActionMenu(&Reverse_From_Point, &GoTo_Menu, MENU_REVERSE_FROM_POINT,
                                   T_NAV_vReverseFromPoint0, FALSE, M_BASIC);
    U_MENU_bRegisterInfoActionMenu(&Travel_Forward, &GoTo_Menu, MENU_TRAVEL_FORWARD, T_NAV_vTravelForwardRoute0,
                                   FALSE, M_BASIC);
    U_MENU_bRegisterInfoActionMenu(&Travel_Reverse, &GoTo_Menu, MENU_TRAVEL_REVERSE, T_NAV_vTravelReverseRoute0,
                                   FALSE, M_BASIC);
    for (U32 k = 0; k < NAV_GOTO_ROUTE_SLOTS; ++k)
        U_MENU_bRegisterInfoActionListMenu(s_apRouteSlots[k], &GoTo_Menu, (MENU_PRIORITY)(MENU_GOTO_ROUTE0 + k),
                                           s_apRouteChoices, s_apfnRouteActions[k], 4, M_BASIC, fcidRouteSlot(k),
                                           nullptr);

    U_MENU_bRegisterMainActionMenu(&Format_Nav_Directories, T_MENU_pSetupTabName, MENU_WIPE_NAV_ALL, T_NAV_vWipeNav,
                                   FALSE, M_ADVANCED);
}
