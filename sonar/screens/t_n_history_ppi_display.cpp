// The 360 view's draw callback (layers 56-59): the polar image of
// t_n_history_ppi.cpp drawn around the boat with its outline, range rings,
// sweep line, area edges, icons, navigation overlay and info box.
//
// A frame copies the image through a pixel map that holds, for every frame
// pixel, the image entry shown there (sector << 10 | sample) or nothing.
// The map is built from one octant of the annulus, mirrored seven times,
// with a table of cotangents in place of trigonometry per pixel; it is
// rebuilt only when the centre, the radius or the window changes.
//
// Runs in the view task. Mutex 28 guards the geometry against the history
// task's window set-up; mutex 98, always taken after 28, guards the map and
// the image against the ping processing and the rebuild.
#include "sonar/history/t_n_history_cursor.h"
#include "sonar/history/t_n_history_ppi.h"

#include "sonar/history/t_n_history_state.h"
#include "sonar/neighbour_standins.h"
#include "sonar/process/t_n_process.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_circle.h"
#include "graphics/g_icon.h"
#include "graphics/g_line.h"
#include "graphics/g_pixel.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"
#include "store/h_database.h"
#include "store/lang.h"
#include "ui/icon_art.h"
#include "ui/menu_icons.h"
#include "ui/t_info_bar.h"
#include "util/u_convert.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace t_n_history;

namespace {

// ---- Constants ----

constexpr S32 SECTORS = (S32)PPI_SECTORS;
constexpr S32 FRAME_W = (S32)PPI_FRAME_WIDTH;
constexpr S32 FRAME_H = (S32)PPI_FRAME_HEIGHT;
constexpr U32 PPI_WINDOW = 4;
constexpr S32 INFO_BAR_HEIGHT = 105;
constexpr S32 ZOOM_STEP = 72; // pixels of radius per zoom level
constexpr S32 SAMPLE_MARGIN = 11;
constexpr U32 SAMPLE_MASK = (1u << PPI_SAMPLE_BITS) - 1;
constexpr U32 OCTANT_SECTORS = 200;
constexpr U8 SHADE_ALPHA = 86;
constexpr double SECTOR_RADIANS = 0.0039269906;
constexpr double PI = 3.14159265358979323846;
constexpr U32 STATE_SIMULATION = 4;
constexpr U32 STATE_POINT_OF_SALE = 6;

constexpr U32 COLOR_BACK = 32;
constexpr U32 COLOR_HEADING_OFFSET = 33;
constexpr U32 COLOR_LINE = 35;
constexpr U32 COLOR_EDGE = 36;
constexpr U32 COLOR_OFFSET_LINE = 38;
constexpr U32 COLOR_AHEAD = 39;

// ---- Texts ----

#define PPI_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
const TEXT_TABLE txtRange = PPI_TEXT("Range");
const TEXT_TABLE txtRing = PPI_TEXT("Ring");
const TEXT_TABLE txtQuickSweep = PPI_TEXT("Quick Sweep");
const TEXT_TABLE txtSetArea = PPI_TEXT("Set Area");
const TEXT_TABLE txtAdjustSize = PPI_TEXT("Adjust Size");
const TEXT_TABLE txtAdjustPosition = PPI_TEXT("Adjust Position");
const TEXT_TABLE txtSetAngle = PPI_TEXT("Set Angle");
const TEXT_TABLE txtAdjustAngle = PPI_TEXT("Adjust Angle");

const char* pszText(const TEXT_TABLE& t) { return t[nCurrentLanguage()]; }

// ---- Icons ----

constexpr const U8& s_u8Transparent = icon_art::u8Transparent;

constexpr const char* Boat360_rows[26] = {
    ".........0........", "........0C0.......", "........0C0.......", ".......0CCC0......",
    ".......0CCC0......", "......0CCCCC0.....", "......0CCCCC0.....", ".....0CCCCCCC0....",
    ".....0CCCCCCC0....", "....0CCCCCCCCC0...", "....0CCCCCCCCC0...", "....0CCCCCCCCC0...",
    "....0CCCCCCCCC0...", "....0CCCCCCCCC0...", "....0CCCCCCCCC0...", "....0CCCCCCCCC0...",
    "....0CCCCCCCCC0...", "....0CCCCCCCCC0...", "....0CCCCCCCCC0...", "....0CCCCCCCCC0...",
    "....0CCCCCCCCC0...", "....0CCCCCCCCC0...", "....0CCCCCCCCC0...", "....0CCCCCCCCC0...",
    "....00000000000...", "..................",
};
static_assert(icon_art::rowsFit<18>(Boat360_rows));
constexpr auto Boat360_data = icon_art::pack<18>(Boat360_rows);
const ICON Boat360_icon = {Boat360_data.data(), &s_u8Transparent, 18, 26, ICON_TRANSPARENT_COLOR};

constexpr const char* TransducerOffset_rows[10] = {
    "...0000...", "..0CCCC0..", ".0CCCCCC0.", "0CCCCCCCC0", "0CCCCCCCC0",
    "0CCCCCCCC0", "0CCCCCCCC0", ".0CCCCCC0.", "..0CCCC0..", "...0000...",
};
static_assert(icon_art::rowsFit<10>(TransducerOffset_rows));
constexpr auto TransducerOffset_data = icon_art::pack<10>(TransducerOffset_rows);
const ICON TransducerOffset_icon = {TransducerOffset_data.data(), &s_u8Transparent, 10, 10, ICON_TRANSPARENT_COLOR};

constexpr const char* ArrowUp_rows[14] = {
    "...00...", "..0CC0..", ".0CCCC0.", "0CCCCCC0", "000CC000", "..0CC0..", "..0CC0..",
    "..0CC0..", "..0CC0..", "..0CC0..", "..0CC0..", "..0CC0..", "..0000..", "........",
};
static_assert(icon_art::rowsFit<8>(ArrowUp_rows));
constexpr auto ArrowUp_data = icon_art::pack<8>(ArrowUp_rows);
const ICON ArrowUp_icon = {ArrowUp_data.data(), &s_u8Transparent, 8, 14, ICON_TRANSPARENT_COLOR};

constexpr const char* ArrowDown_rows[14] = {
    "........", "..0000..", "..0CC0..", "..0CC0..", "..0CC0..", "..0CC0..", "..0CC0..",
    "..0CC0..", "..0CC0..", "000CC000", "0CCCCCC0", ".0CCCC0.", "..0CC0..", "...00...",
};
static_assert(icon_art::rowsFit<8>(ArrowDown_rows));
constexpr auto ArrowDown_data = icon_art::pack<8>(ArrowDown_rows);
const ICON ArrowDown_icon = {ArrowDown_data.data(), &s_u8Transparent, 8, 14, ICON_TRANSPARENT_COLOR};

// ---- State of the view task ----

U32 s_au32Map[PPI_FRAME_HEIGHT][PPI_FRAME_WIDTH]; // [y][x], y up from the bottom row
U32 s_u32MapWrites = 0;
// Per frame row, the columns from the first to the last entry of the map
// (first > last: none), so that a frame copies only across the circle.
S32 s_as32SpanFirst[PPI_FRAME_HEIGHT];
S32 s_as32SpanLast[PPI_FRAME_HEIGHT];
S32 s_s32SavedCenterX = 0;
S32 s_s32SavedCenterY = 0;
U32 s_u32SavedWidth = 0;
WINDOW_LOCATION s_sSavedClip = {-1, -1, -1, -1};
U32 s_u32SavedMaxSamples = 0;
bool s_bMapValid = false;
POINT s_ptCenterNoOffset = {0, 0};
U32 LastIsolateZoom = 0;

MSS_NAV_VIEW s_MSS_NVI;
float s_fPixelsPerMM = 0.0f;
float AverageHeading = 0.0f;
U8 CurrentHeadingCount = 0;
BOOLEAN AverageFull = FALSE;
float s_fHeadingCompass = 0.0f;
MSS_NAV_OVERLAY* s_pfnOverlay = nullptr; // none until the composition root installs one

// entry i = 65536 x cot(i x 0.225 degrees), entry 0 the largest value
struct TANGENTS {
    S32 v[OCTANT_SECTORS];
    TANGENTS()
    {
        v[0] = 0x7FFFFFFF;
        for (U32 i = 1; i < OCTANT_SECTORS; ++i)
            v[i] = (S32)std::lround(65536.0 / std::tan((double)i * 0.225 * PI / 180.0));
    }
};
const TANGENTS fpTangentTable1600;

// ---- Helpers ----

COLOR colTable(U32 u32Entry) { return gCOLOR_pcolColorTable[u32Entry]; }

S32 s32Wrap(S64 s64Value)
{
    const S64 r = s64Value % SECTORS;
    return (S32)(r < 0 ? r + SECTORS : r);
}

U32 u32FetchU32(FOURCHARID fcid)
{
    U32 u32 = 0;
    H_DATABASE_bFetchU32(fcid, &u32, nullptr, nullptr);
    return u32;
}

bool bFetchOn(FOURCHARID fcid)
{
    BOOLEAN b = FALSE;
    return H_DATABASE_bFetchBoolean(fcid, &b, nullptr, nullptr) && b;
}

bool bFetchValidFloat(FOURCHARID fcid, float* pf)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchFloat(fcid, pf, &bValid, nullptr) && bValid;
}

