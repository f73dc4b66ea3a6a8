// The vectorised global aligner against a plain cell-by-cell model of the
// same recurrence: the matrix of three states per cell, each stored as
// (penalty << 2) | predecessor state, unreachable states as the raw value
// 999999999. Penalty, path and cut-off must agree exactly, tie choices and
// 32-bit wrap-around of absurd costs included.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "kernel_test_util.h"
#include "kernels/path.h"
#include "kernels/sw_nw.h"

using ktest::pack;
using ktest::random_dna;

namespace {

const uint32_t INF = nw_const::INF_RAW;

uint32_t pen(uint32_t v) { return v >> 2; }
uint32_t cell(uint32_t p, uint32_t s) { return (p << 2) | s; }

struct model_in_t {
  std::vector<int> read, win; // window codes below 0 are blocked
  uint32_t m, s, g, e;
  long band;
  bool left, right;
  uint32_t max_diff;
  long end_len;
};

int model_align(const model_in_t &in, std::string &out) {
  out.clear();
  const long R = long(in.read.size()), L = long(in.win.size());
  if (in.band < 0 || R - L > in.band)
    return -1;
  const long W = L + 1;
  std::vector<uint32_t> M(size_t((R + 1) * W * 3), INF);
  auto at = [&](long r, long c, int st) -> uint32_t & {
    return M[size_t((r * W + c) * 3 + st)];
  };
  at(0, 0, 0) = at(0, 0, 1) = at(0, 0, 2) = 0;
  for (long r = 1; r <= R; ++r)
    at(r, 0, 1) = cell(in.m + in.g + (in.m + in.e) * uint32_t(r - 1), 0);
  for (long c = 1; c <= L; ++c)
    at(0, c, 2) = in.left ? cell(in.g + uint32_t(c - 1) * in.e, 0) : 0;
  const long lower = R - L - in.band;
  for (long r = 1; r <= R; ++r) {
    bool near =
        (r <= in.end_len && !in.left) || (r >= R - in.end_len && !in.right);
    uint32_t x = near ? in.s : in.e;
    bool free_tail = r == R && !in.right;
    uint32_t low = UINT32_MAX;
    for (long c = std::max(1L, r - in.band); c <= std::min(L, r - lower); ++c) {
      bool off = in.win[size_t(c - 1)] < 0;
      uint32_t d =
          in.read[size_t(r - 1)] == in.win[size_t(c - 1)] ? 0 : in.s + in.m;
      if (off) {
        at(r, c, 0) = INF;
      } else {
        uint32_t a = pen(at(r - 1, c - 1, 0)) + d;
        uint32_t b = pen(at(r - 1, c - 1, 1)) + d;
        uint32_t k = pen(at(r - 1, c - 1, 2)) + d;
        if (a < b)
          at(r, c, 0) = k < a ? cell(k, 2) : cell(a, 0);
        else
          at(r, c, 0) = k < b ? cell(k, 2) : cell(b, 1);
      }
      if (off || c > r - 1 - lower) {
        at(r, c, 1) = INF;
      } else {
        uint32_t open = pen(at(r - 1, c, 0)) + in.g + in.m;
        uint32_t ext = pen(at(r - 1, c, 1)) + in.m + x;
        at(r, c, 1) = open < ext ? cell(open, 0) : cell(ext, 1);
      }
      if (r - c + 1 > in.band) {
        at(r, c, 2) = INF;
      } else {
        uint32_t open = pen(at(r, c - 1, 0));
        uint32_t ext = pen(at(r, c - 1, 2));
        if (!free_tail) {
          open += in.g;
          ext += x;
        }
        at(r, c, 2) = ext <= open ? cell(ext, 2) : cell(open, 0);
      }
      for (int st = 0; st < 3; ++st)
        low = std::min(low, at(r, c, st));
    }
    for (int st = 0; st < 3; ++st)
      low = std::min(low, at(r, 0, st));
    if (pen(low) > in.max_diff)
      return -1;
  }
  uint32_t a = pen(at(R, L, 0)), b = pen(at(R, L, 1)), k = pen(at(R, L, 2));
  uint32_t state = a < b ? (k < a ? 2 : 0) : (k < b ? 2 : 1);
  uint32_t result = pen(at(R, L, int(state)));
  if (result >= INF >> 2)
    return -1;
  long r = R, c = L;
  while (r > 0 || c > 0) {
    if (r == 0) {
      out.push_back(path_op::DELETION);
      --c;
    } else if (c == 0) {
      out.push_back(path_op::INSERTION);
      --r;
    } else if (state == 1) {
      out.push_back(path_op::INSERTION);
      state = at(r, c, 1) & 3;
      --r;
    } else if (state == 2) {
      out.push_back(path_op::DELETION);
      state = at(r, c, 2) & 3;
      --c;
    } else {
      bool same = in.read[size_t(r - 1)] == in.win[size_t(c - 1)];
      out.push_back(same ? path_op::MATCH : path_op::MISMATCH);
      state = at(r, c, 0) & 3;
      --r;
      --c;
    }
  }
  return int(result);
}

std::vector<int> codes(const std::string &s) {
  std::vector<int> v;
  for (char ch : s)
    v.push_back(get_base_val(ch));
  return v;
}

// A read with a few edits of a piece of the window.
std::string edited_piece(std::mt19937 &rng, const std::string &win,
                         size_t len) {
  std::string read = win.substr(rng() % (win.size() - len + 1), len);
  ktest::edit_randomly(rng, read, 5, 4);
  return read;
}

uint32_t small_cost(std::mt19937 &rng) { return uint32_t(rng() % 12); }

// Costs whose sums wrap past 32 bits or lose bits in a stored cell.
uint32_t wild_cost(std::mt19937 &rng) {
  static const uint32_t pick[] = {0,        1,           7,
                                  1u << 29, 1u << 30,    (1u << 31) - 1,
                                  1u << 31, 0xFFFFFFFFu, 123456789u};
  return pick[rng() % (sizeof pick / sizeof pick[0])];
}

void expect_same(const model_in_t &in, const std::string &label) {
  std::string want;
  int expected = model_align(in, want);
  std::string read_text, win_text;
  for (int v : in.read)
    read_text.push_back("ACGT"[v & 3]);
  bool blocked = false;
  for (int v : in.win) {
    blocked = blocked || v < 0;
    win_text.push_back("ACGT"[v & 3]);
  }
  SCOPED_TRACE(label + " read " + read_text + " window " + win_text + " band " +
               std::to_string(in.band) + " costs " + std::to_string(in.m) +
               " " + std::to_string(in.s) + " " + std::to_string(in.g) + " " +
               std::to_string(in.e) + " ends " + std::to_string(in.left) +
               std::to_string(in.right) + " " + std::to_string(in.end_len) +
               " cut " + std::to_string(in.max_diff));
  if (!blocked) {
    std::string got;
    EXPECT_EQ(ro_affine(got, win_text, read_text, in.left, in.right,
                        int(in.band), int(in.m), int(in.s), int(in.g),
                        int(in.e), in.max_diff, int(in.end_len)),
              expected);
    EXPECT_EQ(got, want);
  }
  // The per-read object, with the window's blocked tail past the genome
  // end.
  long genome_len = long(in.win.size());
  while (genome_len > 0 && in.win[size_t(genome_len - 1)] < 0)
    --genome_len;
  if (genome_len == 0 || in.read.empty())
    return;
  bit_DNA_t genome = pack(win_text.substr(0, size_t(genome_len)));
  bit_DNA_t read = pack(read_text);
  sw_nw nw;
  nw.setup_penalties(int(in.m), int(in.s), int(in.g), int(in.e), 5, 15, 40, 2);
  ASSERT_TRUE(
      nw.setup_read_reference(read, read, int(in.win.size()), int(in.band)));
  std::string got;
  uint32_t start = 1;
  EXPECT_EQ(nw.nw_path(got, genome, start, 0, in.left, in.right, in.max_diff,
                       int(in.end_len)),
            expected);
  EXPECT_EQ(got, want);
}

model_in_t random_case(std::mt19937 &rng, bool wild) {
  model_in_t in;
  std::string win = random_dna(rng, 1 + rng() % 90);
  std::string read = edited_piece(rng, win, rng() % (win.size() + 1));
  in.read = codes(read);
  in.win = codes(win);
  if (rng() % 4 == 0) { // a window hanging past the genome end
    size_t tail = rng() % (in.win.size() + 1);
    for (size_t i = in.win.size() - tail; i < in.win.size(); ++i)
      in.win[i] = -1;
  }
  auto cost = [&]() { return wild ? wild_cost(rng) : small_cost(rng); };
  in.m = cost();
  in.s = cost();
  in.g = cost();
  in.e = cost();
  long lower = long(in.read.size()) - long(in.win.size());
  switch (rng() % 4) {
  case 0:
    in.band = std::max(0L, lower);
    break;
  case 1:
    in.band = std::max(0L, lower) + long(rng() % 6);
    break;
  case 2:
    in.band = long(in.win.size()) + 3;
    break;
  default:
    in.band = rng() % 2 ? INT_MAX : long(rng() % 8) - 2;
  }
  in.left = rng() & 1;
  in.right = rng() & 1;
  in.end_len = long(rng() % 6);
  in.max_diff = rng() % 3 == 0 ? uint32_t(rng() % 60) : (1u << 30);
  if (wild && rng() % 2)
    in.max_diff = uint32_t(rng());
  return in;
}

} // namespace

