// Images (see g_image.h).
//
// One walker per data form reads the run-length groups row by row and hands
// each literal pixel and each run to the routine's writer, which applies its
// own blend rule and bound. The walkers read the data once; the writers
// treat a transparent run as one skip and an opaque run as one fill, and
// weigh a blended run's colour once.
//
// Coordinates are formed in 64 bits and tested before they become PIXELs,
// so an anchor near the end of the coordinate range cannot wrap around into
// the picture. The routines that write straight into the buffer keep to the
// bitmap's whole surface (the full picture of a window): the unit bounded
// them by its 800 x 600 screen, which a smaller bitmap does not have.
#include "graphics/g_image.h"

#include "graphics/g_pixel.h"

#include <algorithm>
#include <cmath>

namespace {

struct Rgba {
    U8 r;
    U8 g;
    U8 b;
    U8 a;
};

constexpr Rgba RGBA_OPAQUE_BLACK{0, 0, 0, 255};
constexpr U8 IMAGE32_RUN_MARK = 90; // 'Z'
constexpr U16 IMAGE_RUN_MARK = 0xFFFF;
constexpr double IMAGE_DEGREES_TO_RADIANS = 0.017453292519943295;
constexpr double IMAGE_SECTOR_DEGREES_TO_RADIANS = 0.017453;
constexpr S64 IMAGE_SCREEN_WIDTH = 800;
constexpr S64 IMAGE_SCREEN_HEIGHT = 600;

COLOR image32_Color(const Rgba& c) { return (COLOR)((c.r >> 3) << 11 | (c.g >> 2) << 5 | (c.b >> 3)); }

enum class Blend {
    SHIFT,  // (a * src + (255 - a) * old) >> 8
    DIVIDE, // (a * src + (255 - a) * old) / 255
};

// The new colour's channels weighted by alpha, and the old one's weight.
struct Weighted {
    U32 r;
    U32 g;
    U32 b;
    U32 inverse;
};

Weighted image32_Weigh(const Rgba& c)
{
    const U32 a = c.a;
    return Weighted{a * (c.r >> 3u), a * (c.g >> 2u), a * (c.b >> 3u), 255u - a};
}

template <Blend B>
COLOR image32_Mix(const Weighted& w, COLOR old)
{
    U32 r = w.r + w.inverse * ((old >> 11) & 0x1Fu);
    U32 g = w.g + w.inverse * ((old >> 5) & 0x3Fu);
    U32 b = w.b + w.inverse * (old & 0x1Fu);
    if constexpr (B == Blend::SHIFT) {
        r >>= 8;
        g >>= 8;
        b >>= 8;
    } else {
        r /= 255;
        g /= 255;
        b /= 255;
    }
    return (COLOR)(r << 11 | g << 5 | b);
}

// Columns and rows that may be written: [left, right] x [bottom, top].
struct Bounds {
    S64 left;
    S64 bottom;
    S64 right;
    S64 top;
};

Bounds image_ClipBounds(const BITMAP* pDest)
{
    return Bounds{pDest->s32ClipLeft, pDest->s32ClipBottom, pDest->s32ClipRight, pDest->s32ClipTop};
}

// The whole surface, never more than the buffer holds.
Bounds image_SurfaceBounds(const BITMAP* pDest)
{
    const S64 width = std::min(pDest->pixels_wide_full_screen, pDest->__u32PixelWidthOfBuffer);
    const S64 height = std::min(pDest->pixels_high_full_screen, pDest->__u32PixelHeightOfBuffer);
    return Bounds{0, 0, width - 1, height - 1};
}

// Writes a span of n equal pixels from (x, y) on, inside the bounds.
// bBlendOpaque blends an opaque colour by the rule instead of storing it.
template <Blend B>
void image32_Span(BITMAP* pDest, const Bounds& bounds, S64 x, S64 y, S64 n, const Rgba& c, bool bBlendOpaque = false)
{
    if (c.a == 0 || y < bounds.bottom || y > bounds.top)
        return;
    const S64 x0 = std::max(x, bounds.left);
    const S64 x1 = std::min(x + n - 1, bounds.right);
    if (x0 > x1)
        return;
    COLOR* pPixel = G_PIXEL_pcolLogical(pDest, (PIXEL)x0, (PIXEL)y);
    if (c.a == 255 && !bBlendOpaque) {
        G_PIXEL_vFillRun(pPixel, (size_t)(x1 - x0 + 1), image32_Color(c));
        return;
    }
    const Weighted w = image32_Weigh(c);
    for (S64 i = x0; i <= x1; ++i, ++pPixel)
        *pPixel = image32_Mix<B>(w, *pPixel);
}

// Walks 32-bit run-length data: literal(x, row, pixel) and run(x, row, n,
// pixel), x counted from the image's left. A row ends when x reaches
// nLiteralLimit (the width but for the partial routines); a run goes on to
// the width and no further.
template <typename Literal, typename Run>
void image32_Walk(const U8* p, S32 nWidth, S32 nRows, S32 nLiteralLimit, Literal&& literal, Run&& run)
{
    Rgba prev = RGBA_OPAQUE_BLACK;
    for (S32 k = 0; k < nRows; ++k) {
        S32 x = 0;
        while (x < nLiteralLimit) {
            if (p[0] == IMAGE32_RUN_MARK && p[3] == 0) {
                const S32 n = (S32)std::min<U32>(p[1] + 256u * p[2], (U32)(nWidth - x));
                p += 4;
                if (n > 0)
                    run(x, k, n, prev);
                x += n;
            } else {
                prev = Rgba{p[0], p[1], p[2], p[3]};
                p += 4;
                literal(x, k, prev);
                ++x;
            }
        }
    }
}

// Walks 16-bit run-length data: put(x, row, n, colour).
template <typename Put>
void image_Walk(const U16* p, S32 nWidth, S32 nRows, S32 nLiteralLimit, Put&& put)
{
    for (S32 k = 0; k < nRows; ++k) {
        COLOR colorLast = 0x0000;
        S32 x = 0;
        while (x < nLiteralLimit) {
            const U16 u16Value = *p++;
            if (u16Value != IMAGE_RUN_MARK) {
                colorLast = u16Value;
                put(x, k, 1, colorLast);
                ++x;
                continue;
            }
            const S32 n = std::min<S32>(*p++, nWidth - x);
            if (n > 0)
                put(x, k, n, colorLast);
            x += n;
        }
    }
}

void image_PutSpan(BITMAP* pDest, const Bounds& bounds, S64 x, S64 y, S64 n, COLOR color)
{
    if (y < bounds.bottom || y > bounds.top)
        return;
    const S64 x0 = std::max(x, bounds.left);
    const S64 x1 = std::min(x + n - 1, bounds.right);
    if (x0 <= x1)
        G_PIXEL_vFillRun(G_PIXEL_pcolLogical(pDest, (PIXEL)x0, (PIXEL)y), (size_t)(x1 - x0 + 1), color);
}

// A fraction limited to 0..1; anything not a number counts as 0.
float image_Fraction(float f) { return f > 0.0f ? std::min(f, 1.0f) : 0.0f; }

// Rows or columns of a fraction of a size, in single precision as the
// callers' fractions are; never beyond the size.
S32 image_Part(float fFraction, S32 nSize)
{
    const float f = fFraction * (float)nSize;
    if (!(f > 0.0f))
        return 0;
    return f >= (float)nSize ? nSize : (S32)f;
}

// The 32-bit bilinear rotation shared by both forms: calls write(x, y, A,
// R, G, B) with the alpha-weighted sums for every bitmap pixel of the
// turned image's box that some sample reaches.
template <typename Write>
void image32_Rotate(const U8* pu8Data, S32 nWidth, S32 nHeight, const POINT* pptAnchor, const POINT* pptCenter,
                    double dAngle, const Bounds& box, Write&& write)
{
    if (pu8Data == nullptr || nWidth <= 0 || nHeight <= 0)
        return;
    const double c = std::cos(dAngle), s = std::sin(dAngle);
    if (!std::isfinite(c) || !std::isfinite(s))
        return;
    const double ax = pptAnchor->x, ay = pptAnchor->y, cx = pptCenter->x, cy = pptCenter->y;
    double minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
    const double corners[4][2] = {{0, 0}, {(double)nWidth, 0}, {0, (double)nHeight}, {(double)nWidth, (double)nHeight}};
    for (const auto& corner : corners) {
        const double x = ax + c * (corner[0] - cx) - s * (corner[1] - cy);
        const double y = ay + s * (corner[0] - cx) + c * (corner[1] - cy);
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    // Limited first, so that the conversions stay defined far off the bitmap.
    auto toInt = [](double v) { return (S64)std::clamp(v, -1e12, 1e12); };
    const S64 i0 = std::clamp<S64>(toInt(minX) - 1, box.left, box.right + 1);
    const S64 i1 = std::clamp<S64>(toInt(maxX) + 2, box.left, box.right + 1);
    const S64 j0 = std::clamp<S64>(toInt(minY) - 1, box.bottom, box.top + 1);
    const S64 j1 = std::clamp<S64>(toInt(maxY) + 2, box.bottom, box.top + 1);
    const S64 cf = std::clamp<S64>((S64)(c * 65536), -65536, 65536);
    const S64 sf = std::clamp<S64>((S64)(s * 65536), -65536, 65536);
    const S64 cx16 = (S64)pptCenter->x * 65536, cy16 = (S64)pptCenter->y * 65536;
    const S64 xLimit = (S64)nWidth * 65536 + 65535, yLimit = (S64)nHeight * 65536 + 65535;

    for (S64 j = j0; j < j1; ++j) {
        for (S64 i = i0; i < i1; ++i) {
            const S64 sx = cx16 + cf * (i - pptAnchor->x) + sf * (j - pptAnchor->y);
            const S64 sy = cy16 - sf * (i - pptAnchor->x) + cf * (j - pptAnchor->y);
            if (sx < -65535 || sx > xLimit || sy < -65535 || sy > yLimit)
                continue;
            const S64 x0 = sx >> 16, y0 = sy >> 16;
            const U64 wx = (U64)(65536 - (sx - x0 * 65536)) >> 8;
            const U64 wy = (U64)(65536 - (sy - y0 * 65536)) >> 8;
            const struct {
                S64 x;
                S64 y;
                U64 w;
            } samples[4] = {{x0, y0, wx * wy},
                            {x0, y0 + 1, wx * (256 - wy)},
                            {x0 + 1, y0, (256 - wx) * wy},
                            {x0 + 1, y0 + 1, (256 - wx) * (256 - wy)}};
            U64 a = 0, r = 0, g = 0, b = 0;
            for (const auto& sample : samples) {
                if (sample.x < 0 || sample.x >= nWidth || sample.y < 0 || sample.y >= nHeight)
                    continue;
                const U8* px = pu8Data + ((size_t)sample.y * (size_t)nWidth + (size_t)sample.x) * 4;
                if (px[3] == 0)
                    continue;
                const U64 wa = sample.w * px[3];
                a += wa;
                r += wa * px[0];
                g += wa * px[1];
                b += wa * px[2];
            }
            write(i, j, a, r, g, b);
        }
    }
}

constexpr U64 ROTATE_OPAQUE = 254u * 65536u + 65535u;

COLOR image32_Limit(U64 r, U64 g, U64 b)
{
    return (COLOR)(std::min<U64>(r, 31) << 11 | std::min<U64>(g, 63) << 5 | std::min<U64>(b, 31));
}

void image32_PutRotated(BITMAP* pDest, const IMAGE32* pImage32, const POINT* pptAnchor, const POINT* pptRotateCenter,
                        double dRotateAngle, const Bounds& box)
{
    image32_Rotate(static_cast<const U8*>(pImage32->data), pImage32->s32Width, pImage32->s32Height, pptAnchor,
                   pptRotateCenter, dRotateAngle, box, [&](S64 x, S64 y, U64 a, U64 r, U64 g, U64 b) {
                       if (a <= 65536)
                           return;
                       COLOR* pPixel = G_PIXEL_pcolLogical(pDest, (PIXEL)x, (PIXEL)y);
                       if (a > ROTATE_OPAQUE) {
                           *pPixel = image32_Limit(r >> 27, g >> 26, b >> 27);
                           return;
                       }
                       const U64 n = (1u << 24) - a;
                       const COLOR old = *pPixel;
                       *pPixel = image32_Limit((r / 8 + ((old >> 11) & 0x1Fu) * n) >> 24,
                                               (g / 4 + ((old >> 5) & 0x3Fu) * n) >> 24,
                                               (b / 8 + (old & 0x1Fu) * n) >> 24);
                   });
}

// Sector state of G_IMAGE32_vPutCondition.
enum : U32 { EMPTY = 0, START = 1, FULL = 2, END = 3, SAME_LOW = 4, SAME_HIGH = 5 };

struct Sector {
    U32 parts[4]; // status of quadrants PART0..PART3
    S32 cx;
    S32 cy;
    S32 x_end_test;
    S32 y_end_test;
    float s_ke;
    float s_be;
    S32 direction;
};

// Quadrant of an angle: its integer part as an unsigned number (negative
// angles count as 0, as the unit's conversion saturates), / 90, mod 4.
U32 sector_Quadrant(float fAngle)
{
    U32 u32Whole = 0;
    if (fAngle >= 4294967295.0f)
        u32Whole = 0xFFFFFFFFu;
    else if (fAngle > 0.0f)
        u32Whole = (U32)fAngle;
    return (u32Whole / 90) % 4;
}

Sector sector_Make(U32 u32Radius, float fStartAngle, float fEndAngle, const POINT* pCentre, S32 direction)
{
    Sector sector{};
    sector.cx = pCentre->x;
    sector.cy = pCentre->y;
    sector.direction = direction;
    const U32 s = sector_Quadrant(fStartAngle), e = sector_Quadrant(fEndAngle);
    for (U32& part : sector.parts)
        part = EMPTY;
    if (s == e) {
        sector.parts[s] = std::fmod((double)fStartAngle, 360.0) < std::fmod((double)fEndAngle, 360.0) ? SAME_LOW : SAME_HIGH;
    } else {
        sector.parts[s] = START;
        for (U32 q = (s + 1) % 4; q != e; q = (q + 1) % 4)
            sector.parts[q] = FULL;
        sector.parts[e] = END;
    }
    const double dAngle = (double)fEndAngle * IMAGE_SECTOR_DEGREES_TO_RADIANS;
    const double xe = pCentre->x - (double)u32Radius * std::cos(dAngle);
    const double ye = pCentre->y - (double)direction * u32Radius * std::sin(dAngle);
    auto toS32 = [](double v) { return std::isfinite(v) ? (S32)std::clamp(v, -2147483648.0, 2147483647.0) : 0; };
    sector.x_end_test = toS32(xe);
    sector.y_end_test = toS32(ye);
    if (sector.x_end_test == sector.cx) {
        sector.s_ke = 10000.0f * (float)direction;
        sector.s_be = 0.0f;
    } else {
        sector.s_ke = (float)((S64)sector.y_end_test - sector.cy) / (float)((S64)sector.x_end_test - sector.cx);
        sector.s_be = (float)sector.y_end_test - sector.s_ke * (float)sector.x_end_test;
    }
    return sector;
}

bool G_IMAGE32_Valid(const Sector& sector, S64 x, S64 y)
{
    const bool bRight = x > sector.cx, bAbove = y > sector.cy;
    if (std::llabs((S64)sector.x_end_test - sector.cx) <= 2 && bRight)
        return false;
    U32 q;
    if (sector.direction == 1)
        q = bRight ? (bAbove ? 2 : 1) : (bAbove ? 3 : 0);
    else
        q = bRight ? (bAbove ? 1 : 2) : (bAbove ? 0 : 3);
    switch (sector.parts[q]) {
    case START:
    case FULL:
        return true;
    case EMPTY:
        return false;
    default:
        break;
    }
    const float fProduct = (float)x * sector.s_ke;
    const float fSum = sector.s_be + fProduct;
    const float v = (float)sector.direction * (fSum - (float)y);
    return (q == 0 || q == 3) ? v <= 0.0f : v >= 0.0f;
}

} // namespace

void G_IMAGE_vPut(BITMAP* pDest, const IMAGE* pImage, const POINT* pptLowerLeft)
{
    if (pImage == nullptr || pImage->data == nullptr || pImage->s32Height <= 0 || pImage->s32Width <= 0)
        return;
    const Bounds clip = image_ClipBounds(pDest);
    image_Walk(static_cast<const U16*>(pImage->data), pImage->s32Width, pImage->s32Height, pImage->s32Width,
               [&](S32 x, S32 k, S32 n, COLOR color) {
                   image_PutSpan(pDest, clip, (S64)pptLowerLeft->x + x, (S64)pptLowerLeft->y + k, n, color);
               });
}

void G_IMAGE_PART_vPutNew(BITMAP* pDest, const IMAGE* pImage, const POINT* pptLowerLeft, float fwidthPercent,
                          float fHightPercent)
{
    if (pImage == nullptr || pImage->data == nullptr || pImage->s32Width <= 0)
        return;
    const S32 nRows = image_Part(image_Fraction(fHightPercent), pImage->s32Height);
    const S32 nLiterals = image_Part(image_Fraction(fwidthPercent), pImage->s32Width);
    if (nRows < 1)
        return;
    const Bounds clip = image_ClipBounds(pDest);
    image_Walk(static_cast<const U16*>(pImage->data), pImage->s32Width, nRows, nLiterals,
               [&](S32 x, S32 k, S32 n, COLOR color) {
                   image_PutSpan(pDest, clip, (S64)pptLowerLeft->x + x, (S64)pptLowerLeft->y + k, n, color);
               });
}

void G_IMAGE_PART_vPut(BITMAP* pDest, const IMAGE* pImage, const POINT* pptLowerLeft, float fwidthPercent,
                       float fHightPercent)
{
    if (pImage == nullptr || pImage->data == nullptr)
        return;
    const S32 nRows = image_Part(fHightPercent, pImage->s32Height);
    const S32 nColumns = image_Part(fwidthPercent, pImage->s32Width);
    const U16* pu16Pixel = static_cast<const U16*>(pImage->data);
    const Bounds clip = image_ClipBounds(pDest);
    for (S32 k = 0; k < nRows; ++k)
        for (S32 x = 0; x < nColumns; ++x)
            image_PutSpan(pDest, clip, (S64)pptLowerLeft->x + x, (S64)pptLowerLeft->y + k, 1, *pu16Pixel++);
}

void G_IMAGE32_vPut(BITMAP* pDest, const IMAGE32* pImage32, const POINT* pptLowerLeft)
{
    if (pImage32 == nullptr || pImage32->data == nullptr || pImage32->s32Width <= 0)
        return;
    const Bounds surface = image_SurfaceBounds(pDest);
    const S64 ax = pptLowerLeft->x, ay = pptLowerLeft->y;
    image32_Walk(
        static_cast<const U8*>(pImage32->data), pImage32->s32Width, pImage32->s32Height, pImage32->s32Width,
        [&](S32 x, S32 k, const Rgba& c) { image32_Span<Blend::SHIFT>(pDest, surface, ax + x, ay + k, 1, c); },
        [&](S32 x, S32 k, S32 n, const Rgba& c) { image32_Span<Blend::SHIFT>(pDest, surface, ax + x, ay + k, n, c); });
}

void G_IMAGE32_vPutOld(BITMAP* pDest, const ICON* pImage32, const POINT* pptLowerLeft)
{
    if (pImage32 == nullptr || pImage32->pBitmap == nullptr || pImage32->nWidth <= 0)
        return;
    const Bounds clip = image_ClipBounds(pDest);
    const S64 ax = pptLowerLeft->x, ay = pptLowerLeft->y;
    image32_Walk(
        static_cast<const U8*>(pImage32->pBitmap), pImage32->nWidth, pImage32->nHeight, pImage32->nWidth,
        [&](S32 x, S32 k, const Rgba& c) { image32_Span<Blend::DIVIDE>(pDest, clip, ax + x, ay + k, 1, c); },
        [&](S32 x, S32 k, S32 n, const Rgba& c) { image32_Span<Blend::DIVIDE>(pDest, clip, ax + x, ay + k, n, c); });
}

void G_IMAGE32_PART_vPutNew(BITMAP* pDest, const IMAGE32* pImage32, const POINT* pptLowerLeft, float fwidthPercent,
                            float fHightPercent)
{
    if (pImage32 == nullptr || pImage32->data == nullptr || pImage32->s32Width <= 0)
        return;
    const S32 nRows = image_Part(image_Fraction(fHightPercent), pImage32->s32Height);
    const S32 nLiterals = image_Part(image_Fraction(fwidthPercent), pImage32->s32Width);
    if (nRows < 1)
        return;
    const Bounds surface = image_SurfaceBounds(pDest);
    const S64 ax = pptLowerLeft->x, ay = pptLowerLeft->y;
    image32_Walk(
        static_cast<const U8*>(pImage32->data), pImage32->s32Width, nRows, nLiterals,
        [&](S32 x, S32 k, const Rgba& c) { image32_Span<Blend::DIVIDE>(pDest, surface, ax + x, ay + k, 1, c); },
        [&](S32 x, S32 k, S32 n, const Rgba& c) {
            image32_Span<Blend::DIVIDE>(pDest, surface, ax + x, ay + k, n, c);
        });
}

void G_IMAGE32_PART_vPut(BITMAP* pDest, const IMAGE32* pImage32, const POINT* pptLowerLeft, const POINT* pptCenter,
                         U32 u32RotatedAngle)
{
    if (pImage32 == nullptr || pImage32->data == nullptr || pImage32->s32Width <= 0)
        return;
    const Bounds clip = image_ClipBounds(pDest);
    const S64 ax = pptLowerLeft->x, ay = pptLowerLeft->y;
    const double t = std::tan(u32RotatedAngle * IMAGE_DEGREES_TO_RADIANS);
    const double cx = pptCenter->x, cy = pptCenter->y;
    const bool bLowerLeft = u32RotatedAngle >= 1 && u32RotatedAngle <= 180;
    image32_Walk(
        static_cast<const U8*>(pImage32->data), pImage32->s32Width, pImage32->s32Height, pImage32->s32Width,
        [&](S32 x, S32 k, const Rgba& c) {
            const double px = (double)(ax + x), py = (double)(ay + k);
            const bool bDraw = bLowerLeft ? (px < cx && py < cy - (cx - px) / t) : (px <= cx || py >= cy + (px - cx) / t);
            if (bDraw)
                image32_Span<Blend::DIVIDE>(pDest, clip, ax + x, ay + k, 1, c);
        },
        [&](S32 x, S32 k, S32 n, const Rgba& c) { image32_Span<Blend::DIVIDE>(pDest, clip, ax + x, ay + k, n, c); });
}

void G_IMAGE32_vPutCondition(BITMAP* pDest, const IMAGE32* pImage32, const POINT* pptLowerLeft, U32 u32Radius,
                             float fStartAngle, float fEndAngle, POINT* archor, S32 direction)
{
    if (pImage32 == nullptr || pImage32->data == nullptr || pImage32->s32Width <= 0 || archor == nullptr)
        return;
    const Sector sector = sector_Make(u32Radius, fStartAngle, fEndAngle, archor, direction);
    const Bounds clip = image_ClipBounds(pDest);
    const S64 ax = pptLowerLeft->x, ay = pptLowerLeft->y;
    image32_Walk(
        static_cast<const U8*>(pImage32->data), pImage32->s32Width, pImage32->s32Height, pImage32->s32Width,
        [&](S32 x, S32 k, const Rgba& c) {
            if (G_IMAGE32_Valid(sector, ax + x, ay + k))
                image32_Span<Blend::SHIFT>(pDest, clip, ax + x, ay + k, 1, c);
        },
        [&](S32 x, S32 k, S32 n, const Rgba& c) {
            for (S32 i = 0; i < n; ++i)
                if (G_IMAGE32_Valid(sector, ax + x + i, ay + k))
                    image32_Span<Blend::SHIFT>(pDest, clip, ax + x + i, ay + k, 1, c, true);
        });
}

void G_IMAGE32_vPutRotated(BITMAP* pDest, const IMAGE32* pImage32, const POINT* pptAnchor,
                           const POINT* pptRotateCenter, double dRotateAngle)
{
    if (pImage32 != nullptr)
        image32_PutRotated(pDest, pImage32, pptAnchor, pptRotateCenter, dRotateAngle, image_SurfaceBounds(pDest));
}

void G_IMAGE32_vPutRotatedClipped(BITMAP* pDest, const IMAGE32* pImage32, const POINT* pptAnchor,
                                  const POINT* pptRotateCenter, double dRotateAngle)
{
    if (pImage32 == nullptr)
        return;
    const Bounds surface = image_SurfaceBounds(pDest), clip = image_ClipBounds(pDest);
    const Bounds both{std::max(surface.left, clip.left), std::max(surface.bottom, clip.bottom),
                      std::min(surface.right, clip.right), std::min(surface.top, clip.top)};
    image32_PutRotated(pDest, pImage32, pptAnchor, pptRotateCenter, dRotateAngle, both);
}

void G_IMAGE32_vPutRotatedOld(BITMAP* pDest, const ICON* pImage32, const POINT* pptAnchor,
                              const POINT* pptRotateCenter, double dRotateAngle)
{
    if (pImage32 == nullptr)
        return;
    constexpr U64 DIVISOR = 255u * 65536u;
    image32_Rotate(static_cast<const U8*>(pImage32->pBitmap), pImage32->nWidth, pImage32->nHeight, pptAnchor,
                   pptRotateCenter, dRotateAngle, Bounds{0, 0, IMAGE_SCREEN_WIDTH - 1, IMAGE_SCREEN_HEIGHT - 1},
                   [&](S64 x, S64 y, U64 a, U64 r, U64 g, U64 b) {
                       if (a <= 65536 || !G_PIXEL_bInsideClip(pDest, (PIXEL)x, (PIXEL)y))
                           return;
                       COLOR* pPixel = G_PIXEL_pcolLogical(pDest, (PIXEL)x, (PIXEL)y);
                       if (a > ROTATE_OPAQUE) {
                           *pPixel = image32_Limit(r / 8 / DIVISOR, g / 4 / DIVISOR, b / 8 / DIVISOR);
                           return;
                       }
                       const U64 n = (1u << 24) - a;
                       const COLOR old = *pPixel;
                       *pPixel = image32_Limit((r / 8 + ((old >> 11) & 0x1Fu) * n) / DIVISOR,
                                               (g / 4 + ((old >> 5) & 0x3Fu) * n) / DIVISOR,
                                               (b / 8 + (old & 0x1Fu) * n) / DIVISOR);
                   });
}
