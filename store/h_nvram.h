// The NVRAM files: the four settings files of the working directory.
//
// Two files form a slot store of 32-bit values. Every persisted key has a
// fixed slot: the keys "S" c2 c3 c4 take 1296 v(c2) + 36 v(c3) + v(c4) with
// v the base-36 digit value ("0"-"9", "A"-"Z", anything else 0), and the
// three special keys "NVER", "CREV", "FFST" take 46656-46658.
// nvr_entries.dat holds the value of slot n as a little-endian U32 at byte
// 4n; nvr_statbit.dat holds one valid bit per slot (word w, little-endian
// at byte 4w, bit n mod 32 for slot n = 32w + bit). A value counts only
// while its bit is set. sonar.dat and personal.dat each hold one block of
// little-endian U16 at offset 0.
//
// Each file is replaced as a whole (a temporary file written, synced and
// renamed over the old one), so a crash or power cut leaves every file
// either old or new, never torn. The slot files are replaced values first,
// bitmap second: a bit is never valid on the medium before its value is.
// Writes of values only change the module's copy of the files; they reach
// the medium with H_NVRAM_vFlashWriteBack, and a failed replace is tried
// again at the next one.
//
// The NVRAM task is the module's one user while the system runs; the erase
// also comes from other tasks at shutdown, so every call takes the module's
// lock. The slot iterator's state is shared by both iterations.
#pragma once

#include "kernel/l_types.h"
#include "store/h_dbtypes.h"

typedef enum tag_NVRAM_FILENAMES_ED {
    nfSONAR_DATA = 0,
    nfPERSONAL_DATA = 1,
    nfFCID_STATBIT = 2,
    nfFCID_ENTRIES = 3,
    nfCOUNT = 4
} NVRAM_FILENAMES_ED;

typedef enum tag_NVR_STATE {
    STATE_ACTIVE = 1,
    STATE_HARDWARE_FAILURE = 2,
    STATE_VIRGIN = 3
} NVR_STATE;

constexpr U32 NVR_SLOT_COUNT = 46659;         // 46656 S slots, then the three special keys
constexpr U32 NVR_STATBIT_WORDS = 1459;       // the last one holds the special slots
constexpr U32 NVR_VERSION = 0xFFFFFFF8;       // current value of "NVER"
constexpr U32 NVR_NO_SLOT = 0xFFFFFFFF;
constexpr U32 NVR_HEADER_ROWS = 20;
constexpr FOURCHARID NVR_HEADER_END = 0xFFFFFFF0; // end marker of the unit-header table
// The confirmation words of H_NVRAM_bScratchNVR.
constexpr U32 NVR_SCRATCH_CODE1 = 0x5C4A7C4E;
constexpr U32 NVR_SCRATCH_CODE2 = 0xA3E1F00D;

typedef struct tag_SONAR_DATA_BLOCK {
    U16 u16Data[254];
} SONAR_DATA_BLOCK;
constexpr U32 SONAR_DATA_BYTES = 508;

typedef struct tag_PERSONALIZATION_DATA_BLOCK {
    U16 u16Data[126];
} PERSONALIZATION_DATA_BLOCK;
constexpr U32 PERSONALIZATION_DATA_BYTES = 252;

typedef struct tag_NVR_ENTRY {
    FOURCHARID id;
    DB_DATA_TYPE data; // its low 32 bits are what is stored
} NVR_ENTRY;

typedef struct tag_UNIT_HEADER_CONTROL {
    const FOURCHARID id;
    BOOLEAN bRegistered; // kept by the NVRAM task
} UNIT_HEADER_CONTROL;

// The unit-header table: the unit's identity keys, written at once when
// they change. Rows after the end marker are not used.
extern UNIT_HEADER_CONTROL s_4chHeader[NVR_HEADER_ROWS];

// File names, by NVRAM_FILENAMES_ED.
extern const char* const vondrel_filenames[nfCOUNT];

// Slot of a key, NVR_NO_SLOT for a key without one; and the key of a slot,
// 0xFFFFFFFF above the last.
U32 H_NVRAM_u32XlatID(FOURCHARID fcid);
FOURCHARID H_NVRAM_fcidXlatNumber(U32 u32Number);

// Creates the working directory and the scratch directory; reports a
// working directory that is not a directory, and a unit whose bitmap file
// is missing or empty.
NVR_STATE H_NVRAM_eInit(void);
// Deletes the four files (only with the two confirmation words).
BOOLEAN H_NVRAM_bScratchNVR(U32 u32Code1, U32 u32Code2);
// Puts nvr_entries.dat and then nvr_statbit.dat on the medium.
void H_NVRAM_vFlashWriteBack(void);

BOOLEAN H_NVRAM_bWriteFCID(NVR_ENTRY* pentry);
BOOLEAN H_NVRAM_bGetItemByID(NVR_ENTRY* pentry);
BOOLEAN H_NVRAM_bReadUnitHeaderEntry(U32 u32ItemNumber, NVR_ENTRY* pentry);
BOOLEAN H_NVRAM_bGetItemByNumber(U32 u32Number, NVR_ENTRY* pentry);
// Iterations over the valid S slots and the valid special slots; index 0
// starts over. Do not interleave the two.
BOOLEAN H_NVRAM_bReadSEntry(U32 index, NVR_ENTRY* pentry);
BOOLEAN H_NVRAM_bReadFEntry(U32 index, NVR_ENTRY* pentry);

BOOLEAN H_NVRAM_bReadSonarData(SONAR_DATA_BLOCK* pBlock);
BOOLEAN H_NVRAM_bWriteSonarData(const SONAR_DATA_BLOCK* pBlock);
BOOLEAN H_NVRAM_bReadPersonalizationData(PERSONALIZATION_DATA_BLOCK* pBlock);
BOOLEAN H_NVRAM_bWritePersonalizationData(const PERSONALIZATION_DATA_BLOCK* pBlock);
// Raw bytes at offset 0 of any of the four files.
BOOLEAN H_NVRAM_bReadBlock(U32 u32Index, U8* pData, U32 u32Size);
BOOLEAN H_NVRAM_bWriteBlock(U32 u32Index, const U8* pData, U32 u32Size);

// Copies a key from the files into the data store, when the files hold it.
void H_NVRAM_vVersionChangeFindAndSave(FOURCHARID fcid);
