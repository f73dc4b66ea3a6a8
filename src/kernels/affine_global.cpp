// Banded three-state affine alignment of a whole read against a window,
// free at the window ends that are not anchored, with traceback.
//
// Rows are filled in diagonal coordinates d = c - r, where both states fed
// by the row above (A from the diagonal, B from above) sit at the same or
// the next slot of the previous row and can be computed four cells at a
// time; only state C, fed from the left, is a scan along the row. Two rows
// of penalties are kept, and one byte of predecessor states per cell for
// the traceback.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <emmintrin.h>
#include <iostream>
#include <type_traits>
#include <vector>

#include "kernels/path.h"
#include "kernels/sw_nw.h"
#include "kernels/window_codes.h"

namespace {

using nw_const::INF_RAW;

// Penalty of an unreachable state: what INF_RAW reads as.
const uint32_t INF_PEN = INF_RAW >> 2;

// Penalties are held as keys: the 30 bits a cell keeps of a penalty above
// its two predecessor bits, with the top bit set. A signed comparison of
// two keys plus costs is then the unsigned comparison of the penalties plus
// costs, wrap-around included, so every choice is made as on the stored
// cells, whatever the costs.
const uint32_t PEN_BITS = 0x3FFFFFFF;
const uint32_t KEY_BIAS = 0x80000000;

inline uint32_t key_of(uint32_t pen) { return (pen & PEN_BITS) | KEY_BIAS; }
inline uint32_t pen_of(uint32_t key) { return key & PEN_BITS; }

const uint32_t INF_KEY = key_of(INF_PEN);

// Predecessor states of one cell: A's state in bits 0-1; B_EXTENDS set when
// B extends B (else it opens from A); C_EXTENDS set when C extends C (else
// it opens from A).
const uint8_t A_FROM = 3;
const uint8_t B_EXTENDS = 4;
const uint8_t C_EXTENDS = 8;

// Cells one vector step covers, and so how far it may reach past the last
// cell of a row.
const long LANES = 4;

struct costs_t {
  uint32_t m, s, g, e;
  long band;
  bool left, right;
  uint32_t max_diff;
  long end_len;
};

// The band in diagonal coordinates: cell (r, c) is computed when
// lo <= d <= hi and 1 <= c <= L. A row is stored over d = lo - 1 .. hi (the
// first slot holds column 0 when the band reaches it) with room for one
// vector step past the end. A band wider than the matrix is cut to it: no
// cell lies on a diagonal beyond -R or L.
struct band_t {
  long lo, hi, stride;
  band_t(long R, long L, long band)
      : lo(std::max(-band, -R)), hi(std::min(L - R + band, L)),
        stride(hi - lo + 2 + LANES) {}
  long at(long d) const { return d - lo + 1; }
};

// One row of the three states' penalty keys.
struct row_t {
  uint32_t *a, *b, *c;
};

row_t work_row(nw_work_t &w, const band_t &bd, int which) {
  uint32_t *base = w.rows.data() + size_t(3 * which) * size_t(bd.stride);
  return row_t{base, base + bd.stride, base + 2 * bd.stride};
}

inline __m128i select(__m128i mask, __m128i x, __m128i y) {
  return _mm_or_si128(_mm_and_si128(mask, x), _mm_andnot_si128(mask, y));
}

// Byte masks 0..3 widened to 32-bit lanes.
inline __m128i widen(__m128i bytes) {
  bytes = _mm_unpacklo_epi8(bytes, bytes);
  return _mm_unpacklo_epi16(bytes, bytes);
}

inline __m128i load(const uint32_t *p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}

inline void store(uint32_t *p, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i *>(p), v);
}

// Negative window codes mark bases off the genome; text bytes are never
// blocked.
template <typename T> constexpr bool has_blocked() {
  return std::is_same<T, int8_t>::value;
}

