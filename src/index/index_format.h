#pragma once
#include <cstdint>

#include "common/genome.h"

// Layout constants and the in-memory record of the k-mer index file shared by
// the writer (`index`) and the reader (`align`).
//
// The decompressed stream, all integers little-endian without padding:
//   int32 MAGIC_INT, int32 HASH_VERSION, int32 parameter count (1),
//   int32 index mode, int64 genome length G,
//   uint64 2G, uint64 ceil(G/4), the packed genome bytes,
//   uint64 chromosome count, per chromosome in byte order of name:
//     uint64 name length, name bytes, int64 1-based start,
//   uint64 entry count E, uint64 group count R, int32 span,
//   int32 SPACED_SPACE, int32 MINI_HASH_BITS,
//   R groups in ascending key: uint64 key, uint32 count, count uint32
//   positions ascending.

namespace global {
const int32_t MAGIC_INT = 314;
const int32_t HASH_VERSION = 6;
} // namespace global

const int32_t INDEX_PARAM_COUNT = 1;
const int SPACED_SPACE = 4;    // bases skipped in the middle of a spaced seed
const int MINI_HASH_BITS = 26; // top key bits of the reader's bucket table
const int NUM_INDEX_MODES = 5; // modes 0 to 4
const int MIN_KMER_SIZE = 10;
const int MAX_KMER_SIZE = (MINI_HASH_BITS + 30) / 2; // 28

// Modes 2, 3 and 4 use spaced keys and need an even k.
inline bool index_mode_spaced(int mode) { return mode >= 2 && mode <= 4; }

// Span stored in the file: genome bases one key covers (the continuous keys
// of mode 3 cover only k, but the file records the spaced span).
inline int32_t index_span(int k, int mode) {
  return index_mode_spaced(mode) ? k + SPACED_SPACE : k;
}

// One selected window while building: key `a`, 1-based genome position `b`.
// Packed to 12 bytes because a large genome holds billions of them.
#pragma pack(push, 1)
struct twoint3_hash {
  uint64_t a;
  uint32_t b;
};
#pragma pack(pop)
static_assert(sizeof(twoint3_hash) == 12, "index records must be 12 bytes");

inline bool operator<(const twoint3_hash &x, const twoint3_hash &y) {
  return x.a < y.a || (x.a == y.a && x.b < y.b);
}
