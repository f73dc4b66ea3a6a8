#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <vector>

#include "aligner/setup/params.h"
#include "kernel_test_util.h"
#include "kernels/path.h"
#include "kernels/sw_nw.h"

using ktest::pack;
using ktest::random_dna;

namespace {

struct pens_t {
  int m, s, g, e; // g: first gap base, e: each further one
};

// Penalty of a global path recomputed column by column from the cost
// model: -1 if the path does not consume exactly the read and the window,
// or claims a match/mismatch the bases contradict.
long path_penalty(const std::string &path, const std::string &read,
                  const std::string &win, const pens_t &p, bool left,
                  bool right, int end_len) {
  long R = long(read.size()), L = long(win.size());
  long r = 0, c = 0, total = 0;
  char prev = -1;
  for (size_t i = path.size(); i-- > 0;) {
    char op = path[i];
    bool near_end =
        (r + 1 <= end_len && !left) || (r + 1 >= R - end_len && !right);
    if (op == path_op::MATCH || op == path_op::MISMATCH) {
      if (r >= R || c >= L)
        return -1;
      bool same = read[r] == win[c];
      if (same != (op == path_op::MATCH))
        return -1;
      total += same ? 0 : p.s + p.m;
      ++r;
      ++c;
    } else if (op == path_op::INSERTION) {
      if (r >= R)
        return -1;
      ++r;
      bool ext = prev == path_op::INSERTION;
      long x = c == 0 ? p.e : (near_end ? p.s : p.e);
      total += p.m + (ext ? x : p.g);
    } else if (op == path_op::DELETION) {
      if (c >= L)
        return -1;
      ++c;
      bool ext = prev == path_op::DELETION;
      bool row_near = (r <= end_len && !left) || (r >= R - end_len && !right);
      if (r == 0)
        total += left ? (ext ? p.e : p.g) : 0;
      else if (r == R && !right)
        total += 0;
      else
        total += ext ? (row_near ? p.s : p.e) : p.g;
    } else {
      return -1;
    }
    prev = op;
  }
  return r == R && c == L ? total : -1;
}

// Unbanded optimum of the same model, written out plainly.
long best_penalty(const std::string &read, const std::string &win,
                  const pens_t &p, bool left, bool right, int end_len) {
  const long INF = LONG_MAX / 4;
  long R = long(read.size()), L = long(win.size());
  std::vector<std::vector<long>> A(R + 1, std::vector<long>(L + 1, INF)), B = A,
                                                                          C = A;
  A[0][0] = B[0][0] = C[0][0] = 0;
  for (long r = 1; r <= R; ++r)
    B[r][0] = p.m + p.g + (p.m + p.e) * (r - 1);
  for (long c = 1; c <= L; ++c)
    C[0][c] = left ? p.g + (c - 1) * p.e : 0;
  for (long r = 1; r <= R; ++r) {
    bool near = (r <= end_len && !left) || (r >= R - end_len && !right);
    long x = near ? p.s : p.e;
    for (long c = 1; c <= L; ++c) {
      long d = read[r - 1] == win[c - 1] ? 0 : p.s + p.m;
      A[r][c] =
          std::min({A[r - 1][c - 1], B[r - 1][c - 1], C[r - 1][c - 1]}) + d;
      B[r][c] = std::min(A[r - 1][c] + p.g + p.m, B[r - 1][c] + p.m + x);
      if (r == R && !right)
        C[r][c] = std::min(A[r][c - 1], C[r][c - 1]);
      else
        C[r][c] = std::min(A[r][c - 1] + p.g, C[r][c - 1] + x);
    }
  }
  return std::min({A[R][L], B[R][L], C[R][L]});
}

std::string bytes(std::initializer_list<int> v) {
  std::string s;
  for (int x : v)
    s.push_back(char(x));
  return s;
}

int text_align(std::string &path, const std::string &ref,
               const std::string &read, const pens_t &p, bool left, bool right,
               int band, int end_len, uint32_t max_diff = 1u << 30) {
  return ro_affine(path, ref, read, left, right, band, p.m, p.s, p.g, p.e,
                   max_diff, end_len);
}

const pens_t P{1, 3, 4, 1}; // m, s, g, e

} // namespace

