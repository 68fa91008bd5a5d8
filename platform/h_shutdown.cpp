#include "platform/h_shutdown.h"

#include "platform/dd_power.h"

void H_SHUTDOWN_vShutdown(void)
{
    DD_POWER_vShutdown();
}
