#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "kernel_test_util.h"
#include "kernels/single_indel.h"

using ktest::other_base;
using ktest::pack;

namespace {

// Genome base at 1-based pos; past the end a packed genome has nothing, and
// the kernels read that as code 0.
char gbase(const std::string &g, int64_t pos) {
  return pos >= 1 && pos <= int64_t(g.size()) ? g[pos - 1] : 'A';
}

struct outs_t {
  int l1, l2, r1, r2;
};

outs_t naive_extend(const std::string &g, const std::string &read,
                    uint32_t start, uint32_t end) {
  int n = int(read.size());
  outs_t o{0, 0, n, n};
  if (start == 0 || (start - 1) / 4 >= (g.size() + 3) / 4)
    return o;
  int found = 0;
  for (int i = 1; i <= n && found < 2; ++i)
    if (read[i - 1] != gbase(g, int64_t(start) + i - 1))
      (found++ ? o.l2 : o.l1) = i;
  found = 0;
  if (end >= uint32_t(n))
    for (int i = n; i >= 1 && found < 2; --i)
      if (read[i - 1] != gbase(g, int64_t(end) - n + i))
        (found++ ? o.r2 : o.r1) = i;
  return o;
}

outs_t packed_extend(const bit_DNA_t &g, const bit_DNA_t &read, uint32_t start,
                     uint32_t end) {
  outs_t o{-7, -7, -7, -7};
  g.extend_one_del(o.l1, o.l2, o.r1, o.r2, read, start, end);
  return o;
}

void expect_same(const outs_t &a, const outs_t &b, const std::string &what) {
  EXPECT_EQ(a.l1, b.l1) << what;
  EXPECT_EQ(a.l2, b.l2) << what;
  EXPECT_EQ(a.r1, b.r1) << what;
  EXPECT_EQ(a.r2, b.r2) << what;
}

const int M = 0, MM = 6, GAP = 11 + 4, EXT = 4; // gap open 11, extension 4

} // namespace

TEST(ExtendOneDel, EveryOffsetAndLengthMatchesBaseByBaseScan) {
  std::mt19937 rng(7);
  for (int glen : {100, 103}) { // whole last byte, partial last byte
    std::string gtext = ktest::random_dna(rng, glen);
    bit_DNA_t genome = pack(gtext);
    for (int n : {1, 2, 3, 4, 5, 7, 8, 9, 31, 32, 33, 36, 63, 64, 65, 70}) {
      for (uint32_t start = 1; start <= gtext.size() + 6; ++start) {
        for (int variant = 0; variant < 3; ++variant) {
          std::string read;
          if (variant == 0) {
            read = ktest::random_dna(rng, n);
          } else {
            // Mostly the genome itself, so the second mismatch lies far in.
            for (int i = 0; i < n; ++i)
              read += gbase(gtext, int64_t(start) + i);
            for (int k = 0; k < variant; ++k) {
              size_t at = rng() % n;
              read[at] = other_base(read[at], rng());
            }
          }
          bit_DNA_t r = pack(read);
          for (int gap : {-3, -1, 1, 2, 5}) {
            int64_t end = int64_t(start) + gap + n - 1;
            if (end < 0)
              continue;
            std::string what = "n=" + std::to_string(n) +
                               " start=" + std::to_string(start) +
                               " end=" + std::to_string(end);
            expect_same(packed_extend(genome, r, start, uint32_t(end)),
                        naive_extend(gtext, read, start, uint32_t(end)), what);
          }
        }
      }
    }
  }
}

TEST(ExtendOneDel, StartBeyondGenomeDataOrZeroReturnsAbsent) {
  bit_DNA_t genome = pack("ACGTACGTAC"); // 3 bytes
  bit_DNA_t read = pack("TTTTT");
  outs_t o = packed_extend(genome, read, 13, 20);
  EXPECT_EQ(o.l1, 0);
  EXPECT_EQ(o.l2, 0);
  EXPECT_EQ(o.r1, 5);
  EXPECT_EQ(o.r2, 5);
  o = packed_extend(genome, read, 0, 5);
  EXPECT_EQ(o.l1, 0);
  EXPECT_EQ(o.r1, 5);
  // Position 11 is still inside the last byte: scanned, tail bases absent.
  o = packed_extend(genome, read, 11, 15);
  EXPECT_EQ(o.l1, 1);
  EXPECT_EQ(o.l2, 2);
}

