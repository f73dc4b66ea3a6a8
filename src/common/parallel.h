#pragma once
#include <cstddef>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

// Cores this process may run on (its CPU affinity mask), at least 1.
int available_cores();

// Runs job(j) for every j in [0, jobs) on up to `threads` threads, the
// calling thread included; each thread takes the next job as it becomes
// free, so jobs of uneven size still keep every thread busy. A thread that
// cannot be started leaves its share to the others. An exception from a job
// ends the run and is raised again here.
void run_jobs(int threads, size_t jobs, const std::function<void(size_t)> &job);

// Starts a thread running f(args...) and appends it to threads. Returns
// false, with threads as they were, when it cannot be started: the system
// may refuse another thread, and the thread's state or the vector's growth
// may find no memory. Every caller then goes on with the threads it has, so
// a thread that cannot start never ends a run that one thread could finish.
template <class F, class... Args>
bool start_thread(std::vector<std::thread> &threads, F &&f,
                  Args &&...args) noexcept {
  try {
    threads.emplace_back(std::forward<F>(f), std::forward<Args>(args)...);
    return true;
  } catch (...) {
    return false;
  }
}
