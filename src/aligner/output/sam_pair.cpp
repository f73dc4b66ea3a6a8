#include "aligner/output/sam_pair.h"

#include "aligner/output/pair_output.h"
#include "aligner/output/sam_format.h"
#include "aligner/pair/3_pair_mapq.h"
#include "aligner/pair/pair_state.h"
#include "aligner/search/6_mapq.h"
#include "aligner/search/mate_search.h"
#include "aligner/setup/2_pen_tester.h"
#include "aligner/setup/params.h"
#include "aligner/setup/ref_table.h"
#include "common/mt_random.h"
#include "kernels/coverage.h"
#include "kernels/md_tag.h"

namespace {

// The values of one mapped mate's record besides its alignment.
struct mate_rec_t {
  int flag = 0;
  int mapq = 0;
  const ref_seq_t *ref = nullptr;
  // The other mate's place; null when it is unmapped.
  const ref_seq_t *mate_ref = nullptr;
  uint32_t mate_loc = 0;
  int64_t tlen = 0;
  int h0 = 0, h1 = 0, xl = 0, xr = 0;
  bool with_xd = false;
  int xd = 0;
  char xt = aln_type::UNIQUE;
  int am = 0, sm = 0;
  const std::string *xa = nullptr;
};

int orientation(const align_loc_pair_t &a) { return a.direction ? 0 : 1; }

void mapped_record(std::string &o, const pair_input_t &in, int j,
                   const align_loc_pair_t &a, const mate_rec_t &r) {
  const pair_mate_t &m = in.mate[j];
  const fast_t &f = *m.orient[orientation(a)];
  o.append(*in.name);
  append_int_tag(o, "", r.flag);
  o.push_back('\t');
  o.append(r.ref->name);
  o.push_back('\t');
  append_pos(o, *r.ref, a.loc);
  append_int_tag(o, "", r.mapq);
  o.push_back('\t');
  o.append(a.cigar);
  if (r.mate_ref) {
    o.push_back('\t');
    if (r.mate_ref == r.ref)
      o.push_back('=');
    else
      o.append(r.mate_ref->name);
    o.push_back('\t');
    append_pos(o, *r.mate_ref, r.mate_loc);
    append_int_tag(o, "", r.tlen);
  } else {
    o.append("\t*\t0\t0");
  }
  o.push_back('\t');
  append_seq_field(o, f.seq);
  o.push_back('\t');
  append_seq_field(o, f.qual);
  append_edit_tags(o, a.mm_gap);
  append_int_tag(o, "H0:i:", r.h0);
  append_int_tag(o, "H1:i:", r.h1);
  append_int_tag(o, "XL:i:", r.xl);
  append_int_tag(o, "XR:i:", r.xr);
  if (r.with_xd)
    append_int_tag(o, "XD:i:", r.xd);
  o.append("\tXT:A:");
  o.push_back(r.xt);
  o.append("\tMD:Z:");
  append_MD(o, a.cigar, *m.packed[orientation(a)], *in.p->genome_str, a.loc);
  append_int_tag(o, "AM:i:", r.am);
  append_int_tag(o, "SM:i:", r.sm);
  append_opt_tags(o, in.p, *in.barcode);
  if (r.xa) {
    o.push_back('\t');
    o.append(*r.xa);
  }
  o.push_back('\n');
}

// Record of mate u, unmapped, placed at its mapped mate's position; its
// bases shown in the orientation index the mate's alignment used.
void unmapped_record(std::string &o, const pair_input_t &in, int u, int flag,
                     int orient, const ref_seq_t &ref, uint32_t loc) {
  const fast_t &f = *in.mate[u].orient[orient];
  o.append(*in.name);
  append_int_tag(o, "", flag);
  o.append("\t*\t0\t0\t*\t");
  o.append(ref.name);
  o.push_back('\t');
  append_pos(o, ref, loc);
  o.append("\t0\t");
  append_seq_field(o, f.seq);
  o.push_back('\t');
  append_seq_field(o, f.qual);
  o.append("\tAM:i:0\tSM:i:0");
  append_opt_tags(o, in.p, *in.barcode);
  o.push_back('\n');
}

// A chosen alignment outside every sequence cannot be written; such a pair
// (which the earlier checks keep from arising) is reported unmapped.
void unplaceable_pair(pair_input_t &in) {
  write_pair_unmapped(in.p, *in.name, *in.mate[0].input, *in.mate[1].input,
                      *in.barcode, *in.sam, in.hybrid);
}

void divert_pair(pair_input_t &in) {
  write_pair_side(*in.name, *in.mate[0].input, *in.mate[1].input, in.hybrid);
}

// Hybrid test of a pair reported with two alignments.
bool pair_divert(const pair_input_t &in, const align_loc_pair_t *const a[2],
                 const pair_quality_t &q) {
  const tolve_params_t *p = in.p;
  const int k = p->kmer_size;
  bool divert = false;
  if (q.mapq[0] == 0 && q.mapq[1] == 0)
    divert = a[0]->mm_gap.num_mm + a[0]->mm_gap.num_gap_open >
                 hybrid_const::PAIR_MAX_EDITS ||
             a[1]->mm_gap.num_mm + a[1]->mm_gap.num_gap_open >
                 hybrid_const::PAIR_MAX_EDITS;
  const int min_cover = hybrid_const::MIN_COVER_SPANS * k;
  if (q.xl[0] < min_cover && q.xl[1] < min_cover)
    divert = true;
  bool gappy = false;
  for (int j = 0; j < 2; ++j)
    gappy = gappy || a[j]->mm_gap.num_gap_open + a[j]->mm_gap.num_gap_ext >
                         p->hybrid_max_gap_reject;
  if (gappy)
    divert = divert && q.mapq[0] > hybrid_const::TRUSTED_MAPQ &&
             q.mapq[1] > hybrid_const::TRUSTED_MAPQ;
  if (p->output_assemble)
    for (int j = 0; j < 2; ++j)
      divert =
          divert || assemble_reject(a[j]->mm_gap, a[j]->cigar, in.mate[j].len);
  return divert;
}

char pair_xt(const align_loc_pair_t &a, int h0) {
  if (a.type == 'W' || a.type == 'M' || a.type == 'S')
    return a.type;
  return h0 > 1 ? aln_type::REPEAT : aln_type::UNIQUE;
}

} // namespace

