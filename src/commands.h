#pragma once
#include <string>
#include <vector>

// Every command takes its arguments (after the command word) by value and
// returns the process exit status.
using args_t = std::vector<std::string>;

int gap_reads(args_t args);
int pair_reads(args_t args);
int single_reads(args_t args);
int random_genome(args_t args);
int check_single(args_t args);
int check_pair(args_t args);
int check_edits(args_t args);
int raw2fasta(args_t args);
int affine_nw(args_t args);
int all_sw(args_t args);
int index(args_t args);
int align(args_t args);
int check_idx(args_t args);
int subseq(args_t args);
int qual_convert(args_t args);
int fastq_trim(args_t args);
int merge_sam(args_t args);
int sample_reads(args_t args);
int fastq_filter(args_t args);
int fq_len_filter(args_t args);
int fastq_stats(args_t args);
int index_depth(args_t args);
