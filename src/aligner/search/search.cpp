#include "aligner/search/search.h"

#include "aligner/search/2_seeding.h"
#include "aligner/search/3_extension.h"
#include "aligner/search/4_gapped.h"
#include "aligner/setup/2_pen_tester.h"
#include "aligner/setup/params.h"
#include "common/bit_dna.h"

namespace {

void clear_mate(mate_search_t &s) {
  for (int st = 0; st < 2; ++st) {
    s.taken[st].clear();
    s.too_frequent[st].clear();
    s.kmers[st].clear();
    s.seen[st].clear();
    s.cands[st].clear();
  }
}

// A read the search cannot use: shorter than a k-mer span or than the
// minimum length, or with more undetermined letters than the ungapped bound
// (widened by the pairing prior for mates) can pay for. The letters only
// add up from window to window, so the count over the whole read decides
// as the window-by-window count would.
bool unsearchable(const tolve_params_t *p, int r, const mate_input_t &in,
                  const pen_tester &pen) {
  if (!in.packed[0] || !in.packed[1])
    return true;
  if (in.read_len < p->kmer_size || in.read_len < p->read_min_length)
    return true;
  if (!in.seq0)
    return false;
  const int64_t bound = int64_t(pen.get_pen_one_more(r)) +
                        (p->paired ? p->PHRED_PAIRING_PRIOR : 0);
  const int64_t cost =
      int64_t(count_undetermined(*in.seq0)) * (pen.mm_pen + pen.m_score);
  return cost > bound;
}

void set_up_walk(const tolve_params_t *p, int r, const mate_input_t &in,
                 pen_tester &pen, mate_search_t &s) {
  start_walks(s, p->PHASE_1_LENGTH);
  const int span = p->kmer_size > 0 ? p->kmer_size : 1;
  s.nk = in.read_len / span;
  if (s.nk < 1)
    s.nk = 1;
  pen.reset_min_diff_found(r);
  s.best_edit = mm_gap_t();
  s.best_edit.num_mm = pen.max_count_mm[r];
  s.cycles_left = seeding::CYCLE_BUDGET;
  set_full_cigar(s.full_cigar, in.read_len);
}

// Cycles: each unfinished strand takes at most one k-mer per cycle, and the
// taken k-mers are extended before the next cycle so that the bound and the
// stop test tighten as soon as something good is found.
void seed_cycles(const tolve_params_t *p, int r, const mate_input_t &in,
                 pen_tester &pen, align_store_t &store, MT_random &gen,
                 mate_search_t &s, bool &found) {
  while (!(s.walk[0].finished && s.walk[1].finished) && s.cycles_left > 0 &&
         need_more_coverage(p, s)) {
    for (int st = 0; st < 2; ++st)
      if (!s.walk[st].finished)
        visit_strand(p, gen, s, st);
    for (int st = 0; st < 2; ++st) {
      kmer_walk_t &w = s.walk[st];
      if (!w.took || w.finished)
        continue;
      const kmer_idx_t4 &k = s.kmers[st][w.cursor];
      s.taken[st].push_back(k.start_loc);
      ungapped_extend(p, r, st, *in.packed[st], k, pen, store, s, found);
      skip_covered(w, s.kmers[st], k.start_loc, p->kmer_size, w.coverage, s.nk);
    }
    if (found)
      --s.cycles_left;
  }
}

} // namespace

void search_mate(const tolve_params_t *p, int r, const mate_input_t &in,
                 pen_tester &pen, align_store_t &store, MT_random &gen,
                 mate_search_t &s, bool &found, bool &too_short) {
  clear_mate(s);
  if (too_short)
    return;
  if (unsearchable(p, r, in, pen)) {
    too_short = true;
    return;
  }
  for (int st = 0; st < 2; ++st)
    gen_kmers(p, *in.packed[st], s.kmers[st]);
  prefetch_lookups(p, s);
  set_up_walk(p, r, in, pen, s);
  seed_cycles(p, r, in, pen, store, gen, s, found);
  single_indel_step(p, r, in, pen, store, s, found);
  gapped_phase(p, r, in, pen, store, gen, s, found, too_short);
}
