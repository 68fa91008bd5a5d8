#include "nav/core/t_nav_menus_chart.h"

#include "nav/core/chart_menu_standins.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_menus.h"
#include "nav/core/t_nav_newdata.h"
#include "nav/core/t_nav_overlay.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/t_nav_views.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "kernel/l_sema.h"
#include "sonar/dsp/s_transducer_texts.h" // the "Alarms" tab
#include "sonar/history/t_n_history_ppi.h"
#include "sonar/screens/t_n_history_imaging.h"
#include "store/h_database.h"
#include "ui/t_info_bar.h"
#include "ui/u_keyboard.h"
#include "util/datum.h"

#define NAV_CHART_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE Base_Layer = NAV_CHART_TEXT("Base Layer");
TEXT_TABLE Overlay_Layer = NAV_CHART_TEXT("Overlay");
TEXT_TABLE Overlay_Transparency = NAV_CHART_TEXT("Overlay Transparency");
TEXT_TABLE Chart_Detail_Level = NAV_CHART_TEXT("Chart Detail Level");
TEXT_TABLE Chart_Locations = NAV_CHART_TEXT("Lake List");
TEXT_TABLE Off_Course_Alarm = NAV_CHART_TEXT("Off Course Alarm");
TEXT_TABLE Arrival_Alarm = NAV_CHART_TEXT("Arrival Alarm");

