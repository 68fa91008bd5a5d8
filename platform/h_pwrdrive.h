// The PWM power drive: set-up of the prescalers and the duty cycle. Nothing
// on this board drives it.
#pragma once

void H_PWRDRIVE_vInit(void);
void H_PWRDRIVE_vSetup(float fDutyCycle);
