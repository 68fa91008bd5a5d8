// Characters and strings.
//
// The upright, unzoomed, horizontal case takes a fast path with one glyph
// bit test and one clip test per cell pixel. Otherwise each glyph bit
// becomes a zx x zy block placed by the orientation. A context without a
// font prints and measures nothing (GR_BAD_FONT_INDEX).
#include "chart_sdk/graphics/gr_text.h"

#include "chart_sdk/graphics/gr_context.h"
#include "chart_sdk/graphics/gr_pixel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double kRadPerDeg = 0.017453292519944003;
constexpr double kDegPerRad = 57.29577951308;

const UCHAR* GlyphRecord(const FONT* f, UCHAR ch)
{
    const UCHAR* entry = f->TablePtr + 4 * ((ch - f->FirstChar) & 0xFF);
    const U32 offset = static_cast<U32>(entry[0]) | static_cast<U32>(entry[1]) << 8 |
                       static_cast<U32>(entry[2]) << 16 | static_cast<U32>(entry[3]) << 24;
    return f->TablePtr + offset;
}

inline SINT GlyphWidth(const FONT* f, const UCHAR* rec)
{
    return std::min<SINT>(rec[0], f->PixWidth);
}

inline bool Ink(const FONT* f, const UCHAR* rec, SINT c, SINT r)
{
    return (rec[1 + r * f->RowSize + (c >> 3)] >> (c & 7)) & 1;
}

// Writes one pixel of a glyph after its clip test.
inline void PutGlyphPixel(GR_CONTEXT* gc, SINT x, SINT y, ERRORCODE* result)
{
    if (!gr_InClip(gc, x, y)) {
        *result = GR_OUT_OF_CLIP;
        return;
    }
    gf_PutPixel(gc, x, y);
}

// rnd of a non-negative magnitude; anything not finite counts as 0.
inline SINT Rnd(double v)
{
    return std::isfinite(v) ? static_cast<SINT>(v + 0.5) : 0;
}

SINT SumWidths(const GR_CONTEXT* gc, const FONT* font, const UCHAR* s, SINT n)
{
    SINT sum = 0;
    for (SINT i = 0; i < n; ++i) {
        sum += gc->fntattrib.zx * GlyphWidth(font, GlyphRecord(font, s[i]));
    }
    return sum;
}

} // namespace

ERRORCODE gf_PrintFastChar(GR_CONTEXT* gc, UCHAR ch)
{
    const FONT* f = gc->fntattrib.Fptr;
    if (f == nullptr) {
        return GR_BAD_FONT_INDEX;
    }
    const UCHAR* rec = GlyphRecord(f, ch);
    const SINT w = GlyphWidth(f, rec);
    const SINT px = gc->cp.px;
    const SINT py = gc->cp.py;
    const GL_COLOUR ink = gc->colour;
    const GL_COLOUR background = gr_PaletteColour(0);
    ERRORCODE result = GR_OK;
    for (SINT r = 0; r < f->PixHeight; ++r) {
        for (SINT c = 0; c < w; ++c) {
            const bool on = Ink(f, rec, c, r);
            if (!on && gc->transpflag) {
                continue;
            }
            gc->colour = on ? ink : background;
            PutGlyphPixel(gc, px + c, py - r, &result);
        }
    }
    gc->colour = ink;
    gc->cp.px = px + w;
    return result;
}

ERRORCODE gf_PrintChar(GR_CONTEXT* gc, UCHAR ch)
{
    const FONT* f = gc->fntattrib.Fptr;
    if (f == nullptr) {
        return GR_BAD_FONT_INDEX;
    }
    const UCHAR* rec = GlyphRecord(f, ch);
    const SINT w = GlyphWidth(f, rec);
    const SINT h = f->PixHeight;
    const SINT zx = gc->fntattrib.zx;
    const SINT zy = gc->fntattrib.zy;
    const PRINTDIR fntdir = gc->fntattrib.fntdir;
    const SINT dir = fntdir > 3 ? 3 : fntdir;
    const SINT px = gc->cp.px;
    const SINT py = gc->cp.py;
    const GL_COLOUR ink = gc->colour;
    const GL_COLOUR background = gr_PaletteColour(0);
    ERRORCODE result = GR_OK;
    for (SINT r = 0; r < h; ++r) {
        for (SINT c = 0; c < w; ++c) {
            const bool on = Ink(f, rec, c, r);
            if (!on && gc->transpflag) {
                continue;
            }
            gc->colour = on ? ink : background;
            for (SINT j = 0; j < zy; ++j) {
                const SINT across = r * zy + j; // along the glyph's rows
                for (SINT i = 0; i < zx; ++i) {
                    const SINT along = c * zx + i; // along the glyph's columns
                    switch (dir) {
                    case 2: // turned counter-clockwise: rows go left, columns up
                        PutGlyphPixel(gc, px - across, py - along, &result);
                        break;
                    case 3: // turned clockwise: rows go right, columns down
                        PutGlyphPixel(gc, px + across, py + along, &result);
                        break;
                    default:
                        PutGlyphPixel(gc, px + along, py - across, &result);
                        break;
                    }
                }
            }
        }
    }
    gc->colour = ink;
    SINT dx = 0;
    SINT dy = 0; // upward
    if (fntdir == 0 && gc->PrintDir != 0) {
        gf_ComputeNewCurPosInHorMode(gc->PrintDir, w, h, zx, zy, &dx, &dy);
    } else {
        switch (fntdir) {
        case 0:
            dx = zx * w;
            break;
        case 1:
            dy = -zy * h;
            break;
        case 2:
            dy = zx * w;
            break;
        case 3:
            dy = -zx * w;
            break;
        default:
            break;
        }
    }
    gc->cp.px = px + dx;
    gc->cp.py = py - dy;
    return result;
}

