// Nibble run-length codec (see u_rle_nibble.h).
//
// The decoder hands out one nibble per call, with no allocation: the icon
// drawer calls it once per pixel. The encoder mirrors the byte codec on
// nibbles with runs of at most 128, the most the two-nibble count holds.
#include "util/u_rle_nibble.h"

#include <array>

namespace {

constexpr int NIBBLE_MAX_RUN = 128;

U8 nibble_Read(NIBBLE_RLE_STATE* pState)
{
    if (pState->bHighNibble) {
        pState->bHighNibble = FALSE;
        return (U8)(*pState->pu8Data >> 4);
    }
    pState->bHighNibble = TRUE;
    return (U8)(*pState->pu8Data++ & 0x0F);
}

U8 nibble_At(const U8* pu8Bytes, int nIndex)
{
    const U8 u8Byte = pu8Bytes[nIndex / 2];
    return (U8)((nIndex & 1) == 0 ? u8Byte >> 4 : u8Byte & 0x0F);
}

// Writes the output nibble by nibble and counts them; stops accepting once
// the limit is reached, which the encoder turns into -1.
struct NibbleWriter {
    U8* pu8Out;
    int nWritten;
    int nLimit;

    bool put(U8 u8Value)
    {
        if (nWritten >= nLimit)
            return false;
        U8& u8Byte = pu8Out[nWritten / 2];
        if ((nWritten & 1) == 0)
            u8Byte = (U8)((u8Byte & 0x0F) | (u8Value << 4));
        else
            u8Byte = (U8)((u8Byte & 0xF0) | u8Value);
        ++nWritten;
        return nWritten < nLimit;
    }
};

} // namespace

void U_RLE_NIBBLE_vInit(NIBBLE_RLE_STATE* pState, const U8* pu8Data)
{
    pState->pu8Data = pu8Data;
    pState->u8Marker = (U8)(pu8Data[0] >> 4);
    pState->bHighNibble = FALSE;
    pState->u8Nibble = 0;
    pState->nRepeat = 0;
}

U8 U_RLE_NIBBLE_u8GetNext(NIBBLE_RLE_STATE* pState)
{
    if (pState->nRepeat > 0) {
        --pState->nRepeat;
        return pState->u8Nibble;
    }
    const U8 u8Value = nibble_Read(pState);
    pState->u8Nibble = u8Value;
    if (u8Value != pState->u8Marker)
        return u8Value;
    const U8 u8Count = nibble_Read(pState);
    pState->nRepeat = u8Count;
    if (u8Count >= 8)
        pState->nRepeat = (u8Count - 8) * 16 + nibble_Read(pState);
    if (pState->nRepeat <= 2) {
        pState->u8Nibble = pState->u8Marker;
        return pState->u8Marker;
    }
    pState->u8Nibble = nibble_Read(pState);
    return pState->u8Nibble;
}

void U_RLE_NIBBLE_vDecompress(U8* pu8Long, const U8* pu8Short, int nLength)
{
    if (nLength <= 0)
        return;
    NIBBLE_RLE_STATE state;
    U_RLE_NIBBLE_vInit(&state, pu8Short);
    for (int i = 0; i < nLength; ++i) {
        const U8 u8High = U_RLE_NIBBLE_u8GetNext(&state);
        pu8Long[i] = (U8)(u8High << 4 | U_RLE_NIBBLE_u8GetNext(&state));
    }
}

BOOLEAN U_RLE_NIBBLE_bVerify(const U8* pu8Long, const U8* pu8Short, int nLength)
{
    if (nLength <= 0)
        return TRUE;
    NIBBLE_RLE_STATE state;
    U_RLE_NIBBLE_vInit(&state, pu8Short);
    for (int i = 0; i < 2 * nLength; ++i)
        if (U_RLE_NIBBLE_u8GetNext(&state) != nibble_At(pu8Long, i))
            return FALSE;
    return TRUE;
}

int U_RLE_NIBBLE_nCompress(const U8* pu8Long, U8* pu8Short, int nLength)
{
    if (nLength <= 0) {
        pu8Short[0] = (U8)(pu8Short[0] & 0x0F);
        return 1;
    }
    const int nNibbles = 2 * nLength;
    std::array<int, 16> counts{};
    for (int i = 0; i < nNibbles; ++i)
        ++counts[nibble_At(pu8Long, i)];
    U8 u8Marker = 0;
    for (U8 v = 1; v < 16; ++v)
        if (counts[v] < counts[u8Marker])
            u8Marker = v;

    NibbleWriter out{pu8Short, 0, nNibbles};
    if (!out.put(u8Marker))
        return -1;
    int i = 0;
    while (i < nNibbles) {
        const U8 s = nibble_At(pu8Long, i);
        int n = 1;
        while (i + n < nNibbles && nibble_At(pu8Long, i + n) == s && n < NIBBLE_MAX_RUN)
            ++n;
        i += n;
        bool bRoom = true;
        if (n >= 4) {
            const int nCount = n - 1;
            bRoom = out.put(u8Marker);
            if (bRoom && n <= 8) {
                bRoom = out.put((U8)nCount);
            } else if (bRoom) {
                bRoom = out.put((U8)(8 + (nCount >> 4))) && out.put((U8)(nCount & 0x0F));
            }
            bRoom = bRoom && out.put(s);
        } else if (s == u8Marker) {
            bRoom = out.put(u8Marker) && out.put((U8)(n - 1));
        } else {
            for (int k = 0; k < n && bRoom; ++k)
                bRoom = out.put(s);
        }
        if (!bRoom)
            return -1;
    }
    return (out.nWritten + 1) / 2;
}
