#include "aligner/pair/3_pair_mapq.h"

#include <algorithm>
#include <cmath>

#include "aligner/search/6_mapq.h"
#include "kernels/coverage.h"

namespace {

const int MAPQ_CAP = 60;
// Bonus of a concordant pair with no second-tier pair ...
const int UNIQUE_PAIR_BONUS = 25;
// ... else TIED_PAIR_BONUS less TIE_STEP per order of magnitude of the ties.
const int TIED_PAIR_BONUS = 20;
const int TIE_STEP = 5;
// A mate without quality of its own gets this share of its partner's.
const int PARTNER_SHARE_NUM = 3;
const int PARTNER_SHARE_DEN = 4;

// trunc(ln x + 0.5): the order of magnitude of a tie count.
int log_rounded(int x) { return int(std::trunc(std::log(double(x)) + 0.5)); }

} // namespace

int calc_mapq_pair(const align_loc_pair_t &a, const tier_counts_t &tiers,
                   std::vector<int> &taken, std::vector<int> &too_frequent,
                   int read_len, int kmer_size, int max_count_mm, int max_ext,
                   int &xl, int &xr) {
  xl = xr = 0;
  if (tiers.best != 1 || a.type == 'S')
    return 0;
  calc_total_mega(taken, too_frequent, xl, xr, kmer_size);
  const int edits = a.mm_gap.num_mm + a.mm_gap.num_gap_open;
  const int others = tiers.second + tiers.rest;
  if (others == 0)
    return calc_mapq(edits, a.mm_gap.num_gap_ext, 0, xl, xr, 0, read_len,
                     kmer_size, max_count_mm, max_ext);
  const int weight = tiers.second > 0 ? 1 : tiers.diff;
  const double mult = calc_mult(edits, xl, xr, weight, read_len, kmer_size);
  const double x = double(tiers.second > 0 ? others : tiers.rest) * mult;
  if (!(x > 0.0)) // the k-mers support nothing: no confidence at all
    return 0;
  const double c =
      tiers.second > 0 ? mapq_const::BASE_CLOSE : mapq_const::BASE_CLEAR;
  return int(
      std::floor(std::max(0.0, -mapq_const::LOG_SCALE * std::log(x) + c)));
}

int pair_bonus(const tier_counts_t &pair_tiers, bool local_rescue) {
  if (local_rescue)
    return 0;
  if (pair_tiers.second == 0)
    return UNIQUE_PAIR_BONUS;
  int b = TIED_PAIR_BONUS - TIE_STEP * log_rounded(pair_tiers.second);
  if (pair_tiers.rest > 0)
    b -= log_rounded(pair_tiers.rest);
  return b > 0 ? b : 0;
}

void final_pair_mapq(pair_quality_t &q, bool singles,
                     const tier_counts_t &pair_tiers, int bonus) {
  const int m1 = q.own[0], m2 = q.own[1];
  int f1 = 0, f2 = 0;
  if (singles) {
    f1 = m1;
    f2 = m2;
  } else if (pair_tiers.best != 1) {
    f1 = f2 = 0;
  } else if (m1 > 0 && m2 > 0) {
    if (m1 + m2 > MAPQ_CAP) {
      f1 = f2 = MAPQ_CAP;
    } else if (bonus == 0) {
      f1 = m1;
      f2 = m2;
    } else {
      // Each mate gets half of the other's quality and the bonus.
      f1 = m1 + m2 / 2 + bonus;
      f2 = m2 + m1 / 2 + bonus;
    }
  } else if (m1 > 0) {
    f1 = m1 + bonus;
    f2 = (PARTNER_SHARE_NUM * m1) / PARTNER_SHARE_DEN + bonus;
  } else if (m2 > 0) {
    f1 = (PARTNER_SHARE_NUM * m2) / PARTNER_SHARE_DEN + bonus;
    f2 = m2 + bonus;
  } else {
    f1 = f2 = bonus;
  }
  q.mapq[0] = std::min(f1, MAPQ_CAP);
  q.mapq[1] = std::min(f2, MAPQ_CAP);
}
