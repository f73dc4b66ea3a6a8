#pragma once
#include <cstddef>
#include <string>
#include <vector>

// Standard output of align, collected in memory and written to file
// descriptor 1 in large blocks. Not locked: callers hold write_lock.
struct out_buffer_t {
  std::vector<char> data;
  size_t used = 0;
  size_t capacity = 0; // written out when a write would pass this
  int fd = 1;
  bool failed = false; // a write to the descriptor failed
};

void out_buffer_init(out_buffer_t &b, size_t capacity, int fd);
void out_buffer_write(out_buffer_t &b, const char *text, size_t n);
inline void out_buffer_write(out_buffer_t &b, const std::string &text) {
  out_buffer_write(b, text.data(), text.size());
}
// Writes out everything buffered; false when any write failed.
bool out_buffer_flush(out_buffer_t &b);
// Writes out everything buffered and then `text`, straight to the
// descriptor: it allocates nothing, for a run ending without memory.
void out_buffer_write_through(out_buffer_t &b, const char *text, size_t n);
