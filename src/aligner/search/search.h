#pragma once
#include "aligner/search/mate_search.h"

struct tolve_params_t;
struct pen_tester;
class MT_random;

// Seeding, ungapped extension and the single-indel step for mate r, then,
// when none of them stored an acceptable alignment, the gapped phase (unless
// p->ungapped). Stores alignments in `store`; sets `found` when one within
// the mismatch allowance (or any single-indel or gapped alignment within it)
// was stored, and `too_short` when the read
// is shorter than the k-mer span or the minimum length, or holds too many
// undetermined letters to be searched. Neither flag is ever cleared here;
// a mate already marked too short is not searched.
void search_mate(const tolve_params_t *p, int r, const mate_input_t &in,
                 pen_tester &pen, align_store_t &store, MT_random &gen,
                 mate_search_t &s, bool &found, bool &too_short);
