// The actions behind the AIS sub-menu's "Target List" and "CPA Limits"
// items: they open the group manager's AIS target list and its CPA limit
// editor and acknowledge the key. They run in the menu task.
#pragma once

// Opens the target list: the good key click when it opened, the bad one
// when it could not (AIS not shown or no target known).
void T_NAV_vAisTargetList(void);
// Opens the CPA limit editor; the good key click.
void T_NAV_vAisCPALimit(void);
