#pragma once
// The shared start of the kernel inspection commands all_sw and affine_nw:
// the arguments they have in common, packed once.
#include <cstdint>
#include <memory>
#include <string>

#include "commands.h"
#include "common/bit_dna.h"
#include "common/mt_random.h"

// Sums of unchecked command-line numbers wrap instead of overflowing.
inline int wrap(long long v) { return int(uint32_t(uint64_t(v))); }

// Inputs shared by both commands, packed once (read first, then reference:
// letters other than A, C, G, T draw random bases in that order).
struct inspect_input_t {
  std::string ref, seq;
  int band = 0, mat = 0, mm = 0, gap = 0, extend = 0, end_len = 0;
  int sw[4] = {0, 0, 0, 0}; // all_sw: m_sw, mm_sw, gap_sw, extend_sw
  uint32_t max_pen = 0;
  std::unique_ptr<uint8_t[]> table;
  MT_random gen;
  bit_DNA_t read_bit, ref_bit;
};

// Reads the arguments (ref, read, band, mat, mm, gap, extend, all_sw's four
// Smith-Waterman values and the last word, end_len) and packs both
// sequences. False after the message when a number word is no int or the
// read is longer than the reference.
bool prepare_probe(inspect_input_t &in, const args_t &args);

// The frame of both commands: the usage text and status 3 unless there are
// exactly `nargs` arguments, else `run`, with a message and status 1 when
// the sequences' matrices do not fit in memory.
int run_probe(const args_t &args, size_t nargs, void (*usage)(),
              int (*run)(const args_t &));
