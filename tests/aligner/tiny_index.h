#pragma once
// A small in-memory index for the search tests: the genome packed, the
// windows chosen by the index's own selection, and the position table and
// bucket table laid out as the align command loads them.
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "aligner/search/search.h"
#include "aligner/setup/2_pen_tester.h"
#include "aligner/setup/chrom_span.h"
#include "aligner/setup/index_types.h"
#include "aligner/setup/mini_hash.h"
#include "aligner/setup/params.h"
#include "aligner/setup/ref_table.h"
#include "common/bit_dna.h"
#include "common/mt_random.h"
#include "index/index_format.h"
#include "index/kmer_select.h"
#include "kernels/align_store.h"

struct tiny_index_t {
  uint8_t *table = gen_mm_table();
  MT_random gen;
  bit_DNA_t genome{table};
  std::map<std::string, long> genome_start;
  std::map<long, std::string> start_genome;
  std::vector<std::pair<uint64_t, uint32_t>> entries; // (key, position)
  std::vector<twoint3_search> chrdict;
  mini_hash_t buckets;
  tolve_params_t p;

  tiny_index_t() = default;
  tiny_index_t(const tiny_index_t &) = delete;
  ~tiny_index_t() {
    delete p.refs;
    delete[] table;
  }

  void build(const std::vector<std::pair<std::string, std::string>> &chroms,
             int k, int mode, int hash_bits = 16) {
    long start = 1;
    for (const auto &c : chroms) {
      genome_start[c.first] = start;
      start_genome[start] = c.first;
      genome.append(c.second, gen);
      select_windows(c.second, k, mode, [&](uint64_t key, uint64_t off) {
        entries.push_back({key, uint32_t(start + long(off))});
      });
      start += long(c.second.size());
    }
    std::sort(entries.begin(), entries.end());
    p.INDEX_MODE = mode;
    p.kmer_size = index_span(k, mode);
    p.SPACED_SPACE = SPACED_SPACE;
    p.MINI_HASH_BITS = hash_bits;
    p.MINI_HASH_LENGTH = uint32_t(1) << hash_bits;
    int shift = mode <= 1 ? 2 * p.kmer_size - hash_bits
                          : 2 * (p.kmer_size - SPACED_SPACE) + 2 - hash_bits;
    p.NUM_SHIFT = shift < 0 ? 0 : shift;
    p.HASH_MASK = (uint64_t(1) << p.NUM_SHIFT) - 1;
    load_table();
    p.genome_str = &genome;
    p.genome_length = start - 1;
    p.genome_start = &genome_start;
    p.start_genome = &start_genome;
    p.mm_table = table;
    build_refs(&p);
  }

  // The loader's grouping: one bucket per run of keys with equal top bits.
  void load_table() {
    mini_hash_init(buckets, p.MINI_HASH_LENGTH, entries.size());
    chrdict.clear();
    uint32_t first = 0, next = 1;
    bool any = false;
    uint32_t prev = 0;
    for (const auto &e : entries) {
      uint32_t bucket = uint32_t(e.first >> p.NUM_SHIFT);
      if (!any || bucket != prev) {
        if (any)
          mini_hash_fill(buckets, prev, first, next);
        first = next;
      }
      chrdict.emplace_back(uint32_t(e.first & p.HASH_MASK), e.second);
      ++next;
      prev = bucket;
      any = true;
    }
    if (any)
      mini_hash_fill(buckets, prev, first, next);
    p.chrdict = &chrdict;
    p.mini_hash = &buckets;
  }
};

// Random genome text from a generator of its own.
inline std::string random_dna(size_t n, uint64_t seed) {
  MT_random g;
  g.init_genrand64(seed);
  std::string s(n, 'A');
  for (char &c : s)
    c = "ACGT"[g.genrand_int_range(0, 3)];
  return s;
}

// Default tolerances of the align command, or a fixed mismatch count.
inline pen_tester default_pen(int max_mm = -1) {
  return pen_tester(0.05f, max_mm, 0.005f, -1, 50, 5, 15, 40, 2);
}

// One single-end read ready for search_mate.
struct test_read_t {
  std::string text;
  bit_DNA_t fwd, rev;
  mate_input_t in;

  test_read_t(const std::string &t, tiny_index_t &idx)
      : text(t), fwd(t, idx.gen, idx.table),
        rev(compleseq(t), idx.gen, idx.table) {
    in.packed[0] = &fwd;
    in.packed[1] = &rev;
    in.seq0 = &text;
    in.read_len = int(t.size());
  }
};

// The state one worker keeps for a mate, and one search with it.
struct search_run_t {
  pen_tester pen;
  align_store_t store;
  MT_random gen;
  mate_search_t s;
  bool found = false;
  bool too_short = false;

  explicit search_run_t(pen_tester pt)
      : pen(pt), store(pt.mm_pen + pt.m_score) {}

  void run(tiny_index_t &idx, const test_read_t &read) {
    found = false;
    too_short = false;
    store.clear();
    pen.set_length(read.in.read_len, 0);
    search_mate(&idx.p, 0, read.in, pen, store, gen, s, found, too_short);
  }
};
