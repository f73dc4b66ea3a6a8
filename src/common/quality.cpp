#include "common/quality.h"

namespace qual {
const uint8_t solexa2phred32_table[SOLEXA_TABLE_SIZE] = {
    1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  7,  8,  9,  10, 10, 11,
    12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28,
    29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45,
    46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62};
} // namespace qual

bool ill_13tosanger(std::string &q) {
  for (char &c : q) {
    int v = int(static_cast<signed char>(c)) -
            (qual::PHRED64_OFFSET - qual::PHRED33_OFFSET);
    // Below quality 0, and so below the first Sanger character.
    if (v < qual::PHRED33_OFFSET)
      return false;
    c = char(v);
  }
  return true;
}

bool sangertoill_13(std::string &q) {
  for (char &c : q) {
    int v = int(static_cast<signed char>(c)) +
            (qual::PHRED64_OFFSET - qual::PHRED33_OFFSET);
    if (v > qual::MAX_QUAL_CHAR)
      return false;
    c = char(v);
  }
  return true;
}

bool solexatosanger(std::string &q) {
  for (char &c : q) {
    int i = int(static_cast<signed char>(c)) -
            (qual::PHRED64_OFFSET + qual::SOLEXA_MIN);
    if (i < 0 || i >= qual::SOLEXA_TABLE_SIZE)
      return false;
    c = char(qual::solexa2phred32_table[i] + qual::PHRED33_OFFSET);
  }
  return true;
}

int bwa_trim_len(const std::string &qual, int threshold, int min_len) {
  if (threshold <= 0 || qual.empty())
    return 0;
  const int64_t n = int64_t(qual.size());
  const int64_t m = min_len < 1 ? 1 : min_len;
  int64_t best = n - 1;
  // 64-bit sums: a large threshold times a long read must not wrap.
  int64_t s = 0, max = 0;
  for (int64_t i = n - 1; i >= m - 1; --i) {
    s += int64_t(threshold) -
         (int64_t(static_cast<signed char>(qual[i])) - qual::PHRED33_OFFSET);
    if (s < 0)
      break;
    if (s > max) {
      max = s;
      best = i;
    }
  }
  return int(best + 1);
}
