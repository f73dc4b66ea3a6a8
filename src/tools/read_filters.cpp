// The engine of fastq_filter and fq_len_filter: split reads (or pairs,
// decided together) into pass and reject files.
#include "tools/read_filters.h"

#include <iostream>
#include <memory>

#include "common/mate_names.h"
#include "common/quality.h"
#include "tools/tool_io.h"

const char *const FILTER_PREFIX_LINE =
    "    output_prefix  -- Output will be "
    "output_prefix.fq or "
    "output_prefix_1.fq,output_prefix_2.fq\n";
const char *const FILTER_INPUT_LINES =
    "    first_pair     -- First pair or single-end FASTQ file\n"
    "    second_pair    -- Second pair of FASTQ file [optional]\n"
    "For paired-end reads only one end needs to satisfy this criteria";

namespace {

bool pair_passes(const filter_rule_t &rule, const fast_t *recs, int n) {
  if (rule.by_quality) {
    for (int i = 0; i < n; ++i)
      if (quality_end_passes(recs[i].qual, rule.phred_score, rule.percent))
        return true;
    return false;
  }
  for (int i = 0; i < n; ++i)
    if (!length_end_passes(recs[i].seq, rule.min_len))
      return false;
  return true;
}

enum step_t { STEP_WRITE, STEP_END, STEP_NOT_FASTQ, STEP_UNEQUAL };

// Reads the next record of every input in order and says what to do.
step_t next_step(std::unique_ptr<fast> *readers, fast_t *recs, int n) {
  for (int i = 0; i < n; ++i) {
    read_next(*readers[i], recs[i]);
    if (!recs[i].qual_exist)
      return STEP_NOT_FASTQ;
  }
  if (recs[0].seq.empty())
    return n == 2 && !recs[1].seq.empty() ? STEP_UNEQUAL : STEP_END;
  if (n == 2 && recs[1].seq.empty())
    return STEP_UNEQUAL;
  return STEP_WRITE;
}

// Streams the inputs into the pass files (outs[0..n)) and the reject files
// (outs[n..2n)).
int split_reads(const filter_rule_t &rule, std::unique_ptr<fast> *readers,
                int n, std::vector<out_file_t> &outs) {
  fast_t recs[2];
  int64_t pairs = 0;
  for (;;) {
    if (readers[0]->l < 0)
      break;
    step_t step = next_step(readers, recs, n);
    if (step == STEP_NOT_FASTQ) {
      std::cerr << "Error: Input must be a FASTQ file" << std::endl;
      out_close_all(outs);
      return 2;
    }
    // Damage ends a file early: that, not the lengths, is the fault.
    if (step == STEP_UNEQUAL && inputs_damaged(readers, n))
      break;
    if (step == STEP_UNEQUAL) {
      std::cerr << "Error: FASTQ files are different length" << std::endl;
      out_close_all(outs);
      return 1;
    }
    if (step == STEP_END)
      continue;
    if (n == 2 &&
        !mates_agree(recs[0], recs[1], ++pairs, *readers[0], *readers[1])) {
      out_close_all(outs);
      return 1;
    }
    int base = pair_passes(rule, recs, n) ? 0 : n;
    for (int i = 0; i < n; ++i)
      out_fastq(outs[base + i], recs[i], mate_suffix(n, i));
  }
  bool written = out_close_all(outs);
  if (report_inputs_damage(readers, n))
    return 1;
  return written ? 0 : 1;
}

} // namespace

int run_filter(const filter_rule_t &rule, const std::string &prefix,
               const std::vector<std::string> &inputs) {
  const int n = int(inputs.size());
  std::unique_ptr<fast> readers[2];
  if (!open_readers(readers, inputs))
    return 1;
  std::vector<std::string> names = fq_names(prefix, "", n);
  for (const std::string &name : fq_names(prefix, "_reject", n))
    names.push_back(name);
  if (output_is_input(names, inputs))
    return 1;
  staged_outputs_t staged;
  std::vector<out_file_t> outs(names.size());
  if (!out_create_all(outs, names, staged))
    return 1;
  const int status = split_reads(rule, readers, n, outs);
  if (status != 0)
    return status;
  return out_commit_all(staged) ? 0 : 1;
}

bool quality_end_passes(const std::string &qual, int phred_score,
                        double percent) {
  if (qual.empty())
    return percent <= 0;
  int64_t good = 0;
  for (char c : qual)
    if (int(static_cast<unsigned char>(c)) - qual::PHRED33_OFFSET >=
        phred_score)
      good++;
  return double(good) * 100.0 / double(qual.size()) >= percent;
}

bool length_end_passes(const std::string &seq, int min_len) {
  return int64_t(seq.size()) >= int64_t(min_len);
}
