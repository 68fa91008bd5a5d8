// The ping task's state shared by its files: the task's own flags and
// settings, the three sonar-source masks as the task last heard them, the
// flags it hands to the ping cycles, and the task's internal steps.
//
// The ping task writes this state (from its mail handlers, in its own
// thread); the director also runs in the playback task and reads it there,
// and the history and menu tasks read the masks. Every value is atomic and
// stands alone; read-modify-write sequences of the shared ping state happen
// under mutex 100 (RES_SONAR_SHARE) in the ping task.
//
// The masks here follow the data store: a handler writes "ELPM", "ENPM" or
// "ECPM", and the task's change mail brings the new value in. The
// functions that change a mask read the store, so that two changes made
// before the mail arrives do not undo each other.
#pragma once

#include "gmsg/gmsg.h"
#include "kernel/l_mbox.h"
#include "sonar/ping/t_n_ping.h"
#include "sonar/ping/t_n_ping_cycles.h"
#include "store/h_dbtypes.h"

#include <atomic>

namespace t_n_ping {

// ---- The task ----

extern std::atomic<BOOLEAN> s_bSystemPinging;         // the system state allows pinging
extern std::atomic<BOOLEAN> s_bSonarEnabled;          // "SSEN"
extern std::atomic<BOOLEAN> s_bSimulateCoprocessor;   // pings are synthesised
extern std::atomic<BOOLEAN> s_bZeroAllPingDataBeforeSending;
extern std::atomic<BOOLEAN> s_bBurnInMode;            // state 2
extern std::atomic<BOOLEAN> s_bRecordingActive;       // "CSRE"
extern std::atomic<U32> s_u32MaxPingsPerSecond;       // "SRPS"
extern std::atomic<TICKS> s_TimeStampOfLastPing;
extern std::atomic<U32> s_u32PlaybackMode;            // "CPSP"
extern std::atomic<U32> s_u32LocalPingMask;           // "ELPM"
extern std::atomic<U32> s_u32NetworkPingMask;         // "ENPM"
extern std::atomic<U32> s_u32ClientPingMask;          // "ECPM"
extern std::atomic<U32> s_db_TransducerSelect;        // "SSTS"
extern std::atomic<BOOLEAN> s_bTransducerDetectedAtStart;
// The network destinations (clients of this unit's sonar); null until the
// network service of the task is set up.
extern std::atomic<void*> s_pvNetworkDestinations;
// The four server monitors have been handed out.
extern std::atomic<BOOLEAN> s_bServerMonitorsAllocated;

// ---- Flags for the ping cycles (set here, cleared by the cycle that uses them) ----

extern std::atomic<BOOLEAN> s_bSwitchToLocalPing; // forces a new transmit block
extern std::atomic<BOOLEAN> s_bPing2DNoKV;        // 2D without the Keelview beam
extern std::atomic<BOOLEAN> s_bPingMaskChanged;   // "ELPM" or "ECPM" changed
extern std::atomic<BOOLEAN> s_bNewSideRange;      // "SSSR" changed

// ---- Playback flags shared with the playback reader ----

extern std::atomic<BOOLEAN> s_bNeedSeekPing;
extern std::atomic<BOOLEAN> s_bReverseScroll;

// ---- Settings that shape a ping ----

extern std::atomic<BOOLEAN> s_bJiggingModeOn;     // "YJIG"
extern std::atomic<BOOLEAN> s_bAutoRange;         // from "YSLD"
extern std::atomic<float> s_fMaxDepthToPing;      // "SSMD"; 0 automatic
extern std::atomic<U32> s_u32TransmitCycles;      // "SSTC"; 0 automatic
extern std::atomic<U32> s_u32TransmitPower;       // "SSTP"; 0 automatic
extern std::atomic<U32> s_u32LowFrequencyDelay;   // "SLFD", ms
extern std::atomic<U32> s_u32WaterType;           // "YSWA", low 16 bits
extern std::atomic<U32> s_u32SweepMode;           // "YSPL"
extern std::atomic<BOOLEAN> s_bTvgView;           // "STVG"
extern std::atomic<UNIT_TYPE> s_eDepthUnits;      // "SUDP"
extern std::atomic<float> s_fSideRange;           // "SSSR", metres
extern std::atomic<U32> s_u32SectorStepFactor;    // "YSPS"/"SSPS", low 16 bits
extern std::atomic<BOOLEAN> s_bBowMounted;        // "YBMT"
extern std::atomic<U32> s_u32SavedLocalPingMask;  // "ELPM" while the sonar is off; 0 none

// ---- Sonar sources ----

// Low 24 bits of the unit id chosen for each source (0xFFFFFF none).
extern std::atomic<U32> s_u32SonarSourceMAC[SONAR_SOURCE_COUNT];

// ---- Steps of the task ----

// Fatal error of the ping task: logged, then the unit resets.
[[noreturn]] void vFatal(U32 u32Line, const char* pcText);
// Queue 9 with its semaphore and the 24 descriptors, once per process.
void vInitialisePingDescriptorQueue(void);
// One mail of mailbox 8 (not freed here).
void vHandleMail(GENERIC_MESSAGE* pMail);
// Handles and frees every mail waiting in mailbox 8; after command 1 the
// mails are only freed.
void vDrainMailbox(void);
// One wake by a descriptor put: ping, idle or nothing.
void vPingStep(void);
// Reads the analogue inputs, turns one descriptor through the pool so that
// the loop wakes again, sleeps 2 ms.
void vPerformNullPing(void);
void vRecordPingRateDelay(void);
BOOLEAN bShouldSystemPing(void);
// Under mutex 100.
void vUpdateSystemState(SYSTEM_STATE eNewState);
// Under mutex 100: real or synthesised pings for this pass.
BOOLEAN T_N_PING_bIsLocalSonarInUse(void);
// "YST3" is 16: the 360 unit is the Flankview source.
BOOLEAN T_N_PING_bMSSFV(void);

// ---- Settings ----

void vRegisterDatabaseItems(BOOLEAN bForceFactoryDefaults);
void vHandleNewData(FOURCHARID fcid, U32 u32Value);
// "ITXD" present and neither 0 nor -1.
BOOLEAN bTransducerDetected(void);
// The value of a mask key in the store; 0 when it is absent.
U32 u32ReadMask(FOURCHARID fcid);
void vWriteMask(FOURCHARID fcid, U32 u32Mask);
// "SMAC" when present and valid, low 24 bits.
BOOLEAN bFetchUnitId(U32* pu32UnitId);

// ---- The control translation table: a menu control and the saved setting it controls ----

typedef struct tag_FCID_TRANSLATE_TYPE {
    FOURCHARID fcidUIControl;
    FOURCHARID fcidSavedSetting;
    U32 u32SonarSources; // bit n: source n
} FCID_TRANSLATE_TYPE;

constexpr U32 TRANSLATE_ROWS = 43;
extern const FCID_TRANSLATE_TYPE s_fcidTranslateTable[TRANSLATE_ROWS];

// ---- Sharing between units (t_n_ping_server, t_n_ping_client) ----

BOOLEAN T_N_PING_bControlChangeSend(FOURCHARID fcid, U32 u32Value, U32 u32Advise, const GMSG_ADDRESS* pOrigin);
void T_N_PING_vSendTransducerChange(U32 u32TransducerId);
BOOLEAN T_N_PING_bUnregisterForAllNetworkData(void);
BOOLEAN T_N_PING_bSendToNetworkDestinations(NET_SOURCE_TYPE eNetSourceType, networkSonarProcessType processType,
                                            PING_DESCRIPTOR* pDescriptor);

} // namespace t_n_ping
