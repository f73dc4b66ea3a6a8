// Banded three-state affine alignment of a whole read against a window,
// free at the window ends that are not anchored, with traceback.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <iostream>
#include <vector>

#include "kernels/path.h"
#include "kernels/sw_nw.h"
#include "kernels/window_codes.h"

namespace {

using nw_const::INF_RAW;

const uint32_t INF_PEN = INF_RAW >> 2;

inline uint32_t pen(uint32_t v) { return v >> 2; }
inline uint32_t from(uint32_t v) { return v & 3; }
inline uint32_t cell(uint32_t p, uint32_t state) { return (p << 2) | state; }

// Negative window codes mark bases off the genome; text bytes are never
// blocked.
inline bool blocked(int8_t c) { return c < 0; }
inline bool blocked(char) { return false; }

struct costs_t {
  uint32_t m, s, g, e;
  long band;
  bool left, right;
  uint32_t max_diff;
  long end_len;
};

void init_borders(ABC_t *M, long R, long L, const costs_t &k) {
  M[0] = ABC_t{{0, 0, 0}};
  for (long r = 1; r <= R; ++r) {
    uint32_t ins = k.m + k.g + (k.m + k.e) * uint32_t(r - 1);
    M[r * (L + 1)] = ABC_t{{INF_RAW, cell(ins, 0), INF_RAW}};
  }
  for (long c = 1; c <= L; ++c) {
    uint32_t del = k.left ? cell(k.g + uint32_t(c - 1) * k.e, 0) : 0;
    M[c] = ABC_t{{INF_RAW, INF_RAW, del}};
  }
}

// A: the cheapest of the three states of the diagonal predecessor; equal
// candidates prefer B, then A, then C.
inline uint32_t pick_diag(const ABC_t &p, uint32_t d) {
  uint32_t a = pen(p.val[0]) + d, b = pen(p.val[1]) + d, k = pen(p.val[2]) + d;
  if (a < b)
    return k < a ? cell(k, 2) : cell(a, 0);
  return k < b ? cell(k, 2) : cell(b, 1);
}

// Fills rows 1..R; false when a row's minimum passes the cut-off.
template <typename T>
bool fill_rows(ABC_t *M, const T *read, long R, const T *win, long L,
               const costs_t &k) {
  const long W = L + 1;
  const long len_lower = R - L - k.band;
  const uint32_t mis = k.s + k.m;
  for (long r = 1; r <= R; ++r) {
    bool near_end =
        (r <= k.end_len && !k.left) || (r >= R - k.end_len && !k.right);
    uint32_t x = near_end ? k.s : k.e;
    bool free_tail = r == R && !k.right;
    const T rb = read[r - 1];
    ABC_t *row = M + r * W;
    const ABC_t *up = row - W;
    long c_lo = std::max(1L, r - k.band);
    long c_hi = std::min(L, r - len_lower);
    uint32_t low = UINT32_MAX; // smallest stored value of the row
    for (long c = c_lo; c <= c_hi; ++c) {
      const T wb = win[c - 1];
      ABC_t &now = row[c];
      bool off = blocked(wb);
      now.val[0] = off ? INF_RAW : pick_diag(up[c - 1], rb == wb ? 0 : mis);
      if (off || c > r - 1 - len_lower) {
        now.val[1] = INF_RAW;
      } else {
        uint32_t open = pen(up[c].val[0]) + k.g + k.m;
        uint32_t ext = pen(up[c].val[1]) + k.m + x;
        now.val[1] = open < ext ? cell(open, 0) : cell(ext, 1);
      }
      if (r - c + 1 > k.band) {
        now.val[2] = INF_RAW;
      } else {
        uint32_t open = pen(row[c - 1].val[0]);
        uint32_t ext = pen(row[c - 1].val[2]);
        if (!free_tail) {
          open += k.g;
          ext += x;
        }
        now.val[2] = ext <= open ? cell(ext, 2) : cell(open, 0);
      }
      low = std::min(low, std::min({now.val[0], now.val[1], now.val[2]}));
    }
    const ABC_t &edge = row[0];
    low = std::min(low, std::min({edge.val[0], edge.val[1], edge.val[2]}));
    if (pen(low) > k.max_diff)
      return false;
  }
  return true;
}

// State of the end cell: A unless B is not worse, C when strictly cheaper.
inline uint32_t end_state(const ABC_t &end) {
  uint32_t a = pen(end.val[0]), b = pen(end.val[1]), k = pen(end.val[2]);
  if (a < b)
    return k < a ? 2 : 0;
  return k < b ? 2 : 1;
}

// Walks the predecessor bits from the end cell back to (0, 0), one path
// byte per step, so the path consumes exactly R read and L window bases.
template <typename T>
void trace_back(const ABC_t *M, const T *read, long R, const T *win, long L,
                uint32_t state, std::string &out) {
  const long W = L + 1;
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
    const ABC_t &now = M[r * W + c];
    if (state == 1) {
      out.push_back(path_op::INSERTION);
      state = from(now.val[1]);
      --r;
    } else if (state == 2) {
      out.push_back(path_op::DELETION);
      state = from(now.val[2]);
      --c;
    } else {
      bool same = read[r - 1] == win[c - 1];
      out.push_back(same ? path_op::MATCH : path_op::MISMATCH);
      state = from(now.val[0]);
      --r;
      --c;
    }
  }
}

