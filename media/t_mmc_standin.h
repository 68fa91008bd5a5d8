// STAND-IN of the card task (task 28) until it is built: the capture
// review's mails and the sonar's recording and playback calls, over one
// card folder, /mnt/mmc0 under the unit root (made when missing).
//
// - The list: the folder's "*.PNG" snapshots and "*.SON" recordings in name
//   order, each named "mmc0/<file>".
// - Mail 63 saves the frozen screen as the next "SNAPnnnn.PNG", signals
//   semaphore 135 and completes the save; mail 64 loads a PNG into a
//   bitmap while its request is the latest; 65 deletes; 66 makes a
//   200 x 150 thumbnail of a PNG (an image not 800 x 600 is marked of the
//   wrong size); 67 reads a recording's 64-byte header.
// - A recording is "SONnnnnn.SON": the header, then the raw pings
//   (media/t_mmc_record.h); the header is completed on close.
// - Playback reads it back through T_MMC_u32ReadPingFromMMC; records that
//   fail their checks are dropped and counted.
//
// The stand-in knows no waypoints: headers carry none.
#pragma once

#include "kernel/l_types.h"
#include "sonar/neighbour_standins.h"
#include "ui/t_view_capture.h"

constexpr MBOX CARD_MAILBOX = 29;

// Entry of task 28: publishes "TMMC" and serves its mailbox.
void T_MMC_vMain(void);
// One mail of the card task's mailbox (freed or acknowledged here).
void T_MMC_STANDIN_vHandleMail(GENERIC_MESSAGE* pMail);

// The calls the sonar and the view task's review make of the card task.
const SONAR_CARD_CALLS* T_MMC_STANDIN_psSonarCalls(void);
THUMBNAIL_TYPE T_MMC_STANDIN_eFindNext(char* pcName, U32* pu32Position);
THUMBNAIL_TYPE T_MMC_STANDIN_eFindPrevious(char* pcName, U32* pu32Position);
THUMBNAIL_TYPE T_MMC_STANDIN_eFindLast(char* pcName, U32* pu32Position);
THUMBNAIL_TYPE T_MMC_STANDIN_eFindNextImage(char* pcName, U32* pu32Position);
THUMBNAIL_TYPE T_MMC_STANDIN_eFindPreviousImage(char* pcName, U32* pu32Position);
U32 T_MMC_STANDIN_u32ThumbNailsInList(void);
BOOLEAN T_MMC_STANDIN_bOpenPlaybackFile(BOOLEAN bOpenFile, char* pcName);

// The card folder on the host.
const char* T_MMC_STANDIN_pcCardFolder(void);
// Ping records dropped by the playback reader since the start.
U32 T_MMC_STANDIN_u32DroppedRecords(void);
// Forgets any open recording or playback (tests).
void T_MMC_STANDIN_vReset(void);
