#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "../../kernels/kernel_test_util.h"
#include "aligner/search/5_align_priority.h"
#include "aligner/setup/2_pen_tester.h"
#include "aligner/setup/chrom_span.h"
#include "aligner/setup/params.h"
#include "aligner/setup/ref_table.h"
#include "kernels/sw_nw.h"

using ktest::pack;

namespace {

const int EXTRA = 20; // extra_minus of every queued window here

// Makes g[at] differ from g[from], so that a gap cannot slide.
void differ(std::string &g, size_t at, size_t from) {
  if (g[at] == g[from])
    g[at] = g[from] == 'A' ? 'C' : 'A';
}

// One or two reference sequences, the default allowances for a read of
// `len` bases and an aligner set up for windows of len + 10 + 2 EXTRA.
struct priority_fixture_t {
  std::map<long, std::string> starts;
  bit_DNA_t genome = pack("");
  tolve_params_t p;
  pen_tester pen{0.05f, -1, 0.005f, -1, 50, 5, 15, 40, 2};
  align_store_t store{20};
  sw_nw nw;
  seen_t seen[2];
  score_queue_t q;
  priority_scratch_t scratch;
  mm_gap_t min_edits;
  bool found = false;

  ~priority_fixture_t() { delete p.refs; }

  void set_genome(const std::vector<std::string> &seqs) {
    std::string all;
    for (const std::string &s : seqs) {
      starts[long(all.size()) + 1] = "c" + std::to_string(starts.size());
      all += s;
    }
    genome = pack(all);
    p.genome_str = &genome;
    p.genome_length = int64_t(all.size());
    p.start_genome = &starts;
    build_refs(&p);
  }

  void set_read(const std::string &read) {
    pen.set_length(int(read.size()), 0);
    pen.reset_min_diff_found_gap(0);
    min_edits = mm_gap_t();
    min_edits.num_mm = pen.max_count_mm[0];
    nw.setup_penalties(5, 15, 42, 2, 5, 15, 40, 2);
    ASSERT_TRUE(nw.setup_read_reference(pack(read), pack(compleseq(read)),
                                        int(read.size()) + 10 + 2 * EXTRA, 0));
  }

  void push(int score, uint32_t loc, int strand = 0) {
    q.push(score_loc_t{score, loc, uint32_t(EXTRA), strand});
  }

  void run() {
    align_priority(0, q, nw, store, found, min_edits, pen, genome, seen, &p,
                   scratch);
  }
};

class AlignPriority : public ::testing::Test {
protected:
  priority_fixture_t f;
  std::string g;
  std::string del_read; // 40 bases from 501, 5 deleted, 60 more

  void SetUp() override {
    std::mt19937 rng(11);
    g = ktest::random_dna(rng, 3000);
    differ(g, 539, 544);
    differ(g, 545, 540);
    differ(g, 1249, 1256);
    differ(g, 1257, 1250);
    differ(g, 29, 32);
    differ(g, 33, 30);
    f.set_genome({g});
    del_read = g.substr(500, 40) + g.substr(545, 60);
  }
};

} // namespace

TEST(ScoreQueue, LowestScoreFirst) {
  score_queue_t q;
  for (int s : {30, 10, 20, 10})
    q.push(score_loc_t{s, uint32_t(s), 0, 0});
  std::vector<int> order;
  while (!q.empty()) {
    order.push_back(q.top().score);
    q.pop();
  }
  EXPECT_EQ(order, (std::vector<int>{10, 10, 20, 30}));
  score_loc_t a{5, 1, 0, 0}, b{7, 1, 0, 0};
  EXPECT_TRUE(b < a);
  EXPECT_FALSE(a < b);
}

TEST_F(AlignPriority, EmptyQueueChangesNothing) {
  f.set_read(del_read);
  const int before = f.pen.min_diff_found[0];
  f.run();
  EXPECT_FALSE(f.found);
  EXPECT_EQ(f.pen.min_diff_found[0], before);
  EXPECT_EQ(f.store.get_main_size(), 0);
}

