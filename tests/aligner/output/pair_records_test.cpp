#include <gtest/gtest.h>

#include <set>

#include "aligner/search/4_gapped.h"
#include "pair_harness.h"

namespace {

std::string rc(const std::string &s) { return compleseq(s); }

// Genome text at 1-based position pos of a sequence.
std::string at(const std::string &chrom, int pos, int n = 100) {
  return chrom.substr(size_t(pos - 1), size_t(n));
}

std::string with_mismatches(std::string s, std::initializer_list<int> at1) {
  for (int i : at1)
    s[size_t(i - 1)] = s[size_t(i - 1)] == 'A' ? 'C' : 'A';
  return s;
}

// chr1: 1-6000, chr2: 6001-9000 of the concatenated genome.
struct PairRecords : ::testing::Test {
  std::string chr1 = random_dna(6000, 71), chr2 = random_dna(3000, 72);
  pair_harness_t h;
  PairRecords() { h.build({{"chr1", chr1}, {"chr2", chr2}}); }

  std::vector<std::vector<std::string>> records(const std::string &sam) {
    std::vector<std::vector<std::string>> r;
    for (const std::string &l : sam_lines(sam))
      r.push_back(sam_fields(l));
    return r;
  }

  // Mate 1 searched, mate 2 left without candidates, as if its search had
  // found nothing.
  std::vector<std::vector<std::string>> rescue(const std::string &m1,
                                               const std::string &m2) {
    h.prepare(m1, m2);
    h.search_mate_j(0);
    return records(h.finish());
  }
};

TEST_F(PairRecords, ProperPairForwardTemplate) {
  auto r = records(h.align(at(chr1, 1001), rc(at(chr1, 1201))));
  ASSERT_EQ(r.size(), 2u);
  const std::vector<std::string> want1 = {"p",    "99", "chr1", "1001", "60",
                                          "100M", "=",  "1201", "300"};
  const std::vector<std::string> want2 = {"p",    "147", "chr1", "1201", "60",
                                          "100M", "=",   "1001", "-300"};
  EXPECT_EQ(std::vector<std::string>(r[0].begin(), r[0].begin() + 9), want1);
  EXPECT_EQ(std::vector<std::string>(r[1].begin(), r[1].begin() + 9), want2);
  // Mate 2 lies on the reverse strand: its SEQ is the genome text.
  EXPECT_EQ(r[0][9], at(chr1, 1001));
  EXPECT_EQ(r[1][9], at(chr1, 1201));
  const int am =
      std::min(std::stoi(tag(r[0], "SM:i:")), std::stoi(tag(r[1], "SM:i:")));
  for (auto &f : r) {
    EXPECT_EQ(tag(f, "AM:i:"), std::to_string(am));
    EXPECT_EQ(tag(f, "NM:i:"), "0");
    EXPECT_EQ(tag(f, "H0:i:"), "1");
    EXPECT_EQ(tag(f, "XT:A:"), "U");
    EXPECT_EQ(tag(f, "MD:Z:"), "100");
    // Full coverage by the k-mers taken gives 40, less gives 37.
    EXPECT_EQ(tag(f, "SM:i:"), std::stoi(tag(f, "XL:i:")) > 35 ? "40" : "37");
    EXPECT_EQ(tag(f, "XD:i:"), ""); // no XD in these records
    EXPECT_EQ(tag(f, "XA:Z:"), "");
  }
  EXPECT_EQ(h.runs, 0);
}

TEST_F(PairRecords, ProperPairReverseTemplate) {
  auto r = records(h.align(rc(at(chr1, 1201)), at(chr1, 1001)));
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0][1], "83");
  EXPECT_EQ(r[0][3], "1201");
  EXPECT_EQ(r[0][8], "-300");
  EXPECT_EQ(r[1][1], "163");
  EXPECT_EQ(r[1][3], "1001");
  EXPECT_EQ(r[1][8], "300");
  EXPECT_EQ(r[0][9], at(chr1, 1201));
}