template <typename T>
int align_global(ABC_t *M, const T *read, long R, const T *win, long L,
                 const costs_t &k, std::string &out) {
  out.clear();
  if (k.band < 0 || R - L > k.band)
    return -1; // the end cell lies outside the band
  init_borders(M, R, L, k);
  if (!fill_rows(M, read, R, win, L, k))
    return -1;
  const ABC_t &end = M[R * (L + 1) + L];
  uint32_t state = end_state(end);
  uint32_t result = pen(end.val[state]);
  if (result >= INF_PEN)
    return -1; // only blocked or unreachable cells lead to the end
  trace_back(M, read, R, win, L, state, out);
  return int(result);
}

costs_t make_costs(int m, int s, int g, int e, int band, bool left, bool right,
                   uint32_t max_diff, int end_len) {
  return costs_t{uint32_t(m), uint32_t(s), uint32_t(g), uint32_t(e), band,
                 left,        right,       max_diff,    end_len};
}

} // namespace

int sw_nw::nw_path(std::string &output, const bit_DNA_t &ref,
                   uint32_t &start_loc, int which_pair, bool left_anchor,
                   bool right_anchor, uint32_t max_diff, int end_len) {
  if (start_loc == 0) {
    std::cerr << "FATAL ERROR[nw_path]: index 0" << std::endl;
    return nw_const::BAD_START;
  }
  if (which_pair < 0 || which_pair > 1 || !reads[which_pair] || !ABC_nw) {
    output.clear();
    return -1;
  }
  unpack_window(ref, start_loc, ref_len, window, -1);
  costs_t k = make_costs(nw_m, nw_s, nw_g, nw_e, band, left_anchor,
                         right_anchor, max_diff, end_len);
  return align_global(ABC_nw, reads[which_pair], read_len, window, ref_len, k,
                      output);
}

int ro_affine(std::string &output, const std::string &ref,
              const std::string &seq, bool left_anchor, bool right_anchor,
              int band, int m, int s, int d, int e, uint32_t max_diff,
              int end_len) {
  long R = long(seq.size()), L = long(ref.size());
  std::vector<ABC_t> M(size_t(R + 1) * size_t(L + 1));
  costs_t k = make_costs(m, s, d, e, band, left_anchor, right_anchor, max_diff,
                         end_len);
  return align_global(M.data(), seq.data(), R, ref.data(), L, k, output);
}

int ro_affine_bit(std::string &output, const bit_DNA_t &ref,
                  const bit_DNA_t &seq, bool left_anchor, bool right_anchor,
                  int band, int m, int s, int d, int e, uint32_t max_diff,
                  int end_len) {
  long R = long(seq.size()), L = long(ref.size());
  std::vector<int8_t> read_codes(size_t(R) + 1), ref_codes(size_t(L) + 1);
  unpack_all(seq, read_codes.data());
  unpack_all(ref, ref_codes.data());
  std::vector<ABC_t> M(size_t(R + 1) * size_t(L + 1));
  costs_t k = make_costs(m, s, d, e, band, left_anchor, right_anchor, max_diff,
                         end_len);
  return align_global(M.data(), read_codes.data(), R, ref_codes.data(), L, k,
                      output);
}
