// The `index` command: FASTA genome in, gzip-compressed k-mer index out.
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "commands.h"
#include "common/bit_dna.h"
#include "common/constants.h"
#include "common/genome.h"
#include "common/mt_random.h"
#include "common/strings.h"
#include "index/gz_writer.h"
#include "index/index_file.h"
#include "index/index_format.h"
#include "index/index_output.h"
#include "index/kmer_select.h"
#include "index/kmer_sort.h"

namespace {

struct index_args_t {
  int mode = 1;
  int k = 0;
  std::string genome_path;
  std::string out_path;
};

const size_t WRITE_BUFFER = size_t(4) << 20;

void print_index_usage() {
  static const char *const MODE_TEXT[NUM_INDEX_MODES] = {
      " = Index all k-mers (about 23G needed for alignment to human genome)",
      " = Default mode (about 7G needed for alignment to human genome)",
      " = Spaced-seed mode (about 7G needed for alignment to human genome)",
      " = Spaced-seed and continuous seed mode (about 7G needed for alignment "
      "to human genome)",
      " = all k-mers Spaced-seed mode (about 23G needed for alignment to "
      "human genome)"};
  std::cerr << "Usage: " << PROG_NAME
            << " index [options] <genome_file> <k-mer_size> <output_file>\n"
            << "    genome_file    -- Genome in FASTA format\n"
            << "    k-mer_size     -- k-mer size for the index, usually around "
               "22\n"
            << "    output_file    -- Output filename of the index, usually "
               "genome_name.tidx\n"
            << "Options:\n"
            << "    -I <num>       -- Type of index [Default: 1]\n";
  for (int mode = 0; mode < NUM_INDEX_MODES; ++mode)
    std::cerr << std::string(25, ' ') << mode << MODE_TEXT[mode] << "\n";
  std::cerr << "Index the genome with a fixed k-mer size. You need to re-index "
               "the genome to change k-mer size.\n"
            << "Memory required is approximately size_of_genome*4 bytes "
               "(default mode),\n"
            << "size_of_genome*12 bytes (all k-mers mode)" << std::endl;
}

// 0 when the arguments are sound, otherwise the exit status after the message.
int parse_index_args(const args_t &args, index_args_t &a) {
  if (args.size() < 3 || args.size() > 5) {
    print_index_usage();
    return 3;
  }
  size_t i = 0;
  while (i < args.size() - 3) {
    if (args[i] != "-I") {
      std::cerr << "Invalid argument: " << args[i] << "\n";
      return 3;
    }
    a.mode = strTo<int>(args[i + 1]);
    i += 2;
    if (a.mode < 0 || a.mode >= NUM_INDEX_MODES) {
      std::cerr << "Invalid index mode: " << a.mode << "\n";
      return 4;
    }
  }
  if (args.size() - i < 3) {
    print_index_usage();
    return 3;
  }
  a.genome_path = args[i];
  a.k = strTo<int>(args[i + 1]);
  a.out_path = args[i + 2];
  if (a.k < MIN_KMER_SIZE || a.k > MAX_KMER_SIZE) {
    std::cerr << "k-mer size toooo big... or small! -- " << a.k << "\n";
    return 16;
  }
  if (index_mode_spaced(a.mode) && a.k % 2 != 0) {
    std::cerr << "ERROR: spaced seed much have a k-mer that is even number\n";
    return 2;
  }
  return 0;
}

// 0 with the genome open, else the status after the message. The genome is
// read twice (as text, then packed), which only a regular file allows; a
// FIFO would even block the open until something wrote to it.
int open_genome(const std::string &path, std::ifstream &in) {
  struct stat st;
  const bool exists = stat(path.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
    std::cerr << "ERROR: Genome file is not a regular file: " << path << "\n";
    return 1;
  }
  if (!exists || !S_ISDIR(st.st_mode))
    in.open(path);
  if (in.is_open())
    return 0;
  std::cerr << "Could not open genome file: " << path << "\n";
  return 1;
}

// Walks the chromosomes in name order with their progress line and hands
// every selected window to emit(key, 1-based genome position).
template <typename Emit>
void scan_genome(const std::map<std::string, std::string> &seqs,
                 const std::map<std::string, uint64_t> &starts, int k, int mode,
                 Emit emit) {
  for (const auto &chr : seqs) {
    const uint64_t start = starts.at(chr.first);
    // One write per line: genomes of many contigs print many of these.
    std::cerr << "Processing ... " + chr.first + " -- " +
                     std::to_string(uint32_t(start - 1)) + "\n";
    select_windows(chr.second, k, mode, [&](uint64_t key, uint64_t off) {
      emit(key, uint32_t(start + off));
    });
  }
}

std::vector<twoint3_hash>
collect_records(const std::map<std::string, std::string> &seqs,
                const std::map<std::string, uint64_t> &starts,
                const index_args_t &a) {
  uint64_t counter = 1;
  scan_genome(seqs, starts, a.k, a.mode,
              [&](uint64_t, uint32_t) { ++counter; });
  std::cerr << "Allocating " << counter * sizeof(twoint3_hash) << " Bytes\n";
  std::vector<twoint3_hash> recs;
  recs.reserve(counter);
  std::cerr << "Record size: " << sizeof(twoint3_hash) << " bytes\n"
            << "Scanning genome for " << a.k << "-mers...\n";
  scan_genome(seqs, starts, a.k, a.mode, [&](uint64_t key, uint32_t pos) {
    recs.push_back(twoint3_hash{key, pos});
  });
  return recs;
}

// A zero-length sequence shares its start with the next one, and a reader
// could not tell which of the two names owns the bases: the table lists only
// sequences that hold bases. A genome without any base keeps all its names,
// as a table must list at least one sequence.
std::map<std::string, uint64_t>
sequence_table(const std::map<std::string, std::string> &seqs,
               const std::map<std::string, uint64_t> &starts) {
  std::map<std::string, uint64_t> table;
  for (const auto &chr : seqs)
    if (!chr.second.empty())
      table.emplace(chr.first, starts.at(chr.first));
  return table.empty() ? starts : table;
}

int report_write_failure(const index_args_t &a) {
  std::cerr << "Could not write hash file: " << a.out_path << "\n";
  return 1;
}

// Loads the genome packed, with the same random bases on every run, and
// writes the head of the index. The genome is read a second time so that its
// text and its packed form are never held together.
int write_genome_part(const index_args_t &a, int64_t genome_len,
                      const std::map<std::string, uint64_t> &starts,
                      const std::map<std::string, uint64_t> &table,
                      gz_writer_t &w) {
  std::unique_ptr<uint8_t[]> mm_table(gen_mm_table());
  bit_DNA_t genome(mm_table.get());
  std::map<std::string, uint64_t> packed_starts;
  long packed_len = 0;
  MT_random rng;
  std::ifstream in(a.genome_path);
  const int status =
      read_genome_str_bit(in, genome, packed_starts, packed_len, rng);
  if (status != 0) {
    std::cerr << "Error reading genome\n";
    return status;
  }
  // A genome file changed between the two reads would give positions that
  // do not match the stored genome.
  if (packed_len != genome_len || packed_starts != starts) {
    std::cerr << "Error reading genome\n";
    return 1;
  }
  write_index_head(w, a.mode, genome_len, genome, table);
  return 0;
}

int build_index(const index_args_t &a, std::ifstream &genome_in,
                index_output_t &out) {
  std::cerr << "Reading genome...\n";
  std::map<std::string, std::string> seqs;
  std::map<std::string, uint64_t> starts;
  long genome_len = 0;
  int status = read_genome(genome_in, seqs, starts, genome_len);
  genome_in.close();
  if (status != 0)
    return status;
  if (uint64_t(genome_len) > MAX_GENOME_LENGTH) {
    std::cerr << "ERROR: Genome longer than 32-bits\n";
    return 2;
  }
  std::vector<twoint3_hash> recs = collect_records(seqs, starts, a);
  std::cerr << "Sorting list... " << recs.size() << " entries\n";
  sort_records(recs.data(), recs.size());
  std::cerr << "Analysing hash...\n";
  const group_stats_t stats = group_histogram(recs.data(), recs.size());
  print_histogram(std::cerr, stats);
  const std::map<std::string, uint64_t> table = sequence_table(seqs, starts);
  std::map<std::string, std::string>().swap(seqs);

  gz_writer_t w;
  gz_writer_init(w, out.file, WRITE_BUFFER);
  status = write_genome_part(a, genome_len, starts, table, w);
  if (status != 0)
    return status;
  if (w.failed)
    return report_write_failure(a);
  std::cerr << "Number of records: " << stats.groups << "\n"
            << "Writing hash to disk... " << a.out_path << "\n";
  write_index_groups(w, recs.data(), recs.size(), stats.groups,
                     index_span(a.k, a.mode));
  if (!gz_writer_flush(w))
    return report_write_failure(a);
  return 0;
}

} // namespace

int index(args_t args) {
  index_args_t a;
  int status = parse_index_args(args, a);
  if (status != 0)
    return status;
  std::ifstream genome_in;
  if ((status = open_genome(a.genome_path, genome_in)) != 0)
    return status;
  index_output_t out;
  if (!open_index_output(a.out_path, a.genome_path, out)) {
    std::cerr << "Could not write hash file: " << a.out_path << "\n";
    return 1;
  }
  try {
    status = build_index(a, genome_in, out);
  } catch (const std::bad_alloc &) {
    std::cerr << "ERROR: Not enough memory to build the index\n";
    status = 1;
  } catch (const std::length_error &) {
    std::cerr << "ERROR: Not enough memory to build the index\n";
    status = 1;
  }
  if (status != 0) {
    discard_index_output(out);
    return status;
  }
  if (!commit_index_output(out)) {
    std::cerr << "Could not write hash file: " << a.out_path << "\n";
    return 1;
  }
  return 0;
}
