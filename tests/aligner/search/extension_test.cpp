#include <gtest/gtest.h>

#include <memory>

#include "../tiny_index.h"
#include "aligner/search/3_extension.h"

namespace {

// Makes genome base `at` differ from base `from` (fixes where an indel is
// placed when the bases on both sides would otherwise be equal).
void differ(std::string &g, size_t at, size_t from) {
  if (g[at] == g[from])
    g[at] = g[from] == 'A' ? 'C' : 'A';
}

} // namespace

class ExtensionSearch : public ::testing::Test {
protected:
  tiny_index_t idx;
  std::string g = random_dna(3000, 5);
};

// Every k-mer of an exact read proposes the same start, which is scored
// once; a perfect match leaves nothing for the single-indel step.
TEST_F(ExtensionSearch, ExactReadScoredOnceAtPenaltyZero) {
  idx.build({{"chr1", g}}, 12, 0);
  search_run_t run(default_pen());
  test_read_t read(g.substr(1000, 100), idx);
  run.run(idx, read);
  ASSERT_TRUE(run.found);
  EXPECT_GE(run.s.taken[0].size(), 2u);
  ASSERT_EQ(run.s.cands[0].size(), 1u);
  EXPECT_EQ(run.s.cands[0][0].loc, 1001u);
  EXPECT_EQ(run.pen.min_diff_found[0], 0);
  ASSERT_EQ(run.store.get_main_size(), 1);
  const align_loc_t &a = run.store.main_store[0];
  EXPECT_EQ(a.penalty, 0);
  EXPECT_EQ(a.loc, 1001u);
  EXPECT_TRUE(a.direction);
  EXPECT_EQ(a.cigar, "100M");
  EXPECT_EQ(a.mm_gap.num_mm, 0);
  EXPECT_EQ(run.s.best_edit.num_mm, 0);
}

TEST_F(ExtensionSearch, ReverseStrandReadInEveryMode) {
  for (int mode = 0; mode <= 4; ++mode) {
    tiny_index_t one;
    one.build({{"chr1", g}}, 12, mode);
    search_run_t run(default_pen());
    test_read_t read(compleseq(g.substr(2000, 100)), one);
    run.run(one, read);
    ASSERT_TRUE(run.found) << "mode " << mode;
    ASSERT_EQ(run.store.get_main_size(), 1) << "mode " << mode;
    EXPECT_EQ(run.store.main_store[0].loc, 2001u);
    EXPECT_FALSE(run.store.main_store[0].direction);
  }
}

TEST_F(ExtensionSearch, MismatchesCountedAndBestEditKept) {
  idx.build({{"chr1", g}}, 12, 0);
  std::string text = g.substr(1000, 100);
  for (int at : {30, 60, 90})
    text[at] = text[at] == 'A' ? 'C' : 'A';
  search_run_t run(default_pen());
  test_read_t read(text, idx);
  run.run(idx, read);
  ASSERT_TRUE(run.found);
  ASSERT_EQ(run.store.get_main_size(), 1);
  EXPECT_EQ(run.store.main_store[0].penalty, 60);
  EXPECT_EQ(run.store.main_store[0].mm_gap.num_mm, 3);
  EXPECT_EQ(run.s.best_edit.num_mm, 3);
  EXPECT_EQ(run.pen.min_diff_found[0], 60);
}

// With no mismatch penalty the bound one mismatch above the allowance
// admits one mismatch too many: stored, but not found.
TEST_F(ExtensionSearch, OverAllowanceAlignmentStoredButNotFound) {
  idx.build({{"chr1", g}}, 12, 0);
  std::string text = g.substr(1000, 100);
  for (int at : {30, 60, 90})
    text[at] = text[at] == 'A' ? 'C' : 'A';
  search_run_t run(pen_tester(0.05f, 2, 0.005f, -1, 50, 5, 0, 40, 2));
  test_read_t read(text, idx);
  run.run(idx, read);
  EXPECT_FALSE(run.found);
  ASSERT_EQ(run.store.get_main_size(), 1);
  EXPECT_EQ(run.store.main_store[0].penalty, 15);
  EXPECT_EQ(run.store.main_store[0].mm_gap.num_mm, 3);
}

// The left piece sits at 501, the right piece (after two deleted reference
// bases) proposes 503; only 503 is within the allowance without a gap.
TEST_F(ExtensionSearch, DeletionFoundBySingleIndelStep) {
  differ(g, 522, 520);
  idx.build({{"chr1", g}}, 12, 0);
  search_run_t run(default_pen(30));
  test_read_t read(g.substr(500, 20) + g.substr(522, 80), idx);
  run.run(idx, read);
  ASSERT_TRUE(run.found);
  ASSERT_EQ(run.store.get_main_size(), 1);
  const align_loc_t &a = run.store.main_store[0];
  EXPECT_EQ(a.loc, 501u);
  EXPECT_EQ(a.cigar, "20M2D80M");
  EXPECT_EQ(a.penalty, 44);
  EXPECT_EQ(a.mm_gap.num_gap_open, 1);
  EXPECT_EQ(a.mm_gap.num_gap_ext, 1);
  ASSERT_EQ(run.store.get_sec_size(), 1);
  EXPECT_EQ(run.store.sec_store[0].loc, 503u);
  EXPECT_EQ(run.pen.min_diff_found[0], 44);
}

