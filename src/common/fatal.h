#pragma once
#include <pthread.h>

// The one way a thread ends the whole process on an error it cannot hand
// back (an align worker, or a kernel running on one). Other threads may
// still be running, so the process ends with _exit: static destructors and
// exit handlers would tear down what those threads still use.
//
// Several threads may fail at once. The end takes the output lock (below),
// so no thread is inside a write when the process ends, and the first
// failing thread to hold it is the only one that says anything: any other
// waits for the lock until the process has ended.

// What the calling thread writes before the process ends: the output it
// has completed. It runs on the failing thread, which holds the output
// lock, just before the message.
using fatal_flush_t = void (*)(void *ctx);

// Sets the calling thread's flush and its argument; nullptr for none.
void set_fatal_flush(fatal_flush_t flush, void *ctx);

// The lock under which threads that run alongside each other write the
// process's outputs (nullptr when none). A fatal end takes it and never
// gives it back, so what any thread writes is whole.
void set_fatal_output_lock(pthread_mutex_t *lock);
// Take and give back that lock around a write; a fatal end on this thread
// in between knows that the thread holds it.
void lock_output();
void unlock_output();

// Inside a catch block: what the user is told of the exception it handles.
// Running out of memory, or a container asked for more elements than it
// can hold (length_error, as much a lack of memory to the user), is "not
// enough memory"; another standard exception says its own reason. Nothing
// is allocated.
const char *exception_reason() noexcept;

// Runs the calling thread's flush, writes `message` to standard error as
// given (no newline is added) and ends the process with `status`. Nothing
// here allocates, so it serves a thread that ran out of memory.
[[noreturn]] void fatal_exit(const char *message, int status);
