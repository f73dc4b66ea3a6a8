#pragma once
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "common/bit_dna.h"
#include "index/gz_writer.h"
#include "index/index_format.h"

// Header, packed genome and chromosome table (in name order, with 1-based
// starts) of the index file.
void write_index_head(gz_writer_t &w, int mode, int64_t genome_len,
                      const bit_DNA_t &genome,
                      const std::map<std::string, uint64_t> &starts);

// Parameter block and k-mer groups of a list sorted by key then position;
// `groups` is the number of distinct keys in it.
void write_index_groups(gz_writer_t &w, const twoint3_hash *recs, uint64_t n,
                        uint64_t groups, int32_t span);

// Key groups of a sorted list: their number, and how many groups fall in
// each size bin floor(ln(size) / ln 2).
struct group_stats_t {
  uint64_t groups = 0;
  std::map<int, uint64_t> bins;
};

group_stats_t group_histogram(const twoint3_hash *recs, uint64_t n);
// The same for a list whose groups never cross the given cut points (sorted,
// from 0 to the list's end), counted on several threads.
group_stats_t group_histogram(const twoint3_hash *recs,
                              const std::vector<uint64_t> &cuts, int threads);
void print_histogram(std::ostream &os, const group_stats_t &stats);
