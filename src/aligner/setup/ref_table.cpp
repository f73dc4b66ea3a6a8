#include "aligner/setup/ref_table.h"

#include <algorithm>

void build_ref_table(ref_table_t &t, const std::map<long, std::string> &starts,
                     int64_t genome_length) {
  t.seqs.clear();
  for (auto it = starts.begin(); it != starts.end(); ++it) {
    auto next = std::next(it);
    int64_t end = next == starts.end() ? genome_length : next->first - 1;
    if (it->first < 1 || end < it->first)
      continue;
    t.seqs.push_back({uint64_t(it->first), uint64_t(end), it->second});
  }
}

const ref_seq_t *find_ref(const ref_table_t &t, uint64_t loc) {
  auto it = std::upper_bound(
      t.seqs.begin(), t.seqs.end(), loc,
      [](uint64_t v, const ref_seq_t &s) { return v < s.start; });
  if (it == t.seqs.begin())
    return nullptr;
  --it;
  return loc <= it->end ? &*it : nullptr;
}

bool span_in_one_ref(const ref_table_t &t, uint64_t loc, uint64_t len) {
  const ref_seq_t *s = find_ref(t, loc);
  return s && (len == 0 || loc + len - 1 <= s->end);
}

uint64_t cigar_ref_span(const std::string &cigar) {
  uint64_t span = 0, n = 0;
  for (char c : cigar) {
    if (c >= '0' && c <= '9') {
      n = n * 10 + uint64_t(c - '0');
      continue;
    }
    if (c == 'M' || c == '=' || c == 'X' || c == 'D')
      span += n;
    n = 0;
  }
  return span;
}

bool fits_one_ref(const ref_table_t &t, uint64_t loc,
                  const std::string &cigar) {
  return !cigar.empty() && span_in_one_ref(t, loc, cigar_ref_span(cigar));
}
