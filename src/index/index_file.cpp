#include "index/index_file.h"

#include <cmath>
#include <vector>

#include "common/constants.h"
#include "common/parallel.h"

void write_index_head(gz_writer_t &w, int mode, int64_t genome_len,
                      const bit_DNA_t &genome,
                      const std::map<std::string, uint64_t> &starts) {
  gz_put<int32_t>(w, global::MAGIC_INT);
  gz_put<int32_t>(w, global::HASH_VERSION);
  gz_put<int32_t>(w, INDEX_PARAM_COUNT);
  gz_put<int32_t>(w, mode);
  gz_put<int64_t>(w, genome_len);
  // Same record as bit_DNA_t::write_serialised.
  gz_put<uint64_t>(w, genome.curr_loc);
  gz_put<uint64_t>(w, genome.data.size());
  // A genome without bases has no bytes, and its empty vector's data() may
  // be null, which memcpy must never get.
  if (!genome.data.empty())
    gz_put_bytes(w, genome.data.data(), genome.data.size());
  gz_put<uint64_t>(w, starts.size());
  for (const auto &chr : starts) {
    gz_put<uint64_t>(w, chr.first.size());
    gz_put_bytes(w, chr.first.data(), chr.first.size());
    gz_put<int64_t>(w, int64_t(chr.second));
  }
}

void write_index_groups(gz_writer_t &w, const twoint3_hash *recs, uint64_t n,
                        uint64_t groups, int32_t span) {
  gz_put<uint64_t>(w, n);
  gz_put<uint64_t>(w, groups);
  gz_put<int32_t>(w, span);
  gz_put<int32_t>(w, SPACED_SPACE);
  gz_put<int32_t>(w, MINI_HASH_BITS);
  uint64_t i = 0;
  while (i < n) {
    const uint64_t key = recs[i].a;
    uint64_t end = i + 1;
    while (end < n && recs[end].a == key)
      ++end;
    gz_put<uint64_t>(w, key);
    // Distinct positions below 2^32 per key: the count always fits.
    gz_put<uint32_t>(w, uint32_t(end - i));
    for (; i < end; ++i)
      gz_put<uint32_t>(w, recs[i].b);
  }
}

namespace {

int size_bin(uint64_t size) { return int(std::log(double(size)) / LOG_2); }

} // namespace

group_stats_t group_histogram(const twoint3_hash *recs, uint64_t n) {
  // Most groups are small: tally small sizes first and take the logarithm
  // once per size rather than once per group.
  const uint64_t small = 4096;
  std::vector<uint64_t> by_size(small, 0);
  group_stats_t stats;
  uint64_t i = 0;
  while (i < n) {
    uint64_t end = i + 1;
    while (end < n && recs[end].a == recs[i].a)
      ++end;
    const uint64_t size = end - i;
    if (size < small)
      ++by_size[size];
    else
      ++stats.bins[size_bin(size)];
    ++stats.groups;
    i = end;
  }
  for (uint64_t size = 1; size < small; ++size)
    if (by_size[size] > 0)
      stats.bins[size_bin(size)] += by_size[size];
  return stats;
}

group_stats_t group_histogram(const twoint3_hash *recs,
                              const std::vector<uint64_t> &cuts, int threads) {
  // Spans of several cut intervals each: a handful per thread.
  const size_t spans = size_t(threads) * 8;
  const size_t intervals = cuts.size() - 1;
  std::vector<group_stats_t> part(spans);
  run_jobs(threads, spans, [&](size_t j) {
    const uint64_t from = cuts[intervals * j / spans];
    const uint64_t to = cuts[intervals * (j + 1) / spans];
    part[j] = group_histogram(recs + from, to - from);
  });
  group_stats_t stats;
  for (const group_stats_t &p : part) {
    stats.groups += p.groups;
    for (const auto &bin : p.bins)
      stats.bins[bin.first] += bin.second;
  }
  return stats;
}

void print_histogram(std::ostream &os, const group_stats_t &stats) {
  os << "Length: " << stats.bins.size() << "\n";
  for (const auto &bin : stats.bins)
    os << bin.first << ":" << std::pow(2.0, double(bin.first)) << ","
       << bin.second << "\n";
}
