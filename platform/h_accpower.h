// Power for the accessory connector, switched by the accessory task.
#pragma once

void H_ACCPOWER_vPowerOn(void);
void H_ACCPOWER_vPowerOff(void);
