// Time-varied gain: an attenuation curve, chosen by the ping's transmit
// frequency, subtracted from the raw samples, with an optional extra
// near-surface suppression that falls linearly to nothing at 8192 us; and
// its inverse, which turns gain-corrected samples back into raw ones.
//
// A curve is run-length coded: pairs of an attenuation and how many
// microseconds it applies. Sample k lies at k x the ping's sample period;
// it takes the first pair whose run ends at or after that time, and past
// the last pair that pair's attenuation stays. Curves never rise with time.
#pragma once

#include "kernel/l_types.h"
#include "sonar/dsp/s_types.h"

#include <array>

typedef struct tag_ATT_DEPTH_PAIR {
    U8 u8Attenuation;             // subtracted from the sample
    U32 u32RunLengthMicroSeconds; // how long it applies
} ATT_DEPTH_PAIR;

typedef struct tag_RLE_TVG_DESCRIPTOR {
    U32 u32TableLength; // pairs
    const ATT_DEPTH_PAIR* pAttDepthTable;
} RLE_TVG_DESCRIPTOR;

constexpr U32 TVG_LOW_PAIRS = 198;   // the 50, 83 and 200 kHz curves
constexpr U32 TVG_HIGH_PAIRS = 121;  // the 455 and 800 kHz curves
constexpr U32 TVG_SUPPRESSION_LEVELS = 10;
// The near-surface suppression reaches to this time (us).
constexpr U32 TVG_SUPPRESSION_END_US = 8192;

// The curves: the 50 and 83 kHz ones hold the same values.
extern const std::array<ATT_DEPTH_PAIR, TVG_LOW_PAIRS> TVG_Curve50kHz;
extern const std::array<ATT_DEPTH_PAIR, TVG_LOW_PAIRS> TVG_Curve83kHz;
extern const std::array<ATT_DEPTH_PAIR, TVG_LOW_PAIRS> TVG_Curve200kHz;
extern const std::array<ATT_DEPTH_PAIR, TVG_HIGH_PAIRS> TVG_Curve455kHz;
extern const std::array<ATT_DEPTH_PAIR, TVG_HIGH_PAIRS> TVG_Curve800kHz;

extern const RLE_TVG_DESCRIPTOR DefaultTvg50kHzTable;
extern const RLE_TVG_DESCRIPTOR DefaultTvg83kHzTable;
extern const RLE_TVG_DESCRIPTOR DefaultTvg200kHzTable;
extern const RLE_TVG_DESCRIPTOR DefaultTvg455kHzTable;
extern const RLE_TVG_DESCRIPTOR DefaultTvg800kHzTable;

// The curve in use per frequency band: up to 59,999 Hz, 60,000-99,999,
// 100,000-299,999, 300,000-499,999, and 500,000 Hz and above.
extern const RLE_TVG_DESCRIPTOR* pTvg50kHzTable;
extern const RLE_TVG_DESCRIPTOR* pTvg83kHzTable;
extern const RLE_TVG_DESCRIPTOR* pTvg200kHzTable;
extern const RLE_TVG_DESCRIPTOR* pTvg455kHzTable;
extern const RLE_TVG_DESCRIPTOR* pTvg800kHzTable;

// Extra near-surface attenuation at 0 us, by water row (0 fresh and shallow
// salt water, 1 deep salt water) and suppression level 1-10.
extern const S16 s16SuppressionSlopes[2][TVG_SUPPRESSION_LEVELS];

// The curve for a transmit frequency.
const RLE_TVG_DESCRIPTOR* S_TVG_pGetCurve(U32 u32TransmitFrequencyHertz);

// Gain-corrects pPing's u32NumberOfSamples samples from pu8RawData into
// pu8TvgdData (which may be the same buffer). u32TvgScale, when not 0,
// scales every attenuation by scale / 1024. With bUseSuppression, the
// slope of u8SuppressionLevel (1-10; others count as the nearest) is
// added before 8192 us. For beam 255 the first pair attenuates nothing.
void S_TVG_TvgRawSonar(const PING_DESCRIPTOR* pPing, const U8* pu8RawData, U8* pu8TvgdData, U8 u8SuppressionLevel,
                       BOOLEAN bUseSuppression, WATER_TYPE eWaterType, U32 u32TvgScale);
// The inverse with the plain curve: 0 stays 0, any other sample gets the
// attenuation back, at most 255. The buffers may be one.
void S_TVG_ReverseTvgSonar(const PING_DESCRIPTOR* pPing, const U8* pu8TvgdData, U8* pu8RawData);
