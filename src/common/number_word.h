#pragma once
// Number words of the command line. A word is taken only when the whole of
// it, blanks around it aside, is one number of the kind asked for as stream
// extraction reads one ("+5", "007", "1e-3", ".5" and "5." included), and
// the number lies within the bounds given, both included. A number too
// large for its kind is out of bounds; infinities and NaN are no numbers.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

const double NO_UPPER_LIMIT = std::numeric_limits<double>::infinity();

bool whole_word(const std::string &word, int64_t min, int64_t max,
                int64_t &value);
bool real_word(const std::string &word, double min, double max, double &value);
// Read as a float from the start, so that the value is the one a float
// extraction gives, not a double rounded twice.
bool real_word(const std::string &word, double min, double max, float &value);

// What a word must be, as the messages say it: "a whole number from 0 to 4",
// "a whole number of at least 0", "a number from 0 to 100".
std::string whole_what(int64_t min, int64_t max);
// As whole_what, for the word that failed: a whole number past an end that
// the short form leaves out ("2147483648" for an int of at least 0) is told
// the whole range, "a whole number from 0 to 2147483647".
std::string whole_what(int64_t min, int64_t max, const std::string &word);
std::string real_what(double min, double max);

// `<what>, not "<word>"`: the end of every complaint about a number word.
std::string number_complaint(const std::string &what, const std::string &word);

// Writes `ERROR: <name> must be <what>, not "<word>"` on standard error.
void report_number_word(const std::string &name, const std::string &what,
                        const std::string &word);

// The bounds of a whole-number variable of type T.
template <typename T> constexpr int64_t lowest_of() {
  return int64_t(std::numeric_limits<T>::min());
}
template <typename T> constexpr int64_t highest_of() {
  return uint64_t(std::numeric_limits<T>::max()) > uint64_t(INT64_MAX)
             ? INT64_MAX
             : int64_t(std::numeric_limits<T>::max());
}

// Takes a number from `take_min` to `take_max` and names the range from
// `min` to `max` when the word fails; false after the report.
bool whole_number_arg(const std::string &word, const std::string &name,
                      int64_t min, int64_t max, int64_t take_min,
                      int64_t take_max, int64_t &value);

// The argument `name` as a whole number from `min` to `max` (narrowed to
// what T holds); false after the report.
template <typename T>
bool whole_arg(const std::string &word, const std::string &name, int64_t min,
               int64_t max, T &value) {
  const int64_t lo = std::max(min, lowest_of<T>());
  const int64_t hi = std::min(max, highest_of<T>());
  int64_t v = 0;
  if (!whole_number_arg(word, name, lo, hi, lo, hi, v))
    return false;
  value = T(v);
  return true;
}

// As whole_arg for an argument whose range the caller checks with a message
// of its own: any number T holds is taken, and the report of a word that is
// none names the range from `min` to `max`.
template <typename T>
bool whole_kind_arg(const std::string &word, const std::string &name,
                    int64_t min, int64_t max, T &value) {
  int64_t v = 0;
  if (!whole_number_arg(word, name, std::max(min, lowest_of<T>()),
                        std::min(max, highest_of<T>()), lowest_of<T>(),
                        highest_of<T>(), v))
    return false;
  value = T(v);
  return true;
}

// The argument `name` as a number from `min` to `max`; false after the
// report.
bool real_arg(const std::string &word, const std::string &name, double min,
              double max, double &value);
// As whole_kind_arg, for a real number.
bool real_kind_arg(const std::string &word, const std::string &name, double min,
                   double max, double &value);

// True when the number that `word` writes (a word real_word takes) has no
// fraction: "3", "+3", "3.0", "3." and "1e1" have none; "0.5", "1e-1" and
// "0.99999999" have one. Decided from the digits as written, not from a
// float they round to.
bool word_is_whole(const std::string &word);
