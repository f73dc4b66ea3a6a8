#include <gtest/gtest.h>

#include <string>

#include "../tiny_index.h"
#include "aligner/search/4_gapped.h"
#include "aligner/setup/chrom_span.h"
#include "aligner/setup/ref_table.h"

namespace {

// Makes g[at] differ from g[from], so that a gap cannot slide.
void differ(std::string &g, size_t at, size_t from) {
  if (g[at] == g[from])
    g[at] = g[from] == 'A' ? 'C' : 'A';
}

// Read with `n` genome bases from `del_at` (0-based) left out.
std::string with_deletion(const std::string &g, size_t from, size_t len,
                          size_t del_at, size_t n) {
  return g.substr(from, del_at - from) +
         g.substr(del_at + n, len - (del_at - from));
}

} // namespace

class GappedPhase : public ::testing::Test {
protected:
  tiny_index_t idx;
  std::string g = random_dna(4000, 7);
  search_run_t run{default_pen()};

  void SetUp() override {
    differ(g, 1039, 1044);
    differ(g, 1045, 1040);
  }
  const align_loc_t &best() { return run.store.main_store[0]; }
};

// Five deleted bases in the middle leave the right half 5 bases off: no
// ungapped placement is within the allowance, the gapped phase finds it.
TEST_F(GappedPhase, DeletionInTheMiddle) {
  idx.build({{"chr1", g}}, 12, 0);
  test_read_t read(with_deletion(g, 1000, 100, 1040, 5), idx);
  run.run(idx, read);
  ASSERT_TRUE(run.found);
  ASSERT_EQ(run.store.get_main_size(), 1);
  EXPECT_EQ(best().cigar, "40M5D60M");
  EXPECT_EQ(best().loc, 1001u);
  EXPECT_EQ(best().penalty, 50);
  EXPECT_TRUE(best().direction);
  EXPECT_EQ(best().mm_gap.num_gap_open, 1);
  EXPECT_EQ(best().mm_gap.num_gap_ext, 4);
  // The two halves propose 1001 and 1006: two windows screened.
  EXPECT_EQ(run.s.num_sw, 2);
  EXPECT_EQ(run.pen.min_diff_found[0], 50);
}

TEST_F(GappedPhase, InsertionOnTheReverseStrand) {
  std::string ins = "GATTACA";
  idx.build({{"chr1", g}}, 12, 0);
  const std::string fwd = g.substr(2000, 45) + ins + g.substr(2045, 48);
  test_read_t read(compleseq(fwd), idx);
  run.run(idx, read);
  ASSERT_TRUE(run.found);
  ASSERT_GE(run.store.get_main_size(), 1);
  EXPECT_FALSE(best().direction);
  EXPECT_EQ(best().loc, 2001u);
  EXPECT_NE(best().cigar.find("7I"), std::string::npos);
  EXPECT_EQ(best().mm_gap.num_gap_open, 1);
  EXPECT_EQ(best().mm_gap.num_gap_ext, 6);
}

TEST_F(GappedPhase, UngappedOptionLeavesItUnmapped) {
  idx.build({{"chr1", g}}, 12, 0);
  idx.p.ungapped = true;
  test_read_t read(with_deletion(g, 1000, 100, 1040, 5), idx);
  run.run(idx, read);
  EXPECT_FALSE(run.found);
  EXPECT_EQ(run.store.get_main_size(), 0);
  EXPECT_EQ(run.s.num_sw, 0);
}

TEST_F(GappedPhase, ReadFoundUngappedNeverEntersIt) {
  idx.build({{"chr1", g}}, 12, 0);
  std::string text = g.substr(3000, 100);
  text[50] = text[50] == 'A' ? 'C' : 'A';
  test_read_t read(text, idx);
  run.run(idx, read);
  ASSERT_TRUE(run.found);
  EXPECT_EQ(run.s.num_sw, 0);
  EXPECT_FALSE(needs_gapped_phase(&idx.p, run.s, run.found, run.too_short));
}

// The count is per search: the worker collects and resets it.
TEST_F(GappedPhase, ScreeningCallsAddUpOverReads) {
  idx.build({{"chr1", g}}, 12, 0);
  test_read_t a(with_deletion(g, 1000, 100, 1040, 5), idx);
  run.run(idx, a);
  const int64_t one = run.s.num_sw;
  run.run(idx, a);
  EXPECT_EQ(run.s.num_sw, 2 * one);
}

