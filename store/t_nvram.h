// The NVRAM task (task 14, mailbox 14, key "TNVR"): loads the persisted
// settings into the data store before it publishes "TNVR", writes the
// unit-header keys to the NVRAM files as soon as they change, saves the
// other changed F and S keys every ten minutes and at shutdown, and serves
// the reads and writes of the two block files.
#pragma once

#include "kernel/l_mbox.h"
#include "store/h_dbtypes.h"
#include "store/h_nvram.h"

constexpr TASK NVRAM_TASK = 14;
constexpr MBOX NVRAM_MBOX = 14;

typedef struct tag_MSG_NVRAM_WRITE_TO_HEADER {
    GENERIC_MESSAGE Header; // CMD_ID_WRITE_TO_HEADER
    FOURCHARID id;
} MSG_NVRAM_WRITE_TO_HEADER;

typedef struct tag_MSG_NVRAM_WRITE_TO_NVR {
    GENERIC_MESSAGE Header; // CMD_ID_WRITE_TO_NVR
    FOURCHARID id;
} MSG_NVRAM_WRITE_TO_NVR;

// Sent with a semaphore; the sender reads bSuccess and frees the mail.
typedef struct tag_MSG_SONAR_DATA {
    GENERIC_MESSAGE Header; // CMD_ID_READ_SONAR_DATA or CMD_ID_WRITE_SONAR_DATA
    SONAR_DATA_BLOCK* pSonarData;
    BOOLEAN bSuccess;
} MSG_SONAR_DATA;
typedef MSG_SONAR_DATA MSG_READ_SONAR_DATA;
typedef MSG_SONAR_DATA MSG_WRITE_SONAR_DATA;

typedef struct tag_MSG_PERSONALIZED {
    GENERIC_MESSAGE Header; // CMD_ID_READ_PERSONALIZED or CMD_ID_WRITE_PERSONALIZED
    PERSONALIZATION_DATA_BLOCK* pPersonData;
    BOOLEAN bSuccess;
} MSG_PERSONALIZED;
typedef MSG_PERSONALIZED MSG_READ_PERSONALIZED;
typedef MSG_PERSONALIZED MSG_WRITE_PERSONALIZED;

// The task's entry; never returns.
void T_NVRAM_vMain(void);
// Makes the NVRAM files usable and current ("CNVR", the layout version).
void T_NVRAM_vInitHardware(void);
// Saves the F and S keys that differ from the files (header keys always);
// only the save-always keys in the burn-in and point-of-sale states;
// nothing before "CCST" was written.
void T_NVRAM_vHandleDataSave(void);
// Row of a key in the unit-header table, or 0xFFFFFFFF.
U32 T_NVRAM_u32FetchItemNumber(FOURCHARID id);

// The task's work in steps, for tests that drive it without its thread:
// everything before the wait loop (ending with "TNVR" published and the
// save timer running), and the handling of the mails in the mailbox.
void T_NVRAM_vStart(void);
void T_NVRAM_vServeMailbox(void);
