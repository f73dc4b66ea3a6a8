// all_sw: runs the global, local and mismatch-only kernels on two sequences
// given on the command line and prints penalties, paths and CIGARs.
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

const size_t ALL_SW_ARGS = 12;

void all_sw_usage() {
  std::cerr
      << "Usage: " << PROG_NAME
      << " all_sw <ref_seq> <read_seq> <band> <mat> <mm> <gap> <extend> "
         "<m_sw> <mm_sw> <gap_sw> <extend_sw> <end_len>\n"
      << "    ref_seq     -- Reference sequence\n"
      << "    read_seq    -- Read sequence\n"
      << "    band        -- Maximum gap allowable in either read or "
         "reference\n"
      << "                    (Larger gaps may be found, but not guaranteed)\n"
      << "\n"
      << "    mat         -- Match score (Needleman-Wunsch)\n"
      << "    mm          -- Mismatch penalty (Needleman-Wunsch)\n"
      << "    gap         -- Gap open penalty (Needleman-Wunsch)\n"
      << "    extend      -- Gap extension penalty (Needleman-Wunsch)\n"
      << "\n"
      << "    m_sw        -- Match score (Smith-Waterman)\n"
      << "    mm_sw       -- Mismatch penalty (Smith-Waterman)\n"
      << "    gap_sw      -- Gap penalty (Smith-Waterman)\n"
      << "    extend_sw   -- Gap extension penalty (Smith-Waterman)\n"
      << "\n"
      << "    end_len     -- Penalize extensions on the end (this far) like "
         "mismatches\n"
      << "Run both Smith-Waterman (Local), Needleman-Wunsch (global) "
         "alignments\n"
      << "and ungapped alignment to evaluate penalty scores." << std::endl;
}

void print_path_bytes(const std::string &path) {
  std::cout << "Path: ";
  for (char c : path)
    std::cout << int(c);
  std::cout << "\n";
}

void global_sections(const inspect_input_t &in) {
  std::string path;
  int first = wrap(2LL * in.gap);
  int open = wrap((long long)(in.gap) + in.extend);
  std::cout << "Non-affine, ends-free (on reference) Needleman-Wunsch\n";
  int p = ro_affine(path, in.ref, in.seq, false, false, in.band, in.mat, in.mm,
                    first, in.gap, in.max_pen, in.end_len);
  std::cout << "Penalty = " << p << "\n";
  print_SW_path2(std::cout, path, in.ref, in.seq);

  std::cout << "Affine, ends-free (on reference) Needleman-Wunsch\n";
  p = ro_affine(path, in.ref, in.seq, false, false, in.band, in.mat, in.mm,
                open, in.extend, in.max_pen, in.end_len);
  std::cout << "Penalty = " << p << "\n";
  print_path_bytes(path);
  print_SW_path2(std::cout, path, in.ref, in.seq);

  std::cout << "Broken Affine, ends-free (on reference) Needleman-Wunsch\n";
  sw_nw aligner;
  aligner.setup_penalties(in.mat, in.mm, open, in.extend, in.sw[0], in.sw[1],
                          in.sw[2], in.sw[3]);
  aligner.setup_read_reference(in.read_bit, in.read_bit, int(in.ref.size()),
                               in.band);
  uint32_t start = 1;
  p = aligner.nw_path(path, in.ref_bit, start, 0, false, false, 65536,
                      in.end_len);
  std::cout << "Penalty = " << p << "\n";
  print_path_bytes(path);
  print_SW_path2(std::cout, path, in.ref, in.seq);
}

void local_section(const inspect_input_t &in) {
  std::string path;
  uint32_t ref_start = 0, seq_start = 0;
  std::cout << "Affine, Smith-Waterman\n";
  int score = ro_affine_sw(path, ref_start, seq_start, in.ref, in.seq, in.band,
                           in.sw[0], in.sw[1], in.sw[2], in.sw[3]);
  std::cout << "Score = " << score << "\n";
  mm_gap_t mm_gap;
  std::string cigar =
      path2cigar_local(path, int(seq_start), int(in.seq.size()), mm_gap, true);
  std::cout << "Cigar: " << cigar << "\n";
  std::cout << "Mismatch:   " << mm_gap.num_mm << "\n";
  std::cout << "Gap open:   " << mm_gap.num_gap_open << "\n";
  std::cout << "Gap extend: " << mm_gap.num_gap_ext << "\n";
  print_local_path(std::cout, path, ref_start, seq_start, in.ref, in.seq);
}

void mismatch_section(const inspect_input_t &in) {
  std::cout << "Mismatch only alignment\n";
  std::cerr << "Start alignment" << std::endl;
  uint32_t loc = 1;
  uint32_t end = uint32_t(in.ref.size() - in.seq.size());
  int count =
      mm_align_bit(in.read_bit, in.ref_bit, loc, end, int(in.seq.size()));
  std::cout << "Mismatch: " << count << "\n";
  std::cout << in.ref << "\n";
  std::cout << std::string(loc - 1, ' ') << in.seq << "\n";
}

int all_sw_run(const args_t &args) {
  inspect_input_t in;
  if (!prepare_probe(in, args))
    return 3;
  global_sections(in);
  local_section(in);
  if (in.seq.size() < in.ref.size())
    mismatch_section(in);
  return finish_stdout();
}

} // namespace

int all_sw(args_t args) {
  return run_probe(args, ALL_SW_ARGS, all_sw_usage, all_sw_run);
}
