#include "index/kmer_collect.h"

#include <algorithm>

#include "common/parallel.h"
#include "index/kmer_sort.h"
#include "index/packed_scan.h"

namespace {

// Window starts per piece: enough pieces for all threads on a bacterial
// genome, few enough that the per-piece tallies stay small on a large one.
const uint64_t PIECE_BASES = uint64_t(1) << 20;
// Key ranges: many more than threads, so that the sorting threads stay
// evenly loaded, and few enough that the collecting writes stay in cache.
const unsigned RANGE_BITS = 10;

size_t piece_count(const index_genome_t &g) {
  return size_t((uint64_t(g.length) + PIECE_BASES - 1) / PIECE_BASES);
}

packed_view_t view_of(const index_genome_t &g) {
  return packed_view_t{g.packed.data.data(), g.invalid.data()};
}

// Calls emit(key, 1-based position) for the selected windows starting in
// piece `piece` of the genome.
template <typename Emit>
void select_piece(const index_genome_t &g, int k, int mode, size_t piece,
                  Emit emit) {
  const packed_view_t view = view_of(g);
  const uint64_t lo = piece * PIECE_BASES;
  const uint64_t hi = lo + PIECE_BASES;
  // Chromosomes lie end to end in file order: start with the last one that
  // begins at or before the piece.
  auto c = std::upper_bound(
      g.chroms.begin(), g.chroms.end(), lo,
      [](uint64_t at, const index_chrom_t &x) { return at < x.first; });
  if (c != g.chroms.begin())
    --c;
  for (; c != g.chroms.end() && c->first < hi; ++c) {
    const uint64_t end = c->first + c->length;
    if (end <= lo)
      continue;
    const uint64_t first = c->first;
    const uint64_t from = std::max(lo, first) - first;
    const uint64_t to = std::min(hi, end) - first;
    select_packed_windows(view, first, c->length, k, mode, from, to,
                          [&](uint64_t key, uint64_t off) {
                            emit(key, uint32_t(first + off + 1));
                          });
  }
}

// Number of key bits: continuous keys stay below 4^k, spaced keys below
// 2 * 4^k (their marker bit).
unsigned key_bits(int k, int mode) {
  return unsigned(2 * k) + (index_mode_spaced(mode) ? 1 : 0);
}

} // namespace

void count_windows(const index_genome_t &g, int k, int mode, int threads,
                   kmer_plan_t &plan) {
  plan.k = k;
  plan.mode = mode;
  const unsigned bits = key_bits(k, mode);
  plan.shift = bits > RANGE_BITS ? bits - RANGE_BITS : 0;
  plan.ranges = size_t(1) << (bits - plan.shift);
  const size_t pieces = piece_count(g);
  plan.counts.assign(pieces * plan.ranges, 0);
  run_jobs(threads, pieces, [&](size_t piece) {
    uint32_t *row = plan.counts.data() + piece * plan.ranges;
    select_piece(g, k, mode, piece,
                 [&](uint64_t key, uint32_t) { ++row[key >> plan.shift]; });
  });
  plan.range_start.assign(plan.ranges + 1, 0);
  uint64_t sum = 0;
  for (size_t r = 0; r < plan.ranges; ++r) {
    plan.range_start[r] = sum;
    for (size_t piece = 0; piece < pieces; ++piece)
      sum += plan.counts[piece * plan.ranges + r];
  }
  plan.range_start[plan.ranges] = sum;
  plan.total = sum;
}

void collect_windows(const index_genome_t &g, const kmer_plan_t &plan,
                     int threads, twoint3_hash *recs) {
  const size_t pieces = piece_count(g);
  // Where each piece writes in each range: after the earlier pieces.
  std::vector<uint64_t> at(pieces * plan.ranges);
  for (size_t r = 0; r < plan.ranges; ++r) {
    uint64_t next = plan.range_start[r];
    for (size_t piece = 0; piece < pieces; ++piece) {
      at[piece * plan.ranges + r] = next;
      next += plan.counts[piece * plan.ranges + r];
    }
  }
  run_jobs(threads, pieces, [&](size_t piece) {
    uint64_t *row = at.data() + piece * plan.ranges;
    select_piece(g, plan.k, plan.mode, piece, [&](uint64_t key, uint32_t pos) {
      recs[row[key >> plan.shift]++] = twoint3_hash{key, pos};
    });
  });
}

void sort_ranges(const kmer_plan_t &plan, int threads, twoint3_hash *recs) {
  run_jobs(threads, plan.ranges, [&](size_t r) {
    sort_records(recs + plan.range_start[r],
                 plan.range_start[r + 1] - plan.range_start[r]);
  });
}
