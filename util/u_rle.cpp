// Byte run-length codec (see u_rle.h).
//
// The encoder counts the input once to pick the marker and walks it once
// more to write runs; runs are cut at 32768 bytes, the most the two-byte
// count holds. Short runs of ordinary bytes stay literal, where a token
// would cost as much; short runs of the marker must be tokens, since a
// literal marker byte would read as the start of one.
#include "util/u_rle.h"

#include <array>

namespace {

constexpr unsigned int RLE_MAX_RUN = 32768;

unsigned char rle_Marker(const unsigned char* in, unsigned int insize)
{
    std::array<unsigned int, 256> counts{};
    for (unsigned int i = 0; i < insize; ++i)
        ++counts[in[i]];
    unsigned int best = 0;
    for (unsigned int v = 1; v < 256; ++v)
        if (counts[v] < counts[best])
            best = v;
    return (unsigned char)best;
}

// A run of n >= 4 equal bytes s.
unsigned char* _RLE_WriteRep(unsigned char* out, unsigned char marker, unsigned char s, unsigned int n)
{
    const unsigned int count = n - 1;
    *out++ = marker;
    if (count < 128) {
        *out++ = (unsigned char)count;
    } else {
        *out++ = (unsigned char)(0x80 | (count >> 8));
        *out++ = (unsigned char)(count & 0xFF);
    }
    *out++ = s;
    return out;
}

// A run of n <= 3 equal bytes s.
unsigned char* _RLE_WriteNonRep(unsigned char* out, unsigned char marker, unsigned char s, unsigned int n)
{
    if (s == marker) {
        *out++ = marker;
        *out++ = (unsigned char)(n - 1);
        return out;
    }
    for (unsigned int i = 0; i < n; ++i)
        *out++ = s;
    return out;
}

} // namespace

int U_RLE_Compress(unsigned char* in, unsigned char* out, unsigned int insize)
{
    if (insize == 0)
        return 0;
    const unsigned char marker = rle_Marker(in, insize);
    unsigned char* const start = out;
    *out++ = marker;
    unsigned int i = 0;
    while (i < insize) {
        const unsigned char s = in[i];
        unsigned int n = 1;
        while (i + n < insize && in[i + n] == s && n < RLE_MAX_RUN)
            ++n;
        out = n >= 4 ? _RLE_WriteRep(out, marker, s, n) : _RLE_WriteNonRep(out, marker, s, n);
        i += n;
    }
    return (int)(out - start);
}

void U_RLE_Uncompress(unsigned char* in, unsigned char* out, unsigned int insize)
{
    if (insize == 0)
        return;
    const unsigned char marker = in[0];
    unsigned int i = 1;
    while (i < insize) {
        const unsigned char b = in[i++];
        if (b != marker) {
            *out++ = b;
            continue;
        }
        if (i >= insize)
            return;
        unsigned int count = in[i++];
        if (count <= 2) {
            for (unsigned int k = 0; k <= count; ++k)
                *out++ = marker;
            continue;
        }
        if ((count & 0x80) != 0) {
            if (i >= insize)
                return;
            count = ((count & 0x7F) << 8) + in[i++];
        }
        if (i >= insize)
            return;
        const unsigned char s = in[i++];
        for (unsigned int k = 0; k <= count; ++k)
            *out++ = s;
    }
}
