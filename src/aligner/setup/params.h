#pragma once
#include <cstdint>
#include <map>
#include <pthread.h>
#include <string>
#include <vector>

class fast;
struct bit_DNA_t;
struct pen_tester;
struct twoint3_search;
struct mini_hash_t;
struct out_buffer_t;
struct ref_table_t;
struct staged_outputs_t;
struct staged_stream_t;

// Values of tolve_params_t::qual_format, in the order --qual names them.
namespace qual_fmt {
const int SANGER = 0;
const int ILL_13 = 1;
const int ILL_15 = 2;
const int SOLEXA = 3;
const int COUNT = 4;
} // namespace qual_fmt

// Everything one align run shares between its main thread and its workers.
// Filled before the workers start; afterwards only num_SW and num_processed
// change, under tolve_lock. The members hold the defaults the options start
// from.
struct tolve_params_t {
  int MAX_NUM_HASH = 10000;
  int PHASE_1_LENGTH = 250;
  int PHASE_1_LENGTH_SW = 250;
  int PHASE_2_LENGTH_SW = 1000;
  int M_SW = 5;
  int S_SW = 15;
  int D_SW = 40;
  int E_SW = 2;
  pen_tester *pen = nullptr;
  int end_gap_dist = 5;
  int barcode_len = 0;
  int SKIP_AMOUNT = 2;
  int LOOK_AHEAD_NUM = 2;
  int NUM_VAL = 1;
  int DENUM_VAL = 1;
  int LOOK_AHEAD_NUM_SW = 2;
  int NUM_VAL_SW = 1;
  int DENUM_VAL_SW = 1;
  int INDEX_MODE = 0;
  int NUM_THREADS = 1;
  int MAX_HITS = 10;
  bool ALL_HITS = false;
  bool NOVO_MODE = false;
  bool hybrid_mode = false;
  bool output_assemble = false;
  // The -y side files, written under temporary names until the run ends
  // with status 0.
  staged_outputs_t *hybrid_staged = nullptr;
  staged_stream_t *hybrid_out[2] = {nullptr, nullptr};
  int mapq_reject = 30;
  int hybrid_max_gap_reject = 2;
  int read_min_length = 50;
  int MAX_TEMPLATE_SIZE = 550;
  int MEAN_TEMPLATE_SIZE = 250;
  int PHRED_PAIRING_PRIOR = 80;
  int MIN_PERCENT_READ = 50;
  int NUM_SECONDARY_PAIR = 50;
  bool ungapped = false;
  bool no_pair_sw = false;
  bool phase_seq_trim = false;
  fast *reads_file[2] = {nullptr, nullptr};
  bool paired = false;
  int num_fragment = 1;
  bit_DNA_t *genome_str = nullptr;
  std::map<std::string, long> *genome_start = nullptr;
  int64_t genome_length = 0;
  std::map<long, std::string> *start_genome = nullptr;
  // The reference sequences in genome order (from start_genome); built
  // once by build_refs before the workers start, so that a candidate can be
  // kept inside one sequence without a map look-up.
  ref_table_t *refs = nullptr;
  std::vector<twoint3_search> *chrdict = nullptr;
  int kmer_size = 0;
  int SPACED_SPACE = 0;
  bool output_RG = false;
  std::string RG_ID;
  bool output_PU = false;
  std::string PU;
  bool output_PL = false;
  std::string PL;
  bool output_LB = false;
  std::string LB;
  bool output_SM = false;
  std::string SM;
  bool output_CN = false;
  std::string CN;
  bool output_DS = false;
  std::string DS;
  bool output_PG = false;
  bool cigar14 = false;
  int MINI_HASH_BITS = 0;
  uint32_t MINI_HASH_LENGTH = 0;
  int NUM_SHIFT = 0;
  uint64_t HASH_MASK = 0;
  int BUFFER_SIZE = 1;
  mini_hash_t *mini_hash = nullptr;
  uint8_t *mm_table = nullptr;
  int MAX_READ_LEN = 0;
  bool trim_reads = false;
  int trim_qual = 2;
  int qual_format = qual_fmt::SANGER;
  int kmer_trim = 0;
  int64_t num_SW = 0;
  int64_t num_processed = 0;
  int64_t num_aligned = 0;
  pthread_mutex_t *read_lock = nullptr;
  pthread_mutex_t *write_lock = nullptr;
  pthread_mutex_t *tolve_lock = nullptr;
  // Standard output of the run: workers append whole batches under
  // write_lock; written out in large blocks.
  out_buffer_t *std_out = nullptr;
};

// Releases every object the record points to (not the record itself).
void release_params(tolve_params_t *p);
