// Receiver element selection per beam: the dual-beam element for beams 1, 2
// and 255, for beam 3 the 800 kHz element at exactly 800 kHz and the
// right-beam element otherwise. Any other beam is a fatal error.
#pragma once

#include "kernel/l_types.h"

typedef U8 BEAM;

void H_RECSELECT_vConnectElementToReceiver(BEAM beam, U32 u32Frequency);
