#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "common/fatal.h"
#include "kernel_test_util.h"
#include "kernels/sw_nw.h"
#include "kernels/vector_sw.h"

using ktest::pack;
using ktest::random_dna;

namespace {

const int BLOCKED = -2;

struct gaps_t {
  int open, ext, match, mis; // mis: positive penalty
};

std::vector<int> codes(const std::string &s) {
  std::vector<int> v;
  for (char c : s)
    v.push_back(get_base_val(c));
  return v;
}

// Best local score, a gap of L bases costing open + L ext.
int ref_local(const std::vector<int> &win, const std::vector<int> &read,
              const gaps_t &p) {
  const int NEG = -1000000;
  size_t I = read.size(), J = win.size();
  std::vector<int> H(J + 1, 0), F(J + 1, NEG);
  int best = 0;
  for (size_t i = 1; i <= I; ++i) {
    int diag = 0, left = 0, E = NEG;
    for (size_t j = 1; j <= J; ++j) {
      E = std::max(E - p.ext, left - p.open - p.ext);
      F[j] = std::max(F[j] - p.ext, H[j] - p.open - p.ext);
      int h = diag + (read[i - 1] == win[j - 1] ? p.match : -p.mis);
      h = std::max({0, h, E, F[j]});
      diag = H[j];
      H[j] = left = h;
      best = std::max(best, h);
    }
  }
  return best;
}

// Smallest penalty of the whole read against any stretch of the window:
// free window ends, read bases never free, inserted read bases at the
// window start only; blocked window positions unusable. -1 above min_diff.
int ref_global(const std::vector<int> &win, const std::vector<int> &read,
               const gaps_t &p, int min_diff) {
  const long INF = 1L << 40;
  long I = long(read.size()), J = long(win.size());
  if (I == 0 || J == 0)
    return -1;
  auto ins = [&](long n) {
    return n == 0 ? 0 : p.open + p.ext + p.match + (n - 1) * (p.match + p.ext);
  };
  std::vector<long> Hup(J, 0), Fup(J, INF), Hrow(J), Frow(J);
  for (long i = 0; i < I; ++i) {
    long E = INF, left = INF;
    for (long j = 0; j < J; ++j) {
      if (win[j] == BLOCKED) {
        Hrow[j] = Frow[j] = E = left = INF;
        continue;
      }
      long diag = i == 0 ? 0 : (j == 0 ? ins(i) : Hup[j - 1]);
      long hf = i == 0 ? INF : Hup[j];
      E = std::min(E + p.ext, left + p.open + p.ext);
      Frow[j] =
          std::min(Fup[j] + p.ext + p.match, hf + p.open + p.ext + p.match);
      long d = read[i] == win[j] ? 0 : p.mis + p.match;
      Hrow[j] = std::min({diag + d, E, Frow[j]});
      left = Hrow[j];
    }
    std::swap(Hup, Hrow);
    std::swap(Fup, Frow);
  }
  long best = *std::min_element(Hup.begin(), Hup.end());
  return best >= 31000 || best > min_diff ? -1 : int(best);
}

// Padded buffers the way the kernels expect them.
std::vector<int8_t> window_buffer(const std::vector<int> &win, int8_t pad) {
  std::vector<int8_t> b(win.size() + 14, pad);
  for (size_t j = 0; j < win.size(); ++j)
    b[j + 7] = int8_t(win[j]);
  return b;
}
std::vector<int8_t> read_buffer(const std::vector<int> &read) {
  std::vector<int8_t> b(read.size() + 14, -2);
  for (size_t i = 0; i < read.size(); ++i)
    b[i + 7] = int8_t(read[i]);
  return b;
}

int run_local(vector_sw &v, const std::vector<int> &win,
              const std::vector<int> &read) {
  auto db = window_buffer(win, -1);
  auto q = read_buffer(read);
  return v.vect_sw_diff_gap(db.data(), int(win.size()), q.data() + 7,
                            int(read.size()));
}

int run_global(vector_sw &v, const std::vector<int> &win,
               const std::vector<int> &read, int min_diff) {
  auto db = window_buffer(win, BLOCKED);
  auto q = read_buffer(read);
  return v.vect_nw_diff_gap(db.data(), int(win.size()), q.data() + 7,
                            int(read.size()), min_diff);
}

void set_gaps(vector_sw &v, const gaps_t &p) {
  v.setup_penalty(p.open, p.ext, p.open, p.ext, p.match, p.mis);
}

// A read taken from the window with a few substitutions and indels.
std::string noisy_copy(std::mt19937 &rng, const std::string &win, size_t len) {
  size_t from = rng() % (win.size() - std::min(win.size(), len) + 1);
  std::string read = win.substr(from, len);
  ktest::edit_randomly(rng, read, 5, 4);
  return read.empty() ? std::string("A") : read;
}

} // namespace

