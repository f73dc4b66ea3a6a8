#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "kernels/path.h"

struct tolve_params_t;
struct pen_tester;
struct bit_DNA_t;
struct align_store_t;
class MT_random;

// Search state of one mate, owned by its worker and reused from read to read
// (vectors keep their capacity). The seeding code adds what else it needs.
struct mate_search_t {
  // Read offsets of the k-mers taken, and of those given up as too frequent,
  // per strand; the mapping quality measures coverage from them.
  std::vector<int> taken[2];
  std::vector<int> too_frequent[2];
  // Fewest edits seen so far; shortens the seeding cycles.
  mm_gap_t best_edit{};
};

// What the worker hands to one mate's search; all of it is the worker's own.
struct mate_input_t {
  const bit_DNA_t *packed[2] = {nullptr, nullptr}; // strand 0, strand 1
  const std::string *seq0 = nullptr; // strand-0 text (undetermined letters)
  int read_len = 0;
};

// Seeding, ungapped extension and the single-indel step for mate r. Stores
// alignments in `store`; sets `found` when one within the mismatch allowance
// (or any single-indel alignment) was stored, and `too_short` when the read
// holds too many undetermined letters to be searched.
void search_mate(const tolve_params_t *p, int r, const mate_input_t &in,
                 pen_tester &pen, align_store_t &store, MT_random &gen,
                 mate_search_t &s, bool &found, bool &too_short);
