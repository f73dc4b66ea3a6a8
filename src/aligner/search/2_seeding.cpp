#include "aligner/search/2_seeding.h"

#include <algorithm>
#include <climits>

#include "aligner/setup/index_types.h"
#include "aligner/setup/mini_hash.h"
#include "aligner/setup/params.h"
#include "common/bit_dna.h"
#include "common/mt_random.h"
#include "index/kmer_keys.h"

namespace {

// 2-bit code of base i (0-based) of a packed sequence.
inline uint64_t base_code(const bit_DNA_t &r, uint64_t i) {
  return (r.data[i >> 2] >> ((i & 3) << 1)) & 3;
}

// A window of `span` bases rolled one base at a time along a packed read,
// first base in the low bits as in the index.
struct window_roll_t {
  uint64_t w = 0;
  unsigned top = 0;
  uint64_t next = 0; // 0-based position of the base that enters next

  // Preloads the first span - 1 bases, one step (two bits) too high, so
  // that every window, the first one included, is one roll.
  window_roll_t(const bit_DNA_t &r, unsigned span) : top(2 * (span - 1)) {
    for (uint64_t i = 0; i + 1 < span; ++i)
      w += base_code(r, i) << (2 * (i + 1));
    next = span - 1;
  }
  uint64_t roll(const bit_DNA_t &r) {
    w = (w >> 2) + (base_code(r, next++) << top);
    return w;
  }
};

// Gathers the kept keys of one strand. Every window is written to the next
// free slot and only a kept one claims it: whether a key is kept follows
// no pattern a branch could learn.
struct kmer_sink_t {
  std::vector<kmer_idx_t4> &out;
  kmer_idx_t4 *slot;
  size_t n = 0;

  kmer_sink_t(std::vector<kmer_idx_t4> &o, size_t windows) : out(o) {
    out.resize(windows);
    slot = out.data();
  }
  void offer(uint64_t key, uint64_t start0, bool keep) {
    kmer_idx_t4 &k = slot[n];
    k.kmer_num = key;
    k.start_loc = int32_t(start0 + 1);
    k.chrdict_start_loc = 0;
    k.idx_length = kmer_len::NOT_LOOKED_UP;
    k.searched = kmer_state::FRESH;
    n += keep;
  }
  // Most kept k-mers are looked up soon after; fetching their buckets now
  // hides much of the cache misses of the lookups.
  void finish(const tolve_params_t *p) {
    out.resize(n);
    if (!p->mini_hash)
      return;
    const mini_hash_t &h = *p->mini_hash;
    const int shift = p->NUM_SHIFT;
    for (size_t i = 0; i < n; ++i)
      mini_hash_prefetch(h, uint32_t(slot[i].kmer_num >> shift));
  }
};

// A window span a 64-bit key can hold.
inline bool span_ok(int span) { return span >= 1 && span <= 32; }

// Coverage step of an absent k-mer: full weight while coverage is low,
// shrinking as it grows relative to the number of read windows.
void absent_kmer(const tolve_params_t *p, mate_search_t &s, int st,
                 kmer_idx_t4 &k) {
  kmer_walk_t &w = s.walk[st];
  k.searched = kmer_state::ABSENT;
  const double c = w.coverage;
  w.coverage += 1.0 / (1.0 + c / s.nk);
  skip_covered(w, s.kmers[st], k.start_loc, p->kmer_size, c, s.nk);
  w.pass_clean = false;
  w.took = false;
}

} // namespace

void give_up_kmer(mate_search_t &s, int st, kmer_idx_t4 &k, int32_t state) {
  k.searched = state;
  s.too_frequent[st].push_back(k.start_loc);
  s.walk[st].pass_clean = false;
  ++s.walk[st].cursor;
}

bool take_or_defer(kmer_walk_t &w, kmer_idx_t4 &k, int32_t n, MT_random &gen,
                   int32_t state) {
  if (n > w.limit && double(w.limit) / n < gen.genrand64_real2()) {
    defer_kmer(w, n);
    return false;
  }
  w.coverage += 1.0;
  k.searched = state;
  w.pass_clean = false;
  return true;
}

