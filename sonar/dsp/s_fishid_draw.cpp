// Fish symbols over the sonar pictures (see s_fishid.h).
//
// Each drawing walks the history from the newest column toward the older
// ones, one pixel column (or row, for the vertical picture) per history
// column, and puts the symbol of every visible fish there. The drawing
// works on a copy of the bitmap header whose clip box is the picture's
// area within the window's own clip box, so a symbol near an edge is cut
// there and nothing lands outside the window.
#include "sonar/dsp/s_fishid.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/l_mutex.h"
#include "sonar/dsp/s_fishid_icons.h"
#include "sonar/dsp/s_fishid_internal.h"
#include "ui/t_info.h"

#include <algorithm>
#include <cstdio>

namespace {

// Screen rows of the bottom-lock picture: it hangs from the top row.
constexpr S64 SCREEN_ROWS = 600;
constexpr U32 LABEL_BACKGROUND_ENTRY = 128; // the info palette's background
constexpr U32 LABEL_ALPHA_VECTOR = 0x8C8C56;
constexpr U32 LABEL_BOX_HEIGHT = 16;
constexpr double LABEL_WHOLE_FROM = 9.95;

// The window's own clip box cut down to the rectangle given.
BITMAP clippedTo(const BITMAP* pBmp, S64 left, S64 bottom, S64 right, S64 top)
{
    BITMAP b = *pBmp;
    const auto fit = [](S64 v) { return (S32)std::clamp<S64>(v, -0x7FFFFFFF, 0x7FFFFFFF); };
    b.s32ClipLeft = fit(std::max<S64>(left, pBmp->s32ClipLeft));
    b.s32ClipRight = fit(std::min<S64>(right, pBmp->s32ClipRight));
    b.s32ClipBottom = fit(std::max<S64>(bottom, pBmp->s32ClipBottom));
    b.s32ClipTop = fit(std::min<S64>(top, pBmp->s32ClipTop));
    b.s32ClipLeft_full_screen = b.s32ClipLeft;
    b.s32ClipRight_full_screen = b.s32ClipRight;
    b.s32ClipBottom_full_screen = b.s32ClipBottom;
    b.s32ClipTop_full_screen = b.s32ClipTop;
    return b;
}

bool bClipEmpty(const BITMAP* pBmp)
{
    return pBmp->s32ClipLeft > pBmp->s32ClipRight || pBmp->s32ClipBottom > pBmp->s32ClipTop;
}

const ICON* pSymbol(const ICON (&table)[FISH_ICON_BEAMS][FISH_ICON_SIZES], const FISH_TARGET& f, U8 u8Size)
{
    if (f.beam >= FISH_ICON_BEAMS || u8Size >= FISH_ICON_SIZES)
        return nullptr;
    return &table[f.beam][u8Size];
}

POINT point(S64 x, S64 y)
{
    const auto fit = [](S64 v) { return (S32)std::clamp<S64>(v, -0x7FFFFFFF, 0x7FFFFFFF); };
    return POINT{fit(x), fit(y)};
}

U32 u32Count(const FISH_TARGET_LIST& list) { return std::min<U32>(list.u8NumberOfTargets, FISH_TARGETS_PER_LIST); }

// A depth label centred on column x: the text's baseline on row textY, on
// a blended box from row boxY up.
void vDrawLabel(BITMAP* pBmp, U32 u32Samples, UNIT_TYPE DepthUnits, S64 x, S64 textY, S64 boxY, COLOR NumberColor)
{
    const FONT_DEF* pFont = std_11x14_font_def_ptr.load();
    if (pFont == nullptr)
        return;
    char acText[32];
    S_FISHID_vFormatDepthLabel(dGenericConvert(S_FISHID_fSamplesToMetres(u32Samples), U_METRES, DepthUnits), acText,
                               sizeof acText);
    const BYTE* pText = reinterpret_cast<const BYTE*>(acText);
    const U32 width = G_STRING_u32GetWidth(pFont, pText);
    POINT text = point(x - width / 2, textY);
    const POINT box = point((S64)text.x - 1, boxY);
    G_BOX_vDrawFilledAlpha(pBmp, COLOR_colorRead(&gCOLOR_pcolColorTable[LABEL_BACKGROUND_ENTRY]), &box, width + 1,
                           LABEL_BOX_HEIGHT, T_INFO_u8ConvertAlphaVector(LABEL_ALPHA_VECTOR));
    G_STRING_vPut(pBmp, NumberColor, &text, pFont, pText);
}

} // namespace

