#pragma once
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/fast.h"
#include "common/staged_output.h"

// Buffered output to a created file or to standard output. Every write
// failure is remembered so that the run can end with a non-zero status
// instead of reporting a partial file as done.
struct out_file_t {
  std::string path; // "standard output" for stdout
  FILE *f = nullptr;
  bool owned = false;
  bool failed = false;
  std::string buf;

  out_file_t() = default;
  out_file_t(const out_file_t &) = delete;
  out_file_t &operator=(const out_file_t &) = delete;
  ~out_file_t();
};

void out_use_stdout(out_file_t &o);
void out_put(out_file_t &o, const std::string &text);
// "@" name suffix "\n" seq "\n+\n" qual "\n"
void out_fastq(out_file_t &o, const fast_t &rec, const std::string &suffix);
// ">" name suffix "\n" seq "\n"
void out_fasta(out_file_t &o, const fast_t &rec, const std::string &suffix);
// FASTQ form for records with qualities, FASTA form for the others.
void out_record(out_file_t &o, const fast_t &rec, const std::string &suffix);
// Flushes and closes; true when every byte reached the file.
bool out_close(out_file_t &o);
// Closes every file; writes "Error: cannot write: <path>" for each failed
// one. True when all were written.
bool out_close_all(std::vector<out_file_t> &files);
// Closes standard output; writes "Error: cannot write: standard output"
// when it failed. True when every byte was written.
bool close_stdout(out_file_t &o);
// The end of a run from `reader` to standard output: closes it, reports a
// damaged input, and gives 0, or `fail` when either went wrong. Binary
// data met after the first block gives `unreadable`, the status of an
// input that cannot be opened, as it does in the first block.
int finish_stdout_run(out_file_t &o, const fast &reader, int fail,
                      int unreadable);

// Creates every named file in order, each staged in `staged` until the run
// commits. A file that cannot be created gets "Error: cannot write: <path>"
// and false.
bool out_create_all(std::vector<out_file_t> &files,
                    const std::vector<std::string> &paths,
                    staged_outputs_t &staged);
// Moves the written files into place once the run has succeeded; false after
// "Error: cannot write: <path>" when one could not be.
bool out_commit_all(staged_outputs_t &staged);

// Writing an output over one of the inputs would destroy the data being
// read: true (with "Error: output file is an input file: <path>") when any
// output path names the same file as an input path.
bool output_is_input(const std::vector<std::string> &outputs,
                     const std::vector<std::string> &inputs);

// Opens a read file keeping whole header lines as names; says so on
// standard error when it cannot.
bool open_whole_names(fast &reader, const std::string &path);

// Opens a reader for each of `inputs` in order; false after "Error: cannot
// open: <path>" (or the not-text line) at the first that does not open.
bool open_readers(std::unique_ptr<fast> *readers,
                  const std::vector<std::string> &inputs);

// report_damage for each of the first `n` readers (each says its own
// line); true when any input stopped at damage.
bool report_inputs_damage(const std::unique_ptr<fast> *readers, int n);
// True when any of the first `n` readers stopped at damage; says nothing.
bool inputs_damaged(const std::unique_ptr<fast> *readers, int n);

// Output names from a prefix: prefix + ".fq", or prefix + "_1.fq" and
// prefix + "_2.fq" for two inputs; `tag` goes before the number or ".fq"
// ("_reject" for the reject files).
std::vector<std::string> fq_names(const std::string &prefix,
                                  const std::string &tag, int num_inputs);

// Suffix of a record from input file `i` (0-based): "" single-end, "/1"
// or "/2" paired-end.
std::string mate_suffix(int num_inputs, int i);
