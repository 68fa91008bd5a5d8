// Current-track recording: the interval and the fix, the minimum distance,
// the memory warning, depths, the current-track log, playback, the busy
// navigation data, saving and clearing, tracking on and off; and the start
// of man-overboard navigation.
#include "nav/tests/nav_core_world.h"

#include "graphics/g_bmp.h"
#include "graphics/g_buffers.h"
#include "graphics/g_pixel.h"
#include "kernel/l_mutex.h"
#include "kernel/l_task.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_nvram.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

namespace {

using namespace navw;

class TrackRecording : public NavCore {
protected:
    void SetUp() override
    {
        NavCore::SetUp();
        std::error_code ec;
        std::filesystem::remove_all(navt::unitRoot().cwd() + "/cr_track", ec);
        T_NAV_NVRAM_vInit();
        north = 0;
        boatAt(at(0, 0));
        setU("IPFI", 2);
        setU("SNTI", 1);
    }
    // One tick; the boat first sails on by `metres`.
    void tick(double metres = 20)
    {
        north += metres;
        boatAt(at(0, north));
        T_NAV_vHandleUpdateTimer();
    }
    U16 count() const { return s_CurrentTrack.u16Count; }
    std::string logPath() const { return navt::unitRoot().cwd() + "/cr_track/track.2"; }
    long logSize() const
    {
        std::error_code ec;
        const auto n = std::filesystem::file_size(logPath(), ec);
        return ec ? -1 : (long)n;
    }
    double north = 0;
};

TEST_F(TrackRecording, EveryIntervalWithAFixAndATickWithoutOneDoesNotRestartTheCount)
{
    setU("SNTI", 5);
    const struct {
        bool fix;
        U16 count; // after the tick
    } ticks[] = {{true, 0}, {true, 0}, {true, 0}, {true, 0}, {true, 1},  // the fifth tick
                 {true, 1}, {true, 1}, {true, 1}, {true, 1}, {false, 1}, // no fix on the attempt
                 {true, 2},                                               // the next tick tries again
                 {true, 2}, {true, 2}, {true, 2}, {true, 2}, {true, 3}};
    int n = 0;
    for (const auto& t : ticks) {
        SCOPED_TRACE(++n);
        setU("IPFI", t.fix ? 2 : 0);
        tick();
        EXPECT_EQ(count(), t.count);
    }
    H_DATABASE_vDeleteEntry(FCID("SNTI"));
    for (int i = 0; i < 10; ++i)
        tick();
    EXPECT_EQ(count(), 3) << "no interval, no points";
}

TEST_F(TrackRecording, BoatWithinTheMinimumDistanceAddsNoPoint)
{
    const struct {
        const char* name;
        float minimum; // "SNTD"; 0 = missing
        double shortStep, longStep;
    } rows[] = {{"ten metres", 10.0f, 8.0, 12.0}, {"missing: five metres", 0.0f, 4.0, 6.5}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SetUp();
        if (r.minimum > 0)
            setF("SNTD", r.minimum);
        tick(0);
        ASSERT_EQ(count(), 1);
        for (int i = 0; i < 30; ++i)
            tick(0);
        EXPECT_EQ(count(), 1) << "a boat lying still adds nothing however long it waits";
        tick(r.shortStep);
        EXPECT_EQ(count(), 1);
        tick(r.longStep - r.shortStep);
        EXPECT_EQ(count(), 2);
        EXPECT_TRUE(navt::same(s_CurrentTrack.ptLast, at(0, north)));
    }
}

TEST_F(TrackRecording, DamagedMinimumDistanceFallsBackToFiveMetres)
{
    const struct {
        float minimum;
        double step;  // moved after the first point
        U16 count;
    } rows[] = {
        {1e30f, 5000, 1},   // a huge distance is still a distance: nothing near enough to record
        {INFINITY, 4, 1}, {INFINITY, 7, 2},
        {NAN, 4, 1},      {NAN, 7, 2},
        {-3.0f, 4, 1},    {-3.0f, 7, 2},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.minimum << " " << r.step);
        SetUp();
        tick();
        setF("SNTD", r.minimum);
        tick(r.step);
        EXPECT_EQ(count(), r.count);
    }
}

