#pragma once
#include <cstdint>
#include <ostream>
#include <string>

#include "commands.h"

class MT_random;
struct sim_genome_t;

struct single_reads_params_t {
  bool ion = false; // homopolymer run-length errors
  std::string genome_filename;
  int32_t read_len = 0;
  int64_t num_reads = 0;
  double percent_mismatch = 0;  // per-base substitution probability
  double percent_unmappble = 0; // probability of a read of random bases
};

// Writes `num_reads` records to `out`, drawing from `gen` in a fixed order.
// The genome must have passed the start-up checks.
void simulate_single_reads(const single_reads_params_t &params,
                           const sim_genome_t &genome, MT_random &gen,
                           std::ostream &out);

// The homopolymer error model over a window: at each change of base the run
// that just ended may lose the new base or gain one more copy of its own.
std::string apply_homopolymer_errors(const std::string &window, MT_random &gen);
