// Base64. The decode table maps '=' to 64 and every character outside the
// alphabet to 65; the decoder masks the values to six bits, so unchecked
// input gives wrong bytes but never touches memory outside the buffers.
#include "util/base64.h"

#include <array>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char s_cBase64Chars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<U8, 256> makeDecode()
{
    std::array<U8, 256> t{};
    for (auto& v : t)
        v = 65;
    for (U8 i = 0; i < 64; ++i)
        t[(U8)s_cBase64Chars[i]] = i;
    t['='] = 64;
    return t;
}

constexpr std::array<U8, 256> s_u8Base64Decode = makeDecode();

} // namespace

char* BASE64_pcEncode(const U8* pData, int length)
{
    if (!pData || length <= 0)
        return nullptr;
    size_t outSize = ((size_t)length + 2) / 3 * 4 + 1;
    char* out = (char*)malloc(outSize);
    if (!out)
        return nullptr;
    char* p = out;
    for (int i = 0; i < length; i += 3) {
        int n = length - i < 3 ? length - i : 3;
        U32 group = (U32)pData[i] << 16;
        if (n > 1)
            group |= (U32)pData[i + 1] << 8;
        if (n > 2)
            group |= pData[i + 2];
        *p++ = s_cBase64Chars[(group >> 18) & 0x3F];
        *p++ = s_cBase64Chars[(group >> 12) & 0x3F];
        *p++ = n > 1 ? s_cBase64Chars[(group >> 6) & 0x3F] : '=';
        *p++ = n > 2 ? s_cBase64Chars[group & 0x3F] : '=';
    }
    *p = '\0';
    return out;
}

U8* BASE64_pu8Decode(const char* pText, int* pLength)
{
    if (pLength)
        *pLength = 0;
    if (!pText)
        return nullptr;
    size_t len = strlen(pText);
    size_t outSize = (len + 3) / 4 * 3;
    U8* out = (U8*)malloc(outSize ? outSize : 1);
    if (!out)
        return nullptr;
    size_t count = 0;
    for (size_t i = 0; i < len; i += 4) {
        // A short last group reads as if padded; characters past the
        // text's end are never read.
        char c[4];
        for (size_t k = 0; k < 4; ++k)
            c[k] = i + k < len ? pText[i + k] : '\0';
        U32 group = 0;
        for (size_t k = 0; k < 4; ++k)
            group = (group << 6) | (s_u8Base64Decode[(U8)c[k]] & 0x3F);
        out[count] = (U8)(group >> 16);
        out[count + 1] = (U8)(group >> 8);
        out[count + 2] = (U8)group;
        size_t n = 3;
        if (c[1] == '=' || c[1] == '\0')
            n = 0;
        else if (c[2] == '=' || c[2] == '\0')
            n = 1;
        else if (c[3] == '=' || c[3] == '\0')
            n = 2;
        count += n;
    }
    if (pLength)
        *pLength = (int)count;
    return out;
}

BOOLEAN BASE64_bIsBase64(const char* pText)
{
    if (!pText)
        return FALSE;
    size_t len = strlen(pText);
    if (len % 4 != 0)
        return FALSE;
    for (size_t i = 0; i < len; ++i) {
        U8 v = s_u8Base64Decode[(U8)pText[i]];
        if (v == 65)
            return FALSE;
        if (v == 64 && i + 3 < len)
            return FALSE;
    }
    return TRUE;
}
