// Byte and nibble run-length codecs: the stream forms byte for byte, the
// marker choice, the nibble decoder's repeats, and random round trips.
#include "util/u_rle.h"
#include "util/u_rle_nibble.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes compress(Bytes in)
{
    Bytes out(in.size() + in.size() / 256 + 1, 0xEE);
    const int n = U_RLE_Compress(in.data(), out.data(), (unsigned)in.size());
    out.resize(n);
    return out;
}

// The decoded bytes; a write past the expected size shows as a longer result.
Bytes uncompress(Bytes in, size_t size)
{
    Bytes out(size + 8, 0xEE);
    U_RLE_Uncompress(in.data(), out.data(), (unsigned)in.size());
    while (out.size() > size && out.back() == 0xEE)
        out.pop_back();
    return out;
}

Bytes repeat(size_t n, unsigned char v) { return Bytes(n, v); }

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Input with every byte value present once except those listed, so the
// marker is the smallest absent value.
Bytes allValuesBut(std::initializer_list<unsigned char> absent)
{
    Bytes b;
    for (int v = 0; v < 256; ++v)
        if (std::find(absent.begin(), absent.end(), v) == absent.end())
            b.push_back((unsigned char)v);
    return b;
}

TEST(ByteRle, StreamFormsOfRunsAndMarkers)
{
    struct Case {
        const char* what;
        Bytes in;
        Bytes out;
    };
    const Bytes lead = allValuesBut({0x07}); // marker 0x07 for the cases using it
    const Case cases[] = {
        {"five equal bytes, marker 00", repeat(5, 0x41), {0x00, 0x00, 0x04, 0x41}},
        {"three equal bytes stay literal", {0x41, 0x41, 0x41}, {0x00, 0x41, 0x41, 0x41}},
        {"run of 200 takes the two-byte count", repeat(200, 0x41), {0x00, 0x00, 0x80, 0xC7, 0x41}},
        {"run of 32768 is one token", repeat(32768, 0x41), {0x00, 0x00, 0xFF, 0xFF, 0x41}},
        {"run of 32769 is cut", repeat(32769, 0x41), {0x00, 0x00, 0xFF, 0xFF, 0x41, 0x41}},
        {"empty input", {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(compress(c.in), c.out) << c.what;
        EXPECT_EQ(uncompress(c.out, c.in.size()), c.in) << c.what;
    }

    // The rarest value is the marker; runs of it are tokens however short.
    Bytes in;
    for (int k = 0; k < 11; ++k)
        in = concat({in, lead});
    in = concat({in, {0x07, 0x07, 0x07, 0x41, 0x07, 0x41}, repeat(6, 0x07)});
    const Bytes out = compress(in);
    ASSERT_EQ(out[0], 0x07);
    const Bytes tail(out.end() - 9, out.end());
    EXPECT_EQ(tail, (Bytes{0x07, 0x02, 0x41, 0x07, 0x00, 0x41, 0x07, 0x05, 0x07}));
    EXPECT_EQ(uncompress(out, in.size()), in);
}

TEST(ByteRle, WorstCaseStaysWithinTheStatedOutputSize)
{
    // Every value equally often, no runs: each marker byte costs two.
    Bytes in;
    for (int k = 0; k < 4; ++k)
        for (int v = 0; v < 256; ++v)
            in.push_back((unsigned char)v);
    const Bytes out = compress(in);
    EXPECT_EQ(out.size(), in.size() + in.size() / 256 + 1);
    EXPECT_EQ(out[0], 0x00);
}

TEST(ByteRle, TruncatedStreamStopsWithoutWritingPastTheDecodedData)
{
    const Bytes cut = {0x00, 0x41, 0x00, 0x80};
    Bytes out(8, 0xEE);
    U_RLE_Uncompress(const_cast<unsigned char*>(cut.data()), out.data(), (unsigned)cut.size());
    EXPECT_EQ(out, (Bytes{0x41, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
}

TEST(ByteRle, RandomRoundTrips)
{
    std::mt19937 rng(124);
    for (int round = 0; round < 300; ++round) {
        Bytes in;
        const size_t size = rng() % 3000;
        const int alphabet = 1 + (int)(rng() % 256);
        while (in.size() < size) {
            const unsigned char v = (unsigned char)(rng() % alphabet);
            const size_t run = rng() % 4 == 0 ? rng() % 700 : 1 + rng() % 3;
            in.insert(in.end(), std::min(run, size - in.size()), v);
        }
        Bytes out(in.size() + in.size() / 256 + 1 + 16, 0xEE);
        const int n = U_RLE_Compress(in.data(), out.data(), (unsigned)in.size());
        ASSERT_LE(n, (int)(in.size() + in.size() / 256 + 1));
        for (size_t k = (size_t)n; k < out.size(); ++k)
            ASSERT_EQ(out[k], 0xEE) << "written past the stream";
        Bytes back(in.size() + 16, 0xEE);
        U_RLE_Uncompress(out.data(), back.data(), (unsigned)n);
        ASSERT_EQ(Bytes(back.begin(), back.begin() + (long)in.size()), in) << "round " << round;
        for (size_t k = in.size(); k < back.size(); ++k)
            ASSERT_EQ(back[k], 0xEE);
    }
}

// Nibble codec ---------------------------------------------------------------

Bytes nibblesToBytes(std::initializer_list<int> nibbles, unsigned char fill = 0)
{
    Bytes b((nibbles.size() + 1) / 2, fill);
    size_t i = 0;
    for (int n : nibbles) {
        unsigned char& byte = b[i / 2];
        byte = (i % 2 == 0) ? (unsigned char)((byte & 0x0F) | n << 4) : (unsigned char)((byte & 0xF0) | n);
        ++i;
    }
    return b;
}

std::vector<int> decodeNibbles(const Bytes& stream, size_t count)
{
    NIBBLE_RLE_STATE state;
    U_RLE_NIBBLE_vInit(&state, stream.data());
    std::vector<int> out;
    for (size_t i = 0; i < count; ++i)
        out.push_back(U_RLE_NIBBLE_u8GetNext(&state));
    return out;
}

TEST(NibbleRle, EncodesRunsWithTheRarestNibbleAsMarker)
{
    // Ten 3s: marker 0, marker, extended count 9, value.
    const Bytes tenThrees = {0x33, 0x33, 0x33, 0x33, 0x33};
    Bytes out(5, 0xAA);
    EXPECT_EQ(U_RLE_NIBBLE_nCompress(tenThrees.data(), out.data(), 5), 3);
    EXPECT_EQ(out, (Bytes{0x00, 0x89, 0x3A, 0xAA, 0xAA})) << "the spare low nibble keeps the old value";

    // Every value equally often (four each, in runs): marker 0, and the
    // run of marker nibbles is a token like any other run.
    Bytes all;
    for (int v = 0; v < 16; ++v)
        all.insert(all.end(), 2, (unsigned char)(v << 4 | v));
    Bytes packed(all.size(), 0);
    EXPECT_EQ(U_RLE_NIBBLE_nCompress(all.data(), packed.data(), (int)all.size()), 25);
    EXPECT_EQ(Bytes(packed.begin(), packed.begin() + 4), (Bytes{0x00, 0x30, 0x03, 0x10}))
        << "marker 0; then M 3 0, M 3 1";
    EXPECT_TRUE(U_RLE_NIBBLE_bVerify(all.data(), packed.data(), (int)all.size()));

    // A run of five: marker, count 4, value.
    const Bytes five = nibblesToBytes({1, 2, 1, 2, 1, 2, 7, 7, 7, 7, 7, 2, 1, 2, 1, 2, 1, 2, 1, 2});
    Bytes small(five.size(), 0);
    ASSERT_GT(U_RLE_NIBBLE_nCompress(five.data(), small.data(), (int)five.size()), 0);
    EXPECT_EQ(decodeNibbles(small, 20), (std::vector<int>{1, 2, 1, 2, 1, 2, 7, 7, 7, 7, 7, 2, 1, 2, 1, 2, 1, 2, 1, 2}));
}

TEST(NibbleRle, IncompressibleAndEmptyInputs)
{
    const Bytes noRuns = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
    Bytes out(noRuns.size(), 0);
    EXPECT_EQ(U_RLE_NIBBLE_nCompress(noRuns.data(), out.data(), (int)noRuns.size()), -1);

    Bytes one = {0xA7};
    EXPECT_EQ(U_RLE_NIBBLE_nCompress(noRuns.data(), one.data(), 0), 1);
    EXPECT_EQ(one[0], 0x07) << "only the marker nibble 0 is written";
}

TEST(NibbleRle, DecoderReturnsTheMarkerForShortMarkerRunsAndRepeatsValues)
{
    struct Case {
        const char* what;
        Bytes stream;
        std::vector<int> nibbles;
    };
    const Case cases[] = {
        {"M, 2 gives three markers", nibblesToBytes({5, 5, 2, 9}), {5, 5, 5, 9}},
        {"M, 0 gives one marker", nibblesToBytes({5, 1, 5, 0, 2}), {1, 5, 2}},
        {"short count with value", nibblesToBytes({0, 0, 6, 4, 3}), {4, 4, 4, 4, 4, 4, 4, 3}},
        {"long count 8 + 0x1F = 127 ", nibblesToBytes({0, 0, 15, 15, 2, 1}),
         [] {
             std::vector<int> v(128, 2);
             v.push_back(1);
             return v;
         }()},
        {"long count for a marker run of three", nibblesToBytes({0, 0, 8, 2, 4}), {0, 0, 0, 4}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(decodeNibbles(c.stream, c.nibbles.size()), c.nibbles) << c.what;
}

TEST(NibbleRle, VerifyFindsTheFirstDifference)
{
    const Bytes data = {0x33, 0x33, 0x33, 0x33, 0x31};
    Bytes packed(data.size(), 0);
    ASSERT_GT(U_RLE_NIBBLE_nCompress(data.data(), packed.data(), (int)data.size()), 0);
    EXPECT_TRUE(U_RLE_NIBBLE_bVerify(data.data(), packed.data(), (int)data.size()));
    Bytes other = data;
    other[4] = 0x32;
    EXPECT_FALSE(U_RLE_NIBBLE_bVerify(other.data(), packed.data(), (int)data.size()));
}

TEST(NibbleRle, RandomRoundTrips)
{
    std::mt19937 rng(3106);
    int compressed = 0;
    for (int round = 0; round < 500; ++round) {
        const size_t nibbles = 2 * (1 + rng() % 800);
        const int alphabet = 1 + (int)(rng() % 16);
        std::vector<int> values;
        while (values.size() < nibbles) {
            const int v = (int)(rng() % alphabet);
            const size_t run = rng() % 3 == 0 ? rng() % 300 : 1 + rng() % 3;
            values.insert(values.end(), std::min(run, nibbles - values.size()), v);
        }
        Bytes in(nibbles / 2);
        for (size_t i = 0; i < nibbles; ++i)
            in[i / 2] |= (unsigned char)(i % 2 == 0 ? values[i] << 4 : values[i]);

        Bytes out(in.size() + 4, 0xEE);
        const int n = U_RLE_NIBBLE_nCompress(in.data(), out.data(), (int)in.size());
        for (size_t k = in.size(); k < out.size(); ++k)
            ASSERT_EQ(out[k], 0xEE) << "written past nLength bytes";
        if (n < 0)
            continue;
        ++compressed;
        ASSERT_LT(n, (int)in.size());
        Bytes back(in.size() + 1, 0xEE);
        U_RLE_NIBBLE_vDecompress(back.data(), out.data(), (int)in.size());
        ASSERT_EQ(Bytes(back.begin(), back.end() - 1), in) << "round " << round;
        ASSERT_EQ(back.back(), 0xEE);
        ASSERT_TRUE(U_RLE_NIBBLE_bVerify(in.data(), out.data(), (int)in.size()));
    }
    EXPECT_GT(compressed, 100);
}

} // namespace
