#include "nav/core/t_nav_gps_menus.h"

#include "nav/core/chart_menu_standins.h"
#include "nav/core/gps_menu_standins.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_cursor_items.h"
#include "nav/core/t_nav_menus.h"
#include "nav/core/t_nav_menus_chart.h"
#include "nav/core/t_nav_settings.h"

#include "sonar/dsp/s_transducer_texts.h" // the "Alarms" tab
#include "sonar/history/t_n_history.h"
#include "store/h_database.h"
#include "ui/t_menu.h"
#include "util/u_convert.h"

#define NAV_GPS_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE Chart_Declutter = NAV_GPS_TEXT("Chart Declutter");

namespace {

// The degree sign of the unit's character set.
#define DEG "\xBA"

TEXT_TABLE Off_Text = NAV_GPS_TEXT("Off");
TEXT_TABLE On_Text = NAV_GPS_TEXT("On");
TEXT_TABLE Hidden_Text = NAV_GPS_TEXT("Hidden");
TEXT_TABLE Visible_Text = NAV_GPS_TEXT("Visible");
const TEXT_TABLE* const s_apOffOn[] = {&Off_Text, &On_Text};
const TEXT_TABLE* const s_apHiddenVisible[] = {&Hidden_Text, &Visible_Text};
const U32 s_au32ZeroOne[] = {0, 1};

// ---- Chart tab: views ----
TEXT_TABLE Auto_Zoom = NAV_GPS_TEXT("Auto Zoom");
TEXT_TABLE Auto_Range = NAV_GPS_TEXT("Auto Range");
TEXT_TABLE Vessel_Offset = NAV_GPS_TEXT("Vessel Offset");
TEXT_TABLE Offset_Speed = NAV_GPS_TEXT("Offset Speed");
const MENU_LIMITS s_asOffsetSpeed[] = {
    {U_KPH, 8, 95, 1}, {U_MPH, 5, 60, 1}, {U_KNOTS, 5, 50, 1}, {U_NONE, 1, 10, 1}};

// ---- Setup tab: time, date and position ----
TEXT_TABLE Local_Time_Zone = NAV_GPS_TEXT("Local Time Zone");
TEXT_TABLE Daylight_Saving_Time = NAV_GPS_TEXT("Daylight Saving Time");
TEXT_TABLE Position_Format = NAV_GPS_TEXT("Position Format");
TEXT_TABLE Date_Format = NAV_GPS_TEXT("Date Format");
TEXT_TABLE Time_Format = NAV_GPS_TEXT("Time Format");

TEXT_TABLE Tz_UTCm11 = NAV_GPS_TEXT("UTC-11");
TEXT_TABLE Tz_HST = NAV_GPS_TEXT("HST (UTC-10)");
TEXT_TABLE Tz_AKST = NAV_GPS_TEXT("AKST (UTC-9)");
TEXT_TABLE Tz_PST = NAV_GPS_TEXT("PST (UTC-8)");
TEXT_TABLE Tz_MST = NAV_GPS_TEXT("MST (UTC-7)");
TEXT_TABLE Tz_CST = NAV_GPS_TEXT("CST (UTC-6)");
TEXT_TABLE Tz_EST = NAV_GPS_TEXT("EST (UTC-5)");
TEXT_TABLE Tz_AST = NAV_GPS_TEXT("AST (UTC-4)");
TEXT_TABLE Tz_NST = NAV_GPS_TEXT("NST (UTC-3:30)");
TEXT_TABLE Tz_UTCm3 = NAV_GPS_TEXT("UTC-3");
TEXT_TABLE Tz_UTCm2 = NAV_GPS_TEXT("UTC-2");
TEXT_TABLE Tz_UTCm1 = NAV_GPS_TEXT("UTC-1");
TEXT_TABLE Tz_GMT = NAV_GPS_TEXT("GMT (UTC)");
TEXT_TABLE Tz_CET = NAV_GPS_TEXT("CET (UTC+1)");
TEXT_TABLE Tz_EET = NAV_GPS_TEXT("EET (UTC+2)");
TEXT_TABLE Tz_MSK = NAV_GPS_TEXT("MSK (UTC+3)");
TEXT_TABLE Tz_UTC3h30 = NAV_GPS_TEXT("UTC+3:30");
TEXT_TABLE Tz_UTC4 = NAV_GPS_TEXT("UTC+4");
TEXT_TABLE Tz_UTC4h30 = NAV_GPS_TEXT("UTC+4:30");
TEXT_TABLE Tz_UTC5 = NAV_GPS_TEXT("UTC+5");
TEXT_TABLE Tz_UTC5h30 = NAV_GPS_TEXT("UTC+5:30");
TEXT_TABLE Tz_UTC5h45 = NAV_GPS_TEXT("UTC+5:45");
TEXT_TABLE Tz_UTC6 = NAV_GPS_TEXT("UTC+6");
TEXT_TABLE Tz_UTC6h30 = NAV_GPS_TEXT("UTC+6:30");
TEXT_TABLE Tz_UTC7 = NAV_GPS_TEXT("UTC+7");
TEXT_TABLE Tz_AWST = NAV_GPS_TEXT("AWST (UTC+8)");
TEXT_TABLE Tz_UTC9 = NAV_GPS_TEXT("UTC+9");
TEXT_TABLE Tz_ACST = NAV_GPS_TEXT("ACST (UTC+9:30)");
TEXT_TABLE Tz_AEST = NAV_GPS_TEXT("AEST (UTC+10)");
TEXT_TABLE Tz_UTC11 = NAV_GPS_TEXT("UTC+11");
TEXT_TABLE Tz_NFT = NAV_GPS_TEXT("NFT (UTC+11:30)");
TEXT_TABLE Tz_NZST = NAV_GPS_TEXT("NZST (UTC+12)");
TEXT_TABLE Tz_CHAST = NAV_GPS_TEXT("CHAST (UTC+12:45)");
TEXT_TABLE Tz_UTC13 = NAV_GPS_TEXT("UTC+13");
TEXT_TABLE Tz_UTC14 = NAV_GPS_TEXT("UTC+14");

const TEXT_TABLE* const s_apDomesticZones[] = {&Tz_HST, &Tz_AKST, &Tz_PST, &Tz_MST, &Tz_CST, &Tz_EST, &Tz_AST};
const U32 s_au32DomesticZones[] = {(U32)-600, (U32)-540, (U32)-480, (U32)-420, (U32)-360, (U32)-300, (U32)-240};
const TEXT_TABLE* const s_apZones[] = {
    &Tz_UTCm11, &Tz_HST,    &Tz_AKST,   &Tz_PST,    &Tz_MST,    &Tz_CST,     &Tz_EST,   &Tz_AST,  &Tz_NST,
    &Tz_UTCm3,  &Tz_UTCm2,  &Tz_UTCm1,  &Tz_GMT,    &Tz_CET,    &Tz_EET,     &Tz_MSK,   &Tz_UTC3h30, &Tz_UTC4,
    &Tz_UTC4h30, &Tz_UTC5,  &Tz_UTC5h30, &Tz_UTC5h45, &Tz_UTC6, &Tz_UTC6h30, &Tz_UTC7,  &Tz_AWST, &Tz_UTC9,
    &Tz_ACST,   &Tz_AEST,   &Tz_UTC11,  &Tz_NFT,    &Tz_NZST,   &Tz_CHAST,   &Tz_UTC13, &Tz_UTC14};
const U32 s_au32Zones[] = {(U32)-660, (U32)-600, (U32)-540, (U32)-480, (U32)-420, (U32)-360, (U32)-300,
                           (U32)-240, (U32)-210, (U32)-180, (U32)-120, (U32)-60,  0,         60,
                           120,       180,       210,       240,       270,       300,       330,
                           345,       360,       390,       420,       480,       540,       570,
                           600,       660,       690,       720,       765,       780,       840};
static_assert(sizeof s_apZones / sizeof s_apZones[0] == 35 && sizeof s_au32Zones / sizeof s_au32Zones[0] == 35);

TEXT_TABLE Pf_Degrees = NAV_GPS_TEXT("dd.ddddd" DEG);
TEXT_TABLE Pf_Minutes = NAV_GPS_TEXT("dd" DEG "mm.mmm'");
TEXT_TABLE Pf_Seconds = NAV_GPS_TEXT("dd" DEG "mm'ss\"");
const TEXT_TABLE* const s_apPositionFormats[] = {&Pf_Degrees, &Pf_Minutes, &Pf_Seconds};
const U32 s_au32PositionFormats[] = {5, 6, 7};
TEXT_TABLE Df_Mdy = NAV_GPS_TEXT("mm/dd/yy");
TEXT_TABLE Df_Dmy = NAV_GPS_TEXT("dd.mm.yy");
TEXT_TABLE Df_Ymd = NAV_GPS_TEXT("yy.mm.dd");
const TEXT_TABLE* const s_apDateFormats[] = {&Df_Mdy, &Df_Dmy, &Df_Ymd};
const U32 s_au32DateFormats[] = {0, 1, 2};
TEXT_TABLE Tf_12 = NAV_GPS_TEXT("12-Hour");
TEXT_TABLE Tf_24 = NAV_GPS_TEXT("24-Hour");
const TEXT_TABLE* const s_apTimeFormats[] = {&Tf_12, &Tf_24};
const U32 s_au32TimeFormats[] = {3, 4};

// ---- Alarms tab ----
TEXT_TABLE Drift_Alarm = NAV_GPS_TEXT("Drift Alarm");
const MENU_LIMITS s_asAlarmDistance[] = {{U_METRES, 0, 1000, 10}, {U_FEET, 0, 3000, 25}, {U_NONE, 0, 1000, 10}};

// ---- Nav tab ----
TEXT_TABLE Saved_Tracks_Defaults = NAV_GPS_TEXT("Saved Tracks Defaults");
TEXT_TABLE Waypoints_Routes_Tracks = NAV_GPS_TEXT("Waypoints, Routes, Tracks");
TEXT_TABLE Waypoint_Settings = NAV_GPS_TEXT("Waypoint Settings");
MENU_ACTION_FUNC* const s_apfnCurrentTrack[4] = {T_NAV_vSaveCurrentTrack, T_NAV_vClearCurrentTrack,
                                                 T_NAV_vCurrentTrackAppearance, T_NAV_vStopTrack};
const TEXT_TABLE* const s_apCurrentTrack[4] = {&Current_Track_Save, &Current_Track_Clear, &Current_Track_Appearance,
                                               &Stop_Tracking};
const BOOLEAN s_abCurrentTrackConfirm[4] = {TRUE, TRUE, FALSE, FALSE};

TEXT_TABLE Map_Datum = NAV_GPS_TEXT("Map Datum");
TEXT_TABLE Dt_Aus66 = NAV_GPS_TEXT("Australian Geod. 1966");
TEXT_TABLE Dt_Aus84 = NAV_GPS_TEXT("Australian Geod. 1984");
TEXT_TABLE Dt_Bermuda = NAV_GPS_TEXT("Bermuda 1957");
TEXT_TABLE Dt_Canaveral = NAV_GPS_TEXT("Cape Canaveral Mean");
TEXT_TABLE Dt_Chatham = NAV_GPS_TEXT("Chatham 1971");
TEXT_TABLE Dt_Eur50 = NAV_GPS_TEXT("European 1950 Mean");
TEXT_TABLE Dt_Eur79 = NAV_GPS_TEXT("European 1979 Mean");
TEXT_TABLE Dt_Geod49 = NAV_GPS_TEXT("Geodetic Datum 1949");
TEXT_TABLE Dt_Ireland = NAV_GPS_TEXT("Ireland 1965");
TEXT_TABLE Dt_LC5 = NAV_GPS_TEXT("L.C. 5 Astro 1961");
TEXT_TABLE Dt_NaAlaska = NAV_GPS_TEXT("N American 1927 Alaska");
TEXT_TABLE Dt_NaBahamas = NAV_GPS_TEXT("N American 1927 Bahamas");
TEXT_TABLE Dt_NaCanada = NAV_GPS_TEXT("N American 1927 Canada");
TEXT_TABLE Dt_NaCanal = NAV_GPS_TEXT("N American 1927 Canal");
TEXT_TABLE Dt_NaCarrib = NAV_GPS_TEXT("N American 1927 Carrib.");
TEXT_TABLE Dt_NaCentral = NAV_GPS_TEXT("N American 1927 Central");
TEXT_TABLE Dt_NaCuba = NAV_GPS_TEXT("N American 1927 Cuba");
TEXT_TABLE Dt_NaGrnland = NAV_GPS_TEXT("N American 1927 Grnland");
TEXT_TABLE Dt_NaMean = NAV_GPS_TEXT("N American 1927 Mean");
TEXT_TABLE Dt_NaMexico = NAV_GPS_TEXT("N American 1927 Mexico");
TEXT_TABLE Dt_NaSanSalv = NAV_GPS_TEXT("N American 1927 San Salv.");
TEXT_TABLE Dt_Na83 = NAV_GPS_TEXT("N American 1983");
TEXT_TABLE Dt_Hawaii = NAV_GPS_TEXT("Old Hawaiian Mean");
TEXT_TABLE Dt_OSGB = NAV_GPS_TEXT("Ord. Surv. Gr. Brit. 36");
TEXT_TABLE Dt_PuertoRico = NAV_GPS_TEXT("Puerto Rico");
TEXT_TABLE Dt_Rome = NAV_GPS_TEXT("Rome 1940");
TEXT_TABLE Dt_SAm69 = NAV_GPS_TEXT("S American 1969 Mean");
TEXT_TABLE Dt_Swiss = NAV_GPS_TEXT("Swiss CH 1903");
TEXT_TABLE Dt_Tokyo = NAV_GPS_TEXT("Tokyo Mean");
TEXT_TABLE Dt_WGS84 = NAV_GPS_TEXT("WGS 84 (Default)");
const TEXT_TABLE* const s_apDatums[] = {
    &Dt_Aus66,    &Dt_Aus84,    &Dt_Bermuda,  &Dt_Canaveral, &Dt_Chatham,  &Dt_Eur50,   &Dt_Eur79,
    &Dt_Geod49,   &Dt_Ireland,  &Dt_LC5,      &Dt_NaAlaska,  &Dt_NaBahamas, &Dt_NaCanada, &Dt_NaCanal,
    &Dt_NaCarrib, &Dt_NaCentral, &Dt_NaCuba,  &Dt_NaGrnland, &Dt_NaMean,   &Dt_NaMexico, &Dt_NaSanSalv,
    &Dt_Na83,     &Dt_Hawaii,   &Dt_OSGB,     &Dt_PuertoRico, &Dt_Rome,    &Dt_SAm69,    &Dt_Swiss,
    &Dt_Tokyo,    &Dt_WGS84};
const U32 s_au32Datums[] = {7,  8,  10, 11, 1,  2,  3,  12, 4, 13, 14, 15, 16, 17, 18,
                            19, 20, 21, 22, 23, 24, 25, 26, 5, 27, 6,  28, 9,  29, 0};
static_assert(sizeof s_apDatums / sizeof s_apDatums[0] == 30 && sizeof s_au32Datums / sizeof s_au32Datums[0] == 30);

TEXT_TABLE FV_Navigation = NAV_GPS_TEXT("FV Navigation");
TEXT_TABLE Course_Projection_Line = NAV_GPS_TEXT("Course Projection Line");
TEXT_TABLE Cp_Standard = NAV_GPS_TEXT("Standard");
TEXT_TABLE Cp_Single = NAV_GPS_TEXT("Single Vector");
TEXT_TABLE Cp_CogSog = NAV_GPS_TEXT("COG/SOG");
const TEXT_TABLE* const s_apCourseProjection[] = {&Hidden_Text, &Cp_Standard, &Cp_Single, &Cp_CogSog};
const U32 s_au32CourseProjection[] = {0, 1, 2, 3};
TEXT_TABLE View_Outline_3D = NAV_GPS_TEXT("3D View Outline");
TEXT_TABLE Trolling_Grid_Rotation = NAV_GPS_TEXT("Trolling Grid Rotation");
TEXT_TABLE Degree_Suffix = NAV_GPS_TEXT(DEG);
const MENU_LIMITS s_asGridRotation[] = {{U_NONE, 0, 89, 1}};
TEXT_TABLE Continuous_Navigation_Mode = NAV_GPS_TEXT("Continuous Navigation Mode");
TEXT_TABLE Casting_Rings = NAV_GPS_TEXT("Casting Rings");
const MENU_LIMITS s_asCastingRings[] = {{U_METRES, 0, 50, 1}, {U_FEET, 0, 150, 1}, {U_NONE, 0, 50, 1}};
TEXT_TABLE North_Up_Indicator = NAV_GPS_TEXT("North Up Indicator");
TEXT_TABLE Chart_Orientation = NAV_GPS_TEXT("Chart Orientation");
TEXT_TABLE Co_North = NAV_GPS_TEXT("North-Up");
TEXT_TABLE Co_Head = NAV_GPS_TEXT("Head-Up");
TEXT_TABLE Co_Course = NAV_GPS_TEXT("Course-Up");
const TEXT_TABLE* const s_apOrientation[] = {&Co_North, &Co_Head, &Co_Course};
const U32 s_au32Orientation[] = {0, 1, 2};
TEXT_TABLE North_Reference = NAV_GPS_TEXT("North Reference");
TEXT_TABLE Nr_True = NAV_GPS_TEXT("True");
TEXT_TABLE Nr_Magnetic = NAV_GPS_TEXT("Magnetic");
const TEXT_TABLE* const s_apNorthReference[] = {&Nr_True, &Nr_Magnetic};
const U32 s_au32NorthReference[] = {30, 31};
TEXT_TABLE Trackpoint_Interval = NAV_GPS_TEXT("Trackpoint Interval");
TEXT_TABLE Ti_1 = NAV_GPS_TEXT("1 second");
TEXT_TABLE Ti_5 = NAV_GPS_TEXT("5 seconds");
TEXT_TABLE Ti_10 = NAV_GPS_TEXT("10 seconds");
TEXT_TABLE Ti_15 = NAV_GPS_TEXT("15 seconds");
TEXT_TABLE Ti_30 = NAV_GPS_TEXT("30 seconds");
TEXT_TABLE Ti_60 = NAV_GPS_TEXT("60 seconds");
const TEXT_TABLE* const s_apTrackpointInterval[] = {&Ti_1, &Ti_5, &Ti_10, &Ti_15, &Ti_30, &Ti_60};
const U32 s_au32TrackpointInterval[] = {1, 5, 10, 15, 30, 60};
TEXT_TABLE Track_Min_Distance = NAV_GPS_TEXT("Track Min Distance");
const MENU_LIMITS s_asTrackMinDistance[] = {{U_METRES, 1, 100, 1}, {U_FEET, 1, 300, 1}, {U_NONE, 1, 100, 1}};
TEXT_TABLE Waypoint_Proximity_Flags = NAV_GPS_TEXT("Waypoint Proximity Flags");
TEXT_TABLE Waypoint_Decluttering = NAV_GPS_TEXT("Waypoint Decluttering");

// ---- Chart tab by chart source ----
TEXT_TABLE Shaded_Depth = NAV_GPS_TEXT("Shaded Depth");
const MENU_LIMITS s_asShadedDepth[] = {
    {U_METRES, 0, 60, 1}, {U_FEET, 0, 180, 1}, {U_FATHOMS, 0, 30, 1}, {U_NONE, 0, 10, 1}};
TEXT_TABLE Map_Borders = NAV_GPS_TEXT("Map Borders");
TEXT_TABLE Mb_Card = NAV_GPS_TEXT("MMC/SD Only");
TEXT_TABLE Mb_All = NAV_GPS_TEXT("All Visible");
const TEXT_TABLE* const s_apMapBorders[] = {&Hidden_Text, &Mb_Card, &Mb_All};
const U32 s_au32MapBorders[] = {0, 1, 2};
TEXT_TABLE Lat_Lon_Grid = NAV_GPS_TEXT("Lat/Lon Grid");
TEXT_TABLE Spot_Soundings = NAV_GPS_TEXT("Spot Soundings");
TEXT_TABLE Navaids_On_Birds_Eye_View = NAV_GPS_TEXT("Navaids on Bird's Eye View");
TEXT_TABLE Set_Simulation_Position = NAV_GPS_TEXT("Set Simulation Position");
TEXT_TABLE Chart_Card = NAV_GPS_TEXT("Chart Card");
TEXT_TABLE Cc_Left = NAV_GPS_TEXT("Left Chart Card");
TEXT_TABLE Cc_Right = NAV_GPS_TEXT("Right Chart Card");
const TEXT_TABLE* const s_apChartCard[] = {&Cc_Left, &Cc_Right};

TEXT_TABLE Depth_Colors = NAV_GPS_TEXT("Depth Colors");
const MENU_LIMITS s_asDepthColors[] = {{U_NONE, 0, 10, 1}};
TEXT_TABLE Contour_Lines = NAV_GPS_TEXT("Contour Lines");
TEXT_TABLE Depth_Highlight = NAV_GPS_TEXT("Depth Highlight");
const MENU_LIMITS s_asDepthHighlight[] = {
    {U_METRES, 0, 260, 0.25f}, {U_FEET, 0, 800, 1}, {U_FATHOMS, 0, 130, 1}, {U_NONE, 0, 260, 1}};
TEXT_TABLE Depth_Highlight_Range = NAV_GPS_TEXT("Depth Highlight Range (+/-)");
const MENU_LIMITS s_asDepthHighlightRange[] = {
    {U_METRES, 0, 20, 0.25f}, {U_FEET, 0, 60, 1}, {U_FATHOMS, 0, 10, 1}, {U_NONE, 0, 10, 1}};
TEXT_TABLE Water_Level_Offset = NAV_GPS_TEXT("Water Level Offset");
const MENU_LIMITS s_asWaterLevelOffset[] = {
    {U_METRES, -60, 10, 0.25f}, {U_FEET, -200, 30, 1}, {U_FATHOMS, -33, 5, 1}, {U_NONE, -20, 10, 1}};
TEXT_TABLE Shallow_Water_Highlight = NAV_GPS_TEXT("Shallow Water Highlight");
const MENU_LIMITS s_asShallowWater[] = {
    {U_METRES, 0, 10, 0.25f}, {U_FEET, 0, 30, 1}, {U_FATHOMS, 0, 5, 1}, {U_NONE, 0, 10, 1}};

template <size_t N>
constexpr U32 count(const TEXT_TABLE* const (&)[N])
{
    return (U32)N;
}

void vSelector(const TEXT_TABLE* pName, const TEXT_TABLE* pTab, MENU_PRIORITY prio, const char (&key)[5],
               U32 u32Count, const TEXT_TABLE* const* ppChoices, const U32* pu32Values, MENU_USER_LEVEL level)
{
    U_MENU_bRegisterMainSelectorMenu(pName, pTab, prio, FCID(key), u32Count, ppChoices, pu32Values, level);
}

void vOffOn(const TEXT_TABLE* pName, const TEXT_TABLE* pTab, MENU_PRIORITY prio, const char (&key)[5],
            MENU_USER_LEVEL level)
{
    vSelector(pName, pTab, prio, key, 2, s_apOffOn, s_au32ZeroOne, level);
}

void vHiddenVisible(const TEXT_TABLE* pName, const TEXT_TABLE* pTab, MENU_PRIORITY prio, const char (&key)[5],
                    MENU_USER_LEVEL level)
{
    vSelector(pName, pTab, prio, key, 2, s_apHiddenVisible, s_au32ZeroOne, level);
}

void vSlider(const TEXT_TABLE* pName, const TEXT_TABLE* pTab, MENU_PRIORITY prio, const char (&key)[5],
             const MENU_LIMITS* pLimits, const TEXT_TABLE* pLeft, const TEXT_TABLE* pSuffix, MENU_USER_LEVEL level)
{
    U_MENU_bRegisterMainSliderMenu(pName, pTab, prio, FCID(key), pLimits, pLeft, nullptr, pSuffix, level);
}

void vChartViewItems(void)
{
    vOffOn(&Auto_Zoom, &Chart_Tab, MENU_AUTO_ZOOM, "SAZM", M_ADVANCED);
    vOffOn(&Auto_Range, &Chart_Tab, MENU_AUTO_RANGE, "SARS", M_ADVANCED);
    vOffOn(&Vessel_Offset, &Chart_Tab, MENU_VESSEL_OFFSET, "SVOS", M_ADVANCED);
    vSlider(&Offset_Speed, &Chart_Tab, MENU_OFFSET_SPEED, "SNOS", s_asOffsetSpeed, nullptr, nullptr, M_ADVANCED);
}

void vSetupItems(void)
{
    const TEXT_TABLE* const pSetup = T_MENU_pSetupTabName;
    if (T_NAV_bDomesticModel()) {
        vSelector(&Local_Time_Zone, pSetup, MENU_TIME_ZONE, "SLTZ", count(s_apDomesticZones), s_apDomesticZones,
                  s_au32DomesticZones, M_ADVANCED);
    } else {
        vSelector(&Local_Time_Zone, pSetup, MENU_TIME_ZONE, "SLTZ", count(s_apZones), s_apZones, s_au32Zones,
                  M_ADVANCED);
        vSelector(&Date_Format, pSetup, MENU_DATE_FORMAT, "SIDF", count(s_apDateFormats), s_apDateFormats,
                  s_au32DateFormats, M_ADVANCED);
        vSelector(&Time_Format, pSetup, MENU_TIME_FORMAT, "SITF", count(s_apTimeFormats), s_apTimeFormats,
                  s_au32TimeFormats, M_ADVANCED);
    }
    vOffOn(&Daylight_Saving_Time, pSetup, MENU_DST, "SDST", M_ADVANCED);
    vSelector(&Position_Format, pSetup, MENU_POSITION_FORMAT, "SIPF", count(s_apPositionFormats),
              s_apPositionFormats, s_au32PositionFormats, M_ADVANCED);
}

void vAlarmItems(void)
{
    T_NAV_vRegisterArrivalAlarms(FALSE);
    vSlider(&Drift_Alarm, &txtTabAlarms, MENU_DRIFT_ALARM, "CNDA", s_asAlarmDistance, &Off_Text, nullptr, M_BASIC);
}

// The transducers whose side imaging can steer the navigation.
bool bFVNavigationTransducer(U8 u8Type) { return u8Type == 3 || u8Type == 5 || u8Type == 9 || u8Type == 10; }

void vNavItems(void)
{
    U_MENU_bRegisterMainActionMenu(&Saved_Tracks_Defaults, &Nav_Tab, MENU_TRACKS, T_NAV_vTrackDefaults, FALSE,
                                   M_BASIC);
    U_MENU_bRegisterMainActionMenu(&Waypoints_Routes_Tracks, &Nav_Tab, MENU_WAYPOINTS_ROUTES_TRACKS,
                                   T_NAV_GROUP_vSetup, FALSE, M_BASIC);
    U_MENU_bRegisterMainActionMenu(&Waypoint_Settings, &Nav_Tab, MENU_WAYPOINT_SETTINGS,
                                   T_NAV_GROUP_vWaypointSettings_Setup, FALSE, M_BASIC);
    U_MENU_bRegisterMainActionListMenu(&Current_Track, &Nav_Tab, MENU_CURRENT_TRACK, s_apCurrentTrack,
                                       s_apfnCurrentTrack, 4, M_BASIC, 0, s_abCurrentTrackConfirm);
    vSelector(&Map_Datum, &Nav_Tab, MENU_MAP_DATUM, "SDTM", count(s_apDatums), s_apDatums, s_au32Datums, M_ADVANCED);

    if (bFVNavigationTransducer(T_N_HISTORY_u8CurrentFVTransducer()))
        vOffOn(&FV_Navigation, &Nav_Tab, MENU_FV_NAVIGATION, "SSIN", M_BASIC);

    vSelector(&Course_Projection_Line, &Nav_Tab, MENU_COURSE_PROJECTION_LINE, "SCCP", count(s_apCourseProjection),
              s_apCourseProjection, s_au32CourseProjection, M_BASIC);
    vHiddenVisible(&View_Outline_3D, &Nav_Tab, MENU_3D_VIEW_OUTLINE, "SPVO", M_BASIC);
    T_NAV_vRegisterWaypointAndRouteMenuItems();
    vSlider(&Trolling_Grid_Rotation, &Nav_Tab, MENU_GRID_ROTATION, "SNGA", s_asGridRotation, nullptr,
            &Degree_Suffix, M_BASIC);
    vOffOn(&Continuous_Navigation_Mode, &Nav_Tab, MENU_CONT_NAV_MODE, "SNCM", M_BASIC);
    vSlider(&Casting_Rings, &Nav_Tab, MENU_CASTING_RINGS, "SNCR", s_asCastingRings, &Off_Text, nullptr, M_BASIC);
    vOffOn(&North_Up_Indicator, &Nav_Tab, MENU_NORTH_UP_INDICATOR, "SNUP", M_BASIC);
    vSelector(&Chart_Orientation, &Nav_Tab, MENU_CHART_ORIENTATION, "SCOR", count(s_apOrientation), s_apOrientation,
              s_au32Orientation, M_BASIC);
    vSelector(&North_Reference, &Nav_Tab, MENU_NORTH_REFERENCE, "SUHD", count(s_apNorthReference),
              s_apNorthReference, s_au32NorthReference, M_BASIC);
    vSelector(&Trackpoint_Interval, &Nav_Tab, MENU_TRACKPOINT_INTERVAL, "SNTI", count(s_apTrackpointInterval),
              s_apTrackpointInterval, s_au32TrackpointInterval, M_BASIC);
    vSlider(&Track_Min_Distance, &Nav_Tab, MENU_TRACK_MIN_DISTANCE, "SNTD", s_asTrackMinDistance, nullptr, nullptr,
            M_ADVANCED);
    vHiddenVisible(&Waypoint_Proximity_Flags, &Nav_Tab, MENU_WAYPOINT_PROXIMITY, "SNWP", M_ADVANCED);
    vOffOn(&Waypoint_Decluttering, &Nav_Tab, MENU_WAYPOINT_DECLUTTERING, "SNWD", M_ADVANCED);
}

bool bLakeChartSource(void)
{
    U32 u32Source = 0;
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchU32(FCID("IPCS"), &u32Source, &bValid, nullptr) && bValid && u32Source == 1;
}

void vSimulationPosition(void)
{
    U_MENU_bRegisterMainActionMenu(&Set_Simulation_Position, &Chart_Tab, MENU_SET_SIMULATION_POSITION,
                                   T_NAV_vSetBoatSimulationStartPosition, TRUE, M_ADVANCED);
}

void vLakeChartItems(void)
{
    U_MENU_bUnregisterMainMenuItem(&Shaded_Depth, &Chart_Tab);
    T_NAV_vRegisterChartDetailMenuItem();
    vHiddenVisible(&Lat_Lon_Grid, &Chart_Tab, MENU_LAT_LON_GRID, "SCLG", M_BASIC);
    vHiddenVisible(&Navaids_On_Birds_Eye_View, &Chart_Tab, MENU_NAVAIDS_ON_BIRDS_EYE_VIEW, "SCSN", M_BASIC);
    vSimulationPosition();

    const bool M0 = T_CHART_vGetMapfoldMask(0) != 0, M1 = T_CHART_vGetMapfoldMask(1) != 0;
    const bool H0 = T_CHART_bMapfoldBaseChartOnCard(0) != FALSE, H1 = T_CHART_bMapfoldBaseChartOnCard(1) != FALSE;
    if ((H0 && H1) || (M0 && H1) || (H0 && M1))
        U_MENU_bRegisterHotSelectorMenu(&Chart_Card, nullptr, MENU_CHART_CARD, FCID("CACR"), count(s_apChartCard),
                                        s_apChartCard, s_au32ZeroOne, M_BASIC, CHART_PLUS_CHART_VIEW_PRIORITY,
                                        SPLIT_RIGHT_WINDOW);
    if (M0 || M1) {
        const U32 u32Mask0 = T_CHART_vGetMapfoldMask(0), u32Mask1 = T_CHART_vGetMapfoldMask(1);
        T_NAV_vRegisterBaseChartMenuItem(u32Mask0, u32Mask1, 0);
        T_NAV_vRegisterOverlayChartMenuItem(u32Mask0, u32Mask1, 0);
        T_NAV_vRegisterBaseChartMenuItem(u32Mask0, u32Mask1, 1);
        T_NAV_vRegisterOverlayChartMenuItem(u32Mask0, u32Mask1, 1);
    }
    if (U_CHART_GENERIC_nLakeListGetNumberOfRecords() > 0)
        U_MENU_bRegisterMainActionMenu(&Chart_Locations, &Chart_Tab, MENU_CHART_LOCATIONS,
                                       T_NAV_vSelectLakeListToCursorTo, FALSE, M_BASIC);

    vSlider(&Depth_Colors, &Chart_Tab, MENU_DEPTH_COLORS, "SCDC", s_asDepthColors, &Off_Text, nullptr, M_BASIC);
    vHiddenVisible(&Contour_Lines, &Chart_Tab, MENU_CONTOUR_LINES, "SCCL", M_BASIC);
    vSlider(&Depth_Highlight, &Chart_Tab, MENU_HIGHLIGHT_DEPTH, "SCHD", s_asDepthHighlight, &Off_Text, nullptr,
            M_BASIC);
    vSlider(&Depth_Highlight_Range, &Chart_Tab, MENU_HIGHLIGHT_DEPTH_RANGE, "SCHR", s_asDepthHighlightRange, nullptr,
            nullptr, M_BASIC);
    vSlider(&Water_Level_Offset, &Chart_Tab, MENU_LAKE_LEVEL_OFFSET, "SCLO", s_asWaterLevelOffset, nullptr, nullptr,
            M_BASIC);
    vSlider(&Shallow_Water_Highlight, &Chart_Tab, MENU_SAFETY_DEPTH, "SCHZ", s_asShallowWater, nullptr, nullptr,
            M_BASIC);
    U_MENU_bUnregisterMainMenuItem(&Set_Map_Offset, &Chart_Tab);
    U_MENU_bUnregisterMainMenuItem(&Clear_Map_Offset, &Chart_Tab);
}

void vOtherChartItems(void)
{
    vSlider(&Shaded_Depth, &Chart_Tab, MENU_SHADED_DEPTH, "SCSD", s_asShadedDepth, &Off_Text, nullptr, M_BASIC);
    T_NAV_vRegisterChartDetailMenuItem();
    vSelector(&Map_Borders, &Chart_Tab, MENU_MAP_BORDERS, "SCMB", count(s_apMapBorders), s_apMapBorders,
              s_au32MapBorders, M_BASIC);
    vHiddenVisible(&Lat_Lon_Grid, &Chart_Tab, MENU_LAT_LON_GRID, "SCLG", M_BASIC);
    vHiddenVisible(&Spot_Soundings, &Chart_Tab, MENU_SPOT_SOUNDINGS, "SCSS", M_BASIC);
    vHiddenVisible(&Navaids_On_Birds_Eye_View, &Chart_Tab, MENU_NAVAIDS_ON_BIRDS_EYE_VIEW, "SCSN", M_BASIC);
    vSimulationPosition();
    for (const TEXT_TABLE* p : {&Chart_Locations, &Depth_Colors, &Contour_Lines, &Depth_Highlight,
                                &Depth_Highlight_Range, &Water_Level_Offset, &Shallow_Water_Highlight, &Base_Layer,
                                &Overlay_Layer, &Overlay_Transparency})
        U_MENU_bUnregisterMainMenuItem(p, &Chart_Tab);
    for (const TEXT_TABLE* p : {&Overlay_Transparency, &Overlay_Layer, &Base_Layer, &Chart_Card})
        U_MENU_bUnregisterHotMenuItem(p, CHART_PLUS_CHART_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW);
    T_NAV_vRegisterSetOrClearMapOffsetMenuItem();
}

} // namespace

