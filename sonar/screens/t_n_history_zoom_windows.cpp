// The Flankview and Keelview magnifiers (see the header).
//
// A magnified point: with the cursor at C and the factor Z, screen point P
// is drawn at C + Z (P - C); picture pixel (x, y), drawn at ptWindow +
// (x, y), therefore shows screen point C + (ptWindow + (x, y) - C) / Z, and
// the cursor stays where it is. The pictures are stored with row 0 of the
// buffer as the lowest screen row of the picture.
#include "sonar/screens/t_n_history_zoom_windows.h"

#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_filter.h"
#include "sonar/dsp/s_fresamp.h"
#include "sonar/dsp/s_grayscale.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_fusion.h"
#include "sonar/screens/t_n_history_imaging.h"
#include "sonar/screens/t_n_history_imaging_icons.h"

#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/g_box.h"
#include "graphics/g_buffers.h"
#include "graphics/g_icon.h"
#include "graphics/g_pixel.h"
#include "kernel/l_mutex.h"
#include "store/h_database.h"
#include "ui/t_info.h"
#include "ui/t_info_bar.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

using namespace t_n_history;

namespace t_n_history {
const U8 s_u8FvZoomTable[4] = {0, 2, 4, 6};
const U8 s_u8KvZoomTable[4] = {0, 2, 4, 6};
} // namespace t_n_history

