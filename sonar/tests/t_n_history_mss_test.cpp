// The 360 unit's actions and state: what deploy, retract and the sweep
// areas write for the unit, the statements they show, and the sweep mode
// that follows the view.
#include "sonar/history/t_n_history_mss.h"

#include "sonar/history/t_n_history_conf.h"
#include "sonar/history/t_n_history_ppi.h"
#include "sonar/tests/history_world.h"
#include "sonar/tests/transducer_mail_log.h"

#include "accessories/t_alarm.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "kernel/l_clock.h"
#include "kernel/l_sema.h"
#include "kernel/l_timer.h"

#include <gtest/gtest.h>

namespace history_test {
namespace {

using namespace t_n_history;

constexpr MBOX VIEW_STANDIN = 61;
constexpr U32 ABSENT = 0xDEADBEEF;

bool signalled(SEMA sema) { return L_SEMA_WaitTicks(sema, 1) == 0; }

void drain(MBOX box)
{
    while (MSGHEADER* p = L_MBOX_Receive(box))
        H_MEMORY_vFree(p);
}

S32 s32(const char (&key)[5], S32 absent = -99999)
{
    S32 value = absent;
    H_DATABASE_bFetchS32(FCID(key), &value, nullptr, nullptr);
    return value;
}

const FOURCHARID UNIT_KEYS[] = {FCID("YMDR"), FCID("YMRR"), FCID("YSPL"), FCID("YASS"), FCID("YISS"), FCID("YISR"),
                                FCID("YISO"), FCID("YQSO"), FCID("YQSS"), FCID("YQSR"), FCID("MSSS"), FCID("MBMS"),
                                FCID("YHM1"), FCID("MHLE"), FCID("YSSR"), FCID("SSSR")};

class Mss : public ::testing::Test {
protected:
    void SetUp() override
    {
        worldWithWindows();
        U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
        keyboardStandIn();
        setU32("TVUE", VIEW_STANDIN);
        setU32("TMNU", VIEW_STANDIN);
        T_N_HISTORY_CONF_vReset(0);
        for (FOURCHARID k : UNIT_KEYS)
            H_DATABASE_vDeleteEntry(k);
        H_DATABASE_vDeleteEntry(FCID("YST3"));
        H_DATABASE_vDeleteEntry(FCID("YMHL"));
        setU32("CMNU", 0);
        setU32("CVEW", 1);
        s_u32SystemState = 3;
        s_bMSSDeployed = FALSE;
        s_bMSSConnected = FALSE;
        s_bPodIsBowMounted = FALSE;
        s_MSSObject.SweepingSetting = SWEEP_SETTING_OFF;
        s_MSSObject.SweepStatus = SWEEP_NO_PINGING;
        s_MSSObject.s32SweepStartSaved = -1;
        s_MSSObject.s32SweepRangeSaved = -1;
        s_MSSObject.bLastSonarIsSweepingView = FALSE;
        s_u32360HeadingOffsetEnabled = 0;
        s_bQuickSweepLeftEdgeSet = FALSE;
        flush();
    }
    void TearDown() override
    {
        T_N_HISTORY_CONF_vReset(0);
        L_TIMER_Stop(s_pSidePositionLockDelay);
        L_TIMER_Stop(s_pStartSweepingDelay);
        s_u32SystemState = 3;
        flush();
    }
    static void flush()
    {
        drain(KEYBOARD_STANDIN);
        drain(VIEW_STANDIN);
        drain(HISTORY_MAILBOX);
        signalled(SEMA_KEYCLICK_GOOD);
        signalled(SEMA_KEYCLICK_BAD);
    }
    static int unitKeysWritten()
    {
        int n = 0;
        for (FOURCHARID k : UNIT_KEYS)
            n += H_DATABASE_bFetch(k, nullptr, nullptr, nullptr) ? 1 : 0;
        return n;
    }
};

TEST_F(Mss, RetractFromTheQuickMenuWhileRetractedIsRefused)
{
    setU32("CMNU", 2);
    T_N_HISTORY_vRetractAction();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_BAD));
    EXPECT_FALSE(signalled(SEMA_KEYCLICK_GOOD));
    EXPECT_EQ(unitKeysWritten(), 0);
    EXPECT_FALSE(t_n_history_conf::sSnapshot().bUp);
}

