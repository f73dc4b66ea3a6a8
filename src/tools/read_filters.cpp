// fastq_filter and fq_len_filter: split reads (or pairs, decided together)
// into pass and reject files.
#include "tools/read_filters.h"

#include <iostream>
#include <memory>

#include "commands.h"
#include "common/constants.h"
#include "common/quality.h"
#include "common/strings.h"
#include "tools/tool_io.h"

namespace {

const char *const PREFIX_LINE = "    output_prefix  -- Output will be "
                                "output_prefix.fq or "
                                "output_prefix_1.fq,output_prefix_2.fq\n";
const char *const INPUT_LINES =
    "    first_pair     -- First pair or single-end FASTQ file\n"
    "    second_pair    -- Second pair of FASTQ file [optional]\n"
    "For paired-end reads only one end needs to satisfy this criteria";

struct filter_rule_t {
  bool by_quality = true;
  int phred_score = 0;
  double percent = 0;
  int min_len = 0;
};

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
  for (;;) {
    if (readers[0]->l < 0)
      break;
    step_t step = next_step(readers, recs, n);
    if (step == STEP_NOT_FASTQ) {
      std::cerr << "Error: Input must be a FASTQ file" << std::endl;
      out_close_all(outs);
      return 2;
    }
    if (step == STEP_UNEQUAL) {
      std::cerr << "Error: FASTQ files are different length" << std::endl;
      out_close_all(outs);
      return 1;
    }
    if (step == STEP_END)
      continue;
    int base = pair_passes(rule, recs, n) ? 0 : n;
    for (int i = 0; i < n; ++i)
      out_fastq(outs[base + i], recs[i], mate_suffix(n, i));
  }
  return out_close_all(outs) ? 0 : 1;
}

int run_filter(const filter_rule_t &rule, const std::string &prefix,
               const std::vector<std::string> &inputs) {
  const int n = int(inputs.size());
  std::unique_ptr<fast> readers[2];
  for (int i = 0; i < n; ++i) {
    readers[i].reset(new fast());
    if (!readers[i]->open(inputs[i])) {
      std::cerr << "Error: cannot open: " << inputs[i] << std::endl;
      return 1;
    }
  }
  std::vector<std::string> names = fq_names(prefix, "", n);
  for (const std::string &name : fq_names(prefix, "_reject", n))
    names.push_back(name);
  if (output_is_input(names, inputs))
    return 1;
  std::vector<out_file_t> outs(names.size());
  if (!out_create_all(outs, names))
    return 1;
  return split_reads(rule, readers, n, outs);
}

} // namespace

bool quality_end_passes(const std::string &qual, int phred_score,
                        double percent) {
  if (qual.empty())
    return percent <= 0;
  int64_t good = 0;
  for (char c : qual)
    if (int(static_cast<unsigned char>(c)) - qual::PHRED33_OFFSET >= phred_score)
      good++;
  return double(good) * 100.0 / double(qual.size()) >= percent;
}

bool length_end_passes(const std::string &seq, int min_len) {
  return int64_t(seq.size()) >= int64_t(min_len);
}

int fastq_filter(args_t args) {
  if (args.size() != 4 && args.size() != 5) {
    std::cerr << "Usage: " << PROG_NAME
              << " fastq_filter <phred_score> <percent> <output_prefix> "
                 "<first_pair> [<second_pair>]\n"
              << "    phred_score    -- Phred score (reads must be Sanger "
                 "quals)\n"
              << "    percent        -- Percent of bases with the specified "
                 "phred score\n"
              << PREFIX_LINE << INPUT_LINES << std::endl;
    return 3;
  }
  filter_rule_t rule;
  rule.phred_score = strTo<int>(args[0]);
  if (rule.phred_score < 0) {
    std::cerr << "Error: Invalid Phred score: " << rule.phred_score
              << std::endl;
    return 3;
  }
  rule.percent = strTo<double>(args[1]);
  if (rule.percent < 0 || rule.percent > 100) {
    std::cerr << "Error: Invalid percent: " << rule.percent << std::endl;
    return 3;
  }
  return run_filter(rule, args[2], {args.begin() + 3, args.end()});
}

int fq_len_filter(args_t args) {
  if (args.size() != 3 && args.size() != 4) {
    std::cerr << "Usage: " << PROG_NAME
              << " fq_len_filter <min_len> <output_prefix> <first_pair> "
                 "[<second_pair>]\n"
              << "    min_len        -- Pairs with one end shorter than this "
                 "will be removed\n"
              << PREFIX_LINE << INPUT_LINES << std::endl;
    return 3;
  }
  filter_rule_t rule;
  rule.by_quality = false;
  rule.min_len = strTo<int>(args[0]);
  if (rule.min_len < 0) {
    std::cerr << "Error: Invalid min_len: " << rule.min_len << std::endl;
    return 3;
  }
  return run_filter(rule, args[1], {args.begin() + 2, args.end()});
}
