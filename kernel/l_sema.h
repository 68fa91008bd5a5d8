// Semaphores: 280 two-state event flags with fixed ids. A signal makes a
// semaphore done and wakes the one task that may wait on it; a wait returns
// when one of its semaphores is done and makes that one pending again.
#pragma once

#include "kernel/l_types.h"

ERC L_SEMA_Signal(SEMA sSema);
ERC L_SEMA_SignalMultiple(const SEMA* pList);
ERC L_SEMA_SetPending(SEMA sSema);
ERC L_SEMA_SetPendingMultiple(const SEMA* pList);
TASK L_SEMA_GetWaitingTaskID(SEMA sSema);
ERC L_SEMA_Wait(SEMA sSema);
ERC L_SEMA_WaitTicks(SEMA sSema, TICKS sTicks);
ERC L_SEMA_WaitSeconds(SEMA sSema, S32 sSeconds);
SEMA L_SEMA_WaitMultiple(const SEMA* pList);
void L_SEMA_Debug(void);