// Row 0: the empty read against the first d window bases.
void first_row(row_t row, const band_t &bd, long L, const costs_t &k) {
  for (long d = bd.lo - 1; d <= bd.hi + LANES; ++d) {
    const long i = bd.at(d);
    row.a[i] = row.b[i] = row.c[i] = INF_KEY;
    if (d == 0)
      row.a[i] = row.b[i] = row.c[i] = key_of(0);
    else if (d >= 1 && d <= L)
      row.c[i] = key_of(k.left ? k.g + uint32_t(d - 1) * k.e : 0);
  }
}

// Penalty of r read bases against no window base (column 0).
uint32_t inserted(long r, const costs_t &k) {
  return k.m + k.g + (k.m + k.e) * uint32_t(r - 1);
}

inline __m128i packed_bytes(__m128i lanes) {
  return _mm_packus_epi16(_mm_packs_epi32(lanes, lanes), _mm_setzero_si128());
}

inline void store_bytes(uint8_t *p, __m128i lanes) {
  const int32_t packed = _mm_cvtsi128_si32(packed_bytes(lanes));
  std::memcpy(p, &packed, sizeof packed);
}

// What one row's vector steps share.
struct row_consts_t {
  __m128i mis, open_b, ext_b, inf, pen_bits, bias, read_base, from_b, from_c,
      b_extends, b_last;
  template <typename T>
  row_consts_t(const costs_t &k, uint32_t x, T rb, const band_t &bd)
      : mis(_mm_set1_epi32(int(k.s + k.m))),
        open_b(_mm_set1_epi32(int(k.g + k.m))),
        ext_b(_mm_set1_epi32(int(k.m + x))), inf(_mm_set1_epi32(int(INF_KEY))),
        pen_bits(_mm_set1_epi32(int(PEN_BITS))),
        bias(_mm_set1_epi32(int(KEY_BIAS))), read_base(_mm_set1_epi8(char(rb))),
        from_b(_mm_set1_epi32(1)), from_c(_mm_set1_epi32(2)),
        b_extends(_mm_set1_epi32(B_EXTENDS)),
        // B is not computed on the band's last diagonal: its cell above is
        // off.
        b_last(_mm_set1_epi32(int(bd.hi - 1))) {}
};

// States A and B, with their predecessor states, of the four cells from
// slot i (diagonal lane_d) of row r: both come from the row above only. A
// takes the cheapest diagonal predecessor, ties preferring B, then A, then
// C; B opens from A above or extends B above, ties extending. A blocked
// window base allows neither.
struct ab_lanes_t {
  __m128i a, b, state;
};

template <typename T>
inline ab_lanes_t ab_step(const row_consts_t &q, row_t up, const int8_t *win,
                          long r, long d, long i, __m128i lane_d) {
  int32_t raw;
  std::memcpy(&raw, win + (r + d - 1), sizeof raw);
  const __m128i wb = _mm_cvtsi32_si128(raw);
  const __m128i same = widen(_mm_cmpeq_epi8(wb, q.read_base));
  const __m128i off = has_blocked<T>()
                          ? widen(_mm_cmplt_epi8(wb, _mm_setzero_si128()))
                          : _mm_setzero_si128();
  const __m128i cost = _mm_andnot_si128(same, q.mis);
  const __m128i a = _mm_add_epi32(load(up.a + i), cost);
  const __m128i b = _mm_add_epi32(load(up.b + i), cost);
  const __m128i c = _mm_add_epi32(load(up.c + i), cost);
  const __m128i a_first = _mm_cmplt_epi32(a, b);
  const __m128i first = select(a_first, a, b);
  const __m128i c_first = _mm_cmplt_epi32(c, first);
  const __m128i va = select(off, q.inf, select(c_first, c, first));
  ab_lanes_t out;
  out.a = _mm_or_si128(_mm_and_si128(va, q.pen_bits), q.bias);
  // An unreachable state names no predecessor: the traceback, which only
  // meets one through wrapped-around costs, then goes on as from A.
  out.state = _mm_andnot_si128(
      off, select(c_first, q.from_c, _mm_andnot_si128(a_first, q.from_b)));

  const __m128i open = _mm_add_epi32(load(up.a + i + 1), q.open_b);
  const __m128i ext = _mm_add_epi32(load(up.b + i + 1), q.ext_b);
  const __m128i opens = _mm_cmplt_epi32(open, ext);
  const __m128i no_b = _mm_or_si128(off, _mm_cmpgt_epi32(lane_d, q.b_last));
  const __m128i vb = select(opens, open, ext);
  out.b =
      select(no_b, q.inf, _mm_or_si128(_mm_and_si128(vb, q.pen_bits), q.bias));
  out.state = _mm_or_si128(
      out.state, _mm_andnot_si128(_mm_or_si128(no_b, opens), q.b_extends));
  return out;
}

