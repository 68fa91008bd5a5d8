// The PWM power drive (see the header).
#include "platform/h_pwrdrive.h"

#include "platform/dd_board.h"

void H_PWRDRIVE_vInit(void)
{
    DD_PWM_vInitPrescalers();
}

void H_PWRDRIVE_vSetup(float) {}
