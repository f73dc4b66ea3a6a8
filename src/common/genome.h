#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "common/bit_dna.h"
#include "common/line_reader.h"

class MT_random;

// FASTA genome loaders, reading the file that `in` has open. Starts are
// 1-based offsets in the concatenation of all sequences in file order.
// Return 0, 2 for a duplicate name, 3 when no chromosome was read or, after
// the read error line naming the file, when it could not be read to its end
// (GENOME_UNREADABLE_EXIT), GENOME_GZIP or GENOME_NUL when the file is no
// text (say so with report_not_text, which gives the exit status).
int read_genome(line_reader_t &in, std::map<std::string, std::string> &seqs,
                std::map<std::string, uint64_t> &starts, long &genome_len);
int read_genome_str_bit(line_reader_t &in, bit_DNA_t &genome,
                        std::map<std::string, uint64_t> &starts,
                        long &genome_len, MT_random &gen);
// The status of a genome file that fails part way through: that of one that
// cannot be opened, for every command that loads it this way.
const int GENOME_UNREADABLE_EXIT = 3;

// A gzip-compressed file or a binary one (an index given in place of the
// genome) would otherwise load as sequences of raw bytes. The loaders stop
// at the first line that shows it, and print nothing about it: only the
// caller knows the file's name.
const int GENOME_GZIP = 4; // starts with the gzip magic bytes
const int GENOME_NUL = 5;  // holds a NUL byte
// The exit status of a genome that is no text: that of a genome without
// chromosomes.
const int GENOME_NOT_TEXT_EXIT = 3;

// The end of a command whose own loop read the genome through `in`: for a
// file that is no text, report_not_text's line and status; after a read
// error, its line and `unreadable`; else 0.
int report_genome_input(const line_reader_t &in, int unreadable);

// Checks the bytes of one line, in reading order: GENOME_GZIP when the
// first line of a file (`first`, cleared here) starts with the gzip magic
// bytes, GENOME_NUL when the line holds a NUL, else 0.
int check_text_line(bool &first, const char *p, size_t n);
// Writes the error line naming `path` for GENOME_GZIP or GENOME_NUL and
// returns GENOME_NOT_TEXT_EXIT; any other status is returned unchanged.
int report_not_text(int status, const std::string &path);
// Checks the first bytes of the genome file open on `fd` before outputs are
// made, so that a refusal leaves nothing behind: 0 when they are text or
// the file is not a regular one (a pipe is read once, by the loader), else
// GENOME_NOT_TEXT_EXIT after the error line. The file offset is kept.
int check_genome_head(int fd, const std::string &path);
// The same for a file named by `path`; 0 when it cannot be opened (its
// loader says so).
int check_genome_head(const std::string &path);

// The most bases a genome may hold, over all its sequences: positions are
// uint32 and 1-based, and the last one must still fit.
const uint64_t MAX_GENOME_LENGTH = 4294967294ULL;

// The longest sequence name a binary file (an index, a coordinate map) may
// hold: a longer length field is damage, and reading it whole could take
// all memory. No FASTA header word comes near it.
const uint64_t MAX_SEQUENCE_NAME_BYTES = uint64_t(1) << 20;

// Name of a header line (starting with '>'): up to the first white space.
std::string fasta_header_name(const std::string &line);
// The two error lines of a chromosome name met twice.
void report_duplicate_chromosome(const std::string &name);

int read_genome_str(line_reader_t &in, std::string &genome,
                    std::map<std::string, uint64_t> &starts, long &genome_len);