namespace {

// Builds genome text with a chosen stretch, for the hand-made cases below.
struct indel_case_t {
  std::string genome;
  std::string read;
  uint32_t start;
};

// Read = genome[L..L+29] + genome[L+32..L+51]: 2 reference bases deleted
// after read base 30; left placement first differs at 31, right placement
// first differs (from the top) at 30.
indel_case_t deletion_case() {
  std::mt19937 rng(11);
  std::string g = ktest::random_dna(rng, 120);
  const int L = 20; // 0-based index of genome position 21
  g[L + 32] = other_base(g[L + 30]);
  g[L + 31] = other_base(g[L + 29]);
  std::string read = g.substr(L, 30) + g.substr(L + 32, 20);
  return {g, read, uint32_t(L + 1)};
}

// Read = genome[L..L+29] + XY + genome[L+30..L+47]: 2 read bases inserted.
indel_case_t insertion_case() {
  std::mt19937 rng(12);
  std::string g = ktest::random_dna(rng, 120);
  const int L = 20;
  char x = other_base(g[L + 30]);
  char y = other_base(g[L + 29]);
  std::string read = g.substr(L, 30) + x + y + g.substr(L + 30, 18);
  return {g, read, uint32_t(L + 1)};
}

} // namespace

TEST(OrderedAlign, DeletionOfTwoPlacedAtFirstLeftMismatch) {
  indel_case_t c = deletion_case();
  bit_DNA_t g = pack(c.genome), r = pack(c.read);
  outs_t o = packed_extend(g, r, c.start, c.start + 2 + 49);
  EXPECT_EQ(o.l1, 31);
  EXPECT_LE(o.r1, 30);
  std::string cigar = "unchanged";
  mm_gap_t mg;
  mg.len_gap_edge = 99;
  int p = ordered_align(r, g, c.start, c.start + 2 + 49, 2, cigar, mg, 1000, M,
                        MM, GAP, EXT);
  EXPECT_EQ(p, GAP + EXT);
  EXPECT_EQ(cigar, "30M2D20M");
  EXPECT_EQ(mg.num_mm, 0);
  EXPECT_EQ(mg.num_gap_open, 1);
  EXPECT_EQ(mg.num_gap_ext, 1);
  EXPECT_EQ(mg.len_gap_edge, 99); // not touched
}

TEST(OrderedAlign, InsertionOfTwoReadBases) {
  indel_case_t c = insertion_case();
  bit_DNA_t g = pack(c.genome), r = pack(c.read);
  std::string cigar;
  mm_gap_t mg;
  const int m_score = 2;
  int p = ordered_align(r, g, c.start, c.start - 2 + 49, -2, cigar, mg, 1000,
                        m_score, MM, GAP, EXT);
  EXPECT_EQ(p, GAP + EXT + 2 * m_score);
  EXPECT_EQ(cigar, "30M2I18M");
  EXPECT_EQ(mg.num_mm, 0);
  EXPECT_EQ(mg.num_gap_ext, 1);
}

TEST(OrderedAlign, MismatchesAddTheirCostAndAreCounted) {
  indel_case_t c = deletion_case();
  std::string read = c.read;
  read[9] = other_base(read[9]); // read base 10, left piece
  bit_DNA_t g = pack(c.genome);
  std::string cigar;
  mm_gap_t mg;
  int p = ordered_align(pack(read), g, c.start, c.start + 51, 2, cigar, mg,
                        1000, 1, MM, GAP, EXT);
  EXPECT_EQ(p, GAP + EXT + (1 + MM));
  EXPECT_EQ(mg.num_mm, 1);
  read[44] = other_base(read[44]); // read base 45, right piece
  p = ordered_align(pack(read), g, c.start, c.start + 51, 2, cigar, mg, 1000, 1,
                    MM, GAP, EXT);
  EXPECT_EQ(p, GAP + EXT + 2 * (1 + MM));
  EXPECT_EQ(mg.num_mm, 2);
  EXPECT_EQ(cigar, "30M2D20M");
  // The same alignment over the allowance is refused; cigar is kept.
  cigar = "keep";
  EXPECT_EQ(ordered_align(pack(read), g, c.start, c.start + 51, 2, cigar, mg,
                          GAP + EXT + 2 * (1 + MM) - 1, 1, MM, GAP, EXT),
            -1);
  EXPECT_EQ(cigar, "keep");
}

TEST(OrderedAlign, ThreeMismatchesNeededFails) {
  indel_case_t c = deletion_case();
  std::string read = c.read;
  for (int at : {4, 9, 44})
    read[at] = other_base(read[at]);
  std::string cigar = "keep";
  mm_gap_t mg;
  EXPECT_EQ(ordered_align(pack(read), pack(c.genome), c.start, c.start + 51, 2,
                          cigar, mg, 1000, 0, MM, GAP, EXT),
            -1);
  EXPECT_EQ(cigar, "keep");
}

