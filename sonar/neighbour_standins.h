// STAND-INS of what the ping and processing tasks ask of neighbouring
// subsystems that are not built yet: the card task's playback and recording
// files, the network receive task's side of a sonar-source change and the
// depth alarm, and the navigation overlay over the 360 picture. Each does what the sonar tasks may rely on of the real one;
// delete an entry when its real module lands.
#pragma once

#include "kernel/l_types.h"
#include "sonar/dsp/s_types.h"
#include "sonar/history/t_n_history_ppi.h" // MSS_NAV_VIEW

// ---- The card task: recording playback ----

// Opens a recording for playback (TRUE) or closes the one open (FALSE);
// FALSE when the file cannot be opened. No recording is ever open here.
BOOLEAN T_MMC_bOpenPlaybackFile(BOOLEAN bOpenFile, char* pFilename);
// Deletes the keys that playback wrote: "ILAT", "ILON", "ILTD", "ILND",
// "IHDG", "IDTM", "ISOG", "ISPD".
void T_MMC_vCleanupDatabaseAfterPlayback(void);

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

// ---- The navigation task: overlay of the 360 picture ----

// Waypoints, routes and tracks over the 360 picture: nothing is drawn
// here. Installed until the composition root installs the real painter
// (T_N_HISTORY_vInstallSweepOverlay).
void T_NAV_vDrawSweepOverlay(const MSS_NAV_VIEW* pView, BOOLEAN bActive, S32 s32Unused);
