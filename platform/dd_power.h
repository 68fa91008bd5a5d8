// The power driver: the unit's supply pins. On this machine switching the
// supply off ends the process with status 10.
#pragma once

#include "kernel/l_types.h"

[[noreturn]] void DD_POWER_vShutdown(void);
void DD_POWER_vSetupPins(void);
