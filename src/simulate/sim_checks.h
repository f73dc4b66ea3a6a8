#pragma once
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct sim_genome_t;

// A percentage argument (0 to 100) as the probability it stands for; false
// after the message when the word is none.
bool read_percent(const std::string &word, const char *name,
                  double &probability);

// Start-up refusals shared by the simulators. Each writes its one-line
// error to standard error and returns false when the run can never finish.
// Some sequence must hold `window_len` clean bases for a read of `read_len`.
bool check_windows(const sim_genome_t &genome, int64_t read_len,
                   int64_t window_len);
// Flushes and checks a finished output stream.
bool check_written(std::ostream &out, const std::string &what);
// An output that is the genome file (under any name) would replace the
// input, or, written in place, destroy it before it is read. True, after the
// message, when one of `outputs` is.
bool overwrites_genome(const std::string &genome,
                       const std::vector<std::string> &outputs);
