#pragma once
#include <cstdint>
#include <string>

struct tolve_params_t;

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

// Decimal text appended to `out` without a temporary string.
void append_int(std::string &out, int64_t v);
void append_uint(std::string &out, uint64_t v);

inline void append_tab(std::string &out) { out.push_back('\t'); }

// "\t<tag>" followed by the number, e.g. append_int_tag(out, "NM:i:", 3).
void append_int_tag(std::string &out, const char *tag, int64_t v);

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
