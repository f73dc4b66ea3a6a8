#pragma once
#include <cstdint>
#include <string>

#include "kernels/path.h"

struct tolve_params_t;
struct ref_seq_t;

// SAM FLAG values written by the aligner.
namespace sam_flag {
const int PAIRED = 1;
const int PROPER_PAIR = 2;
const int UNMAPPED = 4;
const int MATE_UNMAPPED = 8;
const int REVERSE = 16;
const int MATE_REVERSE = 32;
const int FIRST = 64;
const int SECOND = 128;
const int SECONDARY = 256;
} // namespace sam_flag

// Edits an alignment reports as NM: mismatches, gap opens and extensions.
inline int edit_count(const mm_gap_t &e) {
  return e.num_mm + e.num_gap_open + e.num_gap_ext;
}

// Thresholds of the hybrid-mode test that sends a read (or pair) to the
// side files instead of the SAM output.
namespace hybrid_const {
// Fewer bases than this many k-mer spans under the k-mers taken: diverted.
const int MIN_COVER_SPANS = 2;
// A gappy alignment above this MAPQ stays in the SAM output.
const int TRUSTED_MAPQ = 10;
// A pair whose mates both have MAPQ 0 goes aside with more edits than this.
const int PAIR_MAX_EDITS = 4;
// --assemble: gap extension above this share of the read (plus the slack),
// or an insertion at either end, sends the read aside.
const double ASSEMBLE_EXT_SHARE = 0.25;
const double ASSEMBLE_EXT_SLACK = 1.0;
} // namespace hybrid_const

// True when --assemble sends an alignment of a read of `len` bases aside:
// a long gap extension, or an insertion at either end.
bool assemble_reject(const mm_gap_t &e, const std::string &cigar, int len);

// Decimal text appended to `out` without a temporary string.
void append_int(std::string &out, int64_t v);
void append_uint(std::string &out, uint64_t v);

inline void append_tab(std::string &out) { out.push_back('\t'); }

// "\t<tag>" followed by the number, e.g. append_int_tag(out, "NM:i:", 3).
void append_int_tag(std::string &out, const char *tag, int64_t v);

// POS of 1-based genome position `loc` in sequence `ref`.
void append_pos(std::string &out, const ref_seq_t &ref, uint32_t loc);

// "\tNM:i:..\tXM:i:..\tXO:i:..\tXG:i:.." of an alignment's edits.
void append_edit_tags(std::string &out, const mm_gap_t &e);

// One XA entry: "name,[-]pos,cigar,edits;".
void append_xa_entry(std::string &out, const ref_seq_t &ref, uint32_t loc,
                     bool reverse, const std::string &cigar, int edits);

// First (or, with `last`, last) operation letter of a CIGAR among I, D, X,
// M and =; 0 when there is none.
char cigar_end_op(const std::string &cigar, bool last);

// SEQ or QUAL field: "*" for an empty text, which SAM does not allow.
void append_seq_field(std::string &out, const std::string &s);

// The optional tags that end every record of a run, each after a TAB:
// BC (when a barcode length is set), RG, PU, LB and PG as switched on.
void append_opt_tags(std::string &out, const tolve_params_t *p,
                     const std::string &barcode);

// Side-output record of a read: FASTQ ("@name", seq, "+", qual) for a read
// with qualities, FASTA (">name", seq) for one without. `suffix` follows the
// name ("/1", "/2" or nothing).
void append_side_record(std::string &out, const std::string &name,
                        const char *suffix, const std::string &seq,
                        const std::string &qual, bool qual_exist);
