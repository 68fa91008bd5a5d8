// STAND-IN: see t_nav_group.h.
#include "nav/manager/t_nav_group.h"

#include "kernel/lm_log.h"

void T_NAV_GROUP_vSetNavUIRawNoteWithTimeout(const char* pcText, U32 u32Seconds)
{
    log_me("NAV GROUP note (%u s): %s", (unsigned)u32Seconds, pcText != nullptr ? pcText : "");
}