TEST_F(ExtensionSearch, InsertionFoundBySingleIndelStep) {
  if (g[520] == 'G')
    g[520] = 'A';
  idx.build({{"chr1", g}}, 12, 0);
  search_run_t run(default_pen(30));
  test_read_t read(g.substr(500, 20) + "GT" + g.substr(520, 78), idx);
  run.run(idx, read);
  ASSERT_TRUE(run.found);
  ASSERT_EQ(run.store.get_main_size(), 1);
  const align_loc_t &a = run.store.main_store[0];
  EXPECT_EQ(a.loc, 501u);
  EXPECT_EQ(a.cigar, "20M2I78M");
  EXPECT_EQ(a.penalty, 54);
  ASSERT_EQ(run.store.get_sec_size(), 1);
  EXPECT_EQ(run.store.sec_store[0].loc, 499u);
}

// The read runs from the end of chr1 into chr2: an exact match in the
// concatenated genome, but no alignment may cross a sequence end.
TEST(ExtensionChromosomes, CandidateCrossingASequenceEndIsRejected) {
  tiny_index_t idx;
  const std::string c1 = random_dna(1000, 31), c2 = random_dna(1000, 32);
  idx.build({{"chr1", c1}, {"chr2", c2}}, 12, 0);
  search_run_t run(default_pen());

  test_read_t across(c1.substr(940) + c2.substr(0, 40), idx);
  run.run(idx, across);
  EXPECT_FALSE(run.found);
  EXPECT_EQ(run.store.get_main_size(), 0);
  EXPECT_FALSE(run.s.cands[0].empty()); // it was proposed, then refused

  test_read_t past_end(c2.substr(960) + random_dna(60, 33), idx);
  run.run(idx, past_end);
  EXPECT_EQ(run.store.get_main_size(), 0);

  test_read_t last(c2.substr(900), idx); // ends on the genome's last base
  run.run(idx, last);
  ASSERT_EQ(run.store.get_main_size(), 1);
  EXPECT_EQ(run.store.main_store[0].loc, 1901u);

  test_read_t chr1_end(c1.substr(900), idx);
  run.run(idx, chr1_end);
  ASSERT_EQ(run.store.get_main_size(), 1);
  EXPECT_EQ(run.store.main_store[0].loc, 901u);
}

TEST(ExtensionChromosomes, SpanCheckWithTableAndWithoutOne) {
  tiny_index_t idx;
  idx.build({{"a", random_dna(1000, 1)}, {"b", random_dna(500, 2)}}, 12, 0);
  ASSERT_NE(idx.p.refs, nullptr);
  ASSERT_EQ(idx.p.refs->seqs.size(), 2u);
  EXPECT_EQ(idx.p.refs->seqs[0].end, 1000u);
  EXPECT_EQ(idx.p.refs->seqs[1].start, 1001u);
  EXPECT_EQ(idx.p.refs->seqs[1].end, 1500u);
  EXPECT_TRUE(span_in_one_chrom(&idx.p, 901, 100));
  EXPECT_FALSE(span_in_one_chrom(&idx.p, 902, 100));
  EXPECT_TRUE(span_in_one_chrom(&idx.p, 1001, 500));
  EXPECT_FALSE(span_in_one_chrom(&idx.p, 1002, 500));
  EXPECT_FALSE(span_in_one_chrom(&idx.p, 0, 10));
  EXPECT_FALSE(span_in_one_chrom(&idx.p, 1400, 0));
  // Without a table only the genome bounds apply.
  delete idx.p.refs;
  idx.p.refs = nullptr;
  EXPECT_TRUE(span_in_one_chrom(&idx.p, 902, 100));
  EXPECT_TRUE(span_in_one_chrom(&idx.p, 1, 1500));
  EXPECT_FALSE(span_in_one_chrom(&idx.p, 1002, 500));
  EXPECT_FALSE(span_in_one_chrom(&idx.p, 0, 10));
}

// The single-indel step on hand-made candidate lists.
class SingleIndelStep : public ::testing::Test {
protected:
  tiny_index_t idx;
  std::string g = random_dna(3000, 5);
  search_run_t run{default_pen()};
  std::unique_ptr<test_read_t> read;

  void SetUp() override {
    differ(g, 522, 520);
    idx.build({{"chr1", g}}, 12, 0);
    read.reset(new test_read_t(g.substr(500, 20) + g.substr(522, 80), idx));
    run.pen.set_length(100, 0);
    run.pen.min_diff_found[0] = 140;
  }
  void step(std::vector<cand_loc_t> cands) {
    run.s.cands[0] = cands;
    run.s.cands[1].clear();
    bool found = true;
    single_indel_step(&idx.p, 0, read->in, run.pen, run.store, run.s, found);
  }
};

TEST_F(SingleIndelStep, IsolatedPairInEitherOrderIsAligned) {
  step({{503, 40}, {501, 1}});
  ASSERT_EQ(run.store.get_main_size(), 1);
  EXPECT_EQ(run.store.main_store[0].cigar, "20M2D80M");
  EXPECT_EQ(run.pen.min_diff_found[0], 44);
}

TEST_F(SingleIndelStep, ThreeCloseCandidatesFormNoPair) {
  step({{501, 1}, {503, 40}, {505, 60}});
  EXPECT_EQ(run.store.get_main_size(), 0);
  step({{401, 1}, {501, 1}, {503, 40}}); // 401 lies beyond the gap reach
  EXPECT_EQ(run.store.get_main_size(), 1);
}

TEST_F(SingleIndelStep, NotRunAfterAPerfectMatch) {
  run.pen.min_diff_found[0] = 0;
  step({{501, 1}, {503, 40}});
  EXPECT_EQ(run.store.get_main_size(), 0);
  run.pen.min_diff_found[0] = 39; // below the gap opening: no indel can win
  step({{501, 1}, {503, 40}});
  EXPECT_EQ(run.store.get_main_size(), 0);
}
