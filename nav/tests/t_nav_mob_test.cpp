// Man overboard started and stopped, the AIS sub-menu, the snapshot
// preview's removal and the busy notice.
#include "nav/tests/nav_goto_world.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "graphics/g_buffers.h"
#include "kernel/l_clock.h"
#include "nav/core/t_nav_mob.h"
#include "platform/h_display.h"

#include <chrono>

namespace {

using namespace navg;

class NavMOB : public NavGoTo {
protected:
    void SetUp() override
    {
        NavGoTo::SetUp();
        NAV_STANDIN_vForgetAisCalls();
        s_bAISMenusRegistered = FALSE;
        s_bSnapshotPreviewImage = FALSE;
        s_pSnapshotPreviewImage = nullptr;
        drain(VIEW_BOX);
    }
};

// The menu items registered since the last call, by text.
std::map<std::string, MSG_ADD_MENU_ITEM> registered()
{
    std::map<std::string, MSG_ADD_MENU_ITEM> out;
    for (const Mail& m : drain(MENU_BOX))
        if (m.cmd == CMD_ID_REGISTER_MENU_ITEM)
            out[(*m.as<MSG_ADD_MENU_ITEM>().descriptor.pMenuName)[0]] = m.as<MSG_ADD_MENU_ITEM>();
    return out;
}

TEST_F(NavMOB, StartingDuringRouteTravelEndsItWithoutTheQuestion)
{
    for (int i = 1; i <= 3; ++i)
        ASSERT_TRUE(T_NAV_bWaypointToCurrentRoute(w[i]));
    const U16 mob = addWaypoint(at(-450, -450), "MOB", WP_STATUS_MOB);
    notes();
    clicks();
    setS("CVEW", 33);

    T_NAV_vInitiateMOB(mob);
    EXPECT_TRUE(T_NAV_bIsMOBInProgress());
    EXPECT_EQ(T_NAV_u16GetMOBWaypoint(), mob);
    EXPECT_EQ(routeEntries(), (std::vector<U16>{mob, mob})) << "the travel ended, no question asked";
    EXPECT_EQ(*u("INIP"), 1u);
    EXPECT_EQ(*u("IDWP"), mob);
    EXPECT_EQ(*u("ITWP"), mob) << "the point is the target";
    EXPECT_EQ(clicks(), GOOD);
    POSITION pos = {};
    const POINT pt = at(-450, -450);
    nv_MeterToDegr(&pt, &pos);
    EXPECT_NEAR(*f("MOBX"), pos.lat, 1e-5);
    EXPECT_NEAR(*f("MOBY"), pos.lon, 1e-5);
    EXPECT_EQ(*s("CVEW"), (S32)CHART_VIEW_PRIORITY);
    const auto n = notes();
    ASSERT_FALSE(n.empty());
    EXPECT_EQ(n.back(), "MOB navigation started");
}

TEST_F(NavMOB, AnOlderPointDatesTheLegAndTheNavigationBack)
{
    WAYPOINT w0 = {};
    w0.u8Status = WP_STATUS_MOB;
    w0.pt = at(10, 10);
    w0.u32DateTime = T0 - 120;
    const U16 older = (U16)T_NAV_nAddWaypoint(&w0, TRUE);
    s_fDistTraveled = 25.0f;
    T_NAV_vInitiateMOB(older);
    EXPECT_EQ(s_u32TimeOWT, T0 - 120);
    EXPECT_EQ(s_u32NavStartTime, T0 - 120);
    EXPECT_EQ(s_fDistTraveled, -1.0f);

    T_NAV_vStopMOB();
    w0.u32DateTime = T0 + 60; // made after now: the leg starts now
    const U16 newer = (U16)T_NAV_nAddWaypoint(&w0, TRUE);
    T_NAV_vInitiateMOB(newer);
    EXPECT_EQ(s_u32TimeOWT, T0);
}

TEST_F(NavMOB, StoppingWhenNoneIsActiveStillEndsNavigationAndRemovesTheTarget)
{
    ASSERT_TRUE(T_NAV_bWaypointToCurrentRoute(w[1]));
    ASSERT_TRUE(T_NAV_bWaypointToCurrentRoute(w[2]));
    ASSERT_TRUE(T_NAV_bWaypointToCurrentRoute(w[3]));
    T_NAV_vAddWaypointTarget(w[3]);
    menuLog();
    ASSERT_FALSE(T_NAV_bIsMOBInProgress());

    T_NAV_vStopMOB();
    EXPECT_EQ(*u("INIP"), 0u) << "ended at once, without the save question";
    EXPECT_EQ(*u("ITWP"), NONE);
    EXPECT_EQ(menuLog()["-Remove Target"], (int)NAV_VIEW_COUNT);
    EXPECT_FALSE(T_NAV_bIsMOBInProgress());
    EXPECT_EQ(T_NAV_u16GetMOBWaypoint(), NAV_NO_MOB_WAYPOINT);
}

TEST_F(NavMOB, TheAisSubMenuComesWithItsFiveItemsAndTellsTheNeighbours)
{
    T_NAV_vSetupAISMenuItems();
    const auto items = registered();
    const struct {
        const char* text;
        S32 priority;
        const char* submenu; // null: the tab
    } want[] = {{"AIS", 651, nullptr},
                {"Tracking Target", 652, "AIS"},
                {"CPA Limits", 653, "AIS"},
                {"Target List", 654, "AIS"},
                {"Target Course Line", 655, "AIS"},
                {"MMSI Label", 656, "AIS"}};
    ASSERT_EQ(items.size(), std::size(want));
    for (const auto& x : want) {
        SCOPED_TRACE(x.text);
        ASSERT_EQ(items.count(x.text), 1u);
        const MSG_ADD_MENU_ITEM& m = items.at(x.text);
        EXPECT_EQ((S32)m.descriptor.menuPriority, x.priority);
        if (x.submenu == nullptr) {
            ASSERT_NE(m.pTabName, nullptr);
            EXPECT_STREQ((*m.pTabName)[0], "Accessories");
        } else {
            ASSERT_NE(m.pSubMenuName, nullptr);
            EXPECT_STREQ((*m.pSubMenuName)[0], x.submenu);
        }
    }
    const NAV_STANDIN_AIS_CALLS calls = NAV_STANDIN_tAisCalls();
    EXPECT_EQ(calls.u32NearestTargetVessel, 1u);
    EXPECT_EQ(calls.u32RadarAisConnected, 1u);
    EXPECT_EQ(calls.u32LastRadarAisConnected, 1u);
    EXPECT_TRUE(s_bAISMenusRegistered);
}

TEST_F(NavMOB, ThePreviewIsRemovedOnlyWhileShown)
{
    T_NAV_vUnRegisterSnapshotPreviewLayer();
    EXPECT_TRUE(drain(VIEW_BOX).empty()) << "nothing shown, nothing sent";

    BITMAP* image = G_BUFFERS_pCreateFullScreenBitmapHeader();
    image->pBuffer = H_DISPLAY_pu32GetDisplayBuffer();
    s_pSnapshotPreviewImage = image;
    s_bSnapshotPreviewImage = TRUE;
    T_NAV_vUnRegisterSnapshotPreviewLayer(); // ASan: the header and buffer are released once
    const auto mails = drain(VIEW_BOX);
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].cmd, CMD_ID_UNREGISTER_LAYER);
    EXPECT_EQ(mails[0].as<MSG_UNREGISTER_LAYER>().layer, SNAPSHOT_PREVIEW_LAYER);
    EXPECT_FALSE(s_bSnapshotPreviewImage);
    EXPECT_EQ(s_pSnapshotPreviewImage, nullptr);
    T_NAV_vUnRegisterSnapshotPreviewLayer();
    EXPECT_TRUE(drain(VIEW_BOX).empty());
}

TEST_F(NavMOB, TheBusyNoticeIsOnScreenASecondBeforeTheWorkStarts)
{
    const auto t0 = std::chrono::steady_clock::now();
    T_NAV_vStartBusy();
    const auto waited = std::chrono::steady_clock::now() - t0;
    EXPECT_GE(waited, std::chrono::milliseconds(950));
    EXPECT_TRUE(T_NAV_bIsBusyNotice());
    auto mails = drain(VIEW_BOX);
    ASSERT_EQ(mails.size(), 1u);
    const auto& reg = mails[0].as<MSG_REGISTER_LAYER>();
    EXPECT_EQ(reg.layer, NOTE_LAYER);
    EXPECT_EQ(reg.where_used, USED_BY_ALL);
    EXPECT_TRUE(reg.bDisplay);
    EXPECT_EQ(reg.pDrawFunction, T_NAV_vBusyNoticeDisplay);

    T_NAV_vStopBusy();
    EXPECT_FALSE(T_NAV_bIsBusyNotice());
    mails = drain(VIEW_BOX);
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].cmd, CMD_ID_UNREGISTER_LAYER);
    EXPECT_EQ(mails[0].as<MSG_UNREGISTER_LAYER>().layer, NOTE_LAYER);
}

} // namespace
