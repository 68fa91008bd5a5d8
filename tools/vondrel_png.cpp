// vondrel-png: turns raw RGB565 pixels (a frame-buffer page, a capture) into
// a PNG picture for people to look at.
//
//   vondrel-png WIDTH HEIGHT INPUT OUTPUT.png [BYTE_OFFSET]
//
// The input holds little-endian pixels from BYTE_OFFSET on, top row first,
// rows WIDTH rounded up to even pixels apart (the layout of a BITMAP).
#include "graphics/g_buffers.h"
#include "graphics/g_png.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

bool parseNumber(const char* pcText, unsigned long ulMax, unsigned long& ulValue)
{
    char* pcEnd = nullptr;
    errno = 0;
    ulValue = strtoul(pcText, &pcEnd, 10);
    return errno == 0 && pcEnd != pcText && *pcEnd == '\0' && ulValue <= ulMax && pcText[0] != '-';
}

int usage()
{
    fprintf(stderr, "usage: vondrel-png WIDTH HEIGHT INPUT OUTPUT.png [BYTE_OFFSET]\n");
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    unsigned long width = 0, height = 0, offset = 0;
    if (argc < 5 || argc > 6 || !parseNumber(argv[1], 16384, width) || !parseNumber(argv[2], 16384, height) ||
        width == 0 || height == 0 || (argc == 6 && !parseNumber(argv[5], 1ul << 40, offset)))
        return usage();

    std::ifstream in(argv[3], std::ios::binary);
    if (!in) {
        fprintf(stderr, "vondrel-png: cannot read %s\n", argv[3]);
        return 2;
    }
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    BITMAP bitmap{};
    G_BUFFERS_pCreateBitmapHeader((U32)width, (U32)height, &bitmap);
    const size_t pixels = (size_t)bitmap.__u32PixelWidthOfBuffer * bitmap.__u32PixelHeightOfBuffer;
    // The last row needs only its own width, not the padding after it.
    const size_t needed = ((size_t)bitmap.__u32PixelWidthOfBuffer * (height - 1) + width) * 2;
    if (offset > bytes.size() || bytes.size() - offset < needed) {
        fprintf(stderr, "vondrel-png: %s holds %zu bytes, %lu x %lu pixels from offset %lu need %zu\n", argv[3],
                bytes.size(), width, height, offset, (size_t)offset + needed);
        return 2;
    }
    std::vector<U32> words((pixels + 1) / 2);
    COLOR* pPixels = reinterpret_cast<COLOR*>(words.data());
    for (size_t i = 0; i < needed / 2; ++i)
        pPixels[i] = (COLOR)(bytes[offset + 2 * i] | bytes[offset + 2 * i + 1] << 8);
    bitmap.pBuffer = words.data();

    if (!G_PNG_bWriteBitmap(&bitmap, argv[4])) {
        fprintf(stderr, "vondrel-png: cannot write %s\n", argv[4]);
        return 2;
    }
    return 0;
}