TEST_F(PairRecords, MatesOnTwoSequencesAreSingles) {
  auto r = records(h.align(at(chr1, 1001), rc(at(chr2, 501))));
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0][1], "97"); // 65 + mate reverse
  EXPECT_EQ(r[0][6], "chr2");
  EXPECT_EQ(r[0][7], "501");
  EXPECT_EQ(r[0][8], "0");
  EXPECT_EQ(r[1][1], "145"); // 129 + reverse
  EXPECT_EQ(r[1][2], "chr2");
  EXPECT_EQ(r[1][6], "chr1");
  EXPECT_EQ(r[1][8], "0");
  // Singles: each mate keeps its own quality.
  EXPECT_EQ(r[0][4], tag(r[0], "SM:i:"));
  // One scan each way between the two mapped mates.
  EXPECT_EQ(h.runs, 2);
}

TEST_F(PairRecords, OnlyMateTwoMaps) {
  std::string junk = random_dna(100, 99);
  auto r = records(h.align(junk, at(chr1, 1001)));
  ASSERT_EQ(r.size(), 2u);
  // Mate 2 as read lies forward: its record first.
  EXPECT_EQ(r[0][1], "169");
  EXPECT_EQ(r[0][2], "chr1");
  EXPECT_EQ(r[0][3], "1001");
  EXPECT_EQ(r[0][6], "*");
  EXPECT_EQ(r[0][7], "0");
  EXPECT_EQ(r[0][8], "0");
  EXPECT_EQ(r[0][9], at(chr1, 1001));
  EXPECT_NE(tag(r[0], "XD:i:"), "");
  EXPECT_EQ(tag(r[0], "AM:i:"), "0");
  EXPECT_EQ(tag(r[0], "SM:i:"), r[0][4]);
  const std::vector<std::string> want = {"p",
                                         "85",
                                         "*",
                                         "0",
                                         "0",
                                         "*",
                                         "chr1",
                                         "1001",
                                         "0",
                                         rc(junk),
                                         std::string(100, 'I'),
                                         "AM:i:0",
                                         "SM:i:0"};
  EXPECT_EQ(r[1], want);
  EXPECT_EQ(h.runs, 1); // the local scan tried to rescue mate 1
}

TEST_F(PairRecords, RescueByGlobalStep) {
  std::string m2 = with_mismatches(at(chr1, 1201), {30, 60});
  auto r = rescue(at(chr1, 1001), rc(m2));
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0][1], "99");
  EXPECT_EQ(r[1][1], "147");
  EXPECT_EQ(r[1][3], "1201");
  EXPECT_EQ(r[1][5], "100M");
  EXPECT_EQ(tag(r[1], "XT:A:"), "S");
  EXPECT_EQ(tag(r[1], "NM:i:"), "2");
  EXPECT_EQ(tag(r[1], "MD:Z:"),
            "29" + chr1.substr(1229, 1) + "29" + chr1.substr(1259, 1) + "40");
  // A local-scan rescue adds no bonus: m1 and three quarters of it.
  const int m1 = std::stoi(tag(r[0], "SM:i:"));
  EXPECT_EQ(r[0][4], std::to_string(m1));
  EXPECT_EQ(r[1][4], std::to_string(3 * m1 / 4));
  EXPECT_EQ(tag(r[1], "SM:i:"), "0");
  EXPECT_EQ(h.runs, 1);
}

