// Neighbouring services of the ping task (see the header).
#include "sonar/neighbour_standins.h"

#include "store/h_database.h"

#include <initializer_list>

BOOLEAN T_MMC_bOpenPlaybackFile(BOOLEAN bOpenFile, char* pFilename)
{
    (void)pFilename;
    return bOpenFile ? FALSE : TRUE;
}

void T_MMC_vCleanupDatabaseAfterPlayback(void)
{
    for (FOURCHARID key : {FCID("ILAT"), FCID("ILON"), FCID("ILTD"), FCID("ILND"), FCID("IHDG"), FCID("IDTM"),
                           FCID("ISOG"), FCID("ISPD")})
        H_DATABASE_vDeleteEntry(key);
}

void T_NET_PING_RECEIVE_vUpdateSonarSource(U32, U16) {}
