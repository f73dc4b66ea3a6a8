#include <gtest/gtest.h>

#include <map>

#include "aligner/output/pair_output.h"
#include "aligner/output/sam_single.h"
#include "aligner/search/1_read_prep.h"
#include "aligner/setup/params.h"
#include "aligner/setup/ref_table.h"
#include "common/bit_dna.h"
#include "common/mt_random.h"
#include "kernels/align_store.h"

namespace {

// chrA: bases 1-40, chrB: bases 41-70 of the concatenated genome.
const std::string CHR_A = "ACGTTGCAAGCTTACGGATCCATGGCAATTCGGCTAGCAT";
const std::string CHR_B = "TTGACCGGTAACGTCAGTCAGGACTTAAGC";

struct SamOutput : ::testing::Test {
  uint8_t *table = gen_mm_table();
  MT_random gen;
  bit_DNA_t genome{CHR_A + CHR_B, gen, table};
  std::map<long, std::string> starts{{1, "chrA"}, {41, "chrB"}};
  tolve_params_t p;
  ref_table_t refs;
  fast_t strand[2];
  bit_DNA_t packed[2]{bit_DNA_t(table), bit_DNA_t(table)};
  std::string barcode, sam, hybrid, scratch;
  se_read_t read;
  se_out_t out{&sam, &hybrid, &scratch};
  align_store_t store{20};

  SamOutput() {
    p.genome_str = &genome;
    p.start_genome = &starts;
    p.genome_length = 70;
    p.kmer_size = 12;
    build_ref_table(refs, starts, 70);
    read.strand[0] = &strand[0];
    read.strand[1] = &strand[1];
    read.packed[0] = &packed[0];
    read.packed[1] = &packed[1];
    read.barcode = &barcode;
  }
  ~SamOutput() override { delete[] table; }

  void set_read(const std::string &name, const std::string &seq,
                const std::string &qual, bool qual_exist = true) {
    strand[0].name = strand[1].name = name;
    strand[0].seq = seq;
    strand[0].qual = qual;
    strand[0].qual_exist = strand[1].qual_exist = qual_exist;
    revcomp_into(seq, strand[1].seq);
    strand[1].qual.assign(qual.rbegin(), qual.rend());
    for (int s = 0; s < 2; ++s) {
      packed[s].clear();
      packed[s].append(strand[s].seq, gen);
    }
  }

  void add(int penalty, bool dir, uint32_t loc, const std::string &cigar,
           int mm) {
    mm_gap_t e{};
    e.num_mm = mm;
    store.insert(penalty, dir, loc, cigar, e, 'N');
  }
};

std::string rc(const std::string &s) {
  std::string o;
  revcomp_into(s, o);
  return o;
}

} // namespace

TEST_F(SamOutput, UniqueForwardRecord) {
  // chrA bases 5-24 with base 10 changed (reference G -> read A).
  std::string seq = CHR_A.substr(4, 20);
  seq[5] = 'A';
  set_read("r1", seq, std::string(20, 'I'));
  add(20, true, 5, "20M", 1);
  se_quality_t q{37, 20, 0, 0};
  write_single_mapped(&p, refs, read, store, 0, q, out);
  EXPECT_EQ(sam, "r1\t0\tchrA\t5\t37\t20M\t*\t0\t0\t" + seq + "\t" +
                     std::string(20, 'I') +
                     "\tNM:i:1\tXM:i:1\tXO:i:0\tXG:i:0\tH0:i:1\tH1:i:0\tXL:i:"
                     "20\tXR:i:0\tXD:i:0\tXT:A:U\tMD:Z:5G14\n");
}

TEST_F(SamOutput, ReverseRecordOnSecondSequence) {
  // chrB bases 3-22, read as its reverse complement.
  std::string ref = CHR_B.substr(2, 20);
  std::string qual = "ABCDEFGHIJKLMNOPQRST";
  set_read("r2", rc(ref), qual);
  add(0, false, 43, "20M", 0);
  se_quality_t q{40, 20, 0, 0};
  write_single_mapped(&p, refs, read, store, 0, q, out);
  EXPECT_EQ(sam, "r2\t16\tchrB\t3\t40\t20M\t*\t0\t0\t" + ref +
                     "\tTSRQPONMLKJIHGFEDCBA\tNM:i:0\tXM:i:0\tXO:i:0\tXG:i:"
                     "0\tH0:i:1\tH1:i:0\tXL:i:20\tXR:i:0\tXD:i:0\tXT:A:U\tMD:"
                     "Z:20\n");
}

