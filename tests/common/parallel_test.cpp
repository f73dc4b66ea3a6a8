#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
#include <pthread.h>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "common/parallel.h"

namespace {

// While alive, every new thread asks for a stack larger than any address
// space, so the system refuses to start it, as it does when out of memory
// or threads.
struct threads_refused {
  pthread_attr_t before;
  bool active = false;
  threads_refused() {
    if (pthread_getattr_default_np(&before) != 0)
      return;
    pthread_attr_t huge;
    pthread_attr_init(&huge);
    active = pthread_attr_setstacksize(&huge, SIZE_MAX / 2) == 0 &&
             pthread_setattr_default_np(&huge) == 0;
    pthread_attr_destroy(&huge);
  }
  ~threads_refused() {
    pthread_setattr_default_np(&before);
    pthread_attr_destroy(&before);
  }
};

// How often each job ran, and on which threads.
struct job_log {
  std::mutex lock;
  std::vector<int> runs;
  std::set<std::thread::id> threads;
  explicit job_log(size_t jobs) : runs(jobs, 0) {}
  void note(size_t j) {
    std::lock_guard<std::mutex> hold(lock);
    ++runs[j];
    threads.insert(std::this_thread::get_id());
  }
};

bool each_once(const job_log &log) {
  for (int n : log.runs)
    if (n != 1)
      return false;
  return true;
}

} // namespace

TEST(RunJobs, EveryJobRunsOnce) {
  const int thread_counts[] = {1, 2, 8};
  const size_t job_counts[] = {0, 1, 3, 100};
  for (int threads : thread_counts)
    for (size_t jobs : job_counts) {
      job_log log(jobs);
      run_jobs(threads, jobs, [&](size_t j) { log.note(j); });
      EXPECT_TRUE(each_once(log)) << threads << " threads, " << jobs << " jobs";
      EXPECT_LE(log.threads.size(), size_t(threads));
    }
}

// A thread that cannot start leaves the work to the calling thread.
TEST(RunJobs, NoThreadStarts) {
  threads_refused refused;
  if (!refused.active)
    GTEST_SKIP() << "the default thread attributes cannot be changed";
  std::vector<std::thread> probe;
  ASSERT_FALSE(start_thread(probe, [] {}));
  EXPECT_TRUE(probe.empty());

  job_log log(50);
  run_jobs(8, 50, [&](size_t j) { log.note(j); });
  EXPECT_TRUE(each_once(log));
  EXPECT_EQ(log.threads, std::set<std::thread::id>{std::this_thread::get_id()});
}

// A job's failure, on whichever thread, reaches the caller once every
// thread has been joined.
TEST(RunJobs, JobFailureRaised) {
  try {
    run_jobs(4, 1000, [](size_t j) {
      if (j == 10)
        throw std::runtime_error("job 10");
    });
    ADD_FAILURE() << "nothing raised";
  } catch (const std::runtime_error &e) {
    EXPECT_STREQ(e.what(), "job 10");
  }
}