void defer_kmer(kmer_walk_t &w, int32_t n) {
  w.pass_clean = false;
  if (w.min_deferred == -1 || n < w.min_deferred)
    w.min_deferred = n;
  ++w.cursor;
}

void begin_new_pass(kmer_walk_t &w, int32_t first_limit) {
  int64_t limit = int64_t(w.limit) * seeding::LIMIT_GROWTH;
  if (limit < w.min_deferred)
    limit = int64_t(w.min_deferred) + first_limit;
  w.limit = int32_t(std::min<int64_t>(limit, INT32_MAX));
  w.cursor = 0;
  w.pass_clean = true;
  w.min_deferred = -1;
}

void gen_kmers_one(const tolve_params_t *p, const bit_DNA_t &read,
                   std::vector<kmer_idx_t4> &out) {
  out.clear();
  const int span = p->kmer_size;
  const uint64_t n = read.size();
  const int mode = p->INDEX_MODE;
  const bool spaced = mode == 2 || mode == 4;
  if (!span_ok(span) || n < uint64_t(span))
    return;
  if (spaced && span - p->SPACED_SPACE < 2)
    return;
  const spaced_masks_t masks =
      spaced ? make_spaced_masks(span - p->SPACED_SPACE) : spaced_masks_t{};
  window_roll_t roll(read, unsigned(span));
  kmer_sink_t sink(out, n - span + 1);
  for (uint64_t s0 = 0; s0 + span <= n; ++s0) {
    const uint64_t w = roll.roll(read);
    const uint64_t key = spaced ? spaced_key(w, masks) : w;
    sink.offer(key, s0, hash_key2(key, mode));
  }
  sink.finish(p);
}

void gen_kmers_both(const tolve_params_t *p, const bit_DNA_t &read,
                    std::vector<kmer_idx_t4> &out) {
  out.clear();
  const int span = p->kmer_size;
  const int k = span - p->SPACED_SPACE;
  const uint64_t n = read.size();
  const int mode = p->INDEX_MODE;
  if (!span_ok(span) || k < 2 || n < uint64_t(k))
    return;
  const spaced_masks_t masks = make_spaced_masks(k);
  window_roll_t cont(read, unsigned(k));
  window_roll_t wide(read, unsigned(span));
  kmer_sink_t sink(out, n - k + 1);
  for (uint64_t s0 = 0; s0 + k <= n; ++s0) {
    const uint64_t c = cont.roll(read);
    const bool wide_fits = s0 + span <= n;
    const uint64_t w = wide_fits ? wide.roll(read) : 0;
    if (hash_key2(c, mode)) {
      sink.offer(c, s0, true);
    } else if (wide_fits) {
      const uint64_t key = spaced_key(w, masks);
      sink.offer(key, s0, hash_key2(key, mode));
    }
  }
  sink.finish(p);
}

void gen_kmers(const tolve_params_t *p, const bit_DNA_t &read,
               std::vector<kmer_idx_t4> &out) {
  if (p->INDEX_MODE == 3)
    gen_kmers_both(p, read, out);
  else
    gen_kmers_one(p, read, out);
}

int count_undetermined(const std::string &seq) {
  int n = 0;
  for (char c : seq)
    n += c == 'N' || c == '.' || c == 'X';
  return n;
}

void prefetch_lookups(const tolve_params_t *p, const mate_search_t &s) {
  if (!p->mini_hash || !p->chrdict)
    return;
  const mini_hash_t &h = *p->mini_hash;
  const int shift = p->NUM_SHIFT;
  for (const std::vector<kmer_idx_t4> &ks : s.kmers)
    for (const kmer_idx_t4 &k : ks) {
      const int64_t slot = mini_hash_slot(h, uint32_t(k.kmer_num >> shift));
      if (slot >= 0)
        __builtin_prefetch(&h.starts[size_t(slot)]);
    }
  const twoint3_search *dict = p->chrdict->data();
  const size_t entries = p->chrdict->size();
  for (const std::vector<kmer_idx_t4> &ks : s.kmers)
    for (const kmer_idx_t4 &k : ks) {
      const int64_t slot = mini_hash_slot(h, uint32_t(k.kmer_num >> shift));
      if (slot < 0)
        continue;
      const uint32_t first = h.starts[size_t(slot)];
      if (first >= 1 && first <= entries)
        __builtin_prefetch(dict + (first - 1));
    }
}

