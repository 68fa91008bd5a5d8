// The strip drawn above the instrument bar: the man-overboard bar, the bar
// of the destination (or of the trolling motor's target) and the autopilot
// icon, with the radar's readout boxes in the radar views; and the debug
// boxes.

#include "ui/t_info_bar.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_icon.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "store/h_database.h"
#include "ui/t_info_icons.h"
#include "ui/t_info_state.h"
#include "ui/t_view.h"

#include <cstring>

namespace {

#define INFO_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

const TEXT_TABLE txtMobAt = INFO_TEXT("MOB at:");
const TEXT_TABLE txtElapsedTime = INFO_TEXT("Elapsed Time:");

constexpr U32 COLOR_ENTRY_WHITE = 35;
constexpr U32 COLOR_ENTRY_RED = 36;

constexpr LAYER_ID CHART_INSTRUMENT_VIEW_PRIORITY = 31;
constexpr LAYER_ID RADAR_VIEW = 65;
constexpr LAYER_ID RADAR_SPLIT_VIEW = 66;

constexpr U32 MODE_NONE = 0;
constexpr U32 MODE_TRACK_START = 1;
constexpr U32 MODE_TRACK_END = 2;
constexpr U32 MODE_RECORDING = 4;

constexpr U32 NAME_CHARACTERS = 12;

COLOR entry(U32 index) { return gCOLOR_pcolColorTable[index]; }

void fill(BITMAP* pBitmap, U32 index, S32 x, S32 y, S32 w, S32 h)
{
    if (w <= 0 || h <= 0)
        return;
    const POINT at = {x, y};
    G_BOX_vDrawFilled(pBitmap, entry(index), &at, (U32)w, (U32)h);
}

BOOLEAN isTrue(FOURCHARID key)
{
    BOOLEAN b = FALSE;
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchBoolean(key, &b, &bValid, nullptr) && bValid && b;
}

U32 fetchU32Or(FOURCHARID key, U32 fallback)
{
    U32 v = fallback;
    H_DATABASE_bFetchU32(key, &v, nullptr, nullptr);
    return v;
}

BOOLEAN stayvaneActive(void)
{
    auto* const pfn = t_info::neighbours().pfnStayvaneActive;
    return pfn != nullptr && pfn();
}

S32 iconWidth(const ICON* pIcon) { return pIcon != nullptr ? (S32)G_ICON_u32GetWidth(pIcon) : 0; }
S32 iconHeight(const ICON* pIcon) { return pIcon != nullptr ? (S32)G_ICON_u32GetHeight(pIcon) : 0; }

void putIcon(BITMAP* pBitmap, const ICON* pIcon, S32 x, S32 y)
{
    if (pIcon == nullptr)
        return;
    const POINT at = {x, y};
    G_ICON_vPut(pBitmap, pIcon, &at);
}

S32 textWidth(const FONT_DEF* pFont, const char* s)
{
    return pFont != nullptr ? (S32)G_STRING_u32GetWidth(pFont, (const BYTE*)s) : 0;
}

const char* textOf(const TEXT_TABLE& text, U32 nLang)
{
    const char* s = text[nLang < (U32)DB_NUM_LANGUAGES ? nLang : 0];
    return s != nullptr ? s : "";
}

void putText(BITMAP* pBitmap, U32 index, S32 x, S32 y, const FONT_DEF* pFont, const char* s)
{
    if (pFont == nullptr)
        return;
    POINT at = {x, y};
    G_STRING_vPut(pBitmap, entry(index), &at, pFont, (const BYTE*)s);
}

const ICON* largeWaypointIcon(U32 u32Waypoint)
{
    auto* const pfn = t_info::neighbours().pfnLargeWaypointIcon;
    return pfn != nullptr ? pfn(u32Waypoint) : nullptr;
}

// The waypoint's name cut to its twelve characters.
void waypointName(U32 u32Waypoint, char (&name)[NAME_CHARACTERS + 1])
{
    auto* const pfn = t_info::neighbours().pfnCopyWaypointName;
    if (pfn != nullptr)
        pfn(u32Waypoint, name, sizeof name);
    name[NAME_CHARACTERS] = '\0';
}

// The radar's own readout boxes, drawn by the radar at the info layer's
// request; their height.
U32 radarReadouts(BITMAP* pBitmap, S32 x, S32 y)
{
    const T_INFO_NEIGHBOURS& n = t_info::neighbours();
    if (n.pfnSetRadarReadoutBoxDrawing != nullptr)
        n.pfnSetRadarReadoutBoxDrawing();
    return n.pfnDrawRadarReadoutInfoBox != nullptr ? n.pfnDrawRadarReadoutInfoBox(pBitmap, x, y) : 0;
}

S32 radarSplitX(void)
{
    S32 percent = 50;
    H_DATABASE_bFetchS32(FCID("SZRC"), &percent, nullptr, nullptr);
    auto* const pfn = t_info::neighbours().pfnRadarSplitPosition;
    return pfn != nullptr ? pfn(800, percent) : T_VIEW_s32SplitViewLeftWidth(800, percent);
}

const ICON* autopilotIcon(void)
{
    return fetchU32Or(FCID("SATO"), 0) != 0 ? &Autopilot_icon : &AutopilotLegacy_icon;
}

} // namespace

