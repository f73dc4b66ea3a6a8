#include <gtest/gtest.h>

#include <limits>
#include <sstream>

#include "../common/text_source.h"
#include "check/check_common.h"
#include "check/sam_group.h"

namespace {

TEST(CheckWiggle, ToleranceShrinksWithDistance) {
  // Five bases with two inserted after base 3: 2, 3, 6, 7, 8.
  const std::vector<uint32_t> m = {2, 3, 6, 7, 8};
  EXPECT_TRUE(check_wiggle_kernel(m, 3, 6, 0));
  EXPECT_FALSE(check_wiggle_kernel(m, 3, 5, 0));
  EXPECT_TRUE(check_wiggle_kernel(m, 3, 5, 1));
  // Neighbour 1 away must match 1 more closely: entry 7 for truth 8 at
  // wiggle 2 is |7-8| = 1 <= 1.
  EXPECT_TRUE(check_wiggle_kernel(m, 3, 8, 2));
  EXPECT_TRUE(check_wiggle_kernel(m, 1, 6, 2));
  EXPECT_FALSE(check_wiggle_kernel(m, 1, 7, 2));
  EXPECT_FALSE(check_wiggle_kernel(m, 0, 2, 5));
  EXPECT_FALSE(check_wiggle_kernel(m, 6, 8, 5));
  EXPECT_FALSE(check_wiggle_kernel({}, 1, 1, 5));
  // A huge wiggle does not walk past the ends for ever.
  EXPECT_TRUE(check_wiggle_kernel(m, 1, 1000, std::numeric_limits<int>::max()));
  // Deleted bases (0) are reached through their neighbours.
  const std::vector<uint32_t> d = {2, 0, 0, 3, 4};
  EXPECT_FALSE(check_wiggle_kernel(d, 2, 3, 0));
  EXPECT_TRUE(check_wiggle_kernel(d, 3, 3, 1));
  EXPECT_FALSE(check_wiggle_kernel(d, 2, 3, 1));
}

TEST(CheckWiggle, NoOverflowAtExtremes) {
  const int64_t lo = std::numeric_limits<int64_t>::min();
  const int64_t hi = std::numeric_limits<int64_t>::max();
  EXPECT_FALSE(within_wiggle(lo, hi, 5));
  EXPECT_FALSE(within_wiggle(hi, lo, hi));
  EXPECT_TRUE(within_wiggle(hi, hi - 3, 3));
  EXPECT_FALSE(within_wiggle(7, 7, -1));
}

// The names of the groups that `g`, its options set by the caller, reads
// from `sam`; g keeps what it counted and found.
std::vector<std::vector<std::string>> groups_of(const std::string &sam,
                                                sam_grouper_t &g) {
  line_reader_t in;
  read_text(in, sam);
  g.in = &in;
  aln_list_t aln;
  std::vector<std::vector<std::string>> names;
  while (next_sam_group(g, aln)) {
    names.emplace_back();
    for (const sam_line_t &l : aln)
      names.back().push_back(l[0]);
  }
  g.in = nullptr;
  return names;
}

std::vector<std::vector<std::string>>
groups_of(const std::string &sam, bool cut, uint64_t *short_lines) {
  sam_grouper_t g;
  g.cut_pair_names = cut;
  const auto names = groups_of(sam, g);
  *short_lines = g.short_lines;
  return names;
}

std::string rec(const std::string &qname) {
  return qname + "\t0\tc\t1\t60\t4M\t*\t0\t0\tACGT\tIIII\n";
}

TEST(SamGroup, AdjacentLinesOfOneNameFormAGroup) {
  const std::string sam = "@HD\tVN:1.4\n" + rec("a") + rec("a") +
                          "@CO\tmiddle\n\n" + rec("b") + "b\t0\tc\n" +
                          rec("a") + rec("x/1") + rec("x/2") + rec("x 2");
  uint64_t short_lines = 0;
  const auto plain = groups_of(sam, false, &short_lines);
  ASSERT_EQ(plain.size(), 6u);
  EXPECT_EQ(plain[0], (std::vector<std::string>{"a", "a"}));
  EXPECT_EQ(plain[2], (std::vector<std::string>{"a"}));
  EXPECT_EQ(short_lines, 1u);
  const auto cut = groups_of(sam, true, &short_lines);
  ASSERT_EQ(cut.size(), 4u);
  EXPECT_EQ(cut[3], (std::vector<std::string>{"x", "x", "x"}));
  EXPECT_TRUE(groups_of("", false, &short_lines).empty());
}

// Whether a grouper that refuses coordinate-sorted files stops at `sam`'s
// header, and how many groups it gave before.
bool refused(const std::string &sam, size_t *groups) {
  sam_grouper_t g;
  g.refuse_coordinate_sorted = true;
  *groups = groups_of(sam, g).size();
  return g.coordinate_sorted;
}

TEST(SamGroup, CoordinateSortedHeaderIsRefused) {
  const std::string body = rec("a") + rec("b");
  size_t groups = 0;
  EXPECT_TRUE(refused("@HD\tVN:1.6\tSO:coordinate\n" + body, &groups));
  EXPECT_EQ(groups, 0u);
  EXPECT_TRUE(refused("@HD\tSO:coordinate\tVN:1.6\n" + body, &groups));
  // Windows line ends: the header says the same once its line end is off.
  EXPECT_TRUE(refused("@HD\tVN:1.6\tSO:coordinate\r\n" + body, &groups));
  EXPECT_EQ(groups, 0u);
  // Only the @HD line's own sort order counts, and only that word.
  for (const char *header :
       {"@HD\tVN:1.6\tSO:queryname\n", "@HD\tVN:1.6\tSO:unsorted\n",
        "@HD\tVN:1.6\tGO:query\tSO:coordinates\n", "@CO\tSO:coordinate\n",
        "@HDX\tSO:coordinate\n"}) {
    EXPECT_FALSE(refused(header + body, &groups)) << header;
    EXPECT_EQ(groups, 2u) << header;
  }
  // Without the refusal any order is read.
  uint64_t short_lines = 0;
  EXPECT_EQ(
      groups_of("@HD\tVN:1.6\tSO:coordinate\n" + body, false, &short_lines)
          .size(),
      2u);
}

TEST(CheckReport, TenLines) {
  check_totals_t t;
  t.total_reads = 3;
  t.total_unique_reads = 2;
  t.total_mapq_reads = 1;
  t.total_reads_aligned = 3;
  t.total_unique_reads_aligned = 2;
  t.total_mapq_reads_aligned = 0;
  std::ostringstream os;
  write_check_report(os, 8, 10, t, 4);
  EXPECT_EQ(os.str(), "Total reads:          8\n"
                      "Total reads mapped:   3  (37.5%)\n"
                      "Total reads correct:  3 (100.0%)\n"
                      "Total unique mapped:  2  (25%)\n"
                      "Total unique correct: 2 (100.0%)\n"
                      "Total mapq>=10 mapped:  1  (12.5%)\n"
                      "Total mapq>=10 correct: 0 (0.0%)\n"
                      "Total multi mapped:   1  (12.5%)\n"
                      "Total multi correct:  1 (100.0%)\n"
                      "Total alignments:     4\n");
}

} // namespace
