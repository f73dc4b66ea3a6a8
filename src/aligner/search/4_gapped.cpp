#include "aligner/search/4_gapped.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "aligner/search/2_seeding.h"
#include "aligner/setup/2_pen_tester.h"
#include "aligner/setup/index_types.h"
#include "aligner/setup/params.h"
#include "aligner/setup/ref_table.h"
#include "common/bit_dna.h"
#include "common/mt_random.h"
#include "kernels/window_codes.h"

namespace {

// 1-based first and last base of one reference sequence.
struct seq_range_t {
  int64_t lo = 0;
  int64_t hi = 0;
};

// Last genome base a kernel may read.
int64_t genome_last(const tolve_params_t *p) {
  const int64_t size = int64_t(p->genome_str->size());
  return p->genome_length > 0 ? std::min(size, p->genome_length) : size;
}

// The bases of the sequence that holds genome base pos, cut to what a
// kernel may read (the whole genome for a record without a sequence
// table); false when no sequence holds pos.
bool sequence_of(const tolve_params_t *p, int64_t pos, seq_range_t &out) {
  out.lo = 1;
  out.hi = genome_last(p);
  if (p->refs) {
    const ref_seq_t *s = pos < 1 ? nullptr : find_ref(*p->refs, uint64_t(pos));
    if (!s)
      return false;
    out.lo = int64_t(s->start);
    out.hi = std::min(out.hi, int64_t(s->end));
  }
  return pos >= out.lo && pos <= out.hi;
}

// Loads the window of v.dblen genome bases from `first` into the vector
// aligner's buffer; bases outside the sequence `seq` (and so outside the
// genome) are blocked, so no screened alignment crosses a sequence end.
void load_window(vector_sw &v, const bit_DNA_t &genome, int64_t first,
                 const seq_range_t &seq) {
  const int n = v.dblen;
  std::memset(v.db, VSW_BLOCKED, size_t(n) + 2 * VSW_PAD);
  const int64_t a = std::max(first, seq.lo);
  const int64_t b = std::min(first + n - 1, seq.hi);
  if (a <= b)
    unpack_window(genome, uint64_t(a), int(b - a + 1),
                  v.db + VSW_PAD + (a - first), VSW_BLOCKED);
}

void set_up_phase(const tolve_params_t *p, int r, const mate_input_t &in,
                  pen_tester &pen, mate_search_t &s,
                  const gapped_windows_t &win) {
  s.seen[0].clear();
  s.seen[1].clear();
  pen.reset_min_diff_found_gap(r);
  s.queue.clear();
  s.seen_before_genome[0].clear();
  s.seen_before_genome[1].clear();
  s.nw.setup_penalties(pen.m_score, pen.mm_pen, pen.gap_pen + pen.ext_pen,
                       pen.ext_pen, p->M_SW, p->S_SW, p->D_SW, p->E_SW);
  // Band 0: every placement of the read inside the window is computed
  // (align_priority widens it for a window cut short at the genome start).
  if (!s.nw.setup_read_reference(*in.packed[0], *in.packed[1], win.nw_len, 0))
    read_length_mismatch();
  s.vsw.setup_penalty(pen.gap_pen, pen.ext_pen, pen.gap_pen, pen.ext_pen,
                      pen.m_score, pen.mm_pen);
  if (!s.vsw.sw_vector_setup(win.db_len, *in.packed[0], *in.packed[1]))
    read_length_mismatch();
  start_walks(s, p->PHASE_1_LENGTH_SW);
  s.cycles_left = gapped::CYCLE_BUDGET;
}

void run_queue(const tolve_params_t *p, int r, pen_tester &pen,
               align_store_t &store, mate_search_t &s, bool &found) {
  align_priority(r, s.queue, s.nw, store, found, s.best_edit, pen,
                 *p->genome_str, s.seen, p, s.scratch);
}

// Whether candidate start loc of strand st is new to this phase; it is
// recorded. Insertions near the genome's first base give a read that starts
// there a start at or below 0: the read still overlaps the genome and is
// screened from base 1. Such starts are kept apart from genome positions.
bool first_visit(mate_search_t &s, int st, int64_t loc) {
  if (loc >= 1)
    return s.seen[st].insert(uint32_t(loc));
  std::vector<int64_t> &before = s.seen_before_genome[st];
  if (std::find(before.begin(), before.end(), loc) != before.end())
    return false;
  before.push_back(loc);
  return true;
}

// Passed over for good in this phase: never looked up while seeding, used
// here already, or absent from the table.
bool skipped(const kmer_idx_t4 &k) {
  return k.idx_length == kmer_len::NOT_LOOKED_UP ||
         k.searched == kmer_state::GAPPED || k.searched == kmer_state::ABSENT;
}

// One visit of strand st: walks its cursor until it takes a k-mer (took
// stays set, cursor on it) or the strand is finished. The queue is aligned
// at the end of every pass, so that a later pass runs only when something
// was found.
void visit_strand_gapped(const tolve_params_t *p, int r, pen_tester &pen,
                         align_store_t &store, MT_random &gen, mate_search_t &s,
                         int st, bool &found) {
  kmer_walk_t &w = s.walk[st];
  std::vector<kmer_idx_t4> &ks = s.kmers[st];
  w.took = true;
  for (;;) {
    if (w.cursor >= ks.size()) {
      run_queue(p, r, pen, store, s, found);
      if (w.pass_clean || !found) {
        w.finished = true;
        return;
      }
      begin_new_pass(w, p->PHASE_1_LENGTH_SW);
      continue;
    }
    kmer_idx_t4 &k = ks[w.cursor];
    if (skipped(k)) {
      ++w.cursor;
      continue;
    }
    const int32_t n = k.idx_length;
    // No usable position: deferring it would bring it back in every pass.
    if (n <= 0) {
      k.searched = kmer_state::GAPPED;
      ++w.cursor;
      continue;
    }
    if (n > p->PHASE_2_LENGTH_SW ||
        (n > p->PHASE_1_LENGTH_SW &&
         double(n) / p->PHASE_2_LENGTH_SW >= gen.genrand64_real2())) {
      give_up_kmer(s, st, k, kmer_state::GAPPED);
      continue;
    }
    if (take_or_defer(w, k, n, gen, kmer_state::GAPPED))
      return;
  }
}

void gapped_cycles(const tolve_params_t *p, int r, pen_tester &pen,
                   align_store_t &store, MT_random &gen, mate_search_t &s,
                   const gapped_windows_t &win, bool &found) {
  while (!(s.walk[0].finished && s.walk[1].finished) && s.cycles_left > 0 &&
         need_more_coverage(p, s)) {
    for (int st = 0; st < 2; ++st)
      if (!s.walk[st].finished)
        visit_strand_gapped(p, r, pen, store, gen, s, st, found);
    for (int st = 0; st < 2; ++st) {
      kmer_walk_t &w = s.walk[st];
      if (!w.took || w.finished)
        continue;
      const kmer_idx_t4 &k = s.kmers[st][w.cursor];
      gapped_align(p, r, st, k, win, pen, s);
      skip_covered(w, s.kmers[st], k.start_loc, p->kmer_size, w.coverage, s.nk);
    }
    if (found)
      --s.cycles_left;
  }
  run_queue(p, r, pen, store, s, found);
}

} // namespace

