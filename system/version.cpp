// The software version and the start-up check (see the header).
//
// "SAGS" is the copy of the operating-age counter "SAGE" that only releases
// with grouped waypoint management keep in step. A release without it
// advances "SAGE" alone, so a difference between the two (or either
// missing) means such a release has run since, and the waypoints it stored
// must be converted again.
#include "system/version.h"

#include "store/h_database.h"

#include <atomic>
#include <cstdio>

namespace {

constexpr const char* BUILD_DATE = "Jan 22 2016";
constexpr U32 PROCESSOR_SPEED_MHZ = 534;

std::atomic<BOOLEAN> s_bVersionChanged{FALSE};
std::atomic<BOOLEAN> s_bUpgradingToGroups{FALSE};

// TRUE with the value when the key is written and valid.
bool bFetchValid(FOURCHARID key, U32* pu32Value)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchU32(key, pu32Value, &bValid, nullptr) && bValid;
}

} // namespace

const VERSION_INFO* VERSION_pversion_infoGetCurrentVersion(void)
{
    static thread_local VERSION_INFO s_info;
    snprintf(s_info.version, sizeof s_info.version, "%1d.%03d", (int)VERSION_MAJOR, (int)VERSION_MINOR);
    snprintf(s_info.date, sizeof s_info.date, "%s", BUILD_DATE);
    snprintf(s_info.speed, sizeof s_info.speed, "%dMhz", (int)PROCESSOR_SPEED_MHZ);
    S32 s32Revision = 0;
    if (H_DATABASE_bFetchS32(FCID("CREV"), &s32Revision, nullptr, nullptr))
        snprintf(s_info.rev, sizeof s_info.rev, "%d", (int)s32Revision);
    else
        snprintf(s_info.rev, sizeof s_info.rev, "---");
    return &s_info;
}

BOOLEAN VERSION_bDetectVersionChange(void)
{
    U32 u32Stored = 0, u32Age = 0, u32AgeCopy = 0;
    const bool bStored = bFetchValid(FCID("SFVR"), &u32Stored);
    const BOOLEAN bChanged = !(bStored && u32Stored == VERSION_NUMBER);
    const bool bAgesLevel =
        bStored && bFetchValid(FCID("SAGS"), &u32AgeCopy) && bFetchValid(FCID("SAGE"), &u32Age) && u32Age == u32AgeCopy;
    s_bVersionChanged.store(bChanged);
    s_bUpgradingToGroups.store(bAgesLevel ? FALSE : TRUE);
    if (bChanged)
        H_DATABASE_bUpdateValueU32(FCID("SFVR"), VERSION_NUMBER, P_NORMAL);
    return bChanged;
}

BOOLEAN VERSION_bIsVersionChanged(void) { return s_bVersionChanged.load(); }

BOOLEAN VERSION_bIsUpgradingToGroupedWaypointManagement(void) { return s_bUpgradingToGroups.load(); }