void T_NAV_vRegisterSetOrClearMapOffsetMenuItem(void)
{
    S32 s32Offset[2] = {0, 0};
    BOOLEAN abValid[2] = {FALSE, FALSE};
    const bool bFetched = H_DATABASE_bFetchS32(FCID("SCOT"), &s32Offset[0], &abValid[0], nullptr) && abValid[0] &&
                          H_DATABASE_bFetchS32(FCID("SCON"), &s32Offset[1], &abValid[1], nullptr) && abValid[1];
    if (bFetched && (s32Offset[0] != 0 || s32Offset[1] != 0)) {
        U_MENU_bUnregisterMainMenuItem(&Set_Map_Offset, &Chart_Tab);
        U_MENU_bRegisterMainActionMenu(&Clear_Map_Offset, &Chart_Tab, MENU_MAP_OFFSET, T_NAV_vClearMapOffset, TRUE,
                                       M_ADVANCED);
    } else {
        U_MENU_bUnregisterMainMenuItem(&Clear_Map_Offset, &Chart_Tab);
        U_MENU_bRegisterMainActionMenu(&Set_Map_Offset, &Chart_Tab, MENU_MAP_OFFSET, T_NAV_vSetMapOffset, TRUE,
                                       M_ADVANCED);
    }
}

void T_NAV_vRegisterGPSSettingMenus(void)
{
    vChartViewItems();
    vSetupItems();
    vAlarmItems();
    vNavItems();
    if (bLakeChartSource())
        vLakeChartItems();
    else
        vOtherChartItems();
}
