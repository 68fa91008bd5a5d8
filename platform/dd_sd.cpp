// SD-card driver.
//
// Presence: /sys/class/mmc_host/HOST holds a directory "HOST:address" for
// a card, and its block/ directory an entry "mmcblkN" once the card has a
// block device. Mounting tries the first partition /dev/mmcblkNp1 three
// times, then the whole device /dev/mmcblkN three times (a card without a
// partition table), one second apart; a read-write mount refused with EROFS
// (write-protect switch) is retried at once read-only. Unmounting is
// retried up to five times while the mount point is busy.
//
// Detection: a plain thread watches /dev with inotify. mmcblk0 and mmcblk1
// (and their partitions) belong to slot 0, mmcblk2 to slot 1, anything else
// is ignored. A slot's event counts only when its kind (created or deleted)
// differs from the slot's last one, so the partition node that follows a
// disk node adds nothing; 2 s after a counted event the card task's timer
// semaphore is signalled and the card task asks the driver what changed.
//
// Mount strategy. On the unit the driver calls mount(2) with type "msdos"
// and umount(2). Under a unit root (VONDREL_ROOT) every path goes through the
// root and a card is a folder:
// - ROOT/dev/mmcblkN or ROOT/dev/mmcblkNp1 is a symbolic link to the card's
//   folder; any other kind of node (a plain file for a disk node) is no file
//   system (EINVAL), a missing node ENOENT.
// - Mounting makes ROOT/mnt/mmcS a symbolic link to the card folder (an
//   empty mount-point folder is replaced); a mount point that is already a
//   link, or a folder with something in it, is busy (EBUSY).
// - A card folder without owner write permission is a write-protected card:
//   a read-write mount gives EROFS, a read-only mount succeeds.
// - Unmounting removes the link and leaves an empty mount-point folder.
//   While the file ROOT/mnt/mmcS.busy exists the mount point is busy
//   (EBUSY), as on the unit while a file on the card is open; a mount point
//   that is no link is not mounted (EINVAL).
// - Every call is appended to ROOT/tmp/mount.log as
//   "mount SOURCE TARGET msdos rw|ro check=r = ERRNO" or
//   "umount TARGET = ERRNO" (0 for success).
#include "platform/dd_sd.h"

#include "kernel/error.h"
#include "kernel/l_clock.h"
#include "kernel/l_root.h"
#include "kernel/l_sema.h"
#include "kernel/l_utils.h"
#include "kernel/lm_log.h"
#include "util/u_hex.h"

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

// Constants -----------------------------------------------------------------

namespace {

constexpr const char* SOURCE = "./Working/SOURCE/Platform/AM335X/dd_sd";
constexpr SEMA SEMA_TIMER_MMC = 73;
constexpr int MOUNT_TRIES = 3;   // per source: partition 1, then whole device
constexpr int UMOUNT_TRIES = 5;
constexpr TICKS RETRY_TICKS = 1000;
constexpr TICKS NOTIFY_DELAY_TICKS = 2000;
constexpr size_t EVENT_HEADER_BYTES = 16; // struct inotify_event without its name
constexpr size_t EVENT_BUFFER_BYTES = 512;
constexpr int DETECT_PRIORITY = 98;
constexpr size_t PATH_BYTES = 4096;

// Statics -------------------------------------------------------------------

SD_STATUS s_sSDStatus[SD_NUM_SLOTS];
pthread_t s_hw_thread = 0;
char s_acThreadName[] = "sd";

// Static prototypes -----------------------------------------------------------

BOOLEAN DD_SD_vFindDevice(int slot);
BOOLEAN DD_SD_bMount(S32 nLogicalID, int slot);
BOOLEAN DD_SD_bMountOne(const char* pcSource, const char* pcTarget, int slot);
BOOLEAN DD_SD_bFetchCID(int slot);
void DD_SD_vFetchType(int slot);
void DD_SD_vUmountPoint(int slot);
void* DD_SD_pvThread(void* pvArg);

int SD_Mount(const char* pcSource, const char* pcTarget, unsigned long ulFlags);
int SD_Umount(const char* pcTarget);
void SD_Sync(void);

} // namespace

// Public functions --------------------------------------------------------------

