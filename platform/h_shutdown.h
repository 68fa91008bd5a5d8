// The hardware shutdown: the last step of a reset, the power switched off.
#pragma once

[[noreturn]] void H_SHUTDOWN_vShutdown(void);
