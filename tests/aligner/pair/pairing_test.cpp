#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "aligner/pair/3_pair_mapq.h"
#include "aligner/pair/pairing.h"
#include "aligner/setup/ref_table.h"
#include "common/mt_random.h"

namespace {

// chrA: bases 1-5000, chrB: 5001-8000.
struct PairGeometry : ::testing::Test {
  ref_table_t refs;
  pair_geom_t g;
  PairGeometry() {
    build_ref_table(refs, {{1, "chrA"}, {5001, "chrB"}}, 8000);
    g.refs = &refs;
    g.len[0] = g.len[1] = 100;
    g.max_template = 550;
  }
  static align_loc_pair_t cand(bool dir, uint32_t loc, int penalty = 0) {
    align_loc_pair_t c;
    c.direction = dir;
    c.loc = loc;
    c.penalty = penalty;
    return c;
  }
};

TEST_F(PairGeometry, ConcordanceLimits) {
  int t = 0;
  // Mate 1 forward at 1001, mate 2 at 1451: template exactly 550.
  EXPECT_TRUE(concordant(g, cand(true, 1001), cand(true, 1451), t));
  EXPECT_EQ(t, 550);
  EXPECT_FALSE(concordant(g, cand(true, 1001), cand(true, 1452), t));
  // Mate 1 reverse: the template runs from mate 2 to mate 1's end.
  EXPECT_TRUE(concordant(g, cand(false, 1201), cand(false, 1001), t));
  EXPECT_EQ(t, 300);
  // Shorter than a read: mate 2 starts before mate 1.
  EXPECT_FALSE(concordant(g, cand(true, 1001), cand(true, 999), t));
  EXPECT_TRUE(concordant(g, cand(true, 1001), cand(true, 1001), t));
  // Mates of unequal direction never pair.
  EXPECT_FALSE(concordant(g, cand(true, 1001), cand(false, 1201), t));
  // Across the end of chrA.
  EXPECT_FALSE(concordant(g, cand(true, 4801), cand(true, 5001), t));
  EXPECT_TRUE(concordant(g, cand(true, 4801), cand(true, 4901), t));
}

TEST_F(PairGeometry, SameChromosome) {
  EXPECT_TRUE(same_chromosome(refs, 1, 5000));
  EXPECT_FALSE(same_chromosome(refs, 5000, 5001));
  EXPECT_TRUE(same_chromosome(refs, 5001, 8000));
  // Outside every sequence: never the same.
  EXPECT_FALSE(same_chromosome(refs, 8001, 8001));
  EXPECT_FALSE(same_chromosome(refs, 0, 0));
}

TEST(CandList, AddPendingSortAndTiers) {
  cand_list_t l;
  int pen[] = {40, 20, 20, 45, 90, 200};
  int mm[] = {2, 1, 1, 2, 4, 9};
  for (int i = 0; i < 6; ++i) {
    align_loc_pair_t &c = l.add();
    c.penalty = pen[i];
    c.mm_gap.num_mm = mm[i];
    c.loc = uint32_t(100 + i);
  }
  // Held back until taken; then part of the list.
  align_loc_pair_t &r = l.add_pending();
  r.penalty = 25;
  r.loc = 7;
  EXPECT_EQ(l.size(), 6u);
  l.take_pending();
  ASSERT_EQ(l.size(), 7u);
  l.sort();
  // Ties keep the order in which they were added.
  EXPECT_EQ(l.at(0).loc, 101u);
  EXPECT_EQ(l.at(1).loc, 102u);
  EXPECT_EQ(l.at(2).loc, 7u);
  // Gap 20: best tier {20, 20}; 25 and 40 within 20 + 20; 45 is past it and
  // closes the scan with mismatch difference 2 - 1.
  tier_counts_t t = candidate_tiers(l, 20);
  EXPECT_EQ(t.best, 2);
  EXPECT_EQ(t.second, 2);
  EXPECT_EQ(t.rest, 3);
  EXPECT_EQ(t.diff, 1);
  // A first entry past the best one beyond the gap is passed over; the
  // next entry closes the scan.
  t = candidate_tiers(l, 2);
  EXPECT_EQ(t.best, 2);
  EXPECT_EQ(t.second, 0);
  EXPECT_EQ(t.rest, 5);
  EXPECT_EQ(t.diff, 1); // from the 40 (2 mismatches), not the 25
  l.clear();
  EXPECT_EQ(candidate_tiers(l, 20).best, 0);
}

TEST(CandList, AddWhilePendingKeepsPending) {
  cand_list_t l;
  l.add().loc = 1;
  l.add_pending().loc = 2;
  l.add().loc = 3;
  l.take_pending();
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l.at(0).loc, 1u);
  EXPECT_EQ(l.at(1).loc, 3u);
  EXPECT_EQ(l.at(2).loc, 2u);
  l.add_pending().loc = 9;
  l.drop_pending();
  l.take_pending();
  EXPECT_EQ(l.size(), 3u);
}

