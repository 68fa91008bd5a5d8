// Palette bitmaps and arcs.
//
// Every bitmap pixel is clip-tested on its own; the context colour is set
// from the palette per pixel and restored when the bitmap is done. Arcs use
// the 200-step sine and cosine tables (1.8 degrees a step) instead of
// trigonometric calls, and draw through gf_DrawAbsLine so that a patterned
// or brush arc comes out in the context's line style.
#include "chart_sdk/graphics/gr_bitmap.h"

#include "chart_sdk/graphics/gr_context.h"
#include "chart_sdk/graphics/gr_line.h"
#include "chart_sdk/graphics/gr_pixel.h"

#include <cmath>

const UCHAR IconColors[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

const DOUBLE gl_cos[GR_ARC_STEPS] = {
    1.000000, 0.999507, 0.998027, 0.995562, 0.992115, 0.987688, 0.982287, 0.975917,
    0.968583, 0.960294, 0.951057, 0.940881, 0.929776, 0.917755, 0.904827, 0.891007,
    0.876307, 0.860742, 0.844328, 0.827081, 0.809017, 0.790155, 0.770513, 0.750111,
    0.728969, 0.707107, 0.684547, 0.661312, 0.637424, 0.612907, 0.587785, 0.562083,
    0.535827, 0.509041, 0.481754, 0.453990, 0.425779, 0.397148, 0.368125, 0.338738,
    0.309017, 0.278991, 0.248690, 0.218143, 0.187381, 0.156434, 0.125333, 0.094108,
    0.062791, 0.031411, 0.000000, -0.031411, -0.062791, -0.094108, -0.125333, -0.156434,
    -0.187381, -0.218143, -0.248690, -0.278991, -0.309017, -0.338738, -0.368125, -0.397148,
    -0.425779, -0.453990, -0.481754, -0.509041, -0.535827, -0.562083, -0.587785, -0.612907,
    -0.637424, -0.661312, -0.684547, -0.707107, -0.728969, -0.750111, -0.770513, -0.790155,
    -0.809017, -0.827081, -0.844328, -0.860742, -0.876307, -0.891007, -0.904827, -0.917755,
    -0.929776, -0.940881, -0.951057, -0.960294, -0.968583, -0.975917, -0.982287, -0.987688,
    -0.992115, -0.995562, -0.998027, -0.999507, -1.000000, -0.999507, -0.998027, -0.995562,
    -0.992115, -0.987688, -0.982287, -0.975917, -0.968583, -0.960294, -0.951057, -0.940881,
    -0.929776, -0.917755, -0.904827, -0.891007, -0.876307, -0.860742, -0.844328, -0.827081,
    -0.809017, -0.790155, -0.770513, -0.750111, -0.728969, -0.707107, -0.684547, -0.661312,
    -0.637424, -0.612907, -0.587785, -0.562083, -0.535827, -0.509041, -0.481754, -0.453990,
    -0.425779, -0.397148, -0.368125, -0.338738, -0.309017, -0.278991, -0.248690, -0.218143,
    -0.187381, -0.156434, -0.125333, -0.094108, -0.062791, -0.031411, 0.000000, 0.031411,
    0.062791, 0.094108, 0.125333, 0.156434, 0.187381, 0.218143, 0.248690, 0.278991,
    0.309017, 0.338738, 0.368125, 0.397148, 0.425779, 0.453990, 0.481754, 0.509041,
    0.535827, 0.562083, 0.587785, 0.612907, 0.637424, 0.661312, 0.684547, 0.707107,
    0.728969, 0.750111, 0.770513, 0.790155, 0.809017, 0.827081, 0.844328, 0.860742,
    0.876307, 0.891007, 0.904827, 0.917755, 0.929776, 0.940881, 0.951057, 0.960294,
    0.968583, 0.975917, 0.982287, 0.987688, 0.992115, 0.995562, 0.998027, 0.999507,
};

const DOUBLE gl_sin[GR_ARC_STEPS] = {
    0.000000, 0.031411, 0.062791, 0.094108, 0.125333, 0.156434, 0.187381, 0.218143,
    0.248690, 0.278991, 0.309017, 0.338738, 0.368125, 0.397148, 0.425779, 0.453990,
    0.481754, 0.509041, 0.535827, 0.562083, 0.587785, 0.612907, 0.637424, 0.661312,
    0.684547, 0.707107, 0.728969, 0.750111, 0.770513, 0.790155, 0.809017, 0.827081,
    0.844328, 0.860742, 0.876307, 0.891007, 0.904827, 0.917755, 0.929776, 0.940881,
    0.951057, 0.960294, 0.968583, 0.975917, 0.982287, 0.987688, 0.992115, 0.995562,
    0.998027, 0.999507, 1.000000, 0.999507, 0.998027, 0.995562, 0.992115, 0.987688,
    0.982287, 0.975917, 0.968583, 0.960294, 0.951057, 0.940881, 0.929776, 0.917755,
    0.904827, 0.891007, 0.876307, 0.860742, 0.844328, 0.827081, 0.809017, 0.790155,
    0.770513, 0.750111, 0.728969, 0.707107, 0.684547, 0.661312, 0.637424, 0.612907,
    0.587785, 0.562083, 0.535827, 0.509041, 0.481754, 0.453990, 0.425779, 0.397148,
    0.368125, 0.338738, 0.309017, 0.278991, 0.248690, 0.218143, 0.187381, 0.156434,
    0.125333, 0.094108, 0.062791, 0.031411, 0.000000, -0.031411, -0.062791, -0.094108,
    -0.125333, -0.156434, -0.187381, -0.218143, -0.248690, -0.278991, -0.309017, -0.338738,
    -0.368125, -0.397148, -0.425779, -0.453990, -0.481754, -0.509041, -0.535827, -0.562083,
    -0.587785, -0.612907, -0.637424, -0.661312, -0.684547, -0.707107, -0.728969, -0.750111,
    -0.770513, -0.790155, -0.809017, -0.827081, -0.844328, -0.860742, -0.876307, -0.891007,
    -0.904827, -0.917755, -0.929776, -0.940881, -0.951057, -0.960294, -0.968583, -0.975917,
    -0.982287, -0.987688, -0.992115, -0.995562, -0.998027, -0.999507, -1.000000, -0.999507,
    -0.998027, -0.995562, -0.992115, -0.987688, -0.982287, -0.975917, -0.968583, -0.960294,
    -0.951057, -0.940881, -0.929776, -0.917755, -0.904827, -0.891007, -0.876307, -0.860742,
    -0.844328, -0.827081, -0.809017, -0.790155, -0.770513, -0.750111, -0.728969, -0.707107,
    -0.684547, -0.661312, -0.637424, -0.612907, -0.587785, -0.562083, -0.535827, -0.509041,
    -0.481754, -0.453990, -0.425779, -0.397148, -0.368125, -0.338738, -0.309017, -0.278991,
    -0.248690, -0.218143, -0.187381, -0.156434, -0.125333, -0.094108, -0.062791, -0.031411,
};

namespace {

struct Step {
    SINT x;
    SINT r;
};

// Where bitmap columns and rows run for each direction.
constexpr Step kColumnStep[4] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
constexpr Step kRowStep[4] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};

const UCHAR* BitmapData(const GR_CONTEXT* gc, SINT n, const BITMAP_TABLE** table)
{
    if (gc->bmpattrib.type >= GR_BITMAP_SLOTS) {
        return nullptr;
    }
    *table = &BitmapInfo[gc->bmpattrib.type];
    if ((*table)->ptr == nullptr || n < 0) {
        return nullptr;
    }
    return (*table)->ptr + static_cast<ptrdiff_t>(n) * (*table)->size;
}

inline UCHAR BitmapPixel(const UCHAR* data, SINT rowsize, SINT c, SINT r)
{
    const UCHAR b = data[static_cast<ptrdiff_t>(r) * rowsize + c / 2];
    return (c & 1) ? (b & 0x0F) : (b >> 4);
}

inline bool Transparent(const GR_CONTEXT* gc, UCHAR v)
{
    return gc->transpflag && v == gc->bmpattrib.transpcolour;
}

// Rounds half away from zero.
inline SINT RoundAway(double v)
{
    return static_cast<SINT>(v >= 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5));
}

