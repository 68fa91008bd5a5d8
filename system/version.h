// The software version and the start-up check for a change of software.
//
// The version record is refilled at each query from the build's constants
// and the hardware revision "CREV". The start-up step compares the version
// persisted in "SFVR" with this build's and tells the navigation storage
// whether the stored waypoints still have to be converted to groups.
#pragma once

#include "kernel/l_types.h"

constexpr U32 VERSION_MAJOR = 7;
constexpr U32 VERSION_MINOR = 790;
// What "SFVR" holds: major * 1000 + minor.
constexpr U32 VERSION_NUMBER = VERSION_MAJOR * 1000 + VERSION_MINOR;

typedef struct tag_VERSION_INFO {
    char version[20]; // "7.790"
    char date[20];    // the build date, "Jan 22 2016"
    char speed[10];   // the processor speed, "534Mhz"
    char rev[10];     // "CREV" as a number, "---" when it was never written
} VERSION_INFO;

// The record, refilled. Each thread has a record of its own, so a query
// never rewrites what another thread is reading.
const VERSION_INFO* VERSION_pversion_infoGetCurrentVersion(void);

// The start-up step, run once before "SAGS" is brought level with "SAGE":
// records whether the software changed and whether the navigation storage
// must be converted to groups, writes this build's number to "SFVR" when it
// changed, and returns whether it changed.
BOOLEAN VERSION_bDetectVersionChange(void);
// The results of the start-up step; FALSE both before it has run.
BOOLEAN VERSION_bIsVersionChanged(void);
BOOLEAN VERSION_bIsUpgradingToGroupedWaypointManagement(void);
