// The shared drawing operations of the sonar panes: the copy of a window's
// scrolling history into the frame, the depth lines and their labels, the
// depth scale, one whole 2D window, and the water-temperature chart. They
// run in the view task inside a draw callback, on the caller's copy of the
// window. Only the horizontal copy locks the history (mutex 4): the column
// adder writes the same bitmap, and two block copies are short enough to
// hold it.
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_state.h"

#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/g_box.h"
#include "graphics/g_fonts.h"
#include "graphics/g_icon.h"
#include "graphics/g_line.h"
#include "graphics/g_pixel.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/error.h"
#include "kernel/l_mutex.h"
#include "sonar/dsp/s_fishid.h"
#include "store/h_database.h"
#include "ui/t_info.h"
#include "ui/icon_art.h"
#include "ui/t_info_bar.h"
#include "ui/t_view.h"
#include "ui/u_view.h"
#include "util/u_convert.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace t_n_history;

namespace {

// The manual-range mark beside the lower depth label: an "M" on a white tile.
constexpr const char* manual_icon_rows[14] = {
    "000000000000", //
    "044444444440", //
    "040444444040", //
    "040044440040", //
    "040404404040", //
    "040440044040", //
    "040444444040", //
    "040444444040", //
    "040444444040", //
    "040444444040", //
    "040444444040", //
    "040444444040", //
    "044444444440", //
    "000000000000", //
};
static_assert(icon_art::rowsFit<12>(manual_icon_rows));
constexpr auto manual_icon_data = icon_art::pack<12>(manual_icon_rows);
constexpr ICON manual_icon = {manual_icon_data.data(), &icon_art::u8Transparent, 12, 14, ICON_TRANSPARENT_COLOR};

// ---- Constants ----

constexpr S32 FRAME_HEIGHT = 600;
constexpr U32 SCREEN_RIGHT = 799;
constexpr U32 COLOR_LABEL_BACK = 128;
constexpr U32 COLOR_LABEL_TEXT = 131;
constexpr U32 COLOR_DEPTH_LINE = 130;
constexpr U32 COLOR_KV_LINE = 35;
constexpr U32 COLOR_KV_LINE_ALT = 32;
constexpr U32 KV_COLOR_ALT = 2;
constexpr U32 ALPHA_VECTOR = 0x8C8C56;
constexpr U32 CHART_HEIGHT = 40;
constexpr BYTE DEGREE_SIGN = 0xBA;

COLOR colTable(U32 u32Entry) { return gCOLOR_pcolColorTable[u32Entry]; }

void vBlendBox(BITMAP* pBmp, S32 x, S32 y, U32 w, U32 h)
{
    const POINT pt{x, y};
    G_BOX_vDrawFilledAlpha(pBmp, colTable(COLOR_LABEL_BACK), &pt, w, h, T_INFO_u8ConvertAlphaVector(ALPHA_VECTOR));
}

void vText(BITMAP* pBmp, S32 x, S32 y, const FONT_DEF* pFont, const char* psz, U32 u32Color)
{
    POINT pt{x, y};
    G_STRING_vPut(pBmp, colTable(u32Color), &pt, pFont, reinterpret_cast<const BYTE*>(psz));
}

U32 u32Width(const FONT_DEF* pFont, const char* psz)
{
    return G_STRING_u32GetWidth(pFont, reinterpret_cast<const BYTE*>(psz));
}

void vLine(BITMAP* pBmp, U32 u32Color, S32 x0, S32 y0, S32 x1, S32 y1)
{
    POINT a{x0, y0}, b{x1, y1};
    G_LINE_vDraw(pBmp, colTable(u32Color), &a, &b);
}

// Lines shared by the 2D and Keelview windows; bLabels false draws the
// lines across the whole width.
void vLines(BITMAP* pBitmap, U32 n, U32 left, U32 right, U32 h, U32 top, U32 upper, U32 lower, U32 u32LineColor,
            bool bLabels)
{
    if (n == 0 || upper >= lower || h == 0)
        return;
    const U32 r = lower - upper;
    const S32 base = FRAME_HEIGHT - static_cast<S32>(h) - static_cast<S32>(top);
    const FONT_DEF* pFont = std_11x14_font_def_ptr.load();
    for (U32 k = n; k >= 1; --k) {
        const U32 t = u32DepthLineTenths(k, n, upper, lower, h);
        const S32 y = base + static_cast<S32>((h * (10 * lower - t) + 5 * r) / (10 * r));
        if (!bLabels) {
            vLine(pBitmap, u32LineColor, static_cast<S32>(left), y, static_cast<S32>(right), y);
            continue;
        }
        char label[16];
        vDepthLabel(t, label, sizeof label);
        const S32 w = static_cast<S32>(u32Width(pFont, label));
        const S32 rx = static_cast<S32>(right);
        vLine(pBitmap, u32LineColor, static_cast<S32>(left), y, rx - w - 1, y);
        vBlendBox(pBitmap, rx - w, y - 8, static_cast<U32>(w) + 1, 16);
        vText(pBitmap, rx - w + 1, y - 7, pFont, label, COLOR_LABEL_TEXT);
    }
}

} // namespace

