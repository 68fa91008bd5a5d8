// The navigation alarms, errors and notes (see the header).
//
// States of an alarm: inactive; active and shown; active and dismissed by
// the user (off course, drift and the trolling-motor alarms); and, for
// past waypoint and arrival, active and waiting for the arrival function's
// completion callback. s_nTick counts the calls of T_NAV_vUpdateAlarms and
// is the clock of every expiry here.
#include "nav/core/t_nav_alarm.h"

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "store/h_database.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

// Constants ---------------------------------------------------------------

#define NAV_ALARM_ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

const TONE_BURST OffCourseTone = {
    2, 1, {{{3600.0f, 2600.0f, 1600.0f}, 150, 50}, {{3600.0f, 2600.0f, 1600.0f}, 400, 150}, {}, {}, {}}, 0};
const TONE_BURST OffCourseReminderTone = {
    2, 1, {{{3600.0f, 2600.0f, 1600.0f}, 400, 150}, {{3600.0f, 2600.0f, 1600.0f}, 400, 1500}, {}, {}, {}}, 0};

namespace {

constexpr TEXT_TABLE Off_Course_Alarm_Text = NAV_ALARM_ALL_LANGUAGES("Off Course Alarm");
constexpr TEXT_TABLE Stevrin_Off_Course_Alarm_Text = NAV_ALARM_ALL_LANGUAGES("Stevrin Off Course Alarm");
constexpr TEXT_TABLE Past_Waypoint_Text = NAV_ALARM_ALL_LANGUAGES("Past Waypoint");
constexpr TEXT_TABLE Arrival_Alarm_Text = NAV_ALARM_ALL_LANGUAGES("Arrival Alarm");
constexpr TEXT_TABLE Nearing_Stevrin_End_Text = NAV_ALARM_ALL_LANGUAGES("Nearing Stevrin End");
constexpr TEXT_TABLE Drift_Alarm_Text = NAV_ALARM_ALL_LANGUAGES("Drift Alarm");
constexpr TEXT_TABLE AIS_Alarm_For = NAV_ALARM_ALL_LANGUAGES("AIS Alarm for");

// One row per kind that T_NAV_vSetAlarm raises.
struct ALARM_KIND {
    ALARM_PRIORITY ePriority;
    const TEXT_TABLE* pText; // null: the caller's text
    TONE_SEQUENCE eInitialTone;
    const TONE_BURST* pInitialBurst;
    const TONE_BURST* pReminderBurst;
    ALARM_FUNCTION* pfnCancel;
};

const ALARM_KIND s_aKinds[] = {
    {NAV_OFF_COURSE_ALARM, &Off_Course_Alarm_Text, TONE_USE_CUSTOM, &OffCourseTone, &OffCourseReminderTone,
     T_NAV_vOffCourseAlarmCancelled},
    {NAV_ST_OFFCOURSE_ALARM, &Stevrin_Off_Course_Alarm_Text, TONE_USE_CUSTOM, &OffCourseTone,
     &OffCourseReminderTone, T_NAV_vStOffCourseAlarmCancelled},
    {NAV_PAST_WAYPOINT_ALARM, &Past_Waypoint_Text, TONE_GENERAL_ALERT, nullptr, nullptr,
     T_NAV_vPastWaypointAlarmCancelled},
    {NAV_ARRIVAL_ALARM, &Arrival_Alarm_Text, TONE_GENERAL_ALERT, nullptr, nullptr, T_NAV_vArrivalAlarmCancelled},
    {NAV_ST_ARRIVAL_ALARM, &Nearing_Stevrin_End_Text, TONE_GENERAL_ALERT, nullptr, nullptr,
     T_NAV_vStArrivalAlarmCancelled},
    {NAV_DRIFT_ALARM, &Drift_Alarm_Text, TONE_USE_CUSTOM, &OffCourseTone, &OffCourseReminderTone,
     T_NAV_vDriftAlarmCancelled},
    {AIS_CPA_ALARM, nullptr, TONE_GENERAL_ALERT, nullptr, nullptr, T_NAV_vAisAlarmCancelled},
};

constexpr size_t longestText(const TEXT_TABLE& table)
{
    size_t longest = 0;
    for (const char* pc : table) {
        size_t n = 0;
        while (pc[n] != '\0')
            ++n;
        longest = std::max(longest, n);
    }
    return longest;
}

// " <4294967295>": the widest MMSI a U32 holds, nine digits and more.
constexpr size_t AIS_MMSI_CHARS = 13;
constexpr size_t AIS_TEXT_SIZE = longestText(AIS_Alarm_For) + AIS_MMSI_CHARS + 1;

// Types -------------------------------------------------------------------

// An alarm that the user can dismiss while its condition holds.
struct EDGE_ALARM {
    BOOLEAN bActive;
    BOOLEAN bCleared;
    S32 nExpiry; // the trolling-motor alarms only; 0 = not armed
};

struct ALARM_STATE {
    EDGE_ALARM offCourse;
    EDGE_ALARM drift;
    EDGE_ALARM stOffCourse;
    EDGE_ALARM stArrival;
    BOOLEAN bPastWaypointActive;
    BOOLEAN bArrivalActive;
    BOOLEAN bArrivalFunctionCalled;
    S32 nArrivalExpiry; // shared by past waypoint and arrival
    S32 nTick;
    NAV_ARRIVAL_FN* pArrivalFunction;
    BOOLEAN bUIErrorActive;
    S32 nUINoteCount;
    S32 nUINoteCountdown;
};

// Statics -------------------------------------------------------------------

std::mutex s_lock; // s_state and the text buffers
ALARM_STATE s_state;
// The texts of the latest notes. The alarm mail points at its text and the
// alarm task reads it when the mail comes up, which may be after the next
// notes are composed: each note takes the next buffer of the ring, so a
// quick run of notes leaves every text as it was sent. A later note still
// replaces an earlier one on show, as its mail replaces the pending one.
constexpr size_t NOTE_BUFFERS = 16;
char s_asResult[NOTE_BUFFERS][NAV_NOTE_MAX_CHARS + 1];
size_t s_nNextResult;
// The text of the AIS alarm on show (the target's own field is too short).
char s_sAisAlarm[AIS_TEXT_SIZE];

// Static functions ------------------------------------------------------------

const char* textOf(const TEXT_TABLE* pText)
{
    const char* pc = (*pText)[nCurrentLanguage()];
    return pc != nullptr ? pc : "";
}

// The alarm task's mailbox, or FALSE when it has published none.
BOOLEAN bAlarmMailbox(MBOX* pMbox)
{
    U32 u32Mbox = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(FCID("TALR"), &u32Mbox, &bValid, nullptr) || !bValid)
        return FALSE;
    *pMbox = (MBOX)u32Mbox;
    return TRUE;
}

