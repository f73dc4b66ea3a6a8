#include "index/gz_writer.h"

void gz_writer_init(gz_writer_t &w, gzFile file, size_t capacity) {
  w.file = file;
  w.buf.assign(capacity, 0);
  w.used = 0;
  w.failed = false;
}

bool gz_writer_flush(gz_writer_t &w) {
  if (w.used > 0 && !w.failed &&
      gzwrite(w.file, w.buf.data(), unsigned(w.used)) != int(w.used))
    w.failed = true;
  w.used = 0;
  return !w.failed;
}

void gz_put_large(gz_writer_t &w, const void *p, size_t len) {
  gz_writer_flush(w);
  const unsigned char *bytes = static_cast<const unsigned char *>(p);
  const size_t chunk = w.buf.size() > 0 ? w.buf.size() : size_t(1) << 20;
  while (len > 0 && !w.failed) {
    const size_t part = len < chunk ? len : chunk;
    if (gzwrite(w.file, bytes, unsigned(part)) != int(part))
      w.failed = true;
    bytes += part;
    len -= part;
  }
}
