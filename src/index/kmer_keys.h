#pragma once
#include <cstdint>

#include "index/index_format.h"

// K-mer keys shared by the index builder and the aligner. A window of m
// bases w_0..w_(m-1) packs to W = sum code(w_j) << 2j (first base in the low
// bits, A0 C1 G2 T3). The continuous key of a k-base window is W itself.

// Base code of a character for k-mer keys: 0..3 for ACGT in either case, -1
// for anything else (such a character breaks every window containing it).
struct kmer_code_table_t {
  int8_t code[256];
  constexpr kmer_code_table_t() : code() {
    for (int i = 0; i < 256; ++i)
      code[i] = -1;
    code['A'] = code['a'] = 0;
    code['C'] = code['c'] = 1;
    code['G'] = code['g'] = 2;
    code['T'] = code['t'] = 3;
  }
};
constexpr kmer_code_table_t KMER_CODES{};

inline int kmer_base_code(char c) {
  return KMER_CODES.code[static_cast<unsigned char>(c)];
}

// Masks of the spaced key for an even key size k (10..28): the first k/2
// bases of the k + SPACED_SPACE window stay in bits 0..k-1, the middle
// SPACED_SPACE bases are dropped, the last k/2 bases move to bits k..2k-1,
// and bit 2k marks the key as spaced so it never equals a continuous key.
struct spaced_masks_t {
  uint64_t low;    // 2^k - 1
  uint64_t high;   // last k/2 bases of the window
  uint64_t marker; // 2^(2k)
};

inline spaced_masks_t make_spaced_masks(int k) {
  spaced_masks_t m;
  m.low = (uint64_t(1) << k) - 1;
  m.high = ((uint64_t(1) << (2 * (k - k / 2))) - 1)
           << (2 * (k / 2 + SPACED_SPACE));
  m.marker = uint64_t(1) << (2 * k);
  return m;
}

// Spaced key of the packed window W (k + SPACED_SPACE bases).
inline uint64_t spaced_key(uint64_t w, const spaced_masks_t &m) {
  return (w & m.low) + ((w & m.high) >> (2 * SPACED_SPACE)) + m.marker;
}

inline uint64_t spaced_key(uint64_t w, int k) {
  return spaced_key(w, make_spaced_masks(k));
}

// Sampling rule: which keys an index mode keeps. Modes 1-3 keep about a
// quarter of all keys, chosen by residues so that reads and genome agree
// without any shared state; modes 0 and 4 keep all; other modes none.
inline bool hash_key2(uint64_t key, int mode) {
  if (mode == 0 || mode == 4)
    return true;
  if (mode < 1 || mode > 3)
    return false;
  // Every test is made (| rather than ||): the outcome follows no pattern a
  // branch could learn, and each test is only a multiply and a compare.
  return (key % 7 == 5) | (key % 17 == 7) | (key % 19 == 13) |
         (key % 53 == 31) | (key % 71 == 47);
}

// Scans one chromosome's text s[0..n) with windows of m bases (1..32) and
// calls offer(W, offset) for each window of valid bases, W its packed value
// and offset the 0-based start of its first base. A window that ends on the
// chromosome's last base is offered only when it is the chromosome's first
// complete window; a window holding any other character is never offered.
// After the first complete window, an invalid character and every character
// of the refill behind it are also told to skipped(i), i being the number of
// characters read so far (the depth listing reports these positions).
template <typename Offer, typename Skipped>
inline void scan_windows(const char *s, uint64_t n, unsigned m, Offer offer,
                         Skipped skipped) {
  if (n < m)
    return;
  const unsigned top = 2 * (m - 1);
  uint64_t i = 0;
  unsigned v = 0;
  uint64_t w = 0;
  while (i < n && v < m) {
    const int c = kmer_base_code(s[i++]);
    if (c >= 0) {
      w += uint64_t(c) << (2 * v);
      ++v;
    } else {
      v = 0;
      w = 0;
    }
  }
  if (v < m)
    return;
  offer(w, i - m);
  while (i < n) {
    const int c = kmer_base_code(s[i++]);
    if (c >= 0) {
      w = (w >> 2) + (uint64_t(c) << top);
    } else {
      v = 0;
      w = 0;
      skipped(i);
      while (i < n && v < m) {
        const int d = kmer_base_code(s[i++]);
        skipped(i);
        if (d >= 0) {
          w += uint64_t(d) << (2 * v);
          ++v;
        } else {
          v = 0;
          w = 0;
        }
      }
    }
    if (i == n)
      break;
    offer(w, i - m);
  }
}

template <typename Offer>
inline void scan_windows(const char *s, uint64_t n, unsigned m, Offer offer) {
  scan_windows(s, n, m, offer, [](uint64_t) {});
}
