#pragma once
#include <cstdint>
#include <string>

#include "index/kmer_keys.h"

// Calls emit(key, offset) for every window of one chromosome that the index
// mode keeps, offset being the 0-based start of the window. Modes 0 and 1
// scan continuous k-mers, 2 and 4 spaced ones, 3 both (continuous first).
// The text is scanned as is, forward strand only.
template <typename Emit>
inline void select_windows(const std::string &s, int k, int mode, Emit emit) {
  const char *text = s.data();
  const uint64_t n = s.size();
  if (mode == 0 || mode == 1 || mode == 3) {
    scan_windows(text, n, unsigned(k), [&](uint64_t w, uint64_t off) {
      if (hash_key2(w, mode))
        emit(w, off);
    });
  }
  if (mode == 2 || mode == 3 || mode == 4) {
    const spaced_masks_t masks = make_spaced_masks(k);
    scan_windows(text, n, unsigned(k + SPACED_SPACE),
                 [&](uint64_t w, uint64_t off) {
                   const uint64_t key = spaced_key(w, masks);
                   if (hash_key2(key, mode))
                     emit(key, off);
                 });
  }
}