TEST_F(Mss, RetractFromTheMainMenuResetsTheAreaAndRequestsRetract)
{
    setU32("CMNU", 3);
    s_bMSSConnected = TRUE;
    s_bMSSDeployed = TRUE;
    T_N_HISTORY_vRetractAction();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
    EXPECT_EQ(s32("YISR"), 0);
    EXPECT_EQ(s32("YISS"), 0);
    EXPECT_EQ(s32("YASS"), 0);
    EXPECT_EQ(u32("YQSO"), 0u);
    EXPECT_EQ(s32("YQSS"), -1);
    EXPECT_EQ(s32("YQSR"), -1);
    EXPECT_EQ(u32("YSPL"), 1u);
    EXPECT_EQ(u32("YMDR"), 0u);
    EXPECT_EQ(u32("YMRR"), 1u);
    EXPECT_EQ(u32("MSSS"), ABSENT) << "the unit reports its own state";
    EXPECT_TRUE(s_bMSSRetracting.load());
    const auto s = t_n_history_conf::sSnapshot();
    EXPECT_TRUE(s.bUp) << "the retracting notice";
    EXPECT_EQ(s.u8Mode, 0);
    EXPECT_NE(s.u32SelfClose, 0u);
}

TEST_F(Mss, DeployInSimulationWritesOnlyTheUnitState)
{
    s_u32SystemState = 4;
    s_bMSSConnected = TRUE;
    T_N_HISTORY_vDeployAction();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
    EXPECT_EQ(u32("MSSS"), 2u);
    EXPECT_EQ(unitKeysWritten(), 1);
    EXPECT_TRUE(s_bAutoDeployUserCancelled.load());
}

TEST_F(Mss, DeployOfAConnectedUnitRequestsItAndSweepsForTheView)
{
    s_bMSSConnected = TRUE;
    setU32("CVEW", 56);
    T_N_HISTORY_vDeployAction();
    EXPECT_EQ(u32("YMDR"), 1u);
    EXPECT_EQ(u32("YMRR"), 0u);
    EXPECT_EQ(u32("YSPL"), (U32)FULL_SWEEP);
    // Already deployed: refused unless from the main menu.
    flush();
    s_bMSSDeployed = TRUE;
    T_N_HISTORY_vDeployAction();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_BAD));
}

TEST_F(Mss, FindHomeOnlyWhileDeployed)
{
    T_N_HISTORY_vFindHome();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_BAD));
    EXPECT_EQ(u32("YHM1"), ABSENT);
    s_bMSSDeployed = TRUE;
    T_N_HISTORY_vFindHome();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
    EXPECT_EQ(u32("YHM1"), 1u);
}

TEST_F(Mss, IsolatedAreaStartsFromTheDefaultAndConfirmsAsMotorPosition)
{
    s_bMSSDeployed = TRUE;
    T_N_HISTORY_vSetIsolateSweepArea();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
    EXPECT_EQ(s_MSSObject.SweepingSetting, ISOLATE_SWEEP_SETTING);
    EXPECT_EQ(s_MSSObject.s32SweepStart, 222);
    EXPECT_EQ(s_MSSObject.s32SweepRange, 444);
    const auto keys = keyMails();
    EXPECT_TRUE(has(keys, CMD_ID_REGISTER_FOR_KEYS, KEY_EXIT));
    EXPECT_TRUE(has(keys, CMD_ID_REGISTER_FOR_KEYS, KEY_INFO));
    // A second start while laying out is refused.
    T_N_HISTORY_vSetIsolateSweepArea();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_BAD));

    s_MSSObject.s32SweepStart = 100;
    s_MSSObject.s32SweepRange = 200;
    setS32("YMHL", 10); // 44.5 sectors
    T_N_HISTORY_vCreateIsolateSweepArea();
    EXPECT_EQ(s32("YISS"), 144);
    EXPECT_EQ(s32("YISR"), 200);
    EXPECT_EQ(s32("YISO"), 1);
    EXPECT_EQ(s32("YASS"), 4);
    EXPECT_EQ(s_MSSObject.s32SweepStartSaved, 100);

    T_N_HISTORY_vClearIsolateSweepArea();
    EXPECT_EQ(s32("YASS"), 0);
    EXPECT_EQ(s32("YISO"), 0);
    EXPECT_EQ(s_MSSObject.SweepingSetting, SWEEP_SETTING_OFF);
    EXPECT_EQ(s_MSSObject.s32SweepDisplayStart, -1600);
}

