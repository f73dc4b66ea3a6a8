#include <fstream>
#include <gtest/gtest.h>

#include "common/mate_names.h"
#include "scratch_dir.h"

namespace {

fast_t named(const char *name) {
  fast_t rec;
  rec.name = name;
  rec.seq = "ACGT";
  return rec;
}

} // namespace

TEST(MateNames, EqualNamesPairSilently) {
  fast a, b;
  a.filename = "a_1.fq";
  b.filename = "a_2.fq";
  testing::internal::CaptureStderr();
  EXPECT_TRUE(mates_agree(named("r7"), named("r7"), 7, a, b));
  EXPECT_TRUE(mates_agree(named(""), named(""), 8, a, b));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(MateNames, DifferentNamesStopWithOneLine) {
  fast a, b;
  a.filename = "pr_1.fq";
  b.filename = "skew_2.fq";
  testing::internal::CaptureStderr();
  EXPECT_FALSE(mates_agree(named("r11"), named("r12"), 11, a, b));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: mates of pair 11 have different names: \"r11\" in "
            "pr_1.fq, \"r12\" in skew_2.fq\n");
  // Names are compared whole: a name that only begins like its mate's is
  // another read.
  testing::internal::CaptureStderr();
  EXPECT_FALSE(mates_agree(named("r1"), named("r10"), 1, a, b));
  EXPECT_FALSE(mates_agree(named("r1"), named("R1"), 2, a, b));
  testing::internal::GetCapturedStderr();
}

// The reader cuts names at the first blank, tab, '/' or carriage return,
// so mates that differ only after it pair.
TEST(MateNames, CutNamesOfTheReaderPair) {
  scratch_t tmp;
  const std::string p1 = tmp.dir + "/m_1.fq", p2 = tmp.dir + "/m_2.fq";
  std::ofstream(p2) << "@r1/2 2:N:0\nACGT\n+\nIIII\n";
  for (const char *text :
       {"@r1/1\nACGT\n+\nIIII\n", "@r1 1:N:0\nACGT\n+\nIIII\n",
        "@r1\tx\nACGT\n+\nIIII\n", "@r1\r\nACGT\r\n+\r\nIIII\r\n"}) {
    std::ofstream(p1) << text;
    fast a, b;
    ASSERT_TRUE(a.open(p1));
    ASSERT_TRUE(b.open(p2));
    fast_t m1, m2;
    ASSERT_GE(a.next_record(m1), 0);
    ASSERT_GE(b.next_record(m2), 0);
    EXPECT_TRUE(mates_agree(m1, m2, 1, a, b)) << text;
  }
}
