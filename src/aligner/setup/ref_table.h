#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

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
