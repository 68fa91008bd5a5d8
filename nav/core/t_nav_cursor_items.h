// The chart cursor's map-offset actions.
#pragma once

void T_NAV_vSetMapOffset(void);
void T_NAV_vClearMapOffset(void);