U32 t_n_history::u32DepthLineTenths(U32 k, U32 n, U32 upper, U32 lower, U32 height)
{
    const U32 r = lower - upper;
    U32 t = 10 * upper + (k * 10 * r + (n + 1) / 2) / (n + 1);
    // Fewer than two rows per unit: whole units only.
    if (r > height / 2)
        t = ((t + 5) / 10) * 10;
    return t;
}

void t_n_history::vDepthLabel(U32 u32Tenths, char* pszOut, U32 u32Size)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%u", u32Tenths);
    const size_t len = std::strlen(digits);
    if (digits[len - 1] == '0')
        std::snprintf(pszOut, u32Size, "%u", u32Tenths / 10);
    else if (len == 1)
        std::snprintf(pszOut, u32Size, "0.%s", digits);
    else
        std::snprintf(pszOut, u32Size, "%.*s.%c", static_cast<int>(len - 1), digits, digits[len - 1]);
}

// ---- History copies ----

void t_n_history::vCopyHistoryToBitmap(BITMAP* pBmp, SONAR_HISTORY* pHistory, U32 u32DestinationWidthInPixels,
                                       U32 u32XOffset)
{
    const U32 W = u32DestinationWidthInPixels, X = u32XOffset;
    if (W == 0 || W - 1 > X) {
        ERROR_error("t_n_history", __LINE__, "Invalid Columns/Offset");
        U_RESET_vReset(FALSE, FALSE);
    }
    L_MUTEX_LockWait(pHistory->Resource);
    const U32 wide = pHistory->pBmp->pixels_wide;
    const U32 n = pHistory->u16NextFreeColumn;
    U32 w1;
    if (n > 0) {
        w1 = std::min(n, W);
        G_BMP_vCopyRegion(pHistory->pBmp, pBmp, static_cast<PIXEL>(n - w1), static_cast<PIXEL>(X + 1 - w1), w1);
    } else {
        w1 = std::min(wide, W);
        G_BMP_vCopyRegion(pHistory->pBmp, pBmp, static_cast<PIXEL>(wide - w1), static_cast<PIXEL>(X + 1 - w1), w1);
    }
    if (w1 < W && wide + w1 >= W)
        G_BMP_vCopyRegion(pHistory->pBmp, pBmp, static_cast<PIXEL>(wide + w1 - W), static_cast<PIXEL>(X + 1 - W),
                          W - w1);
    L_MUTEX_Unlock(pHistory->Resource);
}