TEST_F(AlignPriority, FirstScoreAboveAllowanceIsDroppedAlone) {
  f.set_read(del_read);
  const int bound = f.pen.get_pen_one_more_gap(0);
  f.push(bound + 1, 501);
  f.push(bound + 2, 501);
  f.run();
  EXPECT_EQ(f.q.size(), 1u);
  EXPECT_EQ(f.q.top().score, bound + 2);
  EXPECT_EQ(f.store.get_main_size(), 0);
  EXPECT_FALSE(f.found);
  EXPECT_TRUE(f.seen[0].insert(501)); // nothing aligned
}

// 40M5D60M: open 40 + 2, four more bases 2 each.
TEST_F(AlignPriority, DeletionAlignedStoredAndAllowanceTightened) {
  f.set_read(del_read);
  f.push(50, 501);
  f.push(300, 1701); // above the tightened allowance: ends the step
  f.push(400, 2001); // not reached
  f.run();
  ASSERT_TRUE(f.found);
  ASSERT_EQ(f.store.get_main_size(), 1);
  const align_loc_t &a = f.store.main_store[0];
  EXPECT_EQ(a.cigar, "40M5D60M");
  EXPECT_EQ(a.loc, 501u);
  EXPECT_EQ(a.penalty, 50);
  EXPECT_TRUE(a.direction);
  EXPECT_EQ(a.mm_gap.num_mm, 0);
  EXPECT_EQ(a.mm_gap.num_gap_open, 1);
  EXPECT_EQ(a.mm_gap.num_gap_ext, 4);
  EXPECT_EQ(f.min_edits.num_gap_open, 1);
  EXPECT_EQ(f.min_edits.num_mm, 0);
  EXPECT_EQ(f.pen.min_diff_found[0], 50);
  EXPECT_FALSE(f.seen[0].insert(501));
  ASSERT_EQ(f.q.size(), 1u);
  EXPECT_EQ(f.q.top().loc, 2001u);
}

TEST_F(AlignPriority, ReverseStrandWindowStoredReverse) {
  const std::string fwd = g.substr(1200, 50) + g.substr(1257, 50);
  f.set_read(compleseq(fwd)); // strand 1 of the aligner is then fwd
  f.push(60, 1201, 1);
  f.run();
  ASSERT_EQ(f.store.get_main_size(), 1);
  EXPECT_FALSE(f.store.main_store[0].direction);
  EXPECT_EQ(f.store.main_store[0].loc, 1201u);
  EXPECT_EQ(f.store.main_store[0].cigar, "50M7D50M");
  EXPECT_EQ(f.store.main_store[0].penalty, 54);
  EXPECT_FALSE(f.seen[1].insert(1201));
  EXPECT_TRUE(f.seen[0].insert(1201));
}

TEST_F(AlignPriority, SameAlignmentStartOfferedOnce) {
  f.set_read(del_read);
  f.push(50, 501);
  f.push(50, 503); // a wider look at the same place
  f.run();
  EXPECT_TRUE(f.q.empty());
  EXPECT_EQ(f.store.get_main_size(), 1);
  EXPECT_EQ(f.store.get_sec_size(), 0);
}

TEST_F(AlignPriority, WindowClippedAtGenomeStart) {
  const std::string read = g.substr(0, 30) + g.substr(33, 70);
  f.set_read(read);
  f.push(46, 3); // 3 - 20 - 5 is before the genome: window from base 1
  f.run();
  ASSERT_EQ(f.store.get_main_size(), 1);
  EXPECT_EQ(f.store.main_store[0].loc, 1u);
  EXPECT_EQ(f.store.main_store[0].cigar, "30M3D70M");
  EXPECT_EQ(f.store.main_store[0].penalty, 46);
}

