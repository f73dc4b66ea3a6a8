#pragma once
#include <cstdint>
#include <string>

struct pair_input_t;
struct pair_work_t;
struct pair_quality_t;
struct align_loc_pair_t;
struct cand_list_t;
struct ref_table_t;

// SAM strand of mate j's candidate: mate 1 found on its orientation 1, or
// mate 2 on its orientation 0, lies on the reverse strand.
inline bool mate_reverse(int j, bool direction) {
  return j == 0 ? !direction : direction;
}

// XA text of mate j's other candidates in list order: "XA:Z:" and at most
// max_hits + 1 entries, passing over list position `skip_pos` and, when
// `skip_same_loc` is set, every candidate at `loc`.
void build_pair_xa(std::string &xa, const ref_table_t &refs,
                   const cand_list_t &l, int j, int max_hits, int skip_pos,
                   bool skip_same_loc, uint32_t loc);

// Two records of a pair reported with an alignment for each mate (w.result
// names them), mate 1 first; or, in hybrid mode, the two side records of a
// pair the hybrid test sends there.
void write_pair_mapped(pair_input_t &in, pair_work_t &w,
                       const pair_quality_t &q);

// The records of a pair of which only mate k has candidates: mate k's
// record (a uniform pick among its best tier) and then mate u's unmapped
// record placed at it; or the two side records in hybrid mode when the
// hybrid test sends the pair there.
void write_one_mate_mapped(pair_input_t &in, pair_work_t &w, int k);
