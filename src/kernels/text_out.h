#pragma once
#include <charconv>
#include <cstdint>
#include <string>

// Decimal of v appended to out, without a stream or a temporary string:
// CIGAR, MD and edit-list texts are built per output record.
inline void append_int(std::string &out, int64_t v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}
