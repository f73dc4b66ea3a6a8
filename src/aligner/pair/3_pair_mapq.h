#pragma once
#include <vector>

#include "aligner/pair/pairing.h"

// Quality values of the two mates of a pair reported as two alignments.
struct pair_quality_t {
  int xl[2] = {0, 0};   // read bases covered by the k-mers taken
  int xr[2] = {0, 0};   // further bases covered by too-frequent k-mers
  int own[2] = {0, 0};  // each mate's own mapping quality (uncapped)
  int mapq[2] = {0, 0}; // final MAPQ, at most 60
};

// Own mapping quality of a mate whose chosen alignment is `a`, from its
// tie counts and the coverage of the k-mer lists of a's orientation (both
// sorted here; xl and xr receive the coverage). 0 for a repeat and for a
// mate rescued by the local scan.
int calc_mapq_pair(const align_loc_pair_t &a, const tier_counts_t &tiers,
                   std::vector<int> &taken, std::vector<int> &too_frequent,
                   int read_len, int kmer_size, int max_count_mm, int max_ext,
                   int &xl, int &xr);

// Bonus a unique concordant pair adds to its mates' qualities, from the
// second-tier and remaining pair counts; 0 when a mate was rescued by the
// local scan.
int pair_bonus(const tier_counts_t &pair_tiers, bool local_rescue);

// Final MAPQ of both mates from their own qualities: the own values for
// singles, 0 for several equally good pairs, otherwise the two combined
// with the pair bonus; capped at 60.
void final_pair_mapq(pair_quality_t &q, bool singles,
                     const tier_counts_t &pair_tiers, int bonus);
