#include "aligner/pair/2_rescue.h"

#include <algorithm>

#include "aligner/pair/pair_state.h"
#include "aligner/search/3_extension.h"
#include "aligner/search/4_gapped.h"
#include "aligner/setup/2_pen_tester.h"
#include "aligner/setup/params.h"
#include "aligner/setup/ref_table.h"
#include "common/bit_dna.h"
#include "kernels/single_indel.h"

namespace {

// Anchors past this many in a long list are limited to the best tier in
// the ungapped rescue.
const size_t M_ANCHOR_LIMIT = 50;

int mismatch_cost(const pair_input_t &in) {
  return in.pen->m_score + in.pen->mm_pen;
}

// The other mate lies downstream of an anchor of mate a when the anchor
// is mate 1 forward or mate 2 reverse.
bool downstream(int a, const align_loc_pair_t &e) {
  return a == 0 ? e.direction : !e.direction;
}

// Anchors looked at: the whole list, or only its best tier when the list
// is longer than `limit`.
size_t anchor_count(const pair_work_t &w, int a, size_t limit) {
  const cand_list_t &l = w.list[a];
  return l.size() > limit ? size_t(w.main_size[a]) : l.size();
}

// The rescued candidate c of target mate t next to anchor e (of the other
// mate): kept when both lie on one sequence and c stays inside it. Within
// the template size the anchor is paired; beyond it c stays a single
// candidate without the prior.
bool pair_check(pair_work_t &w, const pair_input_t &in, int t,
                align_loc_pair_t &e, align_loc_pair_t &c) {
  const ref_table_t &refs = *in.refs;
  if (!fits_one_ref(refs, c.loc, c.cigar))
    return false;
  const uint32_t q1 = t == 0 ? c.loc : e.loc;
  const uint32_t q2 = t == 0 ? e.loc : c.loc;
  if (!same_chromosome(refs, q1, q2))
    return false;
  const int64_t size = c.direction ? int64_t(q2) + w.geom.len[1] - q1
                                   : int64_t(q1) + w.geom.len[0] - q2;
  const int prior = in.p->PHRED_PAIRING_PRIOR;
  if (size > in.p->MAX_TEMPLATE_SIZE) {
    c.paired = false;
    c.penalty += prior;
    return true;
  }
  if (!e.paired) {
    e.paired = true;
    e.penalty -= prior;
    e.template_size = int(size);
  }
  w.no_pair = false;
  return true;
}

// Rescued candidate c, the last pending record of the target's list l,
// has passed the pair check. When the mate already has a record at its
// position and direction, a copy would make a unique mate look like a
// repeat: that record stands for c and takes its pairing instead. Returns
// whether c is to stay.
bool keep_unless_repeat(cand_list_t &l, const align_loc_pair_t &c, int prior) {
  const int i = l.pending_repeat();
  if (i < 0)
    return true;
  align_loc_pair_t &x = l.recs[size_t(i)];
  if (c.paired && !x.paired) {
    x.paired = true;
    x.penalty -= prior;
  }
  return false;
}

// Ungapped search of target t's orientation s next to anchor e of mate a.
void rescue_one_m(pair_work_t &w, pair_input_t &in, int a, int t,
                  align_loc_pair_t &e) {
  const tolve_params_t *p = in.p;
  pen_tester &pen = *in.pen;
  const int len = in.mate[t].len, max = p->MAX_TEMPLATE_SIZE;
  const int prior = p->PHRED_PAIRING_PRIOR, mc = mismatch_cost(in);
  const int s = e.direction ? 0 : 1;
  int64_t start = e.loc;
  if (!downstream(a, e))
    start = int64_t(e.loc) > max - len ? int64_t(e.loc) - max + len : 2;
  int64_t end = std::min(start + max - len, p->genome_length - len);
  if (end < start || start < 1)
    return;
  const int limit = (pen.get_pen_one_more(t) + prior) / mc;
  uint32_t pos = uint32_t(start);
  const int m = mm_align_bit(*in.mate[t].packed[s], *p->genome_str, pos,
                             uint32_t(end), limit);
  if (m < 0)
    return;
  const int d = m * mc - prior;
  if (d >= 0)
    pen.update_min_diff(t, d);
  if (d > pen.get_pen_one_more(t))
    return;
  cand_list_t &l = w.list[t];
  align_loc_pair_t &c = l.add_pending();
  c.penalty = d;
  c.mm_gap.num_mm = m;
  c.direction = s == 0;
  c.loc = pos;
  set_full_cigar(c.cigar, len);
  c.type = 'M';
  c.paired = true;
  if (!pair_check(w, in, t, e, c) || !keep_unless_repeat(l, c, prior))
    l.drop_pending();
}

void rescue_m(pair_work_t &w, pair_input_t &in) {
  // Mate 2's anchors first: mate 1's rescued candidates wait in its
  // pending part, so they do not serve as anchors for mate 2.
  for (int a = 1; a >= 0; --a) {
    const int t = 1 - a;
    if (in.mate[t].too_short || w.list[t].empty())
      continue;
    cand_list_t &anchors = w.list[a];
    const size_t n = anchor_count(w, a, M_ANCHOR_LIMIT);
    for (size_t i = 0, used = 0; i < anchors.size() && used < n; ++i) {
      align_loc_pair_t &e = anchors.at(i);
      if (e.paired || e.close_discordant)
        continue;
      ++used;
      rescue_one_m(w, in, a, t, e);
    }
  }
  w.list[0].take_pending();
  w.list[1].take_pending();
}

// The aligners of target mate t, set up for its read the first time the
// pair needs them; false when the mate is too long for them.
bool ensure_kernels(pair_work_t &w, const pair_input_t &in, int t) {
  rescue_kernels_t &k = w.kern;
  if (k.ready[t])
    return true;
  const tolve_params_t *p = in.p;
  const pen_tester &pen = *in.pen;
  const pair_mate_t &m = in.mate[t];
  // The gapped phase's windows, whose reach is capped whatever -e and -o
  // ask for: the screened window is the read and the reach on each side.
  const gapped_windows_t win = gapped_window_sizes(pen, t, m.len);
  if (!matrix_fits(m.len, win.nw_len))
    return false;
  k.nw[t].setup_penalties(pen.m_score, pen.mm_pen, pen.gap_pen + pen.ext_pen,
                          pen.ext_pen, p->M_SW, p->S_SW, p->D_SW, p->E_SW);
  if (!k.nw[t].setup_read_reference(*m.packed[0], *m.packed[1], win.nw_len,
                                    win.extra))
    read_length_mismatch();
  k.vec[t].setup_penalty(p->D_SW, p->E_SW, p->D_SW, p->E_SW, p->M_SW, p->S_SW);
  if (!k.vec[t].sw_vector_setup(win.db_len, *m.packed[0], *m.packed[1]))
    read_length_mismatch();
  k.ready[t] = true;
  return true;
}

// Local scores of target t's orientation s over the windows next to
// anchor e of mate a, half a read apart; best and bpos receive the best
// score (the first window on ties) and its window start. False when no
// window scores above 0, and without a scan when the mate is too long for
// the aligners that would place it.
bool scan_windows(pair_work_t &w, pair_input_t &in, int a, int t,
                  const align_loc_pair_t &e, int s, int &best, uint32_t &bpos) {
  if (!ensure_kernels(w, in, t))
    return false;
  const tolve_params_t *p = in.p;
  const int len = in.mate[t].len, max = p->MAX_TEMPLATE_SIZE;
  int64_t start = e.loc;
  if (!downstream(a, e))
    start = int64_t(e.loc) > max - len ? int64_t(e.loc) + 1 - max + len : 1;
  const int64_t stop = start + max + 1 - len;
  const int step = len / 2 > 0 ? len / 2 : 1;
  ++*in.kernel_runs;
  best = -1;
  bpos = 0;
  // Windows starting past the genome hold no base and score 0.
  for (int64_t pos = start; pos < stop && pos <= p->genome_length;
       pos += step) {
    const int score =
        w.kern.vec[t].get_sw_score(*p->genome_str, uint32_t(pos), s == 1);
    if (score > best) {
      best = score;
      bpos = uint32_t(pos);
    }
  }
  return best > 0;
}

// Rescue alignment of target t's orientation s around window start bpos
// into c: the global alignment when its mismatches stay within the
// ceiling, else (when allowed) the local one with clipped ends. False
// when neither gives a candidate.
bool align_window(pair_work_t &w, pair_input_t &in, int t, int s, uint32_t bpos,
                  int best, char type, align_loc_pair_t &c) {
  const tolve_params_t *p = in.p;
  pen_tester &pen = *in.pen;
  sw_nw &nw = w.kern.nw[t];
  std::string &path = w.kern.path;
  const int len = in.mate[t].len, prior = p->PHRED_PAIRING_PRIOR;
  const int ceiling = prior / mismatch_cost(in) + pen.max_count_mm[t];
  const uint32_t win = bpos > WINDOW_PAD ? bpos - WINDOW_PAD : 1;
  const bool mapped_pair = type == 'W';
  c.direction = s == 0;
  c.type = type;

  uint32_t loc = win;
  const int r =
      nw.nw_path(path, *p->genome_str, loc, s, false, false,
                 uint32_t(prior + pen.max_pen_gap[t]), p->end_gap_dist);
  if (r >= 0) {
    mm_gap_t e;
    path2cigar(path, loc, -1, e, p, p->cigar14, c.cigar);
    if (mapped_pair && r - prior >= 0)
      pen.update_min_diff(t, r - prior);
    if (e.num_mm <= ceiling && !c.cigar.empty()) {
      c.penalty = r - prior;
      c.mm_gap = e;
      c.loc = loc;
      return true;
    }
  }
  const double min_aligned = len * p->MIN_PERCENT_READ / 100.0;
  if (mapped_pair && best < min_aligned * p->M_SW)
    return false;
  uint32_t ref_start = win, seq_start = 0, seq_end = 0;
  nw.sw_path(path, ref_start, seq_start, seq_end, s, *p->genome_str);
  if (double(seq_end) - double(seq_start) < min_aligned)
    return false;
  mm_gap_t e;
  path2cigar_local(path, int(seq_start), len, e, p->cigar14, c.cigar);
  if (e.num_mm > ceiling || c.cigar.empty())
    return false;
  c.penalty = len * p->M_SW - best - prior;
  c.mm_gap = e;
  c.loc = ref_start;
  return true;
}

void rescue_s(pair_work_t &w, pair_input_t &in, int t) {
  const int a = 1 - t;
  const int prior = in.p->PHRED_PAIRING_PRIOR, mc = mismatch_cost(in);
  cand_list_t &anchors = w.list[a];
  cand_list_t &target = w.list[t];
  const size_t n = anchor_count(w, a, size_t(in.p->NUM_SECONDARY_PAIR));
  int top = 0; // best scan score plus prior over the anchors so far
  for (size_t i = 0; i < n && i < anchors.size(); ++i) {
    align_loc_pair_t &e = anchors.at(i);
    const int s = e.direction ? 0 : 1;
    int best = 0;
    uint32_t bpos = 0;
    if (!scan_windows(w, in, a, t, e, s, best, bpos))
      continue;
    top = std::max(top, best + prior);
    if (best + prior < top - mc)
      continue;
    align_loc_pair_t &c = target.add_pending();
    c.paired = true;
    if (align_window(w, in, t, s, bpos, best, 'S', c) &&
        pair_check(w, in, t, e, c) && keep_unless_repeat(target, c, prior))
      target.take_pending();
    else
      target.drop_pending();
  }
}

void rescue_w(pair_work_t &w, pair_input_t &in) {
  const int prior = in.p->PHRED_PAIRING_PRIOR;
  for (int a = 1; a >= 0; --a) {
    const int t = 1 - a;
    if (in.mate[t].too_short)
      continue;
    const int len = in.mate[t].len;
    cand_list_t &anchors = w.list[a];
    const size_t n = anchor_count(w, a, size_t(in.p->NUM_SECONDARY_PAIR));
    for (size_t i = 0, used = 0; i < anchors.size() && used < n; ++i) {
      align_loc_pair_t &e = anchors.at(i);
      if (e.close_discordant)
        continue;
      ++used;
      const int s = e.direction ? 0 : 1;
      int best = 0;
      uint32_t bpos = 0;
      if (!scan_windows(w, in, a, t, e, s, best, bpos))
        continue;
      if (len * in.p->M_SW - best - prior > in.pen->get_pen_one_more_gap(t))
        continue;
      align_loc_pair_t &c = w.list[t].add_pending();
      c.paired = true;
      if (!align_window(w, in, t, s, bpos, best, 'W', c) ||
          !pair_check(w, in, t, e, c) ||
          !keep_unless_repeat(w.list[t], c, prior))
        w.list[t].drop_pending();
    }
  }
  w.list[0].take_pending();
  w.list[1].take_pending();
}

} // namespace

void rescue_mates(pair_work_t &w, pair_input_t &in) {
  if (!w.no_pair) {
    rescue_m(w, in);
    return;
  }
  int lone = -1;
  if (!in.p->no_pair_sw)
    for (int j = 0; j < 2; ++j)
      if (w.list[j].empty() && !in.mate[j].too_short)
        lone = j;
  if (lone >= 0)
    rescue_s(w, in, lone);
  else
    rescue_w(w, in);
}
