#include "common/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

#include "common/path_utils.h"
#include "common/text_check.h"

namespace {

// One read: small enough that binary data costs no more than this before it
// is refused, large enough that the calls do not show beside the parsing.
const size_t BLOCK_BYTES = size_t(64) << 10;

void note_first_bytes(line_reader_t &r, const char *p, size_t n) {
  for (size_t i = 0; r.first_count < sizeof r.first && i < n; ++i)
    r.first[r.first_count++] = static_cast<unsigned char>(p[i]);
}

// Keeps the bytes not yet handed out and appends one read; false at the
// end of the input or when it failed.
bool fill(line_reader_t &r) {
  if (r.eof || input_failed(r) || r.fd < 0)
    return false;
  if (r.pos > 0) {
    std::memmove(r.buf.data(), r.buf.data() + r.pos, r.end - r.pos);
    r.end -= r.pos;
    r.pos = 0;
  }
  if (r.end == r.buf.size())
    r.buf.resize(std::max(BLOCK_BYTES, 2 * r.buf.size()));
  char *fresh = r.buf.data() + r.end;
  const ssize_t got = read_some(r.fd, fresh, r.buf.size() - r.end);
  if (got < 0) {
    r.error = errno;
    return false;
  }
  if (got == 0) {
    r.eof = true;
    return false;
  }
  note_first_bytes(r, fresh, size_t(got));
  if (!r.nul_ok && has_nul(fresh, size_t(got))) {
    r.nul = true;
    return false;
  }
  r.end += size_t(got);
  return true;
}

} // namespace

line_reader_t::~line_reader_t() { line_reader_close(*this); }

ssize_t read_some(int fd, void *p, size_t n) {
  for (;;) {
    const ssize_t got = read(fd, p, n);
    if (got >= 0 || errno != EINTR)
      return got;
  }
}

bool line_reader_open(line_reader_t &r, const std::string &path) {
  const int fd = open_for_reading(path);
  if (fd < 0)
    return false;
  line_reader_attach(r, fd, path);
  return true;
}

bool line_reader_open_file(line_reader_t &r, const std::string &path) {
  struct stat st;
  if (look_at(path, st) && S_ISDIR(st.st_mode))
    return false;
  return line_reader_open(r, path);
}

void line_reader_attach(line_reader_t &r, int fd, const std::string &path) {
  line_reader_close(r);
  r.path = path;
  r.fd = fd;
  r.buf.resize(BLOCK_BYTES);
  r.pos = r.end = r.scanned = 0;
  r.eof = r.nul = false;
  r.error = 0;
  r.first_count = 0;
}

void line_reader_close(line_reader_t &r) {
  if (r.fd >= 0)
    close(r.fd);
  r.fd = -1;
}

bool next_line(line_reader_t &r, std::string &line) {
  for (;;) {
    const char *p = r.buf.data() + r.pos;
    const size_t have = r.end - r.pos;
    if (have > r.scanned) {
      const void *nl = std::memchr(p + r.scanned, '\n', have - r.scanned);
      if (nl) {
        const size_t len = size_t(static_cast<const char *>(nl) - p);
        line.assign(p, len);
        r.pos += len + 1;
        r.scanned = 0;
        return true;
      }
      r.scanned = have;
    }
    if (fill(r))
      continue;
    // Only the end of the input gives the unfinished line; a failure
    // drops it.
    if (!r.eof || r.pos == r.end)
      return false;
    line.assign(r.buf.data() + r.pos, r.end - r.pos);
    r.pos = r.end;
    r.scanned = 0;
    return true;
  }
}

bool read_bytes(line_reader_t &r, void *dst, size_t n) {
  char *out = static_cast<char *>(dst);
  r.scanned = 0;
  while (n > 0) {
    if (r.pos == r.end && !fill(r))
      return false;
    const size_t take = std::min(n, r.end - r.pos);
    std::memcpy(out, r.buf.data() + r.pos, take);
    r.pos += take;
    out += take;
    n -= take;
  }
  return true;
}

bool at_input_end(line_reader_t &r) {
  return r.pos == r.end && !fill(r) && r.eof;
}

uint64_t bytes_left(const line_reader_t &r) {
  struct stat st;
  if (r.fd < 0 || !look_at(r.fd, st) || !S_ISREG(st.st_mode))
    return UNKNOWN_SIZE;
  const off_t at = lseek(r.fd, 0, SEEK_CUR);
  if (at < 0)
    return UNKNOWN_SIZE;
  const uint64_t unread = at < st.st_size ? uint64_t(st.st_size - at) : 0;
  return unread + (r.end - r.pos);
}

bool read_first_block(line_reader_t &r) {
  if (r.pos == r.end)
    fill(r);
  return !input_failed(r);
}

bool skip_rest(line_reader_t &r) {
  do {
    r.pos = r.end;
    r.scanned = 0;
  } while (fill(r));
  return !input_failed(r);
}

bool report_input_failure(const line_reader_t &r) {
  if (r.nul)
    std::cerr << not_text_message(r.path) << std::endl;
  else if (r.error != 0)
    std::cerr << read_error_message(r.path, r.error) << std::endl;
  else
    return false;
  return true;
}
