#include "common/text_check.h"

#include <cstring>

bool has_nul(const void *p, size_t n) { return n > 0 && std::memchr(p, 0, n); }

std::string not_text_message(const std::string &path) {
  return "ERROR: " + path + " is not text (it holds a NUL byte)";
}

std::string read_error_message(const std::string &path, int err) {
  return "ERROR: " + path + ": read error (" + std::strerror(err) + ")";
}
