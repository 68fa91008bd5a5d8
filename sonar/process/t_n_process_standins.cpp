// The history calls of the processing task (see the header).
#include "sonar/process/t_n_process_standins.h"

#include "sonar/process/t_n_process.h"

#include <cstring>

void T_N_HISTORY_vPrepareForPlayback(void) {}

void T_N_HISTORY_vSetReverseScroll(BOOLEAN, BOOLEAN) {}

void T_N_HISTORY_vLookupColumnPingTimeStamps(BOOLEAN, U32* pu32TimeStamps)
{
    if (pu32TimeStamps != nullptr)
        memset(pu32TimeStamps, 0, ACCUMULATOR_BEAMS * sizeof(U32));
}