inline __m128i first_lanes(long d0) {
  return _mm_add_epi32(_mm_set1_epi32(int(d0)), _mm_set_epi32(3, 2, 1, 0));
}

// States A and B of cells d0..d1 of row r, four at a time (the lanes past
// d1 are written but never read).
template <typename T>
void fill_ab(row_t now, row_t up, uint8_t *steps, const int8_t *win, T rb,
             long r, long d0, long d1, const band_t &bd, const costs_t &k,
             uint32_t x) {
  const row_consts_t q(k, x, rb, bd);
  __m128i lane_d = first_lanes(d0);
  for (long d = d0; d <= d1; d += LANES) {
    const long i = bd.at(d);
    const ab_lanes_t ab = ab_step<T>(q, up, win, r, d, i, lane_d);
    store(now.a + i, ab.a);
    store(now.b + i, ab.b);
    store_bytes(steps + i, ab.state);
    lane_d = _mm_add_epi32(lane_d, _mm_set1_epi32(int(LANES)));
  }
}

inline uint32_t smaller_key(uint32_t x, uint32_t y) {
  return uint32_t(std::min(int32_t(x), int32_t(y)));
}

// State C of cells d0..d1, from the left: opens from A or extends C, ties
// extending; free on the last row of an unanchored right end; none on the
// band's first diagonal, whose cell on the left is off. Returns the
// smallest key of the row's cells, or `low` when smaller. One cell at a
// time, every sum trimmed to what a cell keeps: the form for costs that may
// wrap around.
uint32_t fill_c(row_t now, uint8_t *steps, long d0, long d1, const band_t &bd,
                uint32_t open_cost, uint32_t ext_cost, uint32_t low) {
  const long end = bd.at(d1);
  long i = bd.at(d0);
  if (d0 <= bd.lo) {
    now.c[i] = INF_KEY;
    low =
        smaller_key(low, smaller_key(smaller_key(now.a[i], now.b[i]), INF_KEY));
    ++i;
  }
  uint32_t left_a = now.a[i - 1], left_c = now.c[i - 1];
  for (; i <= end; ++i) {
    const uint32_t open = left_a + open_cost, ext = left_c + ext_cost;
    const uint32_t extends = int32_t(ext) <= int32_t(open);
    const uint32_t c = (smaller_key(open, ext) & PEN_BITS) | KEY_BIAS;
    steps[i] = uint8_t(steps[i] | extends * C_EXTENDS);
    now.c[i] = c;
    left_a = now.a[i];
    left_c = c;
    low = smaller_key(low, smaller_key(smaller_key(left_a, now.b[i]), c));
  }
  return low;
}

inline __m128i min_key(__m128i x, __m128i y) {
  return select(_mm_cmpgt_epi32(x, y), y, x);
}

