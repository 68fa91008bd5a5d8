// Stored display columns of the history screens ("total screen update"):
// each column keeps the samples it was drawn from, with the ping's depth,
// place, heading and time, so that a screen can be redrawn at another scale.
// A column's sample buffer belongs to the column's holder.
#pragma once

#include "kernel/l_types.h"
#include "sonar/dsp/s_types.h"

typedef enum tag_HEADING_SOURCE : int {
    HEADING_SOURCE_NO_DATA = 0,
    HEADING_SOURCE_GPS = 1,
    HEADING_SOURCE_COMPASS = 2
} HEADING_SOURCE;

typedef struct tag_TSU_STORE_COLUMN {
    U8 u8SampleFactor;      // samples per stored sample
    U32 u32SamplesInStore;  // samples stored in au8Data
    U8* au8Data;            // the column's sample buffer
    SONAR_PING_LOCATION Location;
    float fDepthMetres;
    U32 u32SmoothedDepthInSamples;
    BOOLEAN bNoiseTooHighForBlend;
    U32 u32TimeStamp; // ms
    U32 u32TSUDataLength; // bytes at au8Data
    HEADING_SOURCE HeadingSource;
    float fHeadingTrueDegrees;
    U32 u32PingIndex;
} TSU_STORE_COLUMN;

constexpr U32 TSU_STORE_COLUMNS = 820;

// The column store of a history window, a ring of display columns.
typedef struct tag_FULL_SCREEN_TSU {
    U32 u32NextFreeColumn; // the store index written next
    U32 u32ColumnsInUse;
    TSU_STORE_COLUMN aTsuStore[TSU_STORE_COLUMNS];
} FULL_SCREEN_TSU;

// Empties a column: no samples, factor 1, no depth, heading, place or time,
// and the whole buffer zeroed. The position values, the smoothed depth and
// the buffer with its length stay.
void S_TSU_vResetColumn(TSU_STORE_COLUMN* pTsuColumn);
// Copies every field of the source but the buffer pointer (the destination
// keeps its own buffer), then the source's u32TSUDataLength samples into the
// destination's buffer; a destination buffer shorter than that takes what
// fits and keeps its own length.
void S_TSU_vCopyTsuColumn(TSU_STORE_COLUMN* DestColumn, const TSU_STORE_COLUMN* SrcColumn);