namespace {

#define MAPFOLD_TEXT(name, s) TEXT_TABLE name = NAV_CHART_TEXT(s)
MAPFOLD_TEXT(Mf0, "Default");
MAPFOLD_TEXT(Mf1, "Satellite-Only");
MAPFOLD_TEXT(Mf2, "MF");
MAPFOLD_TEXT(Mf3, "MF1");
MAPFOLD_TEXT(Mf4, "MF2");
MAPFOLD_TEXT(Mf5, "MF3");
MAPFOLD_TEXT(Mf6, "FV");
MAPFOLD_TEXT(Mf7, "FV1");
MAPFOLD_TEXT(Mf8, "FV2");
MAPFOLD_TEXT(Mf9, "FV3");
MAPFOLD_TEXT(Mf10, "IMG");
MAPFOLD_TEXT(Mf11, "IMG1");
MAPFOLD_TEXT(Mf12, "IMG2");
MAPFOLD_TEXT(Mf13, "IMG3");
MAPFOLD_TEXT(Mf14, "BT");
MAPFOLD_TEXT(Mf15, "BT1");
MAPFOLD_TEXT(Mf16, "BT2");
MAPFOLD_TEXT(Mf17, "BT3");
MAPFOLD_TEXT(Mf18, "AUX");
MAPFOLD_TEXT(Mf19, "AUX1");
MAPFOLD_TEXT(Mf20, "AUX2");
MAPFOLD_TEXT(Mf21, "AUX3");
MAPFOLD_TEXT(Mf22, "Custom");
MAPFOLD_TEXT(Mf23, "Custom1");
MAPFOLD_TEXT(Mf24, "Custom2");
MAPFOLD_TEXT(Mf25, "Custom3");
MAPFOLD_TEXT(Mf26, "Topographic Map");
MAPFOLD_TEXT(Mf27, "Government Raster Chart");
MAPFOLD_TEXT(Mf28, "Shaded Relief Map");
MAPFOLD_TEXT(Mf29, "Historical Map");
MAPFOLD_TEXT(Mf30, "Weather Data Pack");
MAPFOLD_TEXT(Mf31, "Tide Information");
MAPFOLD_TEXT(Mf32, "Lurevane");
MAPFOLD_TEXT(Mf33, "Update");
MAPFOLD_TEXT(Mf34, "Notice To Mariner Update");
MAPFOLD_TEXT(Mf35, "Fishing Report");
MAPFOLD_TEXT(Mf36, "Fishing Regulations");
MAPFOLD_TEXT(Mf37, "Satellite-Land");
MAPFOLD_TEXT(Mf38, "Satellite + Contour");
MAPFOLD_TEXT(Mf39, "AER1991");
MAPFOLD_TEXT(Mf40, "AER1992");
MAPFOLD_TEXT(Mf41, "AER1999");
MAPFOLD_TEXT(Mf42, "AER2000");
MAPFOLD_TEXT(Mf43, "AER2001");
MAPFOLD_TEXT(Mf44, "AER2002");
MAPFOLD_TEXT(Mf45, "AER2003");
MAPFOLD_TEXT(Mf46, "AER2004");
MAPFOLD_TEXT(Mf47, "AER2005");
MAPFOLD_TEXT(Mf48, "AER2006");
MAPFOLD_TEXT(Mf49, "AER2007");
MAPFOLD_TEXT(Mf50, "AER2008");
MAPFOLD_TEXT(Mf51, "AER2009");
MAPFOLD_TEXT(Mf52, "AER2010");
MAPFOLD_TEXT(Mf53, "AER2011");
MAPFOLD_TEXT(Mf54, "AER2012");
MAPFOLD_TEXT(Mf55, "AER2013");
MAPFOLD_TEXT(Mf56, "AER2014");
MAPFOLD_TEXT(Mf57, "AER2015");
MAPFOLD_TEXT(Mf58, "AER2016");
MAPFOLD_TEXT(Mf59, "AER2017");
MAPFOLD_TEXT(Mf60, "AER2018");
MAPFOLD_TEXT(Mf61, "AER2019");
MAPFOLD_TEXT(Mf62, "AER2020");

TEXT_TABLE Satellite_Contour = NAV_CHART_TEXT("Satellite + Contour");
TEXT_TABLE Satellite_Land = NAV_CHART_TEXT("Satellite-Land");
TEXT_TABLE Off = NAV_CHART_TEXT("Off");
TEXT_TABLE Detail_Basic = NAV_CHART_TEXT("Basic");
TEXT_TABLE Detail_Navigation = NAV_CHART_TEXT("Navigation");
TEXT_TABLE Detail_Underwater = NAV_CHART_TEXT("Underwater");
TEXT_TABLE Detail_All = NAV_CHART_TEXT("All");
TEXT_TABLE Detail_Custom = NAV_CHART_TEXT("Custom");
TEXT_TABLE Playback = NAV_CHART_TEXT("Playback");
TEXT_TABLE Simulation = NAV_CHART_TEXT("Simulation");

const MENU_LIMITS TransparencyLimits[] = {{U_NONE, 0.0f, 100.0f, 10.0f}};
const MENU_LIMITS OffCourseDistanceLimits[] = {
    {U_METRES, 0.0f, 1000.0f, 10.0f}, {U_FEET, 0.0f, 3000.0f, 25.0f}, {U_NONE, 0.0f, 1000.0f, 10.0f}};
const MENU_LIMITS ArrivalDistanceLimits[] = {
    {U_METRES, 0.0f, 1000.0f, 10.0f}, {U_FEET, 0.0f, 3000.0f, 25.0f}, {U_NONE, 0.0f, 1000.0f, 10.0f}};

// The lists are handed to the menu task by address and stay in use while
// the item is registered: one set per card and per item.
struct CHOICES {
    const TEXT_TABLE* apText[NAV_MAPFOLD_ROWS + 2];
    U32 au32Value[NAV_MAPFOLD_ROWS + 2];
    U32 u32Count;
    bool bSatellite;
};
CHOICES s_aBaseMain[2], s_aBaseHot[2], s_aOverlayMain[2], s_aOverlayHot[2];

const TEXT_TABLE* s_apDetailText[5] = {&Detail_Basic, &Detail_Navigation, &Detail_Underwater, &Detail_All,
                                        &Detail_Custom};
const U32 s_au32DetailValue[5] = {0, 1, 2, 3, 4};

BOOLEAN s_bRegisteredExpressMenu = FALSE;
BOOLEAN s_bRegisteredMainMenu = FALSE;
BOOLEAN s_bChartPlusFVViewRegistered = FALSE;
BOOLEAN s_bChartPlusKVViewRegistered = FALSE;
BOOLEAN s_bChartPlusSweepViewRegistered = FALSE;

U32 u32Or(FOURCHARID key, U32 fallback)
{
    U32 v = fallback;
    if (!H_DATABASE_bFetchU32(key, &v, nullptr, nullptr))
        return fallback;
    return v;
}

bool bValidU32(FOURCHARID key, U32* pValue)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchU32(key, pValue, &bValid, nullptr) && bValid;
}

void vClick(bool bGood) { L_SEMA_Signal(bGood ? SEMA_KEYCLICK_GOOD : SEMA_KEYCLICK_BAD); }

