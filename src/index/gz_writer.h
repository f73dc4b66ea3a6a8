#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

// Collects small little-endian values in blocks of a fixed size and writes
// each block as one gzip member (gz_member.h), compressed on several threads
// at once. The members reach the file in stream order, and a block's bytes
// do not depend on the thread count, so the file is the same for any number
// of threads. The first failure sticks in `failed` and later writes are
// dropped.
struct member_pool_t;
struct member_pool_stop {
  void operator()(member_pool_t *pool) const;
};

struct gz_writer_t {
  int fd = -1;
  std::vector<unsigned char> buf; // the block being filled
  size_t used = 0;
  bool failed = false;
  std::unique_ptr<member_pool_t, member_pool_stop> pool;
};

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "index values are stored in host order, which must be "
              "little-endian");

// Writes to the open file descriptor `fd` (not closed here) in blocks of
// `block_bytes`, with `threads` compressing threads (0: the writing thread
// compresses alone).
void gz_writer_init(gz_writer_t &w, int fd, size_t block_bytes, int threads);
// Writes the last, partly filled block, waits for every member to reach the
// file and stops the threads; false once anything failed.
bool gz_writer_finish(gz_writer_t &w);

// Hands full blocks on while copying what does not fit in the current one.
void gz_put_large(gz_writer_t &w, const void *p, size_t len);

inline void gz_put_bytes(gz_writer_t &w, const void *p, size_t len) {
  if (w.buf.size() - w.used <= len) {
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
