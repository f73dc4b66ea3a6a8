// fastq_filter: keeps reads (or pairs) with enough good bases in one end.
#include <climits>
#include <iostream>

#include "commands.h"
#include "common/constants.h"
#include "common/number_word.h"
#include "tools/read_filters.h"

int fastq_filter(args_t args) {
  if (args.size() != 4 && args.size() != 5) {
    std::cerr << "Usage: " << PROG_NAME
              << " fastq_filter <phred_score> <percent> <output_prefix> "
                 "<first_pair> [<second_pair>]\n"
              << "    phred_score    -- Phred score (reads must be Sanger "
                 "quals)\n"
              << "    percent        -- Percent of bases with the specified "
                 "phred score\n"
              << FILTER_PREFIX_LINE << FILTER_INPUT_LINES << std::endl;
    return 3;
  }
  filter_rule_t rule;
  if (!whole_kind_arg(args[0], "phred_score", 0, INT_MAX, rule.phred_score))
    return 3;
  if (rule.phred_score < 0) {
    std::cerr << "Error: Invalid Phred score: " << rule.phred_score
              << std::endl;
    return 3;
  }
  if (!real_kind_arg(args[1], "percent", 0, 100, rule.percent))
    return 3;
  if (rule.percent < 0 || rule.percent > 100) {
    std::cerr << "Error: Invalid percent: " << rule.percent << std::endl;
    return 3;
  }
  return run_filter(rule, args[2], {args.begin() + 3, args.end()});
}
