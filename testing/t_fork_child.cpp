// Forked test children end without the process's exit handlers.
//
// A death test forks a process whose other threads (timer, keypad reader,
// tasks) may hold a lock of the sanitizer's allocator at that instant; in
// the child those threads are gone and the lock stays taken. The leak check
// that runs among the exit handlers takes every allocator lock, so such a
// child never ended and its test waited for its time-out. A child registers
// an exit handler of its own, which runs before all earlier ones: it flushes
// the streams the test reads and ends with the status it was given. Leaks
// are still checked in the test process itself.
#include <cstdio>
#include <cstdlib>
#include <pthread.h>
#include <unistd.h>

namespace {

void endForkedChild(int status, void*)
{
    fflush(nullptr);
    _exit(status);
}

void inForkedChild(void) { on_exit(endForkedChild, nullptr); }

const bool s_installed = [] {
    pthread_atfork(nullptr, nullptr, inForkedChild);
    return true;
}();

} // namespace
