#pragma once
// The parameter record's use of the reference-sequence table: built once
// from the index's sequence map, then asked by the search whether a span
// may be aligned.
#include <cstdint>

#include "aligner/setup/params.h"
#include "aligner/setup/ref_table.h"
#include "common/bit_dna.h"

// Fills p->refs from start_genome and genome_length (a table built earlier
// is replaced). Run once after the index is loaded, before the workers
// start; the workers only read the table.
void build_refs(tolve_params_t *p);

// True when genome positions loc .. loc + ref_len - 1 (1-based) all lie in
// one reference sequence and in the packed genome: an alignment may not
// run from one sequence into the next, and no kernel may read past the
// genome's bytes. A record without a table checks the genome bounds only.
inline bool span_in_one_chrom(const tolve_params_t *p, int64_t loc,
                              int64_t ref_len) {
  if (loc < 1 || ref_len < 1)
    return false;
  const int64_t last = loc + ref_len - 1;
  if (last > int64_t(p->genome_str->size()) || last > p->genome_length)
    return false;
  return !p->refs ||
         span_in_one_ref(*p->refs, uint64_t(loc), uint64_t(ref_len));
}