void gf_ComputeNewCurPosInHorMode(SINT dir, SINT w, SINT h, SINT zx, SINT zy, SINT* dx, SINT* dy)
{
    const double W = static_cast<double>(w) * zx;
    const double H = static_cast<double>(h) * zy;
    const double g = dir;
    const double D = std::atan(H / W) * kDegPerRad;
    const double D2 = std::atan(W / H) * kDegPerRad;
    auto tanDeg = [](double a) { return std::tan(a * kRadPerDeg); };
    const SINT iw = Rnd(W);
    const SINT ih = Rnd(H);
    if (g >= 0 && g < 90) {
        if (g >= D && g > 0) {
            *dx = Rnd(H / tanDeg(g));
            *dy = ih;
        } else {
            *dx = iw;
            *dy = Rnd(W * tanDeg(g));
        }
    } else if (g == 90) {
        *dx = 0;
        *dy = ih;
    } else if (g > 90 && g < 180) {
        if (g < 90 + D2) {
            *dx = -Rnd(H * tanDeg(g - 90));
            *dy = ih;
        } else {
            *dx = -iw;
            *dy = Rnd(W * tanDeg(180 - g));
        }
    } else if (g >= 180 && g < 270) {
        if (g >= 180 + D && g > 180) {
            *dx = -Rnd(H / tanDeg(g));
            *dy = -ih;
        } else {
            *dx = -iw;
            *dy = -Rnd(W * tanDeg(g));
        }
    } else if (g == 270) {
        *dx = 0;
        *dy = -ih;
    } else if (g > 270 && g < 360) {
        if (g < 270 + D2) {
            *dx = Rnd(H * tanDeg(g - 270));
            *dy = -ih;
        } else {
            *dx = iw;
            *dy = -Rnd(W * tanDeg(360 - g));
        }
    } else {
        *dx = 0;
        *dy = 0;
    }
}

ERRORCODE gr_PrintString(GR_CONTEXT* gc, const char* s)
{
    if (gc->fntattrib.Fptr == nullptr) {
        return GR_BAD_FONT_INDEX;
    }
    const UCHAR* u = reinterpret_cast<const UCHAR*>(s);
    const SINT n = static_cast<SINT>(std::strlen(s));
    const FONTATTRIB& fa = gc->fntattrib;
    ERRORCODE result = GR_OK;
    if (fa.fntdir == 0 && fa.zx == 1 && fa.zy == 1 && gc->PrintDir == 0) {
        for (SINT i = 0; i < n && !GR_IsHardError(result); ++i) {
            result = gf_PrintFastChar(gc, u[i]);
        }
    } else if (fa.fntdir == 0 && gc->PrintDir >= 90 && gc->PrintDir <= 269) {
        // The pen moves leftward: printing from the last character keeps
        // the upright text reading left to right.
        for (SINT i = n - 1; i >= 0 && !GR_IsHardError(result); --i) {
            result = gf_PrintChar(gc, u[i]);
        }
    } else {
        for (SINT i = 0; i < n && !GR_IsHardError(result); ++i) {
            result = gf_PrintChar(gc, u[i]);
        }
    }
    return result;
}

ERRORCODE gr_StringPixelDim(const GR_CONTEXT* gc, const char* s, PIXELDIM* out)
{
    if (gc->fntattrib.fntdir != 0 || gc->PrintDir != 0) {
        return GR_BAD_DIRECTION;
    }
    const FONT* f = gc->fntattrib.Fptr;
    if (f == nullptr) {
        return GR_BAD_FONT_INDEX;
    }
    out->pw = SumWidths(gc, f, reinterpret_cast<const UCHAR*>(s), static_cast<SINT>(std::strlen(s)));
    out->ph = gc->fntattrib.zy * f->PixHeight;
    return GR_OK;
}

SINT gr_GetPStrLen(const GR_CONTEXT* gc, const char* s, char kind)
{
    return gf_GetPStrLen(gc, gc->fntattrib.Fptr, s, kind);
}

SINT gf_GetPStrLen(const GR_CONTEXT* gc, const FONT* font, const char* s, char kind)
{
    const UCHAR* u = reinterpret_cast<const UCHAR*>(s);
    if (font == nullptr) {
        return -1;
    }
    switch (kind) {
    case 's':
    case 'S':
        return SumWidths(gc, font, u, static_cast<SINT>(std::strlen(s)));
    case 'l':
    case 'L':
        return SumWidths(gc, font, u + 1, u[0]);
    default:
        return -1;
    }
}