namespace {

// ---- Constants ----

constexpr U32 MAX_LEVEL = 3;
constexpr S32 RING = static_cast<S32>(TSU_STORE_COLUMNS);
constexpr S32 BORDER = 5;
constexpr S32 MARK_LENGTH = 36;
constexpr S32 MARK_WIDTH = 3;
constexpr S32 MIN_TOP_BAND = 48;
constexpr S32 SMALL_BOAT_HEIGHT = 26;   // the 18 x 26 boat of the small imaging transducers
constexpr S32 KV_INFO_ROWS = 105;        // the info-box rows under a Keelview pane
constexpr S32 KV_HALF_PANE_GAP = 55;     // view 42: the Keelview half starts this far above the middle
constexpr U32 COLOR_BORDER = 35;         // white in the default table
constexpr U32 COLOR_MARK = 36;           // red
constexpr U32 COLOR_LINE_WHITE = 35;
constexpr U32 COLOR_LINE_BLACK = 32;
constexpr U32 COLOR_CENTRE_BAND = 131;   // black
constexpr U32 DARK_MARKS_PALETTE = 2;
constexpr U32 FV_FILTER_ROW = 400;
constexpr U32 KV_FILTER_ROW = 600;
constexpr U32 KV_FILTER_LIMIT = 600;
constexpr S32 CURSOR_ICON_HALF = 19;
constexpr BEAM LEFT_BEAM = 2;
constexpr BEAM RIGHT_BEAM = 3;
constexpr BEAM KEELVIEW_BEAM = 5;
constexpr U32 FRAME_ROWS = 600;

// ---- Work buffers (view task only) ----
//
// A Flankview row buffer has one byte beyond the widest picture: the left
// image's reversal may take the byte just past the row.

U8 u8ZoomBufferPrev[ZOOM_WINDOW_WIDTH + 1];
U8 u8ZoomBufferNext[ZOOM_WINDOW_WIDTH + 1];
U8 u8ZoomBuffer[ZOOM_WINDOW_WIDTH];
COLOR ColorZoomRow[ZOOM_WINDOW_WIDTH];
U8 su8FilterLeft[3 * FV_FILTER_ROW];
U8 su8FilterRight[3 * FV_FILTER_ROW];
S32 s32LineLeft = 0;
S32 s32LineRight = 0;
bool sbFilterNeedsInit = true;

U8 s_au8KvOlderL[KV_ZOOM_COLUMN_BYTES];
U8 s_au8KvOlderR[KV_ZOOM_COLUMN_BYTES];
U8 s_au8KvYoungerL[KV_ZOOM_COLUMN_BYTES];
U8 s_au8KvYoungerR[KV_ZOOM_COLUMN_BYTES];
U8 s_au8KvColumnL[KV_ZOOM_COLUMN_BYTES];
U8 s_au8KvColumnR[KV_ZOOM_COLUMN_BYTES];
U8 s_au8KvFused[KV_ZOOM_COLUMN_BYTES];
COLOR s_acKvColumn[KV_ZOOM_COLUMN_BYTES];
U8 su8Filter[3 * KV_FILTER_ROW];
S32 s32Line = 0;
bool s_bKvFilterNeedsInit = true;
U32 s_u32KvFilterLength = 0;

const U8 s_au8NoSamples[1] = {0};

std::atomic<const ICON*> s_pCursorIcon{nullptr};

// ---- Small helpers ----

COLOR colTable(U32 u32Entry) { return gCOLOR_pcolColorTable[u32Entry]; }

bool bIn(LAYER_ID v, std::initializer_list<LAYER_ID> views)
{
    return std::find(views.begin(), views.end(), v) != views.end();
}

LAYER_ID resolvedView(LAYER_ID v) { return v == UNKNOWN_VIEW ? U_VIEW_eCurrentView() : v; }
SPLIT_WINDOW_TYPE resolvedSplit(SPLIT_WINDOW_TYPE s)
{
    return s == UNKNOWN_SPLIT ? U_VIEW_eCurrentSplit() : s;
}

// A float of a bounded computation to an integer, truncated toward zero;
// far-off values (a cursor far outside the pane) are held within range.
S32 s32Trunc(double d)
{
    if (!(d == d))
        return 0;
    return static_cast<S32>(std::clamp(std::trunc(d), -1.0e9, 1.0e9));
}

S32 s32Ring(S64 s64Index)
{
    S64 i = s64Index % RING;
    if (i < 0)
        i += RING;
    return static_cast<S32>(i);
}

void vBox(BITMAP* pBmp, COLOR color, S32 x, S32 y, S32 w, S32 h, bool bFilled = true)
{
    if (w <= 0 || h <= 0)
        return;
    const POINT pt{x, y};
    if (bFilled)
        G_BOX_vDrawFilled(pBmp, color, &pt, static_cast<U32>(w), static_cast<U32>(h));
    else
        G_BOX_vDraw(pBmp, color, &pt, static_cast<U32>(w), static_cast<U32>(h));
}

// The stored column's bottom as a count of its own stored samples.
S32 s32BottomOffset(const TSU_STORE_COLUMN* pColumn, U32 u32Factor)
{
    const float fDepth = pColumn->fDepthMetres;
    if (!(fDepth > 0.0f) || !std::isfinite(fDepth))
        return 0;
    U32 u32Speed = g_u32SpeedOfSoundInWater;
    if (u32Speed == 0)
        u32Speed = 1463;
    const double dTicks = std::min<double>(static_cast<double>(fDepth) * 2000000.0 / u32Speed, 1.0e9);
    const U32 u32Samples = (static_cast<U32>(dTicks) + 13u) / 26u;
    return static_cast<S32>(u32Samples / u32Factor);
}

// (u32Length) stored samples from offset u32Offset, as many of them as the
// column holds, onto u32Out bytes.
void vResampleStored(const TSU_STORE_COLUMN* pColumn, U32 u32Offset, U32 u32Length, U8* pu8Out, U32 u32Out)
{
    const U32 u32Held = pColumn->au8Data == nullptr ? 0 : std::min(pColumn->u32SamplesInStore, pColumn->u32TSUDataLength);
    const U32 u32Extent = u32Offset < u32Held ? u32Held - u32Offset : 0;
    const U8* pIn = u32Extent > 0 ? pColumn->au8Data + u32Offset : s_au8NoSamples;
    S_FRESAMPLE_vFastResample(pIn, u32Length, u32Extent, pu8Out, u32Out);
}

// The linear step between two stored pings: fPing of the younger.
void vInterpolate(const U8* pu8Older, const U8* pu8Younger, U8* pu8Out, S32 s32Count, double dPing)
{
    if (s32Count <= 0)
        return;
    if (dPing >= 1.0) {
        std::memcpy(pu8Out, pu8Younger, static_cast<size_t>(s32Count));
        return;
    }
    if (dPing <= 0.0) {
        std::memcpy(pu8Out, pu8Older, static_cast<size_t>(s32Count));
        return;
    }
    // Between two bytes the result stays within them, so the conversion
    // truncates toward zero without a clamp; single precision lets the
    // loop run on vectors.
    const float f = static_cast<float>(dPing);
    for (S32 i = 0; i < s32Count; ++i) {
        const float older = pu8Older[i];
        pu8Out[i] = static_cast<U8>(static_cast<int>(older + f * (static_cast<float>(pu8Younger[i]) - older)));
    }
}

void vPutRow(BITMAP* pBmp, S32 s32Row, const COLOR* pColors, S32 s32Width)
{
    std::memcpy(G_PIXEL_pcolPhysical(pBmp, 0, s32Row), pColors, static_cast<size_t>(s32Width) * sizeof(COLOR));
}

// ---- Geometry ----

bool bSmallImagingTransducer(U32 u32Transducer)
{
    return u32Transducer == 5 || u32Transducer == 9 || u32Transducer == 10 || u32Transducer == 16;
}

// The area, the sizes and the place of the picture; false when the pane
// leaves no room for one.
bool bGeometry(FV_ZOOM_WINDOW_TYPE& z, const WINDOW_SPECIFICATION* ps, bool bFv)
{
    const WINDOW_LOCATION& c = ps->drawWindow;
    const LAYER_ID view = resolvedView(ps->currentLayer);
    S32 s32H = 0;
    if (bFv) {
        U32 u32Transducer = 0;
        H_DATABASE_bFetchU32(FCID("YST3"), &u32Transducer, nullptr, nullptr);
        const bool bSmall = bSmallImagingTransducer(u32Transducer);
        z.pGrayScaleTable = bSmall ? &SidescanGrayScaleTable : &StandardBeamGrayScaleTable;
        z.s32TopOffset =
            (bSmall ? SMALL_BOAT_HEIGHT : static_cast<S32>(G_ICON_u32GetHeight(&BoatLarge_icon))) + 2;
        z.s32LeftEdge = std::max<S32>(c.s32ClipLeft, 0);
        z.s32RightEdge = c.s32ClipRight;
        z.s32TopEdge = c.s32ClipTop - std::max<S32>(z.s32TopOffset, MIN_TOP_BAND);
        z.s32BottomEdge = c.s32ClipBottom;
        s32H = (z.s32TopEdge - z.s32BottomEdge - 14) / 2;
    } else {
        z.pGrayScaleTable = &KeelviewGrayScaleTable;
        z.s32TopOffset = 0;
        z.s32LeftEdge = std::max<S32>(c.s32ClipLeft, 0);
        z.s32RightEdge = c.s32ClipRight + (view == VIEW_KEELVIEW_PLUS_FLANKVIEW ? 1 : 0);
        z.s32TopEdge = c.s32ClipTop;
        z.s32BottomEdge = view == VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D
                              ? c.s32ClipBottom + KV_HALF_PANE_GAP + (c.s32ClipTop - c.s32ClipBottom) / 2
                              : c.s32ClipBottom + KV_INFO_ROWS;
        s32H = (z.s32TopEdge - z.s32BottomEdge) / 2;
    }
    z.s32Width = z.s32RightEdge - z.s32LeftEdge;
    z.s32Height = c.s32ClipTop - z.s32TopOffset - z.s32BottomEdge;
    const S32 s32W = z.s32Width / 2;
    z.s32ZoomWidth = s32W - 2 * BORDER;
    z.s32ZoomHeight = s32H - 2 * BORDER;
    // The static picture memory bounds every picture.
    if (z.s32ZoomWidth < 1 || z.s32ZoomHeight < 1 || z.s32ZoomWidth > static_cast<S32>(ZOOM_WINDOW_WIDTH) ||
        z.s32ZoomHeight > static_cast<S32>(ZOOM_WINDOW_HEIGHT))
        return false;

    const S32 cx = z.ptCursor.x, cy = z.ptCursor.y;
    S32 x = 0, y = 0;
    if (cx - z.s32LeftEdge < s32W / 2)
        x = z.s32LeftEdge;
    else if (z.s32RightEdge - cx < s32W / 2)
        x = z.s32RightEdge - s32W;
    else
        x = cx - s32W / 2;
    if (cy - z.s32BottomEdge < s32H / 2)
        y = z.s32BottomEdge;
    else if (cy < z.s32TopEdge && z.s32TopEdge - cy >= s32H / 2)
        y = cy - s32H / 2;
    else
        y = z.s32TopEdge - s32H;
    z.ptWindow = POINT{x + BORDER, y + BORDER};
    return true;
}

// ---- The update shared by both windows ----

bool bPaneMatches(const WINDOW_SPECIFICATION* ps, bool bFv)
{
    if (ps == nullptr)
        return false;
    return (bFv ? T_N_HISTORY_bIsSideImageView(ps->currentLayer, ps->activeWindow)
                : T_N_HISTORY_bIsDownImageView(ps->currentLayer, ps->activeWindow)) != FALSE;
}

BOOLEAN bUpdate(FV_ZOOM_WINDOW_TYPE& z, WINDOW_SPECIFICATION* ps, bool bFv)
{
    if (!bPaneMatches(ps, bFv)) {
        z.bActive = FALSE;
        return FALSE;
    }
    U32 u32Level = 0;
    S32 cx = 0, cy = 0;
    if (!T_INFO_bFCIDNonZero(FCID("ICAC")) ||
        !H_DATABASE_bFetchU32(bFv ? FCID("ISIZ") : FCID("IDIZ"), &u32Level, nullptr, nullptr) || u32Level == 0 ||
        u32Level > MAX_LEVEL || !H_DATABASE_bFetchS32(FCID("ICPX"), &cx, nullptr, nullptr) ||
        !H_DATABASE_bFetchS32(FCID("ICPY"), &cy, nullptr, nullptr)) {
        z.bActive = FALSE;
        return FALSE;
    }
    const S32 s32Factor = bFv ? s_u8FvZoomTable[u32Level] : s_u8KvZoomTable[u32Level];

    L_MUTEX_LockWait(RES_S_INFO);
    if (!z.bForceUpdate && z.ptCursor.x == cx && z.ptCursor.y == cy && z.s32ZoomFactor == s32Factor && z.bActive) {
        L_MUTEX_Unlock(RES_S_INFO);
        return TRUE;
    }
    z.s32ZoomFactor = s32Factor;
    z.ptCursor = POINT{cx, cy};
    z.eView = ps->currentLayer;
    z.bForceUpdate = FALSE;
    if (z.pBitmap == nullptr || !bGeometry(z, ps, bFv)) {
        L_MUTEX_Unlock(RES_S_INFO);
        z.bActive = FALSE;
        return FALSE;
    }
    if (z.pBitmap->pixels_wide != static_cast<U32>(z.s32ZoomWidth) ||
        z.pBitmap->pixels_high != static_cast<U32>(z.s32ZoomHeight))
        G_BUFFERS_pCreateBitmap(static_cast<U32>(z.s32ZoomWidth), static_cast<U32>(z.s32ZoomHeight), z.pBitmap,
                                z.pBitmap->pBuffer);
    G_BMP_vSet(z.pBitmap, colTable(0));
    if (bFv) {
        T_N_HISTORY_bFillFvZoomBitmap(&z, ps);
    } else {
        T_N_HISTORY_vSetSonarColorTable(s_u32KVColor);
        T_N_HISTORY_bFillKvZoomBitmap(&z, ps);
    }
    L_MUTEX_Unlock(RES_S_INFO);
    z.bActive = TRUE;
    return TRUE;
}

// ---- The draw shared by both windows ----

BOOLEAN bDraw(const FV_ZOOM_WINDOW_TYPE& z, BITMAP* pBitmap, WINDOW_SPECIFICATION* ps, S32* ps32Factor,
              S32* ps32TopOffset, bool bFv)
{
    if (z.bActive && pBitmap != nullptr && z.pBitmap != nullptr && bPaneMatches(ps, bFv)) {
        const S32 px = z.ptWindow.x, py = z.ptWindow.y;
        const S32 zw = z.s32ZoomWidth, zh = z.s32ZoomHeight;
        const COLOR mark = colTable(COLOR_MARK);
        vBox(pBitmap, colTable(COLOR_BORDER), px - BORDER, py - BORDER, zw + 2 * BORDER, zh + 2 * BORDER);
        vBox(pBitmap, mark, px - 3, py - 3, zw + 6, zh + 6, bFv);
        for (S32 y = 0; y < zh; ++y)
            for (S32 x = 0; x < zw; ++x)
                G_PIXEL_vPut(pBitmap, px + x, py + y, G_PIXEL_colorGetPhysicalPixel(z.pBitmap, x, y));

        const S32 cx = z.ptCursor.x, cy = z.ptCursor.y;
        S32 xt = cx - 1;
        if (cx >= z.s32RightEdge - 5)
            xt = z.s32RightEdge - 5;
        else if (cx <= z.s32LeftEdge + 2)
            xt = z.s32LeftEdge + 2;
        vBox(pBitmap, mark, xt, py - 24, MARK_WIDTH, MARK_LENGTH);
        vBox(pBitmap, mark, xt, py + zh - 12, MARK_WIDTH, MARK_LENGTH);
        S32 yt = cy - 1;
        if (cy >= z.s32TopEdge - 5)
            yt = z.s32TopEdge - 5;
        else if (cy < 3)
            yt = 2;
        if (!bFv && yt <= z.s32BottomEdge + 1)
            yt = z.s32BottomEdge + 2;
        vBox(pBitmap, mark, px - 24, yt, MARK_LENGTH, MARK_WIDTH);
        vBox(pBitmap, mark, px + zw - 12, yt, MARK_LENGTH, MARK_WIDTH);

        if (ps32Factor != nullptr)
            *ps32Factor = z.s32ZoomFactor;
        if (ps32TopOffset != nullptr)
            *ps32TopOffset = z.s32TopOffset;
        return TRUE;
    }
    if (ps32Factor != nullptr)
        *ps32Factor = 0;
    if (ps32TopOffset != nullptr)
        *ps32TopOffset = 0;
    return FALSE;
}

// The stored columns of a beam, or null.
FULL_SCREEN_TSU* pStore(BEAM beam) { return s_sBeamInfo[beam].pTSUStore; }

bool bKeelviewOnlyTransducer(U8 u8Transducer) { return u8Transducer == 15 || u8Transducer == 17 || u8Transducer == 18; }

} // namespace

