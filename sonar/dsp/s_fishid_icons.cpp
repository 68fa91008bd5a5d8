// The fish symbols (see the header), painted and run-length coded at
// compile time.
//
// Every symbol is one drawing at its own size: an elliptical body with a
// darker back and a lighter belly, a forked tail, a gill line and an eye,
// outlined in black. Painting at each size (rather than scaling one
// picture) keeps the outline one pixel wide on the small symbols. The
// coder writes the nibble run-length form that the icon drawer reads
// (util/u_rle_nibble.h): the least frequent index as the marker, runs of
// four or more as marker, count, value.
#include "sonar/dsp/s_fishid_icons.h"

#include <array>
#include <cstddef>

namespace {

constexpr U8 CLEAR = 15; // the transparent index
constexpr const U8& s_u8Clear = CLEAR;

struct FISH_COLOURS {
    U8 u8Outline, u8Back, u8Body, u8Belly, u8Eye;
};

// Icon section entries: 0 black, 2 and 3 greys, 4 white, 6 orange, 7 light
// orange, 8 pale yellow, 12 steel blue, 14 light blue.
constexpr FISH_COLOURS LOW_BEAM_FISH = {0, 6, 7, 8, 0};
constexpr FISH_COLOURS HIGH_BEAM_FISH = {0, 2, 3, 4, 0};
constexpr FISH_COLOURS SIDE_BEAM_FISH = {0, 12, 14, 4, 0};

constexpr double square(double v) { return v * v; }
constexpr double absolute(double v) { return v < 0 ? -v : v; }

// A fish from the side, head at column 0, L x H pixels, rows top first.
template <int L, int H>
constexpr std::array<U8, L * H> sideView(const FISH_COLOURS& c)
{
    const double bodyLength = L * 0.74;
    const double cx = bodyLength / 2.0, cy = H / 2.0;
    const double a = bodyLength / 2.0, b = H / 2.0 * 0.86;
    const double tailRoot = bodyLength - L * 0.1;
    const double tailRootHalf = H * 0.1;
    const double forkFrom = L - L * 0.09;

    std::array<bool, L * H> inside{};
    std::array<bool, L * H> tail{};
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < L; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const bool bBody = square((px - cx) / a) + square((py - cy) / b) <= 1.0;
            bool bTail = false;
            if (px >= tailRoot) {
                const double t = (px - tailRoot) / (L - tailRoot);
                const double half = tailRootHalf + t * (H / 2.0 - tailRootHalf);
                const double notch = px > forkFrom ? (px - forkFrom) / (L - forkFrom) * H * 0.22 : -1.0;
                bTail = absolute(py - cy) <= half && absolute(py - cy) > notch;
            }
            inside[y * L + x] = bBody || bTail;
            tail[y * L + x] = bTail && !bBody;
        }

    const double ex = bodyLength * 0.2, ey = cy - b * 0.28;
    const double eyeRadius = H < 16 ? 1.1 : H / 11.0;
    const double gillX = bodyLength * 0.36;
    std::array<U8, L * H> px{};
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < L; ++x) {
            U8& p = px[y * L + x];
            if (!inside[y * L + x]) {
                p = CLEAR;
                continue;
            }
            const auto in = [&](int xx, int yy) {
                return xx >= 0 && xx < L && yy >= 0 && yy < H && inside[yy * L + xx];
            };
            const double fx = x + 0.5, fy = y + 0.5;
            const double gill = gillX - bodyLength * 0.08 * square((fy - cy) / b);
            if (!in(x - 1, y) || !in(x + 1, y) || !in(x, y - 1) || !in(x, y + 1))
                p = c.u8Outline;
            else if (square(fx - ex) + square(fy - ey) <= square(eyeRadius))
                p = c.u8Eye;
            else if (!tail[y * L + x] && absolute(fx - gill) < 0.5 && absolute(fy - cy) < b * 0.7)
                p = c.u8Outline;
            else if (tail[y * L + x] || fy < cy - b * 0.15)
                p = c.u8Back;
            else if (fy > cy + b * 0.4)
                p = c.u8Belly;
            else
                p = c.u8Body;
        }
    return px;
}

template <int L, int H>
constexpr std::array<U8, L * H> facingRight(const std::array<U8, L * H>& left)
{
    std::array<U8, L * H> px{};
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < L; ++x)
            px[y * L + x] = left[y * L + (L - 1 - x)];
    return px;
}

// W across and H long, head up.
template <int W, int H>
constexpr std::array<U8, W * H> upright(const FISH_COLOURS& c)
{
    const std::array<U8, H * W> side = sideView<H, W>(c);
    std::array<U8, W * H> px{};
    for (int r = 0; r < H; ++r)
        for (int col = 0; col < W; ++col)
            px[r * W + col] = side[col * H + r];
    return px;
}

// The nibble run-length coder; room for twice the nibbles of the input,
// more than the least frequent marker can ever need.
template <std::size_t N>
struct RLE_STREAM {
    std::array<U8, N> au8Bytes{};
    std::size_t nNibbles = 0;
    constexpr void put(U8 v)
    {
        U8& byte = au8Bytes[nNibbles / 2];
        byte = nNibbles % 2 == 0 ? (U8)((byte & 0x0F) | (v << 4)) : (U8)((byte & 0xF0) | v);
        ++nNibbles;
    }
    constexpr std::size_t bytes() const { return (nNibbles + 1) / 2; }
};

constexpr std::size_t MAX_RUN = 128;

