#include "kernels/single_indel.h"

#include "kernels/packed_bits.h"
#include "kernels/text_out.h"

namespace {

// Records mismatch position `pos` as the first or second one; true once
// the second is known.
inline bool note_mismatch(int pos, int &found, int &first, int &second) {
  if (found++ == 0) {
    first = pos;
    return false;
  }
  second = pos;
  return true;
}

// Read bases 1..n against genome bits starting at gbit, upwards.
void scan_up(const bit_DNA_t &genome, const bit_DNA_t &read, uint64_t n,
             uint64_t gbit, int &first, int &second) {
  int found = 0;
  for (uint64_t base0 = 0; base0 < n; base0 += 32) {
    uint64_t f = packed_bits::diff_flags(
        packed_bits::load(read.data, 2 * base0),
        packed_bits::load(genome.data, gbit + 2 * base0));
    f &= packed_bits::base_mask(n - base0);
    while (f) {
      int pos = int(base0) + __builtin_ctzll(f) / 2 + 1;
      if (note_mismatch(pos, found, first, second))
        return;
      f &= f - 1;
    }
  }
}

// Read bases n..1 against genome bits where read base 1 would sit at gbit,
// downwards.
void scan_down(const bit_DNA_t &genome, const bit_DNA_t &read, uint64_t n,
               uint64_t gbit, int &first, int &second) {
  int found = 0;
  for (uint64_t hi = n; hi > 0;) {
    uint64_t lo = hi > 32 ? hi - 32 : 0;
    uint64_t f =
        packed_bits::diff_flags(packed_bits::load(read.data, 2 * lo),
                                packed_bits::load(genome.data, gbit + 2 * lo));
    f &= packed_bits::base_mask(hi - lo);
    while (f) {
      int bit = 63 - __builtin_clzll(f);
      int pos = int(lo) + bit / 2 + 1;
      if (note_mismatch(pos, found, first, second))
        return;
      f &= ~(1ULL << bit);
    }
    hi = lo;
  }
}

} // namespace

void bit_DNA_t::extend_one_del(int &output00, int &output01, int &output10,
                               int &output11, const bit_DNA_t &val,
                               uint32_t start_pos, uint32_t end_pos) const {
  uint64_t n = val.size();
  output00 = 0;
  output01 = 0;
  output10 = int(n);
  output11 = int(n);
  if (start_pos == 0 || (uint64_t(start_pos) - 1) / 4 >= data.size())
    return;
  scan_up(*this, val, n, 2 * (uint64_t(start_pos) - 1), output00, output01);
  // A right placement that would begin before the genome has nothing to
  // compare with; its outputs stay "absent".
  if (end_pos >= n)
    scan_down(*this, val, n, 2 * (uint64_t(end_pos) - n), output10, output11);
}

int ordered_align(const bit_DNA_t &seq, const bit_DNA_t &genome,
                  uint32_t start_pos, uint32_t end_pos, int gap,
                  std::string &cigar, mm_gap_t &mm_gap, int max_gap,
                  int m_score, int mm_pen, int gap_pen, int ext_pen) {
  int64_t n = seq.size();
  if (n > end_pos)
    return -1;
  // The caller promises both placements lie in the genome; an alignment
  // that would end past it is refused rather than trusted.
  if (gap == 0 || start_pos == 0 || end_pos > genome.size())
    return -1;
  bool deletion = gap > 0;
  int64_t G = deletion ? int64_t(gap) : -int64_t(gap);
  int64_t P = gap_pen + (G - 1) * ext_pen;
  mm_gap.num_mm = 0;
  mm_gap.num_gap_open = 1;
  mm_gap.num_gap_ext = int(G - 1);

  int l1, l2, r1, r2;
  genome.extend_one_del(l1, l2, r1, r2, seq, start_pos, end_pos);

  int64_t T = deletion ? -1 : G - 1;
  int64_t s;
  int k;
  if (r1 - l1 <= T) {
    s = l1;
    k = 0;
  } else if (r1 - l2 <= T) {
    s = l2;
    k = 1;
  } else if (r2 - l1 <= T) {
    s = l1;
    k = 1;
  } else if (r2 - l2 <= T) {
    s = l2;
    k = 2;
  } else {
    return -1;
  }

  if (!deletion)
    P += G * m_score;
  P += int64_t(k) * (m_score + mm_pen);
  mm_gap.num_mm = k;
  if (P > max_gap)
    return -1;

  int64_t right = deletion ? n - s + 1 : n - G - s + 1;
  if (s < 2 || right < 2)
    return -1;
  int64_t ref_end =
      int64_t(start_pos) + (s - 1) + right - 1 + (deletion ? G : 0);
  if (ref_end > int64_t(genome.size()))
    return -1;

  cigar.clear();
  append_int(cigar, s - 1);
  cigar += 'M';
  append_int(cigar, G);
  cigar += deletion ? 'D' : 'I';
  append_int(cigar, right);
  cigar += 'M';
  return int(P);
}
