#pragma once
#include <cstdint>

#include "common/bit_dna.h"

// Base codes (0 to 3) of genome positions first .. first + n - 1 (1-based)
// into out[0 .. n - 1]. Positions outside the genome (0, or past its last
// base) get `outside`, so a window that hangs over either end never reads
// beyond the packed data and never pairs a read base with a made-up base.
inline void unpack_window(const bit_DNA_t &genome, uint64_t first, int n,
                          int8_t *out, int8_t outside) {
  uint64_t size = genome.size();
  const uint8_t *data = genome.data.data();
  for (int i = 0; i < n; ++i) {
    uint64_t pos = first + uint64_t(i);
    if (pos == 0 || pos > size) {
      out[i] = outside;
      continue;
    }
    uint64_t b = 2 * pos - 2;
    out[i] = int8_t((data[b >> 3] >> (b & 7)) & 3);
  }
}

// Codes of a whole packed sequence into out[0 .. size - 1].
inline void unpack_all(const bit_DNA_t &seq, int8_t *out) {
  unpack_window(seq, 1, int(seq.size()), out, 0);
}
