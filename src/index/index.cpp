// The `index` command: FASTA genome in, gzip-compressed k-mer index out.
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "commands.h"
#include "common/constants.h"
#include "common/genome.h"
#include "common/number_word.h"
#include "common/parallel.h"
#include "common/path_utils.h"
#include "common/staged_output.h"
#include "index/gz_member.h"
#include "index/gz_writer.h"
#include "index/index_file.h"
#include "index/index_format.h"
#include "index/index_genome.h"
#include "index/kmer_collect.h"

namespace {

struct index_args_t {
  int mode = 1;
  int k = 0;
  std::string genome_path;
  std::string out_path;
};

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
    if (!whole_kind_arg(args[i + 1], "-I", 0, NUM_INDEX_MODES - 1, a.mode))
      return 3;
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
  if (!whole_kind_arg(args[i + 1], "k-mer_size", MIN_KMER_SIZE, MAX_KMER_SIZE,
                      a.k))
    return 3;
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

// A descriptor of the genome file, or -1; `size` is 0 unless it is a
// regular file.
int open_genome(const std::string &path, uint64_t &size) {
  const int fd = open_for_reading(path);
  struct stat st;
  if (fd < 0 || !look_at(fd, st) || S_ISDIR(st.st_mode)) {
    if (fd >= 0)
      close(fd);
    return -1;
  }
  size = S_ISREG(st.st_mode) ? uint64_t(st.st_size) : 0;
  return fd;
}

// A zero-length sequence shares its start with the next one, and a reader
// could not tell which of the two names owns the bases: the table lists only
// sequences that hold bases. A genome without any base keeps all its names,
// as a table must list at least one sequence.
const std::map<std::string, uint64_t> &sequence_table(const index_genome_t &g) {
  return g.filled.empty() ? g.starts : g.filled;
}

// The progress line of every chromosome, in name order, before each pass.
void print_progress(const index_genome_t &g) {
  std::string lines;
  for (const auto &chr : g.starts)
    lines += "Processing ... " + chr.first + " -- " +
             std::to_string(uint32_t(chr.second - 1)) + "\n";
  std::cerr << lines;
}

struct record_list_t {
  std::unique_ptr<twoint3_hash[]> recs;
  kmer_plan_t plan;
};

// Selects the windows into a list sorted by key then position.
void collect_records(const index_genome_t &g, const index_args_t &a,
                     int threads, record_list_t &list) {
  print_progress(g);
  count_windows(g, a.k, a.mode, threads, list.plan);
  const uint64_t counter = list.plan.total + 1;
  std::cerr << "Allocating " << counter * sizeof(twoint3_hash) << " Bytes\n";
  list.recs.reset(new twoint3_hash[counter]);
  std::cerr << "Record size: " << sizeof(twoint3_hash) << " bytes\n"
            << "Scanning genome for " << a.k << "-mers...\n";
  print_progress(g);
  collect_windows(g, list.plan, threads, list.recs.get());
  std::cerr << "Sorting list... " << list.plan.total << " entries\n";
  sort_ranges(list.plan, threads, list.recs.get());
}

int report_write_failure(const index_args_t &a) {
  std::cerr << "Could not write hash file: " << a.out_path << "\n";
  return 1;
}

int build_index(const index_args_t &a, int genome_fd, uint64_t genome_size,
                int out_fd) {
  const int threads = available_cores();
  std::cerr << "Reading genome...\n";
  index_genome_t g;
  int status = read_index_genome(genome_fd, a.genome_path, genome_size, g);
  if (status != 0)
    return report_not_text(status, a.genome_path);
  if (uint64_t(g.length) > MAX_GENOME_LENGTH) {
    std::cerr << "ERROR: Genome longer than 32-bits\n";
    return 2;
  }
  record_list_t list;
  collect_records(g, a, threads, list);
  const twoint3_hash *recs = list.recs.get();
  const uint64_t n = list.plan.total;
  std::cerr << "Analysing hash...\n";
  const group_stats_t stats =
      group_histogram(recs, list.plan.range_start, threads);
  print_histogram(std::cerr, stats);
  std::vector<uint64_t>().swap(g.invalid);
  std::cerr << g.empty_warnings;

  gz_writer_t w;
  gz_writer_init(w, out_fd, INDEX_BLOCK_BYTES, threads);
  write_index_head(w, a.mode, g.length, g.packed, sequence_table(g));
  if (w.failed)
    return report_write_failure(a);
  std::cerr << "Number of records: " << stats.groups << "\n"
            << "Writing hash to disk... " << a.out_path << "\n";
  write_index_groups(w, recs, n, stats.groups, index_span(a.k, a.mode));
  if (!gz_writer_finish(w))
    return report_write_failure(a);
  return 0;
}

// A descriptor to write the index to, or -1 when the output may not or
// cannot be written. The index never replaces the genome it is built from.
int open_index_output(const index_args_t &a, staged_outputs_t &staged) {
  if (same_file(a.out_path, a.genome_path))
    return -1;
  return stage_output(staged, a.out_path);
}

// The index command but for its ending out of memory.
int run_index(args_t &args) {
  index_args_t a;
  int status = parse_index_args(args, a);
  if (status != 0)
    return status;
  uint64_t genome_size = 0;
  const int genome_fd = open_genome(a.genome_path, genome_size);
  if (genome_fd < 0) {
    std::cerr << "Could not open genome file: " << a.genome_path << "\n";
    return 1;
  }
  // An output written in place would be truncated before the load refused
  // such a genome.
  if ((status = check_genome_head(genome_fd, a.genome_path)) != 0) {
    close(genome_fd);
    return status;
  }
  staged_outputs_t staged;
  const int out_fd = open_index_output(a, staged);
  if (out_fd < 0) {
    close(genome_fd);
    std::cerr << "Could not write hash file: " << a.out_path << "\n";
    return 1;
  }
  status = build_index(a, genome_fd, genome_size, out_fd);
  close(genome_fd);
  const bool closed = close(out_fd) == 0;
  if (status != 0)
    return status;
  if (!closed || !commit_outputs(staged).empty()) {
    std::cerr << "Could not write hash file: " << a.out_path << "\n";
    return 1;
  }
  return 0;
}

} // namespace

// Memory may run out anywhere from the opening of the genome (the kernel's
// want of memory for an open or a look-up is the run's) to the last block
// written; the staged output is discarded on the way out.
int index(args_t args) {
  try {
    return run_index(args);
  } catch (const std::bad_alloc &) {
  } catch (const std::length_error &) {
  }
  std::cerr << "ERROR: Not enough memory to build the index\n";
  return 1;
}