void S_FISHID_vFormatDepthLabel(double dValue, char* pcText, U32 u32Size)
{
    if (pcText == nullptr || u32Size == 0)
        return;
    // One decimal would make 9.95 read "10.0", wider than the "10" after it.
    snprintf(pcText, u32Size, dValue < LABEL_WHOLE_FROM ? "%.1f" : "%.0f", dValue);
}

void S_FISHID_vDrawStandardFishHistory(BITMAP* pBmp, FISH_TARGET_HISTORY* pTargetHistory, PIXEL OldestColumn,
                                       PIXEL NewestColumn, PIXEL BottomPixel, PIXEL TopPixel, U32 u32UpperSamples,
                                       U32 u32LowerSamples, UNIT_TYPE DepthUnits, COLOR NumberColor,
                                       BOOLEAN bSlanted)
{
    if (pBmp == nullptr || pTargetHistory == nullptr || u32LowerSamples <= u32UpperSamples || TopPixel < BottomPixel)
        return;
    L_MUTEX_LockWait(RES_FISHID);
    const S64 slant = bSlanted ? std::abs((S64)OldestColumn - NewestColumn) : 0;
    BITMAP bmp = clippedTo(pBmp, std::min(OldestColumn, NewestColumn), (S64)BottomPixel - slant,
                           std::max(OldestColumn, NewestColumn), TopPixel);
    if (!bClipEmpty(&bmp)) {
        const S64 step = OldestColumn > NewestColumn ? 1 : -1;
        const U64 span = u32LowerSamples - u32UpperSamples;
        U32 h = S_FISHID_u32Newest(pTargetHistory);
        if (S_FISHID_bReverseScroll())
            h = S_FISHID_u32Backward(h);
        S64 top = TopPixel, bottom = BottomPixel;
        for (S64 x = NewestColumn; x != (S64)OldestColumn + step; x += step) {
            const FISH_TARGET_LIST& column = pTargetHistory->Items[h];
            for (U32 t = 0; t < u32Count(column); ++t) {
                const FISH_TARGET& f = column.target[t];
                if (f.bIgnoreThisFish || f.u32DepthInSamples <= u32UpperSamples ||
                    f.u32DepthInSamples >= u32LowerSamples)
                    continue;
                const ICON* pIcon = pSymbol(FishIconsHorizontal, f, f.u8Size);
                if (pIcon == nullptr)
                    continue;
                const S64 y = (top + 1) - (S64)((U64)(f.u32DepthInSamples - u32UpperSamples) *
                                                (U64)(top - bottom + 1) / span);
                const POINT anchor = point(x - pIcon->nWidth / 2, y + 1);
                G_ICON_vPut(&bmp, pIcon, &anchor);
                if (f.bIdPlusThisFish)
                    vDrawLabel(&bmp, f.u32DepthInSamples, DepthUnits, x, y + pIcon->nHeight + 2,
                               y + pIcon->nHeight + 1, NumberColor);
            }
            if (bSlanted) {
                --top;
                --bottom;
            }
            h = S_FISHID_u32Backward(h);
        }
    }
    L_MUTEX_Unlock(RES_FISHID);
}

