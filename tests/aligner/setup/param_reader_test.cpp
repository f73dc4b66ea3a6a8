#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "aligner/setup/1_align_options.h"
#include "aligner/setup/2_pen_tester.h"
#include "aligner/setup/param_reader.h"
#include "aligner/setup/params.h"
#include "common/fast.h"

namespace {

param_reader align_reader() {
  return param_reader(
      "ufas", {"pg", "phase_seq_trim", "assemble", "all_hits", "novo"},
      "12ufapnroehbimsygldc", {"max_occ", "pg", "trim", "novo", "rg"});
}

struct parsed {
  int stop;
  std::string err;
  param_reader r;
};

parsed parse(const std::vector<std::string> &words) {
  parsed p{0, "", align_reader()};
  testing::internal::CaptureStderr();
  p.stop = p.r.add_params(words);
  p.err = testing::internal::GetCapturedStderr();
  return p;
}

TEST(ParamReader, CombinedLetters) {
  parsed p = parse({"-up", "4"});
  EXPECT_EQ(p.stop, 0);
  EXPECT_EQ(p.r.get_val("u"), "\n");
  EXPECT_EQ(p.r.get_val("p"), "4");
  p = parse({"-pu", "4"});
  EXPECT_EQ(p.stop, 1);
  EXPECT_EQ(p.err, "Option needs Argument: p\n");
  p = parse({"-x"});
  EXPECT_EQ(p.stop, 1);
  EXPECT_EQ(p.err, "Option doesn't exist: x\n");
}

TEST(ParamReader, LongOptions) {
  parsed p = parse({"-p", "2", "--max_occ"});
  EXPECT_EQ(p.stop, 3);
  EXPECT_EQ(p.err, "Option needs Argument: max_occ\n");
  p = parse({"--cigar14"});
  EXPECT_EQ(p.stop, 1);
  EXPECT_EQ(p.err, "Option doesn't exist: cigar14\n");
  p = parse({"--pg", "-p", "2"});
  EXPECT_EQ(p.stop, 0);
  EXPECT_EQ(p.r.get_val("pg"), std::string(1, param_reader::BLANK));
  EXPECT_EQ(p.r.get_val("p"), "2");
  EXPECT_EQ(p.r.get_val("max_occ"), "");
}

TEST(ParamReader, FirstValueWinsAndValuesMayStartWithDash) {
  parsed p = parse({"-n", "5", "-n", "7", "-p", "-3"});
  EXPECT_EQ(p.stop, 0);
  EXPECT_EQ(p.r.get_val("n"), "5");
  EXPECT_EQ(p.r.get_val("p"), "-3");
}

TEST(ParamReader, StrayWordsStopWithoutMessage) {
  parsed p = parse({"-1", "reads.fq", "extra"});
  EXPECT_EQ(p.stop, 3);
  EXPECT_EQ(p.err, "");
  p = parse({"-"});
  EXPECT_EQ(p.stop, 1);
  EXPECT_EQ(p.err, "");
  EXPECT_EQ(parse({}).stop, 0);
}

// The align options after "-1 /dev/null" read into p; returns the status.
int align_options(tolve_params_t &p, std::vector<std::string> words) {
  words.insert(words.begin(), {"-1", "/dev/null"});
  std::string files[2];
  testing::internal::CaptureStderr();
  int status = read_align_options(&p, "idx", words, files);
  testing::internal::GetCapturedStderr();
  delete p.pen;
  delete p.reads_file[0];
  return status;
}

// --kmer_pen_nw sets the look-ahead factor that seeding and the gapped phase
// both stop on, the one --kmer_pen sets, and not the gapped copy that no
// step reads; given with --kmer_pen, it wins.
TEST(AlignOptions, KmerPenNwSetsTheSharedFactor) {
  tolve_params_t pen, pen_nw, both;
  ASSERT_EQ(align_options(pen, {"--kmer_pen", "7"}), 0);
  ASSERT_EQ(align_options(pen_nw, {"--kmer_pen_nw", "7"}), 0);
  ASSERT_EQ(align_options(both, {"--kmer_pen_nw", "3", "--kmer_pen", "7"}), 0);
  EXPECT_EQ(pen.NUM_VAL, 7);
  EXPECT_EQ(pen_nw.NUM_VAL, 7);
  EXPECT_EQ(pen_nw.NUM_VAL_SW, 1);
  EXPECT_EQ(pen_nw.DENUM_VAL, pen.DENUM_VAL);
  EXPECT_EQ(both.NUM_VAL, 3);
  EXPECT_EQ(both.NUM_VAL_SW, 1);
}

} // namespace