void build_pair_xa(std::string &xa, const ref_table_t &refs,
                   const cand_list_t &l, int j, int max_hits, int skip_pos,
                   bool skip_same_loc, uint32_t loc) {
  xa.assign("XA:Z:");
  int count = 0;
  for (size_t i = 0; i < l.size() && count <= max_hits; ++i) {
    const align_loc_pair_t &c = l.at(i);
    if (int(i) == skip_pos || (skip_same_loc && c.loc == loc))
      continue;
    const ref_seq_t *ref = find_ref(refs, c.loc);
    if (!ref)
      continue;
    append_xa_entry(xa, *ref, c.loc, mate_reverse(j, c.direction), c.cigar,
                    edit_count(c.mm_gap));
    ++count;
  }
}

void write_pair_mapped(pair_input_t &in, pair_work_t &w,
                       const pair_quality_t &q) {
  const tolve_params_t *p = in.p;
  const pair_result_t &res = w.result;
  const align_loc_pair_t *a[2] = {&w.list[0].recs[size_t(res.chosen[0])],
                                  &w.list[1].recs[size_t(res.chosen[1])]};
  if (p->hybrid_mode && pair_divert(in, a, q)) {
    divert_pair(in);
    return;
  }
  mate_rec_t r[2];
  for (int j = 0; j < 2; ++j)
    r[j].ref = find_ref(*in.refs, a[j]->loc);
  if (!r[0].ref || !r[1].ref) {
    unplaceable_pair(in);
    return;
  }
  const bool rev1 = mate_reverse(0, a[0]->direction);
  const bool rev2 = mate_reverse(1, a[1]->direction);
  const int base =
      res.singles ? sam_flag::PAIRED : sam_flag::PAIRED | sam_flag::PROPER_PAIR;
  r[0].flag = base | sam_flag::FIRST;
  r[1].flag = base | sam_flag::SECOND;
  if (rev1) {
    r[0].flag |= sam_flag::REVERSE;
    r[1].flag |= sam_flag::MATE_REVERSE;
  }
  if (rev2) {
    r[0].flag |= sam_flag::MATE_REVERSE;
    r[1].flag |= sam_flag::REVERSE;
  }
  if (r[0].ref == r[1].ref) {
    const int64_t pos1 = int64_t(a[0]->loc), pos2 = int64_t(a[1]->loc);
    r[0].tlen =
        rev1 ? pos2 - pos1 - in.mate[0].len : pos2 + in.mate[1].len - pos1;
    r[1].tlen = -r[0].tlen;
  }
  const int am = q.own[0] < q.own[1] ? q.own[0] : q.own[1];
  std::string *xa = in.scratch;
  for (int j = 0; j < 2; ++j) {
    mate_rec_t &m = r[j];
    m.mapq = q.mapq[j];
    m.mate_ref = r[1 - j].ref;
    m.mate_loc = a[1 - j]->loc;
    m.h0 = res.tiers[j].best;
    m.h1 = res.tiers[j].second;
    m.xl = q.xl[j];
    m.xr = q.xr[j];
    m.xt = pair_xt(*a[j], m.h0);
    m.am = am;
    m.sm = q.own[j];
    m.xa = nullptr;
    if (w.list[j].size() > 1 && p->MAX_HITS > 1) {
      build_pair_xa(*xa, *in.refs, w.list[j], j, p->MAX_HITS, -1, true,
                    a[j]->loc);
      m.xa = xa;
    }
    mapped_record(*in.sam, in, j, *a[j], m);
  }
}

