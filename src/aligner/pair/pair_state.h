#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "aligner/pair/pairing.h"
#include "common/fast.h"
#include "kernels/sw_nw.h"
#include "kernels/vector_sw.h"

struct tolve_params_t;
struct ref_table_t;
struct pen_tester;
struct mate_search_t;
struct bit_DNA_t;
class MT_random;

// What the pair steps see of one mate; everything belongs to the worker.
struct pair_mate_t {
  align_store_t *store = nullptr;
  mate_search_t *search = nullptr; // k-mer lists for the coverage measure
  // Per orientation (0, 1) the packed bases and the prepared record; for
  // mate 1 orientation 0 is the read as read, for mate 2 its reverse
  // complement.
  const bit_DNA_t *packed[2] = {nullptr, nullptr};
  const fast_t *orient[2] = {nullptr, nullptr};
  const fast_t *input = nullptr; // the prepared read as it came in
  int len = 0;
  bool found = false;
  bool too_short = false;
};

// One read pair as the pair steps get it from the worker, and where its
// text goes.
struct pair_input_t {
  const tolve_params_t *p = nullptr;
  const ref_table_t *refs = nullptr;
  pen_tester *pen = nullptr;
  MT_random *gen = nullptr;
  int64_t *kernel_runs = nullptr; // the worker's count for num_SW
  pair_mate_t mate[2];
  const std::string *name = nullptr;
  const std::string *barcode = nullptr;
  std::string *sam = nullptr;
  std::string *hybrid[2] = {nullptr, nullptr};
  std::string *scratch = nullptr; // room for an XA text
};

// The aligners the rescue runs for a target mate, set up for its read on
// first use in a pair.
struct rescue_kernels_t {
  sw_nw nw[2];
  vector_sw vec[2];
  bool ready[2] = {false, false};
  std::string path;
};

// How a pair was resolved.
namespace pair_outcome {
const int UNMAPPED = 0;   // both mates unmapped
const int ONE_MAPPED = 1; // only `mapped_mate` has candidates
const int BOTH = 2;       // an alignment chosen for each mate
} // namespace pair_outcome

struct pair_result_t {
  int outcome = pair_outcome::UNMAPPED;
  int mapped_mate = 0;
  bool singles = true; // the chosen alignments are not a concordant pair
  tier_counts_t tiers[2];
  tier_counts_t pair_tiers;
  int chosen[2] = {0, 0}; // candidate ids in the lists
};

// Per-thread working state of the pair steps, emptied for every pair and
// reused so that a pair needs no new memory once the sizes were seen.
struct pair_work_t {
  cand_list_t list[2];
  int main_size[2] = {0, 0}; // best-tier sizes of the two stores
  std::vector<concordant_store_t> pairs;
  std::vector<std::pair<int, int>> keys;
  pair_geom_t geom;
  bool no_pair = true;
  rescue_kernels_t kern;
  pair_result_t result;
};