void t_info::drawNavigationStrip(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec, BOOLEAN bLeftCellsDrawn,
                                 BOOLEAN bAnyCellDrawn, U32 nLang)
{
    const T_INFO_NEIGHBOURS& n = neighbours();
    const BOOLEAN bTrollingNavigation = stayvaneActive() || isTrue(FCID("IPNO"));
    const BOOLEAN bNavigating = T_INFO_bFCIDNonZero(FCID("INIP"));
    const BOOLEAN bMob = n.pfnMOBInProgress != nullptr && n.pfnMOBInProgress();
    const LAYER_ID view = psWindowSpec->currentLayer;

    const S32 x = 3;
    S32 y = 0;
    if (view == CHART_INSTRUMENT_VIEW_PRIORITY || view == CHART_PLUS_BIRDS_EYE_INSTRUMENT_VIEW_PRIORITY)
        y = 208;
    else if (bMob)
        y = bAnyCellDrawn ? 107 : 3;
    else
        y = bLeftCellsDrawn ? 104 : 0;

    if (bNavigating || bTrollingNavigation) {
        const S32 left = psWindowSpec->drawWindow.s32ClipLeft;
        if (bMob) {
            if (view == RADAR_VIEW)
                radarReadouts(pBitmap, left, y);
            else if (view == RADAR_SPLIT_VIEW)
                radarReadouts(pBitmap, radarSplitX() + 2, y);
            T_INFO_vDrawInfoLayer_MOBBar(pBitmap, x, y, nLang);
        } else if (view == RADAR_VIEW) {
            const U32 u32Height = radarReadouts(pBitmap, left, -1);
            T_INFO_vDrawInfoLayer_WaypointIndicatorBar(pBitmap, x, y + 4 + (S32)u32Height, nLang);
        } else {
            if (view == RADAR_SPLIT_VIEW)
                radarReadouts(pBitmap, radarSplitX() + 2, -1);
            T_INFO_vDrawInfoLayer_WaypointIndicatorBar(pBitmap, x, y, nLang);
        }
        return;
    }
    if (isTrue(FCID("IPUF")) && fetchU32Or(FCID("IPMD"), MODE_NONE) != MODE_RECORDING &&
        T_INFO_bFCIDNonZero(FCID("IPAH")))
        T_INFO_vDrawInfoLayer_AutopilotIcon(pBitmap, x, y);
}

void T_INFO_vDrawInfoLayer_MOBBar(BITMAP* pBitmap, S32 x0, S32 y0, U32 nLang)
{
    if (pBitmap == nullptr)
        return;
    const S32 half = (749 - x0) / 2;
    const S32 W = 803 - x0;

    fill(pBitmap, COLOR_ENTRY_WHITE, x0 - 3, y0 + 54, W, 1);
    fill(pBitmap, COLOR_ENTRY_RED, x0 - 3, y0 - 3, W, 3);
    fill(pBitmap, COLOR_ENTRY_RED, x0 - 3, y0 + 51, W, 3);
    T_INFO_vDrawInfoBar(pBitmap, W, 51, x0 - 3, y0, IBS_SEMITRANSPARENT_WHITE_BAR);
    fill(pBitmap, COLOR_ENTRY_RED, x0 - 3, y0, 3, 51);
    fill(pBitmap, COLOR_ENTRY_RED, x0 + 51, y0, 2, 51);
    fill(pBitmap, COLOR_ENTRY_RED, x0 + 51 + half, y0, 2, 51);

    // The readouts lie on the white bar: they keep the info colours in
    // every view.
    const FONT_DEF* pFont = std_16x17_font_def_ptr.load();
    const char* sMobAt = textOf(txtMobAt, nLang);
    putText(pBitmap, INFO_COLOR_TEXT, x0 + 63, y0 + 29, pFont, sMobAt);
    const S32 xPosition = x0 + 63 + textWidth(pFont, sMobAt);
    const S32 positionWidth = x0 + 46 + half - xPosition;
    T_INFO_nDrawInfoBox(pBitmap, positionWidth, 25, xPosition, y0 + 25, FCID("MOBX"), pFont, pFont, IBS_NONE,
                        JUSTIFY_RIGHT, nLang);
    T_INFO_nDrawInfoBox(pBitmap, positionWidth, 25, xPosition, y0, FCID("MOBY"), pFont, pFont, IBS_NONE,
                        JUSTIFY_RIGHT, nLang);

    const char* sElapsed = textOf(txtElapsedTime, nLang);
    putText(pBitmap, INFO_COLOR_TEXT, x0 + 63 + half, y0 + 29, pFont, sElapsed);
    const S32 xTime = x0 + 63 + half + textWidth(pFont, sElapsed);
    T_INFO_nDrawInfoBox(pBitmap, 795 - xTime, 51, xTime, y0, FCID("MOBT"), f15x21_font_def_ptr, f15x21_font_def_ptr,
                        IBS_NONE, JUSTIFY_RIGHT, nLang);

    const ICON* pIcon = largeWaypointIcon(fetchU32Or(FCID("IDWP"), 0xFFFF));
    putIcon(pBitmap, pIcon, x0 + 3 + (48 - iconWidth(pIcon)) / 2, y0 + (51 - iconHeight(pIcon)) / 2);
}

