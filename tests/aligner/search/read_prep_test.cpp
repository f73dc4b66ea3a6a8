#include <gtest/gtest.h>

#include "aligner/search/1_read_prep.h"
#include "aligner/setup/params.h"

namespace {

const std::string PRIMER = "GTTGGGTGTGTTTGG";

fast_t fq(const std::string &name, const std::string &seq,
          const std::string &qual) {
  fast_t f;
  f.name = name;
  f.seq = seq;
  f.qual = qual;
  f.qual_exist = true;
  return f;
}

fast_t fa(const std::string &name, const std::string &seq) {
  fast_t f;
  f.name = name;
  f.seq = seq;
  f.qual = "*";
  f.qual_exist = false;
  return f;
}

// Prepares one single-end read; returns the error status (0 on success).
int prepare(tolve_params_t &p, fast_t &fwd, fast_t &rev, std::string &bc,
            prep_error_t &err) {
  fast_t *f[2] = {&fwd, nullptr};
  fast_t *r[2] = {&rev, nullptr};
  return prepare_reads(&p, 1, f, r, bc, err) ? 0 : err.status;
}

} // namespace

TEST(ReadPrep, ReverseComplementKeepsOtherLetters) {
  std::string out = "previous content that is longer";
  revcomp_into("ACGTNacgtx.", out);
  EXPECT_EQ(out, ".xacgtNACGT");
  tolve_params_t p;
  fast_t f = fq("r", "AACG", "ABCD"), r;
  std::string bc;
  prep_error_t err;
  ASSERT_EQ(prepare(p, f, r, bc, err), 0);
  EXPECT_EQ(r.seq, "CGTT");
  EXPECT_EQ(r.qual, "DCBA");
  EXPECT_EQ(r.name, "r");
  EXPECT_TRUE(r.qual_exist);
}

TEST(ReadPrep, PrimerCutOffsets) {
  std::string tail(40, 'A');
  // 32 bases starting with the primer: kept whole.
  EXPECT_EQ(phase_primer_cut(PRIMER + tail.substr(0, 17)), 0);
  // 33 bases with the primer at offset 0: 31 bases go.
  EXPECT_EQ(phase_primer_cut(PRIMER + tail.substr(0, 18)), 31);
  // Primer at offset 3 in 33 bases: 34 capped at n - 1 = 32.
  EXPECT_EQ(phase_primer_cut("CCC" + PRIMER + tail.substr(0, 15)), 32);
  // Two differences still pass, three do not.
  std::string two = PRIMER, three = PRIMER;
  two[0] = 'A';
  two[5] = 'A';
  three[0] = three[5] = three[10] = 'A';
  EXPECT_EQ(phase_primer_cut(two + tail), 31);
  EXPECT_EQ(phase_primer_cut(three + tail), 0);
  // Lower case is a difference.
  std::string lower = PRIMER;
  for (char &c : lower)
    c = char(tolower(c));
  EXPECT_EQ(phase_primer_cut(lower + tail), 0);
  // A second copy at the cut: the cut moves past it.
  std::string second = PRIMER + std::string(16, 'C') + PRIMER + tail;
  EXPECT_EQ(phase_primer_cut(second), 31 + 31);
}

TEST(ReadPrep, PrimerRemovedFromSequenceAndQuality) {
  tolve_params_t p;
  p.phase_seq_trim = true;
  std::string seq = PRIMER + std::string(25, 'A');
  fast_t f = fq("r", seq, std::string(40, 'I')), r;
  f.qual[31] = '#';
  std::string bc;
  prep_error_t err;
  ASSERT_EQ(prepare(p, f, r, bc, err), 0);
  EXPECT_EQ(f.seq, std::string(9, 'A'));
  EXPECT_EQ(f.qual, "#" + std::string(8, 'I'));
}

