// Task 60, the playback reader: one playback step after another for the
// life of the process. It idles in the step while nothing plays.
#include "sonar/ping/t_n_ping.h"

void T_READ_RECORD_PINGDATA_vMain(void)
{
    for (;;)
        T_N_PING_vRecordPlayback();
}
