#pragma once
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "common/line_reader.h"

// The edits file: one TAB-separated line per true event of a mutated genome,
//   name  ref_pos  SNP  ref_base  new_base
//   name  ref_pos  DEL  deleted_bases  gap_len
//   name  ref_pos  INS  gap_len  inserted_bases
// in ascending position per sequence, sequences in name order.

void write_snp_line(std::ostream &os, const std::string &name, uint32_t ref_pos,
                    char ref_base, char new_base);
void write_del_line(std::ostream &os, const std::string &name, uint32_t ref_pos,
                    const std::string &deleted, uint64_t gap_len);
void write_ins_line(std::ostream &os, const std::string &name, uint32_t ref_pos,
                    uint64_t gap_len, const std::string &inserted);

// One true event as the variant-call checker holds it; ordered by position
// alone for its binary searches.
struct edit_t {
  uint32_t loc = 0;
  bool seen = false;
  std::string line;
  int indel_len = 0; // deletion length; 0 for insertions and substitutions
  bool operator<(const edit_t &o) const { return loc < o.loc; }
};

using edits_dict_t = std::map<std::string, std::vector<edit_t>>;

// Loads substitutions into snp and every other event into indel, each
// sequence's events in file order. Lines with fewer words than their type
// needs are skipped; returns how many. Reading stops where `in` fails.
uint64_t load_edits(line_reader_t &in, edits_dict_t &edits_dict_snp,
                    edits_dict_t &edits_dict_indel);
