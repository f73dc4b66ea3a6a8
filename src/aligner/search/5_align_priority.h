#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kernels/align_store.h"
#include "kernels/path.h"

struct tolve_params_t;
struct pen_tester;
struct bit_DNA_t;
struct sw_nw;

// A genome window queued for exact alignment, with the penalty the vector
// screen estimated for it.
struct score_loc_t {
  int score = 0; // estimated penalty (lower is better)
  // Candidate start of the read, 1-based; at or below 0 when the read
  // begins before the genome's first base (insertions near it).
  int64_t loc = 0;
  uint32_t extra_minus = 0; // bases before loc (besides WINDOW_PAD) to align
  int strand = 0;           // read orientation of the sw_nw to align
};

// Reversed on purpose: a max-heap of score_loc_t yields the lowest score
// first.
inline bool operator<(const score_loc_t &a, const score_loc_t &b) {
  return a.score > b.score;
}

// Cheapest-first queue of windows over a vector that keeps its capacity
// from read to read. Equal scores come out in no defined order.
struct score_queue_t {
  std::vector<score_loc_t> heap;

  bool empty() const { return heap.empty(); }
  size_t size() const { return heap.size(); }
  const score_loc_t &top() const { return heap.front(); }
  void push(const score_loc_t &x) {
    heap.push_back(x);
    std::push_heap(heap.begin(), heap.end());
  }
  void pop() {
    std::pop_heap(heap.begin(), heap.end());
    heap.pop_back();
  }
  void clear() { heap.clear(); }
};

// Text buffers align_priority writes into, kept by the caller so that their
// storage is reused.
struct priority_scratch_t {
  std::string path;
  std::string cigar;
};

// Aligns the queued windows of mate x cheapest first with the traceback
// aligner (set up for the read, windows of its ref_len) and offers each
// alignment to the store, until the next estimate can no longer beat the
// bound one mismatch above the best penalty found. Alignments whose shorter
// aligned end is below end_gap_dist, or that would run from one reference
// sequence into the next, are not stored. `found` is set by an alignment
// within the mismatch allowance; `min_edits` takes the stored summary with
// the fewest mismatches plus gap openings. The start of every window
// aligned goes into seen_locs[strand]. Elements not reached stay queued.
// The aligner's band is set for each window: 0, or for a window cut short
// at the genome's start the number of leading bases it lacks.
void align_priority(int x, score_queue_t &vsl, sw_nw &gapped_aligner,
                    align_store_t &aln_store, bool &found_alignment,
                    mm_gap_t &min_edits, pen_tester &pen,
                    const bit_DNA_t &genome, seen_t *seen_locs,
                    const tolve_params_t *p, priority_scratch_t &scratch);
