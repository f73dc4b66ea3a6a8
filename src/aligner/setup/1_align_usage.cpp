#include "aligner/setup/1_align_options.h"
#include "aligner/setup/2_pen_tester.h"
#include "aligner/setup/params.h"
#include "common/constants.h"
#include "common/strings.h"

std::string align_usage(const tolve_params_t *p) {
  const std::string D = ", Default:[";
  std::string u;
  u += "Usage: " + PROG_NAME + " align <index_file> [options] \n";
  u += "  <index_file>    -- Index of genome\n";
  u += "\n";
  u += " -== Options ==-\n";
  u += "    -1 <read.fq>  -- First pair or single read in FASTA/Q (can be "
       "gziped)\n";
  u += "    -2 <read.fq>  -- Second pair\n";
  u += "    -u            -- Ungapped alignment\n";
  u += "    -f            -- Fast alignment\n";
  u += "    -a            -- Accurate Alignment [Slooow]\n";
  u += "    -p <int>      -- Number of threads" + D + toStr(p->NUM_THREADS) +
       "]\n";
  u += "    -n <int>      -- Maximum number of hits to output per alignment" +
       D + toStr(p->MAX_HITS) + "]\n";
  u += "    --all_hits    -- Output all hits on a separate line (rather than "
       "XA, only for single-end)\n";
  u += "    --novo        -- Output in Novoalign(tm) format (only for "
       "single-end)\n";
  u += "    -r <int>      -- Max #diff (integer) or missing prob under " +
       toStr(ASSUMED_ERROR_RATE) + " err rate (float)" + D +
       toStr(tolerance_default::MM_PROB) + "]\n";
  u += "    -o <int>      -- Max number gap open (int) or gap open rate "
       "(float)" +
       D + toStr(tolerance_default::GAP_RATE) + "]\n";
  u += "    -e <int>      -- Maximum length of gap extension to be found" + D +
       toStr(tolerance_default::MAX_EXT) + "]\n";
  u += "    -h <int>      -- Penalize indels this close to edge like mismatch" +
       D + toStr(p->end_gap_dist) + "]\n";
  u += "    -b <int>      -- Length of barcode sequence" + D +
       toStr(p->barcode_len) + "]\n";
  u += "    --trim <qual> -- Trim ends of reads until qual (Phred score) BWA "
       "style Default:[no trimming]\n";
  u += "    --qual <type> -- Quality format, (sanger,ill_13,ill_15,solexa) "
       "Default:[sanger]\n";
  u += "    --rg <rg_id>  -- Read group ID for alignment Default:[none]\n";
  u += "    --pl <pu_id>  -- Platform for alignment (eg. ILLUMINA) "
       "Default:[none]\n";
  u += "    --pu <pu_id>  -- Platform unit for alignment Default:[none]\n";
  u += "    --lb <lb_id>  -- Library ID for alignment Default:[none]\n";
  u += "    --sm <sm_id>  -- Sample name for alignment Default:[none]\n";
  u += "    --cn <cn_id>  -- Sequencing center name for alignment "
       "Default:[none]\n";
  u += "    --ds <lb_id>  -- Description for alignment Default:[none]\n";
  u += "    --pg          -- Add PG tag to reads ie. PG:Z:" + PROG_NAME + "\n";
  u += "    -l <length>   -- Reject reads shorter than this" + D +
       toStr(p->read_min_length) + "] \n";
  u += "\n";
  u += " -== Paired-end Options ==-\n";
  u += "    -i <int>          -- Maximum template size" + D +
       toStr(p->MAX_TEMPLATE_SIZE) + "]\n";
  u += "    -m <int>          -- Average template size" + D +
       toStr(p->MEAN_TEMPLATE_SIZE) + "]\n";
  u += "    -s                -- Disable Smith-Waterman pairing of unmapped "
       "reads\n";
  u += "    -d <score>        -- Phred score pairing prior" + D +
       toStr(p->PHRED_PAIRING_PRIOR) + "] \n";
  u += "    -c <score>        -- Min percentage of read un-clipped" + D +
       toStr(p->MIN_PERCENT_READ) + "] \n";
  u += "    --sec_num <score> -- Max number of secondary reads to consider "
       "when pairing" +
       D + toStr(p->NUM_SECONDARY_PAIR) + "] \n";
  u += "\n";
  u += " -== Hybrid Mode [Experimental] Options ==-\n";
  u += "    -y <out_prefix> -- Hybrid mode, output (out_prefix.fq) FASTQ of "
       "unreliable reads  \n";
  u += "    -g <gap>        -- Do not reject reads with gaps greater than "
       "this" +
       D + toStr(p->hybrid_max_gap_reject) + "] \n";
  u += "    --assemble      -- Output all reads possibly overlapping large "
       "insertions for assembly then realignment.\n";
  u += " -== Advanced Options ==-\n";
  u += "    --nw_mat <int>        -- Needleman-Wunsch match score" + D +
       toStr(tolerance_default::M_SCORE) + "]\n";
  u += "    --nw_sub <int>        -- Needleman-Wunsch mismatch penalty" + D +
       toStr(tolerance_default::MM_PEN) + "]\n";
  u += "    --nw_gap <int>        -- Needleman-Wunsch gap penalty" + D +
       toStr(tolerance_default::GAP_PEN) + "]\n";
  u += "    --nw_ext <int>        -- Needleman-Wunsch gap extention penalty" +
       D + toStr(tolerance_default::EXT_PEN) + "]\n";
  u += "\n";
  u += "    --sw_mat <int>        -- Smith-Waterman match score" + D +
       toStr(p->M_SW) + "]\n";
  u += "    --sw_sub <int>        -- Smith-Waterman mismatch penalty" + D +
       toStr(p->S_SW) + "]\n";
  u += "    --sw_gap <int>        -- Smith-Waterman gap penalty" + D +
       toStr(p->D_SW) + "]\n";
  u += "    --sw_ext <int>        -- Smith-Waterman gap extention penalty" + D +
       toStr(p->E_SW) + "]\n";
  u += "\n";
  u += "    --max_occ <int>       -- Ignore k-mer if it occurs more than this "
       "many times" +
       D + toStr(p->MAX_NUM_HASH) + "]\n";
  u += "    --max_occ_nw <int>    -- Ignore k-mer if it occurs more than this "
       "many times for the NW stage" +
       D + toStr(p->PHASE_2_LENGTH_SW) + "]\n";
  u += "    --look_ahead <int>    -- k-mer look ahead for ungapped" + D +
       toStr(p->LOOK_AHEAD_NUM) + "]\n";
  u += "    --kmer_pen <int>      -- Additional factor to look further ahead "
       "for reads with high mismatches" +
       D + toStr(p->NUM_VAL) + "]\n";
  u += "    --look_ahead_nw <int> -- k-mer look ahead for gapped alignment" +
       D + toStr(p->LOOK_AHEAD_NUM_SW) + "]\n";
  u += "    --kmer_pen_nw <int>   -- Additional factor to look further ahead "
       "for reads with high mismatches in gapped alignment" +
       D + toStr(p->NUM_VAL_SW) + "]\n";
  u += "    --phase_seq_trim      -- Trim the special phase-seq primer "
       "(grr...)\n";
  u += "\n";
  u += " -== Example ==-\n";
  u += PROG_NAME + " align ~/genome/hg19/genome_25.tidx -p 2 -1 reads_1.fq "
                   "-2 reads_2.fq > results.sam \n";
  u += "\n";
  u += "\n";
  return u;
}
