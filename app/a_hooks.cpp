// The lower layers' hooks, filled in from here. The data store's units check
// asks the model table whether the unit is a domestic model, the display
// task asks the transducer database for element bits, the keyboard task's
// power-off runs the orderly shutdown of the tasks, and the menu task calls
// its neighbours above it, through stand-ins (a_standins.h) for those not
// built yet. The display driver's two questions are answered by stand-ins
// until the view, navigation and 3D chart tasks are built: each does what
// the real one does, from the same data, so nothing changes for the driver
// when the real one is installed instead.
#include "app/a_hooks.h"

#include "app/a_info_standins.h"
#include "app/a_standins.h"
#include "app/a_tasks.h"
#include "chart/t_chart_standin.h"

#include "kernel/error.h"
#include "kernel/l_names.h"
#include "kernel/l_root.h"
#include "nav/core/neighbour_standins.h" // T_RADAR_bIsMyRadarView, T_STEVRIN_bIsNavigationPaused
#include "nav/core/t_nav_views.h"         // T_NAV_bIsMyChartView
#include "nav/core/t_nav_wipe.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/core/t_nav_infobox.h"
#include "nav/core/t_nav_mob.h"
#include "nav/core/t_nav_newdata.h"
#include "nav/core/t_nav_overlay.h"
#include "nav/core/t_nav_settings.h"
#include "nav/core/u_nav_position.h"
#include "nav/data/t_nav_group_init.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr_bulk.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "platform/h_hooks.h"
#include "platform/h_shutdown.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/dsp/s_transducer_texts.h"
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_ppi.h"
#include "store/h_database.h"
#include "system/model.h"
#include "system/t_inlinetest.h"
#include "system/t_startup.h"
#include "system/u_shutdown.h"
#include "system/version.h"
#include "ui/neighbour_standins.h"
#include "ui/t_info.h"
#include "ui/t_keyboard.h"
#include "ui/t_menu.h"
#include "ui/t_viewkey.h"
#include "ui/t_view_capture_standins.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Stand-in of the navigation task's bird's-eye question: views 23 and 25
// of "CVEW".
BOOLEAN bMyChartViewShown(void)
{
    return T_NAV_bIsMyChartView(UNKNOWN_VIEW) || T_NAV_bIsMyBirdsEyeView(UNKNOWN_VIEW);
}

// The navigation's waypoints over the 360 picture: the sonar describes its
// picture in its own terms (it sits beside the navigation, not above it).
void vSweepOverlayOn360(const MSS_NAV_VIEW* pView, BOOLEAN bActive, S32)
{
    if (pView == nullptr || pView->pBitmap == nullptr)
        return;
    NAV_VIEW_INFO nvi{};
    nvi.pBitmap = pView->pBitmap;
    gr_InitGC(&nvi.GrContext, PIXELDIM{(SINT)pView->pBitmap->pixels_wide, (SINT)pView->pBitmap->pixels_high},
              (VSCREENPTR)pView->pBitmap->pBuffer);
    gr_ResetRotationContext(&nvi.RotContext);
    gr_SetRotationAngle(&nvi.RotContext, pView->fHeading);
    nvi.ptBoatMM = pView->ptCenterMM;
    nvi.ptCenterMM = pView->ptCenterMM;
    nvi.fBoatHeading = pView->fHeading;
    nvi.fHeading = pView->fHeading;
    nvi.CenterOffset = pView->CenterOffset;
    nvi.nWindowWidth = pView->nWindowWidth;
    nvi.nWindowHeight = pView->nWindowHeight;
    nvi.nPixelsPerMMM = pView->nPixelsPerMMM;
    nvi.fPixelsPerMM = pView->fPixelsPerMM;
    T_NAV_vDrawSweepOverlay(&nvi, bActive, FALSE);
}

BOOLEAN bBirdsEyeViewShown(void)
{
    constexpr S32 BIRDS_EYE_VIEW_PRIORITY = 23;
    constexpr S32 CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY = 25;
    S32 s32View = 0;
    if (!H_DATABASE_bFetchS32(FCID("CVEW"), &s32View, nullptr, nullptr))
        return FALSE;
    return s32View == BIRDS_EYE_VIEW_PRIORITY || s32View == CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY;
}