BOOLEAN bSend(MBOX mbox, GENERIC_MESSAGE* pMail)
{
    if (L_MBOX_Send(mbox, &pMail->msghdr, ALARM_MAIL_PRIORITY, 0) == 0)
        return TRUE;
    log_me("%s: alarm mail %d refused by mailbox %d", __FILE_NAME__, (int)pMail->Cmd, (int)mbox);
    H_MEMORY_vFree(pMail);
    return FALSE;
}

// The raise mail; TRUE when it went out.
BOOLEAN bRaise(ALARM_PRIORITY ePriority, const char* pcText, TONE_SEQUENCE eInitialTone,
               const TONE_BURST* pInitialBurst, const TONE_BURST* pReminderBurst, ALARM_FUNCTION* pfnCancel)
{
    MBOX mbox = 0;
    if (!bAlarmMailbox(&mbox))
        return FALSE;
    auto* pMail = static_cast<ALARM_SET_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(ALARM_SET_MESSAGE)));
    memset(static_cast<void*>(pMail), 0, sizeof *pMail);
    pMail->header.Cmd = CMD_ID_SET_ALARM;
    pMail->Priority = ePriority;
    pMail->pLeftIcon = nullptr;
    pMail->pRightIcon = nullptr;
    pMail->pMessageString = pcText;
    pMail->InitialToneID = eInitialTone;
    pMail->pInitialCustomTone = pInitialBurst;
    pMail->ReminderToneID = TONE_USE_CUSTOM;
    pMail->pReminderCustomTone = pReminderBurst;
    pMail->pFunctionAlarmCancel = pfnCancel;
    return bSend(mbox, &pMail->header);
}

void vClear(ALARM_PRIORITY ePriority)
{
    MBOX mbox = 0;
    if (!bAlarmMailbox(&mbox))
        return;
    auto* pMail = static_cast<ALARM_CLEAR_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(ALARM_CLEAR_MESSAGE)));
    memset(static_cast<void*>(pMail), 0, sizeof *pMail);
    pMail->header.Cmd = CMD_ID_CLEAR_ALARM;
    pMail->Priority = ePriority;
    bSend(mbox, &pMail->header);
}

