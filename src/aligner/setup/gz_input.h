#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>
#include <zlib.h>

// Buffered reading of a gzip (or plain) file, so that small fields do not
// each cost a call into zlib. Any short read marks the input as failed.
struct gz_input_t {
  gzFile fp = nullptr;
  std::vector<uint8_t> buf;
  size_t pos = 0;
  size_t end = 0;
  bool failed = false;
};

bool gz_input_open(gz_input_t &in, const char *name);
void gz_input_close(gz_input_t &in);
bool gz_input_read(gz_input_t &in, void *dst, size_t n);
// True when no byte is left (and no error occurred).
bool gz_input_at_end(gz_input_t &in);

template <typename T> bool gz_input_value(gz_input_t &in, T &v) {
  return gz_input_read(in, &v, sizeof v);
}
