#pragma once
#include <ext/stdio_filebuf.h>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// A run's named outputs are written under temporary names beside them and
// renamed over them only when the run has succeeded, so a failed or
// interrupted run leaves the files it would have written as they were and
// no partial output under their names. Until then SIGHUP, SIGINT, SIGPIPE,
// SIGQUIT, SIGTERM and SIGXFSZ remove the temporary files before ending the
// process as they would have (a signal ignored at the start stays ignored).
//
// A rename would give the file a new owner, group and inode, so only a
// regular file that we own and that has no other link is replaced. Every
// other existing output (a FIFO, /dev/null, a file of another user, one
// with hard links, one mounted on its name) is written in place, truncated
// at the start, and so is an existing file beside which no temporary file
// can be made (a directory that allows no new entry, no inode left, a path
// too long) or whose group the temporary file cannot be given. Temporary
// names after the first are random, so that no one can take them all
// ahead.

// One output of a run.
struct staged_file_t {
  std::string path;   // as given on the command line
  std::string target; // file that receives the output
  std::string temp;   // file written until the commit; empty when in place
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

// Adds `path` to the outputs of `run` and returns a descriptor open for
// writing on what receives the output: its new temporary file, made with
// the mode (and group) of the file it is to replace and no wider access
// before, or the target itself when written in place. The caller closes
// it. Refuses an empty name, a name that cannot be looked up (too long), a
// directory, an existing file that is not writable and a place where no
// file can be made: -1, with errno set and nothing created. A symbolic link is
// written through to the file it names, also one that does not exist yet.
int stage_output(staged_outputs_t &run, const std::string &path);

// A C++ stream writing to a staged output's descriptor.
struct staged_stream_t {
  std::unique_ptr<__gnu_cxx::stdio_filebuf<char>> buf;
  std::ostream os{nullptr};
};

// stage_output, with `s` writing to its descriptor. False when it fails;
// std::bad_alloc when there is no memory for the stream.
bool open_staged(staged_outputs_t &run, const std::string &path,
                 staged_stream_t &s);
// Flushes and closes `s`: true when every byte written reached its file,
// else false with `s.os` failed.
bool close_staged(staged_stream_t &s);

// Moves every temporary file over its target, in order. Returns the path of
// the first output that could not be moved ("" when all were); the outputs
// after it are discarded.
std::string commit_outputs(staged_outputs_t &run);
// commit_outputs at the end of a command: true, or false after one line,
// `cannot` followed by the path of the output that could not be moved.
bool commit_or_say(staged_outputs_t &run, const std::string &cannot);
// Removes every temporary file; the targets stay as they were.
void discard_outputs(staged_outputs_t &run);
// Removes every temporary file of the process with neither a lock nor an
// allocation: for a process about to end with _exit while other threads
// may still run, as from a signal handler.
void remove_staged_temps();