void vBaseList(CHOICES& c, U32 u32Count, U32 u32Card)
{
    c = CHOICES{};
    for (U32 r = 0; r < NAV_MAPFOLD_ROWS; ++r) {
        if (!U_CHART_GENERIC_bIsFolderOnCard(u32Count, u32Card, r))
            continue;
        c.apText[c.u32Count] = MapfoldLayers[r].pText;
        c.au32Value[c.u32Count] = MapfoldLayers[r].u32Value + 1;
        c.bSatellite = c.bSatellite || c.au32Value[c.u32Count] == 2;
        ++c.u32Count;
    }
    if (c.bSatellite) {
        // The combined pictures follow the first choice.
        for (U32 i = c.u32Count; i-- > 1;) {
            c.apText[i + 2] = c.apText[i];
            c.au32Value[i + 2] = c.au32Value[i];
        }
        c.apText[1] = &Satellite_Contour;
        c.au32Value[1] = NAV_BASE_SATELLITE_CONTOUR;
        c.apText[2] = &Satellite_Land;
        c.au32Value[2] = NAV_BASE_SATELLITE_LAND;
        c.u32Count += 2;
    }
}

void vOverlayList(CHOICES& c, U32 u32Count, U32 u32Card)
{
    c = CHOICES{};
    c.apText[0] = &Off;
    c.au32Value[0] = 0;
    c.u32Count = 1;
    for (U32 r = 1; r < NAV_MAPFOLD_ROWS; ++r) {
        if (!U_CHART_GENERIC_bIsFolderOnCard(u32Count, u32Card, r))
            continue;
        c.apText[c.u32Count] = MapfoldLayers[r].pText;
        c.au32Value[c.u32Count] = MapfoldLayers[r].u32Value;
        c.bSatellite = c.bSatellite || c.au32Value[c.u32Count] == 1;
        ++c.u32Count;
    }
}

void vRegisterOverlay(const CHOICES& c, bool bHot)
{
    if (bHot) {
        U_MENU_bRegisterHotSelectorMenu(&Overlay_Layer, nullptr, MENU_OVERLAY_EXPRESS_MAPFOLD, FCID("CARO"),
                                        c.u32Count, c.apText, c.au32Value, M_BASIC, CHART_PLUS_CHART_VIEW_PRIORITY,
                                        SPLIT_RIGHT_WINDOW);
        U_MENU_bRegisterHotSliderMenu(&Overlay_Transparency, nullptr, MENU_TRANSPARENCY_EXPRESS_MAPFOLD,
                                      FCID("CART"), TransparencyLimits, nullptr, nullptr, nullptr, M_BASIC,
                                      CHART_PLUS_CHART_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW);
    } else {
        U_MENU_bRegisterMainSelectorMenu(&Overlay_Layer, &Chart_Tab, MENU_MAPFOLD_OVERLAY_LAYER_MENU, FCID("CCAO"),
                                         c.u32Count, c.apText, c.au32Value, M_BASIC);
        U_MENU_bRegisterMainSliderMenu(&Overlay_Transparency, &Chart_Tab, MENU_MAPFOLD_MAIN_TRANSPARENCY,
                                       FCID("CALT"), TransparencyLimits, nullptr, nullptr, nullptr, M_BASIC);
    }
}

void vRemoveOverlay(bool bHot)
{
    if (bHot) {
        U_MENU_bUnregisterHotMenuItem(&Overlay_Layer, CHART_PLUS_CHART_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW);
        U_MENU_bUnregisterHotMenuItem(&Overlay_Transparency, CHART_PLUS_CHART_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW);
    } else {
        U_MENU_bUnregisterMainMenuItem(&Overlay_Layer, &Chart_Tab);
        U_MENU_bUnregisterMainMenuItem(&Overlay_Transparency, &Chart_Tab);
    }
}

void vSplitView(DRAW_FUNCTION* pfnLeft, DRAW_FUNCTION* pfnRight, LAYER_ID view, FOURCHARID control,
                FOURCHARID zoom)
{
    U_VIEW_bRegisterLayerSplit(pfnLeft, view, USED_BY_NONE, 0, control, TRUE, &Playback, &Simulation, &Simulation,
                               SPLIT_LEFT_WINDOW, zoom);
    U_VIEW_bRegisterLayerSplit(pfnRight, view, USED_BY_NONE, 0, control, TRUE, &Playback, &Simulation,
                               &Simulation, SPLIT_RIGHT_WINDOW, zoom);
}