TEST(CandList, PendingRepeatNeedsPositionAndDirection) {
  cand_list_t l;
  EXPECT_EQ(l.pending_repeat(), -1);
  l.add().loc = 50;
  l.add().loc = 70;
  l.add_pending().loc = 90;
  EXPECT_EQ(l.pending_repeat(), -1);
  align_loc_pair_t &c = l.add_pending();
  c.loc = 70;
  c.direction = false;
  EXPECT_EQ(l.pending_repeat(), -1); // same place, other strand
  c.direction = true;
  EXPECT_EQ(l.pending_repeat(), 1);
  l.drop_pending();
  l.add_pending().loc = 90; // an earlier pending record counts too
  EXPECT_EQ(l.pending_repeat(), 2);
}

TEST(PairPick, ClosestTemplateWinsTiesAreDrawn) {
  std::vector<concordant_store_t> pairs = {
      {0, 0, 10, 400}, {1, 1, 10, 260}, {2, 2, 10, 240}, {3, 3, 12, 250}};
  std::vector<std::pair<int, int>> keys;
  MT_random gen;
  // 260 and 240 lie 10 from the mean; the 250 pair is not among the best.
  std::map<int, int> seen;
  for (int i = 0; i < 200; ++i)
    ++seen[pick_pair(pairs, 3, 250, gen, keys)];
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_GT(seen[1], 50);
  EXPECT_GT(seen[2], 50);
  // One closest pair: no draw.
  MT_random a, b;
  pairs[1].template_size = 251;
  EXPECT_EQ(pick_pair(pairs, 3, 250, a, keys), 1);
  EXPECT_EQ(a.genrand64_int64(), b.genrand64_int64());
}

TEST(PairSort, CombinedPenaltyThenRecordOrder) {
  std::vector<concordant_store_t> pairs = {
      {1, 0, 30, 0}, {0, 1, 20, 0}, {0, 0, 30, 0}};
  sort_pairs(pairs);
  EXPECT_EQ(pairs[0].combined_penalty, 20);
  EXPECT_EQ(pairs[1].first, 0);
  EXPECT_EQ(pairs[2].first, 1);
}

align_loc_pair_t chosen(int mm, char type = 'N') {
  align_loc_pair_t a;
  a.mm_gap.num_mm = mm;
  a.type = type;
  return a;
}

TEST(PairMapq, OwnQuality) {
  std::vector<int> taken = {1, 21, 41, 61, 81}, none;
  int xl = 0, xr = 0;
  // Unique, no other candidate, full coverage: 40.
  EXPECT_EQ(calc_mapq_pair(chosen(0), {1, 0, 0, 0}, taken, none, 100, 20, 7, 50,
                           xl, xr),
            40);
  EXPECT_EQ(xl, 100);
  // A repeat or a local-scan rescue: 0 and no coverage values.
  EXPECT_EQ(calc_mapq_pair(chosen(0), {2, 0, 0, 0}, taken, none, 100, 20, 7, 50,
                           xl, xr),
            0);
  EXPECT_EQ(xl, 0);
  EXPECT_EQ(calc_mapq_pair(chosen(0, 'S'), {1, 0, 0, 0}, taken, none, 100, 20,
                           7, 50, xl, xr),
            0);
  // One second-tier candidate: floor(20 - 4.5 ln 1) = 20; with one
  // remaining as well: floor(20 - 4.5 ln 2) = 16.
  EXPECT_EQ(calc_mapq_pair(chosen(0), {1, 1, 0, 0}, taken, none, 100, 20, 7, 50,
                           xl, xr),
            20);
  EXPECT_EQ(calc_mapq_pair(chosen(0), {1, 1, 1, 0}, taken, none, 100, 20, 7, 50,
                           xl, xr),
            16);
  // Only remaining candidates: floor(40 - 4.5 ln 3) = 35.
  EXPECT_EQ(calc_mapq_pair(chosen(0), {1, 0, 3, 2}, taken, none, 100, 20, 7, 50,
                           xl, xr),
            35);
  // Mismatches at the allowance, nothing else: 25.
  EXPECT_EQ(calc_mapq_pair(chosen(7), {1, 0, 0, 0}, taken, none, 100, 20, 7, 50,
                           xl, xr),
            25);
  // No k-mer support at all with others around: the coverage weight grows
  // without bound and the quality is 0.
  std::vector<int> few, freq = {1, 21, 41, 61, 81};
  EXPECT_EQ(calc_mapq_pair(chosen(0), {1, 1, 0, 0}, few, freq, 100, 20, 7, 50,
                           xl, xr),
            0);
}

