#include "kernels/vector_sw.h"

#include <algorithm>
#include <cstring>

#include "common/fatal.h"
#include "kernels/window_codes.h"

namespace {

const int16_t NW_INF = 31000; // penalties at or above it are unreachable
const int8_t SW_PAD = -1;
const int8_t READ_PAD = -2;

inline int16_t sat16(long v) { return int16_t(std::clamp(v, -32768L, 32767L)); }

inline __m128i splat(long v) { return _mm_set1_epi16(sat16(v)); }

// Eight codes as sign-extended 16-bit lanes.
inline __m128i load_codes(const int8_t *p) {
  __m128i x = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(p));
  return _mm_srai_epi16(_mm_unpacklo_epi8(x, x), 8);
}

inline int16_t lane7(__m128i v) { return int16_t(_mm_extract_epi16(v, 7)); }

inline int16_t horizontal_max(__m128i v) {
  v = _mm_max_epi16(v, _mm_srli_si128(v, 8));
  v = _mm_max_epi16(v, _mm_srli_si128(v, 4));
  v = _mm_max_epi16(v, _mm_srli_si128(v, 2));
  return int16_t(_mm_extract_epi16(v, 0));
}

// Penalty of n read bases placed before window position 0.
inline int16_t inserted_prefix(const vector_sw &v, long n) {
  if (n == 0)
    return 0;
  long p = long(v.b_gap_open) + v.b_gap_ext + v.match +
           (n - 1) * (long(v.match) + v.b_gap_ext);
  return int16_t(std::clamp(p, 0L, long(NW_INF)));
}

template <typename T> void grow(T *&buf, int &cap, int n) {
  if (buf && n <= cap)
    return;
  delete[] buf;
  buf = nullptr;
  buf = new T[n]();
  cap = n;
}

} // namespace

namespace vector_lane {

__m128i _mm_insert_epi16_2(__m128i a, int16_t b, int imm) {
  switch (imm) {
  case 0:
    return _mm_insert_epi16(a, b, 0);
  case 1:
    return _mm_insert_epi16(a, b, 1);
  case 2:
    return _mm_insert_epi16(a, b, 2);
  case 3:
    return _mm_insert_epi16(a, b, 3);
  case 4:
    return _mm_insert_epi16(a, b, 4);
  case 5:
    return _mm_insert_epi16(a, b, 5);
  case 6:
    return _mm_insert_epi16(a, b, 6);
  case 7:
    return _mm_insert_epi16(a, b, 7);
  }
  fatal_exit("BAD INSERT!!", 1);
}

int16_t _mm_extract_epi16_2(__m128i a, int imm) {
  switch (imm) {
  case 0:
    return int16_t(_mm_extract_epi16(a, 0));
  case 1:
    return int16_t(_mm_extract_epi16(a, 1));
  case 2:
    return int16_t(_mm_extract_epi16(a, 2));
  case 3:
    return int16_t(_mm_extract_epi16(a, 3));
  case 4:
    return int16_t(_mm_extract_epi16(a, 4));
  case 5:
    return int16_t(_mm_extract_epi16(a, 5));
  case 6:
    return int16_t(_mm_extract_epi16(a, 6));
  case 7:
    return int16_t(_mm_extract_epi16(a, 7));
  }
  fatal_exit("BAD EXTRACT!!", 1);
}

} // namespace vector_lane

using vector_lane::_mm_extract_epi16_2;
using vector_lane::_mm_insert_epi16_2;

vector_sw::~vector_sw() { clear(); }

void vector_sw::setup_penalty(int a_open, int a_ext, int b_open, int b_ext,
                              int match_, int mismatch_) {
  a_gap_open = a_open;
  a_gap_ext = a_ext;
  b_gap_open = b_open;
  b_gap_ext = b_ext;
  match = match_;
  mismatch = -mismatch_;
}

