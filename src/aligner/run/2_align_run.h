#pragma once
#include <atomic>

struct tolve_params_t;

// What the workers of one run share besides the parameter record.
struct run_shared_t {
  tolve_params_t *p = nullptr;
  // Reads (or pairs) a worker takes per hold of read_lock.
  int batch_size = 1;
  // Set once no further batch may be taken (inconsistent input or a failed
  // write); workers finish the batch in hand and end.
  std::atomic<bool> stop{false};
  bool input_error = false;   // guarded by read_lock
  bool output_failed = false; // guarded by write_lock
};

// Runs the workers over the opened read files and ends the run: thread
// start and join, timing and kernel-run summary, the last output flush and
// the closing of the read and hybrid files. Returns the exit status; the
// caller writes the closing line on 0.
int align_run(tolve_params_t *p);
