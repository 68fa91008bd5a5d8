// The log and the process frame's exits.
//
// Every log line is "%5d.%03d %5d.%03d %2d %s %s\r\n": seconds since the
// previous line, the monotonic clock reading in seconds (counted since the
// system booted), the caller's task id and name, the text. A kernel dump
// switches the log to standard error for the rest of the process.
//
// SIGINT and SIGTERM are taken by a small handler that only writes the
// signal number into a pipe; a plain thread reads it and does the dump and
// the exit, so no lock is ever taken inside a signal handler.
#include "kernel/lm_log.h"

#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mem.h"
#include "kernel/l_mutex.h"
#include "kernel/l_names.h"
#include "kernel/l_queue.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "kernel/l_timer.h"
#include "kernel/l_utils.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

U8 task_disabled[ntasks];
S64 quit_seconds;
S32 debug_seconds;
S32 opt_fakekey = -1;
S64 opt_sleeper = 1000;
BOOLEAN opt_nolog;
BOOLEAN opt_fsync;
BOOLEAN opt_fake_transducer;
BOOLEAN opt_noadc;
BOOLEAN opt_nodisclaimer;
BOOLEAN opt_notone;
const char model_string[12] = "VONDREL 800";
std::atomic<BOOLEAN> bStartupTaskInitialized{0};

namespace {

constexpr size_t LOG_TEXT_MAX = 256;

std::atomic<FILE*> output_handle{nullptr};
std::atomic<S64> last_time{0};
std::atomic<TASK> debug_taskno{0};
std::atomic<bool> s_debugThreadStarted{false};
std::atomic<bool> s_handlersInstalled{false};
int s_signalPipe[2] = {-1, -1};

S64 LM_s64NowMillis()
{
    struct timespec ts;
    CLOCK_internalGetTimespec(&ts);
    return (S64)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

void lm_doit(FILE* out, const char* text, bool force)
{
    S64 now = LM_s64NowMillis();
    if (opt_nolog && !force) {
        last_time = now;
        return;
    }
    S64 since = now - last_time.load();
    TASK id = L_TASK_GetID(0);
    fprintf(out, "%5d.%03d %5d.%03d %2d %s %s\r\n", (int)(since / 1000), (int)(since % 1000), (int)(now / 1000),
            (int)(now % 1000), (int)id, get_task_name((U32)id), text);
    last_time = now;
    fflush(out);
    if (opt_fsync)
        fsync(1);
}

extern "C" void sigterm_handler(int sig, siginfo_t*, void*)
{
    int saved = errno;
    unsigned char b = (unsigned char)sig;
    if (write(s_signalPipe[1], &b, 1) < 0) {
    }
    errno = saved;
}

void* LM_signalThread(void*)
{
    for (;;) {
        unsigned char sig;
        ssize_t r = read(s_signalPipe[0], &sig, 1);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return nullptr;
        if (sig == SIGINT)
            debug_doit();
        LM_EXIT(2);
    }
}

void take_handler(int sig)
{
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_sigaction = sigterm_handler;
    sa.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&sa.sa_mask);
    sigaction(sig, &sa, nullptr);
}

void LM_vInstallHandlers()
{
    bool expected = false;
    if (!s_handlersInstalled.compare_exchange_strong(expected, true))
        return;
    if (pipe2(s_signalPipe, O_CLOEXEC) == 0 &&
        L_UTILS_threadCreateSimpleThread((char*)"signals", LM_signalThread, nullptr) != 0) {
        take_handler(SIGTERM);
        take_handler(SIGINT);
    }
}

void* lm_debug(void*)
{
    struct sched_param sp = {98};
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp) != 0)
        log_me("debug watchdog runs without FIFO priority");
    pthread_detach(pthread_self());
    S64 prev = last_time;
    int count = 0;
    for (;;) {
        unsigned int want = (unsigned int)debug_seconds;
        unsigned int remaining = sleep(want);
        while (remaining != 0) {
            if (remaining != want) {
                fprintf(stderr, "%d: after sleep %d remaining (last=%d prev=%d)\n", count, remaining,
                        (int)last_time.load(), (int)prev);
                count++;
            }
            want = remaining;
            remaining = sleep(want);
        }
        if (last_time != prev) {
            prev = last_time;
            continue;
        }
        debug_doit();
        LM_EXIT(3);
    }
}

} // namespace

void log_me(const char* msg, ...)
{
    TASK dumping = debug_taskno;
    if (dumping != 0 && dumping != L_TASK_GetID(0))
        sleep(60);
    if (output_handle.load() == nullptr) {
        LM_vInstallHandlers();
        FILE* expected = nullptr;
        output_handle.compare_exchange_strong(expected, stdout);
    }
    FILE* out = output_handle;
    if (!opt_nolog) {
        char text[LOG_TEXT_MAX];
        va_list ap;
        va_start(ap, msg);
        vsnprintf(text, sizeof text, msg, ap);
        va_end(ap);
        lm_doit(out, text, false);
    } else {
        last_time = LM_s64NowMillis();
    }
    if (out != stderr && quit_seconds != 0 && last_time >= quit_seconds) {
        debug_doit();
        lm_doit(output_handle, "quit seconds expired", false);
        LM_EXIT(4);
    }
    if (debug_seconds != 0 && !s_debugThreadStarted.exchange(true)) {
        pthread_t th;
        pthread_create(&th, nullptr, lm_debug, nullptr);
    }
}

void bail_out(const char* msg, ...)
{
    char text[LOG_TEXT_MAX];
    va_list ap;
    va_start(ap, msg);
    vsnprintf(text, sizeof text, msg, ap);
    va_end(ap);
    FILE* out = output_handle.load();
    lm_doit(out ? out : stdout, text, true);
    LM_EXIT(1);
}

void lm_exit(const char* fname, int lineno, int status)
{
    log_me("exit from file %s line #%d status %d", fname, lineno, status);
    fflush(stdout);
    fflush(stderr);
    exit(status);
}

int lm_gettime(struct timeval* tvptr)
{
    struct timespec ts;
    CLOCK_internalGetTimespec(&ts);
    if (tvptr) {
        tvptr->tv_sec = ts.tv_sec;
        tvptr->tv_usec = ts.tv_nsec / 1000;
    }
    return (int)(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

void show_linux_priority(const char* label)
{
    static std::atomic<bool> s_first{true};
    if (s_first.exchange(false))
        log_me("sched priorities min %d max %d", sched_get_priority_min(SCHED_FIFO), sched_get_priority_max(SCHED_FIFO));
    int policy;
    struct sched_param sp;
    if (pthread_getschedparam(pthread_self(), &policy, &sp) != 0)
        log_me("could not get priority for \"%s\"", label);
    else
        log_me("priority for \"%s\" is %d policy %d", label, sp.sched_priority, policy);
}

void debug_doit(void)
{
    output_handle = stderr;
    debug_taskno = L_TASK_GetID(0);
    L_TASK_Debug();
    L_TIMER_Debug();
    L_SEMA_Debug();
    L_QUEUE_Debug();
    L_MUTEX_Debug();
    L_MBOX_Debug();
    L_MEM_Debug();
}