bool vector_sw::sw_vector_setup(int db_len, const bit_DNA_t &read1,
                                const bit_DNA_t &read2) {
  set_up = false;
  if (read1.size() != read2.size())
    return false;
  dblen = db_len > 0 ? db_len : 0;
  qrlen = int(read1.size());
  grow(db, db_cap, dblen + 2 * VSW_PAD);
  int qcap = qr_cap;
  grow(qr, qcap, qrlen + 2 * VSW_PAD);
  grow(qr_comp, qr_cap, qrlen + 2 * VSW_PAD);
  ensure_rows(dblen);
  std::memset(qr, READ_PAD, size_t(qrlen + 2 * VSW_PAD));
  std::memset(qr_comp, READ_PAD, size_t(qrlen + 2 * VSW_PAD));
  unpack_all(read1, qr + VSW_PAD);
  unpack_all(read2, qr_comp + VSW_PAD);
  set_up = true;
  return true;
}

void vector_sw::ensure_rows(int lena) {
  int n = lena + 2 * VSW_PAD + ROW_SLACK;
  if (nogap && b_gap && wrev && n <= rows_cap)
    return;
  int cap = rows_cap, cap2 = rows_cap;
  grow(nogap, cap, n);
  grow(b_gap, cap2, n);
  grow(wrev, rows_cap, n);
}

void vector_sw::clear() {
  delete[] db;
  delete[] qr;
  delete[] qr_comp;
  delete[] nogap;
  delete[] b_gap;
  delete[] wrev;
  db = qr = qr_comp = nullptr;
  nogap = b_gap = wrev = nullptr;
  db_cap = qr_cap = rows_cap = 0;
  dblen = qrlen = 0;
  set_up = false;
}

int vector_sw::get_sw_score(const bit_DNA_t &genome, uint32_t loc,
                            bool strand) {
  if (!set_up)
    return -1;
  std::memset(db, SW_PAD, VSW_PAD);
  std::memset(db + VSW_PAD + dblen, SW_PAD, VSW_PAD);
  unpack_window(genome, loc, dblen, db + VSW_PAD, SW_PAD);
  return vect_sw_diff_gap(db, dblen, (strand ? qr_comp : qr) + VSW_PAD, qrlen);
}

int vector_sw::get_nw_score(const bit_DNA_t &genome, uint32_t loc, bool strand,
                            int max_pen) {
  if (!set_up)
    return -1;
  std::memset(db, VSW_BLOCKED, VSW_PAD);
  std::memset(db + VSW_PAD + dblen, VSW_BLOCKED, VSW_PAD);
  unpack_window(genome, loc, dblen, db + VSW_PAD, VSW_BLOCKED);
  return vect_nw_diff_gap(db, dblen, (strand ? qr_comp : qr) + VSW_PAD, qrlen,
                          max_pen);
}

// Window codes as 16-bit values in reverse order, so that one unaligned
// load gives the eight lanes' codes of a step: lane k at step t holds
// buffer index t + 7 - k.
void vector_sw::reverse_window(const int8_t *seqA, int lena) {
  const int n = lena + 2 * VSW_PAD;
  for (int x = 0; x < n; ++x)
    wrev[x] = seqA[n - 1 - x];
}

namespace {

inline __m128i window_lanes(const int16_t *wrev, int n, int t) {
  return _mm_loadu_si128(
      reinterpret_cast<const __m128i *>(wrev + n - VSW_LANES - t));
}

// Lane 0 of the value handed down from the previous strip (lanes 1 to 7 of
// the load are masked off; the arrays carry slack for them).
inline __m128i row_entry(const int16_t *row, int t, __m128i mask0) {
  return _mm_and_si128(
      _mm_loadu_si128(reinterpret_cast<const __m128i *>(row + t + VSW_PAD)),
      mask0);
}

} // namespace

