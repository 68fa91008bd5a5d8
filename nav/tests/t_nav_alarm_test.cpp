// The navigation alarms, errors and notes, seen as the mails the alarm task
// receives from a run of updates ("TALR" names a mailbox the test reads).
#include "nav/tests/nav_core_world.h"

#include "kernel/l_mutex.h"

#include <atomic>
#include <string>
#include <thread>

namespace {

using namespace navw;

constexpr S32 EXPIRY = NAV_ALARM_EXPIRY_TICKS;

// The arrival function of the tests: counts its calls and keeps the
// completion callback, which the test runs when it wants.
std::atomic<U32> s_arrivals{0};
std::atomic<NAV_COMPLETION_FN*> s_completion{nullptr};

void arrival(NAV_COMPLETION_FN* pfnComplete)
{
    ++s_arrivals;
    s_completion = pfnComplete;
}

class NavAlarms : public NavCore {
protected:
    void SetUp() override
    {
        NavCore::SetUp();
        s_arrivals = 0;
        s_completion = nullptr;
    }
};

void update(bool off, bool drift, bool past, bool arrive, NAV_ARRIVAL_FN* fn = arrival)
{
    T_NAV_vUpdateAlarms(off ? TRUE : FALSE, drift ? TRUE : FALSE, past ? TRUE : FALSE, arrive ? TRUE : FALSE, fn);
}

void idle(int updates = 1)
{
    for (int i = 0; i < updates; ++i)
        update(false, false, false, false);
}

// ---- The mails ----

TEST_F(NavAlarms, EachKindRaisesItsTextTonesAndCancelCallback)
{
    const struct {
        ALARM_PRIORITY priority;
        const char* text;
        TONE_SEQUENCE initial;
        const TONE_BURST* initialBurst;
        const TONE_BURST* reminderBurst;
        ALARM_FUNCTION* cancel;
    } rows[] = {
        {NAV_OFF_COURSE_ALARM, "Off Course Alarm", TONE_USE_CUSTOM, &OffCourseTone, &OffCourseReminderTone,
         T_NAV_vOffCourseAlarmCancelled},
        {NAV_ST_OFFCOURSE_ALARM, "Stevrin Off Course Alarm", TONE_USE_CUSTOM, &OffCourseTone,
         &OffCourseReminderTone, T_NAV_vStOffCourseAlarmCancelled},
        {NAV_PAST_WAYPOINT_ALARM, "Past Waypoint", TONE_GENERAL_ALERT, nullptr, nullptr,
         T_NAV_vPastWaypointAlarmCancelled},
        {NAV_ARRIVAL_ALARM, "Arrival Alarm", TONE_GENERAL_ALERT, nullptr, nullptr, T_NAV_vArrivalAlarmCancelled},
        {NAV_ST_ARRIVAL_ALARM, "Nearing Stevrin End", TONE_GENERAL_ALERT, nullptr, nullptr,
         T_NAV_vStArrivalAlarmCancelled},
        {NAV_DRIFT_ALARM, "Drift Alarm", TONE_USE_CUSTOM, &OffCourseTone, &OffCourseReminderTone,
         T_NAV_vDriftAlarmCancelled},
        {AIS_CPA_ALARM, "the caller's text", TONE_GENERAL_ALERT, nullptr, nullptr, T_NAV_vAisAlarmCancelled},
    };
    static const char callerText[] = "the caller's text";
    for (const auto& r : rows) {
        SCOPED_TRACE(r.priority);
        T_NAV_vSetAlarm(r.priority, callerText);
        const auto mails = alarmMails();
        ASSERT_EQ(mails.size(), 1u);
        const AlarmMail& m = mails[0];
        EXPECT_EQ(m.cmd, CMD_ID_SET_ALARM);
        EXPECT_EQ(m.mailPriority, 3);
        EXPECT_EQ(m.sema, 0) << "nobody waits for the alarm task";
        const ALARM_SET_MESSAGE& s = m.set;
        EXPECT_EQ(s.Priority, r.priority);
        EXPECT_EQ(s.pLeftIcon, nullptr);
        EXPECT_EQ(s.pRightIcon, nullptr);
        EXPECT_EQ(m.text, r.text);
        EXPECT_EQ(s.pLeftChoice, nullptr);
        EXPECT_EQ(s.pRightChoice, nullptr);
        EXPECT_EQ(s.pFunctionCbLeftKeyAction, nullptr);
        EXPECT_EQ(s.pFunctionCbRightKeyAction, nullptr);
        EXPECT_EQ(s.InitialToneID, r.initial);
        EXPECT_EQ(s.pInitialCustomTone, r.initialBurst);
        EXPECT_EQ(s.ReminderToneID, TONE_USE_CUSTOM);
        EXPECT_EQ(s.pReminderCustomTone, r.reminderBurst);
        EXPECT_EQ(s.pFunctionAlarmCancel, r.cancel);
    }
    for (ALARM_PRIORITY other : {NAV_UI_ALARM, FATAL_ETHERNET_ERROR_ALARM, GATEWAY_UI_ALARM}) {
        T_NAV_vSetAlarm(other, callerText);
        EXPECT_TRUE(alarmMails().empty()) << other;
    }
}

TEST_F(NavAlarms, ClearMailCarriesOnlyThePriority)
{
    update(true, false, false, false);
    alarmMails();
    update(false, false, false, false);
    const auto mails = alarmMails();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].cmd, CMD_ID_CLEAR_ALARM);
    EXPECT_EQ(mails[0].priority, NAV_OFF_COURSE_ALARM);
    EXPECT_EQ(mails[0].mailPriority, 3);
    EXPECT_EQ(mails[0].sema, 0);
}