void hash_search(const tolve_params_t *p, kmer_idx_t4 &k) {
  k.idx_length = kmer_len::NOT_FOUND;
  const std::vector<twoint3_search> &dict = *p->chrdict;
  const mini_pair_t range =
      mini_hash_get(*p->mini_hash, uint32_t(k.kmer_num >> p->NUM_SHIFT));
  if (range.a == 0 || range.b < range.a || range.b - 1 > dict.size())
    return;
  const uint32_t low = uint32_t(k.kmer_num & p->HASH_MASK);
  auto first = dict.begin() + (range.a - 1);
  auto last = dict.begin() + (range.b - 1);
  const twoint3_search probe(low, 0);
  auto lo = std::lower_bound(first, last, probe);
  if (lo == last || lo->a != low)
    return;
  k.chrdict_start_loc = uint32_t(lo - dict.begin());
  if (lo->b == 0) {
    k.idx_length = 0;
    return;
  }
  // Equal entries are counted inside the bucket only: the next bucket may
  // start with the same low bits of a different key.
  auto hi = std::upper_bound(lo, last, probe);
  k.idx_length = int32_t(hi - lo);
}

void start_walks(mate_search_t &s, int32_t limit) {
  for (kmer_walk_t &w : s.walk) {
    w = kmer_walk_t();
    w.limit = limit;
  }
}

void skip_covered(kmer_walk_t &w, const std::vector<kmer_idx_t4> &ks,
                  int32_t from, int span, double coverage, int nk) {
  const int64_t reach = int64_t(from) + int64_t(span / (1.0 + coverage / nk));
  while (w.cursor < ks.size() && ks[w.cursor].start_loc <= reach)
    ++w.cursor;
}

void visit_strand(const tolve_params_t *p, MT_random &gen, mate_search_t &s,
                  int st) {
  kmer_walk_t &w = s.walk[st];
  std::vector<kmer_idx_t4> &ks = s.kmers[st];
  w.took = true;
  for (;;) {
    if (w.cursor >= ks.size()) {
      if (w.pass_clean) {
        w.finished = true;
        return;
      }
      begin_new_pass(w, p->PHASE_1_LENGTH);
      continue;
    }
    kmer_idx_t4 &k = ks[w.cursor];
    if (k.searched > 0) {
      ++w.cursor;
      continue;
    }
    if (k.idx_length == kmer_len::NOT_LOOKED_UP) {
      hash_search(p, k);
      if (k.idx_length == kmer_len::NOT_FOUND) {
        absent_kmer(p, s, st, k);
        return;
      }
    }
    const int32_t n = k.idx_length;
    if (n <= 0 || n > p->MAX_NUM_HASH ||
        (n > p->PHASE_1_LENGTH &&
         double(n) / p->MAX_NUM_HASH >= gen.genrand64_real2())) {
      give_up_kmer(s, st, k, kmer_state::USED);
      continue;
    }
    if (take_or_defer(w, k, n, gen, kmer_state::USED))
      return;
  }
}

bool need_more_coverage(const tolve_params_t *p, const mate_search_t &s) {
  // In 64 bits: the options accept any int, and a product or sum that
  // wrapped would end the walk before it began.
  const int64_t denom = p->DENUM_VAL != 0 ? p->DENUM_VAL : 1;
  const int64_t edits =
      int64_t(s.best_edit.num_mm) + int64_t(s.best_edit.num_gap_open);
  const int64_t threshold =
      int64_t(p->LOOK_AHEAD_NUM) + (edits * p->NUM_VAL) / denom;
  return threshold > std::min(s.walk[0].coverage, s.walk[1].coverage);
}
