#pragma once
#include <cstdint>
#include <ostream>
#include <string>

#include "common/line_reader.h"

class MT_random;

// Inspection of the mode-1 k-mer selection, for reads (`check_idx`) and for
// the first sequence of a FASTA file (`index_depth`).

// Keys are 64-bit, so a window holds at most 32 bases.
const int MAX_INSPECT_KMER = 32;

// Prints one line per window of `seq` (strand number in brackets, the window
// text, its key, " *" when mode 1 keeps it), leaving out the window that ends
// on the last character. Other letters take random codes from gen.
void print_read_kmers(std::ostream &out, const std::string &seq, int strand,
                      int k, MT_random &gen);

// Reads the first FASTA record: true with its name and joined sequence when
// a header was found. Lines are trimmed and empty ones skipped. Reading
// stops after the record's lines, or where `in` failed.
bool read_first_record(line_reader_t &in, std::string &name, std::string &seq);

// Prints "name<TAB>position<TAB>1" for each position the depth listing
// reports: every window mode 1 keeps and every character read from an
// invalid one until a window is complete again.
void print_depth(std::ostream &out, const std::string &name,
                 const std::string &seq, int k);