// ---- Off course and drift: edges and dismissal ----

TEST_F(NavAlarms, OffCourseAndDriftRaiseOnTheRisingEdgeOnly)
{
    struct Step {
        bool condition;
        bool dismissFirst; // the user acknowledges the alarm before this update
        int raises;
        int clears;
    };
    const Step steps[] = {
        {true, false, 1, 0},  {true, false, 0, 0}, {true, false, 0, 0}, // steady: one alarm
        {false, false, 0, 1},                                            // falls: cleared
        {true, false, 1, 0},                                             // a new edge
        {true, true, 0, 0},   {true, false, 0, 0},                       // dismissed: not again
        {false, false, 0, 0},                                            // falls: no clear after a dismissal
        {true, false, 1, 0},                                             // a new edge
    };
    const struct {
        ALARM_PRIORITY priority;
        ALARM_FUNCTION* cancel;
        void (*run)(bool);
    } kinds[] = {
        {NAV_OFF_COURSE_ALARM, T_NAV_vOffCourseAlarmCancelled, [](bool c) { update(c, false, false, false); }},
        {NAV_DRIFT_ALARM, T_NAV_vDriftAlarmCancelled, [](bool c) { update(false, c, false, false); }},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.priority);
        SetUp();
        for (size_t i = 0; i < std::size(steps); ++i) {
            SCOPED_TRACE(i);
            if (steps[i].dismissFirst)
                kind.cancel();
            kind.run(steps[i].condition);
            const auto mails = alarmMails();
            EXPECT_EQ(raised(mails, kind.priority), (size_t)steps[i].raises);
            EXPECT_EQ(cleared(mails, kind.priority), (size_t)steps[i].clears);
            EXPECT_EQ(mails.size(), (size_t)(steps[i].raises + steps[i].clears)) << "nothing else";
        }
    }
}

// ---- Past waypoint and arrival ----

