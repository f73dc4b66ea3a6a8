#pragma once
#include <cstdint>
#include <emmintrin.h>

#include "common/bit_dna.h"

// Lanes of one SSE2 vector: the read positions of one strip.
const int VSW_LANES = 8;
// Pad bytes on each side of a window or read buffer.
const int VSW_PAD = VSW_LANES - 1;
// Window code of a blocked position: no column of a global alignment may
// use it.
const int8_t VSW_BLOCKED = -2;

// Score-only alignment of a read against genome windows with SSE2 vectors
// of eight signed 16-bit lanes, used to screen many windows before the
// exact aligners of sw_nw run on the survivors.
//
// The read is processed in strips of eight consecutive read positions, one
// per lane; each strip walks the window as an anti-diagonal wavefront (at
// step t lane k holds read position 8s + k and window position t - k) and
// hands its last row to the next strip through nogap / b_gap.
//
// Buffers: a window buffer holds 7 pad bytes, the window codes, 7 pad
// bytes; a read buffer holds 7 pad bytes of -2, the codes, 7 pad bytes of
// -2. Pad codes never equal a base code. In the global kernel a window
// code of -2 is blocked: no alignment column may use that position.
//
// One object per mate per worker thread. sw_vector_setup keeps its buffers
// between reads and only grows them, so setting up each read allocates
// nothing once the largest sizes have been seen; clear() gives the memory
// back and leaves the object not set up.
struct vector_sw {
  int8_t *db = nullptr;      // window buffer, dblen + 14 bytes
  int8_t *qr = nullptr;      // first read orientation, qrlen + 14 bytes
  int8_t *qr_comp = nullptr; // second read orientation
  int dblen = 0;
  int qrlen = 0;
  int16_t *nogap = nullptr; // H of the previous strip's last row
  int16_t *b_gap = nullptr; // its read-direction gap value F
  int16_t *wrev = nullptr;  // the window buffer reversed, 16 bits a code
  int a_gap_open = 0, a_gap_ext = 0; // window base against a gap
  int b_gap_open = 0, b_gap_ext = 0; // read base against a gap
  int match = 0;
  int mismatch = 0; // stored negated

  bool set_up = false; // the wrappers answer -1 until a read is loaded
  int db_cap = 0;      // bytes of the window buffer
  int qr_cap = 0;      // bytes of each read buffer
  int rows_cap = 0;    // entries of each row array and of wrev
  int strips_done = 0; // strips the last kernel call computed

  vector_sw() = default;
  ~vector_sw();
  vector_sw(const vector_sw &) = delete;
  vector_sw &operator=(const vector_sw &) = delete;

  // mismatch is given as a positive penalty.
  void setup_penalty(int a_gap_open, int a_gap_ext, int b_gap_open,
                     int b_gap_ext, int match, int mismatch);

  // Windows of db_len bases; read1 and read2 are the two orientations.
  // Returns false (not set up) when their lengths differ.
  bool sw_vector_setup(int db_len, const bit_DNA_t &read1,
                       const bit_DNA_t &read2);

  void clear();

  // Best local score of orientation `strand` (true: second) against the
  // dblen genome bases from loc (1-based); -1 when not set up. Window bases
  // off the genome are pads that match nothing.
  int get_sw_score(const bit_DNA_t &genome, uint32_t loc, bool strand);

  // Smallest penalty of the whole read against any part of the window, or
  // -1 above max_pen or when not set up. Window bases off the genome are
  // blocked.
  int get_nw_score(const bit_DNA_t &genome, uint32_t loc, bool strand,
                   int max_pen);

  // seqA: padded window buffer (codes from index 7, lena + 14 bytes);
  // seqB: first read code, with 7 readable bytes after the read. Match
  // +match, mismatch +mismatch (negative), a gap of L bases
  // -(open + L ext). Returns the best score, >= 0.
  int vect_sw_diff_gap(const int8_t *seqA, int lena, const int8_t *seqB,
                       int lenb);

  // Penalty model of the global aligner (mismatch -mismatch + match, gap
  // open + L ext, plus L match for read bases against a gap); leading and
  // trailing window bases are free, read bases are not. Returns the
  // smallest penalty, or -1 when it is above min_diff (giving up after any
  // strip whose row minimum is already above it) or no alignment fits.
  int vect_nw_diff_gap(const int8_t *seqA, int lena, const int8_t *seqB,
                       int lenb, int min_diff);

  // Grows the row arrays for a window of lena bases.
  void ensure_rows(int lena);
  void reverse_window(const int8_t *seqA, int lena);

  // Row arrays are read eight entries at a time past their last entry.
  static const int ROW_SLACK = 8;
};

namespace vector_lane {
// Lane access with a lane number known only at run time (0 to 7). Any other
// lane is a program fault: message and exit status 1 through fatal_exit,
// as any error raised on a worker.
__m128i _mm_insert_epi16_2(__m128i a, int16_t b, int imm);
int16_t _mm_extract_epi16_2(__m128i a, int imm);
} // namespace vector_lane
