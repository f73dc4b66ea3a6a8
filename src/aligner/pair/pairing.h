#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kernels/align_store.h"
#include "kernels/path.h"

struct tolve_params_t;
struct ref_table_t;
class MT_random;

// One candidate alignment of one mate while the pair is being resolved.
struct align_loc_pair_t {
  int penalty = 0;
  mm_gap_t mm_gap;
  bool direction = true;
  uint32_t loc = 0;
  std::string cigar;
  char type = 'N';
  bool paired = false;           // forms a concordant pair with some mate
  bool close_discordant = false; // never set; rescues pass over it
  int template_size = 0;

  // Overwrites every member from a stored alignment, reusing the CIGAR's
  // storage, and clears the pairing fields.
  void assign(const align_loc_t &a);
  bool operator<(const align_loc_pair_t &o) const {
    return penalty < o.penalty;
  }
};

// One candidate pair: the candidate ids of mate 1 and mate 2 in their
// lists, and the penalty sum when it was recorded.
struct concordant_store_t {
  int first = 0;
  int second = 0;
  int combined_penalty = 0;
  int template_size = 0;
};

// The candidates of one mate. Records stay where they were added (their
// index is the candidate's id, and the order they were added is the list
// order until the list is sorted); `order` holds the ids in the current
// list order. Records beyond `count` are spares kept for their CIGAR
// storage; the first `pending` of them are rescued candidates not yet
// part of the list.
struct cand_list_t {
  std::vector<align_loc_pair_t> recs;
  std::vector<int> order;
  size_t count = 0;
  size_t pending = 0;

  size_t size() const { return count; }
  bool empty() const { return count == 0; }
  // Candidate at position i of the list order.
  align_loc_pair_t &at(size_t i) { return recs[size_t(order[i])]; }
  const align_loc_pair_t &at(size_t i) const { return recs[size_t(order[i])]; }
  void clear();
  // A fresh record at the end of the list (pending ones stay held back).
  align_loc_pair_t &add();
  // A fresh record after the list, held back until take_pending().
  align_loc_pair_t &add_pending();
  // Drops the last record handed out by add_pending().
  void drop_pending();
  void take_pending();
  // Id of a record before the last one handed out by add_pending() (listed
  // or pending) with its position and direction; -1 when there is none.
  int pending_repeat() const;
  // Sorts the list order by penalty (ties keep their earlier order).
  void sort();
};

// Tie counts of a sorted list, for the mapping quality: entries at the best
// value, entries within the tier gap above it, the rest, and the
// mismatch difference to the first entry beyond the gap.
struct tier_counts_t {
  int best = 0;
  int second = 0;
  int rest = 0;
  int diff = 0;
};

// The two mates' geometry the pairing tests need.
struct pair_geom_t {
  const ref_table_t *refs = nullptr;
  int len[2] = {0, 0};
  int max_template = 0;
};

// True when both 1-based positions lie in the same reference sequence
// (false when either lies in none).
bool same_chromosome(const ref_table_t &refs, uint32_t a, uint32_t b);

// Template size of candidate a of mate 1 and b of mate 2, from the
// leftmost base of the forward mate to the far end of the other.
int64_t template_size(const pair_geom_t &g, const align_loc_pair_t &a,
                      const align_loc_pair_t &b);

// a and b point the same way, lie on one sequence, and span a template no
// shorter than either read and no longer than the maximum. t receives the
// template size.
bool concordant(const pair_geom_t &g, const align_loc_pair_t &a,
                const align_loc_pair_t &b, int &t);

// Tie counts of the sorted candidate list with tier gap `gap`.
tier_counts_t candidate_tiers(const cand_list_t &l, int gap);

// The same on the sorted concordant list's combined penalties.
tier_counts_t pair_tiers(const std::vector<concordant_store_t> &pairs, int gap);

// Sorts the concordant list by combined penalty (ties keep the order in
// which the pairs were recorded).
void sort_pairs(std::vector<concordant_store_t> &pairs);

// Index into the sorted concordant list of the pair to report among the
// `best` leading ones: the pairs whose template size lies closest to
// `mean` compete, one of them drawn uniformly (no draw for one). `keys` is
// scratch space.
int pick_pair(const std::vector<concordant_store_t> &pairs, int best, int mean,
              MT_random &gen, std::vector<std::pair<int, int>> &keys);
