#include "aligner/search/5_align_priority.h"

#include "aligner/setup/2_pen_tester.h"
#include "aligner/setup/chrom_span.h"
#include "aligner/setup/params.h"
#include "aligner/setup/ref_table.h"
#include "common/bit_dna.h"
#include "kernels/sw_nw.h"

namespace {

// First window base: the extra reach and the fixed pad before the
// candidate start, but never before the genome's first base.
uint32_t window_start(const score_loc_t &e) {
  const int64_t w = e.loc - int64_t(e.extra_minus) - int64_t(WINDOW_PAD);
  return w >= 1 ? uint32_t(w) : 1u;
}

// Band for one window. A window normally holds as many bases before the
// candidate start as the read's extra reach allows, which leaves room for
// insertions with the read kept behind the window's diagonal. A window cut
// short at the genome's start lacks some of them: the read may run ahead of
// the diagonal by that many instead, so that an insertion there still fits.
// A start before the genome also lacks the bases from it up to base 1.
int window_band(const sw_nw &a, const score_loc_t &e, uint32_t w) {
  const int64_t lead = (int64_t(a.ref_len) - a.read_len) / 2;
  const int64_t missing = lead - (e.loc - int64_t(w));
  return missing > 0 ? int(missing) : 0;
}

int edit_count(const mm_gap_t &m) { return m.num_mm + m.num_gap_open; }

// An alignment's reference bases may not run from one sequence into the
// next; a window overlapping a sequence end can still produce one.
bool placeable(const tolve_params_t *p, uint32_t pos,
               const std::string &cigar) {
  if (cigar.empty())
    return false;
  return span_in_one_chrom(p, int64_t(pos), int64_t(cigar_ref_span(cigar)));
}

// The store decision for one aligned window. A short aligned end next to a
// gap is a poorly supported gap, so such alignments are not kept.
void offer(int x, int strand, int penalty, uint32_t pos, const mm_gap_t &mg,
           align_store_t &store, bool &found, mm_gap_t &min_edits,
           const pen_tester &pen, const tolve_params_t *p,
           const std::string &cigar) {
  if (mg.len_gap_edge < p->end_gap_dist)
    return;
  store.insert(penalty, strand == 0, pos, cigar, mg, 'N');
  if (mg.num_mm > pen.max_count_mm[x])
    return;
  found = true;
  if (edit_count(mg) < edit_count(min_edits))
    min_edits = mg;
}

} // namespace

void align_priority(int x, score_queue_t &vsl, sw_nw &gapped_aligner,
                    align_store_t &aln_store, bool &found_alignment,
                    mm_gap_t &min_edits, pen_tester &pen,
                    const bit_DNA_t &genome, seen_t *seen_locs,
                    const tolve_params_t *p, priority_scratch_t &scratch) {
  while (!vsl.empty()) {
    const score_loc_t e = vsl.top();
    vsl.pop();
    // Recomputed per window: it shrinks as better alignments are found.
    const int bound = pen.get_pen_one_more_gap(x);
    if (bound < e.score || bound < 0)
      return;
    uint32_t w = window_start(e);
    gapped_aligner.band = window_band(gapped_aligner, e, w);
    const int penalty =
        gapped_aligner.nw_path(scratch.path, genome, w, e.strand, false, false,
                               uint32_t(bound), p->end_gap_dist);
    if (penalty < 0)
      continue;
    mm_gap_t mg;
    path2cigar(scratch.path, w, -1, mg, p, p->cigar14, scratch.cigar);
    if (!placeable(p, w, scratch.cigar))
      continue;
    offer(x, e.strand, penalty, w, mg, aln_store, found_alignment, min_edits,
          pen, p, scratch.cigar);
    pen.update_min_diff(x, penalty);
    seen_locs[e.strand].insert(w);
  }
}
