#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/bit_dna.h"

// The genome as the index build needs it, read from the FASTA file in one
// pass: packed two bits per base with the random bases of the packed loader
// (read_genome_str_bit with a fresh generator), plus one bit per base that
// marks where the text held something other than A, C, G or T, so the
// k-mer scans see the text without keeping it.
struct index_chrom_t {
  uint64_t first = 0;  // 0-based genome index of its first base
  uint64_t length = 0; // bases
};

struct index_genome_t {
  bit_DNA_t packed;
  std::vector<uint64_t> invalid;          // bit i of word i / 64: base i
  std::vector<index_chrom_t> chroms;      // in file order
  std::map<std::string, uint64_t> starts; // 1-based starts by name
  std::map<std::string, uint64_t> filled; // the same, of sequences with bases
  long length = 0;
  // The zero-length warnings, which the build repeats where the genome used
  // to be read a second time.
  std::string empty_warnings;
};

// Same lines on standard error, statuses and starts as read_genome (a
// duplicate name gives 2, no chromosome 3, a file that is no text
// GENOME_GZIP or GENOME_NUL), except that a read error, named with `path`,
// gives 1. `size_hint` (the file size, or 0) lets the buffers be allocated
// once.
int read_index_genome(int fd, const std::string &path, uint64_t size_hint,
                      index_genome_t &g);
