// Inflating the members of an index file written by `index` on several
// threads: each member's header says where the next one starts, so the
// members are handed out in file order without inflating anything first.
#include <libdeflate.h>
#include <new>

#include "common/parallel.h"
#include "index/gz_member.h"
#include "index/gz_source.h"

namespace {

struct member_t {
  uint64_t at = 0;
  uint32_t size = 0;
  uint32_t block_len = 0;
};

// Header and trailer of the member at src.next_member (lock held); false
// when no member of ours starts there. The buffers are sized by these
// fields, so one that claims more than our writer puts in a member makes
// the member one of another writer's: the stream reader inflates it in
// pieces of a fixed size, and its gzip check refuses a false length.
bool locate_member(const gz_source_t &src, member_t &m) {
  m.at = src.next_member;
  uint8_t h[MEMBER_HEADER_BYTES];
  if (src.file_size - m.at < sizeof h ||
      read_file_at(src, h, sizeof h, m.at) != long(sizeof h))
    return false;
  m.size = member_size_of(h);
  if (m.size == 0 || m.size > MAX_MEMBER_BYTES || m.size > src.file_size - m.at)
    return false;
  uint8_t t[4];
  if (read_file_at(src, t, sizeof t, m.at + m.size - sizeof t) !=
      long(sizeof t))
    return false;
  m.block_len = get_u32_le(t);
  return m.block_len <= INDEX_BLOCK_BYTES;
}

// The member's deflate data must end exactly where its size says, and give
// the length and CRC of its trailer.
bool inflate_member(const gz_source_t &src, libdeflate_decompressor *d,
                    piece_t &p, const member_t &m) {
  p.packed.resize(m.size);
  if (d == nullptr ||
      read_file_at(src, p.packed.data(), m.size, m.at) != long(m.size))
    return false;
  p.out.resize(m.block_len);
  const size_t in_len = m.size - MEMBER_HEADER_BYTES - MEMBER_TRAILER_BYTES;
  size_t used = 0, made = 0;
  if (libdeflate_deflate_decompress_ex(d, p.packed.data() + MEMBER_HEADER_BYTES,
                                       in_len, p.out.data(), m.block_len, &used,
                                       &made) != LIBDEFLATE_SUCCESS ||
      used != in_len || made != m.block_len)
    return false;
  const uint8_t *trailer = p.packed.data() + m.size - MEMBER_TRAILER_BYTES;
  if (libdeflate_crc32(0, p.out.data(), made) != get_u32_le(trailer))
    return false;
  p.len = made;
  return true;
}

// Claims the next piece and fills it with the next member; a place where
// no sound member of ours starts hands over to the stream reader.
void fill_next(gz_source_t &src, std::unique_lock<std::mutex> &hold,
               libdeflate_decompressor *d) {
  piece_t &p = src.ring[src.claimed++ % src.ring.size()];
  member_t m;
  const bool found = locate_member(src, m);
  p.member_at = m.at;
  if (!found) {
    src.finished = true;
    p.state = m.at == src.file_size ? piece_state::end : piece_state::resume;
    src.filled.notify_one();
    return;
  }
  src.next_member += m.size;
  hold.unlock();
  piece_state state = piece_state::resume;
  try {
    if (inflate_member(src, d, p, m))
      state = piece_state::ready;
  } catch (const std::bad_alloc &) {
    state = piece_state::no_memory;
  }
  hold.lock();
  p.state = state;
  src.filled.notify_one();
}

void member_thread(gz_source_t *src) {
  libdeflate_decompressor *d = libdeflate_alloc_decompressor();
  producer_loop(src, [src, d](std::unique_lock<std::mutex> &hold) {
    fill_next(*src, hold, d);
  });
  libdeflate_free_decompressor(d);
}

} // namespace

void produce_member(gz_source_t &src, std::unique_lock<std::mutex> &hold) {
  libdeflate_decompressor *d = libdeflate_alloc_decompressor();
  fill_next(src, hold, d);
  libdeflate_free_decompressor(d);
}

void start_member_producers(gz_source_t &src) {
  src.next_member = 0;
  for (int i = 0; i < src.threads; ++i)
    if (!start_thread(src.producers, member_thread, &src))
      break;
  src.inline_producer = src.producers.empty();
}
