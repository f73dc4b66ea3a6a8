#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

// Buffered reading of the index file: a series of gzip members written by
// `index` (gz_member.h), inflated on several threads ahead of the reader;
// any other gzip file (one stream, or members of other writers), inflated
// on one thread ahead of the reader; or a plain file, read as it is. The
// reader takes the bytes in order from the current piece; a piece is one
// member or one buffer of a stream. Any short read marks the input as
// failed.
struct gz_source_t;
struct gz_source_close {
  void operator()(gz_source_t *src) const;
};

struct gz_input_t {
  const uint8_t *data = nullptr; // current piece
  size_t pos = 0;
  size_t end = 0;
  bool failed = false;
  std::unique_ptr<gz_source_t, gz_source_close> src;
};

// Up to `threads` threads inflate the members: at least one, at most one
// per core.
bool gz_input_open(gz_input_t &in, const char *name, int threads = 1);
void gz_input_close(gz_input_t &in);
// Moves to the next piece; false at the end of the file or, with `failed`
// set, on an error. Raises std::bad_alloc when memory ran out.
bool gz_input_next(gz_input_t &in);
bool gz_input_read_pieces(gz_input_t &in, void *dst, size_t n);
// True when no byte is left (and no error occurred).
bool gz_input_at_end(gz_input_t &in);

inline bool gz_input_read(gz_input_t &in, void *dst, size_t n) {
  // Empty reads take the slow way: there may be no piece to copy from.
  if (n <= in.end - in.pos && n > 0 && !in.failed) {
    std::memcpy(dst, in.data + in.pos, n);
    in.pos += n;
    return true;
  }
  return gz_input_read_pieces(in, dst, n);
}

template <typename T> bool gz_input_value(gz_input_t &in, T &v) {
  return gz_input_read(in, &v, sizeof v);
}

// The next n bytes, consumed, when they lie in the current piece; null
// (and nothing consumed) otherwise.
inline const uint8_t *gz_input_take(gz_input_t &in, size_t n) {
  if (n > in.end - in.pos || in.failed)
    return nullptr;
  const uint8_t *p = in.data + in.pos;
  in.pos += n;
  return p;
}
