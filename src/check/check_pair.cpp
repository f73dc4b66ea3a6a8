// check_pair: scores an aligner's SAM for simulated read pairs.
#include <algorithm>
#include <cstdint>
#include <iostream>

#include "check/check_common.h"
#include "commands.h"
#include "common/constants.h"
#include "common/number_word.h"
#include "common/strings.h"
#include "simulate/truth_name.h"

namespace {

const int FLAG_REVERSE = 0x10;
const int FLAG_FIRST = 0x40;
const int FLAG_SECOND = 0x80;
// Real pairs count as mapped only with an insert size of at most this.
const int MAX_REAL_TLEN = 500;

// Both mates' SEQ lengths, from the first line of each mate, as the min_len
// rule reads them (a SEQ of "*" counts as one base).
void mate_lengths(const aln_list_t &aln_list, int64_t &len1, int64_t &len2) {
  len1 = 0;
  len2 = 0;
  for (size_t i = 0; i < aln_list.size() && (len1 <= 0 || len2 <= 0); ++i) {
    const int flag = strTo<int>(aln_list[i][1]);
    if (flag & FLAG_FIRST)
      len1 = static_cast<int64_t>(aln_list[i][9].size());
    if (flag & FLAG_SECOND)
      len2 = static_cast<int64_t>(aln_list[i][9].size());
  }
}

// Bases a hard clip left out of SEQ; a clip too long for any read is capped
// rather than overflowing.
int64_t hard_clipped(const std::string &cigar) {
  const int64_t cap = INT32_MAX;
  int64_t total = 0, n = 0;
  for (char c : cigar) {
    if (c >= '0' && c <= '9') {
      n = std::min(cap, n * 10 + (c - '0'));
      continue;
    }
    if (c == 'H')
      total = std::min(cap, total + n);
    n = 0;
  }
  return total;
}

// Each mate's read length from the first of its lines that shows the read
// (SEQ "*" does not; a hard-clipped SEQ is only part of it); 0 when none
// does.
void read_lengths(const aln_list_t &aln_list, int64_t &len1, int64_t &len2) {
  len1 = 0;
  len2 = 0;
  for (const sam_line_t &line : aln_list) {
    if (line[9] == "*")
      continue;
    const int flag = strTo<int>(line[1]);
    const int64_t len =
        static_cast<int64_t>(line[9].size()) + hard_clipped(line[5]);
    if ((flag & FLAG_FIRST) && len1 == 0)
      len1 = len;
    if ((flag & FLAG_SECOND) && len2 == 0)
      len2 = len;
    if (len1 > 0 && len2 > 0)
      return;
  }
}

// The template length the name gives in its fourth field; 0 when there is
// no such field or it holds no length.
int64_t name_template_len(const truth_name_t &truth) {
  int64_t tlen = 0;
  if (truth.fields.size() < 4 ||
      !whole_word(truth.fields[3], 1, INT32_MAX, tlen))
    return 0;
  return tlen;
}

// A mate that aligned reverse ends at the template's end, so it starts its
// own length before it: pos1 + tlen - len. Its own length, not the name's
// read length, is what a 3'-trimmed mate still covers. False when the
// template length or the mate's length is unknown, or the sum overflows.
bool template_end_start(int64_t pos1, int64_t tlen, int64_t len,
                        int64_t &start) {
  int64_t end;
  return tlen > 0 && len > 0 && !__builtin_add_overflow(pos1, tlen, &end) &&
         !__builtin_sub_overflow(end, len, &start);
}

// Without its own length or the template's, a reverse first mate keeps the
// older estimate: pos2 moved by the difference of the two mates' lengths,
// or pos2 itself when either length is unknown.
int64_t reverse_first_fallback(const truth_name_t &truth, int64_t len1,
                               int64_t len2) {
  const int64_t pos = truth.pos_next, diff = len2 - len1;
  // A name's pos2 can be any 64-bit number; the sum must not overflow.
  if (len1 == 0 || len2 == 0 || (diff > 0 && pos > INT64_MAX - diff) ||
      (diff < 0 && pos < INT64_MIN - diff))
    return pos;
  return pos + diff;
}

// Where each mate truly starts when it aligned reverse: at the template's
// end less its own length. A mate that aligned forward starts at pos1.
// Where the length is unknown, a reverse second mate is taken at pos2.
struct reverse_starts_t {
  int64_t first = 0;  // the first mate, aligned reverse
  int64_t second = 0; // the second mate, when the first aligned forward
};

reverse_starts_t reverse_starts(const aln_list_t &aln_list,
                                const truth_name_t &truth) {
  reverse_starts_t r;
  if (!truth.sim || truth.random)
    return r;
  int64_t len1, len2;
  read_lengths(aln_list, len1, len2);
  const int64_t tlen = name_template_len(truth);
  if (!template_end_start(truth.pos, tlen, len1, r.first))
    r.first = reverse_first_fallback(truth, len1, len2);
  if (!template_end_start(truth.pos, tlen, len2, r.second))
    r.second = truth.pos_next;
  return r;
}

// Judges a first-mate line of the group: its POS and PNEXT against the two
// truths, swapped when the first mate aligned reverse. Returns false when
// the map lacks its sequence.
bool judge_first_mate(const sam_line_t &line, const truth_name_t &truth,
                      const reverse_starts_t &reverse, check_context_t &ctx,
                      bool &mapped) {
  const std::string &rname = line[2];
  const std::string &rnext = line[6] == "=" ? rname : line[6];
  if (!truth.sim || rname != truth.chr || rnext != truth.chr || truth.pos <= 0)
    return true;
  const int64_t pos = strTo<long>(line[3]);
  const int64_t pnext = strTo<long>(line[7]);
  const bool swap = !(strTo<int>(line[1]) & FLAG_REVERSE);
  const int64_t want_first = swap ? truth.pos : reverse.first;
  const int64_t want_second = swap ? reverse.second : truth.pos;
  bool mapped_first, mapped_second;
  if (ctx.map_exists) {
    const std::vector<uint32_t> *refmap = map_for(ctx, rname);
    if (!refmap)
      return false;
    mapped_first = check_wiggle_kernel(*refmap, pos, want_first, ctx.wiggle_bp);
    mapped_second =
        check_wiggle_kernel(*refmap, pnext, want_second, ctx.wiggle_bp);
  } else {
    mapped_first = within_wiggle(pos, want_first, ctx.wiggle_bp);
    mapped_second = within_wiggle(pnext, want_second, ctx.wiggle_bp);
  }
  if (mapped_first && mapped_second)
    mapped = true;
  return true;
}

void print_usage() {
  std::cerr << "Usage: " << PROG_NAME
            << " check_pair [map_file] <sam_file> <wiggle_bp> <num_pairs> \n"
            << "<min_mapq> <min_len> <prefix>\nSAM file must be sorted by "
               "read name. \n"
            << "must be all paired (I don't check for this)\n"
            << "    map_file       -- The map_file as generated by "
               "random_genome\n"
            << "    sam_file       -- The SAM file generated by aligner "
               "(should be paired)\n"
            << "    wiggle_bp      -- How close the alignment should be to be "
               "considered correct\n"
            << "    num_pairs      -- Number of pairs in original FASTQ file\n"
            << "    min_mapq       -- Count pairs with minimum MAPQ greater or "
               "equal to this\n"
            << "    min_len        -- both pairs shorter than this will be "
               "ignored\n"
            << "    output_prefix  -- Useful statistics outputted with this "
               "prefix\n"
            << "May not support all aligners, tested with BWA, Stampy, "
               "Bowtie, SOAP2\n"
            << "and Novoalign. Result written to stdout. " << std::endl;
}

} // namespace