TEST(AffineGlobal, ReadEqualToWindowBothAnchored) {
  std::string path;
  EXPECT_EQ(text_align(path, "ACGTTGCA", "ACGTTGCA", P, true, true, 3, 2), 0);
  EXPECT_EQ(path, std::string(8, path_op::MATCH));
}

TEST(AffineGlobal, UnanchoredWindowEndsAreFree) {
  std::string path;
  EXPECT_EQ(text_align(path, "TTTACGTAGG", "ACGTA", P, false, false, 5, 0), 0);
  // End first: two trailing deletions, five matches, three leading ones.
  EXPECT_EQ(path, bytes({2, 2, 0, 0, 0, 0, 0, 2, 2, 2}));
  // Anchoring the left end charges the three leading window bases.
  EXPECT_EQ(text_align(path, "TTTACGTAGG", "ACGTA", P, true, false, 5, 0),
            P.g + 2 * P.e);
  // Anchoring the right end charges the two trailing ones.
  EXPECT_EQ(text_align(path, "TTTACGTAGG", "ACGTA", P, false, true, 5, 0),
            P.g + P.e);
}

TEST(AffineGlobal, TwoBaseGapCosts) {
  std::string path;
  // Two inserted read bases in the middle: 2m + g + e.
  EXPECT_EQ(text_align(path, "ACGTACGTAC", "ACGTATTCGTAC", P, true, true, 4, 0),
            2 * P.m + P.g + P.e);
  // Two deleted window bases: g + e.
  EXPECT_EQ(text_align(path, "ACGTACGTAC", "ACGTGTAC", P, true, true, 4, 0),
            P.g + P.e);
  // With the aligner's values (first base gap open + extension) a gap of L
  // bases costs open + L extension, plus L match for an insertion.
  const int open = 11, ext = 4, m = 2;
  EXPECT_EQ(ro_affine(path, "ACGTACGTAC", "ACGTGTAC", true, true, 4, m, 6,
                      open + ext, ext, 1000, 0),
            open + 2 * ext);
  EXPECT_EQ(ro_affine(path, "ACGTACGTAC", "ACGTATTCGTAC", true, true, 4, m, 6,
                      open + ext, ext, 1000, 0),
            open + 2 * ext + 2 * m);
}

TEST(AffineGlobal, ExtensionNearUnanchoredEndCostsMismatch) {
  const std::string win = "GATTACACCGTAGGCTTAACGGATCCATGAC";
  // Read = win[5..25) with "GG" inserted after its third base.
  std::string read = win.substr(5, 3) + "GG" + win.substr(8, 17);
  const pens_t p{1, 6, 7, 2};
  std::string path;
  int near = text_align(path, win, read, p, false, false, 8, 5);
  int far = text_align(path, win, read, p, false, false, 8, 0);
  EXPECT_EQ(far, 2 * p.m + p.g + p.e);
  EXPECT_EQ(near, 2 * p.m + p.g + p.s);
  // With the left end anchored the rule does not apply there.
  EXPECT_EQ(text_align(path, win, read, p, true, false, 8, 5),
            2 * p.m + p.g + p.e + p.g + 4 * p.e);
}

TEST(AffineGlobal, TiesPreferInsertionAndExtension) {
  std::string path;
  const pens_t p{0, 5, 1, 1};
  // Diagonal against insertion predecessor: the insertion is taken, which
  // puts the inserted A last among the three.
  EXPECT_EQ(text_align(path, "AAC", "AAAC", {1, 3, 4, 1}, true, true, 3, 0), 5);
  EXPECT_EQ(path, bytes({0, 1, 0, 0}));
  // Diagonal predecessor equally cheap as a match and as a deletion: the
  // match, so the window's first A is the deleted one.
  EXPECT_EQ(text_align(path, "AAC", "AC", {1, 3, 4, 1}, true, true, 3, 0), 4);
  EXPECT_EQ(path, bytes({0, 0, 2}));
  // Opening against extending a deletion: extending.
  EXPECT_EQ(text_align(path, "AAG", "A", p, true, true, 3, 0), 2);
  EXPECT_EQ(path, bytes({2, 2, 0}));
  // Opening against extending an insertion: extending.
  EXPECT_EQ(text_align(path, "A", "AAG", p, true, true, 3, 0), 2);
  EXPECT_EQ(path, bytes({1, 1, 0}));
}

