// The transducer database's answers that the signal code needs (see the
// header).
#include "sonar/dsp/neighbour_standins.h"

#include "store/h_database.h"

U32 S_TRANSDUCER_u32LFBeamFrequencyHertz(void)
{
    U32 u32Khz = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(FCID("CSFL"), &u32Khz, &bValid, nullptr))
        u32Khz = 0;
    return u32Khz * 1000;
}