// A gap allowance far beyond any window (100 openings of up to 10,000
// bases) gives the rescue's aligners the gapped phase's widest reach, not
// a window of two million bases; the mate is rescued as before.
TEST_F(PairRecords, RescueWindowCappedForHugeGapAllowance) {
  for (int max_gap : {100, 100000}) {
    h.pen = pen_tester(0.05f, -1, 0.005f, max_gap, 10000, 5, 15, 40, 2);
    std::string m2 = with_mismatches(at(chr1, 1201), {30, 60});
    auto r = rescue(at(chr1, 1001), rc(m2));
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1][1], "147");
    EXPECT_EQ(r[1][3], "1201");
    EXPECT_EQ(r[1][5], "100M");
    EXPECT_EQ(tag(r[1], "XT:A:"), "S");
    const int reach = MAX_EXTRA_REACH + WINDOW_PAD;
    EXPECT_EQ(h.work.kern.nw[1].ref_len, 100 + 2 * WINDOW_PAD + 2 * reach);
    EXPECT_EQ(h.work.kern.nw[1].band, reach);
    EXPECT_EQ(h.work.kern.vec[1].dblen, 100 + 2 * reach);
  }
}

// A mate far too long for the rescue's aligners is not scanned for, even
// when the template size would let the windows reach it; both records are
// written.
TEST_F(PairRecords, MateTooLongForTheRescueIsNotScanned) {
  h.p().MAX_TEMPLATE_SIZE = 300000;
  const std::string long_mate = random_dna(100000, 73);
  auto r = rescue(at(chr1, 1001), long_mate);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0][3], "1001");
  EXPECT_EQ(r[1][2], "*");
  EXPECT_EQ(r[1][9], rc(long_mate));
  EXPECT_EQ(r[1][10], std::string(100000, 'I'));
  EXPECT_EQ(h.runs, 0);
  EXPECT_EQ(h.work.kern.nw[1].ref_len, 0);
}

TEST_F(PairRecords, RescueByLocalStepClipsAnEnd) {
  // Mate 2 (genome orientation) with 13 mismatches, too many for the
  // global step (at most 11), two of them among its first 6 bases and the
  // rest 8 bases apart: the local step leaves the first 6 bases out.
  std::string g2 = with_mismatches(
      at(chr1, 1201), {3, 6, 12, 20, 28, 36, 44, 52, 60, 68, 76, 84, 92});
  auto r = rescue(at(chr1, 1001), rc(g2));
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[1][1], "147");
  EXPECT_EQ(r[1][3], "1207");
  EXPECT_EQ(r[1][5], "6S94M");
  EXPECT_EQ(r[1][9], g2);
  EXPECT_EQ(tag(r[1], "XT:A:"), "S");
  EXPECT_EQ(tag(r[1], "NM:i:"), "11");
  std::string md = "5";
  for (int k = 0; k < 11; ++k)
    md += chr1.substr(size_t(1200 + 11 + 8 * k), 1) + (k < 10 ? "7" : "8");
  EXPECT_EQ(tag(r[1], "MD:Z:"), md);
  // Mate 1's template end is taken at the clipped mate's first aligned
  // base: 1207 + 100 - 1001.
  EXPECT_EQ(r[0][8], "306");
}

TEST_F(PairRecords, WithoutLocalRescueTheMappedPairScanRescues) {
  h.p().no_pair_sw = true;
  std::string m2 = with_mismatches(at(chr1, 1201), {30, 60});
  auto r = rescue(at(chr1, 1001), rc(m2));
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[1][1], "147");
  EXPECT_EQ(r[1][3], "1201");
  EXPECT_EQ(tag(r[1], "XT:A:"), "W");
  EXPECT_EQ(h.runs, 1); // mate 2 had no anchor for mate 1
}

TEST_F(PairRecords, UpstreamWindowStartsAtTheFirstBase) {
  h.prepare(at(chr1, 1), rc(at(chr1, 201)));
  h.search_mate_j(1);
  auto r = records(h.finish());
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0][1], "99");
  EXPECT_EQ(r[0][3], "1");
  EXPECT_EQ(r[0][5], "100M");
  EXPECT_EQ(tag(r[0], "XT:A:"), "S");
}

TEST_F(PairRecords, RescuedBeyondTheTemplateSizeStaysSingle) {
  // Template 1001 .. 1560: 560 bases, above the maximum of 550.
  auto r = rescue(at(chr1, 1001), rc(at(chr1, 1461)));
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0][1], "97");
  EXPECT_EQ(r[1][1], "145");
  EXPECT_EQ(r[1][3], "1461");
  EXPECT_EQ(r[0][8], "560");
  EXPECT_EQ(tag(r[1], "XT:A:"), "S");
}

