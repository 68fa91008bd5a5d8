// Hexadecimal text. The reader is deliberately lenient (no validation):
// its callers have already framed the text.
#include "util/u_hex.h"

#include <cctype>

namespace {

char digit(U8 nibble)
{
    return (char)(nibble > 9 ? 'A' + nibble - 10 : '0' + nibble);
}

U8 value(char c)
{
    if (c <= '9')
        return (U8)(c - '0');
    return (U8)(toupper((unsigned char)c) - 55);
}

} // namespace

void U_HEX_v2ASCII(const U8* pIn, char* pOut, U32 u32Count)
{
    for (U32 i = 0; i < u32Count; ++i) {
        *pOut++ = digit((U8)(pIn[i] >> 4));
        *pOut++ = digit((U8)(pIn[i] & 0x0F));
    }
}

void U_HEX_v2Hex(const char* pIn, U8* pOut, U32 u32Count)
{
    for (U32 i = 0; i < u32Count; ++i) {
        pOut[i] = (U8)((value(pIn[0]) << 4) + value(pIn[1]));
        pIn += 2;
    }
}
