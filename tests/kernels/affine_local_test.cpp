#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "kernel_test_util.h"
#include "kernels/path.h"
#include "kernels/sw_nw.h"

using ktest::pack;
using ktest::random_dna;

namespace {

const int M = 5, S = 15, G = 40, E = 2; // the aligner's local defaults

// Plain affine local alignment: a gap of L bases scores -(g + (L-1) e).
int best_local(const std::string &read, const std::string &win, int m, int s,
               int g, int e) {
  const int NEG = -1000000;
  size_t R = read.size(), L = win.size();
  std::vector<std::vector<int>> H(R + 1, std::vector<int>(L + 1, 0)),
      V(R + 1, std::vector<int>(L + 1, NEG)), W = V;
  int best = 0;
  for (size_t r = 1; r <= R; ++r)
    for (size_t c = 1; c <= L; ++c) {
      V[r][c] = std::max(H[r - 1][c] - g, V[r - 1][c] - e);
      W[r][c] = std::max(H[r][c - 1] - g, W[r][c - 1] - e);
      int d = H[r - 1][c - 1] + (read[r - 1] == win[c - 1] ? m : -s);
      H[r][c] = std::max({0, d, V[r][c], W[r][c]});
      best = std::max(best, H[r][c]);
    }
  return best;
}

struct local_result_t {
  int score;
  std::string path;
  uint32_t ref_start, seq_start, seq_end;
};

local_result_t run_sw_path(const std::string &genome, uint32_t win_start,
                           int win_len, const std::string &read, int band,
                           int m = M, int s = S, int g = G, int e = E) {
  sw_nw nw;
  nw.setup_penalties(0, 6, 15, 4, m, s, g, e);
  bool ok = nw.setup_read_reference(pack(read), pack(read), win_len, band);
  EXPECT_TRUE(ok);
  local_result_t out{0, "", win_start, 99, 99};
  bit_DNA_t g_bits = pack(genome);
  out.score = nw.sw_path(out.path, out.ref_start, out.seq_start, out.seq_end, 0,
                         g_bits);
  return out;
}

// The path, walked from its first column, must pair the bases it claims
// and consume exactly the read bases seq_start .. seq_end - 1.
void expect_valid_local(const local_result_t &res, const std::string &genome,
                        const std::string &read) {
  if (res.path.empty()) {
    EXPECT_EQ(res.seq_start, res.seq_end);
    return;
  }
  EXPECT_EQ(res.path.back(), path_op::MATCH);
  size_t r = res.seq_start, g = res.ref_start - 1;
  for (size_t i = res.path.size(); i-- > 0;) {
    char op = res.path[i];
    if (op == path_op::MATCH || op == path_op::MISMATCH) {
      ASSERT_LT(r, read.size());
      ASSERT_LT(g, genome.size());
      EXPECT_EQ(read[r] == genome[g], op == path_op::MATCH);
      ++r;
      ++g;
    } else if (op == path_op::INSERTION) {
      ++r;
    } else {
      ASSERT_EQ(op, path_op::DELETION);
      ++g;
    }
  }
  EXPECT_EQ(r, res.seq_end);
}

} // namespace

TEST(AffineLocal, ReadInsideWindow) {
  std::string genome = "TTTTTTTTTTGATTACAGGCATTTTTTTTTT";
  std::string read = "GATTACAGGCA";
  local_result_t res = run_sw_path(genome, 3, 25, read, 20);
  EXPECT_EQ(res.score, M * int(read.size()));
  EXPECT_EQ(res.path, std::string(read.size(), path_op::MATCH));
  EXPECT_EQ(res.seq_start, 0u);
  EXPECT_EQ(res.seq_end, read.size());
  EXPECT_EQ(res.ref_start, 11u); // window start 3 + offset 8
  expect_valid_local(res, genome, read);
}

TEST(AffineLocal, UnmatchedHeadIsClipped) {
  std::string genome = "CCCCCCCCCCGATTACAGGCATGACCCCCCCC";
  std::string read = "TTTTTGATTACAGGCATGA";
  local_result_t res = run_sw_path(genome, 1, int(genome.size()), read, 20);
  EXPECT_EQ(res.seq_start, 5u);
  EXPECT_EQ(res.seq_end, read.size());
  EXPECT_EQ(res.ref_start, 11u);
  mm_gap_t mm;
  EXPECT_EQ(path2cigar_local(res.path, int(res.seq_start), int(read.size()), mm,
                             false),
            "5S14M");
}

TEST(AffineLocal, NothingPositive) {
  local_result_t res = run_sw_path("AAAAAAAAAAAA", 1, 12, "CCCC", 10);
  EXPECT_EQ(res.score, 0);
  EXPECT_TRUE(res.path.empty());
  EXPECT_EQ(res.seq_start, 0u);
  EXPECT_EQ(res.seq_end, 0u);
  EXPECT_EQ(res.ref_start, 1u);
}

