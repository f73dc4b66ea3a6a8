#include "aligner/output/sam_format.h"

#include <charconv>
#include <cstring>

#include "aligner/setup/params.h"
#include "aligner/setup/ref_table.h"
#include "common/constants.h"

void append_int(std::string &out, int64_t v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

void append_uint(std::string &out, uint64_t v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

void append_int_tag(std::string &out, const char *tag, int64_t v) {
  out.push_back('\t');
  out.append(tag);
  append_int(out, v);
}

void append_pos(std::string &out, const ref_seq_t &ref, uint32_t loc) {
  append_uint(out, uint64_t(loc) + 1 - ref.start);
}

void append_edit_tags(std::string &out, const mm_gap_t &e) {
  append_int_tag(out, "NM:i:", edit_count(e));
  append_int_tag(out, "XM:i:", e.num_mm);
  append_int_tag(out, "XO:i:", e.num_gap_open);
  append_int_tag(out, "XG:i:", e.num_gap_open + e.num_gap_ext);
}

void append_xa_entry(std::string &out, const ref_seq_t &ref, uint32_t loc,
                     bool reverse, const std::string &cigar, int edits) {
  out.append(ref.name);
  out.push_back(',');
  if (reverse)
    out.push_back('-');
  append_pos(out, ref, loc);
  out.push_back(',');
  out.append(cigar);
  out.push_back(',');
  append_int(out, edits);
  out.push_back(';');
}

bool assemble_reject(const mm_gap_t &e, const std::string &cigar, int len) {
  return e.num_gap_ext > len * hybrid_const::ASSEMBLE_EXT_SHARE +
                             hybrid_const::ASSEMBLE_EXT_SLACK ||
         cigar_end_op(cigar, false) == 'I' || cigar_end_op(cigar, true) == 'I';
}

char cigar_end_op(const std::string &cigar, bool last) {
  const char *ops = "IDXM=";
  const size_t n = cigar.size();
  for (size_t k = 0; k < n; ++k) {
    char ch = cigar[last ? n - 1 - k : k];
    if (ch && std::strchr(ops, ch))
      return ch;
  }
  return 0;
}

void append_seq_field(std::string &out, const std::string &s) {
  if (s.empty())
    out.push_back('*');
  else
    out.append(s);
}

static void append_text_tag(std::string &out, const char *tag,
                            const std::string &v) {
  out.push_back('\t');
  out.append(tag);
  out.append(v);
}

void append_opt_tags(std::string &out, const tolve_params_t *p,
                     const std::string &barcode) {
  if (p->barcode_len > 0)
    append_text_tag(out, "BC:Z:", barcode);
  if (p->output_RG)
    append_text_tag(out, "RG:Z:", p->RG_ID);
  if (p->output_PU)
    append_text_tag(out, "PU:Z:", p->PU);
  if (p->output_LB)
    append_text_tag(out, "LB:Z:", p->LB);
  if (p->output_PG)
    append_text_tag(out, "PG:Z:", PROG_NAME);
}

void append_side_record(std::string &out, const std::string &name,
                        const char *suffix, const std::string &seq,
                        const std::string &qual, bool qual_exist) {
  out.push_back(qual_exist ? '@' : '>');
  out.append(name);
  out.append(suffix);
  out.push_back('\n');
  out.append(seq);
  out.push_back('\n');
  if (qual_exist) {
    out.append("+\n");
    out.append(qual);
    out.push_back('\n');
  }
}