TEST(AffineGlobal, CutOffAndBadInput) {
  std::string path = "stale";
  // Every alignment of this read needs mismatches from the first row on.
  EXPECT_EQ(text_align(path, "AAAAAAAA", "CCCC", P, false, false, 4, 0, 3), -1);
  EXPECT_TRUE(path.empty());
  // A band that leaves the end cell outside: no alignment, not garbage.
  path = "stale";
  EXPECT_EQ(text_align(path, "ACGTAC", "ACGT", P, false, false, -1, 0), -1);
  EXPECT_TRUE(path.empty());
  EXPECT_EQ(text_align(path, "ACG", "ACGTAC", P, false, false, 2, 0), -1);
  // Just wide enough: the last inserted base sits on the unanchored end
  // row and extends at the mismatch penalty.
  EXPECT_EQ(text_align(path, "ACG", "ACGTAC", P, false, false, 3, 0),
            3 * P.m + P.g + P.e + P.s);
}

TEST(AffineGlobal, EmptyRead) {
  std::string path;
  EXPECT_EQ(text_align(path, "ACGT", "", P, true, false, 0, 0), P.g + 3 * P.e);
  EXPECT_EQ(path, std::string(4, path_op::DELETION));
  EXPECT_EQ(text_align(path, "ACGT", "", P, false, false, 0, 0), 0);
  EXPECT_EQ(path, std::string(4, path_op::DELETION));
  EXPECT_EQ(text_align(path, "", "", P, true, true, 0, 0), 0);
  EXPECT_TRUE(path.empty());
}

TEST(AffineGlobal, TextComparisonIsExact) {
  std::string path;
  EXPECT_EQ(text_align(path, "acgt", "ACGT", P, true, true, 2, 0),
            4 * (P.s + P.m));
  EXPECT_EQ(path, std::string(4, path_op::MISMATCH));
}

TEST(AffineGlobal, NwPathStartZeroAndNotSetUp) {
  sw_nw nw;
  bit_DNA_t g = pack("ACGTACGTACGT");
  std::string path = "keep";
  uint32_t start = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(nw.nw_path(path, g, start, 0, false, false, 100, 0), 99999999);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "FATAL ERROR[nw_path]: index 0\n");
  EXPECT_EQ(path, "keep");
  start = 1;
  EXPECT_EQ(nw.nw_path(path, g, start, 0, false, false, 100, 0), -1);
  EXPECT_TRUE(nw.setup_read_reference(pack("ACGT"), pack("ACGT"), 8, 4));
  EXPECT_EQ(nw.nw_path(path, g, start, 2, false, false, 100, 0), -1);
  EXPECT_FALSE(nw.setup_read_reference(pack("ACGT"), pack("ACG"), 8, 4));
}

TEST(AffineGlobal, NwPathWindowPastGenomeEnd) {
  // The window hangs 6 bases over the end: the read still aligns to what
  // the genome has, and nothing beyond it is read (sanitizers watch).
  std::string genome = "TTGACCATGCAGTACGGATC";
  std::string read = genome.substr(10);
  bit_DNA_t g = pack(genome);
  sw_nw nw;
  nw.setup_penalties(1, 3, 4, 1, 5, 15, 40, 2);
  ASSERT_TRUE(nw.setup_read_reference(pack(read), pack(read), 16, 6));
  std::string path;
  uint32_t start = 11;
  EXPECT_EQ(nw.nw_path(path, g, start, 0, false, false, 100, 0), 0);
  // Positions past the end are passed over as free trailing deletions only.
  EXPECT_EQ(path.substr(0, 6), std::string(6, path_op::DELETION));
  // Anchored on the right there is nothing to anchor to without a gap.
  int anchored = nw.nw_path(path, g, start, 0, false, true, 100, 0);
  EXPECT_EQ(anchored, P.g + 5 * P.e);
  // A window wholly past the end holds no alignment.
  start = 100;
  EXPECT_EQ(nw.nw_path(path, g, start, 0, false, false, 1000000, 0), -1);
  EXPECT_TRUE(path.empty());
}

