#include "common/fatal.h"

#include <iostream>
#include <new>
#include <stdexcept>
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
  if (this_thread.flush)
    this_thread.flush(this_thread.ctx);
  std::cerr << message << std::flush;
  // No destructor runs: the run's unfinished outputs go here.
  remove_staged_temps();
  _exit(status);
}