void t_n_history::vCopyHistoryToBitmapGeneric(BITMAP* pBmp, const SONAR_WINDOW* pWindow, const POINT* pDeepOldest,
                                              const POINT* pShallowYoungest)
{
    const BITMAP* pSrc = pWindow->ScreenHistory.pBmp;
    const U32 wide = pSrc->pixels_wide;
    if (wide == 0)
        return;
    const U32 srcRows = pSrc->pixels_high_full_screen;
    U32 c = pWindow->ScreenHistory.u16NextFreeColumn == 0 ? wide - 1 : pWindow->ScreenHistory.u16NextFreeColumn - 1u;
    const S32 dx = pShallowYoungest->x < pDeepOldest->x ? 1 : -1;
    const S32 dy = pShallowYoungest->y < pDeepOldest->y ? 1 : -1;
    const bool bBothSides = db_u32SideBeamView == SIDE_BEAM_BOTH && s_bTerrainMode;
    const U32 rowLimit = srcRows / 2 >= 3 ? srcRows / 2 - 3 : 0;
    const auto stepBack = [&] { c = c == 0 ? wide - 1 : c - 1; };
    // The 360 unit as side source shows its picture only while it sweeps
    // sideways; the state is taken once per copy.
    const bool bBlank = s_bSweepingUsedAsSide && !(s_bMSSDeployed && s_u32SweepStatus == 2);
    const COLOR blank = colTable(32);
    const U32 srcStride = pSrc->__u32PixelWidthOfBuffer;
    const auto source = [&](const COLOR* pColumn, U32 row) -> COLOR {
        return bBlank ? blank : pColumn[std::min(row, srcRows - 1) * srcStride];
    };
    if (!pWindow->bVerticalScroll) {
        // Row by row, so that both bitmaps are walked along their rows; the
        // cancellation is asked once per row of at most 800 pixels.
        const U32 columns = static_cast<U32>(std::abs(pDeepOldest->x - pShallowYoungest->x)) + 1;
        static U32 au32Source[HISTORY_MEMORY_COLUMNS];
        for (U32 j = 0; j < columns && j < HISTORY_MEMORY_COLUMNS; ++j) {
            au32Source[j] = c;
            stepBack();
        }
        U32 row = 0;
        for (S32 y = pShallowYoungest->y;; y += dy, ++row) {
            if (T_VIEW_bViewUpdateCancelled())
                return;
            const COLOR* pSrcRow = G_PIXEL_pcolPhysical(pSrc, 0, static_cast<PIXEL>(std::min(row, srcRows - 1)));
            COLOR* pRow = G_PIXEL_pcolPhysical(pBmp, 0, G_PIXEL_nRowOf(pBmp, y));
            S32 x = pShallowYoungest->x;
            for (U32 j = 0; j < columns && j < HISTORY_MEMORY_COLUMNS; ++j, x += dx)
                pRow[x] = bBlank ? blank : pSrcRow[au32Source[j]];
            if (y == pDeepOldest->y)
                break;
        }
        return;
    }
    for (S32 y = pShallowYoungest->y;; y += dy) {
        if (T_VIEW_bViewUpdateCancelled())
            return;
        const COLOR* pColumn = G_PIXEL_pcolPhysical(pSrc, static_cast<PIXEL>(c), 0);
        COLOR* pRow = G_PIXEL_pcolPhysical(pBmp, 0, G_PIXEL_nRowOf(pBmp, y));
        U32 row = 0;
        for (S32 x = pShallowYoungest->x;; x += dx) {
            pRow[x] = source(pColumn, row);
            if (!bBothSides || row < rowLimit)
                ++row;
            if (x == pDeepOldest->x)
                break;
        }
        stepBack();
        if (y == pDeepOldest->y)
            break;
    }
}

// ---- Depth lines and scale ----

void t_n_history::vDrawDepthLines(BITMAP* pBitmap, U32 u32DepthLines, U32 u32LeftPixel, U32 u32RightPixel,
                                  U32 u32Height, U32 u32TopOffset, U32 u32UpperDigits, U32 u32LowerDigits)
{
    const bool bLabels = U_VIEW_eCurrentView() != VIEW_KEELVIEW_PLUS_2D;
    vLines(pBitmap, u32DepthLines, u32LeftPixel, u32RightPixel, u32Height, u32TopOffset, u32UpperDigits,
           u32LowerDigits, COLOR_DEPTH_LINE, bLabels);
}

