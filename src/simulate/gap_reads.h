#pragma once
#include <cstdint>
#include <ostream>
#include <string>

#include "commands.h"

class MT_random;
struct sim_genome_t;

struct gap_reads_params_t {
  std::string genome_filename;
  int32_t read_len = 0;
  int64_t num_reads = 0;
  double percent_mismatch = 0; // per-base substitution probability
  int32_t num_gaps = 0;
  int32_t gap_len = 0; // > 0 deletions, < 0 insertions of -gap_len bases
};

// Writes `num_reads` records to `out`, drawing from `gen` in a fixed order.
// The genome and parameters must have passed the start-up checks.
void simulate_gap_reads(const gap_reads_params_t &params,
                        const sim_genome_t &genome, MT_random &gen,
                        std::ostream &out);
