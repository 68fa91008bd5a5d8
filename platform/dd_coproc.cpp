// The devices behind the sonar coprocessor interface (see the header).
#include "platform/dd_coproc.h"

#include "kernel/l_root.h"
#include "kernel/lm_log.h"
#include "platform/sim_coproc.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr size_t PATH_BYTES = 4096;
constexpr const char* SCENE_SUFFIX = ".scene";
// The simulated coprocessor's handle: far above any descriptor number.
constexpr S32 SIMULATED_HANDLE = 0x7FFF5030;
// The lowest descriptor handed out as a handle, so that 0 stays "not open".
constexpr int LOWEST_HANDLE = 3;

struct StandInReading {
    const char* pcUnitPath;
    U16 u16Reading;
};
// Converter readings of a unit in use: 2164 is about 13 V on the supply
// input, 2200 about 22 degrees C on a thermistor input, and an input with no
// sensor reads full scale.
constexpr StandInReading STAND_IN_READINGS[] = {
    {"/dev/ainput0", 2164},
    {"/dev/ainput1", 0x0FFF},
    {"/dev/ainput2", 2200},
};

// Moves a descriptor off 0..2 so that no handle is 0.
int iHandle(int fd)
{
    if (fd < 0 || fd >= LOWEST_HANDLE)
        return fd;
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, LOWEST_HANDLE);
    close(fd);
    return moved;
}

int iConnectSeqpacket(const char* pcHostPath)
{
    struct sockaddr_un addr = {};
    addr.sun_family = AF_UNIX;
    if (strlen(pcHostPath) >= sizeof addr.sun_path) {
        log_me("sonar device %s: socket path too long", pcHostPath);
        return -1;
    }
    strcpy(addr.sun_path, pcHostPath);
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int bytes = DD_COPROC_SOCKET_BUFFER_BYTES;
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    if (connect(fd, reinterpret_cast<struct sockaddr*>(&addr), sizeof addr) != 0) {
        const int err = errno;
        close(fd);
        errno = err;
        return -1;
    }
    return iHandle(fd);
}

// Under a root, a missing analogue input becomes a file with its reading.
void vMakeStandInInput(const char* pcUnitPath, const char* pcHostPath)
{
    if (!*L_ROOT_pcGetRoot())
        return;
    U16 u16Reading = 0;
    for (const StandInReading& r : STAND_IN_READINGS)
        if (!strcmp(r.pcUnitPath, pcUnitPath))
            u16Reading = r.u16Reading;
    const int fd = open(pcHostPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return; // there already, or it cannot be made: the open decides
    const U8 au8Bytes[2] = {(U8)(u16Reading & 0xFF), (U8)(u16Reading >> 8)};
    if (write(fd, au8Bytes, sizeof au8Bytes) != (ssize_t)sizeof au8Bytes)
        log_me("%s: stand-in reading not written", pcHostPath);
    close(fd);
}

} // namespace

S32 DD_COPROC_s32Open(const char* pcUnitPath)
{
    char acPath[PATH_BYTES];
    L_ROOT_pcResolve(pcUnitPath, acPath, sizeof acPath);
    if (!*L_ROOT_pcGetRoot())
        return iHandle(open(acPath, O_RDWR | O_CLOEXEC));
    struct stat st;
    if (stat(acPath, &st) == 0 && S_ISSOCK(st.st_mode))
        return iConnectSeqpacket(acPath);
    char acScene[PATH_BYTES + 8];
    snprintf(acScene, sizeof acScene, "%s%s", acPath, SCENE_SUFFIX);
    SIM_COPROC_vOpen(acScene);
    return SIMULATED_HANDLE;
}

S32 DD_COPROC_s32Write(S32 s32Handle, const U8* pau8Data, U32 u32Bytes)
{
    if (s32Handle == SIMULATED_HANDLE)
        return SIM_COPROC_s32Write(pau8Data, u32Bytes);
    return (S32)write(s32Handle, pau8Data, u32Bytes);
}

S32 DD_COPROC_s32Read(S32 s32Handle, U8* pau8Data, U32 u32Bytes)
{
    if (s32Handle == SIMULATED_HANDLE)
        return SIM_COPROC_s32Read(pau8Data, u32Bytes);
    return (S32)read(s32Handle, pau8Data, u32Bytes);
}

S32 DD_COPROC_s32OpenInput(const char* pcUnitPath)
{
    char acPath[PATH_BYTES];
    L_ROOT_pcResolve(pcUnitPath, acPath, sizeof acPath);
    vMakeStandInInput(pcUnitPath, acPath);
    return iHandle(open(acPath, O_RDONLY | O_CLOEXEC));
}

BOOLEAN DD_COPROC_bReadInput(S32 s32Handle, U16* pu16Reading)
{
    U8 au8Bytes[2];
    struct stat st;
    // A plain file stands for the device: read from its start each time, as
    // each read of the device gives the current reading.
    const bool bFile = fstat(s32Handle, &st) == 0 && S_ISREG(st.st_mode);
    const ssize_t n = bFile ? pread(s32Handle, au8Bytes, sizeof au8Bytes, 0)
                            : read(s32Handle, au8Bytes, sizeof au8Bytes);
    if (n != (ssize_t)sizeof au8Bytes)
        return FALSE;
    *pu16Reading = (U16)(au8Bytes[0] | au8Bytes[1] << 8);
    return TRUE;
}

void DD_COPROC_vClose(S32 s32Handle)
{
    if (s32Handle > 0 && s32Handle != SIMULATED_HANDLE)
        close(s32Handle);
}
