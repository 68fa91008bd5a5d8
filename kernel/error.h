// Fatal errors and the reset. An unrecoverable condition is reported with
// ERROR_error and followed by U_RESET_vReset, which hands over to the reset
// hook that the composition root installs (the unit's shutdown chain, which
// ends the process with status 10); without a hook it ends the process with
// status 10 itself.
#pragma once

#include "kernel/l_types.h"

void ERROR_error(const char* pFilename, U32 u32LineNumber, const char* pDescription);
extern "C" void __rt_raise(void);
[[noreturn]] void U_RESET_vReset(BOOLEAN bUpload, BOOLEAN bBootROM);

// The hook must not return; null restores the default.
typedef void ERROR_RESET_HOOK(void);
void ERROR_vInstallResetHook(ERROR_RESET_HOOK* pfnReset);