// A table index from an angle: trunc(angle x steps-per-radian + bias) mod 200.
SINT ArcIndex(double angle, double bias)
{
    constexpr double kStepsPerRadian = 31.830989161357202;
    double v = std::trunc(angle * kStepsPerRadian + bias - (angle < 0 ? 1.0 : 0.0));
    v = std::fmod(v, static_cast<double>(GR_ARC_STEPS));
    if (!(v == v)) {
        return 0;
    }
    SINT i = static_cast<SINT>(v);
    return i < 0 ? i + GR_ARC_STEPS : i;
}

} // namespace

ERRORCODE gr_PrintBitmapWithType(GR_CONTEXT* gc, BMAPTYPE slot, SINT n)
{
    if (slot >= GR_BITMAP_SLOTS) {
        return GR_BAD_TABLE_SLOT;
    }
    const BITMAP_TABLE& table = BitmapInfo[slot];
    gc->bmpattrib.type = slot;
    gc->bmpattrib.index = static_cast<BMAPTABLENDX>(n);
    gc->bmpattrib.ptr = (table.ptr && n >= 0) ? table.ptr + static_cast<ptrdiff_t>(n) * table.size : nullptr;
    if (gc->bmpattrib.bmpdir == 0 && gc->bmpattrib.zx == 1 && gc->bmpattrib.zy == 1) {
        return gf_PrintFastBitmap(gc, n);
    }
    return gf_PrintBitmap(gc, n);
}

