// The process-wide log, the option state, orderly exits, the kernel dump
// and the two diagnostic watchdogs (quit_sec and debug_sec).
#pragma once

#include "kernel/l_types.h"

#include <atomic>
#include <cstdio>
#include <sys/time.h>

// Option state, set by main from the command line.
extern U8 task_disabled[ntasks];  // 1 = L_TASK_Start leaves that task alone
extern S64 quit_seconds;          // clock reading in ms that ends the process (4)
extern S32 debug_seconds;         // hang watchdog period in seconds (3)
extern S32 opt_fakekey;
extern S64 opt_sleeper;           // microseconds
extern BOOLEAN opt_nolog;
extern BOOLEAN opt_fsync;
extern BOOLEAN opt_fake_transducer;
extern BOOLEAN opt_noadc;
extern BOOLEAN opt_nodisclaimer;
extern BOOLEAN opt_notone;
extern const char model_string[12];
extern std::atomic<BOOLEAN> bStartupTaskInitialized; // set by the start-up task, read by Main

void log_me(const char* msg, ...) __attribute__((format(printf, 1, 2)));
[[noreturn]] void bail_out(const char* msg, ...) __attribute__((format(printf, 1, 2)));
[[noreturn]] void lm_exit(const char* fname, int lineno, int status);
int lm_gettime(struct timeval* tvptr);
void show_linux_priority(const char* label);

// The kernel dump: every kernel object's state, to standard error from then on.
void debug_doit(void);

#define LM_EXIT(status) lm_exit(__FILE_NAME__, __LINE__, (status))