TEST_F(SamOutput, RepeatCarriesXaWithTheOtherHits) {
  set_read("r3", CHR_A.substr(0, 20), std::string(20, 'I'));
  add(0, true, 1, "20M", 0);
  add(0, false, 41, "20M", 0);
  add(20, true, 50, "18M1D2M", 1); // second tier
  se_quality_t q{};
  write_single_mapped(&p, refs, read, store, 1, q, out);
  std::string tail = "\tXT:A:R\tMD:Z:";
  ASSERT_NE(sam.find("\tH0:i:2\tH1:i:1\tXL:i:0\tXR:i:0\tXD:i:0\tXT:A:R\t"),
            std::string::npos);
  EXPECT_EQ(sam.substr(0, 18), "r3\t16\tchrB\t1\t0\t20M");
  EXPECT_EQ(sam.substr(sam.size() - 38),
            "\tXA:Z:chrA,1,20M,0;chrB,10,18M1D2M,1;\n");

  // -n 1: no XA at all.
  sam.clear();
  p.MAX_HITS = 1;
  write_single_mapped(&p, refs, read, store, 1, q, out);
  EXPECT_EQ(sam.find("XA:Z:"), std::string::npos);

  // -n 2 with many hits: at most MAX_HITS + 1 entries.
  p.MAX_HITS = 2;
  add(0, true, 2, "20M", 0);
  add(0, true, 3, "20M", 0);
  add(0, true, 4, "20M", 0);
  sam.clear();
  write_single_mapped(&p, refs, read, store, 0, q, out);
  EXPECT_NE(sam.find("\tXA:Z:chrB,-1,20M,0;chrA,2,20M,0;chrA,3,20M,0;\n"),
            std::string::npos);
}

TEST_F(SamOutput, AllHitsWritesSecondaryRecords) {
  p.ALL_HITS = true;
  set_read("r4", CHR_A.substr(0, 20), std::string(20, 'I'));
  add(0, true, 1, "20M", 0);
  add(0, false, 41, "20M", 0);
  add(20, true, 50, "20M", 1);
  se_quality_t q{};
  write_single_mapped(&p, refs, read, store, 0, q, out);
  std::vector<std::string> lines;
  size_t at = 0;
  for (size_t nl; (nl = sam.find('\n', at)) != std::string::npos; at = nl + 1)
    lines.push_back(sam.substr(at, nl - at));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(0, 17), "r4\t0\tchrA\t1\t0\t20M");
  EXPECT_EQ(lines[1].substr(0, 19), "r4\t272\tchrB\t1\t0\t20M");
  EXPECT_EQ(lines[2].substr(0, 20), "r4\t256\tchrB\t10\t0\t20M");
  for (auto &l : lines)
    EXPECT_EQ(l.find("XA:Z:"), std::string::npos);
  EXPECT_NE(lines[2].find("\tNM:i:1\tXM:i:1\t"), std::string::npos);
}

TEST_F(SamOutput, NovoLines) {
  p.NOVO_MODE = true;
  std::string seq = CHR_A.substr(4, 20);
  seq[5] = 'A';
  set_read("r5", seq, std::string(20, 'I'));
  add(20, true, 5, "20M", 1);
  se_quality_t q{37, 20, 0, 0};
  write_single_mapped(&p, refs, read, store, 0, q, out);
  EXPECT_EQ(sam, "r5\tS\t" + seq + "\t" + std::string(20, 'I') +
                     "\tU\t20\t37\tchrA\t5\tF\t.\t.\t.\t5G>A \n");

  sam.clear();
  add(20, false, 44, "20M", 1);
  write_single_mapped(&p, refs, read, store, 0, q, out);
  EXPECT_EQ(sam, "r5\tS\t" + seq + "\t" + std::string(20, 'I') + "\tR\t2\n");

  // FASTA read, unmapped: quality column ".".
  sam.clear();
  set_read("r6", "ACGT", "*", false);
  write_single_unmapped(&p, read, out);
  EXPECT_EQ(sam, "r6\tS\tACGT\t.\tNM\n");
}

TEST_F(SamOutput, UnmappedRecordsAndOptionalTags) {
  set_read("r7", "ACGTA", "*", false);
  write_single_unmapped(&p, read, out);
  EXPECT_EQ(sam, "r7\t4\t*\t0\t0\t*\t*\t0\t0\tACGTA\t*\n");

  p.barcode_len = 2;
  barcode = "GG";
  p.output_RG = p.output_PU = p.output_LB = p.output_PG = true;
  p.output_SM = p.output_PL = true;
  p.RG_ID = "g1";
  p.PU = "u1";
  p.LB = "l1";
  p.SM = "s1";
  sam.clear();
  set_read("r8", "", "");
  write_single_unmapped(&p, read, out);
  EXPECT_EQ(sam, "r8\t4\t*\t0\t0\t*\t*\t0\t0\t*\t*\tBC:Z:GG\tRG:Z:g1\tPU:Z:"
                 "u1\tLB:Z:l1\tPG:Z:venkari-basic\n");
}

