// Transmit cycles (see the header). Depths are float metres; a table row is
// the depth truncated to whole metres, a negative depth taking row 0.
#include "sonar/dsp/s_txcycles.h"

#include "kernel/error.h"
#include "sonar/dsp/s_transducer.h"
#include "store/h_database.h"

namespace {

constexpr const char* SOURCE = "./Working/SOURCE/s_txcycles";

constexpr U32 LF_83KHZ_ABOVE_HZ = 82999;
constexpr U32 CAP_200KHZ = 50;
constexpr U32 CAP_200KHZ_NARROW = 30; // transducers 15, 17 and 18
constexpr U32 TRANSDUCER_LONGER_200KHZ = 11;
constexpr U32 EXTRA_CYCLES_200KHZ = 5;
constexpr U32 CYCLES_455KHZ_DOWN_MAX = 40;
constexpr U32 CYCLES_455KHZ_KV_MAX = 18;
constexpr U8 CYCLES_WIDE_455KHZ = 40;     // transducers 2 and 3
constexpr U8 CYCLES_SIDE_800KHZ = 17;     // transducers 10 and 16 at the 800 kHz choice
constexpr U8 CYCLES_IMAGING_DEFAULT = 7;

bool bNarrow200kHz(U32 u32Transducer)
{
    return u32Transducer == 15 || u32Transducer == 17 || u32Transducer == 18;
}

// The table row of a depth: whole metres, 0 for a negative depth, and
// u32Rows (past the table) for any depth beyond it.
U32 u32Row(float fDepth, U32 u32Rows)
{
    if (!(fDepth > 0.0f))
        return 0;
    if (fDepth >= (float)u32Rows)
        return u32Rows;
    return (U32)fDepth;
}

U8 u8LowFrequencyCycles(float fDepth)
{
    if (S_TRANSDUCER_u32LFBeamFrequencyHertz() > LF_83KHZ_ABOVE_HZ) {
        if (fDepth <= 60.0f)
            return 8;
        const float f = 8.0f + (fDepth - 60.0f) * 0.08571429f;
        return f >= 20.0f ? 20 : (U8)f;
    }
    if (fDepth <= 15.0f)
        return 2;
    if (fDepth <= 25.0f)
        return 3;
    if (fDepth <= 35.0f)
        return 4;
    if (fDepth <= 45.0f)
        return 5;
    if (fDepth <= 55.0f)
        return 6;
    if (fDepth <= 60.0f)
        return 7;
    // Compared before truncating, so that no depth overflows the conversion.
    const float f = 7.0f + (fDepth - 60.0f) * 0.09772727f;
    return !(f < 50.0f) ? 50 : (U8)f;
}

U8 u8Cycles200kHz(float fDepth, U32 u32Transducer)
{
    const U32 u32Cap = bNarrow200kHz(u32Transducer) ? CAP_200KHZ_NARROW : CAP_200KHZ;
    const U32 u32Row200 = u32Row(fDepth, 153);
    U32 u32Cycles = u32Cap;
    if (u32Row200 < 153 && gDepthCycles200kHzMapping[u32Row200].u32TxCycles < u32Cap)
        u32Cycles = gDepthCycles200kHzMapping[u32Row200].u32TxCycles;
    if (u32Transducer == TRANSDUCER_LONGER_200KHZ)
        u32Cycles += EXTRA_CYCLES_200KHZ;
    return (U8)u32Cycles;
}

U8 u8Cycles455kHz(BEAM Beam, float fDepth, U32 u32Transducer)
{
    if (u32Transducer == 2 || u32Transducer == 3)
        return CYCLES_WIDE_455KHZ;
    if (u32Transducer == 10 || u32Transducer == 16) {
        U32 u32Choice = 0;
        BOOLEAN bValid = FALSE;
        const bool bRead = H_DATABASE_bFetchU32(FCID("SSSF"), &u32Choice, &bValid, nullptr);
        return bRead && bValid && u32Choice == FCID("SSF5") ? CYCLES_SIDE_800KHZ : CYCLES_IMAGING_DEFAULT;
    }
    if (!bNarrow200kHz(u32Transducer))
        return CYCLES_IMAGING_DEFAULT;
    if (Beam == 2) {
        const U32 r = u32Row(fDepth, 47);
        if (r >= 47 || gDepthCycles455kHzDownBeamMapping[r].u32TxCycles > CYCLES_455KHZ_DOWN_MAX - 1)
            return CYCLES_455KHZ_DOWN_MAX;
        return (U8)gDepthCycles455kHzDownBeamMapping[r].u32TxCycles;
    }
    const U32 r = u32Row(fDepth, 17);
    if (r >= 17 || gDepthCycles455kHzKVMapping[r].u32TxCycles > CYCLES_455KHZ_KV_MAX - 1)
        return CYCLES_455KHZ_KV_MAX;
    return (U8)gDepthCycles455kHzKVMapping[r].u32TxCycles;
}

} // namespace

