// The alarm task's client side: the alarm kinds and the mails that raise
// and clear them.
//
// The alarm task (task 20) publishes its mailbox under "TALR". A raiser
// allocates the mail from the program heap and sends it there at mail
// priority 3 without a semaphore, never waiting; the alarm task frees it.
// A raiser that finds no "TALR" sends nothing.
//
// The task keeps one alarm per kind and shows the most important one (the
// lowest ALARM_PRIORITY). Texts, icons and bursts are referenced, not
// copied: the raiser keeps them valid while the alarm is up. The cancel
// callback runs in the alarm task's thread when the user acknowledges the
// alarm or a new alarm of the same kind replaces it; a clear mail removes
// the alarm without calling it.
#pragma once

#include "accessories/t_tone.h"

#include "graphics/g_icon.h"
#include "kernel/l_mbox.h"
#include "kernel/l_types.h"

constexpr MBOX ALARM_MAILBOX = 20;
constexpr SEMA SEMA_MBOX_ALARM = 26;
constexpr PRIORITY ALARM_MAIL_PRIORITY = 3;

// Which alarm, and at once its importance (lower is more important) and
// the index of its slot in the alarm task.
typedef enum tag_ALARM_PRIORITY : int {
    MOST_SERIOUS_ALARM = 0,
    HARDWARE_FAULT_ALARM = 1,
    SOFTWARE_FAULT_ALARM = 2,
    DEPTH_ALARM = 3,
    REMOTE_DEPTH_ALARM = 4,
    LOW_BATTERY_ALARM = 5,
    SHALLOW_WATER_DEPTH_ALARM = 6,
    DEEP_WATER_DEPTH_ALARM = 7,
    SHALLOW_WATER_DEPTH2_ALARM = 8,
    DEEP_WATER_DEPTH2_ALARM = 9,
    DOWNRIGGER_DEPTH_ALARM = 10,
    MAINTENANCE_ALARM1 = 11,
    MAINTENANCE_ALARM2 = 12,
    SPEED_ALARM = 13,
    REMOTE_SPEED_ALARM = 14,
    RETRACTION_ALARM = 15,
    DEPLOYMENT_ALARM = 16,
    FTC_MINDEPTH_ALARM = 17,
    STARTUP_UI_ALARM = 18,
    DHCP_ERROR_ALARM = 19,
    IP_ADDRESS_CONFLICT_ALARM = 20,
    MAC_ADDRESS_CONFLICT_ALARM = 21,
    IP_SETUP_ERROR_ALARM = 22,
    ETHERNET_CONNECTION_FAULT_ALARM = 23,
    FATAL_ETHERNET_ERROR_ALARM = 24,
    NAV_OFF_COURSE_ALARM = 25,
    NAV_STEVRIN_OFFCOURSE_ALARM = 26,
    NAV_PAST_WAYPOINT_ALARM = 27,
    NAV_ARRIVAL_ALARM = 28,
    NAV_STEVRIN_ARRIVAL_ALARM = 29,
    NAV_DRIFT_ALARM = 30,
    NAV_UI_ALARM = 31,
    GATEWAY_UI_ALARM = 32,
    DATASOURCE_ALARM_ENGINE = 33,
    DATASOURCE_ALARM_TANK = 34,
    DATASOURCE_ALARM_SPEED = 35,
    DATASOURCE_ALARM_DEPTH = 36,
    DATASOURCE_ALARM_ATTITUDE = 37,
    DATASOURCE_ALARM_HEADING = 38,
    DATASOURCE_ALARM_TEMP_AIR = 39,
    DATASOURCE_ALARM_TEMP_WATER = 40,
    DATASOURCE_ALARM_HUMIDITY = 41,
    DATASOURCE_ALARM_PRESSURE = 42,
    DATASOURCE_ALARM_WIND = 43,
    DATASOURCE_ALARM_ENGINE2 = 44,
    DATASOURCE_ALARM_TANK2 = 45,
    AIS_CPA_ALARM = 46,
    SEA_TEMPERATURE_HIGH_ALARM = 47,
    SEA_TEMPERATURE_LOW_ALARM = 48,
    AIR_TEMPERATURE_HIGH_ALARM = 49,
    AIR_TEMPERATURE_LOW_ALARM = 50,
    BAROMETER_FAILURE_ALARM = 51,
    ATMOSPHERIC_PRESSURE_RISING_ALARM = 52,
    ATMOSPHERIC_PRESSURE_FALLING_ALARM = 53,
    TOTAL_FUEL_ALARM = 54,
    CHECK_ENGINE_ALARM = 55,
    ENGINE_OVER_TEMP_ALARM = 56,
    ENGINE_LOW_OIL_PRESSURE_ALARM = 57,
    ENGINE_LOW_OIL_VALUE_ALARM = 58,
    ENGINE_LOW_FUEL_PRESSURE_ALARM = 59,
    ENGINE_LOW_SYSTEM_VOLTAGE_ALARM = 60,
    ENGINE_LOW_COOLANT_LEVEL_ALARM = 61,
    ENGINE_WATER_FLOW_ALARM = 62,
    ENGINE_CHARGE_INDICATOR_ALARM = 63,
    WEATHER_LINK_ALARM_HARDWARE_FAILURE = 64,
    WEATHER_LINK_ALARM_CHECK_ANTENNA = 65,
    WEATHER_LINK_ALARM_NVN_CLEAR_SUCCESS = 66,
    WEATHER_LINK_ALARM_NVN_CLEAR_FAILURE = 67,
    BAROMETER_BATTERY_LOW_ALARM = 68,
    AUX_WATER_TEMPERATURE_ALARM = 69,
    WATER_TEMPERATURE_ALARM = 70,
    REMOTE_AUX_WATER_TEMPERATURE_ALARM = 71,
    REMOTE_WATER_TEMPERATURE_ALARM = 72,
    HEADING_LOST_ALARM = 73,
    WATER_TEMP_LOST = 74,
    ACCESSORY_LOST_ALARM = 75,
    TIMER_ALARM = 76,
    VOLTAGE_LOW_WARNING = 77,
    VOLTAGE_HIGH_WARNING = 78,
    LEAST_IMPORTANT_ALARM = 79,
    NUMBER_OF_SUPPORTED_ALARMS = 80
} ALARM_PRIORITY;

