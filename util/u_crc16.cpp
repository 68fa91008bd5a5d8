// CRC-16, augmented form over 0x1021. The table entry i is i * x^16 modulo
// the polynomial, so one step shifts a whole byte through the register.
// Callers that want the standard CRC-16/XMODEM feed two zero bytes after
// the data (XMODEM does); the other users compare the raw register.
#include "util/u_crc16.h"

#include <array>

namespace {

constexpr std::array<U16, 256> makeTable()
{
    std::array<U16, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
        t[i] = (U16)crc;
    }
    return t;
}

constexpr std::array<U16, 256> s_CRCTab = makeTable();
static_assert(s_CRCTab[1] == 0x1021);

} // namespace

U16 U_CRC16_u16CrcByte(U8 u8Byte, U16 u16Crc)
{
    return (U16)(((u16Crc << 8) | u8Byte) ^ s_CRCTab[u16Crc >> 8]);
}

void U_CRC16_vCrc16(U16* pCrc, const U8* pData, U16 u16Count, BOOLEAN bInitCrcFlag)
{
    U16 crc = bInitCrcFlag ? 0 : *pCrc;
    for (U16 i = 0; i < u16Count; ++i)
        crc = U_CRC16_u16CrcByte(pData[i], crc);
    *pCrc = crc;
}

void U_CRC16_vCrcU16HighLow(U16* pCrc, const U16* pValue, BOOLEAN bInitCrcFlag)
{
    U16 crc = bInitCrcFlag ? 0 : *pCrc;
    crc = U_CRC16_u16CrcByte((U8)(*pValue >> 8), crc);
    crc = U_CRC16_u16CrcByte((U8)(*pValue & 0xFF), crc);
    *pCrc = crc;
}
