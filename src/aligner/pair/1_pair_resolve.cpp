#include "aligner/pair/1_pair_resolve.h"

#include "aligner/pair/2_rescue.h"
#include "aligner/pair/pair_state.h"
#include "aligner/setup/2_pen_tester.h"
#include "aligner/setup/params.h"
#include "common/mt_random.h"

namespace {

void fill_list(cand_list_t &l, const align_store_t &s) {
  for (const align_loc_t &a : s.main_store)
    l.add().assign(a);
  for (const align_loc_t &a : s.sec_store)
    l.add().assign(a);
}

bool both_unmapped(const pair_input_t &in) {
  const pair_mate_t *m = in.mate;
  return (m[0].store->main_store.empty() && m[1].store->main_store.empty()) ||
         (m[0].too_short && m[1].too_short) || (!m[0].found && !m[1].found);
}

void take_prior(align_loc_pair_t &c, int prior, int t) {
  if (c.paired)
    return;
  c.paired = true;
  c.penalty -= prior;
  c.template_size = t;
}

// Two single candidates that pair up: taken as they are.
bool unique_pair(pair_work_t &w, int prior) {
  if (w.list[0].size() != 1 || w.list[1].size() != 1)
    return false;
  align_loc_pair_t &a = w.list[0].at(0);
  align_loc_pair_t &b = w.list[1].at(0);
  int t = 0;
  if (!concordant(w.geom, a, b, t))
    return false;
  take_prior(a, prior, t);
  take_prior(b, prior, t);
  w.pairs.push_back({0, 0, a.penalty + b.penalty, t});
  w.no_pair = false;
  pair_result_t &r = w.result;
  r.tiers[0] = r.tiers[1] = r.pair_tiers = tier_counts_t{1, 0, 0, 0};
  r.singles = false;
  r.outcome = pair_outcome::BOTH;
  return true;
}

// Every candidate that pairs with some candidate of the other mate takes
// the prior off its penalty, once, keeping the first template size.
void mark_pairs(pair_work_t &w, int prior) {
  cand_list_t &l1 = w.list[0], &l2 = w.list[1];
  int t = 0;
  for (size_t i = 0; i < l1.size(); ++i)
    for (size_t j = 0; j < l2.size(); ++j) {
      align_loc_pair_t &a = l1.at(i), &b = l2.at(j);
      if (!concordant(w.geom, a, b, t))
        continue;
      w.no_pair = false;
      take_prior(a, prior, t);
      take_prior(b, prior, t);
    }
}

void record_pairs(pair_work_t &w) {
  const cand_list_t &l1 = w.list[0], &l2 = w.list[1];
  int t = 0;
  for (size_t i = 0; i < l1.size(); ++i)
    for (size_t j = 0; j < l2.size(); ++j) {
      const align_loc_pair_t &a = l1.at(i), &b = l2.at(j);
      if (concordant(w.geom, a, b, t))
        w.pairs.push_back({l1.order[i], l2.order[j], a.penalty + b.penalty, t});
    }
}

// Best penalty of a mate's own candidates with the prior given back to
// those that only won through pairing.
int own_best(const cand_list_t &l, int prior, bool &unpaired_better) {
  const align_loc_pair_t &first = l.at(0);
  if (!first.paired)
    return first.penalty;
  int best = first.penalty + prior;
  for (size_t i = 0; i < l.size(); ++i) {
    const align_loc_pair_t &c = l.at(i);
    if (!c.paired && c.penalty < best) {
      best = c.penalty;
      unpaired_better = true;
    }
  }
  return best;
}

// True when the two best single candidates beat the best concordant pair.
bool singles_win(pair_work_t &w, int prior, bool &unpaired_better) {
  if (w.pairs.empty())
    return true;
  cand_list_t *l = w.list;
  if (l[0].at(0).paired && l[1].at(0).paired)
    return false;
  int own1 = own_best(l[0], prior, unpaired_better);
  int own2 = own_best(l[1], prior, unpaired_better);
  bool singles = w.pairs[0].combined_penalty > own1 + own2;
  if (unpaired_better)
    for (int j = 0; j < 2; ++j) {
      for (size_t i = 0; i < l[j].count; ++i)
        if (l[j].recs[i].paired)
          l[j].recs[i].penalty -= prior;
      l[j].sort();
    }
  return singles;
}

int draw_index(int n, MT_random &gen) {
  return n > 1 ? int(gen.genrand_int_range(0, uint64_t(n - 1))) : 0;
}

void choose(pair_work_t &w, pair_input_t &in) {
  pair_result_t &r = w.result;
  if (r.tiers[0].best == 0 || r.tiers[1].best == 0) {
    bool one = r.tiers[0].best > 0 || r.tiers[1].best > 0;
    r.outcome = one ? pair_outcome::ONE_MAPPED : pair_outcome::UNMAPPED;
    r.mapped_mate = r.tiers[0].best > 0 ? 0 : 1;
    return;
  }
  r.outcome = pair_outcome::BOTH;
  if (r.singles) {
    int i1 = draw_index(r.tiers[0].best, *in.gen);
    int i2 = draw_index(r.tiers[1].best, *in.gen);
    r.chosen[0] = w.list[0].order[size_t(i1)];
    r.chosen[1] = w.list[1].order[size_t(i2)];
    w.pairs.clear();
    const align_loc_pair_t &a = w.list[0].recs[size_t(r.chosen[0])];
    const align_loc_pair_t &b = w.list[1].recs[size_t(r.chosen[1])];
    w.pairs.push_back({r.chosen[0], r.chosen[1], a.penalty + b.penalty, 0});
    return;
  }
  int k = pick_pair(w.pairs, r.pair_tiers.best, in.p->MEAN_TEMPLATE_SIZE,
                    *in.gen, w.keys);
  r.chosen[0] = w.pairs[size_t(k)].first;
  r.chosen[1] = w.pairs[size_t(k)].second;
}

} // namespace

void resolve_pair(pair_work_t &w, pair_input_t &in) {
  const tolve_params_t *p = in.p;
  pair_result_t &r = w.result;
  r = pair_result_t();
  w.pairs.clear();
  w.no_pair = true;
  w.kern.ready[0] = w.kern.ready[1] = false;
  w.geom.refs = in.refs;
  w.geom.max_template = p->MAX_TEMPLATE_SIZE;
  for (int j = 0; j < 2; ++j) {
    w.list[j].clear();
    w.geom.len[j] = in.mate[j].len;
    w.main_size[j] = in.mate[j].store->get_main_size();
  }
  if (both_unmapped(in))
    return;
  for (int j = 0; j < 2; ++j)
    fill_list(w.list[j], *in.mate[j].store);

  const int prior = p->PHRED_PAIRING_PRIOR;
  if (unique_pair(w, prior))
    return;
  mark_pairs(w, prior);
  rescue_mates(w, in);
  if (!w.no_pair)
    record_pairs(w);
  w.list[0].sort();
  w.list[1].sort();
  sort_pairs(w.pairs);

  bool unpaired_better = false;
  r.singles = singles_win(w, prior, unpaired_better);
  int gap = in.pen->m_score + in.pen->mm_pen;
  if (!w.no_pair && !unpaired_better)
    gap += prior;
  for (int j = 0; j < 2; ++j)
    r.tiers[j] = candidate_tiers(w.list[j], gap);
  if (!r.singles)
    r.pair_tiers = pair_tiers(w.pairs, gap);
  choose(w, in);
}
