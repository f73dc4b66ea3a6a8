#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "kernels/align_store.h"

namespace {

std::vector<int> penalties(const align_tier_t &tier) {
  std::vector<int> out;
  for (const align_loc_t &a : tier)
    out.push_back(a.penalty);
  return out;
}

bool offer(align_store_t &s, int penalty, uint32_t loc) {
  mm_gap_t mg;
  mg.num_mm = penalty;
  return s.insert(penalty, loc % 2 == 0, loc, std::to_string(loc) + "M", mg,
                  'N');
}

} // namespace

TEST(AlignStore, SameLocationTwiceIsRejectedEvenIfBetter) {
  align_store_t s(6);
  EXPECT_TRUE(offer(s, 5, 100));
  EXPECT_FALSE(offer(s, 1, 100));
  EXPECT_EQ(penalties(s.main_store), std::vector<int>{5});
  EXPECT_EQ(s.get_sec_size(), 0);
}

TEST(AlignStore, TiersKeepBestAndSecondBest) {
  align_store_t s(6);
  int pens[] = {5, 5, 3, 7, 4, 9};
  for (int i = 0; i < 6; ++i)
    EXPECT_TRUE(offer(s, pens[i], 10 + i));
  EXPECT_EQ(penalties(s.main_store), std::vector<int>{3});
  EXPECT_EQ(penalties(s.sec_store), std::vector<int>{4});
  EXPECT_EQ(s.main_store[0].loc, 12u);
  EXPECT_EQ(s.sec_store[0].loc, 14u);
  EXPECT_EQ(s.sec_store[0].cigar, "14M");
  EXPECT_EQ(s.sec_store[0].mm_gap.num_mm, 4);
  EXPECT_TRUE(s.sec_store[0].direction);
  EXPECT_EQ(s.sec_store[0].type, 'N');

  align_store_t t(6);
  offer(t, 5, 1);
  offer(t, 8, 2);
  offer(t, 6, 3);
  EXPECT_EQ(penalties(t.main_store), std::vector<int>{5});
  EXPECT_EQ(penalties(t.sec_store), std::vector<int>{6});
}

TEST(AlignStore, BetterPenaltyDemotesMainTierInOrder) {
  align_store_t s(6);
  offer(s, 8, 1);
  offer(s, 8, 2);
  offer(s, 9, 3);
  offer(s, 8, 4);
  offer(s, 2, 5);
  EXPECT_EQ(s.get_main_size(), 1);
  ASSERT_EQ(s.get_sec_size(), 3);
  EXPECT_EQ(s.sec_store[0].loc, 1u);
  EXPECT_EQ(s.sec_store[1].loc, 2u);
  EXPECT_EQ(s.sec_store[2].loc, 4u);
  offer(s, 10, 6); // worse than both tiers: dropped, still accepted
  EXPECT_EQ(s.get_sec_size(), 3);
  EXPECT_FALSE(offer(s, 1, 6));
}

TEST(AlignStore, ClearAllowsLocationAgain) {
  align_store_t s(6);
  EXPECT_TRUE(offer(s, 3, 42));
  s.clear();
  EXPECT_EQ(s.get_main_size(), 0);
  EXPECT_EQ(s.get_sec_size(), 0);
  EXPECT_TRUE(offer(s, 3, 42));
  EXPECT_EQ(s.get_main_size(), 1);
}

TEST(AlignStore, RefillingForNextReadReusesRecords) {
  align_store_t s(6);
  auto one_read = [&]() {
    s.clear();
    for (uint32_t loc = 1; loc <= 40; ++loc)
      offer(s, int(50 - loc % 7), loc * 1000);
  };
  one_read();
  one_read();
  size_t records = s.main_store.recs.size() + s.sec_store.recs.size();
  size_t added_cap = s.seen_pos.locs_added.capacity();
  for (int i = 0; i < 5; ++i)
    one_read();
  EXPECT_EQ(s.main_store.recs.size() + s.sec_store.recs.size(), records);
  EXPECT_EQ(s.seen_pos.locs_added.capacity(), added_cap);
  EXPECT_EQ(penalties(s.main_store), std::vector<int>(5, 44));
  EXPECT_EQ(penalties(s.sec_store), std::vector<int>(6, 45));
}

