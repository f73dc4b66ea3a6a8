#include "kernels/path.h"

#include <cstdint>
#include <iostream>

#include "aligner/setup/params.h"

namespace {

void append_int(std::string &s, long v) {
  char buf[24];
  int n = 0;
  bool neg = v < 0;
  unsigned long u =
      neg ? 0UL - static_cast<unsigned long>(v) : static_cast<unsigned long>(v);
  do {
    buf[n++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  if (neg)
    s.push_back('-');
  while (n)
    s.push_back(buf[--n]);
}

void report_bad_path(const std::string &path) {
  std::cerr << "Bad Path\n" << path << "\n";
}

bool is_gap(char c) {
  return c == path_op::INSERTION || c == path_op::DELETION;
}

bool is_aligned(char c) {
  return c == path_op::MATCH || c == path_op::MISMATCH;
}

// Matches and mismatches share one 'M' run unless '='/'X' are wanted.
bool continues_run(char run, char c, bool cigar14) {
  if (!cigar14 && is_aligned(run))
    return is_aligned(c);
  return c == run;
}

// Appends one run; false for an invalid code. Gap runs add to the counts.
bool emit_run(std::string &cigar, char run, int len, bool cigar14,
              mm_gap_t &mm_gap) {
  char letter = cigar14 ? num2cigar14(run) : num2cigar(run);
  if (!letter)
    return false;
  append_int(cigar, len);
  cigar.push_back(letter);
  if (is_gap(run)) {
    mm_gap.num_gap_open++;
    mm_gap.num_gap_ext += len - 1;
  }
  return true;
}

// Aligned columns at the two read ends: before the first gap and after the
// last emitted one.
struct edge_counts_t {
  int start_len = 0;
  int start_mm = 0;
  int end_len = 0;
  int end_mm = 0;
};

bool is_run_letter(char c, bool with_d) {
  return c == 'M' || c == '=' || c == 'X' || (with_d && c == 'D');
}

long parse_digits(const std::string &s, size_t from, size_t to) {
  long n = 0;
  for (size_t i = from; i < to; i++)
    n = n * 10 + (s[i] - '0');
  return n;
}

// Where the length of the insertion at `gap` begins: just after the run
// letter before it. False when the nearest gap is missing or a deletion,
// which is never folded.
bool insertion_digits(const std::string &cigar, size_t gap, bool with_d,
                      size_t &from) {
  if (gap == std::string::npos || cigar[gap] != 'I')
    return false;
  from = gap;
  while (from > 0 && !is_run_letter(cigar[from - 1], with_d))
    from--;
  return true;
}

// A short start edge in front of an insertion becomes part of it.
void fold_start_edge(std::string &cigar, const edge_counts_t &e,
                     mm_gap_t &mm_gap, uint32_t &pos) {
  const size_t gap = cigar.find_first_of("ID");
  size_t from = 0;
  if (!insertion_digits(cigar, gap, false, from))
    return;
  std::string len; // a few digits: kept in the string itself
  append_int(len, parse_digits(cigar, from, gap) + e.start_len);
  cigar.replace(0, gap, len);
  mm_gap.num_gap_ext += e.start_len;
  mm_gap.num_mm -= e.start_mm;
  pos += e.start_len;
}

// A short end edge behind an insertion becomes part of it.
void fold_end_edge(std::string &cigar, const edge_counts_t &e,
                   mm_gap_t &mm_gap) {
  const size_t gap = cigar.find_last_of("ID");
  size_t from = 0;
  if (!insertion_digits(cigar, gap, true, from))
    return;
  const long n = parse_digits(cigar, from, gap);
  cigar.resize(from);
  append_int(cigar, n + e.end_len);
  cigar.push_back('I');
  mm_gap.num_gap_ext += e.end_len;
  mm_gap.num_mm -= e.end_mm;
}

// Only the shorter aligned end is examined; ties look at the end edge.
void fold_edges(std::string &cigar, const edge_counts_t &e, mm_gap_t &mm_gap,
                uint32_t &pos, long reach) {
  bool start_side = e.end_len > e.start_len;
  int len = start_side ? e.start_len : e.end_len;
  int mm = start_side ? e.start_mm : e.end_mm;
  mm_gap.len_gap_edge = len;
  if (len <= 0 || !(len <= reach || (mm >= 3 && len <= 2 * reach)))
    return;
  if (start_side)
    fold_start_edge(cigar, e, mm_gap, pos);
  else
    fold_end_edge(cigar, e, mm_gap);
}

} // namespace

void path2cigar(const std::string &path, uint32_t &pos, int kmer_loc,
                mm_gap_t &mm_gap, const tolve_params_t *p, bool cigar14,
                std::string &cigar) {
  mm_gap = mm_gap_t();
  cigar.clear();
  if (path.empty()) {
    cigar = "0M";
    return;
  }
  char run = path.back();
  int run_len = 0;
  bool leading = run == path_op::DELETION;
  bool gap_seen = false;
  edge_counts_t edge;
  long column = 0;
  for (size_t i = path.size(); i-- > 0; column++) {
    char c = path[i];
    bool in_lead = leading && c == path_op::DELETION;
    if (in_lead) {
      if (kmer_loc == -1)
        pos++;
    } else if (column < kmer_loc) {
      if (c == path_op::INSERTION)
        pos++;
      else if (c == path_op::DELETION)
        pos--;
    }
    if (c == path_op::MISMATCH)
      mm_gap.num_mm++;
    if (continues_run(run, c, cigar14)) {
      run_len++;
    } else {
      if (!leading) {
        if (!emit_run(cigar, run, run_len, cigar14, mm_gap)) {
          report_bad_path(path);
          cigar.clear();
          return;
        }
        if (is_gap(run))
          edge.end_len = edge.end_mm = 0;
      }
      run = c;
      run_len = 1;
    }
    leading = in_lead;
    if (is_aligned(c)) {
      if (!gap_seen) {
        edge.start_len++;
        edge.start_mm += c == path_op::MISMATCH;
      }
      edge.end_len++;
      edge.end_mm += c == path_op::MISMATCH;
    } else if (is_gap(c) && !in_lead) {
      gap_seen = true;
    }
  }
  if (run != path_op::DELETION) {
    if (!emit_run(cigar, run, run_len, cigar14, mm_gap)) {
      report_bad_path(path);
      cigar.clear();
      return;
    }
    if (is_gap(run))
      edge.end_len = edge.end_mm = 0;
  }
  fold_edges(cigar, edge, mm_gap, pos, p->end_gap_dist);
}

std::string path2cigar(const std::string &path, uint32_t &pos, int kmer_loc,
                       mm_gap_t &mm_gap, const tolve_params_t *p,
                       bool cigar14) {
  std::string cigar;
  path2cigar(path, pos, kmer_loc, mm_gap, p, cigar14, cigar);
  return cigar;
}

void path2cigar_local(const std::string &path, int seq_start, int seq_len,
                      mm_gap_t &mm_gap, bool cigar14, std::string &cigar) {
  mm_gap.num_mm = mm_gap.num_gap_open = mm_gap.num_gap_ext = 0;
  cigar.clear();
  if (seq_start > 0) {
    append_int(cigar, seq_start);
    cigar.push_back('S');
  }
  long read_pos = seq_start;
  if (!path.empty()) {
    char run = path.back();
    int run_len = 1;
    for (size_t i = path.size() - 1; i-- > 0;) {
      char c = path[i];
      if (c == path_op::MISMATCH)
        mm_gap.num_mm++;
      if (continues_run(run, c, cigar14)) {
        run_len++;
        continue;
      }
      if (!emit_run(cigar, run, run_len, cigar14, mm_gap)) {
        report_bad_path(path);
        cigar.clear();
        return;
      }
      if (run != path_op::DELETION)
        read_pos += run_len;
      run = c;
      run_len = 1;
    }
    if (!emit_run(cigar, run, run_len, cigar14, mm_gap)) {
      report_bad_path(path);
      cigar.clear();
      return;
    }
    if (run != path_op::DELETION)
      read_pos += run_len;
  }
  if (seq_len - read_pos > 0) {
    append_int(cigar, seq_len - read_pos);
    cigar.push_back('S');
  }
}

std::string path2cigar_local(const std::string &path, int seq_start,
                             int seq_len, mm_gap_t &mm_gap, bool cigar14) {
  std::string cigar;
  path2cigar_local(path, seq_start, seq_len, mm_gap, cigar14, cigar);
  return cigar;
}
