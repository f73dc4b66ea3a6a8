#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>
#include <zlib.h>

// Collects small little-endian values in a large buffer and hands it to zlib
// in big blocks: the compressed stream is the same as with one gzwrite per
// value, only much cheaper to produce. The first failure sticks in `failed`
// and later writes are dropped.
struct gz_writer_t {
  gzFile file = nullptr;
  std::vector<unsigned char> buf;
  size_t used = 0;
  bool failed = false;
};

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "index values are stored in host order, which must be "
              "little-endian");

void gz_writer_init(gz_writer_t &w, gzFile file, size_t capacity);
// Passes the buffered bytes to zlib; false once anything failed.
bool gz_writer_flush(gz_writer_t &w);

// Writes what does not fit in the buffer straight through, in bounded chunks.
void gz_put_large(gz_writer_t &w, const void *p, size_t len);

inline void gz_put_bytes(gz_writer_t &w, const void *p, size_t len) {
  if (w.buf.size() - w.used < len) {
    gz_put_large(w, p, len);
    return;
  }
  std::memcpy(w.buf.data() + w.used, p, len);
  w.used += len;
}

template <typename T> inline void gz_put(gz_writer_t &w, T value) {
  static_assert(std::is_integral<T>::value, "integers only");
  gz_put_bytes(w, &value, sizeof value);
}
