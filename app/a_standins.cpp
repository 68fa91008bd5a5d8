// Entries of the tasks whose subsystem is not part of this build yet, and
// the empty entries of tasks the system does not run. Each ends its own
// task at once; a stand-in says so in the log.
#include "app/a_entries.h"
#include "app/a_standins.h"
#include "app/a_tasks.h"

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "kernel/lm_log.h"
#include "store/h_database.h"

#define ENDS_AT_ONCE(entry) \
    void entry(void) { L_TASK_Terminate(0); }
#define NOT_BUILT_YET(entry)     \
    void entry(void)             \
    {                            \
        log_me("not built yet"); \
        L_TASK_Terminate(0);     \
    }

// Tasks the system never runs, or runs empty.
ENDS_AT_ONCE(T_DUMMY_vMain) // 3
ENDS_AT_ONCE(T_BAROMETER_vMain) // 22
ENDS_AT_ONCE(T_ACC_COMM_vMain) // 27
ENDS_AT_ONCE(T_BOBRIN_vMain) // 29
ENDS_AT_ONCE(T_3D_HISTORY_vMain) // 33
ENDS_AT_ONCE(T_3D_PROCESS_vMain) // 34
ENDS_AT_ONCE(T_DEVELOPMENT_vMain) // 35
ENDS_AT_ONCE(T_3D_HISTORY_RENDER_vMain) // 36
ENDS_AT_ONCE(T_DOWNRIGGER_vMain) // 37
ENDS_AT_ONCE(T_BATHYMETRY_vMain) // 38
ENDS_AT_ONCE(T_GATEWAY_vMain) // 41
ENDS_AT_ONCE(T_GATEWAY_NAV_vMain) // 42
ENDS_AT_ONCE(T_SOUND_vMain) // 44
ENDS_AT_ONCE(T_XMWEATHER_vMain) // 45
ENDS_AT_ONCE(T_XMWEATHER_DATA_vMain) // 46
ENDS_AT_ONCE(T_SLPD_vMain) // 47
ENDS_AT_ONCE(T_SOCKET_vMain) // 49
ENDS_AT_ONCE(T_XDUCERID_vMain) // 50
ENDS_AT_ONCE(T_MSSCONTROL_vMain) // 64
ENDS_AT_ONCE(T_MSS_UPDATER_vMain) // 65
ENDS_AT_ONCE(T_MSSBCAST_vMain) // 66

// Subsystems not built yet.
NOT_BUILT_YET(T_ADC_vMain) // 7
NOT_BUILT_YET(T_SPEED_vMain) // 9
NOT_BUILT_YET(T_CHART_vMain) // 13
NOT_BUILT_YET(T_TONE_vMain) // 18
NOT_BUILT_YET(T_ACC_vMain) // 23
NOT_BUILT_YET(T_TEMP_vMain) // 24
NOT_BUILT_YET(T_BATTERY_vMain) // 25
NOT_BUILT_YET(T_BUTTON_vMain) // 31
NOT_BUILT_YET(T_CHART_INFO_vMain) // 32
NOT_BUILT_YET(T_CHART_3D_vMain) // 39
NOT_BUILT_YET(T_HTML_vMain) // 40
NOT_BUILT_YET(T_ETHERNET_vMain) // 43
NOT_BUILT_YET(T_SLPTEST_vMain) // 48
NOT_BUILT_YET(T_SLP_CLIENT_vMain) // 54
NOT_BUILT_YET(T_RADAR_vMain) // 57
NOT_BUILT_YET(T_RADAR_DATA_vMain) // 58
NOT_BUILT_YET(T_RADAR_SERVER_vMain) // 59
NOT_BUILT_YET(T_RADAR_CLIENT_vMain) // 61
NOT_BUILT_YET(T_ETHBCAST_vMain) // 62
NOT_BUILT_YET(T_ETH_UPDATER_vMain) // 63
NOT_BUILT_YET(T_STEVRIN_vMain) // 68
NOT_BUILT_YET(T_BTREMOTE_vMain) // 69

// STAND-IN of the NMEA task (19) until it is built: it publishes "TNME"
// and acknowledges, or frees, every mail, so that senders that wait for it
// (the test station's entry) go on. As the real task does in the
// simulation and point-of-sale states, it tells the navigation task once
// that a GPS receiver is there (semaphore 111) when "CCST" is 4 or 6.
void T_NMEA_vMain(void)
{
    constexpr MBOX NMEA_MBOX = 19;
    constexpr SEMA SEMA_MBOX_NMEA = 44;
    constexpr SEMA SEMA_GPS_DETECTED = 111;
    log_me("stand-in: not built yet");
    H_DATABASE_bUpdateEverythingU32(FCID("TNME"), (U32)NMEA_MBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bRegisterForDataWithConditions(FCID("CCST"), NMEA_MBOX, TRUE, FALSE, FALSE);
    bool bDetected = false;
    for (;;) {
        U32 u32State = 0;
        if (!bDetected && H_DATABASE_bFetchU32(FCID("CCST"), &u32State, nullptr, nullptr) &&
            (u32State == 4 || u32State == 6)) {
            bDetected = true;
            L_SEMA_Signal(SEMA_GPS_DETECTED);
        }
        L_SEMA_Wait(SEMA_MBOX_NMEA);
        while (MSGHEADER* pMail = L_MBOX_Receive(NMEA_MBOX))
            H_MEMORY_vDumpMail(pMail);
    }
}

// ---- The menu task's neighbours above it (see a_standins.h) ----


BOOLEAN T_RADAR_bHandleTune(void) { return FALSE; }
void T_RADAR_vHandleManualTune(void) {}

BOOLEAN GUI_vGetReadoutSubMenuStatus(void) { return FALSE; }
void GUI_vUpdateReadoutMenuItems(void) {}
void GUI_vResetReadoutSubMenuStatus(void) {}
void GUI_vRegisterReadoutSubMenuItems(U32) {}
void GUI_pGetCurrentItemName(U32, const char* const (**ppName)[DB_NUM_LANGUAGES])
{
    if (ppName != nullptr)
        *ppName = nullptr;
}

// ---- The info task's neighbours above it (see a_standins.h) ----

void T_ALARM_vCheckTimer(void) {}
BOOLEAN U_NAV_STEVRIN_bIsStevrinNavigationEnabled(void) { return FALSE; }