bool check_pair_kernel(aln_list_t &aln_list, check_context_t &ctx,
                       int &num_aligned) {
  const truth_name_t truth =
      parse_pair_truth_name(cut_pair_read_name(aln_list[0][0]));
  num_aligned = 0;
  bool good_read = false, mapped = false, mapq_good = true;
  int64_t len1, len2;
  mate_lengths(aln_list, len1, len2);
  const reverse_starts_t reverse = reverse_starts(aln_list, truth);
  // A pair with both mates shorter than min_len is not examined.
  if (len1 >= ctx.min_len || len2 >= ctx.min_len) {
    for (const sam_line_t &line : aln_list) {
      if (strTo<int>(line[4]) < ctx.min_mapq)
        mapq_good = false;
      good_read = line[5].empty() || line[5][0] != '*';
      const int tlen = strTo<int>(line[8]);
      if (!truth.sim && (tlen > MAX_REAL_TLEN || tlen == 0))
        good_read = false;
      if (strTo<int>(line[1]) & FLAG_FIRST) {
        if (!judge_first_mate(line, truth, reverse, ctx, mapped)) {
          aln_list.clear();
          return false;
        }
        ++num_aligned;
      }
      if (!good_read)
        break;
    }
  }
  const bool multiply_mapped = num_aligned > 1;
  count_group(ctx.totals, good_read, mapped, multiply_mapped, mapq_good);
  if (mapq_good &&
      ((truth.sim && !mapped && !truth.random) || (!truth.sim && !good_read)))
    write_wrong_group(aln_list, *ctx.out_sam_file, *ctx.fq_file);
  aln_list.clear();
  return true;
}

int check_pair(args_t args) {
  checker_t checker;
  checker.print_usage = print_usage;
  checker.min_words = 6;
  checker.count_name = "num_pairs";
  checker.has_min_len = true;
  checker.show_lengths = false;
  checker.needs_name_order = true;
  checker.cut_pair_names = true;
  checker.kernel = check_pair_kernel;
  return run_checker(args, checker);
}
