#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "aligner/setup/param_reader.h"

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

} // namespace
