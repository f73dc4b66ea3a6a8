#include "simulate/truth_name.h"

#include <sstream>

#include "common/strings.h"

std::string format_single_truth_name(int64_t num, const std::string &chr,
                                     int64_t pos, int32_t num_mismatch,
                                     int direction) {
  std::ostringstream os;
  os << num << ';' << chr << ':' << pos << ';' << num_mismatch << ';'
     << direction;
  return stream_text(os);
}

std::string format_single_random_truth_name(int64_t num) {
  std::ostringstream os;
  os << num << ";*:*;*";
  return stream_text(os);
}

std::string format_pair_truth_name(int64_t num, const std::string &chr,
                                   uint32_t pos1, uint32_t pos2,
                                   int32_t template_len, int direction,
                                   int mate) {
  std::ostringstream os;
  os << num << ';' << chr << ':' << pos1 << ';' << pos2 << ';' << template_len
     << ';' << direction << '/' << mate;
  return stream_text(os);
}

std::string format_pair_random_truth_name(int64_t num, int32_t template_len,
                                          int direction, int mate) {
  std::ostringstream os;
  os << num << ";*:*;*;" << template_len << ';' << direction << '/' << mate;
  return stream_text(os);
}

// Field 2 is "chr:pos". A position never holds ':', so the last one ends
// the name: sequences named like regions ("chr1:100-200") or like HLA
// alleles ("HLA-A*01:01") keep their whole name. Without a ':' the whole
// field serves as both the name and the position text, so such a read never
// matches a sequence.
static void parse_origin(truth_name_t &t) {
  const std::string &origin = t.fields[1];
  size_t colon = origin.rfind(':');
  t.chr = origin.substr(0, colon);
  if (t.chr == "*") {
    t.random = true;
    return;
  }
  t.pos = strTo<long>(colon == std::string::npos ? origin
                                                 : origin.substr(colon + 1));
}

static truth_name_t parse_truth_name(const std::string &name,
                                     size_t min_fields) {
  truth_name_t t;
  t.fields = split(name, ';');
  if (t.fields.size() < min_fields)
    return t;
  t.sim = true;
  parse_origin(t);
  return t;
}

truth_name_t parse_single_truth_name(const std::string &name) {
  return parse_truth_name(name, 2);
}

truth_name_t parse_pair_truth_name(const std::string &name) {
  truth_name_t t = parse_truth_name(name, 3);
  if (t.sim && !t.random)
    t.pos_next = strTo<long>(t.fields[2]);
  return t;
}

std::string cut_pair_read_name(const std::string &qname) {
  return qname.substr(0, qname.find_first_of(" \t/"));
}
