#include "simulate/pair_reads.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iostream>

#include "common/bit_dna.h"
#include "common/constants.h"
#include "common/genome.h"
#include "common/mt_random.h"
#include "common/number_word.h"
#include "common/staged_output.h"
#include "common/strings.h"
#include "simulate/fastq_record.h"
#include "simulate/sim_checks.h"
#include "simulate/sim_genome.h"
#include "simulate/truth_name.h"

// The template-length draw (a sum of 48 uniforms, centred and halved) never
// lies further than this many standard deviations from the mean.
static const double TEMPLATE_SPREAD_SDS = 12.0;

static void pair_reads_usage() {
  std::cerr
      << "Usage: " << PROG_NAME
      << " pair_reads <genome_file> <read_len1> <read_len2> <num_pairs> "
         "<%_mismatch> "
      << "<avg_template_len> <sd_template_len> <%unmappable> "
         "<output_prefix>\n"
      << "    genome_file       -- Reference genome in FASTA format\n"
      << "    read_len1         -- Read length of first pair (forward)\n"
      << "    read_len2         -- Read length of second pair (reverse)\n"
      << "    num_pairs         -- Number of pairs to generate\n"
      << "    %_mismatch        -- Probability that a base will be "
         "substituted\n"
      << "    avg_template_len  -- Average length of template\n"
      << "    sd_template_len   -- Standard deviation of template length\n"
      << "    %unmappable       -- % of pairs that are random bases\n"
      << "    output_prefix     -- Output will be <output_prefix>_1.fq and "
         "<output_prefix>_2.fq\n"
      << "Template length drawn from a normal distribution where \n"
      << "templates less than the maximum read length are discarded"
      << std::endl;
}

struct pair_candidate_t {
  int32_t template_len = 0;
  sim_locus_t at;
  bool random = false;
  int direction = 0;
  std::string read[2];
};

// Template length and position. A length that no position range can hold
// (longer than the whole genome) is rejected before the position draw.
static bool draw_template(const pair_reads_params_t &params,
                          const sim_genome_t &genome, MT_random &gen,
                          pair_candidate_t &c) {
  double len = std::round(params.avg_template_len +
                          params.sd_template_len * gen.genrand_norm());
  int64_t max_len = std::max(params.read_len1, params.read_len2);
  if (!(len >= max_len))
    return false;
  if (len > genome.length || len > INT32_MAX)
    return false;
  c.template_len = static_cast<int32_t>(len);
  c.at = locate(genome,
                gen.genrand_int_range(1, genome.length - c.template_len + 1));
  return c.at.loc + c.template_len - 1 <=
         static_cast<int64_t>(c.at.seq->size());
}

static void substitute_read(std::string &read, double rate, MT_random &gen) {
  for (char &base : read)
    if (gen.genrand_bern(rate))
      base = substitute_base(base, gen);
}

static bool all_acgt(const std::string &read) {
  return std::all_of(read.begin(), read.end(), is_acgt);
}

// One candidate pair, drawn in the fixed order; false when rejected.
static bool draw_pair(const pair_reads_params_t &params,
                      const sim_genome_t &genome, MT_random &gen,
                      pair_candidate_t &c) {
  if (!draw_template(params, genome, gen, c))
    return false;
  std::string tmpl;
  c.random = gen.genrand_bern(params.percent_unmappble);
  if (c.random)
    tmpl = rand_mer(gen, c.template_len);
  else
    copy_clean_upper(*c.at.seq, c.at.loc, c.template_len, tmpl);
  c.direction = static_cast<int>(gen.genrand_int_range(0, 1));
  if (c.direction == 1)
    tmpl = compleseq(tmpl);
  c.read[0] = tmpl.substr(0, params.read_len1);
  c.read[1] = tmpl.substr(c.template_len - params.read_len2);
  substitute_read(c.read[0], params.mismatch_rate, gen);
  substitute_read(c.read[1], params.mismatch_rate, gen);
  if (!all_acgt(c.read[0]) || !all_acgt(c.read[1]))
    return false;
  c.read[1] = compleseq(c.read[1]);
  return true;
}

static void write_pair(const pair_reads_params_t &params,
                       const pair_candidate_t &c, int64_t num,
                       std::ostream *out[2]) {
  uint32_t pos1 = static_cast<uint32_t>(c.at.loc);
  uint32_t pos2 = pos1 + static_cast<uint32_t>(c.template_len) -
                  static_cast<uint32_t>(params.read_len2);
  for (int e = 1; e <= 2; ++e) {
    std::string name =
        c.random
            ? format_pair_random_truth_name(num, c.template_len, c.direction, e)
            : format_pair_truth_name(num, *c.at.chr, pos1, pos2, c.template_len,
                                     c.direction, e);
    write_sim_record(*out[e - 1], name, c.read[e - 1]);
  }
}