TEST_F(Mss, QuickSweepInsideAnAreaCarriesItsLeftEdge)
{
    const struct {
        SWEEPING_SETTING_STATUS setting;
        bool edgeSet;
        S32 edge;
        S32 yass;
    } cases[] = {
        {QUICK_SWEEP_IN_ISOLATE_SETTING, true, 300, 103005},
        {QUICK_SWEEP_IN_ISOLATE_SETTING, true, 0, 100005},
        {QUICK_SWEEP_IN_ISOLATE_SETTING, false, 300, 5},
        {QUICK_SWEEP_ON, true, 300, 2},
    };
    for (const auto& c : cases) {
        s_bQuickSweepLeftEdgeSet = c.edgeSet;
        s_s32QuickSweepLeftEdge = c.edge;
        T_N_HISTORY_vSetSweepingSetting(c.setting);
        EXPECT_EQ(s32("YASS"), c.yass) << c.setting << "/" << c.edge;
        EXPECT_EQ(s_MSSObject.SweepingSetting, c.setting);
    }
}

TEST_F(Mss, SideSourcePublishesTheSideModeOnlyWhenTheLockTimerFires)
{
    setU32("YST3", 16);
    setU32("YSPL", 1);
    s_MSSObject.bLastSonarIsSweepingView = TRUE;
    H_DATABASE_vDeleteEntry(FCID("YSPL"));
    T_N_HISTORY_vHandleSweepingStatus(VIEW_SIDEVIEW);
    EXPECT_EQ(u32("YSPL"), ABSENT) << "nothing at once";
    EXPECT_EQ(s_u32SweepStatus.load(), (U32)SIDE_SWEEP);
    EXPECT_GT(L_TIMER_GetRemaining(s_pSidePositionLockDelay), 0);
    EXPECT_TRUE(s_bClearFVBuffer.load());
    vSemaphoreAction(254);
    EXPECT_EQ(u32("YSPL"), (U32)SIDE_SWEEP);

    // Back to the 360 view: nothing until the start-sweeping timer.
    T_N_HISTORY_vHandleSweepingStatus(VIEW_PPI_DISPLAY);
    EXPECT_EQ(u32("YSPL"), (U32)SIDE_SWEEP);
    EXPECT_GT(L_TIMER_GetRemaining(s_pStartSweepingDelay), 0);
    EXPECT_EQ(L_TIMER_GetRemaining(s_pSidePositionLockDelay), 0);
    vSemaphoreAction(267);
    EXPECT_EQ(u32("YSPL"), (U32)FULL_SWEEP);
}

