// Entries of the tasks whose subsystem is not part of this build yet, and
// the empty entries of tasks the system does not run. Each ends its own
// task at once; a stand-in says so in the log. The start-up task's stand-in does the least the process
// frame needs of it: it selects the fonts of the first screens, starts the
// tasks the real start-up task starts (the others once the display task has
// the frame buffer up), asks the view task
// for its first frame and then releases Main, and from then on drives the
// data store's time-out sweep with its 2000 ms timer; at its first sweep it
// gives the user-interface tasks their run command, after the "Setup" tab
// and its "Enter Time and Date" action. It hosts the date and time form's
// mailbox (62) throughout.
#include "app/a_entries.h"
#include "app/a_standins.h"
#include "app/a_tasks.h"

#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "graphics/u_fonts.h"
#include "platform/h_coproc.h"
#include "store/h_client.h"
#include "store/h_database.h"
#include "ui/t_menu.h"
#include "ui/u_menu_client.h"
#include "ui/t_display.h"
#include "ui/u_datetime.h"
#include "ui/u_view.h"

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
NOT_BUILT_YET(T_MMC_vMain) // 28
NOT_BUILT_YET(T_BUTTON_vMain) // 31
NOT_BUILT_YET(T_CHART_INFO_vMain) // 32
NOT_BUILT_YET(T_CHART_3D_vMain) // 39
NOT_BUILT_YET(T_HTML_vMain) // 40
NOT_BUILT_YET(T_ETHERNET_vMain) // 43
NOT_BUILT_YET(T_SLPTEST_vMain) // 48
NOT_BUILT_YET(T_SLP_CLIENT_vMain) // 54
NOT_BUILT_YET(T_SUDP_IN_vMain) // 55
NOT_BUILT_YET(T_SUDP_OUT_vMain) // 56
NOT_BUILT_YET(T_RADAR_vMain) // 57
NOT_BUILT_YET(T_RADAR_DATA_vMain) // 58
NOT_BUILT_YET(T_RADAR_SERVER_vMain) // 59
NOT_BUILT_YET(T_READ_RECORD_PINGDATA_vMain) // 60
NOT_BUILT_YET(T_RADAR_CLIENT_vMain) // 61
NOT_BUILT_YET(T_ETHBCAST_vMain) // 62
NOT_BUILT_YET(T_ETH_UPDATER_vMain) // 63
NOT_BUILT_YET(T_NET_PING_RECEIVE_vMain) // 67
NOT_BUILT_YET(T_STEVRIN_vMain) // 68
NOT_BUILT_YET(T_BTREMOTE_vMain) // 69

// STAND-IN of the NMEA task (19) until it is built: it publishes "TNME"
// and acknowledges, or frees, every mail, so that senders that wait for it
// (the test station's entry) go on.
void T_NMEA_vMain(void)
{
    constexpr MBOX NMEA_MBOX = 19;
    constexpr SEMA SEMA_MBOX_NMEA = 44;
    log_me("stand-in: not built yet");
    H_DATABASE_bUpdateEverythingU32(FCID("TNME"), (U32)NMEA_MBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    for (;;) {
        L_SEMA_Wait(SEMA_MBOX_NMEA);
        while (MSGHEADER* pMail = L_MBOX_Receive(NMEA_MBOX))
            H_MEMORY_vDumpMail(pMail);
    }
}

void T_STARTUP_vMain(void)
{
    // The messages drawn before the language is known are in English.
    U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
    // The real start-up task decides the system state; the stand-in runs the
    // unit in simulation (state 4), where the sonar shows its simulated
    // transducer.
    H_DATABASE_bUpdateEverythingU32(FCID("CCST"), 4, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    static const TASK startedHere[] = {DISPLAY_TASK, 5, 7, 6, 14, 8, 15};
    for (TASK t : startedHere) {
        L_TASK_Start(t);
        // Frames need the frame buffer the display task brings up.
        if (t == DISPLAY_TASK && L_TASK_bIsRunning(DISPLAY_TASK))
            L_SEMA_Wait(SEMA_DISPLAY_READY);
    }
    // The real start-up task's transducer detection opens the sonar
    // coprocessor before Main goes on; a test station's entry waits for it.
    H_COPROC_vInitialize();
    // The first frame, as the real start-up task asks for its splash screen.
    L_SEMA_Signal(SEMA_VIEW_UPDATE);
    bStartupTaskInitialized.store(TRUE, std::memory_order_release);

    constexpr SEMA SEMA_TIMER_DBPOLL = 69;
    L_TIMER_Start(nullptr, 2000, 2000, SEMA_TIMER_DBPOLL);
    BOOLEAN bRunSent = FALSE;
    // The date and time form is hosted here once the system runs.
    static const SEMA waitList[] = {SEMA_TIMER_DBPOLL, SEMA_MBOX_SYSTIME_EDIT, 0};
    for (;;) {
        if (L_SEMA_WaitMultiple(waitList) == SEMA_MBOX_SYSTIME_EDIT) {
            U_DATETIME_vServeMailbox();
            continue;
        }
        H_DATABASE_vSendAllInvalidData();
        // By the first sweep Main has started every task: the run command
        // the real start-up task sends when start-up is done, to the user
        // interface tasks, after the "Setup" tab they put their items in.
        if (!bRunSent) {
            bRunSent = TRUE;
            U_MENU_bRegisterTab(T_MENU_pSetupTabName, SETUP_TAB_PRIORITY, nullptr, M_BASIC);
            U_DATETIME_vRegisterSetupAction(TRUE);
            for (FOURCHARID fcidTask : {FCID("TVUE"), FCID("TVKY"), FCID("TKBD"), FCID("TINF"), FCID("TMNU")}) {
                const MBOX mbox = H_CLIENT_mboxTask(fcidTask);
                if (mbox != 0)
                    H_CLIENT_bPost(mbox, H_CLIENT_pNewMail<GENERIC_MESSAGE>(CMD_ID_RUN_SYSTEM), 3);
            }
        }
    }
}

// ---- The menu task's neighbours above it (see a_standins.h) ----

void T_NAV_GROUP_vShutdown(void) {}

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
void T_NAV_INFOBOX_vGetStevrinActiveStr(char* sText, U32 u32Size)
{
    if (sText != nullptr && u32Size > 0)
        sText[0] = '\0';
}
BOOLEAN U_NAV_STEVRIN_bIsStevrinNavigationEnabled(void) { return FALSE; }
BOOLEAN T_RADAR_bIsMyRadarInfoView(LAYER_ID) { return FALSE; }
