#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/bit_dna.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "packed bases are loaded as little-endian words");

// Word-level access to 2-bit packed sequences for the scanning kernels.
// Bytes outside the sequence's data read as 0, so a scan that runs past the
// end of the genome sees absent bases instead of foreign memory.
namespace packed_bits {

const uint64_t LOW_BITS = 0x5555555555555555ULL;

// 32 bases starting at bit offset `bit`.
inline uint64_t load(const std::vector<uint8_t> &d, uint64_t bit) {
  uint64_t byte = bit >> 3;
  unsigned sh = bit & 7;
  uint64_t n = d.size();
  uint64_t lo = 0;
  uint64_t hi = 0;
  if (byte + 9 <= n) {
    std::memcpy(&lo, d.data() + byte, 8);
    hi = d[byte + 8];
  } else {
    for (uint64_t i = 0; i < 8 && byte + i < n; ++i)
      lo |= uint64_t(d[byte + i]) << (8 * i);
    if (byte + 8 < n)
      hi = d[byte + 8];
  }
  return sh ? (lo >> sh) | (hi << (64 - sh)) : lo;
}

// One flag bit (at the even bit of its field) per differing base.
inline uint64_t diff_flags(uint64_t a, uint64_t b) {
  uint64_t x = a ^ b;
  return (x | (x >> 1)) & LOW_BITS;
}

// Mask of the fields of the first m bases of a word (m <= 32).
inline uint64_t base_mask(uint64_t m) {
  return m >= 32 ? ~0ULL : (1ULL << (2 * m)) - 1;
}

// Code of base pos (1-based); 0 outside the data.
inline int base_at(const bit_DNA_t &s, uint64_t pos) {
  if (pos == 0 || pos > uint64_t(s.data.size()) * 4)
    return 0;
  return s[pos];
}

} // namespace packed_bits