// ---- View tests ----

BOOLEAN T_N_HISTORY_bIsSideImageView(LAYER_ID eView, SPLIT_WINDOW_TYPE eSplit)
{
    const LAYER_ID v = resolvedView(eView);
    const SPLIT_WINDOW_TYPE s = resolvedSplit(eSplit);
    if (v == VIEW_SIDEVIEW)
        return TRUE;
    if (v == VIEW_CHART_PLUS_FLANKVIEW)
        return s == SPLIT_LEFT_WINDOW ? TRUE : FALSE;
    if (bIn(v, {VIEW_KEELVIEW_PLUS_FLANKVIEW, VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D, VIEW_FLANKVIEW_PLUS_2D}))
        return s == SPLIT_RIGHT_WINDOW ? TRUE : FALSE;
    return FALSE;
}

BOOLEAN T_N_HISTORY_bIsDownImageView(LAYER_ID eView, SPLIT_WINDOW_TYPE eSplit)
{
    const LAYER_ID v = resolvedView(eView);
    const SPLIT_WINDOW_TYPE s = resolvedSplit(eSplit);
    if (v == VIEW_KEELVIEW)
        return TRUE;
    if (bIn(v, {VIEW_KEELVIEW_PLUS_FLANKVIEW, VIEW_CHART_PLUS_KEELVIEW, VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D}))
        return s == SPLIT_LEFT_WINDOW ? TRUE : FALSE;
    if (v == VIEW_KEELVIEW_PLUS_2D)
        return s == SPLIT_RIGHT_WINDOW ? TRUE : FALSE;
    return FALSE;
}

