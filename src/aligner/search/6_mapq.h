#pragma once
#include <vector>

struct align_loc_t;
struct tolve_params_t;
class MT_random;

// The mapping-quality model shared by single reads and mates.
namespace mapq_const {
// A unique alignment with competitors gets BASE - LOG_SCALE * ln(x), x the
// competitors weighted by how thinly the k-mers support the read; BASE is
// BASE_CLEAR when the competitors lie clearly behind, else BASE_CLOSE.
const double LOG_SCALE = 4.5;
const double BASE_CLEAR = 40.0;
const double BASE_CLOSE = 20.0;
// A unique alignment without competitors: fixed qualities by its edits and
// k-mer coverage.
const int LONG_GAP_AT_LIMIT = 5; // long gap extension, edits at the limit
const int LONG_GAP = 20;         // gap extension above half the allowance
const int AT_LIMIT = 25;         // edits at the mismatch allowance
const int WELL_COVERED = 40;     // k-mers cover the read well
const int COVERED = 37;          // otherwise
// "Well covered": more than this many bases under k-mers taken ...
const int WELL_COVERED_XL = 35;
// ... and at most this many more under k-mers given up as too frequent.
const int WELL_COVERED_XR = 24;
} // namespace mapq_const

// Quality values of a single-end read's reported alignment.
struct se_quality_t {
  int mapq = 0;
  int xl = 0; // read bases covered by the k-mers taken in the search
  int xr = 0; // further bases covered by k-mers given up as too frequent
  int xd = 0; // mismatch distance to the second tier
};

// Index in the best tier of the alignment to report: a uniform pick among
// h0 ties with the thread's generator (no draw when h0 is 1).
int pick_best(int h0, MT_random &gen);

// Coverage factor of a unique alignment that has second-tier hits: grows
// when few k-mers support the read. Returns a value <= 0 when the coverage
// term cannot be formed (every base covered by too-frequent k-mers).
double calc_mult(int edits, int xl, int xr, int xd, int read_len,
                 int kmer_size);

// Mapping quality of a unique alignment (mm + gap opens = `edits`,
// `gap_ext` extension bases) from the second-tier size h1 and the coverage
// values; max_count_mm and max_ext are the read's allowances.
int calc_mapq(int edits, int gap_ext, int h1, int xl, int xr, int xd,
              int read_len, int kmer_size, int max_count_mm, int max_ext);

// Everything the record of a single-end read needs: for h0 >= 2 all zero,
// otherwise the coverage (from the taken and too-frequent k-mer offsets of
// the best alignment's strand, both sorted here), XD against `second` (may
// be null) and the mapping quality.
se_quality_t single_quality(const align_loc_t &best, const align_loc_t *second,
                            int h0, int h1, std::vector<int> &taken,
                            std::vector<int> &too_frequent, int read_len,
                            int max_count_mm, int max_ext,
                            const tolve_params_t *p);
