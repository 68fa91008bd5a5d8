// The process-wide log, the option state, orderly exits, the kernel dump
// and the two diagnostic watchdogs (quit_sec and debug_sec).
#pragma once

#include "kernel/l_types.h"

#include <cstdio>
#include <sys/time.h>

// The kernel's and the log's options, set by main from the command line
// (the unit's other options are in platform/h_options.h).
extern U8 task_disabled[ntasks];  // 1 = L_TASK_Start leaves that task alone
extern S64 quit_seconds;          // kernel-clock reading in ms that ends the process (4)
extern S32 debug_seconds;         // hang watchdog period in seconds (3)
extern BOOLEAN opt_nolog;
extern BOOLEAN opt_fsync;

void log_me(const char* msg, ...) __attribute__((format(printf, 1, 2)));
[[noreturn]] void bail_out(const char* msg, ...) __attribute__((format(printf, 1, 2)));
[[noreturn]] void lm_exit(const char* fname, int lineno, int status);
// The kernel clock (time since the process start) in ms, and in tvptr.
int lm_gettime(struct timeval* tvptr);
void show_linux_priority(const char* label);

// The kernel dump: every kernel object's state, to standard error from then on.
void debug_doit(void);

#define LM_EXIT(status) lm_exit(__FILE_NAME__, __LINE__, (status))