void T_INFO_vDrawInfoLayer_WaypointIndicatorBar(BITMAP* pBitmap, S32 x, S32 y, U32 nLang)
{
    (void)nLang; // the names shown are the user's own
    if (pBitmap == nullptr)
        return;
    const T_INFO_NEIGHBOURS& n = t_info::neighbours();
    const BOOLEAN bStayvane = stayvaneActive();
    const U32 u32Mode = fetchU32Or(FCID("IPMD"), MODE_NONE);
    const BOOLEAN bPaused = n.pfnStevrinNavigationPaused != nullptr && n.pfnStevrinNavigationPaused();
    const ICON* pNavigation = bPaused ? &StevrinNavPaused_icon : &StevrinNav_icon;

    const BOOLEAN bNavigationPrefix = bStayvane || (isTrue(FCID("IPNO")) && u32Mode != MODE_RECORDING);
    S32 p = bNavigationPrefix ? iconWidth(pNavigation) + 4 : 0;
    BOOLEAN bAutopilotPrefix = FALSE;

    char name[NAME_CHARACTERS + 1] = {};
    const ICON* pContent = nullptr;
    if (T_INFO_bFCIDNonZero(FCID("INIP"))) {
        const U32 u32Destination = fetchU32Or(FCID("IDWP"), 0xFFFF);
        waypointName(u32Destination, name);
        pContent = largeWaypointIcon(u32Destination);
    } else if (bStayvane) {
        const U32 u32Hold = n.pfnStayvaneIndex != nullptr ? n.pfnStayvaneIndex() : 0xFFFF;
        waypointName(u32Hold, name);
        pContent = largeWaypointIcon(u32Hold);
    } else {
        if (u32Mode != MODE_NONE && n.pfnStevrinTargetName != nullptr)
            n.pfnStevrinTargetName(name, sizeof name);
        name[NAME_CHARACTERS] = '\0';
        if (u32Mode == MODE_TRACK_START)
            pContent = &TrackStart_icon;
        else if (u32Mode == MODE_TRACK_END)
            pContent = &TrackEnd_icon;
        else if (u32Mode == MODE_RECORDING) {
            pContent = &TrackRecording_icon;
            if (T_INFO_bFCIDNonZero(FCID("IPAH"))) {
                p = iconWidth(autopilotIcon());
                bAutopilotPrefix = TRUE;
            }
        }
    }

    const S32 navigationHeight = iconHeight(pNavigation);
    const S32 ih = pContent != nullptr && iconHeight(pContent) > navigationHeight ? iconHeight(pContent)
                                                                                 : navigationHeight;
    const S32 iw = iconWidth(pContent);
    const FONT_DEF* pFont = std_16x17_font_def_ptr.load();
    const S32 tw = textWidth(pFont, name);
    const S32 w = iw + p + 16 + tw;

    T_INFO_vDrawInfoBar(pBitmap, w, ih + 8, x, y, IBS_SEMITRANSPARENT_WHITE_BAR);
    fill(pBitmap, INFO_COLOR_TEXT, x, y + ih + 8, w, 3);
    fill(pBitmap, INFO_COLOR_TEXT, x + w, y, 3, ih + 11);
    fill(pBitmap, INFO_COLOR_TEXT, x - 3, y, 3, ih + 11);
    fill(pBitmap, INFO_COLOR_TEXT, x - 3, y - 3, p + 22 + iw + tw, 3);

    putText(pBitmap, INFO_COLOR_TEXT, x + w - 4 - tw, y - 10 + (ih + 8) / 2, pFont, name);
    putIcon(pBitmap, pContent, x + p + 4, y + 4);
    if (bNavigationPrefix)
        putIcon(pBitmap, pNavigation, x + 4, y + 4);
    else if (bAutopilotPrefix)
        putIcon(pBitmap, autopilotIcon(), x, y);
}

void T_INFO_vDrawInfoLayer_AutopilotIcon(BITMAP* pBitmap, S32 x, S32 y)
{
    if (pBitmap != nullptr)
        putIcon(pBitmap, autopilotIcon(), x, y);
}

void T_INFO_vDrawInfoLayer_Debug(BITMAP* pBitmap, INFO_JUSTIFICATION eJustify, U32 nLang)
{
    if (pBitmap == nullptr)
        return;
    static const FOURCHARID keys[6] = {FCID("DDB1"), FCID("DDB2"), FCID("DDB3"),
                                       FCID("DDB4"), FCID("DDB5"), FCID("DDB6")};
    const FONT_DEF* pFont = std_11x14_font_def_ptr.load();
    for (S32 k = 0; k < 6; ++k)
        T_INFO_nDrawDigitsInfoBox(pBitmap, 20, 24, 0, -24 * (k + 1), keys[k], pFont, pFont, pFont, DONT_FORCE,
                                  IBS_WHITE_BAR, eJustify, nLang);
}
