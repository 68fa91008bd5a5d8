// Frame composition of the view task (see t_view.h) and the split-view
// geometry.
//
// A frame goes straight into a free frame-buffer page: the current
// background view, pane by pane (a split view also gets the mark of its
// active pane, its inactive pane dimmed while the express menu is open, and
// the divider), then the overlays after it in the list that belong to it or
// to every view. With no background view shown the page is colour 34 under
// the overlays of every view. The composition reads the list without the
// lock: only this task changes it. Between layers it checks whether the
// frame was cancelled; a cancelled frame's page goes back unshown.
#include "ui/t_view_state.h"

#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/g_box.h"
#include "graphics/g_buffers.h"
#include "graphics/g_icon.h"
#include "graphics/g_line.h"
#include "platform/h_display.h"
#include "store/h_database.h"
#include "ui/t_info.h"
#include "ui/t_view_icons.h"
#include "ui/t_view_standins.h"
#include "ui/u_menu_client.h"

#include <algorithm>

using namespace t_view;

namespace {

constexpr FOURCHARID KEY_CMNU = FCID("CMNU");
constexpr U32 COLOR_NO_VIEW = 34;
constexpr U32 COLOR_INFO_BACKGROUND = 128;
constexpr U32 COLOR_INFO_TEXT = 131;
constexpr U32 DIM_ALPHA_VECTOR = 0x8C8C56;
constexpr S32 ICON_BELOW_TOP = 50;
constexpr S32 ICON_FROM_EDGE = 10;

COLOR colorAt(U32 u32Index) { return gCOLOR_pcolColorTable[u32Index]; }

bool bCancelled(void) { return s_bViewUpdateCancelled.load(std::memory_order_relaxed) != FALSE; }

bool bEmpty(const WINDOW_LOCATION& box)
{
    return box.s32ClipRight < box.s32ClipLeft || box.s32ClipTop < box.s32ClipBottom;
}

// Column x = w * p / 100 of the page, where the divider is centred. The
// product is taken in 64 bits so that a wild percentage cannot overflow.
S64 s64SplitColumn(const BITMAP* pPage, S32 s32Percent) { return (S64)pPage->pixels_wide * s32Percent / 100; }

// A pane's box: the page's, its right edge 3 pixels left of the split
// column for a left pane, its left edge 3 pixels right of it for a right
// pane. A percentage outside 0..100 (a damaged split setting) cannot put a
// pane's edge off the page: the box only ever shrinks to nothing.
WINDOW_LOCATION paneBox(const BITMAP* pPage, SPLIT_WINDOW_TYPE eSplit, S32 s32Percent)
{
    WINDOW_LOCATION box = {pPage->s32ClipLeft, pPage->s32ClipTop, pPage->s32ClipRight, pPage->s32ClipBottom};
    const S64 split = s64SplitColumn(pPage, s32Percent);
    if (eSplit == SPLIT_LEFT_WINDOW)
        box.s32ClipRight = (S32)std::clamp<S64>(split - 3, box.s32ClipLeft - 1, box.s32ClipRight);
    else if (eSplit == SPLIT_RIGHT_WINDOW)
        box.s32ClipLeft = (S32)std::clamp<S64>(split + 3, box.s32ClipLeft, box.s32ClipRight + 1);
    return box;
}

void vCall(BITMAP* pPage, const LAYER_ITEM* pLayer, const WINDOW_LOCATION& box)
{
    s_windowSpec.drawWindowType = pLayer->eSplit;
    s_windowSpec.drawWindow = box;
    s_windowSpec.u32User = pLayer->user;
    pLayer->pDrawFunction(pPage, &s_windowSpec);
}

void vDrawActiveSideIcon(BITMAP* pPage, SPLIT_WINDOW_TYPE eSplit, const WINDOW_LOCATION& box)
{
    const ICON* pIcon = eSplit == SPLIT_LEFT_WINDOW ? &active_side_lt_icon : &active_side_rt_icon;
    POINT at = {0, box.s32ClipTop - ICON_BELOW_TOP};
    if (eSplit == SPLIT_LEFT_WINDOW)
        at.x = box.s32ClipRight - ICON_FROM_EDGE - (S32)G_ICON_u32GetWidth(pIcon);
    else
        at.x = box.s32ClipLeft + ICON_FROM_EDGE;
    G_ICON_vPut(pPage, pIcon, &at);
}

void vDim(BITMAP* pPage, const WINDOW_LOCATION& box)
{
    const POINT at = {box.s32ClipLeft, box.s32ClipBottom};
    const U32 u32Width = (U32)(box.s32ClipRight - box.s32ClipLeft + 1);
    const U32 u32Height = (U32)(box.s32ClipTop - box.s32ClipBottom + 1);
    G_BOX_vDrawFilledAlpha(pPage, colorAt(COLOR_INFO_BACKGROUND), &at, u32Width, u32Height,
                           T_INFO_u8ConvertAlphaVector(DIM_ALPHA_VECTOR));
}

// Five lines centred on the split column, from the top of the instrument
// bar to the top of the page.
void vDrawDivider(BITMAP* pPage, S32 s32Percent)
{
    static const U32 colors[5] = {COLOR_INFO_BACKGROUND, COLOR_INFO_TEXT, COLOR_INFO_TEXT, COLOR_INFO_TEXT,
                                  COLOR_INFO_BACKGROUND};
    const S64 split = s64SplitColumn(pPage, s32Percent);
    const S32 bottom = pPage->s32ClipBottom + (S32)T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_LEFT_WINDOW);
    for (int i = 0; i < 5; ++i) {
        const S64 x = split - 2 + i;
        if (x < pPage->s32ClipLeft || x > pPage->s32ClipRight)
            continue;
        POINT from = {(S32)x, bottom};
        POINT to = {(S32)x, pPage->s32ClipTop};
        G_LINE_vDraw(pPage, colorAt(colors[i]), &from, &to);
    }
}

