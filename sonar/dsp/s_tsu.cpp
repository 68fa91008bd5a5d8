// Stored display columns (see the header).
#include "sonar/dsp/s_tsu.h"

#include <cstring>

void S_TSU_vResetColumn(TSU_STORE_COLUMN* pTsuColumn)
{
    pTsuColumn->fDepthMetres = 0;
    pTsuColumn->u8SampleFactor = 1;
    pTsuColumn->fHeadingTrueDegrees = 0;
    pTsuColumn->u32SamplesInStore = 0;
    pTsuColumn->bNoiseTooHighForBlend = FALSE;
    pTsuColumn->Location.bPositionValid = FALSE;
    pTsuColumn->u32TimeStamp = 0;
    pTsuColumn->HeadingSource = HEADING_SOURCE_NO_DATA;
    pTsuColumn->u32PingIndex = 0;
    if (pTsuColumn->au8Data)
        memset(pTsuColumn->au8Data, 0, pTsuColumn->u32TSUDataLength);
}

void S_TSU_vCopyTsuColumn(TSU_STORE_COLUMN* DestColumn, const TSU_STORE_COLUMN* SrcColumn)
{
    if (DestColumn == SrcColumn)
        return;
    U8* const buffer = DestColumn->au8Data;
    const U32 room = DestColumn->u32TSUDataLength;
    *DestColumn = *SrcColumn;
    DestColumn->au8Data = buffer;
    // The destination takes the source's length, but never more than its
    // own buffer holds: a longer source must not write past it.
    const U32 bytes = SrcColumn->u32TSUDataLength < room ? SrcColumn->u32TSUDataLength : room;
    DestColumn->u32TSUDataLength = bytes;
    if (buffer && SrcColumn->au8Data && bytes)
        memcpy(buffer, SrcColumn->au8Data, bytes);
}
