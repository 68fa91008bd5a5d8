// The sonar simulation: what the ping task uses in place of the coprocessor
// when it is not pinging a connected transducer (always in the simulation
// and point-of-sale states).
//
// S_SYNTHSIM_fSynthesizeReturn fills each descriptor from a demo recording
// on internal flash, record after record in an endless loop, with the boat's
// current position. Beside it stands a scene synthesiser that builds a ping
// from built-in tables (a bottom profile with hardness, fish, bait balls, a
// thermocline, weed, surface clutter and noise) at a scene position that a
// clock advances by one every 20 ms, looping every 7200 positions.
//
// Demo recording: an index file of big-endian U32 offsets, one per record,
// each the position of a record in the record file; a record is
//   0  Beam (1 byte, 0-3)           1  transmit frequency in Hz (4)
//   5  longitude (4, S32)           9  latitude (4, S32)
//   13 transmit cycles (1)          14 transmit power (1)
//   15 number of samples (4, at most 55,000)
//   19 sample period in us (4)      23 the samples, one byte each
// all numbers big-endian. A record that cannot be read whole, or whose beam
// or sample count is out of range, is skipped with a log line.
//
// Everything here runs in the ping task's thread; nothing is locked.
#pragma once

#include "kernel/l_types.h"
#include "sonar/dsp/s_types.h"

// Unit paths of the demo recording.
#define S_SYNTHSIM_RECORD_FILE "/usr/vondrel/SONARSIM/KVREV2.SON"
#define S_SYNTHSIM_INDEX_FILE "/usr/vondrel/SONARSIM/KVREV2.IDX"

constexpr U32 S_SYNTHSIM_RECORD_HEADER_BYTES = 23;
constexpr U32 S_SYNTHSIM_INDEX_ENTRY_BYTES = 4;
constexpr U32 S_SYNTHSIM_SCENE_LENGTH = 7200;      // scene positions in one loop
constexpr U32 S_SYNTHSIM_SAMPLES = 2048;           // samples of a synthesised ping

// The header of one demo record.
typedef struct tag_SYNTHSIM_RECORD {
    BEAM Beam;
    U32 u32TransmitFrequencyHertz;
    S32 s32LongitudeMM;
    S32 s32LatitudeMM;
    U8 u8TransmitCycles;
    U8 u8TransmitPower;
    U32 u32NumberOfSamples;
    U32 u32SamplePeriodMicroSeconds;
} SYNTHSIM_RECORD;

// Record header codec, field by field (the samples follow the header).
void S_SYNTHSIM_vEncodeRecordHeader(const SYNTHSIM_RECORD* pRecord, U8* pau8Out);
void S_SYNTHSIM_vDecodeRecordHeader(const U8* pau8In, SYNTHSIM_RECORD* pRecord);
// FALSE for a beam above 3 or more than 55,000 samples.
BOOLEAN S_SYNTHSIM_bRecordIsPlayable(const SYNTHSIM_RECORD* pRecord);
void S_SYNTHSIM_vEncodeIndexEntry(U32 u32Offset, U8* pau8Out);

// One row of a fish table: the scene position where the fish is right below
// the boat, its depth in metres and its size (0-2).
typedef struct tag_SIM_FISH {
    U32 u32PingCount;
    float fDepth;
    U8 u8Size;
} SIM_FISH;

// With a descriptor: fills it with the next record of the demo recording
// (all its header fields but the position, which comes from "ILAT" and
// "ILON", and bSimulated FALSE); the descriptor stays as it was while the
// recording cannot be opened or holds no playable record. Without one:
// advances the scene clock and returns the simulated depth of beam 1.
// The result is 0 with a descriptor.
float S_SYNTHSIM_fSynthesizeReturn(PING_DESCRIPTOR* pPing);

// The scene synthesiser: advances the scene clock and fills the descriptor
// with a ping of its beam (0-3; 255 takes beam 1's tables; any other is a
// fatal error) and its transmit frequency, returning its depth in metres.
// Without a descriptor it only advances the clock and returns the depth of
// beam 1.
float fSynthesizeReturn(PING_DESCRIPTOR* pPing);
// The same ping at a given scene position, without touching the clock.
float S_SYNTHSIM_fSynthesizeAt(PING_DESCRIPTOR* pPing, U32 u32ScenePosition);
// The simulated depth at a scene position; hardness and slope (metres per
// unit of the blend) are written when their pointers are not null.
float fGetCurrentDepthAndHardness(BEAM Beam, U32 u32CurrentPingCount, U8* pu8Hardness, float* pfSlope);
// Draws the fish of one fish table that lie within reach of the scene
// position into the ping, and lists (up to six) those that passed under the
// boat since u32PrevPingCount.
void vSearchAndAddFish(PING_DESCRIPTOR* pPing, U32 u32PrevPingCount, U32 u32CurrentPingCount,
                       const SIM_FISH* pFishTable, U32 u32TableLength);

// Tests only: closes the demo recording and sets the scene clock.
void S_SYNTHSIM_vResetForTests(void);
void S_SYNTHSIM_vSetSceneForTests(U32 u32ScenePosition, TICKS tTimeStamp);
void S_SYNTHSIM_vGetSceneForTests(U32* pu32ScenePosition, TICKS* ptTimeStamp);
