#include "common/parallel.h"

#include <atomic>
#include <exception>
#include <mutex>
#include <sched.h>
#include <thread>
#include <vector>

int available_cores() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
    return CPU_COUNT(&set);
  const unsigned n = std::thread::hardware_concurrency();
  return n > 0 ? int(n) : 1;
}

void run_jobs(int threads, size_t jobs,
              const std::function<void(size_t)> &job) {
  std::atomic<size_t> next{0};
  std::mutex error_lock;
  std::exception_ptr error;
  // The first failure (such as memory running out) stops the remaining jobs
  // and is raised again in the calling thread.
  auto work = [&]() {
    try {
      for (size_t j = next++; j < jobs; j = next++)
        job(j);
    } catch (...) {
      next = jobs;
      std::lock_guard<std::mutex> hold(error_lock);
      if (!error)
        error = std::current_exception();
    }
  };
  std::vector<std::thread> helpers;
  const size_t wanted = jobs < size_t(threads) ? jobs : size_t(threads);
  for (size_t i = 1; i < wanted; ++i)
    if (!start_thread(helpers, work))
      break;
  work();
  for (std::thread &t : helpers)
    t.join();
  if (error)
    std::rethrow_exception(error);
}
