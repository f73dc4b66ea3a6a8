#pragma once
#include "aligner/search/mate_search.h"

struct tolve_params_t;
struct pen_tester;
struct bit_DNA_t;

// Tries every table position of the taken k-mer k of strand st (read `read`)
// as a start of the whole read without gaps, scoring it against the bound
// one mismatch above the best found; keeps new candidate starts in the
// strand's seen set and candidate list for the single-indel step.
void ungapped_extend(const tolve_params_t *p, int r, int st,
                     const bit_DNA_t &read, const kmer_idx_t4 &k,
                     pen_tester &pen, align_store_t &store, mate_search_t &s,
                     bool &found);

// After seeding: two candidate starts close together, with no third one
// near them, are tried as one alignment with a single insertion or
// deletion between them. Runs only when something was found and an indel
// could still beat it.
void single_indel_step(const tolve_params_t *p, int r, const mate_input_t &in,
                       pen_tester &pen, align_store_t &store, mate_search_t &s,
                       bool &found);

// The CIGAR of an ungapped alignment: the read length and "M".
void set_full_cigar(std::string &cigar, int read_len);
