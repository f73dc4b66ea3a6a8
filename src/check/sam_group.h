#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/line_reader.h"

// The checkers read SAM one read (or one pair) at a time: the record lines
// of one read must be adjacent, as aligners write them or as a sort by read
// name leaves them. Lines of one read that are not adjacent form separate
// groups.
using sam_line_t = std::vector<std::string>; // the TAB-separated columns
using aln_list_t = std::vector<sam_line_t>;

// Columns QNAME to QUAL; shorter record lines are skipped and counted.
const size_t SAM_MIN_COLUMNS = 11;

struct sam_grouper_t {
  line_reader_t *in = nullptr;
  // Mates are named alike up to the first blank, TAB or '/': with this set,
  // QNAME is replaced by that cut name as soon as a line is read.
  bool cut_pair_names = false;
  // With this set, an @HD line that says the file is sorted by coordinate
  // ends the reading and sets coordinate_sorted: the mates of a pair are
  // then apart, and no group can be whole.
  bool refuse_coordinate_sorted = false;
  bool coordinate_sorted = false;
  sam_line_t pending; // first line of the next group, already read
  bool has_pending = false;
  uint64_t short_lines = 0;
};

// Fills aln_list with the next group: the adjacent record lines with the
// same QNAME. Header lines ("@") and blank lines are skipped wherever they
// stand. Returns false at the end of the input, where it failed, or at a
// coordinate-sorted header that is refused.
bool next_sam_group(sam_grouper_t &g, aln_list_t &aln_list);
