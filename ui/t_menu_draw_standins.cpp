// STAND-INS for what the menu rows ask of the navigation task (the stored
// waypoints, routes and trolling-motor tracks) and of the network sources
// while app/ installs no hook for them: the copies give empty objects (no
// name, no icon) and every network source counts as available. They go
// once the composition root installs the real calls.
#include "ui/t_menu_draw.h"

namespace t_menu {

void vStandInCopyObject(U32, MENU_NAV_OBJECT* pObject)
{
    pObject->acName[0] = '\0';
    pObject->s32IconNumber = -1;
    pObject->pIcon = nullptr;
}

BOOLEAN bStandInSourceAvailable(U32) { return TRUE; }

} // namespace t_menu
