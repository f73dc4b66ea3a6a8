// Commands that are not built yet answer with one line and status 3.
#include <iostream>

#include "commands.h"

static int not_built(const char *word) {
  std::cerr << word << ": not built yet" << std::endl;
  return 3;
}

// clang-format off
int raw2fasta(args_t) { return not_built("raw2fasta"); }
int check_idx(args_t) { return not_built("check_idx"); }
int subseq(args_t) { return not_built("subseq"); }
int qual_convert(args_t) { return not_built("qual_convert"); }
int fastq_trim(args_t) { return not_built("fastq_trim"); }
int merge_sam(args_t) { return not_built("merge_sam"); }
int sample_reads(args_t) { return not_built("sample_reads"); }
int fastq_filter(args_t) { return not_built("fastq_filter"); }
int fq_len_filter(args_t) { return not_built("fq_len_filter"); }
int fastq_stats(args_t) { return not_built("fastq_stats"); }
int index_depth(args_t) { return not_built("index_depth"); }
// clang-format on