// ---- Updates and draws ----

BOOLEAN T_N_HISTORY_bUpdateFvZoomWindow(WINDOW_SPECIFICATION* psWindowSpec)
{
    return bUpdate(FvZoomWin, psWindowSpec, true);
}

BOOLEAN T_N_HISTORY_bUpdateKvZoomWindow(WINDOW_SPECIFICATION* psWindowSpec)
{
    return bUpdate(KvZoomWin, psWindowSpec, false);
}

BOOLEAN T_N_HISTORY_bDrawFvZoomWindow(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec, S32* ps32FvZoomFactor,
                                      S32* ps32TopOffset)
{
    return bDraw(FvZoomWin, pBitmap, psWindowSpec, ps32FvZoomFactor, ps32TopOffset, true);
}

BOOLEAN T_N_HISTORY_bDrawKvZoomWindow(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec, S32* ps32KvZoomFactor,
                                      S32* ps32TopOffset)
{
    // The three-pane view shows the cursor's depth in its 2D half too, one
    // half-height below the cursor, whether or not a magnifier is up.
    S32 cx = 0, cy = 0;
    const ICON* pIcon = s_pCursorIcon;
    if (pBitmap != nullptr && pIcon != nullptr && H_DATABASE_bFetchS32(FCID("ICPX"), &cx, nullptr, nullptr) &&
        H_DATABASE_bFetchS32(FCID("ICPY"), &cy, nullptr, nullptr) &&
        U_VIEW_eCurrentView() == VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D && U_VIEW_eCurrentSplit() == SPLIT_LEFT_WINDOW) {
        const S32 s32Strip = static_cast<S32>(T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_LEFT_WINDOW));
        const POINT at{cx + 1 - CURSOR_ICON_HALF, cy - CURSOR_ICON_HALF - (static_cast<S32>(FRAME_ROWS) - s32Strip) / 2};
        G_ICON_vPut(pBitmap, pIcon, &at);
    }
    return bDraw(KvZoomWin, pBitmap, psWindowSpec, ps32KvZoomFactor, ps32TopOffset, false);
}

