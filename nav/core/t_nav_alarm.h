// The navigation alarms, errors and notes. Nothing here draws: every alarm
// is a mail to the alarm task (accessories/t_alarm.h), which shows and
// sounds it and calls back here when the user dismisses it.
//
// Alarms are edge-triggered: a condition that comes true raises its alarm
// once; when it goes false again the alarm is cleared, unless the user has
// dismissed it already. Past waypoint and arrival share one slot of time:
// whichever comes first is shown, and five updates later it is cleared and
// the arrival function (the route's step to the next leg) runs with the
// kind's completion callback. A dismissal before that runs the arrival
// function at once instead; either way it runs once per alarm. Errors and
// notes share the alarm slot NAV_UI_ALARM: a new one replaces the one on
// show, and a note's countdown (counted by T_NAV_vUpdateAlarms, one a
// second) also clears an error shown after it.
//
// Without "TALR" in the data store no mail is sent and the state changes
// as if it had been.
//
// Threads: the updates run in the navigation task (the trolling-motor link
// also updates its alarms from its own task); errors and notes come from
// any task; the alarm task calls the cancel callbacks. One module lock
// guards the state, and nothing is called out of this module while it is
// held: the arrival function and its completion callback run after it is
// released. The AIS flags are target fields and change under
// RES_AIS_TARGETS (mutex 68), which may be held when calling in (it is
// taken before the module lock, never after).
#pragma once

#include "accessories/t_alarm.h"
#include "accessories/t_tone.h"

#include "kernel/l_types.h"
#include "nmea/t_nmea_ais_standin.h"
#include "store/lang.h"

// Types -------------------------------------------------------------------

// Called by the arrival function once its work is done.
typedef void NAV_COMPLETION_FN(void);
// What runs after an arrival; it calls the completion callback when done.
typedef void NAV_ARRIVAL_FN(NAV_COMPLETION_FN* pfnComplete);

// Constants ---------------------------------------------------------------

constexpr ALARM_PRIORITY NAV_ST_OFFCOURSE_ALARM = NAV_STEVRIN_OFFCOURSE_ALARM;
constexpr ALARM_PRIORITY NAV_ST_ARRIVAL_ALARM = NAV_STEVRIN_ARRIVAL_ALARM;

// Updates between the raise of a past-waypoint, arrival or trolling-motor
// alarm and its clearing.
constexpr S32 NAV_ALARM_EXPIRY_TICKS = 5;
// Seconds a note stays unless its caller says otherwise.
constexpr S32 NAV_NOTE_DEFAULT_COUNTDOWN = 5;
// Characters of a note's text; a longer text is cut.
constexpr U32 NAV_NOTE_MAX_CHARS = 255;

// The bursts of the off-course and drift alarms.
extern const TONE_BURST OffCourseTone;
extern const TONE_BURST OffCourseReminderTone;

// Alarms ------------------------------------------------------------------

// Every flag, counter and expiry back to power-up.
void T_NAV_ALARM_vInit(void);

// Raises one of NAV_OFF_COURSE_ALARM .. NAV_DRIFT_ALARM (the text of the
// kind in the current language) or AIS_CPA_ALARM (pMessageString, which
// must stay valid while the alarm is up). Any other priority sends nothing.
void T_NAV_vSetAlarm(ALARM_PRIORITY AlarmPriority, const char* pMessageString);

// The once-a-second step of the navigation update, with the tick's
// conditions and the function to run after an arrival (null: none; the
// shown alarm is then simply ended when it expires or is dismissed).
void T_NAV_vUpdateAlarms(BOOLEAN bOffCourse, BOOLEAN bDrift, BOOLEAN bPastWaypoint, BOOLEAN bArrival,
                         NAV_ARRIVAL_FN* pArrivalFunction);
// The trolling-motor autopilot's nearing-end and off-course alarms: each is
// shown for five updates and raised again only after its condition has
// gone false.
void T_NAV_vUpdateStevrinAlarms(BOOLEAN bArrival, BOOLEAN bOffCourse);
// The closest-approach alarm of one AIS target, whose text names the
// target's MMSI. Takes RES_AIS_TARGETS (nested when the caller holds it).
void T_NAV_vUpdateAisAlarm(BOOLEAN bAisAlarm, ais_DeviceInfo* pAisInfo);

// Errors and notes ----------------------------------------------------------

// Shows the text of the current language as an error, replacing an error
// on show; the error stays until dismissed, replaced or cleared.
void T_NAV_vSetNavUIError(const TEXT_TABLE* pText);
void T_NAV_vClearNavUIError(void);

// Shows the text of the current language with sParam (null: nothing) in
// place of its first "{...}", cut to NAV_NOTE_MAX_CHARS, for 5 seconds or
// nUINoteCountdown seconds (0 or less: until replaced or dismissed).
// bParamWyptName has no effect. Returns the number of notes raised and not
// yet dismissed or expired.
S32 T_NAV_vSetNavUINote(const TEXT_TABLE* pText, const char* sParam, BOOLEAN bParamWyptName);
S32 T_NAV_vSetNavUINoteWithTimeout(const TEXT_TABLE* pText, const char* sParam, S32 nUINoteCountdown,
                                   BOOLEAN bParamWyptName);
// A composed text, cut to NAV_NOTE_MAX_CHARS; the note count and countdown
// change only when the mail went out.
void T_NAV_ALARM_vSetNavUIRawNote(const char* pString);
void T_NAV_ALARM_vSetNavUIRawNoteWithTimeout(const char* pString, S32 nUINoteCountdown);

// Cancel callbacks (alarm task) ---------------------------------------------

void T_NAV_vOffCourseAlarmCancelled(void);
void T_NAV_vDriftAlarmCancelled(void);
void T_NAV_vStOffCourseAlarmCancelled(void);
void T_NAV_vStArrivalAlarmCancelled(void);
void T_NAV_vPastWaypointAlarmCancelled(void);
void T_NAV_vArrivalAlarmCancelled(void);
void T_NAV_vUIErrorCancelled(void);
void T_NAV_vUINoteCancelled(void);
// Marks every AIS target whose alarm is active as dismissed; takes
// RES_AIS_TARGETS.
void T_NAV_vAisAlarmCancelled(void);

// Completion callbacks (arrival function) ------------------------------------

void T_NAV_vPastWaypointAlarmCancelledComplete(void);
void T_NAV_vArrivalAlarmCancelledComplete(void);
