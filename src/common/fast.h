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
  // Last record's sequence length; -1 at end of input, -2 for a truncated
  // FASTQ record.
  int l = 0;
  bool file_open = false;
  bool trim_slash = true;

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
