// The noise measurement (see the header).
#include "sonar/dsp/s_noise.h"

U8 S_NOISE_u8Measure(const PING_DESCRIPTOR* pPing, U8* pu8Max)
{
    const U32 n = pPing->u32NumberOfSamples;
    if (n == 0) {
        if (pu8Max)
            *pu8Max = 0;
        return 0;
    }
    const U32 T = pPing->u32SamplePeriodMicroSeconds;
    const U32 ringDown = T ? S_NOISE_SKIP_US / T : n - 1;
    const U32 skip = ringDown < n - 1 ? ringDown : n - 1;
    const U8* s = pPing->pu8RawSonarData;
    U32 sum = 0;
    U8 max = 0;
    for (U32 i = skip; i < n; ++i) {
        sum += s[i];
        max = s[i] > max ? s[i] : max;
    }
    if (pu8Max)
        *pu8Max = max;
    const U32 avg = sum / (n - skip);
    return avg > 255 ? 255 : (U8)avg;
}
