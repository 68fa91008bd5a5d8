// The log and the process frame's exits.
//
// Every log line is "%5d.%03d %5d.%03d %2d %s %s\r\n": seconds since the
// previous line, the kernel clock in seconds, the caller's task id and name,
// the text. The kernel clock counts from the process start, as the unit's
// clock counts from its boot: on a workstation the host's uptime would make
// quit_sec fire at once and the time columns meaningless. A kernel dump
// switches the log to standard error for the rest of the process.
//
// quit_sec is checked at every log line and, because a quiet unit may log
// nothing for a long time, by a small thread that wakes at the quit time.
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
BOOLEAN opt_nolog;
BOOLEAN opt_fsync;

namespace {

constexpr size_t LOG_TEXT_MAX = 256;

std::atomic<FILE*> output_handle{nullptr};
std::atomic<S64> last_time{0};
std::atomic<TASK> debug_taskno{0};
std::atomic<bool> s_debugThreadStarted{false};
std::atomic<bool> s_quitThreadStarted{false};
std::atomic<bool> s_quitting{false};
std::atomic<bool> s_handlersInstalled{false};
int s_signalPipe[2] = {-1, -1};

S64 LM_s64NowMillis()
{
    return (S64)L_CLOCK_qwGetTimeInMillis();
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

// The quit_sec end: dump, one more line, status 4. Whoever comes second
// (a log line and the quit thread at the same moment) goes on as it was,
// and the first one ends the process.
void LM_vQuit()
{
    if (s_quitting.exchange(true))
        return;
    debug_doit();
    lm_doit(output_handle, "quit seconds expired", false);
    LM_EXIT(4);
}

void* lm_quit(void*)
{
    pthread_detach(pthread_self());
    for (;;) {
        S64 left = quit_seconds - LM_s64NowMillis();
        if (left <= 0)
            break;
        // In steps, so a stepped test clock is seen too.
        L_CLOCK_Sleep((TICKS)(left < 60000 ? left : 60000));
    }
    // A dump already under way (SIGINT, debug_sec) ends the process itself.
    if (output_handle.load() != stderr)
        LM_vQuit();
    return nullptr;
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
    if (out != stderr && quit_seconds != 0 && last_time >= quit_seconds)
        LM_vQuit();
    if (quit_seconds != 0 && !s_quitThreadStarted.exchange(true)) {
        pthread_t th;
        pthread_create(&th, nullptr, lm_quit, nullptr);
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
    U64 micros = L_CLOCK_qwGetTimeInMicros();
    if (tvptr) {
        tvptr->tv_sec = (time_t)(micros / 1000000);
        tvptr->tv_usec = (suseconds_t)(micros % 1000000);
    }
    return (int)(micros / 1000);
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
