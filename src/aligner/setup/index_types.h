#pragma once
#include <cstdint>

// One entry of the k-mer position table: the low key bits of a k-mer and a
// 1-based genome position where its window starts. Ordered by key bits only.
struct twoint3_search {
  uint32_t a = 0;
  uint32_t b = 0;
  twoint3_search() = default;
  twoint3_search(uint32_t a_, uint32_t b_) : a(a_), b(b_) {}
  bool operator<(const twoint3_search &o) const { return a < o.a; }
};

// One bucket of the table over the position table: 1-based index of its first
// entry and one past its last; a = 0 marks an empty bucket.
struct mini_pair_t {
  uint32_t a = 0;
  uint32_t b = 0;
};
