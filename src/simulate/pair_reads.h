#pragma once
#include <cstdint>
#include <ostream>
#include <string>

#include "commands.h"

class MT_random;
struct sim_genome_t;

struct pair_reads_params_t {
  std::string genome_filename;
  int32_t read_len1 = 0;
  int32_t read_len2 = 0;
  int64_t num_reads = 0;
  double mismatch_rate = 0;
  double avg_template_len = 0;
  double sd_template_len = 0;
  double percent_unmappble = 0;
  std::string output_prefix;
};

// So many rejected candidates in a row mean the template lengths that can
// fit are out of practical reach of the length distribution.
const int64_t MAX_REJECTED_PAIRS = 2000000;

// Writes `num_reads` pairs, mate 1 to `out1` and mate 2 to `out2`. Returns
// false, having written the pairs made so far, when `max_rejected`
// candidates in a row were rejected.
bool simulate_pair_reads(const pair_reads_params_t &params,
                         const sim_genome_t &genome, MT_random &gen,
                         std::ostream &out1, std::ostream &out2,
                         int64_t max_rejected = MAX_REJECTED_PAIRS);