TEST_F(Mss, UnitStateTwoAndOneAskToDeployOverA360View)
{
    // Connected and retracted over the 360 view: the deploy question,
    // whose "Yes" deploys.
    setU32("CVEW", 56);
    CurrentView = VIEW_PPI_DISPLAY;
    MESSAGE_NEW_DATA mail{};
    mail.FourCharId = FCID("MSSS");
    mail.dbValue.u32Val = 1;
    mail.bValid = TRUE;
    vHandle360State(&mail);
    EXPECT_TRUE(s_bMSSConnected.load());
    EXPECT_FALSE(s_bMSSDeployed.load());
    EXPECT_TRUE(s_bMSSWaitConfirm.load());
    auto s = t_n_history_conf::sSnapshot();
    EXPECT_TRUE(s.bUp);
    EXPECT_EQ(s.u8Mode, 1);
    flush();
    MSG_KEY_CHANGE right{};
    right.header.Cmd = CMD_ID_KEY_CHANGE;
    right.key = KEY_CURSOR;
    right.state = KEY_DOWN;
    right.cursor = CURSOR_EAST;
    EXPECT_TRUE(T_N_HISTORY_CONF_bHandleKeys(&right));
    EXPECT_EQ(u32("YMDR"), 1u);
    EXPECT_FALSE(t_n_history_conf::sSnapshot().bUp);

    flush();
    mail.dbValue.u32Val = 2;
    vHandle360State(&mail);
    EXPECT_TRUE(s_bMSSDeployed.load());
    int menuMails = 0;
    while (MSGHEADER* p = L_MBOX_Receive(VIEW_STANDIN)) {
        ++menuMails;
        H_MEMORY_vFree(p);
    }
    EXPECT_GE(menuMails, 8) << "Retract in five panes, Isolate Sweep Area in three";
    vHandle360State(&mail);
    EXPECT_EQ(L_MBOX_Receive(VIEW_STANDIN), nullptr) << "the menus go up once";
    EXPECT_EQ(u32("MBMS"), 1u);
    EXPECT_EQ(u32("YSPL"), (U32)FULL_SWEEP);

    // Playback ignores a retracted unit; no unit at all in simulation too.
    s_u32SystemState = 11;
    mail.dbValue.u32Val = 1;
    vHandle360State(&mail);
    EXPECT_TRUE(s_bMSSDeployed.load());
    s_u32SystemState = 4;
    mail.dbValue.u32Val = 0;
    vHandle360State(&mail);
    EXPECT_TRUE(s_bMSSConnected.load());
    CurrentView = NO_VIEW_PRIORITY;
}

MESSAGE_NEW_DATA report(const char (&key)[5], S32 value)
{
    MESSAGE_NEW_DATA m{};
    m.FourCharId = FCID(key);
    m.dbValue.s32Val = value;
    m.bValid = TRUE;
    return m;
}

TEST_F(Mss, SweepAreaReportsFollowTheUnit)
{
    MESSAGE_NEW_DATA m = report("YASS", 1234563);
    vHandleYASS(&m);
    EXPECT_TRUE(s_bQuickSweepLeftEdgeSet.load());
    EXPECT_EQ(s_s32QuickSweepLeftEdge.load(), 3456);
    EXPECT_EQ(s_MSSObject.SweepingSetting, ISOLATE_SWEEP_SETTING);

    s_MSSObject.SweepingSetting = SWEEP_SETTING_OFF;
    m = report("YASS", 4);
    vHandleYASS(&m);
    EXPECT_EQ(s_MSSObject.SweepingSetting, ISOLATE_SWEEP_ON);
    EXPECT_TRUE(bResumeFullRegistered()) << "Resume Full Sweep offered";
    EXPECT_EQ(s_s32QuickSweepLeftEdge.load(), -1600);
    m = report("YASS", 0);
    vHandleYASS(&m);
    EXPECT_FALSE(bResumeFullRegistered());
    EXPECT_EQ(s_MSSObject.SweepingSetting, SWEEP_SETTING_OFF);
    EXPECT_EQ(s_MSSObject.s32SweepStart, -1);
    EXPECT_EQ(s_MSSObject.s32SweepDisplayStart, -1600);

    setS32("YMHL", 90); // 400.5 sectors: k = 400
    m = report("YISS", 10);
    vHandleYISS(&m);
    EXPECT_EQ(s_MSSObject.s32SweepStart, 1210);
    EXPECT_EQ(s_MSSObject.s32SweepStartSaved, 1210);
    m = report("YISR", 300);
    vHandleYISR(&m);
    EXPECT_EQ(s_MSSObject.s32SweepRangeSaved, 300);
}

TEST_F(Mss, RetractedReportEndsTheRetractionAndClearsItsAlarm)
{
    drain(20);
    MESSAGE_NEW_DATA m = report("YMSE", 2);
    vHandleYMSE(&m);
    EXPECT_EQ(u32("YMSS"), 1u);
    EXPECT_EQ(u32("YMRR"), 0u);
    EXPECT_EQ(u32("YMSE"), 0u);
    MSGHEADER* p = L_MBOX_Receive(20);
    ASSERT_NE(p, nullptr);
    const auto* clear = reinterpret_cast<const ALARM_CLEAR_MESSAGE*>(p);
    EXPECT_EQ(clear->header.Cmd, CMD_ID_CLEAR_ALARM);
    EXPECT_EQ(clear->Priority, RETRACTION_ALARM);
    H_MEMORY_vFree(p);
    drain(20);
}

