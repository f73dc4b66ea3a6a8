#include "simulate/single_reads.h"

#include <algorithm>
#include <climits>
#include <iostream>

#include "common/bit_dna.h"
#include "common/constants.h"
#include "common/genome.h"
#include "common/mt_random.h"
#include "common/number_word.h"
#include "common/std_out.h"
#include "simulate/fastq_record.h"
#include "simulate/sim_checks.h"
#include "simulate/sim_genome.h"
#include "simulate/truth_name.h"

static void single_reads_usage() {
  std::cerr << "Usage: " << PROG_NAME
            << " single_reads [-i] <genome_file> <read_len> <num_reads> "
               "<%_mismatch> <%_unmappable>\n"
            << "    -i           -- use ion torrent error profile\n"
            << "    genome_file  -- FASTA file of reference sequences\n"
            << "    read_len     -- Read length to generate\n"
            << "    num_reads    -- Number of reads to generate\n"
            << "    %_mismatch   -- Probability that a base is substituted\n"
            << "    %_unmappable -- Probability that a read will be random "
               "bases\n"
            << "Generate random single-end reads from genome, each with a "
               "specified error profile.\n"
            << "Outputted in FASTQ format to stdout\n";
}

// Error probability of a homopolymer run of length 1, 2, 3, 4, 5 or more.
// Ion-torrent error rate after a run of n equal bases, n capped at
// ION_MAX_RUN.
static const int ION_MAX_RUN = 5;
static const double ion_error[ION_MAX_RUN + 1] = {0.0,   0.0,   0.001,
                                                  0.007, 0.018, 0.025};

std::string apply_homopolymer_errors(const std::string &window,
                                     MT_random &gen) {
  std::string out;
  out.reserve(window.size() * 2);
  out += window[0];
  char prev_char = window[0];
  int64_t prev_len = 1;
  for (size_t i = 1; i < window.size(); ++i) {
    char base = window[i];
    if (base == prev_char) {
      out += base;
      ++prev_len;
      continue;
    }
    if (!gen.genrand_bern(
            ion_error[std::min<int64_t>(prev_len, ION_MAX_RUN)])) {
      out += base;
    } else if (!gen.genrand_bern(0.5)) {
      out += prev_char;
      out += base;
    }
    prev_char = base;
    prev_len = 1;
  }
  return out;
}

// Draws the substitutions of one read; returns the number of draws made,
// or -1 when the rate is not a probability.
static int32_t substitute_single(std::string &read, int32_t read_len,
                                 double rate, MT_random &gen) {
  int32_t num_mismatch =
      static_cast<int32_t>(gen.genrand_binom(read_len, rate));
  for (int32_t i = 0; i < num_mismatch; ++i) {
    uint64_t p = gen.genrand_int_range(1, read.size());
    read[p - 1] = substitute_base(read[p - 1], gen);
  }
  return num_mismatch;
}

// One attempt; returns false when the drawn window is rejected.
static bool single_read_attempt(const single_reads_params_t &params,
                                const sim_genome_t &genome, MT_random &gen,
                                int64_t &num_gen, std::ostream &out) {
  const int64_t read_len = params.read_len;
  if (gen.genrand_bern(params.percent_unmappble)) {
    std::string read = rand_mer(gen, read_len);
    write_sim_record(out, format_single_random_truth_name(++num_gen), read);
    return true;
  }
  // Twice the read length leaves room for bases the error model drops.
  const int64_t window_len = 2 * read_len;
  sim_locus_t at =
      locate(genome, gen.genrand_int_range(1, genome.length - read_len + 1));
  if (at.loc - 1 + window_len > static_cast<int64_t>(at.seq->size()))
    return false;
  std::string window;
  if (!copy_clean_upper(*at.seq, at.loc, window_len, window))
    return false;
  std::string read =
      params.ion ? apply_homopolymer_errors(window, gen) : std::move(window);
  read.resize(std::min<size_t>(read.size(), read_len));
  int32_t num_mismatch =
      substitute_single(read, params.read_len, params.percent_mismatch, gen);
  int direction = static_cast<int>(gen.genrand_int_range(0, 1));
  if (direction == 1)
    read = compleseq(read);
  ++num_gen;
  write_sim_record(out,
                   format_single_truth_name(num_gen, *at.chr, at.loc,
                                            num_mismatch, direction),
                   read);
  return true;
}

void simulate_single_reads(const single_reads_params_t &params,
                           const sim_genome_t &genome, MT_random &gen,
                           std::ostream &out) {
  int64_t num_gen = 0;
  // A failed write ends the reads: nothing written after it could follow
  // on from what the output holds.
  while (num_gen < params.num_reads && out)
    single_read_attempt(params, genome, gen, num_gen, out);
}

// The position of the genome file among the arguments (after -i), or -1
// for the usage text.
static int single_reads_offset(const args_t &args) {
  if (args.size() == 6 && args[0] == "-i")
    return 1;
  return args.size() == 5 ? 0 : -1;
}

static bool parse_single_reads_args(const args_t &args, size_t off,
                                    single_reads_params_t &params) {
  params.ion = off == 1;
  params.genome_filename = args[off];
  return whole_arg(args[off + 1], "read_len", 1, INT_MAX, params.read_len) &&
         whole_arg(args[off + 2], "num_reads", 0, INT64_MAX,
                   params.num_reads) &&
         read_percent(args[off + 3], "%_mismatch", params.percent_mismatch) &&
         read_percent(args[off + 4], "%_unmappable", params.percent_unmappble);
}

int single_reads(args_t args) {
  const int off = single_reads_offset(args);
  if (off < 0) {
    single_reads_usage();
    return 3;
  }
  single_reads_params_t params;
  if (!parse_single_reads_args(args, size_t(off), params))
    return 3;
  // The refusals guard runs that could never finish; a run asked for no
  // read always does.
  const bool any = params.num_reads > 0;
  if (stdout_clash({params.genome_filename}))
    return 1;
  line_reader_t genome_file;
  if (!open_genome_file(genome_file, params.genome_filename))
    return 3;
  if (int text = check_genome_head(params.genome_filename))
    return text;
  MT_random gen;
  sim_genome_t genome;
  int status = load_sim_genome(genome_file, genome);
  if (status != 0)
    return report_not_text(status, params.genome_filename);
  if (any &&
      !check_windows(genome, params.read_len, 2 * int64_t(params.read_len)))
    return 3;
  simulate_single_reads(params, genome, gen, std::cout);
  return check_written(std::cout, "standard output") ? 0 : 1;
}
