// The navigation settings and their defaults: alarm distances, track
// recording, display options, time and position formats, the enable flags
// and split percentages of the chart views, and the navigation state that
// must start cleared.
//
// Writer priority decides what survives. At task start every default is
// written at P_DEFAULT_SETTING (14), so a value the NVRAM task restored
// (13) or the user set (2) stays; the write still gives a key without
// attributes its data type and text. A factory reset writes the same
// values at P_NORMAL (2). A few keys keep a rule of their own (the offset
// speed, the vessel offset, auto zoom and auto range, the simulation start
// position, the availability flags). Market-dependent defaults are metric
// unless the model is a domestic one.
//
// Runs in the navigation task: once at start and on each reset command.
#pragma once

#include "kernel/l_types.h"
#include "store/lang.h"

// The names of the chart views, the text of their enable keys.
extern TEXT_TABLE Chart_View_Name;
extern TEXT_TABLE Birds_Eye_View_Name;
extern TEXT_TABLE Chart_Pilot_Book_View_Name;
extern TEXT_TABLE Chart_Birds_Eye_Combo_View_Name;
extern TEXT_TABLE Chart_Chart_Combo_View_Name;
extern TEXT_TABLE Chart_Sonar_Combo_View_Name;
extern TEXT_TABLE Chart_2D_Combo_View_Name;
extern TEXT_TABLE Chart_Down_Combo_View_Name;
extern TEXT_TABLE Chart_Side_Combo_View_Name;

// The simulation start position by market and chart content, Mercator metres.
constexpr S32 NAV_SIM_START_LAT_METRIC = 6532084;
constexpr S32 NAV_SIM_START_LON_METRIC = -117220;
constexpr S32 NAV_SIM_START_LAT_LAKES = 4030779;
constexpr S32 NAV_SIM_START_LON_LAKES = -9350309;
constexpr S32 NAV_SIM_START_LAT_COAST = 2944465;
constexpr S32 NAV_SIM_START_LON_COAST = -8930670;

// The market question is the model table's, which lies above this layer;
// the composition root installs it before the navigation task starts. Not
// installed (or null), every unit counts as metric.
typedef BOOLEAN NAV_DOMESTIC_MODEL_QUERY(void);
void T_NAV_vInstallDomesticModelQuery(NAV_DOMESTIC_MODEL_QUERY* pfnDomesticModel);
// The installed answer; FALSE while none is installed.
BOOLEAN T_NAV_bDomesticModel(void);

// Writes every navigation setting (see above) and resets the modules that
// hang on them: the confirmation queue, the editors, the group manager,
// navigation, man overboard, target, grid, the chart offsets, the chart-info
// pages and current-track recording.
void T_NAV_vSetDefaultSettings(BOOLEAN bForceFactoryDefaults);
