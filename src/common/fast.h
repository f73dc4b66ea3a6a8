#pragma once
#include <cstdio>
#include <string>
#include <zlib.h>

// One FASTA/FASTQ record. FASTA records get qual "*" and qual_exist false.
struct fast_t {
  std::string name;
  std::string seq;
  std::string qual;
  bool qual_exist = true;
};

struct kseq_t; // parser state, private to the reader

// Streaming FASTA/FASTQ reader over plain or gzip input.
class fast {
public:
  std::string filename;
  gzFile fp = nullptr;
  FILE *f = nullptr;
  kseq_t *seq = nullptr;
  int lines_read = 0;
  // Last record's sequence length; -1 at end of input, -2 for a record cut
  // short: a FASTQ record without its whole quality, or the record that
  // damage (below) ended.
  int l = 0;
  bool file_open = false;
  // Cut each name before its first blank, tab, '/' or carriage return.
  bool trim_slash = true;
  // What ended the input before its end (a read error, a corrupt or
  // truncated gzip stream); empty when it was read to its end. Cleared by
  // open, kept by close.
  std::string damage;

  fast();
  fast(const std::string &name, bool trim_slash);
  ~fast();
  fast(const fast &) = delete;
  fast &operator=(const fast &) = delete;

  bool open(const std::string &name);
  void close();
  fast_t get_next_record();
  // Fills `rec` in place (reusing its capacity); same semantics as
  // get_next_record. Returns l.
  int next_record(fast_t &rec);
};

// The next record, as fast::next_record does. A FASTQ record cut short by
// the end of the file ends the input like the end itself; it is named on
// standard error ("Warning: <file>: the last FASTQ record is cut short and
// was skipped") so that the loss is not silent. A record that damage cut is
// left to report_damage.
int read_next(fast &reader, fast_t &rec);

// A command that read through `reader` asks this once, at its end: when the
// input stopped at damage, writes "ERROR: <file>: <damage>; reading stopped
// early" and returns true. The command has written what it read before the
// damage and ends with a failure status.
bool report_damage(const fast &reader);