TEST_F(PairRecords, RescueOnAnotherSequenceIsDropped) {
  // Mate 1 near the end of chr1; its mate at the start of chr2 lies
  // within reach in the concatenated genome but on another sequence.
  auto r = rescue(at(chr1, 5851), rc(at(chr2, 101)));
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0][1], "105");
  EXPECT_EQ(r[1][1], "149");
  EXPECT_EQ(r[1][2], "*");
  EXPECT_EQ(r[1][6], "chr1");
  EXPECT_EQ(r[1][7], "5851");
}

// Both mates found but not as a pair: the scans between them find each
// mate again at its own place, which is no second hit.
TEST_F(PairRecords, MatesFoundApartStayUnique) {
  // Templates of 560 (above the maximum) and of 90 (mate 2 reaching past
  // mate 1's start).
  for (int m2 : {1461, 991}) {
    auto r = records(h.align(at(chr1, 1001), rc(at(chr1, m2))));
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0][3], "1001");
    EXPECT_EQ(r[1][3], std::to_string(m2));
    EXPECT_EQ(r[1][5], "100M");
    for (const auto &f : r) {
      EXPECT_EQ(tag(f, "H0:i:"), "1") << m2;
      EXPECT_GT(std::stoi(f[4]), 0) << m2;
      EXPECT_NE(f.back(), "XA:Z:") << m2;
    }
    for (const cand_list_t &l : h.work.list)
      for (size_t a = 0; a < l.size(); ++a)
        for (size_t b = a + 1; b < l.size(); ++b)
          EXPECT_FALSE(l.at(a).loc == l.at(b).loc &&
                       l.at(a).direction == l.at(b).direction)
              << m2 << " at " << l.at(a).loc;
  }
  // Within the template size the found record takes the pairing the
  // copy would have had.
  EXPECT_TRUE(h.work.list[0].recs[0].paired);
  EXPECT_EQ(h.work.list[0].recs[0].penalty, -80);
}

// chr1 holds mate 1's text twice (at 1001 and 3001) and mate 2's text at
// 1201 and, with two mismatches, at 3201.
struct PairRepeat : PairRecords {
  PairRepeat() {
    std::string g = random_dna(6000, 73);
    g.replace(3000, 100, g.substr(1000, 100));
    g.replace(3200, 100, with_mismatches(g.substr(1200, 100), {10, 90}));
    chr1 = g;
    h.idx.~tiny_index_t();
    new (&h.idx) tiny_index_t();
    h.build({{"chr1", chr1}, {"chr2", chr2}});
  }
};

TEST_F(PairRepeat, RepeatMateResolvedByItsPartner) {
  auto r = records(h.align(at(chr1, 1001), rc(at(chr1, 1201))));
  ASSERT_EQ(r.size(), 2u);
  // Mate 2's search keeps only its exact place; the ungapped scan next to
  // mate 1's unpaired copy at 3001 finds the copy at 3201 (2 mismatches).
  ASSERT_EQ(h.work.list[1].size(), 2u);
  EXPECT_EQ(h.work.list[1].at(1).type, 'M');
  EXPECT_EQ(h.work.list[1].at(1).loc, 3201u);
  EXPECT_EQ(h.work.list[1].at(1).penalty, 2 * 20 - 80);
  // Pairs (1001, 1201) at -160 and (3001, 3201) at -120: one best pair.
  EXPECT_EQ(r[0][1], "99");
  EXPECT_EQ(r[0][3], "1001");
  EXPECT_EQ(r[1][3], "1201");
  // Mate 1 is a repeat (own quality 0), mate 2 has one second-tier
  // candidate (20); the pair bonus for one second-tier pair is 20.
  EXPECT_EQ(tag(r[0], "XT:A:"), "R");
  EXPECT_EQ(tag(r[0], "H0:i:"), "2");
  EXPECT_EQ(tag(r[1], "H1:i:"), "1");
  EXPECT_EQ(tag(r[0], "SM:i:"), "0");
  EXPECT_EQ(tag(r[1], "SM:i:"), "20");
  EXPECT_EQ(r[0][4], "35"); // 3 * 20 / 4 + 20
  EXPECT_EQ(r[1][4], "40"); // 20 + 20
  EXPECT_EQ(tag(r[0], "XA:Z:"), "chr1,3001,100M,0;");
  EXPECT_EQ(tag(r[1], "XA:Z:"), "chr1,-3201,100M,2;");
  EXPECT_EQ(h.runs, 0); // the ungapped scan is not a kernel run
}