TEST_F(TrackRecording, MemoryWarningBelowTenMinutesShowsOnceForElevenSteps)
{
    setU("SNTI", 5);
    // 121 points short of full: at 5 s each, 605 s of recording left.
    s_CurrentTrack.u16Count = TRACK_MAX_POINTS - 121;
    s_CurrentTrack.ptFirst = s_CurrentTrack.ptLast = at(0, 0);
    s_bAddPowerOnGapPoint = FALSE;

    const auto stepAndMails = [&] {
        for (int i = 0; i < 5; ++i)
            tick();
        return std::make_pair(drain(VIEW_BOX), drain(KEYBOARD_BOX));
    };
    for (int left : {121, 120}) {
        SCOPED_TRACE(left);
        auto [view, keys] = stepAndMails();
        EXPECT_TRUE(view.empty());
        EXPECT_TRUE(keys.empty());
    }

    // 119 points left: 595 s.
    auto [view, keys] = stepAndMails();
    ASSERT_EQ(view.size(), 1u);
    ASSERT_EQ(view[0].cmd, CMD_ID_REGISTER_LAYER);
    const auto& layer = view[0].as<MSG_REGISTER_LAYER>();
    EXPECT_EQ(layer.layer, INFO_TRACKING_MEMORY_WARNING_LAYER);
    EXPECT_EQ(layer.where_used, USED_BY_ALL);
    EXPECT_EQ(layer.pDrawFunction, T_NAV_vTrackMemoryWarning);
    EXPECT_EQ(layer.fcidDisplayFlag, 0u);
    EXPECT_TRUE(layer.bDisplay);
    EXPECT_EQ(layer.user, 0u);
    ASSERT_EQ(keys.size(), 1u);
    ASSERT_EQ(keys[0].cmd, CMD_ID_REGISTER_FOR_KEYS);
    const auto& reg = keys[0].as<MSG_REGISTER_FOR_KEYS>();
    EXPECT_EQ(reg.keys, 8u);
    EXPECT_EQ(reg.mailbox, NAV_MAILBOX);
    EXPECT_EQ(reg.state, KEY_DOWN);
    EXPECT_EQ(reg.usage, REGISTER_VIEW);
    EXPECT_EQ(reg.cursor_mode, NOT_CURSOR_KEY);
    EXPECT_FALSE(reg.repeat);
    EXPECT_FALSE(reg.accelerate);

    for (int step = 2; step <= 10; ++step) {
        SCOPED_TRACE(step);
        auto [v, k] = stepAndMails();
        EXPECT_TRUE(v.empty());
        EXPECT_TRUE(k.empty());
    }
    {
        auto [v, k] = stepAndMails(); // the eleventh, counting the one that showed it
        ASSERT_EQ(v.size(), 1u);
        EXPECT_EQ(v[0].cmd, CMD_ID_UNREGISTER_LAYER);
        EXPECT_EQ(v[0].as<MSG_UNREGISTER_LAYER>().layer, INFO_TRACKING_MEMORY_WARNING_LAYER);
        ASSERT_EQ(k.size(), 1u);
        EXPECT_EQ(k[0].cmd, CMD_ID_UNREGISTER_FOR_KEYS);
        EXPECT_EQ(k[0].as<MSG_UNREGISTER_FOR_KEYS>().keys, 8u);
        EXPECT_EQ(k[0].as<MSG_UNREGISTER_FOR_KEYS>().mailbox, NAV_MAILBOX);
    }
    for (int step = 12; step <= 14; ++step) {
        auto [v, k] = stepAndMails();
        EXPECT_TRUE(v.empty()) << "shown once per shortage";
    }

    // Room again, then short again: a new warning, which a key closes.
    const U16 full = count();
    s_CurrentTrack.u16Count = 100;
    stepAndMails();
    s_CurrentTrack.u16Count = full;
    auto [again, againKeys] = stepAndMails();
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].cmd, CMD_ID_REGISTER_LAYER);
    EXPECT_TRUE(T_NAV_bCloseTrackMemoryWarning());
    EXPECT_EQ(drain(VIEW_BOX).size(), 1u);
    EXPECT_EQ(drain(KEYBOARD_BOX).size(), 1u);
    EXPECT_FALSE(T_NAV_bCloseTrackMemoryWarning()) << "nothing left to close";
}

