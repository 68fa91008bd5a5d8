// Process entry: the command line, then the system start.
//
// Main initialises the shared services, starts the serial-port and start-up
// tasks, waits until the start-up task releases it, starts the other tasks
// in a fixed order and parks the main thread.
#include "app/a_hooks.h"
#include "app/a_tasks.h"

#include "kernel/l_clock.h"
#include "kernel/l_root.h"
#include "kernel/l_task.h"
#include "kernel/linux_fs.h"
#include "kernel/lm_log.h"
#include "app/h_platform.h"
#include "platform/h_options.h"
#include "store/h_database.h"
#include "util/u_convert.h"

#include <cerrno>
#include <cstdint>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

// The unit is killed and restarted as a whole; the sanitizers' leak check
// at exit says nothing about it.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

const TASK MAIN_START_ORDER[38] = {26, 43, 47, 54, 51, 52, 53, 55, 56, 68, 18, 10, 23, 9, 28, 13, 39, 40, 16,
                                   32, 19, 20, 25, 21, 24, 31, 12, 60, 67, 11, 30, 57, 58, 59, 61, 62, 63, 69};

namespace {

// Marks (value 1) or clears (value 0) the disabled flag of each task id in a
// comma-separated list. An id outside 1..69 ends the process.
void handle_task_addrem(const char* option, const char* list, U8 value)
{
    const char* p = list;
    while (*p) {
        char* end;
        long id = strtol(p, &end, 10);
        if (end == p) {
            ++p;
            continue;
        }
        if (id < 1 || id > ntasks)
            bail_out("invalid task id %ld for argument %s", id, option);
        task_disabled[id - 1] = value;
        p = end;
    }
}

// The largest seconds (or milliseconds) an option may give: the log shows
// the clock in whole seconds as an int, and quit_sec and sleeper are
// multiplied by 1000 into 64 bits.
constexpr long OPTION_MAX = INT32_MAX;

// A base-10 number within min..max; a value out of range (or too large for
// a long) is an invalid argument rather than an overflow further on.
long option_value(const char* text, long min = 0, long max = OPTION_MAX)
{
    errno = 0;
    long v = strtol(text, nullptr, 10);
    if (errno == ERANGE || v < min || v > max)
        bail_out("invalid argument %s", text);
    return v;
}

} // namespace

int Main(void)
{
    L_ROOT_vMakeTree();
    L_TASK_vInstallTable(TaskParams, ntasks);
    H_DATABASE_vInit();
    srand((unsigned)time(nullptr));
    H_PLATFORM_vSetup();
    H_TICK_vSetup(1000);
    T_MAIN_vSetupMailboxes();
    U_CONVERT_vInitialiseConversionUtility();
    LS_sync_vInit();
    L_TASK_Start(2);
    L_TASK_Start(17);
    while (!bStartupTaskInitialized.load(std::memory_order_acquire))
        usleep(1);
    for (TASK t : MAIN_START_ORDER)
        L_TASK_Start(t);
    for (;;)
        sleep(3600);
}

int main(int argc, char** argv)
{
    signal(SIGPIPE, SIG_IGN);
    A_HOOKS_vInstall();
    log_me("%s start", model_string);
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc)
                bail_out("specifier required for argument %s", word);
            return argv[++i];
        };
        if (!strcmp(word, "task_flush"))
            memset(task_disabled, 1, sizeof task_disabled);
        else if (!strcmp(word, "task_add"))
            handle_task_addrem(word, value(), 0);
        else if (!strcmp(word, "task_rem"))
            handle_task_addrem(word, value(), 1);
        else if (!strcmp(word, "quit_sec"))
            quit_seconds = (S64)option_value(value()) * 1000;
        else if (!strcmp(word, "fake_key"))
            opt_fakekey = (S32)option_value(value(), INT32_MIN, INT32_MAX);
        else if (!strcmp(word, "debug_sec"))
            debug_seconds = (S32)option_value(value());
        else if (!strcmp(word, "sleeper"))
            opt_sleeper = (S64)option_value(value()) * 1000;
        else if (!strcmp(word, "fake_transducer"))
            opt_fake_transducer = 1;
        else if (!strcmp(word, "no_log"))
            opt_nolog = 1;
        else if (!strcmp(word, "no_adc"))
            opt_noadc = 1;
        else if (!strcmp(word, "fsync"))
            opt_fsync = 1;
        else if (!strcmp(word, "nodisclaimer"))
            opt_nodisclaimer = 1;
        else if (!strcmp(word, "notone"))
            opt_notone = 1;
        else
            bail_out("invalid argument %s", word);
    }
    Main();
    log_me("main exited");
    return 0;
}