void vLine(BITMAP* pBmp, COLOR c, S32 x0, S32 y0, S32 x1, S32 y1)
{
    POINT a{x0, y0}, b{x1, y1};
    G_LINE_vDraw(pBmp, c, &a, &b);
}

void vText(BITMAP* pBmp, S32 x, S32 y, const FONT_DEF* pFont, const char* psz, COLOR c)
{
    POINT pt{x, y};
    G_STRING_vPut(pBmp, c, &pt, pFont, reinterpret_cast<const BYTE*>(psz));
}

S32 s32TextWidth(const FONT_DEF* pFont, const char* psz)
{
    return (S32)G_STRING_u32GetWidth(pFont, reinterpret_cast<const BYTE*>(psz));
}

void vIcon(BITMAP* pBmp, const ICON* pIcon, S32 x, S32 y)
{
    const POINT pt{x, y};
    G_ICON_vPut(pBmp, pIcon, &pt);
}

// A box with a two-pixel outline in colour 35 around a filled background.
void vInfoBox(BITMAP* pBmp, S32 x, S32 y, S32 w, S32 h, COLOR fill)
{
    const POINT pt{x, y};
    G_BOX_vDrawFilled(pBmp, fill, &pt, (U32)w, (U32)h);
    const POINT inner{x + 1, y + 1};
    G_BOX_vDraw(pBmp, colTable(COLOR_LINE), &pt, (U32)w, (U32)h);
    if (w > 2 && h > 2)
        G_BOX_vDraw(pBmp, colTable(COLOR_LINE), &inner, (U32)(w - 2), (U32)(h - 2));
}

// Whether the sector lies strictly inside the area (start - range, start),
// wrapping across sector 0 when range exceeds start.
bool bStrictlyInside(S32 s, S32 S, S32 R)
{
    if (S >= R)
        return s > S - R && s < S;
    return s < S || s > S + SECTORS - R;
}

// ---- The isolated-area fit ----

// Extent of the area (up, right, down, left) from the centre at an outer
// radius r; the centre always counts as inside.
void vAreaExtents(S32 S, S32 R, double r, double ext[4])
{
    S = s32Wrap(S);
    const S32 Ee = s32Wrap((S64)S + SECTORS - R); // the counter-clockwise edge
    const int qs = S / 400;
    const int qe = Ee / 400;
    bool axisIn[4] = {false, false, false, false};
    if (qs > qe) {
        for (int k = qe + 1; k <= qs; ++k)
            axisIn[k] = true;
    } else if (qs < qe) {
        for (int k = qe + 1; k <= qs + 4; ++k)
            axisIn[k % 4] = true;
    } else if (S < R) {
        axisIn[0] = axisIn[1] = axisIn[2] = axisIn[3] = true;
    }
    bool touched[4];
    bool bAny = false;
    for (int k = 0; k < 4; ++k) {
        touched[k] = axisIn[k] || axisIn[(k + 1) % 4];
        bAny = bAny || axisIn[k];
    }
    // Up and down take the cosine of an edge, right and left its sine.
    auto part = [](int dir, S32 edge) {
        const double a = (double)edge * SECTOR_RADIANS;
        return dir % 2 == 0 ? std::fabs(std::cos(a)) : std::fabs(std::sin(a));
    };
    for (int k = 0; k < 4; ++k)
        ext[k] = 0.0;
    if (!bAny) {
        const int q = qs;
        for (int dir : {q, (q + 1) % 4}) {
            const S32 axis = dir * 400;
            auto dist = [axis](S32 e) {
                const S32 d = std::abs(e - axis);
                return std::min(d, SECTORS - d);
            };
            const S32 nearer = dist(S) <= dist(Ee) ? S : Ee;
            ext[dir] = r * part(dir, nearer);
        }
        return;
    }
    for (int dir = 0; dir < 4; ++dir) {
        if (axisIn[dir]) {
            ext[dir] = r;
            continue;
        }
        S32 edge = -1;
        for (int q : {(dir + 3) % 4, dir}) {
            if (!touched[q])
                continue;
            if (Ee / 400 == q)
                edge = Ee;
            else if (S / 400 == q)
                edge = S;
            if (edge >= 0)
                break;
        }
        if (edge >= 0)
            ext[dir] = r * part(dir, edge);
    }
}