TEST(VectorSw, ReadEqualToStretch) {
  std::string win = "TTGACCATGCAGTACGGATCAATGCCTTAGAC";
  std::string read = win.substr(6, 19);
  gaps_t p{11, 4, 2, 6};
  vector_sw v;
  set_gaps(v, p);
  EXPECT_EQ(run_local(v, codes(win), codes(read)), 2 * 19);
  EXPECT_EQ(run_global(v, codes(win), codes(read), 1000), 0);
}

TEST(VectorSw, EmptyReadOrWindow) {
  vector_sw v;
  set_gaps(v, {11, 4, 2, 6});
  EXPECT_EQ(run_local(v, codes("ACGTACGT"), {}), 0);
  EXPECT_EQ(run_global(v, codes("ACGTACGT"), {}, 1000), -1);
  EXPECT_EQ(run_local(v, {}, codes("ACGT")), 0);
  EXPECT_EQ(run_global(v, {}, codes("ACGT"), 1000), -1);
}

TEST(VectorSw, PadLanesNeverHelp) {
  // 50 bases: the last strip has six pad lanes.
  std::mt19937 rng(5);
  gaps_t p{5, 2, 1, 3};
  vector_sw v;
  set_gaps(v, p);
  for (int iter = 0; iter < 50; ++iter) {
    std::string win = random_dna(rng, 80);
    std::string read = noisy_copy(rng, win, 50);
    read.resize(50, 'A');
    EXPECT_EQ(run_local(v, codes(win), codes(read)),
              ref_local(codes(win), codes(read), p));
    EXPECT_EQ(run_global(v, codes(win), codes(read), 30000),
              ref_global(codes(win), codes(read), p, 30000));
  }
}

TEST(VectorSw, EarlyStopAfterFirstStrip) {
  // Every read base mismatches, so read position 8 already costs more than
  // the bound: only the first strip is computed.
  gaps_t p{11, 4, 0, 6};
  vector_sw v;
  set_gaps(v, p);
  std::vector<int> win = codes(std::string(64, 'A'));
  std::vector<int> read = codes(std::string(40, 'C'));
  EXPECT_EQ(run_global(v, win, read, 20), -1);
  EXPECT_EQ(v.strips_done, 1);
  // The cheapest alignment: one mismatch and 39 inserted bases.
  int exact = ref_global(win, read, p, 30000);
  EXPECT_EQ(exact, 6 + (11 + 4) + 38 * 4);
  EXPECT_EQ(run_global(v, win, read, exact), exact);
  EXPECT_EQ(v.strips_done, 5);
  EXPECT_EQ(run_global(v, win, read, exact - 1), -1);
}

TEST(VectorSw, BlockedPositionsAreUnusable) {
  gaps_t p{11, 4, 0, 6};
  vector_sw v;
  set_gaps(v, p);
  std::string text = "GGGGGGACGTACGTTGCAGGGGGG";
  std::vector<int> win = codes(text);
  std::vector<int> read = codes("ACGTACGTTGCA");
  EXPECT_EQ(run_global(v, win, read, 1000), 0);
  // Blocking one base of the only exact copy forces a worse alignment.
  win[10] = BLOCKED;
  int blocked = run_global(v, win, read, 1000);
  EXPECT_GT(blocked, 0);
  EXPECT_EQ(blocked, ref_global(win, read, p, 1000));
  // Blocking everything leaves no alignment.
  std::fill(win.begin(), win.end(), BLOCKED);
  EXPECT_EQ(run_global(v, win, read, 30000), -1);
}

