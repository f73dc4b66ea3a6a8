#include "aligner/setup/2_pen_tester.h"

#include <cmath>
#include <math.h>

#include "common/strings.h"

namespace {

// lgamma itself writes the sign to a global; workers call this concurrently.
double log_gamma(double x) {
  int sign = 0;
  return lgamma_r(x, &sign);
}

} // namespace

double binom_p(double p, double q, int m, int n) {
  return std::exp(log_gamma(n + 1.0) -
                  (log_gamma(n - m + 1.0) + log_gamma(m + 1.0)) +
                  m * std::log(p) + (n - m) * std::log(q));
}

double binom_prob(int x, int n, double p) { return binom_p(p, 1 - p, x, n); }

pen_tester::pen_tester(float mm_prob_, int max_mm_, float gap_rate_,
                       int max_gap_, int max_ext_, int m_score_, int mm_pen_,
                       int gap_pen_, int ext_pen_)
    : mm_prob(mm_prob_), max_mm(max_mm_), gap_rate(gap_rate_),
      max_gap(max_gap_), max_ext(max_ext_), m_score(m_score_), mm_pen(mm_pen_),
      gap_pen(gap_pen_), ext_pen(ext_pen_) {}

void pen_tester::set_length(int len0, int len1) {
  line_len[0] = len0;
  line_len[1] = len1;
  for (int r = 0; r < 2; r++) {
    if (line_len[r] <= 0)
      continue;
    max_count_mm[r] = get_max_mm(line_len[r]);
    max_pen_mm[r] = max_count_mm[r] * (mm_pen + m_score);
    max_count_gap[r] = get_max_gap_count(line_len[r]);
    max_pen_gap[r] = max_pen_mm[r] + get_max_gap_pen(line_len[r]);
    min_diff_found[r] = max_pen_gap[r];
  }
}

int pen_tester::get_max_gap_size(int penalty) const {
  // Without an extension cost every gap length is paid by the opening.
  if (ext_pen == 0)
    return max_ext;
  return (penalty - gap_pen) / ext_pen + 1;
}

// Smallest count whose cumulative binomial probability, at a 4 % per-base
// error rate, reaches 1 - mm_prob.
int pen_tester::get_max_mm(int len) {
  if (max_mm >= 0)
    return max_mm;
  if (mm_prob == 0)
    return 0;
  auto it = diff_map.find(len);
  if (it != diff_map.end())
    return it->second;
  const double p = static_cast<double>(ASSUMED_ERROR_RATE);
  const double threshold = static_cast<double>(1.0f - mm_prob);
  double sum = 0;
  int j = 0;
  while (j < len) {
    sum += binom_prob(j, len, p);
    j++;
    if (sum >= threshold)
      break;
  }
  diff_map[len] = j - 1;
  return j - 1;
}

int pen_tester::get_max_gap_count(int len) const {
  if (max_gap >= 0)
    return max_gap;
  return static_cast<int>(std::ceil(static_cast<float>(len) * gap_rate));
}

int pen_tester::get_max_gap_pen(int len) const {
  return gap_pen * get_max_gap_count(len) + max_ext * (ext_pen + m_score);
}

void pen_tester::print_mm_pens(std::ostream &os, int lo, int hi) {
  int cur = get_max_mm(lo);
  if (lo > hi)
    return;
  int start = lo;
  for (int len = lo + 1; len <= hi; len++) {
    int v = get_max_mm(len);
    if (v != cur) {
      os << toStr<int>(start) << "bp - " << toStr<int>(len - 1)
         << "bp reads: max mismatch = " << cur << "\n";
      start = len;
    }
    cur = v;
  }
  os << toStr<int>(start) << "bp - " << toStr<int>(hi)
     << "bp reads: max mismatch = " << cur << "\n";
}
