// STAND-INS of the transducer database's neighbours (see the header).
#include "sonar/dsp/s_transducer_standins.h"