TEST(OrderedAlign, ReadMatchingRightPlacementEntirelyFails) {
  std::mt19937 rng(3);
  std::string g = ktest::random_dna(rng, 100);
  std::string read = g.substr(30, 40); // right placement at 31..70
  bit_DNA_t gp = pack(g), rp = pack(read);
  outs_t o = packed_extend(gp, rp, 28, 70);
  EXPECT_EQ(o.r1, 40);
  EXPECT_EQ(o.r2, 40);
  std::string cigar;
  mm_gap_t mg;
  EXPECT_EQ(ordered_align(rp, gp, 28, 70, 3, cigar, mg, 1000, 0, MM, GAP, EXT),
            -1);
}

TEST(OrderedAlign, RightPieceOfOneBaseFails) {
  std::mt19937 rng(5);
  std::string g = ktest::random_dna(rng, 100);
  const int L = 10;
  g[L + 51] = other_base(g[L + 49]);
  g[L + 50] = other_base(g[L + 48]);
  std::string read = g.substr(L, 49) + g[L + 51]; // deletion before last base
  bit_DNA_t gp = pack(g), rp = pack(read);
  outs_t o = packed_extend(gp, rp, L + 1, L + 52);
  EXPECT_EQ(o.l1, 50);
  EXPECT_EQ(o.r1, 49);
  std::string cigar;
  mm_gap_t mg;
  EXPECT_EQ(
      ordered_align(rp, gp, L + 1, L + 52, 2, cigar, mg, 1000, 0, MM, GAP, EXT),
      -1);
}

TEST(OrderedAlign, RefusesReadsLongerThanEndAndSpansPastTheGenome) {
  indel_case_t c = deletion_case();
  bit_DNA_t g = pack(c.genome), r = pack(c.read);
  std::string cigar;
  mm_gap_t mg{7, 7, 7, 7};
  EXPECT_EQ(ordered_align(r, g, 1, 49, 2, cigar, mg, 1000, 0, MM, GAP, EXT),
            -1);
  EXPECT_EQ(mg.num_mm, 7); // nothing changed
  // Same read, right placement ending past the last genome base.
  uint32_t glen = uint32_t(c.genome.size());
  EXPECT_EQ(ordered_align(r, g, glen - 49, glen + 2, 2, cigar, mg, 1000, 0, MM,
                          GAP, EXT),
            -1);
  EXPECT_EQ(ordered_align(r, g, 0, 51, 2, cigar, mg, 1000, 0, MM, GAP, EXT),
            -1);
}

namespace {

struct reference_t {
  int result;
  std::string cigar;
  int num_mm;
};

// The decision of the single-indel aligner written out base by base: the
// split sits at the first or second left mismatch, one mismatch per piece
// at most, fewest mismatches first and a left-piece one before a right one.
reference_t reference_align(const std::string &g, const std::string &read,
                            uint32_t start, uint32_t end, int gap, int max_gap,
                            int m, int mm, int gp, int ep) {
  int64_t n = read.size();
  if (n > end || end > g.size())
    return {-1, "", 0};
  outs_t o = naive_extend(g, read, start, end);
  bool del = gap > 0;
  int64_t G = del ? gap : -gap;
  int64_t T = del ? -1 : G - 1;
  int64_t s;
  int k;
  if (o.r1 - o.l1 <= T)
    s = o.l1, k = 0;
  else if (o.r1 - o.l2 <= T)
    s = o.l2, k = 1;
  else if (o.r2 - o.l1 <= T)
    s = o.l1, k = 1;
  else if (o.r2 - o.l2 <= T)
    s = o.l2, k = 2;
  else
    return {-1, "", 0};
  int64_t P = gp + (G - 1) * ep + (del ? 0 : G * m) + k * (m + mm);
  int64_t right = del ? n - s + 1 : n - G - s + 1;
  if (P > max_gap || s < 2 || right < 2)
    return {-1, "", 0};
  return {int(P),
          std::to_string(s - 1) + "M" + std::to_string(G) + (del ? "D" : "I") +
              std::to_string(right) + "M",
          k};
}

// Mismatches of the two pieces for split s (read base s starts the right
// piece, or the inserted bases).
int split_mismatches(const std::string &g, const std::string &read,
                     uint32_t start, int gap, int s) {
  int n = int(read.size());
  int count = 0;
  for (int i = 1; i < s; ++i)
    count += read[i - 1] != gbase(g, int64_t(start) + i - 1);
  int first_right = gap > 0 ? s : s - gap;
  for (int i = first_right; i <= n; ++i)
    count += read[i - 1] != gbase(g, int64_t(start) + gap + i - 1);
  return count;
}

} // namespace

