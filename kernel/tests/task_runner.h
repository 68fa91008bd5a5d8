// Runs a piece of a test as a kernel task with an id of the test's choice,
// so that ownership by task (mutexes, blocks, mail senders) can be seen.
// Use each id once per test: a task's stack is reused by its next start.
#pragma once

#include "kernel/l_task.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <utility>

namespace kt {

struct TaskBody {
    std::function<void()> body;
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
};

inline std::array<TaskBody, ntasks + 1>& taskBodies()
{
    static std::array<TaskBody, ntasks + 1> bodies;
    return bodies;
}

template <TASK ID>
void taskEntry()
{
    TaskBody& b = taskBodies()[ID];
    b.body();
    std::lock_guard<std::mutex> lock(b.m);
    b.done = true;
    b.cv.notify_all();
}

template <std::size_t... I>
constexpr std::array<TASK_ENTRY*, ntasks + 1> makeEntries(std::index_sequence<I...>)
{
    return {{&taskEntry<(TASK)I>...}};
}

inline TASK_ENTRY* entryOf(TASK id)
{
    static constexpr auto entries = makeEntries(std::make_index_sequence<ntasks + 1>{});
    return entries[id];
}

// Starts body as task id; the destructor waits until it has returned.
class TaskRun {
public:
    TaskRun(TASK id, std::function<void()> body) : b_(taskBodies()[id])
    {
        b_.body = std::move(body);
        b_.done = false;
        TASK_PARAM p = {4096, 50, entryOf(id)};
        L_TASK_SetParams(id, &p);
        started_ = L_TASK_Start(id) == 0;
    }
    ~TaskRun() { join(); }
    TaskRun(const TaskRun&) = delete;
    TaskRun& operator=(const TaskRun&) = delete;

    bool started() const { return started_; }
    // True once the body has returned.
    bool join(std::chrono::milliseconds limit = std::chrono::seconds(30))
    {
        if (!started_)
            return true;
        std::unique_lock<std::mutex> lock(b_.m);
        return b_.cv.wait_for(lock, limit, [this] { return b_.done; });
    }

private:
    TaskBody& b_;
    bool started_ = false;
};

} // namespace kt
