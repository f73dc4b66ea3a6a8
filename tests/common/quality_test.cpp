#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "common/quality.h"

TEST(Quality, SolexaTable) {
  const int first[16] = {1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 7, 8, 9, 10, 10};
  for (int i = 0; i < 68; ++i) {
    double want = 10.0 * std::log10(std::pow(10.0, (i - 5) / 10.0) + 1.0);
    EXPECT_EQ(qual::solexa2phred32_table[i], int(std::lround(want))) << i;
    if (i < 16)
      EXPECT_EQ(qual::solexa2phred32_table[i], first[i]) << i;
    else
      EXPECT_EQ(qual::solexa2phred32_table[i], i - 5) << i;
  }
}

TEST(Quality, Phred64ToSanger) {
  std::string q = "hh";
  EXPECT_TRUE(ill_13tosanger(q));
  EXPECT_EQ(q, "II");
  q = "h?h";
  EXPECT_FALSE(ill_13tosanger(q));
  EXPECT_EQ(q, "I?h");
  q = "@"; // Phred 0 maps to '!'
  EXPECT_TRUE(ill_13tosanger(q));
  EXPECT_EQ(q, "!");
}

TEST(Quality, SangerToPhred64) {
  std::string q = "I!";
  EXPECT_TRUE(sangertoill_13(q));
  EXPECT_EQ(q, "h@");
  q = "I`I"; // '`' is 96, beyond printable Phred+64
  EXPECT_FALSE(sangertoill_13(q));
  EXPECT_EQ(q, "h`I");
  q = "_"; // 95 still fits
  EXPECT_TRUE(sangertoill_13(q));
  EXPECT_EQ(q, "~");
}

TEST(Quality, SolexaToSanger) {
  std::string q = ";h";
  EXPECT_TRUE(solexatosanger(q));
  EXPECT_EQ(q, std::string("\x22I"));
  q = "h:";
  EXPECT_FALSE(solexatosanger(q));
  EXPECT_EQ(q, "I:");
  for (int c = 1; c <= ':'; ++c) {
    std::string one(1, char(c));
    EXPECT_FALSE(solexatosanger(one)) << c;
  }
  q = "~"; // 126: Solexa 62, last table entry
  EXPECT_TRUE(solexatosanger(q));
  EXPECT_EQ(q, std::string(1, char(62 + 33)));
  q = "\x7f";
  EXPECT_FALSE(solexatosanger(q));
}

TEST(Quality, BwaTrimLen) {
  EXPECT_EQ(bwa_trim_len("IIII##", 20, 1), 5);
  EXPECT_EQ(bwa_trim_len("II####", 20, 1), 3);
  EXPECT_EQ(bwa_trim_len("IIIIII", 20, 1), 6);
  EXPECT_EQ(bwa_trim_len("5555", 20, 1), 4); // exactly at the threshold
  EXPECT_EQ(bwa_trim_len("IIII##", 0, 1), 0);
  EXPECT_EQ(bwa_trim_len("IIII##", -3, 1), 0);
  EXPECT_EQ(bwa_trim_len("", 20, 1), 0);
  EXPECT_EQ(bwa_trim_len("######", 20, 10), 6);
  EXPECT_EQ(bwa_trim_len("II####", 20, 0), bwa_trim_len("II####", 20, 1));
  EXPECT_EQ(bwa_trim_len("######", 20, -5), 1);
  EXPECT_EQ(bwa_trim_len("######", 20, 3), 3);
}

TEST(Quality, BwaTrimLenLargeThresholdDoesNotWrap) {
  std::string q(300, '!');
  EXPECT_EQ(bwa_trim_len(q, INT_MAX, 1), 1);
  EXPECT_EQ(bwa_trim_len(q, INT_MAX, 50), 50);
}
