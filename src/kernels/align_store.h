#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kernels/path.h"

namespace aln_type {
const char UNIQUE = 'U';
const char REPEAT = 'R';
} // namespace aln_type

// One candidate alignment of a read.
struct align_loc_t {
  int penalty = 0;
  mm_gap_t mm_gap;
  bool direction = true;
  uint32_t loc = 0; // 1-based genome position of the first reference base
  std::string cigar;
  char type = 'N';

  align_loc_t() = default;
  align_loc_t(int penalty, bool direction, uint32_t loc,
              const std::string &cigar, mm_gap_t mm_gap, char type)
      : penalty(penalty), mm_gap(mm_gap), direction(direction), loc(loc),
        cigar(cigar), type(type) {}

  // Overwrites every member, reusing the CIGAR's storage.
  void assign(int penalty, bool direction, uint32_t loc,
              const std::string &cigar, mm_gap_t mm_gap, char type);
};

// Set of 32-bit genome locations (0 is the empty mark and never stored).
// Open addressing; the slot table starts small, so that the few locations
// of a typical read stay in the nearest cache (a worker holds six sets),
// and grows fourfold whenever it is half full, up to hash_size slots. It
// keeps its size from read to read and is reset only where it was written.
// A full table of hash_size slots accepts new locations without
// remembering them.
struct seen_t {
  static constexpr uint32_t hash_size = 1048576;
  static constexpr uint32_t max_bits = 20; // log2 of hash_size
  static constexpr uint32_t first_bits = 10;
  static constexpr uint32_t magic = 0x9E3779B1;

  std::vector<uint32_t> locs; // a power of two of slots
  uint32_t bits = first_bits; // log2 of the slot count
  std::vector<uint32_t> locs_added;

  seen_t();
  // Slot where the probe for location a starts.
  uint32_t home(uint32_t a) const { return (a * magic) >> (32 - bits); }
  bool insert(uint32_t a);
  void clear();
};

// Records of one penalty tier, in insertion order. Records beyond `count`
// are spares kept from earlier reads, so refilling the tier reuses their
// CIGAR strings instead of allocating.
struct align_tier_t {
  std::vector<align_loc_t> recs;
  size_t count = 0;

  size_t size() const { return count; }
  bool empty() const { return count == 0; }
  align_loc_t &operator[](size_t i) { return recs[i]; }
  const align_loc_t &operator[](size_t i) const { return recs[i]; }
  align_loc_t &front() { return recs[0]; }
  const align_loc_t &front() const { return recs[0]; }
  align_loc_t *begin() { return recs.data(); }
  align_loc_t *end() { return recs.data() + count; }
  const align_loc_t *begin() const { return recs.data(); }
  const align_loc_t *end() const { return recs.data() + count; }
  void clear() { count = 0; }
  void push_back(const align_loc_t &a);
  void push_back(int penalty, bool direction, uint32_t loc,
                 const std::string &cigar, mm_gap_t mm_gap, char type);
};

// Per-read candidate store: the alignments of the best penalty (main tier)
// and of the second-best penalty (secondary tier); a location is accepted
// once per read.
struct align_store_t {
  align_tier_t main_store;
  align_tier_t sec_store;
  seen_t seen_pos;
  int MM_penalty;

  explicit align_store_t(int MM_penalty) : MM_penalty(MM_penalty) {}

  // False exactly when loc was offered since the last clear.
  bool insert(int penalty, bool direction, uint32_t loc,
              const std::string &cigar, mm_gap_t mm_gap, char type);
  int get_main_size() const { return int(main_store.size()); }
  int get_sec_size() const { return int(sec_store.size()); }
  void clear();
};
