#include "aligner/search/6_mapq.h"

#include <cmath>

#include "aligner/setup/params.h"
#include "common/mt_random.h"
#include "kernels/align_store.h"
#include "kernels/coverage.h"

int pick_best(int h0, MT_random &gen) {
  if (h0 <= 1)
    return 0;
  return int(gen.genrand_int_range(1, uint64_t(h0))) - 1;
}

double calc_mult(int edits, int xl, int xr, int xd, int read_len,
                 int kmer_size) {
  if (xl >= (edits + 1) * kmer_size)
    return 1.0;
  double mult = std::exp(double(edits / (xd + 1)));
  if (xr > 0) {
    if (read_len - xr <= 0)
      return 0.0;
    mult *= double(read_len) / double(read_len - xr);
  }
  return mult;
}

int calc_mapq(int edits, int gap_ext, int h1, int xl, int xr, int xd,
              int read_len, int kmer_size, int max_count_mm, int max_ext) {
  if (h1 > 0) {
    double mult = calc_mult(edits, xl, xr, xd, read_len, kmer_size);
    double x = double(h1) * mult;
    if (!(x > 0.0)) // the log would be undefined: no confidence at all
      return 0;
    double c = xd > 1 ? mapq_const::BASE_CLEAR : mapq_const::BASE_CLOSE;
    double q =
        std::floor(std::max(0.0, -mapq_const::LOG_SCALE * std::log(x) + c));
    return int(q);
  }
  if (gap_ext > max_ext / 2)
    return edits >= max_count_mm ? mapq_const::LONG_GAP_AT_LIMIT
                                 : mapq_const::LONG_GAP;
  if (edits >= max_count_mm)
    return mapq_const::AT_LIMIT;
  return xl > mapq_const::WELL_COVERED_XL && xr <= mapq_const::WELL_COVERED_XR
             ? mapq_const::WELL_COVERED
             : mapq_const::COVERED;
}

se_quality_t single_quality(const align_loc_t &best, const align_loc_t *second,
                            int h0, int h1, std::vector<int> &taken,
                            std::vector<int> &too_frequent, int read_len,
                            int max_count_mm, int max_ext,
                            const tolve_params_t *p) {
  se_quality_t q;
  if (h0 != 1)
    return q;
  calc_total_mega(taken, too_frequent, q.xl, q.xr, p);
  if (second) {
    q.xd = second->mm_gap.num_mm - best.mm_gap.num_mm;
    if (q.xd < 0)
      q.xd = 0;
  }
  int edits = best.mm_gap.num_mm + best.mm_gap.num_gap_open;
  q.mapq = calc_mapq(edits, best.mm_gap.num_gap_ext, h1, q.xl, q.xr, q.xd,
                     read_len, p->kmer_size, max_count_mm, max_ext);
  return q;
}
