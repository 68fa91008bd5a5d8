#include "nav/core/t_nav_wipe.h"

#include "nav/core/t_nav_conf.h"
#include "nav/core/t_nav_mob.h"
#include "nav/data/t_nav_nvram.h"

#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/l_clock.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "kernel/lm_log.h"
#include "ui/t_view.h"
#include "ui/u_dialog.h"
#include "ui/u_keyboard.h"

#include <atomic>

#define NAV_WIPE_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

namespace {

TEXT_TABLE Continue_Nav_Confirm = NAV_WIPE_TEXT("Continue Format Nav Directories");
TEXT_TABLE Formatting_Notice =
    NAV_WIPE_TEXT("Formatting. This may take a while. Unit will reboot when complete.");
constexpr U16 FORMAT_NOTICE_WIDTH = 533;

std::atomic<NAV_SHUTDOWN_FN*> s_pfnShutdown{nullptr};

void vWipeConfirmed(void) { T_NAV_bWipeFlash(); }

} // namespace

void T_NAV_vInstallShutdown(NAV_SHUTDOWN_FN* pfnShutdown) { s_pfnShutdown = pfnShutdown; }

void T_NAV_vWipeNav(void)
{
    T_NAV_CONF_vSetup(Continue_Nav_Confirm[nCurrentLanguage()], vWipeConfirmed, nullptr);
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
}

BOOLEAN T_NAV_bWipeFlash(void)
{
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
    U_VIEW_bRegisterLayer(T_NAV_vBusyFormatNoticeDisplay, NAV_FORMAT_NOTICE_LAYER, USED_BY_ALL, 0, 0, TRUE, nullptr,
                          nullptr, nullptr);
    T_VIEW_vRequestExpeditedViewUpdate();
    L_CLOCK_Sleep(NAV_BUSY_NOTICE_SETTLE_MS);
    if (L_TASK_bIsRunning(NAV_KEYBOARD_TASK))
        L_TASK_Terminate(NAV_KEYBOARD_TASK);
    T_NAV_NVRAM_vErase();
    T_NAV_NVRAM_vInit();
    if (NAV_SHUTDOWN_FN* pfn = s_pfnShutdown.load()) {
        FOURCHARID afcidKeep[] = {FCID("TVUE"), FCID("TDSP"), 0};
        pfn(afcidKeep);
    }
    LM_EXIT(NAV_WIPE_EXIT_STATUS);
}

void T_NAV_vBusyFormatNoticeDisplay(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    if (pBitmap == nullptr)
        return;
    U_DIALOG_vDrawDialog(pBitmap, Formatting_Notice[nCurrentLanguage()], &vondrel_11x14_font_def, 2,
                         FORMAT_NOTICE_WIDTH, nullptr, nullptr, JUSTIFICATION_CENTER, JUSTIFICATION_CENTER);
}
