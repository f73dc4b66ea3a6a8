#include "aligner/setup/gz_input.h"

#include <algorithm>
#include <cstring>

namespace {

const size_t BUFFER_BYTES = 1 << 20;

bool refill(gz_input_t &in) {
  in.pos = 0;
  in.end = 0;
  int got = gzread(in.fp, in.buf.data(), static_cast<unsigned>(in.buf.size()));
  if (got <= 0)
    return false;
  in.end = static_cast<size_t>(got);
  return true;
}

} // namespace

bool gz_input_open(gz_input_t &in, const char *name) {
  in.fp = gzopen(name, "rb");
  if (!in.fp)
    return false;
  in.buf.assign(BUFFER_BYTES, 0);
  in.pos = in.end = 0;
  in.failed = false;
  return true;
}

void gz_input_close(gz_input_t &in) {
  if (in.fp)
    gzclose(in.fp);
  in.fp = nullptr;
  std::vector<uint8_t>().swap(in.buf);
}

// Large requests bypass the buffer and go to zlib in big blocks.
bool gz_input_read(gz_input_t &in, void *dst, size_t n) {
  if (in.failed)
    return false;
  uint8_t *out = static_cast<uint8_t *>(dst);
  size_t have = std::min(n, in.end - in.pos);
  if (have) {
    std::memcpy(out, in.buf.data() + in.pos, have);
    in.pos += have;
    out += have;
    n -= have;
  }
  while (n >= in.buf.size()) {
    unsigned want = static_cast<unsigned>(std::min<size_t>(n, 1u << 30));
    int got = gzread(in.fp, out, want);
    if (got <= 0) {
      in.failed = true;
      return false;
    }
    out += got;
    n -= static_cast<size_t>(got);
  }
  while (n > 0) {
    if (!refill(in)) {
      in.failed = true;
      return false;
    }
    size_t take = std::min(n, in.end);
    std::memcpy(out, in.buf.data(), take);
    in.pos = take;
    out += take;
    n -= take;
  }
  return true;
}

// A stream cut short (even only in its gzip trailer) is not a clean end.
bool gz_input_at_end(gz_input_t &in) {
  if (in.failed || in.pos < in.end)
    return false;
  int got = gzread(in.fp, in.buf.data(), static_cast<unsigned>(in.buf.size()));
  if (got != 0) {
    in.pos = 0;
    in.end = got > 0 ? static_cast<size_t>(got) : 0;
    return false;
  }
  int err = Z_OK;
  gzerror(in.fp, &err);
  return err == Z_OK;
}