template <std::size_t N>
constexpr RLE_STREAM<N> encode(const std::array<U8, N>& px)
{
    std::array<std::size_t, 16> counts{};
    for (U8 v : px)
        ++counts[v & 0x0F];
    U8 marker = 0;
    for (U8 v = 1; v < 16; ++v)
        if (counts[v] < counts[marker])
            marker = v;
    RLE_STREAM<N> s;
    s.put(marker);
    std::size_t i = 0;
    while (i < N) {
        const U8 v = px[i];
        std::size_t n = 1;
        while (i + n < N && px[i + n] == v && n < MAX_RUN)
            ++n;
        i += n;
        if (n >= 4) {
            const std::size_t count = n - 1;
            s.put(marker);
            if (count < 8) {
                s.put((U8)count);
            } else {
                s.put((U8)(8 + (count >> 4)));
                s.put((U8)(count & 0x0F));
            }
            s.put(v);
        } else if (v == marker) {
            s.put(marker);
            s.put((U8)(n - 1));
        } else {
            for (std::size_t k = 0; k < n; ++k)
                s.put(v);
        }
    }
    return s;
}

template <std::size_t BYTES, std::size_t N>
constexpr std::array<U8, BYTES> trimmed(const RLE_STREAM<N>& s)
{
    std::array<U8, BYTES> out{};
    for (std::size_t i = 0; i < BYTES; ++i)
        out[i] = s.au8Bytes[i];
    return out;
}

#define FISH_RLE(name, pixels)                                                                                        \
    constexpr auto name##_stream = encode(pixels);                                                                  \
    constexpr auto name##_data = trimmed<name##_stream.bytes()>(name##_stream)

FISH_RLE(SmfishClr, (sideView<32, 18>(LOW_BEAM_FISH)));
FISH_RLE(MedfishClr, (sideView<42, 20>(LOW_BEAM_FISH)));
FISH_RLE(LrgfishClr, (sideView<44, 23>(LOW_BEAM_FISH)));
FISH_RLE(Smfish, (sideView<32, 18>(HIGH_BEAM_FISH)));
FISH_RLE(Medfish, (sideView<42, 20>(HIGH_BEAM_FISH)));
FISH_RLE(Lrgfish, (sideView<44, 23>(HIGH_BEAM_FISH)));
FISH_RLE(fish_scl, (sideView<22, 14>(SIDE_BEAM_FISH)));
FISH_RLE(fish_mcl, (sideView<28, 16>(SIDE_BEAM_FISH)));
FISH_RLE(fish_lcl, (sideView<32, 18>(SIDE_BEAM_FISH)));
FISH_RLE(fish_scr, (facingRight<22, 14>(sideView<22, 14>(SIDE_BEAM_FISH))));
FISH_RLE(fish_mcr, (facingRight<28, 16>(sideView<28, 16>(SIDE_BEAM_FISH))));
FISH_RLE(fish_lcr, (facingRight<32, 18>(sideView<32, 18>(SIDE_BEAM_FISH))));
FISH_RLE(VertFishS, (upright<16, 32>(SIDE_BEAM_FISH)));
FISH_RLE(VertFishM, (upright<20, 40>(SIDE_BEAM_FISH)));
FISH_RLE(VertFishL, (upright<24, 52>(SIDE_BEAM_FISH)));

#undef FISH_RLE

constexpr ICON icon(const U8* pu8Stream, S32 nWidth, S32 nHeight)
{
    return ICON{pu8Stream, &s_u8Clear, nWidth, nHeight, ICON_RLE_TRANSPARENT_COLOR};
}

} // namespace

constexpr ICON SmfishClr_icon = icon(SmfishClr_data.data(), 32, 18);
constexpr ICON MedfishClr_icon = icon(MedfishClr_data.data(), 42, 20);
constexpr ICON LrgfishClr_icon = icon(LrgfishClr_data.data(), 44, 23);
constexpr ICON Smfish_icon = icon(Smfish_data.data(), 32, 18);
constexpr ICON Medfish_icon = icon(Medfish_data.data(), 42, 20);
constexpr ICON Lrgfish_icon = icon(Lrgfish_data.data(), 44, 23);
constexpr ICON fish_scl_icon = icon(fish_scl_data.data(), 22, 14);
constexpr ICON fish_mcl_icon = icon(fish_mcl_data.data(), 28, 16);
constexpr ICON fish_lcl_icon = icon(fish_lcl_data.data(), 32, 18);
constexpr ICON fish_scr_icon = icon(fish_scr_data.data(), 22, 14);
constexpr ICON fish_mcr_icon = icon(fish_mcr_data.data(), 28, 16);
constexpr ICON fish_lcr_icon = icon(fish_lcr_data.data(), 32, 18);
constexpr ICON VertFishS_icon = icon(VertFishS_data.data(), 16, 32);
constexpr ICON VertFishM_icon = icon(VertFishM_data.data(), 20, 40);
constexpr ICON VertFishL_icon = icon(VertFishL_data.data(), 24, 52);

constexpr ICON FishIconsHorizontal[FISH_ICON_BEAMS][FISH_ICON_SIZES] = {
    {SmfishClr_icon, MedfishClr_icon, LrgfishClr_icon},
    {Smfish_icon, Medfish_icon, Lrgfish_icon},
    {fish_scl_icon, fish_mcl_icon, fish_lcl_icon},
    {fish_scr_icon, fish_mcr_icon, fish_lcr_icon}};

constexpr ICON FishIconsVertical[FISH_ICON_BEAMS][FISH_ICON_SIZES] = {
    {SmfishClr_icon, MedfishClr_icon, LrgfishClr_icon},
    {Smfish_icon, Medfish_icon, Lrgfish_icon},
    {VertFishS_icon, VertFishM_icon, VertFishL_icon},
    {VertFishS_icon, VertFishM_icon, VertFishL_icon}};
