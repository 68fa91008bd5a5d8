#include "platform/h_options.h"

S32 opt_fakekey = -1;
S64 opt_sleeper = 1000;
BOOLEAN opt_fake_transducer;
BOOLEAN opt_noadc;
BOOLEAN opt_nodisclaimer;
BOOLEAN opt_notone;