void vRemoveSplitView(LAYER_ID view)
{
    U_VIEW_bUnRegisterLayerSplit(view, SPLIT_LEFT_WINDOW);
    U_VIEW_bUnRegisterLayerSplit(view, SPLIT_RIGHT_WINDOW);
}

// Writes the cursor keys for a position; FALSE without a boat position or
// heading.
bool bPlaceCursor(POINT pt)
{
    S32 s32Lat = 0, s32Lon = 0;
    BOOLEAN bLat = FALSE, bLon = FALSE;
    float fHeading = 0.0f;
    BOOLEAN bHeading = FALSE;
    H_DATABASE_bFetchS32(FCID("ILAT"), &s32Lat, &bLat, nullptr);
    H_DATABASE_bFetchS32(FCID("ILON"), &s32Lon, &bLon, nullptr);
    float fCompass = 0.0f;
    BOOLEAN bCompass = FALSE;
    if (H_DATABASE_bFetchFloat(FCID("IHDC"), &fCompass, &bCompass, nullptr) && bCompass) {
        fHeading = fCompass;
        bHeading = TRUE;
    } else {
        H_DATABASE_bFetchFloat(FCID("IHDG"), &fHeading, &bHeading, nullptr);
    }
    if (!bLat || !bLon || !bHeading)
        return false;

    if (s_pSnapshotThumbnailPreview != nullptr)
        U_VIEW_bUnRegisterLayer(SNAPSHOT_THUMBNAIL_LAYER);
    BOOLEAN bActive = FALSE;
    if (!H_DATABASE_bFetchBoolean(FCID("ICAC"), &bActive, nullptr, nullptr) || !bActive) {
        H_DATABASE_bUpdateValueBoolean(FCID("ICAC"), TRUE, P_NORMAL);
        U_KEYBOARD_bRegisterKeys(NAV_MAILBOX, NAV_WARNING_KEY_MASK, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY,
                                 REGISTER_VIEW);
    }
    H_DATABASE_bUpdateValueS32(FCID("ICLT"), pt.y, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("ICLN"), pt.x, P_NORMAL);
    H_DATABASE_bUpdateValueFloat(FCID("ICHD"), fHeading, P_NORMAL);
    POSITION deg = {0.0, 0.0};
    nv_MeterToDegr(&pt, &deg);
    U32 u32Datum = 0;
    if (H_DATABASE_bFetchU32(FCID("SDTM"), &u32Datum, nullptr, nullptr)) {
        double dLat = deg.lat, dLon = deg.lon;
        if (WGS84_2_Datum(deg.lat, deg.lon, &dLat, &dLon, (DATUM_PLANE)u32Datum)) {
            deg.lat = dLat;
            deg.lon = dLon;
        }
    }
    H_DATABASE_bUpdateValueFloat(FCID("ICTD"), (float)deg.lat, P_NORMAL);
    H_DATABASE_bUpdateValueFloat(FCID("ICND"), (float)deg.lon, P_NORMAL);
    const POINT boat = {s32Lon, s32Lat};
    H_DATABASE_bUpdateValueFloat(FCID("ICBH"), (float)T_NAV_dBearing(&boat, &pt), P_NORMAL);
    H_DATABASE_bUpdateValueFloat(FCID("ICBD"), (float)T_NAV_fDistanceBetweenPoints(&boat, &pt), P_NORMAL);
    return true;
}

} // namespace

const MAPFOLD_LAYER MapfoldLayers[NAV_MAPFOLD_ROWS] = {
    {&Mf0, 0},   {&Mf1, 1},   {&Mf2, 2},   {&Mf3, 3},   {&Mf4, 4},   {&Mf5, 5},   {&Mf6, 6},   {&Mf7, 7},
    {&Mf8, 8},   {&Mf9, 9},   {&Mf10, 10}, {&Mf11, 11}, {&Mf12, 12}, {&Mf13, 13}, {&Mf14, 14}, {&Mf15, 15},
    {&Mf16, 16}, {&Mf17, 17}, {&Mf18, 18}, {&Mf19, 19}, {&Mf20, 20}, {&Mf21, 21}, {&Mf22, 22}, {&Mf23, 23},
    {&Mf24, 24}, {&Mf25, 25}, {&Mf26, 26}, {&Mf27, 27}, {&Mf28, 28}, {&Mf29, 29}, {&Mf30, 30}, {&Mf31, 31},
    {&Mf32, 32}, {&Mf33, 33}, {&Mf34, 34}, {&Mf35, 35}, {&Mf36, 36}, {&Mf37, 37}, {&Mf38, 38}, {&Mf39, 39},
    {&Mf40, 40}, {&Mf41, 41}, {&Mf42, 42}, {&Mf43, 43}, {&Mf44, 44}, {&Mf45, 45}, {&Mf46, 46}, {&Mf47, 47},
    {&Mf48, 48}, {&Mf49, 49}, {&Mf50, 50}, {&Mf51, 51}, {&Mf52, 52}, {&Mf53, 53}, {&Mf54, 54}, {&Mf55, 55},
    {&Mf56, 56}, {&Mf57, 57}, {&Mf58, 58}, {&Mf59, 59}, {&Mf60, 60}, {&Mf61, 61}, {&Mf62, 62},
};