// T_NAV_vSetAlarm with the lock held.
void vSetAlarmLocked(ALARM_PRIORITY ePriority, const char* pcMessage)
{
    for (const ALARM_KIND& k : s_aKinds) {
        if (k.ePriority != ePriority)
            continue;
        bRaise(ePriority, k.pText != nullptr ? textOf(k.pText) : pcMessage, k.eInitialTone, k.pInitialBurst,
               k.pReminderBurst, k.pfnCancel);
        return;
    }
}

// Off course and drift: raised on the rising edge; the falling edge clears
// the alarm unless the user has dismissed it.
void vUpdateEdge(EDGE_ALARM& a, BOOLEAN bCondition, ALARM_PRIORITY ePriority)
{
    if (bCondition && !a.bActive) {
        a.bActive = TRUE;
        vSetAlarmLocked(ePriority, nullptr);
    } else if (!bCondition && a.bActive) {
        a.bActive = FALSE;
        if (a.bCleared)
            a.bCleared = FALSE;
        else
            vClear(ePriority);
    }
}

// A trolling-motor alarm: shown for NAV_ALARM_EXPIRY_TICKS updates, then
// cleared on every call until its condition goes false.
void vUpdateStevrin(EDGE_ALARM& a, BOOLEAN bCondition, ALARM_PRIORITY ePriority)
{
    S32& nTick = s_state.nTick;
    if (bCondition && !a.bActive) {
        a.bActive = TRUE;
        a.bCleared = FALSE;
        vSetAlarmLocked(ePriority, nullptr);
        a.nExpiry = nTick + NAV_ALARM_EXPIRY_TICKS;
    } else if (!bCondition && a.nExpiry != 0) {
        if (a.bActive) {
            a.bActive = FALSE;
            a.nExpiry = 0;
        }
        if (!a.bCleared)
            vClear(ePriority);
    }
    if (a.bActive && !a.bCleared && nTick >= a.nExpiry)
        vClear(ePriority);
}

// The end of a past-waypoint or arrival alarm, decided under the lock and
// run after it is released.
struct ARRIVAL_STEP {
    NAV_ARRIVAL_FN* pfnArrival = nullptr;
    NAV_COMPLETION_FN* pfnComplete = nullptr;
    bool bRun = false;
};

void vRun(const ARRIVAL_STEP& step)
{
    if (!step.bRun)
        return;
    if (step.pfnArrival != nullptr)
        step.pfnArrival(step.pfnComplete);
    else
        step.pfnComplete(); // no one else would ever end the alarm
}

// The dismissal of a past-waypoint or arrival alarm: the arrival function
// runs now unless the expiry (or an earlier dismissal) ran it. A dismissal
// of a kind that is not up (a stale callback) moves no route on.
void vArrivalDismissed(const BOOLEAN& bKindActive, NAV_COMPLETION_FN* pfnComplete)
{
    ARRIVAL_STEP step;
    {
        std::lock_guard<std::mutex> guard(s_lock);
        if (bKindActive && !s_state.bArrivalFunctionCalled) {
            step = {s_state.pArrivalFunction, pfnComplete, true};
            s_state.bArrivalFunctionCalled = TRUE;
        }
    }
    vRun(step);
}

// Step 1 of a note: the text with the parameter in place of the first
// "{...}" (a "{" never closed ends the text), cut to fit.
void vCompose(char* pcOut, size_t szOut, const char* pcText, const char* pcParam)
{
    size_t n = 0;
    auto put = [&](const char* pc, size_t len) {
        const size_t take = std::min(len, szOut - 1 - n);
        memcpy(pcOut + n, pc, take);
        n += take;
    };
    const char* pcOpen = strchr(pcText, '{');
    if (pcOpen == nullptr) {
        put(pcText, strlen(pcText));
    } else {
        put(pcText, (size_t)(pcOpen - pcText));
        if (pcParam != nullptr)
            put(pcParam, strlen(pcParam));
        const char* pcClose = strchr(pcOpen, '}');
        if (pcClose != nullptr)
            put(pcClose + 1, strlen(pcClose + 1));
    }
    pcOut[n] = '\0';
}

// Steps 2 and 3 of a note, with the lock held: TRUE when the mail went out.
BOOLEAN bShowNoteLocked(const char* pcText)
{
    char* pcResult = s_asResult[s_nNextResult];
    s_nNextResult = (s_nNextResult + 1) % NOTE_BUFFERS;
    snprintf(pcResult, sizeof s_asResult[0], "%s", pcText);
    return bRaise(NAV_UI_ALARM, pcResult, TONE_USE_CUSTOM, nullptr, nullptr, T_NAV_vUINoteCancelled);
}