TEST_F(SamOutput, HybridSideRecords) {
  p.hybrid_mode = true;
  set_read("r9", "ACGT", "IIII");
  write_single_unmapped(&p, read, out);
  set_read("r10", "ACGT", "*", false);
  write_single_unmapped(&p, read, out);
  EXPECT_EQ(sam, "");
  EXPECT_EQ(hybrid, "@r9\nACGT\n+\nIIII\n>r10\nACGT\n");

  // A mapped read with little k-mer support goes to the side file too.
  hybrid.clear();
  set_read("r11", CHR_A.substr(0, 20), std::string(20, 'I'));
  add(0, true, 1, "20M", 0);
  se_quality_t q{40, 23, 0, 0};
  write_single_mapped(&p, refs, read, store, 0, q, out);
  EXPECT_EQ(sam, "");
  EXPECT_EQ(hybrid, "@r11\n" + CHR_A.substr(0, 20) + "\n+\n" +
                        std::string(20, 'I') + "\n");
  q.xl = 24;
  hybrid.clear();
  write_single_mapped(&p, refs, read, store, 0, q, out);
  EXPECT_EQ(hybrid, "");
  EXPECT_EQ(sam.substr(0, 18), "r11\t0\tchrA\t1\t40\t20");
}

TEST(HybridDivert, Rules) {
  tolve_params_t p;
  p.kmer_size = 10;
  mm_gap_t e{};
  align_loc_t a(0, true, 1, "100M", e, 'N');
  EXPECT_TRUE(hybrid_divert(&p, a, 40, 19, 100));
  EXPECT_FALSE(hybrid_divert(&p, a, 40, 20, 100));
  a.mm_gap.num_mm = 11; // more than L / k edits
  EXPECT_TRUE(hybrid_divert(&p, a, 0, 80, 100));
  EXPECT_FALSE(hybrid_divert(&p, a, 1, 80, 100));
  // Long gaps and MAPQ >= 11 override both.
  a.mm_gap.num_gap_open = 1;
  a.mm_gap.num_gap_ext = 2;
  EXPECT_FALSE(hybrid_divert(&p, a, 11, 0, 100));
  EXPECT_TRUE(hybrid_divert(&p, a, 10, 0, 100));
  // --assemble: only long extensions or an insertion at either end.
  p.output_assemble = true;
  a.mm_gap = mm_gap_t{};
  EXPECT_FALSE(hybrid_divert(&p, a, 0, 0, 100));
  a.cigar = "2I98M";
  EXPECT_TRUE(hybrid_divert(&p, a, 40, 99, 100));
  a.cigar = "98M2I";
  EXPECT_TRUE(hybrid_divert(&p, a, 40, 99, 100));
  a.cigar = "50M2I48M";
  EXPECT_FALSE(hybrid_divert(&p, a, 40, 99, 100));
  a.mm_gap.num_gap_ext = 27;
  EXPECT_TRUE(hybrid_divert(&p, a, 40, 99, 100));
}

TEST(PairOutput, BothMatesUnmapped) {
  tolve_params_t p;
  fast_t m1, m2;
  m1.seq = "ACGT";
  m1.qual = "IIII";
  m2.seq = "GGA";
  m2.qual = "*";
  m2.qual_exist = false;
  std::string sam, hyb[2];
  std::string *side[2] = {&hyb[0], &hyb[1]};
  write_pair_unmapped(&p, "q", m1, m2, "", sam, side);
  EXPECT_EQ(sam, "q\t77\t*\t0\t0\t*\t*\t0\t0\tACGT\tIIII\tAM:i:0\tSM:i:0\n"
                 "q\t141\t*\t0\t0\t*\t*\t0\t0\tGGA\t*\tAM:i:0\tSM:i:0\n");
  sam.clear();
  p.hybrid_mode = true;
  write_pair_unmapped(&p, "q", m1, m2, "", sam, side);
  EXPECT_EQ(sam, "");
  EXPECT_EQ(hyb[0], "@q/1\nACGT\n+\nIIII\n");
  EXPECT_EQ(hyb[1], ">q/2\nGGA\n");
}
