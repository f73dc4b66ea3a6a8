#include "kernels/align_store.h"

#include <cstdlib>
#include <new>
#include <utility>

void align_loc_t::assign(int pen, bool dir, uint32_t at, const std::string &cig,
                         mm_gap_t edits, char kind) {
  penalty = pen;
  mm_gap = edits;
  direction = dir;
  loc = at;
  cigar.assign(cig);
  type = kind;
}

// calloc: the 4 MiB of zero slots come as untouched pages, so a set costs
// memory only where it is used.
seen_t::seen_t()
    : locs(static_cast<uint32_t *>(std::calloc(hash_size, sizeof(uint32_t)))) {
  if (!locs)
    throw std::bad_alloc();
  locs_added.reserve(5000);
}

seen_t::~seen_t() { std::free(locs); }

seen_t::seen_t(seen_t &&other) noexcept
    : locs(other.locs), locs_added(std::move(other.locs_added)) {
  other.locs = nullptr;
}

seen_t &seen_t::operator=(seen_t &&other) noexcept {
  if (this != &other) {
    std::free(locs);
    locs = other.locs;
    locs_added = std::move(other.locs_added);
    other.locs = nullptr;
  }
  return *this;
}

bool seen_t::insert(uint32_t a) {
  if (a == 0)
    return true; // cannot be told apart from an empty slot
  uint32_t h = (a * magic) >> shift_bits;
  for (uint32_t probes = 0; probes < hash_size; ++probes) {
    uint32_t v = locs[h];
    if (v == 0) {
      locs[h] = a;
      locs_added.push_back(h);
      return true;
    }
    if (v == a)
      return false;
    h = (h + 1) & (hash_size - 1);
  }
  return true; // table full: accept without remembering
}

void seen_t::clear() {
  for (uint32_t h : locs_added)
    locs[h] = 0;
  locs_added.clear();
}

void align_tier_t::push_back(const align_loc_t &a) {
  push_back(a.penalty, a.direction, a.loc, a.cigar, a.mm_gap, a.type);
}

void align_tier_t::push_back(int penalty, bool direction, uint32_t loc,
                             const std::string &cigar, mm_gap_t mm_gap,
                             char type) {
  if (count < recs.size())
    recs[count].assign(penalty, direction, loc, cigar, mm_gap, type);
  else
    recs.emplace_back(penalty, direction, loc, cigar, mm_gap, type);
  ++count;
}

bool align_store_t::insert(int penalty, bool direction, uint32_t loc,
                           const std::string &cigar, mm_gap_t mm_gap,
                           char type) {
  if (!seen_pos.insert(loc))
    return false;
  if (main_store.empty() || penalty == main_store.front().penalty) {
    main_store.push_back(penalty, direction, loc, cigar, mm_gap, type);
  } else if (penalty < main_store.front().penalty) {
    // The former best tier becomes the secondary one; the records of the
    // old secondary tier stay behind as spares of the new main tier.
    std::swap(main_store, sec_store);
    main_store.clear();
    main_store.push_back(penalty, direction, loc, cigar, mm_gap, type);
  } else if (sec_store.empty() || penalty == sec_store.front().penalty) {
    sec_store.push_back(penalty, direction, loc, cigar, mm_gap, type);
  } else if (penalty < sec_store.front().penalty) {
    sec_store.clear();
    sec_store.push_back(penalty, direction, loc, cigar, mm_gap, type);
  }
  return true;
}

void align_store_t::clear() {
  main_store.clear();
  sec_store.clear();
  seen_pos.clear();
}
