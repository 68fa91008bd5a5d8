// Small utilities of the process frame: plain threads, the system date, the
// working directory and integer/text conversion.
#pragma once

#include "kernel/l_types.h"

#include <pthread.h>

pthread_t L_UTILS_threadCreateSimpleThread(char* pThreadName, void* (*start_routine)(void*), void* arg);
void L_UTILS_vSetSysDate(U32 u32DateTime);
// The working directory: VONDREL_CWD, else /usr/vondrel under the unit root.
char* L_UTILS_cpGetPathnamePtr(void);
char* itoa(int value, char* optr, int radix);
long atoh(const char* cptr);
