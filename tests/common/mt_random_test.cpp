#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "common/mt_random.h"

TEST(MTRandom, ReferenceOutputs) {
  MT_random zero;
  EXPECT_EQ(zero.genrand64_int64(), 2947667278772165694ULL);

  MT_random ref;
  ref.init_genrand64(5489);
  EXPECT_EQ(ref.genrand64_int64(), 14514284786278117030ULL);
  uint64_t v = 0;
  for (int i = 2; i <= 10000; ++i)
    v = ref.genrand64_int64();
  EXPECT_EQ(v, 9981545732273789042ULL);
}

TEST(MTRandom, DefaultSeedIsZeroNot5489) {
  MT_random a, b;
  b.init_genrand64(5489);
  EXPECT_NE(a.genrand64_int64(), b.genrand64_int64());
  MT_random c;
  c.init_genrand64(0);
  MT_random d;
  for (int i = 0; i < 700; ++i) // crosses a regeneration of the state
    ASSERT_EQ(c.genrand64_int64(), d.genrand64_int64());
}

TEST(MTRandom, CopyContinuesIndependently) {
  MT_random a;
  a.genrand64_int64();
  MT_random b = a;
  EXPECT_EQ(a.genrand64_int64(), b.genrand64_int64());
}

TEST(MTRandom, RealsInRange) {
  MT_random g;
  for (int i = 0; i < 2000; ++i) {
    double r2 = g.genrand64_real2();
    EXPECT_GE(r2, 0.0);
    EXPECT_LT(r2, 1.0);
    double r1 = g.genrand64_real1();
    EXPECT_GE(r1, 0.0);
    EXPECT_LE(r1, 1.0);
  }
  MT_random a, b;
  EXPECT_EQ(a.genrand64_real2(),
            double(b.genrand64_int64() >> 11) / 9007199254740992.0);
}

TEST(MTRandom, IntRange) {
  MT_random g;
  std::set<uint64_t> seen;
  for (int i = 0; i < 1000; ++i) {
    uint64_t v = g.genrand_int_range(0, 3);
    ASSERT_LE(v, 3u);
    seen.insert(v);
  }
  EXPECT_EQ(seen.size(), 4u);

  MT_random a, b;
  EXPECT_EQ(a.genrand_int_range(5, 5), 5u);
  EXPECT_EQ(a.genrand64_int64(), b.genrand64_int64()); // nothing drawn

  MT_random c, d;
  uint64_t want = uint64_t(d.genrand64_real2() * 10.0 + 7.0);
  EXPECT_EQ(c.genrand_int_range(7, 16), want);
}

TEST(MTRandom, IntRangeStaysInsideWideBounds) {
  MT_random g;
  const uint64_t top = ~0ULL;
  const uint64_t big = (1ULL << 60) + 12345;
  for (int i = 0; i < 2000; ++i) {
    EXPECT_LE(g.genrand_int_range(0, top), top);
    uint64_t v = g.genrand_int_range(big, big + 3);
    EXPECT_GE(v, big);
    EXPECT_LE(v, big + 3);
    v = g.genrand_int_range(top - 2, top);
    EXPECT_GE(v, top - 2);
  }
  EXPECT_EQ(g.genrand_int_range(9, 2), 9u); // empty range: no value outside
}

TEST(MTRandom, Bernoulli) {
  MT_random g;
  for (int i = 0; i < 500; ++i)
    EXPECT_TRUE(g.genrand_bern(1.0));
  MT_random a, b;
  EXPECT_EQ(a.genrand_bern(0.0), b.genrand64_real2() == 0.0);
  MT_random c, d;
  double r = d.genrand64_real2();
  EXPECT_EQ(c.genrand_bern(0.3), r <= 0.3);
}

TEST(MTRandom, ExponentialAndBinomial) {
  MT_random g;
  double sum = 0;
  for (int i = 0; i < 20000; ++i) {
    double e = g.genrand_exp(2.0);
    ASSERT_GE(e, 0.0);
    ASSERT_TRUE(std::isfinite(e));
    sum += e;
  }
  EXPECT_NEAR(sum / 20000, 2.0, 0.1);

  MT_random a, b;
  EXPECT_EQ(a.genrand_binom(10, 1.5), -1);
  EXPECT_EQ(a.genrand_binom(10, -0.1), -1);
  EXPECT_EQ(a.genrand_binom(0, 0.5), 0);
  EXPECT_EQ(a.genrand64_int64(), b.genrand64_int64()); // none of them drew
  EXPECT_EQ(a.genrand_binom(50, 1.0), 50);
  EXPECT_EQ(a.genrand_binom(50, 0.0), 0);
  int64_t k = g.genrand_binom(1000, 0.25);
  EXPECT_GT(k, 180);
  EXPECT_LT(k, 320);
}

TEST(MTRandom, Normal) {
  MT_random g;
  double sum = 0, sq = 0;
  const int n = 4000;
  for (int i = 0; i < n; ++i) {
    double x = g.genrand_norm(10.0, 2.0);
    sum += x;
    sq += x * x;
  }
  double mean = sum / n;
  EXPECT_NEAR(mean, 10.0, 0.2);
  EXPECT_NEAR(std::sqrt(sq / n - mean * mean), 2.0, 0.2);
}
