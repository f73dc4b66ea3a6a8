#pragma once
#include <cstddef>
#include <functional>

// Cores this process may run on (its CPU affinity mask), at least 1.
int available_cores();

// Runs job(j) for every j in [0, jobs) on up to `threads` threads, the
// calling thread included; each thread takes the next job as it becomes
// free, so jobs of uneven size still keep every thread busy. A thread that
// cannot be started leaves its share to the others. An exception from a job
// ends the run and is raised again here.
void run_jobs(int threads, size_t jobs, const std::function<void(size_t)> &job);
