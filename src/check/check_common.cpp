#include "check/check_common.h"

#include <climits>
#include <iostream>

#include "common/number_word.h"
#include "common/path_utils.h"
#include "common/staged_output.h"
#include "common/std_out.h"
#include "common/strings.h"
#include "simulate/sim_checks.h"

namespace {

struct check_args_t {
  bool map_exists = false;
  std::string map_filename;
  std::string sam_filename;
  int wiggle_bp = 0;
  uint64_t num_reads = 0;
  int min_mapq = 0;
  int min_len = 0;
  std::string output_prefix;
};

struct check_files_t {
  staged_outputs_t staged;
  line_reader_t map_file;
  line_reader_t sam_file;
  staged_stream_t fq_file;
  staged_stream_t out_sam_file;
  staged_stream_t out_err_file;
};

// The number of reads (or pairs) is the denominator of the report's
// percentages, so it is at least 1.
bool parse_args(const args_t &args, const checker_t &checker, check_args_t &a) {
  a.map_exists = args.size() > checker.min_words;
  size_t i = a.map_exists ? 1 : 0;
  if (a.map_exists)
    a.map_filename = args[0];
  a.sam_filename = args[i];
  a.output_prefix = args.back();
  return whole_arg(args[i + 1], "wiggle_bp", 0, INT_MAX, a.wiggle_bp) &&
         whole_arg(args[i + 2], checker.count_name, 1, INT64_MAX,
                   a.num_reads) &&
         whole_arg(args[i + 3], "min_mapq", 0, INT_MAX, a.min_mapq) &&
         (!checker.has_min_len ||
          whole_arg(args[i + 4], "min_len", 0, INT_MAX, a.min_len));
}

// Names the file that could not be opened; false.
bool cannot_open(const char *message, const std::string &name) {
  std::cerr << message << name << std::endl;
  return false;
}

bool open_input(line_reader_t &in, const std::string &name,
                const char *message) {
  return line_reader_open(in, name) || cannot_open(message, name);
}

bool open_output(check_files_t &f, staged_stream_t &os, const std::string &name,
                 const char *message) {
  return open_staged(f.staged, name, os) || cannot_open(message, name);
}

// The side files, in the order they are staged, and the line that says one
// could not be written, whether at its open, its last write or its rename.
const size_t SIDE_FILES = 3;
const char *const SIDE_SUFFIXES[SIDE_FILES] = {"_wrong.fq", "_wrong.sam",
                                               ".err"};
const char *const CANNOT_WRITE[SIDE_FILES] = {
    "Could not write to fq file: ", "Could not write to out sam file: ",
    "Could not write to out err file: "};

void side_streams(check_files_t &f, staged_stream_t *streams[SIDE_FILES]) {
  streams[0] = &f.fq_file;
  streams[1] = &f.out_sam_file;
  streams[2] = &f.out_err_file;
}

bool open_files(const check_args_t &a, check_files_t &f) {
  // The map is binary: only its reads can fail.
  f.map_file.nul_ok = true;
  if (a.map_exists &&
      !open_input(f.map_file, a.map_filename, "Could not open map file: "))
    return false;
  if (!open_input(f.sam_file, a.sam_filename, "Could not open SAM file: "))
    return false;
  std::vector<std::string> names;
  for (const char *suffix : SIDE_SUFFIXES)
    names.push_back(a.output_prefix + suffix);
  std::vector<std::string> inputs = {a.sam_filename};
  if (a.map_exists)
    inputs.push_back(a.map_filename);
  if (refuse_file_clash(names, inputs))
    return false;
  staged_stream_t *streams[SIDE_FILES];
  side_streams(f, streams);
  for (size_t i = 0; i < SIDE_FILES; ++i)
    if (!open_output(f, *streams[i], names[i], CANNOT_WRITE[i]))
      return false;
  return true;
}

// Names the side file `path` of the run with `prefix` as one that could not
// be written; false.
bool cannot_write(const std::string &path, const std::string &prefix) {
  for (size_t i = 0; i < SIDE_FILES; ++i)
    if (path == prefix + SIDE_SUFFIXES[i])
      return cannot_open(CANNOT_WRITE[i], path);
  return cannot_open("ERROR: Could not write ", path);
}

// Closing flushes; a side file that could not be written fails the run.
// The files replace their targets only when the report was written too.
bool close_outputs(check_files_t &f, const std::string &prefix, bool reported) {
  staged_stream_t *streams[SIDE_FILES];
  side_streams(f, streams);
  std::string failed;
  for (size_t i = 0; i < SIDE_FILES; ++i)
    if (!close_staged(*streams[i]) && failed.empty())
      failed = prefix + SIDE_SUFFIXES[i];
  if (failed.empty() && !reported)
    return false;
  if (failed.empty())
    failed = commit_outputs(f.staged);
  return failed.empty() || cannot_write(failed, prefix);
}

void pct_line(std::ostream &os, const char *label, int64_t count,
              uint64_t total) {
  os << label << count << " ";
  output_percentage(os, total, static_cast<uint64_t>(count));
  os << std::endl;
}

} // namespace

