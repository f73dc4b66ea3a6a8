#include <gtest/gtest.h>

#include <cmath>

#include "aligner/search/6_mapq.h"
#include "aligner/setup/params.h"
#include "common/mt_random.h"
#include "kernels/align_store.h"

TEST(Mapq, SecondTierHits) {
  // One second-tier hit, full coverage (mult 1): 20, or 40 once XD >= 2.
  EXPECT_EQ(calc_mapq(0, 0, 1, 100, 0, 1, 100, 20, 7, 50), 20);
  EXPECT_EQ(calc_mapq(0, 0, 1, 100, 0, 2, 100, 20, 7, 50), 40);
  // Two hits, XD >= 2: floor(40 - 4.5 ln 2) = 36.
  EXPECT_EQ(calc_mapq(0, 0, 2, 100, 0, 3, 100, 20, 7, 50), 36);
  // Poor coverage raises mult: e = 2, XD 0 -> exp(2); XR 50 of 100 -> x2.
  double mult = calc_mult(2, 30, 50, 0, 100, 20);
  EXPECT_DOUBLE_EQ(mult, std::exp(2.0) * 2.0);
  EXPECT_EQ(calc_mapq(2, 0, 1, 30, 50, 0, 100, 20, 7, 50),
            int(std::floor(std::max(0.0, -4.5 * std::log(mult) + 20.0))));
  // The exponent is an integer division: e 3, XD 1 -> exp(1).
  EXPECT_DOUBLE_EQ(calc_mult(3, 0, 0, 1, 100, 20), std::exp(1.0));
  // Enough coverage: mult 1 whatever else.
  EXPECT_DOUBLE_EQ(calc_mult(1, 40, 90, 0, 100, 20), 1.0);
}

TEST(Mapq, CoverageTermThatCannotBeFormedGivesZero) {
  // Every base covered by too-frequent k-mers: L - XR is 0 or negative.
  EXPECT_EQ(calc_mapq(0, 0, 1, 0, 100, 0, 100, 20, 7, 50), 0);
  EXPECT_EQ(calc_mapq(0, 0, 1, 0, 120, 0, 100, 20, 7, 50), 0);
}

TEST(Mapq, NoSecondTier) {
  EXPECT_EQ(calc_mapq(0, 0, 0, 36, 24, 0, 100, 20, 7, 50), 40);
  EXPECT_EQ(calc_mapq(0, 0, 0, 35, 0, 0, 100, 20, 7, 50), 37);
  EXPECT_EQ(calc_mapq(0, 0, 0, 90, 25, 0, 100, 20, 7, 50), 37);
  EXPECT_EQ(calc_mapq(7, 0, 0, 90, 0, 0, 100, 20, 7, 50), 25);
  EXPECT_EQ(calc_mapq(7, 26, 0, 90, 0, 0, 100, 20, 7, 50), 5);
  EXPECT_EQ(calc_mapq(1, 26, 0, 90, 0, 0, 100, 20, 7, 50), 20);
  EXPECT_EQ(calc_mapq(1, 25, 0, 90, 0, 0, 100, 20, 7, 50), 40);
}

TEST(Mapq, SingleQuality) {
  tolve_params_t p;
  p.kmer_size = 10;
  mm_gap_t e{};
  e.num_mm = 1;
  align_loc_t best(15, true, 100, "50M", e, 'N');
  e.num_mm = 4;
  align_loc_t second(60, true, 300, "50M", e, 'N');
  std::vector<int> taken = {21, 1, 11}, frequent = {41};
  se_quality_t q =
      single_quality(best, &second, 1, 1, taken, frequent, 50, 4, 50, &p);
  EXPECT_EQ(q.xl, 30);
  // The too-frequent window counts from the end of the taken one before it.
  EXPECT_EQ(q.xr, 20);
  EXPECT_EQ(q.xd, 3);
  EXPECT_EQ(q.mapq, 40);
  EXPECT_EQ(taken, (std::vector<int>{1, 11, 21}));
  // A second tier with fewer mismatches gives XD 0, not a negative value.
  e.num_mm = 0;
  second.mm_gap = e;
  q = single_quality(best, &second, 1, 1, taken, frequent, 50, 4, 50, &p);
  EXPECT_EQ(q.xd, 0);
  // Repeats: everything 0.
  q = single_quality(best, &second, 2, 1, taken, frequent, 50, 4, 50, &p);
  EXPECT_EQ(q.mapq + q.xl + q.xr + q.xd, 0);
}

TEST(Mapq, PickBest) {
  MT_random a, b;
  EXPECT_EQ(pick_best(1, a), 0);
  EXPECT_EQ(a.genrand64_int64(), b.genrand64_int64()); // no draw for one
  MT_random g, h;
  for (int i = 0; i < 50; ++i) {
    int v = pick_best(3, g);
    EXPECT_GE(v, 0);
    EXPECT_LT(v, 3);
    EXPECT_EQ(v, int(h.genrand_int_range(1, 3)) - 1);
  }
}