void S_FISHID_vDrawBottomLockFishHistory(BITMAP* pBmp, FISH_TARGET_HISTORY* pTargetHistory,
                                         FULL_SCREEN_TSU* pTSUStore, PIXEL LeftHandEdgePixel,
                                         PIXEL RightHandEdgePixel, U32 u32DisplayHeight, U32 u32UpperSamples,
                                         U32 u32LowerSamples, UNIT_TYPE DepthUnits, COLOR NumberColor)
{
    if (pBmp == nullptr || pTargetHistory == nullptr || pTSUStore == nullptr)
        return;
    L_MUTEX_LockWait(RES_FISHID);
    BITMAP bmp = clippedTo(pBmp, LeftHandEdgePixel, SCREEN_ROWS - u32DisplayHeight, RightHandEdgePixel,
                           SCREEN_ROWS - 1);
    const U64 window = (U64)u32UpperSamples + u32LowerSamples;
    if (!bClipEmpty(&bmp) && window > 0) {
        U32 store = S_FISHID_u32Backward(pTSUStore->u32NextFreeColumn % TSU_STORE_COLUMNS);
        U32 h = S_FISHID_u32Newest(pTargetHistory);
        for (S64 x = RightHandEdgePixel; x >= LeftHandEdgePixel; --x) {
            const U64 B = pTSUStore->aTsuStore[store].u32SmoothedDepthInSamples;
            const FISH_TARGET_LIST& column = pTargetHistory->Items[h];
            for (U32 t = 0; t < u32Count(column); ++t) {
                const FISH_TARGET& f = column.target[t];
                const U64 depth = f.u32DepthInSamples;
                if (f.bIgnoreThisFish || !(B < u32UpperSamples + depth && depth < u32LowerSamples + B))
                    continue;
                const ICON* pIcon = pSymbol(FishIconsHorizontal, f, f.u8Size);
                if (pIcon == nullptr)
                    continue;
                const S64 y = SCREEN_ROWS - (S64)((U64)u32DisplayHeight * (depth + u32UpperSamples - B) / window);
                const POINT anchor = point(x - pIcon->nWidth / 2, y + 1);
                G_ICON_vPut(&bmp, pIcon, &anchor);
                // The smoothed bottom may lag a fish that lies just below
                // it; such a fish is on the bottom.
                if (f.bIdPlusThisFish)
                    vDrawLabel(&bmp, B > depth ? (U32)(B - depth) : 0, DepthUnits, x, y - 14, y - 15, NumberColor);
            }
            store = S_FISHID_u32Backward(store);
            h = S_FISHID_u32Backward(h);
        }
    }
    L_MUTEX_Unlock(RES_FISHID);
}

void S_FISHID_vDrawVerticalFishHistory(FISH_TARGET_HISTORY* pTargetHistory, BITMAP* pBmp, POINT* pDeepestOldest,
                                       POINT* pShallowestYoungest, U32 u32LowerSamples, UNIT_TYPE /*DepthUnits*/,
                                       BOOLEAN bSarvilActive)
{
    if (pTargetHistory == nullptr || pBmp == nullptr || pDeepestOldest == nullptr || pShallowestYoungest == nullptr)
        return;
    L_MUTEX_LockWait(RES_FISHID);
    const POINT deep = *pDeepestOldest, shallow = *pShallowestYoungest;
    BITMAP bmp = clippedTo(pBmp, std::min(deep.x, shallow.x), std::min(deep.y, shallow.y), std::max(deep.x, shallow.x),
                           std::max(deep.y, shallow.y));
    const S64 rows = (S64)shallow.y - deep.y + 1;
    const U64 W = (U64)std::abs((S64)deep.x - shallow.x) + 1;
    if (!bClipEmpty(&bmp) && u32LowerSamples > 0) {
        U32 h = S_FISHID_u32Newest(pTargetHistory);
        for (S64 i = 0; i < rows; ++i, h = S_FISHID_u32Backward(h)) {
            const S64 y = (S64)shallow.y - i;
            if (y < 0)
                break;
            const FISH_TARGET_LIST& column = pTargetHistory->Items[h];
            const U32 count = bSarvilActive ? std::min<U32>(u32Count(column), 1) : u32Count(column);
            for (U32 t = 0; t < count; ++t) {
                const FISH_TARGET& f = column.target[t];
                if (f.bIgnoreThisFish || f.u32DepthInSamples >= u32LowerSamples)
                    continue;
                const ICON* pIcon = pSymbol(FishIconsVertical, f, bSarvilActive ? 1 : f.u8Size);
                if (pIcon == nullptr)
                    continue;
                const S64 across = (S64)((U64)f.u32DepthInSamples * W / u32LowerSamples);
                const S64 x = deep.x > shallow.x ? shallow.x + across - pIcon->nWidth : shallow.x + 1 - across;
                const POINT anchor = point(x, y - pIcon->nHeight / 2);
                G_ICON_vPut(&bmp, pIcon, &anchor);
            }
        }
    }
    L_MUTEX_Unlock(RES_FISHID);
}
