#pragma once
#include <string>

#include "common/fast.h"

struct tolve_params_t;

// Why a read could not be prepared; the process ends with `status` after
// `message` (several lines, each ending in a newline) is written.
struct prep_error_t {
  int status = 0; // 0: no error
  std::string message;
};

// Reverse complement of `s` written into `out` (A/T and C/G exchanged in
// either case, other letters kept), reusing out's storage.
void revcomp_into(const std::string &s, std::string &out);

// Primer bases to remove from the start of `seq` (0 when none).
int phase_primer_cut(const std::string &seq);

// Prepares the mates of one read or pair in place: barcode cut, quality
// conversion to Phred+33, 3' trimming, primer removal, then the reverse
// complement of every mate into rev[j]. `barcode` must be emptied by the
// caller. Returns false (with `err` filled) on a quality error; the reads
// are then partly converted.
bool prepare_reads(const tolve_params_t *p, int num_fragment, fast_t *fwd[2],
                   fast_t *rev[2], std::string &barcode, prep_error_t &err);
