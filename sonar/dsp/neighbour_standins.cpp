// Neighbouring services that the signal code needs (see the header).
#include "sonar/dsp/neighbour_standins.h"

#include "kernel/l_root.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

constexpr U32 DEFAULT_BUFFER_BYTES = 16384;

// Refills the buffer from the stream's position; FALSE when nothing came.
BOOLEAN bFill(BUFFERED_IO_CONTROL* h)
{
    h->lHeldFrom = ftell(h->pFile);
    if (h->lHeldFrom < 0) {
        h->u32Held = h->u32Next = 0;
        return FALSE;
    }
    h->u32Held = (U32)fread(h->pu8Buffer, 1, h->u32BufferLength, h->pFile);
    h->u32Next = 0;
    return h->u32Held > 0;
}

} // namespace

BUFFERED_IO_CONTROL* U_MMC_psBufferedOpen(const char* pcPath, const char* pcMode, U8* pu8Buffer,
                                          U32 u32BufferLength)
{
    if (!pcPath || !pcMode || (strcmp(pcMode, "r") != 0 && strcmp(pcMode, "rb") != 0))
        return nullptr;
    char acPath[4096];
    FILE* f = fopen(L_ROOT_pcResolve(pcPath, acPath, sizeof acPath), "rb");
    if (!f)
        return nullptr;
    BUFFERED_IO_CONTROL* h = (BUFFERED_IO_CONTROL*)calloc(1, sizeof *h);
    const U32 length = u32BufferLength ? u32BufferLength : DEFAULT_BUFFER_BYTES;
    U8* buffer = pu8Buffer ? pu8Buffer : (U8*)malloc(length);
    if (!h || !buffer) {
        free(h);
        if (!pu8Buffer)
            free(buffer);
        fclose(f);
        return nullptr;
    }
    h->pFile = f;
    h->pu8Buffer = buffer;
    h->u32BufferLength = length;
    h->bOwnBuffer = pu8Buffer == nullptr;
    return h;
}

int U_MMC_nBufferedRead(void* pvDestination, U32 u32Bytes, BUFFERED_IO_CONTROL* psHandle)
{
    if (!psHandle || !pvDestination)
        return 0;
    U8* out = (U8*)pvDestination;
    U32 done = 0;
    while (done < u32Bytes) {
        if (psHandle->u32Next == psHandle->u32Held && !bFill(psHandle))
            break;
        U32 n = psHandle->u32Held - psHandle->u32Next;
        if (n > u32Bytes - done)
            n = u32Bytes - done;
        memcpy(out + done, psHandle->pu8Buffer + psHandle->u32Next, n);
        psHandle->u32Next += n;
        done += n;
    }
    return done > (U32)INT_MAX ? INT_MAX : (int)done;
}

int U_MMC_nBufferedSeek(BUFFERED_IO_CONTROL* psHandle, long lOffset, int nOrigin)
{
    if (!psHandle)
        return -1;
    long target;
    if (nOrigin == SEEK_SET) {
        target = lOffset;
    } else if (nOrigin == SEEK_CUR) {
        const long now = U_MMC_nBufferedTell(psHandle);
        if (now < 0)
            return -1;
        target = now + lOffset;
    } else if (nOrigin == SEEK_END) {
        if (fseek(psHandle->pFile, 0, SEEK_END) != 0)
            return -1;
        psHandle->u32Held = psHandle->u32Next = 0;
        target = ftell(psHandle->pFile) + lOffset;
    } else {
        return -1;
    }
    if (target < 0)
        return -1;
    if (psHandle->u32Held && target >= psHandle->lHeldFrom &&
        target <= psHandle->lHeldFrom + (long)psHandle->u32Held) {
        psHandle->u32Next = (U32)(target - psHandle->lHeldFrom);
        return 0;
    }
    psHandle->u32Held = psHandle->u32Next = 0;
    return fseek(psHandle->pFile, target, SEEK_SET) == 0 ? 0 : -1;
}

long U_MMC_nBufferedTell(BUFFERED_IO_CONTROL* psHandle)
{
    if (!psHandle)
        return -1;
    const long now = ftell(psHandle->pFile);
    if (now < 0)
        return -1;
    return now - (long)(psHandle->u32Held - psHandle->u32Next);
}

int U_MMC_nBufferedClose(BUFFERED_IO_CONTROL* psHandle)
{
    if (!psHandle)
        return 0;
    const int result = fclose(psHandle->pFile);
    if (psHandle->bOwnBuffer)
        free(psHandle->pu8Buffer);
    free(psHandle);
    return result;
}
