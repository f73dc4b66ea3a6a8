#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "aligner/search/mate_search.h"

struct tolve_params_t;
struct bit_DNA_t;
class MT_random;

namespace seeding {
const int CYCLE_BUDGET = 25; // cycles a mate may run once found is set
const int LIMIT_GROWTH = 3;  // occurrence limit factor from pass to pass
} // namespace seeding

// K-mers of one strand, keyed exactly as the index keys the genome, in
// increasing start_loc; `out` is emptied first. Contiguous or spaced keys
// of every window (modes 0, 1, 2, 4; modes 1 and 2 keep only the sampled
// keys).
void gen_kmers_one(const tolve_params_t *p, const bit_DNA_t &read,
                   std::vector<kmer_idx_t4> &out);
// Mode 3: at most one key per start offset, the sampled contiguous key of
// the k bases there, else the sampled spaced key of the span there.
void gen_kmers_both(const tolve_params_t *p, const bit_DNA_t &read,
                    std::vector<kmer_idx_t4> &out);
// The generator the index mode calls for.
void gen_kmers(const tolve_params_t *p, const bit_DNA_t &read,
               std::vector<kmer_idx_t4> &out);

// Number of the letters 'N', '.' and 'X' in a read text.
int count_undetermined(const std::string &seq);

// Looks k up in the bucket table and the position table: sets idx_length
// to the number of entries with its key inside the key's bucket (and
// chrdict_start_loc to the first), to kmer_len::NOT_FOUND when there is
// none, or to 0 when its first entry holds no usable position.
void hash_search(const tolve_params_t *p, kmer_idx_t4 &k);

// Fetches, for every k-mer of both strands, the cache lines its lookup
// will read: first all bucket starts, then all first table entries, so
// that the misses overlap instead of coming one lookup at a time. Changes
// nothing.
void prefetch_lookups(const tolve_params_t *p, const mate_search_t &s);

// Both strands' walks at the list starts, with occurrence limit `limit`.
void start_walks(mate_search_t &s, int32_t limit);

// Moves the cursor past every k-mer that starts no later than `from` plus
// the span shrunk by the coverage: trunc(span / (1 + coverage / nk)).
void skip_covered(kmer_walk_t &w, const std::vector<kmer_idx_t4> &ks,
                  int32_t from, int span, double coverage, int nk);

// Passes over a k-mer of n positions for now; it is met again in the next
// pass, whose limit then grows at least to n.
void defer_kmer(kmer_walk_t &w, int32_t n);

// Gives a k-mer up for the rest of the walk (marked `state`) and records
// its offset as too frequent.
void give_up_kmer(mate_search_t &s, int st, kmer_idx_t4 &k, int32_t state);

// The limit test of a walk for a k-mer of n positions: taken (marked
// `state`, one more unit of coverage, cursor left on it) when n is within
// the limit or a draw lets it through; otherwise deferred. True when taken.
bool take_or_defer(kmer_walk_t &w, kmer_idx_t4 &k, int32_t n, MT_random &gen,
                   int32_t state);

// Back to the list start with a larger limit (times LIMIT_GROWTH, or the
// smallest deferred count plus first_limit when that is larger), so that
// deferred k-mers meet a looser test.
void begin_new_pass(kmer_walk_t &w, int32_t first_limit);

// One visit of strand st in a seeding cycle: walks its cursor until it
// takes a k-mer (took stays set, cursor on it), meets an absent one, or the
// strand is finished. Frequent k-mers are sampled with `gen`.
void visit_strand(const tolve_params_t *p, MT_random &gen, mate_search_t &s,
                  int st);

// Stop test of a cycle loop: walking goes on while the k-mer look-ahead
// (grown by the best alignment's edits) exceeds the smaller coverage.
bool need_more_coverage(const tolve_params_t *p, const mate_search_t &s);
