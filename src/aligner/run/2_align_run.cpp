#include "aligner/run/2_align_run.h"

#include <csignal>
#include <iostream>
#include <pthread.h>
#include <vector>

#include "aligner/run/3_worker.h"
#include "aligner/run/out_buffer.h"
#include "aligner/setup/params.h"
#include "common/fast.h"
#include "common/fatal.h"
#include "common/staged_output.h"
#include "common/timer.h"

namespace {

// Reads taken per hold of read_lock. Several per hold keeps the shared
// reader and the output lock out of the way of the workers; with one
// thread the output is the same as reading one at a time.
const int READS_PER_BATCH = 256;

pthread_mutex_t *new_mutex() {
  pthread_mutex_t *m = new pthread_mutex_t();
  pthread_mutex_init(m, nullptr);
  return m;
}

// Starts the workers; returns how many run. A thread that cannot be
// created is reported and never joined; the run goes on with the others.
int start_workers(run_shared_t &rs, std::vector<pthread_t> &threads) {
  int started = 0;
  for (int i = 0; i < rs.p->NUM_THREADS; ++i) {
    if (pthread_create(&threads[size_t(started)], nullptr, align_thread, &rs) !=
        0) {
      std::cerr << "Warning: could not start worker thread " << i + 1
                << std::endl;
      continue;
    }
    ++started;
  }
  return started;
}

// Last flush of everything the workers wrote. Returns the error line for
// an output that failed, or nullptr.
const char *finish_outputs(run_shared_t &rs) {
  tolve_params_t *p = rs.p;
  const char *error = nullptr;
  if (!out_buffer_flush(*p->std_out))
    error = "ERROR: Could not write to standard output";
  if (p->hybrid_mode)
    for (int i = 0; i < p->num_fragment; ++i) {
      staged_stream_t *f = p->hybrid_out[i];
      if (f && !close_staged(*f) && !error)
        error = "ERROR: Could not write hybrid file";
    }
  if (rs.output_failed && !error)
    error = "ERROR: Could not write the alignment output";
  return error;
}

} // namespace

int align_run(tolve_params_t *p) {
  run_shared_t rs;
  rs.p = p;
  rs.batch_size =
      p->BUFFER_SIZE > READS_PER_BATCH ? p->BUFFER_SIZE : READS_PER_BATCH;
  // A reader that went away must show up as a failed write, not end the
  // process silently.
  signal(SIGPIPE, SIG_IGN);

  std::vector<pthread_t> threads(size_t(p->NUM_THREADS));
  p->read_lock = new_mutex();
  p->write_lock = new_mutex();
  p->tolve_lock = new_mutex();
  set_fatal_output_lock(p->write_lock);
  std::cerr << "Number of threads: " << p->NUM_THREADS << "\n";
  p->num_SW = 0;
  ro_timer align_timer;
  int started = start_workers(rs, threads);
  // A run one thread can finish is not given up for want of more: with no
  // worker started, this thread does the work of one.
  if (started == 0)
    align_thread(&rs);
  for (int i = 0; i < started; ++i)
    pthread_join(threads[size_t(i)], nullptr);
  set_fatal_output_lock(nullptr);

  const char *write_error = finish_outputs(rs);
  p->reads_file[0]->close();
  if (p->paired)
    p->reads_file[1]->close();
  bool damaged = report_damage(*p->reads_file[0]);
  if (p->paired && report_damage(*p->reads_file[1]))
    damaged = true;
  if (rs.input_error)
    return 1; // the reason was written when it was found
  if (write_error) {
    std::cerr << write_error << std::endl;
    return 1;
  }
  if (damaged)
    return 1; // every read before the damage has been written
  std::cerr << "Total alignment time: " << align_timer.elapsed_time()
            << std::endl;
  std::cerr << "Number of NW and SW   " << p->num_SW << std::endl;
  return 0;
}
