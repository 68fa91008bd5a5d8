// Receiver band-pass centre per beam: the high band for beams 1 and 255,
// the low band for beams 2 and 3. Any other beam is a fatal error; the
// frequency plays no part.
#pragma once

#include "platform/h_recselect.h"

void H_BPF_vSetReceiverCenterFrequency(BEAM beam, U32 u32Frequency);
