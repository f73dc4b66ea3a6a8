#include "simulate/sim_checks.h"

#include <iostream>

#include "common/genome.h"
#include "common/number_word.h"
#include "common/path_utils.h"
#include "simulate/sim_genome.h"

bool read_percent(const std::string &word, const char *name,
                  double &probability) {
  if (!real_arg(word, name, 0, 100, probability))
    return false;
  probability /= 100.0;
  return true;
}

bool check_windows(const sim_genome_t &genome, int64_t read_len,
                   int64_t window_len) {
  if (longest_sequence(genome) < window_len) {
    std::cerr << "ERROR: Read length " << read_len
              << " is too long for every sequence of the genome" << std::endl;
    return false;
  }
  if (!has_clean_run(genome, window_len, window_len)) {
    std::cerr << "ERROR: No sequence holds " << window_len
              << " consecutive A, C, G, T bases to cut a read from"
              << std::endl;
    return false;
  }
  return true;
}

bool check_written(std::ostream &out, const std::string &what) {
  out.flush();
  if (out)
    return true;
  std::cerr << "ERROR: Could not write to " << what << std::endl;
  return false;
}

bool overwrites_genome(const std::string &genome,
                       const std::vector<std::string> &outputs) {
  const std::string out = output_over_input(outputs, {genome});
  if (out.empty())
    return false;
  std::cerr << "ERROR: Output file " << out
            << " would overwrite the genome file\n";
  return true;
}