void vCountNoteLocked(S32 nCountdown)
{
    ++s_state.nUINoteCount;
    s_state.nUINoteCountdown = std::max(nCountdown, 0);
}

} // namespace

// Alarms ----------------------------------------------------------------------

void T_NAV_ALARM_vInit(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_state = ALARM_STATE{};
    for (char* pcResult : s_asResult)
        pcResult[0] = '\0';
    s_nNextResult = 0;
    s_sAisAlarm[0] = '\0';
}

void T_NAV_vSetAlarm(ALARM_PRIORITY AlarmPriority, const char* pMessageString)
{
    std::lock_guard<std::mutex> guard(s_lock);
    vSetAlarmLocked(AlarmPriority, pMessageString);
}

void T_NAV_vUpdateAlarms(BOOLEAN bOffCourse, BOOLEAN bDrift, BOOLEAN bPastWaypoint, BOOLEAN bArrival,
                         NAV_ARRIVAL_FN* pArrivalFunction)
{
    ARRIVAL_STEP step;
    {
        std::lock_guard<std::mutex> guard(s_lock);
        ALARM_STATE& s = s_state;
        s.pArrivalFunction = pArrivalFunction;
        vUpdateEdge(s.offCourse, bOffCourse, NAV_OFF_COURSE_ALARM);
        vUpdateEdge(s.drift, bDrift, NAV_DRIFT_ALARM);

        // Whichever of the two comes first holds the slot until its
        // completion callback; the other is not raised meanwhile.
        if ((bPastWaypoint || bArrival) && !s.bPastWaypointActive && !s.bArrivalActive) {
            if (bPastWaypoint) {
                vSetAlarmLocked(NAV_PAST_WAYPOINT_ALARM, nullptr);
                s.bPastWaypointActive = TRUE;
            } else {
                vSetAlarmLocked(NAV_ARRIVAL_ALARM, nullptr);
                s.bArrivalActive = TRUE;
            }
            s.bArrivalFunctionCalled = FALSE;
            s.nArrivalExpiry = s.nTick + NAV_ALARM_EXPIRY_TICKS;
        }
        if ((s.bPastWaypointActive || s.bArrivalActive) && s.nTick >= s.nArrivalExpiry &&
            !s.bArrivalFunctionCalled) {
            const bool bPast = s.bPastWaypointActive != FALSE;
            vClear(bPast ? NAV_PAST_WAYPOINT_ALARM : NAV_ARRIVAL_ALARM);
            step = {s.pArrivalFunction,
                    bPast ? T_NAV_vPastWaypointAlarmCancelledComplete : T_NAV_vArrivalAlarmCancelledComplete, true};
            s.bArrivalFunctionCalled = TRUE;
        }

        ++s.nTick;

        if (s.nUINoteCountdown != 0 && --s.nUINoteCountdown == 0) {
            vClear(NAV_UI_ALARM);
            s.nUINoteCount = 0;
        }
    }
    vRun(step);
}

void T_NAV_vUpdateStevrinAlarms(BOOLEAN bArrival, BOOLEAN bOffCourse)
{
    std::lock_guard<std::mutex> guard(s_lock);
    vUpdateStevrin(s_state.stArrival, bArrival, NAV_ST_ARRIVAL_ALARM);
    vUpdateStevrin(s_state.stOffCourse, bOffCourse, NAV_ST_OFFCOURSE_ALARM);
}

void T_NAV_vUpdateAisAlarm(BOOLEAN bAisAlarm, ais_DeviceInfo* pAisInfo)
{
    if (pAisInfo == nullptr)
        return;
    L_MUTEX_LockWait(RES_AIS_TARGETS);
    if (bAisAlarm && !pAisInfo->bAisAlarmActive) {
        std::lock_guard<std::mutex> guard(s_lock);
        snprintf(s_sAisAlarm, sizeof s_sAisAlarm, "%s <%lu>", textOf(&AIS_Alarm_For),
                 (unsigned long)pAisInfo->aisInfo.MMSI);
        pAisInfo->bAisAlarmActive = TRUE;
        vSetAlarmLocked(AIS_CPA_ALARM, s_sAisAlarm);
    } else if (!bAisAlarm && pAisInfo->bAisAlarmActive) {
        pAisInfo->bAisAlarmActive = FALSE;
        if (pAisInfo->bAisAlarmCleared) {
            pAisInfo->bAisAlarmCleared = FALSE;
        } else {
            std::lock_guard<std::mutex> guard(s_lock);
            vClear(AIS_CPA_ALARM);
        }
    }
    L_MUTEX_Unlock(RES_AIS_TARGETS);
}

