// The full-screen busy notice (see t_nav_mob.h). Apart from the other
// services because the view task's header is needed here.
#include "nav/core/t_nav_mob.h"

#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/l_clock.h"
#include "ui/t_view.h"
#include "ui/u_dialog.h"

#include <algorithm>

#define NAV_BUSY_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE Processing_Data_Notice = NAV_BUSY_TEXT("Processing tracks, waypoints and routes. Please wait...");

BOOLEAN s_bProcessingData = FALSE;

namespace {

constexpr U32 BUSY_TEXT_MARGIN = 40;

} // namespace

BOOLEAN T_NAV_bIsBusyNotice(void)
{
    return s_bProcessingData;
}

void T_NAV_vSetBusyNotice(BOOLEAN bNotice)
{
    s_bProcessingData = bNotice;
}

void T_NAV_vStartBusy(void)
{
    s_bProcessingData = TRUE;
    U_VIEW_bRegisterLayer(T_NAV_vBusyNoticeDisplay, NOTE_LAYER, USED_BY_ALL, 0, 0, TRUE, nullptr, nullptr, nullptr);
    T_VIEW_vRequestExpeditedViewUpdate();
    L_CLOCK_Sleep(NAV_BUSY_NOTICE_SETTLE_MS);
}

void T_NAV_vStopBusy(void)
{
    s_bProcessingData = FALSE;
    U_VIEW_bUnRegisterLayer(NOTE_LAYER);
}

void T_NAV_vRefreshBusy(void) {}

void T_NAV_vBusyNoticeDisplay(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    if (pBitmap == nullptr)
        return;
    const char* pcText = Processing_Data_Notice[nCurrentLanguage()];
    const FONT_DEF* pFont = &vondrel_11x14_font_def;
    const U32 u32Wanted = G_STRING_u32GetWidth(pFont, reinterpret_cast<const BYTE*>(pcText)) + BUSY_TEXT_MARGIN;
    const U32 u32Room = pBitmap->pixels_wide > 2 ? pBitmap->pixels_wide - 2 : 0;
    const U16 u16Width = (U16)std::min({u32Wanted, u32Room, (U32)0xFFFF});
    U_DIALOG_vDrawDialog(pBitmap, pcText, pFont, 2, u16Width, nullptr, nullptr, JUSTIFICATION_CENTER,
                         JUSTIFICATION_CENTER);
}