TEST(VectorSw, MatchScalarRecurrences) {
  std::mt19937 rng(1);
  for (int iter = 0; iter < 2000; ++iter) {
    gaps_t p{int(rng() % 12), int(rng() % 5), int(rng() % 4), int(rng() % 8)};
    if (p.match + p.mis == 0)
      p.mis = 1;
    std::string win_text = random_dna(rng, 1 + rng() % 70);
    std::string read_text = rng() % 4 == 0
                                ? random_dna(rng, 1 + rng() % 40)
                                : noisy_copy(rng, win_text, 1 + rng() % 40);
    std::vector<int> win = codes(win_text), read = codes(read_text);
    if (rng() % 4 == 0)
      for (int k = int(rng() % 4); k > 0; --k)
        win[rng() % win.size()] = BLOCKED;
    vector_sw v;
    set_gaps(v, p);
    SCOPED_TRACE(win_text + " " + read_text);
    gaps_t local{p.open, p.ext, 1 + p.match, p.mis};
    vector_sw vl;
    set_gaps(vl, local);
    EXPECT_EQ(run_local(vl, codes(win_text), read),
              ref_local(codes(win_text), read, local));
    int exact = ref_global(win, read, p, 30999);
    EXPECT_EQ(run_global(v, win, read, 30999), exact);
    // The bound: at the penalty itself it is kept, just below it is cut.
    if (exact >= 0) {
      EXPECT_EQ(run_global(v, win, read, exact), exact);
      EXPECT_EQ(run_global(v, win, read, exact - 1), -1);
    }
    int bound = int(rng() % 60);
    EXPECT_EQ(run_global(v, win, read, bound), ref_global(win, read, p, bound));
  }
}

TEST(VectorSw, WrappersReadTheGenomeSafely) {
  std::string genome = "TTGACCATGCAGTACGGATCAATGCCTTAGACGGA";
  std::string read = genome.substr(20);
  bit_DNA_t g = pack(genome);
  vector_sw v;
  EXPECT_EQ(v.get_sw_score(g, 1, false), -1); // not set up
  EXPECT_EQ(v.get_nw_score(g, 1, false, 100), -1);
  v.setup_penalty(11, 4, 11, 4, 2, 6);
  ASSERT_TRUE(v.sw_vector_setup(40, pack(read), pack(compleseq(read))));
  // The window runs 24 bases past the end of the genome.
  EXPECT_EQ(v.get_sw_score(g, 20, false), 2 * int(read.size()));
  EXPECT_EQ(v.get_nw_score(g, 20, false, 100), 0);
  // The reverse orientation is not in the genome.
  EXPECT_LT(v.get_sw_score(g, 20, true), 2 * int(read.size()));
  // Off the end and at position 0.
  EXPECT_EQ(v.get_sw_score(g, 1000, false), 0);
  EXPECT_EQ(v.get_nw_score(g, 1000, false, 30000), -1);
  EXPECT_GE(v.get_sw_score(g, 0, false), 0);
  // The same window by hand agrees.
  std::vector<int> win;
  for (int pos = 5; pos < 45; ++pos)
    win.push_back(pos <= int(genome.size()) ? get_base_val(genome[pos - 1])
                                            : BLOCKED);
  EXPECT_EQ(v.get_nw_score(g, 5, false, 500),
            ref_global(win, codes(read), {11, 4, 2, 6}, 500));
  // Unequal orientations: not set up.
  EXPECT_FALSE(v.sw_vector_setup(40, pack(read), pack("ACGT")));
  EXPECT_EQ(v.get_sw_score(g, 20, false), -1);
  v.clear();
  EXPECT_EQ(v.get_nw_score(g, 20, false, 100), -1);
}

TEST(VectorSw, GlobalNeverAboveExactAligner) {
  // The screen allows a little more than the exact aligner (an insertion
  // may end the read anywhere), so it never reports more.
  std::mt19937 rng(9);
  const int m = 2, mm = 6, open = 11, ext = 4;
  for (int iter = 0; iter < 200; ++iter) {
    std::string win = random_dna(rng, 60 + rng() % 40);
    std::string read = noisy_copy(rng, win, 30 + rng() % 20);
    vector_sw v;
    v.setup_penalty(open, ext, open, ext, m, mm);
    ASSERT_TRUE(v.sw_vector_setup(int(win.size()), pack(read), pack(read)));
    int screen = v.get_nw_score(pack(win), 1, false, 30000);
    sw_nw nw;
    nw.setup_penalties(m, mm, open + ext, ext, 5, 15, 40, 2);
    ASSERT_TRUE(nw.setup_read_reference(pack(read), pack(read), int(win.size()),
                                        int(win.size())));
    std::string path;
    uint32_t start = 1;
    int exact = nw.nw_path(path, pack(win), start, 0, false, false, 30000, 0);
    ASSERT_GE(exact, 0);
    EXPECT_GE(screen, 0);
    EXPECT_LE(screen, exact);
  }
}

