#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

#include "aligner/setup/params.h"
#include "common/bit_dna.h"

// Fills p->chrom_ends from start_genome and genome_length (a table built
// earlier is replaced). Run once after the index is loaded, before the
// workers start; the workers only read the table.
void build_chrom_ends(tolve_params_t *p);

// Slow path of span_in_one_chrom for a record without chrom_ends.
bool span_in_one_chrom_by_map(const tolve_params_t *p, int64_t loc,
                              int64_t last);

// True when genome positions loc .. loc + ref_len - 1 (1-based) all lie in
// one reference sequence and in the packed genome: an alignment may not
// run from one sequence into the next, and no kernel may read past the
// genome's bytes.
inline bool span_in_one_chrom(const tolve_params_t *p, int64_t loc,
                              int64_t ref_len) {
  if (loc < 1 || ref_len < 1)
    return false;
  const int64_t last = loc + ref_len - 1;
  if (last > int64_t(p->genome_str->size()) || last > p->genome_length)
    return false;
  const std::vector<uint32_t> *ends = p->chrom_ends;
  if (!ends)
    return span_in_one_chrom_by_map(p, loc, last);
  // Few sequences: a binary search over a short vector.
  auto it = std::lower_bound(ends->begin(), ends->end(), uint32_t(loc));
  return it != ends->end() && last <= int64_t(*it);
}