const DEPTHCYCLES gDepthCycles200kHzMapping[153] = {
    {0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 3}, {6, 3}, {7, 4}, {8, 4}, {9, 5}, {10, 5}, {11, 6}, {12, 6},
    {13, 7}, {14, 7}, {15, 8}, {16, 8}, {17, 8}, {18, 8}, {19, 8}, {20, 8}, {21, 8}, {22, 9}, {23, 9},
    {24, 9}, {25, 9}, {26, 9}, {27, 9}, {28, 9}, {29, 9}, {30, 9}, {31, 10}, {32, 10}, {33, 10}, {34, 11},
    {35, 11}, {36, 11}, {37, 12}, {38, 12}, {39, 12}, {40, 13}, {41, 13}, {42, 13}, {43, 14}, {44, 14},
    {45, 14}, {46, 15}, {47, 15}, {48, 15}, {49, 16}, {50, 16}, {51, 16}, {52, 17}, {53, 17}, {54, 17},
    {55, 18}, {56, 18}, {57, 18}, {58, 19}, {59, 19}, {60, 19}, {61, 20}, {62, 20}, {63, 20}, {64, 21},
    {65, 21}, {66, 21}, {67, 22}, {68, 22}, {69, 22}, {70, 23}, {71, 23}, {72, 23}, {73, 23}, {74, 24},
    {75, 24}, {76, 24}, {77, 25}, {78, 25}, {79, 25}, {80, 26}, {81, 26}, {82, 26}, {83, 27}, {84, 27},
    {85, 27}, {86, 28}, {87, 28}, {88, 28}, {89, 29}, {90, 29}, {91, 29}, {92, 30}, {93, 30}, {94, 31},
    {95, 31}, {96, 32}, {97, 32}, {98, 33}, {99, 33}, {100, 34}, {101, 34}, {102, 35}, {103, 35}, {104, 36},
    {105, 36}, {106, 37}, {107, 37}, {108, 38}, {109, 38}, {110, 39}, {111, 39}, {112, 40}, {113, 40},
    {114, 41}, {115, 41}, {116, 42}, {117, 42}, {118, 43}, {119, 43}, {120, 44}, {121, 44}, {122, 45},
    {123, 45}, {124, 46}, {125, 46}, {126, 47}, {127, 47}, {128, 48}, {129, 48}, {130, 49}, {131, 49},
    {132, 50}, {133, 50}, {134, 51}, {135, 51}, {136, 52}, {137, 52}, {138, 53}, {139, 53}, {140, 54},
    {141, 54}, {142, 55}, {143, 55}, {144, 56}, {145, 56}, {146, 57}, {147, 57}, {148, 58}, {149, 58},
    {150, 59}, {151, 59}, {152, 60},
};

const DEPTHCYCLES gDepthCycles455kHzDownBeamMapping[47] = {
    {0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 6}, {7, 7}, {8, 8}, {9, 9}, {10, 10}, {11, 11},
    {12, 12}, {13, 13}, {14, 14}, {15, 15}, {16, 16}, {17, 17}, {18, 18}, {19, 18}, {20, 18}, {21, 18},
    {22, 18}, {23, 18}, {24, 19}, {25, 20}, {26, 21}, {27, 22}, {28, 23}, {29, 24}, {30, 25}, {31, 25},
    {32, 26}, {33, 27}, {34, 28}, {35, 29}, {36, 30}, {37, 31}, {38, 32}, {39, 33}, {40, 34}, {41, 35},
    {42, 36}, {43, 37}, {44, 38}, {45, 39}, {46, 40},
};

const DEPTHCYCLES gDepthCycles455kHzKVMapping[17] = {
    {0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 6}, {5, 7}, {6, 8}, {7, 9}, {8, 10}, {9, 11}, {10, 12}, {11, 13},
    {12, 14}, {13, 15}, {14, 16}, {15, 17}, {16, 18},
};

U8 S_TXCYCLES_u8CalculateTxCycles(BEAM Beam, float fDepthInMetres, float fSpeedInMPH, U32 u32Transducer)
{
    (void)fSpeedInMPH;
    switch (Beam) {
    case 0:
        return u8LowFrequencyCycles(fDepthInMetres);
    case 1:
        return u8Cycles200kHz(fDepthInMetres, u32Transducer);
    case 2:
    case 3:
        return u8Cycles455kHz(Beam, fDepthInMetres, u32Transducer);
    default:
        ERROR_error(SOURCE, __LINE__, "Invalid beam");
        U_RESET_vReset(FALSE, FALSE);
    }
}
