#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "aligner/setup/2_pen_tester.h"
#include "common/strings.h"

namespace {

pen_tester defaults() {
  return pen_tester(0.05f, -1, 0.005f, -1, 50, 5, 15, 40, 2);
}

std::vector<std::string> lines_of(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line))
    lines.push_back(line);
  return lines;
}

TEST(PenTester, HundredBaseReadWithDefaults) {
  pen_tester pen = defaults();
  pen.set_length(100, 0);
  EXPECT_EQ(pen.max_count_mm[0], 7);
  EXPECT_EQ(pen.max_pen_mm[0], 140);
  EXPECT_EQ(pen.max_count_gap[0], 1);
  EXPECT_EQ(pen.max_pen_gap[0], 530);
  EXPECT_EQ(pen.min_diff_found[0], 530);
  std::ostringstream os;
  pen.print_mm_pens(os, 100, 100);
  EXPECT_EQ(os.str(), "100bp - 100bp reads: max mismatch = 7\n");
}

TEST(PenTester, DefaultTableFromKmerSizeTo500) {
  pen_tester pen = defaults();
  std::ostringstream os;
  pen.print_mm_pens(os, 12, 500);
  std::vector<std::string> lines = lines_of(os.str());
  ASSERT_EQ(lines.size(), 26u);
  EXPECT_EQ(lines[0], "12bp - 21bp reads: max mismatch = 2");
  EXPECT_EQ(lines[1], "22bp - 34bp reads: max mismatch = 3");
  EXPECT_EQ(lines[2], "35bp - 50bp reads: max mismatch = 4");
  EXPECT_EQ(lines[25], "480bp - 500bp reads: max mismatch = 27");
  // Runs cover every length once and the count only grows.
  int expect_from = 12, previous = 1;
  for (const std::string &l : lines) {
    int from = strTo<int>(l), to = strTo<int>(l.substr(l.find("- ") + 2));
    int count = strTo<int>(l.substr(l.find("= ") + 2));
    EXPECT_EQ(from, expect_from);
    EXPECT_GT(count, previous);
    expect_from = to + 1;
    previous = count;
  }
  EXPECT_EQ(expect_from, 501);
  // Printing filled the cache that worker copies take with them.
  EXPECT_EQ(pen.diff_map.size(), 489u);
  pen_tester copy(pen);
  EXPECT_EQ(copy.diff_map.at(250), pen.get_max_mm(250));
}

TEST(PenTester, FixedCountsAndRates) {
  pen_tester three(0.05f, 3, 0.005f, -1, 50, 5, 15, 40, 2);
  std::ostringstream os;
  three.print_mm_pens(os, 12, 500);
  EXPECT_EQ(os.str(), "12bp - 500bp reads: max mismatch = 3\n");
  pen_tester none(0.05f, 0, 0.005f, 2, 50, 5, 15, 40, 2);
  EXPECT_EQ(none.get_max_mm(150), 0);
  EXPECT_EQ(none.get_max_gap_count(1000), 2);
  pen_tester pen = defaults();
  EXPECT_EQ(pen.get_max_mm(1), 0);
  EXPECT_EQ(pen.get_max_gap_count(200), 1);
  EXPECT_EQ(pen.get_max_gap_count(201), 2);
  for (int len = 1; len < 60; len++)
    EXPECT_LT(pen.get_max_mm(len), len);
}

TEST(PenTester, PerMateLimitsAndBounds) {
  pen_tester pen = defaults();
  pen.set_length(100, 100);
  pen.set_length(50, 0);
  EXPECT_EQ(pen.line_len[1], 0);
  EXPECT_EQ(pen.max_count_mm[1], 7);
  EXPECT_EQ(pen.max_pen_gap[1], 530);
  EXPECT_EQ(pen.max_count_mm[0], 4);
  pen.reset_min_diff_found(0);
  EXPECT_EQ(pen.min_diff_found[0], 80);
  EXPECT_EQ(pen.get_pen_one_more(0), 80);
  EXPECT_TRUE(pen.update_min_diff(0, 20));
  EXPECT_FALSE(pen.update_min_diff(0, 20));
  EXPECT_EQ(pen.get_pen_one_more(0), 40);
  pen.reset_min_diff_found_gap(0);
  EXPECT_EQ(pen.get_pen_one_more_gap(0), pen.max_pen_gap[0]);
  EXPECT_EQ(pen.get_max_gap_size(50), 6);
  EXPECT_EQ(pen.get_extra_dist(0), 55);
}

TEST(PenTester, ZeroExtensionCostReachesTheLongestExtension) {
  pen_tester pen(0.05f, -1, 0.005f, -1, 50, 5, 15, 40, 0);
  EXPECT_EQ(pen.get_max_gap_size(500), 50);
}

TEST(Binomial, KnownValues) {
  EXPECT_NEAR(binom_prob(0, 10, 0.5), 1.0 / 1024, 1e-12);
  EXPECT_NEAR(binom_prob(5, 10, 0.5), 252.0 / 1024, 1e-12);
  EXPECT_NEAR(binom_p(0.04, 0.96, 1, 2), 2 * 0.04 * 0.96, 1e-12);
}

} // namespace
