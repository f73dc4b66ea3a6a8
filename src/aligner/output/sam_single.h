#pragma once
#include <string>

#include "aligner/search/6_mapq.h"
#include "common/fast.h"

struct tolve_params_t;
struct ref_table_t;
struct bit_DNA_t;
struct align_store_t;

// One prepared single-end read as the writers see it: per strand the record
// (0: as read, 1: reverse complement) and its packed bases.
struct se_read_t {
  const fast_t *strand[2] = {nullptr, nullptr};
  const bit_DNA_t *packed[2] = {nullptr, nullptr};
  const std::string *barcode = nullptr;
};

// Where the text of one read goes.
struct se_out_t {
  std::string *sam = nullptr;
  std::string *hybrid = nullptr;  // hybrid text 1
  std::string *scratch = nullptr; // room for the XA text, reused
};

// Output of an unmapped read: FASTQ/FASTA side record in hybrid mode, else
// the Novo "NM" line or the unmapped SAM record.
void write_single_unmapped(const tolve_params_t *p, const se_read_t &r,
                           se_out_t &out);

// True when hybrid mode sends this mapped read to the side file instead of
// the SAM output.
bool hybrid_divert(const tolve_params_t *p, const align_loc_t &best, int mapq,
                   int xl, int read_len);

// Output of a mapped read whose reported alignment is entry `best_idx` of
// the store's best tier (records, --all_hits records, Novo lines, or the
// hybrid side record).
void write_single_mapped(const tolve_params_t *p, const ref_table_t &refs,
                         const se_read_t &r, const align_store_t &store,
                         int best_idx, const se_quality_t &q, se_out_t &out);
