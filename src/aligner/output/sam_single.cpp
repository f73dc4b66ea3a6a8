#include "aligner/output/sam_single.h"

#include "aligner/output/sam_format.h"
#include "aligner/setup/params.h"
#include "aligner/setup/ref_table.h"
#include "kernels/align_store.h"
#include "kernels/md_tag.h"

namespace {

const std::string &forward_qual_or_dot(const fast_t &f) {
  static const std::string dot = ".";
  return f.qual_exist ? f.qual : dot;
}

// "name\tS\tseq\tqual" that opens every Novo line.
void novo_head(std::string &o, const fast_t &f) {
  o.append(f.name);
  o.append("\tS\t");
  o.append(f.seq);
  o.push_back('\t');
  o.append(forward_qual_or_dot(f));
  o.push_back('\t');
}

// Second form of a Novo line for alignment a.
void novo_hit(std::string &o, const ref_table_t &refs, const se_read_t &r,
              const bit_DNA_t &genome, const align_loc_t &a, char kind,
              int mapq) {
  const ref_seq_t *ref = find_ref(refs, a.loc);
  novo_head(o, *r.strand[0]);
  o.push_back(kind);
  append_int_tag(o, "", a.penalty);
  append_int_tag(o, "", mapq);
  o.push_back('\t');
  o.append(ref->name);
  o.push_back('\t');
  append_pos(o, *ref, a.loc);
  o.append(a.direction ? "\tF" : "\tR");
  o.append("\t.\t.\t.\t");
  append_novo(o, a.cigar, *r.packed[a.direction ? 0 : 1], genome, a.loc);
  o.push_back('\n');
}

struct read_tags_t {
  int h0, h1;
  se_quality_t q;
};

// One SAM record of alignment a: the reported one (flag 0/16, the read's
// MAPQ) or, with --all_hits, a further one (flag 256/272, MAPQ 0). The XA
// text, when given, ends the record.
void sam_record(std::string &o, const tolve_params_t *p,
                const ref_table_t &refs, const se_read_t &r,
                const align_loc_t &a, bool secondary, const read_tags_t &t,
                const std::string *xa) {
  const ref_seq_t *ref = find_ref(refs, a.loc);
  const fast_t &f = *r.strand[a.direction ? 0 : 1];
  int flag = (a.direction ? 0 : sam_flag::REVERSE) |
             (secondary ? sam_flag::SECONDARY : 0);
  o.append(r.strand[0]->name);
  o.push_back('\t');
  append_int(o, flag);
  o.push_back('\t');
  o.append(ref->name);
  o.push_back('\t');
  append_pos(o, *ref, a.loc);
  o.push_back('\t');
  append_int(o, secondary ? 0 : t.q.mapq);
  o.push_back('\t');
  o.append(a.cigar);
  o.append("\t*\t0\t0\t");
  append_seq_field(o, f.seq);
  o.push_back('\t');
  append_seq_field(o, f.qual);
  append_edit_tags(o, a.mm_gap);
  append_int_tag(o, "H0:i:", t.h0);
  append_int_tag(o, "H1:i:", t.h1);
  append_int_tag(o, "XL:i:", t.q.xl);
  append_int_tag(o, "XR:i:", t.q.xr);
  append_int_tag(o, "XD:i:", t.q.xd);
  o.append(t.h0 >= 2 ? "\tXT:A:R" : "\tXT:A:U");
  o.append("\tMD:Z:");
  append_MD(o, a.cigar, *r.packed[a.direction ? 0 : 1], *p->genome_str, a.loc);
  append_opt_tags(o, p, *r.barcode);
  if (xa) {
    o.push_back('\t');
    o.append(*xa);
  }
  o.push_back('\n');
}

void xa_entry(std::string &o, const ref_table_t &refs, const align_loc_t &a) {
  append_xa_entry(o, *find_ref(refs, a.loc), a.loc, !a.direction, a.cigar,
                  edit_count(a.mm_gap));
}

// The XA text of the other hits: best tier without the reported one, then
// the second tier, at most MAX_HITS + 1 entries.
void build_xa(std::string &xa, const tolve_params_t *p, const ref_table_t &refs,
              const align_store_t &s, int best_idx) {
  xa.assign("XA:Z:");
  int count = 0;
  for (int i = 0; i < s.get_main_size() && count <= p->MAX_HITS; ++i) {
    if (i == best_idx)
      continue;
    xa_entry(xa, refs, s.main_store[size_t(i)]);
    ++count;
  }
  for (int i = 0; i < s.get_sec_size() && count <= p->MAX_HITS; ++i) {
    xa_entry(xa, refs, s.sec_store[size_t(i)]);
    ++count;
  }
}

} // namespace

