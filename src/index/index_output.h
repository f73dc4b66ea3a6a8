#pragma once
#include <string>

// The index is written under a temporary name beside the output and renamed
// over it only once complete, so a failed or interrupted build never leaves a
// partial index under the output name. Until then SIGHUP, SIGINT and SIGTERM
// remove the temporary file before ending the process as they would have
// (a signal ignored at the start stays ignored). Outputs that are not regular
// files (such as /dev/null), and existing files in a directory that does not
// allow new entries, are written directly.
struct index_output_t {
  std::string path;   // as given on the command line
  std::string target; // file that receives the index
  std::string temp;   // file being written; empty when writing directly
  int fd = -1;
};

// Refuses an empty output name and an output that is the genome file
// itself, a directory or not writable. A symbolic link is written through
// to the file it names, also one that does not exist yet. Returns false on
// failure with nothing created.
bool open_index_output(const std::string &path, const std::string &genome_path,
                       index_output_t &out);
// Closes the file and moves it into place.
bool commit_index_output(index_output_t &out);
// Closes the file and removes it when unfinished.
void discard_index_output(index_output_t &out);
