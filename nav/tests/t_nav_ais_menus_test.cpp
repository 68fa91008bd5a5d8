// The AIS sub-menu's "Target List" and "CPA Limits" items: what their
// actions open and how they acknowledge the key.

#include "nav/core/chart_menu_standins.h"
#include "nav/core/t_nav_ais_menus.h"
#include "nav/core/t_nav_mob.h"
#include "nav/tests/nav_goto_world.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace navg;
using V = std::vector<std::string>;

class AisMenus : public NavGoTo {
protected:
    void SetUp() override
    {
        NavGoTo::SetUp();
        s_bAISMenusRegistered = FALSE;
    }
    void TearDown() override
    {
        NAV_STANDIN_vSetAisTargets({});
        NavGoTo::TearDown();
    }

    // The action the AIS sub-menu registers under that title.
    static MENU_ACTION_FUNC* action(const std::string& title)
    {
        MENU_ACTION_FUNC* pfn = nullptr;
        for (const Mail& m : drain(MENU_BOX)) {
            if (m.cmd != CMD_ID_REGISTER_MENU_ITEM)
                continue;
            const MSG_ADD_MENU_ITEM& item = m.as<MSG_ADD_MENU_ITEM>();
            if ((*item.descriptor.pMenuName)[0] == title && item.descriptor.control == M_ACTION)
                pfn = item.descriptor.parameters.action.pt2Function;
        }
        return pfn;
    }
};

ais_DeviceInfo target(U32 mmsi)
{
    ais_DeviceInfo t = {};
    t.aisInfo.MMSI = mmsi;
    return t;
}

TEST_F(AisMenus, TheTargetListOpensOnlyWithAisShownAndATargetKnown)
{
    const struct {
        const char* name;
        bool shown;
        U32 targets;
        Clicks click;
    } cases[] = {
        {"shown, one target", true, 1, GOOD},
        {"shown, two targets", true, 2, GOOD},
        {"shown, no target", true, 0, BAD},
        {"hidden, one target", false, 1, BAD},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        T_NAV_vSetupAISMenuItems();
        MENU_ACTION_FUNC* list = action("Target List");
        ASSERT_EQ(list, &T_NAV_vAisTargetList);
        setB("SAIS", c.shown);
        std::vector<ais_DeviceInfo> pool;
        for (U32 i = 0; i < c.targets; ++i)
            pool.push_back(target(366000001 + i));
        NAV_STANDIN_vSetAisTargets(pool);
        NAV_CHART_STANDIN_vForget();
        clicks();
        list();
        EXPECT_EQ(clicks(), c.click);
        EXPECT_EQ(NAV_CHART_STANDIN_vCalls(), V{"ais-list"});
    }
}

TEST_F(AisMenus, TheCpaLimitsItemOpensTheEditorWithTheGoodClick)
{
    T_NAV_vSetupAISMenuItems();
    MENU_ACTION_FUNC* limits = action("CPA Limits");
    ASSERT_EQ(limits, &T_NAV_vAisCPALimit);
    // The editor opens whatever the pool holds and whether AIS is shown.
    setB("SAIS", false);
    NAV_CHART_STANDIN_vForget();
    clicks();
    limits();
    EXPECT_EQ(clicks(), GOOD);
    EXPECT_EQ(NAV_CHART_STANDIN_vCalls(), V{"ais-limits"});
}

} // namespace
