#include "common/fatal.h"

#include <iostream>
#include <unistd.h>

#include "common/staged_output.h"

namespace {

struct thread_flush_t {
  fatal_flush_t flush = nullptr;
  void *ctx = nullptr;
};

thread_local thread_flush_t this_thread;

} // namespace

void set_fatal_flush(fatal_flush_t flush, void *ctx) {
  this_thread.flush = flush;
  this_thread.ctx = flush ? ctx : nullptr;
}

void fatal_exit(const char *message, int status) {
  if (this_thread.flush)
    this_thread.flush(this_thread.ctx);
  std::cerr << message << std::flush;
  // No destructor runs: the run's unfinished outputs go here.
  remove_staged_temps();
  _exit(status);
}
