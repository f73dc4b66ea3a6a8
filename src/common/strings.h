#pragma once
#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

// A string stream whose buffer cannot grow catches the std::bad_alloc,
// sets badbit and goes on, so its text would be silently cut: these hand
// the failure on as the std::bad_alloc it was. A parse failure (failbit
// alone) is left to the caller.
void throw_if_bad(const std::ios &s);
std::string stream_text(const std::ostringstream &os);

// Number <-> text through string streams, as the report formats expect.
template <typename T> std::string toStr(T value) {
  std::ostringstream os;
  os << value;
  return stream_text(os);
}

// No failure check: text without a number yields 0 (value-initialised).
template <typename T> T strTo(std::string text) {
  std::istringstream is(text);
  T value{};
  is >> value;
  throw_if_bad(is);
  return value;
}

std::vector<std::string> split(const std::string &s, char delim);
std::vector<std::string> split(const std::string &s);
void ltrim(std::string &s);
void rtrim(std::string &s);
void trim2(std::string &s);
std::string str_toupper(const std::string &s);
int str_icmp(const std::string &a, const std::string &b);
int str_nicmp(const std::string &a, const std::string &b);

// Writes "(100.0%)", "(0.0%)" or " (<pct>%)"; no newline.
void output_percentage(std::ostream &os, uint64_t total, uint64_t part);