// Stand-in of the 3D chart's dump: the first 960,000 bytes of /dev/fb0
// (page 0); nothing when the device cannot be opened.
void vDumpActiveDisplayBuffer(U32* pu32Buffer)
{
    char acPath[4096];
    const int fd = open(L_ROOT_pcResolve("/dev/fb0", acPath, sizeof acPath), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    U8* pu8Out = reinterpret_cast<U8*>(pu32Buffer);
    size_t done = 0;
    while (done < 960000) {
        const ssize_t n = read(fd, pu8Out + done, 960000 - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += (size_t)n;
    }
    close(fd);
}

// The display task's element-bit question, answered by the transducer
// database.
U32 u32ElementBit(U32 u32SonarElementSelection, U32 u32SourceType)
{
    if (u32SourceType > SONAR_SOURCE_360)
        return 0;
    return S_TRANSDUCER_u32GetElementBit(u32SonarElementSelection, (NET_SOURCE_TYPE)u32SourceType);
}

// The menu task's notes, shown by the navigation's alarm slot for at most
// the seconds given.
void vNavNote(const TEXT_TABLE* pText, U32 u32TimeOut)
{
    T_NAV_vSetNavUINoteWithTimeout(pText, nullptr, (S32)std::min<U32>(u32TimeOut, INT32_MAX), FALSE);
}

// The menu task's calls upward. The radar's sub-menu names, the "Select
// Readouts" title, the go-to-waypoint action and the GPS question come
// with their subsystems.
const T_MENU_NEIGHBOURS s_menuNeighbours = {
    .pfnNavGroupShutdown = T_NAV_GROUP_vShutdown,
    .pfnNavNote = vNavNote,
    .pfnRemoveQuickConfigMenu = T_STARTUP_vRemoveQuickConfigMenu,
    .pfnIsMyRadarView = T_RADAR_bIsMyRadarView,
    .pfnHandleManualTune = T_RADAR_vHandleManualTune,
    .pfnHandleTune = T_RADAR_bHandleTune,
    .pfnGetReadoutSubMenuStatus = GUI_vGetReadoutSubMenuStatus,
    .pfnUpdateReadoutMenuItems = GUI_vUpdateReadoutMenuItems,
    .pfnResetReadoutSubMenuStatus = GUI_vResetReadoutSubMenuStatus,
    .pfnRegisterReadoutSubMenuItems = GUI_vRegisterReadoutSubMenuItems,
    .pfnGetCurrentItemName = GUI_pGetCurrentItemName,
};

// The info task's text of what the trolling motor navigates to.
void vStevrinActiveStr(char* sText, U32 u32Size)
{
    if (sText == nullptr || u32Size == 0)
        return;
    char acName[NAV_INFOBOX_NAME_BYTES] = {};
    T_NAV_INFOBOX_vGetStevrinActiveStr(acName, nullptr, FALSE);
    snprintf(sText, u32Size, "%s", acName);
}

void vFormatPosition(DATA_TYPE eType, double dValue, char* sValue, U32 u32Format, U32 nLang)
{
    U_NAV_vFormatPosition(eType, dValue, sValue, (NAV_FORMAT_ENUM)u32Format, nLang, IPS_SPACE);
}

// The info task's calls upward; the alarm, radar and trolling-motor ones
// are stand-ins until those subsystems are built. The sonar history fits
// its window heights to the bar's y origin.
const T_INFO_NEIGHBOURS s_infoNeighbours = {
    .pfnAlarmCheckTimer = T_ALARM_vCheckTimer,
    .pfnFormatPosition = vFormatPosition,
    .pfnCopyWaypointName = T_NAV_vCopyWaypointName,
    .pfnStevrinActiveStr = vStevrinActiveStr,
    .pfnIsMyRadarInfoView = T_RADAR_bIsMyRadarInfoView,
    .pfnStevrinNavigationPaused = T_STEVRIN_bIsNavigationPaused,
    .pfnStevrinNavigationEnabled = U_NAV_STEVRIN_bIsStevrinNavigationEnabled,
    .pfnDomesticModel = MODEL_bDomesticModel,
    .pfnReportSonarYOrigin = T_N_HISTORY_vReVerifyAndUpdateActiveSonarWindowSettings,
};

} // namespace

void A_HOOKS_vInstall(void)
{
    L_NAMES_vInstallTaskNames(TaskNames, 71);
    ERROR_vInstallResetHook(H_SHUTDOWN_vShutdown);
    static const H_HOOKS displayHooks = {bBirdsEyeViewShown, vDumpActiveDisplayBuffer};
    H_HOOKS_vInstall(&displayHooks);
    H_DATABASE_vInstallDomesticModelQuery(MODEL_bDomesticModel);
    T_N_HISTORY_vInstallDomesticModelQuery(MODEL_bDomesticModel);
    T_NAV_vInstallDomesticModelQuery(MODEL_bDomesticModel);
    T_N_HISTORY_vInstallChartViewQuery(bMyChartViewShown);
    T_N_HISTORY_vInstallSweepOverlay(vSweepOverlayOn360);
    T_DISPLAY_vInstallElementBitQuery(u32ElementBit);
    T_KEYBOARD_vInstallShutdown(U_SHUTDOWN_vShutdown);
    T_NAV_vInstallShutdown(U_SHUTDOWN_vShutdown);
    T_VIEWKEY_vInstallPreviewRemover(T_NAV_vUnRegisterSnapshotPreviewLayer);
    T_MENU_vInstallNeighbours(&s_menuNeighbours);
    T_INFO_NEIGHBOURS infoNeighbours = s_infoNeighbours;
    A_INFO_STANDINS_vFill(&infoNeighbours);
    T_INFO_vInstallNeighbours(&infoNeighbours);
    // The group start-up rebuilds the root group after an upgrade from a
    // release without groups.
    T_NAV_GROUP_DATA_vInstallUpgradeQuery(VERSION_bIsUpgradingToGroupedWaypointManagement);
    // The test station's wipes of the navigation storage.
    static const T_INLINETEST_NEIGHBOURS inlineTestNeighbours = {T_NAV_vDeleteAllTracksWaypointsRoutes,
                                                                 T_NAV_NVRAM_vErase, T_NAV_NVRAM_vInit};
    T_INLINETEST_vInstallNeighbours(&inlineTestNeighbours);
    // The snapshot's menu entry goes into the sonar side's "Accessories"
    // tab; the chart calls are still the view task's own stand-ins.
    A_HOOKS_vInstallCardAndReview(&txtTabAccessories);
    // A mark takes the sonar cursor in the sonar history's cursor views.
    T_NAV_vSetSonarCursorViewTest(T_N_HISTORY_bIsMyCursorView);
    // The chart panes of the views the navigation task registers.
    static const NAV_CHART_PANE_DRAWS chartPaneDraws = {T_CHART_vDrawChartView, T_CHART_3D_vDrawVuruzave};
    T_NAV_vInstallChartPaneDraws(&chartPaneDraws);
    A_HOOKS_vInstallSonarCursor();
}
