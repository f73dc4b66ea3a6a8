#include "simulate/gap_reads.h"

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

static void gap_reads_usage() {
  std::cerr << "Usage: " << PROG_NAME
            << " gap_reads [-i] <genome_file> <read_len>"
            << " <num_reads> <%_mismatch> <num_gaps> <gap_len>\n"
            << "    -i           -- use ion torrent error profile\n"
            << "    genome_file  -- FASTA file of reference sequences\n"
            << "    read_len     -- Read length to generate\n"
            << "    num_reads    -- Number of reads to generate\n"
            << "    %_mismatch   -- Probability that a base is substituted\n"
            << "    num_gaps     -- Total number of gaps in each read\n"
            << "    gap_len      -- Length of each gap in each read (negative "
               "means insertion)\n"
            << "Generate random reads from genome, each has specified gap "
               "number and length.\n"
            << "Outputted in FASTQ format to stdout\n";
}

// Draws windows until one lies inside its sequence and is all A, C, G, T.
static sim_locus_t draw_gap_window(const sim_genome_t &genome, int64_t read_len,
                                   MT_random &gen, std::string &read) {
  for (;;) {
    sim_locus_t at =
        locate(genome, gen.genrand_int_range(1, genome.length - read_len + 1));
    if (at.loc - 1 + read_len <= static_cast<int64_t>(at.seq->size()) &&
        copy_clean_upper(*at.seq, at.loc, read_len, read))
      return at;
  }
}

// Removes blocks of `gap_len` bases, then refills from the genome text after
// the window so the read keeps its length where the sequence allows.
static void delete_gaps(const gap_reads_params_t &params, const sim_locus_t &at,
                        MT_random &gen, std::string &read) {
  const size_t gap_len = params.gap_len;
  for (int32_t g = 0; g < params.num_gaps && read.size() > gap_len; ++g) {
    uint64_t p = gen.genrand_int_range(1, read.size() + 1 - gap_len);
    read.erase(p - 1, gap_len);
  }
  const size_t read_len = params.read_len;
  if (read.size() >= read_len)
    return;
  size_t next = at.loc - 1 + read_len;
  std::string refill = at.seq->substr(next, read_len - read.size());
  for (char c : refill)
    read += upper_base(c);
}

// Inserts blocks of random bases, then keeps the first `read_len` bases.
// Text pushed past `read_len` can never come back, so it is dropped at once
// while the full length still sets the range of the next position.
static void insert_gaps(const gap_reads_params_t &params, MT_random &gen,
                        std::string &read) {
  const int64_t ins_len = -int64_t(params.gap_len);
  const size_t read_len = params.read_len;
  int64_t length = read.size();
  for (int32_t g = 0; g < params.num_gaps; ++g) {
    int64_t end = length + 1 - ins_len;
    uint64_t p = 1;
    if (end >= 1)
      p = gen.genrand_int_range(1, end);
    else
      gen.genrand64_real2(); // an insertion as long as the read plus one
    std::string ins = rand_mer(gen, ins_len);
    if (p - 1 < read.size())
      read.insert(p - 1, ins);
    length += ins_len;
    if (read.size() > read_len)
      read.resize(read_len);
  }
  if (read.size() > read_len)
    read.resize(read_len);
}

static int32_t substitute_each(std::string &read, double rate, MT_random &gen) {
  int32_t num_mm = 0;
  for (char &base : read) {
    if (gen.genrand_bern(rate)) {
      base = substitute_base(base, gen);
      ++num_mm;
    }
  }
  return num_mm;
}

void simulate_gap_reads(const gap_reads_params_t &params,
                        const sim_genome_t &genome, MT_random &gen,
                        std::ostream &out) {
  std::string read;
  // A failed write ends the reads: nothing written after it could follow
  // on from what the output holds.
  for (int64_t num_gen = 0; num_gen < params.num_reads && out;) {
    sim_locus_t at = draw_gap_window(genome, params.read_len, gen, read);
    if (params.gap_len > 0)
      delete_gaps(params, at, gen, read);
    else if (params.gap_len < 0)
      insert_gaps(params, gen, read);
    int32_t num_mm = substitute_each(read, params.percent_mismatch, gen);
    int direction = static_cast<int>(gen.genrand_int_range(0, 1));
    if (direction == 1)
      read = compleseq(read);
    ++num_gen;
    write_sim_record(
        out,
        format_single_truth_name(num_gen, *at.chr, at.loc, num_mm, direction),
        read);
  }
}

static bool parse_gap_reads_args(const args_t &args,
                                 gap_reads_params_t &params) {
  params.genome_filename = args[0];
  return whole_arg(args[1], "read_len", 1, INT_MAX, params.read_len) &&
         whole_arg(args[2], "num_reads", 0, INT64_MAX, params.num_reads) &&
         read_percent(args[3], "%_mismatch", params.percent_mismatch) &&
         whole_arg(args[4], "num_gaps", 0, INT_MAX, params.num_gaps) &&
         whole_arg(args[5], "gap_len", INT_MIN, INT_MAX, params.gap_len);
}

// An insertion may be at most one base longer than the read: beyond that no
// position is left to place the first one.
static bool check_gap_len(const gap_reads_params_t &params) {
  if (-int64_t(params.gap_len) <= int64_t(params.read_len) + 1)
    return true;
  std::cerr << "ERROR: Bad gap length: " << params.gap_len << std::endl;
  return false;
}

int gap_reads(args_t args) {
  if (args.size() != 6) {
    gap_reads_usage();
    return 3;
  }
  gap_reads_params_t params;
  if (!parse_gap_reads_args(args, params))
    return 3;
  // The refusals guard runs that could never finish; a run asked for no
  // read always does.
  const bool any = params.num_reads > 0;
  if (any && !check_gap_len(params))
    return 3;
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
  if (any && !check_windows(genome, params.read_len, params.read_len))
    return 3;
  simulate_gap_reads(params, genome, gen, std::cout);
  return check_written(std::cout, "standard output") ? 0 : 1;
}
