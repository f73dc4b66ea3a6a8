#include <gtest/gtest.h>

#include "simulate/truth_name.h"

TEST(TruthName, SingleForms) {
  EXPECT_EQ(format_single_truth_name(7, "chr2", 1000, 3, 0), "7;chr2:1000;3;0");
  EXPECT_EQ(format_single_truth_name(1, "c", 5, -1, 1), "1;c:5;-1;1");
  EXPECT_EQ(format_single_random_truth_name(8), "8;*:*;*");
}

TEST(TruthName, PairForms) {
  EXPECT_EQ(format_pair_truth_name(12, "chrX", 501, 701, 300, 0, 1),
            "12;chrX:501;701;300;0/1");
  EXPECT_EQ(format_pair_truth_name(12, "chrX", 501, 701, 300, 0, 2),
            "12;chrX:501;701;300;0/2");
  EXPECT_EQ(format_pair_random_truth_name(13, 280, 1, 1), "13;*:*;*;280;1/1");
  EXPECT_EQ(format_pair_random_truth_name(13, 280, 1, 2), "13;*:*;*;280;1/2");
  // Positions are unsigned 32-bit: no sign even above 2^31.
  EXPECT_EQ(format_pair_truth_name(1, "c", 3000000000u, 3000000100u, 200, 1, 1),
            "1;c:3000000000;3000000100;200;1/1");
}

TEST(TruthName, SingleRoundTrip) {
  truth_name_t t = parse_single_truth_name("7;chr2:1000;3;0");
  EXPECT_TRUE(t.sim);
  EXPECT_FALSE(t.random);
  EXPECT_EQ(t.chr, "chr2");
  EXPECT_EQ(t.pos, 1000);
  ASSERT_EQ(t.fields.size(), 4u);
  EXPECT_EQ(t.fields[2], "3");
  EXPECT_EQ(t.fields[3], "0");
}

TEST(TruthName, PairRoundTripThroughCut) {
  std::string name = cut_pair_read_name(
      format_pair_truth_name(12, "chrX", 501, 701, 300, 0, 2));
  EXPECT_EQ(name, "12;chrX:501;701;300;0");
  truth_name_t t = parse_pair_truth_name(name);
  EXPECT_TRUE(t.sim);
  EXPECT_FALSE(t.random);
  EXPECT_EQ(t.chr, "chrX");
  EXPECT_EQ(t.pos, 501);
  EXPECT_EQ(t.pos_next, 701);
  // Large unsigned positions come back whole.
  t = parse_pair_truth_name("1;c:3000000000;3000000100;200;1");
  EXPECT_EQ(t.pos, 3000000000LL);
  EXPECT_EQ(t.pos_next, 3000000100LL);
}

TEST(TruthName, RandomNamesAreSimulatedWithoutOrigin) {
  truth_name_t s = parse_single_truth_name("8;*:*;*");
  EXPECT_TRUE(s.sim);
  EXPECT_TRUE(s.random);
  EXPECT_EQ(s.chr, "*");
  EXPECT_EQ(s.pos, 0);
  truth_name_t p =
      parse_pair_truth_name(cut_pair_read_name("13;*:*;*;280;1/1"));
  EXPECT_TRUE(p.sim);
  EXPECT_TRUE(p.random);
  EXPECT_EQ(p.pos, 0);
  EXPECT_EQ(p.pos_next, 0);
}

TEST(TruthName, RealAndOddNames) {
  EXPECT_FALSE(parse_single_truth_name("SRR001.17").sim);
  EXPECT_FALSE(parse_pair_truth_name("SRR001.17").sim);
  EXPECT_FALSE(parse_single_truth_name("").sim);
  // Two fields are enough for a single name but not for a pair name.
  EXPECT_TRUE(parse_single_truth_name("1;c:5").sim);
  EXPECT_FALSE(parse_pair_truth_name("1;c:5").sim);
  // No ':' in field 2: the whole field is the name and the position text.
  truth_name_t t = parse_single_truth_name("1;42;0;0");
  EXPECT_EQ(t.chr, "42");
  EXPECT_EQ(t.pos, 42);
}

// The position follows the last ':', so a sequence name may hold ':'.
TEST(TruthName, SequenceNamesWithColons) {
  for (const char *chr :
       {"HLA-A*01:01:01:01", "chrL:1000-30000", "a::b", ":"}) {
    const std::string single = format_single_truth_name(5, chr, 70, 2, 1);
    truth_name_t t = parse_single_truth_name(single);
    EXPECT_TRUE(t.sim) << single;
    EXPECT_FALSE(t.random) << single;
    EXPECT_EQ(t.chr, chr) << single;
    EXPECT_EQ(t.pos, 70) << single;
    const std::string pair = cut_pair_read_name(
        format_pair_truth_name(6, chr, 3000000000u, 3000000100u, 300, 0, 2));
    t = parse_pair_truth_name(pair);
    EXPECT_TRUE(t.sim) << pair;
    EXPECT_FALSE(t.random) << pair;
    EXPECT_EQ(t.chr, chr) << pair;
    EXPECT_EQ(t.pos, 3000000000LL) << pair;
    EXPECT_EQ(t.pos_next, 3000000100LL) << pair;
  }
  truth_name_t t = parse_single_truth_name("1;HLA:A:70;0;0");
  EXPECT_EQ(t.chr, "HLA:A");
  EXPECT_EQ(t.pos, 70);
  // An empty name before the last ':' is still a name, not a random read.
  t = parse_single_truth_name("1;:9;0;0");
  EXPECT_FALSE(t.random);
  EXPECT_EQ(t.chr, "");
  EXPECT_EQ(t.pos, 9);
  // A position text that ends in ':' reads as no position.
  t = parse_single_truth_name("1;chr1:5:;0;0");
  EXPECT_EQ(t.chr, "chr1:5");
  EXPECT_EQ(t.pos, 0);
}

TEST(TruthName, CutPairReadName) {
  EXPECT_EQ(cut_pair_read_name("x/1"), "x");
  EXPECT_EQ(cut_pair_read_name("x y/2"), "x");
  EXPECT_EQ(cut_pair_read_name("x\tz"), "x");
  EXPECT_EQ(cut_pair_read_name("plain"), "plain");
  EXPECT_EQ(cut_pair_read_name(""), "");
}
