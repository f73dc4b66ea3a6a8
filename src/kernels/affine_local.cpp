// Banded affine local alignment with traceback: the best-scoring part of a
// read against a window, the rest of the read left unaligned.
#include <algorithm>
#include <vector>

#include "kernels/path.h"
#include "kernels/sw_nw.h"
#include "kernels/window_codes.h"

namespace {

using nw_const::SW_MINUS_INF;

// 64-bit, so that no setting given on a command line can overflow.
struct local_costs_t {
  long m, s, g, e;
  long band;
};

// Genome codes compare exactly (a code off the genome matches nothing);
// text letters compare without regard to case.
inline bool same_base(int8_t a, int8_t b) { return a == b; }
inline bool same_base(char a, char b) { return ((a ^ b) & ~32) == 0; }

inline int16_t to16(long v) { return int16_t(std::clamp(v, -32768L, 32767L)); }

struct local_best_t {
  int score = 0;
  long r = 0, c = 0;
};

// Rows in order; among equal maxima the first in row order wins. The text
// form lets the diagonal win a tie with the window-base gap.
template <typename T, bool DiagWinsTie>
local_best_t fill_local(ABC_sw_t *M, char *P, const T *read, long R,
                        const T *win, long L, const local_costs_t &k) {
  const long W = L + 1;
  const long len_lower = R - L - k.band;
  for (long c = 0; c <= L; ++c)
    M[c] = ABC_sw_t{{0, 0, 0}};
  for (long r = 1; r <= R; ++r)
    M[r * W] = ABC_sw_t{{0, 0, 0}};
  local_best_t best;
  for (long r = 1; r <= R; ++r) {
    const T rb = read[r - 1];
    ABC_sw_t *row = M + r * W;
    const ABC_sw_t *up = row - W;
    char *steps = P + (r - 1) * L;
    long c_lo = std::max(1L, r - k.band);
    long c_hi = std::min(L, r - len_lower);
    for (long c = c_lo; c <= c_hi; ++c) {
      long v1 = SW_MINUS_INF, v2 = SW_MINUS_INF;
      if (r - 1 - c >= len_lower)
        v1 = std::max(up[c].val[0] - k.g, up[c].val[1] - k.e);
      if (r - c + 1 <= k.band)
        v2 = std::max(row[c - 1].val[0] - k.g, row[c - 1].val[2] - k.e);
      bool eq = same_base(rb, win[c - 1]);
      long d = up[c - 1].val[0] + (eq ? k.m : -k.s);
      long h;
      char step;
      char diag_step = eq ? path_op::MATCH : path_op::MISMATCH;
      if (d <= 0 && v1 <= 0 && v2 <= 0) {
        h = 0;
        step = diag_step;
      } else if (d > v1 && (d > v2 || (DiagWinsTie && d == v2))) {
        h = d;
        step = diag_step;
      } else if (d > v1) {
        h = v2;
        step = path_op::DELETION;
      } else if (v1 < v2) {
        h = v2;
        step = path_op::DELETION;
      } else {
        h = v1;
        step = path_op::INSERTION;
      }
      row[c] = ABC_sw_t{{to16(h), to16(v1), to16(v2)}};
      steps[c - 1] = step;
      if (row[c].val[0] > best.score)
        best = local_best_t{row[c].val[0], r, c};
    }
  }
  return best;
}

// From the best cell back while the score stays above 0.
void trace_local(const ABC_sw_t *M, const char *P, long L, long &r, long &c,
                 std::string &out) {
  const long W = L + 1;
  while (r > 0 && c > 0 && M[r * W + c].val[0] > 0) {
    char step = P[(r - 1) * L + (c - 1)];
    out.push_back(step);
    if (step == path_op::INSERTION) {
      --r;
    } else if (step == path_op::DELETION) {
      --c;
    } else {
      --r;
      --c;
    }
  }
}

} // namespace

int sw_nw::sw_path(std::string &output, uint32_t &ref_start,
                   uint32_t &seq_start, uint32_t &seq_end, int which_pair,
                   const bit_DNA_t &ref) {
  output.clear();
  if (which_pair < 0 || which_pair > 1 || !reads[which_pair] || !ABC_sw) {
    seq_start = seq_end = 0;
    return 0;
  }
  output.reserve(size_t(read_len) + size_t(ref_len) + 1);
  unpack_window(ref, ref_start, ref_len, window, -1);
  local_costs_t k{sw_m, sw_s, sw_g, sw_e, band};
  local_best_t best = fill_local<int8_t, false>(ABC_sw, P_sw, reads[which_pair],
                                                read_len, window, ref_len, k);
  long r = best.r, c = best.c;
  trace_local(ABC_sw, P_sw, ref_len, r, c, output);
  seq_start = uint32_t(r);
  seq_end = uint32_t(best.r);
  ref_start += uint32_t(c);
  return best.score;
}

int ro_affine_sw(std::string &output, uint32_t &ref_start, uint32_t &seq_start,
                 const std::string &ref, const std::string &seq, int band,
                 int m, int s, int d, int e) {
  output.clear();
  long R = long(seq.size()), L = long(ref.size());
  std::vector<ABC_sw_t> M(size_t(R + 1) * size_t(L + 1));
  std::vector<char> P(size_t(R) * size_t(L) + 1);
  local_costs_t k{m, s, d, e, band};
  local_best_t best = fill_local<char, true>(M.data(), P.data(), seq.data(), R,
                                             ref.data(), L, k);
  long r = best.r, c = best.c;
  trace_local(M.data(), P.data(), L, r, c, output);
  ref_start = uint32_t(c);
  seq_start = uint32_t(r);
  return best.score;
}