void t_n_history::vDrawDepthLinesWhite(BITMAP* pBitmap, U32 u32DepthLines, U32 u32LeftPixel, U32 u32RightPixel,
                                       U32 u32Height, U32 u32TopOffset, U32 u32UpperDigits, U32 u32LowerDigits)
{
    (void)u32TopOffset;
    vLines(pBitmap, u32DepthLines, u32LeftPixel, u32RightPixel, u32Height, 0, u32UpperDigits, u32LowerDigits,
           s_u32KVColor == KV_COLOR_ALT ? COLOR_KV_LINE_ALT : COLOR_KV_LINE, true);
}

void t_n_history::vDrawDepthScale(BITMAP* pBitmap, U32 u32RightPixel, U32 u32UpperDigits, U32 u32LowerDigits,
                                  U32 u32Height, U32 u32TopOffset, BOOLEAN bManualFlag, BOOLEAN bSuppressDivider)
{
    const FONT_DEF* pFont = f15x21_font_def_ptr;
    char upper[16], lower[16];
    std::snprintf(upper, sizeof upper, "%u", u32UpperDigits);
    std::snprintf(lower, sizeof lower, "%u", u32LowerDigits);
    const S32 wU = static_cast<S32>(u32Width(pFont, upper));
    const S32 wL = static_cast<S32>(u32Width(pFont, lower));
    const S32 R = static_cast<S32>(u32RightPixel);
    const S32 T = static_cast<S32>(u32TopOffset);
    const S32 H = static_cast<S32>(u32Height);
    S32 xU = R - wU, xL = R - wL;
    const S32 yU = 577 - T, yL = FRAME_HEIGHT - H - T;
    if (u32RightPixel != SCREEN_RIGHT && !bSuppressDivider) {
        const S32 bottom = FRAME_HEIGHT - H - T, top = FRAME_HEIGHT - 1 - T;
        vLine(pBitmap, COLOR_LABEL_BACK, R, bottom, R, top);
        vLine(pBitmap, COLOR_LABEL_TEXT, R - 1, bottom, R - 1, top);
        vLine(pBitmap, COLOR_LABEL_BACK, R - 2, bottom, R - 2, top);
        xU -= 3;
        xL -= 3;
    }
    vBlendBox(pBitmap, xU, yU, static_cast<U32>(wU) + 1, 23);
    vBlendBox(pBitmap, xL, yL, static_cast<U32>(wL) + 1, 23);
    vText(pBitmap, xU + 1, yU + 1, pFont, upper, COLOR_LABEL_TEXT);
    vText(pBitmap, xL + 1, yL + 1, pFont, lower, COLOR_LABEL_TEXT);
    if (bManualFlag) {
        const POINT pt{xL + 1 - manual_icon.nWidth, yL};
        G_ICON_vPut(pBitmap, &manual_icon, &pt);
    }
}

void t_n_history::vDrawSonarWindow(BITMAP* pBitmap, SONAR_WINDOW* pWindow, U32 u32LeftPixel, U32 u32RightPixel,
                                   U32 u32Height, UNIT_TYPE unitsDepth, U32 u32DepthLines, BOOLEAN bFishID,
                                   BOOLEAN bDrawScale)
{
    if (u32RightPixel < u32LeftPixel)
        return;
    vCopyHistoryToBitmap(pBitmap, &pWindow->ScreenHistory, u32RightPixel - u32LeftPixel + 1, u32RightPixel);
    const BEAM beam = pWindow->Beam;
    if (bFishID && beam < SONAR_BEAMS) {
        const auto draw = [&](BEAM b) {
            S_FISHID_vDrawStandardFishHistory(pBitmap, &s_sBeamInfo[b].FishHistory, static_cast<PIXEL>(u32LeftPixel),
                                              static_cast<PIXEL>(u32RightPixel),
                                              FRAME_HEIGHT - static_cast<PIXEL>(u32Height), FRAME_HEIGHT - 1,
                                              pWindow->u32UpperSample, pWindow->u32LowerSample, unitsDepth,
                                              colTable(COLOR_LABEL_TEXT), FALSE);
        };
        if (beam == 4) {
            draw(0);
            draw(1);
        } else {
            draw(beam);
        }
    }
    if (beam == 5)
        vDrawDepthLinesWhite(pBitmap, u32DepthLines, u32LeftPixel, u32RightPixel, u32Height, 0,
                             pWindow->u32UpperDigits, pWindow->u32LowerDigits);
    else if (!s_bSonarDoNotDisplayScale)
        vDrawDepthLines(pBitmap, u32DepthLines, u32LeftPixel, u32RightPixel, u32Height, 0, pWindow->u32UpperDigits,
                        pWindow->u32LowerDigits);
    if (bDrawScale && !s_bSonarDoNotDisplayScale)
        vDrawDepthScale(pBitmap, std::min(u32RightPixel + 3, SCREEN_RIGHT), pWindow->u32UpperDigits,
                        pWindow->u32LowerDigits, u32Height, 0, pWindow->bManualDepthRange, FALSE);
}