TEST(AffineGlobal, RandomPathsAgreeWithPenaltyAndCigar) {
  std::mt19937 rng(7);
  tolve_params_t params;
  for (int iter = 0; iter < 400; ++iter) {
    int len = 1 + int(rng() % 60);
    int extra = int(rng() % 16);
    std::string win = random_dna(rng, size_t(len + extra));
    std::string read = win.substr(rng() % (extra + 1), size_t(len));
    ktest::edit_randomly(rng, read, 4, 3, 4);
    if (read.size() > win.size())
      read.resize(win.size());
    pens_t p{int(rng() % 3), 1 + int(rng() % 6), 1 + int(rng() % 8),
             int(rng() % 3)};
    bool left = rng() & 1, right = rng() & 1;
    int end_len = int(rng() % 4);
    int band = int(win.size()) + 2;
    std::string path;
    int got = text_align(path, win, read, p, left, right, band, end_len);
    SCOPED_TRACE(win + " " + read);
    ASSERT_GE(got, 0);
    EXPECT_EQ(got, best_penalty(read, win, p, left, right, end_len));
    EXPECT_EQ(path_penalty(path, read, win, p, left, right, end_len), got);

    // The packed form and the per-read object agree with the text form.
    std::string path_bit;
    EXPECT_EQ(ro_affine_bit(path_bit, pack(win), pack(read), left, right, band,
                            p.m, p.s, p.g, p.e, 1u << 30, end_len),
              got);
    EXPECT_EQ(path_bit, path);
    sw_nw nw;
    nw.setup_penalties(p.m, p.s, p.g, p.e, 5, 15, 40, 2);
    ASSERT_TRUE(
        nw.setup_read_reference(pack(read), pack(read), int(win.size()), band));
    std::string path_nw;
    uint32_t start = 1;
    EXPECT_EQ(nw.nw_path(path_nw, pack(win), start, 1, left, right, 1u << 30,
                         end_len),
              got);
    EXPECT_EQ(path_nw, path);

    // A cut-off below the result never returns a path; at the result it
    // always does.
    EXPECT_EQ(text_align(path, win, read, p, left, right, band, end_len,
                         uint32_t(got)),
              got);
    if (got > 0) {
      int cut = text_align(path, win, read, p, left, right, band, end_len,
                           uint32_t(got - 1));
      EXPECT_TRUE(cut == -1 || cut == got);
    }

    // The CIGAR consumes exactly the read.
    params.end_gap_dist = int(rng() % 4);
    mm_gap_t mm;
    uint32_t pos = 1;
    std::string cigar = path2cigar(path_nw, pos, -1, mm, &params, false);
    long consumed = 0, n = 0;
    for (char ch : cigar) {
      if (ch >= '0' && ch <= '9') {
        n = n * 10 + (ch - '0');
        continue;
      }
      if (ch == 'M' || ch == 'I')
        consumed += n;
      n = 0;
    }
    EXPECT_EQ(consumed, long(read.size())) << cigar;
  }
}

TEST(AffineGlobal, NarrowBandStaysConsistent) {
  std::mt19937 rng(11);
  for (int iter = 0; iter < 300; ++iter) {
    std::string win = random_dna(rng, 10 + rng() % 30);
    std::string read = random_dna(rng, 1 + rng() % win.size());
    int lo = int(read.size()) - int(win.size());
    int band = std::max(0, lo) + int(rng() % 4);
    bool left = rng() & 1, right = rng() & 1;
    std::string path;
    int got = text_align(path, win, read, P, left, right, band, 1);
    ASSERT_GE(got, 0);
    EXPECT_GE(got, best_penalty(read, win, P, left, right, 1));
    EXPECT_EQ(path_penalty(path, read, win, P, left, right, 1), got);
  }
}

TEST(AffineGlobal, MatrixBound) {
  // 4096 x 4096 cells is the bound itself.
  EXPECT_TRUE(matrix_fits(4095, 4095));
  EXPECT_FALSE(matrix_fits(4096, 4095));
  EXPECT_TRUE(matrix_fits(0, 0));
  // Products past the int range are not wrapped into range.
  EXPECT_FALSE(matrix_fits(100000, 100000));
  EXPECT_FALSE(matrix_fits(2147483647, 2147483647));
  EXPECT_FALSE(matrix_fits(-1, 10));
}
