#include <climits>
#include <gtest/gtest.h>

#include "common/number_word.h"

namespace {

bool whole(const std::string &w, int64_t &v) {
  return whole_word(w, INT64_MIN, INT64_MAX, v);
}
bool real(const std::string &w, double &v) {
  return real_word(w, -NO_UPPER_LIMIT, NO_UPPER_LIMIT, v);
}

} // namespace

// Words the stream extraction took whole keep their value; a word with
// anything else in it is no number.
TEST(NumberWord, WholeWordOnly) {
  int64_t v = 0;
  for (auto [w, want] : {std::pair<const char *, int64_t>{"+5", 5},
                         {"007", 7},
                         {" \t7", 7},
                         {"7 ", 7},
                         {"-0", 0},
                         {"-12", -12}}) {
    EXPECT_TRUE(whole(w, v)) << w;
    EXPECT_EQ(v, want) << w;
  }
  for (const char *w : {"", " ", "4x", "12abc", "1e3", "5.0", "5.", "0x10",
                        "- 5", "5 5", "9223372036854775808"})
    EXPECT_FALSE(whole(w, v)) << w;

  double d = 0;
  for (auto [w, want] : {std::pair<const char *, double>{"1e-3", 0.001},
                         {".5", 0.5},
                         {"5.", 5},
                         {"+5", 5},
                         {"1e1", 10},
                         {" 2.5 ", 2.5}}) {
    EXPECT_TRUE(real(w, d)) << w;
    EXPECT_DOUBLE_EQ(d, want) << w;
  }
  for (const char *w :
       {"", "abc", "2.5e3x", "inf", "nan", "-inf", "1e999", "0x1p3", "1,5"})
    EXPECT_FALSE(real(w, d)) << w;
  float f = 0;
  EXPECT_TRUE(real_word("0.05", 0, 1, f));
  EXPECT_EQ(f, 0.05f);
  EXPECT_FALSE(real_word("1e39", -NO_UPPER_LIMIT, NO_UPPER_LIMIT, f));
}

TEST(NumberWord, BoundsBothIncluded) {
  int64_t v = 0;
  EXPECT_TRUE(whole_word("0", 0, 4, v));
  EXPECT_TRUE(whole_word("4", 0, 4, v));
  EXPECT_FALSE(whole_word("5", 0, 4, v));
  EXPECT_FALSE(whole_word("-1", 0, 4, v));
  double d = 0;
  EXPECT_TRUE(real_word("100", 0, 100, d));
  EXPECT_FALSE(real_word("100.001", 0, 100, d));
  EXPECT_FALSE(real_word("-0.5", 0, 100, d));
  EXPECT_TRUE(real_word("1e300", 0, NO_UPPER_LIMIT, d));
}

TEST(NumberWord, Wording) {
  EXPECT_EQ(whole_what(0, 4), "a whole number from 0 to 4");
  EXPECT_EQ(whole_what(1, INT64_MAX), "a whole number of at least 1");
  EXPECT_EQ(real_what(0, 100), "a number from 0 to 100");
  // The end of the variable is named to a whole number past it, however
  // large; other words keep the short form.
  EXPECT_EQ(whole_what(0, INT_MAX, "2147483648"),
            "a whole number from 0 to 2147483647");
  EXPECT_EQ(whole_what(0, INT64_MAX, " +99999999999999999999 "),
            "a whole number from 0 to 9223372036854775807");
  EXPECT_EQ(whole_what(INT_MIN, INT_MAX, "-2147483649"),
            "a whole number from -2147483648 to 2147483647");
  EXPECT_EQ(whole_what(INT_MIN, INT_MAX, "-99999999999999999999"),
            "a whole number from -2147483648 to 2147483647");
  EXPECT_EQ(whole_what(0, INT_MAX, "-5"), "a whole number of at least 0");
  EXPECT_EQ(whole_what(0, INT_MAX, "99999999999999999999x"),
            "a whole number of at least 0");
  EXPECT_EQ(whole_what(0, INT_MAX, "2147483647"),
            "a whole number of at least 0");
  EXPECT_EQ(whole_what(INT_MIN, INT_MAX, "2.5"), "a whole number");
  EXPECT_EQ(whole_what(1, 32, "99999999999999999999"),
            "a whole number from 1 to 32");
  EXPECT_EQ(real_what(0.5, NO_UPPER_LIMIT), "a number of at least 0.5");
  EXPECT_EQ(number_complaint("a whole number from 1 to 255", "4x"),
            "a whole number from 1 to 255, not \"4x\"");
}

// The argument forms: bounds narrowed to the variable's type, the one-line
// report, and the kind-only form that leaves the range to the caller.
TEST(NumberWord, Arguments) {
  int i = 7;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(whole_arg("0", "read_len", 1, INT64_MAX, i));
  EXPECT_FALSE(whole_arg("99999999999", "read_len", 1, INT64_MAX, i));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: read_len must be a whole number of at least 1, "
            "not \"0\"\n"
            "ERROR: read_len must be a whole number from 1 to 2147483647, "
            "not \"99999999999\"\n");
  EXPECT_EQ(i, 7);
  EXPECT_TRUE(whole_arg("2147483647", "read_len", 1, INT64_MAX, i));
  EXPECT_EQ(i, INT_MAX);

  uint64_t n = 0;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(whole_arg("-1", "num_reads", 1, INT64_MAX, n));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: num_reads must be a whole number of at least 1, "
            "not \"-1\"\n");

  EXPECT_TRUE(whole_kind_arg("-5", "num_reads", 0, INT_MAX, i));
  EXPECT_EQ(i, -5);
  double d = 0;
  EXPECT_TRUE(real_kind_arg("150", "percent", 0, 100, d));
  EXPECT_EQ(d, 150);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(real_kind_arg("abc", "percent", 0, 100, d));
  EXPECT_FALSE(real_arg("150", "%_mismatch", 0, 100, d));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: percent must be a number from 0 to 100, not \"abc\"\n"
            "ERROR: %_mismatch must be a number from 0 to 100, not \"150\"\n");
}

// Whole or not as written, not as the float it rounds to.
TEST(NumberWord, WordIsWhole) {
  for (const char *w : {"3", "+3", "-3", "003", "3.0", "3.", "1e1", "30e-1",
                        "0.5e1", "0", "0.0", "-0", ".0", " 7 ", "1E+2"})
    EXPECT_TRUE(word_is_whole(w)) << w;
  for (const char *w : {"0.5", ".5", "1e-1", "0.99999999", "2.0000001", "1.5",
                        "15e-1", "1e-50", "100000.00000001"})
    EXPECT_FALSE(word_is_whole(w)) << w;
}
