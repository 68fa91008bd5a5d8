// The frame-buffer device stood in by the file ROOT/dev/fb0 (see fbdev.h
// for its rules and platform/fb_file.h for the layout).
//
// One device per process. Its state (screen information, colour key, the
// header as last written) is kept under one lock; the vertical-sync wait
// sleeps outside it.
#include "platform/fbdev.h"

#include "kernel/l_root.h"
#include "kernel/lm_log.h"
#include "platform/fb_file.h"

#include <linux/fb.h>
#include <linux/omapfb.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct FAILURE {
    unsigned long request;
    U32 count;
    int err;
};

struct DEVICE {
    std::mutex lock;
    std::set<int> fds;
    struct fb_var_screeninfo var {};
    struct omapfb_color_key key {};
    FBFILE_HEADER header{};
    std::vector<FAILURE> failures;
    U32 vsyncRate = 60;
};

// Never destroyed: the display task may still flip pages while the process exits.
DEVICE& s_dev = *new DEVICE();

void vSetRgb565(struct fb_var_screeninfo* pVar)
{
    pVar->bits_per_pixel = 16;
    pVar->grayscale = 0;
    pVar->nonstd = 0;
    pVar->red = {11, 5, 0};
    pVar->green = {5, 6, 0};
    pVar->blue = {0, 5, 0};
    pVar->transp = {0, 0, 0};
}

// Creates the file of a device with nothing shown; EEXIST when another
// opener was first, which is as good.
int s32CreateFile(const char* pcPath)
{
    int fd = open(pcPath, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno == EEXIST ? 0 : -1;
    U8 au8Header[FBFILE_HEADER_BYTES];
    const FBFILE_HEADER h = FBFILE_xFreshHeader();
    FBFILE_vEncodeHeader(&h, au8Header);
    int result = 0;
    if (ftruncate(fd, FBFILE_FILE_BYTES) != 0 ||
        pwrite(fd, au8Header, sizeof au8Header, FBFILE_HEADER_OFFSET) != (ssize_t)sizeof au8Header) {
        const int err = errno;
        unlink(pcPath);
        errno = err;
        result = -1;
    }
    close(fd);
    return result;
}

// Header and file size of an open descriptor; FALSE when it is not a device file.
BOOLEAN bReadDeviceFile(int fd, FBFILE_HEADER* pHeader)
{
    struct stat st {};
    U8 au8Header[FBFILE_HEADER_BYTES];
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == (off_t)FBFILE_FILE_BYTES &&
           pread(fd, au8Header, sizeof au8Header, FBFILE_HEADER_OFFSET) == (ssize_t)sizeof au8Header &&
           FBFILE_bDecodeHeader(au8Header, sizeof au8Header, pHeader);
}

// Under the lock.
void vWriteHeader(int fd)
{
    U8 au8Header[FBFILE_HEADER_BYTES];
    FBFILE_vEncodeHeader(&s_dev.header, au8Header);
    if (pwrite(fd, au8Header, sizeof au8Header, FBFILE_HEADER_OFFSET) != (ssize_t)sizeof au8Header)
        log_me("fb0 stand-in: header not written: %s", strerror(errno));
}

// Under the lock: TRUE when an injected failure consumes this request.
BOOLEAN bInjectedFailure(unsigned long request)
{
    for (FAILURE& f : s_dev.failures) {
        if (f.request == request && f.count > 0) {
            --f.count;
            errno = f.err;
            return TRUE;
        }
    }
    return FALSE;
}

BOOLEAN bGeometryFits(const struct fb_var_screeninfo* pVar)
{
    return pVar->xres == FBFILE_WIDTH && (pVar->xres_virtual == FBFILE_WIDTH || pVar->xres_virtual == 0) &&
           pVar->yres == FBFILE_HEIGHT && pVar->yres_virtual >= FBFILE_HEIGHT &&
           pVar->yres_virtual <= FBFILE_HEIGHT * FBFILE_PAGES && pVar->bits_per_pixel == FBFILE_BITS_PER_PIXEL &&
           pVar->nonstd == 0 && pVar->xoffset == 0 && pVar->yoffset <= pVar->yres_virtual - pVar->yres;
}

// Under the lock: the scan-out starts at yoffset from now on.
void vPanTo(int fd, U32 yoffset)
{
    s_dev.var.xoffset = 0;
    s_dev.var.yoffset = yoffset;
    s_dev.header.u32XOffset = 0;
    s_dev.header.u32YOffset = yoffset;
    s_dev.header.u32PageOnDisplay = yoffset / FBFILE_HEIGHT;
    ++s_dev.header.u32PanCount;
    vWriteHeader(fd);
}

int s32WaitForVsync(int fd)
{
    U32 rate;
    {
        std::lock_guard<std::mutex> guard(s_dev.lock);
        rate = s_dev.vsyncRate;
    }
    if (rate != 0) {
        const U64 period = 1000000000ull / rate;
        struct timespec now {};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const U64 nowNs = (U64)now.tv_sec * 1000000000ull + (U64)now.tv_nsec;
        const U64 tick = (nowNs / period + 1) * period;
        const struct timespec deadline = {(time_t)(tick / 1000000000ull), (long)(tick % 1000000000ull)};
        const int err = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
        if (err != 0) {
            errno = err;
            return -1;
        }
    }
    std::lock_guard<std::mutex> guard(s_dev.lock);
    if (!s_dev.fds.count(fd)) {
        errno = EBADF;
        return -1;
    }
    ++s_dev.header.u32VsyncCount;
    vWriteHeader(fd);
    return 0;
}

} // namespace