void T_NAV_vRegisterBaseChartMenuItem(U32 TotalFoldersDevice0, U32 TotalFoldersDevice1, U32 Express_Menu)
{
    const bool bHot = Express_Menu != 0;
    const bool bUseLeftCard = bHot ? u32Or(FCID("CACR"), 0) != 1 : u32Or(FCID("SCSL"), 0) != 4;
    const U32 au32Count[2] = {TotalFoldersDevice0, TotalFoldersDevice1};
    for (U32 card = 0; card < 2; ++card) {
        if (au32Count[card] == 0)
            continue;
        CHOICES& c = bHot ? s_aBaseHot[card] : s_aBaseMain[card];
        vBaseList(c, au32Count[card], card);
        if (c.u32Count < 2) {
            if (bHot)
                U_MENU_bUnregisterHotMenuItem(&Base_Layer, CHART_PLUS_CHART_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW);
            else
                U_MENU_bUnregisterMainMenuItem(&Base_Layer, &Chart_Tab);
            continue;
        }
        const bool bChosen = card == 0 ? (bUseLeftCard || au32Count[1] == 0) : (!bUseLeftCard || au32Count[0] == 0);
        if (!bChosen)
            continue;
        if (bHot)
            U_MENU_bRegisterHotSelectorMenu(&Base_Layer, nullptr, MENU_BASE_EXPRESS_MAPFOLD, FCID("CARB"),
                                            c.u32Count, c.apText, c.au32Value, M_BASIC,
                                            CHART_PLUS_CHART_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW);
        else
            U_MENU_bRegisterMainSelectorMenu(&Base_Layer, &Chart_Tab, MENU_MAPFOLD_BASE_LAYER_MENU, FCID("CCAB"),
                                             c.u32Count, c.apText, c.au32Value, M_BASIC);
    }
}

void T_NAV_vRegisterOverlayChartMenuItem(U32 TotalFoldersDevice0, U32 TotalFoldersDevice1, U32 Express_Menu)
{
    const bool bHot = Express_Menu != 0;
    const U32 u32Csd0 = u32Or(FCID("CSD0"), 0);
    const U32 u32Csd1 = u32Or(FCID("CSD1"), 0);
    const bool bUseLeftCard = u32Or(FCID("SCSL"), 0) != 4 && (u32Csd0 != 0 || u32Csd1 == 0);
    const bool bUseLeftCardExpress = (u32Or(FCID("CACR"), 0) != 1 && u32Csd0 != 0) || u32Csd1 == 0;
    const bool bLeft = bHot ? bUseLeftCardExpress : bUseLeftCard;
    BOOLEAN& bRegistered = bHot ? s_bRegisteredExpressMenu : s_bRegisteredMainMenu;
    const U32 au32Count[2] = {TotalFoldersDevice0, TotalFoldersDevice1};
    for (U32 card = 0; card < 2; ++card) {
        if (au32Count[card] == 0)
            continue;
        CHOICES& c = bHot ? s_aOverlayHot[card] : s_aOverlayMain[card];
        vOverlayList(c, au32Count[card], card);
        const bool bOffered = c.u32Count >= 2 && !(au32Count[card] == 2 && c.bSatellite) &&
                              (card == 0 ? bLeft : !bLeft);
        if (card == 0) {
            if (bOffered)
                vRegisterOverlay(c, bHot);
            else
                vRemoveOverlay(bHot);
            bRegistered = bOffered ? TRUE : FALSE;
        } else if (!bRegistered) {
            if (bOffered) {
                vRegisterOverlay(c, bHot);
                // The hot menu does not remember the right card's items:
                // the left card's next pass may remove them.
                if (!bHot)
                    bRegistered = TRUE;
            } else {
                vRemoveOverlay(bHot);
                bRegistered = FALSE;
            }
        }
    }
}

