#include "simulate/sim_genome.h"

#include <algorithm>
#include <iostream>

#include "common/bit_dna.h"
#include "common/genome.h"
#include "common/mt_random.h"

bool open_genome_file(line_reader_t &file, const std::string &name) {
  if (line_reader_open(file, name))
    return true;
  std::cerr << "ERROR: Cannot open genome file, " << name << std::endl;
  return false;
}

int load_sim_genome(line_reader_t &in, sim_genome_t &genome) {
  int status = read_genome(in, genome.seqs, genome.starts, genome.length);
  if (status != 0)
    return status;
  for (const auto &entry : genome.starts) {
    auto seq = genome.seqs.find(entry.first);
    if (seq != genome.seqs.end() && !seq->second.empty())
      genome.start_genome.emplace(entry.second, seq);
  }
  std::cerr << "Genome Length: " << genome.length << "\n";
  return 0;
}

sim_locus_t locate(const sim_genome_t &genome, uint64_t rand_loc) {
  sim_locus_t at;
  auto it = genome.start_genome.upper_bound(rand_loc);
  if (it == genome.start_genome.begin())
    return at;
  --it;
  at.chr = &it->second->first;
  at.seq = &it->second->second;
  at.loc = static_cast<int64_t>(rand_loc - it->first + 1);
  return at;
}

int64_t longest_sequence(const sim_genome_t &genome) {
  int64_t longest = 0;
  for (const auto &entry : genome.seqs)
    longest = std::max<int64_t>(longest, entry.second.size());
  return longest;
}

bool has_clean_run(const sim_genome_t &genome, int64_t run_len,
                   int64_t min_seq_len) {
  for (const auto &entry : genome.seqs) {
    const std::string &seq = entry.second;
    if (static_cast<int64_t>(seq.size()) < std::max(run_len, min_seq_len))
      continue;
    int64_t run = 0;
    for (char c : seq) {
      run = is_acgt(upper_base(c)) ? run + 1 : 0;
      if (run >= run_len)
        return true;
    }
  }
  return false;
}

bool copy_clean_upper(const std::string &seq, int64_t loc, int64_t len,
                      std::string &out) {
  out.assign(seq, loc - 1, len);
  bool clean = true;
  for (char &c : out) {
    c = upper_base(c);
    clean = clean && is_acgt(c);
  }
  return clean;
}

std::string rand_mer(MT_random &gen, int64_t n) {
  std::string mer(n, 'A');
  for (char &c : mer)
    c = get_int_base(static_cast<int>(gen.genrand_int_range(0, 3)));
  return mer;
}

char substitute_base(char base, MT_random &gen) {
  int shift = static_cast<int>(gen.genrand_int_range(1, 3));
  return get_int_base((get_base_val(base) + shift) % 4);
}