TEST(OrderedAlign, AgreesWithBaseByBaseSearchOnRandomReads) {
  std::mt19937 rng(2024);
  const int glen = 90;
  int found = 0, trials = 4000;
  for (int t = 0; t < trials; ++t) {
    std::string g = ktest::random_dna(rng, glen);
    int n = 6 + int(rng() % 40);
    int G = 1 + int(rng() % 4);
    int gap = (rng() & 1) ? G : -G;
    int64_t lo = std::max<int64_t>(1, 1 - gap);
    int64_t hi = glen - n + 1 - std::max(gap, 0) + 2; // a few past the end
    if (hi < lo)
      continue;
    uint32_t start = uint32_t(lo + rng() % (hi - lo + 1));
    uint32_t end = uint32_t(int64_t(start) + gap + n - 1);
    std::string read;
    if (rng() % 4) {
      int s0 = 2 + int(rng() % (n - 2));
      for (int i = 1; i <= n; ++i) {
        bool left = i < s0;
        bool inserted = gap < 0 && i >= s0 && i < s0 + G;
        int64_t pos = int64_t(start) + (left ? 0 : gap) + i - 1;
        read += inserted ? ktest::random_dna(rng, 1)[0] : gbase(g, pos);
      }
      int k = int(rng() % 4);
      for (int i = 0; i < k; ++i) {
        size_t at = rng() % n;
        read[at] = other_base(read[at], rng());
      }
    } else {
      read = ktest::random_dna(rng, n);
    }
    int max_gap = (rng() % 5) ? 1000 : int(rng() % 60);
    const int m = int(rng() % 3), mm = 4;
    std::string cigar = "none";
    mm_gap_t mg;
    int p = ordered_align(pack(read), pack(g), start, end, gap, cigar, mg,
                          max_gap, m, mm, GAP, EXT);
    reference_t want =
        reference_align(g, read, start, end, gap, max_gap, m, mm, GAP, EXT);
    ASSERT_EQ(p, want.result) << read << " at " << start << " gap " << gap;
    if (p < 0) {
      EXPECT_EQ(cigar, "none");
      continue;
    }
    ++found;
    EXPECT_EQ(cigar, want.cigar);
    EXPECT_EQ(mg.num_mm, want.num_mm);
    EXPECT_EQ(mg.num_gap_ext, G - 1);
    // The reported split really has num_mm mismatches, and no split of this
    // gap has fewer.
    int s = std::stoi(cigar) + 1;
    EXPECT_EQ(split_mismatches(g, read, start, gap, s), mg.num_mm);
    int right_min = gap > 0 ? 2 : 2 + G;
    for (int s2 = 2; s2 <= n - right_min + 1; ++s2)
      EXPECT_GE(split_mismatches(g, read, start, gap, s2), mg.num_mm);
    EXPECT_LE(int64_t(start) + n - 1 + (gap > 0 ? gap : 0) - (gap < 0 ? G : 0),
              glen);
  }
  EXPECT_GT(found, trials / 5);
}

TEST(MmAlignBit, LastPositionWithFewestMismatchesWins) {
  std::mt19937 rng(99);
  std::string g = ktest::random_dna(rng, 60);
  std::string read = ktest::random_dna(rng, 8);
  for (int at : {10, 20}) {
    std::string copy = read;
    copy[at == 10 ? 3 : 6] = other_base(copy[at == 10 ? 3 : 6]);
    g.replace(at - 1, 8, copy);
  }
  auto count_at = [&](int pos) {
    int c = 0;
    for (int i = 0; i < 8; ++i)
      c += read[i] != g[pos - 1 + i];
    return c;
  };
  for (int pos = 1; pos <= 52; ++pos)
    ASSERT_EQ(count_at(pos) <= 1, pos == 10 || pos == 20) << pos;

  bit_DNA_t gp = pack(g), rp = pack(read);
  uint32_t loc = 1;
  EXPECT_EQ(mm_align_bit(rp, gp, loc, 40, 8), 1);
  EXPECT_EQ(loc, 20u);
  loc = 1;
  EXPECT_EQ(mm_align_bit(rp, gp, loc, 15, 8), 1);
  EXPECT_EQ(loc, 10u);
  loc = 5;
  EXPECT_EQ(mm_align_bit(rp, gp, loc, 40, 0), -1);
  EXPECT_EQ(loc, 5u);
  loc = 21;
  EXPECT_EQ(mm_align_bit(rp, gp, loc, 40, -1), -1);
  EXPECT_EQ(loc, 21u);
}

TEST(MmAlignBit, EndIsKeptInsideTheGenome) {
  std::mt19937 rng(4);
  std::string g = ktest::random_dna(rng, 41);
  std::string read = g.substr(41 - 9 - 1, 9); // at position glen - n
  bit_DNA_t gp = pack(g), rp = pack(read);
  uint32_t loc = 1;
  EXPECT_EQ(mm_align_bit(rp, gp, loc, 1000000, 9), 0);
  EXPECT_EQ(loc, 41u - 9u);
  // A read longer than the genome has no position at all.
  bit_DNA_t longer = pack(ktest::random_dna(rng, 50));
  loc = 1;
  EXPECT_EQ(mm_align_bit(longer, gp, loc, 100, 50), -1);
  EXPECT_EQ(loc, 1u);
}
