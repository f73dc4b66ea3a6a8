#pragma once
#include <cstdint>
#include <vector>

#include "common/mt_random.h"

// Uniform sample of num_reads record ordinals (1-based) out of a stream of
// records whose length is not known in advance.
struct reservoir_t {
  int64_t num_reads = 0;
  int64_t count = 0; // records offered so far
  // Grows with the first num_reads records only, so a huge num_reads costs
  // memory only for records that exist.
  std::vector<int64_t> slots;
};

// Offers the next record. The draws, in order: none while the reservoir
// fills; then one Bernoulli value with p = num_reads / count and, when it
// is true and num_reads > 1, one more value choosing the slot to replace.
void reservoir_offer(reservoir_t &r, MT_random &rng);
