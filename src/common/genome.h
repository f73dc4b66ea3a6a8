#pragma once
#include <cstddef>
#include <cstdint>
#include <istream>
#include <map>
#include <string>

#include "common/bit_dna.h"

class MT_random;

// FASTA genome loaders. Starts are 1-based offsets in the concatenation of
// all sequences in file order. Return 0, 1 when the stream could not be
// read to its end, 2 for a duplicate name, 3 when no chromosome was read,
// GENOME_GZIP or GENOME_NUL when the stream is no text (say so with
// report_not_text, which gives the exit status).
int read_genome(std::istream &in, std::map<std::string, std::string> &seqs,
                std::map<std::string, uint64_t> &starts, long &genome_len);
int read_genome_str_bit(std::istream &in, bit_DNA_t &genome,
                        std::map<std::string, uint64_t> &starts,
                        long &genome_len, MT_random &gen);
// What a loader says when the genome file fails part way through.
const char *const GENOME_READ_ERROR_MSG =
    "ERROR: read error in the genome file; reading stopped early";

// A gzip-compressed file or a binary one (an index given in place of the
// genome) would otherwise load as sequences of raw bytes. The loaders stop
// at the first line that shows it, and print nothing about it: only the
// caller knows the file's name.
const int GENOME_GZIP = 4; // starts with the gzip magic bytes
const int GENOME_NUL = 5;  // holds a NUL byte
// The exit status of a genome that is no text: that of a genome without
// chromosomes.
const int GENOME_NOT_TEXT_EXIT = 3;

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

// Name of a header line (starting with '>'): up to the first white space.
std::string fasta_header_name(const std::string &line);
// The two error lines of a chromosome name met twice.
void report_duplicate_chromosome(const std::string &name);

int read_genome_str(std::istream &in, std::string &genome,
                    std::map<std::string, uint64_t> &starts, long &genome_len);