void t_n_history::vSetZoomCursorIcon(const ICON* pIcon) { s_pCursorIcon = pIcon; }

// ---- Flankview ----

void T_N_HISTORY_vBuildFvZoomRow(U32 u32Index, U8* u8ZoomRow, S32 s32LCPixel, S32 s32RCPixel, S32 s32WindowWidth,
                                 S32 s32MinDepthL, S32 s32MaxDepthL, S32 s32MinDepthR, S32 s32MaxDepthR,
                                 BOOLEAN bLeftBeamActive, BOOLEAN bRightBeamActive)
{
    if (sbFilterNeedsInit) {
        std::memset(su8FilterLeft, 0, sizeof su8FilterLeft);
        std::memset(su8FilterRight, 0, sizeof su8FilterRight);
        s32LineLeft = s32LineRight = 0;
        sbFilterNeedsInit = false;
    }
    const S32 w = std::clamp<S32>(s32WindowWidth, 0, static_cast<S32>(ZOOM_WINDOW_WIDTH));
    std::memset(u8ZoomRow, 0, static_cast<size_t>(w) + 1);
    if (u32Index >= TSU_STORE_COLUMNS)
        return;
    const FILTER_TYPE eFilter = static_cast<FILTER_TYPE>(s_u32SideScanFilter.load());

    FULL_SCREEN_TSU* pLeft = pStore(LEFT_BEAM);
    if (bLeftBeamActive && pLeft != nullptr && s32MaxDepthL > 0 && s32MaxDepthL - s32MinDepthL > 0) {
        const TSU_STORE_COLUMN* c = &pLeft->aTsuStore[u32Index];
        const U32 f = c->u8SampleFactor;
        const S32 n = std::min(w, s32LCPixel - 1);
        if (f != 0 && n > 0) {
            S32 o = std::max<S32>(s32MinDepthL, 0) / static_cast<S32>(f);
            if (s_bTerrainMode)
                o = std::max(o, s32BottomOffset(c, f));
            vResampleStored(c, static_cast<U32>(o), static_cast<U32>(s32MaxDepthL - s32MinDepthL) / f, u8ZoomRow,
                            static_cast<U32>(n));
            if (eFilter != NO_FILTER)
                S_FILTER_v2D_Flankview_Filter(static_cast<U32>(n), u8ZoomRow, u8ZoomRow, eFilter, &s32LineLeft,
                                              su8FilterLeft, FV_FILTER_ROW);
            // Shallowest next to the centre, deeper leftwards.
            std::reverse(u8ZoomRow, u8ZoomRow + n + 1);
        }
    }

    FULL_SCREEN_TSU* pRight = pStore(RIGHT_BEAM);
    if (bRightBeamActive && pRight != nullptr && s32MaxDepthR > 0 && s32MaxDepthR - s32MinDepthR > 0) {
        const TSU_STORE_COLUMN* c = &pRight->aTsuStore[u32Index];
        const U32 f = c->u8SampleFactor;
        const S32 rc = std::max<S32>(s32RCPixel, 0);
        const S32 n = w - rc - 1;
        if (f != 0 && n > 0) {
            S32 o = std::max<S32>(s32MinDepthR, 0) / static_cast<S32>(f);
            if (s_bTerrainMode)
                o = std::max(o, s32BottomOffset(c, f));
            vResampleStored(c, static_cast<U32>(o), static_cast<U32>(s32MaxDepthR - s32MinDepthR) / f,
                            u8ZoomRow + rc, static_cast<U32>(n));
            if (eFilter != NO_FILTER)
                S_FILTER_v2D_Flankview_Filter(static_cast<U32>(n), u8ZoomRow + rc, u8ZoomRow + rc, eFilter,
                                              &s32LineRight, su8FilterRight, FV_FILTER_ROW);
        }
    }
}

