// affine_nw: runs the banded affine global aligner (with each anchoring)
// and the single-indel aligner on two sequences given on the command line.
#include <algorithm>
#include <climits>
#include <iostream>
#include <string>

#include "commands.h"
#include "common/constants.h"
#include "common/std_out.h"
#include "kernels/kernel_probe.h"
#include "kernels/path.h"
#include "kernels/path_print.h"
#include "kernels/single_indel.h"
#include "kernels/sw_nw.h"

namespace {

const size_t AFFINE_NW_ARGS = 8;

void affine_nw_usage() {
  std::cerr
      << "Usage: " << PROG_NAME
      << " affine_nw <ref_seq> <read_seq> <band> <mat> <mm> <gap> <extend> "
         "<end_len>\n"
      << "    ref_seq     -- Reference sequence\n"
      << "    read_seq    -- Read sequence\n"
      << "    band        -- Maximum gap allowable in either read or "
         "reference\n"
      << "                    (Larger gaps may be found, but not guaranteed)\n"
      << "\n"
      << "    mat         -- Match score\n"
      << "    mm          -- Mismatch penalty\n"
      << "    gap         -- Gap open penalty\n"
      << "    extend      -- Gap extension penalty\n"
      << "    end_len     -- Penalize extensions on the end (this far) like "
         "mismatches\n"
      << "Affine gap penalty Needleman-Wunsch, same algorithm used internally"
      << std::endl;
}

int affine_nw_run(const args_t &args) {
  inspect_input_t in;
  if (!prepare_probe(in, args))
    return 3;
  const char *titles[4] = {"No Anchor", "Left Anchor", "Right Anchor",
                           "Both Anchor"};
  int open = wrap((long long)(in.gap) + in.extend);
  std::string path;
  for (int i = 0; i < 4; ++i) {
    std::cout << titles[i] << "\n";
    int p = ro_affine(path, in.ref, in.seq, i == 1 || i == 3, i >= 2, in.band,
                      in.mat, in.mm, open, in.extend, in.max_pen, in.end_len);
    std::cout << "Score = " << p << "\n";
    print_SW_path2(std::cout, path, in.ref, in.seq);
  }
  const int status = finish_stdout();
  std::cerr << "line_bit.size()" << in.read_bit.size() << "\n";
  std::cerr << "genome.size()" << in.ref_bit.size() << "\n";
  // The single-indel kernel adds match and mismatch in int; half the range
  // each keeps that sum defined and changes nothing but absurd settings.
  int mat = std::clamp(in.mat, INT_MIN / 2, INT_MAX / 2);
  int mm = std::clamp(in.mm, INT_MIN / 2, INT_MAX / 2);
  uint32_t n = uint32_t(in.read_bit.size());
  for (uint32_t i = 0; i < 4; ++i) {
    uint32_t start = 4 + i, end = n + 1 + i;
    std::string cigar;
    mm_gap_t mm_gap;
    int diff = ordered_align(in.read_bit, in.ref_bit, start, end, -2, cigar,
                             mm_gap, 500, mat, mm, open, in.extend);
    std::cerr << "start_pos:  " << start << "\n";
    std::cerr << "end_pos:  " << end << "\n";
    std::cerr << "diff:       " << diff << "\n";
    std::cerr << "cigar:      " << cigar << "\n";
  }
  std::cerr << std::flush;
  return status;
}

} // namespace

int affine_nw(args_t args) {
  return run_probe(args, AFFINE_NW_ARGS, affine_nw_usage, affine_nw_run);
}
