// The paddle-wheel counter.
//
// One read of four bytes gives the cumulative count, little-endian. The
// device answers every read with the current count; a plain file standing
// in for it is read from its start each time, so that it does the same.
#include "platform/dd_speed.h"

#include "kernel/error.h"
#include "kernel/l_root.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* SOURCE = "./Working/SOURCE/Platform/AM335X/dd_speed";
constexpr size_t PATH_BYTES = 4096;

int s_iDevice = -1;
bool s_bSeekable = false;
bool s_bBaselineTaken = false;
U32 s_u32LastCount = 0;

} // namespace

void DD_SPEED_vInit(void)
{
    char acPath[PATH_BYTES];
    s_iDevice = open(L_ROOT_pcResolve("/dev/paddlewheel", acPath, sizeof acPath), O_RDONLY | O_CLOEXEC);
    if (s_iDevice < 0) {
        ERROR_error(SOURCE, __LINE__, "DD_SPEED_vInit open?");
        U_RESET_vReset(FALSE, FALSE);
    }
    struct stat st;
    s_bSeekable = fstat(s_iDevice, &st) == 0 && S_ISREG(st.st_mode);
    s_bBaselineTaken = false;
    s_u32LastCount = 0;
}

U32 DD_SPEED_u32GetPulses(void)
{
    if (s_iDevice < 0)
        return 0;
    U8 au8Count[4];
    ssize_t n = s_bSeekable ? pread(s_iDevice, au8Count, sizeof au8Count, 0)
                            : read(s_iDevice, au8Count, sizeof au8Count);
    if (n != (ssize_t)sizeof au8Count)
        return 0;
    const U32 u32Count = (U32)au8Count[0] | (U32)au8Count[1] << 8 | (U32)au8Count[2] << 16 | (U32)au8Count[3] << 24;
    if (!s_bBaselineTaken) {
        s_bBaselineTaken = true;
        s_u32LastCount = u32Count;
        return 0;
    }
    const U32 u32Pulses = u32Count - s_u32LastCount;
    s_u32LastCount = u32Count;
    return u32Pulses;
}