BOOLEAN T_N_HISTORY_bFillFvZoomBitmap(FV_ZOOM_WINDOW_TYPE* pFvZoomWin, WINDOW_SPECIFICATION*)
{
    if (pFvZoomWin == nullptr || pFvZoomWin->pBitmap == nullptr)
        return FALSE;
    FV_ZOOM_WINDOW_TYPE& z = *pFvZoomWin;
    const BEAM_INFO& bl = s_sBeamInfo[LEFT_BEAM];
    const BEAM_INFO& br = s_sBeamInfo[RIGHT_BEAM];
    if ((bl.pMain == nullptr && br.pMain == nullptr) || (bl.pTSUStore == nullptr && br.pTSUStore == nullptr))
        return FALSE;
    U32 u32Side = 0;
    if (!H_DATABASE_bFetchU32(FCID("SSWV"), &u32Side, nullptr, nullptr))
        return FALSE;

    const S32 L = z.s32LeftEdge, R = z.s32RightEdge, Wd = z.s32Width, Z = z.s32ZoomFactor;
    const S32 cx = z.ptCursor.x, cy = z.ptCursor.y;
    const S32 zw = z.s32ZoomWidth, zh = z.s32ZoomHeight;
    if (Z <= 0)
        return FALSE;
    auto zx = [&](S32 X) { return (X - cx) * Z + (cx - z.ptWindow.x); };

    bool bLeft = false, bRight = false;
    S32 eL = 0, eR = 0, LC = 0, RC = 0, b0 = 0, b1 = 0;
    switch (u32Side) {
    case SIDE_BEAM_LEFT:
        bLeft = true;
        eL = R;
        LC = zw;
        break;
    case SIDE_BEAM_RIGHT:
        bRight = true;
        eR = L;
        break;
    case SIDE_BEAM_BOTH:
        bLeft = bRight = true;
        eL = L + (Wd - 5) / 2;
        eR = L + (Wd + 5) / 2;
        LC = zx(eL);
        RC = zx(eR);
        b0 = zx(L + (Wd - 3) / 2);
        b1 = zx(L + (Wd + 3) / 2);
        break;
    default:
        return FALSE;
    }
    const bool bBoth = bLeft && bRight;

    // Samples per screen column of each shown side.
    auto samplesPerColumn = [](const SONAR_WINDOW* w, S32 s32Columns) {
        if (w == nullptr || s32Columns == 0)
            return 0.0;
        return (static_cast<double>(w->u32LowerSample) - static_cast<double>(w->u32UpperSample)) / s32Columns;
    };
    const double sL = bLeft ? samplesPerColumn(bl.pMain, eL - L) : 0.0;
    const double sR = bRight ? samplesPerColumn(br.pMain, R - eR) : 0.0;
    const double a = static_cast<double>(z.ptWindow.x + zw - cx) / Z;
    const double b = static_cast<double>(cx - z.ptWindow.x) / Z;
    const S32 s32MinDepthL = std::max(0, s32Trunc(sL * ((eL - cx) - a)));
    const S32 s32MaxDepthL = s32Trunc(sL * ((eL - cx) + b));
    const S32 s32MinDepthR = std::max(0, s32Trunc(sR * ((cx - eR) - b)));
    const S32 s32MaxDepthR = s32Trunc(sR * ((cx - eR) + a));

    const COLOR background = BackGroundColor;
    const COLOR band = colTable(COLOR_CENTRE_BAND);
    const COLOR line = colTable(s_u32FVColor == DARK_MARKS_PALETTE ? COLOR_LINE_BLACK : COLOR_LINE_WHITE);
    const S8 s8Gain = bLeft ? bl.s8Gain : br.s8Gain;

    L_MUTEX_LockWait(RES_TSU);
    const FULL_SCREEN_TSU* pIndexStore = bl.pTSUStore != nullptr ? bl.pTSUStore : br.pTSUStore;
    const S64 s64TsuIndex = pIndexStore->u32NextFreeColumn;
    S32 s32LastPrev = -1;
    for (S32 y = 0; y < zh; ++y) {
        const double d = static_cast<double>(z.s32Height - cy) - static_cast<double>(z.ptWindow.y + y - cy) / Z;
        const S32 prev = s32Ring(s64TsuIndex - 1 - s32Trunc(d + 1.0));
        const S32 next = prev == RING - 1 ? 0 : prev + 1;
        if (y == 0) {
            T_N_HISTORY_vBuildFvZoomRow(static_cast<U32>(prev), u8ZoomBufferPrev, LC, RC, zw, s32MinDepthL,
                                        s32MaxDepthL, s32MinDepthR, s32MaxDepthR, bLeft, bRight);
            T_N_HISTORY_vBuildFvZoomRow(static_cast<U32>(next), u8ZoomBufferNext, LC, RC, zw, s32MinDepthL,
                                        s32MaxDepthL, s32MinDepthR, s32MaxDepthR, bLeft, bRight);
        } else if (prev != s32LastPrev) {
            std::memcpy(u8ZoomBufferPrev, u8ZoomBufferNext, static_cast<size_t>(zw));
            T_N_HISTORY_vBuildFvZoomRow(static_cast<U32>(next), u8ZoomBufferNext, LC, RC, zw, s32MinDepthL,
                                        s32MaxDepthL, s32MinDepthR, s32MaxDepthR, bLeft, bRight);
        }
        s32LastPrev = prev;
        vInterpolate(u8ZoomBufferPrev, u8ZoomBufferNext, u8ZoomBuffer, zw, std::floor(d + 1.0) - d);
        S_GRAYSCALE_vCategorize(u8ZoomBuffer, ColorZoomRow, static_cast<U32>(zw), z.pGrayScaleTable,
                                static_cast<U32>(zw), s8Gain);

        // Between the two images: background, with the black band in the
        // middle.
        if (!s_bTerrainMode)
            for (S32 x = std::max(LC, 0); x < std::min(RC - 1, zw); ++x)
                ColorZoomRow[x] = (b0 <= x && x < b1 - 1) ? band : background;
        if (s_bSideLineOn)
            for (S32 k = 1; k <= 7; ++k) {
                if (k == 4 && bBoth)
                    continue;
                const S32 start = zx(L + k * (Wd / 8));
                for (S32 x = std::max(start, 0); x < std::min(start + Z, zw); ++x)
                    ColorZoomRow[x] = line;
            }
        vPutRow(z.pBitmap, y, ColorZoomRow, zw);
    }
    L_MUTEX_Unlock(RES_TSU);
    return TRUE;
}

