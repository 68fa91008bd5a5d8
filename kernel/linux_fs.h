// The file layer over the system library: directory listings with full path
// names and a directory flag, size and attribute queries, an end-of-file
// test, a remove that syncs at once, and a close that only asks the sync
// thread to sync. The sync thread serves every request made during its
// 5-second pause with one sync() after it, so a burst of closes costs one
// sync, at most about a second late.
//
// Whole-file replaces keep a file either old or new whatever moment a crash
// or power cut picks. A bulk scope lets one task replace and remove many
// files with one sync at its end in place of one per file.
//
// A directory handle belongs to one task at a time; each FS_ReadDir
// overwrites the entry the previous one returned.
#pragma once

#include "kernel/l_types.h"

#include <cstdio>
#include <dirent.h>

constexpr U8 FS_ATTR_DIRECTORY = 0x10;
constexpr U8 FS_ATTR_MISSING = 255;
constexpr size_t FS_NAME_BYTES = 256; // a name or full path and its NUL

typedef struct tagVONDREL_DIRENT {
    char full_name[FS_NAME_BYTES]; // directory name, "/", entry name
    struct dirent* pDirent;        // the system library's entry
    U32 size;                      // bytes; 0xFFFFFFFF when it does not fit
    U8 attr;                       // FS_ATTR_DIRECTORY or 0
} VONDREL_DIRENT;

typedef struct tagVONDREL_DIR {
    char name[FS_NAME_BYTES]; // the path given to FS_OpenDir
    DIR* pDir;
    VONDREL_DIRENT mdirent; // the current entry
} VONDREL_DIR;

// Null when the directory cannot be opened or its name does not fit.
VONDREL_DIR* FS_OpenDir(const char* pcDirname);
// The next entry other than "." and ".."; null at the end or for a null
// handle. An entry whose status cannot be read, or whose full name does
// not fit, is skipped.
VONDREL_DIRENT* FS_ReadDir(VONDREL_DIR* pDir);
void FS_RewindDir(VONDREL_DIR* pDir);
void FS_CloseDir(VONDREL_DIR* pDir);
// The bare entry name, at most FS_NAME_BYTES with its NUL.
void FS_DirEnt2Name(const VONDREL_DIRENT* pDirent, char* pcBuffer);
void FS_DirEnt2Attr(const VONDREL_DIRENT* pDirent, U8* pu8Attribute);
U32 FS_DirEnt2Size(const VONDREL_DIRENT* pDirent);

// FS_ATTR_MISSING when the path cannot be read, FS_ATTR_DIRECTORY, or 0.
U8 FS_GetFileAttributes(const char* pFilename);
// From the end position, leaving the position as it was; 0xFFFFFFFF when
// seeking fails.
U32 FS_GetFileSize(FILE* pFile);
// 1 at end of file; otherwise 0 with the position unchanged.
int LS_feof(FILE* pFile);
// The close's result; a sync is requested either way.
int LS_fclose(FILE* pFile);
void LS_sync(void);
// unlink's result (0, or -1 with errno set), then sync() at once; inside a
// bulk scope the sync is left to the scope's end.
int FS_Remove(const char* filename);
// Puts size bytes on the medium as the whole new content of the file:
// writes "<path>.tmp", syncs it, renames it over the path and syncs the
// folder. 0, or -1 with errno set and the temporary file gone. Inside a
// bulk scope the two syncs are left to the scope's end.
int FS_ReplaceFile(const char* pcPath, const void* pData, size_t size);
// Bulk scopes of the calling thread; they nest. Until the outermost scope
// ends, FS_ReplaceFile and FS_Remove skip their syncs; its end syncs the
// file systems they touched once (through the sync function below), so
// an operation that ends its scope before it reports done has everything
// on the medium. Other threads keep their own syncs meanwhile.
void FS_vBeginBulk(void);
void FS_vEndBulk(void);
// Starts the sync thread once; Main calls it.
void LS_sync_vInit(void);
// Tests count syncs through this: pfnSync runs in place of sync() and of
// the end of a bulk scope (null restores them).
void LS_sync_vSetSyncFunction(void (*pfnSync)(void));

// Bindings a file-system library expects of its host. Nothing in the
// system calls them; cards are handled by the SD-card driver.
typedef U32 FS_U32;
void FS_X_OS_Lock(unsigned LockIndex);
void FS_X_OS_Unlock(unsigned LockIndex);
U16 FS_X_OS_GetDate(void);
U16 FS_X_OS_GetTime(void);
int FS_X_OS_Init(void);
int FS_X_OS_Exit(void);
int FS__MMC_Init(FS_U32 id);
int FS__MMC_CheckStatus(FS_U32 id);