TEST(ReadPrep, BarcodeCut) {
  tolve_params_t p;
  p.barcode_len = 3;
  fast_t f = fq("r", "ACGTTT", "ABCDEF"), r;
  std::string bc;
  prep_error_t err;
  ASSERT_EQ(prepare(p, f, r, bc, err), 0);
  EXPECT_EQ(bc, "ACG");
  EXPECT_EQ(f.seq, "TTT");
  EXPECT_EQ(f.qual, "DEF");
  EXPECT_EQ(r.seq, "AAA");

  // Not longer than the barcode: left whole, barcode stays empty.
  bc.clear();
  f = fq("r", "ACG", "ABC");
  ASSERT_EQ(prepare(p, f, r, bc, err), 0);
  EXPECT_EQ(bc, "");
  EXPECT_EQ(f.seq, "ACG");

  // FASTA: only the sequence loses its barcode.
  f = fa("r", "ACGTTT");
  ASSERT_EQ(prepare(p, f, r, bc, err), 0);
  EXPECT_EQ(f.seq, "TTT");
  EXPECT_EQ(f.qual, "*");
  EXPECT_EQ(r.qual, "*");
}

TEST(ReadPrep, QualityConversion) {
  tolve_params_t p;
  p.qual_format = 1;
  fast_t f = fq("r", "ACGT", "@Ih~"), r;
  std::string bc;
  prep_error_t err;
  ASSERT_EQ(prepare(p, f, r, bc, err), 0);
  EXPECT_EQ(f.qual, "!*I_");

  // A character below 64 stops with status 2; the third line is the name.
  f = fq("read7", "ACGT", "II?I");
  EXPECT_EQ(prepare(p, f, r, bc, err), 2);
  EXPECT_EQ(err.message, "ERROR: Quality format specification error: "
                         "negative quality score\nPlease check the quality "
                         "format specified!\nread7\n");

  // Solexa: ';' (-5) and '~' (62) convert, ':' is out of range.
  p.qual_format = 3;
  f = fq("r", "AC", ";~");
  ASSERT_EQ(prepare(p, f, r, bc, err), 0);
  EXPECT_EQ(f.qual[1], '_');
  EXPECT_LT(f.qual[0], '#');
  f = fq("r", "AC", "h:");
  EXPECT_EQ(prepare(p, f, r, bc, err), 2);
  EXPECT_EQ(err.message.substr(0, 42),
            "ERROR: Solexa quality score out of range, ");
  EXPECT_NE(err.message.find("\nPlease check the quality format specified!\n"),
            std::string::npos);

  // FASTA reads are never converted.
  p.qual_format = 1;
  f = fa("r", "ACGT");
  ASSERT_EQ(prepare(p, f, r, bc, err), 0);
  EXPECT_EQ(f.qual, "*");

  p.qual_format = 9;
  f = fq("r", "ACGT", "IIII");
  EXPECT_EQ(prepare(p, f, r, bc, err), 2);
  EXPECT_EQ(err.message, "ERROR: unknown quality format\n");
}

TEST(ReadPrep, Trimming) {
  tolve_params_t p;
  p.trim_reads = true;
  p.trim_qual = 20;
  p.read_min_length = 2;
  fast_t f = fq("r", "ACGTACGT", "IIIIII##"), r;
  std::string bc;
  prep_error_t err;
  ASSERT_EQ(prepare(p, f, r, bc, err), 0);
  // The base where the excess quality peaks stays in the read.
  EXPECT_EQ(f.seq, "ACGTACG");
  EXPECT_EQ(f.qual, "IIIIII#");
  EXPECT_EQ(r.seq, "CGTACGT");

  // A threshold of 0 or below trims nothing.
  for (int t : {0, -5}) {
    p.trim_qual = t;
    f = fq("r", "ACGTACGT", "IIIIII##");
    ASSERT_EQ(prepare(p, f, r, bc, err), 0);
    EXPECT_EQ(f.seq, "ACGTACGT");
  }
}
