#include "aligner/search/1_read_prep.h"

#include <algorithm>

#include "aligner/setup/params.h"
#include "common/quality.h"

namespace {

struct comp_table_t {
  char t[256];
  comp_table_t() {
    for (int i = 0; i < 256; ++i)
      t[i] = char(i);
    const char *from = "ACGTacgt", *to = "TGCAtgca";
    for (int i = 0; i < 8; ++i)
      t[uint8_t(from[i])] = to[i];
  }
};
const comp_table_t comp;

const char PRIMER[] = "GTTGGGTGTGTTTGG";
const int PRIMER_LEN = 15;
const int PRIMER_MAX_DIFF = 2; // differing letters a primer test allows
// Reads of at most this length keep their primer.
const int PRIMER_MIN_READ = 32;
// Offsets tested for the primer (0 .. PRIMER_OFFSETS - 1) ...
const int PRIMER_OFFSETS = 4;
// ... and the bases cut from the offset of the copy found.
const int PRIMER_CUT = 31;
// A second copy is looked for when more than this many bases follow the cut.
const int PRIMER_SECOND_REST = 33;

bool primer_at(const std::string &s, size_t at) {
  if (at + PRIMER_LEN > s.size())
    return false;
  int diff = 0;
  for (int k = 0; k < PRIMER_LEN; ++k)
    if (PRIMER[k] != s[at + k] && ++diff > PRIMER_MAX_DIFF)
      return false;
  return true;
}

void cut_barcode(fast_t &r, int len, std::string &barcode) {
  size_t n = size_t(len);
  if (r.seq.size() <= n)
    return;
  barcode.assign(r.seq, 0, n);
  r.seq.erase(0, n);
  if (r.qual_exist && r.qual.size() > n)
    r.qual.erase(0, n);
}

bool convert_quality(const tolve_params_t *p, fast_t &r, prep_error_t &err) {
  switch (p->qual_format) {
  case qual_fmt::ILL_13:
  case qual_fmt::ILL_15:
    if (ill_13tosanger(r.qual))
      return true;
    err.status = 2;
    err.message = "ERROR: Quality format specification error: negative "
                  "quality score\nPlease check the quality format "
                  "specified!\n" +
                  r.name + "\n";
    return false;
  case qual_fmt::SOLEXA:
    if (solexatosanger(r.qual))
      return true;
    err.status = 2;
    err.message = "ERROR: Solexa quality score out of range, should be "
                  "between -5 and 62 (inclusive)\nPlease check the quality "
                  "format specified!\n" +
                  r.qual + "\n";
    return false;
  default:
    err.status = 2;
    err.message = "ERROR: unknown quality format\n";
    return false;
  }
}

// assign() from reverse iterators would build a temporary string per read.
void reverse_into(const std::string &s, std::string &out) {
  out.resize(s.size());
  std::reverse_copy(s.begin(), s.end(), out.begin());
}

} // namespace

void revcomp_into(const std::string &s, std::string &out) {
  size_t n = s.size();
  out.resize(n);
  for (size_t i = 0; i < n; ++i)
    out[n - 1 - i] = comp.t[uint8_t(s[i])];
}

int phase_primer_cut(const std::string &seq) {
  int n = int(seq.size());
  if (n <= PRIMER_MIN_READ)
    return 0;
  int cut = -1;
  for (int o = 0; o < PRIMER_OFFSETS && cut < 0; ++o)
    if (primer_at(seq, size_t(o)))
      cut = o + PRIMER_CUT;
  if (cut < 0)
    return 0;
  if (n - cut > PRIMER_SECOND_REST) {
    for (int q = cut, last = cut + PRIMER_OFFSETS - 1; q <= last; ++q)
      if (primer_at(seq, size_t(q))) {
        cut = q + PRIMER_CUT;
        break;
      }
  }
  return cut < n - 1 ? cut : n - 1;
}

bool prepare_reads(const tolve_params_t *p, int num_fragment, fast_t *fwd[2],
                   fast_t *rev[2], std::string &barcode, prep_error_t &err) {
  if (p->barcode_len > 0)
    for (int j = 0; j < num_fragment; ++j)
      cut_barcode(*fwd[j], p->barcode_len, barcode);
  if (p->qual_format != qual_fmt::SANGER)
    for (int j = 0; j < num_fragment; ++j)
      if (fwd[j]->qual_exist && !convert_quality(p, *fwd[j], err))
        return false;
  // A threshold of 0 or less would keep no base at all; it means no trimming.
  if (p->trim_reads && p->trim_qual > 0)
    for (int j = 0; j < num_fragment; ++j) {
      fast_t &r = *fwd[j];
      if (!r.qual_exist)
        continue;
      int n = bwa_trim_len(r.qual, p->trim_qual, p->read_min_length);
      if (n >= 0 && size_t(n) < r.seq.size()) {
        r.seq.resize(size_t(n));
        r.qual.resize(size_t(n));
      }
    }
  if (p->phase_seq_trim)
    for (int j = 0; j < num_fragment; ++j) {
      fast_t &r = *fwd[j];
      int cut = phase_primer_cut(r.seq);
      if (cut > 0) {
        r.seq.erase(0, size_t(cut));
        if (r.qual_exist)
          r.qual.erase(0, size_t(cut) < r.qual.size() ? size_t(cut)
                                                      : r.qual.size());
      }
    }
  for (int j = 0; j < num_fragment; ++j) {
    rev[j]->name = fwd[j]->name;
    rev[j]->qual_exist = fwd[j]->qual_exist;
    revcomp_into(fwd[j]->seq, rev[j]->seq);
    reverse_into(fwd[j]->qual, rev[j]->qual);
  }
  return true;
}
