#pragma once
#include <emmintrin.h>

// The bytes the reader takes into a sequence and into a quality, written
// once for its byte loops and for its sixteen-byte test alike.

// A sequence holds graphic bytes; a quality also the byte after them.
const int SEQUENCE_BYTE_MAX = 126;
const int QUALITY_BYTE_MAX = 127;
// Bytes that end a sequence: the first byte of the next header, and of the
// record's '+' line.
const unsigned char SEQUENCE_STOPS[] = {'>', '@', '+'};

inline bool in_byte_range(unsigned char c, int hi) {
  return c >= 33 && c <= hi;
}

inline bool is_sequence_stop(unsigned char c) {
  static_assert(sizeof SEQUENCE_STOPS == 3,
                "is_sequence_stop tests each stop by name");
  return c == SEQUENCE_STOPS[0] || c == SEQUENCE_STOPS[1] ||
         c == SEQUENCE_STOPS[2];
}

// Whether every byte of [p, e) lies in [33, hi] and, with `stops`, none is
// a sequence stop. Sixteen bytes at a time: the per-byte test is what the
// reader spends its time on.
template <bool stops>
bool all_in_range(const unsigned char *p, const unsigned char *e, int hi) {
  // Adding 95 maps 33..hi onto -128..hi-161 as signed bytes; every other
  // byte lands above.
  const __m128i shift = _mm_set1_epi8(95);
  const __m128i top = _mm_set1_epi8(char(hi - 161));
  for (; e - p >= 16; p += 16) {
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    __m128i bad = _mm_cmpgt_epi8(_mm_add_epi8(c, shift), top);
    if (stops)
      for (unsigned char stop : SEQUENCE_STOPS)
        bad = _mm_or_si128(bad, _mm_cmpeq_epi8(c, _mm_set1_epi8(char(stop))));
    if (_mm_movemask_epi8(bad))
      return false;
  }
  for (; p < e; ++p)
    if (!in_byte_range(*p, hi) || (stops && is_sequence_stop(*p)))
      return false;
  return true;
}
