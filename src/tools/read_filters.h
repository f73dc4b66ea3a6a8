#pragma once
#include <string>
#include <vector>

// Usage lines both filters end with.
extern const char *const FILTER_PREFIX_LINE;
extern const char *const FILTER_INPUT_LINES;

// What a filter keeps: ends with enough good bases (by_quality), or pairs
// whose ends are all long enough.
struct filter_rule_t {
  bool by_quality = true;
  int phred_score = 0;
  double percent = 0;
  int min_len = 0;
};

// Splits the reads of `inputs` (one file, or two mate files) into
// <prefix>.fq / <prefix>_reject.fq (or their _1/_2 pairs). Returns the exit
// status after writing any message.
int run_filter(const filter_rule_t &rule, const std::string &prefix,
               const std::vector<std::string> &inputs);

// Pass rules of the read filters for one end of a read.
// Good bases have a Sanger quality score of at least phred_score; the end
// passes when they make up at least `percent` percent of it.
bool quality_end_passes(const std::string &qual, int phred_score,
                        double percent);
bool length_end_passes(const std::string &seq, int min_len);
