// Sample filters of the processing and history tasks: the two-of-two
// ping-to-ping filter, the per-beam exponential average, the noise cut, and
// the 3 x 3 sharpening of imaging display rows.
//
// Samples are U8 levels, 0 silence. Every operation works on the caller's
// buffers in one pass and allocates nothing; only the exponential average
// keeps state of its own (one running average per beam 0-3), and it is used
// from the processing task's thread alone.
#pragma once

#include "kernel/l_types.h"
#include "platform/h_recselect.h"

constexpr U32 S_FILTER_AVERAGE_BEAMS = 4;
constexpr U32 S_FILTER_AVERAGE_SAMPLES = 55000;
// Rows of the sharpening filter hold at most this many samples.
constexpr U32 S_FILTER_MAX_ROW = 800;

typedef enum tag_FILTER_TYPE : int {
    NO_FILTER = 0,
    SHARP_FILTER_1L = 1,
    SHARP_FILTER_1M = 2,
    SHARP_FILTER_1H = 3
} FILTER_TYPE;

// Clears the running averages of all four beams.
void S_FILTER_vInitExponentialAverageData(void);
// Folds the new samples into beam Beam's running average and writes the
// average to pu8DecayedAverageData: avg = ((a - 1) x avg) / a + raw / a,
// both divisions truncating. Nothing happens for a null buffer, a factor
// of 0 or 1 or no samples. A beam above 3 is a fatal error; samples past
// the store's 55,000 are left alone.
void S_FILTER_vGetExponentialAverageData(U32 u32NumberOfSamples, BEAM Beam, const U8* pu8RawSonarData,
                                         U8* pu8DecayedAverageData, U8 u8AveragingFactor);
// A sample that rises by a quarter or more over the previous ping at the
// same range is held at the previous value; pu8PrevInput then takes the
// input. Output and input may be one buffer.
void S_FILTER_v2of2Filter(U32 u32NumberOfSamples, const U8* pu8Input, U8* pu8PrevInput, U8* pu8Output);
// The noise cut and, when active, the two-of-two filter in one pass; a
// sample below the level is 0 in the output and in the previous ping.
void S_FILTER_vFilterAndNoiseRemoval(U32 u32NumberOfSamples, const U8* pu8RawSonarData, U8* pu8FilteredData,
                                     U8* pu8PreviousRawData, BOOLEAN b2Of2FilterActive,
                                     U8 u8BackgroundNoiseLevel);
// output[i] = 0 where pu8NoiseIn[i] < level, else pu8FilterIn[i]; the
// filter buffers may be one.
void S_FILTER_vNoiseRemoval(U32 u32NumberOfSamples, const U8* pu8NoiseIn, const U8* pu8FilterIn, U8* pu8FilterOut,
                            U8 u8NoiseLevel);
// Sharpens a stream of display rows with a 3 x 3 kernel. The caller keeps
// three rows of u32PixelsInRow bytes at pu8FilterBuffer and the ring
// position *ps32Line (0-2) between rows; each call stores the new row and
// writes the row before it, sharpened. A row that the ring cannot take
// (no filter, a bad position, more than 800 samples or more than
// u32PixelsInRow) is copied unchanged, at most 800 samples of it; a filter
// above SHARP_FILTER_1H writes nothing.
void S_FILTER_v2D_Flankview_Filter(U32 u32NumberOfSamples, const U8* pu8In, U8* pu8Out, FILTER_TYPE eFilter,
                                   S32* ps32Line, U8* pu8FilterBuffer, U32 u32PixelsInRow);
