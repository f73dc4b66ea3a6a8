#pragma once
#include <cstddef>
#include <cstdint>

// The index file is a series of gzip members, each holding one block of the
// uncompressed stream; any gzip reader sees their concatenation as one
// stream. Every member carries its own total size in a subfield of the gzip
// extra field (other readers skip it), so a reader can find all members and
// inflate them at once. Layout of a member:
//   1f 8b 08 04, mtime 0, xfl 0, os 3, xlen 8,
//   subfield 'V' 'K', length 4, uint32 member size (header to trailer),
//   raw deflate data, uint32 CRC-32 of the block, uint32 block length.

const size_t MEMBER_HEADER_BYTES = 20;
const size_t MEMBER_TRAILER_BYTES = 8;
// Uncompressed bytes per member. Measured from 512 KiB to 4 MiB, the size
// changes neither the loading time nor the file size (by under 0.01%); the
// writer holds a few blocks per thread, so the smallest keeps the build of
// a small genome within the memory it needed with one zlib stream.
const size_t INDEX_BLOCK_BYTES = size_t(512) << 10;
// Deflate adds a few bytes to each of its blocks of data it cannot shrink;
// this leaves room for far more than it adds to one of our blocks. A member
// claiming more bytes than this, or more than one block of data, is not one
// of ours.
const size_t MAX_MEMBER_BYTES = MEMBER_HEADER_BYTES + INDEX_BLOCK_BYTES +
                                INDEX_BLOCK_BYTES / 64 + MEMBER_TRAILER_BYTES;

// Fixed part of our member header: everything before the member size.
const uint8_t MEMBER_HEADER_START[16] = {0x1f, 0x8b, 8, 4, 0,   0,   0, 0,
                                         0,    3,    8, 0, 'V', 'K', 4, 0};
// Header bytes 4 to 9 (time, extra flags, system) carry nothing a reader
// needs, so they are not compared.
const size_t MEMBER_TIME_AT = 4;
const size_t MEMBER_EXTRA_LEN_AT = 10;

inline uint32_t get_u32_le(const uint8_t *p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
         uint32_t(p[3]) << 24;
}

inline void put_u32_le(uint8_t *p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

inline void put_member_header(uint8_t *h, uint32_t member_bytes) {
  for (size_t i = 0; i < sizeof MEMBER_HEADER_START; ++i)
    h[i] = MEMBER_HEADER_START[i];
  put_u32_le(h + 16, member_bytes);
}

// Size of the member starting with these MEMBER_HEADER_BYTES bytes, or 0 when
// they are not a member header of ours.
inline uint32_t member_size_of(const uint8_t *h) {
  for (size_t i = 0; i < sizeof MEMBER_HEADER_START; ++i)
    if ((i < MEMBER_TIME_AT || i >= MEMBER_EXTRA_LEN_AT) &&
        h[i] != MEMBER_HEADER_START[i])
      return 0;
  const uint32_t size = get_u32_le(h + sizeof MEMBER_HEADER_START);
  return size >= MEMBER_HEADER_BYTES + MEMBER_TRAILER_BYTES ? size : 0;
}