typedef void ALARM_FUNCTION(void);

// CMD_ID_SET_ALARM (a simple alarm) or CMD_ID_SET_EXT_ALARM (with a left
// and a right answer). For a simple alarm the task itself clears
// bExtended, the choices and the key callbacks.
typedef struct tag_ALARM_SET_MESSAGE {
    GENERIC_MESSAGE header;
    ALARM_PRIORITY Priority; // below NUMBER_OF_SUPPORTED_ALARMS
    BOOLEAN bExtended;       // written by the alarm task
    const ICON* pLeftIcon;
    const ICON* pRightIcon;
    const char* pMessageString; // in the current language; null shows no box
    const char* pLeftChoice;
    const char* pRightChoice;
    ALARM_FUNCTION* pFunctionCbLeftKeyAction;
    ALARM_FUNCTION* pFunctionCbRightKeyAction;
    TONE_SEQUENCE InitialToneID; // played once when first shown
    const TONE_BURST* pInitialCustomTone;
    TONE_SEQUENCE ReminderToneID; // repeated while shown
    const TONE_BURST* pReminderCustomTone;
    ALARM_FUNCTION* pFunctionAlarmCancel;
} ALARM_SET_MESSAGE;

// CMD_ID_CLEAR_ALARM.
typedef struct tag_ALARM_CLEAR_MESSAGE {
    GENERIC_MESSAGE header;
    ALARM_PRIORITY Priority;
} ALARM_CLEAR_MESSAGE;
