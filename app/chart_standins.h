// What the platform set-up asks of the chart application and the vector
// chart engine, stood in until those subsystems are built (this file then
// goes): the chart block cache and the image tile toolkit have nothing to
// initialise yet, and no chart symbols or fill patterns exist to install.
#pragma once

#include "chart_sdk/graphics/gr_types.h"

// Takes and releases the chart block cache lock (mutex 20); the cache has
// no blocks yet.
void U_CHART_CACHE_vInit(void);
// Takes and releases the image tile toolkit lock (mutex 44); there is no
// toolkit yet.
void T_CHART_3D_vInitImageToolkit(void);
// Installs nothing and reports success (GR_OK).
ERRORCODE plt_InstallPatternsAndBitmaps(void);
