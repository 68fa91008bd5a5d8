// What the sonar tasks ask of neighbouring subsystems: the card task's
// playback and recording files, the network receive task's side of a
// sonar-source change, and the depth alarm.
//
// The card task lives beside the sonar and uses it, so its calls come
// through a table that app/ installs; a field left null (or no table at
// all) falls back to the STAND-IN here, which does what the sonar tasks
// may rely on of the real one: no card, no recording, no playback. The
// network receive task and the depth alarm are STAND-INS until they are
// built; delete an entry when its real module lands.
#pragma once

#include "kernel/l_types.h"
#include "sonar/dsp/s_types.h"
#include "sonar/ping/t_n_ping.h" // PLAYBACK_MODE_TYPE

typedef struct tag_SONAR_CARD_CALLS {
    BOOLEAN (*bOpenPlaybackFile)(BOOLEAN bOpenFile, char* pFilename);
    void (*vCleanupDatabaseAfterPlayback)(void);
    BOOLEAN (*bOpenSonarMMCFiles)(void);
    void (*vSaveRawDataToMMC)(PING_DESCRIPTOR* pPing);
    void (*vCloseSonarMMCFiles)(BOOLEAN bRemove);
    void (*vSeekPingsInPlaybackFile)(U32* pu32TimeStamps);
    void (*vDrawErrorMessage)(void);
    U32 (*u32ReadPingFromMMC)(PING_DESCRIPTOR* pPing, S32* ps32Delay, PLAYBACK_MODE_TYPE eMode,
                              BOOLEAN* pbNeedSeek);
    void (*vSetEndFillDone)(void);
} SONAR_CARD_CALLS;

// Installs the card task's calls (kept by pointer; null puts every
// stand-in back). Installed before the tasks run.
void T_MMC_vInstallSonarCalls(const SONAR_CARD_CALLS* pCalls);

// ---- The card task: recording playback ----

// Opens a recording for playback (TRUE) or closes the one open (FALSE);
// FALSE when the file cannot be opened. No recording is ever open here.
BOOLEAN T_MMC_bOpenPlaybackFile(BOOLEAN bOpenFile, char* pFilename);
// Deletes the keys that playback wrote: "ILAT", "ILON", "ILTD", "ILND",
// "IHDG", "IDTM", "ISOG", "ISPD".
void T_MMC_vCleanupDatabaseAfterPlayback(void);
// The next ping of the recording played back, in the mode's direction and
// speed: 0 nothing this time, 1 a ping, 2 the current beam's data ended,
// 238 an empty column of the beam (Beam set for 2 and 238); *ps32Delay the
// milliseconds to wait before the next read; a pending seek (*pbNeedSeek)
// is carried out first and cleared. Stand-in: nothing, 500 ms.
U32 T_MMC_u32ReadPingFromMMC(PING_DESCRIPTOR* pPing, S32* ps32Delay, PLAYBACK_MODE_TYPE eMode, BOOLEAN* pbNeedSeek);
// The end fill of a playback has been drawn. Stand-in: nothing to tell.
void T_MMC_vSetEndFillDone(void);

// ---- The network receive task ----

// Its own record of the unit chosen for a sonar source; the ping task has
// already moved the source's client state, so nothing is left to do here.
void T_NET_PING_RECEIVE_vUpdateSonarSource(U32 u32SonarSource, U16 u16SourceType);

// ---- The card task: sonar recording ----

// Starts a sonar recording; FALSE: no writable card is present here.
BOOLEAN T_MMC_bOpenSonarMMCFiles(void);
// Appends the raw ping to the open recording: none is ever open here.
void T_MMC_vSaveRawDataToMMC(PING_DESCRIPTOR* pPing);
// Closes (or with bRemove removes) the open recording: none here.
void T_MMC_vCloseSonarMMCFiles(BOOLEAN bRemove);
// Asks the playback reader to seek to the stamps: no playback here.
void T_MMC_vSeekPingsInPlaybackFile(U32* pu32TimeStamps);
// The card error message: logged only.
void T_MMC_vDrawErrorMessage(void);

// ---- The depth alarm ----

// Nothing to set up on this platform.
void S_DEPTHALARM_vInitDepthAlarms(void);
// A new depth against the shallow-depth alarm's set point: no alarm is
// raised here.
void S_DEPTHALARM_vCompareNewDepthAgainstAlarmSetPoint(U32 u32Source, float fDepth, float fSetPoint);
