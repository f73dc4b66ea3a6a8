#include "index/kmer_sort.h"

#include <algorithm>

namespace {

const unsigned DIGIT_BITS = 8;
const uint64_t SMALL_LIST = 128;

unsigned key_bits(const twoint3_hash *recs, uint64_t n) {
  uint64_t all = 0;
  for (uint64_t i = 0; i < n; ++i)
    all |= recs[i].a;
  unsigned bits = 0;
  while (bits < 64 && (all >> bits) != 0)
    ++bits;
  return bits;
}

// Most significant digit first, in place: move every record into the bucket
// of key bits [shift, top) by permutation cycles, then sort each bucket on
// the bits below. Few buckets per pass keep the write heads in cache.
void radix_sort(twoint3_hash *recs, uint64_t n, unsigned top) {
  if (n <= SMALL_LIST || top == 0) {
    std::sort(recs, recs + n);
    return;
  }
  const unsigned shift = top > DIGIT_BITS ? top - DIGIT_BITS : 0;
  const uint64_t mask = (uint64_t(1) << (top - shift)) - 1;
  const size_t buckets = size_t(mask) + 1;
  uint64_t start[(1 << DIGIT_BITS) + 1] = {0};
  uint64_t head[1 << DIGIT_BITS] = {0};
  for (uint64_t i = 0; i < n; ++i)
    ++head[(recs[i].a >> shift) & mask];
  uint64_t sum = 0;
  for (size_t b = 0; b < buckets; ++b) {
    start[b] = sum;
    sum += head[b];
    head[b] = start[b];
  }
  start[buckets] = n;
  for (size_t b = 0; b < buckets; ++b) {
    const uint64_t end = start[b + 1];
    while (head[b] < end) {
      twoint3_hash v = recs[head[b]];
      size_t d = (v.a >> shift) & mask;
      while (d != b) {
        std::swap(v, recs[head[d]++]);
        d = (v.a >> shift) & mask;
      }
      recs[head[b]++] = v;
    }
  }
  for (size_t b = 0; b < buckets; ++b)
    radix_sort(recs + start[b], start[b + 1] - start[b], shift);
}

} // namespace

void sort_records(twoint3_hash *recs, uint64_t n) {
  radix_sort(recs, n, key_bits(recs, n));
}
