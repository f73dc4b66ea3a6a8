#pragma once
#include <cstdint>
#include <istream>
#include <map>
#include <string>

#include "common/bit_dna.h"

class MT_random;

// FASTA genome loaders. Starts are 1-based offsets in the concatenation of
// all sequences in file order. Return 0, 1 when the stream could not be
// read to its end, 2 for a duplicate name, 3 when no chromosome was read.
int read_genome(std::istream &in, std::map<std::string, std::string> &seqs,
                std::map<std::string, uint64_t> &starts, long &genome_len);
int read_genome_str_bit(std::istream &in, bit_DNA_t &genome,
                        std::map<std::string, uint64_t> &starts,
                        long &genome_len, MT_random &gen);
// What a loader says when the genome file fails part way through.
const char *const GENOME_READ_ERROR_MSG =
    "ERROR: read error in the genome file; reading stopped early";

// Name of a header line (starting with '>'): up to the first white space.
std::string fasta_header_name(const std::string &line);
// The two error lines of a chromosome name met twice.
void report_duplicate_chromosome(const std::string &name);

int read_genome_str(std::istream &in, std::string &genome,
                    std::map<std::string, uint64_t> &starts, long &genome_len);
