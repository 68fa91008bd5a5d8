// Fatal errors and the reset chain. An unrecoverable condition is reported
// with ERROR_error and followed by U_RESET_vReset, which ends the process
// with status 10.
#pragma once

#include "kernel/l_types.h"

void ERROR_error(const char* pFilename, U32 u32LineNumber, const char* pDescription);
extern "C" void __rt_raise(void);
[[noreturn]] void U_RESET_vReset(BOOLEAN bUpload, BOOLEAN bBootROM);
[[noreturn]] void H_SHUTDOWN_vShutdown(void);
[[noreturn]] void DD_POWER_vShutdown(void);
void DD_POWER_vSetupPins(void);