TEST_F(Mss, BowMountedPodHasNoSpeedAlarm)
{
    setFloat("SSAS", 5.0f);
    MESSAGE_NEW_DATA m = report("YBMT", 1);
    vHandleYBMT(&m);
    EXPECT_TRUE(s_bPodIsBowMounted.load());
    EXPECT_EQ(f32("SSAS"), 0.0f);
    m = report("YBMT", 255);
    vHandleYBMT(&m);
    EXPECT_TRUE(s_bPodIsBowMounted.load()) << "255 is not a report";
}

TEST_F(Mss, SlowingDownInA2DViewAsksToDeployAndTheQuestionAnswersItself)
{
    s_bMSSConnected = TRUE;
    s_bAutoDeployUserCancelled = FALSE;
    CurrentView = 1;
    s_fCurrentSpeed = 0.0f;
    MESSAGE_NEW_DATA m{};
    m.FourCharId = FCID("SADS");
    m.dbValue.fVal = 2.0f;
    vHandleAutoDeploySpeed(&m);
    T_N_HISTORY_CONF_vReset(0); // the question of the setting itself
    flush();

    L_CLOCK_vResetTestClock();
    m.FourCharId = FCID("ISPD");
    m.dbValue.fVal = 1.0f;
    vHandleISPD(&m);
    auto s = t_n_history_conf::sSnapshot();
    ASSERT_TRUE(s.bUp);
    EXPECT_EQ(s.u8Mode, 2);
    EXPECT_FALSE(s_bAutoDeployUserCancelled.load());

    L_CLOCK_vAdvanceTestClock(31000);
    gt::TestBitmap frame(800, 600, 0);
    T_N_HISTORY_CONF_vRender(frame, nullptr);
    MSGHEADER* p = L_MBOX_Receive(HISTORY_MAILBOX);
    ASSERT_NE(p, nullptr) << "the self-close key";
    EXPECT_TRUE(T_N_HISTORY_CONF_bHandleKeys(reinterpret_cast<MSG_KEY_CHANGE*>(p)));
    H_MEMORY_vFree(p);
    EXPECT_TRUE(s_bAutoDeployUserCancelled.load()) << "nobody answered: cancelled";
    EXPECT_FALSE(t_n_history_conf::sSnapshot().bUp);
    EXPECT_EQ(u32("YMDR"), ABSENT) << "no deploy";
    L_CLOCK_vResetTestClock();
    CurrentView = NO_VIEW_PRIORITY;
}

TEST_F(Mss, The360RangeBecomesTheSideRangeOnlyWhileItIsTheSideSource)
{
    MESSAGE_NEW_DATA m{};
    m.FourCharId = FCID("YASR");
    m.dbValue.fVal = 40.0f;
    s_bSweepingUsedAsSide = FALSE;
    vHandleYASR(&m);
    EXPECT_EQ(f32("YSSR"), -1.0f);
    s_bSweepingUsedAsSide = TRUE;
    vHandleYASR(&m);
    EXPECT_EQ(f32("YSSR"), 40.0f);
    s_bSweepingUsedAsSide = FALSE;
}

// The alarm mails waiting for the alarm task, as "set N text" / "clear N".
std::vector<std::string> alarmMails()
{
    std::vector<std::string> out;
    while (MSGHEADER* p = L_MBOX_Receive(ALARM_MAILBOX)) {
        const auto* g = reinterpret_cast<const GENERIC_MESSAGE*>(p);
        if (g->Cmd == CMD_ID_CLEAR_ALARM) {
            out.push_back("clear " + std::to_string(reinterpret_cast<const ALARM_CLEAR_MESSAGE*>(p)->Priority));
        } else {
            const auto* a = reinterpret_cast<const ALARM_SET_MESSAGE*>(p);
            std::string l = std::string(g->Cmd == CMD_ID_SET_EXT_ALARM ? "ask " : "set ") +
                            std::to_string(a->Priority) + " " + (a->pMessageString ? a->pMessageString : "-");
            if (a->pRightChoice != nullptr)
                l += std::string(" [") + a->pRightChoice + "]";
            EXPECT_EQ(a->InitialToneID, TONE_ALARM_ALERT);
            EXPECT_EQ(a->pFunctionAlarmCancel, nullptr);
            out.push_back(l);
        }
        H_MEMORY_vFree(p);
    }
    return out;
}

