#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <unistd.h>

#include "tools/fastq_rewrite.h"
#include "tools/read_filters.h"
#include "tools/subseq.h"
#include "tools/tool_io.h"

namespace {

TEST(QualityFilter, ShareOfGoodBases) {
  EXPECT_TRUE(quality_end_passes("??##", 30, 50));  // exactly half
  EXPECT_FALSE(quality_end_passes("?###", 30, 50)); // a quarter
  EXPECT_TRUE(quality_end_passes("####", 30, 0));
  EXPECT_TRUE(quality_end_passes("!!!!", 0, 100));
  EXPECT_TRUE(quality_end_passes("\x7f", 94, 100));
  EXPECT_FALSE(quality_end_passes("\x7f", 95, 1));
  EXPECT_TRUE(quality_end_passes("", 30, 0));
  EXPECT_FALSE(quality_end_passes("", 30, 1));
}

TEST(QualConvert, StopsAtRefusedCharacter) {
  std::string q = "h;:h";
  EXPECT_FALSE(convert_quality(q, QF_SOLEXA, QF_SANGER));
  EXPECT_EQ(q, "I\":h");
  q = "h?h";
  EXPECT_FALSE(convert_quality(q, QF_ILLUMINA, QF_SANGER));
  EXPECT_EQ(q, "I?h");
  q = "I`";
  EXPECT_FALSE(convert_quality(q, QF_SANGER, QF_ILLUMINA));
  EXPECT_EQ(q, "h`");
  q = "\x7f";
  EXPECT_FALSE(convert_quality(q, QF_SOLEXA, QF_ILLUMINA));
}

TEST(Subseq, RegionBounds) {
  const std::string seq = "acgtnACGTA";
  std::string r;
  EXPECT_TRUE(region_of(seq, 2, 5, r));
  EXPECT_EQ(r, "CGTN");
  EXPECT_TRUE(region_of(seq, 10, 10, r));
  EXPECT_EQ(r, "A");
  EXPECT_TRUE(region_of(seq, 9, INT64_MAX, r));
  EXPECT_EQ(r, "TA");
  EXPECT_TRUE(region_of(seq, 11, 20, r));
  EXPECT_EQ(r, "");
  EXPECT_FALSE(region_of(seq, 12, 20, r));
  EXPECT_FALSE(region_of(seq, 0, 3, r));
  EXPECT_FALSE(region_of(seq, INT64_MIN, INT64_MAX, r));
  EXPECT_FALSE(region_of("", 2, 2, r));
  EXPECT_TRUE(region_of("", 1, 1, r));
}

TEST(ToolIo, OutputNames) {
  EXPECT_EQ(fq_names("p", "", 1), std::vector<std::string>{"p.fq"});
  EXPECT_EQ(fq_names("p", "_reject", 2),
            (std::vector<std::string>{"p_reject_1.fq", "p_reject_2.fq"}));
  EXPECT_EQ(mate_suffix(1, 0), "");
  EXPECT_EQ(mate_suffix(2, 1), "/2");
}

// Links name the same file under another path.
TEST(ToolIo, OutputOverInputIsFound) {
  const std::string dir =
      testing::TempDir() + "venkari_tools_" + std::to_string(::getpid()) + "_";
  const std::string in = dir + "in.fq", hard = dir + "hard.fq",
                    soft = dir + "soft.fq", other = dir + "other.fq";
  std::ofstream(in) << "@a\nA\n+\nI\n";
  ASSERT_EQ(::link(in.c_str(), hard.c_str()), 0);
  ASSERT_EQ(::symlink(in.c_str(), soft.c_str()), 0);
  testing::internal::CaptureStderr();
  EXPECT_TRUE(output_is_input({other, hard}, {in}));
  EXPECT_TRUE(output_is_input({soft}, {other, in}));
  EXPECT_FALSE(output_is_input({other}, {in}));
  testing::internal::GetCapturedStderr();
  for (const std::string &p : {in, hard, soft})
    std::remove(p.c_str());
}

} // namespace
