#pragma once
#include <memory>
#include <random>
#include <string>

#include "common/bit_dna.h"
#include "common/mt_random.h"

namespace ktest {

inline const uint8_t *table() {
  static std::unique_ptr<uint8_t[]> t(gen_mm_table());
  return t.get();
}

// Packed with no spare capacity, so the sanitizers see any read past the
// last byte.
inline bit_DNA_t pack(const std::string &s) {
  MT_random gen;
  bit_DNA_t b(s, gen, table());
  b.data.shrink_to_fit();
  return b;
}

inline std::string random_dna(std::mt19937 &rng, size_t n) {
  static const char letters[] = "ACGT";
  std::string s(n, 'A');
  for (char &c : s)
    c = letters[rng() & 3];
  return s;
}

// A base different from c.
inline char other_base(char c, unsigned shift = 1) {
  static const char letters[] = "ACGT";
  int v = get_base_val(c);
  return letters[(v + 1 + shift % 3) & 3];
}

// Random edits of a read: rng() % edit_choices of them, each a substitution,
// an insertion or a deletion of 1 to indel_choices bases (deletions only
// while the read is longer than keep).
inline void edit_randomly(std::mt19937 &rng, std::string &read,
                          unsigned edit_choices, unsigned indel_choices,
                          size_t keep = 0) {
  for (int k = int(rng() % edit_choices); k > 0 && !read.empty(); --k) {
    size_t at = rng() % read.size();
    switch (rng() % 3) {
    case 0:
      read[at] = other_base(read[at], rng());
      break;
    case 1:
      read.insert(at, random_dna(rng, 1 + rng() % indel_choices));
      break;
    default:
      if (read.size() > keep)
        read.erase(at, 1 + rng() % indel_choices);
    }
  }
}

} // namespace ktest
