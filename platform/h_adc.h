// Analogue input through the board's own converter. On this board the
// converter reads 0 and raises no completion interrupt; the unit's
// analogue inputs (battery, temperatures) come through their own devices.
#pragma once

#include "kernel/l_types.h"

U16 H_ADC_u16Read(U8 u8Channel);