TEST_F(NavAlarms, ArrivalIsClearedByTheFifthUpdateWhichRunsTheArrivalFunctionOnce)
{
    const struct {
        const char* name;
        bool past;
        ALARM_PRIORITY priority;
        NAV_COMPLETION_FN* complete;
    } kinds[] = {
        {"arrival", false, NAV_ARRIVAL_ALARM, T_NAV_vArrivalAlarmCancelledComplete},
        {"past waypoint", true, NAV_PAST_WAYPOINT_ALARM, T_NAV_vPastWaypointAlarmCancelledComplete},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.name);
        SetUp();
        update(false, false, k.past, !k.past); // update n
        EXPECT_EQ(raised(alarmMails(), k.priority), 1u);
        for (int i = 1; i < EXPIRY; ++i) {
            update(false, false, k.past, !k.past);
            EXPECT_TRUE(alarmMails().empty()) << "update n + " << i;
        }
        EXPECT_EQ(s_arrivals, 0u);
        update(false, false, k.past, !k.past); // update n + 5
        auto mails = alarmMails();
        ASSERT_EQ(mails.size(), 1u);
        EXPECT_EQ(cleared(mails, k.priority), 1u);
        EXPECT_EQ(s_arrivals, 1u);
        EXPECT_EQ(s_completion.load(), k.complete);

        // Until the arrival function completes, the slot stays taken.
        for (int i = 0; i < 2 * EXPIRY; ++i)
            update(false, false, true, true);
        EXPECT_TRUE(alarmMails().empty());
        EXPECT_EQ(s_arrivals, 1u);
        s_completion.load()();
        update(false, false, false, true);
        EXPECT_EQ(raised(alarmMails(), NAV_ARRIVAL_ALARM), 1u) << "free again";
    }
}

TEST_F(NavAlarms, AnEarlierDismissalRunsTheArrivalFunctionAtOnceAndNeverAgain)
{
    const struct {
        bool past;
        ALARM_FUNCTION* cancel;
        NAV_COMPLETION_FN* complete;
    } kinds[] = {
        {false, T_NAV_vArrivalAlarmCancelled, T_NAV_vArrivalAlarmCancelledComplete},
        {true, T_NAV_vPastWaypointAlarmCancelled, T_NAV_vPastWaypointAlarmCancelledComplete},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.past);
        SetUp();
        update(false, false, k.past, !k.past);
        update(false, false, k.past, !k.past);
        alarmMails();
        k.cancel();
        EXPECT_EQ(s_arrivals, 1u);
        EXPECT_EQ(s_completion.load(), k.complete);
        k.cancel();
        for (int i = 0; i < 2 * EXPIRY; ++i)
            update(false, false, k.past, !k.past);
        EXPECT_EQ(s_arrivals, 1u);
        EXPECT_TRUE(alarmMails().empty()) << "no clear mail at the expiry: the user took it away";
    }
}

TEST_F(NavAlarms, PastWaypointWhileArrivalIsActiveRaisesNothing)
{
    update(false, false, false, true);
    EXPECT_EQ(raised(alarmMails(), NAV_ARRIVAL_ALARM), 1u);
    update(false, false, true, false);
    update(false, false, true, true);
    EXPECT_TRUE(alarmMails().empty());

    SetUp();
    update(false, false, true, true);
    const auto mails = alarmMails();
    EXPECT_EQ(raised(mails, NAV_PAST_WAYPOINT_ALARM), 1u) << "passing wins when both come at once";
    EXPECT_EQ(raised(mails, NAV_ARRIVAL_ALARM), 0u);
}

// Without an arrival function nobody would run the completion callback,
// and the shared slot would stay taken for good.
TEST_F(NavAlarms, WithoutAnArrivalFunctionTheAlarmEndsAtExpiryOrDismissal)
{
    update(false, false, false, true, nullptr);
    for (int i = 0; i < EXPIRY; ++i)
        update(false, false, false, false, nullptr);
    EXPECT_EQ(cleared(alarmMails(), NAV_ARRIVAL_ALARM), 1u);
    update(false, false, false, true, nullptr);
    EXPECT_EQ(raised(alarmMails(), NAV_ARRIVAL_ALARM), 1u);

    T_NAV_vArrivalAlarmCancelled();
    update(false, false, true, false, nullptr);
    EXPECT_EQ(raised(alarmMails(), NAV_PAST_WAYPOINT_ALARM), 1u);
}

TEST_F(NavAlarms, ADismissalOfAnAlarmNotUpMovesNoRoute)
{
    idle(3); // the update has given its arrival function
    T_NAV_vArrivalAlarmCancelled();
    T_NAV_vPastWaypointAlarmCancelled();
    EXPECT_EQ(s_arrivals, 0u);

    update(false, false, false, true);
    T_NAV_vPastWaypointAlarmCancelled(); // the other kind
    EXPECT_EQ(s_arrivals, 0u);
    T_NAV_vArrivalAlarmCancelled();
    EXPECT_EQ(s_arrivals, 1u);
}

