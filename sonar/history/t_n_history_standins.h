// STAND-INS of the history module's neighbours that are not built yet: the
// speed alarm of the signal-processing services. Each does what the history
// task may rely on of the real one; delete an entry when its real module
// lands.
#pragma once

#include "accessories/t_alarm.h"
#include "kernel/l_types.h"
#include "store/database_msg.h"
#include "ui/u_keyboard.h"
#include "ui/u_view.h"

// The 360 unit's state handler and sweep status are built.
#include "sonar/history/t_n_history_mss.h"

// The speed alarms of the signal-processing services: nothing to set up,
// and a speed compared with the deploy alarm's set point raises nothing.
void S_SPEEDALARM_vInitSpeedAlarms(void);
void S_SPEEDALARM_vCompareNewSpeedAgainstAlarmSetPoint(U32 u32Source, float fSpeed, float fSetPoint);
