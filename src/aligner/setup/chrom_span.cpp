#include "aligner/setup/chrom_span.h"

#include <map>
#include <string>

void build_chrom_ends(tolve_params_t *p) {
  std::vector<uint32_t> *ends = p->chrom_ends;
  if (!ends)
    ends = new std::vector<uint32_t>();
  ends->clear();
  if (p->start_genome) {
    const std::map<long, std::string> &starts = *p->start_genome;
    for (auto it = starts.begin(); it != starts.end(); ++it) {
      auto next = std::next(it);
      int64_t end = next == starts.end() ? p->genome_length : next->first - 1;
      if (end > p->genome_length)
        end = p->genome_length;
      if (!ends->empty() && end < int64_t(ends->back()))
        end = ends->back();
      ends->push_back(uint32_t(end < 0 ? 0 : end));
    }
  }
  p->chrom_ends = ends;
}

bool span_in_one_chrom_by_map(const tolve_params_t *p, int64_t loc,
                              int64_t last) {
  if (!p->start_genome)
    return true; // no sequence table: only the genome bounds apply
  const std::map<long, std::string> &starts = *p->start_genome;
  // The sequence holding loc is the one with the greatest start <= loc;
  // the next start (if any) must lie beyond the span.
  auto next = starts.upper_bound(long(loc));
  if (next == starts.begin())
    return false;
  return next == starts.end() || last < next->first;
}