// ---- The trolling motor's alarms ----

TEST_F(NavAlarms, TrollingMotorAlarmsShowForFiveUpdatesAndRiseAgainOnlyAfterFalling)
{
    struct Step {
        bool condition;
        bool dismissFirst;
        int raises;
        int clears;
    };
    const std::vector<Step> shown = {
        {true, false, 1, 0}, {true, false, 0, 0}, {true, false, 0, 0}, {true, false, 0, 0}, {true, false, 0, 0},
        {true, false, 0, 1}, // five updates after the raise
        {true, false, 0, 1}, // and again on every update while it holds
        {false, false, 0, 1}, {false, false, 0, 0}, {true, false, 1, 0},
    };
    const std::vector<Step> dismissed = {
        {true, false, 1, 0}, {true, true, 0, 0}, {true, false, 0, 0}, {true, false, 0, 0},
        {true, false, 0, 0}, {true, false, 0, 0}, {true, false, 0, 0}, {false, false, 0, 0},
        {true, false, 1, 0},
    };
    const struct {
        ALARM_PRIORITY priority;
        ALARM_FUNCTION* cancel;
        bool arrival;
    } kinds[] = {
        {NAV_ST_ARRIVAL_ALARM, T_NAV_vStArrivalAlarmCancelled, true},
        {NAV_ST_OFFCOURSE_ALARM, T_NAV_vStOffCourseAlarmCancelled, false},
    };
    for (const auto& kind : kinds) {
        for (const auto* run : {&shown, &dismissed}) {
            SCOPED_TRACE(testing::Message() << kind.priority << (run == &shown ? " shown" : " dismissed"));
            SetUp();
            for (size_t i = 0; i < run->size(); ++i) {
                SCOPED_TRACE(i);
                const Step& st = (*run)[i];
                if (st.dismissFirst)
                    kind.cancel();
                // As the navigation update calls them: the count first.
                idle();
                T_NAV_vUpdateStevrinAlarms(kind.arrival && st.condition, !kind.arrival && st.condition);
                const auto mails = alarmMails();
                EXPECT_EQ(raised(mails, kind.priority), (size_t)st.raises);
                EXPECT_EQ(cleared(mails, kind.priority), (size_t)st.clears);
                EXPECT_EQ(mails.size(), (size_t)(st.raises + st.clears));
            }
        }
    }
}

// ---- AIS ----

TEST_F(NavAlarms, AisAlarmNamesTheTargetAndDismissalMarksEveryActiveTarget)
{
    std::vector<ais_DeviceInfo> pool(3);
    const U32 mmsi[] = {366123456, 999999999, 4294967295u};
    for (size_t i = 0; i < pool.size(); ++i) {
        pool[i].aisInfo.MMSI = mmsi[i];
        strcpy(pool[i].sAlarmString, "untouched");
    }
    NAV_STANDIN_vSetAisTargets(pool);
    L_MUTEX_LockWait(RES_AIS_TARGETS);
    ais_DeviceInfo* t[3];
    for (S32 i = 0; i < 3; ++i)
        ASSERT_TRUE(T_NMEA_bScanAisPoints(i, &t[i]));

    // The unit's walk holds the pool's mutex; the alarm takes it again.
    for (S32 i = 0; i < 3; ++i) {
        T_NAV_vUpdateAisAlarm(i < 2 ? TRUE : FALSE, t[i]);
        if (i < 2) {
            const auto mails = alarmMails();
            ASSERT_EQ(raised(mails, AIS_CPA_ALARM), 1u);
            EXPECT_EQ(lastRaise(mails, AIS_CPA_ALARM).text, "AIS Alarm for <" + std::to_string(mmsi[i]) + ">");
        }
    }
    T_NAV_vUpdateAisAlarm(TRUE, t[0]);
    EXPECT_TRUE(alarmMails().empty()) << "an active alarm is not raised again";
    T_NAV_vUpdateAisAlarm(TRUE, t[2]);
    EXPECT_EQ(lastRaise(alarmMails(), AIS_CPA_ALARM).text, "AIS Alarm for <4294967295>");
    for (ais_DeviceInfo* p : t)
        EXPECT_STREQ(p->sAlarmString, "untouched") << "the 21-byte field is never written";

    // The dismissal comes from the alarm task, which does not hold the mutex.
    T_NAV_vUpdateAisAlarm(FALSE, t[2]);
    alarmMails();
    L_MUTEX_Unlock(RES_AIS_TARGETS);
    T_NAV_vAisAlarmCancelled();
    L_MUTEX_LockWait(RES_AIS_TARGETS);
    EXPECT_TRUE(t[0]->bAisAlarmCleared);
    EXPECT_TRUE(t[1]->bAisAlarmCleared);
    EXPECT_FALSE(t[2]->bAisAlarmCleared) << "not active";

    T_NAV_vUpdateAisAlarm(FALSE, t[0]);
    EXPECT_TRUE(alarmMails().empty()) << "dismissed: no clear mail";
    EXPECT_FALSE(t[0]->bAisAlarmActive);
    EXPECT_FALSE(t[0]->bAisAlarmCleared);
    t[1]->bAisAlarmCleared = FALSE;
    T_NAV_vUpdateAisAlarm(FALSE, t[1]);
    EXPECT_EQ(cleared(alarmMails(), AIS_CPA_ALARM), 1u);
    L_MUTEX_Unlock(RES_AIS_TARGETS);
}