std::vector<std::string> menuLines()
{
    std::vector<std::string> out;
    while (MSGHEADER* p = L_MBOX_Receive(VIEW_STANDIN)) {
        out.push_back(sonar_test::line(reinterpret_cast<const GENERIC_MESSAGE*>(p)));
        H_MEMORY_vFree(p);
    }
    return out;
}

size_t count(const std::vector<std::string>& lines, std::initializer_list<std::string> parts)
{
    return sonar_test::linesWith(lines, parts).size();
}

TEST_F(Mss, TheUnitsReportsRaiseAndClearItsAlarms)
{
    const std::string partialDeploy =
        "360 sonar deployed partially.  Please retract and re-deploy to reach requested depth.";
    const std::string partialRetract =
        "The 360 unit has not fully retracted. Check for obstructions and retract again.";
    drain(ALARM_MAILBOX);

    // A deployment error: raised at once, cleared when its 5 s timer fires.
    MESSAGE_NEW_DATA m = report("YMSE", 1);
    vHandleYMSE(&m);
    EXPECT_EQ(alarmMails(), std::vector<std::string>{"set 16 " + partialDeploy});
    EXPECT_EQ(u32("YMSE"), 0u);
    const TICKS deploymentWait = L_TIMER_GetRemaining(s_pDeploymentMessageTimer);
    EXPECT_GT(deploymentWait, 4000);
    EXPECT_LE(deploymentWait, 5000);
    vSemaphoreAction(270);
    EXPECT_EQ(alarmMails(), std::vector<std::string>{"clear 16"});

    // A stall: the old retraction alarm goes and a new one comes at once.
    m = report("YMSE", 3);
    vHandleYMSE(&m);
    EXPECT_EQ(alarmMails(), (std::vector<std::string>{"clear 15", "set 15 " + partialRetract}));
    EXPECT_EQ(u32("YMRR"), 0u);

    // A retract request of a connected transom pod waits 7 s for the report.
    s_bMSSConnected = TRUE;
    m = report("YMRR", 1);
    vHandleYMRR(&m);
    const TICKS retractWait = L_TIMER_GetRemaining(s_pMSSRetractDoneTimer);
    EXPECT_GT(retractWait, 6000);
    EXPECT_LE(retractWait, 7000);
    EXPECT_TRUE(alarmMails().empty()) << "nothing before the wait is over";
    vSemaphoreAction(269);
    EXPECT_EQ(alarmMails(), std::vector<std::string>{"set 15 " + partialRetract});
    EXPECT_EQ(L_TIMER_GetRemaining(s_pMSSRetractDoneTimer), 0);

    // The report of the retraction stops the wait.
    vHandleYMRR(&m);
    m = report("YMSE", 2);
    vHandleYMSE(&m);
    EXPECT_EQ(L_TIMER_GetRemaining(s_pMSSRetractDoneTimer), 0);
    EXPECT_EQ(alarmMails(), std::vector<std::string>{"clear 15"});
}

