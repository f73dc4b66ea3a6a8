#include "tools/reservoir.h"

void reservoir_offer(reservoir_t &r, MT_random &rng) {
  r.count++;
  if (r.count <= r.num_reads) {
    r.slots.push_back(r.count);
    return;
  }
  // With no slot there is nothing to replace and the draws cannot change
  // the (empty) sample.
  if (r.num_reads == 0)
    return;
  double p = double(r.num_reads) / double(r.count);
  if (!rng.genrand_bern(p))
    return;
  uint64_t j = rng.genrand_int_range(0, uint64_t(r.num_reads - 1));
  r.slots[j] = r.count;
}