TEST(AffineGlobalModel, RandomCasesAgreeExactly) {
  std::mt19937 rng(20);
  for (int iter = 0; iter < 3000; ++iter)
    expect_same(random_case(rng, false), "case " + std::to_string(iter));
}

TEST(AffineGlobalModel, WrappingCostsAgreeExactly) {
  std::mt19937 rng(21);
  for (int iter = 0; iter < 1500; ++iter)
    expect_same(random_case(rng, true), "case " + std::to_string(iter));
}

// The aligner's own shape: a read of 100 bases in a window 120 bases
// wider, band 0, both window ends free, cut off at a bound.
TEST(AffineGlobalModel, ReadInWideWindowAgreesExactly) {
  std::mt19937 rng(22);
  for (int iter = 0; iter < 200; ++iter) {
    model_in_t in;
    std::string win = random_dna(rng, 220);
    std::string read = edited_piece(rng, win, 100);
    if (read.size() > win.size())
      read.resize(win.size());
    in.read = codes(read);
    in.win = codes(win);
    in.m = 0;
    in.s = 15;
    in.g = 42;
    in.e = 2;
    in.band = 0;
    in.left = in.right = false;
    in.end_len = 5;
    in.max_diff = uint32_t(rng() % 200);
    expect_same(in, "case " + std::to_string(iter));
  }
}

TEST(AffineGlobalModel, EmptyReadOrWindow) {
  for (int left = 0; left < 2; ++left) {
    model_in_t in{{}, codes("ACGTA"), 1,     3,        4, 1,
                  9,  bool(left),     false, 1u << 30, 0};
    expect_same(in, "empty read");
    in.read = codes("ACG");
    in.win.clear();
    expect_same(in, "empty window");
    in.max_diff = 6; // the second row's insertions pass it
    expect_same(in, "empty window cut off");
    in.read.clear();
    expect_same(in, "both empty");
  }
}
