// Tasks, names and the small utilities of the process frame.
#include "kernel/l_names.h"
#include "kernel/l_root.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "kernel/l_utils.h"
#include "kernel/lm_log.h"

#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <sys/stat.h>
#include <thread>

namespace {

std::atomic<TASK> s_seenId{0};

void selfReportingEntry()
{
    s_seenId = L_TASK_GetID(0);
    L_SEMA_Wait(120);
    L_TASK_Terminate(0);
}

TEST(Task, StartIdentifyAndTerminate)
{
    TASK_PARAM p = {1024, 100, selfReportingEntry};
    ASSERT_EQ(L_TASK_SetParams(9, &p), 0);
    ASSERT_EQ(L_TASK_Start(9), 0);
    // The starter resumes only after the new thread announced itself.
    EXPECT_TRUE(L_TASK_bIsRunning(9));
    for (int i = 0; i < 200 && s_seenId == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(s_seenId, 9);
    L_SEMA_Signal(120);
    for (int i = 0; i < 200 && L_TASK_bIsRunning(9); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(L_TASK_bIsRunning(9));
    EXPECT_EQ(L_TASK_SignalConditional(9), 0); // no thread: nothing happens
}

TEST(Task, PlainThreadsAreTask70)
{
    EXPECT_EQ(L_TASK_GetID(0), TASK_MAINTHREAD);
    std::atomic<TASK> id{0};
    static std::atomic<TASK>* s_id;
    s_id = &id;
    pthread_t th = L_UTILS_threadCreateSimpleThread((char*)"probe", [](void*) -> void* {
        *s_id = L_TASK_GetID(0);
        return nullptr;
    }, nullptr);
    ASSERT_NE(th, (pthread_t)0);
    pthread_join(th, nullptr);
    EXPECT_EQ(id, TASK_MAINTHREAD);
}

TEST(Task, DisabledTaskIsNotStartedAndBadIdsAreRefused)
{
    task_disabled[11 - 1] = 1;
    TASK_PARAM p = {1024, 100, selfReportingEntry};
    L_TASK_SetParams(11, &p);
    EXPECT_EQ(L_TASK_Start(11), 0);
    EXPECT_FALSE(L_TASK_bIsRunning(11));
    task_disabled[11 - 1] = 0;
    EXPECT_EQ(L_TASK_Start(71), -lsTASK_INVALID);
    EXPECT_EQ(L_TASK_Start(-1), -lsTASK_INVALID);
    EXPECT_EQ(L_TASK_Terminate(99), -lsTASK_INVALID);
    EXPECT_EQ(L_TASK_GetPriority(5), 100);
    EXPECT_EQ(L_TASK_GetPriority(72), -lsTASK_INVALID);
}

TEST(Task, TimedConditionWaitWithPastDeadline)
{
    struct timespec past = {0, 0};
    ASSERT_EQ(L_TASK_LockMutex(0), 0);
    EXPECT_EQ(L_TASK_WaitConditionalTimed(0, &past), -lsTIMEOUT);
    EXPECT_EQ(L_TASK_UnlockMutex(0), 0);
}

TEST(Names, TablesAndLimits)
{
    EXPECT_STREQ(get_task_name(70), "MAINTHREAD");
    EXPECT_STREQ(get_task_name(71), "INVALID");
    // Task names come with the task table; without one only the main
    // thread has a name.
    static const char* const names[] = {"", "FIRST", "SECOND"};
    L_NAMES_vInstallTaskNames(nullptr, 0);
    EXPECT_STREQ(get_task_name(2), "INVALID");
    L_NAMES_vInstallTaskNames(names, 3);
    EXPECT_STREQ(get_task_name(2), "SECOND");
    EXPECT_STREQ(get_task_name(3), "INVALID");
    EXPECT_STREQ(get_task_name(70), "MAINTHREAD");
    L_NAMES_vInstallTaskNames(nullptr, 0);
    EXPECT_STREQ(get_semaphore_name(106), "SEMA_VIEW_UPDATE");
    EXPECT_STREQ(get_semaphore_name(281), "INVALID");
    EXPECT_STREQ(get_semaphore_name((U32)-1), "RC_TIMEOUT");
    EXPECT_STREQ(get_mailbox_name(71), "M_BT_REMOTE");
    EXPECT_STREQ(get_mutex_name(104), "RES_DORRIM_QUELLMARIMAGE");
    EXPECT_STREQ(get_queue_name(9), "Q_PING");
    EXPECT_STREQ(get_memory_name(0), "");
    EXPECT_STREQ(get_memory_name(1), "INVALID");
}

TEST(Utils, NumberTexts)
{
    char buf[40];
    EXPECT_STREQ(itoa(-255, buf, 16), "-FF");
    EXPECT_STREQ(itoa(0, buf, 10), "0");
    EXPECT_STREQ(itoa(35, buf, 36), "Z");
    EXPECT_STREQ(itoa(-2147483647 - 1, buf, 10), "-2147483648");
    EXPECT_EQ(atoh("1f"), 31);
    EXPECT_EQ(atoh("12-"), 18);
    EXPECT_EQ(atoh("1g"), 32);
    EXPECT_EQ(atoh(""), 0);
}

TEST(Utils, DateGoesThroughTheRunnerOnlyWhenAnHourAway)
{
    vt::TempRoot root;
    root.exportEnv();
    // The root and working directory are read once per process; this test
    // runs in its own process under ctest.
    std::string log = root.at("/tmp/commands.log");
    L_UTILS_vSetSysDate(1000000000); // 2001-09-09 01:46:40 UTC
    L_UTILS_vSetSysDate(1000000000 + 3599);
    L_UTILS_vSetSysDate(1000000000 - 3599);
    EXPECT_EQ(vt::readFile(log), "date -u -s 2001.09.09-01:46:40 > /dev/null\n");
    L_UTILS_vSetSysDate(1000000000 + 3600);
    EXPECT_EQ(vt::readFile(log),
              "date -u -s 2001.09.09-01:46:40 > /dev/null\ndate -u -s 2001.09.09-02:46:40 > /dev/null\n");
    // A stand-in program under ROOT/bin runs in place of the command.
    vt::writeFile(root.at("/bin/echo2"), "#!/bin/sh\necho \"$@\" > \"$VONDREL_ROOT/tmp/echo2.out\"\n");
    chmod(root.at("/bin/echo2").c_str(), 0755);
    EXPECT_EQ(L_ROOT_s32System("/usr/bin/echo2 a b"), 0);
    EXPECT_EQ(vt::readFile(root.at("/tmp/echo2.out")), "a b\n");
    char buf[256];
    EXPECT_EQ(std::string(L_ROOT_pcResolve("/dev/fb0", buf, sizeof buf)), root.at("/dev/fb0"));
    EXPECT_EQ(std::string(L_ROOT_pcResolve(root.at("/dev/fb0").c_str(), buf, sizeof buf)), root.at("/dev/fb0"));
    EXPECT_EQ(std::string(L_UTILS_cpGetPathnamePtr()), root.cwd());
}

} // namespace
