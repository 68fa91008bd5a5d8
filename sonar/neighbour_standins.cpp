// Neighbouring services of the ping task (see the header).
#include "sonar/neighbour_standins.h"

#include "kernel/lm_log.h"
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

BOOLEAN T_MMC_bOpenSonarMMCFiles(void) { return FALSE; }

void T_MMC_vSaveRawDataToMMC(PING_DESCRIPTOR*) {}

void T_MMC_vCloseSonarMMCFiles(BOOLEAN) {}

void T_MMC_vSeekPingsInPlaybackFile(U32*) {}

void T_MMC_vDrawErrorMessage(void) { log_me("[%d]%s: no card to record on\n", __LINE__, __func__); }

void S_DEPTHALARM_vInitDepthAlarms(void) {}

void S_DEPTHALARM_vCompareNewDepthAgainstAlarmSetPoint(U32, float, float) {}

void T_NAV_vDrawSweepOverlay(const MSS_NAV_VIEW*, BOOLEAN, S32) {}
