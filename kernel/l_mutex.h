// Mutexes: 104 numbered, task-owned, nestable locks, each fixed to one
// resource by its id, and the BOOLEAN wrapper used by shared modules.
#pragma once

#include "kernel/l_types.h"

ERC L_MUTEX_LockWait(MUTEX mutex);
ERC L_MUTEX_Lock(MUTEX mutex);
ERC L_MUTEX_LockTime(MUTEX mutex, TICKS sTicks);
ERC L_MUTEX_Unlock(MUTEX mutex);
TASK L_MUTEX_GetOwnerTaskID(MUTEX mutex);
void L_MUTEX_Debug(void);

BOOLEAN MUTEX_bInit(GMUTEX* pMutex, BOOLEAN bRecursive);
BOOLEAN MUTEX_bDestroy(GMUTEX* pMutex);
BOOLEAN MUTEX_bLock(GMUTEX* pMutex);
BOOLEAN MUTEX_bUnlock(GMUTEX* pMutex);
BOOLEAN MUTEX_bTryLock(GMUTEX* pMutex);
