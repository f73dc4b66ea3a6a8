#include <gtest/gtest.h>

#include "common/bit_dna.h"
#include "common/mt_random.h"
#include "sim_test_util.h"
#include "simulate/gap_reads.h"
#include "simulate/truth_name.h"

static gap_reads_params_t gap_params(int rl, long n, double mm, int num_gaps,
                                     int gap_len) {
  gap_reads_params_t p;
  p.read_len = rl;
  p.num_reads = n;
  p.percent_mismatch = mm;
  p.num_gaps = num_gaps;
  p.gap_len = gap_len;
  return p;
}

static std::vector<fq_rec_t> run_gap(const gap_reads_params_t &p,
                                     const sim_genome_t &g) {
  MT_random gen;
  std::ostringstream out;
  simulate_gap_reads(p, g, gen, out);
  auto recs = parse_fastq(out.str());
  EXPECT_EQ(recs.size(), static_cast<size_t>(std::max<long>(p.num_reads, 0)));
  for (size_t i = 0; i < recs.size(); ++i) {
    EXPECT_EQ(recs[i].qual, std::string(recs[i].seq.size(), 'I'));
    EXPECT_EQ(parse_single_truth_name(recs[i].name).fields[0],
              std::to_string(i + 1));
  }
  return recs;
}

static std::string forward_read(const fq_rec_t &r, const truth_name_t &t) {
  return t.fields[3] == "1" ? compleseq(r.seq) : r.seq;
}

// Without gaps the read is its origin's text with exactly the named number
// of bases changed.
TEST(GapReads, SubstitutionsOnlyMatchTheirCount) {
  sim_genome_t g = load_test_genome(test_data_file("three_chr.fa"));
  for (double mm : {0.0, 0.05}) {
    int total = 0;
    for (const auto &r : run_gap(gap_params(40, 300, mm, 2, 0), g)) {
      truth_name_t t = parse_single_truth_name(r.name);
      ASSERT_TRUE(t.sim && !t.random);
      int k = std::stoi(t.fields[2]);
      EXPECT_EQ(hamming(forward_read(r, t), genome_text(g, t.chr, t.pos, 40)),
                k)
          << r.name;
      total += k;
    }
    if (mm > 0)
      EXPECT_GT(total, 300);
    else
      EXPECT_EQ(total, 0);
  }
}

// Deletions: the read is its origin's text, extended by the deleted length,
// with that many bases removed; near a sequence end it comes out shorter.
TEST(GapReads, DeletionsRemoveBasesAndRefill) {
  std::string text = "ACGTTGCAACGGTCATGCAATTGGCCAGTCAGTACCGTAGCAGGATTCAAC";
  sim_genome_t g = load_test_genome(">s\n" + text + "\n");
  int shorter = 0;
  for (const auto &r : run_gap(gap_params(20, 300, 0, 2, 3), g)) {
    truth_name_t t = parse_single_truth_name(r.name);
    std::string span = genome_text(g, t.chr, t.pos, 26);
    std::string fwd = forward_read(r, t);
    EXPECT_EQ(fwd.size(), span.size() - 6) << r.name;
    EXPECT_TRUE(is_subsequence(fwd, span)) << r.name;
    shorter += fwd.size() < 20;
  }
  EXPECT_GT(shorter, 0);
}

TEST(GapReads, DeletionAsLongAsTheReadIsSkipped) {
  sim_genome_t g = load_test_genome(test_data_file("three_chr.fa"));
  for (const auto &r : run_gap(gap_params(10, 50, 0, 3, 10), g)) {
    truth_name_t t = parse_single_truth_name(r.name);
    EXPECT_EQ(forward_read(r, t), genome_text(g, t.chr, t.pos, 10));
  }
}

// Insertions: the read keeps its length and still holds the start of its
// origin, interrupted by the inserted bases.
TEST(GapReads, InsertionsKeepLengthAndOrigin) {
  sim_genome_t g = load_test_genome(test_data_file("three_chr.fa"));
  for (const auto &r : run_gap(gap_params(30, 300, 0, 3, -2), g)) {
    truth_name_t t = parse_single_truth_name(r.name);
    std::string fwd = forward_read(r, t);
    EXPECT_EQ(fwd.size(), 30u);
    EXPECT_TRUE(only_acgt(fwd));
    EXPECT_TRUE(is_subsequence(genome_text(g, t.chr, t.pos, 24), fwd))
        << r.name;
  }
}

// An insertion one base longer than the read has a single place, before the
// first base, and still costs its position draw.
TEST(GapReads, LongestInsertion) {
  std::string text = "ACGTTGCAAC";
  sim_genome_t g = load_test_genome(">s\n" + text + "\n");
  auto recs = run_gap(gap_params(10, 20, 0, 1, -11), g);
  MT_random gen;
  for (const auto &r : recs) {
    gen.genrand64_real2();
    std::string ins;
    for (int i = 0; i < 11; ++i)
      ins += get_int_base(int(gen.genrand_int_range(0, 3)));
    std::string read = ins.substr(0, 10);
    for (int i = 0; i < 10; ++i)
      gen.genrand_bern(0.0);
    if (gen.genrand_int_range(0, 1))
      read = compleseq(read);
    EXPECT_EQ(r.seq, read);
  }
}

// A genome exactly one read long: no location draw, then one substitution
// draw per base and the direction.
TEST(GapReads, DrawOrder) {
  std::string text = "ACGTTGCAACGGTCATGCAA";
  sim_genome_t g = load_test_genome(">s\n" + text + "\n");
  auto recs = run_gap(gap_params(20, 40, 0.2, 0, 0), g);
  MT_random gen;
  for (size_t i = 0; i < recs.size(); ++i) {
    std::string read = text;
    int k = 0;
    for (char &b : read)
      if (gen.genrand_bern(0.2)) {
        b = get_int_base((get_base_val(b) + int(gen.genrand_int_range(1, 3))) %
                         4);
        ++k;
      }
    int dir = int(gen.genrand_int_range(0, 1));
    if (dir)
      read = compleseq(read);
    EXPECT_EQ(recs[i].name, format_single_truth_name(i + 1, "s", 1, k, dir));
    EXPECT_EQ(recs[i].seq, read);
  }
}
