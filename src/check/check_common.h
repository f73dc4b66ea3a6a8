#pragma once
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "check/sam_group.h"
#include "commands.h"
#include "simulate/coord_map.h"

// Counts of reads (check_single) or pairs (check_pair), per group.
struct check_totals_t {
  int64_t total_reads = 0;                // mapped
  int64_t total_unique_reads = 0;         // mapped, one alignment
  int64_t total_mapq_reads = 0;           // ... and MAPQ good
  int64_t total_reads_aligned = 0;        // mapped at the true origin
  int64_t total_unique_reads_aligned = 0; // ... with one alignment
  int64_t total_mapq_reads_aligned = 0;   // ... and MAPQ good
};

// Adds one scored read (or pair) to the report counts.
void count_group(check_totals_t &t, bool good_read, bool mapped,
                 bool multiply_mapped, bool mapq_good);

// What the per-group kernels of both checkers share.
struct check_context_t {
  ref_map_t ref_map;
  bool map_exists = false;
  int wiggle_bp = 0;
  int min_mapq = 0;
  int min_len = 0; // check_pair only
  std::ostream *fq_file = nullptr;
  std::ostream *out_sam_file = nullptr;
  std::ostream *out_err_file = nullptr;
  check_totals_t totals;
  // Set when a kernel meets a true sequence that the map lacks.
  std::string missing_ref;
};

// A kernel scores one group, empties it and sets num_aligned; it returns
// false (with missing_ref set) when the group names a sequence the map lacks.
using check_kernel_fn = bool (*)(aln_list_t &aln_list, check_context_t &ctx,
                                 int &num_aligned);

bool check_single_kernel(aln_list_t &aln_list, check_context_t &ctx,
                         int &num_aligned);
bool check_pair_kernel(aln_list_t &aln_list, check_context_t &ctx,
                       int &num_aligned);

// |a - b| <= w, without overflow for any 64-bit values.
bool within_wiggle(int64_t a, int64_t b, int64_t w);

// Whether the reference position pos, translated through one sequence's
// coordinate map, lies within wiggle_bp of the truth; a neighbour d bases
// away must match d bases more closely.
bool check_wiggle_kernel(const std::vector<uint32_t> &refmap,
                         int64_t curr_chr_pos_temp, int64_t good_chr_pos,
                         int wiggle_bp);

// The map of rname, or null after recording it in ctx.missing_ref.
const std::vector<uint32_t> *map_for(check_context_t &ctx,
                                     const std::string &rname);

// Each line as its columns each followed by a TAB, and its FASTQ record.
void write_wrong_group(const aln_list_t &aln_list, std::ostream &out_sam_file,
                       std::ostream &fq_file);

void write_check_report(std::ostream &os, uint64_t num_reads, int min_mapq,
                        const check_totals_t &t, int64_t all_reads);

// True, after the message, when one of `outputs` is one of `inputs` under
// any name (opening it would empty the input before it is read), or when
// standard output, where the report goes, is one of either.
bool refuse_file_clash(const std::vector<std::string> &outputs,
                       const std::vector<std::string> &inputs);

// The command around a kernel: arguments, files, map, grouping, report.
struct checker_t {
  void (*print_usage)();
  size_t min_words;       // without the optional map file
  const char *count_name; // the usage text's name of the count of reads
  bool has_min_len;
  bool show_lengths;
  bool cut_pair_names;
  // Refuses a SAM file sorted by coordinate, where a group cannot be whole.
  bool needs_name_order;
  check_kernel_fn kernel;
};

int run_checker(const args_t &args, const checker_t &checker);
