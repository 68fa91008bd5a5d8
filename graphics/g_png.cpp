// Writes a BITMAP as a PNG picture (see g_png.h), through libpng's
// simplified interface, which reports errors without longjmp.
#include "graphics/g_png.h"

#include "graphics/g_pixel.h"
#include "kernel/lm_log.h"

#include <png.h>

#include <cstring>
#include <vector>

void G_PNG_vToRgb888(COLOR color, U8* pu8Rgb)
{
    const U32 r = (color >> 11) & 0x1F, g = (color >> 5) & 0x3F, b = color & 0x1F;
    pu8Rgb[0] = (U8)(r << 3 | r >> 2);
    pu8Rgb[1] = (U8)(g << 2 | g >> 4);
    pu8Rgb[2] = (U8)(b << 3 | b >> 2);
}

BOOLEAN G_PNG_bWriteBitmap(const BITMAP* pSrc, const char* pcPath)
{
    const U32 u32Width = pSrc->pixels_wide, u32Height = pSrc->pixels_high;
    if (pSrc->pBuffer == nullptr || u32Width == 0 || u32Height == 0) {
        log_me("PNG: no picture to write to %s", pcPath);
        return FALSE;
    }
    std::vector<U8> rgb((size_t)u32Width * u32Height * 3);
    U8* pu8Out = rgb.data();
    for (U32 row = 0; row < u32Height; ++row) {
        const COLOR* pRow = G_PIXEL_pcolLogical(pSrc, 0, (PIXEL)(u32Height - 1 - row));
        for (U32 x = 0; x < u32Width; ++x, pu8Out += 3)
            G_PNG_vToRgb888(pRow[x], pu8Out);
    }

    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = u32Width;
    image.height = u32Height;
    image.format = PNG_FORMAT_RGB;
    if (png_image_write_to_file(&image, pcPath, 0, rgb.data(), 0, nullptr) == 0) {
        log_me("PNG: cannot write %s: %s", pcPath, image.message);
        png_image_free(&image);
        return FALSE;
    }
    return TRUE;
}
