#include "kernels/path_print.h"

#include <algorithm>

#include "kernels/path.h"

void print_SW_path2(std::ostream &o, const std::string &path,
                    const std::string &ref, const std::string &seq) {
  std::string marks, ref_line, read_line;
  size_t i = ref.size(), j = seq.size();
  for (size_t k = 0; k < path.size() && (i > 0 || j > 0); ++k) {
    char c = path[k];
    bool aligned = c == path_op::MATCH || c == path_op::MISMATCH;
    if (aligned && i > 0 && j > 0) {
      marks.push_back(c == path_op::MISMATCH ? '*' : ' ');
      ref_line.push_back(ref[--i]);
      read_line.push_back(seq[--j]);
    } else if (c == path_op::INSERTION && j > 0) {
      marks.push_back(' ');
      ref_line.push_back('-');
      read_line.push_back(seq[--j]);
    } else if (!aligned && c != path_op::INSERTION && i > 0) {
      marks.push_back(' ');
      ref_line.push_back(ref[--i]);
      read_line.push_back('-');
    } else {
      break; // the path asks for a letter that one text no longer has
    }
  }
  std::reverse(marks.begin(), marks.end());
  std::reverse(ref_line.begin(), ref_line.end());
  std::reverse(read_line.begin(), read_line.end());
  o << marks << '\n' << ref_line << '\n' << read_line << '\n';
}

void print_local_path(std::ostream &o, const std::string &path,
                      uint32_t ref_start, uint32_t seq_start,
                      const std::string &ref, const std::string &seq) {
  size_t rs = std::min<size_t>(ref_start, ref.size());
  size_t ss = std::min<size_t>(seq_start, seq.size());
  std::string ref_line, read_line;
  if (rs != ss || rs > 0) {
    if (rs < ss)
      ref_line.append(ss - rs, ' ');
    else
      read_line.append(rs - ss, ' ');
    ref_line.append(ref, 0, rs);
    read_line.append(seq, 0, ss);
    ref_line.push_back('|');
    read_line.push_back('|');
  }
  size_t i = rs, j = ss;
  for (size_t k = path.size(); k-- > 0;) {
    char c = path[k];
    bool uses_ref = c != path_op::INSERTION;
    bool uses_read = c == path_op::MATCH || c == path_op::MISMATCH ||
                     c == path_op::INSERTION;
    if ((uses_ref && i >= ref.size()) || (uses_read && j >= seq.size()))
      break;
    ref_line.push_back(uses_ref ? ref[i++] : '-');
    read_line.push_back(uses_read ? seq[j++] : '-');
  }
  if (i < ref.size() || j < seq.size()) {
    ref_line.push_back('|');
    read_line.push_back('|');
    ref_line.append(ref, i, std::string::npos);
    read_line.append(seq, j, std::string::npos);
  }
  o << ref_line << '\n' << read_line << '\n';
}

void write_sam_aln(std::ostream &o, const std::string &read_name, uint16_t flag,
                   const std::string &chr_name, uint32_t chr_loc,
                   uint8_t MAPQ) {
  o << read_name << '\t' << flag << '\t' << chr_name << '\t' << chr_loc << '\t'
    << unsigned(MAPQ) << '\n';
}
