#include "platform/dd_power.h"

#include "kernel/lm_log.h"

void DD_POWER_vShutdown(void)
{
    LM_EXIT(10);
}

void DD_POWER_vSetupPins(void) {}
