#pragma once
#include <fstream>
#include <string>
#include <vector>

// A run's named outputs are written under temporary names beside them and
// renamed over them only when the run has succeeded, so a failed or
// interrupted run leaves the files it would have written as they were and
// no partial output under their names. Until then SIGHUP, SIGINT, SIGPIPE,
// SIGQUIT, SIGTERM and SIGXFSZ remove the temporary files before ending the
// process as they would have (a signal ignored at the start stays ignored).
// Outputs that exist and are not regular files (a FIFO, /dev/null,
// /dev/stdout), and existing files in a directory that allows no new entry,
// are written directly.

// One output of a run.
struct staged_file_t {
  std::string path;   // as given on the command line
  std::string target; // file that receives the output
  std::string temp;   // file written until the commit; empty when direct
  int slot = -1;      // where the signal handler finds the temporary name
};

// The outputs of one run. What is not committed when it goes out of scope
// (a failure status, an early return, an exception) is discarded.
struct staged_outputs_t {
  std::vector<staged_file_t> files;

  staged_outputs_t() = default;
  staged_outputs_t(const staged_outputs_t &) = delete;
  staged_outputs_t &operator=(const staged_outputs_t &) = delete;
  ~staged_outputs_t();
};

// Adds `path` to the outputs of `run` and makes its temporary file, with the
// mode of the file it is to replace. `write_name` receives the name to open
// for writing: the temporary file, or `path` itself when written directly.
// Refuses an empty name, a directory, an existing file that is not writable
// and a place where no file can be made: false, with errno set and nothing
// created. A symbolic link is written through to the file it names, also
// one that does not exist yet.
bool stage_output(staged_outputs_t &run, const std::string &path,
                  std::string &write_name);
// stage_output, then opens `os` on the name to write with `mode`. False
// when either fails.
bool open_staged(staged_outputs_t &run, const std::string &path,
                 std::ofstream &os, std::ios::openmode mode = std::ios::out);
// Moves every temporary file over its target, in order. Returns the path of
// the first output that could not be moved ("" when all were); the outputs
// after it are discarded.
std::string commit_outputs(staged_outputs_t &run);
// commit_outputs at the end of a command: true, or false after one line,
// `cannot` followed by the path of the output that could not be moved.
bool commit_or_say(staged_outputs_t &run, const std::string &cannot);
// Removes every temporary file; the targets stay as they were.
void discard_outputs(staged_outputs_t &run);
