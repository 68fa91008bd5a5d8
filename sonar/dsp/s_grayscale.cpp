// Sample level to colour (see the header).
//
// The imaging table follows the unit's arithmetic closely, single and
// double precision where the unit had them, so that the same settings give
// the same picture: a level that sits on a boundary between two colours
// lands on the same side.
#include "sonar/dsp/s_grayscale.h"

#include "graphics/color.h"
#include "store/h_database.h"

#include <cmath>

namespace {

constexpr U32 STATE_PLAYBACK = 11;
constexpr U32 PLAYBACK_800KHZ_ABOVE = 750000;
constexpr U8 NEUTRAL = 10; // gamma and contrast that leave the imaging table linear
constexpr U8 LINEAR_CONTRAST = 9;
constexpr U32 IMAGING_COEFFICIENTS = 32;

// Imaging clips by sensitivity 0-20.
const U8 s_u8Sensitivity800KhzUE[] = {0,   168, 160, 151, 142, 131, 122, 114, 106, 100, 97,
                                      92,  86,  81,  76,  71,  66,  61,  57,  53,  50};
const U8 s_u8Sensitivity455KhzUE[] = {250, 245, 240, 235, 230, 225, 220, 215, 210, 206, 200,
                                      192, 186, 180, 170, 160, 155, 150, 145, 140, 135};
const U8 s_u8Sensitivity800KhzLE[] = {0, 38, 35, 32, 29, 26, 23, 20, 17, 14, 12, 11, 10, 9, 8, 7, 6, 5, 4, 2, 0};
// One entry short of the others: sensitivity 20 reads the last one.
const U8 s_u8Sensitivity455KhzLE[] = {84, 77, 70, 63, 56, 49, 42, 35, 32, 28, 25, 22, 19, 16, 13, 10, 7, 4, 2, 0};

template <size_t N>
U8 u8Clip(const U8 (&table)[N], U8 u8Sensitivity)
{
    return table[u8Sensitivity < N ? u8Sensitivity : N - 1];
}

// Clip parameters of the 2D tables.
typedef struct tag_CLIP_PARAMETERS {
    S32 s32LowerBase;
    S32 s32LowerSpan;
    S32 s32UpperBase;
    S32 s32UpperSpan;
    S32 s32Divisor;
    S32 s32Maximum;
} CLIP_PARAMETERS;

const CLIP_PARAMETERS CLIPS_TRANSDUCER_11 = {0, 36, 100, 24, 19, 20};
const CLIP_PARAMETERS CLIPS_NORMAL = {0, 120, 80, 120, 19, 20};
const CLIP_PARAMETERS CLIPS_CLEAR_15_17_18 = {-20, 120, 60, 120, 16, 17};
const CLIP_PARAMETERS CLIPS_CLEAR = {-20, 120, 60, 120, 19, 20};

U8 u8ClipLevel(S32 s32Value)
{
    return s32Value < 0 ? 0 : (U8)s32Value;
}

COLOR colEntry(U32 u32Entry)
{
    return gCOLOR_pcolColorTable[u32Entry];
}

U32 u32FetchU32(FOURCHARID key, U32 u32Default)
{
    U32 value = u32Default;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(key, &value, &bValid, nullptr))
        return u32Default;
    return value;
}

} // namespace

void S_GRAYSCALE_vCreateGrayScaleTable(GRAYSCALE_TABLE* pTable, U8, U8 u8LowerClip, U8 u8UpperClip)
{
    const int L = u8LowerClip;
    const int U = u8UpperClip;
    for (int i = 0; i < (int)GRAYSCALE_LEVELS; ++i) {
        int entry = 31;
        if (i <= L)
            entry = 0;
        else if (i <= U)
            entry = 1 + 30 * (i - L) / (U - L);
        pTable->acColor[i] = colEntry(GRAYSCALE_ENTRY_2D_FIRST + entry);
    }
}

void S_GRAYSCALE_vCreateWhiteLineGrayScaleTable(GRAYSCALE_TABLE* pTable, U8, U8 u8LowerClip, U8 u8UpperClip,
                                                U8 u8WhiteLineLevel)
{
    const int L = u8LowerClip;
    const int U = u8UpperClip;
    const int M = (U8)(L + (U - L) / 4);
    for (int i = 0; i < (int)GRAYSCALE_LEVELS; ++i) {
        U32 entry;
        if (i <= L)
            entry = 0;
        else if (i <= M)
            entry = 1 + 14 * (i - L) / (M - L);
        else if (i <= U)
            entry = 15 + 16 * (i - M) / (U - M);
        else
            entry = i < u8WhiteLineLevel ? 31 : GRAYSCALE_ENTRY_WHITE_LINE;
        pTable->acColor[i] = colEntry(entry);
    }
}

