// Test frame for the serial-port task: a data store, the task's mailbox
// binding, the four ports as pseudo-terminals, task 2 itself, and helper
// tasks that make client calls as tasks of their own.
#pragma once

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_queue.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "platform/dd_uart.h"
#include "platform/t_uart.h"
#include "platform/u_uart.h"
#include "store/h_database.h"

#include "platform/tests/uart_pty.h"

#include <functional>
#include <memory>
#include <termios.h>

namespace uartt {

// The time after the task's start when its 800 ms blanking is surely over.
constexpr int AFTER_BLANKING_MS = 1000;

// A task of its own that runs jobs for a test, so that requests come from
// distinct senders.
struct Agent {
    TASK id = 0;
    SEMA go = 0;
    std::function<void()> job;
    std::atomic<bool> done{false};

    void run(std::function<void()> f)
    {
        job = std::move(f);
        done = false;
        L_SEMA_Signal(go);
        EXPECT_TRUE(waitFor([&] { return done.load(); }, 5000));
    }
};

inline Agent s_agents[3];

template <int N>
void agentEntry(void)
{
    Agent& a = s_agents[N];
    for (;;) {
        L_SEMA_Wait(a.go);
        a.job();
        a.done = true;
    }
}

// Sends a mail with a semaphore and waits for the task's acknowledgement:
// the task has then handled it (and every mail sent before it).
template <typename MAIL>
MAIL sendAndWait(MAIL mail, SEMA ack)
{
    auto* m = (MAIL*)H_MEMORY_pvMalloc(sizeof(MAIL));
    *m = mail;
    EXPECT_EQ(L_MBOX_SendWaitTicks(MBOX_UART, &m->msg.msghdr, 3, ack, 5000), 0);
    MAIL out = *m;
    H_MEMORY_vFree(m);
    return out;
}

class UartTask : public ::testing::Test {
protected:
    // Helper tasks: ids the system would give to other services.
    static constexpr TASK TASK_A = 21, TASK_B = 19, TASK_C = 26;

    void SetUp() override
    {
        // Task 2 runs once per process (ctest gives every test its own).
        static bool s_started = false;
        if (s_started)
            GTEST_SKIP() << "needs a process of its own";
        s_started = true;
        root();
        for (int p = 0; p < 4; ++p) {
            ptys[p] = std::make_unique<Pty>();
            ASSERT_TRUE(ptys[p]->ok());
            ptys[p]->linkAs(p);
        }
        H_DATABASE_vInit();
        L_MBOX_DefineSema(MBOX_UART, 34);
        const TASK ids[3] = {TASK_A, TASK_B, TASK_C};
        TASK_ENTRY* entries[3] = {agentEntry<0>, agentEntry<1>, agentEntry<2>};
        for (int i = 0; i < 3; ++i) {
            s_agents[i].id = ids[i];
            s_agents[i].go = (SEMA)(250 + i);
            TASK_PARAM tp = {1024, 100, entries[i]};
            ASSERT_EQ(L_TASK_SetParams(ids[i], &tp), 0);
            ASSERT_EQ(L_TASK_Start(ids[i]), 0);
        }
        TASK_PARAM up = {1024, TASK_UART_TABLE_PRIORITY, T_UART_vMain};
        ASSERT_EQ(L_TASK_SetParams(TASK_UART, &up), 0);
        ASSERT_EQ(L_TASK_Start(TASK_UART), 0);
        ASSERT_TRUE(waitFor([] {
            U32 mbox = 0;
            return H_DATABASE_bFetchU32(FCID("TURT"), &mbox, nullptr, nullptr) && mbox == (U32)MBOX_UART;
        }));
    }

    Agent& agent(int i) { return s_agents[i]; }

    // Waits until every mail sent so far has been handled.
    void sync()
    {
        GENERIC_MESSAGE nop = {};
        nop.Cmd = CMD_ID_INVALID_ID;
        struct NOP {
            GENERIC_MESSAGE msg;
        };
        sendAndWait(NOP{nop}, 260);
    }

    static void afterBlanking() { std::this_thread::sleep_for(std::chrono::milliseconds(AFTER_BLANKING_MS)); }

    static speed_t speedOf(int port)
    {
        struct termios tio = {};
        tcgetattr(uart_info[port].dev_handle.load(), &tio);
        return cfgetospeed(&tio);
    }

    // The characters waiting in a port's receive queue.
    static std::string queued(U8 port, size_t n = SIZE_MAX, int ms = 1000)
    {
        std::string out;
        QUEUE q = T_UART_nGetQueue(port, FALSE);
        U16 element;
        while (out.size() < n && L_QUEUE_GetWaitTicks(q, &element, (TICKS)ms) == 0) {
            EXPECT_EQ(element >> 8, 0);
            out += (char)(element & 0xFF);
            if (n == SIZE_MAX)
                ms = 100; // after the first, only what follows at once
        }
        return out;
    }

    std::unique_ptr<Pty> ptys[4];
};

} // namespace uartt