void T_NAV_vUpdateCardLayerMenus(void)
{
    const U32 n0 = T_CHART_vGetMapfoldMask(0);
    const U32 n1 = T_CHART_vGetMapfoldMask(1);
    if (n0 == 0 && n1 == 0)
        return;
    T_NAV_vRegisterBaseChartMenuItem(n0, n1, 0);
    T_NAV_vRegisterOverlayChartMenuItem(n0, n1, 0);
    T_NAV_vRegisterBaseChartMenuItem(n0, n1, 1);
    T_NAV_vRegisterOverlayChartMenuItem(n0, n1, 1);
}

void T_NAV_vRegisterChartDetailMenuItem(void)
{
    U_MENU_bUnregisterMainMenuItem(&Chart_Detail_Level, &Chart_Tab);
    U32 u32Source = 0;
    if (bValidU32(FCID("IPCS"), &u32Source) && u32Source == 1)
        return;
    const bool bCustom = T_CHART_LAYER_bIsCustomNeeded() != FALSE;
    U_MENU_bRegisterMainSelectorMenu(&Chart_Detail_Level, &Chart_Tab, MENU_CHART_DETAIL_LEVEL, FCID("SCDL"),
                                     bCustom ? 5 : 4, s_apDetailText, s_au32DetailValue, M_BASIC);
    U32 u32Detail = 0;
    T_CHART_LAYER_vSetupCustomChartLayerMenu(bCustom && bValidU32(FCID("SCDL"), &u32Detail) && u32Detail == 4
                                                 ? TRUE
                                                 : FALSE);
}

void T_NAV_vRegisterLakeList(void)
{
    if (U_CHART_GENERIC_nLakeListGetNumberOfRecords() > 0)
        U_MENU_bRegisterMainActionMenu(&Chart_Locations, &Chart_Tab, MENU_CHART_LOCATIONS,
                                       T_NAV_vSelectLakeListToCursorTo, FALSE, M_BASIC);
    else
        U_MENU_bUnregisterMainMenuItem(&Chart_Locations, &Chart_Tab);
}

void T_NAV_vRegisterArrivalAlarms(BOOLEAN bRemove)
{
    if (bRemove) {
        U_MENU_bUnregisterMainMenuItem(&Off_Course_Alarm, &txtTabAlarms);
        U_MENU_bUnregisterMainMenuItem(&Arrival_Alarm, &txtTabAlarms);
        return;
    }
    U_MENU_bRegisterMainSliderMenu(&Off_Course_Alarm, &txtTabAlarms, MENU_OFF_COURSE_ALARM, FCID("SNAO"),
                                   OffCourseDistanceLimits, &Off, nullptr, nullptr, M_BASIC);
    U_MENU_bRegisterMainSliderMenu(&Arrival_Alarm, &txtTabAlarms, MENU_ARRIVAL_ALARM, FCID("SNAA"),
                                   ArrivalDistanceLimits, &Off, nullptr, nullptr, M_BASIC);
}

void T_NAV_vEnableSonarAdvancedDisplays(BOOLEAN bEnable, U32 u32Transducer)
{
    if (!bEnable) {
        U32 u32State = 0;
        if (!H_DATABASE_bFetchU32(FCID("CCST"), &u32State, nullptr, nullptr) || u32State == 4 || u32State == 6)
            return;
        if (s_bChartPlusFVViewRegistered)
            vRemoveSplitView(CHART_PLUS_FLANKVIEW_VIEW_PRIORITY);
        if (s_bChartPlusKVViewRegistered)
            vRemoveSplitView(CHART_PLUS_KEELVIEW_VIEW_PRIORITY);
        s_bChartPlusFVViewRegistered = FALSE;
        s_bChartPlusKVViewRegistered = FALSE;
        return;
    }
    const U32 t = u32Transducer;
    const bool bFlank = t == 5 || t == 9 || t == 10 || t == 16;
    const bool bKeel = bFlank || t == 15 || t == 17 || t == 18;
    DRAW_FUNCTION* const pfnChart = T_NAV_pfnChartPaneDraw(FALSE);
    if (bFlank && !s_bChartPlusFVViewRegistered) {
        vSplitView(T_N_HISTORY_vDrawVerticalScrollView, pfnChart, CHART_PLUS_FLANKVIEW_VIEW_PRIORITY, FCID("SVCS"),
                   FCID("SZCS"));
        s_bChartPlusFVViewRegistered = TRUE;
    }
    if (bKeel && !s_bChartPlusKVViewRegistered) {
        vSplitView(T_N_HISTORY_vDrawKeelviewSplit, pfnChart, CHART_PLUS_KEELVIEW_VIEW_PRIORITY, FCID("SVCQ"),
                   FCID("SZCD"));
        s_bChartPlusKVViewRegistered = TRUE;
    }
    if (!bFlank && s_bChartPlusFVViewRegistered) {
        vRemoveSplitView(CHART_PLUS_FLANKVIEW_VIEW_PRIORITY);
        s_bChartPlusFVViewRegistered = FALSE;
    }
    if (!bKeel && s_bChartPlusKVViewRegistered) {
        vRemoveSplitView(CHART_PLUS_KEELVIEW_VIEW_PRIORITY);
        s_bChartPlusKVViewRegistered = FALSE;
    }
}