TEST(AffineLocal, FirstBestInRowOrderWins) {
  // The read occurs twice; both copies end on the last read row, and the
  // one ending in the earlier column is reported.
  std::string genome = "GGACGTTGGGGACGTTGG";
  local_result_t res = run_sw_path(genome, 1, 18, "ACGTT", 18);
  EXPECT_EQ(res.score, 5 * M);
  EXPECT_EQ(res.ref_start, 3u);
  // Read ACGTTGCA: its head ACGT and its tail TGCA each score 4 matches;
  // the head ends on the earlier row and is reported.
  res = run_sw_path("CCACGTCCCCCCTGCACC", 1, 18, "ACGTTGCA", 18);
  EXPECT_EQ(res.score, 4 * M);
  EXPECT_EQ(res.ref_start, 3u);
  EXPECT_EQ(res.seq_start, 0u);
  EXPECT_EQ(res.seq_end, 4u);
}

TEST(AffineLocal, WindowPastGenomeEnd) {
  std::string genome = "TTGACCATGCAGTACGGATC";
  std::string read = genome.substr(12);
  local_result_t res = run_sw_path(genome, 9, 30, read, 30);
  EXPECT_EQ(res.score, M * int(read.size()));
  EXPECT_EQ(res.ref_start, 13u);
  expect_valid_local(res, genome, read);
  // A window wholly outside the genome, or at position 0, has no match.
  res = run_sw_path(genome, 50, 10, read, 10);
  EXPECT_EQ(res.score, 0);
  res = run_sw_path(genome, 0, 4, "TTGA", 4);
  EXPECT_EQ(res.score, 3 * M); // position 0 is nothing; TTG of 1..3 align
}

TEST(AffineLocal, BandOutsideEveryCell) {
  // A negative band computes nothing: no alignment, nothing read.
  local_result_t res = run_sw_path("ACGTACGT", 1, 8, "ACG", -6);
  EXPECT_EQ(res.score, 0);
  EXPECT_TRUE(res.path.empty());
  std::string path;
  uint32_t rs = 0, ss = 0;
  EXPECT_EQ(ro_affine_sw(path, rs, ss, "ACGTACGT", "ACG", -20, M, S, G, E), 0);
}

TEST(AffineLocal, TextFormIgnoresCaseAndReportsOffsets) {
  std::string path;
  uint32_t ref_start = 99, seq_start = 99;
  int score = ro_affine_sw(path, ref_start, seq_start, "ttgattacagg",
                           "CCGATTACA", 20, M, S, G, E);
  EXPECT_EQ(score, 7 * M);
  EXPECT_EQ(ref_start, 2u);
  EXPECT_EQ(seq_start, 2u);
  EXPECT_EQ(path, std::string(7, path_op::MATCH));
  // Empty inputs.
  EXPECT_EQ(ro_affine_sw(path, ref_start, seq_start, "", "ACGT", 5, M, S, G, E),
            0);
  EXPECT_TRUE(path.empty());
  EXPECT_EQ(ro_affine_sw(path, ref_start, seq_start, "ACGT", "", 5, M, S, G, E),
            0);
}

TEST(AffineLocal, ScoresMatchPlainLocalAlignment) {
  std::mt19937 rng(3);
  for (int iter = 0; iter < 300; ++iter) {
    std::string genome = random_dna(rng, 20 + rng() % 80);
    std::string read = random_dna(rng, 1 + rng() % 40);
    if (rng() & 1) { // plant a noisy copy of part of the genome
      size_t from = rng() % genome.size();
      std::string part = genome.substr(from, read.size());
      for (int k = int(rng() % 3); k > 0 && !part.empty(); --k) {
        size_t at = rng() % part.size();
        if (rng() & 1)
          part[at] = ktest::other_base(part[at], rng());
        else
          part.insert(at, random_dna(rng, 1 + rng() % 3));
      }
      read = random_dna(rng, rng() % 5) + part + random_dna(rng, rng() % 5);
    }
    int m = 1 + int(rng() % 5), s = int(rng() % 8), g = int(rng() % 10),
        e = int(rng() % 4);
    int wide = int(genome.size() + read.size());
    local_result_t res =
        run_sw_path(genome, 1, int(genome.size()), read, wide, m, s, g, e);
    SCOPED_TRACE(genome + " " + read);
    EXPECT_EQ(res.score, best_local(read, genome, m, s, g, e));
    expect_valid_local(res, genome, read);
    std::string path;
    uint32_t rs = 0, ss = 0;
    EXPECT_EQ(ro_affine_sw(path, rs, ss, genome, read, wide, m, s, g, e),
              res.score);
    // The CIGAR with its clips covers the read exactly.
    mm_gap_t mm;
    std::string cigar = path2cigar_local(res.path, int(res.seq_start),
                                         int(read.size()), mm, false);
    long n = 0, used = 0;
    for (char ch : cigar) {
      if (ch >= '0' && ch <= '9') {
        n = n * 10 + (ch - '0');
        continue;
      }
      if (ch != 'D')
        used += n;
      n = 0;
    }
    EXPECT_EQ(used, long(read.size())) << cigar;
    // A narrow band never finds more.
    local_result_t narrow = run_sw_path(genome, 1, int(genome.size()), read,
                                        int(rng() % 4), m, s, g, e);
    EXPECT_LE(narrow.score, res.score);
    expect_valid_local(narrow, genome, read);
  }
}