void vIsolateFit(S32 H, S32 W0, U32 Z)
{
    PPI_DISPLAY_DESCRIPTOR& d = s_PPIDisplayDescriptor;
    const S32 S = s_MSSObject.s32SweepStart;
    const S32 R = s_MSSObject.s32SweepRange;
    const float base = (float)(std::min(H, W0) / 2 - SAMPLE_MARGIN);
    double z = 0.0;
    bool bExtra = false;
    U32 count = s_u8IsolateSweepSetuped.load();
    U32 width = (U32)std::max(0.0, base + ((double)Z + z) * 72.0);
    double prevOff[2] = {0.0, 0.0};
    bool bHavePrev = false;
    U32 takenWidth = width;
    double takenOff[2] = {0.0, 0.0};
    // The widths only grow in the extra pass and z reaches 8 in steps of
    // 0.2 otherwise; the bound only guards against a picture that never
    // outgrows the window.
    for (int trial = 0; trial < 200; ++trial) {
        if (!bExtra)
            width = (U32)std::max(0.0, base + ((double)Z + z) * 72.0);
        const double r = (double)width + d.u32CenterRadius;
        double ext[4];
        vAreaExtents(S, R, r, ext);
        const double off[2] = {(ext[3] - ext[1]) / 2.0, (ext[2] - ext[0]) / 2.0};
        const bool bFits = ext[0] + ext[2] <= H && ext[1] + ext[3] <= W0;
        const double* pPrev = bHavePrev ? prevOff : off;
        takenWidth = width;
        if (bFits) {
            takenOff[0] = off[0];
            takenOff[1] = off[1];
            if (!bExtra)
                z += 0.2;
            else
                width += LastIsolateZoom * ZOOM_STEP;
            if (!bExtra && (double)Z + z >= 8.0)
                break;
        } else {
            takenOff[0] = pPrev[0];
            takenOff[1] = pPrev[1];
            if (bExtra)
                break;
            ++count;
            z -= 0.2;
            width = (U32)std::max(0.0, base + ((double)Z + z) * 72.0);
            takenWidth = width;
            if (LastIsolateZoom == 0)
                break;
            bExtra = true;
            width += LastIsolateZoom * ZOOM_STEP;
        }
        prevOff[0] = off[0];
        prevOff[1] = off[1];
        bHavePrev = true;
    }
    d.u32Width = (U16)std::min<U32>(takenWidth, 0xFFFF);
    d.s32CursorOffset = {(S32)takenOff[0], (S32)takenOff[1]};
    s_u8IsolateSweepSetuped = (U8)std::min<U32>(count, 255);
    d.s32IsolateCursorOffset = d.s32CursorOffset;
    d.IsolateCenterX = d.CenterX;
    d.IsolateCenterY = d.CenterY;
}

// ---- Geometry ----

S32 s32ZoomWidth(U32 Z, S32 s32Half) { return std::max<S32>(1, (S32)Z * ZOOM_STEP - SAMPLE_MARGIN + s32Half); }

// Centre, radius and offsets for this frame (caller holds mutex 28).
void vGeometry(const WINDOW_SPECIFICATION* ws)
{
    PPI_DISPLAY_DESCRIPTOR& d = s_PPIDisplayDescriptor;
    const WINDOW_LOCATION& c = ws->drawWindow;
    const LAYER_ID layer = ws->currentLayer;
    const S32 left0 = std::max<S32>(c.s32ClipLeft, 0);
    S32 H = c.s32ClipTop - c.s32ClipBottom + 1;
    S32 W0 = c.s32ClipRight - left0;
    const S32 Y0 = (S32)T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_FULL_WINDOW);
    const U32 Z = u32FetchU32(FCID("PPIZ"));
    const SWEEPING_SETTING_STATUS setting = s_MSSObject.SweepingSetting;
    const bool bIsolate = setting >= ISOLATE_SWEEP_ON;

    if (!bIsolate) {
        s_u8IsolateSweepSetuped = 0;
    } else {
        if (s_MSSObject.s32SweepStart < 0 || s_MSSObject.s32SweepRange <= 0)
            return;
        if (Z != LastIsolateZoom) {
            LastIsolateZoom = Z;
            s_u8IsolateSweepSetuped = 0;
        } else if (s_u8IsolateSweepSetuped.load() >= 3) {
            return;
        }
    }

    const bool bFull = layer == VIEW_PPI_DISPLAY;
    if (bFull) {
        H -= INFO_BAR_HEIGHT;
    } else {
        H -= Y0;
        W0 = c.s32ClipRight - c.s32ClipLeft;
    }
    const U32 u32ViewOffset = s_u32PPIViewOffset.load();
    const bool bWide = bFull && u32ViewOffset >= 2 && u32ViewOffset <= 5;

    if ((S32)Z != d.u8ZoomLevel) {
        const U32 u32Old = d.u32Width + d.u32CenterRadius;
        const U32 u32New = (U32)s32ZoomWidth(Z, bWide ? W0 / 2 : H / 2) + d.u32CenterRadius;
        d.u8ZoomLevel = (S32)Z;
        d.s32CursorOffset = ptScaleCursorOffset(d.s32CursorOffset, u32Old, u32New);
    }

    const POINT off = d.s32CursorOffset;
    S32 width;
    if (bFull) {
        d.CenterX = left0 + off.x + W0 / 2;
        d.CenterY = Y0 + off.y + H / 2;
        s_ptCenterNoOffset = {d.CenterX, d.CenterY};
        switch (u32ViewOffset) {
        case 2:
            width = s32ZoomWidth(Z, W0 / 2);
            d.CenterY = Y0 + H - 22 - width + off.y;
            break;
        case 3:
            width = s32ZoomWidth(Z, W0 / 2);
            d.CenterY = Y0 + 22 + width + off.y;
            break;
        case 4:
            width = (S32)(unsigned)((double)(W0 / 2 + W0 / 12 - SAMPLE_MARGIN) + ((double)Z + 1.85) * 72.0);
            d.CenterX = W0 / 12 + off.x + 2 * (W0 / 3);
            break;
        case 5:
            width = (S32)(unsigned)((double)(W0 / 2 + W0 / 12 - SAMPLE_MARGIN) + ((double)Z + 1.85) * 72.0);
            d.CenterX = off.x + W0 / 4;
            break;
        default:
            width = s32ZoomWidth(Z, H / 2);
            break;
        }
    } else {
        // The half-screen view (59) is placed as a pane of its own.
        width = s32ZoomWidth(Z, H / 2);
        d.CenterX = c.s32ClipLeft + off.x + W0 / 2;
        d.CenterY = Y0 + off.y + H / 2;
    }
    d.u32Width = (U16)std::clamp<S32>(width, 1, 0xFFFF);
    d.pIcon = &Boat360_icon;
    d.bRotated90 = FALSE;

    if (bIsolate)
        vIsolateFit(H, W0, Z);
}

// When the row length follows the radius, the image is rebuilt at it.
void vFollowRadius(void)
{
    PPI_DISPLAY_DESCRIPTOR& d = s_PPIDisplayDescriptor;
    const U32 u32Max = std::min<U32>(d.u32Width + SAMPLE_MARGIN, PPI_MAX_SAMPLES);
    if (d.u32MaxSamples == u32Max)
        return;
    L_MUTEX_LockWait(RES_MSS);
    d.u32MaxSamples = (U16)u32Max;
    L_MUTEX_Unlock(RES_MSS);
    T_N_HISTORY_vRecalculateMSSData();
}

// ---- Pieces of the frame ----

