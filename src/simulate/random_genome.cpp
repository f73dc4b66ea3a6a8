// random_genome: a haploid mutated copy of a genome, with its coordinate map
// and its edits file as the truth for later scoring.

#include <cctype>
#include <cmath>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "commands.h"
#include "common/bit_dna.h"
#include "common/constants.h"
#include "common/genome.h"
#include "common/mt_random.h"
#include "common/number_word.h"
#include "common/staged_output.h"
#include "common/strings.h"
#include "simulate/coord_map.h"
#include "simulate/edits_file.h"
#include "simulate/sim_checks.h"

namespace {

// Map entries are the mutated length so far plus 1, held in 32 bits.
const uint64_t MAX_MUTATED_LEN = UINT32_MAX - 1;
const int FASTA_LINE = 50;

struct mutation_params_t {
  double percent_mismatch = 0;
  double percent_gapped = 0;
  double avg_gap_length = 0;
};

struct mutation_counts_t {
  long num_SNP = 0;
  long num_DEL = 0;
  long num_INS = 0;
};

// The mutated text of one sequence as it is being written.
struct mutated_seq_t {
  std::ostream *fa = nullptr;
  uint64_t num_written = 0;
  uint32_t mut_pos = 1;
};

void put_base(mutated_seq_t &m, char c) {
  *m.fa << c;
  ++m.mut_pos;
  ++m.num_written;
  if (m.num_written % FASTA_LINE == 0)
    *m.fa << '\n';
}

bool fits(const mutated_seq_t &m, uint64_t more) {
  return more <= MAX_MUTATED_LEN - m.num_written;
}

// Power law: floor((1 - u)^-avg_gap_length). A huge parameter can overflow
// the double; such a gap is simply as long as anything can be.
uint64_t draw_gap_len(MT_random &gen, double avg_gap_length) {
  const double len = std::floor(std::exp(gen.genrand_exp(avg_gap_length)));
  if (!(len < 18446744073709551616.0))
    return UINT64_MAX;
  return static_cast<uint64_t>(len);
}

// Writes one sequence's mutated text and edits lines and fills its map
// entries. Returns false when the mutated text would outgrow the map.
bool mutate_sequence(const std::string &name, const std::string &seq,
                     const mutation_params_t &p, MT_random &rand_gen,
                     std::ostream &fa, std::ostream &edits,
                     std::vector<uint32_t> &map_temp_vec,
                     mutation_counts_t &counts) {
  mutated_seq_t m;
  m.fa = &fa;
  uint64_t num_deletion = 0;
  map_temp_vec.clear();
  map_temp_vec.reserve(seq.size());
  for (size_t i = 0; i < seq.size(); ++i) {
    const uint32_t ref_pos = static_cast<uint32_t>(i + 1);
    if (num_deletion != 0) {
      --num_deletion;
      map_temp_vec.push_back(0);
      continue;
    }
    const char genome_char =
        static_cast<char>(std::toupper(static_cast<unsigned char>(seq[i])));
    const bool base_mm = rand_gen.genrand_bern(p.percent_mismatch);
    if (genome_char == 'N') {
      if (!fits(m, 1))
        return false;
      put_base(m, 'N');
    } else if (base_mm) {
      const char mut_char =
          get_int_base(static_cast<int>(rand_gen.genrand_int_range(0, 3)));
      if (!fits(m, 1))
        return false;
      put_base(m, mut_char);
      if (mut_char != genome_char) {
        write_snp_line(edits, name, ref_pos, genome_char, mut_char);
        ++counts.num_SNP;
      }
    } else if (!rand_gen.genrand_bern(p.percent_gapped)) {
      if (!fits(m, 1))
        return false;
      put_base(m, genome_char);
    } else {
      const uint64_t gap_len = draw_gap_len(rand_gen, p.avg_gap_length);
      if (rand_gen.genrand_bern(0.5)) {
        write_del_line(edits, name, ref_pos, seq.substr(i, gap_len), gap_len);
        ++counts.num_DEL;
        num_deletion = gap_len - 1;
        map_temp_vec.push_back(0);
        continue;
      }
      if (!fits(m, 1) || gap_len > MAX_MUTATED_LEN - m.num_written - 1)
        return false;
      put_base(m, genome_char);
      std::string inserted_bases;
      for (uint64_t g = 0; g < gap_len; ++g) {
        const char insert_bp =
            get_int_base(static_cast<int>(rand_gen.genrand_int_range(0, 3)));
        inserted_bases += insert_bp;
        put_base(m, insert_bp);
      }
      write_ins_line(edits, name, ref_pos, gap_len, inserted_bases);
      ++counts.num_INS;
    }
    map_temp_vec.push_back(m.mut_pos);
  }
  if (m.num_written % FASTA_LINE != 0)
    fa << '\n';
  return true;
}

void print_usage() {
  std::cerr << "Usage: " << PROG_NAME
            << " random_genome <genome_file> <%_mismatch> <%_gapped> "
               "<gap_len_param> <output_prefix>\n"
            << "    genome_file    -- FASTA file of reference sequences\n"
            << "    %_mismatch     -- Probability that a base is substituted\n"
            << "    %_gapped       -- Probability that a gap or insertion is "
               "opened\n"
            << "    gap_len_param    -- Parameter in power law distribution "
               "(specify 1 for human genome)\n"
            << "    output_prefix  -- Output files are <output_prefix>{.fa, "
               ".fa.map and .edits}\n"
            << "Generate a haploid genome with specified mutation rates\n";
}

// Reference positions are 32-bit in the map and in the edits file.
bool sequences_fit(const std::map<std::string, std::string> &genome_str) {
  for (const auto &seq : genome_str) {
    if (seq.second.size() > UINT32_MAX) {
      std::cerr << "ERROR: Sequence " << seq.first << " is longer than "
                << UINT32_MAX << " bases\n";
      return false;
    }
  }
  return true;
}

bool report_write_failure(const std::ostream &os, const std::string &file) {
  if (os)
    return false;
  std::cerr << "ERROR: Could not write " << file << "\n";
  return true;
}

// The gap length law needs a parameter of at least 0: below it, gaps of
// length 0 arise.
bool read_mutation_params(const args_t &args, mutation_params_t &p) {
  return read_percent(args[1], "%_mismatch", p.percent_mismatch) &&
         read_percent(args[2], "%_gapped", p.percent_gapped) &&
         real_arg(args[3], "gap_len_param", 0, NO_UPPER_LIMIT,
                  p.avg_gap_length);
}

} // namespace