// ---- Temperature ----

float t_n_history::fTemperatureReading[TEMPERATURE_READINGS];
float t_n_history::fMinTemperatureReading = 0.0f;
float t_n_history::fMaxTemperatureReading = 0.0f;
U32 t_n_history::u32TemperatureRange = 10;
BOOLEAN t_n_history::bInitialTemperatureCycle = TRUE;
BOOLEAN t_n_history::s_bSonarDoNotDisplayScale = FALSE;

namespace {

S32 s32UpperRange = 0;
S32 s32LowerRange = 0;

// Readings are kept in the store's unit; the chart's span is in the
// display unit.
UNIT_TYPE eTemperatureUnit(void) { return H_DATABASE_CurrentUnits(D_TEMPERATURE); }

float fDisplay(float fInternal)
{
    return static_cast<float>(dConvertFromInternal(fInternal, D_TEMPERATURE, eTemperatureUnit()));
}

} // namespace

void t_n_history::vResetTemperature(void)
{
    std::fill(std::begin(fTemperatureReading), std::end(fTemperatureReading), NO_TEMPERATURE);
    fMinTemperatureReading = fMaxTemperatureReading = 0.0f;
    bInitialTemperatureCycle = TRUE;
    s32UpperRange = s32LowerRange = 0;
}

void t_n_history::vProcessTemperature(void)
{
    float reading = 0.0f;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchFloat(FCID("ITMP"), &reading, &bValid, nullptr) || !bValid)
        return;
    const UNIT_TYPE unit = eTemperatureUnit();
    u32TemperatureRange = unit == U_FAHRENHEIT ? 20 : 10;
    if (bInitialTemperatureCycle) {
        std::fill(std::begin(fTemperatureReading), std::end(fTemperatureReading), NO_TEMPERATURE);
        // Half the span in the display unit, expressed in the store's unit.
        const float half = static_cast<float>(
            dConvertToInternal(fDisplay(reading) + static_cast<float>(u32TemperatureRange) / 2.0f, D_TEMPERATURE,
                               unit) -
            reading);
        fMinTemperatureReading = reading - half;
        fMaxTemperatureReading = reading + half;
        bInitialTemperatureCycle = FALSE;
        fTemperatureReading[0] = reading;
        return;
    }
    std::memmove(fTemperatureReading + 1, fTemperatureReading, (TEMPERATURE_READINGS - 1) * sizeof(float));
    fTemperatureReading[0] = reading;
    bool bAny = false;
    for (float f : fTemperatureReading) {
        if (f == NO_TEMPERATURE)
            continue;
        if (!bAny || f > fMaxTemperatureReading)
            fMaxTemperatureReading = f;
        if (!bAny || f < fMinTemperatureReading)
            fMinTemperatureReading = f;
        bAny = true;
    }
}

