// The byte layouts of a sonar recording on the card, written and read field
// by field, big-endian: a 64-byte header (what the capture review shows of
// a recording) followed by one record per raw ping.
//
// Header: 0 u8Version, 1 u8WaterType, 2 u8BatteryVoltage, 3 bWaypointValid,
// 4 u32ModelNumber, 8 u32Temperature, 12 u32Pressure, 16 the start
// waypoint (16 u32DateTime, 20 x, 24 y, 28 12-byte name), 40
// u32NumberOfPings, 44 u32TotalTimeMs, 48 u32PingSizeBytes, 52
// u32FirstPingPeriodMs, 56 u32BeamMask, 60 reserved (0).
//
// Ping record: 0 "SPNG", 4 beam, 5 transducer, 6 transmit cycles, 7
// transmit power, 8 ADC channel, 9 noise level, 10 peak noise level, 11
// bandwidth code, 12 u32 time stamp (ms from the recording's start), 16
// u32 ping index, 20 u32 sample period (us), 24 u32 transmit frequency
// (Hz), 28 u16 ms between pings, 30 u16 ms before the next ping, 32 u32
// sample count, 36 the samples.
#pragma once

#include "kernel/l_types.h"
#include "sonar/dsp/s_types.h"
#include "ui/t_view_capture.h"

#include <cstddef>

constexpr size_t SONAR_RECORD_HEADER_BYTES = 64;
constexpr size_t PING_RECORD_HEAD_BYTES = 36;
constexpr U8 SONAR_RECORD_VERSION = 1;
constexpr U32 PLAYED_BEAMS_MAX = 4; // beams 0-3

void T_MMC_vEncodeRecordHeader(const SONAR_RECORD_THUMB_HEADER* psHeader, U8* pu8Out);
void T_MMC_vDecodeRecordHeader(const U8* pu8In, SONAR_RECORD_THUMB_HEADER* psHeader);

// The fields of a ping record without its samples.
typedef struct tag_PING_RECORD_HEAD {
    BEAM Beam;
    U8 u8Transducer;
    U8 u8TransmitCycles;
    U8 u8TransmitPower;
    U8 u8AdcChannel;
    U8 u8NoiseLevel;
    U8 u8PeakNoiseLevel;
    U8 u8BandwidthControl;
    U32 u32TimeStampMs;
    U32 u32PingIndex;
    U32 u32SamplePeriodMicroSeconds;
    U32 u32TransmitFrequencyHertz;
    U16 u16MilliSecondsBetweenPings;
    U16 u16MilliSecondsBeforeNextPing;
    U32 u32NumberOfSamples;
} PING_RECORD_HEAD;

// The head of a ping (time stamp relative to the recording's start).
PING_RECORD_HEAD T_MMC_tPingRecordHead(const PING_DESCRIPTOR* pPing, U32 u32TimeStampMs, U32 u32PingIndex);
void T_MMC_vEncodePingRecordHead(const PING_RECORD_HEAD* psHead, U8* pu8Out);

typedef enum tag_PING_RECORD_CHECK : int {
    PING_RECORD_OK = 0,
    PING_RECORD_SHORT,     // fewer bytes than the record needs
    PING_RECORD_BAD_MAGIC, // not the start of a record
    PING_RECORD_BAD_BEAM,  // a beam above 3
    PING_RECORD_TOO_LONG   // more than 55000 samples
} PING_RECORD_CHECK;

// Decodes and checks the head at pu8In (nBytes available from there); the
// whole record is PING_RECORD_HEAD_BYTES + u32NumberOfSamples bytes.
PING_RECORD_CHECK T_MMC_eDecodePingRecordHead(const U8* pu8In, size_t nBytes, PING_RECORD_HEAD* psHead);
