#pragma once
#include <cstdint>
#include <string>

struct tolve_params_t;

// Step codes of an alignment path. A path holds one byte per alignment
// column and is stored end first: its last byte is the first column.
namespace path_op {
const char MATCH = 0;     // read base equals reference base
const char INSERTION = 1; // read base against a gap
const char DELETION = 2;  // reference base against a gap
const char MISMATCH = 3;  // read base differs from reference base
} // namespace path_op

// Edit summary of one alignment.
struct mm_gap_t {
  int num_mm = 0;       // mismatch columns
  int num_gap_open = 0; // insertion and deletion runs in the CIGAR
  int num_gap_ext = 0;  // sum of (run length - 1) over those runs
  int len_gap_edge = 0; // shorter aligned read end (global paths only)
};

// CIGAR letter of a path code; NUL marks an invalid code.
inline char num2cigar(char c) {
  switch (c) {
  case path_op::MATCH:
  case path_op::MISMATCH:
    return 'M';
  case path_op::INSERTION:
    return 'I';
  case path_op::DELETION:
    return 'D';
  default:
    return 0;
  }
}

// Same, with '=' and 'X' for matches and mismatches.
inline char num2cigar14(char c) {
  switch (c) {
  case path_op::MATCH:
    return '=';
  case path_op::MISMATCH:
    return 'X';
  case path_op::INSERTION:
    return 'I';
  case path_op::DELETION:
    return 'D';
  default:
    return 0;
  }
}

// CIGAR of a global path computed on a reference window starting at `pos`
// (1-based). Leading deletions move `pos` right; a short aligned read end
// next to an insertion is folded into it (reach `end_gap_dist` of p).
// Returns "" after writing "Bad Path" for an invalid code.
std::string path2cigar(const std::string &path, uint32_t &pos, int kmer_loc,
                       mm_gap_t &mm_gap, const tolve_params_t *p, bool cigar14);
// Same, writing into `cigar` so that its capacity is reused.
void path2cigar(const std::string &path, uint32_t &pos, int kmer_loc,
                mm_gap_t &mm_gap, const tolve_params_t *p, bool cigar14,
                std::string &cigar);

// CIGAR of a local path with `seq_start` read bases clipped before it and a
// read of `seq_len` bases; leaves mm_gap.len_gap_edge unchanged.
std::string path2cigar_local(const std::string &path, int seq_start,
                             int seq_len, mm_gap_t &mm_gap, bool cigar14);
void path2cigar_local(const std::string &path, int seq_start, int seq_len,
                      mm_gap_t &mm_gap, bool cigar14, std::string &cigar);
