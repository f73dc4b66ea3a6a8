#include "aligner/setup/4_sam_header.h"

#include <cstdint>
#include <iterator>

#include "aligner/setup/params.h"
#include "common/constants.h"
#include "common/strings.h"

namespace {

void sequence_lines(const tolve_params_t *p, std::string &h) {
  const auto &starts = *p->start_genome;
  for (auto it = starts.begin(); it != starts.end(); ++it) {
    auto next = std::next(it);
    long end = next == starts.end() ? p->genome_length : next->first - 1;
    uint32_t length = static_cast<uint32_t>(end - it->first + 1);
    h += "@SQ\tSN:" + it->second + "\tLN:" + toStr<unsigned int>(length) + "\n";
  }
}

void read_group_line(const tolve_params_t *p, std::string &h) {
  if (!p->output_RG)
    return;
  h += "@RG\tID:" + p->RG_ID;
  if (p->output_PU)
    h += "\tPU:" + p->PU;
  if (p->output_PL)
    h += "\tPL:" + p->PL;
  if (p->output_SM)
    h += "\tSM:" + p->SM;
  if (p->output_CN)
    h += "\tCN:" + p->CN;
  if (p->output_LB)
    h += "\tLB:" + p->LB;
  if (p->output_DS)
    h += "\tDS:" + p->DS;
  h += "\n";
}

// One command-line word in the @PG CL field: a tab, carriage return or
// line feed in it would end the field or the header line, so each becomes a
// blank.
void append_cl_word(const std::string &w, std::string &h) {
  for (char c : w)
    h += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
  h += ' ';
}

} // namespace

std::string sam_header(const tolve_params_t *p,
                       const std::vector<std::string> &option_words) {
  std::string h = "@HD\tVN:1.4\n";
  sequence_lines(p, h);
  read_group_line(p, h);
  h += "@PG\tID:" + PROG_NAME + "\tPN:" + PROG_NAME + "\t" +
       "CL:tolvenard align ";
  for (const std::string &w : option_words)
    append_cl_word(w, h);
  h += "\tVN:" + BUILD + "\n";
  return h;
}
