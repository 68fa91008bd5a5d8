// CRC-16 in its augmented form over 0x1021: the check values peers and
// files depend on, and agreement with independent bit-by-bit forms over
// random data.
#include "util/u_crc16.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

// Bit-serial shift register: message bits enter at the low end, the
// polynomial is applied when a one leaves at the top.
U16 augmentedBitwise(const std::vector<U8>& data)
{
    U16 reg = 0;
    for (U8 byte : data) {
        for (int bit = 7; bit >= 0; --bit) {
            bool top = reg & 0x8000;
            reg = (U16)((reg << 1) | ((byte >> bit) & 1));
            if (top)
                reg ^= 0x1021;
        }
    }
    return reg;
}

// CRC-16/XMODEM the usual direct way: poly 0x1021, init 0, MSB first.
U16 xmodemBitwise(const std::vector<U8>& data)
{
    U16 crc = 0;
    for (U8 byte : data) {
        crc ^= (U16)(byte << 8);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 0x8000) ? (U16)((crc << 1) ^ 0x1021) : (U16)(crc << 1);
    }
    return crc;
}

U16 crc16Of(const std::vector<U8>& data, bool withTwoZeros)
{
    U16 crc = 0x5555; // ignored: the init flag is set
    U_CRC16_vCrc16(&crc, data.data(), (U16)data.size(), TRUE);
    if (withTwoZeros) {
        crc = U_CRC16_u16CrcByte(0, crc);
        crc = U_CRC16_u16CrcByte(0, crc);
    }
    return crc;
}

std::vector<U8> bytes(const char* text)
{
    return std::vector<U8>(text, text + strlen(text));
}

TEST(Crc16, CheckValues)
{
    EXPECT_EQ(crc16Of(bytes("123456789"), true), 0x31C3);
    EXPECT_EQ(crc16Of(bytes("abc"), false), 0x1EE4);
    EXPECT_EQ(crc16Of(bytes("abc"), true), 0x9DD6);
}

TEST(Crc16, AgreesWithBitwiseFormsOverRandomData)
{
    std::mt19937 rng(1234);
    for (size_t len : {0u, 1u, 2u, 3u, 17u, 128u, 1024u, 4000u}) {
        std::vector<U8> data(len);
        for (auto& b : data)
            b = (U8)rng();
        SCOPED_TRACE(len);
        EXPECT_EQ(crc16Of(data, false), augmentedBitwise(data));
        EXPECT_EQ(crc16Of(data, true), xmodemBitwise(data));
    }
}

TEST(Crc16, InitFlagChoosesBetweenContinuingAndRestarting)
{
    std::vector<U8> all = bytes("the quick brown fox");
    U16 whole = crc16Of(all, false);

    U16 crc = 0;
    U_CRC16_vCrc16(&crc, all.data(), 7, TRUE);
    U_CRC16_vCrc16(&crc, all.data() + 7, (U16)(all.size() - 7), FALSE);
    EXPECT_EQ(crc, whole);

    crc = 0xBEEF;
    U_CRC16_vCrc16(&crc, all.data(), (U16)all.size(), TRUE);
    EXPECT_EQ(crc, whole);
}

TEST(Crc16, SixteenBitValueIsFedHighByteFirst)
{
    U16 value = 0x6162; // "ab"
    U16 crc = 0x1234;
    U_CRC16_vCrcU16HighLow(&crc, &value, TRUE);
    EXPECT_EQ(crc, crc16Of(bytes("ab"), false));

    U16 cont = crc16Of(bytes("ab"), false);
    U16 more = 0x6300; // 'c', then a zero byte
    U_CRC16_vCrcU16HighLow(&cont, &more, FALSE);
    EXPECT_EQ(cont, U_CRC16_u16CrcByte(0, crc16Of(bytes("abc"), false)));
}

} // namespace
