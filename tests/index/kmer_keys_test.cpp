#include <algorithm>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "index/index_file.h"
#include "index/kmer_keys.h"
#include "index/kmer_sort.h"

namespace {

// Offsets of the windows the scan offers in s with window length m.
std::vector<uint64_t> offered(const std::string &s, unsigned m) {
  std::vector<uint64_t> offs;
  scan_windows(s.data(), s.size(), m,
               [&](uint64_t, uint64_t off) { offs.push_back(off); });
  return offs;
}

TEST(KmerKeys, ContinuousKeyPutsFirstBaseLowest) {
  uint64_t key = 0;
  scan_windows("ACGT", 4, 4, [&](uint64_t w, uint64_t) { key = w; });
  EXPECT_EQ(key, 228u);
  scan_windows("acgt", 4, 4, [&](uint64_t w, uint64_t) { key = w; });
  EXPECT_EQ(key, 228u);
}

TEST(KmerKeys, SpacedKeyDropsMiddleBasesAndMarks) {
  // k = 10, window of 14: ACGTA | CGTA (dropped) | CGTAC.
  const std::string win = "ACGTACGTACGTAC";
  uint64_t w = 0;
  scan_windows(win.data(), win.size(), 14,
               [&](uint64_t v, uint64_t) { w = v; });
  const uint64_t first = 0 + (1 << 2) + (2 << 4) + (3 << 6) + 0;
  const uint64_t last = (1u << 10) + (2u << 12) + (3u << 14) + 0 + (1u << 18);
  EXPECT_EQ(spaced_key(w, 10), first + last + (uint64_t(1) << 20));
  // The middle bases do not matter; the flanks do.
  uint64_t w2 = 0;
  scan_windows("ACGTAGGGGCGTAC", 14, 14, [&](uint64_t v, uint64_t) { w2 = v; });
  EXPECT_EQ(spaced_key(w2, 10), spaced_key(w, 10));
  // Largest window of the largest k still fits and keeps its marker apart.
  const uint64_t all_t = ~uint64_t(0);
  EXPECT_EQ(spaced_key(all_t, 28), (uint64_t(1) << 57) - 1);
  EXPECT_GE(spaced_key(0, 28), uint64_t(1) << 56);
}

TEST(KmerKeys, SamplingRule) {
  EXPECT_TRUE(hash_key2(5, 1));
  EXPECT_FALSE(hash_key2(0, 1));
  EXPECT_TRUE(hash_key2(7, 2));  // mod 17 = 7
  EXPECT_TRUE(hash_key2(13, 3)); // mod 19 = 13
  EXPECT_TRUE(hash_key2(31, 1)); // mod 53 = 31
  EXPECT_TRUE(hash_key2(47, 1)); // mod 71 = 47
  EXPECT_FALSE(hash_key2(6, 1));
  EXPECT_TRUE(hash_key2(~uint64_t(0) - 3, 1)); // (2^64 - 4) mod 7 = 5
  for (uint64_t key : {uint64_t(0), uint64_t(6), ~uint64_t(0)}) {
    EXPECT_TRUE(hash_key2(key, 0));
    EXPECT_TRUE(hash_key2(key, 4));
    EXPECT_FALSE(hash_key2(key, 5));
    EXPECT_FALSE(hash_key2(key, -1));
  }
  // About a quarter of all keys pass.
  int passed = 0;
  for (uint64_t key = 0; key < 100000; ++key)
    passed += hash_key2(key, 1);
  EXPECT_NEAR(passed / 100000.0, 0.26, 0.01);
}

TEST(KmerKeys, WindowScanEnds) {
  const std::string ten = "ACGTACGTAC";
  EXPECT_EQ(offered(ten, 10), (std::vector<uint64_t>{0}));
  // The second window ends on the last base and is dropped.
  EXPECT_EQ(offered(ten + "G", 10), (std::vector<uint64_t>{0}));
  EXPECT_EQ(offered(ten + "GT", 10), (std::vector<uint64_t>{0, 1}));
  EXPECT_TRUE(offered("ACGTACGTA", 10).empty());
  EXPECT_TRUE(offered("ACGTANCGTACGTA", 10).empty());
  EXPECT_TRUE(offered("", 10).empty());
}

TEST(KmerKeys, WindowScanSkipsInvalidCharacters) {
  // Windows 0 to 2, then an N at 12; the next complete window starts at 13
  // and the one ending on the last base is dropped.
  const std::string s = "ACGTACGTACGT" + std::string("N") + "ACGTACGTACGT";
  EXPECT_EQ(offered(s, 10), (std::vector<uint64_t>{0, 1, 2, 13, 14}));
  // A chromosome's first complete window is kept even on the last base...
  EXPECT_EQ(offered("ACNACGTACGTAC", 10), (std::vector<uint64_t>{3}));
  // ...but a refilled window ending there is not.
  EXPECT_EQ(offered("ACGTACGTACGN" + std::string("ACGTACGTAC"), 10),
            (std::vector<uint64_t>{0, 1}));
  // Keys after a refill are those of the plain text.
  uint64_t a = 0, b = 0;
  scan_windows("ACGTACGTACG", 11, 10, [&](uint64_t w, uint64_t) { a = w; });
  scan_windows("TTNACGTACGTACG", 14, 10, [&](uint64_t w, uint64_t off) {
    if (off == 3)
      b = w;
  });
  EXPECT_EQ(a, b);
}

TEST(KmerSort, MatchesLexicographicOrder) {
  std::mt19937_64 gen(11);
  for (uint64_t n :
       {uint64_t(0), uint64_t(1), uint64_t(1000), uint64_t(200000)}) {
    std::vector<twoint3_hash> recs(n);
    for (auto &r : recs) {
      // Few distinct keys so that positions decide many comparisons.
      r.a = (gen() % 5000) * 1000003 + (uint64_t(1) << 40);
      r.b = uint32_t(gen());
    }
    if (n > 10)
      recs[3].a = 0;
    std::vector<twoint3_hash> want = recs;
    std::sort(want.begin(), want.end());
    sort_records(recs.data(), recs.size());
    ASSERT_EQ(recs.size(), want.size());
    for (uint64_t i = 0; i < n; ++i) {
      // Packed fields are compared by value: no references to them.
      ASSERT_EQ(uint64_t(recs[i].a), uint64_t(want[i].a)) << i;
      ASSERT_EQ(uint32_t(recs[i].b), uint32_t(want[i].b)) << i;
    }
  }
  std::vector<twoint3_hash> same(100000, twoint3_hash{42, 0});
  for (uint32_t i = 0; i < same.size(); ++i)
    same[i].b = uint32_t(same.size()) - i;
  sort_records(same.data(), same.size());
  EXPECT_EQ(uint32_t(same.front().b), 1u);
  EXPECT_EQ(uint32_t(same.back().b), 100000u);
}

TEST(KmerGroups, HistogramOfGroupSizes) {
  // Groups of sizes 1, 1, 2, 3 and 5.
  std::vector<twoint3_hash> recs;
  const uint64_t sizes[] = {1, 1, 2, 3, 5};
  for (uint64_t g = 0; g < 5; ++g)
    for (uint64_t i = 0; i < sizes[g]; ++i)
      recs.push_back(twoint3_hash{g * 10, uint32_t(i + 1)});
  const group_stats_t stats = group_histogram(recs.data(), recs.size());
  EXPECT_EQ(stats.groups, 5u);
  std::ostringstream os;
  print_histogram(os, stats);
  EXPECT_EQ(os.str(), "Length: 3\n0:1,2\n1:2,2\n2:4,1\n");

  std::vector<twoint3_hash> big(5000, twoint3_hash{9, 1});
  std::ostringstream os2;
  print_histogram(os2, group_histogram(big.data(), big.size()));
  EXPECT_EQ(os2.str(), "Length: 1\n12:4096,1\n");
  std::ostringstream os3;
  print_histogram(os3, group_histogram(nullptr, 0));
  EXPECT_EQ(os3.str(), "Length: 0\n");
}

TEST(KmerGroups, LargeBinsUseShortDoubleFormat) {
  std::vector<twoint3_hash> big(uint64_t(1) << 20, twoint3_hash{3, 1});
  std::ostringstream os;
  print_histogram(os, group_histogram(big.data(), big.size()));
  EXPECT_EQ(os.str(), "Length: 1\n20:1.04858e+06,1\n");
}

} // namespace
