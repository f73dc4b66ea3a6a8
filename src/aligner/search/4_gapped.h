#pragma once
#include <cstdint>

#include "aligner/search/mate_search.h"

struct tolve_params_t;
struct pen_tester;
class MT_random;

namespace gapped {
const int CYCLE_BUDGET = 25; // cycles a mate may run once found is set
} // namespace gapped

// Window sizes of one mate's gapped search, also those of the mate rescue's
// aligners.
struct gapped_windows_t {
  int extra = 0;  // bases screened on each side of a candidate's read span
  int db_len = 0; // screened window: read + 2 extra
  int nw_len = 0; // aligned window: WINDOW_PAD more bases on each side
};

// Sizes for a read of read_len bases with the extension allowance of mate
// r (max_ext times its gap openings, capped by MAX_EXTRA_REACH).
gapped_windows_t gapped_window_sizes(const pen_tester &pen, int r,
                                     int read_len);

// True when mate r goes through the gapped phase: some k-mer was taken
// while seeding, the read is searchable, nothing acceptable was found and
// gaps are allowed.
bool needs_gapped_phase(const tolve_params_t *p, const mate_search_t &s,
                        bool found, bool too_short);

// The gapped phase of mate r: walks its k-mers again with the gapped
// occurrence limits, screens every new candidate window with the vector
// aligner (each call counted in s.num_sw), and aligns the windows that pass
// cheapest first, storing the alignments in `store`. Does nothing unless
// needs_gapped_phase holds.
void gapped_phase(const tolve_params_t *p, int r, const mate_input_t &in,
                  pen_tester &pen, align_store_t &store, MT_random &gen,
                  mate_search_t &s, bool &found, bool too_short);

// Screens every table position of the taken k-mer k of strand st and
// queues the windows whose penalty stays within the gapped bound.
void gapped_align(const tolve_params_t *p, int r, int st, const kmer_idx_t4 &k,
                  const gapped_windows_t &win, pen_tester &pen,
                  mate_search_t &s);
