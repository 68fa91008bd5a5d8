// Accessory power: straight to the driver.
#include "platform/h_accpower.h"

#include "platform/dd_board.h"

void H_ACCPOWER_vPowerOn(void)
{
    DD_ACCPOWER_vPowerOn();
}

void H_ACCPOWER_vPowerOff(void)
{
    DD_ACCPOWER_vPowerOff();
}
