// The processing module's shared state: the task's copies of the sonar
// settings, the depth choice's counters, the accumulators and the seam
// through which a ping reaches the signal functions.
//
// Threads: the task's own thread writes every setting; the history task
// reads the depth choice's inputs and counters (through the samples form
// of the choice) and the display reads' settings, without a lock, so those
// are atomics. Accumulators are touched only under their own mutex.
#pragma once

#include "sonar/process/t_n_process.h"

#include "kernel/l_types.h"
#include "sonar/dsp/s_types.h"
#include "store/database_msg.h"

#include <atomic>

namespace t_n_process {

// ---- The signal functions a ping passes through ----

// Defaults are the real functions; tests put recorders around them.
typedef struct tag_PROCESS_CALLS {
    void (*pfnTvg)(const PING_DESCRIPTOR*, const U8*, U8*, U8, BOOLEAN, WATER_TYPE, U32);
    void (*pfn2of2)(U32, const U8*, U8*, U8*);
    void (*pfnExpAverage)(U32, BEAM, const U8*, U8*, U8);
    void (*pfnNoiseRemoval)(U32, const U8*, const U8*, U8*, U8);
    U32 (*pfnFindDepth)(const PING_DESCRIPTOR*, U32, U32);
    void (*pfnScanForFish)(FISH_TARGET_LIST*, PING_DESCRIPTOR*, WATER_TYPE, U8);
    void (*pfnMergeFish)(FISH_TARGET_LIST*, const FISH_TARGET_LIST*);
    void (*pfnSaveRaw)(PING_DESCRIPTOR*);
    void (*pfnAddColumns)(U32, BEAM, U8);
    void (*pfnProcessPPISonar)(S32, BEAM, U32, BOOLEAN);
    U8 (*pfnCurrentTransducer)(U8); // of a sonar source
} PROCESS_CALLS;

extern PROCESS_CALLS g_Calls;
extern const PROCESS_CALLS REAL_CALLS;

// ---- Depth choice ----

typedef struct tag_BEAM_DEPTH_HISTORY {
    std::atomic<BEAM> LastChosenBeam;
    std::atomic<U32> u32HFBeamValidCnt;
    std::atomic<U32> u32HFBeamInValidCnt;
    std::atomic<U32> u32LFBeamValidCnt;
    std::atomic<U32> u32LFBeamInValidCnt;
    std::atomic<U32> u32ShortTxBeamValidCnt;
    std::atomic<U32> u32ShortTxBeamInValidCnt;
    std::atomic<U32> u32UnknownDepth;
} BEAM_DEPTH_HISTORY;

extern BEAM_DEPTH_HISTORY BeamDepthHistory;
extern std::atomic<U8> u8Invalid455kHzCnt;
extern std::atomic<TICKS> s_TimeStamp;

// Counters 0, last chosen beam 1.
void vResetBeamDepthHistory(void);
// The unit's depth now from the beams' keys (metres, 0 none).
float fSelectBestDepth(void);

// ---- Settings and state (written by the task) ----

extern std::atomic<BOOLEAN> s_bSonarEnabled;
extern std::atomic<U32> s_u32SystemState;
extern std::atomic<U32> s_u32PlaybackMode;
extern BOOLEAN s_bRecordSonarActive;
extern BOOLEAN s_bPrepareForPlayback;
extern BOOLEAN s_bReverseScroll;
extern U32 s_u32RefillAccumulatorBeams;
extern std::atomic<U32> s_u32MSSState;
extern U32 s_u32MSSSweepState;
extern FOURCHARID s_fcidSideViewFreq;
extern std::atomic<U32> s_BeamSelected;
extern std::atomic<S32> s_CurrentView;
extern std::atomic<U32> db_u32WaterType;
extern U32 db_u32FishSensitivity;
extern std::atomic<float> db_fDepthAlarm;
extern U8 u8FishIDCutOffThreshold50kHz;
extern U8 u8FishIDCutOffThreshold83kHz;
extern U8 u8FishIDCutOffThreshold200kHz;
extern U8 u8FishIDCutOffThreshold455kHz;
extern BOOLEAN s_bExpAverageSelect;
extern U32 s_u32ExpAverageFactor;
extern BOOLEAN s_bSelectTvgView;
extern std::atomic<BOOLEAN> s_bJiggingModeOn;
extern std::atomic<U32> s_u32DigitalDepthSource;
extern std::atomic<U32> s_u32SideScanFilter;
extern std::atomic<BOOLEAN> s_bTerrainMode;
extern std::atomic<U32> s_u32SonarNetworkElementSelect;
extern std::atomic<float> s_fLowerDepth;
extern std::atomic<float> s_fCurrentDepth;
extern U32 s_u32LastProcessed2DBeam;
extern U32 s_u32SupportedBeams;
extern BOOLEAN s_bShutdown;

// Descriptors of a beam without accumulator, returned unprocessed.
extern std::atomic<U32> s_u32ForeignBeamPings;

// ---- Accumulators ----

extern RETURN_ACCUMULATOR Accumulator[ACCUMULATOR_BEAMS];
// The mutex of each beam's accumulator, usable before the task has started.
constexpr MUTEX ACCUMULATOR_MUTEX[ACCUMULATOR_BEAMS] = {RES_ACCUMULATOR_BEAM0, RES_ACCUMULATOR_BEAM1,
                                                        RES_ACCUMULATOR_BEAM2, RES_ACCUMULATOR_BEAM3};

// Every count, flag, position, depth, fish and stamp 0, u8Use 0, the
// mutexes bound to the beams.
void vInitializeAccumulators(void);
// Command 6: the beam's column is emptied.
void vClearAccumulator(BEAM Beam);

// ---- The task's steps ----

// Task start before semaphore 220: state, keys, accumulators.
void vStart(void);
void vRegisterDatabaseItems(BOOLEAN bForceFactoryDefaults);
void vHandleNewData(FOURCHARID fcid, DB_DATA_TYPE value);
// One mail; disposes of it.
void vHandleMail(GENERIC_MESSAGE* pMail);
// Command 4: processes the ping and returns the descriptor to queue 9.
void vProcessPing(PING_DESCRIPTOR* pDescriptor);
// The noise cut-off of the ping's filter stage into *pu32NoiseCutoff.
void vFilterSonarData(PING_DESCRIPTOR* pReturn, U32* pu32NoiseCutoff);
BOOLEAN bCheckAddColumns(BEAM Beam, U8 u8TransmitCycles, U8 u8Transducer);
void vAddNewColumns(BEAM Beam, U8 u8Transducer);
// Pacing and sequence state back to the start.
void vResetPacing(void);

// The samples of a depth: (time truncated + 13) / 26.
U32 u32SamplesOfDepth(float fDepthMetres);

} // namespace t_n_process
