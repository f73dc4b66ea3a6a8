#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "aligner/setup/mini_hash.h"
#include "common/mt_random.h"

namespace {

// Fills a table of `length` buckets from a plain array of bounds, the way
// the loader does: filled buckets in ascending order, each one's entries
// following the previous one's.
std::vector<mini_pair_t> random_buckets(uint32_t length, double fill,
                                        uint64_t seed) {
  MT_random g;
  g.init_genrand64(seed);
  std::vector<mini_pair_t> plain(length);
  uint32_t next = 1;
  for (uint32_t j = 0; j < length; ++j) {
    if (g.genrand64_real2() >= fill)
      continue;
    uint32_t n = uint32_t(g.genrand_int_range(1, 5));
    plain[j] = mini_pair_t{next, next + n};
    next += n;
  }
  return plain;
}

void fill_from(mini_hash_t &h, const std::vector<mini_pair_t> &plain) {
  mini_hash_init(h, uint32_t(plain.size()), plain.size());
  for (uint32_t j = 0; j < plain.size(); ++j)
    if (plain[j].a != 0) {
      ASSERT_TRUE(mini_hash_fill(h, j, plain[j].a, plain[j].b)) << j;
    }
}

} // namespace

TEST(MiniHash, AnswersEveryBucketAsAPlainTable) {
  for (uint32_t length : {1u, 16u, 63u, 64u, 100u, 4096u, 100000u})
    for (double fill : {0.0, 0.01, 0.3, 0.97, 1.0}) {
      std::vector<mini_pair_t> plain =
          random_buckets(length, fill, length * 31 + uint64_t(fill * 100));
      mini_hash_t h;
      fill_from(h, plain);
      for (uint32_t j = 0; j < length; ++j) {
        mini_pair_t got = mini_hash_get(h, j);
        ASSERT_EQ(got.a, plain[j].a) << length << " " << fill << " " << j;
        ASSERT_EQ(got.b, plain[j].b) << length << " " << fill << " " << j;
      }
      // Buckets past the end are empty, as are those of a 32-bit overflow.
      EXPECT_EQ(mini_hash_get(h, length).a, 0u);
      EXPECT_EQ(mini_hash_get(h, UINT32_MAX).a, 0u);
    }
}

TEST(MiniHash, RefusesBucketsOutOfOrderOrNotContiguous) {
  mini_hash_t h;
  mini_hash_init(h, 128, 4);
  EXPECT_FALSE(mini_hash_fill(h, 5, 0, 3));   // 1-based: 0 is not an entry
  EXPECT_FALSE(mini_hash_fill(h, 128, 1, 3)); // no such bucket
  EXPECT_FALSE(mini_hash_fill(h, 5, 3, 1));   // ends before it starts
  ASSERT_TRUE(mini_hash_fill(h, 70, 1, 3));
  EXPECT_FALSE(mini_hash_fill(h, 70, 3, 4)); // the same bucket again
  EXPECT_FALSE(mini_hash_fill(h, 10, 3, 4)); // a lower bucket
  EXPECT_FALSE(mini_hash_fill(h, 71, 4, 6)); // a gap in the entries
  ASSERT_TRUE(mini_hash_fill(h, 127, 3, 9));
  EXPECT_EQ(mini_hash_get(h, 70).b, 3u);
  EXPECT_EQ(mini_hash_get(h, 127).a, 3u);
  EXPECT_EQ(mini_hash_get(h, 127).b, 9u);
  EXPECT_EQ(mini_hash_get(h, 71).a, 0u);
  EXPECT_EQ(mini_hash_get(h, 10).a, 0u);
}

TEST(MiniHash, EmptyTable) {
  mini_hash_t h;
  mini_hash_init(h, 1u << 20, 0);
  EXPECT_EQ(mini_hash_get(h, 0).a, 0u);
  EXPECT_EQ(mini_hash_get(h, (1u << 20) - 1).b, 0u);
  mini_hash_t none; // never set up
  EXPECT_EQ(mini_hash_get(none, 0).a, 0u);
}
