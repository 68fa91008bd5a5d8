// Sonar transmit power chosen by depth: low in shallow water, medium from
// 15 m to 55 m (both edges included), high below.
#pragma once

#include "kernel/l_types.h"

typedef enum tag_TXPOWER { TXPOWER_AUTO = 0, TXPOWER_LOW = 1, TXPOWER_MED = 2, TXPOWER_HI = 3 } TXPOWER;

TXPOWER H_XMITPOWER_eSelectTransmitPower(const float fDepthInMetres);