TEST_F(TrackRecording, DepthIsKeptInCentimetresUpTo65535)
{
    const struct {
        float depth; // NaN: missing
        U16 kept;
    } rows[] = {{700.0f, 65535}, {1.234f, 123}, {655.35f, 65535}, {12.0f, 1200}, {-2.0f, 0}, {NAN, 0}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.depth);
        SetUp();
        tick(); // the first point keeps no depth
        if (std::isnan(r.depth))
            H_DATABASE_vDeleteEntry(FCID("IDEP"));
        else
            setF("IDEP", r.depth);
        tick();
        ASSERT_EQ(count(), 2);
        EXPECT_EQ(s_CurrentTrack.aDelta[s_CurrentTrack.u16FirstDelta].u16Depth, r.kept);
    }
}

TEST_F(TrackRecording, NormalRunLogsABasePointThenOneStepPerPointAndThreeForAGap)
{
    setU("CCST", 3);
    tick();
    EXPECT_EQ(logSize(), 10) << "the first point of a new track is the log's base";
    const std::string base = vt::readFile(logPath());
    const POINT first = at(0, north);
    EXPECT_EQ(memcmp(base.data(), &first.x, 4), 0);
    EXPECT_EQ(memcmp(base.data() + 4, &first.y, 4), 0);
    tick();
    EXPECT_EQ(logSize(), 16);
    tick();
    EXPECT_EQ(logSize(), 22);

    setU("IPMD", 9); // following a contour: nothing recorded, the next point starts a segment
    tick();
    tick();
    EXPECT_EQ(count(), 3);
    EXPECT_EQ(logSize(), 22);
    setU("IPMD", 0);
    tick();
    EXPECT_EQ(count(), 6) << "a gap point is three steps";
    EXPECT_EQ(logSize(), 40);

    // The log brings back the very track.
    auto restored = std::make_unique<TRACK>();
    T_NAV_NVRAM_vScanCurrentTrack(restored.get());
    U16 itA = 0, itB = 0;
    POINT pA{}, pB{};
    U16 dA = 0, dB = 0;
    int points = 0;
    for (;;) {
        const TRACKPOINT_TYPE a = U_NAV_eScanTrack(&s_CurrentTrack, &itA, &pA, &dA);
        const TRACKPOINT_TYPE b = U_NAV_eScanTrack(restored.get(), &itB, &pB, &dB);
        ASSERT_EQ(a, b) << points;
        if (a == TRACKPOINT_INVALID)
            break;
        EXPECT_TRUE(navt::same(pA, pB)) << points;
        ++points;
    }
    EXPECT_EQ(points, 4);

    // Other states record in memory only.
    for (U32 state : {0u, 11u}) {
        SCOPED_TRACE(state);
        setU("CCST", state);
        const U16 before = count();
        tick();
        EXPECT_EQ(count(), before + 1);
        EXPECT_EQ(logSize(), 40);
    }
}

TEST_F(TrackRecording, PlaybackInReverseTakesTheTrackBack)
{
    setU("CCST", 11);
    setU("CPSP", 8); // forward
    for (int i = 0; i < 5; ++i)
        tick();
    ASSERT_EQ(count(), 5); // 20, 40, 60, 80 and 100 m north
    const struct {
        U32 mode;
        double boat;
        U16 count;
        double last;
    } rows[] = {{3, 70, 3, 60}, {12, 50, 2, 40}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.mode);
        setU("CPSP", r.mode);
        boatAt(at(0, r.boat));
        T_NAV_vHandleUpdateTimer();
        EXPECT_EQ(count(), r.count);
        EXPECT_TRUE(navt::same(s_CurrentTrack.ptLast, at(0, r.last)));
    }
    H_DATABASE_vDeleteEntry(FCID("CPSP")); // counts as 1: forward
    north = 40;
    tick();
    EXPECT_EQ(count(), 3);
}

// Another task holds the navigation data while the step runs.
std::atomic<int> s_holderPhase{0};
void vHolder(void)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    s_holderPhase = 1;
    while (s_holderPhase != 2)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    L_MUTEX_Unlock(RES_NAV_DATA);
    s_holderPhase = 3;
    L_TASK_Terminate(0);
}

