#include "aligner/run/3_worker.h"

#include <cstdio>
#include <iostream>
#include <pthread.h>
#include <string>
#include <utility>
#include <vector>

#include "aligner/output/sam_single.h"
#include "aligner/pair/pair_pipeline.h"
#include "aligner/pair/pair_state.h"
#include "aligner/run/out_buffer.h"
#include "aligner/search/1_read_prep.h"
#include "aligner/search/6_mapq.h"
#include "aligner/search/search.h"
#include "aligner/setup/2_pen_tester.h"
#include "aligner/setup/params.h"
#include "aligner/setup/ref_table.h"
#include "common/bit_dna.h"
#include "common/fast.h"
#include "common/fatal.h"
#include "common/fault_point.h"
#include "common/mate_names.h"
#include "common/mt_random.h"
#include "common/staged_output.h"
#include "kernels/align_store.h"

namespace {

// Everything one worker owns; built once per thread on the heap (the
// candidate stores alone hold several MiB) and reused for every read.
struct worker_t {
  run_shared_t *rs;
  const tolve_params_t *p;
  MT_random gen;
  pen_tester pen;
  align_store_t store[2];
  mate_search_t search[2];
  bit_DNA_t packed[2][2]; // [mate][strand]
  fast_t rd[2][2];        // [mate][0: as read, 1: reverse complement]
  int read_len[2] = {0, 0};
  std::vector<fast_t> batch[2];
  std::string barcode;
  bool found[2] = {false, false};
  bool too_short[2] = {false, false};
  std::string sam, hybrid[2], xa;
  pair_work_t pair;
  prep_error_t prep_err;
  int64_t local_sw = 0;
  int64_t local_processed = 0;
  bool stop = false;
  // How much of each text holds reads that are finished: what a fatal end
  // hands on, without the part of a read it cut.
  size_t sam_done = 0;
  size_t hybrid_done[2] = {0, 0};

  explicit worker_t(run_shared_t *shared)
      : rs(shared), p(shared->p),
        pen(*shared->p->pen), store{align_store_t(mm_cost(*shared->p->pen)),
                                    align_store_t(mm_cost(*shared->p->pen))},
        packed{{bit_DNA_t(p->mm_table), bit_DNA_t(p->mm_table)},
               {bit_DNA_t(p->mm_table), bit_DNA_t(p->mm_table)}} {
    batch[0].resize(size_t(shared->batch_size));
    if (p->paired)
      batch[1].resize(size_t(shared->batch_size));
    sam.reserve(1 << 16);
    fault_point("worker");
  }

  static int mm_cost(const pen_tester &t) { return t.mm_pen + t.m_score; }