void vCircle(BITMAP* pBmp, COLOR c, U32 u32Diameter)
{
    POINT centre{s_PPIDisplayDescriptor.CenterX, s_PPIDisplayDescriptor.CenterY};
    G_CIRCLE_vDrawWithNoBound(pBmp, c, &centre, u32Diameter);
}

void vRingsAndTicks(BITMAP* pBmp)
{
    const PPI_DISPLAY_DESCRIPTOR& d = s_PPIDisplayDescriptor;
    const U32 u32Base = 2u * d.u32CenterRadius + 1;
    const COLOR c = colTable(COLOR_LINE);
    vCircle(pBmp, c, u32Base + d.u32Width * 3u / 2u);
    vCircle(pBmp, c, u32Base + d.u32Width);
    vCircle(pBmp, c, u32Base + d.u32Width / 2u);
    const double outer = (double)d.u32CenterRadius + d.u32Width;
    for (int k = 0; k < 36; ++k) {
        const double a = (double)k * 10.0 * PI / 180.0;
        const double s = std::sin(a), co = std::cos(a);
        vLine(pBmp, c, d.CenterX + (S32)(s * outer), d.CenterY + (S32)(co * outer),
              d.CenterX + (S32)(s * (outer - 15.0)), d.CenterY + (S32)(co * (outer - 15.0)));
    }
}

// An edge of an isolated area, three pixels thick.
void vAreaEdge(BITMAP* pBmp, S32 s32Sector)
{
    const PPI_DISPLAY_DESCRIPTOR& d = s_PPIDisplayDescriptor;
    const double a = (double)s32Sector * SECTOR_RADIANS;
    const double r = (double)d.u32CenterRadius + d.u32Width;
    const S32 x = d.CenterX + (S32)(std::sin(a) * r);
    const S32 y = d.CenterY + (S32)(std::cos(a) * r);
    const COLOR c = colTable(COLOR_EDGE);
    vLine(pBmp, c, d.CenterX, d.CenterY, x, y);
    vLine(pBmp, c, d.CenterX, d.CenterY + 1, x, y - 1);
    vLine(pBmp, c, d.CenterX, d.CenterY - 1, x, y + 1);
}

S32 s32FixedSin(S32 s32Degrees) { return (S32)std::lround(std::sin(s32Degrees * PI / 180.0) * 65536.0); }
S32 s32FixedCos(S32 s32Degrees) { return (S32)std::lround(std::cos(s32Degrees * PI / 180.0) * 65536.0); }

void vHeadingOffsetLines(BITMAP* pBmp)
{
    const PPI_DISPLAY_DESCRIPTOR& d = s_PPIDisplayDescriptor;
    vLine(pBmp, colTable(COLOR_AHEAD), d.CenterX, d.CenterY, d.CenterX, d.CenterY + 600);
    const double dx = FRAME_W - d.CenterX, dy = FRAME_H - d.CenterY;
    const S64 L = (S64)std::sqrt(dx * dx + dy * dy);
    const S32 deg = s_s32HeadingOffsetDegrees.load();
    const S32 ex = d.CenterX + (S32)((s32FixedSin(deg) * L + 32768) >> 16);
    const S32 ey = d.CenterY + (S32)((s32FixedCos(deg) * L + 32768) >> 16);
    vLine(pBmp, colTable(COLOR_HEADING_OFFSET), d.CenterX, d.CenterY, ex, ey);
}

// A window's range, which the history and processing tasks set under
// mutex 28 (nestable, so also while the frame holds it).
float fLowerRange(U32 u32Window)
{
    L_MUTEX_LockWait(RES_S_INFO);
    const float f = SonarViewInfo.Window[u32Window].fLowerDisplayedMetres;
    L_MUTEX_Unlock(RES_S_INFO);
    return f;
}

void vBoatAndOffset(BITMAP* pBmp)
{
    const PPI_DISPLAY_DESCRIPTOR& d = s_PPIDisplayDescriptor;
    const ICON* pBoat = d.pIcon != nullptr ? d.pIcon : &Boat360_icon;
    const S32 bw = (S32)G_ICON_u32GetWidth(pBoat), bh = (S32)G_ICON_u32GetHeight(pBoat);
    vIcon(pBmp, pBoat, d.CenterX - bw / 2, d.CenterY - bh / 2);

    S32 s32OffsetFeet = 0;
    H_DATABASE_bFetchS32(FCID("YMSO"), &s32OffsetFeet, nullptr, nullptr);
    const bool bBow = s_bPodIsBowMounted.load() == 1;
    if (bBow)
        s32OffsetFeet = -s32OffsetFeet;
    const float fRangeMetres = fLowerRange(PPI_WINDOW);
    const double dRangeFeet = dGenericConvert(fRangeMetres, U_METRES, U_FEET);
    const S32 off = dRangeFeet > 0.0 ? (S32)lrintf((float)(s32OffsetFeet / dRangeFeet * d.u32Width)) : 0;
    const ICON* pOff = &TransducerOffset_icon;
    const S32 ow = (S32)G_ICON_u32GetWidth(pOff), oh = (S32)G_ICON_u32GetHeight(pOff);
    const S32 ox = d.CenterX - ow / 2;
    const S32 oy = bBow ? d.CenterY - oh / 2 - off : d.CenterY + 1 + off - oh / 2;
    vIcon(pBmp, pOff, ox, oy);
    const COLOR c = colTable(COLOR_OFFSET_LINE);
    if (!bBow && oy > d.CenterY + bh / 2) {
        for (S32 x : {d.CenterX, d.CenterX - 1})
            vLine(pBmp, c, x, d.CenterY + bh / 2, x, oy);
    } else if (bBow && oy + oh < d.CenterY - bh / 2) {
        for (S32 x : {d.CenterX, d.CenterX - 1})
            vLine(pBmp, c, x, d.CenterY - bh / 2, x, oy + oh);
    } else {
        vIcon(pBmp, pBoat, d.CenterX - bw / 2, d.CenterY - bh / 2);
    }
}

// ---- The navigation overlay ----

// The running average of the compass heading; a turn of 3 degrees or more
// starts it again.
float fAverageHeading(float fHeading)
{
    if (std::fabs(fHeading - AverageHeading) >= 3.0f || CurrentHeadingCount == 0) {
        AverageHeading = fHeading;
        CurrentHeadingCount = 1;
        AverageFull = FALSE;
    } else if (CurrentHeadingCount < 40) {
        AverageHeading = (fHeading + CurrentHeadingCount * AverageHeading) / (float)(CurrentHeadingCount + 1);
        ++CurrentHeadingCount;
    } else {
        AverageHeading = (fHeading + 40.0f * AverageHeading) / 41.0f;
        AverageFull = TRUE;
    }
    return AverageHeading;
}