// ---- Errors and notes ----

TEST_F(NavAlarms, NoteReplacesTheFirstBracesWithTheParameter)
{
    const struct {
        const char* text;
        const char* param;
        const char* shown;
    } rows[] = {
        {"Navigation started toward waypoint {XXX}", "WPT 007", "Navigation started toward waypoint WPT 007"},
        {"Navigation started toward waypoint {XXX}", nullptr, "Navigation started toward waypoint "},
        {"Total {XXX} items moved.", "12", "Total 12 items moved."},
        {"Waypoint {XXX} added to the current route", "", "Waypoint  added to the current route"},
        {"{XXX} at the start, {YYY} kept", "A", "A at the start, {YYY} kept"},
        {"No placeholder", "ignored", "No placeholder"},
        {"Never closed {XXX", "P", "Never closed P"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        const TEXT_TABLE table = {r.text, r.text, r.text, r.text, r.text, r.text, r.text, r.text,
                                  r.text, r.text, r.text, r.text, r.text, r.text, r.text, r.text,
                                  r.text, r.text, r.text, r.text, r.text, r.text};
        T_NAV_vSetNavUINote(&table, r.param, TRUE);
        const auto mails = alarmMails();
        ASSERT_EQ(mails.size(), 1u);
        const AlarmMail& m = mails[0];
        EXPECT_EQ(m.priority, NAV_UI_ALARM);
        EXPECT_EQ(m.text, r.shown);
        EXPECT_NE(m.set.pMessageString, r.text) << "a composed copy";
        EXPECT_EQ(m.set.InitialToneID, TONE_USE_CUSTOM);
        EXPECT_EQ(m.set.pInitialCustomTone, nullptr);
        EXPECT_EQ(m.set.pReminderCustomTone, nullptr);
        EXPECT_EQ(m.set.pFunctionAlarmCancel, T_NAV_vUINoteCancelled);
    }
}

// The alarm task reads a note's text only when its mail comes up: notes
// raised in a quick run must each still read as sent, not as the last one.
TEST_F(NavAlarms, AQuickRunOfNotesKeepsEachText)
{
    static const char* const text = "Waypoint {XXX} Created";
    const TEXT_TABLE table = {text, text, text, text, text, text, text, text, text, text, text,
                              text, text, text, text, text, text, text, text, text, text, text};
    const char* const names[] = {"WP001", "WP002", "WP003", "WP004"};
    for (const char* name : names)
        T_NAV_vSetNavUINote(&table, name, TRUE);
    std::vector<std::string> shown;
    for (const AlarmMail& m : alarmMails())
        if (m.cmd == CMD_ID_SET_ALARM && m.priority == NAV_UI_ALARM)
            shown.push_back(m.text);
    EXPECT_EQ(shown, (std::vector<std::string>{"Waypoint WP001 Created", "Waypoint WP002 Created",
                                               "Waypoint WP003 Created", "Waypoint WP004 Created"}));
}

TEST_F(NavAlarms, NoteLongerThanTheBufferIsCut)
{
    const std::string head(200, 'h');
    const std::string text = head + " {XXX} tail";
    const char* pc = text.c_str();
    const TEXT_TABLE table = {pc, pc, pc, pc, pc, pc, pc, pc, pc, pc, pc, pc, pc, pc, pc, pc, pc, pc, pc, pc, pc, pc};
    const std::string param(100, 'p');
    T_NAV_vSetNavUINote(&table, param.c_str(), FALSE);
    EXPECT_EQ(lastRaise(alarmMails(), NAV_UI_ALARM).text, (head + " " + param).substr(0, 255));

    const std::string raw(400, 'r');
    T_NAV_ALARM_vSetNavUIRawNote(raw.c_str());
    EXPECT_EQ(lastRaise(alarmMails(), NAV_UI_ALARM).text, raw.substr(0, 255));
}

TEST_F(NavAlarms, NoteCountdownClearsTheSlotOnItsLastUpdate)
{
    static const TEXT_TABLE note = {"n", "n", "n", "n", "n", "n", "n", "n", "n", "n", "n",
                                    "n", "n", "n", "n", "n", "n", "n", "n", "n", "n", "n"};
    const struct {
        const char* name;
        void (*show)();
        int updates; // the update that clears it
    } rows[] = {
        {"countdown 3", [] { T_NAV_vSetNavUINoteWithTimeout(&note, nullptr, 3, FALSE); }, 3},
        {"plain note", [] { T_NAV_vSetNavUINote(&note, nullptr, FALSE); }, 5},
        {"countdown 1", [] { T_NAV_vSetNavUINoteWithTimeout(&note, nullptr, 1, FALSE); }, 1},
        {"raw note", [] { T_NAV_ALARM_vSetNavUIRawNote("raw"); }, 5},
        {"raw with countdown 2", [] { T_NAV_ALARM_vSetNavUIRawNoteWithTimeout("raw", 2); }, 2},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SetUp();
        r.show();
        alarmMails();
        for (int i = 1; i < r.updates; ++i) {
            idle();
            EXPECT_TRUE(alarmMails().empty()) << "update " << i;
        }
        idle();
        EXPECT_EQ(cleared(alarmMails(), NAV_UI_ALARM), 1u);
        idle(10);
        EXPECT_TRUE(alarmMails().empty()) << "counted down once";
    }
    SetUp();
    T_NAV_vSetNavUINoteWithTimeout(&note, nullptr, 0, FALSE);
    T_NAV_vSetNavUINoteWithTimeout(&note, nullptr, -4, FALSE);
    alarmMails();
    idle(10);
    EXPECT_TRUE(alarmMails().empty()) << "no countdown: the note stays until replaced";
}

TEST_F(NavAlarms, NoteCountIsWhatIsOnShowAndLeavesWithDismissalOrExpiry)
{
    static const TEXT_TABLE note = {"n", "n", "n", "n", "n", "n", "n", "n", "n", "n", "n",
                                    "n", "n", "n", "n", "n", "n", "n", "n", "n", "n", "n"};
    EXPECT_EQ(T_NAV_vSetNavUINote(&note, nullptr, FALSE), 1);
    EXPECT_EQ(T_NAV_vSetNavUINoteWithTimeout(&note, nullptr, 2, FALSE), 2);
    T_NAV_vUINoteCancelled();
    T_NAV_vUINoteCancelled();
    alarmMails();
    idle(5);
    EXPECT_TRUE(alarmMails().empty()) << "the last dismissal stopped the countdown";
    T_NAV_vUINoteCancelled(); // a stray one
    EXPECT_EQ(T_NAV_vSetNavUINote(&note, nullptr, FALSE), 1);
    idle(5);
    EXPECT_EQ(T_NAV_vSetNavUINote(&note, nullptr, FALSE), 1) << "the expiry emptied the count";
}

TEST_F(NavAlarms, ErrorReplacesTheErrorOnShowAndANoteExpiryClearsIt)
{
    static const TEXT_TABLE fix = {"GPS Fix required for this operation", "", "", "", "", "", "", "", "", "", "",
                                   "", "", "", "", "", "", "", "", "", "", ""};
    T_NAV_vSetNavUIError(&fix);
    auto mails = alarmMails();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].priority, NAV_UI_ALARM);
    EXPECT_EQ(mails[0].set.pMessageString, fix[0]) << "the language entry itself";
    EXPECT_EQ(mails[0].set.pFunctionAlarmCancel, T_NAV_vUIErrorCancelled);
    EXPECT_EQ(mails[0].set.pInitialCustomTone, nullptr);

    T_NAV_vSetNavUIError(&fix);
    mails = alarmMails();
    ASSERT_EQ(mails.size(), 2u);
    EXPECT_EQ(mails[0].cmd, CMD_ID_CLEAR_ALARM);
    EXPECT_EQ(mails[1].cmd, CMD_ID_SET_ALARM);

    T_NAV_vUIErrorCancelled();
    T_NAV_vSetNavUIError(&fix);
    EXPECT_EQ(alarmMails().size(), 1u) << "dismissed: nothing to clear first";

    T_NAV_vClearNavUIError();
    EXPECT_EQ(cleared(alarmMails(), NAV_UI_ALARM), 1u);

    T_NAV_ALARM_vSetNavUIRawNoteWithTimeout("note", 2);
    T_NAV_vSetNavUIError(&fix);
    alarmMails();
    idle(2);
    EXPECT_EQ(cleared(alarmMails(), NAV_UI_ALARM), 1u) << "one slot: the note's expiry takes the error";
}

