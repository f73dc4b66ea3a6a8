#pragma once
#include <cstdint>
#include <vector>

#include "index/kmer_keys.h"

// The k-mer window scan of scan_windows (kmer_keys.h) over a packed genome
// and its invalid-base bits, for any range of window starts within one
// chromosome, so that a chromosome can be scanned in pieces on several
// threads. A window is offered when its bases are all valid, except the
// window that ends on the chromosome's last base: that one only when no
// other complete window comes before it.

struct packed_view_t {
  const uint8_t *bases;    // two bits per base, first base in the low bits
  const uint64_t *invalid; // one bit per base
};

inline unsigned packed_code(const packed_view_t &g, uint64_t i) {
  return (g.bases[i >> 2] >> (2 * (i & 3))) & 3;
}

inline bool packed_invalid(const packed_view_t &g, uint64_t i) {
  return (g.invalid[i >> 6] >> (i & 63)) & 1;
}

// True when bases [first + from, first + to) hold m valid bases in a row.
inline bool has_valid_run(const packed_view_t &g, uint64_t first, uint64_t from,
                          uint64_t to, unsigned m) {
  unsigned run = 0;
  for (uint64_t p = from; p < to; ++p) {
    run = packed_invalid(g, first + p) ? 0 : run + 1;
    if (run >= m)
      return true;
  }
  return false;
}

// Calls offer(W, offset) for the windows of m bases (1..32) that start at an
// offset in [from, to) of the chromosome whose n bases begin at genome index
// `first`, in ascending offset; W is the packed window (kmer_keys.h).
template <typename Offer>
inline void scan_packed_windows(const packed_view_t &g, uint64_t first,
                                uint64_t n, unsigned m, uint64_t from,
                                uint64_t to, Offer offer) {
  if (n < m)
    return;
  const uint64_t last = n - m; // start of the window ending on the last base
  if (to > last + 1)
    to = last + 1;
  if (from >= to)
    return;
  const unsigned top = 2 * (m - 1);
  uint64_t w = 0;
  unsigned run = 0;
  const uint64_t end = to + m - 1;
  for (uint64_t p = from; p < end; ++p) {
    const uint64_t i = first + p;
    w = (w >> 2) | (uint64_t(packed_code(g, i)) << top);
    if (packed_invalid(g, i)) {
      run = 0;
      continue;
    }
    if (++run < m)
      continue;
    const uint64_t start = p + 1 - m;
    if (start == last && last > 0 &&
        (!packed_invalid(g, first + last - 1) ||
         has_valid_run(g, first, 0, last - 1, m)))
      break;
    offer(w, start);
  }
}

// Calls emit(key, offset) for every window in [from, to) that the index mode
// keeps: the same windows as select_windows (kmer_select.h) on the text.
template <typename Emit>
inline void select_packed_windows(const packed_view_t &g, uint64_t first,
                                  uint64_t n, int k, int mode, uint64_t from,
                                  uint64_t to, Emit emit) {
  if (mode == 0 || mode == 1 || mode == 3) {
    scan_packed_windows(g, first, n, unsigned(k), from, to,
                        [&](uint64_t w, uint64_t off) {
                          if (hash_key2(w, mode))
                            emit(w, off);
                        });
  }
  if (mode == 2 || mode == 3 || mode == 4) {
    const spaced_masks_t masks = make_spaced_masks(k);
    scan_packed_windows(g, first, n, unsigned(k + SPACED_SPACE), from, to,
                        [&](uint64_t w, uint64_t off) {
                          const uint64_t key = spaced_key(w, masks);
                          if (hash_key2(key, mode))
                            emit(key, off);
                        });
  }
}
