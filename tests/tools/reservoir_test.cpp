#include <gtest/gtest.h>

#include <algorithm>

#include "tools/reservoir.h"

namespace {

reservoir_t offer_all(int64_t num_reads, int64_t records, MT_random &rng) {
  reservoir_t r;
  r.num_reads = num_reads;
  for (int64_t i = 0; i < records; ++i)
    reservoir_offer(r, rng);
  return r;
}

TEST(Reservoir, FillsInOrderWithoutDrawing) {
  MT_random rng, fresh;
  reservoir_t r = offer_all(5, 5, rng);
  EXPECT_EQ(r.slots, (std::vector<int64_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(rng.genrand64_int64(), fresh.genrand64_int64());
}

// One generator value per record: record n replaces the single slot when
// that value is at most 1/n.
TEST(Reservoir, SingleSlotUsesOneValuePerRecord) {
  MT_random rng, mirror;
  reservoir_t r;
  r.num_reads = 1;
  int64_t expected = 0;
  for (int64_t n = 1; n <= 200; ++n) {
    reservoir_offer(r, rng);
    if (n == 1 || mirror.genrand64_real2() <= 1.0 / double(n))
      expected = n;
    ASSERT_EQ(r.slots, std::vector<int64_t>{expected}) << "record " << n;
  }
  EXPECT_EQ(rng.genrand64_int64(), mirror.genrand64_int64());
}

// A replacement takes a second value for the slot: floor(u * num_reads).
TEST(Reservoir, SlotDrawFollowsAcceptedTrial) {
  MT_random rng, mirror;
  reservoir_t r = offer_all(3, 3, rng);
  std::vector<int64_t> expected = r.slots;
  for (int64_t n = 4; n <= 100; ++n) {
    reservoir_offer(r, rng);
    if (mirror.genrand64_real2() <= 3.0 / double(n))
      expected[size_t(mirror.genrand64_real2() * 3)] = n;
    ASSERT_EQ(r.slots, expected) << "record " << n;
  }
}

TEST(Reservoir, ZeroSlotsStayEmpty) {
  MT_random rng;
  reservoir_t r = offer_all(0, 50, rng);
  EXPECT_TRUE(r.slots.empty());
  EXPECT_EQ(r.count, 50);
}

// Every record is about equally likely to be chosen.
TEST(Reservoir, SampleIsUniform) {
  const int trials = 20000, records = 10, k = 3;
  std::vector<int> hits(records + 1, 0);
  for (int t = 0; t < trials; ++t) {
    MT_random rng;
    rng.init_genrand64(uint64_t(t) + 1);
    reservoir_t r = offer_all(k, records, rng);
    std::sort(r.slots.begin(), r.slots.end());
    ASSERT_TRUE(std::adjacent_find(r.slots.begin(), r.slots.end()) ==
                r.slots.end());
    for (int64_t s : r.slots)
      hits[size_t(s)]++;
  }
  for (int i = 1; i <= records; ++i)
    EXPECT_NEAR(hits[size_t(i)] / double(trials), 0.3, 0.02) << "record " << i;
}

} // namespace