// H(i,j) = max(H(i-1,j-1) + score, 0, E(i,j), F(i,j)) with
// E(i,j) = max(E(i,j-1) - a_ext, H(i,j-1) - a_open - a_ext) and
// F(i,j) = max(F(i-1,j) - b_ext, H(i-1,j) - b_open - b_ext).
// Saturating arithmetic: a score can stick at 32767 but never wraps.
int vector_sw::vect_sw_diff_gap(const int8_t *seqA, int lena,
                                const int8_t *seqB, int lenb) {
  strips_done = 0;
  if (lena < 1 || lenb < 1)
    return 0;
  ensure_rows(lena);
  const int n = lena + 2 * VSW_PAD;
  const int16_t f_start = sat16(-long(b_gap_open));
  std::fill(nogap, nogap + n + ROW_SLACK, int16_t(0));
  std::fill(b_gap, b_gap + n + ROW_SLACK, f_start);
  reverse_window(seqA, lena);

  const __m128i zero = _mm_setzero_si128();
  const __m128i mask0 = _mm_cvtsi32_si128(0xFFFF);
  const __m128i v_match = splat(match), v_mis = splat(mismatch);
  const __m128i a_ext = splat(a_gap_ext);
  const __m128i a_open = splat(long(a_gap_open) + a_gap_ext);
  const __m128i b_ext = splat(b_gap_ext);
  const __m128i b_open = splat(long(b_gap_open) + b_gap_ext);
  const __m128i e_start = splat(-long(a_gap_open));
  __m128i best = zero;
  const int strips = (lenb + VSW_LANES - 1) / VSW_LANES;
  for (int s = 0; s < strips; ++s) {
    const __m128i q = load_codes(seqB + VSW_LANES * s);
    // Left of the window every cell holds H 0 and F at most -open.
    __m128i h = zero, f = _mm_set1_epi16(f_start);
    __m128i e = e_start, diag = zero;
    for (int t = 0; t <= lena + VSW_LANES - 2; ++t) {
      __m128i uh =
          _mm_or_si128(_mm_slli_si128(h, 2), row_entry(nogap, t, mask0));
      __m128i uf =
          _mm_or_si128(_mm_slli_si128(f, 2), row_entry(b_gap, t, mask0));
      __m128i eq = _mm_cmpeq_epi16(window_lanes(wrev, n, t), q);
      __m128i sc =
          _mm_or_si128(_mm_and_si128(eq, v_match), _mm_andnot_si128(eq, v_mis));
      __m128i dsc = _mm_max_epi16(_mm_adds_epi16(diag, sc), zero);
      e = _mm_max_epi16(_mm_subs_epi16(e, a_ext), _mm_subs_epi16(h, a_open));
      f = _mm_max_epi16(_mm_subs_epi16(uf, b_ext), _mm_subs_epi16(uh, b_open));
      h = _mm_max_epi16(_mm_max_epi16(dsc, e), f);
      best = _mm_max_epi16(best, h);
      nogap[t] = lane7(h);
      b_gap[t] = lane7(f);
      diag = uh;
    }
    ++strips_done;
  }
  return std::max<int>(0, horizontal_max(best));
}

