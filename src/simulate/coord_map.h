#pragma once
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "common/line_reader.h"

// Genome coordinate map: for every reference base of every sequence, 0 when
// the mutated genome lost it, else 1 + the number of mutated bases produced
// up to and including it (its inserted followers too). On disk it is binary,
// little-endian and run-compressed: a run of entries that each grow by 1 is
// stored as its first and last (position, entry) pairs only.
using ref_map_t = std::map<std::string, std::vector<uint32_t>>;

void write_map_count(std::ostream &os, uint64_t num_seqs);
void write_map_name(std::ostream &os, const std::string &name);
// Writes M, then the run-compressed pairs of one sequence.
void write_map_entries(std::ostream &os, const std::vector<uint32_t> &entries);

// Expands a whole map file into ref_map, writing its progress lines to log;
// with show_lengths, also one " Length: " line per sequence. Returns false
// when the file is cut short, has data after its last sequence, its pairs
// do not describe exactly the promised number of positions, its sequences
// together or a mutated position pass MAX_GENOME_LENGTH, or reading it
// failed (`in` then holds the error). A count of sequences, name bytes or
// pairs that is more than a regular file can hold, and a name longer than
// MAX_SEQUENCE_NAME_BYTES, are refused as soon as they are read, so that
// endless or random input (a pipe, a device) is never read whole. `in`
// must take NUL bytes as data.
bool load_coord_map(line_reader_t &in, ref_map_t &ref_map, bool show_lengths,
                    std::ostream &log);
