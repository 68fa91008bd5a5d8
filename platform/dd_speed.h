// The paddle-wheel speed sensor: a device that reads as the sensor's
// cumulative pulse count. Opened when the speed task starts and kept open;
// the speed task is the only caller.
#pragma once

#include "kernel/l_types.h"

// Opens /dev/paddlewheel; fatal when it cannot be opened.
void DD_SPEED_vInit(void);
// Pulses since the previous call (modulo 2^32). The first good read only
// takes the baseline and a failed read counts nothing: both give 0.
U32 DD_SPEED_u32GetPulses(void);