gapped_windows_t gapped_window_sizes(const pen_tester &pen, int r,
                                     int read_len) {
  gapped_windows_t w;
  w.extra = pen.get_extra_dist(r);
  w.db_len = read_len + 2 * w.extra;
  w.nw_len = w.db_len + 2 * WINDOW_PAD;
  return w;
}

bool needs_gapped_phase(const tolve_params_t *p, const mate_search_t &s,
                        bool found, bool too_short) {
  return !p->ungapped && !too_short && !found &&
         (!s.taken[0].empty() || !s.taken[1].empty());
}

void gapped_align(const tolve_params_t *p, int r, int st, const kmer_idx_t4 &k,
                  const gapped_windows_t &win, pen_tester &pen,
                  mate_search_t &s) {
  s.taken[st].push_back(k.start_loc);
  const twoint3_search *entry = p->chrdict->data() + k.chrdict_start_loc;
  const twoint3_search *end = entry + k.idx_length;
  const int8_t *query = (st == 0 ? s.vsw.qr : s.vsw.qr_comp) + VSW_PAD;
  const int mm_cost = pen.m_score + pen.mm_pen;
  const int o = k.start_loc;
  for (; entry != end; ++entry) {
    const int64_t loc = int64_t(entry->b) + 1 - o;
    if (!first_visit(s, st, loc))
      continue;
    // The window keeps to the sequence that holds the k-mer's hit.
    seq_range_t seq;
    if (!sequence_of(p, entry->b, seq))
      continue;
    // The extra reach before the start, as far as the genome has bases.
    const int64_t first = std::max(loc - win.extra, int64_t(1));
    load_window(s.vsw, *p->genome_str, first, seq);
    const int score = s.vsw.vect_nw_diff_gap(
        s.vsw.db, s.vsw.dblen, query, s.vsw.qrlen, pen.get_pen_one_more_gap(r));
    ++s.num_sw;
    if (score < 0 || score > pen.get_pen_one_more_gap(r))
      continue;
    const int64_t extra = std::max(loc - first, int64_t(0));
    s.queue.push(score_loc_t{score, loc, uint32_t(extra), st});
    const int m = mm_cost > 0 ? score / mm_cost : 0;
    if (m < s.best_edit.num_mm) {
      s.best_edit = mm_gap_t();
      s.best_edit.num_mm = m;
    }
  }
}

void gapped_phase(const tolve_params_t *p, int r, const mate_input_t &in,
                  pen_tester &pen, align_store_t &store, MT_random &gen,
                  mate_search_t &s, bool &found, bool too_short) {
  if (!needs_gapped_phase(p, s, found, too_short))
    return;
  const int read_len = int(in.packed[0]->size());
  const gapped_windows_t win = gapped_window_sizes(pen, r, read_len);
  // A read too long for the aligner's matrix keeps what the ungapped
  // search found.
  if (!matrix_fits(read_len, win.nw_len))
    return;
  set_up_phase(p, r, in, pen, s, win);
  gapped_cycles(p, r, pen, store, gen, s, win, found);
}