TEST(VectorSw, LaneHelpers) {
  __m128i v = _mm_setzero_si128();
  for (int k = 0; k < 8; ++k)
    v = vector_lane::_mm_insert_epi16_2(v, int16_t(100 + k), k);
  for (int k = 0; k < 8; ++k)
    EXPECT_EQ(vector_lane::_mm_extract_epi16_2(v, k), 100 + k);
  EXPECT_EXIT(vector_lane::_mm_extract_epi16_2(v, 8),
              testing::ExitedWithCode(1), "BAD EXTRACT!!");
  EXPECT_EXIT(vector_lane::_mm_insert_epi16_2(v, 1, -1),
              testing::ExitedWithCode(1), "BAD INSERT!!");
}

// A lane fault on a worker ends the process as every worker error does:
// the thread's finished output is written first, and no exit handler runs
// while other threads may still use what it would tear down.
static void lane_fault_on_a_worker() {
  std::atexit([] { std::fputs(" exit handlers ran", stderr); });
  set_fatal_flush([](void *) { std::fputs("flushed ", stderr); }, nullptr);
  vector_lane::_mm_insert_epi16_2(_mm_setzero_si128(), 1, 8);
}

TEST(VectorSw, LaneFaultEndsThroughTheWorkersFatalPath) {
  EXPECT_EXIT(lane_fault_on_a_worker(), testing::ExitedWithCode(1),
              "^flushed BAD INSERT!!$");
}

TEST(KernelBounds, WindowsAnywhereAndReusedBuffers) {
  // Windows at every kind of position (start, middle, hanging over the end,
  // wholly outside) with reads of growing and shrinking length: the
  // sanitizers check every access, and a reused object must answer as a
  // fresh one does.
  std::mt19937 rng(21);
  std::string genome_text = random_dna(rng, 203);
  bit_DNA_t genome = pack(genome_text);
  sw_nw reused;
  vector_sw vreused;
  reused.setup_penalties(2, 6, 15, 4, 5, 15, 40, 2);
  vreused.setup_penalty(11, 4, 11, 4, 2, 6);
  for (int iter = 0; iter < 300; ++iter) {
    size_t len = 1 + rng() % 90;
    std::string read =
        genome_text.substr(rng() % (genome_text.size() - len), len);
    if (rng() & 1)
      read = random_dna(rng, len);
    int win = int(len) + int(rng() % 40);
    int band = int(rng() % 50);
    uint32_t start = uint32_t(1 + rng() % 260);
    bit_DNA_t fwd = pack(read), rev = pack(compleseq(read));
    ASSERT_TRUE(reused.setup_read_reference(fwd, rev, win, band));
    sw_nw fresh;
    fresh.setup_penalties(2, 6, 15, 4, 5, 15, 40, 2);
    ASSERT_TRUE(fresh.setup_read_reference(fwd, rev, win, band));
    int which = int(rng() & 1);
    std::string p1, p2;
    uint32_t s1 = start, s2 = start;
    EXPECT_EQ(reused.nw_path(p1, genome, s1, which, false, false, 1000, 3),
              fresh.nw_path(p2, genome, s2, which, false, false, 1000, 3));
    EXPECT_EQ(p1, p2);
    uint32_t r1 = start, r2 = start, a1, b1, a2, b2;
    EXPECT_EQ(reused.sw_path(p1, r1, a1, b1, which, genome),
              fresh.sw_path(p2, r2, a2, b2, which, genome));
    EXPECT_EQ(p1, p2);
    EXPECT_EQ(r1, r2);

    ASSERT_TRUE(vreused.sw_vector_setup(win, fwd, rev));
    vector_sw vfresh;
    vfresh.setup_penalty(11, 4, 11, 4, 2, 6);
    ASSERT_TRUE(vfresh.sw_vector_setup(win, fwd, rev));
    EXPECT_EQ(vreused.get_sw_score(genome, start, which),
              vfresh.get_sw_score(genome, start, which));
    EXPECT_EQ(vreused.get_nw_score(genome, start, which, 200),
              vfresh.get_nw_score(genome, start, which, 200));
  }
}
