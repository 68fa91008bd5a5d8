// SD-card driver: presence from the kernel's MMC host directories, the
// card's FAT file system mounted at /mnt/mmc0 or /mnt/mmc1, the card's
// identification register and write protection, and the detection thread
// that wakes the card task (semaphore 73) 2 s after a card's block device
// appears in or vanishes from /dev.
//
// Slot 0 is host mmc0 (block devices mmcblk0 and mmcblk1), slot 1 is host
// mmc2 (mmcblk2). Slot numbers are not checked. The slot records have no
// lock: after start-up the card task is their only writer.
#pragma once

#include "kernel/l_types.h"

typedef enum tag_CARD_PRESENT {
    NO_CARD_PRESENT = 1,
    MMC_CARD_PRESENT = 2,
    SD_CARD_PRESENT = 3,
    HCSD_CARD_PRESENT = 4,
    CARD_ERROR = 5,
    CHART_CARD_PRESENT = 6
} CARD_PRESENT;

constexpr int SD_NUM_SLOTS = 2;
constexpr int SD_CID_BYTES = 16;

typedef struct tag_SD_STATUS {
    char cDeviceName[12]; // the slot's MMC host: "mmc0" or "mmc2"
    char cFullName[12];   // the card's directory under the host, "mmcN:address"
    char dir_name[256];   // the card's sysfs directory (a unit path)
    U8 cCID[SD_CID_BYTES];
    S32 nLogicalID;       // N of /dev/mmcblkN
    CARD_PRESENT eCardPresent;
    BOOLEAN bReadOnly;    // mounted read-only, or not mounted
} SD_STATUS;

// Starts the detection thread once, then empties both slots and unmounts
// whatever an earlier run left mounted.
void DD_SD_vInit(void);
BOOLEAN DD_SD_bIsCardPresent(int slot);
// Finds, mounts and identifies the card; TRUE when it is mounted.
BOOLEAN DD_SD_bInitCard(int slot);
BOOLEAN DD_SD_bIsHardwareWriteEnabled(int slot);
void DD_SD_vUmount(int slot);
void DD_SD_vGetCID(int slot, U8* pu8Dest);
CARD_PRESENT DD_SD_eReadCardType(int slot);
// Nothing to do on this board.
void DD_SD_vSetCallback(void* pvCallback);
void DD_SD_vWriteProtect(int slot, int flags);

// The slot's record, for the card task's diagnostics and for tests.
const SD_STATUS* DD_SD_psGetStatus(int slot);
