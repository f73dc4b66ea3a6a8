#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/bit_dna.h"

// Exact alignment of one read (both orientations) against genome windows,
// with traceback:
//  - nw_path: banded three-state affine alignment, global on the read and
//    free at each window end that is not anchored, giving a global path
//    (see kernels/path.h) and its penalty;
//  - sw_path: banded affine local alignment giving a local path.
//
// Penalties of the global aligner (lower is better): match 0, mismatch
// s + m, insertion run m + g then m + e per further base, deletion run g
// then e per further base. Within end_len rows of an unanchored read end a
// gap extension costs s instead of e.
//
// Scores of the local aligner (higher is better): match +m, mismatch -s,
// a gap of L bases -(g + (L - 1) e).
//
// Band: only cells with len_lower <= r - c <= band are computed, where
// len_lower = read_len - window length - band. The end cell of the global
// alignment must be inside, so band >= 0 and read_len - window <= band;
// otherwise nw_path reports no alignment.
//
// One object per mate per worker thread. setup_read_reference sizes the
// buffers for a read length and window length and keeps them: setting up
// the next read of equal or smaller size allocates nothing, so there is no
// need to call clear() between reads (clear() gives the memory back).

// Work area of the global aligner. Of the matrix it keeps two rows of the
// three states' penalties and, for every cell of the band, one byte naming
// each state's predecessor state, for the traceback. The states:
//   0 A: read base r on window base c (predecessor cell r-1, c-1)
//   1 B: read base r against a gap   (predecessor cell r-1, c)
//   2 C: window base c against a gap (predecessor cell r, c-1)
struct nw_work_t {
  std::vector<uint32_t> rows;
  std::vector<uint8_t> steps;
  std::vector<int8_t> window; // the window, with room for a vector's reach
};

// Sizes a work area for reads of R bases against windows of L bases with
// the given band; it only grows.
void nw_work_reserve(nw_work_t &w, long R, long L, long band);

// One cell of the local matrix: 0 best score ending here, 1 best ending with
// a read base against a gap, 2 best ending with a window base against a gap.
struct ABC_sw_t {
  int16_t val[3];
};

namespace nw_const {
// Stored unshifted: reads as penalty 249999999 with predecessor bits 3.
const uint32_t INF_RAW = 999999999;
// Result of nw_path for window position 0.
const int BAD_START = 99999999;
// Local scores below every real one.
const int SW_MINUS_INF = -9999;
// Largest matrix an aligner is set up for, in cells of (read_len + 1) x
// (ref_len + 1). The matrix grows with the square of the read length (a
// 20 kb read would need several GB); the local matrix, its step codes and
// the global aligner's predecessors take about 8 bytes a cell, so this
// bound keeps one aligner near 130 MiB and one window's alignment time in
// step. Under the default allowances reads of up to 3,324 bases
// fit (2,524 with the widest window reach); longer reads skip the aligners
// that need the matrix.
const int64_t MAX_MATRIX_CELLS = int64_t(1) << 24;
} // namespace nw_const

// Whether the matrices for a read of read_len bases and windows of ref_len
// bases stay within MAX_MATRIX_CELLS.
bool matrix_fits(int read_len, int ref_len);

// Ends the process (status 1, through fatal_exit) when the two orientations
// given to setup_read_reference or sw_vector_setup differ in length.
[[noreturn]] void read_length_mismatch();

struct sw_nw {
  int8_t *reads[2] = {nullptr, nullptr}; // base codes, read_len each
  int read_len = 0;
  int ref_len = 0;            // window length
  nw_work_t nw_work;          // of the global aligner
  ABC_sw_t *ABC_sw = nullptr; // (read_len + 1) x (ref_len + 1), row-major
  char *P_sw = nullptr;       // read_len x ref_len local step codes
  int nw_m = 0, nw_s = 0, nw_g = 0, nw_e = 0;
  int sw_m = 0, sw_s = 0, sw_g = 0, sw_e = 0;
  int band = 0;

  // Storage kept across reads.
  int8_t *window = nullptr; // codes of the current window; -1 off the genome
  size_t cells_cap = 0;     // cells in ABC_sw
  size_t steps_cap = 0;     // bytes in P_sw
  int reads_cap = 0;
  int window_cap = 0;

  sw_nw() = default;
  ~sw_nw();
  sw_nw(const sw_nw &) = delete;
  sw_nw &operator=(const sw_nw &) = delete;

  void setup_penalties(int nw_m, int nw_s, int nw_g, int nw_e, int sw_m,
                       int sw_s, int sw_g, int sw_e);

  // Loads the two orientations of a read and sizes the matrices for
  // windows of ref_len bases. Returns false, changing nothing, when the
  // two lengths differ; the caller then calls read_length_mismatch.
  bool setup_read_reference(const bit_DNA_t &read1, const bit_DNA_t &read2,
                            int ref_len, int band);

  // Releases every buffer.
  void clear();

  // Global alignment of orientation which_pair (0 or 1) against the
  // ref_len genome bases from start_loc (1-based). Window bases past the
  // genome's end are blocked: no read base is placed on them. Returns the
  // penalty with the path in output; -1 with an empty output when a row's
  // minimum passes max_diff or no alignment exists (including a read that
  // is not set up); BAD_START with a message for start_loc 0.
  int nw_path(std::string &output, const bit_DNA_t &ref, uint32_t &start_loc,
              int which_pair, bool left_anchor, bool right_anchor,
              uint32_t max_diff, int end_len);

  // Local alignment of orientation which_pair against the ref_len genome
  // bases from ref_start. Returns the best score (0 and an empty path when
  // nothing scores above 0). ref_start becomes the genome position of the
  // first aligned base, seq_start the number of read bases before the
  // aligned part and seq_end the 1-based read position of its last base.
  int sw_path(std::string &output, uint32_t &ref_start, uint32_t &seq_start,
              uint32_t &seq_end, int which_pair, const bit_DNA_t &ref);
};

// The global alignment on texts: the read seq against all of ref (bytes
// compared exactly), penalties m, s, g = d, e = e. Allocates its own matrix.
int ro_affine(std::string &output, const std::string &ref,
              const std::string &seq, bool left_anchor, bool right_anchor,
              int band, int m, int s, int d, int e, uint32_t max_diff,
              int end_len);

// The same on packed sequences (2-bit codes compared).
int ro_affine_bit(std::string &output, const bit_DNA_t &ref,
                  const bit_DNA_t &seq, bool left_anchor, bool right_anchor,
                  int band, int m, int s, int d, int e, uint32_t max_diff,
                  int end_len);

// The local alignment on texts (letters compared without regard to case;
// a tie between the diagonal and a window-base gap keeps the diagonal).
// ref_start and seq_start receive the number of window and read characters
// before the aligned part. Returns the best score.
int ro_affine_sw(std::string &output, uint32_t &ref_start, uint32_t &seq_start,
                 const std::string &ref, const std::string &seq, int band,
                 int m, int s, int d, int e);
