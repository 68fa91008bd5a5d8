// Plain threads, the system date, the working directory, number texts.
#include "kernel/l_utils.h"

#include "kernel/l_root.h"
#include "kernel/lm_log.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <vector>

namespace {

// The unit gives a plain thread 24 KiB of stack; 64-bit code and the
// sanitizers need more, ThreadSanitizer (which keeps its own per-thread
// state there) the most: it refuses smaller stacks.
#if defined(__SANITIZE_THREAD__)
constexpr size_t SIMPLE_THREAD_STACK = 4 * 1024 * 1024;
#else
constexpr size_t SIMPLE_THREAD_STACK = 256 * 1024;
#endif

// Every plain thread's stack, kept for the life of the process as the unit
// keeps them (one is never freed once its thread started, even after the
// thread ended); the list is what shows the leak checker that they are.
std::mutex s_stackLock;
std::vector<void*>& s_stacks = *new std::vector<void*>();

U32 s_u32LastDateSet;
std::once_flag s_cwdOnce;
char s_cwd[4096];

} // namespace

pthread_t L_UTILS_threadCreateSimpleThread(char* pThreadName, void* (*start_routine)(void*), void* arg)
{
    void* stack = nullptr;
    if (posix_memalign(&stack, 4096, SIMPLE_THREAD_STACK) != 0)
        return 0;
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    int rc = pthread_attr_setstack(&attr, stack, SIMPLE_THREAD_STACK);
    if (rc != 0) {
        log_me("pthread_attr_setstack result = %d, %d, %s", rc, errno, strerror(rc));
        pthread_attr_destroy(&attr);
        free(stack);
        return 0;
    }
    pthread_t tid;
    rc = pthread_create(&tid, &attr, start_routine, arg);
    pthread_attr_destroy(&attr);
    if (rc != 0) {
        log_me("pthread_create result = %d, %d, %s", rc, errno, strerror(rc));
        free(stack);
        return 0;
    }
    {
        std::lock_guard<std::mutex> guard(s_stackLock);
        s_stacks.push_back(stack);
    }
    pthread_setname_np(tid, pThreadName);
    log_me("pthread_create (%s): %d", pThreadName, (int)(long)tid);
    return tid;
}

void L_UTILS_vSetSysDate(U32 u32DateTime)
{
    S64 diff = (S64)u32DateTime - (S64)s_u32LastDateSet;
    if (diff < 3600 && diff > -3600)
        return;
    s_u32LastDateSet = u32DateTime;
    time_t t = (time_t)u32DateTime;
    struct tm tm;
    gmtime_r(&t, &tm);
    char cmd[128];
    snprintf(cmd, sizeof cmd, "date -u -s %4d.%02d.%02d-%02d:%02d:%02d > /dev/null", tm.tm_year + 1900,
             tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    L_ROOT_s32System(cmd);
}

char* L_UTILS_cpGetPathnamePtr(void)
{
    std::call_once(s_cwdOnce, [] {
        const char* env = getenv("VONDREL_CWD");
        if (env)
            snprintf(s_cwd, sizeof s_cwd, "%s", env);
        else
            L_ROOT_pcResolve("/usr/vondrel", s_cwd, sizeof s_cwd);
    });
    return s_cwd;
}

char* itoa(int value, char* optr, int radix)
{
    char* out = optr;
    unsigned int mag = (unsigned int)value;
    if (value < 0) {
        *out++ = '-';
        mag = 0u - mag;
    }
    if (radix < 2 || radix > 36)
        radix = 10;
    char digits[40];
    int n = 0;
    do {
        unsigned int d = mag % (unsigned int)radix;
        digits[n++] = (char)(d < 10 ? '0' + d : 'A' + d - 10);
        mag /= (unsigned int)radix;
    } while (mag != 0);
    while (n > 0)
        *out++ = digits[--n];
    *out = '\0';
    return optr;
}

long atoh(const char* cptr)
{
    unsigned long value = 0;
    for (; *cptr; ++cptr) {
        char c = *cptr;
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'A' && c <= 'Z')
            d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'z')
            d = c - 'a' + 10;
        else
            break;
        value = value * 16 + (unsigned long)d;
    }
    return (long)value;
}
