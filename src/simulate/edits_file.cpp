#include "simulate/edits_file.h"

#include "common/strings.h"

void write_snp_line(std::ostream &os, const std::string &name, uint32_t ref_pos,
                    char ref_base, char new_base) {
  os << name << '\t' << ref_pos << "\tSNP\t" << ref_base << '\t' << new_base
     << '\n';
}

void write_del_line(std::ostream &os, const std::string &name, uint32_t ref_pos,
                    const std::string &deleted, uint64_t gap_len) {
  os << name << '\t' << ref_pos << "\tDEL\t" << deleted << '\t' << gap_len
     << '\n';
}

void write_ins_line(std::ostream &os, const std::string &name, uint32_t ref_pos,
                    uint64_t gap_len, const std::string &inserted) {
  os << name << '\t' << ref_pos << "\tINS\t" << gap_len << '\t' << inserted
     << '\n';
}

uint64_t load_edits(line_reader_t &in, edits_dict_t &edits_dict_snp,
                    edits_dict_t &edits_dict_indel) {
  uint64_t skipped = 0;
  std::string line;
  while (next_line(in, line)) {
    trim2(line);
    if (line.empty())
      continue;
    const std::vector<std::string> words = split(line);
    // Name, position and type are always read; a deletion's length too.
    const bool is_del = words.size() >= 3 && words[2] == "DEL";
    if (words.size() < 3 || (is_del && words.size() < 5)) {
      ++skipped;
      continue;
    }
    edit_t e;
    e.loc = strTo<unsigned int>(words[1]);
    e.line = line;
    if (words[2] == "SNP") {
      edits_dict_snp[words[0]].push_back(e);
      continue;
    }
    if (is_del)
      e.indel_len = strTo<int>(words[4]);
    edits_dict_indel[words[0]].push_back(e);
  }
  return skipped;
}