// Row r when no sum can wrap around, all three states four cells at a
// time: A and B as ab_step gives them, and C as the running minimum of
// "open from the A on the left" and "the C on the left plus one
// extension", a prefix minimum over the four lanes (two doubling steps)
// joined to the last cell of the step before. Lanes shifted in from below
// hold 0, above every key. Returns the smallest key of the row's cells, or
// `low` when smaller.
template <typename T>
uint32_t fill_row_fast(row_t now, row_t up, uint8_t *steps, const int8_t *win,
                       T rb, long r, long d0, long d1, const band_t &bd,
                       const costs_t &k, uint32_t x, uint32_t open_cost,
                       uint32_t ext_cost, uint32_t low) {
  const row_consts_t q(k, x, rb, bd);
  const __m128i open = _mm_set1_epi32(int(open_cost));
  const __m128i ext = _mm_set1_epi32(int(ext_cost));
  const __m128i ext2 = _mm_set1_epi32(int(2 * ext_cost));
  const __m128i ext_run = _mm_set_epi32(int(4 * ext_cost), int(3 * ext_cost),
                                        int(2 * ext_cost), int(ext_cost));
  const __m128i c_extends = _mm_set1_epi32(C_EXTENDS);
  const __m128i none = _mm_set1_epi32(INT32_MAX);
  const __m128i last = _mm_set1_epi32(int(d1));
  // On the band's first diagonal the first C is INF_KEY itself.
  const bool edge = d0 <= bd.lo;
  uint32_t left_a = edge ? INF_KEY - open_cost : now.a[bd.at(d0) - 1];
  uint32_t left_c = edge ? 0 : now.c[bd.at(d0) - 1];
  __m128i lane_d = first_lanes(d0);
  __m128i lows = _mm_set1_epi32(int(low));
  for (long d = d0; d <= d1; d += LANES) {
    const long i = bd.at(d);
    const ab_lanes_t ab = ab_step<T>(q, up, win, r, d, i, lane_d);
    const __m128i a_left =
        _mm_or_si128(_mm_slli_si128(ab.a, 4), _mm_cvtsi32_si128(int(left_a)));
    const __m128i from_a = _mm_add_epi32(a_left, open);
    __m128i c = min_key(from_a, _mm_add_epi32(_mm_slli_si128(from_a, 4), ext));
    c = min_key(c, _mm_add_epi32(_mm_slli_si128(c, 8), ext2));
    c = min_key(c, _mm_add_epi32(_mm_set1_epi32(int(left_c)), ext_run));
    const __m128i c_left =
        _mm_or_si128(_mm_slli_si128(c, 4), _mm_cvtsi32_si128(int(left_c)));
    const __m128i opens = _mm_cmplt_epi32(from_a, _mm_add_epi32(c_left, ext));
    store(now.a + i, ab.a);
    store(now.b + i, ab.b);
    store(now.c + i, c);
    store_bytes(steps + i,
                _mm_or_si128(ab.state, _mm_andnot_si128(opens, c_extends)));
    const __m128i cell_low = min_key(min_key(ab.a, ab.b), c);
    lows = min_key(lows, select(_mm_cmpgt_epi32(lane_d, last), none, cell_low));
    left_a = uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(ab.a, 12)));
    left_c = uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(c, 12)));
    lane_d = _mm_add_epi32(lane_d, _mm_set1_epi32(int(LANES)));
  }
  lows = min_key(lows, _mm_srli_si128(lows, 8));
  lows = min_key(lows, _mm_srli_si128(lows, 4));
  return uint32_t(_mm_cvtsi128_si32(lows));
}

// Whether some penalty plus a cost can pass the 30 bits a cell keeps: every
// penalty is an unreachable one or a border one plus at most R + L steps.
bool may_wrap(long R, long L, const costs_t &k) {
  const uint64_t step = uint64_t(k.m) + k.s + k.g + k.e;
  return uint64_t(INF_PEN) + uint64_t(R + L + 2) * step > PEN_BITS;
}