void vNavigationOverlay(BITMAP* pBmp, const WINDOW_SPECIFICATION* ws, bool bFrozenValid)
{
    const PPI_DISPLAY_DESCRIPTOR& d = s_PPIDisplayDescriptor;
    const WINDOW_LOCATION& c = ws->drawWindow;
    float fLat = 0.0f, fLon = 0.0f;
    if (!bFetchValidFloat(FCID("ILTD"), &fLat) || !bFetchValidFloat(FCID("ILND"), &fLon))
        fLat = fLon = 0.0f;
    if (bFrozenValid) {
        fLat = s_fLockedLat;
        fLon = s_fLockedLon;
    }
    const double dRangeMetres = fLowerRange(PPI_WINDOW);
    const POSITION here{fLat, fLon};
    const POSITION ahead{fLat + dRangeMetres * 0.00053997 / 60.0, fLon};
    POINT a{0, 0}, b{0, 0};
    nv_DegrToMeter(&here, &a);
    nv_DegrToMeter(&ahead, &b);
    const S32 dy = b.y - a.y;
    s_fPixelsPerMM = dy == 0 ? 0.0f : std::fabs((float)(d.u32CenterRadius + d.u32Width) / (float)dy);
    s_fPPIPixelsPerMM = s_fPixelsPerMM;

    const S32 W = c.s32ClipRight - c.s32ClipLeft + 1;
    const S32 H = c.s32ClipTop - c.s32ClipBottom + 1;
    const S32 Y0 = (S32)T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_FULL_WINDOW);
    const POINT off = s_MSSObject.SweepingSetting >= ISOLATE_SWEEP_ON ? d.s32IsolateCursorOffset : d.s32CursorOffset;
    MSS_NAV_VIEW& v = s_MSS_NVI;
    v.pBitmap = pBmp;
    v.nWindowWidth = W;
    v.nWindowHeight = H;
    v.CenterOffset = {c.s32ClipLeft + W / 2 + off.x, c.s32ClipBottom + H / 2 + off.y + Y0 / 2};
    if (s_u32PPIViewOffset.load() != 1) {
        v.CenterOffset.x += d.CenterX - s_ptCenterNoOffset.x;
        v.CenterOffset.y += d.CenterY - s_ptCenterNoOffset.y;
    }
    v.fPixelsPerMM = s_fPixelsPerMM;
    v.nPixelsPerMMM = (S32)(s_fPixelsPerMM * 1048576.0f);

    float fY = 0.0f, fX = 0.0f;
    const bool bPosition = bFetchValidFloat(FCID("ILAT"), &fY) && bFetchValidFloat(FCID("ILON"), &fX);
    if (!bPosition || bFrozenValid) {
        if (!bFrozenValid) {
            v.ptCenterMM = {0, 0};
            v.fHeading = 0.0f;
            s_bCompassReady = 0;
            return;
        }
        v.ptCenterMM = s_ptLockedPosition;
        v.fHeading = s_fLockedHeading;
    } else {
        const U32 u32State = u32FetchU32(FCID("CCST"));
        const bool bGpsHeading = u32State == STATE_SIMULATION || u32State == STATE_POINT_OF_SALE;
        float fHeading = 0.0f;
        if (!bFetchValidFloat(bGpsHeading ? FCID("IHDG") : FCID("IHDC"), &fHeading))
            return;
        v.ptCenterMM = {(S32)fX, (S32)fY};
        s_fHeadingCompass = fAverageHeading(fHeading);
        v.fHeading = s_fHeadingCompass;
        s_bCompassReady = 1;
    }
    const BOOLEAN bActive =
        ws->currentLayer == VIEW_PPI_PLUS_CHART ? (ws->activeWindow == SPLIT_RIGHT_WINDOW ? TRUE : FALSE) : TRUE;
    if (s_pfnOverlay != nullptr)
        s_pfnOverlay(&v, bActive, 0);
}

// ---- Pixel map ----

struct CLIP {
    S32 left, bottom, right, top;
};

CLIP clipOf(const BITMAP* p)
{
    return {std::max<S32>(p->s32ClipLeft, 0), std::max<S32>(p->s32ClipBottom, 0),
            std::min<S32>(p->s32ClipRight, FRAME_W - 1), std::min<S32>(p->s32ClipTop, FRAME_H - 1)};
}