TEST_F(TrackRecording, BusyNavigationDataDropsThePointAndRestartsTheInterval)
{
    setU("SNTI", 2);
    tick();
    tick();
    ASSERT_EQ(count(), 1);
    const TASK_PARAM p = {4096, 100, vHolder};
    ASSERT_EQ(L_TASK_SetParams(40, &p), 0);
    ASSERT_EQ(L_TASK_Start(40), 0);
    while (s_holderPhase != 1)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    tick();
    tick(); // due, but the data is busy
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(s_nTrackTickCounter, 0u) << "the interval starts again";
    s_holderPhase = 2;
    while (s_holderPhase != 3)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    tick();
    EXPECT_EQ(count(), 1);
    tick();
    EXPECT_EQ(count(), 2);
}

// ---- Saving, clearing, tracking on and off ----

TEST_F(TrackRecording, SavingNeedsAFreeSlotAndThenEmptiesTheTrack)
{
    const struct {
        const char* name;
        bool freeSlot;
        bool dateTime;
        const char* savedName;
    } rows[] = {
        {"no free slot", false, true, nullptr},
        {"a free slot", true, true, "06/14/08 4:30 PM"},
        {"a free slot, no date", true, false, "38"}, // the slot's number
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SetUp();
        setU("CCST", 3);
        setU("SUID", 64);
        T_NAV_GROUP_DATA_vSettleUnitID();
        for (U32 i = 0; i < NAV_TRACK_SLOTS; ++i)
            T_NAV_pGetTrackHeader(i)->u16Count = (r.freeSlot && i == 37) ? 0 : 1;
        if (r.dateTime)
            setU("IDTM", 1213461000);
        setU("SITF", 3); // 12-hour clock
        setU("SIDF", 0); // month/day/year
        GROUP_HEADER def{};
        def.u8Status = WP_STATUS_GROUP_HEADER;
        def.u16ParentIndex = 0xFFFF;
        def.u16FirstBodyIndex = 0xFFFF;
        const U16 defaultGroup = T_NAV_GROUP_DATA_nNewGroup(&def);
        ASSERT_NE(defaultGroup, 0xFFFF);
        T_NAV_GROUP_DATA_vSetDefaultGroupId(defaultGroup);
        // The default group's links.
        auto links = [&] {
            std::vector<U16> out;
            GROUP_SLOT h{};
            T_NAV_bReadGroupSlot(defaultGroup, &h);
            GROUP_SLOT b{};
            if (h.header.u16FirstBodyIndex != 0xFFFF && T_NAV_bReadGroupSlot(h.header.u16FirstBodyIndex, &b))
                for (U16 l : b.body.u16Item)
                    if (l != 0xFFFF)
                        out.push_back(l);
            return out;
        };
        tick();
        tick();
        tick();
        ASSERT_EQ(count(), 3);
        ASSERT_GT(logSize(), 0);
        L_SEMA_SetPending(102);
        L_SEMA_SetPending(103);

        alarmMails();
        T_NAV_vSaveCurrentTrack();

        const auto notes = alarmMails();
        ASSERT_EQ(notes.size(), 1u);
        ASSERT_EQ(notes[0].priority, NAV_UI_ALARM);
        if (!r.freeSlot) {
            EXPECT_EQ(notes[0].set.pFunctionAlarmCancel, T_NAV_vUIErrorCancelled) << "an error";
            EXPECT_EQ(notes[0].text, No_Tracks[0]);
            EXPECT_TRUE(signalled(103));
            EXPECT_FALSE(signalled(102));
            EXPECT_EQ(count(), 3) << "the current track stays";
            EXPECT_GT(logSize(), 0);
            EXPECT_TRUE(links().empty());
            continue;
        }
        const TRACK_HEADER* saved = T_NAV_pGetTrackHeader(37);
        EXPECT_EQ(saved->u16Count, 3);
        EXPECT_EQ(saved->u32DateTime, r.dateTime ? 1213461000u : 0u);
        EXPECT_EQ(std::string(saved->sName, strnlen(saved->sName, TRACK_NAME_CHARS)), r.savedName);
        EXPECT_EQ(notes[0].set.pFunctionAlarmCancel, T_NAV_vUINoteCancelled) << "a note";
        EXPECT_EQ(notes[0].text, "Track " + std::string(r.savedName) + " Saved");
        // A track without a date is no valid group item, so it stays unlinked.
        EXPECT_EQ(links(), r.dateTime ? std::vector<U16>{0x8000 + 64 + 37} : std::vector<U16>{})
            << "linked into the default group";
        EXPECT_EQ(NAV_STANDIN_u32ChartReRenders(), 1u);
        EXPECT_EQ(count(), 0);
        EXPECT_EQ(logSize(), -1) << "the log goes with the track";
        EXPECT_TRUE(signalled(102));
        EXPECT_FALSE(signalled(103));
    }
}

