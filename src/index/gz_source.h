#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// What stands behind gz_input_t: a ring of pieces that producer threads
// fill in stream order and the reading thread takes in turn. Piece number i
// lives in ring[i % ring.size()]; a producer claims the next number once the
// reader has released the piece that used the slot before.

enum class piece_state {
  pending,   // not filled yet
  ready,     // holds the next `len` bytes of the stream
  resume,    // no member of ours here: read on as a stream from `member_at`
  failed,    // the file is damaged or could not be read
  no_memory, // a buffer could not be had
  end        // nothing follows
};

struct piece_t {
  std::vector<uint8_t> out;
  size_t len = 0;
  std::vector<uint8_t> packed; // the member as it is in the file
  uint64_t member_at = 0;      // file offset of the member
  piece_state state = piece_state::pending;
};

struct stream_state_t; // gz_stream.cpp
struct stream_state_free {
  void operator()(stream_state_t *st) const;
};

struct gz_source_t {
  int fd = -1;
  bool seekable = false; // a regular file: read at offsets, size known
  uint64_t file_size = 0;
  int threads = 1;

  std::mutex lock;
  std::condition_variable filled; // the reader waits for its piece
  std::condition_variable freed;  // producers wait for a free slot
  std::vector<piece_t> ring;
  uint64_t claimed = 0;  // pieces claimed by producers
  uint64_t released = 0; // pieces the reader is done with
  bool holding = false;  // the reader holds piece `released`
  bool stopping = false;
  bool started = false;
  // No producer thread could be started: the reader fills each piece.
  bool inline_producer = false;
  std::vector<std::thread> producers;

  // The producers have given their last piece (end, resume or failed).
  bool finished = false;
  // Our members.
  uint64_t next_member = 0; // file offset of the next member to claim
  // Any other file, read as one stream by one producer.
  std::unique_ptr<stream_state_t, stream_state_free> stream;
};

bool slot_free(const gz_source_t &src);

// Producers of our members, on src.threads threads.
void start_member_producers(gz_source_t &src);
// Claims and fills the next member piece (lock held, a slot free).
void produce_member(gz_source_t &src, std::unique_lock<std::mutex> &hold);

// One producer inflating (or, for a file that is not gzip, copying) the
// file from `offset` on; `at_start` when nothing was read before it.
void start_stream_producer(gz_source_t &src, uint64_t offset, bool at_start);
// Claims and fills the next stream piece (lock held, a slot free).
void produce_stream(gz_source_t &src, std::unique_lock<std::mutex> &hold);

// Stops the producers and empties the ring.
void stop_producers(gz_source_t &src);

// Reads n bytes at `offset`, or on from the current position when the file
// is not seekable; returns the count read (less at the end), -1 on error.
long read_file_at(const gz_source_t &src, uint8_t *p, size_t n,
                  uint64_t offset);

// Runs `produce` whenever a slot is free, until the source stops.
template <typename Produce>
void producer_loop(gz_source_t *src, Produce produce) {
  std::unique_lock<std::mutex> hold(src->lock);
  for (;;) {
    src->freed.wait(hold, [src] { return src->stopping || slot_free(*src); });
    if (src->stopping)
      return;
    produce(hold);
  }
}
