#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

// Reads a file by blocks with read(2) and hands out its lines the way
// std::getline does: the newline is dropped, a last line without one is
// still a line, and no empty line follows a final newline; a '\r' stays.
// Each block is searched for a NUL as it arrives, so binary data is refused
// after one block even when it holds no newline, while a genuine line
// longer than a block (a one-line chromosome) grows the buffer and reads
// whole. A failed read is kept with its errno instead of passing for the
// end of the file.
struct line_reader_t {
  std::string path; // as named in error lines
  int fd = -1;
  bool nul_ok = false; // binary input: a NUL is data, only reads can fail
  std::vector<char> buf;
  size_t pos = 0;     // first byte not handed out
  size_t end = 0;     // end of the bytes read
  size_t scanned = 0; // bytes from pos known to hold no newline
  bool eof = false;
  bool nul = false; // a block held a NUL: nothing more is handed out
  int error = 0;    // errno of the read that failed
  // The file's first bytes, where a gzip file shows its magic.
  unsigned char first[2] = {0, 0};
  size_t first_count = 0;

  line_reader_t() = default;
  ~line_reader_t();
  line_reader_t(const line_reader_t &) = delete;
  line_reader_t &operator=(const line_reader_t &) = delete;
};

// Opens `path` for reading; false, with errno set, when it cannot be opened.
// A directory opens, and its first read fails.
bool line_reader_open(line_reader_t &r, const std::string &path);
// As line_reader_open, but a directory is refused like a file that is not
// there, for commands that name it "cannot open" before reading anything.
bool line_reader_open_file(line_reader_t &r, const std::string &path);
// Reads from `fd`, which the reader closes, naming it `path`.
void line_reader_attach(line_reader_t &r, int fd, const std::string &path);
void line_reader_close(line_reader_t &r);

// The next line, without its newline; false at the end of the input or
// when it failed (input_failed tells which).
bool next_line(line_reader_t &r, std::string &line);
// The next n bytes into dst; false when the input ends or fails first.
bool read_bytes(line_reader_t &r, void *dst, size_t n);
// True when every byte has been taken and the input ended without failing.
bool at_input_end(line_reader_t &r);
// The bytes not yet handed out of a regular file, as its size says, so that
// a count read from it can be checked against what it can hold; UNKNOWN_SIZE
// for a pipe or a device.
const uint64_t UNKNOWN_SIZE = UINT64_MAX;
uint64_t bytes_left(const line_reader_t &r);
// Reads the first block before anything is handed out, so that an input
// that is no text or cannot be read is refused before the command writes;
// false when it failed.
bool read_first_block(line_reader_t &r);
// Reads the rest of the input without handing it out, so that a NUL or a
// read error there is still seen; false when the input failed.
bool skip_rest(line_reader_t &r);

inline bool input_failed(const line_reader_t &r) {
  return r.nul || r.error != 0;
}
// When the input failed, writes its one error line to standard error (not
// text, or the read error with its reason) and returns true.
bool report_input_failure(const line_reader_t &r);

// read(2), retried when a signal interrupts it.
ssize_t read_some(int fd, void *p, size_t n);
