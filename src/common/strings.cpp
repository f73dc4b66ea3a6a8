#include "common/strings.h"

#include <iomanip>
#include <iostream>
#include <new>

namespace {

// White space of the "C" locale; bytes from 128 up never count.
bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

char upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

} // namespace

void throw_if_bad(const std::ios &s) {
  if (s.bad())
    throw std::bad_alloc();
}

std::string stream_text(const std::ostringstream &os) {
  throw_if_bad(os);
  return os.str();
}

std::vector<std::string> split(const std::string &s, char delim) {
  std::vector<std::string> out;
  std::istringstream is(s);
  std::string piece;
  while (std::getline(is, piece, delim))
    out.push_back(piece);
  throw_if_bad(is);
  return out;
}

std::vector<std::string> split(const std::string &s) {
  std::vector<std::string> out;
  std::istringstream is(s);
  std::string word;
  while (is >> word)
    out.push_back(word);
  throw_if_bad(is);
  return out;
}

void ltrim(std::string &s) {
  size_t i = 0;
  while (i < s.size() && is_space(s[i]))
    ++i;
  s.erase(0, i);
}

void rtrim(std::string &s) {
  size_t n = s.size();
  while (n > 0 && is_space(s[n - 1]))
    --n;
  s.resize(n);
}

void trim2(std::string &s) {
  ltrim(s);
  rtrim(s);
}

std::string str_toupper(const std::string &s) {
  std::string out(s);
  for (char &c : out)
    c = upper(c);
  return out;
}

int str_icmp(const std::string &a, const std::string &b) {
  if (a.size() != b.size())
    return -1;
  int diff = 0;
  for (size_t i = 0; i < a.size(); ++i)
    diff += upper(a[i]) != upper(b[i]);
  return diff;
}

int str_nicmp(const std::string &a, const std::string &b) {
  if (a.size() != b.size())
    return -1;
  int diff = 0;
  for (size_t i = 0; i < a.size(); ++i)
    diff += a[i] != b[i];
  return diff;
}

void output_percentage(std::ostream &os, uint64_t total, uint64_t part) {
  if (part == total) {
    os << "(100.0%)";
    return;
  }
  if (part == 0) {
    os << "(0.0%)";
    return;
  }
  os << " (" << std::setprecision(6) << double(part) * 100.0 / double(total);
  os.unsetf(std::ios::fixed);
  os << "%)";
}