void S_GRAYSCALE_vCreateSideScanTable(GRAYSCALE_TABLE* pTable, U8, U8 u8LowerClip, U8 u8UpperClip, U8 u8Gamma,
                                      U8 u8Contrast)
{
    const int L = u8LowerClip;
    const int U = u8UpperClip;
    const int G = u8Gamma;
    const int C = u8Contrast;
    const int D = U - L;

    // Gamma knee (cl, gl): the curve runs from 32 at L through gl at cl to
    // 0 at U.
    int cl = 0;
    int gl = 0;
    if (G < NEUTRAL) {
        cl = D * (10 - G) / 36 + ((L + U) >> 1);
        gl = 32 * (10 - G) / 36 + 16;
    } else if (G > NEUTRAL) {
        cl = L + D / 4 + D * (20 - G) / 40;
        gl = 32 * (20 - G) / 40 + 8;
    }

    // Contrast: an arctangent curve, soft (through 32 coefficients) or hard
    // (per level). Only a table without a real middle has D <= 0, and that
    // one needs no curve.
    U8 coefficient[IMAGING_COEFFICIENTS] = {};
    const bool soft = C < LINEAR_CONTRAST && D > 0;
    const bool hard = C > LINEAR_CONTRAST && D > 0;
    float f = 0;
    float h = 0;
    float ymin = 0;
    float s = 0;
    if (soft) {
        f = (float)(9 - C) * 0.1f;
        const float ymax = (float)atan((double)(5 * f));
        ymin = (float)atan(-4.6875 * (double)f);
        s = (float)D / (ymax - ymin);
        for (U32 k = 0; k < IMAGING_COEFFICIENTS; ++k) {
            const float factor = (float)(15 - (int)k) * 0.0625f;
            const float v = (float)(L + (atan((double)factor * 5.0 * (double)f) - (double)ymin) * (double)s);
            coefficient[k] = v < 0 ? 0 : (U8)(int)v;
        }
    } else if (hard) {
        f = (float)(C - 9) * 0.1f;
        h = (float)D * 0.5f;
        const float ymax = (float)atan((double)(5 * f));
        const float bracket = (float)(1 - L) - h;
        ymin = (float)atan((double)(5 * f * bracket / h));
        s = 32.0f / (ymax - ymin);
    }

    for (int i = 0; i <= L && i < (int)GRAYSCALE_LEVELS; ++i)
        pTable->acColor[i] = colEntry(GRAYSCALE_ENTRY_IMAGING_WEAKEST);
    for (int i = L + 1; i < U; ++i) {
        int entry;
        if (G != NEUTRAL) {
            const int c = i > cl ? (U - i) * gl / (U - cl) : gl + (i - cl) * (gl - 32) / (cl - L);
            entry = c < 0 ? 231 : (200 + c > 231 ? 231 : 200 + c);
        } else if (soft) {
            entry = 231;
            for (U32 k = 0; k < IMAGING_COEFFICIENTS; ++k)
                if (coefficient[k] <= i) {
                    entry = 200 + (int)k;
                    break;
                }
        } else if (hard) {
            const float product = (1.0f / h) * 5 * f * ((float)(L - 1) + h - (float)i);
            const double a = atan((double)product);
            int V = (int)((a - (double)ymin) * (double)s);
            V = V < 0 ? 0 : V > 31 ? 31 : V;
            entry = 200 + V;
        } else {
            entry = 201 + 31 * (U - i) / D;
        }
        pTable->acColor[i] = colEntry((U32)entry);
    }
    for (int i = U; i < (int)GRAYSCALE_LEVELS; ++i)
        pTable->acColor[i] = colEntry(GRAYSCALE_ENTRY_IMAGING_STRONGEST);
}

U8 S_GRAYSCALE_pu8GetSSSensitivityUE(FOURCHARID fcidSideViewFreq, U8 u8Sensitivity)
{
    return fcidSideViewFreq == FCID("SSF5") ? u8Clip(s_u8Sensitivity800KhzUE, u8Sensitivity)
                                            : u8Clip(s_u8Sensitivity455KhzUE, u8Sensitivity);
}

U8 S_GRAYSCALE_pu8GetSSSensitivityLE(FOURCHARID fcidSideViewFreq, U8 u8Sensitivity)
{
    return fcidSideViewFreq == FCID("SSF5") ? u8Clip(s_u8Sensitivity800KhzLE, u8Sensitivity)
                                            : u8Clip(s_u8Sensitivity455KhzLE, u8Sensitivity);
}

