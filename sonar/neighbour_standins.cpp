// Neighbouring services of the sonar tasks (see the header).
#include "sonar/neighbour_standins.h"

#include "kernel/lm_log.h"
#include "store/h_database.h"

#include <atomic>
#include <initializer_list>

namespace {

constexpr S32 NO_PLAYBACK_DELAY_MS = 500;

BOOLEAN bStandInOpenPlaybackFile(BOOLEAN bOpenFile, char*) { return bOpenFile ? FALSE : TRUE; }

void vStandInCleanupDatabaseAfterPlayback(void)
{
    for (FOURCHARID key : {FCID("ILAT"), FCID("ILON"), FCID("ILTD"), FCID("ILND"), FCID("IHDG"), FCID("IDTM"),
                           FCID("ISOG"), FCID("ISPD")})
        H_DATABASE_vDeleteEntry(key);
}

BOOLEAN bStandInOpenSonarMMCFiles(void) { return FALSE; }
void vStandInSaveRawDataToMMC(PING_DESCRIPTOR*) {}
void vStandInCloseSonarMMCFiles(BOOLEAN) {}
void vStandInSeekPingsInPlaybackFile(U32*) {}
void vStandInDrawErrorMessage(void) { log_me("[%d]%s: no card to record on\n", __LINE__, __func__); }

U32 u32StandInReadPingFromMMC(PING_DESCRIPTOR*, S32* ps32Delay, PLAYBACK_MODE_TYPE, BOOLEAN*)
{
    if (ps32Delay != nullptr)
        *ps32Delay = NO_PLAYBACK_DELAY_MS;
    return 0;
}

void vStandInSetEndFillDone(void) {}

const SONAR_CARD_CALLS s_standIns = {
    bStandInOpenPlaybackFile,   vStandInCleanupDatabaseAfterPlayback, bStandInOpenSonarMMCFiles,
    vStandInSaveRawDataToMMC,   vStandInCloseSonarMMCFiles,           vStandInSeekPingsInPlaybackFile,
    vStandInDrawErrorMessage,   u32StandInReadPingFromMMC,            vStandInSetEndFillDone,
};

SONAR_CARD_CALLS s_merged = s_standIns;
std::atomic<const SONAR_CARD_CALLS*> s_pCalls{&s_standIns};

template <typename F>
void take(F& field, F installed)
{
    if (installed != nullptr)
        field = installed;
}

const SONAR_CARD_CALLS& card(void) { return *s_pCalls.load(); }

} // namespace

void T_MMC_vInstallSonarCalls(const SONAR_CARD_CALLS* pCalls)
{
    if (pCalls == nullptr) {
        s_pCalls = &s_standIns;
        return;
    }
    SONAR_CARD_CALLS merged = s_standIns;
    take(merged.bOpenPlaybackFile, pCalls->bOpenPlaybackFile);
    take(merged.vCleanupDatabaseAfterPlayback, pCalls->vCleanupDatabaseAfterPlayback);
    take(merged.bOpenSonarMMCFiles, pCalls->bOpenSonarMMCFiles);
    take(merged.vSaveRawDataToMMC, pCalls->vSaveRawDataToMMC);
    take(merged.vCloseSonarMMCFiles, pCalls->vCloseSonarMMCFiles);
    take(merged.vSeekPingsInPlaybackFile, pCalls->vSeekPingsInPlaybackFile);
    take(merged.vDrawErrorMessage, pCalls->vDrawErrorMessage);
    take(merged.u32ReadPingFromMMC, pCalls->u32ReadPingFromMMC);
    take(merged.vSetEndFillDone, pCalls->vSetEndFillDone);
    // The pointer moves only once the copy is whole.
    s_merged = merged;
    s_pCalls = &s_merged;
}

BOOLEAN T_MMC_bOpenPlaybackFile(BOOLEAN bOpenFile, char* pFilename)
{
    return card().bOpenPlaybackFile(bOpenFile, pFilename);
}

void T_MMC_vCleanupDatabaseAfterPlayback(void) { card().vCleanupDatabaseAfterPlayback(); }

U32 T_MMC_u32ReadPingFromMMC(PING_DESCRIPTOR* pPing, S32* ps32Delay, PLAYBACK_MODE_TYPE eMode, BOOLEAN* pbNeedSeek)
{
    return card().u32ReadPingFromMMC(pPing, ps32Delay, eMode, pbNeedSeek);
}

void T_MMC_vSetEndFillDone(void) { card().vSetEndFillDone(); }

void T_NET_PING_RECEIVE_vUpdateSonarSource(U32, U16) {}

BOOLEAN T_MMC_bOpenSonarMMCFiles(void) { return card().bOpenSonarMMCFiles(); }

void T_MMC_vSaveRawDataToMMC(PING_DESCRIPTOR* pPing) { card().vSaveRawDataToMMC(pPing); }

void T_MMC_vCloseSonarMMCFiles(BOOLEAN bRemove) { card().vCloseSonarMMCFiles(bRemove); }

void T_MMC_vSeekPingsInPlaybackFile(U32* pu32TimeStamps) { card().vSeekPingsInPlaybackFile(pu32TimeStamps); }

void T_MMC_vDrawErrorMessage(void) { card().vDrawErrorMessage(); }

void S_DEPTHALARM_vInitDepthAlarms(void) {}

void S_DEPTHALARM_vCompareNewDepthAgainstAlarmSetPoint(U32, float, float) {}