// Near the genome's start and end the windows hang over the ends.
TEST_F(GappedPhase, DeletionsAtBothGenomeEnds) {
  differ(g, 29, 33);
  differ(g, 34, 30);
  differ(g, 3949, 3953);
  differ(g, 3954, 3950);
  idx.build({{"chr1", g}}, 12, 0);
  test_read_t head(with_deletion(g, 0, 100, 30, 4), idx);
  run.run(idx, head);
  ASSERT_TRUE(run.found);
  EXPECT_EQ(best().loc, 1u);
  EXPECT_EQ(best().cigar, "30M4D70M");

  test_read_t tail(with_deletion(g, 3900, 96, 3950, 4), idx);
  run.run(idx, tail);
  ASSERT_TRUE(run.found);
  EXPECT_EQ(best().loc, 3901u);
  EXPECT_EQ(best().cigar, "50M4D46M");
}

// Net insertions near the genome's start: the window there has no leading
// bases to spare, and the read must still be able to run ahead of it.
TEST_F(GappedPhase, InsertionsAtGenomeStart) {
  idx.build({{"chr1", g}}, 12, 0);
  test_read_t first(g.substr(0, 52) + "TTGA" + g.substr(52, 94), idx);
  run.run(idx, first);
  ASSERT_TRUE(run.found);
  EXPECT_EQ(best().loc, 1u);
  EXPECT_EQ(best().cigar, "52M4I94M");

  test_read_t two(g.substr(4, 52) + "TTGA" + g.substr(56, 54) + "CCAT" +
                      g.substr(110, 36),
                  idx);
  run.run(idx, two);
  ASSERT_TRUE(run.found);
  EXPECT_EQ(best().loc, 5u);
  EXPECT_EQ(best().cigar, "52M4I54M4I36M");
}

// A read from base 3 with 8 bases inserted after its 10th: no k-mer fits
// before the insertion, and each one after it implies a start before the
// genome (-5, and -8 past the second insertion). Each of those starts is
// screened once, from base 1.
TEST_F(GappedPhase, InsertionsBeforeEveryKmerAtGenomeStart) {
  idx.build({{"chr1", g}}, 12, 0);
  const std::string fwd = g.substr(2, 10) + "TTTTGGGG" + g.substr(12, 40) +
                          "CCA" + g.substr(52, 39);
  for (const std::string &seq : {fwd, compleseq(fwd)}) {
    test_read_t read(seq, idx);
    run.s.num_sw = 0;
    run.run(idx, read);
    ASSERT_TRUE(run.found);
    ASSERT_EQ(run.store.get_main_size(), 1);
    EXPECT_EQ(best().direction, seq == fwd);
    EXPECT_EQ(best().loc, 3u);
    EXPECT_EQ(best().cigar, "10M8I40M3I39M");
    EXPECT_EQ(run.s.num_sw, 2);
  }
}

// A read made of the end of one sequence and the start of the next, with
// a deletion: no alignment may run across the sequence end.
// The read runs from chr1's end into chr2 with one deletion; a copy inside
// chr1 needs two deletions. Only the copy may be stored, although the
// placement across the sequence end would be cheaper.
TEST(GappedChromosomes, NoAlignmentAcrossSequenceEnd) {
  tiny_index_t idx;
  std::string c1 = random_dna(1500, 41);
  const std::string c2 = random_dna(1500, 42);
  const std::string text =
      c1.substr(1440, 30) + c1.substr(1475) + c2.substr(0, 45);
  const std::string copy = text.substr(0, 30) + "ACGTA" + text.substr(30, 40) +
                           "GT" + text.substr(70);
  c1.replace(300, copy.size(), copy);
  idx.build({{"chr1", c1}, {"chr2", c2}}, 12, 0);
  search_run_t run(default_pen());
  test_read_t read(text, idx);
  run.run(idx, read);
  ASSERT_TRUE(run.found);
  ASSERT_GT(run.store.get_main_size(), 0);
  for (const align_loc_t &a : run.store.main_store)
    EXPECT_TRUE(
        span_in_one_chrom(&idx.p, a.loc, int64_t(cigar_ref_span(a.cigar))))
        << a.loc << a.cigar;
  EXPECT_EQ(run.store.main_store[0].loc, 301u);
  EXPECT_GT(run.s.num_sw, 0);
}