ERRORCODE gf_PrintFastBitmap(GR_CONTEXT* gc, SINT n)
{
    const BITMAP_TABLE* table = nullptr;
    const UCHAR* data = BitmapData(gc, n, &table);
    if (data == nullptr) {
        return GR_OK;
    }
    const GL_COLOUR saved = gc->colour;
    ERRORCODE result = GR_OK;
    const SINT px = gc->cp.px;
    const SINT py = gc->cp.py;
    for (SINT r = 0; r < table->height; ++r) {
        for (SINT c = 0; c < table->width; ++c) {
            const UCHAR v = BitmapPixel(data, table->rowsize, c, r);
            if (Transparent(gc, v)) {
                continue;
            }
            if (!gr_InClip(gc, px + c, py - r)) {
                result = GR_OUT_OF_CLIP;
                continue;
            }
            gc->colour = gr_PaletteColour(IconColors[v]);
            gf_PutPixel(gc, px + c, py - r);
        }
    }
    gc->colour = saved;
    return result;
}

ERRORCODE gf_PrintBitmap(GR_CONTEXT* gc, SINT n)
{
    const BITMAP_TABLE* table = nullptr;
    const UCHAR* data = BitmapData(gc, n, &table);
    const SINT zx = gc->bmpattrib.zx;
    const SINT zy = gc->bmpattrib.zy;
    if (data == nullptr || zx == 0 || zy == 0) {
        return GR_OK;
    }
    const Step cs = kColumnStep[gc->bmpattrib.bmpdir & 3];
    const Step rs = kRowStep[gc->bmpattrib.bmpdir & 3];
    const GL_COLOUR saved = gc->colour;
    ERRORCODE result = GR_OK;
    for (SINT r = 0; r < table->height; ++r) {
        for (SINT c = 0; c < table->width; ++c) {
            const UCHAR v = BitmapPixel(data, table->rowsize, c, r);
            if (Transparent(gc, v)) {
                continue;
            }
            gc->colour = gr_PaletteColour(IconColors[v]);
            for (SINT j = 0; j < zy; ++j) {
                for (SINT i = 0; i < zx; ++i) {
                    const SINT along = c * zx + i;
                    const SINT across = r * zy + j;
                    const SINT x = gc->cp.px + cs.x * along + rs.x * across;
                    const SINT y = gc->cp.py + cs.r * along + rs.r * across;
                    if (!gr_InClip(gc, x, y)) {
                        result = GR_OUT_OF_CLIP;
                        continue;
                    }
                    gf_PutPixel(gc, x, y);
                }
            }
        }
    }
    gc->colour = saved;
    return result;
}

ERRORCODE gr_DrawArc(GR_CONTEXT* gc, SINT dx, SINT dy, DOUBLE start, DOUBLE end, SINT radius)
{
    if (radius < 1) {
        return GR_OK;
    }
    gr_ResetPattern(gc);
    const SINT first = ArcIndex(start, 0.5);
    const SINT bound = ArcIndex(end, 1.5);
    const SINT cx = gc->cp.px + dx;
    const SINT cr = gc->cp.py - dy;
    auto point = [&](SINT i) {
        return PIXELPOS{cx + RoundAway(gl_cos[i] * radius), cr - RoundAway(gl_sin[i] * radius)};
    };
    ERRORCODE result = GR_OK;
    SINT prev = first;
    for (SINT i = (first + 1) % GR_ARC_STEPS; i != bound; i = (i + 1) % GR_ARC_STEPS) {
        const PIXELPOS from = point(prev);
        const PIXELPOS to = point(i);
        gc->cp = from;
        result = gf_DrawAbsLine(gc, to.px, to.py);
        if (GR_IsHardError(result)) {
            return result;
        }
        prev = i;
    }
    // Lines leave their end pixel out: the arc's last point is written here.
    const PIXELPOS last = point(prev);
    if (gr_InClip(gc, last.px, last.py)) {
        gf_PutPixel(gc, last.px, last.py);
    } else {
        result = GR_OUT_OF_CLIP;
    }
    gc->cp = last;
    return result;
}
