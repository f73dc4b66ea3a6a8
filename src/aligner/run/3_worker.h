#pragma once
#include <atomic>
#include <cstdint>

struct tolve_params_t;

// What the workers of one run share besides the parameter record.
struct run_shared_t {
  tolve_params_t *p = nullptr;
  // Reads (or pairs) a worker takes per hold of read_lock.
  int batch_size = 1;
  // Set once no further batch may be taken (inconsistent input or a failed
  // write); workers finish the batch in hand and end.
  std::atomic<bool> stop{false};
  bool input_error = false; // guarded by read_lock
  // Pairs taken so far, so that a pair's number is its place in the files
  // whichever worker takes it. Guarded by read_lock.
  int64_t pairs_taken = 0;
  bool output_failed = false; // guarded by write_lock
};

// Body of one worker thread; arg is the run's run_shared_t. Takes batches
// of reads (or pairs) from the shared readers until they are exhausted or
// the run is stopped, aligns them and writes each batch's text in one
// piece. Returns nullptr.
void *align_thread(void *arg);