// ---- Keelview ----

void T_N_HISTORY_vBuildKvZoomColumn(U32 u32Index, U8* u8ZoomColumnL, U8* u8ZoomColumnR, S32 s32WindowHeight,
                                    S32 s32MinDepthL, S32 s32MaxDepthL, S32 s32MinDepthR, S32 s32MaxDepthR)
{
    const S32 h = std::clamp<S32>(s32WindowHeight, 0, static_cast<S32>(KV_ZOOM_COLUMN_BYTES));
    struct SIDE {
        BEAM beam;
        U8* pu8Column;
        S32 s32Min, s32Max, s32Out;
    };
    for (const SIDE& s : {SIDE{LEFT_BEAM, u8ZoomColumnL, s32MinDepthL, s32MaxDepthL, h},
                          SIDE{RIGHT_BEAM, u8ZoomColumnR, s32MinDepthR, s32MaxDepthR, h - 1}}) {
        std::memset(s.pu8Column, 0, static_cast<size_t>(h));
        const FULL_SCREEN_TSU* pTsu = pStore(s.beam);
        if (pTsu == nullptr || u32Index >= TSU_STORE_COLUMNS || s.s32Out <= 0 || s.s32Max <= s.s32Min)
            continue;
        const TSU_STORE_COLUMN* c = &pTsu->aTsuStore[u32Index];
        const U32 f = c->u8SampleFactor;
        if (f == 0)
            continue;
        const U32 o = static_cast<U32>(std::max(s.s32Min, 0)) / f;
        vResampleStored(c, o, static_cast<U32>(s.s32Max - s.s32Min) / f, s.pu8Column, static_cast<U32>(s.s32Out));
    }
}

void t_n_history::vFilterKeelviewBeams(U8* u8Column)
{
    if (s_bKvFilterNeedsInit) {
        std::memset(su8Filter, 0, sizeof su8Filter);
        s32Line = 0;
        s_bKvFilterNeedsInit = false;
    }
    const SONAR_WINDOW* pWindow = s_sBeamInfo[KEELVIEW_BEAM].pMain;
    if (s_u32KeelviewFilter != 0 && pWindow != nullptr && pWindow->u32HistoryHeight <= KV_FILTER_LIMIT)
        S_FILTER_v2D_Flankview_Filter(s_u32KvFilterLength, u8Column, u8Column,
                                      static_cast<FILTER_TYPE>(s_u32KeelviewFilter.load()), &s32Line, su8Filter,
                                      KV_FILTER_ROW);
}

