// The platform set-up (see the header).
#include "app/h_platform.h"

#include "chart_sdk/graphics/fnt_fonts.h"
#include "chart_sdk/graphics/gr_context.h"
#include "graphics/color.h"
#include "graphics/g_icon.h"
#include "app/chart_standins.h"
#include "platform/dd_sd.h"

namespace {

// The font rack keeps pointers to these for the life of the process.
FONT s_fontOrvane06x09;
FONT s_fontOrvane06x11;
FONT s_fontOrvane09x15;

} // namespace

void H_PLATFORM_vSetup(void)
{
    G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
    DD_SD_vInit();
    U_CHART_CACHE_vInit();
    gr_SetColorPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_CHART_HIGH]);
    fnt_INIT_Orvane06x09(&s_fontOrvane06x09);
    fnt_INIT_Orvane06x11(&s_fontOrvane06x11);
    fnt_INIT_Orvane09x15(&s_fontOrvane09x15);
    gr_AddFont(&s_fontOrvane06x09, 0);
    gr_AddFont(&s_fontOrvane06x11, 1);
    gr_AddFont(&s_fontOrvane09x15, 2);
    (void)plt_InstallPatternsAndBitmaps();
    T_CHART_3D_vInitImageToolkit();
}