TEST_F(Mss, TheDeploymentCounterWarnsOnceThenAtEveryReportUntilAcknowledged)
{
    drain(ALARM_MAILBOX);
    s_bMaintWarningAck = FALSE;
    struct {
        S32 count;
        size_t warnings; // alarm mails after the report
        const char* kind;
    } const cases[] = {
        {4999, 0, ""}, {5000, 1, "set 11 "}, {5000, 0, ""}, {5749, 0, ""},
        {5800, 1, "ask 12 "}, {5801, 1, "ask 12 "},
    };
    for (const auto& c : cases) {
        MESSAGE_NEW_DATA m = report("YMSM", c.count);
        vHandleYMSM(&m);
        const auto mails = alarmMails();
        ASSERT_EQ(mails.size(), c.warnings) << c.count;
        if (c.warnings != 0) {
            EXPECT_EQ(mails[0].rfind(c.kind, 0), 0u) << mails[0];
        }
    }
    // The overdue warning carries "OK", whose answer stops it.
    MESSAGE_NEW_DATA m = report("YMSM", 5900);
    vHandleYMSM(&m);
    MSGHEADER* p = L_MBOX_Receive(ALARM_MAILBOX);
    ASSERT_NE(p, nullptr);
    const auto* ask = reinterpret_cast<const ALARM_SET_MESSAGE*>(p);
    EXPECT_STREQ(ask->pRightChoice, "OK");
    ASSERT_NE(ask->pFunctionCbRightKeyAction, nullptr);
    ask->pFunctionCbRightKeyAction();
    H_MEMORY_vFree(p);
    EXPECT_TRUE(s_bMaintWarningAck.load());
    vHandleYMSM(&m);
    EXPECT_TRUE(alarmMails().empty());
    s_bMaintWarningAck = FALSE;
}

TEST_F(Mss, TheConnectionMenusFollowTheUnitAndThePodsMounting)
{
    MESSAGE_NEW_DATA state{};
    state.FourCharId = FCID("MSSS");
    state.bValid = TRUE;
    state.dbValue.u32Val = 0; // from no unit on
    vHandle360State(&state);
    menuLines();

    // A transom pod: deploy and retract in the main menu, "Retract" in
    // the 360 panes while deployed.
    state.dbValue.u32Val = 2;
    vHandle360State(&state);
    auto lines = menuLines();
    EXPECT_EQ(count(lines, {"+item tab \"Accessories\" \"Deploy 360 Sonar\" prio=341"}), 1u);
    EXPECT_EQ(count(lines, {"+item tab \"Accessories\" \"Retract 360 Sonar\" prio=342"}), 1u);
    EXPECT_EQ(count(lines, {"+item hot", "\"Retract\" prio=0"}), 5u);
    EXPECT_EQ(count(lines, {"Ping"}), 0u);

    // Reported bow-mounted while deployed: no retracting anywhere, "Stop
    // 360 Ping" in the three 360 panes instead.
    MESSAGE_NEW_DATA bow = report("YBMT", 1);
    vHandleYBMT(&bow);
    lines = menuLines();
    EXPECT_EQ(count(lines, {"-item tab \"Alarms\" \"360 Retract Alarm\""}), 1u);
    EXPECT_EQ(count(lines, {"-item hot", "\"Retract\""}), 5u);
    EXPECT_EQ(count(lines, {"-item tab \"Accessories\" \"Deploy 360 Sonar\""}), 1u);
    EXPECT_EQ(count(lines, {"-item tab \"Accessories\" \"Retract 360 Sonar\""}), 1u);
    for (const char* pane : {"hot 56/full", "hot 57/right", "hot 58/right"})
        EXPECT_EQ(count(lines, {"+item " + std::string(pane) + " \"Stop 360 Ping\" prio=0"}), 1u) << pane;
    EXPECT_EQ(count(lines, {"+item", "Retract\""}), 0u);
    EXPECT_EQ(f32("SSAS"), 0.0f);

    // Retracted (stopped): "Start 360 Ping" takes the place of "Stop".
    state.dbValue.u32Val = 1;
    vHandle360State(&state);
    lines = menuLines();
    for (const char* pane : {"hot 56/full", "hot 57/right", "hot 58/right"}) {
        EXPECT_GE(count(lines, {"-item " + std::string(pane) + " \"Stop 360 Ping\""}), 1u) << pane;
        EXPECT_EQ(count(lines, {"+item " + std::string(pane) + " \"Start 360 Ping\" prio=0"}), 1u) << pane;
    }
    EXPECT_EQ(count(lines, {"+item", "Retract\""}), 0u);

    // The unit gone: every 360 item goes.
    s_u32SystemState = 3;
    state.dbValue.u32Val = 0;
    vHandle360State(&state);
    lines = menuLines();
    EXPECT_EQ(count(lines, {"-item hot 56/full \"Start 360 Ping\""}), 1u);
    EXPECT_EQ(count(lines, {"+item"}), 0u);
    s_bPodIsBowMounted = FALSE;
}

} // namespace
} // namespace history_test
