#include <gtest/gtest.h>

#include <sstream>

#include "common/strings.h"
#include "common/timer.h"

namespace {

std::string pct(uint64_t total, uint64_t part) {
  std::ostringstream os;
  output_percentage(os, total, part);
  return os.str();
}

using words = std::vector<std::string>;

} // namespace

TEST(Strings, OutputPercentageForms) {
  EXPECT_EQ(pct(0, 0), "(100.0%)");
  EXPECT_EQ(pct(7, 7), "(100.0%)");
  EXPECT_EQ(pct(7, 0), "(0.0%)");
  EXPECT_EQ(pct(3, 1), " (33.3333%)");
  EXPECT_EQ(pct(8, 1), " (12.5%)");
}

TEST(Strings, OutputPercentageClearsFixedKeepsPrecision) {
  std::ostringstream os;
  os << std::fixed;
  output_percentage(os, 3, 1);
  EXPECT_EQ(os.str(), " (33.333333%)");
  EXPECT_FALSE(os.flags() & std::ios::fixed);
  EXPECT_EQ(os.precision(), 6);
}

TEST(Strings, SplitAtDelimiter) {
  EXPECT_EQ(split("", ','), words{});
  EXPECT_EQ(split("a,", ','), words{"a"});
  EXPECT_EQ(split(",", ','), words{""});
  EXPECT_EQ(split("a,,b", ','), (words{"a", "", "b"}));
  EXPECT_EQ(split(",a", ','), (words{"", "a"}));
}

TEST(Strings, SplitAtWhiteSpace) {
  EXPECT_EQ(split(" \ta  \t b\t "), (words{"a", "b"}));
  EXPECT_EQ(split("   "), words{});
}

TEST(Strings, Trimming) {
  std::string s = " \t\r\n\v\f";
  trim2(s);
  EXPECT_EQ(s, "");
  s = "\tx y \r";
  trim2(s);
  EXPECT_EQ(s, "x y");
  s = "  a ";
  ltrim(s);
  EXPECT_EQ(s, "a ");
  rtrim(s);
  EXPECT_EQ(s, "a");
  s = "\xa0x\xa0"; // bytes above 127 are not white space
  trim2(s);
  EXPECT_EQ(s, "\xa0x\xa0");
}

TEST(Strings, CaseHelpers) {
  EXPECT_EQ(str_toupper("acGt-\xe9z"), "ACGT-\xe9Z");
  EXPECT_EQ(str_nicmp("ab", "AB"), 2);
  EXPECT_EQ(str_icmp("ab", "AB"), 0);
  EXPECT_EQ(str_icmp("ab", "AC"), 1);
  EXPECT_EQ(str_icmp("a", "ab"), -1);
  EXPECT_EQ(str_nicmp("a", "ab"), -1);
}

TEST(Strings, NumberText) {
  EXPECT_EQ(toStr<float>(1234567.0f), "1.23457e+06");
  EXPECT_EQ(toStr<float>(0.5f), "0.5");
  EXPECT_EQ(toStr<int>(-42), "-42");
  EXPECT_EQ(toStr<unsigned int>(4000000000u), "4000000000");
  EXPECT_EQ(strTo<int>("12abc"), 12);
  EXPECT_EQ(strTo<int>("  \t7"), 7);
  EXPECT_EQ(strTo<int>("abc"), 0);
  EXPECT_EQ(strTo<unsigned long>("18446744073709551615"),
            18446744073709551615UL);
  EXPECT_DOUBLE_EQ(strTo<double>("2.5e3x"), 2500.0);
}

TEST(Timer, ElapsedTime) {
  ro_timer t;
  EXPECT_GE(t.elapsed_time(), 0.0);
  EXPECT_LT(t.elapsed_time(), 5.0);
  t.enabled = false;
  EXPECT_EQ(t.elapsed_time(), 0.0);
}
