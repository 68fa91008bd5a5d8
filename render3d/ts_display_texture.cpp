// Terrain textures: the 512 x 512 RGB565 texture of a terrain tile fused
// from its height and shade maps through a (height, shade) colour table,
// with the aerial photo on land where there is one; plus 2x box
// down-scaling, mip-map chains and conversions between 24-bit and RGB565.
//
// Blends use the spread form of a pixel, (p | p << 16) & 0x07E0F81F, in
// which each channel has at least five free bits above it: four spread
// pixels add, or one multiplies by up to 32, without carries between
// channels, so one multiply scales all three channels. The height and shade
// maps are stored bottom-up with respect to the texture. No operation
// allocates or fails; all buffers are the caller's.
#include "render3d/ts_display.h"

namespace {

constexpr S32 kSize = TS_TILE_TEXTURE_SIZE;
constexpr U32 kSpreadMask = 0x07E0F81Fu;

constexpr U32 spread(U16 p) { return (U32(p) | U32(p) << 16) & kSpreadMask; }
constexpr U16 fold(U32 v)
{
    v &= kSpreadMask;
    return static_cast<U16>(v | v >> 16);
}
// Each channel times k / 32.
constexpr U16 scale(U16 p, U32 k) { return fold((spread(p) * k) >> 5); }

// The blend factor of a photo pixel on land, 2 to 31.
constexpr U32 photoFactor(U8 shade) { return (shade + 16u > 255u ? 255u : shade + 16u) >> 3; }
// The blend factor of a shaded pixel, 4 to 32.
constexpr U32 shadeFactor(U8 shade) { return (shade + 33u > 256u ? 256u : shade + 33u) >> 3; }

constexpr U16 pack24(const U8* rgb) { return static_cast<U16>((rgb[0] >> 3) << 11 | (rgb[1] >> 2) << 5 | rgb[2] >> 3); }

void downScale24(U16* dst, S32 width, S32 height, const U8* pixels, bool flip)
{
    const S32 stepX = width / kSize;
    const S32 stepY = height / kSize;
    for (S32 y = 0; y < kSize; ++y) {
        U16* out = dst + static_cast<size_t>(flip ? kSize - 1 - y : y) * kSize;
        const U8* row = pixels + static_cast<size_t>(y) * stepY * width * 3;
        for (S32 x = 0; x < kSize; ++x) {
            out[x] = pack24(row + static_cast<size_t>(x) * stepX * 3);
        }
    }
}

} // namespace

void tsDisplay_FuseShadeHeight(U16* dst, const U8* shadeMap, const U8* heightMap, const U16* colorMap)
{
    for (S32 y = 0; y < kSize; ++y) {
        const size_t mapRow = static_cast<size_t>(kSize - 1 - y) * kSize;
        const U8* h = heightMap + mapRow;
        const U8* s = shadeMap + mapRow;
        U16* out = dst + static_cast<size_t>(y) * kSize;
        for (S32 x = 0; x < kSize; ++x) {
            out[x] = colorMap[h[x] * 256 + s[x]];
        }
    }
}

void tsDisplay_FusePhotoShadeHeight(U16* dst, const U16* photoMap, const U8* shadeMap, const U8* heightMap,
                                    const U16* colorMap, BOOLEAN enlarge)
{
    // Enlarged, a 256 x 256 photo covers the texture: each photo pixel
    // serves two columns and two rows.
    const S32 shift = enlarge ? 1 : 0;
    const S32 photoWidth = kSize >> shift;
    for (S32 y = 0; y < kSize; ++y) {
        const size_t mapRow = static_cast<size_t>(kSize - 1 - y) * kSize;
        const U8* h = heightMap + mapRow;
        const U8* s = shadeMap + mapRow;
        const U16* photo = photoMap + static_cast<size_t>(y >> shift) * photoWidth;
        U16* out = dst + static_cast<size_t>(y) * kSize;
        for (S32 x = 0; x < kSize; ++x) {
            // Both candidates are formed and one is kept: water and land
            // alternate too irregularly for a branch to be predicted.
            const U8 height = h[x];
            const U16 mapped = colorMap[height * 256 + s[x]];
            const U16 photoPixel = scale(photo[x >> shift], photoFactor(s[x]));
            const U16 land = static_cast<U16>(-static_cast<S32>(height > 128));
            out[x] = static_cast<U16>((mapped & ~land) | (photoPixel & land));
        }
    }
}

void tsDisplay_Shade(U16* land, const U8* shade)
{
    // The shade map has twice the resolution: every second column of every
    // second row.
    constexpr S32 kLand = kSize / 2;
    for (S32 y = 0; y < kLand; ++y) {
        const U8* s = shade + static_cast<size_t>(2 * y) * kSize;
        U16* row = land + static_cast<size_t>(y) * kLand;
        for (S32 x = 0; x < kLand; ++x) {
            row[x] = scale(row[x], shadeFactor(s[2 * x]));
        }
    }
}

void tsDisplay_DownScale(U16* dst, S32 width, S32 height, const U16* pixels)
{
    const S32 w = width / 2;
    const S32 h = height / 2;
    if (w <= 0 || h <= 0) {
        return;
    }
    // Rows and columns of odd-sized edges are not averaged: the last output
    // column copies its block's top-left pixel and the last output row
    // averages only the top pair.
    for (S32 r = 0; r < h; ++r) {
        const U16* top = pixels + static_cast<size_t>(2 * r) * width;
        const U16* below = top + width;
        const bool lastRow = r == h - 1;
        U16* out = dst + static_cast<size_t>(r) * w;
        for (S32 c = 0; c < w - 1; ++c) {
            U32 sum = spread(top[2 * c]) + spread(top[2 * c + 1]);
            if (lastRow) {
                out[c] = fold(sum >> 1);
            } else {
                sum += spread(below[2 * c]) + spread(below[2 * c + 1]);
                out[c] = fold(sum >> 2);
            }
        }
        out[w - 1] = top[2 * (w - 1)];
    }
}

void tsDisplay_CreateMipMap(U16* dst, S32 width, S32 height, const U16* pixels, S32 levels)
{
    (void)pixels; // the base level is already in dst
    U16* level = dst;
    for (S32 i = 0; i < levels && width >= 2 && height >= 2; ++i) {
        U16* next = level + static_cast<size_t>(width) * height;
        tsDisplay_DownScale(next, width, height, level);
        level = next;
        width /= 2;
        height /= 2;
    }
}

void tsDisplay_DownScale24(U16* dst, S32 width, S32 height, const U8* pixels) { downScale24(dst, width, height, pixels, false); }

void tsDisplay_FlipDownScale24(U16* final, S32 width, S32 height, const U8* pixels)
{
    downScale24(final, width, height, pixels, true);
}

void tsDisplay_UpScale24(U8* dst, S32 width, S32 height, const U16* pixels)
{
    const size_t count = width > 0 && height > 0 ? static_cast<size_t>(width) * height : 0;
    for (size_t i = 0; i < count; ++i) {
        const U16 p = pixels[i];
        dst[3 * i] = static_cast<U8>((p >> 8) & 0xF8);
        dst[3 * i + 1] = static_cast<U8>((p >> 3) & 0xFC);
        dst[3 * i + 2] = static_cast<U8>((p << 3) & 0xF8);
    }
}
