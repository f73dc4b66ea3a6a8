#pragma once
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "simulate/edits_file.h"

struct edit_counts_t {
  int total_variants_found_snp = 0;
  int total_variants_correct_snp = 0;
  int total_variants_found_indel = 0;
  int total_variants_correct_indel = 0;
  int total_real_variants_snp = 0;
  int total_real_variants_found_snp = 0;
  int total_real_variants_indel = 0;
  int total_real_variants_found_indel = 0;
};

// A call with a REF of at most one base is a SNP call when its ALT is at most
// one base, or lists alternatives none of which is longer than one base (a
// symbolic one, "<...>", aside); every other call is an indel call.
bool is_snp_call(const std::string &ref, const std::string &alt);

// True when a true indel of `indels` starts within `wiggle_indel_snp` bases
// of pos; a negative wiggle never matches.
bool near_indel(const std::vector<edit_t> &indels, uint32_t pos,
                int wiggle_indel_snp);

// Marks every truth entry the call at pos lies within w of (its start or,
// for a deletion, its end) as seen, and returns whether the call is correct:
// the smaller signed distance to the two truth entries around it (negative
// inside a deletion) is within w.
bool match_call(std::vector<edit_t> &truth, uint32_t pos, int w);

void write_edits_report(std::ostream &os, double qual_limit,
                        const edit_counts_t &c);
