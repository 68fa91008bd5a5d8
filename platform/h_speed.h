// Water speed from the paddle wheel, called by the speed task on its poll
// timer. The state between calls is plain static state: the speed task is
// the only caller.
#pragma once

#include "kernel/l_types.h"

// Opens the sensor (fatal when it cannot be opened).
void H_SPEED_vInit(void);
// Speed in metres per second since the previous call. TRUE while the last
// speed computed was plausible (50 m/s or less); FALSE at the first call,
// which only starts the measurement, and when no time has passed (result
// untouched then). With no pulses the result is 0 and the verdict stays.
BOOLEAN H_SPEED_bGetSpeed(float* pfSpeed);
