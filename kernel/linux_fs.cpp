// The file layer and the sync thread.
//
// Closing a file only raises the sync request; the sync thread polls it once
// a second and, after each sync(), pauses 5 seconds, so requests that arrive
// meanwhile are served together. A remove is synced at once because a
// removed file that comes back after a power cut is worse than a slow call.
// The request flag is the only state shared between threads.
//
// A whole-file replace relies on rename() replacing the name in one step:
// the name shows the old file until the new one is complete and synced, and
// the folder is synced after the rename so that the new name survives a
// power cut. A bulk scope is per thread: it only defers the syncs of the
// thread that opened it, and remembers the folders it touched so that its
// end syncs their file systems and nothing else.
#include "kernel/linux_fs.h"

#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "kernel/l_utils.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// Constants ---------------------------------------------------------------

namespace {

constexpr MUTEX RES_FS_FOP = 15;
constexpr TICKS SYNC_POLL_TICKS = 1000;
constexpr TICKS SYNC_PAUSE_TICKS = 5000;
constexpr const char* TMP_SUFFIX = ".tmp";
// Folders a bulk scope remembers; a scope that touches more syncs everything.
constexpr size_t BULK_MAX_FOLDERS = 16;

} // namespace

// Statics -----------------------------------------------------------------

namespace {

std::atomic<bool> s_bSync{false};
std::atomic<void (*)(void)> s_pfnSync{nullptr};
std::once_flag s_syncThreadOnce;
pthread_t s_sync_thread;

void vDoSync(void)
{
    void (*pfn)(void) = s_pfnSync.load();
    if (pfn)
        pfn();
    else
        sync();
}

// The calling thread's bulk scope.
struct BULK_SCOPE {
    U32 u32Depth = 0;
    bool bPending = false;  // a sync was left to the end
    bool bOverflow = false; // more folders than remembered
    std::vector<std::string> folders;
};
thread_local BULK_SCOPE s_bulk;

std::string sFolderOf(const char* pcPath)
{
    const char* slash = strrchr(pcPath, '/');
    if (!slash)
        return ".";
    if (slash == pcPath)
        return "/";
    return std::string(pcPath, (size_t)(slash - pcPath));
}

// True when the caller is inside a bulk scope; the folder is then noted for
// the scope's end.
bool bDeferToBulk(const char* pcPath)
{
    if (s_bulk.u32Depth == 0)
        return false;
    s_bulk.bPending = true;
    std::string folder = sFolderOf(pcPath);
    for (const std::string& f : s_bulk.folders) {
        if (f == folder)
            return true;
    }
    if (s_bulk.folders.size() < BULK_MAX_FOLDERS)
        s_bulk.folders.push_back(folder);
    else
        s_bulk.bOverflow = true;
    return true;
}

void vSyncFolder(const std::string& folder)
{
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// One sync per file system among the folders. A folder removed during the
// scope is synced through the nearest folder above it that is left, where
// its removal shows.
void vSyncBulkFolders(void)
{
    if (s_pfnSync.load() || s_bulk.bOverflow) {
        vDoSync();
        return;
    }
    std::vector<dev_t> done;
    for (std::string f : s_bulk.folders) {
        int fd = open(f.c_str(), O_RDONLY | O_DIRECTORY);
        while (fd < 0 && f != "/" && f != ".") {
            f = sFolderOf(f.c_str());
            fd = open(f.c_str(), O_RDONLY | O_DIRECTORY);
        }
        if (fd < 0)
            continue;
        struct stat st;
        bool seen = fstat(fd, &st) != 0;
        for (dev_t d : done)
            seen = seen || d == st.st_dev;
        if (!seen) {
            syncfs(fd);
            done.push_back(st.st_dev);
        }
        close(fd);
    }
}

bool bWriteAll(int fd, const U8* p, size_t n)
{
    while (n > 0) {
        ssize_t w = write(fd, p, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        p += w;
        n -= (size_t)w;
    }
    return true;
}

void* LS_sync_vThread(void*)
{
    pthread_detach(pthread_self());
    for (;;) {
        while (!s_bSync.load())
            L_CLOCK_Sleep(SYNC_POLL_TICKS);
        s_bSync = false;
        vDoSync();
        L_CLOCK_Sleep(SYNC_PAUSE_TICKS);
    }
    return nullptr;
}

} // namespace

// Directories -------------------------------------------------------------

VONDREL_DIR* FS_OpenDir(const char* pcDirname)
{
    if (!pcDirname || strlen(pcDirname) >= FS_NAME_BYTES)
        return nullptr;
    DIR* d = opendir(pcDirname);
    if (!d)
        return nullptr;
    auto* p = static_cast<VONDREL_DIR*>(H_MEMORY_pvMalloc(sizeof(VONDREL_DIR)));
    memset(p, 0, sizeof *p);
    snprintf(p->name, sizeof p->name, "%s", pcDirname);
    p->pDir = d;
    return p;
}

VONDREL_DIRENT* FS_ReadDir(VONDREL_DIR* pDir)
{
    if (!pDir)
        return nullptr;
    for (;;) {
        struct dirent* e = readdir(pDir->pDir);
        if (!e)
            return nullptr;
        if (!strcmp(e->d_name, ".") || !strcmp(e->d_name, ".."))
            continue;
        VONDREL_DIRENT& m = pDir->mdirent;
        int n = snprintf(m.full_name, sizeof m.full_name, "%s/%s", pDir->name, e->d_name);
        if (n < 0 || (size_t)n >= sizeof m.full_name)
            continue;
        // An entry that vanished or cannot be read does not end the listing.
        struct stat st;
        if (stat(m.full_name, &st) != 0)
            continue;
        m.pDirent = e;
        m.attr = S_ISDIR(st.st_mode) ? FS_ATTR_DIRECTORY : 0;
        m.size = st.st_size > (off_t)0xFFFFFFFF ? 0xFFFFFFFFu : (U32)st.st_size;
        return &m;
    }
}

void FS_RewindDir(VONDREL_DIR* pDir)
{
    if (pDir)
        rewinddir(pDir->pDir);
}

void FS_CloseDir(VONDREL_DIR* pDir)
{
    if (!pDir)
        return;
    closedir(pDir->pDir);
    H_MEMORY_vFree(pDir);
}

void FS_DirEnt2Name(const VONDREL_DIRENT* pDirent, char* pcBuffer)
{
    snprintf(pcBuffer, FS_NAME_BYTES, "%s", pDirent->pDirent->d_name);
}

void FS_DirEnt2Attr(const VONDREL_DIRENT* pDirent, U8* pu8Attribute)
{
    *pu8Attribute = pDirent->attr;
}

U32 FS_DirEnt2Size(const VONDREL_DIRENT* pDirent)
{
    return pDirent->size;
}

// Files -------------------------------------------------------------------

U8 FS_GetFileAttributes(const char* pFilename)
{
    struct stat st;
    if (!pFilename || stat(pFilename, &st) != 0)
        return FS_ATTR_MISSING;
    return S_ISDIR(st.st_mode) ? FS_ATTR_DIRECTORY : 0;
}

U32 FS_GetFileSize(FILE* pFile)
{
    long here = ftell(pFile);
    if (here < 0 || fseek(pFile, 0, SEEK_END) != 0)
        return 0xFFFFFFFF;
    long end = ftell(pFile);
    fseek(pFile, here, SEEK_SET);
    if (end < 0 || end > (long)0xFFFFFFFE)
        return 0xFFFFFFFF;
    return (U32)end;
}

int LS_feof(FILE* pFile)
{
    int c = fgetc(pFile);
    if (c == EOF)
        return 1;
    ungetc(c, pFile);
    return 0;
}

int LS_fclose(FILE* pFile)
{
    int rc = fclose(pFile);
    LS_sync();
    return rc;
}

void LS_sync(void)
{
    s_bSync = true;
}

int FS_Remove(const char* filename)
{
    int rc = unlink(filename);
    int saved = errno;
    if (!bDeferToBulk(filename))
        vDoSync();
    errno = saved;
    return rc;
}

int FS_ReplaceFile(const char* pcPath, const void* pData, size_t size)
{
    if (!pcPath || (!pData && size > 0)) {
        errno = EINVAL;
        return -1;
    }
    std::string tmp = std::string(pcPath) + TMP_SUFFIX;
    bool bulk = s_bulk.u32Depth > 0;
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    bool ok = fd >= 0;
    ok = ok && bWriteAll(fd, static_cast<const U8*>(pData), size);
    ok = ok && (bulk || fsync(fd) == 0);
    int err = errno;
    if (fd >= 0 && close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && rename(tmp.c_str(), pcPath) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        if (fd >= 0)
            unlink(tmp.c_str());
        errno = err;
        return -1;
    }
    if (!bDeferToBulk(pcPath))
        vSyncFolder(sFolderOf(pcPath));
    return 0;
}

void FS_vBeginBulk(void)
{
    ++s_bulk.u32Depth;
}

void FS_vEndBulk(void)
{
    if (s_bulk.u32Depth == 0 || --s_bulk.u32Depth > 0)
        return;
    if (s_bulk.bPending)
        vSyncBulkFolders();
    s_bulk = BULK_SCOPE{};
}

void LS_sync_vInit(void)
{
    std::call_once(s_syncThreadOnce, [] {
        char name[] = "sync";
        s_sync_thread = L_UTILS_threadCreateSimpleThread(name, LS_sync_vThread, nullptr);
    });
}

void LS_sync_vSetSyncFunction(void (*pfnSync)(void))
{
    s_pfnSync = pfnSync;
}

// File-system library bindings ----------------------------------------------

void FS_X_OS_Lock(unsigned)
{
    L_MUTEX_LockWait(RES_FS_FOP);
}

void FS_X_OS_Unlock(unsigned)
{
    L_MUTEX_Unlock(RES_FS_FOP);
}

U16 FS_X_OS_GetDate(void)
{
    return 0;
}

U16 FS_X_OS_GetTime(void)
{
    return 0;
}

int FS_X_OS_Init(void)
{
    return 0;
}

int FS_X_OS_Exit(void)
{
    return 0;
}

int FS__MMC_Init(FS_U32)
{
    return -1;
}

int FS__MMC_CheckStatus(FS_U32)
{
    return -1;
}