int random_genome(args_t args) {
  if (args.size() != 5) {
    print_usage();
    return 3;
  }
  const std::string genome_filename = args[0];
  mutation_params_t p;
  if (!read_mutation_params(args, p))
    return 3;
  const std::string output_prefix = args[4];

  line_reader_t genome_file;
  if (!line_reader_open(genome_file, genome_filename)) {
    std::cerr << "ERROR: Cannot open genome file, " << genome_filename << "\n";
    return 3;
  }
  const std::string fa_name = output_prefix + ".fa";
  const std::string edits_name = output_prefix + ".edits";
  const std::string map_name = output_prefix + ".fa.map";
  if (overwrites_genome(genome_filename, {fa_name, edits_name, map_name}))
    return 3;
  if (int text = check_genome_head(genome_filename))
    return text;
  staged_outputs_t staged;
  staged_stream_t fa, edits, map_file;
  if (!open_staged(staged, fa_name, fa)) {
    std::cerr << "ERROR: Cannot write genome file, " << fa_name << "\n";
    return 3;
  }
  if (!open_staged(staged, edits_name, edits)) {
    std::cerr << "ERROR: Cannot write edits file, " << edits_name << "\n";
    return 3;
  }
  if (!open_staged(staged, map_name, map_file)) {
    std::cerr << "ERROR: Cannot write map file, " << map_name << "\n";
    return 3;
  }

  MT_random rand_gen;
  std::map<std::string, std::string> genome_str;
  std::map<std::string, uint64_t> genome_start;
  long genome_length = 0;
  const int status =
      read_genome(genome_file, genome_str, genome_start, genome_length);
  if (status != 0)
    return report_not_text(status, genome_filename);
  std::cerr << "Genome Length: " << genome_length << "\n";
  if (!sequences_fit(genome_str))
    return 1;

  write_map_count(map_file.os, genome_str.size());
  mutation_counts_t counts;
  std::vector<uint32_t> map_temp_vec;
  for (const auto &seq : genome_str) {
    fa.os << '>' << seq.first << '\n';
    write_map_name(map_file.os, seq.first);
    if (!mutate_sequence(seq.first, seq.second, p, rand_gen, fa.os, edits.os,
                         map_temp_vec, counts)) {
      std::cerr << "ERROR: Mutated sequence " << seq.first
                << " would be longer than " << MAX_MUTATED_LEN << " bases\n";
      return 1;
    }
    write_map_entries(map_file.os, map_temp_vec);
  }

  std::cerr << "Number SNPs: " << counts.num_SNP << "\n"
            << "Number DELs: " << counts.num_DEL << "\n"
            << "Number INSs: " << counts.num_INS << "\n";
  close_staged(fa);
  close_staged(edits);
  close_staged(map_file);
  if (report_write_failure(fa.os, fa_name) ||
      report_write_failure(edits.os, edits_name) ||
      report_write_failure(map_file.os, map_name))
    return 1;
  return commit_or_say(staged, "ERROR: Could not write ") ? 0 : 1;
}
