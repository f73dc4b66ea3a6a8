// fq_len_filter: keeps reads (or pairs) whose ends are long enough.
#include <climits>
#include <iostream>

#include "commands.h"
#include "common/constants.h"
#include "common/number_word.h"
#include "tools/read_filters.h"

int fq_len_filter(args_t args) {
  if (args.size() != 3 && args.size() != 4) {
    std::cerr << "Usage: " << PROG_NAME
              << " fq_len_filter <min_len> <output_prefix> <first_pair> "
                 "[<second_pair>]\n"
              << "    min_len        -- Pairs with one end shorter than this "
                 "will be removed\n"
              << FILTER_PREFIX_LINE << FILTER_INPUT_LINES << std::endl;
    return 3;
  }
  filter_rule_t rule;
  rule.by_quality = false;
  if (!whole_kind_arg(args[0], "min_len", 0, INT_MAX, rule.min_len))
    return 3;
  if (rule.min_len < 0) {
    std::cerr << "Error: Invalid min_len: " << rule.min_len << std::endl;
    return 3;
  }
  return run_filter(rule, args[1], {args.begin() + 2, args.end()});
}
