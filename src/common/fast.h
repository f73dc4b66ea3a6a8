#pragma once
#include <cstdint>
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
  // short: one begun with '@' that the end of the input reached before its
  // '+' line and whole quality, or any record that damage (below) ended. In
  // an input whose '@' records have carried no quality so far, the last one
  // needs no '+' line: it is one more record without quality. The first '@'
  // record is cut short too when only empty records follow it.
  int l = 0;
  // How many headers have been read, so the number of the record being
  // read (1 for the first); it names a damaged record. Cleared by open.
  int64_t record_number = 0;
  bool file_open = false;
  // Cut each name before its first blank, tab, '/' or carriage return.
  bool trim_slash = true;
  // What ended the input before its end (a read error, a corrupt or
  // truncated gzip stream, a NUL byte, or a damaged record: "record <n> is
  // damaged (<what is wrong>)"); empty when it was read to its end. Cleared
  // by open, kept by close.
  //
  // A record is damaged when its text cannot be whole: a quality that does
  // not end at a line end (more quality bytes follow on its line, or it
  // reached its length part way through a later line), a quality line that
  // text other than a header follows when the line may be the next header
  // or a second '+' line (its own quality line lost), an '@' record of the
  // other kind than the input's '@' records have shown first (with or
  // without a '+' line; when the first has none and a '+' line comes before
  // the next '@' record with a sequence, the first is the damaged one and
  // no record after it is passed on; an empty first one is settled by the
  // next record with a sequence), or text other than blank lines where a
  // header should begin. The input ends there and the record is dropped
  // (l -2).
  std::string damage;
  // The input holds a NUL byte, so it is binary data (a BAM, an index, an
  // executable), not reads. In the first block open refuses the file;
  // further on, the input ends right before the byte, as at damage, and
  // damage is set too. Cleared by open.
  bool not_text = false;

  fast();
  fast(const std::string &name, bool trim_slash);
  ~fast();
  fast(const fast &) = delete;
  fast &operator=(const fast &) = delete;

  // False when the file cannot be opened or its first block is not text.
  bool open(const std::string &name);
  void close();
  fast_t get_next_record();
  // Fills `rec` in place (reusing its capacity); same semantics as
  // get_next_record. Returns l.
  int next_record(fast_t &rec);

private:
  int read_record(fast_t &rec);
  int settle_first_bare(fast_t &rec);
};

// The next record, as fast::next_record does. A FASTQ record cut short by
// the end of the file ends the input like the end itself; it is named on
// standard error ("Warning: <file>: the last FASTQ record is cut short and
// was skipped") so that the loss is not silent. A record that damage cut is
// left to report_damage.
int read_next(fast &reader, fast_t &rec);

// A command that read through `reader` asks this once, at its end: when the
// input stopped at damage, writes "ERROR: <file>: <damage>; reading stopped
// early" (the not-text line of text_check.h for a NUL byte) and returns
// true. The command has written what it read before the damage and ends
// with a failure status.
bool report_damage(const fast &reader);

// Says why `reader` did not open: the not-text line for binary data,
// otherwise `cannot_open` followed by the file name.
void report_open_failure(const fast &reader, const std::string &cannot_open);
