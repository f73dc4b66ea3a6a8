#include "index/gz_writer.h"

#include <cerrno>
#include <condition_variable>
#include <libdeflate.h>
#include <mutex>
#include <new>
#include <thread>
#include <unistd.h>

#include "common/fd_write.h"
#include "common/parallel.h"
#include "index/gz_member.h"

namespace {

// The index is mostly unsorted 32-bit positions: higher levels shrink it by
// well under 1% at half the speed or less.
const int COMPRESSION_LEVEL = 1;
// Blocks in flight besides one per compressing thread: the one waiting to
// be written and the one behind it, so that no thread waits for the file.
const size_t SPARE_SLOTS = 2;

} // namespace

// One block on its way to the file: its bytes, and its member once made.
struct member_slot_t {
  std::vector<unsigned char> block;
  size_t block_len = 0;
  std::vector<unsigned char> member;
  size_t member_len = 0; // 0 when compression failed
  bool no_memory = false;
  bool done = false;
};

// Blocks are numbered in stream order; `submitted` counts those handed
// over, `taken` those a thread has started on, `written` those in the file.
// Slot i % slots.size() holds block i.
struct member_pool_t {
  std::mutex lock;
  std::condition_variable work_ready;
  std::condition_variable member_ready;
  std::vector<member_slot_t> slots;
  uint64_t submitted = 0;
  uint64_t taken = 0;
  uint64_t written = 0;
  bool stopping = false;
  std::vector<std::thread> threads;
};

namespace {

// Makes the gzip member of slot s; member_len stays 0 on failure.
void make_member(libdeflate_compressor *c, member_slot_t &s) {
  s.member_len = 0;
  s.no_memory = c == nullptr;
  if (c == nullptr)
    return;
  const size_t bound = libdeflate_deflate_compress_bound(c, s.block_len);
  try {
    s.member.resize(MEMBER_HEADER_BYTES + bound + MEMBER_TRAILER_BYTES);
  } catch (const std::bad_alloc &) {
    s.no_memory = true;
    return;
  }
  unsigned char *out = s.member.data();
  const size_t packed = libdeflate_deflate_compress(
      c, s.block.data(), s.block_len, out + MEMBER_HEADER_BYTES, bound);
  if (packed == 0)
    return;
  const size_t total = MEMBER_HEADER_BYTES + packed + MEMBER_TRAILER_BYTES;
  put_member_header(out, uint32_t(total));
  unsigned char *trailer = out + MEMBER_HEADER_BYTES + packed;
  put_u32_le(trailer, libdeflate_crc32(0, s.block.data(), s.block_len));
  put_u32_le(trailer + 4, uint32_t(s.block_len));
  s.member_len = total;
}

void compress_loop(member_pool_t *pool) {
  libdeflate_compressor *c = libdeflate_alloc_compressor(COMPRESSION_LEVEL);
  std::unique_lock<std::mutex> hold(pool->lock);
  for (;;) {
    pool->work_ready.wait(hold, [pool] {
      return pool->stopping || pool->taken < pool->submitted;
    });
    if (pool->taken == pool->submitted)
      break;
    member_slot_t &s = pool->slots[pool->taken++ % pool->slots.size()];
    hold.unlock();
    make_member(c, s);
    hold.lock();
    s.done = true;
    pool->member_ready.notify_all();
  }
  hold.unlock();
  libdeflate_free_compressor(c);
}

// Writes the oldest block in flight once its member is ready.
void write_oldest(gz_writer_t &w) {
  member_pool_t &pool = *w.pool;
  member_slot_t &s = pool.slots[pool.written % pool.slots.size()];
  if (pool.threads.empty()) {
    libdeflate_compressor *c = libdeflate_alloc_compressor(COMPRESSION_LEVEL);
    make_member(c, s);
    libdeflate_free_compressor(c);
  } else {
    std::unique_lock<std::mutex> hold(pool.lock);
    pool.member_ready.wait(hold, [&s] { return s.done; });
  }
  ++pool.written;
  // Raised in the writing thread, where the build reports it.
  if (s.no_memory)
    throw std::bad_alloc();
  // After a failed write nothing more is written: the file holds the start
  // of the index, not a piece with a hole in it.
  if (!w.failed &&
      (s.member_len == 0 || !write_all(w.fd, s.member.data(), s.member_len)))
    w.failed = true;
}

// Hands the current block to the threads and gives the writer an empty one.
void submit_block(gz_writer_t &w) {
  member_pool_t &pool = *w.pool;
  if (pool.submitted - pool.written == pool.slots.size())
    write_oldest(w);
  member_slot_t &s = pool.slots[pool.submitted % pool.slots.size()];
  const size_t block_bytes = w.buf.size();
  s.block.swap(w.buf);
  s.block_len = w.used;
  s.done = false;
  w.buf.resize(block_bytes);
  w.used = 0;
  {
    std::lock_guard<std::mutex> hold(pool.lock);
    ++pool.submitted;
  }
  pool.work_ready.notify_one();
}

void stop_threads(member_pool_t *pool) {
  {
    std::lock_guard<std::mutex> hold(pool->lock);
    pool->stopping = true;
  }
  pool->work_ready.notify_all();
  for (std::thread &t : pool->threads)
    t.join();
  pool->threads.clear();
}

} // namespace

void member_pool_stop::operator()(member_pool_t *pool) const {
  stop_threads(pool);
  delete pool;
}

void gz_writer_init(gz_writer_t &w, int fd, size_t block_bytes, int threads) {
  w.fd = fd;
  w.buf.assign(block_bytes > 0 ? block_bytes : 1, 0);
  w.used = 0;
  w.failed = false;
  w.pool.reset(new member_pool_t());
  const size_t workers = threads > 0 ? size_t(threads) : 0;
  w.pool->slots.resize(workers > 0 ? workers + SPARE_SLOTS : 1);
  // Fewer threads, or none: then the writer compresses itself.
  for (size_t i = 0; i < workers; ++i)
    if (!start_thread(w.pool->threads, compress_loop, w.pool.get()))
      break;
}

bool gz_writer_finish(gz_writer_t &w) {
  if (w.used > 0)
    submit_block(w);
  while (w.pool->written < w.pool->submitted)
    write_oldest(w);
  stop_threads(w.pool.get());
  return !w.failed;
}

void gz_put_large(gz_writer_t &w, const void *p, size_t len) {
  const unsigned char *bytes = static_cast<const unsigned char *>(p);
  while (len > 0) {
    const size_t room = w.buf.size() - w.used;
    const size_t part = len < room ? len : room;
    std::memcpy(w.buf.data() + w.used, bytes, part);
    w.used += part;
    bytes += part;
    len -= part;
    if (w.used == w.buf.size()) {
      if (w.failed)
        w.used = 0; // nothing more reaches the file
      else
        submit_block(w);
    }
  }
}
