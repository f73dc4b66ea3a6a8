#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "aligner/setup/params.h"
#include "common/bit_dna.h"

// The one answer to "which reference sequence holds genome position X" and
// "does a span lie in one sequence", for every stage of the aligner. The
// name and start maps of the index stay where the header and the loader
// use them; the per-read path asks this table, which needs no map look-up.

// One reference sequence in the concatenated genome: 1-based first and last
// base (inclusive).
struct ref_seq_t {
  uint64_t start = 0;
  uint64_t end = 0;
  std::string name;
};

// The sequences in genome order.
struct ref_table_t {
  std::vector<ref_seq_t> seqs;
};

// Built from the start-to-name map and the genome length; sequences of
// length 0 are left out, since no base can lie in them.
void build_ref_table(ref_table_t &t, const std::map<long, std::string> &starts,
                     int64_t genome_length);

// Fills p->refs from start_genome and genome_length (a table built earlier
// is replaced). Run once after the index is loaded, before the workers
// start; the workers only read the table.
void build_refs(tolve_params_t *p);

// The sequence holding 1-based genome base `loc`, or nullptr when none does.
const ref_seq_t *find_ref(const ref_table_t &t, uint64_t loc);

// True when 1-based bases loc .. loc + len - 1 all lie in one sequence (for
// len 0: when loc does).
bool span_in_one_ref(const ref_table_t &t, uint64_t loc, uint64_t len);

// Reference bases an alignment covers: the summed lengths of its M, =, X
// and D operations.
uint64_t cigar_ref_span(const std::string &cigar);

// True when an alignment of `cigar` starting at `loc` lies wholly inside one
// sequence; an empty CIGAR never does.
bool fits_one_ref(const ref_table_t &t, uint64_t loc, const std::string &cigar);

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
