#include <gtest/gtest.h>

#include <set>

#include "common/mt_random.h"
#include "sim_test_util.h"

TEST(SimGenome, LocateSkipsEmptySequences) {
  // chr2 is empty and shares its start with chr3; chr3 must stay reachable.
  sim_genome_t g = load_test_genome(">chr1\nACGTA\n>chr2\n>chr3\nGGCC\n");
  EXPECT_EQ(g.length, 9);
  sim_locus_t at = locate(g, 5);
  EXPECT_EQ(*at.chr, "chr1");
  EXPECT_EQ(at.loc, 5);
  at = locate(g, 6);
  EXPECT_EQ(*at.chr, "chr3");
  EXPECT_EQ(at.loc, 1);
  EXPECT_EQ(*at.seq, "GGCC");
  at = locate(g, 9);
  EXPECT_EQ(*at.chr, "chr3");
  EXPECT_EQ(at.loc, 4);
}

TEST(SimGenome, CleanRunsAndLongest) {
  sim_genome_t g = load_test_genome(">a\nACGTNacgtac\n>b\nNNNNNNNNNNNNNNNN\n");
  EXPECT_EQ(longest_sequence(g), 16);
  EXPECT_TRUE(has_clean_run(g, 6, 1)); // lower case counts
  EXPECT_FALSE(has_clean_run(g, 7, 1));
  EXPECT_FALSE(has_clean_run(g, 6, 12)); // only b is that long
  std::string out;
  EXPECT_TRUE(copy_clean_upper(g.seqs["a"], 6, 6, out));
  EXPECT_EQ(out, "ACGTAC");
  EXPECT_FALSE(copy_clean_upper(g.seqs["a"], 4, 3, out));
  EXPECT_EQ(out, "TNA");
}

TEST(SimGenome, RandomBasesAndSubstitutions) {
  MT_random gen;
  std::string mer = rand_mer(gen, 400);
  EXPECT_EQ(mer.size(), 400u);
  EXPECT_TRUE(only_acgt(mer));
  EXPECT_EQ(std::set<char>(mer.begin(), mer.end()).size(), 4u);
  for (char b : std::string("ACGT")) {
    std::set<char> seen;
    for (int i = 0; i < 60; ++i) {
      char s = substitute_base(b, gen);
      EXPECT_NE(s, b);
      seen.insert(s);
    }
    EXPECT_EQ(seen.size(), 3u);
  }
  std::set<char> from_n;
  for (int i = 0; i < 60; ++i)
    from_n.insert(substitute_base('N', gen));
  EXPECT_EQ(from_n, (std::set<char>{'A', 'C', 'G'}));
}
