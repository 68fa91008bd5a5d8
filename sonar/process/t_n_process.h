// The processing task (task 11): turns every filled ping descriptor that the
// ping task mails it into display-ready data. Per ping: record, filter,
// gain-correct twice, shift by the depth offset, cut noise, find the bottom
// and publish the depth, look for fish, and merge the result into the
// beam's accumulator, from which the history side draws new columns.
//
// Accumulators: one per beam 0-3, each guarded by its own mutex (24, 23,
// 25, 26). Each has two sample buffers: the task merges into the one u8Use
// names; a display read consumes it, flips u8Use and empties the other, so
// the consumed column can be read again (forced) until the next ping.
//
// Start-up: "TSNR" is published, then the task waits on semaphore 220
// (the history task's windows exist) before its first mail.
#pragma once

#include "kernel/l_types.h"
#include "sonar/dsp/s_tsu.h"
#include "sonar/dsp/s_types.h"
#include "sonar/ping/t_n_ping.h" // PROCESS_MAILBOX, the ping mails

// ---- Kernel objects ----

constexpr TASK PROCESS_TASK = 11;
constexpr SEMA SEMA_MBOX_PROCESS = 50;
constexpr SEMA SEMA_PROCESS_WAIT_HISTORY = 220; // signalled by the history task
constexpr MUTEX RES_ACCUMULATOR_BEAM0 = 24;
constexpr MUTEX RES_ACCUMULATOR_BEAM1 = 23;
constexpr MUTEX RES_ACCUMULATOR_BEAM2 = 25;
constexpr MUTEX RES_ACCUMULATOR_BEAM3 = 26;
constexpr MUTEX RES_PROCESS_MSS = 98; // the 360 sample store

constexpr U32 ACCUMULATOR_BEAMS = 4;
constexpr U32 ACCUMULATOR_SAMPLES = PING_MAX_SAMPLES;
constexpr U32 MSS_STORE_COLUMNS = 1600;

// ---- Accumulators ----

typedef enum tag_ACCUMULATOR_STATUS : int {
    ACCUMULATOR_HAD_NO_DATA = 0,     // neither buffer holds samples
    ACCUMULATOR_HAD_NEW_DATA = 1,    // a column was produced
    ACCUMULATOR_HAD_NO_NEW_DATA = 2  // nothing arrived since the last read
} ACCUMULATOR_STATUS;

typedef struct tag_RETURN_ACCUMULATOR {
    U8 pu8Data[2][ACCUMULATOR_SAMPLES];
    U32 u32NumberOfSamples[2];
    BOOLEAN bNoiseTooHigh[2];
    SONAR_PING_LOCATION Location;
    float fDepthMetres;
    U32 u32DepthInSamples;
    U32 u32SmoothedDepthInSamples;
    U8 u8Use; // the buffer being filled
    U8 pu8RtsData[ACCUMULATOR_SAMPLES]; // the latest ping alone
    U32 u32RtsSamples;
    FISH_TARGET_LIST FishTargetList; // fish since the last read
    U32 u32TimeStamp; // first ping since the last read; 0 none
    U32 u32PingIndex;
    MUTEX Resource;
} RETURN_ACCUMULATOR;

// ---- The task ----

void T_N_PROCESS_vMain(void);
// Command 8: a new playback mode (PLAYBACK_MODE_TYPE).
void T_N_PROCESS_vSetPlaybackMode(U32 u32NewMode);

// ---- Depth choice ----

// The hysteresis choice among the 200 kHz, low-frequency and short-transmit
// depths (metres; 0 or less is absent); advances the choice's counters.
float T_N_PROCESS_fSelectBestDepthInMeters(float f200depth, float fLFdepth, float fShortTxDepth);
// The same choice for depths in 26 us samples (the history's automatic range).
U32 T_N_PROCESS_u32SelectBestDepthInSamples(U32 u32DepthSamples200, U32 u32DepthSamplesLF);
// Publishes a chosen depth as "IDEP" (at most every 251 ms).
void T_N_PROCESS_vUpdateDepthInDatabase(float fDepthInMetres);
// The beam's smoothed depth in samples; 0 for a beam without accumulator.
U32 T_N_PROCESS_u32GetSmoothedDepthInSamples(BEAM Beam);

// ---- Display reads ----

// Takes the beam's newest accumulated column into the store column and the
// display, zoom and Keelview destinations (each skipped when null; the
// display needs the store column), hands over the fish since the last read
// and starts a new column. Offsets and counts are in accumulator samples.
ACCUMULATOR_STATUS T_N_PROCESS_eGetDataForDisplay(
    const BEAM Beam, TSU_STORE_COLUMN* pTsuStore, U8* pu8DisplayDestination, const U32 u32InputOffset,
    const U32 u32InputSamplesToUse, U8* pu8ZoomDestination, const U32 u32ZoomInputOffset,
    const U32 u32ZoomInputSamplesToUse, U8* pu8KeelviewDestination, const U32 u32KeelviewInputOffset,
    const U32 u32KeelviewInputSamplesToUse, FISH_TARGET_LIST* pFishTargetList, const U32 u32SizeOfDisplayDestination,
    const U32 u32SizeOfZoomDestination, const U32 u32SizeOfKeelviewDestination, const BOOLEAN bForceResample,
    BOOLEAN* pbNoiseTooHigh);
// The beam's latest ping alone, resampled into the destination.
void T_N_PROCESS_vGetRtsDataForDisplay(BEAM Beam, U8* pu8DisplayDestination, const U32 u32InputOffset,
                                       const U32 u32InputSamplesToUse, const U32 u32SizeOfDestination);
// As above, and the whole strip kept in column u32column of the 360 store.
void T_N_PROCESS_vRefreshMssRtsDataForDisplay(BEAM Beam, U8* pu8DisplayDestination, const U32 u32InputOffset,
                                              const U32 u32InputSamplesToUse, const U32 u32SizeOfDestination,
                                              U32 u32column);
// Column u32column of the 360 store, resampled into the destination.
void T_N_PROCESS_vFetchMssRtsDataForDisplay(U8* pu8DisplayDestination, const U32 u32InputOffset,
                                            const U32 u32InputSamplesToUse, const U32 u32SizeOfDestination,
                                            U32 u32column);
// Empties the 360 store. Takes no lock: not while columns are refreshed.
void T_N_PROCESS_vClearMssBuffer(void);
// Empties the four accumulators (u8Use and the real-time strips stay).
void T_N_PROCESS_vClearAllAccumulators(void);
