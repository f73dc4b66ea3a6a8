#include "aligner/pair/pairing.h"

#include <algorithm>

#include "aligner/setup/ref_table.h"
#include "common/mt_random.h"

void align_loc_pair_t::assign(const align_loc_t &a) {
  penalty = a.penalty;
  mm_gap = a.mm_gap;
  direction = a.direction;
  loc = a.loc;
  cigar.assign(a.cigar);
  type = a.type;
  paired = false;
  close_discordant = false;
  template_size = 0;
}

static align_loc_pair_t &fresh(std::vector<align_loc_pair_t> &recs, size_t i) {
  if (recs.size() <= i)
    recs.resize(i + 1);
  align_loc_pair_t &r = recs[i];
  r.penalty = 0;
  r.mm_gap = mm_gap_t();
  r.direction = true;
  r.loc = 0;
  r.cigar.clear();
  r.type = 'N';
  r.paired = false;
  r.close_discordant = false;
  r.template_size = 0;
  return r;
}

void cand_list_t::clear() {
  count = 0;
  pending = 0;
  order.clear();
}

align_loc_pair_t &cand_list_t::add() {
  // Pending records sit right after the list; move them out of the way.
  if (pending > 0) {
    fresh(recs, count + pending);
    std::swap(recs[count], recs[count + pending]);
  }
  align_loc_pair_t &r = fresh(recs, count);
  order.push_back(int(count));
  ++count;
  return r;
}

align_loc_pair_t &cand_list_t::add_pending() {
  ++pending;
  return fresh(recs, count + pending - 1);
}

void cand_list_t::drop_pending() {
  if (pending > 0)
    --pending;
}

void cand_list_t::take_pending() {
  for (size_t i = 0; i < pending; ++i)
    order.push_back(int(count + i));
  count += pending;
  pending = 0;
}

int cand_list_t::pending_repeat() const {
  if (pending == 0)
    return -1;
  const size_t last = count + pending - 1;
  const align_loc_pair_t &c = recs[last];
  for (size_t i = 0; i < last; ++i)
    if (recs[i].loc == c.loc && recs[i].direction == c.direction)
      return int(i);
  return -1;
}

void cand_list_t::sort() {
  const std::vector<align_loc_pair_t> &r = recs;
  std::sort(order.begin(), order.end(), [&r](int a, int b) {
    int pa = r[size_t(a)].penalty, pb = r[size_t(b)].penalty;
    return pa < pb || (pa == pb && a < b);
  });
}

bool same_chromosome(const ref_table_t &refs, uint32_t a, uint32_t b) {
  const ref_seq_t *x = find_ref(refs, a);
  return x && x == find_ref(refs, b);
}

int64_t template_size(const pair_geom_t &g, const align_loc_pair_t &a,
                      const align_loc_pair_t &b) {
  if (a.direction)
    return int64_t(b.loc) + g.len[1] - int64_t(a.loc);
  return int64_t(a.loc) + g.len[0] - int64_t(b.loc);
}

bool concordant(const pair_geom_t &g, const align_loc_pair_t &a,
                const align_loc_pair_t &b, int &t) {
  if (a.direction != b.direction)
    return false;
  int64_t size = template_size(g, a, b);
  if (size < g.len[0] || size < g.len[1] || size > g.max_template)
    return false;
  if (!same_chromosome(*g.refs, a.loc, b.loc))
    return false;
  t = int(size);
  return true;
}

// The scan shared by both tier counts: value(i) is the key of entry i of a
// sorted list of n entries, mm(i) its mismatch count.
template <typename Value, typename Mm>
static tier_counts_t count_tiers(size_t n, int gap, Value value, Mm mm) {
  tier_counts_t c;
  if (n == 0)
    return c;
  const int64_t best = value(0);
  const int64_t limit = best + int64_t(gap);
  c.best = 1;
  size_t i = 1;
  while (i < n && value(i) == best) {
    ++c.best;
    ++i;
  }
  // The first entry past the best one counts only within the gap; beyond
  // it, it is passed over and the next one closes the scan.
  if (i < n) {
    if (value(i) <= limit)
      ++c.second;
    ++i;
  }
  for (; i < n; ++i) {
    if (value(i) <= limit) {
      ++c.second;
      continue;
    }
    c.diff = std::max(0, mm(i) - mm(0));
    break;
  }
  c.rest = int(n) - c.best - c.second;
  return c;
}

tier_counts_t candidate_tiers(const cand_list_t &l, int gap) {
  return count_tiers(
      l.size(), gap, [&l](size_t i) { return int64_t(l.at(i).penalty); },
      [&l](size_t i) { return l.at(i).mm_gap.num_mm; });
}

tier_counts_t pair_tiers(const std::vector<concordant_store_t> &pairs,
                         int gap) {
  return count_tiers(
      pairs.size(), gap,
      [&pairs](size_t i) { return int64_t(pairs[i].combined_penalty); },
      [](size_t) { return 0; });
}

void sort_pairs(std::vector<concordant_store_t> &pairs) {
  // Recorded in list order of mate 1, then of mate 2; ties keep it.
  std::sort(pairs.begin(), pairs.end(),
            [](const concordant_store_t &a, const concordant_store_t &b) {
              if (a.combined_penalty != b.combined_penalty)
                return a.combined_penalty < b.combined_penalty;
              return a.first < b.first ||
                     (a.first == b.first && a.second < b.second);
            });
}

int pick_pair(const std::vector<concordant_store_t> &pairs, int best, int mean,
              MT_random &gen, std::vector<std::pair<int, int>> &keys) {
  if (best <= 1 || pairs.size() <= 1)
    return 0;
  keys.clear();
  for (int i = 0; i < best && size_t(i) < pairs.size(); ++i) {
    int d = pairs[size_t(i)].template_size - mean;
    keys.emplace_back(d < 0 ? -d : d, i);
  }
  std::sort(keys.begin(), keys.end());
  size_t k = 1;
  while (k < keys.size() && keys[k].first == keys[0].first)
    ++k;
  size_t j = k > 1 ? size_t(gen.genrand_int_range(0, uint64_t(k - 1))) : 0;
  return keys[j].second;
}