bool within_wiggle(int64_t a, int64_t b, int64_t w) {
  if (w < 0)
    return false;
  const uint64_t diff =
      a > b ? uint64_t(a) - uint64_t(b) : uint64_t(b) - uint64_t(a);
  return diff <= uint64_t(w);
}

bool check_wiggle_kernel(const std::vector<uint32_t> &refmap,
                         int64_t curr_chr_pos_temp, int64_t good_chr_pos,
                         int wiggle_bp) {
  const int64_t m = static_cast<int64_t>(refmap.size());
  if (curr_chr_pos_temp < 1 || curr_chr_pos_temp > m)
    return false;
  const int64_t i = curr_chr_pos_temp - 1;
  if (within_wiggle(refmap[i], good_chr_pos, wiggle_bp))
    return true;
  // Past both ends of the map no neighbour is left to look at.
  for (int64_t d = 1; d <= wiggle_bp && (i + d < m || i - d >= 0); ++d) {
    if (i + d < m && within_wiggle(refmap[i + d], good_chr_pos, wiggle_bp - d))
      return true;
    if (i - d >= 0 && within_wiggle(refmap[i - d], good_chr_pos, wiggle_bp - d))
      return true;
  }
  return false;
}

const std::vector<uint32_t> *map_for(check_context_t &ctx,
                                     const std::string &rname) {
  const auto it = ctx.ref_map.find(rname);
  if (it != ctx.ref_map.end())
    return &it->second;
  ctx.missing_ref = rname;
  return nullptr;
}

void write_wrong_group(const aln_list_t &aln_list, std::ostream &out_sam_file,
                       std::ostream &fq_file) {
  for (const sam_line_t &line : aln_list) {
    for (const std::string &col : line)
      out_sam_file << col << '\t';
    out_sam_file << '\n';
    fq_file << '@' << line[0] << '\n'
            << line[9] << '\n'
            << "+\n"
            << line[10] << '\n';
  }
}

void write_check_report(std::ostream &os, uint64_t num_reads, int min_mapq,
                        const check_totals_t &t, int64_t all_reads) {
  const int64_t multi = t.total_reads - t.total_unique_reads;
  const int64_t multi_correct =
      t.total_reads_aligned - t.total_unique_reads_aligned;
  os << "Total reads:          " << num_reads << std::endl;
  pct_line(os, "Total reads mapped:   ", t.total_reads, num_reads);
  pct_line(os, "Total reads correct:  ", t.total_reads_aligned, t.total_reads);
  pct_line(os, "Total unique mapped:  ", t.total_unique_reads, num_reads);
  pct_line(os, "Total unique correct: ", t.total_unique_reads_aligned,
           t.total_unique_reads);
  const std::string mapq = "Total mapq>=" + toStr(min_mapq);
  pct_line(os, (mapq + " mapped:  ").c_str(), t.total_mapq_reads, num_reads);
  pct_line(os, (mapq + " correct: ").c_str(), t.total_mapq_reads_aligned,
           t.total_mapq_reads);
  pct_line(os, "Total multi mapped:   ", multi, num_reads);
  pct_line(os, "Total multi correct:  ", multi_correct, multi);
  os << "Total alignments:     " << all_reads << std::endl;
}