// Errors and notes --------------------------------------------------------------

void T_NAV_vSetNavUIError(const TEXT_TABLE* pText)
{
    if (pText == nullptr)
        return;
    std::lock_guard<std::mutex> guard(s_lock);
    if (s_state.bUIErrorActive) {
        vClear(NAV_UI_ALARM);
        s_state.bUIErrorActive = FALSE;
    }
    bRaise(NAV_UI_ALARM, textOf(pText), TONE_USE_CUSTOM, nullptr, nullptr, T_NAV_vUIErrorCancelled);
    s_state.bUIErrorActive = TRUE;
}

void T_NAV_vClearNavUIError(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    vClear(NAV_UI_ALARM);
    s_state.bUIErrorActive = FALSE;
}

S32 T_NAV_vSetNavUINote(const TEXT_TABLE* pText, const char* sParam, BOOLEAN bParamWyptName)
{
    return T_NAV_vSetNavUINoteWithTimeout(pText, sParam, NAV_NOTE_DEFAULT_COUNTDOWN, bParamWyptName);
}

S32 T_NAV_vSetNavUINoteWithTimeout(const TEXT_TABLE* pText, const char* sParam, S32 nUINoteCountdown,
                                   BOOLEAN bParamWyptName)
{
    (void)bParamWyptName;
    char acText[NAV_NOTE_MAX_CHARS + 1];
    if (pText != nullptr)
        vCompose(acText, sizeof acText, textOf(pText), sParam);
    std::lock_guard<std::mutex> guard(s_lock);
    if (pText == nullptr)
        return s_state.nUINoteCount;
    bShowNoteLocked(acText);
    vCountNoteLocked(nUINoteCountdown);
    return s_state.nUINoteCount;
}

void T_NAV_ALARM_vSetNavUIRawNote(const char* pString)
{
    T_NAV_ALARM_vSetNavUIRawNoteWithTimeout(pString, NAV_NOTE_DEFAULT_COUNTDOWN);
}

void T_NAV_ALARM_vSetNavUIRawNoteWithTimeout(const char* pString, S32 nUINoteCountdown)
{
    if (pString == nullptr)
        return;
    std::lock_guard<std::mutex> guard(s_lock);
    if (bShowNoteLocked(pString))
        vCountNoteLocked(nUINoteCountdown);
}

// Cancel callbacks ------------------------------------------------------------------

void T_NAV_vOffCourseAlarmCancelled(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_state.offCourse.bCleared = TRUE;
}

void T_NAV_vDriftAlarmCancelled(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_state.drift.bCleared = TRUE;
}

void T_NAV_vStOffCourseAlarmCancelled(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_state.stOffCourse.bCleared = TRUE;
}

void T_NAV_vStArrivalAlarmCancelled(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_state.stArrival.bCleared = TRUE;
}

void T_NAV_vPastWaypointAlarmCancelled(void)
{
    vArrivalDismissed(s_state.bPastWaypointActive, T_NAV_vPastWaypointAlarmCancelledComplete);
}

void T_NAV_vArrivalAlarmCancelled(void)
{
    vArrivalDismissed(s_state.bArrivalActive, T_NAV_vArrivalAlarmCancelledComplete);
}

void T_NAV_vUIErrorCancelled(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_state.bUIErrorActive = FALSE;
}

void T_NAV_vUINoteCancelled(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    if (s_state.nUINoteCount > 0)
        --s_state.nUINoteCount;
    if (s_state.nUINoteCount == 0)
        s_state.nUINoteCountdown = 0;
}

void T_NAV_vAisAlarmCancelled(void)
{
    L_MUTEX_LockWait(RES_AIS_TARGETS);
    ais_DeviceInfo* pTarget = nullptr;
    for (S32 i = 0; T_NMEA_bScanAisPoints(i, &pTarget); ++i)
        if (pTarget->bAisAlarmActive)
            pTarget->bAisAlarmCleared = TRUE;
    L_MUTEX_Unlock(RES_AIS_TARGETS);
}

// Completion callbacks -----------------------------------------------------------------

void T_NAV_vPastWaypointAlarmCancelledComplete(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_state.bPastWaypointActive = FALSE;
}

void T_NAV_vArrivalAlarmCancelledComplete(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_state.bArrivalActive = FALSE;
}