BOOLEAN T_N_HISTORY_bFillKvZoomBitmap(FV_ZOOM_WINDOW_TYPE* pKvZoomWin, WINDOW_SPECIFICATION* psWindowSpec)
{
    if (pKvZoomWin == nullptr || pKvZoomWin->pBitmap == nullptr)
        return FALSE;
    FV_ZOOM_WINDOW_TYPE& z = *pKvZoomWin;
    const SONAR_WINDOW* pWindow = s_sBeamInfo[KEELVIEW_BEAM].pMain;
    const bool bOnlyRight = bKeelviewOnlyTransducer(S_TRANSDUCER_u8CurrentTransducer(1));
    FULL_SCREEN_TSU* pLeft = pStore(LEFT_BEAM);
    FULL_SCREEN_TSU* pRight = pStore(RIGHT_BEAM);
    const FULL_SCREEN_TSU* pIndexStore = (bOnlyRight || pLeft == nullptr) ? pRight : pLeft;
    if (pWindow == nullptr || pIndexStore == nullptr)
        return FALSE;

    const S32 Z = z.s32ZoomFactor;
    const S32 cx = z.ptCursor.x, cy = z.ptCursor.y;
    const S32 zw = z.s32ZoomWidth, zh = z.s32ZoomHeight;
    if (Z <= 0)
        return FALSE;
    const S32 s32Rows = z.s32TopEdge - z.s32BottomEdge;
    const double s =
        s32Rows == 0 ? 0.0
                     : (static_cast<double>(pWindow->u32LowerSample) - static_cast<double>(pWindow->u32UpperSample)) /
                           s32Rows;
    const S32 s32MinDepth =
        std::max(0, s32Trunc(s * ((z.s32TopEdge - cy) - static_cast<double>(zh + z.ptWindow.y - cy) / Z)));
    const S32 s32MaxDepth = s32Trunc(s * ((z.s32TopEdge - cy) + static_cast<double>(cy - z.ptWindow.y) / Z));

    S32 marks[3];
    const S32 q = z.s32Height / 4;
    for (S32 k = 1; k <= 3; ++k)
        marks[k - 1] = (zh + z.ptWindow.y - cy) - Z * (z.s32BottomEdge + 1 - cy + k * q);
    const COLOR markColor = colTable(s_u32KVColor == DARK_MARKS_PALETTE ? COLOR_LINE_BLACK : COLOR_LINE_WHITE);
    const bool bMarks = SonarViewInfo.u32DepthLines != 0;
    const S8 s8Gain = s_sBeamInfo[KEELVIEW_BEAM].s8Gain;
    const S32 s32First = resolvedView(psWindowSpec != nullptr ? psWindowSpec->currentLayer : z.eView) ==
                                 VIEW_KEELVIEW_PLUS_2D
                             ? 2 * (z.s32Width + 4)
                             : z.s32Width;

    // The fusion runs over the Keelview window's whole height: the rows
    // below the picture stay empty.
    std::memset(s_au8KvColumnL, 0, sizeof s_au8KvColumnL);
    std::memset(s_au8KvColumnR, 0, sizeof s_au8KvColumnR);
    s_u32KvFilterLength = static_cast<U32>(zh);

    L_MUTEX_LockWait(RES_TSU);
    const S64 s64TsuIndex = pIndexStore->u32NextFreeColumn;
    S32 s32LastPrev = -1;
    for (S32 x = 0; x < zw; ++x) {
        const double d = static_cast<double>(s32First - cx) - static_cast<double>(z.ptWindow.x + x - cx) / Z;
        const S32 prev = s32Ring(s64TsuIndex - 1 - s32Trunc(d + 1.0));
        const S32 next = prev == RING - 1 ? 0 : prev + 1;
        if (x == 0) {
            T_N_HISTORY_vBuildKvZoomColumn(static_cast<U32>(prev), s_au8KvOlderL, s_au8KvOlderR, zh, s32MinDepth,
                                           s32MaxDepth, s32MinDepth, s32MaxDepth);
            T_N_HISTORY_vBuildKvZoomColumn(static_cast<U32>(next), s_au8KvYoungerL, s_au8KvYoungerR, zh, s32MinDepth,
                                           s32MaxDepth, s32MinDepth, s32MaxDepth);
        } else if (prev != s32LastPrev) {
            std::memcpy(s_au8KvOlderL, s_au8KvYoungerL, static_cast<size_t>(zh));
            std::memcpy(s_au8KvOlderR, s_au8KvYoungerR, static_cast<size_t>(zh));
            T_N_HISTORY_vBuildKvZoomColumn(static_cast<U32>(next), s_au8KvYoungerL, s_au8KvYoungerR, zh, s32MinDepth,
                                           s32MaxDepth, s32MinDepth, s32MaxDepth);
        }
        s32LastPrev = prev;
        const double dPing = std::floor(d + 1.0) - d;
        vInterpolate(s_au8KvOlderL, s_au8KvYoungerL, s_au8KvColumnL, zh, dPing);
        vInterpolate(s_au8KvOlderR, s_au8KvYoungerR, s_au8KvColumnR, zh, dPing);
        std::memset(s_au8KvFused, 0, sizeof s_au8KvFused);
        vCombineKeelviewBeams(s_au8KvColumnL, s_au8KvColumnR, s_au8KvFused);
        vFilterKeelviewBeams(s_au8KvFused);
        S_GRAYSCALE_vCategorize(s_au8KvFused, s_acKvColumn, static_cast<U32>(zh), &KeelviewGrayScaleTable,
                                static_cast<U32>(zh), s8Gain);
        if (bMarks)
            for (S32 m : marks)
                if (m >= 0 && m < zh)
                    s_acKvColumn[m] = markColor;
        for (S32 r = 0; r < zh; ++r)
            G_PIXEL_vPutDirect(z.pBitmap, x, r, s_acKvColumn[zh - 1 - r]);
    }
    L_MUTEX_Unlock(RES_TSU);
    return TRUE;
}
