#include "kernels/coverage.h"

#include <algorithm>

#include "aligner/setup/params.h"

void calc_total_mega(std::vector<int> &seen_kmer,
                     std::vector<int> &seen_mega_kmer, int &total_length,
                     int &total_mega_length, const tolve_params_t *p) {
  calc_total_mega(seen_kmer, seen_mega_kmer, total_length, total_mega_length,
                  p->kmer_size);
}

void calc_total_mega(std::vector<int> &seen_kmer,
                     std::vector<int> &seen_mega_kmer, int &total_length,
                     int &total_mega_length, int k) {
  std::vector<int> &A = seen_kmer;
  std::vector<int> &B = seen_mega_kmer;
  std::sort(A.begin(), A.end());
  std::sort(B.begin(), B.end());

  total_length = 0;
  int e = 0;
  for (int q : A) {
    total_length += e > q ? q + k - e : k;
    e = q + k;
  }

  total_mega_length = 0;
  const long na = long(A.size());
  long i = 0;
  int f = 0;
  for (int b : B) {
    while (i < na && A[i] < b)
      ++i;
    long t = i - 1;
    // From the end of the A window before b (even when that end lies before
    // b) up to the next A window or the end of b's own window.
    int start = (t >= 0 && b > A[t]) ? A[t] + k : b;
    int end = i < na ? std::min(A[i], b + k) : b + k;
    if (start < end)
      total_mega_length += end - std::max(start, f);
    f = end;
    i = std::max(t, 0L);
  }
}
