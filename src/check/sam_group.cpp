#include "check/sam_group.h"

#include "common/strings.h"
#include "simulate/truth_name.h"

namespace {

// An @HD line whose sort order is "coordinate".
bool says_coordinate_sorted(const std::string &text) {
  if (text.compare(0, 4, "@HD\t") != 0)
    return false;
  for (const std::string &field : split(text, '\t'))
    if (field == "SO:coordinate")
      return true;
  return false;
}

bool read_record(sam_grouper_t &g, sam_line_t &line) {
  std::string text;
  while (next_line(*g.in, text)) {
    trim2(text);
    if (g.refuse_coordinate_sorted && says_coordinate_sorted(text)) {
      g.coordinate_sorted = true;
      return false;
    }
    if (text.empty() || text[0] == '@')
      continue;
    line = split(text, '\t');
    if (line.size() < SAM_MIN_COLUMNS) {
      ++g.short_lines;
      continue;
    }
    if (g.cut_pair_names)
      line[0] = cut_pair_read_name(line[0]);
    return true;
  }
  return false;
}

} // namespace

bool next_sam_group(sam_grouper_t &g, aln_list_t &aln_list) {
  aln_list.clear();
  if (!g.has_pending && !read_record(g, g.pending))
    return false;
  aln_list.push_back(std::move(g.pending));
  g.has_pending = false;
  sam_line_t line;
  while (read_record(g, line)) {
    if (line[0] != aln_list[0][0]) {
      g.pending = std::move(line);
      g.has_pending = true;
      break;
    }
    aln_list.push_back(std::move(line));
  }
  return true;
}
