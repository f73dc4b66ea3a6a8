#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "commands.h"
#include "common/constants.h"
#include "common/fatal.h"

namespace {

struct command_entry {
  const char *word;
  int (*run)(args_t);
};

// Compared in this order; the first exact match wins.
const command_entry COMMANDS[] = {
    {"gap_reads", gap_reads},
    {"pair_reads", pair_reads},
    {"single_reads", single_reads},
    {"random_genome", random_genome},
    {"check_single", check_single},
    {"check_pair", check_pair},
    {"check_edits", check_edits},
    {"raw2fasta", raw2fasta},
    {"affine_nw", affine_nw},
    {"all_sw", all_sw},
    {"index", index},
    {"align", align},
    {"check_idx", check_idx},
    {"subseq", subseq},
    {"qual_convert", qual_convert},
    {"fastq_trim", fastq_trim},
    {"merge_sam", merge_sam},
    {"sample_reads", sample_reads},
    {"fastq_filter", fastq_filter},
    {"fq_len_filter", fq_len_filter},
    {"fastq_stats", fastq_stats},
    {"index_depth", index_depth},
};

// A closed standard output or error would hand its number to the next file
// the command opens, and what is meant for the stream would land in that
// file. A read-only /dev/null holds the number instead, so that writes to
// the stream still fail as they do on a closed one.
void hold_closed_std_streams() {
  for (int fd : {STDOUT_FILENO, STDERR_FILENO}) {
    if (fcntl(fd, F_GETFD) != -1)
      continue;
    const int null = open("/dev/null", O_RDONLY);
    if (null >= 0 && null != fd) {
      dup2(null, fd);
      close(null);
    }
  }
}

void print_banner() {
  std::cerr << "**" << PROG_NAME << "\n"
            << "Version: " << BUILD << "\n"
            << "https://venkari.example.org\n"
            << "https://github.com/venkari/venkari-basic\n"
            << "\n";
}

[[noreturn]] void print_usage_and_exit() {
  std::cerr
      << "Usage: " << PROG_NAME << " <option>\n"
      << "Options:\n"
      << "-== Main ==-\n"
      << "  index          -- Index the reference\n"
      << "  align          -- Align reads to generate SAM file\n"
      << "\n"
      << "-== Benchmarking ==-\n"
      << "  random_genome  -- Generate a new genome file with random "
         "mutations\n"
      << "  gap_reads      -- Generate random reads from the genome (output in "
         "FASTQ)\n"
      << "  single_reads   -- Generate random reads from the genome, better, "
         "single (output in FASTQ)\n"
      << "  pair_reads     -- Generate random reads from the genome, better, "
         "paired-end (output in FASTQ)\n"
      << "  check_single   -- Check the alignment in SAM format (names from "
         "genome_reads, needs map)\n"
      << "  check_pair     -- Check the alignment of paired-end reads in SAM "
         "format (names from genome_reads, needs map)\n"
      << "  check_edits    -- Check the edits found in VCF file are in the "
         "correct locations (needs .edit)\n"
      << "\n"
      << "-== Useful Tools ==-\n"
      << "  raw2fasta      -- Convert RAW reads to FASTA format\n"
      << "  subseq         -- Extract a region from a single chromosome FASTA "
         "file\n"
      << "  qual_convert   -- Convert the quality of FASTQ files\n"
      << "  fastq_trim     -- Trim BWA style [not implemented yet]\n"
      << "  fastq_filter   -- Only output reads with a percentage of bases "
         "above a certain quality\n"
      << "  fq_len_filter  -- Reject reads less than some length\n"
      << "  fastq_stats    -- Get some statistics from the FASTQ file\n"
      << "  merge_sam      -- Concatenate two SAM files, not BAM\n"
      << "  sample_reads   -- Randomly select some reads from a FASTQ file\n";
  std::exit(2);
}

// Allocates nothing, as memory may still be short; what the command wrote
// to standard output goes before it.
void report_uncaught(const char *word, const char *what) {
  std::cout.flush();
  std::cerr << "ERROR: " << word << ": " << what << std::endl;
}

// An exception that no command catches is reported here, once the stack
// has unwound and so the run's unfinished output files are removed. The
// argument vector is built in here too: memory may be short already.
int run_command(const command_entry &cmd, char **first, char **last) {
  try {
    return cmd.run(args_t(first, last));
  } catch (...) {
    report_uncaught(cmd.word, exception_reason());
  }
  return 1;
}

} // namespace

int main(int argc, char **argv) {
  hold_closed_std_streams();
  print_banner();
  if (argc < 2)
    print_usage_and_exit();
  for (const command_entry &cmd : COMMANDS)
    if (std::strcmp(argv[1], cmd.word) == 0)
      return run_command(cmd, argv + 2, argv + argc);
  print_usage_and_exit();
}
