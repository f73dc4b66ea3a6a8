#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "common/line_reader.h"

class MT_random;

// A genome as the read simulators use it: sequence texts, their starts in
// the concatenated genome, and the inverse start map used to turn a uniform
// position over the whole genome into a sequence and an offset in it.
struct sim_genome_t {
  using seq_map_t = std::map<std::string, std::string>;
  seq_map_t seqs;
  std::map<std::string, uint64_t> starts;
  long length = 0;
  // Start to sequence. Empty sequences share their start with the next one
  // and are left out, so that the next one can still be found.
  std::map<uint64_t, seq_map_t::const_iterator> start_genome;
};

// Opens the genome file of a simulator; says so on standard error when it
// cannot.
bool open_genome_file(line_reader_t &file, const std::string &name);

// Loads the FASTA file, builds the start map and reports the genome
// length on standard error. Returns the loader's status (0 on success).
int load_sim_genome(line_reader_t &in, sim_genome_t &genome);

// Where a 1-based position of the concatenated genome falls.
struct sim_locus_t {
  const std::string *chr = nullptr; // sequence name
  const std::string *seq = nullptr; // sequence text
  int64_t loc = 0;                  // 1-based position in the sequence
};
sim_locus_t locate(const sim_genome_t &genome, uint64_t rand_loc);

int64_t longest_sequence(const sim_genome_t &genome);
// True when some sequence at least `min_seq_len` long holds `run_len`
// consecutive A, C, G, T letters (either case): only such text can become a
// simulated read.
bool has_clean_run(const sim_genome_t &genome, int64_t run_len,
                   int64_t min_seq_len);

inline char upper_base(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
inline bool is_acgt(char c) {
  return c == 'A' || c == 'C' || c == 'G' || c == 'T';
}

// Copies `len` bases from 1-based position `loc` of `seq` upper-cased into
// `out`; false when any of them is not A, C, G or T.
bool copy_clean_upper(const std::string &seq, int64_t loc, int64_t len,
                      std::string &out);

// n random bases, one range draw each.
std::string rand_mer(MT_random &gen, int64_t n);
// A substituted base: always a different letter for A, C, G, T; A, C or G
// for anything else. Draws once.
char substitute_base(char base, MT_random &gen);
