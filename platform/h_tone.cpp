// The beeper.
//
// The device is /dev/buzzer0, else /dev/buzzer. A tone is the frequency in
// whole hertz as a 32-bit little-endian number written to the open device;
// closing the device silences it. With the notone option the device never
// opens, so nothing sounds. A device that cannot be opened means silence.
// The handle is plain static state: only the tone task calls in.
#include "platform/h_tone.h"

#include "kernel/l_root.h"
#include "kernel/lm_log.h"
#include "platform/h_options.h"

#include <cstdint>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr size_t PATH_BYTES = 4096;

int s_iBuzzer = -1;

// Whole hertz, truncated toward zero; a value no S32 holds is cut to the
// nearest one that does (NaN to 0) instead of being undefined.
S32 s32WholeHertz(float fFrequency)
{
    if (!(fFrequency == fFrequency))
        return 0;
    if (fFrequency >= 2147483648.0f)
        return INT32_MAX;
    if (fFrequency <= -2147483648.0f)
        return INT32_MIN;
    return (S32)fFrequency;
}

int iOpenDevice(const char* pcUnitPath)
{
    char acPath[PATH_BYTES];
    return open(L_ROOT_pcResolve(pcUnitPath, acPath, sizeof acPath), O_WRONLY | O_CLOEXEC);
}

} // namespace

void H_TONE_vInit(void) {}

void H_TONE_vStartTone(float fFrequency)
{
    const S32 s32Frequency = s32WholeHertz(fFrequency);
    if (!opt_notone && s_iBuzzer < 0) {
        s_iBuzzer = iOpenDevice("/dev/buzzer0");
        if (s_iBuzzer < 0)
            s_iBuzzer = iOpenDevice("/dev/buzzer");
    }
    if (s_iBuzzer < 0)
        return;
    const U32 u = (U32)s32Frequency;
    const U8 au8Bytes[4] = {(U8)u, (U8)(u >> 8), (U8)(u >> 16), (U8)(u >> 24)};
    // A beeper that refuses the write stays silent, as one that never opened.
    ssize_t n = write(s_iBuzzer, au8Bytes, sizeof au8Bytes);
    (void)n;
}

void H_TONE_vStopTone(void)
{
    if (s_iBuzzer >= 0) {
        close(s_iBuzzer);
        s_iBuzzer = -1;
    }
}
