// STAND-IN for the factory tests of the "t" command and their routing of
// key events and timer ticks, until they are built: no test number starts
// a test, so the argument comes back as it was sent, as it does for a
// number with no test; a MENU press sounds the bad click, as for every test
// without key rules of its own, and a tick only brings the frame the task
// requests after it. Delete this file when the tests land.
#include "system/t_inlinetest_state.h"

#include "kernel/l_sema.h"

BOOLEAN T_INLINETEST_bRunTest(char* pcBuffer)
{
    (void)pcBuffer;
    return TRUE;
}

void T_INLINETEST_vRouteKey(const MSG_KEY_CHANGE* pKey)
{
    if (pKey->state == KEY_DOWN && pKey->key == KEY_MENU)
        L_SEMA_Signal(SEMA_KEYCLICK_BAD);
}

void T_INLINETEST_vRouteTick(void) {}
