#include "common/fatal.h"

#include <cstring>
#include <new>
#include <stdexcept>
#include <unistd.h>

#include "common/fd_write.h"
#include "common/staged_output.h"

namespace {

struct thread_flush_t {
  fatal_flush_t flush = nullptr;
  void *ctx = nullptr;
  bool holds_output = false;
};

thread_local thread_flush_t this_thread;

// Set before the threads that use it start and cleared after they end.
pthread_mutex_t *output_lock = nullptr;

} // namespace

void set_fatal_flush(fatal_flush_t flush, void *ctx) {
  this_thread.flush = flush;
  this_thread.ctx = flush ? ctx : nullptr;
}

void set_fatal_output_lock(pthread_mutex_t *lock) { output_lock = lock; }

void lock_output() {
  pthread_mutex_lock(output_lock);
  this_thread.holds_output = true;
}

void unlock_output() {
  this_thread.holds_output = false;
  pthread_mutex_unlock(output_lock);
}

const char *exception_reason() noexcept {
  try {
    throw;
  } catch (const std::bad_alloc &) {
    return "not enough memory";
  } catch (const std::length_error &) {
    return "not enough memory";
  } catch (const std::exception &e) {
    return e.what();
  } catch (...) {
    return "unknown error";
  }
}

void fatal_exit(const char *message, int status) {
  // The lock is never given back: a thread that fails after this one waits
  // for it until the process ends, without a word.
  if (output_lock && !this_thread.holds_output)
    lock_output();
  if (this_thread.flush)
    this_thread.flush(this_thread.ctx);
  write_all(STDERR_FILENO, message, std::strlen(message));
  // No destructor runs: the run's unfinished outputs go here.
  remove_staged_temps();
  _exit(status);
}
