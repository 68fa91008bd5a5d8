// The factory tests' traces and the test screen's drawing helpers.
//
// The test parameter record collects the limits the station used, beam by
// beam for the sonar; a run's end saves it at the start of a zeroed
// 508-byte sonar data block to "sonar.dat" through the NVRAM task. The
// record leaves the process only through U_INLINETEST_vEncodeTestParameters,
// which lays it out field by field, little-endian, at the offsets below.
// The passed-tests word "STTP" collects one bit per passed test and is a
// persisted setting.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "store/h_nvram.h" // SONAR_DATA_BLOCK

// V3_BEAM_DATA, 28 bytes at 40 + 28k of the record.
typedef struct tag_V3_BEAM_DATA {
    S16 s16TransmitFrequency; // 0
    S16 s16RecieverNumber;    // 2
    S16 s16Bandwidth;         // 4
    S16 s16MinSignalLevel;    // 6
    S16 s16MaxSignalLevel;    // 8
    S16 s16MinDepth;          // 10
    S16 s16MaxDepth;          // 12
    S16 s16NoiseFloor;        // 14
    S16 s16BeamReserve[6];    // 16..27
} V3_BEAM_DATA;

constexpr U32 V3_BEAM_COUNT = 8;
constexpr U32 V3_BEAM_DATA_BYTES = 28;
constexpr U32 V3_TEST_PARAMETERS_BYTES = 264;

// V3_TEST_PARAMETERS, 264 bytes; the offsets are those of the encoding.
typedef struct tag_V3_TEST_PARAMETERS {
    U32 u32Version_X10;           // 0
    S16 s16MaxSpeed;              // 4
    S16 s16MinSpeed;              // 6
    S16 s16MaxTransducerTemp;     // 8
    S16 s16MinTransducerTemp;     // 10
    S16 s16MaxPaddleWheelTemp;    // 12
    S16 s16MinPaddleWheelTemp;    // 14
    S16 s16MaxVoltage;            // 16
    S16 s16MinVoltage;            // 18
    S16 s16SatelliteNo;           // 20
    S16 s16MinCNOvalue;           // 22
    S16 s16MaxCNOvalue;           // 24
    U8 u8NumberMMC_Slots;         // 26
    U8 u8NumberSonarBeams;        // 27
    S16 s16Reserve[6];            // 28..39
    V3_BEAM_DATA aBeamData[V3_BEAM_COUNT]; // 40..263
} V3_TEST_PARAMETERS;

// The record of this process, all zeros at start; the factory tests fill
// it and nothing resets it while the process lives.
extern V3_TEST_PARAMETERS s_testParams;

// The record's 264 bytes, little-endian, field by field.
void U_INLINETEST_vEncodeTestParameters(const V3_TEST_PARAMETERS* pParams, U8 au8Out[V3_TEST_PARAMETERS_BYTES]);

// The sonar data block as saved: zeroed, the encoded record at its start
// (byte 2i in the low byte of word i, as the block's file keeps it).
void U_INLINETEST_vFillSonarBlock(const V3_TEST_PARAMETERS* pParams, SONAR_DATA_BLOCK* pBlock);

// Hands the block to the NVRAM task (semaphore 125) and returns its verdict;
// FALSE without a mail while "TNVR" cannot be read.
BOOLEAN U_INLINETEST_bWriteSonarData(SONAR_DATA_BLOCK* pBlock);

// Saves s_testParams in a zeroed block; the verdict is not looked at.
void U_INLINETEST_vSaveTestResults(void);

// Reads "STTP", sets the bit and writes the word back (writer priority 1,
// no time-out); the word as written.
U32 U_INLINETEST_u32SetPassedTestBit(U32 u32Bit);

// The test screen's helpers (16 x 17 font, colour-table entries 35
// background, 32 text and outline).
void U_INLINETEST_vDrawStatusMessage(BITMAP* pBitmap, const char* pcText);
void U_INLINETEST_vDrawKeyMessage(BITMAP* pBitmap, const char* pcPrompt, const char* pcLatest,
                                  const char* pcPrevious);
void U_INLINETEST_vDrawSonarData(BITMAP* pBitmap, const char* pcText, U32 u32Line);