TEST_F(TrackRecording, StartAndStopTrackingRegisterTheirItemsAndGateThePoints)
{
    T_NAV_vStartTrack();
    auto mails = drain(MENU_BOX);
    ASSERT_EQ(mails.size(), 2u + 2 * NAV_VIEW_COUNT);
    ASSERT_EQ(mails[0].cmd, CMD_ID_UNREGISTER_MENU_ITEM);
    EXPECT_EQ(mails[0].as<MSG_REMOVE_MENU>().pMenuName, &Current_Track);
    EXPECT_EQ(mails[0].as<MSG_REMOVE_MENU>().pTabName, &Nav_Tab);
    ASSERT_EQ(mails[1].cmd, CMD_ID_REGISTER_MENU_ITEM);
    {
        const auto& item = mails[1].as<MSG_ADD_MENU_ITEM>();
        EXPECT_EQ(item.pTabName, &Nav_Tab);
        EXPECT_EQ(item.descriptor.pMenuName, &Current_Track);
        EXPECT_EQ(item.descriptor.menuPriority, MENU_CURRENT_TRACK);
        EXPECT_EQ(item.descriptor.menuUserLevel, M_BASIC);
        EXPECT_EQ(item.descriptor.control, M_ACTION_LIST);
        const M_ACTION_LIST_PARAMETERS& list = item.descriptor.parameters.actionList;
        ASSERT_EQ(list.numberChoices, 4u);
        const TEXT_TABLE* choices[] = {&Current_Track_Save, &Current_Track_Clear, &Current_Track_Appearance,
                                       &Stop_Tracking};
        MENU_ACTION_FUNC* actions[] = {T_NAV_vSaveCurrentTrack, T_NAV_vClearCurrentTrack,
                                       T_NAV_vCurrentTrackAppearance, T_NAV_vStopTrack};
        const bool confirm[] = {true, true, false, false};
        for (U32 i = 0; i < 4; ++i) {
            EXPECT_EQ(list.pActionListChoices[i], choices[i]) << i;
            EXPECT_EQ(list.pt2Function[i], actions[i]) << i;
            EXPECT_EQ(list.bConfirm[i] != FALSE, confirm[i]) << i;
        }
        EXPECT_EQ(list.FourCharId, 0u);
    }
    for (U32 v = 0; v < NAV_VIEW_COUNT; ++v) {
        for (U32 j = 0; j < 2; ++j) {
            SCOPED_TRACE(testing::Message() << v << "/" << j);
            const Mail& m = mails[2 + 2 * v + j];
            ASSERT_EQ(m.cmd, CMD_ID_REGISTER_MENU_ITEM);
            const auto& item = m.as<MSG_ADD_MENU_ITEM>();
            EXPECT_EQ(item.view, s_aNavViews[v].eView);
            EXPECT_EQ(item.splitType, s_aNavViews[v].eSplit);
            EXPECT_EQ(item.descriptor.pMenuName, j == 0 ? &Clear_Current_Track : &Save_Current_Track);
            EXPECT_EQ(item.descriptor.menuPriority, j == 0 ? MENU_CLEAR_CTRACK : MENU_SAVE_CTRACK);
            EXPECT_EQ(item.descriptor.control, M_ACTION);
            EXPECT_EQ(item.descriptor.parameters.action.pt2Function,
                      j == 0 ? T_NAV_vClearCurrentTrack : T_NAV_vSaveCurrentTrack);
            EXPECT_TRUE(item.descriptor.parameters.action.confirm);
        }
    }
    EXPECT_TRUE(*b("CTRE"));
    EXPECT_TRUE(signalled(102));

    tick();
    tick();
    ASSERT_EQ(count(), 2);
    T_NAV_vStopTrack();
    EXPECT_EQ(count(), 0);
    mails = drain(MENU_BOX);
    ASSERT_EQ(mails.size(), 1u + 2 * NAV_VIEW_COUNT);
    {
        const auto& item = mails[0].as<MSG_ADD_MENU_ITEM>();
        EXPECT_EQ(item.descriptor.pMenuName, &Current_Track);
        const M_ACTION_LIST_PARAMETERS& list = item.descriptor.parameters.actionList;
        ASSERT_EQ(list.numberChoices, 2u);
        EXPECT_EQ(list.pActionListChoices[0], &Current_Track_Appearance);
        EXPECT_EQ(list.pActionListChoices[1], &Start_Tracking);
        EXPECT_EQ(list.pt2Function[1], T_NAV_vStartTrack);
        EXPECT_FALSE(list.bConfirm[0]);
        EXPECT_FALSE(list.bConfirm[1]);
    }
    for (U32 i = 1; i < mails.size(); ++i) {
        ASSERT_EQ(mails[i].cmd, CMD_ID_UNREGISTER_MENU_ITEM);
        const auto& rm = mails[i].as<MSG_REMOVE_MENU>();
        EXPECT_EQ(rm.view, s_aNavViews[(i - 1) / 2].eView);
        EXPECT_EQ(rm.splitType, s_aNavViews[(i - 1) / 2].eSplit);
        EXPECT_EQ(rm.pMenuName, (i - 1) % 2 == 0 ? &Clear_Current_Track : &Save_Current_Track);
    }
    EXPECT_EQ(lastRaise(alarmMails(), NAV_UI_ALARM).text, "Track cleared");
    EXPECT_FALSE(*b("CTRE"));
    for (int i = 0; i < 5; ++i)
        tick();
    EXPECT_EQ(count(), 0) << "no points while tracking is off";

    T_NAV_vStartTrack();
    tick();
    EXPECT_EQ(count(), 1);
}