U32 u32OctantSector(S32 major, S32 minor)
{
    if (minor == 0)
        return 0;
    const S64 v = ((S64)major << 16) / minor;
    // The table falls with the index: find the last entry not below v.
    U32 lo = 0, hi = OCTANT_SECTORS - 1;
    while (lo < hi) {
        const U32 mid = (lo + hi + 1) / 2;
        if ((S64)fpTangentTable1600.v[mid] >= v)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

} // namespace

// ---- Module calls ----

POINT t_n_history::ptScaleCursorOffset(POINT ptOffset, U32 u32OldOuterRadius, U32 u32NewOuterRadius)
{
    if (u32OldOuterRadius == 0)
        return ptOffset;
    return {(S32)((S64)ptOffset.x * u32NewOuterRadius / u32OldOuterRadius),
            (S32)((S64)ptOffset.y * u32NewOuterRadius / u32OldOuterRadius)};
}

void t_n_history::vResetPixelMap(void)
{
    for (auto& row : s_au32Map)
        std::fill(std::begin(row), std::end(row), PPI_NO_PIXEL);
    std::fill(std::begin(s_as32SpanFirst), std::end(s_as32SpanFirst), FRAME_W);
    std::fill(std::begin(s_as32SpanLast), std::end(s_as32SpanLast), -1);
    s_bMapValid = false;
    s_u32MapWrites = 0;
}

U32 t_n_history::u32PixelMapEntry(S32 x, S32 y)
{
    if (x < 0 || y < 0 || x >= FRAME_W || y >= FRAME_H)
        return PPI_NO_PIXEL;
    return s_au32Map[y][x];
}

U32 t_n_history::u32PixelMapWrites(void) { return s_u32MapWrites; }

void t_n_history::vRebuildPixelMap(const BITMAP* pBitmap)
{
    const CLIP clip = clipOf(pBitmap);
    for (S32 y = clip.bottom; y <= clip.top; ++y)
        std::fill(&s_au32Map[y][0] + std::max(clip.left, 0), &s_au32Map[y][0] + clip.right + 1, PPI_NO_PIXEL);
    std::fill(std::begin(s_as32SpanFirst), std::end(s_as32SpanFirst), FRAME_W);
    std::fill(std::begin(s_as32SpanLast), std::end(s_as32SpanLast), -1);
    s_u32MapWrites = 0;
    const PPI_DISPLAY_DESCRIPTOR& d = s_PPIDisplayDescriptor;
    const S32 cx = d.CenterX, cy = d.CenterY;
    const S64 inner = d.u32CenterRadius;
    const S64 outer = inner + d.u32Width;
    const S64 in2 = inner * inner, out2 = outer * outer;
    const U32 u32LastSample = std::min<U32>(d.u32MaxSamples, PPI_MAX_SAMPLES - 1);
    auto put = [&](S32 dx, S32 dy, U32 sector, U32 sample) {
        const S32 x = cx + dx, y = cy + dy;
        if (x < clip.left || x > clip.right || y < clip.bottom || y > clip.top)
            return;
        s_au32Map[y][x] = sector << PPI_SAMPLE_BITS | sample;
        s_as32SpanFirst[y] = std::min(s_as32SpanFirst[y], x);
        s_as32SpanLast[y] = std::max(s_as32SpanLast[y], x);
        ++s_u32MapWrites;
    };
    for (S32 dy = 0; dy <= outer; ++dy) {
        for (S32 dx = 0; dx <= dy; ++dx) {
            const S64 d2 = (S64)dx * dx + (S64)dy * dy;
            if (d2 > out2)
                break;
            if (d2 < in2)
                continue;
            const U32 sample = std::min<U32>((U32)std::sqrt((double)d2), u32LastSample);
            const U32 s = u32OctantSector(dy, dx);
            // Each pixel once: on an axis (dx 0) and on a diagonal (dx = dy)
            // two octants meet, and only one of them writes it.
            put(dx, dy, s, sample);
            put(dx, -dy, 799 - s, sample);
            if (dx == 0) {
                put(dy, 0, 399 - s, sample);
                put(-dy, 0, 1199 - s, sample);
                continue;
            }
            put(-dx, -dy, 799 + s, sample);
            put(-dx, dy, 1599 - s, sample);
            if (dx == dy)
                continue;
            put(dy, dx, 399 - s, sample);
            put(dy, -dx, 399 + s, sample);
            put(-dy, -dx, 1199 - s, sample);
            put(-dy, dx, 1199 + s, sample);
        }
    }
    s_bMapValid = true;
}

void t_n_history::vComputeDisplayClasses(void)
{
    const MSS_STATUS_DESCRIPTOR& m = s_MSSObject;
    const S32 S = m.s32SweepStart;
    const S32 R = m.s32SweepRange;
    U8* cls = s_u8PPIAlphaBlending;
    switch (m.SweepingSetting) {
    case QUICK_SWEEP_SETTING:
    case QUICK_SWEEP_ON: {
        const U8 other = m.SweepingSetting == QUICK_SWEEP_SETTING ? 1 : 2;
        const S32 s = S % (SECTORS / 2);
        for (S32 k = 0; k < SECTORS; ++k) {
            bool bIn;
            if (s >= R)
                bIn = (k > s - R && k < s) || (k > s - R + 800 && k < s + 800);
            else
                bIn = k < s || k > s - R + SECTORS || (k >= s - R + 801 && k <= s + 799);
            cls[k] = bIn ? 0 : other;
        }
        break;
    }
    case ISOLATE_SWEEP_SETTING:
    case ISOLATE_SWEEP_ON: {
        const U8 other = m.SweepingSetting == ISOLATE_SWEEP_SETTING ? 1 : 2;
        for (S32 k = 0; k < SECTORS; ++k)
            cls[k] = bStrictlyInside(k, S, R) ? 0 : other;
        break;
    }
    case QUICK_SWEEP_IN_ISOLATE_SETTING:
    case QUICK_SWEEP_IN_ISOLATE_ON: {
        const S32 IS = m.s32SweepStartSaved, IR = m.s32SweepRangeSaved;
        const S32 DS = m.s32SweepDisplayStart, DR = m.s32SweepDisplayRange;
        const bool bWraps = IS < IR;
        for (S32 k = 0; k < SECTORS; ++k) {
            if (!bStrictlyInside(k, IS, IR)) {
                cls[k] = 2;
                continue;
            }
            bool bShown;
            if (bWraps && DS < DR)
                bShown = k <= DS || k >= DS + SECTORS - DR;
            else
                bShown = k >= DS - DR && k <= DS;
            cls[k] = bShown ? 0 : 1;
        }
        break;
    }
    default:
        memset(cls, 0, PPI_SECTORS);
        break;
    }
}

void t_n_history::vDrawPPIPixels(const BITMAP* pDest, const WINDOW_SPECIFICATION* psWindowSpec, BOOLEAN bBackground)
{
    const WINDOW_LOCATION& w = psWindowSpec->drawWindow;
    const S32 left = std::max<S32>(w.s32ClipLeft, 0);
    const S32 right = std::min<S32>({w.s32ClipRight, FRAME_W - 1, (S32)pDest->pixels_wide_full_screen - 1});
    const S32 bottom = std::max<S32>(w.s32ClipBottom, 0);
    const S32 top = std::min<S32>({w.s32ClipTop, FRAME_H - 1, (S32)pDest->pixels_high_full_screen - 1});
    const bool bAreaMode = s_MSSObject.SweepingSetting > ISOLATE_SWEEP_SETTING;
    bool bAllNormal = true;
    for (U32 k = 0; k < PPI_SECTORS && bAllNormal; ++k)
        bAllNormal = s_u8PPIAlphaBlending[k] == 0;
    // Over a full circle of normal sectors the second pass has nothing to
    // paint.
    if (bBackground && bAllNormal && !bAreaMode)
        return;
    const COLOR colBack = colTable(COLOR_BACK);
    const COLOR colBlank = bAreaMode ? colBack : SweepscanGrayScaleTable.acColor[0];
    const G_PIXEL_BLEND shade = G_PIXEL_blendPrepare(colTable(COLOR_LINE), SHADE_ALPHA);
    const COLOR* const pImage = &s_aPPIColorData[0][0];
    for (S32 y = bottom; y <= top; ++y) {
        COLOR* pRow = G_PIXEL_pcolLogical(pDest, 0, y);
        const U32* pMap = s_au32Map[y];
        S32 first = std::max(left, s_as32SpanFirst[y]);
        S32 last = std::min(right, s_as32SpanLast[y]);
        if (bAreaMode) {
            // Outside the circle the window is the background.
            if (first > last) {
                G_PIXEL_vFillRun(pRow + left, (size_t)(right - left + 1), colBack);
                continue;
            }
            if (first > left)
                G_PIXEL_vFillRun(pRow + left, (size_t)(first - left), colBack);
            if (last < right)
                G_PIXEL_vFillRun(pRow + last + 1, (size_t)(right - last), colBack);
        }
        if (bAllNormal && !bBackground) {
            for (S32 x = first; x <= last; ++x) {
                const U32 e = pMap[x];
                if (e != PPI_NO_PIXEL)
                    pRow[x] = pImage[(e >> PPI_SAMPLE_BITS) * PPI_MAX_SAMPLES + (e & SAMPLE_MASK)];
            }
            continue;
        }
        for (S32 x = first; x <= last; ++x) {
            const U32 e = pMap[x];
            if (e == PPI_NO_PIXEL) {
                if (bAreaMode)
                    pRow[x] = colBack;
                continue;
            }
            const U32 sector = e >> PPI_SAMPLE_BITS;
            switch (s_u8PPIAlphaBlending[sector]) {
            case 0:
                if (!bBackground)
                    pRow[x] = pImage[sector * PPI_MAX_SAMPLES + (e & SAMPLE_MASK)];
                break;
            case 1:
                pRow[x] = G_PIXEL_colorBlendPrepared(shade, pImage[sector * PPI_MAX_SAMPLES + (e & SAMPLE_MASK)]);
                break;
            default:
                pRow[x] = colBlank;
                break;
            }
        }
    }
}

void T_N_HISTORY_vInstallSweepOverlay(MSS_NAV_OVERLAY* pfnOverlay)
{
    s_pfnOverlay = pfnOverlay;
}

void T_N_HISTORY_vUpdateFVKVMSSiconDataboxOffset(U32) {}

// ---- The sweep line ----

void T_N_HISTORY_vDrawPPISweepLine(BITMAP* pBitmap, S32 SweepPosition, COLOR LineColor)
{
    if (pBitmap == nullptr || s_bMSSDataLocked.load())
        return;
    if (LineColor == colTable(COLOR_LINE)) {
        if (s_bMSSSweepLineHide.load())
            return;
        if (!bIsSectorInSweepArea(SweepPosition, s_bClockwise.load(), s_u32PPISectorStepFactor))
            return;
    }
    const PPI_DISPLAY_DESCRIPTOR& d = s_PPIDisplayDescriptor;
    const float a = (float)SweepPosition * 0.00125f * (float)PI;
    const float r = (float)(d.u32Width + d.u32CenterRadius);
    const S32 sx = d.CenterX + (S32)(std::sin(a) * r);
    const S32 sy = d.CenterY + (S32)(std::cos(a) * r);
    S32 ex = d.CenterX, ey = d.CenterY;
    if (s_MSSObject.SweepingSetting < ISOLATE_SWEEP_ON) {
        ex = d.CenterX - (S32)(std::sin(a) * r);
        ey = d.CenterY - (S32)(std::cos(a) * r);
    }
    const S32 p = s32Wrap(SweepPosition);
    const bool bNearVertical = p < 200 || p > 1400 || (p > 600 && p < 1000);
    static const S32 kStart[5] = {0, 1, 1, -1, 0};
    static const S32 kEnd[5] = {0, -1, 0, 1, 1};
    for (int k = 0; k < 5; ++k) {
        if (bNearVertical)
            vLine(pBitmap, LineColor, sx + kStart[k], sy, ex + kEnd[k], ey);
        else
            vLine(pBitmap, LineColor, sx, sy + kStart[k], ex, ey + kEnd[k]);
    }
}

// ---- The info box ----

void T_N_HISTORY_vDrawSweepInfoBox(BITMAP* pBitmap, U32 u32WindowLeft)
{
    if (pBitmap == nullptr)
        return;
    const FONT_DEF* pFont = std_11x14_font_def_ptr.load();
    const COLOR colText = colTable(COLOR_LINE);
    const COLOR colBack = colTable(COLOR_BACK);
    const S32 left = (S32)u32WindowLeft;
    char line1[64], line2[64];

    // Range, and the ring spacing when the rings are shown.
    const float fRangeMetres = fLowerRange(PPI_WINDOW);
    const double dRange = dGenericConvert(fRangeMetres, U_METRES, SonarViewInfo.unitsDepth);
    const U32 u32Unit = u32FetchU32(FCID("YUDP"));
    const char* pszUnit = u32Unit == U_METRES ? "m" : u32Unit == U_FEET ? "ft" : u32Unit == U_FATHOMS ? "fthm" : nullptr;
    if (pszUnit != nullptr) {
        snprintf(line1, sizeof line1, "%s  %.0f%s", pszText(txtRange), dRange, pszUnit);
        snprintf(line2, sizeof line2, "%.0f%s", dRange / 4.0, pszUnit);
    } else {
        snprintf(line1, sizeof line1, "%s  %.0f", pszText(txtRange), dRange);
        snprintf(line2, sizeof line2, "%.0f", dRange / 4.0);
    }
    const bool bRings = bFetchOn(FCID("SRNG"));
    S32 w = s32TextWidth(pFont, line1) + 10;
    if (bRings)
        w = std::max(w, s32TextWidth(pFont, pszText(txtRing)) + s32TextWidth(pFont, line2) + 20);
    constexpr S32 RIGHT = 801 - 9;
    vInfoBox(pBitmap, RIGHT - w, 105, w, 46, colBack);
    vText(pBitmap, RIGHT - w + 5, 105 + 26, pFont, line1, colText);
    if (bRings) {
        vText(pBitmap, RIGHT - w + 5, 105 + 6, pFont, pszText(txtRing), colText);
        vText(pBitmap, 795 - s32TextWidth(pFont, line2), 105 + 6, pFont, line2, colText);
    }
    if (const float fSide = fLowerRange(1); fSide < 2.0f)
        log_me("[%d]%s: window 1 lower range %.1f m\n", __LINE__, __func__, (double)fSide);

    // Zoom.
    const S32 zoom = s_PPIDisplayDescriptor.u8ZoomLevel;
    if (zoom > 0) {
        snprintf(line1, sizeof line1, " %dx ", 2 * zoom);
        const S32 zw = s32TextWidth(pFont, line1) + 6;
        vInfoBox(pBitmap, RIGHT - zw, 151, zw, 22, colBack);
        vText(pBitmap, RIGHT - zw + 3, 155, pFont, line1, colText);
    }

    const SWEEPING_SETTING_STATUS setting = s_MSSObject.SweepingSetting;
    if (setting == QUICK_SWEEP_ON) {
        const FONT_DEF* pBig = std_16x17_font_def_ptr.load();
        const char* psz = pszText(txtQuickSweep);
        const S32 qw = s32TextWidth(pBig, psz) + 12;
        vInfoBox(pBitmap, left, 558, qw, 25, colBack);
        vText(pBitmap, left + 6, 562, pBig, psz, colText);
    }

    // Instructions: icons and texts in colour 32 on a colour-35 box.
    struct ROW {
        const ICON* a;
        const ICON* b;
        const char* psz;
    };
    auto instructions = [&](const ROW* rows, int n) {
        constexpr S32 ROW_H = 20;
        S32 width = 0;
        for (int k = 0; k < n; ++k)
            width = std::max(width, 50 + s32TextWidth(pFont, rows[k].psz));
        const S32 h = n * ROW_H + 6;
        const S32 y0 = 582 - h;
        vInfoBox(pBitmap, left, y0, width + 10, h, colText);
        for (int k = 0; k < n; ++k) {
            const S32 y = y0 + 3 + (n - 1 - k) * ROW_H;
            S32 x = left + 5;
            for (const ICON* p : {rows[k].a, rows[k].b}) {
                if (p == nullptr)
                    continue;
                vIcon(pBitmap, p, x, y + 1);
                x += (S32)G_ICON_u32GetWidth(p) + 2;
            }
            vText(pBitmap, left + 50, y + 3, pFont, rows[k].psz, colBack);
        }
    };
    if (setting == ISOLATE_SWEEP_SETTING) {
        const ROW rows[3] = {{&confirm_icon, nullptr, pszText(txtSetArea)},
                             {&ArrowDown_icon, &ArrowUp_icon, pszText(txtAdjustSize)},
                             {&Radar_hdg_left_icon, &Radar_hdg_right_icon, pszText(txtAdjustPosition)}};
        instructions(rows, 3);
    }
    if (s_u32360HeadingOffsetEnabled.load() != 0) {
        const ROW rows[2] = {{&confirm_icon, nullptr, pszText(txtSetAngle)},
                             {&Radar_hdg_left_icon, &Radar_hdg_right_icon, pszText(txtAdjustAngle)}};
        instructions(rows, 2);
    }
}

// ---- The frame ----

void T_N_HISTORY_vDrawPPIDisplay(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    if (pBitmap == nullptr || psWindowSpec == nullptr)
        return;
    // 1. A frozen picture is released and rebuilt.
    const S32 s32Sector = s_s32PPISector.load();
    const bool bFrozenValid = s_bMSSDataLocked.load() && s_bLockedPosValid.load();
    if (s_bMSSDataLocked.load()) {
        s_bMSSDataLocked = FALSE;
        s_bLockedPosValid = FALSE;
        T_N_HISTORY_vRecalculateMSSData();
    } else if (s_bPPIDisplayReset.load()) {
        T_N_HISTORY_vRecalculateMSSData();
    }

    // 2. Geometry.
    L_MUTEX_LockWait(RES_S_INFO);
    vGeometry(psWindowSpec);
    vFollowRadius();
    L_MUTEX_Unlock(RES_S_INFO);
    if (s_u8IsolateSweepSetuped.load() == 1) {
        // The next frame fits the area again; nothing else may ask for it.
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
        return;
    }

    // 3. The window.
    const S32 saved[4] = {pBitmap->s32ClipLeft, pBitmap->s32ClipTop, pBitmap->s32ClipRight, pBitmap->s32ClipBottom};
    const WINDOW_LOCATION& wl = psWindowSpec->drawWindow;
    pBitmap->s32ClipLeft = std::max<S32>(wl.s32ClipLeft, 0);
    pBitmap->s32ClipTop = wl.s32ClipTop;
    pBitmap->s32ClipRight = wl.s32ClipRight;
    pBitmap->s32ClipBottom = wl.s32ClipBottom;
    {
        const POINT pt{pBitmap->s32ClipLeft, pBitmap->s32ClipBottom};
        const S32 w = pBitmap->s32ClipRight - pBitmap->s32ClipLeft + 1;
        const S32 h = pBitmap->s32ClipTop - pBitmap->s32ClipBottom + 1;
        if (w > 0 && h > 0)
            G_BOX_vDrawFilled(pBitmap, colTable(COLOR_BACK), &pt, (U32)w, (U32)h);
    }

    // 4. A cleared store empties the picture.
    if (s_bClearMSSBuffer.load()) {
        L_MUTEX_LockWait(RES_S_INFO);
        L_MUTEX_LockWait(RES_MSS);
        T_N_PROCESS_vClearMssBuffer();
        T_N_HISTORY_vRecalculateMSSData();
        L_MUTEX_Unlock(RES_MSS);
        L_MUTEX_Unlock(RES_S_INFO);
        s_bClearMSSBuffer = FALSE;
    }

    if (s_bMSSDeployed.load()) {
        const PPI_DISPLAY_DESCRIPTOR& d = s_PPIDisplayDescriptor;
        const MSS_STATUS_DESCRIPTOR& m = s_MSSObject;
        // 6, 7. Classes, map and image.
        vComputeDisplayClasses();
        L_MUTEX_LockWait(RES_MSS);
        const WINDOW_LOCATION clip = {pBitmap->s32ClipLeft, pBitmap->s32ClipTop, pBitmap->s32ClipRight,
                                      pBitmap->s32ClipBottom};
        if (!s_bMapValid || d.CenterX != s_s32SavedCenterX || d.CenterY != s_s32SavedCenterY ||
            d.u32Width != s_u32SavedWidth || d.u32MaxSamples != s_u32SavedMaxSamples ||
            memcmp(&clip, &s_sSavedClip, sizeof clip) != 0) {
            vRebuildPixelMap(pBitmap);
            s_s32SavedCenterX = d.CenterX;
            s_s32SavedCenterY = d.CenterY;
            s_u32SavedWidth = d.u32Width;
            s_u32SavedMaxSamples = d.u32MaxSamples;
            s_sSavedClip = clip;
        }
        vDrawPPIPixels(pBitmap, psWindowSpec, FALSE);
        L_MUTEX_Unlock(RES_MSS);

        // 8-10. Outline, rings and ticks, shown only over normal sectors.
        const U32 D = 2u * (d.u32CenterRadius + d.u32Width);
        const COLOR colLine = colTable(COLOR_LINE);
        if (m.SweepingSetting < ISOLATE_SWEEP_ON) {
            vCircle(pBitmap, colLine, D + 2);
            vCircle(pBitmap, colLine, D + 1);
        } else {
            vCircle(pBitmap, colLine, D);
            vCircle(pBitmap, colLine, D - 1);
        }
        if (bFetchOn(FCID("SRNG")))
            vRingsAndTicks(pBitmap);
        L_MUTEX_LockWait(RES_MSS);
        vDrawPPIPixels(pBitmap, psWindowSpec, TRUE);
        L_MUTEX_Unlock(RES_MSS);

        // 11. Navigation.
        if (bFetchOn(FCID("SNIM")))
            vNavigationOverlay(pBitmap, psWindowSpec, bFrozenValid);

        // 12. Area edges.
        if (m.SweepingSetting >= ISOLATE_SWEEP_SETTING) {
            const bool bSaved = m.SweepingSetting >= QUICK_SWEEP_IN_ISOLATE_SETTING;
            const S32 S = bSaved ? m.s32SweepStartSaved : m.s32SweepStart;
            const S32 R = bSaved ? m.s32SweepRangeSaved : m.s32SweepRange;
            vAreaEdge(pBitmap, S);
            vAreaEdge(pBitmap, s32Wrap((S64)S - R + 1));
        }

        // 13. Sweep line and quick-sweep edges.
        S32 s32Line = s32Sector;
        if (m.SweepingSetting == QUICK_SWEEP_SETTING && s_bClockwise.load())
            s32Line -= (S32)s_u32PPISectorStepFactor;
        T_N_HISTORY_vDrawPPISweepLine(pBitmap, s32Line, colLine);
        if ((m.SweepingSetting == QUICK_SWEEP_SETTING || m.SweepingSetting == QUICK_SWEEP_ON) &&
            m.s32SweepStart > -SECTORS) {
            T_N_HISTORY_vDrawPPISweepLine(pBitmap, m.s32SweepStart, colTable(COLOR_EDGE));
            if (m.SweepingSetting == QUICK_SWEEP_ON)
                T_N_HISTORY_vDrawPPISweepLine(pBitmap, (m.s32SweepStart + SECTORS - m.s32SweepRange) % SECTORS,
                                              colTable(COLOR_EDGE));
        }

        // 14-16.
        if (s_u32360HeadingOffsetEnabled.load() != 0)
            vHeadingOffsetLines(pBitmap);
        if (bFetchOn(FCID("SMSB")))
            vBoatAndOffset(pBitmap);
        T_N_HISTORY_vDrawSweepInfoBox(pBitmap, (U32)std::max<S32>(wl.s32ClipLeft, 0));
    }

    // 17. The 360 view is redrawn at the view task's frame rate.
    L_SEMA_Signal(SEMA_VIEW_UPDATE);
    pBitmap->s32ClipLeft = saved[0];
    pBitmap->s32ClipTop = saved[1];
    pBitmap->s32ClipRight = saved[2];
    pBitmap->s32ClipBottom = saved[3];
}
