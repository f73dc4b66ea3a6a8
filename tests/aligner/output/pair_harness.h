#pragma once
// One worker's pair state around a tiny index: two mates are prepared as
// the worker prepares them, searched (or given hand-made candidates), and
// run through pairing, rescue, quality and records.
#include <string>
#include <vector>

#include "../tiny_index.h"
#include "aligner/pair/pair_pipeline.h"
#include "aligner/pair/pair_state.h"
#include "aligner/search/1_read_prep.h"
#include "aligner/setup/ref_table.h"

struct pair_harness_t {
  tiny_index_t idx;
  ref_table_t refs;
  pen_tester pen = default_pen();
  MT_random gen;
  align_store_t store[2]{align_store_t(20), align_store_t(20)};
  mate_search_t search[2];
  bit_DNA_t packed[2][2]{{bit_DNA_t(idx.table), bit_DNA_t(idx.table)},
                         {bit_DNA_t(idx.table), bit_DNA_t(idx.table)}};
  fast_t rd[2][2]; // [mate][0 as read, 1 reverse complement]
  bool found[2] = {false, false};
  bool too_short[2] = {false, false};
  int len[2] = {0, 0};
  pair_work_t work;
  std::string sam, side[2], xa, barcode, name = "p";
  int64_t runs = 0;

  void build(const std::vector<std::pair<std::string, std::string>> &chroms) {
    idx.build(chroms, 12, 0);
    idx.p.paired = true;
    idx.p.num_fragment = 2;
    build_ref_table(refs, idx.start_genome, idx.p.genome_length);
  }

  tolve_params_t &p() { return idx.p; }

  // Mate j's record searched on orientation s.
  fast_t &orient(int j, int s) { return rd[j][s ^ j]; }

  // Prepares the two mates (as read from their files).
  void prepare(const std::string &m1, const std::string &m2) {
    const std::string *in[2] = {&m1, &m2};
    for (int j = 0; j < 2; ++j) {
      fast_t &f = rd[j][0];
      f.name = name;
      f.seq = *in[j];
      f.qual.assign(in[j]->size(), 'I');
      f.qual_exist = true;
      rd[j][1].name = name;
      revcomp_into(f.seq, rd[j][1].seq);
      rd[j][1].qual = f.qual;
      rd[j][1].qual_exist = true;
      len[j] = int(f.seq.size());
      for (int s = 0; s < 2; ++s) {
        packed[j][s].clear();
        packed[j][s].append(orient(j, s).seq, gen);
      }
      store[j].clear();
      found[j] = too_short[j] = false;
      for (int s = 0; s < 2; ++s) {
        search[j].taken[s].clear();
        search[j].too_frequent[s].clear();
      }
    }
    pen.set_length(len[0], len[1]);
    pen.reset_min_diff_found(0);
    pen.reset_min_diff_found(1);
  }

  void search_mate_j(int j) {
    mate_input_t in;
    in.packed[0] = &packed[j][0];
    in.packed[1] = &packed[j][1];
    in.seq0 = &orient(j, 0).seq;
    in.read_len = len[j];
    search_mate(&idx.p, j, in, pen, store[j], gen, search[j], found[j],
                too_short[j]);
  }

  // A hand-made candidate of mate j (1-based concatenated position).
  void inject(int j, int penalty, bool direction, uint32_t loc,
              const std::string &cigar, int mm = 0) {
    mm_gap_t e;
    e.num_mm = mm;
    store[j].insert(penalty, direction, loc, cigar, e, 'N');
    found[j] = true;
  }

  // Pairing, rescue, qualities and records; returns the SAM text.
  std::string finish() {
    sam.clear();
    side[0].clear();
    side[1].clear();
    pair_input_t in;
    in.p = &idx.p;
    in.refs = &refs;
    in.pen = &pen;
    in.gen = &gen;
    in.kernel_runs = &runs;
    for (int j = 0; j < 2; ++j) {
      pair_mate_t &m = in.mate[j];
      m.store = &store[j];
      m.search = &search[j];
      for (int s = 0; s < 2; ++s) {
        m.packed[s] = &packed[j][s];
        m.orient[s] = &orient(j, s);
      }
      m.input = &rd[j][0];
      m.len = len[j];
      m.found = found[j];
      m.too_short = too_short[j];
    }
    in.name = &name;
    in.barcode = &barcode;
    in.sam = &sam;
    in.hybrid[0] = &side[0];
    in.hybrid[1] = &side[1];
    in.scratch = &xa;
    align_pair(work, in);
    return sam;
  }

  // Searches both mates and finishes.
  std::string align(const std::string &m1, const std::string &m2) {
    prepare(m1, m2);
    search_mate_j(0);
    search_mate_j(1);
    return finish();
  }
};

// Tab-separated fields of one SAM line.
inline std::vector<std::string> sam_fields(const std::string &line) {
  std::vector<std::string> f;
  size_t at = 0;
  for (;;) {
    size_t tab = line.find('\t', at);
    f.push_back(line.substr(at, tab == std::string::npos ? tab : tab - at));
    if (tab == std::string::npos)
      return f;
    at = tab + 1;
  }
}

inline std::vector<std::string> sam_lines(const std::string &text) {
  std::vector<std::string> l;
  size_t at = 0;
  while (at < text.size()) {
    size_t nl = text.find('\n', at);
    l.push_back(text.substr(at, nl - at));
    at = nl + 1;
  }
  return l;
}

// Value of an optional tag ("XT:A:" -> "U"), or "" when absent.
inline std::string tag(const std::vector<std::string> &f,
                       const std::string &prefix) {
  for (size_t i = 11; i < f.size(); ++i)
    if (f[i].compare(0, prefix.size(), prefix) == 0)
      return f[i].substr(prefix.size());
  return "";
}
