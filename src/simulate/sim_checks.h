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
// Opening an output truncates it: an output that is the genome file (under
// any name) would destroy the input before it is read. True, after the
// message, when one of `outputs` is.
bool overwrites_genome(const std::string &genome,
                       const std::vector<std::string> &outputs);
// The exit status of a genome load that failed with `status`. A genome that
// is no text is named on standard error, and the regular files among
// `created` (outputs opened before the load) are removed: such a genome
// leaves no file behind, also when only the load could tell (a pipe, or a
// NUL past the start that was checked before the outputs were opened).
int genome_load_failed(int status, const std::string &genome,
                       const std::vector<std::string> &created = {});