void write_one_mate_mapped(pair_input_t &in, pair_work_t &w, int k) {
  const tolve_params_t *p = in.p;
  const int u = 1 - k;
  const cand_list_t &l = w.list[k];
  const tier_counts_t &t = w.result.tiers[k];
  const int pick = pick_best(t.best, *in.gen);
  const align_loc_pair_t &b = l.at(size_t(pick));
  const int orient = orientation(b);

  se_quality_t q;
  if (t.best == 1) {
    mate_search_t &s = *in.mate[k].search;
    calc_total_mega(s.taken[orient], s.too_frequent[orient], q.xl, q.xr,
                    p->kmer_size);
    const align_store_t &store = *in.mate[k].store;
    if (!store.sec_store.empty()) {
      q.xd = store.sec_store[0].mm_gap.num_mm - b.mm_gap.num_mm;
      if (q.xd < 0)
        q.xd = 0;
    }
    q.mapq =
        calc_mapq(b.mm_gap.num_mm + b.mm_gap.num_gap_open, b.mm_gap.num_gap_ext,
                  t.second, q.xl, q.xr, q.xd, in.mate[k].len, p->kmer_size,
                  in.pen->max_count_mm[k], in.pen->max_ext);
  }
  if (p->hybrid_mode && (p->output_assemble ||
                         b.mm_gap.num_gap_open > p->hybrid_max_gap_reject)) {
    divert_pair(in);
    return;
  }
  mate_rec_t r;
  r.ref = find_ref(*in.refs, b.loc);
  if (!r.ref) {
    unplaceable_pair(in);
    return;
  }
  const bool rev = mate_reverse(k, b.direction);
  const int own = k == 0 ? sam_flag::FIRST : sam_flag::SECOND;
  const int other = k == 0 ? sam_flag::SECOND : sam_flag::FIRST;
  // The unmapped mate is shown on the strand opposite to its mate.
  r.flag = sam_flag::PAIRED | sam_flag::MATE_UNMAPPED | own |
           (rev ? sam_flag::REVERSE : sam_flag::MATE_REVERSE);
  const int u_flag = sam_flag::PAIRED | sam_flag::UNMAPPED | other |
                     (rev ? sam_flag::MATE_REVERSE : sam_flag::REVERSE);
  r.mapq = q.mapq;
  r.h0 = t.best;
  r.h1 = t.second;
  r.xl = q.xl;
  r.xr = q.xr;
  r.with_xd = true;
  r.xd = q.xd;
  r.xt = t.best >= 2 ? aln_type::REPEAT : aln_type::UNIQUE;
  r.am = 0;
  r.sm = q.mapq;
  if (l.size() > 1 && p->MAX_HITS > 1) {
    build_pair_xa(*in.scratch, *in.refs, l, k, p->MAX_HITS, pick, false, 0);
    r.xa = in.scratch;
  }
  mapped_record(*in.sam, in, k, b, r);
  unmapped_record(*in.sam, in, u, u_flag, orient, *r.ref, b.loc);
}
