#include "aligner/setup/params.h"

#include <cstdlib>

#include "aligner/run/out_buffer.h"
#include "aligner/setup/2_pen_tester.h"
#include "aligner/setup/index_types.h"
#include "aligner/setup/mini_hash.h"
#include "aligner/setup/ref_table.h"
#include "common/bit_dna.h"
#include "common/fast.h"
#include "common/staged_output.h"

namespace {

void release_lock(pthread_mutex_t *&m) {
  if (!m)
    return;
  pthread_mutex_destroy(m);
  delete m;
  m = nullptr;
}

} // namespace

void release_params(tolve_params_t *p) {
  delete p->pen;
  for (int i = 0; i < 2; i++) {
    delete p->hybrid_out[i];
    delete p->reads_file[i];
    p->hybrid_out[i] = nullptr;
    p->reads_file[i] = nullptr;
  }
  // Discards side files the run did not commit, once they are closed.
  delete p->hybrid_staged;
  p->hybrid_staged = nullptr;
  delete p->genome_str;
  delete p->genome_start;
  delete p->start_genome;
  delete p->chrdict;
  delete p->refs;
  delete p->mini_hash;
  delete[] p->mm_table;
  delete p->std_out;
  p->pen = nullptr;
  p->genome_str = nullptr;
  p->genome_start = nullptr;
  p->start_genome = nullptr;
  p->chrdict = nullptr;
  p->refs = nullptr;
  p->mini_hash = nullptr;
  p->mm_table = nullptr;
  p->std_out = nullptr;
  release_lock(p->read_lock);
  release_lock(p->write_lock);
  release_lock(p->tolve_lock);
}