bool refuse_file_clash(const std::vector<std::string> &outputs,
                       const std::vector<std::string> &inputs) {
  const std::string out = output_over_input(outputs, inputs);
  if (out.empty())
    return stdout_clash(inputs, outputs) != STDOUT_APART;
  std::cerr << "ERROR: Output file " << out << " would overwrite an input file"
            << std::endl;
  return true;
}

int run_checker(const args_t &args, const checker_t &checker) {
  if (args.size() < checker.min_words || args.size() > checker.min_words + 1) {
    checker.print_usage();
    return 3;
  }
  check_args_t a;
  if (!parse_args(args, checker, a))
    return 3;
  check_files_t f;
  if (!open_files(a, f))
    return 1;
  check_context_t ctx;
  ctx.map_exists = a.map_exists;
  ctx.wiggle_bp = a.wiggle_bp;
  ctx.min_mapq = a.min_mapq;
  ctx.min_len = a.min_len;
  ctx.fq_file = &f.fq_file.os;
  ctx.out_sam_file = &f.out_sam_file.os;
  ctx.out_err_file = &f.out_err_file.os;
  if (a.map_exists && !load_coord_map(f.map_file, ctx.ref_map,
                                      checker.show_lengths, std::cerr)) {
    if (!report_input_failure(f.map_file))
      std::cerr << "ERROR: Malformed map file: " << a.map_filename << std::endl;
    return 1;
  }

  sam_grouper_t g;
  g.in = &f.sam_file;
  g.cut_pair_names = checker.cut_pair_names;
  g.refuse_coordinate_sorted = checker.needs_name_order;
  aln_list_t aln_list;
  int64_t all_reads = 0;
  while (next_sam_group(g, aln_list)) {
    int num_aligned = 0;
    if (!checker.kernel(aln_list, ctx, num_aligned)) {
      std::cerr << "reference not found in map: " << ctx.missing_ref << "\n";
      return 1;
    }
    all_reads += num_aligned;
  }
  if (report_input_failure(f.sam_file))
    return 1;
  if (g.coordinate_sorted) {
    std::cerr << "ERROR: " << a.sam_filename
              << " is sorted by coordinate (SO:coordinate), so the lines of "
                 "one pair are apart: sort it by read name first (samtools "
                 "sort -n -O sam)"
              << std::endl;
    return 1;
  }
  if (g.short_lines > 0)
    std::cerr << "Warning: skipped " << g.short_lines
              << " SAM lines with fewer than " << SAM_MIN_COLUMNS << " columns"
              << std::endl;
  write_check_report(std::cout, a.num_reads, a.min_mapq, ctx.totals, all_reads);
  const bool reported = check_written(std::cout, "standard output");
  return close_outputs(f, a.output_prefix, reported) ? 0 : 1;
}

void count_group(check_totals_t &t, bool good_read, bool mapped,
                 bool multiply_mapped, bool mapq_good) {
  if (!good_read)
    return;
  ++t.total_reads;
  if (!multiply_mapped) {
    ++t.total_unique_reads;
    if (mapq_good)
      ++t.total_mapq_reads;
  }
  if (!mapped)
    return;
  ++t.total_reads_aligned;
  if (!multiply_mapped) {
    ++t.total_unique_reads_aligned;
    if (mapq_good)
      ++t.total_mapq_reads_aligned;
  }
}