int FBDEV_s32Open(const char* pcUnitPath, int flags)
{
    char acPath[4096];
    L_ROOT_pcResolve(pcUnitPath, acPath, sizeof acPath);
    if (*L_ROOT_pcGetRoot() && access(acPath, F_OK) != 0 && s32CreateFile(acPath) != 0)
        return -1;

    const int fd = open(acPath, (flags & O_ACCMODE) | O_CLOEXEC);
    if (fd < 0)
        return -1;
    FBFILE_HEADER header{};
    if (!bReadDeviceFile(fd, &header)) {
        log_me("%s is not a frame-buffer stand-in (%u bytes of pages and a \"VFB0\" header expected)", acPath,
               FBFILE_FILE_BYTES);
        close(fd);
        errno = ENODEV;
        return -1;
    }

    std::lock_guard<std::mutex> guard(s_dev.lock);
    if (s_dev.fds.empty()) {
        s_dev.header = header;
        s_dev.var = {};
        s_dev.var.xres = s_dev.var.xres_virtual = FBFILE_WIDTH;
        s_dev.var.yres = FBFILE_HEIGHT;
        s_dev.var.yres_virtual = FBFILE_HEIGHT * FBFILE_PAGES;
        s_dev.var.yoffset = header.u32YOffset;
        s_dev.var.height = s_dev.var.width = (U32)-1;
        vSetRgb565(&s_dev.var);
        s_dev.key = {};
        s_dev.key.channel_out = header.u8KeyChannelOut;
        s_dev.key.background = header.u32KeyBackground;
        s_dev.key.trans_key = header.u32Key;
        s_dev.key.key_type = header.u8KeyType;
    }
    s_dev.fds.insert(fd);
    return fd;
}

