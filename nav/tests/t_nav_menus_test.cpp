// The menus the navigation task registers when the system starts running.

#include "nav/core/newdata_standins.h"
#include "nav/core/t_nav_menus.h"
#include "nav/core/t_nav_route.h"
#include "nav/tests/nav_core_world.h"

#include "ui/menu_types.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace navw;

std::string text(const TEXT_TABLE* t) { return t == nullptr ? "" : (*t)[0]; }

std::string key(FOURCHARID k) { return k == 0 ? "" : std::string(reinterpret_cast<const char*>(&k), 4); }

// One registered item: "title @ container priority level confirm key".
std::string item(const MSG_ADD_MENU_ITEM& m)
{
    const MENU_DESCRIPTOR& d = m.descriptor;
    const std::string where = m.pInfoMenuName != nullptr ? text(m.pInfoMenuName) : text(m.pTabName);
    std::string out = text(d.pMenuName) + " @ " + where + " " + std::to_string((int)d.menuPriority) + " L" +
                      std::to_string((int)d.menuUserLevel);
    if (d.control == M_ACTION)
        out += d.parameters.action.confirm ? " confirm" : "";
    if (d.control == M_ACTION_LIST)
        out += " list" + std::to_string(d.parameters.actionList.numberChoices) + " " +
               key(d.parameters.actionList.FourCharId);
    return out;
}

using RunSystem = NavCore;

TEST_F(RunSystem, RegistersTheCursorInfoMenusAndTheFormatAction)
{
    T_NAV_vHandleRunSystem();
    std::vector<std::string> items;
    size_t infoMenus = 0;
    std::vector<const MSG_ADD_MENU_ITEM*> lists;
    const std::vector<Mail> mails = drain(MENU_BOX);
    for (const Mail& m : mails) {
        if (m.cmd == CMD_ID_REGISTER_INFO_MENU)
            ++infoMenus;
        if (m.cmd == CMD_ID_REGISTER_MENU_ITEM) {
            items.push_back(item(m.as<MSG_ADD_MENU_ITEM>()));
            if (m.as<MSG_ADD_MENU_ITEM>().descriptor.control == M_ACTION_LIST)
                lists.push_back(&m.as<MSG_ADD_MENU_ITEM>());
        }
    }
    EXPECT_EQ(infoMenus, 2u);
    EXPECT_EQ(items, (std::vector<std::string>{
                         "Chart Info @ Waypoint Info 705 L1",
                         "View Snapshot @ Waypoint Info 706 L1",
                         "Go To Point @ GoTo Menu 658 L1",
                         "Forward from Point @ GoTo Menu 659 L1",
                         "Reverse from Point @ GoTo Menu 660 L1",
                         "Travel Forward @ GoTo Menu 661 L1",
                         "Travel Reverse @ GoTo Menu 662 L1",
                         "Route @ GoTo Menu 663 L1 list4 IRT0",
                         "Route @ GoTo Menu 664 L1 list4 IRT1",
                         "Route @ GoTo Menu 665 L1 list4 IRT2",
                         "Route @ GoTo Menu 666 L1 list4 IRT3",
                         "Route @ GoTo Menu 667 L1 list4 IRT4",
                         "Format Nav Directories @ Setup 150 L2",
                     }));

    // Every slot's list runs that slot's handlers, in the order of its choices.
    using F = MENU_ACTION_FUNC*;
    const F expected[5][4] = {
        {T_NAV_vForwardFromPoint0, T_NAV_vReverseFromPoint0, T_NAV_vTravelForwardRoute0, T_NAV_vTravelReverseRoute0},
        {T_NAV_vForwardFromPoint1, T_NAV_vReverseFromPoint1, T_NAV_vTravelForwardRoute1, T_NAV_vTravelReverseRoute1},
        {T_NAV_vForwardFromPoint2, T_NAV_vReverseFromPoint2, T_NAV_vTravelForwardRoute2, T_NAV_vTravelReverseRoute2},
        {T_NAV_vForwardFromPoint3, T_NAV_vReverseFromPoint3, T_NAV_vTravelForwardRoute3, T_NAV_vTravelReverseRoute3},
        {T_NAV_vForwardFromPoint4, T_NAV_vReverseFromPoint4, T_NAV_vTravelForwardRoute4, T_NAV_vTravelReverseRoute4},
    };
    ASSERT_EQ(lists.size(), 5u);
    for (size_t k = 0; k < 5; ++k) {
        const M_ACTION_LIST_PARAMETERS& p = lists[k]->descriptor.parameters.actionList;
        for (size_t c = 0; c < 4; ++c)
            EXPECT_EQ(p.pt2Function[c], expected[k][c]) << k << "/" << c;
        EXPECT_EQ(text(p.pActionListChoices[0]), "Forward from Point");
        EXPECT_EQ(text(p.pActionListChoices[3]), "Travel Reverse");
    }
    // The five slot items are distinct items of the one info menu.
    for (size_t k = 1; k < 5; ++k)
        EXPECT_NE(lists[k]->descriptor.pMenuName, lists[0]->descriptor.pMenuName);
}

} // namespace
