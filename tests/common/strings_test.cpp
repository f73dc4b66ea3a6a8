#include <gtest/gtest.h>

#include <new>
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

// Bytes a limited allocator may still give, as a nearly full memory would.
size_t budget = 0;

template <typename T> struct limited_alloc {
  using value_type = T;
  limited_alloc() = default;
  template <typename U> limited_alloc(const limited_alloc<U> &) {}
  T *allocate(size_t n) {
    if (n * sizeof(T) > budget)
      throw std::bad_alloc();
    budget -= n * sizeof(T);
    return static_cast<T *>(::operator new(n * sizeof(T)));
  }
  void deallocate(T *p, size_t) { ::operator delete(p); }
  bool operator==(const limited_alloc &) const { return true; }
  bool operator!=(const limited_alloc &) const { return false; }
};

using limited_string =
    std::basic_string<char, std::char_traits<char>, limited_alloc<char>>;
using limited_ostringstream =
    std::basic_ostringstream<char, std::char_traits<char>, limited_alloc<char>>;

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

TEST(Strings, StreamThatCannotGrowGivesBadAlloc) {
  // The library swallows the failure to grow: nothing is thrown, the text
  // is cut and only badbit tells.
  budget = 64;
  limited_ostringstream os;
  for (int i = 0; i < 20; ++i)
    os << "0123456789";
  EXPECT_TRUE(os.bad());
  EXPECT_THROW(throw_if_bad(os), std::bad_alloc);
  budget = 64;
  std::istringstream is(std::string(1000, 'x'));
  limited_string piece;
  std::getline(is, piece);
  EXPECT_THROW(throw_if_bad(is), std::bad_alloc);
  // A number that is no number is a parse failure, not a memory one.
  std::istringstream word("abc");
  int v = 0;
  word >> v;
  EXPECT_NO_THROW(throw_if_bad(word));
  std::ostringstream text;
  text << 12 << 'x';
  EXPECT_EQ(stream_text(text), "12x");
  text.setstate(std::ios::badbit);
  EXPECT_THROW(stream_text(text), std::bad_alloc);
}

TEST(Timer, ElapsedTime) {
  ro_timer t;
  EXPECT_GE(t.elapsed_time(), 0.0);
  EXPECT_LT(t.elapsed_time(), 5.0);
  t.enabled = false;
  EXPECT_EQ(t.elapsed_time(), 0.0);
}