// Penalties (lower is better):
// E(i,j) = min(E(i,j-1) + a_ext, H(i,j-1) + a_open + a_ext),
// F(i,j) = min(F(i-1,j) + b_ext + m, H(i-1,j) + b_open + b_ext + m),
// H(i,j) = min(H(i-1,j-1) + (equal ? 0 : mismatch penalty + m), E, F).
// The row above the read is free (0) for the diagonal and unreachable for
// F; before window position 0 lie the inserted read prefixes. A blocked
// window position makes H, E and F unreachable: H and E are forced, and F
// follows, since everything above a blocked cell is blocked too (left of
// the window, the head vectors; right of it, the row entries the previous
// strip did not write). Saturating arithmetic keeps every unreachable
// value at or above NW_INF.
int vector_sw::vect_nw_diff_gap(const int8_t *seqA, int lena,
                                const int8_t *seqB, int lenb, int min_diff) {
  strips_done = 0;
  if (lena < 1 || lenb < 1)
    return -1;
  ensure_rows(lena);
  const int n = lena + 2 * VSW_PAD;
  std::fill(nogap, nogap + n + ROW_SLACK, int16_t(0));
  std::fill(b_gap, b_gap + n + ROW_SLACK, NW_INF);
  reverse_window(seqA, lena);

  const __m128i inf = _mm_set1_epi16(NW_INF);
  const __m128i mask0 = _mm_cvtsi32_si128(0xFFFF);
  const __m128i top = _mm_cvtsi32_si128(NW_INF); // lane 0 only
  const __m128i blocked_code = _mm_set1_epi16(VSW_BLOCKED);
  const __m128i v_mis = splat(long(-mismatch) + match);
  const __m128i a_ext = splat(a_gap_ext);
  const __m128i a_open = splat(long(a_gap_open) + a_gap_ext);
  const __m128i b_ext = splat(long(b_gap_ext) + match);
  const __m128i b_open = splat(long(b_gap_open) + b_gap_ext + match);
  const __m128i lane_no = _mm_set_epi16(7, 6, 5, 4, 3, 2, 1, 0);
  const int last = (lenb - 1) % VSW_LANES;
  const int strips = (lenb + VSW_LANES - 1) / VSW_LANES;
  for (int s = 0; s < strips; ++s) {
    const __m128i q = load_codes(seqB + VSW_LANES * s);
    __m128i left = inf;
    for (int k = 0; k < VSW_LANES; ++k)
      left = _mm_insert_epi16_2(
          left, inserted_prefix(*this, long(VSW_LANES) * s + k), k);
    // The first read base cannot follow a free stretch of window as an
    // insertion: above the read, F sees an unreachable H.
    const __m128i f_top = s == 0 ? top : _mm_setzero_si128();
    const bool final_strip = s == strips - 1;
    const int t_end = final_strip ? lena + last - 1 : lena + VSW_LANES - 2;
    __m128i h = inf, f = inf, e = inf, diag = inf, mins = inf;
    for (int t = 0; t <= t_end; ++t) {
      __m128i uh =
          _mm_or_si128(_mm_slli_si128(h, 2), row_entry(nogap, t, mask0));
      __m128i uf =
          _mm_or_si128(_mm_slli_si128(f, 2), row_entry(b_gap, t, mask0));
      if (t < VSW_LANES) {
        __m128i here = _mm_cmpeq_epi16(lane_no, _mm_set1_epi16(int16_t(t)));
        diag = _mm_or_si128(_mm_and_si128(here, left),
                            _mm_andnot_si128(here, diag));
      }
      __m128i w = window_lanes(wrev, n, t);
      __m128i blk = _mm_and_si128(_mm_cmpeq_epi16(w, blocked_code), inf);
      __m128i sc =
          _mm_or_si128(_mm_andnot_si128(_mm_cmpeq_epi16(w, q), v_mis), blk);
      __m128i dsc = _mm_adds_epi16(diag, sc);
      e = _mm_max_epi16(
          _mm_min_epi16(_mm_adds_epi16(e, a_ext), _mm_adds_epi16(h, a_open)),
          blk);
      f = _mm_min_epi16(_mm_adds_epi16(uf, b_ext),
                        _mm_adds_epi16(_mm_or_si128(uh, f_top), b_open));
      h = _mm_min_epi16(_mm_min_epi16(dsc, e), f);
      if (t >= last)
        mins = _mm_min_epi16(mins, h);
      nogap[t] = lane7(h);
      b_gap[t] = lane7(f);
      diag = uh;
    }
    ++strips_done;
    // Entries past the last written one stand for positions right of the
    // window: unreachable from here on.
    if (s == 0)
      std::fill(nogap + lena + VSW_PAD, nogap + n + ROW_SLACK, NW_INF);
    int row_min = _mm_extract_epi16_2(mins, last);
    if (final_strip)
      return row_min <= min_diff && row_min < NW_INF ? row_min : -1;
    if (row_min > min_diff)
      return -1;
  }
  return -1;
}
