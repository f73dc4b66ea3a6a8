#include "aligner/pair/pair_pipeline.h"

#include "aligner/output/pair_output.h"
#include "aligner/output/sam_pair.h"
#include "aligner/pair/1_pair_resolve.h"
#include "aligner/pair/3_pair_mapq.h"
#include "aligner/pair/pair_state.h"
#include "aligner/search/mate_search.h"
#include "aligner/setup/2_pen_tester.h"
#include "aligner/setup/params.h"

namespace {

void pair_quality(const pair_work_t &w, pair_input_t &in, pair_quality_t &q) {
  const pair_result_t &r = w.result;
  const align_loc_pair_t *a[2];
  for (int j = 0; j < 2; ++j) {
    a[j] = &w.list[j].recs[size_t(r.chosen[j])];
    const int o = a[j]->direction ? 0 : 1;
    mate_search_t &s = *in.mate[j].search;
    q.own[j] =
        calc_mapq_pair(*a[j], r.tiers[j], s.taken[o], s.too_frequent[o],
                       in.mate[j].len, in.p->kmer_size, in.pen->max_count_mm[j],
                       in.pen->max_ext, q.xl[j], q.xr[j]);
  }
  const int bonus =
      pair_bonus(r.pair_tiers, a[0]->type == 'S' || a[1]->type == 'S');
  final_pair_mapq(q, r.singles, r.pair_tiers, bonus);
}

} // namespace

void align_pair(pair_work_t &w, pair_input_t &in) {
  resolve_pair(w, in);
  switch (w.result.outcome) {
  case pair_outcome::ONE_MAPPED:
    write_one_mate_mapped(in, w, w.result.mapped_mate);
    return;
  case pair_outcome::BOTH: {
    pair_quality_t q;
    pair_quality(w, in, q);
    write_pair_mapped(in, w, q);
    return;
  }
  default:
    write_pair_unmapped(in.p, *in.name, *in.mate[0].input, *in.mate[1].input,
                        *in.barcode, *in.sam, in.hybrid);
  }
}
