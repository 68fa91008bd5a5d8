// Setting profiles: three sets of chart settings (20 keys) and three sets
// of sonar settings (37 keys) that the user switches between.
//
// Profiles live in memory. A load fills them from the profile keys "S" p nn
// (p the profile 1-3, nn the setting's two digits) over the default
// profile, a save writes them back there (and so to the NVRAM files through
// the NVRAM task), and a switch writes the chosen profile's values to the
// setting keys. A menu records a changed setting into the profile in effect
// through its menu item. The profiles belong to the menu task, but the
// shutdown path reaches them from other tasks, so every call takes the
// module's lock (and then the data store's).
#pragma once

#include "kernel/l_types.h"
#include "store/h_dbtypes.h"

// A menu item's position in the menus. The menu framework owns the whole
// enumeration; these are the items that edit profile settings. The
// positions it has not fixed yet are numbered from 1000 up, outside the
// range of real positions, so they cannot meet another item's.
typedef enum tag_MENU_PRIORITY : S32 {
    NO_PRIORITY = -1,
    MENU_SELECT_ACTIVE_SIDE = 20,
    MENU_SET_SPLIT_LOCATION = 21,
    MENU_SIDEBEAM_VIEW = 30,
    MENU_SENSITIVITY = 33,
    MENU_SIDESCAN_SENSITIVITY = 34,
    MENU_UPPER_DEPTH = 43,
    MENU_LOWER_DEPTH = 44,
    MENU_SIDEBEAM_RANGE = 45,
    MENU_SONAR_SPEED = 48,
    MENU_SONAR_BOTTOM_LOCK_ZOOM = 51,
    MENU_QUAD_LAYOUT = 63,
    MENU_DEPTH_OFFSET = 153,
    MENU_CHART_DETAIL_LEVEL = 244,
    MENU_SURFACE_CLUTTER = 286,
    MENU_SONAR_TVG_SELECT = 287,
    MENU_FISH_ID = 288,
    MENU_FISH_ID_SENSITIVITY = 289,
    MENU_RTS_WINDOW = 291,
    MENU_SONAR_COLORS = 293,
    MENU_ZOOM_WIDTH_WINDOW = 295,
    MENU_83KHZ_SENSITIVITY = 296,
    MENU_455KHZ_QB_SENSITIVITY = 298,
    MENU_DEPTH_LINES = 300,
    MENU_NOISE_FILTER = 304,
    MENU_MAX_DEPTH_TO_PING = 305,
    MENU_WATER_TYPE = 306,
    MENU_SIDE_VIEW_SONAR_COLORS = 351,
    MENU_PING_RATE = 108,
    MENU_CHART_ORIENTATION = 214,
    MENU_LAT_LON_GRID = 218,
    MENU_NAVAIDS_ON_BIRDS_EYE_VIEW = 219,
    MENU_NORTH_REFERENCE = 222,
    MENU_WAYPOINT_DECLUTTERING = 224,
    MENU_GRID_ROTATION = 225,
    MENU_MAP_DATUM = 229,
    MENU_NORTH_UP_INDICATOR = 232,
    MENU_COURSE_PROJECTION_LINE = 233,
    MENU_CONT_NAV_MODE = 240,
    MENU_SI_NAVIGATION = 242,
    MENU_SHADED_DEPTH = 243,
    MENU_MAP_BORDERS = 246,
    MENU_SPOT_SOUNDINGS = 247,
    MENU_AUTO_ZOOM = 258,
    MENU_AUTO_RANGE = 259,
    MENU_VESSEL_OFFSET = 260,
    MENU_OFFSET_SPEED = 261,
    MENU_UNITS_DEPTH = 1019,
    MENU_BOTTOM_VIEW_XPRESS,
    MENU_SIDESCAN_SENSITIVITY_CHART_PLUS_SI_VIEW,
    MENU_DOWNIMAGING_SENSITIVITY,
    MENU_SONAR_ZOOM,
} MENU_PRIORITY;

constexpr U32 CHART_PROFILE_SETTINGS = 20;
constexpr U32 SONAR_PROFILE_SETTINGS = 37;
constexpr U32 PROFILE_COUNT = 3;

typedef struct tag_FCID_DB_PAIR {
    FOURCHARID fcid; // 0 for a place that holds no setting
    DB_DATA_TYPE value;
} FCID_DB_PAIR;

typedef struct tag_CHART_PROFILE_TYPE {
    FCID_DB_PAIR Settings[CHART_PROFILE_SETTINGS];
} CHART_PROFILE_TYPE;

typedef struct tag_SONAR_PROFILE_TYPE {
    FCID_DB_PAIR Settings[SONAR_PROFILE_SETTINGS];
} SONAR_PROFILE_TYPE;

typedef struct tag_FCID_MENU_PRIORITY_PAIR {
    FOURCHARID fcid;
    MENU_PRIORITY priority;
} FCID_MENU_PRIORITY_PAIR;

// Snapshots of the store's current values into the default profiles.
void H_PROFILE_vSetChartDefaultValue(void);
void H_PROFILE_vSetNavDefaultValue(void);
void H_PROFILE_vSetChartLayerDefaultValue(void);
void H_PROFILE_vSetSonarDefaultValue(void);

BOOLEAN H_PROFILE_bLoadChartProfile(const void* pSrc);
BOOLEAN H_PROFILE_bLoadSonarProfile(const void* pSrc);
BOOLEAN H_PROFILE_bSaveChartProfile(const void* pDest);
BOOLEAN H_PROFILE_bSaveSonarProfile(const void* pDest);
BOOLEAN H_PROFILE_bResetChartMenuSetting(void);
BOOLEAN H_PROFILE_bResetSonarMenuSetting(void);

// Switching (profile 0-2; FALSE for another number or before a load) and
// restoring the profile in effect over the defaults.
BOOLEAN H_PROFILE_bUpdateChartMenuSetting(U32 nSelectProfile);
BOOLEAN H_PROFILE_bUpdateSonarMenuSetting(U32 nSelectProfile);
BOOLEAN H_PROFILE_bRestoreChartMenuSetting(void);
BOOLEAN H_PROFILE_bRestoreSonarMenuSetting(void);

// Recording a changed setting into the profile in effect.
BOOLEAN H_PROFILE_bSaveChartMenuSetting(MENU_PRIORITY priority, DB_DATA_TYPE value);
BOOLEAN H_PROFILE_bSaveSonarMenuSetting(MENU_PRIORITY priority, DB_DATA_TYPE value);
BOOLEAN H_PROFILE_bSaveChartNonMenuSetting(FOURCHARID fcid, DB_DATA_TYPE value);
BOOLEAN H_PROFILE_bSaveSonarNonMenuSetting(FOURCHARID fcid, DB_DATA_TYPE value);

// The chart application's: derives the chart-layer switches from the layer
// mask "SLAY" (after a chart profile switch).
void T_CHART_LAYER_vSetupDatabaseItems(BOOLEAN bForce);
