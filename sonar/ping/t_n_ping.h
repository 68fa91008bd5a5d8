// The ping task (task 12): the spine of the sonar road. It owns the pool of
// 24 ping descriptors, decides on every pass whether the unit pings at all,
// runs the ping cycle that fits the connected transducer, routes every
// filled descriptor through the director, and keeps the sonar settings and
// the three sonar-source masks.
//
// The road of one descriptor: queue 9 hands it out, a ping cycle, the
// playback task or a network receiver fills it, the director mails it to
// the processing task (mailbox 9) or puts it straight back, and whoever
// holds it last puts it back into queue 9. Every put signals semaphore 126,
// which wakes the ping task, so the rate at which descriptors come back
// paces the pinging. Queue 9 is the pool's only interface: take with
// L_QUEUE_GetWait (ping cycles, playback) or L_QUEUE_Get (network
// receivers, which drop a ping when none is free), return with L_QUEUE_Put.
//
// The sonar-source masks use bit n for source n (NET_SOURCE_TYPE):
// "ELPM" the sources this unit shows from its own transducer, "ENPM" those
// it shows from another unit's server, "ECPM" those that network clients
// want from this unit's transducer.
#pragma once

#include "kernel/l_mbox.h"
#include "kernel/l_types.h"
#include "sonar/dsp/s_transducer.h" // NET_SOURCE_TYPE
#include "sonar/dsp/s_types.h"
#include "sonar/ping/u_ping.h"
#include "util/u_convert.h"

// ---- Kernel objects ----

constexpr TASK PING_TASK = 12;
constexpr MBOX PING_MAILBOX = 8;
constexpr SEMA SEMA_MBOX_PING = 47;
constexpr QUEUE Q_PING = 9;
constexpr U32 PING_DESCRIPTOR_COUNT = 24;
constexpr SEMA SEMA_PING_QNE = 126;     // bound to queue 9's not-empty condition
constexpr SEMA SEMA_TRIGGER_SONAR = 122; // the one-shot timer at start
constexpr MBOX PROCESS_MAILBOX = 9;      // the processing task
constexpr PRIORITY PING_MAIL_PRIORITY = 3;

// ---- Playback modes (key "CPSP") ----

typedef enum tag_PLAYBACK_MODE_TYPE : U32 {
    PLAYBACK_MODE_BEGIN = 1,
    PLAYBACK_MODE_4XREVERSE = 2,
    PLAYBACK_MODE_2XREVERSE = 3,
    PLAYBACK_MODE_REVERSE = 4,
    PLAYBACK_MODE_REVERSE_SLOW = 5,
    PLAYBACK_MODE_PAUSED = 6,
    PLAYBACK_MODE_FORWARD_SLOW = 7,
    PLAYBACK_MODE_FORWARD = 8,
    PLAYBACK_MODE_2XFORWARD = 9,
    PLAYBACK_MODE_4XFORWARD = 10,
    PLAYBACK_MODE_END = 11,
    PLAYBACK_MODE_END_FILL = 12,
    PLAYBACK_MODE_STOP = 13,   // no playback
    PLAYBACK_MODE_RECORD = 14, // recording
    PLAYBACK_MODE_PAUSED_BEGIN = 15,
    PLAYBACK_MODE_PAUSED_END = 16
} PLAYBACK_MODE_TYPE;

// ---- Mails to the processing task (mail priority 3, freed by the receiver) ----

typedef enum tag_networkSonarProcessType : int {
    NETWORK_SONAR_PROCESS = 0,       // a normal ping
    NETWORK_SONAR_PROCESS_BLANK = 1  // an empty column (playback only)
} networkSonarProcessType;

// CMD_ID_SONAR_PROCESS_PING: the processing task returns the descriptor to queue 9.
typedef struct tag_PING_MESSAGE {
    GENERIC_MESSAGE Header;
    PING_DESCRIPTOR* pReturnDescriptor;
} PING_MESSAGE;

// CMD_ID_BLANK_SCROLL_PING: scroll an empty column of the beam.
typedef struct tag_MSG_BLANK_SCROLL_PING {
    GENERIC_MESSAGE Header;
    BEAM Beam;
    U32 u32TransmitFrequencyHertz; // not filled by the director
} MSG_BLANK_SCROLL_PING;

// CMD_ID_NEW_PLAYBACK_STATE: "CPSP" changed.
typedef struct tag_MSG_NEW_PLAYBACK_STATE {
    GENERIC_MESSAGE Header;
    U32 u32NewPlaybackState;
} MSG_NEW_PLAYBACK_STATE;

// ---- The task ----

void T_N_PING_vMain(void);

// ---- Playback (task 60) ----

// Task 60: playback steps for ever.
void T_READ_RECORD_PINGDATA_vMain(void);
// One playback step: idles 500 ms unless a recording plays unpaused, else
// hands one recorded ping (or an empty column) to the director, paced by
// the reader's delay; when every beam has ended writes "CPSP" 16.
void T_N_PING_vRecordPlayback(void);
// Forgets which beams were played ("CSBP" is the caller's): on entering
// playback.
void T_N_PING_vResetReadBeamPinging(void);

// ---- Routing ----

// Routes one filled descriptor of this unit, live or played back
// (isRecordPlayback), of sonar source eNetSourceType (0 for the 2D beams,
// 1 for the imaging beams); the caller no longer owns it afterwards.
void X_pingDataDirector(NET_SOURCE_TYPE eNetSourceType, BOOLEAN isRecordPlayback,
                        networkSonarProcessType processType, PING_DESCRIPTOR* pDescriptor);

// ---- Network clients of the sonar sources (server side) ----

// One list per sonar source; change them only through U_PING_*ClientNode.
extern sonarRegisteredClientNode* sonarSourcesArray[SONAR_SOURCE_COUNT];

// TRUE when some network client takes the source from this unit.
BOOLEAN T_N_PING_bCheckActiveClientList(U32 u32SonarSource);
// Empties every client list ("ECPM" is left as it is).
BOOLEAN T_N_PING_bRemoveAllClients(void);

// ---- Settings and masks ----

// Recomputes "ISEN", whether the sonar is shown.
void T_N_PING_vSetSonarViewEnable(void);
// Sets or clears the four "ELPM" bits and writes "ELPM".
void T_N_PING_vSetPingBitMask(BOOLEAN b2D, BOOLEAN bKV, BOOLEAN bFV, BOOLEAN b360);
// "ENPM" | "ELPM": the sources this unit's screens show.
U32 T_N_PING_u32GetSourcesSelectedByLocal(void);
// "ECPM" | "ELPM": the sources pinged on the local transducer.
U32 T_N_PING_u32GetSourcesToPingOnLocalTx(void);
// A depth setting (metres) means automatic when it is below 2 feet, or
// below 1 metre or fathom, in the depth units given; FALSE for other units.
BOOLEAN T_N_PING_bAutoDepthRange(float fLowerDepthSetting, UNIT_TYPE eUnits);

// ---- Sonar sources ----

// Applies the unit id chosen for a source (0-3; -1 = none) to the source's
// client state. Takes mutex 100 itself.
void T_N_PING_vUpdateSonarSource(U32 u32SonarSource, U16 u16SourceType);
// Shows a source from this unit's transducer again; FALSE when the
// transducer does not provide it. Takes mutex 100 itself.
BOOLEAN T_N_PING_vSwitchToLocalSonar(U16 u16LocalIndex);
// Copies the saved settings of a source into its menu controls.
void T_N_PING_vUpdateLocalDatabaseItems(U16 u16Index);
