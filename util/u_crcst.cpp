// CRC-32 by words. The words are taken by value, so the result does not
// depend on the byte order they have in memory.
#include "util/u_crcst.h"

#include <array>

namespace {

constexpr std::array<U32, 256> makeTable()
{
    std::array<U32, 256> t{};
    for (U32 i = 0; i < 256; ++i) {
        U32 crc = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
        t[i] = crc;
    }
    return t;
}

constexpr std::array<U32, 256> s_au32CrcTable = makeTable();
static_assert(s_au32CrcTable[1] == 0x04C11DB7u);

} // namespace

U32 U_CRCST_u32Calc(U32 u32Crc, const U32* pWords, int nWords)
{
    for (int i = 0; i < nWords; ++i) {
        U32 w = pWords[i];
        for (int k = 0; k < 4; ++k)
            u32Crc = s_au32CrcTable[((u32Crc ^ (w << (8 * k))) >> 24) & 0xFF] ^ (u32Crc << 8);
    }
    return u32Crc;
}
