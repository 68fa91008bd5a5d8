// The start-up of the navigation store: the tables filled from internal
// flash, old records rewritten, recorded tracks repaired, the default-name
// counter settled and the group layer started, all under the
// navigation-data mutex with the duplicate and declutter scans off. The
// navigation task runs it once before any other task uses the store, then
// rebuilds the derived tables (T_NAV_TWR_vInitialScan).
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"

constexpr U32 NAV_UID_MARK_MASK = 0xF000; // bits 12-15 of the identity's high word
constexpr U32 NAV_UID_MARK = 0x6000;

void T_NAV_vInitTracksWaypointsRoutes(void);

// A recorded track's identity from the unit's MAC address, its name and two
// header words (the trolling-motor link's derivation).
void U_STEVRIN_COMMON_vGenerateRumbrelUID(RUMBREL* pTrack);