  // Record of mate j used as its search strand s: mate 1 searches the read
  // as read on strand 0, mate 2 its reverse complement.
  fast_t &strand_rec(int j, int s) { return rd[j][s ^ j]; }
};

bool have_text(const worker_t &w) {
  return !w.sam.empty() ||
         (w.p->hybrid_mode && (!w.hybrid[0].empty() || !w.hybrid[1].empty()));
}

// Appends the first len[i] bytes of each hybrid text to its side file; the
// caller holds write_lock. Returns false when a write failed.
bool put_hybrid(const worker_t &w, const size_t len[2]) {
  const tolve_params_t *p = w.p;
  bool ok = true;
  for (int i = 0; i < p->num_fragment; ++i) {
    staged_stream_t *f = p->hybrid_mode ? p->hybrid_out[i] : nullptr;
    if (!f || len[i] == 0)
      continue;
    f->os.write(w.hybrid[i].data(), std::streamsize(len[i]));
    ok = ok && bool(f->os);
  }
  return ok;
}

// Appends the worker's pending text to the shared outputs; the caller holds
// write_lock. Returns false when a write failed. Text handed on is no
// longer the worker's to hand on at a fatal end, which may come between.
bool put_text(worker_t &w) {
  const tolve_params_t *p = w.p;
  bool ok = true;
  if (!w.sam.empty()) {
    // Handed on at once: a batch is already a large block, and holding a
    // big buffer back would stall every worker on its flush.
    out_buffer_write(*p->std_out, w.sam.data(), w.sam.size());
    w.sam_done = 0;
    ok = out_buffer_flush(*p->std_out);
  }
  fault_point("write");
  const size_t hybrid_len[2] = {w.hybrid[0].size(), w.hybrid[1].size()};
  ok = put_hybrid(w, hybrid_len) && ok;
  w.hybrid_done[0] = w.hybrid_done[1] = 0;
  return ok;
}

void clear_text(worker_t &w) {
  w.sam.clear();
  w.hybrid[0].clear();
  w.hybrid[1].clear();
  w.sam_done = 0;
  w.hybrid_done[0] = w.hybrid_done[1] = 0;
}

void mark_finished(worker_t &w) {
  w.sam_done = w.sam.size();
  w.hybrid_done[0] = w.hybrid[0].size();
  w.hybrid_done[1] = w.hybrid[1].size();
}

void write_batch(worker_t &w) {
  if (!have_text(w))
    return;
  lock_output();
  bool ok = put_text(w);
  if (!ok && !w.rs->output_failed) {
    w.rs->output_failed = true;
    w.rs->stop = true;
  }
  unlock_output();
  clear_text(w);
}

void add_counters(worker_t &w) {
  tolve_params_t *p = w.rs->p;
  for (mate_search_t &m : w.search) {
    w.local_sw += m.num_sw;
    m.num_sw = 0;
  }
  pthread_mutex_lock(p->tolve_lock);
  p->num_SW += w.local_sw;
  p->num_processed += w.local_processed;
  pthread_mutex_unlock(p->tolve_lock);
  w.local_sw = 0;
  w.local_processed = 0;
}

// The worker's part of fatal_exit, whoever raised the error: hands on the
// text of the reads it has finished and not handed on yet. fatal_exit
// holds write_lock until the process ends, keeping every other worker's
// text out of the outputs while they are flushed. It allocates nothing:
// memory may have run out, also while the text was being handed on.
void flush_before_fatal(void *ctx) {
  worker_t &w = *static_cast<worker_t *>(ctx);
  const tolve_params_t *p = w.p;
  out_buffer_write_through(*p->std_out, w.sam.data(), w.sam_done);
  put_hybrid(w, w.hybrid_done);
  for (int i = 0; i < p->num_fragment; ++i)
    if (p->hybrid_mode && p->hybrid_out[i])
      p->hybrid_out[i]->os.flush();
}

// A file that ended at damage makes no length fault of its own: the run
// stops and the damage is said when it ends.
void report_unequal_files(run_shared_t &rs, const fast *r0, const fast *r1) {
  rs.stop = true;
  if (!r0->damage.empty() || !r1->damage.empty())
    return;
  if (!rs.input_error)
    std::cerr << "ERROR: files not the same length ... " << std::endl;
  rs.input_error = true;
}

// Fills the worker's batch; returns the number of reads (or pairs) taken.
// Runs under read_lock. Paired files that end at different records stop
// the run: the mate file is checked for leftovers when the first file ends,
// and a missing mate is never passed over silently. So do mates whose names
// differ: the files are out of step, and every later pair would join two
// reads. A record cut short at the end of a file ends it, with the warning
// read_next gives.
int read_batch_locked(worker_t &w) {
  run_shared_t &rs = *w.rs;
  if (rs.stop)
    return 0;
  fast *r0 = w.p->reads_file[0];
  fast *r1 = w.p->paired ? w.p->reads_file[1] : nullptr;
  int count = 0;
  while (count < rs.batch_size && r0->l >= 0) {
    fast_t &rec = w.batch[0][size_t(count)];
    read_next(*r0, rec);
    if (rec.seq.empty()) {
      if (r1 && r1->l >= 0) {
        fast_t &extra = w.batch[1][size_t(count)];
        read_next(*r1, extra);
        if (!extra.seq.empty())
          report_unequal_files(rs, r0, r1);
      }
      continue;
    }
    if (r1) {
      fast_t &mate = w.batch[1][size_t(count)];
      if (r1->l >= 0)
        read_next(*r1, mate);
      if (r1->l < 0 || mate.seq.empty()) {
        report_unequal_files(rs, r0, r1);
        break;
      }
      if (!mates_agree(rec, mate, rs.pairs_taken + 1, *r0, *r1)) {
        rs.stop = true;
        rs.input_error = true;
        break;
      }
      ++rs.pairs_taken;
    }
    ++count;
  }
  return count;
}

int read_batch(worker_t &w) {
  pthread_mutex_lock(w.p->read_lock);
  int count = read_batch_locked(w);
  pthread_mutex_unlock(w.p->read_lock);
  return count;
}

void reset_read(worker_t &w) {
  for (int j = 0; j < 2; ++j) {
    w.found[j] = false;
    w.too_short[j] = false;
    w.store[j].clear();
    for (int s = 0; s < 2; ++s) {
      w.search[j].taken[s].clear();
      w.search[j].too_frequent[s].clear();
    }
  }
  w.barcode.clear();
}

void pack_mate(worker_t &w, int j) {
  for (int s = 0; s < 2; ++s) {
    w.packed[j][s].clear();
    w.packed[j][s].append(w.strand_rec(j, s).seq, w.gen);
  }
}

void search_one(worker_t &w, int j) {
  const tolve_params_t *p = w.p;
  pack_mate(w, j);
  int len = w.read_len[j];
  if (len < p->kmer_size || len < p->read_min_length) {
    w.too_short[j] = true;
    return;
  }
  mate_input_t in;
  in.packed[0] = &w.packed[j][0];
  in.packed[1] = &w.packed[j][1];
  in.seq0 = &w.strand_rec(j, 0).seq;
  in.read_len = len;
  search_mate(p, j, in, w.pen, w.store[j], w.gen, w.search[j], w.found[j],
              w.too_short[j]);
}

// Moves out of both tiers any alignment that would not lie inside one
// reference sequence (or has no CIGAR), so that no record can run past its
// @SQ length; an emptied best tier takes the second one's place.
void drop_unplaceable(const run_shared_t &rs, align_store_t &s) {
  for (align_tier_t *t : {&s.main_store, &s.sec_store}) {
    size_t keep = 0;
    for (size_t i = 0; i < t->count; ++i) {
      const align_loc_t &a = t->recs[i];
      if (!fits_one_ref(*rs.p->refs, a.loc, a.cigar))
        continue;
      if (keep != i)
        std::swap(t->recs[keep], t->recs[i]);
      ++keep;
    }
    t->count = keep;
  }
  if (s.main_store.empty())
    std::swap(s.main_store, s.sec_store);
}

void single_result(worker_t &w) {
  se_read_t r;
  r.strand[0] = &w.rd[0][0];
  r.strand[1] = &w.rd[0][1];
  r.packed[0] = &w.packed[0][0];
  r.packed[1] = &w.packed[0][1];
  r.barcode = &w.barcode;
  se_out_t out{&w.sam, &w.hybrid[0], &w.xa};
  align_store_t &s = w.store[0];
  if (!w.too_short[0] && w.found[0])
    drop_unplaceable(*w.rs, s);
  int h0 = s.get_main_size();
  if (w.too_short[0] || !w.found[0] || h0 == 0) {
    write_single_unmapped(w.p, r, out);
    return;
  }
  int best = pick_best(h0, w.gen);
  const align_loc_t &b = s.main_store[size_t(best)];
  int strand = b.direction ? 0 : 1;
  const align_loc_t *second = s.get_sec_size() > 0 ? &s.sec_store[0] : nullptr;
  se_quality_t q =
      single_quality(b, second, h0, s.get_sec_size(), w.search[0].taken[strand],
                     w.search[0].too_frequent[strand], w.read_len[0],
                     w.pen.max_count_mm[0], w.pen.max_ext, w.p);
  write_single_mapped(w.p, *w.p->refs, r, s, best, q, out);
}

void pair_result(worker_t &w) {
  pair_input_t in;
  in.p = w.p;
  in.refs = w.p->refs;
  in.pen = &w.pen;
  in.gen = &w.gen;
  in.kernel_runs = &w.local_sw;
  for (int j = 0; j < 2; ++j) {
    if (!w.too_short[j])
      drop_unplaceable(*w.rs, w.store[j]);
    pair_mate_t &m = in.mate[j];
    m.store = &w.store[j];
    m.search = &w.search[j];
    for (int s = 0; s < 2; ++s) {
      m.packed[s] = &w.packed[j][s];
      m.orient[s] = &w.strand_rec(j, s);
    }
    m.input = &w.rd[j][0];
    m.len = w.read_len[j];
    m.found = w.found[j];
    m.too_short = w.too_short[j];
  }
  in.name = &w.rd[1][0].name;
  in.barcode = &w.barcode;
  in.sam = &w.sam;
  in.hybrid[0] = &w.hybrid[0];
  in.hybrid[1] = &w.hybrid[1];
  in.scratch = &w.xa;
  align_pair(w.pair, in);
}

void process_read(worker_t &w, int idx) {
  const tolve_params_t *p = w.p;
  int nf = p->num_fragment;
  reset_read(w);
  for (int j = 0; j < nf; ++j) {
    fast_t &in = w.batch[j][size_t(idx)];
    if (in.seq.empty()) {
      // Only a reader message comes without a sequence.
      if (in.qual.size() > 1)
        std::cerr << in.qual << "\n";
      w.stop = true;
      return;
    }
    std::swap(w.rd[j][0], in);
  }
  fast_t *fwd[2] = {&w.rd[0][0], &w.rd[1][0]};
  fast_t *rev[2] = {&w.rd[0][1], &w.rd[1][1]};
  if (!prepare_reads(p, nf, fwd, rev, w.barcode, w.prep_err))
    fatal_exit(w.prep_err.message.c_str(), w.prep_err.status);
  w.read_len[0] = int(w.rd[0][0].seq.size());
  if (p->paired)
    w.read_len[1] = int(w.rd[1][0].seq.size());
  w.pen.set_length(w.read_len[0], w.read_len[1]);
  for (int j = 0; j < nf; ++j)
    search_one(w, j);
  if (p->paired)
    pair_result(w);
  else
    single_result(w);
}

void run_worker(worker_t &w) {
  for (;;) {
    add_counters(w);
    write_batch(w);
    int count = read_batch(w);
    if (count == 0)
      break;
    for (int i = 0; i < count && !w.stop; ++i) {
      process_read(w, i);
      fault_point("read");
      ++w.local_processed;
      mark_finished(w);
    }
    if (w.stop)
      break;
  }
  write_batch(w);
  add_counters(w);
}

} // namespace

// An exception would end the process with an abort and leave the side
// files' temporary names behind: it ends the run as any fatal error does,
// with the line the main thread gives for it. The message is built in
// place, as memory may be short.
void *align_thread(void *arg) {
  run_shared_t *rs = static_cast<run_shared_t *>(arg);
  try {
    worker_t *w = new worker_t(rs);
    set_fatal_flush(flush_before_fatal, w);
    run_worker(*w);
    set_fatal_flush(nullptr, nullptr);
    delete w;
    return nullptr;
  } catch (...) {
    char line[256];
    std::snprintf(line, sizeof line, "ERROR: align: %s\n", exception_reason());
    fatal_exit(line, 1);
  }
}
