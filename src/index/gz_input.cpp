#include "index/gz_input.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "common/parallel.h"
#include "common/path_utils.h"
#include "index/gz_member.h"
#include "index/gz_source.h"

namespace {

// Pieces in the ring per producing thread: one being filled, one waiting.
const size_t PIECES_PER_THREAD = 2;
// The reader's piece and one more stay in the ring besides.
const size_t SPARE_PIECES = 2;

void start(gz_source_t &s) {
  s.started = true;
  uint8_t h[MEMBER_HEADER_BYTES];
  if (s.seekable && read_file_at(s, h, sizeof h, 0) == long(sizeof h) &&
      member_size_of(h) != 0)
    start_member_producers(s);
  else
    start_stream_producer(s, 0, true);
}

void release(gz_source_t &s, piece_t &p) {
  p.state = piece_state::pending;
  p.len = 0;
  ++s.released;
  s.freed.notify_one();
}

// Waits for the reader's next piece, filling it here when no thread does.
piece_t &wait_piece(gz_source_t &s, std::unique_lock<std::mutex> &hold) {
  piece_t &p = s.ring[s.released % s.ring.size()];
  if (s.inline_producer) {
    while (p.state == piece_state::pending && slot_free(s)) {
      if (s.stream)
        produce_stream(s, hold);
      else
        produce_member(s, hold);
    }
  }
  s.filled.wait(hold, [&p] { return p.state != piece_state::pending; });
  return p;
}

} // namespace

void stop_producers(gz_source_t &src) {
  {
    std::lock_guard<std::mutex> hold(src.lock);
    src.stopping = true;
  }
  src.freed.notify_all();
  for (std::thread &t : src.producers)
    t.join();
  src.producers.clear();
  src.stream.reset();
  for (piece_t &p : src.ring) {
    p.state = piece_state::pending;
    p.len = 0;
  }
  src.claimed = src.released;
  src.stopping = false;
  src.finished = false;
  src.inline_producer = false;
}

long read_file_at(const gz_source_t &src, uint8_t *p, size_t n,
                  uint64_t offset) {
  size_t done = 0;
  while (done < n) {
    const ssize_t got =
        src.seekable ? pread(src.fd, p + done, n - done, off_t(offset + done))
                     : read(src.fd, p + done, n - done);
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0)
      return -1;
    if (got == 0)
      break;
    done += size_t(got);
  }
  return long(done);
}

bool slot_free(const gz_source_t &src) {
  return !src.finished && src.claimed - src.released < src.ring.size();
}

void gz_source_close::operator()(gz_source_t *src) const {
  stop_producers(*src);
  if (src->fd >= 0)
    close(src->fd);
  delete src;
}

bool gz_input_open(gz_input_t &in, const char *name, int threads) {
  in.src.reset();
  in.data = nullptr;
  in.pos = in.end = 0;
  in.failed = false;
  // Owned from the start, so that want of memory at any step below
  // closes the file again.
  std::unique_ptr<gz_source_t, gz_source_close> s(new gz_source_t());
  s->fd = open_for_reading(name);
  if (s->fd < 0)
    return false;
  struct stat st;
  if (look_at(s->fd, st) && S_ISREG(st.st_mode)) {
    s->seekable = true;
    s->file_size = uint64_t(st.st_size);
  }
  // More threads than cores would only add buffers.
  s->threads = std::max(std::min(threads, available_cores()), 1);
  s->ring.resize(PIECES_PER_THREAD * size_t(s->threads) + SPARE_PIECES);
  in.src = std::move(s);
  return true;
}

void gz_input_close(gz_input_t &in) {
  in.src.reset();
  in.data = nullptr;
  in.pos = in.end = 0;
}

bool gz_input_next(gz_input_t &in) {
  if (in.failed || !in.src)
    return false;
  gz_source_t &s = *in.src;
  in.data = nullptr;
  in.pos = in.end = 0;
  if (!s.started)
    start(s);
  std::unique_lock<std::mutex> hold(s.lock);
  if (s.holding) {
    s.holding = false;
    release(s, s.ring[s.released % s.ring.size()]);
  }
  for (;;) {
    piece_t &p = wait_piece(s, hold);
    switch (p.state) {
    case piece_state::ready:
      if (p.len == 0) {
        release(s, p);
        continue;
      }
      s.holding = true;
      in.data = p.out.data();
      in.end = p.len;
      return true;
    case piece_state::end:
      return false;
    case piece_state::no_memory:
      in.failed = true;
      throw std::bad_alloc();
    case piece_state::resume: {
      const uint64_t at = p.member_at;
      hold.unlock();
      stop_producers(s);
      start_stream_producer(s, at, false);
      hold.lock();
      continue;
    }
    default:
      in.failed = true;
      return false;
    }
  }
}

bool gz_input_read_pieces(gz_input_t &in, void *dst, size_t n) {
  if (in.failed)
    return false;
  uint8_t *out = static_cast<uint8_t *>(dst);
  for (;;) {
    const size_t have = std::min(n, in.end - in.pos);
    if (have > 0) {
      std::memcpy(out, in.data + in.pos, have);
      in.pos += have;
      out += have;
      n -= have;
    }
    if (n == 0)
      return true;
    if (!gz_input_next(in)) {
      in.failed = true;
      return false;
    }
  }
}

// A stream cut short (even only in its gzip trailer) is not a clean end.
bool gz_input_at_end(gz_input_t &in) {
  if (in.failed || in.pos < in.end)
    return false;
  if (gz_input_next(in))
    return false;
  return !in.failed;
}
