// Creation and release of bitmaps (see g_buffers.h for ownership).
//
// A pixel buffer is allocated 7 bytes larger than its pixels and pBuffer is
// the allocation plus 7, rounded down to a multiple of 4: rows then start on
// 4-byte boundaries whatever the heap hands out, and at least 4 bytes lie in
// front of pBuffer. That word holds the distance back to the allocation, the
// only thing the release needs (an address would not fit it on a 64-bit host).
#include "graphics/g_buffers.h"

#include "kernel/h_memory.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr uintptr_t BUFFER_SLACK = 7;

U32 roundUpToEven(U32 u32Value) { return u32Value + (u32Value & 1u); }

void setFullScreenHeader(BITMAP* pBitmap)
{
    G_BUFFERS_pCreateBitmapHeader(G_BUFFERS_FULL_SCREEN_WIDTH, G_BUFFERS_FULL_SCREEN_HEIGHT, pBitmap);
}

BITMAP* allocateHeader(void)
{
    BITMAP* pBitmap = static_cast<BITMAP*>(H_MEMORY_pvMalloc(sizeof(BITMAP)));
    if (pBitmap != nullptr)
        memset(pBitmap, 0, sizeof *pBitmap);
    return pBitmap;
}

U32* allocateAligned(size_t sizeBytes)
{
    if (sizeBytes + BUFFER_SLACK > UINT32_MAX)
        return nullptr;
    U8* pu8Block = static_cast<U8*>(H_MEMORY_pvMalloc((U32)(sizeBytes + BUFFER_SLACK)));
    if (pu8Block == nullptr)
        return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(pu8Block);
    U8* pu8Pixels = pu8Block + (((start + BUFFER_SLACK) & ~uintptr_t{3}) - start);
    const U32 u32Distance = (U32)(pu8Pixels - pu8Block);
    memcpy(pu8Pixels - sizeof u32Distance, &u32Distance, sizeof u32Distance);
    return reinterpret_cast<U32*>(pu8Pixels);
}

} // namespace

BITMAP* G_BUFFERS_pCreateBitmapHeader(U32 u32Width, U32 u32Height, BITMAP* pBitmap)
{
    if (pBitmap == nullptr)
        pBitmap = allocateHeader();
    if (pBitmap == nullptr)
        return nullptr;
    pBitmap->pixels_wide = u32Width;
    pBitmap->pixels_high = u32Height;
    pBitmap->pixels_wide_full_screen = u32Width;
    pBitmap->pixels_high_full_screen = u32Height;
    pBitmap->s32ClipLeft = pBitmap->s32ClipLeft_full_screen = 0;
    pBitmap->s32ClipBottom = pBitmap->s32ClipBottom_full_screen = 0;
    pBitmap->s32ClipRight = pBitmap->s32ClipRight_full_screen = (S32)u32Width - 1;
    pBitmap->s32ClipTop = pBitmap->s32ClipTop_full_screen = (S32)u32Height - 1;
    pBitmap->__u32PixelWidthOfBuffer = roundUpToEven(u32Width);
    pBitmap->__u32PixelHeightOfBuffer = roundUpToEven(u32Height);
    return pBitmap;
}

U32* G_BUFFERS_pu32CreateBitmapBuffer(U32 u32Width, U32 u32Height)
{
    return allocateAligned((size_t)roundUpToEven(u32Width) * roundUpToEven(u32Height) * sizeof(COLOR));
}

void G_BUFFERS_vFreeBitmapBuffer(BITMAP* pBitmap)
{
    if (pBitmap->pBuffer == nullptr)
        return;
    U8* pu8Pixels = reinterpret_cast<U8*>(pBitmap->pBuffer);
    U32 u32Distance;
    memcpy(&u32Distance, pu8Pixels - sizeof u32Distance, sizeof u32Distance);
    H_MEMORY_vFree(pu8Pixels - u32Distance);
    pBitmap->pBuffer = nullptr;
}

BITMAP* G_BUFFERS_pCreateBitmap(U32 u32Width, U32 u32Height, BITMAP* pBitmap, const U32* pu32Buffer)
{
    pBitmap = G_BUFFERS_pCreateBitmapHeader(u32Width, u32Height, pBitmap);
    if (pBitmap == nullptr)
        return nullptr;
    pBitmap->pBuffer = pu32Buffer != nullptr ? const_cast<U32*>(pu32Buffer)
                                             : G_BUFFERS_pu32CreateBitmapBuffer(u32Width, u32Height);
    return pBitmap;
}

void G_BUFFERS_vFreeBitmap(BITMAP* pBitmap)
{
    if (pBitmap == nullptr)
        return;
    G_BUFFERS_vFreeBitmapBuffer(pBitmap);
    H_MEMORY_vFree(pBitmap);
}

BITMAP* G_BUFFERS_pCreateFullScreenBitmap(void)
{
    BITMAP* pBitmap = G_BUFFERS_pCreateFullScreenBitmapHeader();
    if (pBitmap != nullptr)
        pBitmap->pBuffer = G_BUFFERS_pu32CreateBitmapBuffer(G_BUFFERS_FULL_SCREEN_WIDTH, G_BUFFERS_FULL_SCREEN_HEIGHT);
    return pBitmap;
}

void G_BUFFERS_vFreeFullScreenBitmap(BITMAP* pBitmap) { G_BUFFERS_vFreeBitmap(pBitmap); }

BITMAP* G_BUFFERS_pCreateFullScreenBitmapHeader(void)
{
    BITMAP* pBitmap = allocateHeader();
    if (pBitmap != nullptr)
        setFullScreenHeader(pBitmap);
    return pBitmap;
}

void G_BUFFERS_vFreeFullScreenBitmapHeader(BITMAP* pBitmap)
{
    if (pBitmap != nullptr)
        H_MEMORY_vFree(pBitmap);
}