void DD_SD_vInit(void)
{
    if (s_hw_thread == 0) {
        // The watch is in place before the first slot is looked at, so a
        // card that arrives during start-up is never missed.
        int fd = inotify_init();
        if (fd < 0) {
            ERROR_error(SOURCE, __LINE__, "DD_SD inotify_init_fail");
            U_RESET_vReset(FALSE, FALSE);
        }
        char acDev[PATH_BYTES];
        if (inotify_add_watch(fd, L_ROOT_pcResolve("/dev", acDev, sizeof acDev), IN_CREATE | IN_DELETE) < 0) {
            ERROR_error(SOURCE, __LINE__, "DD_SD inotify_add_watch fail");
            U_RESET_vReset(FALSE, FALSE);
        }
        s_hw_thread = L_UTILS_threadCreateSimpleThread(s_acThreadName, DD_SD_pvThread, (void*)(intptr_t)fd);
        if (s_hw_thread == 0)
            close(fd);
    }
    for (int slot = 0; slot < SD_NUM_SLOTS; ++slot) {
        SD_STATUS& s = s_sSDStatus[slot];
        snprintf(s.cDeviceName, sizeof s.cDeviceName, "mmc%1d", slot * 2);
        s.eCardPresent = NO_CARD_PRESENT;
        s.bReadOnly = TRUE;
        DD_SD_vUmountPoint(slot);
    }
}

BOOLEAN DD_SD_bIsCardPresent(int slot)
{
    return DD_SD_vFindDevice(slot);
}

BOOLEAN DD_SD_bInitCard(int slot)
{
    if (!DD_SD_vFindDevice(slot))
        return FALSE;
    if (!DD_SD_bMount(s_sSDStatus[slot].nLogicalID, slot))
        return FALSE;
    DD_SD_bFetchCID(slot);
    DD_SD_vFetchType(slot);
    // The type file may say "MMC"; the card is handled as SD all the same.
    s_sSDStatus[slot].eCardPresent = SD_CARD_PRESENT;
    return TRUE;
}

BOOLEAN DD_SD_bIsHardwareWriteEnabled(int slot)
{
    return !s_sSDStatus[slot].bReadOnly;
}

void DD_SD_vUmount(int slot)
{
    DD_SD_vUmountPoint(slot);
}

void DD_SD_vGetCID(int slot, U8* pu8Dest)
{
    memcpy(pu8Dest, s_sSDStatus[slot].cCID, SD_CID_BYTES);
}

CARD_PRESENT DD_SD_eReadCardType(int slot)
{
    return s_sSDStatus[slot].eCardPresent;
}

void DD_SD_vSetCallback(void*) {}

void DD_SD_vWriteProtect(int, int) {}

const SD_STATUS* DD_SD_psGetStatus(int slot)
{
    return &s_sSDStatus[slot];
}

// Static functions --------------------------------------------------------------