bool simulate_pair_reads(const pair_reads_params_t &params,
                         const sim_genome_t &genome, MT_random &gen,
                         std::ostream &out1, std::ostream &out2,
                         int64_t max_rejected) {
  std::ostream *out[2] = {&out1, &out2};
  pair_candidate_t c;
  int64_t rejected = 0;
  for (int64_t num_gen = 0; num_gen < params.num_reads;) {
    if (!draw_pair(params, genome, gen, c)) {
      if (++rejected >= max_rejected)
        return false;
      continue;
    }
    rejected = 0;
    write_pair(params, c, num_gen + 1, out);
    ++num_gen;
  }
  return true;
}

static bool parse_pair_reads_args(const args_t &args,
                                  pair_reads_params_t &params) {
  params.genome_filename = args[0];
  params.output_prefix = args[8];
  return whole_arg(args[1], "read_len1", 1, INT_MAX, params.read_len1) &&
         whole_arg(args[2], "read_len2", 1, INT_MAX, params.read_len2) &&
         whole_arg(args[3], "num_pairs", 0, INT64_MAX, params.num_reads) &&
         read_percent(args[4], "%_mismatch", params.mismatch_rate) &&
         real_arg(args[5], "avg_template_len", 0, NO_UPPER_LIMIT,
                  params.avg_template_len) &&
         real_arg(args[6], "sd_template_len", 0, NO_UPPER_LIMIT,
                  params.sd_template_len) &&
         read_percent(args[7], "%unmappable", params.percent_unmappble);
}

// The length draw lies within 12 standard deviations of the mean; some
// length in that range must fit a sequence and hold both reads, and some
// sequence long enough must hold a read's worth of clean bases.
static bool check_pair_genome(const pair_reads_params_t &params,
                              const sim_genome_t &genome) {
  int64_t max_len = std::max(params.read_len1, params.read_len2);
  int64_t longest = longest_sequence(genome);
  if (longest < max_len) {
    std::cerr << "ERROR: Read length " << max_len
              << " is too long for every sequence of the genome" << std::endl;
    return false;
  }
  double spread = TEMPLATE_SPREAD_SDS * std::fabs(params.sd_template_len);
  double lo = std::round(params.avg_template_len - spread);
  double hi = std::round(params.avg_template_len + spread);
  if (!(hi >= max_len && lo <= longest)) {
    std::cerr << "ERROR: Template length can never lie between " << max_len
              << " and the longest sequence, " << longest << std::endl;
    return false;
  }
  int64_t shortest_template = std::max<int64_t>(max_len, lo);
  if (!has_clean_run(genome, max_len, shortest_template)) {
    std::cerr << "ERROR: No sequence holds " << max_len
              << " consecutive A, C, G, T bases to cut a read from"
              << std::endl;
    return false;
  }
  return true;
}

static bool open_reads_file(staged_outputs_t &staged, staged_stream_t &file,
                            const std::string &name) {
  if (open_staged(staged, name, file))
    return true;
  std::cerr << "ERROR: Cannot write to reads file, " << name << std::endl;
  return false;
}

int pair_reads(args_t args) {
  if (args.size() != 9) {
    pair_reads_usage();
    return 3;
  }
  pair_reads_params_t params;
  if (!parse_pair_reads_args(args, params))
    return 3;
  // The refusals guard runs that could never finish; a run asked for no
  // pair always does.
  const bool any = params.num_reads > 0;
  line_reader_t genome_file;
  if (!open_genome_file(genome_file, params.genome_filename))
    return 3;
  std::string name1 = params.output_prefix + "_1.fq";
  std::string name2 = params.output_prefix + "_2.fq";
  if (overwrites_genome(params.genome_filename, {name1, name2}))
    return 3;
  if (int text = check_genome_head(params.genome_filename))
    return text;
  staged_outputs_t staged;
  staged_stream_t out1, out2;
  if (!open_reads_file(staged, out1, name1) ||
      !open_reads_file(staged, out2, name2))
    return 3;
  MT_random gen;
  sim_genome_t genome;
  int status = load_sim_genome(genome_file, genome);
  if (status != 0)
    return report_not_text(status, params.genome_filename);
  if (any && !check_pair_genome(params, genome))
    return 3;
  if (!simulate_pair_reads(params, genome, gen, out1.os, out2.os)) {
    std::cerr << "ERROR: No pair accepted in " << MAX_REJECTED_PAIRS
              << " candidates in a row" << std::endl;
    return 3;
  }
  close_staged(out1);
  close_staged(out2);
  if (!check_written(out1.os, name1) || !check_written(out2.os, name2))
    return 1;
  return commit_or_say(staged, "ERROR: Could not write to ") ? 0 : 1;
}
