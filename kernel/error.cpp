// The fatal-error report: the time and the error are appended to FATAL.LOG
// in the working directory and the error is logged; the caller then resets.
#include "kernel/error.h"

#include "kernel/l_utils.h"
#include "kernel/lm_log.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

void ERROR_error(const char* pFilename, U32 u32LineNumber, const char* pDescription)
{
    time_t t = time(nullptr);
    char path[4096];
    snprintf(path, sizeof path, "%s/FATAL.LOG", L_UTILS_cpGetPathnamePtr());
    char message[256];
    snprintf(message, sizeof message, "error: %s in %s at %u%c", pDescription, pFilename, (unsigned)u32LineNumber,
             '\n');
    FILE* f = fopen(path, "a+");
    if (!f)
        f = fopen(path, "w+");
    if (!f) {
        log_me(" Error opening %s, Result = %d, error %d, %s", path, 0, errno, strerror(errno));
    } else {
        char when[64];
        ctime_r(&t, when);
        fputs(when, f);
        fputs(message, f);
        fclose(f);
    }
    log_me("%s", message);
}

extern "C" void __rt_raise(void)
{
    ERROR_error("Error", 514, "rt_raise");
    U_RESET_vReset(0, 0);
}

namespace {

std::atomic<ERROR_RESET_HOOK*> s_pfnReset{nullptr};

} // namespace

void ERROR_vInstallResetHook(ERROR_RESET_HOOK* pfnReset)
{
    s_pfnReset.store(pfnReset);
}

void U_RESET_vReset(BOOLEAN, BOOLEAN)
{
    if (ERROR_RESET_HOOK* pfn = s_pfnReset.load())
        pfn();
    LM_EXIT(10);
}
