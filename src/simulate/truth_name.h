#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Truth read names: the simulators write where each read came from into its
// name, and the checkers read it back from the QNAME column of any aligner's
// SAM. Fields are separated by ';'; pair names end in "/<mate>".
//
//   single:        n;chr:pos;k;d
//   single random: n;*:*;*
//   pair:          n;chr:pos1;pos2;tlen;d/e
//   pair random:   n;*:*;*;tlen;d/e

std::string format_single_truth_name(int64_t num, const std::string &chr,
                                     int64_t pos, int32_t num_mismatch,
                                     int direction);
std::string format_single_random_truth_name(int64_t num);
std::string format_pair_truth_name(int64_t num, const std::string &chr,
                                   uint32_t pos1, uint32_t pos2,
                                   int32_t template_len, int direction,
                                   int mate);
std::string format_pair_random_truth_name(int64_t num, int32_t template_len,
                                          int direction, int mate);

// What a checker learns from a name. A name with too few fields is a real
// read (`sim` false); a random read has `random` set, chr "*" and positions
// 0, and can never be placed correctly.
struct truth_name_t {
  std::vector<std::string> fields; // the ';'-separated fields, in order
  bool sim = false;
  bool random = false;
  std::string chr;      // field 2 before its last ':' (whole field if none)
  int64_t pos = 0;      // field 2 after its last ':'
  int64_t pos_next = 0; // pair names only: field 3, start of the last read
};

// Single names count as simulated with at least 2 fields.
truth_name_t parse_single_truth_name(const std::string &name);
// Pair names count as simulated with at least 3 fields; field 3 is read too.
truth_name_t parse_pair_truth_name(const std::string &name);

// Mates share a name up to the first blank, TAB or '/'; that cut name is
// what groups the lines of one pair.
std::string cut_pair_read_name(const std::string &qname);
