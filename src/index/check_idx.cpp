// `check_idx`: the k-mers of one read, on both strands, that the default
// index mode would keep.
#include <iostream>
#include <string>

#include "commands.h"
#include "common/bit_dna.h"
#include "common/constants.h"
#include "common/mt_random.h"
#include "common/number_word.h"
#include "common/std_out.h"
#include "index/kmer_keys.h"
#include "index/probe.h"

namespace {

void print_check_idx_usage() {
  std::cerr << "Usage: " << PROG_NAME << " check_idx <seq> <kmer_size>\n"
            << "    seq       -- Read sequence\n"
            << "    kmer_size -- k-mer size to analyze\n"
            << "Output the k-mers within a read that will be used for index "
               "mode 1"
            << std::endl;
}

} // namespace

void print_read_kmers(std::ostream &out, const std::string &seq, int strand,
                      int k, MT_random &gen) {
  if (k < 1 || k > MAX_INSPECT_KMER || seq.size() <= size_t(k))
    return;
  const size_t n = seq.size();
  const size_t len = size_t(k);
  // Unlike the index scan, other letters do not break a window: they take a
  // random code, drawn in reading order, so a run repeats exactly.
  uint64_t key = 0;
  for (size_t j = 0; j < len; ++j)
    key += uint64_t(get_base_val_r(seq[j], gen)) << (2 * j);
  const unsigned top = 2 * (len - 1);
  std::string line;
  for (size_t w = 0; w + len < n; ++w) {
    line = "[" + std::to_string(strand) + "]";
    line.append(seq, w, len);
    line += "|" + std::to_string(key);
    if (hash_key2(key, 1))
      line += " *";
    line += "\n";
    out << line;
    key = (key >> 2) + (uint64_t(get_base_val_r(seq[w + len], gen)) << top);
  }
}

int check_idx(args_t args) {
  if (args.size() != 2) {
    print_check_idx_usage();
    return 3;
  }
  int k = 0;
  if (!whole_arg(args[1], "kmer_size", 1, MAX_INSPECT_KMER, k))
    return 3;
  MT_random gen;
  print_read_kmers(std::cout, args[0], 0, k, gen);
  print_read_kmers(std::cout, compleseq(args[0]), 1, k, gen);
  return finish_stdout();
}