TEST(AlignLoc, Constructors) {
  align_loc_t a;
  EXPECT_EQ(a.penalty, 0);
  EXPECT_TRUE(a.direction);
  EXPECT_EQ(a.loc, 0u);
  EXPECT_EQ(a.cigar, "");
  mm_gap_t mg{1, 2, 3, 4};
  align_loc_t b(7, false, 99, "10M", mg, 'M');
  align_loc_t c = b;
  EXPECT_EQ(c.penalty, 7);
  EXPECT_FALSE(c.direction);
  EXPECT_EQ(c.loc, 99u);
  EXPECT_EQ(c.cigar, "10M");
  EXPECT_EQ(c.mm_gap.num_gap_ext, 3);
  EXPECT_EQ(c.type, 'M');
  EXPECT_EQ(aln_type::UNIQUE, 'U');
  EXPECT_EQ(aln_type::REPEAT, 'R');
}

TEST(SeenSet, CollidingLocationsAreBothKept) {
  seen_t s;
  std::unordered_map<uint32_t, uint32_t> by_slot;
  uint32_t a = 0, b = 0;
  for (uint32_t x = 1; b == 0; ++x) {
    uint32_t h = s.home(x);
    auto it = by_slot.find(h);
    if (it != by_slot.end()) {
      a = it->second;
      b = x;
    } else {
      by_slot[h] = x;
    }
  }
  uint32_t home = s.home(a);
  EXPECT_TRUE(s.insert(a));
  EXPECT_TRUE(s.insert(b));
  EXPECT_FALSE(s.insert(a));
  EXPECT_FALSE(s.insert(b));
  EXPECT_EQ(s.locs[home], a);
  EXPECT_EQ(s.locs[(home + 1) & (s.locs.size() - 1)], b);
  ASSERT_EQ(s.locs_added.size(), 2u);
  s.clear();
  EXPECT_EQ(s.locs[home], 0u);
  EXPECT_TRUE(s.locs_added.empty());
  EXPECT_TRUE(s.insert(b));
  EXPECT_EQ(s.locs[home], b);
}

TEST(SeenSet, ProbingWrapsAtTheTableEnd) {
  seen_t s;
  // Fill the last slot by hand so the next location homed there wraps.
  uint32_t last = uint32_t(s.locs.size() - 1);
  uint32_t x = 1;
  while (s.home(x) != last)
    ++x;
  uint32_t y = x + 1;
  while (s.home(y) != last)
    ++y;
  EXPECT_TRUE(s.insert(x));
  EXPECT_TRUE(s.insert(y));
  EXPECT_EQ(s.locs[0], y);
  EXPECT_FALSE(s.insert(y));
  EXPECT_TRUE(s.insert(0)); // never stored
  EXPECT_EQ(s.locs_added.size(), 2u);
}

// The table grows as it fills and keeps every location through each
// growth and across clears; at its largest it is the full 2^20 slots with
// each location at the home slot of the whole hash.
TEST(SeenSet, GrowsToTheFullTableKeepingEveryLocation) {
  seen_t s;
  const size_t first = s.locs.size();
  const uint32_t n = 300000;
  for (uint32_t i = 1; i <= n; ++i)
    ASSERT_TRUE(s.insert(i * 7919u)) << i;
  EXPECT_EQ(s.locs.size(), size_t(seen_t::hash_size));
  EXPECT_GT(s.locs.size(), first);
  for (uint32_t i = 1; i <= n; ++i)
    ASSERT_FALSE(s.insert(i * 7919u)) << i;
  EXPECT_EQ(s.locs_added.size(), n);
  for (uint32_t h : s.locs_added)
    ASSERT_NE(s.locs[h], 0u);
  uint32_t lone = 1234567u;
  EXPECT_EQ(s.home(lone), (lone * seen_t::magic) >> 12);
  s.clear();
  EXPECT_TRUE(s.locs_added.empty());
  EXPECT_EQ(std::count(s.locs.begin(), s.locs.end(), 0u),
            std::ptrdiff_t(s.locs.size()));
  EXPECT_TRUE(s.insert(7919u));                        // forgotten by the clear
  EXPECT_EQ(s.locs.size(), size_t(seen_t::hash_size)); // size kept
}

// A full table answers "new" for a location it has no room for, and still
// knows the ones it holds.
TEST(SeenSet, FullTableAcceptsWithoutRemembering) {
  seen_t s;
  for (uint32_t i = 1; i <= seen_t::hash_size; ++i)
    ASSERT_TRUE(s.insert(i));
  EXPECT_TRUE(s.insert(seen_t::hash_size + 1));
  EXPECT_TRUE(s.insert(seen_t::hash_size + 1));
  EXPECT_FALSE(s.insert(77));
  EXPECT_EQ(s.locs_added.size(), size_t(seen_t::hash_size));
}

TEST(SeenSet, MovedSetKeepsItsContents) {
  seen_t a;
  a.insert(5);
  seen_t b(std::move(a));
  EXPECT_FALSE(b.insert(5));
  seen_t c;
  c = std::move(b);
  EXPECT_FALSE(c.insert(5));
}