// Fills rows 1..R; false when a row's minimum passes the cut-off.
template <typename T>
bool fill_rows(nw_work_t &w, const T *read, long R, long L, const band_t &bd,
               const costs_t &k) {
  first_row(work_row(w, bd, 0), bd, L, k);
  const bool wraps = may_wrap(R, L, k);
  for (long r = 1; r <= R; ++r) {
    const row_t up = work_row(w, bd, (r - 1) & 1);
    const row_t now = work_row(w, bd, r & 1);
    uint8_t *steps = w.steps.data() + size_t(r - 1) * size_t(bd.stride);
    const bool near_end =
        (r <= k.end_len && !k.left) || (r >= R - k.end_len && !k.right);
    const uint32_t x = near_end ? k.s : k.e;
    const bool free_tail = r == R && !k.right;
    const uint32_t ins = key_of(inserted(r, k));
    if (-r >= bd.lo - 1) {
      const long i = bd.at(-r);
      now.a[i] = INF_KEY;
      now.b[i] = ins;
      now.c[i] = INF_KEY;
    }
    uint32_t low = smaller_key(ins, INF_KEY);
    const long d0 = std::max(bd.lo, 1 - r), d1 = std::min(bd.hi, L - r);
    const uint32_t open = free_tail ? 0 : k.g, ext = free_tail ? 0 : x;
    if (d0 <= d1 && wraps) {
      fill_ab(now, up, steps, w.window.data(), read[r - 1], r, d0, d1, bd, k,
              x);
      low = fill_c(now, steps, d0, d1, bd, open, ext, low);
    } else if (d0 <= d1) {
      low = fill_row_fast(now, up, steps, w.window.data(), read[r - 1], r, d0,
                          d1, bd, k, x, open, ext, low);
    }
    if (pen_of(low) > k.max_diff)
      return false;
  }
  return true;
}

// State of the end cell: A unless B is not worse, C when strictly cheaper.
inline uint32_t end_state(uint32_t a, uint32_t b, uint32_t k) {
  if (a < b)
    return k < a ? 2 : 0;
  return k < b ? 2 : 1;
}

// Walks the predecessor states from the end cell back to (0, 0), one path
// byte per step, so the path consumes exactly R read and L window bases.
template <typename T>
void trace_back(const nw_work_t &w, const band_t &bd, const T *read, long R,
                const T *win, long L, uint32_t state, std::string &out) {
  out.reserve(size_t(R + L + 1));
  long r = R, c = L;
  while (r > 0 || c > 0) {
    if (r == 0) {
      out.push_back(path_op::DELETION);
      --c;
      continue;
    }
    if (c == 0) {
      out.push_back(path_op::INSERTION);
      --r;
      continue;
    }
    // Only wrapped-around costs lead the walk off the band; cells there
    // hold nothing and name A.
    const long d = c - r;
    const uint8_t from =
        d < bd.lo || d > bd.hi
            ? 0
            : w.steps[size_t(r - 1) * size_t(bd.stride) + size_t(bd.at(d))];
    if (state == 1) {
      out.push_back(path_op::INSERTION);
      state = (from & B_EXTENDS) ? 1 : 0;
      --r;
    } else if (state == 2) {
      out.push_back(path_op::DELETION);
      state = (from & C_EXTENDS) ? 2 : 0;
      --c;
    } else {
      bool same = read[r - 1] == win[c - 1];
      out.push_back(same ? path_op::MATCH : path_op::MISMATCH);
      state = from & A_FROM;
      --r;
      --c;
    }
  }
}

// The end cell of an empty read or an empty window is a border cell.
template <typename T>
int align_border(long R, long L, const costs_t &k, const T *read, const T *win,
                 std::string &out) {
  uint32_t a = INF_PEN, b = INF_PEN, c = INF_PEN;
  if (R == 0 && L == 0) {
    a = b = c = 0;
  } else if (R == 0) {
    c = pen_of(k.left ? k.g + uint32_t(L - 1) * k.e : 0);
  } else {
    // Each row holds only its column-0 cell.
    for (long r = 1; r <= R; ++r)
      if (std::min(pen_of(inserted(r, k)), INF_PEN) > k.max_diff)
        return -1;
    b = pen_of(inserted(R, k));
  }
  const uint32_t state = end_state(a, b, c);
  const uint32_t result = state == 0 ? a : state == 1 ? b : c;
  if (result >= INF_PEN)
    return -1;
  nw_work_t none;
  trace_back(none, band_t(R, L, k.band), read, R, win, L, state, out);
  return int(result);
}

