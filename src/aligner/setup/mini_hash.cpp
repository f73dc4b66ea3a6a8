#include "aligner/setup/mini_hash.h"

void mini_hash_init(mini_hash_t &h, uint32_t length, uint64_t filled) {
  h.length = length;
  h.groups.assign((uint64_t(length) + 63) / 64, mini_hash_group_t());
  h.starts.clear();
  h.starts.reserve(filled + 1);
  h.last_filled = -1;
}

bool mini_hash_fill(mini_hash_t &h, uint32_t bucket, uint32_t first,
                    uint32_t next) {
  if (bucket >= h.length || first == 0 || next < first)
    return false;
  if (h.last_filled >= 0 &&
      (int64_t(bucket) <= h.last_filled || h.starts.back() != first))
    return false;
  if (h.starts.empty())
    h.starts.push_back(first);
  const uint32_t slot = uint32_t(h.starts.size() - 1);
  mini_hash_group_t &g = h.groups[bucket >> 6];
  if (g.bits[0] == 0 && g.bits[1] == 0)
    g.before = slot;
  g.bits[(bucket >> 5) & 1] |= uint32_t(1) << (bucket & 31);
  h.starts.push_back(next);
  h.last_filled = bucket;
  return true;
}
