// The local ping cycles: one wake of the ping task turned into filled
// descriptors. A cycle takes one descriptor per receive channel from the
// pool, works out how deep to ping and to listen, writes a new transmit
// block to the sonar coprocessor when something it was built from changed,
// reads one received block, gives each channel the beam it carries (or
// none) and hands the descriptors to the director in channel order.
//
// Three cycles, chosen by the transducer: the down-beam cycle (2D only:
// the low-frequency beam on channel 0, the 200 kHz beam on channel 1), the
// side-scan cycle (2D on channel 0, the two side beams on channels 1 and 2)
// and the Keelview cycle (2D on channel 0, the 455 kHz down beam of
// transducer 15 on channel 1, the Keelview beam on channel 2).
//
// The transmit block in force is remembered with the values it was built
// from; a steady ping costs one read. The side-scan and Keelview blocks run
// a cycle of up to six sequences, one per ping; a change waits until that
// cycle has completed.
//
// Everything here runs in the ping task's thread, and the coprocessor
// block is this task's alone; the depth search keeps its counters for that
// thread too.
#pragma once

#include "kernel/l_types.h"
#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_types.h"

#include <atomic>

namespace t_n_ping {

// ---- The cycles ----

void vPerformDownBeamOnlyPing(void);
void vPerformSideScanPing(void);
void vPerformKVPing(void);

// ---- Depths ----

// The depth to ping in metres; *pfDepthToListen gets the depth to listen.
// Follows the chosen bottom ("IDEP"), searches 5 m deeper per ping while
// the bottom is lost, dithers the listening depth over 16 factors, and
// keeps both within the "SSMD" limit and above 2.1336 m.
float fLocalFindDepthToPing(float* pfDepthToListen);
// The depths a network client asked for; 10 m for both until it asked.
float fNetworkFindDepthToPing(float* pfDepthToListen);
// Jigging: both depths follow the lower edge of the displayed range.
void T_N_PING_vModifyPingDepth(float* pfDepthToPing, float* pfDepthToListen);
// The depths the network clients of the 2D source asked for (metres, 0
// until one asked); the network sonar server stores them.
extern std::atomic<float> s_fNetworkDepthToListen;
extern std::atomic<float> s_fNetworkDepthToPing;

constexpr U32 PING_DITHER_STEPS = 16;
extern const float fNewPingDepth[PING_DITHER_STEPS];

// Samples of a listening depth at the current speed of sound: the two-way
// time rounded to whole 26 us samples, at most 65535.
U16 u16SamplesForDepth(float fDepthMetres);

// ---- Transmit settings ----

// The receive bandwidth code of a beam.
U8 u8FetchBandwidth(BEAM Beam);

// ---- Channels ----

typedef enum tag_PING_CYCLE : int {
    PING_CYCLE_DOWN_BEAM = 0,
    PING_CYCLE_SIDE_SCAN = 1,
    PING_CYCLE_KEELVIEW = 2,
    PING_CYCLE_COUNT = 3
} PING_CYCLE;

constexpr U32 PING_CHANNELS = 3;

// The frequencies (kHz) that tell which beam a received channel carries.
typedef struct tag_PING_FREQUENCIES {
    U32 u32Freq200; // "CSF2"
    U32 u32FreqLF;  // "CSFL"
    U32 u32FreqImaging;
} PING_FREQUENCIES;

// What one receive channel carries: its beam (PING_NO_BEAM for nothing
// usable) and the pulse of the echoed sequence it heard.
typedef struct tag_PING_CHANNEL {
    BEAM beam;
    U8 u8Pulse;
} PING_CHANNEL;

// The beams of the three channels of an echoed sequence for a cycle and
// transducer (the Keelview cycle tells transducer 15 from 17 and 18).
void vMapChannels(PING_CYCLE eCycle, U32 u32Transducer, const TX_SEQUENCE* pEcho, const PING_FREQUENCIES* pFreq,
                  PING_CHANNEL aChannels[PING_CHANNELS]);

// ---- Tests only ----

// What the cycles did: the pings each ran, the last one, and the flags
// of the ping task that the last ping found set.
typedef struct tag_PING_CYCLE_RECORD {
    U32 au32Pings[PING_CYCLE_COUNT];
    int eLastCycle; // a PING_CYCLE, or -1 before the first
    BOOLEAN bLastSwitchToLocal;
    BOOLEAN bLast2DNoKV;
} PING_CYCLE_RECORD;

PING_CYCLE_RECORD tCycleRecordForTests(void);
// Forgets the block in force, the count-down, the depth search and the
// stepper position, as a fresh process has them.
void vResetCyclesForTests(void);

} // namespace t_n_ping