// An insertion longer than the bases before it: the read has to run ahead
// of the window's diagonal.
TEST_F(AlignPriority, InsertionNearGenomeStart) {
  const std::string read = g.substr(2, 40) + "TTGAC" + g.substr(42, 60);
  f.set_read(read);
  f.push(60, 3);
  f.run();
  ASSERT_EQ(f.store.get_main_size(), 1);
  EXPECT_EQ(f.store.main_store[0].loc, 3u);
  EXPECT_EQ(f.store.main_store[0].cigar, "40M5I60M");
  // The band widened for that window only.
  EXPECT_EQ(f.nw.band, EXTRA + 5 - 2);
  f.push(60, 1003);
  f.run();
  EXPECT_EQ(f.nw.band, 0);
}

// One aligned base before a 3-base insertion: folded to 4I96M, whose
// shorter aligned end (1) is below end_gap_dist 2. The bases around make
// every ungapped placement of the head cost more than the insertion.
TEST_F(AlignPriority, ShortEndNextToInsertionNotStored) {
  differ(g, 497, 500);
  std::string ins = "AAA";
  for (size_t i = 0; i < 3; ++i)
    while (ins[i] == g[498 + i] || ins[i] == g[501 + i])
      ins[i] = ins[i] == 'A' ? 'C' : (ins[i] == 'C' ? 'G' : 'T');
  const std::string read = g.substr(500, 1) + ins + g.substr(501, 96);
  for (int d : {2, 1}) {
    priority_fixture_t h;
    h.set_genome({g});
    h.p.end_gap_dist = d;
    h.set_read(read);
    const int start_bound = h.pen.min_diff_found[0];
    h.push(0, 501);
    h.run();
    EXPECT_LT(h.pen.min_diff_found[0], start_bound);
    EXPECT_FALSE(h.seen[0].insert(502)); // the start after folding
    if (d == 2) {
      EXPECT_EQ(h.store.get_main_size(), 0);
      EXPECT_FALSE(h.found);
      continue;
    }
    // With end_gap_dist 1 the same alignment is kept.
    ASSERT_EQ(h.store.get_main_size(), 1);
    EXPECT_EQ(h.store.main_store[0].cigar, "4I96M");
    EXPECT_EQ(h.store.main_store[0].loc, 502u);
    EXPECT_EQ(h.store.main_store[0].mm_gap.len_gap_edge, 1);
  }
}

TEST_F(AlignPriority, TooManyMismatchesStoredWithoutFound) {
  std::string read = del_read;
  for (int at = 5; at < 100; at += 10)
    read[size_t(at)] = read[size_t(at)] == 'A' ? 'C' : 'A';
  f.set_read(read);
  ASSERT_LT(f.pen.max_count_mm[0], 10);
  f.push(0, 501);
  f.run();
  ASSERT_EQ(f.store.get_main_size(), 1);
  EXPECT_EQ(f.store.main_store[0].mm_gap.num_mm, 10);
  EXPECT_FALSE(f.found);
  EXPECT_EQ(f.min_edits.num_gap_open, 0); // left as the caller set it
}

// The read runs from the end of the first sequence into the second: the
// window holds it exactly, but no alignment may cross a sequence end.
TEST(AlignPriorityChromosomes, AlignmentAcrossSequenceEndNotStored) {
  std::mt19937 rng(12);
  const std::string a = ktest::random_dna(rng, 800);
  const std::string b = ktest::random_dna(rng, 800);
  priority_fixture_t f;
  f.set_genome({a, b});
  f.set_read(a.substr(750) + b.substr(0, 50));
  const int before = f.pen.min_diff_found[0];
  f.push(0, 751);
  f.run();
  EXPECT_EQ(f.store.get_main_size(), 0);
  EXPECT_FALSE(f.found);
  EXPECT_EQ(f.pen.min_diff_found[0], before);

  // Ending on the genome's last base: the window hangs over the end.
  f.set_read(b.substr(700, 40) + b.substr(744));
  f.push(0, 1501);
  f.run();
  ASSERT_EQ(f.store.get_main_size(), 1);
  EXPECT_EQ(f.store.main_store[0].loc, 1501u);
}
