#include "aligner/search/3_extension.h"

#include <algorithm>

#include "aligner/setup/2_pen_tester.h"
#include "aligner/setup/chrom_span.h"
#include "aligner/setup/index_types.h"
#include "aligner/setup/params.h"
#include "aligner/setup/ref_table.h"
#include "common/bit_dna.h"
#include "kernels/single_indel.h"

namespace {

bool cand_less(const cand_loc_t &x, const cand_loc_t &y) {
  return x.loc < y.loc || (x.loc == y.loc && x.o < y.o);
}

// c[i] and c[i + 1] lie within g of each other and no other candidate lies
// within g of either.
bool isolated_pair(const std::vector<cand_loc_t> &c, size_t i, int64_t g) {
  if (int64_t(c[i + 1].loc) - int64_t(c[i].loc) > g)
    return false;
  if (i > 0 && int64_t(c[i].loc) - int64_t(c[i - 1].loc) <= g)
    return false;
  if (i + 2 < c.size() && int64_t(c[i + 2].loc) - int64_t(c[i + 1].loc) <= g)
    return false;
  return true;
}

// One pair: the piece of the read proposed by the smaller offset lies on
// the left. Its right placement ends at R + len - 1; so does the alignment.
void try_pair(const tolve_params_t *p, int r, int st, const bit_DNA_t &read,
              const cand_loc_t &a, const cand_loc_t &b, pen_tester &pen,
              align_store_t &store, mate_search_t &s, bool &found) {
  const uint32_t L = a.o <= b.o ? a.loc : b.loc;
  const uint32_t R = a.o <= b.o ? b.loc : a.loc;
  const int64_t len = int64_t(read.size());
  const int64_t ref_end = int64_t(R) + len - 1;
  // Both placements must lie in the genome for the kernel, and the
  // alignment itself (L .. ref_end) inside one sequence.
  const int64_t far_end = int64_t(std::max(L, R)) + len - 1;
  if (far_end > int64_t(p->genome_str->size()) ||
      !span_in_one_chrom(p, L, ref_end - int64_t(L) + 1))
    return;
  mm_gap_t edits;
  const int P = ordered_align(read, *p->genome_str, L, uint32_t(ref_end),
                              int(int64_t(R) - L), s.cigar, edits,
                              pen.min_diff_found[r], pen.m_score, pen.mm_pen,
                              pen.gap_pen + pen.ext_pen, pen.ext_pen);
  if (P < 0)
    return;
  pen.update_min_diff(r, P);
  if (P <= pen.get_pen_one_more_gap(r)) {
    store.insert(P, st == 0, L, s.cigar, edits, 'N');
    found = true;
  }
}

} // namespace

void set_full_cigar(std::string &cigar, int read_len) {
  char buf[16];
  int n = 0;
  unsigned v = read_len > 0 ? unsigned(read_len) : 0;
  do {
    buf[n++] = char('0' + v % 10);
    v /= 10;
  } while (v);
  cigar.clear();
  while (n)
    cigar += buf[--n];
  cigar += 'M';
}

void ungapped_extend(const tolve_params_t *p, int r, int st,
                     const bit_DNA_t &read, const kmer_idx_t4 &k,
                     pen_tester &pen, align_store_t &store, mate_search_t &s,
                     bool &found) {
  const twoint3_search *entry = p->chrdict->data() + k.chrdict_start_loc;
  const twoint3_search *end = entry + k.idx_length;
  const bit_DNA_t &genome = *p->genome_str;
  const int64_t len = int64_t(read.size());
  const int mm_cost = pen.mm_pen + pen.m_score;
  const int o = k.start_loc;
  for (; entry != end; ++entry) {
    const int64_t loc = int64_t(entry->b) + 1 - o;
    if (loc <= 0 || !s.seen[st].insert(uint32_t(loc)))
      continue;
    s.cands[st].push_back(cand_loc_t{uint32_t(loc), o});
    if (!span_in_one_chrom(p, loc, len))
      continue;
    const int bound = pen.get_pen_one_more(r);
    if (bound < 0)
      continue;
    const int P = genome.compare_mm(read, uint64_t(loc), uint32_t(bound),
                                    uint32_t(mm_cost));
    if (P < 0 || P > bound)
      continue;
    mm_gap_t edits;
    edits.num_mm = mm_cost > 0 ? P / mm_cost : 0;
    if (pen.update_min_diff(r, P))
      s.best_edit = edits;
    if (P <= pen.get_pen_one_more(r)) {
      store.insert(P, st == 0, uint32_t(loc), s.full_cigar, edits, 'N');
      if (edits.num_mm <= pen.max_count_mm[r])
        found = true;
    }
  }
}

void single_indel_step(const tolve_params_t *p, int r, const mate_input_t &in,
                       pen_tester &pen, align_store_t &store, mate_search_t &s,
                       bool &found) {
  if (!found || pen.min_diff_found[r] < pen.gap_pen)
    return;
  for (int st = 0; st < 2; ++st) {
    std::vector<cand_loc_t> &c = s.cands[st];
    std::sort(c.begin(), c.end(), cand_less);
    const int64_t g = pen.get_max_gap_size(pen.min_diff_found[r]);
    for (size_t i = 0; i + 1 < c.size(); ++i) {
      if (isolated_pair(c, i, g))
        try_pair(p, r, st, *in.packed[st], c[i], c[i + 1], pen, store, s,
                 found);
    }
  }
}