void T_N_HISTORY_vDrawTemperatureChart(BITMAP* pBitmap, POINT* pt, U32 u32TemperatureGraphWidth,
                                       U32 u32TemperatureGraphHeight)
{
    (void)u32TemperatureGraphHeight;
    if (bInitialTemperatureCycle)
        return;
    u32TemperatureRange = eTemperatureUnit() == U_FAHRENHEIT ? 20 : 10;
    const S32 span = static_cast<S32>(u32TemperatureRange);
    const float fMax = fDisplay(fMaxTemperatureReading);
    const float fMin = fDisplay(fMinTemperatureReading);
    const float fCur = fDisplay(fTemperatureReading[0]);
    if (fCur > static_cast<float>(s32UpperRange) || fCur < static_cast<float>(s32LowerRange) ||
        s32UpperRange - s32LowerRange != span) {
        const S32 d = static_cast<S32>(static_cast<U32>(std::max(fMax - fMin, 0.0f)));
        if (d > span) {
            s32UpperRange = static_cast<S32>(fCur + static_cast<float>(span) / 2.0f);
            s32LowerRange = static_cast<S32>(fCur - static_cast<float>(span) / 2.0f);
        } else if (d < span) {
            const S32 pad = 5 * (span - d);
            s32UpperRange = (pad + static_cast<S32>(10.0f * fMax)) / 10;
            s32LowerRange = (static_cast<S32>(10.0f * fMin) - pad) / 10;
            if (s32UpperRange - s32LowerRange != span)
                s32LowerRange = s32UpperRange - span;
        } else {
            s32LowerRange = static_cast<S32>(fMin);
            s32UpperRange = static_cast<S32>(fMax);
        }
    }
    const S32 wide = T_INFO_nBoxWidth_SonarView(pt->y - 15, pt->y);
    const S32 narrow = T_INFO_nBoxWidth_SonarView(pt->y, pt->y);
    const bool bFull = u32TemperatureGraphWidth == 800;
    const S32 x0 = bFull ? 799 : pt->x + static_cast<S32>(u32TemperatureGraphWidth);
    const COLOR back = colTable(COLOR_LABEL_BACK), text = colTable(COLOR_LABEL_TEXT);
    const S32 perDegree = static_cast<S32>(CHART_HEIGHT) / span;
    for (U32 i = bFull ? 0 : 1; i <= u32TemperatureGraphWidth && i < TEMPERATURE_READINGS; ++i) {
        const S32 x = x0 - static_cast<S32>(i);
        if (x < 0)
            break;
        const bool bShown = (wide == 0 && x > 17) || (wide != 0 && (x > 179 || (x <= 161 && narrow != 160)));
        if (!bShown || fTemperatureReading[i] == NO_TEMPERATURE)
            continue;
        const float v = 10.0f * fDisplay(fTemperatureReading[i]);
        if (!(v > 10.0f * static_cast<float>(s32LowerRange) && v < 10.0f * static_cast<float>(s32UpperRange)))
            continue;
        const S32 y = pt->y + 5 + (perDegree * static_cast<S32>(v - 10.0f * static_cast<float>(s32LowerRange))) / 10;
        const POINT a{x, y}, b{x, y - 4}, c{x, y - 5};
        G_BOX_vDrawFilled(pBitmap, back, &a, 1, 1);
        G_BOX_vDrawFilled(pBitmap, text, &b, 1, 4);
        G_BOX_vDrawFilled(pBitmap, back, &c, 1, 1);
    }
    const S32 sx = wide != 0 ? pt->x + 168 : pt->x + 2;
    const U32 ticks[5] = {10, 5, 10, 5, 10};
    for (U32 t = 0; t < 5; ++t) {
        const POINT p{sx, pt->y + static_cast<S32>(10 * t)};
        G_BOX_vDrawFilled(pBitmap, text, &p, ticks[t], 2);
    }
    const FONT_DEF* pFont = std_11x14_font_def_ptr.load();
    const char degree[2] = {static_cast<char>(DEGREE_SIGN), 0};
    const auto label = [&](S32 value, S32 boxY) {
        char number[16];
        std::snprintf(number, sizeof number, "%d", value);
        const U32 wn = u32Width(pFont, number);
        vBlendBox(pBitmap, sx + 12, boxY, wn + u32Width(pFont, degree) + 4, 16);
        vText(pBitmap, sx + 14, boxY + 1, pFont, number, COLOR_LABEL_TEXT);
        vText(pBitmap, sx + 14 + static_cast<S32>(wn) + 2, boxY + 1, pFont, degree, COLOR_LABEL_TEXT);
    };
    label(s32LowerRange, pt->y - 2 - static_cast<S32>(G_FONTS_u32GetCoreHeight(pFont)));
    label(s32UpperRange, pt->y + 42);
}