void T_NAV_vEnableSonar360Displays(BOOLEAN bEnable)
{
    const U32 u32State = u32Or(FCID("CCST"), 1);
    if (u32State == 4 || u32State == 6 || bEnable) {
        if (s_bChartPlusSweepViewRegistered)
            return;
        vSplitView(T_NAV_pfnChartPaneDraw(FALSE), T_N_HISTORY_vDrawPPIDisplay, SONAR_PPI_PLUS_CHART_VIEW_PRIORITY,
                   FCID("SVP3"), FCID("SZPC"));
        U_VIEW_bRegisterLayer(T_INFO_vDrawInfoLayer_Instrumentation_SonarView, INFO_SONAR_PPI_VIEW_CHART_LAYER,
                              SONAR_PPI_PLUS_CHART_VIEW_PRIORITY, 0, 0, TRUE, nullptr, nullptr, nullptr);
        s_bChartPlusSweepViewRegistered = TRUE;
    } else if (s_bChartPlusSweepViewRegistered) {
        U_VIEW_bUnRegisterLayer(INFO_SONAR_PPI_VIEW_CHART_LAYER);
        vRemoveSplitView(SONAR_PPI_PLUS_CHART_VIEW_PRIORITY);
        s_bChartPlusSweepViewRegistered = FALSE;
    }
}

void T_NAV_vMoveCursorToWaypoint(POINT* pptCursorMM)
{
    if (pptCursorMM == nullptr || !bPlaceCursor(*pptCursorMM)) {
        vClick(false);
        return;
    }
    vClick(true);
}

void T_NAV_vCursorToLakeList(U32 nIndex)
{
    U_MENU_vClearMenus();
    POINT pt = {0, 0};
    S32 s32Scale = 0;
    T_NAV_vCopyLakeListPoint(nIndex, &pt, &s32Scale);
    S32 s32OffsetX = 0, s32OffsetY = 0;
    BOOLEAN bValid = FALSE;
    if (H_DATABASE_bFetchS32(FCID("SCON"), &s32OffsetX, &bValid, nullptr) && bValid)
        H_DATABASE_bFetchS32(FCID("SCOT"), &s32OffsetY, nullptr, nullptr);
    else
        s32OffsetX = 0;
    pt.x -= s32OffsetX;
    pt.y -= s32OffsetY;
    if (!bPlaceCursor(pt)) {
        vClick(false);
        return;
    }
    if (s32Scale > 0) {
        const LAYER_ID view = U_VIEW_eCurrentView();
        const bool bLeft = U_VIEW_eCurrentSplit() == SPLIT_LEFT_WINDOW &&
                           (view == CHART_PLUS_CHART_VIEW_PRIORITY || view == SONAR_PPI_PLUS_CHART_VIEW_PRIORITY);
        H_DATABASE_bUpdateValueS32(bLeft ? FCID("SNCL") : FCID("SNCS"), s32Scale, P_NORMAL);
    }
    vClick(true);
}

void T_NAV_MENUS_CHART_vReset(void)
{
    s_bRegisteredExpressMenu = FALSE;
    s_bRegisteredMainMenu = FALSE;
    s_bChartPlusFVViewRegistered = FALSE;
    s_bChartPlusKVViewRegistered = FALSE;
    s_bChartPlusSweepViewRegistered = FALSE;
}
