#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "aligner/setup/index_types.h"

// The bucket table over chrdict, kept dense: of its 2^MINI_HASH_BITS buckets
// most are empty on all but the largest genomes, so only the filled ones
// take a slot. An occupancy bit per bucket, with the count of filled buckets
// before each group of 64, finds a filled bucket's slot; the slot holds its
// first chrdict index, and the next slot its end, since filled buckets are
// contiguous runs of chrdict in bucket order. At 12 bytes per 64 buckets
// plus 4 bytes per filled bucket the table is a few MiB where one pair per
// bucket took 512 MiB that the kernel had to zero on every start; small
// enough to stay in cache for much of the run.
struct mini_hash_group_t {
  uint32_t before = 0; // filled buckets in earlier groups
  uint32_t bits[2] = {0, 0};
};

struct mini_hash_t {
  uint32_t length = 0; // number of buckets
  std::vector<mini_hash_group_t> groups;
  // 1-based chrdict index of each filled bucket's first entry, in bucket
  // order, then the index one past the last filled bucket's last entry.
  std::vector<uint32_t> starts;
  int64_t last_filled = -1; // while building: the order check
};

// An empty table of `length` buckets; room for `filled` filled ones.
void mini_hash_init(mini_hash_t &h, uint32_t length, uint64_t filled);

// Records bucket `bucket` as chrdict entries first-1 .. next-2 (1-based
// bounds as in mini_pair_t). Buckets must come in ascending order, each
// starting where the previous one ended; returns false (and records
// nothing) otherwise.
bool mini_hash_fill(mini_hash_t &h, uint32_t bucket, uint32_t first,
                    uint32_t next);

inline uint32_t mini_hash_bit_count(uint32_t x) {
  x = x - ((x >> 1) & 0x55555555u);
  x = (x & 0x33333333u) + ((x >> 2) & 0x33333333u);
  x = (x + (x >> 4)) & 0x0f0f0f0fu;
  return (x * 0x01010101u) >> 24;
}

// Slot of a filled bucket in `starts`; -1 for an empty bucket or one past
// the end.
inline int64_t mini_hash_slot(const mini_hash_t &h, uint32_t bucket) {
  if (bucket >= h.length)
    return -1;
  const mini_hash_group_t &g = h.groups[bucket >> 6];
  const unsigned half = (bucket >> 5) & 1, bit = bucket & 31;
  const uint32_t word = g.bits[half];
  if (!((word >> bit) & 1))
    return -1;
  const uint32_t below = (half ? mini_hash_bit_count(g.bits[0]) : 0) +
                         mini_hash_bit_count(word & ((uint32_t(1) << bit) - 1));
  return int64_t(g.before) + below;
}

// The bucket's bounds; {0, 0} for an empty bucket or one past the end.
inline mini_pair_t mini_hash_get(const mini_hash_t &h, uint32_t bucket) {
  mini_pair_t r;
  const int64_t slot = mini_hash_slot(h, bucket);
  if (slot >= 0) {
    r.a = h.starts[size_t(slot)];
    r.b = h.starts[size_t(slot) + 1];
  }
  return r;
}

// Fetches the cache line that a lookup of `bucket` reads first.
inline void mini_hash_prefetch(const mini_hash_t &h, uint32_t bucket) {
  if (bucket < h.length)
    __builtin_prefetch(&h.groups[bucket >> 6]);
}