TEST(PairMapq, Bonus) {
  EXPECT_EQ(pair_bonus({1, 0, 0, 0}, false), 25);
  EXPECT_EQ(pair_bonus({1, 0, 0, 0}, true), 0);
  EXPECT_EQ(pair_bonus({1, 1, 0, 0}, false), 20);
  EXPECT_EQ(pair_bonus({1, 3, 0, 0}, false), 15);
  // ln 3 + 0.5 -> 1, ln 20 + 0.5 -> 3: 20 - 5 - 3.
  EXPECT_EQ(pair_bonus({1, 3, 20, 0}, false), 12);
  EXPECT_EQ(pair_bonus({1, 400, 0, 0}, false), 0); // never negative
}

TEST(PairMapq, FinalQualities) {
  tier_counts_t one{1, 0, 0, 0}, two{2, 0, 0, 0};
  pair_quality_t q;
  q.own[0] = q.own[1] = 40;
  final_pair_mapq(q, false, one, 25);
  EXPECT_EQ(q.mapq[0], 60);
  EXPECT_EQ(q.mapq[1], 60);
  // Mate 2 a repeat inside a unique pair: 40 + 25 capped, 30 + 25.
  q.own[1] = 0;
  final_pair_mapq(q, false, one, 25);
  EXPECT_EQ(q.mapq[0], 60);
  EXPECT_EQ(q.mapq[1], 55);
  // Mate 2 rescued by the local scan: no bonus.
  final_pair_mapq(q, false, one, 0);
  EXPECT_EQ(q.mapq[0], 40);
  EXPECT_EQ(q.mapq[1], 30);
  // Mirror image.
  q.own[0] = 0;
  q.own[1] = 20;
  final_pair_mapq(q, false, one, 20);
  EXPECT_EQ(q.mapq[0], 35);
  EXPECT_EQ(q.mapq[1], 40);
  // Two equally good pairs.
  q.own[0] = q.own[1] = 40;
  final_pair_mapq(q, false, two, 25);
  EXPECT_EQ(q.mapq[0], 0);
  EXPECT_EQ(q.mapq[1], 0);
  // Both weak: each gets half of the other's and the bonus.
  q.own[0] = 20;
  q.own[1] = 10;
  final_pair_mapq(q, false, one, 15);
  EXPECT_EQ(q.mapq[0], 20 + 5 + 15);
  EXPECT_EQ(q.mapq[1], 10 + 10 + 15);
  final_pair_mapq(q, false, one, 0);
  EXPECT_EQ(q.mapq[0], 20);
  EXPECT_EQ(q.mapq[1], 10);
  // Singles: own values, capped.
  q.own[0] = 37;
  q.own[1] = 70;
  final_pair_mapq(q, true, tier_counts_t(), 25);
  EXPECT_EQ(q.mapq[0], 37);
  EXPECT_EQ(q.mapq[1], 60);
  q.own[0] = q.own[1] = 0;
  final_pair_mapq(q, false, one, 25);
  EXPECT_EQ(q.mapq[0], 25);
  EXPECT_EQ(q.mapq[1], 25);
}

} // namespace
