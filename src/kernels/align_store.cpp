#include "kernels/align_store.h"

#include <algorithm>
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

namespace {

// The first empty slot from a's home on, or the slot holding a; -1 when
// every slot holds another location.
int64_t find_slot(const seen_t &s, uint32_t a) {
  const uint32_t size = uint32_t(s.locs.size());
  uint32_t h = s.home(a);
  for (uint32_t probes = 0; probes < size; ++probes) {
    const uint32_t v = s.locs[h];
    if (v == 0 || v == a)
      return h;
    h = (h + 1) & (size - 1);
  }
  return -1;
}

// Four times the slots; the locations move to their new slots in the
// order they were added.
void grow(seen_t &s) {
  std::vector<uint32_t> old;
  old.swap(s.locs);
  s.bits = std::min(s.bits + 2, seen_t::max_bits);
  s.locs.assign(size_t(1) << s.bits, 0);
  for (uint32_t &h : s.locs_added) {
    const uint32_t a = old[h];
    h = uint32_t(find_slot(s, a));
    s.locs[h] = a;
  }
}

} // namespace

seen_t::seen_t() : locs(size_t(1) << first_bits, 0) {
  locs_added.reserve(5000);
}

bool seen_t::insert(uint32_t a) {
  if (a == 0)
    return true; // cannot be told apart from an empty slot
  if (bits < max_bits && 2 * (locs_added.size() + 1) > locs.size())
    grow(*this);
  const int64_t h = find_slot(*this, a);
  if (h < 0)
    return true; // table full: accept without remembering
  if (locs[size_t(h)] == a)
    return false;
  locs[size_t(h)] = a;
  locs_added.push_back(uint32_t(h));
  return true;
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
