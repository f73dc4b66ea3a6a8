#pragma once
#include <algorithm>
#include <cstdint>
#include <map>
#include <ostream>

// Reference bases every gapped window reaches on each side beyond the gap
// allowance: the screen and the cheapest-first aligner of the gapped phase
// and the windows of the mate rescue are all padded by it.
const int WINDOW_PAD = 5;
// Largest extra reach (bases on each side of a candidate) the windows get,
// whatever -e and -o ask for: it bounds the aligners' buffers.
const int MAX_EXTRA_REACH = 2048;

// Per-base error rate behind a mismatch allowance given as a probability.
const float ASSUMED_ERROR_RATE = 0.04f;

// Per-read-length limits derived from the tolerance options: mismatch and
// gap-opening allowances, penalty bounds and the best penalty found so far
// per mate (index 0: single read or mate 1, 1: mate 2). The shared object is
// filled before the workers start; each worker works on its own copy.
struct pen_tester {
  int line_len[2] = {0, 0};
  int max_count_mm[2] = {0, 0};
  int max_count_gap[2] = {0, 0};
  int max_pen_mm[2] = {0, 0};
  int max_pen_gap[2] = {0, 0};
  int min_diff_found[2] = {0, 0};
  std::map<int, int> diff_map; // read length -> mismatch allowance
  float mm_prob;
  int max_mm;
  float gap_rate;
  int max_gap;
  int max_ext;
  int m_score;
  int mm_pen;
  int gap_pen;
  int ext_pen;

  pen_tester(float mm_prob, int max_mm, float gap_rate, int max_gap,
             int max_ext, int m_score, int mm_pen, int gap_pen, int ext_pen);

  void set_length(int len0, int len1);
  void reset_min_diff_found(int r) { min_diff_found[r] = max_pen_mm[r]; }
  void reset_min_diff_found_gap(int r) { min_diff_found[r] = max_pen_gap[r]; }
  bool update_min_diff(int r, int penalty) {
    if (penalty >= min_diff_found[r])
      return false;
    min_diff_found[r] = penalty;
    return true;
  }
  int get_pen_one_more(int r) const {
    int x = mm_pen + min_diff_found[r];
    return x <= max_pen_mm[r] ? x + m_score : max_pen_mm[r];
  }
  int get_pen_one_more_gap(int r) const {
    int x = mm_pen + min_diff_found[r];
    return x <= max_pen_gap[r] ? x + m_score : max_pen_gap[r];
  }
  int get_max_gap_size(int penalty) const;
  // Gap reach of mate r plus the pad, in 64 bits and capped: accepted
  // option values could ask for windows of gigabytes.
  int get_extra_dist(int r) const {
    const int64_t reach = int64_t(max_ext) * max_count_gap[r];
    return int(std::max<int64_t>(0,
                                 std::min<int64_t>(reach, MAX_EXTRA_REACH))) +
           WINDOW_PAD;
  }
  int get_m_score() const { return m_score; }
  int get_mm_pen() const { return mm_pen; }
  int get_gap_pen() const { return gap_pen; }
  int get_ext_pen() const { return ext_pen; }

  int get_max_mm(int len);
  int get_max_gap_count(int len) const;
  int get_max_gap_pen(int len) const;

  void print_mm_pens(std::ostream &os, int lo, int hi);
};

// Binomial probability of m successes in n trials (q = 1 - p).
double binom_p(double p, double q, int m, int n);
double binom_prob(int x, int n, double p);