void S_GRAYSCALE_vRecalulateGrayScaleTable(GRAYSCALE_TABLE* pTable, U8 u8Sensitivity, U8 u8Gamma, U8 u8Contrast,
                                           POST_PROCESS_MODE ePostProcessMode, U8 u8WhiteLineLevel, U8)
{
    FOURCHARID frequency = FCID("SSF4");
    U32 transducer = 0;
    if (u32FetchU32(FCID("CCST"), 0) == STATE_PLAYBACK) {
        transducer = u32FetchU32(FCID("CPTS"), 0);
        U32 hertz = 0;
        BOOLEAN bValid = FALSE;
        if (H_DATABASE_bFetchU32(FCID("CPFS"), &hertz, &bValid, nullptr) && hertz > PLAYBACK_800KHZ_ABOVE)
            frequency = FCID("SSF5");
    } else {
        transducer = u32FetchU32(FCID("SSTS"), 0);
        frequency = u32FetchU32(FCID("YSSF"), FCID("SSF4"));
    }

    pTable->ePostProcessMode = ePostProcessMode;
    BOOLEAN bClear = FALSE;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchBoolean(FCID("YTVG"), &bClear, &bValid, nullptr))
        bClear = FALSE;

    const CLIP_PARAMETERS* p = &CLIPS_NORMAL;
    if (transducer == 11)
        p = &CLIPS_TRANSDUCER_11;
    else if (bClear)
        p = (transducer == 15 || transducer == 17 || transducer == 18) ? &CLIPS_CLEAR_15_17_18 : &CLIPS_CLEAR;
    const S32 k = p->s32Maximum - (S32)u8Sensitivity;
    const U8 L = u8ClipLevel(p->s32LowerBase + p->s32LowerSpan * k / p->s32Divisor);
    const U8 U = u8ClipLevel(p->s32UpperBase + p->s32UpperSpan * k / p->s32Divisor);

    switch (ePostProcessMode) {
    case POST_PROCESS_WHITE_LINE:
        S_GRAYSCALE_vCreateWhiteLineGrayScaleTable(pTable, 32, L, U, u8WhiteLineLevel);
        break;
    case POST_PROCESS_SIDESCAN:
        S_GRAYSCALE_vCreateSideScanTable(pTable, 32, S_GRAYSCALE_pu8GetSSSensitivityLE(frequency, u8Sensitivity),
                                         S_GRAYSCALE_pu8GetSSSensitivityUE(frequency, u8Sensitivity), u8Gamma,
                                         u8Contrast);
        break;
    default:
        S_GRAYSCALE_vCreateGrayScaleTable(pTable, 32, L, U);
        break;
    }
}

void S_GRAYSCALE_vRecalulateGrayScaleTableDirect(GRAYSCALE_TABLE* pTable, POST_PROCESS_MODE ePostProcessMode,
                                                 U8 u8LowerClip, U8 u8UpperClip, U8 u8WhiteLineLevel)
{
    pTable->ePostProcessMode = ePostProcessMode;
    switch (ePostProcessMode) {
    case POST_PROCESS_WHITE_LINE:
        S_GRAYSCALE_vCreateWhiteLineGrayScaleTable(pTable, 32, u8LowerClip, u8UpperClip, u8WhiteLineLevel);
        break;
    case POST_PROCESS_SIDESCAN:
        S_GRAYSCALE_vCreateSideScanTable(pTable, 32, u8LowerClip, u8UpperClip, NEUTRAL, NEUTRAL);
        break;
    default:
        S_GRAYSCALE_vCreateGrayScaleTable(pTable, 32, u8LowerClip, u8UpperClip);
        break;
    }
}

U8 u8GainAdjust(S32 s32RawValue, S8 s8Gain)
{
    if (s32RawValue == 0)
        return 0;
    const S32 v = s32RawValue + s8Gain;
    return v < 0 ? 0 : v > 255 ? 255 : (U8)v;
}

void S_GRAYSCALE_vCategorize(const U8* pu8ReturnData, COLOR* pCategorizedData, U32 u32Length,
                             const GRAYSCALE_TABLE* pTable, U32 u32BottomBlackStartIndex, S8 s8GainAdjustment)
{
    U32 stop = u32Length;
    if (pTable->ePostProcessMode == POST_PROCESS_BOTTOM_BLACK && u32BottomBlackStartIndex > 0 &&
        u32BottomBlackStartIndex < u32Length)
        stop = u32BottomBlackStartIndex;
    if (s8GainAdjustment == 0) {
        for (U32 k = 0; k < stop; ++k)
            pCategorizedData[k] = pTable->acColor[pu8ReturnData[k]];
    } else {
        for (U32 k = 0; k < stop; ++k)
            pCategorizedData[k] = pTable->acColor[u8GainAdjust(pu8ReturnData[k], s8GainAdjustment)];
    }
    const COLOR black = colEntry(GRAYSCALE_ENTRY_BOTTOM_BLACK);
    for (U32 k = stop; k < u32Length; ++k)
        pCategorizedData[k] = black;
}
