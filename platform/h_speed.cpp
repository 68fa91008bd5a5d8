// Water speed from the paddle-wheel pulse rate.
//
// The pulse rate f in Hz selects a band ((int f) - 1) / 10, capped at 10,
// whose factor gives knots per 10 Hz: speed in knots = f x factor x 0.1.
// Rates below 11 Hz use band 0.
#include "platform/h_speed.h"

#include "kernel/l_timer.h"
#include "platform/dd_speed.h"
#include "util/u_convert.h"

namespace {

// Knots per 10 Hz of pulse rate, by band.
constexpr float SpeedConvFactor[11] = {2.2063894f, 2.0027227f, 1.7651114f, 1.6293337f, 1.7007420f, 1.8330004f,
                                       1.8669449f, 1.8669449f, 1.9008893f, 1.9348012f, 1.9188033f};

constexpr S32 LAST_BAND = 10;
constexpr float MAX_PLAUSIBLE_MPS = 50.0f;

bool s_bFirstCall = true;
TICKS s_tReference = 0;
BOOLEAN s_bFound = FALSE;

} // namespace

void H_SPEED_vInit(void)
{
    DD_SPEED_vInit();
}

BOOLEAN H_SPEED_bGetSpeed(float* pfSpeed)
{
    if (s_bFirstCall) {
        L_TIMER_GetElapsed(&s_tReference);
        DD_SPEED_u32GetPulses();
        s_bFirstCall = false;
        return s_bFound;
    }
    const TICKS tElapsed = L_TIMER_GetElapsed(&s_tReference);
    const U32 u32Pulses = DD_SPEED_u32GetPulses();
    if (tElapsed == 0)
        return FALSE;
    if (u32Pulses == 0) {
        *pfSpeed = 0.0f;
        return s_bFound;
    }
    const float fRate = (float)u32Pulses / ((float)tElapsed * 0.001f);
    // The rate can exceed what an S32 holds only for absurd counts; the
    // last band serves them as it serves every rate from 101 Hz on.
    S32 s32Band = fRate >= 1000.0f ? LAST_BAND : ((S32)fRate - 1) / 10;
    if (s32Band > LAST_BAND)
        s32Band = LAST_BAND;
    const float fKnots = fRate * SpeedConvFactor[s32Band] * 0.1f;
    *pfSpeed = (float)dConvertToInternal(fKnots, D_SPEED, U_KNOTS);
    s_bFound = *pfSpeed <= MAX_PLAUSIBLE_MPS;
    return s_bFound;
}
