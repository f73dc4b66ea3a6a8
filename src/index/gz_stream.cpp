// Reading a file that is not a series of our members: a gzip stream (one
// member or several, as any gzip writer makes them) inflated with ISA-L on
// one thread ahead of the reader, or a plain file copied as it is. As with
// zlib's reader, bytes after the last gzip member that do not start another
// member are ignored, and a file that does not start like gzip is plain.
#include <isa-l/igzip_lib.h>
#include <new>

#include "common/parallel.h"
#include "index/gz_member.h"
#include "index/gz_source.h"

namespace {

const size_t STREAM_PIECE_BYTES = INDEX_BLOCK_BYTES;
const size_t INPUT_BYTES = size_t(1) << 20;
const uint8_t GZIP_MAGIC[2] = {0x1f, 0x8b};

enum class stream_kind { unknown, gzip, plain, done };

} // namespace

struct stream_state_t {
  inflate_state inflate;
  std::vector<uint8_t> in = std::vector<uint8_t>(INPUT_BYTES);
  size_t in_at = 0;
  size_t in_len = 0;
  uint64_t offset = 0; // file offset of the byte after the input buffer
  bool eof = false;
  bool at_start = false;
  bool broken = false; // an error came after bytes already handed on
  stream_kind kind = stream_kind::unknown;
};

void stream_state_free::operator()(stream_state_t *st) const { delete st; }

namespace {

size_t buffered(const stream_state_t &st) { return st.in_len - st.in_at; }

// Tops up the input buffer after its unread bytes; false on a read error.
bool refill(const gz_source_t &src, stream_state_t &st) {
  if (st.eof)
    return true;
  std::copy(st.in.begin() + long(st.in_at), st.in.begin() + long(st.in_len),
            st.in.begin());
  st.in_len -= st.in_at;
  st.in_at = 0;
  const long got = read_file_at(src, st.in.data() + st.in_len,
                                st.in.size() - st.in_len, st.offset);
  if (got < 0)
    return false;
  st.in_len += size_t(got);
  st.offset += uint64_t(got);
  st.eof = got == 0;
  return true;
}

// Whether another gzip member starts here; reads ahead as far as needed.
bool member_follows(const gz_source_t &src, stream_state_t &st, bool &ok) {
  while (buffered(st) < sizeof GZIP_MAGIC && !st.eof)
    if (!(ok = refill(src, st)))
      return false;
  return buffered(st) >= sizeof GZIP_MAGIC &&
         st.in[st.in_at] == GZIP_MAGIC[0] &&
         st.in[st.in_at + 1] == GZIP_MAGIC[1];
}

void begin_member(stream_state_t &st) {
  isal_inflate_init(&st.inflate);
  st.inflate.crc_flag = ISAL_GZIP;
  st.kind = stream_kind::gzip;
}

// Inflates into out[made, cap); false on damaged or cut-short data.
bool inflate_some(const gz_source_t &src, stream_state_t &st, uint8_t *out,
                  size_t cap, size_t &made) {
  while (made < cap && st.kind == stream_kind::gzip) {
    if (st.inflate.block_state == ISAL_BLOCK_FINISH) {
      bool ok = true;
      if (member_follows(src, st, ok))
        begin_member(st);
      else
        st.kind = stream_kind::done;
      if (!ok)
        return false;
      continue;
    }
    if (buffered(st) == 0) {
      if (!refill(src, st))
        return false;
      if (buffered(st) == 0)
        return false; // the member is cut short
    }
    inflate_state &z = st.inflate;
    z.next_in = st.in.data() + st.in_at;
    z.avail_in = uint32_t(buffered(st));
    z.next_out = out + made;
    z.avail_out = uint32_t(cap - made);
    const size_t before_in = st.in_at, before_out = made;
    const int ret = isal_inflate(&z);
    st.in_at = size_t(z.next_in - st.in.data());
    made = cap - z.avail_out;
    const bool moved = st.in_at != before_in || made != before_out ||
                       z.block_state == ISAL_BLOCK_FINISH;
    if (ret < 0 || !moved)
      return false;
  }
  return true;
}

// Copies a plain file's bytes into out[made, cap).
bool copy_some(const gz_source_t &src, stream_state_t &st, uint8_t *out,
               size_t cap, size_t &made) {
  const size_t part = std::min(buffered(st), cap - made);
  std::copy(st.in.begin() + long(st.in_at),
            st.in.begin() + long(st.in_at + part), out + made);
  st.in_at += part;
  made += part;
  if (made < cap && !st.eof) {
    const long got = read_file_at(src, out + made, cap - made, st.offset);
    if (got < 0)
      return false;
    made += size_t(got);
    st.offset += uint64_t(got);
    st.eof = got == 0 || made < cap;
  }
  if (made < cap && st.eof && buffered(st) == 0)
    st.kind = stream_kind::done;
  return true;
}

// The kind of data at the start of the stream.
bool find_kind(const gz_source_t &src, stream_state_t &st) {
  bool ok = true;
  if (member_follows(src, st, ok))
    begin_member(st);
  else
    st.kind = st.at_start ? stream_kind::plain : stream_kind::done;
  return ok;
}

// Fills the piece; returns the state it is to take.
piece_state fill_piece(gz_source_t &src, stream_state_t &st, piece_t &p) {
  p.out.resize(STREAM_PIECE_BYTES);
  size_t made = 0;
  bool ok = !st.broken;
  if (ok && st.kind == stream_kind::unknown)
    ok = find_kind(src, st);
  if (ok && st.kind == stream_kind::gzip)
    ok = inflate_some(src, st, p.out.data(), p.out.size(), made);
  else if (ok && st.kind == stream_kind::plain)
    ok = copy_some(src, st, p.out.data(), p.out.size(), made);
  p.len = made;
  // Bytes made before an error are handed on first, as from zlib.
  if (!ok && made > 0) {
    st.broken = true;
    ok = true;
  }
  if (!ok)
    return piece_state::failed;
  return made > 0 ? piece_state::ready : piece_state::end;
}

void stream_thread(gz_source_t *src) {
  producer_loop(src, [src](std::unique_lock<std::mutex> &hold) {
    produce_stream(*src, hold);
  });
}

} // namespace

void produce_stream(gz_source_t &src, std::unique_lock<std::mutex> &hold) {
  piece_t &p = src.ring[src.claimed++ % src.ring.size()];
  hold.unlock();
  piece_state state = piece_state::no_memory;
  try {
    state = fill_piece(src, *src.stream, p);
  } catch (const std::bad_alloc &) {
  }
  hold.lock();
  p.state = state;
  if (state != piece_state::ready)
    src.finished = true;
  src.filled.notify_one();
}

void start_stream_producer(gz_source_t &src, uint64_t offset, bool at_start) {
  src.stream.reset(new stream_state_t());
  src.stream->offset = offset;
  src.stream->at_start = at_start;
  if (!start_thread(src.producers, stream_thread, &src))
    src.inline_producer = true;
}
