#pragma once
#include <cstdint>
#include <string>

#include "common/bit_dna.h"
#include "kernels/path.h"

// Penalty of the best alignment of `seq` as two ungapped pieces joined by
// one indel, the left piece starting at genome base start_pos and the right
// piece ending at end_pos; gap = right placement minus left placement (> 0
// deletion, < 0 insertion). At most two mismatches (one per piece). Returns
// -1 when none fits max_gap or the span leaves the genome; cigar is set only
// on success.
int ordered_align(const bit_DNA_t &seq, const bit_DNA_t &genome,
                  uint32_t start_pos, uint32_t end_pos, int gap,
                  std::string &cigar, mm_gap_t &mm_gap, int max_gap,
                  int m_score, int mm_pen, int gap_pen, int ext_pen);

// Smallest mismatch count (not above max_diff) of `seq` placed ungapped at
// genome positions loc..end_loc; loc receives the last position reaching it.
// -1 and loc untouched when no position qualifies.
inline int mm_align_bit(const bit_DNA_t &seq, const bit_DNA_t &genome,
                        uint32_t &loc, uint32_t end_loc, int max_diff) {
  if (max_diff < 0)
    return -1;
  int64_t last = int64_t(genome.size()) - int64_t(seq.size());
  int64_t end = end_loc;
  if (end > last)
    end = last;
  int result = -1;
  uint32_t bound = uint32_t(max_diff);
  for (int64_t i = loc < 1 ? 1 : loc; i <= end; ++i) {
    int count = genome.compare_mm(seq, uint64_t(i), bound, 1);
    if (count >= 0 && uint32_t(count) <= bound) {
      bound = uint32_t(count);
      result = count;
      loc = uint32_t(i);
    }
  }
  return result;
}
