// Arithmetic shared by the software parts of the 3D pipeline (projection,
// rasteriser, line strips); not for use outside render3d/.
//
// Sums and plain products wrap around in their width, as they do on the
// unit's processor, instead of being undefined. Products that are shifted
// back at once are formed in 128 bits, so their shifted value is exact.
#pragma once

#include "render3d/ts_display.h"

namespace ts_internal {

constexpr S64 kOne32 = S64(1) << 32; // 2^32: 1.0 / w in 16.16 is kOne32 / w

constexpr S64 add64(S64 a, S64 b) { return static_cast<S64>(static_cast<U64>(a) + static_cast<U64>(b)); }
constexpr S64 sub64(S64 a, S64 b) { return static_cast<S64>(static_cast<U64>(a) - static_cast<U64>(b)); }
constexpr S64 mul64(S64 a, S64 b) { return static_cast<S64>(static_cast<U64>(a) * static_cast<U64>(b)); }
constexpr S32 add32(S32 a, S32 b) { return static_cast<S32>(static_cast<U32>(a) + static_cast<U32>(b)); }
constexpr S32 sub32(S32 a, S32 b) { return static_cast<S32>(static_cast<U32>(a) - static_cast<U32>(b)); }
constexpr S32 mul32(S32 a, S32 b) { return static_cast<S32>(static_cast<U32>(a) * static_cast<U32>(b)); }
constexpr S32 low32(S64 a) { return static_cast<S32>(static_cast<U64>(a)); }

// (a x b) >> shift, exact.
constexpr S64 mulShift(S64 a, S64 b, int shift)
{
    return static_cast<S64>((static_cast<__int128>(a) * static_cast<__int128>(b)) >> shift);
}

// A signed 64-bit quotient; the callers guarantee a nonzero divisor.
constexpr S64 div64(S64 num, S64 den)
{
    if (den == -1) {
        return sub64(0, num); // keeps INT64_MIN / -1 defined
    }
    return num / den;
}

// (num << 16) / den in 128 bits, truncated to 64: the 16.16 ratio of two
// differences that may be too wide to shift in 64 bits.
constexpr S64 ratio16(S64 num, S64 den)
{
    return static_cast<S64>((static_cast<__int128>(num) * 65536) / den);
}

struct Transformed {
    S64 x, y, z, w;
};

// The row vector (x, y, z, 1) times Combine.
inline Transformed transform(const tsMatrix& m, S32 x, S32 y, S32 z)
{
    S64 r[4];
    for (int j = 0; j < 4; ++j) {
        S64 sum = mul64(x, m.m[0][j]);
        sum = add64(sum, mul64(y, m.m[1][j]));
        sum = add64(sum, mul64(z, m.m[2][j]));
        r[j] = add64(sum >> 16, m.m[3][j]);
    }
    return {r[0], r[1], r[2], r[3]};
}

inline S32 outcode(const Transformed& r)
{
    const S64 negW = sub64(0, r.w);
    S32 code = 0;
    if (r.y < negW) {
        code |= TS_CLIP_BOTTOM;
    } else if (r.y > r.w) {
        code |= TS_CLIP_TOP;
    }
    if (r.x < negW) {
        code |= TS_CLIP_LEFT;
    } else if (r.x > r.w) {
        code |= TS_CLIP_RIGHT;
    }
    if (r.z < 0) {
        code |= TS_CLIP_NEAR;
    } else if (r.z > r.w) {
        code |= TS_CLIP_FAR;
    }
    return code;
}

} // namespace ts_internal