// The right half of the read lies in three copies: with MAX_NUM_HASH 2
// seeding gives its k-mers up, the gapped limits take them.
TEST(GappedLimits, KmerTooFrequentForSeedingTakenHere) {
  std::string g = random_dna(6000, 9);
  differ(g, 1039, 1044);
  differ(g, 1045, 1040);
  const std::string right = g.substr(1045, 60);
  g.replace(3000, 60, right);
  g.replace(4500, 60, right);
  const std::string text = with_deletion(g, 1000, 100, 1040, 5);
  for (int p2 : {1000, 2}) {
    tiny_index_t idx;
    idx.build({{"chr1", g}}, 12, 0);
    idx.p.MAX_NUM_HASH = 2;
    idx.p.PHASE_2_LENGTH_SW = p2;
    search_run_t run(default_pen());
    test_read_t read(text, idx);
    run.run(idx, read);
    ASSERT_TRUE(run.found) << p2;
    EXPECT_EQ(run.store.main_store[0].cigar, "40M5D60M");
    // 1001 from the left half; 1006, 2961 and 4461 from the right half
    // when its k-mers are taken.
    EXPECT_EQ(run.s.num_sw, p2 == 1000 ? 4 : 1) << p2;
  }
}

// Only k-mers that seeding looked up are walked again.
TEST_F(GappedPhase, KmerNeverLookedUpInSeedingNotUsed) {
  idx.build({{"chr1", g}}, 12, 0);
  test_read_t read(with_deletion(g, 1000, 100, 1040, 5), idx);
  for (bool forget : {true, false}) {
    idx.p.ungapped = true;
    run.run(idx, read);
    ASSERT_FALSE(run.found);
    ASSERT_FALSE(needs_gapped_phase(&idx.p, run.s, false, false));
    idx.p.ungapped = false;
    if (forget)
      for (auto &ks : run.s.kmers)
        for (kmer_idx_t4 &k : ks)
          k.idx_length = kmer_len::NOT_LOOKED_UP;
    run.s.num_sw = 0;
    gapped_phase(&idx.p, 0, read.in, run.pen, run.store, run.gen, run.s,
                 run.found, false);
    EXPECT_EQ(run.found, !forget);
    EXPECT_EQ(run.s.num_sw, forget ? 0 : 2);
  }
}

TEST(GappedWindows, SizesFollowTheExtensionAllowance) {
  pen_tester pen = default_pen();
  pen.set_length(100, 0); // one gap opening, 50 extension bases
  gapped_windows_t w = gapped_window_sizes(pen, 0, 100);
  EXPECT_EQ(w.extra, 55);
  EXPECT_EQ(w.db_len, 100 + 10 + 2 * 50);
  EXPECT_EQ(w.nw_len, 100 + 10 + 2 * 55);
  pen_tester wide(0.05f, -1, 0.005f, 100000, 10000, 5, 15, 40, 2);
  wide.set_length(100, 0);
  w = gapped_window_sizes(wide, 0, 100);
  EXPECT_EQ(w.extra, MAX_EXTRA_REACH + 5);
}

// The aligner's matrix has a fixed bound: under the default allowances a
// read of 3,324 bases still fits it (17 gap openings, reach 850) and has
// its deletion placed; one base more and the read keeps only what the
// ungapped search found: nothing is screened or set up.
TEST(GappedLimits, ReadPastTheMatrixBoundSkipsThePhase) {
  tiny_index_t idx;
  std::string g = random_dna(6000, 13);
  differ(g, 2039, 2044);
  differ(g, 2045, 2040);
  idx.build({{"chr1", g}}, 12, 0);
  for (int len : {3324, 3325}) {
    search_run_t run(default_pen());
    test_read_t read(with_deletion(g, 1000, size_t(len), 2040, 5), idx);
    run.run(idx, read);
    SCOPED_TRACE(len);
    const gapped_windows_t w = gapped_window_sizes(run.pen, 0, len);
    EXPECT_EQ(matrix_fits(len, w.nw_len), len == 3324);
    if (len == 3325) {
      EXPECT_FALSE(run.found);
      EXPECT_EQ(run.store.get_main_size(), 0);
      EXPECT_EQ(run.s.num_sw, 0);
      EXPECT_EQ(run.s.nw.ref_len, 0);
      EXPECT_EQ(run.s.vsw.dblen, 0);
      continue;
    }
    ASSERT_TRUE(run.found);
    EXPECT_EQ(run.store.main_store[0].loc, 1001u);
    EXPECT_EQ(run.store.main_store[0].cigar, "1040M5D2284M");
  }
}
