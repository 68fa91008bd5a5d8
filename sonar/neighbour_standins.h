// STAND-INS of what the ping task asks of neighbouring subsystems that are
// not built yet: the card task's playback files and the network receive
// task's side of a sonar-source change. Each does what the ping task may
// rely on of the real one; delete an entry when its real module lands.
#pragma once

#include "kernel/l_types.h"

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
