#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include <zlib.h>

class MT_random;

// 2-bit packed DNA, four bases per byte, first base in the low bits.
// Positions given to operator[] and compare_mm are 1-based.
struct bit_DNA_t {
  static const int R_SIZE = 8;
  static const int R_SIZE_SHIFT = 3;
  static const int nt_SIZE = 4;

  std::vector<uint8_t> data;
  uint64_t curr_loc = 0;             // bits in use, two per base
  const uint8_t *mm_table = nullptr; // shared, not owned

  explicit bit_DNA_t(const uint8_t *table = nullptr);
  bit_DNA_t(const std::string &s, MT_random &gen, const uint8_t *table);

  void append(const std::string &s, MT_random &gen);
  int8_t operator[](uint64_t pos) const {
    uint64_t b = 2 * pos - 2;
    return (data[b >> 3] >> (b & 7)) & 3;
  }
  uint64_t size() const { return curr_loc / 2; }
  uint64_t full_size() const { return curr_loc / 8; }
  void clear();
  void reserve(uint64_t n);
  void reserve_dna(uint64_t n);
  // Mismatch penalty of `read` placed with its first base on genome base
  // `loc`; stops early once the bound is passed; -1 when loc is off the end.
  int compare_mm(const bit_DNA_t &read, uint64_t loc, uint32_t max_pen,
                 uint32_t mm_pen) const;
  // First two mismatches of `val` placed at start_pos (scanning up from its
  // first base; 0 when absent) and ending at end_pos (scanning down from its
  // last base; read length when absent). 1-based read positions.
  void extend_one_del(int &output00, int &output01, int &output10,
                      int &output11, const bit_DNA_t &val, uint32_t start_pos,
                      uint32_t end_pos) const;
  bool write_serialised(gzFile out) const;
  bool read_serialised(gzFile in);
};

// 256 entries: number of non-zero 2-bit fields of each byte. Caller owns it
// (delete[]).
uint8_t *gen_mm_table();
int get_base_val(char c);
int get_base_val_r(char c, MT_random &gen);
char get_int_base(int v);
std::string compleseq(const std::string &s);
