// The index build scans a packed genome in pieces; it must select exactly
// the windows the text scan selects.
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "common/mt_random.h"
#include "index/kmer_select.h"
#include "index/packed_scan.h"

namespace {

using window_list = std::vector<std::pair<uint64_t, uint64_t>>;

// Packed form of a text: valid bases with their codes, anything else with
// an arbitrary code and its invalid bit set.
struct packed_text_t {
  std::vector<uint8_t> bases;
  std::vector<uint64_t> invalid;
  packed_view_t view() const { return {bases.data(), invalid.data()}; }
};

packed_text_t pack(const std::string &text) {
  packed_text_t p;
  p.bases.assign(text.size() / 4 + 1, 0);
  p.invalid.assign(text.size() / 64 + 1, 0);
  for (size_t i = 0; i < text.size(); ++i) {
    int code = kmer_base_code(text[i]);
    if (code < 0) {
      code = int(i * 7 % 4);
      p.invalid[i / 64] |= uint64_t(1) << (i % 64);
    }
    p.bases[i / 4] |= uint8_t(code << (2 * (i % 4)));
  }
  return p;
}

window_list text_windows(const std::string &text, int k, int mode) {
  window_list out;
  select_windows(text, k, mode, [&](uint64_t key, uint64_t off) {
    out.push_back({key, off});
  });
  std::sort(out.begin(), out.end());
  return out;
}

// Scans the chromosome as a part of a larger genome (at index `first`) in
// pieces ending at the given cuts.
window_list packed_windows(const std::string &text, int k, int mode,
                           const std::vector<uint64_t> &cuts) {
  const std::string lead = "GATTACA";
  const packed_text_t p = pack(lead + text + "TTN");
  window_list out;
  uint64_t from = 0;
  for (uint64_t to : cuts) {
    select_packed_windows(p.view(), lead.size(), text.size(), k, mode, from, to,
                          [&](uint64_t key, uint64_t off) {
                            out.push_back({key, off});
                          });
    from = to;
  }
  std::sort(out.begin(), out.end());
  return out;
}

void expect_same_windows(const std::string &text, int k, int mode,
                         const std::vector<uint64_t> &cuts) {
  EXPECT_EQ(packed_windows(text, k, mode, cuts), text_windows(text, k, mode))
      << "k " << k << " mode " << mode << " text " << text;
}

std::string random_text(MT_random &gen, size_t n, double other) {
  static const char LETTERS[] = "ACGTacgt";
  std::string s(n, 'A');
  for (char &c : s)
    c = gen.genrand_bern(other) ? (gen.genrand_bern(0.5) ? 'N' : 'R')
                                : LETTERS[gen.genrand_int_range(0, 7)];
  return s;
}

std::vector<uint64_t> random_cuts(MT_random &gen, uint64_t n) {
  std::vector<uint64_t> cuts;
  for (uint64_t at = 0; at < n;) {
    at += 1 + gen.genrand_int_range(0, n / 3 + 1);
    cuts.push_back(std::min(at, n));
  }
  if (cuts.empty() || cuts.back() != n)
    cuts.push_back(n);
  return cuts;
}

TEST(PackedScan, ChromosomeEndRule) {
  // Only complete window ends on the last base: kept.
  expect_same_windows("NNNACGTACGTAC", 10, 0, {13});
  // One earlier complete window, far away: the last one is dropped.
  expect_same_windows("ACGTACGTACNNNNNNNNNNNTTGCATTGCA", 10, 0, {31});
  expect_same_windows("ACGTACGTACNNNNNNNNNNNTTGCATTGCA", 10, 0, {5, 12, 31});
  // Adjacent earlier window.
  expect_same_windows("ACGTACGTACG", 10, 0, {11});
  // Exactly one window, too short, nothing valid.
  expect_same_windows("ACGTACGTAC", 10, 0, {10});
  expect_same_windows("ACGTACGTA", 10, 0, {9});
  expect_same_windows("NNNNNNNNNNNNNN", 10, 0, {14});
  expect_same_windows("", 10, 0, {0});
  // The last base invalid: the end rule concerns no window.
  expect_same_windows("ACGTACGTACGTN", 10, 0, {13});
  // Spaced windows span k + 4 bases.
  expect_same_windows("NNACGTACGTACGTAC", 10, 4, {16});
  expect_same_windows("ACGTACGTACGTACG", 10, 4, {7, 15});
}

TEST(PackedScan, RandomTextsInPiecesMatchTheTextScan) {
  MT_random gen;
  for (int round = 0; round < 300; ++round) {
    const size_t n = gen.genrand_int_range(0, 200);
    const std::string text = random_text(gen, n, round % 3 == 0 ? 0.2 : 0.02);
    const std::vector<uint64_t> cuts = random_cuts(gen, n);
    for (int mode = 0; mode <= 4; ++mode) {
      const int k = index_mode_spaced(mode) ? 10 + 2 * int(round % 4)
                                            : 10 + int(round % 7);
      expect_same_windows(text, k, mode, cuts);
    }
  }
}

TEST(PackedScan, LongestWindows) {
  MT_random gen;
  const std::string text = random_text(gen, 500, 0.01);
  expect_same_windows(text, 28, 0, {100, 333, 500});
  expect_same_windows(text, 28, 4, {1, 2, 499, 500}); // 32-base span
}

} // namespace