namespace {

BOOLEAN DD_SD_vFindDevice(int slot)
{
    SD_STATUS& s = s_sSDStatus[slot];
    char acHost[256];
    snprintf(acHost, sizeof acHost, "/sys/class/mmc_host/%s", s.cDeviceName);
    char acPath[PATH_BYTES];
    DIR* dir = opendir(L_ROOT_pcResolve(acHost, acPath, sizeof acPath));
    if (!dir)
        return FALSE;
    char acPrefix[16];
    snprintf(acPrefix, sizeof acPrefix, "%s:", s.cDeviceName);
    char acCard[256] = "";
    while (struct dirent* e = readdir(dir)) {
        if (strncmp(e->d_name, acPrefix, strlen(acPrefix)) == 0) {
            snprintf(acCard, sizeof acCard, "%s", e->d_name);
            break;
        }
    }
    closedir(dir);
    // A name that would not fit the record is no card this driver knows.
    if (!acCard[0] || strlen(acCard) >= sizeof s.cFullName ||
        strlen(acHost) + 1 + strlen(acCard) >= sizeof s.dir_name)
        return FALSE;
    memcpy(s.cFullName, acCard, strlen(acCard) + 1);
    char* pcEnd = stpcpy(s.dir_name, acHost);
    *pcEnd++ = '/';
    strcpy(pcEnd, acCard);

    char acBlock[PATH_BYTES];
    snprintf(acBlock, sizeof acBlock, "%s/block", s.dir_name);
    dir = opendir(L_ROOT_pcResolve(acBlock, acPath, sizeof acPath));
    if (!dir)
        return FALSE;
    BOOLEAN bFound = FALSE;
    while (struct dirent* e = readdir(dir)) {
        int n = -1;
        if (sscanf(e->d_name, "mmcblk%d", &n) == 1 && n >= 0) {
            s.nLogicalID = n;
            bFound = TRUE;
            break;
        }
    }
    closedir(dir);
    return bFound;
}

BOOLEAN DD_SD_bMount(S32 nLogicalID, int slot)
{
    SD_Sync();
    char acTarget[32];
    snprintf(acTarget, sizeof acTarget, "/mnt/mmc%1d", slot);
    char acSource[32];
    snprintf(acSource, sizeof acSource, "/dev/mmcblk%1dp1", nLogicalID);
    for (int i = 0; i < MOUNT_TRIES; ++i) {
        if (DD_SD_bMountOne(acSource, acTarget, slot))
            return TRUE;
        L_CLOCK_Sleep(RETRY_TICKS);
    }
    snprintf(acSource, sizeof acSource, "/dev/mmcblk%1d", nLogicalID);
    for (int i = 0; i < MOUNT_TRIES; ++i) {
        if (DD_SD_bMountOne(acSource, acTarget, slot))
            return TRUE;
        int err = errno;
        log_me("mount failed %d, %s", err, strerror(err));
        if (i + 1 < MOUNT_TRIES)
            L_CLOCK_Sleep(RETRY_TICKS);
    }
    return FALSE;
}

// One attempt: read-write, and read-only at once when the card refuses
// writing. errno tells the last failure.
BOOLEAN DD_SD_bMountOne(const char* pcSource, const char* pcTarget, int slot)
{
    if (SD_Mount(pcSource, pcTarget, 0) == 0) {
        s_sSDStatus[slot].bReadOnly = FALSE;
        return TRUE;
    }
    if (errno == EROFS && SD_Mount(pcSource, pcTarget, MS_RDONLY) == 0) {
        s_sSDStatus[slot].bReadOnly = TRUE;
        return TRUE;
    }
    return FALSE;
}

BOOLEAN DD_SD_bFetchCID(int slot)
{
    SD_STATUS& s = s_sSDStatus[slot];
    char acUnit[PATH_BYTES];
    snprintf(acUnit, sizeof acUnit, "%s/cid", s.dir_name);
    char acPath[PATH_BYTES];
    int fd = open(L_ROOT_pcResolve(acUnit, acPath, sizeof acPath), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return FALSE;
    char acText[2 * SD_CID_BYTES];
    ssize_t n = read(fd, acText, sizeof acText);
    close(fd);
    if (n != (ssize_t)sizeof acText)
        return FALSE;
    U_HEX_v2Hex(acText, s.cCID, SD_CID_BYTES);
    return TRUE;
}

void DD_SD_vFetchType(int slot)
{
    SD_STATUS& s = s_sSDStatus[slot];
    char acUnit[PATH_BYTES];
    snprintf(acUnit, sizeof acUnit, "%s/type", s.dir_name);
    char acPath[PATH_BYTES];
    int fd = open(L_ROOT_pcResolve(acUnit, acPath, sizeof acPath), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    char acType[6] = "";
    ssize_t n = read(fd, acType, 5);
    close(fd);
    acType[n > 0 ? n : 0] = '\0';
    log_me("%s %d: type = %s", SOURCE, __LINE__, acType);
}

void DD_SD_vUmountPoint(int slot)
{
    char acTarget[32];
    snprintf(acTarget, sizeof acTarget, "/mnt/mmc%d", slot);
    for (int retry = UMOUNT_TRIES; retry > 0; --retry) {
        int result = SD_Umount(acTarget);
        int err = result == 0 ? 0 : errno;
        log_me("Unmounting %s, retry = %d, result = %d, error = %d, %s", acTarget, retry, result, err,
               strerror(err));
        // Only a busy mount point is worth another try; a stale errno
        // after a successful unmount is not.
        if (result == 0 || err != EBUSY)
            break;
        if (retry > 1)
            L_CLOCK_Sleep(RETRY_TICKS);
    }
    s_sSDStatus[slot].eCardPresent = NO_CARD_PRESENT;
    s_sSDStatus[slot].bReadOnly = TRUE;
}

void* DD_SD_pvThread(void* pvArg)
{
    const int fd = (int)(intptr_t)pvArg;
    struct sched_param sp = {};
    sp.sched_priority = DETECT_PRIORITY;
    int rc = pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp);
    if (rc != 0)
        log_me("DD_SD sched FIFO %d refused: %s", DETECT_PRIORITY, strerror(rc));
    pthread_detach(pthread_self());

    U32 au32LastMask[SD_NUM_SLOTS] = {0, 0};
    alignas(struct inotify_event) char acBuffer[EVENT_BUFFER_BYTES];
    for (;;) {
        ssize_t n = read(fd, acBuffer, sizeof acBuffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        size_t off = 0;
        while ((size_t)n - off >= EVENT_HEADER_BYTES) {
            struct inotify_event ev;
            memcpy(&ev, acBuffer + off, EVENT_HEADER_BYTES);
            const char* pcName = acBuffer + off + EVENT_HEADER_BYTES;
            if (ev.len > (size_t)n - off - EVENT_HEADER_BYTES)
                break;
            off += EVENT_HEADER_BYTES + ev.len;

            char acName[EVENT_BUFFER_BYTES];
            size_t nameLen = strnlen(pcName, ev.len);
            memcpy(acName, pcName, nameLen);
            acName[nameLen] = '\0';
            int number = -1;
            if (sscanf(acName, "mmcblk%d", &number) != 1 || number < 0 || number > 2)
                continue;
            const int slot = number < 2 ? 0 : 1;
            // Only the kind of event counts: a folder flag must not make the
            // partition node look like a second card.
            const U32 mask = ev.mask & (IN_CREATE | IN_DELETE);
            if (mask == 0 || mask == au32LastMask[slot])
                continue;
            au32LastMask[slot] = mask;
            if (mask & IN_CREATE)
                log_me("DD_SD inserting MMC %d", slot + 1);
            else
                log_me("DD_SD removing MMC %d", slot + 1);
            L_CLOCK_Sleep(NOTIFY_DELAY_TICKS);
            L_SEMA_Signal(SEMA_TIMER_MMC);
        }
    }
    close(fd);
    return nullptr;
}

// The mount strategy ----------------------------------------------------------

bool SD_bUnderRoot(void)
{
    return L_ROOT_pcGetRoot()[0] != '\0';
}

void SD_vRecord(const char* pcFormat, ...) __attribute__((format(printf, 1, 2)));
void SD_vRecord(const char* pcFormat, ...)
{
    char acLog[PATH_BYTES];
    FILE* f = fopen(L_ROOT_pcResolve("/tmp/mount.log", acLog, sizeof acLog), "a");
    if (!f)
        return;
    va_list ap;
    va_start(ap, pcFormat);
    vfprintf(f, pcFormat, ap);
    va_end(ap);
    fputc('\n', f);
    fclose(f);
}

bool SD_bIsEmptyDir(const char* pcPath)
{
    DIR* dir = opendir(pcPath);
    if (!dir)
        return false;
    bool bEmpty = true;
    while (struct dirent* e = readdir(dir)) {
        if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) {
            bEmpty = false;
            break;
        }
    }
    closedir(dir);
    return bEmpty;
}

// The folder stand-in of mount(2); 0 or an errno value.
int SD_iMountFolder(const char* pcSource, const char* pcTarget, unsigned long ulFlags)
{
    struct stat st;
    if (lstat(pcSource, &st) != 0)
        return ENOENT;
    if (!S_ISLNK(st.st_mode) || stat(pcSource, &st) != 0 || !S_ISDIR(st.st_mode))
        return EINVAL;
    if (!(ulFlags & MS_RDONLY) && !(st.st_mode & S_IWUSR))
        return EROFS;
    char acCard[PATH_BYTES];
    if (!realpath(pcSource, acCard))
        return EINVAL;
    struct stat tt;
    if (lstat(pcTarget, &tt) == 0) {
        if (S_ISLNK(tt.st_mode) || !S_ISDIR(tt.st_mode) || !SD_bIsEmptyDir(pcTarget))
            return EBUSY;
        if (rmdir(pcTarget) != 0)
            return EBUSY;
    }
    return symlink(acCard, pcTarget) == 0 ? 0 : errno;
}

int SD_iUmountFolder(const char* pcTarget)
{
    struct stat st;
    if (lstat(pcTarget, &st) != 0)
        return ENOENT;
    if (!S_ISLNK(st.st_mode))
        return EINVAL;
    char acBusy[PATH_BYTES];
    snprintf(acBusy, sizeof acBusy, "%s.busy", pcTarget);
    if (access(acBusy, F_OK) == 0)
        return EBUSY;
    if (unlink(pcTarget) != 0)
        return errno;
    mkdir(pcTarget, 0755);
    return 0;
}

int SD_Mount(const char* pcSource, const char* pcTarget, unsigned long ulFlags)
{
    if (!SD_bUnderRoot())
        return mount(pcSource, pcTarget, "msdos", ulFlags, "check=r");
    char acSource[PATH_BYTES];
    char acTarget[PATH_BYTES];
    int err = SD_iMountFolder(L_ROOT_pcResolve(pcSource, acSource, sizeof acSource),
                              L_ROOT_pcResolve(pcTarget, acTarget, sizeof acTarget), ulFlags);
    SD_vRecord("mount %s %s msdos %s check=r = %d", pcSource, pcTarget, (ulFlags & MS_RDONLY) ? "ro" : "rw", err);
    errno = err;
    return err == 0 ? 0 : -1;
}

int SD_Umount(const char* pcTarget)
{
    if (!SD_bUnderRoot())
        return umount(pcTarget);
    char acTarget[PATH_BYTES];
    int err = SD_iUmountFolder(L_ROOT_pcResolve(pcTarget, acTarget, sizeof acTarget));
    SD_vRecord("umount %s = %d", pcTarget, err);
    errno = err;
    return err == 0 ? 0 : -1;
}

// The card folder of the stand-in needs no flush, and flushing every file
// system of the host would only slow the tests.
void SD_Sync(void)
{
    if (!SD_bUnderRoot())
        sync();
}

} // namespace
