// The records one ping carries through the signal chain: the ping
// descriptor that the ping task fills and the processing task consumes, the
// place it was taken and the fish found in it.
//
// These are in-memory records only. The network and recording forms of a
// ping are written field by field by their own codecs; nothing may depend
// on the size or padding of these structures.
#pragma once

#include "kernel/l_types.h"
#include "platform/h_recselect.h"

// Sample buffers of a descriptor hold this many bytes.
constexpr U32 PING_MAX_SAMPLES = 55000;
// The sample period of every transmit sequence the unit builds.
constexpr U32 PING_SAMPLE_PERIOD_US = 26;
// A descriptor with this beam carries no usable data.
constexpr BEAM PING_NO_BEAM = 255;

typedef enum tag_WATER_TYPE : int { WATER_FRESH = 0, WATER_SALT_DEEP = 1, WATER_SALT_SHALLOW = 2 } WATER_TYPE;

typedef struct tag_SONAR_PING_LOCATION {
    BOOLEAN bPositionValid; // both position keys were valid
    S32 s32LongitudeMM;
    S32 s32LatitudeMM;
} SONAR_PING_LOCATION;

// What a fish was measured against when it was found.
typedef struct tag_FISH_CRITERIA {
    U8 u8MinPeakAmplitude;
    U8 u8MaxPeakAmplitude;
    BOOLEAN bRemovedFish;
    U32 u32MinElongationUs;
    U32 u32MaxElongationUs;
    U32 u32ElongationUs;
} FISH_CRITERIA;

typedef struct tag_FISH_TARGET {
    U32 u32DepthInSamples; // sample index of the echo's peak
    U8 u8Size;             // 0 small, 1 medium, 2 large
    U8 u8Peak;
    BEAM beam;
    BOOLEAN bIgnoreThisFish;
    BOOLEAN bIdPlusThisFish; // the symbol gets a depth label
    FISH_CRITERIA criteria;
    struct tag_FISH_TARGET* pPreviousInstance;
} FISH_TARGET;

constexpr U32 FISH_TARGETS_PER_LIST = 6;

typedef struct tag_FISH_TARGET_LIST {
    U8 u8NumberOfTargets; // 0-6
    BOOLEAN bSimulatedFishList;
    FISH_TARGET target[FISH_TARGETS_PER_LIST];
} FISH_TARGET_LIST;

typedef struct tag_PING_DESCRIPTOR {
    BEAM Beam;              // 0-3, or PING_NO_BEAM (the descriptor goes straight back to the pool)
    U8 u8AdcChannel;        // receive channel, carried along
    U8 u8TransmitCycles;    // of the pulse that produced the beam
    U8 u8TransmitPower;     // transmit power code; 1 for live pings
    U32 u32NumberOfSamples; // valid bytes at pu8RawSonarData, at most PING_MAX_SAMPLES
    U8* pu8RawSonarData;    // PING_MAX_SAMPLES bytes, owned by the pool
    U8* pu8TvgdData;        // gain-corrected samples, PING_MAX_SAMPLES bytes, filled by processing
    BOOLEAN bSimulated;     // synthesised, or played back as synthesised
    U32 u32SamplePeriodMicroSeconds;
    U16 u16MilliSecondsBetweenPings;
    U16 u16MilliSecondsBeforeNextPing;
    FISH_TARGET_LIST SimulatedFishList; // fish of a synthesised ping
    SONAR_PING_LOCATION Location;       // where the ping was taken
    float fDepthMetres;                 // bottom depth found by processing
    float fDepthOffsetFeet;
    U8 u8NoiseLevel;     // mean of the ping's noise samples
    U8 u8PeakNoiseLevel; // largest of them
    U8 u8Transducer;     // transducer id ("SSTS") the ping was taken with
    U32 u32TransmitFrequencyHertz;
    U32 u32TimeStampMilliSeconds; // free-running clock just before the samples were fetched
    U8 u8BandwidthControl;        // receive bandwidth code
    U32 u32PingIndex;             // index in a recording; 0 for live pings
    BOOLEAN bReversePing;         // played back in reverse
    U32 u32PPIPositionInfo;       // rotating transducer: bits 16-31 position, bit 7 clockwise, 0-15 step factor
    BOOLEAN bIsLocal;             // set when this unit hands the ping to processing; never set on the network
} PING_DESCRIPTOR;
