#pragma once
#include <cstdint>
#include <vector>

#include "index/index_format.h"
#include "index/index_genome.h"

// Selection of the index's k-mer windows on several threads. The genome is
// cut into pieces of window starts; a counting pass tallies, per piece, the
// windows falling in each key range (the top bits of the key), and the
// collecting pass writes every window straight into its key range's part of
// the list. Sorting the ranges then sorts the whole list, range by range, so
// the sorted list is the same for any thread count.
struct kmer_plan_t {
  int k = 0;
  int mode = 0;
  unsigned shift = 0; // key >> shift is the key range
  size_t ranges = 0;
  std::vector<uint32_t> counts;      // [piece * ranges + range]
  std::vector<uint64_t> range_start; // ranges + 1 entries
  uint64_t total = 0;
};

// Counting pass: fills the plan; plan.total is the number of windows.
void count_windows(const index_genome_t &g, int k, int mode, int threads,
                   kmer_plan_t &plan);
// Collecting pass into recs[0, plan.total): range r's windows end up in
// [range_start[r], range_start[r + 1]), unsorted.
void collect_windows(const index_genome_t &g, const kmer_plan_t &plan,
                     int threads, twoint3_hash *recs);
// Sorts every range by key then position, so the whole list is sorted.
void sort_ranges(const kmer_plan_t &plan, int threads, twoint3_hash *recs);
