#pragma once

// The one way a thread ends the whole process on an error it cannot hand
// back (an align worker, or a kernel running on one). Other threads may
// still be running, so the process ends with _exit: static destructors and
// exit handlers would tear down what those threads still use.

// What the calling thread writes before the process ends: the output it
// has completed. It runs on the failing thread just before the message and
// may keep the locks it takes, since nothing runs after it but the exit.
using fatal_flush_t = void (*)(void *ctx);

// Sets the calling thread's flush and its argument; nullptr for none.
void set_fatal_flush(fatal_flush_t flush, void *ctx);

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