template <typename T>
int align_global(nw_work_t &w, const T *read, long R, const T *win, long L,
                 const costs_t &k, std::string &out) {
  out.clear();
  if (k.band < 0 || R - L > k.band)
    return -1; // the end cell lies outside the band
  if (R == 0 || L == 0)
    return align_border(R, L, k, read, win, out);
  const band_t bd(R, L, k.band);
  nw_work_reserve(w, R, L, k.band);
  std::memcpy(w.window.data(), win, size_t(L));
  if (!fill_rows(w, read, R, L, bd, k))
    return -1;
  const row_t last = work_row(w, bd, R & 1);
  const long end = bd.at(L - R);
  const uint32_t a = pen_of(last.a[end]), b = pen_of(last.b[end]),
                 c = pen_of(last.c[end]);
  const uint32_t state = end_state(a, b, c);
  const uint32_t result = state == 0 ? a : state == 1 ? b : c;
  if (result >= INF_PEN)
    return -1; // only blocked or unreachable cells lead to the end
  trace_back(w, bd, read, R, win, L, state, out);
  return int(result);
}

costs_t make_costs(int m, int s, int g, int e, int band, bool left, bool right,
                   uint32_t max_diff, int end_len) {
  return costs_t{uint32_t(m), uint32_t(s), uint32_t(g), uint32_t(e), band,
                 left,        right,       max_diff,    end_len};
}

} // namespace

void nw_work_reserve(nw_work_t &w, long R, long L, long band) {
  // No alignment exists when the end cell lies outside the band.
  if (R < 0 || L < 0 || band < 0 || R - L > band)
    return;
  const band_t bd(R, L, band);
  const size_t rows = size_t(6) * size_t(bd.stride);
  const size_t steps = size_t(R) * size_t(bd.stride);
  const size_t window = size_t(L) + size_t(LANES);
  if (w.rows.size() < rows)
    w.rows.resize(rows);
  if (w.steps.size() < steps)
    w.steps.resize(steps);
  if (w.window.size() < window)
    w.window.resize(window);
}

int sw_nw::nw_path(std::string &output, const bit_DNA_t &ref,
                   uint32_t &start_loc, int which_pair, bool left_anchor,
                   bool right_anchor, uint32_t max_diff, int end_len) {
  if (start_loc == 0) {
    std::cerr << "FATAL ERROR[nw_path]: index 0" << std::endl;
    return nw_const::BAD_START;
  }
  if (which_pair < 0 || which_pair > 1 || !reads[which_pair]) {
    output.clear();
    return -1;
  }
  unpack_window(ref, start_loc, ref_len, window, -1);
  costs_t k = make_costs(nw_m, nw_s, nw_g, nw_e, band, left_anchor,
                         right_anchor, max_diff, end_len);
  return align_global(nw_work, reads[which_pair], read_len, window, ref_len, k,
                      output);
}

int ro_affine(std::string &output, const std::string &ref,
              const std::string &seq, bool left_anchor, bool right_anchor,
              int band, int m, int s, int d, int e, uint32_t max_diff,
              int end_len) {
  long R = long(seq.size()), L = long(ref.size());
  nw_work_t work;
  costs_t k = make_costs(m, s, d, e, band, left_anchor, right_anchor, max_diff,
                         end_len);
  return align_global(work, seq.data(), R, ref.data(), L, k, output);
}

int ro_affine_bit(std::string &output, const bit_DNA_t &ref,
                  const bit_DNA_t &seq, bool left_anchor, bool right_anchor,
                  int band, int m, int s, int d, int e, uint32_t max_diff,
                  int end_len) {
  long R = long(seq.size()), L = long(ref.size());
  std::vector<int8_t> read_codes(size_t(R) + 1), ref_codes(size_t(L) + 1);
  unpack_all(seq, read_codes.data());
  unpack_all(ref, ref_codes.data());
  nw_work_t work;
  costs_t k = make_costs(m, s, d, e, band, left_anchor, right_anchor, max_diff,
                         end_len);
  return align_global(work, read_codes.data(), R, ref_codes.data(), L, k,
                      output);
}