TEST_F(TrackRecording, EditorsOpenFromTheirActions)
{
    T_NAV_vCurrentTrackAppearance();
    T_NAV_vTrackDefaults();
    T_NAV_vTrackDefaults();
    EXPECT_EQ(NAV_STANDIN_u32AppearanceEditorOpened(), 1u);
    EXPECT_EQ(NAV_STANDIN_u32TrackDefaultsEditorOpened(), 2u);
    EXPECT_EQ(T_NAV_pGetCurrentTrackPtr(), &s_CurrentTrack);
}

// ---- Man overboard ----

class ManOverboard : public TrackRecording {
protected:
    void SetUp() override
    {
        TrackRecording::SetUp();
        mob = at(250, -400);
        putWaypoint(7, mob, WP_STATUS_MOB);
        s_u16MOBWaypoint = 7;
        setU("IDTM", T0);
        setU("CCST", 3);
    }
    POINT mob;
};

TEST_F(ManOverboard, StartMakesTheWaypointOriginAndDestinationOfTheLeg)
{
    s_CurrentRoute.bHide = 1;
    s_fDistTraveled = 123.0f;
    L_MUTEX_LockWait(RES_NAV_DATA);
    T_NAV_vStartMOBNavigation();
    L_MUTEX_Unlock(RES_NAV_DATA);

    EXPECT_EQ(s_CurrentRoute.nCount, 2u);
    EXPECT_EQ(s_CurrentRoute.anWaypoint[0], 7);
    EXPECT_EQ(s_CurrentRoute.anWaypoint[1], 7);
    EXPECT_EQ(s_CurrentRoute.u32DateTime, T0);
    EXPECT_EQ(s_CurrentRoute.bHide, 1u) << "the flag bits stay";
    EXPECT_EQ(s_CurrentRoute.bRtNotShared, 1u);
    EXPECT_EQ(s_nRoutePointUsed, 2u);
    EXPECT_EQ(s_nRoutePointTarget, 1u);
    EXPECT_TRUE(navt::same(s_ptRoutePoint[0], mob));
    EXPECT_TRUE(navt::same(s_ptRoutePoint[1], mob));
    EXPECT_EQ(*u("INIP"), 1u);
    EXPECT_EQ(*u("IOWP"), 7u);
    EXPECT_EQ(*u("IDWP"), 7u);
    EXPECT_EQ(*f("ITRK"), 0.0f);
    EXPECT_TRUE(navt::same(s_ptOWT, mob));
    EXPECT_EQ(s_u32TimeOWT, T0);
    EXPECT_EQ(s_u32NavStartTime, T0);
    EXPECT_EQ(s_fDistTraveled, -1.0f);

    const auto mails = drain(MENU_BOX);
    ASSERT_EQ(mails.size(), 1u) << "tracking is on: the track items stay";
    const auto& item = mails[0].as<MSG_ADD_MENU_ITEM>();
    EXPECT_EQ(item.descriptor.pMenuName, &Cancel_MOB);
    EXPECT_EQ(item.descriptor.menuPriority, MENU_CANCEL_NAV);
    EXPECT_EQ(item.descriptor.parameters.action.pt2Function, T_NAV_vCancelMOB);
    EXPECT_TRUE(item.descriptor.parameters.action.confirm);
    EXPECT_EQ(item.view, USED_BY_ALL);
    EXPECT_EQ(item.splitType, SPLIT_FULL_WINDOW);

    // The update then counts the seconds and the distance from the event.
    setF("ISOG", 3.0f);
    setF("IHDG", 10.0f);
    setF("SNAO", 50.0f);
    setF("SNAA", 20.0f);
    setB("SNCM", false);
    setB("CCNC", false);
    setU("IDTM", T0 + 30);
    north = 0;
    tick(0);
    EXPECT_EQ(*u("MOBT"), 30u);
    EXPECT_FALSE(f("IDST")) << "the distance travelled starts again";
    EXPECT_NEAR(*f("IDTG"), distance(at(0, 0), mob), 0.01);
    tick(100);
    EXPECT_NEAR(*f("IDST"), 100.0, 1.0);
}