void write_single_unmapped(const tolve_params_t *p, const se_read_t &r,
                           se_out_t &out) {
  const fast_t &f = *r.strand[0];
  if (p->hybrid_mode) {
    append_side_record(*out.hybrid, f.name, "", f.seq, f.qual, f.qual_exist);
    return;
  }
  std::string &o = *out.sam;
  if (p->NOVO_MODE) {
    novo_head(o, f);
    o.append("NM\n");
    return;
  }
  o.append(f.name);
  o.append("\t4\t*\t0\t0\t*\t*\t0\t0\t");
  append_seq_field(o, f.seq);
  o.push_back('\t');
  append_seq_field(o, f.qual);
  append_opt_tags(o, p, *r.barcode);
  o.push_back('\n');
}

bool hybrid_divert(const tolve_params_t *p, const align_loc_t &best, int mapq,
                   int xl, int read_len) {
  const mm_gap_t &e = best.mm_gap;
  if (p->output_assemble)
    return assemble_reject(e, best.cigar, read_len);
  int k = p->kmer_size;
  if (e.num_gap_open + e.num_gap_ext > p->hybrid_max_gap_reject &&
      mapq > hybrid_const::TRUSTED_MAPQ)
    return false;
  if (xl < hybrid_const::MIN_COVER_SPANS * k)
    return true;
  return k > 0 && e.num_mm + e.num_gap_open > read_len / k && mapq == 0;
}

void write_single_mapped(const tolve_params_t *p, const ref_table_t &refs,
                         const se_read_t &r, const align_store_t &store,
                         int best_idx, const se_quality_t &q, se_out_t &out) {
  const align_loc_t &best = store.main_store[size_t(best_idx)];
  int h0 = store.get_main_size(), h1 = store.get_sec_size();
  const fast_t &f = *r.strand[0];
  if (p->hybrid_mode &&
      hybrid_divert(p, best, q.mapq, q.xl, int(f.seq.size()))) {
    append_side_record(*out.hybrid, f.name, "", f.seq, f.qual, f.qual_exist);
    return;
  }
  std::string &o = *out.sam;
  const bit_DNA_t &genome = *p->genome_str;
  if (p->NOVO_MODE) {
    if (p->ALL_HITS) {
      char kind = h0 > 1 ? 'R' : 'U';
      for (int i = 0, count = 0; i < h0 && count <= p->MAX_HITS; ++i, ++count)
        novo_hit(o, refs, r, genome, store.main_store[size_t(i)], kind, q.mapq);
    } else if (h0 >= 2) {
      novo_head(o, f);
      o.append("R\t");
      append_int(o, h0);
      o.push_back('\n');
    } else {
      novo_hit(o, refs, r, genome, best, 'U', q.mapq);
    }
    return;
  }
  read_tags_t t{h0, h1, q};
  if (p->ALL_HITS) {
    sam_record(o, p, refs, r, best, false, t, nullptr);
    int count = 0;
    for (int i = 0; i < h0 && count <= p->MAX_HITS; ++i) {
      if (i == best_idx)
        continue;
      sam_record(o, p, refs, r, store.main_store[size_t(i)], true, t, nullptr);
      ++count;
    }
    for (int i = 0; i < h1 && count <= p->MAX_HITS; ++i, ++count)
      sam_record(o, p, refs, r, store.sec_store[size_t(i)], true, t, nullptr);
    return;
  }
  bool with_xa = (h0 >= 2 || h1 > 0) && p->MAX_HITS > 1;
  if (!with_xa) {
    sam_record(o, p, refs, r, best, false, t, nullptr);
    return;
  }
  build_xa(*out.scratch, p, refs, store, best_idx);
  sam_record(o, p, refs, r, best, false, t, out.scratch);
}