// ---- Without the alarm task ----

TEST_F(NavAlarms, WithoutTalrNothingIsSentAndTheStateStillChanges)
{
    H_DATABASE_vDeleteEntry(FCID("TALR"));
    static const TEXT_TABLE note = {"n", "n", "n", "n", "n", "n", "n", "n", "n", "n", "n",
                                    "n", "n", "n", "n", "n", "n", "n", "n", "n", "n", "n"};
    update(true, false, false, true); // off course and arrival, unseen
    EXPECT_EQ(T_NAV_vSetNavUINoteWithTimeout(&note, nullptr, 3, FALSE), 1);
    T_NAV_ALARM_vSetNavUIRawNoteWithTimeout("raw", 1); // not sent: not counted
    EXPECT_EQ(T_NAV_vSetNavUINoteWithTimeout(&note, nullptr, 3, FALSE), 2);
    for (int i = 1; i < EXPIRY; ++i)
        update(true, false, false, false);
    EXPECT_EQ(s_arrivals, 0u);

    H_DATABASE_bUpdateEverythingU32(FCID("TALR"), ALARM_BOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    update(true, false, false, false);
    auto mails = alarmMails();
    EXPECT_EQ(cleared(mails, NAV_ARRIVAL_ALARM), 1u);
    EXPECT_EQ(s_arrivals, 1u);
    EXPECT_EQ(cleared(mails, NAV_UI_ALARM), 0u) << "the note's countdown ran out unseen";
    update(true, false, false, false);
    EXPECT_TRUE(alarmMails().empty()) << "off course is active already";
    update(false, false, false, false);
    EXPECT_EQ(cleared(alarmMails(), NAV_OFF_COURSE_ALARM), 1u);
}

// ---- Threads ----

// The alarm task's dismissal and the navigation task's expiry race for the
// same alarm: between them the route moves on once.
TEST_F(NavAlarms, DismissalRacingExpiryRunsTheArrivalFunctionOncePerRound)
{
    H_DATABASE_vDeleteEntry(FCID("TALR"));
    constexpr U32 ROUNDS = 1000;
    for (U32 round = 0; round < ROUNDS; ++round) {
        update(false, false, false, true);
        idle(EXPIRY - 1);
        std::atomic<int> ready{0};
        auto go = [&ready] {
            ++ready;
            while (ready.load() < 2)
                std::this_thread::yield();
        };
        std::thread expiry([&] {
            go();
            idle();
        });
        std::thread dismissal([&] {
            go();
            T_NAV_vArrivalAlarmCancelled();
        });
        expiry.join();
        dismissal.join();
        ASSERT_EQ(s_arrivals, round + 1) << "round " << round;
        s_completion.load()();
    }
}

} // namespace