TEST_F(ManOverboard, WithTrackingOffTheTrackItemsAreRemoved)
{
    s_bTrackEnable = FALSE;
    T_NAV_vStartMOBNavigation();
    const auto mails = drain(MENU_BOX);
    ASSERT_EQ(mails.size(), 1u + 2 * NAV_VIEW_COUNT);
    for (U32 i = 0; i < 2 * NAV_VIEW_COUNT; ++i)
        EXPECT_EQ(mails[i].cmd, CMD_ID_UNREGISTER_MENU_ITEM) << i;
    EXPECT_EQ(mails.back().as<MSG_ADD_MENU_ITEM>().descriptor.pMenuName, &Cancel_MOB);
}

TEST_F(ManOverboard, DuringPlaybackNothingChanges)
{
    setU("CCST", 11);
    T_NAV_vStartMOBNavigation();
    EXPECT_EQ(s_CurrentRoute.nCount, 0u);
    EXPECT_EQ(s_nRoutePointUsed, 0u);
    EXPECT_FALSE(u("INIP"));
    EXPECT_FALSE(u("IDWP"));
    EXPECT_TRUE(drain(MENU_BOX).empty());
}

TEST_F(ManOverboard, WithoutADateTheEventIsAtZeroAndTheTimeOutOfRange)
{
    H_DATABASE_vDeleteEntry(FCID("IDTM"));
    T_NAV_vStartMOBNavigation();
    EXPECT_EQ(s_CurrentRoute.u32DateTime, 0u);
    EXPECT_EQ(s_u32TimeOWT, 0u);
    setF("ISOG", 3.0f);
    setF("IHDG", 10.0f);
    setF("SNAO", 50.0f);
    setF("SNAA", 20.0f);
    setB("SNCM", false);
    setB("CCNC", false);
    setU("IDTM", T0);
    tick();
    EXPECT_EQ(*u("MOBT"), 0xFFFFFFFFu);
}

} // namespace

namespace {

TEST(TrackMemoryWarningLayer, DrawsOneCentredBoxAcrossThePaneAboveTheLowestRows)
{
    constexpr COLOR BACKGROUND = 0x1234;
    for (U32 width : {800u, 300u}) {
        SCOPED_TRACE(width);
        BITMAP* bmp = G_BUFFERS_pCreateBitmap(width, 600, nullptr, nullptr);
        G_BMP_vSet(bmp, BACKGROUND);
        WINDOW_SPECIFICATION spec = {};
        T_NAV_vTrackMemoryWarning(bmp, &spec);
        int minX = 1 << 20, maxX = -1, minY = 1 << 20;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < (int)width; ++x)
                if (*G_PIXEL_pcolLogical(bmp, x, y) != BACKGROUND) {
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                    minY = std::min(minY, y);
                }
        G_BUFFERS_vFreeBitmap(bmp);
        ASSERT_GE(maxX, 0) << "nothing drawn";
        EXPECT_GE(maxX - minX + 1, (int)width - 4) << "the long text takes the widest box";
        EXPECT_GE(minY, 105);
    }
}

} // namespace
