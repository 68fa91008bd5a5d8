// Receiver bandwidth request. The ping code stores a request (0..3) and
// later restores it; the setting itself has no hardware behind it on this
// board, only the check: a value above 3 is a fatal error.
#pragma once

#include "kernel/l_types.h"

void DD_MUTE_vSetupPin(void);
void DD_MUTE_vRequestBandwidth(const U8 control);
void DD_MUTE_vSetBandwidth(const U8 control);
// Applies the stored request with the same check.
void DD_PING_vRestoreBandwidth(void);
