#include "common/number_word.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <iostream>
#include <sstream>

#include "common/strings.h"

namespace {

// Extracts one T from the whole word; blanks may surround it.
template <typename T> bool whole_of(const std::string &word, T &value) {
  std::istringstream is(word);
  is >> value;
  throw_if_bad(is);
  if (is.fail())
    return false;
  is >> std::ws;
  return is.eof();
}

template <typename R>
bool real_in(const std::string &word, double min, double max, R &value) {
  R v{};
  if (!whole_of(word, v) || !std::isfinite(v) || !(v >= min && v <= max))
    return false;
  value = v;
  return true;
}

// 1 when the whole of `word` is a whole number above `max`, -1 when it is
// one below `min`, else 0; numbers past what 64 bits hold count too.
int whole_side(const std::string &word, int64_t min, int64_t max) {
  std::istringstream is(word);
  long long v = 0;
  is >> v;
  throw_if_bad(is);
  // Stream extraction gives a number too large for its type as the type's
  // end, with the failure.
  const bool past = is.fail() && (v == LLONG_MAX || v == LLONG_MIN);
  if (is.fail() && !past)
    return 0;
  is.clear();
  is >> std::ws;
  if (!is.eof())
    return 0;
  if (v > max || (past && v == LLONG_MAX))
    return 1;
  if (v < min || (past && v == LLONG_MIN))
    return -1;
  return 0;
}

} // namespace

bool whole_word(const std::string &word, int64_t min, int64_t max,
                int64_t &value) {
  long long v = 0;
  if (!whole_of(word, v) || v < min || v > max)
    return false;
  value = v;
  return true;
}

bool real_word(const std::string &word, double min, double max, double &value) {
  return real_in(word, min, max, value);
}

bool real_word(const std::string &word, double min, double max, float &value) {
  return real_in(word, min, max, value);
}

std::string whole_what(int64_t min, int64_t max) {
  // A bound no smaller than the largest int is where the variable ends, not
  // a limit of the run: it is named only to a word past it (below).
  if (max >= INT32_MAX && min <= INT32_MIN)
    return "a whole number";
  if (max >= INT32_MAX)
    return "a whole number of at least " + std::to_string(min);
  return "a whole number from " + std::to_string(min) + " to " +
         std::to_string(max);
}

std::string whole_what(int64_t min, int64_t max, const std::string &word) {
  // Past the end of the variable, that end is the limit the word broke.
  const int side = whole_side(word, min, max);
  if (side > 0 || (side < 0 && min <= INT32_MIN))
    return "a whole number from " + std::to_string(min) + " to " +
           std::to_string(max);
  return whole_what(min, max);
}

std::string real_what(double min, double max) {
  if (max == NO_UPPER_LIMIT)
    return "a number of at least " + toStr(min);
  return "a number from " + toStr(min) + " to " + toStr(max);
}

std::string number_complaint(const std::string &what, const std::string &word) {
  return what + ", not \"" + word + "\"";
}

void report_number_word(const std::string &name, const std::string &what,
                        const std::string &word) {
  std::cerr << "ERROR: " << name << " must be " << number_complaint(what, word)
            << std::endl;
}

bool whole_number_arg(const std::string &word, const std::string &name,
                      int64_t min, int64_t max, int64_t take_min,
                      int64_t take_max, int64_t &value) {
  if (whole_word(word, take_min, take_max, value))
    return true;
  report_number_word(name, whole_what(min, max, word), word);
  return false;
}

namespace {

// As whole_number_arg, for a real number.
bool real_number_arg(const std::string &word, const std::string &name,
                     double min, double max, double take_min, double take_max,
                     double &value) {
  if (real_word(word, take_min, take_max, value))
    return true;
  report_number_word(name, real_what(min, max), word);
  return false;
}

} // namespace

bool real_arg(const std::string &word, const std::string &name, double min,
              double max, double &value) {
  return real_number_arg(word, name, min, max, min, max, value);
}

bool real_kind_arg(const std::string &word, const std::string &name, double min,
                   double max, double &value) {
  return real_number_arg(word, name, min, max, -NO_UPPER_LIMIT, NO_UPPER_LIMIT,
                         value);
}

bool word_is_whole(const std::string &word) {
  const size_t n = word.size();
  size_t i = 0;
  while (i < n && std::isspace(static_cast<unsigned char>(word[i])))
    ++i;
  if (i < n && (word[i] == '+' || word[i] == '-'))
    ++i;
  // The value is 0.<digits> times ten to the power (whole_digits + exp).
  std::string digits;
  for (; i < n && std::isdigit(static_cast<unsigned char>(word[i])); ++i)
    digits += word[i];
  const int64_t whole_digits = int64_t(digits.size());
  if (i < n && word[i] == '.')
    for (++i; i < n && std::isdigit(static_cast<unsigned char>(word[i])); ++i)
      digits += word[i];
  int64_t exp = 0;
  if (i < n && (word[i] == 'e' || word[i] == 'E')) {
    ++i;
    const bool negative = i < n && word[i] == '-';
    if (i < n && (word[i] == '+' || word[i] == '-'))
      ++i;
    // Beyond this size an exponent only makes a number that no float
    // holds, or one that rounds to 0.
    const int64_t cap = 1000000000;
    for (; i < n && std::isdigit(static_cast<unsigned char>(word[i])); ++i)
      exp = std::min(cap, exp * 10 + (word[i] - '0'));
    if (negative)
      exp = -exp;
  }
  const size_t last = digits.find_last_not_of('0');
  if (last == std::string::npos)
    return true; // zero
  return int64_t(last) + 1 <= whole_digits + exp;
}