int FBDEV_s32Ioctl(int fd, unsigned long request, void* arg)
{
    if (request == FBIO_WAITFORVSYNC) {
        {
            std::lock_guard<std::mutex> guard(s_dev.lock);
            if (!s_dev.fds.count(fd)) {
                errno = EBADF;
                return -1;
            }
            if (bInjectedFailure(request))
                return -1;
        }
        if (arg == nullptr || *static_cast<const U32*>(arg) != 0) {
            errno = EINVAL; // one display, crtc 0
            return -1;
        }
        return s32WaitForVsync(fd);
    }

    std::lock_guard<std::mutex> guard(s_dev.lock);
    if (!s_dev.fds.count(fd)) {
        errno = EBADF;
        return -1;
    }
    if (bInjectedFailure(request))
        return -1;
    if (arg == nullptr) {
        errno = EFAULT;
        return -1;
    }
    switch (request) {
    case FBIOGET_FSCREENINFO: {
        auto* pFix = static_cast<struct fb_fix_screeninfo*>(arg);
        *pFix = {};
        snprintf(pFix->id, sizeof pFix->id, "vondrel fb0");
        pFix->smem_len = FBFILE_MEMORY_BYTES;
        pFix->type = FB_TYPE_PACKED_PIXELS;
        pFix->visual = FB_VISUAL_TRUECOLOR;
        pFix->ypanstep = 1;
        pFix->line_length = FBFILE_LINE_LENGTH;
        return 0;
    }
    case FBIOGET_VSCREENINFO:
        *static_cast<struct fb_var_screeninfo*>(arg) = s_dev.var;
        return 0;
    case FBIOPUT_VSCREENINFO: {
        auto* pVar = static_cast<struct fb_var_screeninfo*>(arg);
        if (!bGeometryFits(pVar)) {
            errno = EINVAL;
            return -1;
        }
        s_dev.var.xres = pVar->xres;
        s_dev.var.xres_virtual = FBFILE_WIDTH;
        s_dev.var.yres = pVar->yres;
        s_dev.var.yres_virtual = pVar->yres_virtual;
        vSetRgb565(&s_dev.var);
        if (pVar->yoffset != s_dev.header.u32YOffset)
            vPanTo(fd, pVar->yoffset);
        // The driver answers with what it now uses.
        const U32 activate = pVar->activate;
        *pVar = s_dev.var;
        pVar->activate = activate;
        return 0;
    }
    case FBIOPAN_DISPLAY: {
        const auto* pVar = static_cast<const struct fb_var_screeninfo*>(arg);
        if (pVar->xoffset != 0 || pVar->yoffset > s_dev.var.yres_virtual - s_dev.var.yres) {
            errno = EINVAL;
            return -1;
        }
        vPanTo(fd, pVar->yoffset);
        return 0;
    }
    case OMAPFB_GET_COLOR_KEY:
        *static_cast<struct omapfb_color_key*>(arg) = s_dev.key;
        return 0;
    case OMAPFB_SET_COLOR_KEY: {
        const auto* pKey = static_cast<const struct omapfb_color_key*>(arg);
        if (pKey->key_type > OMAPFB_COLOR_KEY_VID_SRC) {
            errno = EINVAL;
            return -1;
        }
        s_dev.key = *pKey;
        s_dev.header.u8KeyType = pKey->key_type;
        s_dev.header.u8KeyChannelOut = pKey->channel_out;
        s_dev.header.u32Key = pKey->trans_key;
        s_dev.header.u32KeyBackground = pKey->background;
        vWriteHeader(fd);
        return 0;
    }
    default:
        errno = ENOTTY;
        return -1;
    }
}

void* FBDEV_pvMap(void* addr, size_t length, int prot, int flags, int fd, off_t offset)
{
    {
        std::lock_guard<std::mutex> guard(s_dev.lock);
        if (!s_dev.fds.count(fd)) {
            errno = EBADF;
            return MAP_FAILED;
        }
    }
    // Only the frame-buffer memory is mapped, never the header behind it.
    if (offset < 0 || length == 0 || (size_t)offset > FBFILE_MEMORY_BYTES ||
        length > FBFILE_MEMORY_BYTES - (size_t)offset) {
        errno = EINVAL;
        return MAP_FAILED;
    }
    return mmap(addr, length, prot, flags, fd, offset);
}

int FBDEV_s32Unmap(void* addr, size_t length) { return munmap(addr, length); }

int FBDEV_s32Close(int fd)
{
    {
        std::lock_guard<std::mutex> guard(s_dev.lock);
        if (!s_dev.fds.erase(fd)) {
            errno = EBADF;
            return -1;
        }
    }
    return close(fd);
}

void FBDEV_vSetVsyncRate(U32 u32PerSecond)
{
    std::lock_guard<std::mutex> guard(s_dev.lock);
    s_dev.vsyncRate = u32PerSecond;
}

void FBDEV_vFailRequests(unsigned long request, U32 u32Count, int err)
{
    std::lock_guard<std::mutex> guard(s_dev.lock);
    for (FAILURE& f : s_dev.failures) {
        if (f.request == request) {
            f.count = u32Count;
            f.err = err;
            return;
        }
    }
    s_dev.failures.push_back({request, u32Count, err});
}
