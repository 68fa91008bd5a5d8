// The layout of ROOT/dev/fb0, the file that stands for the display
// controller's frame buffer, shared by the unit and by vondrel-view.
//
// Bytes 0 .. 3,839,999 are the frame-buffer memory exactly as a mapping of the
// device shows it: four 800 x 600 RGB565 pages one above the other, rows
// 1600 bytes apart, top row first, little-endian pixels; page i starts at
// i x 960,000 and is scanned out at y offset i x 600. Anything that reads the
// device from its start (a plain read of 960,000 bytes) gets page 0, as on
// the unit.
//
// The 64-byte header follows the pages, at FBFILE_HEADER_OFFSET; every field
// is little-endian:
//
//   offset size field
//    0     4    magic "VFB0"
//    4     2    layout version (1)
//    6     2    header size (64)
//    8     2    width in pixels (800)
//   10     2    height of one page in lines (600)
//   12     2    page count (4)
//   14     2    bits per pixel (16)
//   16     4    line length in bytes (1600)
//   20     4    page on display (y offset / height)
//   24     4    x offset of the scan-out
//   28     4    y offset of the scan-out (first line shown)
//   32     4    pan count (every accepted pan)
//   36     4    vertical-sync count (every completed vertical-sync wait)
//   40     1    colour-key type (0 off, 1 graphics destination, 2 video source)
//   41     1    colour-key output channel
//   42     2    reserved, 0
//   44     4    colour key (the transparent value)
//   48     4    colour-key background
//   52    12    reserved, 0
//
// A reader checks the magic, the version and the geometry before it trusts
// anything else; a reader never writes the file.
#pragma once

#include "kernel/l_types.h"

#include <cstring>

constexpr U32 FBFILE_WIDTH = 800;
constexpr U32 FBFILE_HEIGHT = 600;
constexpr U32 FBFILE_PAGES = 4;
constexpr U32 FBFILE_BITS_PER_PIXEL = 16;
constexpr U32 FBFILE_LINE_LENGTH = FBFILE_WIDTH * 2;
constexpr U32 FBFILE_PAGE_BYTES = FBFILE_LINE_LENGTH * FBFILE_HEIGHT;
constexpr U32 FBFILE_MEMORY_BYTES = FBFILE_PAGE_BYTES * FBFILE_PAGES;
constexpr U32 FBFILE_HEADER_OFFSET = FBFILE_MEMORY_BYTES;
constexpr U32 FBFILE_HEADER_BYTES = 64;
constexpr U32 FBFILE_FILE_BYTES = FBFILE_MEMORY_BYTES + FBFILE_HEADER_BYTES;
constexpr U16 FBFILE_VERSION = 1;

typedef struct tag_FBFILE_HEADER {
    U16 u16Width;
    U16 u16Height;
    U16 u16Pages;
    U16 u16BitsPerPixel;
    U32 u32LineLength;
    U32 u32PageOnDisplay;
    U32 u32XOffset;
    U32 u32YOffset;
    U32 u32PanCount;
    U32 u32VsyncCount;
    U8 u8KeyType;
    U8 u8KeyChannelOut;
    U32 u32Key;
    U32 u32KeyBackground;
} FBFILE_HEADER;

namespace fbfile_detail {

inline void put16(U8* p, U16 v)
{
    p[0] = (U8)v;
    p[1] = (U8)(v >> 8);
}
inline void put32(U8* p, U32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = (U8)(v >> (8 * i));
}
inline U16 get16(const U8* p) { return (U16)(p[0] | p[1] << 8); }
inline U32 get32(const U8* p) { return (U32)p[0] | (U32)p[1] << 8 | (U32)p[2] << 16 | (U32)p[3] << 24; }

} // namespace fbfile_detail

// The header of a device with nothing shown yet: page 0, no key, no counts.
inline FBFILE_HEADER FBFILE_xFreshHeader(void)
{
    FBFILE_HEADER h{};
    h.u16Width = FBFILE_WIDTH;
    h.u16Height = FBFILE_HEIGHT;
    h.u16Pages = FBFILE_PAGES;
    h.u16BitsPerPixel = FBFILE_BITS_PER_PIXEL;
    h.u32LineLength = FBFILE_LINE_LENGTH;
    return h;
}

inline void FBFILE_vEncodeHeader(const FBFILE_HEADER* pHeader, U8 (&au8Out)[FBFILE_HEADER_BYTES])
{
    using namespace fbfile_detail;
    memset(au8Out, 0, sizeof au8Out);
    memcpy(au8Out + 0, "VFB0", 4);
    put16(au8Out + 4, FBFILE_VERSION);
    put16(au8Out + 6, FBFILE_HEADER_BYTES);
    put16(au8Out + 8, pHeader->u16Width);
    put16(au8Out + 10, pHeader->u16Height);
    put16(au8Out + 12, pHeader->u16Pages);
    put16(au8Out + 14, pHeader->u16BitsPerPixel);
    put32(au8Out + 16, pHeader->u32LineLength);
    put32(au8Out + 20, pHeader->u32PageOnDisplay);
    put32(au8Out + 24, pHeader->u32XOffset);
    put32(au8Out + 28, pHeader->u32YOffset);
    put32(au8Out + 32, pHeader->u32PanCount);
    put32(au8Out + 36, pHeader->u32VsyncCount);
    au8Out[40] = pHeader->u8KeyType;
    au8Out[41] = pHeader->u8KeyChannelOut;
    put32(au8Out + 44, pHeader->u32Key);
    put32(au8Out + 48, pHeader->u32KeyBackground);
}

// FALSE unless the bytes are a header of this layout with the geometry above
// and a y offset that leaves a whole page inside the memory.
inline BOOLEAN FBFILE_bDecodeHeader(const U8* pu8In, size_t size, FBFILE_HEADER* pHeader)
{
    using namespace fbfile_detail;
    if (size < FBFILE_HEADER_BYTES || memcmp(pu8In, "VFB0", 4) != 0 || get16(pu8In + 4) != FBFILE_VERSION ||
        get16(pu8In + 6) != FBFILE_HEADER_BYTES)
        return FALSE;
    FBFILE_HEADER h{};
    h.u16Width = get16(pu8In + 8);
    h.u16Height = get16(pu8In + 10);
    h.u16Pages = get16(pu8In + 12);
    h.u16BitsPerPixel = get16(pu8In + 14);
    h.u32LineLength = get32(pu8In + 16);
    h.u32PageOnDisplay = get32(pu8In + 20);
    h.u32XOffset = get32(pu8In + 24);
    h.u32YOffset = get32(pu8In + 28);
    h.u32PanCount = get32(pu8In + 32);
    h.u32VsyncCount = get32(pu8In + 36);
    h.u8KeyType = pu8In[40];
    h.u8KeyChannelOut = pu8In[41];
    h.u32Key = get32(pu8In + 44);
    h.u32KeyBackground = get32(pu8In + 48);
    if (h.u16Width != FBFILE_WIDTH || h.u16Height != FBFILE_HEIGHT || h.u16Pages != FBFILE_PAGES ||
        h.u16BitsPerPixel != FBFILE_BITS_PER_PIXEL || h.u32LineLength != FBFILE_LINE_LENGTH ||
        h.u32YOffset > FBFILE_HEIGHT * (FBFILE_PAGES - 1) || h.u32XOffset != 0)
        return FALSE;
    *pHeader = h;
    return TRUE;
}
