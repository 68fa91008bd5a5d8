// The unit's options from its command line that its drivers and tasks read
// (fake keys, no analogue inputs, a fake transducer, no tones, no
// disclaimer). Main sets them once, before any task starts; from then on
// they are only read.
#pragma once

#include "kernel/l_types.h"

extern S32 opt_fakekey;     // physical key (DKEY_...) the fake key presses over and over, -1 none
extern S64 opt_sleeper;     // microseconds
extern BOOLEAN opt_fake_transducer;
extern BOOLEAN opt_noadc;
extern BOOLEAN opt_nodisclaimer;
extern BOOLEAN opt_notone;