TEST_F(PairRecords, CandidatePairedTwiceLosesThePriorOnce) {
  h.prepare(at(chr1, 1001), rc(at(chr1, 1201)));
  h.inject(0, 0, true, 1001, "100M");
  h.inject(1, 0, true, 1201, "100M");
  h.inject(1, 20, true, 1301, "100M", 1);
  h.finish();
  const align_loc_pair_t &a = h.work.list[0].recs[0];
  EXPECT_EQ(a.penalty, -80);
  EXPECT_EQ(a.template_size, 300);
  EXPECT_EQ(h.work.pairs.size(), 2u);
  EXPECT_EQ(h.work.result.pair_tiers.best, 1);
  EXPECT_EQ(h.work.result.pair_tiers.second, 1);
}

TEST_F(PairRecords, EqualPairsOneDrawnWithQualityZero) {
  std::set<std::string> seen;
  for (int round = 0; round < 12; ++round) {
    h.prepare(at(chr1, 1001), rc(at(chr1, 1201)));
    for (uint32_t base : {1001u, 2001u, 3001u}) {
      h.inject(0, 0, true, base, "100M");
      h.inject(1, 0, true, base + 200, "100M");
    }
    auto r = records(h.finish());
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0][1], "99");
    EXPECT_EQ(r[0][4], "0");
    EXPECT_EQ(r[1][4], "0");
    EXPECT_EQ(std::stoi(r[1][3]) - std::stoi(r[0][3]), 200);
    EXPECT_EQ(tag(r[0], "XT:A:"), "R");
    // The other two placements, the reported one left out.
    EXPECT_EQ(std::count(r[0].back().begin(), r[0].back().end(), ';'), 2);
    seen.insert(r[0][3]);
  }
  EXPECT_GT(seen.size(), 1u);
  // With one hit allowed no XA tag is written.
  h.p().MAX_HITS = 1;
  h.prepare(at(chr1, 1001), rc(at(chr1, 1201)));
  h.inject(0, 0, true, 1001, "100M");
  h.inject(0, 0, true, 2001, "100M");
  h.inject(1, 0, true, 1201, "100M");
  h.inject(1, 0, true, 2201, "100M");
  for (auto &f : records(h.finish()))
    EXPECT_EQ(tag(f, "XA:Z:"), "");
}

TEST_F(PairRecords, HybridModeSendsUnmappedPairsToSideText) {
  h.p().hybrid_mode = true;
  std::string j1 = random_dna(100, 5), j2 = random_dna(100, 6);
  EXPECT_EQ(h.align(j1, j2), "");
  EXPECT_EQ(h.side[0], "@p/1\n" + j1 + "\n+\n" + std::string(100, 'I') + "\n");
  EXPECT_EQ(h.side[1], "@p/2\n" + j2 + "\n+\n" + std::string(100, 'I') + "\n");
}

TEST_F(PairRecords, BothUnmapped) {
  std::string j1 = random_dna(100, 5), j2 = random_dna(100, 6);
  auto r = records(h.align(j1, j2));
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0][1], "77");
  EXPECT_EQ(r[0][9], j1);
  EXPECT_EQ(r[1][1], "141");
  EXPECT_EQ(r[1][9], j2);
}

} // namespace