bool bDimmingExempt(LAYER_ID view)
{
    return view == CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY || view == CHART_PLUS_BIRDS_EYE_INSTRUMENT_VIEW_PRIORITY;
}

void vDrawBackground(BITMAP* pPage, const LAYER_ITEM* pView)
{
    const bool bSplit = pView->eSplit != SPLIT_FULL_WINDOW;
    U32 u32Menu = NO_MENU;
    BOOLEAN bValid = FALSE;
    if (bSplit && (!H_DATABASE_bFetchU32(KEY_CMNU, &u32Menu, &bValid, nullptr) || !bValid))
        u32Menu = NO_MENU;
    for (const LAYER_ITEM* pPane = pView; pPane != nullptr && !bCancelled(); pPane = pPane->pSplit) {
        const WINDOW_LOCATION box = paneBox(pPage, pPane->eSplit, pPane->s32SplitPercentage);
        vCall(pPage, pPane, box);
        if (!bSplit || bEmpty(box))
            continue;
        if (pPane->eSplit == s_windowSpec.activeWindow)
            vDrawActiveSideIcon(pPage, pPane->eSplit, box);
        else if (u32Menu == EXPRESS_MENU && !bDimmingExempt(pView->layer))
            vDim(pPage, box);
    }
    if (bSplit)
        vDrawDivider(pPage, pView->s32SplitPercentage);
}

// The overlays from pFrom on that belong to the current view or to every
// view; only the first pane of an overlay's chain is drawn, whether or not
// its display key shows it.
void vDrawOverlays(BITMAP* pPage, const LAYER_ITEM* pFrom)
{
    for (const LAYER_ITEM* p = pFrom; p != nullptr && !bCancelled(); p = p->next) {
        if (p->where_used == USED_BY_NONE)
            continue;
        if (p->where_used != USED_BY_ALL && p->where_used != s_windowSpec.currentLayer)
            continue;
        vCall(pPage, p, paneBox(pPage, p->eSplit, p->s32SplitPercentage));
    }
}

const LAYER_ITEM* pShownBackground(void)
{
    if (s_windowSpec.currentLayer == NO_VIEW_PRIORITY)
        return nullptr;
    for (const LAYER_ITEM* p = s_playerHeadPointer; p != nullptr; p = p->next)
        if (p->layer == s_windowSpec.currentLayer && p->bCurrentDisplayMode)
            return p;
    return nullptr;
}

} // namespace

namespace t_view {

void vComposeFrame(BITMAP* pPage)
{
    s_bViewChanged = FALSE;
    s_bViewUpdateCancelled = FALSE;
    const LAYER_ITEM* pView = pShownBackground();
    if (pView == nullptr) {
        // The new view becomes current through its change mail, which
        // brings an expedited frame of its own.
        T_VIEW_vSetNextBackgroundLayer();
        pView = pShownBackground();
    }
    if (pView == nullptr)
        G_BMP_vSet(pPage, colorAt(COLOR_NO_VIEW));
    else
        vDrawBackground(pPage, pView);
    vDrawOverlays(pPage, pView != nullptr ? pView->next : s_playerHeadPointer);
}

} // namespace t_view

void T_VIEW_vHandleRefreshDisplay(void)
{
    GUI_OnTick();
    ++s_s32RefreshesSinceLastRequest;
    U32* pu32Page = H_DISPLAY_pu32GetDisplayBuffer();
    if (pu32Page == nullptr)
        return;
    BITMAP* pPage = G_BUFFERS_pCreateFullScreenBitmapHeader();
    if (pPage == nullptr) {
        H_DISPLAY_vFreeDisplayBuffer(pu32Page);
        return;
    }
    pPage->pBuffer = pu32Page;
    vComposeFrame(pPage);
    if (bCancelled())
        H_DISPLAY_vFreeDisplayBuffer(pu32Page);
    else
        H_DISPLAY_vDisplayBitmap(pPage);
    G_BUFFERS_vFreeFullScreenBitmapHeader(pPage);
}

S32 T_VIEW_s32SplitViewLeftWidth(S32 s32Width, S32 s32Percent) { return s32Width * s32Percent / 100 - 2; }

S32 T_VIEW_s32SplitViewRightWidth(S32 s32Width, S32 s32Percent) { return s32Width - 3 - s32Width * s32Percent / 100; }

S32 T_VIEW_s32SplitViewClipLeft(S32 s32Width, S32 s32Percent, SPLIT_WINDOW_TYPE eSplit)
{
    return eSplit == SPLIT_RIGHT_WINDOW ? s32Width * s32Percent / 100 + 3 : 0;
}

S32 T_VIEW_s32SplitViewClipRight(S32 s32Width, S32 s32Percent, SPLIT_WINDOW_TYPE eSplit)
{
    return eSplit == SPLIT_LEFT_WINDOW ? s32Width * s32Percent / 100 - 3 : s32Width - 1;
}
