#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "aligner/search/5_align_priority.h"
#include "kernels/align_store.h"
#include "kernels/path.h"
#include "kernels/sw_nw.h"
#include "kernels/vector_sw.h"

struct bit_DNA_t;

// Values of kmer_idx_t4::searched; a k-mer's value only grows.
namespace kmer_state {
const int32_t FRESH = 0;  // not used yet (also: deferred)
const int32_t USED = 1;   // taken or given up while seeding
const int32_t GAPPED = 2; // taken or given up in the gapped phase
const int32_t ABSENT = 3; // key not in the index
} // namespace kmer_state

// Values of kmer_idx_t4::idx_length before a successful lookup.
namespace kmer_len {
const int32_t NOT_LOOKED_UP = -1;
const int32_t NOT_FOUND = -2;
} // namespace kmer_len

// One k-mer of one strand of a read.
struct kmer_idx_t4 {
  uint64_t kmer_num = 0;
  int32_t start_loc = 0;          // 1-based offset of its first base
  uint32_t chrdict_start_loc = 0; // first chrdict entry with this key
  int32_t idx_length = kmer_len::NOT_LOOKED_UP; // entries with this key
  int32_t searched = kmer_state::FRESH;
};

// A candidate start of the whole read and the read offset of the k-mer
// whose table entry proposed it.
struct cand_loc_t {
  uint32_t loc = 0;
  int32_t o = 0;
};

// Where the walk over one strand's k-mer list stands.
struct kmer_walk_t {
  size_t cursor = 0;
  double coverage = 0.0;
  int32_t limit = 0;         // occurrence limit of the current pass
  int32_t min_deferred = -1; // smallest count deferred in this pass
  bool pass_clean = true;    // nothing visited since the pass began
  bool finished = false;
  bool took = false; // the visit of this cycle took a k-mer
};

// Search state of one mate, owned by its worker and reused from read to read
// (vectors keep their capacity, the seen sets their slot tables).
struct mate_search_t {
  // Read offsets of the k-mers taken, and of those given up as too frequent,
  // per strand; the mapping quality measures coverage from them.
  std::vector<int> taken[2];
  std::vector<int> too_frequent[2];
  // Fewest edits seen so far; shortens the seeding cycles.
  mm_gap_t best_edit{};

  // Per strand (0 forward, 1 reverse complement): the k-mers in increasing
  // start_loc, the walk over them, the candidate starts already tried and
  // every candidate tried in the order tried.
  std::vector<kmer_idx_t4> kmers[2];
  kmer_walk_t walk[2];
  seen_t seen[2];
  std::vector<cand_loc_t> cands[2];
  // Gapped phase: the candidate starts at or below 0 already screened, per
  // strand (reads that begin before the genome; seen_t holds positions).
  std::vector<int64_t> seen_before_genome[2];
  int nk = 1;             // whole k-mer spans that fit in the read
  int cycles_left = 0;    // seeding cycles still allowed once found is set
  std::string full_cigar; // the read length and "M"
  std::string cigar;      // scratch CIGAR text, kept for its capacity

  // Gapped phase: the windows that passed the vector screen, the two
  // aligners (set up for the mate when the phase starts; their buffers only
  // grow) and the traceback texts.
  score_queue_t queue;
  sw_nw nw;
  vector_sw vsw;
  priority_scratch_t scratch;
  // Screening calls since the worker last collected the count.
  int64_t num_sw = 0;
};

// What the worker hands to one mate's search; all of it is the worker's own.
struct mate_input_t {
  const bit_DNA_t *packed[2] = {nullptr, nullptr}; // strand 0, strand 1
  const std::string *seq0 = nullptr; // strand-0 text (undetermined letters)
  int read_len = 0;
};
