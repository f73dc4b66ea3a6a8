#include "aligner/run/out_buffer.h"

#include <cstring>

#include "common/fd_write.h"

namespace {

// Once a write has failed, nothing more is written.
void write_out(out_buffer_t &b, const char *p, size_t n) {
  if (!b.failed && !::write_all(b.fd, p, n))
    b.failed = true;
}

} // namespace

void out_buffer_init(out_buffer_t &b, size_t capacity, int fd) {
  b.data.clear();
  b.used = 0;
  b.capacity = capacity;
  b.fd = fd;
  b.failed = false;
}

// The block grows on demand up to its capacity, so short runs do not take
// the whole block.
void out_buffer_write(out_buffer_t &b, const char *text, size_t n) {
  if (n == 0)
    return;
  if (b.used + n > b.capacity) {
    out_buffer_flush(b);
    if (n > b.capacity) {
      write_out(b, text, n);
      return;
    }
  }
  if (b.used + n > b.data.size()) {
    size_t grow = b.data.size() ? b.data.size() * 2 : 1 << 16;
    while (grow < b.used + n)
      grow *= 2;
    b.data.resize(grow < b.capacity ? grow : b.capacity);
  }
  std::memcpy(b.data.data() + b.used, text, n);
  b.used += n;
}

bool out_buffer_flush(out_buffer_t &b) {
  write_out(b, b.data.data(), b.used);
  b.used = 0;
  return !b.failed;
}

void out_buffer_write_through(out_buffer_t &b, const char *text, size_t n) {
  out_buffer_flush(b);
  write_out(b, text, n);
}
