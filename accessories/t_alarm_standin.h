// STAND-IN for the alarm task (task 20) until the accessories subsystem
// builds it: it publishes its mailbox under "TALR" so that raisers send
// their mails, and writes one log line for each raise and each clear, so
// that a running unit and the process tests can read which alarms and
// notes came up. It shows nothing, sounds nothing, takes no keys and calls
// no callback. Replace this file with the real task; the raisers' mails
// (accessories/t_alarm.h) stay as they are.
//
// Log lines: `alarm 28 raised: "Arrival Alarm"` (a null text shows as
// `alarm 28 raised` alone) and `alarm 28 cleared`.
#pragma once

// The entry of task 20 (declared with the other entries by the
// composition root).
void T_ALARM_vMain(void);
